#include "base/CCDictionary.h"

#include "platform/CCCommon.h"

namespace cocos2d {

namespace {
const CCString* sharedEmptyString() {
    // Never freed: callers may keep the pointer for the process lifetime.
    static const CCString* empty = new CCString("");
    return empty;
}
}  // namespace

CCDictionary::~CCDictionary() { removeAllObjects(); }

CCDictionary* CCDictionary::create() {
    CCDictionary* d = new CCDictionary();
    d->autorelease();
    return d;
}

void CCDictionary::setObject(CCObject* object, const std::string& key) {
    if (!object) {
        CCLog("[CCDictionary] setObject(null, \"%s\") ignored", key.c_str());
        return;
    }
    object->retain();
    auto it = m_index.find(key);
    if (it != m_index.end()) {
        CCObject* old = m_entries[it->second].second;
        m_entries[it->second].second = object;
        old->release();
        return;
    }
    m_index.emplace(key, m_entries.size());
    m_entries.emplace_back(key, object);
}

CCObject* CCDictionary::objectForKey(const std::string& key) const {
    auto it = m_index.find(key);
    return it == m_index.end() ? nullptr : m_entries[it->second].second;
}

const CCString* CCDictionary::valueForKey(const std::string& key) const {
    const CCString* s = dynamic_cast<const CCString*>(objectForKey(key));
    return s ? s : sharedEmptyString();
}

void CCDictionary::removeObjectForKey(const std::string& key) {
    auto it = m_index.find(key);
    if (it == m_index.end()) return;
    size_t pos = it->second;
    CCObject* old = m_entries[pos].second;
    m_entries.erase(m_entries.begin() + static_cast<long>(pos));
    m_index.erase(it);
    for (auto& e : m_index)
        if (e.second > pos) --e.second;
    old->release();
}

void CCDictionary::removeAllObjects() {
    Entries old;
    old.swap(m_entries);
    m_index.clear();
    for (auto& e : old) e.second->release();
}

CCArray* CCDictionary::allKeys() const {
    CCArray* keys = CCArray::createWithCapacity(count());
    for (const auto& e : m_entries) keys->addObject(CCString::create(e.first));
    return keys;
}

}  // namespace cocos2d
