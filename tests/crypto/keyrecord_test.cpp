#include "keyrecord.h"
#include "sixbittext.h"
#include "testkeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

void putText(TKeyRecord& key, size_t offset, const std::string& text, uint8_t lengthByte)
{
    key[offset] = lengthByte;
    std::copy(text.begin(), text.end(), key.begin() + static_cast<std::ptrdiff_t>(offset + 1));
}

} // namespace

TEST(KeyRecord, FirstByteZeroMeansNoKey)
{
    TKeyRecord key{};
    EXPECT_TRUE(KeyIsEmpty(key));
    EXPECT_TRUE(fgIsZero(KeyExponent(key)));
    EXPECT_TRUE(fgIsZero(KeyModulus(key)));
    key[keyModulusOffset] = 4; // a modulus text alone does not make a key
    EXPECT_TRUE(KeyIsEmpty(key));
    key[0] = 1;
    EXPECT_FALSE(KeyIsEmpty(key));
}

TEST(KeyRecord, TextsAreBigEndianNumbersInTheSixBitAlphabet)
{
    TKeyRecord key{};
    // "=y" decodes to the single byte 0xFF.
    putText(key, keyExponentOffset, "=y", 2);
    putText(key, keyModulusOffset, EncodeSixBitText({0x01, 0x00, 0x01}), 4);
    EXPECT_EQ(KeyExponent(key), fgFromUint64(255));
    EXPECT_EQ(KeyModulus(key), fgFromUint64(65537));
}

TEST(KeyRecord, LengthAboveCapacityStopsAtTheField)
{
    TKeyRecord key{};
    // Exponent: 40 characters of "=" then a length byte claiming 255; the
    // modulus field behind it must not be read as part of the exponent.
    putText(key, keyExponentOffset, std::string(40, '='), 255);
    putText(key, keyModulusOffset, std::string(40, '='), 200);
    const TFGInt allOnes = FromBits(std::string(240, '1'));
    EXPECT_EQ(KeyExponent(key), allOnes);
    EXPECT_EQ(KeyModulus(key), allOnes);
}

TEST(KeyRecord, MakeAndReadBack)
{
    const FixedKey fixed;
    const TKeyRecord key = makeKeyRecord(fixed.clientExponent, fixed.modulus);
    EXPECT_FALSE(KeyIsEmpty(key));
    EXPECT_EQ(key[keyExponentOffset], 40);
    EXPECT_EQ(key[keyModulusOffset], 40);
    EXPECT_EQ(KeyExponent(key), fixed.clientExponent);
    EXPECT_EQ(KeyModulus(key), fixed.modulus);

    const TKeyRecord small = makeKeyRecord(fgFromUint64(17), fgFromUint64(3233));
    EXPECT_EQ(small[0], 2);
    EXPECT_TRUE(std::all_of(small.begin() + 3, small.begin() + 41, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(KeyExponent(small), fgFromUint64(17));
    EXPECT_EQ(KeyModulus(small), fgFromUint64(3233));
}

TEST(KeyRecord, ValuesOver240BitsDoNotFit)
{
    const TFGInt tooBig = FromBits("1" + std::string(240, '0'));
    EXPECT_THROW(makeKeyRecord(fgFromUint64(3), tooBig), std::invalid_argument);
    EXPECT_THROW(makeKeyRecord(tooBig, fgFromUint64(3233)), std::invalid_argument);
    EXPECT_THROW(makeKeyRecord(TFGInt{}, fgFromUint64(3233)), std::invalid_argument);
    EXPECT_NO_THROW(makeKeyRecord(fgFromUint64(3), FromBits(std::string(240, '1'))));
}

TEST(KeyRecord, UsableOnlyWithAnOddModulusAboveOne)
{
    const FixedKey fixed;
    EXPECT_TRUE(KeyIsUsable(makeKeyRecord(fixed.clientExponent, fixed.modulus)));
    EXPECT_TRUE(KeyIsUsable(makeKeyRecord(fgFromUint64(17), fgFromUint64(3))));
    EXPECT_FALSE(KeyIsUsable(TKeyRecord{}));
    for (uint64_t modulus : {0, 1, 2, 3234})
        EXPECT_FALSE(KeyIsUsable(makeKeyRecord(fgFromUint64(17), fgFromUint64(modulus)))) << modulus;
    TKeyRecord exponentOnly{};
    putText(exponentOnly, keyExponentOffset, "=y", 2);
    EXPECT_FALSE(KeyIsUsable(exponentOnly));
}
