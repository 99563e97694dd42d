// Helpers for the Box2D layer tests: a capture of the engine log (stderr) and
// small world builders.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "physics/PhysicsGuard.h"

namespace physicstest {

// Redirects fd 2 into a temporary file while alive.
class LogCapture {
public:
    LogCapture() {
        std::fflush(stderr);
        char pattern[] = "/tmp/qv-physics-log-XXXXXX";
        fd_ = ::mkstemp(pattern);
        path_ = pattern;
        saved_ = ::dup(2);
        ::dup2(fd_, 2);
    }
    ~LogCapture() {
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text() const {
        std::fflush(stderr);
        std::ifstream in(path_, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // Number of lines containing needle.
    int count(const std::string& needle) const {
        std::string all = text();
        int n = 0;
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find('\n', start);
            if (end == std::string::npos) end = all.size();
            if (all.substr(start, end - start).find(needle) != std::string::npos) ++n;
            start = end + 1;
        }
        return n;
    }

private:
    int fd_ = -1;
    int saved_ = -1;
    std::string path_;
};

inline int bodyCount(b2World& world) { return world.GetBodyCount(); }

inline int fixtureCount(b2Body* body) {
    int n = 0;
    for (b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext()) ++n;
    return n;
}

// A body with one box fixture (half sizes hx, hy), through the layer.
inline b2Body* makeBox(b2World& world, b2BodyType type, b2Vec2 position, float hx, float hy,
                       float density = 1.0f) {
    b2BodyDef def;
    def.type = type;
    def.position = position;
    b2Body* body = physics::createBody(&world, def);
    if (!body) return nullptr;
    b2PolygonShape box;
    box.SetAsBox(hx, hy);
    b2FixtureDef fixture;
    fixture.shape = &box;
    fixture.density = density;
    physics::createFixture(body, fixture);
    return body;
}

}  // namespace physicstest
