// Store-level promises of the player state: a kill during a save or a reset,
// damaged values and damaged files, a reset that can be undone, a failed
// flush and a save before loading never lose or mix progress.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>

#include "../../engine/tools/tool_run.h"
#include "state_test_support.h"

using namespace statetest;

namespace {

const std::string kTool = QV_BINARY_DIR "/bin/state_crash_tool";

using qvtest::ToolRun;

ToolRun runTool(const std::string& dir, const std::string& args, int killMs = -1) {
    return qvtest::runCommand("QVP_LOG= '" + kTool + "' --dir '" + dir + "' " + args, killMs);
}

// The state `check` reads in dir, or -1 (with the reason) when it is mixed.
long long checkedState(const std::string& dir, std::string& why) {
    const ToolRun run = runTool(dir, "check");
    why = run.out;
    return run.status == 0 ? std::stoll(run.out) : -1;
}

// Files in dir whose name starts with `prefix` and that are not journals.
std::vector<std::string> copies(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename();
        const bool journal = name.find("-journal") != std::string::npos || name.find("-wal") != std::string::npos ||
                             name.find("-shm") != std::string::npos;
        if (name.rfind(prefix, 0) == 0 && !journal) found.push_back(entry.path());
    }
    return found;
}

unsigned crashSeed(unsigned fallback) {
    const char* s = std::getenv("QV_CRASH_SEED");
    const unsigned seed = s ? static_cast<unsigned>(std::strtoul(s, nullptr, 10)) : fallback;
    std::printf("crash test seed %u (set QV_CRASH_SEED to repeat another)\n", seed);
    return seed;
}

int envCount(const char* name, int fallback) {
    const char* s = std::getenv(name);
    return s ? std::atoi(s) : fallback;
}

using KillDuringSave = StoreTest;
using KillDuringReset = StoreTest;
using CorruptedValues = StoreTest;
using StoreFileDamage = StoreTest;
using ResetKeepsCopy = StoreTest;
using FailedFlush = StoreTest;
using SaveBeforeLoaded = StoreTest;

}  // namespace

// Every kill leaves one whole state, at most one ahead of the last known,
// with the unread records of the first state still there.
TEST_F(KillDuringSave, EveryKillLeavesOneWholeState) {
    ASSERT_TRUE(std::filesystem::exists(kTool)) << kTool << " is not built";
    std::mt19937 random(crashSeed(20261207));
    std::uniform_int_distribution<int> delay(0, envCount("QV_STATE_KILL_MS", 20));
    auto reported = [](const std::string& out) {  // the kill may cut the last line
        long long last = 0;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            if (!in.eof()) last = std::stoll(line);
        return last;
    };
    long long r = 0;
    const int kills = envCount("QV_STATE_KILLS", 500);
    for (int round = 0; round < kills; ++round) {
        const int ms = delay(random);
        SCOPED_TRACE("round " + std::to_string(round) + ", kill after " + std::to_string(ms) + " ms");
        const ToolRun run = runTool(dir.path, "loop", ms);
        ASSERT_TRUE(WEXITSTATUS(run.status) == 137 || run.status == 0) << "the tool failed on its own: " << run.out;
        r = std::max(r, reported(run.out));
        std::string why;
        const long long j = checkedState(dir.path, why);
        ASSERT_GE(j, 0) << why;
        ASSERT_TRUE(j >= r && j <= r + 1) << "read state " << j << ", highest known " << r;
        r = j;
        ASSERT_TRUE(copies(dir.path, "UserDefault.sqlite.corrupt-").empty());
    }
    // An undisturbed run continues exactly from the surviving state.
    ASSERT_EQ(runTool(dir.path, "loop 3").status, 0);
    std::string why;
    EXPECT_EQ(checkedState(dir.path, why), r + 3) << why;
    std::printf("reached state %lld\n", r + 3);
}

