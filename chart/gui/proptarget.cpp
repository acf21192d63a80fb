#include "proptarget.h"

#include "chartpanel.h"

TPropTarget::TPropTarget(TGraphBase *e, TChartPanel *p, QObject *o, bool d)
    : element(e), panel(p), owner(o), guarded(o != nullptr), detached(d), typeId(e ? e->TypeId : 0)
{
}

TChartPanel *TPropTarget::Panel() const
{
    return guarded && !owner ? nullptr : panel;
}

TGraphBase *TPropTarget::Resolve() const
{
    if (!element || (guarded && !owner))
        return nullptr;
    if (detached || !panel)
        return element;
    // Only pointers the panel holds now are dereferenced.
    return PanelHolds(*panel, element) && element->TypeId == typeId ? element : nullptr;
}

bool TPropTarget::PanelHolds(const TChartPanel &panel, const TGraphBase *e)
{
    if (!e)
        return false;
    if (e == panel.XAxis())
        return true;
    for (int i = 0; i < panel.AreaCount(); ++i) {
        const TGraphArea *area = panel.Area(i);
        if (e == area->LeftAxis.get() || e == area->RightAxis.get())
            return true;
        for (const auto &ind : area->Indicators)
            if (ind.get() == e)
                return true;
        for (const auto &item : area->Items)
            if (item.get() == e)
                return true;
    }
    return false;
}
