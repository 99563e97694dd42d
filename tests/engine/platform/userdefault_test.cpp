#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/RandomAndClock.h"
#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"
#include "platform_test_support.h"

using cocos2d::CCFileUtils;
using cocos2d::CCUserDefault;
using qvtest::ScratchDir;

namespace {

// Direct access to a store file, as another process would have it.
class RawStore {
public:
    explicit RawStore(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path;
    }
    ~RawStore() { sqlite3_close_v2(db_); }
    int exec(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }
    std::map<std::string, std::string> rows() {
        std::map<std::string, std::string> out;
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, "SELECT key, value FROM user_default", -1, &s, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db_);
            return out;
        }
        while (sqlite3_step(s) == SQLITE_ROW)
            out[std::string(static_cast<const char*>(sqlite3_column_blob(s, 0)), sqlite3_column_bytes(s, 0))] =
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)), sqlite3_column_bytes(s, 1));
        sqlite3_finalize(s);
        return out;
    }

private:
    sqlite3* db_ = nullptr;
};

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
    bool exists(const std::string& p) const { return std::filesystem::exists(p); }
    std::vector<std::string> movedAside() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            std::string n = e.path().filename().string();
            if (n.find(".corrupt-") != std::string::npos) names.push_back(n);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchDir dir;
};

TEST_F(UserDefault, AnyKeyAndValueRoundTripAcrossPurge) {
    EXPECT_EQ(CCUserDefault::getXMLFilePath(), file());
    const std::map<std::string, std::string> values{
        {"ScreenPlayed-Level 1", "3"},
        {"ScreenPlayed-<&>\"'", "quotes <&>\"' in the value"},
        {"1 starts with a digit", "x"},
        {"Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x8E\xAE"},
        {"embedded", std::string("a\0b", 3)},
        {"empty", ""},
    };
    for (const auto& [k, v] : values) store()->setStringForKey(k.c_str(), v);
    store()->setIntegerForKey("count", -42);
    store()->setBoolForKey("music", false);
    EXPECT_FALSE(exists(file())) << "setters write nothing";
    store()->flush();
    EXPECT_FALSE(store()->isDirty());

    CCUserDefault* again = reopened();
    for (const auto& [k, v] : values) EXPECT_EQ(again->getStringForKey(k.c_str()), v) << k;
    EXPECT_EQ(again->getIntegerForKey("count"), -42);
    EXPECT_FALSE(again->getBoolForKey("music", true));
    EXPECT_EQ(again->getStringForKey("count"), "-42");
    EXPECT_EQ(again->getStringForKey("music"), "false");
    EXPECT_EQ(RawStore(file()).rows().size(), values.size() + 2);
}

TEST_F(UserDefault, GettersAreLenient) {
    struct Case {
        const char* stored;
        int asInt;   // with default 5
        int asBool;  // 1 true, 0 false, -1 the default
    };
    const Case cases[] = {
        {"12", 12, -1},          {" 7", 7, -1},         {"-3", -3, -1},
        {"12abc", 12, -1},       {"abc", 5, -1},        {"", 5, -1},
        {"2147483647", 2147483647, -1},                 {"-2147483648", -2147483647 - 1, -1},
        {"2147483648", 5, -1},   {"-2147483649", 5, -1}, {"99999999999999999999", 5, -1},
        {"true", 5, 1},          {"1", 1, 1},           {"false", 5, 0},
        {"0", 0, 0},             {"TRUE", 5, -1},       {"yes", 5, -1},
        {"1.5", 1, -1},
    };
    for (const Case& c : cases) {
        store()->setStringForKey("k", c.stored);
        EXPECT_EQ(store()->getIntegerForKey("k", 5), c.asInt) << '"' << c.stored << '"';
        EXPECT_EQ(store()->getIntegerForKey("k"), c.asInt == 5 ? 0 : c.asInt) << '"' << c.stored << '"';
        for (bool def : {false, true})
            EXPECT_EQ(store()->getBoolForKey("k", def), c.asBool < 0 ? def : c.asBool == 1)
                << '"' << c.stored << "\" default " << def;
    }
    EXPECT_EQ(store()->getStringForKey("missing"), "");
    EXPECT_EQ(store()->getStringForKey("missing", "dflt"), "dflt");
    EXPECT_EQ(store()->getIntegerForKey("missing", 9), 9);
    EXPECT_TRUE(store()->getBoolForKey("missing", true));
    EXPECT_FALSE(store()->getBoolForKey(nullptr));
}

