// Model builders for the light, mirror and particles tests (registered with
// the model controller, as a loaded game's models are).
#pragma once

#include <memory>

#include "math/CCGeometry.h"
#include "math/ccTypes.h"

class QVModelObjectLight;
class QVModelObjectMirror;
class QVModelObjectParticles;
class QVModelObjectParticlesEmitter;
class QVModelSpriteContainer;

namespace fieldfixtures {

// "Color" on 0..255.
std::shared_ptr<QVModelObjectLight> lightPlacement(const cocos2d::CCPoint& position, float radius, bool castShadow,
                                                   const cocos2d::ccColor4F& color = {255, 200, 0, 255});
std::shared_ptr<QVModelObjectMirror> mirrorPlacement(const cocos2d::CCPoint& position, const cocos2d::CCPoint& scale,
                                                     const cocos2d::ccColor4F& color = {128, 128, 255, 255});
std::shared_ptr<QVModelObjectParticles> particlesPlacement(const cocos2d::CCPoint& position);
// An emitter of `particles` at `position`: "Total Particles" 300, "Emission
// Rate" 100, "Life" 1, "Speed" 60 +- 20, "Angle" 90 +- 180, sizes 8, red
// "Color" keys 0 and 1, free position type; no "Texture" when null.
std::shared_ptr<QVModelObjectParticlesEmitter> particlesEmitter(
    const std::shared_ptr<QVModelObjectParticles>& particles, const std::shared_ptr<QVModelSpriteContainer>& texture,
    const cocos2d::CCPoint& position = {0, 0});

}  // namespace fieldfixtures
