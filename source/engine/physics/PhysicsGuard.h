// The one door from game code to Box2D 2.4.1.
//
// Debian builds Box2D with its assertions on, so a change to a locked world,
// an invalid polygon or a zero-length ray ends the process. Every such call
// goes through here instead: a refused call logs
//   [Physics] <call> refused: <reason>
// through the engine log, returns null or false, and leaves the world as it
// was. Nothing is deferred; code that must change the world from a contact
// hook keeps its own pending state.
//
// This header re-exports <box2d/box2d.h>; no other file includes Box2D
// directly (tools/check-physics-guard.sh enforces it). Reads that cannot
// abort (getters, GetAABB of a live proxy aside, queries, draw flags) are
// called on the Box2D objects directly.
#pragma once

#include <box2d/box2d.h>

#include <cstdint>
#include <string>

namespace physics {

// ---- Limits ----
// Box2D computes in float and asserts when a sum, product or inverse goes
// infinite or NaN. These bounds sit far beyond anything a level uses and far
// inside float's range.

// Positions, shape coordinates and radii (10,000 km). Box2D's inertia
// multiplies four coordinates, and squares distances between positions.
constexpr float kMaxCoordinate = 1e7f;
// Linear (m/s) and angular (rad/s) speeds. Velocities reach the contact
// solver before Box2D clamps the step's movement.
constexpr float kMaxSpeed = 1e6f;
// Gravity components and gravity scales; Box2D multiplies them with the mass.
constexpr float kMaxGravity = 1e6f;
// Largest mass or inertia (density times area, or the polar moment about the
// body origin) a fixture may add; Box2D sums them in float.
constexpr double kMaxMass = 1e20;
// Smallest non-zero mass or inertia about its centroid a fixture may add; the
// inverse must stay far from float overflow.
constexpr double kMinMass = 1e-20;

// ---- Bodies, fixtures, joints (refused while the world is locked) ----

// Also refuses a non-finite angle, a non-finite or out-of-range position
// (kMaxCoordinate), velocity (kMaxSpeed) or gravity scale (kMaxGravity), and
// a negative or non-finite damping.
b2Body* createBody(b2World* world, const b2BodyDef& def);

// Refuses null and a body that is not in this world's body list (found by
// pointer comparison; the pointer is never dereferenced before it is found).
// User data is left alone: what a contact peer sees of a dying object is its
// owner's business.
bool destroyBody(b2World* world, b2Body* body);

// Refuses a definition without a shape, a shape Box2D would reject (a polygon
// that was never set, a bad circle, a shape too small for its distance from
// the origin), a negative density, a non-zero mass or inertia too large or
// too small for Box2D's float sums (kMaxMass, kMinMass), and a non-finite
// density, friction or restitution.
// Here and wherever Box2D resets a body's mass (destroyFixture, setType,
// setFixedRotation), a dynamic body left without mass gets a mass of 1, as
// Box2D before 2.4 gave it, so it still falls and takes forces.
b2Fixture* createFixture(b2Body* body, const b2FixtureDef& def);

// Refuses null and a fixture not in this body's fixture list, so a fixture
// destroyed twice by two owners is caught instead of freed twice.
bool destroyFixture(b2Body* body, b2Fixture* fixture);

// Refuses a missing body, a body of another world, and body A == body B.
// A mouse joint also needs a finite target and non-negative finite force,
// stiffness and damping.
b2Joint* createJoint(b2World* world, const b2JointDef& def);

bool setType(b2Body* body, b2BodyType type);

// Box2D 2.3's SetActive. Read the flag back with body->IsEnabled().
bool setEnabled(b2Body* body, bool enabled);

// Also refuses a non-finite angle or position, or a position beyond
// kMaxCoordinate.
bool setTransform(b2Body* body, const b2Vec2& position, float angle);

// ---- Setters refused for non-finite or out-of-range values (kMaxSpeed,
// kMaxGravity), locked world or not ----
bool setLinearVelocity(b2Body* body, const b2Vec2& velocity);
bool setAngularVelocity(b2Body* body, float omega);
bool setGravity(b2World* world, const b2Vec2& gravity);
bool setMouseTarget(b2MouseJoint* joint, const b2Vec2& target);

// Disables or re-enables a contact for the current step (contact hooks).
void setContactEnabled(b2Contact* contact, bool enabled);

// ---- Body and fixture flags (refused while the world is locked) ----
bool setSensor(b2Fixture* fixture, bool sensor);
bool setBullet(b2Body* body, bool bullet);
// Resets the body's mass data, so never inside a step.
bool setFixedRotation(b2Body* body, bool fixed);
// Also refuses a non-finite scale or one beyond kMaxGravity.
bool setGravityScale(b2Body* body, float scale);

// The contact's world-manifold normal (from fixture A to B), or (0, 0)
// without a contact or without manifold points: Box2D leaves the normal of
// a sensor contact unwritten.
b2Vec2 contactNormal(b2Contact* contact);

// ---- Shapes ----

// Box2D's own weld distance: points closer than this are one point.
constexpr float kWeldDistance = 0.0025f;
// Shortest hull edge accepted.
constexpr double kMinEdge = 0.005;
// The hull's area must exceed both kMinArea and kMinAreaRatio * longest edge².
constexpr double kMinArea = 1e-5;
constexpr double kMinAreaRatio = 1e-4;
// A shape's squared radius of gyration about its centroid must be at least
// this share of the centroid's squared distance from the body origin. Box2D
// shifts inertia to the origin and back in float; below this, the shift can
// cancel the inertia to zero and abort.
constexpr double kMinGyrationRatio = 1e-5;

// Whether b2PolygonShape::Set can take these points without aborting, with
// margins far above Box2D's own float checks:
//   3 <= count <= 8 and every coordinate finite (within kMaxCoordinate);
//   after welding points closer than kWeldDistance (the first one kept), the
//   convex hull has at least 3 vertices and every hull edge >= kMinEdge;
//   the hull area (in double) exceeds kMinArea and kMinAreaRatio * longest²;
//   the hull is not too small for its distance from the origin
//   (kMinGyrationRatio).
// On refusal, *reason (when given) says which rule failed.
bool validPolygon(const b2Vec2* points, int count, std::string* reason = nullptr);

// Sets the polygon from the points when validPolygon accepts them; otherwise
// logs, leaves the shape untouched and returns false. Never cuts the list:
// a caller with more than 8 points chooses which to pass.
bool setPolygon(b2PolygonShape* shape, const b2Vec2* points, int count);

// Whether a circle can be given to Box2D: centre and radius finite and within
// kMaxCoordinate, the radius not negative, and a circle with a radius not too
// small for its distance from the origin (kMinGyrationRatio, as polygons).
// On refusal, *reason (when given) says which rule failed.
bool validCircle(const b2Vec2& centre, float radius, std::string* reason = nullptr);

// Sets the circle when validCircle accepts it; otherwise logs, leaves the
// shape untouched and returns false.
bool setCircle(b2CircleShape* shape, const b2Vec2& centre, float radius);

// ---- User objects (stored in the pointer field of Box2D's user data) ----
// Read back with the same type that was stored.

template <class T>
void setUserObject(b2Body* body, T* object) {
    if (body) body->GetUserData().pointer = reinterpret_cast<uintptr_t>(object);
}
template <class T>
void setUserObject(b2Fixture* fixture, T* object) {
    if (fixture) fixture->GetUserData().pointer = reinterpret_cast<uintptr_t>(object);
}
template <class T>
void setUserObject(b2BodyDef& def, T* object) {
    def.userData.pointer = reinterpret_cast<uintptr_t>(object);
}
template <class T>
void setUserObject(b2FixtureDef& def, T* object) {
    def.userData.pointer = reinterpret_cast<uintptr_t>(object);
}

template <class T>
T* userObject(b2Body* body) {
    return body ? reinterpret_cast<T*>(body->GetUserData().pointer) : nullptr;
}
template <class T>
T* userObject(b2Fixture* fixture) {
    return fixture ? reinterpret_cast<T*>(fixture->GetUserData().pointer) : nullptr;
}
template <class T>
T* userObject(const b2BodyDef& def) {
    return reinterpret_cast<T*>(def.userData.pointer);
}
template <class T>
T* userObject(const b2FixtureDef& def) {
    return reinterpret_cast<T*>(def.userData.pointer);
}

// ---- Mouse joint ----

// A mouse joint definition (ground = body A, dragged body = body B) whose
// stiffness and damping come from b2LinearStiffness over the bodies' current
// masses. Connected bodies do not collide.
b2MouseJointDef mouseJointDef(b2Body* ground, b2Body* body, const b2Vec2& target, float maxForce, float frequencyHz,
                              float dampingRatio);

// Recomputes stiffness and damping from the bodies' current masses. Box2D 2.3
// did this every step; 2.4 keeps the values, so the owner calls this after a
// fixture swap changes the dragged body's mass.
bool setMouseJointSpring(b2MouseJoint* joint, float frequencyHz, float dampingRatio);

// ---- Queries ----

// World::RayCast, except that a ray whose ends coincide (or that has a
// non-finite coordinate, or one beyond kMaxCoordinate) reports no hit
// without reaching Box2D. Returns whether Box2D was asked.
bool rayCast(b2World* world, b2RayCastCallback* callback, const b2Vec2& p1, const b2Vec2& p2);

// The box of the fixture's first proxy, when the fixture exists and its body
// is enabled (a disabled body has no proxy). Otherwise false and the zero box.
bool fixtureBox(const b2Fixture* fixture, b2AABB& box);

// fixtureBox of the body's first fixture; false and the zero box for a null
// body or one without fixtures.
bool firstFixtureBox(const b2Body* body, b2AABB& box);

// ---- Debug drawing ----

// Box2D 2.4 added DrawPoint as a pure call; nothing here asks the world to
// draw points, so it draws nothing. Debug drawers derive from this.
class DrawBase : public b2Draw {
public:
    void DrawPoint(const b2Vec2& p, float size, const b2Color& color) override;
};

}  // namespace physics
