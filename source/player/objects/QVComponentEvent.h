// QVComponentEvent: the "Event" text of the move and iso-jump components
// ("kind-control name-parameter"), the actions it subscribes to and the check
// that the control raising an action is the one it names.
//
// Guarantees: every text parses; an unknown kind, a swipe without a
// direction 0-3 or an empty text subscribes to nothing and starts nothing.
// The control check accepts only a button control, a switch button or a
// swipe control (exact class) whose "Name" is the event's control name.
#pragma once

#include <string>

#include "base/CCObject.h"

class QVComponentEvent {
public:
    enum class Kind { kNone, kButton, kSwitch, kSwipe, kCollision, kStart };
    // The actions on-screen controls raise: pressed (or switched on),
    // released (or switched off), then the four swipes.
    static constexpr int kControlPressed = 11;
    static constexpr int kControlReleased = 12;
    static constexpr int kFirstSwipe = 13;

    // The kind is the text before the first "-"; with two or more "-" the
    // parameter follows the last one and the control name lies between;
    // with one, the rest is the name. "kEventCollision" and "kEventStart"
    // only as the whole text.
    static QVComponentEvent parse(const std::string& text);

    Kind kind() const { return m_kind; }
    const std::string& controlName() const { return m_controlName; }
    const std::string& parameter() const { return m_parameter; }

    // Button and switch: action 11 to `pressed` and 12 to `released` with
    // the parameter "0", swapped with any other; swipe: action 13-16 (the
    // parameter's first character 0-3) to `pressed`.
    void subscribe(cocos2d::CCObject* target, cocos2d::SEL_CallFuncO pressed, cocos2d::SEL_CallFuncO released) const;
    // Whether `source` (the object that raised the action) is the named
    // control.
    bool isControl(cocos2d::CCObject* source) const;

private:
    Kind m_kind = Kind::kNone;
    std::string m_controlName;
    std::string m_parameter;
};
