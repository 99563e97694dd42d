// Buttons: the factory's class table, interval builds and sprites (their
// references included), key registration that survives model changes,
// sounds, autohide, and touch emulation that never activates without a
// press.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "../../model/core/support/model_test_support.h"
#include "menu/CCMenu.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelSound.h"
#include "player/app/QVPInputController.h"
#include "player/screens/QVPScreen.h"
#include "player/ui/QVObjectModelHolder.h"
#include "player/ui/QVPObjectButton.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"
#include "ui_test_support.h"

using namespace cocos2d;
using namespace uitest;

namespace {

// Records the calls the engine and the key and emulation paths make.
class RecordingButton : public QVPObjectButton {
public:
    static RecordingButton* make(const std::shared_ptr<QVModelObjectButton>& model, std::vector<std::string>* log) {
        auto* button = new RecordingButton();
        button->initWithNormalSprite(CCSprite::create(), nullptr, nullptr, nullptr, nullptr);
        button->autorelease();
        button->m_log = log;
        button->setModel(model);
        return button;
    }
    void activate() override {
        m_log->push_back("activate");
        QVPObjectButton::activate();
    }
    void selected() override {
        m_log->push_back("selected");
        QVPObjectButton::selected();
    }
    void unselected() override {
        m_log->push_back("unselected");
        QVPObjectButton::unselected();
    }

private:
    std::vector<std::string>* m_log = nullptr;
};

// The target of bound handlers.
struct Receiver : CCObject {
    std::vector<std::string> calls;
    void onActivate(CCObject*) { calls.push_back("action"); }
    void onPress(CCObject*) { calls.push_back("press"); }
    void onRelease(CCObject*) { calls.push_back("release"); }
};

class Buttons : public UiTest {
protected:
    static std::shared_ptr<QVModelObjectButton> buttonModel(int key = 0) {
        auto model = registered<QVModelObjectButton>();
        attributeOf<QVAttributeKey>(*model, "Keyboard Key")->setValue(key);
        return model;
    }
    // A retained button on a screen of its own, in a button menu.
    QVPObjectButton* onScreen(QVPObjectButton* button) {
        if (!screen) {
            screen = new QVPScreen();
            screen->init();
        }
        CCMenu* menu = CCMenu::create(false);
        menu->addChild(button);
        screen->uiContainer()->addChild(menu, 0, QVPScreen::kButtonMenuTag);
        return button;
    }
    ~Buttons() override {
        if (screen) screen->release();
    }
    QVPScreen* screen = nullptr;
};

size_t soundsOf(const std::shared_ptr<QVModelSound>& model) {
    size_t n = 0;
    for (QVSound* sound : QVSound::liveSounds()) n += sound->model() == model;
    return n;
}

}  // namespace

// The model's counter decides every build: "Interval" 3 builds the second
// screen and then every third; an activated button hides at once and
// blocks the counter until the next build, and "Interval" 0 builds always.
TEST_F(Buttons, IntervalDecidesTheBuildsAndActivationHidesAndBlocks) {
    auto every3 = buttonModel();
    setFloat(*every3, "Interval", 3.0f);
    every3->resetIntervalCounter();
    std::string built;
    for (int i = 0; i < 8; ++i) built += QVPObjectButton::createFromModel(every3, nullptr) ? 'B' : '-';
    EXPECT_EQ(built, "-B--B--B");

    every3->resetIntervalCounter();
    QVPObjectButton::createFromModel(every3, nullptr);
    QVPObjectButton* button = QVPObjectButton::createFromModel(every3, nullptr);
    ASSERT_NE(button, nullptr);
    Receiver receiver;
    button->setActionTarget(&receiver, menu_selector(Receiver::onActivate));
    button->activate();
    EXPECT_FALSE(button->isVisible());
    EXPECT_FALSE(every3->intervalReached());
    EXPECT_EQ(receiver.calls, std::vector<std::string>{"action"});

    auto always = buttonModel();
    always->resetIntervalCounter();
    for (int i = 0; i < 4; ++i) {
        QVPObjectButton* plain = QVPObjectButton::createFromModel(always, nullptr);
        ASSERT_NE(plain, nullptr);
        plain->activate();
        EXPECT_TRUE(plain->isVisible());
    }
}

