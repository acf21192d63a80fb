#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "accountreport.h"
#include "cmlistview.h"
#include "languagetables.h"
#include "widgetapp.h"

namespace {

struct Widgets {
    Widgets() { EnsureWidgetApp(); }
};

QString dmy(QDate d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

class ReportTest : public ::testing::Test {
protected:
    ReportTest()
    {
        SetEnglish(true);
        orders.SetColumns({{18, Qt::AlignLeft, 30, 60}, {94, Qt::AlignLeft, 80, 0}});
        positions.SetColumns({{18, Qt::AlignLeft, 60, 0}, {94, Qt::AlignLeft, 80, 0}, {80, Qt::AlignRight, 60, 0}});
        positions.SetHasFooter(true);
    }
    void fill()
    {
        orders.Attach();
        for (const char *id : {"11", "12", "13"}) {
            TRowItem *r = orders.AddRow();
            r->SetCaption(QString::fromLatin1(id));
            r->SetSubItem(0, QStringLiteral("EURUSD"));
        }
        positions.Attach();
        TRowItem *p = positions.AddRow();
        p->SetCaption(QStringLiteral("7"));
        p->SetSubItem(0, QStringLiteral("GBP<USD>&"));
        p->SetSubItem(1, QStringLiteral("-12.50"));
        positions.FooterRow()->SetCaption(QStringLiteral(" Balans: 100.00; Equty: 87.50; Free margin: 0.00"));
    }
    std::vector<TReportSection> sections(const QString &historyTitle)
    {
        return {{historyTitle, &history, history.Attached()},
                {MessageText(27), &orders, orders.Attached()},
                {MessageText(29), &positions, positions.Attached()}};
    }
    Widgets app;
    TCMListView history, orders, positions;
    TReportHeader header{1001, QStringLiteral("Demo & Co"), QStringLiteral("09.12.2026 10:05")};
};

} // namespace

TEST_F(ReportTest, DocumentMatchesByteForByte)
{
    history.SetColumns({{18, Qt::AlignLeft, 60, 0}});
    fill();
    const QString spacer = QStringLiteral("<tr><td colspan=13 style=\"font: 1pt arial\">&nbsp;</td></tr>");
    const QString expected =
        QStringLiteral("<html><head><title>Account: 1001</title>"
                       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
                       "<style type=\"text/css\" media=\"screen\"><!-- td {font: 8pt Tahoma,Arial; } //--> </style>"
                       "<style type=\"text/css\" media=\"print\"><!--td {font: 7pt Tahoma,Arial; }//--></style>"
                       "</head><body topmargin=1 marginheight=1>"
                       "<div align=center><div style=\"font: 20pt Tahoma\"><b>Demo &amp; Co</b></div>"
                       "<font face=\"tahoma,arial\" size=1><table cellspacing=1 cellpadding=2 border=0>"
                       "<tr><td colspan=2>Account #:<b>1001</b></td><td colspan=6></td>"
                       "<td colspan=5 align=right>09.12.2026 10:05 GMT</td></tr>") +
        spacer +
        // Not attached: title and header row only.
        QStringLiteral("<tr><td colspan=13><b>Account history:</b></td></tr>"
                       "<tr><td colspan=13><table cellspacing=1 cellpadding=2 border=0 width=\"100%\">"
                       "<tr align=center bgcolor=#c0c0c0><td nowrap>Id</td></tr></table></td></tr>") +
        spacer +
        QStringLiteral("<tr><td colspan=13><b>Orders:</b></td></tr>"
                       "<tr><td colspan=13><table cellspacing=1 cellpadding=2 border=0 width=\"100%\">"
                       "<tr align=center bgcolor=#c0c0c0><td nowrap>Id</td><td nowrap>Symbol</td></tr>"
                       "<tr align=right><td nowrap>11</td><td nowrap>EURUSD</td></tr>"
                       "<tr bgcolor=#E0E0E0 align=right><td nowrap>12</td><td nowrap>EURUSD</td></tr>"
                       "<tr align=right><td nowrap>13</td><td nowrap>EURUSD</td></tr>"
                       "</table></td></tr>") +
        spacer +
        QStringLiteral("<tr><td colspan=13><b>Open position:</b></td></tr>"
                       "<tr><td colspan=13><table cellspacing=1 cellpadding=2 border=0 width=\"100%\">"
                       "<tr align=center bgcolor=#c0c0c0><td nowrap>Id</td><td nowrap>Symbol</td>"
                       "<td nowrap>Profit/loss</td></tr>"
                       "<tr align=right><td nowrap>7</td><td nowrap>GBP&lt;USD&gt;&amp;</td><td nowrap>-12.50</td></tr>"
                       "<tr align=right><td colspan=13 nowrap><b> Balans: 100.00; Equty: 87.50; Free margin: 0.00</b>"
                       "</td></tr></table></td></tr>") +
        spacer + QStringLiteral("</table></font></div></body></html>");
    EXPECT_EQ(AccountReportHtml(header, sections(MessageText(7))).toStdString(), expected.toStdString());
}

TEST_F(ReportTest, PeriodTextsAndRussianCaptions)
{
    const QDate today(2026, 12, 9);
    EXPECT_EQ(ReportPeriodText(0, today, dmy), QString());
    EXPECT_EQ(ReportPeriodText(7, today, dmy), QStringLiteral(" (from 02.12.2026 to 09.12.2026)"));

    SetEnglish(false);
    history.SetColumns({{18, Qt::AlignLeft, 60, 0}, {37, Qt::AlignRight, 100, 0}});
    fill();
    const QByteArray bytes =
        AccountReportBytes(header, sections(MessageText(7) + ReportPeriodText(1, today, dmy)));
    const QString text = QStringDecoder("windows-1251").decode(bytes);
    EXPECT_TRUE(text.contains(QStringLiteral("<td nowrap>") + CaptionTextIn(false, 37) + QStringLiteral("</td>")));
    EXPECT_TRUE(text.contains(MessageText(7) + QStringLiteral(" (с 08.12.2026 по 09.12.2026):")));
    EXPECT_NE(CaptionTextIn(false, 37), CaptionTextIn(true, 37));
    // One byte per Cyrillic letter: the page is in the 8-bit code page.
    EXPECT_EQ(bytes.size(), text.size());
    // Without that code page the page is UTF-8 and says so: never empty.
    const QByteArray utf8 =
        AccountReportBytes(header, sections(MessageText(7) + ReportPeriodText(1, today, dmy)), false);
    EXPECT_EQ(QString::fromUtf8(utf8), QString(text).replace("charset=windows-1251", "charset=utf-8"));
    EXPECT_TRUE(utf8.contains("charset=utf-8"));
    SetEnglish(true);
}

TEST_F(ReportTest, WrittenFileIsWellFormedAndReplacesTheOldOne)
{
    history.SetColumns({{18, Qt::AlignLeft, 60, 0}});
    fill();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.html"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old report");
    }
    ASSERT_TRUE(WriteAccountReport(path, header, sections(MessageText(7))));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("<html><head><title>Account: 1001</title>"));
    // Balanced tags: the escaping keeps the hostile name from opening any.
    QString xml = QString::fromLatin1(bytes);
    xml.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    xml.replace(QRegularExpression(QStringLiteral("<meta[^>]*>")), QString());
    xml.replace(QRegularExpression(QStringLiteral("(\\w+)=([^\"\\s>]+)")), QStringLiteral("\\1=\"\\2\""));
    xml.replace(QStringLiteral(" nowrap>"), QStringLiteral(" nowrap=\"1\">"));
    QXmlStreamReader reader(xml);
    int rows = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QStringLiteral("tr"))
            ++rows;
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    // Header and spacer; per section title, wrapper, column row, data rows, spacer.
    EXPECT_EQ(rows, 2 + (3 + 0 + 1) + (3 + 3 + 1) + (3 + 2 + 1));
    EXPECT_FALSE(WriteAccountReport(dir.filePath(QStringLiteral("missing/report.html")), header, {}));
}
