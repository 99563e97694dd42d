#include "player/objects/QVPObjectAssetUnit.h"

#include <utility>

#include "model/classes/QVModelObjectAsset.h"
#include "player/app/QVSound.h"
#include "player/objects/QVPAnimationObject.h"

QVPObjectAssetUnit::QVPObjectAssetUnit(std::shared_ptr<QVModelObject> model) : QVPObjectAsset(std::move(model)) {
    setTypeFlags(kTypeUnit);
}

QVPObjectAssetUnit::~QVPObjectAssetUnit() = default;

QVPObjectAsset* QVPObjectAssetUnit::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetUnit(model);
}

void QVPObjectAssetUnit::update(float dt) { QVPObjectAsset::update(dt); }
void QVPObjectAssetUnit::setVisible(bool visible) { QVPObjectAsset::setVisible(visible); }
void QVPObjectAssetUnit::setState(int32_t state) { QVPObjectAsset::setState(state); }
cocos2d::CCRect QVPObjectAssetUnit::getBoundingRect() { return QVPObjectAsset::getBoundingRect(); }
void QVPObjectAssetUnit::activate() { QVPObjectAsset::activate(); }
void QVPObjectAssetUnit::setSpawner(bool spawner) { QVPObjectAsset::setSpawner(spawner); }
void QVPObjectAssetUnit::setTypeFlags(uint32_t flags) { QVPObjectAsset::setTypeFlags(flags); }
void QVPObjectAssetUnit::setAnimationSpeed(float factor) { QVPObjectAsset::setAnimationSpeed(factor); }
bool QVPObjectAssetUnit::castsShadow() { return m_collisionType != kNoCollision; }
void QVPObjectAssetUnit::createBody(b2World* world, bool skipStill) { QVPObjectAsset::createBody(world, skipStill); }
void QVPObjectAssetUnit::beginContact(QVPObject* other, b2Contact* contact, bool flag) {
    QVPObjectAsset::beginContact(other, contact, flag);
}
void QVPObjectAssetUnit::endContact(QVPObject* other, b2Contact* contact) { QVPObjectAsset::endContact(other, contact); }
void QVPObjectAssetUnit::preSolve(QVPObject* other, b2Contact* contact, const b2Manifold* oldManifold) {
    QVPObjectAsset::preSolve(other, contact, oldManifold);
}
void QVPObjectAssetUnit::spawn() {}
float QVPObjectAssetUnit::wakeUpDistance() { return 3000.0f; }
float QVPObjectAssetUnit::sleepDistance() { return 0.0f; }
void QVPObjectAssetUnit::updateBounds() {}
void QVPObjectAssetUnit::setModifierX(float value, const std::string& operation) { m_modifierX = {value, operation}; }
void QVPObjectAssetUnit::setModifierY(float value, const std::string& operation) { m_modifierY = {value, operation}; }
void QVPObjectAssetUnit::setModifierRotation(float value, const std::string& operation) {
    m_modifierRotation = {value, operation};
}
bool QVPObjectAssetUnit::acceptsOneWayContact(QVPObject*, const b2Vec2&) { return true; }
