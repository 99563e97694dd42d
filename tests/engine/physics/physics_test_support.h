// Helpers for the Box2D layer tests: the engine log and small world builders.
#pragma once

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "../platform/platform_test_support.h"
#include "physics/PhysicsGuard.h"

namespace physicstest {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
constexpr float kStep = 1.0f / 60.0f;

// The engine log from construction on, with a count of a phrase in it.
struct LogCapture : qvtest::StderrCapture {
    int count(const std::string& needle) {
        const std::string logged = text();
        int n = 0;
        for (size_t at = logged.find(needle); at != std::string::npos; at = logged.find(needle, at + 1)) ++n;
        return n;
    }
};

inline int fixtureCount(b2Body* body) {
    int n = 0;
    for (b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext()) ++n;
    return n;
}

// A body with one box fixture (half sizes hx, hy), through the layer.
inline b2Body* makeBox(b2World& world, b2BodyType type, b2Vec2 position, float hx, float hy) {
    b2BodyDef def;
    def.type = type;
    def.position = position;
    b2Body* body = physics::createBody(&world, def);
    b2PolygonShape box;
    box.SetAsBox(hx, hy);
    b2FixtureDef fixture;
    fixture.shape = &box;
    fixture.density = 1.0f;
    if (body) physics::createFixture(body, fixture);
    return body;
}

inline void steps(b2World& world, int n) {
    for (int i = 0; i < n; ++i) world.Step(kStep, 6, 6);
}

}  // namespace physicstest
