#include "keyrecord.h"

#include "rsablocks.h"
#include "sixbittext.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

TFGInt readKeyText(const TKeyRecord& key, size_t offset)
{
    const size_t length = std::min<size_t>(key[offset], keyTextCapacity);
    const std::string_view text(reinterpret_cast<const char*>(key.data() + offset + 1), length);
    return FromBytes(KeyTextToBytes(text));
}

void writeKeyText(TKeyRecord& key, size_t offset, const TFGInt& value, const char* what)
{
    if (!value.hasValue())
        throw std::invalid_argument(std::string("key ") + what + " has no value");
    const std::string text = EncodeSixBitText(fgToBytes(value));
    if (text.size() > keyTextCapacity)
        throw std::invalid_argument(std::string("key ") + what + " needs more than "
                                    + std::to_string(keyTextCapacity) + " characters (over "
                                    + std::to_string(keyMaxBits) + " bits)");
    key[offset] = static_cast<uint8_t>(text.size());
    std::copy(text.begin(), text.end(), key.begin() + static_cast<std::ptrdiff_t>(offset + 1));
}

} // namespace

bool KeyIsEmpty(const TKeyRecord& key)
{
    return key[keyExponentOffset] == 0;
}

bool KeyIsUsable(const TKeyRecord& key)
{
    return !KeyIsEmpty(key) && RsaKeyIsUsable(KeyExponent(key), KeyModulus(key));
}

TFGInt KeyExponent(const TKeyRecord& key)
{
    return readKeyText(key, keyExponentOffset);
}

TFGInt KeyModulus(const TKeyRecord& key)
{
    return readKeyText(key, keyModulusOffset);
}

TKeyRecord makeKeyRecord(const TFGInt& exponent, const TFGInt& modulus)
{
    TKeyRecord key{};
    writeKeyText(key, keyExponentOffset, exponent, "exponent");
    writeKeyText(key, keyModulusOffset, modulus, "modulus");
    return key;
}
