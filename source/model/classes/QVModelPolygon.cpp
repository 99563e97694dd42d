#include "model/classes/QVModelPolygon.h"

#include <algorithm>
#include <cmath>

#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVNumeric.h"
#include "model/core/QVPackMap.h"
#include "physics/PhysicsGuard.h"
#include "platform/QVLog.h"

using cocos2d::CCArray;
using cocos2d::CCDictionary;
using cocos2d::CCPoint;
using cocos2d::CCSize;
using cocos2d::CCString;

namespace {
constexpr char kPointsKey[] = "points";
constexpr char kOneWayKey[] = "oneWayCollisionVector";
// Metres per pixel.
constexpr float kPixelToMetre = 0.05f;
// Squared distance below which two scaled points are one (0.05 m).
constexpr float kNearDuplicate2 = 0.0025f;

CCString* pointString(const CCPoint& point) { return CCString::createWithFormat("{%f,%f}", point.x, point.y); }
}  // namespace

QVFixtureDef::QVFixtureDef(QVFixtureDef&& other) noexcept : def(other.def), shape(std::move(other.shape)) {
    other.def.shape = nullptr;
}

QVFixtureDef& QVFixtureDef::operator=(QVFixtureDef&& other) noexcept {
    def = other.def;
    shape = std::move(other.shape);
    other.def.shape = nullptr;
    return *this;
}

QVModelPolygon::QVModelPolygon(const std::string& name) : QVModel(name) {}

QVModelPolygon::QVModelPolygon(const QVModelPolygon& source)
    : QVModel(source), m_points(source.m_points), m_oneWayCollisionVector(source.m_oneWayCollisionVector) {}

void QVModelPolygon::collectKeys() {
    QVModel::collectKeys();
    collectedKeys().insert(kPointsKey);
    collectedKeys().insert(kOneWayKey);
}

void QVModelPolygon::pack(QVPackMap& map) {
    QVModel::pack(map);
    map.put(kPointsKey, m_points);
    map.put(kOneWayKey, m_oneWayCollisionVector);
}

void QVModelPolygon::unpack(const QVPackMap& map) {
    QVModel::unpack(map);
    map.get(kPointsKey, m_points);
    map.get(kOneWayKey, m_oneWayCollisionVector);
    if (m_points.size() > kMaxPackedPoints) m_points.resize(kMaxPackedPoints);
}

void QVModelPolygon::fromDictionary(CCDictionary* dict) {
    QVModel::fromDictionary(dict);
    if (!dict) return;
    // Appended through the class's own addPoint: a circle keeps two.
    if (auto* points = dynamic_cast<CCArray*>(dict->objectForKey(kPointsKey))) {
        for (unsigned i = 0; i < points->count(); ++i) {
            if (auto* text = dynamic_cast<CCString*>(points->objectAtIndex(i))) addPoint(text->pointValue(), true);
        }
    }
    m_oneWayCollisionVector = dict->valueForKey(kOneWayKey)->pointValue();
}

CCDictionary* QVModelPolygon::toDictionary() const {
    CCDictionary* dict = QVModel::toDictionary();
    CCArray* points = CCArray::createWithCapacity(static_cast<unsigned>(m_points.size()));
    for (const CCPoint& point : m_points) points->addObject(pointString(point));
    dict->setObject(points, kPointsKey);
    dict->setObject(pointString(m_oneWayCollisionVector), kOneWayKey);
    return dict;
}

void QVModelPolygon::addPoint(const CCPoint& point, bool silent) {
    m_points.push_back(point);
    if (!silent) notifyChanged();
}

void QVModelPolygon::insertPoint(int index, const CCPoint& point, bool silent) {
    if (index < 0 || static_cast<size_t>(index) > m_points.size()) return;
    m_points.insert(m_points.begin() + index, point);
    if (!silent) notifyChanged();
}

void QVModelPolygon::removePoint(int index, bool silent) {
    if (index < 0 || static_cast<size_t>(index) >= m_points.size()) return;
    m_points.erase(m_points.begin() + index);
    if (!silent) notifyChanged();
}

void QVModelPolygon::setPoint(int index, const CCPoint& point, bool silent) {
    if (index < 0 || static_cast<size_t>(index) >= m_points.size()) return;
    m_points[static_cast<size_t>(index)] = point;
    if (!silent) notifyChanged();
}

bool QVModelPolygon::isConvex() const {
    const size_t n = m_points.size();
    if (n < 3) return false;
    int reference = 0;
    for (size_t i = 0; i < n; ++i) {
        const CCPoint& p0 = m_points[i];
        const CCPoint& p1 = m_points[(i + 1) % n];
        const CCPoint& p2 = m_points[(i + 2) % n];
        const float dx = p1.x - p0.x;
        const float dy = p1.y - p0.y;
        // Single precision, term by term, as authored outlines were judged.
        float t = dy * p2.x;
        t -= dx * p2.y;
        t += dx * p0.y;
        t -= dy * p0.x;
        const int turn = truncToInt(t);
        if (i == 0) {
            reference = turn;
        } else if ((reference < 0 && turn >= 0) || (reference > 0 && turn <= 0)) {
            return false;
        }
    }
    return true;
}

void QVModelPolygon::initAsBox(const CCSize& size, const CCPoint& offset, bool silent) {
    float w = 120.0f;
    float h = 80.0f;
    if (size.width > 0.0f && size.height > 0.0f) {
        w = size.width;
        h = size.height;
    }
    addPoint(CCPoint(-w / 2 - offset.x, -h / 2 - offset.y), true);
    addPoint(CCPoint(w / 2 - offset.x, -h / 2 - offset.y), true);
    addPoint(CCPoint(w / 2 - offset.x, h / 2 - offset.y), true);
    addPoint(CCPoint(-w / 2 - offset.x, h / 2 - offset.y), true);
    if (!silent) notifyChanged();
}

