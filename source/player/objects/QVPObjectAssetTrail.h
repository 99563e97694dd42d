// QVPObjectAssetTrail and QVPObjectAssetFlag: textured ribbons. A trail
// keeps up to kTrailPoints points of its recent path in the game layer's
// space and draws a strip narrowing from "Start Width" to "End Width"; a
// flag draws a waving strip of fixed "Length" from its origin.
// Guarantees: a trail whose "Length" is not a positive finite number keeps
// only its head (it adds no points and draws nothing); neither draws
// without a texture; a trail's first update starts every point at its head,
// wherever its body was made.
#pragma once

#include <memory>

#include "gl/ccGLTypes.h"
#include "math/CCGeometry.h"
#include "player/objects/EffectDrawing.h"
#include "player/objects/QVPObjectAsset.h"

class QVBaseModelObjectRibbon;

// What trail and flag share: the ribbon model, the texture and the program.
class QVRibbonLook {
public:
    QVRibbonLook(const std::shared_ptr<QVModelObject>& model, const char* texturePath, const char* tag);
    ~QVRibbonLook();
    QVRibbonLook(const QVRibbonLook&) = delete;
    QVRibbonLook& operator=(const QVRibbonLook&) = delete;

    // Null for a model of another class.
    const QVBaseModelObjectRibbon* model() const { return m_model.get(); }
    cocos2d::CCTexture2D* texture() const { return m_texture; }
    // Draws with "u_color" (o, o, o, o), o the model's opacity times `factor`.
    void draw(float factor, const cocos2d::ccVertex2F* vertices, const cocos2d::ccTex2F* texCoords, int count) const;

private:
    std::shared_ptr<QVBaseModelObjectRibbon> m_model;
    cocos2d::CCTexture2D* m_texture = nullptr;  // retained
    effects::EffectProgram m_program;
};

class QVPObjectAssetTrail : public QVPObjectAsset {
public:
    static constexpr int kTrailPoints = 40;
    // New points one move may add.
    static constexpr int kMaxNewPoints = 32;

    explicit QVPObjectAssetTrail(std::shared_ptr<QVModelObject> model);
    // The factory's builder: a new trail with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    void update(float dt) override;
    void draw() override;
    cocos2d::CCRect getBoundingRect() override;
    // No body: every point starts at the node's place.
    void createBody(b2World* world, bool skipStill) override;

    // Drops the path: the next update starts every point at the head. For a
    // node put somewhere else, whose jump is no move to draw.
    void restart() { m_count = 0; }

    int pointCount() const { return m_count; }
    const cocos2d::CCPoint& point(int index) const { return m_points[index]; }

private:
    bool hasLength() const;
    void insertPoint(const cocos2d::CCPoint& point, float waveOffset);
    cocos2d::CCPoint headPosition();

    QVRibbonLook m_look;
    cocos2d::CCPoint m_points[kTrailPoints];
    float m_waveOffsets[kTrailPoints] = {};
    int32_t m_count = 0;
    float m_time = 0.0f;
    float m_phase = 0.0f;
};

class QVPObjectAssetFlag : public QVPObjectAsset {
public:
    static constexpr int kFlagSegments = 20;

    explicit QVPObjectAssetFlag(std::shared_ptr<QVModelObject> model);
    // The factory's builder: a new flag with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    void update(float dt) override;
    void draw() override;
    cocos2d::CCRect getBoundingRect() override;

    float phase() const { return m_phase; }

private:
    QVRibbonLook m_look;
    float m_phase = 0.0f;
};
