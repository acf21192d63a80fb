#include "inifile.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include "sixbittext.h"

struct TIniFile::Impl {
    Impl() : ini(false, false, false) { ini.SetSpaces(false); }
    CSimpleIniA ini;
};

namespace {

std::string utf8(const QString &text) { return text.toStdString(); }

QString fromUtf8(const char *text) { return text ? QString::fromUtf8(text) : QString(); }

QString pieceKey(const QString &key, int index)
{
    return index == 0 ? key : key + QStringLiteral("__") + QString::number(index);
}

} // namespace

TIniFile::TIniFile() : impl(std::make_unique<Impl>()) {}

TIniFile::TIniFile(const QString &p) : TIniFile() { Load(p); }

TIniFile::~TIniFile() = default;

bool TIniFile::Load(const QString &p)
{
    path = p;
    error.clear();
    impl->ini.Reset();
    QFile file(p);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    const QByteArray data = file.readAll();
    if (impl->ini.LoadData(data.constData(), size_t(data.size())) < 0) {
        impl->ini.Reset();
        error = QStringLiteral("cannot parse %1").arg(p);
        return false;
    }
    return true;
}

QByteArray TIniFile::ToText() const
{
    std::string text;
    impl->ini.Save(text);
    return QByteArray::fromStdString(text);
}

bool TIniFile::Save()
{
    error.clear();
    if (path.isEmpty()) {
        error = QStringLiteral("no file name");
        return false;
    }
    return WriteFileAtomically(path, ToText(), &error);
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    return impl->ini.GetValue(utf8(section).c_str(), utf8(key).c_str(), nullptr) != nullptr;
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const char *value = impl->ini.GetValue(utf8(section).c_str(), utf8(key).c_str(), nullptr);
    return value ? QString::fromUtf8(value) : defaultValue;
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    impl->ini.SetValue(utf8(section).c_str(), utf8(key).c_str(), utf8(value).c_str(), nullptr, true);
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    bool ok = false;
    const int value = ReadString(section, key).trimmed().toInt(&ok, 10);
    return ok ? value : defaultValue;
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    const QString text = ReadString(section, key).trimmed();
    if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value != 0 : defaultValue;
}

void TIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteInteger(section, key, value ? 1 : 0);
}

QList<std::pair<QString, QString>> TIniFile::SectionValues(const QString &section) const
{
    CSimpleIniA::TNamesDepend keys;
    const std::string name = utf8(section);
    impl->ini.GetAllKeys(name.c_str(), keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    QList<std::pair<QString, QString>> out;
    for (const auto &entry : keys)
        out.append({fromUtf8(entry.pItem), fromUtf8(impl->ini.GetValue(name.c_str(), entry.pItem, ""))});
    return out;
}

QStringList TIniFile::Sections() const
{
    CSimpleIniA::TNamesDepend sections;
    impl->ini.GetAllSections(sections);
    sections.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto &entry : sections)
        out.append(fromUtf8(entry.pItem));
    return out;
}

void TIniFile::EraseSection(const QString &section) { impl->ini.Delete(utf8(section).c_str(), nullptr); }

void TIniFile::DeleteKey(const QString &section, const QString &key)
{
    impl->ini.Delete(utf8(section).c_str(), utf8(key).c_str());
}

QString TIniFile::ReadLongValue(const QString &section, const QString &key) const
{
    QByteArray bytes;
    for (int index = 0;; ++index) {
        const QString piece = ReadString(section, pieceKey(key, index));
        if (piece.isEmpty())
            break;
        const std::vector<uint8_t> decoded = DecodeSixBitText(piece.toStdString());
        bytes.append(reinterpret_cast<const char *>(decoded.data()), qsizetype(decoded.size()));
    }
    return QString::fromUtf8(bytes);
}

void TIniFile::WriteLongValue(const QString &section, const QString &key, const QString &text)
{
    int index = 0;
    qsizetype from = 0;
    do {
        qsizetype length = qMin<qsizetype>(LongValuePiece, text.size() - from);
        // Never split a surrogate pair between two pieces.
        if (length > 1 && from + length < text.size() && text.at(from + length - 1).isHighSurrogate())
            --length;
        const QByteArray raw = text.mid(from, length).toUtf8();
        const std::string encoded =
            EncodeSixBitText(std::vector<uint8_t>(raw.constData(), raw.constData() + raw.size()));
        WriteString(section, pieceKey(key, index), QString::fromStdString(encoded));
        from += length;
        ++index;
    } while (from < text.size());
    // Pieces left from a longer earlier value would be read back as part of this one.
    while (ValueExists(section, pieceKey(key, index))) {
        DeleteKey(section, pieceKey(key, index));
        ++index;
    }
}

bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *errorText)
{
    auto fail = [errorText](const QString &what) {
        if (errorText)
            *errorText = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    };
    const QByteArray target = QFile::encodeName(path);
    QByteArray temp = target + ".XXXXXX";
    // mkstemp creates the file with mode 0600.
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return fail(QStringLiteral("cannot create a temporary file beside %1").arg(path));
    auto abandon = [&](const QString &what) {
        const int saved = errno;
        ::close(fd);
        ::unlink(temp.constData());
        errno = saved;
        return fail(what);
    };
    const char *p = data.constData();
    size_t left = size_t(data.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon(QStringLiteral("cannot write %1").arg(path));
        }
        p += n;
        left -= size_t(n);
    }
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0 || ::fsync(fd) != 0)
        return abandon(QStringLiteral("cannot write %1").arg(path));
    if (::close(fd) != 0) {
        ::unlink(temp.constData());
        return fail(QStringLiteral("cannot write %1").arg(path));
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int saved = errno;
        ::unlink(temp.constData());
        errno = saved;
        return fail(QStringLiteral("cannot replace %1").arg(path));
    }
    return true;
}
