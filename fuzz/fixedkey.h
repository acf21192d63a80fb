#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "keyrecord.h"
#include "tfgint.h"

namespace fuzz {

// A 240-bit key pair made once with kelvra-keygen --seed 7: the RSA target's
// fixed key, and what its seeds are encrypted with.
struct FixedPair {
    static TFGInt FromHex(std::string_view hex)
    {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes.push_back(uint8_t(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
        return FromBytes(bytes);
    }

    TFGInt modulus = FromHex("d4cc683e0705244cd96b1624c944f1b7861323f8f1321383cb2d82eafa75");
    TFGInt clientExponent = FromHex("1df4ff36f162a5993918c7beb3e3bedda13557b5979382c96031322be111");
    TFGInt serverExponent = FromHex("12f265b63b6b449c40549258f6743e35a981f4a4338911e3fa65f7d20019");
    // The client's key file, and the same for the server's side.
    TKeyRecord clientRecord = makeKeyRecord(clientExponent, modulus);
    TKeyRecord serverRecord = makeKeyRecord(serverExponent, modulus);

    static const FixedPair &Get()
    {
        static const FixedPair pair;
        return pair;
    }
};

} // namespace fuzz
