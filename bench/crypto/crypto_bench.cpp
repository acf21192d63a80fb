// Modular exponentiation against GMP at the key size of encrypted accounts,
// and the cost of one packet through the RSA layer in both directions.
#include "rsablocks.h"
#include "tfgint.h"

#include <benchmark/benchmark.h>
#include <gmp.h>

#include <chrono>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

// A 240-bit pair made with kelvra-keygen --seed 7.
constexpr const char* modulusHex = "d4cc683e0705244cd96b1624c944f1b7861323f8f1321383cb2d82eafa75";
constexpr const char* clientExponentHex = "1df4ff36f162a5993918c7beb3e3bedda13557b5979382c96031322be111";
constexpr const char* serverExponentHex = "12f265b63b6b449c40549258f6743e35a981f4a4338911e3fa65f7d20019";

TFGInt fromMpz(const mpz_t x)
{
    std::vector<uint8_t> bytes((mpz_sizeinbase(x, 2) + 7) / 8 + 1);
    size_t count = 0;
    mpz_export(bytes.data(), &count, 1, 1, 1, 0, x);
    bytes.resize(count);
    return FromBytes(bytes);
}

TFGInt fromHex(const char* hex)
{
    mpz_t x;
    mpz_init_set_str(x, hex, 16);
    TFGInt result = fromMpz(x);
    mpz_clear(x);
    return result;
}

// The same operands for both sides: 16 bases below the modulus, the client
// exponent (full size), the key's modulus.
struct Operands {
    static constexpr int count = 16;
    mpz_t base[count], exponent, modulus, result;
    TFGInt fgBase[count], fgExponent, fgModulus;

    Operands()
    {
        gmp_randstate_t random;
        gmp_randinit_mt(random);
        gmp_randseed_ui(random, 240);
        mpz_init_set_str(modulus, modulusHex, 16);
        mpz_init_set_str(exponent, clientExponentHex, 16);
        mpz_init(result);
        for (int i = 0; i < count; ++i) {
            mpz_init(base[i]);
            mpz_urandomm(base[i], random, modulus);
            fgBase[i] = fromMpz(base[i]);
        }
        gmp_randclear(random);
        fgExponent = fromMpz(exponent);
        fgModulus = fromMpz(modulus);
        // Both must agree before their speeds are worth comparing.
        for (int i = 0; i < count; ++i) {
            mpz_powm(result, base[i], exponent, modulus);
            if (ModPow(fgBase[i], fgExponent, fgModulus) != fromMpz(result))
                throw std::logic_error("ModPow disagrees with mpz_powm");
        }
    }
    ~Operands()
    {
        for (mpz_t& b : base)
            mpz_clear(b);
        mpz_clear(exponent);
        mpz_clear(modulus);
        mpz_clear(result);
    }
};

Operands& operands()
{
    static Operands instance;
    return instance;
}

void BM_ModPow240(benchmark::State& state)
{
    Operands& op = operands();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ModPow(op.fgBase[i], op.fgExponent, op.fgModulus));
        i = (i + 1) % Operands::count;
    }
}
BENCHMARK(BM_ModPow240)->Unit(benchmark::kMicrosecond);

void BM_GmpPowm240(benchmark::State& state)
{
    Operands& op = operands();
    int i = 0;
    for (auto _ : state) {
        mpz_powm(op.result, op.base[i], op.exponent, op.modulus);
        benchmark::ClobberMemory();
        i = (i + 1) % Operands::count;
    }
}
BENCHMARK(BM_GmpPowm240)->Unit(benchmark::kMicrosecond);

// Both in one benchmark, interleaved so that machine noise hits both alike;
// the counter "ratio" is ModPow's time over mpz_powm's. Reported time: ModPow.
void BM_ModPow240VersusGmp(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    Operands& op = operands();
    double ours = 0;
    double gmp = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int i = 0; i < Operands::count; ++i)
            benchmark::DoNotOptimize(ModPow(op.fgBase[i], op.fgExponent, op.fgModulus));
        const auto t1 = Clock::now();
        for (int i = 0; i < Operands::count; ++i) {
            mpz_powm(op.result, op.base[i], op.exponent, op.modulus);
            benchmark::ClobberMemory();
        }
        const auto t2 = Clock::now();
        const double oursNow = std::chrono::duration<double>(t1 - t0).count();
        ours += oursNow;
        gmp += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(oursNow / Operands::count);
    }
    state.counters["ratio"] = gmp > 0 ? ours / gmp : 0;
    state.counters["gmp_us"] = gmp / static_cast<double>(state.iterations() * Operands::count) * 1e6;
}
BENCHMARK(BM_ModPow240VersusGmp)->UseManualTime()->Unit(benchmark::kMicrosecond);

// One 1505-byte plain text (a packet of about 1500 bytes from offset 5 on)
// encrypted with the client's exponent and decrypted with the server's.
void BM_RsaEncryptDecrypt1505(benchmark::State& state)
{
    const TFGInt modulus = fromHex(modulusHex);
    const TFGInt clientExponent = fromHex(clientExponentHex);
    const TFGInt serverExponent = fromHex(serverExponentHex);
    std::mt19937 rng(1505);
    std::vector<uint8_t> plain(1505);
    for (uint8_t& b : plain)
        b = static_cast<uint8_t>(rng());
    if (RsaDecrypt(RsaEncrypt(plain, clientExponent, modulus), serverExponent, modulus) != plain)
        throw std::logic_error("RSA round trip failed");
    for (auto _ : state) {
        const std::vector<uint8_t> cipher = RsaEncrypt(plain, clientExponent, modulus);
        benchmark::DoNotOptimize(RsaDecrypt(cipher, serverExponent, modulus));
    }
}
BENCHMARK(BM_RsaEncryptDecrypt1505)->Unit(benchmark::kMicrosecond);

} // namespace
