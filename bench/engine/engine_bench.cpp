// EngineFrame: one engine frame of 2,000 atlas sprites in four layers plus
// 200 six-character labels above them, timed against a hand-written loop that
// does the same work: it lays out the labels' new texts glyph by glyph,
// transforms the same node-space quads by the same world matrices into one
// vertex array (and, with a GL context, uploads and draws it once per
// texture). Every label gets a new text each frame on both sides, from texts
// made before the timed loop. Both run in the same iteration, interleaved;
// `ratio` = engine / reference.
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "director/CCDirector.h"
#include "frames/CCSpriteFrame.h"
#include "gl/CCGL.h"
#include "gl/CCGLProgram.h"
#include "gl/CCShaderCache.h"
#include "gl/QuadBatcher.h"
#include "gl/ccGLStateCache.h"
#include "label/CCBMFontConfiguration.h"
#include "label/CCLabelBMFont.h"
#include "math/kazmath.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"
#include "view/CCEGLView.h"

using namespace cocos2d;

namespace {

constexpr int kSprites = 2000;
constexpr int kLayers = 4;
constexpr int kLabels = 200;
// Frames of label texts made ahead; consecutive frames differ in every label.
constexpr int kTextFrames = 64;

bool writePng(const std::string& path, int w, int h, const std::vector<unsigned char>& rgba) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

// A 16-glyph font (digits and a few letters) of 12x16 cells on a 256x16 page.
std::string writeFont(const std::string& dir) {
    std::vector<unsigned char> page(256 * 16 * 4, 255);
    writePng(dir + "/bench.png", 256, 16, page);
    std::string fnt =
        "info face=\"bench\" size=16\n"
        "common lineHeight=18 base=14 scaleW=256 scaleH=16 pages=1\n"
        "page id=0 file=\"bench.png\"\n"
        "chars count=16\n";
    const char* glyphs = "0123456789SCORE:";
    for (int i = 0; i < 16; ++i) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "char id=%d x=%d y=0 width=12 height=16 xoffset=0 yoffset=0 xadvance=13 page=0 chnl=15\n",
                      static_cast<int>(glyphs[i]), i * 13);
        fnt += line;
    }
    const std::string path = dir + "/bench.fnt";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return std::string();
    std::fwrite(fnt.data(), 1, fnt.size(), f);
    std::fclose(f);
    return path;
}

// What the reference needs of a glyph to place it, read from the same font.
struct GlyphBox {
    bool present = false;
    float xoffset = 0, top = 0, width = 0, height = 0, advance = 0;
    float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
};

struct Item {
    CCTexture2D* texture;
    kmMat4 world;
    std::vector<ccV3F_C4B_T2F_Quad> quads;  // node space
};

