// Key table: Keys.pack parsing, built-in numbers, lookups, the seed rule and
// the scrambling table.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "../support/model_test_support.h"
#include "model/core/QVKeyTable.h"

namespace {

// Scrambles plain text exactly as a Keys.pack file holds it.
std::vector<unsigned char> scramble(const std::string& plain, const std::string& userId) {
    const QVKeysPackTable table = makeKeysPackTable(userId);
    std::vector<unsigned char> out(plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i)
        out[i] = static_cast<unsigned char>(static_cast<unsigned char>(plain[i]) ^ table[i % 64]);
    return out;
}

QVKeyTableMap parse(const std::string& plain, const std::string& userId = "12345") {
    const std::vector<unsigned char> bytes = scramble(plain, userId);
    return readKeysPack(bytes.data(), bytes.size(), userId);
}

using modeltest::readFile;

class KeyTable : public ::testing::Test {
protected:
    void SetUp() override { installKeyTable({}); }
    void TearDown() override { installKeyTable({}); }
};

}  // namespace

TEST_F(KeyTable, ParsingNumbersNamesInLineOrderSkippingEmptyLinesAndKeepingFirstNumbers) {
    // X, "", Y, X, Z: the empty line takes no number, the repeated X uses one up.
    const QVKeyTableMap table = parse("X\n\nY\nX\nZ\n");
    EXPECT_EQ(table, (QVKeyTableMap{{"X", 0}, {"Y", 1}, {"Z", 3}}));

    // A CR before the LF belongs to the name.
    EXPECT_EQ(parse("A\r\nB\n"), (QVKeyTableMap{{"A\r", 0}, {"B", 1}}));
    // A last line without LF still counts; a final LF adds nothing.
    EXPECT_EQ(parse("A\nB"), (QVKeyTableMap{{"A", 0}, {"B", 1}}));
    EXPECT_EQ(parse("A\n"), (QVKeyTableMap{{"A", 0}}));
    EXPECT_EQ(parse("\n\n\n"), QVKeyTableMap{});
    // Lines longer than the 64-byte table period unscramble correctly.
    const std::string longName(150, 'k');
    EXPECT_EQ(parse("a\n" + longName + "\nb"), (QVKeyTableMap{{"a", 0}, {longName, 1}, {"b", 2}}));
}

TEST_F(KeyTable, ParsingEmptyOrNullInputGivesAnEmptyTable) {
    const unsigned char byte = 0;
    EXPECT_TRUE(readKeysPack(nullptr, 0, "12345").empty());
    EXPECT_TRUE(readKeysPack(nullptr, 10, "12345").empty());
    EXPECT_TRUE(readKeysPack(&byte, 0, "12345").empty());
}

TEST_F(KeyTable, WriteKeysPackIsTheInverseOfReadKeysPackAndDependsOnTheUserId) {
    const std::vector<std::string> names = {"id", "Class Name", "caf\xc3\xa9", "tab\there", "value"};
    const std::vector<unsigned char> bytes = writeKeysPack(names, "abc");
    std::size_t expectedSize = 0;
    for (const auto& n : names) expectedSize += n.size() + 1;
    ASSERT_EQ(bytes.size(), expectedSize);
    EXPECT_EQ(readKeysPack(bytes.data(), bytes.size(), "abc"),
              (QVKeyTableMap{{"id", 0}, {"Class Name", 1}, {"caf\xc3\xa9", 2}, {"tab\there", 3}, {"value", 4}}));
    // The same bytes under another User ID are other names.
    EXPECT_NE(readKeysPack(bytes.data(), bytes.size(), "abd"), readKeysPack(bytes.data(), bytes.size(), "abc"));
    // First byte: 'i' XOR the first table byte of "abc" (0x7e).
    EXPECT_EQ(bytes[0], 'i' ^ 0x7e);
    EXPECT_TRUE(writeKeysPack({}, "abc").empty());
}

TEST_F(KeyTable, BuiltInNumbersApplyOnlyToMissingNamesWhoseNumberIsFree) {
    EXPECT_EQ(keyCode("id"), 42);
    EXPECT_EQ(keyCode("Class Name"), 33);
    EXPECT_EQ(keyCode("value"), 10);
    EXPECT_EQ(keyCode("User ID"), 50);
    EXPECT_EQ(keyCode("Name"), -1);
    EXPECT_EQ(keyCode("ID"), -1);  // exact spelling only

    // A table that gives 42 to another name and lacks "id".
    installKeyTable({{"Other", 42}, {"Name", 0}});
    EXPECT_EQ(keyCode("id"), -1);
    EXPECT_EQ(keyCode("Class Name"), 33);
    EXPECT_EQ(keyCode("Name"), 0);

    // A table holding the name gives its own number, whatever it is.
    installKeyTable({{"id", 7}, {"value", 42}});
    EXPECT_EQ(keyCode("id"), 7);
    EXPECT_EQ(keyCode("value"), 42);
}

TEST_F(KeyTable, KeyCodeOrThrowHasNoBuiltInFallback) {
    try {
        keyCodeOrThrow("id");
        FAIL() << "expected std::runtime_error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "A key is not present");
    }
    installKeyTable({{"id", 5}});
    EXPECT_EQ(keyCodeOrThrow("id"), 5);
    EXPECT_THROW(keyCodeOrThrow("value"), std::runtime_error);
}

