// The whole load of the large fixture game (loadInitialData, then every
// step, as the loading screen drives it) from the data folder and from the
// AES-256 package, against msgpack-c unpacking the same pack bytes held in
// memory with the objects discarded. The user counter "ratio" is load time
// over unpack time, measured in the same run.
#include <benchmark/benchmark.h>

#include <dirent.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <msgpack.hpp>

#include "model/core/QVDataFormat.h"
#include "model/classes/QVModelClasses.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kLarge = std::string(QV_LOAD_FIXTURE_DIR) + "/large";

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

// msgpack-c alone: every object of every pack, up to the end or a nil.
double unpackSeconds(const std::vector<std::vector<char>>& packs) {
    const auto start = Clock::now();
    for (const auto& pack : packs) {
        std::size_t offset = 0;
        while (offset < pack.size()) {
            msgpack::object_handle handle = msgpack::unpack(pack.data(), pack.size(), offset);
            if (handle.get().is_nil()) break;
            benchmark::DoNotOptimize(handle.get().type);
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
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

void runLoad(benchmark::State& state, const std::string& root, bool archive) {
    const auto packs = readPacks(kLarge + "/data");
    if (packs.empty()) {
        state.SkipWithError("the large fixture is missing; build the qv_load_fixtures target");
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
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
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

void BM_ModelLoadFolder(benchmark::State& state) { runLoad(state, kLarge, false); }
void BM_ModelLoadArchiveAes256(benchmark::State& state) { runLoad(state, kLarge + "-aes256", true); }
void BM_ModelLoadArchiveInfoZip(benchmark::State& state) { runLoad(state, kLarge + "-infozip", true); }

}  // namespace

BENCHMARK(BM_ModelLoadFolder)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelLoadArchiveAes256)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelLoadArchiveInfoZip)->UseManualTime()->Unit(benchmark::kMillisecond);
