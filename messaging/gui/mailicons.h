#pragma once

#include <vector>

#include <QIcon>

// The mailbox rows' images: 0 new, 2 read, 3 unread, 6 the counts footer
// (the other indexes are left empty).
std::vector<QIcon> MailIcons();
