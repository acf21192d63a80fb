#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "connectionsettings.h"
#include "inifile.h"
#include "languagetables.h"
#include "loginform.h"
#include "qttranslations.h"
#include "setupform.h"
#include "storedlogins.h"
#include "widgetapp.h"

namespace {

struct Widgets {
    Widgets()
    {
        EnsureWidgetApp();
        SetEnglish(true);
    }
};

} // namespace

TEST(LoginDialog, RememberedAccountsFillTheirValues)
{
    Widgets app;
    TStoredLogins logins;
    logins.StoreLogin(TLoginRecord::Make(1001, QStringLiteral("demo"), QStringLiteral("/k/1001.prk"), true));
    logins.StoreLogin(TLoginRecord::Make(1002, QStringLiteral("secret"), QStringLiteral("/k/1002.prk"), false));
    TfrmLogin form(logins);
    EXPECT_EQ(form.cb->count(), 2);
    form.cb->setEditText(QString());
    form.cb->setEditText(QStringLiteral("1001"));
    EXPECT_EQ(form.edPassword->text(), QStringLiteral("demo"));
    EXPECT_EQ(form.edFileName->text(), QStringLiteral("/k/1001.prk"));
    EXPECT_TRUE(form.cbox->isChecked());
    form.cb->setEditText(QStringLiteral("1002"));  // stored without its password
    EXPECT_TRUE(form.edPassword->text().isEmpty());
    EXPECT_FALSE(form.cbox->isChecked());
    form.cb->setEditText(QStringLiteral("2000"));  // unknown: empty, box ticked
    EXPECT_TRUE(form.edPassword->text().isEmpty());
    EXPECT_TRUE(form.edFileName->text().isEmpty());
    EXPECT_TRUE(form.cbox->isChecked());
    // A chosen key path may be longer than anything typed.
    form.ChooseKeyFile = [](const QString &) { return QStringLiteral("/a/rather/long/path/to/the/key/file/2000.prk"); };
    form.BrowseKeyFile();
    EXPECT_EQ(form.edFileName->text(), QStringLiteral("/a/rather/long/path/to/the/key/file/2000.prk"));
}

TEST(LoginDialog, NonNumericAccountKeepsTheDialogAndOkStoresTheLogin)
{
    Widgets app;
    TStoredLogins logins;
    quint32 account = 0;
    QString password, keyFile;
    QStringList status;
    int shown = 0;
    const bool ok = LoginDialog(
        logins, account, password, keyFile, [&](const QString &s) { status << s; }, nullptr,
        [&](TfrmLogin &form) {
            ++shown;
            if (shown == 1) {
                form.cb->setEditText(QStringLiteral("abc"));
            } else {
                form.cb->setEditText(QStringLiteral("1005"));
                form.edPassword->setText(QStringLiteral("pw"));
                form.cbox->setChecked(false);
            }
            return int(QDialog::Accepted);
        });
    ASSERT_TRUE(ok);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(status, (QStringList{QStringLiteral("Incorrect login name"), QString()}));
    EXPECT_EQ(account, 1005u);
    EXPECT_EQ(password, QStringLiteral("pw"));
    // Not to be remembered: stored without password and key file.
    ASSERT_NE(logins.Find(1005), nullptr);
    EXPECT_TRUE(logins.Find(1005)->LoginPassword.isEmpty());
    EXPECT_FALSE(LoginDialog(logins, account, password, keyFile, nullptr, nullptr,
                             [](TfrmLogin &) { return int(QDialog::Rejected); }));
}

TEST(LoginDialog, TypingIsLimitedButLongPathsAreRefusedNotCut)
{
    Widgets app;
    TStoredLogins logins;
    TfrmLogin form(logins);
    form.edFileName->setFocus();
    for (QChar c : QStringLiteral("abcdefghijkl"))
        QTest::keyClick(form.edFileName, c.toLatin1());
    EXPECT_EQ(form.edFileName->text(), QStringLiteral("abcdefghij"));
    form.edFileName->setText(QStringLiteral("/long/browsed/path.prk"));
    QTest::keyClick(form.edFileName, Qt::Key_Backspace);
    EXPECT_EQ(form.edFileName->text(), QStringLiteral("/long/browsed/path.pr"));

    quint32 account = 0;
    QString password, keyFile;
    QStringList status;
    int shown = 0;
    LoginDialog(
        logins, account, password, keyFile, [&](const QString &s) { status << s; }, nullptr, [&](TfrmLogin &f) {
            ++shown;
            if (shown == 1) {
                f.cb->setEditText(QStringLiteral("0"));  // not an account number
            } else if (shown == 2) {
                f.cb->setEditText(QStringLiteral("1001"));
                f.edFileName->setText(QString(151, u'k'));
            } else {
                return int(QDialog::Rejected);
            }
            return int(QDialog::Accepted);
        });
    EXPECT_EQ(status, (QStringList{QStringLiteral("Incorrect login name"), QStringLiteral("Incorect value")}));
    EXPECT_EQ(logins.Count(), 0);
    EXPECT_EQ(account, 0u);
}

TEST(SetupDialog, WritesOnlyGoodValues)
{
    Widgets app;
    QTemporaryDir dir;
    TIniFile ini(dir.filePath(QStringLiteral("kelvra.ini")));
    TConnectionSettings settings;
    QString error;
    const auto enter = [](QString server, QString port) {
        return [=](TfrmSetup &form) {
            form.edServer->setText(server);
            form.edPort->setText(port);
            return int(QDialog::Accepted);
        };
    };
    EXPECT_FALSE(SetupDialog(settings, ini, [&](const QString &e) { error = e; }, nullptr,
                             enter(QStringLiteral(" a.example, b "), QStringLiteral("99"))));
    EXPECT_EQ(error, QStringLiteral("Incorect value"));
    EXPECT_FALSE(QFile::exists(ini.Path()));
    EXPECT_TRUE(SetupDialog(settings, ini, nullptr, nullptr, enter(QStringLiteral("h1,h2"), QStringLiteral("65536"))));
    TIniFile reread(ini.Path());
    const TConnectionSettings stored = LoadConnectionSettings(reread);
    EXPECT_EQ(stored.Servers, QStringLiteral("h1,h2"));
    EXPECT_EQ(stored.Port, 65536);
}

// Qt's own texts (standard buttons, file dialogs) follow the interface
// language, and the Russian texts name what they are about.
TEST(Language, QtTextsFollowAndRussianTextsAreRight)
{
    Widgets app;
    ASSERT_TRUE(ApplyQtTranslations(false)) << "Qt's Russian translations (qt6-translations-l10n) are missing";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    EXPECT_TRUE(ApplyQtTranslations(true));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));

    EXPECT_EQ(CaptionTextIn(false, 71), QStringLiteral("Открытые позиции"));  // the list window
    EXPECT_EQ(CaptionTextIn(false, 73), QStringLiteral("Открыть позицию"));   // the action
    EXPECT_EQ(MessageTextIn(false, 29), QStringLiteral("Открытые позиции"));
    EXPECT_TRUE(MessageTextIn(false, 49).contains(QStringLiteral("счёта")));
}
