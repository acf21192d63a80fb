#include "periodindicators.h"

#include <stdexcept>

#include "elementstream.h"
#include "kelvra/ta_api.h"

namespace {

constexpr int TrixEntry = 2;

using CloseCall = TA_RetCode (*)(int, int, const double[], int, int *, int *, double[]);
using HighLowCall = TA_RetCode (*)(int, int, const double[], const double[], int, int *, int *, double[]);
using HighLowCloseCall = TA_RetCode (*)(int, int, const double[], const double[], const double[], int, int *, int *,
                                        double[]);

// The TA-Lib function of each single-period entry and the inputs it takes.
struct PeriodFunction {
    CloseCall close = nullptr;
    HighLowCall highLow = nullptr;
    HighLowCloseCall highLowClose = nullptr;
};

PeriodFunction periodFunction(int entry)
{
    switch (entry) {
    case 2: return {TA_TRIX};
    case 5: return {nullptr, TA_MIDPRICE};
    case 6: return {TA_MIDPOINT};
    case 7: return {nullptr, nullptr, TA_ATR};
    case 9: return {nullptr, nullptr, TA_ADX};
    case 10: return {nullptr, nullptr, TA_ADXR};
    case 11: return {nullptr, nullptr, TA_CCI};
    case 12: return {nullptr, nullptr, TA_DX};
    case 13: return {nullptr, nullptr, TA_MINUS_DI};
    case 14: return {nullptr, TA_MINUS_DM};
    case 15: return {TA_MOM};
    case 16: return {nullptr, nullptr, TA_PLUS_DI};
    case 17: return {nullptr, TA_PLUS_DM};
    case 18: return {TA_ROC};
    case 19: return {TA_ROCP};
    case 20: return {TA_ROCR};
    case 21: return {TA_ROCR100};
    case 22: return {TA_RSI};
    case 23: return {TA_LINEARREG};
    case 24: return {TA_LINEARREG_SLOPE};
    case 25: return {TA_LINEARREG_ANGLE};
    case 26: return {TA_LINEARREG_INTERCEPT};
    case 27: return {TA_TSF};
    case 28: return {nullptr, nullptr, TA_WILLR};
    default: return {};
    }
}

} // namespace

// ---- T_TRIX_Indicator

T_TRIX_Indicator::T_TRIX_Indicator() : T_TRIX_Indicator(TrixEntry) {}

T_TRIX_Indicator::T_TRIX_Indicator(int entry) : TOtherIndicator(GraphTypeId::FirstCatalogue + entry)
{
    T_TRIX_Indicator::ResetDefaults();
}

void T_TRIX_Indicator::ResetDefaults()
{
    TOtherIndicator::ResetDefaults();
    TimePeriod = 6;
    Color = ChartColors::Green;
}

void T_TRIX_Indicator::CheckParamIndex(int index) const
{
    if (index < 1 || index > ParamCount())
        throw std::out_of_range("Invalid index");
}

bool T_TRIX_Indicator::ParamDescriptor(int index, TParamDescriptor &d)
{
    CheckParamIndex(index);
    d = TParamDescriptor::TimePeriod(&TimePeriod);
    return true;
}

int T_TRIX_Indicator::CallTA(int from, int to, double *const outputs[], int &begin, int &count)
{
    const PeriodFunction f = periodFunction(TypeId - GraphTypeId::FirstCatalogue);
    if (f.close)
        return f.close(from, to, Close(), TimePeriod, &begin, &count, outputs[0]);
    if (f.highLow)
        return f.highLow(from, to, High(), Low(), TimePeriod, &begin, &count, outputs[0]);
    if (f.highLowClose)
        return f.highLowClose(from, to, High(), Low(), Close(), TimePeriod, &begin, &count, outputs[0]);
    return TA_FUNC_NOT_FOUND;
}

void T_TRIX_Indicator::SaveParameters(TElementWriter &w) const
{
    w.WriteInt32(TimePeriod);
}

void T_TRIX_Indicator::LoadParameters(TElementReader &r)
{
    TimePeriod = r.ReadInt32();
}

// ---- T_MA_Indicator

T_MA_Indicator::T_MA_Indicator() : T_TRIX_Indicator(0)
{
    T_MA_Indicator::ResetDefaults();
}

void T_MA_Indicator::ResetDefaults()
{
    T_TRIX_Indicator::ResetDefaults();
    TimePeriod = 10;
    Method = 0;
    Color = ChartColors::Red;
}

bool T_MA_Indicator::ParamDescriptor(int index, TParamDescriptor &d)
{
    CheckParamIndex(index);
    if (index == 1) {
        d = TParamDescriptor::TimePeriod(&TimePeriod);
        d.Minimum = 2;
    } else {
        d = TParamDescriptor::Method(&Method);
    }
    return true;
}

int T_MA_Indicator::CallTA(int from, int to, double *const outputs[], int &begin, int &count)
{
    return TA_MA(from, to, Close(), TimePeriod, TA_MAType(Method), &begin, &count, outputs[0]);
}

void T_MA_Indicator::SaveParameters(TElementWriter &w) const
{
    T_TRIX_Indicator::SaveParameters(w);
    w.WriteInt32(Method);
}

void T_MA_Indicator::LoadParameters(TElementReader &r)
{
    T_TRIX_Indicator::LoadParameters(r);
    Method = r.ReadInt32();
}