class Fixture {
public:
    Fixture() {
        // The GL view when there is a display, else headless.
        CCEGLView::sharedOpenGLView();
        CCDirector::sharedDirector();
        gl = ccGLHasContext();

        char tmpl[] = "/tmp/qvbench-engine-XXXXXX";
        dir = mkdtemp(tmpl) ? tmpl : "/tmp";

        std::vector<unsigned char> atlasPixels(256 * 256 * 4, 255);
        atlas = new CCTexture2D();
        atlas->initWithData(atlasPixels.data(), kCCTexture2DPixelFormat_RGBA8888, 256, 256, CCSize(256, 256));

        root = CCNode::create();
        root->retain();
        for (int l = 0; l < kLayers; ++l) {
            CCNode* layer = CCNode::create();
            layer->setPosition(CCPoint(static_cast<float>(l * 3), static_cast<float>(l * 2)));
            root->addChild(layer, l);
            for (int i = 0; i < kSprites / kLayers; ++i) {
                const int n = l * (kSprites / kLayers) + i;
                CCSpriteFrame* frame = CCSpriteFrame::createWithTexture(
                    atlas, CCRect(static_cast<float>((n % 8) * 32), static_cast<float>((n / 8 % 8) * 32), 32, 32));
                CCSprite* s = CCSprite::createWithSpriteFrame(frame);
                s->setPosition(CCPoint(static_cast<float>((n * 37) % 960), static_cast<float>((n * 53) % 640)));
                s->setRotation(static_cast<float>((n * 29) % 360));
                s->setScale(0.5f + static_cast<float>(n % 5) * 0.25f);
                layer->addChild(s);
                sprites.push_back(s);
            }
        }
        for (int f = 0; f < kTextFrames; ++f) {
            for (int i = 0; i < kLabels; ++i) std::snprintf(texts[f][i], sizeof texts[f][i], "%06d", textValue(f, i));
        }
        const std::string font = writeFont(dir);
        CCNode* labelLayer = CCNode::create();
        root->addChild(labelLayer, kLayers);
        for (int i = 0; i < kLabels; ++i) {
            CCLabelBMFont* label = CCLabelBMFont::create(texts[0][i], font.c_str());
            if (!label) continue;
            label->setPosition(CCPoint(static_cast<float>((i * 71) % 900), static_cast<float>((i * 31) % 620)));
            labelLayer->addChild(label);
            labels.push_back(label);
        }

        kmGLMatrixMode(KM_GL_PROJECTION);
        kmGLLoadIdentity();
        kmMat4 ortho;
        kmMat4OrthographicProjection(&ortho, 0, 960, 0, 640, -1024, 1024);
        kmGLLoadMatrix(&ortho);
        kmGLMatrixMode(KM_GL_MODELVIEW);
        kmGLLoadIdentity();

        // The reference sees exactly the quads and matrices the engine draws.
        for (CCSprite* s : sprites) {
            Item item{s->getTexture(), {}, {s->getQuad()}};
            kmMat4FromAffineTransform(&item.world, s->nodeToWorldTransform());
            items.push_back(item);
        }
        // The labels' matrices: every text has six glyphs of one advance, so
        // the content size, and with it the matrix, stays as it is.
        for (CCLabelBMFont* label : labels) {
            kmMat4 world;
            kmMat4FromAffineTransform(&world, label->nodeToWorldTransform());
            labelWorlds.push_back(world);
        }
        if (!labels.empty() && labels[0]->getConfiguration()) {
            CCBMFontConfiguration* config = labels[0]->getConfiguration();
            labelTexture = config->pageTexture(0);
            const bmfont::Font& f = config->font();
            lineHeight = static_cast<float>(f.lineHeight);
            const float texW = static_cast<float>(labelTexture->getPixelsWide());
            const float texH = static_cast<float>(labelTexture->getPixelsHigh());
            for (unsigned int c = 0; c < 128; ++c) {
                const bmfont::Glyph* g = f.glyph(c);
                if (!g) continue;
                GlyphBox& box = glyphs[c];
                box.present = true;
                box.xoffset = static_cast<float>(g->xoffset);
                box.top = -static_cast<float>(g->yoffset);
                box.width = static_cast<float>(g->width);
                box.height = static_cast<float>(g->height);
                box.advance = static_cast<float>(g->xadvance);
                box.u0 = static_cast<float>(g->x) / texW;
                box.u1 = static_cast<float>(g->x + g->width) / texW;
                box.v0 = static_cast<float>(g->y) / texH;
                box.v1 = static_cast<float>(g->y + g->height) / texH;
            }
        }
        // Nothing reads the font's files again: the parse and the page are held.
        std::error_code ignored;
        if (dir.rfind("/tmp/qvbench-engine-", 0) == 0) std::filesystem::remove_all(dir, ignored);
        vertices.reserve((kSprites + kLabels * 6) * 4);
        ccGLEndFrame();
    }

    ~Fixture() {
        root->release();
        atlas->release();
        CCPoolManager::sharedPoolManager()->drain();
    }

    // Six digits that change every frame for every label.
    static int textValue(int frame, int label) { return (label * 7919 + (frame + 1) * 104729) % 1000000; }

