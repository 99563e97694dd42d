// Sprite animation objects: the clock and its wrap, the steps their children
// get, children the factory does not build and kinds an animation refuses,
// the opacity its owner gives its images, what the asset object's animation
// table and the scene's pause do to them, and screen icons over a world.
#include <algorithm>
#include <functional>
#include <vector>

#include "../../engine/log/log_capture.h"
#include "../screens/field_scene_support.h"
#include "../ui/ui_test_support.h"
#include "FieldFixtures.h"
#include "actions/CCActionManager.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelObjectLoadingBar.h"
#include "model/classes/QVModelObjectParticles.h"
#include "model/classes/QVModelObjectPath.h"
#include "model/classes/QVModelUIObjects.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVPObjectFactory.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPScreenScene.h"
#include "player/ui/QVPObjectButtonUnlockCharacter.h"
#include "player/ui/QVPObjectCharacterSelector.h"
#include "player/ui/QVPObjectImage.h"
#include "sprite/CCSprite.h"

using namespace cocos2d;
using namespace uitest;

namespace {

// The steps every factory-made child got, in call order.
std::vector<float>& steps() {
    static std::vector<float> list;
    return list;
}

class RecordingAsset : public QVPObjectAsset {
public:
    using QVPObjectAsset::QVPObjectAsset;
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model) { return new RecordingAsset(model); }
    void update(float dt) override { steps().push_back(dt); }
};

class AnimationObject : public UiTest {
protected:
    AnimationObject() { steps().clear(); }
    ~AnimationObject() override {
        for (auto* made : running) made->onExit(), made->release();
        for (int row = 1; row <= static_cast<int>(QVPObjectRow::ScreenJump); ++row) {
            setObjectBuilder(static_cast<QVPObjectRow>(row), nullptr);
        }
    }
    std::shared_ptr<QVModelAnimation> animation(float speed, float duration, bool loop) {
        auto model = registered<QVModelAnimation>();
        attr(*model, "Speed")->setValue(speed);
        model->setDuration(duration);
        model->setLoop(loop);
        return model;
    }
    std::shared_ptr<QVModelObjectImage> addImage(const std::shared_ptr<QVModelAnimation>& model, unsigned frames) {
        auto image = registered<QVModelObjectImage>();
        if (frames) attr<QVAttributeSprite>(*image, "Image")->setValue(spriteContainer(frames));
        model->addChild(image);
        return image;
    }
    // Retained and running (sprite actions run only on running nodes).
    template <class T>
    T* keep(T* node) {
        node->retain();
        node->onEnter();
        running.push_back(node);
        return node;
    }
    QVPAnimationObject* play(const std::shared_ptr<QVModelAnimation>& model) {
        return keep(QVPAnimationObject::create(model));
    }
    static bool imagePaused(CCNode* node) {
        auto* sprite = static_cast<CCSprite*>(node->getChildren()->objectAtIndex(0));
        return sprite->getActionManager()->isTargetPaused(sprite);
    }

    std::vector<CCNode*> running;
};

}  // namespace

