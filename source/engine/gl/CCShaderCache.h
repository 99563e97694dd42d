// The shared programs by name. The three built-ins exist from the first call.
#pragma once

#include <map>
#include <string>

#include "base/CCObject.h"

namespace cocos2d {

class CCGLProgram;

#define kCCShader_Position_uColor "ShaderPosition_uColor"
#define kCCShader_PositionTexture_uColor "ShaderPositionTexture_uColor"
#define kCCShader_PositionTextureColor "ShaderPositionTextureColor"

class CCShaderCache : public CCObject {
public:
    // Inline: every sprite and label asks for it each frame.
    static CCShaderCache* sharedShaderCache() { return s_shared ? s_shared : createShared(); }
    // Drops the shared cache; the next sharedShaderCache() builds it again
    // (a new context, or tests).
    static void purgeSharedShaderCache();

    // Null (logged once) for an unknown key.
    CCGLProgram* programForKey(const char* key);
    // Retained; replaces a program of the same key.
    void addProgram(CCGLProgram* program, const char* key);
    // Recompiles the built-ins (after a new context was made current).
    void reloadDefaultShaders();
    // (ours) "ShaderPositionTextureColor" without the name lookup: every
    // sprite, glyph and particle asks for it each frame.
    CCGLProgram* positionTextureColorProgram() const { return m_pPositionTextureColor; }
    // (ours) reloadDefaultShaders on the shared cache, if it exists yet.
    static void reloadSharedIfLoaded();

    ~CCShaderCache() override;

private:
    CCShaderCache() = default;
    static CCShaderCache* createShared();
    static CCShaderCache* s_shared;
    void loadDefaultShaders();
    std::map<std::string, CCGLProgram*> m_programs;
    CCGLProgram* m_pPositionTextureColor = nullptr;
};

}  // namespace cocos2d
