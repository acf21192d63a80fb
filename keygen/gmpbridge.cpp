#include "gmpbridge.h"

#include <vector>

void toMpz(mpz_ptr out, const TFGInt& x)
{
    const std::vector<uint8_t> bytes = fgToBytes(x);
    mpz_import(out, bytes.size(), 1, 1, 1, 0, bytes.data());
    if (x.Sign == 0)
        mpz_neg(out, out);
}

TFGInt fromMpz(mpz_srcptr x)
{
    std::vector<uint8_t> bytes((mpz_sizeinbase(x, 2) + 7) / 8 + 1);
    size_t count = 0;
    mpz_export(bytes.data(), &count, 1, 1, 1, 0, x);
    bytes.resize(count);
    TFGInt result = FromBytes(bytes);
    if (mpz_sgn(x) < 0)
        result.Sign = 0;
    return result;
}
