#include "languagetables.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>

// Readable failure messages for texts.
void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

constexpr bool kRussian = false;
constexpr bool kEnglish = true;

bool isUnusedCaption(int index)
{
    return index == 0 || index == 1 || (index >= 113 && index <= 119);
}

// printf-style conversions in order of appearance; "%%" counts as one too.
QStringList formatConversions(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("%[-+ #0]*(\\d+|\\*)?(\\.\\d+)?[diouxXeEfgGcsp%]"));
    QStringList found;
    for (auto it = re.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    return found;
}

int leadingBlanks(const QString &s)
{
    int n = 0;
    while (n < s.size() && s.at(n) == u' ')
        ++n;
    return n;
}

int trailingBlanks(const QString &s)
{
    int n = 0;
    while (n < s.size() && s.at(s.size() - 1 - n) == u' ')
        ++n;
    return n;
}

} // namespace

// Runs first in a whole-binary run as well: nothing has switched yet.
TEST(CachedTexts, ValidForRussianBeforeAnySwitch)
{
    EXPECT_FALSE(IsEnglish());
    const TCachedTexts &texts = CachedTexts();
    EXPECT_EQ(texts.OrderStates[0], MessageTextIn(kRussian, 45));
    EXPECT_EQ(texts.OrderStates[1], MessageTextIn(kRussian, 15));
    EXPECT_EQ(texts.OrderStates[2], MessageTextIn(kRussian, 26));
    EXPECT_EQ(texts.Loading, MessageTextIn(kRussian, 20));
    EXPECT_EQ(texts.NoConnect, MessageTextIn(kRussian, 32));
    EXPECT_EQ(texts.ValueRequired, MessageTextIn(kRussian, 10));
    EXPECT_EQ(texts.IncorrectValue, MessageTextIn(kRussian, 21));
    EXPECT_EQ(texts.IntegerOutOfRange, MessageTextIn(kRussian, 22));
    EXPECT_EQ(texts.PriceOutOfRange, MessageTextIn(kRussian, 38));
    EXPECT_FALSE(texts.Loading.isEmpty());
}

TEST(CachedTexts, FollowTheLanguageSwitch)
{
    SetEnglish(true);
    EXPECT_TRUE(IsEnglish());
    const TCachedTexts &texts = CachedTexts();
    EXPECT_EQ(texts.OrderStates[0], u"deleted");
    EXPECT_EQ(texts.OrderStates[1], u"executed");
    EXPECT_EQ(texts.OrderStates[2], u"canceled");
    EXPECT_EQ(texts.Loading, u"Please wait, loading...");
    EXPECT_EQ(texts.NoConnect, u"No connect");
    EXPECT_EQ(texts.ValueRequired, u"Value requered");
    EXPECT_EQ(texts.IncorrectValue, u"Incorect value");
    EXPECT_EQ(texts.IntegerOutOfRange, u"Incorect value");
    EXPECT_EQ(texts.PriceOutOfRange, u"Incorect value");
    EXPECT_EQ(MessageText(32), u"No connect");

    SetEnglish(false);
    EXPECT_FALSE(IsEnglish());
    EXPECT_EQ(texts.NoConnect, MessageTextIn(kRussian, 32));
    EXPECT_EQ(texts.OrderStates[0], MessageTextIn(kRussian, 45));
    EXPECT_EQ(MessageText(32), MessageTextIn(kRussian, 32));
    EXPECT_NE(MessageText(32), u"No connect");
}

TEST(CachedTexts, OrderStatesFitTheirShortFields)
{
    for (bool english : {kRussian, kEnglish}) {
        SetEnglish(english);
        for (const QString &state : CachedTexts().OrderStates) {
            EXPECT_FALSE(state.isEmpty());
            EXPECT_LE(state.size(), 10) << state.toStdString();
        }
    }
    SetEnglish(false);
}

TEST(LanguageTables, UnusedAndOutOfRangeIndexesAreEmpty)
{
    for (bool english : {kRussian, kEnglish}) {
        for (int i = 0; i <= kLastCaptionIndex; ++i)
            EXPECT_EQ(CaptionTextIn(english, i).isEmpty(), isUnusedCaption(i)) << "caption " << i;
        for (int i : {-1, kLastCaptionIndex + 1, 65535, 1 << 30})
            EXPECT_TRUE(CaptionTextIn(english, i).isEmpty()) << "caption " << i;

        EXPECT_TRUE(MessageTextIn(english, 0).isEmpty());
        for (int i = 1; i <= kLastMessageIndex; ++i)
            EXPECT_FALSE(MessageTextIn(english, i).isEmpty()) << "message " << i;
        for (int i : {-1, kLastMessageIndex + 1, 1 << 30})
            EXPECT_TRUE(MessageTextIn(english, i).isEmpty()) << "message " << i;
    }
    EXPECT_EQ(kLastCaptionIndex, 132);
    EXPECT_EQ(kLastMessageIndex, 57);
}

