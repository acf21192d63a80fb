#pragma once

#include "otherindicator.h"

// The single-output indicators without a time period.

// Parabolic SAR (entry 1): acceleration step and maximum.
class T_SAR_Indicator final : public TOtherIndicator {
public:
    T_SAR_Indicator();

    double Step = 0.02;
    double Maximum = 0.2;

    void ResetDefaults() override;  // 0.02, 0.2, green
    bool ParamDescriptor(int index, TParamDescriptor &d) override;
    int ParamCount() const override { return 2; }

protected:
    int CallTA(int from, int to, double *const outputs[], int &begin, int &count) override;
    void SaveParameters(TElementWriter &w) const override;
    void LoadParameters(TElementReader &r) override;
};

// Hilbert transform trend line (entry 4); no parameters, blue.
class T_HT_TRENDLINE_Indicator final : public TOtherIndicator {
public:
    T_HT_TRENDLINE_Indicator();

protected:
    int CallTA(int from, int to, double *const outputs[], int &begin, int &count) override;
};

// True range (entry 8); no parameters, blue.
class T_TRANGE_Indicator final : public TOtherIndicator {
public:
    T_TRANGE_Indicator();

protected:
    int CallTA(int from, int to, double *const outputs[], int &begin, int &count) override;
};
