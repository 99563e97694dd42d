// The contact listener in a real world step: who hears begin and pre-solve,
// the one-way rule inside and outside the holder's grown rectangle (with the
// holder away from the world origin), and an object dropped by the other's
// hook in the middle of a dispatch.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "physics/PhysicsGuard.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/screens/QVPContactListener.h"

using cocos2d::CCPoint;

namespace {

using Calls = std::vector<std::string>;

class Probe : public QVPObjectAsset {
public:
    Probe(std::string name, Calls* calls) : QVPObjectAsset(nullptr), m_name(std::move(name)), m_calls(calls) {}
    void beginContact(QVPObject* other, b2Contact*, bool) override {
        add("begin", other);
        if (onBegin) onBegin();
    }
    void endContact(QVPObject* other, b2Contact*) override { add("end", other); }
    void preSolve(QVPObject* other, b2Contact*, const b2Manifold*) override { add("preSolve", other); }
    // Owns the body, as createBody would have made it.
    void takeBody(b2Body* body) { m_body = body; }
    const std::string& name() const { return m_name; }
    std::function<void()> onBegin;

private:
    void add(const char* what, QVPObject* other) {
        m_calls->push_back(m_name + " " + what + " " + static_cast<Probe*>(other)->name());
    }
    std::string m_name;
    Calls* m_calls;
};

constexpr uint16 kAll = 0xFFFF;

// A box (metres) whose body and fixture carry `owner` (may be null).
b2Body* addBox(b2World& world, b2BodyType type, b2Vec2 centre, b2Vec2 half, Probe* owner, uint16 category,
               uint16 mask) {
    b2BodyDef def;
    def.type = type;
    def.position = centre;
    physics::setUserObject<QVPObject>(def, owner);
    b2Body* body = physics::createBody(&world, def);
    b2PolygonShape box;
    box.SetAsBox(half.x, half.y);
    b2FixtureDef fixture;
    fixture.shape = &box;
    fixture.density = 1.0f;
    fixture.filter.categoryBits = category;
    fixture.filter.maskBits = mask;
    physics::setUserObject<QVPObject>(fixture, owner);
    physics::createFixture(body, fixture);
    return body;
}

// Steps the world once and returns the calls with the contact's first
// fixture's object named "A" and the other "B"; `enabled` gets the
// contact's flag after the step.
Calls stepOnce(b2World& world, Calls& calls, bool* enabled = nullptr) {
    calls.clear();
    world.Step(1.0f / 60.0f, 6, 2);
    b2Contact* contact = world.GetContactList();
    EXPECT_NE(contact, nullptr);
    if (!contact) return calls;
    if (enabled) *enabled = contact->IsEnabled();
    auto* a = static_cast<Probe*>(physics::userObject<QVPObject>(contact->GetFixtureA()));
    const std::string aName = a ? a->name() : "";
    Calls named;
    for (const std::string& call : calls) {
        std::istringstream in(call);
        std::string self, what, other;
        in >> self >> what >> other;
        named.push_back((self == aName ? "A " : "B ") + what + (other == aName ? " A" : " B"));
    }
    return named;
}

class ContactListenerTest : public ::testing::Test {
protected:
    ~ContactListenerTest() override { cocos2d::CCPoolManager::sharedPoolManager()->finalize(); }
    QVPContactListener listener;
    Calls calls;
};

struct Case {
    const char* name;
    bool withObjects;
    uint16 holderCategory, holderMask;  // the static platform's filter
    uint16 otherCategory, otherMask;    // the dynamic box's filter
    b2Vec2 otherCentre, otherHalf;
    Calls expected;
    bool enabled;
};

// Objects "x" (static platform, node at (200, 100) points: its rectangle
// grown by 10 is 7..13 x 2..8 m) and "y" (dynamic box).
TEST_F(ContactListenerTest, DispatchAndTheOneWayRule) {
    const Case cases[] = {
        {"ordinary pair", true, 1, kAll, 1, kAll, {10.0f, 5.5f}, {0.5f, 0.5f},
         {"A begin B", "B begin A", "A preSolve B", "B preSolve A"}, true},
        {"no objects: nothing", false, 1, kAll, 1, kAll, {10.0f, 5.5f}, {0.5f, 0.5f}, {}, true},
        {"one-way, character inside", true, 1, 2, 2, 1, {10.0f, 5.5f}, {0.5f, 0.5f},
         {"A begin B", "B begin A", "A preSolve B", "B preSolve A"}, true},
        {"one-way, character past the frame", true, 1, 2, 2, 1, {12.5f, 5.5f}, {1.0f, 0.5f},
         {"A begin B", "B begin A"}, false},
        {"both category 2, no mask 2: not one-way", true, 2, 3, 2, 3, {12.5f, 5.5f}, {1.0f, 0.5f},
         {"A begin B", "B begin A", "A preSolve B", "B preSolve A"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Probe holder("x", &calls);
        Probe other("y", &calls);
        holder.setPosition(CCPoint(200.0f, 100.0f));
        b2World world(b2Vec2(0.0f, 0.0f));  // destroyed before the probes
        world.SetContactListener(&listener);
        addBox(world, b2_staticBody, b2Vec2(10.0f, 5.0f), b2Vec2(2.5f, 0.25f), c.withObjects ? &holder : nullptr,
               c.holderCategory, c.holderMask);
        addBox(world, b2_dynamicBody, c.otherCentre, c.otherHalf, c.withObjects ? &other : nullptr, c.otherCategory,
               c.otherMask);
        bool enabled = false;
        EXPECT_EQ(stepOnce(world, calls, &enabled), c.expected);
        EXPECT_EQ(enabled, c.enabled);
    }
}

// The first object's hook drops the second (its last reference): the second
// still gets its call on a live object, then dies with the world locked and
// takes itself out of the bodies, so the next step reaches nobody.
TEST_F(ContactListenerTest, AnObjectDroppedByTheOtherHookSurvivesItsCall) {
    b2World world(b2Vec2(0.0f, 0.0f));
    world.SetContactListener(&listener);
    auto* x = new Probe("x", &calls);
    auto* y = new Probe("y", &calls);
    x->takeBody(addBox(world, b2_staticBody, b2Vec2(0.0f, 0.0f), b2Vec2(2.0f, 0.25f), x, 1, kAll));
    y->takeBody(addBox(world, b2_dynamicBody, b2Vec2(0.0f, 0.5f), b2Vec2(0.5f, 0.5f), y, 1, kAll));
    Probe* first = nullptr;
    auto drop = [&first](Probe* self, Probe*& peer) {
        if (!first) first = self;
        if (first == self && peer) {
            peer->release();
            peer = nullptr;
        }
    };
    x->onBegin = [&] { drop(x, y); };
    y->onBegin = [&] { drop(y, x); };
    const Calls got = stepOnce(world, calls);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], "A begin B");
    EXPECT_EQ(got[1], "B begin A");
    world.Step(1.0f / 60.0f, 6, 2);
    EXPECT_EQ(calls.size(), 2u);
    if (x) x->release();
    if (y) y->release();
}

}  // namespace
