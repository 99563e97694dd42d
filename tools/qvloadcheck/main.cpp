// qvloadcheck [--folder | --archive] [--repack DIR] [--flow] <resource root>
// Loads a game through the real loader, the way the player does at start-up
// and on its loading screen, and prints what happened:
//   mode <folder|archive>
//   initial <models registered after loadInitialData>
//   percent <after loadInitialData> <after each step> ...
//   last error <text, or ->
//   models <count>
//   <id> <className> <name>      one line per model, ascending id
// --repack DIR: after a load that ends with status 0, writes into DIR (made
// when missing), for every class in registry order that has models,
// <Class>.0.attributes.pack and <Class>.0.connections.pack: each model's pack
// map in the class list's order, back to back, with the loaded key table.
// --flow: then a line "flow" and, for every flow-graph node in ascending id,
//   node <id> <class> "<name>" screen <screen id> "<screen Key>"   (screen -)
//   link <id> "<link name>" -> <target id> <class> "<name>" screen ...
// one link line per follower attribute in attribute order ("-> -" when the
// link leads to no node); texts quoted and escaped as qvpackdump shows them.
// Exit status: 0 loaded, 1 failed load or repack, 2 usage error, 3 step limit hit.
// Log lines go where QVP_LOG says.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/classes/QVModelClasses.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVNode.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"

#include "PackWriter.h"
#include "ToolText.h"

namespace {

constexpr long kStepLimit = 1000000;

int usage() {
    std::fprintf(stderr, "usage: qvloadcheck [--folder | --archive] [--repack DIR] [--flow] <resource root>\n");
    return 2;
}

using tooltext::quoted;

// `<id> <class> "<name>" screen <id> "<Key>"`, or `screen -` without one.
std::string describeNode(const QVBaseNode& node) {
    std::string out = std::to_string(node.id()) + " " + node.className() + " " + quoted(node.name()) + " screen ";
    const auto screen = node.screenModel();
    if (!screen) return out + "-";
    return out + std::to_string(screen->id()) + " " + quoted(screen->key());
}

void printFlow(const QVModelController& controller) {
    std::printf("flow\n");
    for (const auto& model : controller.modelsById()) {
        const auto node = modelKindCast<QVNode>(model);
        if (!node) continue;
        std::printf("node %s\n", describeNode(*node).c_str());
        for (const QVAttribute* link : node->attributes()) {
            if (link->connectionMode() != QVBaseAttribute::kConnectionFollower) continue;
            const auto target = node->linkTarget(link->name());
            std::printf("link %u %s -> %s\n", node->id(), quoted(link->name()).c_str(),
                        target ? describeNode(*target).c_str() : "-");
        }
    }
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

// Writes both packs of every class that has registered models; false after a
// message on stderr.
bool repack(const QVModelController& controller, const std::string& dir) {
    if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "qvloadcheck: cannot make %s: %s\n", dir.c_str(), std::strerror(errno));
        return false;
    }
    // A class's type id, from any of its models: making one would take an id.
    std::map<std::string, uint32_t> typeOf;
    for (const auto& model : controller.modelsById()) typeOf.emplace(model->className(), model->type());
    for (const std::string& className : QVModelController::classNames()) {
        const auto type = typeOf.find(className);
        if (type == typeOf.end()) continue;
        for (const bool connections : {false, true}) {
            const std::string path = dir + "/" + packwriter::packFileName(className, 0, connections);
            std::vector<unsigned char> bytes;
            try {
                bytes = packwriter::packBytes(controller.getModels(type->second), connections);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "qvloadcheck: cannot pack %s: %s\n", printable(path).c_str(), e.what());
                return false;
            }
            if (!packwriter::writeFile(path, bytes)) {
                std::fprintf(stderr, "qvloadcheck: cannot write %s: %s\n", printable(path).c_str(),
                             std::strerror(errno));
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    enum { kDefault, kFolder, kArchive } mode = kDefault;
    std::string root;
    std::string repackDir;
    bool flow = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--folder") == 0 || std::strcmp(arg, "--archive") == 0) {
            if (mode != kDefault) return usage();
            mode = arg[2] == 'f' ? kFolder : kArchive;
        } else if (std::strcmp(arg, "--repack") == 0) {
            if (!repackDir.empty() || i + 1 >= argc || argv[i + 1][0] == '\0' || argv[i + 1][0] == '-') return usage();
            repackDir = argv[++i];
        } else if (std::strcmp(arg, "--flow") == 0) {
            if (flow) return usage();
            flow = true;
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
    const std::string error = controller->lastError();
    std::printf("last error %s\n", error.empty() ? "-" : printable(error).c_str());
    const auto models = controller->modelsById();
    std::printf("models %zu\n", models.size());
    for (const auto& model : models) {
        std::printf("%u %s %s\n", model->id(), printable(model->className()).c_str(), printable(model->name()).c_str());
    }
    if (flow) printFlow(*controller);
    std::fflush(stdout);
    const bool loaded = error.empty() && finished;
    const bool repacked = !loaded || repackDir.empty() || repack(*controller, repackDir);
    // The player drops the store before each load; a game it cannot release
    // fails here, not in the next load.
    controller->clear();

    if (!error.empty()) return 1;
    if (!finished) return 3;
    return repacked ? 0 : 1;
}
