#include "wirerecords.h"

#include <algorithm>

namespace wire {
namespace {

struct Writer {
    Bytes out;
    void u8(uint8_t v) { out.push_back(v); }
    void u16(uint16_t v) { out.push_back(uint8_t(v)); out.push_back(uint8_t(v >> 8)); }
    void u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(v >> (8 * i)));
    }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void text(const std::string &s, size_t capacity)
    {
        const size_t n = std::min(s.size(), capacity);
        out.push_back(uint8_t(n));
        out.insert(out.end(), s.begin(), s.begin() + long(n));
        out.insert(out.end(), capacity - n, 0);
    }
};

} // namespace

Bytes Instrument::bytes() const
{
    Writer w;
    w.u16(id);
    w.u8(kind);
    w.text(name, 10);
    w.u32(minutes);
    w.u16(crossId);
    w.i32(ask);
    w.i32(bid);
    return w.out;
}

Bytes Quote::bytes() const
{
    Writer w;
    w.u16(id);
    w.i32(ask);
    w.i32(bid);
    w.u32(minutes);
    return w.out;
}

Bytes Position::bytes() const
{
    Writer w;
    w.i32(id);
    w.u16(currencyId);
    w.u8(operation);
    w.u32(openTime);
    w.i32(openPrice);
    w.u32(reserved1);
    w.u32(reserved2);
    w.i32(swap);
    w.u8(lots);
    w.i32(takeProfit);
    w.i32(stopLoss);
    return w.out;
}

Bytes Order::bytes() const
{
    Writer w;
    w.i32(id);
    w.u8(group);
    w.u16(currencyId);
    w.u8(side);
    w.u8(orderType);
    w.u32(time);
    w.u32(reserved);
    w.u8(lots);
    w.i32(takeProfit);
    w.i32(stopLoss);
    w.i32(price);
    return w.out;
}

Bytes Account::bytes() const
{
    Writer w;
    w.i32(balance);
    w.i32(margin);
    return w.out;
}

Bytes HistoryAccount::bytes() const
{
    Writer w;
    w.i32(id);
    w.u32(time);
    w.i32(openPrice);
    w.u32(closeTime);
    w.i32(closePrice);
    w.u8(lots);
    w.u16(currencyId);
    w.i32(profit);
    w.i32(swap);
    w.i32(stopLoss);
    w.i32(takeProfit);
    w.u8(operationType);
    return w.out;
}

Bytes HistoryOrder::bytes() const
{
    Writer w;
    w.i32(id);
    w.u8(group);
    w.u16(currencyId);
    w.u8(0);
    w.u8(orderType);
    w.u32(openTime);
    w.u32(closeTime);
    w.u8(lots);
    w.i32(takeProfit);
    w.i32(stopLoss);
    w.i32(price);
    w.u8(status);
    return w.out;
}

Bytes SysVariables::bytes() const
{
    Writer w;
    w.u32(serverTime);
    w.i32(lotSize);
    w.u32(kept);
    for (uint8_t b : spreadTable)
        w.u8(b);
    w.text(title, 100);
    return w.out;
}

Bytes List(const std::vector<Bytes> &records)
{
    Writer w;
    w.u16(uint16_t(records.size()));
    for (const Bytes &r : records)
        w.out.insert(w.out.end(), r.begin(), r.end());
    return w.out;
}

Bytes U32(uint32_t value)
{
    Writer w;
    w.u32(value);
    return w.out;
}

namespace {

TPacketPtr received(TPacketBuffer buffer)
{
    TPacketPtr packet = CreatePacketFromHeader(buffer.data());
    std::copy(buffer.begin(), buffer.end(), packet->Buffer.begin());
    packet->ReadHeader();
    return packet;
}

TPacketBuffer frame(uint8_t code, uint16_t packetId, uint8_t flags, const Bytes &payload)
{
    TPacketBuffer buffer = NewPacketBuffer(int(payload.size()));
    buffer[hdr::Flags] = flags;
    PutU16(&buffer[hdr::PacketId], packetId);
    buffer[hdr::Code] = code;
    std::copy(payload.begin(), payload.end(), buffer.begin() + hdr::Data);
    return buffer;
}

} // namespace

TPacketPtr Reply(uint8_t code, uint16_t packetId, const Bytes &data, uint8_t flags, uint8_t errorCode)
{
    Bytes payload{errorCode};
    payload.insert(payload.end(), data.begin(), data.end());
    return received(frame(code, packetId, flags, payload));
}

TPacketPtr ErrorReply(uint8_t code, uint16_t packetId, uint8_t errorCode, const std::string &text)
{
    Writer w;
    w.u8(errorCode);
    w.u8(uint8_t(text.size()));
    w.out.insert(w.out.end(), text.begin(), text.end());
    return received(frame(code, packetId, pfReply, w.out));
}

TPacketPtr Push(uint8_t code, const Bytes &data)
{
    return received(frame(code, 0, pfCommand | pfNoReply, data));
}

} // namespace wire
