// Ad networks and the controller that picks them by the names screens,
// purchase buttons and characters give. On the desktop every network is a
// stub: most calls do nothing, AdMob and Facebook log, and the rewarded-video
// networks report the video finished at once.
#pragma once

#include <string>

#include "base/CCObject.h"
#include "player/app/OneShotCallback.h"

class QVAdObject {
public:
    virtual ~QVAdObject() = default;
    virtual void activate() {}
    virtual void preload() {}
    virtual void refresh() {}
    virtual void showBanner() {}
    virtual void hideBanner() {}
    virtual void showInterstitial() {}
    virtual void hideInterstitial() {}
    virtual void showRewardedVideo() {}
    virtual bool isInterstitialReady() { return false; }
    virtual bool isRewardedVideoAvailable() { return false; }

    bool isActive() const { return m_active; }
    // Asks the controller to show the banner again after a rewarded video.
    bool needsBannerRefresh() const { return m_bannerRefresh; }

protected:
    QVAdObject() = default;
    QVAdObject(const QVAdObject&) = delete;
    QVAdObject& operator=(const QVAdObject&) = delete;

    bool m_active = false;
    bool m_bannerShown = false;
    bool m_interstitialShown = false;
    bool m_rewardedVideoShown = false;
    bool m_bannerRefresh = false;
    bool m_ready = false;
};

// A network whose banner and interstitial calls only log, with its tag.
class QVAdLoggingNetwork : public QVAdObject {
public:
    void showBanner() override;
    void hideBanner() override;
    void showInterstitial() override;

protected:
    explicit QVAdLoggingNetwork(const char* tag) : m_tag(tag) {}

private:
    const char* m_tag;
};

// A network whose rewarded video ends as soon as it is shown.
class QVAdInstantRewardNetwork : public QVAdObject {
public:
    void showRewardedVideo() override;
    bool isRewardedVideoAvailable() override { return true; }
};

// Each network is one object, made on first use and kept until exit.
#define QV_AD_NETWORK_SINGLETON(Class) \
public:                                \
    static Class* shared();            \
                                       \
private:                               \
    Class() = default;

class QVAdAdMob : public QVAdLoggingNetwork {
public:
    static QVAdAdMob* shared();

private:
    QVAdAdMob() : QVAdLoggingNetwork("QVAdAdMob") {}
};

class QVAdFacebook : public QVAdLoggingNetwork {
public:
    static QVAdFacebook* shared();

private:
    QVAdFacebook() : QVAdLoggingNetwork("QVAdFacebook") {}
};

class QVAdChartboost : public QVAdObject {
    QV_AD_NETWORK_SINGLETON(QVAdChartboost)
};

class QVAdRevMob : public QVAdObject {
    QV_AD_NETWORK_SINGLETON(QVAdRevMob)
};

class QVAdAppLovin : public QVAdObject {
    QV_AD_NETWORK_SINGLETON(QVAdAppLovin)
};

class QVAdInMobi : public QVAdObject {
    QV_AD_NETWORK_SINGLETON(QVAdInMobi)
};

class QVAdLeadBolt : public QVAdObject {
public:
    void hideInterstitial() override { m_interstitialShown = false; }
    QV_AD_NETWORK_SINGLETON(QVAdLeadBolt)
};

class QVAdHeyzap : public QVAdInstantRewardNetwork {
    QV_AD_NETWORK_SINGLETON(QVAdHeyzap)
};

class QVAdVungle : public QVAdInstantRewardNetwork {
    QV_AD_NETWORK_SINGLETON(QVAdVungle)
};

// The game's own ad buttons: its rewarded video never ends by itself.
class QVAdCustom : public QVAdObject {
public:
    void activate() override { m_active = true; }
    bool isRewardedVideoAvailable() override { return true; }
    bool acceptsButton(const std::string&) const { return true; }
    void buttonActivated(const std::string& name);
    QV_AD_NETWORK_SINGLETON(QVAdCustom)
};

#undef QV_AD_NETWORK_SINGLETON

class QVAdController {
public:
    static QVAdController* shared();

    // Once the game data has loaded: activates the rewarded-video network and,
    // unless ads are removed, the networks the models name.
    void init();

    // Names are compared exactly; an unknown name (and "kNoAds") gives null.
    static QVAdObject* bannerNamed(const std::string& name);
    static QVAdObject* interstitialNamed(const std::string& name);
    static QVAdObject* rewardedVideoNamed(const std::string& name);

    // A name without a banner network hides and forgets the current banner;
    // a previous banner is not hidden when another is shown.
    void showBanner(const std::string& name);
    void hideBanner();
    void showInterstitial(const std::string& name);
    void hideInterstitial();
    void showRewardedVideo(const std::string& name);
    // Makes the named network current, as showing would.
    bool isRewardedVideoAvailable(const std::string& name);

    // Called once, by the next rewardedVideoDidEnd; register it just before
    // showing the video.
    void setRewardedVideoCallback(cocos2d::CCObject* target, cocos2d::SEL_CallFunc callback);
    void rewardedVideoDidEnd();

    QVAdObject* currentBanner() const { return m_banner; }
    QVAdObject* currentInterstitial() const { return m_interstitial; }
    QVAdObject* currentRewardedVideo() const { return m_rewardedVideo; }

private:
    QVAdController() = default;

    QVAdObject* m_banner = nullptr;
    QVAdObject* m_interstitial = nullptr;
    QVAdObject* m_rewardedVideo = nullptr;
    OneShotCallback<cocos2d::SEL_CallFunc> m_rewardedVideoCallback;
};
