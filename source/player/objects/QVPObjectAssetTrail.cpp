#include "player/objects/QVPObjectAssetTrail.h"

#include <algorithm>
#include <cmath>

#include "gl/CCGL.h"
#include "math/kazmath.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVNumeric.h"
#include "platform/RandomAndClock.h"
#include "player/objects/QVFieldUnits.h"
#include "textures/CCTexture2D.h"

using namespace cocos2d;

namespace {
constexpr float kHalfPi = 1.5707964f;
// The trail's drift is a fixed step per frame, whatever the frame time.
constexpr float kDriftPerFrame = 0.0166f;
constexpr float kFlagPhaseScale = 0.001f;
constexpr float kWaveScale = 50.0f;

float randomUnit() { return static_cast<float>(compat::rand()) / static_cast<float>(compat::RandMax); }

CCPoint normalisedOrZero(const CCPoint& p) {
    const float length = p.getLength();
    return length > 0.0f ? CCPoint(p.x / length, p.y / length) : CCPoint();
}

CCRect boxAround(const CCPoint& p) { return CCRect(p.x - 50.0f, p.y - 50.0f, 100.0f, 100.0f); }
}  // namespace

// ---------------------------------------------------------------- look

QVRibbonLook::QVRibbonLook(const std::shared_ptr<QVModelObject>& model, const char* texturePath, const char* tag)
    : m_model(std::dynamic_pointer_cast<QVBaseModelObjectRibbon>(model)) {
    const std::shared_ptr<QVModelSpriteContainer> sprite = m_model ? m_model->texture() : nullptr;
    m_texture = effects::effectTexture(sprite.get(), texturePath, tag);
    if (m_texture) m_texture->retain();
    m_program = effects::effectProgram();
}

QVRibbonLook::~QVRibbonLook() {
    if (m_texture) m_texture->release();
}

void QVRibbonLook::draw(float factor, const ccVertex2F* vertices, const ccTex2F* texCoords, int count) const {
    const float o = (m_model ? m_model->opacity(0.0f, 0) : 0.0f) * factor;
    const GLfloat color[4] = {o, o, o, o};
    effects::drawEffectArrays(m_program, m_texture, color, GL_TRIANGLE_STRIP, vertices, texCoords, count);
}

// ---------------------------------------------------------------- trail

QVPObjectAssetTrail::QVPObjectAssetTrail(std::shared_ptr<QVModelObject> model)
    : QVPObjectAsset(model), m_look(model, "/fx/trailMap.png", "QVPObjectAssetTrail") {
    setTypeFlags(kTypeEffect);
    m_collisionType = kNoCollision;
    m_movesLinearly = true;
    m_phase = randomUnit() * 100.0f;
}

QVPObjectAsset* QVPObjectAssetTrail::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetTrail(model);
}

bool QVPObjectAssetTrail::hasLength() const {
    const float length = m_look.model() ? m_look.model()->length() : 0.0f;
    return std::isfinite(length) && length > 0.0f;
}

CCPoint QVPObjectAssetTrail::headPosition() {
    CCNode* parent = getParent();
    const CCPoint world = parent ? parent->convertToWorldSpace(getPosition()) : getPosition();
    return m_gameLayer ? world - m_gameLayer->getPosition() : world;
}

void QVPObjectAssetTrail::createBody(b2World*, bool) {
    const CCPoint start = positionInGameLayer();
    std::fill(std::begin(m_points), std::end(m_points), start);
}

void QVPObjectAssetTrail::insertPoint(const CCPoint& point, float waveOffset) {
    ++m_count;
    for (int i = m_count - 1; i >= 1; --i) {
        m_points[i] = m_points[i - 1];
        m_waveOffsets[i] = m_waveOffsets[i - 1];
    }
    m_points[0] = point;
    m_waveOffsets[0] = waveOffset;
    if (m_count >= kTrailPoints) --m_count;
}

