// Shared fixtures of the attribute tests: a bare model to own attributes, a
// listener that counts notifications, a key table holding every key the
// attributes write, and pack round trips through real bytes.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <msgpack.hpp>

#include "../support/model_test_support.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVAnimationCurve.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"
#include "model/core/QVModelListener.h"
#include "model/core/QVPackMap.h"

namespace attrtest {

class ProbeModel : public QVModel {
    QV_MODEL_GLUE(ProbeModel, "Probe", QVModel)
public:
    explicit ProbeModel(const std::string& name) : QVModel(name) {}
    ProbeModel(const ProbeModel& source) : QVModel(source) {}
};

struct CountingListener : QVModelListener {
    int valueChanges = 0;
    int linkChanges = 0;
    void attributeChanged(QVAttribute*, int kind) override { (kind == 0 ? valueChanges : linkChanges)++; }
};

// A curve that counts its destructions, to see curves freed exactly once.
struct CountedCurve : QVAnimationCurve {
    static int destroyed;
    ~CountedCurve() override { ++destroyed; }
};

// The key numbers the tests use; "value" keeps its built-in number 10.
inline QVKeyTableMap testKeyTable() {
    const char* names[] = {"Name",      "children",  "variableValue", "isEmpty",     "animations",
                           "state",     "animation", "points",        "preset",      "enum",
                           "value",     "isXEmpty",  "isYEmpty",      "animationsX", "animationsY",
                           "gradients", "pos",       "color",         "connectedModelId", "attributeName"};
    QVKeyTableMap table;
    int32_t number = 0;
    for (const char* name : names) table[name] = number++;
    table["id"] = 42;
    table["Class Name"] = 33;
    return table;
}

class AttributeTest : public ::testing::Test {
protected:
    void SetUp() override {
        installKeyTable(testKeyTable());
        cocos2d::CCPoolManager::sharedPoolManager()->push();
        model = ProbeModel::create();
        model->addListener(&listener);
        CountedCurve::destroyed = 0;
    }
    void TearDown() override {
        if (model) model->removeListener(&listener);
        model.reset();
        cocos2d::CCPoolManager::sharedPoolManager()->pop();
        installKeyTable({});
    }

    std::shared_ptr<ProbeModel> model;
    CountingListener listener;
};

// Bytes of what `object` packs into a fresh map.
template <class Packable>
std::vector<unsigned char> packBytes(Packable& object) {
    msgpack::zone zone;
    QVPackMap map(zone);
    object.pack(map);
    return map.toBytes();
}

// A map read back from bytes, as a loader would see it.
struct ReadMap {
    msgpack::object_handle handle;
    QVPackMap map;
    explicit ReadMap(const std::vector<unsigned char>& bytes)
        : handle(msgpack::unpack(reinterpret_cast<const char*>(bytes.data()), bytes.size())), map(handle.get()) {}
};

// Packs `from` and unpacks the bytes into `to`.
template <class A, class B>
void packInto(A& from, B& to) {
    ReadMap read(packBytes(from));
    to.unpack(read.map);
}

inline std::string hex(const std::vector<unsigned char>& bytes) { return modeltest::hexText(bytes); }

// A curve with the given (time, value) keys added through addKey.
inline std::unique_ptr<QVAnimationCurve> curveOf(std::initializer_list<std::pair<float, float>> keys) {
    auto curve = std::make_unique<QVAnimationCurve>();
    for (const auto& k : keys) curve->addKey(k.second, k.first);
    return curve;
}

// A dictionary of string entries, as the dictionary form holds them.
inline cocos2d::CCDictionary* dictOf(std::initializer_list<std::pair<const char*, const char*>> entries) {
    cocos2d::CCDictionary* dict = cocos2d::CCDictionary::create();
    for (const auto& e : entries) dict->setObject(cocos2d::CCString::create(e.second), e.first);
    return dict;
}

// An "animations"-style array: per state a one-key curve whose value is the state.
inline std::vector<msgpack::object> curveElements(msgpack::zone& zone, std::initializer_list<int> states) {
    std::vector<msgpack::object> elements;
    for (int state : states) {
        QVPackMap element(zone);
        element.put("state", static_cast<int32_t>(state));
        QVPackMap animation(zone);
        animation.put("points", std::vector<cocos2d::CCPoint>{{0.f, static_cast<float>(state)}, {0.f, 0.f}});
        element.put("animation", animation);
        elements.push_back(element.toObject(zone));
    }
    return elements;
}

}  // namespace attrtest
