// qvsamplegame [--font TTF] OUTDIR
// Writes the sample game into OUTDIR: the data folder's packs, Keys.pack and
// data.pkg, and the media the models name. OUTDIR may be missing, empty or a
// previous output (it holds the marker file .qvsamplegame); anything else is
// refused and left alone. The game is made in a sibling folder and renamed
// into place. Exit status: 0 written, 1 failure, 2 usage error.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "FontBaker.h"
#include "Media.h"
#include "PackWriter.h"
#include "SampleGame.h"
#include "Sounds.h"
#include "model/classes/QVModelClasses.h"
#include "model/classes/QVModelSound.h"
#include "model/core/QVModelController.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kMarkerName = ".qvsamplegame";
constexpr const char* kMarkerText = "qvsamplegame 1\n";

int usage() {
    std::fprintf(stderr, "usage: qvsamplegame [--font TTF] OUTDIR\n");
    return 2;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "qvsamplegame: %s\n", message.c_str());
    return 1;
}

bool isPreviousOutput(const fs::path& dir) {
    std::FILE* marker = std::fopen((dir / kMarkerName).c_str(), "rb");
    if (!marker) return false;
    char text[32] = {};
    const size_t n = std::fread(text, 1, sizeof text, marker);
    std::fclose(marker);
    return std::string(text, n) == kMarkerText;
}

// Missing, empty or ours: the folder may be replaced.
bool mayReplace(const fs::path& dir) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(dir, ec))) return true;
    if (!fs::is_directory(fs::symlink_status(dir, ec))) return false;
    return fs::is_empty(dir, ec) ? !ec : isPreviousOutput(dir);
}

bool writeBytes(const fs::path& path, const std::vector<unsigned char>& bytes, std::string& error) {
    if (packwriter::writeFile(path.string(), bytes)) return true;
    error = "cannot write " + path.string() + ": " + std::strerror(errno);
    return false;
}

size_t countFiles(const fs::path& dir) {
    size_t n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) n += entry.is_regular_file() ? 1 : 0;
    return n;
}

// Ids of the sound models, in id order.
std::vector<int> soundIds(const QVModelController& controller) {
    std::vector<int> ids;
    for (const auto& model : controller.modelsById()) {
        if (std::dynamic_pointer_cast<QVModelSound>(model)) ids.push_back(static_cast<int>(model->id()));
    }
    return ids;
}

// The whole game into `root`; the model count in `models`.
bool writeGame(const fs::path& root, const std::string& font, size_t& models, std::string& error) {
    QVModelController& controller = *QVModelController::shared();
    samplegame::authorModels(controller);
    models = controller.modelsById().size();
    const std::string dir = root.string();
    fs::create_directories(root / "data");
    // Media first: the atlases give the sprites the frame values the packs store.
    if (!samplegame::writeMedia(controller, dir, font, error) ||
        !samplegame::writeSounds(dir, soundIds(controller), &error)) {
        return false;
    }
    const std::vector<samplegame::PackFile> packs = samplegame::packGame(controller);
    for (const samplegame::PackFile& pack : packs) {
        if (!writeBytes(root / "data" / pack.name, pack.bytes, error)) return false;
    }
    if (!writeBytes(root / "data" / "data.pkg", samplegame::packageBytes(packs), error)) return false;
    const std::string marker = kMarkerText;
    return writeBytes(root / kMarkerName, std::vector<unsigned char>(marker.begin(), marker.end()), error);
}

}  // namespace

int main(int argc, char** argv) {
    std::string font = samplegame::defaultFontFile();
    std::string out;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--font") == 0) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') return usage();
            font = argv[++i];
        } else if (argv[i][0] == '-' || !out.empty() || argv[i][0] == '\0') {
            return usage();
        } else {
            out = argv[i];
        }
    }
    if (out.empty()) return usage();

    const fs::path target = fs::path(out).lexically_normal();
    const fs::path dir = target.filename().empty() ? target.parent_path() : target;
    if (!mayReplace(dir)) return fail(dir.string() + " is not empty and not a previous output; nothing was written");
    const fs::path scratch = dir.parent_path() / ("." + dir.filename().string() + ".qvsamplegame-tmp");

    try {
        std::error_code ec;
        fs::remove_all(scratch, ec);
        fs::create_directories(scratch);
        registerModelClasses();
        size_t models = 0;
        std::string error;
        if (!writeGame(scratch, font, models, error)) {
            fs::remove_all(scratch, ec);
            return fail(error);
        }
        const size_t files = countFiles(scratch);
        fs::remove_all(dir);
        fs::rename(scratch, dir);
        std::printf("qvsamplegame: %zu models, %zu files\n", models, files);
        return 0;
    } catch (const std::exception& e) {
        std::error_code ec;
        fs::remove_all(scratch, ec);
        return fail(e.what());
    }
}
