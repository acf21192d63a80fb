#include "pendingslot.h"

#include "chartpanel.h"
#include "drawedelement.h"

namespace {
std::unique_ptr<TDrawedElement> &slot()
{
    static std::unique_ptr<TDrawedElement> element;
    return element;
}
TChartPanel *placingPanel = nullptr;
std::function<void()> &onEmptied()
{
    static std::function<void()> callback;
    return callback;
}
void notifyEmptied()
{
    if (onEmptied())
        onEmptied()();
}
} // namespace

void TPendingSlot::Set(std::unique_ptr<TDrawedElement> element)
{
    // The panel it was being placed in shows it only in its overlay: that
    // panel must paint again without it.
    TChartPanel *shownIn = slot() ? placingPanel : nullptr;
    placingPanel = nullptr;
    const bool emptied = !element && slot();
    slot() = std::move(element);
    if (shownIn)
        shownIn->Repaint();
    if (emptied)
        notifyEmptied();
}

TDrawedElement *TPendingSlot::Get()
{
    return slot().get();
}

std::unique_ptr<TDrawedElement> TPendingSlot::Take()
{
    placingPanel = nullptr;
    std::unique_ptr<TDrawedElement> out = std::move(slot());
    if (out)
        notifyEmptied();
    return out;
}

void TPendingSlot::Clear()
{
    Set(nullptr);
}

TChartPanel *TPendingSlot::PlacingPanel()
{
    return slot() ? placingPanel : nullptr;
}

void TPendingSlot::SetPlacingPanel(TChartPanel *panel)
{
    placingPanel = panel;
}

void TPendingSlot::SetOnEmptied(std::function<void()> callback)
{
    onEmptied() = std::move(callback);
}
