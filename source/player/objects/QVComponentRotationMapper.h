// QVComponentRotationMapper: shows its owner's body rotation as a frame of
// an animation (priority 3) instead of rotating the node.
//
// Guarantees: switches itself on at the first update with a positive step
// and off for a spawner owner; frame i of n is |angle| / 360 x n, wrapped to
// one turn; a negative angle counts back from n, so with i = 0 it asks for
// frame n, which the image wraps to 0. A non-finite angle shows frame 0.
#pragma once

#include <cstdint>

#include "player/objects/QVComponent.h"

class QVPAnimationObject;

class QVComponentRotationMapper : public QVComponent {
public:
    static QVComponent* build() { return new QVComponentRotationMapper(); }
    ~QVComponentRotationMapper() override;

    void update(float dt) override;
    void setOwner(QVPObject* owner) override;
    void onStateChanged() override;
    void onTransformChanged() override;
    void setActive(bool active) override;

    // The frame for `degrees` with `frames` frames (above 0).
    static int64_t frameFor(float degrees, int frames);

    QVPAnimationObject* mapAnimation() const { return m_mapAnimation; }

private:
    void takeOff();

    QVPAnimationObject* m_mapAnimation = nullptr;
    bool m_firstUpdate = true;
};
