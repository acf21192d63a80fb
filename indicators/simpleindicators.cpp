#include "simpleindicators.h"

#include "elementstream.h"
#include "kelvra/ta_api.h"

// ---- T_SAR_Indicator

T_SAR_Indicator::T_SAR_Indicator() : TOtherIndicator(GraphTypeId::FirstCatalogue + 1)
{
    T_SAR_Indicator::ResetDefaults();
}

void T_SAR_Indicator::ResetDefaults()
{
    TOtherIndicator::ResetDefaults();
    Step = 0.02;
    Maximum = 0.2;
    Color = ChartColors::Green;
}

bool T_SAR_Indicator::ParamDescriptor(int index, TParamDescriptor &d)
{
    switch (index) {
    case 1: d = TParamDescriptor::Real(QStringLiteral("Step"), &Step, 0, 100000); return true;
    case 2: d = TParamDescriptor::Real(QStringLiteral("Maximum"), &Maximum, 0, 100000); return true;
    default: return false;
    }
}

int T_SAR_Indicator::CallTA(int from, int to, double *const outputs[], int &begin, int &count)
{
    return TA_SAR(from, to, High(), Low(), Step, Maximum, &begin, &count, outputs[0]);
}

void T_SAR_Indicator::SaveParameters(TElementWriter &w) const
{
    w.WriteDouble(Step);
    w.WriteDouble(Maximum);
}

void T_SAR_Indicator::LoadParameters(TElementReader &r)
{
    Step = r.ReadDouble();
    Maximum = r.ReadDouble();
}

// ---- T_HT_TRENDLINE_Indicator

T_HT_TRENDLINE_Indicator::T_HT_TRENDLINE_Indicator() : TOtherIndicator(GraphTypeId::FirstCatalogue + 4) {}

int T_HT_TRENDLINE_Indicator::CallTA(int from, int to, double *const outputs[], int &begin, int &count)
{
    return TA_HT_TRENDLINE(from, to, Close(), &begin, &count, outputs[0]);
}

// ---- T_TRANGE_Indicator

T_TRANGE_Indicator::T_TRANGE_Indicator() : TOtherIndicator(GraphTypeId::FirstCatalogue + 8) {}

int T_TRANGE_Indicator::CallTA(int from, int to, double *const outputs[], int &begin, int &count)
{
    return TA_TRANGE(from, to, High(), Low(), Close(), &begin, &count, outputs[0]);
}
