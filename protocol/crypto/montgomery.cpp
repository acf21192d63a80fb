#include "montgomery.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace {

__extension__ typedef unsigned __int128 u128;

void trimLimbs(Limbs& l)
{
    while (!l.empty() && l.back() == 0)
        l.pop_back();
}

// One Montgomery product r = a * b / R mod m (CIOS). a, b < m; r may alias a
// or b. scratch holds n + 2 limbs.
inline __attribute__((always_inline)) void montMulCore(uint64_t* r, const uint64_t* a, const uint64_t* b,
                                                       const uint64_t* m, uint64_t mInv, size_t n,
                                                       uint64_t* t)
{
    for (size_t k = 0; k < n + 2; ++k)
        t[k] = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t bi = b[i];
        uint64_t carry = 0;
        for (size_t j = 0; j < n; ++j) {
            const u128 s = u128(a[j]) * bi + t[j] + carry;
            t[j] = static_cast<uint64_t>(s);
            carry = static_cast<uint64_t>(s >> 64);
        }
        u128 s = u128(t[n]) + carry;
        t[n] = static_cast<uint64_t>(s);
        t[n + 1] = static_cast<uint64_t>(s >> 64);

        const uint64_t q = t[0] * mInv;
        s = u128(q) * m[0] + t[0];
        carry = static_cast<uint64_t>(s >> 64);
        for (size_t j = 1; j < n; ++j) {
            s = u128(q) * m[j] + t[j] + carry;
            t[j - 1] = static_cast<uint64_t>(s);
            carry = static_cast<uint64_t>(s >> 64);
        }
        s = u128(t[n]) + carry;
        t[n - 1] = static_cast<uint64_t>(s);
        t[n] = t[n + 1] + static_cast<uint64_t>(s >> 64);
    }
    // t < 2m: subtract m once when t >= m.
    bool geq = t[n] != 0;
    if (!geq) {
        geq = true;
        for (size_t j = n; j-- > 0;) {
            if (t[j] != m[j]) {
                geq = t[j] > m[j];
                break;
            }
        }
    }
    if (geq) {
        uint64_t borrow = 0;
        for (size_t j = 0; j < n; ++j) {
            const u128 d = u128(t[j]) - m[j] - borrow;
            r[j] = static_cast<uint64_t>(d);
            borrow = static_cast<uint64_t>(d >> 64) & 1;
        }
    } else {
        for (size_t j = 0; j < n; ++j)
            r[j] = t[j];
    }
}

// Fixed sizes let the compiler unroll the inner loops for the usual key sizes.
// Montgomery square r = a * a / R mod m: the full square first (each cross
// product once, then doubled), then the reduction. Cheaper than montMulCore
// with a == b. p holds 2n limbs; r may alias a.
inline __attribute__((always_inline)) void montSqrCore(uint64_t* r, const uint64_t* a, const uint64_t* m,
                                                       uint64_t mInv, size_t n, uint64_t* p)
{
    for (size_t k = 0; k < 2 * n; ++k)
        p[k] = 0;
    for (size_t i = 0; i < n; ++i) {
        uint64_t carry = 0;
        for (size_t j = i + 1; j < n; ++j) {
            const u128 s = u128(a[i]) * a[j] + p[i + j] + carry;
            p[i + j] = static_cast<uint64_t>(s);
            carry = static_cast<uint64_t>(s >> 64);
        }
        p[i + n] = carry;
    }
    uint64_t shifted = 0;
    for (size_t k = 0; k < 2 * n; ++k) {
        const uint64_t next = p[k] >> 63;
        p[k] = (p[k] << 1) | shifted;
        shifted = next;
    }
    uint64_t carry = 0;
    for (size_t i = 0; i < n; ++i) {
        const u128 sq = u128(a[i]) * a[i];
        u128 s = u128(p[2 * i]) + static_cast<uint64_t>(sq) + carry;
        p[2 * i] = static_cast<uint64_t>(s);
        s = u128(p[2 * i + 1]) + static_cast<uint64_t>(sq >> 64) + static_cast<uint64_t>(s >> 64);
        p[2 * i + 1] = static_cast<uint64_t>(s);
        carry = static_cast<uint64_t>(s >> 64);
    }

    // Reduction: add multiples of m that clear the low n limbs.
    uint64_t top = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t q = p[i] * mInv;
        uint64_t c = 0;
        for (size_t j = 0; j < n; ++j) {
            const u128 s = u128(q) * m[j] + p[i + j] + c;
            p[i + j] = static_cast<uint64_t>(s);
            c = static_cast<uint64_t>(s >> 64);
        }
        const u128 s = u128(p[i + n]) + c + top;
        p[i + n] = static_cast<uint64_t>(s);
        top = static_cast<uint64_t>(s >> 64);
    }
    // p[n..2n) plus top is below 2m: subtract m once when it is at least m.
    const uint64_t* t = p + n;
    bool geq = top != 0;
    if (!geq) {
        geq = true;
        for (size_t j = n; j-- > 0;) {
            if (t[j] != m[j]) {
                geq = t[j] > m[j];
                break;
            }
        }
    }
    if (geq) {
        uint64_t borrow = 0;
        for (size_t j = 0; j < n; ++j) {
            const u128 d = u128(t[j]) - m[j] - borrow;
            r[j] = static_cast<uint64_t>(d);
            borrow = static_cast<uint64_t>(d >> 64) & 1;
        }
    } else {
        for (size_t j = 0; j < n; ++j)
            r[j] = t[j];
    }
}

