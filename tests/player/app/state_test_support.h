// What the settings and store-level tests share: a private progress store,
// its rows as written, the hand-written fixtures and the player's tables as
// comparable texts.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../../model/core/support/model_test_support.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/core/QVAttributeValue.h"
#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/ScoreTable.h"

namespace statetest {

using cocos2d::CCUserDefault;
using Lines = std::vector<std::string>;
using Rows = std::vector<std::pair<std::string, std::string>>;

inline std::string storePath() { return CCUserDefault::getXMLFilePath(); }

// The store file as written, every row in key order.
inline Rows storedRows(const std::string& path = storePath()) {
    Rows rows;
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    auto add = [](void* out, int, char** v, char**) { return static_cast<Rows*>(out)->emplace_back(v[0], v[1]), 0; };
    sqlite3_exec(db, "SELECT key, value FROM user_default ORDER BY key", add, &rows, nullptr);
    sqlite3_close(db);
    return rows;
}

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fixture of tests/fixtures/state/ (key<TAB>value, no escapes in them).
inline Rows fixtureRows(const std::string& name) {
    Rows rows;
    std::ifstream in(std::string(QV_SOURCE_DIR) + "/tests/fixtures/state/" + name);
    for (std::string line; std::getline(in, line);) {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos) rows.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    EXPECT_FALSE(rows.empty()) << name;
    return rows;
}

// A new store object reads the file again.
inline void useWritable(const std::string& path) {
    CCUserDefault::purgeSharedUserDefault();
    cocos2d::CCFileUtils::sharedFileUtils()->setWritablePath(path);
}

// Writes `rows` into the store of the current writable path and drops the
// store object, so the next reader starts from the file.
inline void writeStore(const Rows& rows) {
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    for (const auto& [key, value] : rows) store->setStringForKey(key.c_str(), value);
    store->flush();
    ASSERT_FALSE(store->isDirty());
    CCUserDefault::purgeSharedUserDefault();
}

inline void setVersion(const std::string& version) {
    dynamic_cast<QVAttributeString&>(*QVModelGeneralSettings::shared()->attribute("ZK Version")).setValue(version);
}

// Reaches the maps that only loading fills.
struct OpenSettings : QVPSettingsController {
    using QVPSettingsController::m_characters;
    using QVPSettingsController::m_inventory;
    using QVPSettingsController::m_refillTimers;
    using QVPSettingsController::m_selectedCharacter;
};

inline std::string join(const UnreadRecords& list) {
    std::string out;
    for (const auto& s : list) out += s + "|";
    return out;
}

// Every family of the live state as one text each (unread records apart),
// keyed by the stored key or prefix it comes from.
inline std::map<std::string, std::string> families(QVPSettingsController& s) {
    std::map<std::string, std::string> out;
    std::string scores;
    for (const auto& [key, r] : scoreRecords()) {
        scores += key + "=";
        for (float v : {r.distance.best, r.distance.total}) scores += std::to_string(v) + " ";
        for (int32_t v : {r.points.best, r.points.total, r.coins.best, r.coins.total})
            scores += std::to_string(v) + " ";
        scores += std::to_string(r.distance.saved.has_value()) + std::to_string(r.points.saved.has_value()) +
                  std::to_string(r.coins.saved.has_value()) + ";";
    }
    out["QVP_Scores"] = scores;
    std::string locks = LockStateStore::serializeLockStates();
    locks.resize(locks.size() - std::min(locks.size(), join(LockStateStore::unreadLockStates()).size()));
    out["QVP_LockStates"] = locks;
    std::string checkpoints;
    for (const auto& [key, c] : checkpointRecords())
        checkpoints += key + "=" + std::to_string(c.pointX) + " " + std::to_string(c.distance) + " " +
                       std::to_string(c.sectionId) + ";";
    out["PQV_Checkpoints"] = checkpoints;
    for (const auto& [id, t] : s.refillTimers())
        out["QVP_RefillPowerup_"] += std::to_string(id) + ":" + std::to_string(t.max) + ":" +
                                     std::to_string(t.interval) + ":" + std::to_string(t.start) + ";";
    for (const auto& [id, n] : s.inventory())
        out["QVP_Inventory_"] += std::to_string(id) + ":" + std::to_string(n) + ";";
    for (const auto& [i, on] : s.characters())
        out["QVP_Character_"] += std::to_string(i) + ":" + std::to_string(on) + ";";
    out["QVP_selectedCharacter"] = std::to_string(s.selectedCharacter());
    out["QVP_removeAds"] = std::to_string(s.removeAds());
    out["QVP_fullscreen"] = std::to_string(s.isFullscreen());
    out["QVP_muteEffectsSound"] = std::to_string(s.muteEffectsSound());
    out["QVP_muteBackgroundSound"] = std::to_string(s.muteBackgroundSound());
    out["ScreenPlayed-Level_1"] = std::to_string(s.screenPlayedCount("Level 1"));
    return out;
}

// Every unread record the last load kept, of every family.
inline UnreadRecords allUnread(const QVPSettingsController& s) {
    UnreadRecords all;
    for (const UnreadRecords* list :
         {&unreadScoreRecords(), &LockStateStore::unreadLockStates(), &unreadCheckpointRecords(),
          &s.unreadRefillTimers(), &s.unreadInventory(), &s.unreadCharacters()})
        all.insert(all.end(), list->begin(), list->end());
    return all;
}

// A fresh instance that loaded the store, as the player has one after its
// data loaded.
inline QVPSettingsController* loadedSettings() {
    QVPSettingsController::destroy();
    QVPSettingsController* s = QVPSettingsController::shared();
    s->load();
    QVPSettingsController::setLoaded(true);
    return s;
}

// Drops the settings and puts the program-wide player state and the
// writable path back.
inline void resetPlayerState() {
    QVPSettingsController::destroy();
    QVPSettingsController::setLoaded(false);
    QVModelGeneralSettings::reset();
    clearScores();
    clearCheckpoints();
    LockStateStore::parseLockStates("");
    useWritable("");
}

// A private writable directory, with the program-wide state put back after.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { useWritable(dir.path); }
    void TearDown() override { resetPlayerState(); }
    QVPSettingsController* loaded() { return loadedSettings(); }
    modeltest::TempDir dir;
    modeltest::LogCapture log;
};

}  // namespace statetest
