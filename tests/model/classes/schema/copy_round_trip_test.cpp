// The copy of every listed class: a fully set instance (the fixture game's,
// else a fresh one with every attribute moved off its default) copies into a
// model whose attributes are the source's, member for member, and pack to the
// same bytes except the id. Owned models (animations, shapes) are deep
// clones, so their links are compared by what the linked models pack.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../../core/support/loader_fixture.h"
#include "../../core/support/model_test_support.h"
#include "model/classes/QVModelClasses.h"
#include "model/core/QVAnimationCurve.h"
#include "model/core/QVAttributeEnum.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"

namespace {

const std::string kFullGame = std::string(QV_BINARY_DIR) + "/fixtures/classes/full";
const std::string kClassList = std::string(QV_SOURCE_DIR) + "/tests/fixtures/classes/schema.classes";
constexpr int kCurveState = 2;

std::vector<std::string> listedClasses() {
    std::ifstream in(kClassList);
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) names.push_back(line);
    return names;
}

// One map's entries as "<key name>: <canonical bytes in hex>", the id left out.
std::vector<std::string> entries(const QVPackMap& map) {
    std::vector<std::string> out;
    const std::int32_t id = keyCode("id");
    for (const auto& entry : map.entries()) {
        if (static_cast<std::int32_t>(entry.first) == id) continue;
        const std::string* name = findKeyName(entry.first);
        out.push_back((name ? *name : std::to_string(entry.first)) + ": " +
                      modeltest::hexText(QVPackMap::encode(entry.second)));
    }
    return out;
}

template <class Write>
std::vector<std::string> packed(Write write) {
    msgpack::zone zone;
    QVPackMap map(zone);
    write(map);
    return entries(map);
}

bool ownsLinkedModel(const QVAttribute* a) {
    return dynamic_cast<const QVBaseAttributeAnimation*>(a) || dynamic_cast<const QVBaseAttributeShape*>(a);
}

// Every key the model's packs use gets a number (the loaded ones keep
// theirs), so a model the fixture game does not hold can be packed too.
void coverKeysOf(QVModel& model) {
    collectedKeys().clear();
    setCollectingKeys(true);
    model.collectKeys();
    // Packing in this mode records every name it puts, nested ones too.
    msgpack::zone zone;
    QVPackMap values(zone), links(zone);
    model.pack(values);
    model.packConnections(links);
    setCollectingKeys(false);
    QVKeyTableMap table = keyTable();
    std::int32_t next = 0;
    for (const auto& entry : table) next = std::max(next, entry.second + 1);
    for (const std::string& name : collectedKeys())
        if (!table.count(name)) table.emplace(name, next++);
    installKeyTable(std::move(table));
}

QVAnimationCurve* rampCurve(float to) {
    auto* curve = new QVAnimationCurve;
    curve->addKey(0.f, 0.f);
    curve->addKey(to, 1.f);
    return curve;
}

// value + step, else value - step, whichever the range keeps different.
template <typename T, typename Set>
void moveOff(T value, T step, Set set) {
    if (!set(static_cast<T>(value + step))) set(static_cast<T>(value - step));
}

template <typename T>
void setFundamental(QVBaseAttributeFundamental<T>& a, T step) {
    moveOff<T>(a.value(), step, [&](T v) { return a.setValue(v); });
    moveOff<T>(a.variableValue(), step, [&](T v) { return a.setVariableValue(v); });
    if (a.allowEmpty()) a.setEmpty(!a.isEmpty());
    a.setAnimationCurves({rampCurve(3.f)}, kCurveState);
}

template <typename E>
bool setEnum(QVAttribute* a) {
    auto* e = dynamic_cast<QVBaseAttributeEnum<E>*>(a);
    if (e) e->setValue(static_cast<E>(e->intValue() + 1));
    return e != nullptr;
}

class CopyRoundTrip : public modeltest::LoaderFixture {
protected:
    // A new registered model of the first class that `linkedType` accepts.
    std::shared_ptr<QVModel> linkTarget(uint32_t linkedType) {
        for (const QVModelClassFactory& factory : modelClassFactories()) {
            std::shared_ptr<QVModel> model = factory.create();
            if (!model->isKindOf(linkedType)) continue;
            controller()->addModel(model);
            return model;
        }
        return nullptr;
    }

