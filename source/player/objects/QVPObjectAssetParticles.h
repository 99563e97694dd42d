// QVPObjectAssetParticles: a particle effect, one engine particle system per
// emitter model. The systems live in the game layer when the object has one
// (particles stay behind in the world as the object moves) and inside the
// object otherwise. They are taken off the scheduler: in the game layer the
// object's update and the camera's pass both advance them (twice per tick,
// as authored effects were tuned); inside the object its child loop
// advances them once per update.
//
// Guarantees: systems are kept and walked in the emitter list's order, so a
// seeded run emits the same particles every time; an emitter without a
// texture makes no system; the destructor takes every system off its parent.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "math/CCGeometry.h"
#include "player/objects/QVPObjectAsset.h"

namespace cocos2d {
class CCParticleSystemQuad;
}
class QVModelObjectParticlesEmitter;

class QVPObjectAssetParticles : public QVPObjectAsset {
public:
    using EmitterModel = std::shared_ptr<QVModelObjectParticlesEmitter>;

    explicit QVPObjectAssetParticles(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAssetParticles() override;

    // The factory's builder: a new object with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    void createEmitter(const EmitterModel& emitter);
    // The engine's resetSystem / stopSystem on every system.
    void resetEmitters();
    void stopEmitters();

    void setGameLayer(cocos2d::CCNode* gameLayer) override;
    // Colours and their variations times `factor`.
    void setAnimationSpeed(float factor) override;
    bool isOnScreen() override { return true; }
    // In the game layer: every emission rate is "Emission Rate", or 0 when
    // hidden (live particles run out).
    void setVisible(bool visible) override;
    void update(float dt) override;

    // The system made for `emitter`, or null.
    cocos2d::CCParticleSystemQuad* systemOf(const EmitterModel& emitter) const;
    std::size_t systemCount() const { return m_emitters.size(); }

private:
    void place(cocos2d::CCParticleSystemQuad* system, const EmitterModel& emitter);
    void applyColours(cocos2d::CCParticleSystemQuad* system, const EmitterModel& emitter, float factor);
    // The emitter's "Position" in the game layer's space.
    cocos2d::CCPoint positionInLayer(const EmitterModel& emitter);

    // Each system retained once.
    std::vector<std::pair<EmitterModel, cocos2d::CCParticleSystemQuad*>> m_emitters;
    bool m_zDirty = false;
};
