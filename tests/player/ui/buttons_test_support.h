// The store-backed button tests' set-up: a private progress store that the
// settings controller has loaded, a seeded generator, a coins helper, and
// buttons made by the factory with a receiver for their actions.
#pragma once

#include <string>

#include "../app/state_test_support.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "platform/RandomAndClock.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVSwitchStates.h"
#include "player/app/ScoreTable.h"
#include "player/ui/QVPObjectButton.h"
#include "ui_test_support.h"

namespace uitest {

struct Receiver : cocos2d::CCObject {
    int actions = 0;
    void onAction(cocos2d::CCObject*) { ++actions; }
};

template <class Base = UiTest>
class ButtonsTestOn : public Base {
protected:
    ButtonsTestOn() {
        statetest::useWritable(dir.path);
        reload();
        compat::srand(1);
    }
    ~ButtonsTestOn() override {
        statetest::resetPlayerState();
        clearSwitchStates();
    }
    // A fresh controller that loaded the store, as after the game's load.
    static QVPSettingsController* reload() { return statetest::loadedSettings(); }
    static ScoreCounter<int32_t>& coins() { return scoreRecord("").coins; }
    static void setCoins(int total) {
        coins().total = coins().current = total;
        coins().refreshSavedCopy();
    }
    template <class B>
    B* build(const std::shared_ptr<QVModelObjectButton>& model) {
        auto* button = dynamic_cast<B*>(QVPObjectButton::createFromModel(model, nullptr));
        EXPECT_NE(button, nullptr);
        return button;
    }
    std::shared_ptr<QVModelAssetPowerup> powerupAsset(const char* type = "kPowerupMagnet") {
        auto powerup = registered<QVModelAssetPowerup>();
        static_cast<QVAttributeStringList*>(powerup->attribute("Powerup Type"))->setValue(type);
        return powerup;
    }

    modeltest::TempDir dir;
    modeltest::LogCapture log;
};
using ButtonsTest = ButtonsTestOn<>;

}  // namespace uitest
