// QVModelScreenScene: a world, the screen a game field is built from: the
// physics and gameplay values, camera, deletion thresholds, the object frame
// and its level sections (its children of exact class QVModelLevelSection,
// in the order they were added, never packed).
// A forced-movement child overrides the three game-speed values and a
// deletion-threshold child the two thresholds. After a connections read the
// first child of each class in child order is held; a later add replaces
// it; removing the held one brings back the world's own values.
// A deep copy re-links each group character of a later section to the init
// section's character of the same "Z Depth".
// screenSceneForKey never fails: an unknown key makes, registers and logs an
// empty world with that key.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "math/CCGeometry.h"
#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVChildList.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelScreen.h"
#include "model/core/QVAttributeEnum.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

class QVModelComponentDeletionThreshold;
class QVModelComponentForcedMovement;

#define QV_SCREEN_SCENE_ATTRIBUTES(X)                                       \
    X(QVAttributePoint, gravity, "Gravity")                                 \
    X(QVAttributeFloat, timeWarp, "Time Warp")                              \
    X(QVAttributeFloat, gameSpeedMin, "Game Speed Min")                     \
    X(QVAttributeFloat, gameSpeedMax, "Game Speed Max")                     \
    X(QVAttributeFloat, speedIncrease, "Speed Increase")                    \
    X(QVAttributeFloat, friction, "Friction")                               \
    X(QVAttributeFloat, velocityDrag, "Velocity Drag")                      \
    X(QVAttributeFloat, bounce, "Bounce")                                   \
    X(QVAttributeFloat, scoreMultiplier, "Score Multiplier")                \
    X(QVAttributeFloat, gameDirection, "Game Direction")                    \
    X(QVAttributeFloat, cameraSmooth, "Camera Smooth")                      \
    X(QVAttributeBool, alignCameraBorders, "Align Camera Borders")          \
    X(QVAttributeFloat, backDeletionThreshold, "Back Deletion Threshold")   \
    X(QVAttributeFloat, sidesDeletionThreshold, "Sides Deletion Threshold") \
    X(QVAttributeRect, objectFrameRect, "Object Frame Rect")                \
    X(QVAttributeFrameEdgeState, objectFrameState1, "Object Frame State 1") \
    X(QVAttributeFrameEdgeState, objectFrameState2, "Object Frame State 2") \
    X(QVAttributeFrameEdgeState, objectFrameState3, "Object Frame State 3") \
    X(QVAttributeFrameEdgeState, objectFrameState4, "Object Frame State 4")

class QVBaseModelScreenScene : public QVModelScreen {
public:
    // Base values; the three game speeds and the two thresholds come from
    // the held component when there is one.
    const cocos2d::CCPoint& gravity() const;
    float timeWarp() const;
    float gameSpeedMin() const;
    float gameSpeedMax() const;
    float speedIncrease() const;
    float friction() const;
    float velocityDrag() const;
    float bounce() const;
    float scoreMultiplier() const;
    float gameDirection() const;
    float cameraSmooth() const;
    bool alignCameraBorders() const;
    float backDeletionThreshold() const;
    float sidesDeletionThreshold() const;
    const cocos2d::CCRect& objectFrameRect() const;
    // Edge 0 to 3: upper, right, lower, left; 0 for 4 and above.
    int objectFrameState(unsigned edge) const;

    const std::shared_ptr<QVModelComponentForcedMovement>& forcedMovement() const { return m_forcedMovement; }
    const std::shared_ptr<QVModelComponentDeletionThreshold>& deletionThreshold() const { return m_deletionThreshold; }
    const std::vector<std::shared_ptr<QVModelLevelSection>>& levelSections() const { return m_levelSections.items(); }
    // The first section with "Init Section" set; empty when none.
    std::shared_ptr<QVModelLevelSection> initSection() const;

    void unpackConnections(const QVPackMap& map) override;
    void connectionsFromDictionary(cocos2d::CCDictionary* dict) override;
    void copyChildren(const std::shared_ptr<QVModel>& source, bool deep, bool registerCopies, bool silent) override;
    void childAdded(const std::shared_ptr<QVModel>& child) override;
    void childRemoved(const std::shared_ptr<QVModel>& child) override;
    void childrenCleared() override;
    // Also the direct children of the sections (not deeper).
    bool contains(const std::shared_ptr<QVModel>& model) const override;
    // The world's own objects, then each section's, section by section.
    using QVModelScreen::objects;
    std::vector<std::shared_ptr<QVModelObject>> objects() const override;

protected:
    explicit QVBaseModelScreenScene(const std::string& name);
    QVBaseModelScreenScene(const QVBaseModelScreenScene& source);

    QV_SCREEN_SCENE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)

private:
    // The first child of each component class, or empty.
    void holdFirstComponents();
    // Group characters of the later sections become the init section's
    // character of the same "Z Depth".
    void relinkGroupCharacters();

    std::shared_ptr<QVModelComponentForcedMovement> m_forcedMovement;
    std::shared_ptr<QVModelComponentDeletionThreshold> m_deletionThreshold;
    QVChildList<QVModelLevelSection, QVChildMatch::kExactClass> m_levelSections;
};

class QVModelScreenScene : public QVBaseModelScreenScene {
    QV_MODEL_GLUE(QVModelScreenScene, "", QVModelScreen, QVModelCompound, QVModel)
public:
    explicit QVModelScreenScene(const std::string& name);
    QVModelScreenScene(const QVModelScreenScene& source);

    // The first registered world with that key; an unknown key gives a new
    // registered world (logged).
    static std::shared_ptr<QVModelScreenScene> screenSceneForKey(const std::string& key);
};
