// Sounds on the silent back-end with a fixed 1/60 s frame, so every end,
// pause and deletion lands on an exact frame. beep_mono.mp3 is the 0.5 s beep
// (and, looping, the 0.5 s loop), tone_stereo.mp3 the 1.0 s track.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "../../engine/audio/AudioTestSupport.h"
#include "../../model/core/support/model_test_support.h"
#include "actions/CCScheduler.h"
#include "menu/CCMenu.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVModelSound.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVSound.h"
#include "player/app/QVSoundController.h"
#include "player/screens/QVPScreen.h"
#include "player/ui/QVPObjectButton.h"

using namespace audiotest;
using Model = std::shared_ptr<QVModelSound>;
using Frames = std::map<std::string, unsigned int>;
using Sounds = std::vector<QVSound*>;

namespace {

bool musicPlaying() { return SimpleAudioEngine::sharedEngine()->isBackgroundMusicPlaying(); }
QVPSettingsController* settings() { return QVPSettingsController::shared(); }

// Runs each frame's action from that frame's scheduler tick, before its audio tick.
struct FrameScript : cocos2d::CCObject {
    std::map<unsigned int, std::function<void()>> at;
    FrameScript() { CCDirector::sharedDirector()->getScheduler()->scheduleUpdateForTarget(this, 0, false); }
    void update(float) override {
        if (at.count(currentFrame())) at[currentFrame()]();
    }
};

// Calls its music slots with a count; its playMusic plays `own`, looping.
struct Screen : QVPScreen {
    Model own;
    int stops = 0, plays = 0;
    void stopMusic() override { ++stops, QVPScreen::stopMusic(); }
    void playMusic() override;
};

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        CCDirector::resetForTest();
        audio::resetForTest(audio::BackendKind::Null);
        m_root = cocos2d::CCFileUtils::sharedFileUtils()->getResourceRoot();
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(dir.path);
        mkdir((dir.path + "/data").c_str(), 0700), mkdir((dir.path + "/data/sounds").c_str(), 0700);
        beep = sound("beep_mono.mp3"), track = sound("tone_stereo.mp3");
        (screen = new Screen())->init();
    }
    void TearDown() override {
        delete controller;
        screen->release();
        QVSound::stopAll(0, true);
        step(1);  // the reaper's tick
        EXPECT_TRUE(QVSound::liveSounds().empty());
        QVPSettingsController::destroy();
        QVModelController::shared()->clear();
        audio::resetForTest(audio::BackendKind::Null);
        CCDirector::resetForTest();
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(m_root);
    }
    // A model whose file is the fixture; none: a missing file.
    Model sound(const char* file) {
        Model model = QVModelSound::create();
        if (file && symlink(fixture(file).c_str(), (dir.path + "/" + model->filePath()).c_str()) != 0)
            ADD_FAILURE() << "cannot link " << file;
        return model;
    }
    // An instance whose destruction frame is kept under `name`.
    QVSound* make(const char* name, const Model& model, unsigned int owner, bool autoRelease) {
        auto* s = new QVSound(model, owner);
        s->setAutoRelease(autoRelease);
        s->setDestroyedCallback([this, name] { destroyedIn[name] = currentFrame(); });
        return s;
    }
    // A button with that "Action" (none: no model), alone in a menu of that tag.
    QVPObjectButton* button(const char* action, int tag = QVPScreen::kButtonMenuTag) {
        QVPObjectButton* b = QVPObjectButton::create(cocos2d::CCNode::create(), nullptr, nullptr);
        if (action) {
            auto model = QVModelObjectButton::create();
            static_cast<QVAttributeString*>(model->attribute("Action"))->setValue(action);
            b->setModel(model);
        }
        cocos2d::CCMenu* menu = cocos2d::CCMenu::create();
        menu->addChild(b);
        screen->uiContainer()->addChild(menu, 0, tag);
        return b;
    }

    modeltest::TempDir dir;
    Model beep, track;
    Frames destroyedIn;
    Screen* screen = nullptr;
    QVSoundController* controller = nullptr;
    std::string m_root;
};

void Screen::playMusic() {
    ++plays;
    if (!own) return;
    auto* s = new QVSound(own, 0);
    s->setAutoRelease(true);
    s->play(true, true);
}

}  // namespace

