// What the object tests share: a fresh director, silent audio and fresh
// singletons around each test, a world without gravity, and a recording
// component kind.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../../engine/log/log_capture.h"
#include "FieldFixtures.h"
#include "audio/AudioSystem.h"
#include "base/CCAutoreleasePool.h"
#include "director/CCDirector.h"
#include "model/core/QVModelController.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVSound.h"
#include "player/objects/QVComponent.h"
#include "player/objects/QVPObject.h"
#include "player/screens/QVPGameFieldSettings.h"

namespace objectstest {

class ObjectsTest : public ::testing::Test {
protected:
    ObjectsTest() {
        cocos2d::CCDirector::resetForTest();
        cocos2d::audio::resetForTest(cocos2d::audio::BackendKind::Null);
    }
    ~ObjectsTest() override {
        QVSound::stopAll(0, true);
        cocos2d::CCDirector::sharedDirector()->stepFrame(1.0f / 60.0f);
        QVPInputController::destroy();
        QVPSettingsController::destroy();
        QVPGameFieldSettings::destroy();
        for (int row = 1; row <= static_cast<int>(QVPObjectRow::ScreenJump); ++row) {
            setObjectBuilder(static_cast<QVPObjectRow>(row), nullptr);
        }
        for (int kind = 1; kind <= static_cast<int>(QVComponentKind::Health); ++kind) {
            QVComponent::setComponentBuilder(static_cast<QVComponentKind>(kind), nullptr);
        }
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
        QVModelController::shared()->clear();
        cocos2d::CCDirector::resetForTest();
    }

    b2World world{b2Vec2(0.0f, 0.0f)};
};

// Every call a recording component gets, as "<name>.<call>", in one list.
inline std::vector<std::string>& calls() {
    static std::vector<std::string> list;
    return list;
}

class RecordingComponent : public QVComponent {
public:
    static QVComponent* build() { return new RecordingComponent(); }
    void update(float) override { record("update"); }
    void onStateChanged() override { record("state"); }
    void onTransformChanged() override { record("transform"); }

private:
    void record(const char* call) { calls().push_back((m_model ? m_model->name() : std::string()) + "." + call); }
};

}  // namespace objectstest
