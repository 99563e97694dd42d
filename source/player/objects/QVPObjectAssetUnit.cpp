#include "player/objects/QVPObjectAssetUnit.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelPolygon.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVSound.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"

using cocos2d::CCPoint;
using cocos2d::CCRect;

namespace {

// Owner tag of the game scene's sounds.
constexpr unsigned int kSceneSoundOwner = 1;
// Box2D's float epsilon: shorter vectors are not normalised.
constexpr float kEpsilon = 1.1920929e-7f;
constexpr float kHalfPi = 1.570796f;

// A draw in [-1, 1]; every caller draws in a statement of its own, so the
// order of draws is the order of statements.
float randomSpread() { return static_cast<float>(compat::rand() / 32767.0 * 2.0 - 1.0); }

struct Word {
    const char* text;
    int32_t value;
};

int32_t lookup(const std::string& text, std::initializer_list<Word> words, int32_t other) {
    for (const Word& word : words) {
        if (text == word.text) return word.value;
    }
    return other;
}

bool hasShape(const std::shared_ptr<QVModelObject>& model) {
    const std::shared_ptr<QVModelPolygon> shape = model ? model->collisionShape() : nullptr;
    return shape && !shape->isEmpty();
}

uint32_t modelId(const QVPObject* object) {
    return object && object->getModel() ? static_cast<uint32_t>(object->getModel()->id()) : 0u;
}

void applyModifier(float& value, const std::string& operation, float modifier) {
    if (operation == "kAdd") {
        value = modifier + value;
    } else if (operation == "kMultiply") {
        value = modifier * value;
    } else if (operation == "kReplace") {
        value = modifier;
    }
}

void showAnimation(QVPAnimationObject* animation, bool visible) {
    if (animation) animation->setVisible(visible);
}

QVPAnimationObject* makeAnimation(const std::shared_ptr<QVModelAnimation>& model, float speed) {
    if (!model) return nullptr;
    QVPAnimationObject* animation = QVPAnimationObject::create(model);
    animation->setSpeed(speed);
    animation->retain();
    return animation;
}

}  // namespace

QVPObjectAssetUnit::QVPObjectAssetUnit(std::shared_ptr<QVModelObject> model) : QVPObjectAsset(std::move(model)) {
    m_spawner = false;
    m_spawnTimer = 0.0f;
    setTypeFlags(kTypeUnit);
    const std::shared_ptr<QVModelObjectAssetUnit> unit = unitModel();
    if (!unit) return;
    buildAnimations(unit);

    const std::string& movement = unit->movementType();
    const CCPoint base = unit->linearVelocity();
    const CCPoint variance = unit->linearVelocityVariance();
    m_movesLinearly = movement == "kMovementLinear";
    if (m_movesLinearly) {
        const float angular = randomSpread();
        m_angularSpeed = unit->angularVelocity() + unit->angularVelocityVariance() * angular;
    } else {
        m_angularSpeed = 0.0f;
    }
    const float ry = randomSpread();
    const float rx = randomSpread();
    m_velocity = CCPoint(base.x + variance.x * rx, base.y + variance.y * ry);

    m_objectType = lookup(unit->objectType(),
                          {{"kPlatformObjectType", kObjectPlatform},
                           {"kEnemyObjectType", kObjectEnemy},
                           {"kDecorationObjectType", kObjectDecoration}},
                          kObjectOther);
    m_collisionType =
        lookup(unit->collisionType(), {{"kNoCollision", kNoCollision}, {"kCharacterCollision", kCharacterCollision}},
               m_collisionType);
    m_destroyType = lookup(unit->destroyType(),
                           {{"kDestroyNo", kDestroyNo},
                            {"kDestroyCollision", kDestroyCollision},
                            {"kDestroyEnemyCollision", kDestroyEnemyCollision},
                            {"kDestroyAllCollision", kDestroyAllCollision}},
                           kDestroyNo);
    m_wakeUpMode = lookup(unit->wakeUp(),
                          {{"kNoWakeup", kNoWakeup},
                           {"kTimeBasedWakeup", kTimeBasedWakeup},
                           {"kCollisionBasedWakeup", kCollisionBasedWakeup}},
                          kNoWakeup);
    m_sleepMode = lookup(unit->sleep(), {{"kNoSleep", 0}, {"kDistanceBasedSleep", 1}}, 0);

    if (auto sound = unit->wakeUpSound()) m_wakeUpSound = std::make_unique<QVSound>(sound, kSceneSoundOwner);
    updateBounds();
}

