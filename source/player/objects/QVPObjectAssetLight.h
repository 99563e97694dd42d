// QVPObjectAssetLight: a coloured 2-D light, a triangle fan around the
// light's position textured with the radial light map "/fx/lightMap.png" and
// tinted by "Color". With shadows (the model's "Cast Shadow", and not a slow
// machine) the fan is cut by the fixtures of shadow-casting objects, found by
// area queries and ray casts.
//
// Guarantees:
//  - all geometry lives in fixed arrays: at most 1024 rays, and room for
//    vertex 0, two vertices per ray and the closing vertex; an append past
//    capacity is dropped; at most 80 fixtures are considered per frame;
//  - a "Radius" that is not a positive finite number, a centre inside a
//    caster, no world or a hidden node leave only vertex 0: nothing drawn;
//  - after state 5 the light has no model: update and draw do nothing and
//    getBoundingRect is the zero rectangle.
#pragma once

#include <memory>
#include <vector>

#include "gl/ccGLTypes.h"
#include "math/CCGeometry.h"
#include "player/objects/EffectDrawing.h"
#include "player/objects/QVPObjectAsset.h"

namespace cocos2d {
class CCTexture2D;
}

// Collects the fixtures of shadow casters that are not sensors, at most
// kMaxFixtures.
class QVLightFixturesQueryCallback : public b2QueryCallback {
public:
    static constexpr std::size_t kMaxFixtures = 80;
    bool ReportFixture(b2Fixture* fixture) override;
    std::vector<b2Fixture*> fixtures;
};

// The closest hit on a shadow caster that is not a sensor.
class QVLightFixturesRaycastCallback : public b2RayCastCallback {
public:
    float ReportFixture(b2Fixture* fixture, const b2Vec2& point, const b2Vec2& normal, float fraction) override;
    bool hit = false;
    b2Vec2 point{0.0f, 0.0f};
};

class QVPObjectAssetLight : public QVPObjectAsset {
public:
    static constexpr int kMaxRays = 1024;
    // Vertex 0, two per ray, and the closing one.
    static constexpr int kMaxVertices = 2 * kMaxRays + 2;
    static constexpr const char* kLightMap = "/fx/lightMap.png";

    explicit QVPObjectAssetLight(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAssetLight() override;

    // The factory's builder: a new object with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    // Only keeps the world: a light has no body.
    void createBody(b2World* world, bool skipStill) override;
    void detachBody() override;
    void update(float dt) override;
    void draw() override;
    // Stores the state; state 5 drops the model for good.
    void setState(int32_t state) override;
    cocos2d::CCRect getBoundingRect() override;

    // The fan built by the last update (points, relative to the light).
    int vertexCount() const { return m_vertexCount; }
    const cocos2d::ccVertex2F* vertices() const { return m_vertices; }
    int rayCount() const { return m_rayCount; }

private:
    // "Radius" in metres; 0 when not a positive finite number.
    float radius() const;
    bool shadowsOn() const;
    void appendVertex(const b2Vec2& metres);
    void appendRay(const b2Vec2& ray, const b2Vec2& offset);
    void addFixtureRays(b2Fixture* fixture, const b2Vec2& centre);
    bool insideCaster(const b2Vec2& centre);
    void castRays(const b2Vec2& centre, float radius);

    b2World* m_world = nullptr;
    effects::EffectProgram m_program;
    cocos2d::CCTexture2D* m_lightMap = nullptr;  // retained
    cocos2d::ccVertex2F m_vertices[kMaxVertices];
    cocos2d::ccTex2F m_texCoords[kMaxVertices];
    int m_vertexCount = 0;
    b2Vec2 m_rays[kMaxRays];
    b2Vec2 m_offsets[kMaxRays];
    int m_rayCount = 0;
};