// A killed reset leaves the old state live, or defaults beside exactly one
// copy of it.
TEST_F(KillDuringReset, TheOldStateIsLiveOrInOneCopy) {
    ASSERT_TRUE(std::filesystem::exists(kTool)) << kTool << " is not built";
    std::mt19937 random(crashSeed(20261208));
    std::uniform_int_distribution<int> delay(0, envCount("QV_STATE_KILL_MS", 20)), states(1, 3);
    int moved = 0;
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        modeltest::TempDir run;
        ASSERT_EQ(runTool(run.path, "loop " + std::to_string(states(random))).status, 0);
        std::string why;
        const long long j = checkedState(run.path, why);
        ASSERT_GT(j, 0) << why;
        runTool(run.path, "reset", delay(random));
        const long long live = checkedState(run.path, why);
        const auto kept = copies(run.path, "UserDefault.sqlite.reset-");
        if (live == j && kept.empty()) continue;
        ASSERT_EQ(live, 0) << why;
        ASSERT_EQ(kept.size(), 1u);
        modeltest::TempDir copy;
        for (const char* suffix : {"", "-journal"})
            if (std::filesystem::exists(kept[0] + suffix))
                std::filesystem::copy_file(kept[0] + suffix, copy.path + "/UserDefault.sqlite" + suffix);
        ASSERT_EQ(checkedState(copy.path, why), j) << why;
        ++moved;
    }
    std::printf("%d of 50 resets had moved the store\n", moved);
}

// Each stored value damaged in turn: its own family may lose the entry, the
// others read exactly as clean, the unread text is written back verbatim,
// and a second save changes nothing.
TEST_F(CorruptedValues, OnlyTheDamagedFamilyChangesAndUnreadTextsSurvive) {
    const Rows clean = fixtureRows("full.kv");
    const std::string cleanDir = dir.path;
    writeStore(clean);
    setVersion("1.0");
    const auto cleanFamilies = families(*loaded());

    auto familyOf = [](const std::string& key) -> std::string {
        for (const char* prefix : {"QVP_RefillPowerup_", "QVP_Inventory_", "QVP_Character"})
            if (key.rfind(prefix, 0) == 0) return std::string(prefix) == "QVP_Character" ? "QVP_Character_" : prefix;
        return key == "ZK_Version" ? "QVP_Scores" : key;
    };
    auto firstPiece = [](const std::string& v) { return v.substr(0, v.find(';')); };
    struct Damage {
        const char* name;
        std::function<std::string(const std::string&)> apply;
        bool stringsOnly;
    };
    const std::vector<Damage> damages = {
        {"half", [](const std::string& v) { return v.substr(0, v.size() / 2); }, false},
        {"one byte", [](const std::string& v) { return v.substr(0, 1); }, false},
        {"empty", [](const std::string&) { return std::string(); }, false},
        {"x", [](const std::string&) { return std::string("x"); }, false},
        {"value x", [](const std::string& v) { return v + "x"; }, false},
        {"-1", [](const std::string&) { return std::string("-1"); }, false},
        {"huge", [](const std::string&) { return std::string("99999999999999999999"); }, false},
        {"nan", [](const std::string&) { return std::string("nan"); }, false},
        {"1e999", [](const std::string&) { return std::string("1e999"); }, false},
        {"no last colon",
         [&](const std::string& v) {
             std::string p = firstPiece(v);
             p.erase(p.rfind(':'), 1);
             return p + v.substr(firstPiece(v).size());
         },
         true},
        {"semicolon in key", [](const std::string& v) { return v.substr(0, 1) + ";" + v.substr(1); }, true},
        {"::", [](const std::string&) { return std::string("::"); }, true},
        {"100 KB key",
         [&](const std::string& v) { return std::string(100 * 1024, 'k') + v.substr(firstPiece(v).rfind(':')); }, true},
    };
    int cases = 0;
    for (const auto& [key, value] : clean) {
        const bool isString = key == "QVP_Scores" || key == "QVP_LockStates" || key == "PQV_Checkpoints";
        for (const Damage& damage : damages) {
            if (damage.stringsOnly && !isString) continue;
            SCOPED_TRACE(key + ", " + damage.name);
            ++cases;
            modeltest::TempDir caseDir;
            useWritable(caseDir.path);
            Rows rows = clean;
            for (auto& row : rows)
                if (row.first == key) row.second = damage.apply(value);
            writeStore(rows);
            setVersion("1.0");
            QVPSettingsController* s = loaded();
            auto got = families(*s);
            auto want = cleanFamilies;
            got.erase(familyOf(key)), want.erase(familyOf(key));
            EXPECT_EQ(got, want);
            const UnreadRecords unread = allUnread(*s);
            s->save();
            const Rows first = storedRows();
            for (const std::string& text : unread) {
                const bool found = std::any_of(first.begin(), first.end(), [&](const auto& row) {
                    return row.second == text || (";" + row.second + ";").find(";" + text + ";") != std::string::npos;
                });
                EXPECT_TRUE(found) << "unread record lost: " << text.substr(0, 80);
            }
            loaded()->save();
            EXPECT_EQ(storedRows(), first);
        }
    }
    EXPECT_EQ(cases, 183);
    useWritable(cleanDir);
}

