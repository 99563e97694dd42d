// Engine-internal reader of XML property lists (tinyxml2). dict becomes
// CCDictionary, array CCArray, string/integer/real/date CCString, true "1" and
// false "0". Binary plists, nesting deeper than kMaxDepth and anything else
// that breaks the format give no result and one log line.
#pragma once

#include <cstddef>
#include <string>

namespace cocos2d {

class CCDictionary;

namespace plist {

constexpr int kMaxDepth = 32;
constexpr size_t kMaxBytes = 64u << 20;

// The root dictionary (autoreleased), or null. `name` only labels log lines.
CCDictionary* dictionaryFromData(const char* data, size_t size, const char* name);
// Reads a file through the file utilities; null when missing or malformed.
CCDictionary* dictionaryFromFile(const std::string& fullPath);

}  // namespace plist
}  // namespace cocos2d
