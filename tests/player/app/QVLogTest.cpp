#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "QVLog.h"

namespace {
std::vector<std::string> g_lines;
void capture(const char* text, std::size_t length) { g_lines.emplace_back(text, length); }

struct LogCapture : ::testing::Test {
    void SetUp() override {
        g_lines.clear();
        setLogSink(capture);
    }
    void TearDown() override { setLogSink(nullptr); }
};
}  // namespace

TEST_F(LogCapture, LongMessageIsCutTo254Bytes) {
    std::string text(300, 'a');
    logMessage("%s", text.c_str());
    ASSERT_EQ(g_lines.size(), 1u);
    EXPECT_EQ(g_lines[0], std::string(254, 'a'));
}

TEST_F(LogCapture, CutNeverSplitsAUtf8Character) {
    // 253 ASCII bytes, then a 3-byte character that straddles the limit.
    std::string text(253, 'b');
    text += "\xE2\x82\xAC";
    logMessage("%s", text.c_str());
    ASSERT_EQ(g_lines.size(), 1u);
    EXPECT_EQ(g_lines[0], std::string(253, 'b'));

    g_lines.clear();
    std::string exact(251, 'c');
    exact += "\xE2\x82\xAC";  // ends exactly at 254 bytes: kept whole
    exact += "tail";
    logMessage("%s", exact.c_str());
    EXPECT_EQ(g_lines[0], std::string(251, 'c') + "\xE2\x82\xAC");
}

TEST_F(LogCapture, FormatsArguments) {
    logMessage("[Tag] %d %s %.1f", 7, "x", 1.5);
    ASSERT_EQ(g_lines.size(), 1u);
    EXPECT_EQ(g_lines[0], "[Tag] 7 x 1.5");
}
