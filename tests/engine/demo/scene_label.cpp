// `engine_demo --scene label`: three labels of a 20x20 four-glyph font (A red,
// B green, C blue, D white; advance 20, line height 24, kerning A->D -10),
// all anchored at (0, 0):
//   "ABC" with tracking 5 at (100, 400);
//   "AD" at (100, 300);
//   "A\nBB" centred at (100, 100).
// Prints each label's content size.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "demo_registry.h"
#include "text_fx_assets.h"

using namespace cocos2d;

namespace {

const char* kFont =
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

std::vector<uint8_t> fontPage() {
    const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    std::vector<uint8_t> px;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 80; ++x) {
            const uint8_t* c = colours[x / 20];
            px.insert(px.end(), {c[0], c[1], c[2], 255});
        }
    }
    return px;
}

class LabelDemo : public DemoScene {
public:
    unsigned int defaultFrames() const override { return 3; }
    CCScene* createScene() override {
        if (!m_assets.writePng("demo_font.png", 80, 20, fontPage()) || !m_assets.writeText("demo.fnt", kFont)) {
            return nullptr;
        }
        const std::string font = m_assets.path("demo.fnt");

        CCScene* scene = CCScene::create();
        struct Spec {
            const char* text;
            const char* name;
            int tracking;
            CCTextAlignment alignment;
            CCPoint position;
        };
        const Spec specs[] = {
            {"ABC", "ABC", 5, kCCTextAlignmentLeft, ccp(100, 400)},
            {"AD", "AD", 0, kCCTextAlignmentLeft, ccp(100, 300)},
            {"A\nBB", "A/BB", 0, kCCTextAlignmentCenter, ccp(100, 100)},
        };
        for (const Spec& s : specs) {
            CCLabelBMFont* label = CCLabelBMFont::create(s.text, font.c_str(), -1, s.alignment, CCPointZero);
            if (!label) return nullptr;
            label->setTracking(s.tracking);
            label->setAnchorPoint(ccp(0, 0));
            label->setPosition(s.position);
            scene->addChild(label);
            const CCSize size = label->getContentSize();
            std::printf("label %s %gx%g\n", s.name, size.width, size.height);
        }
        std::fflush(stdout);
        return scene;
    }

private:
    TextFxAssets m_assets;
};

ENGINE_DEMO_SCENE("label", LabelDemo);

}  // namespace
