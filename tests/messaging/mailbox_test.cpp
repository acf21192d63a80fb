#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "listmail.h"
#include "messagefiles.h"
#include "languagetables.h"
#include "widgetapp.h"

namespace {

// A footer-only view: enough for the counts.
struct FakeRow : TRowItem {
    void SetCaption(const QString &t) override { caption = t; }
    void SetImage(int i) override { image = i; }
    void SetSubItem(int, const QString &) override {}
    void SetData(TUserViewObject *) override {}
    QString caption;
    int image = -1;
};
struct FakeView : TRowView {
    TRowItem *AddRow() override { return rows.emplace_back(std::make_unique<FakeRow>()).get(); }
    void DeleteRow(TRowItem *) override { ++deleted; }
    void DeleteRowsButFooter() override {}
    TRowItem *FooterRow() override { return &footer; }
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void Repaint() override { ++repaints; }
    void ShowRow(TRowItem *) override {}
    std::vector<std::unique_ptr<FakeRow>> rows;
    FakeRow footer;
    int deleted = 0, repaints = 0;
};

QByteArray le32(qint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); }
QByteArray le64(double v) { return QByteArray(reinterpret_cast<const char *>(&v), 8); }
QByteArray counted(const QByteArray &b) { return le32(qint32(b.size())) + b; }

// The 147 reply's record.
std::vector<uint8_t> wireMail(quint32 id, const QByteArray &from, double date, const QByteArray &subject,
                              const QByteArray &text)
{
    std::vector<uint8_t> r(370 + size_t(text.size()), 0);
    std::memcpy(r.data(), &id, 4);
    r[4] = uint8_t(from.size());
    std::memcpy(r.data() + 5, from.constData(), size_t(from.size()));
    std::memcpy(r.data() + 105, &date, 8);
    r[113] = uint8_t(subject.size());
    std::memcpy(r.data() + 114, subject.constData(), size_t(subject.size()));
    r[368] = uint8_t(text.size());
    r[369] = uint8_t(text.size() >> 8);
    std::memcpy(r.data() + 370, text.constData(), size_t(text.size()));
    return r;
}

class MailboxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        SetEnglish(true);
        list.DataDir = dir.path();
        list.ShowStatus = [this](const QString &t) { statuses << t; };
    }
    QTemporaryDir dir;
    TListMail list;
    QStringList statuses;
};

} // namespace

TEST_F(MailboxTest, FileLayoutIsByteExactAndKeepsUnmappedBytes)
{
    list.LoadMailbox(7);
    // 0x98 has no Windows-1251 character: it must survive untouched.
    const QByteArray from("Dealer\x98", 7), subject("\xcf\xf0\xe8", 3), text("line1\r\nline2");
    ASSERT_TRUE(list.AddReceived(wireMail(5, from, 45000.5, subject, text)));
    ASSERT_TRUE(list.AddReceived(wireMail(2, "A", 1.25, "", "")));
    list.MarkRead(list.FindRecord(2));
    list.SaveMailbox();
    QFile file(list.FilePath(7));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray expected = le32(2) + le32(2) + QByteArray(1, 0) + le64(1.25) + counted("A") + counted("")
                                + counted("") + le32(5) + QByteArray(1, 1) + le64(45000.5) + counted(from)
                                + counted(subject) + counted(text);
    EXPECT_EQ(file.readAll(), expected);
    EXPECT_FALSE(list.Modified);

    // Another list reads it back: nothing is new, unread stays as stored.
    TListMail again;
    again.DataDir = dir.path();
    again.LoadMailbox(7);
    ASSERT_EQ(again.Count(), 2);
    EXPECT_EQ(again.Item(1)->From, from);
    EXPECT_EQ(again.Item(1)->Content, text);
    EXPECT_TRUE(again.Item(1)->Unread);
    EXPECT_FALSE(again.Item(0)->Unread);
    EXPECT_FALSE(again.Item(1)->New);
    EXPECT_EQ(again.Item(1)->ImageIndex(), 3);
}

TEST_F(MailboxTest, CountsFollowNewUnreadAndReading)
{
    FakeView view;
    list.AttachView(&view);
    list.LoadMailbox(1001);
    EXPECT_EQ(view.footer.caption, QStringLiteral("Total : 0, unread: 0, new 0"));
    EXPECT_EQ(view.footer.image, 6);
    ASSERT_TRUE(list.AddReceived(wireMail(1, "x", 1, "s", "t")));
    ASSERT_TRUE(list.AddReceived(wireMail(2, "x", 1, "s", "t")));
    // A duplicate 147 reply changes nothing.
    EXPECT_EQ(list.AddReceived(wireMail(2, "y", 1, "s", "t")), nullptr);
    list.MarkRead(list.FindRecord(1));
    EXPECT_EQ(view.footer.caption, QStringLiteral("Total : 2, unread: 0, new 2"));
    EXPECT_EQ(view.repaints, 1);
    EXPECT_EQ(list.FindRecord(1)->ImageIndex(), 0);  // new wins over read
    list.SaveMailbox();
    list.DetachView();

    // A restart: neither is new, the unopened one is unread.
    TListMail again;
    again.DataDir = dir.path();
    FakeView view2;
    again.AttachView(&view2);
    again.LoadMailbox(1001);
    EXPECT_EQ(view2.footer.caption, QStringLiteral("Total : 2, unread: 1, new 0"));
    again.DeleteMail(2);
    EXPECT_EQ(view2.footer.caption, QStringLiteral("Total : 1, unread: 0, new 0"));
    again.DetachView();
    TListMail third;
    third.DataDir = dir.path();
    third.LoadMailbox(1001);
    EXPECT_EQ(third.Count(), 1);  // the delete was written at once
}

