#pragma once

#include <vector>

#include <QtGlobal>

class TUserCmdRply;

// The ids of a list reply (145 mail, 144 messages): a u16 count, then that
// many u32 ids after the error byte. A count beyond the packet is an invalid
// packet (message 25), raised before any id is taken.
std::vector<quint32> ReadIdList(const TUserCmdRply &packet);
