#include "model/core/QVAttributeModel.h"

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
const char* const kLoopAttribute = "Loop";
}  // namespace

QVAttributeModelLink::QVAttributeModelLink(QVNameArg name, QVModel* owner, uint32_t linkedType)
    : QVAttribute(name, owner), m_linkedType(linkedType) {}

QVAttributeModelLink::QVAttributeModelLink(QVNameArg name, QVModel* owner, const QVAttributeModelLink& source,
                                           CopyLink copy)
    : QVAttribute(name, owner, source), m_linkedType(source.m_linkedType) {
    if (!source.m_model) return;
    link(copy == CopyLink::kShare ? source.m_model : source.m_model->clone(true, true));
}

QVAttributeModelLink::~QVAttributeModelLink() {
    if (m_model) m_model->removeReference(this);
    m_model.reset();
}

void QVAttributeModelLink::collectKeys() {
    QVAttribute::collectKeys();
    if (m_model) collectedKeys().insert(kValueKey);
}

void QVAttributeModelLink::packConnections(QVPackMap& map) {
    QVAttribute::packConnections(map);
    if (m_model) map.put(kValueKey, m_model->id());
}

void QVAttributeModelLink::unpackConnections(const QVPackMap& map) {
    QVAttribute::unpackConnections(map);
    // Stored files rely on a missing "value" meaning id 0.
    uint32_t id = 0;
    map.get(kValue, id);
    link(lookUp(id));
    linkRead();
}

void QVAttributeModelLink::connectionFromDictionary(CCDictionary* dict) {
    QVAttribute::connectionFromDictionary(dict);
    if (!dict) return;
    const CCString* text = dict->valueForKey(kValueKey);
    // uintValue reads the whole unsigned range: ids of 2^31 and above occur.
    if (text->length() > 0) link(lookUp(text->uintValue()));
    linkRead();
}

CCDictionary* QVAttributeModelLink::connectionToDictionary() const {
    CCDictionary* dict = QVAttribute::connectionToDictionary();
    if (dict && m_model) dict->setObject(CCString::createWithFormat("%u", m_model->id()), kValueKey);
    return dict;
}

void QVAttributeModelLink::link(std::shared_ptr<QVModel> model) {
    const bool accepted = model && model->isKindOf(m_linkedType);
    if ((accepted ? model.get() : nullptr) == m_model.get()) return;
    if (m_model) m_model->removeReference(this);
    if (accepted) {
        m_model = std::move(model);
        m_model->addReference(this);
    } else {
        m_model.reset();
    }
}

std::shared_ptr<QVModel> QVAttributeModelLink::lookUp(uint32_t id) const {
    return QVModelController::shared()->getModel(id);
}

QVBaseAttributeAnimation::QVBaseAttributeAnimation(QVNameArg name, QVModel* owner)
    : QVBaseAttributeModel(name, owner) {}

QVBaseAttributeAnimation::QVBaseAttributeAnimation(QVNameArg name, QVModel* owner,
                                                   const QVBaseAttributeAnimation& source)
    : QVBaseAttributeModel(name, owner, source, CopyLink::kDeepClone), m_loop(source.m_loop) {}

QVBaseAttributeAnimation::~QVBaseAttributeAnimation() { m_sprite.reset(); }

void QVBaseAttributeAnimation::linkRead() {
    if (!linkedModel()) return;
    if (auto* loop = attributeCast<QVAttributeBool>(linkedModel()->attribute(kLoopAttribute))) {
        m_loop = loop->value();
    }
}

QVBaseAttributeShape::QVBaseAttributeShape(QVNameArg name, QVModel* owner) : QVBaseAttributeModel(name, owner) {}

QVBaseAttributeShape::QVBaseAttributeShape(QVNameArg name, QVModel* owner, const QVBaseAttributeShape& source)
    : QVBaseAttributeModel(name, owner, source, CopyLink::kDeepClone) {}

#define QV_SHARED_REFERENCE_CONSTRUCTORS(Class)                                         \
    Class::Class(QVNameArg name, QVModel* owner) : QVBaseAttributeModel(name, owner) {} \
    Class::Class(QVNameArg name, QVModel* owner, const Class& source) : QVBaseAttributeModel(name, owner, source) {}

QV_SHARED_REFERENCE_CONSTRUCTORS(QVAttributeObject)
QV_SHARED_REFERENCE_CONSTRUCTORS(QVAttributeObjectAsset)
QV_SHARED_REFERENCE_CONSTRUCTORS(QVAttributeAsset)
QV_SHARED_REFERENCE_CONSTRUCTORS(QVAttributeSound)

#undef QV_SHARED_REFERENCE_CONSTRUCTORS

QVAttributeAnimation::QVAttributeAnimation(QVNameArg name, QVModel* owner) : QVBaseAttributeAnimation(name, owner) {}

QVAttributeAnimation::QVAttributeAnimation(QVNameArg name, QVModel* owner, const QVAttributeAnimation& source)
    : QVBaseAttributeAnimation(name, owner, source) {}

QVAttributeShape::QVAttributeShape(QVNameArg name, QVModel* owner) : QVBaseAttributeShape(name, owner) {}

QVAttributeShape::QVAttributeShape(QVNameArg name, QVModel* owner, const QVAttributeShape& source)
    : QVBaseAttributeShape(name, owner, source) {}
