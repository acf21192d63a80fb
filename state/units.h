#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <span>

// Conversions between the wire units and display texts, and the dealing
// price arithmetic shared by the records, dialogs, views and charts.
//
// Wire units: a price is the price times 10000 in a signed 32-bit integer,
// money is in cents, a minute time counts minutes since 2000-01-01 00:00 UTC.

// Date-time value: days since 1899-12-30 00:00, the fraction being the time of
// day. Before the base day the whole part counts days backwards and the
// fraction is still the time of day (-1.25 is 1899-12-29 06:00).
using TDateTime = double;

// 2000-01-01 00:00, the origin of minute times.
constexpr TDateTime kMinuteTimeBase = 36526.0;

// Conversions to and from Qt, always in UTC. Values are rounded to the
// millisecond, so that 10:04:59.9999999 taken from minute arithmetic reads as
// 10:05. A value that is not finite or lies beyond the year 9999 gives an
// invalid QDateTime; an invalid QDateTime gives 0.
QDateTime dateTimeToQt(TDateTime value);
TDateTime dateTimeFromQt(const QDateTime &value);

// Formats a date-time with the pattern letters d (day), m (month), y (year),
// h (hour), n (minute), s (second) and z (millisecond): one letter gives the
// number without padding, two (three for z) pad it; "yy" is the year in two
// digits, "yyyy" in four. Text between single or double quotes and any other
// character is copied as it stands. An invalid date-time gives "". A QDateTime
// is formatted in UTC.
QString formatDateTime(const QString &pattern, TDateTime value);
QString formatDateTime(const QString &pattern, const QDateTime &value);

// date-time = (36526 × 1440 + minutes) / 1440
TDateTime MinutesToDateTime(qint32 minutes);
// (dateTime × 1440 + minutes) / 1440
TDateTime AddMinutes(qint64 minutes, TDateTime dateTime);
// Whole milliseconds between two date-times (never negative).
qint64 MillisecondsBetween(TDateTime a, TDateTime b);

// "" for 0; else the price in "%.5f" cut to 6 characters ("1.2345", "105.12";
// a negative price loses a digit to its sign: "-1.234").
QString PriceText(qint32 price);
// round(x × 10000), halves to even; not-a-number gives 0 and values beyond the
// 32-bit range are clamped.
qint32 PriceFromDouble(double x);
double PriceToDouble(qint32 price);
double MoneyToDouble(qint32 cents);

// "hh:nn" when timeOnly, else "dd.mm.yyyy hh:nn".
QString MinuteTimeText(qint32 minutes, bool timeOnly);
// x in "%.5f" cut to 6 characters, or 7 when x is negative.
QString DoublePriceText(double x);
// "" when x is exactly 0 and blankZero is set; else "%.2f".
QString MoneyText(double x, bool blankZero = false);
// "" when n is 0 and blankZero is set; else the decimal text.
QString CountText(qint64 n, bool blankZero = false);

// Timeframe codes: 1 = 1 minute, 2 = 5 minutes, 3 = 1 hour, 4 = 4 hours,
// 5 = 1 day, 6 = 1 week. Length of a bar in minutes, 0 for an unknown code.
int timeframeMinutes(int timeframe);

// Text of the period covered by a bar labelled with its end time `start`,
// `end` being the current or last tick time, e.g. "03.05.04 10:00-10:04:59".
// "" for an unknown timeframe code.
QString BarPeriodText(int timeframe, qint32 start, qint32 end);
// End of the bar that contains the minute (a minute on a boundary belongs to
// the following bar); code 1 returns the minute itself, unknown codes 0.
qint32 NextBarTime(int timeframe, qint32 minutes);

// Sides: 1 = buy side (deals at the ask), 2 = sell side (deals at the bid).
// 1 for order types 1, 2, 4; 2 for 3, 5, 6; 0 for any other.
int OrderSide(int orderType);
// The side that closes a position: 2 for a buy (operation 1), else 1.
int CloseSide(int operation);
// The ask for side 1, else the bid.
qint32 PriceForSide(int side, qint32 ask, qint32 bid);
// The bid for instrument kind 1, the ask for kind 2, 0 otherwise.
qint32 CrossPrice(int kind, qint32 ask, qint32 bid);

// The dealer's spread table as received in the system variables: three
// entries of 3 bytes, entry k (k = 1..3) for instruments of kind k. Entry
// bytes: small-trade spread in points, large-trade spread in points, lot
// threshold (more lots than the threshold is a large trade).
constexpr int kSpreadTableSize = 9;
using TSpreadTable = std::span<const quint8, kSpreadTableSize>;

// Replaces ask and bid with the dealer's prices: centred on the mid price,
// rounded to the point, with the spread of the kind and trade size. For a
// kind outside 1..3 there is no entry; the prices are then left as they are
// (the market prices, rather than a made-up zero spread).
void DealingPrices(qint32 &ask, qint32 &bid, qint64 lots, TSpreadTable spreadTable, int kind);

// Price step by magnitude: 1 up to 99999, 10 up to 999999, 100 up to 9999999,
// 1000 up to 99999999, 10000 up to 999999999, 0 above.
qint32 PointSize(qint32 price);
// The price rounded to its point (halves to even); unchanged up to 99999,
// 0 above 999999999.
qint32 RoundToPoint(qint32 price);
