// Big-integer results checked against GMP on many random operands.
#include "gmpreference.h"
#include "tfgint.h"

#include <gtest/gtest.h>

namespace {

void expectSame(const TFGInt& ours, const Gmp& reference, const char* what)
{
    // The representation must stay canonical: count slot matches, no zero top digit.
    ASSERT_GE(ours.Number.size(), 2u) << what;
    ASSERT_EQ(ours.Number[0], static_cast<int64_t>(ours.Number.size() - 1)) << what;
    ASSERT_TRUE(ours.Number.size() == 2 || ours.Number.back() != 0) << what;
    const Gmp value(ours);
    ASSERT_EQ(mpz_cmp(value.v, reference.v), 0) << what << ": got " << value.hex() << ", want " << reference.hex();
}

TFGInt negated(TFGInt x)
{
    if (!fgIsZero(x))
        x.Sign = 0;
    return x;
}

} // namespace

TEST(BigIntVersusGmp, BitAndByteConversions)
{
    std::mt19937_64 rng(1);
    for (int i = 0; i < 500; ++i) {
        const size_t bits = rng() % 700;
        const TFGInt x = randomInt(bits, rng, i % 2 == 0);
        const Gmp g(x);
        ASSERT_EQ(ToBits(x), g.bits());
        ASSERT_EQ(FromBits(std::string(rng() % 9, '0') + g.bits()), x);
        ASSERT_EQ(fgBitLength(x), bits);

        std::vector<uint8_t> bytes(rng() % 90);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(rng());
        Gmp imported;
        mpz_import(imported.v, bytes.size(), 1, 1, 1, 0, bytes.data());
        expectSame(FromBytes(bytes), imported, "FromBytes");
    }
}

TEST(BigIntVersusGmp, ProductsSquaresAndRemainders)
{
    std::mt19937_64 rng(2);
    Gmp want;
    for (int i = 0; i < 3000; ++i) {
        const bool spiky = i % 3 == 0;
        const TFGInt a = randomInt(rng() % 2100, rng, spiky);
        const TFGInt b = randomInt(rng() % 2100, rng, spiky);
        const Gmp ga(a), gb(b);

        mpz_mul(want.v, ga.v, gb.v);
        expectSame(MulInt(a, b), want, "MulInt");
        mpz_mul(want.v, ga.v, ga.v);
        expectSame(SquareInt(a), want, "SquareInt");

        // Divisors from one digit up; dividends both below and well above them.
        const TFGInt m = randomInt(1 + rng() % 1100, rng, spiky);
        const TFGInt x = i % 4 == 0 ? MulInt(m, randomInt(rng() % 1200, rng, spiky)) : a;
        const Gmp gm(m), gx(x);
        mpz_fdiv_r(want.v, gx.v, gm.v);
        expectSame(ModInt(x, m), want, "ModInt");

        const TFGInt nx = negated(x);
        const Gmp gnx(nx);
        mpz_fdiv_r(want.v, gnx.v, gm.v); // floor remainder: 0 .. m - 1
        expectSame(ModInt(nx, m), want, "ModInt of a negative value");

        const TFGInt nb = negated(b);
        const Gmp gnb(nb);
        mpz_mul(want.v, ga.v, gnb.v);
        expectSame(MulInt(a, nb), want, "MulInt with a negative factor");
    }
}

TEST(BigIntVersusGmp, ModPowOverModulusSizes)
{
    std::mt19937_64 rng(3);
    Gmp want;
    // Mostly the sizes keys use, then fewer and fewer of the big ones.
    struct Band {
        size_t minBits, maxBits;
        int count;
    };
    const Band bands[] = {{2, 64, 800}, {65, 256, 1200}, {257, 700, 60}, {701, 1400, 12}, {1401, 2048, 6}};
    for (const Band& band : bands) {
        for (int i = 0; i < band.count; ++i) {
            const size_t modBits = band.minBits + rng() % (band.maxBits - band.minBits + 1);
            TFGInt m = randomInt(modBits, rng, i % 5 == 0);
            m.Number[1] |= 1; // odd
            if (modBits == 2 && ToBits(m) == "1")
                continue;
            // Exponents of every size, from 0 to beyond the modulus.
            const size_t expBits = (i % 7 == 0) ? rng() % 12 : rng() % (modBits + modBits / 2 + 2);
            const TFGInt e = randomInt(expBits, rng, i % 6 == 0);
            // Bases below, at and above the modulus.
            TFGInt base;
            switch (i % 6) {
            case 0: base = m; break;
            case 1: base = randomInt(modBits + rng() % (modBits + 1), rng); break;
            case 2: base = MulInt(m, fgFromUint64(3 + rng() % 5)); break;
            default: base = randomInt(rng() % (modBits + 1), rng, i % 4 == 0); break;
            }
            const Gmp gb(base), ge(e), gm(m);
            mpz_powm(want.v, gb.v, ge.v, gm.v);
            SCOPED_TRACE(testing::Message() << "modulus bits " << modBits << ", exponent bits " << expBits);
            expectSame(ModPow(base, e, m), want, "ModPow");
        }
    }
}

TEST(BigIntVersusGmp, ModPowWithExtremeModuli)
{
    std::mt19937_64 rng(4);
    Gmp want;
    // All-ones moduli and moduli just above a power of two stress the final
    // subtraction of the Montgomery product.
    for (size_t bits : {2, 31, 32, 63, 64, 65, 127, 128, 240, 241, 512}) {
        TFGInt allOnes = FromBits(std::string(bits, '1'));
        std::string powerOfTwo(bits, '0');
        powerOfTwo.front() = '1';
        TFGInt justAbove = FromBits(powerOfTwo);
        justAbove.Number[1] |= 1;
        for (const TFGInt& m : {allOnes, justAbove}) {
            if (ToBits(m) == "1")
                continue;
            for (int i = 0; i < 20; ++i) {
                const TFGInt base = randomInt(rng() % (bits + 8), rng);
                const TFGInt e = randomInt(rng() % (bits + 8), rng);
                const Gmp gb(base), ge(e), gm(m);
                mpz_powm(want.v, gb.v, ge.v, gm.v);
                expectSame(ModPow(base, e, m), want, "ModPow");
            }
        }
    }
}
