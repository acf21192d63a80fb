// The settings file as the client reads it at start: the connection
// settings, the stored logins, the instruments (and the language), and the
// window layout, a long value of nested layout texts. What was read and is
// written back at close must read back the same.
#include <cstdlib>

#include "clientlists.h"
#include "connectionsettings.h"
#include "fuzzsupport.h"
#include "inifile.h"
#include "layouttext.h"
#include "storedlogins.h"

namespace {

// The dock layout as the main window walks it: lists of named layouts, each
// a layout of its own, down to the geometry values and the docking state.
void walkLayout(const QString &text, int depth)
{
    bool ok = true;
    const TLayoutValues values = ParseLayoutText(text, &ok);
    for (const auto &[name, value] : values) {
        LayoutInt(values, name, 0);
        LayoutBool(values, name);
        if (name.endsWith(QStringLiteral("DockingData")))
            LayoutFromHex(value);
        if (depth < 3)
            walkLayout(value, depth + 1);
    }
    LayoutText(values);
}

struct Read {
    TConnectionSettings connection;
    TStoredLogins logins;
    TListCurrency instruments;

    explicit Read(TIniFile &ini)
    {
        connection = LoadConnectionSettings(ini);
        logins.LoadLogins(ini);
        instruments.LoadFromIni(ini);
    }
    void Write(TIniFile &ini) const
    {
        SaveConnectionSettings(ini, connection);
        logins.SaveLogins(ini);
        instruments.SaveToIni(ini);
    }
};

bool same(const Read &a, const Read &b)
{
    if (a.connection.Servers != b.connection.Servers || a.connection.Port != b.connection.Port
        || a.logins.Accounts() != b.logins.Accounts() || a.logins.SavedAccount != b.logins.SavedAccount
        || a.instruments.Count() != b.instruments.Count())
        return false;
    for (const QString &account : a.logins.Accounts())
        if (a.logins.Find(account)->ToBytes() != b.logins.Find(account)->ToBytes())
            return false;
    for (int i = 0; i < a.instruments.Count(); ++i)
        if (a.instruments.Item(i)->SaveImage() != b.instruments.Item(i)->SaveImage())
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TIniFile ini;
    if (!ini.Load(fuzz::WriteScratchFile(QStringLiteral("kelvra.ini"), {data, size})))
        return 0;
    const Read first(ini);
    walkLayout(ini.ReadLongValue(QStringLiteral("desktop"), QStringLiteral("defaultk")), 0);

    TIniFile written;
    first.Write(written);
    const QByteArray text = written.ToText();
    TIniFile reread;
    if (!reread.Load(fuzz::WriteScratchFile(QStringLiteral("written.ini"), fuzz::Span(text))))
        std::abort();
    if (!same(first, Read(reread)))
        std::abort();
    return 0;
}