    void nextFrame() { textFrame = (textFrame + 1) % kTextFrames; }

    void engineFrame() {
        for (std::size_t i = 0; i < labels.size(); ++i) labels[i]->setString(texts[textFrame][i]);
        kmGLMatrixMode(KM_GL_MODELVIEW);
        kmGLLoadIdentity();
        root->visit();
        ccGLEndFrame();
        if (gl) glFinish();
    }

    void referenceFrame() {
        vertices.clear();
        CCTexture2D* current = nullptr;
        std::size_t start = 0;
        for (const Item& item : items) {
            if (item.texture != current) {
                drawReference(current, start);
                current = item.texture;
                start = vertices.size();
            }
            for (const ccV3F_C4B_T2F_Quad& q : item.quads) vertices.push_back(transformed(item.world, q));
        }
        // Each label's text laid out afresh: left aligned, one line whose top
        // is the line height, white premultiplied glyphs.
        if (!labels.empty() && labelTexture != current) {
            drawReference(current, start);
            current = labelTexture;
            start = vertices.size();
        }
        ccV3F_C4B_T2F_Quad glyphQuads[8];
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const std::size_t n = layOut(texts[textFrame][i], glyphQuads);
            for (std::size_t k = 0; k < n; ++k) vertices.push_back(transformed(labelWorlds[i], glyphQuads[k]));
        }
        drawReference(current, start);
        if (gl) glFinish();
    }

    // A text of at most eight glyphs in node space: left aligned, one line
    // whose top is the line height, white premultiplied glyphs.
    std::size_t layOut(const char* text, ccV3F_C4B_T2F_Quad* out) const {
        const ccColor4B white = {255, 255, 255, 255};
        std::size_t n = 0;
        float pen = 0;
        for (const char* c = text; *c && n < 8; ++c) {
            const GlyphBox& g = glyphs[static_cast<unsigned char>(*c) & 127];
            if (!g.present) continue;
            const float x0 = pen + g.xoffset, x1 = x0 + g.width;
            const float y1 = lineHeight + g.top, y0 = y1 - g.height;
            ccV3F_C4B_T2F_Quad& q = out[n++];
            q.tl = {{x0, y1, 0}, white, {g.u0, g.v0}};
            q.bl = {{x0, y0, 0}, white, {g.u0, g.v1}};
            q.tr = {{x1, y1, 0}, white, {g.u1, g.v0}};
            q.br = {{x1, y0, 0}, white, {g.u1, g.v1}};
            pen += g.advance;
        }
        return n;
    }

    // The reference must do the engine's work: its layout of a text gives
    // the engine's glyph quads, and a new text leaves the label's matrix.
    bool referenceMatchesEngine() {
        for (int f = 0; f < 2 && !labels.empty(); ++f) {
            CCLabelBMFont* label = labels[0];
            label->setString(texts[f][0]);
            ccV3F_C4B_T2F_Quad mine[8];
            const std::size_t n = layOut(texts[f][0], mine);
            const std::vector<ccV3F_C4B_T2F_Quad>& theirs = label->getGlyphQuads();
            if (n != theirs.size() || std::memcmp(mine, theirs.data(), n * sizeof mine[0]) != 0) return false;
            kmMat4 world;
            kmMat4FromAffineTransform(&world, label->nodeToWorldTransform());
            if (std::memcmp(&world, &labelWorlds[0], sizeof world) != 0) return false;
        }
        return true;
    }

    static ccV3F_C4B_T2F_Quad transformed(const kmMat4& world, ccV3F_C4B_T2F_Quad out) {
        const float* m = world.mat;
        for (ccV3F_C4B_T2F* v : {&out.tl, &out.bl, &out.tr, &out.br}) {
            const float x = v->vertices.x, y = v->vertices.y;
            v->vertices.x = m[0] * x + m[4] * y + m[12];
            v->vertices.y = m[1] * x + m[5] * y + m[13];
            v->vertices.z = m[2] * x + m[6] * y + m[14];
        }
        return out;
    }

    void drawReference(CCTexture2D* texture, std::size_t start) {
        if (!gl || vertices.size() == start) return;
        static std::vector<GLushort> indices;
        const std::size_t quads = vertices.size() - start;
        if (indices.size() < quads * 6) {
            indices.resize(quads * 6);
            for (std::size_t i = 0; i < quads; ++i) {
                const GLushort b = static_cast<GLushort>(i * 4);
                const GLushort idx[6] = {
                    b, GLushort(b + 1), GLushort(b + 2), GLushort(b + 3), GLushort(b + 2), GLushort(b + 1)};
                std::memcpy(&indices[i * 6], idx, sizeof idx);
            }
        }
        CCGLProgram* p = CCShaderCache::sharedShaderCache()->programForKey(kCCShader_PositionTextureColor);
        kmMat4 identity;
        kmMat4Identity(&identity);
        p->use();
        p->setUniformsForBuiltins(identity);
        ccGLBindTexture2D(texture ? texture->getName() : 0);
        ccGLBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        ccGLEnableVertexAttribs(kCCVertexAttribFlag_PosColorTex);
        const char* base = reinterpret_cast<const char*>(&vertices[start]);
        const GLsizei stride = sizeof(ccV3F_C4B_T2F);
        glVertexAttribPointer(kCCVertexAttrib_Position, 3, GL_FLOAT, GL_FALSE, stride, base);
        glVertexAttribPointer(kCCVertexAttrib_Color, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, base + 12);
        glVertexAttribPointer(kCCVertexAttrib_TexCoords, 2, GL_FLOAT, GL_FALSE, stride, base + 16);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(quads * 6), GL_UNSIGNED_SHORT, indices.data());
    }

    bool gl = false;
    std::string dir;
    CCTexture2D* atlas = nullptr;
    CCNode* root = nullptr;
    std::vector<CCSprite*> sprites;
    std::vector<CCLabelBMFont*> labels;
    std::vector<Item> items;  // the sprites
    char texts[kTextFrames][kLabels][8] = {};
    int textFrame = 0;
    std::vector<kmMat4> labelWorlds;
    CCTexture2D* labelTexture = nullptr;
    GlyphBox glyphs[128];
    float lineHeight = 0;
    std::vector<ccV3F_C4B_T2F_Quad> vertices;
};

