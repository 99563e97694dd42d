// state_crash_tool --dir DIR loop [N] | check | reset
// Drives the player's own load, save and reset on the store in DIR.
//
// State j (j >= 1) sets every table, map and switch to values derived from j
// and the entry's index; state 0 is the default state of an empty store. The
// first state written into an empty store also gets one unread record per
// family, which every later save must carry along.
//
//   loop [N]  load, find j, then save j + 1, j + 2 ... (N states, or until
//             killed), printing each number once its save returned
//   check     load and print j, or name the first value that is not state
//             j's (or a missing or changed unread record) and exit 1
//   reset     load, then reset all progress
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/ScoreTable.h"

using cocos2d::CCUserDefault;

namespace {

constexpr int kInventory = 100, kRefills = 10, kCharacters = 30, kScores = 100, kLocks = 200, kCheckpoints = 20;

// Stored as they are by the first state; none of them reads.
const char* const kUnreadScore = "Unread world:1 2 x";
const char* const kUnreadLock = "unread lock:7";
const char* const kUnreadCheckpoint = "Unread world:1 2 3";
const char* const kUnreadRefill = "9:3:0:1";
const char* const kUnreadInventory = "7:abc";
const char* const kUnreadCharacter = "1:2";

std::string scoreKey(int i) { return "W" + std::to_string(i) + ": a;b%25c \xC3\xBC"; }
std::string lockName(int i) { return "lock " + std::to_string(i) + " ;%:\xE6\x97\xA5"; }
std::string checkpointKey(int i) { return "World " + std::to_string(i) + ": cp;%"; }

ScoreRecord scoreOf(long long j, int i) {
    ScoreRecord r;
    const auto n = static_cast<int32_t>(j);
    r.distance.best = static_cast<float>(n + i);
    r.distance.total = static_cast<float>(2 * n + i);
    r.points.best = n + i;
    r.points.total = n + 2 * i;
    r.coins.best = n;
    r.coins.total = n + i;
    if (i % 2 == 0) r.coins.saved = ScoreCounter<int32_t>::Saved{0, n, n + 3};
    return r;
}

CheckpointRecord checkpointOf(long long j, int i) {
    const auto n = static_cast<float>(j);
    return {n + static_cast<float>(i), -static_cast<float>(i), 0.5f * static_cast<float>(i), n, 2 * n + 0.25f, i - 1};
}

bool lockedOf(long long j, int i) { return (j + i) % 3 == 0; }

// Reaches the maps the public operations only add to.
struct CrashState : QVPSettingsController {
    void apply(long long j) {
        const auto n = static_cast<int32_t>(j);
        m_inventory.clear();
        for (int i = 0; i < kInventory; ++i) m_inventory[1000u + i] = n * 3 + i;
        m_refillTimers.clear();
        for (int i = 0; i < kRefills; ++i) {
            const uint32_t id = 2000u + i;
            m_refillTimers[id] = {1700000000ll + j, 60 + i, id, n % 50 + i};
        }
        m_characters.clear();
        for (int i = 0; i < kCharacters; ++i) m_characters[i] = (j + i) % 2 == 0;
        m_selectedCharacter = n;
        m_removeAds = j & 1;
        m_fullscreen = j & 2;
        m_muteEffectsSound = j & 4;
        m_muteBackgroundSound = j & 8;
        for (int i = 0; i < kScores; ++i) scoreRecord(scoreKey(i)) = scoreOf(j, i);
        for (int i = 0; i < kLocks; ++i) LockStateStore::setLockState(lockName(i), lockedOf(j, i));
        for (int i = 0; i < kCheckpoints; ++i) checkpointRecord(checkpointKey(i)) = checkpointOf(j, i);
    }

