// The fourteen behaviour components: settings models attached as children to
// assets, placed objects and worlds; the game field builds its behaviours
// from them.
// Guarantees: getters read through the member pointers and answer a neutral
// value (0, false, "", (0, 0), empty model) in a copy whose source lacked the
// attribute; integer readings of stored floats never overflow (NaN reads 0,
// huge values saturate); the jump and move components drop their default
// shape from the controller once a connection read replaces it (and only
// that model: the controller's removal is identity-checked).
// Refuses: nothing; "Affected asset" texts without a number read 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "math/CCGeometry.h"
#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelComponent.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

class QVModelAnimation;
class QVModelPolygon;
class QVModelSound;

// The attribute itself, for attributes read without a getter of their own.
#define QV_COMPONENT_ATTRIBUTE(Kind, member, Name) \
    Kind* member##Attribute() const { return m_##member; }

// ---------------------------------------------------------------- gameplay

#define QV_GAMEPLAY_SETTINGS_ATTRIBUTES(X)                  \
    X(QVAttributePoint, maxSpeed, "Max Speed")              \
    X(QVAttributePoint, bounceForce, "Bounce Force")        \
    X(QVAttributePoint, jumpForce, "Jump Force")            \
    X(QVAttributeFloat, jumpTimeout, "Jump Timeout")        \
    X(QVAttributeFloat, jumpCounter, "Jump Counter")        \
    X(QVAttributeFloat, groundThreshold, "Ground Threshold") \
    X(QVAttributeBool, jumpFromGround, "Jump From Ground")  \
    X(QVAttributeFloat, leftLeanForce, "Left Lean Force")   \
    X(QVAttributeFloat, rightLeanForce, "Right Lean Force") \
    X(QVAttributeFloat, platformFriction, "Platform Friction") \
    X(QVAttributeFloat, rotationDrag, "Rotation Drag")      \
    X(QVAttributePoint, airDrag, "Air Drag")                \
    X(QVAttributeBool, directMovement, "Direct Movement")   \
    X(QVAttributeBool, forcedMovement, "Forced Movement")   \
    X(QVAttributeBool, fixedRotation, "Fixed Rotation")     \
    X(QVAttributeBool, imageDirection, "Image Direction")

class QVBaseModelComponentCharacterGameplaySettings : public QVModelComponent {
public:
    QV_GAMEPLAY_SETTINGS_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)

    const cocos2d::CCPoint& maxSpeed() const;
    const cocos2d::CCPoint& bounceForce() const;
    const cocos2d::CCPoint& jumpForce() const;
    float jumpTimeout() const;
    float jumpCounter() const;
    float groundThreshold() const;
    bool jumpFromGround() const;
    float leftLeanForce() const;
    float rightLeanForce() const;
    float platformFriction() const;
    float rotationDrag() const;
    const cocos2d::CCPoint& airDrag() const;
    bool directMovement() const;
    bool forcedMovement() const;
    bool fixedRotation() const;
    bool imageDirection() const;

protected:
    explicit QVBaseModelComponentCharacterGameplaySettings(const std::string& name);
    QVBaseModelComponentCharacterGameplaySettings(const QVBaseModelComponentCharacterGameplaySettings& source);

    QV_GAMEPLAY_SETTINGS_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelComponentCharacterGameplaySettings : public QVBaseModelComponentCharacterGameplaySettings {
    QV_MODEL_GLUE(QVModelComponentCharacterGameplaySettings, "Character Gameplay Settings", QVModelComponent, QVModel)
public:
    explicit QVModelComponentCharacterGameplaySettings(const std::string& name);
    QVModelComponentCharacterGameplaySettings(const QVModelComponentCharacterGameplaySettings& source);
};

// ---------------------------------------------------------------- icon

#define QV_CHARACTER_ICON_ATTRIBUTES(X)                 \
    X(QVAttributeAnimation, regularIcon, "Regular Icon") \
    X(QVAttributeAnimation, lockedIcon, "Locked Icon")   \
    X(QVAttributeAnimation, selectedIcon, "Selected Icon")

class QVModelComponentCharacterIcon : public QVModelComponent {
    QV_MODEL_GLUE(QVModelComponentCharacterIcon, "Character Icon", QVModelComponent, QVModel)
public:
    explicit QVModelComponentCharacterIcon(const std::string& name);
    QVModelComponentCharacterIcon(const QVModelComponentCharacterIcon& source);

    QV_CHARACTER_ICON_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)
    std::shared_ptr<QVModelAnimation> selectedIcon() const;

protected:
    QV_CHARACTER_ICON_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// ---------------------------------------------------------------- damage

#define QV_DAMAGE_ATTRIBUTES(X)          \
    X(QVAttributeFloat, damage, "Damage") \
    X(QVAttributeFloat, damageDelay, "Damage delay")

