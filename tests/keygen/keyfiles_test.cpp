#include "keyfiles.h"
#include "keyrecord.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

TKeyRecord readRecord(const std::filesystem::path& path)
{
    const std::string bytes = readWholeFile(path);
    TKeyRecord record{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), record.size()), record.begin());
    return record;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

} // namespace

TEST(ClientKeyFile, IsTheKeyRecordOfClientExponentAndModulus)
{
    TempFolder folder;
    for (int bits : {16, 100, 240}) {
        const RsaKeyPair pair = generateKeyPair(bits, uint64_t(bits) * 7);
        const auto path = folder / ("client" + std::to_string(bits) + ".prk");
        writeClientKeyFile(path, pair);
        ASSERT_EQ(std::filesystem::file_size(path), 82u);
        const TKeyRecord record = readRecord(path);
        EXPECT_FALSE(KeyIsEmpty(record));
        EXPECT_EQ(KeyExponent(record), pair.clientExponent);
        EXPECT_EQ(KeyModulus(record), pair.modulus);
    }
    // Nothing is left behind but the files themselves.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3);
}

TEST(ServerKeyFile, RoundTripsAndReplacesAnOldFile)
{
    TempFolder folder;
    const auto path = folder / "server.key";
    writeWholeFile(path, "old contents");
    const RsaKeyPair pair = generateKeyPair(240, 11);
    writeServerKeyFile(path, pair);
    const RsaKeyPair loaded = loadServerKeyFile(path);
    EXPECT_EQ(loaded.modulus, pair.modulus);
    EXPECT_EQ(loaded.serverExponent, pair.serverExponent);
    EXPECT_EQ(loaded.clientExponent, pair.clientExponent);
    EXPECT_EQ((std::filesystem::status(path).permissions() & std::filesystem::perms::group_read),
              std::filesystem::perms::none);
}

TEST(ServerKeyFile, TextFormat)
{
    // 193 * 197, with 5 * 5645 = 1 mod lcm(192, 196).
    const RsaKeyPair pair{fgFromUint64(38021), fgFromUint64(5645), fgFromUint64(5)};
    const std::string text = serverKeyText(pair);
    EXPECT_EQ(text.substr(0, text.find('\n')), "kelvra-server-key 1");
    EXPECT_NE(text.find("\nbits 16\n"), std::string::npos);
    EXPECT_NE(text.find("\nmodulus 9485\n"), std::string::npos);
    EXPECT_NE(text.find("\nexponent 5\n"), std::string::npos);
    EXPECT_NE(text.find("\nclient-exponent 160d\n"), std::string::npos);
    EXPECT_EQ(parseServerKeyText(text, "small").clientExponent, pair.clientExponent);
    // Below the smallest size a key may have.
    EXPECT_THROW(serverKeyText({fgFromUint64(3233), fgFromUint64(17), fgFromUint64(2753)}), std::invalid_argument);

    // Hand-written variants that must still load: comments, blank lines,
    // CR LF line ends, upper-case hex, any order, no "bits".
    const RsaKeyPair real = generateKeyPair(64, 12);
    std::string edited = serverKeyText(real);
    const std::string modLine = edited.substr(edited.find("modulus "), edited.find('\n', edited.find("modulus ")) - edited.find("modulus ") + 1);
    edited = replaced(edited, modLine, "");
    edited = replaced(edited, "bits 64\n", "");
    std::string upper = modLine;
    std::transform(upper.begin() + 8, upper.end(), upper.begin() + 8, ::toupper);
    edited = "\n# note\n" + edited + "\r\n" + upper;
    const RsaKeyPair reread = parseServerKeyText(edited, "edited");
    EXPECT_EQ(reread.modulus, real.modulus);
    EXPECT_EQ(reread.serverExponent, real.serverExponent);
}

TEST(ServerKeyFile, DamagedFilesAreRefusedWithTheirLine)
{
    const RsaKeyPair pair = generateKeyPair(64, 13);
    const std::string good = serverKeyText(pair);
    const RsaKeyPair other = generateKeyPair(64, 14);
    const std::string otherText = serverKeyText(other);
    const std::string otherExponent = otherText.substr(otherText.find("\nexponent "));

    const std::pair<std::string, std::string> cases[] = {
        {"", "empty file"},
        {replaced(good, "kelvra-server-key 1", "kelvra-server-key 2"), "not a Kelvra server key file"},
        {replaced(good, "client-exponent", "customer-exponent"), "unknown entry"},
        {good + "modulus 3\n", "given twice"},
        {replaced(good, "bits 64", "bits 63"), "\"bits\" says 63"},
        {replaced(good, "modulus ", "modulus 0x"), "not a hex number"},
        {replaced(good, "modulus ", "modulus " + std::string(60, 'f')), "not a hex number"},
        {good.substr(0, good.find("\nexponent")) + "\n", "\"exponent\" is missing"},
        {good.substr(0, good.find("\nexponent")) + otherExponent, "do not match"},
        {replaced(good, "bits 64\n", "bits\n"), "expected \"name value\""},
    };
    for (const auto& [text, message] : cases) {
        try {
            parseServerKeyText(text, "server.key");
            ADD_FAILURE() << "accepted: " << message;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
            EXPECT_EQ(std::string(error.what()).rfind("server.key:", 0), 0u) << error.what();
        }
    }
}

TEST(ServerKeyFile, MissingFileAndUnwritableFolder)
{
    TempFolder folder;
    EXPECT_THROW(loadServerKeyFile(folder / "absent.key"), std::runtime_error);
    const RsaKeyPair pair = generateKeyPair(32, 15);
    EXPECT_THROW(writeServerKeyFile(folder / "no-such-folder" / "server.key", pair), std::runtime_error);
    EXPECT_THROW(writeClientKeyFile(folder / "no-such-folder" / "client.prk", pair), std::runtime_error);
}
