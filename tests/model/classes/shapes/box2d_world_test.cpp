// Shapes into a real b2World through the physics layer: what a shape model
// hands out attaches and simulates, and nothing it is given, however broken,
// reaches one of Box2D's aborts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "../../core/support/loader_fixture.h"
#include "../../core/support/model_test_support.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelPolygon.h"
#include "platform/RandomAndClock.h"

namespace {

using cocos2d::CCPoint;
using Shapes = std::vector<std::shared_ptr<QVModelPolygon>>;
const b2Vec2 kScales[] = {{1, 1}, {2, 1}, {-1, 1}, {0.25f, 0.25f}, {4, 4}};

std::shared_ptr<QVModelPolygon> outline(bool circle, const std::vector<CCPoint>& points) {
    std::shared_ptr<QVModelPolygon> shape =
        circle ? std::shared_ptr<QVModelPolygon>(QVModelCircle::create()) : QVModelPolygon::create();
    for (const CCPoint& point : points) shape->addPoint(point, true);
    return shape;
}

// A dynamic body of density 0.1 (as the game field makes them) with the
// shape; null when the definition has no shape or the layer refuses it.
b2Body* attach(b2World& world, const QVModelPolygon& shape, b2Vec2 scale, bool& valid) {
    QVFixtureDef made = shape.createFixtureShape(scale.x, scale.y);
    EXPECT_EQ(shape.isValidShape(scale.x, scale.y), made.hasShape()) << shape.id();
    valid = made.hasShape();
    if (!valid) return nullptr;
    b2BodyDef bodyDef;
    bodyDef.type = b2_dynamicBody;
    b2Body* body = physics::createBody(&world, bodyDef);
    made.def.density = 0.1f;
    return physics::createFixture(body, made.def) ? body : nullptr;
}

bool finite(const b2Body* body) {
    return std::isfinite(body->GetPosition().x) && std::isfinite(body->GetPosition().y) &&
           std::isfinite(body->GetAngle());
}

class Box2DWorld : public modeltest::LoaderFixture {};

// The fixture game's shapes and the jump and move defaults (empty: no
// shape), the examples and the default boxes and circles, at every scale:
// every definition attaches, and 60 steps keep the bodies finite.
TEST_F(Box2DWorld, KnownShapesAttachAndSimulateAtEveryScale) {
    resetController({});
    loadAll(std::string(QV_BINARY_DIR) + "/fixtures/classes/full", false);
    ASSERT_EQ(controller()->lastError(), "");
    Shapes shapes;
    for (uint32_t type : {typeId<QVModelPolygon>(), typeId<QVModelCircle>()}) {
        for (const auto& model : controller()->getModels(type)) shapes.push_back(modelKindCast<QVModelPolygon>(model));
    }
    ASSERT_GE(shapes.size(), 3u);
    for (const auto& model : controller()->getModels(typeId<QVModelComponentIsoJump>()))
        shapes.push_back(modelCast<QVModelComponentIsoJump>(model)->collisionShape());
    for (const auto& model : controller()->getModels(typeId<QVModelComponentMove>()))
        shapes.push_back(modelCast<QVModelComponentMove>(model)->collisionShapeAttribute()->model());
    shapes.push_back(QVModelComponentIsoJump::create()->collisionShape());
    shapes.push_back(QVModelComponentMove::create()->collisionShapeAttribute()->model());
    shapes.push_back(outline(true, {{10, 20}, {40, 20}}));
    shapes.push_back(outline(false, {{0, 0}, {0.5f, 0}, {40, 40}}));
    shapes.push_back(outline(false, {{0, 0}, {10, 0}, {10, 10}, {6, 4}}));
    for (bool circle : {false, true}) {
        for (cocos2d::CCSize size : {cocos2d::CCSize(0, 50), cocos2d::CCSize(60, 40)}) {
            shapes.push_back(outline(circle, {}));
            shapes.back()->initAsBox(size, CCPoint(10, 0), true);
        }
    }
    int attached = 0;
    for (b2Vec2 scale : kScales) {
        b2World world(b2Vec2(0, -10));
        std::vector<b2Body*> bodies;
        for (const auto& shape : shapes) {
            ASSERT_TRUE(shape);
            bool valid = false;
            b2Body* body = attach(world, *shape, scale, valid);
            EXPECT_EQ(body != nullptr, valid) << shape->id() << " at " << scale.x << ", " << scale.y;
            if (body) bodies.push_back(body);
        }
        for (int step = 0; step < 60; ++step) world.Step(1.0f / 60.0f, 8, 3);
        for (const b2Body* body : bodies) EXPECT_TRUE(finite(body));
        attached += static_cast<int>(bodies.size());
    }
    EXPECT_GE(attached, 5 * 9);  // the fixture game's three, the examples but one, the boxes
}

float uniform(float low, float high) {
    return low + (high - low) * static_cast<float>(compat::rand()) / static_cast<float>(compat::RandMax);
}

// Kind 0 plain, 1 collinear, 2 a sliver, 3 welded pairs, 4 NaN, 5 inf,
// 6 a 1e30 point, 7 tiny.
std::vector<CCPoint> randomOutline(int kind) {
    const float reach = compat::rand() % 8 == 0 ? 10000.0f : 500.0f;
    std::vector<CCPoint> points(static_cast<size_t>(3 + compat::rand() % 10));
    for (CCPoint& p : points) p = CCPoint(uniform(-reach, reach), uniform(-reach, reach));
    const CCPoint a = points[0], b = points[1];
    CCPoint& any = points[static_cast<size_t>(compat::rand()) % points.size()];
    const float hair = kind == 7 ? 0.5f : kind == 3 ? 1e-3f : 0.1f;
    if (kind == 1 || kind == 2 || kind == 7) {
        for (CCPoint& p : points) {
            const float t = uniform(-2, 2);
            p = kind == 7 ? a + CCPoint(uniform(-hair, hair), uniform(-hair, hair))
                          : CCPoint(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y));
        }
        if (kind == 2) points[2] = points[2] + CCPoint(uniform(-hair, hair), uniform(-hair, hair));
    }
    if (kind == 3)
        for (size_t i = 1; i < points.size(); i += 2) points[i] = points[i - 1] + CCPoint(uniform(-hair, hair), 0);
    if (kind == 4) any.y = std::numeric_limits<float>::quiet_NaN();
    if (kind == 5) any.x = -std::numeric_limits<float>::infinity();
    if (kind == 6) any = CCPoint(1e30f, -1e30f);
    return points;
}

TEST_F(Box2DWorld, SeededOutlinesAndCirclesNeverAbort) {
    modeltest::LogCapture log;  // the refusals are many; keep them off stderr
    compat::srand(12);
    b2World world(b2Vec2(0, -10));
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        const int kind = i % 8;
        const bool circle = compat::rand() % 4 == 0;
        auto shape = outline(circle, randomOutline(kind));
        bool valid = false;
        b2Body* body = attach(world, *shape, kScales[i % 5], valid);
        // Only a deliberately huge outline may pass the shape's own checks
        // and still exceed the layer's mass bounds.
        if (valid && kind != 6) {
            EXPECT_TRUE(body) << "outline " << i;
        }
        if (!body) continue;
        ++accepted;
        world.Step(1.0f / 60.0f, 8, 3);
        EXPECT_TRUE(finite(body)) << "outline " << i;
        physics::destroyBody(&world, body);
    }
    EXPECT_GT(accepted, 4000);
    EXPECT_LT(accepted, 16000);
}

}  // namespace
