#include "model/core/QVAttributeValue.h"

#include <cmath>

#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVPackMap.h"
#include "platform/RandomAndClock.h"

using namespace cocos2d;

namespace {

const QVKey kValue("value");
const QVKey kVariableValue("variableValue");
const QVKey kIsXEmpty("isXEmpty");
const QVKey kIsYEmpty("isYEmpty");
const QVKey kAnimationsX("animationsX");
const QVKey kAnimationsY("animationsY");
const QVKey kGradients("gradients");
const QVKey kPos("pos");
const QVKey kColor("color");

// A text entry of non-zero length, or null.
const CCString* nonEmptyText(CCDictionary* dict, const char* key) {
    if (!dict || !dict->objectForKey(key)) return nullptr;
    const CCString* text = dict->valueForKey(key);
    return text->length() > 0 ? text : nullptr;
}

bool sameColor(const ccColor4F& a, const ccColor4F& b) { return ccc4FEqual(a, b); }
bool sameValue(const std::string& a, const std::string& b) { return a == b; }
bool sameValue(const CCRect& a, const CCRect& b) { return a.equals(b); }
bool sameValue(const CCSize& a, const CCSize& b) { return a.equals(b); }
bool sameValue(const CCPoint& a, const CCPoint& b) { return a.equals(b); }
bool sameValue(const ccColor4F& a, const ccColor4F& b) { return sameColor(a, b); }

// "Not above min" also catches NaN, which could never compare equal later.
float clampAxis(float v, float min, float max) {
    if (!(v > min)) return min;
    if (v > max) return max;
    return v;
}

// One factor of the variance, from a draw of 0..32767.
float spread(int draw) { return 2.0f * static_cast<float>(draw) / static_cast<float>(compat::RandMax) - 1.0f; }

// Gradient positions: one key for 0.0 and -0.0; NaN has no place in an
// ordered container.
bool gradientKey(float position, float& key) {
    if (std::isnan(position)) return false;
    key = position == 0.f ? 0.f : position;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// QVAttributeValue<T>

template <typename T>
void QVAttributeValue<T>::collectKeys() {
    collectedKeys().insert("value");
}

template <typename T>
void QVAttributeValue<T>::pack(QVPackMap& map) {
    map.put("value", m_value);
}

template <typename T>
void QVAttributeValue<T>::unpack(const QVPackMap& map) {
    map.get(kValue, m_value);
}

template <typename T>
bool QVAttributeValue<T>::assign(const T& value, bool silent) {
    if (sameValue(value, m_value)) return false;
    m_value = value;
    if (!silent) valueChanged(kChangeValue);
    return true;
}

template class QVAttributeValue<std::string>;
template class QVAttributeValue<CCRect>;
template class QVAttributeValue<CCSize>;
template class QVAttributeValue<CCPoint>;
template class QVAttributeValue<ccColor4F>;

// ---------------------------------------------------------------------------
// Strings

QVAttributeString::QVAttributeString(QVNameArg name, QVModel* owner) : QVAttributeValue(name, owner) {}

QVAttributeString::QVAttributeString(QVNameArg name, QVModel* owner, const QVAttributeString& source)
    : QVAttributeValue(name, owner, source), m_maxLength(source.m_maxLength) {
    m_value.clear();
    setValue(source.m_value, true);
}

bool QVAttributeString::setValue(const std::string& text, bool silent) {
    if (text.size() > m_maxLength) return assign(text.substr(0, m_maxLength), silent);
    return assign(text, silent);
}

void QVAttributeString::valueFromDictionary(CCDictionary* dict) {
    if (const CCString* text = nonEmptyText(dict, "value")) setValue(text->str(), true);
}

CCDictionary* QVAttributeString::valueToDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(CCString::create(m_value), "value");
    return dict;
}

QVAttributeStringList::QVAttributeStringList(QVNameArg name, QVModel* owner) : QVAttributeString(name, owner) {}
QVAttributeStringList::QVAttributeStringList(QVNameArg name, QVModel* owner, const QVAttributeStringList& source)
    : QVAttributeString(name, owner, source) {}

// ---------------------------------------------------------------------------
// Rect and size

QVAttributeRect::QVAttributeRect(QVNameArg name, QVModel* owner) : QVAttributeValue(name, owner) {}
QVAttributeRect::QVAttributeRect(QVNameArg name, QVModel* owner, const QVAttributeRect& source)
    : QVAttributeValue(name, owner, source) {}

void QVAttributeRect::valueFromDictionary(CCDictionary* dict) {
    if (const CCString* text = nonEmptyText(dict, "value")) assign(text->rectValue(), true);
}

CCDictionary* QVAttributeRect::valueToDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(
        CCString::createWithFormat("{{%.2f,%.2f},{%.2f,%.2f}}", static_cast<double>(m_value.origin.x),
                                   static_cast<double>(m_value.origin.y), static_cast<double>(m_value.size.width),
                                   static_cast<double>(m_value.size.height)),
        "value");
    return dict;
}

