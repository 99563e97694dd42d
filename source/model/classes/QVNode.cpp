#include "model/classes/QVNode.h"

#include <string_view>
#include <unordered_set>

#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"
#include "platform/QVLog.h"

namespace {
constexpr char kLoad[] = "Load";
constexpr char kUnlinked[] = "---";
constexpr char kUi[] = "UI";
constexpr char kAttributesCount[] = "attributesCount";
constexpr char kConnectedModelId[] = "connectedModelId";

const QVKey& attributesCountKey() {
    static const QVKey key(kAttributesCount);
    return key;
}

const QVKey& connectedModelIdKey() {
    static const QVKey key(kConnectedModelId);
    return key;
}

// The names an entry of a node's connections map may bear besides links.
bool isModelKey(const std::string& name) { return name == "id" || name == kAttributesCount || name == "children"; }

// The attribute names of `model` as a set: a map may hold as many entries as
// the key table has names, so each is not searched for in the list.
std::unordered_set<std::string_view> attributeNames(const QVModel& model) {
    std::unordered_set<std::string_view> names;
    names.reserve(model.attributes().size() * 2);
    for (const QVAttribute* attribute : model.attributes()) names.insert(attribute->name());
    return names;
}

template <class Node>
std::string firstFreeName(const char* prefix) {
    std::unordered_set<std::string> taken;
    for (const auto& node : QVModelController::shared()->getModels<Node>()) taken.insert(node->name());
    // At most taken.size() candidates are taken, so this ends.
    for (unsigned long n = 1;; ++n) {
        std::string candidate = prefix + std::to_string(n);
        if (taken.count(candidate) == 0) return candidate;
    }
}
}  // namespace

QVBaseNode::QVBaseNode(const std::string& name) : QVModel(name) QV_NODE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_loadMember.setConnectionMode(QVBaseAttribute::kConnectionSource, true);
}

QVBaseNode::QVBaseNode(const QVBaseNode& source) : QVModel(source) QV_NODE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {
    // A start node's source was renamed; the copy bears the same name.
    if (source.m_loadMember.name() != kLoad) m_loadMember.setName(source.m_loadMember.name(), true);
}

std::shared_ptr<QVModelScreen> QVBaseNode::screenModel() const { return firstOfKind<QVModelScreen>(); }

std::shared_ptr<QVNode> QVBaseNode::linkTarget(const std::string& name) const {
    const QVAttribute* link = attribute(name);
    if (!link || link->connectionMode() != QVBaseAttribute::kConnectionFollower) return nullptr;
    const QVBaseAttribute* target = link->connectedAttribute();
    QVModel* owner = target ? target->owner() : nullptr;
    if (!owner || !owner->isKindOf(typeId<QVNode>())) return nullptr;
    return std::static_pointer_cast<QVNode>(owner->sharedFromThis());
}

bool QVBaseNode::isFixedAttribute(const QVBaseAttribute* attribute) const {
    return attribute && attribute->connectionMode() != QVBaseAttribute::kConnectionFollower;
}

QVAttribute* QVBaseNode::addLink(const std::string& name) {
    auto* link = new QVAttribute(name, this);
    link->setConnectionMode(QVBaseAttribute::kConnectionFollower, true);
    return link;
}

void QVBaseNode::collectKeys() {
    QVModel::collectKeys();
    collectedKeys().insert(kAttributesCount);
}

void QVBaseNode::packConnections(QVPackMap& map) {
    QVModel::packConnections(map);
    map.put(kAttributesCount, static_cast<uint32_t>(attributes().size()));
}

void QVBaseNode::unpackConnections(const QVPackMap& map) {
    uint32_t count = 0;
    map.get(attributesCountKey(), count);
    if (count != attributes().size()) {
        std::unordered_set<std::string_view> names = attributeNames(*this);
        QVPackMap link;
        for (const QVPackMap::Entry& entry : map.entries()) {
            const std::string* name = findKeyName(entry.first);
            if (!name) {
                logMessage("[QVNode] unknown key %u", entry.first);
                continue;
            }
            if (names.count(*name) != 0 || isModelKey(*name)) continue;
            link.assign(entry.second);
            uint32_t target = 0;
            if (link.empty() || !link.get(connectedModelIdKey(), target) || target == 0) continue;
            // Linked with the others below.
            names.insert(addLink(*name)->name());
        }
    }
    QVModel::unpackConnections(map);
}

void QVBaseNode::connectionsFromDictionary(cocos2d::CCDictionary* dict) {
    if (!dict) return;
    if (dict->valueForKey(kAttributesCount)->uintValue() != attributes().size()) {
        std::unordered_set<std::string_view> names = attributeNames(*this);
        for (const auto& entry : dict->entries()) {
            if (names.count(entry.first) != 0) continue;
            auto* link = dynamic_cast<cocos2d::CCDictionary*>(entry.second);
            // The text's length counts, not its number: "0" makes an
            // unlinked attribute.
            if (!link || link->valueForKey(kConnectedModelId)->length() == 0) continue;
            names.insert(addLink(entry.first)->name());
        }
    }
    QVModel::connectionsFromDictionary(dict);
}

cocos2d::CCDictionary* QVBaseNode::connectionsToDictionary() const {
    cocos2d::CCDictionary* dict = QVModel::connectionsToDictionary();
    dict->setObject(cocos2d::CCString::createWithFormat("%u", static_cast<unsigned>(attributes().size())),
                    kAttributesCount);
    return dict;
}

QVNode::QVNode(const std::string& name) : QVBaseNode(name) {}

QVNode::QVNode(const QVNode& source) : QVBaseNode(source) {}

QVNodeScene::QVNodeScene(const std::string& name) : QVNode(name.empty() ? defaultName() : name), m_uiMember(kUi, this) {
    m_uiMember.setConnectionMode(QVBaseAttribute::kConnectionFollower, true);
}

QVNodeScene::QVNodeScene(const QVNodeScene& source) : QVNode(source), m_uiMember(kUi, this, source.m_uiMember) {}

std::string QVNodeScene::defaultName() { return firstFreeName<QVNodeScene>("New World "); }

std::shared_ptr<QVModelScreenScene> QVNodeScene::screenScene() const {
    return modelKindCast<QVModelScreenScene>(screenModel());
}

bool QVNodeScene::isFixedAttribute(const QVBaseAttribute* attribute) const {
    return (attribute && attribute->name() == kUi) || QVNode::isFixedAttribute(attribute);
}

QVNodeUI::QVNodeUI(const std::string& name) : QVNode(name.empty() ? defaultName() : name) {}

QVNodeUI::QVNodeUI(const QVNodeUI& source) : QVNode(source) {}

std::string QVNodeUI::defaultName() { return firstFreeName<QVNodeUI>("New UI "); }

QVNodeUIStart::QVNodeUIStart(const std::string& name) : QVNodeUI(name), m_startMember(kLoad, this) {
    m_loadMember.setConnectionMode(QVBaseAttribute::kConnectionNone, true);
    m_loadMember.setName(kUnlinked, true);
    m_startMember.setConnectionMode(QVBaseAttribute::kConnectionFollower, true);
}

QVNodeUIStart::QVNodeUIStart(const QVNodeUIStart& source)
    : QVNodeUI(source), m_startMember(kLoad, this, source.m_startMember) {
    m_load = source.listed(source.m_startMember, m_startMember);
}
