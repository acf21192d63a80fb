#pragma once

// Our implementation of the part of TA-Lib's C interface that the indicator
// catalogue uses: the same types, numbering, signatures and results.
// Include "kelvra/ta_api.h" rather than this file.

#include <limits.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef double TA_Real;
typedef int TA_Integer;

/* Passing these as an optional input selects the function's default. */
#define TA_INTEGER_DEFAULT (INT_MIN)
#define TA_REAL_DEFAULT (-4e+37)
#define TA_REAL_MIN (-3e+37)
#define TA_REAL_MAX (3e+37)

/* In C++ the enums get a fixed int base so that every int a C caller may
   pass (the default marker, an out-of-range type) is a valid value. */
#ifdef __cplusplus
#define KELVRA_TA_ENUM_BASE : int
#else
#define KELVRA_TA_ENUM_BASE
#endif

typedef enum KELVRA_TA_ENUM_BASE
{
    TA_SUCCESS = 0,
    TA_LIB_NOT_INITIALIZE = 1,
    TA_BAD_PARAM = 2,
    TA_ALLOC_ERR = 3,
    TA_GROUP_NOT_FOUND = 4,
    TA_FUNC_NOT_FOUND = 5,
    TA_INVALID_HANDLE = 6,
    TA_INVALID_PARAM_HOLDER = 7,
    TA_INVALID_PARAM_HOLDER_TYPE = 8,
    TA_INVALID_PARAM_FUNCTION = 9,
    TA_INPUT_NOT_ALL_INITIALIZE = 10,
    TA_OUTPUT_NOT_ALL_INITIALIZE = 11,
    TA_OUT_OF_RANGE_START_INDEX = 12,
    TA_OUT_OF_RANGE_END_INDEX = 13,
    TA_INVALID_LIST_TYPE = 14,
    TA_BAD_OBJECT = 15,
    TA_NOT_SUPPORTED = 16,
    TA_INTERNAL_ERROR = 5000,
    TA_UNKNOWN_ERR = 0xFFFF
} TA_RetCode;

typedef enum KELVRA_TA_ENUM_BASE
{
    TA_MAType_SMA = 0,
    TA_MAType_EMA = 1,
    TA_MAType_WMA = 2,
    TA_MAType_DEMA = 3,
    TA_MAType_TEMA = 4,
    TA_MAType_TRIMA = 5,
    TA_MAType_KAMA = 6,
    TA_MAType_MAMA = 7,
    TA_MAType_T3 = 8
} TA_MAType;

TA_RetCode TA_Initialize(void);
TA_RetCode TA_Shutdown(void);

/* Overlap studies */
int TA_MA_Lookback(int optInTimePeriod, TA_MAType optInMAType);
TA_RetCode TA_MA(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                 TA_MAType optInMAType, int *outBegIdx, int *outNBElement, double outReal[]);

int TA_BBANDS_Lookback(int optInTimePeriod, double optInNbDevUp, double optInNbDevDn,
                       TA_MAType optInMAType);
TA_RetCode TA_BBANDS(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                     double optInNbDevUp, double optInNbDevDn, TA_MAType optInMAType,
                     int *outBegIdx, int *outNBElement, double outRealUpperBand[],
                     double outRealMiddleBand[], double outRealLowerBand[]);

int TA_SAR_Lookback(double optInAcceleration, double optInMaximum);
TA_RetCode TA_SAR(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                  double optInAcceleration, double optInMaximum, int *outBegIdx,
                  int *outNBElement, double outReal[]);

int TA_HT_TRENDLINE_Lookback(void);
TA_RetCode TA_HT_TRENDLINE(int startIdx, int endIdx, const double inReal[], int *outBegIdx,
                           int *outNBElement, double outReal[]);

int TA_MIDPRICE_Lookback(int optInTimePeriod);
TA_RetCode TA_MIDPRICE(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                       int optInTimePeriod, int *outBegIdx, int *outNBElement,
                       double outReal[]);

int TA_MIDPOINT_Lookback(int optInTimePeriod);
TA_RetCode TA_MIDPOINT(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                       int *outBegIdx, int *outNBElement, double outReal[]);

/* Volatility */
int TA_TRANGE_Lookback(void);
TA_RetCode TA_TRANGE(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                     const double inClose[], int *outBegIdx, int *outNBElement,
                     double outReal[]);

int TA_ATR_Lookback(int optInTimePeriod);
TA_RetCode TA_ATR(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                  const double inClose[], int optInTimePeriod, int *outBegIdx,
                  int *outNBElement, double outReal[]);

/* Directional movement */
int TA_MINUS_DM_Lookback(int optInTimePeriod);
TA_RetCode TA_MINUS_DM(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                       int optInTimePeriod, int *outBegIdx, int *outNBElement,
                       double outReal[]);

int TA_PLUS_DM_Lookback(int optInTimePeriod);
TA_RetCode TA_PLUS_DM(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                      int optInTimePeriod, int *outBegIdx, int *outNBElement,
                      double outReal[]);

