#include "player/objects/QVPObjectAssetCharacter.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelPolygon.h"
#include "platform/QVLog.h"
#include "player/app/QVSound.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/screens/QVPGameFieldSettings.h"

using cocos2d::CCPoint;

namespace {

constexpr float kDragMaxForce = 10000.0f;
constexpr float kDragFrequency = 10.0f;
constexpr float kDragDamping = 1.0f;
constexpr float kSpinLimit = 5.0f;
constexpr float kHalfPi = 1.5707963f;

QVPGameFieldSettings* settings() { return QVPGameFieldSettings::shared(); }

b2Vec2 toMetres(const CCPoint& p) { return b2Vec2(p.x * kMetresPerPoint, p.y * kMetresPerPoint); }

// The nearest fixture that can carry the character: no sensors, no foreign
// fixtures, not the character itself, nothing destroyed by a touch.
class GroundRay : public b2RayCastCallback {
public:
    explicit GroundRay(const QVPObject* self) : m_self(self) {}

    float ReportFixture(b2Fixture* fixture, const b2Vec2&, const b2Vec2&, float fraction) override {
        if (fixture->IsSensor()) return -1.0f;
        auto* object = dynamic_cast<QVPObjectAsset*>(physics::userObject<QVPObject>(fixture));
        if (!object || object == m_self) return -1.0f;
        const int32_t destroy = object->destroyType();
        if (destroy == QVPObjectAsset::kDestroyCollision || destroy == QVPObjectAsset::kDestroyAllCollision) {
            return -1.0f;
        }
        hit = object;
        return fraction;
    }

    QVPObjectAsset* hit = nullptr;

private:
    const QVPObject* m_self;
};

}  // namespace

QVPObjectAssetCharacter::QVPObjectAssetCharacter(std::shared_ptr<QVModelObject> model)
    : QVPObjectAsset(std::move(model)) {
    setTypeFlags(kTypeCharacter);
    m_active = true;
    m_collisionType = kCharacterCollision;
    m_destroyType = kDestroyEnemyCollision;
    m_movesLinearly = false;
    if (auto asset = characterAsset()) {
        if (auto gameplay = asset->findComponent<QVModelComponentCharacterGameplaySettings>()) {
            settings()->applyCharacterSettings(gameplay);
        }
    }
    createAnimations();
}

QVPObjectAssetCharacter::QVPObjectAssetCharacter(std::shared_ptr<QVModelObject> model, BareTag)
    : QVPObjectAsset(std::move(model)) {
    setTypeFlags(kTypeCharacter);
}

QVPObjectAssetCharacter::~QVPObjectAssetCharacter() {
    // The anchor goes first, taking the joint; the asset destroys the body.
    destroyDrag();
    releaseAnimations();
    if (m_shootSound) m_shootSound->stop();
    m_shootSound.reset();
    m_powerups.clear();
    if (m_gun) {
        m_gun->removeFromParentAndCleanup(true);
        m_gun->release();
        m_gun = nullptr;
    }
}

QVPObjectAsset* QVPObjectAssetCharacter::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetCharacter(model);
}

std::shared_ptr<QVModelAssetCharacter> QVPObjectAssetCharacter::characterAsset() const {
    auto placed = modelKindCast<QVModelObjectAsset>(m_model);
    return placed ? modelCast<QVModelAssetCharacter>(placed->asset()) : nullptr;
}

void QVPObjectAssetCharacter::playOnce(const std::shared_ptr<QVModelSound>& sound) {
    if (!sound) return;
    auto* instance = new QVSound(sound, kSceneSounds);
    instance->setAutoRelease(true);
    instance->play(false, false);
}

// ---------------------------------------------------------------- body

