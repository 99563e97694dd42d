// Back presses and accelerometer readings: who gets them, in what order, and
// what happens to delegates that go away.
#include "InputTestSupport.h"

#include <cstdlib>

namespace inputtest {
namespace {

std::vector<std::string> g_log;

struct KeyRecorder : CCKeypadDelegate {
    explicit KeyRecorder(std::string id) : name(std::move(id)) {}
    void keyBackClicked() override {
        g_log.push_back(name + ".back");
        if (onBack) onBack();
    }
    void keyMenuClicked() override { g_log.push_back(name + ".menu"); }
    void keyDown(int key) override { g_log.push_back(name + ".down" + std::to_string(key)); }
    void keyUp(int key) override { g_log.push_back(name + ".up" + std::to_string(key)); }
    std::string name;
    std::function<void()> onBack;
};

struct Tilt : CCAccelerometerDelegate {
    void didAccelerate(CCAcceleration* a) override { readings.push_back(*a); }
    std::vector<CCAcceleration> readings;
};

struct KeypadTest : InputTest {
    void SetUp() override { InputTest::SetUp(), g_log.clear(); }
};

TEST_F(KeypadTest, BackReachesEveryDelegateInOrderAndChangesDuringItApplyNextTime) {
    KeyRecorder a("a"), b("b"), c("c"), late("late");
    CCKeypadDispatcher* keypad = CCKeypadDispatcher::sharedDispatcher();
    keypad->addDelegate(&b);
    keypad->addDelegate(&a);
    keypad->addDelegate(&c);
    keypad->addDelegate(&a);  // already there
    // The script's (and the Escape key's) back path.
    InputScriptTarget().scriptBack();
    EXPECT_EQ(g_log, (std::vector<std::string>{"b.back", "a.back", "c.back"}));

    g_log.clear();
    keypad->removeDelegate(&c);
    b.onBack = [&] {
        keypad->removeDelegate(&a);
        keypad->addDelegate(&late);
    };
    EXPECT_TRUE(keypad->dispatchKeypadMSG(kTypeBackClicked));
    EXPECT_EQ(g_log, (std::vector<std::string>{"b.back"}));
    g_log.clear();
    b.onBack = nullptr;
    keypad->dispatchKeypadMSG(kTypeBackClicked);
    EXPECT_EQ(g_log, (std::vector<std::string>{"b.back", "late.back"}));
}

TEST_F(KeypadTest, DeletedKeypadDelegateIsNeverCalled) {
    // A controller deleted while registered, as a singleton torn down
    // without unregistering would be.
    auto* controller = new KeyRecorder("controller");
    KeyRecorder scene("scene");
    CCKeypadDispatcher* keypad = CCKeypadDispatcher::sharedDispatcher();
    keypad->addDelegate(controller);
    keypad->addDelegate(&scene);
    delete controller;
    EXPECT_EQ(keypad->getDelegateCount(), 1u);
    keypad->dispatchKeypadMSG(kTypeBackClicked);
    EXPECT_EQ(g_log, (std::vector<std::string>{"scene.back"}));

    // Deleted from inside an earlier delegate's call.
    g_log.clear();
    auto* victim = new KeyRecorder("victim");
    keypad->removeDelegate(&scene);
    KeyRecorder killer("killer");
    killer.onBack = [&] { delete victim; };
    keypad->addDelegate(&killer);
    keypad->addDelegate(victim);
    keypad->dispatchKeypadMSG(kTypeBackClicked);
    EXPECT_EQ(g_log, (std::vector<std::string>{"killer.back"}));
}

TEST_F(KeypadTest, AccelerometerHasOneRemovableDelegateAndTheDirectorTime) {
    CCAccelerometer* accelerometer = CCAccelerometer::sharedAccelerometer();
    Tilt first, second;
    accelerometer->setDelegate(&first);
    accelerometer->setDelegate(&second);
    InputScriptTarget().scriptAccel(0.5, -0.25, 1);
    ASSERT_EQ(second.readings.size(), 1u);
    EXPECT_TRUE(first.readings.empty());
    EXPECT_DOUBLE_EQ(second.readings[0].x, 0.5);
    EXPECT_DOUBLE_EQ(second.readings[0].y, -0.25);
    EXPECT_DOUBLE_EQ(second.readings[0].z, 1);

    accelerometer->setDelegate(nullptr);
    accelerometer->update(1, 1, 1, 0);
    EXPECT_EQ(second.readings.size(), 1u);

    auto* doomed = new Tilt();
    accelerometer->setDelegate(doomed);
    delete doomed;
    EXPECT_EQ(accelerometer->getDelegate(), nullptr);
    accelerometer->update(1, 1, 1, 0);  // must not touch the deleted delegate

    // Readings carry the director's time.
    accelerometer->setDelegate(&first);
    CCDirector* director = CCDirector::sharedDirector();
    director->setFixedDeltaTime(true);
    for (int i = 0; i < 30; ++i) director->stepFrame(1.0f / 60);
    InputScriptTarget().scriptAccel(0, 0, 0);
    ASSERT_EQ(first.readings.size(), 1u);
    EXPECT_NEAR(first.readings[0].timestamp, 0.5, 1e-6);
}

}  // namespace
}  // namespace inputtest

namespace inputtest {
namespace {

// Delegates that outlive static tear-down: deleted by an exit handler that
// was registered before any dispatcher existed, so it runs after every
// static destructor.
CCTouchDelegate* g_lateTouch = nullptr;
CCKeypadDelegate* g_lateKeypad = nullptr;
CCAccelerometerDelegate* g_lateTilt = nullptr;

void deleteLateDelegates() {
    delete g_lateTouch;
    delete g_lateKeypad;
    delete g_lateTilt;
}

struct PlainTouch : CCTouchDelegate {};
struct PlainKeypad : CCKeypadDelegate {};
struct PlainTilt : CCAccelerometerDelegate {};

TEST(InputDelegateDeathTest, DelegatesDeletedAfterStaticTearDownFindTheirDispatchers) {
    // A fresh process, so the dispatchers' registries are first made inside
    // the statement, after the exit handler is registered.
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    EXPECT_EXIT(
        {
            std::atexit(deleteLateDelegates);
            g_lateTouch = new PlainTouch();
            g_lateKeypad = new PlainKeypad();
            g_lateTilt = new PlainTilt();
            CCTouchDispatcher::sharedDispatcher()->addTargetedDelegate(g_lateTouch, 0, true);
            CCKeypadDispatcher::sharedDispatcher()->addDelegate(g_lateKeypad);
            CCAccelerometer::sharedAccelerometer()->setDelegate(g_lateTilt);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace inputtest
