#include "model/classes/QVModelObjectAsset.h"

#include <type_traits>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVModelController.h"

using cocos2d::CCPoint;

namespace {
// A getter of the placed asset, read only when the asset is of the right
// class: bad data must not reach an empty pointer.
template <class Asset, class Getter>
auto forward(const std::shared_ptr<Asset>& asset, Getter getter) -> std::decay_t<decltype((asset.get()->*getter)())> {
    if (!asset) return {};
    return (asset.get()->*getter)();
}
}  // namespace

// --- QVModelObjectAsset ---

QVModelObjectAsset::QVModelObjectAsset(const std::string& name)
    : QVModelObject(name) QV_OBJECT_ASSET_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelObjectAsset::QVModelObjectAsset(const QVModelObjectAsset& source)
    : QVModelObject(source) QV_OBJECT_ASSET_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelAsset> QVModelObjectAsset::asset() const { return qvread::linked(m_asset); }

void QVModelObjectAsset::setAsset(const std::shared_ptr<QVModelAsset>& asset) { relinkNotifying(m_asset, asset); }

bool QVModelObjectAsset::hasValidCollisionShape() const {
    std::shared_ptr<QVModelAsset> placed = asset();
    if (!placed) return false;
    const CCPoint at = scale(0.0f, 0);
    return placed->hasValidCollisionShape(at.x, at.y);
}

std::shared_ptr<QVModelSpriteContainer> QVModelObjectAsset::visualModel() const {
    return forward(asset(), &QVModelAsset::visualModel);
}

std::shared_ptr<QVModelPolygon> QVModelObjectAsset::collisionShape() const {
    return forward(asset(), &QVModelAsset::collisionShape);
}

// --- character ---

QVModelObjectAssetCharacter::QVModelObjectAssetCharacter(const std::string& name) : QVModelObjectAsset(name) {}

QVModelObjectAssetCharacter::QVModelObjectAssetCharacter(const QVModelObjectAssetCharacter& source)
    : QVModelObjectAsset(source) {}

std::shared_ptr<QVModelAssetCharacter> QVModelObjectAssetCharacter::assetCharacter() const {
    return modelCast<QVModelAssetCharacter>(asset());
}

#define QV_CHARACTER_FORWARD(Type, getter)                                \
    Type QVModelObjectAssetCharacter::getter() const {                    \
        return forward(assetCharacter(), &QVModelAssetCharacter::getter); \
    }
QV_CHARACTER_FORWARDS(QV_CHARACTER_FORWARD)
#undef QV_CHARACTER_FORWARD

// --- powerup ---

QVModelObjectAssetPowerup::QVModelObjectAssetPowerup(const std::string& name) : QVModelObjectAsset(name) {}

QVModelObjectAssetPowerup::QVModelObjectAssetPowerup(const QVModelObjectAssetPowerup& source)
    : QVModelObjectAsset(source) {}

std::shared_ptr<QVModelAssetPowerup> QVModelObjectAssetPowerup::powerupAsset() const {
    return modelCast<QVModelAssetPowerup>(asset());
}

#define QV_POWERUP_FORWARD(Type, getter) \
    Type QVModelObjectAssetPowerup::getter() const { return forward(powerupAsset(), &QVModelAssetPowerup::getter); }
QV_POWERUP_FORWARDS(QV_POWERUP_FORWARD)
#undef QV_POWERUP_FORWARD

std::shared_ptr<QVModelSound> QVModelObjectAssetPowerup::idleSound() const {
    return forward(powerupAsset(), &QVModelAssetPowerup::idleSound);
}

// --- unit ---

