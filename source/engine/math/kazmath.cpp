#include "math/kazmath.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/CCCommon.h"

namespace cocos2d {

kmMat4* kmMat4Identity(kmMat4* out) {
    std::memset(out->mat, 0, sizeof(out->mat));
    out->mat[0] = out->mat[5] = out->mat[10] = out->mat[15] = 1.0f;
    return out;
}

kmMat4* kmMat4Fill(kmMat4* out, const float* values) {
    std::memcpy(out->mat, values, sizeof(out->mat));
    return out;
}

kmMat4* kmMat4Multiply(kmMat4* out, const kmMat4* a, const kmMat4* b) {
    // Single precision like the GPU that consumes it; this runs once per node per frame.
    const float* m = a->mat;
    float r[16];
    for (int col = 0; col < 4; ++col) {
        const float* c = b->mat + col * 4;
        r[col * 4 + 0] = m[0] * c[0] + m[4] * c[1] + m[8] * c[2] + m[12] * c[3];
        r[col * 4 + 1] = m[1] * c[0] + m[5] * c[1] + m[9] * c[2] + m[13] * c[3];
        r[col * 4 + 2] = m[2] * c[0] + m[6] * c[1] + m[10] * c[2] + m[14] * c[3];
        r[col * 4 + 3] = m[3] * c[0] + m[7] * c[1] + m[11] * c[2] + m[15] * c[3];
    }
    std::memcpy(out->mat, r, sizeof(r));
    return out;
}

kmMat4* kmMat4Translation(kmMat4* out, float x, float y, float z) {
    kmMat4Identity(out);
    out->mat[12] = x;
    out->mat[13] = y;
    out->mat[14] = z;
    return out;
}

kmMat4* kmMat4Scaling(kmMat4* out, float x, float y, float z) {
    kmMat4Identity(out);
    out->mat[0] = x;
    out->mat[5] = y;
    out->mat[10] = z;
    return out;
}

kmMat4* kmMat4RotationAxisAngle(kmMat4* out, float x, float y, float z, float radians) {
    double len = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    kmMat4Identity(out);
    if (!(len > 0.0) || !std::isfinite(len)) return out;
    double ux = x / len, uy = y / len, uz = z / len;
    double c = std::cos(double(radians)), s = std::sin(double(radians)), ic = 1.0 - c;
    float* m = out->mat;
    m[0] = static_cast<float>(c + ux * ux * ic);
    m[1] = static_cast<float>(uy * ux * ic + uz * s);
    m[2] = static_cast<float>(uz * ux * ic - uy * s);
    m[4] = static_cast<float>(ux * uy * ic - uz * s);
    m[5] = static_cast<float>(c + uy * uy * ic);
    m[6] = static_cast<float>(uz * uy * ic + ux * s);
    m[8] = static_cast<float>(ux * uz * ic + uy * s);
    m[9] = static_cast<float>(uy * uz * ic - ux * s);
    m[10] = static_cast<float>(c + uz * uz * ic);
    return out;
}

kmMat4* kmMat4OrthographicProjection(kmMat4* out, float left, float right, float bottom, float top, float nearVal,
                                     float farVal) {
    kmMat4Identity(out);
    double w = double(right) - left, h = double(top) - bottom, d = double(farVal) - nearVal;
    if (w == 0.0 || h == 0.0 || d == 0.0) {
        CCLog("[kazmath] degenerate orthographic projection refused; using the identity");
        return out;
    }
    out->mat[0] = static_cast<float>(2.0 / w);
    out->mat[5] = static_cast<float>(2.0 / h);
    out->mat[10] = static_cast<float>(-2.0 / d);
    out->mat[12] = static_cast<float>(-(double(right) + left) / w);
    out->mat[13] = static_cast<float>(-(double(top) + bottom) / h);
    out->mat[14] = static_cast<float>(-(double(farVal) + nearVal) / d);
    return out;
}

bool kmMat4AreEqual(const kmMat4* a, const kmMat4* b, float tolerance) {
    for (int i = 0; i < 16; ++i) {
        if (!(std::fabs(a->mat[i] - b->mat[i]) <= tolerance)) return false;
    }
    return true;
}

kmMat4* kmMat4FromAffineTransform(kmMat4* out, const CCAffineTransform& t) {
    kmMat4Identity(out);
    out->mat[0] = t.a;
    out->mat[1] = t.b;
    out->mat[4] = t.c;
    out->mat[5] = t.d;
    out->mat[12] = t.tx;
    out->mat[13] = t.ty;
    return out;
}

namespace detail {

kmGLMatrixStacks* g_kmGLStacks = nullptr;

kmGLMatrixStacks::kmGLMatrixStacks() { reset(); }

void kmGLMatrixStacks::reset() {
    for (auto& s : stacks) {
        s.clear();
        kmMat4 m;
        s.push_back(*kmMat4Identity(&m));
    }
    mode = 0;
}

// Created on first use and never destroyed, like the engine's singletons.
kmGLMatrixStacks& kmGLCreateStacks() {
    g_kmGLStacks = new kmGLMatrixStacks();
    return *g_kmGLStacks;
}

void kmGLPopRefused() { CCLog("[kazmath] pop of the base matrix refused (unbalanced push/pop)"); }

}  // namespace detail

namespace {

using MatrixStacks = detail::kmGLMatrixStacks;

inline MatrixStacks& matrixStacks() { return detail::kmGLStacks(); }

int stackIndex(unsigned int mode) {
    switch (mode) {
        case KM_GL_MODELVIEW:
            return 0;
        case KM_GL_PROJECTION:
            return 1;
        case KM_GL_TEXTURE:
            return 2;
        default:
            return -1;
    }
}

inline std::vector<kmMat4>& currentStack() {
    MatrixStacks& s = matrixStacks();
    return s.stacks[s.mode];
}

}  // namespace

void kmGLMatrixMode(unsigned int mode) {
    int index = stackIndex(mode);
    if (index < 0) {
        CCLog("[kazmath] unknown matrix mode 0x%x ignored", mode);
        return;
    }
    matrixStacks().mode = static_cast<unsigned int>(index);
}

void kmGLLoadIdentity() { kmMat4Identity(&currentStack().back()); }

void kmGLLoadMatrix(const kmMat4* m) {
    if (m) currentStack().back() = *m;
}

void kmGLMultMatrix(const kmMat4* m) {
    if (!m) return;
    kmMat4& top = currentStack().back();
    kmMat4Multiply(&top, &top, m);
}

void kmGLTranslatef(float x, float y, float z) {
    kmMat4 m;
    kmGLMultMatrix(kmMat4Translation(&m, x, y, z));
}

void kmGLRotatef(float angle, float x, float y, float z) {
    kmMat4 m;
    kmGLMultMatrix(kmMat4RotationAxisAngle(&m, x, y, z, static_cast<float>(angle * 3.14159265358979323846 / 180.0)));
}

void kmGLScalef(float x, float y, float z) {
    kmMat4 m;
    kmGLMultMatrix(kmMat4Scaling(&m, x, y, z));
}

void kmGLGetMatrix(unsigned int mode, kmMat4* out) {
    int index = stackIndex(mode);
    if (!out) return;
    if (index < 0) {
        CCLog("[kazmath] unknown matrix mode 0x%x; returning the identity", mode);
        kmMat4Identity(out);
        return;
    }
    *out = matrixStacks().stacks[index].back();
}

unsigned int kmGLGetStackDepth(unsigned int mode) {
    int index = stackIndex(mode);
    return index < 0 ? 0u : static_cast<unsigned int>(matrixStacks().stacks[index].size());
}

unsigned int kmGLResetStackDepth(unsigned int mode) {
    int index = stackIndex(mode);
    if (index < 0) return 0;
    MatrixStacks& all = matrixStacks();
    std::vector<kmMat4>& s = all.stacks[index];
    unsigned int dropped = static_cast<unsigned int>(s.size() - 1);
    if (dropped == 0) return 0;
    s.resize(1);
    if (!all.loggedReset) {
        all.loggedReset = true;
        CCLog("[kazmath] %u matrices left pushed after drawing were dropped (unbalanced push/pop; logged once)",
              dropped);
    }
    return dropped;
}

void kmGLFreeAll() { matrixStacks().reset(); }

}  // namespace cocos2d
