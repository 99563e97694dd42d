// --scene touchlog: one line per touch, "began X,Y moved X,Y ... ended X,Y"
// in GL points (or "... cancelled").
#include <cmath>
#include <string>

#include "demo_registry.h"

using namespace cocos2d;

namespace {

std::string point(const CCPoint& p) {
    return std::to_string(std::lround(p.x)) + "," + std::to_string(std::lround(p.y));
}

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
        demoSay(m_line + " ended " + point(touch->getLocation()));
        m_line.clear();
    }
    void ccTouchCancelled(CCTouch*, CCEvent*) override {
        demoSay(m_line + " cancelled");
        m_line.clear();
    }

private:
    std::string m_line;
};

class TouchLogDemo : public DemoScene {
public:
    CCScene* createScene() override {
        CCScene* scene = CCScene::create();
        scene->addChild(TouchLog::create());
        return scene;
    }
};

ENGINE_DEMO_SCENE("touchlog", TouchLogDemo);

}  // namespace