void QVPObjectAssetUnit::buildAnimations(const std::shared_ptr<QVModelObjectAssetUnit>& unit) {
    const float speed = unit->opacity(0.0f, 0);
    m_idleAnimation = makeAnimation(unit->idleAnimation(), speed);
    if (m_idleAnimation) addChild(m_idleAnimation, unit->zDepth());
    m_defeatAnimation = makeAnimation(unit->defeatedAnimation(), speed);
    if (m_defeatAnimation) {
        m_defeatAnimation->setZOrder(unit->zDepth());
        m_defeatAnimation->setEndCallback([this] {
            if (m_state == kStateDying) setState(kStateFinished);
        });
    }
}

QVPObjectAssetUnit::~QVPObjectAssetUnit() {
    if (m_spawner) unbindActions();
    if (m_defeatAnimation) {
        m_defeatAnimation->setEndCallback(nullptr);
        m_defeatAnimation->release();
        m_defeatAnimation = nullptr;
    }
    if (m_idleAnimation) {
        m_idleAnimation->release();
        m_idleAnimation = nullptr;
    }
    if (m_wakeUpSound) m_wakeUpSound->stop();
    m_wakeUpSound.reset();
}

QVPObjectAsset* QVPObjectAssetUnit::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetUnit(model);
}

std::shared_ptr<QVModelObjectAssetUnit> QVPObjectAssetUnit::unitModel() const {
    return modelCast<QVModelObjectAssetUnit>(m_model);
}

void QVPObjectAssetUnit::unbindActions() {
    // Never create a controller here: this may run during scene teardown.
    if (QVPInputController* controller = QVPInputController::current()) controller->unregisterActionObject(this);
}

// ---------------------------------------------------------------- update

void QVPObjectAssetUnit::update(float dt) {
    QVPObjectAsset::update(dt);
    // The animations are children too, so they advance twice per frame.
    if (m_state == kStateIdle && m_idleAnimation) {
        m_idleAnimation->update(dt);
    } else if (m_state == kStateDying && m_defeatAnimation) {
        m_defeatAnimation->update(dt);
    }
    if (m_wakePending) {
        m_wakePending = false;
        applyWakeUp();
    }
    if (m_state == kStateDying && m_body) physics::setSensor(m_body->GetFixtureList(), true);
    if (m_actionPressed && m_spawner && m_active) spawn();
    if (m_spawnTimer > 0.0f) m_spawnTimer -= dt;
    applyModifiers();
    transformChanged();
}

void QVPObjectAssetUnit::applyWakeUp() {
    const std::shared_ptr<QVModelObjectAssetUnit> unit = unitModel();
    if (!m_body || !unit) return;
    if (!m_movesLinearly) {
        physics::setType(m_body, b2_dynamicBody);
        const CCPoint variance = unit->linearVelocityVariance();
        const float r1 = randomSpread();
        const float r2 = randomSpread();
        const b2Vec2 launch =
            b2Mul(b2Rot(m_body->GetAngle()), b2Vec2(m_velocity.x + variance.x * r2, m_velocity.y + variance.y * r1));
        physics::setLinearVelocity(m_body, m_body->GetLinearVelocity() + launch);
        const float spin = randomSpread();
        physics::setAngularVelocity(m_body, unit->angularVelocity() + unit->angularVelocityVariance() * spin);
        return;
    }
    if (m_destroyType == kDestroyEnemyCollision || m_destroyType == kDestroyAllCollision) {
        physics::setType(m_body, b2_dynamicBody);
        physics::setBullet(m_body, true);
    } else {
        physics::setType(m_body, b2_kinematicBody);
    }
    physics::setFixedRotation(m_body, true);
    physics::setGravityScale(m_body, 0.0f);
}

