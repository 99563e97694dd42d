#include "base/CCAutoreleasePool.h"

#include <algorithm>

namespace cocos2d {

void CCAutoreleasePool::addObject(CCObject* object) {
    m_objects.push_back(object);
    ++object->m_uAutoReleaseCount;
}

void CCAutoreleasePool::clear() {
    // Take the list out first: releasing may run destructors that autorelease
    // into this pool or drain it again.
    std::vector<CCObject*> pending;
    pending.swap(m_objects);
    CCPoolManager::sharedPoolManager()->releaseTakenOut(pending);
}

bool CCAutoreleasePool::contains(const CCObject* object) const {
    return std::find(m_objects.begin(), m_objects.end(), object) != m_objects.end();
}

size_t CCAutoreleasePool::forget(const CCObject* object) {
    size_t before = m_objects.size();
    m_objects.erase(std::remove(m_objects.begin(), m_objects.end(), object), m_objects.end());
    return before - m_objects.size();
}

CCPoolManager* CCPoolManager::sharedPoolManager() {
    static CCPoolManager* manager = new CCPoolManager();
    return manager;
}

CCPoolManager::CCPoolManager() { push(); }

void CCPoolManager::push() { m_pools.push_back(new CCAutoreleasePool()); }

void CCPoolManager::pop() {
    if (m_pools.size() <= 1) {
        // The base pool always stays; popping it only drains it.
        drain();
        return;
    }
    CCAutoreleasePool* pool = m_pools.back();
    m_pools.pop_back();
    pool->clear();
    delete pool;
}

void CCPoolManager::finalize() {
    // Each pool's entries are taken out before release, so every entry pending
    // now is released exactly once; anything autoreleased meanwhile waits for
    // the next drain.
    std::vector<CCObject*> all;
    for (CCAutoreleasePool* pool : m_pools) {
        all.insert(all.end(), pool->m_objects.begin(), pool->m_objects.end());
        pool->m_objects.clear();
    }
    releaseTakenOut(all);
}

void CCPoolManager::releaseTakenOut(std::vector<CCObject*>& list) {
    m_inFlight.push_back(&list);
    for (size_t i = 0; i < list.size(); ++i) {
        CCObject* object = list[i];
        if (!object) continue;
        list[i] = nullptr;
        --object->m_uAutoReleaseCount;
        // The object holds one reference per pending entry, so later entries
        // of the same object stay valid.
        object->release();
    }
    m_inFlight.pop_back();
}

void CCPoolManager::drain() { getCurReleasePool()->clear(); }

void CCPoolManager::addObject(CCObject* object) { getCurReleasePool()->addObject(object); }

void CCPoolManager::removeObject(CCObject* object) {
    for (CCAutoreleasePool* pool : m_pools) pool->forget(object);
    for (std::vector<CCObject*>* list : m_inFlight)
        std::replace(list->begin(), list->end(), object, static_cast<CCObject*>(nullptr));
    object->m_uAutoReleaseCount = 0;
}

CCAutoreleasePool* CCPoolManager::getCurReleasePool() { return m_pools.back(); }

size_t CCPoolManager::pendingCount() const {
    size_t n = 0;
    for (const CCAutoreleasePool* pool : m_pools) n += pool->size();
    return n;
}

}  // namespace cocos2d
