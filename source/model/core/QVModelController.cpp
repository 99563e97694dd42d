#include "model/core/QVModelController.h"

#include <algorithm>
#include <utility>

#include "base/CCAutoreleasePool.h"
#include "model/core/QVArchiveReader.h"
#include "model/core/QVAttribute.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVModel.h"
#include "model/core/QVSettingsModel.h"

namespace {
QVModelController* g_shared = nullptr;

// The model an animation or shape attribute owns (registered and unregistered
// with its owner); null for every other attribute.
const std::shared_ptr<QVModel>* ownedModel(QVAttribute* attribute) {
    if (auto* animation = attributeCast<QVAttributeAnimation>(attribute)) return &animation->linkedModel();
    if (auto* shape = attributeCast<QVAttributeShape>(attribute)) return &shape->linkedModel();
    return nullptr;
}

// True when registering `model` has others to register with it. Most models
// hold none, and then the hooks below copy no lists.
bool holdsModels(const QVModel& model, bool withSprites) {
    if (!model.children().empty()) return true;
    // One type() per attribute: every registered model comes through here.
    const uint32_t animation = typeId<QVAttributeAnimation>();
    const uint32_t shape = typeId<QVAttributeShape>();
    const uint32_t sprite = typeId<QVAttributeSprite>();
    for (QVAttribute* attribute : model.attributes()) {
        const uint32_t type = attribute->type();
        if (type == animation) {
            if (static_cast<QVAttributeAnimation*>(attribute)->linkedModel()) return true;
        } else if (type == shape) {
            if (static_cast<QVAttributeShape*>(attribute)->linkedModel()) return true;
        } else if (withSprites && type == sprite) {
            if (static_cast<QVAttributeSprite*>(attribute)->valueModel()) return true;
        }
    }
    return false;
}
}  // namespace

void LoadingState::reset() {
    className = "QVModelGeneralSettings";
    id = 0;
    done.clear();
    stage = 0;
    fresh = true;
    percent = 0;
}

std::string LoadingState::packFileName() const {
    if (stage == 0) return className + "." + std::to_string(id) + ".attributes.pack";
    if (stage == 1) return className + "." + std::to_string(id) + ".connections.pack";
    return std::string();
}

int32_t LoadingState::advanceLoadingStage() {
    if (stage != 2) {
        className = "QVModelGeneralSettings";
        id = 0;
        done.clear();
        ++stage;
        fresh = true;
        if (stage == 2) percent = 100;
    }
    return stage;
}

const std::vector<std::string>& QVModelController::classNames() {
    static const std::vector<std::string> names = {"QVModelGeneralSettings",
                                                   "QVModelSprite",
                                                   "QVModelSound",
                                                   "QVModelFont",
                                                   "QVModelPolygon",
                                                   "QVModelCircle",
                                                   "QVModelSpriteContainer",
                                                   "QVModelAnimation",
                                                   "QVModelAtlas",
                                                   "QVModelAsset",
                                                   "QVModelAssetCharacter",
                                                   "QVModelAssetObstacle",
                                                   "QVModelAssetPowerup",
                                                   "QVModelLinker",
                                                   "QVModelObject",
                                                   "QVModelObjectAccelerometer",
                                                   "QVModelObjectAsset",
                                                   "QVModelObjectAssetCharacter",
                                                   "QVModelObjectAssetPowerup",
                                                   "QVModelObjectAssetUnit",
                                                   "QVModelObjectBackground",
                                                   "QVModelObjectButton",
                                                   "QVModelObjectButtonCharacterUnlock",
                                                   "QVModelObjectButtonControl",
                                                   "QVModelObjectButtonFacebook",
                                                   "QVModelObjectButtonPowerup",
                                                   "QVModelObjectButtonPurchase",
                                                   "QVModelObjectButtonSoundControl",
                                                   "QVModelObjectButtonSwitch",
                                                   "QVModelObjectButtonUrl",
                                                   "QVModelObjectCharacterSelector",
                                                   "QVModelObjectEventObserver",
                                                   "QVModelObjectFlag",
                                                   "QVModelObjectGatekeeper",
                                                   "QVModelObjectGroup",
                                                   "QVModelObjectImage",
                                                   "QVModelObjectInstance",
                                                   "QVModelObjectLight",
                                                   "QVModelObjectLoadingBar",
                                                   "QVModelObjectLockButton",
                                                   "QVModelObjectLogic",
                                                   "QVModelObjectManipulator",
                                                   "QVModelObjectMirror",
                                                   "QVModelObjectParticles",
                                                   "QVModelObjectParticlesEmitter",
                                                   "QVModelObjectPath",
                                                   "QVModelObjectScreenJump",
                                                   "QVModelObjectSwipeControl",
                                                   "QVModelObjectTeleport",
                                                   "QVModelObjectTrail",
                                                   "QVModelObjectUnlocker",
                                                   "QVModelObjectLabel",
                                                   "QVModelLevelSection",
                                                   "QVModelScreen",
                                                   "QVModelScreenScene",
                                                   "QVNodeScene",
                                                   "QVNodeUI",
                                                   "QVNodeUIStart",
                                                   "QVModelComponentCharacterGameplaySettings",
                                                   "QVModelComponentCharacterIcon",
                                                   "QVModelComponentDamage",
                                                   "QVModelComponentDeletionThreshold",
                                                   "QVModelComponentForcedMovement",
                                                   "QVModelComponentHealth",
                                                   "QVModelComponentIsoJump",
                                                   "QVModelComponentMotor",
                                                   "QVModelComponentMove",
                                                   "QVModelComponentRotationMapper",
                                                   "QVModelComponentSlide",
                                                   "QVModelComponentSpawner",
                                                   "QVModelComponentWakeup",
                                                   "QVModelComponentScore"};
    return names;
}

