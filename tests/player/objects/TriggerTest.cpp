// The trigger objects in running worlds with the real classes: teleports,
// logic triggers, paths, gatekeepers and screen jumps.
#include <algorithm>

#include "TriggerFixtures.h"
#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObjectPath.h"
#include "model/classes/QVNode.h"
#include "model/core/QVModelController.h"
#include "player/objects/QVPObjectAssetGatekeeper.h"
#include "player/objects/QVPObjectAssetLogic.h"
#include "player/objects/QVPObjectAssetPath.h"
#include "player/objects/QVPObjectAssetTeleport.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPObjectAssetUnit.h"
#include "player/screens/QVPScreenUi.h"
#include "scenario_test_support.h"

namespace {

using namespace scenariotest;
using cocos2d::CCPoint;

class TriggerTest : public ScenarioTest {
protected:
    // Live characters on the field.
    std::vector<QVPObject*> characters() const {
        std::vector<QVPObject*> found;
        for (QVPObject* object : objects()) {
            if ((object->typeFlags() & QVPObject::kTypeCharacter) && object->getState() != QVPObject::kStateFinished) {
                found.push_back(object);
            }
        }
        return found;
    }
    QVPObjectAssetCharacter* runner(const CCPoint& at = CCPoint(200.0f, 30.0f)) {
        placeFloor();
        placeCharacter(ff::characterAsset("Runner", 40.0f, 60.0f), at);
        if (!enter()) return nullptr;
        // The creation queue places a few models per frame.
        idle(3);
        return hero();
    }
    // The world's node, for links to other screens.
    std::shared_ptr<QVNode> worldNode() const {
        for (const auto& model : QVModelController::shared()->modelsById()) {
            auto node = modelCast<QVNodeScene>(model);
            if (node && node->screenScene() == worldModel) return node;
        }
        return nullptr;
    }
    // The width of the object's polygon fixture in its body's frame.
    static float shapeWidth(const QVPObject* object) {
        const auto* shape = static_cast<const b2PolygonShape*>(object->getBody()->GetFixtureList()->GetShape());
        float low = 0.0f, high = 0.0f;
        for (int i = 0; i < shape->m_count; ++i) {
            low = std::min(low, shape->m_vertices[i].x);
            high = std::max(high, shape->m_vertices[i].x);
        }
        return high - low;
    }
    // Moves the character's body to `x` at once.
    static void carry(QVPObject* character, float x) {
        b2Body* body = character->getBody();
        if (body) physics::setTransform(body, b2Vec2(x * kMetresPerPoint, body->GetPosition().y), 0.0f);
    }
    template <class T>
    T* objectAs(const std::shared_ptr<QVModel>& model) const {
        return dynamic_cast<T*>(objectOf(model));
    }
};

// ---------------------------------------------------------------- Teleport

struct TeleportRun {
    int characters;
    float copyX;  // where the character nearest B stands
    QVPObjectAssetTeleport* a;
    QVPObjectAssetTeleport* b;
};

// A character on teleport A; B stands 400 points to the right.
class Teleport : public TriggerTest {
protected:
    TeleportRun run(const ff::TeleportOptions& a, int frames = 120) {
        auto modelA = place(ff::teleportPlacement(CCPoint(200.0f, 30.0f), a));
        auto modelB = place(ff::teleportPlacement(CCPoint(600.0f, 30.0f)));
        TeleportRun result{};
        if (!runner()) return result;
        result.a = keep(objectAs<QVPObjectAssetTeleport>(modelA));
        result.b = keep(objectAs<QVPObjectAssetTeleport>(modelB));
        idle(frames);
        const std::vector<QVPObject*> found = characters();
        result.characters = static_cast<int>(found.size());
        for (QVPObject* character : found) result.copyX = std::max(result.copyX, character->getPositionX());
        return result;
    }
};

TEST_F(Teleport, TransfersOncePerCapture) {
    const TeleportRun run = this->run({});
    ASSERT_NE(run.a, nullptr);
    EXPECT_EQ(run.characters, 2);
    EXPECT_NEAR(run.copyX, 600.0f, 60.0f);
    EXPECT_EQ(scene->getInputController()->getCharacters()->count(), 2u);
}

TEST_F(Teleport, DeleteInputMovesTheCharacter) {
    ff::TeleportOptions options;
    options.deleteInput = true;
    const TeleportRun run = this->run(options);
    ASSERT_NE(run.a, nullptr);
    EXPECT_EQ(run.characters, 1);
    EXPECT_NEAR(run.copyX, 600.0f, 60.0f);
    EXPECT_TRUE(run.a->isControllable());
    EXPECT_EQ(run.a->getState(), QVPObject::kStateIdle);
}

TEST_F(Teleport, TargetStaysOneWay) {
    const TeleportRun run = this->run({}, 240);
    ASSERT_NE(run.b, nullptr);
    EXPECT_FALSE(run.b->isControllable());
    EXPECT_EQ(run.b->passenger(), nullptr);
    EXPECT_EQ(run.b->getState(), QVPObject::kStateIdle);
    EXPECT_EQ(run.characters, 2);
}

TEST_F(Teleport, SingleUseFinishesAfterItsTrigger) {
    ff::TeleportOptions options;
    options.singleUse = true;
    const TeleportRun run = this->run(options);
    // Finished at its first trigger and taken off the field.
    EXPECT_EQ(run.a, nullptr);
    ASSERT_NE(run.b, nullptr);
    EXPECT_EQ(run.characters, 2);
}

TEST_F(Teleport, NoMemberInRangeQueuesNothing) {
    ff::TeleportOptions options;
    options.searchRadius = 300.0f;
    const TeleportRun run = this->run(options);
    ASSERT_NE(run.a, nullptr);
    EXPECT_EQ(run.characters, 1);
    EXPECT_EQ(run.a->getState(), QVPObject::kStateMoving);
    EXPECT_TRUE(run.b->isControllable());
}

// Bare objects: only a living, original character on a capturing teleport
// becomes a passenger.
TEST_F(Teleport, CapturesOnlyLivingOriginalCharacters) {
    struct Row {
        const char* name;
        uint32_t flags;
        int32_t state;
        bool exitOnly;
        bool captured;
    };
    const Row rows[] = {
        {"character", QVPObject::kTypeCharacter, QVPObject::kStateIdle, false, true},
        {"exit only", QVPObject::kTypeCharacter, QVPObject::kStateIdle, true, false},
        {"unit", QVPObject::kTypeUnit, QVPObject::kStateIdle, false, false},
        {"powerup", QVPObject::kTypePowerup, QVPObject::kStateIdle, false, false},
        {"spawned copy", QVPObject::kTypeCharacter | QVPObject::kTypeSpawned, QVPObject::kStateIdle, false, false},
        {"dying", QVPObject::kTypeCharacter, QVPObject::kStateDying, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ff::TeleportOptions options;
        options.exitOnly = row.exitOnly;
        QVPObjectAsset* teleport = QVPObjectAsset::create(ff::teleportPlacement(CCPoint(), options));
        auto* other = new QVPObjectAsset(nullptr);
        other->setTypeFlags(row.flags);
        other->setState(row.state);
        teleport->beginContact(other, nullptr, true);
        EXPECT_EQ(static_cast<QVPObjectAssetTeleport*>(teleport)->passenger() != nullptr, row.captured);
        other->release();
        EXPECT_EQ(static_cast<QVPObjectAssetTeleport*>(teleport)->passenger(), nullptr);
    }
}

// Either may go first; neither calls into the other afterwards (ASan).
TEST_F(Teleport, PassengerAndTeleportDieInEitherOrder) {
    for (bool teleportFirst : {true, false}) {
        SCOPED_TRACE(teleportFirst);
        QVPObjectAsset* teleport = QVPObjectAsset::create(ff::teleportPlacement(CCPoint()));
        teleport->retain();
        auto* passenger = new QVPObjectAsset(nullptr);
        passenger->setTypeFlags(QVPObject::kTypeCharacter);
        teleport->beginContact(passenger, nullptr, true);
        ASSERT_EQ(static_cast<QVPObjectAssetTeleport*>(teleport)->passenger(), passenger);
        if (teleportFirst) {
            teleport->release();
            passenger->setState(QVPObject::kStateFinished);
            passenger->release();
        } else {
            passenger->release();
            EXPECT_EQ(static_cast<QVPObjectAssetTeleport*>(teleport)->passenger(), nullptr);
            teleport->release();
        }
    }
}

// ---------------------------------------------------------------- Logic

using Logic = TriggerTest;

TEST_F(Logic, VelocityModifiersOnMoversAndBodies) {
    struct Row {
        const char* operation;
        bool physics;
        CCPoint modifier;
        bool xEmpty;
        float angular;
        CCPoint velocity;  // own units on a mover, metres per second on a body
        float angularAfter;
    };
    // Movers start at (2, 3) and 4; bodies at (1.6, 3.2) m/s, that is
    // (1, 2) in own units, and 0.5 rad/s.
    const Row rows[] = {
        {"kAdd", false, {1, 1}, true, 1, {2, 4}, 5},
        {"kMultiply", false, {2, 2}, false, 2, {4, 6}, 8},
        {"kReplace", false, {5, 7}, true, 6, {2, 7}, 6},
        {"kDivide", false, {5, 7}, false, 6, {2, 3}, 4},
        {"kAdd", true, {1, 1}, false, 1, {3.2f, 4.8f}, 0.53125f},
        {"kMultiply", true, {2, 2}, false, 2, {3.2f, 6.4f}, 1.0f},
        {"kReplace", true, {1, 0}, true, 6, {1.6f, 0.0f}, 0.1875f},
        {"kReplace", true, {1, 0}, false, 6, {1.6f, 0.0f}, 0.1875f},
        {"kAdd", true, {0, 0}, false, 0, {1.6f, 3.2f}, 0.5f},
        {"kDivide", true, {5, 7}, false, 6, {1.6f, 3.2f}, 0.5f},
    };
    auto asset = ff::boxAsset("Box", 20.0f, 20.0f);
    auto mover = place(ff::unitPlacement(asset, CCPoint(100.0f, 300.0f)));
    auto body = place(ff::unitPlacement(asset, CCPoint(300.0f, 300.0f), true));
    std::vector<std::shared_ptr<QVModelObjectLogic>> logics;
    for (const Row& row : rows) {
        auto logic = place(ff::logicPlacement(CCPoint(900.0f, 500.0f), asset->id(), row.operation));
        ff::logicPointModifier(*logic, "Linear Velocity Modifier", row.modifier, row.xEmpty);
        ff::logicFloatModifier(*logic, "Angular Velocity Modifier", row.angular);
        logics.push_back(logic);
    }
    ASSERT_NE(runner(), nullptr);
    auto* moverUnit = objectAs<QVPObjectAsset>(mover);
    auto* bodyUnit = objectAs<QVPObjectAsset>(body);
    ASSERT_NE(moverUnit, nullptr);
    ASSERT_NE(bodyUnit, nullptr);
    ASSERT_NE(bodyUnit->getBody(), nullptr);
    for (std::size_t i = 0; i < logics.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(std::string(row.operation) + (row.physics ? " body" : " mover"));
        auto* logic = objectAs<QVPObjectAsset>(logics[i]);
        ASSERT_NE(logic, nullptr);
        if (row.physics) {
            b2Body* b = bodyUnit->getBody();
            physics::setLinearVelocity(b, b2Vec2(1.6f, 3.2f));
            physics::setAngularVelocity(b, 0.5f);
            logic->beginContact(bodyUnit, nullptr, true);
            EXPECT_NEAR(b->GetLinearVelocity().x, row.velocity.x, 1e-4f);
            EXPECT_NEAR(b->GetLinearVelocity().y, row.velocity.y, 1e-4f);
            EXPECT_NEAR(b->GetAngularVelocity(), row.angularAfter, 1e-5f);
        } else {
            moverUnit->setVelocity(CCPoint(2.0f, 3.0f));
            moverUnit->setAngularSpeed(4.0f);
            logic->beginContact(moverUnit, nullptr, true);
            EXPECT_FLOAT_EQ(moverUnit->getVelocity().x, row.velocity.x);
            EXPECT_FLOAT_EQ(moverUnit->getVelocity().y, row.velocity.y);
            EXPECT_FLOAT_EQ(moverUnit->getAngularSpeed(), row.angularAfter);
        }
    }
}

TEST_F(Logic, PositionRotationAndScaleModifiers) {
    struct Row {
        const char* operation;
        float modifier;
        bool worldSpace;
        CCPoint triggerShift;
        float x;  // the unit's x after its update; it stands at 100 with a
                  // stored replace by 300
        float rotation;
        float scale;
    };
    const Row rows[] = {
        {"kAdd", 0.0f, true, {}, 300.0f, 30.0f, 1.0f},
        {"kMultiply", 1.0f, true, {}, 300.0f, 30.0f, 1.0f},
        {"kAdd", 10.0f, true, {}, 110.0f, 10.0f, 11.0f},
        {"kMultiply", 2.0f, true, {}, 200.0f, 0.0f, 2.0f},
        {"kReplace", 50.0f, true, {30.0f, 0.0f}, 50.0f, 50.0f, 50.0f},
        {"kReplace", 50.0f, false, {30.0f, 0.0f}, 80.0f, 50.0f, 50.0f},
    };
    auto asset = ff::boxAsset("Box", 20.0f, 20.0f);
    auto other = ff::boxAsset("Other", 20.0f, 20.0f);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.operation) + " " + std::to_string(row.modifier));
        auto mover = place(ff::unitPlacement(asset, CCPoint(100.0f, 300.0f)));
        auto stranger = place(ff::unitPlacement(other, CCPoint(100.0f, 400.0f)));
        auto logic = place(ff::logicPlacement(CCPoint(900.0f, 500.0f), asset->id(), row.operation));
        attributeCast<QVAttributeBool>(logic->attribute("World Space"))->setValue(row.worldSpace);
        ff::logicPointModifier(*logic, "Position Modifier", CCPoint(row.modifier, 0.0f), false, true);
        ff::logicFloatModifier(*logic, "Rotation Modifier", row.modifier);
        ff::logicPointModifier(*logic, "Scale Modifier", CCPoint(row.modifier, 0.0f), false, true);
        ASSERT_NE(runner(), nullptr);
        auto* unit = objectAs<QVPObjectAssetUnit>(mover);
        auto* trigger = objectAs<QVPObjectAsset>(logic);
        auto* unrelated = objectAs<QVPObjectAssetUnit>(stranger);
        ASSERT_TRUE(unit && trigger && unrelated);
        trigger->setPosition(trigger->getPosition() + row.triggerShift);
        unit->setModifierX(300.0f, "kReplace");
        unit->setModifierRotation(30.0f, "kReplace");
        const float fixtureWidth = shapeWidth(unit);
        trigger->beginContact(unit, nullptr, true);
        trigger->beginContact(unrelated, nullptr, true);
        // The body moves at the unit's update, the node follows at the next.
        idle(2);
        EXPECT_NEAR(unit->getPositionX(), row.x, 0.01f);
        EXPECT_NEAR(unit->getRotation(), row.rotation, 0.01f);
        EXPECT_FLOAT_EQ(unit->getScaleX(), row.scale);
        EXPECT_FLOAT_EQ(unit->getScaleY(), 1.0f);
        EXPECT_FLOAT_EQ(shapeWidth(unit), fixtureWidth);
        EXPECT_FLOAT_EQ(unrelated->getPositionX(), 100.0f);
        EXPECT_FLOAT_EQ(unrelated->getScaleX(), 1.0f);
        section->removeChild(mover);
        section->removeChild(stranger);
        section->removeChild(logic);
    }
}

