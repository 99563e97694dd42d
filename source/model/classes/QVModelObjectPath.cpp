#include "model/classes/QVModelObjectPath.h"

#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVNumeric.h"
#include "model/core/QVPackMap.h"

using cocos2d::CCArray;
using cocos2d::CCDictionary;
using cocos2d::CCPoint;
using cocos2d::CCString;

namespace {
constexpr char kPointsKey[] = "points";
}  // namespace

// ---------------------------------------------------------------- path

QVBaseModelObjectPath::QVBaseModelObjectPath(const std::string& name)
    : QVModelObjectAsset(name) QV_PATH_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_searchRadius->setValue(50.0f, true);
    m_speed->setValue(50.0f, true);
    m_attractionForce->setValue(50.0f, true);
    m_attractionForce->setRange(0.0f, 100.0f);
    m_keepVelocity->setValue(true, true);
}

QVBaseModelObjectPath::QVBaseModelObjectPath(const QVBaseModelObjectPath& source)
    : QVModelObjectAsset(source) QV_PATH_ATTRIBUTES(QV_ATTRIBUTE_COPY), m_points(source.m_points) {}

float QVBaseModelObjectPath::searchRadius() const { return qvread::value(m_searchRadius); }

float QVBaseModelObjectPath::speed() const { return qvread::value(m_speed); }

float QVBaseModelObjectPath::attractionForce() const { return qvread::value(m_attractionForce); }

bool QVBaseModelObjectPath::keepVelocity() const { return qvread::value(m_keepVelocity); }

bool QVBaseModelObjectPath::imageDirection() const { return qvread::value(m_imageDirection); }

const std::string& QVBaseModelObjectPath::playMode() const { return qvread::text(m_playMode); }

const std::string& QVBaseModelObjectPath::affectedAsset() const { return qvread::text(m_affectedAsset); }

uint32_t QVBaseModelObjectPath::objectAssetId() const { return parseDecimal<uint32_t>(qvread::text(m_objectAsset)); }

const std::string& QVBaseModelObjectPath::imageTransition() const { return qvread::text(m_imageTransition); }

void QVBaseModelObjectPath::collectKeys() {
    QVModelObjectAsset::collectKeys();
    collectedKeys().insert(kPointsKey);
}

void QVBaseModelObjectPath::pack(QVPackMap& map) {
    QVModelObjectAsset::pack(map);
    map.put(kPointsKey, m_points);
}

void QVBaseModelObjectPath::unpack(const QVPackMap& map) {
    QVModelObjectAsset::unpack(map);
    map.get(kPointsKey, m_points);
}

void QVBaseModelObjectPath::fromDictionary(CCDictionary* dict) {
    QVModelObjectAsset::fromDictionary(dict);
    if (!dict) return;
    auto* points = dynamic_cast<CCArray*>(dict->objectForKey(kPointsKey));
    if (!points) return;
    for (unsigned i = 0; i < points->count(); ++i) {
        auto* text = dynamic_cast<CCString*>(points->objectAtIndex(i));
        if (!text) break;
        m_points.push_back(text->pointValue());
    }
}

CCDictionary* QVBaseModelObjectPath::toDictionary() const {
    CCDictionary* dict = QVModelObjectAsset::toDictionary();
    CCArray* points = CCArray::createWithCapacity(static_cast<unsigned>(m_points.size()));
    for (const CCPoint& point : m_points)
        points->addObject(CCString::createWithFormat("{%.3f,%.3f}", point.x, point.y));
    dict->setObject(points, kPointsKey);
    return dict;
}

QVModelObjectPath::QVModelObjectPath(const std::string& name) : QVBaseModelObjectPath(name) {}

QVModelObjectPath::QVModelObjectPath(const QVModelObjectPath& source) : QVBaseModelObjectPath(source) {}

// ---------------------------------------------------------------- screen jump

QVModelObjectScreenJump::QVModelObjectScreenJump(const std::string& name)
    : QVModelObjectAsset(name) QV_SCREEN_JUMP_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelObjectScreenJump::QVModelObjectScreenJump(const QVModelObjectScreenJump& source)
    : QVModelObjectAsset(source) QV_SCREEN_JUMP_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const std::string& QVModelObjectScreenJump::function() const { return qvread::text(m_function); }

bool QVModelObjectScreenJump::pauseCurrentWorld() const { return qvread::value(m_pauseCurrentWorld); }
