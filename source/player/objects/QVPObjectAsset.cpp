#include "player/objects/QVPObjectAsset.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "base/CCArray.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVNeutralRead.h"
#include "platform/QVLog.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVSound.h"
#include "player/app/QVUtilities.h"
#include "player/objects/QVComponent.h"
#include "player/objects/QVComponentHealth.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/screens/QVPGameFieldSettings.h"

using cocos2d::CCAffineTransform;
using cocos2d::CCNode;
using cocos2d::CCObject;
using cocos2d::CCPoint;

namespace {

// Model velocities are in points per 1/32 s.
constexpr float kVelocityUnit = 32.0f;
// Owner tag of the game scene's sounds.
constexpr unsigned int kSceneSoundOwner = 1;

// The settings are read afresh: the instance may be replaced between scenes.
QVPGameFieldSettings* settings() { return QVPGameFieldSettings::shared(); }

bool isInvincibleCharacter(const QVPObjectAsset* object) {
    auto* character = dynamic_cast<const QVPObjectAssetCharacter*>(object);
    return character && character->isInvincible();
}

}  // namespace

QVPObjectAsset::QVPObjectAsset(std::shared_ptr<QVModelObject> model)
    : QVPObject(std::move(model)), m_currentAnimation(m_animations.end()) {
    if (!m_model) return;
    setPosition(m_model->position(0.0f, 0));
    setRotation(m_model->rotation(0.0f, 0));
    const CCPoint scale = m_model->scale(0.0f, 0);
    setScale(scale.x, scale.y);

    auto placed = modelKindCast<QVModelObjectAsset>(m_model);
    if (!placed) return;
    if (auto sound = placed->idleSound()) m_idleSound = std::make_unique<QVSound>(sound, kSceneSoundOwner);
    if (auto asset = placed->asset()) {
        for (const auto& component : asset->components()) appendComponent(QVComponent::create(component));
    }
}

QVPObjectAsset::~QVPObjectAsset() {
    setState(kStateFinished);
    destroyOwnBody();
    if (m_idleSound) m_idleSound->stop();
    m_idleSound.reset();
    m_eventCallbacks.clear();
    m_attachedAnimations.clear();
    m_animations.clear();
}

void QVPObjectAsset::destroyOwnBody() {
    if (!m_body) return;
    b2Body* body = m_body;
    m_body = nullptr;
    // Cleared first: the contacts the destruction ends must not reach (and
    // retain) this dying object.
    physics::setUserObject<QVPObject>(body, nullptr);
    for (b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext()) {
        physics::setUserObject<QVPObject>(fixture, nullptr);
    }
    if (physics::destroyBody(body->GetWorld(), body)) return;
    logMessage("[QVPObjectAsset] body of object %d left in its world", getTag());
}

// ---------------------------------------------------------------- state

void QVPObjectAsset::setState(int32_t state) {
    QVPObject::setState(state);
    if (state != kStateIdle && m_idleSound) m_idleSound->stop();
    if (state == kStateDying && getChildrenCount() > 0) {
        std::vector<QVPObject*> children;
        for (CCObject* child : getChildren()->data()) {
            if (auto* object = dynamic_cast<QVPObject*>(child)) {
                object->retain();
                children.push_back(object);
            }
        }
        for (QVPObject* child : children) child->setState(kStateDying);
        for (QVPObject* child : children) child->release();
    }
    if (state == kStateFinished) {
        // Taken out first, so a callback that ends another object (or this
        // one again) never fires an entry twice.
        std::vector<EventEntry> callbacks;
        callbacks.swap(m_eventCallbacks);
        for (const EventEntry& entry : callbacks) {
            if (entry.kind == kEventFinished && entry.target && entry.callback) entry.callback(this);
        }
    }
}

void QVPObjectAsset::addEventCallback(int32_t kind, QVPObject* target, EventCallback callback) {
    m_eventCallbacks.push_back(EventEntry{kind, target, std::move(callback)});
}

void QVPObjectAsset::removeEventCallback(QVPObject* target) {
    auto found = std::find_if(m_eventCallbacks.begin(), m_eventCallbacks.end(),
                              [target](const EventEntry& entry) { return entry.target == target; });
    if (found != m_eventCallbacks.end()) m_eventCallbacks.erase(found);
}

