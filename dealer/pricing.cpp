#include "pricing.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "units.h"

DealPrices dealingPrices(int32_t ask, int32_t bid, int lots, const SpreadBytes &spread, int kind)
{
    qint32 a = ask;
    qint32 b = bid;
    DealingPrices(a, b, lots, TSpreadTable(spread.data(), spread.size()), kind);
    return {a, b};
}

int32_t normaliseTickPrice(int32_t price)
{
    if (price <= 99999)
        return price;
    int32_t unit = 0;
    if (price <= 999999)
        unit = 10;
    else if (price <= 9999999)
        unit = 100;
    else if (price <= 99999999)
        unit = 1000;
    else if (price <= 999999999)
        unit = 10000;
    else
        return 0;
    return int32_t(std::nearbyint(double(price) / unit)) * unit;
}

int32_t crossPriceOf(int crossKind, int32_t ask, int32_t bid)
{
    if (crossKind == 1)
        return bid;
    if (crossKind == 2)
        return ask;
    return 0;
}

namespace {

// The divisor that turns price units times amount into account money; 0 when
// it cannot be known.
double conversionDivisor(int kind, int32_t crossPrice, int crossKind, int32_t current)
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
    return divisor;
}

} // namespace

int64_t profitCents(int operation, int kind, int32_t open, int32_t crossPrice, int crossKind, int64_t amount,
                    int32_t current)
{
    const double divisor = conversionDivisor(kind, crossPrice, crossKind, current);
    if (divisor == 0.0)
        return 0;
    const double sign = operation == 1 ? -1.0 : 1.0;
    // In doubles: the product of a price difference and a large amount does
    // not fit 32 bits.
    const double result = (double(open) - double(current)) * double(amount) * sign / divisor;
    // Extreme operator prices must not wrap around a 64-bit integer.
    const double cents = std::nearbyint(result * 100.0);
    if (!std::isfinite(cents))
        return 0;
    return int64_t(std::clamp(cents, -double(MaxMoneyCents), double(MaxMoneyCents)));
}

int64_t marginCents(int kind, int32_t price, int32_t crossPrice, int crossKind, int64_t amount, int leverage)
{
    if (leverage < 1)
        leverage = 1;
    const double divisor = conversionDivisor(kind, crossPrice, crossKind, price);
    const double value = divisor == 0.0 ? double(amount) : double(amount) * double(price) / divisor;
    const double cents = std::ceil(value * 100.0 / double(leverage));
    if (!std::isfinite(cents) || cents < 0.0 || cents > double(MaxMoneyCents))
        return NoMargin;
    return int64_t(cents);
}
