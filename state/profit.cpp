#include "profit.h"

#include <cmath>

double Profit(int operation, int kind, qint32 open, qint32 crossPrice, int crossKind, qint64 amount,
              qint32 current)
{
    double divisor = 10000.0;
    if (kind == 2)
        divisor = double(current);
    if (kind == 3) {
        if (crossPrice == 0)
            return 0.0;
        if (crossKind == 1)
            divisor = 10000.0 * 10000.0 / double(crossPrice);
        else if (crossKind == 2)
            divisor = double(crossPrice);
    }
    if (divisor == 0.0)
        return 0.0;
    const double sign = operation == 1 ? -1.0 : 1.0;
    const double result = (double(open) - double(current)) * double(amount) * sign / divisor;
    // nearbyint under the default rounding mode sends halves to the even neighbour.
    const double cents = std::nearbyint(result * 100.0);
    return cents == 0.0 ? 0.0 : cents / 100.0;
}
