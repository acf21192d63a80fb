#include "tfgint.h"

#include "fgdigits.h"
#include "montgomery.h"
#include "sixbittext.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <string>

namespace fg {

Digits magnitude(const TFGInt& x, const char* what)
{
    if (x.Number.empty())
        throw std::invalid_argument(std::string(what) + ": integer has no value");
    const int64_t count = x.Number[0];
    if (count < 1 || static_cast<uint64_t>(count) > x.Number.size() - 1)
        throw std::invalid_argument(std::string(what) + ": integer has a bad digit count");
    Digits digits(static_cast<size_t>(count));
    for (size_t i = 0; i < digits.size(); ++i) {
        const int64_t digit = x.Number[i + 1];
        if (digit < 0 || digit > fgDigitMask)
            throw std::invalid_argument(std::string(what) + ": integer digit out of range");
        digits[i] = static_cast<uint32_t>(digit);
    }
    trim(digits);
    return digits;
}

bool isNegative(const TFGInt& x)
{
    return x.Sign == 0;
}

TFGInt fromDigits(Digits digits, bool negative)
{
    trim(digits);
    TFGInt result;
    result.Sign = (negative && !digits.empty()) ? 0 : 1;
    const size_t count = std::max<size_t>(digits.size(), 1);
    result.Number.assign(count + 1, 0);
    result.Number[0] = static_cast<int64_t>(count);
    for (size_t i = 0; i < digits.size(); ++i)
        result.Number[i + 1] = digits[i];
    return result;
}

void trim(Digits& d)
{
    while (!d.empty() && d.back() == 0)
        d.pop_back();
}

int compare(const Digits& a, const Digits& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

Digits multiply(const Digits& a, const Digits& b)
{
    if (a.empty() || b.empty())
        return {};
    // Each step stays below 2^62 + 2^32: (B-1)^2 + (B-1) + carry.
    std::vector<uint64_t> r(a.size() + b.size(), 0);
    for (size_t i = 0; i < a.size(); ++i) {
        uint64_t carry = 0;
        const uint64_t ai = a[i];
        for (size_t j = 0; j < b.size(); ++j) {
            const uint64_t t = ai * b[j] + r[i + j] + carry;
            r[i + j] = t & digitMask;
            carry = t >> fgDigitBits;
        }
        r[i + b.size()] = carry;
    }
    Digits out(r.begin(), r.end());
    trim(out);
    return out;
}

Digits square(const Digits& a)
{
    if (a.empty())
        return {};
    const size_t n = a.size();
    std::vector<uint64_t> r(2 * n, 0);
    // Cross products a[i]*a[j] for i < j, once.
    for (size_t i = 0; i < n; ++i) {
        uint64_t carry = 0;
        const uint64_t ai = a[i];
        for (size_t j = i + 1; j < n; ++j) {
            const uint64_t t = ai * a[j] + r[i + j] + carry;
            r[i + j] = t & digitMask;
            carry = t >> fgDigitBits;
        }
        r[i + n] = carry;
    }
    // Doubled, then the squares on the diagonal added.
    uint64_t shiftCarry = 0;
    for (size_t k = 0; k < 2 * n; ++k) {
        const uint64_t t = (r[k] << 1) | shiftCarry;
        r[k] = t & digitMask;
        shiftCarry = t >> fgDigitBits;
    }
    uint64_t carry = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t sq = uint64_t(a[i]) * a[i];
        uint64_t t = r[2 * i] + (sq & digitMask) + carry;
        r[2 * i] = t & digitMask;
        t = r[2 * i + 1] + (sq >> fgDigitBits) + (t >> fgDigitBits);
        r[2 * i + 1] = t & digitMask;
        carry = t >> fgDigitBits;
    }
    Digits out(r.begin(), r.end());
    trim(out);
    return out;
}

Digits remainder(const Digits& x, const Digits& m)
{
    if (m.empty())
        throw std::invalid_argument("ModInt: division by zero");
    if (compare(x, m) < 0)
        return x;
    const size_t n = m.size();
    if (n == 1) {
        uint64_t r = 0;
        for (size_t i = x.size(); i-- > 0;)
            r = ((r << fgDigitBits) | x[i]) % m[0];
        Digits out{static_cast<uint32_t>(r)};
        trim(out);
        return out;
    }

    // Long division (Knuth, algorithm D) in base 2^31, keeping only the
    // remainder. Normalise so that the divisor's top digit has bit 30 set.
    const int shift = std::countl_zero(m.back()) - 1;
    const size_t xs = x.size();
    std::vector<int64_t> vn(n);
    std::vector<int64_t> un(xs + 1);
    for (size_t i = n; i-- > 0;) {
        const uint64_t lower = (shift > 0 && i > 0) ? (uint64_t(m[i - 1]) >> (fgDigitBits - shift)) : 0;
        vn[i] = static_cast<int64_t>(((uint64_t(m[i]) << shift) & digitMask) | lower);
    }
    un[xs] = shift > 0 ? static_cast<int64_t>(uint64_t(x[xs - 1]) >> (fgDigitBits - shift)) : 0;
    for (size_t i = xs; i-- > 0;) {
        const uint64_t lower = (shift > 0 && i > 0) ? (uint64_t(x[i - 1]) >> (fgDigitBits - shift)) : 0;
        un[i] = static_cast<int64_t>(((uint64_t(x[i]) << shift) & digitMask) | lower);
    }

    const int64_t base = static_cast<int64_t>(digitBase);
    const int64_t vTop = vn[n - 1];
    const int64_t vNext = vn[n - 2];
    for (size_t j = xs - n + 1; j-- > 0;) {
        const int64_t num = un[j + n] * base + un[j + n - 1];
        int64_t qhat = num / vTop;
        int64_t rhat = num % vTop;
        while (qhat >= base || qhat * vNext > rhat * base + un[j + n - 2]) {
            --qhat;
            rhat += vTop;
            if (rhat >= base)
                break;
        }
        // un[j..j+n] -= qhat * vn; the shifts below are floor divisions.
        int64_t borrow = 0;
        for (size_t i = 0; i < n; ++i) {
            const int64_t p = qhat * vn[i];
            const int64_t t = un[i + j] - borrow - (p & static_cast<int64_t>(digitMask));
            un[i + j] = t & static_cast<int64_t>(digitMask);
            borrow = (p >> fgDigitBits) - (t >> fgDigitBits);
        }
        const int64_t top = un[j + n] - borrow;
        un[j + n] = top;
        if (top < 0) {
            // qhat was one too large: add the divisor back once.
            int64_t carry = 0;
            for (size_t i = 0; i < n; ++i) {
                const int64_t t = un[i + j] + vn[i] + carry;
                un[i + j] = t & static_cast<int64_t>(digitMask);
                carry = t >> fgDigitBits;
            }
            un[j + n] += carry;
        }
    }

    Digits out(n);
    for (size_t i = 0; i < n; ++i) {
        const uint64_t low = uint64_t(un[i]) >> shift;
        const uint64_t high = shift > 0 ? (uint64_t(un[i + 1]) << (fgDigitBits - shift)) & digitMask : 0;
        out[i] = static_cast<uint32_t>(low | high);
    }
    trim(out);
    return out;
}

} // namespace fg

