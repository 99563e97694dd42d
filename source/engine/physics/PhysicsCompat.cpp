#include "physics/PhysicsCompat.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/CCCommon.h"

namespace physics {

namespace {

bool finite(float v) { return std::isfinite(v); }
bool finite(const b2Vec2& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

bool refuse(const char* call, const char* reason) {
    cocos2d::CCLog("[Physics] %s refused: %s", call, reason);
    return false;
}

// Box2D aborts on any change to a world inside Step (contact hooks included).
bool lockedWorld(const b2World* world, const char* call) {
    if (!world->IsLocked()) return false;
    refuse(call, "the world is locked (inside a step)");
    return true;
}

bool worldHasBody(b2World* world, const b2Body* body) {
    for (b2Body* b = world->GetBodyList(); b; b = b->GetNext())
        if (b == body) return true;
    return false;
}

bool bodyHasFixture(b2Body* body, const b2Fixture* fixture) {
    for (b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext())
        if (f == fixture) return true;
    return false;
}

// A shape handed to CreateFixture goes through Clone and ComputeMass, which
// assert on a polygon that was never set and on a broken circle.
const char* unusableShape(const b2Shape* shape) {
    switch (shape->GetType()) {
    case b2Shape::e_polygon: {
        const auto* polygon = static_cast<const b2PolygonShape*>(shape);
        if (polygon->m_count < 3 || polygon->m_count > b2_maxPolygonVertices)
            return "the polygon shape has no valid outline";
        for (int i = 0; i < polygon->m_count; ++i)
            if (!finite(polygon->m_vertices[i])) return "the polygon shape has a non-finite vertex";
        return nullptr;
    }
    case b2Shape::e_circle: {
        const auto* circle = static_cast<const b2CircleShape*>(shape);
        if (!finite(circle->m_p) || !finite(circle->m_radius) || circle->m_radius < 0.0f)
            return "the circle shape has a non-finite or negative size";
        return nullptr;
    }
    default:
        return finite(shape->m_radius) ? nullptr : "the shape has a non-finite radius";
    }
}

struct Point {
    double x, y;
};

double cross(const Point& o, const Point& a, const Point& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Convex hull, counter-clockwise, collinear points dropped (monotone chain).
std::vector<Point> convexHull(std::vector<Point> pts) {
    std::sort(pts.begin(), pts.end(),
              [](const Point& a, const Point& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    if (pts.size() < 3) return pts;
    std::vector<Point> hull(2 * pts.size());
    size_t k = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0.0) --k;
        hull[k++] = pts[i];
    }
    for (size_t i = pts.size() - 1, lower = k + 1; i > 0; --i) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], pts[i - 1]) <= 0.0) --k;
        hull[k++] = pts[i - 1];
    }
    hull.resize(k - 1);
    return hull;
}

bool fail(std::string* reason, std::string text) {
    if (reason) *reason = std::move(text);
    return false;
}

}  // namespace

// ---------------------------------------------------------------- bodies

b2Body* createBody(b2World* world, const b2BodyDef& def) {
    const char* call = "createBody";
    if (!world) return refuse(call, "no world"), nullptr;
    if (lockedWorld(world, call)) return nullptr;
    if (!finite(def.position) || !finite(def.angle))
        return refuse(call, "non-finite position or angle"), nullptr;
    if (!finite(def.linearVelocity) || !finite(def.angularVelocity))
        return refuse(call, "non-finite velocity"), nullptr;
    if (!finite(def.gravityScale)) return refuse(call, "non-finite gravity scale"), nullptr;
    if (!finite(def.linearDamping) || !finite(def.angularDamping) || def.linearDamping < 0.0f ||
        def.angularDamping < 0.0f)
        return refuse(call, "negative or non-finite damping"), nullptr;
    return world->CreateBody(&def);
}

bool destroyBody(b2World* world, b2Body* body) {
    const char* call = "destroyBody";
    if (!world) return refuse(call, "no world");
    if (!body) return refuse(call, "no body");
    if (lockedWorld(world, call)) return false;
    if (!worldHasBody(world, body)) return refuse(call, "the body is not in this world");
    world->DestroyBody(body);
    return true;
}

b2Fixture* createFixture(b2Body* body, const b2FixtureDef& def) {
    const char* call = "createFixture";
    if (!body) return refuse(call, "no body"), nullptr;
    if (lockedWorld(body->GetWorld(), call)) return nullptr;
    if (!def.shape) return refuse(call, "the definition has no shape"), nullptr;
    if (const char* why = unusableShape(def.shape)) return refuse(call, why), nullptr;
    if (!finite(def.density) || !finite(def.friction) || !finite(def.restitution) ||
        !finite(def.restitutionThreshold))
        return refuse(call, "non-finite density, friction or restitution"), nullptr;
    return body->CreateFixture(&def);
}

