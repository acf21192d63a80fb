#include "wiretext.h"

#include <cstring>

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
const char *const CodePage = "windows-1251";
}

bool WireCodecAvailable()
{
    static const bool ok = QStringDecoder(CodePage).isValid() && QStringEncoder(CodePage).isValid();
    return ok;
}

QString DecodeWireText(const uint8_t *bytes, size_t count)
{
    QByteArray raw(reinterpret_cast<const char *>(bytes), qsizetype(count));
    return DecodeWireText(raw);
}

QString DecodeWireText(const QByteArray &bytes)
{
    if (!WireCodecAvailable())
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(CodePage);
    return decoder.decode(bytes);
}

QByteArray EncodeWireText(const QString &text, int maxChars)
{
    QString cut = maxChars >= 0 ? text.left(maxChars) : text;
    if (!WireCodecAvailable())
        return cut.toLatin1();
    QStringEncoder encoder(CodePage);
    QByteArray out = encoder.encode(cut);
    // A single-byte code page: one byte per character, so the cut holds.
    if (maxChars >= 0 && out.size() > maxChars)
        out.truncate(maxChars);
    return out;
}

void WriteShortString(uint8_t *out, const QString &text, int capacity)
{
    std::memset(out, 0, size_t(capacity) + 1);
    QByteArray bytes = EncodeWireText(text, capacity);
    out[0] = uint8_t(bytes.size());
    std::memcpy(out + 1, bytes.constData(), size_t(bytes.size()));
}
