// The loading side of QVModelController: the start-up load, the pack parser
// and the incremental loader the loading screen steps once per frame.
// Nothing here lets an exception out to the frame loop: a failure is logged,
// recorded as the last error and reported as status kLoadFailed.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <msgpack.hpp>

#include "model/core/QVArchiveReader.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"
#include "model/core/QVPackStream.h"
#include "model/core/QVSettingsModel.h"
#include "platform/CCFileUtils.h"
#include "platform/QVLog.h"

namespace {

constexpr const char* kSettingsClass = "QVModelGeneralSettings";
const QVKey kId("id");
const QVKey kClassName("Class Name");
constexpr const char* kKeysPack = "Keys.pack";
// What the entry walk's failures are reported under.
constexpr const char* kPackageName = "data.pkg";

// The packs the loading screen needs before the incremental load starts.
struct InitialPack {
    const char* name;
    bool connections;
};
constexpr InitialPack kInitialPacks[] = {
    {"QVModelGeneralSettings.0.attributes.pack", false},  {"QVModelFont.0.attributes.pack", false},
    {"QVModelScreen.0.attributes.pack", false},           {"QVModelObjectLabel.0.attributes.pack", false},
    {"QVModelObjectLoadingBar.0.attributes.pack", false}, {"QVModelScreen.0.connections.pack", true},
};

// Limits of Keys.pack, far above any real game: the names are held three
// times over while the table is built, so a huge file is refused up front.
constexpr size_t kMaxKeysPackBytes = size_t{16} << 20;
constexpr size_t kMaxKeysPackNames = 1000000;

enum class FileRead { kOk, kMissing, kUnreadable };

// The pack buffer kept between packs up to this capacity.
constexpr size_t kKeptPackBuffer = size_t{4} << 20;

// Reads a whole regular file straight into `out`. A FIFO, a device or a
// directory is a missing file, found without blocking (opened non-blocking,
// then checked). An unreadable file sets `error` to the system's reason.
FileRead readRegularFile(const std::string& path, std::vector<unsigned char>& out, int* error = nullptr) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return FileRead::kMissing;
        if (error) *error = errno;
        return FileRead::kUnreadable;
    }
    struct stat st {};
    FileRead result = FileRead::kOk;
    if (::fstat(fd, &st) != 0) {
        if (error) *error = errno;
        result = FileRead::kUnreadable;
    } else if (!S_ISREG(st.st_mode)) {
        result = FileRead::kMissing;
    } else {
        try {
            out.resize(static_cast<size_t>(st.st_size));
            size_t done = 0;
            while (done < out.size()) {
                const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) {
                    if (error) *error = errno;
                    result = FileRead::kUnreadable;
                }
                if (n <= 0) break;
                done += static_cast<size_t>(n);
            }
            // A file that shrank while being read gives what it held.
            out.resize(done);
        } catch (...) {
            ::close(fd);
            throw;
        }
    }
    ::close(fd);
    if (result != FileRead::kOk) out.clear();
    return result;
}

// The names in a folder; empty, with the system's reason in `error`, when it
// cannot be listed.
std::unordered_set<std::string> listFolder(const std::string& path, int* error) {
    std::unordered_set<std::string> names;
    *error = 0;
    if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* entry = ::readdir(dir)) names.emplace(entry->d_name);
        ::closedir(dir);
    } else {
        *error = errno;
    }
    return names;
}

// The engine's full path of a game file. One it cannot find (missing, or
// behind a folder that cannot be read) stays under the resource root, so the
// read fails with that file's reason and never finds one in the working
// directory.
std::string gamePath(const std::string& name) {
    cocos2d::CCFileUtils* files = cocos2d::CCFileUtils::sharedFileUtils();
    const std::string full = files->fullPathForFilename(name);
    if (full != name || files->isAbsolutePath(name)) return full;
    return files->getResourceRoot() + name;
}

// Unregisters the model held under an id that a pack object reuses. The
// general settings go through their reset, so the next shared() builds anew.
void dropRegistered(QVModelController& controller, const std::shared_ptr<QVModel>& model) {
    if (dynamic_cast<const QVSettingsModel*>(model.get())) controller.resetSettings();
    // Also for a settings model the instance no longer holds.
    controller.removeModel(model);
}

}  // namespace

void QVModelController::loadFailed(const std::string& what, const char* reason, const char* error) {
    logMessage("[QVModelController] load data - fail");
    logMessage("[QVModelController] %s: %s", what.c_str(), reason);
    m_lastError = error;
    m_lastErrorDetail = what + ": " + reason;
}