// Cuts and bit flips of a full store: no crash or hang, and the file either
// opens or is moved aside byte for byte.
TEST_F(StoreFileDamage, EveryDamagedFileOpensOrIsMovedAsideIntact) {
    writeStore(fixtureRows("full.kv"));
    const std::string good = fileBytes(storePath());
    ASSERT_GT(good.size(), 1024u);
    std::mt19937 random(crashSeed(20261209));
    std::vector<std::string> damaged;
    for (size_t cut = 0; cut < good.size(); cut += 512) damaged.push_back(good.substr(0, cut));
    const int flips = envCount("QV_STATE_FLIPS", 10000);
    for (int i = 0; i < flips; ++i) {
        std::string bytes = good;
        const size_t bit = std::uniform_int_distribution<size_t>(0, bytes.size() * 8 - 1)(random);
        bytes[bit / 8] = static_cast<char>(bytes[bit / 8] ^ (1 << (bit % 8)));
        damaged.push_back(std::move(bytes));
    }
    namespace fs = std::filesystem;
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        CCUserDefault::purgeSharedUserDefault();
        for (const auto& entry : fs::directory_iterator(dir.path))
            if (entry.path().filename() != "UserDefault.sqlite.lock") fs::remove(entry.path());
        std::ofstream(storePath(), std::ios::binary) << damaged[i];
        setVersion("1.0");
        QVPSettingsController* s = loaded();
        const auto aside = copies(dir.path, "UserDefault.sqlite.corrupt-");
        if (aside.empty()) {
            ASSERT_EQ(fileBytes(storePath()), damaged[i]);
        } else {
            ASSERT_EQ(aside.size(), 1u);
            ASSERT_EQ(fileBytes(aside[0]), damaged[i]);
        }
        if (i % 20 != 0) continue;
        s->save();
        const Rows first = storedRows();
        loaded()->save();
        ASSERT_EQ(storedRows(), first);
    }
}

