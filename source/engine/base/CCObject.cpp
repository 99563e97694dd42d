#include "base/CCObject.h"

#include "base/CCAutoreleasePool.h"
#include "platform/CCCommon.h"

namespace cocos2d {

namespace {
unsigned int g_nextObjectId = 0;
CCObject::DestroyHook g_trackedDestroyHook = nullptr;
}  // namespace

CCObject::CCObject() : m_uID(++g_nextObjectId) {}

CCObject::~CCObject() {
    if (m_uAutoReleaseCount > 0) {
        CCLog("[CCObject] object %u deleted with %u pending pool entries; entries removed", m_uID,
              m_uAutoReleaseCount);
        CCPoolManager::sharedPoolManager()->removeObject(this);
    }
    if (m_bTracked && g_trackedDestroyHook) g_trackedDestroyHook(this);
}

void CCObject::setTrackedDestroyHook(DestroyHook hook) { g_trackedDestroyHook = hook; }

void CCObject::retain() { ++m_uReference; }

void CCObject::release() {
    if (m_uReference == 0) {
        CCLog("[CCObject] release of object %u with no references refused", m_uID);
        return;
    }
    if (--m_uReference == 0) delete this;
}

CCObject* CCObject::autorelease() {
    CCPoolManager::sharedPoolManager()->addObject(this);
    return this;
}

}  // namespace cocos2d