void QVPObjectAsset::beginContact(QVPObject* other, b2Contact*, bool) {
    const std::vector<EventEntry> callbacks = m_eventCallbacks;
    for (const EventEntry& entry : callbacks) {
        if (entry.kind == kEventContact && entry.target && entry.callback) entry.callback(other);
    }
}

void QVPObjectAsset::endContact(QVPObject*, b2Contact*) {}

void QVPObjectAsset::preSolve(QVPObject*, b2Contact*, const b2Manifold*) {}

void QVPObjectAsset::setDirection(float x, float y) {
    const float length = m_velocity.getLength();
    m_velocity = CCPoint(x * length, y * length);
}

void QVPObjectAsset::setActionPressed(bool pressed) {
    m_actionPressed = pressed;
    if (m_restartOnPress) m_spawnTimer = 0.0f;
}

// ---------------------------------------------------------------- body

void QVPObjectAsset::createBody(b2World* world, bool skipStill) {
    if (!world || m_body || !m_model) return;
    if (getScaleX() == 0.0f || getScaleY() == 0.0f) return;
    const bool still = m_collisionType == kNoCollision && m_destroyType == kDestroyNo &&
                       m_velocity.getLengthSq() == 0.0f && m_angularSpeed == 0.0f && m_movesLinearly && !isSpawner();
    if (skipStill && still) return;

    b2BodyDef bodyDef;
    bodyDef.type = b2_staticBody;
    const CCAffineTransform t = nodeToParentTransform();
    bodyDef.position.Set(t.tx * kMetresPerPoint, t.ty * kMetresPerPoint);
    bodyDef.angle = -(getRotation() * kDegreesToRadians);

    const std::shared_ptr<QVModelPolygon> shape = m_model->collisionShape();
    if (!shape || shape->isEmpty()) return;
    QVFixtureDef fixture = shape->createFixtureShape(getScaleX(), getScaleY());
    if (!fixture.hasShape()) return;
    fixture.def.density = 0.1f;
    fixture.def.friction = settings()->friction();
    fixture.def.restitution = settings()->restitution();
    fixture.def.isSensor = m_collisionType == kNoCollision;
    if (m_typeFlags & kTypeCharacter) applyCharacterFilter(fixture.def);
    physics::setUserObject<QVPObject>(fixture.def, this);

    b2Body* body = physics::createBody(world, bodyDef);
    if (!body) return;
    b2Fixture* made = physics::createFixture(body, fixture.def);
    if (!made) {
        physics::destroyBody(world, body);
        return;
    }
    body->SetSleepingAllowed(false);
    physics::setUserObject<QVPObject>(body, this);
    m_body = body;
    m_fixture = made;
}

void QVPObjectAsset::createSensorBody(b2World* world, bool skipStill) {
    QVPObjectAsset::createBody(world, skipStill);
    if (!m_body) return;
    physics::setType(m_body, b2_dynamicBody);
    if (b2Fixture* fixture = m_body->GetFixtureList()) physics::setSensor(fixture, true);
    physics::setGravityScale(m_body, 0.0f);
}

void QVPObjectAsset::applyCharacterFilter(b2FixtureDef& def) {
    def.isSensor = false;
    def.filter.categoryBits = 0x0002;
    def.filter.maskBits = 0x0001;
    def.filter.groupIndex = -1;
}

QVPObjectAsset::FixtureMaterial QVPObjectAsset::ownShapeMaterial() {
    return FixtureMaterial{0.1f, settings()->friction(), settings()->restitution()};
}

b2Fixture* QVPObjectAsset::currentFixture() const {
    if (!m_body || !m_fixture) return nullptr;
    for (b2Fixture* fixture = m_body->GetFixtureList(); fixture; fixture = fixture->GetNext()) {
        if (fixture == m_fixture) return fixture;
    }
    return nullptr;
}

