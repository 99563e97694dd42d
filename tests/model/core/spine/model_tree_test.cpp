// Model tree and ids: pairing of child and parent links, refusals, copies,
// clones, id bookkeeping, listeners and destruction.
#include <gtest/gtest.h>

#include "model/core/QVAttributeValue.h"
#include "test_models.h"

namespace {

using ModelTree = SpineTest;

// Each child lists the parent exactly when the parent lists the child.
void expectPaired(const std::shared_ptr<QVModel>& parent, const std::vector<std::shared_ptr<QVModel>>& others) {
    for (const auto& m : others) {
        EXPECT_EQ(parent->hasChild(m), m->hasParent(parent)) << m->name();
    }
}

TEST_F(ModelTree, LinksStayPairedThroughInsertRemoveAndRemoveAll) {
    auto parent = TestModel::create();
    auto a = TestModel::create();
    auto b = TestModel::create();
    auto c = TestModel::create();
    a->setName("a");
    b->setName("b");
    c->setName("c");

    parent->addChild(a);
    parent->insertChild(b, 0);   // inside the list: goes first
    parent->insertChild(c, 99);  // beyond the end: appends
    ASSERT_EQ(parent->children().size(), 3u);
    EXPECT_EQ(parent->children()[0], b);
    EXPECT_EQ(parent->children()[1], a);
    EXPECT_EQ(parent->children()[2], c);
    expectPaired(parent, {a, b, c});

    parent->removeChild(a);
    EXPECT_EQ(parent->childIndex(a), 2u);  // absent: the count
    expectPaired(parent, {a, b, c});
    EXPECT_TRUE(a->parents().empty());

    // Removing through the child's side removes both halves too.
    c->removeParent(parent);
    EXPECT_FALSE(parent->hasChild(c));
    expectPaired(parent, {a, b, c});

    parent->addChild(a);
    parent->removeAllChildren();
    EXPECT_TRUE(parent->children().empty());
    EXPECT_TRUE(a->parents().empty());
    EXPECT_TRUE(b->parents().empty());
}

TEST_F(ModelTree, AddParentAloneIsAdoptedOrRefusedOnBothSides) {
    auto parent = TestModel::create();
    auto child = TestModel::create();
    child->addParent(parent);
    EXPECT_TRUE(parent->hasChild(child));
    EXPECT_EQ(child->parent(), parent);

    // A refused link (here: a cycle) leaves neither side changed.
    parent->addParent(child);
    EXPECT_FALSE(child->hasChild(parent));
    EXPECT_FALSE(parent->hasParent(child));

    // The general settings refuse to be a child through either side.
    auto settings = FakeGeneralSettings::create();
    settings->addParent(parent);
    EXPECT_FALSE(parent->hasChild(settings));
    EXPECT_TRUE(settings->parents().empty());
}

TEST_F(ModelTree, DuplicatesCyclesAndGeneralSettingsAreRefusedSilently) {
    auto root = TestModel::create();
    auto middle = TestModel::create();
    auto leaf = TestModel::create();
    root->addChild(middle);
    middle->addChild(leaf);

    RecordingListener listener;
    root->addListener(&listener);
    leaf->addListener(&listener);

    root->addChild(middle);  // duplicate
    root->addChild(root);    // itself
    leaf->addChild(root);    // its ancestor's ancestor
    leaf->addChild(middle);  // its parent
    root->addChild(FakeGeneralSettings::create());

    EXPECT_EQ(root->children().size(), 1u);
    EXPECT_TRUE(leaf->children().empty());
    EXPECT_TRUE(root->parents().empty());
    EXPECT_EQ(listener.changed, 0);
    EXPECT_TRUE(listener.added.empty());
    root->removeListener(&listener);
    leaf->removeListener(&listener);
}

TEST_F(ModelTree, CycleCheckWalksSharedAncestorsOnce) {
    // A diamond: top -> left, right -> bottom. Adding top under bottom is a
    // cycle through either path; adding a sibling tree is fine.
    auto top = TestModel::create();
    auto left = TestModel::create();
    auto right = TestModel::create();
    auto bottom = TestModel::create();
    top->addChild(left);
    top->addChild(right);
    left->addChild(bottom);
    right->addChild(bottom);
    EXPECT_EQ(bottom->parents().size(), 2u);

    bottom->addChild(top);
    EXPECT_TRUE(bottom->children().empty());
    auto unrelated = TestModel::create();
    bottom->addChild(unrelated);
    EXPECT_TRUE(bottom->hasChild(unrelated));
}

TEST_F(ModelTree, DeadParentsArePurgedAndSkipped) {
    auto child = TestModel::create();
    {
        auto doomed = TestDerived::create();
        doomed->addChild(child);
    }
    EXPECT_EQ(child->parent(), nullptr);
    EXPECT_TRUE(child->parents().empty());
    auto live = TestModel::create();
    live->addChild(child);
    EXPECT_EQ(child->parent(), live);
}

TEST_F(ModelTree, CopyTakesFreshIdClonedAttributesAndNoRelations) {
    auto source = TestNode::create();
    source->setName("Hero");
    source->addChild(TestModel::create());
    auto copy = TestNode::createCopy(*source);

    EXPECT_NE(copy->id(), source->id());
    EXPECT_EQ(copy->name(), "Hero");
    ASSERT_NE(copy->nameAttribute(), nullptr);
    EXPECT_EQ(copy->nameAttribute(), copy->attribute("Name"));
    EXPECT_EQ(copy->nameAttribute()->owner(), copy.get());
    ASSERT_EQ(copy->attributes().size(), source->attributes().size());
    for (size_t i = 0; i < copy->attributes().size(); ++i) {
        EXPECT_EQ(copy->attributes()[i]->name(), source->attributes()[i]->name());
        EXPECT_NE(copy->attributes()[i], source->attributes()[i]);
    }
    EXPECT_TRUE(copy->children().empty());
}

TEST_F(ModelTree, CopyWhoseNameIsNotAStringHasNoNameAttribute) {
    auto source = TestModel::create();
    std::unique_ptr<QVAttribute> oldName(source->nameAttribute());
    source->removeAttribute(oldName.get());
    EXPECT_EQ(oldName->owner(), nullptr);
    EXPECT_EQ(source->nameAttribute(), nullptr);
    QVAttribute* plain = new QVAttribute("Name", nullptr);
    source->addAttribute(plain);
    auto copy = TestModel::createCopy(*source);
    EXPECT_EQ(copy->nameAttribute(), nullptr);
    EXPECT_EQ(copy->name(), "");
}

TEST_F(ModelTree, ShallowCloneSharesChildren) {
    auto source = TestModel::create();
    auto a = TestModel::create();
    auto b = TestModel::create();
    source->addChild(a);
    source->addChild(b);
    auto copy = source->clone(false, false);
    ASSERT_EQ(copy->children().size(), 2u);
    EXPECT_EQ(copy->children()[0], a);
    EXPECT_EQ(copy->children()[1], b);
    EXPECT_EQ(a->parents().size(), 2u);
    EXPECT_TRUE(a->hasParent(source));
    EXPECT_TRUE(a->hasParent(copy));
    EXPECT_TRUE(copy->parents().empty());
}

TEST_F(ModelTree, DeepCloneRegistersOnlyWhenAsked) {
    auto source = TestModel::create();
    auto registeredChild = TestDerived::create();
    auto looseChild = TestDerived::create();
    source->addChild(registeredChild);
    source->addChild(looseChild);
    controller()->addModel(source);
    controller()->removeModel(looseChild);  // registered with the tree, now taken out
    ASSERT_EQ(controller()->getModels<TestDerived>().size(), 1u);

    // A throw-away clone registers nothing, however its sources stand.
    auto quiet = source->clone(true, false);
    EXPECT_EQ(controller()->getModel(quiet->id()), nullptr);
    for (const auto& c : quiet->children()) EXPECT_EQ(controller()->getModel(c->id()), nullptr);
    EXPECT_EQ(controller()->getModels<TestDerived>().size(), 1u);
    EXPECT_EQ(controller()->getModels<TestModel>().size(), 1u);

    // With registering, each copy registers when its own source is registered.
    auto kept = source->clone(true, true);
    EXPECT_EQ(controller()->getModel(kept->id()), kept);
    ASSERT_EQ(kept->children().size(), 2u);
    EXPECT_NE(kept->children()[0], registeredChild);
    EXPECT_EQ(controller()->getModel(kept->children()[0]->id()), kept->children()[0]);
    EXPECT_EQ(controller()->getModel(kept->children()[1]->id()), nullptr);
    // Registered at the end of the class list.
    EXPECT_EQ(controller()->getModels<TestModel>().back(), kept);
}

TEST_F(ModelTree, SetIdRekeysRegisteredModelAndRaisesCounter) {
    auto model = TestModel::create();
    controller()->addModel(model);
    const uint32_t oldId = model->id();
    model->setId(5000);
    EXPECT_EQ(controller()->getModel(5000), model);
    EXPECT_EQ(controller()->getModel(oldId), nullptr);
    // A model made afterwards cannot collide with the stored id.
    auto fresh = TestModel::create();
    EXPECT_EQ(fresh->id(), 5001u);

    // An unregistered model's id change raises the counter too.
    auto loose = TestModel::create();
    loose->setId(9000);
    EXPECT_EQ(controller()->getModel(9000), nullptr);
    EXPECT_EQ(TestModel::create()->id(), 9001u);

    // The "no id" value is never counted.
    loose->setId(QVModel::kNoId);
    EXPECT_EQ(TestModel::create()->id(), 9002u);
}

TEST_F(ModelTree, AddModelRaisesCounterPastRegisteredIds) {
    auto model = TestModel::create();
    model->setId(1);  // below the counter: no change there
    const uint32_t before = controller()->lastId();
    EXPECT_GE(before, 1u);
    auto stored = TestModel::create();
    stored->setId(700);
    controller()->addModel(stored);
    EXPECT_GE(controller()->lastId(), 700u);
    auto runtime = TestModel::create();
    controller()->addModel(runtime);
    EXPECT_EQ(controller()->getModel(runtime->id()), runtime);
    EXPECT_EQ(controller()->getModel(700), stored);
}

class SelfRemovingListener : public QVModelListener {
public:
    explicit SelfRemovingListener(QVModel* model) : model(model) {}
    void modelChanged(const std::shared_ptr<QVModel>&) override {
        ++calls;
        model->removeListener(this);
    }
    QVModel* model;
    int calls = 0;
};

TEST_F(ModelTree, ListenerRemovingItselfDoesNotDisturbTheCall) {
    auto model = TestModel::create();
    SelfRemovingListener first(model.get());
    RecordingListener second;
    model->addListener(&first);
    model->addListener(&second);
    model->setName("x");
    model->notifyChanged();
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.changed, 1);
    EXPECT_EQ(model->listeners().size(), 1u);
    model->removeListener(&second);
}

