#include "menu/CCMenuItem.h"

namespace cocos2d {

namespace {

// Tags of the three images among the item's children.
enum {
    kNormalTag = 0x8001,
    kSelectedTag = 0x8002,
    kDisabledTag = 0x8003,
};

}  // namespace

// ---- CCMenuItem

CCMenuItem::CCMenuItem() { setAnchorPoint(CCPoint(0.5f, 0.5f)); }

CCMenuItem::~CCMenuItem() = default;

CCMenuItem* CCMenuItem::create() { return create(nullptr, nullptr); }

CCMenuItem* CCMenuItem::create(CCObject* target, SEL_MenuHandler selector) {
    CCMenuItem* item = new CCMenuItem();
    item->initWithTarget(target, selector);
    item->autorelease();
    return item;
}

bool CCMenuItem::initWithTarget(CCObject* target, SEL_MenuHandler selector) {
    setTarget(target, selector);
    m_bEnabled = true;
    m_bSelected = false;
    return true;
}

CCRect CCMenuItem::rect() {
    const CCSize& size = getContentSize();
    const CCPoint& anchor = getAnchorPoint();
    return CCRect(m_obPosition.x - size.width * anchor.x, m_obPosition.y - size.height * anchor.y, size.width,
                  size.height);
}

void CCMenuItem::activate() {
    if (!m_bEnabled || !m_pListener || !m_pfnSelector) return;
    // The handler may remove this item (or the whole menu) from the tree.
    retain();
    CCObject* listener = m_pListener;
    listener->retain();
    (listener->*m_pfnSelector)(this);
    listener->release();
    release();
}

void CCMenuItem::selected() { m_bSelected = true; }

void CCMenuItem::unselected() { m_bSelected = false; }

void CCMenuItem::setEnabled(bool enabled) { m_bEnabled = enabled; }

void CCMenuItem::setTarget(CCObject* target, SEL_MenuHandler selector) {
    m_pListener = target;
    m_pfnSelector = selector;
}

// ---- CCMenuItemSprite

CCMenuItemSprite::CCMenuItemSprite() = default;

CCMenuItemSprite::~CCMenuItemSprite() = default;

CCMenuItemSprite* CCMenuItemSprite::create(CCNode* normalSprite, CCNode* selectedSprite, CCNode* disabledSprite) {
    return create(normalSprite, selectedSprite, disabledSprite, nullptr, nullptr);
}

CCMenuItemSprite* CCMenuItemSprite::create(CCNode* normalSprite, CCNode* selectedSprite, CCObject* target,
                                           SEL_MenuHandler selector) {
    return create(normalSprite, selectedSprite, nullptr, target, selector);
}

CCMenuItemSprite* CCMenuItemSprite::create(CCNode* normalSprite, CCNode* selectedSprite, CCNode* disabledSprite,
                                           CCObject* target, SEL_MenuHandler selector) {
    CCMenuItemSprite* item = new CCMenuItemSprite();
    item->initWithNormalSprite(normalSprite, selectedSprite, disabledSprite, target, selector);
    item->autorelease();
    return item;
}

bool CCMenuItemSprite::initWithNormalSprite(CCNode* normalSprite, CCNode* selectedSprite, CCNode* disabledSprite,
                                            CCObject* target, SEL_MenuHandler selector) {
    // Selection and enabled state survive a re-initialisation: a button
    // swapping its images while held stays held.
    setTarget(target, selector);
    setNormalImage(normalSprite);
    setSelectedImage(selectedSprite);
    setDisabledImage(disabledSprite);
    return true;
}

void CCMenuItemSprite::replaceImage(CCNode*& slot, CCNode* image, int tag) {
    if (image == slot) {
        updateImagesVisibility();
        return;
    }
    // Held across the move: the old parent may own the only reference.
    CC_SAFE_RETAIN(image);
    if (image && image->getParent() && image->getParent() != this) {
        // Taking a node from another parent would leave it in two trees.
        image->removeFromParentAndCleanup(false);
    }
    CCNode* old = slot;
    slot = image;
    if (image) {
        if (image->getParent() != this) addChild(image, 0, tag);
        image->setAnchorPoint(CCPointZero);
        image->setPosition(CCPointZero);
        image->release();
    }
    // Removed after the new one is in, so an image moved between slots
    // stays a child.
    if (old && old->getParent() == this && old != m_pNormalImage && old != m_pSelectedImage &&
        old != m_pDisabledImage) {
        removeChild(old, true);
    }
    updateImagesVisibility();
}

void CCMenuItemSprite::setNormalImage(CCNode* image) {
    replaceImage(m_pNormalImage, image, kNormalTag);
    if (m_pNormalImage) setContentSize(m_pNormalImage->getContentSize());
}

void CCMenuItemSprite::setSelectedImage(CCNode* image) { replaceImage(m_pSelectedImage, image, kSelectedTag); }

void CCMenuItemSprite::setDisabledImage(CCNode* image) { replaceImage(m_pDisabledImage, image, kDisabledTag); }

void CCMenuItemSprite::updateImagesVisibility() {
    CCNode* shown = m_pNormalImage;
    if (!m_bEnabled) {
        if (m_pDisabledImage) shown = m_pDisabledImage;
    } else if (m_bSelected) {
        if (m_pSelectedImage) shown = m_pSelectedImage;
    }
    for (CCNode* image : {m_pNormalImage, m_pSelectedImage, m_pDisabledImage}) {
        if (image) image->setVisible(image == shown);
    }
}

void CCMenuItemSprite::selected() {
    CCMenuItem::selected();
    updateImagesVisibility();
}

void CCMenuItemSprite::unselected() {
    CCMenuItem::unselected();
    updateImagesVisibility();
}

void CCMenuItemSprite::setEnabled(bool enabled) {
    CCMenuItem::setEnabled(enabled);
    updateImagesVisibility();
}

void CCMenuItemSprite::setColor(const ccColor3B& color) {
    m_tColor = color;
    for (CCNode* image : {m_pNormalImage, m_pSelectedImage, m_pDisabledImage}) {
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(image)) rgba->setColor(color);
    }
}

void CCMenuItemSprite::setOpacity(GLubyte opacity) {
    m_cOpacity = opacity;
    for (CCNode* image : {m_pNormalImage, m_pSelectedImage, m_pDisabledImage}) {
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(image)) rgba->setOpacity(opacity);
    }
}

}  // namespace cocos2d
