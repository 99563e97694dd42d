#include "model/core/QVAnimationCurve.h"

#include <algorithm>
#include <limits>

#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVPackMap.h"

using namespace cocos2d;

namespace {
// Read once per object and curve: numbers remembered per key table.
const QVKey kPointsKey("points");
const QVKey kPresetKey("preset");
const QVKey kStateKey("state");
const QVKey kAnimationKey("animation");

// The sum is formed in single precision, halved in double precision and
// rounded back, which is what stored curves were smoothed with.
inline float halfOf(float sum) { return static_cast<float>(static_cast<double>(sum) * 0.5); }

void appendPointPairs(QVAnimationCurve& curve, const std::vector<CCPoint>& points) {
    if (points.size() < 2) return;
    curve.reserveKeys(curve.keys().size() + points.size() / 2);
    for (size_t k = 0; k + 1 < points.size(); k += 2) {
        const CCPoint& timeValue = points[k];
        const CCPoint& controls = points[k + 1];
        curve.appendKey(QVAnimationKey{controls.x, timeValue.x, timeValue.y, controls.y});
    }
}

}  // namespace

QVAnimationCurve::~QVAnimationCurve() = default;

float QVAnimationCurve::evaluate(float time) const {
    const size_t n = m_keys.size();
    if (n == 0) return 0.f;
    if (n == 1) return m_keys[0].value;

    // A NaN key time compares neither way and is simply walked over.
    size_t last = n;  // n: no key at or before `time`
    for (size_t k = 0; k < n; ++k) {
        if (m_keys[k].time <= time) {
            last = k;
        } else if (m_keys[k].time > time) {
            break;
        }
    }
    if (last == n) return m_keys[0].value;
    if (last == n - 1) return m_keys[last].value;

    const QVAnimationKey& a = m_keys[last];
    const QVAnimationKey& b = m_keys[last + 1];
    const float span = b.time - a.time;
    // Only reachable with NaN or infinite times; hold the start value then.
    if (!(span > 0.f) || !(span < std::numeric_limits<float>::infinity())) return a.value;

    const float u = (time - a.time) / span;
    const float s = 1.0f - u;
    switch (m_interpolation) {
        case kInterpolationLinear:
            return s * a.value + b.value * u;
        case kInterpolationBezier: {
            const float head = 3.0f * u * s * s * a.outControl + s * s * s * a.value;
            return head + 3.0f * u * u * s * b.inControl + u * u * u * b.value;
        }
        default:
            return 0.f;
    }
}

void QVAnimationCurve::addKey(float value, float time) {
    size_t at = m_keys.size();
    for (size_t k = 0; k < m_keys.size(); ++k) {
        if (m_keys[k].time == time) {
            m_keys[k].inControl = value;
            m_keys[k].value = value;
            m_keys[k].outControl = value;
            return;
        }
        if (at == m_keys.size() && m_keys[k].time > time) at = k;
    }
    m_keys.insert(m_keys.begin() + static_cast<std::ptrdiff_t>(at), QVAnimationKey{value, time, value, value});
    smoothInteriorKeys();
}

void QVAnimationCurve::smoothInteriorKeys() {
    for (size_t i = 1; i + 1 < m_keys.size(); ++i) {
        const float p = m_keys[i - 1].value;
        const float c = m_keys[i].value;
        const float n = m_keys[i + 1].value;
        float in = halfOf(p + c);
        float out = halfOf(n + c);
        const float d = halfOf((c - out) + (c - in));
        in = in + d;
        out = out + d;
        m_keys[i].inControl = in;
        m_keys[i].outControl = out;
    }
}

void QVAnimationCurve::collectKeys() {
    auto& keys = collectedKeys();
    keys.insert("points");
    keys.insert("preset");
    keys.insert("state");
    keys.insert("animation");
}

void QVAnimationCurve::pack(QVPackMap& map) {
    std::vector<CCPoint> points;
    points.reserve(m_keys.size() * 2);
    for (const QVAnimationKey& key : m_keys) {
        points.emplace_back(key.time, key.value);
        points.emplace_back(key.inControl, key.outControl);
    }
    map.put("points", points);
    map.put("preset", static_cast<int>(m_preset));
}

void QVAnimationCurve::unpack(const QVPackMap& map) {
    std::vector<CCPoint> points;
    if (map.get(kPointsKey, points)) appendPointPairs(*this, points);
    int preset = m_preset;
    if (map.get(kPresetKey, preset)) m_preset = preset;
}

void QVAnimationCurve::fromDictionary(CCDictionary* dict) {
    if (!dict) return;
    if (CCArray* points = dynamic_cast<CCArray*>(dict->objectForKey("points"))) {
        std::vector<CCPoint> parsed;
        parsed.reserve(points->count());
        for (CCObject* item : points->data()) {
            CCString* text = dynamic_cast<CCString*>(item);
            parsed.push_back(text ? text->pointValue() : CCPoint());
        }
        appendPointPairs(*this, parsed);
    }
    if (dict->objectForKey("preset")) m_preset = dict->valueForKey("preset")->intValue();
}

