// Drawing demos (GL coordinates, 960x640):
//   primitives  the loading-bar pattern from a parent's visit: ccDrawRect
//               (280,300)-(680,340) and ccDrawSolidRect (280,300)-(480,340)
//               in (0.75, 0.75, 0.75, 0.75)
//   sprites     atlas frames (plain, rotated, trimmed), opacity, tint and a
//               stretched 1x1 texture
//   batchorder  red sprite, raw client-array green fan, red sprite of the
//               same texture; prints the draw calls of frame 2 ("draws N")
//   mirror      an 80x80 red-over-green block above a 100x100 mirror at
//               (480,310), reflected through a render texture and a data
//               shader that halves every channel
//   label       a 20x20 four-glyph font (A red, B green, C blue, D white;
//               advance 20, line height 24, kerning A->D -10), anchored at
//               (0,0): "ABC" tracked 5 at (100,400), "AD" at (100,300) and
//               "A\nBB" centred at (100,100); prints each content size
//   particles   one emitter seeded with 1 at (480,320): total 500, rate 200,
//               life 1, speed 60 +- 20, angle 90 +- 180, red, size 8, 8x8
//               white texture; prints the count at frame 59, which a seeded
//               run repeats exactly, headless or not
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo_registry.h"

using namespace cocos2d;

namespace {

// ---- primitives

class BarParent : public CCNode {
public:
    void visit() override {
        CCNode::visit();
        // As a loading bar does: outline and fill in the parent's space.
        ccDrawColor4F(0.75f, 0.75f, 0.75f, 0.75f);
        ccDrawRect(CCPoint(280, 300), CCPoint(680, 340));
        ccDrawSolidRect(CCPoint(280, 300), CCPoint(480, 340), ccc4f(0.75f, 0.75f, 0.75f, 0.75f));
    }
};

ENGINE_DEMO_SIMPLE("primitives", 3, [] {
    auto* bar = new BarParent();
    bar->init();
    bar->autorelease();
    return demoScene({bar});
});

// ---- sprites

void fill(std::vector<unsigned char>* rgb, int sheetW, int x0, int y0, int w, int h, std::vector<unsigned char> c) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) std::copy(c.begin(), c.end(), rgb->begin() + (y * sheetW + x) * 3);
}

std::string plistFrame(const std::string& name, const std::string& rect, const std::string& offset,
                       const std::string& source, bool rotated) {
    return "<key>" + name + "</key><dict><key>frame</key><string>" + rect + "</string><key>offset</key><string>" +
           offset + "</string><key>rotated</key>" + (rotated ? "<true/>" : "<false/>") +
           "<key>sourceSize</key><string>" + source + "</string></dict>";
}

ENGINE_DEMO_SIMPLE("sprites", 3, []() -> CCScene* {
    // The sheet, top-left origin: red 64x64; duo 96x48 stored rotated
    // (48 wide, 96 tall, turned clockwise: its green left half on top);
    // trim's 32x32 blue square; white 16x16.
    const int w = 256, h = 128;
    std::vector<unsigned char> rgb(w * h * 3, 0);
    fill(&rgb, w, 0, 0, 64, 64, {255, 0, 0});
    fill(&rgb, w, 64, 0, 48, 48, {0, 255, 0});
    fill(&rgb, w, 64, 48, 48, 48, {255, 255, 0});
    fill(&rgb, w, 112, 0, 32, 32, {0, 0, 255});
    fill(&rgb, w, 144, 0, 16, 16, {255, 255, 255});
    const std::string plist = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>frames</key><dict>" +
                              plistFrame("red", "{{0,0},{64,64}}", "{0,0}", "{64,64}", false) +
                              plistFrame("duo", "{{64,0},{96,48}}", "{0,0}", "{96,48}", true) +
                              plistFrame("trim", "{{112,0},{32,32}}", "{16,16}", "{64,64}", false) +
                              plistFrame("white", "{{144,0},{16,16}}", "{0,0}", "{16,16}", false) +
                              "</dict><key>metadata</key><dict><key>format</key><integer>2</integer>"
                              "<key>textureFileName</key><string>sheet.png</string></dict></dict></plist>\n";
    const std::string sheet = demoFile("sheet.plist", plist);
    if (demoPng("sheet.png", w, h, rgb).empty() || sheet.empty()) return nullptr;
    CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFramesWithFile(sheet.c_str());

    CCScene* scene = CCScene::create();
    const struct {
        const char* frame;
        float x, y;
    } plain[] = {{"red", 160, 480}, {"duo", 480, 480}, {"trim", 800, 480}};
    for (const auto& p : plain) {
        CCSprite* sprite = CCSprite::createWithSpriteFrameName(p.frame);
        if (!sprite) return nullptr;
        sprite->setPosition(p.x, p.y);
        scene->addChild(sprite);
    }
    CCSprite* faded = CCSprite::createWithSpriteFrameName("red");
    faded->setPosition(160, 160);
    faded->setOpacity(128);
    scene->addChild(faded);
    CCSprite* tinted = CCSprite::createWithSpriteFrameName("white");
    tinted->setPosition(480, 160);
    tinted->setColor(ccc3(255, 128, 0));
    scene->addChild(tinted);
    scene->addChild(demoBlock(demoSolidTexture(0, 255, 255), 800, 160, 100, 50));
    return scene;
});

