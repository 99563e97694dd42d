#include "model/classes/QVModelGeneralSettings.h"

#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"
#include "platform/QVLog.h"

using cocos2d::CCDictionary;
using cocos2d::CCObject;
using cocos2d::CCPoint;
using cocos2d::CCString;

namespace {

const char* const kPlatformSpecificValues = "platformSpecificValues";
const std::string kNoText;

// The legacy values by dictionary key; exactly one member pointer is set.
struct LegacyField {
    const char* key;
    CCPoint QVBaseModelGeneralSettings::LegacyValues::*point;
    float QVBaseModelGeneralSettings::LegacyValues::*number;
    bool QVBaseModelGeneralSettings::LegacyValues::*flag;
};

using L = QVBaseModelGeneralSettings::LegacyValues;
const LegacyField kLegacyFields[] = {
    {"Gravity", &L::gravity, nullptr, nullptr},
    {"Move Speed", &L::moveSpeed, nullptr, nullptr},
    {"Bounce Force", &L::bounceForce, nullptr, nullptr},
    {"Jump", &L::jump, nullptr, nullptr},
    {"Character Friction", &L::characterFriction, nullptr, nullptr},
    {"Jump Timeout", nullptr, &L::jumpTimeout, nullptr},
    {"Jump Counter", nullptr, &L::jumpCounter, nullptr},
    {"Jump Ground Threshold", nullptr, &L::jumpGroundThreshold, nullptr},
    {"Left Lean Force", nullptr, &L::leftLeanForce, nullptr},
    {"Right Lean Force", nullptr, &L::rightLeanForce, nullptr},
    {"Simulation Time Scale", nullptr, &L::simulationTimeScale, nullptr},
    {"Friction", nullptr, &L::friction, nullptr},
    {"Velocity Scale", nullptr, &L::velocityScale, nullptr},
    {"Rotation Scale", nullptr, &L::rotationScale, nullptr},
    {"Restitution", nullptr, &L::restitution, nullptr},
    {"Platform Friction", nullptr, &L::platformFriction, nullptr},
    {"Score Multiplier", nullptr, &L::scoreMultiplier, nullptr},
    {"Back Deletion Threshold", nullptr, &L::backDeletionThreshold, nullptr},
    {"Sides Deletion Threshold", nullptr, &L::sidesDeletionThreshold, nullptr},
    {"Game Speed Min", nullptr, &L::gameSpeedMin, nullptr},
    {"Game Speed Max", nullptr, &L::gameSpeedMax, nullptr},
    {"Game Speed Increase", nullptr, &L::gameSpeedIncrease, nullptr},
    {"Game Speed Current", nullptr, &L::gameSpeedCurrent, nullptr},
    {"Jump From Ground", nullptr, nullptr, &L::jumpFromGround},
    {"Fixed Rotation", nullptr, nullptr, &L::fixedRotation},
    {"Fixed Position", nullptr, nullptr, &L::fixedPosition},
    {"Forced Movement", nullptr, nullptr, &L::forcedMovement},
    {"Auto Image Direction", nullptr, nullptr, &L::autoImageDirection},
};

QVAttributeString* withText(QVAttributeString& attribute, const char* value) {
    attribute.setValue(value, true);
    return &attribute;
}

QVAttributeKey* withKey(QVAttributeKey& attribute, int code) {
    attribute.setValue(code, true);
    return &attribute;
}

const std::string& textOf(const QVAttributeString* attribute) { return attribute ? attribute->value() : kNoText; }

int keyOf(const QVAttributeKey* attribute) { return attribute ? attribute->value() : 0; }

// The name under a number read from a pack, or null (logged) when the key
// table lacks it: one unknown name must not cost the whole settings model.
const std::string* packedName(uint32_t number) {
    const std::string* name = findKeyName(number);
    if (!name) logMessage("[QVModelGeneralSettings] unknown key %u", number);
    return name;
}

// The held instance. Never destroyed: it must not die during static
// destruction, after the engine objects it holds.
std::shared_ptr<QVModelGeneralSettings>& heldInstance() {
    static auto* instance = new std::shared_ptr<QVModelGeneralSettings>();
    return *instance;
}

}  // namespace