void QVPObjectAssetCharacter::createBody(b2World* world, bool skipStill) {
    QVPObjectAsset::createBody(world, skipStill);
    if (!m_body) return;
    physics::setType(m_body, b2_dynamicBody);
    if (b2Fixture* fixture = m_body->GetFixtureList()) {
        b2FixtureDef def;
        applyCharacterFilter(def);
        fixture->SetFilterData(def.filter);
        fixture->SetSensor(false);
    }
    m_body->SetFixedRotation(settings()->fixedRotation());
    m_targetPosition = getPosition();
    if (isDirectMovement() && !m_dragGround) {
        m_dragGround = physics::createBody(world, b2BodyDef());
        if (m_dragGround) {
            const b2MouseJointDef def = physics::mouseJointDef(m_dragGround, m_body, toMetres(m_targetPosition),
                                                               kDragMaxForce, kDragFrequency, kDragDamping);
            m_dragJoint = static_cast<b2MouseJoint*>(physics::createJoint(world, def));
        }
    }
    buildGun(world);
}

void QVPObjectAssetCharacter::destroyDrag() {
    b2Body* ground = m_dragGround;
    m_dragGround = nullptr;
    m_dragJoint = nullptr;
    if (ground && !physics::destroyBody(ground->GetWorld(), ground)) {
        logMessage("[QVPObjectAssetCharacter] drag anchor of object %d left in its world", getTag());
    }
}

void QVPObjectAssetCharacter::detachBody() {
    // Called while the world still exists (its teardown, or a finished
    // character leaving it): the anchor goes with the body. Box2D keeps the
    // body list walkable when a body other than the walked one is destroyed.
    destroyDrag();
    QVPObjectAsset::detachBody();
}

void QVPObjectAssetCharacter::fixtureReplaced() {
    if (m_dragJoint) physics::setMouseJointSpring(m_dragJoint, kDragFrequency, kDragDamping);
}

std::shared_ptr<QVModelPolygon> QVPObjectAssetCharacter::currentAnimationShape() const { return currentShape(); }

b2AABB QVPObjectAssetCharacter::getBodyAABB() {
    b2AABB box;
    box.lowerBound.SetZero();
    box.upperBound.SetZero();
    if (!m_body || !m_body->IsEnabled() || !physics::firstFixtureBox(m_body, box)) return box;
    if (m_dragJoint) {
        const b2Vec2 shift = m_dragJoint->GetTarget() - m_body->GetWorldCenter();
        box.lowerBound += shift;
        box.upperBound += shift;
    }
    return box;
}

void QVPObjectAssetCharacter::setBodyPosition(float x, float y) {
    if (!m_body) return;
    const b2Vec2 target = toMetres(CCPoint(x, y));
    const b2Vec2 shift = target - m_body->GetPosition();
    if (!physics::setTransform(m_body, target, m_body->GetAngle())) return;
    for (b2JointEdge* edge = m_body->GetJointList(); edge; edge = edge->next) {
        b2Body* other = edge->other;
        physics::setTransform(other, other->GetPosition() + shift, other->GetAngle());
    }
}

void QVPObjectAssetCharacter::setBodyVelocity(float x, float y) {
    if (isDirectMovement()) {
        move(x, y);
    } else if (m_body) {
        physics::setLinearVelocity(m_body, b2Vec2(x, y));
    }
}

bool QVPObjectAssetCharacter::isDirectMovement() const { return settings()->fixedPosition(); }

void QVPObjectAssetCharacter::setControllable(bool controllable) {
    QVPObjectAsset::setControllable(controllable);
    if (!isDirectMovement() || !m_dragJoint) return;
    if (controllable) {
        m_targetPosition = getPosition();
        m_dragJoint->SetMaxForce(kDragMaxForce);
    } else {
        m_dragJoint->SetMaxForce(0.0f);
    }
}

// ---------------------------------------------------------------- controls

