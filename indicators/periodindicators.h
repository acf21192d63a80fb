#pragma once

#include "otherindicator.h"

// Trix and every indicator with a single time period: they differ only in
// the TA-Lib function and inputs of their recalculation (catalogue entries
// 2, 5..7 and 9..28), and the moving average, which adds a method.
class T_TRIX_Indicator : public TOtherIndicator {
public:
    T_TRIX_Indicator();

    int32_t TimePeriod = 6;

    void ResetDefaults() override;  // period 6, green
    bool ParamDescriptor(int index, TParamDescriptor &d) override;
    int ParamCount() const override { return 1; }

protected:
    // The single-period entry n of the catalogue.
    explicit T_TRIX_Indicator(int entry);
    int CallTA(int from, int to, double *const outputs[], int &begin, int &count) override;
    void SaveParameters(TElementWriter &w) const override;
    void LoadParameters(TElementReader &r) override;
    // "Invalid index" outside 1..count.
    void CheckParamIndex(int index) const;
};

class T_MA_Indicator : public T_TRIX_Indicator {
public:
    T_MA_Indicator();

    int32_t Method = 0;  // index in the moving-average method list

    void ResetDefaults() override;  // period 10, simple, red
    bool ParamDescriptor(int index, TParamDescriptor &d) override;
    int ParamCount() const override { return 2; }

protected:
    int CallTA(int from, int to, double *const outputs[], int &begin, int &count) override;
    void SaveParameters(TElementWriter &w) const override;
    void LoadParameters(TElementReader &r) override;
};

// The single-period indicators after the Trix, each its catalogue entry.
class T_MIDPRICE_Indicator final : public T_TRIX_Indicator {
public:
    T_MIDPRICE_Indicator() : T_TRIX_Indicator(5) {}
};
class T_MIDPOINT_Indicator final : public T_TRIX_Indicator {
public:
    T_MIDPOINT_Indicator() : T_TRIX_Indicator(6) {}
};
class T_ATR_Indicator final : public T_TRIX_Indicator {
public:
    T_ATR_Indicator() : T_TRIX_Indicator(7) {}
};
class T_ADX_Indicator final : public T_TRIX_Indicator {
public:
    T_ADX_Indicator() : T_TRIX_Indicator(9) {}
};
class T_ADXR_Indicator final : public T_TRIX_Indicator {
public:
    T_ADXR_Indicator() : T_TRIX_Indicator(10) {}
};
class T_CCI_Indicator final : public T_TRIX_Indicator {
public:
    T_CCI_Indicator() : T_TRIX_Indicator(11) {}
};
class T_DX_Indicator final : public T_TRIX_Indicator {
public:
    T_DX_Indicator() : T_TRIX_Indicator(12) {}
};
class T_MINUS_DI_Indicator final : public T_TRIX_Indicator {
public:
    T_MINUS_DI_Indicator() : T_TRIX_Indicator(13) {}
};
class T_MINUS_DM_Indicator final : public T_TRIX_Indicator {
public:
    T_MINUS_DM_Indicator() : T_TRIX_Indicator(14) {}
};
class T_MOM_Indicator final : public T_TRIX_Indicator {
public:
    T_MOM_Indicator() : T_TRIX_Indicator(15) {}
};
class T_PLUS_DI_Indicator final : public T_TRIX_Indicator {
public:
    T_PLUS_DI_Indicator() : T_TRIX_Indicator(16) {}
};
class T_PLUS_DM_Indicator final : public T_TRIX_Indicator {
public:
    T_PLUS_DM_Indicator() : T_TRIX_Indicator(17) {}
};
class T_ROC_Indicator final : public T_TRIX_Indicator {
public:
    T_ROC_Indicator() : T_TRIX_Indicator(18) {}
};
class T_ROCP_Indicator final : public T_TRIX_Indicator {
public:
    T_ROCP_Indicator() : T_TRIX_Indicator(19) {}
};
class T_ROCR_Indicator final : public T_TRIX_Indicator {
public:
    T_ROCR_Indicator() : T_TRIX_Indicator(20) {}
};
class T_ROCR100_Indicator final : public T_TRIX_Indicator {
public:
    T_ROCR100_Indicator() : T_TRIX_Indicator(21) {}
};
class T_RSI_Indicator final : public T_TRIX_Indicator {
public:
    T_RSI_Indicator() : T_TRIX_Indicator(22) {}
};
class T_LINEARREG_Indicator final : public T_TRIX_Indicator {
public:
    T_LINEARREG_Indicator() : T_TRIX_Indicator(23) {}
};
class T_LINEARREG_SLOPE_Indicator final : public T_TRIX_Indicator {
public:
    T_LINEARREG_SLOPE_Indicator() : T_TRIX_Indicator(24) {}
};
class T_LINEARREG_ANGLE_Indicator final : public T_TRIX_Indicator {
public:
    T_LINEARREG_ANGLE_Indicator() : T_TRIX_Indicator(25) {}
};
class T_LINEARREG_INTERCEPT_Indicator final : public T_TRIX_Indicator {
public:
    T_LINEARREG_INTERCEPT_Indicator() : T_TRIX_Indicator(26) {}
};
class T_TSF_Indicator final : public T_TRIX_Indicator {
public:
    T_TSF_Indicator() : T_TRIX_Indicator(27) {}
};
class T_WILLR_Indicator final : public T_TRIX_Indicator {
public:
    T_WILLR_Indicator() : T_TRIX_Indicator(28) {}
};
