// Powerups: the deferred pick-up, each type against a recording field, the
// rewards and their flying labels, the end of an effect however it comes,
// and the scene's spawn and checkpoint search with the real class.
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "../screens/field_scene_support.h"
#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/core/QVAttributeModel.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectAssetPowerup.h"

namespace {

using cocos2d::CCNode;
using cocos2d::CCPoint;
using fieldtest::FieldTest;
using uitest::attr;
using uitest::setText;
namespace ff = fieldfixtures;
using O = QVPObject;

constexpr float kFrame = 1.0f / 60.0f;

// Every call the powerups make, in order, as text.
class RecordingField : public QVPObjectAssetPowerup::Field {
public:
    CCNode* gameLayer() override { return layer; }
    b2World* world() override { return physicsWorld; }
    void setMagnetActive(bool on) override { calls.push_back(on ? "magnet on" : "magnet off"); }
    void killAllEnemies() override { calls.push_back("kill all"); }
    void saveCheckpoint(const CCPoint& p, int section) override {
        calls.push_back("checkpoint " + std::to_string(int(p.x)) + "," + std::to_string(int(p.y)) + " section " +
                        std::to_string(section));
    }
    void requestPendingActions(int bits) override { calls.push_back("pending " + std::to_string(bits)); }
    void activateCheckpointPowerup() override { calls.push_back("next checkpoint"); }
    void showEndScreen() override { calls.push_back("end screen"); }
    QVPObject* findActivePowerup(const std::string& type, QVPObject* except) override {
        for (QVPObjectAssetPowerup* p : powerups) {
            if (p != except && p->getState() == O::kStateMoving && p->powerupType() == type) return p;
        }
        return nullptr;
    }
    void setFlash(float d) override { calls.push_back("flash " + std::to_string(d)); }
    void setShake(float d) override { calls.push_back("shake " + std::to_string(d)); }

    CCNode* layer = nullptr;
    b2World* physicsWorld = nullptr;
    std::vector<QVPObjectAssetPowerup*> powerups;
    std::vector<std::string> calls;
};

class Powerup : public FieldTest {
protected:
    Powerup() {
        layer = CCNode::create();
        layer->retain();
        field.layer = layer;
        field.physicsWorld = &world;
        QVPObjectAssetPowerup::setFieldForTest(&field);
        manager()->setSceneName("W");
    }
    ~Powerup() override {
        QVPInputController::destroy();  // its characters' bodies live in `world`
        layer->removeAllChildrenWithCleanup(true);
        layer->release();
        QVPObjectAssetPowerup::setFieldForTest(nullptr);
        setObjectBuilder(QVPObjectRow::Powerup, nullptr);
    }

    // A powerup of that type on the layer, owned by it.
    QVPObjectAssetPowerup* make(const std::shared_ptr<QVModelObjectAssetPowerup>& model, CCNode* parent = nullptr) {
        auto* powerup = new QVPObjectAssetPowerup(model);
        (parent ? parent : layer)->addChild(powerup);
        powerup->setGameLayer(layer);
        powerup->release();
        field.powerups.push_back(powerup);
        return powerup;
    }
    QVPObjectAssetPowerup* make(const std::string& type, float duration = 5.0f) {
        return make(ff::powerupPlacement(ff::powerupAsset(type, type, duration), CCPoint(300, 200)));
    }
    // A bare object with that type word and state, on the layer.
    QVPObjectAsset* toucher(uint32_t flags, int32_t state = O::kStateIdle) {
        auto* object = new QVPObjectAsset(nullptr);
        layer->addChild(object);
        object->release();
        object->setTypeFlags(flags);
        object->setState(state);
        return object;
    }
    // A real character on the layer, with a body.
    QVPObjectAssetCharacter* hero(const std::shared_ptr<QVModelAssetCharacter>& asset, const CCPoint& at) {
        auto* made = new QVPObjectAssetCharacter(ff::characterPlacement(asset, at));
        layer->addChild(made);
        made->release();
        made->createBody(&world, false);
        return made;
    }
    static void pickUp(QVPObjectAssetPowerup* powerup, QVPObject* by) {
        powerup->beginContact(by, nullptr, true);
        powerup->update(kFrame);
    }