void QVPObjectAssetCharacter::jump() {
    const QVPGameFieldSettings* s = settings();
    if (s->upForceFromGround() && !isOnGround() && m_jumpCount == 0) return;
    const float counter = s->upForceCounter();
    if (counter > 0.0f && static_cast<float>(m_jumpCount) >= counter) return;
    if (s->upForce().getLength() == 0.0f) return;
    ++m_jumpCount;
    m_controlBits |= kBitJumping;
    m_jumpTimer = 0.0f;
    if (auto asset = characterAsset()) playOnce(asset->jumpSound());
    if (m_controllable) setState(kStateJumping);
    const CCPoint& bounce = s->bounceForce();
    if (bounce.x != 0.0f && bounce.y != 0.0f) m_controlBits &= ~kBitOnGround;
}

void QVPObjectAssetCharacter::releaseJump() { m_controlBits &= ~kBitJumping; }
void QVPObjectAssetCharacter::startRotateLeft() { m_controlBits |= kBitRotateLeft; }
void QVPObjectAssetCharacter::stopRotateLeft() { m_controlBits &= ~kBitRotateLeft; }
void QVPObjectAssetCharacter::startRotateRight() { m_controlBits |= kBitRotateRight; }
void QVPObjectAssetCharacter::stopRotateRight() { m_controlBits &= ~kBitRotateRight; }

void QVPObjectAssetCharacter::setDirectionX(float x) {
    if (m_controllable) m_direction.x = x;
}

void QVPObjectAssetCharacter::setDirectionY(float y) {
    if (m_controllable) m_direction.y = y;
}

void QVPObjectAssetCharacter::move(float dx, float dy) {
    const CCPoint& m = settings()->moveSpeed();
    if (!isDirectMovement()) {
        setDirection(m.x * dx + m_direction.x, m.y * dy + m_direction.y);
        return;
    }
    m_targetPosition = m_targetPosition + CCPoint(m.x * dx, m.y * dy);
    if (dx == 0.0f && dy == 0.0f) {
        m_controlBits &= ~kBitMoving;
        setState(kStateIdle);
    } else {
        m_controlBits |= kBitMoving;
        setState(kStateMoving);
    }
}

void QVPObjectAssetCharacter::setDirection(float x, float y) {
    if (m_typeFlags & kTypeHeldByPath) return;
    m_direction = CCPoint(x, y);
    if (!(m_direction.getLength() > 0.0f)) {
        m_controlBits &= ~kBitMoving;
        setState(kStateIdle);
        return;
    }
    m_controlBits |= kBitMoving;
    setState(kStateMoving);
    if (!settings()->autoImageDirection()) return;
    const float s = getScaleX();
    if (!((x > 0.1f && s < 0.0f) || (x < -0.1f && s > 0.0f))) return;
    setScaleX(-s);
    if (!m_body) return;
    std::shared_ptr<QVModelPolygon> shape = currentAnimationShape();
    if (!shape && m_model) shape = m_model->collisionShape();
    replaceFixture(shape, builderMaterial());
}

// ---------------------------------------------------------------- contacts

void QVPObjectAssetCharacter::beginContact(QVPObject* other, b2Contact* contact, bool flag) {
    QVPObjectAsset::beginContact(other, contact, flag);
    if (m_state == kStateDying || m_state == kStateFinished) return;
    auto* asset = dynamic_cast<QVPObjectAsset*>(other);
    if (asset && (m_destroyType != kDestroyNo || asset->destroyType() != kDestroyNo)) {
        applyContactDamage(this, asset);
    }
}

void QVPObjectAssetCharacter::preSolve(QVPObject* other, b2Contact* contact, const b2Manifold*) {
    if (!contact) return;
    if (other) {
        const uint32_t both = kTypeCharacter | kTypeUnit;
        if ((other->typeFlags() & both) == both || other->isSpawner()) physics::setContactEnabled(contact, false);
    }
    // A sensor contact has no points and Box2D leaves the normal unwritten.
    b2WorldManifold manifold;
    manifold.normal.SetZero();
    if (contact->GetManifold()->pointCount > 0) contact->GetWorldManifold(&manifold);
    contact->SetFriction(settings()->platformFriction() * (1.0f - std::fabs(manifold.normal.x)));
}

