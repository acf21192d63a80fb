#include "chartpanel.h"
#include "pendingslot.h"

// The indicator keeps its place in the area's list: the order decides which
// indicator sets an axis' range first and which index its items store.
void TChartPanel::SetIndicatorSide(TGraphIndicator *ind, uint8_t side)
{
    TGraphArea *area = ind ? ind->Area() : nullptr;
    if (!area || IndexOfArea(area) < 0 || !area->HoldsIndicator(ind))
        return;
    side = side ? 1 : 0;
    TOxyYArea *axis = area->Axis(side);
    if (ind->AxisSide == side && ind->OwnerAxis == axis)
        return;
    ind->AxisSide = side;
    ind->OwnerAxis = axis;
    for (const auto &item : area->Items)
        if (item->Bound == ind)
            item->OwnerAxis = axis;
    if (auto *pending = dynamic_cast<TGraphItem *>(TPendingSlot::Get()); pending && pending->Bound == ind)
        pending->OwnerAxis = axis;
    Layout();
    Recalculate();
    Repaint();
}
