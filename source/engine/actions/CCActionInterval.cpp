#include "actions/CCActionInterval.h"

#include <cmath>

#include "base/CCArray.h"
#include "frames/DisplayFrameTarget.h"
#include "frames/CCSpriteFrame.h"
#include "platform/CCCommon.h"
#include "scene/CCNode.h"
#include "scene/CCProtocols.h"

namespace cocos2d {

namespace {
// A fraction handed in directly may be anything; the actions work on [0, 1].
double clampFraction(double t) {
    if (!(t >= 0.0)) return 0.0;  // negative or NaN
    return t > 1.0 ? 1.0 : t;
}

// Ends are reached within this fraction of the duration, so steps that add
// up to a boundary in exact arithmetic land on it despite rounding.
constexpr double kTolerance = 1e-6;

bool finishesAtOnce(float duration) { return !(duration > 0.0f); }  // zero, negative, NaN
}  // namespace

// ---- CCActionInterval

CCActionInterval* CCActionInterval::create(float duration) {
    auto* action = new CCActionInterval();
    action->initWithDuration(duration);
    action->autorelease();
    return action;
}

bool CCActionInterval::initWithDuration(float duration) {
    m_fDuration = duration;
    m_dElapsed = 0.0;
    m_bFirstTick = true;
    return true;
}

void CCActionInterval::startWithTarget(CCNode* target) {
    CCFiniteTimeAction::startWithTarget(target);
    m_dElapsed = 0.0;
    m_bFirstTick = true;
}

bool CCActionInterval::isDone() {
    if (finishesAtOnce(m_fDuration)) return !m_bFirstTick;
    return m_dElapsed >= double(m_fDuration) * (1.0 - kTolerance);
}

void CCActionInterval::step(float dt) {
    if (m_bFirstTick) {
        // The first step after a start is time 0, whatever dt it brings.
        m_bFirstTick = false;
        m_dElapsed = 0.0;
    } else if (dt > 0.0f) {
        m_dElapsed += dt;
    }
    double t;
    if (finishesAtOnce(m_fDuration)) {
        t = 1.0;
    } else {
        t = m_dElapsed / double(m_fDuration);  // 0 for an infinite duration
        if (t >= 1.0 - kTolerance) t = 1.0;
        if (t < 0.0) t = 0.0;
    }
    updateExact(t);
}

void CCActionInterval::update(float t) { (void)t; }

void CCActionInterval::updateExact(double t) { update(static_cast<float>(t)); }

// ---- CCRepeat

CCRepeat::~CCRepeat() { CC_SAFE_RELEASE(m_pInnerAction); }

CCRepeat* CCRepeat::create(CCFiniteTimeAction* action, unsigned int times) {
    auto* repeat = new CCRepeat();
    if (!repeat->initWithAction(action, times)) {
        delete repeat;
        return nullptr;
    }
    repeat->autorelease();
    return repeat;
}

bool CCRepeat::initWithAction(CCFiniteTimeAction* action, unsigned int times) {
    if (!action) {
        CCLog("[CCRepeat] null inner action refused");
        return false;
    }
    double total = double(action->getDuration()) * times;
    initWithDuration(static_cast<float>(total));
    action->retain();
    CC_SAFE_RELEASE(m_pInnerAction);
    m_pInnerAction = action;
    m_uTimes = times;
    return true;
}

void CCRepeat::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    m_uPass = 0;
    m_bInnerStarted = false;
}

void CCRepeat::stop() {
    if (m_bInnerStarted) m_pInnerAction->stop();
    m_bInnerStarted = false;
    CCActionInterval::stop();
}

void CCRepeat::playInner(double t) {
    if (!m_bInnerStarted) {
        m_pInnerAction->startWithTarget(m_pTarget);
        m_bInnerStarted = true;
    }
    if (auto* interval = dynamic_cast<CCActionInterval*>(m_pInnerAction)) {
        interval->updateExact(t);
    } else {
        m_pInnerAction->update(static_cast<float>(t));
    }
}

void CCRepeat::updateExact(double t) {
    if (m_uTimes == 0 || !m_pTarget) return;
    t = clampFraction(t);
    // Which pass t falls in, and how far into it.
    double passes = t * m_uTimes;
    double whole = std::floor(passes + kTolerance * m_uTimes);
    unsigned int pass = whole >= double(m_uTimes) ? m_uTimes : static_cast<unsigned int>(whole);
    double local = pass >= m_uTimes ? 1.0 : passes - whole;
    if (local < 0.0) local = 0.0;

    if (pass > m_uPass) {
        // Finish the pass in progress; passes skipped over in one step are not
        // replayed, so a long step cannot loop.
        playInner(1.0);
        m_pInnerAction->stop();
        m_bInnerStarted = false;
        m_uPass = pass;
        if (pass >= m_uTimes) return;
    }
    if (t >= 1.0) {
        playInner(1.0);
        m_pInnerAction->stop();
        m_bInnerStarted = false;
        m_uPass = m_uTimes;
        return;
    }
    playInner(local);
}

// ---- CCRepeatForever

CCRepeatForever::~CCRepeatForever() { CC_SAFE_RELEASE(m_pInnerAction); }

CCRepeatForever* CCRepeatForever::create(CCActionInterval* action) {
    auto* repeat = new CCRepeatForever();
    if (!repeat->initWithAction(action)) {
        delete repeat;
        return nullptr;
    }
    repeat->autorelease();
    return repeat;
}

