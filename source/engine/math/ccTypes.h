// Colour types of the engine's API.
#pragma once

#include <cstdint>

namespace cocos2d {

typedef unsigned char GLubyte;
typedef float GLfloat;
typedef unsigned int GLuint;
typedef int GLint;
typedef unsigned int GLenum;

struct ccColor3B {
    GLubyte r = 0, g = 0, b = 0;
};
struct ccColor4B {
    GLubyte r = 0, g = 0, b = 0, a = 0;
};
struct ccColor4F {
    GLfloat r = 0, g = 0, b = 0, a = 0;
};

inline ccColor3B ccc3(GLubyte r, GLubyte g, GLubyte b) { return ccColor3B{r, g, b}; }
inline ccColor4B ccc4(GLubyte r, GLubyte g, GLubyte b, GLubyte a) { return ccColor4B{r, g, b, a}; }
inline ccColor4F ccc4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { return ccColor4F{r, g, b, a}; }
inline ccColor4F ccc4FFromccc4B(ccColor4B c) { return ccColor4F{c.r / 255.f, c.g / 255.f, c.b / 255.f, c.a / 255.f}; }
inline ccColor4F ccc4FFromccc3B(ccColor3B c) { return ccColor4F{c.r / 255.f, c.g / 255.f, c.b / 255.f, 1.f}; }
inline bool ccc4FEqual(ccColor4F a, ccColor4F b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

static const ccColor3B ccWHITE = {255, 255, 255};
static const ccColor3B ccBLACK = {0, 0, 0};

}  // namespace cocos2d