TEST(LanguageTables, EnglishTextsAreVerbatim)
{
    const std::pair<int, const char16_t *> captions[] = {
        {2, u"&+ Zoom in"}, {3, u"&- Zoom out"}, {32, u"Are your sure to close"}, {81, u"View (Ask+bid)/2"},
        {90, u"Change "}, {112, u"Help"}, {120, u"Chat"}, {121, u"Send (Cntr+Enter)"},
        {132, u"Chat"},
    };
    for (const auto &[index, text] : captions)
        EXPECT_EQ(CaptionTextIn(kEnglish, index), QString::fromUtf16(text)) << "caption " << index;

    const std::pair<int, const char16_t *> messages[] = {
        {3, u" Balans: %.2f; Equty: %.2f; Free margin: %.2f"},
        {5, u"%s %s lot: %d;at price: %s %s"},
        {10, u"Value requered"},
        {12, u" (%d sec)"},
        {16, u"Open date: %s; opean price: %s"},
        {25, u"Not valid packet is recieved"},
        {41, u"Connect "},
        {44, u"Total: %7.2f (%s - %s) , Current balans : %7.2f"},
        {48, u"Can' read %s file"},
        {57, u"Total : %d, unread: %d, new %d"},
    };
    for (const auto &[index, text] : messages)
        EXPECT_EQ(MessageTextIn(kEnglish, index), QString::fromUtf16(text)) << "message " << index;
}

TEST(LanguageTables, SharedTextsAreTheSameInBothLanguages)
{
    EXPECT_EQ(CaptionTextIn(kRussian, 26), u"Kelvra");
    EXPECT_EQ(CaptionTextIn(kRussian, 6), CaptionTextIn(kEnglish, 6));
    const QString keyFile = QStringLiteral("Необходимо указать корректный private key file");
    EXPECT_EQ(MessageTextIn(kEnglish, 18), keyFile);
    EXPECT_EQ(MessageTextIn(kRussian, 18), keyFile);
}

TEST(LanguageTables, RussianKeepsFormatConversionsAndBlanks)
{
    auto compare = [](const QString &en, const QString &ru, const char *what, int index) {
        const QStringList conversions = formatConversions(en);
        EXPECT_EQ(conversions, formatConversions(ru)) << what << ' ' << index << ": " << ru.toStdString();
        // A '%' outside a conversion would break the formatting of the text.
        EXPECT_EQ(ru.count(u'%'), en.count(u'%')) << what << ' ' << index;
        EXPECT_EQ(leadingBlanks(ru), leadingBlanks(en)) << what << ' ' << index;
        EXPECT_EQ(trailingBlanks(ru), trailingBlanks(en)) << what << ' ' << index;
    };
    for (int i = 0; i <= kLastMessageIndex; ++i)
        compare(MessageTextIn(kEnglish, i), MessageTextIn(kRussian, i), "message", i);
    for (int i = 0; i <= kLastCaptionIndex; ++i)
        compare(CaptionTextIn(kEnglish, i), CaptionTextIn(kRussian, i), "caption", i);

    // The extraction itself: order and width/precision matter.
    EXPECT_EQ(formatConversions(QStringLiteral("a %7.2f b %s %d %%")),
              (QStringList{"%7.2f", "%s", "%d", "%%"}));
}

TEST(LanguageTables, RussianIsActuallyTranslated)
{
    // Catches a Russian table accidentally filled with the English texts.
    int same = 0;
    for (int i = 1; i <= kLastMessageIndex; ++i)
        same += MessageTextIn(kEnglish, i) == MessageTextIn(kRussian, i);
    EXPECT_EQ(same, 1); // only the key-file sentence
    EXPECT_EQ(CaptionTextIn(kRussian, 42), u"Закрыть");
    EXPECT_EQ(MessageTextIn(kRussian, 32), u"Нет соединения");
}

TEST(CaptionText, UsesTheHighWordOfTheTag)
{
    SetEnglish(true);
    EXPECT_EQ(CaptionText(26 << 16), u"Kelvra");
    EXPECT_EQ(CaptionText((42 << 16) | 999), u"Close"); // low word is the control's own
    EXPECT_EQ(CaptionText((8 << 16) | 0xFFFF), u"1 minute");
    EXPECT_TRUE(CaptionText(65536).isEmpty());  // index 1 is empty
    EXPECT_TRUE(CaptionText(65535).isEmpty());  // low word only
    EXPECT_TRUE(CaptionText(999).isEmpty());
    EXPECT_TRUE(CaptionText(0).isEmpty());
    EXPECT_TRUE(CaptionText(-1).isEmpty());
    EXPECT_TRUE(CaptionText(int(0x80000000u) | (42 << 16)).isEmpty()); // negative tag
    EXPECT_TRUE(CaptionText(133 << 16).isEmpty());
    EXPECT_TRUE(CaptionText(0x7FFF0000).isEmpty());

    SetEnglish(false);
    EXPECT_EQ(CaptionText((42 << 16) | 999), CaptionTextIn(kRussian, 42));
    EXPECT_TRUE(MessageText(0).isEmpty());
    EXPECT_TRUE(MessageText(58).isEmpty());
}
