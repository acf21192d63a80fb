#pragma once

// Internal: the unsigned magnitude of a TFGInt as a plain digit vector, so the
// arithmetic does not carry the count slot around.

#include "tfgint.h"

#include <cstdint>
#include <vector>

namespace fg {

// Base-2^31 digits, least significant first, no zero top digit; empty is 0.
using Digits = std::vector<uint32_t>;

inline constexpr uint64_t digitBase = uint64_t(1) << fgDigitBits;
inline constexpr uint32_t digitMask = static_cast<uint32_t>(digitBase - 1);

// Validated magnitude of x; throws std::invalid_argument for "no value" or a
// malformed digit array. `what` names the operand in the message.
Digits magnitude(const TFGInt& x, const char* what);
bool isNegative(const TFGInt& x);
TFGInt fromDigits(Digits digits, bool negative = false);

void trim(Digits& d);
int compare(const Digits& a, const Digits& b);
Digits multiply(const Digits& a, const Digits& b);
Digits square(const Digits& a);
// Remainder of x by a non-zero m.
Digits remainder(const Digits& x, const Digits& m);

} // namespace fg
