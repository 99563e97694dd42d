// Small model classes and recorders of the tests' own, shared by the spine
// tests (core alone) and the sprite-link test (over the real container).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "model/core/QVAttribute.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelGlue.h"
#include "model/core/QVModelListener.h"
#include "model/core/QVSettingsModel.h"

// Three levels: TestModel <- TestDerived <- TestLeaf, plus an unrelated sibling.
class TestModel : public QVModel {
    QV_MODEL_GLUE(TestModel, "Test", QVModel)
public:
    explicit TestModel(const std::string& name) : QVModel(name) {}
    TestModel(const TestModel& source) : QVModel(source) {}
};

class TestDerived : public TestModel {
    QV_MODEL_GLUE(TestDerived, "Derived", TestModel, QVModel)
public:
    explicit TestDerived(const std::string& name) : TestModel(name) {}
    TestDerived(const TestDerived& source) : TestModel(source) {}
};

class TestLeaf : public TestDerived {
    QV_MODEL_GLUE(TestLeaf, "Leaf", TestDerived, TestModel, QVModel)
public:
    explicit TestLeaf(const std::string& name) : TestDerived(name) {}
    TestLeaf(const TestLeaf& source) : TestDerived(source) {}
};

class TestOther : public QVModel {
    QV_MODEL_GLUE(TestOther, "Other", QVModel)
public:
    explicit TestOther(const std::string& name) : QVModel(name) {}
    TestOther(const TestOther& source) : QVModel(source) {}
};

// A settings model of the test's own, which no model may take as a child.
class FakeGeneralSettings : public QVSettingsModel {
    QV_MODEL_GLUE(FakeGeneralSettings, "Settings", QVModel)
public:
    explicit FakeGeneralSettings(const std::string& name) : QVSettingsModel(name) {}
    FakeGeneralSettings(const FakeGeneralSettings& source) : QVSettingsModel(source) {}
    const std::string& userId() const override { return m_userId; }
    uint32_t lastId() const override { return 0; }

private:
    std::string m_userId;
};

// A flow-graph-like node: "Load" in source mode, "Target" a follower.
class TestNode : public QVModel {
    QV_MODEL_GLUE(TestNode, "Node", QVModel)
public:
    explicit TestNode(const std::string& name) : QVModel(name) {
        load = new QVAttribute("Load", this);
        load->setConnectionMode(QVBaseAttribute::kConnectionSource, true);
        target = new QVAttribute("Target", this);
        target->setConnectionMode(QVBaseAttribute::kConnectionFollower, true);
    }
    TestNode(const TestNode& source) : QVModel(source) {
        load = attributeCast<QVAttribute>(attribute("Load"));
        target = attributeCast<QVAttribute>(attribute("Target"));
    }
    QVAttribute* load = nullptr;
    QVAttribute* target = nullptr;
};

// Counts what a model tells its listeners.
class RecordingListener : public QVModelListener {
public:
    void modelChanged(const std::shared_ptr<QVModel>&) override { ++changed; }
    void attributeChanged(QVAttribute* attribute, int kind) override { attributeEvents.emplace_back(attribute, kind); }
    void childAdded(const std::shared_ptr<QVModel>&, const std::shared_ptr<QVModel>& child) override {
        added.push_back(child.get());
    }
    void childRemoved(const std::shared_ptr<QVModel>&, const std::shared_ptr<QVModel>& child) override {
        removed.push_back(child.get());
    }
    void childrenCleared(const std::shared_ptr<QVModel>&) override { ++cleared; }

    int linkEvents() const {
        return static_cast<int>(std::count_if(attributeEvents.begin(), attributeEvents.end(),
                                              [](const auto& e) { return e.second == QVBaseAttribute::kChangeLinks; }));
    }

    int changed = 0;
    int cleared = 0;
    std::vector<std::pair<QVAttribute*, int>> attributeEvents;
    std::vector<QVModel*> added;
    std::vector<QVModel*> removed;
};

// Records the controller's hooks.
class RecordingController : public QVModelController {
public:
    void modelAdded(const std::shared_ptr<QVModel>& model) override {
        added.push_back(model.get());
        QVModelController::modelAdded(model);
    }
    void modelRemoved(const std::shared_ptr<QVModel>& model) override {
        removed.push_back(model.get());
        QVModelController::modelRemoved(model);
    }
    void modelChanged(const std::shared_ptr<QVModel>& model) override {
        ++modelChanges;
        QVModelController::modelChanged(model);
    }
    void attributeChanged(QVAttribute* attribute, int kind) override {
        ++attributeChanges;
        QVModelController::attributeChanged(attribute, kind);
    }
    std::vector<QVModel*> added;
    std::vector<QVModel*> removed;
    int modelChanges = 0;
    int attributeChanges = 0;
};

// Every test starts on an empty controller and key table.
class SpineTest : public ::testing::Test {
protected:
    void SetUp() override {
        QVModelController::shared()->clear();
        installKeyTable({});
    }
    void TearDown() override {
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    static QVModelController* controller() { return QVModelController::shared(); }
};

// Installs a RecordingController for the test's duration.
class RecordingControllerTest : public SpineTest {
protected:
    void SetUp() override {
        previous = QVModelController::setShared(&recorder);
        SpineTest::SetUp();
    }
    void TearDown() override {
        SpineTest::TearDown();
        QVModelController::setShared(previous);
    }
    RecordingController recorder;
    QVModelController* previous = nullptr;
};
