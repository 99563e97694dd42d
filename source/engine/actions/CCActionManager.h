// Runs actions on their targets. The manager retains running actions but not
// their targets; a destroyed target's actions are dropped without being
// called. The same rules as the scheduler hold for changes during a tick:
// removed actions are never stepped again and are reclaimed after the tick,
// added ones first step in the next tick.
#pragma once

#include <vector>

#include "base/CCObject.h"

namespace cocos2d {

class CCAction;
class CCNode;

class CCActionManager : public CCObject {
public:
    CCActionManager();
    ~CCActionManager() override;

    // (ours) The manager CCDirector::getActionManager() returns and nodes
    // use; created on first use, never destroyed. CCScheduler::sharedScheduler()
    // ticks it.
    static CCActionManager* sharedManager();

    // Starts the action on the target (startWithTarget resets it completely).
    // A null action or target is ignored with a log; an action already
    // running here is left as it is, one running on another target refused.
    void addAction(CCAction* action, CCNode* target, bool paused);
    void removeAllActions();
    void removeAllActionsFromTarget(CCObject* target);
    void removeAction(CCAction* action);
    void removeActionByTag(int tag, CCObject* target);
    CCAction* getActionByTag(int tag, CCObject* target);
    unsigned int numberOfRunningActionsInTarget(CCObject* target);

    void pauseTarget(CCObject* target);
    void resumeTarget(CCObject* target);
    // (ours)
    bool isTargetPaused(CCObject* target);

    // Steps every unpaused action; a finished action is stopped and removed.
    void update(float dt) override;

    // (ours) Drops a destroyed object's actions without calling them.
    void forgetDestroyedTarget(const CCObject* target);

private:
    struct Entry;
    void removeEntry(Entry* entry, bool callStop);
    void reclaim();

    std::vector<Entry*> m_entries;  // in order of addition
    std::vector<Entry*> m_dead;
    int m_nTickDepth = 0;
};

}  // namespace cocos2d
