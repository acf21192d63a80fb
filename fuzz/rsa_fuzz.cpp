// The RSA layer of encrypted connections: a received frame decrypted with a
// fixed key pair or with a key record taken from the input, the block
// scheme on its own, and the round trip of the fixed pair (what the client
// encrypts the server's exponent must give back).
//
// Input: one byte of options (bit 0: the key record follows, 82 bytes),
// then the frame as it left the descrambling.
#include <cstdlib>

#include "fixedkey.h"
#include "fuzzsupport.h"
#include "keyrecord.h"
#include "packet.h"
#include "rsablocks.h"
#include "rsapacket.h"

namespace {

// The connection thread's receipt of one frame on an encrypted connection.
void receive(std::span<const uint8_t> frame, const TKeyRecord &key)
{
    if (frame.size() < 5 || !IsValidHeader(frame.data()))
        return;
    TPacketPtr packet = CreatePacketFromHeader(frame.data());
    if (frame.size() < packet->Buffer.size())
        return;
    std::copy(frame.begin() + 5, frame.begin() + std::ptrdiff_t(packet->Buffer.size()), packet->Buffer.begin() + 5);
    try {
        DecryptPacket(*packet, key);
        packet->ReadHeader();
    } catch (const std::exception &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in({data, size});
    const uint8_t options = in.Byte();
    const fuzz::FixedPair &fixed = fuzz::FixedPair::Get();
    TKeyRecord key = fixed.clientRecord;
    if (options & 1) {
        const auto record = in.Take(key.size());
        key.fill(0);
        std::copy(record.begin(), record.end(), key.begin());
    }
    const std::span<const uint8_t> frame = in.Rest();
    const std::vector<uint8_t> bytes(frame.begin(), frame.end());

    // As the connection thread does: a key that is not usable never decrypts.
    if (KeyIsUsable(key)) {
        receive(frame, key);
        const TFGInt exponent = KeyExponent(key), modulus = KeyModulus(key);
        RsaDecrypt(bytes, exponent, modulus);
        RsaEncrypt(bytes, exponent, modulus);
    } else {
        try {
            RsaDecrypt(bytes, KeyExponent(key), KeyModulus(key));
        } catch (const std::invalid_argument &) {
        }
    }

    if (!(options & 1)) {
        // What the client sends, the server's exponent reads, and the reverse.
        const std::vector<uint8_t> plain(bytes.begin(), bytes.begin() + std::ptrdiff_t(std::min<size_t>(bytes.size(), 512)));
        if (RsaDecrypt(RsaEncrypt(plain, fixed.clientExponent, fixed.modulus), fixed.serverExponent, fixed.modulus) != plain
            || RsaDecrypt(RsaEncrypt(plain, fixed.serverExponent, fixed.modulus), fixed.clientExponent, fixed.modulus) != plain)
            std::abort();
    }
    return 0;
}
