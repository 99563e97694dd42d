#include "model/classes/QVModelUIObjects.h"

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPSettingsController.h"
#include "player/screens/ScreenManager.h"

using cocos2d::CCSize;

namespace {
// The placeholder of objects that show nothing of their own.
const CCSize kMarkerSize(60.0f, 60.0f);
}  // namespace

QVBaseModelObjectUnlocker::QVBaseModelObjectUnlocker(const std::string& name)
    : QVModelObject(name) QV_OBJECT_UNLOCKER_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVBaseModelObjectUnlocker::QVBaseModelObjectUnlocker(const QVBaseModelObjectUnlocker& source)
    : QVModelObject(source) QV_OBJECT_UNLOCKER_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

void QVBaseModelObjectUnlocker::applySceneUnlock() const {
    const std::string& object = qvread::text(m_object);
    if (qvread::text(m_unlockType) != "kButtonUnlock" || object.empty()) return;
    bool changed = false;
    const auto unlock = [&changed](const std::string& name) {
        // An absent entry reads as locked.
        if (!LockStateStore::lockState(name)) return;
        LockStateStore::setLockState(name, false);
        changed = true;
    };
    if (object != "kUnlockNext" && object != "kUnlockCurrent") {
        unlock(object);
    } else {
        const ScreenManager* screens = ScreenManager::shared();
        uint32_t sectionId = screens->getStartSectionId();
        if (object == "kUnlockNext") sectionId = screens->nextSectionId(sectionId);
        const std::string scene = std::to_string(sectionId);
        for (const auto& lock : QVModelController::shared()->getModels<QVModelObjectLockButton>()) {
            if (lock->destination() == "kSceneDestination" && lock->scene() == scene) unlock(lock->name());
        }
    }
    // A level a completion screen opened must not wait for some later save:
    // a crash or a kill before it would take the level back.
    if (changed) QVPSettingsController::shared()->save();
}

void QVBaseModelObjectUnlocker::applyCharacterUnlock() const {
    const std::string& object = qvread::text(m_object);
    if (qvread::text(m_unlockType) != "kCharacterUnlock" || object.empty()) return;
    QVPSettingsController* settings = QVPSettingsController::shared();
    uint32_t index = 0;
    for (const auto& character : QVModelController::shared()->getModels<QVModelAssetCharacter>()) {
        if (character->name() == object) {
            settings->unlockCharacter(index);
            settings->save();
        }
        ++index;
    }
}

CCSize QVBaseModelObjectUnlocker::placeholderSize(float) const { return kMarkerSize; }

QVModelObjectUnlocker::QVModelObjectUnlocker(const std::string& name) : QVBaseModelObjectUnlocker(name) {}
QVModelObjectUnlocker::QVModelObjectUnlocker(const QVModelObjectUnlocker& source) : QVBaseModelObjectUnlocker(source) {}

QVBaseModelObjectCharacterSelector::QVBaseModelObjectCharacterSelector(const std::string& name)
    : QVModelObject(name) QV_OBJECT_CHARACTER_SELECTOR_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_labelVisibility->setValue(true, true);
    m_labelVerticalSpacing->setValue(100.0f, true);
    m_spread->setValue(100.0f, true);
}

QVBaseModelObjectCharacterSelector::QVBaseModelObjectCharacterSelector(const QVBaseModelObjectCharacterSelector& source)
    : QVModelObject(source) QV_OBJECT_CHARACTER_SELECTOR_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

int32_t QVBaseModelObjectCharacterSelector::labelNameId() const {
    return parseDecimal<int32_t>(qvread::text(m_labelName));
}

int32_t QVBaseModelObjectCharacterSelector::labelFontId() const {
    // Tools write either reading of "Label Name": a font, or a label.
    const int32_t id = labelNameId();
    const std::shared_ptr<QVModel> named = QVModelController::shared()->getModel(static_cast<uint32_t>(id));
    if (modelCast<QVModelFont>(named)) return id;
    if (const auto label = modelCast<QVModelObjectLabel>(named)) return label->fontId();
    return 0;
}

bool QVBaseModelObjectCharacterSelector::labelVisibility() const { return qvread::value(m_labelVisibility); }
float QVBaseModelObjectCharacterSelector::labelVerticalSpacing() const { return qvread::value(m_labelVerticalSpacing); }
std::shared_ptr<QVModelAnimation> QVBaseModelObjectCharacterSelector::unlockButton() const {
    return qvread::linked(m_unlockButton);
}
std::shared_ptr<QVModelSound> QVBaseModelObjectCharacterSelector::unlockYes() const {
    return qvread::linked(m_unlockYes);
}
std::shared_ptr<QVModelSound> QVBaseModelObjectCharacterSelector::unlockNo() const {
    return qvread::linked(m_unlockNo);
}
std::shared_ptr<QVModelAnimation> QVBaseModelObjectCharacterSelector::unlockSuggestion() const {
    return qvread::linked(m_unlockSuggestion);
}
float QVBaseModelObjectCharacterSelector::spread() const { return qvread::value(m_spread); }

QVModelObjectCharacterSelector::QVModelObjectCharacterSelector(const std::string& name)
    : QVBaseModelObjectCharacterSelector(name) {}
QVModelObjectCharacterSelector::QVModelObjectCharacterSelector(const QVModelObjectCharacterSelector& source)
    : QVBaseModelObjectCharacterSelector(source) {}

QVBaseModelObjectEventObserver::QVBaseModelObjectEventObserver(const std::string& name)
    : QVModelObject(name) QV_OBJECT_EVENT_OBSERVER_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_limitNumber->setValue(1000.0f, true);
    m_playsBeforeRedirect->setValue(1.0f, true);
    m_time->setValue(1000u, true);
    m_pauseCurrentWorld->setValue(true, true);
}

QVBaseModelObjectEventObserver::QVBaseModelObjectEventObserver(const QVBaseModelObjectEventObserver& source)
    : QVModelObject(source) QV_OBJECT_EVENT_OBSERVER_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const std::string& QVBaseModelObjectEventObserver::eventType() const { return qvread::text(m_eventType); }
const std::string& QVBaseModelObjectEventObserver::function() const { return qvread::text(m_function); }
float QVBaseModelObjectEventObserver::limitNumber() const { return qvread::value(m_limitNumber); }
float QVBaseModelObjectEventObserver::playsBeforeRedirect() const { return qvread::value(m_playsBeforeRedirect); }
bool QVBaseModelObjectEventObserver::pauseCurrentWorld() const { return qvread::value(m_pauseCurrentWorld); }
uint32_t QVBaseModelObjectEventObserver::time() const { return qvread::value(m_time); }
CCSize QVBaseModelObjectEventObserver::placeholderSize(float) const { return kMarkerSize; }

QVModelObjectEventObserver::QVModelObjectEventObserver(const std::string& name)
    : QVBaseModelObjectEventObserver(name) {}
QVModelObjectEventObserver::QVModelObjectEventObserver(const QVModelObjectEventObserver& source)
    : QVBaseModelObjectEventObserver(source) {}
