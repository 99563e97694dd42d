// Autorelease pools. The pool holds the reference that autorelease() handed
// over and releases it once at the next drain (or finalize).
// Drains and finalize take their list out before releasing, so destructors
// that autorelease, or even call finalize, are safe.
#pragma once

#include <cstddef>
#include <vector>

#include "base/CCObject.h"

namespace cocos2d {

class CCAutoreleasePool {
public:
    void addObject(CCObject* object);
    // Releases every pending entry once; the pool stays usable.
    void clear();
    bool contains(const CCObject* object) const;
    std::size_t size() const { return m_objects.size(); }

private:
    friend class CCPoolManager;
    // Removes every entry of a dying object without releasing it.
    std::size_t forget(const CCObject* object);
    std::vector<CCObject*> m_objects;
};

class CCPoolManager {
public:
    // Created on first use and never destroyed.
    static CCPoolManager* sharedPoolManager();
    static void purgePoolManager() {}

    void push();
    void pop();
    // Releases every pending entry of every pool now, each exactly once.
    void finalize();
    // The per-frame drain of the current pool (entries added since the last drain).
    void drain();

    void addObject(CCObject* object);
    void removeObject(CCObject* object);
    CCAutoreleasePool* getCurReleasePool();
    std::size_t pendingCount() const;

private:
    friend class CCAutoreleasePool;
    CCPoolManager();
    // Releases a list taken out of a pool; entries of objects deleted
    // meanwhile are nulled by removeObject and skipped.
    void releaseTakenOut(std::vector<CCObject*>& list);
    std::vector<CCAutoreleasePool*> m_pools;
    std::vector<std::vector<CCObject*>*> m_inFlight;
};

}  // namespace cocos2d
