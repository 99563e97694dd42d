// Menus driven by real touches through the shared dispatcher: the exact
// item call sequences, which menu claims a touch, and items that change
// under a held touch.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cocos2d.h"

using namespace cocos2d;

namespace {

std::vector<std::string> g_log;

class LoggedItem : public CCMenuItem {
public:
    static LoggedItem* make(const std::string& name, CCPoint at = CCPoint(480, 320), float w = 200, float h = 100) {
        auto* item = new LoggedItem(name);
        item->initWithTarget(nullptr, nullptr);
        item->setContentSize(CCSize(w, h));
        item->setPosition(at);
        item->autorelease();
        return item;
    }
    void selected() override {
        CCMenuItem::selected();
        g_log.push_back(m_name + ".selected");
    }
    void unselected() override {
        CCMenuItem::unselected();
        g_log.push_back(m_name + ".unselected");
    }
    void activate() override {
        g_log.push_back(m_name + ".activate");
        CCMenuItem::activate();
    }

private:
    explicit LoggedItem(std::string name) : m_name(std::move(name)) {}
    std::string m_name;
};

// An image for a sprite item: a sprite without a texture, of the given size.
CCSprite* image(float w = 200, float h = 100) {
    CCSprite* sprite = CCSprite::create();
    sprite->setContentSize(CCSize(w, h));
    return sprite;
}

class Receiver : public CCObject {
public:
    void onItem(CCObject* sender) {
        g_log.push_back("handler");
        if (then) then(sender);
    }
    std::function<void(CCObject*)> then;
};

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        clear();
        g_log.clear();
        scene = CCScene::create();
        scene->retain();
        scene->onEnter();
    }
    void TearDown() override {
        scene->onExit();
        scene->release();
        clear();
    }
    static void clear() {
        TouchInput::sharedTouchInput()->reset();
        CCTouchDispatcher::sharedDispatcher()->removeAllDelegates();
        CCDirector::resetForTest();
    }
    // A running menu holding the items, at `priority`, in `parent`.
    CCMenu* menu(int priority, std::initializer_list<CCMenuItem*> items, bool swallow = true,
                 CCNode* parent = nullptr) {
        CCMenu* m = CCMenu::create(swallow);
        m->setTouchPriority(priority);
        for (CCMenuItem* item : items) m->addChild(item);
        (parent ? parent : scene)->addChild(m);
        return m;
    }
    // GL coordinates of the 960x640 window.
    void press(float x, float y) { input().touchBegan(0, x, 640 - y); }
    void move(float x, float y) { input().touchMoved(0, x, 640 - y); }
    void release(float x, float y) { input().touchEnded(0, x, 640 - y); }
    void click(float x, float y) {
        press(x, y);
        release(x, y);
    }
    static TouchInput& input() { return *TouchInput::sharedTouchInput(); }

    CCScene* scene = nullptr;
};

typedef std::vector<std::string> Log;

TEST_F(MenuTest, TrackingGivesTheExactSelectUnselectActivateSequence) {
    LoggedItem* a = LoggedItem::make("A", CCPoint(200, 320));
    LoggedItem* b = LoggedItem::make("B", CCPoint(600, 320));
    Receiver receiver;
    a->setTarget(&receiver, menu_selector(Receiver::onItem));
    CCMenu* m = menu(0, {a, b});

    press(200, 320);
    move(210, 320);  // still on A: nothing
    move(600, 320);
    move(400, 600);  // off every item
    move(200, 330);
    release(200, 330);
    EXPECT_EQ(g_log, (Log{"A.selected", "A.unselected", "B.selected", "B.unselected", "A.selected", "A.unselected",
                          "A.activate", "handler"}));
    EXPECT_EQ(m->getState(), kCCMenuStateWaiting);
    EXPECT_FALSE(a->isSelected());

    // Released off every item: no activation.
    g_log.clear();
    press(600, 320);
    move(900, 50);
    release(900, 50);
    EXPECT_EQ(g_log, (Log{"B.selected", "B.unselected"}));

    // Cancelled, and the menu leaving the stage while tracking.
    g_log.clear();
    press(600, 320);
    input().cancelAll();
    press(200, 320);
    m->removeFromParent();
    EXPECT_EQ(g_log, (Log{"B.selected", "B.unselected", "A.selected", "A.unselected"}));
    EXPECT_EQ(m->getSelectedItem(), nullptr);
    release(200, 320);
    EXPECT_EQ(g_log.size(), 4u);
}

