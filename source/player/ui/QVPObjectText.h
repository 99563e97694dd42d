// QVPObjectText: the runtime object of a label model, one line of bitmap
// text: a fixed text, or a live value (a score, the loading percentage, the
// character counts) rewritten every frame. It follows the model's animated
// position, rotation, scale and opacity and may fade itself out.
#pragma once

#include <memory>
#include <string>

#include "player/objects/QVPObject.h"

namespace cocos2d {
class CCLabelBMFont;
}

class QVModelObjectLabel;

class QVPObjectText : public QVPObject {
public:
    static constexpr int kLabelTag = 123;

    // Null for an empty model; else autoreleased.
    static QVPObjectText* create(std::shared_ptr<QVModelObjectLabel> model);
    explicit QVPObjectText(std::shared_ptr<QVModelObjectLabel> model);
    ~QVPObjectText() override;

    void update(float dt) override;
    // Restarts the animated attributes; a started fade stays.
    void reset() override { m_elapsed = 0.0f; }
    virtual void setAnimationState(int state) { m_animationState = state; }

    // The label node; null when the model's font gave none.
    cocos2d::CCLabelBMFont* label();
    const std::shared_ptr<QVModelObjectLabel>& labelModel() const { return m_labelModel; }
    float elapsedTime() const { return m_elapsed; }
    bool isFadedOut() const { return m_fadedOut; }

private:
    // The text of the kinds rewritten every frame; false for the others.
    bool liveText(std::string& text) const;
    std::string scoreText() const;

    std::shared_ptr<QVModelObjectLabel> m_labelModel;
    float m_elapsed = 0.0f;
    bool m_fadedOut = false;
    int m_animationState = 0;
};
