// The character selector: taps, drags and the glide, unlocks by coins, store
// and web link (each for the character asked for), suggestions, bad stored
// indices and spreads, a game without characters, and the screen's unlock
// action through the selector.
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
        settings()->load();
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
    void characters(std::initializer_list<Character> list) {
        for (const Character& c : list) {
            auto model = registered<QVModelAssetCharacter>();
            setText(*model, "Purchase Method", c.method);
            setText(*model, "Store Identifier", c.store);
            attr(*model, "Price")->setValue(c.price);
            attr<QVAttributeAnimation>(*model, "Default Animation")->setModel(oneImage());
        }
        // The defaults follow the models present when the settings are made.
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
    // Made, running in a scene of its own and settled at the stored selection.
    QVPObjectCharacterSelector* make(float spread = 100.0f) {
        selector = QVPObjectCharacterSelector::create(selectorModel(spread));
        run(selector);
        frames(60);
        return selector;
    }
    static void run(cocos2d::CCNode* node) {
        cocos2d::CCScene* scene = cocos2d::CCScene::create();
        scene->addChild(node);
        cocos2d::CCDirector::sharedDirector()->runWithScene(scene);
        step(1);
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) selector->update(1.0f / 60.0f);
    }
    // Touches at design offsets from the selector (window y runs down).
    static void touch(int phase, float dx, float dy = 0.0f) {
        auto* input = cocos2d::TouchInput::sharedTouchInput();
        const float x = kAt.x + dx, y = 640.0f - (kAt.y + dy);
        phase == 0 ? input->touchBegan(0, x, y) : phase == 1 ? input->touchMoved(0, x, y) : input->touchEnded(0, x, y);
    }
    static void tap(float dx) { touch(0, dx), touch(2, dx); }

    modeltest::TempDir dir;
    QVPObjectCharacterSelector* selector = nullptr;
};

// "Spread" 100: +40 keeps, +60 next, -60 previous, nothing past the last;
// a hidden ancestor (an overlay's screen) takes nothing, nor a selector that
// left the scene.
TEST_F(Selector, TapTable) {
    characters({{"kFree"}, {"kFree"}, {"kFree"}});
    struct Row {
        int from;
        float dx;
        bool hidden;
        int expected;
    } rows[] = {{1, 40, false, 1}, {1, 60, false, 2}, {1, -60, false, 0}, {2, 60, false, 2}, {1, 60, true, 1}};
    make();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dx);
        settings()->setSelectedCharacter(row.from);
        frames(1);
        selector->getParent()->setVisible(!row.hidden);
        tap(row.dx);
        EXPECT_EQ(selector->currentIndex(), row.expected);
        EXPECT_EQ(settings()->selectedCharacter(), row.expected);
        selector->getParent()->setVisible(true);
    }
    auto* dispatcher = cocos2d::CCDirector::sharedDirector()->getTouchDispatcher();
    EXPECT_TRUE(dispatcher->hasDelegate(selector));
    selector->retain();
    selector->removeFromParent();  // leaves the scene: no more touches
    EXPECT_FALSE(dispatcher->hasDelegate(selector));
    selector->release();
}

// A drag of 10 moves the target 12 with velocity 12; 50 clamps to 50. The
// glide decays by 0.94 (0.7 more at an end) and snaps the centre icon to 0.
TEST_F(Selector, DragAndGlide) {
    characters({{"kFree"}, {"kFree"}, {"kFree"}});
    for (auto [from, dx, velocity, next] : {std::tuple{1, 10.0f, 12.0f, 11.28f}, {1, 50.0f, 50.0f, 47.0f},
                                            std::tuple{0, -50.0f, -50.0f, -32.9f}}) {
        SCOPED_TRACE(dx);
        settings()->setSelectedCharacter(from);
        make();
        const float target = selector->rowTarget();
        touch(0, 0), touch(1, dx);
        EXPECT_FLOAT_EQ(selector->rowTarget(), target + dx * 1.2f);
        EXPECT_FLOAT_EQ(selector->rowVelocity(), velocity);
        touch(2, dx);
        frames(1);
        EXPECT_NEAR(selector->rowVelocity(), next, 1e-4);
        frames(200);
        EXPECT_NEAR(selector->rowPosition(), -100.0f * selector->currentIndex(), 0.5f);
    }
}

