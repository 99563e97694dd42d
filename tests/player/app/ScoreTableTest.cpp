#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "../../model/core/support/model_test_support.h"
#include "CommaLocale.h"
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

std::vector<std::string> keys() {
    std::vector<std::string> out;
    for (const auto& entry : scoreRecords()) out.push_back(entry.first);
    return out;
}

const char* const kDamaged =
    "<qvp_score_global>:100 250 1 5 100 250 3 9 0 40 120 1 0 40 120;World 1: Forest:12.5 40 0 7 9 0 2 5 0;"
    "W%3B2:1 2 0 3 4 0 5 6 0;World 3:12.5 x 0 7 9 0 2 5 0;;Broken;W%3B2:9 9 0 9 9 0 9 9 0";

}  // namespace

// Each row is loaded, serialised, and loaded and serialised again: the
// second text must equal the first, and no readable value may be lost.
TEST_F(Scores, StoredTexts) {
    struct Row {
        const char* stored;
        const char* version;
        std::vector<std::string> keys;
        const char* serialized;
        int unread;
    };
    const Row rows[] = {
        {"World 1:12.5 40 1 3.5 12.5 40 7 9 0 2 5 0", "1.0", {"World 1"},
         "World 1:12.5 40 1 3.5 12.5 40 7 9 0 2 5 0", 0},
        {"W:10 20 1 2 3 4", "", {"W"}, "W:10 20 0 1 2 0 3 4 0", 0},
        {"W:10 20 1 2 3 4;<qvp_score_global>:5 6 7 8 9 10;Bad:1 2 3", "", {"W", ""},
         "W:10 20 0 1 2 0 3 4 0;<qvp_score_global>:5 6 0 7 8 0 9 10 0;Bad:1 2 3", 1},
        // Six blanks without a version: the current form, read as such.
        {"W:10 20 1 2 3 4;V:1 2 0 3 4 0 5 6 0", "", {"V"}, "V:1 2 0 3 4 0 5 6 0;W:10 20 1 2 3 4", 1},
        {kDamaged, "1.0", {"", "World 1: Forest", "W;2"},
         "<qvp_score_global>:100 250 1 5 100 250 3 9 0 40 120 1 0 40 120;World 1: Forest:12.5 40 0 7 9 0 2 5 0;"
         "W%3B2:1 2 0 3 4 0 5 6 0;World 3:12.5 x 0 7 9 0 2 5 0;Broken;W%3B2:9 9 0 9 9 0 9 9 0",
         3},
        {"<qvp_score_global>:1 2 0 3 4 0 5 6 0", "1", {""}, "<qvp_score_global>:1 2 0 3 4 0 5 6 0", 0},
        // Strict reading: every damaged record stays verbatim, none zeroes a live one.
        {"A:1 2 0 3 4 0 5 6;B:1  2 0 3 4 0 5 6 0;C:+1 2 0 3 4 0 5 6 0;D:1 2 2 3 4 0 5 6 0;E:1 2 1 3 4 0 5 6 0;"
         "F:nan 2 0 3 4 0 5 6 0;G:1e999 2 0 3 4 0 5 6 0;:1 2 0 3 4 0 5 6 0;H:1 2 0 2147483648 4 0 5 6 0;"
         "I:1 2 0 3 4 0 5 6 0 ;J:1.5 2 0 3.5 4 0 5 6 0;K:0012 -3 0 -2147483648 4 0 5 6 0",
         "1", {"K"},
         "K:12 -3 0 -2147483648 4 0 5 6 0;A:1 2 0 3 4 0 5 6;B:1  2 0 3 4 0 5 6 0;C:+1 2 0 3 4 0 5 6 0;"
         "D:1 2 2 3 4 0 5 6 0;E:1 2 1 3 4 0 5 6 0;F:nan 2 0 3 4 0 5 6 0;G:1e999 2 0 3 4 0 5 6 0;"
         ":1 2 0 3 4 0 5 6 0;H:1 2 0 2147483648 4 0 5 6 0;I:1 2 0 3 4 0 5 6 0 ;J:1.5 2 0 3.5 4 0 5 6 0",
         11},
        {"", "1", {}, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        log.lines().clear();
        loadScores(row.stored, row.version, false);
        EXPECT_EQ(keys(), row.keys);
        EXPECT_EQ(serializeScores(), row.serialized);
        EXPECT_EQ(static_cast<int>(unreadScoreRecords().size()), row.unread);
        std::vector<std::string> expectedLog;
        if (row.unread > 0) expectedLog.push_back("[ScoreTable] kept " + std::to_string(row.unread) + " unread records");
        EXPECT_EQ(log.all(), expectedLog);
        parseScores(serializeScores(), true);
        EXPECT_EQ(serializeScores(), row.serialized);
    }
}

TEST_F(Scores, ValuesOfTheStoredForms) {
    loadScores("W:10 20 1 2 3 4", "", false);
    const ScoreRecord& legacy = scoreRecord("W");
    EXPECT_EQ(legacy.distance.best, 10.0f);
    EXPECT_EQ(legacy.distance.total, 20.0f);
    EXPECT_EQ(legacy.points.best, 1);
    EXPECT_EQ(legacy.points.total, 2);
    EXPECT_EQ(legacy.coins.best, 3);
    EXPECT_EQ(legacy.coins.total, 4);
    EXPECT_FALSE(legacy.distance.saved || legacy.points.saved || legacy.coins.saved);

    loadScores(kDamaged, "1.0", false);
    const ScoreRecord& global = scoreRecord("");
    ASSERT_TRUE(global.distance.saved && global.coins.saved);
    EXPECT_FALSE(global.points.saved);
    EXPECT_EQ(global.distance.saved->current, 5.0f);
    EXPECT_EQ(global.distance.saved->total, 250.0f);
    EXPECT_EQ(global.coins.saved->current, 0);
    EXPECT_EQ(global.coins.saved->total, 120);
    EXPECT_EQ(scoreRecord("W;2").coins.total, 6);  // the first of the two "W%3B2" records
}

TEST_F(Scores, LoadingDuringASessionKeepsItsCurrentValues) {
    scoreRecord("W").distance.current = 120;
    scoreRecord("W").coins.current = 7;
    scoreRecord("Gone").points.current = 5;
    const std::string stored = "W:100 300 0 1 2 0 3 4 0";

    parseScores(stored, false);
    const ScoreRecord& kept = scoreRecord("W");
    EXPECT_EQ(kept.distance.current, 120.0f);
    EXPECT_EQ(kept.distance.best, 120.0f);
    EXPECT_EQ(kept.distance.total, 300.0f);
    EXPECT_EQ(kept.coins.current, 7);
    EXPECT_EQ(kept.coins.best, 7);
    EXPECT_EQ(kept.coins.total, 7);
    EXPECT_EQ(findScoreRecord("Gone"), nullptr);

    parseScores(stored, true);
    EXPECT_EQ(scoreRecord("W").distance.current, 0.0f);
    EXPECT_EQ(scoreRecord("W").distance.best, 100.0f);
}

// Keys with separators survive; nothing written depends on the locale or
// reads back as an unreadable number.
TEST_F(Scores, KeysAndNumbersRoundTripUnderACommaLocale) {
    const apptest::CommaLocale comma;
    const std::vector<std::string> names = {"World 1: Forest", "a;b", "100%", "%3B", " ", "Wälder ☃", "x:"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        ScoreRecord& r = scoreRecord(names[i]);
        r.distance.best = 1234.5678f + static_cast<float>(i);
        r.distance.total = 0.1f;
        r.points.total = 1000000;
        r.coins.refreshSavedCopy();
    }
    scoreRecord("nan").distance.best = std::numeric_limits<float>::quiet_NaN();
    scoreRecord("nan").distance.total = -std::numeric_limits<float>::infinity();
    int nonFinite = 0;
    const std::string stored = serializeScores(&nonFinite);
    EXPECT_EQ(nonFinite, 2);
    EXPECT_EQ(stored.find("nan:"), stored.rfind("nan:"));  // only the key spells it
    EXPECT_EQ(stored.find("inf"), std::string::npos);
    EXPECT_EQ(stored.find(','), std::string::npos);
    EXPECT_NE(stored.find("World 1: Forest:1234.5677 0.1 0 0 1000000 0 0 0 1 0 0 0"), std::string::npos);

    parseScores(stored, true);
    EXPECT_TRUE(unreadScoreRecords().empty());
    ASSERT_EQ(scoreRecords().size(), names.size() + 1);
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const ScoreRecord* r = findScoreRecord(names[i]);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->distance.best, 1234.5678f + static_cast<float>(i));
        EXPECT_EQ(r->distance.total, 0.1f);
        EXPECT_TRUE(r->coins.saved.has_value());
    }
    EXPECT_EQ(findScoreRecord("nan")->distance.best, 0.0f);
    EXPECT_EQ(serializeScores(), stored.substr(0, stored.find(";nan:")) + ";nan:0 0 0 0 0 0 0 0 0");
}

