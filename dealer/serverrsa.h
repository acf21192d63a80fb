#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "rsakeys.h"

// The dealer's half of an encrypted account: the same block scheme as the
// client's, over the shared modulus with the server's own exponent, done
// with GMP. Plain text gets the "111" marker and is cut into blocks of one
// bit less than the modulus; each block is raised to the exponent and takes
// the modulus' width in the ciphertext.
class ServerRsa {
public:
    explicit ServerRsa(const RsaKeyPair &pair);
    ~ServerRsa();
    ServerRsa(const ServerRsa &) = delete;
    ServerRsa &operator=(const ServerRsa &) = delete;

    std::vector<uint8_t> encrypt(const std::vector<uint8_t> &plain) const;
    // Everything up to the marker is dropped; no marker gives an empty result.
    std::vector<uint8_t> decrypt(const std::vector<uint8_t> &cipher) const;

    size_t modulusBits() const { return bits; }
    // The longest ciphertext that a plain text of this length can give.
    size_t maxCipherBytes(size_t plainBytes) const;

private:
    struct Numbers;
    std::unique_ptr<Numbers> n;
    size_t bits = 0;
};
