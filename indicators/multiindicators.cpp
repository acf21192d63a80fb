#include "multiindicators.h"

#include "elementstream.h"
#include "kelvra/ta_api.h"

// ---- T_BBANDS_Indicator

T_BBANDS_Indicator::T_BBANDS_Indicator() : T_OtherM_Indicator(GraphTypeId::FirstCatalogue + 3)
{
    T_BBANDS_Indicator::ResetDefaults();
}

void T_BBANDS_Indicator::ResetDefaults()
{
    T_OtherM_Indicator::ResetDefaults();
    ExtraCount = 2;
    TimePeriod = 20;
    UpMultiplier = 8.0;
    DownMultiplier = 8.0;
    Method = 1;
    Color = ChartColors::Green;
}

bool T_BBANDS_Indicator::ParamDescriptor(int index, TParamDescriptor &d)
{
    switch (index) {
    case 1: d = TParamDescriptor::TimePeriod(&TimePeriod); return true;
    case 2: d = TParamDescriptor::Real(QStringLiteral("Up multiplier"), &UpMultiplier, -1000000, 1000000); return true;
    case 3:
        d = TParamDescriptor::Real(QStringLiteral("Down multiplier"), &DownMultiplier, -1000000, 1000000);
        return true;
    case 4: d = TParamDescriptor::Method(&Method); return true;
    default: return false;
    }
}

int T_BBANDS_Indicator::CallTA(int from, int to, double *const outputs[], int &begin, int &count)
{
    return TA_BBANDS(from, to, Close(), TimePeriod, UpMultiplier, DownMultiplier, TA_MAType(Method), &begin, &count,
                     outputs[0], outputs[1], outputs[2]);
}

void T_BBANDS_Indicator::SaveParameters(TElementWriter &w) const
{
    w.WriteInt32(TimePeriod);
    w.WriteDouble(UpMultiplier);
    w.WriteDouble(DownMultiplier);
    w.WriteInt32(Method);
}

void T_BBANDS_Indicator::LoadParameters(TElementReader &r)
{
    TimePeriod = r.ReadInt32();
    UpMultiplier = r.ReadDouble();
    DownMultiplier = r.ReadDouble();
    Method = r.ReadInt32();
}

// ---- T_MACD_Indicator

T_MACD_Indicator::T_MACD_Indicator() : T_OtherM_Indicator(GraphTypeId::FirstCatalogue + 29)
{
    T_MACD_Indicator::ResetDefaults();
}

void T_MACD_Indicator::ResetDefaults()
{
    T_OtherM_Indicator::ResetDefaults();
    ExtraCount = 2;
    FastPeriod = 10;
    SlowPeriod = 5;
    Smoothing = 5;
    Color = ChartColors::Red;
}

bool T_MACD_Indicator::ParamDescriptor(int index, TParamDescriptor &d)
{
    switch (index) {
    case 1: d = TParamDescriptor::Int(QStringLiteral("Fast period"), &FastPeriod, 2, 10000); return true;
    case 2: d = TParamDescriptor::Int(QStringLiteral("Slow period"), &SlowPeriod, 2, 10000); return true;
    case 3: d = TParamDescriptor::Int(QStringLiteral("Smoothing"), &Smoothing, 1, 10000); return true;
    default: return false;
    }
}

int T_MACD_Indicator::CallTA(int from, int to, double *const outputs[], int &begin, int &count)
{
    return TA_MACD(from, to, Close(), FastPeriod, SlowPeriod, Smoothing, &begin, &count, outputs[0], outputs[1],
                   outputs[2]);
}

void T_MACD_Indicator::SaveParameters(TElementWriter &w) const
{
    w.WriteInt32(FastPeriod);
    w.WriteInt32(SlowPeriod);
    w.WriteInt32(Smoothing);
}

void T_MACD_Indicator::LoadParameters(TElementReader &r)
{
    FastPeriod = r.ReadInt32();
    SlowPeriod = r.ReadInt32();
    Smoothing = r.ReadInt32();
}

// ---- T_STOCH_Indicator

T_STOCH_Indicator::T_STOCH_Indicator() : T_OtherM_Indicator(GraphTypeId::FirstCatalogue + 30)
{
    T_STOCH_Indicator::ResetDefaults();
}

void T_STOCH_Indicator::ResetDefaults()
{
    T_OtherM_Indicator::ResetDefaults();
    ExtraCount = 1;
    FastKPeriod = 5;
    SlowKPeriod = 3;
    SlowKMethod = 1;
    SlowDPeriod = 17;
    SlowDMethod = 1;
    Color = ChartColors::Green;
}

bool T_STOCH_Indicator::ParamDescriptor(int index, TParamDescriptor &d)
{
    switch (index) {
    case 1: d = TParamDescriptor::Int(QStringLiteral("Fast-K period"), &FastKPeriod, 1, 10000); return true;
    case 2: d = TParamDescriptor::Int(QStringLiteral("Slow-K period"), &SlowKPeriod, 1, 10000); return true;
    case 3:
        d = TParamDescriptor::Method(&SlowKMethod);
        d.Name = QStringLiteral("Fast-K method");
        d.Minimum = 1;
        return true;
    case 4: d = TParamDescriptor::Int(QStringLiteral("Slow-D period"), &SlowDPeriod, 1, 10000); return true;
    case 5:
        d = TParamDescriptor::Method(&SlowDMethod);
        d.Name = QStringLiteral("Slow-D method");
        return true;
    default: return false;
    }
}

int T_STOCH_Indicator::CallTA(int from, int to, double *const outputs[], int &begin, int &count)
{
    return TA_STOCH(from, to, High(), Low(), Close(), FastKPeriod, SlowKPeriod, TA_MAType(SlowKMethod), SlowDPeriod,
                    TA_MAType(SlowDMethod), &begin, &count, outputs[0], outputs[1]);
}

void T_STOCH_Indicator::SaveParameters(TElementWriter &w) const
{
    w.WriteInt32(FastKPeriod);
    w.WriteInt32(SlowKPeriod);
    w.WriteInt32(SlowKMethod);
    w.WriteInt32(SlowDPeriod);
    w.WriteInt32(SlowDMethod);
}

void T_STOCH_Indicator::LoadParameters(TElementReader &r)
{
    FastKPeriod = r.ReadInt32();
    SlowKPeriod = r.ReadInt32();
    SlowKMethod = r.ReadInt32();
    SlowDPeriod = r.ReadInt32();
    SlowDMethod = r.ReadInt32();
}
