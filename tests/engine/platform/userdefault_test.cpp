#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../tools/tool_run.h"
#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"
#include "platform/QVLog.h"
#include "platform/RandomAndClock.h"
#include "platform_test_support.h"

using cocos2d::CCFileUtils;
using cocos2d::CCUserDefault;
using Rows = std::map<std::string, std::string>;

namespace {

const char* const kTool = QV_BINARY_DIR "/bin/engine_store_tool";

// Direct access to a store file, as another program would have it.
class RawStore {
public:
    explicit RawStore(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path;
    }
    ~RawStore() { sqlite3_close_v2(db_); }
    int exec(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }
    Rows rows() {
        Rows out;
        sqlite3_exec(
            db_, "SELECT key, value FROM user_default",
            [](void* rows, int, char** v, char**) {
                (*static_cast<Rows*>(rows))[v[0]] = v[1];
                return 0;
            },
            &out, nullptr);
        return out;
    }

private:
    sqlite3* db_ = nullptr;
};

using qvtest::ToolRun;

// engine_store_tool on `dir`, killed after killMs when that is not negative.
ToolRun runTool(const std::string& dir, const std::string& args, int killMs = -1) {
    return qvtest::runCommand("ENGINE_WRITABLE_PATH='" + dir + "' " + kTool + " " + args, killMs);
}

class UserDefault : public ::testing::Test {
protected:
    void SetUp() override {
        CCUserDefault::purgeSharedUserDefault();
        CCFileUtils::purgeFileUtils();
        CCFileUtils::sharedFileUtils()->setWritablePath(dir.path());
    }
    void TearDown() override {
        CCUserDefault::purgeSharedUserDefault();
        CCFileUtils::purgeFileUtils();
        compat::setClockForTest(nullptr);
    }
    static CCUserDefault* store() { return CCUserDefault::sharedUserDefault(); }
    // A fresh load from the file, as at the next start.
    static CCUserDefault* reopened() {
        CCUserDefault::purgeSharedUserDefault();
        return store();
    }
    std::string file() const { return dir / "UserDefault.sqlite"; }
    static bool exists(const std::string& p) { return std::filesystem::exists(p); }
    size_t movedAside() const {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            n += e.path().filename().string().find(".corrupt-") != std::string::npos;
        return n;
    }

