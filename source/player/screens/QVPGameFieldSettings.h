// QVPGameFieldSettings: the live gameplay values of the running world
// (gravity, forces, friction, game speed, deletion thresholds, switches).
// Filled once from the general settings; each world, the character's
// gameplay-settings component and gameplay powerups override parts of it.
// Guarantees: the outermost push saves the 22 powerup values and the jump
// ground threshold (a powerup sets it too), and the matching pop restores
// them exactly (a plain copy, no text round trip);
// inner pushes and pops only count; a pop at depth 0 changes nothing. Every
// setter stores its value unchecked. The apply calls do nothing for an empty
// pointer.
#pragma once

#include <memory>

#include "math/CCGeometry.h"

class QVModelAssetPowerup;
class QVModelComponentCharacterGameplaySettings;
class QVModelGeneralSettings;
class QVModelScreenScene;

class QVPGameFieldSettings {
public:
    // Built from QVModelGeneralSettings::shared() on first use.
    static QVPGameFieldSettings* shared();
    // Drops the instance, so the next shared() reads the general settings
    // again (tests).
    static void destroy();

    const cocos2d::CCPoint& gravity() const { return m_values.gravity; }
    const cocos2d::CCPoint& moveSpeed() const { return m_values.moveSpeed; }
    const cocos2d::CCPoint& bounceForce() const { return m_values.bounceForce; }
    const cocos2d::CCPoint& upForce() const { return m_values.upForce; }
    float upForceDuration() const { return m_values.upForceDuration; }
    float upForceCounter() const { return m_values.upForceCounter; }
    float jumpGroundThreshold() const { return m_jumpGroundThreshold; }
    float leftLeanForce() const { return m_values.leftLeanForce; }
    float rightLeanForce() const { return m_values.rightLeanForce; }
    float simulationTimeScale() const { return m_values.simulationTimeScale; }
    float friction() const { return m_values.friction; }
    const cocos2d::CCPoint& characterFriction() const { return m_values.characterFriction; }
    float velocityScale() const { return m_values.velocityScale; }
    float rotationScale() const { return m_values.rotationScale; }
    float restitution() const { return m_values.restitution; }
    float platformFriction() const { return m_values.platformFriction; }
    float scoreMultiplier() const { return m_values.scoreMultiplier; }
    bool upForceFromGround() const { return m_values.upForceFromGround; }
    bool fixedPosition() const { return m_fixedPosition; }
    bool forcedMovement() const { return m_forcedMovement; }
    bool fixedRotation() const { return m_values.fixedRotation; }
    bool autoImageDirection() const { return m_autoImageDirection; }
    float gameSpeedMin() const { return m_values.gameSpeedMin; }
    float gameSpeedMax() const { return m_values.gameSpeedMax; }
    float gameSpeed() const { return m_gameSpeed; }
    float gameSpeedIncrease() const { return m_values.gameSpeedIncrease; }
    float gameplayAngleDirection() const { return m_values.gameplayAngleDirection; }
    float sidesDeletionThreshold() const { return m_sidesDeletionThreshold; }
    float backDeletionThreshold() const { return m_backDeletionThreshold; }
    int saveDepth() const { return m_saveDepth; }
    const std::shared_ptr<QVModelGeneralSettings>& generalSettings() const { return m_generalSettings; }

