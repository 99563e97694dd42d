#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include "../../model/core/support/model_test_support.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/core/QVAttributeValue.h"
#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"
#include "player/app/QVPSettingsController.h"

using cocos2d::CCUserDefault;
using Lines = std::vector<std::string>;
using Rows = std::vector<std::pair<std::string, std::string>>;

namespace {

// The store file as written, every row in key order.
Rows storedRows() {
    Rows rows;
    sqlite3* db = nullptr;
    sqlite3_open_v2(CCUserDefault::getXMLFilePath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    auto add = [](void* out, int, char** v, char**) { return static_cast<Rows*>(out)->emplace_back(v[0], v[1]), 0; };
    sqlite3_exec(db, "SELECT key, value FROM user_default ORDER BY key", add, &rows, nullptr);
    sqlite3_close(db);
    return rows;
}

// Reaches the maps a later load() fills, to check their formats.
struct FilledSettings : QVPSettingsController {
    FilledSettings() {
        m_refillTimers = {{5, {1700000000, 600, 5, 3}}, {2, {-7, 60, 2, 10}}};
        m_inventory = {{4000000000u, 7}, {9, -1}};
    }
};

class PlayerState : public ::testing::Test {
protected:
    void SetUp() override { useWritable(dir.path); }
    void TearDown() override {
        QVPSettingsController::destroy();
        QVPSettingsController::setLoaded(false);
        QVModelGeneralSettings::reset();
        useWritable("");
    }
    static void useWritable(const std::string& path) {  // a new store object reads the file again
        CCUserDefault::purgeSharedUserDefault();
        cocos2d::CCFileUtils::sharedFileUtils()->setWritablePath(path);
    }
    modeltest::TempDir dir;
    modeltest::LogCapture log;
};

}  // namespace

// A default-state instance never overwrites stored progress.
TEST_F(PlayerState, DefaultStateSavesNothingBeforeLoadingAndComesBackAfterDestroy) {
    QVPSettingsController* s = QVPSettingsController::shared();
    EXPECT_EQ(QVPSettingsController::shared(), s);
    EXPECT_TRUE(s->isCharacterUnlocked(0));
    EXPECT_FALSE(s->isCharacterUnlocked(1) || s->selectedCharacter() || s->removeAds() || s->isFullscreen() ||
                 s->isLowPerformance() || s->muteEffectsSound() || s->muteBackgroundSound());
    EXPECT_TRUE(s->refillTimers().empty() && s->inventory().empty());
    s->setRemoveAds(true);
    s->save();
    EXPECT_EQ(log.lines(), Lines{"[QVPSettingsController] - save while not loaded  = reset - issue prevented"});
    EXPECT_FALSE(CCUserDefault::sharedUserDefault()->isDirty());
    EXPECT_EQ(access(CCUserDefault::getXMLFilePath().c_str(), F_OK), -1);
    QVPSettingsController::destroy();
    EXPECT_FALSE(QVPSettingsController::shared()->removeAds());
}

// Keys of parts not held here yet survive a save untouched; the numbered
// entries follow ascending ids, each in its own format.
TEST_F(PlayerState, SaveWritesExactlyTheKeysItHoldsAndKeepsTheOthers) {
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    store->setStringForKey("QVP_Scores", "1001:250:3"), store->flush();
    useWritable(dir.path);
    dynamic_cast<QVAttributeString&>(*QVModelGeneralSettings::shared()->attribute("ZK Version")).setValue("2.5");
    QVPSettingsController::setLoaded(true);
    FilledSettings s;
    s.unlockCharacter(7);
    s.setSelectedCharacter(7);
    s.setRemoveAds(true);
    s.setMuteBackgroundSound(true);
    s.save();
    EXPECT_EQ(log.lines(), (Lines{"[QVPSettingsController] - save", "[QVPSettingsController] - save complete"}));
    EXPECT_EQ(storedRows(), (Rows{{"QVP_Character_0", "0:1"}, {"QVP_Character_1", "7:1"}, {"QVP_Characters_count", "2"},
                                  {"QVP_Inventory_0", "9:-1"}, {"QVP_Inventory_1", "4000000000:7"},
                                  {"QVP_Inventory_count", "2"}, {"QVP_RefillPowerup_0", "2:10:60:-7"},
                                  {"QVP_RefillPowerup_1", "5:3:600:1700000000"}, {"QVP_RefillPowerup_count", "2"},
                                  {"QVP_Scores", "1001:250:3"}, {"QVP_fullscreen", "false"},
                                  {"QVP_muteBackgroundSound", "true"}, {"QVP_muteEffectsSound", "false"},
                                  {"QVP_removeAds", "true"}, {"QVP_selectedCharacter", "7"}, {"ZK_Version", "2.5"}}));
}

TEST_F(PlayerState, FailedFlushIsReportedAsSaveFailed) {
    std::ofstream(dir.path + "/file") << "x";  // the writable directory would be under a regular file
    useWritable(dir.path + "/file/sub");
    QVPSettingsController::setLoaded(true);
    QVPSettingsController::shared()->save();
    ASSERT_FALSE(log.lines().empty());  // the store's own lines come between
    EXPECT_EQ(log.lines().front(), "[QVPSettingsController] - save");
    EXPECT_EQ(log.lines().back(), "[QVPSettingsController] - save failed");
}
