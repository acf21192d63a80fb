#include "statuspanel.h"

#include <QPainter>
#include <QStyle>

namespace {
constexpr int Margin = 2;
}

TStatusPanel::TStatusPanel(int minimumWidth, QWidget *parent) : QWidget(parent), minWidth(minimumWidth)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void TStatusPanel::setText(const QString &text)
{
    if (text == fullText)
        return;
    fullText = text;
    setToolTip(text);
    updateGeometry();
    update();
}

QString TStatusPanel::shownText() const
{
    return fontMetrics().elidedText(fullText, Qt::ElideRight, qMax(0, width() - 2 * Margin));
}

QSize TStatusPanel::sizeHint() const
{
    // As wide as the text asks, but never so wide that the bar, and with it
    // the window, must grow: what does not fit is elided.
    const int wanted = fontMetrics().horizontalAdvance(fullText) + 4 * Margin;
    return {qBound(minWidth, wanted, qMax(minWidth, 400)), fontMetrics().height() + 2 * Margin};
}

QSize TStatusPanel::minimumSizeHint() const { return {minWidth, fontMetrics().height() + 2 * Margin}; }

void TStatusPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(Margin, 0, -Margin, 0), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

