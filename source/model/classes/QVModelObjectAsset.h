// QVModelObjectAsset: one placement of an asset in a world, and the three
// typed placements: a character, a powerup and a unit (a placed obstacle:
// enemy, platform, decoration, physics object, bullet or wheel).
// Guarantees: a placement whose "Asset" is missing, unresolved or of another
// class answers every forwarding getter with an empty pointer, "", 0 or
// false, never a crash; the unit's wake-up and spawner members always mirror
// its children of exactly those classes; per-type defaults run only when
// "Object Type" is set through a notifying setter, never on loading.
#pragma once

#include <memory>
#include <string>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVModelGlue.h"

class QVModelAnimation;
class QVModelComponentSpawner;
class QVModelComponentWakeup;
class QVModelSound;

#define QV_OBJECT_ASSET_ATTRIBUTES(X) X(QVAttributeAsset, asset, "Asset")

// What each placement reads from its asset, as (type, getter): the
// placement's getter answers the asset's, or the type's neutral value
// without an asset of the right class.
#define QV_FORWARD_DECLARE(Type, getter) Type getter() const;

#define QV_CHARACTER_FORWARDS(X)                            \
    X(std::shared_ptr<QVModelAnimation>, defaultAnimation)  \
    X(std::shared_ptr<QVModelAnimation>, shootingAnimation) \
    X(std::shared_ptr<QVModelAnimation>, bulletAnimation)   \
    X(std::shared_ptr<QVModelAnimation>, jumpAnimation)     \
    X(std::shared_ptr<QVModelAnimation>, moveAnimation)     \
    X(std::shared_ptr<QVModelAnimation>, defeatedAnimation) \
    X(std::shared_ptr<QVModelSound>, jumpSound)             \
    X(std::shared_ptr<QVModelSound>, shootSound)            \
    X(std::shared_ptr<QVModelSound>, defeatedSound)         \
    X(std::shared_ptr<QVModelSound>, groundCollision)       \
    X(bool, castShadow)                                     \
    X(bool, autoTilt)                                       \
    X(float, cameraShake)                                   \
    X(float, cameraFlash)                                   \
    X(float, fallAttribute)

// The idle sound is the virtual idleSound, written out.
#define QV_POWERUP_FORWARDS(X)                           \
    X(std::shared_ptr<QVModelAnimation>, idleAnimation)  \
    X(std::shared_ptr<QVModelAnimation>, startAnimation) \
    X(std::shared_ptr<QVModelSound>, startSound)         \
    X(std::shared_ptr<QVModelSound>, endSound)           \
    X(std::string, powerupType)                          \
    X(std::string, animationPlacement)                   \
    X(std::string, animationBehaviour)                   \
    X(int, rewardCoins)                                  \
    X(int, rewardPoints)                                 \
    X(int, appearanceChance)                             \
    X(bool, showCoinReward)                              \
    X(bool, showPointsReward)                            \
    X(float, duration)                                   \
    X(float, cameraShake)                                \
    X(float, cameraFlash)

#define QV_UNIT_FORWARDS(X)                                 \
    X(std::shared_ptr<QVModelAnimation>, idleAnimation)     \
    X(std::shared_ptr<QVModelAnimation>, defeatedAnimation) \
    X(std::shared_ptr<QVModelSound>, deathSound)            \
    X(std::shared_ptr<QVModelSound>, wakeUpSound)

