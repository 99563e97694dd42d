#include "player/app/QVAdController.h"

#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelScreen.h"
#include "model/core/QVModelController.h"
#include "platform/QVLog.h"
#include "player/app/QVPSettingsController.h"

// Created on first use and never deleted: callers keep the pointers until exit.
#define QV_AD_SHARED(Class)                         \
    Class* Class::shared() {                        \
        static Class* const instance = new Class(); \
        return instance;                            \
    }

QV_AD_SHARED(QVAdAdMob)
QV_AD_SHARED(QVAdFacebook)
QV_AD_SHARED(QVAdChartboost)
QV_AD_SHARED(QVAdRevMob)
QV_AD_SHARED(QVAdAppLovin)
QV_AD_SHARED(QVAdInMobi)
QV_AD_SHARED(QVAdLeadBolt)
QV_AD_SHARED(QVAdHeyzap)
QV_AD_SHARED(QVAdVungle)
QV_AD_SHARED(QVAdCustom)
QV_AD_SHARED(QVAdController)

#undef QV_AD_SHARED

void QVAdLoggingNetwork::showBanner() { logMessage("[%s] show banner", m_tag); }
void QVAdLoggingNetwork::hideBanner() { logMessage("[%s] hide banner", m_tag); }
void QVAdLoggingNetwork::showInterstitial() { logMessage("[%s] show interstitial", m_tag); }

void QVAdInstantRewardNetwork::showRewardedVideo() { QVAdController::shared()->rewardedVideoDidEnd(); }

void QVAdCustom::buttonActivated(const std::string& name) { logMessage("Custom Button Activated: %s", name.c_str()); }

namespace {

struct NamedNetwork {
    const char* name;
    QVAdObject* (*network)();
};

template <class T>
QVAdObject* networkOf() {
    return T::shared();
}

// First match wins; a null network ends the search with none.
template <size_t N>
QVAdObject* lookUp(const NamedNetwork (&table)[N], const std::string& name) {
    for (const NamedNetwork& entry : table)
        if (name == entry.name) return entry.network ? entry.network() : nullptr;
    return nullptr;
}

const NamedNetwork kBanners[] = {
    {"kNoAds", nullptr},
    {"kCustom", networkOf<QVAdCustom>},
    {"kAdMob", networkOf<QVAdAdMob>},
    {"kRevMob", networkOf<QVAdRevMob>},
    {"kAppLovin", networkOf<QVAdAppLovin>},
    {"kLeadBolt", networkOf<QVAdLeadBolt>},
    {"kInMobi", networkOf<QVAdInMobi>},
    {"kFacebook", networkOf<QVAdFacebook>},
    {"kHeyzap", networkOf<QVAdHeyzap>},
};

const NamedNetwork kInterstitials[] = {
    {"kNoAds", nullptr},
    {"kAdMob", networkOf<QVAdAdMob>},
    {"kChartboost", networkOf<QVAdChartboost>},
    {"kRevMob", networkOf<QVAdRevMob>},
    {"kAppLovin", networkOf<QVAdAppLovin>},
    {"kLeadBolt", networkOf<QVAdLeadBolt>},
    {"kInMobi", networkOf<QVAdInMobi>},
    {"kFacebook", networkOf<QVAdFacebook>},
    {"kVungle", networkOf<QVAdVungle>},
    {"kCustom", networkOf<QVAdCustom>},
    {"kHeyzap", networkOf<QVAdHeyzap>},
};

const NamedNetwork kRewardedVideos[] = {
    {"kHeyzap", networkOf<QVAdHeyzap>},
    {"kCustom", networkOf<QVAdCustom>},
};

// The networks a screen's ad names activate at start: these from either name,
const NamedNetwork kActivatedByEither[] = {
    {"kCustom", networkOf<QVAdCustom>}, {"kInMobi", networkOf<QVAdInMobi>},     {"kAdMob", networkOf<QVAdAdMob>},
    {"kRevMob", networkOf<QVAdRevMob>}, {"kFacebook", networkOf<QVAdFacebook>}, {"kAppLovin", networkOf<QVAdAppLovin>},
};
// and these from "Ad Interstitial" only.
const NamedNetwork kActivatedByInterstitial[] = {
    {"kChartboost", networkOf<QVAdChartboost>},
    {"kVungle", networkOf<QVAdVungle>},
    {"kLeadBolt", networkOf<QVAdLeadBolt>},
};

template <class Model>
bool anyUnlockedByCustomVideo(const QVModelController& models) {
    for (const auto& model : models.getModels<Model>())
        if (model->purchaseMethod() == "kRewardedVideos" && model->adNetwork() == "kCustom") return true;
    return false;
}

}  // namespace

