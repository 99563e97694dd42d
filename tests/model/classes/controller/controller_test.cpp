// The registry over the real classes: models that an attribute owns leave
// with their owner, and clear() rebuilds the general settings. The registry
// rules themselves are core tests (tests/model/core/spine).
#include <gtest/gtest.h>

#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObject.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVKeyTable.h"
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
};

TEST_F(ControllerTest, OwnedModelsRegisterAndLeaveWithTheirOwnerWhileTheSharedContainerStays) {
    auto holder = Holder::create();
    auto shape = QVModelPolygon::create();
    auto animation = QVModelAnimation::create();
    auto container = QVModelSpriteContainer::create();
    auto child = QVModelObject::create();
    holder->shape->setModel(shape);
    holder->animation->setModel(animation);
    holder->sprite->setValue(container, true);
    holder->addChild(child, true);

    controller()->addModel(holder);
    for (const auto& m : std::vector<std::shared_ptr<QVModel>>{holder, shape, animation, container, child}) {
        EXPECT_EQ(controller()->getModel(m->id()), m) << m->className();
    }
    controller()->removeModel(holder);
    for (const auto& m : std::vector<std::shared_ptr<QVModel>>{holder, shape, animation, child}) {
        EXPECT_FALSE(controller()->getModel(m->id())) << m->className();
    }
    EXPECT_EQ(controller()->getModel(container->id()), container);
}

TEST_F(ControllerTest, ClearResetsStoreButKeepsConfiguration) {
    installKeyTable({{"Name", 0}, {"id", 42}});
    controller()->archiveMode = true;
    auto settings = QVModelGeneralSettings::shared();
    auto object = QVModelObject::create();
    object->setId(300);
    controller()->addModel(object);

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

}  // namespace
