#include "axistransform.h"

#include "chartdraw.h"

int TAxisTransform::BarToX(double bar) const
{
    return roundPixel((bar + Bx) * Kx + X0);
}

double TAxisTransform::XToBar(int x) const
{
    if (Kx == 0)
        return 0;
    return (x - X0) / Kx - Bx;
}

int TAxisTransform::ValueToY(double value) const
{
    return roundPixel(Y0 - (value + By) * Ky);
}

double TAxisTransform::YToValue(int y) const
{
    if (Ky == 0)
        return 0;
    return (Y0 - y) / Ky - By;
}

void TAxisTransform::CopyHorizontal(const TAxisTransform &from)
{
    Kx = from.Kx;
    X0 = from.X0;
    Bx = from.Bx;
    First = from.First;
    Last = from.Last;
}
