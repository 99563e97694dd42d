#include "FieldFixtures.h"

#include <cmath>
#include <utility>

#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelController.h"

using cocos2d::CCPoint;

namespace fieldfixtures {

namespace {

// The position of `value` in `names`, from 0; `missing` when absent.
int indexOf(const std::string& value, std::initializer_list<const char*> names, int missing) {
    int i = 0;
    for (const char* name : names) {
        if (value == name) return i;
        ++i;
    }
    return missing;
}

template <class T>
std::shared_ptr<T> registered(std::shared_ptr<T> model) {
    QVModelController::shared()->addModel(model);
    return model;
}

void setText(const QVModel& model, const char* name, const std::string& text) {
    if (auto* attribute = attributeCast<QVAttributeString>(model.attribute(name))) attribute->setValue(text);
}

// A choice attribute (a string list is not a plain string to attributeCast).
void setChoice(const QVModel& model, const char* name, const std::string& text) {
    if (auto* attribute = attributeCast<QVAttributeStringList>(model.attribute(name))) attribute->setValue(text);
}

void setFloat(const QVModel& model, const char* name, float value) {
    if (auto* attribute = attributeCast<QVAttributeFloat>(model.attribute(name))) attribute->setValue(value);
}

}  // namespace

// ---------------------------------------------------------------- FixtureBody

FixtureBody::FixtureBody(std::shared_ptr<QVModelObject> model) : QVPObjectAsset(std::move(model)) {
    setTypeFlags(kTypeUnit);
    auto unit = modelCast<QVModelObjectAssetUnit>(m_model);
    if (!unit) return;
    m_collisionType = indexOf(unit->collisionType(), {"kNoCollision", "kCharacterCollision"}, kNoCollision);
    m_destroyType =
        indexOf(unit->destroyType(),
                {"kDestroyNo", "kDestroyCollision", "kDestroyEnemyCollision", "kDestroyAllCollision"}, kDestroyNo);
    m_objectType =
        indexOf(unit->objectType(), {"", "kPlatformObjectType", "kEnemyObjectType", "kDecorationObjectType"}, 0);
    m_physics = unit->movementType() == "kMovementPhysics";
}

QVPObjectAsset* FixtureBody::build(const std::shared_ptr<QVModelObject>& model) { return new FixtureBody(model); }

void FixtureBody::createBody(b2World* world, bool skipStill) {
    QVPObjectAsset::createBody(world, skipStill);
    if (m_physics && m_body) physics::setType(m_body, b2_dynamicBody);
}

// ---------------------------------------------------------------- FixtureCharacter

FixtureCharacter::FixtureCharacter(std::shared_ptr<QVModelObject> model)
    : QVPObjectAssetCharacter(std::move(model), BareTag{}) {}

QVPObjectAsset* FixtureCharacter::build(const std::shared_ptr<QVModelObject>& model) {
    return new FixtureCharacter(model);
}

void FixtureCharacter::createBody(b2World* world, bool skipStill) {
    QVPObjectAsset::createBody(world, skipStill);
    if (!m_body) return;
    physics::setType(m_body, b2_dynamicBody);
    m_body->SetFixedRotation(true);
    b2Filter filter;
    filter.categoryBits = 0x0002;
    filter.maskBits = 0x0001;
    filter.groupIndex = -1;
    for (b2Fixture* fixture = m_body->GetFixtureList(); fixture; fixture = fixture->GetNext()) {
        fixture->SetSensor(false);
        fixture->SetFilterData(filter);
    }
}

void FixtureCharacter::update(float dt) {
    QVPObjectAsset::update(dt);
    if (!m_body) return;
    physics::setLinearVelocity(m_body, b2Vec2(8.0f * m_direction.x, m_body->GetLinearVelocity().y));
}

void FixtureCharacter::setState(int32_t state) {
    QVPObjectAsset::setState(state);
    if (state == kStateDying) setPendingState(kStateFinished);
}

void FixtureCharacter::setVisible(bool visible) { QVPObjectAsset::setVisible(visible); }

void FixtureCharacter::setControllable(bool controllable) { QVPObject::setControllable(controllable); }

b2AABB FixtureCharacter::getBodyAABB() { return QVPObject::getBodyAABB(); }

void FixtureCharacter::beginContact(QVPObject* other, b2Contact* contact, bool flag) {
    QVPObjectAsset::beginContact(other, contact, flag);
}

void FixtureCharacter::preSolve(QVPObject* other, b2Contact* contact, const b2Manifold* oldManifold) {
    QVPObjectAsset::preSolve(other, contact, oldManifold);
}

void FixtureCharacter::setDirection(float x, float y) { m_direction = CCPoint(x, y); }

void FixtureCharacter::jump() {
    if (!m_body) return;
    const b2Vec2 v = m_body->GetLinearVelocity();
    if (std::fabs(v.y) < 0.01f) physics::setLinearVelocity(m_body, b2Vec2(v.x, 6.0f));
}

// ---------------------------------------------------------------- FieldFixtures

FieldFixtures::FieldFixtures()
    : m_unit(objectBuilder(QVPObjectRow::Unit)), m_character(objectBuilder(QVPObjectRow::Character)) {
    setObjectBuilder(QVPObjectRow::Unit, &FixtureBody::build);
    setObjectBuilder(QVPObjectRow::Character, &FixtureCharacter::build);
}

FieldFixtures::~FieldFixtures() {
    setObjectBuilder(QVPObjectRow::Unit, m_unit);
    setObjectBuilder(QVPObjectRow::Character, m_character);
}

// ---------------------------------------------------------------- models

std::shared_ptr<QVModelPolygon> boxPolygon(float width, float height) {
    auto polygon = registered(QVModelPolygon::create());
    polygon->initAsBox(cocos2d::CCSize(width, height), CCPoint(0.0f, 0.0f), true);
    return polygon;
}

std::shared_ptr<QVModelAssetObstacle> obstacleAsset(const std::string& name, float width, float height) {
    auto asset = registered(std::make_shared<QVModelAssetObstacle>(name));
    asset->setCollisionBox(cocos2d::CCSize(width, height), CCPoint(0.0f, 0.0f));
    return asset;
}

std::shared_ptr<QVModelAssetCharacter> characterAsset(const std::string& name, float width, float height) {
    auto asset = registered(std::make_shared<QVModelAssetCharacter>(name));
    asset->setCollisionBox(cocos2d::CCSize(width, height), CCPoint(0.0f, 0.0f));
    return asset;
}

std::shared_ptr<QVModelObjectAssetUnit> unitPlacement(const std::shared_ptr<QVModelAssetObstacle>& asset,
                                                      const CCPoint& position, bool physics,
                                                      const std::string& collisionType) {
    auto unit = registered(QVModelObjectAssetUnit::create());
    unit->setAsset(asset);
    unit->setPosition(position);
    unit->setMovementType(physics ? "kMovementPhysics" : "kMovementLinear");
    unit->setCollisionType(collisionType);
    return unit;
}

std::shared_ptr<QVModelObjectAssetCharacter> characterPlacement(const std::shared_ptr<QVModelAssetCharacter>& asset,
                                                                const CCPoint& position) {
    auto character = registered(QVModelObjectAssetCharacter::create());
    character->setAsset(asset);
    character->setPosition(position);
    return character;
}

std::shared_ptr<QVModelScreenScene> world(const std::string& key) {
    auto made = registered(std::make_shared<QVModelScreenScene>(key));
    setText(*made, "Key", key);
    return made;
}

std::shared_ptr<QVModelLevelSection> section(const std::shared_ptr<QVModelScreenScene>& world, const std::string& name,
                                             float width, bool initSection) {
    auto made = registered(std::make_shared<QVModelLevelSection>(name));
    setFloat(*made, "Width", width);
    if (auto* init = attributeCast<QVAttributeBool>(made->attribute("Init Section"))) init->setValue(initSection);
    if (world) world->addChild(made);
    return made;
}

// ---------------------------------------------------------------- units

std::shared_ptr<QVModelAssetObstacle> unitAsset(const std::string& name,
                                                const std::shared_ptr<QVModelSpriteContainer>& container, float width,
                                                float height) {
    auto asset = registered(std::make_shared<QVModelAssetObstacle>(name));
    asset->setIdleAnimationWithShape(container);
    asset->setCollisionBox(cocos2d::CCSize(width, height), CCPoint(0.0f, 0.0f));
    return asset;
}

void unitOneWay(const std::shared_ptr<QVModelAssetObstacle>& asset, const CCPoint& vector) {
    const std::shared_ptr<QVModelPolygon> shape = asset->collisionShape();
    if (!shape) return;
    // The vector has no setter: it is read back as a stored game gives it.
    cocos2d::CCDictionary* stored = shape->toDictionary();
    stored->removeObjectForKey("points");
    stored->setObject(cocos2d::CCString::createWithFormat("{%g,%g}", vector.x, vector.y), "oneWayCollisionVector");
    shape->fromDictionary(stored);
}

std::shared_ptr<QVModelObjectAssetUnit> unitEnemy(const std::shared_ptr<QVModelAssetObstacle>& asset,
                                                  const CCPoint& position) {
    auto unit = unitPlacement(asset, position, false);
    setChoice(*unit, "Object Type", "kEnemyObjectType");
    unit->setMovementType("kNoMovement");
    unit->setCollisionType("kCharacterCollision");
    unit->setDestroyType("kDestroyCollision");
    return unit;
}

void unitWakeup(const std::shared_ptr<QVModelObjectAssetUnit>& unit, const std::string& wakeUp, float wakeupDistance,
                const std::string& sleep, float sleepDistance) {
    auto wakeup = registered(QVModelComponentWakeup::create());
    setChoice(*wakeup, "Wake Up", wakeUp);
    setFloat(*wakeup, "Wakeup Distance", wakeupDistance);
    setChoice(*wakeup, "Sleep", sleep);
    setFloat(*wakeup, "Sleep Distance", sleepDistance);
    unit->addChild(wakeup);
}

void unitSpawner(const std::shared_ptr<QVModelObjectAssetUnit>& unit, const std::string& action, float rate) {
    unit->setSpawnerEnabled(true);
    unit->setSpawnAction(action);
    unit->setSpawnRate(rate);
}

std::shared_ptr<QVModelAnimation> framedAnimation(const std::string& name, unsigned frames, float duration) {
    auto animation = registered(std::make_shared<QVModelAnimation>(name));
    animation->setDuration(duration);
    for (unsigned i = 0; i < frames; ++i) animation->addChild(registered(QVModelObject::create()));
    return animation;
}

void linkAnimation(const QVModelAsset& asset, const char* attribute,
                   const std::shared_ptr<QVModelAnimation>& animation) {
    if (auto* link = attributeCast<QVAttributeAnimation>(asset.attribute(attribute))) link->setModel(animation);
}

std::shared_ptr<QVModelComponentCharacterGameplaySettings> gameplaySettings(
    const std::shared_ptr<QVModelAssetCharacter>& asset) {
    auto component = registered(QVModelComponentCharacterGameplaySettings::create());
    asset->addChild(component);
    return component;
}

std::shared_ptr<QVModelAssetPowerup> powerupAsset(const std::string& name, const std::string& type, float duration,
                                                  float size, const std::shared_ptr<QVModelSpriteContainer>& idle) {
    auto asset = registered(std::make_shared<QVModelAssetPowerup>(name));
    asset->setCollisionBox(cocos2d::CCSize(size, size), CCPoint(0.0f, 0.0f));
    setChoice(*asset, "Powerup Type", type);
    setFloat(*asset, "Duration", duration);
    setFloat(*asset, "Appearance Chance", 100.0f);
    if (auto* animation = attributeCast<QVAttributeAnimation>(asset->attribute("Idle Animation"))) {
        animation->setAnimation(idle);
    }
    return asset;
}

std::shared_ptr<QVModelObjectAssetPowerup> powerupPlacement(const std::shared_ptr<QVModelAssetPowerup>& asset,
                                                            const CCPoint& position) {
    auto powerup = registered(QVModelObjectAssetPowerup::create());
    powerup->setAsset(asset);
    powerup->setPosition(position);
    return powerup;
}

std::shared_ptr<QVModelObjectAssetPowerup> powerupCoin(const CCPoint& position, int coins) {
    auto asset = powerupAsset("Coin", "kPowerupCoin", 0.0f);
    setFloat(*asset, "Reward Coins", static_cast<float>(coins));
    if (auto* show = attributeCast<QVAttributeBool>(asset->attribute("Show coin reward"))) show->setValue(true);
    return powerupPlacement(asset, position);
}

std::shared_ptr<QVModelObjectAssetPowerup> powerupMagnet(const CCPoint& position, float duration) {
    return powerupPlacement(powerupAsset("Magnet", "kPowerupMagnet", duration), position);
}

std::shared_ptr<QVModelObjectAssetPowerup> powerupInvincibility(const CCPoint& position, float duration) {
    return powerupPlacement(powerupAsset("Star", "kPowerupInvincibility", duration), position);
}

// ---------------------------------------------------------------- effects

std::shared_ptr<QVModelObjectBackground> backgroundPlacement(const std::shared_ptr<QVModelScreenScene>& world,
                                                             const std::shared_ptr<QVModelSpriteContainer>& image,
                                                             const CCPoint& position, float speed, float tilingOffset) {
    auto made = registered(QVModelObjectBackground::create());
    attributeCast<QVAttributeSprite>(made->attribute("Image"))->setValue(image);
    made->setPosition(position);
    setFloat(*made, "Speed", speed);
    setFloat(*made, "Tiling Offset", tilingOffset);
    if (world) world->addChild(made);
    return made;
}

namespace {
template <class T>
std::shared_ptr<T> ribbon(const CCPoint& position, const RibbonValues& values) {
    auto made = registered(T::create());
    made->setPosition(position);
    setFloat(*made, "Start Width", values.startWidth);
    setFloat(*made, "End Width", values.endWidth);
    setFloat(*made, "Speed", values.speed);
    setFloat(*made, "Length", values.length);
    setFloat(*made, "Wave Height", values.waveHeight);
    setFloat(*made, "Wave Length", values.waveLength);
    return made;
}
}  // namespace

std::shared_ptr<QVModelObjectTrail> trailPlacement(const CCPoint& position, const RibbonValues& values) {
    return ribbon<QVModelObjectTrail>(position, values);
}

std::shared_ptr<QVModelObjectFlag> flagPlacement(const CCPoint& position, const RibbonValues& values) {
    return ribbon<QVModelObjectFlag>(position, values);
}

}  // namespace fieldfixtures