bool QVPObjectAsset::replaceFixture(const std::shared_ptr<QVModelPolygon>& shape, const FixtureMaterial& material) {
    if (!m_body) return false;
    if (m_body->GetWorld()->IsLocked()) {
        m_fixtureStale = true;
        m_hasPendingSwap = true;
        m_pendingShape = shape;
        m_pendingMaterial = material;
        return false;
    }
    // The new definition first: a shape that gives none keeps the fixture.
    QVFixtureDef fixture;
    if (shape) fixture = shape->createFixtureShape(getScaleX(), getScaleY());
    if (!fixture.hasShape()) {
        logMessage("[QVPObjectAsset] no fixture shape for model %u, keeping the current fixture",
                   m_model ? static_cast<unsigned>(m_model->id()) : 0u);
        return false;
    }
    physics::setUserObject<QVPObject>(fixture.def, this);
    fixture.def.density = material.density;
    fixture.def.friction = material.friction;
    fixture.def.restitution = material.restitution;
    b2Fixture* old = currentFixture();
    if (old) {
        fixture.def.filter = old->GetFilterData();
        fixture.def.isSensor = old->IsSensor();
    } else if (m_typeFlags & kTypeCharacter) {
        applyCharacterFilter(fixture.def);
    } else {
        fixture.def.isSensor = m_collisionType == kNoCollision || isSpawner();
    }
    b2Fixture* made = physics::createFixture(m_body, fixture.def);
    if (!made) return false;
    if (old) physics::destroyFixture(m_body, old);
    m_fixture = made;
    fixtureReplaced();
    return true;
}

void QVPObjectAsset::refreshFixture() {
    m_fixtureStale = false;
    if (!m_body) return;
    if (m_body->GetWorld()->IsLocked()) {
        m_fixtureStale = true;
        return;
    }
    if (m_hasPendingSwap) {
        m_hasPendingSwap = false;
        const std::shared_ptr<QVModelPolygon> shape = std::move(m_pendingShape);
        m_pendingShape.reset();
        replaceFixture(shape, m_pendingMaterial);
        return;
    }
    if (m_currentAnimation != m_animations.end()) {
        if (m_currentAnimation->second.shape) replaceFixture(m_currentAnimation->second.shape, builderMaterial());
    } else if (m_animations.empty() && m_model) {
        if (auto shape = m_model->collisionShape()) replaceFixture(shape, ownShapeMaterial());
    }
}

// ---------------------------------------------------------------- animations

int32_t QVPObjectAsset::currentPriority() const {
    return m_currentAnimation == m_animations.end() ? -1 : m_currentAnimation->first;
}

QVPAnimationObject* QVPObjectAsset::currentAnimation() const {
    return m_currentAnimation == m_animations.end() ? nullptr : m_currentAnimation->second.animation;
}

std::shared_ptr<QVModelPolygon> QVPObjectAsset::currentShape() const {
    return m_currentAnimation == m_animations.end() ? nullptr : m_currentAnimation->second.shape;
}

void QVPObjectAsset::addAnimation(int32_t priority, QVPAnimationObject* animation,
                                  std::shared_ptr<QVModelPolygon> shape) {
    if (!animation && !shape) return;
    if (animation && animation->getParent() != this) {
        animation->retain();
        animation->removeFromParentAndCleanup(false);
        addChild(animation);
        animation->release();
    }
    const bool hasShape = shape != nullptr;
    auto entry = m_animations.emplace(priority, AnimationEntry{animation, std::move(shape)});
    if (m_currentAnimation != m_animations.end() && m_currentAnimation->first < priority) {
        if (animation) animation->setVisible(false);
    } else {
        if (CCNode* previous = currentAnimation()) previous->setVisible(false);
        m_currentAnimation = entry;
        if (animation && priority != kPriorityRotationMapper) animation->restart();
        if (hasShape) refreshFixture();
    }
    setVisible(isVisible());
}