QVAttributeSize::QVAttributeSize(QVNameArg name, QVModel* owner) : QVAttributeValue(name, owner) {}
QVAttributeSize::QVAttributeSize(QVNameArg name, QVModel* owner, const QVAttributeSize& source)
    : QVAttributeValue(name, owner, source) {}

void QVAttributeSize::valueFromDictionary(CCDictionary* dict) {
    if (const CCString* text = nonEmptyText(dict, "value")) assign(text->sizeValue(), true);
}

CCDictionary* QVAttributeSize::valueToDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(CCString::createWithFormat("{%.2f,%.2f}", static_cast<double>(m_value.width),
                                               static_cast<double>(m_value.height)),
                    "value");
    return dict;
}

// ---------------------------------------------------------------------------
// Point

QVBaseAttributePoint::QVBaseAttributePoint(QVNameArg name, QVModel* owner, uint32_t flags)
    : QVAttributeValue(name, owner, flags) {}

QVBaseAttributePoint::QVBaseAttributePoint(QVNameArg name, QVModel* owner, const QVBaseAttributePoint& source)
    : QVAttributeValue(name, owner, source),
      m_variableValue(source.m_variableValue),
      m_min(source.m_min),
      m_max(source.m_max),
      m_allowEmpty(source.m_allowEmpty),
      m_isXEmpty(source.m_allowEmpty && source.m_isXEmpty),
      m_isYEmpty(source.m_allowEmpty && source.m_isYEmpty),
      m_curvesX(copyCurves(source.m_curvesX)),
      m_curvesY(copyCurves(source.m_curvesY)) {}

QVBaseAttributePoint::~QVBaseAttributePoint() = default;

CCPoint QVBaseAttributePoint::clamp(const CCPoint& point) const {
    return CCPoint(clampAxis(point.x, m_min.x, m_max.x), clampAxis(point.y, m_min.y, m_max.y));
}

void QVBaseAttributePoint::collectKeys() {
    auto& keys = collectedKeys();
    keys.insert("value");
    keys.insert("variableValue");
    keys.insert("isXEmpty");
    keys.insert("isYEmpty");
    keys.insert("animationsX");
    keys.insert("animationsY");
}

void QVBaseAttributePoint::pack(QVPackMap& map) {
    map.put("value", m_value);
    map.put("variableValue", m_variableValue);
    map.put("isXEmpty", m_isXEmpty);
    map.put("isYEmpty", m_isYEmpty);
    if (!m_curvesX.empty()) putCurves(map, "animationsX", m_curvesX);
    if (!m_curvesY.empty()) putCurves(map, "animationsY", m_curvesY);
}

void QVBaseAttributePoint::unpack(const QVPackMap& map) {
    map.get(kValue, m_value);
    map.get(kVariableValue, m_variableValue);
    map.get(kIsXEmpty, m_isXEmpty);
    map.get(kIsYEmpty, m_isYEmpty);
    getCurves(map, kAnimationsX, m_curvesX);
    getCurves(map, kAnimationsY, m_curvesY);
}

void QVBaseAttributePoint::valueFromDictionary(CCDictionary* dict) {
    if (!dict) return;
    if (const CCString* text = nonEmptyText(dict, "value")) m_value = clamp(text->pointValue());
    if (const CCString* text = nonEmptyText(dict, "variableValue")) m_variableValue = clamp(text->pointValue());
    const CCString* xEmpty = nonEmptyText(dict, "isXEmpty");
    m_isXEmpty = xEmpty ? xEmpty->boolValue() : false;
    // Kept as stored files have it: only x is cleared when empties are not
    // allowed.
    if (m_allowEmpty) {
        const CCString* yEmpty = nonEmptyText(dict, "isYEmpty");
        m_isYEmpty = yEmpty ? yEmpty->boolValue() : false;
    }
    if (CCObject* x = dict->objectForKey("animationsX")) m_curvesX = curvesFromDictionaries(dynamic_cast<CCArray*>(x));
    if (CCObject* y = dict->objectForKey("animationsY")) m_curvesY = curvesFromDictionaries(dynamic_cast<CCArray*>(y));
}

