#include "crashsave_files.h"

#include <cstring>

#include <QDir>
#include <QFile>

#include "barfile.h"
#include "inifile.h"
#include "patternstore.h"

namespace crashsave {
namespace {

// Big enough that a write takes a while and can be caught half done.
QByteArray iniValue(int version) { return QByteArray(20000, char('a' + version)); }

std::vector<std::array<uint8_t, 20>> bars(int version)
{
    std::vector<std::array<uint8_t, 20>> out(5000);
    for (size_t i = 0; i < out.size(); ++i)
        out[i].fill(uint8_t(i + version));
    return out;
}

QByteArray patternBytes(int version)
{
    // One entry: count, the type id as four characters, the block.
    QByteArray block(3000, char(version + 1));
    QByteArray bytes;
    const auto putI32 = [&](qint32 v) { bytes.append(reinterpret_cast<const char *>(&v), 4); };
    putI32(1);
    bytes.append("11  ");
    putI32(qint32(block.size()));
    bytes.append(block);
    return bytes;
}

QByteArray messageBytes(int version) { return QByteArray(30000, char('m' + version)); }

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

QStringList FileNames() { return {"kelvra.ini", "EURUSD1.bar", "kelvra.pat", "1001.mail", "1001.msg"}; }

bool SaveAll(const QString &folder, int version)
{
    const QDir dir(folder);
    TIniFile ini;
    ini.SetPath(dir.filePath("kelvra.ini"));
    ini.WriteString("desktop", "LT1", QString::fromLatin1(iniValue(version)));
    bool ok = ini.Save();
    ok = writeBarFile(dir.filePath("EURUSD1.bar"), bars(version)) && ok;
    TPatternMenager patterns;
    ok = patterns.Deserialize(patternBytes(version)) && patterns.SaveFile(dir.filePath("kelvra.pat")) && ok;
    ok = SaveMessageFile(dir.filePath("1001.mail"), messageBytes(version)) && ok;
    ok = SaveMessageFile(dir.filePath("1001.msg"), messageBytes(version) + "!") && ok;
    return ok;
}

QByteArray Loaded(const QString &folder, const QString &name)
{
    const QString path = QDir(folder).filePath(name);
    if (name == "kelvra.ini") {
        TIniFile ini;
        if (!ini.Load(path))
            return {};
        return ini.ReadString("desktop", "LT1").toLatin1();
    }
    if (name == "EURUSD1.bar") {
        QByteArray out;
        const int count = readBarFile(path, [&](const BarFileRecord &r) {
            out.append(reinterpret_cast<const char *>(&r), sizeof r);
        });
        return count == 5000 ? out : QByteArray();
    }
    if (name == "kelvra.pat") {
        TPatternMenager patterns;
        return patterns.LoadFile(path) ? patterns.Serialize() : QByteArray();
    }
    return readFile(path);
}

QByteArray Expected(const QString &name, int version)
{
    if (name == "kelvra.ini")
        return iniValue(version);
    if (name == "EURUSD1.bar") {
        QByteArray out;
        for (const auto &b : bars(version)) {
            const auto i32 = [&](int at) {
                qint32 v;
                std::memcpy(&v, b.data() + at, 4);
                return v;
            };
            const BarFileRecord r{i32(0), i32(4), i32(8), i32(12), i32(16)};
            out.append(reinterpret_cast<const char *>(&r), sizeof r);
        }
        return out;
    }
    if (name == "kelvra.pat") {
        TPatternMenager patterns;
        patterns.Deserialize(patternBytes(version));
        return patterns.Serialize();
    }
    if (name == "1001.mail")
        return messageBytes(version);
    return messageBytes(version) + "!";
}

} // namespace crashsave
