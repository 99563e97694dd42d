// --scene menu: stacked, hidden and non-swallowing menus; prints
// "activated X" for each activation.
//   B (white, priority -10, z 10) over A (red, priority 0), both at (480,320);
//   E (swallowing, priority -30) on a hidden layer over them;
//   C (create(false), -20) and D (0) overlapping at (480,120).
#include <string>

#include "demo_registry.h"

using namespace cocos2d;

namespace {

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
    void activated(CCObject* sender) {
        demoSay(std::string("activated ") + static_cast<char>(static_cast<CCNode*>(sender)->getTag()));
    }

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

class MenuDemo : public DemoScene {
public:
    CCScene* createScene() override {
        CCScene* scene = CCScene::create();
        scene->addChild(MenuLayer::create());
        return scene;
    }
};

ENGINE_DEMO_SCENE("menu", MenuDemo);

}  // namespace