int TA_MINUS_DI_Lookback(int optInTimePeriod);
TA_RetCode TA_MINUS_DI(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                       const double inClose[], int optInTimePeriod, int *outBegIdx,
                       int *outNBElement, double outReal[]);

int TA_PLUS_DI_Lookback(int optInTimePeriod);
TA_RetCode TA_PLUS_DI(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                      const double inClose[], int optInTimePeriod, int *outBegIdx,
                      int *outNBElement, double outReal[]);

int TA_DX_Lookback(int optInTimePeriod);
TA_RetCode TA_DX(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                 const double inClose[], int optInTimePeriod, int *outBegIdx,
                 int *outNBElement, double outReal[]);

int TA_ADX_Lookback(int optInTimePeriod);
TA_RetCode TA_ADX(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                  const double inClose[], int optInTimePeriod, int *outBegIdx,
                  int *outNBElement, double outReal[]);

int TA_ADXR_Lookback(int optInTimePeriod);
TA_RetCode TA_ADXR(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                   const double inClose[], int optInTimePeriod, int *outBegIdx,
                   int *outNBElement, double outReal[]);

/* Momentum */
int TA_MOM_Lookback(int optInTimePeriod);
TA_RetCode TA_MOM(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                  int *outBegIdx, int *outNBElement, double outReal[]);

int TA_ROC_Lookback(int optInTimePeriod);
TA_RetCode TA_ROC(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                  int *outBegIdx, int *outNBElement, double outReal[]);

int TA_ROCP_Lookback(int optInTimePeriod);
TA_RetCode TA_ROCP(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                   int *outBegIdx, int *outNBElement, double outReal[]);

int TA_ROCR_Lookback(int optInTimePeriod);
TA_RetCode TA_ROCR(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                   int *outBegIdx, int *outNBElement, double outReal[]);

int TA_ROCR100_Lookback(int optInTimePeriod);
TA_RetCode TA_ROCR100(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                      int *outBegIdx, int *outNBElement, double outReal[]);

int TA_RSI_Lookback(int optInTimePeriod);
TA_RetCode TA_RSI(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                  int *outBegIdx, int *outNBElement, double outReal[]);

int TA_CCI_Lookback(int optInTimePeriod);
TA_RetCode TA_CCI(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                  const double inClose[], int optInTimePeriod, int *outBegIdx,
                  int *outNBElement, double outReal[]);

int TA_WILLR_Lookback(int optInTimePeriod);
TA_RetCode TA_WILLR(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                    const double inClose[], int optInTimePeriod, int *outBegIdx,
                    int *outNBElement, double outReal[]);

int TA_TRIX_Lookback(int optInTimePeriod);
TA_RetCode TA_TRIX(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                   int *outBegIdx, int *outNBElement, double outReal[]);

int TA_MACD_Lookback(int optInFastPeriod, int optInSlowPeriod, int optInSignalPeriod);
TA_RetCode TA_MACD(int startIdx, int endIdx, const double inReal[], int optInFastPeriod,
                   int optInSlowPeriod, int optInSignalPeriod, int *outBegIdx,
                   int *outNBElement, double outMACD[], double outMACDSignal[],
                   double outMACDHist[]);

int TA_STOCH_Lookback(int optInFastK_Period, int optInSlowK_Period,
                      TA_MAType optInSlowK_MAType, int optInSlowD_Period,
                      TA_MAType optInSlowD_MAType);
TA_RetCode TA_STOCH(int startIdx, int endIdx, const double inHigh[], const double inLow[],
                    const double inClose[], int optInFastK_Period, int optInSlowK_Period,
                    TA_MAType optInSlowK_MAType, int optInSlowD_Period,
                    TA_MAType optInSlowD_MAType, int *outBegIdx, int *outNBElement,
                    double outSlowK[], double outSlowD[]);

/* Statistics */
int TA_LINEARREG_Lookback(int optInTimePeriod);
TA_RetCode TA_LINEARREG(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                        int *outBegIdx, int *outNBElement, double outReal[]);

int TA_LINEARREG_SLOPE_Lookback(int optInTimePeriod);
TA_RetCode TA_LINEARREG_SLOPE(int startIdx, int endIdx, const double inReal[],
                              int optInTimePeriod, int *outBegIdx, int *outNBElement,
                              double outReal[]);

int TA_LINEARREG_ANGLE_Lookback(int optInTimePeriod);
TA_RetCode TA_LINEARREG_ANGLE(int startIdx, int endIdx, const double inReal[],
                              int optInTimePeriod, int *outBegIdx, int *outNBElement,
                              double outReal[]);

int TA_LINEARREG_INTERCEPT_Lookback(int optInTimePeriod);
TA_RetCode TA_LINEARREG_INTERCEPT(int startIdx, int endIdx, const double inReal[],
                                  int optInTimePeriod, int *outBegIdx, int *outNBElement,
                                  double outReal[]);

int TA_TSF_Lookback(int optInTimePeriod);
TA_RetCode TA_TSF(int startIdx, int endIdx, const double inReal[], int optInTimePeriod,
                  int *outBegIdx, int *outNBElement, double outReal[]);

#ifdef __cplusplus
}
#endif
