// The 6-bit text and the records it carries in the INI file and in key
// files: the input as a text decoded, and as bytes encoded. Decoding what
// was encoded gives the bytes back, and a stored login or instrument image
// read and written again is stable from the first rewrite on.
#include <cstdlib>

#include "clientlists.h"
#include "fuzzsupport.h"
#include "sixbittext.h"
#include "storedlogins.h"
#include "tfgint.h"

namespace {

void checkRecords(const std::vector<uint8_t> &bytes)
{
    if (auto login = TLoginRecord::FromBytes(bytes)) {
        const auto once = login->ToBytes();
        const auto twice = TLoginRecord::FromBytes(once)->ToBytes();
        if (once != twice)
            std::abort();
    }
    if (bytes.size() == TUserCurrency::ImageSize) {
        TListCurrency list;
        TUserCurrency first(&list), second(&list);
        first.LoadImage(bytes);
        const auto once = first.SaveImage();
        second.LoadImage(once);
        if (second.SaveImage() != once)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::vector<uint8_t> decoded = DecodeSixBitText(text);
    if (DecodeSixBitText(EncodeSixBitText(decoded)) != decoded)
        std::abort();
    checkRecords(decoded);
    FromBytes(KeyTextToBytes(text));

    const std::vector<uint8_t> raw(data, data + size);
    const std::string encoded = EncodeSixBitText(raw);
    if (DecodeSixBitText(encoded) != raw)
        std::abort();
    return 0;
}
