#include "player/app/QVServices.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "model/classes/QVModelGeneralSettings.h"
#include "platform/QVLog.h"
#include "player/app/QVHost.h"
#include "player/app/ScoreTable.h"
#include "player/screens/ScreenManager.h"

extern char** environ;

QVServices* QVServices::shared() {
    static QVServices* const instance = new QVServices();  // kept until exit
    return instance;
}

PurchaseService* PurchaseService::shared() {
    static PurchaseService* const instance = new PurchaseService();
    return instance;
}

void QVServices::exitGame() {
    logMessage("Exit");
    std::fputs("Doing exit...\n", stdout);
    std::fflush(stdout);
    QVHost::current().postCloseRequest();
}

void QVServices::requestFullscreen(bool fullscreen) { QVHost::current().postWindowModeRequest(fullscreen); }

void QVServices::screenOnEnter(const std::string& name) {
    logMessage("[QVServices] Screen On Enter: %s", name.c_str());
}

void QVServices::screenOnExit(const std::string& name) { logMessage("[QVServices] Screen On Exit: %s", name.c_str()); }

void QVServices::submitScore() {
    // No provider to send it to on the desktop.
    (void)scoreValue(QVModelGeneralSettings::shared()->scoreType());
}

float QVServices::scoreValue(const std::string& scoreType) {
    if (scoreType == "Session Distance") return sessionDistance();
    if (scoreType == "Session Coins") return float(sessionCoins());
    if (scoreType == "Session Points") return float(sessionPoints());
    // Reading must not create a record for the current world.
    const ScoreRecord* record = findScoreRecord(ScreenManager::shared()->getSceneName());
    if (!record) return 0;
    if (scoreType == "Best Distance") return record->distance.best;
    if (scoreType == "Best Coins") return float(record->coins.best);
    if (scoreType == "Best Points") return float(record->points.best);
    if (scoreType == "Total Distance") return record->distance.total;
    if (scoreType == "Total Coins") return float(record->coins.total);
    if (scoreType == "Total Points") return float(record->points.total);
    return 0;
}

void QVServices::requestReview() { logMessage("[QVServices] review request"); }

void QVServices::setCallback(const std::string&, cocos2d::CCObject* target, Callback callback) {
    m_callback.set(target, callback);
    m_callback.fire(true);
}

void QVServices::openSocialPage(const std::string& id, const std::string& url) {
    logMessage("[QVServices] open social page %s: %s", id.c_str(), url.c_str());
    openUrl(url);
}

namespace {

constexpr size_t kMaxUrlBytes = 2048;

bool startsWithNoCase(const std::string& text, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

// Null when the URL may be handed to the desktop's handler: only web
// addresses, so a pack cannot open local files or run scripts, and no blank
// or control byte that a handler might split or act on.
const char* urlRefusal(const std::string& url) {
    if (!startsWithNoCase(url, "http://") && !startsWithNoCase(url, "https://")) return "not an http or https URL";
    if (url.size() > kMaxUrlBytes) return "longer than 2048 bytes";
    for (unsigned char c : url)
        if (c < 0x21 || c == 0x7F) return "blank or control character";
    return nullptr;
}

// Runs the program found on PATH with one argument and no shell, its standard
// streams on /dev/null. The child is reaped on a thread of its own, so the
// frame never waits for it.
bool spawnDetached(const char* program, const std::string& argument, int& error) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The child starts with default signal handling and no blocked signals.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string program0 = program;
    std::string argument1 = argument;
    char* argv[] = {&program0[0], &argument1[0], nullptr};
    pid_t pid = 0;
    error = posix_spawnp(&pid, program, &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return false;
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {}
    }).detach();
    return true;
}

}  // namespace

void QVServices::openUrl(const std::string& url) {
    if (const char* reason = urlRefusal(url)) {
        logMessage("[QVServices] open URL refused: %s", reason);
        return;
    }
    logMessage("[QVServices] open URL: %s", url.c_str());
    int error = 0;
    if (!spawnDetached("xdg-open", url, error))
        logMessage("[QVServices] could not start xdg-open: %s", std::strerror(error));
}

void PurchaseService::setCallback(cocos2d::CCObject* target, Callback callback) { m_callback.set(target, callback); }

void PurchaseService::purchase(const std::string& product) {
    if (m_callback.isSet()) m_callback.fire(product);
}

void PurchaseService::restore(cocos2d::CCObject*) { logMessage("[PurchaseService] restore purchases"); }
