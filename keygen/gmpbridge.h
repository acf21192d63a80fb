#pragma once

// Internal to the key tool: GMP values with automatic clean-up, and
// conversion to and from the client's integer type.

#include "tfgint.h"

#include <gmp.h>

class Mpz {
public:
    Mpz() { mpz_init(m_value); }
    ~Mpz() { mpz_clear(m_value); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;

    mpz_ptr get() { return m_value; }
    mpz_srcptr get() const { return m_value; }

private:
    mpz_t m_value;
};

void toMpz(mpz_ptr out, const TFGInt& x);
TFGInt fromMpz(mpz_srcptr x);
