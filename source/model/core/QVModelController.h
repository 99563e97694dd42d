// QVModelController: the one registry and store of models, by id and by
// class; the factories that make a model from its class name; the source of
// new model ids; and the loader that fills the store from the data folder or
// the data package (QVModelControllerLoading.cpp).
//
// Guarantees: a model is registered under one id at most once and the first
// model keeps a taken id; removal acts only on the very model registered
// under the id; the id counter stays ahead of every id it has seen (except the
// "no id" value 4294967295) and of the general settings' "Last ID", so a model
// made at run time never collides with a loaded one. Class lists emptied by
// removal are dropped. getModelsOfKind groups its results by class in
// ascending type-id order.
// Loading never lets an exception out: a failure is logged, sets lastError
// and gives status kLoadFailed; models read before it stay registered. A load
// that ends with a non-empty lastError is a failed load.
// The controller is made once and lives until the process ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/core/QVModelIdMap.h"
#include "model/core/QVTypeId.h"

class QVArchiveReader;
class QVAttribute;
class QVModel;
class QVPackMap;
class QVSettingsModel;

// Where the incremental loader stands.
struct LoadingState {
    // Folder mode: the class whose packs are read; archive mode: the next
    // entry to load.
    std::string className = "QVModelGeneralSettings";
    // Folder mode: the number of the next pack of the class.
    uint32_t id = 0;
    // Class names (folder) or entry names (archive) finished in this stage.
    std::unordered_set<std::string> done;
    // 0 attributes, 1 connections, 2 finished.
    int32_t stage = 0;
    // At the start of a stage: the next step loads the general settings'
    // pack and, in archive mode, starts the entry walk.
    bool fresh = true;
    int32_t percent = 0;

    void reset();
    // "<className>.<id>.attributes.pack" (stage 0), ".connections.pack"
    // (stage 1), "" when finished.
    std::string packFileName() const;
    // Moves to the next stage (percent 100 on reaching 2); returns the stage.
    int32_t advanceLoadingStage();
};

class QVModelController {
public:
    using Factory = std::function<std::shared_ptr<QVModel>()>;

    // Results of the single-pack loaders.
    enum LoadStatus { kLoadOk = 0, kLoadMissing = 1, kLoadFailed = 2 };

    // Texts of lastError().
    static constexpr const char* kErrorNoArchive = "No data archive";
    static constexpr const char* kErrorLoad = "Unable to load data";

    QVModelController();
    virtual ~QVModelController();
    QVModelController(const QVModelController&) = delete;
    QVModelController& operator=(const QVModelController&) = delete;

    // The single instance, created on first use.
    static QVModelController* shared();
    // Makes `controller` the instance models talk to (tests install a
    // subclass that records its hooks); returns the previous one, which the
    // caller then owns. Null means a default instance on next use.
    static QVModelController* setShared(QVModelController* controller);

    // ---- Class registry ----
    // The 72 class names in registry order. The folder walk and the loading
    // percent always use this list, whichever classes have a factory.
    static const std::vector<std::string>& classNames();
    // Attaches `factory` to `className` (names outside the list are allowed,
    // but never walked). A name that already has a factory keeps it: false.
    bool registerFactory(const std::string& className, Factory factory);
    bool hasFactory(const std::string& className) const;
    // A new, unregistered model of that class; empty when it has no factory.
    std::shared_ptr<QVModel> createModel(const std::string& className) const;
    // The game's classes register their factories (registerModelClasses)
    // before the first load; a load with none registered fails.

    // The settings model (QVSettingsModel.h): the reset the game's classes
    // register, run by clear() and when a pack replaces the settings model;
    // and the first registered model of that kind, null when none is.
    void setSettingsReset(std::function<void()> reset);
    void resetSettings();
    // Callbacks clear() runs after the settings reset, before the models are
    // released, in key order: caches of the game's classes that hold models.
    // A key names one callback; setting it again replaces it, null removes it.
    void setClearCallback(const std::string& key, std::function<void()> callback);
    std::shared_ptr<QVSettingsModel> settingsModel() const;

    // ---- Store ----
    // Registers the model (null and taken ids are ignored); the class list
    // gets it before position `index`, or at the end when index (as
    // unsigned) is not below the list's size.
    void addModel(const std::shared_ptr<QVModel>& model, int index = -1);
    // Unregisters the model when it is the one registered under its id.
    void removeModel(const std::shared_ptr<QVModel>& model);
    std::shared_ptr<QVModel> getModel(uint32_t id) const;
    // As getModel, without taking a reference: for a step that only looks.
    QVModel* findModel(uint32_t id) const { return m_ids.find(id); }
    // A hint that findModel(id) comes soon.
    void prefetchModelId(uint32_t id) const { m_ids.prefetch(id); }
    // A copy of the list of exactly that class; empty when none.
    std::vector<std::shared_ptr<QVModel>> getModels(uint32_t classTypeId) const;