bool QVModelController::refuseWithoutClasses() {
    if (!m_factories.empty()) return false;
    // Without factories every model would be skipped without a word.
    if (m_lastError.empty()) logMessage("[QVModelController] load data - fail: no model class is registered");
    m_lastError = kErrorLoad;
    m_lastErrorDetail = "no model class is registered";
    return true;
}

void QVModelController::updatePercent() {
    // Capped below the stage's end so that a package with more packs than
    // classes never runs past 100 or backwards.
    const size_t classCount = classNames().size();
    size_t share = m_loading->done.size() * 50 / classCount;
    if (share > 49) share = 49;
    m_loading->percent = m_loading->stage * 50 + static_cast<int32_t>(share);
}

void QVModelController::openDataArchive(const std::string& path) {
    m_dataArchive.reset();
    const std::string full = gamePath(path);
    m_dataArchive.reset(new QVArchiveReader(full));
}

void QVModelController::closeDataArchive() { m_dataArchive.reset(); }

bool QVModelController::readFileArchive(const std::string& entry, std::vector<unsigned char>& out,
                                        const std::string& storedPassword) {
    out.clear();
    if (!m_dataArchive) {
        logMessage("[QVModelController] readFileArchive error - dataArchive is empty");
        return false;
    }
    return m_dataArchive->readFile(entry, out, decodeArchivePassword(storedPassword));
}

bool QVModelController::readFile(const std::string& path, std::vector<unsigned char>& out) {
    const std::string full = gamePath(path);
    int error = 0;
    const FileRead read = readRegularFile(full, out, &error);
    // Told apart from a missing file, so the failure names the system's reason.
    if (read == FileRead::kUnreadable) throw std::system_error(error, std::generic_category());
    return read == FileRead::kOk;
}

int QVModelController::loadDataFromArchive(const std::string& entry, bool connections,
                                           const std::string& storedPassword) {
    if (!m_dataArchive) {
        loadFailed(entry, "no data archive is open", kErrorNoArchive);
        return kLoadFailed;
    }
    logMessage("[QVModelController] load data(%d) for class from archive file: %s", connections ? 1 : 0, entry.c_str());
    try {
        std::vector<unsigned char> bytes;
        if (!readFileArchive(entry, bytes, storedPassword)) return kLoadMissing;
        parsePack(bytes.data(), bytes.size(), connections);
        return kLoadOk;
    } catch (const std::exception& e) {
        loadFailed(entry, e.what(), kErrorLoad);
        return kLoadFailed;
    }
}

int QVModelController::loadDataFromFile(const std::string& path, bool connections) {
    return loadResolvedFile(gamePath(path), path, connections);
}

int QVModelController::loadResolvedFile(const std::string& fullPath, const std::string& shown, bool connections) {
    try {
        // One buffer serves every pack of a load; a large one is not kept.
        std::vector<unsigned char> bytes;
        bytes.swap(m_packBuffer);
        struct GiveBack {
            std::vector<unsigned char>& bytes;
            std::vector<unsigned char>& buffer;
            ~GiveBack() {
                if (bytes.capacity() <= kKeptPackBuffer) buffer.swap(bytes);
            }
        } giveBack{bytes, m_packBuffer};
        int error = 0;
        const FileRead read = readRegularFile(fullPath, bytes, &error);
        if (read == FileRead::kMissing) return kLoadMissing;
        logMessage("[QVModelController] load data(%d) for class from file: %s", connections ? 1 : 0, shown.c_str());
        if (read == FileRead::kUnreadable) {
            loadFailed(shown, ("the file cannot be read: " + std::string(std::strerror(error))).c_str(), kErrorLoad);
            return kLoadFailed;
        }
        parsePack(bytes.data(), bytes.size(), connections);
        return kLoadOk;
    } catch (const std::exception& e) {
        loadFailed(shown, e.what(), kErrorLoad);
        return kLoadFailed;
    }
}

bool QVModelController::installKeysPack(const std::vector<unsigned char>& keys, const std::string& userId) {
    if (keys.size() > kMaxKeysPackBytes) {
        loadFailed(kKeysPack, "larger than the limit of 16 MiB", kErrorLoad);
        return false;
    }
    QVKeyTableMap table;
    if (!readKeysPack(keys.data(), keys.size(), userId, kMaxKeysPackNames, table)) {
        loadFailed(kKeysPack, "more names than the limit of 1000000", kErrorLoad);
        return false;
    }
    installKeyTable(std::move(table));
    // A table that is not this game's (random bytes, or scrambled for
    // another User ID) lacks the keys every pack is read with.
    for (const char* needed : {"id", "Class Name"}) {
        if (!keyTable().count(needed)) {
            loadFailed(kKeysPack, (std::string("the key table has no \"") + needed + "\" key").c_str(), kErrorLoad);
            return false;
        }
    }
    return true;
}

