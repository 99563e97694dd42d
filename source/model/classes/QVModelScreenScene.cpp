#include "model/classes/QVModelScreenScene.h"

#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectGroup.h"

namespace {
const cocos2d::CCPoint kNoPoint;
const cocos2d::CCRect kNoRect;

float valueOf(const QVAttributeFloat* attribute) { return attribute ? attribute->value() : 0.0f; }
}  // namespace

QVBaseModelScreenScene::QVBaseModelScreenScene(const std::string& name)
    : QVModelScreen(name) QV_SCREEN_SCENE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_gravity->setValue(cocos2d::CCPoint(0.0f, -50.0f), true);
    m_timeWarp->setValue(1.0f, true);
    m_velocityDrag->setValue(1.0f, true);
    m_scoreMultiplier->setValue(1.0f, true);
    m_cameraSmooth->setValue(0.2f, true);
    m_backDeletionThreshold->setValue(300.0f, true);
    m_sidesDeletionThreshold->setValue(550.0f, true);
    m_objectFrameRect->setValue(cocos2d::CCRect(0.0f, 0.0f, 1.0f, 1.0f), true);
}

// Sections and held components come back with the children.
QVBaseModelScreenScene::QVBaseModelScreenScene(const QVBaseModelScreenScene& source)
    : QVModelScreen(source) QV_SCREEN_SCENE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const cocos2d::CCPoint& QVBaseModelScreenScene::gravity() const { return m_gravity ? m_gravity->value() : kNoPoint; }

float QVBaseModelScreenScene::timeWarp() const { return valueOf(m_timeWarp); }

float QVBaseModelScreenScene::gameSpeedMin() const {
    if (m_forcedMovement) return m_forcedMovement->forceMin();
    return valueOf(m_gameSpeedMin);
}

float QVBaseModelScreenScene::gameSpeedMax() const {
    if (m_forcedMovement) return valueOf(m_forcedMovement->forceMaxAttribute());
    return valueOf(m_gameSpeedMax);
}

float QVBaseModelScreenScene::speedIncrease() const {
    if (m_forcedMovement) return valueOf(m_forcedMovement->forceIncreaseAttribute());
    return valueOf(m_speedIncrease);
}

float QVBaseModelScreenScene::friction() const { return valueOf(m_friction); }

float QVBaseModelScreenScene::velocityDrag() const { return valueOf(m_velocityDrag); }

float QVBaseModelScreenScene::bounce() const { return valueOf(m_bounce); }

float QVBaseModelScreenScene::scoreMultiplier() const { return valueOf(m_scoreMultiplier); }

float QVBaseModelScreenScene::gameDirection() const { return valueOf(m_gameDirection); }

float QVBaseModelScreenScene::cameraSmooth() const { return valueOf(m_cameraSmooth); }

bool QVBaseModelScreenScene::alignCameraBorders() const {
    return m_alignCameraBorders && m_alignCameraBorders->value();
}

float QVBaseModelScreenScene::backDeletionThreshold() const {
    if (m_deletionThreshold) return valueOf(m_deletionThreshold->backDeletionThresholdAttribute());
    return valueOf(m_backDeletionThreshold);
}

float QVBaseModelScreenScene::sidesDeletionThreshold() const {
    if (m_deletionThreshold) return m_deletionThreshold->sidesDeletionThreshold();
    return valueOf(m_sidesDeletionThreshold);
}

const cocos2d::CCRect& QVBaseModelScreenScene::objectFrameRect() const {
    return m_objectFrameRect ? m_objectFrameRect->value() : kNoRect;
}

int QVBaseModelScreenScene::objectFrameState(unsigned edge) const {
    const QVAttributeFrameEdgeState* states[] = {m_objectFrameState1, m_objectFrameState2, m_objectFrameState3,
                                                 m_objectFrameState4};
    if (edge >= 4 || !states[edge]) return 0;
    return states[edge]->intValue();
}

std::shared_ptr<QVModelLevelSection> QVBaseModelScreenScene::initSection() const {
    for (const auto& section : levelSections()) {
        if (section->initSection()) return section;
    }
    return nullptr;
}

