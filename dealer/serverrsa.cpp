#include "serverrsa.h"

#include <stdexcept>
#include <string>

#include "gmpbridge.h"

struct ServerRsa::Numbers {
    Mpz modulus;
    Mpz exponent;
};

namespace {

void importBytes(mpz_ptr out, const std::vector<uint8_t> &bytes)
{
    if (bytes.empty())
        mpz_set_ui(out, 0);
    else
        mpz_import(out, bytes.size(), 1, 1, 1, 0, bytes.data());
}

// Minimal big-endian bytes; a single 0x00 for zero.
std::vector<uint8_t> exportBytes(mpz_srcptr x)
{
    std::vector<uint8_t> out((mpz_sizeinbase(x, 2) + 7) / 8 + 1);
    size_t count = 0;
    mpz_export(out.data(), &count, 1, 1, 1, 0, x);
    if (count == 0)
        return {0};
    out.resize(count);
    return out;
}

} // namespace

ServerRsa::ServerRsa(const RsaKeyPair &pair) : n(std::make_unique<Numbers>())
{
    toMpz(n->modulus.get(), pair.modulus);
    toMpz(n->exponent.get(), pair.serverExponent);
    if (mpz_cmp_ui(n->modulus.get(), 3) < 0 || mpz_even_p(n->modulus.get()) || mpz_sgn(n->exponent.get()) <= 0)
        throw std::invalid_argument("unusable server key");
    bits = mpz_sizeinbase(n->modulus.get(), 2);
}

ServerRsa::~ServerRsa() = default;

std::vector<uint8_t> ServerRsa::encrypt(const std::vector<uint8_t> &plain) const
{
    const size_t in = bits - 1;
    Mpz value, block, result, out, mask;
    importBytes(value.get(), plain);
    // The marker "111" above the plain bits keeps leading zero bytes.
    Mpz marker;
    mpz_set_ui(marker.get(), 7);
    mpz_mul_2exp(marker.get(), marker.get(), plain.size() * 8);
    mpz_ior(value.get(), value.get(), marker.get());
    const size_t total = plain.size() * 8 + 3;
    const size_t blocks = (total + in - 1) / in;
    // Blocks from the most significant end; the padding is leading zeros.
    for (size_t k = blocks; k-- > 0;) {
        mpz_tdiv_q_2exp(block.get(), value.get(), k * in);
        mpz_fdiv_r_2exp(block.get(), block.get(), in);
        if (mpz_sgn(block.get()) == 0)
            mpz_set_ui(result.get(), 0);
        else
            mpz_powm(result.get(), block.get(), n->exponent.get(), n->modulus.get());
        mpz_mul_2exp(out.get(), out.get(), bits);
        mpz_ior(out.get(), out.get(), result.get());
    }
    return exportBytes(out.get());
}

std::vector<uint8_t> ServerRsa::decrypt(const std::vector<uint8_t> &cipher) const
{
    const size_t in = bits - 1;
    Mpz value, block, result, out;
    importBytes(value.get(), cipher);
    const size_t total = mpz_sgn(value.get()) == 0 ? 1 : mpz_sizeinbase(value.get(), 2);
    const size_t blocks = (total + bits - 1) / bits;
    for (size_t k = blocks; k-- > 0;) {
        mpz_tdiv_q_2exp(block.get(), value.get(), k * bits);
        mpz_fdiv_r_2exp(block.get(), block.get(), bits);
        if (mpz_sgn(block.get()) == 0)
            mpz_set_ui(result.get(), 0);
        else
            mpz_powm(result.get(), block.get(), n->exponent.get(), n->modulus.get());
        // A block at or above 2^(bits-1) cannot come from a sound ciphertext;
        // it is cut to its width like any other garbage.
        mpz_fdiv_r_2exp(result.get(), result.get(), in);
        mpz_mul_2exp(out.get(), out.get(), in);
        mpz_ior(out.get(), out.get(), result.get());
    }
    // Everything before the first "111" is padding (or garbage under a wrong key).
    if (mpz_sgn(out.get()) == 0)
        return {};
    const size_t width = mpz_sizeinbase(out.get(), 2);
    std::string text(width, '0');
    for (size_t i = 0; i < width; ++i)
        text[i] = mpz_tstbit(out.get(), width - 1 - i) ? '1' : '0';
    const size_t marker = text.find("111");
    if (marker == std::string::npos)
        return {};
    const std::string rest = text.substr(marker + 3);
    const size_t pad = (8 - rest.size() % 8) % 8;
    const std::string bitsText = std::string(pad, '0') + rest;
    std::vector<uint8_t> bytes(bitsText.size() / 8);
    for (size_t i = 0; i < bytes.size(); ++i) {
        uint8_t b = 0;
        for (size_t j = 0; j < 8; ++j)
            b = uint8_t((b << 1) | (bitsText[i * 8 + j] == '1'));
        bytes[i] = b;
    }
    return bytes;
}

size_t ServerRsa::maxCipherBytes(size_t plainBytes) const
{
    const size_t blocks = (plainBytes * 8 + 3 + bits - 2) / (bits - 1);
    return (blocks * bits + 7) / 8;
}
