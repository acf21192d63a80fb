#pragma once

#include "rsakeys.h"

#include <filesystem>
#include <string>
#include <string_view>

// The client's key file: exactly the 82-byte key record (client exponent and
// modulus). Throws std::invalid_argument for a pair that does not fit or
// check, std::runtime_error when the file cannot be written.
void writeClientKeyFile(const std::filesystem::path& path, const RsaKeyPair& pair);
// The bytes of that file.
std::string clientKeyBytes(const RsaKeyPair& pair);

// The server's private key file, a text file of our own:
//
//   kelvra-server-key 1
//   bits 240
//   modulus <hex>
//   exponent <hex>
//   client-exponent <hex>
//
// Lines are "name value"; hex digits are big-endian without prefix, either
// case. "exponent" is the server's own, "client-exponent" the one in the
// client's key file. Empty lines and lines starting with '#' are ignored; the
// first other line must be the header. "bits" is optional and, when present,
// must equal the modulus size. Unknown or repeated names are errors.
std::string serverKeyText(const RsaKeyPair& pair);
void writeServerKeyFile(const std::filesystem::path& path, const RsaKeyPair& pair);

// Parses and checks (checkKeyPair) a server key; throws std::runtime_error
// naming the source and line.
RsaKeyPair parseServerKeyText(std::string_view text, const std::string& sourceName);
RsaKeyPair loadServerKeyFile(const std::filesystem::path& path);
