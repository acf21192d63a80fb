#include "packetreader.h"

#include <cstring>

#include "forexexception.h"
#include "languagetables.h"
#include "wiretext.h"

PacketReader::PacketReader(const TUserCmdRply &packet)
    : data(packet.Buffer), pos((packet.Flags() & pfCommand) ? hdr::Data : hdr::ReplyData)
{
}

PacketReader::PacketReader(const TUserCmdRply &packet, size_t offset) : data(packet.Buffer), pos(offset) {}

const uint8_t *PacketReader::take(size_t count)
{
    if (pos > data.size() || count > data.size() - pos)
        throw EForexException(MessageText(25));
    const uint8_t *p = data.data() + pos;
    pos += count;
    return p;
}

uint8_t PacketReader::u8() { return *take(1); }
uint16_t PacketReader::u16() { return GetU16(take(2)); }
uint32_t PacketReader::u32() { return GetU32(take(4)); }

double PacketReader::f64()
{
    const uint8_t *p = take(8);
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | p[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QString PacketReader::shortString(int capacity)
{
    const uint8_t *p = take(size_t(capacity) + 1);
    size_t length = p[0] > capacity ? size_t(capacity) : p[0];
    return DecodeWireText(p + 1, length);
}

QString PacketReader::shortStringVar()
{
    size_t length = u8();
    return DecodeWireText(take(length), length);
}

QByteArray PacketReader::bytes(size_t count)
{
    const uint8_t *p = take(count);
    return QByteArray(reinterpret_cast<const char *>(p), qsizetype(count));
}

void PacketReader::skip(size_t count) { take(count); }
