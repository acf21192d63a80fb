#include "admission.h"

#include <algorithm>

bool LoginLockout::locked(uint32_t account, int64_t now) const
{
    auto it = accounts.find(account);
    return it != accounts.end() && now < it->second.lockedUntil;
}

void LoginLockout::failed(uint32_t account, int64_t now)
{
    Failures &f = accounts[account];
    f.times.push_back(now);
    while (!f.times.empty() && f.times.front() <= now - Window)
        f.times.pop_front();
    if (int(f.times.size()) >= Limit) {
        f.lockedUntil = now + Window;
        f.times.clear();
    }
}

bool RateLimiter::take(int64_t now)
{
    if (started)
        tokens = std::min(capacity, tokens + double(now - last) * rate / 1000.0);
    started = true;
    last = now;
    if (tokens < 1.0)
        return false;
    tokens -= 1.0;
    return true;
}
