#include "axes.h"

#include <cmath>
#include <cstdint>

#include <QPainter>

#include "chartpanel.h"
#include "elementstream.h"
#include "grapharea.h"
#include "serdata.h"
#include "units.h"

// ---- TOxyArea

void TOxyArea::Save(TElementWriter &w, bool full) const
{
    TGraphBaseArea::Save(w, full);
    w.WriteByte(Visible);
    w.WriteByte(GridVisible);
    w.WriteUInt32(GridColor);
    w.WriteUInt32(LineColor);
}

void TOxyArea::Load(TElementReader &r, bool full)
{
    TGraphBaseArea::Load(r, full);
    Visible = r.ReadBool();
    GridVisible = r.ReadBool();
    GridColor = r.ReadUInt32();
    LineColor = r.ReadUInt32();
}

// ---- TOxyXArea

TOxyXArea::TOxyXArea(TChartPanel *panel) : TOxyArea(GraphTypeId::OxyXArea, panel)
{
    UpdateDateFormat();
}

void TOxyXArea::UpdateDateFormat()
{
    QStringList parts;
    if (ShowDay)
        parts << QStringLiteral("dd");
    if (ShowMonth)
        parts << QStringLiteral("mm");
    if (ShowYear)
        parts << QStringLiteral("yy");
    DateFormat = parts.join(u'.');
}

void TOxyXArea::Save(TElementWriter &w, bool full) const
{
    TOxyArea::Save(w, full);
    w.WriteByte(ShowTime);
    w.WriteByte(ShowDate);
    w.WriteByte(ShowDay);
    w.WriteByte(ShowMonth);
    w.WriteByte(ShowYear);
    w.WriteByte(Panel ? Panel->Settings.LeftVisible : 1);
    w.WriteByte(Panel ? Panel->Settings.RightVisible : 1);
    w.WriteUInt32(Panel ? Panel->Color : ChartColors::Black);
}

void TOxyXArea::Load(TElementReader &r, bool full)
{
    TOxyArea::Load(r, full);
    ShowTime = r.ReadBool();
    ShowDate = r.ReadBool();
    ShowDay = r.ReadBool();
    ShowMonth = r.ReadBool();
    ShowYear = r.ReadBool();
    const uint8_t left = r.ReadBool();
    const uint8_t right = r.ReadBool();
    const TColor background = r.ReadUInt32();
    if (Panel) {
        Panel->Settings.LeftVisible = left;
        Panel->Settings.RightVisible = right;
        Panel->Color = background;
    }
    UpdateDateFormat();
}

void TOxyXArea::MouseDown(QPoint p)
{
    TOxyArea::MouseDown(p);
    SavedCount = Panel->VisibleCount;
}

void TOxyXArea::MouseMove(QPoint p)
{
    if (T.Kx == 0)
        return;
    const int dx = p.x() - DownPoint.x();
    if (dx == 0)
        return;
    const int64_t n = int64_t(SavedCount) + dx;
    Panel->ZoomKeepRight(int(std::clamp<int64_t>(n, 1, INT32_MAX)));
    Panel->Repaint();
}

void TOxyXArea::Paint(QPainter &painter)
{
    if (!Visible || Width() <= 0 || Height() <= 0)
        return;
    painter.setPen(chartPen(LineColor));
    painter.setBrush(toQColor(Panel->Color));
    painter.drawLine(Left, Top, Right - 1, Top);
    if (T.Kx <= 0 || T.First < 0 || LabelWidth <= 1)
        return;

    const int step = std::max(1, roundInt(LabelWidth / T.Kx) + 1);
    const int start = roundInt(T.XToBar(LabelWidth / 2));
    const TSerData *series = Panel->Series();
    const int seriesLast = series ? series->Last : -1;
    const int lh = LineHeight;
    const QFontMetrics fm(painter.font());
    const QPen gridPen = chartPen(GridColor, 2);
    const QPen linePen = chartPen(LineColor);
    painter.setBackgroundMode(Qt::TransparentMode);

    int64_t i = start;
    if (i < T.First)
        i += ((int64_t(T.First) - i + step - 1) / step) * step;
    for (; i <= T.Last; i += step) {
        const int x = Left + T.BarToX(double(i));
        if (GridVisible) {
            painter.setPen(gridPen);
            painter.drawLine(x, 0, x, Top - 1);
        }
        painter.setPen(linePen);
        drawSegment(painter, x, Top, x, Top + lh / 2);
        if (i < 0 || i > seriesLast)
            continue;
        const TDateTime when = MinutesToDateTime(series->Time()[i]);
        if (ShowTime) {
            const QString text = formatDateTime(QStringLiteral("hh:nn"), when);
            painter.drawText(x - fm.horizontalAdvance(text) / 2, Top + lh / 2 + fm.ascent(), text);
        }
        if (ShowDate && !DateFormat.isEmpty()) {
            const QString text = formatDateTime(DateFormat, when);
            painter.drawText(x - fm.horizontalAdvance(text) / 2, Top + lh / 2 + lh + fm.ascent(), text);
        }
    }
}

// ---- TOxyYArea

TOxyYArea::TOxyYArea(TChartPanel *panel, TGraphArea *area, uint8_t side)
    : TOxyArea(GraphTypeId::OxyYArea, panel), Side(side), Area(area)
{
}

void TOxyYArea::Save(TElementWriter &w, bool full) const
{
    TOxyArea::Save(w, full);
    if (full)
        w.WriteDouble(VScale);
}

void TOxyYArea::Load(TElementReader &r, bool full)
{
    TOxyArea::Load(r, full);
    if (full) {
        const double v = r.ReadDouble();
        VScale = std::isfinite(v) ? std::clamp(v, MinVScale, MaxVScale) : 1.0;
    }
}

