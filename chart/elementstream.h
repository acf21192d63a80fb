#pragma once

#include <cstdint>
#include <stdexcept>

#include <QByteArray>
#include <QByteArrayView>

// Raised for damaged element records: a short stream, a tag that does not
// match the class, an id nothing can be built for. what() is the text shown
// to the user ("load error", "Invalid file").
class EChartLoadError : public std::runtime_error {
public:
    explicit EChartLoadError(const char *text = "load error") : std::runtime_error(text) {}
};

// Little-endian writer of element records.
class TElementWriter {
public:
    void WriteByte(uint8_t v);
    void WriteBool(bool v) { WriteByte(v ? 1 : 0); }
    void WriteInt32(int32_t v);
    void WriteUInt32(uint32_t v);
    void WriteDouble(double v);
    void WriteBytes(QByteArrayView bytes);
    const QByteArray &Data() const { return data; }
    QByteArray Take() { return std::move(data); }

private:
    QByteArray data;
};

// Little-endian reader with bounds checks: reading past the end raises
// EChartLoadError("load error") and leaves the position where it was.
class TElementReader {
public:
    explicit TElementReader(QByteArrayView bytes) : data(bytes) {}
    uint8_t ReadByte();
    bool ReadBool() { return ReadByte() != 0; }
    int32_t ReadInt32();
    uint32_t ReadUInt32();
    double ReadDouble();
    // A number that must be one: not-a-number or infinite raises.
    double ReadFiniteDouble();
    QByteArray ReadBytes(qsizetype n);
    // The next int32 without consuming it (the type id of the next record).
    int32_t PeekInt32() const;
    qsizetype Position() const { return pos; }
    void Seek(qsizetype position);  // raises when outside [0, size]
    qsizetype Remaining() const { return data.size() - pos; }
    bool AtEnd() const { return pos >= data.size(); }

private:
    void need(qsizetype n) const;
    QByteArrayView data;
    qsizetype pos = 0;
};
