// Costs that pack data controls: reading a wide "children" array and linking
// many sprite attributes to one container. Both must grow as N (or N lg N),
// which Complexity() reports; times themselves are not compared.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/classes/QVModelClasses.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelGlue.h"
#include "model/core/QVPackMap.h"

namespace {

class BenchModel : public QVModel {
    QV_MODEL_GLUE(BenchModel, "Bench", QVModel)
public:
    explicit BenchModel(const std::string& name) : QVModel(name) {}
    BenchModel(const BenchModel& source) : QVModel(source) {}
};

void BM_UnpackChildren(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    QVModelController* controller = QVModelController::shared();
    registerModelClasses(controller);
    controller->clear();
    installKeyTable({{"children", 1}});
    std::vector<uint32_t> ids;
    ids.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        auto child = BenchModel::create();
        controller->addModel(child);
        ids.push_back(child->id());
    }
    msgpack::zone zone;
    QVPackMap map(zone);
    map.put("children", ids);

    for (auto _ : state) {
        auto parent = BenchModel::create();
        parent->unpackConnections(map);
        benchmark::DoNotOptimize(parent->children().size());
        state.PauseTiming();
        parent.reset();  // children keep a dead weak parent; purged lazily
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
    controller->clear();
}
BENCHMARK(BM_UnpackChildren)->Range(1 << 10, 1 << 17)->Complexity()->Unit(benchmark::kMicrosecond);

void BM_LinkReferences(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    auto owner = BenchModel::create();
    auto container = QVModelSpriteContainer::create();
    std::vector<QVAttributeSprite*> sprites;
    sprites.reserve(n);
    for (auto _ : state) {
        for (size_t i = 0; i < n; ++i) {
            auto* sprite = new QVAttributeSprite("Sprite", nullptr);
            sprite->setValue(container, true);
            sprites.push_back(sprite);
        }
        for (QVAttributeSprite* sprite : sprites) delete sprite;  // in link order
        sprites.clear();
        benchmark::DoNotOptimize(container->references().size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LinkReferences)->Range(1 << 10, 1 << 17)->Complexity()->Unit(benchmark::kMicrosecond);

}  // namespace
