// QVModelAsset: a reusable authored thing (character, obstacle, powerup) that
// objects place: its collision shape, animations and sounds, and a powerup's
// temporary gameplay values.
// Guarantees: the visual model is the container the first animation was last
// built from with setAnimation (pack-loaded assets have none); getters of a
// missing attribute give empty pointers, "", 0 or false; a collision-box
// rebuild leaves exactly the four corners of the new box (the old points go
// first), in a shape made and registered when the asset had none.
#pragma once

#include <memory>
#include <string>

#include "math/CCGeometry.h"
#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelCompound.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

class QVModelAnimation;
class QVModelPolygon;
class QVModelSound;
class QVModelSpriteContainer;

// Links `model` through a reference attribute; notifies (kind 0) only when
// the link changes.
template <class A, class M>
void relinkNotifying(A* attribute, const std::shared_ptr<M>& model) {
    if (!attribute || attribute->model() == model) return;
    attribute->setModel(model);
    attribute->valueChanged(0);
}

#define QV_ASSET_ATTRIBUTES(X) X(QVAttributeShape, collisionShape, "Collision Shape")

class QVModelAsset : public QVModelCompound {
    QV_MODEL_GLUE(QVModelAsset, "", QVModelCompound, QVModel)
public:
    explicit QVModelAsset(const std::string& name);
    QVModelAsset(const QVModelAsset& source);

    // The sprite container that shows the asset; empty here.
    virtual std::shared_ptr<QVModelSpriteContainer> visualModel() const { return nullptr; }

    std::shared_ptr<QVModelPolygon> collisionShape() const;
    QVAttributeShape* collisionShapeAttribute() const { return m_collisionShape; }
    // A shape with points that builds a fixture at that scale.
    bool hasValidCollisionShape(float scaleX, float scaleY) const;
    // Rebuilds the shape as a box (a polygon gets the box corners, a circle
    // its default circle), notifying; makes and registers a polygon first
    // when there is no shape.
    void setCollisionBox(const cocos2d::CCSize& size, const cocos2d::CCPoint& offset);
    // The box of the container's sprite at time 0, moved by its collision
    // offset; nothing without a container.
    void setCollisionBoxFromSprites(const std::shared_ptr<QVModelSpriteContainer>& container);

protected:
    QV_ASSET_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// --- character ---

#define QV_ASSET_CHARACTER_ATTRIBUTES(X)                             \
    X(QVAttributeAnimation, defaultAnimation, "Default Animation")   \
    X(QVAttributeAnimation, shootingAnimation, "Shooting Animation") \
    X(QVAttributeAnimation, bulletAnimation, "Bullet Animation")     \
    X(QVAttributeAnimation, jumpAnimation, "Jump Animation")         \
    X(QVAttributeAnimation, moveAnimation, "Move Animation")         \
    X(QVAttributeAnimation, defeatedAnimation, "Defeated Animation") \
    X(QVAttributeSound, jumpSound, "Jump Sound")                     \
    X(QVAttributeSound, shootSound, "Shoot Sound")                   \
    X(QVAttributeSound, defeatedSound, "Defeated Sound")             \
    X(QVAttributeSound, groundCollision, "Ground Collision")         \
    X(QVAttributeBool, castShadow, "Cast Shadow")                    \
    X(QVAttributeBool, autoTilt, "Auto Tilt")                        \
    X(QVAttributeFloat, gameOverDelay, "Game Over Delay")            \
    X(QVAttributeFloat, cameraShake, "Camera Shake")                 \
    X(QVAttributeFloat, cameraFlash, "Camera Flash")                 \
    X(QVAttributeFloat, fallAttribute, "Fall Attribute")             \
    X(QVAttributeStringList, purchaseMethod, "Purchase Method")      \
    X(QVAttributeStringList, adNetwork, "Ad Network")                \
    X(QVAttributeString, storeIdentifier, "Store Identifier")        \
    X(QVAttributeString, webLink, "Web Link")                        \
    X(QVAttributeFloat, price, "Price")

class QVBaseModelAssetCharacter : public QVModelAsset {
public:
    std::shared_ptr<QVModelSpriteContainer> visualModel() const override;

