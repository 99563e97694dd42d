#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>

#include "director/CCDirector.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelScreen.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVModelController.h"
#include "model/core/QVTypeId.h"
#include "persisted_text_support.h"
#include "platform/RandomAndClock.h"
#include "state_test_support.h"

using namespace statetest;

namespace {

constexpr int64_t kNow = 1'700'000'000;

// Fills the maps a load fills, to check their formats.
struct FilledSettings : QVPSettingsController {
    FilledSettings() {
        m_refillTimers = {{5, {1700000000, 600, 5, 3}}, {2, {-7, 60, 2, 10}}};
        m_inventory = {{4000000000u, 7}, {9, -1}};
        load();
    }
    using QVPSettingsController::m_inventory;
    using QVPSettingsController::m_refillTimers;
};

template <class A, class V>
void set(const std::shared_ptr<QVModel>& model, const std::string& name, const V& value) {
    A* attribute = attributeCast<A>(model->attribute(name));
    ASSERT_NE(attribute, nullptr) << name;
    attribute->setValue(value, true);
}

class PlayerState : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        setClock(kNow);
    }
    void TearDown() override {
        compat::setClockForTest(nullptr);
        QVModelController::shared()->clear();
        StoreTest::TearDown();
    }
    static void setClock(int64_t seconds) {
        compat::setClockForTest([seconds] { return seconds * 10'000'000; });
    }
    static std::shared_ptr<QVModelAssetCharacter> character(const std::string& purchaseMethod) {
        auto model = QVModelAssetCharacter::create();
        set<QVAttributeStringList>(model, "Purchase Method", purchaseMethod);
        QVModelController::shared()->addModel(model);
        return model;
    }
};

}  // namespace

// Keys a save does not own survive it untouched; the numbered entries follow
// ascending ids, each in its own format, with their counts; non-finite
// values are written as 0 with one line, whatever the global locale.
TEST_F(PlayerState, SaveWritesExactlyTheKeysItHoldsAndKeepsTheOthers) {
    apptest::CommaLocale comma;
    writeStore({{"ScreenPlayed-Level_1", "4"}, {"Other", "kept"}});
    setVersion("2.5");
    QVPSettingsController::setLoaded(true);
    FilledSettings s;
    s.unlockCharacter(7);
    s.unlockCharacter(2);
    s.setSelectedCharacter(7);
    s.setRemoveAds(true);
    s.setMuteBackgroundSound(true);
    LockStateStore::setLockState("k;%", false);
    scoreRecord("W").coins.add(3);
    scoreRecord("W").distance.best = 2.5f;
    checkpointRecord("C").pointX = NAN;
    checkpointRecord("C").distance = INFINITY;
    log.lines().clear();
    s.save();
    EXPECT_EQ(log.lines(), (Lines{"[QVPSettingsController] - save",
                                  "[QVPSettingsController] - 2 values were not finite and are saved as 0",
                                  "[QVPSettingsController] - save complete"}));
    EXPECT_EQ(storedRows(), (Rows{{"Other", "kept"},
                                  {"PQV_Checkpoints", "C:0 0 0 0 0 0"},
                                  {"QVP_Character_0", "0:1"},
                                  {"QVP_Character_1", "2:1"},
                                  {"QVP_Character_2", "7:1"},
                                  {"QVP_Characters_count", "3"},
                                  {"QVP_Inventory_0", "9:-1"},
                                  {"QVP_Inventory_1", "4000000000:7"},
                                  {"QVP_Inventory_count", "2"},
                                  {"QVP_LockStates", "k%3B%25:0"},
                                  {"QVP_RefillPowerup_0", "2:10:60:-7"},
                                  {"QVP_RefillPowerup_1", "5:3:600:1700000000"},
                                  {"QVP_RefillPowerup_count", "2"},
                                  {"QVP_Scores", "W:2.5 0 0 0 0 0 3 3 0"},
                                  {"QVP_fullscreen", "false"},
                                  {"QVP_muteBackgroundSound", "true"},
                                  {"QVP_muteEffectsSound", "false"},
                                  {"QVP_removeAds", "true"},
                                  {"QVP_selectedCharacter", "7"},
                                  {"ScreenPlayed-Level_1", "4"},
                                  {"ZK_Version", "2.5"}}));
}