CCDictionary* QVBaseAttributePoint::valueToDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(
        CCString::createWithFormat("{%.3f,%.3f}", static_cast<double>(m_value.x), static_cast<double>(m_value.y)),
        "value");
    dict->setObject(CCString::createWithFormat("{%.3f,%.3f}", static_cast<double>(m_variableValue.x),
                                               static_cast<double>(m_variableValue.y)),
                    "variableValue");
    dict->setObject(CCString::createWithFormat("%d", m_isXEmpty ? 1 : 0), "isXEmpty");
    dict->setObject(CCString::createWithFormat("%d", m_isYEmpty ? 1 : 0), "isYEmpty");
    if (!m_curvesX.empty()) {
        if (CCArray* x = curvesToDictionaries(m_curvesX)) dict->setObject(x, "animationsX");
    }
    if (!m_curvesY.empty()) {
        if (CCArray* y = curvesToDictionaries(m_curvesY)) dict->setObject(y, "animationsY");
    }
    return dict;
}

std::vector<QVAnimationCurve*> QVBaseAttributePoint::animationCurves(int state) const {
    std::vector<QVAnimationCurve*> curves;
    auto x = m_curvesX.find(state);
    if (x != m_curvesX.end() && x->second) curves.push_back(x->second.get());
    auto y = m_curvesY.find(state);
    if (y != m_curvesY.end() && y->second) curves.push_back(y->second.get());
    return curves;
}

void QVBaseAttributePoint::setAxisCurve(QVCurveMap& curves, QVAnimationCurve* curve, int state) {
    std::unique_ptr<QVAnimationCurve>& slot = curves[state];
    if (slot.get() != curve) {
        releaseHeld(m_curvesX, curve);
        releaseHeld(m_curvesY, curve);
        slot.reset(curve);
    }
    valueChanged(kChangeValue);
}

void QVBaseAttributePoint::setAnimationCurves(const std::vector<QVAnimationCurve*>& curves, int state) {
    // at() keeps the documented out-of-range failure of a short list.
    setAxisCurve(m_curvesX, curves.at(0), state);
    setAxisCurve(m_curvesY, curves.at(1), state);
}

bool QVBaseAttributePoint::setValue(const CCPoint& point, bool silent) { return assign(clamp(point), silent); }

bool QVBaseAttributePoint::setVariableValue(const CCPoint& point, bool silent) {
    const CCPoint clamped = clamp(point);
    if (clamped.equals(m_variableValue)) return false;
    m_variableValue = clamped;
    if (!silent) valueChanged(kChangeValue);
    return true;
}

void QVBaseAttributePoint::setRange(const CCPoint& min, const CCPoint& max) {
    m_min = min;
    m_max = max;
    m_value = clamp(m_value);  // the variance stays as declared, as for numbers
}

void QVBaseAttributePoint::setEmpty(bool empty, bool silent) {
    if (m_isXEmpty == empty && m_isYEmpty == empty) return;
    m_isXEmpty = empty;
    m_isYEmpty = empty;
    if (m_allowEmpty && !silent) valueChanged(kChangeValue);
}

void QVBaseAttributePoint::setEmptyAllowed(bool allow, bool silent) {
    if (!allow) {
        const bool wasAllowed = m_allowEmpty;
        if (m_isXEmpty) {
            m_isXEmpty = false;
            if (wasAllowed && !silent) valueChanged(kChangeValue);
        }
        if (wasAllowed && m_isYEmpty) {
            m_isYEmpty = false;
            if (!silent) valueChanged(kChangeValue);
        }
    }
    m_allowEmpty = allow;
}

CCPoint QVBaseAttributePoint::randomValue() const {
    const int yDraw = compat::rand();
    const int xDraw = compat::rand();
    return CCPoint(m_value.x + m_variableValue.x * spread(xDraw), m_value.y + m_variableValue.y * spread(yDraw));
}

CCPoint QVBaseAttributePoint::curveValue(float time, int state) const {
    CCPoint result;
    auto x = m_curvesX.find(state);
    if (x != m_curvesX.end() && x->second) result.x = x->second->evaluate(time);
    auto y = m_curvesY.find(state);
    if (y != m_curvesY.end() && y->second) result.y = y->second->evaluate(time);
    return result;
}

CCPoint QVBaseAttributePoint::animatedValue(int state, float time) const {
    const CCPoint curve = curveValue(time, state);
    return CCPoint(m_value.x + curve.x, m_value.y + curve.y);
}

QVAttributePoint::QVAttributePoint(QVNameArg name, QVModel* owner, uint32_t flags)
    : QVBaseAttributePoint(name, owner, flags) {}
QVAttributePoint::QVAttributePoint(QVNameArg name, QVModel* owner, const QVAttributePoint& source)
    : QVBaseAttributePoint(name, owner, source) {}

// ---------------------------------------------------------------------------
// Colour

bool QVBaseAttributeColor::setValue(const ccColor4F& color, bool silent) { return assign(color, silent); }

