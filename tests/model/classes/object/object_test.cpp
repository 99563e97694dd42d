// Placed-object models: the component list of compound models, the animated
// readers, the random draws, edge anchoring and the object's own queries.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelComponent.h"
#include "model/classes/QVModelCompound.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVAnimationCurve.h"
#include "model/core/QVAttributeEnum.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelListener.h"
#include "platform/RandomAndClock.h"
#include "view/CCEGLView.h"

using namespace cocos2d;

namespace {

// A component subclass, for the exact-class lookup.
class SecondComponent : public QVModelComponent {
    QV_MODEL_GLUE(SecondComponent, "Second", QVModelComponent, QVModel)
public:
    explicit SecondComponent(const std::string& name) : QVModelComponent(name) {}
    SecondComponent(const SecondComponent& source) : QVModelComponent(source) {}
};

struct ValueCounter : QVModelListener {
    void attributeChanged(QVAttribute*, int kind) override { counts[kind == 0 ? 0 : 1]++; }
    int counts[2] = {0, 0};
};

class ObjectModels : public ::testing::Test {
protected:
    void TearDown() override {
        QVModelGeneralSettings::reset();
        QVModelController::shared()->clear();
        CCPoolManager::sharedPoolManager()->finalize();
    }
    // A curve of value v at time 0 and 2v at time 1.
    static QVAnimationCurve* curve(float v) {
        auto* c = new QVAnimationCurve();
        c->addKey(v, 0.0f);
        c->addKey(2.0f * v, 1.0f);
        return c;
    }
    static std::vector<QVModel*> raw(const std::vector<std::shared_ptr<QVModelComponent>>& list) {
        std::vector<QVModel*> out;
        for (const auto& c : list) out.push_back(c.get());
        return out;
    }
};

// The list follows add, remove and remove-all, and a deep clone rebuilds it
// from the cloned children; other children never enter it.
TEST_F(ObjectModels, ComponentListFollowsTheChildren) {
    auto object = QVModelObject::create();
    auto plain = std::make_shared<QVModelComponent>("plain");
    auto second = SecondComponent::create();
    auto otherPlain = std::make_shared<QVModelComponent>("other");
    auto child = QVModelObject::create();
    for (const std::shared_ptr<QVModel>& c : std::vector<std::shared_ptr<QVModel>>{plain, child, second, otherPlain}) {
        object->addChild(c);
    }
    EXPECT_EQ(raw(object->components()), (std::vector<QVModel*>{plain.get(), second.get(), otherPlain.get()}));
    EXPECT_EQ(object->findComponent<SecondComponent>(), second);
    EXPECT_EQ(object->findComponent<QVModelComponent>(), plain);  // exact class, first entry

    auto deep = std::static_pointer_cast<QVModelObject>(object->clone(true, false));
    ASSERT_EQ(deep->components().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NE(deep->components()[i], object->components()[i]);
        EXPECT_TRUE(deep->hasChild(deep->components()[i]));
    }
    EXPECT_EQ(modelCast<SecondComponent>(deep->components()[1]), deep->findComponent<SecondComponent>());

    object->removeChild(plain);
    object->removeChild(child);
    EXPECT_EQ(raw(object->components()), (std::vector<QVModel*>{second.get(), otherPlain.get()}));
    object->removeAllChildren();
    EXPECT_TRUE(object->components().empty());
    EXPECT_FALSE(object->findComponent<SecondComponent>());
}

// Each state keeps its own curves; x and y of a point keep separate maps; a
// state without a curve gives the base value.
TEST_F(ObjectModels, ReadersAddTheStatesCurves) {
    auto object = QVModelObject::create();
    object->setPosition(CCPoint(100.0f, 200.0f));
    object->attribute("Position")->setAnimationCurves({curve(10.0f), nullptr}, 1);  // x only
    object->attribute("Position")->setAnimationCurves({nullptr, curve(-5.0f)}, 2);  // y only
    object->attribute("Rotation")->setAnimationCurves({curve(30.0f)}, 1);
    object->attribute("Opacity")->setAnimationCurves({curve(-0.25f)}, 3);
    object->setScale(CCPoint(2.0f, 3.0f));
    object->attribute("Scale")->setAnimationCurves({curve(1.0f), curve(0.5f)}, 4);

    const struct {
        float time;
        int state;
        CCPoint position, scale;
        float rotation, opacity;
    } rows[] = {
        {0.0f, 0, {100, 200}, {2, 3}, 0.0f, 1.0f},  {0.0f, 1, {110, 200}, {2, 3}, 30.0f, 1.0f},
        {1.0f, 1, {120, 200}, {2, 3}, 60.0f, 1.0f}, {1.0f, 2, {100, 190}, {2, 3}, 0.0f, 1.0f},
        {1.0f, 3, {100, 200}, {2, 3}, 0.0f, 0.5f},  {1.0f, 4, {100, 200}, {4, 4}, 0.0f, 1.0f},
        {0.0f, 5, {100, 200}, {2, 3}, 0.0f, 1.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "state " << row.state << " time " << row.time);
        const CCPoint p = object->position(row.time, row.state);
        const CCPoint s = object->scale(row.time, row.state);
        EXPECT_FLOAT_EQ(p.x, row.position.x);
        EXPECT_FLOAT_EQ(p.y, row.position.y);
        EXPECT_FLOAT_EQ(s.x, row.scale.x);
        EXPECT_FLOAT_EQ(s.y, row.scale.y);
        EXPECT_FLOAT_EQ(object->rotation(row.time, row.state), row.rotation);
        EXPECT_FLOAT_EQ(object->opacity(row.time, row.state), row.opacity);
    }
}

// The project generator, y drawn before x; each result stays within its
// variance (glibc's rand would overshoot by a factor of 65536).
TEST_F(ObjectModels, RandomDrawsArePinnedAfterASeed) {
    auto object = QVModelObject::create();
    object->setPosition(CCPoint(10.0f, 20.0f));
    static_cast<QVAttributePoint*>(object->attribute("Position"))->setVariableValue(CCPoint(4.0f, 8.0f));
    auto* rotation = static_cast<QVAttributeFloat*>(object->attribute("Rotation"));
    rotation->setValue(45.0f);
    rotation->setVariableValue(15.0f);

    compat::srand(1);
    const int first = compat::rand();
    const int second = compat::rand();
    const int third = compat::rand();
    auto unit = [](int draw) { return static_cast<float>(draw) / 32767.0f * 2.0f - 1.0f; };

    compat::srand(1);
    const CCPoint p = object->randomPosition();
    const float r = object->randomRotation();
    EXPECT_NEAR(p.y, 20.0f + 8.0f * unit(first), 1e-4f);
    EXPECT_NEAR(p.x, 10.0f + 4.0f * unit(second), 1e-4f);
    EXPECT_FLOAT_EQ(r, unit(third) * 15.0f + 45.0f);
    EXPECT_LE(std::fabs(p.x - 10.0f), 4.0f);
    EXPECT_LE(std::fabs(p.y - 20.0f), 8.0f);
    EXPECT_LE(std::fabs(r - 45.0f), 15.0f);
    EXPECT_EQ(object->positionVariance().x, 4.0f);
}

// Landscape design 1136 x 640 under the no-border policy: the outer 30% of
// each axis keeps its distance to the nearer edge of the visible area.
TEST_F(ObjectModels, AnchoredPositionKeepsTheEdgeDistance) {
    static_cast<QVAttributeOrientation*>(QVModelGeneralSettings::shared()->attribute("Orientation"))
        ->setValue(kQVOrientationLandscape, true);
    CCEGLView* view = CCDirector::sharedDirector()->getOpenGLView();
    auto object = QVModelObject::create();
    const struct {
        float frameW, frameH;
        CCPoint in, out;
    } rows[] = {
        {1000, 640, {1000, 320}, {932, 320}}, {1000, 640, {100, 320}, {168, 320}},
        {1000, 640, {568, 320}, {568, 320}},  {1136, 500, {568, 600}, {568, 530}},
        {1136, 500, {568, 100}, {568, 170}},  {1136, 500, {1000, 320}, {1000, 320}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.frameW << "x" << row.frameH << " at " << row.in.x << "," << row.in.y);
        view->setFrameSize(row.frameW, row.frameH);
        view->setDesignResolutionSize(1136, 640, kResolutionNoBorder);
        object->setPosition(row.in);
        const CCPoint p = object->anchoredPosition(0.0f, 0);
        EXPECT_NEAR(p.x, row.out.x, 1e-3);
        EXPECT_NEAR(p.y, row.out.y, 1e-3);
    }
}

TEST_F(ObjectModels, SettersNotifyOnlyOnAChange) {
    auto object = QVModelObject::create();
    ValueCounter counter;
    object->addListener(&counter);
    object->setZDepth(0);
    object->setPosition(CCPoint(0.0f, 0.0f));
    object->setScale(CCPoint(1.0f, 1.0f));
    EXPECT_EQ(counter.counts[0], 0);
    object->setZDepth(3);
    object->setZDepth(3);
    object->setScale(CCPoint(1.0f, 2.0f));
    EXPECT_EQ(counter.counts[0], 2);
    EXPECT_EQ(object->zDepth(), 3);
    object->removeListener(&counter);

    const CCSize placeholder = object->placeholderSize(0.0f);
    EXPECT_EQ(placeholder.width, 100.0f);
    EXPECT_EQ(placeholder.height, 100.0f);
}

// A copy of a model that lacks "Z Depth" answers neutrally and ignores the
// setter instead of touching a missing attribute.
TEST_F(ObjectModels, CopyWithoutAnAttributeAnswersNeutrally) {
    auto object = QVModelObject::create();
    object->setZDepth(7);
    object->removeAttribute(object->attribute("Z Depth"));
    auto copy = std::static_pointer_cast<QVModelObject>(object->clone(false, false));
    EXPECT_EQ(copy->attribute("Z Depth"), nullptr);
    EXPECT_EQ(copy->zDepth(), 0);
    copy->setZDepth(4);
    EXPECT_EQ(copy->zDepth(), 0);
    EXPECT_EQ(copy->attributes().size(), 6u);
}

}  // namespace
