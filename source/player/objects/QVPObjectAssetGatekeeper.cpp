#include "player/objects/QVPObjectAssetGatekeeper.h"

#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObjectPath.h"
#include "platform/QVLog.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"

QVPObjectAssetGatekeeper::QVPObjectAssetGatekeeper(std::shared_ptr<QVModelObject> model)
    : QVPObjectAsset(std::move(model)) {
    setTypeFlags(kTypeTrigger);
    m_collisionType = kCharacterCollision;
}

QVPObjectAsset* QVPObjectAssetGatekeeper::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetGatekeeper(model);
}

void QVPObjectAssetGatekeeper::createBody(b2World* world, bool skipStill) { createSensorBody(world, skipStill); }

void QVPObjectAssetGatekeeper::beginContact(QVPObject* other, b2Contact*, bool) {
    logMessage("gatekeeper begin contact");
    if (!other || !(other->typeFlags() & kTypeCharacter)) return;
    ++m_passed;
    const auto model = modelCast<QVModelObjectGatekeeper>(m_model);
    if (model && static_cast<float>(m_passed) > model->passedAmount()) other->setPendingState(kStateFinished);
}

QVPObjectAssetScreenJump::QVPObjectAssetScreenJump(std::shared_ptr<QVModelObject> model)
    : QVPObjectAsset(std::move(model)) {
    setTypeFlags(kTypeTrigger);
    m_collisionType = kCharacterCollision;
}

QVPObjectAsset* QVPObjectAssetScreenJump::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetScreenJump(model);
}

void QVPObjectAssetScreenJump::createBody(b2World* world, bool skipStill) { createSensorBody(world, skipStill); }

void QVPObjectAssetScreenJump::beginContact(QVPObject* other, b2Contact*, bool) {
    auto* character = dynamic_cast<QVPObjectAssetCharacter*>(other);
    if (!character || character->getState() == kStateDying || character->getState() == kStateFinished) return;
    setPendingState(kStateMoving);
}

void QVPObjectAssetScreenJump::setState(int32_t state) {
    QVPObjectAsset::setState(state);
    if (state != kStateMoving) return;
    const auto model = modelCast<QVModelObjectScreenJump>(m_model);
    if (model) {
        const std::string& function = model->function();
        const int mode = function == "kStartKeepScores"       ? kStartKeepScores
                         : function == "kStartCheckpointJump" ? kStartCheckpointJump
                                                              : kStartOther;
        if (QVPScreenScene* scene = ScreenManager::shared()->getGameScene()) {
            scene->jumpToScreen(model->name(), model->pauseCurrentWorld(), mode, 1);
        }
    }
    setPendingState(kStateIdle);
}