    std::shared_ptr<QVModelAnimation> defaultAnimation() const;
    std::shared_ptr<QVModelAnimation> shootingAnimation() const;
    std::shared_ptr<QVModelAnimation> bulletAnimation() const;
    std::shared_ptr<QVModelAnimation> jumpAnimation() const;
    std::shared_ptr<QVModelAnimation> moveAnimation() const;
    std::shared_ptr<QVModelAnimation> defeatedAnimation() const;
    std::shared_ptr<QVModelSound> jumpSound() const;
    std::shared_ptr<QVModelSound> shootSound() const;
    std::shared_ptr<QVModelSound> defeatedSound() const;
    std::shared_ptr<QVModelSound> groundCollision() const;
    bool castShadow() const;
    bool autoTilt() const;
    float gameOverDelay() const;
    float cameraShake() const;
    float cameraFlash() const;
    float fallAttribute() const;
    const std::string& purchaseMethod() const;
    const std::string& adNetwork() const;
    const std::string& storeIdentifier() const;
    const std::string& webLink() const;
    float price() const;

protected:
    explicit QVBaseModelAssetCharacter(const std::string& name);
    QVBaseModelAssetCharacter(const QVBaseModelAssetCharacter& source);

    QV_ASSET_CHARACTER_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelAssetCharacter : public QVBaseModelAssetCharacter {
    QV_MODEL_GLUE(QVModelAssetCharacter, "", QVModelAsset, QVModelCompound, QVModel)
public:
    explicit QVModelAssetCharacter(const std::string& name);
    QVModelAssetCharacter(const QVModelAssetCharacter& source);
};

// --- obstacle ---

#define QV_ASSET_OBSTACLE_ATTRIBUTES(X)                              \
    X(QVAttributeAnimation, idleAnimation, "Idle Animation")         \
    X(QVAttributeAnimation, defeatedAnimation, "Defeated Animation") \
    X(QVAttributeSound, idleSound, "Idle Sound")                     \
    X(QVAttributeSound, deathSound, "Death Sound")                   \
    X(QVAttributeSound, wakeUpSound, "WakeUp Sound")

class QVBaseModelAssetObstacle : public QVModelAsset {
public:
    std::shared_ptr<QVModelSpriteContainer> visualModel() const override;

    std::shared_ptr<QVModelAnimation> idleAnimation() const;
    std::shared_ptr<QVModelAnimation> defeatedAnimation() const;
    std::shared_ptr<QVModelSound> idleSound() const;
    std::shared_ptr<QVModelSound> deathSound() const;
    std::shared_ptr<QVModelSound> wakeUpSound() const;

    // Links the animation; notifies only on a change.
    void setIdleAnimation(const std::shared_ptr<QVModelAnimation>& animation);
    // With a container: the idle animation built from it and the collision
    // box of its sprite. Without: the 10 x 10 box at the origin.
    void setIdleAnimationWithShape(const std::shared_ptr<QVModelSpriteContainer>& container);

protected:
    explicit QVBaseModelAssetObstacle(const std::string& name);
    QVBaseModelAssetObstacle(const QVBaseModelAssetObstacle& source);

