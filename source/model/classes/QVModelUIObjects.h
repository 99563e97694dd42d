// The UI objects besides images, buttons and labels: the unlocker, which
// unlocks a scene or a character when its screen is built, the character
// selector and the event observer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

#define QV_OBJECT_UNLOCKER_ATTRIBUTES(X)                \
    X(QVAttributeStringList, unlockType, "Unlock Type") \
    X(QVAttributeStringList, object, "Object")

class QVBaseModelObjectUnlocker : public QVModelObject {
public:
    // "kButtonUnlock": unlocks the lock key in "Object", or the lock buttons
    // of the start scene ("kUnlockCurrent") or of the one after it
    // ("kUnlockNext"); saves the player settings when an entry was absent
    // or locked (a save that is refused before loading, as always).
    void applySceneUnlock() const;
    // "kCharacterUnlock": unlocks and saves every character named "Object".
    void applyCharacterUnlock() const;
    cocos2d::CCSize placeholderSize(float time) const override;

protected:
    explicit QVBaseModelObjectUnlocker(const std::string& name);
    QVBaseModelObjectUnlocker(const QVBaseModelObjectUnlocker& source);

    QV_OBJECT_UNLOCKER_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectUnlocker : public QVBaseModelObjectUnlocker {
    QV_MODEL_GLUE(QVModelObjectUnlocker, "Unlock", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectUnlocker(const std::string& name);
    QVModelObjectUnlocker(const QVModelObjectUnlocker& source);
};

#define QV_OBJECT_CHARACTER_SELECTOR_ATTRIBUTES(X)                      \
    X(QVAttributeBool, labelVisibility, "Label Visibility")             \
    X(QVAttributeFloat, labelVerticalSpacing, "Label Vertical Spacing") \
    X(QVAttributeStringList, labelName, "Label Name")                   \
    X(QVAttributeAnimation, unlockButton, "Unlock Button")              \
    X(QVAttributeSound, unlockYes, "Unlock Yes")                        \
    X(QVAttributeSound, unlockNo, "Unlock No")                          \
    X(QVAttributeAnimation, unlockSuggestion, "Unlock Suggestion")      \
    X(QVAttributeFloat, spread, "Spread")

class QVBaseModelObjectCharacterSelector : public QVModelObject {
public:
    // The decimal id in "Label Name", 0 when there is none.
    int32_t labelNameId() const;
    // The font of the selector's labels: "Label Name" names a font, or a
    // label whose font is taken; 0 otherwise.
    int32_t labelFontId() const;
    bool labelVisibility() const;
    float labelVerticalSpacing() const;
    std::shared_ptr<QVModelAnimation> unlockButton() const;
    std::shared_ptr<QVModelSound> unlockYes() const;
    std::shared_ptr<QVModelSound> unlockNo() const;
    std::shared_ptr<QVModelAnimation> unlockSuggestion() const;
    // The distance between icons.
    float spread() const;

protected:
    explicit QVBaseModelObjectCharacterSelector(const std::string& name);
    QVBaseModelObjectCharacterSelector(const QVBaseModelObjectCharacterSelector& source);

    QV_OBJECT_CHARACTER_SELECTOR_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectCharacterSelector : public QVBaseModelObjectCharacterSelector {
    QV_MODEL_GLUE(QVModelObjectCharacterSelector, "", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectCharacterSelector(const std::string& name);
    QVModelObjectCharacterSelector(const QVModelObjectCharacterSelector& source);
};

#define QV_OBJECT_EVENT_OBSERVER_ATTRIBUTES(X)                        \
    X(QVAttributeStringList, eventType, "Event Type")                 \
    X(QVAttributeFloat, limitNumber, "Limit Number")                  \
    X(QVAttributeFloat, playsBeforeRedirect, "Plays Before Redirect") \
    X(QVAttributeUInt, time, "Time")                                  \
    X(QVAttributeStringList, function, "Function")                    \
    X(QVAttributeBool, pauseCurrentWorld, "Pause Current World")

class QVBaseModelObjectEventObserver : public QVModelObject {
public:
    const std::string& eventType() const;
    const std::string& function() const;
    float limitNumber() const;
    float playsBeforeRedirect() const;
    bool pauseCurrentWorld() const;
    uint32_t time() const;
    cocos2d::CCSize placeholderSize(float time) const override;

protected:
    explicit QVBaseModelObjectEventObserver(const std::string& name);
    QVBaseModelObjectEventObserver(const QVBaseModelObjectEventObserver& source);

    QV_OBJECT_EVENT_OBSERVER_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectEventObserver : public QVBaseModelObjectEventObserver {
    QV_MODEL_GLUE(QVModelObjectEventObserver, "Event Observer", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectEventObserver(const std::string& name);
    QVModelObjectEventObserver(const QVModelObjectEventObserver& source);
};