    qvtest::ScratchDir dir;
};
using UserDefaultCrash = UserDefault;

TEST_F(UserDefault, AnyKeyAndValueRoundTripAcrossPurge) {
    EXPECT_EQ(CCUserDefault::getXMLFilePath(), file());
    const Rows values{
        {"ScreenPlayed-Level 1", "3"},
        {"ScreenPlayed-<&>\"'", "quotes <&>\"' in the value"},
        {"Gr\xC3\xBC\xC3\x9F"
         "e \xE6\x97\xA5\xE6\x9C\xAC",
         "\xF0\x9F\x8E\xAE"},
        {"embedded", std::string("a\0b", 3)},
        {"empty", ""},
    };
    for (const auto& [k, v] : values) store()->setStringForKey(k.c_str(), v);
    store()->setIntegerForKey("count", -42);
    store()->setBoolForKey("music", false);
    // Values the loader would refuse are not accepted.
    store()->setStringForKey("empty", std::string(static_cast<size_t>(CCUserDefault::kMaxTextBytes) + 1, 'x'));
    store()->setStringForKey(nullptr, "ignored");
    EXPECT_FALSE(exists(file())) << "setters write nothing";
    store()->flush();
    EXPECT_FALSE(store()->isDirty());

    CCUserDefault* again = reopened();
    for (const auto& [k, v] : values) EXPECT_EQ(again->getStringForKey(k.c_str()), v) << k;
    EXPECT_EQ(again->getIntegerForKey("count"), -42);
    EXPECT_FALSE(again->getBoolForKey("music", true));
    EXPECT_EQ(again->getStringForKey("music"), "false");
    EXPECT_EQ(again->getStringForKey("count"), "-42");
    EXPECT_EQ(RawStore(file()).rows().size(), values.size() + 2);
}

TEST_F(UserDefault, GettersAreLenient) {
    struct Case {
        const char* stored;
        int asInt;   // with default 5
        int asBool;  // 1 true, 0 false, -1 the default
    };
    const Case cases[] = {
        {"12", 12, -1},
        {" 7", 7, -1},
        {"-3", -3, -1},
        {"12abc", 12, -1},
        {"abc", 5, -1},
        {"", 5, -1},
        {"1.5", 1, -1},
        {"2147483647", 2147483647, -1},
        {"2147483648", 5, -1},
        {"-2147483649", 5, -1},
        {"-2147483648", -2147483647 - 1, -1},
        {"99999999999999999999", 5, -1},
        {"true", 5, 1},
        {"1", 1, 1},
        {"false", 5, 0},
        {"0", 0, 0},
        {"TRUE", 5, -1},
        {"yes", 5, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.stored + '"');
        store()->setStringForKey("k", c.stored);
        EXPECT_EQ(store()->getIntegerForKey("k", 5), c.asInt);
        EXPECT_EQ(store()->getIntegerForKey("k"), c.asInt == 5 ? 0 : c.asInt);
        for (bool def : {false, true}) EXPECT_EQ(store()->getBoolForKey("k", def), c.asBool < 0 ? def : c.asBool == 1);
    }
    EXPECT_EQ(store()->getStringForKey("missing"), "");
    EXPECT_EQ(store()->getStringForKey("missing", "dflt"), "dflt");
    EXPECT_EQ(store()->getIntegerForKey("missing", 9), 9);
    EXPECT_TRUE(store()->getBoolForKey("missing", true));
    EXPECT_FALSE(store()->getBoolForKey(nullptr));
}

TEST_F(UserDefault, FlushWritesOnlyTheKeysThatChanged) {
    store()->flush();
    EXPECT_FALSE(exists(file())) << "an empty, unchanged store creates no file";
    store()->setIntegerForKey("a", 1);
    store()->flush();
    // Changed behind our back: neither an unchanged map nor another key's change overwrites it.
    ASSERT_EQ(RawStore(file()).exec("UPDATE user_default SET value = 'other' WHERE key = 'a'"), SQLITE_OK);
    store()->setIntegerForKey("a", 1);
    EXPECT_FALSE(store()->isDirty());
    store()->flush();
    store()->setIntegerForKey("b", 2);
    store()->flush();
    EXPECT_EQ(RawStore(file()).rows(), (Rows{{"a", "other"}, {"b", "2"}}));
}

TEST_F(UserDefault, DamagedStoresAreMovedAsideIntactAndTheStoreStartsEmpty) {
    // 2024-01-02 03:04:05 UTC: each store moved in that second takes the next free name.
    compat::setClockForTest([] { return int64_t{1704164645} * 10000000; });
    const std::string moved = dir / "UserDefault.sqlite.corrupt-20240102T030405Z";
    const std::string ours = "CREATE TABLE user_default(key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL);";
    const std::string damage[] = {
        "",  // not a database, with a journal beside it
        "CREATE TABLE user_default(k1 TEXT, other INTEGER)",
        ours + "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(CCUserDefault::kMaxRows) + ") INSERT INTO user_default SELECT 'k' || i, i FROM n",
        ours + "INSERT INTO user_default VALUES('k1', 's'); INSERT INTO user_default VALUES('huge', CAST(zeroblob(" +
            std::to_string(CCUserDefault::kMaxTextBytes + 1) + ") AS TEXT))",
    };
    for (size_t i = 0; i < std::size(damage); ++i) {
        SCOPED_TRACE(damage[i]);
        if (i == 0) {
            qvtest::writeFile(file(), "not a database, keep me");
            qvtest::writeFile(file() + "-journal", "journal bytes");
        } else {
            ASSERT_EQ(RawStore(file()).exec(damage[i]), SQLITE_OK);
        }
        qvtest::StderrCapture log;
        EXPECT_EQ(reopened()->getStringForKey("k1", "-"), "-");
        EXPECT_FALSE(store()->isReadOnly());
        EXPECT_FALSE(exists(file()) || exists(file() + "-journal"));
        const std::string name = i == 0 ? moved : moved + "-" + std::to_string(i + 1);
        EXPECT_TRUE(exists(name));
        EXPECT_NE(log.text().find(name), std::string::npos);
    }
    EXPECT_EQ(qvtest::readFile(moved), "not a database, keep me");
    EXPECT_EQ(qvtest::readFile(moved + "-journal"), "journal bytes");
    EXPECT_EQ(movedAside(), 5u);
    store()->setStringForKey("k1", "v");
    store()->flush();
    EXPECT_EQ(reopened()->getStringForKey("k1"), "v");
}

