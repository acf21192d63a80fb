#include <gtest/gtest.h>

#include "rsablocks.h"
#include "rsakeys.h"
#include "serverrsa.h"

namespace {

class ServerRsaTest : public ::testing::TestWithParam<int> {
protected:
    RsaKeyPair pair = generateKeyPair(GetParam(), 1234);
    ServerRsa server{pair};
};

// The client's own scheme on the other end: each must read what the other wrote.
TEST_P(ServerRsaTest, ClientAndServerReadEachOther)
{
    const std::vector<std::vector<uint8_t>> texts = {
        {}, {0}, {0, 0, 1}, {0xFF}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33},
        std::vector<uint8_t>(700, 0xA5)};
    for (const auto &plain : texts) {
        const auto fromServer = server.encrypt(plain);
        EXPECT_EQ(RsaDecrypt(fromServer, pair.clientExponent, pair.modulus), plain);
        EXPECT_EQ(fromServer, RsaEncrypt(plain, pair.serverExponent, pair.modulus));
        const auto fromClient = RsaEncrypt(plain, pair.clientExponent, pair.modulus);
        EXPECT_EQ(server.decrypt(fromClient), plain);
        EXPECT_LE(fromServer.size(), server.maxCipherBytes(plain.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(KeySizes, ServerRsaTest, ::testing::Values(17, 64, 240));

TEST(ServerRsa, GarbageDecryptsToSomethingWithoutFaults)
{
    const RsaKeyPair pair = generateKeyPair(240, 99);
    ServerRsa server(pair);
    EXPECT_TRUE(server.decrypt({}).size() <= 1);
    std::vector<uint8_t> junk(300);
    for (size_t i = 0; i < junk.size(); ++i)
        junk[i] = uint8_t(i * 37 + 11);
    (void)server.decrypt(junk);
    SUCCEED();
}

} // namespace
