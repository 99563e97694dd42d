// Type ids, casts and the typed lookups on models and the controller.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "test_models.h"

namespace {

using TypeIds = SpineTest;

TEST_F(TypeIds, ExactCastRejectsSubclassesWhileKindCastAcceptsThem) {
    std::shared_ptr<QVModel> leaf = TestLeaf::create();
    std::shared_ptr<QVModel> derived = TestDerived::create();
    std::shared_ptr<QVModel> other = TestOther::create();

    EXPECT_TRUE(modelCast<TestLeaf>(leaf));
    EXPECT_FALSE(modelCast<TestDerived>(leaf));
    EXPECT_FALSE(modelCast<TestModel>(leaf));
    EXPECT_TRUE(modelKindCast<TestDerived>(leaf));
    EXPECT_TRUE(modelKindCast<TestModel>(leaf));
    EXPECT_TRUE(modelKindCast<QVModel>(leaf));
    EXPECT_FALSE(modelKindCast<TestLeaf>(derived));
    EXPECT_FALSE(modelKindCast<TestModel>(other));
    EXPECT_EQ(modelKindCast<TestDerived>(leaf).get(), static_cast<TestDerived*>(static_cast<TestLeaf*>(leaf.get())));

    EXPECT_EQ(leaf->type(), typeId<TestLeaf>());
    EXPECT_STREQ(leaf->className(), "TestLeaf");
    EXPECT_NE(typeId<TestLeaf>(), typeId<TestDerived>());
}

TEST_F(TypeIds, CastsOfEmptyPointersAreEmpty) {
    std::shared_ptr<QVModel> none;
    EXPECT_EQ(modelCast<TestModel>(none), nullptr);
    EXPECT_EQ(modelKindCast<TestModel>(none), nullptr);
    EXPECT_EQ(attributeCast<QVAttribute>(static_cast<QVAttribute*>(nullptr)), nullptr);
}

TEST_F(TypeIds, CastSharesOwnershipAndKeepsTheModelAlive) {
    std::shared_ptr<QVModel> model = TestDerived::create();
    std::weak_ptr<QVModel> watch = model;
    std::shared_ptr<TestModel> cast = modelKindCast<TestModel>(model);
    EXPECT_EQ(model.use_count(), 2);
    model.reset();
    EXPECT_FALSE(watch.expired());
    cast.reset();
    EXPECT_TRUE(watch.expired());
}

TEST_F(TypeIds, TypedChildLookups) {
    auto parent = TestModel::create();
    auto other = TestOther::create();
    auto leaf = TestLeaf::create();
    auto derived = TestDerived::create();
    parent->addChild(other);
    parent->addChild(leaf);
    parent->addChild(derived);

    EXPECT_EQ(parent->child<TestDerived>(), derived);
    EXPECT_EQ(parent->firstOfKind<TestDerived>(), leaf);
    EXPECT_EQ(parent->children<TestDerived>().size(), 1u);
    auto kinds = parent->childrenOfKind<TestDerived>();
    ASSERT_EQ(kinds.size(), 2u);
    EXPECT_EQ(kinds[0], leaf);
    EXPECT_EQ(kinds[1], derived);
    EXPECT_EQ(parent->child<TestModel>(), nullptr);
    EXPECT_EQ(leaf->parent<TestModel>(), parent);
    EXPECT_EQ(leaf->parent<TestOther>(), nullptr);
}

TEST_F(TypeIds, TypedParentSkipsADeadParent) {
    auto child = TestModel::create();
    auto survivor = TestOther::create();
    {
        auto doomed = TestDerived::create();
        doomed->addChild(child);
        survivor->addChild(child);
        EXPECT_EQ(child->parent<TestDerived>(), doomed);
    }
    EXPECT_EQ(child->parent<TestDerived>(), nullptr);
    EXPECT_EQ(child->parent<TestOther>(), survivor);
}

TEST_F(TypeIds, ControllerListsByExactClassOrByKind) {
    auto m = TestModel::create();
    auto d = TestDerived::create();
    auto l = TestLeaf::create();
    auto o = TestOther::create();
    for (const auto& x : std::vector<std::shared_ptr<QVModel>>{m, d, l, o}) controller()->addModel(x);

    EXPECT_EQ(controller()->getModels<TestDerived>(), std::vector<std::shared_ptr<TestDerived>>{d});
    auto kinds = controller()->getModelsOfKind<TestDerived>();
    EXPECT_EQ(kinds.size(), 2u);
    EXPECT_EQ(controller()->getModelsOfKind<TestModel>().size(), 3u);
    EXPECT_EQ(controller()->getModelsOfKind<QVModel>().size(), 4u);
    EXPECT_TRUE(controller()->getModels<FakeGeneralSettings>().empty());

    EXPECT_EQ(controller()->getModel<TestDerived>(l->id()), nullptr);
    EXPECT_EQ(controller()->getModelOfKind<TestDerived>(l->id()), l);
    EXPECT_EQ(controller()->getModel<TestLeaf>(l->id()), l);
}

TEST_F(TypeIds, KindListAfterEveryModelOfAClassWasRemoved) {
    auto d = TestDerived::create();
    auto l = TestLeaf::create();
    controller()->addModel(d);
    controller()->addModel(l);
    controller()->removeModel(d);
    controller()->removeModel(l);
    EXPECT_TRUE(controller()->getModelsOfKind<TestModel>().empty());
    EXPECT_TRUE(controller()->getModels(typeId<TestDerived>()).empty());
    auto again = TestLeaf::create();
    controller()->addModel(again);
    EXPECT_EQ(controller()->getModelsOfKind<TestModel>().size(), 1u);
}

struct NeverAskedBefore {};

TEST_F(TypeIds, TypeIdFromManyThreadsIsOneValue) {
    std::vector<uint32_t> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = typeId<NeverAskedBefore>(); });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(std::set<uint32_t>(seen.begin(), seen.end()).size(), 1u);
    EXPECT_EQ(seen[0], typeId<NeverAskedBefore>());
    EXPECT_NE(seen[0], 0u);
}

}  // namespace
