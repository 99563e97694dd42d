// QVPGameFieldCamera: the node that holds every object of a game field;
// moving it scrolls the view. Each update scrolls against the gameplay
// direction at the game speed, then keeps the target point inside the
// world's frame rectangle, where each frame edge either pushes the
// characters back, kills them, or lets the camera follow.
// Guarantees: without a model no edge rule applies (the camera follows the
// target into its zero frame); a target of exactly (0, 0) never replaces the
// previous one; a frame rectangle with a non-finite value counts as the
// whole window (logged), so no NaN reaches the position from the model.
#pragma once

#include <memory>

#include "math/CCGeometry.h"
#include "scene/CCNode.h"

class QVModelScreenScene;

class QVPGameFieldCamera : public cocos2d::CCNode {
public:
    // The visible rectangle reaches this far below the window (no banner
    // network of this platform reserves room).
    static constexpr float kAdMargin = -40.0f;

    // Autoreleased; null when the node cannot be initialised.
    static QVPGameFieldCamera* create();

    // Keeps the model and resets.
    void setModel(std::shared_ptr<QVModelScreenScene> model);
    const std::shared_ptr<QVModelScreenScene>& getModel() const { return m_model; }
    // With a model: the frame rectangle from its "Object Frame Rect" and the
    // current window size; no last move, no target. Without: nothing.
    void reset();

    // The point to keep in view, in the camera's coordinates.
    void setTargetOffset(const cocos2d::CCPoint& target);
    const cocos2d::CCPoint& getTargetOffset() const { return m_targetOffset; }
    // The characters' bounding rectangle.
    void setBounds(const cocos2d::CCRect& bounds) { m_bounds = bounds; }
    const cocos2d::CCRect& getBounds() const { return m_bounds; }
    // Position at the start of the last update minus the position after it.
    const cocos2d::CCPoint& getLastMove() const { return m_lastMove; }
    // Share of the correction applied per update (1 after construction).
    void setSmoothing(float smoothing) { m_smoothing = smoothing; }
    float getSmoothing() const { return m_smoothing; }
    // The world's frame rectangle in points.
    const cocos2d::CCRect& getScreenRect() const { return m_screenRect; }

    // x limited to [min x, max x] of rect and y likewise (the maximum first,
    // so the minimum wins for a rectangle of negative size).
    static cocos2d::CCPoint clampPoint(const cocos2d::CCPoint& point, const cocos2d::CCRect& rect);

    void update(float dt) override;

private:
    QVPGameFieldCamera() = default;

    cocos2d::CCPoint m_targetOffset;
    cocos2d::CCRect m_bounds;
    cocos2d::CCRect m_screenRect;
    cocos2d::CCPoint m_lastMove;
    std::shared_ptr<QVModelScreenScene> m_model;
    float m_smoothing = 1.0f;
};
