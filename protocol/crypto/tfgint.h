#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Arbitrary-precision integer of the RSA layer.
// Number[0] holds the digit count n (at least 1), Number[1..n] the magnitude
// in base 2^31, least significant digit first; the top digit is non-zero
// unless the value is 0. An empty Number means "no value".
// Every operation throws std::invalid_argument on a malformed or missing value
// instead of reading outside the digits.
struct TFGInt {
    uint8_t Sign = 1; // 0 negative, 1 positive (zero is positive)
    std::vector<int64_t> Number;

    bool hasValue() const { return !Number.empty(); }
    friend bool operator==(const TFGInt&, const TFGInt&) = default;
};

inline constexpr int fgDigitBits = 31;
inline constexpr int64_t fgDigitMask = (int64_t(1) << fgDigitBits) - 1;

// Leading "0"s dropped, packed from the right, 31 bits per digit; positive.
// Throws on a character other than '0' and '1'.
TFGInt FromBits(std::string_view bits);
// Magnitude as bits without leading zeros; "0" for zero.
std::string ToBits(const TFGInt& x);
// Every byte as its 8 bits, most significant first; nothing stripped.
std::string BytesToBits(std::span<const uint8_t> bytes);
// Left-padded with "0"s to a multiple of 8, then 8 bits per byte.
std::vector<uint8_t> BitsToBytes(std::string_view bits);
// Big-endian byte string as a non-negative number.
TFGInt FromBytes(std::span<const uint8_t> bytes);
// A key text in the 6-bit alphabet to bytes (characters outside it skipped).
std::vector<uint8_t> KeyTextToBytes(std::string_view text);

TFGInt CopyInt(const TFGInt& x);
void DestroyInt(TFGInt& x);

TFGInt MulInt(const TFGInt& a, const TFGInt& b);
TFGInt SquareInt(const TFGInt& a);
// Remainder in 0 .. m - 1 (also for a negative x); m must be positive.
TFGInt ModInt(const TFGInt& x, const TFGInt& m);
// base^exp mod modulus. The modulus must be odd and at least 3, the exponent
// non-negative; any base is reduced first.
TFGInt ModPow(const TFGInt& base, const TFGInt& exp, const TFGInt& modulus);

// Our own conveniences around the same representation.
TFGInt fgFromUint64(uint64_t value);
// Minimal big-endian bytes of the magnitude (one 0x00 byte for zero).
std::vector<uint8_t> fgToBytes(const TFGInt& x);
// Number of significant bits of the magnitude (0 for zero).
size_t fgBitLength(const TFGInt& x);
bool fgIsZero(const TFGInt& x);
// Compares magnitudes: negative, zero or positive like memcmp.
int fgCompareMagnitude(const TFGInt& a, const TFGInt& b);
