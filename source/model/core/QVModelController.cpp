#include "model/core/QVModelController.h"

#include <algorithm>
#include <utility>

#include "model/core/QVAttribute.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVModel.h"

namespace {
QVModelController* g_shared = nullptr;
}  // namespace

QVModelController::QVModelController() {
    if (!g_shared) g_shared = this;
}

QVModelController::~QVModelController() {
    clear();
    if (g_shared == this) g_shared = nullptr;
}

QVModelController* QVModelController::shared() {
    if (!g_shared) {
        // Lives until the end of the process; models may still be dying
        // during static destruction and ask for it.
        new QVModelController();
    }
    return g_shared;
}

QVModelController* QVModelController::setShared(QVModelController* controller) {
    QVModelController* previous = g_shared;
    g_shared = controller;
    return previous;
}

void QVModelController::raiseLastId(uint32_t id) {
    if (id != QVModel::kNoId && id > m_lastId) m_lastId = id;
}

void QVModelController::addModel(const std::shared_ptr<QVModel>& model, int index) {
    if (!model) return;
    const uint32_t id = model->id();
    if (m_ids.count(id)) return;
    m_ids.emplace(id, model);
    raiseLastId(id);
    std::vector<std::shared_ptr<QVModel>>& list = m_classIndex[model->type()];
    const auto position = static_cast<unsigned>(index);
    if (position < list.size()) {
        list.insert(list.begin() + position, model);
    } else {
        list.push_back(model);
    }
    modelAdded(model);
}

void QVModelController::removeModel(const std::shared_ptr<QVModel>& model) {
    if (!model) return;
    auto found = m_ids.find(model->id());
    // Only the very model registered under the id: a duplicate whose
    // registration was refused must not unregister the model that holds it.
    if (found == m_ids.end() || found->second != model) return;
    std::shared_ptr<QVModel> keep = model;
    m_ids.erase(found);
    auto entry = m_classIndex.find(keep->type());
    if (entry != m_classIndex.end()) {
        auto& list = entry->second;
        auto it = std::find(list.begin(), list.end(), keep);
        if (it != list.end()) list.erase(it);
        if (list.empty()) m_classIndex.erase(entry);
    }
    modelRemoved(keep);
}

std::shared_ptr<QVModel> QVModelController::getModel(uint32_t id) const {
    auto it = m_ids.find(id);
    return it == m_ids.end() ? std::shared_ptr<QVModel>() : it->second;
}

std::vector<std::shared_ptr<QVModel>> QVModelController::getModels(uint32_t classTypeId) const {
    auto it = m_classIndex.find(classTypeId);
    return it == m_classIndex.end() ? std::vector<std::shared_ptr<QVModel>>() : it->second;
}

void QVModelController::notifyModelChanged(const std::shared_ptr<QVModel>& model) {
    if (model && m_ids.count(model->id())) modelChanged(model);
}

void QVModelController::notifyAttributeChanged(QVAttribute* attribute, int kind) {
    if (!attribute || kind == 2 || !attribute->owner()) return;
    if (m_ids.count(attribute->owner()->id())) attributeChanged(attribute, kind);
}

void QVModelController::replaceModelId(const std::shared_ptr<QVModel>& model, uint32_t oldId) {
    if (!model) return;
    auto it = m_ids.find(oldId);
    if (it == m_ids.end() || it->second != model) return;
    m_ids.erase(it);
    m_ids[model->id()] = model;
    raiseLastId(model->id());
    modelChanged(model);
}

void QVModelController::clear() {
    m_classIndex.clear();
    std::unordered_map<uint32_t, std::shared_ptr<QVModel>> released;
    released.swap(m_ids);
    m_dataChanged = false;
    m_lastId = 0;
    // Released last: dying models may still ask the (now empty) controller.
    released.clear();
}

void QVModelController::modelAdded(const std::shared_ptr<QVModel>& model) {
    m_dataChanged = true;
    const std::vector<std::shared_ptr<QVModel>> children = model->children();
    for (const auto& child : children) addModel(child, -1);
    const std::vector<QVAttribute*> attributes = model->attributes();
    for (QVAttribute* attribute : attributes) {
        if (auto* sprite = attributeCast<QVAttributeSprite>(attribute)) {
            if (sprite->valueModel()) addModel(sprite->valueModel(), -1);
        }
    }
}

void QVModelController::modelRemoved(const std::shared_ptr<QVModel>& model) {
    m_dataChanged = true;
    const std::vector<std::shared_ptr<QVModel>> children = model->children();
    for (const auto& child : children) {
        bool keptElsewhere = false;
        for (const auto& parent : child->parents()) {
            if (parent != model && getModel(parent->id()) == parent) {
                keptElsewhere = true;
                break;
            }
        }
        if (!keptElsewhere) removeModel(child);
    }
    // Sprite containers are shared resources: they stay registered.
}

void QVModelController::modelChanged(const std::shared_ptr<QVModel>& model) {
    (void)model;
    m_dataChanged = true;
}

void QVModelController::attributeChanged(QVAttribute* attribute, int kind) {
    (void)attribute;
    (void)kind;
    m_dataChanged = true;
}
