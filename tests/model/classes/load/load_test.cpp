// The loader over the real classes: the fixture game in folder and every
// package form gives the same models, links and settings, and the percent.
// The pack rules and failures: tests/model/core/load (core.load.*).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "../../core/support/loader_fixture.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelLinker.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"

namespace {

const std::string kFixtures = std::string(QV_BINARY_DIR) + "/fixtures/load/";

// Every registered model, one line each, with its children and links.
std::string dumpModels() {
    std::ostringstream out;
    for (const auto& model : QVModelController::shared()->modelsById()) {
        out << model->id() << ' ' << model->className() << " '" << model->name() << "'";
        for (const auto& child : model->children()) out << " child " << child->id();
        if (auto linker = modelCast<QVModelLinker>(model)) {
            out << " A " << (linker->objectA() ? linker->objectA()->id() : 0u) << " B "
                << (linker->objectB() ? linker->objectB()->id() : 0u) << " speed " << linker->speed();
        }
        if (auto settings = modelCast<QVModelGeneralSettings>(model)) {
            out << " app '" << settings->applicationName() << "' zk '" << settings->zkVersion() << "'";
            auto* values = settings->platformSpecificValues();
            auto* desktop = values ? dynamic_cast<cocos2d::CCDictionary*>(values->objectForKey("desktop")) : nullptr;
            if (desktop) out << " volume '" << desktop->valueForKey("volume")->getCString() << "'";
        }
        out << '\n';
    }
    return out.str();
}

class LoadTest : public modeltest::LoaderFixture {
protected:
    void SetUp() override { resetController({}); }
};

void expectStagedPercent(const std::vector<int>& trace, const std::string& what) {
    ASSERT_FALSE(trace.empty()) << what;
    EXPECT_EQ(trace.back(), 100) << what;
    bool inStageOne = false;
    for (size_t i = 0; i + 1 < trace.size(); ++i) {
        EXPECT_LE(trace[i], trace[i + 1]) << what << " at step " << i;
        if (trace[i] >= 50) inStageOne = true;
        if (inStageOne) {
            EXPECT_GE(trace[i], 50) << what;
            EXPECT_LE(trace[i], 99) << what;
        } else {
            EXPECT_LT(trace[i], 50) << what;
        }
    }
    EXPECT_TRUE(inStageOne) << what;
}

TEST_F(LoadTest, FolderAndEveryPackageGiveTheSameModels) {
    const auto folderTrace = loadAll(kFixtures + "small", false);
    ASSERT_EQ(controller()->lastError(), "");
    expectStagedPercent(folderTrace, "folder");
    const std::string folder = dumpModels();
    EXPECT_EQ(controller()->modelCount(), 15u);
    // Links and children resolved; the unknown class is dropped.
    EXPECT_NE(folder.find("1100 QVModelScreen 'Loading' child 1110 child 1120"), std::string::npos) << folder;
    EXPECT_NE(folder.find("1300 QVModelLinker 'L1' A 1200 B 1201 speed 2.5"), std::string::npos) << folder;
    EXPECT_NE(folder.find("app 'Loadcheck' zk '1.0' volume '0.5'"), std::string::npos) << folder;
    EXPECT_EQ(folder.find("1600"), std::string::npos);

    for (const char* form : {"small-zipcrypto", "small-infozip", "small-aes128", "small-aes128-stored", "small-aes192",
                             "small-aes256", "small-aes256-ae1", "small-aes256-ae2"}) {
        controller()->clear();
        const auto trace = loadAll(kFixtures + form, true);
        EXPECT_EQ(controller()->lastError(), "") << form;
        expectStagedPercent(trace, form);
        EXPECT_EQ(dumpModels(), folder) << form;
        controller()->closeDataArchive();
    }
}

TEST_F(LoadTest, RuntimeModelsAfterALoadStayAboveLastId) {
    loadAll(kFixtures + "small", false);
    ASSERT_EQ(controller()->lastError(), "");
    EXPECT_GE(controller()->lastId(), 1999u);
    auto runtime = QVModelObject::create();
    EXPECT_GT(runtime->id(), 1999u);
}

// The player prints the detail when it cannot start: it must name the cause,
// not only "Unable to load data".
TEST_F(LoadTest, LastErrorDetailNamesTheFailure) {
    namespace fs = std::filesystem;
    for (const char* v : {"infozip", "aes256"}) {
        SCOPED_TRACE(v);
        const fs::path root = fs::path(QV_BINARY_DIR) / "tests" / (std::string("detail-wrongpw-") + v);
        fs::create_directories(root / "data");
        fs::copy_file(fs::path(QV_SOURCE_DIR) / "tests/fixtures/load" / (std::string("wrongpw-") + v + ".pkg"),
                      root / "data/data.pkg", fs::copy_options::overwrite_existing);
        controller()->clear();
        loadAll(root.string(), true);
        EXPECT_EQ(controller()->lastErrorDetail().rfind("Keys.pack: ", 0), 0u) << controller()->lastErrorDetail();
        EXPECT_NE(controller()->lastErrorDetail().find("Error P17"), std::string::npos)
            << "the later \"Failed to load keys\" must not hide the package's code";
        controller()->closeDataArchive();
    }
    controller()->clear();
    loadAll(kFixtures + "nokeys", false);
    EXPECT_EQ(controller()->lastErrorDetail(), "Failed to load keys");

    // The failing pack comes late in the load, after steps that went well.
    controller()->clear();
    cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(kFixtures + "corrupt-aes256");
    controller()->archiveMode = true;
    controller()->loadInitialData("data/data.pkg", qvformat::kStoredArchivePassword);
    ASSERT_EQ(controller()->lastErrorDetail(), "");
    controller()->clear();
    for (int step = 0; step < 1000 && !controller()->loadNextFromArchive(qvformat::kStoredArchivePassword); ++step) {}
    EXPECT_EQ(controller()->lastErrorDetail().rfind("QVModelObject.0.attributes.pack: ", 0), 0u)
        << controller()->lastErrorDetail();
    EXPECT_NE(controller()->lastErrorDetail().find("Bad archive"), std::string::npos);
    controller()->closeDataArchive();

    controller()->clear();
    EXPECT_EQ(controller()->lastErrorDetail(), "") << "clear empties it with the last error";
    controller()->archiveMode = false;
    loadAll(kFixtures + "small", false);
    EXPECT_EQ(controller()->lastError(), "");
    EXPECT_EQ(controller()->lastErrorDetail(), "");
}

}  // namespace
