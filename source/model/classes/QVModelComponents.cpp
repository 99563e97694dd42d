#include "model/classes/QVModelComponents.h"

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "platform/RandomAndClock.h"

using cocos2d::CCPoint;

namespace {

const CCPoint& pointOf(const QVAttributePoint* attribute) {
    static const CCPoint kNone;
    return attribute ? attribute->value() : kNone;
}

const std::string& textOf(const QVAttributeString* attribute) {
    static const std::string kNone;
    return attribute ? attribute->value() : kNone;
}

float floatOf(const QVAttributeFloat* attribute) { return attribute ? attribute->value() : 0.0f; }

bool boolOf(const QVAttributeBool* attribute) { return attribute && attribute->value(); }

template <class Attribute>
auto modelOf(const Attribute* attribute) -> decltype(attribute->model()) {
    return attribute ? attribute->model() : nullptr;
}

std::shared_ptr<QVModelSpriteContainer> spriteOf(const QVAttributeAnimation* attribute) {
    return attribute ? attribute->sprite() : nullptr;
}

// The default shape goes in through the notifying path, as an edit would.
void setDefaultShape(QVAttributeShape* shape) {
    shape->setModel(QVModelPolygon::create());
    shape->valueChanged(QVBaseAttribute::kChangeValue);
}

// A connection read that links another shape drops the one held before (the
// constructor's default) from the controller; removeModel leaves any other
// model registered under the same id alone.
template <class Read>
void readReplacingShape(QVAttributeShape* shape, Read read) {
    std::shared_ptr<QVModelPolygon> before = modelOf(shape);
    read();
    if (before && modelOf(shape) != before) QVModelController::shared()->removeModel(before);
}

}  // namespace

// ---------------------------------------------------------------- gameplay

QVBaseModelComponentCharacterGameplaySettings::QVBaseModelComponentCharacterGameplaySettings(const std::string& name)
    : QVModelComponent(name) QV_GAMEPLAY_SETTINGS_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_maxSpeed->setValue(CCPoint(27.0f, 0.0f), true);
    m_bounceForce->setValue(CCPoint(0.0f, 50.0f), true);
    m_jumpTimeout->setValue(0.25f, true);
    m_groundThreshold->setValue(0.01f, true);
    m_rotationDrag->setValue(1.0f, true);
    m_airDrag->setValue(CCPoint(1.0f, 1.0f), true);
    m_forcedMovement->setValue(true, true);
}

QVBaseModelComponentCharacterGameplaySettings::QVBaseModelComponentCharacterGameplaySettings(
    const QVBaseModelComponentCharacterGameplaySettings& source)
    : QVModelComponent(source) QV_GAMEPLAY_SETTINGS_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

using GameplaySettings = QVBaseModelComponentCharacterGameplaySettings;
const CCPoint& GameplaySettings::maxSpeed() const { return pointOf(m_maxSpeed); }
const CCPoint& GameplaySettings::bounceForce() const { return pointOf(m_bounceForce); }
const CCPoint& GameplaySettings::jumpForce() const { return pointOf(m_jumpForce); }
float GameplaySettings::jumpTimeout() const { return floatOf(m_jumpTimeout); }
float GameplaySettings::jumpCounter() const { return floatOf(m_jumpCounter); }
float GameplaySettings::groundThreshold() const { return floatOf(m_groundThreshold); }
bool GameplaySettings::jumpFromGround() const { return boolOf(m_jumpFromGround); }
float GameplaySettings::leftLeanForce() const { return floatOf(m_leftLeanForce); }
float GameplaySettings::rightLeanForce() const { return floatOf(m_rightLeanForce); }
float GameplaySettings::platformFriction() const { return floatOf(m_platformFriction); }
float GameplaySettings::rotationDrag() const { return floatOf(m_rotationDrag); }
const CCPoint& GameplaySettings::airDrag() const { return pointOf(m_airDrag); }
bool GameplaySettings::directMovement() const { return boolOf(m_directMovement); }
bool GameplaySettings::forcedMovement() const { return boolOf(m_forcedMovement); }
bool GameplaySettings::fixedRotation() const { return boolOf(m_fixedRotation); }
bool GameplaySettings::imageDirection() const { return boolOf(m_imageDirection); }

QVModelComponentCharacterGameplaySettings::QVModelComponentCharacterGameplaySettings(const std::string& name)
    : QVBaseModelComponentCharacterGameplaySettings(name) {}

