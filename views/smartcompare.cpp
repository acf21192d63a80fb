#include "smartcompare.h"

#include <optional>

#include <QDateTime>
#include <QLocale>

namespace {

constexpr QChar kDateSeparator = u'.';
constexpr QChar kTimeSeparator = u':';

int sign(double d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }

// Seconds since an arbitrary origin, comparable within one kind of text.
std::optional<double> dateTimeValue(const QString &raw)
{
    const QString text = raw.trimmed();
    const bool hasDate = text.count(kDateSeparator) == 2 || (text.count(kDateSeparator) == 1 && text.endsWith(kDateSeparator));
    const bool hasTime = text.contains(kTimeSeparator);
    if (!hasDate && !hasTime)
        return std::nullopt;
    static const QDate origin(1899, 12, 30);
    const auto parseDate = [](const QString &s) -> std::optional<QDate> {
        for (const char *format : {"dd.MM.yyyy", "d.M.yyyy", "dd.MM.yy", "d.M.yy", "dd.MM.", "d.M."}) {
            QDate d = QDate::fromString(s, QString::fromLatin1(format));
            if (d.isValid()) {
                // Two-digit years read as 2000..2099, as the terminal writes them.
                if (QString::fromLatin1(format).endsWith(QStringLiteral("yy")) &&
                    !QString::fromLatin1(format).endsWith(QStringLiteral("yyyy")) && d.year() < 2000)
                    d = d.addYears(100);
                return d;
            }
        }
        return std::nullopt;
    };
    const auto parseTime = [](const QString &s) -> std::optional<QTime> {
        for (const char *format : {"hh:mm:ss", "h:mm:ss", "hh:mm", "h:mm"}) {
            const QTime t = QTime::fromString(s, QString::fromLatin1(format));
            if (t.isValid())
                return t;
        }
        return std::nullopt;
    };
    if (hasDate && hasTime) {
        const qsizetype blank = text.indexOf(u' ');
        if (blank < 0)
            return std::nullopt;
        const auto d = parseDate(text.left(blank));
        const auto t = parseTime(text.mid(blank + 1).trimmed());
        if (!d || !t)
            return std::nullopt;
        return origin.daysTo(*d) * 86400.0 + t->msecsSinceStartOfDay() / 1000.0;
    }
    if (hasDate) {
        const auto d = parseDate(text);
        return d ? std::optional<double>(origin.daysTo(*d) * 86400.0) : std::nullopt;
    }
    const auto t = parseTime(text);
    return t ? std::optional<double>(t->msecsSinceStartOfDay() / 1000.0) : std::nullopt;
}

std::optional<double> numberValue(const QString &raw)
{
    QString text = raw.trimmed();
    const qsizetype blank = text.indexOf(u' ');
    if (blank >= 0)
        text = text.left(blank);
    bool ok = false;
    double v = text.toDouble(&ok);
    if (ok)
        return v;
    // Thousands separators out, the decimal separator made a point.
    QString cleaned;
    for (QChar c : raw.trimmed())
        if (c != u' ' && c != QChar(0x00A0) && c != u'\'')
            cleaned += c;
    if (cleaned.count(u',') == 1 && !cleaned.contains(u'.'))
        cleaned.replace(u',', u'.');
    else
        cleaned.remove(u',');
    v = cleaned.toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

} // namespace

int PlainCompare(const QString &a, const QString &b)
{
    const int c = QString::localeAwareCompare(a, b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int SmartCompare(const QString &a, const QString &b)
{
    const auto da = dateTimeValue(a);
    const auto db = dateTimeValue(b);
    if (da && db)
        return sign(*da - *db);
    const auto na = numberValue(a);
    const auto nb = numberValue(b);
    if (na && nb)
        return sign(*na - *nb);
    return PlainCompare(a, b);
}
