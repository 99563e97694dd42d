#include "actions/CCActionManager.h"

#include <algorithm>

#include "actions/CCAction.h"
#include "actions/CCTracking.h"
#include "platform/CCCommon.h"
#include "scene/CCNode.h"

namespace cocos2d {

struct CCActionManager::Entry {
    CCAction* action;  // retained until the entry is reclaimed
    CCObject* target;
    bool paused;
    bool removed = false;
};

CCActionManager::CCActionManager() { tracking::registerActionManager(this); }

CCActionManager::~CCActionManager() {
    tracking::unregisterActionManager(this);
    std::vector<Entry*> all;
    all.swap(m_entries);
    all.insert(all.end(), m_dead.begin(), m_dead.end());
    m_dead.clear();
    for (Entry* e : all) {
        e->action->release();
        delete e;
    }
}

CCActionManager* CCActionManager::sharedManager() {
    static CCActionManager* manager = new CCActionManager();
    return manager;
}

void CCActionManager::addAction(CCAction* action, CCNode* target, bool paused) {
    if (!action || !target) {
        CCLog("[CCActionManager] addAction with a null action or target ignored");
        return;
    }
    for (Entry* e : m_entries) {
        if (e->action != action) continue;
        if (e->target == target) {
            CCLog("[CCActionManager] action %u already runs on object %u; left as it is", action->m_uID,
                  target->m_uID);
        } else {
            CCLog("[CCActionManager] action %u already runs on another object; refused for object %u",
                  action->m_uID, target->m_uID);
        }
        return;
    }
    target->markScheduledOrActing();
    action->retain();
    m_entries.push_back(new Entry{action, target, paused});
    action->startWithTarget(target);
}

void CCActionManager::removeEntry(Entry* entry, bool callStop) {
    auto it = std::find(m_entries.begin(), m_entries.end(), entry);
    if (it == m_entries.end()) return;
    m_entries.erase(it);
    entry->removed = true;
    if (callStop) {
        entry->action->stop();
    } else {
        // The target is gone: drop the pointer without calling into the action.
        entry->action->m_pTarget = nullptr;
        entry->action->m_pOriginalTarget = nullptr;
    }
    if (m_nTickDepth > 0) {
        m_dead.push_back(entry);
    } else {
        CCAction* action = entry->action;
        delete entry;
        action->release();
    }
}

void CCActionManager::reclaim() {
    std::vector<Entry*> dead;
    dead.swap(m_dead);
    for (Entry* e : dead) {
        CCAction* action = e->action;
        delete e;
        action->release();
    }
}

void CCActionManager::removeAllActions() {
    std::vector<Entry*> entries = m_entries;
    for (Entry* e : entries) removeEntry(e, true);
}

void CCActionManager::removeAllActionsFromTarget(CCObject* target) {
    std::vector<Entry*> entries = m_entries;
    for (Entry* e : entries) {
        if (e->target == target && !e->removed) removeEntry(e, true);
    }
}

void CCActionManager::forgetDestroyedTarget(const CCObject* target) {
    std::vector<Entry*> entries = m_entries;
    for (Entry* e : entries) {
        if (e->target == target && !e->removed) removeEntry(e, false);
    }
}

void CCActionManager::removeAction(CCAction* action) {
    for (Entry* e : m_entries) {
        if (e->action == action) {
            removeEntry(e, true);
            return;
        }
    }
}

void CCActionManager::removeActionByTag(int tag, CCObject* target) {
    for (Entry* e : m_entries) {
        if (e->target == target && e->action->getTag() == tag) {
            removeEntry(e, true);
            return;
        }
    }
}

CCAction* CCActionManager::getActionByTag(int tag, CCObject* target) {
    for (Entry* e : m_entries) {
        if (e->target == target && e->action->getTag() == tag) return e->action;
    }
    return nullptr;
}

unsigned int CCActionManager::numberOfRunningActionsInTarget(CCObject* target) {
    unsigned int n = 0;
    for (Entry* e : m_entries) {
        if (e->target == target) ++n;
    }
    return n;
}

void CCActionManager::pauseTarget(CCObject* target) {
    for (Entry* e : m_entries) {
        if (e->target == target) e->paused = true;
    }
}

void CCActionManager::resumeTarget(CCObject* target) {
    for (Entry* e : m_entries) {
        if (e->target == target) e->paused = false;
    }
}

bool CCActionManager::isTargetPaused(CCObject* target) {
    for (Entry* e : m_entries) {
        if (e->target == target) return e->paused;
    }
    return false;
}

void CCActionManager::update(float dt) {
    if (!(dt >= 0.0f)) dt = 0.0f;
    ++m_nTickDepth;
    // A snapshot: actions added during the tick first step in the next one.
    std::vector<Entry*> entries = m_entries;
    for (Entry* e : entries) {
        if (e->removed || e->paused) continue;
        e->action->step(dt);
        if (!e->removed && e->action->isDone()) removeEntry(e, true);
    }
    if (--m_nTickDepth == 0) reclaim();
}

}  // namespace cocos2d
