#pragma once

// Internal: modular exponentiation with Montgomery multiplication over 64-bit
// limbs. The constants depend on the modulus only, so the RSA layer builds one
// context per key and reuses it for every block.

#include "fgdigits.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Little-endian 64-bit limbs, no zero top limb; empty is 0.
using Limbs = std::vector<uint64_t>;

Limbs limbsFromDigits(const fg::Digits& digits);
fg::Digits digitsFromLimbs(const Limbs& limbs);
// A bit string (only '0' and '1', already checked by the caller) as limbs.
Limbs limbsFromBits(std::string_view bits);
// Bits of the value without leading zeros; "0" for zero.
std::string bitsFromLimbs(const Limbs& limbs);
size_t limbsBitLength(const Limbs& limbs);

class MontgomeryContext {
public:
    // Throws std::invalid_argument unless the modulus is odd and at least 3.
    explicit MontgomeryContext(Limbs modulus);

    // base^exponent mod modulus; a base at or above the modulus is reduced first.
    Limbs power(const Limbs& base, const Limbs& exponent) const;

    size_t modulusBits() const { return m_modulusBits; }

private:
    using MulFn = void (*)(uint64_t* r, const uint64_t* a, const uint64_t* b, const uint64_t* m,
                           uint64_t mInv, size_t n, uint64_t* scratch);

    using SqrFn = void (*)(uint64_t* r, const uint64_t* a, const uint64_t* m, uint64_t mInv, size_t n,
                           uint64_t* scratch);

    // scratch: 2n + 2 limbs, used only where the size is not fixed at compile time.
    void mul(uint64_t* r, const uint64_t* a, const uint64_t* b, uint64_t* scratch) const
    {
        m_mul(r, a, b, m_modulus.data(), m_mInv, m_modulus.size(), scratch);
    }
    void sqr(uint64_t* r, const uint64_t* a, uint64_t* scratch) const
    {
        m_sqr(r, a, m_modulus.data(), m_mInv, m_modulus.size(), scratch);
    }

    Limbs m_modulus;
    Limbs m_rSquared;   // R^2 mod m, R = 2^(64 * limb count)
    uint64_t m_mInv = 0; // -m^-1 mod 2^64
    size_t m_modulusBits = 0;
    MulFn m_mul = nullptr;
    SqrFn m_sqr = nullptr;
};
