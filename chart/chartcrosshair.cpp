// The crosshair and what the data window shows for the bar under it.

#include <QFontMetrics>
#include <QPainter>

#include "chartpanel.h"
#include "serdata.h"
#include "units.h"

namespace {

bool hasScale(const TOxyYArea *axis)
{
    return axis && axis->T.First >= 0 && axis->T.Ky != 0;
}

// A label in the axis' line colour with the chart's background as text:
// it stands out from the axis' own labels.
void drawLabel(QPainter &painter, const QRect &box, const QString &text, TColor fill, TColor ink)
{
    painter.fillRect(box, toQColor(fill));
    painter.setPen(toQColor(ink));
    painter.drawText(box, Qt::AlignCenter, text);
}

} // namespace

void TChartPanel::SetCrosshair(bool on)
{
    if (crosshairOn == on)
        return;
    crosshairOn = on;
    crosshairInside = false;
    if (OnCrosshair)
        OnCrosshair();
}

void TChartPanel::crosshairMoved(QPoint p)
{
    const bool inside = AreaAt(p) != nullptr;
    if (inside == crosshairInside && (!inside || p == crosshairAt))
        return;
    crosshairInside = inside;
    crosshairAt = p;
    if (OnCrosshair)
        OnCrosshair();
}

void TChartPanel::CrosshairLeave()
{
    if (!crosshairInside)
        return;
    crosshairInside = false;
    if (OnCrosshair)
        OnCrosshair();
}

bool TChartPanel::CrosshairShown() const { return crosshairOn && crosshairInside; }

TOxyYArea *TChartPanel::crosshairAxis(const TGraphArea *area) const
{
    if (!area)
        return nullptr;
    if (hasScale(area->RightAxis.get()))
        return area->RightAxis.get();
    return hasScale(area->LeftAxis.get()) ? area->LeftAxis.get() : nullptr;
}

int TChartPanel::CrosshairBar() const
{
    const TGraphArea *area = CrosshairShown() ? AreaAt(crosshairAt) : nullptr;
    if (!area || !series || xAxis->T.Kx <= 0)
        return -1;
    const double at = area->RightAxis->T.XToBar(area->ToArea(crosshairAt).x());
    const long bar = std::lround(at);
    return bar >= 0 && bar <= series->Last ? int(bar) : -1;
}

bool TChartPanel::CrosshairValue(double &value) const
{
    const TGraphArea *area = CrosshairShown() ? AreaAt(crosshairAt) : nullptr;
    const TOxyYArea *axis = crosshairAxis(area);
    if (!axis)
        return false;
    value = axis->T.YToValue(area->ToArea(crosshairAt).y());
    return true;
}

void TChartPanel::PaintCrosshair(QPainter &painter) const
{
    if (!CrosshairShown())
        return;
    const TGraphArea *area = AreaAt(crosshairAt);
    const int x = crosshairAt.x(), y = crosshairAt.y();
    painter.save();
    painter.setFont(font);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const TColor ink = xAxis->LineColor;
    painter.setPen(chartPen(ink, 2));  // dotted
    // The vertical line crosses every area, the horizontal one its own.
    painter.drawLine(x, 0, x, xAxis->Top - 1);
    painter.drawLine(area->Left, y, area->Right - 1, y);

    const QFontMetrics fm(font);
    const int lh = fm.height();
    double value = 0;
    if (const TOxyYArea *axis = crosshairAxis(area); axis && axis->Visible && CrosshairValue(value)) {
        const QRect box(axis->Left, y - lh / 2 - 1, axis->Width(), lh + 2);
        drawLabel(painter, box, DoublePriceText(value), axis->LineColor, Color);
    }
    const int bar = CrosshairBar();
    if (bar >= 0 && xAxis->Visible && xAxis->Height() > 0) {
        const QString text = formatDateTime(QStringLiteral("dd.mm.yy hh:nn"), MinutesToDateTime(series->Time()[bar]));
        const int w = fm.horizontalAdvance(text) + 8;
        const int left = std::clamp(x - w / 2, 0, std::max(0, xAxis->Right - w));
        drawLabel(painter, QRect(left, xAxis->Top + 1, w, lh + 2), text, ink, Color);
    }
    painter.restore();
}

std::vector<std::pair<QString, QString>> TChartPanel::DataAt(int bar) const
{
    std::vector<std::pair<QString, QString>> rows;
    if (!series || bar < 0 || bar > series->Last)
        return rows;
    rows.emplace_back(QStringLiteral("Time"),
                      formatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), MinutesToDateTime(series->Time()[bar])));
    rows.emplace_back(QStringLiteral("Open"), DoublePriceText(series->Open()[bar]));
    rows.emplace_back(QStringLiteral("High"), DoublePriceText(series->High()[bar]));
    rows.emplace_back(QStringLiteral("Low"), DoublePriceText(series->Low()[bar]));
    rows.emplace_back(QStringLiteral("Close"), DoublePriceText(series->Close()[bar]));
    for (const auto &area : areas)
        for (const auto &ind : area->Indicators) {
            const int lines = ind->ValueLines();
            for (int k = 0; k < lines; ++k) {
                double v = 0;
                if (!ind->ValueAt(k, bar, v))
                    continue;
                const QString name = lines > 1 ? QStringLiteral("%1 %2").arg(ind->ShortName()).arg(k + 1)
                                               : ind->ShortName();
                rows.emplace_back(name, DoublePriceText(v));
            }
        }
    return rows;
}
