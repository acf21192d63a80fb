#pragma once

#include <QPointer>

class QObject;
class TChartPanel;
class TGraphBase;

// What the properties dialog edits, found again whenever the dialog uses it.
// The dialog runs its own event loop while the chart goes on ticking, so the
// element may be deleted, or its whole window closed, while it is open; the
// dialog never keeps a raw element across that loop.
class TPropTarget {
public:
    TPropTarget() = default;
    // `element` is an axis or an element of `panel` (null for an element
    // that belongs to no chart). `owner`, when given, owns the panel: once
    // it is gone so is the element. A detached element is not attached to
    // the panel yet (a new indicator being placed); the caller owns it.
    TPropTarget(TGraphBase *element, TChartPanel *panel, QObject *owner = nullptr, bool detached = false);

    // The element when it still exists, else null.
    TGraphBase *Resolve() const;
    // The panel while it exists (null without one).
    TChartPanel *Panel() const;
    bool Detached() const { return detached; }

    // Whether `element` is one of the panel's axes or elements now.
    static bool PanelHolds(const TChartPanel &panel, const TGraphBase *element);

private:
    TGraphBase *element = nullptr;
    TChartPanel *panel = nullptr;
    QPointer<QObject> owner;
    bool guarded = false;   // an owner was given
    bool detached = false;
    int typeId = 0;         // a new element at a freed one's address is not it
};