bool destroyFixture(b2Body* body, b2Fixture* fixture) {
    const char* call = "destroyFixture";
    if (!body) return refuse(call, "no body");
    if (!fixture) return refuse(call, "no fixture");
    if (lockedWorld(body->GetWorld(), call)) return false;
    if (!bodyHasFixture(body, fixture)) return refuse(call, "the fixture is not on this body");
    body->DestroyFixture(fixture);
    return true;
}

b2Joint* createJoint(b2World* world, const b2JointDef& def) {
    const char* call = "createJoint";
    if (!world) return refuse(call, "no world"), nullptr;
    if (lockedWorld(world, call)) return nullptr;
    if (!def.bodyA || !def.bodyB) return refuse(call, "a body is missing"), nullptr;
    if (def.bodyA == def.bodyB) return refuse(call, "body A and body B are the same body"), nullptr;
    if (!worldHasBody(world, def.bodyA) || !worldHasBody(world, def.bodyB))
        return refuse(call, "a body is not in this world"), nullptr;
    if (def.type == e_mouseJoint) {
        const auto& mouse = static_cast<const b2MouseJointDef&>(def);
        if (!finite(mouse.target)) return refuse(call, "non-finite mouse target"), nullptr;
        if (!finite(mouse.maxForce) || !finite(mouse.stiffness) || !finite(mouse.damping) ||
            mouse.maxForce < 0.0f || mouse.stiffness < 0.0f || mouse.damping < 0.0f)
            return refuse(call, "negative or non-finite mouse force, stiffness or damping"), nullptr;
    }
    return world->CreateJoint(&def);
}

bool setType(b2Body* body, b2BodyType type) {
    if (!body) return refuse("setType", "no body");
    if (lockedWorld(body->GetWorld(), "setType")) return false;
    body->SetType(type);
    return true;
}

bool setEnabled(b2Body* body, bool enabled) {
    if (!body) return refuse("setEnabled", "no body");
    if (lockedWorld(body->GetWorld(), "setEnabled")) return false;
    body->SetEnabled(enabled);
    return true;
}

bool setTransform(b2Body* body, const b2Vec2& position, float angle) {
    const char* call = "setTransform";
    if (!body) return refuse(call, "no body");
    if (!finite(position) || !finite(angle)) return refuse(call, "non-finite position or angle");
    if (lockedWorld(body->GetWorld(), call)) return false;
    body->SetTransform(position, angle);
    return true;
}

bool setLinearVelocity(b2Body* body, const b2Vec2& velocity) {
    if (!body) return refuse("setLinearVelocity", "no body");
    if (!finite(velocity)) return refuse("setLinearVelocity", "non-finite velocity");
    body->SetLinearVelocity(velocity);
    return true;
}

bool setAngularVelocity(b2Body* body, float omega) {
    if (!body) return refuse("setAngularVelocity", "no body");
    if (!finite(omega)) return refuse("setAngularVelocity", "non-finite velocity");
    body->SetAngularVelocity(omega);
    return true;
}

bool setGravity(b2World* world, const b2Vec2& gravity) {
    if (!world) return refuse("setGravity", "no world");
    if (!finite(gravity)) return refuse("setGravity", "non-finite gravity");
    world->SetGravity(gravity);
    return true;
}

bool setMouseTarget(b2MouseJoint* joint, const b2Vec2& target) {
    if (!joint) return refuse("setMouseTarget", "no joint");
    if (!finite(target)) return refuse("setMouseTarget", "non-finite target");
    joint->SetTarget(target);
    return true;
}

void setContactEnabled(b2Contact* contact, bool enabled) {
    if (contact) contact->SetEnabled(enabled);
}

// ---------------------------------------------------------------- shapes

