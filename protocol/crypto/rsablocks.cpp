#include "rsablocks.h"

#include "fgdigits.h"
#include "montgomery.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace {

struct KeyParts {
    MontgomeryContext context;
    Limbs exponent;
};

KeyParts prepareKey(const TFGInt& exponent, const TFGInt& modulus, const char* what)
{
    const std::string prefix = std::string(what) + ": ";
    fg::Digits m;
    fg::Digits e;
    try {
        m = fg::magnitude(modulus, "modulus");
        e = fg::magnitude(exponent, "exponent");
    } catch (const std::invalid_argument& error) {
        throw std::invalid_argument(prefix + error.what());
    }
    if (fg::isNegative(modulus) && !m.empty())
        throw std::invalid_argument(prefix + "modulus is negative");
    if (fg::isNegative(exponent) && !e.empty())
        throw std::invalid_argument(prefix + "exponent is negative");
    try {
        return KeyParts{MontgomeryContext(limbsFromDigits(m)), limbsFromDigits(e)};
    } catch (const std::invalid_argument& error) {
        throw std::invalid_argument(prefix + error.what());
    }
}

void padFrontToMultiple(std::string& bits, size_t unit)
{
    const size_t rest = bits.size() % unit;
    if (rest != 0)
        bits.insert(0, unit - rest, '0');
}

// Raises every block of `blockBits` bits and appends each result, left-padded
// to a multiple of `outBits`, to the returned bit string.
std::string transformBlocks(const std::string& bits, size_t blockBits, size_t outBits, const KeyParts& key)
{
    std::string out;
    out.reserve(bits.size() / blockBits * outBits + outBits);
    std::string piece;
    for (size_t pos = 0; pos < bits.size(); pos += blockBits) {
        const std::string_view block = std::string_view(bits).substr(pos, blockBits);
        const Limbs value = limbsFromBits(block);
        piece = value.empty() ? std::string("0") : bitsFromLimbs(key.context.power(value, key.exponent));
        padFrontToMultiple(piece, outBits);
        out += piece;
    }
    return out;
}

} // namespace

bool RsaKeyIsUsable(const TFGInt& exponent, const TFGInt& modulus)
{
    try {
        prepareKey(exponent, modulus, "RsaKeyIsUsable");
        return true;
    } catch (const std::invalid_argument&) {
        return false;
    }
}

std::vector<uint8_t> RsaEncrypt(const std::vector<uint8_t>& plain, const TFGInt& exponent, const TFGInt& modulus)
{
    const KeyParts key = prepareKey(exponent, modulus, "RsaEncrypt");
    const size_t modBits = key.context.modulusBits(); // at least 2: the modulus is odd and above 1

    std::string bits = "111"; // the marker keeps leading zero bytes
    bits += BytesToBits(plain);
    padFrontToMultiple(bits, modBits - 1);
    std::string out = transformBlocks(bits, modBits - 1, modBits, key);

    const size_t firstOne = out.find('1');
    out.erase(0, firstOne == std::string::npos ? out.size() - 1 : firstOne);
    return BitsToBytes(out);
}

std::vector<uint8_t> RsaDecrypt(const std::vector<uint8_t>& cipher, const TFGInt& exponent, const TFGInt& modulus)
{
    const KeyParts key = prepareKey(exponent, modulus, "RsaDecrypt");
    const size_t modBits = key.context.modulusBits();

    std::string bits = BytesToBits(cipher);
    const size_t firstOne = bits.find('1');
    bits.erase(0, firstOne == std::string::npos ? bits.size() : firstOne);
    padFrontToMultiple(bits, modBits);
    const std::string out = transformBlocks(bits, modBits, modBits - 1, key);

    // Everything before the marker is padding (or garbage under a wrong key).
    const size_t marker = out.find("111");
    if (marker == std::string::npos)
        return {};
    return BitsToBytes(std::string_view(out).substr(marker + 3));
}