class QVModelComponentDamage : public QVModelComponent {
    QV_MODEL_GLUE(QVModelComponentDamage, "Damage", QVModelComponent, QVModel)
public:
    explicit QVModelComponentDamage(const std::string& name);
    QVModelComponentDamage(const QVModelComponentDamage& source);

    QV_DAMAGE_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)
    // "Damage" truncated toward zero.
    int damage() const;
    // Clamped into the attribute's range; notifies only on a change.
    void setDamage(int damage, bool silent = false);
    void setDamageDelay(float delay, bool silent = false);

protected:
    QV_DAMAGE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// ---------------------------------------------------------------- deletion threshold

#define QV_DELETION_THRESHOLD_ATTRIBUTES(X)                           \
    X(QVAttributeFloat, backDeletionThreshold, "Back Deletion Threshold") \
    X(QVAttributeFloat, sidesDeletionThreshold, "Sides Deletion Threshold")

class QVModelComponentDeletionThreshold : public QVModelComponent {
    QV_MODEL_GLUE(QVModelComponentDeletionThreshold, "Object Deletion Threshold", QVModelComponent, QVModel)
public:
    explicit QVModelComponentDeletionThreshold(const std::string& name);
    QVModelComponentDeletionThreshold(const QVModelComponentDeletionThreshold& source);

    QV_DELETION_THRESHOLD_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)
    float sidesDeletionThreshold() const;

protected:
    QV_DELETION_THRESHOLD_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// ---------------------------------------------------------------- forced movement

// "Froce Min" is spelled so in stored games.
#define QV_FORCED_MOVEMENT_ATTRIBUTES(X)          \
    X(QVAttributeFloat, forceMin, "Froce Min")     \
    X(QVAttributeFloat, forceMax, "Force Max")     \
    X(QVAttributeFloat, forceIncrease, "Force Increase")

class QVModelComponentForcedMovement : public QVModelComponent {
    QV_MODEL_GLUE(QVModelComponentForcedMovement, "Forced Movement", QVModelComponent, QVModel)
public:
    explicit QVModelComponentForcedMovement(const std::string& name);
    QVModelComponentForcedMovement(const QVModelComponentForcedMovement& source);

    QV_FORCED_MOVEMENT_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)
    float forceMin() const;

protected:
    QV_FORCED_MOVEMENT_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// ---------------------------------------------------------------- health

#define QV_HEALTH_ATTRIBUTES(X)                                    \
    X(QVAttributeAnimation, takingDamageAnimation, "Taking Damage Anim.") \
    X(QVAttributeSound, takingDamageSound, "Taking Damage Sound")  \
    X(QVAttributeFloat, deathDelay, "Death Delay")                 \
    X(QVAttributeFloat, health, "Health")                          \
    X(QVAttributeFloat, lives, "Lives")

class QVModelComponentHealth : public QVModelComponent {
    QV_MODEL_GLUE(QVModelComponentHealth, "Health", QVModelComponent, QVModel)
public:
    explicit QVModelComponentHealth(const std::string& name);
    QVModelComponentHealth(const QVModelComponentHealth& source);

    QV_HEALTH_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)
    // "Health" and "Lives" truncated toward zero.
    int health() const;
    int lives() const;

    // Lives left in the current run (1 in a new model or a copy; never
    // packed); the application and the game field set it.
    int livesLeft() const { return m_livesLeft; }
    void setLivesLeft(int lives) { m_livesLeft = lives; }

protected:
    QV_HEALTH_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
    int m_livesLeft = 1;
};

// ---------------------------------------------------------------- iso jump

// "Syncronize Animation" is spelled so in stored games.
#define QV_ISO_JUMP_ATTRIBUTES(X)                                   \
    X(QVAttributePoint, jumpVelocity, "Jump Velocity")              \
    X(QVAttributePoint, jumpGravity, "Jump Gravity")                \
    X(QVAttributeFloat, jumpSpeed, "Jump Speed")                    \
    X(QVAttributeFloat, jumpDuration, "Jump Duration")              \
    X(QVAttributeFloat, jumpTimeout, "Jump Timeout")                \
    X(QVAttributeFloat, jumpCount, "Jump Count")                    \
    X(QVAttributeBool, continuousJump, "Continuous Jump")           \
    X(QVAttributeBool, activateOnRelease, "Activate On Release")    \
    X(QVAttributeStringList, event, "Event")                        \
    X(QVAttributeBool, syncronizeAnimation, "Syncronize Animation") \
    X(QVAttributeShape, collisionShape, "Collision Shape")          \
    X(QVAttributeAnimation, animation, "Animation")                 \
    X(QVAttributeAnimation, ground, "Ground")                       \
    X(QVAttributeSound, jumpSound, "Jump Sound")                    \
    X(QVAttributeSound, doubleJumpSound, "Double Jump Sound")

