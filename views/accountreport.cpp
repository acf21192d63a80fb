#include "accountreport.h"

#include <QLocale>
#include <QSaveFile>
#include <QStringEncoder>

#include "cmlistview.h"
#include "languagetables.h"
#include "textformat.h"

namespace {

const QString kSpacer = QStringLiteral("<tr><td colspan=13 style=\"font: 1pt arial\">&nbsp;</td></tr>");

QString esc(const QString &text) { return text.toHtmlEscaped(); }

QString sectionHtml(const TReportSection &section)
{
    QString s = QStringLiteral("<tr><td colspan=13><b>") + esc(section.title) + QStringLiteral(":</b></td></tr>");
    s += QStringLiteral("<tr><td colspan=13><table cellspacing=1 cellpadding=2 border=0 width=\"100%\">");
    s += QStringLiteral("<tr align=center bgcolor=#c0c0c0>");
    const TCMListView *view = section.view;
    const TListRowModel *rows = view ? &const_cast<TCMListView *>(view)->Rows() : nullptr;
    const int columns = rows ? rows->columnCount() : 0;
    for (int c = 0; c < columns; ++c)
        s += QStringLiteral("<td nowrap>") + esc(rows->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
             QStringLiteral("</td>");
    s += QStringLiteral("</tr>");
    if (rows && section.attached) {
        for (int r = 0; r < rows->RowCount(); ++r) {
            const TListRow *row = rows->Row(r);
            if (row->IsFooter()) {
                s += QStringLiteral("<tr align=right><td colspan=13 nowrap><b>") + esc(row->Caption()) +
                     QStringLiteral("</b></td></tr>");
                continue;
            }
            // Row numbers count from 1: odd rows white, even rows grey.
            s += (r % 2 == 0) ? QStringLiteral("<tr align=right>") : QStringLiteral("<tr bgcolor=#E0E0E0 align=right>");
            s += QStringLiteral("<td nowrap>") + esc(row->Caption()) + QStringLiteral("</td>");
            for (int c = 1; c < columns; ++c)
                s += QStringLiteral("<td nowrap>") + esc(row->SubItem(c - 1)) + QStringLiteral("</td>");
            s += QStringLiteral("</tr>");
        }
    }
    s += QStringLiteral("</table></td></tr>");
    return s;
}

} // namespace

QString ReportPeriodText(int days, QDate today, const std::function<QString(QDate)> &shortDate)
{
    if (days == 0)
        return {};
    const auto format = shortDate ? shortDate : [](QDate d) { return QLocale::system().toString(d, QLocale::ShortFormat); };
    return FormatText(MessageText(37), {format(today.addDays(-days)), format(today)});
}

QString AccountReportHtml(const TReportHeader &header, const std::vector<TReportSection> &sections)
{
    const QString account = QString::number(header.account);
    QString html = QStringLiteral("<html><head><title>") + esc(MessageText(17)) + account + QStringLiteral("</title>");
    // Without the code page today's browsers show a Russian report as garbage.
    html += QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">");
    html += QStringLiteral("<style type=\"text/css\" media=\"screen\"><!-- td {font: 8pt Tahoma,Arial; } //--> </style>");
    html += QStringLiteral("<style type=\"text/css\" media=\"print\"><!--td {font: 7pt Tahoma,Arial; }//--></style>");
    html += QStringLiteral("</head><body topmargin=1 marginheight=1>");
    html += QStringLiteral("<div align=center><div style=\"font: 20pt Tahoma\"><b>") + esc(header.dealerTitle) +
            QStringLiteral("</b></div>");
    html += QStringLiteral("<font face=\"tahoma,arial\" size=1><table cellspacing=1 cellpadding=2 border=0>");
    html += QStringLiteral("<tr><td colspan=2>") + esc(MessageText(34)) + QStringLiteral("<b>") + account +
            QStringLiteral("</b></td><td colspan=6></td><td colspan=5 align=right>") + esc(header.serverTime) +
            QStringLiteral(" GMT</td></tr>");
    html += kSpacer;
    for (const TReportSection &section : sections)
        html += sectionHtml(section) + kSpacer;
    html += QStringLiteral("</table></font></div></body></html>");
    return html;
}

QByteArray AccountReportBytes(const TReportHeader &header, const std::vector<TReportSection> &sections,
                              bool codePage)
{
    QString html = AccountReportHtml(header, sections);
    if (codePage)
        return EncodeWireText(html);
    html.replace(QStringLiteral("charset=windows-1251"), QStringLiteral("charset=utf-8"));
    return html.toUtf8();
}

bool WriteAccountReport(const QString &path, const TReportHeader &header, const std::vector<TReportSection> &sections)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = AccountReportBytes(header, sections);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
