// The character selector: taps, the glide, unlocks (each for the character
// asked for), suggestions, bad indices and spreads, the screen's unlock action.
#include <cmath>

#include "../../model/core/support/model_test_support.h"
#include "../app/state_test_support.h"
#include "../screens/screens_test_support.h"
#include "input/CCTouch.h"
#include "input/CCTouchDispatcher.h"
#include "input/TouchInput.h"
#include "label/CCLabelBMFont.h"
#include "menu/CCMenuItem.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelUIObjects.h"
#include "platform/RandomAndClock.h"
#include "player/screens/QVPScreenUi.h"
#include "player/ui/QVPObjectCharacterSelector.h"

using namespace screentest;
using cocos2d::CCPoint;

namespace {

struct Character {
    const char* method;
    float price = 0.0f;
    const char* store = "";
};
const CCPoint kAt(300, 300);

class Selector : public ScreenTest {
protected:
    void SetUp() override {
        statetest::useWritable(dir.path);
        QVPSettingsController::setLoaded(true);
        compat::srand(1);
    }
    void TearDown() override {
        cocos2d::TouchInput::sharedTouchInput()->reset();
        cocos2d::CCDirector::resetForTest();  // the selector goes before its sounds would be
        QVPSettingsController::setLoaded(false);
    }
    static QVPSettingsController* settings() { return QVPSettingsController::shared(); }
    std::shared_ptr<QVModelAnimation> oneImage(const CCPoint& at = CCPoint()) {
        auto animation = registered<QVModelAnimation>();
        auto image = registered<QVModelObjectImage>();
        attr<QVAttributeSprite>(*image, "Image")->setValue(spriteContainer(1));
        image->setPosition(at);
        animation->addChild(image);
        return animation;
    }
    // The settings are made after the models, whose "kFree" they follow.
    void characters(std::initializer_list<Character> list) {
        for (const Character& c : list) {
            auto model = registered<QVModelAssetCharacter>();
            setText(*model, "Purchase Method", c.method);
            setText(*model, "Store Identifier", c.store);
            attr(*model, "Price")->setValue(c.price);
            attr<QVAttributeAnimation>(*model, "Default Animation")->setModel(oneImage());
        }
        QVPSettingsController::destroy();
        settings()->load();
    }
    std::shared_ptr<QVModelObjectCharacterSelector> selectorModel(float spread = 100.0f) {
        auto model = registered<QVModelObjectCharacterSelector>();
        model->setPosition(kAt);
        model->setScale(CCPoint(3, 3));  // a touch box of 300 x 300
        attr(*model, "Spread")->setValue(spread);
        setText(*model, "Label Name", std::to_string(digitFont()->id()));
        attr<QVAttributeAnimation>(*model, "Unlock Button")->setModel(oneImage(CCPoint(0, -150)));
        return model;
    }
    // Running in a scene of its own and settled at the stored selection.
    QVPObjectCharacterSelector* make(float spread = 100.0f) {
        selector = QVPObjectCharacterSelector::create(selectorModel(spread));
        cocos2d::CCScene* scene = cocos2d::CCScene::create();
        scene->addChild(selector);
        cocos2d::CCDirector::sharedDirector()->runWithScene(scene);
        step(1);
        frames(60);
        return selector;
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) selector->update(1.0f / 60.0f);
    }
    // 0 down, 1 move, 2 up, at x offsets from the selector.
    static void touch(int phase, float dx) {
        auto* input = cocos2d::TouchInput::sharedTouchInput();
        const float x = kAt.x + dx, y = 640.0f - kAt.y;
        phase == 0 ? input->touchBegan(0, x, y) : phase == 1 ? input->touchMoved(0, x, y) : input->touchEnded(0, x, y);
    }
    static void tap(float dx) { touch(0, dx), touch(2, dx); }

    modeltest::TempDir dir;
    QVPObjectCharacterSelector* selector = nullptr;
};

// "Spread" 100: +40 keeps, +60 next, -60 previous, nothing past the last;
// nothing under a hidden ancestor (an overlay's screen) or out of the scene.
TEST_F(Selector, TapTable) {
    characters({{"kFree"}, {"kFree"}, {"kFree"}});
    make();
    for (auto [from, dx, hidden, expected] : {std::tuple{1, 40.0f, false, 1},
                                              {1, 60.0f, false, 2},
                                              {1, -60.0f, false, 0},
                                              {2, 60.0f, false, 2},
                                              {1, 60.0f, true, 1}}) {
        SCOPED_TRACE(dx);
        settings()->setSelectedCharacter(from);
        frames(1);
        selector->getParent()->setVisible(!hidden);
        tap(dx);
        EXPECT_EQ(selector->currentIndex(), expected);
        EXPECT_EQ(settings()->selectedCharacter(), expected);
        selector->getParent()->setVisible(true);
    }
    auto* dispatcher = cocos2d::CCDirector::sharedDirector()->getTouchDispatcher();
    EXPECT_TRUE(dispatcher->hasDelegate(selector));
    selector->retain();
    selector->removeFromParent();
    EXPECT_FALSE(dispatcher->hasDelegate(selector));
    selector->release();
}

