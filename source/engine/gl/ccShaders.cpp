#include "gl/ccShaders.h"

namespace cocos2d {

const char* const ccPosition_uColor_vert =
    "attribute vec4 a_position;\n"
    "uniform vec4 u_color;\n"
    "varying vec4 v_fragmentColor;\n"
    "void main() {\n"
    "    gl_Position = CC_MVPMatrix * a_position;\n"
    "    v_fragmentColor = u_color;\n"
    "}\n";

const char* const ccPosition_uColor_frag =
    "varying vec4 v_fragmentColor;\n"
    "void main() {\n"
    "    gl_FragColor = v_fragmentColor;\n"
    "}\n";

const char* const ccPositionTexture_uColor_vert =
    "attribute vec4 a_position;\n"
    "attribute vec2 a_texCoord;\n"
    "varying vec2 v_texCoord;\n"
    "void main() {\n"
    "    gl_Position = CC_MVPMatrix * a_position;\n"
    "    v_texCoord = a_texCoord;\n"
    "}\n";

const char* const ccPositionTexture_uColor_frag =
    "uniform vec4 u_color;\n"
    "varying vec2 v_texCoord;\n"
    "void main() {\n"
    "    gl_FragColor = texture2D(CC_Texture0, v_texCoord) * u_color;\n"
    "}\n";

// One text, two names: an address constant, so both are ready before any
// static initialiser elsewhere reads them.
static const char kPositionTextureColorVert[] =
    "attribute vec4 a_position;\n"
    "attribute vec4 a_color;\n"
    "attribute vec2 a_texCoord;\n"
    "varying vec4 v_fragmentColor;\n"
    "varying vec2 v_texCoord;\n"
    "void main() {\n"
    "    gl_Position = CC_MVPMatrix * a_position;\n"
    "    v_fragmentColor = a_color;\n"
    "    v_texCoord = a_texCoord;\n"
    "}\n";

const char* const ccPositionTextureColor_frag =
    "varying vec4 v_fragmentColor;\n"
    "varying vec2 v_texCoord;\n"
    "void main() {\n"
    "    gl_FragColor = v_fragmentColor * texture2D(CC_Texture0, v_texCoord);\n"
    "}\n";

const char* const ccPositionTextureColor_vert = kPositionTextureColorVert;
const char* const ccPositionTextureA8Color_vert = kPositionTextureColorVert;

}  // namespace cocos2d
