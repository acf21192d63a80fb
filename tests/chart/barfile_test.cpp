#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "barfile.h"
#include "serdata.h"

namespace {

QByteArray record(int32_t t, int32_t h, int32_t l, int32_t o, int32_t c)
{
    QByteArray r;
    for (int32_t v : {t, h, l, o, c})
        for (int b = 0; b < 4; ++b)
            r.append(char(uint32_t(v) >> (8 * b)));
    return r;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(BarFile, NamesFollowInstrumentAndTimeframe)
{
    EXPECT_EQ(barFilePath(QStringLiteral("/d"), QStringLiteral("EURUSD"), 3), QStringLiteral("/d/EURUSDH1.da0"));
    EXPECT_EQ(barFilePath(QStringLiteral("/d"), QStringLiteral("EURUSD"), 6), QStringLiteral("/d/EURUSDW1.da0"));
    EXPECT_TRUE(barFilePath(QStringLiteral("/d"), QStringLiteral("EURUSD"), 7).isEmpty());
    // No shared file for unknown instruments, nothing outside the folder.
    for (const QString &bad : {QString(), QStringLiteral("../x"), QStringLiteral("a/b"), QStringLiteral("a\\b"),
                               QStringLiteral(".."), QString(QStringLiteral("ab")) + QChar(0)})
        EXPECT_TRUE(barFilePath(QStringLiteral("/d"), bad, 3).isEmpty()) << bad.toStdString();
}

TEST(BarFile, RoundTripThroughASeries)
{
    QTemporaryDir dir;
    {
        TSerData s(3, 1, QStringLiteral("EURUSD"));
        s.AddBar(120, 12345, 12400, 12300, 12350);
        s.AddBar(60, 12000, 12100, 11900, 12050);
        EXPECT_TRUE(s.SaveBarFile(dir.path()));
    }
    const QByteArray bytes = readFile(dir.filePath(QStringLiteral("EURUSDH1.da0")));
    EXPECT_EQ(bytes, QByteArray("DT\x01", 3) + record(60, 12100, 11900, 12000, 12050) +
                         record(120, 12400, 12300, 12345, 12350));

    TSerData loaded(3, 1, QStringLiteral("EURUSD"));
    loaded.LoadBarFile(dir.path());
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_FALSE(loaded.Modified);
    EXPECT_DOUBLE_EQ(loaded.High()[1], 1.24);
    EXPECT_DOUBLE_EQ(loaded.Open()[0], 1.2);
    // Unchanged since loading: nothing is written.
    EXPECT_FALSE(loaded.SaveBarFile(dir.path()));
}

TEST(BarFile, DamagedFilesLoadWhatTheyCan)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("EURUSDM1.da0"));
    // Out of order with a duplicate and a truncated tail.
    writeFile(path, QByteArray("DT\x01", 3) + record(5, 3, 1, 2, 2) + record(2, 9, 9, 9, 9) + record(5, 4, 0, 7, 3) +
                        record(9, 1, 1, 1, 1).left(13));
    TSerData s(1, 1, QStringLiteral("EURUSD"));
    s.LoadBarFile(dir.path());
    ASSERT_EQ(s.Count(), 2);
    EXPECT_EQ(s.Time()[0], 2);
    EXPECT_EQ(s.Time()[1], 5);
    EXPECT_DOUBLE_EQ(s.High()[1], 0.0004);
    EXPECT_DOUBLE_EQ(s.Low()[1], 0.0);

    // A foreign file loads nothing, and is replaced once the series has bars.
    writeFile(path, QByteArray("XY\x01", 3) + record(5, 3, 1, 2, 2));
    TSerData foreign(1, 1, QStringLiteral("EURUSD"));
    foreign.LoadBarFile(dir.path());
    EXPECT_EQ(foreign.Count(), 0);
    foreign.ApplyTick(1, 100, 12345);
    EXPECT_TRUE(foreign.SaveBarFile(dir.path()));
    EXPECT_EQ(readFile(path), QByteArray("DT\x01", 3) + record(100, 12345, 12345, 12345, 12345));

    writeFile(path, QByteArray("D"));
    TSerData tiny(1, 1, QStringLiteral("EURUSD"));
    tiny.LoadBarFile(dir.path());
    EXPECT_EQ(tiny.Count(), 0);
}

TEST(BarFile, AFailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("EURUSDH1.da0"));
    const QByteArray old = QByteArray("DT\x01", 3) + record(60, 1, 1, 1, 1);
    writeFile(path, old);
    // The folder cannot take the temporary file.
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    TSerData s(3, 1, QStringLiteral("EURUSD"));
    s.AddBar(120, 2, 2, 2, 2);
    const bool written = s.SaveBarFile(dir.path());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (QFileInfo(dir.path()).isWritable() && written)
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("EURUSDH1.da0")});
}
