#include "actions/CCTracking.h"

#include <algorithm>
#include <vector>

#include "actions/CCActionManager.h"
#include "actions/CCScheduler.h"

namespace cocos2d {
namespace tracking {

namespace {

struct Registry {
    std::vector<CCScheduler*> schedulers;
    std::vector<CCActionManager*> managers;
};

// Never destroyed, so objects dying during static destruction still find it.
Registry& registry() {
    static Registry* r = new Registry();
    return *r;
}

void onTrackedObjectDestroyed(CCObject* object) {
    Registry& r = registry();
    // Copies: a removal may release actions whose destructors touch the lists.
    std::vector<CCActionManager*> managers = r.managers;
    for (CCActionManager* m : managers) {
        if (m != object) m->forgetDestroyedTarget(object);
    }
    std::vector<CCScheduler*> schedulers = r.schedulers;
    for (CCScheduler* s : schedulers) {
        if (s != object) s->forgetDestroyedTarget(object);
    }
}

template <class T>
void add(std::vector<T*>& list, T* item) {
    CCObject::setTrackedDestroyHook(&onTrackedObjectDestroyed);
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

template <class T>
void remove(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

void registerScheduler(CCScheduler* scheduler) { add(registry().schedulers, scheduler); }
void unregisterScheduler(CCScheduler* scheduler) { remove(registry().schedulers, scheduler); }
void registerActionManager(CCActionManager* manager) { add(registry().managers, manager); }
void unregisterActionManager(CCActionManager* manager) { remove(registry().managers, manager); }

}  // namespace tracking
}  // namespace cocos2d
