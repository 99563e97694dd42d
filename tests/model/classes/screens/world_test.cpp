// Worlds: the component overrides (first child after a connections read, a
// later add replaces it, a removal restores the world's own values), objects
// and containment across sections, and the deep copy's re-linking of group
// characters to the init section's.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../sections/section_test_support.h"
#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVPackMap.h"

namespace {

using namespace sectiontest;
using Models = std::vector<std::shared_ptr<QVModel>>;

template <class T>
Models models(const std::vector<std::shared_ptr<T>>& list) {
    return Models(list.begin(), list.end());
}

class WorldTest : public ModelTest {};

// A section of another class: no level section of the world.
class SubSection : public QVModelLevelSection {
    QV_MODEL_GLUE_OWN_CLONE(SubSection, "", QVModelLevelSection, QVModel)
public:
    explicit SubSection(const std::string& name) : QVModelLevelSection(name) {}
    SubSection(const SubSection& source) : QVModelLevelSection(source) {}
};

std::shared_ptr<QVModel> SubSection::clone(bool, bool) const { return createCopy(*this); }

std::shared_ptr<QVModelComponentForcedMovement> forced(float min) {
    auto component = QVModelComponentForcedMovement::create();
    set<QVAttributeFloat>(component, "Froce Min", min);
    return component;
}

std::shared_ptr<QVModelComponentDeletionThreshold> threshold(float back) {
    auto component = QVModelComponentDeletionThreshold::create();
    set<QVAttributeFloat>(component, "Back Deletion Threshold", back);
    return component;
}

TEST_F(WorldTest, ComponentsOverrideTheFirstAfterAReadTheLatestAfterwards) {
    auto f1 = forced(3.0f), f2 = forced(7.0f), f3 = forced(11.0f);
    auto d1 = threshold(30.0f), d2 = threshold(70.0f);
    set<QVAttributeFloat>(f2, "Force Max", 70.0f);
    set<QVAttributeFloat>(f2, "Force Increase", 0.7f);
    auto source = withChildren(QVModelScreenScene::create(), {f1, d1, f2, d2});
    for (const auto& child : source->children()) controller()->addModel(child);
    installKeyTable({{"id", 42}, {"children", 43}});

    // The two forms of a connections read.
    using Read = std::function<void(QVModelScreenScene&)>;
    const std::vector<std::pair<const char*, Read>> reads = {
        {"dictionary",
         [&](QVModelScreenScene& world) { world.connectionsFromDictionary(source->connectionsToDictionary()); }},
        {"pack",
         [&](QVModelScreenScene& world) {
             msgpack::zone zone;
             std::vector<uint32_t> ids;
             for (const auto& child : source->children()) ids.push_back(child->id());
             auto object =
                 msgpack::object(std::map<uint32_t, msgpack::object>{{43u, msgpack::object(ids, zone)}}, zone);
             world.unpackConnections(QVPackMap(object));
         }},
    };
    for (const auto& read : reads) {
        SCOPED_TRACE(read.first);
        auto world = QVModelScreenScene::create();
        set<QVAttributeFloat>(world, "Game Speed Min", 1.0f);
        set<QVAttributeFloat>(world, "Game Speed Max", 2.0f);
        set<QVAttributeFloat>(world, "Speed Increase", 0.5f);
        set<QVAttributeFloat>(world, "Back Deletion Threshold", 10.0f);
        set<QVAttributeFloat>(world, "Sides Deletion Threshold", 20.0f);
        read.second(*world);
        ASSERT_EQ(world->children().size(), 4u);
        EXPECT_EQ(world->forcedMovement(), f1);  // the adds alone would hold f2
        EXPECT_EQ(world->deletionThreshold(), d1);
        EXPECT_FLOAT_EQ(world->gameSpeedMin(), 3.0f);
        EXPECT_FLOAT_EQ(world->gameSpeedMax(), 10.0f);
        EXPECT_FLOAT_EQ(world->speedIncrease(), 0.1f);
        EXPECT_FLOAT_EQ(world->backDeletionThreshold(), 30.0f);
        EXPECT_FLOAT_EQ(world->sidesDeletionThreshold(), 550.0f);

        world->addChild(f3);
        EXPECT_FLOAT_EQ(world->gameSpeedMin(), 11.0f);
        world->removeChild(f2);  // not the held one
        EXPECT_EQ(world->forcedMovement(), f3);
        world->removeChild(f3);
        world->removeChild(d1);
        EXPECT_FALSE(world->forcedMovement());
        EXPECT_FALSE(world->deletionThreshold());
        EXPECT_FLOAT_EQ(world->gameSpeedMin(), 1.0f);
        EXPECT_FLOAT_EQ(world->gameSpeedMax(), 2.0f);
        EXPECT_FLOAT_EQ(world->speedIncrease(), 0.5f);
        EXPECT_FLOAT_EQ(world->backDeletionThreshold(), 10.0f);
        EXPECT_FLOAT_EQ(world->sidesDeletionThreshold(), 20.0f);
        world->removeAllChildren();
    }
    installKeyTable({});
}

TEST_F(WorldTest, ObjectsAndContainsSpanTheSectionsButNotGroupMembers) {
    auto own = QVModelObject::create(), a = QVModelObject::create(), b = QVModelObject::create();
    auto nested = QVModelObject::create(), elsewhere = QVModelObject::create();
    auto g = group({nested});
    auto joint = linker(a, a);
    auto first = section({a, joint, g}), second = section({b}, true);
    auto world = withChildren(QVModelScreenScene::create(), {own, first, SubSection::create(), second});
    set<QVAttributeFrameEdgeState>(world, "Object Frame State 2", kQVObjectFrameEdgeKill);
    set<QVAttributeFrameEdgeState>(world, "Object Frame State 4", kQVObjectFrameEdgePush);

    EXPECT_EQ(models(world->levelSections()), (Models{first, second}));
    EXPECT_EQ(world->initSection(), second);
    EXPECT_EQ(models(world->objects()), (Models{own, a, g, b}));
    EXPECT_EQ(models(world->objects<QVModelObjectGroup>()), Models{g});
    for (const auto& model : Models{own, first, a, joint, g, b}) EXPECT_TRUE(world->contains(model));
    for (const auto& model : Models{nested, elsewhere, world}) EXPECT_FALSE(world->contains(model));
    const std::vector<int> states{0, 2, 0, 1, 0, 0};
    for (unsigned edge = 0; edge < states.size(); ++edge) EXPECT_EQ(world->objectFrameState(edge), states[edge]);
    EXPECT_EQ(world->objectFrameState(UINT_MAX), 0);

    world->removeChild(first);
    EXPECT_EQ(models(world->objects()), (Models{own, b}));
    EXPECT_FALSE(world->contains(a));
}

std::shared_ptr<QVModelScreenScene> deepCopy(const std::shared_ptr<QVModelScreenScene>& world) {
    return modelCast<QVModelScreenScene>(world->clone(true, false));
}

TEST_F(WorldTest, DeepCopyRelinksGroupCharactersToTheInitSectionsOfTheSameDepth) {
    auto initial = character(3);
    auto three = character(3), four = character(4), twin = character(3);
    auto other = QVModelObject::create();
    auto g = group({three, four});
    auto twins = group({three, other, twin});
    auto world = withChildren(QVModelScreenScene::create(),
                              {section({initial}, true), section({three, four, twin, other, g, twins})});

    auto copy = deepCopy(world);
    ASSERT_TRUE(copy);
    auto init = copy->initSection();
    ASSERT_TRUE(init);
    ASSERT_EQ(init->children().size(), 1u);
    const auto& initial2 = init->children()[0];
    EXPECT_NE(initial2, initial);
    const auto& later = copy->levelSections()[1]->children();
    ASSERT_EQ(later.size(), 6u);
    // The depth-3 character gives way at its place; depth 4 keeps its copy.
    EXPECT_EQ(later[4]->children(), (Models{initial2, later[1]}));
    // Two of the same depth: the init character once.
    EXPECT_EQ(later[5]->children(), (Models{initial2, later[3]}));
    EXPECT_EQ(initial2->parents(), (Models{init, later[4], later[5]}));
    EXPECT_EQ(modelCast<QVModelObjectGroup>(later[5])->characterCount(), 1);
    // Copying more into a world already re-linked leaves its groups alone.
    copy->copyChildren(world, true, false, true);
    ASSERT_EQ(copy->levelSections().size(), 4u);
    EXPECT_EQ(later[4]->children(), (Models{initial2, later[1]}));
    EXPECT_EQ(copy->levelSections()[3]->children()[4]->children()[0], initial2);
    // The source is untouched.
    EXPECT_EQ(g->children(), (Models{three, four}));
    EXPECT_EQ(initial->parents().size(), 1u);

    // Without an init section, or in a shallow copy, nothing moves.
    set<QVAttributeBool>(world->levelSections()[0], "Init Section", false);
    auto plain = deepCopy(world);
    EXPECT_EQ(plain->levelSections()[1]->children()[4]->children(),
              (Models{plain->levelSections()[1]->children()[0], plain->levelSections()[1]->children()[1]}));
    set<QVAttributeBool>(world->levelSections()[0], "Init Section", true);
    auto shallow = modelCast<QVModelScreenScene>(world->clone(false, false));
    EXPECT_EQ(g->children(), (Models{three, four}));
    EXPECT_EQ(shallow->children(), world->children());
}

// The world of the fixture game: components, an init section with a
// character, a unit (wake-up, spawner), a powerup, a plain placement and a
// plain object; a later section with a group holding a character that is
// also a direct child and a unit that is not, and a linker.
TEST_F(WorldTest, DeepCopyOfTheFixtureWorldRelinksTheGroupCharacter) {
    auto hero = character(3);
    auto unit = withChildren(QVModelObjectAssetUnit::create(),
                             {QVModelComponentWakeup::create(), QVModelComponentSpawner::create()});
    auto init = section(
        {hero, unit, QVModelObjectAssetPowerup::create(), QVModelObjectAsset::create(), QVModelObject::create()}, true);
    auto member = character(3);
    auto floating = QVModelObjectAssetUnit::create();
    auto post = QVModelObject::create();
    auto layer = group({member, floating});
    auto later = section({member, post, layer, linker(member, post)});
    auto world = withChildren(QVModelScreenScene::create(),
                              {forced(4.0f), threshold(40.0f), QVModelComponentScore::create(), init, later});
    controller()->addModel(world);
    const size_t before = controller()->modelCount();

    auto copy = modelCast<QVModelScreenScene>(world->clone(true, true));
    ASSERT_TRUE(copy);
    EXPECT_EQ(controller()->modelCount(), 2 * before - 1);  // all but the shared unit
    ASSERT_EQ(copy->levelSections().size(), 2u);
    auto init2 = copy->initSection();
    ASSERT_EQ(init2, copy->levelSections()[0]);
    const auto& content = copy->levelSections()[1]->children();
    ASSERT_EQ(content.size(), 4u);
    EXPECT_EQ(content[2]->children(), (Models{init2->children()[0], floating}));
    auto joint = modelCast<QVModelLinker>(content[3]);
    ASSERT_TRUE(joint);
    EXPECT_EQ(joint->objectA(), content[0]);
    EXPECT_EQ(joint->objectB(), content[1]);
    EXPECT_NE(copy->forcedMovement(), world->forcedMovement());
    EXPECT_FLOAT_EQ(copy->gameSpeedMin(), 4.0f);
    EXPECT_FLOAT_EQ(copy->backDeletionThreshold(), 40.0f);
    EXPECT_EQ(layer->children(), (Models{member, floating}));
}

}  // namespace
