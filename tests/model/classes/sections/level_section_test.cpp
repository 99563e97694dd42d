// Level sections and groups: the section's own content copy (clones, group
// members, linkers kept only inside the copy), what its clone registers and
// notifies, and the group's character count and child-less clone.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "section_test_support.h"

namespace {

using namespace sectiontest;
using Models = std::vector<std::shared_ptr<QVModel>>;
using References = std::vector<QVBaseAttribute*>;

template <class T>
Models models(const std::vector<std::shared_ptr<T>>& list) {
    return Models(list.begin(), list.end());
}

class LevelSectionTest : public ModelTest {};

// X, Y, G{X, Z}, L(X, Y) and a linker to another section's object.
struct Example {
    std::shared_ptr<QVModelObject> x = QVModelObject::create(), y = QVModelObject::create(),
                                   z = QVModelObject::create(), elsewhere = QVModelObject::create();
    std::shared_ptr<QVModelObjectGroup> g = group({x, z});
    std::shared_ptr<QVModelLinker> l = linker(x, y), outward = linker(x, elsewhere);
    std::shared_ptr<QVModelLevelSection> other = section({elsewhere});
    std::shared_ptr<QVModelLevelSection> s = section({x, y, g, l, outward});
};

TEST_F(LevelSectionTest, DeepCopyClonesTheContentAndKeepsLinkersInsideTheCopy) {
    Example e;
    e.s->setCooldown(4);
    e.s->setPlacedAt(120.5f);

    auto copy = modelCast<QVModelLevelSection>(e.s->clone(true, false));
    ASSERT_TRUE(copy);
    const Models& c = copy->children();
    ASSERT_EQ(c.size(), 4u);  // the linker to the other section is dropped
    auto x2 = modelCast<QVModelObject>(c[0]), y2 = modelCast<QVModelObject>(c[1]);
    auto g2 = modelCast<QVModelObjectGroup>(c[2]);
    auto l2 = modelCast<QVModelLinker>(c[3]);
    ASSERT_TRUE(x2 && y2 && g2 && l2);
    EXPECT_TRUE(x2 != e.x && y2 != e.y && g2 != e.g && l2 != e.l);
    EXPECT_EQ(g2->children(), (Models{x2, e.z}));  // Z was no child of the section: shared
    EXPECT_EQ(l2->objectA(), x2);
    EXPECT_EQ(l2->objectB(), y2);
    EXPECT_EQ(models(copy->objects()), (Models{x2, y2, g2}));
    EXPECT_EQ(copy->cooldown(), 4);
    EXPECT_FLOAT_EQ(copy->placedAt(), 120.5f);

    // Nothing of the copy points back into the source.
    EXPECT_EQ(e.g->children(), (Models{e.x, e.z}));
    EXPECT_EQ(e.x->references(), (References{e.l->objectAAttribute(), e.outward->objectAAttribute()}));
    EXPECT_EQ(e.y->references(), References{e.l->objectBAttribute()});
    EXPECT_EQ(x2->references(), References{l2->objectAAttribute()});
    EXPECT_EQ(y2->references(), References{l2->objectBAttribute()});
    EXPECT_EQ(e.z->parents(), (Models{e.g, g2}));
}

TEST_F(LevelSectionTest, ShallowCopySharesEveryChildAndAnEmptySourceGivesAnEmptyCopy) {
    Example e;
    auto copy = modelCast<QVModelLevelSection>(e.s->clone(false, false));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->children(), e.s->children());
    for (const auto& child : e.s->children()) EXPECT_TRUE(child->hasParent(e.s) && child->hasParent(copy));
    EXPECT_EQ(copy->objects(), e.s->objects());

    // Copying content replaces what the section held, in both modes.
    for (bool deep : {false, true}) {
        SCOPED_TRACE(deep);
        copy->copySectionContent(QVModelLevelSection::create(), deep, false);
        EXPECT_TRUE(copy->children().empty());
        EXPECT_TRUE(copy->objects().empty());
    }
    // Into itself: the content stays.
    e.s->copySectionContent(e.s, false, false);
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

        auto unregistered = e.s->clone(true, false);
        EXPECT_EQ(counting.modelCount(), registered);
        EXPECT_FALSE(counting.getModel(unregistered->id()));

        auto copy = e.s->clone(true, true);
        ASSERT_EQ(copy->children().size(), 4u);
        EXPECT_EQ(counting.modelCount(), registered + 5);  // the section and its four children
        for (const auto& model : Models{copy, copy->children()[0], copy->children()[2], copy->children()[3]}) {
            EXPECT_EQ(counting.getModel(model->id()), model);
        }
        EXPECT_EQ(counting.getModels<QVModelLevelSection>().size(), 2u);  // s and the registered copy
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
    s->setSolo(true);
    s->setSolo(true);
    EXPECT_EQ(events(listener), 1u);
    s->setMuted(true);
    s->setMuted(true);
    s->setMuted(false);
    EXPECT_EQ(events(listener), 3u);
    s->removeListener(&listener);
    EXPECT_TRUE(s->solo() && !s->muted());

    EXPECT_EQ(s->objectAt(0), object);
    EXPECT_FALSE(s->objectAt(1));  // the linker is no object
    EXPECT_FALSE(s->objectAt(UINT_MAX));
    s->removeChild(object);
    EXPECT_FALSE(s->objectAt(0));
}

TEST_F(LevelSectionTest, GroupCountsItsCharacterChildrenAndItsCloneHasNone) {
    auto first = character(1), second = character(2);
    auto g = group({first, QVModelObject::create(), second, QVModelObjectAssetUnit::create()});
    set<QVAttributeStringList>(g, "Sort Direction", std::string("gAxisX"));
    EXPECT_EQ(g->characterCount(), 2);
    g->removeChild(first);
    EXPECT_EQ(g->characterCount(), 1);
    g->addChild(first);
    g->addChild(first);  // refused: already a child
    EXPECT_EQ(g->characterCount(), 2);

    controller()->addModel(g);
    for (bool deep : {false, true}) {
        SCOPED_TRACE(deep);
        auto copy = modelCast<QVModelObjectGroup>(g->clone(deep, true));
        ASSERT_TRUE(copy);
        EXPECT_TRUE(copy->children().empty());
        EXPECT_EQ(copy->characterCount(), 0);
        EXPECT_EQ(copy->sortDirection(), "gAxisX");
        EXPECT_EQ(controller()->getModel(copy->id()), copy);
    }
    g->removeAllChildren();
    EXPECT_EQ(g->characterCount(), 0);
}

}  // namespace
