#include "packet.h"

#include "forexexception.h"
#include "languagetables.h"
#include "scramblekey.h"
#include "wiretext.h"

namespace {

[[noreturn]] void InvalidPacket() { throw EForexException(MessageText(25)); }

} // namespace

void TUserCmdRply::AttachBuffer(TPacketBuffer buffer)
{
    Buffer = std::move(buffer);
    if (Buffer.size() < PacketHeaderSize)
        Buffer.resize(PacketHeaderSize, 0);
    Size = uint32_t(PayloadLength()) + PacketHeaderSize;
    PutU16(&Buffer[hdr::PacketId], Id);
    Buffer[hdr::Code] = Code;
    Buffer[hdr::Flags] = uint8_t((Buffer[hdr::Flags] & 0xFC) | pfReply);
}

void TUserCmdRply::ReadHeader()
{
    if (Buffer.size() < PacketHeaderSize)
        InvalidPacket();
    Code = Buffer[hdr::Code];
    Id = GetU16(&Buffer[hdr::PacketId]);
}

void TUserCmdRply::AllocBuffer()
{
    Size += PacketHeaderSize;
    Buffer.assign(Size, 0);
    PutU16(&Buffer[hdr::Signature], PacketSignature);
    PutU16(&Buffer[hdr::PayloadLength], uint16_t(Size - PacketHeaderSize));
    Buffer[hdr::Flags] = 0;
    PutU16(&Buffer[hdr::PacketId], Id);
    Buffer[hdr::Code] = Code;
}

void TUserCmdRply::SetId(uint16_t id)
{
    if (Buffer.size() < PacketHeaderSize)
        return;
    Id = id;
    PutU16(&Buffer[hdr::PacketId], id);
}

void TUserCommand::AttachBuffer(TPacketBuffer buffer)
{
    TUserCmdRply::AttachBuffer(std::move(buffer));
    Buffer[hdr::Flags] = uint8_t((Buffer[hdr::Flags] & 0xFC) | pfCommand | (NoReply ? pfNoReply : 0));
}

void TUserCommand::ReadHeader()
{
    TUserCmdRply::ReadHeader();
    NoReply = (Buffer[hdr::Flags] & pfNoReply) == pfNoReply;
}

void TUserCommand::AllocBuffer()
{
    TUserCmdRply::AllocBuffer();
    Buffer[hdr::Flags] = pfCommand;
}

void TUserReply::ReadHeader()
{
    TUserCmdRply::ReadHeader();
    // A reply without its error byte cannot be read at all.
    if (Buffer.size() <= hdr::Data)
        InvalidPacket();
    ErrorCode = Buffer[hdr::Data];
    ErrorText.clear();
    // A requote carries the new price where other errors carry their text.
    if (ErrorCode == 0 || ErrorCode == ErrorRequote || Buffer.size() <= hdr::ReplyData)
        return;
    size_t length = Buffer[hdr::ReplyData];
    size_t present = Buffer.size() - (hdr::ReplyData + 1);
    if (length > present)
        length = present;
    ErrorText = DecodeWireText(&Buffer[hdr::ReplyData + 1], length);
}

void TUserReply::AllocBuffer()
{
    TUserCmdRply::AllocBuffer();
    Buffer[hdr::Flags] = pfReply;
}

TPacketBuffer NewPacketBuffer(int payloadSize)
{
    if (payloadSize < 0)
        payloadSize = 0;
    TPacketBuffer buffer(size_t(payloadSize) + PacketHeaderSize, 0);
    PutU16(&buffer[hdr::Signature], PacketSignature);
    PutU16(&buffer[hdr::PayloadLength], uint16_t(payloadSize));
    return buffer;
}

TCommandPtr NewCommand(uint8_t code, int payloadSize, bool noReply)
{
    auto command = std::make_unique<TUserCommand>(code, noReply);
    command->AttachBuffer(NewPacketBuffer(payloadSize));
    return command;
}

TCommandPtr NewCommandU32(uint8_t code, uint32_t value, bool noReply)
{
    auto command = NewCommand(code, 4, noReply);
    PutU32(&command->Buffer[hdr::Data], value);
    return command;
}

bool IsValidHeader(const uint8_t *first5)
{
    return GetU16(first5 + hdr::Signature) == PacketSignature
        && GetU16(first5 + hdr::PayloadLength) <= MaxPayloadLength
        && first5[hdr::Flags] != 0;
}

TPacketPtr CreatePacketFromHeader(const uint8_t *first5)
{
    TPacketPtr packet;
    if (first5[hdr::Flags] & pfCommand)
        packet = std::make_unique<TUserCommand>(0);
    else
        packet = std::make_unique<TUserReply>(0);
    packet->Size = uint32_t(GetU16(first5 + hdr::PayloadLength)) + PacketHeaderSize;
    packet->Buffer.assign(packet->Size, 0);
    std::copy(first5, first5 + 5, packet->Buffer.begin());
    return packet;
}

const uint8_t *ScrambleTable() { return KelvraScrambleKey; }

void Scramble(TPacketBuffer &buffer)
{
    if (buffer.size() <= hdr::Flags)
        return;
    buffer[hdr::Flags] |= pfScrambled;
    uint8_t prev = 0;
    for (size_t i = 5; i < buffer.size(); ++i) {
        uint8_t s = buffer[i] ^ KelvraScrambleKey[prev & 15];
        buffer[i] = s;
        prev = s;
    }
}

void Descramble(TPacketBuffer &buffer)
{
    if (buffer.size() <= hdr::Flags || !(buffer[hdr::Flags] & pfScrambled))
        return;
    uint8_t prev = 0;
    for (size_t i = 5; i < buffer.size(); ++i) {
        uint8_t s = buffer[i];
        buffer[i] = s ^ KelvraScrambleKey[prev & 15];
        prev = s;
    }
}