// ---------------------------------------------------------------- ground

void QVPObjectAssetCharacter::checkGround() {
    if (!m_body || !m_body->IsEnabled()) return;
    if (m_controlBits & kBitJumping) {
        m_controlBits &= ~kBitOnGround;
        return;
    }
    b2AABB box;
    b2World* world = m_body->GetWorld();
    if (!world || !physics::firstFixtureBox(m_body, box)) {
        m_controlBits &= ~kBitOnGround;
        return;
    }
    const float t = settings()->jumpGroundThreshold();
    const b2Vec2 lower = box.lowerBound;
    const b2Vec2 upper = box.upperBound;
    GroundRay ray(this);
    physics::rayCast(world, &ray, b2Vec2(lower.x, lower.y + t), b2Vec2(upper.x, lower.y - t));
    if (!ray.hit) physics::rayCast(world, &ray, b2Vec2(upper.x, lower.y + t), b2Vec2(lower.x, lower.y - t));
    QVPObjectAsset* ground = ray.hit;
    if (!ground) {
        m_controlBits &= ~kBitOnGround;
        return;
    }
    ground->retain();
    ground->beginContact(this, nullptr, false);
    if (ground->isGround() && ground->collisionType() == kCharacterCollision &&
        ground->objectType() != kObjectDecoration) {
        beginContact(ground, nullptr, false);
        setOnGround(true);
    }
    ground->release();
}

void QVPObjectAssetCharacter::setOnGround(bool onGround) {
    if (!onGround) {
        m_controlBits &= ~kBitOnGround;
        return;
    }
    if (isOnGround()) return;
    m_jumpCount = 0;
    if (m_state != kStateDying) {
        if (auto asset = characterAsset()) playOnce(asset->groundCollision());
        if (settings()->bounceForce().getLength() > 0.0f) {
            m_controlBits |= kBitBounce;
            m_controlBits &= ~kBitJumping;
        }
        setState((m_controlBits & kBitMoving) ? kStateMoving : kStateIdle);
    }
    m_controlBits |= kBitOnGround;
}

// ---------------------------------------------------------------- update

void QVPObjectAssetCharacter::update(float dt) {
    if (m_body) {
        const b2Vec2& position = m_body->GetPosition();
        setPosition(CCPoint(position.x / kMetresPerPoint, position.y / kMetresPerPoint));
        setRotation(-(m_body->GetAngle() * kRadiansToDegrees));
    }
    QVPObject::update(dt);
    if (isFixtureSwapPending()) refreshFixture();
    m_frameVelocity = CCPoint(0.0f, 0.0f);
    const QVPGameFieldSettings* s = settings();

    if (m_body) {
        if (m_controlBits & kBitJumping) {
            const CCPoint& up = s->upForce();
            physics::setLinearVelocity(m_body, b2Vec2(m_body->GetLinearVelocity().x, up.y));
            m_frameVelocity = m_frameVelocity + up;
            m_jumpTimer += dt;
            if (m_jumpTimer >= s->upForceDuration()) m_controlBits &= ~kBitJumping;
        }
        if (m_controlBits & kBitBounce) {
            physics::setLinearVelocity(m_body, b2Vec2(s->bounceForce().x, s->bounceForce().y));
            m_controlBits &= ~(kBitJumping | kBitBounce);
        }
        if (!isDirectMovement()) checkGround();
        applyRotation();
        if (isDirectMovement()) {
            applyDirectMovement(dt);
        } else {
            applyVelocityMovement();
        }
    }
    fallThrough();

    const CCPoint& bounce = s->bounceForce();
    if (bounce.x != m_lastBounceForce.x || bounce.y != m_lastBounceForce.y) {
        m_lastBounceForce = bounce;
        m_controlBits &= ~kBitOnGround;
    }
    if (m_body && m_body->IsFixedRotation() != s->fixedRotation()) {
        m_body->SetFixedRotation(s->fixedRotation());
        if (s->fixedRotation()) {
            const float angle = m_model ? -(m_model->rotation(0.0f, 0) * kDegreesToRadians) : 0.0f;
            physics::setTransform(m_body, m_body->GetPosition(), angle);
        }
    }
}