void QVPObjectAssetUnit::applyModifiers() {
    if (m_modifierX.operation == "kNone" && m_modifierY.operation == "kNone" &&
        m_modifierRotation.operation == "kNone") {
        return;
    }
    CCPoint position = getPosition();
    float angle = getRotation();
    applyModifier(position.x, m_modifierX.operation, m_modifierX.value);
    applyModifier(position.y, m_modifierY.operation, m_modifierY.value);
    applyModifier(angle, m_modifierRotation.operation, m_modifierRotation.value);
    m_modifierX = Modifier{};
    m_modifierY = Modifier{};
    m_modifierRotation = Modifier{};
    if (m_body) {
        physics::setTransform(m_body, b2Vec2(position.x * kMetresPerPoint, position.y * kMetresPerPoint),
                              -(angle * kDegreesToRadians));
    }
}

void QVPObjectAssetUnit::setModifierX(float value, const std::string& operation) { m_modifierX = {value, operation}; }

void QVPObjectAssetUnit::setModifierY(float value, const std::string& operation) { m_modifierY = {value, operation}; }

void QVPObjectAssetUnit::setModifierRotation(float value, const std::string& operation) {
    m_modifierRotation = {value, operation};
}

// ---------------------------------------------------------------- state and visibility

void QVPObjectAssetUnit::setState(int32_t state) {
    QVPObjectAsset::setState(state);
    if (state == kStateDying) {
        if (m_idleAnimation && m_idleAnimation->getParent()) m_idleAnimation->removeFromParentAndCleanup(false);
        if (!m_defeatAnimation) {
            setState(kStateFinished);
        } else if (m_defeatAnimation->getParent() != this) {
            addChild(m_defeatAnimation, m_defeatAnimation->getStoredZOrder());
        }
        const std::shared_ptr<QVModelObjectAssetUnit> unit = unitModel();
        if (unit) QVSound::playOnce(unit->deathSound(), kSceneSoundOwner);
        setVisible(isVisible());
    } else if (state == kStateFinished) {
        if (m_spawner) unbindActions();
        if (m_defeatAnimation && m_defeatAnimation->getParent()) {
            m_defeatAnimation->removeFromParentAndCleanup(false);
        }
        if (m_wakeUpSound) m_wakeUpSound->stop();
    }
}

void QVPObjectAssetUnit::setVisible(bool visible) {
    QVPObjectAsset::setVisible(visible);
    if (!visible && (m_typeFlags & kTypeSpawned)) {
        // A copy that left the view is done.
        if (m_state != kStateFinished) setState(kStateFinished);
        return;
    }
    if (visible && !currentAnimation()) {
        if (m_state == kStateDying) {
            showAnimation(m_idleAnimation, false);
            showAnimation(m_defeatAnimation, true);
        } else if (m_state != kStateFinished && !m_spawner) {
            showAnimation(m_idleAnimation, true);
        }
        return;
    }
    showAnimation(m_idleAnimation, false);
    showAnimation(m_defeatAnimation, false);
}

void QVPObjectAssetUnit::activate() {
    if (m_state == kStateFinished || m_active || !m_body) return;
    QVPObjectAsset::activate();
    if (m_wakeUpSound && m_wakeUpMode != kNoWakeup) m_wakeUpSound->play(false, false);
    const std::shared_ptr<QVModelObjectAssetUnit> unit = unitModel();
    const std::string movement = unit ? unit->movementType() : std::string();
    if ((movement == "kMovementPhysics" || movement == "kMovementLinear") && m_body->GetType() == b2_staticBody &&
        !m_spawner) {
        m_wakePending = true;
    }
}

