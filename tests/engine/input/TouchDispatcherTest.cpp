// Targeted and standard touch dispatch: order, claiming, swallowing, and
// registration changes made from inside delegate calls.
#include <functional>

#include "InputTestSupport.h"

namespace inputtest {
namespace {

std::vector<std::string> g_log;

// Records every call as "<name>.<phase>", then runs onCall; claims when told.
class Recorder : public CCTouchDelegate {
public:
    explicit Recorder(std::string name, bool claim = true) : m_name(std::move(name)), m_claim(claim) {}
    bool ccTouchBegan(CCTouch*, CCEvent*) override { return note("began"), m_claim; }
    void ccTouchMoved(CCTouch*, CCEvent*) override { note("moved"); }
    void ccTouchEnded(CCTouch*, CCEvent*) override { note("ended"); }
    void ccTouchCancelled(CCTouch*, CCEvent*) override { note("cancelled"); }
    void ccTouchesBegan(CCSet* s, CCEvent*) override { note("touchesBegan", s); }
    void ccTouchesMoved(CCSet* s, CCEvent*) override { note("touchesMoved", s); }
    void ccTouchesEnded(CCSet* s, CCEvent*) override { note("touchesEnded", s); }
    void ccTouchesCancelled(CCSet* s, CCEvent*) override { note("touchesCancelled", s); }

    std::function<void()> onCall;

private:
    void note(const char* phase, CCSet* set = nullptr) {
        g_log.push_back(m_name + "." + phase + (set ? "(" + std::to_string(set->count()) + ")" : ""));
        if (onCall) onCall();
    }
    std::string m_name;
    bool m_claim;
};

// A CCObject delegate, to check it is kept alive during its own call.
struct ObjectRecorder : CCObject, Recorder {
    using Recorder::Recorder;
    ~ObjectRecorder() override { g_log.push_back("destroyed"); }
};

class TouchDispatcherTest : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        g_log.clear();
    }
    void send(unsigned int phase, CCTouch* touch) { dispatcher.touches(touchSet(touch), nullptr, phase); }
    void sendAll(CCTouch* touch) {
        for (unsigned int phase : {CCTOUCHBEGAN, CCTOUCHMOVED, CCTOUCHENDED}) send(phase, touch);
    }
    CCTouchDispatcher dispatcher;
};

TEST_F(TouchDispatcherTest, TargetedOrderIsPriorityThenLaterRegistrationFirst) {
    Recorder a("a", false), b("b", false), c("c", false), d("d", false);
    dispatcher.addTargetedDelegate(&a, 0, false);
    dispatcher.addTargetedDelegate(&b, -5, false);
    dispatcher.addTargetedDelegate(&c, 0, false);
    dispatcher.addTargetedDelegate(&d, 10, false);
    send(CCTOUCHBEGAN, touchAt(1, 1));
    EXPECT_EQ(g_log, (std::vector<std::string>{"b.began", "c.began", "a.began", "d.began"}));

    // A new priority re-sorts; the registration order stays the tie-break.
    g_log.clear();
    dispatcher.setPriority(-10, &d);
    dispatcher.setPriority(0, &b);
    send(CCTOUCHBEGAN, touchAt(1, 1));
    EXPECT_EQ(g_log, (std::vector<std::string>{"d.began", "c.began", "b.began", "a.began"}));
    EXPECT_EQ(dispatcher.getPriority(&d), -10);
}

TEST_F(TouchDispatcherTest, OnlyClaimersSeeTheRestOfTheTouchAndSwallowersStopTheWalk) {
    Recorder ignores("ignores", false), claims("claims", true), swallows("swallows", true), after("after", true);
    Recorder standard("std");
    dispatcher.addTargetedDelegate(&ignores, -3, true);
    dispatcher.addTargetedDelegate(&claims, -2, false);
    dispatcher.addTargetedDelegate(&swallows, -1, true);
    dispatcher.addTargetedDelegate(&after, 0, false);
    dispatcher.addStandardDelegate(&standard, 0);
    sendAll(touchAt(5, 5));
    EXPECT_EQ(g_log, (std::vector<std::string>{"ignores.began", "claims.began", "swallows.began", "claims.moved",
                                               "swallows.moved", "claims.ended", "swallows.ended"}));
}

TEST_F(TouchDispatcherTest, StandardDelegatesGetTheTouchesNoSwallowerTook) {
    Recorder standard("std");
    dispatcher.addStandardDelegate(&standard, 5);
    // The swallower claims only touches starting in the left half.
    class LeftHalf : public Recorder {
    public:
        LeftHalf() : Recorder("left") {}
        bool ccTouchBegan(CCTouch* t, CCEvent* e) override { return Recorder::ccTouchBegan(t, e) && t->getLocation().x < 480; }
    } left;
    dispatcher.addTargetedDelegate(&left, 0, true);

    CCTouch* inLeft = touchAt(100, 100, 0);
    CCTouch* inRight = touchAt(700, 100, 1);
    CCSet* both = CCSet::create();
    both->addObject(inLeft);
    both->addObject(inRight);
    dispatcher.touchesBegan(both, nullptr);
    dispatcher.touchesEnded(both, nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"left.began", "left.began", "std.touchesBegan(1)", "left.ended",
                                               "std.touchesEnded(1)"}));

    // With nothing left over, standard delegates are not called at all.
    g_log.clear();
    CCTouch* leftOnly = touchAt(50, 50);
    dispatcher.touchesBegan(touchSet(leftOnly), nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"left.began"}));
    dispatcher.touchesCancelled(touchSet(leftOnly), nullptr);
}

