#include "frames/CCSpriteFrameCache.h"

#include <charconv>
#include <cmath>

#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "frames/PlistReader.h"
#include "frames/CCSpriteFrame.h"
#include "platform/CCCommon.h"
#include "textures/ResourceFiles.h"
#include "textures/CCTexture2D.h"
#include "textures/CCTextureCache.h"

namespace cocos2d {

namespace {

CCSpriteFrameCache* g_sharedFrameCache = nullptr;

// Reads one frame entry; on failure `why` names the first problem.
class FrameReader {
public:
    FrameReader(CCDictionary* entry, std::string& why) : m_entry(entry), m_why(why) {}

    const CCString* text(const char* key) {
        CCObject* obj = m_entry->objectForKey(key);
        if (!obj) {
            fail(std::string("missing \"") + key + "\"");
            return nullptr;
        }
        auto* s = dynamic_cast<CCString*>(obj);
        if (!s) fail(std::string("\"") + key + "\" is not a value");
        return s;
    }
    bool number(const char* key, float& out) {
        const CCString* s = text(key);
        if (!s) return false;
        return textparse::number(s->getCString(), out) ? true : fail(bad(key));
    }
    bool point(const char* key, CCPoint& out) {
        const CCString* s = text(key);
        if (!s) return false;
        return textparse::point(s->getCString(), out) ? true : fail(bad(key));
    }
    bool size(const char* key, CCSize& out) {
        const CCString* s = text(key);
        if (!s) return false;
        if (!textparse::size(s->getCString(), out)) return fail(bad(key));
        return out.width >= 0 && out.height >= 0 ? true : fail(std::string("negative size in \"") + key + "\"");
    }
    bool rect(const char* key, CCRect& out) {
        const CCString* s = text(key);
        if (!s) return false;
        if (!textparse::rect(s->getCString(), out)) return fail(bad(key));
        return out.size.width >= 0 && out.size.height >= 0 ? true
                                                            : fail(std::string("negative size in \"") + key + "\"");
    }
    // Absent means false; a flag is optional in every format.
    bool flag(const char* key, bool& out) {
        out = false;
        CCObject* obj = m_entry->objectForKey(key);
        if (!obj) return true;
        auto* s = dynamic_cast<CCString*>(obj);
        if (!s) return fail(std::string("\"") + key + "\" is not a value");
        out = s->boolValue();
        return true;
    }
    bool fail(const std::string& why) {
        if (m_why.empty()) m_why = why;
        return false;
    }

private:
    static std::string bad(const char* key) { return std::string("malformed \"") + key + "\""; }
    CCDictionary* m_entry;
    std::string& m_why;
};

struct FrameData {
    CCRect rect;
    bool rotated = false;
    CCPoint offset;
    CCSize originalSize;
};

bool readFrame(CCDictionary* entry, int format, FrameData& f, std::string& why) {
    FrameReader r(entry, why);
    switch (format) {
        case 0: {
            float ow = 0, oh = 0;
            if (!(r.number("x", f.rect.origin.x) && r.number("y", f.rect.origin.y) &&
                  r.number("width", f.rect.size.width) && r.number("height", f.rect.size.height) &&
                  r.number("offsetX", f.offset.x) && r.number("offsetY", f.offset.y) &&
                  r.number("originalWidth", ow) && r.number("originalHeight", oh)))
                return false;
            if (f.rect.size.width < 0 || f.rect.size.height < 0) return r.fail("negative size");
            f.originalSize = CCSize(std::fabs(ow), std::fabs(oh));
            return true;
        }
        case 1:
        case 2:
            return r.rect("frame", f.rect) && r.point("offset", f.offset) && r.size("sourceSize", f.originalSize) &&
                   (format == 1 || r.flag("rotated", f.rotated));
        case 3: {
            CCRect textureRect;
            if (!(r.size("spriteSize", f.rect.size) && r.point("spriteOffset", f.offset) &&
                  r.size("spriteSourceSize", f.originalSize) && r.rect("textureRect", textureRect) &&
                  r.flag("textureRotated", f.rotated)))
                return false;
            f.rect.origin = textureRect.origin;
            return true;
        }
        default:
            return r.fail("unsupported format");
    }
}

// Format from metadata.format; absent means 0, malformed means unsupported.
int atlasFormat(CCDictionary* atlas) {
    auto* metadata = dynamic_cast<CCDictionary*>(atlas->objectForKey("metadata"));
    if (!metadata) return 0;
    CCObject* obj = metadata->objectForKey("format");
    if (!obj) return 0;
    auto* s = dynamic_cast<CCString*>(obj);
    if (!s) return -1;
    const std::string& t = s->str();
    int value = -1;
    auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() ? value : -1;
}

std::string metadataText(CCDictionary* atlas, const char* key) {
    auto* metadata = dynamic_cast<CCDictionary*>(atlas->objectForKey("metadata"));
    if (!metadata) return std::string();
    auto* s = dynamic_cast<CCString*>(metadata->objectForKey(key));
    return s ? s->str() : std::string();
}

std::string besidePath(const std::string& plistPath, const std::string& name) {
    if (!name.empty() && name[0] == '/') return name;
    size_t slash = plistPath.find_last_of('/');
    return slash == std::string::npos ? name : plistPath.substr(0, slash + 1) + name;
}

std::string pngBeside(const std::string& plistPath) {
    static const char kExt[] = ".plist";
    const size_t n = sizeof(kExt) - 1;
    if (plistPath.size() >= n && plistPath.compare(plistPath.size() - n, n, kExt) == 0)
        return plistPath.substr(0, plistPath.size() - n) + ".png";
    return plistPath + ".png";
}

}  // namespace

CCSpriteFrameCache* CCSpriteFrameCache::sharedSpriteFrameCache() {
    if (!g_sharedFrameCache) g_sharedFrameCache = new CCSpriteFrameCache();
    return g_sharedFrameCache;
}

void CCSpriteFrameCache::purgeSharedSpriteFrameCache() {
    CCSpriteFrameCache* cache = g_sharedFrameCache;
    g_sharedFrameCache = nullptr;
    if (cache) cache->release();
}

CCSpriteFrameCache::~CCSpriteFrameCache() { removeSpriteFrames(); }

void CCSpriteFrameCache::addSpriteFramesWithFile(const char* plist) {
    if (!plist || !*plist) {
        CCLog("[CCSpriteFrameCache] addSpriteFramesWithFile: empty path");
        return;
    }
    const std::string full = resource::fullPath(plist);
    if (m_loadedFiles.count(full)) return;
    if (!resource::exists(full)) {
        CCLogOnce("[CCSpriteFrameCache] cannot find %s", plist);
        return;
    }
    CCDictionary* atlas = plist::dictionaryFromFile(full);
    if (!atlas) {
        CCLog("[CCSpriteFrameCache] %s: not a valid atlas, no frames loaded", plist);
        return;
    }

    std::string texturePath;
    std::string named = metadataText(atlas, "realTextureFileName");
    if (named.empty()) named = metadataText(atlas, "textureFileName");
    if (!named.empty()) {
        texturePath = besidePath(full, named);
        if (!resource::exists(texturePath)) {
            CCLog("[CCSpriteFrameCache] %s: texture %s is missing, trying the .png beside it", plist,
                  named.c_str());
            texturePath.clear();
        }
    }
    if (texturePath.empty()) texturePath = pngBeside(full);

    CCTexture2D* texture = CCTextureCache::sharedTextureCache()->addImage(texturePath.c_str());
    if (!texture) {
        CCLog("[CCSpriteFrameCache] %s: no texture (%s), no frames loaded", plist, texturePath.c_str());
        return;
    }
    addSpriteFramesWithDictionary(atlas, texture);
    m_loadedFiles.insert(full);
}

void CCSpriteFrameCache::addSpriteFramesWithDictionary(CCDictionary* atlas, CCTexture2D* texture) {
    if (!atlas || !texture) {
        CCLog("[CCSpriteFrameCache] addSpriteFramesWithDictionary: null %s", atlas ? "texture" : "dictionary");
        return;
    }
    auto* frames = dynamic_cast<CCDictionary*>(atlas->objectForKey("frames"));
    if (!frames) {
        CCLog("[CCSpriteFrameCache] atlas has no \"frames\" dictionary");
        return;
    }
    const int format = atlasFormat(atlas);
    if (format < 0 || format > 3) {
        CCLog("[CCSpriteFrameCache] atlas format %d is not supported, no frames loaded", format);
        return;
    }
    // Hold the frames dictionary: inserting frames must not depend on the
    // caller's pool keeping it alive.
    frames->retain();
    for (const auto& entry : frames->entries()) {
        const std::string& name = entry.first;
        auto* dict = dynamic_cast<CCDictionary*>(entry.second);
        std::string why;
        FrameData f;
        if (!dict)
            why = "not a dictionary";
        else
            readFrame(dict, format, f, why);
        if (!why.empty()) {
            CCLog("[CCSpriteFrameCache] frame \"%s\" skipped: %s", name.c_str(), why.c_str());
            continue;
        }
        CCSpriteFrame* frame = CCSpriteFrame::createWithTexture(texture, f.rect, f.rotated, f.offset, f.originalSize);
        if (!insertFrame(name, frame, "atlas")) continue;
        if (format != 3) continue;
        auto* aliases = dynamic_cast<CCArray*>(dict->objectForKey("aliases"));
        if (!aliases) continue;
        for (CCObject* obj : aliases->data()) {
            auto* alias = dynamic_cast<CCString*>(obj);
            if (!alias || alias->str().empty()) {
                CCLog("[CCSpriteFrameCache] frame \"%s\": alias skipped (not a name)", name.c_str());
                continue;
            }
            if (m_frames.count(alias->str()) || m_aliases.count(alias->str())) {
                CCLog("[CCSpriteFrameCache] alias \"%s\" already names a frame; keeping the first", alias->getCString());
                continue;
            }
            m_aliases.emplace(alias->str(), name);
        }
    }
    frames->release();
}

bool CCSpriteFrameCache::insertFrame(const std::string& name, CCSpriteFrame* frame, const char* source) {
    if (m_frames.count(name) || m_aliases.count(name)) {
        CCLog("[CCSpriteFrameCache] %s frame \"%s\" already exists; keeping the first", source, name.c_str());
        return false;
    }
    frame->retain();
    m_frames.emplace(name, frame);
    return true;
}

void CCSpriteFrameCache::addSpriteFrame(CCSpriteFrame* frame, const char* name) {
    if (!frame || !name) {
        CCLog("[CCSpriteFrameCache] addSpriteFrame: null %s", frame ? "name" : "frame");
        return;
    }
    insertFrame(name, frame, "added");
}

CCSpriteFrame* CCSpriteFrameCache::spriteFrameByName(const char* name) {
    if (!name) return nullptr;
    auto it = m_frames.find(name);
    if (it != m_frames.end()) return it->second;
    auto alias = m_aliases.find(name);
    if (alias != m_aliases.end()) {
        it = m_frames.find(alias->second);
        if (it != m_frames.end()) return it->second;
    }
    CCLogOnce("[CCSpriteFrameCache] no frame named \"%s\"", name);
    return nullptr;
}

void CCSpriteFrameCache::removeSpriteFrames() {
    std::unordered_map<std::string, CCSpriteFrame*> frames;
    frames.swap(m_frames);
    m_aliases.clear();
    m_loadedFiles.clear();
    for (auto& entry : frames) entry.second->release();
}

void CCSpriteFrameCache::removeSpriteFrameByName(const char* name) {
    if (!name) return;
    std::string key = name;
    auto alias = m_aliases.find(key);
    if (alias != m_aliases.end()) {
        key = alias->second;
        m_aliases.erase(alias);
    }
    auto it = m_frames.find(key);
    if (it == m_frames.end()) return;
    CCSpriteFrame* frame = it->second;
    m_frames.erase(it);
    frame->release();
}

}  // namespace cocos2d