// A mover running into the trigger through a real contact is stopped once.
TEST_F(Logic, RealContactReplacesTheVelocity) {
    auto asset = ff::boxAsset("Box", 20.0f, 20.0f);
    auto mover = place(ff::unitPlacement(asset, CCPoint(300.0f, 300.0f)));
    attributeCast<QVAttributePoint>(mover->attribute("Linear Velocity"))->setValue(CCPoint(4.0f, 0.0f));
    auto logic = place(ff::logicPlacement(CCPoint(400.0f, 300.0f), asset->id(), "kReplace"));
    ff::logicPointModifier(*logic, "Linear Velocity Modifier", CCPoint(0.0f, 9.0f), false, true);
    ASSERT_NE(runner(), nullptr);
    auto* unit = objectAs<QVPObjectAsset>(mover);
    ASSERT_NE(unit, nullptr);
    ASSERT_FLOAT_EQ(unit->getVelocity().x, 4.0f);
    idle(120);
    EXPECT_FLOAT_EQ(unit->getVelocity().x, 0.0f);
    EXPECT_FLOAT_EQ(unit->getVelocity().y, 0.0f);
    EXPECT_NEAR(unit->getPositionX(), 400.0f, 45.0f);
}

// ---------------------------------------------------------------- Path

class Path : public TriggerTest {
protected:
    // A path at `origin` and a dynamic unit 20 points to its right.
    struct Course {
        CCPoint origin;
        ff::PathOptions options;
        std::shared_ptr<QVModelObjectAssetUnit> unitModel;
        std::shared_ptr<QVModelObjectPath> pathModel;
        QVPObjectAsset* unit = nullptr;
        QVPObjectAssetPath* path = nullptr;
        // The waypoints (0 the path, then its points) the unit came within
        // 20 points of, in order, without repeats.
        std::vector<int> visited;
    };
    void placeCourse(const CCPoint& origin, const ff::PathOptions& options) {
        Course course;
        course.origin = origin;
        course.options = options;
        course.unitModel = place(ff::unitPlacement(m_asset, origin + CCPoint(20.0f, 0.0f), true));
        course.pathModel = place(ff::pathPlacement(origin, options));
        courses.push_back(course);
    }
    // Runs until `frames` have passed or, with `stopOnRelease`, the first
    // course let its unit go.
    bool runCourses(int frames, bool stopOnRelease) {
        if (!enter()) return false;
        for (Course& course : courses) {
            course.unit = keep(objectAs<QVPObjectAsset>(course.unitModel));
            // Paths never finish here: the field keeps them.
            course.path = objectAs<QVPObjectAssetPath>(course.pathModel);
            if (!course.unit || !course.path) return false;
        }
        bool held = false;
        play({}, frames, [&](int) {
            for (Course& course : courses) {
                std::vector<CCPoint> waypoints{course.origin};
                for (const CCPoint& p : course.options.points) waypoints.push_back(course.origin + p);
                for (std::size_t i = 0; i < waypoints.size(); ++i) {
                    const int index = static_cast<int>(i);
                    if (course.unit->getPosition().getDistance(waypoints[i]) < 20.0f &&
                        (course.visited.empty() || course.visited.back() != index)) {
                        course.visited.push_back(index);
                    }
                }
            }
            held = held || !courses[0].path->held().empty();
            return !(stopOnRelease && held && courses[0].path->held().empty());
        });
        return true;
    }
    static ff::PathOptions twoPoints(const std::string& mode) {
        ff::PathOptions options;
        options.points = {CCPoint(100.0f, 0.0f), CCPoint(100.0f, 100.0f)};
        options.playMode = mode;
        return options;
    }
    std::shared_ptr<QVModelAssetObstacle> m_asset = ff::boxAsset("Box", 20.0f, 20.0f);
    std::vector<Course> courses;
};

