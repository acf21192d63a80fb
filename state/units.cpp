#include "units.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <limits>

// Number texts use QString::number, which always writes the C locale's "."
// whatever the user's locale: price and money texts end up in stored files,
// reports and sorted list columns, and those must read the same everywhere.

namespace {

constexpr qint64 kMinutesPerDay = 1440;
constexpr double kMsPerDay = 86400000.0;
// Representable calendar range of date-time values: 0001-01-01 .. 9999-12-31.
constexpr double kFirstDateTime = -693593.0;
constexpr double kEndDateTime = 2958466.0;

const QDate &baseDate()
{
    static const QDate date(1899, 12, 30);
    return date;
}

qint32 clampToInt32(qint64 v)
{
    if (v > std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    if (v < std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    return qint32(v);
}

// Halves go to the even neighbour, as the dealing server's arithmetic does;
// independent of the floating-point rounding mode.
double roundHalfEven(double x)
{
    double r = std::floor(x);
    const double diff = x - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0))
        r += 1.0;
    return r;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// s / 2 rounded with halves to even.
qint64 halfEvenHalf(qint64 s)
{
    const qint64 q = floorDiv(s, 2);
    return (s - 2 * q == 1 && (q & 1) != 0) ? q + 1 : q;
}

qint64 roundToPoint64(qint64 price)
{
    if (price <= 99999)
        return price;
    if (price > 999999999)
        return 0;
    const qint64 point = PointSize(qint32(price));
    qint64 q = price / point;
    const qint64 twiceRest = 2 * (price % point);
    if (twiceRest > point || (twiceRest == point && (q & 1) != 0))
        ++q;
    return q * point;
}

QString padded(qint64 value, int width)
{
    return QString::number(value).rightJustified(width, u'0');
}

// Minute times are formatted straight from whole minutes: exact, and free of
// the backwards-counting days of date-time values before 1899.
QString minuteText(const QString &pattern, qint64 minutes)
{
    const qint64 day = floorDiv(minutes, kMinutesPerDay);
    const int minuteOfDay = int(minutes - day * kMinutesPerDay);
    const QDateTime dt(QDate(2000, 1, 1).addDays(day),
                       QTime::fromMSecsSinceStartOfDay(minuteOfDay * 60000), Qt::UTC);
    return formatDateTime(pattern, dt);
}

} // namespace

QDateTime dateTimeToQt(TDateTime value)
{
    if (!std::isfinite(value) || value < kFirstDateTime || value >= kEndDateTime)
        return QDateTime();
    qint64 day = qint64(std::trunc(value));
    qint64 ms = std::llround(std::fabs(value - double(day)) * kMsPerDay);
    if (ms >= qint64(kMsPerDay)) {
        ms -= qint64(kMsPerDay);
        ++day;
    }
    return QDateTime(baseDate().addDays(day), QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::UTC);
}

TDateTime dateTimeFromQt(const QDateTime &value)
{
    if (!value.isValid())
        return 0.0;
    const QDateTime utc = value.toUTC();
    const qint64 day = baseDate().daysTo(utc.date());
    const double fraction = utc.time().msecsSinceStartOfDay() / kMsPerDay;
    return day >= 0 ? double(day) + fraction : double(day) - fraction;
}

QString formatDateTime(const QString &pattern, TDateTime value)
{
    return formatDateTime(pattern, dateTimeToQt(value));
}

QString formatDateTime(const QString &pattern, const QDateTime &value)
{
    if (!value.isValid())
        return QString();
    const QDateTime utc = value.toUTC();
    const QDate date = utc.date();
    const QTime time = utc.time();

    QString out;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern.at(i);
        if (c == u'\'' || c == u'"') {
            qsizetype close = pattern.indexOf(c, i + 1);
            if (close < 0)
                close = n;
            out += QStringView(pattern).mid(i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        const QChar letter = c.toLower();
        if (!QStringView(u"dmyhnsz").contains(letter)) {
            out += c;
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && pattern.at(i + run).toLower() == letter)
            ++run;
        i += run;
        const int width = run >= 2 ? 2 : 1;
        switch (letter.unicode()) {
        case u'd': out += padded(date.day(), width); break;
        case u'm': out += padded(date.month(), width); break;
        case u'y':
            out += run <= 2 ? padded(std::abs(date.year()) % 100, 2) : padded(date.year(), 4);
            break;
        case u'h': out += padded(time.hour(), width); break;
        case u'n': out += padded(time.minute(), width); break;
        case u's': out += padded(time.second(), width); break;
        case u'z': out += padded(time.msec(), run >= 2 ? 3 : 1); break;
        }
    }
    return out;
}

TDateTime MinutesToDateTime(qint32 minutes)
{
    return double(36526 * kMinutesPerDay + minutes) / double(kMinutesPerDay);
}

TDateTime AddMinutes(qint64 minutes, TDateTime dateTime)
{
    return (dateTime * double(kMinutesPerDay) + double(minutes)) / double(kMinutesPerDay);
}

// Each value is taken to the nearest millisecond before subtracting: scaling
// the raw difference and truncating would turn an exact minute into 59999 ms,
// because a date-time cannot hold a minute's fraction of a day exactly.
qint64 MillisecondsBetween(TDateTime a, TDateTime b)
{
    constexpr double kLimitDays = 1e8; // keeps the scaled values well inside 64 bits
    if (!std::isfinite(a) || !std::isfinite(b))
        return 0;
    a = std::clamp(a, -kLimitDays, kLimitDays);
    b = std::clamp(b, -kLimitDays, kLimitDays);
    const qint64 diff = std::llround(a * kMsPerDay) - std::llround(b * kMsPerDay);
    return diff < 0 ? -diff : diff;
}

QString PriceText(qint32 price)
{
    if (price == 0)
        return QString();
    return QString::number(price / 10000.0, 'f', 5).left(6);
}

// The original toolchain's round() sends halves to even, and prices typed in
// or computed must match what it produced.
qint32 PriceFromDouble(double x)
{
    if (std::isnan(x))
        return 0;
    const double scaled = roundHalfEven(x * 10000.0);
    if (scaled >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (scaled <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(scaled);
}

double PriceToDouble(qint32 price)
{
    return price / 10000.0;
}

double MoneyToDouble(qint32 cents)
{
    return cents / 100.0;
}

QString MinuteTimeText(qint32 minutes, bool timeOnly)
{
    return minuteText(timeOnly ? QStringLiteral("hh:nn") : QStringLiteral("dd.mm.yyyy hh:nn"), minutes);
}

QString DoublePriceText(double x)
{
    return QString::number(x, 'f', 5).left(x < 0 ? 7 : 6);
}

QString MoneyText(double x, bool blankZero)
{
    if (x == 0.0) {
        if (blankZero)
            return QString();
        x = 0.0; // no "-0.00" for a negative zero
    }
    return QString::number(x, 'f', 2);
}

QString CountText(qint64 n, bool blankZero)
{
    if (n == 0 && blankZero)
        return QString();
    return QString::number(n);
}

int timeframeMinutes(int timeframe)
{
    switch (timeframe) {
    case 1: return 1;
    case 2: return 5;
    case 3: return 60;
    case 4: return 240;
    case 5: return 1440;
    case 6: return 10080;
    default: return 0;
    }
}

QString BarPeriodText(int timeframe, qint32 start, qint32 end)
{
    const qint64 n = timeframeMinutes(timeframe);
    if (n == 0)
        return QString();
    qint64 last = end;
    if (start == end)
        last -= 1;
    const QString day = QStringLiteral("dd.mm.yy");
    const QString minute = QStringLiteral("hh:nn");
    const QString lastSecond = QStringLiteral("hh:nn:59");

    if (timeframe == 1)
        return minuteText(day, start) + u' ' + minuteText(minute, start);
    const qint64 first = qint64(start) - n;
    if (timeframe == 6)
        return QStringLiteral("%1 %2-%3 %4")
            .arg(minuteText(day, first), minuteText(minute, first), minuteText(day, last),
                 minuteText(lastSecond, last));
    return QStringLiteral("%1 %2-%3")
        .arg(minuteText(day, first), minuteText(minute, first), minuteText(lastSecond, last));
}

// Bars are aligned on multiples of their length counted from the base date.
// Minutes before the base date round down as well (floor division), so that
// their bar still contains them; the end of the last bar of the 32-bit range
// is clamped to that range.
qint32 NextBarTime(int timeframe, qint32 minutes)
{
    const qint64 n = timeframeMinutes(timeframe);
    if (n == 0)
        return 0;
    if (n == 1)
        return minutes;
    return clampToInt32((floorDiv(minutes, n) + 1) * n);
}

int OrderSide(int orderType)
{
    switch (orderType) {
    case 1:
    case 2:
    case 4:
        return 1;
    case 3:
    case 5:
    case 6:
        return 2;
    default:
        return 0;
    }
}

int CloseSide(int operation)
{
    return operation == 1 ? 2 : 1;
}

qint32 PriceForSide(int side, qint32 ask, qint32 bid)
{
    return side == 1 ? ask : bid;
}

qint32 CrossPrice(int kind, qint32 ask, qint32 bid)
{
    if (kind == 1)
        return bid;
    if (kind == 2)
        return ask;
    return 0;
}

void DealingPrices(qint32 &ask, qint32 &bid, qint64 lots, TSpreadTable spreadTable, int kind)
{
    // No entry for other kinds: keep the market prices untouched.
    if (kind < 1 || kind > 3)
        return;
    const auto entry = spreadTable.subspan(std::size_t(kind - 1) * 3, 3);
    const qint64 spread = lots <= entry[2] ? entry[0] : entry[1];
    const qint64 width = spread * PointSize(ask);
    // 64-bit sums: two large prices would overflow 32 bits.
    const qint64 newAsk = roundToPoint64(halfEvenHalf(qint64(ask) + bid + width));
    ask = clampToInt32(newAsk);
    bid = clampToInt32(newAsk - width);
}

qint32 PointSize(qint32 price)
{
    if (price <= 99999)
        return 1;
    if (price <= 999999)
        return 10;
    if (price <= 9999999)
        return 100;
    if (price <= 99999999)
        return 1000;
    if (price <= 999999999)
        return 10000;
    return 0;
}

qint32 RoundToPoint(qint32 price)
{
    return qint32(roundToPoint64(price));
}
