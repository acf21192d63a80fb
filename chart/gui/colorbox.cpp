#include "colorbox.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>
#include <QPointer>

#include "extratexts.h"

namespace {

constexpr int kColorRole = Qt::UserRole;
constexpr int kOtherRole = Qt::UserRole + 1;  // the entry of a colour outside the list

struct TNamedColor {
    TExtraText name;
    TColor color;
};

// The standard colours in their usual order (values 0x00BBGGRR).
constexpr TNamedColor kStandard[] = {
    {TExtraText::ColorBlack, 0x000000},   {TExtraText::ColorMaroon, 0x000080}, {TExtraText::ColorGreen, 0x008000},
    {TExtraText::ColorOlive, 0x008080},   {TExtraText::ColorNavy, 0x800000},   {TExtraText::ColorPurple, 0x800080},
    {TExtraText::ColorTeal, 0x808000},    {TExtraText::ColorGray, 0x808080},   {TExtraText::ColorSilver, 0xC0C0C0},
    {TExtraText::ColorRed, 0x0000FF},     {TExtraText::ColorLime, 0x00FF00},   {TExtraText::ColorYellow, 0x00FFFF},
    {TExtraText::ColorBlue, 0xFF0000},    {TExtraText::ColorFuchsia, 0xFF00FF}, {TExtraText::ColorAqua, 0xFFFF00},
    {TExtraText::ColorWhite, 0xFFFFFF},
};

QIcon swatch(TColor color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(toQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

QString otherName(TColor color)
{
    // System colours keep the form they are stored in.
    if (color & 0xFF000000u)
        return QStringLiteral("$%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
    return toQColor(color).name();
}

} // namespace

TColorBox::TColorBox(QWidget *parent) : QComboBox(parent)
{
    // The dialog is never translated: its texts are the English ones.
    for (const TNamedColor &c : kStandard)
        addItem(swatch(c.color), ExtraTextIn(true, c.name), QVariant::fromValue(uint(c.color)));
    addItem(ExtraTextIn(true, TExtraText::ColorCustom));
    setCurrentIndex(0);
    connect(this, &QComboBox::activated, this, &TColorBox::activatedAt);
}

int TColorBox::OtherIndex() const
{
    for (int i = 0; i < chooserIndex(); ++i)
        if (itemData(i, kOtherRole).toBool())
            return i;
    return -1;
}

void TColorBox::SetColor(TColor color)
{
    int index = -1;
    for (int i = 0; i < chooserIndex() && index < 0; ++i)
        if (!itemData(i, kOtherRole).toBool() && itemData(i, kColorRole).toUInt() == color)
            index = i;
    if (index < 0) {
        index = OtherIndex();
        if (index < 0) {
            index = chooserIndex();
            insertItem(index, QString());
            setItemData(index, true, kOtherRole);
        }
        setItemIcon(index, swatch(color));
        setItemText(index, otherName(color));
        setItemData(index, QVariant::fromValue(uint(color)), kColorRole);
    }
    setCurrentIndex(index);
    lastIndex = index;
}

TColor TColorBox::Color() const
{
    const int index = currentIndex() >= 0 && currentIndex() < chooserIndex() ? currentIndex() : lastIndex;
    return TColor(itemData(index, kColorRole).toUInt());
}

void TColorBox::activatedAt(int index)
{
    if (index != chooserIndex()) {
        lastIndex = index;
        return;
    }
    const QColor initial = toQColor(TColor(itemData(lastIndex, kColorRole).toUInt()));
    const QPointer<TColorBox> self(this);
    const QColor chosen = ChooseColor ? ChooseColor(this, initial) : QColorDialog::getColor(initial, this);
    if (!self)
        return;  // closed with its window while the chooser was open
    if (chosen.isValid())
        SetColor(fromQColor(chosen));
    else
        setCurrentIndex(lastIndex);
}
