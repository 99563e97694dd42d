// ScreenManager: which world and UI screens are open, and where the next
// world starts. Navigation follows the flow graph: a named link of the
// current node leads to the "Load" of another node. The manager only moves
// its own state; createCurrentScene builds the engine scene for it.
//
// Guarantees: a link that is missing, unconnected or leads to a node of the
// wrong class changes nothing. Without a world, every change of the UI stack
// drops currentScene, so the caller builds a new scene.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cocos2d {
class CCScene;
}

class QVAttribute;
class QVNode;
class QVPScreen;
class QVPScreenScene;

// The Key of the start screen, the first scene of the game.
extern const char* const kStartScreenName;

class ScreenManager {
public:
    // Created on first use and kept until exit; the game uses only this one.
    static ScreenManager* shared();
    // A fresh manager.
    ScreenManager();
    ~ScreenManager();
    ScreenManager(const ScreenManager&) = delete;
    ScreenManager& operator=(const ScreenManager&) = delete;

    // Back to the state of a new manager: no world, the start screen alone.
    void reset();

    // Key of the current world's screen-scene model; empty while no world
    // runs.
    const std::string& getSceneName() const { return m_sceneName; }
    void setSceneName(const std::string& name) { m_sceneName = name; }

    // The stack of UI screen Keys and the index of the open one; current
    // equals the size when no UI screen is open.
    const std::vector<std::string>& uiNames() const { return m_uiNames; }
    std::size_t currentIndex() const { return m_current; }
    // The open UI screen's Key, or "".
    std::string currentUiName() const;

    // The game-field scene of the scene last built while a world runs,
    // else null.
    QVPScreenScene* getGameScene() const;
    // With a game scene, its HUD (null without one); otherwise the open UI
    // screen of the scene last built, else null.
    QVPScreen* getCurrentUi() const;
    // The scene last built, held until the next navigation that needs a new
    // one; null then.
    cocos2d::CCScene* currentScene() const { return m_currentScene; }

    // Builds the scene for the current state once; later calls return the
    // same scene until a navigation drops it. A world gets a game-field
    // scene with its score resets applied and the scores dropped back to
    // their saved copies. Null when no world runs and no UI screen is open.
    cocos2d::CCScene* createCurrentScene();

    // The attribute `name` of the current world's node, or of the node of
    // the open UI screen; null when there is none.
    QVAttribute* findScene(const std::string& name) const;
    QVAttribute* findUi(const std::string& name) const;

    // Makes the world `name` current with the HUD its "UI" link names.
    void setScene(const std::string& name);
    // Follows the link `name` (of the UI node when fromUi, else of the world
    // node) to a world node. keepScores 1 keeps the running scores; any
    // other value drops the global record back to its saved copy.
    bool loadScreen(const std::string& name, bool fromUi, int keepScores);
    // Follows the link `name` to a UI node and pushes its screen; pushing
    // over the start screen replaces it.
    bool pushUi(const std::string& name, bool fromScene);
    // 0: nothing changed; 1: build a new scene; 2: only the UI changed and
    // a scene exists.
    int replaceScene(const std::string& sceneName, const std::string& uiName, int keepScores);
    // Reduces the stack to the current world's "UI" screen.
    bool resetToSceneUi();
    // One UI screen back; false on the first entry.
    bool popUi();

    // The level section the next world starts in; 0 is the world's own
    // start.
    uint32_t getStartSectionId() const { return m_startSectionId; }
    void setStartSectionId(uint32_t id) { m_startSectionId = id; }

    // The first level section registered after section `id` that has it
    // among its live parents; 0 for id 0 and when there is none.
    uint32_t nextSectionId(uint32_t id) const;

private:
    // Retains the new scene and releases the old one.
    void setCurrentScene(cocos2d::CCScene* scene);

    std::shared_ptr<QVNode> currentSceneNode() const;
    std::shared_ptr<QVNode> currentUiNode() const;
    // The screen Key of the node the world's "UI" link leads to; empty when
    // the link is missing or unconnected.
    std::string sceneUiName() const;
    bool isCurrentAtEnd() const { return m_current >= m_uiNames.size(); }
    void clearUi();
    void pushName(const std::string& name);
    // Erases the entries after current (when current is on an entry).
    void truncateAfterCurrent();
    void applyScores(int keepScores);
    void stopAllSounds();

    std::string m_sceneName;
    std::vector<std::string> m_uiNames;
    std::size_t m_current = 0;
    cocos2d::CCScene* m_currentScene = nullptr;  // retained
    uint32_t m_startSectionId = 0;
};