QVBaseModelGeneralSettings::QVBaseModelGeneralSettings(const std::string& name)
    : QVSettingsModel(name),
      m_zkVersionMember("ZK Version", this),
      m_lastIdMember("Last ID", this),
      m_orientationMember("Orientation", this),
      m_edge0Member("Edge 0", this),
      m_edge1Member("Edge 1", this),
      m_edge2Member("Edge 2", this),
      m_edge3Member("Edge 3", this),
      m_screenAdjustmentMember("Screen Adjustment", this),
      m_gameAngleDirectionMember("Game Angle Direction", this),
      m_objectFrameMember("Object Frame", this),
      m_designSizeMember("Design Size", this),
      m_scoreTypeMember("Score Type", this),
      m_shareScreenMember("Share Screen", this),
      m_versionNumberMember("Version Number", this),
      m_applicationNameMember("Application Name", this),
      m_commentsMember("Comments", this),
      m_resetTextMember("Reset text", this),
      m_notEnoughCurrencyTextMember("Not Enough Currency Text", this),
      m_buildDateMember("Build Date", this),
      m_userIdMember("User ID", this),
      m_iconMember("Icon", this),
      m_moveUpKeyMember("Move Up Key", this),
      m_moveDownKeyMember("Move Down Key", this),
      m_moveLeftKeyMember("Move Left Key", this),
      m_moveRightKeyMember("Move Right Key", this),
      m_motorCWKeyMember("Motor CW Key", this),
      m_motorCCWKeyMember("Motor CCW Key", this),
      m_rotateLeftKeyMember("Rotate Left Key", this),
      m_rotateRightKeyMember("Rotate Right Key", this),
      m_shootKeyMember("Shoot Key", this),
      m_jumpKeyMember("Jump Key", this) {
    m_zkVersion = withText(m_zkVersionMember, "");
    m_lastId = &m_lastIdMember;
    m_orientation = &m_orientationMember;
    m_edges[0] = &m_edge0Member;
    m_edges[1] = &m_edge1Member;
    m_edges[2] = &m_edge2Member;
    m_edges[3] = &m_edge3Member;
    m_screenAdjustment = &m_screenAdjustmentMember;
    m_gameAngleDirection = &m_gameAngleDirectionMember;
    m_objectFrame = &m_objectFrameMember;
    m_designSize = &m_designSizeMember;
    m_scoreType = withText(m_scoreTypeMember, "");
    m_shareScreen = withText(m_shareScreenMember, "Game Field Screen");
    m_versionNumber = withText(m_versionNumberMember, "1.0");
    m_applicationName = withText(m_applicationNameMember, "Untitled");
    m_comments = withText(m_commentsMember, "add comments here");
    m_resetText = withText(m_resetTextMember,
                           "PLEASE NOTE:  You are about to reset all your game progress and start completely "
                           "over.  Are you sure you want to do that?");
    m_notEnoughCurrencyText = withText(m_notEnoughCurrencyTextMember, "Sorry, you don't have enough currency!");
    m_buildDate = withText(m_buildDateMember, "");
    m_userId = withText(m_userIdMember, "");
    m_icon = &m_iconMember;
    m_icon->setExcludedFromAtlas(true);
    m_moveUpKey = withKey(m_moveUpKeyMember, 16777235);
    m_moveDownKey = withKey(m_moveDownKeyMember, 16777237);
    m_moveLeftKey = withKey(m_moveLeftKeyMember, 16777234);
    m_moveRightKey = withKey(m_moveRightKeyMember, 16777236);
    m_motorCWKey = withKey(m_motorCWKeyMember, 88);
    m_motorCCWKey = withKey(m_motorCCWKeyMember, 90);
    m_rotateLeftKey = withKey(m_rotateLeftKeyMember, 44);
    m_rotateRightKey = withKey(m_rotateRightKeyMember, 46);
    m_shootKey = withKey(m_shootKeyMember, 32);
    m_jumpKey = withKey(m_jumpKeyMember, 74);
    setPlatformSpecificValues(nullptr);
}

