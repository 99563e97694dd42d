#include "player/objects/QVPObjectAssetTeleport.h"

#include <vector>

#include "model/classes/QVModelLogicObjects.h"
#include "model/core/QVNumeric.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"

QVPObjectAssetTeleport::QVPObjectAssetTeleport(std::shared_ptr<QVModelObject> model)
    : QVPObjectAsset(std::move(model)) {
    m_collisionType = kCharacterCollision;
    setTypeFlags(kTypeTeleport);
}

QVPObjectAssetTeleport::~QVPObjectAssetTeleport() { dropPassenger(); }

QVPObjectAsset* QVPObjectAssetTeleport::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetTeleport(model);
}

std::shared_ptr<QVModelObjectTeleport> QVPObjectAssetTeleport::teleportModel() const {
    return modelCast<QVModelObjectTeleport>(m_model);
}

int32_t QVPObjectAssetTeleport::groupId() const {
    const auto model = teleportModel();
    return model ? truncToInt(model->groupId()) : 0;
}

void QVPObjectAssetTeleport::update(float) {
    if (m_passenger) setState(kStateMoving);
}

void QVPObjectAssetTeleport::createBody(b2World* world, bool skipStill) { createSensorBody(world, skipStill); }

void QVPObjectAssetTeleport::beginContact(QVPObject* other, b2Contact*, bool) {
    const auto model = teleportModel();
    if (!m_controllable || !model || model->exitOnly()) return;
    if (m_state == kStateMoving || m_state == kStateDying) return;
    auto* asset = dynamic_cast<QVPObjectAsset*>(other);
    if (!asset || !(asset->typeFlags() & kTypeCharacter) || (asset->typeFlags() & kTypeSpawned)) return;
    if (asset->getState() == kStateDying || asset->getState() == kStateFinished) return;
    dropPassenger();
    m_passenger = asset;
    m_passenger->addEventCallback(kEventFinished, this, [this](QVPObject*) { onPassengerFinished(); });
    setPendingState(kStateMoving);
}

void QVPObjectAssetTeleport::onPassengerFinished() {
    // The passenger drops its callbacks itself as it finishes.
    m_passenger = nullptr;
    m_transferQueued = false;
    setControllable(true);
    setState(kStateIdle);
}

void QVPObjectAssetTeleport::dropPassenger() {
    if (m_passenger) m_passenger->removeEventCallback(this);
    m_passenger = nullptr;
    m_transferQueued = false;
}

void QVPObjectAssetTeleport::setState(int32_t state) {
    QVPObjectAsset::setState(state);
    if (state == kStateFinished) {
        dropPassenger();
        return;
    }
    if (state != kStateMoving || m_transferQueued) return;
    QVPScreenScene* scene = ScreenManager::shared()->getGameScene();
    const auto model = teleportModel();
    if (!scene || !model) return;

    bool found = false;
    const float radius = model->searchRadius();
    for (QVPObject* target : scene->collectTeleports(groupId())) {
        if (target == this || !(getPosition().getDistance(target->getPosition()) < radius)) continue;
        scene->queueTransfer(m_passenger, target);
        target->setControllable(false);
        found = true;
    }
    if (!found) return;
    if (m_passenger) m_transferQueued = true;
    if (m_passenger && model->deleteInputObject()) {
        QVPObjectAsset* passenger = m_passenger;
        dropPassenger();
        passenger->setState(kStateFinished);
        setControllable(true);
        setState(kStateIdle);
    }
    if (model->singleUse()) setState(kStateFinished);
}
