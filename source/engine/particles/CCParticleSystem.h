// Particle emitters in gravity mode. A system is a node (not a sprite): it
// emits from its origin, simulates every particle each update and draws one
// quad per particle through the quad batcher (CCParticleSystemQuad).
//
// Random values come from the project generator (compat::rand), so seeded
// runs repeat exactly, headless and with GL alike.
#pragma once

#include <vector>

#include "gl/ccGLTypes.h"
#include "math/CCAffineTransform.h"
#include "math/CCGeometry.h"
#include "math/ccTypes.h"
#include "scene/CCNode.h"

namespace cocos2d {

class CCTexture2D;

// Where live particles stay when the emitter or its ancestors move.
enum tCCPositionType {
    kCCPositionTypeFree = 0,      // fixed in world space
    kCCPositionTypeRelative = 1,  // fixed in the emitter's parent space
    kCCPositionTypeGrouped = 2,   // move with the emitter
};

enum {
    kCCParticleModeGravity = 0,
    kCCParticleModeRadius = 1,
};

enum {
    kCCParticleDurationInfinity = -1,
    kCCParticleStartSizeEqualToEndSize = -1,
};

// One live particle. Positions, velocities and gravity are kept in the space
// its position type names; `origin` is the emitter's origin in that space at
// birth, the centre of the radial acceleration.
struct tCCParticle {
    CCPoint pos;
    CCPoint origin;
    CCPoint dir;
    CCPoint gravity;
    float radialAccel = 0;
    ccColor4F color;
    ccColor4F deltaColor;
    float size = 0;
    float deltaSize = 0;
    float rotation = 0;
    float deltaRotation = 0;
    float timeToLive = 0;
};

class CCParticleSystem : public CCNode {
public:
    // A corrupt count in game data must not allocate without limit.
    static constexpr int kMaxParticles = 10000;

    CCParticleSystem();
    ~CCParticleSystem() override;

    // An empty system (no particles allowed) until initWithTotalParticles.
    static CCParticleSystem* create();
    bool init() override;
    // Room for `count` particles: 0 or less gives an empty system that emits
    // nothing, more than kMaxParticles is clamped (logged). Schedules the
    // system's own update; an owner that unschedules it advances it through
    // update(dt) itself. Always succeeds.
    virtual bool initWithTotalParticles(int count);

    // Emits, then advances every particle by dt. dt 0 (or less, or not
    // finite) changes nothing.
    void update(float dt) override;

    // Live particles finish; nothing new is emitted.
    void stopSystem();
    // Every live particle goes at once and emission starts again from 0.
    void resetSystem();
    bool isActive() const { return m_bActive; }
    bool isFull() const { return m_particles.size() >= static_cast<size_t>(m_totalParticles); }
    unsigned int getParticleCount() const { return static_cast<unsigned int>(m_particles.size()); }

    // ---- properties
    void setTexture(CCTexture2D* texture);  // retained
    CCTexture2D* getTexture() const { return m_pTexture; }
    // Same bounds as initWithTotalParticles; extra live particles go.
    void setTotalParticles(int count);
    unsigned int getTotalParticles() const { return static_cast<unsigned int>(m_totalParticles); }
    // Particles per second; 0 emits nothing.
    void setEmissionRate(float rate);
    float getEmissionRate() const { return m_emissionRate; }
    // Additive blending is (SRC_ALPHA, ONE), the look exported effects were
    // tuned to; otherwise the texture's alpha mode picks the blend.
    void setBlendAdditive(bool additive);
    bool isBlendAdditive() const;
    void setBlendFunc(const ccBlendFunc& blend) { m_blendFunc = blend; }
    const ccBlendFunc& getBlendFunc() const { return m_blendFunc; }
    // Seconds of emission; -1 is endless.
    void setDuration(float duration) { m_duration = duration; }
    float getDuration() const { return m_duration; }
    // Only gravity mode exists; other modes are refused with a log line.
    void setEmitterMode(int mode);
    int getEmitterMode() const { return kCCParticleModeGravity; }
    void setPositionType(tCCPositionType type);
    tCCPositionType getPositionType() const { return m_positionType; }

    void setSourcePosition(const CCPoint& p) { m_sourcePosition = p; }
    const CCPoint& getSourcePosition() const { return m_sourcePosition; }
    void setPosVar(const CCPoint& v) { m_posVar = v; }
    const CCPoint& getPosVar() const { return m_posVar; }