QVModelComponentCharacterGameplaySettings::QVModelComponentCharacterGameplaySettings(
    const QVModelComponentCharacterGameplaySettings& source)
    : QVBaseModelComponentCharacterGameplaySettings(source) {}

// ---------------------------------------------------------------- icon

QVModelComponentCharacterIcon::QVModelComponentCharacterIcon(const std::string& name)
    : QVModelComponent(name) QV_CHARACTER_ICON_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelComponentCharacterIcon::QVModelComponentCharacterIcon(const QVModelComponentCharacterIcon& source)
    : QVModelComponent(source) QV_CHARACTER_ICON_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelAnimation> QVModelComponentCharacterIcon::selectedIcon() const {
    return modelOf(m_selectedIcon);
}

// ---------------------------------------------------------------- damage

QVModelComponentDamage::QVModelComponentDamage(const std::string& name)
    : QVModelComponent(name) QV_DAMAGE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_damage->setValue(1.0f, true);
}

QVModelComponentDamage::QVModelComponentDamage(const QVModelComponentDamage& source)
    : QVModelComponent(source) QV_DAMAGE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

int QVModelComponentDamage::damage() const { return truncToInt(floatOf(m_damage)); }

void QVModelComponentDamage::setDamage(int damage, bool silent) {
    if (m_damage) m_damage->setValue(static_cast<float>(damage), silent);
}

void QVModelComponentDamage::setDamageDelay(float delay, bool silent) {
    if (m_damageDelay) m_damageDelay->setValue(delay, silent);
}

// ---------------------------------------------------------------- deletion threshold

QVModelComponentDeletionThreshold::QVModelComponentDeletionThreshold(const std::string& name)
    : QVModelComponent(name) QV_DELETION_THRESHOLD_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_backDeletionThreshold->setValue(300.0f, true);
    m_sidesDeletionThreshold->setValue(550.0f, true);
}

QVModelComponentDeletionThreshold::QVModelComponentDeletionThreshold(const QVModelComponentDeletionThreshold& source)
    : QVModelComponent(source) QV_DELETION_THRESHOLD_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

float QVModelComponentDeletionThreshold::sidesDeletionThreshold() const { return floatOf(m_sidesDeletionThreshold); }

// ---------------------------------------------------------------- forced movement

QVModelComponentForcedMovement::QVModelComponentForcedMovement(const std::string& name)
    : QVModelComponent(name) QV_FORCED_MOVEMENT_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_forceMin->setValue(3.0f, true);
    m_forceMax->setValue(10.0f, true);
    m_forceIncrease->setValue(0.1f, true);
}

QVModelComponentForcedMovement::QVModelComponentForcedMovement(const QVModelComponentForcedMovement& source)
    : QVModelComponent(source) QV_FORCED_MOVEMENT_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

float QVModelComponentForcedMovement::forceMin() const { return floatOf(m_forceMin); }

// ---------------------------------------------------------------- health

QVModelComponentHealth::QVModelComponentHealth(const std::string& name)
    : QVModelComponent(name) QV_HEALTH_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_health->setValue(1.0f, true);
    m_lives->setValue(1.0f, true);
}

// A copy starts a run of its own.
QVModelComponentHealth::QVModelComponentHealth(const QVModelComponentHealth& source)
    : QVModelComponent(source) QV_HEALTH_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

int QVModelComponentHealth::health() const { return truncToInt(floatOf(m_health)); }

int QVModelComponentHealth::lives() const { return truncToInt(floatOf(m_lives)); }

// ---------------------------------------------------------------- iso jump

QVBaseModelComponentIsoJump::QVBaseModelComponentIsoJump(const std::string& name)
    : QVModelComponent(name) QV_ISO_JUMP_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_jumpVelocity->setValue(CCPoint(0.0f, 50.0f), true);
    m_jumpGravity->setValue(CCPoint(0.0f, 100.0f), true);
    m_jumpSpeed->setValue(1.0f, true);
    m_jumpDuration->setValue(0.75f, true);
    m_jumpTimeout->setValue(0.25f, true);
    m_jumpCount->setValue(1.0f, true);
    setDefaultShape(m_collisionShape);
}

QVBaseModelComponentIsoJump::QVBaseModelComponentIsoJump(const QVBaseModelComponentIsoJump& source)
    : QVModelComponent(source) QV_ISO_JUMP_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const CCPoint& QVBaseModelComponentIsoJump::jumpVelocity() const { return pointOf(m_jumpVelocity); }