void QVPObjectAsset::removeAnimation(int32_t priority, QVPAnimationObject* animation,
                                     std::shared_ptr<QVModelPolygon> shape) {
    if (!animation && !shape) return;
    auto range = m_animations.equal_range(priority);
    auto found = std::find_if(range.first, range.second, [&](const AnimationTable::value_type& entry) {
        return entry.second.animation == animation && entry.second.shape == shape;
    });
    if (found == range.second) return;
    const bool wasCurrent = found == m_currentAnimation;
    if (animation && animation->getParent() == this) removeChild(animation);
    m_animations.erase(found);
    if (wasCurrent) {
        m_currentAnimation = m_animations.end();
        if (!m_animations.empty()) {
            for (int32_t p = kPriorityPowerup; p <= kPriorityMove; ++p) {
                auto entries = m_animations.equal_range(p);
                if (entries.first != entries.second) {
                    m_currentAnimation = std::prev(entries.second);
                    break;
                }
            }
            // Only damage entries (or unusual priorities) left: the last
            // entry of the smallest priority, so one entry is always shown.
            if (m_currentAnimation == m_animations.end()) {
                m_currentAnimation = std::prev(m_animations.upper_bound(m_animations.begin()->first));
            }
            QVPAnimationObject* shown = m_currentAnimation->second.animation;
            if (shown && m_currentAnimation->first != kPriorityRotationMapper) shown->restart();
        }
        if (m_animations.empty() || m_currentAnimation->second.shape) refreshFixture();
    }
    setVisible(isVisible());
}

void QVPObjectAsset::attachAnimation(QVPAnimationObject* animation) {
    if (!animation || m_attachedAnimations.count(animation)) return;
    if (animation->getParent() != this) {
        animation->retain();
        animation->removeFromParentAndCleanup(false);
        addChild(animation);
        animation->release();
    }
    animation->restart();
    animation->setVisible(true);
    m_attachedAnimations.insert(animation);
}

void QVPObjectAsset::detachAnimation(QVPAnimationObject* animation) {
    auto found = m_attachedAnimations.find(animation);
    if (found == m_attachedAnimations.end()) return;
    if (animation->getParent() == this) removeChild(animation);
    m_attachedAnimations.erase(found);
}

void QVPObjectAsset::setVisible(bool visible) {
    QVPObject::setVisible(visible);
    QVPAnimationObject* shown = currentAnimation();
    if (shown && shown->isVisible() != visible) shown->setVisible(visible);
}

// ---------------------------------------------------------------- update

void QVPObjectAsset::update(float dt) {
    QVPObject::update(dt);
    if (m_fixtureStale) refreshFixture();
    updateSoundVolume(dt);
    if (!m_body) return;

    if (!m_active && distanceAlongGameDirection() < wakeUpDistance()) activate();
    if (!m_stopped && m_sleepMode == 1 && sleepDistance() < m_travelledDistance) m_stopped = true;
    if (m_stopped && m_body->GetType() != b2_staticBody) {
        physics::setLinearVelocity(m_body, b2Vec2(0.0f, 0.0f));
        physics::setAngularVelocity(m_body, 0.0f);
    }

    if (!m_movementDisabled) {
        if (m_movesLinearly) {
            if (m_active && !m_stopped && m_controllable) {
                const float angle = -(getRotation() * kDegreesToRadians);
                const float c = std::cos(angle);
                const float s = std::sin(angle);
                const CCPoint v(m_velocity.x * c - m_velocity.y * s, m_velocity.x * s + m_velocity.y * c);
                m_travelledDistance += v.getLength() * dt * kVelocityUnit;
                physics::setLinearVelocity(
                    m_body, b2Vec2(v.x * kMetresPerPoint * kVelocityUnit, v.y * kMetresPerPoint * kVelocityUnit));
                physics::setAngularVelocity(m_body, m_angularSpeed * 0.03125f);
            } else {
                m_travelledDistance += (m_body->GetLinearVelocity().Length() / kMetresPerPoint) * dt;
            }
        }
        const b2Vec2& position = m_body->GetPosition();
        setPosition(CCPoint(position.x / kMetresPerPoint, position.y / kMetresPerPoint));
        setRotation(-(m_body->GetAngle() * kRadiansToDegrees));
    } else if (m_gameLayer) {
        const CCAffineTransform t =
            cocos2d::CCAffineTransformConcat(nodeToWorldTransform(), m_gameLayer->worldToNodeTransform());
        physics::setTransform(m_body, b2Vec2(t.tx * kMetresPerPoint, t.ty * kMetresPerPoint), std::atan2(t.b, t.a));
    }

    if (m_body->GetType() != b2_staticBody) {
        const float scale = settings()->velocityScale();
        const b2Vec2 v = m_body->GetLinearVelocity();
        physics::setLinearVelocity(m_body, b2Vec2(v.x * scale, v.y * scale));
    }

    if (m_killRequested) {
        m_killRequested = false;
        setState(kStateDying);
    }
}

