// Worlds: the component overrides (first child after a connections read, a
// later add replaces it, a removal restores the world's own values), objects
// and containment across sections, and the deep copy's re-linking of group
// characters to the init section's.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>

#include "../sections/section_test_support.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVPackMap.h"

namespace {

using namespace sectiontest;

class WorldTest : public ModelTest {};

template <class C>
std::shared_ptr<C> component(const char* name, float value) {
    auto model = C::create();
    set<QVAttributeFloat>(model, name, value);
    return model;
}

TEST_F(WorldTest, ComponentsOverrideTheFirstAfterAReadTheLatestAfterwards) {
    auto f1 = component<QVModelComponentForcedMovement>("Froce Min", 3.0f);
    auto f2 = component<QVModelComponentForcedMovement>("Froce Min", 7.0f);
    auto f3 = component<QVModelComponentForcedMovement>("Froce Min", 11.0f);
    auto d1 = component<QVModelComponentDeletionThreshold>("Back Deletion Threshold", 30.0f);
    auto d2 = component<QVModelComponentDeletionThreshold>("Back Deletion Threshold", 70.0f);
    auto source = with(QVModelScreenScene::create(), {f1, d1, f2, d2});
    for (const auto& child : source->children()) controller()->addModel(child);
    installKeyTable({{"id", 42}, {"children", 43}});
    const std::vector<std::function<void(QVModelScreenScene&)>> reads = {
        [&](QVModelScreenScene& world) { world.connectionsFromDictionary(source->connectionsToDictionary()); },
        [&](QVModelScreenScene& world) {
            msgpack::zone zone;
            std::vector<uint32_t> ids;
            for (const auto& child : source->children()) ids.push_back(child->id());
            world.unpackConnections(QVPackMap(
                msgpack::object(std::map<uint32_t, msgpack::object>{{43u, msgpack::object(ids, zone)}}, zone)));
        },
    };
    for (size_t i = 0; i < reads.size(); ++i) {
        SCOPED_TRACE(i ? "pack" : "dictionary");
        auto world = QVModelScreenScene::create();
        set<QVAttributeFloat>(world, "Game Speed Min", 1.0f);
        set<QVAttributeFloat>(world, "Back Deletion Threshold", 10.0f);
        reads[i](*world);
        ASSERT_EQ(world->children().size(), 4u);
        EXPECT_EQ(world->forcedMovement(), f1);  // the adds alone would hold f2
        EXPECT_EQ(world->deletionThreshold(), d1);
        EXPECT_FLOAT_EQ(world->gameSpeedMin(), 3.0f);
        EXPECT_FLOAT_EQ(world->gameSpeedMax(), 10.0f);
        EXPECT_FLOAT_EQ(world->speedIncrease(), 0.1f);
        EXPECT_FLOAT_EQ(world->backDeletionThreshold(), 30.0f);
        world->addChild(f3);
        EXPECT_FLOAT_EQ(world->gameSpeedMin(), 11.0f);
        world->removeChild(f2);  // not the held one
        EXPECT_EQ(world->forcedMovement(), f3);
        world->removeChild(f3);
        world->removeChild(d1);
        EXPECT_FLOAT_EQ(world->gameSpeedMin(), 1.0f);
        EXPECT_FLOAT_EQ(world->gameSpeedMax(), 0.0f);
        EXPECT_FLOAT_EQ(world->backDeletionThreshold(), 10.0f);
        world->removeAllChildren();
    }
    installKeyTable({});
}

TEST_F(WorldTest, ObjectsAndContainsSpanTheSectionsButNotGroupMembers) {
    auto own = QVModelObject::create(), a = QVModelObject::create(), b = QVModelObject::create();
    auto nested = QVModelObject::create();
    auto g = group({nested});
    auto joint = linker(a, a);
    auto first = section({a, joint, g}), second = section({b}, true);
    auto world = with(QVModelScreenScene::create(), {own, first, second});
    set<QVAttributeFrameEdgeState>(world, "Object Frame State 2", kQVObjectFrameEdgeKill);
    set<QVAttributeFrameEdgeState>(world, "Object Frame State 4", kQVObjectFrameEdgePush);

    EXPECT_EQ(world->initSection(), second);
    EXPECT_EQ(models(world->objects()), (Models{own, a, g, b}));
    EXPECT_EQ(models(world->objects<QVModelObjectGroup>()), Models{g});
    for (const auto& model : Models{own, first, a, joint, g, b}) EXPECT_TRUE(world->contains(model));
    for (const auto& model : Models{nested, world}) EXPECT_FALSE(world->contains(model));
    const std::vector<int> states{0, 2, 0, 1, 0};
    for (unsigned edge = 0; edge < states.size(); ++edge) EXPECT_EQ(world->objectFrameState(edge), states[edge]);
    EXPECT_EQ(world->objectFrameState(UINT_MAX), 0);
    world->removeChild(first);
    EXPECT_EQ(models(world->objects()), (Models{own, b}));
}

TEST_F(WorldTest, DeepCopyRelinksGroupCharactersToTheInitSectionsOfTheSameDepth) {
    auto initial = character(3), three = character(3), four = character(4), twin = character(3);
    auto other = QVModelObject::create(), floating = QVModelObject::create();
    auto g = group({three, four, floating});
    auto world = with(QVModelScreenScene::create(),
                      {component<QVModelComponentForcedMovement>("Froce Min", 4.0f), section({initial}, true),
                       section({three, four, twin, other, g, group({three, other, twin})})});
    controller()->addModel(world);
    const size_t registered = controller()->modelCount();
    auto copy = modelCast<QVModelScreenScene>(world->clone(true, true));
    EXPECT_EQ(controller()->modelCount(), 2 * registered - 1);  // all but the shared group member
    EXPECT_NE(copy->forcedMovement(), world->forcedMovement());
    EXPECT_FLOAT_EQ(copy->gameSpeedMin(), 4.0f);
    auto init = copy->initSection();
    ASSERT_TRUE(init && init->children().size() == 1u);
    const auto& initial2 = init->children()[0];
    const auto& later = copy->levelSections()[1]->children();
    ASSERT_EQ(later.size(), 6u);
    // Depth 3 gives way at its place, depth 4 keeps its copy, a member that
    // is no child of the section is shared; two of depth 3 leave the init
    // character once.
    EXPECT_EQ(later[4]->children(), (Models{initial2, later[1], floating}));
    EXPECT_EQ(later[5]->children(), (Models{initial2, later[3]}));
    EXPECT_EQ(initial2->parents(), (Models{init, later[4], later[5]}));
    EXPECT_EQ(modelCast<QVModelObjectGroup>(later[5])->characterCount(), 1);
    EXPECT_EQ(g->children(), (Models{three, four, floating}));  // the source is untouched
    EXPECT_EQ(initial->parents().size(), 1u);

    // Copying more into a world already re-linked leaves its groups alone.
    copy->copyChildren(world, true, false, true);
    EXPECT_EQ(later[4]->children(), (Models{initial2, later[1], floating}));
    EXPECT_EQ(copy->levelSections()[3]->children()[4]->children()[0], initial2);
    // Without an init section nothing moves.
    set<QVAttributeBool>(world->levelSections()[0], "Init Section", false);
    auto plainCopy = modelCast<QVModelScreenScene>(world->clone(true, false));
    const auto& plain = plainCopy->levelSections()[1]->children();
    EXPECT_EQ(plain[4]->children(), (Models{plain[0], plain[1], floating}));
}

}  // namespace
