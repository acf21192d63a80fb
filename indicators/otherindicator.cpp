#include "otherindicator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QPainter>

#include "axes.h"
#include "catalogue.h"
#include "elementstream.h"
#include "grapharea.h"
#include "kelvra/ta_api.h"
#include "serdata.h"
#include "taxexception.h"
#include "units.h"

namespace {
void initializeTA()
{
    // An installed TA-Lib wants this once before its first call.
    static const bool initialized = (TA_Initialize(), true);
    (void)initialized;
}
} // namespace

TOtherIndicator::TOtherIndicator(int typeId) : TGraphIndicator(typeId) {}

TOtherIndicator::~TOtherIndicator()
{
    freeBuffers();
}

void TOtherIndicator::freeBuffers()
{
    if (Series)
        for (int k = 0; k < buffers; ++k)
            Series->FreeOutputBuffer(BufferIndex + k);
    buffers = 0;
    BufferIndex = -1;
}

const double *TOtherIndicator::Output(int k) const
{
    if (!Series || k < 0 || k >= buffers)
        return nullptr;
    return Series->ArrayByIndex(BufferIndex + k);
}

bool TOtherIndicator::ValueAt(int line, int bar, double &value) const
{
    const double *values = Output(line);
    if (!values || FirstComputed < 0 || bar < FirstComputed || bar > LastComputed || bar > Series->Last)
        return false;
    value = values[bar];
    return true;
}

const double *TOtherIndicator::High() const { return Series->High(); }
const double *TOtherIndicator::Low() const { return Series->Low(); }
const double *TOtherIndicator::Close() const { return Series->Close(); }

QString TOtherIndicator::HintText(int bar) const
{
    int from = bar, to = bar;
    const double *values = Output(0);
    if (!values || !ClampToComputed(from, to) || from != bar)
        return QString();
    const qint32 time = Series->Time()[bar];
    return DisplayName()
        + QStringLiteral("\r%1\rvalue: %2")
              .arg(BarPeriodText(Series->Timeframe, time, time), DoublePriceText(values[bar]));
}

QString TOtherIndicator::ShortName() const
{
    const QString name = CatalogueShortName(TypeId - GraphTypeId::FirstCatalogue);
    return name.isEmpty() ? DisplayName() : name;
}

// ---- streams

void TOtherIndicator::Save(TElementWriter &w, bool full) const
{
    TGraphIndicator::Save(w, full);
    w.WriteUInt32(LevelColor);
    w.WriteByte(LevelStyle);
    w.WriteInt32(LevelWidth);
    w.WriteInt32(int32_t(Levels.size()));
    for (double level : Levels)
        w.WriteDouble(level);
    if (full)
        SaveParameters(w);
}

void TOtherIndicator::Load(TElementReader &r, bool full)
{
    TGraphIndicator::Load(r, full);
    LevelColor = r.ReadUInt32();
    LevelStyle = ClampPenStyle(r.ReadByte());
    LevelWidth = ClampPenWidth(r.ReadInt32());
    const int32_t count = r.ReadInt32();
    if (count < 0 || count > r.Remaining() / 8)
        throw EChartLoadError();
    std::vector<double> levels(static_cast<size_t>(count));
    for (double &level : levels)
        level = r.ReadFiniteDouble();
    Levels = std::move(levels);
    if (full) {
        LoadParameters(r);
        clampParameters();
    }
}

void TOtherIndicator::clampParameters()
{
    // Stored parameters go through the same limits the properties dialog
    // enforces: a damaged period must not reach the computation.
    for (int i = 1; i <= ParamCount(); ++i) {
        TParamDescriptor d;
        if (!ParamDescriptor(i, d))
            continue;
        if (d.IntValue)
            *d.IntValue = std::clamp(*d.IntValue, d.Minimum, d.Maximum);
        if (d.RealValue) {
            if (!std::isfinite(*d.RealValue))
                throw EChartLoadError();
            *d.RealValue = std::clamp(*d.RealValue, double(d.Minimum), double(d.Maximum));
        }
    }
}

void TOtherIndicator::SaveParameters(TElementWriter &) const {}

void TOtherIndicator::LoadParameters(TElementReader &) {}

bool TOtherIndicator::ParamDescriptor(int, TParamDescriptor &)
{
    return false;
}

// ---- series and computation

void TOtherIndicator::SetSeries(TSerData *series)
{
    if (series == Series && buffers > 0) {
        TGraphIndicator::SetSeries(series);
        return;
    }
    freeBuffers();
    TGraphIndicator::SetSeries(series);
    if (!series)
        return;
    const int wanted = std::clamp(WantedOutputs(), 1, MaxOutputs);
    BufferIndex = series->AddOutputBuffer();
    for (int k = 1; k < wanted; ++k)
        series->AddOutputBuffer();  // appended: the indexes follow on
    buffers = wanted;
}

