#include "gl/CCShaderCache.h"

#include "gl/CCDrawingPrimitives.h"
#include "gl/CCGLProgram.h"
#include "gl/ccShaders.h"
#include "platform/CCCommon.h"

namespace cocos2d {

namespace {

struct BuiltInProgram {
    const char* key;
    const char* const* vert;
    const char* const* frag;
};
const BuiltInProgram kBuiltIns[] = {
    {kCCShader_Position_uColor, &ccPosition_uColor_vert, &ccPosition_uColor_frag},
    {kCCShader_PositionTexture_uColor, &ccPositionTexture_uColor_vert, &ccPositionTexture_uColor_frag},
    {kCCShader_PositionTextureColor, &ccPositionTextureColor_vert, &ccPositionTextureColor_frag},
};
}  // namespace

CCShaderCache* CCShaderCache::s_shared = nullptr;

CCShaderCache* CCShaderCache::createShared() {
    s_shared = new CCShaderCache();
    s_shared->loadDefaultShaders();
    return s_shared;
}

void CCShaderCache::purgeSharedShaderCache() {
    ccDrawFree();
    CCShaderCache* cache = s_shared;
    s_shared = nullptr;
    if (cache) cache->release();
}

CCShaderCache::~CCShaderCache() {
    for (auto& entry : m_programs) entry.second->release();
}

CCGLProgram* CCShaderCache::programForKey(const char* key) {
    if (!key) return nullptr;
    auto it = m_programs.find(key);
    if (it == m_programs.end()) {
        CCLogOnce("[CCShaderCache] no program named \"%s\"", key);
        return nullptr;
    }
    return it->second;
}

void CCShaderCache::addProgram(CCGLProgram* program, const char* key) {
    if (!program || !key) return;
    program->retain();
    auto it = m_programs.find(key);
    if (it != m_programs.end()) {
        it->second->release();
        it->second = program;
    } else {
        m_programs.emplace(key, program);
    }
    if (std::string(key) == kCCShader_PositionTextureColor) m_pPositionTextureColor = program;
}

void CCShaderCache::loadDefaultShaders() {
    for (const BuiltInProgram& b : kBuiltIns) {
        CCGLProgram* program = nullptr;
        auto it = m_programs.find(b.key);
        if (it != m_programs.end()) {
            program = it->second;  // recompiled in place: nodes keep their pointers
        } else {
            program = new CCGLProgram();
            m_programs.emplace(b.key, program);
        }
        if (program->initWithVertexShaderByteArray(*b.vert, *b.frag) && program->link()) program->updateUniforms();
    }
    m_pPositionTextureColor = m_programs[kCCShader_PositionTextureColor];
}

void CCShaderCache::reloadDefaultShaders() {
    ccDrawFree();  // its uniform location belongs to the old program
    loadDefaultShaders();
}

void CCShaderCache::reloadSharedIfLoaded() {
    if (s_shared) s_shared->reloadDefaultShaders();
}

}  // namespace cocos2d
