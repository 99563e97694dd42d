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

using AdTest = sectiontest::ModelTest;

TEST_F(AdTest, EachNameGivesItsNetworkInTheRolesThatKnowIt) {
    struct Row {
        const char* name;
        QVAdObject* network;
        const char* roles;  // banner, interstitial, rewarded video
    };
    for (const Row& row :
         {Row{"kNoAds", nullptr, "---"}, Row{"kAdMob", QVAdAdMob::shared(), "bi-"},
          Row{"kFacebook", QVAdFacebook::shared(), "bi-"}, Row{"kChartboost", QVAdChartboost::shared(), "-i-"},
          Row{"kRevMob", QVAdRevMob::shared(), "bi-"}, Row{"kAppLovin", QVAdAppLovin::shared(), "bi-"},
          Row{"kInMobi", QVAdInMobi::shared(), "bi-"}, Row{"kLeadBolt", QVAdLeadBolt::shared(), "bi-"},
          Row{"kHeyzap", QVAdHeyzap::shared(), "bir"}, Row{"kVungle", QVAdVungle::shared(), "-i-"},
          Row{"kCustom", QVAdCustom::shared(), "bir"}, Row{"kadmob", nullptr, "---"}}) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(QVAdController::bannerNamed(row.name), row.roles[0] == 'b' ? row.network : nullptr);
        EXPECT_EQ(QVAdController::interstitialNamed(row.name), row.roles[1] == 'i' ? row.network : nullptr);
        EXPECT_EQ(QVAdController::rewardedVideoNamed(row.name), row.roles[2] == 'r' ? row.network : nullptr);
    }
}

// QVAdCustom's activation is the only one that shows and cannot be undone:
// the cases run in this order.
TEST_F(AdTest, InitActivatesTheCustomNetworkOnlyWhenAdsAreShownAndACharacterNamesIt) {
    auto screen = QVModelScreen::create();
    set<QVAttributeStringList>(screen, "Ad Banner", std::string("kAdMob"));
    auto character = QVModelAssetCharacter::create();
    set<QVAttributeStringList>(character, "Purchase Method", std::string("kRewardedVideos"));
    set<QVAttributeStringList>(character, "Ad Network", std::string("kCustom"));
    controller()->addModel(character);
    modeltest::LogCapture log;
    QVAdController::shared()->init();  // no screen models
    EXPECT_EQ(QVAdController::shared()->currentRewardedVideo(), QVAdHeyzap::shared());
    EXPECT_EQ(log.all(), std::vector<std::string>{"[QVAdController] init Ad Networks"});
    controller()->addModel(screen);
    for (bool removeAds : {true, false}) {
        QVPSettingsController::shared()->setRemoveAds(removeAds);
        QVAdController::shared()->init();
        EXPECT_EQ(QVAdCustom::shared()->isActive(), !removeAds);
    }
    QVPSettingsController::shared()->setRemoveAds(false);
}

TEST_F(AdTest, RewardedVideoEndsAtOnceOnlyThroughInstantNetworksAndCallsBackOnce) {
    QVAdController& ads = *QVAdController::shared();
    for (const char* network : {"kHeyzap", "kCustom", "kAdMob"}) {
        SCOPED_TRACE(network);
        Rewardee rewardee;
        ads.setRewardedVideoCallback(&rewardee, callfunc_selector(Rewardee::rewarded));
        ads.showRewardedVideo(network);
        EXPECT_EQ(rewardee.calls, network == std::string("kHeyzap"));  // before showRewardedVideo returned
        ads.showRewardedVideo("kHeyzap");                              // without registering again
        EXPECT_EQ(rewardee.calls, 1);                                  // the next end calls a stored callback, once
        EXPECT_EQ(rewardee.retainCount(), 1u);
    }
    EXPECT_TRUE(ads.isRewardedVideoAvailable("kCustom"));
    EXPECT_FALSE(ads.isRewardedVideoAvailable("kAdMob"));
    EXPECT_EQ(ads.currentRewardedVideo(), nullptr);

    modeltest::LogCapture log;
    ads.showBanner("kFacebook");
    ads.showBanner("kNoAds");
    EXPECT_EQ(ads.currentBanner(), nullptr);
    EXPECT_EQ(log.all(), (std::vector<std::string>{"[QVAdFacebook] show banner", "[QVAdFacebook] hide banner"}));
}

}  // namespace
