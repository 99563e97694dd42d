#include "player/objects/QVComponentSlide.h"

#include <utility>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObject.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVNeutralRead.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVSound.h"
#include "player/objects/QVComponentEvent.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAsset.h"

QVComponentSlide::QVComponentSlide() = default;

QVComponentSlide::~QVComponentSlide() {
    if (m_slideAnimation) m_slideAnimation->release();
}

std::shared_ptr<QVModelComponentSlide> QVComponentSlide::slideModel() const {
    return modelCast<QVModelComponentSlide>(m_model);
}

void QVComponentSlide::setModel(std::shared_ptr<QVModelComponent> model) {
    QVComponent::setModel(std::move(model));
    const auto slide = slideModel();
    if (!slide) return;
    if (qvread::text(slide->eventAttribute()) == "kEventButton") {
        QVPInputController* input = QVPInputController::shared();
        input->subscribeAction(QVComponentEvent::kControlPressed, this,
                               callfuncO_selector(QVComponentSlide::startSlide), 0);
        input->subscribeAction(QVComponentEvent::kControlReleased, this, callfuncO_selector(QVComponentSlide::endSlide),
                               0);
    }
    m_slideSound = makeSound(slide->slideSound());
}

void QVComponentSlide::setOwner(QVPObject* owner) {
    QVComponent::setOwner(owner);
    const auto slide = slideModel();
    if (!slide || !owner || m_slideAnimation) return;
    m_slideAnimation = makeOwnerAnimation(qvread::linked(slide->animationAttribute()));
    if (m_slideAnimation) owner->addChild(m_slideAnimation);
}

void QVComponentSlide::startSlide(cocos2d::CCObject*) {
    if (!m_owner || m_owner->getState() >= QVPObject::kStateDying) return;
    m_pressed = true;
    if (!m_owner->isControllable()) return;
    m_active = true;
    m_owner->setControllable(false);
    m_owner->setVisible(true);
    const auto slide = slideModel();
    if (QVPObjectAsset* asset = assetOwner()) {
        asset->replaceFixture(slide ? qvread::linked(slide->collisionShapeAttribute()) : nullptr,
                              QVPObjectAsset::builderMaterial());
    }
    if (m_slideSound) m_slideSound->play(false, false);
}

void QVComponentSlide::endSlide(cocos2d::CCObject*) {
    m_pressed = false;
    if (!m_active) return;
    m_active = false;
    if (m_owner) {
        m_owner->setControllable(true);
        // The object base's update puts the on-screen visibility back.
        m_owner->setVisible(false);
    }
    QVPObjectAsset* asset = assetOwner();
    if (asset && asset->getModel()) {
        asset->replaceFixture(asset->getModel()->collisionShape(), QVPObjectAsset::builderMaterial());
    }
    if (m_slideSound) m_slideSound->stop();
}

void QVComponentSlide::update(float) {
    if (m_slideAnimation) m_slideAnimation->setVisible(m_active);
    // A slide held through a jump starts on landing.
    if (!m_active && m_pressed && m_owner && m_owner->isControllable()) startSlide(nullptr);
}

void QVComponentSlide::onStateChanged() {
    if (!m_owner || m_owner->getState() < QVPObject::kStateDying) return;
    m_pressed = false;
    m_active = false;
    if (m_slideAnimation) m_slideAnimation->setVisible(false);
    if (m_slideSound) m_slideSound->stop();
}
