// Actions that run for a duration: the base class, repeats, frame animation
// and fades.
//
// Durations that are zero, negative or NaN finish at the first step with
// t = 1; an infinite duration never finishes (t stays 0). Elapsed time is kept
// in double and the end is reached within 1e-6 of the duration, so steps that
// add up to the duration land exactly on it.
#pragma once

#include "actions/CCAction.h"
#include "math/ccTypes.h"

namespace cocos2d {

class CCAnimation;
class CCArray;
class CCSpriteFrame;

class CCActionInterval : public CCFiniteTimeAction {
public:
    static CCActionInterval* create(float duration);
    bool initWithDuration(float duration);

    void startWithTarget(CCNode* target) override;
    void step(float dt) override;
    bool isDone() override;
    void update(float t) override;
    // (ours) update with the fraction in double; what step() and the repeats
    // call. By default it forwards to update(float).
    virtual void updateExact(double t);

    // Seconds since the first step.
    float getElapsed() const { return static_cast<float>(m_dElapsed); }
    double getElapsedExact() const { return m_dElapsed; }
    bool isFirstTick() const { return m_bFirstTick; }

protected:
    double m_dElapsed = 0.0;
    bool m_bFirstTick = true;
};

// Plays its inner action `times` times back to back.
class CCRepeat : public CCActionInterval {
public:
    ~CCRepeat() override;
    static CCRepeat* create(CCFiniteTimeAction* action, unsigned int times);
    bool initWithAction(CCFiniteTimeAction* action, unsigned int times);

    void startWithTarget(CCNode* target) override;
    void stop() override;
    void update(float t) override { updateExact(t); }
    void updateExact(double t) override;
    CCFiniteTimeAction* getInnerAction() { return m_pInnerAction; }

protected:
    void playInner(double t);
    CCFiniteTimeAction* m_pInnerAction = nullptr;
    unsigned int m_uTimes = 0;
    unsigned int m_uPass = 0;  // the pass in progress
    bool m_bInnerStarted = false;
};

// An action that runs forever by restarting its inner action when that one
// finishes, at most once per step (so a zero-length inner action cannot spin).
class CCRepeatForever : public CCAction {
public:
    ~CCRepeatForever() override;
    static CCRepeatForever* create(CCActionInterval* action);
    bool initWithAction(CCActionInterval* action);

    void startWithTarget(CCNode* target) override;
    void stop() override;
    void step(float dt) override;
    bool isDone() override { return false; }
    CCActionInterval* getInnerAction() { return m_pInnerAction; }

protected:
    CCActionInterval* m_pInnerAction = nullptr;
};

// A sequence of sprite frames, each shown for the same delay.
class CCAnimation : public CCObject {
public:
    ~CCAnimation() override;
    static CCAnimation* create();
    // Frames retained, delay in seconds per frame.
    static CCAnimation* createWithSpriteFrames(CCArray* frames, float delay);
    bool init();

    void addSpriteFrame(CCSpriteFrame* frame);
    void setDelayPerUnit(float delay) { m_fDelayPerUnit = delay; }
    float getDelayPerUnit() const { return m_fDelayPerUnit; }
    // delay x number of frames
    float getDuration() const;
    // The frames (CCSpriteFrame), never null.
    CCArray* getFrames() { return m_pFrames; }
    unsigned int getFrameCount() const;
    void setRestoreOriginalFrame(bool restore) { m_bRestoreOriginalFrame = restore; }
    bool getRestoreOriginalFrame() const { return m_bRestoreOriginalFrame; }

private:
    CCArray* m_pFrames = nullptr;
    float m_fDelayPerUnit = 0.0f;
    bool m_bRestoreOriginalFrame = false;
};

// Shows the animation's frames on a target implementing DisplayFrameTarget:
// with n frames and delay d, frame i during [i*d, (i+1)*d) from the first
// step. The index is clamped to the frame list; after the last pass the last
// frame stays, and stopping does not restore a frame. Other targets get no
// frames (logged once).
class CCAnimate : public CCActionInterval {
public:
    ~CCAnimate() override;
    static CCAnimate* create(CCAnimation* animation);
    bool initWithAnimation(CCAnimation* animation);

    void startWithTarget(CCNode* target) override;
    void update(float t) override { updateExact(t); }
    void updateExact(double t) override;
    CCAnimation* getAnimation() { return m_pAnimation; }
    // (ours) The index last shown, -1 before the first.
    int getCurrentFrameIndex() const { return m_nShownFrame; }

protected:
    CCAnimation* m_pAnimation = nullptr;
    int m_nShownFrame = -1;
    bool m_bTargetChecked = false;
};

// Linear fade from the target's opacity at the start to `opacity`. A target
// without CCRGBAProtocol is left alone; the action still ends on time.
class CCFadeTo : public CCActionInterval {
public:
    static CCFadeTo* create(float duration, GLubyte opacity);
    bool initWithDuration(float duration, GLubyte opacity);

    void startWithTarget(CCNode* target) override;
    void update(float t) override { updateExact(t); }
    void updateExact(double t) override;

protected:
    GLubyte m_toOpacity = 0;
    GLubyte m_fromOpacity = 0;
};

// A fade to 0.
class CCFadeOut : public CCFadeTo {
public:
    static CCFadeOut* create(float duration);
};

}  // namespace cocos2d