namespace {
// What setting "Object Type" sets, row by row (exact string match).
struct ObjectTypeDefaults {
    const char* objectType;
    const char* collisionType;
    const char* destroyType;
    const char* movementType;
    bool movementFirst;  // the physics row sets Movement before the others
    bool setsVelocity;
    float velocityX;
};

const ObjectTypeDefaults kObjectTypeDefaults[] = {
    {"kDecorationObjectType", "kNoCollision", "kDestroyNo", "kMovementLinear", false, false, 0.0f},
    {"kPlatformObjectType", "kCharacterCollision", "kDestroyNo", "kMovementLinear", false, false, 0.0f},
    {"kPhysicsObjectType", "kCharacterCollision", "kDestroyNo", "kMovementPhysics", true, false, 0.0f},
    {"kEnemyObjectType", "kCharacterCollision", "kDestroyCollision", "kMovementLinear", false, false, 0.0f},
    {"kBulletObjectType", "kNoCollision", "kDestroyCollision", "kMovementLinear", false, true, -20.0f},
    {"kBulletCharacterObjectType", "kNoCollision", "kDestroyEnemyCollision", "kMovementLinear", false, true, 20.0f},
    {"kWheelObjectType", "kCharacterCollision", "kDestroyNo", "kMovementPhysics", false, false, 0.0f},
};

void setText(QVAttributeStringList* attribute, const std::string& text) {
    if (attribute) attribute->setValue(text);
}
}  // namespace

QVBaseModelObjectAssetUnit::QVBaseModelObjectAssetUnit(const std::string& name)
    : QVModelObjectAsset(name),
      m_objectTypeMember("Object Type", this),
      m_objectType(&m_objectTypeMember),
      m_movementTypeMember("Movement Type", this),
      m_movementType(&m_movementTypeMember),
      m_linearVelocityMember("Linear Velocity", this, 1u),
      m_linearVelocity(&m_linearVelocityMember),
      m_angularVelocityMember("Angular Velocity", this, 1u),
      m_angularVelocity(&m_angularVelocityMember),
      m_collisionTypeMember("Collision Type", this),
      m_collisionType(&m_collisionTypeMember),
      m_destroyTypeMember("Destroy Type", this),
      m_destroyType(&m_destroyTypeMember) {
    // The two types lead the list, before "Name" (addAttribute ignores an
    // attribute already listed, so each leaves the list first).
    removeAttribute(m_objectType);
    addAttribute(m_objectType, 0);
    removeAttribute(m_movementType);
    addAttribute(m_movementType, 1);
}

QVBaseModelObjectAssetUnit::QVBaseModelObjectAssetUnit(const QVBaseModelObjectAssetUnit& source)
    : QVModelObjectAsset(source) QV_OBJECT_ASSET_UNIT_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const std::string& QVBaseModelObjectAssetUnit::objectType() const { return qvread::text(m_objectType); }
const std::string& QVBaseModelObjectAssetUnit::movementType() const { return qvread::text(m_movementType); }
CCPoint QVBaseModelObjectAssetUnit::linearVelocity() const { return qvread::value(m_linearVelocity); }
CCPoint QVBaseModelObjectAssetUnit::linearVelocityVariance() const {
    return m_linearVelocity ? m_linearVelocity->variableValue() : CCPoint();
}
float QVBaseModelObjectAssetUnit::angularVelocity() const { return qvread::value(m_angularVelocity); }
float QVBaseModelObjectAssetUnit::angularVelocityVariance() const {
    return m_angularVelocity ? m_angularVelocity->variableValue() : 0.0f;
}
const std::string& QVBaseModelObjectAssetUnit::collisionType() const { return qvread::text(m_collisionType); }
const std::string& QVBaseModelObjectAssetUnit::destroyType() const { return qvread::text(m_destroyType); }

void QVBaseModelObjectAssetUnit::setMovementType(const std::string& type) { setText(m_movementType, type); }
void QVBaseModelObjectAssetUnit::setCollisionType(const std::string& type) { setText(m_collisionType, type); }
void QVBaseModelObjectAssetUnit::setDestroyType(const std::string& type) { setText(m_destroyType, type); }

void QVBaseModelObjectAssetUnit::setLinearVelocity(const CCPoint& velocity) {
    if (m_linearVelocity) m_linearVelocity->setValue(velocity);
}

void QVBaseModelObjectAssetUnit::attributeChanged(QVAttribute* attribute, int kind) {
    QVModelObjectAsset::attributeChanged(attribute, kind);
    if (attribute && attribute == m_objectType) applyObjectTypeDefaults();
}

