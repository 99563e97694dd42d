#include "physics/PhysicsGuard.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/CCCommon.h"

namespace physics {

namespace {

bool finite(float v) { return std::isfinite(v); }
// Within kMaxCoordinate, so that Box2D's float products of coordinates stay
// finite.
bool inRange(float v) { return std::isfinite(v) && std::fabs(v) <= kMaxCoordinate; }
bool inRange(const b2Vec2& v) { return inRange(v.x) && inRange(v.y); }
bool within(float v, float limit) { return std::isfinite(v) && std::fabs(v) <= limit; }
bool within(const b2Vec2& v, float limit) { return within(v.x, limit) && within(v.y, limit); }

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

// Box2D moves a shape's inertia to the body origin and back in float; for a
// small shape far from the origin the two large terms cancel, the result
// falls to zero or below and ResetMassData aborts. Accept only shapes whose
// squared radius of gyration about their own centroid stays well above that
// rounding error (about 1e-6 of the centroid's squared distance).
bool inertiaSurvivesShift(double gyration2, double cx, double cy) {
    return gyration2 >= kMinGyrationRatio * (cx * cx + cy * cy);
}

// Area, centroid and squared radius of gyration of a convex polygon, in
// double, from a fan around its first vertex.
struct MassShape {
    double area = 0.0, cx = 0.0, cy = 0.0, gyration2 = 0.0;
};
MassShape polygonMass(const std::vector<Point>& v) {
    MassShape m;
    double sx = 0.0, sy = 0.0, polar = 0.0;
    for (size_t i = 1; i + 1 < v.size(); ++i) {
        double e1x = v[i].x - v[0].x, e1y = v[i].y - v[0].y;
        double e2x = v[i + 1].x - v[0].x, e2y = v[i + 1].y - v[0].y;
        double d = e1x * e2y - e1y * e2x;
        double a = 0.5 * d;
        m.area += a;
        sx += a * (e1x + e2x) / 3.0;
        sy += a * (e1y + e2y) / 3.0;
        polar += (d / 12.0) * (e1x * e1x + e2x * e1x + e2x * e2x + e1y * e1y + e2y * e1y + e2y * e2y);
    }
    if (m.area <= 0.0) return m;
    double rx = sx / m.area, ry = sy / m.area;  // centroid relative to v[0]
    m.cx = v[0].x + rx;
    m.cy = v[0].y + ry;
    m.gyration2 = polar / m.area - (rx * rx + ry * ry);
    return m;
}

// A shape handed to CreateFixture goes through Clone and ComputeMass, which
// assert on a polygon that was never set and on a broken circle.
const char* unusableShape(const b2Shape* shape, float density) {
    // Per unit density: area, squared radius of gyration about the centroid,
    // and the centroid's squared distance from the body origin.
    double area = 0.0, gyration2 = 0.0, distance2 = 0.0;
    switch (shape->GetType()) {
        case b2Shape::e_polygon: {
            const auto* polygon = static_cast<const b2PolygonShape*>(shape);
            if (polygon->m_count < 3 || polygon->m_count > b2_maxPolygonVertices)
                return "the polygon shape has no valid outline";
            std::vector<Point> v;
            for (int i = 0; i < polygon->m_count; ++i) {
                if (!inRange(polygon->m_vertices[i])) return "the polygon shape has a non-finite or huge vertex";
                v.push_back({polygon->m_vertices[i].x, polygon->m_vertices[i].y});
            }
            MassShape mass = polygonMass(v);
            // Box2D asserts that the area exceeds its float epsilon; SetAsBox with
            // tiny halves gets past Set's checks, so hold every polygon to the
            // same floor validPolygon uses.
            if (mass.area <= kMinArea) return "the polygon shape has (almost) no area";
            if (!inertiaSurvivesShift(mass.gyration2, mass.cx, mass.cy))
                return "the polygon shape is too small for its distance from the body origin";
            area = mass.area;
            gyration2 = mass.gyration2;
            distance2 = mass.cx * mass.cx + mass.cy * mass.cy;
            break;
        }
        case b2Shape::e_circle: {
            const auto* circle = static_cast<const b2CircleShape*>(shape);
            const double r = circle->m_radius;
            if (!inRange(circle->m_p) || !inRange(circle->m_radius) || r < 0.0)
                return "the circle shape has a non-finite, huge or negative size";
            if (r > 0.0 && !inertiaSurvivesShift(0.5 * r * r, circle->m_p.x, circle->m_p.y))
                return "the circle shape is too small for its distance from the body origin";
            area = b2_pi * r * r;
            gyration2 = 0.5 * r * r;
            distance2 = double(circle->m_p.x) * circle->m_p.x + double(circle->m_p.y) * circle->m_p.y;
            break;
        }
        default:
            if (!finite(shape->m_radius)) return "the shape has a non-finite radius";
            break;
    }
    // Box2D sums masses and inertias in float and divides by them. A negative
    // density can cancel the sum to zero, an overflow becomes NaN, and a mass
    // or inertia near the float minimum has an infinite inverse: each ends in
    // an abort in ResetMassData (now, or when the body turns dynamic).
    if (density < 0.0f) return "negative density";
    // Box2D multiplies the density by pi before the radius: bound it alone too.
    if (density > kMaxMass) return "the mass or inertia would overflow";
    if (density == 0.0f || area == 0.0) return nullptr;
    const double mass = double(density) * area;
    if (mass > kMaxMass || mass * (gyration2 + distance2) > kMaxMass) return "the mass or inertia would overflow";
    if (mass < kMinMass || mass * gyration2 < kMinMass) return "the mass or inertia is too small";
    return nullptr;
}

// The hull walk of b2PolygonShape::Set, replayed on the same welded floats
// with the same float operations. Its orientation test is not robust: with a
// point almost on a hull edge it can step back and forth between two points
// until it asserts on the vertex limit. Returns the hull size Set would
// build, or -1 where Set would abort.
int box2dHullSize(const b2Vec2* ps, int n) {
    int i0 = 0;
    float x0 = ps[0].x;
    for (int i = 1; i < n; ++i) {
        float x = ps[i].x;
        if (x > x0 || (x == x0 && ps[i].y < ps[i0].y)) {
            i0 = i;
            x0 = x;
        }
    }
    int hull[b2_maxPolygonVertices];
    int m = 0;
    int ih = i0;
    for (;;) {
        if (m >= b2_maxPolygonVertices) return -1;
        hull[m] = ih;
        int ie = 0;
        for (int j = 1; j < n; ++j) {
            if (ie == ih) {
                ie = j;
                continue;
            }
            b2Vec2 r = ps[ie] - ps[hull[m]];
            b2Vec2 v = ps[j] - ps[hull[m]];
            float c = b2Cross(r, v);
            if (c < 0.0f) ie = j;
            if (c == 0.0f && v.LengthSquared() > r.LengthSquared()) ie = j;
        }
        ++m;
        ih = ie;
        if (ie == i0) break;
    }
    return m;
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
    if (!inRange(def.position) || !finite(def.angle))
        return refuse(call, "non-finite or out-of-range position or angle"), nullptr;
    if (!within(def.linearVelocity, kMaxSpeed) || !within(def.angularVelocity, kMaxSpeed))
        return refuse(call, "non-finite or out-of-range velocity"), nullptr;
    if (!within(def.gravityScale, kMaxGravity))
        return refuse(call, "non-finite or out-of-range gravity scale"), nullptr;
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

namespace {

// Box2D before 2.4 gave a dynamic body without mass (density-0 fixtures) a
// mass of 1; 2.4 leaves it at 0, which makes the body ignore gravity and
// every force. Games are authored against the older rule.
void keepPositiveMass(b2Body* body) {
    if (body->GetType() != b2_dynamicBody || body->GetMass() > 0.0f) return;
    b2MassData mass;
    mass.mass = 1.0f;
    mass.center = body->GetLocalCenter();
    mass.I = 0.0f;
    body->SetMassData(&mass);
}

}  // namespace

b2Fixture* createFixture(b2Body* body, const b2FixtureDef& def) {
    const char* call = "createFixture";
    if (!body) return refuse(call, "no body"), nullptr;
    if (lockedWorld(body->GetWorld(), call)) return nullptr;
    if (!def.shape) return refuse(call, "the definition has no shape"), nullptr;
    if (!finite(def.density) || !finite(def.friction) || !finite(def.restitution) || !finite(def.restitutionThreshold))
        return refuse(call, "non-finite density, friction or restitution"), nullptr;
    if (const char* why = unusableShape(def.shape, def.density)) return refuse(call, why), nullptr;
    b2Fixture* fixture = body->CreateFixture(&def);
    keepPositiveMass(body);
    return fixture;
}

bool destroyFixture(b2Body* body, b2Fixture* fixture) {
    const char* call = "destroyFixture";
    if (!body) return refuse(call, "no body");
    if (!fixture) return refuse(call, "no fixture");
    if (lockedWorld(body->GetWorld(), call)) return false;
    if (!bodyHasFixture(body, fixture)) return refuse(call, "the fixture is not on this body");
    body->DestroyFixture(fixture);
    keepPositiveMass(body);
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
        if (!inRange(mouse.target)) return refuse(call, "non-finite or out-of-range mouse target"), nullptr;
        if (!finite(mouse.maxForce) || !finite(mouse.stiffness) || !finite(mouse.damping) || mouse.maxForce < 0.0f ||
            mouse.stiffness < 0.0f || mouse.damping < 0.0f)
            return refuse(call, "negative or non-finite mouse force, stiffness or damping"), nullptr;
    }
    return world->CreateJoint(&def);
}

bool setType(b2Body* body, b2BodyType type) {
    if (!body) return refuse("setType", "no body");
    if (lockedWorld(body->GetWorld(), "setType")) return false;
    body->SetType(type);
    keepPositiveMass(body);
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
    if (!inRange(position) || !finite(angle)) return refuse(call, "non-finite or out-of-range position or angle");
    if (lockedWorld(body->GetWorld(), call)) return false;
    body->SetTransform(position, angle);
    return true;
}

bool setLinearVelocity(b2Body* body, const b2Vec2& velocity) {
    if (!body) return refuse("setLinearVelocity", "no body");
    if (!within(velocity, kMaxSpeed)) return refuse("setLinearVelocity", "non-finite or out-of-range velocity");
    body->SetLinearVelocity(velocity);
    return true;
}

bool setAngularVelocity(b2Body* body, float omega) {
    if (!body) return refuse("setAngularVelocity", "no body");
    if (!within(omega, kMaxSpeed)) return refuse("setAngularVelocity", "non-finite or out-of-range velocity");
    body->SetAngularVelocity(omega);
    return true;
}

bool setGravity(b2World* world, const b2Vec2& gravity) {
    if (!world) return refuse("setGravity", "no world");
    if (!within(gravity, kMaxGravity)) return refuse("setGravity", "non-finite or out-of-range gravity");
    world->SetGravity(gravity);
    return true;
}

bool setMouseTarget(b2MouseJoint* joint, const b2Vec2& target) {
    if (!joint) return refuse("setMouseTarget", "no joint");
    if (!inRange(target)) return refuse("setMouseTarget", "non-finite or out-of-range target");
    joint->SetTarget(target);
    return true;
}

void setContactEnabled(b2Contact* contact, bool enabled) {
    if (contact) contact->SetEnabled(enabled);
}

bool setSensor(b2Fixture* fixture, bool sensor) {
    if (!fixture) return refuse("setSensor", "no fixture");
    if (lockedWorld(fixture->GetBody()->GetWorld(), "setSensor")) return false;
    fixture->SetSensor(sensor);
    return true;
}

bool setBullet(b2Body* body, bool bullet) {
    if (!body) return refuse("setBullet", "no body");
    if (lockedWorld(body->GetWorld(), "setBullet")) return false;
    body->SetBullet(bullet);
    return true;
}

bool setFixedRotation(b2Body* body, bool fixed) {
    if (!body) return refuse("setFixedRotation", "no body");
    if (lockedWorld(body->GetWorld(), "setFixedRotation")) return false;
    body->SetFixedRotation(fixed);
    keepPositiveMass(body);
    return true;
}

bool setGravityScale(b2Body* body, float scale) {
    if (!body) return refuse("setGravityScale", "no body");
    if (!within(scale, kMaxGravity)) return refuse("setGravityScale", "non-finite or out-of-range scale");
    if (lockedWorld(body->GetWorld(), "setGravityScale")) return false;
    body->SetGravityScale(scale);
    return true;
}

b2Vec2 contactNormal(b2Contact* contact) {
    if (!contact || contact->GetManifold()->pointCount == 0) return b2Vec2(0.0f, 0.0f);
    b2WorldManifold manifold{};
    contact->GetWorldManifold(&manifold);
    return manifold.normal;
}

// ---------------------------------------------------------------- shapes

bool validPolygon(const b2Vec2* points, int count, std::string* reason) {
    if (count < 3 || count > b2_maxPolygonVertices || !points)
        return fail(reason, "needs 3 to 8 points, got " + std::to_string(count));
    for (int i = 0; i < count; ++i)
        if (!inRange(points[i])) return fail(reason, "point " + std::to_string(i) + " is not finite or is huge");

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
    int wrapped = box2dHullSize(kept, keptCount);
    if (wrapped < 0) return fail(reason, "a point lies almost on a hull edge (Box2D cannot wrap it)");
    if (wrapped < 3) return fail(reason, "the points are collinear");

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
    MassShape mass = polygonMass(hull);
    if (!inertiaSurvivesShift(mass.gyration2, mass.cx, mass.cy))
        return fail(reason, "the outline is too small for its distance from the body origin");
    return true;
}

bool setPolygon(b2PolygonShape* shape, const b2Vec2* points, int count) {
    if (!shape) return refuse("setPolygon", "no shape");
    std::string reason;
    if (!validPolygon(points, count, &reason)) return refuse("setPolygon", reason.c_str());
    shape->Set(points, count);
    return true;
}

bool validCircle(const b2Vec2& centre, float radius, std::string* reason) {
    if (!inRange(centre) || !inRange(radius)) return fail(reason, "non-finite or huge centre or radius");
    if (radius < 0.0f) return fail(reason, "negative radius");
    // A circle of radius 0 has no mass, so only a real one can lose its inertia.
    if (radius > 0.0f && !inertiaSurvivesShift(0.5 * double(radius) * radius, centre.x, centre.y))
        return fail(reason, "the circle is too small for its distance from the body origin");
    return true;
}

bool setCircle(b2CircleShape* shape, const b2Vec2& centre, float radius) {
    if (!shape) return refuse("setCircle", "no shape");
    std::string reason;
    if (!validCircle(centre, radius, &reason)) return refuse("setCircle", reason.c_str());
    shape->m_p = centre;
    shape->m_radius = radius;
    return true;
}

// ---------------------------------------------------------------- mouse joint

b2MouseJointDef mouseJointDef(b2Body* ground, b2Body* body, const b2Vec2& target, float maxForce, float frequencyHz,
                              float dampingRatio) {
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
    if (!inRange(p1) || !inRange(p2)) return false;
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
