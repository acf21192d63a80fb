#include "rsablocks.h"
#include "rsakeys.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using Bytes = std::vector<uint8_t>;

TEST(RsaKeyPairs, ModulusHasExactlyTheRequestedSize)
{
    for (int bits : {16, 17, 24, 31, 33, 64, 100, 128, 199, 239, 240}) {
        SCOPED_TRACE(bits);
        const RsaKeyPair pair = generateKeyPair(bits, uint64_t(bits));
        EXPECT_EQ(fgBitLength(pair.modulus), static_cast<size_t>(bits));
        EXPECT_EQ(pair.modulus.Number[1] & 1, 1);
        EXPECT_NE(pair.clientExponent, pair.serverExponent);
        EXPECT_NO_THROW(checkKeyPair(pair));
    }
}

TEST(RsaKeyPairs, EachSideDecryptsTheOther)
{
    std::mt19937 rng(8);
    for (int bits : {16, 17, 40, 97, 160, 240}) {
        const RsaKeyPair pair = generateKeyPair(bits, uint64_t(1000 + bits));
        for (int i = 0; i < 8; ++i) {
            Bytes plain(i == 0 ? 0 : i == 1 ? 1505 : rng() % 1506);
            for (uint8_t& b : plain)
                b = static_cast<uint8_t>(rng());
            if (i == 2)
                std::fill(plain.begin(), plain.begin() + std::min<size_t>(plain.size(), 9), 0);
            SCOPED_TRACE(testing::Message() << bits << " bits, " << plain.size() << " bytes");
            const Bytes up = RsaEncrypt(plain, pair.clientExponent, pair.modulus);
            ASSERT_EQ(RsaDecrypt(up, pair.serverExponent, pair.modulus), plain);
            const Bytes down = RsaEncrypt(plain, pair.serverExponent, pair.modulus);
            ASSERT_EQ(RsaDecrypt(down, pair.clientExponent, pair.modulus), plain);
        }
    }
}

TEST(RsaKeyPairs, SeedsReproduce)
{
    const RsaKeyPair a = generateKeyPair(64, 42);
    const RsaKeyPair b = generateKeyPair(64, 42);
    const RsaKeyPair c = generateKeyPair(64, 43);
    EXPECT_EQ(a.modulus, b.modulus);
    EXPECT_EQ(a.clientExponent, b.clientExponent);
    EXPECT_NE(a.modulus, c.modulus);
    // Unseeded pairs differ from run to run.
    EXPECT_NE(generateKeyPair(64).modulus, generateKeyPair(64).modulus);
}

TEST(RsaKeyPairs, SizesOutsideTheKeyFileAreRefused)
{
    EXPECT_THROW(generateKeyPair(15), std::invalid_argument);
    EXPECT_THROW(generateKeyPair(241), std::invalid_argument);
    EXPECT_THROW(generateKeyPair(0), std::invalid_argument);
    EXPECT_THROW(generateKeyPair(-240), std::invalid_argument);
}

TEST(RsaKeyPairs, CheckCatchesBrokenPairs)
{
    const RsaKeyPair good = generateKeyPair(64, 9);
    RsaKeyPair mismatched = good;
    mismatched.serverExponent = generateKeyPair(64, 10).serverExponent;
    RsaKeyPair even = good;
    even.modulus = MulInt(good.modulus, fgFromUint64(2));
    RsaKeyPair tooLarge = good;
    tooLarge.clientExponent = good.modulus;
    RsaKeyPair zero = good;
    zero.serverExponent = fgFromUint64(0);
    RsaKeyPair incomplete = good;
    DestroyInt(incomplete.modulus);
    for (const RsaKeyPair* bad : {&mismatched, &even, &tooLarge, &zero, &incomplete})
        EXPECT_THROW(checkKeyPair(*bad), std::invalid_argument);
}
