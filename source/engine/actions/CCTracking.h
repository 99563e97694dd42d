// Engine-internal: the registry of live schedulers and action managers that
// the CCObject destroy hook clears a dying object from.
#pragma once

namespace cocos2d {

class CCActionManager;
class CCScheduler;

namespace tracking {

// Registering also installs the destroy hook.
void registerScheduler(CCScheduler* scheduler);
void unregisterScheduler(CCScheduler* scheduler);
void registerActionManager(CCActionManager* manager);
void unregisterActionManager(CCActionManager* manager);

}  // namespace tracking
}  // namespace cocos2d