// A local accumulator that nothing else can alias stays in registers.
template <size_t N>
void montMulFixed(uint64_t* r, const uint64_t* a, const uint64_t* b, const uint64_t* m, uint64_t mInv,
                  size_t, uint64_t*)
{
    uint64_t t[N + 2];
    montMulCore(r, a, b, m, mInv, N, t);
}

void montMulAny(uint64_t* r, const uint64_t* a, const uint64_t* b, const uint64_t* m, uint64_t mInv, size_t n,
                uint64_t* scratch)
{
    montMulCore(r, a, b, m, mInv, n, scratch);
}

template <size_t N>
void montSqrFixed(uint64_t* r, const uint64_t* a, const uint64_t* m, uint64_t mInv, size_t, uint64_t*)
{
    uint64_t p[2 * N];
    montSqrCore(r, a, m, mInv, N, p);
}

void montSqrAny(uint64_t* r, const uint64_t* a, const uint64_t* m, uint64_t mInv, size_t n, uint64_t* scratch)
{
    montSqrCore(r, a, m, mInv, n, scratch);
}

int windowBits(size_t exponentBits)
{
    if (exponentBits <= 8)
        return 1;
    if (exponentBits <= 64)
        return 3;
    if (exponentBits <= 256)
        return 4;
    if (exponentBits <= 768)
        return 5;
    return 6;
}

// a < b for limb vectors of the same length.
bool lessThan(const Limbs& a, const Limbs& b)
{
    for (size_t j = a.size(); j-- > 0;) {
        if (a[j] != b[j])
            return a[j] < b[j];
    }
    return false;
}

bool bitAt(const Limbs& l, size_t k)
{
    return (l[k / 64] >> (k % 64)) & 1;
}

} // namespace

Limbs limbsFromDigits(const fg::Digits& digits)
{
    Limbs limbs;
    limbs.reserve(digits.size() * fgDigitBits / 64 + 1);
    u128 acc = 0;
    int accBits = 0;
    for (uint32_t d : digits) {
        acc |= u128(d) << accBits;
        accBits += fgDigitBits;
        if (accBits >= 64) {
            limbs.push_back(static_cast<uint64_t>(acc));
            acc >>= 64;
            accBits -= 64;
        }
    }
    if (accBits > 0)
        limbs.push_back(static_cast<uint64_t>(acc));
    trimLimbs(limbs);
    return limbs;
}

fg::Digits digitsFromLimbs(const Limbs& limbs)
{
    fg::Digits digits;
    digits.reserve(limbs.size() * 64 / fgDigitBits + 1);
    u128 acc = 0;
    int accBits = 0;
    for (uint64_t l : limbs) {
        acc |= u128(l) << accBits;
        accBits += 64;
        while (accBits >= fgDigitBits) {
            digits.push_back(static_cast<uint32_t>(acc) & fg::digitMask);
            acc >>= fgDigitBits;
            accBits -= fgDigitBits;
        }
    }
    if (accBits > 0)
        digits.push_back(static_cast<uint32_t>(acc) & fg::digitMask);
    fg::trim(digits);
    return digits;
}

Limbs limbsFromBits(std::string_view bits)
{
    Limbs limbs((bits.size() + 63) / 64, 0);
    for (size_t k = 0; k < bits.size(); ++k) {
        if (bits[bits.size() - 1 - k] == '1')
            limbs[k / 64] |= uint64_t(1) << (k % 64);
    }
    trimLimbs(limbs);
    return limbs;
}

std::string bitsFromLimbs(const Limbs& limbs)
{
    if (limbs.empty())
        return "0";
    std::string bits;
    bits.reserve(limbs.size() * 64);
    for (int b = std::bit_width(limbs.back()) - 1; b >= 0; --b)
        bits.push_back(((limbs.back() >> b) & 1) ? '1' : '0');
    for (size_t i = limbs.size() - 1; i-- > 0;) {
        for (int b = 63; b >= 0; --b)
            bits.push_back(((limbs[i] >> b) & 1) ? '1' : '0');
    }
    return bits;
}

size_t limbsBitLength(const Limbs& limbs)
{
    if (limbs.empty())
        return 0;
    return (limbs.size() - 1) * 64 + static_cast<size_t>(std::bit_width(limbs.back()));
}