void QVModelController::loadInitialData(const std::string& archivePath, const std::string& storedPassword) {
    if (refuseWithoutClasses()) return;
    std::vector<unsigned char> keys;
    bool haveKeys = false;
    bool packageOpen = true;
    if (archiveMode) {
        try {
            openDataArchive(archivePath);
        } catch (const std::exception& e) {
            packageOpen = false;
            loadFailed(archivePath, e.what(), kErrorNoArchive);
        }
        try {
            haveKeys = readFileArchive(kKeysPack, keys, storedPassword);
        } catch (const std::exception& e) {
            loadFailed(kKeysPack, e.what(), kErrorLoad);
        }
    } else {
        try {
            haveKeys = readFile(dataPath() + "/" + kKeysPack, keys);
        } catch (const std::system_error& e) {
            loadFailed(dataPath() + "/" + kKeysPack, e.code().message().c_str(), kErrorLoad);
        } catch (const std::exception& e) {
            loadFailed(kKeysPack, e.what(), kErrorLoad);
        }
    }
    if (!haveKeys) {
        logMessage("Failed to load keys");
        // A package that could not be opened keeps saying so.
        if (packageOpen) m_lastError = kErrorLoad;
        if (m_lastErrorDetail.empty()) m_lastErrorDetail = "Failed to load keys";
        return;
    }

    // First read of the general settings: only the built-in key numbers
    // resolve yet, which give the id, the class and the User ID the key
    // table is unscrambled with.
    const std::string settingsPack = std::string(kSettingsClass) + ".0.attributes.pack";
    if (archiveMode) {
        loadDataFromArchive(settingsPack, false, storedPassword);
    } else {
        loadDataFromFile(dataPath() + "/" + settingsPack, false);
    }

    const std::shared_ptr<QVSettingsModel> firstSettings = settingsModel();
    const std::string userId = firstSettings ? firstSettings->userId() : std::string();
    try {
        if (!installKeysPack(keys, userId)) {
            logMessage("Failed to load keys");
            return;
        }
    } catch (const std::exception& e) {
        loadFailed(kKeysPack, e.what(), kErrorLoad);
        logMessage("Failed to load keys");
        return;
    }

    for (const InitialPack& pack : kInitialPacks) {
        if (archiveMode) {
            loadDataFromArchive(pack.name, pack.connections, storedPassword);
        } else {
            loadDataFromFile(dataPath() + "/" + pack.name, pack.connections);
        }
        if (&pack != &kInitialPacks[0] || !firstSettings) continue;
        // The settings read again with the whole table must give the User ID
        // the table was unscrambled with.
        const std::shared_ptr<QVSettingsModel> settings = settingsModel();
        if (!settings || settings->userId() != userId) {
            loadFailed(settingsPack, "the general settings cannot be read back with the key table", kErrorLoad);
            return;
        }
    }
}

bool QVModelController::loadNextFromFiles() {
    LoadingState& state = *m_loading;
    if (state.stage == 2) clear();
    if (refuseWithoutClasses()) {
        state.stage = 2;
        state.percent = 100;
        return true;
    }
    updatePercent();
    if (!m_dataFiles || (state.stage == 0 && state.id == 0 && state.done.empty())) {
        // One listing of the data folder per load says which packs exist.
        m_dataFolder = gamePath(dataPath());
        int error = 0;
        m_dataFiles.reset(new std::unordered_set<std::string>(listFolder(m_dataFolder, &error)));
        m_dataListed = error == 0;
        if (!m_dataListed) {
            // A folder that can be entered but not listed still gives its
            // packs by name.
            logMessage("[QVModelController] %s cannot be listed (%s); looking each pack up by name", dataPath().c_str(),
                       std::strerror(error));
        }
    }
    const std::string pack = state.packFileName();
    const bool present = m_dataListed ? m_dataFiles->count(pack) > 0
                                      : cocos2d::CCFileUtils::sharedFileUtils()->isFileExist(m_dataFolder + "/" + pack);
    const int status = present ? loadResolvedFile(m_dataFolder + "/" + pack, dataPath() + "/" + pack, state.stage != 0)
                               : static_cast<int>(kLoadMissing);
    if (status == kLoadOk) {
        ++state.id;
        return false;
    }
    // A missing or failed pack number ends its class for this stage.
    state.done.insert(state.className);
    for (const std::string& name : classNames()) {
        if (!state.done.count(name)) {
            state.className = name;
            state.id = 0;
            return false;
        }
    }
    return state.advanceLoadingStage() == 2;
}