void TOtherIndicator::Recalculate(int from, int to)
{
    // Beyond the bars the arrays hold nothing to read.
    if (!Series || buffers == 0 || from < 0 || to < from || to > Series->Last)
        throw TAXException();
    initializeTA();
    double *starts[MaxOutputs] = {};
    double *outputs[MaxOutputs] = {};
    for (int k = 0; k < buffers; ++k) {
        starts[k] = Series->ArrayByIndex(BufferIndex + k);
        if (!starts[k])
            throw TAXException();
        outputs[k] = starts[k] + from;
    }
    int begin = 0, count = 0;
    if (CallTA(from, to, outputs, begin, count) != TA_SUCCESS)
        throw TAXException();
    if (count <= 0) {
        // A lookback longer than the series: nothing to show.
        FirstComputed = LastComputed = -1;
        return;
    }
    if (begin < from || int64_t(begin) + count - 1 > to)
        throw TAXException();
    // Result j belongs to bar begin + j; the ranges may overlap.
    for (int k = 0; k < buffers; ++k)
        std::memmove(starts[k] + begin, starts[k] + from, size_t(count) * sizeof(double));
    const int end = begin + count - 1;
    if (FirstComputed < 0) {
        FirstComputed = begin;
        LastComputed = end;
    } else {
        FirstComputed = std::min(FirstComputed, begin);
        LastComputed = std::max(LastComputed, end);
    }
}

bool TOtherIndicator::MinMax(int from, int to, double &min, double &max) const
{
    min = max = 0;
    if (buffers == 0 || !ClampToComputed(from, to))
        return false;
    bool any = false;
    double lo = 0, hi = 0;
    for (int k = 0; k < buffers; ++k) {
        const double *values = Output(k);
        if (!values)
            continue;
        for (int b = from; b <= to; ++b) {
            const double v = values[b];
            if (!std::isfinite(v))
                continue;
            if (!any) {
                lo = hi = v;
                any = true;
            } else {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
    }
    if (any) {
        min = lo;
        max = hi;
    }
    return any;
}

void TOtherIndicator::Snap(double &bar, double &value) const
{
    const int b = roundInt(bar);
    bar = b;
    int from = b, to = b;
    if (!ClampToComputed(from, to) || from != b)
        return;
    bool chosen = false;
    double best = value;
    for (int k = 0; k < buffers; ++k) {
        const double *values = Output(k);
        if (!values)
            continue;
        const double c = values[b];
        if (!chosen || std::fabs(c - value) < std::fabs(best - value)) {
            best = c;
            chosen = true;
        }
    }
    value = best;
}

// ---- hit test and drawing

bool TOtherIndicator::lineHits(const double *values, double y, double bar) const
{
    const TAxisTransform *t = Transform();
    const double bt = std::trunc(bar);
    if (!values || !t || t->Ky == 0 || !std::isfinite(bt) || !std::isfinite(y) || bt < -1e9 || bt > 1e9)
        return false;
    const int b = int(bt);
    int from = b, to = b + 1;
    if (!ClampToComputed(from, to) || from != b || to != b + 1)
        return false;
    const double v = values[b] + (values[b + 1] - values[b]) * (bar - b);
    const int64_t y0 = t->ValueToY(v);
    const int64_t half = std::max<int64_t>(0, PenWidth) / 2;
    return double(y0 - half - 1) <= y && y <= double(y0 + half + 1);
}

bool TOtherIndicator::HitTest(double y, double bar) const
{
    for (int k = 0; k < buffers; ++k)
        if (lineHits(Output(k), y, bar))
            return true;
    return false;
}

void TOtherIndicator::Draw(QPainter &painter, const TGraphArea &area)
{
    const TAxisTransform *t = Transform();
    if (!t || !Series || buffers == 0 || t->First < 0)
        return;
    int first = t->First, last = t->Last;
    if (!ClampToComputed(first, last))
        return;
    // One bar more on each side, so the lines run to the area's edges.
    int from = std::max(0, first - 1), to = last < INT32_MAX ? last + 1 : last;
    if (!ClampToComputed(from, to))
        return;

    painter.setPen(OwnPen());
    painter.setBrush(Qt::NoBrush);
    std::vector<QPoint> points(size_t(to - from + 1));
    for (int k = 0; k < buffers; ++k) {
        const double *values = Output(k);
        if (!values)
            continue;
        for (int b = from; b <= to; ++b)
            points[size_t(b - from)] = QPoint(t->BarToX(b), t->ValueToY(values[b]));
        if (points.size() == 1)
            painter.drawPoint(points[0]);
        else
            painter.drawPolyline(points.data(), int(points.size()));
    }

    if (Has(ElementState::Selected) && t->Kx > 0) {
        const int step = std::max(1, roundInt(50.0 / t->Kx));
        painter.save();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        for (int k = 0; k < buffers; ++k) {
            const double *values = Output(k);
            if (!values)
                continue;
            for (int64_t b = first; b <= last; b += step)
                painter.fillRect(QRect(t->BarToX(double(b)) - 3, t->ValueToY(values[b]) - 3, 6, 6), Qt::white);
        }
        painter.restore();
    }

    if (!Levels.empty()) {
        painter.setPen(chartPen(LevelColor, LevelStyle, LevelWidth));
        for (double level : Levels) {
            const int y = t->ValueToY(level);
            painter.drawLine(0, y, area.Width(), y);
        }
    }
}

// ---- T_OtherM_Indicator

int T_OtherM_Indicator::WantedOutputs() const
{
    return 1 + std::clamp<int32_t>(ExtraCount, 0, MaxOutputs - 1);
}
