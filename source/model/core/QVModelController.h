// QVModelController: the one registry of models, by id and by class, and the
// source of new model ids. This is the part the model spine needs; loading
// and the class factory build on it.
// Guarantees: a model is registered under one id at most once and the first
// model keeps a taken id; removal acts only on the very model registered
// under the id; the id counter stays ahead of every id it has seen (except the
// "no id" value 4294967295), so a model made at run time never collides with a
// loaded one. Class lists emptied by removal are dropped.
// getModelsOfKind groups its results by class in ascending type-id order,
// which is the order in which classes first asked for their type id.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/core/QVTypeId.h"

class QVAttribute;
class QVModel;

class QVModelController {
public:
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

    // Registers the model (null and taken ids are ignored); the class list
    // gets it before position `index`, or at the end when index (as
    // unsigned) is not below the list's size.
    void addModel(const std::shared_ptr<QVModel>& model, int index = -1);
    // Unregisters the model when it is the one registered under its id.
    void removeModel(const std::shared_ptr<QVModel>& model);
    std::shared_ptr<QVModel> getModel(uint32_t id) const;
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

    void notifyModelChanged(const std::shared_ptr<QVModel>& model);
    void notifyAttributeChanged(QVAttribute* attribute, int kind);
    // Re-keys the id map when exactly this model is registered under oldId.
    void replaceModelId(const std::shared_ptr<QVModel>& model, uint32_t oldId);

    // Forgets every model (the last references die after the maps are
    // emptied); the next new model takes id 1.
    void clear();

    // The id counter: nextId() increments and returns it; raiseLastId keeps
    // it at least `id` (kNoId is ignored).
    uint32_t lastId() const { return m_lastId; }
    uint32_t nextId() { return ++m_lastId; }
    void raiseLastId(uint32_t id);

    bool dataChanged() const { return m_dataChanged; }
    std::string dataPath() const { return m_dataDirectory; }
    size_t modelCount() const { return m_ids.size(); }

    // Read from the data package rather than the data folder.
    bool archiveMode = false;

protected:
    // Hooks; the base marks the data as changed. modelAdded also registers
    // the model's children and the sprite containers its sprite attributes
    // hold; modelRemoved unregisters children that no other registered
    // parent keeps (sprite containers are shared and stay).
    virtual void modelAdded(const std::shared_ptr<QVModel>& model);
    virtual void modelRemoved(const std::shared_ptr<QVModel>& model);
    virtual void modelChanged(const std::shared_ptr<QVModel>& model);
    virtual void attributeChanged(QVAttribute* attribute, int kind);

    bool m_dataChanged = false;

private:
    std::map<uint32_t, std::vector<std::shared_ptr<QVModel>>> m_classIndex;
    std::unordered_map<uint32_t, std::shared_ptr<QVModel>> m_ids;
    uint32_t m_lastId = 0;
    std::string m_dataDirectory = "data";
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
