// Reference-counted base of every engine object.
// create() functions return autoreleased objects; the last release() deletes.
// Deleting an object that still has pending pool entries is tolerated: the
// entries are removed (and the mistake logged), so no pool entry dangles.
#pragma once

#include <cstdint>

namespace cocos2d {

class CCObject;
class CCNode;
class CCEvent;

typedef void (CCObject::*SEL_SCHEDULE)(float);
typedef void (CCObject::*SEL_MenuHandler)(CCObject*);
typedef void (CCObject::*SEL_CallFunc)();
typedef void (CCObject::*SEL_CallFuncN)(CCNode*);
typedef void (CCObject::*SEL_CallFuncO)(CCObject*);

#define schedule_selector(_SELECTOR) (cocos2d::SEL_SCHEDULE)(&_SELECTOR)
#define menu_selector(_SELECTOR) (cocos2d::SEL_MenuHandler)(&_SELECTOR)
#define callfunc_selector(_SELECTOR) (cocos2d::SEL_CallFunc)(&_SELECTOR)
#define callfuncN_selector(_SELECTOR) (cocos2d::SEL_CallFuncN)(&_SELECTOR)
#define callfuncO_selector(_SELECTOR) (cocos2d::SEL_CallFuncO)(&_SELECTOR)

class CCObject {
public:
    CCObject();
    virtual ~CCObject();

    CCObject(const CCObject&) = delete;
    CCObject& operator=(const CCObject&) = delete;

    void retain();
    // Deletes the object when the count reaches 0.
    void release();
    // Hands one reference to the current pool, released at the next drain.
    CCObject* autorelease();
    unsigned int retainCount() const { return m_uReference; }
    bool isSingleReference() const { return m_uReference == 1; }

    virtual void update(float dt) { (void)dt; }
    virtual bool isEqual(const CCObject* other) const { return this == other; }

    unsigned int m_uID;  // unique per object, for diagnostics

    // (ours) Set once an object is scheduled or runs an action; its destructor
    // then removes it from the scheduler and the action manager.
    void markScheduledOrActing() { m_bTracked = true; }
    typedef void (*DestroyHook)(CCObject*);
    static void setTrackedDestroyHook(DestroyHook hook);

private:
    friend class CCAutoreleasePool;
    friend class CCPoolManager;
    unsigned int m_uReference = 1;
    unsigned int m_uAutoReleaseCount = 0;  // pending pool entries
    bool m_bTracked = false;
};

// Helpers in the engine's style.
#define CC_SAFE_RELEASE(p) do { if (p) { (p)->release(); } } while (0)
#define CC_SAFE_RELEASE_NULL(p) do { if (p) { (p)->release(); (p) = nullptr; } } while (0)
#define CC_SAFE_RETAIN(p) do { if (p) { (p)->retain(); } } while (0)
#define CC_SAFE_DELETE(p) do { delete (p); (p) = nullptr; } while (0)
#define CC_SAFE_DELETE_ARRAY(p) do { delete[] (p); (p) = nullptr; } while (0)
#define CC_BREAK_IF(cond) if (cond) break

}  // namespace cocos2d
