// Sounds on the silent back-end with a fixed 1/60 s frame: every end, pause
// and deletion lands on an exact frame. beep_mono.mp3 is the 0.5 s beep (and,
// looping, the 0.5 s loop), tone_stereo.mp3 the 1.0 s track.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

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

using audiotest::AudioEngine;
using audiotest::CCDirector;
using audiotest::currentFrame;
using audiotest::SimpleAudioEngine;
using audiotest::step;
using Model = std::shared_ptr<QVModelSound>;
using Frames = std::map<std::string, unsigned int>;

namespace {

bool musicPlaying() { return SimpleAudioEngine::sharedEngine()->isBackgroundMusicPlaying(); }
QVPSettingsController* settings() { return QVPSettingsController::shared(); }

// Runs the action given for a frame from that frame's scheduler tick, so
// before the frame's audio tick.
struct FrameScript : cocos2d::CCObject {
    std::map<unsigned int, std::function<void()>> at;
    FrameScript() { CCDirector::sharedDirector()->getScheduler()->scheduleUpdateForTarget(this, 0, false); }
    void update(float) override {
        auto it = at.find(currentFrame());
        if (it != at.end()) it->second();
    }
};

class Sounds : public ::testing::Test {
protected:
    void SetUp() override {
        CCDirector::resetForTest();
        cocos2d::audio::resetForTest(cocos2d::audio::BackendKind::Null);
        m_root = cocos2d::CCFileUtils::sharedFileUtils()->getResourceRoot();
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(dir.path);
        mkdir((dir.path + "/data").c_str(), 0700);
        mkdir((dir.path + "/data/sounds").c_str(), 0700);
        beep = sound("beep_mono.mp3");
        track = sound("tone_stereo.mp3");
    }
    void TearDown() override {
        QVSound::stopAll(0, true);
        step(1);  // the reaper's tick
        EXPECT_TRUE(QVSound::liveSounds().empty());
        QVPSettingsController::destroy();
        QVModelController::shared()->clear();
        cocos2d::audio::resetForTest(cocos2d::audio::BackendKind::Null);
        CCDirector::resetForTest();
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(m_root);
    }

    // A sound model whose file is the fixture (none: a file that is missing).
    Model sound(const char* fixture) {
        Model model = QVModelSound::create();
        if (fixture) {
            EXPECT_EQ(symlink(audiotest::fixture(fixture).c_str(), (dir.path + "/" + model->filePath()).c_str()), 0);
        }
        return model;
    }

    // An instance whose destruction frame is recorded under `name`.
    QVSound* make(const char* name, const Model& model, unsigned int owner, bool autoRelease) {
        auto* s = new QVSound(model, owner);
        s->setAutoRelease(autoRelease);
        s->setDestroyedCallback([this, name] { destroyedIn[name] = currentFrame(); });
        return s;
    }

    modeltest::TempDir dir;
    Model beep, track;
    Frames destroyedIn;

private:
    std::string m_root;
};

}  // namespace

TEST_F(Sounds, OwnerTimeline) {
    QVSound *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr, *m = nullptr;
    std::vector<bool> musicIn(1, false);  // by frame, as the frame's audio tick begins
    const int hook = CCDirector::sharedDirector()->addFrameHook([&](unsigned int) { musicIn.push_back(musicPlaying()); });
    int cId = -1;
    bool cPlayedOn = false;
    FrameScript script;
    script.at[1] = [&] {
        (a = make("A", beep, 1, true))->play(false, false);
        (b = make("B", beep, 2, true))->play(false, false);
        (c = make("C", beep, 2, false))->play(true, false);
        (d = make("D", beep, 3, true))->play(true, false);
        (m = make("M", track, 1, false))->play(true, true);
        cId = c->audioId();
    };
    script.at[10] = [] { QVSound::pauseAll(1); };
    script.at[20] = [] { QVSound::resumeAll(1); };
    script.at[34] = [&] { cPlayedOn = c->state() == QVSound::kPlaying && c->audioId() == cId; };
    script.at[35] = [] { QVSound::stopAll(2, true); };
    script.at[40] = [&] { d->stopLooping(); };
    step(90);
    CCDirector::sharedDirector()->removeFrameHook(hook);

    EXPECT_EQ(destroyedIn, (Frames{{"A", 40}, {"B", 30}, {"C", 35}, {"D", 60}}));
    EXPECT_TRUE(cPlayedOn) << "the loop ended before it was stopped";
    for (unsigned int frame = 1; frame < musicIn.size(); ++frame)
        EXPECT_EQ(musicIn[frame], frame < 10 || frame >= 20) << "frame " << frame;
    EXPECT_EQ(QVSound::liveSounds(), std::vector<QVSound*>{m});
    EXPECT_EQ(QVSound::currentMusic(), m);
}