const std::string& QVBaseModelComponentIsoJump::event() const { return textOf(m_event); }
bool QVBaseModelComponentIsoJump::continuousJump() const { return boolOf(m_continuousJump); }
bool QVBaseModelComponentIsoJump::activateOnRelease() const { return boolOf(m_activateOnRelease); }

std::shared_ptr<QVModelPolygon> QVBaseModelComponentIsoJump::collisionShape() const {
    return modelOf(m_collisionShape);
}
std::shared_ptr<QVModelAnimation> QVBaseModelComponentIsoJump::animation() const { return modelOf(m_animation); }
std::shared_ptr<QVModelAnimation> QVBaseModelComponentIsoJump::ground() const { return modelOf(m_ground); }
std::shared_ptr<QVModelSound> QVBaseModelComponentIsoJump::jumpSound() const { return modelOf(m_jumpSound); }
std::shared_ptr<QVModelSound> QVBaseModelComponentIsoJump::doubleJumpSound() const {
    return modelOf(m_doubleJumpSound);
}

std::shared_ptr<QVModelSpriteContainer> QVBaseModelComponentIsoJump::animationModel() const {
    return spriteOf(m_animation);
}

void QVBaseModelComponentIsoJump::unpackConnections(const QVPackMap& map) {
    readReplacingShape(m_collisionShape, [&] { QVModelComponent::unpackConnections(map); });
}

void QVBaseModelComponentIsoJump::connectionsFromDictionary(cocos2d::CCDictionary* dict) {
    readReplacingShape(m_collisionShape, [&] { QVModelComponent::connectionsFromDictionary(dict); });
}

QVModelComponentIsoJump::QVModelComponentIsoJump(const std::string& name) : QVBaseModelComponentIsoJump(name) {}

QVModelComponentIsoJump::QVModelComponentIsoJump(const QVModelComponentIsoJump& source)
    : QVBaseModelComponentIsoJump(source) {}

// ---------------------------------------------------------------- motor

QVBaseModelComponentMotor::QVBaseModelComponentMotor(const std::string& name)
    : QVModelComponent(name) QV_MOTOR_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_linearMultiplier->setValue(CCPoint(1.0f, 1.0f), true);
    m_angularMultiplier->setValue(1.0f, true);
}

QVBaseModelComponentMotor::QVBaseModelComponentMotor(const QVBaseModelComponentMotor& source)
    : QVModelComponent(source) QV_MOTOR_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const CCPoint& QVBaseModelComponentMotor::linearMultiplier() const { return pointOf(m_linearMultiplier); }

int32_t QVBaseModelComponentMotor::affectedAssetId() const { return parseDecimal<int32_t>(textOf(m_affectedAsset)); }

QVModelComponentMotor::QVModelComponentMotor(const std::string& name) : QVBaseModelComponentMotor(name) {}

QVModelComponentMotor::QVModelComponentMotor(const QVModelComponentMotor& source)
    : QVBaseModelComponentMotor(source) {}

// ---------------------------------------------------------------- move

QVBaseModelComponentMove::QVBaseModelComponentMove(const std::string& name)
    : QVModelComponent(name) QV_MOVE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    setDefaultShape(m_collisionShape);
    m_linearVelocity->setEmptyAllowed(true, true);
    m_linearVelocity->setEmpty(true, true);
    m_angularVelocity->setAllowEmpty(true);
    m_angularVelocity->setEmpty(true, true);
}

QVBaseModelComponentMove::QVBaseModelComponentMove(const QVBaseModelComponentMove& source)
    : QVModelComponent(source) QV_MOVE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

bool QVBaseModelComponentMove::activateOnRelease() const { return boolOf(m_activateOnRelease); }
float QVBaseModelComponentMove::angularVelocity() const { return floatOf(m_angularVelocity); }
bool QVBaseModelComponentMove::hasAngularVelocity() const { return m_angularVelocity && m_angularVelocity->hasValue(); }

bool QVBaseModelComponentMove::hasLinearVelocityX() const {
    return m_linearVelocity && !(m_linearVelocity->allowEmpty() && m_linearVelocity->isXEmpty());
}

bool QVBaseModelComponentMove::hasLinearVelocityY() const {
    return m_linearVelocity && !(m_linearVelocity->allowEmpty() && m_linearVelocity->isYEmpty());
}

const std::string& QVBaseModelComponentMove::mathematicalOperation() const { return textOf(m_mathematicalOperation); }

uint32_t QVBaseModelComponentMove::affectedAssetId() const { return parseDecimal<uint32_t>(textOf(m_affectedAsset)); }