bool CCRepeatForever::initWithAction(CCActionInterval* action) {
    if (!action) {
        CCLog("[CCRepeatForever] null inner action refused");
        return false;
    }
    action->retain();
    CC_SAFE_RELEASE(m_pInnerAction);
    m_pInnerAction = action;
    return true;
}

void CCRepeatForever::startWithTarget(CCNode* target) {
    CCAction::startWithTarget(target);
    m_pInnerAction->startWithTarget(target);
}

void CCRepeatForever::stop() {
    m_pInnerAction->stop();
    CCAction::stop();
}

void CCRepeatForever::step(float dt) {
    m_pInnerAction->step(dt);
    if (!m_pInnerAction->isDone()) return;
    // At most one restart per step: a zero-length inner action shows its end
    // and its start once a frame instead of spinning here.
    double over = m_pInnerAction->getElapsedExact() - double(m_pInnerAction->getDuration());
    m_pInnerAction->stop();
    m_pInnerAction->startWithTarget(m_pTarget);
    m_pInnerAction->step(0.0f);
    if (over > 0.0 && std::isfinite(over)) m_pInnerAction->step(static_cast<float>(over));
}

// ---- CCAnimation

CCAnimation::~CCAnimation() { CC_SAFE_RELEASE(m_pFrames); }

CCAnimation* CCAnimation::create() {
    auto* animation = new CCAnimation();
    animation->init();
    animation->autorelease();
    return animation;
}

CCAnimation* CCAnimation::createWithSpriteFrames(CCArray* frames, float delay) {
    CCAnimation* animation = create();
    animation->setDelayPerUnit(delay);
    if (frames) {
        for (CCObject* object : frames->data()) {
            if (auto* frame = dynamic_cast<CCSpriteFrame*>(object)) animation->addSpriteFrame(frame);
        }
    }
    return animation;
}

bool CCAnimation::init() {
    if (!m_pFrames) m_pFrames = new CCArray();
    return true;
}

void CCAnimation::addSpriteFrame(CCSpriteFrame* frame) {
    if (!frame) {
        CCLog("[CCAnimation] null sprite frame ignored");
        return;
    }
    init();
    m_pFrames->addObject(frame);
}

unsigned int CCAnimation::getFrameCount() const { return m_pFrames ? m_pFrames->count() : 0; }

float CCAnimation::getDuration() const { return static_cast<float>(double(m_fDelayPerUnit) * getFrameCount()); }

// ---- CCAnimate

CCAnimate::~CCAnimate() { CC_SAFE_RELEASE(m_pAnimation); }

CCAnimate* CCAnimate::create(CCAnimation* animation) {
    auto* animate = new CCAnimate();
    if (!animate->initWithAnimation(animation)) {
        delete animate;
        return nullptr;
    }
    animate->autorelease();
    return animate;
}

bool CCAnimate::initWithAnimation(CCAnimation* animation) {
    if (!animation) {
        CCLog("[CCAnimate] null animation refused");
        return false;
    }
    initWithDuration(animation->getDuration());
    animation->retain();
    CC_SAFE_RELEASE(m_pAnimation);
    m_pAnimation = animation;
    return true;
}

void CCAnimate::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    m_nShownFrame = -1;
    m_bTargetChecked = false;
}

void CCAnimate::updateExact(double t) {
    unsigned int n = m_pAnimation->getFrameCount();
    if (n == 0 || !m_pTarget) return;
    t = clampFraction(t);
    auto* display = dynamic_cast<DisplayFrameTarget*>(m_pTarget);
    if (!display) {
        if (!m_bTargetChecked) {
            m_bTargetChecked = true;
            CCLogOnce("[CCAnimate] target cannot show sprite frames; animation shows nothing");
        }
        return;
    }
    // Frame i covers [i/n, (i+1)/n) of the pass; always a valid index.
    double position = t * n + kTolerance * n;
    int index;
    if (!(position >= 0.0)) {
        index = 0;
    } else if (position >= double(n)) {
        index = static_cast<int>(n) - 1;
    } else {
        index = static_cast<int>(std::floor(position));
    }
    if (index == m_nShownFrame) return;
    m_nShownFrame = index;
    display->setDisplayFrame(static_cast<CCSpriteFrame*>(m_pAnimation->getFrames()->objectAtIndex(index)));
}

// ---- CCFadeTo / CCFadeOut

CCFadeTo* CCFadeTo::create(float duration, GLubyte opacity) {
    auto* fade = new CCFadeTo();
    fade->initWithDuration(duration, opacity);
    fade->autorelease();
    return fade;
}

bool CCFadeTo::initWithDuration(float duration, GLubyte opacity) {
    CCActionInterval::initWithDuration(duration);
    m_toOpacity = opacity;
    return true;
}

void CCFadeTo::startWithTarget(CCNode* target) {
    CCActionInterval::startWithTarget(target);
    if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(target)) m_fromOpacity = rgba->getOpacity();
}

void CCFadeTo::updateExact(double t) {
    auto* rgba = dynamic_cast<CCRGBAProtocol*>(m_pTarget);
    if (!rgba) return;
    double value = m_fromOpacity + (double(m_toOpacity) - m_fromOpacity) * clampFraction(t);
    rgba->setOpacity(static_cast<GLubyte>(std::lround(value)));
}

CCFadeOut* CCFadeOut::create(float duration) {
    auto* fade = new CCFadeOut();
    fade->initWithDuration(duration, 0);
    fade->autorelease();
    return fade;
}

}  // namespace cocos2d
