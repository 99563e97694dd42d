#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>
#include <vector>

#include "../../model/core/support/model_test_support.h"
#include "persisted_text_support.h"
#include "player/app/ScoreTable.h"
#include "player/screens/ScreenManager.h"

namespace {

class Scores : public ::testing::Test {
protected:
    void SetUp() override { clearScores(); }
    void TearDown() override {
        clearScores();
        ScreenManager::shared()->setSceneName("");
    }
    modeltest::LogCapture log;
};

template <class T>
void expectCounter(const ScoreCounter<T>& counter, T current, T best, T total) {
    EXPECT_EQ(counter.current, current);
    EXPECT_EQ(counter.best, best);
    EXPECT_EQ(counter.total, total);
}

}  // namespace

// Under a comma-decimal locale, each row is loaded and serialised, then
// loaded and serialised again to the same text: damaged records come back
// verbatim and never zero a live one.
TEST_F(Scores, StoredTexts) {
    const apptest::CommaLocale comma;
    struct Row {
        const char* stored;
        const char* version;
        std::vector<std::string> keys;
        const char* serialized;  // null: as stored
        int unread;
    };
    const Row rows[] = {
        {"World 1:12.5 40 1 3.5 12.5 40 7 9 0 2 5 0", "1.0", {"World 1"}, nullptr, 0},
        {"a%3Bb:0 0 0 0 0 0 0 0 0;100%25:1e-07 0 0 0 0 0 0 0 0; :0 0 0 0 0 0 0 0 0;Wälder ☃:0 0 0 0 0 0 0 0 0;"
         "x::0 0 0 0 0 0 0 0 0;%253B:0 0 0 0 0 0 0 0 0",
         "1",
         {"a;b", "100%", " ", "Wälder ☃", "x:", "%3B"},
         nullptr,
         0},
        {"W:10 20 1 2 3 4;<qvp_score_global>:5 6 7 8 9 10;Bad:1 2 3",
         "",
         {"W", ""},
         "W:10 20 0 1 2 0 3 4 0;<qvp_score_global>:5 6 0 7 8 0 9 10 0;Bad:1 2 3",
         1},
        // Six blanks without a version: the current form.
        {"W:10 20 1 2 3 4;V:0.1 2 0 3 4 0 5 6 0", "", {"V"}, "V:0.1 2 0 3 4 0 5 6 0;W:10 20 1 2 3 4", 1},
        {"<qvp_score_global>:100 250 1 5 100 250 3 9 0 40 120 1 0 40 120;World 1: Forest:12.5 40 0 7 9 0 2 5 0;"
         "W%3B2:1 2 0 3 4 0 5 6 0;World 3:12.5 x 0 7 9 0 2 5 0;;Broken;W%3B2:9 9 0 9 9 0 9 9 0",
         "1.0",
         {"", "World 1: Forest", "W;2"},
         "<qvp_score_global>:100 250 1 5 100 250 3 9 0 40 120 1 0 40 120;World 1: Forest:12.5 40 0 7 9 0 2 5 0;"
         "W%3B2:1 2 0 3 4 0 5 6 0;World 3:12.5 x 0 7 9 0 2 5 0;Broken;W%3B2:9 9 0 9 9 0 9 9 0",
         3},
        {"A:1 2 0 3 4 0 5 6;B:1  2 0 3 4 0 5 6 0;C:+1 2 0 3 4 0 5 6 0;D:1 2 2 3 4 0 5 6 0;E:1 2 1 3 4 0 5 6 0;"
         "F:nan 2 0 3 4 0 5 6 0;G:1e999 2 0 3 4 0 5 6 0;:1 2 0 3 4 0 5 6 0;H:1 2 0 2147483648 4 0 5 6 0;"
         "I:1 2 0 3 4 0 5 6 0 ;J:1.5 2 0 3.5 4 0 5 6 0;K:0012 -3 0 -2147483648 4 0 5 6 0",
         "1",
         {"K"},
         "K:12 -3 0 -2147483648 4 0 5 6 0;A:1 2 0 3 4 0 5 6;B:1  2 0 3 4 0 5 6 0;C:+1 2 0 3 4 0 5 6 0;"
         "D:1 2 2 3 4 0 5 6 0;E:1 2 1 3 4 0 5 6 0;F:nan 2 0 3 4 0 5 6 0;G:1e999 2 0 3 4 0 5 6 0;"
         ":1 2 0 3 4 0 5 6 0;H:1 2 0 2147483648 4 0 5 6 0;I:1 2 0 3 4 0 5 6 0 ;J:1.5 2 0 3.5 4 0 5 6 0",
         11},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        log.lines().clear();
        loadScores(row.stored, row.version, false);
        EXPECT_EQ(apptest::keysOf(scoreRecords()), row.keys);
        const std::string serialized = row.serialized ? row.serialized : row.stored;
        EXPECT_EQ(serializeScores(), serialized);
        EXPECT_EQ(log.all(), apptest::unreadLog("ScoreTable", row.unread));
        parseScores(serializeScores(), true);
        EXPECT_EQ(serializeScores(), serialized);
    }
}

