// qvloadcheck [--folder | --archive] <resource root>
// Loads a game through the real loader, the way the player does at start-up
// and on its loading screen, and prints what happened:
//   mode <folder|archive>
//   initial <models registered after loadInitialData>
//   percent <after loadInitialData> <after each step> ...
//   last error <text, or ->
//   models <count>
//   <id> <className> <name>      one line per model, ascending id
// Exit status: 0 loaded, 1 failed load, 2 usage error, 3 step limit hit.
// Log lines go where QVP_LOG says.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/classes/QVModelClasses.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"

namespace {

constexpr long kStepLimit = 1000000;

int usage() {
    std::fprintf(stderr, "usage: qvloadcheck [--folder | --archive] <resource root>\n");
    return 2;
}

// Names come from game data: control bytes are shown, not sent to the terminal.
std::string printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// The player's rule: the package wins when it exists with a size above 0.
bool packageHasData(const std::string& root) {
    struct stat st {};
    const std::string path = root + "/data/data.pkg";
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

}  // namespace

int main(int argc, char** argv) {
    enum { kDefault, kFolder, kArchive } mode = kDefault;
    std::string root;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--folder") == 0 || std::strcmp(arg, "--archive") == 0) {
            if (mode != kDefault) return usage();
            mode = arg[2] == 'f' ? kFolder : kArchive;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return usage();
        } else if (root.empty() && arg[0] != '\0') {
            root = arg;
        } else {
            return usage();
        }
    }
    if (root.empty()) return usage();
    struct stat st {};
    if (::stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "qvloadcheck: %s is not a directory\n", root.c_str());
        return 2;
    }
    const bool archive = mode == kDefault ? packageHasData(root) : mode == kArchive;

    cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(root);
    QVModelController* controller = QVModelController::shared();
    registerModelClasses(controller);
    controller->archiveMode = archive;

    const std::string stored = qvformat::kStoredArchivePassword;
    controller->loadInitialData("data/data.pkg", stored);
    const size_t initial = controller->modelCount();
    std::vector<int> percents = {controller->loadingPercent()};

    bool finished = false;
    if (controller->lastError().empty()) {
        // The loading screen's first step starts from an empty store.
        controller->clear();
        for (long step = 0; step < kStepLimit && !finished; ++step) {
            finished = archive ? controller->loadNextFromArchive(stored) : controller->loadNextFromFiles();
            percents.push_back(controller->loadingPercent());
        }
    }
    controller->closeDataArchive();

    std::printf("mode %s\n", archive ? "archive" : "folder");
    std::printf("initial %zu\n", initial);
    std::printf("percent");
    for (int p : percents) std::printf(" %d", p);
    std::printf("\n");
    const std::string& error = controller->lastError();
    std::printf("last error %s\n", error.empty() ? "-" : printable(error).c_str());
    const auto models = controller->modelsById();
    std::printf("models %zu\n", models.size());
    for (const auto& model : models) {
        std::printf("%u %s %s\n", model->id(), printable(model->className()).c_str(),
                    printable(model->name()).c_str());
    }
    std::fflush(stdout);

    if (!error.empty()) return 1;
    if (!finished) return 3;
    return 0;
}
