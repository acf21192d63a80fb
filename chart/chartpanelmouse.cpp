#include <cstdlib>

#include "chartpanel.h"
#include "pendingslot.h"

namespace {
bool isAxis(const TGraphBaseArea *part)
{
    return dynamic_cast<const TOxyArea *>(part) != nullptr;
}
} // namespace

void TChartPanel::MouseDown(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers)
{
    if (button != Qt::LeftButton)
        return;
    if (ignoreNextDown) {
        ignoreNextDown = false;
        return;
    }
    TGraphBaseArea *part = PartAt(p);
    if (!part)
        return;
    if (dynamic_cast<TSplitterArea *>(part) || isAxis(part)) {
        captured = part;
        part->MouseDown(p);
        return;
    }
    part->MouseDown(p);
}

void TChartPanel::MouseMove(QPoint p, Qt::MouseButtons, Qt::KeyboardModifiers)
{
    if (crosshairOn)
        crosshairMoved(p);
    if (captured) {
        captured->MouseMove(p);
        return;
    }
    TGraphBaseArea *part = PartAt(p);
    if (dynamic_cast<TSplitterArea *>(part)) {
        HideHint();
        cursor = ChartCursor::VSplit;
    } else if (dynamic_cast<TOxyYArea *>(part)) {
        HideHint();
        cursor = ChartCursor::SizeNS;
    } else if (dynamic_cast<TOxyXArea *>(part)) {
        HideHint();
        cursor = ChartCursor::SizeEW;
    } else if (auto *area = dynamic_cast<TGraphArea *>(part)) {
        area->MouseMove(p);
    } else {
        HideHint();
        cursor = ChartCursor::Arrow;
    }
}

void TChartPanel::MouseUp(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers)
{
    if (button != Qt::LeftButton)
        return;
    // The press a double click stands for is over with this release; the
    // user's next press counts.
    ignoreNextDown = false;
    if (TGraphBaseArea *part = captured) {
        captured = nullptr;
        part->MouseUp(p);
    }
    // The candidate lives for one press only.
    TGraphIndicator *candidate = dragCandidate;
    dragCandidate = nullptr;
    TGraphArea *under = AreaAt(p);
    if (candidate && under && candidate->Area() && candidate->Area() != under && !PlacingHere())
        MoveIndicator(candidate, under);

    // Placing and dragging end in the area of the element's own axis,
    // wherever the release lands.
    TGraphArea *target = under;
    if (PlacingHere()) {
        target = TPendingSlot::Get()->Area();
    } else if (selected && selected->Has(ElementState::Dragging) && dynamic_cast<TGraphItem *>(selected)) {
        target = selected->Area();
    }
    if (target && IndexOfArea(target) >= 0)
        target->MouseUp(p);

    if (!TPendingSlot::Empty()) {
        TPendingSlot::Clear();
        Repaint();
    }
}

void TChartPanel::DoubleClick(QPoint p, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    ignoreNextDown = true;
    TGraphBaseArea *part = PartAt(p);
    if (dynamic_cast<TGraphArea *>(part)) {
        if (selected && OpenElementProperties)
            OpenElementProperties(selected);
    } else if (auto *axis = dynamic_cast<TOxyArea *>(part)) {
        if (OpenAxisProperties)
            OpenAxisProperties(axis);
    }
}

bool TChartPanel::KeyDelete()
{
    if (!selected || selected->TypeId == GraphTypeId::MainIndicator)
        return false;
    if (ConfirmDelete && !ConfirmDelete(selected->DisplayName()))
        return true;
    TDrawedElement *e = selected;
    DeleteElement(e);
    return true;
}

bool TChartPanel::KeyPress(int key, Qt::KeyboardModifiers)
{
    switch (key) {
    case Qt::Key_Delete: return KeyDelete();
    case Qt::Key_Left: ScrollBy(-1); return true;
    case Qt::Key_Right: ScrollBy(1); return true;
    case Qt::Key_PageUp: ScrollBy(-VisibleCount); return true;
    case Qt::Key_PageDown: ScrollBy(VisibleCount); return true;
    case Qt::Key_Home: ScrollHome(); return true;
    case Qt::Key_End: ScrollEnd(); return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal: ZoomIn(); return true;
    case Qt::Key_Minus: ZoomOut(); return true;
    default: return false;
    }
}

void TChartPanel::Wheel(int angleDeltaY, Qt::KeyboardModifiers mods)
{
    // Whole notches of 120; what a fine-grained wheel sends in between waits.
    static constexpr int Notch = 120;
    wheelRest += angleDeltaY;
    const int notches = wheelRest / Notch;
    if (notches == 0)
        return;
    wheelRest -= notches * Notch;
    if (mods & Qt::ControlModifier) {
        for (int i = 0; i < std::abs(notches); ++i) {
            if (notches > 0)
                ZoomIn();
            else
                ZoomOut();
        }
        return;
    }
    // Up (away from the user) goes back in history.
    const int step = std::max(1, VisibleCount / 10);
    ScrollBy(-notches * step);
}
