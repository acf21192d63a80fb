#include <gtest/gtest.h>

#include <random>

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>

#include "rtfreader.h"
#include "widgetapp.h"

namespace {

// As WordPad writes it: font table, colour table, generator, Cyrillic escapes.
const QByteArray kWordPad =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\nouicompat\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Calibri;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang1049 \\b \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\b0 , "
    "\\cf1\\i world\\i0\\cf0\\par\r\n"
    "\\ul under\\ulnone\\tab x\\line y \\u8364?\\fs40 big\\par\r\n"
    "{\\pict\\wmetafile8 0102030405}}\r\n";

QTextCharFormat formatAt(const QTextDocument &doc, const QString &word)
{
    QTextCursor c = doc.find(word);
    c.setPosition(c.selectionStart() + 1);
    return c.charFormat();
}

} // namespace

TEST(RtfReader, WordPadDocumentIsFormatted)
{
    EnsureWidgetApp();
    QTextDocument doc;
    ASSERT_TRUE(ReadRichText(kWordPad, doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Привет, world\nunder\tx\ny €big\n"));
    EXPECT_EQ(formatAt(doc, QStringLiteral("Привет")).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(doc, QStringLiteral("world")).fontWeight(), QFont::Normal);
    EXPECT_TRUE(formatAt(doc, QStringLiteral("world")).fontItalic());
    EXPECT_EQ(formatAt(doc, QStringLiteral("world")).foreground().color(), QColor(255, 0, 0));
    EXPECT_TRUE(formatAt(doc, QStringLiteral("under")).fontUnderline());
    EXPECT_FALSE(formatAt(doc, QStringLiteral("big")).fontUnderline());
    EXPECT_DOUBLE_EQ(formatAt(doc, QStringLiteral("big")).fontPointSize(), 20.0);
    EXPECT_DOUBLE_EQ(formatAt(doc, QStringLiteral("under")).fontPointSize(), 11.0);
}

TEST(RtfReader, PlainAndUnreadableTextIsShownAsItStands)
{
    EnsureWidgetApp();
    QTextDocument doc;
    LoadMailContent(doc, QByteArray("Hello {\\b not rtf}\r\n\xcf\xf0\xe8"));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Hello {\\b not rtf}\nПри"));
    // Unbalanced, or nested beyond the bound: the text as it stands.
    LoadMailContent(doc, "{\\rtf1 open");
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("{\\rtf1 open"));
    const QByteArray deep = "{\\rtf1 " + QByteArray(200, '{') + "x" + QByteArray(200, '}') + "}";
    EXPECT_FALSE(ReadRichText(deep, doc));
}

TEST(RtfReader, RandomMutationsNeitherCrashNorHang)
{
    EnsureWidgetApp();
    std::mt19937 random(20240518);
    const char alphabet[] = "{}\\'*;0123456789abcdefu- \r\n\xcf";
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < 3000; ++round) {
        QByteArray text = kWordPad;
        const int edits = 1 + int(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const int at = int(random() % quint32(text.size()));
            switch (random() % 3) {
            case 0:
                text[at] = alphabet[random() % (sizeof alphabet - 1)];
                break;
            case 1:
                text.remove(at, 1 + int(random() % 20));
                break;
            default:
                text.insert(at, text.mid(int(random() % quint32(text.size())), int(random() % 30)));
            }
        }
        QTextDocument doc;
        LoadMailContent(doc, text);
    }
    EXPECT_LT(timer.elapsed(), 120000);
}