TEST_F(Path, CarriesAlongPointsInOrder) {
    placeCourse(CCPoint(300.0f, 200.0f), twoPoints("kPlayModeSingle"));
    ASSERT_TRUE(runCourses(300, true));
    const Course& course = courses[0];
    EXPECT_EQ(course.visited, (std::vector<int>{0, 1, 2}));
    QVPObjectAsset* unit = course.unit;
    EXPECT_TRUE(course.path->held().empty());
    EXPECT_FALSE(unit->typeFlags() & QVPObject::kTypeHeldByPath);
    EXPECT_FLOAT_EQ(unit->getBody()->GetGravityScale(), 1.0f);
    EXPECT_TRUE(unit->isControllable());
}

TEST_F(Path, RoutesByPlayMode) {
    struct Row {
        const char* mode;
        int points;
        std::vector<int> route;
    };
    const Row rows[] = {
        {"kPlayModeLoop", 2, {0, 1, 2, 0, 1, 2, 0}},
        {"kPlayModePingPong", 2, {0, 1, 2, 1, 0, 1, 2}},
        {"kPlayModeLoop", 0, {0}},
        {"kPlayModePingPong", 0, {0}},
    };
    // Side by side, out of each other's search radius.
    float x = 100.0f;
    for (const Row& row : rows) {
        ff::PathOptions options = twoPoints(row.mode);
        options.points.resize(static_cast<std::size_t>(row.points));
        placeCourse(CCPoint(x, 200.0f), options);
        x += 300.0f;
    }
    ASSERT_TRUE(runCourses(400, false));
    for (std::size_t i = 0; i < courses.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(std::string(row.mode) + " " + std::to_string(row.points));
        std::vector<int> visited = courses[i].visited;
        visited.resize(std::min(visited.size(), row.route.size()));
        EXPECT_EQ(visited, row.route);
        EXPECT_EQ(courses[i].path->held().size(), 1u);
    }
}

