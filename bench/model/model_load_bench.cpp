// The whole load of the generated games (loadInitialData, then every step, as
// the loading screen drives it) from the data folder and from the packages,
// and the store's clear() after it. Each reports the user counter "ratio"
// against the library doing the same work in the same run:
//   load:  msgpack-c unpacking the same pack bytes held in memory, one zone
//          reused per pack as the loader does, the objects discarded;
//   clear: releasing the same models in id order from a plain vector.
// BM_ModelLoadFolder and BM_ModelClear take the model count: 20000 is the
// "large" fixture, the others its resized copies "sweep-<count>".
#include <benchmark/benchmark.h>

#include <dirent.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <msgpack.hpp>

#include "model/classes/QVModelClasses.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string fixtureRoot(int64_t models) {
    const std::string dir = std::string(QV_LOAD_FIXTURE_DIR) + "/";
    return models == 20000 ? dir + "large" : dir + "sweep-" + std::to_string(models);
}

std::vector<std::vector<char>> readPacks(const std::string& dir) {
    std::vector<std::vector<char>> packs;
    DIR* d = opendir(dir.c_str());
    if (!d) return packs;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() < 5 || name.compare(name.size() - 5, 5, ".pack") != 0 || name == "Keys.pack") continue;
        std::ifstream in(dir + "/" + name, std::ios::binary);
        packs.emplace_back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    closedir(d);
    return packs;
}

// msgpack-c alone: every object of every pack, up to the end or a nil, into
// one zone per pack that each object reuses.
double unpackSeconds(const std::vector<std::vector<char>>& packs) {
    const auto start = Clock::now();
    for (const auto& pack : packs) {
        msgpack::zone zone;
        std::size_t offset = 0;
        while (offset < pack.size()) {
            zone.clear();
            const msgpack::object object = msgpack::unpack(zone, pack.data(), pack.size(), offset);
            if (object.is_nil()) break;
            benchmark::DoNotOptimize(object.type);
        }
    }
    return secondsSince(start);
}

// Returns false when the load failed.
bool loadGame(const std::string& root, bool archive) {
    QVModelController* controller = QVModelController::shared();
    registerModelClasses(controller);
    cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(root);
    controller->archiveMode = archive;
    controller->loadInitialData("data/data.pkg", qvformat::kStoredArchivePassword);
    if (!controller->lastError().empty()) return false;
    controller->clear();
    bool done = false;
    while (!done) {
        done = archive ? controller->loadNextFromArchive(qvformat::kStoredArchivePassword)
                       : controller->loadNextFromFiles();
    }
    controller->closeDataArchive();
    return controller->lastError().empty();
}

void runLoad(benchmark::State& state, const std::string& root, const std::string& folder, bool archive) {
    const auto packs = readPacks(folder + "/data");
    if (packs.empty()) {
        state.SkipWithError("the fixture is missing; build the qv_load_fixtures target");
        return;
    }
    QVModelController* controller = QVModelController::shared();
    registerModelClasses(controller);
    double loadTotal = 0;
    double unpackTotal = 0;
    size_t models = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const bool ok = loadGame(root, archive);
        const double seconds = secondsSince(start);
        if (!ok) {
            state.SkipWithError(("loading failed: " + controller->lastError()).c_str());
            break;
        }
        models = controller->modelCount();
        controller->clear();
        loadTotal += seconds;
        unpackTotal += unpackSeconds(packs);
        state.SetIterationTime(seconds);
    }
    controller->archiveMode = false;
    state.counters["models"] = static_cast<double>(models);
    if (unpackTotal > 0) state.counters["ratio"] = loadTotal / unpackTotal;
}

void BM_ModelLoadFolder(benchmark::State& state) {
    const std::string root = fixtureRoot(state.range(0));
    runLoad(state, root, root, false);
}

const std::string kLarge = std::string(QV_LOAD_FIXTURE_DIR) + "/large";
void BM_ModelLoadArchiveAes256(benchmark::State& state) { runLoad(state, kLarge + "-aes256", kLarge, true); }
void BM_ModelLoadArchiveInfoZip(benchmark::State& state) { runLoad(state, kLarge + "-infozip", kLarge, true); }

// clear() after a load, against the same models released in id order from
// a vector that alone holds them (the controller cleared first, untimed).
// "vs_load" is the clear time over the load time of the same iterations.
void BM_ModelClear(benchmark::State& state) {
    const std::string root = fixtureRoot(state.range(0));
    QVModelController* controller = QVModelController::shared();
    double clearTotal = 0;
    double loadTotal = 0;
    double releaseTotal = 0;
    size_t models = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto start = Clock::now();
        if (!loadGame(root, false)) {
            state.SkipWithError(("loading failed: " + controller->lastError()).c_str());
            break;
        }
        loadTotal += secondsSince(start);
        models = controller->modelCount();
        state.ResumeTiming();

        start = Clock::now();
        controller->clear();
        const double seconds = secondsSince(start);
        clearTotal += seconds;
        state.SetIterationTime(seconds);

        state.PauseTiming();
        loadGame(root, false);
        std::vector<std::shared_ptr<QVModel>> byId = controller->modelsById();
        controller->clear();
        start = Clock::now();
        byId.clear();
        releaseTotal += secondsSince(start);
        state.ResumeTiming();
    }
    state.counters["models"] = static_cast<double>(models);
    if (releaseTotal > 0) state.counters["ratio"] = clearTotal / releaseTotal;
    if (loadTotal > 0) state.counters["vs_load"] = clearTotal / loadTotal;
}

}  // namespace

BENCHMARK(BM_ModelLoadFolder)->Arg(1000)->Arg(20000)->Arg(200000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelClear)->Arg(1000)->Arg(20000)->Arg(200000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelLoadArchiveAes256)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelLoadArchiveInfoZip)->UseManualTime()->Unit(benchmark::kMillisecond);