std::shared_ptr<QVModelSpriteContainer> QVBaseModelComponentMove::animationModel() const {
    return spriteOf(m_animation);
}

void QVBaseModelComponentMove::unpackConnections(const QVPackMap& map) {
    readReplacingShape(m_collisionShape, [&] { QVModelComponent::unpackConnections(map); });
}

void QVBaseModelComponentMove::connectionsFromDictionary(cocos2d::CCDictionary* dict) {
    readReplacingShape(m_collisionShape, [&] { QVModelComponent::connectionsFromDictionary(dict); });
}

QVModelComponentMove::QVModelComponentMove(const std::string& name) : QVBaseModelComponentMove(name) {}

QVModelComponentMove::QVModelComponentMove(const QVModelComponentMove& source) : QVBaseModelComponentMove(source) {}

// ---------------------------------------------------------------- rotation mapper

QVModelComponentRotationMapper::QVModelComponentRotationMapper(const std::string& name)
    : QVModelComponent(name) QV_ROTATION_MAPPER_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelComponentRotationMapper::QVModelComponentRotationMapper(const QVModelComponentRotationMapper& source)
    : QVModelComponent(source) QV_ROTATION_MAPPER_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

// ---------------------------------------------------------------- score

QVModelComponentScore::QVModelComponentScore(const std::string& name)
    : QVModelComponent(name) QV_SCORE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelComponentScore::QVModelComponentScore(const QVModelComponentScore& source)
    : QVModelComponent(source) QV_SCORE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

bool QVModelComponentScore::resetDistance() const { return boolOf(m_resetDistance); }

// ---------------------------------------------------------------- slide

QVModelComponentSlide::QVModelComponentSlide(const std::string& name)
    : QVModelComponent(name) QV_SLIDE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelComponentSlide::QVModelComponentSlide(const QVModelComponentSlide& source)
    : QVModelComponent(source) QV_SLIDE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelSound> QVModelComponentSlide::slideSound() const { return modelOf(m_slideSound); }

std::shared_ptr<QVModelSpriteContainer> QVModelComponentSlide::animationModel() const {
    return spriteOf(m_animation);
}

// ---------------------------------------------------------------- spawner

namespace {
constexpr char kSpawnRate[] = "Spawn Rate";
}  // namespace

QVModelComponentSpawner::QVModelComponentSpawner(const std::string& name)
    : QVModelComponent(name),
      m_spawnRateMember(kSpawnRate, this, QVBaseAttribute::kFlagVariableValue),
      m_spawnRate(&m_spawnRateMember) QV_SPAWNER_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_spawnRate->setValue(1.0f, true);
}

QVModelComponentSpawner::QVModelComponentSpawner(const QVModelComponentSpawner& source)
    : QVModelComponent(source),
      m_spawnRateMember(kSpawnRate, this, source.m_spawnRateMember),
      m_spawnRate(source.listed(source.m_spawnRateMember, m_spawnRateMember))
          QV_SPAWNER_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const std::string& QVModelComponentSpawner::spawnAction() const { return textOf(m_spawnAction); }

void QVModelComponentSpawner::setSpawnAction(const std::string& action, bool silent) {
    if (m_spawnAction) m_spawnAction->setValue(action, silent);
}

void QVModelComponentSpawner::setSpawnRate(float rate, bool silent) {
    if (m_spawnRate) m_spawnRate->setValue(rate, silent);
}

float QVModelComponentSpawner::randomSpawnRate() const {
    if (!m_spawnRate) return 0.0f;
    const float draw = static_cast<float>(compat::rand());
    return m_spawnRate->value() +
           m_spawnRate->variableValue() * (draw / static_cast<float>(compat::RandMax) * 2.0f - 1.0f);
}

// ---------------------------------------------------------------- wake-up

QVModelComponentWakeup::QVModelComponentWakeup(const std::string& name)
    : QVModelComponent(name) QV_WAKEUP_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelComponentWakeup::QVModelComponentWakeup(const QVModelComponentWakeup& source)
    : QVModelComponent(source) QV_WAKEUP_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const std::string& QVModelComponentWakeup::wakeUp() const { return textOf(m_wakeUp); }
float QVModelComponentWakeup::wakeupDistance() const { return floatOf(m_wakeupDistance); }
const std::string& QVModelComponentWakeup::sleep() const { return textOf(m_sleep); }
float QVModelComponentWakeup::sleepDistance() const { return floatOf(m_sleepDistance); }
