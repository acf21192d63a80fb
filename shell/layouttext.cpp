#include "layouttext.h"

#include <cctype>

namespace {

bool needsQuotes(const QString &item)
{
    if (item.isEmpty())
        return true;
    for (QChar c : item)
        if (c == u',' || c == u'"' || c.unicode() <= u' ')
            return true;
    return false;
}

QString quoted(const QString &item)
{
    QString out = QStringLiteral("\"");
    for (QChar c : item) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    return out + u'"';
}

} // namespace

QString LayoutText(const TLayoutValues &values)
{
    QStringList items;
    for (const auto &[name, value] : values) {
        const QString item = name + u'=' + value;
        items << (needsQuotes(item) ? quoted(item) : item);
    }
    return items.join(u',');
}

TLayoutValues ParseLayoutText(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    TLayoutValues values;
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto isSeparator = [](QChar c) { return c == u',' || c.unicode() <= u' '; };
    while (i < n) {
        while (i < n && isSeparator(text[i]))
            ++i;
        if (i >= n)
            break;
        QString item;
        // A quoted part may follow a bare start ("Name="...), as a value
        // that needed quotes is written within its item.
        while (i < n && !isSeparator(text[i])) {
            if (text[i] == u'"') {
                ++i;
                bool closed = false;
                while (i < n) {
                    if (text[i] == u'"') {
                        if (i + 1 < n && text[i + 1] == u'"') {
                            item += u'"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    item += text[i++];
                }
                if (!closed && ok)
                    *ok = false;
            } else {
                item += text[i++];
            }
        }
        const qsizetype eq = item.indexOf(u'=');
        if (eq < 0)
            values.emplace_back(item, QString());
        else
            values.emplace_back(item.left(eq), item.mid(eq + 1));
    }
    return values;
}

QString LayoutValue(const TLayoutValues &values, const QString &name)
{
    for (const auto &[n, v] : values)
        if (n == name)
            return v;
    return QString();
}

int LayoutInt(const TLayoutValues &values, const QString &name, int defaultValue)
{
    bool ok = false;
    const int v = LayoutValue(values, name).trimmed().toInt(&ok);
    return ok ? v : defaultValue;
}

bool LayoutBool(const TLayoutValues &values, const QString &name)
{
    return LayoutValue(values, name) != QStringLiteral("FALSE");
}

QString LayoutBoolText(bool value)
{
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QString LayoutHex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QByteArray LayoutFromHex(const QString &text)
{
    const QByteArray latin = text.toLatin1();
    if (latin.size() % 2 != 0)
        return {};
    for (char c : latin)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
    return QByteArray::fromHex(latin);
}
