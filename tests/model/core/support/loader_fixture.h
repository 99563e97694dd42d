// The shared controller, reset around each test, and a load driven step by
// step as the player's loading screen drives it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/core/QVDataFormat.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"

namespace modeltest {

class LoaderFixture : public ::testing::Test {
protected:
    // Empties the controller and installs `table` as the key table.
    void resetController(const QVKeyTableMap& table) {
        controller()->closeDataArchive();
        controller()->archiveMode = false;
        controller()->clear();
        installKeyTable(table);
    }
    void TearDown() override {
        controller()->closeDataArchive();
        controller()->archiveMode = false;
        controller()->clear();
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(QV_SOURCE_DIR);
    }
    static QVModelController* controller() { return QVModelController::shared(); }

    // Loads the resource root as the player does; returns the percent trace.
    std::vector<int> loadAll(const std::string& root, bool archive) {
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(root);
        controller()->archiveMode = archive;
        controller()->loadInitialData("data/data.pkg", qvformat::kStoredArchivePassword);
        std::vector<int> trace;
        if (!controller()->lastError().empty()) return trace;
        controller()->clear();
        for (int step = 0; step < 100000; ++step) {
            const bool done = archive ? controller()->loadNextFromArchive(qvformat::kStoredArchivePassword)
                                      : controller()->loadNextFromFiles();
            trace.push_back(controller()->loadingPercent());
            if (done) break;
        }
        return trace;
    }
};

}  // namespace modeltest