TEST_F(UserDefault, FlushWritesOnlyWhatChangedAndNothingForAnUnchangedMap) {
    store()->flush();
    EXPECT_FALSE(exists(file())) << "an empty, unchanged store creates no file";
    store()->setIntegerForKey("a", 1);
    store()->flush();
    ASSERT_TRUE(exists(file()));
    // Changed behind our back; an unchanged map must not overwrite it.
    ASSERT_EQ(RawStore(file()).exec("UPDATE user_default SET value = 'other' WHERE key = 'a'"), SQLITE_OK);
    store()->setIntegerForKey("a", 1);
    EXPECT_FALSE(store()->isDirty());
    store()->flush();
    EXPECT_EQ(RawStore(file()).rows().at("a"), "other");
}

TEST_F(UserDefault, GarbageFileIsMovedAsideIntactAndTheStoreStartsEmpty) {
    // 2024-01-02 03:04:05 UTC
    compat::setClockForTest([] { return int64_t{1704164645} * 10000000; });
    const std::string garbage = "not a database, keep me";
    qvtest::writeFile(file(), garbage);
    qvtest::writeFile(file() + "-journal", "journal bytes");
    qvtest::StderrCapture log;
    EXPECT_EQ(store()->getStringForKey("k", "none"), "none");
    EXPECT_FALSE(store()->isReadOnly());
    const std::string moved = dir / "UserDefault.sqlite.corrupt-20240102T030405Z";
    EXPECT_EQ(qvtest::readFile(moved), garbage);
    EXPECT_EQ(qvtest::readFile(moved + "-journal"), "journal bytes");
    EXPECT_FALSE(exists(file()));
    EXPECT_FALSE(exists(file() + "-journal"));
    EXPECT_NE(log.text().find(moved), std::string::npos);

    store()->setStringForKey("k", "v");
    store()->flush();
    EXPECT_EQ(reopened()->getStringForKey("k"), "v");

    // The same second again: the first copy is kept, the next gets a suffix.
    qvtest::writeFile(file(), "second garbage");
    reopened();
    EXPECT_EQ(qvtest::readFile(moved), garbage);
    EXPECT_EQ(qvtest::readFile(moved + "-2"), "second garbage");
    EXPECT_EQ(movedAside().size(), 3u);
}

TEST_F(UserDefault, ForeignOrOversizedTablesAreMovedAside) {
    {
        RawStore raw(file());
        ASSERT_EQ(raw.exec("CREATE TABLE user_default(name TEXT, other INTEGER)"), SQLITE_OK);
    }
    EXPECT_EQ(store()->getStringForKey("name", "-"), "-");
    EXPECT_EQ(movedAside().size(), 1u);

    {
        RawStore raw(file());
        ASSERT_EQ(raw.exec("CREATE TABLE user_default(key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL);"
                           "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                           std::to_string(CCUserDefault::kMaxRows) +
                           ") INSERT INTO user_default SELECT 'k' || i, i FROM n"),
                  SQLITE_OK);
    }
    EXPECT_EQ(reopened()->getStringForKey("k1", "-"), "-");
    EXPECT_EQ(movedAside().size(), 2u);

    {
        RawStore raw(file());
        ASSERT_EQ(raw.exec("CREATE TABLE user_default(key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL);"
                           "INSERT INTO user_default VALUES('small', 's');"
                           "INSERT INTO user_default VALUES('huge', CAST(zeroblob(" +
                           std::to_string(CCUserDefault::kMaxTextBytes + 1) + ") AS TEXT))"),
                  SQLITE_OK);
    }
    EXPECT_EQ(reopened()->getStringForKey("small", "-"), "-");
    EXPECT_EQ(movedAside().size(), 3u);
    EXPECT_FALSE(store()->isReadOnly());
}

TEST_F(UserDefault, ValuesTheLoaderWouldRefuseAreNotAccepted) {
    store()->setStringForKey("k", "old");
    store()->setStringForKey("k", std::string(static_cast<size_t>(CCUserDefault::kMaxTextBytes) + 1, 'x'));
    EXPECT_EQ(store()->getStringForKey("k"), "old");
    store()->setStringForKey(nullptr, "ignored");
    store()->flush();
    EXPECT_EQ(reopened()->getStringForKey("k"), "old");
}

