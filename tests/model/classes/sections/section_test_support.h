// What the section and screen tests share besides the core tests' recorders:
// attribute setters by name and builders of characters, groups, sections
// and linkers.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "../../core/spine/test_models.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelLinker.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectGroup.h"

namespace sectiontest {

using Models = std::vector<std::shared_ptr<QVModel>>;

template <class T>
Models models(const std::vector<std::shared_ptr<T>>& list) {
    return Models(list.begin(), list.end());
}

inline size_t events(const RecordingListener& listener) {
    return static_cast<size_t>(listener.changed + listener.cleared) + listener.attributeEvents.size() +
           listener.added.size() + listener.removed.size();
}

// Sets the attribute `name` of class A, silently.
template <class A, class V>
void set(const std::shared_ptr<QVModel>& model, const std::string& name, const V& value) {
    A* attribute = attributeCast<A>(model->attribute(name));
    ASSERT_NE(attribute, nullptr) << name;
    attribute->setValue(value, true);
}

template <class P>
std::shared_ptr<P> with(std::shared_ptr<P> parent, std::initializer_list<std::shared_ptr<QVModel>> children) {
    for (const auto& child : children) parent->addChild(child, true);
    return parent;
}

inline std::shared_ptr<QVModelObjectAssetCharacter> character(int zDepth) {
    auto model = QVModelObjectAssetCharacter::create();
    model->setZDepth(zDepth);
    return model;
}

inline std::shared_ptr<QVModelObjectGroup> group(std::initializer_list<std::shared_ptr<QVModel>> members) {
    return with(QVModelObjectGroup::create(), members);
}

inline std::shared_ptr<QVModelLevelSection> section(std::initializer_list<std::shared_ptr<QVModel>> children,
                                                    bool init = false) {
    auto model = with(QVModelLevelSection::create(), children);
    set<QVAttributeBool>(model, "Init Section", init);
    return model;
}

inline std::shared_ptr<QVModelLinker> linker(const std::shared_ptr<QVModelObject>& a,
                                             const std::shared_ptr<QVModelObject>& b) {
    auto model = QVModelLinker::create();
    model->setObjects(a, b, true);
    return model;
}

class ModelTest : public ::testing::Test {
protected:
    void TearDown() override {
        controller()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    static QVModelController* controller() { return QVModelController::shared(); }
};

}  // namespace sectiontest