QVBaseModelGeneralSettings::~QVBaseModelGeneralSettings() { CC_SAFE_RELEASE_NULL(m_platformSpecificValues); }

void QVBaseModelGeneralSettings::collectKeys() {
    QVModel::collectKeys();
    std::set<std::string>& keys = collectedKeys();
    keys.insert(kPlatformSpecificValues);
    for (const auto& platform : m_platformSpecificValues->entries()) {
        keys.insert(platform.first);
        if (auto* values = dynamic_cast<CCDictionary*>(platform.second)) {
            for (const auto& value : values->entries()) keys.insert(value.first);
        }
    }
}

void QVBaseModelGeneralSettings::pack(QVPackMap& map) {
    QVModel::pack(map);
    QVPackMap platforms(map.zone());
    for (const auto& platform : m_platformSpecificValues->entries()) {
        auto* values = dynamic_cast<CCDictionary*>(platform.second);
        if (!values) continue;
        QVPackMap packed(map.zone());
        for (const auto& value : values->entries()) {
            if (auto* text = dynamic_cast<CCString*>(value.second)) packed.put(value.first, text->str());
        }
        platforms.put(platform.first, packed);
    }
    map.put(kPlatformSpecificValues, platforms);
}

void QVBaseModelGeneralSettings::unpack(const QVPackMap& map) {
    QVModel::unpack(map);
    const msgpack::object* entry = map.find(kPlatformSpecificValues);
    if (!entry) return;
    QVPackMap platforms;
    QVPackMap::read(*entry, platforms);
    // Built aside and swapped in at the end, so a bad value leaves the old
    // dictionary whole.
    CCDictionary* replacement = CCDictionary::create();
    for (const QVPackMap::Entry& platform : platforms.entries()) {
        const std::string* platformName = packedName(platform.first);
        if (!platformName) continue;
        QVPackMap packed;
        QVPackMap::read(platform.second, packed);
        CCDictionary* values = CCDictionary::create();
        for (const QVPackMap::Entry& value : packed.entries()) {
            const std::string* key = packedName(value.first);
            if (!key) continue;
            std::string text;
            QVPackMap::read(value.second, text);
            values->setObject(CCString::create(text), *key);
        }
        replacement->setObject(values, *platformName);
    }
    setPlatformSpecificValues(replacement);
}

void QVBaseModelGeneralSettings::fromDictionary(CCDictionary* dict) {
    QVModel::fromDictionary(dict);
    if (!dict) return;
    if (auto* values = dynamic_cast<CCDictionary*>(dict->objectForKey(kPlatformSpecificValues))) {
        setPlatformSpecificValues(values);
    }
    for (const LegacyField& field : kLegacyFields) {
        auto* entry = dynamic_cast<CCDictionary*>(dict->objectForKey(field.key));
        if (!entry) continue;
        const CCString* text = entry->valueForKey("value");
        if (text->length() == 0) continue;
        if (field.point) {
            m_legacy.*field.point = text->pointValue();
        } else if (field.number) {
            m_legacy.*field.number = text->floatValue();
        } else {
            m_legacy.*field.flag = text->boolValue();
        }
    }
}

CCDictionary* QVBaseModelGeneralSettings::toDictionary() const {
    CCDictionary* dict = QVModel::toDictionary();
    dict->setObject(m_platformSpecificValues, kPlatformSpecificValues);
    return dict;
}

std::string QVBaseModelGeneralSettings::platformValue(const std::string& platform, const std::string& key) const {
    auto* values = dynamic_cast<CCDictionary*>(m_platformSpecificValues->objectForKey(platform));
    return values ? values->valueForKey(key)->str() : std::string();
}

void QVBaseModelGeneralSettings::setPlatformSpecificValues(CCDictionary* values) {
    if (!values) values = CCDictionary::create();
    values->retain();  // first: the new dictionary may be the held one
    CC_SAFE_RELEASE(m_platformSpecificValues);
    m_platformSpecificValues = values;
}

const std::string& QVBaseModelGeneralSettings::zkVersion() const { return textOf(m_zkVersion); }

uint32_t QVBaseModelGeneralSettings::lastId() const { return m_lastId ? m_lastId->value() : 0; }

