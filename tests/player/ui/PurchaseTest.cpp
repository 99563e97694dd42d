// Purchase buttons: coins compared as floats and charged truncated, the
// grant checked before any charge, one-time purchases that stay bought
// across a reload of the lock table, per-game purchases on sale again, the
// rewarded path, and visibility.
#include <cmath>
#include <limits>

#include "../../model/core/support/model_test_support.h"
#include "buttons_test_support.h"
#include "model/classes/QVModelScreen.h"
#include "player/app/QVAdController.h"
#include "player/screens/QVPScreen.h"
#include "player/ui/CoinPayment.h"
#include "player/ui/QVPObjectButtonPurchase.h"

using namespace uitest;

namespace {

const char* const kNothing = "[QVPObjectButtonPurchase] nothing to grant: ";

// The lines of the purchase button and the coin payment.
std::vector<std::string> purchaseLines() {
    std::vector<std::string> lines;
    for (const std::string& line : LogCapture::lines()) {
        if (line.rfind("[QVPObjectButtonPurchase]", 0) == 0 || line.rfind("[CoinPayment]", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

class Purchase : public ButtonsTest {
protected:
    std::shared_ptr<QVModelObjectButtonPurchase> model(const std::string& name, float price, float quantity,
                                                       const std::shared_ptr<QVModel>& powerup,
                                                       const char* once = "kDefault") {
        auto button = registered<QVModelObjectButtonPurchase>();
        button->setName(name);
        setText(*button, "Type", "kPurchasePowerup");
        setText(*button, "Purchase Method", "kInGameCurrency");
        setText(*button, "One Time Purchase", once);
        setText(*button, "Powerup Selection", powerup ? std::to_string(powerup->id()) : "4999");
        attr(*button, "Price")->setValue(price);
        attr(*button, "Quantity")->setValue(quantity);
        return button;
    }
};

// Equal buys, one short refuses silently, 12.9 needs 13 and charges 12, and
// the current coins come down to the total.
TEST_F(Purchase, CoinsComparedAsFloatsAndChargedTruncated) {
    struct Row {
        int total, current;
        float price;
        int totalAfter, currentAfter, inventoryAfter;
    } rows[] = {
        {30, 30, 30.0f, 0, 0, 2},   {29, 29, 30.0f, 29, 29, 0}, {13, 13, 12.9f, 1, 1, 2},
        {12, 12, 12.9f, 12, 12, 0}, {50, 45, 30.0f, 20, 20, 2}, {50, 10, 30.0f, 20, 10, 2},
    };
    auto powerup = powerupAsset();
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.total) + " for " + std::to_string(row.price));
        QVPSettingsController::shared()->setInventoryAmount(powerup, 0);
        coins().total = row.total;
        coins().current = row.current;
        build<QVPObjectButtonPurchase>(model("Buy", row.price, 2.0f, powerup))->purchase();
        EXPECT_EQ(coins().total, row.totalAfter);
        EXPECT_EQ(coins().current, row.currentAfter);
        EXPECT_EQ(QVPSettingsController::shared()->inventoryAmount(powerup), row.inventoryAfter);
    }
    EXPECT_TRUE(purchaseLines().empty());
}

TEST_F(Purchase, InvalidPriceSellsNothing) {
    setCoins(100);
    for (float price : {-1.0f, std::nanf(""), std::numeric_limits<float>::infinity()}) {
        EXPECT_FALSE(CoinPayment::tryPay(price, price));
    }
    EXPECT_EQ(coins().total, 100);
    EXPECT_EQ(purchaseLines().size(), 3u);
    EXPECT_TRUE(log.has("[CoinPayment] invalid price -1.000000"));
}

// A selection that names no powerup charges nothing, saves nothing and
// leaves a one-time purchase on sale.
TEST_F(Purchase, NothingToGrantChargesNothing) {
    setCoins(100);
    auto button = build<QVPObjectButtonPurchase>(model("Nothing", 10.0f, 1.0f, nullptr, "kOnce"));
    button->purchase();
    EXPECT_EQ(coins().total, 100);
    EXPECT_TRUE(LockStateStore::lockState("Nothing"));
    EXPECT_TRUE(button->isVisible() && button->isEnabled());
    EXPECT_EQ(purchaseLines(), std::vector<std::string>{std::string(kNothing) + "Nothing"});
    EXPECT_TRUE(statetest::storedRows().empty());
}

// Without a game field only a coin powerup can be used at once.
TEST_F(Purchase, BuyAndUseOffFieldRefused) {
    struct Row {
        const char* type;
        int coinsAfter;
        bool refused;
    } rows[] = {{"kPowerupMagnet", 100, true}, {"kPowerupCoin", 90, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        setCoins(100);
        LogCapture::lines().clear();
        auto purchase = model(row.type, 10.0f, 1.0f, powerupAsset(row.type));
        attr<QVAttributeBool>(*purchase, "Buy And Use")->setValue(true);
        build<QVPObjectButtonPurchase>(purchase)->purchase();
        EXPECT_EQ(coins().total, row.coinsAfter);
        EXPECT_EQ(log.has(std::string(kNothing) + row.type), row.refused);
    }
}

// Remove-ads with and without "Buy And Use": ads go, the coins are paid,
// the completion is logged once and the button hides.
TEST_F(Purchase, RemoveAdsWithoutBuyAndUse) {
    for (bool buyAndUse : {false, true}) {
        SCOPED_TRACE(buyAndUse);
        QVPSettingsController::shared()->setRemoveAds(false);
        setCoins(50);
        LogCapture::lines().clear();
        auto purchase = model("Ads", 20.0f, 1.0f, nullptr);
        setText(*purchase, "Type", "kPurchaseRemoveAds");
        attr<QVAttributeBool>(*purchase, "Buy And Use")->setValue(buyAndUse);
        auto* button = build<QVPObjectButtonPurchase>(purchase);
        button->purchase();
        EXPECT_TRUE(QVPSettingsController::shared()->removeAds());
        EXPECT_EQ(coins().total, 30);
        EXPECT_FALSE(button->isVisible());
        EXPECT_EQ(purchaseLines(),
                  std::vector<std::string>{"[QVPObjectButtonPurchase] purchase did comlete: non IAP purchase"});
        // A new button of it is hidden at once.
        EXPECT_FALSE(build<QVPObjectButtonPurchase>(purchase)->isVisible());
    }
}

// A bought one-time purchase stays bought through a save and a reload of the
// store, which replaces the lock table under the live buttons; a per-game
// one is for sale again after the field's reset.
TEST_F(Purchase, FlagSurvivesReload) {
    setCoins(100);
    auto powerup = powerupAsset();
    auto once = model("Once", 10.0f, 1.0f, powerup, "kForever");
    auto perGame = model("PerGame", 10.0f, 1.0f, powerup, "kPerGamePurchase");
    auto* onceButton = build<QVPObjectButtonPurchase>(once);
    onceButton->retain();
    // A repeatable purchase live through the reload adds no entry.
    auto* again = build<QVPObjectButtonPurchase>(model("Again", 10.0f, 1.0f, powerup));
    again->retain();
    build<QVPObjectButtonPurchase>(perGame)->purchase();
    onceButton->purchase();
    reload();
    again->release();
    EXPECT_EQ(LockStateStore::serializeLockStates().find("Again"), std::string::npos);
    EXPECT_EQ(coins().total, 80);
    for (const auto& bought : {once, perGame}) {
        SCOPED_TRACE(bought->name());
        EXPECT_FALSE(LockStateStore::lockState(bought->name()));
        EXPECT_FALSE(build<QVPObjectButtonPurchase>(bought)->isVisible());
    }
    // The old button still writes its own entry after the table went.
    LockStateStore::parseLockStates("");
    onceButton->purchase();
    EXPECT_FALSE(LockStateStore::lockState("Once"));
    onceButton->release();

    QVPObjectButtonPurchase::resetPerGamePurchases();
    EXPECT_TRUE(build<QVPObjectButtonPurchase>(perGame)->isVisible());
    EXPECT_FALSE(build<QVPObjectButtonPurchase>(once)->isVisible());
}

// The instant network grants at once without coins and zeroes every
// screen's interstitial counter; a store purchase with another identifier
// grants nothing but still marks a one-time purchase bought.
TEST_F(Purchase, RewardedAndStorePathsChargeNoCoins) {
    setCoins(5);
    auto powerup = powerupAsset();
    auto screen = registered<QVModelScreen>();
    screen->setInterstitialCounter(3);
    auto rewarded = model("Video", 50.0f, 3.0f, powerup);
    setText(*rewarded, "Purchase Method", "kRewardedVideos");
    setText(*rewarded, "Ad Network", "kHeyzap");
    auto store = model("Store", 50.0f, 2.0f, powerup, "kForever");
    setText(*store, "Purchase Method", "kInAppPurchase");
    setText(*store, "Store Identifier", "com.example.two");

    auto* screenNode = new QVPScreen();
    screenNode->purchaseButtonAction(build<QVPObjectButtonPurchase>(rewarded));
    EXPECT_EQ(QVPSettingsController::shared()->inventoryAmount(powerup), 3);
    EXPECT_EQ(screen->interstitialCounter(), 0);
    screenNode->purchaseButtonAction(build<QVPObjectButtonPurchase>(store));
    EXPECT_EQ(QVPSettingsController::shared()->inventoryAmount(powerup), 5);
    auto* other = build<QVPObjectButtonPurchase>(store);
    other->purchaseDidComplete("com.example.other");
    EXPECT_EQ(QVPSettingsController::shared()->inventoryAmount(powerup), 5);
    EXPECT_FALSE(other->isVisible());
    EXPECT_EQ(coins().total, 5);
    screenNode->release();
}

// Rewarded buttons show while their network has a video; others show
// without a game field whatever the threshold.
TEST_F(Purchase, VisibilityFollowsRewardedAvailability) {
    struct Row {
        const char* method;
        const char* network;
        bool visible;
    } rows[] = {{"kRewardedVideos", "kHeyzap", true},
                {"kRewardedVideos", "kNoSuchNetwork", false},
                {"kInGameCurrency", "", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.method) + row.network);
        auto purchase = model("V", 1.0f, 1.0f, powerupAsset());
        setText(*purchase, "Purchase Method", row.method);
        setText(*purchase, "Ad Network", row.network);
        attr(*purchase, "Visibility Threshold")->setValue(50.0f);
        auto* button = build<QVPObjectButtonPurchase>(purchase);
        button->setVisible(!row.visible);
        button->update(0.0f);
        EXPECT_EQ(button->isVisible(), row.visible);
    }
}

}  // namespace