TEST_F(Sounds, OneCurrentMusicAndOnePlaybackPerInstance) {
    QVSound* first = make("first", track, 0, true);
    first->play(true, true);
    QVSound* second = make("second", track, 0, false);
    second->play(true, true);
    QVSound* third = make("third", beep, 0, false);
    third->play(false, true);
    EXPECT_EQ(destroyedIn, (Frames{{"first", 1}})) << "a replaced auto-release music deletes itself";
    EXPECT_EQ(second->state(), QVSound::kStopped);
    EXPECT_FALSE(second->isLoop());
    EXPECT_EQ(QVSound::currentMusic(), third);
    step(29);
    EXPECT_TRUE(musicPlaying());
    step(1);
    EXPECT_FALSE(musicPlaying()) << "the looping track still plays";
    EXPECT_EQ(QVSound::currentMusic(), third) << "stays current after its track ends";

    QVSound* effect = make("effect", beep, 0, false);
    effect->play(false, false);
    const int firstPlayback = effect->audioId();
    step(10);
    effect->play(false, false);
    EXPECT_NE(effect->audioId(), firstPlayback);
    EXPECT_EQ(AudioEngine::getVolume(firstPlayback), 0.0f) << "the first playback still sounds";
    step(29);
    EXPECT_EQ(effect->state(), QVSound::kPlaying);
    step(1);
    EXPECT_EQ(effect->state(), QVSound::kStopped);
    EXPECT_EQ(effect->audioId(), -1);
}

