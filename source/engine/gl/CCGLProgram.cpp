#include "gl/CCGLProgram.h"

#include <cmath>
#include <cstring>

#include "director/CCDirector.h"
#include "gl/QuadBatcher.h"
#include "gl/ccGLStateCache.h"
#include "gl/GLStateCacheInternal.h"
#include "gl/ShaderSource.h"
#include "math/kazmath.h"
#include "platform/CCCommon.h"

namespace cocos2d {

namespace {

std::string shaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) return std::string();
    std::string log(static_cast<std::size_t>(length), '\0');
    glGetShaderInfoLog(shader, length, nullptr, &log[0]);
    log.resize(std::strlen(log.c_str()));
    return log;
}

std::string programLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) return std::string();
    std::string log(static_cast<std::size_t>(length), '\0');
    glGetProgramInfoLog(program, length, nullptr, &log[0]);
    log.resize(std::strlen(log.c_str()));
    return log;
}

// The project generator's formula on a private state: a per-frame value for
// CC_Random01 must not move the game's own random sequence (which would make
// GL and headless runs of one seed differ).
float frameRandom(unsigned int* state) {
    *state = *state * 214013u + 2531011u;
    return static_cast<float>((*state >> 16) & 0x7FFF) / 32768.0f;
}

}  // namespace

CCGLProgram::CCGLProgram() {
    for (GLint& u : m_uniforms) u = -1;
}

CCGLProgram::~CCGLProgram() { reset(); }

void CCGLProgram::fail(const std::string& message) {
    m_bValid = false;
    m_errorLog = message;
    CCLog("[CCGLProgram] %s", message.c_str());
}

bool CCGLProgram::initWithVertexShaderByteArray(const GLchar* vShaderByteArray, const GLchar* fShaderByteArray) {
    reset();
    m_bInitialised = true;
    if (!vShaderByteArray || !fShaderByteArray) {
        fail("missing shader source");
        return false;
    }
    std::string error;
    if (!prepareShaderSource(vShaderByteArray, &m_vertexSource, &error)) {
        fail("vertex shader refused: " + error);
        return false;
    }
    if (!prepareShaderSource(fShaderByteArray, &m_fragmentSource, &error)) {
        fail("fragment shader refused: " + error);
        return false;
    }
    m_bValid = true;
    if (!ccGLHasContext()) return true;

    m_uProgram = glCreateProgram();
    struct Stage {
        GLenum type;
        const std::string* source;
        GLuint* name;
        const char* what;
    } stages[] = {{GL_VERTEX_SHADER, &m_vertexSource, &m_uVertShader, "vertex"},
                  {GL_FRAGMENT_SHADER, &m_fragmentSource, &m_uFragShader, "fragment"}};
    for (Stage& st : stages) {
        GLuint shader = glCreateShader(st.type);
        const GLchar* text = st.source->c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        GLint ok = GL_FALSE;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        *st.name = shader;
        if (ok != GL_TRUE) {
            fail(std::string(st.what) + " shader did not compile: " + shaderLog(shader));
            return false;
        }
        glAttachShader(m_uProgram, shader);
    }
    return true;
}

void CCGLProgram::addAttribute(const char* attributeName, GLuint index) {
    if (!attributeName) return;
    for (auto& a : m_attributes) {
        if (a.first == attributeName) {
            a.second = index;
            return;
        }
    }
    m_attributes.emplace_back(attributeName, index);
}

bool CCGLProgram::link() {
    m_uniformCache.clear();
    if (!m_bInitialised || !m_bValid) {
        if (!m_bInitialised) fail("link before initWithVertexShaderByteArray");
        return false;
    }
    if (!ccGLHasContext()) return true;
    // The standard slots are bound on every program, so the sprite's colour
    // reaches a_color even when a game shader binds only position and
    // texture coordinates.
    glBindAttribLocation(m_uProgram, kCCVertexAttrib_Position, kCCAttributeNamePosition);
    glBindAttribLocation(m_uProgram, kCCVertexAttrib_Color, kCCAttributeNameColor);
    glBindAttribLocation(m_uProgram, kCCVertexAttrib_TexCoords, kCCAttributeNameTexCoord);
    for (const auto& a : m_attributes) glBindAttribLocation(m_uProgram, a.second, a.first.c_str());
    glLinkProgram(m_uProgram);
    GLint ok = GL_FALSE;
    glGetProgramiv(m_uProgram, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        fail("program did not link: " + programLog(m_uProgram));
        return false;
    }
    return true;
}

void CCGLProgram::updateUniforms() {
    static const char* const kNames[kUniformCount] = {
        kCCUniformPMatrix_s,   kCCUniformMVMatrix_s,  kCCUniformMVPMatrix_s, kCCUniformTime_s,
        kCCUniformSinTime_s,   kCCUniformCosTime_s,   kCCUniformRandom01_s,  kCCUniformSampler_s,
    };
    for (int i = 0; i < kUniformCount; ++i) m_uniforms[i] = getUniformLocationForName(kNames[i]);
    setUniformLocationWith1i(m_uniforms[kUniformSampler], 0);
}

void CCGLProgram::useWithoutFlush() {
    if (m_bValid) detail::glUseProgramCached(m_uProgram);
}

void CCGLProgram::use() {
    ccGLFlushBatch();
    useWithoutFlush();
}

void CCGLProgram::setUniformsForBuiltins() {
    kmMat4 mv;
    kmGLGetMatrix(KM_GL_MODELVIEW, &mv);
    setUniformsForBuiltins(mv);
}