void QVBaseModelScreenScene::holdFirstComponents() {
    m_forcedMovement = child<QVModelComponentForcedMovement>();
    m_deletionThreshold = child<QVModelComponentDeletionThreshold>();
}

// Held components follow the first child of their class also when the read
// stops half-way.
void QVBaseModelScreenScene::unpackConnections(const QVPackMap& map) {
    try {
        QVModelScreen::unpackConnections(map);
    } catch (...) {
        holdFirstComponents();
        throw;
    }
    holdFirstComponents();
}

void QVBaseModelScreenScene::connectionsFromDictionary(cocos2d::CCDictionary* dict) {
    QVModelScreen::connectionsFromDictionary(dict);
    holdFirstComponents();
}

void QVBaseModelScreenScene::copyChildren(const std::shared_ptr<QVModel>& source, bool deep, bool registerCopies,
                                          bool silent) {
    QVModelScreen::copyChildren(source, deep, registerCopies, silent);
    if (deep) relinkGroupCharacters();
}

void QVBaseModelScreenScene::relinkGroupCharacters() {
    const std::shared_ptr<QVModelLevelSection> init = initSection();
    if (!init) return;
    const auto initCharacters = init->children<QVModelObjectAssetCharacter>();
    const std::vector<std::shared_ptr<QVModelLevelSection>> sections = levelSections();
    for (const auto& section : sections) {
        if (section == init) continue;
        for (const auto& group : section->children<QVModelObjectGroup>()) {
            for (const auto& character : group->children<QVModelObjectAssetCharacter>()) {
                for (const auto& match : initCharacters) {
                    if (match->zDepth() != character->zDepth()) continue;
                    if (match == character) break;
                    group->insertChild(match, group->childIndex(character), true);
                    group->removeChild(character, true);
                    break;
                }
            }
        }
    }
}

void QVBaseModelScreenScene::childAdded(const std::shared_ptr<QVModel>& child) {
    QVModelScreen::childAdded(child);
    m_levelSections.added(child);
    if (auto forced = modelCast<QVModelComponentForcedMovement>(child)) {
        m_forcedMovement = std::move(forced);
    } else if (auto threshold = modelCast<QVModelComponentDeletionThreshold>(child)) {
        m_deletionThreshold = std::move(threshold);
    }
}

void QVBaseModelScreenScene::childRemoved(const std::shared_ptr<QVModel>& child) {
    QVModelScreen::childRemoved(child);
    m_levelSections.removed(child);
    if (child && child == m_forcedMovement) {
        m_forcedMovement.reset();
    } else if (child && child == m_deletionThreshold) {
        m_deletionThreshold.reset();
    }
}

void QVBaseModelScreenScene::childrenCleared() {
    QVModelScreen::childrenCleared();
    m_levelSections.clear();
    m_forcedMovement.reset();
    m_deletionThreshold.reset();
}

bool QVBaseModelScreenScene::contains(const std::shared_ptr<QVModel>& model) const {
    if (QVModelScreen::contains(model)) return true;
    for (const auto& section : levelSections()) {
        if (section->hasChild(model)) return true;
    }
    return false;
}

std::vector<std::shared_ptr<QVModelObject>> QVBaseModelScreenScene::objects() const {
    std::vector<std::shared_ptr<QVModelObject>> result = QVModelScreen::objects();
    for (const auto& section : levelSections()) {
        result.insert(result.end(), section->objects().begin(), section->objects().end());
    }
    return result;
}

QVModelScreenScene::QVModelScreenScene(const std::string& name) : QVBaseModelScreenScene(name) {}

QVModelScreenScene::QVModelScreenScene(const QVModelScreenScene& source) : QVBaseModelScreenScene(source) {}

std::shared_ptr<QVModelScreenScene> QVModelScreenScene::screenSceneForKey(const std::string& key) {
    auto create = []() -> std::shared_ptr<QVBaseModelScreen> { return QVModelScreenScene::create(); };
    return std::static_pointer_cast<QVModelScreenScene>(
        forKey(typeId<QVModelScreenScene>(), key, create, "QVModelScreenScene", "screenSceneForKey", "world"));
}