// A locked centre shows its price and the unlock button and keeps the
// selection. Prices compare whole and charge their whole part.
TEST_F(Selector, CoinUnlock) {
    characters({{"kFree"}, {"kInGameCurrency", 50}, {"kInGameCurrency", 12.9f}});
    struct Row {
        int index, balance;
        bool unlocks;
        int left;
        const char* price;
        int before;  // the last unlocked character tapped over
    } rows[] = {{1, 49, false, 49, "50", 0}, {1, 50, true, 0, "50", 0}, {2, 12, false, 12, "12", 1},
                {2, 13, true, 1, "12", 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.balance);
        settings()->setSelectedCharacter(0);
        scoreRecord("").coins.total = row.balance;
        make();
        for (int i = 0; i < row.index; ++i) tap(60);
        frames(1);
        EXPECT_EQ(selector->currentIndex(), row.index);
        EXPECT_EQ(settings()->selectedCharacter(), row.before);
        EXPECT_TRUE(selector->priceLabel()->isVisible());
        EXPECT_STREQ(selector->priceLabel()->getString(), row.price);
        EXPECT_TRUE(selector->unlockButton()->isVisible());
        modeltest::LogCapture log;
        selector->unlockButton()->activate();
        frames(1);
        EXPECT_EQ(settings()->isCharacterUnlocked(row.index), row.unlocks);
        EXPECT_EQ(settings()->selectedCharacter(), row.unlocks ? row.index : row.before);
        EXPECT_EQ(scoreRecord("").coins.total, row.left);
        EXPECT_EQ(selector->unlockButton()->isVisible(), !row.unlocks);
        EXPECT_EQ(log.has("not enought coins to unlock"), !row.unlocks);
    }
}

// The same seed suggests the same affordable character; once the button was
// used no suggestion comes back for this selector.
TEST_F(Selector, Suggestion) {
    characters({{"kFree"}, {"kInGameCurrency", 10}, {"kInGameCurrency", 500}, {"kInGameCurrency", 20}});
    scoreRecord("").coins.total = 100;
    int first = make()->suggestedIndex();
    EXPECT_TRUE(first == 1 || first == 3) << first;
    compat::srand(1);
    EXPECT_EQ(make()->suggestedIndex(), first);
    selector->onSuggestionButton(nullptr);
    EXPECT_TRUE(settings()->isCharacterUnlocked(first));
    frames(5);
    EXPECT_EQ(selector->suggestedIndex(), -2);
}

// A stored index outside the list reads as 0 and stays stored; a selection
// made elsewhere is followed within one update.
TEST_F(Selector, StoredIndexOutOfRange) {
    characters({{"kInGameCurrency", 5}, {"kFree"}, {"kFree"}});
    for (int stored : {7, -1}) {
        settings()->setSelectedCharacter(stored);
        make();
        EXPECT_EQ(selector->currentIndex(), 0);
        EXPECT_EQ(settings()->selectedCharacter(), stored);
        settings()->setSelectedCharacter(2);
        frames(1);
        EXPECT_EQ(selector->currentIndex(), 2);
    }
}

// Unguarded, 0 overflows the index and -100 turns a tap 160 left into "next".
TEST_F(Selector, ZeroSpreadIgnoresTaps) {
    characters({{"kFree"}, {"kFree"}, {"kFree"}});
    for (float spread : {0.0f, -100.0f}) {
        SCOPED_TRACE(spread);
        settings()->setSelectedCharacter(1);
        make(spread)->getModel()->setScale(CCPoint(4, 4));
        for (float dx : {60.0f, -160.0f, 0.0f}) tap(dx);
        frames(3);
        EXPECT_EQ(selector->currentIndex(), 1);
    }
}

