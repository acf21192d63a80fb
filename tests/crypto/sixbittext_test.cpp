#include "sixbittext.h"

#include <gtest/gtest.h>

#include <random>

using Bytes = std::vector<uint8_t>;

TEST(SixBitText, AlphabetOrder)
{
    EXPECT_EQ(sixBitAlphabet.substr(0, 6), "aAbBcC");
    EXPECT_EQ(sixBitAlphabet[48], 'y');
    EXPECT_EQ(sixBitAlphabet[51], 'Z');
    EXPECT_EQ(sixBitAlphabet.substr(52, 10), "0123456789");
    EXPECT_EQ(sixBitAlphabet[62], '+');
    EXPECT_EQ(sixBitAlphabet[63], '=');
    for (size_t i = 0; i < sixBitAlphabet.size(); ++i)
        EXPECT_EQ(sixBitValue(sixBitAlphabet[i]), static_cast<int>(i)) << i;
    EXPECT_EQ(sixBitValue('/'), -1);
    EXPECT_EQ(sixBitValue('\xFF'), -1);
}

TEST(SixBitText, StoredValueExamples)
{
    EXPECT_EQ(EncodeSixBitText(Bytes{0x00, 0x00, 0x00}), "aaaa");
    // 0xFF: 111111 then 11 + four padding zeros (48).
    EXPECT_EQ(EncodeSixBitText(Bytes{0xFF}), "=y");
    EXPECT_EQ(DecodeSixBitText("=y"), Bytes{0xFF});
    EXPECT_EQ(DecodeSixBitText("aaaa"), (Bytes{0x00, 0x00, 0x00}));
    EXPECT_EQ(EncodeSixBitText(Bytes{}), "");
    EXPECT_EQ(DecodeSixBitText(""), Bytes{});
    // 0xFB 0xEF: 111110 111110 1111(00) -> values 62 62 60.
    EXPECT_EQ(EncodeSixBitText(Bytes{0xFB, 0xEF}), "++8");
}

TEST(SixBitText, ForeignCharactersAreSkipped)
{
    EXPECT_EQ(DecodeSixBitText("= \r\ny"), Bytes{0xFF});
    EXPECT_EQ(DecodeSixBitText("a-a/a*a"), (Bytes{0x00, 0x00, 0x00}));
    EXPECT_EQ(DecodeSixBitText("!@#$%"), Bytes{});
    // A lone character is fewer than 8 bits: nothing.
    EXPECT_EQ(DecodeSixBitText("="), Bytes{});
}

TEST(SixBitText, RoundTripsEveryLength)
{
    std::mt19937 rng(5);
    for (size_t length = 0; length < 200; ++length) {
        Bytes bytes(length);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(rng());
        const std::string text = EncodeSixBitText(bytes);
        ASSERT_EQ(text.size(), (length * 8 + 5) / 6);
        ASSERT_EQ(DecodeSixBitText(text), bytes) << length;
    }
}
