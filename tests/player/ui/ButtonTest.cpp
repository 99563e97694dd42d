// Buttons: the factory's class table, interval builds, sprites and their
// references, key registration across model changes, sounds, autohide, and
// touch emulation that never activates without a press.
#include <tuple>
#include <typeinfo>

#include "../../model/core/support/model_test_support.h"
#include "menu/CCMenu.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelSound.h"
#include "player/app/QVPInputController.h"
#include "player/screens/QVPScreen.h"
#include "player/ui/QVObjectModelHolder.h"
#include "player/ui/QVPObjectButton.h"
#include "player/ui/QVPObjectButtonLinks.h"
#include "player/ui/QVPObjectButtonLock.h"
#include "player/ui/QVPObjectButtonPowerup.h"
#include "player/ui/QVPObjectButtonPurchase.h"
#include "player/ui/QVPObjectButtonSwitch.h"
#include "player/ui/QVPObjectButtonUnlockCharacter.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"
#include "ui_test_support.h"

using namespace cocos2d;
using namespace uitest;
using Calls = std::vector<std::string>;

namespace {

struct Receiver : CCObject {
    Calls calls;
    void onActivate(CCObject*) { calls.push_back("action"); }
    void onPress(CCObject*) { calls.push_back("press"); }
    void onRelease(CCObject*) { calls.push_back("release"); }
};

struct RecordingButton : QVPObjectButton {
    Calls calls;
    void activate() override { calls.push_back("activate"), QVPObjectButton::activate(); }
    void selected() override { calls.push_back("selected"), QVPObjectButton::selected(); }
    void unselected() override { calls.push_back("unselected"), QVPObjectButton::unselected(); }
};

std::shared_ptr<QVModelObjectButton> buttonModel(int key = 0) {
    auto model = registered<QVModelObjectButton>();
    attr<QVAttributeKey>(*model, "Keyboard Key")->setValue(key);
    return model;
}

}  // namespace

using Buttons = UiTest;

// "Interval" 3 builds the second screen and then every third; activation
// hides at once and blocks until the next build; "Interval" 0 always builds.
TEST_F(Buttons, IntervalDecidesTheBuildsAndActivationHidesAndBlocks) {
    auto every3 = buttonModel(), always = buttonModel();
    attr(*every3, "Interval")->setValue(3.0f);
    every3->resetIntervalCounter();
    std::string built;
    for (int i = 0; i < 8; ++i) built += QVPObjectButton::createFromModel(every3, nullptr) ? 'B' : '-';
    EXPECT_EQ(built, "-B--B--B");
    for (const auto& model : {every3, always}) {
        model->resetIntervalCounter();
        QVPObjectButton* button = QVPObjectButton::createFromModel(model, nullptr);
        if (!button) button = QVPObjectButton::createFromModel(model, nullptr);
        Receiver receiver;
        button->setActionTarget(&receiver, menu_selector(Receiver::onActivate));
        button->activate();
        EXPECT_EQ(button->isVisible(), model == always);
        EXPECT_EQ(model->intervalReached(), model == always);
        EXPECT_EQ(receiver.calls, Calls{"action"});
    }
}

// Every kind builds its runtime class; the character-unlock and lock kinds
// are picked by exact class. Nothing logs a missing runtime object.
TEST_F(Buttons, FactoryBuildsTheClassOfEachKind) {
    modeltest::LogCapture log;
    const std::pair<std::shared_ptr<QVModelObjectButton>, const std::type_info*> rows[] = {
        {QVModelObjectButton::create(), &typeid(QVPObjectButton)},
        {QVModelObjectButtonSoundControl::create(), &typeid(QVPObjectButton)},
        {QVModelObjectButtonControl::create(), &typeid(QVPObjectButton)},
        {QVModelObjectButtonPowerup::create(), &typeid(QVPObjectButtonPowerup)},
        {QVModelObjectButtonPurchase::create(), &typeid(QVPObjectButtonPurchase)},
        {QVModelObjectButtonUrl::create(), &typeid(QVPObjectButtonUrl)},
        {QVModelObjectButtonFacebook::create(), &typeid(QVPObjectButtonFacebook)},
        {QVModelObjectButtonSwitch::create(), &typeid(QVPObjectButtonSwitch)},
        {QVModelObjectButtonCharacterUnlock::create(), &typeid(QVPObjectButtonUnlockCharacter)},
        {QVModelObjectLockButton::create(), &typeid(QVPObjectButtonLock)}};
    for (const auto& [model, type] : rows) {
        SCOPED_TRACE(model->className());
        QVPObjectButton* button = QVPObjectButton::createFromModel(model, nullptr);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(typeid(*button), *type);
        EXPECT_EQ(QVObjectModelHolder::modelOf(button), model);
    }
    EXPECT_FALSE(log.hasPrefix("[QVPScreen] no runtime object for"));
}

