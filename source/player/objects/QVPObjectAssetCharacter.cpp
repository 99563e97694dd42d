#include "player/objects/QVPObjectAssetCharacter.h"

#include <utility>

QVPObjectAssetCharacter::QVPObjectAssetCharacter(std::shared_ptr<QVModelObject> model)
    : QVPObjectAsset(std::move(model)) {
    setTypeFlags(kTypeCharacter);
}

QVPObjectAssetCharacter::~QVPObjectAssetCharacter() = default;

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
void QVPObjectAssetCharacter::clearPowerups() {}
bool QVPObjectAssetCharacter::isInvincible() const { return false; }
