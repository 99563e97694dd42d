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
#include <cstdlib>
#include <string>
#include <vector>

#include "demo_registry.h"
#include "text_fx_assets.h"

using namespace cocos2d;

namespace {

CCTexture2D* solidTexture(GLubyte r, GLubyte g, GLubyte b) {
    const GLubyte pixel[4] = {r, g, b, 255};
    auto* texture = new CCTexture2D();
    texture->initWithData(pixel, kCCTexture2DPixelFormat_RGBA8888, 1, 1, CCSize(1, 1));
    texture->autorelease();
    return texture;
}

CCSprite* block(CCTexture2D* texture, float x, float y, float w, float h) {
    CCSprite* sprite = CCSprite::createWithTexture(texture);
    sprite->setTextureRect(CCRect(0, 0, w, h));
    sprite->setPosition(x, y);
    return sprite;
}

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

class PrimitivesDemo : public DemoScene {
public:
    unsigned int defaultFrames() const override { return 3; }
    CCScene* createScene() override {
        CCScene* scene = CCScene::create();
        auto* bar = new BarParent();
        bar->init();
        bar->autorelease();
        scene->addChild(bar);
        return scene;
    }
};
ENGINE_DEMO_SCENE("primitives", PrimitivesDemo);

// ---- sprites

void fill(std::vector<uint8_t>* rgba, int sheetW, int x0, int y0, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            uint8_t* px = &(*rgba)[(static_cast<std::size_t>(y) * static_cast<std::size_t>(sheetW) +
                                   static_cast<std::size_t>(x)) * 4u];
            px[0] = r;
            px[1] = g;
            px[2] = b;
            px[3] = 255;
        }
    }
}

std::string plistFrame(const std::string& name, const std::string& rect, const std::string& offset,
                       const std::string& source, bool rotated) {
    return "<key>" + name + "</key><dict><key>frame</key><string>" + rect + "</string><key>offset</key><string>" +
           offset + "</string><key>rotated</key>" + (rotated ? "<true/>" : "<false/>") +
           "<key>sourceSize</key><string>" + source + "</string></dict>";
}

class SpritesDemo : public DemoScene {
public:
    unsigned int defaultFrames() const override { return 3; }
    CCScene* createScene() override {
        // The sheet, top-left origin: red 64x64; duo 96x48 stored rotated
        // (48 wide, 96 tall, turned clockwise: its green left half on top);
        // trim's 32x32 blue square; white 16x16.
        const int w = 256, h = 128;
        std::vector<uint8_t> rgba(static_cast<std::size_t>(w) * h * 4u, 0);
        fill(&rgba, w, 0, 0, 64, 64, 255, 0, 0);
        fill(&rgba, w, 64, 0, 48, 48, 0, 255, 0);
        fill(&rgba, w, 64, 48, 48, 48, 255, 255, 0);
        fill(&rgba, w, 112, 0, 32, 32, 0, 0, 255);
        fill(&rgba, w, 144, 0, 16, 16, 255, 255, 255);
        const std::string plist =
            "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>frames</key><dict>" +
            plistFrame("red", "{{0,0},{64,64}}", "{0,0}", "{64,64}", false) +
            plistFrame("duo", "{{64,0},{96,48}}", "{0,0}", "{96,48}", true) +
            plistFrame("trim", "{{112,0},{32,32}}", "{16,16}", "{64,64}", false) +
            plistFrame("white", "{{144,0},{16,16}}", "{0,0}", "{16,16}", false) +
            "</dict><key>metadata</key><dict><key>format</key><integer>2</integer>"
            "<key>textureFileName</key><string>sheet.png</string></dict></dict></plist>\n";
        if (!m_assets.ok() || !m_assets.writePng("sheet.png", w, h, rgba) || !m_assets.writeText("sheet.plist", plist))
            return nullptr;
        CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFramesWithFile(m_assets.path("sheet.plist").c_str());

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
        scene->addChild(block(solidTexture(0, 255, 255), 800, 160, 100, 50));
        return scene;
    }

private:
    TextFxAssets m_assets;
};
ENGINE_DEMO_SCENE("sprites", SpritesDemo);

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

class BatchOrderDemo : public DemoScene {
public:
    unsigned int defaultFrames() const override { return 3; }
    CCScene* createScene() override {
        CCScene* scene = CCScene::create();
        CCTexture2D* red = solidTexture(255, 0, 0);
        scene->addChild(block(red, 400, 320, 100, 100), 0);
        scene->addChild(demoDrawNode(drawGreenFan), 1);
        scene->addChild(block(red, 540, 320, 100, 100), 2);
        scene->addChild(demoTickNode([](unsigned int frame, float) {
            if (frame == 3) demoSay("draws " + std::to_string(CCDirector::sharedDirector()->getDrawCalls()));
        }));
        return scene;
    }
};
ENGINE_DEMO_SCENE("batchorder", BatchOrderDemo);

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
        if (!data) return true;  // untinted, as without the file
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
        kmGLTranslatef(50, 50, 0);
        kmGLRotatef(-getRotation(), 0, 0, 1);
        kmGLTranslatef(-50, -50, 0);
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
        m_texture->setRotation(getRotation());
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

class MirrorDemo : public DemoScene {
public:
    unsigned int defaultFrames() const override { return 3; }
    CCScene* createScene() override {
        if (!m_assets.ok() || !m_assets.writeText("WaterReflection.fsh", kReflectionShader)) return nullptr;
        auto* scene = new MirrorScene();
        scene->init();
        scene->autorelease();
        scene->addChild(block(solidTexture(255, 0, 0), 480, 430, 80, 40));
        scene->addChild(block(solidTexture(0, 255, 0), 480, 390, 80, 40));
        auto* mirror = new Mirror();
        mirror->init();
        mirror->autorelease();
        if (!mirror->setUp(m_assets.path("WaterReflection.fsh"))) return nullptr;
        mirror->setPosition(480, 310);
        scene->addChild(mirror);
        scene->mirror = mirror;
        return scene;
    }

private:
    TextFxAssets m_assets;
};
ENGINE_DEMO_SCENE("mirror", MirrorDemo);

}  // namespace