TEST_F(SoundTest, OwnerTimeline) {
    QVSound *c = nullptr, *d = nullptr, *m = nullptr;
    std::vector<bool> musicIn{false};  // per frame, before its audio tick
    const int hook =
        CCDirector::sharedDirector()->addFrameHook([&](unsigned int) { musicIn.push_back(musicPlaying()); });
    bool cStillLooping = false;
    FrameScript script;
    script.at[1] = [&] {
        make("A", beep, 1, true)->play(false, false);
        make("B", beep, 2, true)->play(false, false);
        (c = make("C", beep, 2, false))->play(true, false);
        (d = make("D", beep, 3, true))->play(true, false);
        (m = make("M", track, 1, false))->play(true, true);
    };
    script.at[10] = [] { QVSound::pauseAll(1); };
    script.at[20] = [] { QVSound::resumeAll(1); };
    script.at[34] = [&] { cStillLooping = c->state() == QVSound::kPlaying; };
    script.at[35] = [] { QVSound::stopAll(2, true); };
    script.at[40] = [&] { d->stopLooping(); };
    step(90);
    CCDirector::sharedDirector()->removeFrameHook(hook);

    EXPECT_EQ(destroyedIn, (Frames{{"A", 40}, {"B", 30}, {"C", 35}, {"D", 60}}));
    EXPECT_TRUE(cStillLooping);
    for (unsigned int frame = 1; frame < musicIn.size(); ++frame)
        EXPECT_EQ(musicIn[frame], frame < 10 || frame >= 20) << "frame " << frame;
    EXPECT_EQ(QVSound::liveSounds(), Sounds{m});
}

TEST_F(SoundTest, OneCurrentMusicAndOnePlaybackPerInstance) {
    make("first", track, 0, true)->play(true, true);
    QVSound* second = make("second", track, 0, false);
    second->play(true, true);
    QVSound* third = make("third", beep, 0, false);
    third->play(false, true);
    EXPECT_EQ(destroyedIn, (Frames{{"first", 1}}));
    EXPECT_EQ(second->state(), QVSound::kStopped);
    step(30);
    EXPECT_FALSE(musicPlaying()) << "an earlier, looping track still plays";
    EXPECT_EQ(QVSound::currentMusic(), third);

    QVSound* effect = make("effect", beep, 0, false);
    effect->play(false, false);
    const int firstPlayback = effect->audioId();
    step(10);
    effect->play(false, false);
    EXPECT_EQ(AudioEngine::getVolume(firstPlayback), 0.0f) << "the first playback still sounds";
    step(29);
    EXPECT_EQ(effect->state(), QVSound::kPlaying);
    step(1);
    EXPECT_EQ(effect->state(), QVSound::kStopped);
}