void CCGLProgram::setUniformsForBuiltins(const kmMat4& modelView) {
    ccGLFlushBatch();
    if (!m_bValid || !ccGLHasContext()) return;
    kmMat4 p;
    kmGLGetMatrix(KM_GL_PROJECTION, &p);
    kmMat4 mvp;
    kmMat4Multiply(&mvp, &p, &modelView);
    setUniformLocationWithMatrix4fv(m_uniforms[kUniformPMatrix], p.mat, 1);
    setUniformLocationWithMatrix4fv(m_uniforms[kUniformMVMatrix], modelView.mat, 1);
    setUniformLocationWithMatrix4fv(m_uniforms[kUniformMVPMatrix], mvp.mat, 1);

    const bool wantsTime = m_uniforms[kUniformTime] != -1 || m_uniforms[kUniformSinTime] != -1 ||
                           m_uniforms[kUniformCosTime] != -1 || m_uniforms[kUniformRandom01] != -1;
    if (!wantsTime) return;
    // The director's running time, counted in frames so fixed-dt runs repeat.
    CCDirector* director = CCDirector::sharedDirector();
    const unsigned int frame = director->getTotalFrames();
    const float t = static_cast<float>(frame * director->getAnimationInterval());
    setUniformLocationWith4f(m_uniforms[kUniformTime], t / 10.0f, t, t * 2.0f, t * 4.0f);
    setUniformLocationWith4f(m_uniforms[kUniformSinTime], std::sin(t / 8.0f), std::sin(t / 4.0f),
                             std::sin(t / 2.0f), std::sin(t));
    setUniformLocationWith4f(m_uniforms[kUniformCosTime], std::cos(t / 8.0f), std::cos(t / 4.0f),
                             std::cos(t / 2.0f), std::cos(t));
    unsigned int state = frame + 1;
    const float r0 = frameRandom(&state), r1 = frameRandom(&state), r2 = frameRandom(&state),
                r3 = frameRandom(&state);
    setUniformLocationWith4f(m_uniforms[kUniformRandom01], r0, r1, r2, r3);
}

GLint CCGLProgram::getUniformLocationForName(const char* name) const {
    if (!name || !m_bValid || m_uProgram == 0 || !ccGLHasContext()) return -1;
    return glGetUniformLocation(m_uProgram, name);
}

bool CCGLProgram::updateUniformCache(GLint location, const void* data, size_t bytes) {
    auto it = m_uniformCache.find(location);
    const unsigned char* p = static_cast<const unsigned char*>(data);
    if (it != m_uniformCache.end() && it->second.size() == bytes && std::memcmp(it->second.data(), p, bytes) == 0)
        return false;
    m_uniformCache[location].assign(p, p + bytes);
    return true;
}

// Every setter: flush point, own program current, skip unchanged values.
#define CC_PROGRAM_SETTER_PROLOGUE(location, data, bytes)            \
    ccGLFlushBatch();                                                  \
    if ((location) == -1 || !m_bValid || !ccGLHasContext()) return;    \
    useWithoutFlush();                                                 \
    if (!updateUniformCache((location), (data), (bytes))) return

void CCGLProgram::setUniformLocationWith1i(GLint location, GLint i1) {
    CC_PROGRAM_SETTER_PROLOGUE(location, &i1, sizeof(i1));
    glUniform1i(location, i1);
}

void CCGLProgram::setUniformLocationWith1f(GLint location, GLfloat f1) {
    CC_PROGRAM_SETTER_PROLOGUE(location, &f1, sizeof(f1));
    glUniform1f(location, f1);
}

void CCGLProgram::setUniformLocationWith2f(GLint location, GLfloat f1, GLfloat f2) {
    const GLfloat v[2] = {f1, f2};
    CC_PROGRAM_SETTER_PROLOGUE(location, v, sizeof(v));
    glUniform2f(location, f1, f2);
}

void CCGLProgram::setUniformLocationWith4f(GLint location, GLfloat f1, GLfloat f2, GLfloat f3, GLfloat f4) {
    const GLfloat v[4] = {f1, f2, f3, f4};
    CC_PROGRAM_SETTER_PROLOGUE(location, v, sizeof(v));
    glUniform4f(location, f1, f2, f3, f4);
}

void CCGLProgram::setUniformLocationWith4fv(GLint location, const GLfloat* floats, unsigned int numberOfArrays) {
    if (!floats || numberOfArrays == 0) {
        ccGLFlushBatch();
        return;
    }
    CC_PROGRAM_SETTER_PROLOGUE(location, floats, sizeof(GLfloat) * 4 * numberOfArrays);
    glUniform4fv(location, static_cast<GLsizei>(numberOfArrays), floats);
}

void CCGLProgram::setUniformLocationWithMatrix4fv(GLint location, const GLfloat* matrixArray,
                                                  unsigned int numberOfMatrices) {
    if (!matrixArray || numberOfMatrices == 0) {
        ccGLFlushBatch();
        return;
    }
    CC_PROGRAM_SETTER_PROLOGUE(location, matrixArray, sizeof(GLfloat) * 16 * numberOfMatrices);
    glUniformMatrix4fv(location, static_cast<GLsizei>(numberOfMatrices), GL_FALSE, matrixArray);
}

#undef CC_PROGRAM_SETTER_PROLOGUE

void CCGLProgram::reset() {
    if (ccGLHasContext()) {
        if (m_uVertShader) glDeleteShader(m_uVertShader);
        if (m_uFragShader) glDeleteShader(m_uFragShader);
        if (m_uProgram) ccGLDeleteProgram(m_uProgram);
    }
    m_uVertShader = m_uFragShader = m_uProgram = 0;
    m_bValid = false;
    m_bInitialised = false;
    m_uniformCache.clear();
    for (GLint& u : m_uniforms) u = -1;
}

}  // namespace cocos2d
