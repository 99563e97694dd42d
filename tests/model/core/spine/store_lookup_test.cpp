// The store's lookup structures: the controller's open-addressing id map,
// checked against a node-based map over long random runs (where removal has
// to pull probe runs back across the end of the table), and a model's
// reference list with its index.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <unordered_map>
#include <vector>

#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelIdMap.h"
#include "test_models.h"

namespace {

void expectSame(const QVModelIdMap& map, const std::unordered_map<uint32_t, std::shared_ptr<QVModel>>& expected) {
    ASSERT_EQ(map.size(), expected.size());
    size_t visited = 0;
    map.forEach([&](uint32_t id, const QVModel* model) {
        ++visited;
        auto it = expected.find(id);
        ASSERT_NE(it, expected.end()) << id;
        EXPECT_EQ(it->second.get(), model) << id;
    });
    EXPECT_EQ(visited, expected.size());
}

}  // namespace

TEST(ModelIdMap, AgreesWithANodeMapThroughRandomInsertsReplacementsAndRemovals) {
    std::vector<std::shared_ptr<QVModel>> models;
    for (int i = 0; i < 8; ++i) models.push_back(TestModel::create());
    QVModelIdMap map;
    std::unordered_map<uint32_t, std::shared_ptr<QVModel>> expected;
    std::mt19937 rng(11);
    for (int step = 0; step < 200000; ++step) {
        // A narrow id range keeps the table crowded; a few ids sit at the top of the range.
        const uint32_t id = rng() % 8 == 0 ? 0xFFFFFFF0u + rng() % 16 : rng() % 3000;
        const std::shared_ptr<QVModel>& model = models[rng() % models.size()];
        switch (rng() % 4) {
            case 0:
                EXPECT_EQ(map.insert(id, model.get()), expected.emplace(id, model).second);
                break;
            case 1:
                map.assign(id, model.get());
                expected[id] = model;
                break;
            case 2:
                EXPECT_EQ(map.erase(id), expected.erase(id) == 1);
                break;
            default: {
                const QVModel* found = map.find(id);
                auto it = expected.find(id);
                ASSERT_EQ(found != nullptr, it != expected.end()) << id;
                if (found) {
                    EXPECT_EQ(found, it->second.get());
                }
            }
        }
        if (step % 20000 == 0) expectSame(map, expected);
    }
    expectSame(map, expected);
    EXPECT_FALSE(map.insert(5000, nullptr));
    EXPECT_FALSE(map.contains(5000));

    // Replacing and clearing hold no reference.
    expected.clear();
    map.assign(1, models[0].get());
    map.assign(1, models[1].get());
    EXPECT_EQ(map.find(1), models[1].get());
    map.clear();
    EXPECT_TRUE(map.empty());
    for (const auto& model : models) EXPECT_EQ(model.use_count(), 1);
    EXPECT_EQ(map.find(1), nullptr);
}

// Reference lists switch from a linear search to an index once they grow;
// order, holes and lookups must not notice the switch in either direction.
TEST(ModelReferences, KeepOrderAndLookupsAcrossTheIndexThreshold) {
    std::shared_ptr<QVModel> model = TestModel::create();
    std::vector<std::unique_ptr<QVAttributeBool>> attributes;
    for (int i = 0; i < 60; ++i) attributes.push_back(std::make_unique<QVAttributeBool>("flag", nullptr));
    std::vector<QVBaseAttribute*> expected;
    for (int i = 0; i < 10; ++i) {
        model->addReference(attributes[i].get());
        expected.push_back(attributes[i].get());
    }
    model->removeReference(attributes[3].get());
    expected.erase(expected.begin() + 3);
    model->addReference(attributes[4].get());  // already there: no second entry
    EXPECT_EQ(model->references(), expected);
    for (int i = 10; i < 60; ++i) {
        model->addReference(attributes[i].get());
        expected.push_back(attributes[i].get());
    }
    for (int i = 0; i < 60; i += 2) {
        model->removeReference(attributes[i].get());
        expected.erase(std::find(expected.begin(), expected.end(), attributes[i].get()));
    }
    for (int i = 0; i < 60; ++i) {
        const bool held = std::find(expected.begin(), expected.end(), attributes[i].get()) != expected.end();
        EXPECT_EQ(model->hasReference(attributes[i].get()), held) << i;
    }
    EXPECT_EQ(model->references(), expected);
    model->addReference(attributes[0].get());
    expected.push_back(attributes[0].get());
    EXPECT_EQ(model->references(), expected);
    for (QVBaseAttribute* attribute : expected) model->removeReference(attribute);
    EXPECT_TRUE(model->references().empty());
    EXPECT_FALSE(model->hasReference(attributes[1].get()));
}
