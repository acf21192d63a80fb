#include "storedlogins.h"

#include <vector>

#include "inifile.h"
#include "packet.h"
#include "sixbittext.h"
#include "wiretext.h"

namespace {

const QString LoginsSection = QStringLiteral("logins");
const QString LastLoginSection = QStringLiteral("lastLogin");

QString readShortString(const uint8_t *p, int capacity)
{
    const int length = p[0] > capacity ? capacity : p[0];
    return DecodeWireText(p + 1, size_t(length));
}

// An account number is unsigned; files written before kept those above
// 2^31 - 1 as negative numbers, which still name the same account.
quint32 ReadAccount(const QString &value)
{
    const QString text = value.trimmed();
    bool ok = false;
    const quint32 account = text.toUInt(&ok, 10);
    if (ok)
        return account;
    const int old = text.toInt(&ok, 10);
    return ok ? quint32(old) : 0;
}

} // namespace

std::array<uint8_t, TLoginRecord::Size> TLoginRecord::ToBytes() const
{
    std::array<uint8_t, Size> bytes{};
    PutU32(bytes.data(), LoginAccount);
    WriteShortString(bytes.data() + 4, LoginPassword, 10);
    WriteShortString(bytes.data() + 15, LoginKeyFile, 150);
    bytes[166] = LoginSavePassword ? 1 : 0;
    return bytes;
}

std::optional<TLoginRecord> TLoginRecord::FromBytes(std::span<const uint8_t> data)
{
    if (data.size() != Size)
        return std::nullopt;
    TLoginRecord record;
    record.LoginAccount = GetU32(data.data());
    record.LoginPassword = readShortString(data.data() + 4, 10);
    record.LoginKeyFile = readShortString(data.data() + 15, 150);
    record.LoginSavePassword = data[166] == 1;
    return record;
}

TLoginRecord TLoginRecord::Make(quint32 account, const QString &password, const QString &keyFile, bool savePassword)
{
    TLoginRecord record;
    record.LoginAccount = account;
    record.LoginSavePassword = savePassword;
    if (savePassword) {
        record.LoginPassword = password.left(10);
        record.LoginKeyFile = keyFile.left(150);
    }
    return record;
}

void TStoredLogins::StoreLogin(const TLoginRecord &record)
{
    logins.insert(QString::number(record.LoginAccount), record);
}

void TStoredLogins::StoreRegisteredLogin(quint32 account, const QString &password)
{
    StoreLogin(TLoginRecord::Make(account, password, QString(), true));
}

const TLoginRecord *TStoredLogins::Find(quint32 account) const { return Find(QString::number(account)); }

const TLoginRecord *TStoredLogins::Find(const QString &accountText) const
{
    const auto it = logins.constFind(accountText.trimmed());
    return it == logins.constEnd() ? nullptr : &it.value();
}

void TStoredLogins::LoadLogins(const TIniFile &ini)
{
    for (const auto &[key, value] : ini.SectionValues(LoginsSection)) {
        const std::vector<uint8_t> bytes = DecodeSixBitText(value.toStdString());
        if (auto record = TLoginRecord::FromBytes(bytes))
            StoreLogin(*record);
    }
    if (logins.isEmpty()) {
        SavedAccount = 0;
        return;
    }
    SavedAccount = ReadAccount(ini.ReadString(LastLoginSection, QStringLiteral("account")));
    if (const TLoginRecord *record = Find(SavedAccount)) {
        SavedPassword = record->LoginPassword;
        SavedKeyFile = record->LoginKeyFile;
    }
}

void TStoredLogins::SaveLogins(TIniFile &ini) const
{
    ini.EraseSection(LoginsSection);
    int index = 0;
    for (const TLoginRecord &record : logins) {
        const auto bytes = record.ToBytes();
        const std::string text = EncodeSixBitText(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        ini.WriteString(LoginsSection, QString::number(index++), QString::fromStdString(text));
    }
    if (!logins.isEmpty() && SavedAccount > 0)
        ini.WriteString(LastLoginSection, QStringLiteral("account"), QString::number(SavedAccount));
}
