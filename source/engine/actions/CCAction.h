// Actions change a node over time. The action manager steps them; a finished
// action is stopped and removed.
#pragma once

#include "base/CCObject.h"

namespace cocos2d {

class CCNode;

enum {
    kCCActionTagInvalid = -1,
};

class CCAction : public CCObject {
public:
    CCAction() = default;

    // Resets the action completely, so a stopped or finished instance runs
    // again from the start.
    virtual void startWithTarget(CCNode* target);
    // Called when the action finishes or is removed; the target is dropped.
    virtual void stop();
    virtual bool isDone() { return true; }
    // Advances by dt seconds (the first step after a start counts as time 0).
    virtual void step(float dt) { (void)dt; }
    // t in [0, 1]: the fraction of the action's time that has passed.
    virtual void update(float t) override { (void)t; }

    CCNode* getTarget() { return m_pTarget; }
    void setTarget(CCNode* target) { m_pTarget = target; }
    CCNode* getOriginalTarget() { return m_pOriginalTarget; }
    void setOriginalTarget(CCNode* target) { m_pOriginalTarget = target; }
    int getTag() const { return m_nTag; }
    void setTag(int tag) { m_nTag = tag; }

protected:
    friend class CCActionManager;
    CCNode* m_pTarget = nullptr;
    CCNode* m_pOriginalTarget = nullptr;
    int m_nTag = kCCActionTagInvalid;
};

// An action with a duration in seconds.
class CCFiniteTimeAction : public CCAction {
public:
    float getDuration() const { return m_fDuration; }
    void setDuration(float duration) { m_fDuration = duration; }

protected:
    float m_fDuration = 0.0f;
};

}  // namespace cocos2d
