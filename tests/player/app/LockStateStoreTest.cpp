#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../model/core/support/model_test_support.h"
#include "player/app/LockStateStore.h"

namespace {

class LockStates : public ::testing::Test {
protected:
    void SetUp() override { LockStateStore::parseLockStates(""); }
    void TearDown() override {
        for (const int& owner : owners) LockStateStore::removeListener(&owner);
        LockStateStore::parseLockStates("");
    }
    // Owners the fixture removes again, whatever a test left behind.
    int owners[3] = {};
    modeltest::LogCapture log;
};

}  // namespace

// A flag taken before a load must neither dangle nor keep the old value.
TEST_F(LockStates, FlagTakenBeforeALoadFollowsTheNewTable) {
    LockStateStore::parseLockStates("kA:0");
    LockStateStore::Flag flag = LockStateStore::lockFlag("kA");
    LockStateStore::lockFlag("kTaken");  // binding a flag stores the name locked
    EXPECT_FALSE(flag);

    EXPECT_EQ(LockStateStore::serializeLockStates(), "kA:0;kTaken:1");
    LockStateStore::parseLockStates("kB:0;kA:1");
    EXPECT_TRUE(flag);
    flag = false;
    EXPECT_EQ(LockStateStore::serializeLockStates(), "kB:0;kA:0");

    LockStateStore::parseLockStates("");  // a reset drops it: it reads locked again and comes back
    EXPECT_TRUE(flag.locked());
    EXPECT_EQ(LockStateStore::serializeLockStates(), "kA:1");
}

TEST_F(LockStates, ListenersRunOncePerParseAndMayRemoveListenersMeanwhile) {
    std::vector<std::string> calls;
    LockStateStore::addListener(&owners[0], [&] {
        calls.push_back("first");
        LockStateStore::removeListener(&owners[0]);
        LockStateStore::removeListener(&owners[1]);
    });
    LockStateStore::addListener(&owners[1], [&] { calls.push_back("second"); });
    LockStateStore::addListener(&owners[2], [&] {
        calls.push_back("third");
        LockStateStore::addListener(&owners[1], [&] { calls.push_back("added"); });
    });

    LockStateStore::parseLockStates("");
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "third"}));
    calls.clear();
    LockStateStore::parseLockStates("kA:1");
    EXPECT_EQ(calls, (std::vector<std::string>{"third", "added"}));
}

TEST_F(LockStates, TableOfStoredTexts) {
    struct Row {
        const char* stored;
        std::vector<std::pair<std::string, bool>> states;  // read in this order after the parse
        const char* serialized;
        int skipped;  // 0: no log line
    };
    const Row rows[] = {
        {"kA:1;kB:0", {{"kA", true}, {"kB", false}, {"kNew", true}}, "kA:1;kB:0;kNew:1", 0},
        {"World 1: Forest:0;a;b:1", {{"World 1: Forest", false}, {"b", true}}, "World 1: Forest:0;b:1;a", 1},
        {"a%3Bb:0;100%25 done:1;x%41%3b:0",
         {{"a;b", false}, {"100% done", true}, {"x%41%3b", false}},
         "a%3Bb:0;100%25 done:1;x%2541%253b:0",
         0},
        // Damaged pieces never unlock: they are left out, read locked, and
        // written back verbatim after the live entries.
        {"kA;kB:2;kC:;kD:true;kE: 0;kF:00;;kG:0",
         {{"kG", false}, {"kA", true}, {"kB", true}, {"kC", true}},
         "kG:0;kA:1;kB:1;kC:1;kA;kB:2;kC:;kD:true;kE: 0;kF:00",
         6},
        {"kA:1;kB:1;World 1: Forest:0;kC;kD:2;k%25E:0;kA:0",
         {{"kA", false}, {"kB", true}, {"World 1: Forest", false}, {"k%E", false}, {"kC", true}},
         "kA:0;kB:1;World 1: Forest:0;k%25E:0;kC:1;kC;kD:2",
         2},
        {"kA:0;kB:1;kA:1;kB:0;kB:1", {{"kA", false}, {"kB", false}}, "kA:0;kB:0", 0},
        {":1;;", {{"", true}}, ":1", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        log.lines().clear();
        LockStateStore::parseLockStates(row.stored);
        for (const auto& state : row.states)
            EXPECT_EQ(LockStateStore::lockState(state.first), state.second) << state.first;
        EXPECT_EQ(LockStateStore::serializeLockStates(), row.serialized);
        std::vector<std::string> expectedLog;
        if (row.skipped > 0)
            expectedLog.push_back("[LockStateStore] skipped " + std::to_string(row.skipped) + " malformed entries");
        EXPECT_EQ(log.all(), expectedLog);
        LockStateStore::parseLockStates(LockStateStore::serializeLockStates());
        EXPECT_EQ(LockStateStore::serializeLockStates(), row.serialized);
    }
}

// A later parse replaces the unread pieces; only a parse of "" drops them.
TEST_F(LockStates, UnreadPiecesLastUntilTheNextParse) {
    LockStateStore::parseLockStates("kA:1;kB:x;kC");
    LockStateStore::setLockState("kD", false);
    EXPECT_EQ(LockStateStore::unreadLockStates(), (std::vector<std::string>{"kB:x", "kC"}));
    EXPECT_EQ(LockStateStore::serializeLockStates(), "kA:1;kD:0;kB:x;kC");
    LockStateStore::parseLockStates("kE:0;:;kF:01");
    EXPECT_EQ(LockStateStore::serializeLockStates(), "kE:0;:;kF:01");
    LockStateStore::parseLockStates("");
    EXPECT_TRUE(LockStateStore::unreadLockStates().empty());
    EXPECT_EQ(LockStateStore::serializeLockStates(), "");
}