// Capture and velocity rules, one course each, read after a first frame.
TEST_F(Path, CaptureAndVelocityRules) {
    struct Row {
        const char* name;
        float attraction;
        const char* objectAsset;
        bool captured;
    };
    const Row rows[] = {
        {"attraction 100", 100.0f, "-1", true},
        {"attraction 50", 50.0f, "-1", true},
        {"attraction 0", 0.0f, "-1", true},
        {"another asset", 100.0f, "987654", false},
    };
    float x = 100.0f;
    for (const Row& row : rows) {
        ff::PathOptions options;
        options.attraction = row.attraction;
        options.objectAsset = row.objectAsset;
        placeCourse(CCPoint(x, 200.0f), options);
        x += 300.0f;
    }
    // A second path on the first one's spot finds its unit held.
    auto second = place(ff::pathPlacement(CCPoint(100.0f, 200.0f), ff::PathOptions{}));
    ASSERT_TRUE(runCourses(1, false));
    auto* secondPath = objectAs<QVPObjectAssetPath>(second);
    ASSERT_NE(secondPath, nullptr);
    EXPECT_TRUE(secondPath->held().empty());
    for (std::size_t i = 0; i < courses.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        Course& course = courses[i];
        ASSERT_EQ(course.path->held().size(), row.captured ? 1u : 0u);
        if (!row.captured) continue;
        // 60 points above the target: the steering points straight down.
        const CCPoint target = course.path->held()[0].target;
        b2Body* body = course.unit->getBody();
        physics::setTransform(body, b2Vec2(target.x * kMetresPerPoint, (target.y + 60.0f) * kMetresPerPoint), 0.0f);
        course.unit->setPosition(target + CCPoint(0.0f, 60.0f));
        physics::setLinearVelocity(body, b2Vec2(1.0f, 2.0f));
        course.path->steer();
        const float a = row.attraction / 100.0f;
        EXPECT_NEAR(body->GetLinearVelocity().x, (1.0f - a) * 1.0f, 1e-4f);
        EXPECT_NEAR(body->GetLinearVelocity().y, (1.0f - a) * 2.0f - 6.0f * a, 1e-4f);
    }
}