TEST_F(UserDefault, AStoreLockedByAnotherProgramOrUnreadableGivesAReadOnlyRun) {
    ASSERT_EQ(RawStore(file()).exec("CREATE TABLE user_default(key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL);"
                                    "INSERT INTO user_default VALUES('progress', 'first')"),
              SQLITE_OK);
    {
        RawStore holder(file());
        ASSERT_EQ(holder.exec("BEGIN EXCLUSIVE; UPDATE user_default SET value = 'first, later'"), SQLITE_OK);
        EXPECT_EQ(store()->getStringForKey("progress", "nothing"), "nothing");
        EXPECT_TRUE(store()->isReadOnly());
        store()->setStringForKey("progress", "second");
        store()->flush();
        ASSERT_EQ(holder.exec("COMMIT"), SQLITE_OK);
        store()->flush();
    }
    EXPECT_EQ(RawStore(file()).rows(), (Rows{{"progress", "first, later"}}));
    EXPECT_EQ(reopened()->getStringForKey("progress"), "first, later") << "the next run reads it";
    EXPECT_FALSE(store()->isReadOnly());

    std::filesystem::remove(file());
    std::filesystem::create_directory(file());
    EXPECT_TRUE(reopened()->isReadOnly());
    store()->setStringForKey("k", "v");
    store()->flush();
    EXPECT_TRUE(std::filesystem::is_directory(file()));
    EXPECT_EQ(movedAside(), 0u);
}

TEST_F(UserDefault, ASecondRunningPlayerReadsButNeverWrites) {
    store()->setStringForKey("level", "1");
    store()->flush();
    const ToolRun second = runTool(dir.path(), "set level second 2>&1");
    EXPECT_TRUE(WIFEXITED(second.status) && WEXITSTATUS(second.status) == 1) << second.out;
    EXPECT_NE(second.out.find("in use by another running player; progress is read-only"), std::string::npos)
        << second.out;
    EXPECT_EQ(runTool(dir.path(), "get level").out, "1\n");
    store()->setStringForKey("later", "2");
    store()->flush();
    EXPECT_EQ(RawStore(file()).rows(), (Rows{{"later", "2"}, {"level", "1"}}));
    // The purge lets the next player in.
    CCUserDefault::purgeSharedUserDefault();
    EXPECT_EQ(runTool(dir.path(), "set level next").status, 0);
    EXPECT_EQ(RawStore(file()).rows(), (Rows{{"later", "2"}, {"level", "next"}}));
}

TEST_F(UserDefault, DeletedFileAndPurgeGiveAnEmptyStore) {
    store()->setStringForKey("level", "9");
    store()->flush();
    // The game's reset: pending changes, file removed, then purge.
    store()->setStringForKey("pending", "x");
    ASSERT_EQ(std::remove(file().c_str()), 0);
    CCUserDefault::purgeSharedUserDefault();
    EXPECT_FALSE(exists(file())) << "the purge must not write";
    EXPECT_EQ(store()->getStringForKey("level", "none"), "none");
    EXPECT_EQ(store()->getStringForKey("pending", "none"), "none");
    store()->setStringForKey("after", "1");
    store()->flush();
    EXPECT_EQ(RawStore(file()).rows(), (Rows{{"after", "1"}}));
}

TEST_F(UserDefault, FailedFlushesKeepTheOldFileAndTheNextWritesTheKeysOfAll) {
    store()->setStringForKey("level", "1");
    store()->flush();
    // Failures that need no permissions (root ignores them): a directory in
    // place of the journal, then one in place of the store.
    namespace fs = std::filesystem;
    for (const std::string& blocked : {file() + "-journal", file()}) {
        SCOPED_TRACE(blocked);
        store()->setStringForKey(blocked.c_str(), "set");
        if (blocked == file()) fs::rename(file(), dir / "kept");
        fs::create_directory(blocked);
        store()->flush();
        fs::remove(blocked);
        if (blocked == file()) fs::rename(dir / "kept", file());
        EXPECT_TRUE(store()->isDirty());
        EXPECT_EQ(RawStore(file()).rows(), (Rows{{"level", "1"}}));
    }
    store()->flush();
    EXPECT_FALSE(store()->isDirty());
    EXPECT_EQ(RawStore(file()).rows(), (Rows{{"level", "1"}, {file() + "-journal", "set"}, {file(), "set"}}));
}

std::vector<std::string>& notices() {
    static std::vector<std::string> lines;
    return lines;
}
void captureNotice(const char* text, std::size_t length) { notices().emplace_back(text, length); }

