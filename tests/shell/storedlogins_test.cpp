#include <gtest/gtest.h>

#include "inifile.h"
#include "storedlogins.h"

// Account numbers are unsigned: above 2^31 - 1 they are written as such, and
// the negative form that older files hold still names the same account.
TEST(StoredLogins, LastLoginAbove2To31IsUnsignedAndReadInBothForms)
{
    TStoredLogins logins;
    logins.StoreLogin(TLoginRecord::Make(3000000000u, u"pw"_qs, {}, true));
    logins.SavedAccount = 3000000000u;
    TIniFile ini;
    logins.SaveLogins(ini);
    EXPECT_EQ(ini.ReadString(u"lastLogin"_qs, u"account"_qs), u"3000000000");
    for (const QString &stored : {u"3000000000"_qs, u" -1294967296"_qs, u"junk"_qs}) {
        ini.WriteString(u"lastLogin"_qs, u"account"_qs, stored);
        TStoredLogins loaded;
        loaded.LoadLogins(ini);
        EXPECT_EQ(loaded.SavedAccount, stored == u"junk" ? 0u : 3000000000u) << stored.toStdString();
        EXPECT_EQ(loaded.SavedPassword, stored == u"junk" ? u""_qs : u"pw"_qs);
    }
}
