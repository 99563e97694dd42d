// The per-frame scheduler.
//
// One tick (update(dt)) runs, in this order: the attached action manager,
// the update targets by priority (lower first; ties in scheduling order),
// then the interval selectors in scheduling order.
//
// Targets are not retained. Every CCObject that was ever scheduled removes
// itself from every scheduler when destroyed, so deleting a scheduled object,
// or letting a scheduled stack object go out of scope, is safe.
//
// Entries removed during a tick are never called again and are reclaimed
// after the tick; entries added during a tick first run in the next one.
#pragma once

#include <climits>
#include <cstdint>
#include <vector>

#include "base/CCObject.h"

namespace cocos2d {

class CCActionManager;

const unsigned int kCCRepeatForever = UINT_MAX - 1;
// (ours) The priority the engine's own update targets use, before any other.
const int kCCPrioritySystem = INT_MIN;

class CCScheduler : public CCObject {
public:
    CCScheduler();
    ~CCScheduler() override;

    // (ours) The scheduler CCDirector::getScheduler() returns and nodes use.
    // Created on first use, never destroyed; it ticks
    // CCActionManager::sharedManager() first in every tick (so the action
    // manager must not also be scheduled as an update target).
    static CCScheduler* sharedScheduler();

    // (ours) The action manager this scheduler ticks first; may be null.
    void setActionManager(CCActionManager* manager) { m_pActionManager = manager; }
    CCActionManager* getActionManager() const { return m_pActionManager; }

    void update(float dt) override;

    // target->update(dt) every tick. A target already scheduled keeps its
    // first entry (logged).
    void scheduleUpdateForTarget(CCObject* target, int priority, bool paused);
    void unscheduleUpdateForTarget(const CCObject* target);

    // Fires when the elapsed time reaches the delay (first, when positive)
    // or the interval, with that elapsed time, then starts again from 0: at
    // most once per tick, never catching up. `repeat` n means n + 1 calls.
    // Scheduling an existing (target, selector) replaces its interval, repeat
    // and delay and restarts its timing.
    void scheduleSelector(SEL_SCHEDULE selector, CCObject* target, float interval, unsigned int repeat,
                          float delay, bool paused);
    void scheduleSelector(SEL_SCHEDULE selector, CCObject* target, float interval, bool paused);
    void unscheduleSelector(SEL_SCHEDULE selector, CCObject* target);

    void unscheduleAllForTarget(CCObject* target);
    void unscheduleAll();

    void pauseTarget(CCObject* target);
    void resumeTarget(CCObject* target);
    bool isTargetPaused(CCObject* target);

    // (ours) Queries for the engine and its tests.
    bool isScheduled(SEL_SCHEDULE selector, const CCObject* target) const;
    bool isUpdateScheduled(const CCObject* target) const;
    // Live entries (updates and selectors) of every target.
    unsigned int entryCount() const;
    // Removes every entry of a destroyed object without calling it.
    void forgetDestroyedTarget(const CCObject* target);

private:
    struct UpdateEntry;
    struct TimerEntry;

    void removeUpdate(UpdateEntry* entry);
    void removeTimer(TimerEntry* entry);
    void reclaim();

    CCActionManager* m_pActionManager = nullptr;
    std::vector<UpdateEntry*> m_updates;  // sorted by priority, then scheduling order
    std::vector<TimerEntry*> m_timers;    // scheduling order
    std::vector<UpdateEntry*> m_deadUpdates;
    std::vector<TimerEntry*> m_deadTimers;
    int m_nTickDepth = 0;
};

}  // namespace cocos2d