QVModelController::QVModelController() : m_loading(new LoadingState()) {
    if (!g_shared) g_shared = this;
}

QVModelController::~QVModelController() {
    m_dataArchive.reset();
    clear();
    if (g_shared == this) g_shared = nullptr;
    m_loading.reset();
}

QVModelController* QVModelController::shared() {
    if (!g_shared) {
        // Never deleted: clearing models after the engine's pool is gone, in
        // static destruction, would crash at exit.
        new QVModelController();
    }
    return g_shared;
}

QVModelController* QVModelController::setShared(QVModelController* controller) {
    QVModelController* previous = g_shared;
    g_shared = controller;
    return previous;
}

bool QVModelController::registerFactory(const std::string& className, Factory factory) {
    if (!factory) return false;
    m_lastFactory = nullptr;
    return m_factories.emplace(className, std::move(factory)).second;
}

bool QVModelController::hasFactory(const std::string& className) const { return m_factories.count(className) != 0; }

std::shared_ptr<QVModel> QVModelController::createModel(const std::string& className) const {
    auto it = m_factories.find(className);
    return it == m_factories.end() ? std::shared_ptr<QVModel>() : it->second();
}

void QVModelController::setSettingsReset(std::function<void()> reset) { m_settingsReset = std::move(reset); }

void QVModelController::resetSettings() {
    if (m_settingsReset) m_settingsReset();
}

std::shared_ptr<QVSettingsModel> QVModelController::settingsModel() const {
    for (const auto& entry : m_classIndex) {
        if (entry.second.empty()) continue;
        if (auto settings = std::dynamic_pointer_cast<QVSettingsModel>(entry.second.front())) return settings;
    }
    return std::shared_ptr<QVSettingsModel>();
}

void QVModelController::raiseLastId(uint32_t id) {
    if (id != QVModel::kNoId && id > m_lastId) m_lastId = id;
}

void QVModelController::addModel(const std::shared_ptr<QVModel>& model, int index) {
    if (!model) return;
    const uint32_t id = model->id();
    if (!m_ids.insert(id, model.get())) return;
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
    // Only the very model registered under the id: a stale model whose id
    // now belongs to its replacement must not unregister the replacement.
    if (m_ids.find(model->id()) != model.get()) return;
    std::shared_ptr<QVModel> keep = model;
    m_ids.erase(keep->id());
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
    QVModel* found = m_ids.find(id);
    // A registered model is owned by the class index, so it has a live shared
    // owner: shared_from_this cannot throw, and takes one count where
    // sharedFromThis takes three.
    return found ? found->shared_from_this() : std::shared_ptr<QVModel>();
}

std::vector<std::shared_ptr<QVModel>> QVModelController::getModels(uint32_t classTypeId) const {
    auto it = m_classIndex.find(classTypeId);
    return it == m_classIndex.end() ? std::vector<std::shared_ptr<QVModel>>() : it->second;
}