class QVModelObjectAsset : public QVModelObject {
    QV_MODEL_GLUE(QVModelObjectAsset, "", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectAsset(const std::string& name);
    QVModelObjectAsset(const QVModelObjectAsset& source);

    std::shared_ptr<QVModelAsset> asset() const;
    QVAttributeAsset* assetAttribute() const { return m_asset; }
    // Nothing when it is already the asset; else relinks and notifies.
    void setAsset(const std::shared_ptr<QVModelAsset>& asset);
    // The asset's shape at this object's "Scale" (time 0, state 0).
    bool hasValidCollisionShape() const;

    std::shared_ptr<QVModelSpriteContainer> visualModel() const override;
    std::shared_ptr<QVModelPolygon> collisionShape() const override;
    // The model of the placed asset's idle sound; empty here.
    virtual std::shared_ptr<QVModelSound> idleSound() const { return nullptr; }

protected:
    QV_OBJECT_ASSET_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectAssetCharacter : public QVModelObjectAsset {
    QV_MODEL_GLUE(QVModelObjectAssetCharacter, "", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectAssetCharacter(const std::string& name);
    QVModelObjectAssetCharacter(const QVModelObjectAssetCharacter& source);

    // The asset when its class is exactly QVModelAssetCharacter.
    std::shared_ptr<QVModelAssetCharacter> assetCharacter() const;

    QV_CHARACTER_FORWARDS(QV_FORWARD_DECLARE)
};

class QVModelObjectAssetPowerup : public QVModelObjectAsset {
    QV_MODEL_GLUE(QVModelObjectAssetPowerup, "", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectAssetPowerup(const std::string& name);
    QVModelObjectAssetPowerup(const QVModelObjectAssetPowerup& source);

    // The asset when its class is exactly QVModelAssetPowerup.
    std::shared_ptr<QVModelAssetPowerup> powerupAsset() const;

    QV_POWERUP_FORWARDS(QV_FORWARD_DECLARE)
    std::shared_ptr<QVModelSound> idleSound() const override;
};

// "Object Type" and "Movement Type" stand first in the unit's list, before
// "Name"; the rest follow "Asset".
#define QV_OBJECT_ASSET_UNIT_ATTRIBUTES(X)                    \
    X(QVAttributeStringList, objectType, "Object Type")       \
    X(QVAttributeStringList, movementType, "Movement Type")   \
    X(QVAttributePoint, linearVelocity, "Linear Velocity")    \
    X(QVAttributeFloat, angularVelocity, "Angular Velocity")  \
    X(QVAttributeStringList, collisionType, "Collision Type") \
    X(QVAttributeStringList, destroyType, "Destroy Type")

class QVBaseModelObjectAssetUnit : public QVModelObjectAsset {
public:
    const std::string& objectType() const;
    const std::string& movementType() const;
    cocos2d::CCPoint linearVelocity() const;
    cocos2d::CCPoint linearVelocityVariance() const;
    float angularVelocity() const;
    float angularVelocityVariance() const;
    const std::string& collisionType() const;
    const std::string& destroyType() const;

    // Each notifies on a change.
    void setMovementType(const std::string& type);
    void setCollisionType(const std::string& type);
    void setDestroyType(const std::string& type);
    // Clamped per axis to the attribute's range.
    void setLinearVelocity(const cocos2d::CCPoint& velocity);

    // The attached wake-up component's values: "kNoWakeup" (both strings,
    // as stored games read them) and 0 without one.
    std::string wakeUp() const;
    std::string sleep() const;
    float wakeupDistance() const;
    float sleepDistance() const;

    bool hasSpawner() const override;
    // The spawner's rate with its random variance; 1.0 without a spawner.
    float spawnRate() const override;
    // "" without a spawner; the setters do nothing without one.
    std::string spawnAction() const;
    void setSpawnAction(const std::string& action);
    void setSpawnRate(float rate);
    // true adds a registered spawner child when none is attached; false
    // removes the attached one.
    void setSpawnerEnabled(bool enabled);

    const std::shared_ptr<QVModelComponentWakeup>& wakeup() const { return m_wakeup; }
    const std::shared_ptr<QVModelComponentSpawner>& spawner() const { return m_spawner; }

    void attributeChanged(QVAttribute* attribute, int kind) override;
    void childAdded(const std::shared_ptr<QVModel>& child) override;
    void childRemoved(const std::shared_ptr<QVModel>& child) override;
    void childrenCleared() override;

protected:
    explicit QVBaseModelObjectAssetUnit(const std::string& name);
    QVBaseModelObjectAssetUnit(const QVBaseModelObjectAssetUnit& source);

    QV_OBJECT_ASSET_UNIT_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)

private:
    void applyObjectTypeDefaults();

    std::shared_ptr<QVModelComponentWakeup> m_wakeup;
    std::shared_ptr<QVModelComponentSpawner> m_spawner;
};

class QVModelObjectAssetUnit : public QVBaseModelObjectAssetUnit {
    QV_MODEL_GLUE(QVModelObjectAssetUnit, "", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectAssetUnit(const std::string& name);
    QVModelObjectAssetUnit(const QVModelObjectAssetUnit& source);

    // The asset when its class is exactly QVModelAssetObstacle.
    std::shared_ptr<QVModelAssetObstacle> obstacleAsset() const;

    QV_UNIT_FORWARDS(QV_FORWARD_DECLARE)
    std::shared_ptr<QVModelSound> idleSound() const override;
};
