// QVPObjectButtonPurchase: the store button. It sells a powerup (into the
// inventory, or used at once) or the removal of ads, paid with coins, in
// the store or with a rewarded video, and hides itself while it cannot be
// bought. A coin-paid purchase that could grant nothing charges nothing.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "player/app/LockStateStore.h"
#include "player/ui/QVPObjectButton.h"

class QVModelAssetPowerup;
class QVModelObjectAssetPowerup;
class QVModelObjectButtonPurchase;
class QVSound;

class QVPObjectButtonPurchase : public QVPObjectButton {
public:
    // Autoreleased, without images or model.
    static QVPObjectButtonPurchase* create();

    QVPObjectButtonPurchase();
    ~QVPObjectButtonPurchase() override;

    void setModel(std::shared_ptr<QVModelObjectButton> model) override;
    // Grants the purchase, paying with coins for "kInGameCurrency"; also
    // the rewarded-video callback.
    void purchase();
    // The store's completion callback; "non IAP purchase" for a remove-ads
    // purchase made here.
    void purchaseDidComplete(const std::string& identifier);
    void bindLockFlag();
    std::shared_ptr<QVModelAssetPowerup> getPowerupModel() const { return m_powerup; }
    void update(float dt) override;

    // Puts every "kPerGamePurchase" button's purchase on sale again.
    static void resetPerGamePurchases();

private:
    std::shared_ptr<QVModelObjectButtonPurchase> purchaseModel() const;
    bool canGrant(const QVModelObjectButtonPurchase& model) const;
    void markBought();

    std::shared_ptr<QVModelAssetPowerup> m_powerup;
    bool m_rewardedVideo = false;
    // Locked = still for sale.
    std::optional<LockStateStore::Flag> m_lockFlag;
    QVSound* m_completeSound = nullptr;  // owned
};

// A fresh placement of the powerup asset for a screen's spawnPowerup; null
// for a null asset.
std::shared_ptr<QVModelObjectAssetPowerup> powerupPlacement(const std::shared_ptr<QVModelAssetPowerup>& asset);
