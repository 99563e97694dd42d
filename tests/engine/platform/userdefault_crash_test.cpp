// Kills engine_store_tool in the middle of its flushes, many times, and checks
// that every reopen finds one whole state: never a mix, never lost progress.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"
#include "platform_test_support.h"

extern char** environ;

using cocos2d::CCFileUtils;
using cocos2d::CCUserDefault;

namespace {

const char* const kTool = QV_BINARY_DIR "/bin/engine_store_tool";

struct ToolRun {
    long long lastReported = -1;  // -1: nothing printed
    int status = 0;
};

// Starts the tool, optionally kills it after delayMs, and collects what it printed.
ToolRun runTool(const std::string& dir, const std::vector<std::string>& args, int delayMs) {
    ToolRun run;
    int out[2];
    if (::pipe(out) != 0) {
        ADD_FAILURE() << "pipe";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);

    std::vector<std::string> env{"ENGINE_WRITABLE_PATH=" + dir};
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("ENGINE_WRITABLE_PATH=", 0) != 0) env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStore{kTool};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : argStore) argv.push_back(s.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, kTool, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        ADD_FAILURE() << "cannot start " << kTool;
        return run;
    }
    if (delayMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ::kill(pid, SIGKILL);
    }
    ::waitpid(pid, &run.status, 0);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    ::close(out[0]);
    // Only whole lines count: the kill may cut the last one.
    size_t end = text.rfind('\n');
    if (end != std::string::npos) {
        size_t start = text.rfind('\n', end - 1);
        start = start == std::string::npos || end == 0 ? 0 : start + 1;
        run.lastReported = std::stoll(text.substr(start, end - start));
    }
    return run;
}

// The state a fresh start reads back, or -1 when the keys disagree.
long long readState(const std::string& dir, std::string& why) {
    CCUserDefault::purgeSharedUserDefault();
    CCFileUtils::sharedFileUtils()->setWritablePath(dir);
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    const std::string counter = store->getStringForKey("ScreenPlayed-Level 1 <&>", "");
    if (counter.empty()) {
        for (int i = 0; i < 40; ++i)
            if (!store->getStringForKey(("state-key-" + std::to_string(i)).c_str()).empty()) {
                why = "counter missing but key " + std::to_string(i) + " present";
                return -1;
            }
        return 0;
    }
    const long long k = std::stoll(counter);
    for (int i = 0; i < 40; ++i) {
        const std::string v = store->getStringForKey(("state-key-" + std::to_string(i)).c_str());
        if (v != counter) {
            why = "key " + std::to_string(i) + " holds '" + v + "' in state " + counter;
            return -1;
        }
    }
    if (store->getStringForKey("state-big") != std::string(30000, static_cast<char>('0' + k % 10))) {
        why = "the large value does not match state " + counter;
        return -1;
    }
    return k;
}

TEST(UserDefaultCrash, KilledFlushesLeaveTheOldOrTheNewState) {
    ASSERT_TRUE(std::filesystem::exists(kTool)) << kTool << " is not built";
    qvtest::ScratchDir dir;
    unsigned seed = 20240601;
    if (const char* s = std::getenv("QV_CRASH_SEED")) seed = static_cast<unsigned>(std::strtoul(s, nullptr, 10));
    std::printf("crash test seed %u (set QV_CRASH_SEED to repeat another)\n", seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, 15);

    long long r = 0;  // highest state read back or reported so far
    int progressed = 0;
    for (int round = 0; round < 200; ++round) {
        const int ms = delay(random);
        const ToolRun run = runTool(dir.path(), {"flush-loop"}, ms);
        ASSERT_TRUE(WIFSIGNALED(run.status) || (WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0))
            << "round " << round << ": the tool failed on its own";
        if (run.lastReported > r) r = run.lastReported;
        std::string why;
        const long long k = readState(dir.path(), why);
        ASSERT_GE(k, 0) << "round " << round << " (kill after " << ms << " ms): mixed state: " << why;
        if (k == 0) {
            ASSERT_EQ(r, 0) << "round " << round << ": the store came back empty after state " << r;
        }
        ASSERT_TRUE(k >= r && k <= r + 1) << "round " << round << " (kill after " << ms << " ms): read state " << k
                                          << ", highest known " << r;
        if (k > r) ++progressed;
        r = k;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            ASSERT_EQ(e.path().filename().string().find("corrupt-"), std::string::npos)
                << "round " << round << ": the store was moved aside";
    }
    CCUserDefault::purgeSharedUserDefault();

    // An undisturbed run continues exactly from the surviving state.
    const ToolRun last = runTool(dir.path(), {"flush-loop", "3"}, -1);
    ASSERT_TRUE(WIFEXITED(last.status) && WEXITSTATUS(last.status) == 0);
    EXPECT_EQ(last.lastReported, r + 3);
    std::string why;
    EXPECT_EQ(readState(dir.path(), why), r + 3) << why;
    std::printf("reached state %lld; %d kills landed after a flush\n", r + 3, progressed);
    CCUserDefault::purgeSharedUserDefault();
    CCFileUtils::purgeFileUtils();
}

}  // namespace
