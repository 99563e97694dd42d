// Named sprite frames, filled from texture-atlas plists (formats 0 to 3).
// Atlas files are hostile input: a malformed file loads nothing, a malformed
// frame is skipped, and every rejection is logged.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "base/CCObject.h"

namespace cocos2d {

class CCDictionary;
class CCSpriteFrame;
class CCTexture2D;

class CCSpriteFrameCache : public CCObject {
public:
    // Created on first use, never destroyed at exit.
    static CCSpriteFrameCache* sharedSpriteFrameCache();
    // Releases every frame and the cache itself (tests).
    static void purgeSharedSpriteFrameCache();

    // Loads the frames of an atlas plist. The texture comes from the texture
    // cache: metadata realTextureFileName, else textureFileName, beside the
    // plist; when absent or missing, the plist path with ".png". Adding the
    // same file (same resolved path) again does nothing.
    void addSpriteFramesWithFile(const char* plist);
    // (ours) Frames of an already parsed atlas dictionary, on the given texture.
    void addSpriteFramesWithDictionary(CCDictionary* dictionary, CCTexture2D* texture);
    // A name already present keeps its first frame (logged).
    void addSpriteFrame(CCSpriteFrame* frame, const char* name);
    // Null for an unknown name, logged once per name. Aliases resolve too.
    CCSpriteFrame* spriteFrameByName(const char* name);
    // Drops every frame, alias and the record of loaded files.
    void removeSpriteFrames();
    // (ours)
    void removeSpriteFrameByName(const char* name);
    unsigned int count() const { return static_cast<unsigned int>(m_frames.size()); }

    CCSpriteFrameCache() = default;
    ~CCSpriteFrameCache() override;

private:
    bool insertFrame(const std::string& name, CCSpriteFrame* frame, const char* source);

    std::unordered_map<std::string, CCSpriteFrame*> m_frames;
    std::unordered_map<std::string, std::string> m_aliases;
    std::unordered_set<std::string> m_loadedFiles;
};

}  // namespace cocos2d
