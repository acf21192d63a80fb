#pragma once

#include <utility>

#include <QByteArray>
#include <QList>
#include <QString>

// The texts the docking windows describe themselves with: Name=Value items
// separated by commas. An item holding a comma, a blank, a double quote or
// nothing is written in double quotes, inner quotes doubled, so a whole
// list can be the value of an item of another list.
using TLayoutValues = QList<std::pair<QString, QString>>;

QString LayoutText(const TLayoutValues &values);
// Unquoted blanks separate items as commas do; an item without "=" is a
// name with an empty value.
// With `ok`, it is cleared for a quote left open.
TLayoutValues ParseLayoutText(const QString &text, bool *ok = nullptr);

// The value of the first item of that name; empty when there is none.
QString LayoutValue(const TLayoutValues &values, const QString &name);
// A decimal integer, or the default when missing or not a number.
int LayoutInt(const TLayoutValues &values, const QString &name, int defaultValue);
// Written "TRUE"/"FALSE"; false only when the text is exactly "FALSE".
bool LayoutBool(const TLayoutValues &values, const QString &name);
QString LayoutBoolText(bool value);

// Binary data as two hexadecimal digits per byte, and back (a text that is
// not such hexadecimal gives nothing).
QString LayoutHex(const QByteArray &bytes);
QByteArray LayoutFromHex(const QString &text);
