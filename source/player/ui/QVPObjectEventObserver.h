// QVPObjectEventObserver: an invisible object of a menu or HUD screen that
// watches one game event or score limit ("Event Type") every frame and,
// when it occurs, makes the screen manager's current UI screen open the
// connection named like the observer model.
//
// Guarantees: "kSecondPlay", "kRequestReview" and "kLastScene" are judged
// once (the first update with a UI screen); every other event opens again on
// each update while it holds, and the UI screen ignores opens once closing.
// The opened screen may replace the observer's own screen, and so the
// observer, during its update: nothing of either is touched after the open.
// A review interval of 0 never requests; an unknown type does nothing.
#pragma once

#include <memory>

#include "scene/CCNode.h"

class QVModelObjectEventObserver;
class QVPScreenUi;

class QVPObjectEventObserver : public cocos2d::CCNode {
public:
    // Autoreleased; armed, then given the model.
    static QVPObjectEventObserver* create(std::shared_ptr<QVModelObjectEventObserver> model);

    // Also starts the time-out from "Time" (milliseconds).
    virtual void setModel(std::shared_ptr<QVModelObjectEventObserver> model);
    void update(float dt) override;

    const std::shared_ptr<QVModelObjectEventObserver>& getModel() const { return m_model; }
    bool isArmed() const { return m_armed; }
    float timeLeft() const { return m_timeLeft; }

protected:
    QVPObjectEventObserver() = default;
    // The UI screen's openConnection of the model's "Name".
    virtual void open(QVPScreenUi& ui, int pendingFlags, int hudMode, int keepScores);

private:
    // The event of the model's type holds now; one-shot events disarm here.
    bool occurred(const QVPScreenUi& ui, float dt);
    // "kSecondPlay" or "kRequestReview" on the UI screen's played count.
    bool judgePlays(const QVPScreenUi& ui, bool secondPlay) const;

    std::shared_ptr<QVModelObjectEventObserver> m_model;
    bool m_armed = true;
    float m_timeLeft = 0.0f;
};