void QVBaseAttributeColor::valueFromDictionary(CCDictionary* dict) {
    if (!dict) return;
    const ccColor4F read = ccc4f(dict->valueForKey("r")->floatValue(), dict->valueForKey("g")->floatValue(),
                                 dict->valueForKey("b")->floatValue(), dict->valueForKey("a")->floatValue());
    if (!sameColor(read, m_value)) m_value = read;
}

CCDictionary* QVBaseAttributeColor::valueToDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(CCString::createWithFormat("%f", static_cast<double>(m_value.r)), "r");
    dict->setObject(CCString::createWithFormat("%f", static_cast<double>(m_value.g)), "g");
    dict->setObject(CCString::createWithFormat("%f", static_cast<double>(m_value.b)), "b");
    dict->setObject(CCString::createWithFormat("%f", static_cast<double>(m_value.a)), "a");
    return dict;
}

QVAttributeColor::QVAttributeColor(QVNameArg name, QVModel* owner) : QVBaseAttributeColor(name, owner) {}
QVAttributeColor::QVAttributeColor(QVNameArg name, QVModel* owner, const QVAttributeColor& source)
    : QVBaseAttributeColor(name, owner, source) {}

// ---------------------------------------------------------------------------
// Gradient

QVAttributeGradient::QVAttributeGradient(QVNameArg name, QVModel* owner) : QVAttribute(name, owner) {}
QVAttributeGradient::QVAttributeGradient(QVNameArg name, QVModel* owner, const QVAttributeGradient& source)
    : QVAttribute(name, owner, source), m_colors(source.m_colors), m_marker(source.m_marker) {}

void QVAttributeGradient::collectKeys() {
    QVAttribute::collectKeys();
    auto& keys = collectedKeys();
    keys.insert("pos");
    keys.insert("color");
    keys.insert("gradients");
}

void QVAttributeGradient::pack(QVPackMap& map) {
    if (m_colors.empty()) return;
    msgpack::zone& zone = map.zone();
    std::vector<msgpack::object> elements;
    elements.reserve(m_colors.size());
    for (const auto& key : m_colors) {
        QVPackMap element(zone);
        element.put("pos", key.first);
        element.put("color", key.second);
        elements.push_back(element.toObject(zone));
    }
    map.put("gradients", elements);
}

void QVAttributeGradient::unpack(const QVPackMap& map) {
    std::vector<msgpack::object> elements;
    if (!map.get(kGradients, elements)) return;
    for (const msgpack::object& object : elements) {
        const QVPackMap element(object);
        float position = 0.f;
        element.get(kPos, position);
        float key;
        if (!gradientKey(position, key)) continue;
        ccColor4F color;
        const bool hasColor = element.get(kColor, color);
        auto it = m_colors.emplace(key, ccColor4F()).first;
        if (hasColor) it->second = color;
    }
}

void QVAttributeGradient::valueFromDictionary(CCDictionary* dict) {
    if (!dict) return;
    CCArray* gradients = dynamic_cast<CCArray*>(dict->objectForKey("gradients"));
    if (!gradients) return;
    for (CCObject* item : gradients->data()) {
        CCDictionary* element = dynamic_cast<CCDictionary*>(item);
        if (!element) break;
        const ccColor4F color = ccc4f(element->valueForKey("r")->floatValue(), element->valueForKey("g")->floatValue(),
                                      element->valueForKey("b")->floatValue(), element->valueForKey("a")->floatValue());
        float key;
        if (!gradientKey(element->valueForKey("pos")->floatValue(), key)) continue;
        m_colors[key] = color;
    }
}

CCDictionary* QVAttributeGradient::valueToDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    if (m_colors.empty()) return dict;
    CCArray* gradients = CCArray::createWithCapacity(static_cast<unsigned int>(m_colors.size()));
    for (const auto& key : m_colors) {
        CCDictionary* element = CCDictionary::create();
        element->setObject(CCString::createWithFormat("%f", static_cast<double>(key.first)), "pos");
        element->setObject(CCString::createWithFormat("%f", static_cast<double>(key.second.r)), "r");
        element->setObject(CCString::createWithFormat("%f", static_cast<double>(key.second.g)), "g");
        element->setObject(CCString::createWithFormat("%f", static_cast<double>(key.second.b)), "b");
        element->setObject(CCString::createWithFormat("%f", static_cast<double>(key.second.a)), "a");
        gradients->addObject(element);
    }
    dict->setObject(gradients, "gradients");
    return dict;
}

void QVAttributeGradient::setColor(float position, const ccColor4F& color, bool silent) {
    float key;
    if (!gradientKey(position, key)) return;
    m_colors[key] = color;
    if (!silent) valueChanged(kChangeValue);
}

const ccColor4F* QVAttributeGradient::colorAt(float position) const {
    float key;
    if (!gradientKey(position, key)) return nullptr;
    auto it = m_colors.find(key);
    return it == m_colors.end() ? nullptr : &it->second;
}
