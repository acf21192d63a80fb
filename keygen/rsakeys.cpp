#include "rsakeys.h"

#include "gmpbridge.h"

#include <random>
#include <stdexcept>
#include <string>

namespace {

class RandomState {
public:
    explicit RandomState(std::optional<uint64_t> seed)
    {
        gmp_randinit_mt(m_state);
        if (seed) {
            gmp_randseed_ui(m_state, static_cast<unsigned long>(*seed));
            return;
        }
        std::random_device device;
        Mpz entropy;
        for (int i = 0; i < 8; ++i) {
            mpz_mul_2exp(entropy.get(), entropy.get(), 32);
            mpz_add_ui(entropy.get(), entropy.get(), device());
        }
        gmp_randseed(m_state, entropy.get());
    }
    ~RandomState() { gmp_randclear(m_state); }
    RandomState(const RandomState&) = delete;
    RandomState& operator=(const RandomState&) = delete;

    gmp_randstate_t& get() { return m_state; }

private:
    gmp_randstate_t m_state;
};

// A prime of exactly `bits` bits whose two top bits are set, so that the
// product of two such primes has exactly the sum of their sizes.
void randomPrime(mpz_ptr p, int bits, RandomState& random)
{
    for (;;) {
        mpz_urandomb(p, random.get(), static_cast<mp_bitcnt_t>(bits));
        mpz_setbit(p, static_cast<mp_bitcnt_t>(bits - 1));
        mpz_setbit(p, static_cast<mp_bitcnt_t>(bits - 2));
        mpz_setbit(p, 0);
        mpz_nextprime(p, p);
        if (mpz_sizeinbase(p, 2) == static_cast<size_t>(bits))
            return;
    }
}

} // namespace

RsaKeyPair generateKeyPair(int bits, std::optional<uint64_t> seed)
{
    if (bits < rsaMinBits || bits > rsaMaxBits)
        throw std::invalid_argument("modulus size must be between " + std::to_string(rsaMinBits) + " and "
                                    + std::to_string(rsaMaxBits) + " bits (a key file carries at most "
                                    + std::to_string(rsaMaxBits) + "), not " + std::to_string(bits));
    RandomState random(seed);
    Mpz p, q, n, pm1, qm1, lambda, bound, e, d, g;
    for (;;) {
        randomPrime(p.get(), bits / 2, random);
        randomPrime(q.get(), bits - bits / 2, random);
        if (mpz_cmp(p.get(), q.get()) == 0)
            continue;
        mpz_mul(n.get(), p.get(), q.get());
        mpz_sub_ui(pm1.get(), p.get(), 1);
        mpz_sub_ui(qm1.get(), q.get(), 1);
        mpz_lcm(lambda.get(), pm1.get(), qm1.get());

        // e uniformly in 3 .. lambda - 1, coprime to lambda, and d != e.
        mpz_sub_ui(bound.get(), lambda.get(), 3);
        for (int attempt = 0; attempt < 1000; ++attempt) {
            mpz_urandomm(e.get(), random.get(), bound.get());
            mpz_add_ui(e.get(), e.get(), 3);
            mpz_gcd(g.get(), e.get(), lambda.get());
            if (mpz_cmp_ui(g.get(), 1) != 0)
                continue;
            mpz_invert(d.get(), e.get(), lambda.get());
            if (mpz_cmp(d.get(), e.get()) == 0)
                continue;
            RsaKeyPair pair{fromMpz(n.get()), fromMpz(e.get()), fromMpz(d.get())};
            checkKeyPair(pair);
            return pair;
        }
    }
}

void checkKeyPair(const RsaKeyPair& pair)
{
    if (!pair.modulus.hasValue() || !pair.clientExponent.hasValue() || !pair.serverExponent.hasValue())
        throw std::invalid_argument("key pair is incomplete");
    const size_t bits = fgBitLength(pair.modulus);
    if (pair.modulus.Sign == 0 || bits < static_cast<size_t>(rsaMinBits) || bits > static_cast<size_t>(rsaMaxBits))
        throw std::invalid_argument("modulus must have " + std::to_string(rsaMinBits) + " to "
                                    + std::to_string(rsaMaxBits) + " bits, not " + std::to_string(bits));
    if ((pair.modulus.Number[1] & 1) == 0)
        throw std::invalid_argument("modulus is even");
    for (const TFGInt* exponent : {&pair.clientExponent, &pair.serverExponent}) {
        if (exponent->Sign == 0 || fgIsZero(*exponent) || fgCompareMagnitude(*exponent, pair.modulus) >= 0)
            throw std::invalid_argument("exponent must lie between 1 and the modulus");
    }
    // Each exponent must undo the other; a few probes catch a mismatched pair.
    for (uint64_t probe : {uint64_t(2), uint64_t(3), uint64_t(0x5DEECE66D)}) {
        const TFGInt x = ModInt(fgFromUint64(probe), pair.modulus);
        const TFGInt there = ModPow(x, pair.clientExponent, pair.modulus);
        if (ModPow(there, pair.serverExponent, pair.modulus) != x
            || ModPow(ModPow(x, pair.serverExponent, pair.modulus), pair.clientExponent, pair.modulus) != x)
            throw std::invalid_argument("client and server exponents do not match the modulus");
    }
}
