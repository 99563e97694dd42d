#include "particles/CCParticleSystem.h"

#include <algorithm>
#include <cmath>

#include "actions/CCScheduler.h"
#include "gl/QuadBatcher.h"
#include "platform/CCCommon.h"
#include "platform/RandomAndClock.h"
#include "textures/CCTexture2D.h"

namespace cocos2d {

namespace {

constexpr float kPi = 3.14159265358979323846f;

// -1 .. 1 from the project generator.
float randomMinus1To1() { return static_cast<float>(compat::rand()) / compat::RandMax * 2.0f - 1.0f; }

float clamp01(float v) {
    if (!(v > 0)) return 0;  // NaN as well
    return v > 1 ? 1 : v;
}

ccColor4F clamp01(const ccColor4F& c) { return ccc4f(clamp01(c.r), clamp01(c.g), clamp01(c.b), clamp01(c.a)); }

CCPoint applyLinear(const CCAffineTransform& t, const CCPoint& v) {
    return CCPoint(t.a * v.x + t.c * v.y, t.b * v.x + t.d * v.y);
}

// A zero scale somewhere above the system leaves nothing to show; that is
// not worth a log line every frame.
bool invertQuietly(const CCAffineTransform& t, CCAffineTransform* out) {
    const float det = t.a * t.d - t.b * t.c;
    if (!(std::fabs(det) > 1e-12f)) return false;
    *out = CCAffineTransformInvert(t);
    return true;
}

int boundedCount(int count) {
    if (count <= 0) return 0;
    if (count > CCParticleSystem::kMaxParticles) {
        CCLog("[CCParticleSystem] %d particles requested; clamped to %d", count, CCParticleSystem::kMaxParticles);
        return CCParticleSystem::kMaxParticles;
    }
    return count;
}

}  // namespace

CCParticleSystem::CCParticleSystem() {}

CCParticleSystem::~CCParticleSystem() { CC_SAFE_RELEASE(m_pTexture); }

CCParticleSystem* CCParticleSystem::create() {
    auto* system = new CCParticleSystem();
    if (!system->init()) {
        delete system;
        return nullptr;
    }
    system->autorelease();
    return system;
}

bool CCParticleSystem::init() { return CCNode::init(); }

bool CCParticleSystem::initWithTotalParticles(int count) {
    m_totalParticles = boundedCount(count);
    m_particles.clear();
    m_particles.shrink_to_fit();
    m_particles.reserve(static_cast<size_t>(m_totalParticles));
    m_emitCounter = 0;
    m_elapsed = 0;
    m_bActive = true;
    if (!isBlendAdditive()) chooseBlendForTexture();
    if (!getScheduler()->isUpdateScheduled(this)) scheduleUpdateWithPriority(1);
    return true;
}

void CCParticleSystem::setTotalParticles(int count) {
    m_totalParticles = boundedCount(count);
    if (m_particles.size() > static_cast<size_t>(m_totalParticles)) m_particles.resize(m_totalParticles);
    m_particles.reserve(static_cast<size_t>(m_totalParticles));
}

void CCParticleSystem::setEmissionRate(float rate) { m_emissionRate = std::isfinite(rate) && rate > 0 ? rate : 0; }

void CCParticleSystem::setTexture(CCTexture2D* texture) {
    if (texture == m_pTexture) return;
    CC_SAFE_RETAIN(texture);
    CC_SAFE_RELEASE(m_pTexture);
    m_pTexture = texture;
    if (!isBlendAdditive()) chooseBlendForTexture();
}

void CCParticleSystem::chooseBlendForTexture() {
    if (m_pTexture && !m_pTexture->hasPremultipliedAlpha()) {
        m_blendFunc = ccBlendFuncMake(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        m_blendFunc = ccBlendFuncMake(CC_BLEND_SRC, CC_BLEND_DST);
    }
}

void CCParticleSystem::setBlendAdditive(bool additive) {
    if (additive) {
        m_blendFunc = ccBlendFuncMake(GL_SRC_ALPHA, GL_ONE);
    } else {
        chooseBlendForTexture();
    }
}

bool CCParticleSystem::isBlendAdditive() const { return m_blendFunc.src == GL_SRC_ALPHA && m_blendFunc.dst == GL_ONE; }

void CCParticleSystem::setEmitterMode(int mode) {
    if (mode != kCCParticleModeGravity) {
        CCLogOnce("[CCParticleSystem] emitter mode %d is not supported; gravity mode kept", mode);
    }
}

void CCParticleSystem::setPositionType(tCCPositionType type) {
    if (type != kCCPositionTypeFree && type != kCCPositionTypeRelative && type != kCCPositionTypeGrouped) {
        CCLog("[CCParticleSystem] position type %d unknown; free used", static_cast<int>(type));
        type = kCCPositionTypeFree;
    }
    m_positionType = type;
}

void CCParticleSystem::setStartColor(const ccColor4F& c) { m_startColor = clamp01(c); }
void CCParticleSystem::setStartColorVar(const ccColor4F& c) { m_startColorVar = clamp01(c); }
void CCParticleSystem::setEndColor(const ccColor4F& c) { m_endColor = clamp01(c); }
void CCParticleSystem::setEndColorVar(const ccColor4F& c) { m_endColorVar = clamp01(c); }

void CCParticleSystem::stopSystem() {
    m_bActive = false;
    m_emitCounter = 0;
}

void CCParticleSystem::resetSystem() {
    m_bActive = true;
    m_elapsed = 0;
    m_emitCounter = 0;
    m_particles.clear();
}

CCAffineTransform CCParticleSystem::nodeToParticleTransform() {
    switch (m_positionType) {
        case kCCPositionTypeFree:
            return nodeToWorldTransform();
        case kCCPositionTypeRelative:
            return nodeToParentTransform();
        case kCCPositionTypeGrouped:
            break;
    }
    return CCAffineTransformIdentity;
}

CCAffineTransform CCParticleSystem::particleToNodeTransform() {
    CCAffineTransform inverse = CCAffineTransformIdentity;
    if (!invertQuietly(nodeToParticleTransform(), &inverse)) {
        // Nothing can be shown; keep the particles where they are.
        return CCAffineTransformMake(0, 0, 0, 0, 0, 0);
    }
    return inverse;
}

CCPoint CCParticleSystem::getParticleWorldPosition(unsigned int index) {
    if (index >= m_particles.size()) return CCPointZero;
    CCPoint inNode = CCPointApplyAffineTransform(m_particles[index].pos, particleToNodeTransform());
    return CCPointApplyAffineTransform(inNode, nodeToWorldTransform());
}

void CCParticleSystem::emitParticle(const CCAffineTransform& toParticleSpace) {
    tCCParticle p;
    // The draw order below is fixed, so a seeded run repeats exactly.
    p.timeToLive = std::max(0.0f, m_life + m_lifeVar * randomMinus1To1());
    CCPoint source(m_sourcePosition.x + m_posVar.x * randomMinus1To1(),
                   m_sourcePosition.y + m_posVar.y * randomMinus1To1());

    ccColor4F start, end;
    start.r = clamp01(m_startColor.r + m_startColorVar.r * randomMinus1To1());
    start.g = clamp01(m_startColor.g + m_startColorVar.g * randomMinus1To1());
    start.b = clamp01(m_startColor.b + m_startColorVar.b * randomMinus1To1());
    start.a = clamp01(m_startColor.a + m_startColorVar.a * randomMinus1To1());
    end.r = clamp01(m_endColor.r + m_endColorVar.r * randomMinus1To1());
    end.g = clamp01(m_endColor.g + m_endColorVar.g * randomMinus1To1());
    end.b = clamp01(m_endColor.b + m_endColorVar.b * randomMinus1To1());
    end.a = clamp01(m_endColor.a + m_endColorVar.a * randomMinus1To1());

    float startSize = std::max(0.0f, m_startSize + m_startSizeVar * randomMinus1To1());
    float endSize = startSize;
    if (m_endSize != kCCParticleStartSizeEqualToEndSize) {
        endSize = std::max(0.0f, m_endSize + m_endSizeVar * randomMinus1To1());
    }
    float startSpin = m_startSpin + m_startSpinVar * randomMinus1To1();
    float endSpin = m_endSpin + m_endSpinVar * randomMinus1To1();

    float angle = (m_angle + m_angleVar * randomMinus1To1()) * kPi / 180.0f;
    float speed = m_speed + m_speedVar * randomMinus1To1();
    p.radialAccel = m_radialAccel + m_radialAccelVar * randomMinus1To1();

    // Life-long deltas; a particle with no life dies in this very update.
    const float life = p.timeToLive > 0 ? p.timeToLive : 1.0f;
    p.color = start;
    p.deltaColor = ccc4f((end.r - start.r) / life, (end.g - start.g) / life, (end.b - start.b) / life,
                         (end.a - start.a) / life);
    p.size = startSize;
    p.deltaSize = (endSize - startSize) / life;
    p.rotation = startSpin;
    p.deltaRotation = (endSpin - startSpin) / life;

    p.pos = CCPointApplyAffineTransform(source, toParticleSpace);
    p.origin = CCPointApplyAffineTransform(m_sourcePosition, toParticleSpace);
    p.dir = applyLinear(toParticleSpace, CCPoint(std::cos(angle) * speed, std::sin(angle) * speed));
    p.gravity = applyLinear(toParticleSpace, m_gravity);
    m_particles.push_back(p);
}

void CCParticleSystem::update(float dt) {
    if (!(dt > 0) || !std::isfinite(dt)) return;

    if (m_bActive) {
        if (m_emissionRate > 0) {
            m_emitCounter += m_emissionRate * dt;
            const CCAffineTransform toParticleSpace = nodeToParticleTransform();
            while (m_emitCounter >= 1.0f && !isFull()) {
                emitParticle(toParticleSpace);
                m_emitCounter -= 1.0f;
            }
            // A full system does not save up emissions for a burst later.
            if (isFull()) m_emitCounter = std::min(m_emitCounter, 1.0f);
        }
        m_elapsed += dt;
        if (m_duration >= 0 && m_elapsed > m_duration) stopSystem();
    }

    size_t i = 0;
    while (i < m_particles.size()) {
        tCCParticle& p = m_particles[i];
        p.timeToLive -= dt;
        if (!(p.timeToLive > 0)) {
            p = m_particles.back();
            m_particles.pop_back();
            continue;
        }
        CCPoint radial(p.pos.x - p.origin.x, p.pos.y - p.origin.y);
        const float length = std::sqrt(radial.x * radial.x + radial.y * radial.y);
        if (length > 0) {
            radial.x /= length;
            radial.y /= length;
        }
        p.dir.x += (radial.x * p.radialAccel + p.gravity.x) * dt;
        p.dir.y += (radial.y * p.radialAccel + p.gravity.y) * dt;
        p.pos.x += p.dir.x * dt;
        p.pos.y += p.dir.y * dt;
        p.color.r = clamp01(p.color.r + p.deltaColor.r * dt);
        p.color.g = clamp01(p.color.g + p.deltaColor.g * dt);
        p.color.b = clamp01(p.color.b + p.deltaColor.b * dt);
        p.color.a = clamp01(p.color.a + p.deltaColor.a * dt);
        p.size = std::max(0.0f, p.size + p.deltaSize * dt);
        p.rotation += p.deltaRotation * dt;
        ++i;
    }
}

// ---- quads

CCParticleSystemQuad* CCParticleSystemQuad::create() {
    auto* system = new CCParticleSystemQuad();
    if (!system->init()) {
        delete system;
        return nullptr;
    }
    system->autorelease();
    return system;
}

void CCParticleSystemQuad::draw() {
    const std::vector<tCCParticle>& live = particles();
    if (live.empty()) return;
    const CCAffineTransform toNode = particleToNodeTransform();
    if (toNode.a == 0 && toNode.b == 0 && toNode.c == 0 && toNode.d == 0) return;

    CCTexture2D* texture = getTexture();
    const float maxS = texture ? texture->getMaxS() : 1.0f;
    const float maxT = texture ? texture->getMaxT() : 1.0f;
    const ccBlendFunc blend = getBlendFunc();
    // Premultiplied drawing (source factor ONE) wants premultiplied colours.
    const bool premultiply = blend.src == GL_ONE;

    m_quads.resize(live.size());
    for (size_t i = 0; i < live.size(); ++i) {
        const tCCParticle& p = live[i];
        const CCPoint c = CCPointApplyAffineTransform(p.pos, toNode);
        const float h = p.size / 2;
        ccColor4B color;
        const float alpha = p.color.a;
        const float k = premultiply ? alpha : 1.0f;
        color.r = static_cast<GLubyte>(p.color.r * k * 255.0f + 0.5f);
        color.g = static_cast<GLubyte>(p.color.g * k * 255.0f + 0.5f);
        color.b = static_cast<GLubyte>(p.color.b * k * 255.0f + 0.5f);
        color.a = static_cast<GLubyte>(alpha * 255.0f + 0.5f);

        ccV3F_C4B_T2F_Quad& q = m_quads[i];
        if (p.rotation != 0) {
            // Clockwise spin, as node rotation.
            const float r = -p.rotation * kPi / 180.0f;
            const float cr = std::cos(r), sr = std::sin(r);
            auto corner = [&](float x, float y) {
                return ccVertex3F{c.x + x * cr - y * sr, c.y + x * sr + y * cr, 0};
            };
            q.bl.vertices = corner(-h, -h);
            q.br.vertices = corner(h, -h);
            q.tl.vertices = corner(-h, h);
            q.tr.vertices = corner(h, h);
        } else {
            q.bl.vertices = {c.x - h, c.y - h, 0};
            q.br.vertices = {c.x + h, c.y - h, 0};
            q.tl.vertices = {c.x - h, c.y + h, 0};
            q.tr.vertices = {c.x + h, c.y + h, 0};
        }
        q.tl.texCoords = {0, 0};
        q.bl.texCoords = {0, maxT};
        q.tr.texCoords = {maxS, 0};
        q.br.texCoords = {maxS, maxT};
        q.tl.colors = q.bl.colors = q.tr.colors = q.br.colors = color;
    }
    QuadBatcher::sharedBatcher()->addQuads(texture, nullptr, blend, m_quads.data(), m_quads.size());
}

}  // namespace cocos2d