// ---------------------------------------------------------------- distances

CCPoint QVPObjectAsset::positionInGameLayer() {
    CCNode* parent = getParent();
    if (!parent || !m_gameLayer || parent == m_gameLayer) return getPosition();
    return m_gameLayer->convertToNodeSpace(parent->convertToWorldSpace(getPosition()));
}

namespace {

// Signed distance from `from` to the foot of `point` on the gameplay line
// through it: positive ahead.
float distanceAlong(const CCPoint& from, const CCPoint& point) {
    const CCPoint d = settings()->gameplayDirection();
    const CCPoint a = from - d * 10000.0f;
    const CCPoint b = from + d * 10000.0f;
    const CCPoint foot = closestPointOnLine(a.x, a.y, b.x, b.y, point.x, point.y);
    const CCPoint offset = foot - from;
    const float distance = offset.getLength();
    return offset.normalize().fuzzyEquals(d, 0.05f) ? distance : -distance;
}

}  // namespace

float QVPObjectAsset::distanceAlongGameDirection() {
    return distanceAlong(QVPInputController::shared()->charactersPosition(), positionInGameLayer());
}

float QVPObjectAsset::distanceFromScreenCentre() {
    if (!m_gameLayer) return 0.0f;
    const cocos2d::CCSize window = cocos2d::CCDirector::sharedDirector()->getWinSize();
    const CCPoint centre = CCPoint(window.width * 0.5f, window.height * 0.5f) - m_gameLayer->getPosition();
    return distanceAlong(centre, positionInGameLayer());
}

void QVPObjectAsset::updateSoundVolume(float dt) {
    if (!m_idleSound || !m_gameLayer) return;
    const float range = cocos2d::CCDirector::sharedDirector()->getWinSize().width * 0.5f + 300.0f;
    const float away = std::fabs(distanceFromScreenCentre());
    // Written so that a NaN distance gives silence.
    float volume = away <= range ? 1.0f - away / range : 0.0f;
    if (!QVPInputController::shared()->hasLiveCharacters()) volume = std::max(0.0f, m_idleSound->getVolume() - dt);

    bool playing = m_idleSound->state() == QVSound::kPlaying;
    if (!playing && volume > 0.0f && m_state == kStateIdle) {
        m_idleSound->play(true, false);
        playing = m_idleSound->state() == QVSound::kPlaying;
    } else if (playing && volume == 0.0f) {
        m_idleSound->stop();
        playing = false;
    }
    if (playing) m_idleSound->setVolume(volume);
}

// ---------------------------------------------------------------- damage

void QVPObjectAsset::applyContactDamage(QVPObjectAsset* a, QVPObjectAsset* b) {
    if (!a || !b || a->isSpawner() || b->isSpawner() || a->getState() == kStateDying) return;
    auto placed = modelKindCast<QVModelObjectAsset>(a->m_model);
    const std::shared_ptr<QVModelAsset> asset = placed ? placed->asset() : nullptr;
    if (!asset) return;

    int damage = 1;
    float delay = 0.0f;
    if (auto component = asset->findComponent<QVModelComponentDamage>()) {
        damage = component->damage();
        delay = qvread::value(component->damageDelayAttribute());
    } else if (modelCast<QVModelAssetCharacter>(asset)) {
        damage = isInvincibleCharacter(a) ? 99 : 0;
    }
    const bool bCharacter = (b->typeFlags() & kTypeCharacter) != 0;
    if (damage <= 0 || (bCharacter && isInvincibleCharacter(b))) return;

    const bool bUnit = (b->typeFlags() & kTypeUnit) != 0;
    bool hit = false;
    switch (a->destroyType()) {
        case kDestroyCollision:
            hit = bCharacter || (bUnit && b->destroyType() == kDestroyEnemyCollision);
            break;
        case kDestroyEnemyCollision:
            hit = bUnit && b->destroyType() == kDestroyCollision;
            break;
        case kDestroyAllCollision:
            hit = bUnit || bCharacter;
            break;
        default:
            break;
    }
    if (!hit) return;
    if (QVComponentHealth* health = b->getHealthComponent()) {
        health->takeDamage(damage, delay);
    } else {
        b->kill();
    }
}
