#include "player/objects/EffectDrawing.h"

#include <set>
#include <string>
#include <utility>

#include "gl/CCGLProgram.h"
#include "gl/CCShaderCache.h"
#include "gl/ccGLStateCache.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "platform/QVLog.h"
#include "textures/CCTexture2D.h"
#include "textures/CCTextureCache.h"

using namespace cocos2d;

namespace effects {

namespace {
std::vector<EffectDraw>* g_recorder = nullptr;
}

CCTexture2D* loadEffectTexture(const char* path, const char* tag) {
    CCTexture2D* texture = CCTextureCache::sharedTextureCache()->addImage(path);
    if (!texture) {
        static std::set<std::pair<std::string, std::string>> logged;
        if (logged.emplace(tag, path).second) logMessage("[%s] missing texture %s", tag, path);
    }
    return texture;
}

CCTexture2D* effectTexture(const QVModelSpriteContainer* sprite, const char* path, const char* tag) {
    if (sprite) {
        if (CCTexture2D* texture = sprite->getTexture(0)) return texture;
    }
    return loadEffectTexture(path, tag);
}

EffectProgram effectProgram() {
    EffectProgram result;
    result.program = CCShaderCache::sharedShaderCache()->programForKey(kCCShader_PositionTexture_uColor);
    if (result.program) result.colorLocation = result.program->getUniformLocationForName("u_color");
    return result;
}

void drawEffectArrays(const EffectProgram& program, CCTexture2D* texture, const GLfloat color[4], GLenum mode,
                      const ccVertex2F* vertices, const ccTex2F* texCoords, int count) {
    if (!texture || !program.program || count < 1) return;
    ccGLNodeDrawSetup(program.program);
    ccGLEnableVertexAttribs(kCCVertexAttribFlag_Position | kCCVertexAttribFlag_TexCoords);
    program.program->setUniformLocationWith4f(program.colorLocation, color[0], color[1], color[2], color[3]);
    ccGLBindTexture2D(texture->getName());
    if (ccGLHasContext()) {
        // Client arrays: no buffer may be bound for the pointers to mean memory.
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glVertexAttribPointer(kCCVertexAttrib_Position, 2, GL_FLOAT, GL_FALSE, 0, vertices);
        glVertexAttribPointer(kCCVertexAttrib_TexCoords, 2, GL_FLOAT, GL_FALSE, 0, texCoords);
        glDrawArrays(mode, 0, count);
    }
    CC_INCREMENT_GL_DRAWS(1);
    if (g_recorder) {
        EffectDraw draw;
        draw.mode = mode;
        for (int i = 0; i < 4; ++i) draw.color[i] = color[i];
        draw.texture = texture;
        draw.vertices.assign(vertices, vertices + count);
        draw.texCoords.assign(texCoords, texCoords + count);
        g_recorder->push_back(std::move(draw));
    }
}

void setEffectDrawRecorder(std::vector<EffectDraw>* draws) { g_recorder = draws; }

}  // namespace effects