    void setGravity(const cocos2d::CCPoint& gravity) { m_values.gravity = gravity; }
    void setMoveSpeed(const cocos2d::CCPoint& speed) { m_values.moveSpeed = speed; }
    void setBounceForce(const cocos2d::CCPoint& force) { m_values.bounceForce = force; }
    void setUpForce(const cocos2d::CCPoint& force) { m_values.upForce = force; }
    void setUpForceDuration(float seconds) { m_values.upForceDuration = seconds; }
    void setUpForceCounter(float count) { m_values.upForceCounter = count; }
    void setUpForceFromGround(bool fromGround) { m_values.upForceFromGround = fromGround; }
    void setJumpGroundThreshold(float threshold) { m_jumpGroundThreshold = threshold; }
    void setLeftLeanForce(float force) { m_values.leftLeanForce = force; }
    void setRightLeanForce(float force) { m_values.rightLeanForce = force; }
    void setSimulationTimeScale(float scale) { m_values.simulationTimeScale = scale; }
    void setFriction(float friction) { m_values.friction = friction; }
    void setCharacterFriction(const cocos2d::CCPoint& friction) { m_values.characterFriction = friction; }
    void setVelocityScale(float scale) { m_values.velocityScale = scale; }
    void setRotationScale(float scale) { m_values.rotationScale = scale; }
    void setRestitution(float restitution) { m_values.restitution = restitution; }
    void setPlatformFriction(float friction) { m_values.platformFriction = friction; }
    void setScoreMultiplier(float multiplier) { m_values.scoreMultiplier = multiplier; }
    void setGameSpeedMin(float speed) { m_values.gameSpeedMin = speed; }
    void setGameSpeedMax(float speed) { m_values.gameSpeedMax = speed; }
    void setGameSpeedIncrease(float increase) { m_values.gameSpeedIncrease = increase; }
    void setGameSpeed(float speed) { m_gameSpeed = speed; }
    void setGameplayAngleDirection(float degrees) { m_values.gameplayAngleDirection = degrees; }
    void setFixedRotation(bool fixed) { m_values.fixedRotation = fixed; }

    // The unit vector at -gameplayAngleDirection degrees: 0 is +x, 90 is -y.
    cocos2d::CCPoint gameplayDirection() const;

    // The world's values (its component fallbacks included).
    void applySceneSettings(const std::shared_ptr<QVModelScreenScene>& scene);
    // The character's gameplay-settings component.
    void applyCharacterSettings(const std::shared_ptr<QVModelComponentCharacterGameplaySettings>& component);
    // Push, then the powerup's gameplay values.
    void applyPowerupSettings(const std::shared_ptr<QVModelAssetPowerup>& powerup);

    void pushSettings();
    void popSettings();
    // A new scene starts with nothing saved; values are not restored.
    void resetSaveDepth() { m_saveDepth = 0; }

private:
    QVPGameFieldSettings();

    // The values a powerup push saves, in the order of the saved keys.
    struct SavedValues {
        cocos2d::CCPoint moveSpeed;
        cocos2d::CCPoint gravity;
        cocos2d::CCPoint upForce;
        float upForceCounter = 0.0f;
        float upForceDuration = 0.0f;
        bool upForceFromGround = false;
        float rightLeanForce = 0.0f;
        float leftLeanForce = 0.0f;
        float gameSpeedMin = 0.0f;
        float gameSpeedMax = 0.0f;
        float gameSpeedIncrease = 0.0f;
        float friction = 0.0f;
        float simulationTimeScale = 0.0f;
        float velocityScale = 0.0f;
        float rotationScale = 0.0f;
        cocos2d::CCPoint bounceForce;
        float restitution = 0.0f;
        float scoreMultiplier = 0.0f;
        cocos2d::CCPoint characterFriction;
        float platformFriction = 0.0f;
        float gameplayAngleDirection = 0.0f;
        bool fixedRotation = false;
    };

    SavedValues m_values;
    float m_jumpGroundThreshold = 0.0f;
    bool m_fixedPosition = false;
    bool m_forcedMovement = false;
    bool m_autoImageDirection = false;
    float m_gameSpeed = 0.0f;
    float m_sidesDeletionThreshold = 0.0f;
    float m_backDeletionThreshold = 0.0f;
    int m_saveDepth = 0;
    SavedValues m_savedValues;
    float m_savedJumpGroundThreshold = 0.0f;
    std::shared_ptr<QVModelGeneralSettings> m_generalSettings;
};

// The offset of the visible area in design coordinates: under the no-border
// policy half of the design size the frame crops (on x when the frame is
// narrower in aspect than the design, else on y); the director's content
// offset under every other policy.
cocos2d::CCPoint visibleOriginOffset();
