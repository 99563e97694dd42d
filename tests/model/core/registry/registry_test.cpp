// The core alone: a controller that knows only the classes a test registers.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelGlue.h"
#include "model/core/QVPackMap.h"
#include "platform/QVLog.h"

namespace {

class LocalThing : public QVModel {
    QV_MODEL_GLUE(LocalThing, "Thing", QVModel)
public:
    explicit LocalThing(const std::string& name) : QVModel(name) {}
    LocalThing(const LocalThing& source) : QVModel(source) {}
};

std::vector<std::string> g_lines;
void capture(const char* text, std::size_t length) { g_lines.emplace_back(text, length); }

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        previous = QVModelController::setShared(&controller);
        g_lines.clear();
        setLogSink(capture);
    }
    void TearDown() override {
        setLogSink(nullptr);
        controller.clear();
        QVModelController::setShared(previous);
    }
    QVModelController controller;
    QVModelController* previous = nullptr;
};

}  // namespace

TEST_F(Registry, ALoadWithNoClassRegisteredFailsWithOneLogLine) {
    const std::vector<std::pair<const char*, std::function<void(QVModelController&)>>> loads = {
        {"initial data", [](QVModelController& c) { c.loadInitialData("data.pkg", "x"); }},
        {"next from files", [](QVModelController& c) { EXPECT_TRUE(c.loadNextFromFiles()); }},
        {"initial, then next", [](QVModelController& c) {
             c.loadInitialData("data.pkg", "x");
             EXPECT_TRUE(c.loadNextFromFiles());
         }},
    };
    for (const auto& load : loads) {
        SCOPED_TRACE(load.first);
        controller.clear();
        g_lines.clear();
        load.second(controller);
        EXPECT_EQ(controller.lastError(), QVModelController::kErrorLoad);
        EXPECT_EQ(g_lines, std::vector<std::string>{"[QVModelController] load data - fail: no model class is registered"});
        EXPECT_EQ(controller.modelCount(), 0u);
    }
}

TEST_F(Registry, APackOfATestLocalClassLoads) {
    installKeyTable({{"Name", 1}, {"value", 10}, {"Class Name", 33}, {"id", 42}});
    ASSERT_TRUE(controller.registerFactory("LocalThing", [] { return LocalThing::create(); }));
    auto thing = LocalThing::create();
    thing->setName("Packed");
    thing->setId(7);
    msgpack::zone zone;
    QVPackMap map(zone);
    thing->pack(map);
    const std::vector<unsigned char> bytes = map.toBytes();
    controller.parsePack(bytes.data(), bytes.size(), false);
    ASSERT_TRUE(controller.getModel<LocalThing>(7));
    EXPECT_EQ(controller.getModel(7)->name(), "Packed");
    EXPECT_EQ(controller.lastError(), "");
    installKeyTable({});
}