    // The first value that differs from state j, or "" when all match.
    std::string mismatch(long long j) const {
        if (j == 0) {
            const bool defaults = m_refillTimers.empty() && m_inventory.empty() && scoreRecords().empty() &&
                                  checkpointRecords().empty() && m_characters.size() <= 1;
            return defaults ? "" : "state 0 holds more than the defaults";
        }
        const auto n = static_cast<int32_t>(j);
        CrashState expected;
        expected.apply(j);
        if (m_inventory != expected.m_inventory) return "inventory";
        if (m_refillTimers.size() != expected.m_refillTimers.size()) return "refill count";
        for (const auto& [id, t] : expected.m_refillTimers) {
            auto it = m_refillTimers.find(id);
            if (it == m_refillTimers.end() || it->second.start != t.start || it->second.interval != t.interval ||
                it->second.max != t.max)
                return "refill " + std::to_string(id);
        }
        if (m_characters != expected.m_characters) return "characters";
        if (m_removeAds != bool(j & 1) || m_fullscreen != bool(j & 2) || m_muteEffectsSound != bool(j & 4) ||
            m_muteBackgroundSound != bool(j & 8))
            return "switches";
        if (scoreRecords().size() != static_cast<size_t>(kScores)) return "score record count";
        for (int i = 0; i < kScores; ++i) {
            const ScoreRecord* r = findScoreRecord(scoreKey(i));
            const ScoreRecord e = scoreOf(j, i);
            if (!r || r->distance.best != e.distance.best || r->distance.total != e.distance.total ||
                r->points.best != e.points.best || r->points.total != e.points.total || r->coins.best != e.coins.best ||
                r->coins.total != e.coins.total || r->coins.saved.has_value() != e.coins.saved.has_value() ||
                (e.coins.saved &&
                 (r->coins.saved->best != e.coins.saved->best || r->coins.saved->total != e.coins.saved->total)))
                return "score " + scoreKey(i);
        }
        for (int i = 0; i < kLocks; ++i)
            if (LockStateStore::lockState(lockName(i)) != lockedOf(j, i)) return "lock " + lockName(i);
        if (checkpointRecords().size() != static_cast<size_t>(kCheckpoints)) return "checkpoint count";
        for (int i = 0; i < kCheckpoints; ++i) {
            const CheckpointRecord e = checkpointOf(j, i);
            const CheckpointRecord& c = checkpointRecord(checkpointKey(i));
            if (c.pointX != e.pointX || c.pointY != e.pointY || c.cameraX != e.cameraX || c.cameraY != e.cameraY ||
                c.distance != e.distance || c.sectionId != e.sectionId)
                return "checkpoint " + checkpointKey(i);
        }
        (void)n;
        const std::pair<const UnreadRecords*, const char*> unread[] = {
            {&unreadScoreRecords(), kUnreadScore},           {&LockStateStore::unreadLockStates(), kUnreadLock},
            {&unreadCheckpointRecords(), kUnreadCheckpoint}, {&unreadRefillTimers(), kUnreadRefill},
            {&unreadInventory(), kUnreadInventory},          {&unreadCharacters(), kUnreadCharacter}};
        for (const auto& [list, text] : unread)
            if (list->size() != 1 || list->front() != text) return std::string("unread record ") + text;
        return "";
    }
};

// An empty store gets one unread record per family before the first load.
void seedUnread() {
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    if (!store->getStringForKey("QVP_selectedCharacter").empty()) return;
    store->setStringForKey("ZK_Version", "1.0");
    store->setStringForKey("QVP_Scores", kUnreadScore);
    store->setStringForKey("QVP_LockStates", kUnreadLock);
    store->setStringForKey("PQV_Checkpoints", kUnreadCheckpoint);
    const std::pair<const char*, const char*> numbered[] = {{"QVP_RefillPowerup_", kUnreadRefill},
                                                            {"QVP_Inventory_", kUnreadInventory},
                                                            {"QVP_Character_", kUnreadCharacter}};
    for (const auto& [prefix, text] : numbered) store->setStringForKey((std::string(prefix) + "0").c_str(), text);
    store->setIntegerForKey("QVP_RefillPowerup_count", 1);
    store->setIntegerForKey("QVP_Inventory_count", 1);
    store->setIntegerForKey("QVP_Characters_count", 1);
}

bool saved() {
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    return !store->isDirty() && !store->isReadOnly();
}

int usage() {
    std::fprintf(stderr, "usage: state_crash_tool --dir DIR loop [STATES] | check | reset\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || std::strcmp(argv[1], "--dir") != 0) return usage();
    cocos2d::CCFileUtils::sharedFileUtils()->setWritablePath(argv[2]);
    const std::string command = argv[3];
    long long states = -1;
    if (command == "loop" && argc == 5)
        states = std::strtoll(argv[4], nullptr, 10);
    else if (argc != 4)
        return usage();

    QVPSettingsController::setLoaded(true);
    if (command == "loop") seedUnread();
    auto* state = new CrashState();
    state->load();
    const long long j = state->selectedCharacter();
    if (command == "check") {
        const std::string wrong = state->mismatch(j);
        if (!wrong.empty()) {
            std::printf("not state %lld: %s\n", j, wrong.c_str());
            return 1;
        }
        std::printf("%lld\n", j);
        return 0;
    }
    if (command == "reset") return state->resetAllProgress() ? 0 : 1;
    if (command != "loop") return usage();
    for (long long k = j + 1; states < 0 || k <= j + states; ++k) {
        state->apply(k);
        state->save();
        if (!saved()) {
            std::fprintf(stderr, "state_crash_tool: save of state %lld failed\n", k);
            return 1;
        }
        std::printf("%lld\n", k);
        std::fflush(stdout);
    }
    return 0;
}