MontgomeryContext::MontgomeryContext(Limbs modulus)
    : m_modulus(std::move(modulus))
{
    trimLimbs(m_modulus);
    if (m_modulus.empty())
        throw std::invalid_argument("modulus is zero");
    if (m_modulus.size() == 1 && m_modulus[0] == 1)
        throw std::invalid_argument("modulus is 1 (fewer than 2 bits)");
    if ((m_modulus[0] & 1) == 0)
        throw std::invalid_argument("modulus is even (Montgomery arithmetic needs an odd modulus)");

    m_modulusBits = limbsBitLength(m_modulus);
    const size_t n = m_modulus.size();

    // Newton's iteration doubles the correct low bits each step: 5 steps from
    // the 3 bits that m itself gives cover 64 bits.
    uint64_t inv = m_modulus[0];
    for (int i = 0; i < 5; ++i)
        inv *= 2 - m_modulus[0] * inv;
    m_mInv = ~inv + 1;

    const size_t rSquaredBit = 2 * n * 64;
    fg::Digits rSquared(rSquaredBit / fgDigitBits + 1, 0);
    rSquared.back() = uint32_t(1) << (rSquaredBit % fgDigitBits);
    m_rSquared = limbsFromDigits(fg::remainder(rSquared, digitsFromLimbs(m_modulus)));
    m_rSquared.resize(n, 0);

    switch (n) {
    case 1: m_mul = montMulFixed<1>; m_sqr = montSqrFixed<1>; break;
    case 2: m_mul = montMulFixed<2>; m_sqr = montSqrFixed<2>; break;
    case 3: m_mul = montMulFixed<3>; m_sqr = montSqrFixed<3>; break;
    case 4: m_mul = montMulFixed<4>; m_sqr = montSqrFixed<4>; break;
    case 5: m_mul = montMulFixed<5>; m_sqr = montSqrFixed<5>; break;
    case 6: m_mul = montMulFixed<6>; m_sqr = montSqrFixed<6>; break;
    case 7: m_mul = montMulFixed<7>; m_sqr = montSqrFixed<7>; break;
    case 8: m_mul = montMulFixed<8>; m_sqr = montSqrFixed<8>; break;
    default: m_mul = montMulAny; m_sqr = montSqrAny; break;
    }
}

Limbs MontgomeryContext::power(const Limbs& base, const Limbs& exponent) const
{
    const size_t n = m_modulus.size();
    Limbs one(n, 0);
    one[0] = 1;
    const size_t expBits = limbsBitLength(exponent);
    if (expBits == 0) {
        trimLimbs(one);
        return one; // modulus >= 3, so 1 is already reduced
    }
    Limbs b = base;
    trimLimbs(b);
    if (b.size() > n || (b.size() == n && !lessThan(b, m_modulus)))
        b = limbsFromDigits(fg::remainder(digitsFromLimbs(b), digitsFromLimbs(m_modulus)));
    b.resize(n, 0);

    std::vector<uint64_t> scratch(2 * n + 2);
    const int w = windowBits(expBits);
    // Odd powers base^1, base^3, ..., base^(2^w - 1) in Montgomery form.
    const size_t tableSize = size_t(1) << (w - 1);
    std::vector<uint64_t> table(tableSize * n);
    mul(table.data(), b.data(), m_rSquared.data(), scratch.data());
    Limbs sq(n);
    sqr(sq.data(), table.data(), scratch.data());
    for (size_t i = 1; i < tableSize; ++i)
        mul(table.data() + i * n, table.data() + (i - 1) * n, sq.data(), scratch.data());

    // Left-to-right sliding window over the exponent bits.
    Limbs acc;
    bool started = false;
    size_t k = expBits;
    while (k > 0) {
        if (!bitAt(exponent, k - 1)) {
            sqr(acc.data(), acc.data(), scratch.data()); // started: the top bit is 1
            --k;
            continue;
        }
        // Longest window of at most w bits starting at bit k-1 and ending in a 1.
        size_t len = std::min<size_t>(static_cast<size_t>(w), k);
        while (!bitAt(exponent, k - len))
            --len;
        size_t value = 0;
        for (size_t i = 0; i < len; ++i)
            value = (value << 1) | (bitAt(exponent, k - 1 - i) ? 1 : 0);
        const uint64_t* entry = table.data() + (value >> 1) * n;
        if (!started) {
            acc.assign(entry, entry + n);
            started = true;
        } else {
            for (size_t i = 0; i < len; ++i)
                sqr(acc.data(), acc.data(), scratch.data());
            mul(acc.data(), acc.data(), entry, scratch.data());
        }
        k -= len;
    }
    // Out of Montgomery form.
    mul(acc.data(), acc.data(), one.data(), scratch.data());
    trimLimbs(acc);
    return acc;
}