// Save then load restores every entry; a stored entry replaces the default
// of its key and the others stay.
TEST_F(PlayerState, LoadRestoresEveryEntryOverTheDefaultsWithoutEmptyingTheMaps) {
    writeStore(fixtureRows("full.kv"));
    setVersion("1.0");
    auto* s = new OpenSettings();
    s->load();
    QVPSettingsController::setLoaded(true);
    const auto stored = families(*s);
    EXPECT_EQ(s->selectedCharacter(), 2);
    EXPECT_EQ(s->inventory(), (std::map<uint32_t, int32_t>{{5, 2}, {6, 0}}));
    s->m_inventory[5] = 9;   // replaced by the stored entry
    s->m_inventory[77] = 4;  // a default the store does not hold
    s->m_characters[40] = true;
    s->load();
    EXPECT_EQ(s->inventory(), (std::map<uint32_t, int32_t>{{5, 2}, {6, 0}, {77, 4}}));
    EXPECT_TRUE(s->characters().at(40));
    s->save();
    s->release();
    EXPECT_EQ(families(*loaded()).at("QVP_Scores"), stored.at("QVP_Scores"));
    EXPECT_EQ(families(*QVPSettingsController::shared()).at("PQV_Checkpoints"), stored.at("PQV_Checkpoints"));
    EXPECT_EQ(QVPSettingsController::shared()->inventory().at(77), 4);
    const Rows once = storedRows();
    loaded()->save();
    EXPECT_EQ(storedRows(), once) << "load, save, load, save writes the same store";
}

// Damaged counts: a huge one costs only the entries that exist, an
// unreadable one loses none, a missing entry below a valid count is skipped.
TEST_F(PlayerState, CountsReadTheEntriesThatExist) {
    struct Row {
        Rows stored;
        std::map<uint32_t, int32_t> inventory;
        const char* line;
    };
    const Row rows[] = {
        {{{"QVP_Inventory_count", "2147483647"}, {"QVP_Inventory_0", "5:3"}, {"QVP_Inventory_1", "6:1"}},
         {{5, 3}, {6, 1}},
         "[QVPSettingsController] - QVP_Inventory_count: bad count '2147483647', reading the entries that exist"},
        {{{"QVP_Inventory_count", "x"}, {"QVP_Inventory_0", "5:3"}},
         {{5, 3}},
         "[QVPSettingsController] - QVP_Inventory_count: bad count 'x', reading the entries that exist"},
        {{{"QVP_Inventory_count", "-1"}, {"QVP_Inventory_0", "5:3"}},
         {{5, 3}},
         "[QVPSettingsController] - QVP_Inventory_count: bad count '-1', reading the entries that exist"},
        {{{"QVP_Inventory_count", "3"}, {"QVP_Inventory_0", "5:3"}, {"QVP_Inventory_2", "7:2"}},
         {{5, 3}, {7, 2}},
         "[QVPSettingsController] - QVP_Inventory_count: 1 missing entries skipped"},
        {{{"QVP_Inventory_count", "1"}, {"QVP_Inventory_0", "5:3"}, {"QVP_Inventory_1", "6:1"}}, {{5, 3}}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored.front().second);
        modeltest::TempDir d;
        useWritable(d.path);
        writeStore(row.stored);
        log.lines().clear();
        EXPECT_EQ(loaded()->inventory(), row.inventory);
        if (row.line) {
            EXPECT_TRUE(log.has(row.line));
        }
    }
    useWritable(dir.path);
}

