// The runtime classes as the object and component factories see them: each
// call installs the builders of the classes that exist. The player calls
// both once at launch, after registerModelClasses(); tools and tests that
// build a game field do the same.
#pragma once

void registerObjectClasses();
void registerComponentClasses();
