#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "../../model/core/support/model_test_support.h"
#include "persisted_text_support.h"
#include "player/app/LockStateStore.h"
#include "player/screens/ScreenManager.h"

namespace {

class Checkpoints : public ::testing::Test {
protected:
    void SetUp() override { clearCheckpoints(); }
    void TearDown() override {
        clearCheckpoints();
        ScreenManager::shared()->setSceneName("");
    }
    modeltest::LogCapture log;
};

}  // namespace

// Under a comma-decimal locale; damaged records stay verbatim, the first
// record of a key wins.
TEST_F(Checkpoints, StoredTexts) {
    const apptest::CommaLocale comma;
    struct Row {
        const char* stored;
        std::vector<std::string> keys;
        const char* serialized;  // null: as stored
        int unread;
    };
    const Row rows[] = {
        {"World 1: Forest:10 20 -5 6 300.5 -1;World 3:1 2 3 4 5;World 4:1 2 3 4 nan 0",
         {"World 1: Forest"},
         nullptr,
         2},
        {"a%3Bb:0.1 -0 1e-7 1.8446744e+19 0012 -2147483648;100%25:1 2 3 4 5 2147483647;;%3B:1 2 3 4 5 6",
         {"a;b", "100%", ";"},
         "a%3Bb:0.1 -0 1e-07 1.8446744e+19 12 -2147483648;100%25:1 2 3 4 5 2147483647;%3B:1 2 3 4 5 6",
         0},
        {"A:1 2 3 4 5 2147483648;A:1 2 3 4 5 6;A:9 9 9 9 9 9;B:1 2 3 4 5 6 ;C:1 2 3 4 5 1.5;:1 2 3 4 5 6;"
         "D;E:1 2 3 4 1e999 0;F:1,5 2 3 4 5 6;G:1  2 3 4 5 6",
         {"A"},
         "A:1 2 3 4 5 6;A:1 2 3 4 5 2147483648;A:9 9 9 9 9 9;B:1 2 3 4 5 6 ;C:1 2 3 4 5 1.5;:1 2 3 4 5 6;D;"
         "E:1 2 3 4 1e999 0;F:1,5 2 3 4 5 6;G:1  2 3 4 5 6",
         9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        log.lines().clear();
        parseCheckpoints(row.stored);
        EXPECT_EQ(apptest::keysOf(checkpointRecords()), row.keys);
        const std::string serialized = row.serialized ? row.serialized : row.stored;
        EXPECT_EQ(serializeCheckpoints(), serialized);
        EXPECT_EQ(log.all(), apptest::unreadLog("CheckpointStore", row.unread));
        parseCheckpoints(serializeCheckpoints());
        EXPECT_EQ(serializeCheckpoints(), serialized);
    }
    EXPECT_EQ(checkpointRecord("A").sectionId, 6);
}

TEST_F(Checkpoints, CurrentRecordFollowsTheSceneNameAndStaysPut) {
    EXPECT_EQ(currentCheckpointRecord(), nullptr);
    EXPECT_TRUE(checkpointRecords().empty());
    ScreenManager::shared()->setSceneName("World");
    CheckpointRecord* current = currentCheckpointRecord();
    ASSERT_NE(current, nullptr);
    current->sectionId = -1;
    for (int i = 0; i < 1000; ++i) checkpointRecord("r" + std::to_string(i)).distance = static_cast<float>(i);
    current->pointX = std::numeric_limits<float>::quiet_NaN();
    current->distance = 7;
    int nonFinite = 0;
    EXPECT_EQ(serializeCheckpoints(&nonFinite).substr(0, 19), "World:0 0 0 0 7 -1;");
    EXPECT_EQ(nonFinite, 1);
}