void BM_EngineFrame(benchmark::State& state) {
    static Fixture* fixture = new Fixture();  // one window and scene per process
    using Clock = std::chrono::steady_clock;
    if (!fixture->referenceMatchesEngine()) {
        state.SkipWithError("the reference's label layout differs from the engine's");
        return;
    }
    double engineSeconds = 0, referenceSeconds = 0;
    unsigned int drawCalls = 0;
    for (auto _ : state) {
        fixture->nextFrame();
        const auto t0 = Clock::now();
        fixture->engineFrame();
        const auto t1 = Clock::now();
        fixture->referenceFrame();
        const auto t2 = Clock::now();
        const double e = std::chrono::duration<double>(t1 - t0).count();
        engineSeconds += e;
        referenceSeconds += std::chrono::duration<double>(t2 - t1).count();
        drawCalls = ccGLDrawCallsLastFrame();
        state.SetIterationTime(e);
        benchmark::DoNotOptimize(fixture->vertices.data());
    }
    state.counters["draw_calls"] = drawCalls;
    state.counters["ratio"] = referenceSeconds > 0 ? engineSeconds / referenceSeconds : 0;
    state.counters["gl"] = fixture->gl ? 1 : 0;
    state.counters["quads"] = static_cast<double>(fixture->vertices.size());
}

}  // namespace

BENCHMARK(BM_EngineFrame)->Name("EngineFrame")->UseManualTime()->Unit(benchmark::kMicrosecond);