QVAdObject* QVAdController::bannerNamed(const std::string& name) { return lookUp(kBanners, name); }
QVAdObject* QVAdController::interstitialNamed(const std::string& name) { return lookUp(kInterstitials, name); }
QVAdObject* QVAdController::rewardedVideoNamed(const std::string& name) { return lookUp(kRewardedVideos, name); }

void QVAdController::init() {
    logMessage("[QVAdController] init Ad Networks");
    m_rewardedVideo = QVAdHeyzap::shared();
    m_rewardedVideo->activate();

    const QVModelController& models = *QVModelController::shared();
    const auto screens = models.getModels<QVModelScreen>();
    if (screens.empty() || QVPSettingsController::shared()->removeAds()) return;
    for (const auto& screen : screens) {
        if (QVAdObject* network = lookUp(kActivatedByEither, screen->adBanner())) network->activate();
        const std::string& interstitial = screen->adInterstitial();
        if (QVAdObject* network = lookUp(kActivatedByEither, interstitial)) network->activate();
        if (QVAdObject* network = lookUp(kActivatedByInterstitial, interstitial)) network->activate();
    }
    if (anyUnlockedByCustomVideo<QVModelObjectButtonPurchase>(models) ||
        anyUnlockedByCustomVideo<QVModelAssetCharacter>(models))
        QVAdCustom::shared()->activate();
}

void QVAdController::showBanner(const std::string& name) {
    if (QVAdObject* network = bannerNamed(name)) {
        m_banner = network;
        m_banner->showBanner();
    } else if (m_banner) {
        m_banner->hideBanner();
        m_banner = nullptr;
    }
}

void QVAdController::hideBanner() {
    logMessage("[QVAdController] hide banner");
    if (m_banner) m_banner->hideBanner();
}

void QVAdController::showInterstitial(const std::string& name) {
    if (m_interstitial) m_interstitial->hideInterstitial();
    m_interstitial = interstitialNamed(name);
    if (m_interstitial) m_interstitial->showInterstitial();
}

void QVAdController::hideInterstitial() {
    if (m_interstitial) m_interstitial->hideInterstitial();
}

void QVAdController::showRewardedVideo(const std::string& name) {
    m_rewardedVideo = rewardedVideoNamed(name);
    if (m_rewardedVideo) m_rewardedVideo->showRewardedVideo();
}

bool QVAdController::isRewardedVideoAvailable(const std::string& name) {
    m_rewardedVideo = rewardedVideoNamed(name);
    return m_rewardedVideo && m_rewardedVideo->isRewardedVideoAvailable();
}

void QVAdController::setRewardedVideoCallback(cocos2d::CCObject* target, cocos2d::SEL_CallFunc callback) {
    m_rewardedVideoCallback.set(target, callback);
}

void QVAdController::rewardedVideoDidEnd() {
    if (m_banner && m_banner->needsBannerRefresh()) {
        logMessage("[QVAdController] Updating current banner");
        m_banner->hideBanner();
        m_banner->showBanner();
    }
    m_rewardedVideoCallback.fire();
}
