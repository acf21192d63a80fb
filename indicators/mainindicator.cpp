#include "mainindicator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include <QPainter>

#include "axes.h"
#include "elementstream.h"
#include "grapharea.h"
#include "serdata.h"
#include "units.h"

namespace {
TMainIndicator::ServerTimeSource &defaultServerTime()
{
    static TMainIndicator::ServerTimeSource source;
    return source;
}

// Candles of one colour pair, collected and drawn in a few calls: the
// bodies of neighbouring bars never overlap, so the picture is the same as
// drawing bar by bar, at a fraction of the painter calls.
struct CandleBatch {
    std::vector<QRect> fills, frames;
    std::vector<QLine> lines;
    std::vector<QPoint> points;

    void segment(int x1, int y1, int x2, int y2)
    {
        if (x1 == x2 && y1 == y2)
            return;
        if (std::abs(x1 - x2) <= 1 && std::abs(y1 - y2) <= 1)
            points.emplace_back(x1, y1);
        else
            lines.emplace_back(x1, y1, x2, y2);
    }
    // As drawBox: [x1, x2) × [y1, y2), filled and outlined.
    void box(int x1, int y1, int x2, int y2)
    {
        const QRect r = boxRect(x1, y1, x2, y2);
        if (r.isEmpty())
            return;
        fills.push_back(r);
        if (r.width() == 1 || r.height() == 1)
            lines.emplace_back(r.topLeft(), r.bottomRight());
        else
            frames.push_back(r.adjusted(0, 0, -1, -1));
    }
    void flush(QPainter &painter, const QPen &pen, const QBrush &brush) const
    {
        if (!fills.empty()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(brush);
            painter.drawRects(fills.data(), int(fills.size()));
        }
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        if (!frames.empty())
            painter.drawRects(frames.data(), int(frames.size()));
        if (!lines.empty())
            painter.drawLines(lines.data(), int(lines.size()));
        if (!points.empty())
            painter.drawPoints(points.data(), int(points.size()));
    }
};

int halfWidth(double kx, int minimum)
{
    const double r = std::nearbyint(0.4 * kx);
    if (!(r >= minimum))
        return 0;
    return r > 20 ? 20 : int(r);
}
} // namespace

TMainIndicator::TMainIndicator() : TGraphIndicator(GraphTypeId::MainIndicator)
{
    Name = QStringLiteral("Price");
    ResetDefaults();
}

std::unique_ptr<TGraphIndicator> MakeMainIndicator()
{
    return std::make_unique<TMainIndicator>();
}

void TMainIndicator::SetDefaultServerTime(ServerTimeSource source)
{
    defaultServerTime() = std::move(source);
}

qint32 TMainIndicator::ServerTime(qint32 fallback) const
{
    if (serverTime)
        return serverTime();
    if (defaultServerTime())
        return defaultServerTime()();
    return fallback;
}

int TMainIndicator::CandleHalfWidth(double kx)
{
    return halfWidth(kx, 2);
}

int TMainIndicator::BarTick(double kx)
{
    return halfWidth(kx, 1);
}

QString TMainIndicator::DisplayName() const
{
    return QStringLiteral("Price");
}

QString TMainIndicator::ShortName() const
{
    return QStringLiteral("Price");
}

QString TMainIndicator::HintText(int bar) const
{
    int from = bar, to = bar;
    if (!ClampToComputed(from, to) || from != bar)
        return QString();
    const qint32 time = Series->Time()[bar];
    const qint32 end = bar == Series->Last ? ServerTime(time) : time;
    return DisplayName()
        + QStringLiteral("\r%1\rOpen:  %2\rLow:    %3\rHigh:   %4\rClose:  %5")
              .arg(BarPeriodText(Series->Timeframe, time, end), DoublePriceText(Series->Open()[bar]),
                   DoublePriceText(Series->Low()[bar]), DoublePriceText(Series->High()[bar]),
                   DoublePriceText(Series->Close()[bar]));
}

void TMainIndicator::Save(TElementWriter &w, bool full) const
{
    TGraphIndicator::Save(w, full);
    w.WriteUInt32(FallingColor);
    w.WriteUInt32(RisingColor);
    w.WriteUInt32(FallingFill);
    w.WriteUInt32(RisingFill);
    w.WriteByte(ChartStyle);
}

void TMainIndicator::Load(TElementReader &r, bool full)
{
    TGraphIndicator::Load(r, full);
    FallingColor = r.ReadUInt32();
    RisingColor = r.ReadUInt32();
    FallingFill = r.ReadUInt32();
    RisingFill = r.ReadUInt32();
    ChartStyle = r.ReadByte();
    if (ChartStyle > Points)
        ChartStyle = Candles;
}

void TMainIndicator::ResetDefaults()
{
    TGraphIndicator::ResetDefaults();
    FallingColor = ChartColors::White;
    RisingColor = ChartColors::White;
    FallingFill = ChartColors::Black;
    RisingFill = ChartColors::White;
    ChartStyle = Candles;
}

bool TMainIndicator::MinMax(int from, int to, double &min, double &max) const
{
    min = max = 0;
    if (!ClampToComputed(from, to))
        return false;
    max = TSerData::RangeMaximum(Series->High(), from, to);
    min = TSerData::RangeMinimum(Series->Low(), from, to);
    return true;
}

void TMainIndicator::Snap(double &bar, double &value) const
{
    const int b = roundInt(bar);
    bar = b;
    int from = b, to = b;
    if (!ClampToComputed(from, to) || from != b)
        return;
    const double candidates[4] = {Series->Open()[b], Series->Close()[b], Series->High()[b], Series->Low()[b]};
    double best = candidates[0];
    for (double c : candidates)
        if (std::fabs(c - value) < std::fabs(best - value))
            best = c;
    value = best;
}