TEST_F(MailboxTest, AccountChangeSavesAndSameAccountReloadsNothing)
{
    list.LoadMailbox(1);
    ASSERT_TRUE(list.AddReceived(wireMail(1, "x", 1, "s", "t")));
    list.LoadMailbox(1);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(list.Modified);
    list.LoadMailbox(2);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(QFile::exists(list.FilePath(1)));
    EXPECT_FALSE(QFile::exists(list.FilePath(2)));  // nothing to write yet

    // A failing save at the switch is shown and the switch completes.
    ASSERT_TRUE(list.AddReceived(wireMail(9, "x", 1, "s", "t")));
    list.DataDir = dir.filePath(QStringLiteral("missing/folder"));
    list.LoadMailbox(3);
    EXPECT_EQ(list.MailAccount, 3);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(statuses.contains(SaveFailedText()));
    EXPECT_THROW(
        {
            list.AddReceived(wireMail(4, "x", 1, "s", "t"));
            list.SaveMailbox();
        },
        std::runtime_error);
    EXPECT_TRUE(list.Modified);
}

TEST_F(MailboxTest, TruncatedFileKeepsTheMailBeforeTheCutAndItsCopy)
{
    list.LoadMailbox(5);
    for (quint32 id = 1; id <= 3; ++id)
        list.AddReceived(wireMail(id, "from", id, "subject", QByteArray(int(id) * 3, 'z')));
    const QByteArray whole = TListMail::EncodeFile(list);
    // The offsets where each mail ends.
    std::vector<qsizetype> ends;
    for (int n = 1; n <= 3; ++n) {
        TListMail part;
        part.LoadMailbox(6);
        for (int i = 0; i < n; ++i)
            part.AddReceived(wireMail(quint32(i + 1), "from", i + 1, "subject", QByteArray((i + 1) * 3, 'z')));
        ends.push_back(TListMail::EncodeFile(part).size() - 4 + 4);
    }
    const QString path = dir.filePath(QStringLiteral("mail-8.msg"));
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(whole.left(cut));
        f.close();
        TListMail reader;
        reader.DataDir = dir.path();
        QStringList shown;
        reader.ShowStatus = [&](const QString &t) { shown << t; };
        reader.LoadMailbox(8);
        const int complete = int(std::count_if(ends.begin(), ends.end(), [&](qsizetype e) { return e <= cut; }));
        EXPECT_EQ(reader.Count(), complete) << "cut at " << cut;
        EXPECT_EQ(shown, QStringList{LoadFailedText()}) << "cut at " << cut;
    }
    // A damaged file is copied aside before it is first rewritten.
    TListMail reader;
    reader.DataDir = dir.path();
    reader.LoadMailbox(8);
    reader.AddReceived(wireMail(50, "x", 1, "s", "t"));
    reader.SaveMailbox();
    QFile bad(path + QStringLiteral(".bad"));
    ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
    EXPECT_EQ(bad.readAll(), whole.left(whole.size() - 1));

    // Garbage counts and lengths are refused, not trusted.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(le32(0x7fffffff) + le32(1) + QByteArray(1, 1) + le64(1) + le32(-5));
    f.close();
    TListMail hostile;
    hostile.DataDir = dir.path();
    hostile.LoadMailbox(8);
    EXPECT_EQ(hostile.Count(), 0);
}

TEST_F(MailboxTest, ShortOrOverlongWireRecordIsRefused)
{
    list.LoadMailbox(1);
    auto record = wireMail(1, "x", 1, "s", "text");
    record.pop_back();  // the text length says 4, 3 bytes follow
    EXPECT_ANY_THROW(list.AddReceived(record));
    EXPECT_ANY_THROW(list.AddReceived(std::vector<uint8_t>(369, 0)));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.Modified);
    // A length byte beyond the field's capacity is clamped to it.
    auto wide = wireMail(2, "x", 1, "s", "");
    wide[4] = 255;
    ASSERT_TRUE(list.AddReceived(wide));
    EXPECT_EQ(list.FindRecord(2)->From.size(), 100);
}
