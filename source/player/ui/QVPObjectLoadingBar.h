// QVPObjectLoadingBar: the loading screen's progress bar, an outlined
// 400 x 4 rectangle filled in proportion to the loading percentage. It
// draws in its parent's coordinates, after its own visit, also while
// hidden.
#pragma once

#include <memory>

#include "math/CCGeometry.h"
#include "scene/CCNode.h"

class QVModelObjectLoadingBar;

class QVPObjectLoadingBar : public cocos2d::CCNode {
public:
    struct Rectangle {
        cocos2d::CCPoint origin;
        cocos2d::CCPoint destination;
    };
    struct BarRectangles {
        Rectangle outline;
        Rectangle fill;
    };

    // Autoreleased.
    static QVPObjectLoadingBar* create(std::shared_ptr<QVModelObjectLoadingBar> model);
    ~QVPObjectLoadingBar() override;

    // Outline and fill around the node's position for progress 0..1
    // (clamped; not a number counts as 0).
    BarRectangles barRectangles(float progress) const;

    void update(float dt) override;
    // Only follows the model; the bar is drawn by visit.
    void draw() override;
    void visit() override;
    virtual void reset() { m_elapsed = 0.0f; }
    virtual void setAnimationState(int state) { m_animationState = state; }

    const std::shared_ptr<QVModelObjectLoadingBar>& getModel() const { return m_model; }

private:
    QVPObjectLoadingBar() = default;
    void placeAt(float time);
    void drawBar(float progress);

    std::shared_ptr<QVModelObjectLoadingBar> m_model;
    float m_elapsed = 0.0f;
    int m_animationState = 0;
};
