#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include <QByteArray>
#include <QString>

// What the fuzz targets share: the application object, a scratch folder for
// the readers that take a path, and a reader of structured inputs.
namespace fuzz {

// The one application object, on the offscreen platform; a QGuiApplication
// when gui (fonts, text documents, painting). Qt's own messages are dropped:
// a damaged input's warnings would flood the run.
void InitApp(bool gui = false);

// A private folder of the process, removed at exit.
QString ScratchDir();

// Writes the bytes to the named file of the scratch folder (or to an
// absolute path), replacing it; the file's path.
QString WriteScratchFile(const QString &name, std::span<const uint8_t> bytes);

inline QByteArray Bytes(std::span<const uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

inline std::span<const uint8_t> Span(const QByteArray &bytes)
{
    return {reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())};
}

// Takes an input apart front to back; past the end every read gives zero or
// nothing, so any input is a valid one.
class Input {
public:
    explicit Input(std::span<const uint8_t> bytes) : data(bytes) {}
    uint8_t Byte() { return pos < data.size() ? data[pos++] : 0; }
    // Up to count bytes (fewer at the end).
    std::span<const uint8_t> Take(size_t count)
    {
        count = std::min(count, Remaining());
        const std::span<const uint8_t> part = data.subspan(pos, count);
        pos += count;
        return part;
    }
    std::span<const uint8_t> Rest() { return Take(Remaining()); }
    size_t Remaining() const { return data.size() - pos; }

private:
    std::span<const uint8_t> data;
    size_t pos = 0;
};

} // namespace fuzz

// libFuzzer's entry point, also called by the replay tests.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
