#include "player/objects/QVComponentRotationMapper.h"

#include <cmath>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVNeutralRead.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAsset.h"

QVComponentRotationMapper::~QVComponentRotationMapper() {
    if (m_mapAnimation) m_mapAnimation->release();
}

void QVComponentRotationMapper::setOwner(QVPObject* owner) {
    QVComponent::setOwner(owner);
    const auto mapper = modelCast<QVModelComponentRotationMapper>(m_model);
    if (!mapper || !owner || m_mapAnimation) return;
    m_mapAnimation = makeOwnerAnimation(qvread::linked(mapper->animationAttribute()));
    if (m_mapAnimation) m_mapAnimation->stop();
}

void QVComponentRotationMapper::setActive(bool active) {
    QVComponent::setActive(active);
    QVPObjectAsset* asset = assetOwner();
    if (active) {
        if (asset) asset->addAnimation(QVPObjectAsset::kPriorityRotationMapper, m_mapAnimation, nullptr);
    } else {
        takeOff();
    }
}

void QVComponentRotationMapper::takeOff() {
    if (!m_mapAnimation) return;
    if (QVPObjectAsset* asset = assetOwner()) {
        asset->removeAnimation(QVPObjectAsset::kPriorityRotationMapper, m_mapAnimation, nullptr);
    }
    m_mapAnimation->setVisible(false);
}

void QVComponentRotationMapper::onTransformChanged() {
    // The frame shows the rotation; the picture itself never turns.
    if (m_owner) m_owner->setRotation(0.0f);
}

void QVComponentRotationMapper::onStateChanged() {
    if (!m_owner || m_owner->getState() != QVPObject::kStateDying) return;
    m_active = false;
    takeOff();
}

int64_t QVComponentRotationMapper::frameFor(float degrees, int frames) {
    if (frames <= 0 || !std::isfinite(degrees)) return 0;
    const double turns = std::fabs(degrees) / 360.0 * frames;
    // The same as truncating and taking the remainder, for any size of angle.
    int64_t i = static_cast<int64_t>(std::fmod(std::trunc(turns), static_cast<double>(frames)));
    if (degrees < 0.0f) i = frames - i;
    return i;
}

void QVComponentRotationMapper::update(float dt) {
    if (m_firstUpdate && dt > 0.0f) {
        m_firstUpdate = false;
        setActive(true);
    }
    if (!m_active) return;
    if (m_owner && m_owner->isSpawner()) {
        setActive(false);
        return;
    }
    b2Body* body = m_owner ? m_owner->getBody() : nullptr;
    const float degrees = body ? body->GetAngle() * kRadiansToDegrees : 0.0f;
    const int frames = m_mapAnimation ? m_mapAnimation->totalFrames() : 0;
    if (frames > 0) m_mapAnimation->setFrame(static_cast<int>(frameFor(degrees, frames)));
}
