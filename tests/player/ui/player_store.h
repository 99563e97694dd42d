// A private progress store for one test, loaded by the settings controller
// with the loaded flag set, so saves reach it; reload() reads it back from
// disk into fresh tables.
#pragma once

#include "../../model/core/support/model_test_support.h"
#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPSettingsController.h"

namespace uitest {

struct PlayerStore {
    PlayerStore() {
        cocos2d::CCUserDefault::purgeSharedUserDefault();
        cocos2d::CCFileUtils::sharedFileUtils()->setWritablePath(dir.path + "/");
        reload();
        QVPSettingsController::setLoaded(true);
    }
    ~PlayerStore() {
        QVPSettingsController::setLoaded(false);
        QVPSettingsController::destroy();
        LockStateStore::parseLockStates("");
        cocos2d::CCUserDefault::purgeSharedUserDefault();
    }
    static void reload() {
        QVPSettingsController::destroy();
        LockStateStore::parseLockStates("");
        cocos2d::CCUserDefault::purgeSharedUserDefault();
        QVPSettingsController::shared()->load();
    }

    modeltest::TempDir dir;
};

}  // namespace uitest
