// Key files: the client's "*.prk" record as the login reads it, and the
// dealer's server key text. A server key that parses must serve its client
// record: what the client encrypts with the record, the server decrypts.
#include <cstdlib>

#include "forexexception.h"
#include "fuzzsupport.h"
#include "keyfile.h"
#include "keyfiles.h"
#include "keyrecord.h"
#include "rsablocks.h"
#include "serverrsa.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    try {
        const TKeyRecord key = LoadKeyFile(fuzz::WriteScratchFile(QStringLiteral("key.prk"), bytes));
        if (KeyIsUsable(key)) {
            const std::vector<uint8_t> probe{0x10, 0x02, 0x00, 0x00, 0x01};
            RsaDecrypt(RsaEncrypt(probe, KeyExponent(key), KeyModulus(key)), KeyExponent(key), KeyModulus(key));
        } else {
            KeyExponent(key);
            KeyModulus(key);
        }
    } catch (const EForexException &) {
    }

    RsaKeyPair pair;
    try {
        pair = parseServerKeyText(std::string_view(reinterpret_cast<const char *>(data), size), "fuzz");
    } catch (const std::runtime_error &) {
        return 0;
    }
    const TKeyRecord record = makeKeyRecord(pair.clientExponent, pair.modulus);
    if (!KeyIsUsable(record))
        std::abort();
    const ServerRsa server(pair);
    const std::vector<uint8_t> plain(data, data + std::min<size_t>(size, 64));
    if (server.decrypt(RsaEncrypt(plain, KeyExponent(record), KeyModulus(record))) != plain
        || RsaDecrypt(server.encrypt(plain), KeyExponent(record), KeyModulus(record)) != plain)
        std::abort();
    return 0;
}
