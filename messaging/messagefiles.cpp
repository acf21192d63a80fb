#include "messagefiles.h"

#include <cstring>

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

void TFileImage::I32(qint32 value)
{
    char b[4];
    qToLittleEndian(value, b);
    data.append(b, 4);
}

void TFileImage::U8(quint8 value) { data.append(char(value)); }

void TFileImage::F64(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    char b[8];
    qToLittleEndian(bits, b);
    data.append(b, 8);
}

void TFileImage::Bytes(const QByteArray &bytes)
{
    I32(qint32(bytes.size()));
    data.append(bytes);
}

bool TFileCursor::I32(qint32 &value)
{
    if (data.size() - pos < 4)
        return false;
    value = qFromLittleEndian<qint32>(data.constData() + pos);
    pos += 4;
    return true;
}

bool TFileCursor::U8(quint8 &value)
{
    if (data.size() - pos < 1)
        return false;
    value = quint8(data[pos]);
    pos += 1;
    return true;
}

bool TFileCursor::F64(double &value)
{
    if (data.size() - pos < 8)
        return false;
    const quint64 bits = qFromLittleEndian<quint64>(data.constData() + pos);
    std::memcpy(&value, &bits, sizeof value);
    pos += 8;
    return true;
}

bool TFileCursor::Bytes(QByteArray &bytes)
{
    const qsizetype start = pos;
    qint32 count = 0;
    if (!I32(count))
        return false;
    if (count < 0 || data.size() - pos < count) {
        pos = start;
        return false;
    }
    bytes = data.mid(pos, count);
    pos += count;
    return true;
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void KeepDamagedCopy(const QString &path)
{
    const QString copy = path + QStringLiteral(".bad");
    if (!QFile::exists(path))
        return;
    QFile::remove(copy);
    QFile::copy(path, copy);
}

QString LoadFailedText() { return QStringLiteral("Could not load file of messages"); }
QString SaveFailedText() { return QStringLiteral("Could not save file of messages"); }
