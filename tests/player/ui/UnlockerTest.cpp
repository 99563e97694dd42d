// A scene unlock reaches the progress store at once, and only when it
// changed an entry; a second application changes and saves nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "../../engine/log/log_capture.h"
#include "buttons_test_support.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelUIObjects.h"
#include "player/screens/ScreenManager.h"

namespace {

using uitest::registered;
using uitest::setText;

class Unlocker : public uitest::ButtonsTest {
protected:
    ~Unlocker() override { ScreenManager::shared()->reset(); }
};

TEST_F(Unlocker, SceneUnlockIsSaved) {
    for (const char* name : {"L5", "L5 next", "L0"}) {
        auto lock = registered<QVModelObjectLockButton>();
        lock->setName(name);
        setText(*lock, "Destination", name == std::string("L5 next") ? "kNextSceneDestination" : "kSceneDestination");
        setText(*lock, "Scene", name == std::string("L0") ? "0" : "5");
    }
    struct Row {
        const char* name;
        const char* object;
        bool unlockedBefore;  // in memory only
        bool loaded;
        int saves;
        const char* stored;  // the lock states read back from disk
    };
    const Row rows[] = {
        {"a new name", "World2", false, true, 1, "World2:0"},
        {"current section 5", "kUnlockCurrent", false, true, 1, "L5:0"},
        {"next after the last", "kUnlockNext", false, true, 1, "L0:0"},
        {"already unlocked", "World2", true, true, 0, ""},
        {"before loading", "World2", false, false, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        modeltest::TempDir rowDir;
        statetest::useWritable(rowDir.path);
        reload();
        QVPSettingsController::setLoaded(row.loaded);
        ScreenManager::shared()->setStartSectionId(5);  // no section follows
        if (row.unlockedBefore) LockStateStore::setLockState(row.object, false);
        auto unlocker = QVModelObjectUnlocker::create();
        setText(*unlocker, "Unlock Type", "kButtonUnlock");
        setText(*unlocker, "Object", row.object);

        LogCapture capture;  // this row only
        unlocker->applySceneUnlock();
        unlocker->applySceneUnlock();
        EXPECT_EQ(std::count(capture.all().begin(), capture.all().end(), "[QVPSettingsController] - save"), row.saves);
        statetest::useWritable(rowDir.path);  // the next reader starts from the file
        reload();
        EXPECT_EQ(LockStateStore::serializeLockStates(), row.stored);
        statetest::useWritable(dir.path);  // before rowDir goes
    }
}

}  // namespace
