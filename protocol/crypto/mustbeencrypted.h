#pragma once

#include <cstdint>

// Whether a packet of this code must travel as RSA ciphertext on an encrypted
// connection; flagsBit2 is bit 2 (pfReply) of the packet's own flags.
constexpr bool MustBeEncrypted(uint8_t code, bool flagsBit2)
{
    switch (code) {
    case 102:
        return true;
    case 101: case 109: case 115: case 121: case 127: case 129:
        return flagsBit2;
    case 113: case 117: case 124: case 125: case 135: case 141:
        return !flagsBit2;
    default:
        return false;
    }
}
