// BM_PlayerStateSave: a full save of the player state (1,000 records in each
// family, every value changed) against a raw durable write of the same
// number of bytes (temporary file, fsync, rename, directory fsync). The
// counter `ratio` is save time over raw time; the goal is 1.5 or less.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"
#include "platform/QVLog.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/ScoreTable.h"

namespace {

constexpr int kRecords = 1000;

struct BenchState : QVPSettingsController {
    void fill(int round) {
        for (int i = 0; i < kRecords; ++i) {
            const uint32_t id = static_cast<uint32_t>(i);
            m_inventory[id] = round + i;
            m_refillTimers[id] = {1700000000ll + round, 600, id, 3 + round % 7};
            m_characters[id] = (round + i) % 2 == 0;
            const std::string key = "World " + std::to_string(i) + ": a;b%";
            ScoreRecord& r = scoreRecord(key);
            r.distance.best = static_cast<float>(round) + 0.5f;
            r.points.total = round + i;
            r.coins.total = round * 2 + i;
            LockStateStore::setLockState(key, (round + i) % 2 == 0);
            checkpointRecord(key).distance = static_cast<float>(round + i);
        }
        m_selectedCharacter = round;
    }
};

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void durableWrite(const std::string& dir, const std::string& bytes) {
    const std::string tmp = dir + "/raw.tmp", target = dir + "/raw";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
    ::fsync(fd);
    ::close(fd);
    std::rename(tmp.c_str(), target.c_str());
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) ::fsync(dirFd), ::close(dirFd);
}

void BM_PlayerStateSave(benchmark::State& state) {
    setLogSink([](const char*, std::size_t) {});
    char pattern[] = "/tmp/qvbench-state-XXXXXX";
    const std::string dir = mkdtemp(pattern) ? pattern : "/tmp";
    cocos2d::CCUserDefault::purgeSharedUserDefault();
    cocos2d::CCFileUtils::sharedFileUtils()->setWritablePath(dir);
    auto* s = new BenchState();
    s->load();
    QVPSettingsController::setLoaded(true);
    s->fill(0);
    s->save();
    std::ifstream in(cocos2d::CCUserDefault::getXMLFilePath(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});

    double saveTime = 0, rawTime = 0;
    int round = 1;
    for (auto _ : state) {
        state.PauseTiming();
        s->fill(round++);
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        s->save();
        saveTime += seconds(start);
        state.PauseTiming();
        start = std::chrono::steady_clock::now();
        durableWrite(dir, bytes);
        rawTime += seconds(start);
        state.ResumeTiming();
    }
    state.counters["ratio"] = rawTime > 0 ? saveTime / rawTime : 0;
    // Both means per save: the ratio alone hides whether the disk or the CPU
    // dominated the run.
    const double saves = round > 1 ? round - 1 : 1;
    state.counters["save_ms"] = 1e3 * saveTime / saves;
    state.counters["raw_ms"] = 1e3 * rawTime / saves;
    state.counters["store_bytes"] = static_cast<double>(bytes.size());

    s->release();
    QVPSettingsController::setLoaded(false);
    cocos2d::CCUserDefault::purgeSharedUserDefault();
    cocos2d::CCFileUtils::sharedFileUtils()->setWritablePath("");
    clearScores();
    clearCheckpoints();
    LockStateStore::parseLockStates("");
    std::system(("rm -rf '" + dir + "'").c_str());
    setLogSink(nullptr);
}
BENCHMARK(BM_PlayerStateSave)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
