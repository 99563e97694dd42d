// Routes touches to delegates. Targeted delegates see one touch at a time and
// claim it in ccTouchBegan; standard delegates then get, as a set, the touches
// that no swallowing delegate claimed.
//
// Order: ascending priority; at equal priority the later registration goes
// first, so a button added over another at the same depth takes the touch.
// Delegates are never owned. A delegate that is also a CCObject is retained
// for the length of its own call, so it may release itself from inside it.
// Registrations made during a dispatch apply from the next event; a delegate
// removed during a dispatch gets no further call, even in the current walk.
#pragma once

#include <memory>
#include <vector>

#include "base/CCObject.h"
#include "scene/CCProtocols.h"

namespace cocos2d {

class CCEvent;
class CCSet;
class CCTouch;

enum {
    CCTOUCHBEGAN,
    CCTOUCHMOVED,
    CCTOUCHENDED,
    CCTOUCHCANCELLED,
    ccTouchMax,
};

class CCTouchDispatcher : public CCObject {
public:
    CCTouchDispatcher();
    ~CCTouchDispatcher() override;

    // (ours) The dispatcher the director hands out.
    static CCTouchDispatcher* sharedDispatcher();

    // A delegate already registered (of either kind) is refused with a log line.
    void addStandardDelegate(CCTouchDelegate* delegate, int priority);
    void addTargetedDelegate(CCTouchDelegate* delegate, int priority, bool swallowsTouches);
    // Unknown delegates are ignored. Touches the delegate had claimed are
    // forgotten without a cancel call.
    void removeDelegate(CCTouchDelegate* delegate);
    void removeAllDelegates();
    void setPriority(int priority, CCTouchDelegate* delegate);

    bool isDispatchEvents() const { return m_bDispatchEvents; }
    void setDispatchEvents(bool dispatch) { m_bDispatchEvents = dispatch; }

    void touchesBegan(CCSet* touches, CCEvent* event);
    void touchesMoved(CCSet* touches, CCEvent* event);
    void touchesEnded(CCSet* touches, CCEvent* event);
    void touchesCancelled(CCSet* touches, CCEvent* event);
    // index is one of CCTOUCHBEGAN ... CCTOUCHCANCELLED.
    void touches(CCSet* touches, CCEvent* event, unsigned int index);

    // (ours) Inspection, mostly for tests and the layer wiring.
    bool hasDelegate(CCTouchDelegate* delegate) const;
    bool hasPendingDelegate(CCTouchDelegate* delegate) const;
    // INT_MIN when the delegate is not registered.
    int getPriority(CCTouchDelegate* delegate) const;
    // True when `delegate` currently holds `touch` (claimed in ccTouchBegan).
    bool isClaimedBy(CCTouch* touch, CCTouchDelegate* delegate) const;

    // (ours) Called by the delegate base's destructor: every live dispatcher
    // forgets the delegate, so a deleted delegate is never called.
    static void delegateDestroyed(CCTouchDelegate* delegate);

private:
    struct Handler;
    typedef std::shared_ptr<Handler> HandlerPtr;

    void addHandler(const HandlerPtr& handler);
    void insertSorted(std::vector<HandlerPtr>& list, const HandlerPtr& handler);
    void resort();
    HandlerPtr find(CCTouchDelegate* delegate) const;
    void flushPending();

    std::vector<HandlerPtr> m_targeted;
    std::vector<HandlerPtr> m_standard;
    std::vector<HandlerPtr> m_pending;  // added during a dispatch
    unsigned int m_uDispatchDepth = 0;
    unsigned long m_ulNextOrder = 0;
    bool m_bDispatchEvents = true;
};

}  // namespace cocos2d