class QVBaseModelComponentIsoJump : public QVModelComponent {
public:
    QV_ISO_JUMP_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)

    const cocos2d::CCPoint& jumpVelocity() const;
    const std::string& event() const;
    bool continuousJump() const;
    bool activateOnRelease() const;
    std::shared_ptr<QVModelPolygon> collisionShape() const;
    std::shared_ptr<QVModelAnimation> animation() const;
    std::shared_ptr<QVModelAnimation> ground() const;
    std::shared_ptr<QVModelSound> jumpSound() const;
    std::shared_ptr<QVModelSound> doubleJumpSound() const;

    std::shared_ptr<QVModelSpriteContainer> animationModel() const override;
    // Connection reads drop the default shape when they replace it.
    void unpackConnections(const QVPackMap& map) override;
    void connectionsFromDictionary(cocos2d::CCDictionary* dict) override;

protected:
    explicit QVBaseModelComponentIsoJump(const std::string& name);
    QVBaseModelComponentIsoJump(const QVBaseModelComponentIsoJump& source);

    QV_ISO_JUMP_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelComponentIsoJump : public QVBaseModelComponentIsoJump {
    QV_MODEL_GLUE(QVModelComponentIsoJump, "Ghost Jump", QVModelComponent, QVModel)
public:
    explicit QVModelComponentIsoJump(const std::string& name);
    QVModelComponentIsoJump(const QVModelComponentIsoJump& source);
};

// ---------------------------------------------------------------- motor

#define QV_MOTOR_ATTRIBUTES(X)                                 \
    X(QVAttributePoint, linearVelocity, "Linear Velocity")     \
    X(QVAttributeFloat, angularVelocity, "Angular Velocity")   \
    X(QVAttributeStringList, event, "Event")                   \
    X(QVAttributePoint, linearMultiplier, "Linear Multiplier") \
    X(QVAttributeFloat, angularMultiplier, "Angular Multiplier") \
    X(QVAttributeStringList, affectedAsset, "Affected asset")

class QVBaseModelComponentMotor : public QVModelComponent {
public:
    QV_MOTOR_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)

    const cocos2d::CCPoint& linearMultiplier() const;
    // "Affected asset" as a signed decimal (0 without a number).
    int32_t affectedAssetId() const;

protected:
    explicit QVBaseModelComponentMotor(const std::string& name);
    QVBaseModelComponentMotor(const QVBaseModelComponentMotor& source);

    QV_MOTOR_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelComponentMotor : public QVBaseModelComponentMotor {
    QV_MODEL_GLUE(QVModelComponentMotor, "Motor", QVModelComponent, QVModel)
public:
    explicit QVModelComponentMotor(const std::string& name);
    QVModelComponentMotor(const QVModelComponentMotor& source);
};

// ---------------------------------------------------------------- move

#define QV_MOVE_ATTRIBUTES(X)                                             \
    X(QVAttributeShape, collisionShape, "Collision Shape")                \
    X(QVAttributeAnimation, animation, "Animation")                       \
    X(QVAttributeSound, sound, "Sound")                                   \
    X(QVAttributeBool, activateOnRelease, "Activate On Release")          \
    X(QVAttributeBool, forcedSwitchButton, "Forced Switch Button")        \
    X(QVAttributePoint, linearVelocity, "Linear Velocity")                \
    X(QVAttributeFloat, angularVelocity, "Angular Velocity")              \
    X(QVAttributeStringList, mathematicalOperation, "Mathematical Operation") \
    X(QVAttributeStringList, event, "Event")                              \
    X(QVAttributeStringList, affectedAsset, "Affected asset")             \
    X(QVAttributeFloat, timeout, "Timeout")

class QVBaseModelComponentMove : public QVModelComponent {
public:
    QV_MOVE_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)

    bool activateOnRelease() const;
    float angularVelocity() const;
    // False exactly when the value may be empty and is: not given.
    bool hasAngularVelocity() const;
    bool hasLinearVelocityX() const;
    bool hasLinearVelocityY() const;
    const std::string& mathematicalOperation() const;
    // "Affected asset" as an unsigned decimal ("-1" reads 4294967295).
    uint32_t affectedAssetId() const;

    std::shared_ptr<QVModelSpriteContainer> animationModel() const override;
    // Connection reads drop the default shape when they replace it.
    void unpackConnections(const QVPackMap& map) override;
    void connectionsFromDictionary(cocos2d::CCDictionary* dict) override;

protected:
    explicit QVBaseModelComponentMove(const std::string& name);
    QVBaseModelComponentMove(const QVBaseModelComponentMove& source);

    QV_MOVE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelComponentMove : public QVBaseModelComponentMove {
    QV_MODEL_GLUE(QVModelComponentMove, "Advanced Move", QVModelComponent, QVModel)
public:
    explicit QVModelComponentMove(const std::string& name);
    QVModelComponentMove(const QVModelComponentMove& source);
};

