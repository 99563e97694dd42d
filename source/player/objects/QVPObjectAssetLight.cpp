#include "player/objects/QVPObjectAssetLight.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/classes/QVModelEffects.h"
#include "player/app/QVPSettingsController.h"
#include "player/objects/QVFieldUnits.h"
#include "textures/CCTexture2D.h"

using cocos2d::CCPoint;
using cocos2d::CCRect;

namespace {

constexpr float kPointsPerMetre = 20.0f;
// Rays pass this far beside a caster's corner, so the shadow edge is clean.
constexpr float kEdgeOffset = 0.005f;
// Rays are added while the list holds at most this many.
constexpr int kRayRoomForFixture = 1018;

bool isCaster(b2Fixture* fixture) {
    QVPObject* object = physics::userObject<QVPObject>(fixture);
    return object && object->castsShadow();
}

b2Vec2 normalised(const b2Vec2& v) {
    b2Vec2 n = v;
    n.Normalize();
    return n;
}

// Tangent points from q to the circle (m, rho); false when q is inside it.
bool tangentPoints(const b2Vec2& q, const b2Vec2& m, float rho, b2Vec2& t1, b2Vec2& t2) {
    const float a = (q.x - m.x) / rho;
    const float b = (q.y - m.y) / rho;
    const float s = a * a + b * b;
    if (!(s >= 1.0f)) return false;
    const float k = b * std::sqrt(s - 1.0f);
    const float x1 = (a - k) / s;
    const float x2 = (a + k) / s;
    if (b != 0.0f) {
        t1.Set(m.x + rho * x1, m.y + rho * (1.0f - a * x1) / b);
        t2.Set(m.x + rho * x2, m.y + rho * (1.0f - a * x2) / b);
    } else {
        const float h = std::sqrt(std::max(0.0f, 1.0f - x1 * x1));
        t1.Set(m.x + rho * x1, m.y + rho * h);
        t2.Set(m.x + rho * x2, m.y - rho * h);
    }
    return true;
}

}  // namespace

bool QVLightFixturesQueryCallback::ReportFixture(b2Fixture* fixture) {
    // A sensor's corner rays would pass through it and cut notches into the
    // fan; a sensor never blocks, so it gives no rays either.
    if (fixtures.size() < kMaxFixtures && isCaster(fixture) && !fixture->IsSensor()) fixtures.push_back(fixture);
    return true;
}

float QVLightFixturesRaycastCallback::ReportFixture(b2Fixture* fixture, const b2Vec2& reported, const b2Vec2&,
                                                    float fraction) {
    if (!isCaster(fixture) || fixture->IsSensor()) return -1.0f;
    hit = true;
    point = reported;
    return fraction;
}

QVPObjectAssetLight::QVPObjectAssetLight(std::shared_ptr<QVModelObject> model) : QVPObjectAsset(std::move(model)) {
    m_typeFlags = kTypeEffect;
    m_collisionType = kNoCollision;
    m_movesLinearly = true;
    m_program = effects::effectProgram();
    m_lightMap = effects::loadEffectTexture(kLightMap, "QVPObjectAssetLight");
    if (m_lightMap) m_lightMap->retain();
}

QVPObjectAssetLight::~QVPObjectAssetLight() {
    if (m_lightMap) m_lightMap->release();
}

QVPObjectAsset* QVPObjectAssetLight::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetLight(model);
}

void QVPObjectAssetLight::createBody(b2World* world, bool) { m_world = world; }

void QVPObjectAssetLight::detachBody() {
    QVPObjectAsset::detachBody();
    m_world = nullptr;
}

void QVPObjectAssetLight::setState(int32_t state) {
    m_state = state;
    if (state == kStateFinished) m_model.reset();
}

float QVPObjectAssetLight::radius() const {
    auto light = std::dynamic_pointer_cast<QVBaseModelObjectLight>(m_model);
    const float r = light ? light->radius() : 0.0f;
    // The square's corners, in points, must stay finite too.
    return r > 0.0f && std::isfinite(r * 2.0f * kPointsPerMetre) ? r : 0.0f;
}

bool QVPObjectAssetLight::shadowsOn() const {
    auto light = std::dynamic_pointer_cast<QVBaseModelObjectLight>(m_model);
    return light && light->castShadow() && !QVPSettingsController::shared()->isLowPerformance();
}

CCRect QVPObjectAssetLight::getBoundingRect() {
    if (!m_model) return CCRect();
    const CCPoint p = positionInGameLayer();
    const float r = radius() * kPointsPerMetre;
    return CCRect(p.x - r, p.y - r, 2.0f * r, 2.0f * r);
}

void QVPObjectAssetLight::appendVertex(const b2Vec2& metres) {
    if (m_vertexCount >= kMaxVertices - 1) return;  // the closing vertex keeps its slot
    m_vertices[m_vertexCount++] = cocos2d::ccVertex2F{metres.x * kPointsPerMetre, metres.y * kPointsPerMetre};
}

void QVPObjectAssetLight::appendRay(const b2Vec2& ray, const b2Vec2& offset) {
    if (m_rayCount >= kMaxRays) return;
    m_rays[m_rayCount] = ray;
    m_offsets[m_rayCount] = offset;
    ++m_rayCount;
}

