#include "player/screens/QVPScreenScene.h"

#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/CCArray.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVModelController.h"
#include "physics/PhysicsGuard.h"
#include "platform/QVLog.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVUtilities.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVPObject.h"
#include "player/objects/QVPObjectBackgroundLayer.h"
#include "player/screens/GLESDebugDraw.h"
#include "player/screens/QVPContactListener.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/QVPScreenUi.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/QVPObjectButton.h"
#include "player/ui/QVPObjectManipulator.h"
#include "scene/CCScene.h"
#include "sprite/CCSprite.h"

using cocos2d::CCArray;
using cocos2d::CCNode;
using cocos2d::CCPoint;

// Keeps the input controller's motor joints in step with the world: a joint
// destroyed together with its body leaves no entry behind.
class QVPSceneDestructionListener : public b2DestructionListener {
public:
    explicit QVPSceneDestructionListener(QVPScreenScene* scene) : m_scene(scene) {}
    void SayGoodbye(b2Joint* joint) override { m_scene->onJointDestroyed(joint); }
    void SayGoodbye(b2Fixture*) override {}

private:
    QVPScreenScene* m_scene;
};

QVPScreenScene::QVPScreenScene() : m_lastDistance(-FLT_MAX) {}

QVPScreenScene::~QVPScreenScene() {
    logMessage("QVPScreenScene - deallocated");
    clearQueues();
    if (m_camera) m_camera->removeAllChildrenWithCleanup(true);
    CC_SAFE_RELEASE_NULL(m_backgroundLayers);
    // Objects that outlive the scene (autorelease pool, input controller)
    // must not reach the world deleted below.
    if (m_world) {
        // Collected first: a detaching object may destroy bodies of its own.
        std::vector<QVPObject*> owners;
        for (b2Body* body = m_world->GetBodyList(); body; body = body->GetNext()) {
            if (auto* object = physics::userObject<QVPObject>(body)) owners.push_back(object);
        }
        for (QVPObject* object : owners) object->detachBody();
    }
    if (m_inputController) {
        // The destructor frees the shared slot when it still holds it.
        m_inputController->release();
        m_inputController = nullptr;
    }
    delete m_world;
    m_world = nullptr;
    delete m_contactListener;
    delete m_destructionListener;
    delete m_debugDraw;
    m_levelSections.clear();
    m_resumeScreens.clear();
    m_generalSettings.reset();
}

QVPScreenScene* QVPScreenScene::create() {
    auto* scene = new QVPScreenScene();
    if (!scene->init()) {
        delete scene;
        return nullptr;
    }
    scene->autorelease();
    return scene;
}

cocos2d::CCScene* QVPScreenScene::createScene() {
    QVPScreenScene* layer = create();
    if (!layer) return nullptr;
    cocos2d::CCScene* scene = cocos2d::CCScene::create();
    scene->addChild(layer, 0, kScreenTag);
    return scene;
}

float QVPScreenScene::selectedGameOverDelay() {
    const int index = QVPSettingsController::shared()->selectedCharacter();
    const auto characters = QVModelController::shared()->getModels<QVModelAssetCharacter>();
    if (index < 0 || static_cast<std::size_t>(index) >= characters.size() || !characters[index]) return 1.0f;
    const auto& character = characters[index];
    return std::max(character->cameraFlash(), character->gameOverDelay());
}

bool QVPScreenScene::init() {
    buildFromModel(ScreenManager::shared()->getSceneName(), false);
    if (!QVPScreen::init()) return false;
    auto world = std::dynamic_pointer_cast<QVModelScreenScene>(m_model);

    m_backgroundLayers = CCArray::create();
    m_backgroundLayers->retain();
    m_generalSettings = QVModelGeneralSettings::shared();
    m_gameFieldSettings = QVPGameFieldSettings::shared();
    if (world) m_gameFieldSettings->applySceneSettings(world);

    // Made without gravity: the guard refuses a hostile value and keeps 0.
    m_world = new b2World(b2Vec2(0.0f, 0.0f));
    const CCPoint gravity = m_gameFieldSettings->gravity();
    physics::setGravity(m_world, b2Vec2(gravity.x, gravity.y));
    m_contactListener = new QVPContactListener();
    m_world->SetContactListener(m_contactListener);
    m_destructionListener = new QVPSceneDestructionListener(this);
    m_world->SetDestructionListener(m_destructionListener);

    m_debugDraw = new GLESDebugDraw();
    m_debugDraw->SetFlags(PhysicsDrawSettings().drawFlags());
    m_world->SetDebugDraw(m_debugDraw);
    const char* debugSwitch = std::getenv("QVP_PHYSICS_DEBUG");
    m_physicsDebug = debugSwitch && std::strcmp(debugSwitch, "1") == 0;

    m_camera = QVPGameFieldCamera::create();
    if (m_camera) {
        m_camera->setModel(world);
        addChild(m_camera);
    }

    const cocos2d::CCSize win = cocos2d::CCDirector::sharedDirector()->getWinSize();
    m_flashSprite =
        createColorSprite(cocos2d::CCSize(win.width * 1.2f, win.height * 1.2f), cocos2d::ccColor4B{255, 255, 255, 255});
    if (m_flashSprite) {
        m_flashSprite->setPosition(CCPoint(win.width / 2, win.height / 2));
        m_flashSprite->setOpacity(0);
        addChild(m_flashSprite);
    }

    setKeypadEnabled(true);
    m_inputController = new QVPInputController();
    m_gameOverDelay = selectedGameOverDelay();
    scheduleUpdate();
    setTouchMode(cocos2d::kCCTouchesAllAtOnce);
    setTouchEnabled(true);
    assignButtonAction("kPauseButton", this, menu_selector(QVPScreenScene::pauseButtonAction));
    assignButtonAction("kRestartButton", this, menu_selector(QVPScreenScene::restartButtonAction));
    if (world) m_levelSections = world->levelSections();
    setUpBackgroundLayers();

    const std::string uiName = ScreenManager::shared()->currentUiName();
    if (uiName.empty()) {
        QVPObjectAccelerometer::shared()->setModel(nullptr);
        m_inputController->setEnabled(true);
    } else if (QVPScreenUi* hud = QVPScreenUi::create()) {
        hud->setZOrder(kHudZOrder);
        addChildScreen(hud);
        m_hud = hud;
        m_resumeScreens.insert(uiName);
    }
    return true;
}

