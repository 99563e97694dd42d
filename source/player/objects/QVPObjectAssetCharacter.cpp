#include "player/objects/QVPObjectAssetCharacter.h"

#include <utility>

#include "player/app/QVSound.h"
#include "player/objects/QVPAnimationObject.h"

QVPObjectAssetCharacter::QVPObjectAssetCharacter(std::shared_ptr<QVModelObject> model)
    : QVPObjectAsset(std::move(model)) {
    setTypeFlags(kTypeCharacter);
}

QVPObjectAssetCharacter::QVPObjectAssetCharacter(std::shared_ptr<QVModelObject> model, BareTag)
    : QVPObjectAsset(std::move(model)) {
    setTypeFlags(kTypeCharacter);
}

QVPObjectAssetCharacter::~QVPObjectAssetCharacter() = default;

QVPObjectAsset* QVPObjectAssetCharacter::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetCharacter(model);
}

void QVPObjectAssetCharacter::update(float dt) { QVPObjectAsset::update(dt); }
void QVPObjectAssetCharacter::setState(int32_t state) { QVPObjectAsset::setState(state); }
void QVPObjectAssetCharacter::setVisible(bool visible) { QVPObjectAsset::setVisible(visible); }
bool QVPObjectAssetCharacter::castsShadow() { return false; }
void QVPObjectAssetCharacter::setControllable(bool controllable) { QVPObjectAsset::setControllable(controllable); }
b2AABB QVPObjectAssetCharacter::getBodyAABB() { return QVPObjectAsset::getBodyAABB(); }
void QVPObjectAssetCharacter::detachBody() { QVPObjectAsset::detachBody(); }
void QVPObjectAssetCharacter::createBody(b2World* world, bool skipStill) { QVPObjectAsset::createBody(world, skipStill); }
void QVPObjectAssetCharacter::beginContact(QVPObject* other, b2Contact* contact, bool flag) {
    QVPObjectAsset::beginContact(other, contact, flag);
}
void QVPObjectAssetCharacter::preSolve(QVPObject* other, b2Contact* contact, const b2Manifold* oldManifold) {
    QVPObjectAsset::preSolve(other, contact, oldManifold);
}
void QVPObjectAssetCharacter::setDirection(float, float) {}
void QVPObjectAssetCharacter::setDirectionX(float) {}
void QVPObjectAssetCharacter::setDirectionY(float) {}
void QVPObjectAssetCharacter::jump() {}
void QVPObjectAssetCharacter::releaseJump() {}
void QVPObjectAssetCharacter::startRotateLeft() {}
void QVPObjectAssetCharacter::stopRotateLeft() {}
void QVPObjectAssetCharacter::startRotateRight() {}
void QVPObjectAssetCharacter::stopRotateRight() {}
void QVPObjectAssetCharacter::setShooting(bool) {}
void QVPObjectAssetCharacter::move(float, float) {}
void QVPObjectAssetCharacter::setBodyVelocity(float, float) {}
void QVPObjectAssetCharacter::setBodyPosition(float, float) {}
void QVPObjectAssetCharacter::setOnGround(bool) {}
bool QVPObjectAssetCharacter::isDirectMovement() const { return false; }
void QVPObjectAssetCharacter::checkGround() {}
std::shared_ptr<QVModelPolygon> QVPObjectAssetCharacter::currentAnimationShape() const { return currentShape(); }
void QVPObjectAssetCharacter::addPowerup(QVPObjectAssetPowerup*) {}
void QVPObjectAssetCharacter::removePowerup(QVPObjectAssetPowerup*) {}
void QVPObjectAssetCharacter::clearPowerups() {}
bool QVPObjectAssetCharacter::isInvincible() const { return false; }
float QVPObjectAssetCharacter::protectionLevel() const { return 0.0f; }
void QVPObjectAssetCharacter::deathAnimationDidEnd() {}
void QVPObjectAssetCharacter::clearGunModels() {}
int64_t QVPObjectAssetCharacter::gunModelsBuilt() { return 0; }
void QVPObjectAssetCharacter::fixtureReplaced() {}