bool QVModelController::loadNextFromArchive(const std::string& storedPassword) {
    LoadingState& state = *m_loading;
    if (!m_dataArchive) {
        // Ends the load instead of waiting forever for a package that is
        // not there; the caller sees the failure in lastError().
        loadFailed(kPackageName, "no data archive is open", kErrorNoArchive);
        state.stage = 2;
        state.percent = 100;
        return true;
    }
    if (state.stage == 2) clear();
    if (refuseWithoutClasses()) {
        state.stage = 2;
        state.percent = 100;
        return true;
    }
    updatePercent();
    const std::string entry = state.fresh ? state.packFileName() : state.className;
    loadDataFromArchive(entry, state.stage != 0, storedPassword);
    state.done.insert(entry);
    if (findNextArchiveEntry(storedPassword)) return false;
    return state.advanceLoadingStage() == 2;
}

bool QVModelController::findNextArchiveEntry(const std::string& storedPassword) {
    LoadingState& state = *m_loading;
    const char* marker = state.stage == 0 ? ".attributes." : ".connections.";
    try {
        const std::string password = decodeArchivePassword(storedPassword);
        std::string name;
        if (state.fresh) {
            state.fresh = false;
            name = m_dataArchive->firstFile(password);
        } else {
            name = m_dataArchive->nextFile(password);
        }
        while (!name.empty()) {
            if (name.find(marker) != std::string::npos && !state.done.count(name)) {
                state.className = name;
                return true;
            }
            name = m_dataArchive->nextFile(password);
        }
    } catch (const std::exception& e) {
        // A broken directory ends the stage as if its entries were exhausted.
        loadFailed(kPackageName, e.what(), kErrorLoad);
    }
    return false;
}

void QVModelController::parsePack(const unsigned char* bytes, size_t length, bool connections) {
    if (!bytes || length == 0) return;
    QVPackStream stream(bytes, length);
    // Reused for every object: a pack holds hundreds of them.
    msgpack::zone zone;
    msgpack::object object;
    QVPackMap map;
    while (stream.next(zone, object)) {
        map.assign(object);
        if (!connections) {
            parseAttributesObject(map);
            continue;
        }
        uint32_t id = 0;
        if (!map.get(kId, id)) continue;
        if (QVModel* model = findModel(id)) model->unpackConnections(map);
    }
}

void QVModelController::parseAttributesObject(const QVPackMap& map) {
    uint32_t id = 0;
    if (!map.get(kId, id)) return;
    const msgpack::object* classEntry = map.find(kClassName);
    if (!classEntry) return;
    // The name is read in place; the objects of a pack are mostly of one
    // class, so the last factory found usually serves the next object.
    std::string_view className;
    if (classEntry->type == msgpack::type::STR) {
        className = std::string_view(classEntry->via.str.ptr, classEntry->via.str.size);
    } else if (classEntry->type == msgpack::type::BIN) {
        className = std::string_view(classEntry->via.bin.ptr, classEntry->via.bin.size);
    } else {
        throw msgpack::type_error();
    }
    if (!m_lastFactory || className != m_lastClassName) {
        const auto factory = m_factories.find(std::string(className));
        m_lastFactory = factory == m_factories.end() ? nullptr : &factory->second;
        m_lastClassName.assign(className.data(), className.size());
    }
    QVModel* const found = findModel(id);
    const std::shared_ptr<QVModel> registered = found ? found->sharedFromThis() : std::shared_ptr<QVModel>();

    if (!m_lastFactory) {
        // An unknown class still frees the id it names.
        if (registered) dropRegistered(*this, registered);
        return;
    }
    const Factory& factory = *m_lastFactory;

    if (className == kSettingsClass) {
        // The single instance: dropped first, so that shared() builds the
        // fresh one that the pack fills.
        if (registered) dropRegistered(*this, registered);
        std::shared_ptr<QVModel> model = createStored(factory, id);
        if (!model) return;
        model->unpack(map);
        addModel(model, -1);
        if (auto settings = std::dynamic_pointer_cast<QVSettingsModel>(model)) raiseLastId(settings->lastId());
        return;
    }

    // The replacement is complete before the registered model goes: a bad
    // object leaves the good model in place.
    std::shared_ptr<QVModel> model = createStored(factory, id);
    if (!model) return;
    model->unpack(map);
    if (registered) dropRegistered(*this, registered);
    addModel(model, -1);
}
