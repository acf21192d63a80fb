#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Command line of the server:
//   kelvra-dealer [--listen ADDR] [--port N] [--data DIR] [--seed N]
//                 [--ticks-per-second X] [--requote-points N] [--leverage N]
//                 [--confirm-seconds N] [--handshake-seconds N]
//                 [--registrations-per-second X]
struct DealerOptions {
    std::string listen = "127.0.0.1";
    int port = 2222;
    std::string dataDir;  // empty: the default data location
    uint64_t seed = 0;
    bool seedGiven = false;
    double ticksPerSecond = 4.0;
    int requotePoints = 5;
    int leverage = 100;
    int confirmSeconds = 10;  // how long a requoted price stays on offer
    int handshakeSeconds = 10;  // a connection must log in or register within this
    double registrationsPerSecond = 2.0;  // new accounts at most, after a burst of a few
    int historyBars = 1000;  // bars of a first history request (no newest bar given)
};

// Parses the server's arguments (without the program name); on a fault
// returns nothing and sets error.
std::optional<DealerOptions> parseDealerOptions(const std::vector<std::string> &args, std::string &error);

// The data directory when none is given: the XDG data location.
std::string defaultDataDir();

extern const char *const dealerUsage;