TEST_F(UserDefault, LockedStoreGivesAReadOnlyRunThatNeverOverwrites) {
    {
        RawStore raw(file());
        ASSERT_EQ(raw.exec("CREATE TABLE user_default(key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL);"
                           "INSERT INTO user_default VALUES('progress', 'first player')"),
                  SQLITE_OK);
    }
    RawStore holder(file());
    ASSERT_EQ(holder.exec("BEGIN EXCLUSIVE; UPDATE user_default SET value = 'first player, later'"), SQLITE_OK);

    EXPECT_EQ(store()->getStringForKey("progress", "nothing"), "nothing");
    EXPECT_TRUE(store()->isReadOnly());
    store()->setStringForKey("progress", "second player");
    store()->flush();
    ASSERT_EQ(holder.exec("COMMIT"), SQLITE_OK);
    store()->flush();

    EXPECT_EQ(RawStore(file()).rows(), (std::map<std::string, std::string>{{"progress", "first player, later"}}));
    EXPECT_TRUE(movedAside().empty());
    // The next run reads it normally.
    EXPECT_EQ(reopened()->getStringForKey("progress"), "first player, later");
    EXPECT_FALSE(store()->isReadOnly());
}

TEST_F(UserDefault, UnreadablePathGivesAReadOnlyRun) {
    std::filesystem::create_directory(file());
    EXPECT_TRUE(store()->isReadOnly());
    store()->setStringForKey("k", "v");
    store()->flush();
    EXPECT_TRUE(std::filesystem::is_directory(file()));
    EXPECT_TRUE(movedAside().empty());
}

TEST_F(UserDefault, DeletedFileAndPurgeGiveAnEmptyStore) {
    store()->setStringForKey("level", "9");
    store()->flush();
    ASSERT_TRUE(exists(file()));
    // The game's reset: pending changes, file removed, then purge.
    store()->setStringForKey("pending", "x");
    ASSERT_EQ(std::remove(file().c_str()), 0);
    CCUserDefault::purgeSharedUserDefault();
    EXPECT_FALSE(exists(file())) << "the purge must not write";
    EXPECT_EQ(store()->getStringForKey("level", "none"), "none");
    EXPECT_EQ(store()->getStringForKey("pending", "none"), "none");
    store()->setStringForKey("after", "1");
    store()->flush();
    EXPECT_EQ(RawStore(file()).rows(), (std::map<std::string, std::string>{{"after", "1"}}));
}

TEST_F(UserDefault, FailingFlushKeepsTheOldFileAndRetries) {
    store()->setStringForKey("level", "1");
    store()->flush();
    store()->setStringForKey("level", "2");
    store()->setStringForKey("extra", "e");

    // The journal cannot be created: a directory holds its name (this works
    // for root too, unlike a read-only directory).
    std::filesystem::create_directory(file() + "-journal");
    store()->flush();
    EXPECT_TRUE(store()->isDirty());
    std::filesystem::remove(file() + "-journal");
    EXPECT_EQ(RawStore(file()).rows(), (std::map<std::string, std::string>{{"level", "1"}}));

    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
        store()->flush();
        EXPECT_TRUE(store()->isDirty());
        ASSERT_EQ(::chmod(dir.path().c_str(), 0700), 0);
        EXPECT_EQ(RawStore(file()).rows(), (std::map<std::string, std::string>{{"level", "1"}}));
    }

    store()->flush();
    EXPECT_FALSE(store()->isDirty());
    EXPECT_EQ(RawStore(file()).rows(), (std::map<std::string, std::string>{{"extra", "e"}, {"level", "2"}}));
}

TEST_F(UserDefault, FirstFlushCreatesThePrivateDirectory) {
    CCFileUtils::sharedFileUtils()->setWritablePath(dir / "nested/deeper");
    CCUserDefault::purgeSharedUserDefault();
    EXPECT_EQ(store()->getStringForKey("k", "-"), "-");
    EXPECT_FALSE(exists(dir / "nested")) << "loading a missing store creates nothing";
    store()->setBoolForKey("k", true);
    store()->flush();
    struct stat st {};
    ASSERT_EQ(::stat((dir / "nested/deeper").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(exists(dir / "nested/deeper/UserDefault.sqlite"));
}

}  // namespace
