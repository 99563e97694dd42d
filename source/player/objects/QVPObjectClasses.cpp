#include "player/objects/QVPObjectClasses.h"

#include "player/objects/QVComponent.h"
#include "player/objects/QVComponentHealth.h"
#include "player/objects/QVPObjectFactory.h"

// No runtime object class has a builder yet: every row stays unbuilt.
void registerObjectClasses() {}

void registerComponentClasses() {
    QVComponent::setComponentBuilder(QVComponentKind::Health, &QVComponentHealth::build);
}
