// QVModelGeneralSettings: the one settings model of a game (design size and
// orientation, key bindings, texts, the author's User ID, per-platform free
// values and the legacy physics values).
// Guarantees: at most one instance is held; shared() builds and registers it
// on first use, reset() unregisters and drops it (readers keep what they
// hold), clone() returns the held instance. The create function registered
// for packs is shared(), so loading a pack fills the single instance.
// platformSpecificValues (platform name -> key name -> text) travels in the
// pack and dictionary forms; a pack entry under a key number the key table
// lacks is skipped and logged, and the rest of the map still loads. The legacy
// physics values are read only from the dictionary form: packs never carry
// them, so a pack-loaded game runs on their defaults.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "math/CCGeometry.h"
#include "model/core/QVAttributeEnum.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"
#include "model/core/QVSettingsModel.h"

namespace cocos2d {
class CCDictionary;
}  // namespace cocos2d

class QVBaseModelGeneralSettings : public QVSettingsModel {
public:
    // The two enumeration attributes, under the names the settings use.
    using QVAttributeOrientation = ::QVAttributeOrientation;
    using QVAttributeScreenAdjustment = ::QVAttributeScreenAdjustment;

    static constexpr unsigned kEdgeCount = 4;

    ~QVBaseModelGeneralSettings() override;

    // QVModel's keys, then "platformSpecificValues" and every platform and
    // key name of the dictionary.
    void collectKeys() override;
    // QVModel's entries, then "platformSpecificValues" (always, even empty).
    void pack(QVPackMap& map) override;
    // A present "platformSpecificValues" replaces the dictionary as a whole
    // (an empty map empties it); an absent one keeps it. A platform or value
    // that is not a map or text raises msgpack::type_error and keeps the old
    // dictionary.
    void unpack(const QVPackMap& map) override;
    // QVModel's part, then "platformSpecificValues" (shared, not copied) and
    // the legacy values present with a non-empty "value".
    void fromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* toDictionary() const override;

    // Attribute values.
    const std::string& zkVersion() const;
    uint32_t lastId() const override;
    QVOrientation orientation() const;
    QVObjectFrameEdgeState edge(unsigned index) const;  // kQVObjectFrameEdgeNone past the last edge
    QVScreenAdjustment screenAdjustment() const;
    float gameAngleDirection() const;
    cocos2d::CCRect objectFrame() const;
    cocos2d::CCSize designSize() const;
    const std::string& scoreType() const;
    const std::string& shareScreen() const;
    const std::string& versionNumber() const;
    const std::string& applicationName() const;
    const std::string& comments() const;
    const std::string& resetText() const;
    const std::string& notEnoughCurrencyText() const;
    const std::string& buildDate() const;
    const std::string& userId() const override;
    QVAttributeSprite* icon() const { return m_icon; }
    int moveUpKey() const;
    int moveDownKey() const;
    int moveLeftKey() const;
    int moveRightKey() const;
    int motorCWKey() const;
    int motorCCWKey() const;
    int rotateLeftKey() const;
    int rotateRightKey() const;
    int shootKey() const;
    int jumpKey() const;

    // Platform name -> dictionary of key name -> CCString. Never null.
    cocos2d::CCDictionary* platformSpecificValues() const { return m_platformSpecificValues; }
    // The text under platform and key, empty when either is missing.
    std::string platformValue(const std::string& platform, const std::string& key) const;
    // Replaces the dictionary (retained; null gives an empty one).
    void setPlatformSpecificValues(cocos2d::CCDictionary* values);

    // The legacy physics values.
    const cocos2d::CCPoint& gravity() const { return m_legacy.gravity; }
    const cocos2d::CCPoint& moveSpeed() const { return m_legacy.moveSpeed; }
    const cocos2d::CCPoint& bounceForce() const { return m_legacy.bounceForce; }
    const cocos2d::CCPoint& jump() const { return m_legacy.jump; }
    const cocos2d::CCPoint& characterFriction() const { return m_legacy.characterFriction; }
    float jumpTimeout() const { return m_legacy.jumpTimeout; }
    float jumpCounter() const { return m_legacy.jumpCounter; }
    float jumpGroundThreshold() const { return m_legacy.jumpGroundThreshold; }
    float leftLeanForce() const { return m_legacy.leftLeanForce; }
    float rightLeanForce() const { return m_legacy.rightLeanForce; }
    float simulationTimeScale() const { return m_legacy.simulationTimeScale; }
    float friction() const { return m_legacy.friction; }
    float velocityScale() const { return m_legacy.velocityScale; }
    float rotationScale() const { return m_legacy.rotationScale; }
    float restitution() const { return m_legacy.restitution; }
    float platformFriction() const { return m_legacy.platformFriction; }
    float scoreMultiplier() const { return m_legacy.scoreMultiplier; }
    float backDeletionThreshold() const { return m_legacy.backDeletionThreshold; }
    float sidesDeletionThreshold() const { return m_legacy.sidesDeletionThreshold; }
    float gameSpeedMin() const { return m_legacy.gameSpeedMin; }
    float gameSpeedMax() const { return m_legacy.gameSpeedMax; }
    float gameSpeedIncrease() const { return m_legacy.gameSpeedIncrease; }
    float gameSpeedCurrent() const { return m_legacy.gameSpeedCurrent; }
    bool jumpFromGround() const { return m_legacy.jumpFromGround; }
    bool fixedRotation() const { return m_legacy.fixedRotation; }
    bool fixedPosition() const { return m_legacy.fixedPosition; }
    bool forcedMovement() const { return m_legacy.forcedMovement; }
    bool autoImageDirection() const { return m_legacy.autoImageDirection; }