CCDictionary* QVAnimationCurve::toDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    CCArray* points = CCArray::createWithCapacity(static_cast<unsigned int>(m_keys.size() * 2));
    for (const QVAnimationKey& key : m_keys) {
        points->addObject(CCString::createWithFormat("{%.3f,%.3f}", key.time, key.value));
        points->addObject(CCString::createWithFormat("{%.3f,%.3f}", key.inControl, key.outControl));
    }
    dict->setObject(points, "points");
    dict->setObject(CCString::createWithFormat("%d", m_preset), "preset");
    return dict;
}

QVCurveMap curvesFromArray(const msgpack::object& array) {
    if (array.type != msgpack::type::ARRAY) throw msgpack::type_error();
    QVCurveMap curves;
    QVPackMap element, animation;  // storage reused by every element
    for (uint32_t i = 0; i < array.via.array.size; ++i) {
        element.assign(array.via.array.ptr[i]);
        int state = -1;
        element.get(kStateKey, state);
        auto curve = std::make_unique<QVAnimationCurve>();
        if (const msgpack::object* entry = element.find(kAnimationKey)) {
            animation.assign(*entry);
            curve->unpack(animation);
        }
        if (state != -1) curves[state] = std::move(curve);
    }
    return curves;
}

namespace {

std::vector<msgpack::object> curveElements(const QVCurveMap& curves, msgpack::zone& zone) {
    std::vector<msgpack::object> elements;
    elements.reserve(curves.size());
    for (const auto& entry : curves) {
        if (!entry.second) continue;
        QVPackMap element(zone);
        element.put("state", static_cast<int32_t>(entry.first));
        QVPackMap animation(zone);
        entry.second->pack(animation);
        element.put("animation", animation);
        elements.push_back(element.toObject(zone));
    }
    return elements;
}

}  // namespace

msgpack::object curvesToArray(const QVCurveMap& curves, msgpack::zone& zone) {
    const std::vector<msgpack::object> elements = curveElements(curves, zone);
    msgpack::object result;
    result.type = msgpack::type::ARRAY;
    result.via.array.size = static_cast<uint32_t>(elements.size());
    result.via.array.ptr = nullptr;
    if (!elements.empty()) {
        auto* ptr = static_cast<msgpack::object*>(
            zone.allocate_align(sizeof(msgpack::object) * elements.size(), alignof(msgpack::object)));
        std::copy(elements.begin(), elements.end(), ptr);
        result.via.array.ptr = ptr;
    }
    return result;
}

void putCurves(QVPackMap& map, const std::string& name, const QVCurveMap& curves) {
    map.put(name, curveElements(curves, map.zone()));
}

namespace {
bool curvesFrom(const msgpack::object* array, QVCurveMap& curves) {
    if (!array) return false;
    QVCurveMap read = curvesFromArray(*array);
    if (array->via.array.size == 0) return false;
    curves = std::move(read);
    return true;
}
}  // namespace

bool getCurves(const QVPackMap& map, const std::string& name, QVCurveMap& curves) {
    return curvesFrom(map.find(name), curves);
}

bool getCurves(const QVPackMap& map, const QVKey& key, QVCurveMap& curves) { return curvesFrom(map.find(key), curves); }

QVCurveMap curvesFromDictionaries(CCArray* array) {
    QVCurveMap curves;
    if (!array) return curves;
    for (CCObject* item : array->data()) {
        CCDictionary* element = dynamic_cast<CCDictionary*>(item);
        if (!element) continue;
        const int state = element->valueForKey("state")->intValue();
        CCDictionary* animation = dynamic_cast<CCDictionary*>(element->objectForKey("animation"));
        if (!animation || state == -1) continue;
        auto curve = std::make_unique<QVAnimationCurve>();
        curve->fromDictionary(animation);
        curves[state] = std::move(curve);
    }
    return curves;
}

CCArray* curvesToDictionaries(const QVCurveMap& curves) {
    if (curves.empty()) return nullptr;
    CCArray* array = CCArray::create();
    for (const auto& entry : curves) {
        if (!entry.second) continue;
        CCDictionary* element = CCDictionary::create();
        element->setObject(CCString::createWithFormat("%u", static_cast<unsigned int>(entry.first)), "state");
        element->setObject(entry.second->toDictionary(), "animation");
        array->addObject(element);
    }
    return array;
}

void releaseHeld(QVCurveMap& curves, const QVAnimationCurve* curve) {
    if (!curve) return;
    for (auto& entry : curves) {
        if (entry.second.get() == curve) (void)entry.second.release();
    }
}

QVCurveMap copyCurves(const QVCurveMap& curves) {
    QVCurveMap copy;
    for (const auto& entry : curves) {
        if (entry.second) copy.emplace_hint(copy.end(), entry.first, std::make_unique<QVAnimationCurve>(*entry.second));
    }
    return copy;
}
