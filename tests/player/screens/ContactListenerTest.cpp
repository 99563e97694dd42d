// The contact listener in a real world step: who hears begin and pre-solve,
// the one-way rule inside and outside the holder's grown rectangle (the
// holder away from the world origin), and an object dropped by the other's
// hook in the middle of a dispatch.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "physics/PhysicsGuard.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/screens/QVPContactListener.h"

namespace {

class Probe : public QVPObjectAsset {
public:
    explicit Probe(std::string* calls) : QVPObjectAsset(nullptr), m_calls(calls) {}
    void beginContact(QVPObject*, b2Contact*, bool) override {
        *m_calls += "b";
        if (onBegin) onBegin();
    }
    void preSolve(QVPObject*, b2Contact*, const b2Manifold*) override { *m_calls += "p"; }
    void takeBody(b2Body* body) { m_body = body; }
    std::function<void()> onBegin;

private:
    std::string* m_calls;
};

// A box (metres) whose body and fixture carry `owner` (may be null).
b2Body* addBox(b2World& world, b2BodyType type, b2Vec2 centre, b2Vec2 half, Probe* owner, uint16 category,
               uint16 mask) {
    b2BodyDef def;
    def.type = type;
    def.position = centre;
    b2Body* body = physics::createBody(&world, def);
    physics::setUserObject<QVPObject>(body, owner);
    b2PolygonShape box;
    box.SetAsBox(half.x, half.y);
    b2FixtureDef fixture;
    fixture.shape = &box;
    fixture.filter.categoryBits = category;
    fixture.filter.maskBits = mask;
    physics::setUserObject<QVPObject>(fixture, owner);
    physics::createFixture(body, fixture);
    return body;
}

// A static platform whose object stands at (200, 100) points (its rectangle
// grown by 10 is 7..13 x 2..8 m) and a dynamic box over it.
TEST(ContactListener, DispatchAndTheOneWayRule) {
    struct Case {
        const char* name;
        bool objects;
        uint16 platformCategory, platformMask, boxCategory, boxMask;
        float boxX, boxHalfWidth;
        const char* calls;  // b begin, p pre-solve
        bool enabled;
    } cases[] = {
        {"ordinary pair", true, 1, 0xFFFF, 1, 0xFFFF, 10.0f, 0.5f, "bbpp", true},
        {"no objects", false, 1, 0xFFFF, 1, 0xFFFF, 10.0f, 0.5f, "", true},
        {"one-way, character inside", true, 1, 2, 2, 1, 10.0f, 0.5f, "bbpp", true},
        {"one-way, character past the frame", true, 1, 2, 2, 1, 12.5f, 1.0f, "bb", false},
        {"two category 2, no mask 2", true, 2, 3, 2, 3, 12.5f, 1.0f, "bbpp", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string calls;
        Probe platform(&calls);
        Probe box(&calls);
        platform.setPosition(cocos2d::CCPoint(200.0f, 100.0f));
        QVPContactListener listener;
        b2World world(b2Vec2(0.0f, 0.0f));  // destroyed before the probes
        world.SetContactListener(&listener);
        addBox(world, b2_staticBody, b2Vec2(10.0f, 5.0f), b2Vec2(2.5f, 0.25f), c.objects ? &platform : nullptr,
               c.platformCategory, c.platformMask);
        addBox(world, b2_dynamicBody, b2Vec2(c.boxX, 5.5f), b2Vec2(c.boxHalfWidth, 0.5f), c.objects ? &box : nullptr,
               c.boxCategory, c.boxMask);
        world.Step(1.0f / 60.0f, 6, 2);
        EXPECT_EQ(calls, c.calls);
        ASSERT_NE(world.GetContactList(), nullptr);
        EXPECT_EQ(world.GetContactList()->IsEnabled(), c.enabled);
    }
}

// The first hook drops the other object's last reference: the second call
// still reaches a live object, which then dies with the world locked and
// leaves the bodies, so nothing hears the pre-solve or the next step (ASan).
TEST(ContactListener, AnObjectDroppedByTheOtherHookSurvivesItsCall) {
    std::string calls;
    QVPContactListener listener;
    b2World world(b2Vec2(0.0f, 0.0f));
    world.SetContactListener(&listener);
    Probe* probes[2] = {new Probe(&calls), new Probe(&calls)};
    probes[0]->takeBody(addBox(world, b2_staticBody, b2Vec2(0, 0), b2Vec2(2, 0.25f), probes[0], 1, 0xFFFF));
    probes[1]->takeBody(addBox(world, b2_dynamicBody, b2Vec2(0, 0.5f), b2Vec2(0.5f, 0.5f), probes[1], 1, 0xFFFF));
    bool dropped = false;
    for (int i = 0; i < 2; ++i) {
        probes[i]->onBegin = [&probes, &dropped, i] {
            if (dropped) return;
            dropped = true;
            probes[1 - i]->release();
            probes[1 - i] = nullptr;
        };
    }
    world.Step(1.0f / 60.0f, 6, 2);
    world.Step(1.0f / 60.0f, 6, 2);
    EXPECT_EQ(calls, "bb");
    for (Probe* p : probes) {
        if (p) p->release();
    }
}

}  // namespace
