#include "player/ui/QVPObjectButtonPurchase.h"

#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelScreen.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "player/app/QVAdController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVSound.h"
#include "player/app/ScoreTable.h"
#include "player/screens/QVPScreen.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/QVPScreenUi.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/CoinPayment.h"

namespace {

const char* const kNonIapPurchase = "non IAP purchase";

void addToInventory(const std::shared_ptr<QVModelAssetPowerup>& powerup, float quantity) {
    if (!powerup) return;
    QVPSettingsController* settings = QVPSettingsController::shared();
    settings->setInventoryAmount(powerup,
                                 truncToInt(quantity + static_cast<float>(settings->inventoryAmount(powerup))));
}

bool isCoinPowerup(const std::shared_ptr<QVModelAssetPowerup>& powerup) {
    const auto placed = powerupPlacement(powerup);
    return placed && placed->powerupType() == "kPowerupCoin";
}

}  // namespace

std::shared_ptr<QVModelObjectAssetPowerup> powerupPlacement(const std::shared_ptr<QVModelAssetPowerup>& asset) {
    if (!asset) return nullptr;
    auto placed = QVModelObjectAssetPowerup::create();
    placed->setAsset(asset);
    return placed;
}

QVPObjectButtonPurchase* QVPObjectButtonPurchase::create() {
    auto* button = new QVPObjectButtonPurchase();
    button->autorelease();
    return button;
}

QVPObjectButtonPurchase::QVPObjectButtonPurchase() {
    // Only a bound button rebinds: a repeatable purchase adds no entry.
    LockStateStore::addListener(this, [this] {
        if (m_lockFlag) bindLockFlag();
    });
}

QVPObjectButtonPurchase::~QVPObjectButtonPurchase() {
    LockStateStore::removeListener(this);
    delete m_completeSound;
}

std::shared_ptr<QVModelObjectButtonPurchase> QVPObjectButtonPurchase::purchaseModel() const {
    return modelCast<QVModelObjectButtonPurchase>(getModel());
}

void QVPObjectButtonPurchase::setModel(std::shared_ptr<QVModelObjectButton> model) {
    QVPObjectButton::setModel(std::move(model));
    m_powerup = nullptr;
    m_lockFlag.reset();
    delete m_completeSound;
    m_completeSound = nullptr;
    const auto purchase = purchaseModel();
    if (!purchase) return;
    if (purchase->purchaseType() == "kPurchasePowerup") {
        m_powerup = QVModelController::shared()->getModel<QVModelAssetPowerup>(
            static_cast<uint32_t>(purchase->powerupSelectionId()));
    } else if (purchase->purchaseType() == "kPurchaseRemoveAds" && QVPSettingsController::shared()->removeAds()) {
        setVisible(false);
        setEnabled(false);
    }
    m_rewardedVideo = purchase->purchaseMethod() == "kRewardedVideos";
    if (purchase->oneTimePurchase() != "kDefault" && purchase->interval() <= 1.0f) {
        bindLockFlag();
        if (m_lockFlag && !m_lockFlag->locked()) {
            setVisible(false);
            setEnabled(false);
        }
    }
    if (purchase->purchaseComplete()) m_completeSound = new QVSound(purchase->purchaseComplete(), 0);
}

void QVPObjectButtonPurchase::bindLockFlag() {
    if (getModel()) {
        m_lockFlag = LockStateStore::lockFlag(getModel()->name());
    } else {
        m_lockFlag.reset();
    }
}

bool QVPObjectButtonPurchase::canGrant(const QVModelObjectButtonPurchase& model) const {
    if (model.purchaseType() == "kPurchaseRemoveAds") return true;
    if (model.purchaseType() != "kPurchasePowerup" || !m_powerup) return false;
    // Outside the game field only a coin powerup can be used at once.
    return !model.buyAndUse() || ScreenManager::shared()->getGameScene() || isCoinPowerup(m_powerup);
}

