#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include <QMap>
#include <QString>
#include <QStringList>

class TIniFile;

// One remembered account (167 bytes when stored):
//   0 u32 account   4 password (capacity 10)   15 key file path (capacity 150)
//   166 u8 1 when the password is to be remembered
struct TLoginRecord {
    static constexpr size_t Size = 167;

    quint32 LoginAccount = 0;
    QString LoginPassword;    // empty when not remembered
    QString LoginKeyFile;     // empty when not remembered
    bool LoginSavePassword = false;

    std::array<uint8_t, Size> ToBytes() const;
    // Nothing unless the data holds exactly one record.
    static std::optional<TLoginRecord> FromBytes(std::span<const uint8_t> data);
    // As the login dialog builds it: password cut to 10 characters, path to
    // 150; both left empty when the password is not to be saved.
    static TLoginRecord Make(quint32 account, const QString &password, const QString &keyFile, bool savePassword);
};

// The remembered accounts, sorted by the account number as text, and the
// saved login chosen from them.
class TStoredLogins {
public:
    // Adds the record under its account text, or replaces the one stored there.
    void StoreLogin(const TLoginRecord &record);
    // A login created by an online registration: password kept, no key file.
    void StoreRegisteredLogin(quint32 account, const QString &password);

    const TLoginRecord *Find(quint32 account) const;
    const TLoginRecord *Find(const QString &accountText) const;
    int Count() const { return int(logins.size()); }
    // The account texts in list order.
    QStringList Accounts() const { return logins.keys(); }

    // Section "logins": every value that decodes to one record; then the
    // saved account from "lastLogin"/"account" (unsigned, or the negative
    // form of older files) and, when it is remembered, its password and key file.
    void LoadLogins(const TIniFile &ini);
    // Erases "logins" and writes every record under "0", "1", …; then the
    // saved account, unsigned, to "lastLogin"/"account" when there is a
    // login and the account is positive.
    void SaveLogins(TIniFile &ini) const;

    quint32 SavedAccount = 0;
    QString SavedPassword;
    QString SavedKeyFile;

private:
    QMap<QString, TLoginRecord> logins;
};