// Nothing plays, nothing keeps playing, and an auto-release instance is
// deleted in the next frame, not inside play; a second play before then
// spares it.
TEST_F(Sounds, PlayThatStartsNothing) {
    const struct {
        const char* name;
        bool muteEffects, muteMusic, asMusic, unmuteAndReplay;
        const char* fixture;  // null: no file
        bool withModel;
    } rows[] = {
        {"effect, effects muted", true, false, false, false, "beep_mono.mp3", true},
        {"music, music muted", false, true, true, false, "tone_stereo.mp3", true},
        {"effect the engine refuses", false, false, false, false, nullptr, true},
        {"effect without a model", false, false, false, false, nullptr, false},
        {"music without a model", false, false, true, false, nullptr, false},
        {"muted, then played again unmuted", true, false, false, true, "beep_mono.mp3", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        destroyedIn.clear();
        settings()->setMuteEffectsSound(row.muteEffects);
        settings()->setMuteBackgroundSound(row.muteMusic);
        const Model model = row.withModel ? sound(row.fixture) : nullptr;
        QVSound *once = nullptr, *kept = nullptr;
        bool listedAfterPlay = false;
        FrameScript script;
        script.at[currentFrame()] = [&] {
            (once = make("once", model, 0, true))->play(false, row.asMusic);
            (kept = make("kept", model, 0, false))->play(false, row.asMusic);
            listedAfterPlay = QVSound::liveSounds().size() == 2;
            for (QVSound* s : {once, kept}) {
                EXPECT_EQ(s->state(), QVSound::kStopped);
                EXPECT_EQ(s->audioId(), -1);
            }
            EXPECT_EQ(QVSound::currentMusic(), nullptr);
            if (row.unmuteAndReplay) settings()->setMuteEffectsSound(false), once->play(false, row.asMusic);
        };
        const unsigned int played = currentFrame();
        step(2);
        EXPECT_TRUE(listedAfterPlay);
        EXPECT_FALSE(musicPlaying());
        if (row.unmuteAndReplay) {
            EXPECT_EQ(destroyedIn, Frames{});
            step(28);
            EXPECT_EQ(destroyedIn, (Frames{{"once", played + 29}})) << "it finished and deleted itself";
        } else {
            EXPECT_EQ(destroyedIn, (Frames{{"once", played + 1}}));
        }
        EXPECT_EQ(QVSound::liveSounds(), std::vector<QVSound*>{kept});
        delete kept;
    }
}

// Destroyed callbacks that delete another listed instance, provoked from
// every walk that deletes: the deleted one is skipped, never touched.
TEST_F(Sounds, DestroyedCallbackDeletesAnotherInstance) {
    const struct {
        const char* name;
        std::function<void(QVSound*&, QVSound*&)> start;
        std::function<void()> trigger;
    } rows[] = {
        {"stopAll",
         [&](QVSound*& x, QVSound*& y) {
             (x = make("x", beep, 5, true))->play(false, false);
             (y = make("y", beep, 5, false))->play(true, false);
         },
         [] { QVSound::stopAll(5, true); }},
        {"finished in one tick",
         [&](QVSound*& x, QVSound*& y) {
             (x = make("x", beep, 5, true))->play(false, false);
             (y = make("y", beep, 5, true))->play(false, false);
         },
         [] { step(30); }},
        {"reaped in one tick",
         [&](QVSound*& x, QVSound*& y) {
             settings()->setMuteEffectsSound(true);
             (x = make("x", beep, 5, true))->play(false, false);
             (y = make("y", beep, 5, true))->play(false, false);
         },
         [] { step(1); }},
        {"effects muted",
         [&](QVSound*& x, QVSound*& y) {
             (x = make("x", beep, 5, true))->play(false, false);
             (y = make("y", beep, 6, true))->play(true, false);
         },
         [] { QVSoundController(nullptr).muteEffects(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        settings()->setMuteEffectsSound(false);
        QVSound *x = nullptr, *y = nullptr;
        row.start(x, y);
        x->setDestroyedCallback([&y] { delete y; });
        row.trigger();
        EXPECT_TRUE(QVSound::liveSounds().empty());
        step(40);  // no callback of either may still come
    }
}

TEST_F(Sounds, MutingEffectsStopsEveryEffectInstance) {
    QVSound* once = make("once", beep, 0, true);
    QVSound* loop = make("loop", beep, 0, false);
    QVSound* paused = make("paused", beep, 7, false);
    QVSound* music = make("music", track, 0, false);
    once->play(false, false), loop->play(true, false), paused->play(false, false), music->play(true, true);
    step(5);
    QVSound::pauseAll(7);
    QVSoundController(nullptr).muteEffects();
    EXPECT_EQ(destroyedIn, (Frames{{"once", 6}}));
    for (QVSound* s : {loop, paused}) {
        EXPECT_EQ(s->state(), QVSound::kStopped);
        EXPECT_EQ(s->audioId(), -1);
    }
    EXPECT_EQ(music->state(), QVSound::kPlaying);
    EXPECT_TRUE(musicPlaying());
    QVSound::resumeAll(7);
    EXPECT_EQ(paused->state(), QVSound::kStopped) << "a stopped instance came back to life";
}

namespace {

// Records the calls of the music slots; its playMusic plays `own`.
struct Screen : QVPScreen {
    Model own;
    int stops = 0, plays = 0;
    void stopMusic() override { ++stops, QVPScreen::stopMusic(); }
    void playMusic() override {
        ++plays;
        if (!own) return;
        auto* s = new QVSound(own, 0);
        s->setAutoRelease(true);
        s->play(true, true);
    }
};

class Controller : public Sounds {
protected:
    void SetUp() override {
        Sounds::SetUp();
        screen = new Screen();
        screen->init();
    }
    void TearDown() override {
        delete sounds;
        screen->release();
        Sounds::TearDown();
    }
    // A button with an "Action", alone in a menu of the given tag.
    QVPObjectButton* button(const std::string& action, int tag = QVPScreen::kButtonMenuTag, bool withModel = true) {
        QVPObjectButton* b = QVPObjectButton::create(cocos2d::CCNode::create(), cocos2d::CCNode::create(), nullptr);
        if (withModel) {
            auto model = QVModelObjectButton::create();
            static_cast<QVAttributeString*>(model->attribute("Action"))->setValue(action);
            b->setModel(model);
        }
        cocos2d::CCMenu* menu = cocos2d::CCMenu::create();
        menu->addChild(b);
        screen->uiContainer()->addChild(menu, 0, tag);
        return b;
    }
    std::string looks(const std::vector<QVPObjectButton*>& buttons) {
        std::string s;
        for (QVPObjectButton* b : buttons) s += b->isSelected() ? 'S' : 'u';
        return s;
    }
    Screen* screen = nullptr;
    QVSoundController* sounds = nullptr;
};

}  // namespace

TEST_F(Controller, BindsTheThreeListsAndShowsEachSwitch) {
    QVPObjectButton* all1 = button("kMuteAllSound");
    QVPObjectButton* effects = button("kMuteSoundEffects");
    QVPObjectButton* other = button("kPauseButton");
    QVPObjectButton* music = button("kMuteBackgroundMusic");
    QVPObjectButton* bare = button("kMuteAllSound", QVPScreen::kButtonMenuTag, false);
    QVPObjectButton* all2 = button("kMuteAllSound");
    QVPObjectButton* elsewhere = button("kMuteAllSound", 7);
    const std::vector<QVPObjectButton*> shown{all1, all2, effects, music};
    EXPECT_EQ(screen->findButtons("kMuteAllSound"), (std::vector<QVPObjectButton*>{all1, all2}));

    settings()->setMuteEffectsSound(true);
    sounds = new QVSoundController(screen);
    sounds->bindButtons();
    EXPECT_EQ(looks(shown), "uuSu");
    for (QVPObjectButton* b : {other, bare, elsewhere}) EXPECT_EQ(b->getTarget(), nullptr);

    // toggleAll from each start: both muted unmutes both, else it mutes both.
    const struct {
        bool effects, music;
        const char* looks;
    } rows[] = {{true, true, "uuuu"}, {true, false, "SSSS"}, {false, true, "SSSS"}, {false, false, "SSSS"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.effects << row.music);
        settings()->setMuteEffectsSound(row.effects);
        settings()->setMuteBackgroundSound(row.music);
        sounds->bindButtons();
        all2->activate();
        EXPECT_EQ(settings()->muteEffectsSound(), !(row.effects && row.music));
        EXPECT_EQ(settings()->muteBackgroundSound(), !(row.effects && row.music));
        EXPECT_EQ(looks(shown), row.looks);
    }
    music->activate();  // both were muted: music alone comes back
    EXPECT_EQ(looks(shown), "uuSu");
    effects->activate();
    EXPECT_EQ(looks(shown), "uuuu");

    // A button kept alive after its controller is gone is no longer aimed at it.
    all1->retain();
    delete sounds;
    sounds = nullptr;
    EXPECT_EQ(all1->getTarget(), nullptr);
    all1->release();
}

TEST_F(Controller, UnmutingMusicReplaysWhatWasPlaying) {
    sounds = new QVSoundController(screen);
    for (bool loop : {true, false}) {
        SCOPED_TRACE(loop);
        auto* playing = new QVSound(track, 0);
        playing->setAutoRelease(true);
        playing->play(loop, true);
        sounds->muteMusic();
        EXPECT_EQ(screen->stops, 1);
        EXPECT_FALSE(musicPlaying());
        sounds->unmuteMusic();
        QVSound* now = QVSound::currentMusic();
        ASSERT_NE(now, nullptr);
        EXPECT_NE(now, playing);
        EXPECT_EQ(now->model(), track);
        EXPECT_EQ(now->isLoop(), loop);
        EXPECT_TRUE(musicPlaying());
        EXPECT_EQ(QVSound::liveSounds().size(), 1u) << "the muted instance is left behind";
        EXPECT_EQ(screen->plays, 0);
        QVSound::stopAll(0, true);
        screen->stops = 0;
    }
}

TEST_F(Controller, UnmutingMusicFallsBackToTheScreenThenToTheFirstScreenWithMusic) {
    auto addScreen = [](const Model& music, bool loop) {
        auto model = QVModelScreen::create();
        model->setMusic(music);
        static_cast<QVAttributeBool*>(model->attribute("Loop Music"))->setValue(loop);
        QVModelController::shared()->addModel(model);
    };
    addScreen(nullptr, false);
    addScreen(beep, true);
    addScreen(track, false);
    sounds = new QVSoundController(screen);

    screen->own = track;  // the screen's own music comes first
    settings()->setMuteBackgroundSound(true);
    sounds->unmuteMusic();
    EXPECT_EQ(screen->plays, 1);
    ASSERT_NE(QVSound::currentMusic(), nullptr);
    EXPECT_EQ(QVSound::currentMusic()->model(), track);
    QVSound::stopAll(0, true);

    screen->own = nullptr;  // a screen without music
    settings()->setMuteBackgroundSound(true);
    sounds->unmuteMusic();
    EXPECT_EQ(screen->plays, 2);
    ASSERT_NE(QVSound::currentMusic(), nullptr);
    EXPECT_EQ(QVSound::currentMusic()->model(), beep);
    EXPECT_TRUE(QVSound::currentMusic()->isLoop());
    EXPECT_TRUE(musicPlaying());
}
