// A stored target and member-function callback that is called at most once:
// fire() forgets both before the call, so the callback may store a new one
// and a stale target is never called again. The target is retained while
// stored.
#pragma once

#include <utility>

#include "base/CCObject.h"

template <class Selector>
class OneShotCallback {
public:
    OneShotCallback() = default;
    OneShotCallback(const OneShotCallback&) = delete;
    OneShotCallback& operator=(const OneShotCallback&) = delete;
    ~OneShotCallback() { set(nullptr, nullptr); }

    void set(cocos2d::CCObject* target, Selector selector) {
        if (target) target->retain();
        cocos2d::CCObject* old = m_target;
        m_target = target;
        m_selector = selector;
        if (old) old->release();
    }
    bool isSet() const { return m_target && m_selector; }

    template <class... Args>
    void fire(Args&&... args) {
        cocos2d::CCObject* target = std::exchange(m_target, nullptr);
        Selector selector = std::exchange(m_selector, nullptr);
        if (target && selector) (target->*selector)(std::forward<Args>(args)...);
        if (target) target->release();
    }

private:
    cocos2d::CCObject* m_target = nullptr;
    Selector m_selector = nullptr;
};