    b2World world{b2Vec2(0.0f, -10.0f)};
    CCNode* layer = nullptr;
    RecordingField field;
};

TEST_F(Powerup, PickUpWaitsForTheUpdateAndTakesOnlyLiveCharacters) {
    struct Row {
        const char* name;
        uint32_t flags;
        int32_t state;
        bool taken;
    };
    const Row rows[] = {
        {"character", O::kTypeCharacter, O::kStateIdle, true},
        {"the gun's word", O::kTypeCharacter, O::kStateMoving, true},
        {"spawned copy", O::kTypeCharacter | O::kTypeSpawned, O::kStateIdle, false},
        {"dying character", O::kTypeCharacter, O::kStateDying, false},
        {"finished character", O::kTypeCharacter, O::kStateFinished, false},
        {"unit", O::kTypeUnit, O::kStateIdle, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectAssetPowerup* powerup = make("kPowerupMagnet");
        QVPObjectAsset* other = toucher(row.flags, row.state);
        powerup->beginContact(other, nullptr, true);
        EXPECT_EQ(powerup->getState(), O::kStateIdle);  // never inside the contact
        powerup->update(kFrame);
        EXPECT_EQ(powerup->getState(), row.taken ? O::kStateMoving : O::kStateIdle);
        EXPECT_EQ(powerup->holder(), row.taken ? other : nullptr);
    }
}

TEST_F(Powerup, ANewerPowerupOfItsTypeEndsTheOlderUnlessItIsACoin) {
    struct Row {
        const char* type;
        bool olderEnds;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {"kPowerupMagnet", true, {"magnet on", "magnet off", "magnet on"}},
        {"kPowerupCoin", false, {}},
        {"kPowerupNone", false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        field.calls.clear();
        field.powerups.clear();
        QVPObjectAssetPowerup* older = make(row.type);
        QVPObjectAssetPowerup* newer = make(row.type);
        QVPObjectAsset* hero = toucher(O::kTypeCharacter);
        pickUp(older, hero);
        pickUp(newer, hero);
        EXPECT_EQ(older->getState(), row.olderEnds ? O::kStateFinished : O::kStateMoving);
        EXPECT_EQ(newer->getState(), O::kStateMoving);
        EXPECT_EQ(field.calls, row.calls);
    }
}

TEST_F(Powerup, EachTypeAsksTheFieldOnStartAndOnTheNextUpdate) {
    struct Row {
        const char* type;
        std::vector<std::string> atStart;
        std::vector<std::string> nextUpdate;
    };
    const Row rows[] = {
        {"kPowerupKillAllEnemies", {"kill all"}, {}},
        {"kPowerupCheckpoint", {"checkpoint 350,200 section 7"}, {}},
        {"kPowerupRestartCheckpoint", {"pending 8"}, {}},
        {"kPowerupNextCheckpoint", {}, {"next checkpoint", "pending 8"}},
        {"kPowerupEndGame", {}, {"end screen"}},
        {"kPowerupCoin", {}, {}},
    };
    // Inside a node at (50, 0): the checkpoint is saved in game-layer points.
    CCNode* group = CCNode::create();
    group->setPosition(CCPoint(50, 0));
    layer->addChild(group);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        QVPObjectAssetPowerup* powerup =
            make(ff::powerupPlacement(ff::powerupAsset(row.type, row.type, 5.0f), CCPoint(300, 200)), group);
        powerup->setSectionId(7);
        field.calls.clear();
        powerup->setState(O::kStateMoving);
        EXPECT_EQ(field.calls, row.atStart);
        field.calls.clear();
        powerup->update(kFrame);
        EXPECT_EQ(field.calls, row.nextUpdate);
    }
    // Flash and shake when above 0.
    auto asset = ff::powerupAsset("Boom", "kPowerupCoin", 0.0f);
    attr(*asset, "Camera Flash")->setValue(0.5f);
    attr(*asset, "Camera Shake")->setValue(0.25f);
    field.calls.clear();
    make(ff::powerupPlacement(asset, CCPoint()))->setState(O::kStateMoving);
    EXPECT_EQ(field.calls, (std::vector<std::string>{"flash 0.500000", "shake 0.250000"}));
}

TEST_F(Powerup, GameplayValuesAndGravityComeBackWhenItEnds) {
    QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
    settings->setGravity(CCPoint(0, -10));
    auto gameplay = [&](float gravity) {
        auto asset = ff::powerupAsset("G", "kPowerupGameplay", 1.0f);
        attr<QVAttributePoint>(*asset, "Gravity")->setValue(CCPoint(0, gravity));
        return make(ff::powerupPlacement(asset, CCPoint()));
    };
    QVPObjectAssetPowerup* low = gameplay(-5);
    QVPObjectAssetPowerup* high = gameplay(-20);
    low->setState(O::kStateMoving);  // no holder: nothing to update twice
    EXPECT_EQ(world.GetGravity().y, -5.0f);
    EXPECT_EQ(settings->saveDepth(), 1);
    // The newer one ends the older (pop, gravity back) before it pushes.
    high->setState(O::kStateMoving);
    EXPECT_EQ(low->getState(), O::kStateFinished);
    EXPECT_EQ(world.GetGravity().y, -20.0f);
    EXPECT_EQ(settings->saveDepth(), 1);
    for (int i = 0; i < 70 && high->getState() != O::kStateFinished; ++i) high->update(kFrame);
    EXPECT_EQ(high->getState(), O::kStateFinished);
    EXPECT_EQ(settings->saveDepth(), 0);
    EXPECT_EQ(settings->gravity().y, -10.0f);
    EXPECT_EQ(world.GetGravity().y, -10.0f);
}

TEST_F(Powerup, RewardsGoToTheGlobalAndTheWorldRecord) {
    struct Row {
        const char* name;
        bool font;
        bool field;
        int worldCoins;
    };
    const Row rows[] = {
        {"without a font", false, true, 5},
        {"with a label", true, true, 5},
        {"outside a field", true, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        clearScores();
        if (row.font && !QVModelController::shared()->getFirstModel<QVModelFont>()) digitFont();
        QVPObjectAssetPowerup::setFieldForTest(row.field ? &field : nullptr);
        auto coin = ff::powerupCoin(CCPoint(), 5);
        attr(*coin->asset(), "Reward Points")->setValue(7.0f);
        scoreRecord("").coins.best = 3;
        scoreRecord("W").coins.best = 20;
        auto* powerup = new QVPObjectAssetPowerup(coin);
        powerup->setState(O::kStateMoving);
        EXPECT_EQ(powerup->coinLabel() != nullptr, row.font);
        if (row.font) {
            EXPECT_STREQ(powerup->coinLabel()->getString(), "5");
        }
        const ScoreRecord& global = scoreRecord("");
        const ScoreRecord& w = scoreRecord("W");
        EXPECT_EQ(
            std::vector<int>({global.coins.current, global.coins.total, global.coins.best, global.points.current}),
            std::vector<int>({5, 5, 5, 7}));
        EXPECT_EQ(std::vector<int>({w.coins.current, w.coins.total, w.coins.best}),
                  std::vector<int>({row.worldCoins, row.worldCoins, 20}));
        powerup->release();
    }
}

TEST_F(Powerup, StrikeProtectsEveryCharacterAndDashesByOrientation) {
    struct Row {
        const char* name;
        QVOrientation orientation;
        bool direct;
        CCPoint velocity;
    };
    // Direct movement last: the characters' settings stay in force.
    const Row rows[] = {
        {"portrait", kQVOrientationPortrait, false, CCPoint(0, 30)},
        {"landscape", kQVOrientationLandscape, false, CCPoint(30, 0)},
        {"direct movement moves the target instead", kQVOrientationLandscape, true, CCPoint(0, 0)},
    };
    auto* orientation =
        static_cast<QVAttributeOrientation*>(QVModelGeneralSettings::shared()->attribute("Orientation"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        orientation->setValue(row.orientation, true);
        auto asset = ff::characterAsset("Runner", 40, 40);
        if (row.direct) {
            auto component = ff::gameplaySettings(asset);
            attr<QVAttributeBool>(*component, "Direct Movement")->setValue(true);
        }
        const std::vector<QVPObjectAssetCharacter*> heroes{hero(asset, CCPoint(100, 100)),
                                                           hero(asset, CCPoint(200, 100))};
        for (QVPObjectAssetCharacter* h : heroes) QVPInputController::shared()->addCharacter(h);
        const CCPoint target = heroes[1]->targetPosition();
        QVPObjectAssetPowerup* strike = make("kPowerupStrike", 1.0f);
        pickUp(strike, heroes[0]);
        const CCPoint speed = QVPGameFieldSettings::shared()->moveSpeed();
        for (QVPObjectAssetCharacter* h : heroes) {
            EXPECT_TRUE(h->isInvincible());
            EXPECT_EQ(h->getBody()->GetLinearVelocity(), b2Vec2(row.velocity.x, row.velocity.y));
        }
        if (row.direct) {
            EXPECT_FLOAT_EQ(heroes[1]->targetPosition().x, target.x + speed.x * 30);
        }
        for (int i = 0; i < 70 && strike->getState() != O::kStateFinished; ++i) strike->update(kFrame);
        for (QVPObjectAssetCharacter* h : heroes) {
            EXPECT_FALSE(h->isInvincible());
            QVPInputController::shared()->removeCharacter(h);
        }
    }
}

// Mend: with a "Duration" of 0 the effect ends in the update that starts it,
// not never.
TEST_F(Powerup, ZeroDurationEnds) {
    struct Row {
        const char* name;
        float duration;
        int updatesToEnd;
    };
    const Row rows[] = {
        {"zero", 0.0f, 1},
        {"no number", std::numeric_limits<float>::quiet_NaN(), 1},
        {"negative", -1.0f, 1},
        {"half a second", 0.5f, 30},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectAssetPowerup* powerup = make("kPowerupMagnet", row.duration);
        powerup->beginContact(toucher(O::kTypeCharacter), nullptr, true);
        field.calls.clear();
        int updates = 0;
        while (powerup->getState() != O::kStateFinished && updates < 100) {
            powerup->update(kFrame);
            ++updates;
        }
        EXPECT_NEAR(updates, row.updatesToEnd, 1);
        EXPECT_EQ(field.calls, (std::vector<std::string>{"magnet on", "magnet off"}));
    }
}

// Mend: one flying label keeps the powerup until its flight ends, along the
// arc, fading out.
TEST_F(Powerup, SingleLabelFliesToEnd) {
    digitFont();
    QVPObjectAssetPowerup* coin = make(ff::powerupCoin(CCPoint(100, 100), 5));
    ASSERT_EQ(coin->pointsLabel(), nullptr);
    cocos2d::CCLabelBMFont* label = coin->coinLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_FALSE(label->isVisible());
    pickUp(coin, toucher(O::kTypeCharacter));
    EXPECT_EQ(coin->getState(), O::kStateDying);
    EXPECT_TRUE(label->isVisible());
    for (int frame = 2; frame < 60; ++frame) {
        coin->update(kFrame);
        const float t = frame * kFrame;
        if (frame % 15 != 0) continue;
        SCOPED_TRACE(frame);
        EXPECT_NEAR(label->getPosition().x, 60 * t, 0.01);
        EXPECT_NEAR(label->getPosition().y, 60 * std::sin(3.14159265f * t) - 20 * t, 0.01);
        EXPECT_NEAR(label->getOpacity(), int((1 - t) * 255) & 0xFF, 1);
        EXPECT_EQ(coin->getState(), O::kStateDying);
    }
    int more = 0;
    while (coin->getState() != O::kStateFinished && more < 5) {
        coin->update(kFrame);
        ++more;
    }
    EXPECT_EQ(coin->getState(), O::kStateFinished);
    EXPECT_LE(more, 2);  // finished with the flight, a second after the pick-up
    EXPECT_FALSE(label->isVisible());
}

// Mend: each powerup measures its own idle animation and scale.
TEST_F(Powerup, BoundsPerObject) {
    // An image without a picture stands in at 100 x 100.
    auto idle = uitest::registered<QVModelAnimation>();
    idle->addChild(uitest::registered<QVModelObjectImage>());
    auto asset = ff::powerupAsset("Gem", "kPowerupCoin", 0.0f);
    attributeCast<QVAttributeAnimation>(asset->attribute("Idle Animation"))->setModel(idle);
    QVPObjectAssetPowerup* small = make(ff::powerupPlacement(asset, CCPoint(100, 50)));
    QVPObjectAssetPowerup* large = make(ff::powerupPlacement(asset, CCPoint(400, 50)));
    large->setScale(-3.0f);  // the size takes the scale's magnitude
    const cocos2d::CCRect a = small->getBoundingRect();
    const cocos2d::CCRect b = large->getBoundingRect();
    ASSERT_FLOAT_EQ(a.size.width, 100);
    EXPECT_FLOAT_EQ(b.size.width, 3 * a.size.width);
    EXPECT_FLOAT_EQ(b.getMidX(), 400);
    EXPECT_TRUE(small->castsShadow());
    small->setScale(5.0f);  // measured once
    EXPECT_FLOAT_EQ(small->getBoundingRect().size.width, a.size.width);

    // Without an idle animation: a zero box where it stands, no shadow, no
    // body.
    auto bare = ff::powerupAsset("Bare", "kPowerupCoin", 0.0f);
    attributeCast<QVAttributeAnimation>(bare->attribute("Idle Animation"))->setModel(nullptr);
    QVPObjectAssetPowerup* none = make(ff::powerupPlacement(bare, CCPoint(70, 80)));
    const cocos2d::CCRect zero = none->getBoundingRect();
    EXPECT_EQ(zero.size.width, 0);
    EXPECT_EQ(zero.origin.x, 70);
    EXPECT_FALSE(none->castsShadow());
    none->createBody(&world, true);
    EXPECT_EQ(none->getBody(), nullptr);
    small->createBody(&world, true);
    ASSERT_NE(small->getBody(), nullptr);
    EXPECT_TRUE(small->getBody()->GetFixtureList()->IsSensor());
}

TEST_F(Powerup, TheDestructorEndsTheEffectAndLeavesTheHolder) {
    QVPObjectAsset* hero = toucher(O::kTypeCharacter);
    QVPObjectAssetPowerup* magnet = make("kPowerupMagnet");
    pickUp(magnet, hero);
    field.powerups.clear();
    magnet->removeFromParentAndCleanup(true);  // the last reference
    EXPECT_EQ(field.calls, (std::vector<std::string>{"magnet on", "magnet off"}));
    hero->setState(O::kStateFinished);  // would call into the freed powerup

    // A holder that finishes first is forgotten.
    QVPObjectAssetPowerup* second = make("kPowerupMagnet");
    QVPObjectAsset* other = toucher(O::kTypeCharacter);
    pickUp(second, other);
    other->setState(O::kStateFinished);
    EXPECT_EQ(second->holder(), nullptr);
}

TEST_F(Powerup, CharacterConstraintFollowsTheHolderOnAScrolledLayer) {
    layer->setPosition(CCPoint(-500, -40));  // the camera has scrolled
    auto asset = ff::powerupAsset("Shield", "kPowerupMagnet", 5.0f);
    setText(*asset, "Animation Placement", "kPowerupCharacterConstraint");
    setText(*asset, "Animation Behaviour", "kReplaceBehaviour");
    attributeCast<QVAttributeAnimation>(asset->attribute("Start Animation"))->setAnimation(nullptr);
    QVPObjectAssetCharacter* holder = hero(ff::characterAsset("Hero", 40, 40), CCPoint(620, 90));
    holder->setScale(2.0f);
    QVPObjectAssetPowerup* shield = make(ff::powerupPlacement(asset, CCPoint(300, 200)));
    pickUp(shield, holder);
    EXPECT_FLOAT_EQ(shield->getPositionX(), 620);
    EXPECT_FLOAT_EQ(shield->getPositionY(), 90);
    EXPECT_FLOAT_EQ(shield->getScaleX(), 2);
    EXPECT_EQ(holder->currentAnimation(), shield->startAnimation());
    EXPECT_EQ(shield->idleAnimation()->getParent(), nullptr);
    shield->setState(O::kStateDying);
    EXPECT_EQ(holder->currentAnimation(), nullptr);
    EXPECT_EQ(shield->startAnimation()->getParent(), nullptr);
}

// Mend: a start animation without extent leaves the scale alone.
TEST_F(Powerup, ZeroSizeStartAnimationKeepsTheScale) {
    auto asset = ff::powerupAsset("Banner", "kPowerupMagnet", 5.0f);
    setText(*asset, "Animation Placement", "kPowerupScreenConstraint");
    attributeCast<QVAttributeAnimation>(asset->attribute("Start Animation"))->setAnimation(nullptr);
    QVPObjectAssetPowerup* banner = make(ff::powerupPlacement(asset, CCPoint(10, 10)));
    banner->setState(O::kStateMoving);
    banner->update(kFrame);
    EXPECT_EQ(banner->getScaleX(), 1.0f);
    EXPECT_TRUE(std::isfinite(banner->getPositionX()));
}

// ---------------------------------------------------------------- in a real scene

class PowerupScene : public Powerup {
protected:
    PowerupScene() {
        QVPObjectAssetPowerup::setFieldForTest(nullptr);
        auto w = ff::world("Field");
        auto start = ff::section(w, "start", 1136.0f, true);
        start->addChild(ff::characterPlacement(ff::characterAsset("Hero", 40, 40), CCPoint(200, 150)));
        // Built by the manager, so that it is the running game scene.
        manager()->setSceneName("Field");
        manager()->createCurrentScene();
        scene = manager()->getGameScene();
        scene->retain();
        scene->onEnter();
    }
};

TEST_F(PowerupScene, SpawnedPowerupIsTakenByTheFirstCharacterAtOnce) {
    cocos2d::CCArray* characters = scene->getInputController()->getCharacters();
    ASSERT_EQ(characters->count(), 1u);
    auto* hero = static_cast<QVPObject*>(characters->objectAtIndex(0));
    for (bool above : {true, false}) {
        SCOPED_TRACE(above);
        scene->spawnPowerup(ff::powerupMagnet(CCPoint(900, 900), 2.0f), above);
        QVPObjectAssetPowerup* spawned = nullptr;
        for (QVPObject* object : objects()) {
            auto* powerup = dynamic_cast<QVPObjectAssetPowerup*>(object);
            if (powerup && powerup->getState() == O::kStateMoving) spawned = powerup;
        }
        ASSERT_NE(spawned, nullptr);
        EXPECT_EQ(spawned->holder(), hero);
        EXPECT_TRUE(scene->isMagnetActive());
        EXPECT_EQ(spawned->getZOrder(), hero->getZOrder() + (above ? 1 : -1));
        EXPECT_NE(spawned->getBody(), nullptr);
    }
}

TEST_F(PowerupScene, AnActivatedCheckpointIsNotFoundAgain) {
    auto asset = ff::powerupAsset("Flag", "kPowerupCheckpoint", 5.0f);
    std::vector<QVPObjectAssetPowerup*> flags;
    for (float x : {400.0f, 700.0f}) {
        auto* flag = new QVPObjectAssetPowerup(ff::powerupPlacement(asset, CCPoint(x, 150)));
        camera()->addChild(flag);
        flag->setGameLayer(camera());
        flag->release();
        flags.push_back(flag);
    }
    EXPECT_EQ(scene->findCreatedCheckpointPowerup(nullptr), flags[0]);
    scene->activateCheckpointPowerup();
    EXPECT_TRUE(flags[0]->isActivated());
    EXPECT_EQ(scene->findCreatedCheckpointPowerup(nullptr), flags[1]);
}

}  // namespace
