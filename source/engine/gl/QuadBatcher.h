// The quad batcher: sprites, glyphs and particles hand their quads here
// instead of drawing. Consecutive quads with the same texture, program and
// blend share one draw call. Corners are transformed to eye space on the CPU
// when they arrive, so the batch draws with an identity model-view.
//
// The batch is flushed by a change of texture, program or blend, by any call
// of the GL state cache, CCGLProgram::use/setUniformsForBuiltins/uniform
// setters, the ccDraw primitives, CCRenderTexture begin/end, and at the end
// of the frame. Headless the same batches are built and counted, without GL.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <vector>

#include "gl/ccGLTypes.h"

namespace cocos2d {

class CCGLProgram;
class CCTexture2D;
struct kmMat4;

// A read-only view of the quads waiting for the flush.
class PendingQuads {
public:
    PendingQuads(const ccV3F_C4B_T2F_Quad* quads, std::size_t count) : m_quads(quads), m_count(count) {}
    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const ccV3F_C4B_T2F_Quad* data() const { return m_quads; }
    const ccV3F_C4B_T2F_Quad* begin() const { return m_quads; }
    const ccV3F_C4B_T2F_Quad* end() const { return m_quads + m_count; }
    const ccV3F_C4B_T2F_Quad& operator[](std::size_t i) const { return m_quads[i]; }
    const ccV3F_C4B_T2F_Quad& at(std::size_t i) const {
        if (i >= m_count) throw std::out_of_range("PendingQuads::at");
        return m_quads[i];
    }

private:
    const ccV3F_C4B_T2F_Quad* m_quads;
    std::size_t m_count;
};

class QuadBatcher {
public:
    // Every sprite and label reaches the batcher through this each frame.
    static QuadBatcher* sharedBatcher() { return s_shared ? s_shared : createShared(); }

    // Quads in node space, transformed by the current model-view matrix.
    // A null program means the standard "ShaderPositionTextureColor". The
    // texture (which may be null: white) is retained until the flush.
    void addQuads(CCTexture2D* texture, CCGLProgram* program, const ccBlendFunc& blend,
                  const ccV3F_C4B_T2F_Quad* quads, std::size_t count);
    // One quad (a sprite's): continuing the current batch takes a short path.
    void addQuad(CCTexture2D* texture, CCGLProgram* program, const ccBlendFunc& blend,
                 const ccV3F_C4B_T2F_Quad& quad);
    // The same with an explicit node-to-eye matrix.
    void addQuads(CCTexture2D* texture, CCGLProgram* program, const ccBlendFunc& blend,
                  const ccV3F_C4B_T2F_Quad* quads, std::size_t count, const kmMat4& modelView);

    // Draws the pending quads (one call) and empties the batch.
    void flush();

    std::size_t pendingQuads() const { return m_count; }
    // The eye-space vertices waiting for the flush (tests).
    PendingQuads pendingVertices() const { return PendingQuads(m_storage.data(), m_count); }
    CCTexture2D* pendingTexture() const { return m_texture; }
    CCGLProgram* pendingProgram() const { return m_program; }
    const ccBlendFunc& pendingBlend() const { return m_blend; }
    // Batches drawn since the start (tests and the benchmark).
    unsigned long long flushCount() const { return m_flushes; }

    // Quads per draw call; more starts a new batch (16-bit indices).
    static constexpr std::size_t kMaxQuads = 16383;

private:
    QuadBatcher();
    void beginBatch(CCTexture2D* texture, CCGLProgram* program, const ccBlendFunc& blend);
    void draw();

    static QuadBatcher* createShared();
    static QuadBatcher* s_shared;  // never destroyed, like the engine's singletons

    // Room for at least `more` quads after the pending ones.
    ccV3F_C4B_T2F_Quad* appendSlots(std::size_t more) {
        if (m_storage.size() - m_count < more) grow(more);
        return m_storage.data() + m_count;
    }
    void grow(std::size_t more);

    // Only grows: the pending quads are its first m_count entries, so adding
    // a quad writes it in place, with no construction or copy first.
    std::vector<ccV3F_C4B_T2F_Quad> m_storage;
    std::size_t m_count = 0;
    std::vector<GLushort> m_indices;
    CCTexture2D* m_texture = nullptr;
    CCGLProgram* m_program = nullptr;
    ccBlendFunc m_blend;
    bool m_bFlushing = false;
    unsigned long long m_flushes = 0;
};

// Flushes the shared batcher (no-op when empty).
void ccGLFlushBatch();

// (ours) Points the position, colour and texture-coordinate attributes at
// interleaved client-array vertices, with no array buffer bound.
void ccGLPointQuadVertices(const ccV3F_C4B_T2F* vertices);

}  // namespace cocos2d
