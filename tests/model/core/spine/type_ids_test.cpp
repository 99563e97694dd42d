// Type ids, casts and the typed lookups on models and the controller.
#include <set>
#include <thread>

#include "test_models.h"

namespace {

using TypeIds = SpineTest;

TEST_F(TypeIds, ExactCastRejectsSubclassesWhileKindCastAcceptsThem) {
    std::shared_ptr<QVModel> leaf = TestLeaf::create(), derived = TestDerived::create(), none;
    EXPECT_TRUE(modelCast<TestLeaf>(leaf));
    EXPECT_FALSE(modelCast<TestDerived>(leaf));
    EXPECT_TRUE(modelKindCast<TestDerived>(leaf));
    EXPECT_TRUE(modelKindCast<TestModel>(leaf));
    EXPECT_FALSE(modelKindCast<TestLeaf>(derived));
    EXPECT_FALSE(modelKindCast<TestModel>(std::shared_ptr<QVModel>(TestOther::create())));
    EXPECT_FALSE(modelCast<TestModel>(none));
    EXPECT_FALSE(modelKindCast<TestModel>(none));
    EXPECT_STREQ(leaf->className(), "TestLeaf");
}

TEST_F(TypeIds, CastSharesOwnershipAndKeepsTheModelAlive) {
    std::shared_ptr<QVModel> model = TestDerived::create();
    std::weak_ptr<QVModel> watch = model;
    std::shared_ptr<TestModel> cast = modelKindCast<TestModel>(model);
    model.reset();
    EXPECT_FALSE(watch.expired());
    cast.reset();
    EXPECT_TRUE(watch.expired());
}

TEST_F(TypeIds, TypedChildAndParentLookups) {
    auto parent = TestModel::create();
    auto other = TestOther::create();
    auto leaf = TestLeaf::create();
    auto derived = TestDerived::create();
    for (const auto& c : std::vector<std::shared_ptr<QVModel>>{other, leaf, derived}) parent->addChild(c);
    EXPECT_EQ(parent->child<TestDerived>(), derived);
    EXPECT_EQ(parent->firstOfKind<TestDerived>(), leaf);
    EXPECT_EQ(parent->children<TestDerived>().size(), 1u);
    EXPECT_EQ(parent->childrenOfKind<TestDerived>(), (std::vector<std::shared_ptr<TestDerived>>{leaf, derived}));
    EXPECT_EQ(parent->child<TestModel>(), nullptr);

    auto survivor = TestOther::create();
    survivor->addChild(leaf);
    EXPECT_EQ(leaf->parent<TestModel>(), parent);
    parent.reset();  // the dead parent is skipped
    EXPECT_EQ(leaf->parent<TestModel>(), nullptr);
    EXPECT_EQ(leaf->parent<TestOther>(), survivor);
}

TEST_F(TypeIds, ControllerListsByExactClassOrByKind) {
    auto m = TestModel::create();
    auto o = TestOther::create(), o2 = TestOther::create();
    auto d = TestDerived::create();
    auto l = TestLeaf::create();
    for (const auto& x : std::vector<std::shared_ptr<QVModel>>{m, d, l, o, o2}) controller()->addModel(x);
    EXPECT_EQ(controller()->getModels<TestDerived>(), std::vector<std::shared_ptr<TestDerived>>{d});
    EXPECT_EQ(controller()->getModelsOfKind<TestDerived>().size(), 2u);
    EXPECT_EQ(controller()->getModelsOfKind<TestModel>().size(), 3u);
    EXPECT_EQ(controller()->getModelsOfKind<QVModel>().size(), 5u);
    EXPECT_TRUE(controller()->getModels<FakeGeneralSettings>().empty());
    EXPECT_FALSE(controller()->getFirstModel<FakeGeneralSettings>());
    EXPECT_EQ(controller()->getModel<TestDerived>(l->id()), nullptr);
    EXPECT_EQ(controller()->getModelOfKind<TestDerived>(l->id()), l);
    EXPECT_EQ(controller()->getFirstModel<TestOther>(), o);
    controller()->removeModel(o);
    EXPECT_EQ(controller()->getFirstModel<TestOther>(), o2);
}

TEST_F(TypeIds, KindListAfterEveryModelOfAClassWasRemoved) {
    auto d = TestDerived::create();
    auto l = TestLeaf::create();
    controller()->addModel(d);
    controller()->addModel(l);
    controller()->removeModel(d);
    controller()->removeModel(l);
    EXPECT_TRUE(controller()->getModelsOfKind<TestModel>().empty());
    controller()->addModel(TestLeaf::create());
    EXPECT_EQ(controller()->getModelsOfKind<TestModel>().size(), 1u);
}

struct NeverAskedBefore {};

TEST_F(TypeIds, TypeIdFromManyThreadsIsOneValue) {
    std::vector<uint32_t> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i) threads.emplace_back([&seen, i] { seen[i] = typeId<NeverAskedBefore>(); });
    for (auto& t : threads) t.join();
    EXPECT_EQ(std::set<uint32_t>(seen.begin(), seen.end()).size(), 1u);
    EXPECT_NE(seen[0], typeId<TestModel>());
}

}  // namespace
