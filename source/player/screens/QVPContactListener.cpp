#include "player/screens/QVPContactListener.h"

#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPObjectAsset.h"

namespace {

QVPObjectAsset* objectOf(b2Fixture* fixture) {
    return static_cast<QVPObjectAsset*>(physics::userObject<QVPObject>(fixture));
}

// Runs `call(a, b)` then `call(b, a)` when both fixtures have an object.
template <class Call>
void dispatch(b2Contact* contact, Call call) {
    QVPObjectAsset* a = objectOf(contact->GetFixtureA());
    QVPObjectAsset* b = objectOf(contact->GetFixtureB());
    if (!a || !b) return;
    a->retain();
    b->retain();
    call(a, b);
    call(b, a);
    b->release();
    a->release();
}

}  // namespace

void QVPContactListener::BeginContact(b2Contact* contact) {
    dispatch(contact,
             [contact](QVPObjectAsset* self, QVPObjectAsset* other) { self->beginContact(other, contact, true); });
}

void QVPContactListener::EndContact(b2Contact* contact) {
    dispatch(contact, [contact](QVPObjectAsset* self, QVPObjectAsset* other) { self->endContact(other, contact); });
}

void QVPContactListener::PreSolve(b2Contact* contact, const b2Manifold* oldManifold) {
    if (!passesOneWayRule(contact)) {
        physics::setContactEnabled(contact, false);
        return;
    }
    dispatch(contact, [contact, oldManifold](QVPObjectAsset* self, QVPObjectAsset* other) {
        self->preSolve(other, contact, oldManifold);
    });
}

bool QVPContactListener::passesOneWayRule(b2Contact* contact) {
    b2Fixture* a = contact->GetFixtureA();
    b2Fixture* b = contact->GetFixtureB();
    const b2Filter& fa = a->GetFilterData();
    const b2Filter& fb = b->GetFilterData();
    b2Fixture* oneWay = nullptr;
    b2Fixture* other = nullptr;
    if (fa.maskBits == kOneWayMask && fb.categoryBits == kCharacterCategory) {
        oneWay = a;
        other = b;
    } else if (fb.maskBits == kOneWayMask && fa.categoryBits == kCharacterCategory) {
        oneWay = b;
        other = a;
    } else {
        return true;
    }
    QVPObject* holder = physics::userObject<QVPObject>(oneWay->GetBody());
    if (!holder) return true;

    // The rectangle is in the game field's points, as the bodies are (x 20):
    // compared as it stands, not relative to the holder, which would put the
    // frame around the world origin wherever the holder is.
    const cocos2d::CCRect r = holder->getBoundingRect();
    const b2Vec2 lower((r.origin.x - kFrameMargin) * kMetresPerPoint, (r.origin.y - kFrameMargin) * kMetresPerPoint);
    const b2Vec2 upper((r.origin.x - kFrameMargin + (r.size.width + 2.0f * kFrameMargin)) * kMetresPerPoint,
                       (r.origin.y - kFrameMargin + (r.size.height + 2.0f * kFrameMargin)) * kMetresPerPoint);
    b2AABB box;
    if (!physics::fixtureBox(other, box)) return false;
    return box.lowerBound.x >= lower.x && box.lowerBound.y >= lower.y && upper.x >= box.upperBound.x &&
           upper.y >= box.upperBound.y;
}
