#include "gmpreference.h"
#include "tfgint.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

std::vector<int64_t> number(std::initializer_list<int64_t> slots)
{
    return std::vector<int64_t>(slots);
}

} // namespace

TEST(TFGIntConversions, ZeroHasOneDigitAndPrintsAsSingleZero)
{
    const TFGInt zero = FromBits("0000");
    EXPECT_EQ(zero.Number, number({1, 0}));
    EXPECT_EQ(zero.Sign, 1);
    EXPECT_EQ(ToBits(zero), "0");
    EXPECT_EQ(FromBits(""), zero);
    EXPECT_EQ(FromBytes({}), zero);
}

TEST(TFGIntConversions, ValuesPackFromTheRight31BitsPerDigit)
{
    // 2^31 needs a second digit: digits 0 and 1.
    const TFGInt twoTo31 = FromBits("1" + std::string(31, '0'));
    EXPECT_EQ(twoTo31.Number, number({2, 0, 1}));
    EXPECT_EQ(ToBits(twoTo31), "1" + std::string(31, '0'));
    // Leading zeros are dropped; 31 ones still fit one digit.
    EXPECT_EQ(FromBits("000" + std::string(31, '1')).Number, number({1, 0x7FFFFFFF}));
    EXPECT_EQ(FromBits("00101").Number, number({1, 5}));
}

TEST(TFGIntConversions, BitsToBytesPadsAtTheFront)
{
    EXPECT_EQ(BitsToBytes("1"), std::vector<uint8_t>{0x01});
    EXPECT_EQ(BitsToBytes("100000001"), (std::vector<uint8_t>{0x01, 0x01}));
    EXPECT_EQ(BitsToBytes(""), std::vector<uint8_t>{});
    EXPECT_EQ(BitsToBytes("0000000011111111"), (std::vector<uint8_t>{0x00, 0xFF}));
}

TEST(TFGIntConversions, BytesToBitsKeepsLeadingZeros)
{
    EXPECT_EQ(BytesToBits(std::vector<uint8_t>{0x01}), "00000001");
    EXPECT_EQ(BytesToBits(std::vector<uint8_t>{0x00, 0x80}), "0000000010000000");
    EXPECT_EQ(BytesToBits(std::vector<uint8_t>{}), "");
}

TEST(TFGIntConversions, FromBytesIsBigEndian)
{
    EXPECT_EQ(FromBytes(std::vector<uint8_t>{0x00, 0x01, 0x00}).Number, number({1, 256}));
    EXPECT_EQ(fgToBytes(FromBytes(std::vector<uint8_t>{0x00, 0x12, 0x34})), (std::vector<uint8_t>{0x12, 0x34}));
    EXPECT_EQ(fgToBytes(fgFromUint64(0)), std::vector<uint8_t>{0x00});
}

TEST(TFGIntConversions, KeyTextUsesTheSixBitAlphabet)
{
    // "=" is 63 and "y" 48: 111111 110000 -> one byte 0xFF, four bits dropped.
    EXPECT_EQ(KeyTextToBytes("=y"), std::vector<uint8_t>{0xFF});
    EXPECT_EQ(KeyTextToBytes("= y\n"), std::vector<uint8_t>{0xFF});
    EXPECT_EQ(KeyTextToBytes("a"), std::vector<uint8_t>{});
}

TEST(TFGIntConversions, RejectsCharactersOtherThanBits)
{
    EXPECT_THROW(FromBits("10a1"), std::invalid_argument);
    EXPECT_THROW(BitsToBytes("1 0"), std::invalid_argument);
}

TEST(TFGIntLifetime, CopyIsIndependentAndDestroyLeavesNoValue)
{
    TFGInt a = FromBits("1011");
    TFGInt b = CopyInt(a);
    DestroyInt(a);
    EXPECT_FALSE(a.hasValue());
    EXPECT_TRUE(a.Number.empty());
    EXPECT_EQ(ToBits(b), "1011");
}