// ---- batch order

// Raw GL as game code draws a light: client arrays after a flush point.
void drawGreenFan() {
    CCGLProgram* program = CCShaderCache::sharedShaderCache()->programForKey(kCCShader_Position_uColor);
    program->use();
    program->setUniformsForBuiltins();
    program->setUniformLocationWith4f(program->getUniformLocationForName("u_color"), 0, 1, 0, 1);
    ccGLBlendResetToCache();
    ccGLEnableVertexAttribs(kCCVertexAttribFlag_Position);
    const GLfloat fan[] = {420, 270, 520, 270, 520, 370, 420, 370};
    if (ccGLHasContext()) {
        glVertexAttribPointer(kCCVertexAttrib_Position, 2, GL_FLOAT, GL_FALSE, 0, fan);
        glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    }
    CC_INCREMENT_GL_DRAWS(1);
}

ENGINE_DEMO_SIMPLE("batchorder", 3, [] {
    CCTexture2D* red = demoSolidTexture(255, 0, 0);
    return demoScene({demoBlock(red, 400, 320, 100, 100), demoDrawNode(drawGreenFan),
                      demoBlock(red, 540, 320, 100, 100), demoTickNode([](unsigned int frame, float) {
                          if (frame == 3)
                              demoSay("draws " + std::to_string(CCDirector::sharedDirector()->getDrawCalls()));
                      })});
});

// ---- mirror

const char* const kReflectionShader =
    "#ifdef GL_ES\n"
    "precision mediump float;\n"
    "#endif\n"
    "varying vec4 v_fragmentColor;\n"
    "varying vec2 v_texCoord;\n"
    "uniform vec4 u_shadeColor;\n"
    "void main() {\n"
    "    gl_FragColor = texture2D(CC_Texture0, v_texCoord) * u_shadeColor;\n"
    "}\n";

// A water mirror: captures the 100-point band above itself into a render
// texture, then draws it flipped at its own place through a tinting shader.
class Mirror : public CCNode {
public:
    bool setUp(const std::string& shaderPath) {
        setContentSize(CCSize(100, 100));
        setAnchorPoint(CCPoint(0.5f, 0.5f));
        m_texture = CCRenderTexture::create(100, 100);
        if (!m_texture) return false;
        m_texture->retain();
        unsigned long size = 0;
        unsigned char* data = CCFileUtils::sharedFileUtils()->getFileData(shaderPath, "rt", &size);
        if (!data) return false;
        const std::string source(reinterpret_cast<const char*>(data), size);
        std::free(data);  // getFileData's buffer comes from malloc
        auto* program = new CCGLProgram();
        program->initWithVertexShaderByteArray(ccPositionTextureA8Color_vert, source.c_str());
        program->addAttribute("a_position", 0);
        program->addAttribute("a_texCoord", 2);
        program->link();
        program->updateUniforms();
        program->use();
        m_texture->getSprite()->setShaderProgram(program);
        program->setUniformLocationWith4f(program->getUniformLocationForName("u_shadeColor"), 0.5f, 0.5f, 0.5f, 0.5f);
        program->release();
        return true;
    }
    ~Mirror() override {
        if (m_texture) m_texture->release();
    }
    void beginCapture() {
        setVisible(false);
        m_texture->beginWithClear(0, 0, 0, 0);
        const CCPoint pos = getPosition();
        // The band above the mirror lands at texel (0, 0).
        kmGLTranslatef(50 - pos.x, 50 - 100 - pos.y, 0);
    }
    void endCapture() {
        m_texture->end();
        setVisible(true);
    }
    void visit() override {
        CCNode::visit();
        if (!isVisible()) return;
        m_texture->setPosition(getPosition());
        m_texture->setScaleY(-1);
        m_texture->visit();
    }

private:
    CCRenderTexture* m_texture = nullptr;
};

class MirrorScene : public CCScene {
public:
    Mirror* mirror = nullptr;
    void visit() override {
        mirror->beginCapture();
        CCScene::visit();
        mirror->endCapture();
        CCScene::visit();
    }
};

