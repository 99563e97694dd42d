#include "player/objects/QVPObjectClasses.h"

#include "player/objects/QVComponent.h"
#include "player/objects/QVComponentHealth.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectAssetUnit.h"
#include "player/objects/QVPObjectFactory.h"

void registerObjectClasses() {
    setObjectBuilder(QVPObjectRow::Unit, &QVPObjectAssetUnit::build);
    setObjectBuilder(QVPObjectRow::Character, &QVPObjectAssetCharacter::build);
}

void registerComponentClasses() {
    QVComponent::setComponentBuilder(QVComponentKind::Health, &QVComponentHealth::build);
}
