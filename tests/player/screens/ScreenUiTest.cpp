// The UI screen: the menus fixture navigated by clicks and the back button,
// the loading screen and its splash, the window-mode buttons, on-screen
// input buttons, and the character shop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "director/CCApplication.h"
#include "frames/CCSpriteFrameCache.h"
#include "input/TouchInput.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelAtlas.h"
#include "player/app/QVPSettingsController.h"
#include "player/screens/QVPScreenUi.h"
#include "screens_test_support.h"
#include "sprite/CCSprite.h"
#include "view/CCEGLView.h"

namespace {

using namespace screentest;

class UiScreens : public ScreenTest {
protected:
    ~UiScreens() override { cocos2d::TouchInput::sharedTouchInput()->reset(); }
};

// The menus fixture: Start -Load-> Main Menu ("MainMenu") -Options->
// "Options", whose back button returns.
class Menus : public UiScreens {
protected:
    void SetUp() override {
        ASSERT_TRUE(loadGame(std::string(QV_BINARY_DIR) + "/fixtures/player/menus"));
        for (const auto& atlas : QVModelController::shared()->getModels<QVModelAtlas>()) {
            cocos2d::CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFramesWithFile(atlas->plistPath().c_str());
        }
        EXPECT_TRUE(manager()->pushUi("Load", false));
        cocos2d::CCDirector::sharedDirector()->runWithScene(manager()->createCurrentScene());
        step(2);
    }
    static QVPScreenUi* running() { return dynamic_cast<QVPScreenUi*>(QVPScreen::runningScreen()); }
    static std::string runningKey() { return running() ? running()->key() : "<none>"; }
    // A click at a design point of the 960 x 640 headless window.
    static void click(float x, float y) {
        cocos2d::TouchInput::sharedTouchInput()->touchBegan(0, x, 640 - y);
        cocos2d::TouchInput::sharedTouchInput()->touchEnded(0, x, 640 - y);
    }
};

TEST_F(Menus, ClicksOpenOptionsAndItsBackButtonReturns) {
    EXPECT_EQ(runningKey(), "MainMenu");
    click(568, 320);
    step(2);
    EXPECT_EQ(runningKey(), "Options");
    EXPECT_EQ(manager()->uiNames(), (Names{"MainMenu", "Options"}));

    // Its back button waits for the 6 closing frames.
    click(568, 320);
    step(8);
    ASSERT_EQ(runningKey(), "Options");
    EXPECT_EQ(running()->screenState(), QVPScreen::kClosing);
    step(8);
    EXPECT_EQ(runningKey(), "MainMenu");
    EXPECT_EQ(manager()->currentUiName(), "MainMenu");
}

struct RecordingApplication : cocos2d::CCApplication {
    bool applicationDidFinishLaunching() override { return true; }
    void loadGameData() override { ++loads; }
    int loads = 0;
};

TEST_F(UiScreens, LoadingStartsOnTheTenthDraw) {
    RecordingApplication application;
    cocos2d::CCScene* scene = QVPScreenUi::scene(true);
    ASSERT_NE(scene, nullptr);
    auto* screen = dynamic_cast<QVPScreenUi*>(scene->getChildByTag(QVPScreen::kScreenTag));
    ASSERT_TRUE(screen && screen->isLoadingScreen());
    std::vector<int> loads;
    for (int draw = 1; draw <= 12; ++draw) {
        screen->draw();
        loads.push_back(application.loads);
    }
    EXPECT_EQ(loads, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3}));

    // Only the start screen loads.
    manager()->replaceScene("", "Other", 0);
    cocos2d::CCScene* other = QVPScreenUi::scene(false);
    ASSERT_NE(other, nullptr);
    for (int draw = 0; draw < 12; ++draw) other->getChildByTag(QVPScreen::kScreenTag)->draw();
    EXPECT_EQ(application.loads, 3);
}

