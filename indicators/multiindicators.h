#pragma once

#include "otherindicator.h"

// The indicators with several outputs, all drawn in the one pen.

// Bollinger Bands (entry 3): upper, middle and lower band.
class T_BBANDS_Indicator final : public T_OtherM_Indicator {
public:
    T_BBANDS_Indicator();

    int32_t TimePeriod = 20;
    double UpMultiplier = 8.0;
    double DownMultiplier = 8.0;
    int32_t Method = 1;

    void ResetDefaults() override;  // 20, 8.0, 8.0, exponential, green
    bool ParamDescriptor(int index, TParamDescriptor &d) override;
    int ParamCount() const override { return 4; }

protected:
    int CallTA(int from, int to, double *const outputs[], int &begin, int &count) override;
    void SaveParameters(TElementWriter &w) const override;
    void LoadParameters(TElementReader &r) override;
};

// MACD (entry 29): MACD, signal and histogram (drawn as a line).
class T_MACD_Indicator final : public T_OtherM_Indicator {
public:
    T_MACD_Indicator();

    int32_t FastPeriod = 10;
    int32_t SlowPeriod = 5;
    int32_t Smoothing = 5;

    void ResetDefaults() override;  // 10, 5, 5, red
    bool ParamDescriptor(int index, TParamDescriptor &d) override;
    int ParamCount() const override { return 3; }

protected:
    int CallTA(int from, int to, double *const outputs[], int &begin, int &count) override;
    void SaveParameters(TElementWriter &w) const override;
    void LoadParameters(TElementReader &r) override;
};

// Stochastic (entry 30): slow K and slow D.
class T_STOCH_Indicator final : public T_OtherM_Indicator {
public:
    T_STOCH_Indicator();

    int32_t FastKPeriod = 5;
    int32_t SlowKPeriod = 3;
    int32_t SlowKMethod = 1;  // labelled "Fast-K method"
    int32_t SlowDPeriod = 17;
    int32_t SlowDMethod = 1;

    void ResetDefaults() override;  // 5, 3, exponential, 17, exponential, green
    bool ParamDescriptor(int index, TParamDescriptor &d) override;
    int ParamCount() const override { return 5; }

protected:
    int CallTA(int from, int to, double *const outputs[], int &begin, int &count) override;
    void SaveParameters(TElementWriter &w) const override;
    void LoadParameters(TElementReader &r) override;
};
