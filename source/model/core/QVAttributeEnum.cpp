#include "model/core/QVAttributeEnum.h"

#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVPackMap.h"

using namespace cocos2d;

namespace {
const QVKey kEnum("enum");
}  // namespace

template <typename E>
void QVBaseAttributeEnum<E>::collectKeys() {
    collectedKeys().insert("enum");
}

template <typename E>
void QVBaseAttributeEnum<E>::pack(QVPackMap& map) {
    map.put("enum", m_value);
}

template <typename E>
void QVBaseAttributeEnum<E>::unpack(const QVPackMap& map) {
    // Stored files rely on an absent "enum" meaning the first value.
    int32_t read = 0;
    map.get(kEnum, read);
    m_value = read;
}

template <typename E>
void QVBaseAttributeEnum<E>::valueFromDictionary(CCDictionary* dict) {
    if (!dict || !dict->objectForKey("value")) return;
    const CCString* text = dict->valueForKey("value");
    if (text->length() > 0) m_value = text->intValue();
}

template <typename E>
CCDictionary* QVBaseAttributeEnum<E>::valueToDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(CCString::createWithFormat("%d", m_value), "value");
    return dict;
}

template <typename E>
bool QVBaseAttributeEnum<E>::setValue(E value, bool silent) {
    const int32_t v = static_cast<int32_t>(value);
    if (v == m_value) return false;
    m_value = v;
    if (!silent) valueChanged(kChangeValue);
    return true;
}

template class QVBaseAttributeEnum<QVObjectFrameEdgeState>;
template class QVBaseAttributeEnum<QVOrientation>;
template class QVBaseAttributeEnum<QVScreenAdjustment>;
