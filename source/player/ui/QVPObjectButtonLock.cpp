#include "player/ui/QVPObjectButtonLock.h"

#include <algorithm>

#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/core/QVNumeric.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVServices.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/CoinPayment.h"

QVPObjectButtonLock* QVPObjectButtonLock::create() {
    auto* button = new QVPObjectButtonLock();
    button->autorelease();
    return button;
}

QVPObjectButtonLock::QVPObjectButtonLock() {
    LockStateStore::addListener(this, [this] { bindLockFlag(); });
}

QVPObjectButtonLock::~QVPObjectButtonLock() { LockStateStore::removeListener(this); }

std::shared_ptr<QVModelObjectLockButton> QVPObjectButtonLock::lockModel() const {
    return modelCast<QVModelObjectLockButton>(getModel());
}

void QVPObjectButtonLock::setModel(std::shared_ptr<QVModelObjectButton> model) {
    QVPObjectButton::setModel(std::move(model));
    bindLockFlag();
}

void QVPObjectButtonLock::bindLockFlag() {
    if (getModel()) {
        m_lockFlag = LockStateStore::lockFlag(getModel()->name());
        m_lastLocked = m_lockFlag->locked();
    } else {
        m_lockFlag.reset();
        m_lastLocked = true;
    }
    refreshImages();
}

void QVPObjectButtonLock::refreshImages() {
    const std::shared_ptr<QVModelObjectButton> model = getModel();
    if (!model) return;
    if (const auto lock = lockModel(); lock && m_lastLocked) {
        setButtonImages(this, lock->lockedImage(), lock->lockedImageSelected());
    } else {
        setButtonImages(this, model->image(), model->imageSelected());
    }
}

void QVPObjectButtonLock::update(float dt) {
    if (m_lockFlag && m_lockFlag->locked() != m_lastLocked) {
        m_lastLocked = !m_lastLocked;
        refreshImages();
    }
    QVPObjectButton::update(dt);
}

void QVPObjectButtonLock::activate() {
    const auto model = lockModel();
    if (!model) {
        QVPObjectButton::activate();
        return;
    }
    retain();  // navigation or a callback may drop the screen holding it
    if (m_lastLocked) {
        if (model->unlock() == "kInAppPurchase") {
            if (!model->storeIdentifier().empty()) {
                PurchaseService::shared()->setCallback(
                    this, static_cast<PurchaseService::Callback>(&QVPObjectButtonLock::onUnlockCompleted));
                PurchaseService::shared()->purchase(model->storeIdentifier());
            }
        } else if (model->unlock() == "kInGameCurrency") {
            const float price = model->price();
            if (CoinPayment::tryPay(static_cast<float>(truncToInt(price)), price)) {
                onUnlockCompleted("non IAP purchase");
            } else {
                QVServices::shared()->setCallback(QVModelGeneralSettings::shared()->notEnoughCurrencyText(), nullptr,
                                                  nullptr);
            }
        }
        release();
        return;
    }
    ScreenManager* manager = ScreenManager::shared();
    if (model->destination() == "kSceneDestination") {
        manager->setStartSectionId(static_cast<uint32_t>(std::max(0, model->sceneId())));
    } else if (model->destination() == "kNextSceneDestination") {
        manager->setStartSectionId(manager->nextSectionId(manager->getStartSectionId()));
    }
    if (model->autoLock() && m_lockFlag) *m_lockFlag = true;
    QVPObjectButton::activate();
    QVPSettingsController::shared()->save();
    release();
}

void QVPObjectButtonLock::onUnlockCompleted(const std::string& identifier) {
    (void)identifier;
    if (m_lockFlag) *m_lockFlag = false;
    update(0.0f);
    const auto model = lockModel();
    if (model && model->autoFollow()) {
        activate();
    } else {
        QVPSettingsController::shared()->save();
    }
}
