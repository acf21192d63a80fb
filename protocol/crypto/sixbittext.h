#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The program's 6-bit text encoding: binary images stored as text in the INI
// file and in key files. One alphabet for every reader and writer.
inline constexpr std::string_view sixBitAlphabet =
    "aAbBcCdDeEfFgGhHiIjJkKlLmMnNoOpPqQrRsStTuUvVwWxXyYzZ0123456789+=";

static_assert(sixBitAlphabet.size() == 64);

// Bytes to text: 8 bits per byte, most significant first, padded at the end
// with zero bits to a multiple of 6; each 6 bits pick one character.
std::string EncodeSixBitText(const std::vector<uint8_t>& bytes);

// Text to bytes: characters outside the alphabet are skipped; every complete
// group of 8 bits becomes one byte, a last incomplete group is dropped.
std::vector<uint8_t> DecodeSixBitText(std::string_view text);

// Position of a character in the alphabet, or -1 when it is not part of it.
int sixBitValue(char c);