// An object escaping its target is let go only until the path's first
// arrival.
TEST_F(Path, EscapeReleasesOnlyBeforeTheFirstArrival) {
    ff::PathOptions still;
    still.attraction = 0.0f;  // never moves, so never arrives
    placeCourse(CCPoint(100.0f, 200.0f), still);
    placeCourse(CCPoint(500.0f, 200.0f), twoPoints("kPlayModeLoop"));
    ASSERT_TRUE(runCourses(30, false));
    for (Course& course : courses) {
        ASSERT_EQ(course.path->held().size(), 1u);
        carry(course.unit, course.origin.x + 400.0f);
        course.unit->setPosition(CCPoint(course.origin.x + 400.0f, course.unit->getPositionY()));
        course.path->steer();
    }
    EXPECT_TRUE(courses[0].path->held().empty());
    EXPECT_EQ(courses[1].path->held().size(), 1u);
}

TEST_F(Path, DestroyedPathUnlinksHeldObjects) {
    placeCourse(CCPoint(300.0f, 200.0f), twoPoints("kPlayModeLoop"));
    ASSERT_TRUE(runCourses(20, false));
    QVPObjectAssetPath* path = courses[0].path;
    QVPObjectAsset* unit = courses[0].unit;
    ASSERT_EQ(path->held().size(), 1u);
    // Taken off the field without cleanup, then freed.
    path->retain();
    path->removeFromParentAndCleanup(false);
    ASSERT_EQ(path->retainCount(), 1u);
    path->release();
    EXPECT_FALSE(unit->typeFlags() & QVPObject::kTypeHeldByPath);
    EXPECT_FLOAT_EQ(unit->getBody()->GetGravityScale(), 1.0f);
    EXPECT_TRUE(unit->isControllable());
    unit->setState(QVPObject::kStateFinished);
    idle(2);
}

