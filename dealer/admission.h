#pragma once

#include <cstdint>
#include <deque>
#include <map>

// The server's defences against clients that guess passwords or register in
// bulk. Times are milliseconds of a steady clock, passed in so that the rules
// can be checked without waiting.

// Failed logins per account: an account that collects `Limit` failures within
// `Window` is refused for `Window` from the last of them. Only accounts that
// exist are tracked, so random account numbers cost no memory.
class LoginLockout {
public:
    static constexpr int Limit = 10;
    static constexpr int64_t Window = 60000;

    bool locked(uint32_t account, int64_t now) const;
    void failed(uint32_t account, int64_t now);

private:
    struct Failures {
        std::deque<int64_t> times;
        int64_t lockedUntil = 0;
    };
    std::map<uint32_t, Failures> accounts;
};

// A token bucket: at most `burst` events at once, refilled at `perSecond`.
class RateLimiter {
public:
    RateLimiter(double perSecond, double burst) : rate(perSecond), capacity(burst), tokens(burst) {}
    // True (and one token taken) when the event may happen now.
    bool take(int64_t now);

private:
    double rate;
    double capacity;
    double tokens;
    int64_t last = 0;
    bool started = false;
};
