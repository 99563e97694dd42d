// The controller's registry: registration rules, removal, id changes, the
// tree and sprite-container following, and clear.
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeSprite.h"
#include "test_models.h"

namespace {

using Registry = RecordingControllerTest;
using Models = std::vector<std::shared_ptr<QVModel>>;

TEST_F(Registry, AddingTwiceSendsOneModelAdded) {
    auto model = TestModel::create();
    recorder.addModel(model);
    recorder.addModel(model);
    recorder.addModel(nullptr);
    EXPECT_EQ(recorder.added, std::vector<QVModel*>{model.get()});
    EXPECT_EQ(recorder.getModels<TestModel>().size(), 1u);
}

TEST_F(Registry, IndexZeroInsertsFirstAndOtherIndexesAppend) {
    for (int index : {0, 3, 7, -1}) {
        recorder.clear();
        for (int i = 0; i < 3; ++i) recorder.addModel(TestModel::create());
        auto extra = TestModel::create();
        recorder.addModel(extra, index);
        const Models list = recorder.getModels(typeId<TestModel>());
        EXPECT_EQ(index == 0 ? list.front() : list.back(), extra) << index;
    }
}

TEST_F(Registry, RemovingARefusedDuplicateLeavesTheRegisteredModel) {
    auto registered = TestModel::create(), impostor = TestModel::create();
    registered->addChild(TestOther::create());
    impostor->addChild(TestOther::create());
    recorder.addModel(registered);
    impostor->setId(registered->id());
    recorder.addModel(impostor);  // refused: the id is taken
    recorder.removeModel(impostor);
    EXPECT_EQ(recorder.getModel(registered->id()), registered);
    EXPECT_EQ(recorder.getModel(registered->children()[0]->id()), registered->children()[0]);
    EXPECT_TRUE(recorder.removed.empty());
    recorder.removeModel(registered);
    EXPECT_TRUE(recorder.getModels<TestModel>().empty());
}

TEST_F(Registry, ReplaceModelIdWithAForeignOldIdChangesNothing) {
    auto a = TestModel::create(), b = TestModel::create();
    recorder.addModel(a);
    recorder.addModel(b);
    recorder.replaceModelId(b, a->id());
    EXPECT_EQ(recorder.getModel(a->id()), a);
    EXPECT_EQ(recorder.getModel(b->id()), b);
    EXPECT_EQ(recorder.modelChanges, 0);
}

TEST_F(Registry, RegisteringATreeRegistersChildrenAndSpriteContainers) {
    auto root = TestModel::create(), child = TestModel::create();
    auto grandchild = TestOther::create();
    auto container = QVModelSpriteContainer::create();
    (new QVAttributeSprite("Sprite", grandchild.get()))->setValue(container, true);
    root->addChild(child);
    child->addChild(grandchild);
    recorder.addModel(root);
    for (const auto& m : Models{root, child, grandchild, container}) EXPECT_EQ(recorder.getModel(m->id()), m);
    EXPECT_EQ(recorder.added.size(), 4u);
}

TEST_F(Registry, RemovalKeepsSharedChildrenAndSpriteContainers) {
    auto first = TestModel::create(), second = TestModel::create();
    auto shared = TestOther::create(), own = TestOther::create(), ownChild = TestOther::create();
    auto container = QVModelSpriteContainer::create();
    (new QVAttributeSprite("Sprite", first.get()))->setValue(container, true);
    first->addChild(shared);
    first->addChild(own);
    own->addChild(ownChild);
    second->addChild(shared);
    recorder.addModel(first);
    recorder.addModel(second);

    recorder.removeModel(first);
    EXPECT_EQ(recorder.getModel(shared->id()), shared);  // second still holds it
    EXPECT_EQ(recorder.getModel(own->id()), nullptr);
    EXPECT_EQ(recorder.getModel(ownChild->id()), nullptr);  // same rule, one level down
    EXPECT_EQ(recorder.getModel(container->id()), container);
    recorder.removeModel(second);
    EXPECT_EQ(recorder.getModel(shared->id()), nullptr);
}

TEST_F(Registry, ChangeHooksHearOnlyRegisteredModels) {
    auto loose = TestNode::create(), kept = TestNode::create();
    recorder.addModel(kept);
    loose->setName("x");
    loose->notifyChanged();
    EXPECT_EQ(recorder.attributeChanges + recorder.modelChanges, 0);
    kept->setName("y");
    kept->notifyChanged();
    EXPECT_EQ(recorder.attributeChanges, 1);
    EXPECT_EQ(recorder.modelChanges, 1);
    kept->setId(kept->id() + 100);  // re-keying counts as a change
    EXPECT_EQ(recorder.modelChanges, 2);
    recorder.notifyAttributeChanged(kept->attribute("Name"), 2);  // kind 2 is never forwarded
    EXPECT_EQ(recorder.attributeChanges, 1);
    EXPECT_TRUE(recorder.dataChanged());
}

TEST_F(Registry, ClearForgetsEverythingAndRestartsIds) {
    auto model = TestModel::create();
    model->setId(400);
    recorder.addModel(model);
    std::weak_ptr<QVModel> watch = model;
    model.reset();
    recorder.clear();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(recorder.getModel(400), nullptr);
    EXPECT_FALSE(recorder.dataChanged());
    EXPECT_EQ(TestModel::create()->id(), 1u);
}

}  // namespace
