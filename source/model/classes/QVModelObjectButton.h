// Button models: the base every on-screen button shares, and the kinds that
// add no table of their own (control, URL, Facebook, sound control, switch).
// The kinds with tables are in QVModelObjectButtonKinds.h.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeValue.h"

class QVModelSound;

// "Image Selected" is placed after "Image" by the constructor.
#define QV_OBJECT_BUTTON_ATTRIBUTES(X)                     \
    X(QVAttributeSprite, imageSelected, "Image Selected")  \
    X(QVAttributeStringList, action, "Action")             \
    X(QVAttributeFloat, interval, "Interval")              \
    X(QVAttributeStringList, backTo, "Back To")            \
    X(QVAttributeStringList, backToWorld, "Back To World") \
    X(QVAttributeSound, clickSound, "Click Sound")         \
    X(QVAttributeSound, releaseSound, "Release Sound")     \
    X(QVAttributeBool, blockTouch, "Block Touch")          \
    X(QVAttributeKey, keyboardKey, "Keyboard Key")         \
    X(QVAttributeFloat, touchEmulation, "Touch Emulation")

class QVBaseModelObjectButton : public QVModelObjectImage {
public:
    std::shared_ptr<QVModelSpriteContainer> imageSelected() const;
    std::shared_ptr<QVModelSound> clickSound() const;
    std::shared_ptr<QVModelSound> releaseSound() const;
    const std::string& action() const;
    float interval() const;
    int32_t keyboardKey() const;
    // Whether the button's menu swallows the touches it takes.
    bool blockTouch() const;
    // 0 and below mean no key.
    bool hasKeyboardKey() const { return keyboardKey() > 0; }
    // "Touch Emulation" with the state's curve at `time` is at least 0.5.
    bool isTouchEmulated(float time, int state) const;

    // "Back To" when it names a UI node (or whenever "Back To World" is set).
    std::string backToUi() const;
    // "Back To World" when set, else "Back To" when it names a scene node.
    std::string backToWorld() const;

    // The repetition rule; run time only, never saved or copied.
    void resetIntervalCounter();
    void decrementIntervalCounter();
    void blockInterval() { m_intervalBlocked = true; }
    bool intervalReached() const;

protected:
    explicit QVBaseModelObjectButton(const std::string& name);
    QVBaseModelObjectButton(const QVBaseModelObjectButton& source);

    // Moves `moved`, in that order, to directly after `anchor` (both listed).
    void placeAfter(const QVAttribute* anchor, std::initializer_list<QVAttribute*> moved);

    QV_OBJECT_BUTTON_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)

private:
    int32_t m_intervalCounter = 0;
    bool m_intervalBlocked = false;
};

class QVModelObjectButton : public QVBaseModelObjectButton {
    QV_MODEL_GLUE(QVModelObjectButton, "Navigation Button", QVModelObjectImage, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectButton(const std::string& name);
    QVModelObjectButton(const QVModelObjectButton& source);
};

// The move and motor components tell it by its class.
class QVModelObjectButtonControl : public QVModelObjectButton {
    QV_MODEL_GLUE(QVModelObjectButtonControl, "", QVModelObjectButton, QVModelObjectImage, QVModelObject,
                  QVModelCompound, QVModel)
public:
    explicit QVModelObjectButtonControl(const std::string& name);
    QVModelObjectButtonControl(const QVModelObjectButtonControl& source);
};

#define QV_OBJECT_BUTTON_URL_ATTRIBUTES(X) X(QVAttributeString, url, "URL")

class QVModelObjectButtonUrl : public QVModelObjectButton {
    QV_MODEL_GLUE(QVModelObjectButtonUrl, "Url Button", QVModelObjectButton, QVModelObjectImage, QVModelObject,
                  QVModelCompound, QVModel)
public:
    explicit QVModelObjectButtonUrl(const std::string& name);
    QVModelObjectButtonUrl(const QVModelObjectButtonUrl& source);

    const std::string& url() const;

protected:
    QV_OBJECT_BUTTON_URL_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

#define QV_OBJECT_BUTTON_FACEBOOK_ATTRIBUTES(X) X(QVAttributeString, facebookId, "Facebook ID")

// Its "URL" is named "Facebook URL". Its kind test leaves the URL button out.
class QVModelObjectButtonFacebook : public QVModelObjectButtonUrl {
    QV_MODEL_GLUE(QVModelObjectButtonFacebook, "Facebook Button", QVModelObjectButton, QVModelObjectImage,
                  QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectButtonFacebook(const std::string& name);
    QVModelObjectButtonFacebook(const QVModelObjectButtonFacebook& source);

    const std::string& facebookId() const;

private:
    QV_OBJECT_BUTTON_FACEBOOK_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// Its images are named "Sound is ON" and "Sound is OFF".
class QVModelObjectButtonSoundControl : public QVModelObjectButton {
    QV_MODEL_GLUE(QVModelObjectButtonSoundControl, "Audio Button", QVModelObjectButton, QVModelObjectImage,
                  QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectButtonSoundControl(const std::string& name);
    QVModelObjectButtonSoundControl(const QVModelObjectButtonSoundControl& source);
};

// Starts with the action "kInputControllerActionButton".
class QVModelObjectButtonSwitch : public QVModelObjectButton {
    QV_MODEL_GLUE(QVModelObjectButtonSwitch, "Switch Button", QVModelObjectButton, QVModelObjectImage, QVModelObject,
                  QVModelCompound, QVModel)
public:
    explicit QVModelObjectButtonSwitch(const std::string& name);
    QVModelObjectButtonSwitch(const QVModelObjectButtonSwitch& source);
};
