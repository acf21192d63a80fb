#pragma once

#include <QString>

// The typed comparison of two cell texts: dates and times by their value,
// then numbers (either decimal separator, thousands separators ignored),
// then the locale-aware text order. Negative, zero or positive.
int SmartCompare(const QString &a, const QString &b);
// The locale-aware text comparison alone.
int PlainCompare(const QString &a, const QString &b);
