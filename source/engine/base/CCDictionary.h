// String-keyed map of retained objects that keeps insertion order.
// setObject on an existing key replaces the value in place.
#pragma once

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/CCArray.h"
#include "base/CCObject.h"
#include "base/CCString.h"

namespace cocos2d {

class CCDictionary : public CCObject {
public:
    CCDictionary() = default;
    ~CCDictionary() override;

    static CCDictionary* create();

    void setObject(CCObject* object, const std::string& key);
    // Null when the key is missing.
    CCObject* objectForKey(const std::string& key) const;
    // Never null: a missing or non-string value gives a shared empty string.
    const CCString* valueForKey(const std::string& key) const;
    void removeObjectForKey(const std::string& key);
    void removeAllObjects();
    // Keys in insertion order, as an autoreleased array of CCString (never null).
    CCArray* allKeys() const;
    unsigned int count() const { return static_cast<unsigned int>(m_entries.size()); }

    // (ours) Entries in insertion order.
    typedef std::vector<std::pair<std::string, CCObject*>> Entries;
    const Entries& entries() const { return m_entries; }

private:
    Entries m_entries;
    std::unordered_map<std::string, size_t> m_index;
};

}  // namespace cocos2d
