#include "player/objects/QVPObjectClasses.h"

#include "player/objects/QVComponent.h"
#include "player/objects/QVComponentHealth.h"
#include "player/objects/QVComponentIsoJump.h"
#include "player/objects/QVComponentMotor.h"
#include "player/objects/QVComponentMove.h"
#include "player/objects/QVComponentRotationMapper.h"
#include "player/objects/QVComponentSlide.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectAssetGatekeeper.h"
#include "player/objects/QVPObjectAssetLight.h"
#include "player/objects/QVPObjectAssetLogic.h"
#include "player/objects/QVPObjectAssetMirror.h"
#include "player/objects/QVPObjectAssetParticles.h"
#include "player/objects/QVPObjectAssetPath.h"
#include "player/objects/QVPObjectAssetPowerup.h"
#include "player/objects/QVPObjectAssetTeleport.h"
#include "player/objects/QVPObjectAssetTrail.h"
#include "player/objects/QVPObjectAssetUnit.h"
#include "player/objects/QVPObjectFactory.h"

// Every row but the instance, which builds with its reference's row.
void registerObjectClasses() {
    setObjectBuilder(QVPObjectRow::Unit, &QVPObjectAssetUnit::build);
    setObjectBuilder(QVPObjectRow::Character, &QVPObjectAssetCharacter::build);
    setObjectBuilder(QVPObjectRow::Powerup, &QVPObjectAssetPowerup::build);
    setObjectBuilder(QVPObjectRow::Light, &QVPObjectAssetLight::build);
    setObjectBuilder(QVPObjectRow::Mirror, &QVPObjectAssetMirror::build);
    setObjectBuilder(QVPObjectRow::Particles, &QVPObjectAssetParticles::build);
    setObjectBuilder(QVPObjectRow::Trail, &QVPObjectAssetTrail::build);
    setObjectBuilder(QVPObjectRow::Flag, &QVPObjectAssetFlag::build);
    setObjectBuilder(QVPObjectRow::Logic, &QVPObjectAssetLogic::build);
    setObjectBuilder(QVPObjectRow::Path, &QVPObjectAssetPath::build);
    setObjectBuilder(QVPObjectRow::Teleport, &QVPObjectAssetTeleport::build);
    setObjectBuilder(QVPObjectRow::Gatekeeper, &QVPObjectAssetGatekeeper::build);
    setObjectBuilder(QVPObjectRow::ScreenJump, &QVPObjectAssetScreenJump::build);
}

void registerComponentClasses() {
    QVComponent::setComponentBuilder(QVComponentKind::Health, &QVComponentHealth::build);
    QVComponent::setComponentBuilder(QVComponentKind::Motor, &QVComponentMotor::build);
    QVComponent::setComponentBuilder(QVComponentKind::IsoJump, &QVComponentIsoJump::build);
    QVComponent::setComponentBuilder(QVComponentKind::Slide, &QVComponentSlide::build);
    QVComponent::setComponentBuilder(QVComponentKind::Move, &QVComponentMove::build);
    QVComponent::setComponentBuilder(QVComponentKind::RotationMapper, &QVComponentRotationMapper::build);
}
