// Textures by resolved path. The cache owns its textures; callers that keep
// one beyond the cache's life retain it.
#pragma once

#include <string>
#include <unordered_map>

#include "base/CCObject.h"

namespace cocos2d {

class CCTexture2D;

class CCTextureCache : public CCObject {
public:
    // Created on first use, never destroyed at exit.
    static CCTextureCache* sharedTextureCache();
    // Releases every texture and the cache itself (tests).
    static void purgeSharedTextureCache();

    // Loads and caches; the key is the resolved path, so a relative and an
    // absolute name of one file share an entry. Null for a missing or
    // undecodable file (logged once per path), and nothing is cached then.
    CCTexture2D* addImage(const char* path);
    // Never loads.
    CCTexture2D* textureForKey(const char* key) const;
    void removeTextureForKey(const char* key);
    void removeAllTextures();
    // (ours)
    unsigned int count() const { return static_cast<unsigned int>(m_textures.size()); }

    CCTextureCache() = default;
    ~CCTextureCache() override;

private:
    std::unordered_map<std::string, CCTexture2D*> m_textures;
};

}  // namespace cocos2d
