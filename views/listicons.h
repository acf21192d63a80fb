#pragma once

#include <vector>

#include <QIcon>

// The row icons of the list windows, drawn by the program itself. Only the
// indexes are fixed by the records that choose them.
//   instruments: 0 bid rose, 1 fell, 2 unchanged, 3 never quoted; 4..7 the
//                same while the row is selected
//   positions:   0 profit, 1 loss, 4 equity fell, 5 rose or unchanged,
//                6 first figures (the last three for the account footer)
//   histories:   0 profit, 1 loss, 2 group or totals
std::vector<QIcon> InstrumentIcons();
std::vector<QIcon> PositionIcons();
std::vector<QIcon> HistoryIcons();
