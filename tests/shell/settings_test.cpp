#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "connectionsettings.h"
#include "homepaths.h"
#include "inifile.h"
#include "languagetables.h"
#include "sixbittext.h"
#include "storedlogins.h"

void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

int modeOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 0777);
}

std::string encode(const std::vector<uint8_t> &bytes) { return EncodeSixBitText(bytes); }

} // namespace

// ---- INI file ---------------------------------------------------------------

TEST(IniFile, KeysIgnoreCaseAndKeepFileOrder)
{
    TIniFile ini;
    ini.WriteString(u"Kelvra-Server"_qs, u"host"_qs, u"a.example,b.example"_qs);
    EXPECT_EQ(ini.ReadString(u"kelvra-server"_qs, u"Host"_qs), u"a.example,b.example");
    ini.WriteString(u"KELVRA-SERVER"_qs, u"HOST"_qs, u"c.example"_qs);
    EXPECT_EQ(ini.SectionValues(u"kelvra-server"_qs).size(), 1);
    EXPECT_EQ(ini.ReadString(u"kelvra-server"_qs, u"host"_qs), u"c.example");

    for (const char *key : {"zeta", "alpha", "10", "2"})
        ini.WriteString(u"order"_qs, QString::fromLatin1(key), u"x"_qs);
    QStringList keys;
    for (const auto &[key, value] : ini.SectionValues(u"order"_qs))
        keys << key;
    EXPECT_EQ(keys, (QStringList{u"zeta"_qs, u"alpha"_qs, u"10"_qs, u"2"_qs}));

    EXPECT_EQ(ini.ReadInteger(u"order"_qs, u"zeta"_qs, 7), 7);  // not a number
    EXPECT_EQ(ini.ReadInteger(u"none"_qs, u"none"_qs, -3), -3);
    ini.WriteBool(u"desktop"_qs, u"Lang"_qs, true);
    EXPECT_EQ(ini.ReadString(u"desktop"_qs, u"lang"_qs), u"1");
    EXPECT_TRUE(ini.ReadBool(u"desktop"_qs, u"LANG"_qs, false));
    EXPECT_FALSE(ini.ReadBool(u"desktop"_qs, u"missing"_qs, false));

    ini.EraseSection(u"ORDER"_qs);
    EXPECT_TRUE(ini.SectionValues(u"order"_qs).isEmpty());
}

TEST(IniFile, SaveReplacesAtomicallyAndOwnerOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"kelvra.ini"_qs);
    TIniFile missing(path);
    EXPECT_TRUE(missing.ErrorText().isEmpty());
    EXPECT_TRUE(missing.Sections().isEmpty());

    // An existing file readable by everyone becomes owner-only when replaced.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[kelvra-server]\nHost=old.example\n; a comment\n[logins]\n0=abc\n");
    }
    ::chmod(QFile::encodeName(path).constData(), 0644);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(u"kelvra-server"_qs, u"host"_qs), u"old.example");
    ini.WriteString(u"kelvra-server"_qs, u"host"_qs, u"new.example"_qs);
    ASSERT_TRUE(ini.Save()) << ini.ErrorText().toStdString();
    EXPECT_EQ(modeOf(path), 0600);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"kelvra.ini"_qs});  // no temporary left
    EXPECT_EQ(TIniFile(path).ReadString(u"Kelvra-Server"_qs, u"HOST"_qs), u"new.example");
    EXPECT_EQ(TIniFile(path).ReadString(u"logins"_qs, u"0"_qs), u"abc");

    // A new file is owner-only from the start.
    const QString fresh = dir.filePath(u"other.ini"_qs);
    TIniFile other;
    other.SetPath(fresh);
    other.WriteInteger(u"s"_qs, u"k"_qs, 5);
    ASSERT_TRUE(other.Save());
    EXPECT_EQ(modeOf(fresh), 0600);

    // A folder that does not exist: refused, nothing written.
    TIniFile nowhere;
    nowhere.SetPath(dir.filePath(u"no/such/kelvra.ini"_qs));
    EXPECT_FALSE(nowhere.Save());
    EXPECT_FALSE(nowhere.ErrorText().isEmpty());
}

