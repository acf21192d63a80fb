#pragma once

#include <Qt>

// One column of a list window: its caption from the language table, its
// alignment and its width rule. A column that is not auto-sized keeps
// `width`; an auto-sized one fits its texts within min..max (max 0: none).
struct TListColumn {
    int captionIndex = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
    int minWidth = 0;
    int maxWidth = 0;
    bool autoSize = true;
    int width = 0;
};
