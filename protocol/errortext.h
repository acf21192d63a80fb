#pragma once

#include <QString>

class TUserReply;

// The text of a reply's error code in the current interface language.
QString ErrorText(const TUserReply &reply);
QString ErrorText(const TUserReply &reply, bool english);
QString ErrorText(int code, const QString &serverText, bool english);
// "Error code: " + code + " " + ErrorText for a code of the table, else
// "Error code: " + code + " " + the server's text (a refused registration).
QString ErrorCodeText(const TUserReply &reply);