    struct LegacyValues {
        cocos2d::CCPoint gravity{0.0f, -50.0f};
        cocos2d::CCPoint moveSpeed{0.0f, 0.0f};
        cocos2d::CCPoint bounceForce{0.0f, 0.0f};
        cocos2d::CCPoint jump{0.0f, 5.0f};
        cocos2d::CCPoint characterFriction{0.8f, 1.0f};
        float jumpTimeout = 0.25f;
        float jumpCounter = 0.0f;
        float jumpGroundThreshold = 0.01f;
        float leftLeanForce = 0.0f;
        float rightLeanForce = 0.0f;
        float simulationTimeScale = 1.0f;
        float friction = 0.0f;
        float velocityScale = 1.0f;
        float rotationScale = 1.0f;
        float restitution = 0.0f;
        float platformFriction = 1.0f;
        float scoreMultiplier = 0.0f;
        float backDeletionThreshold = 300.0f;
        float sidesDeletionThreshold = 550.0f;
        float gameSpeedMin = 3.0f;
        float gameSpeedMax = 10.0f;
        float gameSpeedIncrease = 0.1f;
        float gameSpeedCurrent = 3.0f;
        bool jumpFromGround = false;
        bool fixedRotation = false;
        bool fixedPosition = false;
        bool forcedMovement = true;
        bool autoImageDirection = false;
    };
    const LegacyValues& legacyValues() const { return m_legacy; }

protected:
    explicit QVBaseModelGeneralSettings(const std::string& name);
    QVBaseModelGeneralSettings(const QVBaseModelGeneralSettings&) = delete;

    QVAttributeString* m_zkVersion = nullptr;
    QVAttributeUInt* m_lastId = nullptr;
    QVAttributeOrientation* m_orientation = nullptr;
    QVAttributeFrameEdgeState* m_edges[kEdgeCount] = {};
    QVAttributeScreenAdjustment* m_screenAdjustment = nullptr;
    QVAttributeFloat* m_gameAngleDirection = nullptr;
    QVAttributeRect* m_objectFrame = nullptr;
    QVAttributeSize* m_designSize = nullptr;
    QVAttributeString* m_scoreType = nullptr;
    QVAttributeString* m_shareScreen = nullptr;
    QVAttributeString* m_versionNumber = nullptr;
    QVAttributeString* m_applicationName = nullptr;
    QVAttributeString* m_comments = nullptr;
    QVAttributeString* m_resetText = nullptr;
    QVAttributeString* m_notEnoughCurrencyText = nullptr;
    QVAttributeString* m_buildDate = nullptr;
    QVAttributeString* m_userId = nullptr;
    QVAttributeSprite* m_icon = nullptr;
    QVAttributeKey* m_moveUpKey = nullptr;
    QVAttributeKey* m_moveDownKey = nullptr;
    QVAttributeKey* m_moveLeftKey = nullptr;
    QVAttributeKey* m_moveRightKey = nullptr;
    QVAttributeKey* m_motorCWKey = nullptr;
    QVAttributeKey* m_motorCCWKey = nullptr;
    QVAttributeKey* m_rotateLeftKey = nullptr;
    QVAttributeKey* m_rotateRightKey = nullptr;
    QVAttributeKey* m_shootKey = nullptr;
    QVAttributeKey* m_jumpKey = nullptr;

    cocos2d::CCDictionary* m_platformSpecificValues = nullptr;
    LegacyValues m_legacy;
};

class QVModelGeneralSettings : public QVBaseModelGeneralSettings {
    QV_MODEL_IDENTITY(QVModelGeneralSettings, QVModel)
public:
    // The held instance; built with the defaults and registered when none is.
    static std::shared_ptr<QVModelGeneralSettings> shared();
    // Unregisters and drops the held instance; the next shared() builds anew.
    static void reset();
    // The registered factory: the held instance.
    static std::shared_ptr<QVModelGeneralSettings> create() { return shared(); }
    // The held instance itself, whatever the flags.
    std::shared_ptr<QVModel> clone(bool deep, bool registerCopy) const override;

private:
    explicit QVModelGeneralSettings(const std::string& name);
};