void QVPObjectAssetTrail::update(float dt) {
    QVPObject::update(dt);
    if (!m_gameLayer) return;
    const QVBaseModelObjectRibbon* model = m_look.model();

    m_time += dt * 0.5f;
    if (m_count == 0) {
        // Inside an animation the trail's body is made before the node is
        // placed, so its points may lie at the layer's origin: a first
        // frame starts them all at the head, or the strip would streak
        // from there.
        std::fill(std::begin(m_points), std::end(m_points), headPosition());
        m_count = 2;
    }
    if (model && hasLength()) {
        const float step = model->length() / static_cast<float>(kTrailPoints);
        const float d = m_points[0].getDistance(m_points[1]);
        if (d > step) {
            const int n = std::min(truncToInt(d / step), kMaxNewPoints);
            const CCPoint from = m_points[1];
            const CCPoint to = m_points[0];
            for (int k = 1; k < n; ++k) {
                const float t = static_cast<float>(k) / static_cast<float>(n);
                const float wave =
                    std::sin(model->waveLength() / kWaveScale * (m_phase + m_time)) * model->waveHeight() / kWaveScale;
                insertPoint(from + (to - from) * t, wave);
            }
        }
    }

    if (model) {
        const float r = getRotation() * kDegreesToRadians;
        const CCPoint a(std::sin(r + kHalfPi), std::cos(r + kHalfPi));
        const CCPoint b(std::sin(r), std::cos(r));
        const CCPoint drift = a * (model->speed() * kDriftPerFrame);
        for (int i = 1; i < m_count; ++i) m_points[i] = m_points[i] + drift + b * m_waveOffsets[i];
    }

    m_points[0] = headPosition();

    auto* parent = dynamic_cast<QVPObject*>(getParent());
    if (m_movementDisabled && parent && parent->getState() != m_state) setState(parent->getState());
}

void QVPObjectAssetTrail::draw() {
    const QVBaseModelObjectRibbon* model = m_look.model();
    if (m_state == kStateDying || m_state == kStateFinished || !m_look.texture() || !model || !hasLength() ||
        m_count < 2) {
        return;
    }
    kmGLPushMatrix();
    const CCPoint origin = positionInGameLayer();
    kmGLRotatef(model->rotation(0.0f, 0), 0.0f, 0.0f, 1.0f);
    kmGLTranslatef(-origin.x, -origin.y, 0.0f);

    const float step = model->length() / static_cast<float>(kTrailPoints);
    const float f = (step - m_points[0].getDistance(m_points[1])) / step;
    ccVertex2F vertices[2 * kTrailPoints];
    ccTex2F texCoords[2 * kTrailPoints];
    for (int i = 0; i + 1 < m_count; ++i) {
        const CCPoint n = normalisedOrZero((m_points[i] - m_points[i + 1]).rotateByAngle(CCPointZero, kHalfPi));
        const float t = static_cast<float>(i) / 39.0f - f * 0.025f;
        const float w = model->startWidth() * (1.0f - t) + model->endWidth() * t;
        const CCPoint left = m_points[i] + n * w;
        const CCPoint right = m_points[i] - n * w;
        vertices[2 * i] = ccVertex2F{left.x, left.y};
        vertices[2 * i + 1] = ccVertex2F{right.x, right.y};
        texCoords[2 * i] = ccTex2F{t, 0.0f};
        texCoords[2 * i + 1] = ccTex2F{t, 1.0f};
    }
    m_look.draw(animationSpeed(), vertices, texCoords, m_count * 2 - 2);
    kmGLPopMatrix();
}

CCRect QVPObjectAssetTrail::getBoundingRect() { return boxAround(positionInGameLayer()); }

// ---------------------------------------------------------------- flag

QVPObjectAssetFlag::QVPObjectAssetFlag(std::shared_ptr<QVModelObject> model)
    : QVPObjectAsset(model), m_look(model, "/fx/flagMap.png", "QVPObjectAssetFlag") {
    setTypeFlags(kTypeEffect);
    m_collisionType = kNoCollision;
    m_movesLinearly = true;
    m_phase = randomUnit() * 2.0f - 1.0f;
}

QVPObjectAsset* QVPObjectAssetFlag::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetFlag(model);
}

void QVPObjectAssetFlag::update(float dt) {
    QVPObjectAsset::update(dt);
    if (const QVBaseModelObjectRibbon* model = m_look.model()) m_phase -= model->speed() * dt * kFlagPhaseScale;
}

void QVPObjectAssetFlag::draw() {
    const QVBaseModelObjectRibbon* model = m_look.model();
    if (!m_look.texture() || !model) return;
    ccVertex2F vertices[2 * kFlagSegments];
    ccTex2F texCoords[2 * kFlagSegments];
    for (int i = 0; i < kFlagSegments; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(kFlagSegments);
        const float wave = std::sin(model->waveLength() / kWaveScale * (m_phase * 10.0f + t)) * model->waveHeight();
        const float y = wave * t;
        const float w = model->startWidth() * (1.0f - t) + model->endWidth() * t;
        const float x = model->length() * t;
        vertices[2 * i] = ccVertex2F{x, y + w};
        vertices[2 * i + 1] = ccVertex2F{x, y - w};
        texCoords[2 * i] = ccTex2F{t, 0.0f};
        texCoords[2 * i + 1] = ccTex2F{t, 1.0f};
    }
    m_look.draw(animationSpeed(), vertices, texCoords, 2 * kFlagSegments);
}

CCRect QVPObjectAssetFlag::getBoundingRect() { return boxAround(positionInGameLayer()); }
