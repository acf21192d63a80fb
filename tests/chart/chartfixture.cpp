#include "chartfixture.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>

#include "pendingslot.h"
#include "units.h"

namespace {
class GuiApplication : public ::testing::Environment {
public:
    void TearDown() override
    {
        TPendingSlot::Clear();
        delete app;
        app = nullptr;
    }
    static QGuiApplication *app;
};
QGuiApplication *GuiApplication::app = nullptr;
const bool registered = (::testing::AddGlobalTestEnvironment(new GuiApplication), true);
} // namespace

void EnsureGuiApp()
{
    (void)registered;
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "kelvra-chart-tests";
    static char *argv[] = {name, nullptr};
    GuiApplication::app = new QGuiApplication(argc, argv);
}

std::unique_ptr<TSerData> MakeSeries(int bars, int timeframe)
{
    auto s = std::make_unique<TSerData>(timeframe, 1, QStringLiteral("EURUSD"));
    for (int i = 0; i < bars; ++i) {
        const double base = 1.2 + 0.001 * (i % 10);
        if (i % 2 == 0)
            AppendBar(*s, base, base + 0.0015, base - 0.0005, base + 0.001);
        else
            AppendBar(*s, base + 0.001, base + 0.0015, base - 0.0005, base);
    }
    return s;
}

void AppendBar(TSerData &s, double open, double high, double low, double close)
{
    const int minutes = timeframeMinutes(s.Timeframe);
    const int32_t time = s.Last >= 0 ? s.Time()[s.Last] + minutes : 100000 * minutes;
    const auto units = [](double v) { return int32_t(std::lround(v * 10000)); };
    s.AddBar(time, units(open), units(high), units(low), units(close));
}

FakeIndicator::FakeIndicator(int typeId, std::vector<double> values)
    : TGraphIndicator(typeId), Values(std::move(values))
{
    Color = ChartColors::Green;
}

QString FakeIndicator::HintText(int bar) const
{
    int from = bar, to = bar;
    if (!ClampToComputed(from, to) || from != bar)
        return QString();
    return QStringLiteral("%1 bar %2").arg(DisplayName()).arg(bar);
}

bool FakeIndicator::MinMax(int from, int to, double &min, double &max) const
{
    min = max = 0;
    if (!ClampToComputed(from, to))
        return false;
    to = std::min(to, int(Values.size()) - 1);
    if (from > to)
        return false;
    min = *std::min_element(Values.begin() + from, Values.begin() + to + 1);
    max = *std::max_element(Values.begin() + from, Values.begin() + to + 1);
    return true;
}

bool FakeIndicator::HitTest(double y, double bar) const
{
    const TAxisTransform *t = Transform();
    const int b = roundInt(bar);
    int from = b, to = b;
    if (!t || !ClampToComputed(from, to) || from != b || b >= int(Values.size()))
        return false;
    return std::abs(t->ValueToY(Values[size_t(b)]) - y) <= 2;
}

void FakeIndicator::Recalculate(int from, int)
{
    ++Recalcs;
    if (Throw)
        throw std::runtime_error("TA: Internal error");
    if (FirstComputed == -1)
        FirstComputed = from;
    LastComputed = Series ? Series->Last : -1;
}

void FakeIndicator::Draw(QPainter &painter, const TGraphArea &)
{
    const TAxisTransform *t = Transform();
    int from = t->First, to = t->Last;
    if (!ClampToComputed(from, to))
        return;
    painter.setPen(OwnPen());
    for (int b = from; b < to && b + 1 < int(Values.size()); ++b)
        painter.drawLine(t->BarToX(b), t->ValueToY(Values[size_t(b)]), t->BarToX(b + 1), t->ValueToY(Values[size_t(b + 1)]));
}

void FakePrice::Recalculate(int from, int to)
{
    Values.clear();
    if (Series)
        for (int i = 0; i <= Series->Last; ++i)
            Values.push_back(Series->Close()[i]);
    FakeIndicator::Recalculate(from, to);
}

PanelFixture::PanelFixture(int bars, QSize size, TPatternMenager *store)
{
    EnsureGuiApp();
    series = MakeSeries(bars);
    panel = std::make_unique<TChartPanel>(series.get(), [] { return std::make_unique<FakePrice>(); },
                                          store ? store : &patterns);
    panel->SetClientSize(size);
}

PanelFixture::~PanelFixture()
{
    panel.reset();
    TPendingSlot::Clear();
    TPendingSlot::SetOnEmptied(nullptr);
}

QPoint PanelFixture::pointAt(int bar, int areaRow, int areaIndex)
{
    const TGraphArea &a = area(areaIndex);
    return QPoint(a.Left + a.RightAxis->T.BarToX(bar), a.Top + areaRow);
}