    // End size -1 keeps each particle at its start size.
    void setStartSize(float v) { m_startSize = v; }
    float getStartSize() const { return m_startSize; }
    void setStartSizeVar(float v) { m_startSizeVar = v; }
    float getStartSizeVar() const { return m_startSizeVar; }
    void setEndSize(float v) { m_endSize = v; }
    float getEndSize() const { return m_endSize; }
    void setEndSizeVar(float v) { m_endSizeVar = v; }
    float getEndSizeVar() const { return m_endSizeVar; }

    // Degrees, clockwise.
    void setStartSpin(float v) { m_startSpin = v; }
    float getStartSpin() const { return m_startSpin; }
    void setStartSpinVar(float v) { m_startSpinVar = v; }
    float getStartSpinVar() const { return m_startSpinVar; }
    void setEndSpin(float v) { m_endSpin = v; }
    float getEndSpin() const { return m_endSpin; }
    void setEndSpinVar(float v) { m_endSpinVar = v; }
    float getEndSpinVar() const { return m_endSpinVar; }

    void setGravity(const CCPoint& g) { m_gravity = g; }
    const CCPoint& getGravity() const { return m_gravity; }
    void setRadialAccel(float v) { m_radialAccel = v; }
    float getRadialAccel() const { return m_radialAccel; }
    void setRadialAccelVar(float v) { m_radialAccelVar = v; }
    float getRadialAccelVar() const { return m_radialAccelVar; }
    void setSpeed(float v) { m_speed = v; }
    float getSpeed() const { return m_speed; }
    void setSpeedVar(float v) { m_speedVar = v; }
    float getSpeedVar() const { return m_speedVar; }
    // Degrees, counter-clockwise from +x.
    void setAngle(float v) { m_angle = v; }
    float getAngle() const { return m_angle; }
    void setAngleVar(float v) { m_angleVar = v; }
    float getAngleVar() const { return m_angleVar; }
    // Seconds.
    void setLife(float v) { m_life = v; }
    float getLife() const { return m_life; }
    void setLifeVar(float v) { m_lifeVar = v; }
    float getLifeVar() const { return m_lifeVar; }

    // Components are clamped to 0..1.
    void setStartColor(const ccColor4F& c);
    const ccColor4F& getStartColor() const { return m_startColor; }
    void setStartColorVar(const ccColor4F& c);
    const ccColor4F& getStartColorVar() const { return m_startColorVar; }
    void setEndColor(const ccColor4F& c);
    const ccColor4F& getEndColor() const { return m_endColor; }
    void setEndColorVar(const ccColor4F& c);
    const ccColor4F& getEndColorVar() const { return m_endColorVar; }

    // (ours) Inspection for tests and tools.
    const tCCParticle& getParticle(unsigned int index) const { return m_particles[index]; }
    // Where particle `index` is drawn, in world space.
    CCPoint getParticleWorldPosition(unsigned int index);

protected:
    // Particle space -> node space, for the current placement.
    CCAffineTransform particleToNodeTransform();
    const std::vector<tCCParticle>& particles() const { return m_particles; }

private:
    // Node space -> particle space, for the current placement.
    CCAffineTransform nodeToParticleTransform();
    void emitParticle(const CCAffineTransform& toParticleSpace);
    void chooseBlendForTexture();

    std::vector<tCCParticle> m_particles;
    int m_totalParticles = 0;
    float m_emissionRate = 0;
    float m_emitCounter = 0;
    float m_elapsed = 0;
    float m_duration = kCCParticleDurationInfinity;
    bool m_bActive = true;

    CCTexture2D* m_pTexture = nullptr;
    ccBlendFunc m_blendFunc;
    tCCPositionType m_positionType = kCCPositionTypeFree;

    CCPoint m_sourcePosition;
    CCPoint m_posVar;
    float m_startSize = 0, m_startSizeVar = 0;
    float m_endSize = kCCParticleStartSizeEqualToEndSize, m_endSizeVar = 0;
    float m_startSpin = 0, m_startSpinVar = 0;
    float m_endSpin = 0, m_endSpinVar = 0;
    CCPoint m_gravity;
    float m_radialAccel = 0, m_radialAccelVar = 0;
    float m_speed = 0, m_speedVar = 0;
    float m_angle = 0, m_angleVar = 0;
    float m_life = 0, m_lifeVar = 0;
    ccColor4F m_startColor, m_startColorVar;
    ccColor4F m_endColor, m_endColorVar;
};

// The system drawn as one textured quad per particle.
class CCParticleSystemQuad : public CCParticleSystem {
public:
    static CCParticleSystemQuad* create();
    void draw() override;

private:
    std::vector<ccV3F_C4B_T2F_Quad> m_quads;
};

}  // namespace cocos2d
