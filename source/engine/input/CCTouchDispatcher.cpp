#include "input/CCTouchDispatcher.h"

#include <algorithm>
#include <climits>

#include "input/CCSet.h"
#include "input/CCTouch.h"
#include "platform/CCCommon.h"

namespace cocos2d {

struct CCTouchDispatcher::Handler {
    CCTouchDelegate* delegate = nullptr;
    CCObject* object = nullptr;  // the delegate as a CCObject, when it is one
    int priority = 0;
    unsigned long order = 0;  // registration sequence
    bool targeted = false;
    bool swallows = false;
    bool removed = false;
    std::vector<CCTouch*> claimed;  // retained

    bool claims(CCTouch* touch) const {
        return std::find(claimed.begin(), claimed.end(), touch) != claimed.end();
    }
    void unclaim(CCTouch* touch) {
        auto it = std::find(claimed.begin(), claimed.end(), touch);
        if (it == claimed.end()) return;
        claimed.erase(it);
        touch->release();
    }
    void forget() {
        removed = true;
        std::vector<CCTouch*> touches;
        touches.swap(claimed);
        for (CCTouch* touch : touches) touch->release();
    }
};

namespace {

// Ascending priority; at equal priority the later registration first.
const auto handlerBefore = [](const auto& a, const auto& b) {
    if (a->priority != b->priority) return a->priority < b->priority;
    return a->order > b->order;
};

std::vector<CCTouchDispatcher*>& liveDispatchers() {
    // Never destroyed, like the dispatchers themselves: a delegate deleted
    // during static tear-down still looks itself up here.
    static auto* dispatchers = new std::vector<CCTouchDispatcher*>();
    return *dispatchers;
}

// Keeps a CCObject delegate alive for the length of its own call.
class CallGuard {
public:
    explicit CallGuard(CCObject* object) : m_object(object) {
        if (m_object) m_object->retain();
    }
    ~CallGuard() {
        if (m_object) m_object->release();
    }
    CallGuard(const CallGuard&) = delete;
    CallGuard& operator=(const CallGuard&) = delete;

private:
    CCObject* m_object;
};

}  // namespace

CCTouchDelegate::~CCTouchDelegate() { CCTouchDispatcher::delegateDestroyed(this); }

CCTouchDispatcher::CCTouchDispatcher() { liveDispatchers().push_back(this); }

CCTouchDispatcher::~CCTouchDispatcher() {
    auto& live = liveDispatchers();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    removeAllDelegates();
}

CCTouchDispatcher* CCTouchDispatcher::sharedDispatcher() {
    static CCTouchDispatcher* dispatcher = new CCTouchDispatcher();
    return dispatcher;
}

void CCTouchDispatcher::delegateDestroyed(CCTouchDelegate* delegate) {
    for (CCTouchDispatcher* dispatcher : liveDispatchers()) dispatcher->removeDelegate(delegate);
}

CCTouchDispatcher::HandlerPtr CCTouchDispatcher::find(CCTouchDelegate* delegate) const {
    for (const auto* list : {&m_targeted, &m_standard, &m_pending}) {
        for (const HandlerPtr& handler : *list) {
            if (handler->delegate == delegate) return handler;
        }
    }
    return nullptr;
}

void CCTouchDispatcher::insertSorted(std::vector<HandlerPtr>& list, const HandlerPtr& handler) {
    list.insert(std::upper_bound(list.begin(), list.end(), handler, handlerBefore), handler);
}

void CCTouchDispatcher::resort() {
    std::stable_sort(m_targeted.begin(), m_targeted.end(), handlerBefore);
    std::stable_sort(m_standard.begin(), m_standard.end(), handlerBefore);
}

void CCTouchDispatcher::addHandler(const HandlerPtr& handler) {
    if (!handler->delegate) {
        CCLog("[CCTouchDispatcher] null delegate ignored");
        return;
    }
    if (find(handler->delegate)) {
        CCLog("[CCTouchDispatcher] delegate %p is already registered; ignored",
              static_cast<void*>(handler->delegate));
        return;
    }
    handler->object = dynamic_cast<CCObject*>(handler->delegate);
    handler->order = m_ulNextOrder++;
    if (m_uDispatchDepth > 0) {
        m_pending.push_back(handler);
        return;
    }
    insertSorted(handler->targeted ? m_targeted : m_standard, handler);
}

void CCTouchDispatcher::addStandardDelegate(CCTouchDelegate* delegate, int priority) {
    auto handler = std::make_shared<Handler>();
    handler->delegate = delegate;
    handler->priority = priority;
    addHandler(handler);
}

void CCTouchDispatcher::addTargetedDelegate(CCTouchDelegate* delegate, int priority, bool swallowsTouches) {
    auto handler = std::make_shared<Handler>();
    handler->delegate = delegate;
    handler->priority = priority;
    handler->targeted = true;
    handler->swallows = swallowsTouches;
    addHandler(handler);
}

void CCTouchDispatcher::removeDelegate(CCTouchDelegate* delegate) {
    if (!delegate) return;
    for (auto* list : {&m_targeted, &m_standard, &m_pending}) {
        for (auto it = list->begin(); it != list->end(); ++it) {
            if ((*it)->delegate != delegate) continue;
            // A walk in progress holds its own copy of the list and skips
            // handlers marked removed.
            (*it)->forget();
            list->erase(it);
            return;
        }
    }
}

void CCTouchDispatcher::removeAllDelegates() {
    for (auto* list : {&m_targeted, &m_standard, &m_pending}) {
        std::vector<HandlerPtr> handlers;
        handlers.swap(*list);
        for (const HandlerPtr& handler : handlers) handler->forget();
    }
}

void CCTouchDispatcher::setPriority(int priority, CCTouchDelegate* delegate) {
    HandlerPtr handler = find(delegate);
    if (!handler) {
        CCLog("[CCTouchDispatcher] setPriority for an unregistered delegate ignored");
        return;
    }
    if (handler->priority == priority) return;
    handler->priority = priority;
    resort();
}

bool CCTouchDispatcher::hasDelegate(CCTouchDelegate* delegate) const {
    HandlerPtr handler = find(delegate);
    return handler && std::find(m_pending.begin(), m_pending.end(), handler) == m_pending.end();
}

bool CCTouchDispatcher::hasPendingDelegate(CCTouchDelegate* delegate) const {
    for (const HandlerPtr& handler : m_pending) {
        if (handler->delegate == delegate) return true;
    }
    return false;
}

int CCTouchDispatcher::getPriority(CCTouchDelegate* delegate) const {
    HandlerPtr handler = find(delegate);
    return handler ? handler->priority : INT_MIN;
}

bool CCTouchDispatcher::isClaimedBy(CCTouch* touch, CCTouchDelegate* delegate) const {
    HandlerPtr handler = find(delegate);
    return handler && handler->claims(touch);
}

void CCTouchDispatcher::flushPending() {
    std::vector<HandlerPtr> pending;
    pending.swap(m_pending);
    for (const HandlerPtr& handler : pending) {
        if (handler->removed) continue;
        insertSorted(handler->targeted ? m_targeted : m_standard, handler);
    }
}

void CCTouchDispatcher::touchesBegan(CCSet* set, CCEvent* event) { touches(set, event, CCTOUCHBEGAN); }
void CCTouchDispatcher::touchesMoved(CCSet* set, CCEvent* event) { touches(set, event, CCTOUCHMOVED); }
void CCTouchDispatcher::touchesEnded(CCSet* set, CCEvent* event) { touches(set, event, CCTOUCHENDED); }
void CCTouchDispatcher::touchesCancelled(CCSet* set, CCEvent* event) { touches(set, event, CCTOUCHCANCELLED); }

void CCTouchDispatcher::touches(CCSet* set, CCEvent* event, unsigned int index) {
    if (!m_bDispatchEvents || !set || set->count() == 0 || index >= ccTouchMax) return;
    ++m_uDispatchDepth;
    // The walks use copies: delegates may register, remove or reprioritise
    // during their calls, and the touches may be edited by them too.
    const std::vector<HandlerPtr> targeted = m_targeted;
    const std::vector<HandlerPtr> standard = m_standard;
    CCSet* remaining = set->copy();
    CCSet* touchesCopy = set->copy();

    for (CCObject* object : *touchesCopy) {
        CCTouch* touch = static_cast<CCTouch*>(object);
        for (const HandlerPtr& handler : targeted) {
            if (handler->removed) continue;
            bool claimed = false;
            CallGuard guard(handler->object);
            if (index == CCTOUCHBEGAN) {
                claimed = handler->delegate->ccTouchBegan(touch, event);
                if (claimed && !handler->removed && !handler->claims(touch)) {
                    touch->retain();
                    handler->claimed.push_back(touch);
                }
            } else if (handler->claims(touch)) {
                claimed = true;
                switch (index) {
                case CCTOUCHMOVED:
                    handler->delegate->ccTouchMoved(touch, event);
                    break;
                case CCTOUCHENDED:
                    handler->delegate->ccTouchEnded(touch, event);
                    handler->unclaim(touch);
                    break;
                default:
                    handler->delegate->ccTouchCancelled(touch, event);
                    handler->unclaim(touch);
                    break;
                }
            }
            if (claimed && handler->swallows) {
                remaining->removeObject(touch);
                break;
            }
        }
    }

    if (remaining->count() > 0) {
        for (const HandlerPtr& handler : standard) {
            if (handler->removed) continue;
            CallGuard guard(handler->object);
            switch (index) {
            case CCTOUCHBEGAN:
                handler->delegate->ccTouchesBegan(remaining, event);
                break;
            case CCTOUCHMOVED:
                handler->delegate->ccTouchesMoved(remaining, event);
                break;
            case CCTOUCHENDED:
                handler->delegate->ccTouchesEnded(remaining, event);
                break;
            default:
                handler->delegate->ccTouchesCancelled(remaining, event);
                break;
            }
        }
    }
    touchesCopy->release();
    remaining->release();
    if (--m_uDispatchDepth == 0) flushPending();
}

}  // namespace cocos2d
