#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "../../model/core/support/model_test_support.h"
#include "CommaLocale.h"
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

TEST_F(Checkpoints, StoredTexts) {
    struct Row {
        const char* stored;
        std::vector<std::string> keys;
        const char* serialized;
        int unread;
    };
    const Row rows[] = {
        {"World 1: Forest:10 20 -5 6 300.5 -1;World 3:1 2 3 4 5;World 4:1 2 3 4 nan 0",
         {"World 1: Forest"},
         "World 1: Forest:10 20 -5 6 300.5 -1;World 3:1 2 3 4 5;World 4:1 2 3 4 nan 0",
         2},
        {"a%3Bb:0.1 -0 1e-3 1E+3 0012 -2147483648;100%25:1 2 3 4 5 2147483647;;%3B:1 2 3 4 5 6",
         {"a;b", "100%", ";"},
         "a%3Bb:0.1 -0 0.001 1000 12 -2147483648;100%25:1 2 3 4 5 2147483647;%3B:1 2 3 4 5 6",
         0},
        // Damaged records stay verbatim; the first of a key wins.
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
        std::vector<std::string> keys;
        for (const auto& entry : checkpointRecords()) keys.push_back(entry.first);
        EXPECT_EQ(keys, row.keys);
        EXPECT_EQ(serializeCheckpoints(), row.serialized);
        EXPECT_EQ(static_cast<int>(unreadCheckpointRecords().size()), row.unread);
        std::vector<std::string> expectedLog;
        if (row.unread > 0)
            expectedLog.push_back("[CheckpointStore] kept " + std::to_string(row.unread) + " unread records");
        EXPECT_EQ(log.all(), expectedLog);
        parseCheckpoints(serializeCheckpoints());
        EXPECT_EQ(serializeCheckpoints(), row.serialized);
    }
}

TEST_F(Checkpoints, ValuesRoundTripUnderACommaLocale) {
    const apptest::CommaLocale comma;
    CheckpointRecord& r = checkpointRecord("World 1: Forest");
    r = CheckpointRecord{12.345678f, -0.5f, 1e-7f, 18446744073709551616.0f, 300.5f, -1};
    CheckpointRecord& broken = checkpointRecord("x");
    broken.pointX = std::numeric_limits<float>::quiet_NaN();
    broken.distance = std::numeric_limits<float>::infinity();
    int nonFinite = 0;
    const std::string stored = serializeCheckpoints(&nonFinite);
    EXPECT_EQ(stored, "World 1: Forest:12.345678 -0.5 1e-07 1.8446744e+19 300.5 -1;x:0 0 0 0 0 0");
    EXPECT_EQ(nonFinite, 2);

    parseCheckpoints(stored);
    const CheckpointRecord& back = checkpointRecord("World 1: Forest");
    EXPECT_EQ(back.pointX, 12.345678f);
    EXPECT_EQ(back.cameraX, 1e-7f);
    EXPECT_EQ(back.cameraY, 18446744073709551616.0f);
    EXPECT_EQ(back.sectionId, -1);
    EXPECT_TRUE(unreadCheckpointRecords().empty());
}

TEST_F(Checkpoints, CurrentRecordFollowsTheSceneNameAndStaysPut) {
    EXPECT_EQ(currentCheckpointRecord(), nullptr);
    EXPECT_TRUE(checkpointRecords().empty());
    ScreenManager::shared()->setSceneName("World");
    CheckpointRecord* current = currentCheckpointRecord();
    ASSERT_NE(current, nullptr);
    current->sectionId = -1;
    for (int i = 0; i < 1000; ++i) checkpointRecord("r" + std::to_string(i)).distance = static_cast<float>(i);
    current->distance = 7;
    EXPECT_EQ(current, &checkpointRecord("World"));
    EXPECT_EQ(serializeCheckpoints().substr(0, 18), "World:0 0 0 0 7 -1");

    parseCheckpoints("");
    EXPECT_TRUE(checkpointRecords().empty());
    parseCheckpoints("World:1 2 3 4 5 6;bad");
    clearCheckpoints();
    EXPECT_EQ(serializeCheckpoints(), "");
}
