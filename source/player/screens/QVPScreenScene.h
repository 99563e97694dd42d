// QVPScreenScene: the playing screen. It runs one world as a physics game
// field: the Box2D world, the camera node that holds every runtime object,
// the scene's own input controller, the flash sprite, the level sections, the
// creation and transfer queues and the HUD.
//
// Frame road (QVPScreenSceneTick.cpp): exactly one physics step and one game
// tick per frame whatever dt is; nothing in the tick reads a clock.
//
// Teardown order: queues and mirrors first, then the camera's children, then
// every body still in the world forgets its object, then the input
// controller, then the world, and only then its listeners and drawer, so no
// object touches a deleted world and no listener outlives its world.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "math/CCGeometry.h"
#include "player/screens/QVPScreen.h"

namespace cocos2d {
class CCArray;
class CCNode;
class CCScene;
class CCSprite;
}  // namespace cocos2d

class b2World;
class b2Joint;
class GLESDebugDraw;
class QVModelGeneralSettings;
class QVModelLevelSection;
class QVModelObject;
class QVModelObjectAssetPowerup;
class QVModelScreenScene;
class QVPContactListener;
class QVPGameFieldCamera;
class QVPGameFieldSettings;
class QVPInputController;
class QVPObject;
class QVPObjectAsset;
class QVPScreenUi;
class QVPSceneDestructionListener;

class QVPScreenScene : public QVPScreen {
public:
    // A section being created, 20 object models per call.
    struct CreationQueueEntry {
        cocos2d::CCPoint origin;
        uint32_t unused = 0;
        int nextObjectIndex = 0;
        std::shared_ptr<QVModelLevelSection> section;
        cocos2d::CCArray* created = nullptr;  // retained; released on completion or drop
    };
    // An object a teleport moved, re-created by the next update.
    struct TransferRecord {
        QVPObject* object = nullptr;  // retained
        float linearDamping = 0.0f;
        float velocityX = 0.0f;
        float velocityY = 0.0f;
        cocos2d::CCNode* destination = nullptr;
    };

    // Fixed step of the world and of the game tick.
    static constexpr float kStep = 1.0f / 60.0f;
    static constexpr float kHalfStep = 1.0f / 120.0f;
    static constexpr float kMaxFrameTimeAverage = 1.0f / 14.0f;
    static constexpr int kHudZOrder = 10000;
    static constexpr int kTouchChildTag = 77;
    static constexpr float kLookAhead = 1400.0f;
    static constexpr float kMagnetRadius = 400.0f;
    // Pending-action bits.
    static constexpr int kActionNewRun = 2;
    static constexpr int kActionRemoveScores = 4;
    static constexpr int kActionBackToHud = 8;

    QVPScreenScene();
    ~QVPScreenScene() override;

    // Autoreleased; null when init fails.
    static QVPScreenScene* create();
    // A new engine scene with a new scene layer as child kScreenTag; null
    // when the layer cannot be made.
    static cocos2d::CCScene* createScene();

    // ---- engine overrides
    bool init() override;
    void update(float dt) override;
    void onEnter() override;
    void visit() override;
    void setTouchEnabled(bool enabled) override;
    void keyBackClicked() override;
    void onKeyDown(int keyCode) override;
    void onKeyUp(int keyCode) override;

    // ---- QVPScreen overrides
    void activateHighlightedButton() override;
    void moveHighlight(int direction) override;
    bool shouldShowBanner() override;
    void spawnPowerup(const std::shared_ptr<QVModelObjectAssetPowerup>& powerupModel, bool aboveCharacter) override;
    void openScreen(const std::shared_ptr<QVModelObjectButton>& buttonModel) override;
    std::shared_ptr<QVModelScreen> findScreenModel(const std::string& name) override;

    // ---- own virtual operations
    // The fixed game tick.
    virtual void stepGame(float dt);
    virtual void resume();

    // Resets the current world's score values as the world's score
    // component's reset flags say.
    void applyScoreResets();

    // ---- accessors
    b2World* getWorld() const { return m_world; }
    QVPGameFieldCamera* getGameFieldCamera() const { return m_camera; }
    QVPInputController* getInputController() const { return m_inputController; }
    QVPScreenUi* getHud() const { return m_hud; }
    bool isGameOver() const { return m_gameOver; }
    bool isPaused() const { return m_paused; }
    float getGameOverDelay() const { return m_gameOverDelay; }
    float getSpeedDecay() const { return m_speedDecay; }
    float getFrameTimeAverage() const { return m_frameTimeAverage; }
    float getFlashTime() const { return m_flashTime; }
    float getShakeTime() const { return m_shakeTime; }
    cocos2d::CCSprite* getFlashSprite() const { return m_flashSprite; }
    bool isMagnetActive() const { return m_magnetActive; }
    bool isPhysicsDebugOn() const { return m_physicsDebug; }
    GLESDebugDraw* getDebugDraw() const { return m_debugDraw; }
    // For tests only; the game never reads them.
    float getNextSectionStart() const { return m_nextSectionStart; }
    float getScrolledDistance() const { return m_scrolledDistance; }
    float getLastDistance() const { return m_lastDistance; }
    std::size_t getCreationQueueLength() const { return m_creationQueue.size(); }
    const std::vector<std::shared_ptr<QVModelLevelSection>>& getLevelSections() const { return m_levelSections; }
    int getPendingActions() const { return m_pendingActions; }
    int getScheduledActions() const { return m_scheduledActions; }