    // Moves every attribute off its default through the attribute API.
    void setEveryAttribute(QVModel& model) {
        for (QVAttribute* a : model.attributes()) {
            SCOPED_TRACE(a->name());
            if (auto* f = dynamic_cast<QVBaseAttributeFundamental<int>*>(a)) {
                setFundamental(*f, 1);
            } else if (auto* u = dynamic_cast<QVBaseAttributeFundamental<unsigned int>*>(a)) {
                setFundamental(*u, 1u);
            } else if (auto* b = dynamic_cast<QVBaseAttributeFundamental<bool>*>(a)) {
                b->setValue(!b->value());
                b->setVariableValue(!b->variableValue());
                if (b->allowEmpty()) b->setEmpty(!b->isEmpty());
                b->setAnimationCurves({rampCurve(1.f)}, kCurveState);
            } else if (auto* x = dynamic_cast<QVBaseAttributeFundamental<float>*>(a)) {
                setFundamental(*x, 1.5f);
            } else if (auto* p = dynamic_cast<QVBaseAttributePoint*>(a)) {
                const cocos2d::CCPoint step(1.5f, -2.5f);
                moveOff<cocos2d::CCPoint>(p->value(), step, [&](cocos2d::CCPoint v) { return p->setValue(v); });
                moveOff<cocos2d::CCPoint>(p->variableValue(), step,
                                          [&](cocos2d::CCPoint v) { return p->setVariableValue(v); });
                if (p->allowEmpty()) p->setEmpty(!p->isXEmpty());
                p->setAnimationCurves({rampCurve(2.f), rampCurve(-2.f)}, kCurveState);
            } else if (auto* s = dynamic_cast<QVAttributeString*>(a)) {
                s->setValue(s->value() + "~");
            } else if (auto* r = dynamic_cast<QVAttributeRect*>(a)) {
                r->setValue(cocos2d::CCRect(r->value().origin.x + 1, 2, 30, 40));
            } else if (auto* z = dynamic_cast<QVAttributeSize*>(a)) {
                z->setValue(cocos2d::CCSize(z->value().width + 7, 9));
            } else if (auto* c = dynamic_cast<QVBaseAttributeColor*>(a)) {
                c->setValue(cocos2d::ccColor4F{0.25f, 0.5f, 0.75f, c->value().a == 1.f ? 0.5f : 1.f});
            } else if (auto* g = dynamic_cast<QVAttributeGradient*>(a)) {
                g->setColor(0.25f, cocos2d::ccColor4F{1.f, 0.5f, 0.f, 1.f});
            } else if (setEnum<QVObjectFrameEdgeState>(a) || setEnum<QVOrientation>(a) ||
                       setEnum<QVScreenAdjustment>(a)) {
            } else if (auto* link = dynamic_cast<QVAttributeModelLink*>(a)) {
                const auto target = linkTarget(link->linkedType());
                ASSERT_TRUE(target) << "no registered class fits the link";
                msgpack::zone zone;
                QVPackMap value(zone);
                value.put("value", target->id());
                link->unpackConnections(value);
                ASSERT_EQ(link->linkedModel(), target);
            } else if (auto* sprite = dynamic_cast<QVAttributeSprite*>(a)) {
                sprite->setValue(controller()->createModel("QVModelSpriteContainer"));
                sprite->setExcludedFromAtlas(!sprite->excludedFromAtlas());
            } else {
                a->setConnectionMode(QVBaseAttribute::kConnectionSource);
            }
        }
    }

    void expectSameAttributes(const QVModel& source, const QVModel& copy) {
        ASSERT_EQ(copy.attributes().size(), source.attributes().size());
        for (size_t i = 0; i < source.attributes().size(); ++i) {
            const QVAttribute* a = source.attributes()[i];
            const QVAttribute* b = copy.attributes()[i];
            SCOPED_TRACE(a->name());
            EXPECT_EQ(b->name(), a->name());
            EXPECT_STREQ(b->className(), a->className());
            EXPECT_EQ(b->flags(), a->flags());
            EXPECT_EQ(b->connectionMode(), a->connectionMode());
            EXPECT_EQ(b->owner(), &copy);
            // A member of the source is copied into the copy's own member.
            EXPECT_EQ(b->memberOf() == &copy, a->memberOf() == &source) << "member not bound";
            EXPECT_EQ(packed([&](QVPackMap& m) { const_cast<QVAttribute*>(b)->pack(m); }),
                      packed([&](QVPackMap& m) { const_cast<QVAttribute*>(a)->pack(m); }));
            if (!ownsLinkedModel(a)) {
                EXPECT_EQ(packed([&](QVPackMap& m) { const_cast<QVAttribute*>(b)->packConnections(m); }),
                          packed([&](QVPackMap& m) { const_cast<QVAttribute*>(a)->packConnections(m); }));
                continue;
            }
            const auto& mine = static_cast<const QVAttributeModelLink*>(a)->linkedModel();
            const auto& theirs = static_cast<const QVAttributeModelLink*>(b)->linkedModel();
            ASSERT_EQ(theirs != nullptr, mine != nullptr);
            if (!mine) continue;
            EXPECT_NE(theirs, mine) << "an owned model is shared, not cloned";
            EXPECT_STREQ(theirs->className(), mine->className());
            coverKeysOf(*mine);
            EXPECT_EQ(packed([&](QVPackMap& m) { theirs->pack(m); }), packed([&](QVPackMap& m) { mine->pack(m); }));
        }
    }
};

TEST_F(CopyRoundTrip, EveryListedClassCopiesEveryAttribute) {
    resetController({});
    loadAll(kFullGame, false);
    ASSERT_EQ(controller()->lastError(), "") << "the fixture game does not load from " << kFullGame;
    const std::vector<std::string> classes = listedClasses();
    ASSERT_FALSE(classes.empty());
    std::map<std::string, std::shared_ptr<QVModel>> fromFixture;
    for (const auto& model : controller()->modelsById()) fromFixture.emplace(model->className(), model);

    for (const std::string& className : classes) {
        SCOPED_TRACE(className);
        if (!controller()->hasFactory(className)) continue;  // the listing test names it
        std::shared_ptr<QVModel> source;
        const auto found = fromFixture.find(className);
        if (found != fromFixture.end()) {
            source = found->second;
        } else {
            source = controller()->createModel(className);
            setEveryAttribute(*source);
        }
        coverKeysOf(*source);
        const std::shared_ptr<QVModel> copy = source->clone(false, false);
        ASSERT_TRUE(copy);
        EXPECT_STREQ(copy->className(), className.c_str());
        EXPECT_NE(copy->id(), source->id());
        expectSameAttributes(*source, *copy);
        EXPECT_EQ(packed([&](QVPackMap& m) { copy->pack(m); }), packed([&](QVPackMap& m) { source->pack(m); }));
    }
}

}  // namespace
