// The desktop client as a program: closed by signals, and installed.
#include <gtest/gtest.h>

#include <csignal>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "dealerharness.h"
#include "inifile.h"
#include "storedlogins.h"
#include "testapp.h"

namespace {

// The client, headless, with its diagnostics on standard error.
class ClientProcess {
public:
    explicit ClientProcess(QProcessEnvironment env = QProcessEnvironment::systemEnvironment())
    {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kelvra.shell.debug=true"));
        env.remove(QStringLiteral("KELVRA_HOME"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
    }
    ~ClientProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool start(const QString &program, const QStringList &args)
    {
        process.start(program, args);
        return process.waitForStarted(10000);
    }
    // Waits until the diagnostics hold the text.
    bool waitFor(const QString &text, int timeoutMs = 20000)
    {
        return WaitUntil(
            [&] {
                log += QString::fromUtf8(process.readAllStandardError());
                return log.contains(text) || process.state() == QProcess::NotRunning;
            },
            timeoutMs) &&
               log.contains(text);
    }
    // Sends the signal; true when the program then ended normally with status 0.
    bool endsCleanlyOn(int signal)
    {
        ::kill(pid_t(process.processId()), signal);
        if (!process.waitForFinished(20000))
            return false;
        log += QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QProcess process;
    QString log;
};

class ClientProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureTestApp();
        ASSERT_TRUE(dealer.start());
        writeConnectionSettings();
    }
    void writeConnectionSettings()
    {
        QFile::remove(home.filePath(QStringLiteral("kelvra.ini")));
        TIniFile ini(home.filePath(QStringLiteral("kelvra.ini")));
        ini.WriteString(QStringLiteral("kelvra-server"), QStringLiteral("host"), QStringLiteral("127.0.0.1"));
        ini.WriteInteger(QStringLiteral("kelvra-server"), QStringLiteral("port"), dealer.port());
        ASSERT_TRUE(ini.Save());
    }
    QString iniText() const
    {
        QFile f(home.filePath(QStringLiteral("kelvra.ini")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QTemporaryDir home, dealerData;
    DealerProcess dealer{dealerData.path()};
};

} // namespace

// A termination signal closes the program as its close box does: what the
// close saves is saved, and the exit status is 0.
TEST_F(ClientProgramTest, TerminationSignalsSaveAndExitCleanly)
{
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        writeConnectionSettings();
        ClientProcess client;
        ASSERT_TRUE(client.start(QStringLiteral(KELVRA_CLIENT_BINARY),
                                 {"--home", home.path(), "--lang", "en", "--account", "1001", "--password", "demo"}));
        ASSERT_TRUE(client.waitFor(QStringLiteral("reply 105 done ok"))) << client.log.toStdString();
        ASSERT_TRUE(client.endsCleanlyOn(signal)) << signal << client.log.toStdString();
        EXPECT_TRUE(client.log.contains(QStringLiteral("settings saved")));
        const QString ini = iniText();
        EXPECT_TRUE(ini.contains(QStringLiteral("[mainform]")));
        EXPECT_TRUE(ini.contains(QStringLiteral("[currency]")));  // the instruments of the session
        EXPECT_TRUE(ini.contains(QStringLiteral("[lastLogin]")));
    }
}

// A modal box (here the unreadable key file at the first activation) does
// not hold the close up.
TEST_F(ClientProgramTest, SignalEndsTheProgramWhileAModalBoxRuns)
{
    {
        TIniFile ini(home.filePath(QStringLiteral("kelvra.ini")));
        TStoredLogins logins;
        logins.StoreLogin(TLoginRecord::Make(1001, QStringLiteral("demo"), home.filePath("missing.prk"), true));
        logins.SavedAccount = 1001;
        logins.SaveLogins(ini);
        ASSERT_TRUE(ini.Save());
    }
    ClientProcess client;
    ASSERT_TRUE(client.start(QStringLiteral(KELVRA_CLIENT_BINARY), {"--home", home.path()}));
    ASSERT_TRUE(client.waitFor(QStringLiteral("message box:"))) << client.log.toStdString();
    ASSERT_TRUE(client.endsCleanlyOn(SIGTERM)) << client.log.toStdString();
    EXPECT_TRUE(client.log.contains(QStringLiteral("settings saved")));
    EXPECT_TRUE(iniText().contains(QStringLiteral("[mainform]")));
}

// `cmake --install` lays the programs, the help file, the desktop entry and
// the icon out under the prefix; the installed client keeps its files under
// the XDG folders and finds its help file in the installed data folder.
TEST(InstalledClient, KeepsItsFilesUnderXdgAndFindsItsHelp)
{
    EnsureTestApp();
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("prefix"));
    QProcess install;
    install.start(QStringLiteral(KELVRA_CMAKE_COMMAND),
                  {"--install", QStringLiteral(KELVRA_BUILD_DIR), "--prefix", prefix});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    for (const char *file : {"bin/kelvra", "bin/kelvra-cli", "bin/kelvra-dealer", "bin/kelvra-keygen",
                             "share/kelvra/kelvra.hlp", "share/applications/kelvra.desktop",
                             "share/icons/hicolor/scalable/apps/kelvra.svg"})
        EXPECT_TRUE(QFileInfo::exists(prefix + QLatin1Char('/') + QLatin1String(file))) << file;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    ClientProcess client(env);
    ASSERT_TRUE(client.start(prefix + QStringLiteral("/bin/kelvra"), {"--host", "127.0.0.1", "--port", "1"}));
    ASSERT_TRUE(client.waitFor(QStringLiteral("help file:"))) << client.log.toStdString();
    EXPECT_TRUE(client.log.contains(prefix + QStringLiteral("/share/kelvra/kelvra.hlp"))) << client.log.toStdString();
    ASSERT_TRUE(client.endsCleanlyOn(SIGTERM)) << client.log.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("config/kelvra/kelvra.ini"))));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("data/kelvra"))).isDir());
    EXPECT_FALSE(QFileInfo::exists(prefix + QStringLiteral("/bin/kelvra.ini")));
}
