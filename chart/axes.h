#pragma once

#include "axistransform.h"
#include "chartdraw.h"
#include "graphbase.h"

class TGraphArea;

// An axis: its metrics, colours and the transform of its area.
class TOxyArea : public TGraphBaseArea {
public:
    TOxyArea(int typeId, TChartPanel *panel) : TGraphBaseArea(typeId, panel) {}

    int LineHeight = 0;   // text height of "j"
    int DigitWidth = 0;   // text width of "0"
    int AxisSize = 0;     // width of a Y axis, height of the X axis
    TAxisTransform T;
    uint8_t Visible = 1;
    uint8_t GridVisible = 1;
    TColor GridColor = ChartColors::Silver;
    TColor LineColor = ChartColors::White;

    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;
};

// The time axis along the bottom. Dragging it zooms.
class TOxyXArea : public TOxyArea {
public:
    explicit TOxyXArea(TChartPanel *panel);

    int SavedCount = 0;       // visible count at the press, for dragging
    int LabelWidth = 0;
    QString DateFormat;       // "dd.mm.yy" from the flags below
    uint8_t ShowTime = 1;
    uint8_t ShowDate = 1;
    uint8_t ShowDay = 1;
    uint8_t ShowMonth = 1;
    uint8_t ShowYear = 1;

    // The record also carries the panel's axis visibility and background.
    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;

    void MouseDown(QPoint p) override;
    void MouseMove(QPoint p) override;
    void Paint(QPainter &painter) override;

    // Rebuilds DateFormat from the show flags.
    void UpdateDateFormat();
};

// A price axis at one side of an area. Dragging it stretches the area.
class TOxyYArea : public TOxyArea {
public:
    TOxyYArea(TChartPanel *panel, TGraphArea *area, uint8_t side);

    uint8_t Side;             // 1 left, 0 right
    double SavedScale = 1.0;  // vertical scale at the press, for dragging
    double Min = 0, Max = 0;  // value range
    double Step = 0;          // tick step
    int TickCount = 0;
    double FirstTick = 0;
    double VScale = 1.0;      // vertical scale, kept within [1/1000, 1000]
    TGraphArea *Area;
    bool HasRange = false;    // an indicator of this axis gave a range

    static constexpr double MinVScale = 0.001;
    static constexpr double MaxVScale = 1000.0;

    void Save(TElementWriter &w, bool full) const override;
    void Load(TElementReader &r, bool full) override;

    void MouseDown(QPoint p) override;
    void MouseMove(QPoint p) override;
    void Paint(QPainter &painter) override;

    // Vertical transform and ticks for an area of height h (see the panel).
    void CalcScale(int areaHeight, int lineHeight);
    bool ScaleValid() const { return T.First >= 0 && T.Ky > 0; }
};
