// Bytes into the Box2D layer: up to 10 outline points, a scale, a body
// definition, fixture values and a circle, then 10 steps. Whatever the layer
// accepts must never reach one of Box2D's aborts or trip a sanitizer, and
// what it accepts as a polygon must make a shape Box2D keeps.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "physics/PhysicsGuard.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// Reads raw values; missing bytes read as zero.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    float number() {
        uint8_t raw[4] = {byte(), byte(), byte(), byte()};
        float f;
        std::memcpy(&f, raw, sizeof f);
        return f;
    }
    b2Vec2 vec() {
        float x = number();
        return b2Vec2(x, number());
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);

    int count = in.byte() % 11;
    b2Vec2 points[10];
    for (int i = 0; i < count; ++i) points[i] = in.vec();
    float scale = in.number();
    for (int i = 0; i < count; ++i) points[i] *= scale;

    b2BodyDef def;
    def.type = static_cast<b2BodyType>(in.byte() % 3);
    def.position = in.vec();
    def.angle = in.number();
    def.linearVelocity = in.vec();
    def.angularVelocity = in.number();
    def.linearDamping = in.number();
    def.angularDamping = in.number();
    def.gravityScale = in.number();
    uint8_t flags = in.byte();
    def.fixedRotation = flags & 1;
    def.bullet = flags & 2;
    def.awake = !(flags & 4);
    def.enabled = !(flags & 8);

    b2FixtureDef fixture;
    fixture.density = in.number();
    fixture.friction = in.number();
    fixture.restitution = in.number();
    b2Vec2 centre = in.vec();
    float radius = in.number();
    b2Vec2 velocity = in.vec();
    b2Vec2 rayEnd = in.vec();

    b2World world(b2Vec2(0.0f, -10.0f));
    b2BodyDef groundDef;
    b2Body* ground = physics::createBody(&world, groundDef);
    b2PolygonShape groundBox;
    groundBox.SetAsBox(50.0f, 1.0f);
    b2FixtureDef groundFixture;
    groundFixture.shape = &groundBox;
    check(physics::createFixture(ground, groundFixture) != nullptr);

    b2Body* body = physics::createBody(&world, def);

    bool valid = physics::validPolygon(points, count);
    b2PolygonShape polygon;
    check(physics::setPolygon(&polygon, points, count) == valid);
    if (valid) {
        check(polygon.m_count >= 3 && polygon.m_count <= b2_maxPolygonVertices);
        fixture.shape = &polygon;
        b2Fixture* made = physics::createFixture(body, fixture);
        // An accepted polygon is always usable; within 1 km of the origin and
        // at a density of 0 or between 0.001 and 1 its mass and inertia are in
        // range, so only the other values may refuse.
        bool near = true;
        for (int i = 0; i < count; ++i) near = near && std::fabs(points[i].x) <= 1e3f && std::fabs(points[i].y) <= 1e3f;
        const float density = fixture.density;
        if (body && near && (density == 0.0f || (density >= 0.001f && density <= 1.0f)) &&
            std::isfinite(fixture.friction) &&
            std::isfinite(fixture.restitution))
            check(made != nullptr);
    }
    b2CircleShape circle;
    if (physics::setCircle(&circle, centre, radius)) {
        fixture.shape = &circle;
        physics::createFixture(body, fixture);
    }

    if (body) {
        physics::setLinearVelocity(body, velocity);
        physics::setAngularVelocity(body, centre.x);
        b2AABB box;
        if (!physics::firstFixtureBox(body, box))
            check(box.lowerBound.x == 0.0f && box.upperBound.y == 0.0f);
        struct AnyHit : b2RayCastCallback {
            float ReportFixture(b2Fixture*, const b2Vec2&, const b2Vec2&, float fraction) override {
                return fraction;
            }
        } ray;
        physics::rayCast(&world, &ray, def.position, rayEnd);
        physics::rayCast(&world, &ray, rayEnd, rayEnd);
    }
    for (int i = 0; i < 10; ++i) world.Step(1.0f / 60.0f, 6, 6);
    if (body) {
        physics::setTransform(body, rayEnd, radius);
        physics::setType(body, b2_dynamicBody);
        if (body->GetFixtureList()) physics::destroyFixture(body, body->GetFixtureList());
        check(physics::destroyBody(&world, body));
        check(!physics::destroyBody(&world, body));  // gone: refused, never dereferenced
    }
    return 0;
}