// A drag of 10 moves the target 12 with velocity 12; 50 clamps to 50. The
// glide decays by 0.94 (0.7 more at an end) and snaps the centre icon to 0.
TEST_F(Selector, DragAndGlide) {
    characters({{"kFree"}, {"kFree"}, {"kFree"}});
    for (auto [from, dx, velocity, next] :
         {std::tuple{1, 10.0f, 12.0f, 11.28f}, {1, 50.0f, 50.0f, 47.0f}, {0, -50.0f, -50.0f, -32.9f}}) {
        SCOPED_TRACE(dx);
        settings()->setSelectedCharacter(from);
        const float target = make()->rowTarget();
        touch(0, 0), touch(1, dx);
        EXPECT_FLOAT_EQ(selector->rowTarget(), target + dx * 1.2f);
        EXPECT_FLOAT_EQ(selector->rowVelocity(), velocity);
        touch(2, dx), frames(1);
        EXPECT_NEAR(selector->rowVelocity(), next, 1e-4);
        frames(200);
        EXPECT_NEAR(selector->rowPosition(), -100.0f * selector->currentIndex(), 0.5f);
    }
}

// A locked centre shows its price and the unlock button and keeps the
// selection (the last unlocked one passed). Prices compare whole and charge
// their whole part.
TEST_F(Selector, CoinUnlock) {
    characters({{"kFree"}, {"kInGameCurrency", 50}, {"kInGameCurrency", 12.9f}});
    for (auto [index, balance, unlocks, left, price, before] : {std::tuple{1, 49, false, 49, "50", 0},
                                                                {1, 50, true, 0, "50", 0},
                                                                {2, 12, false, 12, "12", 1},
                                                                {2, 13, true, 1, "12", 1}}) {
        SCOPED_TRACE(balance);
        settings()->setSelectedCharacter(0);
        scoreRecord("").coins.total = balance;
        make();
        for (int i = 0; i < index; ++i) tap(60);
        frames(1);
        EXPECT_EQ(selector->currentIndex(), index);
        EXPECT_EQ(settings()->selectedCharacter(), before);
        EXPECT_TRUE(selector->priceLabel()->isVisible() && selector->unlockButton()->isVisible());
        EXPECT_STREQ(selector->priceLabel()->getString(), price);
        modeltest::LogCapture log;
        selector->unlockButton()->activate();
        frames(1);
        EXPECT_EQ(settings()->isCharacterUnlocked(index), unlocks);
        EXPECT_EQ(settings()->selectedCharacter(), unlocks ? index : before);
        EXPECT_EQ(scoreRecord("").coins.total, left);
        EXPECT_EQ(selector->unlockButton()->isVisible(), !unlocks);
        EXPECT_EQ(log.has("not enought coins to unlock"), !unlocks);
    }
}

// The seed decides the suggestion; after its button none comes back.
TEST_F(Selector, Suggestion) {
    characters({{"kFree"}, {"kInGameCurrency", 10}, {"kInGameCurrency", 500}, {"kInGameCurrency", 20}});
    scoreRecord("").coins.total = 100;
    const int first = make()->suggestedIndex();
    EXPECT_TRUE(first == 1 || first == 3) << first;
    compat::srand(1);
    EXPECT_EQ(make()->suggestedIndex(), first);
    selector->onSuggestionButton(nullptr);
    EXPECT_TRUE(settings()->isCharacterUnlocked(first));
    frames(5);
    EXPECT_EQ(selector->suggestedIndex(), -2);
}

// Read as 0 and left stored; a selection made elsewhere is followed at once.
TEST_F(Selector, StoredIndexOutOfRange) {
    characters({{"kInGameCurrency", 5}, {"kFree"}, {"kFree"}});
    for (int stored : {7, -1}) {
        settings()->setSelectedCharacter(stored);
        EXPECT_EQ(make()->currentIndex(), 0);
        EXPECT_EQ(settings()->selectedCharacter(), stored);
        settings()->setSelectedCharacter(2);
        frames(1);
        EXPECT_EQ(selector->currentIndex(), 2);
    }
}