TEST_F(ModelTree, NotificationsReachListenersAndRespectSilent) {
    auto parent = TestModel::create();
    auto child = TestModel::create();
    RecordingListener listener;
    parent->addListener(&listener);

    parent->addChild(child, true);
    EXPECT_EQ(listener.changed, 0);
    ASSERT_EQ(listener.added.size(), 1u);  // the child hook runs even when silent
    parent->removeChild(child);
    EXPECT_EQ(listener.changed, 1);
    ASSERT_EQ(listener.removed.size(), 1u);
    parent->addChild(child, true);
    parent->removeAllChildren(true);
    EXPECT_EQ(listener.cleared, 1);
    EXPECT_EQ(listener.changed, 1);

    // Renaming to the same name still notifies.
    parent->setName("same");
    const size_t before = listener.attributeEvents.size();
    parent->setName("same");
    EXPECT_EQ(listener.attributeEvents.size(), before + 1);
    parent->removeListener(&listener);
}

TEST_F(ModelTree, DestroyingLinkedModelTellsOtherOwnersOnly) {
    auto dying = TestNode::create();
    auto sourceOwner = TestNode::create();
    auto followerOwner = TestNode::create();
    // dying's follower follows sourceOwner's Load; followerOwner follows dying's Load.
    dying->target->connect(sourceOwner->load, true);
    followerOwner->target->connect(dying->load, true);
    RecordingListener dyingListener;
    RecordingListener sourceListener;
    RecordingListener followerListener;
    dying->addListener(&dyingListener);
    sourceOwner->addListener(&sourceListener);
    followerOwner->addListener(&followerListener);

    dying.reset();

    EXPECT_EQ(dyingListener.attributeEvents.size(), 0u);
    EXPECT_EQ(sourceListener.linkEvents(), 1);
    EXPECT_EQ(followerListener.linkEvents(), 1);
    EXPECT_TRUE(sourceOwner->load->connections().empty());
    EXPECT_EQ(followerOwner->target->connectedAttribute(), nullptr);
    sourceOwner->removeListener(&sourceListener);
    followerOwner->removeListener(&followerListener);
}

TEST_F(ModelTree, AttributeMovesBetweenOwners) {
    auto first = TestModel::create();
    auto second = TestModel::create();
    auto* attribute = new QVAttribute("Moving", first.get());
    EXPECT_EQ(first->attributeIndex(attribute), 1);
    attribute->setOwner(second.get());
    EXPECT_EQ(first->attributeIndex(attribute), -1);
    EXPECT_EQ(second->attributeIndex(attribute), 1);
    first->addAttribute(attribute, 0);
    EXPECT_EQ(attribute->owner(), first.get());
    EXPECT_EQ(first->attributeIndex(attribute), 0);
    EXPECT_EQ(second->attributeIndex(attribute), -1);
    EXPECT_EQ(first->attribute("Moving"), attribute);
}

}  // namespace