int QVModelPolygon::scaledPoints(b2Vec2* out, int maxCount, float factorX, float factorY) const {
    const int count = std::max(0, std::min(static_cast<int>(m_points.size()), maxCount));
    for (int i = 0; i < count; ++i) {
        out[i].Set(m_points[static_cast<size_t>(i)].x * factorX, m_points[static_cast<size_t>(i)].y * factorY);
    }
    return count;
}

bool QVModelPolygon::hasNearDuplicatePoints(const b2Vec2* points, int count) {
    const int n = std::min(count, kMaxPackedPoints);
    for (int i = 1; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            if (b2DistanceSquared(points[i], points[j]) < kNearDuplicate2) return true;
        }
    }
    return false;
}

float QVModelPolygon::rimDistance() const {
    if (m_points.empty()) return 0.0f;
    const CCPoint centre = m_points[0];
    const CCPoint rim = m_points.size() > 1 ? m_points[1] : CCPoint();
    const float dx = rim.x - centre.x;
    const float dy = rim.y - centre.y;
    return std::sqrt(dx * dx + dy * dy);
}

QVModelPolygon::Outline QVModelPolygon::outline(float scaleX, float scaleY, b2Vec2* scaled, int& count, float& radius,
                                                std::string* refusal) const {
    count = scaledPoints(scaled, kMaxScaledPoints, scaleX * kPixelToMetre, scaleY * -kPixelToMetre);
    radius = 0.0f;
    if (count == 0) return Outline::kNone;
    if (type() == typeId<QVModelPolygon>()) {
        if (count < 3 || hasNearDuplicatePoints(scaled, count)) return Outline::kNone;
        // Box2D takes 8 points at most; a dictionary or editing may leave more.
        count = std::min(count, kMaxPackedPoints);
        return physics::validPolygon(scaled, count, refusal) ? Outline::kPolygon : Outline::kRefused;
    }
    radius = rimDistance() * kPixelToMetre * std::fabs(scaleX);
    return physics::validCircle(scaled[0], radius, refusal) ? Outline::kCircle : Outline::kRefused;
}

bool QVModelPolygon::isValidShape(float scaleX, float scaleY) const {
    b2Vec2 scaled[kMaxScaledPoints];
    int count = 0;
    float radius = 0.0f;
    const Outline made = outline(scaleX, scaleY, scaled, count, radius, nullptr);
    return made == Outline::kPolygon || made == Outline::kCircle;
}

QVFixtureDef QVModelPolygon::createFixtureShape(float scaleX, float scaleY) const {
    QVFixtureDef result;
    b2Vec2 scaled[kMaxScaledPoints];
    int count = 0;
    float radius = 0.0f;
    std::string reason;
    switch (outline(scaleX, scaleY, scaled, count, radius, &reason)) {
        case Outline::kPolygon: {
            auto polygon = std::make_unique<b2PolygonShape>();
            if (physics::setPolygon(polygon.get(), scaled, count)) result.shape = std::move(polygon);
            break;
        }
        case Outline::kCircle: {
            auto circle = std::make_unique<b2CircleShape>();
            if (physics::setCircle(circle.get(), scaled[0], radius)) result.shape = std::move(circle);
            break;
        }
        case Outline::kRefused:
            logMessage("[QVModelPolygon] no fixture shape for model %u: %s", id(), reason.c_str());
            break;
        case Outline::kNone:
            break;
    }
    result.def.shape = result.shape.get();
    return result;
}

QVModelCircle::QVModelCircle(const std::string& name) : QVModelPolygon(name) {}

QVModelCircle::QVModelCircle(const QVModelCircle& source) : QVModelPolygon(source) {}

void QVModelCircle::addPoint(const CCPoint& point, bool silent) {
    if (m_points.size() < 2) QVModelPolygon::addPoint(point, silent);
}

void QVModelCircle::insertPoint(int index, const CCPoint& point, bool silent) {
    (void)index;
    (void)point;
    if (!m_points.empty()) return;
    m_points = {CCPoint(0.0f, 0.0f), CCPoint(kDefaultRadius, 0.0f)};
    if (!silent) notifyChanged();
}

void QVModelCircle::removePoint(int index, bool silent) {
    (void)index;
    if (m_points.empty()) return;
    m_points.clear();
    if (!silent) notifyChanged();
}

void QVModelCircle::setPoint(int index, const CCPoint& point, bool silent) {
    const CCPoint oldCentre = pointAt(0);
    QVModelPolygon::setPoint(index, point, true);
    if (index == 0 && m_points.size() > 1) {
        m_points[1] = m_points[1] + (point - oldCentre);
    }
    if (!silent) notifyChanged();
}

void QVModelCircle::initAsBox(const CCSize& size, const CCPoint& offset, bool silent) {
    float r = kDefaultRadius;
    if (size.width > 0.0f || size.height > 0.0f) {
        r = static_cast<float>((static_cast<double>(size.width) + static_cast<double>(size.height)) / 5.0);
    }
    addPoint(CCPoint(-offset.x, -offset.y), true);
    addPoint(CCPoint(r - offset.x, -offset.y), true);
    if (!silent) notifyChanged();
}

float QVModelCircle::radius() const { return rimDistance(); }

CCPoint QVModelCircle::pointAt(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_points.size()) return CCPoint();
    return m_points[static_cast<size_t>(index)];
}
