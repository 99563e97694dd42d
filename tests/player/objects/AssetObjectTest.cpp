// The asset object: its body, the animation table and its fixture swaps,
// its own movement, contact damage and the idle sound.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "../../engine/audio/AudioTestSupport.h"
#include "../../model/core/support/model_test_support.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSound.h"
#include "model/core/QVAttributeModel.h"
#include "objects_test_support.h"
#include "platform/CCFileUtils.h"
#include "player/objects/QVPObjectAsset.h"

using cocos2d::CCNode;
using cocos2d::CCPoint;
using fieldfixtures::boxPolygon;

namespace {

// An asset object whose fields a test sets.
class Probe : public QVPObjectAsset {
public:
    using QVPObjectAsset::QVPObjectAsset;
    float wakeUpDistance() override { return wake; }
    float sleepDistance() override { return sleep; }

    void set(int32_t collision, int32_t destroy, bool linear, const CCPoint& velocity = CCPoint()) {
        m_collisionType = collision;
        m_destroyType = destroy;
        m_movesLinearly = linear;
        m_velocity = velocity;
    }
    void setSleepMode(int32_t mode) { m_sleepMode = mode; }
    float wake = 1000.0f;
    float sleep = 0.0f;
};

class Character : public QVPObjectAssetCharacter {
public:
    using QVPObjectAssetCharacter::QVPObjectAssetCharacter;
    bool isInvincible() const override { return invincible; }
    void setDestroyType(int32_t type) { m_destroyType = type; }
    bool invincible = false;
};

class AssetObjectTest : public objectstest::ObjectsTest {
protected:
    std::shared_ptr<QVModelObjectAssetUnit> crate(float x = 0, float y = 0) {
        return fieldfixtures::unitPlacement(fieldfixtures::obstacleAsset("Crate", 40, 40), CCPoint(x, y));
    }
    // The width of the first fixture's box, in points.
    static float fixtureWidth(b2Body* body) {
        b2AABB box;
        physics::firstFixtureBox(body, box);
        return (box.upperBound.x - box.lowerBound.x) * 20.0f;
    }
    // A colliding crate at (0, y) with a body, dynamic if asked.
    Probe* solid(float y, bool dynamic) {
        Probe* object = new Probe(crate(0, y));
        object->set(QVPObjectAsset::kCharacterCollision, 0, false);
        object->createBody(&world, false);
        if (dynamic) physics::setType(object->getBody(), b2_dynamicBody);
        return object;
    }
    static int fixtureCount(b2Body* body) {
        int n = 0;
        for (b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext()) ++n;
        return n;
    }
};

TEST_F(AssetObjectTest, CreateBodySkipsScaleZeroAndStillHarmlessObjects) {
    struct Row {
        const char* name;
        CCPoint scale;
        int32_t collision;
        bool linear;
        bool skipStill;
        bool body;
    };
    const Row rows[] = {
        {"x scale 0", CCPoint(0, 1), 1, false, false, false},
        {"y scale 0", CCPoint(1, 0), 1, false, false, false},
        {"still and harmless, skipped", CCPoint(1, 1), 0, true, true, false},
        {"still and harmless, asked for", CCPoint(1, 1), 0, true, false, true},
        {"moved by physics", CCPoint(1, 1), 0, false, true, true},
        {"colliding", CCPoint(1, 1), 1, true, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Probe* object = new Probe(crate());
        object->setScale(row.scale.x, row.scale.y);
        object->set(row.collision, QVPObjectAsset::kDestroyNo, row.linear);
        object->createBody(&world, row.skipStill);
        ASSERT_EQ(object->getBody() != nullptr, row.body);
        if (row.body) {
            b2Body* body = object->getBody();
            EXPECT_EQ(body->GetType(), b2_staticBody);
            EXPECT_EQ(body->GetFixtureList()->IsSensor(), row.collision == 0);
            EXPECT_FLOAT_EQ(body->GetFixtureList()->GetDensity(), 0.1f);
            EXPECT_EQ(physics::userObject<QVPObject>(body), object);
            EXPECT_EQ(physics::userObject<QVPObject>(body->GetFixtureList()), object);
        }
        object->release();
    }
    EXPECT_EQ(world.GetBodyCount(), 0);
}

TEST_F(AssetObjectTest, PriorityTableOnShapeOnlyEntries) {
    // Shapes of distinct widths tell the entries apart through the fixture.
    struct Op {
        bool add;
        int priority;
        int shape;  // index into widths
    };
    struct Row {
        const char* name;
        std::vector<Op> ops;
        int current;  // priority, -1 none
        float width;  // of the body's fixture
    };
    const float widths[] = {40, 60, 80, 100, 120};
    const Row rows[] = {
        {"2 over a current 4", {{true, 4, 1}, {true, 2, 2}}, 2, 80},
        {"4 under a current 2 waits", {{true, 2, 2}, {true, 4, 1}}, 2, 80},
        {"removing the current leaves 0 and 4: 4", {{true, 0, 3}, {true, 4, 1}, {false, 0, 3}}, 4, 60},
        {"last removed: the own shape", {{true, 2, 2}, {false, 2, 2}}, -1, 40},
        {"equal priority: the newer", {{true, 4, 1}, {true, 4, 2}}, 4, 80},
        {"only damage left: the last of them", {{true, 0, 1}, {true, 0, 3}, {true, 2, 2}, {false, 2, 2}}, 0, 100},
        {"not in the table", {{true, 4, 1}, {false, 3, 1}}, 4, 60},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::shared_ptr<QVModelPolygon>> shapes;
        for (float w : widths) shapes.push_back(boxPolygon(w, 40));
        Probe* object = new Probe(crate());
        object->createBody(&world, false);
        for (const Op& op : row.ops) {
            if (op.add)
                object->addAnimation(op.priority, nullptr, shapes[op.shape]);
            else
                object->removeAnimation(op.priority, nullptr, shapes[op.shape]);
        }
        EXPECT_EQ(object->currentPriority(), row.current);
        EXPECT_NEAR(fixtureWidth(object->getBody()), row.width, 1.0f);
        EXPECT_EQ(fixtureCount(object->getBody()), 1);
        if (row.current == -1) {
            EXPECT_FLOAT_EQ(object->getBody()->GetFixtureList()->GetDensity(), 0.1f);
        }
        object->release();
    }
}

TEST_F(AssetObjectTest, InvalidShapeKeepsTheFixtureAndCharactersKeepTheirFilter) {
    auto empty = std::make_shared<QVModelPolygon>("empty");
    auto line = boxPolygon(40, 0.0001f);  // no area
    for (bool character : {false, true}) {
        SCOPED_TRACE(character ? "character" : "object");
        QVPObjectAsset* object = character ? static_cast<QVPObjectAsset*>(new Character(crate())) : new Probe(crate());
        object->createBody(&world, false);
        b2Body* body = object->getBody();
        b2Fixture* own = body->GetFixtureList();
        object->addAnimation(QVPObjectAsset::kPriorityMove, nullptr, line);
        object->addAnimation(QVPObjectAsset::kPriorityIsoJump, nullptr, empty);
        EXPECT_EQ(body->GetFixtureList(), own);
        auto wide = boxPolygon(100, 40);
        auto checkFilter = [&] {
            if (!character) return;
            const b2Filter& f = body->GetFixtureList()->GetFilterData();
            EXPECT_EQ(f.categoryBits, 0x0002);
            EXPECT_EQ(f.maskBits, 0x0001);
            EXPECT_EQ(f.groupIndex, -1);
            EXPECT_FALSE(body->GetFixtureList()->IsSensor());
        };
        object->addAnimation(QVPObjectAsset::kPriorityPowerup, nullptr, wide);
        checkFilter();
        object->removeAnimation(QVPObjectAsset::kPriorityPowerup, nullptr, wide);  // back to the empty shape: kept
        checkFilter();
        EXPECT_NEAR(fixtureWidth(body), 100.0f, 1.0f);
        object->removeAnimation(QVPObjectAsset::kPriorityIsoJump, nullptr, empty);
        object->removeAnimation(QVPObjectAsset::kPriorityMove, nullptr, line);  // the own shape again
        checkFilter();
        EXPECT_NEAR(fixtureWidth(body), 40.0f, 1.0f);
        EXPECT_EQ(fixtureCount(body), 1);
        object->release();
    }
}

TEST_F(AssetObjectTest, SwapAskedDuringContactWaitsForTheNextUpdate) {
    world.SetGravity(b2Vec2(0, -10));
    Probe* ground = solid(0, false);
    Probe* falling = solid(45, true);
    auto wide = boxPolygon(100, 40);

    struct Listener : b2ContactListener {
        void BeginContact(b2Contact* contact) override {
            auto* object = dynamic_cast<QVPObjectAsset*>(physics::userObject<QVPObject>(contact->GetFixtureA()));
            if (object) object->addAnimation(QVPObjectAsset::kPriorityIsoJump, nullptr, shape);
            ++contacts;
        }
        std::shared_ptr<QVModelPolygon> shape;
        int contacts = 0;
    } listener;
    listener.shape = wide;
    world.SetContactListener(&listener);
    for (int i = 0; i < 60 && listener.contacts == 0; ++i) world.Step(1.0f / 60.0f, 6, 6);
    world.SetContactListener(nullptr);
    ASSERT_GT(listener.contacts, 0);
    Probe* touched = ground->isFixtureSwapPending() ? ground : falling;
    EXPECT_TRUE(touched->isFixtureSwapPending());
    EXPECT_NEAR(fixtureWidth(touched->getBody()), 40.0f, 1.0f);
    touched->update(1.0f / 60.0f);
    EXPECT_FALSE(touched->isFixtureSwapPending());
    EXPECT_NEAR(fixtureWidth(touched->getBody()), 100.0f, 1.0f);
    ground->release();
    falling->release();
}

TEST_F(AssetObjectTest, ObjectFreedInALockedWorldLeavesNoPointerToItself) {
    LogCapture log;
    Probe* ground = solid(0, false);
    Probe* box = solid(30, true);
    b2Body* left = box->getBody();
    struct Listener : b2ContactListener {
        void BeginContact(b2Contact*) override {
            if (doomed) doomed->release();
            doomed = nullptr;
        }
        Probe* doomed = nullptr;
    } listener;
    listener.doomed = box;
    world.SetContactListener(&listener);
    world.Step(1.0f / 60.0f, 6, 6);
    world.SetContactListener(nullptr);
    ASSERT_EQ(listener.doomed, nullptr);
    ASSERT_EQ(world.GetBodyCount(), 2);
    EXPECT_EQ(physics::userObject<QVPObject>(left), nullptr);
    EXPECT_EQ(physics::userObject<QVPObject>(left->GetFixtureList()), nullptr);
    EXPECT_TRUE(LogCapture::hasPrefix("[QVPObjectAsset] body of object"));
    world.Step(1.0f / 60.0f, 6, 6);
    physics::destroyBody(&world, left);
    ground->release();
}

TEST_F(AssetObjectTest, FinishCallbacksFireOnceAndBodiesLeaveWithTheObject) {
    int finished = 0;
    int contacts = 0;
    QVPObject* watcher = new QVPObject(nullptr);
    for (bool finishFirst : {true, false}) {
        Probe* object = new Probe(crate());
        object->createBody(&world, false);
        object->addEventCallback(QVPObjectAsset::kEventFinished, watcher, [&](QVPObject*) { ++finished; });
        object->addEventCallback(QVPObjectAsset::kEventContact, watcher, [&](QVPObject*) { ++contacts; });
        object->addEventCallback(QVPObjectAsset::kEventFinished, nullptr, [&](QVPObject*) { ++finished; });
        object->beginContact(watcher, nullptr, false);
        if (finishFirst) object->setState(QVPObject::kStateFinished);
        object->release();
    }
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(contacts, 2);
    EXPECT_EQ(world.GetBodyCount(), 0);
    watcher->release();
}

TEST_F(AssetObjectTest, ActivationByDistanceAlongTheGameDirection) {
    CCNode* layer = CCNode::create();
    for (float x : {500.0f, 1500.0f}) {
        Probe* object = new Probe(crate(x, 0));
        layer->addChild(object);
        object->setGameLayer(layer);
        object->createBody(&world, false);
        object->update(0.0f);
        EXPECT_EQ(object->isActive(), x < 1000.0f) << x;
        EXPECT_NEAR(object->distanceAlongGameDirection(), x, 0.5f);
        object->removeFromParent();
        object->release();
    }
}

TEST_F(AssetObjectTest, LinearMoverTravelsAndStops) {
    QVPGameFieldSettings::shared()->setVelocityScale(1.0f);
    Probe* object = new Probe(crate());
    object->set(QVPObjectAsset::kCharacterCollision, 0, true, CCPoint(2, 0));
    object->setSleepMode(1);
    object->sleep = 100.0f;
    object->setRotation(90.0f);  // clockwise: the velocity turns downwards
    object->createBody(&world, false);
    physics::setType(object->getBody(), b2_dynamicBody);
    object->activate();
    object->update(0.5f);
    EXPECT_FLOAT_EQ(object->travelledDistance(), 32.0f);
    EXPECT_NEAR(object->getBody()->GetLinearVelocity().x, 0.0f, 1e-4f);
    EXPECT_NEAR(object->getBody()->GetLinearVelocity().y, -3.2f, 1e-4f);
    for (int i = 0; i < 3; ++i) object->update(0.5f);
    EXPECT_FALSE(object->isStopped());
    object->update(0.5f);
    EXPECT_TRUE(object->isStopped());
    EXPECT_EQ(object->getBody()->GetLinearVelocity().Length(), 0.0f);
    object->release();
}

TEST_F(AssetObjectTest, VelocityScaleAndKill) {
    QVPGameFieldSettings::shared()->setVelocityScale(0.5f);
    Probe* object = new Probe(crate());
    object->createBody(&world, false);
    physics::setType(object->getBody(), b2_dynamicBody);
    physics::setLinearVelocity(object->getBody(), b2Vec2(4, -2));
    object->kill();
    EXPECT_EQ(object->getState(), QVPObject::kStateIdle);
    object->update(0.0f);
    EXPECT_EQ(object->getBody()->GetLinearVelocity(), b2Vec2(2, -1));
    EXPECT_EQ(object->getState(), QVPObject::kStateDying);
    EXPECT_FALSE(object->isKillRequested());
    object->release();
}

TEST_F(AssetObjectTest, ContactDamageMatrix) {
    enum Asset { kObstacle, kHero, kDamage0, kDamage5, kNone };
    struct Row {
        const char* name;
        Asset asset;
        int32_t aDestroy;
        bool aInvincible;
        uint32_t bFlags;
        int32_t bDestroy;
        bool bInvincible;
        bool hit;
        int spawner = 0;  // 1: a, 2: b
        bool dying = false;
    };
    const uint32_t unit = QVPObject::kTypeUnit, hero = QVPObject::kTypeCharacter;
    const Row rows[] = {
        {"1 hits a character", kObstacle, 1, false, hero, 0, false, true},
        {"1 hits an enemy-destroyed unit", kObstacle, 1, false, unit, 2, false, true},
        {"1 spares another unit", kObstacle, 1, false, unit, 1, false, false},
        {"2 hits a collision-destroyed unit", kObstacle, 2, false, unit, 1, false, true},
        {"2 spares a character", kObstacle, 2, false, hero, 0, false, false},
        {"3 hits units", kObstacle, 3, false, unit, 0, false, true},
        {"3 hits characters", kObstacle, 3, false, hero, 0, false, true},
        {"0 never", kObstacle, 0, false, hero, 0, false, false},
        {"invincible target", kObstacle, 3, false, hero, 0, true, false},
        {"plain character deals nothing", kHero, 3, false, unit, 0, false, false},
        {"invincible character deals 99", kHero, 3, true, unit, 0, false, true},
        {"damage 0 component", kDamage0, 3, false, unit, 0, false, false},
        {"damage 5 component", kDamage5, 3, false, unit, 0, false, true},
        {"no placed asset", kNone, 3, false, unit, 0, false, false},
        {"a spawner deals nothing", kObstacle, 3, false, unit, 0, false, false, 1},
        {"a spawner takes nothing", kObstacle, 3, false, unit, 0, false, false, 2},
        {"a dying object deals nothing", kObstacle, 3, false, unit, 0, false, false, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::shared_ptr<QVModelObjectAsset> placedA;
        if (row.asset == kHero) {
            placedA = fieldfixtures::characterPlacement(fieldfixtures::characterAsset("Hero", 40, 40), CCPoint());
        } else if (row.asset == kNone) {
            placedA = QVModelObjectAssetUnit::create();
        } else {
            auto asset = fieldfixtures::obstacleAsset("Spike", 40, 40);
            if (row.asset != kObstacle) {
                auto damage = std::make_shared<QVModelComponentDamage>("Damage");
                damage->setDamage(row.asset == kDamage5 ? 5 : 0, true);
                asset->addChild(damage);
            }
            placedA = fieldfixtures::unitPlacement(asset, CCPoint());
        }
        Character* a = new Character(placedA);
        a->setTypeFlags(row.asset == kHero ? hero : unit);
        a->invincible = row.aInvincible;
        a->setDestroyType(row.aDestroy);
        Character* b = new Character(crate());
        b->setTypeFlags(row.bFlags);
        b->invincible = row.bInvincible;
        b->setDestroyType(row.bDestroy);
        a->setSpawner(row.spawner == 1);
        b->setSpawner(row.spawner == 2);
        if (row.dying) a->QVPObjectAsset::setState(QVPObject::kStateDying);
        QVPObjectAsset::applyContactDamage(a, b);
        EXPECT_EQ(b->isKillRequested(), row.hit);
        a->release();
        b->release();
    }
}

TEST_F(AssetObjectTest, IdleSoundFadesWithTheDistanceFromTheCentre) {
    modeltest::TempDir dir;
    cocos2d::CCFileUtils* files = cocos2d::CCFileUtils::sharedFileUtils();
    const std::string root = files->getResourceRoot();
    files->setResourceRoot(dir.path);
    mkdir((dir.path + "/data").c_str(), 0700);
    mkdir((dir.path + "/data/sounds").c_str(), 0700);
    auto sound = QVModelSound::create();
    QVModelController::shared()->addModel(sound);
    ASSERT_EQ(symlink(audiotest::fixture("beep_mono.mp3").c_str(), (dir.path + "/" + sound->filePath()).c_str()), 0);
    auto asset = fieldfixtures::obstacleAsset("Hum", 40, 40);
    attributeCast<QVAttributeSound>(asset->attribute("Idle Sound"))->setModel(sound);

    const float width = cocos2d::CCDirector::sharedDirector()->getWinSize().width;
    const float range = width * 0.5f + 300.0f;
    const float centreX = width * 0.5f;
    struct Row {
        const char* name;
        float offset;  // from the centre along x
        bool playing;
        float volume;
    };
    const Row rows[] = {
        {"centre", 0, true, 1.0f}, {"half the range", 0.5f, true, 0.5f}, {"beyond the range", 1.01f, false, 0.0f}};
    CCNode* layer = CCNode::create();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto* object = new Probe(fieldfixtures::unitPlacement(asset, CCPoint(centreX + row.offset * range, 0)));
        ASSERT_NE(object->idleSound(), nullptr);
        layer->addChild(object);
        object->setGameLayer(layer);
        object->update(0.0f);
        EXPECT_EQ(object->idleSound()->state() == QVSound::kPlaying, row.playing);
        EXPECT_NEAR(object->idleSound()->getVolume(), row.volume, 1e-3f);
        object->removeFromParent();
        object->release();
    }
    files->setResourceRoot(root);
}

}  // namespace
