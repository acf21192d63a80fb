#pragma once

#include "tfgint.h"

#include <cstdint>
#include <optional>

inline constexpr int rsaMinBits = 16;
inline constexpr int rsaMaxBits = 240; // the most a key file's 40 characters carry
inline constexpr int rsaDefaultBits = 240;

// The keys of one encrypted account. Both peers run the same block scheme over
// the shared modulus, the client with clientExponent (its key file), the
// server with serverExponent; each exponent undoes the other.
struct RsaKeyPair {
    TFGInt modulus;
    TFGInt clientExponent;
    TFGInt serverExponent;
};

// A fresh pair whose modulus has exactly `bits` bits (the product of two
// primes of about bits/2 each). Both exponents are random and neither is
// derivable from the other without the primes. With a seed the result is
// reproducible. Throws std::invalid_argument for bits outside 16..240.
RsaKeyPair generateKeyPair(int bits = rsaDefaultBits, std::optional<uint64_t> seed = std::nullopt);

// Throws std::invalid_argument unless the modulus is odd with 16..240 bits,
// both exponents lie in 1 .. modulus - 1 and each undoes the other.
void checkKeyPair(const RsaKeyPair& pair);
