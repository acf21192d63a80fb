#pragma once

#include <functional>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QString>

#include "wiretext.h"

class TCMListView;

// The account report: what the four account windows show, row by row, as
// one HTML page under the dealer title, the account and the server time.
struct TReportSection {
    QString title;              // e.g. "Account history (from .. to ..)"
    const TCMListView *view = nullptr;
    bool attached = false;      // a list not attached to its view gives no rows
};

struct TReportHeader {
    uint32_t account = 0;
    QString dealerTitle;
    QString serverTime;         // "dd.mm.yyyy hh:nn"
};

// The title's period part: " (from <today - days> to <today>)", empty for
// days 0 (all history). Dates come from the formatter (the short date
// format of the system by default).
QString ReportPeriodText(int days, QDate today, const std::function<QString(QDate)> &shortDate = nullptr);

// The document as text. Every text that comes from the server or the lists
// is HTML-escaped; the report's own markup is not.
QString AccountReportHtml(const TReportHeader &header, const std::vector<TReportSection> &sections);
// The same in the interface's 8-bit code page (windows-1251). Where the
// toolkit lacks that code page the report is UTF-8 and says so in its
// charset, rather than an empty file or question marks.
QByteArray AccountReportBytes(const TReportHeader &header, const std::vector<TReportSection> &sections,
                              bool codePage = WireCodecAvailable());
// Writes the report through a temporary file; false (and the old file kept)
// when it cannot be written.
bool WriteAccountReport(const QString &path, const TReportHeader &header, const std::vector<TReportSection> &sections);