// Only the plain kinds (sound control and control included) are built;
// the kinds with their own runtime classes give nothing and log once per
// class, however often they are asked for.
TEST_F(Buttons, FactoryBuildsOnlyThePlainKinds) {
    modeltest::LogCapture log;
    struct Row {
        std::shared_ptr<QVModelObjectButton> model;
        bool built;
    };
    const Row rows[] = {
        {QVModelObjectButton::create(), true},
        {QVModelObjectButtonSoundControl::create(), true},
        {QVModelObjectButtonControl::create(), true},
        {QVModelObjectButtonPowerup::create(), false},
        {QVModelObjectButtonPurchase::create(), false},
        {QVModelObjectButtonUrl::create(), false},
        {QVModelObjectButtonFacebook::create(), false},
        {QVModelObjectButtonSwitch::create(), false},
        {QVModelObjectButtonCharacterUnlock::create(), false},
        {QVModelObjectLockButton::create(), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.model->className());
        for (int build = 0; build < 2; ++build) {
            QVPObjectButton* button = QVPObjectButton::createFromModel(row.model, nullptr);
            EXPECT_EQ(button != nullptr, row.built);
            if (!button) continue;
            EXPECT_EQ(typeid(*button), typeid(QVPObjectButton));
            EXPECT_EQ(button->getModel(), row.model);
            EXPECT_EQ(QVObjectModelHolder::modelOf(button), row.model);
        }
        const std::string line = std::string("[QVPScreen] no runtime object for ") + row.model->className();
        size_t lines = 0;
        for (const std::string& l : log.all()) lines += l == line;
        EXPECT_EQ(lines, row.built ? 0u : 1u);
    }
    EXPECT_EQ(QVPObjectButton::createFromModel(nullptr, nullptr), nullptr);
}

// No image, or an image whose container has no frame: one transparent
// 100 x 100 sprite that still takes touches. With an image: the image, a
// grey copy or "Image Selected", and a dark copy. The button holds the
// only reference to each sprite once the pool drains.
TEST_F(Buttons, SpritesComeFromTheModelAndOnlyTheButtonHoldsThem) {
    auto bare = buttonModel();
    auto emptyImage = buttonModel();
    attributeOf<QVAttributeSprite>(*emptyImage, "Image")->setValue(registered<QVModelSpriteContainer>());
    for (const auto& model : {bare, emptyImage}) {
        QVPObjectButton* button = QVPObjectButton::createFromModel(model, nullptr);
        ASSERT_NE(button, nullptr);
        auto* normal = dynamic_cast<CCSprite*>(button->getNormalImage());
        ASSERT_NE(normal, nullptr);
        EXPECT_EQ(normal->getContentSize(), CCSize(100, 100));
        EXPECT_EQ(button->getContentSize(), CCSize(100, 100));
        EXPECT_EQ(button->getSelectedImage(), nullptr);
        EXPECT_EQ(button->getDisabledImage(), nullptr);
        ASSERT_NE(normal->getTexture(), nullptr);
        EXPECT_EQ(normal->getTexture()->getPixelsWide() * normal->getTexture()->getPixelsHigh(), 1u);
    }

    auto image = spriteContainer(3);
    auto pressed = spriteContainer(1);
    auto tinted = buttonModel();
    auto ownSelected = buttonModel();
    attributeOf<QVAttributeSprite>(*tinted, "Image")->setValue(image);
    attributeOf<QVAttributeSprite>(*ownSelected, "Image")->setValue(image);
    attributeOf<QVAttributeSprite>(*ownSelected, "Image Selected")->setValue(pressed);
    for (const auto& model : {tinted, ownSelected}) {
        SCOPED_TRACE(model == tinted ? "tinted" : "own selected");
        QVPObjectButton* button = QVPObjectButton::createFromModel(model, nullptr);
        ASSERT_NE(button, nullptr);
        button->retain();
        CCPoolManager::sharedPoolManager()->finalize();
        auto* normal = dynamic_cast<CCSprite*>(button->getNormalImage());
        auto* selected = dynamic_cast<CCSprite*>(button->getSelectedImage());
        auto* disabled = dynamic_cast<CCSprite*>(button->getDisabledImage());
        ASSERT_TRUE(normal && selected && disabled);
        for (CCSprite* sprite : {normal, selected, disabled}) EXPECT_EQ(sprite->retainCount(), 1u);
        EXPECT_EQ(normal->getColor().r, 255);
        EXPECT_EQ(selected->getColor().r, model == tinted ? 128 : 255);
        EXPECT_EQ(disabled->getColor().r, 60);
        EXPECT_NE(normal->getActionByTag(kQVSpriteFrameActionTag), nullptr);  // three frames animate
        button->release();
    }
}

