#include "input/CCSet.h"

#include <algorithm>

namespace cocos2d {

CCSet::~CCSet() { removeAllObjects(); }

CCSet* CCSet::create() {
    CCSet* set = new CCSet();
    set->autorelease();
    return set;
}

CCSet* CCSet::copy() {
    CCSet* set = new CCSet();
    for (CCObject* object : m_items) set->addObject(object);
    return set;
}

void CCSet::addObject(CCObject* object) {
    if (!object || containsObject(object)) return;
    object->retain();
    m_items.push_back(object);
}

void CCSet::removeObject(CCObject* object) {
    auto it = std::find(m_items.begin(), m_items.end(), object);
    if (it == m_items.end()) return;
    m_items.erase(it);
    object->release();
}

void CCSet::removeAllObjects() {
    // Released after the list is empty, so a destructor that looks at this
    // set sees a consistent one.
    std::vector<CCObject*> items;
    items.swap(m_items);
    for (CCObject* object : items) object->release();
}

bool CCSet::containsObject(CCObject* object) const {
    return std::find(m_items.begin(), m_items.end(), object) != m_items.end();
}

}  // namespace cocos2d
