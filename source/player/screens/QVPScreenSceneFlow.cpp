// Placeholder: checkpoints, lives, pause, restart and game over are written
// next.
#include "player/screens/QVPScreenScene.h"

QVPObject* QVPScreenScene::findCreatedCheckpointPowerup(cocos2d::CCNode*) { return nullptr; }

void QVPScreenScene::activateCheckpointPowerup() {}

void QVPScreenScene::saveCheckpoint(const cocos2d::CCPoint&, int) {}

void QVPScreenScene::setGameOver(bool) {}

void QVPScreenScene::setPaused(bool) {}

void QVPScreenScene::setPausedRecursive(cocos2d::CCNode*, bool) {}

void QVPScreenScene::resume() {}

void QVPScreenScene::pauseButtonAction(cocos2d::CCObject*) {}

void QVPScreenScene::restartButtonAction(cocos2d::CCObject*) {}

void QVPScreenScene::requestPendingActions(int) {}

void QVPScreenScene::runPendingActions(int) {}

void QVPScreenScene::refreshHud() {}

void QVPScreenScene::closeTopUi() {}

void QVPScreenScene::closeUiAndResume() {}

void QVPScreenScene::clearSwitchStates() {}

void QVPScreenScene::killPowerupsRecursive(cocos2d::CCNode*) {}

void QVPScreenScene::jumpToScreen(const std::string&, bool, int, int) {}

void QVPScreenScene::showEndScreen() {}

void QVPScreenScene::openScreen(const std::shared_ptr<QVModelObjectButton>&) {}
