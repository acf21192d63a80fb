#pragma once

#include <QString>

// Fixed texts of the trading records (the same in both languages).

// Order types 1..10 ("Market buy" … "Sell take profit"); "" for other codes.
QString OrderTypeText(int orderType);
// Position operations: 1 "Buy", 2 "Sell"; "" for other codes.
QString OperationText(int operation);
// Account history operations: 1 "add", 2 "delete", 101 "Buy", 102 "Sell"; "" otherwise.
QString HistoryOperationText(int operationType);
// Order history states 3, 4, 5 in the current language ("deleted",
// "executed", "canceled"); "" for other codes.
QString OrderStateText(int status);
