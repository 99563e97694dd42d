#include "frames/PlistReader.h"

#include <tinyxml2.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "platform/CCCommon.h"
#include "textures/ResourceFiles.h"

namespace cocos2d {
namespace plist {

namespace {

using tinyxml2::XMLElement;

struct Reader {
    std::string error;

    CCObject* fail(const XMLElement* at, const std::string& why) {
        if (error.empty()) error = why + (at ? " (line " + std::to_string(at->GetLineNum()) + ")" : "");
        return nullptr;
    }

    static bool is(const XMLElement* e, const char* name) { return std::strcmp(e->Name(), name) == 0; }

    CCObject* leaf(const XMLElement* e) {
        if (e->FirstChildElement()) return fail(e, std::string("<") + e->Name() + "> holds an element");
        const char* text = e->GetText();
        return CCString::create(text ? text : "");
    }

    // Returns an autoreleased object, or null with `error` set.
    CCObject* value(const XMLElement* e, int depth) {
        if (is(e, "dict") || is(e, "array")) {
            if (depth > kMaxDepth) return fail(e, "nesting deeper than " + std::to_string(kMaxDepth));
            return is(e, "dict") ? dict(e, depth) : array(e, depth);
        }
        if (is(e, "string") || is(e, "integer") || is(e, "real") || is(e, "date")) return leaf(e);
        if (is(e, "true")) return CCString::create("1");
        if (is(e, "false")) return CCString::create("0");
        return fail(e, std::string("unsupported element <") + e->Name() + ">");
    }

    CCObject* dict(const XMLElement* e, int depth) {
        CCDictionary* result = CCDictionary::create();
        for (const XMLElement* k = e->FirstChildElement(); k; k = k->NextSiblingElement()) {
            if (!is(k, "key")) return fail(k, std::string("<") + k->Name() + "> where a <key> belongs");
            const XMLElement* v = k->NextSiblingElement();
            if (!v) return fail(k, "<key> without a value");
            if (k->FirstChildElement()) return fail(k, "<key> holds an element");
            const char* keyText = k->GetText();
            std::string key = keyText ? keyText : "";
            CCObject* obj = value(v, depth + 1);
            if (!obj) return nullptr;
            // A repeated key keeps its first value, as the atlas rules want.
            if (result->objectForKey(key))
                CCLog("[plist] duplicate key \"%s\" (line %d) ignored", key.c_str(), k->GetLineNum());
            else
                result->setObject(obj, key);
            k = v;
        }
        return result;
    }

    CCObject* array(const XMLElement* e, int depth) {
        CCArray* result = CCArray::create();
        for (const XMLElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) {
            CCObject* obj = value(c, depth + 1);
            if (!obj) return nullptr;
            result->addObject(obj);
        }
        return result;
    }
};

}  // namespace

CCDictionary* dictionaryFromData(const char* data, size_t size, const char* name) {
    if (!name) name = "(memory)";
    if (!data || size == 0) {
        CCLog("[plist] %s: empty file", name);
        return nullptr;
    }
    if (size >= 6 && std::memcmp(data, "bplist", 6) == 0) {
        CCLog("[plist] %s: binary plists are not supported", name);
        return nullptr;
    }
    if (size > kMaxBytes) {
        CCLog("[plist] %s: larger than %zu bytes", name, kMaxBytes);
        return nullptr;
    }
    tinyxml2::XMLDocument doc;
    if (doc.Parse(data, size) != tinyxml2::XML_SUCCESS) {
        CCLog("[plist] %s: malformed XML: %s", name, doc.ErrorStr());
        return nullptr;
    }
    const XMLElement* root = doc.RootElement();
    if (!root || std::strcmp(root->Name(), "plist") != 0) {
        CCLog("[plist] %s: the root element is not <plist>", name);
        return nullptr;
    }
    const XMLElement* top = root->FirstChildElement();
    if (!top || std::strcmp(top->Name(), "dict") != 0 || top->NextSiblingElement()) {
        CCLog("[plist] %s: <plist> must hold exactly one <dict>", name);
        return nullptr;
    }
    Reader reader;
    CCObject* result = reader.value(top, 1);
    if (!result) {
        CCLog("[plist] %s: %s", name, reader.error.c_str());
        return nullptr;
    }
    return static_cast<CCDictionary*>(result);
}

CCDictionary* dictionaryFromFile(const std::string& fullPath) {
    size_t size = 0;
    unsigned char* bytes = resource::readAll(fullPath, &size);
    if (!bytes) {
        CCLogOnce("[plist] cannot read %s", fullPath.c_str());
        return nullptr;
    }
    CCDictionary* dict = dictionaryFromData(reinterpret_cast<const char*>(bytes), size, fullPath.c_str());
    std::free(bytes);
    return dict;
}

}  // namespace plist
}  // namespace cocos2d
