// Collision shapes: point lists from packs and dictionaries, editing,
// convexity, and the fixture definitions they build.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
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
    void modelChanged(const std::shared_ptr<QVModel>&) override { ++count; }
};

std::shared_ptr<QVModelPolygon> makeShape(bool circle, const Points& points) {
    std::shared_ptr<QVModelPolygon> shape =
        circle ? std::shared_ptr<QVModelPolygon>(QVModelCircle::create()) : QVModelPolygon::create();
    for (const CCPoint& point : points) shape->addPoint(point, true);
    return shape;
}

// Notifications sent while `edit` runs.
int changesDuring(QVModelPolygon& shape, const std::function<void(QVModelPolygon&)>& edit) {
    ChangeCounter changes;
    shape.addListener(&changes);
    edit(shape);
    shape.removeListener(&changes);
    return changes.count;
}

void expectPoints(const QVModelPolygon& shape, const Points& expected) {
    ASSERT_EQ(shape.points().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_TRUE(shape.points()[i].equals(expected[i])) << i;
}

class ShapesTest : public ::testing::Test {
protected:
    void TearDown() override { cocos2d::CCPoolManager::sharedPoolManager()->finalize(); }
    modeltest::LogCapture log;
};

TEST_F(ShapesTest, PointListsFromPacksAndDictionaries) {
    Points ten;
    for (int i = 0; i < 10; ++i) ten.emplace_back(static_cast<float>(i), static_cast<float>(-2 * i));
    struct Row {
        const char* what;
        bool circle, fromPack;
        size_t kept;
    };
    for (const Row& row : {Row{"polygon pack", false, true, 8}, Row{"polygon dictionary", false, false, 10},
                           Row{"circle dictionary", true, false, 2}, Row{"circle pack", true, true, 8}}) {
        SCOPED_TRACE(row.what);
        auto shape = makeShape(row.circle, {});
        classtest::installKeysOf({shape.get()});
        msgpack::zone zone;
        if (row.fromPack) {
            shape->unpack(classtest::readBack(zone, [&](QVPackMap& map) {
                map.put("points", ten);
                map.put("oneWayCollisionVector", CCPoint(0.5f, -1));
            }));
        } else {
            auto* dict = cocos2d::CCDictionary::create();
            auto* texts = cocos2d::CCArray::create();
            for (const CCPoint& p : ten) texts->addObject(cocos2d::CCString::createWithFormat("{%g,%g}", p.x, p.y));
            dict->setObject(texts, "points");
            dict->setObject(cocos2d::CCString::create("{0.5,-1}"), "oneWayCollisionVector");
            shape->fromDictionary(dict);
        }
        expectPoints(*shape, Points(ten.begin(), ten.begin() + static_cast<long>(row.kept)));
        EXPECT_TRUE(shape->oneWayCollisionVector().equals(CCPoint(0.5f, -1)));
        // The dictionary written back reads the same; a dictionary appends.
        shape->fromDictionary(shape->toDictionary());
        EXPECT_EQ(shape->points().size(), row.circle ? row.kept : 2 * row.kept);
    }
    msgpack::zone zone;
    EXPECT_THROW(makeShape(false, {})->unpack(classtest::readBack(zone, [](QVPackMap& m) { m.put("points", 5.0f); })),
                 msgpack::type_error);
}

TEST_F(ShapesTest, DefaultBoxesAndCircles) {
    struct Row {
        const char* what;
        bool circle;
        Points start;
        CCSize size;
        CCPoint offset;
        Points expected;
    };
    const Row rows[] = {
        {"no width: 120 x 80", false, {}, {0, 50}, {}, {{-60, -40}, {60, -40}, {60, 40}, {-60, 40}}},
        {"size and offset", false, {}, {60, 40}, {10, 0}, {{-40, -20}, {20, -20}, {20, 20}, {-40, 20}}},
        {"appends", false, {{1, 1}}, {2, 2}, {}, {{1, 1}, {-1, -1}, {1, -1}, {1, 1}, {-1, 1}}},
        {"circle from a size", true, {}, {120, 80}, {}, {{0, 0}, {40, 0}}},
        {"circle default", true, {}, {0, 0}, {5, -5}, {{-5, 5}, {25, 5}}},
        {"circle from one side", true, {}, {0, 30}, {}, {{0, 0}, {6, 0}}},
        {"circle keeps its points", true, {{1, 1}, {2, 2}}, {50, 50}, {}, {{1, 1}, {2, 2}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto shape = makeShape(row.circle, row.start);
        EXPECT_EQ(changesDuring(*shape, [&](QVModelPolygon& s) { s.initAsBox(row.size, row.offset); }), 1);
        expectPoints(*shape, row.expected);
    }
}

TEST_F(ShapesTest, Convexity) {
    struct Row {
        const char* what;
        bool circle;
        Points points;
        bool convex;
    };
    const Row rows[] = {
        {"square, counter-clockwise", false, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true},
        {"square, clockwise", false, {{0, 10}, {10, 10}, {10, 0}, {0, 0}}, true},
        {"corner pushed in", false, {{0, 0}, {10, 0}, {10, 10}, {6, 4}}, false},
        {"first three on a line", false, {{0, 0}, {5, 0}, {10, 0}, {6, 4}, {0, 10}}, true},
        {"a straight corner later", false, {{0, 0}, {10, 0}, {10, 10}, {5, 10}, {0, 10}}, false},
        {"two points", false, {{0, 0}, {10, 0}}, false},
        // Turns that are NaN or beyond int read through a defined conversion.
        {"a NaN point", false, {{0, 0}, {10, 0}, {kNaN, 10}, {0, 10}}, true},
        {"beyond int", false, {{0, 0}, {1e30f, 0}, {1e30f, 1e30f}, {0, 1e30f}}, true},
        {"circle", true, {{0, 0}}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(makeShape(row.circle, row.points)->isConvex(), row.convex);
    }
}

TEST_F(ShapesTest, EditingOperations) {
    using Edit = std::function<void(QVModelPolygon&)>;
    const Points tri{{0, 0}, {10, 0}, {0, 10}};
    const Points circle{{0, 0}, {30, 0}};
    struct Row {
        const char* what;
        bool circle;
        Points start;
        Edit edit;
        Points expected;
        int changes;
    };
    const Row rows[] = {
        {"remove past the end", false, tri, [](QVModelPolygon& s) { s.removePoint(5); }, tri, 0},
        {"remove one", false, tri, [](QVModelPolygon& s) { s.removePoint(0); }, {{10, 0}, {0, 10}}, 1},
        {"insert at the end",
         false,
         tri,
         [](QVModelPolygon& s) {
             s.insertPoint(3, {7, 7});
         },
         {{0, 0}, {10, 0}, {0, 10}, {7, 7}},
         1},
        {"insert out of range", false, tri,
         [](QVModelPolygon& s) {
             s.insertPoint(-1, {7, 7});
         },
         tri, 0},
        {"set past the end", false, tri,
         [](QVModelPolygon& s) {
             s.setPoint(3, {9, 9});
         },
         tri, 0},
        {"circle: remove clears", true, circle, [](QVModelPolygon& s) { s.removePoint(5); }, {}, 1},
        {"circle: remove on empty", true, {}, [](QVModelPolygon& s) { s.removePoint(0); }, {}, 0},
        {"circle: insert on empty",
         true,
         {},
         [](QVModelPolygon& s) {
             s.insertPoint(7, {3, 3});
         },
         circle,
         1},
        {"circle: insert kept",
         true,
         {{1, 1}},
         [](QVModelPolygon& s) {
             s.insertPoint(0, {3, 3});
         },
         {{1, 1}},
         0},
        {"circle: a third point", true, circle,
         [](QVModelPolygon& s) {
             s.addPoint({3, 3});
         },
         circle, 0},
        {"circle: the rim follows",
         true,
         circle,
         [](QVModelPolygon& s) {
             s.setPoint(0, {10, 5});
         },
         {{10, 5}, {40, 5}},
         1},
        {"circle: the rim alone",
         true,
         circle,
         [](QVModelPolygon& s) {
             s.setPoint(1, {0, 20});
         },
         {{0, 0}, {0, 20}},
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto shape = makeShape(row.circle, row.start);
        EXPECT_EQ(changesDuring(*shape, row.edit), row.changes);
        expectPoints(*shape, row.expected);
    }
}

// What comes out at a scale; a refusal of the physics layer is logged once,
// isValidShape agrees and stays silent.
TEST_F(ShapesTest, FixtureDefinitions) {
    Points decagon;
    for (int i = 0; i < 10; ++i) decagon.emplace_back(100 * std::cos(i * 0.6283f), 100 * std::sin(i * 0.6283f));
    // vertices: 0 no shape, -1 a circle of `centre` and `radius` (metres).
    struct Row {
        const char* what;
        bool circle;
        Points points;
        float sx, sy;
        int vertices;
        bool logged;
        b2Vec2 centre;
        float radius;
    };
    const Row rows[] = {
        {"circle at (2, 1)", true, {{10, 20}, {40, 20}}, 2, 1, -1, false, {1, -1}, 3},
        {"one-point circle", true, {{30, 40}}, 1, 1, -1, false, {1.5f, -2}, 2.5f},
        {"near duplicates at 1", false, {{0, 0}, {0.5f, 0}, {40, 40}}, 1, 1, 0, false, {}, 0},
        {"near duplicates at 4", false, {{0, 0}, {0.5f, 0}, {40, 40}}, 4, 4, 3, false, {}, 0},
        {"two points", false, {{0, 0}, {40, 40}}, 1, 1, 0, false, {}, 0},
        {"ten points: the first 8", false, decagon, 1, 1, 8, false, {}, 0},
        {"collinear", false, {{0, 0}, {10, 0}, {20, 0}}, 1, 1, 0, true, {}, 0},
        {"a NaN point", false, {{0, 0}, {10, 0}, {kNaN, 10}}, 1, 1, 0, true, {}, 0},
        {"huge", false, {{0, 0}, {1e30f, 0}, {0, 1e30f}}, 1, 1, 0, true, {}, 0},
        {"NaN scale", false, {{0, 0}, {10, 0}, {0, 10}}, kNaN, 1, 0, true, {}, 0},
        {"circle, infinite rim", true, {{0, 0}, {kInf, 0}}, 1, 1, 0, true, {}, 0},
        {"circle, tiny and far", true, {{200000, 0}, {200000.0625f, 0}}, 1, 1, 0, true, {}, 0},
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
        EXPECT_EQ(log.lines().size(), row.logged ? 1u : 0u);
        EXPECT_EQ(log.hasPrefix("[QVModelPolygon] no fixture shape for model " + std::to_string(shape->id()) + ": "),
                  row.logged);
        EXPECT_TRUE(made.def.friction == 0.2f && made.def.density == 0 && made.def.filter.maskBits == 0xFFFF);
        if (row.vertices == 0) {
            EXPECT_FALSE(made.hasShape());
        } else if (row.vertices > 0) {
            ASSERT_TRUE(made.hasShape() && made.shape->GetType() == b2Shape::e_polygon);
            EXPECT_EQ(static_cast<const b2PolygonShape*>(made.shape.get())->m_count, row.vertices);
        } else {
            ASSERT_TRUE(made.hasShape() && made.shape->GetType() == b2Shape::e_circle);
            const auto* circle = static_cast<const b2CircleShape*>(made.shape.get());
            EXPECT_FLOAT_EQ(circle->m_p.x, row.centre.x);
            EXPECT_FLOAT_EQ(circle->m_p.y, row.centre.y);
            EXPECT_FLOAT_EQ(circle->m_radius, row.radius);
        }
    }
}

}  // namespace