namespace {

void checkBitText(std::string_view bits, const char* what)
{
    for (char c : bits) {
        if (c != '0' && c != '1')
            throw std::invalid_argument(std::string(what) + ": bit string holds a character other than 0 and 1");
    }
}

} // namespace

TFGInt FromBits(std::string_view bits)
{
    checkBitText(bits, "FromBits");
    const size_t first = bits.find('1');
    if (first == std::string_view::npos)
        return fg::fromDigits({});
    bits.remove_prefix(first);
    fg::Digits digits((bits.size() + fgDigitBits - 1) / fgDigitBits, 0);
    for (size_t k = 0; k < bits.size(); ++k) {
        if (bits[bits.size() - 1 - k] == '1')
            digits[k / fgDigitBits] |= uint32_t(1) << (k % fgDigitBits);
    }
    return fg::fromDigits(std::move(digits));
}

std::string ToBits(const TFGInt& x)
{
    const fg::Digits digits = fg::magnitude(x, "ToBits");
    if (digits.empty())
        return "0";
    std::string bits;
    bits.reserve(digits.size() * fgDigitBits);
    for (size_t i = digits.size(); i-- > 0;) {
        for (int b = fgDigitBits - 1; b >= 0; --b)
            bits.push_back(((digits[i] >> b) & 1) ? '1' : '0');
    }
    bits.erase(0, bits.find('1'));
    return bits;
}

std::string BytesToBits(std::span<const uint8_t> bytes)
{
    std::string bits;
    bits.reserve(bytes.size() * 8);
    for (uint8_t byte : bytes) {
        for (int b = 7; b >= 0; --b)
            bits.push_back(((byte >> b) & 1) ? '1' : '0');
    }
    return bits;
}

