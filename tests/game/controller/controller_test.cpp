// The registry and store: registration rules, whole-tree registration and
// removal, id bookkeeping across loads, clear() and the typed lookups.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "base/CCObject.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelClasses.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObject.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelGlue.h"

namespace {

// A test-only class that owns a shape and an animation and shows a sprite.
class Holder : public QVModel {
    QV_MODEL_GLUE(Holder, "Holder", QVModel)
public:
    explicit Holder(const std::string& name) : QVModel(name) {
        shape = new QVAttributeShape("Shape", this);
        animation = new QVAttributeAnimation("Animation", this);
        sprite = new QVAttributeSprite("Sprite", this);
    }
    Holder(const Holder& source) : QVModel(source) {}
    QVAttributeShape* shape = nullptr;
    QVAttributeAnimation* animation = nullptr;
    QVAttributeSprite* sprite = nullptr;
};

class Counting : public QVModelController {
public:
    Counting() { registerModelClasses(this); }
    void modelAdded(const std::shared_ptr<QVModel>& model) override {
        ++added;
        QVModelController::modelAdded(model);
    }
    int added = 0;
};

// Counts its own destruction, so a test can tell what the pool released.
class Tracked : public cocos2d::CCObject {
public:
    explicit Tracked(int* deaths) : m_deaths(deaths) {}
    ~Tracked() override { ++*m_deaths; }

private:
    int* m_deaths;
};

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        controller()->clear();
        installKeyTable({});
    }
    void TearDown() override { controller()->clear(); }
    static QVModelController* controller() { return QVModelController::shared(); }

    static std::shared_ptr<QVModelObject> object(uint32_t id) {
        auto model = QVModelObject::create();
        model->setId(id);
        return model;
    }
};

using Models = std::vector<std::shared_ptr<QVModelObject>>;

TEST_F(ControllerTest, AddingTwiceKeepsOneEntryAndNotifiesOnce) {
    Counting counting;
    QVModelController* previous = QVModelController::setShared(&counting);
    auto model = QVModelFont::create();
    counting.addModel(model);
    counting.addModel(model);
    EXPECT_EQ(counting.added, 1);
    EXPECT_EQ(counting.modelCount(), 1u);
    EXPECT_EQ(counting.getModels<QVModelFont>().size(), 1u);
    counting.clear();
    QVModelController::setShared(previous);
}

TEST_F(ControllerTest, IndexInsertsBeforeOrAppends) {
    struct Case {
        int index;
        size_t expectedPosition;
    };
    for (const Case& c : {Case{0, 0}, Case{3, 3}, Case{7, 3}, Case{-1, 3}}) {
        controller()->clear();
        Models three = {object(10), object(11), object(12)};
        for (const auto& m : three) controller()->addModel(m);
        auto extra = object(20);
        controller()->addModel(extra, c.index);
        const auto list = controller()->getModels<QVModelObject>();
        ASSERT_EQ(list.size(), 4u) << "index " << c.index;
        EXPECT_EQ(list[c.expectedPosition], extra) << "index " << c.index;
    }
}

TEST_F(ControllerTest, RegisteringAModelRegistersItsWholeTree) {
    auto holder = Holder::create();
    auto shape = QVModelPolygon::create();
    auto animation = QVModelAnimation::create();
    auto container = QVModelSpriteContainer::create();
    auto child = QVModelObject::create();
    auto grandchild = QVModelObject::create();
    holder->shape->setModel(shape);
    holder->animation->setModel(animation);
    holder->sprite->setValue(container, true);
    holder->addChild(child, true);
    child->addChild(grandchild, true);

    controller()->addModel(holder);
    for (const auto& m : std::vector<std::shared_ptr<QVModel>>{holder, shape, animation, container, child, grandchild}) {
        EXPECT_EQ(controller()->getModel(m->id()), m) << m->className();
    }

    // A second registered parent keeps the child (and its own child);
    // the owned shape and animation go with their owner; the sprite
    // container is shared and stays.
    auto otherParent = QVModelObject::create();
    otherParent->addChild(child, true);
    controller()->addModel(otherParent);
    controller()->removeModel(holder);
    EXPECT_FALSE(controller()->getModel(holder->id()));
    EXPECT_FALSE(controller()->getModel(shape->id()));
    EXPECT_FALSE(controller()->getModel(animation->id()));
    EXPECT_EQ(controller()->getModel(container->id()), container);
    EXPECT_EQ(controller()->getModel(child->id()), child);
    EXPECT_EQ(controller()->getModel(grandchild->id()), grandchild);

    // Without another registered parent the removal recurses.
    controller()->removeModel(otherParent);
    EXPECT_FALSE(controller()->getModel(child->id()));
    EXPECT_FALSE(controller()->getModel(grandchild->id()));
    EXPECT_EQ(controller()->getModel(container->id()), container);
}