void QVPScreenScene::setUpBackgroundLayers() {
    auto world = std::dynamic_pointer_cast<QVModelScreenScene>(m_model);
    if (!world || !m_camera) return;
    for (const auto& model : world->objects<QVModelObjectBackground>()) {
        if (!model || model->hidden()) continue;
        // A layer needs a visible tile to lay out its row.
        CCPoint scale = model->scale(0.0f, 0);
        const CCPoint stored = scale;
        if (!(scale.x > 0.0f)) scale.x = 0.1f;
        if (!(scale.y > 0.0f)) scale.y = 0.1f;
        if (!(scale == stored)) model->setScale(scale);
        QVPObjectBackgroundLayer* layer = QVPObjectBackgroundLayer::create(model);
        if (!layer) continue;
        m_camera->addChild(layer, model->zDepth());
        m_backgroundLayers->addObject(layer);
    }
}

void QVPScreenScene::onEnter() {
    cocos2d::CCLayer::onEnter();
    resetGameField();
    if (auto health = m_inputController ? m_inputController->characterHealth() : nullptr) {
        health->setLivesLeft(health->lives());
    }
}

void QVPScreenScene::applyScoreResets() {
    auto world = std::dynamic_pointer_cast<QVModelScreenScene>(m_model);
    auto score = world ? world->findComponent<QVModelComponentScore>() : nullptr;
    if (!score) return;
    // The saved copy follows the reset: callers drop the record back to its
    // saved copies right after, which would otherwise undo it.
    ScoreRecord& record = currentScoreRecord();
    if (score->resetDistance()) {
        record.distance.current = 0.0f;
        record.distance.refreshSavedCopy();
    }
    if (qvread::value(score->resetPointsAttribute())) {
        record.points.current = 0;
        record.points.refreshSavedCopy();
    }
    if (qvread::value(score->resetCoinsAttribute())) {
        record.coins.current = 0;
        record.coins.refreshSavedCopy();
    }
}

void QVPScreenScene::onJointDestroyed(b2Joint* joint) {
    if (m_inputController) m_inputController->removeMotorJoint(joint);
}

// ---- keypad and touches

void QVPScreenScene::keyBackClicked() {
    logMessage("[QVPScreenScene] - key back clicked");
    if (m_gameOver) {
        if (m_hud) m_hud->restartButtonAction(nullptr);
        return;
    }
    if (m_hud && m_hud->findButton("kPauseButton") && !m_paused) {
        pauseButtonAction(nullptr);
        return;
    }
    if (ScreenManager::shared()->popUi()) refreshHud();
}

namespace {

// The input action of a platform key code; `onRelease` drops the gamepad
// buttons, which press jump but never release it.
int actionForKey(int keyCode, bool onRelease) {
    switch (keyCode) {
        case 19:
            return 1;
        case 20:
            return 2;
        case 21:
            return 4;
        case 22:
            return 3;
        case 23:
            return 5;
        case 96:
        case 99:
        case 100:
            return onRelease ? 0 : 5;
        default:
            return 0;
    }
}

}  // namespace

void QVPScreenScene::onKeyDown(int keyCode) {
    if (m_hud) m_hud->onKeyDown(keyCode);
    if (const int action = actionForKey(keyCode, false); action && m_inputController) {
        m_inputController->actionPressed(action, nullptr);
    }
}

void QVPScreenScene::onKeyUp(int keyCode) {
    if (m_hud) m_hud->onKeyUp(keyCode);
    if (const int action = actionForKey(keyCode, true); action && m_inputController) {
        m_inputController->actionReleased(action, nullptr);
    }
}

void QVPScreenScene::setTouchEnabled(bool enabled) {
    cocos2d::CCLayer::setTouchEnabled(enabled);
    if (auto* child = dynamic_cast<cocos2d::CCLayer*>(getChildByTag(kTouchChildTag))) child->setTouchEnabled(enabled);
}

// ---- QVPScreen overrides

void QVPScreenScene::activateHighlightedButton() {
    if (m_hud) m_hud->activateHighlightedButton();
}

void QVPScreenScene::moveHighlight(int direction) {
    if (m_hud) m_hud->moveHighlight(direction);
}

bool QVPScreenScene::shouldShowBanner() {
    if (m_hud) return m_hud->model() && m_hud->model()->shouldShowBanner();
    return m_model && m_model->shouldShowBanner();
}

std::shared_ptr<QVModelScreen> QVPScreenScene::findScreenModel(const std::string& name) {
    return QVModelScreenScene::screenSceneForKey(name);
}
