// QVPObjectImage: the sprite (or sprite animation) of an image model,
// following the model's animated position, rotation, scale and opacity; it
// can stick to a screen edge and fade itself out.
#pragma once

#include <memory>

#include "scene/CCNode.h"

namespace cocos2d {
class CCAction;
}

class QVModelObjectImage;

class QVPObjectImage : public cocos2d::CCNode {
public:
    // Autoreleased; `speed` and `loop` go to the sprite container's frame
    // animation. A model without a sprite gives an image without a child.
    static QVPObjectImage* create(std::shared_ptr<QVModelObjectImage> model, float speed, bool loop);
    ~QVPObjectImage() override;

    void update(float dt) override;
    // Restarts time and the frame animation; a started fade stays.
    virtual void restart();
    virtual void setAnimationState(int state) { m_animationState = state; }

    void pauseAnimation();
    void resumeAnimation();
    // Shows frame n (modulo the frame count) on every sprite child.
    void setFrame(int n);
    void stopAnimation();

    // Multiplies the animated opacity (an enclosing animation sets it).
    void setOpacityFactor(float factor) { m_opacityFactor = factor; }
    float opacityFactor() const { return m_opacityFactor; }
    const std::shared_ptr<QVModelObjectImage>& getModel() const { return m_model; }
    bool isFadedOut() const { return m_fadedOut; }
    float elapsedTime() const { return m_elapsed; }

private:
    QVPObjectImage() = default;
    void placeAt(float time);

    std::shared_ptr<QVModelObjectImage> m_model;
    bool m_fadedOut = false;
    float m_elapsed = 0.0f;
    cocos2d::CCAction* m_animation = nullptr;
    int m_animationState = 0;
    float m_opacityFactor = 1.0f;
};
