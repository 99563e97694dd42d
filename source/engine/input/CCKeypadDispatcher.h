// Delivers back (and menu) presses to every registered keypad delegate in
// registration order. Delegates are never owned; registrations made during a
// dispatch apply from the next message, and a delegate removed during one
// gets no further call.
#pragma once

#include <memory>
#include <vector>

#include "base/CCObject.h"
#include "scene/CCProtocols.h"

namespace cocos2d {

enum ccKeypadMSGType {
    kTypeBackClicked = 1,
    kTypeMenuClicked,
};

class CCKeypadDispatcher : public CCObject {
public:
    CCKeypadDispatcher();
    ~CCKeypadDispatcher() override;

    // (ours) The dispatcher the director hands out.
    static CCKeypadDispatcher* sharedDispatcher();

    // A delegate already registered is ignored.
    void addDelegate(CCKeypadDelegate* delegate);
    void removeDelegate(CCKeypadDelegate* delegate);
    void removeAllDelegates();
    bool hasDelegate(CCKeypadDelegate* delegate) const;
    unsigned int getDelegateCount() const;

    // True when at least one delegate was called.
    bool dispatchKeypadMSG(ccKeypadMSGType type);
    // (ours) Raw key codes. The desktop keyboard never sends these (keys
    // reach the game through the host's key sink); they exist for callers
    // that forward pad codes themselves.
    bool dispatchKeyDown(int keyCode);
    bool dispatchKeyUp(int keyCode);

    static void delegateDestroyed(CCKeypadDelegate* delegate);

private:
    struct Entry;
    template <typename Call>
    bool dispatch(Call call);

    std::vector<std::shared_ptr<Entry>> m_delegates;
    std::vector<std::shared_ptr<Entry>> m_pending;
    unsigned int m_uDispatchDepth = 0;
};

}  // namespace cocos2d
