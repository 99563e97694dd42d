// QVPAppDelegate: the game's application. Its launch fits the design
// resolution to the window and runs the loading screen; the loading screen
// then calls loadGameData once per drawn frame until the game has loaded and
// the first menu or world is shown.
//
// Guarantees:
// - loading ends once: after the first completion, well or not, loadGameData
//   returns at once, so the models are never cleared and loaded again and
//   the completion steps (state, ads, atlases, music) never repeat;
// - a load that ends with a model-controller error marks nothing loaded,
//   shows no menu, reports the failure (stderr and the log), ends the main
//   loop and answers loadFailed(), so the player state is never saved over a
//   partial game;
// - a launch without a first scene, and a load that ends with no first
//   screen or world to show, fail the same way (loadFailed(), the report,
//   nothing saved; run() returns 1 for the launch) instead of showing an
//   empty window or the loading screen for ever.
#pragma once

#include <string>

#include "director/CCApplication.h"
#include "math/CCGeometry.h"
#include "platform/RandomAndClock.h"

class QVPAppDelegate : public cocos2d::CCApplication {
public:
    QVPAppDelegate();
    ~QVPAppDelegate() override;

    bool applicationDidFinishLaunching() override;
    void applicationDidEnterBackground() override;
    void applicationWillEnterForeground() override;
    // One loading step per call.
    void loadGameData() override;

    // The design resolution and policy from the general settings; nothing
    // without a general-settings model.
    void setupScreen();

    // The package password as the program stores it; erased once loading ends.
    void setArchivePassword(const std::string& password) { m_archivePassword = password; }
    const std::string& archivePassword() const { return m_archivePassword; }

    bool isLoadingFinished() const { return m_loadingFinished; }
    // True once a load has ended with a model-controller error.
    bool loadFailed() const { return m_loadFailed; }

    // The resolution policy for "Screen Adjustment" 0 to 3 (others give 5),
    // "Orientation" and the window size.
    static int resolutionPolicy(int screenAdjustment, int orientation, const cocos2d::CCSize& window);
    // Seconds between two clock readings, as the launch measures its first scene.
    static float elapsedSeconds(const cocos2d::cc_timeval& before, const cocos2d::cc_timeval& after);
    // A launch slower than this marks the machine as low-performance.
    static constexpr float kLowPerformanceSeconds = 0.4f;

    // "qvplayer: cannot load the game from <root>: <last error> (<detail>)" on
    // standard error, always, and in the log.
    static void reportLoadFailure();
    static void reportLoadFailure(const std::string& error, const std::string& detail);
    // The error reported for a game that loaded but has no first scene.
    static constexpr const char* kErrorNoFirstScene = "Unable to start the game";

private:
    void finishLoading();
    // False, with why in m_firstScreenError, when nothing can be shown.
    bool showFirstScreen();

    std::string m_archivePassword;
    std::string m_firstScreenError;
    bool m_firstStep = true;
    bool m_loadingFinished = false;
    bool m_loadFailed = false;
};