TEST_F(TouchDispatcherTest, RegistrationsDuringADispatchApplyFromTheNextEvent) {
    Recorder first("first", false), late("late", false), standardLate("stdlate");
    first.onCall = [&] {
        dispatcher.addTargetedDelegate(&late, -100, false);
        dispatcher.addStandardDelegate(&standardLate, -100);
    };
    dispatcher.addTargetedDelegate(&first, 0, false);
    send(CCTOUCHBEGAN, touchAt(1, 1));
    EXPECT_EQ(g_log, (std::vector<std::string>{"first.began"}));
    EXPECT_TRUE(dispatcher.hasDelegate(&late));
    EXPECT_FALSE(dispatcher.hasPendingDelegate(&late));

    g_log.clear();
    first.onCall = nullptr;
    send(CCTOUCHBEGAN, touchAt(1, 1));
    EXPECT_EQ(g_log, (std::vector<std::string>{"late.began", "first.began", "stdlate.touchesBegan(1)"}));
}

TEST_F(TouchDispatcherTest, ADelegateRemovedDuringADispatchIsNotCalledAgain) {
    Recorder remover("remover", true), victim("victim", true), standard("std");
    remover.onCall = [&] {
        dispatcher.removeDelegate(&victim);
        dispatcher.removeDelegate(&standard);
    };
    dispatcher.addTargetedDelegate(&remover, 0, false);
    dispatcher.addTargetedDelegate(&victim, 5, false);
    dispatcher.addStandardDelegate(&standard, 0);
    sendAll(touchAt(1, 1));
    EXPECT_EQ(g_log, (std::vector<std::string>{"remover.began", "remover.moved", "remover.ended"}));

    // Removing itself mid-touch ends its share of the touch.
    g_log.clear();
    Recorder quitter("quitter", true);
    quitter.onCall = [&] { dispatcher.removeDelegate(&quitter); };
    dispatcher.addTargetedDelegate(&quitter, -1, true);
    CCTouch* touch = touchAt(1, 1);
    send(CCTOUCHBEGAN, touch);
    EXPECT_FALSE(dispatcher.isClaimedBy(touch, &quitter));
    send(CCTOUCHMOVED, touch);
    EXPECT_EQ(g_log, (std::vector<std::string>{"quitter.began"}));
}

TEST_F(TouchDispatcherTest, DeletedDelegatesLeaveEveryDispatcher) {
    auto* doomed = new Recorder("doomed", true);
    Recorder killer("killer", false), survivor("survivor", false);
    dispatcher.addTargetedDelegate(doomed, 0, true);
    dispatcher.addStandardDelegate(&survivor, 0);
    CCTouchDispatcher::sharedDispatcher()->addTargetedDelegate(doomed, 0, false);
    CCTouch* touch = touchAt(1, 1);
    send(CCTOUCHBEGAN, touch);
    delete doomed;
    EXPECT_FALSE(CCTouchDispatcher::sharedDispatcher()->hasDelegate(doomed));
    // The swallowed touch was forgotten with its claimer, so it is not
    // handed out again as a claimed one.
    send(CCTOUCHENDED, touch);
    EXPECT_EQ(g_log, (std::vector<std::string>{"doomed.began", "survivor.touchesEnded(1)"}));

    // Deleted by an earlier delegate in the same walk.
    g_log.clear();
    auto* second = new Recorder("second", false);
    killer.onCall = [&] { delete second; };
    dispatcher.addTargetedDelegate(&killer, -1, false);
    dispatcher.addTargetedDelegate(second, 0, false);
    send(CCTOUCHBEGAN, touchAt(1, 1));
    EXPECT_EQ(g_log, (std::vector<std::string>{"killer.began", "survivor.touchesBegan(1)"}));
}

TEST_F(TouchDispatcherTest, ObjectDelegatesSurviveReleasingThemselvesInTheirCall) {
    auto* self = new ObjectRecorder("self", true);
    self->onCall = [self] { self->release(); };
    dispatcher.addTargetedDelegate(self, 0, true);
    send(CCTOUCHBEGAN, touchAt(1, 1));
    // It died after its call returned, and left the dispatcher as it did.
    EXPECT_EQ(g_log, (std::vector<std::string>{"self.began", "destroyed"}));
    EXPECT_FALSE(dispatcher.hasDelegate(self));
}

TEST_F(TouchDispatcherTest, DuplicateRegistrationAndDisabledDispatchAreIgnored) {
    Recorder once("once", false);
    dispatcher.addTargetedDelegate(&once, 0, false);
    dispatcher.addStandardDelegate(&once, 0);
    send(CCTOUCHBEGAN, touchAt(1, 1));
    EXPECT_EQ(g_log, (std::vector<std::string>{"once.began"}));
    dispatcher.setDispatchEvents(false);
    send(CCTOUCHBEGAN, touchAt(1, 1));
    EXPECT_EQ(g_log.size(), 1u);
}

}  // namespace
}  // namespace inputtest
