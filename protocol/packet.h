#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QString>

// Packet frame: a 10-byte header, then the payload. All integers little-endian.
//   0 u16 Signature (4098)   2 u16 PayloadLength   4 u8 Flags
//   5 u16 SessionId          7 u16 PacketId        9 u8 Code
// A reply's data starts at offset 11 after its error byte; a command's at 10.

using TPacketBuffer = std::vector<uint8_t>;

constexpr uint16_t PacketSignature = 4098;
constexpr int PacketHeaderSize = 10;
constexpr int MaxPayloadLength = 6144;

enum : uint8_t {
    pfCommand = 0x01,
    pfNoReply = 0x02,
    pfReply = 0x04,
    pfFirst = 0x08,
    pfMiddle = 0x10,
    pfLast = 0x20,
    pfScrambled = 0x40,
    pfRsa = 0x80,
};

namespace hdr {
constexpr int Signature = 0;
constexpr int PayloadLength = 2;
constexpr int Flags = 4;
constexpr int SessionId = 5;
constexpr int PacketId = 7;
constexpr int Code = 9;
constexpr int Data = 10;
constexpr int ReplyData = 11;
}

inline uint16_t GetU16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutU16(uint8_t *p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void PutU32(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}

// Root of every packet object.
class TCmdRply {
public:
    explicit TCmdRply(uint8_t code) : Code(code) {}
    virtual ~TCmdRply() = default;

    // The three queries of the packet classes (slots 0..2).
    virtual bool Query0() const { return false; }
    virtual bool Query1() const { return true; }
    virtual bool Query2() const { return false; }

    uint16_t Id = 0;
    uint8_t Code = 0;
};

// A packet object owning one packet buffer.
class TUserCmdRply : public TCmdRply {
public:
    using TCmdRply::TCmdRply;

    // Takes ownership of a built buffer and writes the object's id and code into its header.
    virtual void AttachBuffer(TPacketBuffer buffer);
    // Reads the object's fields back from its header (and payload).
    virtual void ReadHeader();
    // With Size holding a payload size: builds a zero-filled packet of that payload.
    virtual void AllocBuffer();

    void SetId(uint16_t id);
    uint16_t GetId() const { return Id; }

    uint8_t Flags() const { return Buffer.size() > hdr::Flags ? Buffer[hdr::Flags] : 0; }
    uint16_t PayloadLength() const { return Buffer.size() >= 4 ? GetU16(&Buffer[hdr::PayloadLength]) : 0; }
    uint16_t SessionId() const { return Buffer.size() >= 7 ? GetU16(&Buffer[hdr::SessionId]) : 0; }
    bool HasBuffer() const { return !Buffer.empty(); }
    // Re-reads Size from the buffer after its bytes were rewritten.
    void SyncSize() { Size = uint32_t(Buffer.size()); }

    uint32_t Size = 0;
    TPacketBuffer Buffer;
};

class TUserCommand : public TUserCmdRply {
public:
    explicit TUserCommand(uint8_t code, bool noReply = false) : TUserCmdRply(code), NoReply(noReply) {}

    bool Query2() const override { return Code == 107; }
    void AttachBuffer(TPacketBuffer buffer) override;
    void ReadHeader() override;
    void AllocBuffer() override;

    bool NoReply = false;
};

class TUserReply : public TUserCmdRply {
public:
    explicit TUserReply(uint8_t code) : TUserCmdRply(code) {}

    bool Query1() const override { return false; }
    void ReadHeader() override;
    void AllocBuffer() override;
    bool IsOk() const { return ErrorCode == 0; }

    QString ErrorText;
    uint8_t ErrorCode = 0;
};

using TPacketPtr = std::unique_ptr<TUserCmdRply>;
using TCommandPtr = std::unique_ptr<TUserCommand>;

// Error code of a requote: the new price (u32) follows at packet offset 11, not a text.
constexpr uint8_t ErrorRequote = 100;

TPacketBuffer NewPacketBuffer(int payloadSize);
TCommandPtr NewCommand(uint8_t code, int payloadSize, bool noReply = false);
TCommandPtr NewCommandU32(uint8_t code, uint32_t value, bool noReply = false);

// Receipt limits on the first five bytes: signature, payload length, flags.
bool IsValidHeader(const uint8_t *first5);
// A command (flags bit 0) or a reply with a fresh buffer whose first five
// bytes are the given ones; the caller reads the rest and calls ReadHeader.
TPacketPtr CreatePacketFromHeader(const uint8_t *first5);

// The scrambling of bytes 5..end with the deployment's 16-byte table.
void Scramble(TPacketBuffer &buffer);
void Descramble(TPacketBuffer &buffer);
const uint8_t *ScrambleTable();