// Unguarded, 0 overflows the index, -100 turns a tap 160 left into "next"
// and NaN leaves the row nowhere; extreme ones overflow nothing.
TEST_F(Selector, ZeroSpreadIgnoresTaps) {
    characters({{"kFree"}, {"kFree"}, {"kFree"}});
    for (float spread : {0.0f, -100.0f, NAN, 1e-30f, -3e38f}) {
        settings()->setSelectedCharacter(1);
        make(spread)->getModel()->setScale(CCPoint(4, 4));
        for (float dx : {60.0f, -160.0f, 0.0f}) tap(dx);
        frames(3);
        EXPECT_EQ(selector->currentIndex(), 1) << spread;
        EXPECT_TRUE(std::isfinite(selector->rowPosition())) << spread;
    }
}

// No icons, no claimed touch, no character operation; the model still places it.
TEST_F(Selector, NoCharacters) {
    EXPECT_TRUE(make()->icons().empty());
    cocos2d::CCTouch touch;
    touch.setTouchInfo(0, kAt.x, 640.0f - kAt.y);
    EXPECT_FALSE(selector->ccTouchBegan(&touch, nullptr));
    selector->setCurrentCharacter(0);
    selector->unlockCharacter(0);
    selector->onSuggestionButton(nullptr);
    selector->getModel()->setPosition(CCPoint(10, 20));
    frames(1);
    EXPECT_EQ(selector->getPosition(), CCPoint(10, 20));
}

// The tenth update unlocks the character asked for, though a drag moved the
// row to locked ones meanwhile.
TEST_F(Selector, LinkUnlockKeepsRequestedCharacter) {
    characters({{"kInGameCurrency", 999}, {"kInGameCurrency", 999}, {"kWebLink"}});
    make();
    tap(60), tap(60), frames(60);
    selector->onUnlockButton(nullptr);
    touch(0, 0);
    for (int update = 1; update <= 10; ++update) {
        EXPECT_FALSE(settings()->isCharacterUnlocked(2)) << update;
        touch(1, 30.0f * update), frames(1);
    }
    touch(2, 300);
    EXPECT_NE(selector->currentIndex(), 2);
    EXPECT_TRUE(settings()->isCharacterUnlocked(2));
    EXPECT_FALSE(settings()->isCharacterUnlocked(0) || settings()->isCharacterUnlocked(1));
    EXPECT_EQ(settings()->selectedCharacter(), 2);
}

// Only the product asked for unlocks, and only the character that asked.
TEST_F(Selector, StoreCallbackMatchesIdentifier) {
    modeltest::LogCapture log;
    characters({{"kFree"}, {"kInAppPurchase", 0, "id.one"}, {"kInAppPurchase", 0, "id.two"}, {"kInAppPurchase"}});
    make();
    tap(60), tap(60);
    selector->onPurchaseComplete("id.two");  // nothing asked for
    selector->unlockCharacter(3);            // no identifier: nothing starts
    EXPECT_EQ(selector->pendingUnlock(), -1);
    selector->unlockCharacter(1);  // the desktop store completes at once
    EXPECT_TRUE(settings()->isCharacterUnlocked(1));
    EXPECT_FALSE(settings()->isCharacterUnlocked(2));
    EXPECT_EQ(settings()->selectedCharacter(), 1);
    EXPECT_TRUE(log.has("[QVPObjectButtonPurchase] purchase did complete: id.one"));
}

// The screen's unlock action shows the affordable character in the selector
// and pays through it.
TEST_F(Selector, ScreenUnlockActionGoesThroughTheSelector) {
    characters({{"kFree"}, {"kInGameCurrency", 30}, {"kInGameCurrency", 900}});
    scoreRecord("").coins.total = 40;
    auto screenModel = openScreenModel("Shop");
    screenModel->addChild(selectorModel());
    button(screenModel, "kUnlockCharacter", 500, 500);
    QVPScreenUi* screen = QVPScreenUi::create();
    run(screen);
    ASSERT_NE(selector = screen->characterSelector(), nullptr);
    screen->unlockCharacterButtonAction(nullptr);
    EXPECT_EQ(selector->currentIndex(), 1);
    EXPECT_EQ(settings()->selectedCharacter(), 1);
    EXPECT_EQ(scoreRecord("").coins.total, 10);
    EXPECT_FALSE(screen->findButton("kUnlockCharacter")->isVisible());
}

}  // namespace
