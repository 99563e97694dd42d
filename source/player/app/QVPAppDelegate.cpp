#include "player/app/QVPAppDelegate.h"

#include <cstdio>
#include <string>

#include "audio/AudioEngine.h"
#include "audio/SimpleAudioEngine.h"
#include "director/CCDirector.h"
#include "director/EngineHooks.h"
#include "frames/CCSpriteFrameCache.h"
#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"
#include "platform/QVLog.h"
#include "player/app/QVAdController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVServices.h"
#include "player/app/StateDump.h"
#include "player/objects/QVPObjectClasses.h"
#include "player/screens/QVPScreen.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/QVPObjectManipulator.h"
#include "scene/CCScene.h"
#include "view/CCEGLView.h"

using namespace cocos2d;

namespace {

constexpr float kWideRatio = 1.77f;

// The scene the screen manager builds for its state replaces the running one.
bool switchToCurrentScene() {
    CCScene* scene = ScreenManager::shared()->createCurrentScene();
    if (!scene) return false;
    CCDirector::sharedDirector()->replaceScene(scene);
    return true;
}

}  // namespace

QVPAppDelegate::QVPAppDelegate() = default;

QVPAppDelegate::~QVPAppDelegate() {
    QVPObjectAccelerometer::destroyShared();
    m_archivePassword.clear();
}

int QVPAppDelegate::resolutionPolicy(int screenAdjustment, int orientation, const CCSize& window) {
    switch (screenAdjustment) {
        case 0:
            return kResolutionNoBorder;
        case 1:
            return kResolutionFixedHeight;
        case 2:
            return kResolutionFixedWidth;
        case 3: {
            // A side of 0 gives ratio 0 rather than a division by zero.
            const float along = orientation == 0 ? window.height : window.width;
            const float across = orientation == 0 ? window.width : window.height;
            const float ratio = across > 0 ? along / across : 0.0f;
            if (orientation == 0) return ratio >= kWideRatio ? kResolutionFixedWidth : kResolutionFixedHeight;
            return ratio < kWideRatio ? kResolutionFixedWidth : kResolutionFixedHeight;
        }
        default:
            return kResolutionUnKnown;
    }
}

float QVPAppDelegate::elapsedSeconds(const cc_timeval& before, const cc_timeval& after) {
    return static_cast<float>(after.tv_usec - before.tv_usec) / 1000000.0f +
           static_cast<float>(after.tv_sec - before.tv_sec);
}

void QVPAppDelegate::reportLoadFailure() {
    const QVModelController* controller = QVModelController::shared();
    reportLoadFailure(controller->lastError(), controller->lastErrorDetail());
}

void QVPAppDelegate::reportLoadFailure(const std::string& error, const std::string& detail) {
    std::string root = CCFileUtils::sharedFileUtils()->getResourceRoot();
    if (root.size() > 1 && root.back() == '/') root.pop_back();
    std::string line = "qvplayer: cannot load the game from " + root + ": " + error;
    if (!detail.empty()) line += " (" + detail + ")";
    // A person must see it even when the log is off.
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    logMessage("%s", line.c_str());
}

bool QVPAppDelegate::applicationDidFinishLaunching() {
    // A malformed test hook stops the run before anything is shown.
    if (!statedump::installFromEnvironment()) return false;
    logMessage("[QVPAppDelegate] game loading: start");
    registerObjectClasses();
    registerComponentClasses();
    const EngineHooks& hooks = engineHooks();
    if (hooks.hasRandomSeed) {
        compat::srand(hooks.randomSeed);
    } else {
        compat::srand(static_cast<unsigned int>(compat::systemTicks() / 10000000));
    }
    CCDirector* director = CCDirector::sharedDirector();
    director->setOpenGLView(CCEGLView::sharedOpenGLView());
    QVPSettingsController::destroy();
    setupScreen();

    cc_timeval before{};
    cc_timeval after{};
    cocos2d::gettimeofday(&before, nullptr);
    CCScene* scene = ScreenManager::shared()->createCurrentScene();
    if (scene) director->runWithScene(scene);
    cocos2d::gettimeofday(&after, nullptr);
    if (!scene) {
        logMessage("[QVPAppDelegate] no first scene; the game cannot start");
        m_loadFailed = true;
        reportLoadFailure(kErrorNoFirstScene, "the start screen cannot be shown");
        return false;
    }
    const float seconds = elapsedSeconds(before, after);
    logMessage("[QVPAppDelegate] loading time: %f", static_cast<double>(seconds));
    QVPSettingsController::shared()->setLowPerformance(seconds > kLowPerformanceSeconds);
    return true;
}

