#include "model/core/QVAttribute.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"

using cocos2d::CCDictionary;
using cocos2d::CCString;

namespace {
const char* const kConnectedModelIdKey = "connectedModelId";
const char* const kAttributeNameKey = "attributeName";
const QVKey kConnectedModelId(kConnectedModelIdKey);
const QVKey kAttributeName(kAttributeNameKey);
}  // namespace

std::int32_t QVAttributeName::keyCode() const {
    if (generation != keyTableGeneration()) {
        code = ::keyCode(text);
        generation = keyTableGeneration();
    }
    return code;
}

const QVAttributeName* QVAttributeName::shared(const char* text) {
    // By address first (a literal is met again at the same address), proved
    // by its text, since any char array may come here; then by text.
    struct Recent {
        const char* address = nullptr;
        const QVAttributeName* entry = nullptr;
    };
    static Recent recent[256];
    static std::unordered_map<std::string, std::unique_ptr<QVAttributeName>> byText;
    Recent& slot = recent[(reinterpret_cast<std::uintptr_t>(text) >> 3) & 255];
    if (slot.address == text && std::strcmp(slot.entry->text.c_str(), text) == 0) return slot.entry;
    std::unique_ptr<QVAttributeName>& entry = byText[text];
    if (!entry) {
        entry.reset(new QVAttributeName());
        entry->text = text;
    }
    slot.address = text;
    slot.entry = entry.get();
    return entry.get();
}

void QVBaseAttribute::adoptName(QVNameArg&& name) {
    if (name.m_shared) {
        m_name = name.m_shared;
        m_ownName.reset();
        return;
    }
    m_ownName.reset(new QVAttributeName());
    m_ownName->text = std::move(name.m_text);
    m_name = m_ownName.get();
}

QVBaseAttribute::QVBaseAttribute(QVNameArg name, uint32_t flags) : m_flags(flags) { adoptName(std::move(name)); }

void QVBaseAttribute::setFlags(uint32_t flags) { m_flags = flags; }

QVBaseAttribute::QVBaseAttribute(QVNameArg name, const QVBaseAttribute& source)
    : m_flags(source.m_flags), m_connectionMode(source.m_connectionMode) {
    adoptName(std::move(name));
    if (QVBaseAttribute* followed = source.connectedAttribute()) {
        connect(followed, true);
    }
}

QVBaseAttribute::~QVBaseAttribute() {
    // QVAttribute's destructor has already dropped the links; this only keeps
    // a stray subclass from leaving dangling pointers behind.
    disconnectAll(true);
}

void QVBaseAttribute::collectKeys() {
    if (connectedAttribute()) {
        collectedKeys().insert(kConnectedModelIdKey);
        collectedKeys().insert(kAttributeNameKey);
    }
}

void QVBaseAttribute::packConnections(QVPackMap& map) {
    QVBaseAttribute* source = connectedAttribute();
    if (!source) return;
    uint32_t modelId = source->owner() ? source->owner()->id() : 0;
    map.put(kConnectedModelIdKey, modelId);
    map.put(kAttributeNameKey, source->name());
}

void QVBaseAttribute::unpackConnections(const QVPackMap& map) {
    if (m_connectionMode != kConnectionFollower) return;
    uint32_t modelId = 0;
    if (!map.get(kConnectedModelId, modelId) || modelId == 0) return;
    if (!QVModelController::shared()->getModel(modelId)) return;
    std::string attributeName;
    if (!map.get(kAttributeName, attributeName)) return;
    connectByName(modelId, attributeName);
}

void QVBaseAttribute::connectionFromDictionary(CCDictionary* dict) {
    if (!dict || m_connectionMode != kConnectionFollower) return;
    uint32_t modelId = dict->valueForKey(kConnectedModelIdKey)->uintValue();
    if (modelId == 0) return;
    connectByName(modelId, dict->valueForKey(kAttributeNameKey)->str());
}

void QVBaseAttribute::connectByName(uint32_t modelId, const std::string& attributeName) {
    if (attributeName.empty()) return;
    std::shared_ptr<QVModel> model = QVModelController::shared()->getModel(modelId);
    if (!model) return;
    for (QVAttribute* candidate : model->attributes()) {
        if (candidate->connectionMode() == kConnectionSource && candidate->name() == attributeName) {
            connect(candidate, true);
            return;
        }
    }
}

const char* QVBaseAttribute::className() const { return "QVBaseAttribute"; }

uint32_t QVBaseAttribute::type() const { return typeId<QVBaseAttribute>(); }

QVAttribute* QVBaseAttribute::clone(QVModel* owner) const { return clone(m_name->text, owner); }