TEST_F(Scores, SessionSumsAndResetSkipOrIncludeTheGlobalRecord) {
    EXPECT_EQ(sessionCoins(), 0);
    scoreRecord("").coins.current = 1000;
    scoreRecord("").distance.current = 1000;
    scoreRecord("A").coins.current = 3;
    scoreRecord("A").points.current = 4;
    scoreRecord("A").distance.current = 1.5f;
    scoreRecord("B").coins.current = INT_MAX;
    scoreRecord("B").points.current = 6;
    scoreRecord("B").distance.current = 2.25f;
    EXPECT_EQ(sessionCoins(), INT_MAX);  // the float sum saturates, it does not wrap
    EXPECT_EQ(sessionPoints(), 10);
    EXPECT_EQ(sessionDistance(), 3.75f);

    scoreRecord("A").coins.best = 50;
    scoreRecord("A").points.best = 60;
    resetScores(false, false, false, true);
    EXPECT_EQ(scoreRecord("A").coins.current, 3);
    EXPECT_FALSE(scoreRecord("A").coins.saved);

    resetScores(false, true, true, false);
    for (const auto& entry : scoreRecords()) {
        SCOPED_TRACE(entry.first);
        EXPECT_EQ(entry.second.coins.current, 0);
        ASSERT_TRUE(entry.second.coins.saved);
        EXPECT_EQ(entry.second.coins.saved->current, 0);
        EXPECT_FALSE(entry.second.distance.saved);
    }
    EXPECT_EQ(scoreRecord("A").points.best, 60);
    EXPECT_EQ(scoreRecord("").distance.current, 1000.0f);
    resetScores(false, true, false, true);
    EXPECT_EQ(scoreRecord("A").points.best, 0);
    EXPECT_EQ(scoreRecord("A").coins.best, 50);
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
        if (row.spend) {
            counter.spend(row.amount);
            ASSERT_TRUE(counter.saved);
            EXPECT_EQ(counter.saved->current, row.wantCurrent);
        } else {
            counter.add(row.amount);
        }
        EXPECT_EQ(counter.current, row.wantCurrent);
        EXPECT_EQ(counter.best, row.wantBest);
        EXPECT_EQ(counter.total, row.wantTotal);
    }

    ScoreCounter<float> distance;
    distance.add(std::numeric_limits<float>::max());
    distance.add(std::numeric_limits<float>::max());
    distance.add(std::numeric_limits<float>::quiet_NaN());
    distance.spend(std::numeric_limits<float>::infinity());
    EXPECT_EQ(distance.total, std::numeric_limits<float>::max());
    EXPECT_FALSE(distance.saved);

    ScoreRecord record;
    record.coins.current = INT_MIN;
    record.restoreFromSavedCopies();
    EXPECT_EQ(record.coins.current, 0);
    record.coins.current = INT_MAX;
    record.refreshSavedCopies();
    record.coins.current = 1;
    record.restoreFromSavedCopies();
    EXPECT_EQ(record.coins.current, INT_MAX);
}

// The game field takes the world's record, then the global one, and keeps
// both; neither may move when other records are added.
TEST_F(Scores, RecordsStayPutUntilTheNextParse) {
    ScreenManager::shared()->setSceneName("World");
    ScoreRecord& world = currentScoreRecord();
    ScoreRecord& global = scoreRecord("");
    for (int i = 0; i < 1000; ++i) scoreRecord("r" + std::to_string(i)).points.current = i;
    world.coins.add(5);
    global.coins.add(7);
    EXPECT_EQ(findScoreRecord("World")->coins.current, 5);
    EXPECT_EQ(findScoreRecord("")->coins.current, 7);
    EXPECT_EQ(&currentScoreRecord(), &world);
    ScreenManager::shared()->setSceneName("");
    EXPECT_EQ(&currentScoreRecord(), &global);
    EXPECT_EQ(findScoreRecord("absent"), nullptr);
    EXPECT_EQ(scoreRecords().size(), 1002u);
}
