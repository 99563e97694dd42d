#include "input/CCKeypadDispatcher.h"

#include <algorithm>

#include "platform/CCCommon.h"

namespace cocos2d {

struct CCKeypadDispatcher::Entry {
    CCKeypadDelegate* delegate = nullptr;
    CCObject* object = nullptr;
    bool removed = false;
};

namespace {

std::vector<CCKeypadDispatcher*>& liveDispatchers() {
    // Never destroyed, like the dispatchers themselves: a delegate deleted
    // during static tear-down still looks itself up here.
    static auto* dispatchers = new std::vector<CCKeypadDispatcher*>();
    return *dispatchers;
}

}  // namespace

CCKeypadDelegate::~CCKeypadDelegate() { CCKeypadDispatcher::delegateDestroyed(this); }

CCKeypadDispatcher::CCKeypadDispatcher() { liveDispatchers().push_back(this); }

CCKeypadDispatcher::~CCKeypadDispatcher() {
    auto& live = liveDispatchers();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    removeAllDelegates();
}

CCKeypadDispatcher* CCKeypadDispatcher::sharedDispatcher() {
    static CCKeypadDispatcher* dispatcher = new CCKeypadDispatcher();
    return dispatcher;
}

void CCKeypadDispatcher::delegateDestroyed(CCKeypadDelegate* delegate) {
    for (CCKeypadDispatcher* dispatcher : liveDispatchers()) dispatcher->removeDelegate(delegate);
}

void CCKeypadDispatcher::addDelegate(CCKeypadDelegate* delegate) {
    if (!delegate || hasDelegate(delegate)) return;
    for (const auto& entry : m_pending) {
        if (entry->delegate == delegate) return;
    }
    auto entry = std::make_shared<Entry>();
    entry->delegate = delegate;
    entry->object = dynamic_cast<CCObject*>(delegate);
    (m_uDispatchDepth > 0 ? m_pending : m_delegates).push_back(entry);
}

void CCKeypadDispatcher::removeDelegate(CCKeypadDelegate* delegate) {
    if (!delegate) return;
    for (auto* list : {&m_delegates, &m_pending}) {
        for (auto it = list->begin(); it != list->end(); ++it) {
            if ((*it)->delegate != delegate) continue;
            (*it)->removed = true;
            list->erase(it);
            return;
        }
    }
}

void CCKeypadDispatcher::removeAllDelegates() {
    for (auto* list : {&m_delegates, &m_pending}) {
        for (const auto& entry : *list) entry->removed = true;
        list->clear();
    }
}

bool CCKeypadDispatcher::hasDelegate(CCKeypadDelegate* delegate) const {
    for (const auto& entry : m_delegates) {
        if (entry->delegate == delegate) return true;
    }
    return false;
}

unsigned int CCKeypadDispatcher::getDelegateCount() const {
    return static_cast<unsigned int>(m_delegates.size());
}

template <typename Call>
bool CCKeypadDispatcher::dispatch(Call call) {
    ++m_uDispatchDepth;
    const auto entries = m_delegates;
    bool any = false;
    for (const auto& entry : entries) {
        if (entry->removed) continue;
        // A CCObject delegate may release itself from inside its call.
        if (entry->object) entry->object->retain();
        call(entry->delegate);
        if (entry->object) entry->object->release();
        any = true;
    }
    if (--m_uDispatchDepth == 0 && !m_pending.empty()) {
        std::vector<std::shared_ptr<Entry>> pending;
        pending.swap(m_pending);
        for (const auto& entry : pending) {
            if (!entry->removed) m_delegates.push_back(entry);
        }
    }
    return any;
}

bool CCKeypadDispatcher::dispatchKeypadMSG(ccKeypadMSGType type) {
    switch (type) {
    case kTypeBackClicked:
        return dispatch([](CCKeypadDelegate* d) { d->keyBackClicked(); });
    case kTypeMenuClicked:
        return dispatch([](CCKeypadDelegate* d) { d->keyMenuClicked(); });
    }
    CCLog("[CCKeypadDispatcher] unknown message %d ignored", static_cast<int>(type));
    return false;
}

bool CCKeypadDispatcher::dispatchKeyDown(int keyCode) {
    return dispatch([keyCode](CCKeypadDelegate* d) { d->keyDown(keyCode); });
}

bool CCKeypadDispatcher::dispatchKeyUp(int keyCode) {
    return dispatch([keyCode](CCKeypadDelegate* d) { d->keyUp(keyCode); });
}

}  // namespace cocos2d