    template <class T>
    std::shared_ptr<T> getModel(uint32_t id) const {
        return modelCast<T>(getModel(id));
    }
    template <class T>
    std::shared_ptr<T> getModelOfKind(uint32_t id) const {
        return modelKindCast<T>(getModel(id));
    }
    template <class T>
    std::vector<std::shared_ptr<T>> getModels() const;
    template <class T>
    std::vector<std::shared_ptr<T>> getModelsOfKind() const;
    // The first registered model of exactly class T, in list order.
    template <class T>
    std::shared_ptr<T> getFirstModel() const;

    void notifyModelChanged(const std::shared_ptr<QVModel>& model);
    void notifyAttributeChanged(QVAttribute* attribute, int kind);
    // Re-keys the id map when exactly this model is registered under oldId.
    void replaceModelId(const std::shared_ptr<QVModel>& model, uint32_t oldId);

    // Forgets every model, runs the settings reset, resets the last error, the
    // id counter and the loading state, and finalizes the engine's
    // autorelease pool; the models themselves die last, class by class in
    // list order (the order they were made in). Factories, archive mode, the
    // open package, the data directory and the key table survive.
    void clear();

    // The id counter: nextId() increments and returns it; raiseLastId keeps
    // it at least `id` (4294967295 is ignored).
    uint32_t lastId() const { return m_lastId; }
    uint32_t nextId() { return ++m_lastId; }
    // The id of a model under construction: nextId(), or the stored id the
    // loader is building the model for (the counter still moves, as when
    // the model took a fresh id and then read its own).
    uint32_t constructionId() {
        const uint32_t fresh = nextId();
        if (!m_buildingStoredId) return fresh;
        m_buildingStoredId = false;
        return m_storedId;
    }
    void raiseLastId(uint32_t id);

    bool dataChanged() const { return m_dataChanged; }
    std::string dataPath() const { return m_dataDirectory; }
    size_t modelCount() const { return m_ids.size(); }
    // Every registered model in ascending id order (tools and tests).
    std::vector<std::shared_ptr<QVModel>> modelsById() const;

    // Read from the data package rather than the data folder.
    bool archiveMode = false;

    // ---- Loading (QVModelControllerLoading.cpp) ----
    // "" when the last load went well; "No data archive" or "Unable to load
    // data" otherwise. Only clear() empties it.
    const std::string& lastError() const { return m_lastError; }
    // What the most recent failure was, for a person: "<pack>: <reason>" as
    // the failure's log line names it, "Failed to load keys" for a missing
    // Keys.pack, "" while lastError() is empty. A later "Failed to load keys"
    // keeps the reason that caused it.
    const std::string& lastErrorDetail() const { return m_lastErrorDetail; }

    // Start-up load: Keys.pack, the general settings and the packs the
    // loading screen needs. Fails ("Unable to load data", with a log line
    // naming why) for a Keys.pack above 16 MiB or 1,000,000 names, a key
    // table without "id" or "Class Name", or general settings that do not
    // read back with the table the same User ID.
    void loadInitialData(const std::string& archivePath, const std::string& storedPassword);
    // One step each; true when loading has just finished. Folder mode lists
    // the data folder once per load and reads only the packs it holds. A step after the
    // end clears the store and starts again.
    bool loadNextFromArchive(const std::string& storedPassword);
    bool loadNextFromFiles();
    // 0..100, never decreasing within a load.
    int loadingPercent() const { return m_loading->percent; }
    const LoadingState& loadingState() const { return *m_loading; }

    // Single packs; LoadStatus results.
    int loadDataFromArchive(const std::string& entry, bool connections, const std::string& storedPassword);
    int loadDataFromFile(const std::string& path, bool connections);
    // Whole entries and files; false when missing (`out` empty). The archive
    // read throws the package reader's errors; the file read throws
    // std::system_error with the system's reason when the file is there but
    // cannot be read.
    bool readFileArchive(const std::string& entry, std::vector<unsigned char>& out, const std::string& storedPassword);
    bool readFile(const std::string& path, std::vector<unsigned char>& out);
    // Opens the package at the engine's full path of `path`, dropping the one
    // open before. Throws std::system_error when it cannot be opened.
    void openDataArchive(const std::string& path);
    void closeDataArchive();
    QVArchiveReader* dataArchive() const { return m_dataArchive.get(); }

