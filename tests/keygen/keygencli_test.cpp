#include "keyfiles.h"
#include "keygencli.h"
#include "keyrecord.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun run(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = runKeygen(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(KeygenTool, WritesAMatchingPair)
{
    TempFolder folder;
    const std::string client = (folder / "a.prk").string();
    const std::string server = (folder / "a.key").string();
    const ToolRun result = run({"--bits", "64", "--seed", "5", client, server});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("64-bit"), std::string::npos);

    const RsaKeyPair pair = loadServerKeyFile(server);
    const std::string bytes = readWholeFile(client);
    ASSERT_EQ(bytes.size(), 82u);
    TKeyRecord record{};
    std::copy(bytes.begin(), bytes.end(), record.begin());
    EXPECT_EQ(KeyModulus(record), pair.modulus);
    EXPECT_EQ(KeyExponent(record), pair.clientExponent);
    EXPECT_EQ(fgBitLength(pair.modulus), 64u);
}

TEST(KeygenTool, DefaultsTo240Bits)
{
    TempFolder folder;
    const ToolRun result = run({(folder / "b.prk").string(), (folder / "b.key").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fgBitLength(loadServerKeyFile(folder / "b.key").modulus), 240u);
}

TEST(KeygenTool, BadUsageWritesNothing)
{
    TempFolder folder;
    const std::string client = (folder / "c.prk").string();
    const std::string server = (folder / "c.key").string();
    const std::vector<std::vector<std::string>> cases = {
        {"--bits", "241", client, server},
        {"--bits", "15", client, server},
        {"--bits", "12x", client, server},
        {"--seed", "-1", client, server},
        {"--bits"},
        {client},
        {client, server, "extra"},
        {"--colour", client, server},
        {client, client},
    };
    for (const auto& args : cases) {
        const ToolRun result = run(args);
        EXPECT_EQ(result.status, 2) << args.front();
        EXPECT_NE(result.err.find("kelvra-keygen:"), std::string::npos);
    }
    EXPECT_NE(run({"--bits", "241", client, server}).err.find("between 16 and 240"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(client));
    EXPECT_FALSE(std::filesystem::exists(server));
    EXPECT_EQ(run({"--help"}).status, 0);
}

TEST(KeygenTool, UnwritableTargetFails)
{
    TempFolder folder;
    const ToolRun result = run({"--bits", "32", (folder / "x" / "d.prk").string(), (folder / "x" / "d.key").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cannot"), std::string::npos);
}

// Both files are written before either replaces its old one: a client file
// that cannot be written leaves the old server key in place, and a client
// file that cannot be renamed is reported together with the replaced one.
TEST(KeygenTool, AFailureNeverLeavesAHalfReplacedPairUnsaid)
{
    TempFolder folder;
    const std::string server = (folder / "a.key").string();
    ASSERT_EQ(run({"--bits", "32", "--seed", "1", (folder / "a.prk").string(), server}).status, 0);
    const std::string oldServer = readWholeFile(server);

    ToolRun result = run({"--bits", "32", "--seed", "2", (folder / "none" / "a.prk").string(), server});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(readWholeFile(server), oldServer);
    EXPECT_EQ(result.err.find("replaced"), std::string::npos);

    const std::filesystem::path blocked = folder / "blocked.prk";
    std::filesystem::create_directories(blocked / "inside");
    result = run({"--bits", "32", "--seed", "3", blocked.string(), server});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("the server key file " + server + " was replaced"), std::string::npos) << result.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / ""), {}), 3);  // no temporary file left
}
