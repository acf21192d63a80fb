#pragma once

#include <memory>
#include <utility>

#include <QList>
#include <QString>
#include <QStringList>

// The program's INI file: sections and keys compared without regard to
// case, values kept in UTF-8, lines kept in file order. Saving replaces the
// file atomically and leaves it readable by its owner only (it holds
// passwords).
class TIniFile {
public:
    TIniFile();
    // Loads the file when it exists (see Load).
    explicit TIniFile(const QString &path);
    ~TIniFile();
    TIniFile(const TIniFile &) = delete;
    TIniFile &operator=(const TIniFile &) = delete;

    // Reads the file; a missing file gives an empty INI and true, an
    // unreadable one false (the INI is then empty).
    bool Load(const QString &path);
    // Writes the whole INI to Path() through a temporary file in the same
    // folder and a rename. False with ErrorText() set on failure; the old
    // file is then untouched.
    bool Save();
    QString Path() const { return path; }
    void SetPath(const QString &p) { path = p; }
    QString ErrorText() const { return error; }

    bool ValueExists(const QString &section, const QString &key) const;
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;
    void WriteString(const QString &section, const QString &key, const QString &value);
    // A decimal integer; the default when missing or not a number.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    void WriteInteger(const QString &section, const QString &key, int value);
    // An integer (not 0 = true) or "true"/"false".
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;
    void WriteBool(const QString &section, const QString &key, bool value);

    // Keys and values of a section in file order.
    QList<std::pair<QString, QString>> SectionValues(const QString &section) const;
    QStringList Sections() const;
    void EraseSection(const QString &section);
    void DeleteKey(const QString &section, const QString &key);

    // Long values: the text cut into pieces of at most 1024 characters, each
    // piece written in the 6-bit text encoding under key, key + "__1",
    // key + "__2", …; read back until a missing or empty piece.
    static constexpr int LongValuePiece = 1024;
    QString ReadLongValue(const QString &section, const QString &key) const;
    void WriteLongValue(const QString &section, const QString &key, const QString &text);

    // The whole INI as text, as Save would write it.
    QByteArray ToText() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
    QString path;
    QString error;
};

// Writes data to path through a temporary file in the same folder (created
// readable and writable by its owner only), flushed and renamed over the
// target. False with the reason in errorText on failure.
bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *errorText = nullptr);