    // ---- frame road (QVPScreenSceneTick.cpp)
    void setFlash(float duration);
    void setShake(float duration);
    void setMagnetActive(bool on) { m_magnetActive = on; }
    // Finishes the object when it lies behind the back edge or beyond a side.
    void removeIfBehindView(QVPObject* object);

    // ---- streaming and reset (QVPScreenSceneStreaming.cpp)
    std::vector<std::size_t> eligibleSections(float distance, bool useCooldown);
    void decrementSectionCooldowns();
    std::shared_ptr<QVModelLevelSection> levelSectionAt(float distance);
    // Queues the section at `start`; its "Width" when above 0, else 0.
    float addLevelSection(const std::shared_ptr<QVModelLevelSection>& section, float start);
    void addStartSection();
    void resetGameField();
    void ensureCharacters(uint32_t startSectionId);

    // ---- creation queue, linkers, transfers (QVPScreenSceneCreation.cpp)
    // True when the queue was empty or a section completed in this call.
    bool updateObjectCreationQueue();
    QVPObject* createObjectFromModel(const std::shared_ptr<QVModelObject>& objectModel, uint32_t sectionId,
                                     const cocos2d::CCPoint& origin, bool startSectionOnlyForCharacters);
    void queueTransfer(QVPObject* object, cocos2d::CCNode* destination);
    void processTransferQueue();
    QVPObject* recreateObject(const std::shared_ptr<QVModelObject>& objectModel, cocos2d::CCNode* destination);
    void transferToGameField(cocos2d::CCNode* node, cocos2d::CCNode* oldParent);
    QVPObject* findActivePowerup(const std::string& powerupType, QVPObject* except);
    std::vector<QVPObject*> collectTeleports(int groupId);
    void killAllEnemies();
    void removeMirror(QVPObject* object);
    // Releases every created array and transferred object; clears mirrors.
    void clearQueues();

    // ---- checkpoints, lives, pause, game over (QVPScreenSceneFlow.cpp)
    QVPObject* findCreatedCheckpointPowerup(cocos2d::CCNode* node);
    void activateCheckpointPowerup();
    void saveCheckpoint(const cocos2d::CCPoint& point, int sectionId);
    void setGameOver(bool on);
    void setPaused(bool on);
    void setPausedRecursive(cocos2d::CCNode* node, bool on);
    // The next update applies it.
    void requestPause(bool on) { m_requestedPause = on; }
    bool requestedPause() const { return m_requestedPause; }
    void pauseButtonAction(cocos2d::CCObject* sender);
    void restartButtonAction(cocos2d::CCObject* sender);
    void requestPendingActions(int bits);
    void runPendingActions(int bits);
    void refreshHud();
    void closeTopUi();
    void closeUiAndResume();
    void clearSwitchStates();
    void killPowerupsRecursive(cocos2d::CCNode* node);
    void jumpToScreen(const std::string& name, bool pause, int pendingBits, int keepScores);
    void showEndScreen();

    // The destruction listener's callback: the joint dies with its body.
    void onJointDestroyed(b2Joint* joint);

protected:
    // The selected character's larger of "Camera Flash" and "Game Over
    // Delay"; 1 when the selection is past the list.
    static float selectedGameOverDelay();
    void setUpBackgroundLayers();
    // The four corners and the tested edges of the removal frame, in camera
    // coordinates; they depend only on the camera, the window and the
    // settings, so stepGame computes them once per tick.
    struct RemovalFrame {
        cocos2d::CCPoint corners[4];
        float angle = 0.0f;
        bool testBack = false;
        bool testSides = false;
    };
    RemovalFrame computeRemovalFrame() const;
    void removeIfBehindView(QVPObject* object, const RemovalFrame& frame);
    void runMagnet();
    void removeFinishedObjects(const std::vector<QVPObject*>& finished);
    void drawPhysicsDebug();

    QVPGameFieldCamera* m_camera = nullptr;
    std::shared_ptr<QVModelGeneralSettings> m_generalSettings;
    QVPGameFieldSettings* m_gameFieldSettings = nullptr;
    b2World* m_world = nullptr;                       // owned
    cocos2d::CCArray* m_backgroundLayers = nullptr;   // retained
    QVPInputController* m_inputController = nullptr;  // owned
    std::vector<std::shared_ptr<QVModelLevelSection>> m_levelSections;
    float m_nextSectionStart = 0.0f;
    float m_scrolledDistance = 0.0f;
    QVPScreenUi* m_hud = nullptr;
    bool m_paused = false;
    bool m_gameOver = false;
    bool m_magnetActive = false;
    int m_pendingActions = 0;
    // Bits waiting for the HUD's scheduled action.
    int m_scheduledActions = 0;
    bool m_requestedPause = false;
    float m_speedDecay = 0.0f;
    float m_gameOverDelay = 0.0f;
    float m_shakeTime = 0.0f;
    float m_flashTime = 0.0f;
    float m_flashDuration = 0.0f;
    cocos2d::CCSprite* m_flashSprite = nullptr;
    float m_frameTimeAverage = 0.0f;
    std::vector<TransferRecord> m_transferQueue;
    std::vector<CreationQueueEntry> m_creationQueue;
    std::vector<QVPObject*> m_mirrors;
    std::set<std::string> m_resumeScreens;
    float m_lastDistance = 0.0f;

    QVPContactListener* m_contactListener = nullptr;               // owned
    QVPSceneDestructionListener* m_destructionListener = nullptr;  // owned
    GLESDebugDraw* m_debugDraw = nullptr;                          // owned
    bool m_physicsDebug = false;
    // Reused by the object pass so it allocates nothing per tick.
    std::vector<QVPObject*> m_finishedScratch;
};