void TOxyYArea::MouseDown(QPoint p)
{
    TOxyArea::MouseDown(p);
    SavedScale = VScale;
}

void TOxyYArea::MouseMove(QPoint p)
{
    const TGraphArea *area = Panel->AreaAtRow(DownPoint.y());
    if (!area)
        return;
    const int64_t h = area->Height();
    const int64_t d = h + (int64_t(p.y()) - DownPoint.y());
    if (d > 0 && h > 0)
        Panel->SetAxisScale(this, double(h) * SavedScale / double(d));
    Panel->CalcScales();
    Panel->Repaint();
}

void TOxyYArea::CalcScale(int areaHeight, int lineHeight)
{
    const int64_t h = areaHeight;
    if (!std::isfinite(VScale) || VScale <= 0)
        VScale = 1.0;
    VScale = std::clamp(VScale, MinVScale, MaxVScale);
    int64_t H = int64_t(std::nearbyint(double(h) * VScale));
    if (H == 0) {
        VScale = 1.0;
        H = h;
    }
    const double range = Max - Min;
    TickCount = 0;
    Step = 0;
    FirstTick = 0;
    if (!(range > 0) || !std::isfinite(range) || h <= 0 || H <= 0) {
        T.First = -1;
        T.Ky = 0;
        return;
    }
    T.By = 0.1 * range - Min;
    T.Ky = double(H) / (range * 1.2);
    T.Y0 = double(h + (H - h) / 2);
    if (!(T.Ky > 0) || !std::isfinite(T.Ky)) {
        T.First = -1;
        T.Ky = 0;
        return;
    }

    Step = TChartPanel::NiceStep(2.0 * lineHeight / T.Ky);
    const double top = T.YToValue(int(h - lineHeight));
    const double topUnits = std::nearbyint(top * 10000.0);
    const double stepUnits = std::max(1.0, std::nearbyint(Step * 10000.0));
    if (std::fabs(topUnits) < 9e15) {
        const int64_t first = (int64_t(topUnits) / int64_t(stepUnits)) * int64_t(stepUnits);
        FirstTick = double(first) / 10000.0;
    } else {
        FirstTick = top;
    }
    const double pixelsPerStep = std::trunc(Step * T.Ky);
    if (pixelsPerStep >= 1 && pixelsPerStep < 1e12)
        TickCount = int(h / int64_t(pixelsPerStep)) + 1;
}

void TOxyYArea::Paint(QPainter &painter)
{
    if (!Visible || Width() <= 0 || Height() <= 0)
        return;
    const QPen linePen = chartPen(LineColor);
    painter.setPen(linePen);
    painter.setBrush(toQColor(Panel->Color));
    const int edge = Side ? Right - 1 : Left;
    painter.drawLine(edge, Top, edge, Bottom);
    if (!ScaleValid())
        return;

    const QFontMetrics fm(painter.font());
    const int lh = LineHeight;
    painter.save();
    painter.setClipRect(Rect());
    painter.setBackgroundMode(Qt::TransparentMode);
    for (int k = 0; k < TickCount; ++k) {
        const double value = FirstTick + k * Step;
        const int y = Top + T.ValueToY(value);
        if (Side)
            painter.drawLine(Right - 4, y, Right - 1, y);
        else
            painter.drawLine(Left, y, Left + 3, y);
        const int textTop = y - lh / 2;
        if (textTop >= Top && textTop + lh <= Bottom) {
            const QString text = DoublePriceText(value);
            const int x = Side ? Right - 8 - fm.horizontalAdvance(text) : Left + 8;
            painter.drawText(x, textTop + fm.ascent(), text);
        }
    }

    // The current price, on the right axis of the area showing the price.
    if (!Side && Area) {
        const TGraphIndicator *price = Panel->PriceIndicator();
        if (price && Area->HoldsIndicator(price) && price->Series) {
            const TSerData *s = price->Series;
            const double close = s->Count() >= 2 ? s->Close()[s->Last] : 0.0;
            const int y = Top + T.ValueToY(close);
            const QColor line = toQColor(LineColor);
            painter.setPen(chartPen(LineColor));
            painter.setBrush(line);
            const QPoint triangle[3] = {QPoint(Left, y), QPoint(Left + 8, y - 3), QPoint(Left + 8, y + 3)};
            painter.drawPolygon(triangle, 3);
            const QString text = DoublePriceText(close);
            const QRect box(Left + 9, y - lh / 2, fm.horizontalAdvance(text) + 4, lh);
            painter.fillRect(box, line);
            painter.setPen(toQColor(Panel->Color));
            painter.drawText(box.left() + 2, box.top() + fm.ascent(), text);
        }
    }
    painter.restore();

    // A left axis showing its partner's range would only draw the same dots
    // again (the right axis paints next).
    bool sameAsPartner = false;
    if (Side && Area) {
        const TOxyYArea &r = *Area->RightAxis;
        sameAsPartner = r.Visible && r.GridVisible && r.GridColor == GridColor && r.ScaleValid()
            && r.TickCount == TickCount && r.FirstTick == FirstTick && r.Step == Step && r.T.Ky == T.Ky
            && r.T.Y0 == T.Y0 && r.T.By == T.By && r.Width() > 0;
    }
    if (GridVisible && !sameAsPartner && Area && Area->Width() > 0) {
        painter.save();
        painter.setClipRect(Area->Rect());
        painter.setPen(chartPen(GridColor, 2));
        for (int k = 0; k < TickCount; ++k) {
            const int y = Top + T.ValueToY(FirstTick + k * Step);
            painter.drawLine(Area->Left, y, Area->Right - 1, y);
        }
        painter.restore();
    }
}
