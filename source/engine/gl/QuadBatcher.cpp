#include "gl/QuadBatcher.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "gl/CCGLProgram.h"
#include "gl/CCShaderCache.h"
#include "gl/ccGLStateCache.h"
#include "gl/GLStateCacheInternal.h"
#include "math/kazmath.h"
#include "textures/CCTexture2D.h"

namespace cocos2d {

namespace {

typedef float Column __attribute__((vector_size(16)));

struct Columns {
    Column c0, c1, c2, c3;
};

__attribute__((always_inline)) inline Columns loadColumns(const float* m) {
    Columns c;
    std::memcpy(&c.c0, m, sizeof(Column));
    std::memcpy(&c.c1, m + 4, sizeof(Column));
    std::memcpy(&c.c2, m + 8, sizeof(Column));
    std::memcpy(&c.c3, m + 12, sizeof(Column));
    return c;
}

typedef int Bits __attribute__((vector_size(16)));

static_assert(sizeof(ccV3F_C4B_T2F) == 24 && offsetof(ccV3F_C4B_T2F, colors) == 12 &&
                  offsetof(ccV3F_C4B_T2F, texCoords) == 16,
              "a vertex is x, y, z, four colour bytes, u, v");

// A whole column per multiply: a third of the scalar operations, summed in
// the same order as the scalar form, so the results are the same. The vertex
// is written whole in two stores (position with colour, then the texture
// coordinates), reading only the caller's vertex.
__attribute__((always_inline)) inline void writeVertex(const Columns& m, const ccV3F_C4B_T2F& in,
                                                       ccV3F_C4B_T2F& out) {
    Column head;  // x, y, z and the colour's four bytes
    std::memcpy(&head, static_cast<const void*>(&in), sizeof head);
    const Column r = m.c0 * head[0] + m.c1 * head[1] + m.c2 * head[2] + m.c3;
    const Bits colour = {0, 0, 0, -1};
    const Bits merged = ((Bits)r & ~colour) | ((Bits)head & colour);  // a vector cast keeps the bits
    std::memcpy(static_cast<void*>(&out), &merged, sizeof merged);
    std::memcpy(static_cast<void*>(&out.texCoords), static_cast<const void*>(&in.texCoords), sizeof(ccTex2F));
}

__attribute__((always_inline)) inline void writeQuad(const Columns& m, const ccV3F_C4B_T2F_Quad& in,
                                                     ccV3F_C4B_T2F_Quad& out) {
    writeVertex(m, in.tl, out.tl);
    writeVertex(m, in.bl, out.bl);
    writeVertex(m, in.tr, out.tr);
    writeVertex(m, in.br, out.br);
}

}  // namespace

QuadBatcher* QuadBatcher::s_shared = nullptr;

QuadBatcher* QuadBatcher::createShared() {
    s_shared = new QuadBatcher();
    return s_shared;
}

QuadBatcher::QuadBatcher() {
    m_indices.resize(kMaxQuads * 6);
    for (std::size_t i = 0; i < kMaxQuads; ++i) {
        const GLushort base = static_cast<GLushort>(i * 4);
        // tl, bl, tr, br: two triangles sharing the bl-tr diagonal.
        GLushort* idx = &m_indices[i * 6];
        idx[0] = base;
        idx[1] = static_cast<GLushort>(base + 1);
        idx[2] = static_cast<GLushort>(base + 2);
        idx[3] = static_cast<GLushort>(base + 3);
        idx[4] = static_cast<GLushort>(base + 2);
        idx[5] = static_cast<GLushort>(base + 1);
    }
    m_storage.resize(1024);
}

void QuadBatcher::beginBatch(CCTexture2D* texture, CCGLProgram* program, const ccBlendFunc& blend) {
    if (texture) texture->retain();
    if (program) program->retain();
    m_texture = texture;
    m_program = program;
    m_blend = blend;
}

void QuadBatcher::grow(std::size_t more) {
    m_storage.resize(std::max(m_count + more, m_storage.size() * 2));
}

void QuadBatcher::addQuad(CCTexture2D* texture, CCGLProgram* program, const ccBlendFunc& blend,
                            const ccV3F_C4B_T2F_Quad& quad) {
    const kmMat4& modelView = kmGLModelViewMatrix();
    if (program && program == m_program && texture == m_texture && blend == m_blend && m_count < kMaxQuads &&
        program->isValid()) {
        ccV3F_C4B_T2F_Quad* out = appendSlots(1);
        writeQuad(loadColumns(modelView.mat), quad, *out);
        ++m_count;
        return;
    }
    addQuads(texture, program, blend, &quad, 1, modelView);
}

void QuadBatcher::addQuads(CCTexture2D* texture, CCGLProgram* program, const ccBlendFunc& blend,
                             const ccV3F_C4B_T2F_Quad* quads, std::size_t count) {
    addQuads(texture, program, blend, quads, count, kmGLModelViewMatrix());
}

void QuadBatcher::addQuads(CCTexture2D* texture, CCGLProgram* program, const ccBlendFunc& blend,
                             const ccV3F_C4B_T2F_Quad* quads, std::size_t count, const kmMat4& modelView) {
    if (!quads || count == 0) return;
    if (!program || !program->isValid())
        program = CCShaderCache::sharedShaderCache()->positionTextureColorProgram();
    const float* m = modelView.mat;
    kmMat4 saved;
    while (count > 0) {
        const bool sameState = texture == m_texture && program == m_program && blend == m_blend;
        if (!sameState || m_count >= kMaxQuads) {
            // The matrix may live on the matrix stack, which code run by the
            // flush (a release, a program's uniforms) could move.
            if (m != saved.mat) {
                saved = modelView;
                m = saved.mat;
            }
            flush();
            beginBatch(texture, program, blend);
        }
        const std::size_t room = kMaxQuads - m_count;
        const std::size_t n = count < room ? count : room;
        ccV3F_C4B_T2F_Quad* out = appendSlots(n);
        const Columns columns = loadColumns(m);
        for (std::size_t i = 0; i < n; ++i) writeQuad(columns, quads[i], out[i]);
        m_count += n;
        quads += n;
        count -= n;
    }
}

void QuadBatcher::flush() {
    if (m_bFlushing) return;
    if (m_count == 0) {
        // Nothing to draw, but a batch may still hold its state's references.
        if (m_texture || m_program) {
            CCTexture2D* texture = m_texture;
            CCGLProgram* program = m_program;
            m_texture = nullptr;
            m_program = nullptr;
            if (texture) texture->release();
            if (program) program->release();
        }
        return;
    }
    m_bFlushing = true;
    draw();
    m_count = 0;
    CCTexture2D* texture = m_texture;
    CCGLProgram* program = m_program;
    m_texture = nullptr;
    m_program = nullptr;
    m_bFlushing = false;
    // Released last: a release may destroy them, and their clean-up may flush.
    if (texture) texture->release();
    if (program) program->release();
}

void QuadBatcher::draw() {
    ++m_flushes;
    ccGLAddDrawCalls(1);
    if (!ccGLHasContext() || !m_program) return;

    static const kmMat4 identity = [] {
        kmMat4 m;
        kmMat4Identity(&m);
        return m;
    }();
    detail::glUseProgramCached(m_program->getProgram());
    m_program->setUniformsForBuiltins(identity);  // vertices are already in eye space
    detail::glBindTextureCached(m_texture ? m_texture->getName() : 0);
    detail::glBlendFuncCached(m_blend.src, m_blend.dst);
    detail::glEnableVertexAttribsCached(kCCVertexAttribFlag_PosColorTex);

    // Client arrays: nothing may be bound, and nothing is left bound, because
    // game code draws from client arrays right after the engine does.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    ccGLPointQuadVertices(reinterpret_cast<const ccV3F_C4B_T2F*>(m_storage.data()));
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(m_count * 6), GL_UNSIGNED_SHORT, m_indices.data());
}

void ccGLFlushBatch() { QuadBatcher::sharedBatcher()->flush(); }

void ccGLPointQuadVertices(const ccV3F_C4B_T2F* vertices) {
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    const GLsizei stride = sizeof(ccV3F_C4B_T2F);
    const char* base = reinterpret_cast<const char*>(vertices);
    glVertexAttribPointer(kCCVertexAttrib_Position, 3, GL_FLOAT, GL_FALSE, stride,
                          base + offsetof(ccV3F_C4B_T2F, vertices));
    glVertexAttribPointer(kCCVertexAttrib_Color, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          base + offsetof(ccV3F_C4B_T2F, colors));
    glVertexAttribPointer(kCCVertexAttrib_TexCoords, 2, GL_FLOAT, GL_FALSE, stride,
                          base + offsetof(ccV3F_C4B_T2F, texCoords));
}

}  // namespace cocos2d
