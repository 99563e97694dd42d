#include "player/screens/QVPGameFieldSettings.h"

#include "director/CCDirector.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/classes/QVNeutralRead.h"
#include "view/CCEGLView.h"

using cocos2d::CCPoint;
using cocos2d::CCSize;
using qvread::value;

namespace {
// Never destroyed at exit: it holds a model, which must not outlive the
// model controller during static destruction.
QVPGameFieldSettings* g_settings = nullptr;
}  // namespace

QVPGameFieldSettings* QVPGameFieldSettings::shared() {
    if (!g_settings) g_settings = new QVPGameFieldSettings();
    return g_settings;
}

void QVPGameFieldSettings::destroy() {
    delete g_settings;
    g_settings = nullptr;
}

QVPGameFieldSettings::QVPGameFieldSettings() : m_generalSettings(QVModelGeneralSettings::shared()) {
    const QVModelGeneralSettings& general = *m_generalSettings;
    m_values.gravity = general.gravity();
    m_values.moveSpeed = general.moveSpeed();
    m_values.bounceForce = general.bounceForce();
    m_values.upForce = general.jump();
    m_values.upForceDuration = general.jumpTimeout();
    m_values.upForceCounter = general.jumpCounter();
    m_jumpGroundThreshold = general.jumpGroundThreshold();
    m_values.leftLeanForce = general.leftLeanForce();
    m_values.rightLeanForce = general.rightLeanForce();
    m_values.simulationTimeScale = general.simulationTimeScale();
    m_values.friction = general.friction();
    m_values.characterFriction = general.characterFriction();
    m_values.velocityScale = 1.0f - general.velocityScale();
    m_values.rotationScale = general.rotationScale();
    m_values.restitution = general.restitution();
    m_values.platformFriction = general.platformFriction();
    m_values.scoreMultiplier = general.scoreMultiplier();
    m_values.upForceFromGround = general.jumpFromGround();
    m_fixedPosition = general.fixedPosition();
    m_forcedMovement = general.forcedMovement();
    m_values.fixedRotation = general.fixedRotation();
    m_autoImageDirection = general.autoImageDirection();
    m_values.gameSpeedMin = general.gameSpeedMin();
    m_values.gameSpeedMax = general.gameSpeedMax();
    m_gameSpeed = general.gameSpeedCurrent();
    m_values.gameSpeedIncrease = general.gameSpeedIncrease();
    m_values.gameplayAngleDirection = general.gameAngleDirection();
    m_sidesDeletionThreshold = general.sidesDeletionThreshold();
    m_backDeletionThreshold = general.backDeletionThreshold();
}

CCPoint QVPGameFieldSettings::gameplayDirection() const {
    return CCPoint::forAngle(-(m_values.gameplayAngleDirection * 0.017453292f));
}

void QVPGameFieldSettings::applySceneSettings(const std::shared_ptr<QVModelScreenScene>& scene) {
    if (!scene) return;
    m_values.gravity = scene->gravity();
    m_values.simulationTimeScale = scene->timeWarp();
    m_values.friction = scene->friction();
    m_values.velocityScale = scene->velocityDrag();
    m_values.restitution = scene->bounce();
    m_values.scoreMultiplier = scene->scoreMultiplier();
    m_values.gameSpeedMin = scene->gameSpeedMin();
    m_values.gameSpeedMax = scene->gameSpeedMax();
    m_values.gameSpeedIncrease = scene->speedIncrease();
    m_values.gameplayAngleDirection = scene->gameDirection();
    m_sidesDeletionThreshold = scene->sidesDeletionThreshold();
    m_backDeletionThreshold = scene->backDeletionThreshold();
}

void QVPGameFieldSettings::applyCharacterSettings(
    const std::shared_ptr<QVModelComponentCharacterGameplaySettings>& component) {
    if (!component) return;
    // Read through the attributes: a copy may lack one (neutral value then).
    m_values.moveSpeed = value(component->maxSpeedAttribute());
    m_values.bounceForce = value(component->bounceForceAttribute());
    m_values.upForce = value(component->jumpForceAttribute());
    m_values.upForceDuration = value(component->jumpTimeoutAttribute());
    m_values.upForceCounter = value(component->jumpCounterAttribute());
    m_jumpGroundThreshold = component->groundThreshold();
    m_values.leftLeanForce = component->leftLeanForce();
    m_values.rightLeanForce = component->rightLeanForce();
    m_values.characterFriction = value(component->airDragAttribute());
    m_values.rotationScale = component->rotationDrag();
    m_values.platformFriction = component->platformFriction();
    m_values.upForceFromGround = value(component->jumpFromGroundAttribute());
    m_fixedPosition = value(component->directMovementAttribute());
    m_forcedMovement = component->forcedMovement();
    m_values.fixedRotation = value(component->fixedRotationAttribute());
    m_autoImageDirection = value(component->imageDirectionAttribute());
}

void QVPGameFieldSettings::applyPowerupSettings(const std::shared_ptr<QVModelAssetPowerup>& powerup) {
    if (powerup) powerup->applyGameplaySettings();
}

void QVPGameFieldSettings::pushSettings() {
    ++m_saveDepth;
    if (m_saveDepth != 1) return;
    m_savedValues = m_values;
    m_savedJumpGroundThreshold = m_jumpGroundThreshold;
}

void QVPGameFieldSettings::popSettings() {
    if (m_saveDepth == 0) return;
    --m_saveDepth;
    if (m_saveDepth > 0) return;
    m_values = m_savedValues;
    m_jumpGroundThreshold = m_savedJumpGroundThreshold;
}

CCPoint visibleOriginOffset() {
    cocos2d::CCDirector* director = cocos2d::CCDirector::sharedDirector();
    cocos2d::CCEGLView* view = director->getOpenGLView();
    if (!view || view->getResolutionPolicy() != cocos2d::kResolutionNoBorder) return director->getContentOffset();
    const CCSize& frame = view->getFrameSize();
    const CCSize& design = view->getDesignResolutionSize();
    const float scaleX = view->getScaleX();
    const float scaleY = view->getScaleY();
    // A degenerate view would divide by zero; it has nothing cropped.
    if (!(frame.height > 0.0f) || !(design.height > 0.0f) || !(scaleX > 0.0f) || !(scaleY > 0.0f)) {
        return CCPoint(0.0f, 0.0f);
    }
    if (frame.width / frame.height <= design.width / design.height) {
        return CCPoint((frame.width / scaleY - design.width) * 0.5f, 0.0f);
    }
    return CCPoint(0.0f, (frame.height / scaleX - design.height) * 0.5f);
}
