#pragma once

#include <functional>

#include "drawedelement.h"

// The price itself: the series' bars as OHLC bars, candles, a line or dots
// of closes. Every chart has one in its first area; it computes nothing.
class TMainIndicator : public TGraphIndicator {
public:
    enum Style : uint8_t { Bars = 0, Candles = 1, Line = 2, Points = 3 };
    // The current server time in minutes since 2000-01-01 00:00: the hint
    // of the newest bar ends there.
    using ServerTimeSource = std::function<qint32()>;

    TMainIndicator();

    TColor FallingColor = ChartColors::White;  // outline when Open > Close
    TColor RisingColor = ChartColors::White;   // outline of every other bar
    TColor FallingFill = ChartColors::Black;
    TColor RisingFill = ChartColors::White;
    uint8_t ChartStyle = Candles;

    // Process-wide source for every price indicator without its own.
    static void SetDefaultServerTime(ServerTimeSource source);
    void SetServerTime(ServerTimeSource source) { serverTime = std::move(source); }
    qint32 ServerTime(qint32 fallback) const;

    QString HintText(int bar) const override;
    QString DisplayName() const override;   // "Price"
    QString ShortName() const override;     // "Price"
    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;
    bool HitTest(double y, double bar) const override;
    void ResetDefaults() override;
    bool MinMax(int from, int to, double &min, double &max) const override;
    void Snap(double &bar, double &value) const override;
    void Recalculate(int from, int to) override;
    void Draw(QPainter &painter, const TGraphArea &area) override;

    // Candle half-width for a horizontal scale: round(0.4 × kx), 0 below 2,
    // at most 20. OHLC tick: the same with 0 only below 1.
    static int CandleHalfWidth(double kx);
    static int BarTick(double kx);

private:
    ServerTimeSource serverTime;
};

// A factory for the panel: a new price indicator with the defaults.
std::unique_ptr<TGraphIndicator> MakeMainIndicator();
