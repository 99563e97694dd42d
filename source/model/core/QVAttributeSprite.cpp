#include "model/core/QVAttributeSprite.h"

#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"

using cocos2d::CCDictionary;
using cocos2d::CCString;

namespace {
const char* const kValueKey = "value";
const QVKey kValue(kValueKey);
const char* const kExcludedFromAtlas = "Excluded From Atlas";

// The core knows the container class only by its type id (it lives in the
// model classes), so this is modelCast without the pointer conversion.
std::shared_ptr<QVModel> spriteContainer(uint32_t id) {
    std::shared_ptr<QVModel> model = QVModelController::shared()->getModel(id);
    return model && model->type() == typeId<QVModelSpriteContainer>() ? model : nullptr;
}
}  // namespace

QVAttributeSprite::QVAttributeSprite(QVNameArg name, QVModel* owner) : QVAttribute(name, owner) {}

QVAttributeSprite::QVAttributeSprite(QVNameArg name, QVModel* owner, const QVAttributeSprite& source)
    : QVAttribute(name, owner, source), m_excludedFromAtlas(source.m_excludedFromAtlas) {
    link(source.m_value);
    applyExcludedFromAtlas();
}

QVAttributeSprite::~QVAttributeSprite() {
    if (m_value) m_value->removeReference(this);
    m_value.reset();
}

void QVAttributeSprite::collectKeys() {
    QVAttribute::collectKeys();
    if (m_value) collectedKeys().insert(kValueKey);
}

void QVAttributeSprite::packConnections(QVPackMap& map) {
    QVAttribute::packConnections(map);
    if (m_value) map.put(kValueKey, m_value->id());
}

void QVAttributeSprite::unpackConnections(const QVPackMap& map) {
    QVAttribute::unpackConnections(map);
    uint32_t id = 0;
    if (!map.get(kValue, id)) return;
    // A pack naming something else keeps the link it had.
    if (std::shared_ptr<QVModel> container = spriteContainer(id)) setValue(container, true);
}

void QVAttributeSprite::connectionFromDictionary(CCDictionary* dict) {
    QVAttribute::connectionFromDictionary(dict);
    if (!dict) return;
    const CCString* text = dict->valueForKey(kValueKey);
    if (text->length() == 0) return;
    // Unlike the pack form, an id that names no container clears the link.
    setValue(spriteContainer(text->uintValue()), true);
}

CCDictionary* QVAttributeSprite::connectionToDictionary() const {
    CCDictionary* dict = QVAttribute::connectionToDictionary();
    if (dict && m_value) dict->setObject(CCString::createWithFormat("%u", m_value->id()), kValueKey);
    return dict;
}

void QVAttributeSprite::setValue(const std::shared_ptr<QVModel>& container, bool silent) {
    link(container && container->type() == typeId<QVModelSpriteContainer>() ? container : nullptr);
    applyExcludedFromAtlas();
    if (!silent) valueChanged(kChangeValue);
}

void QVAttributeSprite::setExcludedFromAtlas(bool excluded) {
    m_excludedFromAtlas = excluded;
    applyExcludedFromAtlas();
}

void QVAttributeSprite::link(const std::shared_ptr<QVModel>& container) {
    if (container == m_value) return;
    if (m_value) m_value->removeReference(this);
    m_value = container;
    if (m_value) m_value->addReference(this);
}

void QVAttributeSprite::applyExcludedFromAtlas() const {
    if (!m_value) return;
    // The container's own setter: clamped, and it notifies only on a change.
    if (auto* flag = attributeCast<QVAttributeBool>(m_value->attribute(kExcludedFromAtlas))) {
        flag->setValue(m_excludedFromAtlas);
    }
}
