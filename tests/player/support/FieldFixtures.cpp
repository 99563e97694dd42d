#include "FieldFixtures.h"

#include <cmath>
#include <utility>

#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelScreenScene.h"
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

FixtureCharacter::FixtureCharacter(std::shared_ptr<QVModelObject> model) : QVPObjectAssetCharacter(std::move(model)) {}

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
    QVPObjectAssetCharacter::update(dt);
    if (!m_body) return;
    physics::setLinearVelocity(m_body, b2Vec2(8.0f * m_direction.x, m_body->GetLinearVelocity().y));
}

void FixtureCharacter::setState(int32_t state) {
    QVPObjectAssetCharacter::setState(state);
    if (state == kStateDying) setPendingState(kStateFinished);
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

}  // namespace fieldfixtures
