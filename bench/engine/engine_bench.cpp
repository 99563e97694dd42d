// EngineFrame: one engine frame of 2,000 atlas sprites in four layers plus
// 200 six-character labels above them, timed against a hand-written loop that
// transforms the same node-space quads by the same world matrices into one
// vertex array (and, with a GL context, uploads and draws it once per texture).
// Both run in the same iteration, interleaved; `ratio` = engine / reference.
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "director/CCDirector.h"
#include "view/CCEGLView.h"
#include "frames/CCSpriteFrame.h"
#include "gl/CCGL.h"
#include "gl/CCGLProgram.h"
#include "gl/QuadBatcher.h"
#include "gl/CCShaderCache.h"
#include "gl/ccGLStateCache.h"
#include "label/CCBMFontConfiguration.h"
#include "label/CCLabelBMFont.h"
#include "math/kazmath.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"

using namespace cocos2d;

namespace {

constexpr int kSprites = 2000;
constexpr int kLayers = 4;
constexpr int kLabels = 200;

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
        const std::string font = writeFont(dir);
        CCNode* labelLayer = CCNode::create();
        root->addChild(labelLayer, kLayers);
        for (int i = 0; i < kLabels; ++i) {
            CCLabelBMFont* label = CCLabelBMFont::create(text(i).c_str(), font.c_str());
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
        for (CCLabelBMFont* label : labels) {
            if (label->getGlyphQuads().empty()) continue;
            Item item{label->getConfiguration() ? label->getConfiguration()->pageTexture(0) : nullptr, {},
                      label->getGlyphQuads()};
            kmMat4FromAffineTransform(&item.world, label->nodeToWorldTransform());
            items.push_back(item);
        }
        vertices.reserve((kSprites + kLabels * 6) * 4);
        ccGLEndFrame();
    }

    ~Fixture() {
        root->release();
        atlas->release();
        CCPoolManager::sharedPoolManager()->drain();
        std::string cmd = "rm -rf '" + dir + "'";
        if (dir.rfind("/tmp/qvbench-engine-", 0) == 0) (void)std::system(cmd.c_str());
    }

    static std::string text(int i) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%06d", (i * 7919) % 1000000);
        return buf;
    }

    void engineFrame() {
        for (std::size_t i = 0; i < labels.size(); ++i) labels[i]->setString(text(static_cast<int>(i)).c_str());
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
            const float* m = item.world.mat;
            for (const ccV3F_C4B_T2F_Quad& q : item.quads) {
                ccV3F_C4B_T2F_Quad out = q;
                for (ccV3F_C4B_T2F* v : {&out.tl, &out.bl, &out.tr, &out.br}) {
                    const float x = v->vertices.x, y = v->vertices.y;
                    v->vertices.x = m[0] * x + m[4] * y + m[12];
                    v->vertices.y = m[1] * x + m[5] * y + m[13];
                    v->vertices.z = m[2] * x + m[6] * y + m[14];
                }
                vertices.push_back(out);
            }
        }
        drawReference(current, start);
        if (gl) glFinish();
    }

    void drawReference(CCTexture2D* texture, std::size_t start) {
        if (!gl || vertices.size() == start) return;
        static std::vector<GLushort> indices;
        const std::size_t quads = vertices.size() - start;
        if (indices.size() < quads * 6) {
            indices.resize(quads * 6);
            for (std::size_t i = 0; i < quads; ++i) {
                const GLushort b = static_cast<GLushort>(i * 4);
                const GLushort idx[6] = {b, GLushort(b + 1), GLushort(b + 2), GLushort(b + 3), GLushort(b + 2),
                                         GLushort(b + 1)};
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
    std::vector<Item> items;
    std::vector<ccV3F_C4B_T2F_Quad> vertices;
};

void BM_EngineFrame(benchmark::State& state) {
    static Fixture* fixture = new Fixture();  // one window and scene per process
    using Clock = std::chrono::steady_clock;
    double engineSeconds = 0, referenceSeconds = 0;
    unsigned int drawCalls = 0;
    for (auto _ : state) {
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
