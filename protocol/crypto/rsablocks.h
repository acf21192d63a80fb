#pragma once

#include "tfgint.h"

#include <cstdint>
#include <vector>

// The RSA block scheme of encrypted connections. Both directions use the same
// scheme; only the exponent differs between the two peers.
//
// Encryption prefixes the plain bits with the marker "111" (which keeps leading
// zero bytes), left-pads to whole blocks of modbits - 1 bits and raises each
// block to the exponent; each result takes modbits bits. Decryption reverses
// it and drops everything up to and including the marker.
//
// Both throw std::invalid_argument for a degenerate key: a modulus that is
// missing, zero, 1, even or negative, or a missing or negative exponent.
std::vector<uint8_t> RsaEncrypt(const std::vector<uint8_t>& plain, const TFGInt& exponent, const TFGInt& modulus);
std::vector<uint8_t> RsaDecrypt(const std::vector<uint8_t>& cipher, const TFGInt& exponent, const TFGInt& modulus);
// True when the pair serves both operations (they would not throw).
bool RsaKeyIsUsable(const TFGInt& exponent, const TFGInt& modulus);
