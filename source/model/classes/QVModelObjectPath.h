// QVModelObjectPath: a guide of points along which the game field's path
// object carries the objects it captures. QVModelObjectScreenJump: a trigger
// that follows the flow-graph link named by its "Name" when a character
// reaches it.
// Guarantees: a pack replaces the path's points, a dictionary appends to
// them; a "points" entry of another shape raises msgpack::type_error. A
// screen jump owns a 60 x 60 box; its copy gets a fresh one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/CCGeometry.h"
#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelOwnShape.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

#define QV_PATH_ATTRIBUTES(X)                                 \
    X(QVAttributeFloat, searchRadius, "Search Radius")        \
    X(QVAttributeFloat, speed, "Speed")                       \
    X(QVAttributeFloat, attractionForce, "Attraction Force")  \
    X(QVAttributeBool, keepVelocity, "Keep Velocity")         \
    X(QVAttributeBool, imageDirection, "Image Direction")     \
    X(QVAttributeStringList, playMode, "Play Mode")           \
    X(QVAttributeStringList, affectedAsset, "Affected Asset") \
    X(QVAttributeStringList, objectAsset, "Object Asset")     \
    X(QVAttributeStringList, imageTransition, "Image Transition")

class QVBaseModelObjectPath : public QVModelObjectAsset {
public:
    // In pixels, relative to the path, in order.
    const std::vector<cocos2d::CCPoint>& points() const { return m_points; }
    float searchRadius() const;
    float speed() const;
    // 0..100.
    float attractionForce() const;
    bool keepVelocity() const;
    bool imageDirection() const;
    // "kPlayModeSingle", "kPlayModeLoop", "kPlayModePingPong".
    const std::string& playMode() const;
    // "kAll", "kCharacter", "kAssets".
    const std::string& affectedAsset() const;
    // 0 when "Object Asset" does not start with a number.
    uint32_t objectAssetId() const;
    // Compared with "kFlip".
    const std::string& imageTransition() const;

    void collectKeys() override;
    void pack(QVPackMap& map) override;
    // Replaces the points when the map holds "points".
    void unpack(const QVPackMap& map) override;
    // Appends the dictionary's points to those held.
    void fromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* toDictionary() const override;

    QV_PLACEHOLDER_SIZE(30.0f)

protected:
    explicit QVBaseModelObjectPath(const std::string& name);
    QVBaseModelObjectPath(const QVBaseModelObjectPath& source);

    QV_PATH_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
    std::vector<cocos2d::CCPoint> m_points;
};

class QVModelObjectPath : public QVBaseModelObjectPath {
    QV_MODEL_GLUE(QVModelObjectPath, "Path", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectPath(const std::string& name);
    QVModelObjectPath(const QVModelObjectPath& source);
};

#define QV_SCREEN_JUMP_ATTRIBUTES(X)               \
    X(QVAttributeStringList, function, "Function") \
    X(QVAttributeBool, pauseCurrentWorld, "Pause Current World")

class QVModelObjectScreenJump : public QVModelObjectAsset {
    QV_MODEL_GLUE(QVModelObjectScreenJump, "Menu Jump", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
    QV_OWN_BOX(60.0f)
    explicit QVModelObjectScreenJump(const std::string& name);
    QVModelObjectScreenJump(const QVModelObjectScreenJump& source);

    // "kStartKeepScores", "kStartCheckpointJump" or another value.
    const std::string& function() const;
    bool pauseCurrentWorld() const;

protected:
    QV_SCREEN_JUMP_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};
