// The game field's frame road: one physics step and one tick per frame
// whatever dt is, the game speed, the distance score, the magnet, removal
// behind the view, flash and shake.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelObjectAsset.h"
#include "physics/PhysicsGuard.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPScreenScene.h"
#include "screens_test_support.h"
#include "sprite/CCSprite.h"
#include "view/CCEGLView.h"

namespace {

constexpr float kStep = 1.0f / 60.0f;

uint32_t bits(float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Counts the ticks the frame road runs.
class CountingScene : public QVPScreenScene {
public:
    void stepGame(float dt) override {
        ++ticks;
        tickDt = dt;
        QVPScreenScene::stepGame(dt);
    }
    int ticks = 0;
    float tickDt = 0.0f;
};

// A runtime object of the field, or a character, with a body made by the test.
template <class Base>
class Bodied : public Base {
public:
    explicit Bodied(uint32_t flags) : Base(std::make_shared<QVModelObjectAsset>("piece")) {
        this->setTypeFlags(flags);
        this->autorelease();
    }
    void takeBody(b2Body* body) {
        this->m_body = body;
        physics::setUserObject(body, static_cast<QVPObject*>(this));
    }
};
using Piece = Bodied<QVPObjectAsset>;
using Hero = Bodied<QVPObjectAssetCharacter>;

// The same calls on the scene's world and on a raw one.
b2Body* dropBox(b2World* world, float x, float y, bool dynamic) {
    b2BodyDef def;
    def.position.Set(x, y);
    b2Body* body = physics::createBody(world, def);
    b2PolygonShape box;
    box.SetAsBox(dynamic ? 0.5f : 30.0f, 0.5f);
    b2FixtureDef fixture;
    fixture.shape = &box;
    fixture.density = 0.1f;
    fixture.friction = 0.3f;
    physics::createFixture(body, fixture);
    if (dynamic) physics::setType(body, b2_dynamicBody);
    return body;
}

void dropPile(b2World* world) {
    dropBox(world, 0.0f, 0.0f, false);
    for (int i = 0; i < 12; ++i) dropBox(world, -6.0f + static_cast<float>(i % 4) * 1.1f, 2.0f + (i / 4) * 1.2f, true);
}

class FieldTickTest : public screentest::ScreenTest {
protected:
    FieldTickTest() {
        auto* view = cocos2d::CCDirector::sharedDirector()->getOpenGLView();
        view->setFrameSize(1136, 640);
        view->setDesignResolutionSize(1136, 640, cocos2d::kResolutionExactFit);
        world = uitest::registered<QVModelScreenScene>();
        uitest::setText(*world, "Key", "W");
        manager()->setSceneName("W");
    }
    // The scenes go while the controllers and settings they use still exist.
    ~FieldTickTest() override { cocos2d::CCPoolManager::sharedPoolManager()->finalize(); }

    // A scene as the screen manager makes it, with the gameplay values the
    // cases set (the world model gives zeros).
    template <class S = QVPScreenScene>
    S* makeScene() {
        auto* scene = new S();
        EXPECT_TRUE(scene->init());
        scene->autorelease();
        QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
        settings->setSimulationTimeScale(1.0f);
        settings->setScoreMultiplier(1.0f);
        settings->setGameSpeedMin(0.0f);
        settings->setGameSpeedMax(10.0f);
        settings->setGameSpeedIncrease(0.0f);
        settings->setGameSpeed(0.0f);
        physics::setGravity(scene->getWorld(), b2Vec2(0.0f, -10.0f));
        return scene;
    }

    Hero* addCharacter(QVPScreenScene* scene, const cocos2d::CCPoint& at) {
        auto* character = new Hero(QVPObject::kTypeCharacter);
        character->setPosition(at);
        character->setGameLayer(scene->getGameFieldCamera());
        scene->getGameFieldCamera()->addChild(character);
        scene->getInputController()->addCharacter(character);
        return character;
    }

    std::shared_ptr<QVModelScreenScene> world;
};

// Whatever the frame time, a frame is one world step of 1/60 s and one tick
// of 1/60 s: the scene's bodies stay bit-equal to a raw world stepped once
// per frame, and the smoothed excess never passes 1/14.
TEST_F(FieldTickTest, EveryFrameIsOneStepAndOneTick) {
    const struct {
        const char* name;
        float dt;
        int frames;
    } rows[] = {{"slow frames", 0.1f, 300}, {"fast frames", 0.001f, 300}, {"exact", kStep, 300}, {"zero", 0.0f, 30}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto* scene = makeScene<CountingScene>();
        dropPile(scene->getWorld());
        b2World raw(b2Vec2(0.0f, 0.0f));
        physics::setGravity(&raw, b2Vec2(0.0f, -10.0f));
        dropPile(&raw);
        for (int f = 0; f < row.frames; ++f) {
            scene->update(row.dt);
            raw.Step(kStep, 6, 6);
            ASSERT_LE(scene->getFrameTimeAverage(), 1.0f / 14.0f);
        }
        EXPECT_EQ(scene->ticks, row.frames);
        EXPECT_EQ(bits(scene->tickDt), bits(kStep));
        if (row.dt == 0.1f) {
            EXPECT_EQ(bits(scene->getFrameTimeAverage()), bits(1.0f / 14.0f));
        }
        for (b2Body *a = scene->getWorld()->GetBodyList(), *b = raw.GetBodyList(); a || b;
             a = a->GetNext(), b = b->GetNext()) {
            ASSERT_TRUE(a && b);
            EXPECT_EQ(bits(a->GetPosition().x), bits(b->GetPosition().x));
            EXPECT_EQ(bits(a->GetPosition().y), bits(b->GetPosition().y));
            EXPECT_EQ(bits(a->GetAngle()), bits(b->GetAngle()));
            EXPECT_EQ(bits(a->GetLinearVelocity().y), bits(b->GetLinearVelocity().y));
        }
    }
}

// Paused or in game over nothing steps; a pause request is applied by the
// next update.
TEST_F(FieldTickTest, NothingMovesWhilePaused) {
    auto* scene = makeScene<CountingScene>();
    b2Body* box = dropBox(scene->getWorld(), 0.0f, 10.0f, true);
    scene->requestPause(true);
    for (int f = 0; f < 5; ++f) scene->update(kStep);
    EXPECT_TRUE(scene->isPaused());
    EXPECT_EQ(scene->ticks, 0);
    EXPECT_EQ(box->GetPosition().y, 10.0f);
    scene->requestPause(false);
    scene->update(kStep);
    EXPECT_FALSE(scene->isPaused());
    EXPECT_LT(box->GetPosition().y, 10.0f);
}

// A time scale below 0 or not a number freezes the bodies; the ticks run.
TEST_F(FieldTickTest, BadTimeScaleFreezesTheBodies) {
    for (float scale : {-1.0f, std::nanf(""), -INFINITY}) {
        SCOPED_TRACE(scale);
        auto* scene = makeScene<CountingScene>();
        QVPGameFieldSettings::shared()->setSimulationTimeScale(scale);
        b2Body* box = dropBox(scene->getWorld(), 0.0f, 10.0f, true);
        physics::setLinearVelocity(box, b2Vec2(0.0f, 5.0f));
        for (int f = 0; f < 5; ++f) scene->update(kStep);
        EXPECT_EQ(scene->ticks, 5);
        EXPECT_EQ(box->GetPosition().y, 10.0f);
        EXPECT_EQ(box->GetLinearVelocity().y, 5.0f);
    }
}

// Once the last character is down the game speed falls by 0.1 a tick and
// stops at 0.
TEST_F(FieldTickTest, SpeedRunsDownToZeroAfterTheLastCharacter) {
    auto* scene = makeScene();
    QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
    settings->setGameSpeed(3.0f);
    Hero* hero = addCharacter(scene, cocos2d::CCPoint(500, 300));
    scene->update(kStep);
    EXPECT_FLOAT_EQ(settings->gameSpeed(), 3.0f);
    EXPECT_EQ(scene->getSpeedDecay(), 0.0f);
    hero->setState(QVPObject::kStateDying);
    std::vector<float> speeds;
    for (int f = 0; f < 40; ++f) {
        scene->update(kStep);
        speeds.push_back(settings->gameSpeed());
    }
    EXPECT_FLOAT_EQ(scene->getSpeedDecay(), 0.1f);
    EXPECT_FLOAT_EQ(speeds[0], 3.0f);  // the decay is set after the tick
    EXPECT_NEAR(speeds[10], 2.0f, 1e-4);
    for (std::size_t i = 1; i < speeds.size(); ++i) ASSERT_LE(speeds[i], speeds[i - 1]);
    EXPECT_EQ(speeds.back(), 0.0f);
    EXPECT_LT(scene->getGameOverDelay(), 1.0f);
}

// Only ground beyond the last scored point scores, in the world's record and
// the global one.
TEST_F(FieldTickTest, DistanceScoresEachStretchOnce) {
    auto* scene = makeScene();
    Hero* hero = addCharacter(scene, cocos2d::CCPoint(100, 0));
    const struct {
        float x;
        float scored;
    } moves[] = {{100, 0}, {50, 0}, {130, 30}, {130, 30}, {200, 100}};
    for (const auto& move : moves) {
        SCOPED_TRACE(move.x);
        hero->setPosition(cocos2d::CCPoint(move.x, 0));
        scene->stepGame(kStep);
        EXPECT_FLOAT_EQ(currentScoreRecord().distance.current, move.scored);
        EXPECT_FLOAT_EQ(scoreRecord("").distance.current, move.scored);
    }
    hero->setState(QVPObject::kStateDying);
    hero->setPosition(cocos2d::CCPoint(900, 0));
    scene->stepGame(kStep);
    EXPECT_FLOAT_EQ(currentScoreRecord().distance.current, 100.0f);
}

// The magnet pulls a powerup's body to a (1 - (1 - r/400)^3) share of its
// distance; nothing at 400 or beyond, nothing without the magnet.
TEST_F(FieldTickTest, MagnetPullsPowerupsInsideItsRadius) {
    const struct {
        float distance;
        bool magnet;
        float share;
    } rows[] = {{200, true, 0.875f},
                {100, true, 0.578125f},
                {399, true, 1.0f - std::pow(1.0f / 400.0f, 3.0f)},
                {400, true, 1.0f},
                {200, false, 1.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.distance << (row.magnet ? " on" : " off"));
        auto* scene = makeScene();
        physics::setGravity(scene->getWorld(), b2Vec2(0.0f, 0.0f));
        addCharacter(scene, cocos2d::CCPoint(100, 100));
        auto* powerup = new Piece(QVPObject::kTypePowerup);
        powerup->setPosition(cocos2d::CCPoint(100 + row.distance, 100));
        powerup->takeBody(dropBox(scene->getWorld(), (100 + row.distance) * 0.05f, 5.0f, false));
        scene->getGameFieldCamera()->addChild(powerup);
        scene->setMagnetActive(row.magnet);
        scene->stepGame(kStep);
        EXPECT_NEAR(powerup->getBody()->GetPosition().x, (100 + row.distance * row.share) * 0.05f, 1e-5);
        EXPECT_NEAR(powerup->getBody()->GetPosition().y, 5.0f, 1e-6);
    }
}

// Behind the back edge or beyond a side an object finishes; the front, the
// exempt kinds and a threshold of -1 keep it. The frame follows the camera.
TEST_F(FieldTickTest, RemovalBehindTheView) {
    using O = QVPObject;
    // 1136 x 640: the back line lies at x = -back, the sides at y = -sides
    // and 640 + sides; objects are 100 x 100 around their position.
    const struct {
        const char* name;
        float back, sides;
        uint32_t flags;
        int32_t state;
        float x, y, cameraX;
        bool finished;
    } rows[] = {
        {"wholly behind", 300, 550, O::kTypeUnit, 0, -351, 320, 0, true},
        {"touching the back line", 300, 550, O::kTypeUnit, 0, -349, 320, 0, false},
        {"far in front", 300, 550, O::kTypeUnit, 0, 9000, 320, 0, false},
        {"below", 300, 550, O::kTypeUnit, 0, 568, -601, 0, true},
        {"above", 300, 550, O::kTypeUnit, 0, 568, 1241, 0, true},
        {"just inside the top", 300, 550, O::kTypeUnit, 0, 568, 1239, 0, false},
        {"back off", -1, 550, O::kTypeUnit, 0, -9000, 320, 0, false},
        {"sides off", 300, -1, O::kTypeUnit, 0, 568, -9000, 0, false},
        {"camera scrolled", 300, 550, O::kTypeUnit, 0, 649, 320, -1000, true},
        {"camera scrolled, in view", 300, 550, O::kTypeUnit, 0, 651, 320, -1000, false},
        {"dying character", 300, 550, O::kTypeCharacter, O::kStateDying, -400, 320, 0, true},
        {"living character", 300, 550, O::kTypeCharacter, 0, -400, 320, 0, false},
        {"active powerup", 300, 550, O::kTypePowerup, O::kStateMoving, -400, 320, 0, false},
        {"idle powerup", 300, 550, O::kTypePowerup, 0, -400, 320, 0, true},
        {"text", 300, 550, O::kTypeText, 0, -400, 320, 0, false},
        {"group", 300, 550, O::kTypeGroup, 0, -400, 320, 0, false},
    };
    auto* scene = makeScene();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        uitest::attr(*world, "Back Deletion Threshold")->setValue(row.back);
        uitest::attr(*world, "Sides Deletion Threshold")->setValue(row.sides);
        QVPGameFieldSettings::shared()->applySceneSettings(world);
        scene->getGameFieldCamera()->setPosition(cocos2d::CCPoint(row.cameraX, 0));
        auto* piece = new Piece(row.flags);
        piece->setState(row.state);
        piece->setPosition(cocos2d::CCPoint(row.x, row.y));
        piece->setGameLayer(scene->getGameFieldCamera());
        scene->getGameFieldCamera()->addChild(piece);
        scene->removeIfBehindView(piece);
        EXPECT_EQ(piece->getState() == QVPObject::kStateFinished, row.finished);
        piece->removeFromParent();
    }
}

// An object finished in the tick leaves the field in the same tick; a
// finished character stays listed but its body leaves the world.
TEST_F(FieldTickTest, FinishedObjectsLeaveTheFieldAndTheWorld) {
    auto* scene = makeScene();
    Hero* hero = addCharacter(scene, cocos2d::CCPoint(-400, 320));
    auto* body = dropBox(scene->getWorld(), -20.0f, 16.0f, true);
    hero->takeBody(body);
    auto* crate = new Piece(QVPObject::kTypeUnit);
    crate->setPosition(cocos2d::CCPoint(-400, 320));
    crate->takeBody(dropBox(scene->getWorld(), -20.0f, 10.0f, true));
    scene->getGameFieldCamera()->addChild(crate);
    hero->setState(QVPObject::kStateDying);
    hero->setState(QVPObject::kStateFinished);
    scene->stepGame(kStep);
    EXPECT_EQ(crate->getParent(), nullptr);
    EXPECT_EQ(hero->getParent(), nullptr);
    EXPECT_EQ(hero->getBody(), nullptr);
    EXPECT_EQ(scene->getInputController()->getCharacters()->count(), 1u);
    // The crate waits for the pool; its body goes with it.
    EXPECT_EQ(scene->getWorld()->GetBodyCount(), 1);
}

// A flash of 0.5 s fades from 255 to 0 with the frames; a shake moves the
// scene and a shake of 0 puts it back at once.
TEST_F(FieldTickTest, FlashFadesAndShakeReturnsHome) {
    auto* scene = makeScene();
    scene->setFlash(0.5f);
    std::vector<int> opacity;
    for (int f = 0; f < 40; ++f) {
        scene->update(kStep);
        opacity.push_back(scene->getFlashSprite()->getOpacity());
    }
    EXPECT_EQ(opacity[0], 255);
    EXPECT_NEAR(opacity[15], 128, 1);
    EXPECT_EQ(opacity[31], 0);
    EXPECT_EQ(opacity[39], 0);

    scene->setShake(0.5f);
    bool moved = false;
    for (int f = 0; f < 10; ++f) {
        scene->update(kStep);
        moved = moved || scene->getPosition().x != 0.0f || scene->getPosition().y != 0.0f;
        ASSERT_LE(std::fabs(scene->getPosition().x), 70.0f);
    }
    EXPECT_TRUE(moved);
    scene->setShake(0.0f);
    EXPECT_EQ(scene->getPosition().x, 0.0f);
    EXPECT_EQ(scene->getPosition().y, 0.0f);
}

}  // namespace
