#include "rsapacket.h"

#include <algorithm>

#include "forexexception.h"
#include "keyrecord.h"
#include "mustbeencrypted.h"
#include "languagetables.h"
#include "rsablocks.h"

namespace {

std::vector<uint8_t> TailFrom5(const TPacketBuffer &buffer)
{
    return std::vector<uint8_t>(buffer.begin() + 5, buffer.end());
}

TPacketBuffer WithHead(const TPacketBuffer &old, const std::vector<uint8_t> &tail)
{
    TPacketBuffer buffer(5 + tail.size());
    std::copy_n(old.begin(), 5, buffer.begin());
    std::copy(tail.begin(), tail.end(), buffer.begin() + 5);
    return buffer;
}

} // namespace

void EncryptPacket(TUserCmdRply &packet, const TKeyRecord &key)
{
    TPacketBuffer &buffer = packet.Buffer;
    if (buffer.size() < PacketHeaderSize)
        return;
    if (!MustBeEncrypted(buffer[hdr::Code], (buffer[hdr::Flags] & pfReply) != 0))
        return;
    const std::vector<uint8_t> cipher = RsaEncrypt(TailFrom5(buffer), KeyExponent(key), KeyModulus(key));
    TPacketBuffer out = WithHead(buffer, cipher);
    // The ciphertext never comes out shorter than the 5 header bytes it covers.
    if (out.size() < PacketHeaderSize)
        out.resize(PacketHeaderSize, 0);
    PutU16(&out[hdr::PayloadLength], uint16_t(out.size() - PacketHeaderSize));
    out[hdr::Flags] |= pfRsa;
    buffer = std::move(out);
    packet.SyncSize();
}

void DecryptPacket(TUserCmdRply &packet, const TKeyRecord &key)
{
    TPacketBuffer &buffer = packet.Buffer;
    bool wasEncrypted = false;
    if (buffer.size() > hdr::Flags && (buffer[hdr::Flags] & pfRsa)) {
        const std::vector<uint8_t> plain = RsaDecrypt(TailFrom5(buffer), KeyExponent(key), KeyModulus(key));
        // A wrong key gives garbage; too little of it to hold the inner
        // header is an invalid packet, never a negative payload length.
        if (plain.size() < 5)
            throw EForexException(MessageText(25));
        TPacketBuffer out = WithHead(buffer, plain);
        PutU16(&out[hdr::PayloadLength], uint16_t(out.size() - PacketHeaderSize));
        out[hdr::Flags] &= uint8_t(~pfRsa);
        buffer = std::move(out);
        packet.SyncSize();
        wasEncrypted = true;
    }
    if (buffer.size() < PacketHeaderSize)
        throw EForexException(MessageText(25));
    if (!wasEncrypted && MustBeEncrypted(buffer[hdr::Code], (buffer[hdr::Flags] & pfReply) != 0))
        throw EForexException(QStringLiteral("expected rsa crypted packet"));
}
