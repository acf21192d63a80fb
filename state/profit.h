#pragma once

#include <QtGlobal>

// Profit of a position in account currency units, rounded to cents (halves
// to even). Prices are in price units (price × 10000); amount is lots × the
// lot size.
//   kind 1: the instrument is quoted in the account currency;
//   kind 2: its base currency is the account currency (divided by the current price);
//   kind 3: a cross rate, converted through the cross instrument's price and kind.
// Worked in double throughout: (open − current) × amount leaves 32 bits at
// 100 lots, and the kind-3 divisor is fractional.
double Profit(int operation, int kind, qint32 open, qint32 crossPrice, int crossKind, qint64 amount,
              qint32 current);