TEST(IniFile, LongValuesInPiecesOfAtMost1024Characters)
{
    TIniFile ini;
    QString text;
    for (int i = 0; i < 2500; ++i)
        text += QChar(u'a' + i % 26);
    text += QStringLiteral("ж");  // not ASCII
    ini.WriteLongValue(u"desktop"_qs, u"defaultk"_qs, text);

    QStringList keys;
    int total = 0;
    for (const auto &[key, value] : ini.SectionValues(u"desktop"_qs)) {
        keys << key;
        const auto bytes = DecodeSixBitText(value.toStdString());
        const QString piece = QString::fromUtf8(QByteArray(reinterpret_cast<const char *>(bytes.data()),
                                                           qsizetype(bytes.size())));
        EXPECT_LE(piece.size(), 1024);
        total += int(piece.size());
    }
    EXPECT_EQ(keys, (QStringList{u"defaultk"_qs, u"defaultk__1"_qs, u"defaultk__2"_qs}));
    EXPECT_EQ(total, text.size());
    EXPECT_EQ(ini.ReadLongValue(u"DESKTOP"_qs, u"DefaultK"_qs), text);

    // A shorter value leaves no stale piece behind to be read back with it.
    ini.WriteLongValue(u"desktop"_qs, u"defaultk"_qs, u"short"_qs);
    EXPECT_EQ(ini.ReadLongValue(u"desktop"_qs, u"defaultk"_qs), u"short");
    EXPECT_FALSE(ini.ValueExists(u"desktop"_qs, u"defaultk__1"_qs));
    EXPECT_EQ(ini.ReadLongValue(u"desktop"_qs, u"missing"_qs), QString());

    // Reading stops at the first missing piece.
    ini.WriteString(u"desktop"_qs, u"k"_qs, QString::fromStdString(encode({'a', 'b'})));
    ini.WriteString(u"desktop"_qs, u"k__2"_qs, QString::fromStdString(encode({'z'})));
    EXPECT_EQ(ini.ReadLongValue(u"desktop"_qs, u"k"_qs), u"ab");
}

// ---- connection settings ----------------------------------------------------

TEST(ConnectionSettings, DefaultsAndSetupChecks)
{
    SetEnglish(true);
    TIniFile ini;
    TConnectionSettings s = LoadConnectionSettings(ini);
    EXPECT_EQ(s.Servers, u"localhost");
    EXPECT_EQ(s.Port, 2222);

    EXPECT_EQ(ApplySetupValues(u"  "_qs, u"2222"_qs, s), u"Value requered");
    EXPECT_EQ(ApplySetupValues(u" a,b "_qs, u""_qs, s), u"Value requered");
    EXPECT_EQ(s.Servers, u"a,b");  // taken before the port was refused
    EXPECT_EQ(ApplySetupValues(u"a"_qs, u"x1"_qs, s), u"Incorect value");
    EXPECT_FALSE(ApplySetupValues(u"a"_qs, u"99"_qs, s).isEmpty());
    EXPECT_FALSE(ApplySetupValues(u"a"_qs, u"65537"_qs, s).isEmpty());
    EXPECT_EQ(s.Port, 2222);
    EXPECT_EQ(ApplySetupValues(u"a"_qs, u"100"_qs, s), QString());
    EXPECT_EQ(s.Port, 100);
    EXPECT_EQ(ApplySetupValues(u"a"_qs, u"65536"_qs, s), QString());
    EXPECT_EQ(s.Port, 65536);

    SaveConnectionSettings(ini, s);
    EXPECT_EQ(ini.ReadString(u"kelvra-server"_qs, u"Host"_qs), u"a");
    EXPECT_EQ(LoadConnectionSettings(ini).Port, 65536);
}