void QVPObjectAssetUnit::setSpawner(bool spawner) {
    QVPObjectAsset::setSpawner(spawner);
    if (!spawner) {
        unbindActions();
        showAnimation(m_idleAnimation, true);
        showAnimation(m_defeatAnimation, false);
        return;
    }
    showAnimation(m_idleAnimation, false);
    showAnimation(m_defeatAnimation, false);
    const std::shared_ptr<QVModelObjectAssetUnit> unit = unitModel();
    const std::string action = unit ? unit->spawnAction() : std::string();
    if (action == "kPermanentSpawning") {
        setActionPressed(true);
    } else if (action == "kShootingSpawning") {
        m_restartOnPress = true;
        QVPInputController::shared()->registerActionObject(kShootAction, this);
    } else if (action == "kJumpingSpawning") {
        QVPInputController::shared()->registerActionObject(kJumpAction, this);
    } else if (action == "kNonResetShootingSpawning") {
        m_restartOnPress = false;
        QVPInputController::shared()->registerActionObject(kShootAction, this);
    }
}

void QVPObjectAssetUnit::setTypeFlags(uint32_t flags) {
    QVPObjectAsset::setTypeFlags(flags);
    if (!(flags & kTypeSpawned) || !m_idleAnimation) return;
    const int frames = m_idleAnimation->frameCount();
    for (int i = 0; i < frames; ++i) {
        if (auto* object = dynamic_cast<QVPObject*>(m_idleAnimation->frameNode(static_cast<unsigned>(i)))) {
            object->setSpawner(false);
        }
    }
}

void QVPObjectAssetUnit::setAnimationSpeed(float factor) {
    QVPObjectAsset::setAnimationSpeed(factor);
    const float speed = m_model ? m_model->opacity(0.0f, 0) * factor : factor;
    if (m_idleAnimation) m_idleAnimation->setSpeed(speed);
    if (m_defeatAnimation) m_defeatAnimation->setSpeed(speed);
}

bool QVPObjectAssetUnit::castsShadow() { return m_collisionType != kNoCollision; }

// ---------------------------------------------------------------- extent

CCRect QVPObjectAssetUnit::getBoundingRect() {
    const CCPoint position = positionInGameLayer();
    return CCRect(m_bounds.origin.x + position.x, m_bounds.origin.y + position.y, m_bounds.size.width,
                  m_bounds.size.height);
}

void QVPObjectAssetUnit::updateBounds() {
    const CCRect rect = m_idleAnimation ? m_idleAnimation->boundingRect() : CCRect();
    const float sx = std::fabs(getScaleX());
    const float sy = std::fabs(getScaleY());
    const float w = rect.size.width;
    const float h = rect.size.height;
    m_bounds = CCRect(-w * 0.5f * sx, -h * 0.5f * sy, w * sx, h * sy);
}

float QVPObjectAssetUnit::wakeUpDistance() {
    if (m_state == kStateFinished) return 3000.0f;
    if (m_wakeUpMode == kTimeBasedWakeup) {
        const std::shared_ptr<QVModelObjectAssetUnit> unit = unitModel();
        return unit ? unit->wakeupDistance() : 0.0f;
    }
    if (m_wakeUpMode == kCollisionBasedWakeup) return -3000.0f;
    return 3000.0f;
}

float QVPObjectAssetUnit::sleepDistance() {
    const std::shared_ptr<QVModelObjectAssetUnit> unit = unitModel();
    return m_sleepMode == 1 && unit ? unit->sleepDistance() : 0.0f;
}

// ---------------------------------------------------------------- body and contacts

void QVPObjectAssetUnit::createBody(b2World* world, bool skipStill) {
    if (!m_idleAnimation) return;
    QVPObjectAsset::createBody(world, skipStill);
    if (m_spawner && m_body) physics::setSensor(m_body->GetFixtureList(), true);
}

void QVPObjectAssetUnit::beginContact(QVPObject* other, b2Contact* contact, bool flag) {
    if (!other || !isVisible() || !other->isVisible()) return;
    if (other->getState() == kStateDying || other->getState() == kStateFinished) return;
    QVPObjectAsset::beginContact(other, contact, flag);
    auto* otherAsset = dynamic_cast<QVPObjectAsset*>(other);
    if (m_destroyType != kDestroyNo || (otherAsset && otherAsset->destroyType() != kDestroyNo)) {
        applyContactDamage(this, otherAsset);
    }
    if ((other->typeFlags() & kTypeCharacter) && m_body && m_body->GetType() == b2_staticBody &&
        m_wakeUpMode == kCollisionBasedWakeup) {
        activate();
    }
    if (m_collisionType == kNoCollision) return;

    b2Vec2 normal = physics::contactNormal(contact);
    if (contact && m_body && contact->GetFixtureB()->GetBody() == m_body) normal = -normal;
    if (m_body) normal = b2MulT(b2Rot(m_body->GetAngle()), normal);
    if (flag) {
        m_contactSolid = acceptsOneWayContact(other, normal);
        if (!m_contactSolid) m_passThrough.push_back(modelId(other));
    }
    if ((m_typeFlags & kTypeCharacter) && (other->typeFlags() & kTypeUnit)) setJointedCharactersOnGround(true);
}

