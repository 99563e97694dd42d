#include "model/classes/QVModelAsset.h"

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "player/screens/QVPGameFieldSettings.h"

using cocos2d::CCPoint;
using cocos2d::CCSize;

using qvread::linked;
using qvread::text;
using qvread::value;

namespace {
int wholeOf(const QVAttributeFloat* attribute) { return truncToInt(value(attribute)); }
// The container the animation was last built from.
std::shared_ptr<QVModelSpriteContainer> builtFrom(const QVAttributeAnimation* attribute) {
    return attribute ? attribute->sprite() : nullptr;
}
}  // namespace

// --- QVModelAsset ---

QVModelAsset::QVModelAsset(const std::string& name) : QVModelCompound(name) QV_ASSET_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelAsset::QVModelAsset(const QVModelAsset& source)
    : QVModelCompound(source) QV_ASSET_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelPolygon> QVModelAsset::collisionShape() const { return linked(m_collisionShape); }

bool QVModelAsset::hasValidCollisionShape(float scaleX, float scaleY) const {
    std::shared_ptr<QVModelPolygon> shape = collisionShape();
    return shape && !shape->isEmpty() && shape->isValidShape(scaleX, scaleY);
}

void QVModelAsset::setCollisionBox(const CCSize& size, const CCPoint& offset) {
    if (!m_collisionShape) return;
    std::shared_ptr<QVModelPolygon> shape = collisionShape();
    if (!shape) {
        shape = QVModelPolygon::create();
        QVModelController::shared()->addModel(shape);
        relinkNotifying(m_collisionShape, shape);
    }
    // initAsBox appends: without emptying first, a second rebuild would
    // double every corner and the shape would build no fixture.
    while (!shape->isEmpty()) shape->removePoint(0, true);
    shape->initAsBox(size, offset, false);
}

void QVModelAsset::setCollisionBoxFromSprites(const std::shared_ptr<QVModelSpriteContainer>& container) {
    if (!container) return;
    setCollisionBox(container->spriteSize(0.0f), container->collisionOffset());
}

// --- character ---

QVBaseModelAssetCharacter::QVBaseModelAssetCharacter(const std::string& name)
    : QVModelAsset(name) QV_ASSET_CHARACTER_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_castShadow->setValue(true, true);
}

QVBaseModelAssetCharacter::QVBaseModelAssetCharacter(const QVBaseModelAssetCharacter& source)
    : QVModelAsset(source) QV_ASSET_CHARACTER_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelSpriteContainer> QVBaseModelAssetCharacter::visualModel() const {
    return builtFrom(m_defaultAnimation);
}

std::shared_ptr<QVModelAnimation> QVBaseModelAssetCharacter::defaultAnimation() const {
    return linked(m_defaultAnimation);
}
std::shared_ptr<QVModelAnimation> QVBaseModelAssetCharacter::shootingAnimation() const {
    return linked(m_shootingAnimation);
}
std::shared_ptr<QVModelAnimation> QVBaseModelAssetCharacter::bulletAnimation() const {
    return linked(m_bulletAnimation);
}
std::shared_ptr<QVModelAnimation> QVBaseModelAssetCharacter::jumpAnimation() const { return linked(m_jumpAnimation); }
std::shared_ptr<QVModelAnimation> QVBaseModelAssetCharacter::moveAnimation() const { return linked(m_moveAnimation); }
std::shared_ptr<QVModelAnimation> QVBaseModelAssetCharacter::defeatedAnimation() const {
    return linked(m_defeatedAnimation);
}
std::shared_ptr<QVModelSound> QVBaseModelAssetCharacter::jumpSound() const { return linked(m_jumpSound); }
std::shared_ptr<QVModelSound> QVBaseModelAssetCharacter::shootSound() const { return linked(m_shootSound); }
std::shared_ptr<QVModelSound> QVBaseModelAssetCharacter::defeatedSound() const { return linked(m_defeatedSound); }
std::shared_ptr<QVModelSound> QVBaseModelAssetCharacter::groundCollision() const { return linked(m_groundCollision); }
bool QVBaseModelAssetCharacter::castShadow() const { return value(m_castShadow); }
bool QVBaseModelAssetCharacter::autoTilt() const { return value(m_autoTilt); }
float QVBaseModelAssetCharacter::gameOverDelay() const { return value(m_gameOverDelay); }
float QVBaseModelAssetCharacter::cameraShake() const { return value(m_cameraShake); }
float QVBaseModelAssetCharacter::cameraFlash() const { return value(m_cameraFlash); }
float QVBaseModelAssetCharacter::fallAttribute() const { return value(m_fallAttribute); }
const std::string& QVBaseModelAssetCharacter::purchaseMethod() const { return text(m_purchaseMethod); }
const std::string& QVBaseModelAssetCharacter::adNetwork() const { return text(m_adNetwork); }
const std::string& QVBaseModelAssetCharacter::storeIdentifier() const { return text(m_storeIdentifier); }
const std::string& QVBaseModelAssetCharacter::webLink() const { return text(m_webLink); }
float QVBaseModelAssetCharacter::price() const { return value(m_price); }

