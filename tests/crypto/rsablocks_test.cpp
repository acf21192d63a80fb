#include "mustbeencrypted.h"
#include "rsablocks.h"
#include "testkeys.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using Bytes = std::vector<uint8_t>;

namespace {

// The textbook pair 61 * 53 = 3233 with 17 * 2753 = 1 mod lcm(60, 52).
const TFGInt smallModulus = fgFromUint64(3233);
const TFGInt smallE = fgFromUint64(17);
const TFGInt smallD = fgFromUint64(2753);

Bytes randomBytes(size_t n, std::mt19937& rng)
{
    Bytes b(n);
    for (uint8_t& x : b)
        x = static_cast<uint8_t>(rng());
    return b;
}

} // namespace

TEST(RsaBlocks, KnownCiphertextsOfASmallKey)
{
    // 12-bit modulus: plain bits in blocks of 11, cipher blocks of 12.
    EXPECT_EQ(RsaEncrypt(Bytes{}, smallE, smallModulus), (Bytes{0x09, 0x41}));
    EXPECT_EQ(RsaEncrypt(Bytes{0x00}, smallE, smallModulus), (Bytes{0x04, 0x9F}));
    EXPECT_EQ(RsaEncrypt(Bytes{0x00, 0x01}, smallE, smallModulus), (Bytes{0x83, 0x50, 0x01}));
    EXPECT_EQ(RsaEncrypt(Bytes{'K', 'e', 'l', 'v', 'r', 'a'}, smallE, smallModulus),
              (Bytes{0x03, 0x74, 0x61, 0x35, 0x85, 0x22, 0x27, 0x62}));
    EXPECT_EQ(RsaDecrypt(Bytes{0x83, 0x50, 0x01}, smallD, smallModulus), (Bytes{0x00, 0x01}));
}

TEST(RsaBlocks, EmptyAndLeadingZeroPlainTextsSurvive)
{
    const FixedKey key;
    const Bytes cases[] = {{}, {0x00}, {0x00, 0x00, 0x00}, {0x00, 0x00, 0x01, 0xFF}, Bytes(64, 0x00), {0x80}};
    for (const Bytes& plain : cases) {
        const Bytes up = RsaEncrypt(plain, key.clientExponent, key.modulus);
        EXPECT_EQ(RsaDecrypt(up, key.serverExponent, key.modulus), plain);
        const Bytes down = RsaEncrypt(plain, key.serverExponent, key.modulus);
        EXPECT_EQ(RsaDecrypt(down, key.clientExponent, key.modulus), plain);
        EXPECT_EQ(RsaDecrypt(RsaEncrypt(plain, smallE, smallModulus), smallD, smallModulus), plain);
    }
    // The empty text is the encryption of the marker alone.
    EXPECT_EQ(RsaEncrypt(Bytes{}, key.clientExponent, key.modulus).size(),
              (fgBitLength(ModPow(fgFromUint64(7), key.clientExponent, key.modulus)) + 7) / 8);
}

TEST(RsaBlocks, RandomPacketsRoundTrip)
{
    const FixedKey key;
    std::mt19937 rng(6);
    for (int i = 0; i < 40; ++i) {
        const Bytes plain = randomBytes(i == 0 ? 1505 : rng() % 1506, rng);
        const Bytes cipher = RsaEncrypt(plain, key.clientExponent, key.modulus);
        ASSERT_NE(cipher, plain);
        ASSERT_EQ(RsaDecrypt(cipher, key.serverExponent, key.modulus), plain) << plain.size();
    }
}

TEST(RsaBlocks, WrongKeyGivesGarbageWithoutFailing)
{
    const FixedKey key;
    std::mt19937 rng(7);
    for (int i = 0; i < 30; ++i) {
        const Bytes plain = randomBytes(1 + rng() % 300, rng);
        const Bytes cipher = RsaEncrypt(plain, key.clientExponent, key.modulus);
        // The same exponent again, and a foreign small key, do not undo it.
        EXPECT_NE(RsaDecrypt(cipher, key.clientExponent, key.modulus), plain);
        EXPECT_NO_THROW(RsaDecrypt(cipher, smallD, smallModulus));
        // Arbitrary bytes, including blocks at or above the modulus.
        EXPECT_NO_THROW(RsaDecrypt(randomBytes(rng() % 200, rng), key.serverExponent, key.modulus));
    }
    EXPECT_NO_THROW(RsaDecrypt(Bytes(100, 0xFF), key.serverExponent, key.modulus));
    EXPECT_EQ(RsaDecrypt(Bytes{}, key.serverExponent, key.modulus), Bytes{});
    EXPECT_EQ(RsaDecrypt(Bytes(10, 0x00), key.serverExponent, key.modulus), Bytes{});
}

TEST(RsaBlocks, DegenerateKeysAreRefused)
{
    const Bytes plain{1, 2, 3};
    const TFGInt e = fgFromUint64(3);
    TFGInt missing;
    TFGInt negative = fgFromUint64(3233);
    negative.Sign = 0;
    for (uint64_t m : {0, 1, 2, 4096}) {
        SCOPED_TRACE(m);
        EXPECT_THROW(RsaEncrypt(plain, e, fgFromUint64(m)), std::invalid_argument);
        EXPECT_THROW(RsaDecrypt(plain, e, fgFromUint64(m)), std::invalid_argument);
    }
    try {
        RsaEncrypt(plain, e, fgFromUint64(4096));
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "RsaEncrypt: modulus is even (Montgomery arithmetic needs an odd modulus)");
    }
    EXPECT_THROW(RsaEncrypt(plain, e, missing), std::invalid_argument);
    EXPECT_THROW(RsaEncrypt(plain, missing, smallModulus), std::invalid_argument);
    EXPECT_THROW(RsaDecrypt(plain, e, negative), std::invalid_argument);
    EXPECT_THROW(RsaDecrypt(plain, negative, smallModulus), std::invalid_argument);
    // The smallest usable modulus works, one bit per block.
    EXPECT_EQ(RsaDecrypt(RsaEncrypt(plain, fgFromUint64(1), fgFromUint64(3)), fgFromUint64(1), fgFromUint64(3)),
              plain);
    // A zero exponent is useless but harmless.
    EXPECT_NO_THROW(RsaDecrypt(RsaEncrypt(plain, fgFromUint64(0), smallModulus), fgFromUint64(0), smallModulus));
}

TEST(MustBeEncrypted, ClientCommandsAndServerPackets)
{
    // Every command the client builds carries bit 2.
    for (uint8_t code : {101, 102, 109, 115, 121, 127, 129})
        EXPECT_TRUE(MustBeEncrypted(code, true)) << int(code);
    for (uint8_t code : {113, 117, 124, 125, 135, 141, 130, 103, 104, 0, 255})
        EXPECT_FALSE(MustBeEncrypted(code, true)) << int(code);
    // Packets without bit 2: the trade codes and 102 only.
    for (uint8_t code : {102, 113, 117, 124, 125, 135, 141})
        EXPECT_TRUE(MustBeEncrypted(code, false)) << int(code);
    for (uint8_t code : {101, 109, 115, 121, 127, 129, 130, 104})
        EXPECT_FALSE(MustBeEncrypted(code, false)) << int(code);
}
