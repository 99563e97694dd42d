#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/CCCommon.h"
#include "platform/RandomAndClock.h"
#include "platform_test_support.h"

extern char** environ;

namespace {

TEST(Compat, RandStartsAt41WithoutSeed) {
    // The generator's state is process-wide, so the unseeded start is checked
    // in a fresh copy of this binary.
    if (std::getenv("QV_FRESH_RAND_CHILD")) {
        EXPECT_EQ(compat::rand(), 41);
        EXPECT_EQ(compat::rand(), 18467);
        return;
    }
    std::string self = "/proc/self/exe";
    std::string filter = "--gtest_filter=Compat.RandStartsAt41WithoutSeed";
    char* argv[] = {self.data(), filter.data(), nullptr};
    ::setenv("QV_FRESH_RAND_CHILD", "1", 1);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, environ), 0);
    ::unsetenv("QV_FRESH_RAND_CHILD");
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(Compat, RandReproducesTheWindowsSequence) {
    compat::srand(1);
    for (int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(compat::rand(), expected);
    compat::srand(12345);
    const int first = compat::rand();
    compat::srand(12345);
    EXPECT_EQ(compat::rand(), first);
    EXPECT_EQ(compat::RandMax, 32767);
    int lowest = compat::RandMax, highest = 0;
    for (int i = 0; i < 100000; ++i) {
        const int v = compat::rand();
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, compat::RandMax);
}

TEST(Compat, InjectedClockDrivesTicksAndTimeOfDay) {
    // 2021-01-01 00:00:00.1234567 UTC
    const int64_t ticks = int64_t{1609459200} * 10000000 + 1234567;
    compat::setClockForTest([ticks] { return ticks; });
    EXPECT_EQ(compat::systemTicks(), ticks);
    cocos2d::cc_timeval tv{};
    EXPECT_EQ(cocos2d::gettimeofday(&tv, nullptr), 0);
    EXPECT_EQ(tv.tv_sec, 1609459200);
    EXPECT_EQ(tv.tv_usec, 123456);

    // Before the epoch the microseconds stay in range (floor, not truncation).
    compat::setClockForTest([] { return int64_t{-15}; });
    EXPECT_EQ(cocos2d::gettimeofday(&tv, nullptr), 0);
    EXPECT_EQ(tv.tv_sec, -1);
    EXPECT_EQ(tv.tv_usec, 999998);
    EXPECT_EQ(cocos2d::gettimeofday(nullptr, nullptr), -1);

    compat::setClockForTest(nullptr);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    EXPECT_NEAR(static_cast<double>(compat::systemTicks() / 10000000), static_cast<double>(now), 2.0);
    EXPECT_EQ(cocos2d::gettimeofday(&tv, nullptr), 0);
    EXPECT_NEAR(static_cast<double>(tv.tv_sec), static_cast<double>(now), 2.0);
}

TEST(Log, OneLinePerCallCutAt1023BytesAndOnceMeansOnce) {
    qvtest::StderrCapture log;
    cocos2d::CCLog("[Test] %s %d", "value", 7);
    EXPECT_EQ(log.text(), "[Test] value 7\n");

    const std::string longText(5000, 'x');
    cocos2d::CCLog("%s", longText.c_str());
    const std::string all = log.text();
    const std::string second = all.substr(std::string("[Test] value 7\n").size());
    EXPECT_EQ(second, std::string(1023, 'x') + "\n");

    qvtest::StderrCapture onceLog;
    for (int i = 0; i < 3; ++i) cocos2d::CCLogOnce("[Test] missing %s", "a.png");
    cocos2d::CCLogOnce("[Test] missing %s", "b.png");
    EXPECT_EQ(onceLog.text(), "[Test] missing a.png\n[Test] missing b.png\n");
}

}  // namespace
