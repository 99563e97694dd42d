// Powerup buttons: the amount and refill labels, the refill countdown that
// never shows below zero, unlimited use, acting on the press, and the
// screen handler that does nothing outside a game field.
#include "../screens/screens_test_support.h"
#include "buttons_test_support.h"
#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelLevelSection.h"
#include "player/objects/QVPObjectClasses.h"
#include "player/screens/QVPScreen.h"
#include "player/screens/QVPScreenScene.h"
#include "player/ui/QVPObjectButtonPowerup.h"

using namespace uitest;

namespace {

constexpr int64_t kSecond = 10'000'000;

template <class Base>
class PowerupButtonOn : public ButtonsTestOn<Base> {
protected:
    PowerupButtonOn() {
        compat::setClockForTest([this] { return now; });
        font = this->digitFont();
    }
    ~PowerupButtonOn() override { compat::setClockForTest(nullptr); }

    std::shared_ptr<QVModelObjectButtonPowerup> model(float timeout, float maxRefill, bool unlimited = false,
                                                      bool ownFont = true) {
        auto button = registered<QVModelObjectButtonPowerup>();
        if (ownFont) button->addChild(font);
        setText(*button, "Powerup Selection", std::to_string(powerup->id()));
        attr(*button, "Refill Timeout")->setValue(timeout);
        attr(*button, "Max Refill")->setValue(maxRefill);
        attr<QVAttributeBool>(*button, "Unlimited Use")->setValue(unlimited);
        return button;
    }
    static std::string text(cocos2d::CCLabelBMFont* label) {
        return label ? (label->isVisible() ? label->getString() : "(hidden)") : "(none)";
    }

    int64_t now = 1'000'000 * kSecond;
    std::shared_ptr<QVModelFont> font;
    std::shared_ptr<QVModelAssetPowerup> powerup = this->powerupAsset();
};
using PowerupButton = PowerupButtonOn<UiTest>;
using PowerupInField = PowerupButtonOn<screentest::ScreenTest>;

// A timeout of 2 minutes started at 55 s before now shows 00:01:05; the
// label hides at the maximum; no timeout (or one below 1) makes no label.
// A fractional maximum is compared as it is: 2 of 2.5 still shows a
// countdown, although the timer (whole units) does not run.
TEST_F(PowerupButton, LabelsShowAmountAndRefill) {
    struct Row {
        float timeout, maxRefill;
        int amount;
        const char *quantity, *refill;
    } rows[] = {
        {2.0f, 3.0f, 1, "1", "00:01:05"},
        {2.0f, 3.0f, 3, "3", "(hidden)"},
        {0.9f, 3.0f, 1, "1", "(none)"},
        {2.0f, 2.5f, 2, "2", "00:00:00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.refill);
        reload();
        QVPSettingsController::shared()->setInventoryAmount(powerup, row.amount);
        now -= 55 * kSecond;
        auto* button = build<QVPObjectButtonPowerup>(model(row.timeout, row.maxRefill));
        now += 55 * kSecond;
        button->update(0.0f);
        EXPECT_EQ(text(button->quantityLabel()), row.quantity);
        EXPECT_EQ(text(button->refillLabel()), row.refill);
    }
}

// The labels come from the button's own font, never from another of the
// game's fonts.
TEST_F(PowerupButton, NoOwnFontNoLabels) {
    auto* button = build<QVPObjectButtonPowerup>(model(2.0f, 3.0f, false, false));
    EXPECT_EQ(button->quantityLabel(), nullptr);
    EXPECT_EQ(button->refillLabel(), nullptr);
}

// A due timer before the once-a-second refill runs reads 00:00:00.
TEST_F(PowerupButton, RefillNeverNegative) {
    auto* button = build<QVPObjectButtonPowerup>(model(1.0f, 2.0f));
    now += 61 * kSecond;
    button->update(0.0f);
    EXPECT_EQ(text(button->refillLabel()), "00:00:00");
}

// At 0 a counted button is disabled; an unlimited one has no amount label
// and stays enabled.
TEST_F(PowerupButton, UnlimitedUseStaysEnabledAtZero) {
    for (bool unlimited : {false, true}) {
        SCOPED_TRACE(unlimited);
        auto* button = build<QVPObjectButtonPowerup>(model(0.0f, 0.0f, unlimited));
        EXPECT_EQ(button->isEnabled(), unlimited);
        EXPECT_EQ(button->quantityLabel() == nullptr, unlimited);
    }
}

// "Force Action on Press" acts on touch-down and not again on release.
TEST_F(PowerupButton, ForceActionOnPressActsOnTouchDown) {
    QVPSettingsController::shared()->setInventoryAmount(powerup, 1);
    for (bool force : {false, true}) {
        SCOPED_TRACE(force);
        auto buttonModel = model(0.0f, 0.0f);
        attr<QVAttributeBool>(*buttonModel, "Force Action on Press")->setValue(force);
        auto* button = build<QVPObjectButtonPowerup>(buttonModel);
        Receiver receiver;
        button->setActionTarget(&receiver, menu_selector(Receiver::onAction));
        button->selected();
        EXPECT_EQ(receiver.actions, force ? 1 : 0);
        button->unselected();
        button->activate();
        EXPECT_EQ(receiver.actions, 1);
    }
}

// Only in a running game field the handler uses one and starts the refill;
// a threshold of 50 against a best distance of 0 shows the button at once.
TEST_F(PowerupInField, HandlerUsesOneAndStartsTheRefill) {
    QVPSettingsController* settings = QVPSettingsController::shared();
    settings->setInventoryAmount(powerup, 2);
    auto buttonModel = model(1.0f, 2.0f);
    attr(*buttonModel, "Visibility Threshold")->setValue(50.0f);
    auto* button = build<QVPObjectButtonPowerup>(buttonModel);
    button->retain();
    auto* menu = new QVPScreen();
    menu->powerupButtonAction(button);
    menu->release();
    EXPECT_EQ(settings->inventoryAmount(powerup), 2);
    EXPECT_EQ(settings->refillSecondsLeft(powerup->id()), 0);

    registerObjectClasses();
    auto world = node<QVNodeScene, QVModelScreenScene>("Field");
    auto section = registered<QVModelLevelSection>();
    attr<QVAttributeBool>(*section, "Init Section")->setValue(true);
    world->screenScene()->addChild(section);
    manager()->setScene("Field");
    cocos2d::CCDirector::sharedDirector()->runWithScene(manager()->createCurrentScene());
    step(2);
    QVPScreenScene* scene = manager()->getGameScene();
    ASSERT_NE(scene, nullptr);
    button->setVisible(false);
    button->update(0.0f);
    EXPECT_TRUE(button->isVisible());
    scene->powerupButtonAction(button);
    EXPECT_EQ(settings->inventoryAmount(powerup), 1);
    EXPECT_EQ(settings->refillSecondsLeft(powerup->id()), 60);
    button->release();
}

}  // namespace