// No usable image: one transparent 100 x 100 sprite that takes touches.
// An image gives it, a grey copy or "Image Selected", and a disabled copy,
// each held only by the button once the pool drains.
TEST_F(Buttons, SpritesComeFromTheModelAndOnlyTheButtonHoldsThem) {
    auto bare = buttonModel(), emptyImage = buttonModel(), tinted = buttonModel(), own = buttonModel();
    attr<QVAttributeSprite>(*emptyImage, "Image")->setValue(registered<QVModelSpriteContainer>());
    for (const auto& model : {bare, emptyImage}) {
        QVPObjectButton* button = QVPObjectButton::createFromModel(model, nullptr);
        EXPECT_EQ(button->getContentSize(), CCSize(100, 100));
        EXPECT_EQ(button->getSelectedImage(), nullptr);
        EXPECT_EQ(static_cast<CCSprite*>(button->getNormalImage())->getTexture()->getPixelsWide(), 1u);
    }
    auto image = spriteContainer(3);
    attr<QVAttributeSprite>(*tinted, "Image")->setValue(image);
    attr<QVAttributeSprite>(*own, "Image")->setValue(image);
    attr<QVAttributeSprite>(*own, "Image Selected")->setValue(spriteContainer(1));
    for (const auto& model : {tinted, own}) {
        QVPObjectButton* button = QVPObjectButton::createFromModel(model, nullptr);
        button->retain();
        CCPoolManager::sharedPoolManager()->finalize();
        for (CCNode* node : {button->getNormalImage(), button->getSelectedImage(), button->getDisabledImage()}) {
            ASSERT_NE(dynamic_cast<CCSprite*>(node), nullptr);
            EXPECT_EQ(node->retainCount(), 1u);
        }
        EXPECT_EQ(static_cast<CCSprite*>(button->getSelectedImage())->getColor().r, model == tinted ? 128 : 255);
        button->release();
    }
}

// Keys at or below 0 are never bound. A button answers to the code it
// registered even after its model's key changes; a new model moves it, and
// destruction leaves no entry behind.
TEST_F(Buttons, KeyRegistrationFollowsWhatWasRegistered) {
    for (int key : {0, -1}) EXPECT_EQ(QVPObjectButton::createFromModel(buttonModel(key), nullptr)->registeredKey(), 0);
    auto* screen = new QVPScreen();
    screen->init();
    CCMenu* menu = CCMenu::create(false);
    screen->addChild(menu);
    auto first = buttonModel(79);
    QVPObjectButton* button = QVPObjectButton::createFromModel(first, nullptr);
    menu->addChild(button);
    attr<QVAttributeKey>(*first, "Keyboard Key")->setValue(80);
    EXPECT_TRUE(QVPInputController::pressKeyObjects(79, screen));
    EXPECT_TRUE(button->isSelected());
    EXPECT_TRUE(QVPInputController::releaseKeyObjects(79, screen));
    EXPECT_FALSE(QVPInputController::pressKeyObjects(80, screen));
    button->setModel(buttonModel(81));
    EXPECT_FALSE(QVPInputController::pressKeyObjects(79, screen));
    EXPECT_TRUE(QVPInputController::pressKeyObjects(81, screen));
    button->setModel(nullptr);
    EXPECT_FALSE(QVPInputController::releaseKeyObjects(81, screen));
    button->setModel(buttonModel(82));
    menu->removeAllChildren();
    CCPoolManager::sharedPoolManager()->finalize();  // the last reference
    EXPECT_FALSE(QVPInputController::pressKeyObjects(82, screen));
    screen->release();
}

