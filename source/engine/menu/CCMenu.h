// A layer of menu items. It registers as a targeted touch delegate while it
// runs, claims a touch that starts on a visible, enabled item of a visible
// menu in a visible tree, and tracks that one touch:
//   began on an item       -> selected
//   moved to another item  -> unselected (old), selected (new)
//   moved off every item   -> unselected
//   ended                  -> unselected, then activate on the item under it
//   cancelled or onExit    -> unselected
#pragma once

#include "scene/CCLayer.h"

namespace cocos2d {

class CCMenuItem;

enum tCCMenuState {
    kCCMenuStateWaiting,
    kCCMenuStateTrackingTouch,
};

enum {
    // The priority menus register with unless told otherwise.
    kCCMenuHandlerPriority = 0,
};

class CCMenu : public CCLayer {
public:
    CCMenu();
    ~CCMenu() override;

    // `swallowsTouches`: a touch the menu claims reaches no delegate after it.
    static CCMenu* create();
    static CCMenu* create(bool swallowsTouches);
    static CCMenu* create(CCMenuItem* item, ...);
    bool init() override;
    bool initWithSwallow(bool swallowsTouches);

    bool isSwallowingTouches() const { return m_bSwallowsTouches; }
    bool isEnabled() const { return m_bEnabled; }
    void setEnabled(bool enabled) { m_bEnabled = enabled; }
    tCCMenuState getState() const { return m_eState; }
    // (ours) The item under the tracked touch, if any.
    CCMenuItem* getSelectedItem() const { return m_pSelectedItem; }

    void registerWithTouchDispatcher() override;
    void onExit() override;

    bool ccTouchBegan(CCTouch* touch, CCEvent* event) override;
    void ccTouchMoved(CCTouch* touch, CCEvent* event) override;
    void ccTouchEnded(CCTouch* touch, CCEvent* event) override;
    void ccTouchCancelled(CCTouch* touch, CCEvent* event) override;

    // The topmost (drawn last) visible, enabled item under the touch.
    CCMenuItem* itemForTouch(CCTouch* touch);

protected:
    // The menu and every ancestor up to the root are visible.
    bool isVisibleInTree();
    void setSelectedItem(CCMenuItem* item);
    void stopTracking();

    bool m_bSwallowsTouches = true;
    bool m_bEnabled = true;
    tCCMenuState m_eState = kCCMenuStateWaiting;
    CCMenuItem* m_pSelectedItem = nullptr;  // retained while tracked
    CCTouch* m_pTrackedTouch = nullptr;     // retained while tracked
};

}  // namespace cocos2d
