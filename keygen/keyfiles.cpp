#include "keyfiles.h"

#include "atomicfile.h"
#include "keyrecord.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::string_view serverKeyHeader = "kelvra-server-key 1";
// 240 bits; a longer number cannot belong to a key a client file can carry.
constexpr size_t maxHexDigits = rsaMaxBits / 4;
constexpr std::uintmax_t maxServerKeyFileSize = 64 * 1024;

std::string toHex(const TFGInt& x)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t byte : fgToBytes(x)) {
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0x0F]);
    }
    const size_t first = hex.find_first_not_of('0');
    hex.erase(0, first == std::string::npos ? hex.size() - 1 : first);
    return hex;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<TFGInt> fromHex(std::string_view hex)
{
    if (hex.empty() || hex.size() > maxHexDigits)
        return std::nullopt;
    std::vector<uint8_t> bytes((hex.size() + 1) / 2, 0);
    const size_t pad = bytes.size() * 2 - hex.size();
    for (size_t i = 0; i < hex.size(); ++i) {
        const int v = hexValue(hex[i]);
        if (v < 0)
            return std::nullopt;
        const size_t pos = i + pad;
        bytes[pos / 2] |= static_cast<uint8_t>(pos % 2 == 0 ? v << 4 : v);
    }
    return FromBytes(bytes);
}

std::string_view trimmed(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string clientKeyBytes(const RsaKeyPair& pair)
{
    checkKeyPair(pair);
    const TKeyRecord record = makeKeyRecord(pair.clientExponent, pair.modulus);
    return std::string(reinterpret_cast<const char*>(record.data()), record.size());
}

void writeClientKeyFile(const std::filesystem::path& path, const RsaKeyPair& pair)
{
    writeFileAtomically(path, clientKeyBytes(pair));
}

std::string serverKeyText(const RsaKeyPair& pair)
{
    checkKeyPair(pair);
    std::ostringstream text;
    text << serverKeyHeader << '\n'
         << "# Private key of one encrypted Kelvra account. Keep this file secret.\n"
         << "bits " << fgBitLength(pair.modulus) << '\n'
         << "modulus " << toHex(pair.modulus) << '\n'
         << "exponent " << toHex(pair.serverExponent) << '\n'
         << "client-exponent " << toHex(pair.clientExponent) << '\n';
    return text.str();
}

void writeServerKeyFile(const std::filesystem::path& path, const RsaKeyPair& pair)
{
    writeFileAtomically(path, serverKeyText(pair));
}

RsaKeyPair parseServerKeyText(std::string_view text, const std::string& sourceName)
{
    size_t lineNumber = 0;
    auto error = [&](const std::string& what) {
        return std::runtime_error(sourceName + ":" + std::to_string(lineNumber) + ": " + what);
    };

    bool headerSeen = false;
    std::optional<TFGInt> modulus, exponent, clientExponent;
    std::optional<size_t> bits;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trimmed(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty() || line.front() == '#')
            continue;
        if (!headerSeen) {
            if (line != serverKeyHeader)
                throw error("not a Kelvra server key file (expected \"" + std::string(serverKeyHeader) + "\")");
            headerSeen = true;
            continue;
        }
        const size_t space = line.find_first_of(" \t");
        if (space == std::string_view::npos)
            throw error("expected \"name value\"");
        const std::string name(line.substr(0, space));
        const std::string_view value = trimmed(line.substr(space + 1));

        if (name == "bits") {
            if (bits)
                throw error("\"bits\" given twice");
            if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != std::string_view::npos)
                throw error("bad bit count");
            bits = std::stoul(std::string(value));
            continue;
        }
        std::optional<TFGInt>* slot = name == "modulus"         ? &modulus
                                    : name == "exponent"        ? &exponent
                                    : name == "client-exponent" ? &clientExponent
                                                                : nullptr;
        if (!slot)
            throw error("unknown entry \"" + name + "\"");
        if (slot->has_value())
            throw error("\"" + name + "\" given twice");
        *slot = fromHex(value);
        if (!slot->has_value())
            throw error("\"" + name + "\" is not a hex number of at most " + std::to_string(maxHexDigits) + " digits");
    }

    if (!headerSeen)
        throw error("empty file, not a Kelvra server key file");
    for (const auto& [entry, name] : {std::pair{&modulus, "modulus"}, std::pair{&exponent, "exponent"},
                                      std::pair{&clientExponent, "client-exponent"}}) {
        if (!entry->has_value())
            throw error(std::string("\"") + name + "\" is missing");
    }
    RsaKeyPair pair{*modulus, *clientExponent, *exponent};
    if (bits && *bits != fgBitLength(pair.modulus))
        throw error("\"bits\" says " + std::to_string(*bits) + " but the modulus has "
                    + std::to_string(fgBitLength(pair.modulus)));
    try {
        checkKeyPair(pair);
    } catch (const std::invalid_argument& bad) {
        throw error(bad.what());
    }
    return pair;
}

RsaKeyPair loadServerKeyFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open server key file " + path.string());
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > maxServerKeyFileSize)
            throw std::runtime_error("server key file " + path.string() + " is too large");
    }
    if (in.bad())
        throw std::runtime_error("cannot read server key file " + path.string());
    return parseServerKeyText(text, path.string());
}