// ---------------------------------------------------------------- Gatekeeper

using Gatekeeper = TriggerTest;

// The character is carried out of the sensor and back between touches.
TEST_F(Gatekeeper, FinishesTheCharacterPastThePassedAmount) {
    struct Row {
        float amount;
        int finishingTouch;
    };
    for (const Row& row : {Row{0.0f, 1}, Row{2.5f, 3}}) {
        SCOPED_TRACE(row.amount);
        auto gate = place(ff::gatekeeperPlacement(CCPoint(600.0f, 30.0f), row.amount));
        QVPObjectAssetCharacter* character = keep(runner());
        auto* gatekeeper = objectAs<QVPObjectAssetGatekeeper>(gate);
        ASSERT_TRUE(character && gatekeeper);
        // Units and powerups are not counted.
        auto* unit = new QVPObjectAsset(nullptr);
        unit->setTypeFlags(QVPObject::kTypeUnit | QVPObject::kTypePowerup);
        gatekeeper->beginContact(unit, nullptr, true);
        unit->release();
        EXPECT_EQ(gatekeeper->passed(), 0);
        for (int touch = 1; touch <= row.finishingTouch; ++touch) {
            SCOPED_TRACE(touch);
            EXPECT_NE(character->getState(), QVPObject::kStateFinished);
            ASSERT_NE(character->getBody(), nullptr);
            carry(character, 600.0f);
            idle(2);
            EXPECT_EQ(gatekeeper->passed(), touch);
            if (touch < row.finishingTouch) {
                carry(character, 200.0f);
                idle(2);
            }
        }
        EXPECT_EQ(character->getState(), QVPObject::kStateFinished);
        manager()->reset();
        cocos2d::CCDirector::resetForTest();
        section->removeChild(gate);
    }
}