TEST_F(KeyTable, NameLookupsByNumber) {
    installKeyTable({{"Name", 0}, {"Position", 7}});
    EXPECT_EQ(keyName(7), "Position");
    EXPECT_THROW(keyName(8), std::out_of_range);
    ASSERT_NE(findKeyName(0), nullptr);
    EXPECT_EQ(*findKeyName(0), "Name");
    EXPECT_EQ(findKeyName(8), nullptr);
    EXPECT_EQ(findKeyName(-1), nullptr);
    // A number from data above 32 bits must not wrap onto a real key.
    EXPECT_EQ(findKeyName(4294967296LL), nullptr);
    EXPECT_EQ(findKeyName(4294967295LL), nullptr);
}

TEST_F(KeyTable, InstallReplacesBothMapsAndAcceptsTheTableItself) {
    installKeyTable({{"A", 0}, {"B", 1}});
    installKeyTable({{"C", 1}});
    EXPECT_EQ(keyCode("A"), -1);
    EXPECT_EQ(findKeyName(0), nullptr);
    EXPECT_EQ(keyName(1), "C");
    EXPECT_EQ(reverseKeyTable().size(), 1u);

    installKeyTable(keyTable());
    EXPECT_EQ(keyTable(), (QVKeyTableMap{{"C", 1}}));
    EXPECT_EQ(keyName(1), "C");
}

TEST(KeysPackSeed, FollowsStreamExtractionOfAnUnsigned32BitNumber) {
    EXPECT_EQ(keysPackSeed("12345"), 12345u);
    EXPECT_EQ(keysPackSeed("  42xyz"), 42u);
    EXPECT_EQ(keysPackSeed("\t\n+7"), 7u);
    EXPECT_EQ(keysPackSeed("-1"), 4294967295u);
    EXPECT_EQ(keysPackSeed("-4294967295"), 1u);
    EXPECT_EQ(keysPackSeed("4294967295"), 4294967295u);
    // Failure or 0 falls back to the CRC-32 of the bytes.
    EXPECT_EQ(keysPackSeed("4294967296"), 3267533297u);
    EXPECT_EQ(keysPackSeed("abc"), 891568578u);
    EXPECT_EQ(keysPackSeed(""), 0u);
    EXPECT_EQ(keysPackSeed("0"), 4108050209u);
    EXPECT_NE(keysPackSeed("-"), 0u);
    EXPECT_NE(keysPackSeed("- 5"), 5u);  // no blank between sign and digits
}

TEST(KeysPackTable, MatchesTheMersenneTwisterAndTheSharedConstant) {
    // The generator the table is built on: low bytes of the first outputs.
    std::mt19937 mt(12345);
    const unsigned char low[8] = {0xe2, 0xe5, 0x1d, 0x81, 0xa4, 0xa9, 0xfe, 0x7e};
    for (unsigned char expected : low) EXPECT_EQ(mt() & 0xffu, expected);

    const unsigned char t12345[8] = {0xc1, 0x6f, 0xbf, 0x33, 0x62, 0xd4, 0xf5, 0x96};
    const unsigned char tAbc[8] = {0x7e, 0x68, 0x7b, 0x66, 0xb2, 0x66, 0x48, 0x9a};
    const QVKeysPackTable a = makeKeysPackTable("12345");
    const QVKeysPackTable b = makeKeysPackTable("abc");
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(a[i], t12345[i]) << "byte " << i;
        EXPECT_EQ(b[i], tAbc[i]) << "byte " << i;
    }
    // The constant's ends, as the data format fixes them.
    EXPECT_EQ(kKeysPackConstant[0], 0x23);
    EXPECT_EQ(kKeysPackConstant[63], 0x1A);
}

// Reading the committed Keys.pack files against their listings is the
// keys-fixtures check of qvkeys (tests/model/core/tools), which prints what
// readKeysPack gives.
TEST(KeysPackFixtures, WritingTheBasicLinesRebuildsBothFilesByteForByte) {
    // Unscramble one file into its exact lines (empty ones and repeats
    // included), then write them under both User IDs.
    const std::string dir = std::string(QV_SOURCE_DIR) + "/tests/fixtures/keys/";
    const std::vector<unsigned char> bytes = readFile(dir + "basic-12345.pack");
    ASSERT_FALSE(bytes.empty());
    const QVKeysPackTable table = makeKeysPackTable("12345");
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = static_cast<char>(bytes[i] ^ table[i % kKeysPackTableSize]);
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back().push_back(c);
    }
    ASSERT_TRUE(lines.back().empty()) << "the basic file ends in LF";
    lines.pop_back();
    EXPECT_EQ(writeKeysPack(lines, "12345"), bytes);
    EXPECT_EQ(writeKeysPack(lines, "abc"), readFile(dir + "basic-abc.pack"));
}

// Remembered numbers must never outlive the table they came from, built-in
// fallbacks included.
TEST_F(KeyTable, RememberedKeyNumbersFollowEveryInstalledTable) {
    const QVKey id("id");
    const QVKey name("Name");
    EXPECT_EQ(id.code(), 42);
    EXPECT_EQ(name.code(), -1);

    installKeyTable({{"Other", 42}, {"Name", 3}});
    EXPECT_EQ(id.code(), -1);  // 42 now belongs to another name
    EXPECT_EQ(name.code(), 3);

    installKeyTable({{"id", 7}, {"Name", 3}});
    EXPECT_EQ(id.code(), 7);

    // The same table installed again still counts as a change.
    const std::uint32_t before = keyTableGeneration();
    installKeyTable(keyTable());
    EXPECT_NE(keyTableGeneration(), before);
    EXPECT_NE(keyTableGeneration(), 0u);
    EXPECT_EQ(name.code(), 3);
}
