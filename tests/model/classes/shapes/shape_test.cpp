// Collision shapes: point lists from packs and dictionaries, the editing
// operations, convexity, and the fixture definitions they build.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "../../core/support/model_test_support.h"
#include "../pack_keys.h"
#include "base/CCArray.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelPolygon.h"
#include "model/core/QVModelListener.h"

namespace {

using cocos2d::CCPoint;
using cocos2d::CCSize;
using Points = std::vector<CCPoint>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct ChangeCounter : QVModelListener {
    int count = 0;
    void modelChanged(const std::shared_ptr<QVModel>& model) override {
        (void)model;
        ++count;
    }
};

std::shared_ptr<QVModelPolygon> makeShape(bool circle, const Points& points) {
    std::shared_ptr<QVModelPolygon> shape =
        circle ? std::shared_ptr<QVModelPolygon>(QVModelCircle::create()) : QVModelPolygon::create();
    for (const CCPoint& point : points) shape->addPoint(point, true);
    return shape;
}

Points tenPoints() {
    Points points;
    for (int i = 0; i < 10; ++i) points.emplace_back(static_cast<float>(i), static_cast<float>(-2 * i));
    return points;
}

class ShapesTest : public ::testing::Test {
protected:
    void TearDown() override { cocos2d::CCPoolManager::sharedPoolManager()->finalize(); }
    modeltest::LogCapture log;
};

TEST_F(ShapesTest, PointListsFromPacksAndDictionaries) {
    const Points ten = tenPoints();
    const CCPoint oneWay(0.5f, -1.0f);
    struct Row { const char* what; bool circle, fromPack; size_t kept; };
    for (const Row& row : {Row{"polygon pack", false, true, 8}, Row{"polygon dictionary", false, false, 10},
                           Row{"circle dictionary", true, false, 2}, Row{"circle pack", true, true, 8}}) {
        SCOPED_TRACE(row.what);
        std::shared_ptr<QVModelPolygon> shape = makeShape(row.circle, {});
        classtest::installKeysOf({shape.get()});
        msgpack::zone zone;
        if (row.fromPack) {
            shape->unpack(classtest::readBack(zone, [&](QVPackMap& map) {
                map.put("id", 7u);
                map.put("points", ten);
                map.put("oneWayCollisionVector", oneWay);
            }));
        } else {
            auto* dict = cocos2d::CCDictionary::create();
            auto* texts = cocos2d::CCArray::create();
            for (const CCPoint& p : ten) texts->addObject(cocos2d::CCString::createWithFormat("{%f,%f}", p.x, p.y));
            dict->setObject(texts, "points");
            dict->setObject(cocos2d::CCString::create("{0.5,-1}"), "oneWayCollisionVector");
            shape->fromDictionary(dict);
        }
        ASSERT_EQ(shape->points().size(), row.kept);
        for (size_t i = 0; i < row.kept; ++i) EXPECT_TRUE(shape->points()[i].equals(ten[i])) << i;
        EXPECT_TRUE(shape->oneWayCollisionVector().equals(oneWay));

        // Both forms write back what was read.
        auto again = makeShape(row.circle, {});
        again->unpack(classtest::readBack(zone, [&](QVPackMap& map) { shape->pack(map); }));
        EXPECT_EQ(again->points().size(), std::min<size_t>(row.kept, 8));
        auto fromDict = makeShape(row.circle, {});
        fromDict->fromDictionary(shape->toDictionary());
        EXPECT_EQ(fromDict->points().size(), row.circle ? 2u : row.kept);
        EXPECT_TRUE(fromDict->oneWayCollisionVector().equals(oneWay));
    }

    // A dictionary appends to what the polygon holds; a pack replaces it.
    auto held = makeShape(false, {CCPoint(5, 5)});
    auto* dict = cocos2d::CCDictionary::create();
    auto* texts = cocos2d::CCArray::create();
    texts->addObject(cocos2d::CCString::create("{1,2}"));
    dict->setObject(texts, "points");
    held->fromDictionary(dict);
    ASSERT_EQ(held->points().size(), 2u);
    EXPECT_TRUE(held->points()[0].equals(CCPoint(5, 5)));

    msgpack::zone zone;
    const QVPackMap bad = classtest::readBack(zone, [](QVPackMap& map) { map.put("points", 5.0f); });
    EXPECT_THROW(held->unpack(bad), msgpack::type_error);
}

TEST_F(ShapesTest, DefaultBoxesAndCircles) {
    struct Row { const char* what; bool circle; Points start; CCSize size; CCPoint offset; Points expected; };
    const Row rows[] = {
        {"no width: 120 x 80", false, {}, CCSize(0, 50), CCPoint(), {{-60, -40}, {60, -40}, {60, 40}, {-60, 40}}},
        {"size and offset", false, {}, CCSize(60, 40), CCPoint(10, 0), {{-40, -20}, {20, -20}, {20, 20}, {-40, 20}}},
        {"appends", false, {{1, 1}}, CCSize(2, 2), CCPoint(), {{1, 1}, {-1, -1}, {1, -1}, {1, 1}, {-1, 1}}},
        {"circle from a size", true, {}, CCSize(120, 80), CCPoint(), {{0, 0}, {40, 0}}},
        {"circle default", true, {}, CCSize(0, 0), CCPoint(5, -5), {{-5, 5}, {25, 5}}},
        {"circle from one side", true, {}, CCSize(0, 30), CCPoint(), {{0, 0}, {6, 0}}},
        {"circle keeps its points", true, {{1, 1}, {2, 2}}, CCSize(50, 50), CCPoint(), {{1, 1}, {2, 2}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto shape = makeShape(row.circle, row.start);
        ChangeCounter changes;
        shape->addListener(&changes);
        shape->initAsBox(row.size, row.offset);
        shape->initAsBox(row.size, row.offset, true);  // silent
        shape->removeListener(&changes);
        EXPECT_EQ(changes.count, 1);
        ASSERT_GE(shape->points().size(), row.expected.size());
        for (size_t i = 0; i < row.expected.size(); ++i) {
            EXPECT_FLOAT_EQ(shape->points()[i].x, row.expected[i].x) << i;
            EXPECT_FLOAT_EQ(shape->points()[i].y, row.expected[i].y) << i;
        }
    }
    EXPECT_FLOAT_EQ(std::static_pointer_cast<QVModelCircle>(makeShape(true, {{0, 0}, {40, 0}}))->radius(), 40.0f);
}

TEST_F(ShapesTest, Convexity) {
    struct Row { const char* what; bool circle; Points points; bool convex; };
    const Row rows[] = {
        {"square, counter-clockwise", false, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true},
        {"square, clockwise", false, {{0, 10}, {10, 10}, {10, 0}, {0, 0}}, true},
        {"corner pushed in", false, {{0, 0}, {10, 0}, {10, 10}, {6, 4}}, false},
        {"first three on a line", false, {{0, 0}, {5, 0}, {10, 0}, {6, 4}, {0, 10}}, true},
        {"a straight corner later", false, {{0, 0}, {10, 0}, {10, 10}, {5, 10}, {0, 10}}, false},
        {"two points", false, {{0, 0}, {10, 0}}, false},
        {"a NaN point", false, {{0, 0}, {10, 0}, {kNaN, 10}, {0, 10}}, true},
        {"beyond int", false, {{0, 0}, {1e30f, 0}, {1e30f, 1e30f}, {0, 1e30f}}, true},
        {"infinite", false, {{0, 0}, {kInf, 0}, {kInf, kInf}}, true},
        {"circle", true, {{0, 0}}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(makeShape(row.circle, row.points)->isConvex(), row.convex);
    }
}

TEST_F(ShapesTest, EditingOperations) {
    using Edit = std::function<void(QVModelPolygon&)>;
    const Points triangle{{0, 0}, {10, 0}, {0, 10}};
    const Points circle{{0, 0}, {30, 0}};
    struct Row { const char* what; bool circle; Points start; Edit edit; Points expected; int changes; };
    const Row rows[] = {
        {"remove past the end", false, triangle, [](QVModelPolygon& s) { s.removePoint(5); }, triangle, 0},
        {"remove one", false, triangle, [](QVModelPolygon& s) { s.removePoint(0); }, {{10, 0}, {0, 10}}, 1},
        {"insert at the end", false, triangle, [](QVModelPolygon& s) { s.insertPoint(3, {7, 7}); },
         {{0, 0}, {10, 0}, {0, 10}, {7, 7}}, 1},
        {"insert out of range", false, triangle,
         [](QVModelPolygon& s) { s.insertPoint(-1, {7, 7}); s.insertPoint(4, {7, 7}); }, triangle, 0},
        {"set one", false, triangle, [](QVModelPolygon& s) { s.setPoint(1, {9, 9}); }, {{0, 0}, {9, 9}, {0, 10}}, 1},
        {"set past the end", false, triangle, [](QVModelPolygon& s) { s.setPoint(3, {9, 9}); }, triangle, 0},
        {"circle: remove clears", true, circle, [](QVModelPolygon& s) { s.removePoint(5); }, {}, 1},
        {"circle: remove on empty", true, {}, [](QVModelPolygon& s) { s.removePoint(0); }, {}, 0},
        {"circle: insert on empty", true, {}, [](QVModelPolygon& s) { s.insertPoint(7, {3, 3}); }, circle, 1},
        {"circle: insert kept", true, {{1, 1}}, [](QVModelPolygon& s) { s.insertPoint(0, {3, 3}); }, {{1, 1}}, 0},
        {"circle: a third point", true, circle, [](QVModelPolygon& s) { s.addPoint({3, 3}); }, circle, 0},
        {"circle: the rim follows", true, circle, [](QVModelPolygon& s) { s.setPoint(0, {10, 5}); },
         {{10, 5}, {40, 5}}, 1},
        {"circle: the rim alone", true, circle, [](QVModelPolygon& s) { s.setPoint(1, {0, 20}); },
         {{0, 0}, {0, 20}}, 1},
        {"circle: silent", true, circle, [](QVModelPolygon& s) { s.removePoint(0, true); }, {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto shape = makeShape(row.circle, row.start);
        ChangeCounter changes;
        shape->addListener(&changes);
        row.edit(*shape);
        shape->removeListener(&changes);
        EXPECT_EQ(changes.count, row.changes);
        ASSERT_EQ(shape->points().size(), row.expected.size());
        for (size_t i = 0; i < row.expected.size(); ++i) EXPECT_TRUE(shape->points()[i].equals(row.expected[i])) << i;
    }
}

// Each outline: whether a shape comes out, which, and whether the physics
// layer's refusal is logged. isValidShape must agree and stay silent.
TEST_F(ShapesTest, FixtureDefinitions) {
    enum Made { kNone, kPolygon, kCircle };
    Points decagon;
    for (int i = 0; i < 10; ++i) {
        const float a = static_cast<float>(i) * 0.6283185f;
        decagon.emplace_back(100.0f * std::cos(a), 100.0f * std::sin(a));
    }
    struct Row {
        const char* what; bool circle; Points points; float sx, sy; Made made; bool logged;
        b2Vec2 centre; float radius;
    };
    const Row rows[] = {
        {"circle at (2, 1)", true, {{10, 20}, {40, 20}}, 2, 1, kCircle, false, {1, -1}, 3},
        {"one-point circle", true, {{30, 40}}, 1, 1, kCircle, false, {1.5f, -2}, 2.5f},
        {"near duplicates at 1", false, {{0, 0}, {0.5f, 0}, {40, 40}}, 1, 1, kNone, false, {}, 0},
        {"near duplicates at 4", false, {{0, 0}, {0.5f, 0}, {40, 40}}, 4, 4, kPolygon, false, {}, 0},
        {"two points", false, {{0, 0}, {40, 40}}, 1, 1, kNone, false, {}, 0},
        {"no points", true, {}, 1, 1, kNone, false, {}, 0},
        {"ten points", false, decagon, 1, 1, kPolygon, false, {}, 0},
        {"mirrored", false, {{0, 0}, {40, 0}, {0, 40}}, -1, 1, kPolygon, false, {}, 0},
        {"collinear", false, {{0, 0}, {10, 0}, {20, 0}}, 1, 1, kNone, true, {}, 0},
        {"a NaN point", false, {{0, 0}, {10, 0}, {kNaN, 10}}, 1, 1, kNone, true, {}, 0},
        {"huge", false, {{0, 0}, {1e30f, 0}, {0, 1e30f}}, 1, 1, kNone, true, {}, 0},
        {"NaN scale", false, {{0, 0}, {10, 0}, {0, 10}}, kNaN, 1, kNone, true, {}, 0},
        {"circle, infinite rim", true, {{0, 0}, {kInf, 0}}, 1, 1, kNone, true, {}, 0},
        {"circle, NaN scale", true, {{0, 0}, {10, 0}}, kNaN, 1, kNone, true, {}, 0},
        {"circle, tiny and far", true, {{200000, 0}, {200000.0625f, 0}}, 1, 1, kNone, true, {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto shape = makeShape(row.circle, row.points);
        log.lines().clear();
        const bool valid = shape->isValidShape(row.sx, row.sy);
        EXPECT_TRUE(log.lines().empty());
        const QVFixtureDef made = shape->createFixtureShape(row.sx, row.sy);
        EXPECT_EQ(valid, made.hasShape());
        EXPECT_EQ(made.def.shape, made.shape.get());
        const std::string prefix = "[QVModelPolygon] no fixture shape for model " + std::to_string(shape->id()) + ": ";
        EXPECT_EQ(log.hasPrefix(prefix), row.logged);
        EXPECT_EQ(log.hasPrefix("[Physics]"), false);
        switch (row.made) {
        case kNone:
            EXPECT_FALSE(made.hasShape());
            break;
        case kPolygon: {
            ASSERT_TRUE(made.hasShape());
            ASSERT_EQ(made.shape->GetType(), b2Shape::e_polygon);
            const auto* polygon = static_cast<const b2PolygonShape*>(made.shape.get());
            EXPECT_GE(polygon->m_count, 3);
            EXPECT_LE(polygon->m_count, 8);
            EXPECT_FLOAT_EQ(polygon->m_radius, b2_polygonRadius);
            break;
        }
        case kCircle: {
            ASSERT_TRUE(made.hasShape());
            ASSERT_EQ(made.shape->GetType(), b2Shape::e_circle);
            const auto* circle = static_cast<const b2CircleShape*>(made.shape.get());
            EXPECT_FLOAT_EQ(circle->m_p.x, row.centre.x);
            EXPECT_FLOAT_EQ(circle->m_p.y, row.centre.y);
            EXPECT_FLOAT_EQ(circle->m_radius, row.radius);
            break;
        }
        }
        // Box2D's defaults otherwise.
        EXPECT_FLOAT_EQ(made.def.friction, 0.2f);
        EXPECT_EQ(made.def.density, 0.0f);
        EXPECT_EQ(made.def.restitution, 0.0f);
        EXPECT_FALSE(made.def.isSensor);
        EXPECT_EQ(made.def.filter.categoryBits, 0x0001);
        EXPECT_EQ(made.def.filter.maskBits, 0xFFFF);
        EXPECT_EQ(made.def.userData.pointer, 0u);
    }
}

}  // namespace
