#include "sixbittext.h"

#include <array>

namespace {

constexpr std::array<int8_t, 256> makeValueTable()
{
    std::array<int8_t, 256> table{};
    table.fill(-1);
    for (size_t i = 0; i < sixBitAlphabet.size(); ++i)
        table[static_cast<unsigned char>(sixBitAlphabet[i])] = static_cast<int8_t>(i);
    return table;
}

constexpr std::array<int8_t, 256> valueTable = makeValueTable();

} // namespace

int sixBitValue(char c)
{
    return valueTable[static_cast<unsigned char>(c)];
}

std::string EncodeSixBitText(const std::vector<uint8_t>& bytes)
{
    std::string text;
    text.reserve((bytes.size() * 8 + 5) / 6);
    uint32_t acc = 0;
    int accBits = 0;
    for (uint8_t byte : bytes) {
        acc = (acc << 8) | byte;
        accBits += 8;
        while (accBits >= 6) {
            accBits -= 6;
            text.push_back(sixBitAlphabet[(acc >> accBits) & 0x3F]);
        }
        acc &= (1u << accBits) - 1;
    }
    if (accBits > 0)
        text.push_back(sixBitAlphabet[(acc << (6 - accBits)) & 0x3F]);
    return text;
}

std::vector<uint8_t> DecodeSixBitText(std::string_view text)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 6 / 8);
    uint32_t acc = 0;
    int accBits = 0;
    for (char c : text) {
        const int value = sixBitValue(c);
        if (value < 0)
            continue;
        acc = (acc << 6) | static_cast<uint32_t>(value);
        accBits += 6;
        if (accBits >= 8) {
            accBits -= 8;
            bytes.push_back(static_cast<uint8_t>(acc >> accBits));
        }
        acc &= (1u << accBits) - 1;
    }
    return bytes;
}