void QVPObjectAssetCharacter::applyRotation() {
    const QVPGameFieldSettings* s = settings();
    float w = m_body->GetAngularVelocity();
    const bool left = (m_controlBits & kBitRotateLeft) != 0;
    const bool right = (m_controlBits & kBitRotateRight) != 0;
    if (left && w > -kSpinLimit) {
        w += s->leftLeanForce() * m_leanFactor;
        physics::setAngularVelocity(m_body, w);
    }
    if (right && w < kSpinLimit) {
        w -= s->rightLeanForce() * m_leanFactor;
        physics::setAngularVelocity(m_body, w);
    }
    if (!left && !right) physics::setAngularVelocity(m_body, w * s->rotationScale());
}

void QVPObjectAssetCharacter::applyDirectMovement(float dt) {
    const QVPGameFieldSettings* s = settings();
    if (s->forcedMovement()) {
        const CCPoint d = s->gameplayDirection();
        const float g = s->gameSpeed();
        const CCPoint& m = s->moveSpeed();
        m_targetPosition = CCPoint(g * d.x * dt * 60.0f + m.x * m_direction.x + m_targetPosition.x,
                                   g * d.y * dt * 60.0f + m.y * m_direction.y + m_targetPosition.y);
    }
    if (m_dragJoint) physics::setMouseTarget(m_dragJoint, toMetres(m_targetPosition));
    auto asset = characterAsset();
    if (!asset || !asset->autoTilt()) return;
    const float vx = std::clamp(m_body->GetLinearVelocity().x, -20.0f, 20.0f);
    m_tiltAngle = m_tiltAngle * 0.4f + (vx / -20.0f * kHalfPi) * 0.6f;
    physics::setAngularVelocity(m_body, (m_tiltAngle - m_body->GetAngle()) * 20.0f);
}

void QVPObjectAssetCharacter::applyVelocityMovement() {
    const QVPGameFieldSettings* s = settings();
    const CCPoint& m = s->moveSpeed();
    const float g = s->gameSpeed();
    if (g != 0.0f && s->forcedMovement()) m_frameVelocity = m_frameVelocity + s->gameplayDirection() * g;
    m_frameVelocity =
        CCPoint(m_direction.x * m.x * 1.25f + m_frameVelocity.x, m_frameVelocity.y + m.y * m_direction.y * 1.25f);
    b2Vec2 v = m_body->GetLinearVelocity() + b2Vec2(m_frameVelocity.x, m_frameVelocity.y);
    if (m.x > 0.0f) v.x = std::clamp(v.x, -m.x, m.x);
    if (m.y > 0.0f) v.y = std::clamp(v.y, -m.y, m.y);
    if (!isOnGround()) {
        const CCPoint& f = s->characterFriction();
        v = b2Vec2(v.x * f.x, v.y * f.y);
    }
    physics::setLinearVelocity(m_body, v);
}

void QVPObjectAssetCharacter::fallThrough() {
    if (m_fallRequested) {
        m_fallRequested = false;
        if (m_body) {
            if (b2Fixture* fixture = m_body->GetFixtureList()) fixture->SetSensor(true);
            const auto asset = characterAsset();
            const float fall = asset ? asset->fallAttribute() : 0.0f;
            physics::setLinearVelocity(m_body, b2Vec2(0.0f, fall * 20.0f));
            for (b2JointEdge* edge = m_body->GetJointList(); edge; edge = edge->next) {
                if (b2Fixture* fixture = edge->other->GetFixtureList()) fixture->SetSensor(true);
            }
        }
    }
    if (m_killRequested) {
        m_killRequested = false;
        setState(kStateDying);
    }
}
