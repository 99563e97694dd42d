// Level sections and groups: the section's content copy (clones, group
// members, linkers kept only inside the copy), what its clone registers and
// notifies, and the group's character count and child-less clone.
#include <gtest/gtest.h>

#include <climits>

#include "section_test_support.h"

namespace {

using namespace sectiontest;
using References = std::vector<QVBaseAttribute*>;

class LevelSectionTest : public ModelTest {};

// X, Y, G{X, Z}, L(X, Y) and a linker to another section's object.
struct Example {
    std::shared_ptr<QVModelObject> x = QVModelObject::create(), y = QVModelObject::create(),
                                   z = QVModelObject::create(), elsewhere = QVModelObject::create();
    std::shared_ptr<QVModelObjectGroup> g = group({x, z});
    std::shared_ptr<QVModelLinker> l = linker(x, y), outward = linker(x, elsewhere);
    std::shared_ptr<QVModelLevelSection> s = section({x, y, g, l, outward});
};

TEST_F(LevelSectionTest, DeepCopyKeepsLinkersInsideTheCopyAndShallowCopyShares) {
    Example e;
    e.s->setCooldown(4);
    e.s->setPlacedAt(120.5f);
    auto copy = modelCast<QVModelLevelSection>(e.s->clone(true, false));
    const Models& c = copy->children();
    ASSERT_EQ(c.size(), 4u);  // the linker to the other section is dropped
    auto l2 = modelCast<QVModelLinker>(c[3]);
    ASSERT_TRUE(l2 && c[0] != e.x && c[1] != e.y && c[2] != e.g);
    EXPECT_EQ(c[2]->children(), (Models{c[0], e.z}));  // Z is no child of the section: shared
    EXPECT_EQ(l2->objectA(), c[0]);
    EXPECT_EQ(l2->objectB(), c[1]);
    EXPECT_EQ(models(copy->objects()), (Models{c[0], c[1], c[2]}));
    EXPECT_EQ(copy->cooldown(), 4);
    EXPECT_FLOAT_EQ(copy->placedAt(), 120.5f);
    // Nothing of the copy points into the source, nor the reverse.
    EXPECT_EQ(e.g->children(), (Models{e.x, e.z}));
    EXPECT_EQ(e.x->references(), (References{e.l->objectAAttribute(), e.outward->objectAAttribute()}));
    EXPECT_EQ(c[0]->references(), References{l2->objectAAttribute()});
    EXPECT_EQ(c[1]->references(), References{l2->objectBAttribute()});

    auto shallow = modelCast<QVModelLevelSection>(e.s->clone(false, false));
    EXPECT_EQ(shallow->children(), e.s->children());
    for (const auto& child : e.s->children()) EXPECT_TRUE(child->hasParent(e.s) && child->hasParent(shallow));
    shallow->copySectionContent(QVModelLevelSection::create(), true, false);
    EXPECT_TRUE(shallow->children().empty() && shallow->objects().empty());
    e.s->copySectionContent(e.s, false, false);  // into itself: the content stays
    EXPECT_EQ(e.s->children(), (Models{e.x, e.y, e.g, e.l, e.outward}));
}

TEST_F(LevelSectionTest, CloneRegistersCopiesOnlyWhenAskedAndNotifiesNobody) {
    RecordingController counting;
    QVModelController* previous = QVModelController::setShared(&counting);
    {
        Example e;
        counting.addModel(e.s);  // with its children and theirs
        const size_t registered = counting.modelCount();
        RecordingListener listener;
        for (const auto& model : Models{e.s, e.x, e.g, e.l, e.z}) model->addListener(&listener);
        counting.modelChanges = counting.attributeChanges = 0;

        EXPECT_FALSE(counting.getModel(e.s->clone(true, false)->id()));
        EXPECT_EQ(counting.modelCount(), registered);
        auto copy = e.s->clone(true, true);
        EXPECT_EQ(counting.modelCount(), registered + 5);  // the section and its four children
        for (const auto& model : Models{copy, copy->children()[0], copy->children()[3]}) {
            EXPECT_EQ(counting.getModel(model->id()), model);
        }
        EXPECT_EQ(counting.modelChanges + counting.attributeChanges, 0);
        EXPECT_EQ(events(listener), 0u);
        for (const auto& model : Models{e.s, e.x, e.g, e.l, e.z}) model->removeListener(&listener);
    }
    QVModelController::setShared(previous);
}

TEST_F(LevelSectionTest, SoloAndMutedNotifyOnlyOnAChangeAndObjectAtStopsAtTheEnd) {
    auto object = QVModelObject::create();
    auto s = section({object, linker(object, object)});
    RecordingListener listener;
    s->addListener(&listener);
    for (bool solo : {true, true}) s->setSolo(solo);
    for (bool muted : {true, true, false}) s->setMuted(muted);
    EXPECT_EQ(events(listener), 3u);
    s->removeListener(&listener);
    EXPECT_EQ(s->objectAt(0), object);
    EXPECT_FALSE(s->objectAt(1));  // the linker is no object
    EXPECT_FALSE(s->objectAt(UINT_MAX));
}

TEST_F(LevelSectionTest, GroupCountsItsCharacterChildrenAndItsCloneHasNone) {
    auto first = character(1);
    auto g = group({first, QVModelObject::create(), character(2), QVModelObjectAssetUnit::create()});
    set<QVAttributeStringList>(g, "Sort Direction", std::string("gAxisX"));
    EXPECT_EQ(g->characterCount(), 2);
    g->removeChild(first);
    EXPECT_EQ(g->characterCount(), 1);
    g->addChild(first);
    g->addChild(first);  // refused: already a child
    EXPECT_EQ(g->characterCount(), 2);
    controller()->addModel(g);
    for (bool deep : {false, true}) {
        auto copy = modelCast<QVModelObjectGroup>(g->clone(deep, true));
        EXPECT_TRUE(copy->children().empty());
        EXPECT_EQ(copy->characterCount(), 0);
        EXPECT_EQ(copy->sortDirection(), "gAxisX");
        EXPECT_EQ(controller()->getModel(copy->id()), copy);
    }
    g->removeAllChildren();
    EXPECT_EQ(g->characterCount(), 0);
}

}  // namespace
