// BM_PlayerStateParse/N: the three stored strings ("QVP_Scores",
// "QVP_LockStates", "PQV_Checkpoints") of N records each, parsed once per
// iteration. Read the complexity fit (_BigO): it must stay linear, never N^2.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/QVLog.h"
#include "player/app/LockStateStore.h"
#include "player/app/ScoreTable.h"

namespace {

struct StoredTexts {
    std::string scores;
    std::string locks;
    std::string checkpoints;
};

// Keys hold the separators a world name may have; one record in 16 is
// damaged and so kept unread.
StoredTexts storedTexts(int n) {
    StoredTexts out;
    for (int i = 0; i < n; ++i) {
        const std::string key = "World " + std::to_string(i) + ": a%3Bb%25";
        const bool damaged = i % 16 == 15;
        if (i > 0) {
            out.scores += ';';
            out.locks += ';';
            out.checkpoints += ';';
        }
        out.scores += key + (damaged ? ":12.5 x 0" : ":12.5 40 1 3.5 12.5 40 7 9 0 2 5 0");
        out.locks += key + (damaged ? ":2" : i % 2 ? ":1" : ":0");
        out.checkpoints += key + (damaged ? ":1 2 3" : ":10 20 -5 6 300.5 -1");
    }
    return out;
}

void BM_PlayerStateParse(benchmark::State& state) {
    setLogSink([](const char*, std::size_t) {});
    const StoredTexts texts = storedTexts(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        parseScores(texts.scores, true);
        LockStateStore::parseLockStates(texts.locks);
        parseCheckpoints(texts.checkpoints);
        benchmark::DoNotOptimize(scoreRecords().size());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(texts.scores.size() + texts.locks.size() + texts.checkpoints.size()));
    clearScores();
    clearCheckpoints();
    LockStateStore::parseLockStates("");
    setLogSink(nullptr);
}
BENCHMARK(BM_PlayerStateParse)->RangeMultiplier(4)->Range(64, 16384)->Complexity();

}  // namespace