// ---- stored logins ----------------------------------------------------------

TEST(StoredLogins, RecordLayout)
{
    const TLoginRecord record = TLoginRecord::Make(0x01020304, u"secret-password"_qs, u"/keys/a.prk"_qs, true);
    const auto bytes = record.ToBytes();
    ASSERT_EQ(bytes.size(), 167u);
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_EQ(bytes[4], 10);  // password cut to 10
    EXPECT_EQ(std::string(bytes.begin() + 5, bytes.begin() + 15), "secret-pas");
    EXPECT_EQ(bytes[15], 11);
    EXPECT_EQ(std::string(bytes.begin() + 16, bytes.begin() + 27), "/keys/a.prk");
    EXPECT_EQ(bytes[166], 1);

    const auto back = TLoginRecord::FromBytes(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->LoginAccount, 0x01020304u);
    EXPECT_EQ(back->LoginPassword, u"secret-pas");
    EXPECT_EQ(back->LoginKeyFile, u"/keys/a.prk");
    EXPECT_TRUE(back->LoginSavePassword);
    EXPECT_FALSE(TLoginRecord::FromBytes(std::vector<uint8_t>(166)));
    EXPECT_FALSE(TLoginRecord::FromBytes(std::vector<uint8_t>(168)));

    const TLoginRecord unsaved = TLoginRecord::Make(5, u"pw"_qs, u"/k.prk"_qs, false);
    EXPECT_TRUE(unsaved.LoginPassword.isEmpty());
    EXPECT_TRUE(unsaved.LoginKeyFile.isEmpty());
    EXPECT_FALSE(unsaved.LoginSavePassword);
}

TEST(StoredLogins, StoreLoadAndSave)
{
    TStoredLogins logins;
    logins.StoreLogin(TLoginRecord::Make(2001, u"first"_qs, {}, true));
    logins.StoreLogin(TLoginRecord::Make(2001, u"second"_qs, {}, true));
    logins.StoreLogin(TLoginRecord::Make(999, {}, {}, false));
    logins.StoreRegisteredLogin(1500, u"registered-pw"_qs);
    EXPECT_EQ(logins.Count(), 3);
    EXPECT_EQ(logins.Find(2001)->LoginPassword, u"second");
    EXPECT_EQ(logins.Find(1500)->LoginPassword, u"registered");  // cut to 10
    EXPECT_TRUE(logins.Find(1500)->LoginKeyFile.isEmpty());
    EXPECT_TRUE(logins.Find(u" 1500 "_qs)->LoginSavePassword);
    EXPECT_EQ(logins.Accounts(), (QStringList{u"1500"_qs, u"2001"_qs, u"999"_qs}));  // text order

    TIniFile ini;
    ini.WriteString(u"logins"_qs, u"stale"_qs, u"x"_qs);
    logins.SavedAccount = 2001;
    logins.SaveLogins(ini);
    QStringList keys;
    for (const auto &[key, value] : ini.SectionValues(u"logins"_qs))
        keys << key;
    EXPECT_EQ(keys, (QStringList{u"0"_qs, u"1"_qs, u"2"_qs}));
    EXPECT_EQ(ini.ReadInteger(u"lastLogin"_qs, u"account"_qs, 0), 2001);

    // Values of another length are skipped without a word.
    ini.WriteString(u"logins"_qs, u"3"_qs, QString::fromStdString(encode(std::vector<uint8_t>(100, 1))));
    TStoredLogins loaded;
    loaded.LoadLogins(ini);
    EXPECT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.SavedAccount, 2001u);
    EXPECT_EQ(loaded.SavedPassword, u"second");

    // A remembered account without its password: no automatic login.
    ini.WriteInteger(u"lastLogin"_qs, u"account"_qs, 999);
    TStoredLogins again;
    again.LoadLogins(ini);
    EXPECT_EQ(again.SavedAccount, 999u);
    EXPECT_TRUE(again.SavedPassword.isEmpty());

    // No logins: no saved account, and none written back.
    TIniFile empty;
    empty.WriteInteger(u"lastLogin"_qs, u"account"_qs, 77);
    TStoredLogins none;
    none.LoadLogins(empty);
    EXPECT_EQ(none.SavedAccount, 0u);
    TIniFile out;
    none.SavedAccount = 5;
    none.SaveLogins(out);
    EXPECT_FALSE(out.ValueExists(u"lastLogin"_qs, u"account"_qs));
}

