#pragma once

#include <memory>
#include <vector>

#include "chartpanel.h"
#include "patternstore.h"
#include "serdata.h"

// A QGuiApplication for the test run (fonts need one).
void EnsureGuiApp();

// Hourly bars of EURUSD with prices around 1.2; bar i rises when i is even.
std::unique_ptr<TSerData> MakeSeries(int bars, int timeframe = 3);
void AppendBar(TSerData &s, double open, double high, double low, double close);

// An indicator over a fixed list of values: a line that hits within two
// pixels, with a range over the values it has.
class FakeIndicator : public TGraphIndicator {
public:
    explicit FakeIndicator(int typeId = 1000, std::vector<double> values = {});
    std::vector<double> Values;
    int Recalcs = 0;
    bool Throw = false;

    QString HintText(int bar) const override;
    QString DisplayName() const override { return QStringLiteral("Fake indicator"); }
    QString ShortName() const override { return QStringLiteral("Fake"); }
    bool HitTest(double y, double bar) const override;
    bool MinMax(int from, int to, double &min, double &max) const override;
    void Snap(double &, double &) const override {}
    void Recalculate(int from, int to) override;
    void Draw(QPainter &painter, const TGraphArea &area) override;
};

// A price stand-in (type id 999) following the series' closes.
class FakePrice : public FakeIndicator {
public:
    FakePrice() : FakeIndicator(GraphTypeId::MainIndicator) {}
    void Recalculate(int from, int to) override;
};

// A panel over a series with a fake price, laid out at the given size.
struct PanelFixture {
    explicit PanelFixture(int bars = 200, QSize size = QSize(800, 600), TPatternMenager *store = nullptr);
    ~PanelFixture();
    std::unique_ptr<TSerData> series;
    TPatternMenager patterns;
    std::unique_ptr<TChartPanel> panel;
    TGraphArea &area(int i = 0) { return *panel->Area(i); }
    // The panel point of a bar's column and a row inside area i.
    QPoint pointAt(int bar, int areaRow, int areaIndex = 0);
};