// What a person is told with the log off: the kept copy, and a failing save
// once until a save works again.
TEST_F(UserDefault, MovedAsideStoreAndFailedFlushesAreNotices) {
    compat::setClockForTest([] { return int64_t{1704164645} * 10000000; });
    setNoticeSink(captureNotice);
    notices().clear();
    qvtest::writeFile(file(), "not a database");
    reopened();
    EXPECT_EQ(notices(), std::vector<std::string>{"the progress store could not be read; kept as " + file() +
                                                  ".corrupt-20240102T030405Z, starting with new progress"});

    const std::string journal = file() + "-journal";
    std::vector<size_t> counts;
    for (const bool blocked : {true, true, false, true}) {
        store()->setStringForKey("level", std::to_string(counts.size()).c_str());
        if (blocked) std::filesystem::create_directory(journal);
        store()->flush();
        std::filesystem::remove(journal);
        counts.push_back(notices().size());
    }
    setNoticeSink(nullptr);
    EXPECT_EQ(counts, (std::vector<size_t>{2, 2, 2, 3}));
    ASSERT_EQ(notices().size(), 3u);
    for (size_t i : {1, 2})
        EXPECT_EQ(notices()[i].rfind("saving progress failed: " + file() + ": ", 0), 0u) << notices()[i];
}

TEST_F(UserDefault, FirstFlushCreatesThePrivateDirectory) {
    CCFileUtils::sharedFileUtils()->setWritablePath(dir / "nested/deeper");
    EXPECT_EQ(reopened()->getStringForKey("k", "-"), "-");
    EXPECT_FALSE(exists(dir / "nested")) << "loading a missing store creates nothing";
    store()->setBoolForKey("k", true);
    store()->flush();
    struct stat st {};
    ASSERT_EQ(::stat((dir / "nested/deeper").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(exists(dir / "nested/deeper/UserDefault.sqlite"));
}

// The state a fresh start reads back (0 for none), or -1 when the keys disagree.
long long readState(const std::string& dir, std::string& why) {
    CCUserDefault::purgeSharedUserDefault();
    CCFileUtils::sharedFileUtils()->setWritablePath(dir);
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    const std::string counter = store->getStringForKey("ScreenPlayed-Level 1 <&>", "");
    long long k = counter.empty() ? 0 : std::stoll(counter);
    for (int i = 0; i < 40 && k >= 0; ++i) {
        const std::string v = store->getStringForKey(("state-key-" + std::to_string(i)).c_str());
        if (v != counter) why = "key " + std::to_string(i) + " holds '" + v + "' in state '" + counter + "'";
        if (v != counter) k = -1;
    }
    if (k > 0 && store->getStringForKey("state-big") != std::string(30000, static_cast<char>('0' + k % 10))) {
        why = "the large value does not match state " + counter;
        k = -1;
    }
    CCUserDefault::purgeSharedUserDefault();  // unlocked for the next run
    return k;
}

// Kills engine_store_tool in the middle of its flushes, many times: every
// reopen finds one whole state, never a mix, never lost progress.
TEST_F(UserDefaultCrash, KilledFlushesLeaveTheOldOrTheNewState) {
    ASSERT_TRUE(exists(kTool)) << kTool << " is not built";
    unsigned seed = 20240601;
    if (const char* s = std::getenv("QV_CRASH_SEED")) seed = static_cast<unsigned>(std::strtoul(s, nullptr, 10));
    std::printf("crash test seed %u (set QV_CRASH_SEED to repeat another)\n", seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, 15);
    // The last state the tool reported; the kill may cut the last line.
    auto reported = [](const std::string& out) {
        long long last = -1;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            if (!in.eof()) last = std::stoll(line);
        return last;
    };

    long long r = 0;  // highest state read back or reported so far
    int progressed = 0;
    for (int round = 0; round < 200; ++round) {
        const int ms = delay(random);
        SCOPED_TRACE("round " + std::to_string(round) + ", kill after " + std::to_string(ms) + " ms");
        const ToolRun run = runTool(dir.path(), "flush-loop", ms);
        ASSERT_TRUE(WEXITSTATUS(run.status) == 137 || run.status == 0) << "the tool failed on its own";
        r = std::max(r, reported(run.out));
        std::string why;
        const long long k = readState(dir.path(), why);
        ASSERT_GE(k, 0) << "mixed state: " << why;
        ASSERT_TRUE(k == 0 ? r == 0 : k >= r && k <= r + 1) << "read state " << k << ", highest known " << r;
        progressed += k > r;
        r = k;
        ASSERT_EQ(movedAside(), 0u);
    }
    // An undisturbed run continues exactly from the surviving state.
    const ToolRun last = runTool(dir.path(), "flush-loop 3");
    ASSERT_EQ(last.status, 0);
    EXPECT_EQ(reported(last.out), r + 3);
    std::string why;
    EXPECT_EQ(readState(dir.path(), why), r + 3) << why;
    std::printf("reached state %lld; %d kills landed after a flush\n", r + 3, progressed);
}

}  // namespace
