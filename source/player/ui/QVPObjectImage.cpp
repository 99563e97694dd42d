#include "player/ui/QVPObjectImage.h"

#include <utility>

#include "actions/CCAction.h"
#include "actions/CCActionManager.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "player/ui/QVUiAnimation.h"
#include "sprite/CCSprite.h"

using cocos2d::CCArray;
using cocos2d::CCObject;
using cocos2d::CCSprite;

namespace {

template <class F>
void forEachSprite(cocos2d::CCNode* node, F&& body) {
    CCArray* children = node->getChildren();
    CCObject* child = nullptr;
    CCARRAY_FOREACH(children, child) {
        if (auto* sprite = dynamic_cast<CCSprite*>(child)) body(sprite);
    }
}

}  // namespace

QVPObjectImage* QVPObjectImage::create(std::shared_ptr<QVModelObjectImage> model, float speed, bool loop) {
    auto* image = new QVPObjectImage();
    image->init();
    image->autorelease();
    image->m_model = std::move(model);
    if (!image->m_model) return image;
    if (const auto container = image->m_model->visualModel()) {
        if (CCSprite* sprite = container->getSprite(speed, loop)) {
            image->addChild(sprite);
            sprite->release();
            image->m_animation = sprite->getActionByTag(kQVSpriteFrameActionTag);
            if (image->m_animation) image->m_animation->retain();
        }
    }
    image->placeAt(0.0f);
    image->setUserData(image->m_model.get());
    image->setContentSize(image->m_model->placeholderSize(0.0f));
    image->update(0.0f);
    return image;
}

QVPObjectImage::~QVPObjectImage() {
    if (m_animation) m_animation->release();
}

void QVPObjectImage::placeAt(float time) {
    qvui::placeFromModel(this, *m_model, time, m_animationState, m_model->stickToEdge());
}

void QVPObjectImage::update(float dt) {
    if (!m_model) return;
    m_elapsed += dt;
    if (qvui::autohideDue(this, m_model->autohide(), m_fadedOut, m_elapsed)) {
        qvui::fadeOutChildren(this, qvui::Fade::kOut);
        m_fadedOut = true;
    }
    placeAt(m_elapsed);
    if (!m_fadedOut) {
        qvui::setChildrenOpacity(this,
                                 qvui::opacityByte(m_model->opacity(m_elapsed, m_animationState) * m_opacityFactor));
    }
}

void QVPObjectImage::restart() {
    if (!m_model) return;
    m_elapsed = 0.0f;
    forEachSprite(this, [this](CCSprite* sprite) {
        if (!m_fadedOut) sprite->setOpacity(255);
        if (cocos2d::CCAction* running = sprite->getActionByTag(kQVSpriteFrameActionTag)) {
            running->retain();
            sprite->stopAllActions();
            sprite->runAction(running);
            running->release();
        } else if (m_animation) {
            sprite->runAction(m_animation);
        }
    });
}

void QVPObjectImage::pauseAnimation() {
    forEachSprite(this, [](CCSprite* sprite) { sprite->getActionManager()->pauseTarget(sprite); });
}

void QVPObjectImage::resumeAnimation() {
    forEachSprite(this, [](CCSprite* sprite) { sprite->getActionManager()->resumeTarget(sprite); });
}

void QVPObjectImage::setFrame(int n) {
    const auto container = m_model ? m_model->visualModel() : nullptr;
    if (!container) return;
    forEachSprite(this, [&container, n](CCSprite* sprite) {
        if (cocos2d::CCSpriteFrame* frame = container->getSpriteFrame(static_cast<unsigned>(n))) {
            sprite->setDisplayFrame(frame);
        }
    });
}

void QVPObjectImage::stopAnimation() {
    forEachSprite(this, [](CCSprite* sprite) {
        if (sprite->getActionByTag(kQVSpriteFrameActionTag)) sprite->stopAllActions();
    });
}