TEST_F(ControllerTest, StaleModelsCannotDisturbTheirReplacement) {
    auto stale = object(500);
    controller()->addModel(stale);
    auto replacement = object(501);
    controller()->addModel(replacement);

    // A foreign old id changes nothing.
    controller()->replaceModelId(replacement, 500);
    EXPECT_EQ(controller()->getModel(500), stale);
    EXPECT_EQ(controller()->getModel(501), replacement);

    // The replacement takes the id over; the stale model is gone from the map.
    controller()->removeModel(stale);
    replacement->setId(500);
    ASSERT_EQ(controller()->getModel(500), replacement);
    controller()->removeModel(stale);
    EXPECT_EQ(controller()->getModel(500), replacement);
    EXPECT_EQ(controller()->getModels<QVModelObject>().size(), 1u);

    // A stale model carrying the same id must not unregister it either.
    auto twin = object(500);
    controller()->removeModel(twin);
    EXPECT_EQ(controller()->getModel(500), replacement);
}

TEST_F(ControllerTest, RuntimeModelsNeverTakeAStoredId) {
    controller()->addModel(object(1200));
    EXPECT_GT(QVModelObject::create()->id(), 1200u);

    // The no-id sentinel is never counted.
    auto unnamed = QVModelObject::create();
    const uint32_t before = controller()->lastId();
    unnamed->setId(QVModel::kNoId);
    controller()->addModel(unnamed);
    EXPECT_EQ(controller()->getModel(QVModel::kNoId), unnamed);
    EXPECT_EQ(controller()->lastId(), before);
    EXPECT_EQ(QVModelObject::create()->id(), before + 1);
}

TEST_F(ControllerTest, ClearResetsStoreButKeepsConfiguration) {
    installKeyTable({{"Name", 0}, {"id", 42}});
    controller()->archiveMode = true;
    auto settings = QVModelGeneralSettings::shared();
    controller()->addModel(object(300));

    int deaths = 0;
    auto* pending = new Tracked(&deaths);
    pending->autorelease();
    auto* kept = new Tracked(&deaths);
    kept->autorelease();
    kept->retain();

    controller()->clear();
    EXPECT_EQ(deaths, 1) << "the pending object is released, the retained one lives";
    kept->release();
    EXPECT_EQ(deaths, 2);

    EXPECT_EQ(controller()->modelCount(), 0u);
    EXPECT_FALSE(controller()->getModel(300));
    EXPECT_EQ(QVModelObject::create()->id(), 1u);
    auto fresh = QVModelGeneralSettings::shared();
    EXPECT_NE(fresh, settings);
    EXPECT_EQ(controller()->getModel(fresh->id()), fresh);
    EXPECT_TRUE(controller()->archiveMode);
    EXPECT_EQ(keyCode("Name"), 0);
    EXPECT_TRUE(controller()->hasFactory("QVModelObject"));
    EXPECT_EQ(controller()->loadingPercent(), 0);
    EXPECT_EQ(controller()->loadingState().className, "QVModelGeneralSettings");
    controller()->archiveMode = false;
}

TEST_F(ControllerTest, TypedLookups) {
    auto font1 = QVModelFont::create();
    auto font2 = QVModelFont::create();
    auto obj = QVModelObject::create();
    controller()->addModel(font1);
    controller()->addModel(font2);
    controller()->addModel(obj);

    EXPECT_EQ(controller()->getFirstModel<QVModelFont>(), font1);
    EXPECT_FALSE(controller()->getFirstModel<QVModelPolygon>());
    EXPECT_EQ(controller()->getModel<QVModelFont>(font2->id()), font2);
    EXPECT_FALSE(controller()->getModel<QVModelCompound>(obj->id())) << "exact class only";
    EXPECT_EQ(controller()->getModelOfKind<QVModelCompound>(obj->id()), obj);
    EXPECT_TRUE(controller()->getModels<QVModelCompound>().empty());
    EXPECT_EQ(controller()->getModelsOfKind<QVModelCompound>().size(), 1u);

    // An emptied class list is skipped, not tested.
    controller()->removeModel(obj);
    EXPECT_TRUE(controller()->getModelsOfKind<QVModelCompound>().empty());
    EXPECT_EQ(controller()->getModelsOfKind<QVModel>().size(), 2u);
    controller()->removeModel(font1);
    EXPECT_EQ(controller()->getFirstModel<QVModelFont>(), font2);
}

TEST_F(ControllerTest, FactoriesKeepTheFirstRegistration) {
    const auto& names = QVModelController::classNames();
    ASSERT_EQ(names.size(), 72u);
    EXPECT_EQ(names.front(), "QVModelGeneralSettings");
    EXPECT_EQ(names.back(), "QVModelComponentScore");

    EXPECT_TRUE(controller()->registerFactory("TestOnlyHolder", [] { return Holder::create(); }));
    EXPECT_FALSE(controller()->registerFactory("TestOnlyHolder", [] { return QVModelFont::create(); }));
    auto made = controller()->createModel("TestOnlyHolder");
    ASSERT_TRUE(made);
    EXPECT_STREQ(made->className(), "Holder");
    EXPECT_FALSE(controller()->getModel(made->id())) << "a factory does not register";
    EXPECT_FALSE(controller()->createModel("QVModelNoSuchClass"));
}

TEST(ArchivePassword, StoredStringGivesThePackagePassword) {
    const std::string password = QVModelController::decodeArchivePassword("m6lN0kdRRxOTokTxbE4a");
    EXPECT_EQ(password, "rzQKcR5azqXhHMh");
    EXPECT_EQ(password.find('\0'), std::string::npos);
    EXPECT_EQ(QVModelController::decodeArchivePassword(""), "");
}

}  // namespace