// The copy is the old store byte for byte; the live store holds defaults
// with the switches kept. A read-only run refuses and changes nothing.
TEST_F(ResetKeepsCopy, TheCopyHoldsTheOldStoreAndTheSwitchesStay) {
    writeStore(fixtureRows("full.kv"));
    const std::string before = fileBytes(storePath());
    setVersion("1.0");
    QVPSettingsController* s = loaded();
    ASSERT_TRUE(s->isFullscreen() && s->muteEffectsSound());
    ASSERT_TRUE(s->resetAllProgress());
    const auto kept = copies(dir.path, "UserDefault.sqlite.reset-");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(fileBytes(kept[0]), before);
    EXPECT_TRUE(log.has("[QVPSettingsController] - reset: previous progress kept in " + kept[0]));
    EXPECT_EQ(storedRows(), (Rows{{"PQV_Checkpoints", ""},
                                  {"QVP_Character_0", "0:1"},
                                  {"QVP_Characters_count", "1"},
                                  {"QVP_Inventory_count", "0"},
                                  {"QVP_LockStates", ""},
                                  {"QVP_RefillPowerup_count", "0"},
                                  {"QVP_Scores", ""},
                                  {"QVP_fullscreen", "true"},
                                  {"QVP_muteBackgroundSound", "false"},
                                  {"QVP_muteEffectsSound", "true"},
                                  {"QVP_removeAds", "false"},
                                  {"QVP_selectedCharacter", "0"},
                                  {"ZK_Version", "1.0"}}));
    EXPECT_TRUE(std::filesystem::exists(storePath() + ".lock"));
    // Undoing it: the copy renamed back reads as the old progress.
    useWritable(dir.path);  // the player quits
    std::filesystem::rename(kept[0], storePath());
    EXPECT_EQ(loaded()->selectedCharacter(), 2);
    EXPECT_EQ(scoreRecords().size(), 3u);

    // Another player holds the store: nothing moves, nothing changes.
    const std::string held = fileBytes(storePath());
    CCUserDefault::purgeSharedUserDefault();
    const int fd = ::open((storePath() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    s = loaded();
    EXPECT_FALSE(s->resetAllProgress());
    EXPECT_TRUE(log.has("[QVPSettingsController] - reset refused: progress is read-only for this run"));
    EXPECT_EQ(s->selectedCharacter(), 2);
    EXPECT_EQ(scoreRecords().size(), 3u);
    EXPECT_EQ(fileBytes(storePath()), held);
    EXPECT_TRUE(copies(dir.path, "UserDefault.sqlite.reset-").empty());
    ::close(fd);
}

// A failed flush keeps the unsaved progress in the store's memory, so a
// later load (foreground) reads it back instead of the older file.
TEST_F(FailedFlush, UnsavedProgressSurvivesALoad) {
    writeStore(fixtureRows("full.kv"));
    setVersion("1.0");
    QVPSettingsController* s = loaded();
    s->unlockCharacter(9);
    scoreRecord("World 1").coins.add(5);
    std::filesystem::create_directory(storePath() + "-journal");  // blocks the flush
    log.lines().clear();
    s->save();
    EXPECT_EQ(log.lines().front(), "[QVPSettingsController] - save");
    EXPECT_EQ(log.lines().back(), "[QVPSettingsController] - save failed");
    std::filesystem::remove(storePath() + "-journal");
    clearScores();
    s = loaded();  // a fresh instance on the same store object
    EXPECT_TRUE(s->characters().count(9) && s->characters().at(9));
    EXPECT_EQ(scoreRecord("World 1").coins.total, 10);
    s->save();
    EXPECT_EQ(log.lines().back(), "[QVPSettingsController] - save complete");
}

TEST_F(FailedFlush, FailedFlushIsReportedAsSaveFailed) {
    std::ofstream(dir.path + "/file") << "x";  // the writable directory would be under a regular file
    useWritable(dir.path + "/file/sub");
    loaded()->save();
    ASSERT_FALSE(log.lines().empty());  // the store's own lines come between
    EXPECT_NE(std::find(log.lines().begin(), log.lines().end(), "[QVPSettingsController] - save"), log.lines().end());
    EXPECT_EQ(log.lines().back(), "[QVPSettingsController] - save failed");
}

// A default-state instance never overwrites stored progress.
TEST_F(SaveBeforeLoaded, DefaultStateSavesNothingBeforeLoadingAndComesBackAfterDestroy) {
    QVPSettingsController* s = QVPSettingsController::shared();
    EXPECT_EQ(QVPSettingsController::shared(), s);
    EXPECT_TRUE(s->isCharacterUnlocked(0));
    EXPECT_FALSE(s->isCharacterUnlocked(1) || s->selectedCharacter() || s->removeAds() || s->isFullscreen() ||
                 s->isLowPerformance() || s->muteEffectsSound() || s->muteBackgroundSound());
    EXPECT_TRUE(s->refillTimers().empty() && s->inventory().empty());
    s->setRemoveAds(true);
    log.lines().clear();
    s->save();
    EXPECT_EQ(log.lines(), Lines{"[QVPSettingsController] - save while not loaded  = reset - issue prevented"});
    EXPECT_FALSE(CCUserDefault::sharedUserDefault()->isDirty());
    EXPECT_EQ(access(CCUserDefault::getXMLFilePath().c_str(), F_OK), -1);
    QVPSettingsController::destroy();
    EXPECT_FALSE(QVPSettingsController::shared()->removeAds());
}

// The loaded flag alone is not enough: an instance that never loaded (the
// one a later shared() makes after destroy) writes nothing either.
TEST_F(SaveBeforeLoaded, AFreshInstanceNeverOverwritesTheStore) {
    writeStore(fixtureRows("full.kv"));
    const std::string before = fileBytes(storePath());
    QVPSettingsController::shared()->setRemoveAds(true);
    QVPSettingsController::shared()->save();
    loaded();
    QVPSettingsController::destroy();
    QVPSettingsController* fresh = QVPSettingsController::shared();
    log.lines().clear();
    fresh->save();
    EXPECT_TRUE(QVPSettingsController::isLoaded());
    EXPECT_EQ(log.lines(), Lines{"[QVPSettingsController] - save while not loaded  = reset - issue prevented"});
    EXPECT_EQ(fileBytes(storePath()), before);
}