std::vector<std::shared_ptr<QVModel>> QVModelController::modelsById() const {
    std::vector<std::shared_ptr<QVModel>> result;
    result.reserve(m_ids.size());
    m_ids.forEach([&](uint32_t, QVModel* model) { result.push_back(model->sharedFromThis()); });
    std::sort(result.begin(), result.end(),
              [](const std::shared_ptr<QVModel>& a, const std::shared_ptr<QVModel>& b) { return a->id() < b->id(); });
    return result;
}

void QVModelController::notifyModelChanged(const std::shared_ptr<QVModel>& model) {
    if (model && m_ids.contains(model->id())) modelChanged(model);
}

void QVModelController::notifyAttributeChanged(QVAttribute* attribute, int kind) {
    if (!attribute || kind == 2 || !attribute->owner()) return;
    if (m_ids.contains(attribute->owner()->id())) attributeChanged(attribute, kind);
}

void QVModelController::replaceModelId(const std::shared_ptr<QVModel>& model, uint32_t oldId) {
    if (!model) return;
    if (m_ids.find(oldId) != model.get()) return;
    m_ids.erase(oldId);
    m_ids.assign(model->id(), model.get());
    raiseLastId(model->id());
    modelChanged(model);
}

void QVModelController::setClearCallback(const std::string& key, std::function<void()> callback) {
    if (callback) {
        m_clearCallbacks[key] = std::move(callback);
    } else {
        m_clearCallbacks.erase(key);
    }
}

void QVModelController::clear() {
    // The owners are kept until the end; the id map owns nothing and goes
    // whole.
    std::map<uint32_t, std::vector<std::shared_ptr<QVModel>>> released;
    released.swap(m_classIndex);
    m_ids.clearKeepingSlots();
    resetSettings();
    // Over a copy: a callback may register or drop another.
    const auto callbacks = m_clearCallbacks;
    for (const auto& entry : callbacks) entry.second();
    m_lastError.clear();
    m_lastErrorDetail.clear();
    m_dataChanged = false;
    m_lastId = 0;
    m_loading->reset();
    m_dataFiles.reset();
    cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    // Released last, class by class in list order: dying models may still
    // ask the (now empty) controller, and memory is freed in the order it was
    // taken rather than scattered by id.
    for (auto& entry : released) {
        for (auto& model : entry.second) model.reset();
    }
}

std::shared_ptr<QVModel> QVModelController::createStored(const Factory& factory, uint32_t stored) {
    m_buildingStoredId = true;
    m_storedId = stored;
    std::shared_ptr<QVModel> model;
    try {
        model = factory();
    } catch (...) {
        m_buildingStoredId = false;
        throw;
    }
    // A factory that hands out a model it already had built none.
    m_buildingStoredId = false;
    return model;
}

void QVModelController::modelAdded(const std::shared_ptr<QVModel>& model) {
    m_dataChanged = true;
    if (!holdsModels(*model, true)) return;
    // Copies: registering a child may run code that changes these lists.
    const std::vector<std::shared_ptr<QVModel>> children = model->children();
    for (const auto& child : children) addModel(child, -1);
    const std::vector<QVAttribute*> attributes = model->attributes().toVector();
    for (QVAttribute* attribute : attributes) {
        if (const std::shared_ptr<QVModel>* owned = ownedModel(attribute)) {
            if (*owned) addModel(*owned, -1);
        } else if (auto* sprite = attributeCast<QVAttributeSprite>(attribute)) {
            if (sprite->valueModel()) addModel(sprite->valueModel(), -1);
        }
    }
}

void QVModelController::modelRemoved(const std::shared_ptr<QVModel>& model) {
    m_dataChanged = true;
    if (!holdsModels(*model, false)) return;
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
    const std::vector<QVAttribute*> attributes = model->attributes().toVector();
    for (QVAttribute* attribute : attributes) {
        if (const std::shared_ptr<QVModel>* owned = ownedModel(attribute)) {
            if (*owned) removeModel(std::shared_ptr<QVModel>(*owned));
        }
    }
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

std::string QVModelController::decodeArchivePassword(const std::string& stored) {
    return ::decodeArchivePassword(stored);
}
