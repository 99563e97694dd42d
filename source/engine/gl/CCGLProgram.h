// A GL program: two shader sources run through the header pass, compiled and
// linked, with a cache of uniform values so unchanged values never reach the
// driver. Headless nothing is compiled: link() succeeds and every location
// is -1.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "base/CCObject.h"
#include "gl/CCGL.h"

namespace cocos2d {

struct kmMat4;

#define kCCAttributeNamePosition "a_position"
#define kCCAttributeNameColor "a_color"
#define kCCAttributeNameTexCoord "a_texCoord"
#define kCCUniformPMatrix_s "CC_PMatrix"
#define kCCUniformMVMatrix_s "CC_MVMatrix"
#define kCCUniformMVPMatrix_s "CC_MVPMatrix"
#define kCCUniformTime_s "CC_Time"
#define kCCUniformSinTime_s "CC_SinTime"
#define kCCUniformCosTime_s "CC_CosTime"
#define kCCUniformRandom01_s "CC_Random01"
#define kCCUniformSampler_s "CC_Texture0"

class CCGLProgram : public CCObject {
public:
    CCGLProgram();
    ~CCGLProgram() override;

    // Runs both sources through the header pass and compiles them. A source
    // that is missing, too large or rejected by the driver logs once and
    // leaves the program invalid (returns false).
    bool initWithVertexShaderByteArray(const GLchar* vShaderByteArray, const GLchar* fShaderByteArray);
    // Bound at the next link, besides the three standard attributes.
    void addAttribute(const char* attributeName, GLuint index);
    // Binds a_position 0, a_color 1, a_texCoord 2 and the added attributes,
    // then links. False (logged once, program invalid) when it fails.
    bool link();
    // Looks up the built-in uniforms and points CC_Texture0 at unit 0.
    void updateUniforms();
    // Flushes the batch and makes this program current.
    void use();
    // The built-ins from the current projection and model-view stacks.
    void setUniformsForBuiltins();
    // (ours) The same with an explicit model-view (the batch uses identity).
    void setUniformsForBuiltins(const kmMat4& modelView);

    // -1 when unknown (always headless).
    GLint getUniformLocationForName(const char* name) const;
    // Each setter makes this program current first, skips a value equal to
    // the last one set at that location, and ignores location -1.
    void setUniformLocationWith1i(GLint location, GLint i1);
    void setUniformLocationWith1f(GLint location, GLfloat f1);
    void setUniformLocationWith2f(GLint location, GLfloat f1, GLfloat f2);
    void setUniformLocationWith4f(GLint location, GLfloat f1, GLfloat f2, GLfloat f3, GLfloat f4);
    void setUniformLocationWith4fv(GLint location, const GLfloat* floats, unsigned int numberOfArrays);
    void setUniformLocationWithMatrix4fv(GLint location, const GLfloat* matrixArray, unsigned int numberOfMatrices);

    GLuint getProgram() const { return m_uProgram; }
    // (ours) False after a failed init, compile or link; drawing code then
    // falls back to the standard program.
    bool isValid() const { return m_bValid; }
    // (ours) The driver's (or the header pass's) last complaint.
    const std::string& getErrorLog() const { return m_errorLog; }
    // (ours) The sources as handed to the driver, after the header pass.
    const std::string& getVertexSource() const { return m_vertexSource; }
    const std::string& getFragmentSource() const { return m_fragmentSource; }
    // (ours) Attribute bindings that the next link applies, in order.
    const std::vector<std::pair<std::string, GLuint>>& getAttributeBindings() const { return m_attributes; }

    // Deletes the GL objects and forgets everything (the cache too).
    void reset();

private:
    bool updateUniformCache(GLint location, const void* data, size_t bytes);
    void useWithoutFlush();
    void fail(const std::string& message);

    GLuint m_uProgram = 0;
    GLuint m_uVertShader = 0;
    GLuint m_uFragShader = 0;
    bool m_bValid = false;
    bool m_bInitialised = false;
    std::string m_errorLog;
    std::string m_vertexSource;
    std::string m_fragmentSource;
    std::vector<std::pair<std::string, GLuint>> m_attributes;
    std::unordered_map<GLint, std::vector<unsigned char>> m_uniformCache;

    enum {
        kUniformPMatrix,
        kUniformMVMatrix,
        kUniformMVPMatrix,
        kUniformTime,
        kUniformSinTime,
        kUniformCosTime,
        kUniformRandom01,
        kUniformSampler,
        kUniformCount,
    };
    GLint m_uniforms[kUniformCount];
};

}  // namespace cocos2d