// No icons, no claimed touch, no character operation; it still follows the
// model's position.
TEST_F(Selector, NoCharacters) {
    make();
    EXPECT_TRUE(selector->icons().empty());
    cocos2d::CCTouch touch;
    touch.setTouchInfo(0, kAt.x, 640.0f - kAt.y);
    EXPECT_FALSE(selector->ccTouchBegan(&touch, nullptr));
    selector->setCurrentCharacter(0);
    selector->unlockCharacter(0);
    selector->onUnlockButton(nullptr);
    selector->onSuggestionButton(nullptr);
    selector->getModel()->setPosition(CCPoint(10, 20));
    frames(1);
    EXPECT_EQ(selector->getPosition(), CCPoint(10, 20));
}

// The link unlock completes on the tenth update for the character asked for,
// though a drag moved the row to another one meanwhile.
TEST_F(Selector, LinkUnlockKeepsRequestedCharacter) {
    characters({{"kInGameCurrency", 999}, {"kInGameCurrency", 999}, {"kWebLink"}});
    make();
    tap(60), tap(60);
    frames(60);
    ASSERT_EQ(selector->currentIndex(), 2);
    selector->onUnlockButton(nullptr);
    touch(0, 0);
    for (int update = 1; update <= 10; ++update) {
        SCOPED_TRACE(update);
        EXPECT_FALSE(settings()->isCharacterUnlocked(2));
        touch(1, 30.0f * update);
        frames(1);
    }
    touch(2, 300);
    EXPECT_NE(selector->currentIndex(), 2);
    EXPECT_TRUE(settings()->isCharacterUnlocked(2));
    EXPECT_FALSE(settings()->isCharacterUnlocked(0) || settings()->isCharacterUnlocked(1));
    EXPECT_EQ(settings()->selectedCharacter(), 2);
}

// Only the completion of the product asked for unlocks, and only the
// character that asked.
TEST_F(Selector, StoreCallbackMatchesIdentifier) {
    modeltest::LogCapture log;
    characters({{"kFree"}, {"kInAppPurchase", 0, "id.one"}, {"kInAppPurchase", 0, "id.two"}, {"kInAppPurchase"}});
    make();
    tap(60), tap(60);
    selector->onPurchaseComplete("id.two");  // nothing asked for
    EXPECT_FALSE(settings()->isCharacterUnlocked(2));
    selector->unlockCharacter(3);  // no identifier: nothing starts
    EXPECT_EQ(selector->pendingUnlock(), -1);
    selector->unlockCharacter(1);  // the desktop store completes at once
    EXPECT_TRUE(settings()->isCharacterUnlocked(1));
    EXPECT_FALSE(settings()->isCharacterUnlocked(2));
    EXPECT_EQ(settings()->selectedCharacter(), 1);
    EXPECT_TRUE(log.has("[QVPObjectButtonPurchase] purchase did complete: id.one"));
}

// The screen builds the selector; its unlock action shows the affordable
// character there and pays through it.
TEST_F(Selector, ScreenUnlockActionGoesThroughTheSelector) {
    characters({{"kFree"}, {"kInGameCurrency", 30}, {"kInGameCurrency", 900}});
    scoreRecord("").coins.total = 40;
    auto screenModel = openScreenModel("Shop");
    auto model = selectorModel();
    screenModel->addChild(model);
    button(screenModel, "kUnlockCharacter", 500, 500);
    QVPScreenUi* screen = QVPScreenUi::create();
    screentest::ScreenTest::run(screen);
    selector = screen->characterSelector();
    ASSERT_NE(selector, nullptr);
    screen->unlockCharacterButtonAction(nullptr);
    EXPECT_EQ(selector->currentIndex(), 1);
    EXPECT_TRUE(settings()->isCharacterUnlocked(1));
    EXPECT_EQ(settings()->selectedCharacter(), 1);
    EXPECT_EQ(scoreRecord("").coins.total, 10);
    EXPECT_FALSE(screen->findButton("kUnlockCharacter")->isVisible());
}

}  // namespace
