#include "base/CCArray.h"

#include <algorithm>
#include <climits>

#include "platform/CCCommon.h"

namespace cocos2d {

CCArray::~CCArray() { removeAllObjects(); }

CCArray* CCArray::create() {
    CCArray* a = new CCArray();
    a->autorelease();
    return a;
}

CCArray* CCArray::createWithCapacity(unsigned int capacity) {
    CCArray* a = create();
    a->m_items.reserve(capacity);
    return a;
}

CCArray* CCArray::createWithArray(CCArray* other) {
    CCArray* a = create();
    if (other)
        for (CCObject* o : other->m_items) a->addObject(o);
    return a;
}

void CCArray::addObject(CCObject* object) {
    if (!object) {
        CCLog("[CCArray] addObject(null) ignored");
        return;
    }
    object->retain();
    m_items.push_back(object);
}

void CCArray::insertObject(CCObject* object, unsigned int index) {
    if (!object) return;
    if (index > m_items.size()) index = static_cast<unsigned int>(m_items.size());
    object->retain();
    m_items.insert(m_items.begin() + index, object);
}

void CCArray::removeObject(CCObject* object, bool releaseObj) {
    auto it = std::find(m_items.begin(), m_items.end(), object);
    if (it == m_items.end()) return;
    m_items.erase(it);
    if (releaseObj) object->release();
}

void CCArray::removeObjectAtIndex(unsigned int index, bool releaseObj) {
    if (index >= m_items.size()) {
        CCLog("[CCArray] removeObjectAtIndex(%u) out of range (count %zu)", index, m_items.size());
        return;
    }
    CCObject* object = m_items[index];
    m_items.erase(m_items.begin() + index);
    if (releaseObj) object->release();
}

void CCArray::removeLastObject(bool releaseObj) {
    if (!m_items.empty()) removeObjectAtIndex(count() - 1, releaseObj);
}

void CCArray::removeAllObjects() {
    // Released from a list the array no longer holds: a destructor may touch the array.
    std::vector<CCObject*> old;
    old.swap(m_items);
    for (CCObject* o : old) o->release();
}

CCObject* CCArray::objectAtIndex(unsigned int index) const {
    if (index >= m_items.size()) {
        CCLog("[CCArray] objectAtIndex(%u) out of range (count %zu)", index, m_items.size());
        return nullptr;
    }
    return m_items[index];
}

CCObject* CCArray::lastObject() const { return m_items.empty() ? nullptr : m_items.back(); }

bool CCArray::containsObject(CCObject* object) const {
    return std::find(m_items.begin(), m_items.end(), object) != m_items.end();
}

unsigned int CCArray::indexOfObject(CCObject* object) const {
    auto it = std::find(m_items.begin(), m_items.end(), object);
    return it == m_items.end() ? UINT_MAX : static_cast<unsigned int>(it - m_items.begin());
}

}  // namespace cocos2d
