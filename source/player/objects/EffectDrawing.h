// Texture loading and client-array drawing shared by the light, trail and
// flag effects: they all draw with the cached "ShaderPositionTexture_uColor"
// program, tinted through its "u_color" uniform.
#pragma once

#include <vector>

#include "gl/CCGL.h"
#include "gl/ccGLTypes.h"

namespace cocos2d {
class CCGLProgram;
class CCTexture2D;
}  // namespace cocos2d
class QVModelSpriteContainer;

namespace effects {

// The texture at a resource-root path such as "/fx/trailMap.png", through the
// engine's texture cache. A missing or undecodable file gives null and logs
// "[<tag>] missing texture <path>" once per tag and path.
cocos2d::CCTexture2D* loadEffectTexture(const char* path, const char* tag);

// The texture of sprite 0 of `sprite` when it has one, else loadEffectTexture.
cocos2d::CCTexture2D* effectTexture(const QVModelSpriteContainer* sprite, const char* path, const char* tag);

// The cached program and the location of its "u_color" uniform.
struct EffectProgram {
    cocos2d::CCGLProgram* program = nullptr;
    GLint colorLocation = -1;
};
EffectProgram effectProgram();

// One textured draw from client arrays; call it inside a node's draw, after
// any model-view change. Flushes the sprite batch, enables position and
// texture-coordinate attributes, uses the program with its built-ins, sets
// "u_color", binds the texture and draws `count` vertices. Nothing happens
// without a texture or with fewer than one vertex.
void drawEffectArrays(const EffectProgram& program, cocos2d::CCTexture2D* texture, const GLfloat color[4], GLenum mode,
                      const cocos2d::ccVertex2F* vertices, const cocos2d::ccTex2F* texCoords, int count);

// What drawEffectArrays drew while a recorder is installed (tests read
// effect geometry from it; headless GL draws nothing).
struct EffectDraw {
    GLenum mode = 0;
    GLfloat color[4] = {0, 0, 0, 0};
    cocos2d::CCTexture2D* texture = nullptr;
    std::vector<cocos2d::ccVertex2F> vertices;
    std::vector<cocos2d::ccTex2F> texCoords;
};
// Every draw is appended to `draws`; null stops recording.
void setEffectDrawRecorder(std::vector<EffectDraw>* draws);

}  // namespace effects