TEST_F(PlayerState, RefillTimers) {
    struct Row {
        const char* name;
        int32_t count, max;
        int64_t start, now;  // start relative to kNow
        int32_t countAfter;
        bool timerAfter;
        int64_t startAfter;
    };
    const Row rows[] = {
        {"elapsed, reaches max", 2, 3, 0, 600, 3, false, 0},
        {"elapsed, below max restarts", 2, 4, 0, 600, 3, true, 600},
        {"not yet due", 2, 4, 0, 599, 2, true, 0},
        {"bought to max meanwhile", 3, 3, 0, 600, 3, false, 0},
        {"above max after a purchase", 5, 3, 0, 600, 5, false, 0},
        {"start in the future", 1, 4, 5000, 600, 1, true, 600},
        {"far past start", 1, 4, INT64_MIN / 4, 0, 2, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        OpenSettings s;
        s.m_inventory[5] = row.count;
        s.m_refillTimers[5] = {kNow + row.start, 600, 5, row.max};
        setClock(kNow + row.now);
        s.update(1.0f);
        EXPECT_EQ(s.inventory().at(5), row.countAfter);
        ASSERT_EQ(s.refillTimers().count(5), row.timerAfter ? 1u : 0u);
        if (row.timerAfter) {
            EXPECT_EQ(s.refillTimers().at(5).start, kNow + row.startAfter);
        }
        setClock(kNow);
    }
    EXPECT_TRUE(log.has("[QVPSettingsController] - refill 5: start in the future, restarted"));

    OpenSettings s;
    s.startRefill(5, 10, 3);  // creates the entry at 0
    s.startRefill(6, 10, 3);
    s.startRefill(7, 0, 3);
    s.startRefill(8, INT_MAX, 3);
    EXPECT_EQ(s.inventory().at(7), 0);
    EXPECT_EQ(s.refillTimers().count(7), 0u);
    EXPECT_TRUE(log.has("[QVPSettingsController] - refill 7: no timeout, not started"));
    EXPECT_EQ(s.refillTimers().at(8).interval, INT_MAX);
    s.m_inventory[9] = 3;
    s.startRefill(9, 10, 3);  // at its maximum
    EXPECT_EQ(s.refillTimers().count(9), 0u);
    setClock(kNow + 700);
    EXPECT_EQ(s.refillSecondsLeft(5), -100);
    EXPECT_EQ(s.refillSecondsLeft(1), 0);
    s.m_refillTimers[1] = {INT64_MIN / 2, 600, 1, 3};
    EXPECT_EQ(s.refillSecondsLeft(1), INT_MIN);
    s.m_refillTimers.erase(1);
    s.update(1.0f);  // both due timers give one unit each
    EXPECT_EQ(s.inventory().at(5), 1);
    EXPECT_EQ(s.inventory().at(6), 1);
    EXPECT_EQ(s.refillSecondsLeft(5), 600);
}

// The constructor schedules the tick: 60 frames of 1/60 s give one unit.
TEST_F(PlayerState, TheDirectorTicksTheRefillOnceASecond) {
    OpenSettings* s = new OpenSettings();
    s->startRefill(5, 1, 3);
    setClock(kNow + 60);
    auto* director = cocos2d::CCDirector::sharedDirector();
    for (int frame = 0; frame < 59; ++frame) director->stepFrame(1.0f / 60);
    EXPECT_EQ(s->inventory().at(5), 0);
    director->stepFrame(1.0f / 60);
    director->stepFrame(1.0f / 60);
    EXPECT_EQ(s->inventory().at(5), 1);
    s->release();
}

TEST_F(PlayerState, InventoryDefaultsComeFromPowerupButtonsOnScreens) {
    auto* models = QVModelController::shared();
    auto powerup = QVModelAssetPowerup::create();
    models->addModel(powerup);
    auto button = [&](float maxRefill, const std::string& selection) {
        auto b = QVModelObjectButtonPowerup::create();
        set<QVAttributeFloat>(b, "Max Refill", maxRefill);
        set<QVAttributeStringList>(b, "Powerup Selection", selection);
        models->addModel(b);
        return b;
    };
    const std::string id = std::to_string(powerup->id());
    auto onScreen = button(4.9f, id), offScreen = button(9, id), unknown = button(7, "999999"), none = button(0, id);
    auto screen = QVModelScreen::create();
    for (const auto& b : {onScreen, unknown, none}) screen->addChild(b, true);
    models->addModel(screen);
    OpenSettings s;
    EXPECT_EQ(s.inventory(), (std::map<uint32_t, int32_t>{{powerup->id(), 4}}));
    EXPECT_EQ(s.inventoryAmount(powerup), 4);
    EXPECT_EQ(s.inventoryAmount(screen), 0);
    EXPECT_EQ(s.inventory().count(screen->id()), 0u) << "a read creates no entry";
    EXPECT_EQ(s.inventoryAmount(nullptr), 0);
    s.setInventoryAmount(nullptr, 3);
    s.setInventoryAmount(powerup, 1);
    EXPECT_EQ(s.inventoryAmount(powerup), 1);
    EXPECT_EQ(s.inventory().size(), 1u);
}

TEST_F(PlayerState, CharactersFollowTheirPurchaseMethod) {
    character("kCoins");
    character("kFree");
    character("kFree ");
    OpenSettings s;
    s.m_characters.clear();
    s.reset(false);
    EXPECT_EQ(s.characters(), (std::map<uint32_t, bool>{{0, false}, {1, true}, {2, false}}));
    s.m_characters.clear();
    EXPECT_TRUE(s.isCharacterUnlocked(1));
    EXPECT_FALSE(s.isCharacterUnlocked(2));
    EXPECT_FALSE(s.isCharacterUnlocked(3));
    EXPECT_EQ(s.characters(), (std::map<uint32_t, bool>{{1, true}, {2, false}})) << "beyond the models: not stored";
}

// "Level 1" counts under "ScreenPlayed-Level_1", on disk before the call
// returns, and stops at INT_MAX.
TEST_F(PlayerState, ScreenCountersFlushAtOnceAndSaturate) {
    QVPSettingsController* s = QVPSettingsController::shared();
    s->incrementScreenPlayed("Level 1");
    s->incrementScreenPlayed("Level 1");
    EXPECT_EQ(storedRows(), (Rows{{"ScreenPlayed-Level_1", "2"}}));
    EXPECT_EQ(s->screenPlayedCount("Level 1"), 2);
    writeStore({{"ScreenPlayed-Top", "2147483647"}, {"ScreenPlayed-Bad", "3x"}});
    s->incrementScreenPlayed("Top");
    EXPECT_EQ(s->screenPlayedCount("Top"), INT_MAX);
    EXPECT_EQ(s->screenPlayedCount("Bad"), 0);
    EXPECT_TRUE(log.has("[QVPSettingsController] - ScreenPlayed-Bad: unreadable value '3x', using the default"));
}
