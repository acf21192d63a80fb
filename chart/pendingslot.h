#pragma once

#include <functional>
#include <memory>

class TChartPanel;
class TDrawedElement;

// The one process-wide slot holding the element a drawing tool is about to
// place. Empty while the pointer tool is active.
class TPendingSlot {
public:
    // Arms the slot (the previous element, if any, is freed).
    static void Set(std::unique_ptr<TDrawedElement> element);
    static TDrawedElement *Get();
    // Empties the slot and hands the element over.
    static std::unique_ptr<TDrawedElement> Take();
    // Empties the slot, freeing the element.
    static void Clear();
    static bool Empty() { return Get() == nullptr; }

    // The panel the pending element started placing in (null until pressed).
    static TChartPanel *PlacingPanel();
    static void SetPlacingPanel(TChartPanel *panel);

    // Called whenever the slot becomes empty (placed, discarded, zoom done,
    // cleared), so the tool buttons can fall back to the pointer.
    static void SetOnEmptied(std::function<void()> callback);
};
