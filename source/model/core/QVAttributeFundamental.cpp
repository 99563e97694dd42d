#include "model/core/QVAttributeFundamental.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVPackMap.h"

using namespace cocos2d;

namespace {

const QVKey kValue("value");
const QVKey kVariableValue("variableValue");
const QVKey kIsEmpty("isEmpty");
const QVKey kAnimations("animations");

// Per-type text forms of the dictionary.
CCString* formatValue(int v) { return CCString::createWithFormat("%d", v); }
CCString* formatValue(unsigned int v) { return CCString::createWithFormat("%u", v); }
CCString* formatValue(bool v) { return CCString::createWithFormat("%u", static_cast<unsigned int>(v)); }
CCString* formatValue(float v) { return CCString::createWithFormat("%f", static_cast<double>(v)); }

void parseValue(const CCString* text, int& out) { out = text->intValue(); }
void parseValue(const CCString* text, unsigned int& out) { out = text->uintValue(); }
void parseValue(const CCString* text, bool& out) { out = text->boolValue(); }
void parseValue(const CCString* text, float& out) { out = text->floatValue(); }

// A text entry of non-zero length, or null.
const CCString* nonEmptyText(CCDictionary* dict, const char* key) {
    if (!dict->objectForKey(key)) return nullptr;
    const CCString* text = dict->valueForKey(key);
    return text->length() > 0 ? text : nullptr;
}

// value + curve, converted back to T without overflowing it.
int addCurve(int value, float curve) {
    const double sum = static_cast<double>(value) + static_cast<double>(curve);
    if (std::isnan(sum)) return value;
    if (sum <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (sum >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(sum);
}
unsigned int addCurve(unsigned int value, float curve) {
    const double sum = static_cast<double>(value) + static_cast<double>(curve);
    if (std::isnan(sum)) return value;
    if (sum <= 0.0) return 0;
    if (sum >= static_cast<double>(UINT_MAX)) return UINT_MAX;
    return static_cast<unsigned int>(sum);
}
bool addCurve(bool value, float curve) { return (static_cast<float>(value) + curve) != 0.f; }
float addCurve(float value, float curve) { return value + curve; }

}  // namespace

template <typename T>
QVBaseAttributeFundamental<T>::QVBaseAttributeFundamental(QVNameArg name, QVModel* owner, uint32_t flags, T min, T max)
    : QVAttribute(name, owner, flags), m_min(min), m_max(max) {
    m_value = clamp(T{});
    m_variableValue = clamp(T{});
}

template <typename T>
QVBaseAttributeFundamental<T>::QVBaseAttributeFundamental(QVNameArg name, QVModel* owner,
                                                          const QVBaseAttributeFundamental& source)
    : QVAttribute(name, owner, source),
      m_value(source.m_value),
      m_variableValue(source.m_variableValue),
      m_min(source.m_min),
      m_max(source.m_max),
      m_allowEmpty(source.m_allowEmpty),
      m_isEmpty(source.m_allowEmpty && source.m_isEmpty),
      m_curves(copyCurves(source.m_curves)) {}

template <typename T>
QVBaseAttributeFundamental<T>::~QVBaseAttributeFundamental() = default;

template <typename T>
T QVBaseAttributeFundamental<T>::clamp(T value) const {
    // "Not above min" also catches NaN, which could never compare equal later.
    if (!(value > m_min)) return m_min;
    if (value > m_max) return m_max;
    return value;
}

template <typename T>
void QVBaseAttributeFundamental<T>::collectKeys() {
    auto& keys = collectedKeys();
    keys.insert("value");
    keys.insert("variableValue");
    keys.insert("isEmpty");
    keys.insert("animations");
}

template <typename T>
void QVBaseAttributeFundamental<T>::pack(QVPackMap& map) {
    map.put("value", m_value);
    map.put("variableValue", m_variableValue);
    map.put("isEmpty", m_allowEmpty && m_isEmpty);
    if (!m_curves.empty()) putCurves(map, "animations", m_curves);
}

template <typename T>
void QVBaseAttributeFundamental<T>::unpack(const QVPackMap& map) {
    map.get(kValue, m_value);
    map.get(kVariableValue, m_variableValue);
    map.get(kIsEmpty, m_isEmpty);
    getCurves(map, kAnimations, m_curves);
}

template <typename T>
void QVBaseAttributeFundamental<T>::valueFromDictionary(CCDictionary* dict) {
    if (!dict) return;
    if (const CCString* text = nonEmptyText(dict, "value")) {
        T read{};
        parseValue(text, read);
        m_value = clamp(read);
    }
    if (const CCString* text = nonEmptyText(dict, "variableValue")) {
        T read{};
        parseValue(text, read);
        m_variableValue = clamp(read);
    }
    const CCString* empty = nonEmptyText(dict, "isEmpty");
    m_isEmpty = empty ? empty->boolValue() : false;
    if (CCObject* animations = dict->objectForKey("animations")) {
        m_curves = curvesFromDictionaries(dynamic_cast<CCArray*>(animations));
    }
}

template <typename T>
CCDictionary* QVBaseAttributeFundamental<T>::valueToDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(formatValue(m_value), "value");
    dict->setObject(formatValue(m_variableValue), "variableValue");
    dict->setObject(CCString::createWithFormat("%d", (m_allowEmpty && m_isEmpty) ? 1 : 0), "isEmpty");
    if (!m_curves.empty()) {
        if (CCArray* animations = curvesToDictionaries(m_curves)) dict->setObject(animations, "animations");
    }
    return dict;
}

template <typename T>
std::vector<QVAnimationCurve*> QVBaseAttributeFundamental<T>::animationCurves(int state) const {
    auto it = m_curves.find(state);
    if (it == m_curves.end() || !it->second) return {};
    return {it->second.get()};
}

template <typename T>
void QVBaseAttributeFundamental<T>::setAnimationCurves(const std::vector<QVAnimationCurve*>& curves, int state) {
    if (curves.empty()) return;
    QVAnimationCurve* curve = curves[0];
    std::unique_ptr<QVAnimationCurve>& slot = m_curves[state];
    if (slot.get() != curve) {
        releaseHeld(m_curves, curve);
        slot.reset(curve);
    }
    valueChanged(kChangeValue);
}

template <typename T>
float QVBaseAttributeFundamental<T>::curveValue(float time, int state) const {
    auto it = m_curves.find(state);
    if (it == m_curves.end() || !it->second) return 0.f;
    return it->second->evaluate(time);
}

template <typename T>
T QVBaseAttributeFundamental<T>::animatedValue(int state, float time) const {
    auto it = m_curves.find(state);
    if (it == m_curves.end() || !it->second) return m_value;
    return addCurve(m_value, it->second->evaluate(time));
}

template <typename T>
bool QVBaseAttributeFundamental<T>::setValue(T value, bool silent) {
    const T clamped = clamp(value);
    if (clamped == m_value) return false;
    m_value = clamped;
    if (!silent) valueChanged(kChangeValue);
    return true;
}

template <typename T>
bool QVBaseAttributeFundamental<T>::setVariableValue(T value, bool silent) {
    const T clamped = clamp(value);
    if (clamped == m_variableValue) return false;
    m_variableValue = clamped;
    if (!silent) valueChanged(kChangeValue);
    return true;
}

template <typename T>
void QVBaseAttributeFundamental<T>::setRange(T min, T max) {
    m_min = min;
    m_max = max;
    // The variance is a spread, not a value: a declared range such as
    // 128..4096 must not turn a variance of 0 into 128.
    m_value = clamp(m_value);
}

template <typename T>
void QVBaseAttributeFundamental<T>::setEmpty(bool empty, bool silent) {
    if (m_isEmpty == empty) return;
    m_isEmpty = empty;
    if (m_allowEmpty && !silent) valueChanged(kChangeValue);
}

template class QVBaseAttributeFundamental<int>;
template class QVBaseAttributeFundamental<unsigned int>;
template class QVBaseAttributeFundamental<bool>;
template class QVBaseAttributeFundamental<float>;

QVAttributeInt::QVAttributeInt(QVNameArg name, QVModel* owner, uint32_t flags)
    : QVBaseAttributeFundamental(name, owner, flags, INT_MIN, INT_MAX) {}
QVAttributeInt::QVAttributeInt(QVNameArg name, QVModel* owner, const QVAttributeInt& source)
    : QVBaseAttributeFundamental(name, owner, source) {}

QVAttributeKey::QVAttributeKey(QVNameArg name, QVModel* owner) : QVAttributeInt(name, owner, 0u) {}
QVAttributeKey::QVAttributeKey(QVNameArg name, QVModel* owner, const QVAttributeKey& source)
    : QVAttributeInt(name, owner, source) {}

QVAttributeUInt::QVAttributeUInt(QVNameArg name, QVModel* owner, uint32_t flags)
    : QVBaseAttributeFundamental(name, owner, flags, 0u, UINT_MAX) {}
QVAttributeUInt::QVAttributeUInt(QVNameArg name, QVModel* owner, const QVAttributeUInt& source)
    : QVBaseAttributeFundamental(name, owner, source) {}

QVAttributeBool::QVAttributeBool(QVNameArg name, QVModel* owner)
    : QVBaseAttributeFundamental(name, owner, 0u, false, true) {}
QVAttributeBool::QVAttributeBool(QVNameArg name, QVModel* owner, const QVAttributeBool& source)
    : QVBaseAttributeFundamental(name, owner, source) {}

QVAttributeFloat::QVAttributeFloat(QVNameArg name, QVModel* owner, uint32_t flags)
    : QVBaseAttributeFundamental(name, owner, flags, -FLT_MAX, FLT_MAX) {}
QVAttributeFloat::QVAttributeFloat(QVNameArg name, QVModel* owner, const QVAttributeFloat& source)
    : QVBaseAttributeFundamental(name, owner, source) {}