TEST_F(Gatekeeper, GameOverFollows) {
    place(ff::gatekeeperPlacement(CCPoint(200.0f, 30.0f), 0.0f));
    QVPObjectAssetCharacter* character = keep(runner());
    ASSERT_NE(character, nullptr);
    int frames = 0;
    while (!scene->isGameOver() && frames < 60) {
        idle(1);
        ++frames;
    }
    EXPECT_EQ(character->getState(), QVPObject::kStateFinished);
    // The asset's delays are 0: the touch, the finish, then game over.
    EXPECT_LE(frames, 3);
    EXPECT_TRUE(scene->isGameOver());
}

// ---------------------------------------------------------------- ScreenJump

using ScreenJump = TriggerTest;

TEST_F(ScreenJump, OpensLinkedUi) {
    for (bool pause : {false, true}) {
        SCOPED_TRACE(pause);
        auto ui = node<QVNodeUI>("Shop");
        screentest::ScreenTest::link(*worldNode(), "To Shop", *ui);
        place(ff::screenJumpPlacement(CCPoint(200.0f, 30.0f), "To Shop", "kStartKeepScores", pause));
        ASSERT_NE(runner(), nullptr);
        EXPECT_EQ(manager()->currentUiName(), "Shop");
        ASSERT_NE(scene->getHud(), nullptr);
        EXPECT_EQ(scene->getHud()->key(), "Shop");
        EXPECT_EQ(scene->isPaused(), pause);
        EXPECT_EQ(manager()->getGameScene(), scene);
        manager()->reset();
        cocos2d::CCDirector::resetForTest();
        section->removeAllChildren();
    }
}