    // Reads a pack into registered models (attributes) or links them
    // (connections). Throws the msgpack errors of a malformed pack; models
    // read before the bad object stay registered.
    void parsePack(const unsigned char* bytes, size_t length, bool connections);

    // The package password for a stored password string.
    static std::string decodeArchivePassword(const std::string& stored);

protected:
    // Hooks; the base marks the data as changed. modelAdded also registers
    // the model's children, the models its animation and shape attributes
    // own and the sprite containers its sprite attributes hold; modelRemoved
    // unregisters children that no other registered parent keeps and the
    // owned animation and shape models (sprite containers are shared and
    // stay).
    virtual void modelAdded(const std::shared_ptr<QVModel>& model);
    virtual void modelRemoved(const std::shared_ptr<QVModel>& model);
    virtual void modelChanged(const std::shared_ptr<QVModel>& model);
    virtual void attributeChanged(QVAttribute* attribute, int kind);

    bool m_dataChanged = false;

private:
    // Logs the two failure lines and sets the last error.
    // With no factory registered: logs one line (once per load), sets the
    // last error and returns true.
    bool refuseWithoutClasses();
    void loadFailed(const std::string& what, const char* reason, const char* error);
    // loadDataFromFile for a path already resolved; `shown` names it in the log.
    int loadResolvedFile(const std::string& fullPath, const std::string& shown, bool connections);
    // Installs the key table read from Keys.pack and checks it; false (the
    // load failed, logged) when it breaks a limit or lacks the keys a load needs.
    bool installKeysPack(const std::vector<unsigned char>& keys, const std::string& userId);
    // The entry walk of one archive step; false when it ended the stage.
    bool findNextArchiveEntry(const std::string& password);
    void parseAttributesObject(const QVPackMap& map);
    // The share of a stage in the percent, kept below the stage's end.
    void updatePercent();

    // A model of the factory under `stored`'s id (see constructionId).
    std::shared_ptr<QVModel> createStored(const Factory& factory, uint32_t stored);

    std::unordered_map<std::string, Factory> m_factories;
    std::function<void()> m_settingsReset;
    std::map<std::string, std::function<void()>> m_clearCallbacks;
    // The owners of the registered models; the id map only points at them.
    std::map<uint32_t, std::vector<std::shared_ptr<QVModel>>> m_classIndex;
    QVModelIdMap m_ids;
    bool m_buildingStoredId = false;
    uint32_t m_storedId = 0;
    // Folder mode: the data folder's full path and its file names, listed
    // once at the first step of a load; false `m_dataListed` when the folder
    // could not be listed, and each pack is looked up by its name instead.
    std::string m_dataFolder;
    std::unique_ptr<std::unordered_set<std::string>> m_dataFiles;
    bool m_dataListed = false;
    std::vector<unsigned char> m_packBuffer;
    // The factory of the class the loader met last (null: none or unknown).
    std::string m_lastClassName;
    const Factory* m_lastFactory = nullptr;
    uint32_t m_lastId = 0;
    std::string m_lastError;
    std::string m_lastErrorDetail;
    std::string m_dataDirectory = "data";
    std::unique_ptr<QVArchiveReader> m_dataArchive;
    std::unique_ptr<LoadingState> m_loading;
};

template <class T>
std::vector<std::shared_ptr<T>> QVModelController::getModels() const {
    std::vector<std::shared_ptr<T>> result;
    auto it = m_classIndex.find(typeId<T>());
    if (it == m_classIndex.end()) return result;
    result.reserve(it->second.size());
    for (const auto& model : it->second) {
        result.push_back(std::static_pointer_cast<T>(model));
    }
    return result;
}

template <class T>
std::vector<std::shared_ptr<T>> QVModelController::getModelsOfKind() const {
    std::vector<std::shared_ptr<T>> result;
    for (const auto& entry : m_classIndex) {
        // A class whose last model was removed may leave no list to test.
        if (entry.second.empty() || !modelKindCast<T>(entry.second.front())) continue;
        for (const auto& model : entry.second) {
            result.push_back(std::static_pointer_cast<T>(model));
        }
    }
    return result;
}

template <class T>
std::shared_ptr<T> QVModelController::getFirstModel() const {
    auto it = m_classIndex.find(typeId<T>());
    if (it == m_classIndex.end() || it->second.empty()) return std::shared_ptr<T>();
    return std::static_pointer_cast<T>(it->second.front());
}
