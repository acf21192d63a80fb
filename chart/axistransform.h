#pragma once

// Maps bar indexes and values to pixels of an axis' area (the area's
// top-left corner is the origin) and back.
struct TAxisTransform {
    double Kx = 0;   // pixels per bar
    double Ky = 0;   // pixels per value unit
    double X0 = 0;   // pixel offset in x
    double Y0 = 0;   // pixel origin in y
    double Bx = 0;   // bar offset
    double By = 0;   // value offset
    int First = 0;   // first visible bar; -1 marks an axis without a scale
    int Last = -1;   // last visible bar

    int BarToX(double bar) const;
    double XToBar(int x) const;        // fractional bar; 0 when Kx is 0
    int ValueToY(double value) const;
    double YToValue(int y) const;      // 0 when Ky is 0
    // Horizontal part only: copied from the X axis to every area and axis.
    void CopyHorizontal(const TAxisTransform &from);
};
