#include <gtest/gtest.h>

#include "admission.h"

TEST(LoginLockout, TenFailuresWithinAMinuteLockForAMinute)
{
    LoginLockout lockout;
    for (int k = 0; k < 9; ++k)
        lockout.failed(1001, 1000 + k * 6000);  // nine within 48 s
    EXPECT_FALSE(lockout.locked(1001, 50000));
    lockout.failed(1001, 50000);
    EXPECT_TRUE(lockout.locked(1001, 50000));
    EXPECT_TRUE(lockout.locked(1001, 109999));
    EXPECT_FALSE(lockout.locked(1001, 110000));
    EXPECT_FALSE(lockout.locked(1002, 50000));  // another account is not touched
    // Failures spread wider than the window never lock.
    for (int k = 0; k < 30; ++k)
        lockout.failed(1003, int64_t(k) * 7000);
    EXPECT_FALSE(lockout.locked(1003, 30 * 7000));
}

TEST(RateLimiter, BurstThenTheRefillRate)
{
    RateLimiter limiter(2.0, 5.0);
    int taken = 0;
    for (int k = 0; k < 20; ++k)
        taken += limiter.take(1000);
    EXPECT_EQ(taken, 5);
    EXPECT_FALSE(limiter.take(1400));  // 0.8 of a token
    EXPECT_TRUE(limiter.take(1500));
    EXPECT_FALSE(limiter.take(1500));
    EXPECT_TRUE(limiter.take(100000));
}