std::vector<uint8_t> BitsToBytes(std::string_view bits)
{
    checkBitText(bits, "BitsToBytes");
    std::vector<uint8_t> bytes((bits.size() + 7) / 8, 0);
    const size_t pad = bytes.size() * 8 - bits.size();
    for (size_t k = 0; k < bits.size(); ++k) {
        if (bits[k] == '1') {
            const size_t pos = k + pad;
            bytes[pos / 8] |= static_cast<uint8_t>(0x80 >> (pos % 8));
        }
    }
    return bytes;
}

TFGInt FromBytes(std::span<const uint8_t> bytes)
{
    return FromBits(BytesToBits(bytes));
}

std::vector<uint8_t> KeyTextToBytes(std::string_view text)
{
    return DecodeSixBitText(text);
}

TFGInt CopyInt(const TFGInt& x)
{
    return x;
}

void DestroyInt(TFGInt& x)
{
    x.Number.clear();
    x.Number.shrink_to_fit();
    x.Sign = 1;
}

TFGInt MulInt(const TFGInt& a, const TFGInt& b)
{
    const fg::Digits da = fg::magnitude(a, "MulInt");
    const fg::Digits db = fg::magnitude(b, "MulInt");
    return fg::fromDigits(fg::multiply(da, db), fg::isNegative(a) != fg::isNegative(b));
}

TFGInt SquareInt(const TFGInt& a)
{
    return fg::fromDigits(fg::square(fg::magnitude(a, "SquareInt")));
}

TFGInt ModInt(const TFGInt& x, const TFGInt& m)
{
    const fg::Digits dx = fg::magnitude(x, "ModInt");
    const fg::Digits dm = fg::magnitude(m, "ModInt modulus");
    if (dm.empty())
        throw std::invalid_argument("ModInt: modulus is zero");
    if (fg::isNegative(m))
        throw std::invalid_argument("ModInt: modulus is negative");
    fg::Digits r = fg::remainder(dx, dm);
    if (fg::isNegative(x) && !r.empty()) {
        // m - r, both magnitudes, r < m.
        fg::Digits diff(dm.size());
        int64_t borrow = 0;
        for (size_t i = 0; i < dm.size(); ++i) {
            int64_t t = int64_t(dm[i]) - (i < r.size() ? int64_t(r[i]) : 0) - borrow;
            borrow = t < 0 ? 1 : 0;
            if (t < 0)
                t += int64_t(fg::digitBase);
            diff[i] = static_cast<uint32_t>(t);
        }
        r = std::move(diff);
    }
    return fg::fromDigits(std::move(r));
}

TFGInt ModPow(const TFGInt& base, const TFGInt& exp, const TFGInt& modulus)
{
    const fg::Digits dm = fg::magnitude(modulus, "ModPow modulus");
    if (fg::isNegative(modulus) && !dm.empty())
        throw std::invalid_argument("ModPow: modulus is negative");
    const MontgomeryContext context = [&] {
        try {
            return MontgomeryContext(limbsFromDigits(dm)); // rejects 0, 1 and even moduli
        } catch (const std::invalid_argument& error) {
            throw std::invalid_argument(std::string("ModPow: ") + error.what());
        }
    }();
    const fg::Digits de = fg::magnitude(exp, "ModPow exponent");
    if (fg::isNegative(exp) && !de.empty())
        throw std::invalid_argument("ModPow: exponent is negative");
    const TFGInt reduced = ModInt(base, modulus);
    const Limbs result = context.power(limbsFromDigits(fg::magnitude(reduced, "ModPow")), limbsFromDigits(de));
    return fg::fromDigits(digitsFromLimbs(result));
}

TFGInt fgFromUint64(uint64_t value)
{
    fg::Digits digits;
    while (value != 0) {
        digits.push_back(static_cast<uint32_t>(value & fg::digitMask));
        value >>= fgDigitBits;
    }
    return fg::fromDigits(std::move(digits));
}

std::vector<uint8_t> fgToBytes(const TFGInt& x)
{
    return BitsToBytes(ToBits(x));
}

size_t fgBitLength(const TFGInt& x)
{
    const fg::Digits digits = fg::magnitude(x, "fgBitLength");
    if (digits.empty())
        return 0;
    return (digits.size() - 1) * fgDigitBits + static_cast<size_t>(std::bit_width(digits.back()));
}

bool fgIsZero(const TFGInt& x)
{
    return fg::magnitude(x, "fgIsZero").empty();
}

int fgCompareMagnitude(const TFGInt& a, const TFGInt& b)
{
    return fg::compare(fg::magnitude(a, "fgCompareMagnitude"), fg::magnitude(b, "fgCompareMagnitude"));
}
