#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include <QStandardPaths>

const char *const dealerUsage =
    "usage: kelvra-dealer [--listen ADDR] [--port N] [--data DIR] [--seed N]\n"
    "                     [--ticks-per-second X] [--requote-points N] [--leverage N]\n"
    "                     [--confirm-seconds N] [--handshake-seconds N]\n"
    "                     [--registrations-per-second X] [--history-bars N]\n"
    "       kelvra-dealer admin [--data DIR] COMMAND ARGS...   (see the README)\n";

namespace {

bool parseInt(const std::string &text, long long low, long long high, long long &out)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    out = v;
    return true;
}

} // namespace

std::optional<DealerOptions> parseDealerOptions(const std::vector<std::string> &args, std::string &error)
{
    DealerOptions o;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string &name = args[k];
        if (k + 1 >= args.size()) {
            error = name.rfind("--", 0) == 0 ? "missing value for " + name : "unknown argument " + name;
            return std::nullopt;
        }
        const std::string &value = args[++k];
        long long n = 0;
        if (name == "--listen") {
            o.listen = value;
        } else if (name == "--port") {
            if (!parseInt(value, 0, 65535, n)) {
                error = "--port takes 0 to 65535";
                return std::nullopt;
            }
            o.port = int(n);
        } else if (name == "--data") {
            o.dataDir = value;
        } else if (name == "--seed") {
            if (!parseInt(value, 0, INT64_MAX, n)) {
                error = "--seed takes a non-negative integer";
                return std::nullopt;
            }
            o.seed = uint64_t(n);
            o.seedGiven = true;
        } else if (name == "--ticks-per-second") {
            char *end = nullptr;
            const double x = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !std::isfinite(x) || x < 0 || x > 100000) {
                error = "--ticks-per-second takes 0 to 100000";
                return std::nullopt;
            }
            o.ticksPerSecond = x;
        } else if (name == "--history-bars") {
            if (!parseInt(value, 1, 5000, n)) {
                error = "--history-bars takes 1 to 5000";
                return std::nullopt;
            }
            o.historyBars = int(n);
        } else if (name == "--requote-points") {
            if (!parseInt(value, 0, 100000, n)) {
                error = "--requote-points takes 0 to 100000";
                return std::nullopt;
            }
            o.requotePoints = int(n);
        } else if (name == "--leverage") {
            if (!parseInt(value, 1, 1000, n)) {
                error = "--leverage takes 1 to 1000";
                return std::nullopt;
            }
            o.leverage = int(n);
        } else if (name == "--confirm-seconds") {
            if (!parseInt(value, 1, 3600, n)) {
                error = "--confirm-seconds takes 1 to 3600";
                return std::nullopt;
            }
            o.confirmSeconds = int(n);
        } else if (name == "--handshake-seconds") {
            if (!parseInt(value, 1, 600, n)) {
                error = "--handshake-seconds takes 1 to 600";
                return std::nullopt;
            }
            o.handshakeSeconds = int(n);
        } else if (name == "--registrations-per-second") {
            char *end = nullptr;
            const double v = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !(v >= 0.01 && v <= 100000)) {
                error = "--registrations-per-second takes 0.01 to 100000";
                return std::nullopt;
            }
            o.registrationsPerSecond = v;
        } else {
            error = "unknown argument " + name;
            return std::nullopt;
        }
    }
    return o;
}

std::string defaultDataDir()
{
    return (QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/kelvra-dealer").toStdString();
}
