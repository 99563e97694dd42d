// Shared helpers of the input tests: a recording delegate and a fixture that
// gives every test a fresh director and empty shared dispatchers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cocos2d.h"

namespace inputtest {

using namespace cocos2d;

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static void clear() {
        TouchInput::sharedTouchInput()->reset();
        CCTouchDispatcher::sharedDispatcher()->removeAllDelegates();
        CCKeypadDispatcher::sharedDispatcher()->removeAllDelegates();
        CCAccelerometer::sharedAccelerometer()->setDelegate(nullptr);
        CCDirector::resetForTest();
    }
};

// Makes a one-touch set at a GL location (the default 960x640 window).
inline CCSet* touchSet(CCTouch* touch) {
    CCSet* set = CCSet::create();
    set->addObject(touch);
    return set;
}

inline CCTouch* touchAt(float x, float y, int id = 0) {
    CCTouch* touch = new CCTouch();
    touch->autorelease();
    // View coordinates have y down from the top of the 640-high window.
    touch->setTouchInfo(id, x, 640 - y);
    return touch;
}

}  // namespace inputtest
