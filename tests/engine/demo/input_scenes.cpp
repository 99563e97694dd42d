#include "input_scenes.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cocos2d.h"
#include "input/CCViewInput.h"

using namespace cocos2d;

namespace {

struct Options {
    std::string scene;
    float frameW = 960, frameH = 640;
    float designW = 960, designH = 640;
    int policy = kResolutionExactFit;
};

bool parseSize(const char* text, float* w, float* h) {
    int a = 0, b = 0;
    char tail = 0;
    if (std::sscanf(text, "%dx%d%c", &a, &b, &tail) != 2 || a < 1 || b < 1 || a > 16384 || b > 16384) return false;
    *w = static_cast<float>(a);
    *h = static_cast<float>(b);
    return true;
}

bool parseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) return false;
        if (std::strcmp(arg, "--scene") == 0) {
            options->scene = value;
        } else if (std::strcmp(arg, "--frame") == 0) {
            if (!parseSize(value, &options->frameW, &options->frameH)) return false;
        } else if (std::strcmp(arg, "--design") == 0) {
            if (!parseSize(value, &options->designW, &options->designH)) return false;
        } else if (std::strcmp(arg, "--policy") == 0) {
            char* end = nullptr;
            const long policy = std::strtol(value, &end, 10);
            if (*end || policy < 0 || policy > INT_MAX) return false;
            options->policy = static_cast<int>(policy);
        } else {
            return false;
        }
        ++i;
    }
    return true;
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string point(const CCPoint& p) {
    return std::to_string(std::lround(p.x)) + "," + std::to_string(std::lround(p.y));
}

// Delivers the script once per frame from the first scheduled update. The
// loop may deliver it itself before the tick; each frame's events go out
// once either way.
class ScriptPump : public CCNode {
public:
    static ScriptPump* create() {
        auto* pump = new ScriptPump();
        pump->autorelease();
        return pump;
    }
    void onEnter() override {
        CCNode::onEnter();
        scheduleUpdateWithPriority(INT_MIN);
    }
    void update(float) override { viewInputDeliverScript(CCDirector::sharedDirector()->getTotalFrames() + 1, nullptr); }
};

// ---- touchlog

class TouchLog : public CCLayer {
public:
    static TouchLog* create() {
        auto* layer = new TouchLog();
        layer->init();
        layer->autorelease();
        layer->setTouchMode(kCCTouchesOneByOne);
        layer->setTouchEnabled(true);
        return layer;
    }
    bool ccTouchBegan(CCTouch* touch, CCEvent*) override {
        m_line = "began " + point(touch->getLocation());
        return true;
    }
    void ccTouchMoved(CCTouch* touch, CCEvent*) override { m_line += " moved " + point(touch->getLocation()); }
    void ccTouchEnded(CCTouch* touch, CCEvent*) override {
        say(m_line + " ended " + point(touch->getLocation()));
        m_line.clear();
    }
    void ccTouchCancelled(CCTouch*, CCEvent*) override {
        say(m_line + " cancelled");
        m_line.clear();
    }

private:
    std::string m_line;
};

// ---- menu

CCSprite* colourSprite(GLubyte r, GLubyte g, GLubyte b, float w, float h) {
    const GLubyte pixel[4] = {255, 255, 255, 255};
    auto* texture = new CCTexture2D();
    texture->initWithData(pixel, kCCTexture2DPixelFormat_RGBA8888, 1, 1, CCSize(1, 1));
    CCSprite* sprite = CCSprite::createWithTexture(texture);
    texture->release();
    sprite->setTextureRect(CCRect(0, 0, w, h));
    sprite->setColor(ccc3(r, g, b));
    return sprite;
}

class MenuLayer : public CCLayer {
public:
    static MenuLayer* create() {
        auto* layer = new MenuLayer();
        layer->init();
        layer->autorelease();
        layer->build();
        return layer;
    }
    void activated(CCObject* sender) { say(std::string("activated ") + static_cast<char>(static_cast<CCNode*>(sender)->getTag())); }

private:
    CCMenuItemSprite* item(char name, GLubyte r, GLubyte g, GLubyte b, float x, float y) {
        CCSprite* normal = colourSprite(r, g, b, 200, 100);
        CCSprite* selected = colourSprite(r / 2 + (r & 1), g / 2 + (g & 1), b / 2 + (b & 1), 200, 100);
        CCMenuItemSprite* it = CCMenuItemSprite::create(normal, selected, this, menu_selector(MenuLayer::activated));
        it->setTag(name);
        it->setPosition(x, y);
        return it;
    }
    CCMenu* menu(bool swallow, int priority, CCMenuItem* it) {
        CCMenu* m = CCMenu::create(swallow);
        m->setAnchorPoint(CCPointZero);
        m->setPosition(CCPointZero);
        m->setTouchPriority(priority);
        m->addChild(it);
        return m;
    }
    void build() {
        addChild(menu(true, 0, item('A', 255, 0, 0, 480, 320)), 0);
        addChild(menu(true, -10, item('B', 255, 255, 255, 480, 320)), 10);
        // A dialog's menu on a hidden layer must not take touches.
        CCLayer* hidden = CCLayer::create();
        hidden->setVisible(false);
        hidden->addChild(menu(true, -30, item('E', 0, 0, 255, 480, 320)));
        addChild(hidden, 20);
        addChild(menu(false, -20, item('C', 0, 255, 0, 480, 120)), 0);
        addChild(menu(true, 0, item('D', 255, 255, 0, 480, 120)), 0);
    }
};

class InputApp : public CCApplication {
public:
    explicit InputApp(const Options& options) : m_options(options) {}
    bool applicationDidFinishLaunching() override {
        CCDirector* director = CCDirector::sharedDirector();
        CCEGLView* view = CCEGLView::sharedOpenGLView();
        view->setFrameSize(m_options.frameW, m_options.frameH);
        director->setOpenGLView(view);
        view->setDesignResolutionSize(m_options.designW, m_options.designH, m_options.policy);
        if (!viewInputBeginRun()) return false;
        CCScene* scene = CCScene::create();
        scene->addChild(ScriptPump::create());
        if (m_options.scene == "touchlog") {
            scene->addChild(TouchLog::create());
        } else {
            scene->addChild(MenuLayer::create());
        }
        director->runWithScene(scene);
        return true;
    }

private:
    Options m_options;
};

}  // namespace

bool runInputScene(int argc, char** argv, int* status) {
    Options options;
    if (!parseOptions(argc, argv, &options) || (options.scene != "touchlog" && options.scene != "menu")) return false;
    InputApp app(options);
    *status = app.run();
    viewInputEndRun();
    return true;
}
