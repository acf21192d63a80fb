#pragma once

#include <cstdint>

#include <QString>

#include "packet.h"

// Bounds-checked reading of a packet's payload. Every read past the end of
// the packet raises EForexException "Not valid packet is recieved", so a
// handler never over-reads a short or damaged packet.
class PacketReader {
public:
    // Starts at the data of the packet: offset 11 for a reply, 10 otherwise.
    explicit PacketReader(const TUserCmdRply &packet);
    PacketReader(const TUserCmdRply &packet, size_t offset);

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    int32_t i32() { return int32_t(u32()); }
    int16_t i16() { return int16_t(u16()); }
    double f64();
    // A short string of the given capacity: always advances capacity + 1 bytes.
    QString shortString(int capacity);
    // A length byte and that many bytes (no fixed capacity).
    QString shortStringVar();
    QByteArray bytes(size_t count);
    void skip(size_t count);

    size_t offset() const { return pos; }
    size_t remaining() const { return data.size() > pos ? data.size() - pos : 0; }
    bool atEnd() const { return remaining() == 0; }

private:
    const uint8_t *take(size_t count);

    const TPacketBuffer &data;
    size_t pos;
};