TEST(TFGIntArithmetic, SignsOfProductsAndRemainders)
{
    const TFGInt seven = fgFromUint64(7);
    TFGInt minusSeven = seven;
    minusSeven.Sign = 0;
    const TFGInt five = fgFromUint64(5);

    EXPECT_EQ(MulInt(minusSeven, five).Sign, 0);
    EXPECT_EQ(MulInt(minusSeven, minusSeven).Sign, 1);
    // Zero is positive whatever the operands' signs.
    EXPECT_EQ(MulInt(minusSeven, fgFromUint64(0)).Sign, 1);
    // Remainders are in 0 .. m - 1 even for a negative value.
    EXPECT_EQ(ModInt(minusSeven, five), fgFromUint64(3));
    EXPECT_EQ(ModInt(minusSeven, seven), fgFromUint64(0));
    EXPECT_EQ(ModInt(seven, five), fgFromUint64(2));
}

TEST(TFGIntArithmetic, ModPowEdgeCases)
{
    const TFGInt m = fgFromUint64(1000003);
    const TFGInt big = fgFromUint64(123456789012345ull);
    EXPECT_EQ(ModPow(big, fgFromUint64(1), m), ModInt(big, m));
    EXPECT_EQ(ModPow(fgFromUint64(0), fgFromUint64(12345), m), fgFromUint64(0));
    EXPECT_EQ(ModPow(big, fgFromUint64(0), m), fgFromUint64(1));
    EXPECT_EQ(ModPow(fgFromUint64(0), fgFromUint64(0), m), fgFromUint64(1));
    EXPECT_EQ(ModPow(m, fgFromUint64(5), m), fgFromUint64(0));
    // Smallest allowed modulus.
    EXPECT_EQ(ModPow(fgFromUint64(5), fgFromUint64(3), fgFromUint64(3)), fgFromUint64(2));
    TFGInt minusTwo = fgFromUint64(2);
    minusTwo.Sign = 0;
    EXPECT_EQ(ModPow(minusTwo, fgFromUint64(3), fgFromUint64(11)), fgFromUint64(3)); // -8 mod 11
}

TEST(TFGIntArithmetic, DegenerateModuliAreRefused)
{
    const TFGInt base = fgFromUint64(5);
    const TFGInt exp = fgFromUint64(3);
    for (uint64_t m : {0, 1, 2, 1024}) {
        SCOPED_TRACE(m);
        EXPECT_THROW(ModPow(base, exp, fgFromUint64(m)), std::invalid_argument);
    }
    TFGInt negative = fgFromUint64(7);
    negative.Sign = 0;
    EXPECT_THROW(ModPow(base, exp, negative), std::invalid_argument);
    EXPECT_THROW(ModPow(base, negative, fgFromUint64(7)), std::invalid_argument);
    EXPECT_THROW(ModInt(base, fgFromUint64(0)), std::invalid_argument);
    EXPECT_THROW(ModInt(base, negative), std::invalid_argument);
}

TEST(TFGIntArithmetic, MalformedDigitArraysAreRefusedNotRead)
{
    const TFGInt good = fgFromUint64(9);
    TFGInt empty;
    TFGInt countTooLarge;
    countTooLarge.Number = number({5, 1});
    TFGInt countZero;
    countZero.Number = number({0});
    TFGInt digitTooLarge;
    digitTooLarge.Number = number({1, int64_t(1) << 31});
    TFGInt digitNegative;
    digitNegative.Number = number({1, -1});

    for (const TFGInt* bad : {&empty, &countTooLarge, &countZero, &digitTooLarge, &digitNegative}) {
        EXPECT_THROW(ToBits(*bad), std::invalid_argument);
        EXPECT_THROW(MulInt(good, *bad), std::invalid_argument);
        EXPECT_THROW(SquareInt(*bad), std::invalid_argument);
        EXPECT_THROW(ModInt(*bad, good), std::invalid_argument);
        EXPECT_THROW(ModPow(good, good, *bad), std::invalid_argument);
        EXPECT_THROW(ModPow(*bad, good, good), std::invalid_argument);
    }
    // Spare slots past the count and a zero top digit are tolerated.
    TFGInt loose;
    loose.Number = number({2, 3, 0, 77});
    EXPECT_EQ(ToBits(loose), "11");
}