// Nothing plays or stays "playing"; an auto-release instance is deleted in
// the next frame, not inside play, unless a second play starts it.
TEST_F(SoundTest, PlayThatStartsNothing) {
    const struct {
        const char* name;
        bool muteEffects, muteMusic, asMusic, hasModel, hasFile, replayUnmuted;
    } rows[] = {
        {"effect, effects muted", true, false, false, true, true, false},
        {"music, music muted", false, true, true, true, true, false},
        {"effect the engine refuses", false, false, false, true, false, false},
        {"effect without a model", false, false, false, false, false, false},
        {"music without a model", false, false, true, false, false, false},
        {"muted, then played again unmuted", true, false, false, true, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        destroyedIn.clear();
        settings()->setMuteEffectsSound(row.muteEffects), settings()->setMuteBackgroundSound(row.muteMusic);
        const Model model = row.hasModel ? sound(row.hasFile ? "beep_mono.mp3" : nullptr) : nullptr;
        QVSound* kept = nullptr;
        FrameScript script;
        const unsigned int frame = currentFrame();
        script.at[frame] = [&] {
            QVSound* once = make("once", model, 0, true);
            once->play(false, row.asMusic);
            (kept = make("kept", model, 0, false))->play(false, row.asMusic);
            EXPECT_EQ(QVSound::liveSounds(), (Sounds{once, kept}));
            for (QVSound* s : {once, kept}) EXPECT_TRUE(s->state() == QVSound::kStopped && s->audioId() == -1);
            if (row.replayUnmuted) settings()->setMuteEffectsSound(false), once->play(false, false);
        };
        step(30);
        EXPECT_FALSE(musicPlaying());
        EXPECT_EQ(destroyedIn, (Frames{{"once", frame + (row.replayUnmuted ? 29 : 1)}}));
        EXPECT_EQ(QVSound::liveSounds(), Sounds{kept});
        delete kept;
    }
}

// A destroyed callback deletes another listed instance, provoked from every
// walk that deletes: the deleted one is skipped, never touched (ASan).
TEST_F(SoundTest, DestroyedCallbackDeletesAnotherInstance) {
    const struct {
        const char* name;
        bool muted, yLoopsAndStays;
        std::function<void()> trigger;
    } rows[] = {
        {"stopAll", false, true, [] { QVSound::stopAll(5, true); }},
        {"both finish in one tick", false, false, [] { step(30); }},
        {"both reaped in one tick", true, false, [] { step(1); }},
        {"effects muted", false, true, [] { QVSoundController(nullptr).muteEffects(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        settings()->setMuteEffectsSound(row.muted);
        QVSound* x = make("x", beep, 5, true);
        QVSound* y = make("y", beep, 5, !row.yLoopsAndStays);
        x->setDestroyedCallback([&y] { delete y; });
        x->play(false, false), y->play(row.yLoopsAndStays, false);
        row.trigger();
        EXPECT_TRUE(QVSound::liveSounds().empty());
        step(40);  // no callback of either may still come
        settings()->setMuteEffectsSound(false);
    }
}

TEST_F(SoundTest, MutingEffectsStopsEveryEffectInstance) {
    QVSound* loop = make("loop", beep, 0, false);
    QVSound* paused = make("paused", beep, 7, false);
    QVSound* music = make("music", track, 0, false);
    make("once", beep, 0, true)->play(false, false);
    loop->play(true, false), paused->play(false, false), music->play(true, true);
    step(5);
    QVSound::pauseAll(7);
    QVSoundController(nullptr).muteEffects();
    QVSound::resumeAll(7);
    EXPECT_EQ(destroyedIn, (Frames{{"once", 6}}));
    for (QVSound* s : {loop, paused}) EXPECT_TRUE(s->state() == QVSound::kStopped && s->audioId() == -1);
    EXPECT_TRUE(music->state() == QVSound::kPlaying && musicPlaying());
}

TEST_F(SoundTest, ControllerButtonsShowTheSwitches) {
    QVPObjectButton* all1 = button("kMuteAllSound");
    QVPObjectButton* effects = button("kMuteSoundEffects");
    QVPObjectButton* other = button("kPauseButton");
    QVPObjectButton* music = button("kMuteBackgroundMusic");
    QVPObjectButton* bare = button(nullptr);
    QVPObjectButton* all2 = button("kMuteAllSound");
    QVPObjectButton* elsewhere = button("kMuteAllSound", 7);
    auto looks = [&] {
        std::string s;
        for (QVPObjectButton* b : {all1, all2, effects, music}) s += b->isSelected() ? 'S' : 'u';
        return s;
    };
    settings()->setMuteEffectsSound(true);
    (controller = new QVSoundController(screen))->bindButtons();
    EXPECT_EQ(looks(), "uuSu");
    for (QVPObjectButton* b : {other, bare, elsewhere}) EXPECT_EQ(b->getTarget(), nullptr);

    // The all-sound button unmutes both when both are muted, else mutes both.
    for (int muted = 3; muted >= 0; --muted) {
        SCOPED_TRACE(muted);
        settings()->setMuteEffectsSound(muted & 1), settings()->setMuteBackgroundSound(muted & 2);
        controller->bindButtons();
        all2->activate();
        EXPECT_EQ(looks(), muted == 3 ? "uuuu" : "SSSS");
        EXPECT_EQ(settings()->muteEffectsSound() + settings()->muteBackgroundSound(), muted == 3 ? 0 : 2);
    }
    music->activate();
    EXPECT_EQ(looks(), "uuSu");
    all1->retain();  // outlives its controller, which unbinds it
    delete controller;
    controller = nullptr;
    EXPECT_EQ(all1->getTarget(), nullptr);
    all1->release();
}

// Unmuting plays what played when music was muted (with its loop flag), else
// the screen's music, else the first screen model with "Music".
TEST_F(SoundTest, ControllerUnmutesMusic) {
    for (const auto& [music, loop] :
         std::initializer_list<std::pair<Model, bool>>{{nullptr, false}, {beep, true}, {track, false}}) {
        auto model = QVModelScreen::create();
        model->setMusic(music);
        static_cast<QVAttributeBool*>(model->attribute("Loop Music"))->setValue(loop);
        QVModelController::shared()->addModel(model);
    }
    const struct {
        const char* name;
        bool playing, loop;
        Model own, heard;
        bool heardLoops;
        int plays;
    } rows[] = {
        {"muted while looping", true, true, nullptr, track, true, 0},
        {"muted while playing once", true, false, nullptr, track, false, 0},
        {"the screen's music", false, false, track, track, true, 1},
        {"the first screen with music", false, false, nullptr, beep, true, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        controller = new QVSoundController(screen);
        screen->own = row.own, screen->plays = screen->stops = 0;
        if (row.playing) make("playing", track, 0, true)->play(row.loop, true);
        controller->muteMusic();
        EXPECT_TRUE(screen->stops == 1 && !musicPlaying());
        controller->unmuteMusic();
        QVSound* now = QVSound::currentMusic();
        ASSERT_NE(now, nullptr);
        EXPECT_TRUE(now->model() == row.heard && now->isLoop() == row.heardLoops && musicPlaying());
        EXPECT_EQ(screen->plays, row.plays);
        EXPECT_EQ(QVSound::liveSounds(), Sounds{now}) << "the muted instance is left behind";
        QVSound::stopAll(0, true);
        delete controller;
        controller = nullptr;
    }
}