ENGINE_DEMO_SIMPLE("mirror", 3, []() -> CCScene* {
    const std::string shader = demoFile("WaterReflection.fsh", kReflectionShader);
    auto* scene = new MirrorScene();
    scene->init();
    scene->autorelease();
    scene->addChild(demoBlock(demoSolidTexture(255, 0, 0), 480, 430, 80, 40));
    scene->addChild(demoBlock(demoSolidTexture(0, 255, 0), 480, 390, 80, 40));
    auto* mirror = new Mirror();
    mirror->init();
    mirror->autorelease();
    if (shader.empty() || !mirror->setUp(shader)) return nullptr;
    mirror->setPosition(480, 310);
    scene->addChild(mirror);
    scene->mirror = mirror;
    return scene;
});

// ---- label

const char* const kFont =
    "info face=\"Demo\" size=20 bold=0 italic=0 charset=\"\" unicode=1 padding=0,0,0,0 spacing=0,0\n"
    "common lineHeight=24 base=20 scaleW=80 scaleH=20 pages=1 packed=0\n"
    "page id=0 file=\"demo_font.png\"\n"
    "chars count=4\n"
    "char id=65 x=0  y=0 width=20 height=20 xoffset=0 yoffset=0 xadvance=20 page=0 chnl=15\n"
    "char id=66 x=20 y=0 width=20 height=20 xoffset=0 yoffset=0 xadvance=20 page=0 chnl=15\n"
    "char id=67 x=40 y=0 width=20 height=20 xoffset=0 yoffset=0 xadvance=20 page=0 chnl=15\n"
    "char id=68 x=60 y=0 width=20 height=20 xoffset=0 yoffset=0 xadvance=20 page=0 chnl=15\n"
    "kernings count=1\n"
    "kerning first=65 second=68 amount=-10\n";

ENGINE_DEMO_SIMPLE("label", 3, []() -> CCScene* {
    std::vector<unsigned char> page(80 * 20 * 3, 0);
    const std::vector<unsigned char> colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int i = 0; i < 4; ++i) fill(&page, 80, i * 20, 0, 20, 20, colours[i]);
    const std::string font = demoFile("demo.fnt", kFont);
    if (demoPng("demo_font.png", 80, 20, page).empty() || font.empty()) return nullptr;
    CCScene* scene = CCScene::create();
    const struct {
        const char *text, *name;
        int tracking;
        CCTextAlignment alignment;
        CCPoint position;
    } specs[] = {
        {"ABC", "ABC", 5, kCCTextAlignmentLeft, ccp(100, 400)},
        {"AD", "AD", 0, kCCTextAlignmentLeft, ccp(100, 300)},
        {"A\nBB", "A/BB", 0, kCCTextAlignmentCenter, ccp(100, 100)},
    };
    for (const auto& s : specs) {
        CCLabelBMFont* label = CCLabelBMFont::create(s.text, font.c_str(), -1, s.alignment, CCPointZero);
        if (!label) return nullptr;
        label->setTracking(s.tracking);
        label->setAnchorPoint(ccp(0, 0));
        label->setPosition(s.position);
        scene->addChild(label);
        char line[64];
        std::snprintf(line, sizeof line, "label %s %gx%g", s.name, label->getContentSize().width,
                      label->getContentSize().height);
        demoSay(line);
    }
    return scene;
});

// ---- particles

ENGINE_DEMO_SIMPLE("particles", 60, []() -> CCScene* {
    const std::string png = demoPng("particle.png", 8, 8, std::vector<unsigned char>(8 * 8 * 3, 255));
    CCTexture2D* texture = png.empty() ? nullptr : CCTextureCache::sharedTextureCache()->addImage(png.c_str());
    if (!texture) return nullptr;
    compat::srand(1);
    CCParticleSystemQuad* emitter = CCParticleSystemQuad::create();
    emitter->initWithTotalParticles(500);
    emitter->setEmitterMode(kCCParticleModeGravity);
    emitter->setDuration(-1);
    emitter->setTexture(texture);
    emitter->setEmissionRate(200);
    emitter->setLife(1);
    emitter->setSpeed(60);
    emitter->setSpeedVar(20);
    emitter->setAngle(90);
    emitter->setAngleVar(180);
    emitter->setStartSize(8);
    emitter->setStartColor(ccc4f(1, 0, 0, 1));
    emitter->setEndColor(ccc4f(1, 0, 0, 1));
    emitter->setPosition(ccp(480, 320));
    CCDirector::sharedDirector()->addFrameHook([emitter](unsigned int frame) {
        if (frame == 59) demoSay("frame 59 particles " + std::to_string(emitter->getParticleCount()));
    });
    return demoScene({emitter});
});

}  // namespace