TEST_F(MenuTest, HiddenAndDisabledClaimantsLetTheTouchPass) {
    LoggedItem* disabled = LoggedItem::make("disabled");
    LoggedItem* invisible = LoggedItem::make("invisible");
    disabled->setEnabled(false);
    invisible->setVisible(false);
    menu(-15, {disabled});
    menu(-10, {invisible});
    menu(0, {LoggedItem::make("under")});
    // An overlay whose screen layer is hidden, as a paused screen behind a
    // dialog is.
    CCLayer* screen = CCLayer::create();
    scene->addChild(screen);
    menu(-30, {LoggedItem::make("overlay")}, true, screen);
    screen->setVisible(false);
    menu(-20, {LoggedItem::make("hiddenMenu")})->setVisible(false);

    click(480, 320);
    EXPECT_EQ(g_log, (Log{"under.selected", "under.unselected", "under.activate"}));

    g_log.clear();
    screen->setVisible(true);
    click(480, 320);
    EXPECT_EQ(g_log, (Log{"overlay.selected", "overlay.unselected", "overlay.activate"}));
}

TEST_F(MenuTest, OnlySwallowingMenusStopTheTouch) {
    menu(-20, {LoggedItem::make("C", CCPoint(480, 120))}, false);
    menu(0, {LoggedItem::make("D", CCPoint(480, 120))});
    menu(10, {LoggedItem::make("E", CCPoint(480, 120))});
    click(480, 120);
    EXPECT_EQ(g_log, (Log{"C.selected", "D.selected", "C.unselected", "C.activate", "D.unselected", "D.activate"}));
}

TEST_F(MenuTest, AnItemMayRemoveItselfAndItsMenuWhileActivating) {
    LoggedItem* item = LoggedItem::make("I");
    Receiver receiver;
    receiver.then = [](CCObject* sender) {
        auto* self = static_cast<CCMenuItem*>(sender);
        CCNode* owner = self->getParent();
        self->removeFromParent();
        owner->removeFromParent();
    };
    item->setTarget(&receiver, menu_selector(Receiver::onItem));
    CCMenu* m = menu(0, {item});
    m->retain();
    click(480, 320);
    EXPECT_EQ(g_log, (Log{"I.selected", "I.unselected", "I.activate", "handler"}));
    EXPECT_FALSE(CCTouchDispatcher::sharedDispatcher()->hasDelegate(m));
    m->release();
    CCPoolManager::sharedPoolManager()->drain();
    // A later click finds nothing registered.
    click(480, 320);
    EXPECT_EQ(g_log.size(), 4u);
}

TEST_F(MenuTest, HitTestsRunInTheItemsOwnSpace) {
    LoggedItem* bar = LoggedItem::make("bar", CCPoint(480, 320), 200, 40);
    bar->setRotation(90);  // now 40 wide and 200 tall
    LoggedItem* small = LoggedItem::make("small", CCPoint(100, 100), 20, 20);
    small->setScale(3);
    menu(0, {bar, small});
    click(480, 400);
    click(560, 320);
    click(125, 125);
    EXPECT_EQ(g_log, (Log{"bar.selected", "bar.unselected", "bar.activate", "small.selected", "small.unselected",
                          "small.activate"}));
}