bool validPolygon(const b2Vec2* points, int count, std::string* reason) {
    if (count < 3 || count > b2_maxPolygonVertices || !points)
        return fail(reason, "needs 3 to 8 points, got " + std::to_string(count));
    for (int i = 0; i < count; ++i)
        if (!finite(points[i])) return fail(reason, "point " + std::to_string(i) + " is not finite");

    // Weld exactly as Set does (same float test, first point kept), so both
    // sides see the same point set.
    const float weld = kWeldDistance * kWeldDistance;
    b2Vec2 kept[b2_maxPolygonVertices];
    int keptCount = 0;
    for (int i = 0; i < count; ++i) {
        bool unique = true;
        for (int j = 0; j < keptCount && unique; ++j)
            if (b2DistanceSquared(points[i], kept[j]) < weld) unique = false;
        if (unique) kept[keptCount++] = points[i];
    }
    if (keptCount < 3) return fail(reason, "fewer than 3 distinct points");

    std::vector<Point> pts;
    pts.reserve(static_cast<size_t>(keptCount));
    for (int i = 0; i < keptCount; ++i) pts.push_back({kept[i].x, kept[i].y});
    std::vector<Point> hull = convexHull(std::move(pts));
    if (hull.size() < 3) return fail(reason, "the points are collinear");

    double longest = 0.0;
    double area2 = 0.0;
    for (size_t i = 0; i < hull.size(); ++i) {
        const Point& a = hull[i];
        const Point& b = hull[(i + 1) % hull.size()];
        double edge = std::hypot(b.x - a.x, b.y - a.y);
        if (edge < kMinEdge) return fail(reason, "a hull edge is shorter than 0.005 m");
        longest = std::max(longest, edge);
        if (i > 0 && i + 1 < hull.size()) area2 += cross(hull[0], a, b);
    }
    double area = 0.5 * area2;
    if (area <= kMinArea || area <= kMinAreaRatio * longest * longest)
        return fail(reason, "the outline is too thin or too small");
    return true;
}

bool setPolygon(b2PolygonShape* shape, const b2Vec2* points, int count) {
    if (!shape) return refuse("setPolygon", "no shape");
    std::string reason;
    if (!validPolygon(points, count, &reason)) return refuse("setPolygon", reason.c_str());
    shape->Set(points, count);
    return true;
}

bool setCircle(b2CircleShape* shape, const b2Vec2& centre, float radius) {
    if (!shape) return refuse("setCircle", "no shape");
    if (!finite(centre) || !finite(radius)) return refuse("setCircle", "non-finite centre or radius");
    if (radius < 0.0f) return refuse("setCircle", "negative radius");
    shape->m_p = centre;
    shape->m_radius = radius;
    return true;
}

// ---------------------------------------------------------------- mouse joint

b2MouseJointDef mouseJointDef(b2Body* ground, b2Body* body, const b2Vec2& target, float maxForce,
                              float frequencyHz, float dampingRatio) {
    b2MouseJointDef def;
    def.bodyA = ground;
    def.bodyB = body;
    def.target = target;
    def.maxForce = maxForce;
    def.collideConnected = false;
    if (ground && body) b2LinearStiffness(def.stiffness, def.damping, frequencyHz, dampingRatio, ground, body);
    return def;
}

bool setMouseJointSpring(b2MouseJoint* joint, float frequencyHz, float dampingRatio) {
    const char* call = "setMouseJointSpring";
    if (!joint) return refuse(call, "no joint");
    if (!finite(frequencyHz) || !finite(dampingRatio) || frequencyHz < 0.0f || dampingRatio < 0.0f)
        return refuse(call, "negative or non-finite frequency or damping ratio");
    float stiffness = 0.0f;
    float damping = 0.0f;
    b2LinearStiffness(stiffness, damping, frequencyHz, dampingRatio, joint->GetBodyA(), joint->GetBodyB());
    joint->SetStiffness(stiffness);
    joint->SetDamping(damping);
    return true;
}

// ---------------------------------------------------------------- queries

bool rayCast(b2World* world, b2RayCastCallback* callback, const b2Vec2& p1, const b2Vec2& p2) {
    if (!world || !callback) return false;
    if (!finite(p1) || !finite(p2)) return false;
    // The same float test the broad-phase asserts on: a ray with no length.
    b2Vec2 r = p2 - p1;
    if (!(r.LengthSquared() > 0.0f)) return false;
    world->RayCast(callback, p1, p2);
    return true;
}

bool fixtureBox(const b2Fixture* fixture, b2AABB& box) {
    box.lowerBound.SetZero();
    box.upperBound.SetZero();
    if (!fixture || !fixture->GetBody() || !fixture->GetBody()->IsEnabled()) return false;
    box = fixture->GetAABB(0);
    return true;
}

bool firstFixtureBox(const b2Body* body, b2AABB& box) {
    return fixtureBox(body ? body->GetFixtureList() : nullptr, box);
}

// ---------------------------------------------------------------- drawing

void DrawBase::DrawPoint(const b2Vec2&, float, const b2Color&) {}

}  // namespace physics