QVModelAssetCharacter::QVModelAssetCharacter(const std::string& name) : QVBaseModelAssetCharacter(name) {}

QVModelAssetCharacter::QVModelAssetCharacter(const QVModelAssetCharacter& source) : QVBaseModelAssetCharacter(source) {}

// --- obstacle ---

QVBaseModelAssetObstacle::QVBaseModelAssetObstacle(const std::string& name)
    : QVModelAsset(name) QV_ASSET_OBSTACLE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVBaseModelAssetObstacle::QVBaseModelAssetObstacle(const QVBaseModelAssetObstacle& source)
    : QVModelAsset(source) QV_ASSET_OBSTACLE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelSpriteContainer> QVBaseModelAssetObstacle::visualModel() const {
    return builtFrom(m_idleAnimation);
}

std::shared_ptr<QVModelAnimation> QVBaseModelAssetObstacle::idleAnimation() const { return linked(m_idleAnimation); }
std::shared_ptr<QVModelAnimation> QVBaseModelAssetObstacle::defeatedAnimation() const {
    return linked(m_defeatedAnimation);
}
std::shared_ptr<QVModelSound> QVBaseModelAssetObstacle::idleSound() const { return linked(m_idleSound); }
std::shared_ptr<QVModelSound> QVBaseModelAssetObstacle::deathSound() const { return linked(m_deathSound); }
std::shared_ptr<QVModelSound> QVBaseModelAssetObstacle::wakeUpSound() const { return linked(m_wakeUpSound); }

void QVBaseModelAssetObstacle::setIdleAnimation(const std::shared_ptr<QVModelAnimation>& animation) {
    relinkNotifying(m_idleAnimation, animation);
}

void QVBaseModelAssetObstacle::setIdleAnimationWithShape(const std::shared_ptr<QVModelSpriteContainer>& container) {
    if (!container) {
        setCollisionBox(CCSize(10.0f, 10.0f), CCPoint(0.0f, 0.0f));
        return;
    }
    if (m_idleAnimation) m_idleAnimation->setAnimation(container);
    setCollisionBoxFromSprites(container);
}

QVModelAssetObstacle::QVModelAssetObstacle(const std::string& name) : QVBaseModelAssetObstacle(name) {}

QVModelAssetObstacle::QVModelAssetObstacle(const QVModelAssetObstacle& source) : QVBaseModelAssetObstacle(source) {}

// --- powerup ---

QVBaseModelAssetPowerup::QVBaseModelAssetPowerup(const std::string& name)
    : QVModelAsset(name) QV_ASSET_POWERUP_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVBaseModelAssetPowerup::QVBaseModelAssetPowerup(const QVBaseModelAssetPowerup& source)
    : QVModelAsset(source) QV_ASSET_POWERUP_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelSpriteContainer> QVBaseModelAssetPowerup::visualModel() const {
    return builtFrom(m_idleAnimation);
}

