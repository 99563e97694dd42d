// Model tree and ids: pairing of child and parent links, refusals, copies,
// clones, id bookkeeping, listeners and destruction.
#include "model/core/QVAttributeValue.h"
#include "test_models.h"

namespace {

using ModelTree = SpineTest;

void expectPaired(const std::shared_ptr<QVModel>& parent, const std::vector<std::shared_ptr<QVModel>>& others) {
    for (const auto& m : others) EXPECT_EQ(parent->hasChild(m), m->hasParent(parent));
}

TEST_F(ModelTree, LinksStayPairedThroughInsertRemoveAndRemoveAll) {
    auto parent = TestModel::create();
    auto a = TestModel::create(), b = TestModel::create(), c = TestModel::create();
    parent->addChild(a);
    parent->insertChild(b, 0);   // inside the list: goes there
    parent->insertChild(c, 99);  // beyond the end: appends
    EXPECT_EQ(parent->children(), (std::vector<std::shared_ptr<QVModel>>{b, a, c}));
    expectPaired(parent, {a, b, c});

    parent->removeChild(a);
    EXPECT_EQ(parent->childIndex(a), 2u);  // absent: the count
    EXPECT_TRUE(a->parents().empty());
    c->removeParent(parent);  // from the child's side, both halves go
    EXPECT_FALSE(parent->hasChild(c));
    expectPaired(parent, {a, b, c});

    parent->addChild(a);
    parent->removeAllChildren();
    EXPECT_TRUE(parent->children().empty());
    EXPECT_TRUE(a->parents().empty() && b->parents().empty());
}

TEST_F(ModelTree, DuplicatesCyclesAndGeneralSettingsAreRefusedOnBothSides) {
    auto root = TestModel::create(), middle = TestModel::create(), leaf = TestModel::create();
    root->addChild(middle);
    leaf->addParent(middle);  // called alone, the parent adopts the child
    EXPECT_TRUE(middle->hasChild(leaf));
    RecordingListener listener;
    root->addListener(&listener);
    leaf->addListener(&listener);

    root->addChild(middle);  // duplicate
    root->addChild(root);    // itself
    leaf->addChild(root);    // an ancestor
    root->addParent(leaf);   // the same cycle from the other side
    auto settings = FakeGeneralSettings::create();
    root->addChild(settings);
    settings->addParent(root);

    EXPECT_EQ(root->children().size(), 1u);
    EXPECT_TRUE(leaf->children().empty());
    EXPECT_TRUE(root->parents().empty());
    EXPECT_TRUE(settings->parents().empty());
    EXPECT_EQ(listener.changed, 0);
    EXPECT_TRUE(listener.added.empty());
    root->removeListener(&listener);
    leaf->removeListener(&listener);
}

TEST_F(ModelTree, CycleCheckSeesEveryPathThroughADiamond) {
    auto top = TestModel::create(), left = TestModel::create(), right = TestModel::create();
    auto bottom = TestModel::create();
    top->addChild(left);
    top->addChild(right);
    left->addChild(bottom);
    right->addChild(bottom);
    bottom->addChild(top);
    EXPECT_TRUE(bottom->children().empty());
    auto unrelated = TestModel::create();
    bottom->addChild(unrelated);
    EXPECT_TRUE(bottom->hasChild(unrelated));
}

TEST_F(ModelTree, CopyTakesFreshIdClonedAttributesAndNoRelations) {
    auto source = TestNode::create();
    source->setName("Hero");
    source->addChild(TestModel::create());
    auto copy = TestNode::createCopy(*source);
    EXPECT_NE(copy->id(), source->id());
    EXPECT_EQ(copy->name(), "Hero");
    ASSERT_NE(copy->nameAttribute(), nullptr);
    EXPECT_EQ(copy->nameAttribute()->owner(), copy.get());
    ASSERT_EQ(copy->attributes().size(), source->attributes().size());
    for (size_t i = 0; i < copy->attributes().size(); ++i) {
        EXPECT_EQ(copy->attributes()[i]->name(), source->attributes()[i]->name());
        EXPECT_NE(copy->attributes()[i], source->attributes()[i]);
    }
    EXPECT_TRUE(copy->children().empty());
}

TEST_F(ModelTree, ShallowCloneSharesChildren) {
    auto source = TestModel::create(), a = TestModel::create();
    source->addChild(a);
    auto copy = source->clone(false, false);
    EXPECT_EQ(copy->children(), std::vector<std::shared_ptr<QVModel>>{a});
    EXPECT_EQ(a->parents(), (std::vector<std::shared_ptr<QVModel>>{source, copy}));
    EXPECT_TRUE(copy->parents().empty());
}

TEST_F(ModelTree, DeepCloneRegistersOnlyWhenAsked) {
    auto source = TestModel::create();
    auto registeredChild = TestDerived::create(), looseChild = TestDerived::create();
    source->addChild(registeredChild);
    source->addChild(looseChild);
    controller()->addModel(source);
    controller()->removeModel(looseChild);

    // A throw-away clone registers nothing, however its sources stand.
    auto quiet = source->clone(true, false);
    EXPECT_EQ(controller()->getModel(quiet->id()), nullptr);
    for (const auto& c : quiet->children()) EXPECT_EQ(controller()->getModel(c->id()), nullptr);
    EXPECT_EQ(controller()->modelCount(), 2u);

    // With registering, each copy registers when its own source is registered.
    auto kept = source->clone(true, true);
    EXPECT_EQ(controller()->getModels<TestModel>().back(), kept);
    ASSERT_EQ(kept->children().size(), 2u);
    EXPECT_NE(kept->children()[0], registeredChild);
    EXPECT_EQ(controller()->getModel(kept->children()[0]->id()), kept->children()[0]);
    EXPECT_EQ(controller()->getModel(kept->children()[1]->id()), nullptr);
}

TEST_F(ModelTree, IdsRekeyTheRegistryAndKeepTheCounterAhead) {
    auto model = TestModel::create();
    controller()->addModel(model);
    const uint32_t oldId = model->id();
    model->setId(5000);
    EXPECT_EQ(controller()->getModel(5000), model);
    EXPECT_EQ(controller()->getModel(oldId), nullptr);
    EXPECT_EQ(TestModel::create()->id(), 5001u);

    auto loose = TestModel::create();
    loose->setId(9000);  // unregistered: not keyed, but counted
    EXPECT_EQ(controller()->getModel(9000), nullptr);
    loose->setId(QVModel::kNoId);  // the no-id value is never counted, even registered
    controller()->addModel(loose);
    EXPECT_EQ(controller()->getModel(QVModel::kNoId), loose);
    EXPECT_EQ(controller()->lastId(), 9000u);
    EXPECT_EQ(TestModel::create()->id(), 9001u);
}

class SelfRemovingListener : public QVModelListener {
public:
    explicit SelfRemovingListener(QVModel* watched) : model(watched) {}
    void modelChanged(const std::shared_ptr<QVModel>&) override {
        ++calls;
        model->removeListener(this);
    }
    QVModel* model;
    int calls = 0;
};

TEST_F(ModelTree, ListenersHearChangesAndMayRemoveThemselves) {
    auto parent = TestModel::create(), child = TestModel::create();
    SelfRemovingListener first(parent.get());
    RecordingListener listener;
    parent->addListener(&first);
    parent->addListener(&listener);
    parent->notifyChanged();
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(listener.changed, 1);
    EXPECT_EQ(parent->listeners().size(), 1u);

    parent->addChild(child, true);  // silent: no change, but the child hook runs
    parent->removeAllChildren(true);
    EXPECT_EQ(listener.changed, 1);
    EXPECT_EQ(listener.added.size(), 1u);
    EXPECT_EQ(listener.cleared, 1);
    parent->setName("same");
    parent->setName("same");  // an unchanged name still notifies
    EXPECT_EQ(listener.attributeEvents.size(), 2u);
    parent->removeListener(&listener);
}

TEST_F(ModelTree, DestroyingLinkedModelTellsOtherOwnersOnly) {
    auto dying = TestNode::create(), sourceOwner = TestNode::create(), followerOwner = TestNode::create();
    dying->target->connect(sourceOwner->load, true);
    followerOwner->target->connect(dying->load, true);
    RecordingListener dyingListener, sourceListener, followerListener;
    dying->addListener(&dyingListener);
    sourceOwner->addListener(&sourceListener);
    followerOwner->addListener(&followerListener);

    dying.reset();
    EXPECT_TRUE(dyingListener.attributeEvents.empty());
    EXPECT_EQ(sourceListener.linkEvents(), 1);
    EXPECT_EQ(followerListener.linkEvents(), 1);
    EXPECT_TRUE(sourceOwner->load->connections().empty());
    EXPECT_EQ(followerOwner->target->connectedAttribute(), nullptr);
    sourceOwner->removeListener(&sourceListener);
    followerOwner->removeListener(&followerListener);
}

TEST_F(ModelTree, AttributeMovesBetweenOwnersWithoutRecursion) {
    auto first = TestModel::create(), second = TestModel::create();
    auto* attribute = new QVAttribute("Moving", first.get());
    attribute->setOwner(second.get());
    EXPECT_EQ(first->attributeIndex(attribute), -1);
    EXPECT_EQ(second->attributeIndex(attribute), 1);
    first->addAttribute(attribute, 0);
    EXPECT_EQ(attribute->owner(), first.get());
    EXPECT_EQ(first->attributeIndex(attribute), 0);
    EXPECT_EQ(second->attributeIndex(attribute), -1);
}

}  // namespace
