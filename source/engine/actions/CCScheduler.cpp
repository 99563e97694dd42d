#include "actions/CCScheduler.h"

#include <algorithm>

#include "actions/CCActionManager.h"
#include "actions/CCTracking.h"
#include "platform/CCCommon.h"

namespace cocos2d {

struct CCScheduler::UpdateEntry {
    CCObject* target;
    int priority;
    bool paused;
    bool removed = false;
};

struct CCScheduler::TimerEntry {
    CCObject* target;
    SEL_SCHEDULE selector;
    float interval;
    unsigned int repeat;
    float delay;
    bool paused;
    bool removed = false;
    bool useDelay = false;
    double elapsed = 0.0;
    unsigned int timesExecuted = 0;

    void restart(float newInterval, unsigned int newRepeat, float newDelay) {
        interval = newInterval;
        repeat = newRepeat;
        delay = newDelay;
        useDelay = newDelay > 0.0f;
        elapsed = 0.0;
        timesExecuted = 0;
    }
};

CCScheduler::CCScheduler() { tracking::registerScheduler(this); }

CCScheduler::~CCScheduler() {
    tracking::unregisterScheduler(this);
    for (UpdateEntry* e : m_updates) delete e;
    for (TimerEntry* e : m_timers) delete e;
    for (UpdateEntry* e : m_deadUpdates) delete e;
    for (TimerEntry* e : m_deadTimers) delete e;
}

CCScheduler* CCScheduler::sharedScheduler() {
    static CCScheduler* scheduler = [] {
        CCScheduler* s = new CCScheduler();
        s->setActionManager(CCActionManager::sharedManager());
        return s;
    }();
    return scheduler;
}

void CCScheduler::scheduleUpdateForTarget(CCObject* target, int priority, bool paused) {
    if (!target) {
        CCLog("[CCScheduler] scheduleUpdateForTarget with a null target ignored");
        return;
    }
    if (isUpdateScheduled(target)) {
        CCLog("[CCScheduler] update of object %u is already scheduled; the first entry is kept", target->m_uID);
        return;
    }
    target->markScheduledOrActing();
    auto* entry = new UpdateEntry{target, priority, paused};
    // After every entry of the same or a lower priority: ties keep scheduling order.
    auto at = std::upper_bound(m_updates.begin(), m_updates.end(), priority,
                               [](int p, const UpdateEntry* e) { return p < e->priority; });
    m_updates.insert(at, entry);
}

void CCScheduler::unscheduleUpdateForTarget(const CCObject* target) {
    for (UpdateEntry* e : m_updates) {
        if (e->target == target) {
            removeUpdate(e);
            return;
        }
    }
}

void CCScheduler::scheduleSelector(SEL_SCHEDULE selector, CCObject* target, float interval, bool paused) {
    scheduleSelector(selector, target, interval, kCCRepeatForever, 0.0f, paused);
}

void CCScheduler::scheduleSelector(SEL_SCHEDULE selector, CCObject* target, float interval, unsigned int repeat,
                                   float delay, bool paused) {
    if (!target || !selector) {
        CCLog("[CCScheduler] scheduleSelector with a null target or selector ignored");
        return;
    }
    if (!(interval >= 0.0f)) interval = 0.0f;  // negative or NaN: every tick
    if (!(delay >= 0.0f)) delay = 0.0f;
    for (TimerEntry* e : m_timers) {
        if (e->target == target && e->selector == selector) {
            e->restart(interval, repeat, delay);
            return;
        }
    }
    target->markScheduledOrActing();
    auto* entry = new TimerEntry{target, selector, interval, repeat, delay, paused};
    entry->restart(interval, repeat, delay);
    m_timers.push_back(entry);
}

void CCScheduler::unscheduleSelector(SEL_SCHEDULE selector, CCObject* target) {
    for (TimerEntry* e : m_timers) {
        if (e->target == target && e->selector == selector) {
            removeTimer(e);
            return;
        }
    }
}

void CCScheduler::unscheduleAllForTarget(CCObject* target) { forgetDestroyedTarget(target); }

void CCScheduler::forgetDestroyedTarget(const CCObject* target) {
    if (!target) return;
    // Copies: removal outside a tick erases from the live lists.
    std::vector<UpdateEntry*> updates = m_updates;
    for (UpdateEntry* e : updates) {
        if (e->target == target) removeUpdate(e);
    }
    std::vector<TimerEntry*> timers = m_timers;
    for (TimerEntry* e : timers) {
        if (e->target == target) removeTimer(e);
    }
}

void CCScheduler::unscheduleAll() {
    std::vector<UpdateEntry*> updates = m_updates;
    for (UpdateEntry* e : updates) removeUpdate(e);
    std::vector<TimerEntry*> timers = m_timers;
    for (TimerEntry* e : timers) removeTimer(e);
}

void CCScheduler::pauseTarget(CCObject* target) {
    for (UpdateEntry* e : m_updates) {
        if (e->target == target) e->paused = true;
    }
    for (TimerEntry* e : m_timers) {
        if (e->target == target) e->paused = true;
    }
}

void CCScheduler::resumeTarget(CCObject* target) {
    for (UpdateEntry* e : m_updates) {
        if (e->target == target) e->paused = false;
    }
    for (TimerEntry* e : m_timers) {
        if (e->target == target) e->paused = false;
    }
}

bool CCScheduler::isTargetPaused(CCObject* target) {
    for (UpdateEntry* e : m_updates) {
        if (e->target == target) return e->paused;
    }
    for (TimerEntry* e : m_timers) {
        if (e->target == target) return e->paused;
    }
    return false;
}

bool CCScheduler::isScheduled(SEL_SCHEDULE selector, const CCObject* target) const {
    for (const TimerEntry* e : m_timers) {
        if (e->target == target && e->selector == selector) return true;
    }
    return false;
}

bool CCScheduler::isUpdateScheduled(const CCObject* target) const {
    for (const UpdateEntry* e : m_updates) {
        if (e->target == target) return true;
    }
    return false;
}

unsigned int CCScheduler::entryCount() const { return static_cast<unsigned int>(m_updates.size() + m_timers.size()); }

// Live lists hold only live entries. During a tick a removed entry is marked
// (the tick's snapshot may still hold it) and deleted after the tick.
void CCScheduler::removeUpdate(UpdateEntry* entry) {
    auto it = std::find(m_updates.begin(), m_updates.end(), entry);
    if (it == m_updates.end()) return;
    m_updates.erase(it);
    entry->removed = true;
    if (m_nTickDepth > 0) {
        m_deadUpdates.push_back(entry);
    } else {
        delete entry;
    }
}

void CCScheduler::removeTimer(TimerEntry* entry) {
    auto it = std::find(m_timers.begin(), m_timers.end(), entry);
    if (it == m_timers.end()) return;
    m_timers.erase(it);
    entry->removed = true;
    if (m_nTickDepth > 0) {
        m_deadTimers.push_back(entry);
    } else {
        delete entry;
    }
}

void CCScheduler::reclaim() {
    for (UpdateEntry* e : m_deadUpdates) delete e;
    m_deadUpdates.clear();
    for (TimerEntry* e : m_deadTimers) delete e;
    m_deadTimers.clear();
}

void CCScheduler::update(float dt) {
    if (!(dt >= 0.0f)) dt = 0.0f;
    ++m_nTickDepth;

    if (m_pActionManager) m_pActionManager->update(dt);

    // Snapshots: entries added from here on are not in them and first run in
    // the next tick; removed ones are marked and skipped.
    std::vector<UpdateEntry*> updates = m_updates;
    for (UpdateEntry* e : updates) {
        if (!e->removed && !e->paused) e->target->update(dt);
    }

    std::vector<TimerEntry*> timers = m_timers;
    for (TimerEntry* e : timers) {
        if (e->removed || e->paused) continue;
        e->elapsed += dt;
        double due = e->useDelay ? e->delay : e->interval;
        if (e->elapsed < due) continue;
        float elapsed = static_cast<float>(e->elapsed);
        e->elapsed = 0.0;
        e->useDelay = false;
        ++e->timesExecuted;
        bool last = e->repeat != kCCRepeatForever && e->timesExecuted > e->repeat;
        (e->target->*e->selector)(elapsed);
        // The callback may have unscheduled this entry, rescheduled it (which
        // restarts its count) or destroyed the target.
        if (last && !e->removed && e->timesExecuted > e->repeat) removeTimer(e);
    }

    if (--m_nTickDepth == 0) reclaim();
}

}  // namespace cocos2d