std::shared_ptr<QVModelAnimation> QVBaseModelAssetPowerup::idleAnimation() const { return linked(m_idleAnimation); }
const std::string& QVBaseModelAssetPowerup::powerupType() const { return text(m_powerupType); }
std::shared_ptr<QVModelAnimation> QVBaseModelAssetPowerup::startAnimation() const { return linked(m_startAnimation); }
const std::string& QVBaseModelAssetPowerup::animationPlacement() const { return text(m_animationPlacement); }
const std::string& QVBaseModelAssetPowerup::animationBehaviour() const { return text(m_animationBehaviour); }
std::shared_ptr<QVModelSound> QVBaseModelAssetPowerup::idleSound() const { return linked(m_idleSound); }
std::shared_ptr<QVModelSound> QVBaseModelAssetPowerup::startSound() const { return linked(m_startSound); }
std::shared_ptr<QVModelSound> QVBaseModelAssetPowerup::endSound() const { return linked(m_endSound); }
int QVBaseModelAssetPowerup::rewardCoins() const { return wholeOf(m_rewardCoins); }
bool QVBaseModelAssetPowerup::showCoinReward() const { return value(m_showCoinReward); }
int QVBaseModelAssetPowerup::rewardPoints() const { return wholeOf(m_rewardPoints); }
bool QVBaseModelAssetPowerup::showPointsReward() const { return value(m_showPointsReward); }
float QVBaseModelAssetPowerup::duration() const { return value(m_duration); }
int QVBaseModelAssetPowerup::appearanceChance() const { return wholeOf(m_appearanceChance); }
float QVBaseModelAssetPowerup::cameraShake() const { return value(m_cameraShake); }
float QVBaseModelAssetPowerup::cameraFlash() const { return value(m_cameraFlash); }
CCPoint QVBaseModelAssetPowerup::maxSpeed() const { return value(m_maxSpeed); }
CCPoint QVBaseModelAssetPowerup::gravity() const { return value(m_gravity); }
CCPoint QVBaseModelAssetPowerup::jumpForce() const { return value(m_jumpForce); }
float QVBaseModelAssetPowerup::jumpCounter() const { return value(m_jumpCounter); }
float QVBaseModelAssetPowerup::jumpTimeout() const { return value(m_jumpTimeout); }
float QVBaseModelAssetPowerup::groundThreshold() const { return value(m_groundThreshold); }
bool QVBaseModelAssetPowerup::hasGroundThreshold() const { return m_groundThreshold && m_groundThreshold->hasValue(); }
bool QVBaseModelAssetPowerup::jumpFromGround() const { return value(m_jumpFromGround); }
float QVBaseModelAssetPowerup::rightLeanForce() const { return value(m_rightLeanForce); }
float QVBaseModelAssetPowerup::leftLeanForce() const { return value(m_leftLeanForce); }
float QVBaseModelAssetPowerup::gameSpeedMin() const { return value(m_gameSpeedMin); }
float QVBaseModelAssetPowerup::gameSpeedMax() const { return value(m_gameSpeedMax); }
float QVBaseModelAssetPowerup::speedIncrease() const { return value(m_speedIncrease); }
float QVBaseModelAssetPowerup::friction() const { return value(m_friction); }
float QVBaseModelAssetPowerup::timeWarp() const { return value(m_timeWarp); }
float QVBaseModelAssetPowerup::velocityDrag() const { return value(m_velocityDrag); }
float QVBaseModelAssetPowerup::rotationDrag() const { return value(m_rotationDrag); }
CCPoint QVBaseModelAssetPowerup::bounceForce() const { return value(m_bounceForce); }
float QVBaseModelAssetPowerup::bounce() const { return value(m_bounce); }
float QVBaseModelAssetPowerup::scoreMultiplier() const { return value(m_scoreMultiplier); }
CCPoint QVBaseModelAssetPowerup::airDrag() const { return value(m_airDrag); }
float QVBaseModelAssetPowerup::platformFriction() const { return value(m_platformFriction); }
float QVBaseModelAssetPowerup::gameDirection() const { return value(m_gameDirection); }
bool QVBaseModelAssetPowerup::fixedRotation() const { return value(m_fixedRotation); }

void QVBaseModelAssetPowerup::applyGameplaySettings() const {
    QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
    settings->pushSettings();
    const CCPoint speed = maxSpeed();
    settings->setMoveSpeed(CCPoint(speed.x / 3.0f, speed.y / 3.0f));
    settings->setGravity(gravity());
    const CCPoint jump = jumpForce();
    settings->setUpForce(CCPoint(jump.x / 4.0f, jump.y / 4.0f));
    settings->setUpForceCounter(jumpCounter());
    settings->setUpForceDuration(jumpTimeout());
    if (hasGroundThreshold()) settings->setJumpGroundThreshold(groundThreshold());
    settings->setUpForceFromGround(jumpFromGround());
    settings->setRightLeanForce(rightLeanForce() / 100.0f);
    settings->setLeftLeanForce(leftLeanForce() / 100.0f);
    settings->setGameSpeedMin(gameSpeedMin() / 25.0f);
    settings->setGameSpeedMax(gameSpeedMax() / 25.0f);
    settings->setGameSpeedIncrease(speedIncrease() / 25.0f);
    settings->setFriction(friction() / 100.0f);
    settings->setSimulationTimeScale(timeWarp() / 50.0f);
    settings->setVelocityScale(velocityDrag());
    settings->setRotationScale(rotationDrag());
    const CCPoint bounceBy = bounceForce();
    settings->setBounceForce(CCPoint(bounceBy.x / 2.0f, bounceBy.y / 2.0f));
    settings->setRestitution(bounce() / 100.0f);
    settings->setScoreMultiplier(scoreMultiplier());
    const CCPoint drag = airDrag();
    settings->setCharacterFriction(CCPoint(1.0f - drag.x / 100.0f, 1.0f - drag.y / 100.0f));
    settings->setPlatformFriction(platformFriction() / 40.0f);
    settings->setGameplayAngleDirection(gameDirection());
    settings->setFixedRotation(fixedRotation());
}

QVModelAssetPowerup::QVModelAssetPowerup(const std::string& name) : QVBaseModelAssetPowerup(name) {}

QVModelAssetPowerup::QVModelAssetPowerup(const QVModelAssetPowerup& source) : QVBaseModelAssetPowerup(source) {}