TEST_F(AnimationObject, ClockWrapsStrictlyAfterDurationAndDropsTheSurplus) {
    struct Row {
        const char* name;
        float speed;
        bool loop;
        std::vector<std::pair<bool, float>> updates;  // visible, dt
        float elapsed;
        int callbacks;
    };
    const Row rows[] = {
        {"equal to duration stays", 1.0f, true, {{true, 0.5f}, {true, 0.5f}}, 1.0f, 0},
        {"past duration resets to 0", 1.0f, true, {{true, 0.75f}, {true, 0.5f}}, 0.0f, 1},
        {"speed scales the clock", 2.0f, true, {{true, 0.25f}}, 0.5f, 0},
        {"speed 0 freezes it", 0.0f, true, {{true, 5.0f}, {true, 5.0f}}, 0.0f, 0},
        {"hidden does not advance", 1.0f, true, {{false, 5.0f}, {true, 0.25f}}, 0.25f, 0},
        {"one-shot calls back at every wrap", 1.0f, false, {{true, 1.5f}, {true, 1.5f}, {true, 1.5f}}, 0.0f, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = animation(row.speed, 1.0f, row.loop);
        QVPAnimationObject* made = play(model);
        int callbacks = 0;
        made->setEndCallback([&callbacks] { ++callbacks; });
        for (const auto& [visible, dt] : row.updates) {
            made->setVisible(visible);
            made->update(dt);
        }
        EXPECT_FLOAT_EQ(made->elapsedTime(), row.elapsed);
        EXPECT_EQ(callbacks, row.callbacks);
    }
}

TEST_F(AnimationObject, HiddenStillWrapsAndCallsBack) {
    auto model = animation(1.0f, 1.0f, true);
    QVPAnimationObject* made = play(model);
    int callbacks = 0;
    made->setEndCallback([&callbacks] { ++callbacks; });
    made->update(0.75f);
    model->setDuration(0.5f);  // the clock is now past the end
    made->setVisible(false);
    made->update(1.0f / 60.0f);
    EXPECT_EQ(made->elapsedTime(), 0.0f);
    EXPECT_EQ(callbacks, 1);
}

TEST_F(AnimationObject, EndCallbackMayClearItself) {
    auto model = animation(1.0f, 0.5f, true);
    QVPAnimationObject* made = play(model);
    int callbacks = 0;
    made->setEndCallback([&] {
        ++callbacks;
        made->setEndCallback(nullptr);  // the owner goes away
    });
    for (int i = 0; i < 3; ++i) made->update(1.0f);
    EXPECT_EQ(callbacks, 1);
}

TEST_F(AnimationObject, ParticlesUnscaledStep) {
    setObjectBuilder(QVPObjectRow::Particles, &RecordingAsset::build);
    setObjectBuilder(QVPObjectRow::Unit, &RecordingAsset::build);
    auto model = animation(3.0f, 100.0f, true);
    model->addChild(registered<QVModelObjectParticles>());
    model->addChild(fieldfixtures::unitPlacement(fieldfixtures::obstacleAsset("Crate", 10, 10), CCPoint(0, 0)));
    auto image = addImage(model, 0);
    QVPAnimationObject* made = play(model);
    ASSERT_NE(made->frameNode(0), nullptr);
    ASSERT_NE(made->frameNode(1), nullptr);
    made->update(0.5f);
    EXPECT_EQ(steps(), (std::vector<float>{0.5f, 1.5f}));  // particles, then the unit at Speed x dt
    EXPECT_FLOAT_EQ(static_cast<QVPObjectImage*>(made->frameNode(2))->elapsedTime(), 1.5f);
    made->setVisible(false);
    made->update(0.5f);
    EXPECT_EQ(steps().size(), 2u);  // hidden children are not stepped
}

TEST_F(AnimationObject, ChildrenNotBuiltAreSkipped) {
    LogCapture log;
    auto model = animation(1.0f, 1.0f, true);
    model->addChild(registered<QVModelObjectAssetUnit>());   // no builder installed for its row
    model->addChild(registered<QVModelObjectLoadingBar>());  // not an animation child
    addImage(model, 0);
    QVPAnimationObject* made = play(model);
    EXPECT_EQ(made->frameCount(), 3);
    EXPECT_EQ(made->frameNode(0), nullptr);
    EXPECT_EQ(made->frameNode(1), nullptr);
    ASSERT_NE(made->frameNode(2), nullptr);
    EXPECT_EQ(made->getChildrenCount(), 1u);
    EXPECT_EQ(made->frameNode(7), nullptr);
    int unknown = 0;
    for (const auto& line : log.all()) unknown += line.find("Warning uknown object type") != std::string::npos;
    EXPECT_EQ(unknown, 1);
    // The walks skip the missing children too.
    made->setVisible(false);
    made->update(2.0f);
    made->restart();
    made->pause();
    made->resume();
    made->setFrame(1);
    made->setSpeed(2.0f);
    EXPECT_FALSE(made->frameNode(2)->isVisible());

    QVPAnimationObject* empty = play(nullptr);
    EXPECT_EQ(empty->frameCount(), 0);
    EXPECT_EQ(empty->totalFrames(), 0);
    empty->update(1.0f);
}

// Every factory row has a builder here, so a refused kind is the
// animation's own choice.
TEST_F(AnimationObject, OnlyTheListedKindsAreBuilt) {
    for (int row = 1; row <= static_cast<int>(QVPObjectRow::ScreenJump); ++row) {
        setObjectBuilder(static_cast<QVPObjectRow>(row), &RecordingAsset::build);
    }
    namespace ff = fieldfixtures;
    struct Row {
        const char* name;
        std::shared_ptr<QVModelObject> child;
        bool built;
    };
    const Row rows[] = {
        {"unit", ff::unitPlacement(ff::obstacleAsset("Crate", 10, 10), CCPoint(0, 0)), true},
        {"particles", registered<QVModelObjectParticles>(), true},
        {"light", registered<QVModelObjectLight>(), true},
        {"trail", registered<QVModelObjectTrail>(), true},
        {"flag", registered<QVModelObjectFlag>(), true},
        {"powerup", ff::powerupPlacement(ff::powerupAsset("Coin", "kPowerupCoin", 0.0f), CCPoint(0, 0)), true},
        {"character", ff::characterPlacement(ff::characterAsset("Hero", 20, 20), CCPoint(0, 0)), false},
        {"logic", registered<QVModelObjectLogic>(), false},
        {"path", registered<QVModelObjectPath>(), false},
        {"teleport", registered<QVModelObjectTeleport>(), false},
        {"gatekeeper", registered<QVModelObjectGatekeeper>(), false},
        {"mirror", registered<QVModelObjectMirror>(), false},
        {"screen jump", registered<QVModelObjectScreenJump>(), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(QVPObjectAsset::create(row.child), nullptr);  // the factory itself builds it
        LogCapture log;
        auto model = animation(1.0f, 1.0f, true);
        model->addChild(row.child);
        QVPAnimationObject* made = play(model);
        EXPECT_EQ(made->frameNode(0) != nullptr, row.built);
        EXPECT_EQ(fieldtest::linesWith("Warning uknown object type"), row.built ? 0 : 1);
    }
}

// The owner's opacity (a unit's, a selector's) reaches the images.
TEST_F(AnimationObject, SpeedIsTheImagesOpacityFactor) {
    for (const auto& [speed, opacity] : {std::pair{1.0f, 255}, {0.5f, 127}, {0.0f, 0}}) {
        SCOPED_TRACE(speed);
        auto model = animation(1.0f, 10.0f, true);
        addImage(model, 1);
        QVPAnimationObject* made = play(model);
        made->setSpeed(speed);
        made->update(1.0f / 60.0f);
        auto* sprite = static_cast<CCSprite*>(made->frameNode(0)->getChildren()->objectAtIndex(0));
        EXPECT_EQ(sprite->getOpacity(), opacity);
    }
}

TEST_F(AnimationObject, OneShotPausesItsImagesAtTheWrap) {
    auto model = animation(1.0f, 1.0f, false);
    addImage(model, 3);
    QVPAnimationObject* made = play(model);
    CCNode* image = made->frameNode(0);
    EXPECT_FALSE(imagePaused(image));
    made->update(0.5f);
    EXPECT_FALSE(imagePaused(image));
    made->update(0.75f);
    EXPECT_TRUE(imagePaused(image));
}

TEST_F(AnimationObject, TableRestartsFromFrameZero) {
    auto asset = std::static_pointer_cast<QVModelObjectAsset>(registered<QVModelObjectAssetUnit>());
    QVPObjectAsset* object = keep(new QVPObjectAsset(asset));
    object->release();  // keep holds the one reference
    struct Entry {
        int32_t priority;
        QVPAnimationObject* made;
    };
    auto shown = [&](float dt) {
        auto model = animation(1.0f, 10.0f, true);
        addImage(model, 2);
        QVPAnimationObject* made = QVPAnimationObject::create(model);
        made->update(dt);
        return made;
    };
    auto imageTime = [](QVPAnimationObject* made) {
        return static_cast<QVPObjectImage*>(made->frameNode(0))->elapsedTime();
    };
    QVPAnimationObject* move = shown(2.0f);
    QVPAnimationObject* mapper = shown(2.0f);
    QVPAnimationObject* powerup = shown(2.0f);
    QVPAnimationObject* attached = shown(2.0f);

    object->addAnimation(QVPObjectAsset::kPriorityMove, move, nullptr);
    EXPECT_EQ(move->elapsedTime(), 0.0f);
    EXPECT_EQ(imageTime(move), 0.0f);

    object->addAnimation(QVPObjectAsset::kPriorityRotationMapper, mapper, nullptr);
    EXPECT_EQ(object->currentAnimation(), mapper);
    EXPECT_EQ(mapper->elapsedTime(), 2.0f);  // the rotation mapper keeps its frame

    move->setVisible(true);  // hidden entries keep their clock
    move->update(1.0f);
    ASSERT_EQ(move->elapsedTime(), 1.0f);
    object->addAnimation(QVPObjectAsset::kPriorityPowerup, powerup, nullptr);
    EXPECT_EQ(powerup->elapsedTime(), 0.0f);
    object->removeAnimation(QVPObjectAsset::kPriorityPowerup, powerup, nullptr);
    EXPECT_EQ(object->currentAnimation(), mapper);
    EXPECT_EQ(mapper->elapsedTime(), 2.0f);
    object->removeAnimation(QVPObjectAsset::kPriorityRotationMapper, mapper, nullptr);
    ASSERT_EQ(object->currentAnimation(), move);
    EXPECT_EQ(move->elapsedTime(), 0.0f);
    EXPECT_EQ(imageTime(move), 0.0f);

    attached->setVisible(false);
    object->attachAnimation(attached);
    EXPECT_EQ(attached->elapsedTime(), 0.0f);
    EXPECT_EQ(imageTime(attached), 0.0f);
    EXPECT_TRUE(attached->isVisible());
}

TEST_F(AnimationObject, ScenePauseReachesNestedImages) {
    auto model = animation(1.0f, 10.0f, true);
    addImage(model, 3);
    CCNode* tree = keep(CCNode::create());
    auto asset = std::static_pointer_cast<QVModelObjectAsset>(registered<QVModelObjectAssetUnit>());
    QVPObjectAsset* object = new QVPObjectAsset(asset);
    tree->addChild(object);
    object->release();
    QVPAnimationObject* made = QVPAnimationObject::create(model);
    object->addAnimation(QVPObjectAsset::kPriorityMove, made, nullptr);
    CCNode* image = made->frameNode(0);

    QVPScreenScene* scene = new QVPScreenScene();
    scene->setPausedRecursive(tree, true);
    EXPECT_TRUE(imagePaused(image));
    scene->setPausedRecursive(tree, false);
    EXPECT_FALSE(imagePaused(image));
    scene->release();
}

TEST_F(AnimationObject, ZOrderInCameraPassesThroughAnimations) {
    CCNode* camera = keep(QVPGameFieldCamera::create());
    CCNode* elsewhere = keep(CCNode::create());
    auto assetModel = [this] {
        return std::static_pointer_cast<QVModelObjectAsset>(registered<QVModelObjectAssetUnit>());
    };
    for (CCNode* top : {camera, elsewhere}) {
        SCOPED_TRACE(top == camera ? "under the camera" : "under another node");
        QVPObjectAsset* owner = new QVPObjectAsset(assetModel());
        owner->setGameLayer(top);
        top->addChild(owner, 7);
        owner->release();
        QVPAnimationObject* made = QVPAnimationObject::create(animation(1.0f, 1.0f, true));
        owner->attachAnimation(made);
        QVPObjectAsset* inner = new QVPObjectAsset(assetModel());
        inner->setGameLayer(top);
        made->addChild(inner, -3);
        inner->release();
        const int expected = top == camera ? 7 : 0;
        EXPECT_EQ(made->zOrderInCamera(), expected);
        EXPECT_EQ(inner->zOrderInCamera(), expected);
        EXPECT_EQ(made->getZOrder(), 7);  // its parent's
    }
}

TEST_F(AnimationObject, ChildOrderFollowsTheModelNotAddresses) {
    for (bool descending : {false, true}) {
        SCOPED_TRACE(descending ? "added by falling address" : "added by rising address");
        std::vector<std::shared_ptr<QVModelObjectImage>> images;
        for (int i = 0; i < 5; ++i) images.push_back(registered<QVModelObjectImage>());
        std::sort(images.begin(), images.end());
        if (descending) std::reverse(images.begin(), images.end());
        auto model = animation(1.0f, 1.0f, true);
        for (const auto& image : images) model->addChild(image);
        QVPAnimationObject* made = play(model);
        ASSERT_EQ(made->getChildrenCount(), images.size());
        for (unsigned i = 0; i < images.size(); ++i) {
            auto* child = static_cast<QVPObjectImage*>(made->getChildren()->objectAtIndex(i));
            EXPECT_EQ(child->getModel(), images[i]) << i;
        }
    }
}

namespace {

class IconsOverAWorld : public fieldtest::FieldTest {};

}  // namespace

// A pause or game-over screen over a running world: the icons' particles
// belong to the icon, not to the world's camera.
TEST_F(IconsOverAWorld, HaveNoGameLayer) {
    auto world = fieldtest::ff::world("Field");
    fieldtest::ff::section(world, "start", 1136.0f, true);
    manager()->setSceneName("Field");
    manager()->createCurrentScene();
    scene = manager()->getGameScene();
    ASSERT_NE(scene, nullptr);
    scene->retain();
    scene->onEnter();

    auto icon = registered<QVModelAnimation>();
    icon->addChild(registered<QVModelObjectParticles>());
    auto character = registered<QVModelAssetCharacter>();
    attr<QVAttributeAnimation>(*character, "Default Animation")->setModel(icon);
    auto buttonModel = registered<QVModelObjectButtonCharacterUnlock>();
    setText(*buttonModel, "Character", std::to_string(character->id()));
    QVPObjectButtonUnlockCharacter* button = QVPObjectButtonUnlockCharacter::create();
    button->retain();
    button->setModel(buttonModel);
    QVPObjectCharacterSelector* selector =
        QVPObjectCharacterSelector::create(registered<QVModelObjectCharacterSelector>());
    selector->retain();

    ASSERT_EQ(selector->icons().size(), 1u);
    for (QVPAnimationObject* made : {button->regularIcon(), selector->icons()[0].regular}) {
        ASSERT_NE(made, nullptr);
        auto* particles = dynamic_cast<QVPObject*>(made->frameNode(0));
        ASSERT_NE(particles, nullptr);
        EXPECT_EQ(particles->gameLayer(), nullptr);
    }
    selector->release();
    button->release();
}