QVAttribute* QVBaseAttribute::clone(const std::string& name) const { return clone(name, m_owner); }

void QVBaseAttribute::valueFromDictionary(CCDictionary* dict) { (void)dict; }

CCDictionary* QVBaseAttribute::valueToDictionary() const { return CCDictionary::create(); }

CCDictionary* QVBaseAttribute::connectionToDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    if (QVBaseAttribute* source = connectedAttribute()) {
        // Written signed, as stored dictionaries have it; readers take the
        // text back with uintValue, which wraps the negative form correctly.
        int modelId = static_cast<int>(source->owner() ? source->owner()->id() : 0);
        dict->setObject(CCString::createWithFormat("%d", modelId), kConnectedModelIdKey);
        dict->setObject(CCString::createWithFormat("%s", source->name().c_str()), kAttributeNameKey);
    }
    return dict;
}

std::vector<QVAnimationCurve*> QVBaseAttribute::animationCurves(int state) const {
    (void)state;
    return {};
}

void QVBaseAttribute::setAnimationCurves(const std::vector<QVAnimationCurve*>& curves, int state) {
    (void)curves;
    (void)state;
}

void QVBaseAttribute::setName(const std::string& name, bool silent) {
    adoptName(QVNameArg(name));
    if (!silent) valueChanged(kChangeValue);
}

QVNameArg QVBaseAttribute::nameArg() const {
    QVNameArg arg{std::string()};
    if (m_ownName) {
        arg.m_text = m_name->text;
    } else {
        arg.m_shared = m_name;
    }
    return arg;
}

void QVBaseAttribute::setConnectionMode(uint32_t mode, bool silent) {
    if (mode == m_connectionMode) return;
    disconnectAll(silent);
    m_connectionMode = mode;
}

void QVBaseAttribute::connect(QVBaseAttribute* other, bool silent) {
    if (!other || m_connectionMode == kConnectionNone || other->m_connectionMode == kConnectionNone ||
        m_connectionMode == other->m_connectionMode) {
        return;
    }
    if (m_connectionMode == kConnectionSource) {
        if (contains(other)) return;
        m_connections.push_back(other);
    } else {
        QVBaseAttribute* old = connectedAttribute();
        if (old == other) return;
        if (old) {
            m_connections.clear();
            old->disconnect(this, silent);
        }
        m_connections.push_back(other);
    }
    other->connect(this, silent);
    if (!silent) valueChanged(kChangeLinks);
}

void QVBaseAttribute::disconnect(QVBaseAttribute* follower, bool silent) {
    if (m_connectionMode != kConnectionSource) return;
    auto it = std::find(m_connections.begin(), m_connections.end(), follower);
    if (it == m_connections.end()) return;
    m_connections.erase(it);
    follower->disconnectAll(silent);
    if (!silent) valueChanged(kChangeLinks);
}

void QVBaseAttribute::disconnectAll(bool silent) {
    if (m_connections.empty()) return;
    if (m_connectionMode == kConnectionFollower) {
        QVBaseAttribute* source = m_connections.front();
        m_connections.clear();
        source->disconnect(this, silent);
        if (!silent) valueChanged(kChangeLinks);
    } else if (m_connectionMode == kConnectionSource) {
        std::vector<QVBaseAttribute*> followers;
        followers.swap(m_connections);
        for (QVBaseAttribute* follower : followers) {
            follower->disconnectAll(silent);
        }
        if (!silent) valueChanged(kChangeLinks);
    }
}

QVBaseAttribute* QVBaseAttribute::connectedAttribute() const {
    if (m_connectionMode != kConnectionFollower || m_connections.empty()) return nullptr;
    return m_connections.front();
}

bool QVBaseAttribute::contains(const QVBaseAttribute* attribute) const {
    return std::find(m_connections.begin(), m_connections.end(), attribute) != m_connections.end();
}

QVAttribute::QVAttribute(QVNameArg name, QVModel* owner, uint32_t flags) : QVBaseAttribute(name, flags) {
    if (owner) owner->addAttribute(this);
}

QVAttribute::QVAttribute(QVNameArg name, QVModel* owner, const QVAttribute& source) : QVBaseAttribute(name, source) {
    if (owner) owner->addAttribute(this);
}

QVAttribute::~QVAttribute() {
    disconnectAll(false);
    if (m_owner) m_owner->removeAttribute(this);
}

void QVAttribute::valueChanged(int kind) {
    if (m_owner) m_owner->attributeChanged(this, kind);
}

void QVAttribute::setOwner(QVModel* owner) {
    if (owner == m_owner) return;
    if (m_owner) m_owner->removeAttribute(this);
    m_owner = owner;
    if (owner) owner->addAttribute(this);
}
