#pragma once

#include "tfgint.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The 82-byte key record: the first 82 bytes of a "*.prk" key file. Two short
// strings of capacity 40 (length byte + 40 characters), exponent then
// modulus, each a big-endian number written in the 6-bit text alphabet.
using TKeyRecord = std::array<uint8_t, 82>;

inline constexpr size_t keyTextCapacity = 40;
inline constexpr size_t keyExponentOffset = 0;
inline constexpr size_t keyModulusOffset = 41;
// 40 characters of 6 bits.
inline constexpr size_t keyMaxBits = keyTextCapacity * 6;

// A record whose exponent text is empty (first byte 0) means "no key".
bool KeyIsEmpty(const TKeyRecord& key);
// A key that can encrypt and decrypt: not empty, and its numbers fit the RSA
// scheme (the modulus odd and above 1). A junk or damaged key file gives a
// record that is not usable; an encrypted session treats it as no key.
bool KeyIsUsable(const TKeyRecord& key);
// A length byte above 40 is taken as 40: the text never runs into the next field.
TFGInt KeyExponent(const TKeyRecord& key);
TFGInt KeyModulus(const TKeyRecord& key);

// Builds a record from the two numbers; throws std::invalid_argument when one
// does not fit 40 characters (more than 240 bits) or has no value.
TKeyRecord makeKeyRecord(const TFGInt& exponent, const TFGInt& modulus);