// Keys at or below 0 are never bound. A bound button is found under the
// code it registered, even after its model's key changes; a second model
// moves it, and destruction leaves no entry behind.
TEST_F(Buttons, KeyRegistrationFollowsWhatWasRegistered) {
    for (int key : {0, -1, -5}) {
        SCOPED_TRACE(key);
        QVPObjectButton* button = QVPObjectButton::createFromModel(buttonModel(key), nullptr);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->registeredKey(), 0);
    }

    auto first = buttonModel(79);
    QVPObjectButton* button = onScreen(QVPObjectButton::createFromModel(first, nullptr));
    EXPECT_EQ(button->registeredKey(), 79);
    attributeOf<QVAttributeKey>(*first, "Keyboard Key")->setValue(80);
    EXPECT_TRUE(QVPInputController::pressKeyObjects(79, screen));
    EXPECT_TRUE(button->isSelected());
    EXPECT_TRUE(QVPInputController::releaseKeyObjects(79, screen));
    EXPECT_FALSE(button->isSelected());
    EXPECT_FALSE(QVPInputController::pressKeyObjects(80, screen));

    button->setModel(buttonModel(81));
    EXPECT_EQ(button->registeredKey(), 81);
    EXPECT_FALSE(QVPInputController::pressKeyObjects(79, screen));
    EXPECT_TRUE(QVPInputController::pressKeyObjects(81, screen));
    QVPInputController::releaseKeyObjects(81, screen);

    button->setModel(nullptr);
    EXPECT_EQ(button->registeredKey(), 0);
    EXPECT_EQ(button->getUserObject(), nullptr);
    EXPECT_FALSE(QVPInputController::pressKeyObjects(81, screen));

    button->setModel(buttonModel(82));
    screen->uiContainer()->removeAllChildren();
    CCPoolManager::sharedPoolManager()->finalize();  // the last reference
    EXPECT_FALSE(QVPInputController::pressKeyObjects(82, screen));
}

// The click sound plays on an enabled press, the release sound on an
// enabled activation; a disabled button plays neither and calls no press
// handler, but its activation still applies the interval.
TEST_F(Buttons, SoundsAndHandlersOnlyWhileEnabled) {
    auto click = registered<QVModelSound>();
    auto release = registered<QVModelSound>();
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "enabled" : "disabled");
        auto model = buttonModel();
        attributeOf<QVAttributeSound>(*model, "Click Sound")->setModel(click);
        attributeOf<QVAttributeSound>(*model, "Release Sound")->setModel(release);
        setFloat(*model, "Interval", 2.0f);
        QVPObjectButton* button = QVPObjectButton::create(CCSprite::create(), nullptr, nullptr);
        button->setModel(model);
        button->setEnabled(enabled);
        Receiver receiver;
        button->setPressReleaseTarget(&receiver, menu_selector(Receiver::onPress), menu_selector(Receiver::onRelease));
        const size_t clicks = soundsOf(click), releases = soundsOf(release);
        button->pressFromKey();
        button->selected();
        button->unselected();
        button->activate();
        EXPECT_EQ(soundsOf(click) - clicks, enabled ? 2u : 0u);
        EXPECT_EQ(soundsOf(release) - releases, enabled ? 1u : 0u);
        const std::vector<std::string> handled = {"press", "press", "release"};
        EXPECT_EQ(receiver.calls, enabled ? handled : std::vector<std::string>());
        EXPECT_FALSE(button->isVisible());
    }
    step(1);
}

