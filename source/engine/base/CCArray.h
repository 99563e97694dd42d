// Ordered list of retained objects. Out-of-range reads give null (logged).
#pragma once

#include <vector>

#include "base/CCObject.h"

namespace cocos2d {

class CCArray : public CCObject {
public:
    CCArray() = default;
    ~CCArray() override;

    static CCArray* create();
    static CCArray* createWithCapacity(unsigned int capacity);
    static CCArray* createWithArray(CCArray* other);  // (ours) shallow copy

    void addObject(CCObject* object);
    void insertObject(CCObject* object, unsigned int index);
    void removeObject(CCObject* object, bool releaseObj = true);
    void removeObjectAtIndex(unsigned int index, bool releaseObj = true);
    void removeLastObject(bool releaseObj = true);
    void removeAllObjects();

    CCObject* objectAtIndex(unsigned int index) const;
    CCObject* lastObject() const;
    unsigned int count() const { return static_cast<unsigned int>(m_items.size()); }
    unsigned int capacity() const { return static_cast<unsigned int>(m_items.capacity()); }
    bool containsObject(CCObject* object) const;
    // UINT_MAX when absent.
    unsigned int indexOfObject(CCObject* object) const;

    // (ours) Direct read access for engine walks.
    const std::vector<CCObject*>& data() const { return m_items; }

private:
    std::vector<CCObject*> m_items;
};

// Reads the count again at every step, so removals inside the body are safe.
#define CCARRAY_FOREACH(__array__, __object__)                                                   \
    if ((__array__) && (__array__)->count() > 0)                                                 \
        for (unsigned int __idx_##__object__ = 0;                                                \
             __idx_##__object__ < (__array__)->count() &&                                        \
             (((__object__) = (__array__)->objectAtIndex(__idx_##__object__)) != nullptr || true); \
             ++__idx_##__object__)

#define CCARRAY_FOREACH_REVERSE(__array__, __object__)                                       \
    if ((__array__) && (__array__)->count() > 0)                                             \
        for (unsigned int __ridx_##__object__ = (__array__)->count();                        \
             __ridx_##__object__ > 0 && __ridx_##__object__ <= (__array__)->count() &&       \
             (((__object__) = (__array__)->objectAtIndex(__ridx_##__object__ - 1)) != nullptr || \
              true);                                                                         \
             --__ridx_##__object__)

}  // namespace cocos2d
