// BM_CopyCurve: copying a state's curve must grow as N in its key count (a
// copy that re-adds and re-smooths keys would be N^2); Complexity() reports
// the fit. BM_PackDecodeRatio: the pack road (bounded reader, map conversion,
// a model's unpack) against msgpack-c's raw unpack of the same 1 MiB, both
// reusing one zone, in the same run; read the "ratio" counter, not the times.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "TestAllKinds.h"
#include "model/core/QVAnimationCurve.h"
#include "model/core/QVPackMap.h"
#include "model/core/QVPackStream.h"

namespace {

// Sources and copies rotate through this many bytes of keys, so that every
// size copies from and into memory that is not in cache. With one hot source
// the cache size, not the algorithm, would set the fit at the top of the range.
constexpr size_t kColdBytes = size_t{32} << 20;

void BM_CopyCurve(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    const size_t rotation = std::max<size_t>(2, kColdBytes / (n * sizeof(QVAnimationKey)));
    QVCurveMap prototype;
    auto curve = std::make_unique<QVAnimationCurve>();
    for (size_t i = 0; i < n; ++i) {
        const float t = static_cast<float>(i);
        curve->appendKey({t - 0.5f, t, static_cast<float>(i % 17), t + 0.5f});
    }
    curve->setPreset(3);
    prototype[1] = std::move(curve);
    std::vector<QVCurveMap> sources;
    for (size_t i = 0; i < rotation; ++i) sources.push_back(copyCurves(prototype));
    std::vector<QVCurveMap> copies(rotation);

    size_t next = 0;
    for (auto _ : state) {
        // Replacing the copy made `rotation` steps ago frees cold memory.
        copies[next] = copyCurves(sources[(next * 7 + 3) % rotation]);
        benchmark::DoNotOptimize(copies[next].at(1)->keys().data());
        next = (next + 1) % rotation;
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CopyCurve)->RangeMultiplier(2)->Range(1 << 10, 1 << 17)->Complexity()->Unit(benchmark::kMicrosecond);

// Fully set TestAllKinds maps, one after another, up to at least 1 MiB.
std::vector<unsigned char> allKindsStream() {
    constexpr size_t kStreamBytes = 1u << 20;
    auto model = TestAllKinds::create();
    allkinds::setFullValues(*model);
    msgpack::zone zone;
    QVPackMap map(zone);
    model->pack(map);
    const std::vector<unsigned char> one = map.toBytes();
    std::vector<unsigned char> stream;
    stream.reserve(kStreamBytes + one.size());
    while (stream.size() < kStreamBytes) stream.insert(stream.end(), one.begin(), one.end());
    return stream;
}

void BM_PackDecodeRatio(benchmark::State& state) {
    installKeyTable(allkinds::fixtureKeyTable());
    const std::vector<unsigned char> bytes = allKindsStream();
    // One model takes every object, so model construction stays out of the
    // comparison.
    auto model = TestAllKinds::create();
    using Clock = std::chrono::steady_clock;
    Clock::duration ours{}, raw{};

    for (auto _ : state) {
        // Both sides as the loader reads a pack: one zone reused by every object.
        const Clock::time_point start = Clock::now();
        {
            QVPackStream stream(bytes.data(), bytes.size());
            msgpack::zone zone;
            msgpack::object object;
            QVPackMap map;
            while (stream.next(zone, object)) {
                map.assign(object);
                model->unpack(map);
            }
        }
        const Clock::time_point middle = Clock::now();
        {
            msgpack::zone zone;
            size_t offset = 0;
            while (offset < bytes.size()) {
                zone.clear();
                const msgpack::object plain =
                    msgpack::unpack(zone, reinterpret_cast<const char*>(bytes.data()), bytes.size(), offset);
                benchmark::DoNotOptimize(plain.type);
            }
        }
        const Clock::time_point end = Clock::now();
        ours += middle - start;
        raw += end - middle;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    if (raw.count() > 0) {
        state.counters["ratio"] = static_cast<double>(ours.count()) / static_cast<double>(raw.count());
    }
    installKeyTable({});
}
BENCHMARK(BM_PackDecodeRatio)->Unit(benchmark::kMillisecond);

}  // namespace