void QVPObjectAssetLight::addFixtureRays(b2Fixture* fixture, const b2Vec2& c) {
    b2Body* body = fixture->GetBody();
    const b2Shape* shape = fixture->GetShape();
    if (shape->GetType() == b2Shape::e_circle) {
        const auto* circle = static_cast<const b2CircleShape*>(shape);
        const b2Vec2 m = body->GetWorldPoint(circle->m_p);
        b2Vec2 t1;
        b2Vec2 t2;
        if (!tangentPoints(c, m, circle->m_radius, t1, t2)) return;
        const b2Vec2 u = kEdgeOffset * normalised(t1 - m);
        appendRay(t1 - c + u, u);
        appendRay(t2 - c - u, -u);
    } else if (shape->GetType() == b2Shape::e_polygon) {
        const auto* polygon = static_cast<const b2PolygonShape*>(shape);
        const int count = polygon->m_count;
        const b2Rot& rotation = body->GetTransform().q;
        for (int i = 0; i < count; ++i) {
            const b2Vec2 w = body->GetWorldPoint(polygon->m_vertices[i]);
            const b2Vec2 n =
                b2Mul(rotation, kEdgeOffset * normalised(polygon->m_normals[i] - polygon->m_normals[(i + 1) % count]));
            appendRay(w + n - c, n);
        }
    }
}

bool QVPObjectAssetLight::insideCaster(const b2Vec2& c) {
    QVLightFixturesQueryCallback query;
    b2AABB box;
    box.lowerBound.Set(c.x - 0.05f, c.y - 0.05f);
    box.upperBound.Set(c.x + 0.05f, c.y + 0.05f);
    m_world->QueryAABB(&query, box);
    for (b2Fixture* fixture : query.fixtures) {
        if (fixture->GetShape()->TestPoint(fixture->GetBody()->GetTransform(), c)) return true;
    }
    return false;
}

void QVPObjectAssetLight::castRays(const b2Vec2& c, float r) {
    for (int i = 0; i < m_rayCount; ++i) {
        const b2Vec2& ray = m_rays[i];
        b2Vec2 d = ray;
        if (d.Length() >= b2_epsilon) d.Normalize();
        d *= r;
        QVLightFixturesRaycastCallback cast;
        physics::rayCast(m_world, &cast, c, c + d);
        if (!cast.hit) {
            appendVertex(ray);
            appendVertex(m_offsets[i] + d);
            continue;
        }
        const b2Vec2 e = cast.point - c;
        if (ray.Length() + 0.05f < e.Length()) appendVertex(ray - m_offsets[i]);
        appendVertex(e);
    }
}

void QVPObjectAssetLight::update(float dt) {
    if (!m_model) return;
    QVPObject::update(dt);
    m_vertexCount = 0;
    m_rayCount = 0;
    if (!m_world || !isVisible()) return;
    m_vertices[0] = cocos2d::ccVertex2F{0.0f, 0.0f};
    m_vertexCount = 1;
    const float r = radius();
    if (r <= 0.0f) return;

    const CCPoint p = positionInGameLayer();
    const b2Vec2 c(p.x * kMetresPerPoint, p.y * kMetresPerPoint);
    b2AABB box;
    box.lowerBound = c - b2Vec2(r, r);
    box.upperBound = c + b2Vec2(r, r);
    appendRay(b2Vec2(box.lowerBound.x, box.lowerBound.y) - c, b2Vec2_zero);
    appendRay(b2Vec2(box.lowerBound.x, box.upperBound.y) - c, b2Vec2_zero);
    appendRay(b2Vec2(box.upperBound.x, box.upperBound.y) - c, b2Vec2_zero);
    appendRay(b2Vec2(box.upperBound.x, box.lowerBound.y) - c, b2Vec2_zero);

    if (!shadowsOn()) {
        for (int i = 0; i < m_rayCount; ++i) appendVertex(m_rays[i]);
        return;
    }
    if (insideCaster(c)) return;
    QVLightFixturesQueryCallback query;
    m_world->QueryAABB(&query, box);
    for (b2Fixture* fixture : query.fixtures) {
        if (m_rayCount <= kRayRoomForFixture) addFixtureRays(fixture, c);
    }
    castRays(c, r);
}

void QVPObjectAssetLight::draw() {
    auto light = std::dynamic_pointer_cast<QVBaseModelObjectLight>(m_model);
    const float r = radius();
    if (!light || m_vertexCount <= 1 || r <= 0.0f) return;
    const int count = m_vertexCount;
    std::sort(m_vertices + 1, m_vertices + count, [](const cocos2d::ccVertex2F& a, const cocos2d::ccVertex2F& b) {
        return std::atan2(a.y, a.x) > std::atan2(b.y, b.x);
    });
    m_vertices[count] = m_vertices[1];
    m_texCoords[0] = cocos2d::ccTex2F{0.5f, 0.5f};
    for (int i = 1; i <= count; ++i) {
        m_texCoords[i] = cocos2d::ccTex2F{m_vertices[i].x * 0.03f / r + 0.5f, m_vertices[i].y * 0.03f / r + 0.5f};
    }
    const cocos2d::ccColor4F& colour = light->color();
    const float a = colour.a / 255.0f;
    const float o = animationSpeed();
    const GLfloat tint[4] = {a * colour.r / 255.0f * o, a * colour.g / 255.0f * o, a * colour.b / 255.0f * o, o * a};
    effects::drawEffectArrays(m_program, m_lightMap, tint, GL_TRIANGLE_FAN, m_vertices, m_texCoords, count + 1);
}
