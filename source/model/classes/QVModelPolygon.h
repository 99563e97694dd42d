// QVModelPolygon / QVModelCircle: collision shapes authored in pixels (y down)
// that become Box2D fixtures at an object's scale (0.05 m per pixel, y up).
// A circle uses its first two points: centre, then a point on the rim.
// Guarantees: a pack keeps at most 8 points, a dictionary appends them all
// through addPoint (a circle keeps 2); createFixtureShape hands Box2D only
// what the physics layer accepts (at most 8 polygon points, finite, with an
// area; a circle finite and not too small for its distance from the origin),
// and isValidShape answers exactly whether it gives a shape, without logging.
// Refuses: an out-of-range index edits nothing; a "points" entry of the wrong
// shape raises msgpack::type_error.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "math/CCGeometry.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"
#include "physics/PhysicsGuard.h"

// A fixture definition that owns its shape: def.shape == shape.get(). The
// caller passes def to physics::createFixture (Box2D copies the shape) and
// drops the result.
struct QVFixtureDef {
    b2FixtureDef def;
    std::unique_ptr<b2Shape> shape;

    QVFixtureDef() = default;
    QVFixtureDef(QVFixtureDef&& other) noexcept;
    QVFixtureDef& operator=(QVFixtureDef&& other) noexcept;

    bool hasShape() const { return shape != nullptr; }
};

class QVModelPolygon : public QVModel {
    QV_MODEL_GLUE(QVModelPolygon, "", QVModel)
public:
    // Box2D's vertex limit: what a pack keeps and what a fixture takes.
    static constexpr int kMaxPackedPoints = 8;
    // Points that take part in a fixture definition.
    static constexpr int kMaxScaledPoints = 64;

    explicit QVModelPolygon(const std::string& name);
    QVModelPolygon(const QVModelPolygon& source);

    void collectKeys() override;
    void pack(QVPackMap& map) override;
    void unpack(const QVPackMap& map) override;
    void fromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* toDictionary() const override;

    // Editing; each notifies once unless silent (the circle overrides).
    virtual void addPoint(const cocos2d::CCPoint& point, bool silent = false);
    virtual void insertPoint(int index, const cocos2d::CCPoint& point, bool silent = false);
    virtual void removePoint(int index, bool silent = false);
    virtual void setPoint(int index, const cocos2d::CCPoint& point, bool silent = false);
    virtual bool isConvex() const;
    // Appends the corners of a size × size box (120 × 80 unless both sides
    // are positive), moved by -offset; never clears.
    virtual void initAsBox(const cocos2d::CCSize& size, const cocos2d::CCPoint& offset, bool silent = false);

    const std::vector<cocos2d::CCPoint>& points() const { return m_points; }
    bool isEmpty() const { return m_points.empty(); }
    cocos2d::CCPoint oneWayCollisionVector() const { return m_oneWayCollisionVector; }

    // Writes min(count, maxCount) points as (x · factorX, y · factorY).
    int scaledPoints(b2Vec2* out, int maxCount, float factorX, float factorY) const;
    // Two of the first min(count, 8) points closer than 0.05.
    static bool hasNearDuplicatePoints(const b2Vec2* points, int count);

    bool isValidShape(float scaleX, float scaleY) const;
    // Logs "[QVModelPolygon] no fixture shape for model <id>: <reason>" when
    // the physics layer refuses points that pass the shape's own checks.
    QVFixtureDef createFixtureShape(float scaleX, float scaleY) const;

protected:
    // |point 1 - point 0| (a missing point is (0, 0)); 0 without points.
    float rimDistance() const;

    std::vector<cocos2d::CCPoint> m_points;
    cocos2d::CCPoint m_oneWayCollisionVector;

private:
    enum class Outline { kNone, kRefused, kPolygon, kCircle };
    // The one decision behind isValidShape and createFixtureShape: the scaled
    // points (at most 8 for a polygon; the centre first for a circle), the
    // circle's radius in metres, and what they make. `refusal` gets the
    // physics layer's reason when it refuses (kRefused).
    Outline outline(float scaleX, float scaleY, b2Vec2* scaled, int& count, float& radius, std::string* refusal) const;
};

class QVModelCircle : public QVModelPolygon {
    QV_MODEL_GLUE(QVModelCircle, "", QVModelPolygon, QVModel)
public:
    // Radius of the default circle.
    static constexpr float kDefaultRadius = 30.0f;

    explicit QVModelCircle(const std::string& name);
    QVModelCircle(const QVModelCircle& source);

    // Only while fewer than 2 points.
    void addPoint(const cocos2d::CCPoint& point, bool silent = false) override;
    // An empty circle becomes the default circle; one with points is kept.
    void insertPoint(int index, const cocos2d::CCPoint& point, bool silent = false) override;
    // Clears every point, whatever the index.
    void removePoint(int index, bool silent = false) override;
    // Moving the centre (index 0) moves the rim point with it.
    void setPoint(int index, const cocos2d::CCPoint& point, bool silent = false) override;
    bool isConvex() const override { return true; }
    // Centre -offset and rim radius r to the right: r = 30, or (w + h) / 5
    // when either side is positive.
    void initAsBox(const cocos2d::CCSize& size, const cocos2d::CCPoint& offset, bool silent = false) override;

    // 0 without points; else |point 1 - point 0|, a missing point being (0, 0).
    float radius() const;
    cocos2d::CCPoint pointAt(int index) const;
    int pointCount() const { return static_cast<int>(m_points.size()); }
};
