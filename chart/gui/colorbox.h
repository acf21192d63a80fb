#pragma once

#include <functional>

#include <QColor>
#include <QComboBox>

#include "chartdraw.h"

// A colour chooser: the sixteen standard colours by name with a swatch, an
// entry for the colour it was given when that is none of them (so a box left
// alone gives back exactly what it got, system colours included), and
// "Custom..." last, which asks for any colour.
class TColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit TColorBox(QWidget *parent = nullptr);

    void SetColor(TColor color);
    TColor Color() const;
    // Index of the entry holding a colour outside the standard ones, -1
    // when there is none.
    int OtherIndex() const;

    // Asks for a colour behind "Custom..."; an invalid colour cancels.
    // Default: the toolkit's colour dialog.
    std::function<QColor(QWidget *parent, const QColor &initial)> ChooseColor;

private:
    void activatedAt(int index);
    int chooserIndex() const { return count() - 1; }

    int lastIndex = 0;
};