    QV_ASSET_OBSTACLE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelAssetObstacle : public QVBaseModelAssetObstacle {
    QV_MODEL_GLUE(QVModelAssetObstacle, "Obstacle", QVModelAsset, QVModelCompound, QVModel)
public:
    explicit QVModelAssetObstacle(const std::string& name);
    QVModelAssetObstacle(const QVModelAssetObstacle& source);
};

// --- powerup ---

#define QV_ASSET_POWERUP_ATTRIBUTES(X)                                  \
    X(QVAttributeAnimation, idleAnimation, "Idle Animation")            \
    X(QVAttributeStringList, powerupType, "Powerup Type")               \
    X(QVAttributeAnimation, startAnimation, "Start Animation")          \
    X(QVAttributeStringList, animationPlacement, "Animation Placement") \
    X(QVAttributeStringList, animationBehaviour, "Animation Behaviour") \
    X(QVAttributeSound, idleSound, "Idle Sound")                        \
    X(QVAttributeSound, startSound, "Start Sound")                      \
    X(QVAttributeSound, endSound, "End Sound")                          \
    X(QVAttributeFloat, rewardCoins, "Reward Coins")                    \
    X(QVAttributeBool, showCoinReward, "Show coin reward")              \
    X(QVAttributeFloat, rewardPoints, "Reward Points")                  \
    X(QVAttributeBool, showPointsReward, "Show points reward")          \
    X(QVAttributeFloat, duration, "Duration")                           \
    X(QVAttributeFloat, appearanceChance, "Appearance Chance")          \
    X(QVAttributeFloat, cameraShake, "Camera Shake")                    \
    X(QVAttributeFloat, cameraFlash, "Camera Flash")                    \
    X(QVAttributePoint, maxSpeed, "Max Speed")                          \
    X(QVAttributePoint, gravity, "Gravity")                             \
    X(QVAttributePoint, jumpForce, "Jump Force")                        \
    X(QVAttributeFloat, jumpCounter, "Jump Counter")                    \
    X(QVAttributeFloat, jumpTimeout, "Jump Timeout")                    \
    X(QVAttributeFloat, groundThreshold, "Ground Threshold")            \
    X(QVAttributeBool, jumpFromGround, "Jump From Ground")              \
    X(QVAttributeFloat, rightLeanForce, "Right Lean Force")             \
    X(QVAttributeFloat, leftLeanForce, "Left Lean Force")               \
    X(QVAttributeFloat, gameSpeedMin, "Game Speed Min")                 \
    X(QVAttributeFloat, gameSpeedMax, "Game Speed Max")                 \
    X(QVAttributeFloat, speedIncrease, "Speed Increase")                \
    X(QVAttributeFloat, friction, "Friction")                           \
    X(QVAttributeFloat, timeWarp, "Time Warp")                          \
    X(QVAttributeFloat, velocityDrag, "Velocity Drag")                  \
    X(QVAttributeFloat, rotationDrag, "Rotation Drag")                  \
    X(QVAttributePoint, bounceForce, "Bounce Force")                    \
    X(QVAttributeFloat, bounce, "Bounce")                               \
    X(QVAttributeFloat, scoreMultiplier, "Score Multiplier")            \
    X(QVAttributePoint, airDrag, "Air Drag")                            \
    X(QVAttributeFloat, platformFriction, "Platform Friction")          \
    X(QVAttributeFloat, gameDirection, "Game Direction")                \
    X(QVAttributeBool, fixedRotation, "Fixed Rotation")

class QVBaseModelAssetPowerup : public QVModelAsset {
public:
    std::shared_ptr<QVModelSpriteContainer> visualModel() const override;

    std::shared_ptr<QVModelAnimation> idleAnimation() const;
    const std::string& powerupType() const;
    std::shared_ptr<QVModelAnimation> startAnimation() const;
    const std::string& animationPlacement() const;
    const std::string& animationBehaviour() const;
    std::shared_ptr<QVModelSound> idleSound() const;
    std::shared_ptr<QVModelSound> startSound() const;
    std::shared_ptr<QVModelSound> endSound() const;
    // Truncated toward zero; NaN gives 0, huge values saturate.
    int rewardCoins() const;
    bool showCoinReward() const;
    int rewardPoints() const;
    bool showPointsReward() const;
    float duration() const;
    int appearanceChance() const;
    float cameraShake() const;
    float cameraFlash() const;
    cocos2d::CCPoint maxSpeed() const;
    cocos2d::CCPoint gravity() const;
    cocos2d::CCPoint jumpForce() const;
    float jumpCounter() const;
    float jumpTimeout() const;
    float groundThreshold() const;
    // False when "Ground Threshold" allows empty and is empty.
    bool hasGroundThreshold() const;
    bool jumpFromGround() const;
    float rightLeanForce() const;
    float leftLeanForce() const;
    float gameSpeedMin() const;
    float gameSpeedMax() const;
    float speedIncrease() const;
    float friction() const;
    float timeWarp() const;
    float velocityDrag() const;
    float rotationDrag() const;
    cocos2d::CCPoint bounceForce() const;
    float bounce() const;
    float scoreMultiplier() const;
    cocos2d::CCPoint airDrag() const;
    float platformFriction() const;
    float gameDirection() const;
    bool fixedRotation() const;

    // Pushes the game-field settings and overwrites them with this
    // powerup's gameplay values, as they stand (no curves).
    void applyGameplaySettings() const;

protected:
    explicit QVBaseModelAssetPowerup(const std::string& name);
    QVBaseModelAssetPowerup(const QVBaseModelAssetPowerup& source);

    QV_ASSET_POWERUP_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelAssetPowerup : public QVBaseModelAssetPowerup {
    QV_MODEL_GLUE(QVModelAssetPowerup, "Powerup", QVModelAsset, QVModelCompound, QVModel)
public:
    explicit QVModelAssetPowerup(const std::string& name);
    QVModelAssetPowerup(const QVModelAssetPowerup& source);
};