QVOrientation QVBaseModelGeneralSettings::orientation() const {
    return m_orientation ? m_orientation->value() : kQVOrientationPortrait;
}

QVObjectFrameEdgeState QVBaseModelGeneralSettings::edge(unsigned index) const {
    return index < kEdgeCount && m_edges[index] ? m_edges[index]->value() : kQVObjectFrameEdgeNone;
}

QVScreenAdjustment QVBaseModelGeneralSettings::screenAdjustment() const {
    return m_screenAdjustment ? m_screenAdjustment->value() : kQVScreenAdjustment0;
}

float QVBaseModelGeneralSettings::gameAngleDirection() const {
    return m_gameAngleDirection ? m_gameAngleDirection->value() : 0.0f;
}

cocos2d::CCRect QVBaseModelGeneralSettings::objectFrame() const {
    return m_objectFrame ? m_objectFrame->value() : cocos2d::CCRect();
}

cocos2d::CCSize QVBaseModelGeneralSettings::designSize() const {
    return m_designSize ? m_designSize->value() : cocos2d::CCSize();
}

const std::string& QVBaseModelGeneralSettings::scoreType() const { return textOf(m_scoreType); }
const std::string& QVBaseModelGeneralSettings::shareScreen() const { return textOf(m_shareScreen); }
const std::string& QVBaseModelGeneralSettings::versionNumber() const { return textOf(m_versionNumber); }
const std::string& QVBaseModelGeneralSettings::applicationName() const { return textOf(m_applicationName); }
const std::string& QVBaseModelGeneralSettings::comments() const { return textOf(m_comments); }
const std::string& QVBaseModelGeneralSettings::resetText() const { return textOf(m_resetText); }
const std::string& QVBaseModelGeneralSettings::notEnoughCurrencyText() const { return textOf(m_notEnoughCurrencyText); }
const std::string& QVBaseModelGeneralSettings::buildDate() const { return textOf(m_buildDate); }
const std::string& QVBaseModelGeneralSettings::userId() const { return textOf(m_userId); }

int QVBaseModelGeneralSettings::moveUpKey() const { return keyOf(m_moveUpKey); }
int QVBaseModelGeneralSettings::moveDownKey() const { return keyOf(m_moveDownKey); }
int QVBaseModelGeneralSettings::moveLeftKey() const { return keyOf(m_moveLeftKey); }
int QVBaseModelGeneralSettings::moveRightKey() const { return keyOf(m_moveRightKey); }
int QVBaseModelGeneralSettings::motorCWKey() const { return keyOf(m_motorCWKey); }
int QVBaseModelGeneralSettings::motorCCWKey() const { return keyOf(m_motorCCWKey); }
int QVBaseModelGeneralSettings::rotateLeftKey() const { return keyOf(m_rotateLeftKey); }
int QVBaseModelGeneralSettings::rotateRightKey() const { return keyOf(m_rotateRightKey); }
int QVBaseModelGeneralSettings::shootKey() const { return keyOf(m_shootKey); }
int QVBaseModelGeneralSettings::jumpKey() const { return keyOf(m_jumpKey); }

QVModelGeneralSettings::QVModelGeneralSettings(const std::string& name) : QVBaseModelGeneralSettings(name) {}

std::shared_ptr<QVModelGeneralSettings> QVModelGeneralSettings::shared() {
    std::shared_ptr<QVModelGeneralSettings>& instance = heldInstance();
    if (!instance) {
        instance.reset(new QVModelGeneralSettings(std::string()));
        QVModelController::shared()->addModel(instance, -1);
    }
    return instance;
}

void QVModelGeneralSettings::reset() {
    std::shared_ptr<QVModelGeneralSettings>& instance = heldInstance();
    if (!instance) return;
    // Taken out first: removal may reach code that asks for the instance.
    std::shared_ptr<QVModelGeneralSettings> former = std::move(instance);
    instance.reset();
    QVModelController::shared()->removeModel(former);
}

std::shared_ptr<QVModel> QVModelGeneralSettings::clone(bool deep, bool registerCopy) const {
    (void)deep;
    (void)registerCopy;
    return shared();
}
