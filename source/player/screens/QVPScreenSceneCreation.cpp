// Placeholder: the creation queue, linkers and transfers are written next.
#include "player/screens/QVPScreenScene.h"

bool QVPScreenScene::updateObjectCreationQueue() { return true; }

QVPObject* QVPScreenScene::createObjectFromModel(const std::shared_ptr<QVModelObject>&, uint32_t,
                                                 const cocos2d::CCPoint&, bool) {
    return nullptr;
}

void QVPScreenScene::spawnPowerup(const std::shared_ptr<QVModelObjectAssetPowerup>&, bool) {}

void QVPScreenScene::queueTransfer(QVPObject*, cocos2d::CCNode*) {}

void QVPScreenScene::processTransferQueue() {}

QVPObject* QVPScreenScene::recreateObject(const std::shared_ptr<QVModelObject>&, cocos2d::CCNode*) {
    return nullptr;
}

void QVPScreenScene::transferToGameField(cocos2d::CCNode*, cocos2d::CCNode*) {}

QVPObject* QVPScreenScene::findActivePowerup(const std::string&, QVPObject*) { return nullptr; }

std::vector<QVPObject*> QVPScreenScene::collectTeleports(int) { return {}; }

void QVPScreenScene::killAllEnemies() {}

void QVPScreenScene::removeMirror(QVPObject*) {}

void QVPScreenScene::clearQueues() {}
