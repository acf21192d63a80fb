#pragma once

#include <cstdint>

#include <QByteArray>
#include <QByteArrayView>

class TChartPanel;

// What a chart record keeps of the window around the panel.
struct TChartWindowState {
    uint8_t WindowState = 0;  // 0 normal, 1 minimised, 2 maximised
    int32_t Height = 0;
    int32_t Width = 0;
};

// A chart's whole state as one record ("GR01"): instrument and timeframe,
// the window, the panel's settings, the time axis, the view and every area
// with its axes, indicators and drawn items.
QByteArray SaveChart(const TChartPanel &panel, const TChartWindowState &window);

// Rebuilds a panel created empty (TChartPanel::Creation::Empty) from a
// record and returns the window part. Raises EChartLoadError: "Invalid
// file" for another magic, "load error" for anything damaged. The panel is
// then half built and must be thrown away; nothing else was touched.
TChartWindowState LoadChart(TChartPanel &panel, QByteArrayView record);
