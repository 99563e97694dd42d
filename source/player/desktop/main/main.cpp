// qvplayer: the player's entry. Runs the game in the resource root (the one
// argument, else ENGINE_RESOURCE_ROOT, else the current directory) from its
// data package "data/data.pkg" when there is one, else from its "data" folder.
//
// Exit status: 0 after an orderly quit (close button, exit button, SIGINT or
// SIGTERM, the input script's quit, the frame limit), which saves the
// player's progress; 1 when the game cannot be loaded, a run hook is
// malformed, a screenshot or state dump could not be written (the progress
// is saved) or the main loop fails; 2 for bad arguments (0 for --help).
// Every failure is one line on standard error naming its cause; the lower
// layers' notices are printed under our name.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "../CaptureObject.h"
#include "../DesktopHost.h"
#include "../EventHandler.h"
#include "../HostWindow.h"
#include "../IconFile.h"
#include "../InputDevices.h"
#include "../SteamStub.h"
#include "actions/CCScheduler.h"
#include "director/CCDirector.h"
#include "director/EngineHooks.h"
#include "model/classes/QVModelClasses.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"
#include "platform/QVLog.h"
#include "player/app/QVPAppDelegate.h"
#include "player/app/QVPSettingsController.h"
#include "view/CCEGLView.h"

using namespace cocos2d;

namespace {

constexpr const char* kPackage = "data/data.pkg";

constexpr const char* kUsage = "usage: qvplayer [GAME_DIRECTORY]\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// "" for a directory the game can be read from, else why not.
std::string notAGameDirectory(const char* path) {
    struct stat st {};
    if (::stat(path, &st) != 0) return errno == ENOENT ? "no such directory" : std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return "not a directory";
    // Nothing inside can be reached without search permission.
    if (::faccessat(AT_FDCWD, path, X_OK, AT_EACCESS) != 0) return std::strerror(errno);
    return "";
}

void printNotice(const char* text, std::size_t length) {
    std::fprintf(stderr, "qvplayer: %.*s\n", static_cast<int>(length), text);
    std::fflush(stderr);
}

// As the load check tests it: a regular file with a size above 0.
bool hasPackage() {
    const std::string path = CCFileUtils::sharedFileUtils()->getResourceRoot() + kPackage;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

// Neither the package nor the data folder is there at all: a folder that is
// no game, where any other failure names the file it met.
bool noGameThere() {
    const std::string root = CCFileUtils::sharedFileUtils()->getResourceRoot();
    struct stat st {};
    return ::stat((root + kPackage).c_str(), &st) != 0 && errno == ENOENT &&
           ::stat((root + "data").c_str(), &st) != 0 && errno == ENOENT;
}

void onSignal(int) { CCEGLView::requestCloseFromSignal(); }

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) return usage();
    if (argc == 2 && argv[1][0] == '-') {
        if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "qvplayer: %s: unknown option\n", argv[1]);
        return usage();
    }
    if (argc == 2) {
        const std::string why = notAGameDirectory(argv[1]);
        if (!why.empty()) {
            std::fprintf(stderr, "qvplayer: %s: %s\n", argv[1], why.c_str());
            return usage();
        }
        CCFileUtils::sharedFileUtils()->setResourceRoot(argv[1]);
    }
    setNoticeSink(printNotice);
    installSignalHandlers();

    // Defined here and in no library, so test programs make their own.
    QVPAppDelegate app;
    static EventHandler eventHandler;
    registerModelClasses();
    static DesktopHost host;
    QVHost::install(&host);

    QVModelController* controller = QVModelController::shared();
    controller->clear();
    if (noGameThere()) {
        QVPAppDelegate::reportLoadFailure("no data/data.pkg and no data folder", "");
        return 1;
    }
    controller->archiveMode = hasPackage();
    controller->loadInitialData(kPackage, qvformat::kStoredArchivePassword);
    if (!controller->lastError().empty()) {
        // Before the store, the window and Steam: nothing of an unloadable
        // game is opened or written.
        QVPAppDelegate::reportLoadFailure();
        controller->clear();
        return 1;
    }
    const std::shared_ptr<QVModelGeneralSettings> settings = QVModelGeneralSettings::shared();
    CCFileUtils::sharedFileUtils()->setApplicationName(settings->applicationName());

    QVPSettingsController::shared()->load();
    CCEGLView* view = CCEGLView::sharedOpenGLView();
    view->setViewName(settings->applicationName().c_str());
    setOrientationProvider([] { return static_cast<int>(QVModelGeneralSettings::shared()->orientation()); });
    setBeforeSwitchHook([] { QVPSettingsController::shared()->save(); });
    setFullscreen(QVPSettingsController::shared()->isFullscreen(), true);
    writeSteamStarted(stdout, SteamAPI_Init());
    installWindowProcHook();
    setWindowIcon("icon.ico");
    createInputDevices(view->getHWnd(), &eventHandler, &eventHandler);
    eventHandler.installPadSink();
    // Escape reaches the event handler only, which gives back itself when
    // nothing else took the key.
    view->setEscapeIsBack(false);

    CaptureObject capture;
    CCDirector::sharedDirector()->getScheduler()->scheduleUpdateForTarget(&capture, 0, false);
    app.setArchivePassword(qvformat::kStoredArchivePassword);

    const int result = app.run();
    if (result == 0 && !app.loadFailed()) QVPSettingsController::shared()->save();
    eventHandler.forgetPresses();
    destroyInputDevices();
    controller->clear();
    // A screenshot or dump that could not be written was said when it
    // failed; the run's progress is saved all the same.
    return result != 0 || app.loadFailed() || runHookFailed() ? 1 : 0;
}