TEST_F(ScreenJump, OpensLinkedWorld) {
    struct Row {
        const char* function;
        bool keepsCheckpoint;
    };
    for (const Row& row : {Row{"kStartCheckpointJump", true}, Row{"kStartKeepScores", false}, Row{"other", false}}) {
        SCOPED_TRACE(row.function);
        auto next = node<QVNodeScene, QVModelScreenScene>("Next");
        ff::section(next->screenScene(), "Next Start", 1136.0f, true);
        screentest::ScreenTest::link(*worldNode(), "Onward", *next);
        place(ff::screenJumpPlacement(CCPoint(600.0f, 30.0f), "Onward", row.function, false));
        checkpointRecord("Next").sectionId = 77;
        QVPObjectAssetCharacter* character = runner();
        ASSERT_NE(character, nullptr);
        keep(scene);
        ASSERT_EQ(manager()->getSceneName(), "W");
        carry(character, 600.0f);
        idle(4);
        EXPECT_EQ(manager()->getSceneName(), "Next");
        ASSERT_NE(manager()->getGameScene(), nullptr);
        EXPECT_NE(manager()->getGameScene(), scene);
        EXPECT_EQ(checkpointRecord("Next").sectionId, row.keepsCheckpoint ? 77 : -1);
        manager()->reset();
        cocos2d::CCDirector::resetForTest();
        clearCheckpoints();
        section->removeAllChildren();
    }
}

// A dying or finished character jumps nowhere; a living one jumps on every
// touch.
TEST_F(ScreenJump, OnlyLivingCharactersJump) {
    auto ui = node<QVNodeUI>("Shop");
    screentest::ScreenTest::link(*worldNode(), "To Shop", *ui);
    auto jumpModel = place(ff::screenJumpPlacement(CCPoint(900.0f, 300.0f), "To Shop", "other", false));
    QVPObjectAssetCharacter* character = runner();
    ASSERT_NE(character, nullptr);
    auto* jump = objectAs<QVPObjectAsset>(jumpModel);
    ASSERT_NE(jump, nullptr);
    for (int32_t state : {QVPObject::kStateDying, QVPObject::kStateFinished, QVPObject::kStateIdle,
                          QVPObject::kStateIdle}) {
        SCOPED_TRACE(state);
        manager()->resetToSceneUi();
        auto* stand_in = new QVPObjectAssetCharacter(character->getModel());
        stand_in->QVPObject::setState(state);
        jump->beginContact(stand_in, nullptr, true);
        stand_in->release();
        idle(2);
        EXPECT_EQ(manager()->currentUiName(), state == QVPObject::kStateIdle ? "Shop" : "");
        EXPECT_EQ(jump->getState(), QVPObject::kStateIdle);
    }
}

}  // namespace
