// QVPContactListener: the game field's contact listener. It hands begin,
// end and pre-solve to both objects of a contact (first fixture's object
// first) and, before pre-solve, applies the one-way rule: a fixture whose
// mask is exactly the character category (2) touches a character fixture
// only while that fixture's box lies inside its holder's rectangle grown by
// 10 points; otherwise the contact is off for this step and nobody hears of
// the pre-solve.
// Guarantees: dispatch is one virtual call per object, no type test; a
// contact reaches the objects only when both fixtures carry one; both are
// retained for the dispatch, so a hook that drops the other object never
// leaves the second call with a freed one. The holder's rectangle
// (getBoundingRect of the one-way body's object) and the other fixture's box
// are compared in the same world space. A one-way fixture whose body has no
// object is treated as an ordinary one. Post-solve does nothing.
// Relies on: fixture user objects are QVPObjectAsset (the only class that
// gives bodies fixtures), stored as QVPObject*.
#pragma once

#include "physics/PhysicsGuard.h"

class QVPContactListener : public b2ContactListener {
public:
    // Filter values of the one-way rule.
    static constexpr uint16 kCharacterCategory = 0x0002;
    static constexpr uint16 kOneWayMask = 0x0002;
    // Points added on every side of the holder's rectangle.
    static constexpr float kFrameMargin = 10.0f;

    void BeginContact(b2Contact* contact) override;
    void EndContact(b2Contact* contact) override;
    void PreSolve(b2Contact* contact, const b2Manifold* oldManifold) override;

    // False when the contact is a one-way pair whose character fixture is
    // not inside the holder's grown rectangle.
    static bool passesOneWayRule(b2Contact* contact);
};
