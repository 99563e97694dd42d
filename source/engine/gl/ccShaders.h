// Sources of the built-in programs (before the header pass, which declares
// the CC_ uniforms they use).
#pragma once

namespace cocos2d {

extern const char* const ccPosition_uColor_vert;
extern const char* const ccPosition_uColor_frag;
extern const char* const ccPositionTexture_uColor_vert;
extern const char* const ccPositionTexture_uColor_frag;
// Outputs v_fragmentColor and v_texCoord.
extern const char* const ccPositionTextureColor_vert;
extern const char* const ccPositionTextureColor_frag;
// The position-texture-alpha-colour vertex shader: the same text as
// ccPositionTextureColor_vert.
extern const char* const ccPositionTextureA8Color_vert;

}  // namespace cocos2d
