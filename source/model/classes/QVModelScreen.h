// QVModelScreen: a screen of the game (menu, HUD, and through
// QVModelScreenScene a world): its key, ads, music, screen animations and
// its object models as children.
// Keeps its object children (kind of QVModelObject) in a list of its own, in
// the order they were added, and two ad counters; neither is packed, and a
// copy takes both counters from its source.
// screenForKey never fails: an unknown key makes, registers and logs an
// empty screen with that key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVChildList.h"
#include "model/classes/QVModelCompound.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

class QVModelSound;

#define QV_SCREEN_ATTRIBUTES(X)                                        \
    X(QVAttributeString, key, "Key")                                   \
    X(QVAttributeStringList, adBanner, "Ad Banner")                    \
    X(QVAttributeStringList, adInterstitial, "Ad Interstitial")        \
    X(QVAttributeFloat, adBannerFreq, "Ad Banner Freq.")               \
    X(QVAttributeFloat, adInterstitialsFreq, "Ad Interstitials Freq.") \
    X(QVAttributeSound, music, "Music")                                \
    X(QVAttributeBool, loopMusic, "Loop Music")                        \
    X(QVAttributeBool, stopBGMOnDeath, "Stop BGM on Death")            \
    X(QVAttributeStringList, backgroundScene, "Background Scene")      \
    X(QVAttributeBool, idleAnimationLoop, "Idle Animation Loop")       \
    X(QVAttributeInt, openAnimationFrames, "Open Animation Frames")    \
    X(QVAttributeInt, idleAnimationFrames, "Idle Animation Frames")    \
    X(QVAttributeInt, closeAnimationFrames, "Close Animation Frames")  \
    X(QVAttributeBool, muted, "Muted")

class QVBaseModelScreen : public QVModelCompound {
public:
    const std::string& key() const;
    const std::string& adBanner() const;
    const std::string& adInterstitial() const;
    // Every n-th check or update, n the value truncated (truncToInt).
    int adBannerFreq() const;
    int adInterstitialsFreq() const;
    std::shared_ptr<QVModelSound> music() const;
    bool loopMusic() const;
    bool stopBGMOnDeath() const;
    bool idleAnimationLoop() const;
    int openAnimationFrames() const;
    int idleAnimationFrames() const;
    int closeAnimationFrames() const;
    bool muted() const;

    // Relinks "Music" and notifies, only when the sound differs.
    void setMusic(const std::shared_ptr<QVModelSound>& sound);
    // Notifies only on a change.
    void setMuted(bool muted);

    // Counts one banner check; true when this one shows a banner: ads not
    // removed by the player, the count reached "Ad Banner Freq." and a
    // network other than "kNoAds". Never resets the count.
    bool shouldShowBanner();
    // Reset by the runtime screen when it shows an ad.
    int32_t bannerCounter() const { return m_bannerCounter; }
    void setBannerCounter(int32_t count) { m_bannerCounter = count; }
    int32_t interstitialCounter() const { return m_interstitialCounter; }
    void setInterstitialCounter(int32_t count) { m_interstitialCounter = count; }

    // A direct child of the screen (a world also looks in its sections).
    virtual bool contains(const std::shared_ptr<QVModel>& model) const;
    // A copy of the object list (a world appends its sections' objects).
    virtual std::vector<std::shared_ptr<QVModelObject>> objects() const;
    // The entries of objects() of exactly class T, in order.
    template <class T>
    std::vector<std::shared_ptr<T>> objects() const {
        std::vector<std::shared_ptr<T>> result;
        for (const auto& object : objects()) {
            if (auto typed = modelCast<T>(object)) result.push_back(std::move(typed));
        }
        return result;
    }

    void childAdded(const std::shared_ptr<QVModel>& child) override;
    void childRemoved(const std::shared_ptr<QVModel>& child) override;
    void childrenCleared() override;

protected:
    explicit QVBaseModelScreen(const std::string& name);
    QVBaseModelScreen(const QVBaseModelScreen& source);

    // The first registered model of exact class `classTypeId` (a screen
    // class) whose "Key" is `key`; else a new one from `create`, keyed,
    // registered and logged as "[<tag>] <function>: no <noun> with key ...".
    static std::shared_ptr<QVBaseModelScreen> forKey(uint32_t classTypeId, const std::string& key,
                                                     std::shared_ptr<QVBaseModelScreen> (*create)(), const char* tag,
                                                     const char* function, const char* noun);

    QV_SCREEN_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)

private:
    QVChildList<QVModelObject, QVChildMatch::kKindOf> m_objects;
    int32_t m_bannerCounter = 0;
    int32_t m_interstitialCounter = 0;
};

class QVModelScreen : public QVBaseModelScreen {
    QV_MODEL_GLUE(QVModelScreen, "", QVModelCompound, QVModel)
public:
    explicit QVModelScreen(const std::string& name);
    QVModelScreen(const QVModelScreen& source);

    // The first registered screen of exact class QVModelScreen (worlds are
    // not searched) that has `model` as a direct child; empty when none.
    static std::shared_ptr<QVModelScreen> screenOf(const std::shared_ptr<QVModel>& model);
    // The first registered screen of exact class QVModelScreen with that
    // key; an unknown key gives a new registered screen (logged).
    static std::shared_ptr<QVModelScreen> screenForKey(const std::string& key);
};
