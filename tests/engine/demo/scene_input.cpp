// Input demos:
//   touchlog  one line per touch, "began X,Y moved X,Y ... ended X,Y" in GL
//             points (or "... cancelled")
//   menu      stacked, hidden and non-swallowing menus; prints "activated X"
//             for each activation:
//             B (white, priority -10, z 10) over A (red, priority 0), both at
//             (480,320); E (swallowing, priority -30) on a hidden layer over
//             them; C (create(false), -20) and D (0) overlapping at (480,120)
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
    bool ccTouchBegan(CCTouch* touch, CCEvent*) override {
        m_line = "began " + point(touch->getLocation());
        return true;
    }
    void ccTouchMoved(CCTouch* touch, CCEvent*) override { m_line += " moved " + point(touch->getLocation()); }
    void ccTouchEnded(CCTouch* touch, CCEvent*) override { demoSay(m_line + " ended " + point(touch->getLocation())); }
    void ccTouchCancelled(CCTouch*, CCEvent*) override { demoSay(m_line + " cancelled"); }

private:
    std::string m_line;
};

ENGINE_DEMO_SIMPLE("touchlog", 600, [] {
    auto* layer = new TouchLog();
    layer->init();
    layer->autorelease();
    layer->setTouchMode(kCCTouchesOneByOne);
    layer->setTouchEnabled(true);
    return demoScene({layer});
});

class MenuLayer : public CCLayer {
public:
    void activated(CCObject* sender) {
        demoSay(std::string("activated ") + static_cast<char>(static_cast<CCNode*>(sender)->getTag()));
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

private:
    static CCSprite* tinted(GLubyte r, GLubyte g, GLubyte b) {
        CCSprite* sprite = demoBlock(demoSolidTexture(255, 255, 255), 0, 0, 200, 100);
        sprite->setColor(ccc3(r, g, b));
        return sprite;
    }
    CCMenuItemSprite* item(char name, GLubyte r, GLubyte g, GLubyte b, float x, float y) {
        CCSprite* selected = tinted(r / 2 + (r & 1), g / 2 + (g & 1), b / 2 + (b & 1));
        CCMenuItemSprite* it =
            CCMenuItemSprite::create(tinted(r, g, b), selected, this, menu_selector(MenuLayer::activated));
        it->setTag(name);
        it->setPosition(x, y);
        return it;
    }
    static CCMenu* menu(bool swallow, int priority, CCMenuItem* it) {
        CCMenu* m = CCMenu::create(swallow);
        m->setAnchorPoint(CCPointZero);
        m->setPosition(CCPointZero);
        m->setTouchPriority(priority);
        m->addChild(it);
        return m;
    }
};

ENGINE_DEMO_SIMPLE("menu", 600, [] {
    auto* layer = new MenuLayer();
    layer->init();
    layer->autorelease();
    layer->build();
    return demoScene({layer});
});

}  // namespace
