#include <gtest/gtest.h>
#include <sqlite3.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/QVLog.h"
#include "player/app/QVPSettingsController.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/core/QVAttributeValue.h"
#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"

using cocos2d::CCFileUtils;
using cocos2d::CCUserDefault;

namespace {

std::vector<std::string> g_lines;
void capture(const char* text, std::size_t length) {
    std::string line(text, length);
    if (line.rfind("[QVPSettingsController]", 0) == 0) g_lines.push_back(line);
}

using Rows = std::vector<std::pair<std::string, std::string>>;

// The store file as written, every row in key order.
Rows storedRows(const std::string& path) {
    Rows rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT key, value FROM user_default ORDER BY key", -1, &s, nullptr) == SQLITE_OK)
            while (sqlite3_step(s) == SQLITE_ROW)
                rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)),
                                  reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return rows;
}

// Reaches the maps a later load() fills, to check their formats.
struct FilledSettings : QVPSettingsController {
    void fill() {
        m_refillTimers[5] = {1700000000, 600, 5, 3};
        m_refillTimers[2] = {-7, 60, 2, 10};
        m_inventory[4000000000u] = 7;
        m_inventory[9] = -1;
    }
};

class PlayerState : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qv-settings-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        useWritable(dir);
        g_lines.clear();
        setLogSink(capture);
        QVPSettingsController::setLoaded(false);
        QVPSettingsController::destroy();
    }
    void TearDown() override {
        QVPSettingsController::destroy();
        QVPSettingsController::setLoaded(false);
        CCUserDefault::purgeSharedUserDefault();
        CCFileUtils::sharedFileUtils()->setWritablePath("");
        setLogSink(nullptr);
        ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
    }
    static void useWritable(const std::string& path) {
        CCUserDefault::purgeSharedUserDefault();
        CCFileUtils::sharedFileUtils()->setWritablePath(path);
    }
    std::string dir;
};

}  // namespace

TEST_F(PlayerState, DefaultStateAndSwitches) {
    QVPSettingsController* s = QVPSettingsController::shared();
    EXPECT_EQ(QVPSettingsController::shared(), s);
    EXPECT_TRUE(s->isCharacterUnlocked(0));
    EXPECT_FALSE(s->isCharacterUnlocked(1));
    EXPECT_EQ(s->selectedCharacter(), 0);
    EXPECT_FALSE(s->removeAds() || s->isFullscreen() || s->isLowPerformance() || s->muteEffectsSound() ||
                 s->muteBackgroundSound());
    EXPECT_TRUE(s->refillTimers().empty() && s->inventory().empty());
    s->unlockCharacter(4000000000u);
    s->setRemoveAds(true);
    EXPECT_TRUE(s->isCharacterUnlocked(4000000000u));
    EXPECT_TRUE(s->removeAds());
    // A fresh instance after destroy starts from the defaults again.
    QVPSettingsController::destroy();
    s = QVPSettingsController::shared();
    EXPECT_FALSE(s->removeAds());
    EXPECT_FALSE(s->isCharacterUnlocked(4000000000u));
}

TEST_F(PlayerState, SaveBeforeLoadingWritesNothing) {
    QVPSettingsController::shared()->unlockCharacter(3);
    QVPSettingsController::shared()->save();
    EXPECT_EQ(g_lines, std::vector<std::string>{
                           "[QVPSettingsController] - save while not loaded  = reset - issue prevented"});
    EXPECT_FALSE(CCUserDefault::sharedUserDefault()->isDirty());
    EXPECT_EQ(access(CCUserDefault::getXMLFilePath().c_str(), F_OK), -1);
}

TEST_F(PlayerState, SaveWritesExactlyTheKeysItHoldsAndKeepsTheOthers) {
    // Progress of parts not held here yet must survive a save untouched.
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    store->setStringForKey("QVP_Scores", "1001:250:3");
    store->setStringForKey("QVP_LockStates", "Level 2:0");
    store->setStringForKey("PQV_Checkpoints", "7");
    store->flush();
    useWritable(dir);  // a new store object reads the file again

    auto generalSettings = QVModelGeneralSettings::shared();
    auto* version = dynamic_cast<QVAttributeString*>(generalSettings->attribute("ZK Version"));
    ASSERT_NE(version, nullptr);
    version->setValue("2.5");

    QVPSettingsController::setLoaded(true);
    QVPSettingsController* s = QVPSettingsController::shared();
    s->unlockCharacter(2);
    s->save();
    EXPECT_EQ(g_lines, (std::vector<std::string>{"[QVPSettingsController] - save",
                                                 "[QVPSettingsController] - save complete"}));
    const Rows expected = {
        {"PQV_Checkpoints", "7"},
        {"QVP_Character_0", "0:1"},
        {"QVP_Character_1", "2:1"},
        {"QVP_Characters_count", "2"},
        {"QVP_Inventory_count", "0"},
        {"QVP_LockStates", "Level 2:0"},
        {"QVP_RefillPowerup_count", "0"},
        {"QVP_Scores", "1001:250:3"},
        {"QVP_fullscreen", "false"},
        {"QVP_muteBackgroundSound", "false"},
        {"QVP_muteEffectsSound", "false"},
        {"QVP_removeAds", "false"},
        {"QVP_selectedCharacter", "0"},
        {"ZK_Version", "2.5"},
    };
    EXPECT_EQ(storedRows(CCUserDefault::getXMLFilePath()), expected);
    QVModelGeneralSettings::reset();
}

TEST_F(PlayerState, NumberedEntriesFollowAscendingIdsWithTheirFormats) {
    QVPSettingsController::setLoaded(true);
    FilledSettings s;
    s.fill();
    s.unlockCharacter(7);
    s.setSelectedCharacter(7);
    s.setRemoveAds(true);
    s.setMuteBackgroundSound(true);
    s.save();
    Rows rows = storedRows(CCUserDefault::getXMLFilePath());
    Rows numbered;
    for (const auto& row : rows)
        if (row.first.find("_count") != std::string::npos || row.first.find("QVP_Refill") == 0 ||
            row.first.find("QVP_Inventory") == 0 || row.first.find("QVP_Character") == 0 ||
            row.first == "QVP_selectedCharacter" || row.first == "QVP_removeAds" ||
            row.first == "QVP_muteBackgroundSound")
            numbered.push_back(row);
    const Rows expected = {
        {"QVP_Character_0", "0:1"},
        {"QVP_Character_1", "7:1"},
        {"QVP_Characters_count", "2"},
        {"QVP_Inventory_0", "9:-1"},
        {"QVP_Inventory_1", "4000000000:7"},
        {"QVP_Inventory_count", "2"},
        {"QVP_RefillPowerup_0", "2:10:60:-7"},
        {"QVP_RefillPowerup_1", "5:3:600:1700000000"},
        {"QVP_RefillPowerup_count", "2"},
        {"QVP_muteBackgroundSound", "true"},
        {"QVP_removeAds", "true"},
        {"QVP_selectedCharacter", "7"},
    };
    EXPECT_EQ(numbered, expected);
    QVModelGeneralSettings::reset();
}

TEST_F(PlayerState, FailedFlushIsReportedAsSaveFailed) {
    // The writable directory would have to be created under a regular file.
    const std::string blocker = dir + "/file";
    std::ofstream(blocker) << "x";
    useWritable(blocker + "/sub");
    QVPSettingsController::setLoaded(true);
    QVPSettingsController::shared()->save();
    EXPECT_EQ(g_lines, (std::vector<std::string>{"[QVPSettingsController] - save",
                                                 "[QVPSettingsController] - save failed"}));
    QVModelGeneralSettings::reset();
}
