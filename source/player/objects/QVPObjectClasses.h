// The runtime classes as the object and component factories see them: the
// first call installs a builder for every object row (the instance row needs
// none), the second for every component kind. The player calls both once at
// launch, after registerModelClasses(); tools and tests that build a game
// field do the same.
#pragma once

void registerObjectClasses();
void registerComponentClasses();
