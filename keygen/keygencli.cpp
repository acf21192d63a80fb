#include "keygencli.h"

#include "atomicfile.h"
#include "keyfiles.h"
#include "rsakeys.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>

namespace {

constexpr const char* usage =
    "usage: kelvra-keygen [--bits N] [--seed N] CLIENT.prk SERVER.key\n"
    "  Generates the RSA key pair of one encrypted account: the client's key\n"
    "  file (CLIENT.prk, for the login dialog) and the dealing server's private\n"
    "  key file (SERVER.key). Existing files are replaced.\n"
    "  --bits N   modulus size, 16 to 240 (default 240, the most a key file carries)\n"
    "  --seed N   reproducible keys from this number (for tests only)\n";

template <typename T>
std::optional<T> parseNumber(const std::string& text)
{
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace

int runKeygen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    int bits = rsaDefaultBits;
    std::optional<uint64_t> seed;
    std::vector<std::string> files;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out << usage;
            return 0;
        }
        if (arg == "--bits" || arg == "--seed") {
            if (i + 1 >= args.size()) {
                err << "kelvra-keygen: " << arg << " needs a value\n" << usage;
                return 2;
            }
            const std::string& value = args[++i];
            if (arg == "--bits") {
                const auto parsed = parseNumber<int>(value);
                if (!parsed) {
                    err << "kelvra-keygen: --bits needs a whole number, not \"" << value << "\"\n";
                    return 2;
                }
                bits = *parsed;
            } else {
                seed = parseNumber<uint64_t>(value);
                if (!seed) {
                    err << "kelvra-keygen: --seed needs a non-negative whole number, not \"" << value << "\"\n";
                    return 2;
                }
            }
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            err << "kelvra-keygen: unknown option " << arg << "\n" << usage;
            return 2;
        }
        files.push_back(arg);
    }

    if (files.size() != 2) {
        err << "kelvra-keygen: expected the client and the server key file names\n" << usage;
        return 2;
    }
    if (bits < rsaMinBits || bits > rsaMaxBits) {
        err << "kelvra-keygen: --bits must be between " << rsaMinBits << " and " << rsaMaxBits
            << " (a key file carries at most " << rsaMaxBits << " bits), not " << bits << "\n";
        return 2;
    }
    std::error_code ec;
    if (files[0] == files[1] || std::filesystem::equivalent(files[0], files[1], ec)) {
        err << "kelvra-keygen: the client and the server key files must be different files\n";
        return 2;
    }

    // Both files are written in full before either replaces an old one, so
    // a failure on the way leaves the old pair as it was.
    bool serverReplaced = false;
    try {
        const RsaKeyPair pair = generateKeyPair(bits, seed);
        TemporaryFile server(files[1], serverKeyText(pair));
        TemporaryFile client(files[0], clientKeyBytes(pair));
        server.commit();
        serverReplaced = true;
        client.commit();
    } catch (const std::exception& failure) {
        err << "kelvra-keygen: " << failure.what() << "\n";
        if (serverReplaced)
            err << "kelvra-keygen: the server key file " << files[1]
                << " was replaced, the client key file was not: the two do not match\n";
        return 1;
    }
    out << "kelvra-keygen: wrote the client key file " << files[0] << " and the server key file " << files[1]
        << " (" << bits << "-bit modulus)\n";
    return 0;
}