TEST_F(Scores, LoadingDuringASessionKeepsItsCurrentValues) {
    scoreRecord("W").distance.current = 120;
    scoreRecord("W").coins.current = 7;
    scoreRecord("Gone").points.current = 5;
    parseScores("W:100 300 0 1 2 0 3 4 0", false);
    expectCounter(scoreRecord("W").distance, 120.0f, 120.0f, 300.0f);
    expectCounter(scoreRecord("W").coins, 7, 7, 7);
    EXPECT_EQ(findScoreRecord("Gone"), nullptr);
    parseScores("W:100 300 0 1 2 0 3 4 0", true);
    expectCounter(scoreRecord("W").distance, 0.0f, 100.0f, 300.0f);
}

TEST_F(Scores, SessionSumsAndResets) {
    scoreRecord("").coins.current = 1000;
    scoreRecord("").distance.current = 1000;
    scoreRecord("A").coins.current = 3;
    scoreRecord("A").points.current = 4;
    scoreRecord("A").points.best = 60;
    scoreRecord("A").distance.current = 1.5f;
    scoreRecord("B").coins.current = INT_MAX;
    scoreRecord("B").distance.current = 2.25f;
    EXPECT_EQ(sessionCoins(), INT_MAX);  // saturates, never wraps
    EXPECT_EQ(sessionPoints(), 4);
    EXPECT_EQ(sessionDistance(), 3.75f);
    scoreRecord("B").coins.current = (1 << 24) - 2;
    EXPECT_EQ(sessionCoins(), (1 << 24) + 1);  // exact where a float sum is not

    resetScores(false, false, false, true);
    EXPECT_FALSE(scoreRecord("A").coins.saved);
    resetScores(false, true, true, false);
    for (const auto& entry : scoreRecords()) {
        EXPECT_EQ(entry.second.coins.current, 0);
        ASSERT_TRUE(entry.second.coins.saved);
        EXPECT_EQ(entry.second.coins.saved->current, 0);
        EXPECT_FALSE(entry.second.distance.saved);
    }
    EXPECT_EQ(scoreRecord("A").points.best, 60);
    resetScores(false, true, false, true);
    EXPECT_EQ(scoreRecord("A").points.best, 0);
}

TEST_F(Scores, CounterOperationsSaturateAndIgnoreNonFiniteAmounts) {
    struct Row {
        const char* name;
        int32_t current, total, amount;
        bool spend;
        int32_t wantCurrent, wantBest, wantTotal;
    };
    const Row rows[] = {
        {"add", 5, 10, 3, false, 8, 8, 13},
        {"add past the top", INT_MAX - 1, INT_MAX, 5, false, INT_MAX, INT_MAX, INT_MAX},
        {"add below the bottom", INT_MIN + 1, INT_MIN, -5, false, INT_MIN, 0, INT_MIN},
        {"spend lowers current", 8, 10, 5, true, 5, 0, 5},
        {"spend keeps a lower current", 2, 10, 5, true, 2, 0, 5},
        {"spend past the bottom", 0, INT_MIN + 1, 10, true, INT_MIN, 0, INT_MIN},
        {"spend a negative amount", 0, INT_MAX, INT_MIN, true, 0, 0, INT_MAX},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScoreCounter<int32_t> counter;
        counter.current = row.current;
        counter.total = row.total;
        row.spend ? counter.spend(row.amount) : counter.add(row.amount);
        expectCounter(counter, row.wantCurrent, row.wantBest, row.wantTotal);
        EXPECT_EQ(counter.saved.has_value(), row.spend);
        if (counter.saved) {
            EXPECT_EQ(counter.saved->current, row.wantCurrent);
        }
    }
    ScoreCounter<float> distance;
    distance.add(std::numeric_limits<float>::max());
    distance.add(std::numeric_limits<float>::max());
    distance.add(std::numeric_limits<float>::quiet_NaN());
    distance.spend(std::numeric_limits<float>::infinity());
    expectCounter(distance, std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                  std::numeric_limits<float>::max());
    EXPECT_FALSE(distance.saved);

    ScoreRecord record;
    record.coins.current = INT_MIN;
    record.restoreFromSavedCopies();  // no copy: 0
    EXPECT_EQ(record.coins.current, 0);
    record.coins.current = INT_MAX;
    record.refreshSavedCopies();
    record.coins.current = 1;
    record.restoreFromSavedCopies();
    EXPECT_EQ(record.coins.current, INT_MAX);
}

// The game field takes the world's record, then the global one, and keeps
// both while other records are added.
TEST_F(Scores, RecordsStayPutUntilTheNextParse) {
    ScreenManager::shared()->setSceneName("World");
    ScoreRecord& world = currentScoreRecord();
    ScoreRecord& global = scoreRecord("");
    for (int i = 0; i < 1000; ++i) scoreRecord("r" + std::to_string(i)).points.current = i;
    world.coins.add(5);
    world.distance.best = std::numeric_limits<float>::quiet_NaN();
    world.distance.total = -std::numeric_limits<float>::infinity();
    global.coins.add(7);
    int nonFinite = 0;
    EXPECT_EQ(serializeScores(&nonFinite).substr(0, 25), "World:0 0 0 0 0 0 5 5 0;<");  // "nan" is never written
    EXPECT_EQ(nonFinite, 2);
    EXPECT_EQ(findScoreRecord("")->coins.current, 7);
    ScreenManager::shared()->setSceneName("");
    EXPECT_EQ(&currentScoreRecord(), &global);
}
