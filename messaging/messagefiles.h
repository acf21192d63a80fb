#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The little-endian images of the mailbox and message files.

class TFileImage {
public:
    void I32(qint32 value);
    void U8(quint8 value);
    void F64(double value);
    // A 32-bit byte count, then the bytes.
    void Bytes(const QByteArray &bytes);
    const QByteArray &Data() const { return data; }

private:
    QByteArray data;
};

// Reads an image without trusting it: every read that would pass the end
// (or a negative length) fails and leaves the cursor where it was.
class TFileCursor {
public:
    explicit TFileCursor(QByteArray bytes) : data(std::move(bytes)) {}
    bool I32(qint32 &value);
    bool U8(quint8 &value);
    bool F64(double &value);
    bool Bytes(QByteArray &bytes);
    qsizetype Offset() const { return pos; }

private:
    QByteArray data;
    qsizetype pos = 0;
};

// Writes the file through a temporary file renamed over it, so a crash or a
// full disk keeps the previous file whole. False on any failure.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes);

// Copies a file that could not be read whole to path + ".bad" (replacing an
// older copy), before it is first rewritten; its unread tail survives.
void KeepDamagedCopy(const QString &path);

// The status texts of the messaging files.
QString LoadFailedText();
QString SaveFailedText();
