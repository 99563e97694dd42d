// Ads: which network each name gives, what init activates, and that the end
// of a rewarded video reaches its caller exactly once.
#include <gtest/gtest.h>

#include "../../model/classes/sections/section_test_support.h"
#include "../../model/core/support/model_test_support.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelScreen.h"
#include "player/app/QVAdController.h"
#include "player/app/QVPSettingsController.h"

namespace {

using sectiontest::set;

struct Rewardee : cocos2d::CCObject {
    void rewarded() { ++calls; }
    int calls = 0;
};

class AdTest : public sectiontest::ModelTest {
protected:
    void TearDown() override {
        QVPSettingsController::shared()->setRemoveAds(false);
        QVAdController::shared()->setRewardedVideoCallback(nullptr, nullptr);
        ModelTest::TearDown();
    }
};

TEST_F(AdTest, EachNameGivesItsNetworkPerRoleAndUnknownNamesGiveNone) {
    struct Row {
        const char* name;
        QVAdObject *banner, *interstitial, *rewarded;
    };
    for (const Row& row : {
             Row{"kNoAds", nullptr, nullptr, nullptr},
             Row{"kAdMob", QVAdAdMob::shared(), QVAdAdMob::shared(), nullptr},
             Row{"kFacebook", QVAdFacebook::shared(), QVAdFacebook::shared(), nullptr},
             Row{"kChartboost", nullptr, QVAdChartboost::shared(), nullptr},
             Row{"kRevMob", QVAdRevMob::shared(), QVAdRevMob::shared(), nullptr},
             Row{"kAppLovin", QVAdAppLovin::shared(), QVAdAppLovin::shared(), nullptr},
             Row{"kInMobi", QVAdInMobi::shared(), QVAdInMobi::shared(), nullptr},
             Row{"kLeadBolt", QVAdLeadBolt::shared(), QVAdLeadBolt::shared(), nullptr},
             Row{"kHeyzap", QVAdHeyzap::shared(), QVAdHeyzap::shared(), QVAdHeyzap::shared()},
             Row{"kVungle", nullptr, QVAdVungle::shared(), nullptr},
             Row{"kCustom", QVAdCustom::shared(), QVAdCustom::shared(), QVAdCustom::shared()},
             Row{"kadmob", nullptr, nullptr, nullptr},
             Row{"", nullptr, nullptr, nullptr},
         }) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(QVAdController::bannerNamed(row.name), row.banner);
        EXPECT_EQ(QVAdController::interstitialNamed(row.name), row.interstitial);
        EXPECT_EQ(QVAdController::rewardedVideoNamed(row.name), row.rewarded);
    }
}

// QVAdCustom's activation is the only one that shows, and it cannot be undone:
// the cases run in this order.
TEST_F(AdTest, InitActivatesTheCustomNetworkOnlyWhenAdsAreShownAndSomethingNamesIt) {
    auto screen = QVModelScreen::create();
    set<QVAttributeStringList>(screen, "Ad Banner", std::string("kAdMob"));
    set<QVAttributeStringList>(screen, "Ad Interstitial", std::string("kVungle"));
    auto character = QVModelAssetCharacter::create();
    set<QVAttributeStringList>(character, "Purchase Method", std::string("kRewardedVideos"));
    set<QVAttributeStringList>(character, "Ad Network", std::string("kCustom"));
    auto button = QVModelObjectButtonPurchase::create();
    set<QVAttributeStringList>(button, "Purchase Method", std::string("kRewardedVideos"));
    set<QVAttributeStringList>(button, "Ad Network", std::string("kHeyzap"));
    controller()->addModel(character);
    controller()->addModel(button);

    modeltest::LogCapture log;
    QVAdController::shared()->init();  // no screen models: nothing named
    EXPECT_EQ(QVAdController::shared()->currentRewardedVideo(), QVAdHeyzap::shared());
    EXPECT_FALSE(QVAdCustom::shared()->isActive());
    EXPECT_EQ(log.all(), std::vector<std::string>{"[QVAdController] init Ad Networks"});

    controller()->addModel(screen);
    QVPSettingsController::shared()->setRemoveAds(true);
    QVAdController::shared()->init();
    EXPECT_FALSE(QVAdCustom::shared()->isActive());

    QVPSettingsController::shared()->setRemoveAds(false);
    QVAdController::shared()->init();
    EXPECT_TRUE(QVAdCustom::shared()->isActive());
}

TEST_F(AdTest, RewardedVideoEndsAtOnceOnlyThroughInstantNetworksAndCallsBackOnce) {
    QVAdController& ads = *QVAdController::shared();
    struct Row {
        const char* network;
        int calls;
    };
    for (const Row& row : {Row{"kHeyzap", 1}, Row{"kCustom", 0}, Row{"kAdMob", 0}}) {
        SCOPED_TRACE(row.network);
        Rewardee rewardee;
        ads.setRewardedVideoCallback(&rewardee, callfunc_selector(Rewardee::rewarded));
        ads.showRewardedVideo(row.network);
        EXPECT_EQ(rewardee.calls, row.calls);   // before showRewardedVideo returned
        ads.showRewardedVideo("kHeyzap");       // without registering again
        EXPECT_EQ(rewardee.calls, 1);           // the next end calls a stored callback, once
        EXPECT_EQ(rewardee.retainCount(), 1u);  // the controller let go of it
    }
    EXPECT_TRUE(ads.isRewardedVideoAvailable("kCustom"));
    EXPECT_FALSE(ads.isRewardedVideoAvailable("kAdMob"));
    EXPECT_EQ(ads.currentRewardedVideo(), nullptr);
}

TEST_F(AdTest, BannersAndInterstitialsFollowTheirNames) {
    QVAdController& ads = *QVAdController::shared();
    modeltest::LogCapture log;
    ads.showBanner("kAdMob");
    ads.showBanner("kFacebook");  // AdMob is not hidden
    ads.hideBanner();             // Facebook stays current
    EXPECT_EQ(ads.currentBanner(), QVAdFacebook::shared());
    ads.showBanner("kNoAds");
    EXPECT_EQ(ads.currentBanner(), nullptr);
    ads.hideBanner();
    ads.showInterstitial("kAdMob");
    ads.showInterstitial("kNoAds");
    EXPECT_EQ(ads.currentInterstitial(), nullptr);
    QVAdCustom::shared()->buttonActivated("Shop");
    EXPECT_EQ(log.all(), (std::vector<std::string>{
                             "[QVAdAdMob] show banner",
                             "[QVAdFacebook] show banner",
                             "[QVAdController] hide banner",
                             "[QVAdFacebook] hide banner",
                             "[QVAdFacebook] hide banner",
                             "[QVAdController] hide banner",
                             "[QVAdAdMob] show interstitial",
                             "Custom Button Activated: Shop",
                         }));
}

}  // namespace