void QVPAppDelegate::setupScreen() {
    const QVModelController* controller = QVModelController::shared();
    if (controller->getModels<QVModelGeneralSettings>().empty()) return;
    const std::shared_ptr<QVModelGeneralSettings> settings = QVModelGeneralSettings::shared();
    const int orientation = static_cast<int>(settings->orientation());
    const int adjustment = static_cast<int>(settings->screenAdjustment());
    const CCSize window = CCDirector::sharedDirector()->getWinSize();
    logMessage("[QVPAppDelegate] device orientation: %d", orientation);
    logMessage("[QVPAppDelegate] screen adjustment: %d", adjustment);
    logMessage("[QVPAppDelegate] screen size: %f %f", static_cast<double>(window.width),
               static_cast<double>(window.height));
    const int policy = resolutionPolicy(adjustment, orientation, window);
    CCEGLView* view = CCDirector::sharedDirector()->getOpenGLView();
    if (orientation == 1) {
        view->setDesignResolutionSize(1136, 640, policy);
    } else if (orientation == 0) {
        view->setDesignResolutionSize(640, 1136, policy);
    }
}

void QVPAppDelegate::loadGameData() {
    if (m_loadingFinished) return;
    QVModelController* controller = QVModelController::shared();
    if (m_firstStep) {
        m_firstStep = false;
        controller->clear();
    }
    const bool done =
        controller->archiveMode ? controller->loadNextFromArchive(m_archivePassword) : controller->loadNextFromFiles();
    if (!done) return;
    m_loadingFinished = true;
    m_archivePassword.clear();
    controller->closeDataArchive();
    logMessage("End loading XML");
    if (!controller->lastError().empty()) {
        // A partial game is never played or saved over.
        m_loadFailed = true;
        logMessage("[QVPAppDelegate] loading failed: %s", controller->lastError().c_str());
        reportLoadFailure();
        CCDirector::sharedDirector()->end();
        return;
    }
    finishLoading();
    if (showFirstScreen()) return;
    // The loading screen would stay for good: a failed load, and the
    // progress read for it is not saved back.
    m_loadFailed = true;
    QVPSettingsController::setLoaded(false);
    reportLoadFailure(kErrorNoFirstScene, m_firstScreenError);
    CCDirector::sharedDirector()->end();
}

void QVPAppDelegate::finishLoading() {
    const QVModelController* controller = QVModelController::shared();
    QVPSettingsController::shared()->load();
    QVServices::shared();
    QVAdController::shared()->init();

    logMessage("Start Atlas loading");
    for (const auto& atlas : controller->getModels<QVModelAtlas>()) {
        logMessage("loading atlas");
        const std::string path = atlas->plistPath();
        logMessage("%s", path.c_str());
        CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFramesWithFile(path.c_str());
    }
    // A label made once loads the bitmap font into the engine's caches.
    for (const auto& font : controller->getModels<QVModelFont>()) {
        if (CCLabelBMFont* label = font->createLabel()) label->release();
    }
    for (const auto& button : controller->getModelsOfKind<QVModelObjectButton>()) button->resetIntervalCounter();
    for (const auto& health : controller->getModels<QVModelComponentHealth>()) health->setLivesLeft(health->lives());
    QVPSettingsController::setLoaded(true);

    logMessage("loading screens");
    if (QVPScreen* ui = ScreenManager::shared()->getCurrentUi()) ui->playMusic();
}

bool QVPAppDelegate::showFirstScreen() {
    ScreenManager* manager = ScreenManager::shared();
    if (const uint32_t sectionId = manager->getStartSectionId()) {
        const auto section = QVModelController::shared()->getModel<QVModelLevelSection>(sectionId);
        const auto world = section ? section->parent<QVModelScreenScene>() : nullptr;
        if (world) {
            manager->setScene(world->key());
            if (switchToCurrentScene()) return true;
            m_firstScreenError = "the start world " + world->key() + " cannot be built";
            logMessage("[QVPAppDelegate] %s", m_firstScreenError.c_str());
            return false;
        }
        logMessage("[QVPAppDelegate] start section %u is in no world", sectionId);
    }
    if (manager->loadScreen("Load", true, 0) || manager->pushUi("Load", false)) {
        if (switchToCurrentScene()) return true;
        m_firstScreenError = "the first screen cannot be built";
        logMessage("[QVPAppDelegate] %s", m_firstScreenError.c_str());
        return false;
    }
    logMessage("ERROR! Failed to find ScreenScene attached to Start scene");
    m_firstScreenError = "Failed to find ScreenScene attached to Start scene";
    return false;
}

void QVPAppDelegate::applicationDidEnterBackground() {
    if (QVPScreenScene* scene = ScreenManager::shared()->getGameScene()) {
        if (!scene->isPaused()) scene->setInterrupted();
        logMessage("[QVPAppDelegate] send game to pause");
        scene->pauseButtonAction(nullptr);
    }
    QVPSettingsController::shared()->save();
    CCDirector::sharedDirector()->stopAnimation();
    CocosDenshion::SimpleAudioEngine::sharedEngine()->pauseBackgroundMusic();
    experimental::AudioEngine::pauseAll();
}

void QVPAppDelegate::applicationWillEnterForeground() {
    QVPSettingsController* settings = QVPSettingsController::shared();
    settings->load();
    CCDirector::sharedDirector()->startAnimation();
    if (!settings->muteEffectsSound()) experimental::AudioEngine::resumeAll();
    if (!settings->muteBackgroundSound()) CocosDenshion::SimpleAudioEngine::sharedEngine()->resumeBackgroundMusic();
}
