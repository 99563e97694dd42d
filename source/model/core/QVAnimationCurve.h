// A keyed scalar curve over time, evaluated linearly or as a one-dimensional
// cubic Bezier whose parameter is linear in time.
// Guarantees: evaluation is defined for every key list (unsorted, duplicate or
// NaN times never divide by zero); a copy keeps every key verbatim together
// with the preset and the interpolation. Readers append keys in stored order
// and never sort or smooth them; only addKey keeps the list sorted.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <msgpack.hpp>

#include "model/core/QVMessagePackInterface.h"

namespace cocos2d {
class CCArray;
class CCDictionary;
}  // namespace cocos2d

class QVKey;
class QVPackMap;

struct QVAnimationKey {
    float inControl = 0.f;
    float time = 0.f;
    float value = 0.f;
    float outControl = 0.f;

    bool operator==(const QVAnimationKey& o) const {
        return inControl == o.inControl && time == o.time && value == o.value && outControl == o.outControl;
    }
};

class QVAnimationCurve : public QVMessagePackInterface {
public:
    enum Interpolation : int32_t { kInterpolationLinear = 1, kInterpolationBezier = 2 };
    static constexpr int32_t kDefaultPreset = 4;

    QVAnimationCurve() = default;
    // Verbatim: same keys in the same order, same preset, same interpolation.
    QVAnimationCurve(const QVAnimationCurve& other) = default;
    QVAnimationCurve& operator=(const QVAnimationCurve& other) = default;
    ~QVAnimationCurve() override;

    void collectKeys() override;
    void pack(QVPackMap& map) override;
    // Appends the stored keys after any held ones. Throws msgpack::type_error
    // on a wrongly shaped "points" or "preset".
    void unpack(const QVPackMap& map) override;

    virtual void fromDictionary(cocos2d::CCDictionary* dict);
    // New autoreleased dictionary.
    virtual cocos2d::CCDictionary* toDictionary() const;

    // Adds a key in time order, or overwrites value and both controls of the
    // key with exactly that time (leaving its neighbours alone), then smooths
    // the interior controls.
    void addKey(float value, float time);
    float evaluate(float time) const;

    // Appends one key as given, unsorted and unsmoothed.
    void appendKey(const QVAnimationKey& key) { m_keys.push_back(key); }
    void reserveKeys(size_t count) { m_keys.reserve(count); }
    void clearKeys() { m_keys.clear(); }
    const std::vector<QVAnimationKey>& keys() const { return m_keys; }

    int32_t interpolation() const { return m_interpolation; }
    void setInterpolation(int32_t interpolation) { m_interpolation = interpolation; }
    int32_t preset() const { return m_preset; }
    void setPreset(int32_t preset) { m_preset = preset; }

private:
    void smoothInteriorKeys();

    int32_t m_interpolation = kInterpolationBezier;
    std::vector<QVAnimationKey> m_keys;
    int32_t m_preset = kDefaultPreset;
};

// One curve per object state, ascending by state, owned by the map. An entry
// may hold a null curve; every encoder skips it.
typedef std::map<int, std::unique_ptr<QVAnimationCurve>> QVCurveMap;

// Reads an "animations" array. Throws msgpack::type_error when the object is
// not an array, an element is not a map, or a curve entry is mistyped.
// Elements without a state (or with state -1) are dropped; a repeated state
// keeps the later curve.
QVCurveMap curvesFromArray(const msgpack::object& array);
// Writes the non-null curves in ascending state order into an array allocated
// in the zone. Throws "A key is not present" for a key the table lacks.
msgpack::object curvesToArray(const QVCurveMap& curves, msgpack::zone& zone);
// Writes the non-null curves as an "animations"-style entry under `name`.
// Throws what QVPackMap::put throws.
void putCurves(QVPackMap& map, const std::string& name, const QVCurveMap& curves);
// Replaces `curves` with the array under `name` when it is present with at
// least one element (an empty or absent array keeps them) and returns whether
// it did. Throws msgpack::type_error as curvesFromArray.
bool getCurves(const QVPackMap& map, const std::string& name, QVCurveMap& curves);
bool getCurves(const QVPackMap& map, const QVKey& key, QVCurveMap& curves);
// A null array gives an empty map.
QVCurveMap curvesFromDictionaries(cocos2d::CCArray* array);
// Null for an empty map, else a new autoreleased array.
cocos2d::CCArray* curvesToDictionaries(const QVCurveMap& curves);
// Gives up (without deleting) any entry that holds `curve`, so that the curve
// can be kept under another state without being owned twice.
void releaseHeld(QVCurveMap& curves, const QVAnimationCurve* curve);
// Verbatim copies of the non-null curves; linear in the total key count.
QVCurveMap copyCurves(const QVCurveMap& curves);