// ---- where files live -------------------------------------------------------

TEST(HomePaths, ExplicitHomeEnvironmentExecutableFolderAndXdg)
{
    QTemporaryDir dir;
    qunsetenv("KELVRA_HOME");
    TKelvraPaths p = ResolvePaths(dir.path() + u"/h/../h"_qs, u"/nowhere"_qs);
    EXPECT_EQ(p.IniFile, dir.path() + u"/h/kelvra.ini"_qs);
    EXPECT_EQ(p.DataDir, dir.path() + u"/h/data"_qs);
    EXPECT_TRUE(CreateDataDir(p));
    EXPECT_TRUE(QFileInfo(p.DataDir).isDir());

    qputenv("KELVRA_HOME", QFile::encodeName(dir.path() + u"/env"_qs));
    EXPECT_EQ(ResolvePaths({}, u"/nowhere"_qs).IniFile, dir.path() + u"/env/kelvra.ini"_qs);
    EXPECT_EQ(ResolvePaths(dir.path(), u"/nowhere"_qs).IniFile, dir.path() + u"/kelvra.ini"_qs);  // the option wins
    qunsetenv("KELVRA_HOME");

    EXPECT_EQ(ResolvePaths({}, dir.path()).IniFile, dir.path() + u"/kelvra.ini"_qs);

    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + u"/config"_qs));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + u"/share"_qs));
    p = ResolvePaths({}, dir.path() + u"/missing"_qs);
    EXPECT_EQ(p.IniFile, dir.path() + u"/config/kelvra/kelvra.ini"_qs);
    EXPECT_EQ(p.DataDir, dir.path() + u"/share/kelvra"_qs);
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
}

// An installed program (<prefix>/bin with <prefix>/share/kelvra) keeps the
// user's files under XDG even when its folder can be written (as root), and
// finds the files it ships with in the installed data folder.
TEST(HomePaths, InstalledLayoutUsesXdgAndTheInstalledDataFolder)
{
    QTemporaryDir dir;
    qunsetenv("KELVRA_HOME");
    const QString bin = dir.path() + u"/prefix/bin"_qs;
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_EQ(ResolvePaths({}, bin).IniFile, bin + u"/kelvra.ini"_qs);  // a bare bin folder: beside it
    EXPECT_EQ(FindProgramDataFile(u"kelvra.hlp"_qs, bin), bin + u"/kelvra.hlp"_qs);  // nowhere: beside

    const QString share = dir.path() + u"/prefix/share/kelvra"_qs;
    ASSERT_TRUE(QDir().mkpath(share));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + u"/config"_qs));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + u"/data"_qs));
    EXPECT_EQ(ResolvePaths({}, bin).IniFile, dir.path() + u"/config/kelvra/kelvra.ini"_qs);
    EXPECT_EQ(ResolvePaths({}, bin).DataDir, dir.path() + u"/data/kelvra"_qs);

    QFile installed(share + u"/kelvra.hlp"_qs);
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.close();
    EXPECT_EQ(FindProgramDataFile(u"kelvra.hlp"_qs, bin), share + u"/kelvra.hlp"_qs);
    QFile beside(bin + u"/kelvra.hlp"_qs);  // a build tree's copy wins
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    EXPECT_EQ(FindProgramDataFile(u"kelvra.hlp"_qs, bin), bin + u"/kelvra.hlp"_qs);
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
}