// Screens name themselves on entering and leaving by the UI node holding
// their model, and are "Unknown" without one: the loading screen too, which
// enters before any node is loaded and leaves after the load replaced its
// model.
TEST_F(UiScreens, EnterAndExitNameTheScreen) {
    const struct {
        const char* name;
        bool loading;
        const char* key;
        bool held;  // a node holds the screen's model before it enters
        const char* logged;
    } rows[] = {
        {"the loading screen", true, "QVPScreenStart", false, "Unknown"},
        {"a screen without a node", false, "Plain", false, "Unknown"},
        {"a screen its node holds", false, "Held", true, "Held node"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LogCapture log;
        const std::shared_ptr<QVModelScreen> model = openScreenModel(row.key);
        if (row.held) {
            auto holder = std::make_shared<QVNodeUIStart>("Held node");
            QVModelController::shared()->addModel(holder);
            holder->addChild(model);
        }
        cocos2d::CCDirector* director = cocos2d::CCDirector::sharedDirector();
        cocos2d::CCScene* first = QVPScreenUi::scene(row.loading);
        ASSERT_NE(first, nullptr);
        if (director->getRunningScene()) {
            director->replaceScene(first);
        } else {
            director->runWithScene(first);
        }
        step(2);
        openScreenModel("Next");
        director->replaceScene(QVPScreenUi::scene(false));
        step(2);
        EXPECT_TRUE(log.has(std::string("[QVServices] Screen On Enter: ") + row.logged));
        EXPECT_TRUE(log.has(std::string("[QVServices] Screen On Exit: ") + row.logged));
    }
}

TEST_F(UiScreens, TheSplashCoversTheFrameWhenThereIsOne) {
    for (bool withSplash : {false, true}) {
        SCOPED_TRACE(withSplash);
        if (withSplash) pngtest::writeFile(root.path("Default.png"), pngtest::solid(64, 64, 0, 0, 128, 255));
        LogCapture log;
        QVPScreenUi* screen = QVPScreenUi::create();
        ASSERT_NE(screen, nullptr);
        screen->initLoading(true);
        std::vector<cocos2d::CCSprite*> sprites;
        cocos2d::CCArray* children = screen->getChildren();
        for (unsigned i = 0; i < children->count(); ++i) {
            if (auto* sprite = dynamic_cast<cocos2d::CCSprite*>(children->objectAtIndex(i))) sprites.push_back(sprite);
        }
        EXPECT_EQ(log.has("[QVPScreenUi] no splash: Default.png is missing or unreadable"), !withSplash);
        ASSERT_EQ(sprites.size(), withSplash ? 1u : 0u);
        if (!withSplash) continue;
        const cocos2d::CCSize frame = cocos2d::CCDirector::sharedDirector()->getOpenGLView()->getFrameSize();
        EXPECT_FLOAT_EQ(sprites[0]->getScale(), std::max(frame.width, frame.height) / 64.0f);
        EXPECT_FLOAT_EQ(sprites[0]->getPositionX(), cocos2d::CCDirector::sharedDirector()->getWinSize().width / 2);
    }
}

TEST_F(UiScreens, WindowModeButtonsSwapAndAskTheHost) {
    for (const auto& [name, withFullscreen, withWindowed] :
         {std::tuple{"both", true, true}, {"fullscreen only", true, false}, {"windowed only", false, true}}) {
        SCOPED_TRACE(name);
        host.calls.clear();
        QVPSettingsController::shared()->setFullscreen(false);
        auto model = openScreenModel(name);
        if (withFullscreen) button(model, "kFullscreen", 100, 100);
        if (withWindowed) button(model, "kWindowed", 300, 100);
        QVPScreenUi* screen = QVPScreenUi::create();
        ASSERT_NE(screen, nullptr);
        QVPObjectButton* toFullscreen = screen->fullscreenButton();
        QVPObjectButton* toWindowed = screen->windowedButton();
        ASSERT_EQ(toFullscreen != nullptr, withFullscreen);
        ASSERT_EQ(toWindowed != nullptr, withWindowed);
        // The button to the other mode is the one shown.
        auto expectShown = [&](bool fullscreenButton) {
            EXPECT_TRUE(!toFullscreen || toFullscreen->isVisible() == fullscreenButton);
            EXPECT_TRUE(!toWindowed || toWindowed->isVisible() == !fullscreenButton);
        };
        expectShown(true);
        screen->fullscreenButtonAction(toFullscreen);
        expectShown(false);
        EXPECT_TRUE(QVPSettingsController::shared()->isFullscreen());
        screen->windowedButtonAction(toWindowed);
        expectShown(true);
        EXPECT_FALSE(QVPSettingsController::shared()->isFullscreen());
        EXPECT_EQ(host.calls, (std::vector<std::string>{"postWindowModeRequest 1", "postWindowModeRequest 0"}));
        if (toFullscreen) {
            toFullscreen->activate();
            EXPECT_TRUE(QVPSettingsController::shared()->isFullscreen());
        }
    }
}

struct Subscriber : cocos2d::CCObject {
    void onAction(cocos2d::CCObject* source) { sources.push_back(source); }
    std::vector<cocos2d::CCObject*> sources;
};

TEST_F(UiScreens, InputButtonsReachTheControllerSharedWhenPressed) {
    auto model = openScreenModel("Controls");
    auto control = button(model, "kInputControllerActionButton", 100, 100);
    auto jump = button(model, "kCharacterJumpButton", 300, 100);
    QVPScreenUi* screen = QVPScreenUi::create();
    ASSERT_NE(screen, nullptr);
    QVPInputController::destroy();
    QVPInputController* controller = QVPInputController::shared();
    Subscriber subscriber;
    for (int action : {5, 11, 12}) {
        controller->subscribeAction(action, &subscriber, callfuncO_selector(Subscriber::onAction), control->id());
    }
    for (QVPObjectButton* pressed : {buttonOf(*screen, control), buttonOf(*screen, jump)}) {
        pressed->selected();
        pressed->unselected();
    }
    // The control button is its own source; the character buttons have none.
    QVPObjectButton* pad = buttonOf(*screen, control);
    EXPECT_EQ(subscriber.sources, (std::vector<cocos2d::CCObject*>{pad, pad, nullptr, nullptr}));
    controller->unsubscribeAction(&subscriber);
}

// Only the one of negative price is affordable, and it costs nothing.
TEST_F(UiScreens, UnlockCharacterSpendsCoinsOnAnAffordableCharacter) {
    std::vector<std::shared_ptr<QVModelAssetCharacter>> characters;
    for (float price : {0.0f, 50.0f, -5.0f}) {
        characters.push_back(registered<QVModelAssetCharacter>());
        attr(*characters.back(), "Price")->setValue(price);
    }
    setText(*characters[0], "Purchase Method", "kFree");
    scoreRecord("").coins.add(40);
    button(openScreenModel("Shop"), "kUnlockCharacter", 100, 100);
    QVPScreenUi* screen = QVPScreenUi::create();
    ASSERT_NE(screen, nullptr);
    QVPObjectButton* unlock = screen->findButton("kUnlockCharacter");
    ASSERT_NE(unlock, nullptr);
    EXPECT_TRUE(unlock->isVisible());
    for (int press = 0; press < 2; ++press) {
        SCOPED_TRACE(press);
        screen->unlockCharacterButtonAction(unlock);
        EXPECT_TRUE(QVPSettingsController::shared()->isCharacterUnlocked(2));
        EXPECT_FALSE(QVPSettingsController::shared()->isCharacterUnlocked(1));
        EXPECT_EQ(QVPSettingsController::shared()->selectedCharacter(), 2);
        EXPECT_EQ(scoreRecord("").coins.total, 40);
        EXPECT_FALSE(unlock->isVisible());
    }
}

}  // namespace
