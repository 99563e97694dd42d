#include "menu/CCMenu.h"

#include <cstdarg>

#include "director/CCDirector.h"
#include "input/CCTouch.h"
#include "input/CCTouchDispatcher.h"
#include "menu/CCMenuItem.h"
#include "scene/CCScene.h"

namespace cocos2d {

CCMenu::CCMenu() = default;

CCMenu::~CCMenu() {
    CC_SAFE_RELEASE_NULL(m_pSelectedItem);
    CC_SAFE_RELEASE_NULL(m_pTrackedTouch);
}

CCMenu* CCMenu::create() { return create(true); }

CCMenu* CCMenu::create(bool swallowsTouches) {
    CCMenu* menu = new CCMenu();
    menu->initWithSwallow(swallowsTouches);
    menu->autorelease();
    return menu;
}

CCMenu* CCMenu::create(CCMenuItem* item, ...) {
    CCMenu* menu = create(true);
    va_list args;
    va_start(args, item);
    for (CCMenuItem* next = item; next; next = va_arg(args, CCMenuItem*)) menu->addChild(next);
    va_end(args);
    return menu;
}

bool CCMenu::init() { return initWithSwallow(true); }

bool CCMenu::initWithSwallow(bool swallowsTouches) {
    if (!CCLayer::init()) return false;
    m_bSwallowsTouches = swallowsTouches;
    m_bTouchEnabled = true;
    m_eTouchMode = kCCTouchesOneByOne;
    m_bEnabled = true;
    m_eState = kCCMenuStateWaiting;
    // Origin at the position whatever the anchor, as for any layer.
    ignoreAnchorPointForPosition(true);
    return true;
}

void CCMenu::registerWithTouchDispatcher() {
    CCTouchDispatcher::sharedDispatcher()->addTargetedDelegate(this, m_nTouchPriority, m_bSwallowsTouches);
}

void CCMenu::onExit() {
    if (m_eState == kCCMenuStateTrackingTouch) stopTracking();
    CCLayer::onExit();
}

bool CCMenu::isVisibleInTree() {
    for (CCNode* node = this; node; node = node->getParent()) {
        if (!node->isVisible()) return false;
    }
    return true;
}

CCMenuItem* CCMenu::itemForTouch(CCTouch* touch) {
    if (!touch) return nullptr;
    const CCPoint location = touch->getLocation();
    sortAllChildren();
    CCArray* children = getChildren();
    // The last child is drawn last, so it is on top.
    for (unsigned int i = children->count(); i > 0; --i) {
        CCMenuItem* item = dynamic_cast<CCMenuItem*>(children->objectAtIndex(i - 1));
        if (!item || !item->isVisible() || !item->isEnabled()) continue;
        // In the item's own space, so rotated and scaled items hit right.
        const CCPoint local = item->convertToNodeSpace(location);
        const CCSize& size = item->getContentSize();
        if (local.x >= 0 && local.y >= 0 && local.x <= size.width && local.y <= size.height) return item;
    }
    return nullptr;
}

void CCMenu::setSelectedItem(CCMenuItem* item) {
    if (item == m_pSelectedItem) return;
    CC_SAFE_RETAIN(item);
    CC_SAFE_RELEASE(m_pSelectedItem);
    m_pSelectedItem = item;
}

void CCMenu::stopTracking() {
    // Cleared before the call, so a handler that re-enters the menu finds
    // it idle.
    CCMenuItem* item = m_pSelectedItem;
    m_pSelectedItem = nullptr;
    m_eState = kCCMenuStateWaiting;
    CC_SAFE_RELEASE_NULL(m_pTrackedTouch);
    if (item) {
        item->unselected();
        item->release();
    }
}

bool CCMenu::ccTouchBegan(CCTouch* touch, CCEvent* event) {
    (void)event;
    if (m_eState != kCCMenuStateWaiting || !m_bEnabled || !isRunning() || !isVisibleInTree()) return false;
    CCMenuItem* item = itemForTouch(touch);
    if (!item) return false;
    m_eState = kCCMenuStateTrackingTouch;
    touch->retain();
    m_pTrackedTouch = touch;
    setSelectedItem(item);
    item->selected();
    return true;
}

void CCMenu::ccTouchMoved(CCTouch* touch, CCEvent* event) {
    (void)event;
    if (m_eState != kCCMenuStateTrackingTouch || touch != m_pTrackedTouch) return;
    CCMenuItem* item = itemForTouch(touch);
    if (item == m_pSelectedItem) return;
    CCMenuItem* old = m_pSelectedItem;
    if (old) old->retain();
    setSelectedItem(item);
    if (old) {
        old->unselected();
        old->release();
    }
    // The old item's handler may have moved the touch on already.
    if (item && item == m_pSelectedItem) item->selected();
}

void CCMenu::ccTouchEnded(CCTouch* touch, CCEvent* event) {
    (void)event;
    if (m_eState != kCCMenuStateTrackingTouch || touch != m_pTrackedTouch) return;
    CCMenuItem* item = m_pSelectedItem;
    if (item) item->retain();
    // The touch may end away from where the last move left it.
    const bool underTouch = item && itemForTouch(touch) == item;
    stopTracking();
    if (item) {
        if (underTouch) item->activate();
        item->release();
    }
}

void CCMenu::ccTouchCancelled(CCTouch* touch, CCEvent* event) {
    (void)event;
    if (m_eState != kCCMenuStateTrackingTouch || touch != m_pTrackedTouch) return;
    stopTracking();
}

}  // namespace cocos2d
