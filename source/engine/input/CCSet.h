// A small set of retained objects that keeps insertion order, so delegates
// iterating the touches of an event see them in a stable order.
#pragma once

#include <vector>

#include "base/CCObject.h"

namespace cocos2d {

class CCSet : public CCObject {
public:
    typedef std::vector<CCObject*>::const_iterator const_iterator;

    CCSet() = default;
    ~CCSet() override;
    static CCSet* create();
    // A shallow copy (the objects are retained again).
    CCSet* copy();

    // Null and objects already present are ignored.
    void addObject(CCObject* object);
    void removeObject(CCObject* object);
    void removeAllObjects();
    bool containsObject(CCObject* object) const;
    int count() const { return static_cast<int>(m_items.size()); }
    // The first object, or null when empty.
    CCObject* anyObject() const { return m_items.empty() ? nullptr : m_items.front(); }

    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

private:
    std::vector<CCObject*> m_items;
};

}  // namespace cocos2d
