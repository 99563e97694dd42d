// Menu items: a node with a target/selector pair, an enabled flag and a
// selected flag. A menu drives selected/unselected/activate from touches.
#pragma once

#include "base/CCObject.h"
#include "math/ccTypes.h"
#include "scene/CCNode.h"
#include "scene/CCProtocols.h"

namespace cocos2d {

class CCMenuItem : public CCNode {
public:
    CCMenuItem();
    ~CCMenuItem() override;

    static CCMenuItem* create();
    static CCMenuItem* create(CCObject* target, SEL_MenuHandler selector);
    bool initWithTarget(CCObject* target, SEL_MenuHandler selector);

    // The item's rectangle in its parent's space (position minus the anchor
    // offset, content size).
    CCRect rect();

    // Calls the selector on the target with the item, when enabled.
    virtual void activate();
    virtual void selected();
    virtual void unselected();
    virtual bool isSelected() { return m_bSelected; }
    virtual void setEnabled(bool enabled);
    virtual bool isEnabled() { return m_bEnabled; }

    // The target is not retained (it usually owns the menu).
    void setTarget(CCObject* target, SEL_MenuHandler selector);
    CCObject* getTarget() const { return m_pListener; }
    SEL_MenuHandler getSelector() const { return m_pfnSelector; }

protected:
    bool m_bSelected = false;
    bool m_bEnabled = true;
    CCObject* m_pListener = nullptr;
    SEL_MenuHandler m_pfnSelector = nullptr;
};

// An item drawn by up to three images (any nodes): the selected image while
// selected, the disabled image while disabled, else the normal one. A
// missing selected or disabled image falls back to the normal image.
class CCMenuItemSprite : public CCMenuItem, public CCRGBAProtocol {
public:
    CCMenuItemSprite();
    ~CCMenuItemSprite() override;

    static CCMenuItemSprite* create(CCNode* normalSprite, CCNode* selectedSprite,
                                    CCNode* disabledSprite = nullptr);
    static CCMenuItemSprite* create(CCNode* normalSprite, CCNode* selectedSprite, CCObject* target,
                                    SEL_MenuHandler selector);
    static CCMenuItemSprite* create(CCNode* normalSprite, CCNode* selectedSprite, CCNode* disabledSprite,
                                    CCObject* target, SEL_MenuHandler selector);
    // May be called again: the previous images are removed and the selected
    // and enabled states are kept (and shown by the new images).
    bool initWithNormalSprite(CCNode* normalSprite, CCNode* selectedSprite, CCNode* disabledSprite,
                              CCObject* target, SEL_MenuHandler selector);

    // The images are children anchored and placed at (0, 0). Setting the
    // normal image also sets the content size to its size.
    virtual void setNormalImage(CCNode* image);
    virtual void setSelectedImage(CCNode* image);
    virtual void setDisabledImage(CCNode* image);
    CCNode* getNormalImage() const { return m_pNormalImage; }
    CCNode* getSelectedImage() const { return m_pSelectedImage; }
    CCNode* getDisabledImage() const { return m_pDisabledImage; }

    void selected() override;
    void unselected() override;
    void setEnabled(bool enabled) override;

    // Reach every image that has a colour.
    void setColor(const ccColor3B& color) override;
    const ccColor3B& getColor() override { return m_tColor; }
    void setOpacity(GLubyte opacity) override;
    GLubyte getOpacity() override { return m_cOpacity; }

protected:
    // Shows the one image that matches the state.
    virtual void updateImagesVisibility();

private:
    void replaceImage(CCNode*& slot, CCNode* image, int tag);
    ccColor3B m_tColor = {255, 255, 255};
    GLubyte m_cOpacity = 255;
    CCNode* m_pNormalImage = nullptr;
    CCNode* m_pSelectedImage = nullptr;
    CCNode* m_pDisabledImage = nullptr;
};

}  // namespace cocos2d
