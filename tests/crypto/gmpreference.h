#pragma once

// GMP as the reference for the big-integer tests. Conversions go through the
// digit array directly so they do not depend on the code under test.

#include "tfgint.h"

#include <gmp.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

class Gmp {
public:
    Gmp() { mpz_init(v); }
    explicit Gmp(const TFGInt& x)
    {
        mpz_init(v);
        for (int64_t i = x.Number.at(0); i >= 1; --i) {
            mpz_mul_2exp(v, v, 31);
            mpz_add_ui(v, v, static_cast<unsigned long>(x.Number.at(static_cast<size_t>(i))));
        }
        if (x.Sign == 0)
            mpz_neg(v, v);
    }
    explicit Gmp(const char* hex) { mpz_init_set_str(v, hex, 16); }
    ~Gmp() { mpz_clear(v); }
    Gmp(const Gmp&) = delete;
    Gmp& operator=(const Gmp&) = delete;

    std::string hex() const { return text(16); }
    std::string bits() const { return text(2); }
    std::string text(int base) const
    {
        std::string out(mpz_sizeinbase(v, base) + 2, '\0');
        mpz_get_str(out.data(), base, v);
        out.resize(out.find('\0'));
        return out;
    }

    mpz_t v;
};

// A TFGInt made straight from base-2^31 digits (least significant first).
inline TFGInt intFromDigits(std::vector<uint32_t> digits, bool negative = false)
{
    while (!digits.empty() && digits.back() == 0)
        digits.pop_back();
    TFGInt x;
    x.Number.push_back(static_cast<int64_t>(std::max<size_t>(digits.size(), 1)));
    if (digits.empty())
        x.Number.push_back(0);
    for (uint32_t d : digits)
        x.Number.push_back(d);
    x.Sign = (negative && !digits.empty()) ? 0 : 1;
    return x;
}

inline TFGInt intFromHex(const char* hex)
{
    Gmp g(hex);
    std::vector<uint32_t> digits;
    Gmp rest;
    mpz_set(rest.v, g.v);
    while (mpz_sgn(rest.v) != 0) {
        digits.push_back(static_cast<uint32_t>(mpz_fdiv_ui(rest.v, 1u << 31)));
        mpz_fdiv_q_2exp(rest.v, rest.v, 31);
    }
    return intFromDigits(digits);
}

// A random value of exactly `bits` bits (0 gives zero). "Spiky" values draw
// their digits from extremes (0, 1, 2^30, 2^31 - 1, ...) to reach the rare
// corrections of long division.
inline TFGInt randomInt(size_t bits, std::mt19937_64& rng, bool spiky = false)
{
    std::vector<uint32_t> digits((bits + 30) / 31, 0);
    static constexpr uint32_t extremes[] = {0, 1, 0x7FFFFFFF, 0x40000000, 0x3FFFFFFF, 0x7FFFFFFE};
    for (uint32_t& d : digits) {
        if (spiky && rng() % 4 != 0)
            d = extremes[rng() % std::size(extremes)];
        else
            d = static_cast<uint32_t>(rng()) & 0x7FFFFFFF;
    }
    if (bits > 0) {
        const size_t topBits = bits - (digits.size() - 1) * 31;
        uint32_t& top = digits.back();
        top &= (topBits == 31) ? 0x7FFFFFFFu : ((1u << topBits) - 1);
        top |= 1u << (topBits - 1);
    }
    return intFromDigits(digits);
}
