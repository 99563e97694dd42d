#include "player/objects/QVPObjectClasses.h"

#include "player/objects/QVComponent.h"
#include "player/objects/QVComponentHealth.h"
#include "player/objects/QVPObjectAssetPowerup.h"
#include "player/objects/QVPObjectFactory.h"

// Rows without a builder stay unbuilt.
void registerObjectClasses() {
    setObjectBuilder(QVPObjectRow::Powerup, &QVPObjectAssetPowerup::build);
}

void registerComponentClasses() {
    QVComponent::setComponentBuilder(QVComponentKind::Health, &QVComponentHealth::build);
}
