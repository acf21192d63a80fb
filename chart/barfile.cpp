#include "barfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr char kMagic[3] = {'D', 'T', '\x01'};

int32_t i32At(const char *p)
{
    const auto *u = reinterpret_cast<const uint8_t *>(p);
    return int32_t(uint32_t(u[0]) | (uint32_t(u[1]) << 8) | (uint32_t(u[2]) << 16) | (uint32_t(u[3]) << 24));
}

} // namespace

QString timeframeSuffix(int timeframe)
{
    static const char *const suffixes[] = {"M1", "M5", "H1", "H4", "D1", "W1"};
    if (timeframe < 1 || timeframe > 6)
        return {};
    return QString::fromLatin1(suffixes[timeframe - 1]);
}

QString barFilePath(const QString &dataDir, const QString &instrumentName, int timeframe)
{
    const QString suffix = timeframeSuffix(timeframe);
    if (instrumentName.isEmpty() || suffix.isEmpty() || instrumentName.contains(u'/') ||
        instrumentName.contains(u'\\') || instrumentName.contains(QStringLiteral("..")) ||
        instrumentName.contains(QChar(0)))
        return {};
    return QDir(dataDir).filePath(instrumentName + suffix + QStringLiteral(".da0"));
}

int readBarFile(const QString &path, const std::function<void(const BarFileRecord &)> &onRecord)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 3 || !std::equal(kMagic, kMagic + 3, bytes.constData()))
        return 0;
    int count = 0;
    // A truncated last record is dropped, as a short read ends the file.
    for (qsizetype at = 3; at + 20 <= bytes.size(); at += 20, ++count) {
        const char *p = bytes.constData() + at;
        onRecord(BarFileRecord{i32At(p), i32At(p + 4), i32At(p + 8), i32At(p + 12), i32At(p + 16)});
    }
    return count;
}

bool writeBarFile(const QString &path, const std::vector<std::array<uint8_t, 20>> &records)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes(kMagic, 3);
    bytes.reserve(qsizetype(3 + 20 * records.size()));
    for (const auto &r : records)
        bytes.append(reinterpret_cast<const char *>(r.data()), 20);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