void QVPObjectButtonPurchase::markBought() {
    if (m_lockFlag) *m_lockFlag = false;
    setVisible(false);
    setEnabled(false);
}

void QVPObjectButtonPurchase::purchase() {
    const auto model = purchaseModel();
    if (!model) return;
    retain();  // a screen change below may drop the last other reference
    if (!m_rewardedVideo && !canGrant(*model)) {
        logMessage("[QVPObjectButtonPurchase] nothing to grant: %s", model->name().c_str());
        release();
        return;
    }
    if (model->purchaseMethod() == "kInGameCurrency" && !CoinPayment::tryPay(model->price(), model->price())) {
        release();
        return;
    }
    const bool removeAds = model->purchaseType() == "kPurchaseRemoveAds";
    if (removeAds) {
        purchaseDidComplete(kNonIapPurchase);
    } else if (model->buyAndUse()) {
        if (QVPScreen* screen = QVPScreen::runningScreen()) screen->spawnPowerup(powerupPlacement(m_powerup), true);
    } else {
        addToInventory(m_powerup, model->quantity());
    }
    if (model->oneTimePurchase() != "kDefault") markBought();
    QVPSettingsController::shared()->save();
    if (m_completeSound) m_completeSound->play(false, false);
    if (m_rewardedVideo) {
        for (const auto& screen : QVModelController::shared()->getModels<QVModelScreen>()) {
            screen->setInterstitialCounter(0);
        }
    }
    if (auto* ui = dynamic_cast<QVPScreenUi*>(ScreenManager::shared()->getCurrentUi())) {
        ui->refreshUnlockCharacterButton();
    }
    release();
}

void QVPObjectButtonPurchase::purchaseDidComplete(const std::string& identifier) {
    const auto model = purchaseModel();
    if (!model) return;
    if (model->oneTimePurchase() != "kDefault") markBought();
    logMessage("[QVPObjectButtonPurchase] purchase did comlete: %s", identifier.c_str());
    if (model->purchaseType() == "kPurchasePowerup" && model->storeIdentifier() == identifier) {
        if (!model->buyAndUse()) {
            addToInventory(m_powerup, model->quantity());
        } else if (QVPScreenScene* scene = ScreenManager::shared()->getGameScene()) {
            scene->spawnPowerup(powerupPlacement(m_powerup), true);
        } else if (isCoinPowerup(m_powerup)) {
            const auto placed = powerupPlacement(m_powerup);
            ScoreRecord& global = scoreRecord("");
            global.coins.add(placed->rewardCoins());
            global.points.add(placed->rewardPoints());
        }
    } else if (model->purchaseType() == "kPurchaseRemoveAds") {
        QVPSettingsController::shared()->setRemoveAds(true);
        setVisible(false);
        setEnabled(false);
        if (QVPScreen* screen = QVPScreen::runningScreen()) screen->onAdsRemoved();
    }
    QVPSettingsController::shared()->save();
    if (m_completeSound && identifier != kNonIapPurchase) m_completeSound->play(false, false);
}

void QVPObjectButtonPurchase::update(float dt) {
    QVPObjectButton::update(dt);
    const auto model = purchaseModel();
    if (!model || !isEnabled()) return;
    if (m_rewardedVideo) {
        setVisible(QVAdController::shared()->isRewardedVideoAvailable(model->adNetwork()) && model->intervalReached());
    } else if (model->visibilityThreshold() > 0.0f && ScreenManager::shared()->getGameScene()) {
        setVisible(model->visibilityThreshold() > currentScoreRecord().distance.current);
    } else {
        setVisible(true);
    }
}

void QVPObjectButtonPurchase::resetPerGamePurchases() {
    for (const auto& model : QVModelController::shared()->getModels<QVModelObjectButtonPurchase>()) {
        if (model->oneTimePurchase() == "kPerGamePurchase") LockStateStore::setLockState(model->name(), true);
    }
}