bool QVPObjectAssetUnit::acceptsOneWayContact(QVPObject* other, const b2Vec2& normal) {
    if (!other || !hasShape(m_model) || !hasShape(other->getModel())) return true;
    const CCPoint vector = m_model->collisionShape()->oneWayCollisionVector();
    if (vector.x == 0.0f && vector.y == 0.0f) return true;
    const float wx = std::fabs(vector.x) <= kEpsilon ? 0.0f : vector.x;
    const float wy = std::fabs(vector.y) <= kEpsilon ? 0.0f : vector.y;
    const float alpha = std::atan2(wy, wx);

    b2Vec2 direction = normal;
    if (normal.x == 0.0f && normal.y == 0.0f) {
        b2Body* otherBody = other->getBody();
        b2Vec2 velocity = otherBody ? otherBody->GetLinearVelocity() : b2Vec2(0.0f, 0.0f);
        velocity.Normalize();
        direction = -velocity;
        if (m_body) direction = b2MulT(b2Rot(m_body->GetAngle()), direction);
    }
    const float beta = std::atan2(direction.y, direction.x);
    return alpha - kHalfPi < beta && beta < alpha + kHalfPi;
}

void QVPObjectAssetUnit::preSolve(QVPObject* other, b2Contact* contact, const b2Manifold* oldManifold) {
    QVPObjectAsset::preSolve(other, contact, oldManifold);
    if (!other) return;
    if (std::find(m_passThrough.begin(), m_passThrough.end(), modelId(other)) != m_passThrough.end()) {
        physics::setContactEnabled(contact, false);
    }
    if ((m_movementDisabled || m_movesLinearly) && getParent() == other) physics::setContactEnabled(contact, false);
}

void QVPObjectAssetUnit::endContact(QVPObject* other, b2Contact* contact) {
    QVPObjectAsset::endContact(other, contact);
    m_contactSolid = true;
    physics::setContactEnabled(contact, true);
    if (!other) return;
    auto found = std::find(m_passThrough.begin(), m_passThrough.end(), modelId(other));
    if (found != m_passThrough.end()) m_passThrough.erase(found);
    if (m_collisionType != kNoCollision && (other->typeFlags() & kTypeUnit) && (m_typeFlags & kTypeCharacter)) {
        setJointedCharactersOnGround(false);
    }
}

void QVPObjectAssetUnit::setJointedCharactersOnGround(bool onGround) {
    if (!m_body) return;
    for (b2JointEdge* edge = m_body->GetJointList(); edge; edge = edge->next) {
        auto* character = dynamic_cast<QVPObjectAssetCharacter*>(physics::userObject<QVPObject>(edge->other));
        if (character) character->setOnGround(onGround);
    }
}

// ---------------------------------------------------------------- spawning

void QVPObjectAssetUnit::spawn() {
    if (m_spawnTimer > 0.0f || !m_model) return;
    QVPScreenScene* scene = ScreenManager::shared()->getGameScene();
    b2World* world = scene ? scene->getWorld() : nullptr;
    if (!world || world->IsLocked()) return;

    m_spawnTimer = m_model->spawnRate();
    QVPObjectAsset* copy = QVPObjectAsset::create(m_model);
    if (!copy) return;
    copy->setTypeFlags(copy->typeFlags() | kTypeSpawned);
    copy->setSpawner(false);
    copy->setZOrder(m_movementDisabled ? getZOrder() : m_model->zDepth());
    scene->transferToGameField(copy, this);
    copy->activate();
}