// ---------------------------------------------------------------- rotation mapper

#define QV_ROTATION_MAPPER_ATTRIBUTES(X) X(QVAttributeAnimation, animation, "Animation")

// Its "Animation" is not the component's animationModel.
class QVModelComponentRotationMapper : public QVModelComponent {
    QV_MODEL_GLUE(QVModelComponentRotationMapper, "Rotation Mapper", QVModelComponent, QVModel)
public:
    explicit QVModelComponentRotationMapper(const std::string& name);
    QVModelComponentRotationMapper(const QVModelComponentRotationMapper& source);

    QV_ROTATION_MAPPER_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)

protected:
    QV_ROTATION_MAPPER_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// ---------------------------------------------------------------- score

#define QV_SCORE_ATTRIBUTES(X)                       \
    X(QVAttributeBool, resetCoins, "Reset Coins")     \
    X(QVAttributeBool, resetPoints, "Reset Points")   \
    X(QVAttributeBool, resetDistance, "Reset Distance")

class QVModelComponentScore : public QVModelComponent {
    QV_MODEL_GLUE(QVModelComponentScore, "Score", QVModelComponent, QVModel)
public:
    explicit QVModelComponentScore(const std::string& name);
    QVModelComponentScore(const QVModelComponentScore& source);

    QV_SCORE_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)
    bool resetDistance() const;

protected:
    QV_SCORE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// ---------------------------------------------------------------- slide

#define QV_SLIDE_ATTRIBUTES(X)                             \
    X(QVAttributeShape, collisionShape, "Collision Shape") \
    X(QVAttributeAnimation, animation, "Animation")        \
    X(QVAttributeStringList, event, "Event")               \
    X(QVAttributeSound, slideSound, "Slide Sound")

// No default shape, unlike the jump and move components.
class QVModelComponentSlide : public QVModelComponent {
    QV_MODEL_GLUE(QVModelComponentSlide, "Slide", QVModelComponent, QVModel)
public:
    explicit QVModelComponentSlide(const std::string& name);
    QVModelComponentSlide(const QVModelComponentSlide& source);

    QV_SLIDE_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)
    std::shared_ptr<QVModelSound> slideSound() const;
    std::shared_ptr<QVModelSpriteContainer> animationModel() const override;

protected:
    QV_SLIDE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// ---------------------------------------------------------------- spawner

// "Spawn Rate" carries flag 1 (its variance is authored), so it is written
// out by hand before the table's rows.
#define QV_SPAWNER_ATTRIBUTES(X) X(QVAttributeStringList, spawnAction, "Spawn Action")

class QVModelComponentSpawner : public QVModelComponent {
    QV_MODEL_GLUE(QVModelComponentSpawner, "Spawner", QVModelComponent, QVModel)
public:
    explicit QVModelComponentSpawner(const std::string& name);
    QVModelComponentSpawner(const QVModelComponentSpawner& source);

    QVAttributeFloat* spawnRateAttribute() const { return m_spawnRate; }
    QV_SPAWNER_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)

    const std::string& spawnAction() const;
    // Notifies only on a change.
    void setSpawnAction(const std::string& action, bool silent = false);
    // Clamped into the attribute's range; notifies only on a change.
    void setSpawnRate(float rate, bool silent = false);
    // value + variance × (r / 32767 × 2 − 1), r from the project generator.
    float randomSpawnRate() const;

protected:
    QVMember<QVAttributeFloat> m_spawnRateMember;
    QVAttributeFloat* m_spawnRate = nullptr;
    QV_SPAWNER_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// ---------------------------------------------------------------- wake-up

#define QV_WAKEUP_ATTRIBUTES(X)                           \
    X(QVAttributeStringList, wakeUp, "Wake Up")           \
    X(QVAttributeFloat, wakeupDistance, "Wakeup Distance") \
    X(QVAttributeStringList, sleep, "Sleep")              \
    X(QVAttributeFloat, sleepDistance, "Sleep Distance")

class QVModelComponentWakeup : public QVModelComponent {
    QV_MODEL_GLUE(QVModelComponentWakeup, "Wake Up", QVModelComponent, QVModel)
public:
    explicit QVModelComponentWakeup(const std::string& name);
    QVModelComponentWakeup(const QVModelComponentWakeup& source);

    QV_WAKEUP_ATTRIBUTES(QV_COMPONENT_ATTRIBUTE)
    const std::string& wakeUp() const;
    float wakeupDistance() const;
    const std::string& sleep() const;
    float sleepDistance() const;

protected:
    QV_WAKEUP_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};