// Each edge of the "Touch Emulation" curve acts once; the release
// activates only what an enabled press started, and a press while
// disabled is never remembered.
TEST_F(Buttons, TouchEmulationActsOncePerEdgeAndNeverWithoutAPress) {
    struct Row {
        const char* name;
        // The enabled flag before each update; the curve is high from 0.5 s
        // to 1.5 s and from 2.5 s on, and each update adds 0.25 s.
        std::vector<bool> enabled;
        std::vector<std::string> calls;
    };
    const std::vector<bool> on(12, true);
    std::vector<bool> offWhileHigh = on;
    for (int i = 2; i < 4; ++i) offWhileHigh[i] = false;
    std::vector<bool> offAtRelease = on;
    for (int i = 5; i < 8; ++i) offAtRelease[i] = false;
    const Row rows[] = {
        {"enabled", on, {"selected", "unselected", "activate", "selected"}},
        {"disabled at the press, enabled before the release", offWhileHigh, {"selected"}},
        {"disabled at the release", offAtRelease, {"selected", "selected"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = buttonModel();
        attributeOf<QVAttributeFloat>(*model, "Touch Emulation")
            ->setAnimationCurves({curve({{0.0f, 0.0f},
                                         {0.5f, 0.0f},
                                         {0.5001f, 1.0f},
                                         {1.5f, 1.0f},
                                         {1.5001f, 0.0f},
                                         {2.5f, 0.0f},
                                         {2.5001f, 1.0f}})},
                                 0);
        std::vector<std::string> calls;
        RecordingButton* button = RecordingButton::make(model, &calls);
        for (bool enabled : row.enabled) {
            button->setEnabled(enabled);
            button->update(0.25f);
        }
        EXPECT_EQ(calls, row.calls);
    }
}

// The fade starts once, when the delay has passed on a visible button;
// from then on the opacity curve no longer reaches the sprites. A hidden
// button or a delay of 0 never fades.
TEST_F(Buttons, AutohideStartsOnceAndThenLeavesTheOpacityAlone) {
    struct Row {
        const char* name;
        float delay;
        bool visible;
        bool fades;
    };
    for (const Row& row :
         {Row{"2 s", 2.0f, true, true}, Row{"never", 0.0f, true, false}, Row{"hidden", 2.0f, false, false}}) {
        SCOPED_TRACE(row.name);
        auto model = buttonModel();
        setFloat(*model, "Opacity", 0.5f);
        QVPObjectButton* button = QVPObjectButton::createFromModel(model, nullptr);
        button->setAutohideDelay(row.delay);
        button->setVisible(row.visible);
        auto* sprite = static_cast<CCSprite*>(button->getNormalImage());
        button->update(1.0f);
        EXPECT_EQ(sprite->getOpacity(), 127);
        EXPECT_FALSE(button->isFadedOut());
        button->update(1.0f);
        button->update(1.0f);
        EXPECT_EQ(button->isFadedOut(), row.fades);
        EXPECT_EQ(sprite->numberOfRunningActions(), row.fades ? 1u : 0u);
        sprite->setOpacity(200);
        button->update(0.5f);
        EXPECT_EQ(sprite->getOpacity(), row.fades ? 200 : 127);
    }
}