// Click and release sounds and the handlers only while enabled; a disabled
// activation still applies the interval.
TEST_F(Buttons, SoundsAndHandlersOnlyWhileEnabled) {
    auto click = registered<QVModelSound>(), release = registered<QVModelSound>();
    auto playing = [](const std::shared_ptr<QVModelSound>& model) {
        return std::count_if(QVSound::liveSounds().begin(), QVSound::liveSounds().end(),
                             [&](QVSound* sound) { return sound->model() == model; });
    };
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        auto model = buttonModel();
        attr<QVAttributeSound>(*model, "Click Sound")->setModel(click);
        attr<QVAttributeSound>(*model, "Release Sound")->setModel(release);
        attr(*model, "Interval")->setValue(2.0f);
        QVPObjectButton* button = QVPObjectButton::create(CCSprite::create(), nullptr, nullptr);
        button->setModel(model);
        button->setEnabled(enabled);
        Receiver receiver;
        button->setPressReleaseTarget(&receiver, menu_selector(Receiver::onPress), menu_selector(Receiver::onRelease));
        const auto clicks = playing(click), releases = playing(release);
        button->pressFromKey();
        button->releaseFromKey();
        EXPECT_EQ(playing(click) - clicks, enabled ? 1 : 0);
        EXPECT_EQ(playing(release) - releases, enabled ? 1 : 0);
        EXPECT_EQ(receiver.calls, enabled ? Calls({"press", "release"}) : Calls());
        button->activate();
        EXPECT_FALSE(button->isVisible());
    }
}

// Each edge of "Touch Emulation" (high 0.5-1.5 s and from 2.5 s; 0.25 s per
// update) acts once; a release activates only what an enabled press began.
TEST_F(Buttons, TouchEmulationActsOncePerEdgeAndNeverWithoutAPress) {
    // Updates [offFrom, offTo) run disabled.
    const std::tuple<const char*, int, int, Calls> rows[] = {
        {"enabled", 0, 0, {"selected", "unselected", "activate", "selected"}},
        {"disabled at the press", 2, 4, {"selected"}},
        {"disabled at the release", 5, 8, {"selected", "selected"}}};
    for (const auto& [name, offFrom, offTo, expected] : rows) {
        SCOPED_TRACE(name);
        auto model = buttonModel();
        attr(*model, "Touch Emulation")
            ->setAnimationCurves({curve({{0.5f, 0}, {0.5001f, 1}, {1.5f, 1}, {1.5001f, 0}, {2.5f, 0}, {2.5001f, 1}})},
                                 0);
        RecordingButton button;
        button.initWithNormalSprite(CCSprite::create(), nullptr, nullptr, nullptr, nullptr);
        button.setModel(model);
        for (int i = 0; i < 12; ++i) {
            button.setEnabled(i < offFrom || i >= offTo);
            button.update(0.25f);
        }
        EXPECT_EQ(button.calls, expected);
        button.setModel(nullptr);
    }
}

// The fade starts once, when the delay has passed on a visible button, and
// from then on the opacity curve no longer reaches the sprites.
TEST_F(Buttons, AutohideStartsOnceAndThenLeavesTheOpacityAlone) {
    for (const auto& [delay, visible] : {std::pair{2.0f, true}, {0.0f, true}, {2.0f, false}}) {
        const bool fades = delay > 0 && visible;
        SCOPED_TRACE(testing::Message() << delay << visible);
        auto model = buttonModel();
        attr(*model, "Opacity")->setValue(0.5f);
        QVPObjectButton* button = QVPObjectButton::createFromModel(model, nullptr);
        button->setAutohideDelay(delay);
        button->setVisible(visible);
        auto* sprite = static_cast<CCSprite*>(button->getNormalImage());
        button->update(1.0f);
        EXPECT_EQ(sprite->getOpacity(), 127);
        for (int i = 0; i < 2; ++i) button->update(1.0f);
        EXPECT_EQ(sprite->numberOfRunningActions(), fades ? 1u : 0u);
        sprite->setOpacity(200);
        button->update(0.5f);
        EXPECT_EQ(sprite->getOpacity(), fades ? 200 : 127);
    }
}