// Inside a menu the item drawn last wins an overlap; between menus a
// priority changed while registered applies.
TEST_F(MenuTest, TheItemDrawnLastAndAChangedPriorityWin) {
    CCMenu* m = menu(0, {LoggedItem::make("low")});
    m->addChild(LoggedItem::make("high"), 5);
    m->addChild(LoggedItem::make("later"), 0);
    menu(-5, {LoggedItem::make("B")});
    m->setTouchPriority(-10);
    EXPECT_EQ(CCTouchDispatcher::sharedDispatcher()->getPriority(m), -10);
    click(480, 320);
    EXPECT_EQ(g_log.front(), "high.selected");
}

TEST_F(MenuTest, SpriteItemsShowTheImageOfTheirState) {
    CCSprite* normal = image(120, 60);
    CCSprite* pressed = image();
    CCSprite* off = image();
    CCMenuItemSprite* item = CCMenuItemSprite::create(normal, pressed, off);
    EXPECT_EQ(item->getContentSize().width, 120);
    EXPECT_EQ(item->getContentSize().height, 60);
    EXPECT_EQ(normal->getParent(), item);
    EXPECT_EQ(normal->getAnchorPoint().x, 0);
    EXPECT_FALSE(item->isSelected());
    EXPECT_TRUE(normal->isVisible() && !pressed->isVisible() && !off->isVisible());
    item->selected();
    EXPECT_TRUE(!normal->isVisible() && pressed->isVisible());
    item->setEnabled(false);
    EXPECT_TRUE(!normal->isVisible() && !pressed->isVisible() && off->isVisible());

    item->setOpacity(100);
    item->setColor(ccc3(1, 2, 3));
    for (CCSprite* s : {normal, pressed, off}) {
        EXPECT_EQ(s->getOpacity(), 100);
        EXPECT_EQ(s->getColor().b, 3);
    }

    // Missing state images fall back to the normal one.
    CCMenuItemSprite* plain = CCMenuItemSprite::create(image(), nullptr);
    plain->selected();
    EXPECT_TRUE(plain->getNormalImage()->isVisible());
    plain->setEnabled(false);
    EXPECT_TRUE(plain->getNormalImage()->isVisible());
}

TEST_F(MenuTest, ReplacingImagesWhileHeldKeepsTheSelection) {
    CCSprite* normal = image();
    CCSprite* pressed = image();
    CCMenuItemSprite* item = CCMenuItemSprite::create(normal, pressed);
    item->setPosition(480, 320);
    Receiver receiver;
    item->setTarget(&receiver, menu_selector(Receiver::onItem));
    menu(0, {item});
    press(480, 320);
    ASSERT_TRUE(item->isSelected());

    CCSprite* normal2 = image(100, 50);
    CCSprite* pressed2 = image(100, 50);
    item->initWithNormalSprite(normal2, pressed2, nullptr, &receiver, menu_selector(Receiver::onItem));
    EXPECT_EQ(normal->getParent(), nullptr);
    EXPECT_EQ(pressed->getParent(), nullptr);
    EXPECT_EQ(item->getChildrenCount(), 2u);
    EXPECT_TRUE(item->isSelected());
    EXPECT_TRUE(pressed2->isVisible());
    EXPECT_FALSE(normal2->isVisible());
    EXPECT_EQ(item->getContentSize().width, 100);

    release(480, 320);
    EXPECT_TRUE(normal2->isVisible());
    EXPECT_FALSE(pressed2->isVisible());
    EXPECT_EQ(g_log, (Log{"handler"}));
}

TEST_F(MenuTest, AnImageTakenFromAnotherParentStaysAlive) {
    // The old parent holds the only reference to the image.
    CCNode* holder = CCNode::create();
    holder->retain();
    CCSprite* image = new CCSprite();
    image->init();
    image->setContentSize(CCSize(80, 40));
    holder->addChild(image);
    image->release();

    CCMenuItemSprite* item = CCMenuItemSprite::create(image, nullptr);
    EXPECT_EQ(holder->getChildrenCount(), 0u);
    ASSERT_EQ(item->getNormalImage(), image);
    EXPECT_EQ(image->getParent(), item);
    EXPECT_EQ(item->getContentSize().width, 80);
    item->selected();
    EXPECT_TRUE(image->isVisible());
    holder->release();
}

}  // namespace