void TMainIndicator::Recalculate(int from, int)
{
    if (FirstComputed == -1)
        FirstComputed = from;
    LastComputed = Series ? Series->Last : -1;
}

bool TMainIndicator::HitTest(double y, double bar) const
{
    const TAxisTransform *t = Transform();
    if (!t || !Series || t->Ky == 0 || !std::isfinite(bar) || !std::isfinite(y))
        return false;
    const int64_t halfPen = std::max<int64_t>(0, PenWidth);
    if (ChartStyle == Line) {
        const double bt = std::trunc(bar);
        if (bt < -1e9 || bt > 1e9)
            return false;
        const int b = int(bt);
        int from = b, to = b + 1;
        if (!ClampToComputed(from, to) || from != b || to != b + 1)
            return false;
        const double *c = Series->Close();
        const double v = c[b] + (c[b + 1] - c[b]) * (bar - b);
        const int64_t y0 = t->ValueToY(v);
        return double(y0 - halfPen / 2 - 1) <= y && y <= double(y0 + halfPen / 2 + 1);
    }
    const int b = roundInt(bar);
    int from = b, to = b;
    if (!ClampToComputed(from, to) || from != b)
        return false;
    const int w = BarTick(t->Kx);
    const int64_t h = (halfPen + 1) / 2;
    const int64_t d = std::llabs(int64_t(t->BarToX(bar)) - t->BarToX(b));
    const double yHigh = t->ValueToY(Series->High()[b]);
    const double yLow = t->ValueToY(Series->Low()[b]);
    const double yOpen = t->ValueToY(Series->Open()[b]);
    const double yClose = t->ValueToY(Series->Close()[b]);
    if (y >= std::min(yHigh, yLow) && y <= std::max(yHigh, yLow) && d <= h)
        return true;
    return w > 0 && d <= h + w && y >= std::min(yOpen, yClose) && y <= std::max(yOpen, yClose);
}

void TMainIndicator::Draw(QPainter &painter, const TGraphArea &)
{
    const TAxisTransform *t = Transform();
    if (!t || !Series || t->First < 0)
        return;
    int from = t->First, to = t->Last;
    if (!ClampToComputed(from, to))
        return;
    const double *open = Series->Open();
    const double *high = Series->High();
    const double *low = Series->Low();
    const double *close = Series->Close();
    const QPen fallingPen = chartPen(FallingColor, PenStyle, PenWidth);
    const QPen risingPen = chartPen(RisingColor, PenStyle, PenWidth);
    painter.setPen(fallingPen);

    switch (ChartStyle) {
    case Bars: {
        const int tick = BarTick(t->Kx);
        for (int b = from; b <= to; ++b) {
            painter.setPen(open[b] > close[b] ? fallingPen : risingPen);
            const int x = t->BarToX(b);
            drawSegment(painter, x, t->ValueToY(high[b]), x, t->ValueToY(low[b]));
            if (tick > 0) {
                const int yo = t->ValueToY(open[b]);
                const int yc = t->ValueToY(close[b]);
                drawSegment(painter, x, yo, x - tick, yo);
                drawSegment(painter, x, yc, x + tick, yc);
            }
        }
        break;
    }
    case Line: {
        int lo = std::max(0, from - 1), hi = to + 1;
        if (!ClampToComputed(lo, hi))
            break;
        std::vector<QPoint> points;
        points.reserve(size_t(hi - lo + 1));
        for (int b = lo; b <= hi; ++b)
            points.emplace_back(t->BarToX(b), t->ValueToY(close[b]));
        if (points.size() == 1)
            painter.drawPoint(points[0]);
        else
            painter.drawPolyline(points.data(), int(points.size()));
        break;
    }
    case Points:
        for (int b = from; b <= to; ++b)
            painter.drawPoint(t->BarToX(b), t->ValueToY(close[b]));
        break;
    default: {  // candles, also for a style this build does not know
        const int w = CandleHalfWidth(t->Kx);
        CandleBatch fallingBars, risingBars;
        for (int b = from; b <= to; ++b) {
            const bool falling = open[b] > close[b];
            CandleBatch &batch = falling ? fallingBars : risingBars;
            const int x = t->BarToX(b);
            const int yh = t->ValueToY(high[b]);
            const int yl = t->ValueToY(low[b]);
            if (w == 0) {
                batch.segment(x, yh, x, yl);
                continue;
            }
            const int yo = t->ValueToY(open[b]);
            const int yc = t->ValueToY(close[b]);
            if (falling) {
                batch.box(x - w, yo, x + w, yc + 1);
                batch.segment(x, yh, x, yo);
                batch.segment(x, yl, x, yc);
            } else {
                batch.box(x - w, yo, x + w, yc - 1);
                batch.segment(x, yh, x, yc);
                batch.segment(x, yl, x, yo - 1);
            }
        }
        fallingBars.flush(painter, fallingPen, QBrush(toQColor(FallingFill)));
        risingBars.flush(painter, risingPen, QBrush(toQColor(RisingFill)));
        break;
    }
    }

    if (Has(ElementState::Selected) && t->Kx > 0) {
        const int step = std::max(1, roundInt(50.0 / t->Kx));
        painter.save();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        for (int b = from; b <= to; b += step)
            painter.fillRect(QRect(t->BarToX(b) - 3, t->ValueToY(close[b]) - 3, 6, 6), Qt::white);
        painter.restore();
    }
}