void QVBaseModelObjectAssetUnit::applyObjectTypeDefaults() {
    const std::string& type = objectType();
    for (const ObjectTypeDefaults& row : kObjectTypeDefaults) {
        if (type != row.objectType) continue;
        if (row.movementFirst) setMovementType(row.movementType);
        setCollisionType(row.collisionType);
        setDestroyType(row.destroyType);
        if (!row.movementFirst) setMovementType(row.movementType);
        if (row.setsVelocity) {
            setLinearVelocity(CCPoint(row.velocityX, 0.0f));
            if (m_angularVelocity) m_angularVelocity->setValue(0.0f);
        }
        return;
    }
}

std::string QVBaseModelObjectAssetUnit::wakeUp() const {
    return m_wakeup ? qvread::text(m_wakeup->wakeUpAttribute()) : "kNoWakeup";
}
std::string QVBaseModelObjectAssetUnit::sleep() const {
    return m_wakeup ? qvread::text(m_wakeup->sleepAttribute()) : "kNoWakeup";
}
float QVBaseModelObjectAssetUnit::wakeupDistance() const {
    return m_wakeup ? qvread::value(m_wakeup->wakeupDistanceAttribute()) : 0.0f;
}
float QVBaseModelObjectAssetUnit::sleepDistance() const { return m_wakeup ? m_wakeup->sleepDistance() : 0.0f; }

bool QVBaseModelObjectAssetUnit::hasSpawner() const { return m_spawner != nullptr; }
float QVBaseModelObjectAssetUnit::spawnRate() const { return m_spawner ? m_spawner->randomSpawnRate() : 1.0f; }
std::string QVBaseModelObjectAssetUnit::spawnAction() const { return m_spawner ? m_spawner->spawnAction() : ""; }

void QVBaseModelObjectAssetUnit::setSpawnAction(const std::string& action) {
    if (m_spawner) m_spawner->setSpawnAction(action);
}

void QVBaseModelObjectAssetUnit::setSpawnRate(float rate) {
    if (m_spawner) m_spawner->setSpawnRate(rate);
}

void QVBaseModelObjectAssetUnit::setSpawnerEnabled(bool enabled) {
    if (!enabled) {
        // A copy: the child hook empties the member during the removal.
        std::shared_ptr<QVModel> spawner = m_spawner;
        if (spawner) removeChild(spawner);
        return;
    }
    if (m_spawner) return;
    std::shared_ptr<QVModelComponentSpawner> spawner = QVModelComponentSpawner::create();
    QVModelController::shared()->addModel(spawner);
    addChild(spawner);
}

void QVBaseModelObjectAssetUnit::childAdded(const std::shared_ptr<QVModel>& child) {
    QVModelObjectAsset::childAdded(child);
    if (auto wakeup = modelCast<QVModelComponentWakeup>(child)) {
        m_wakeup = wakeup;
    } else if (auto spawner = modelCast<QVModelComponentSpawner>(child)) {
        m_spawner = spawner;
    }
}

void QVBaseModelObjectAssetUnit::childRemoved(const std::shared_ptr<QVModel>& child) {
    QVModelObjectAsset::childRemoved(child);
    if (!child) return;
    if (child == m_wakeup) {
        m_wakeup.reset();
    } else if (child == m_spawner) {
        m_spawner.reset();
    }
}

void QVBaseModelObjectAssetUnit::childrenCleared() {
    QVModelObjectAsset::childrenCleared();
    m_wakeup.reset();
    m_spawner.reset();
}

QVModelObjectAssetUnit::QVModelObjectAssetUnit(const std::string& name) : QVBaseModelObjectAssetUnit(name) {}

QVModelObjectAssetUnit::QVModelObjectAssetUnit(const QVModelObjectAssetUnit& source)
    : QVBaseModelObjectAssetUnit(source) {}

std::shared_ptr<QVModelAssetObstacle> QVModelObjectAssetUnit::obstacleAsset() const {
    return modelCast<QVModelAssetObstacle>(asset());
}

#define QV_UNIT_FORWARD(Type, getter) \
    Type QVModelObjectAssetUnit::getter() const { return forward(obstacleAsset(), &QVModelAssetObstacle::getter); }
QV_UNIT_FORWARDS(QV_UNIT_FORWARD)
#undef QV_UNIT_FORWARD

std::shared_ptr<QVModelSound> QVModelObjectAssetUnit::idleSound() const {
    return forward(obstacleAsset(), &QVModelAssetObstacle::idleSound);
}
