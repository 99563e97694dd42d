#include "model/classes/QVModelScreen.h"

#include <limits>

#include "model/classes/QVModelSound.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "player/app/QVPSettingsController.h"

namespace {
const std::string kNoText;
constexpr char kNoAds[] = "kNoAds";
}  // namespace

QVBaseModelScreen::QVBaseModelScreen(const std::string& name)
    : QVModelCompound(name) QV_SCREEN_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_adBannerFreq->setValue(1.0f, true);
    m_adInterstitialsFreq->setValue(1.0f, true);
    m_loopMusic->setValue(true, true);
    m_openAnimationFrames->setValue(40, true);
    m_idleAnimationFrames->setValue(40, true);
}

QVBaseModelScreen::QVBaseModelScreen(const QVBaseModelScreen& source)
    : QVModelCompound(source) QV_SCREEN_ATTRIBUTES(QV_ATTRIBUTE_COPY) {
    setMuted(source.muted());
    m_bannerCounter = source.m_bannerCounter;
    m_interstitialCounter = source.m_interstitialCounter;
}

const std::string& QVBaseModelScreen::key() const { return m_key ? m_key->value() : kNoText; }

const std::string& QVBaseModelScreen::adBanner() const { return m_adBanner ? m_adBanner->value() : kNoText; }

const std::string& QVBaseModelScreen::adInterstitial() const {
    return m_adInterstitial ? m_adInterstitial->value() : kNoText;
}

int QVBaseModelScreen::adBannerFreq() const { return m_adBannerFreq ? truncToInt(m_adBannerFreq->value()) : 0; }

int QVBaseModelScreen::adInterstitialsFreq() const {
    return m_adInterstitialsFreq ? truncToInt(m_adInterstitialsFreq->value()) : 0;
}

std::shared_ptr<QVModelSound> QVBaseModelScreen::music() const { return m_music ? m_music->model() : nullptr; }

bool QVBaseModelScreen::loopMusic() const { return m_loopMusic && m_loopMusic->value(); }

bool QVBaseModelScreen::stopBGMOnDeath() const { return m_stopBGMOnDeath && m_stopBGMOnDeath->value(); }

bool QVBaseModelScreen::idleAnimationLoop() const { return m_idleAnimationLoop && m_idleAnimationLoop->value(); }

int QVBaseModelScreen::openAnimationFrames() const {
    return m_openAnimationFrames ? m_openAnimationFrames->value() : 0;
}

int QVBaseModelScreen::idleAnimationFrames() const {
    return m_idleAnimationFrames ? m_idleAnimationFrames->value() : 0;
}

int QVBaseModelScreen::closeAnimationFrames() const {
    return m_closeAnimationFrames ? m_closeAnimationFrames->value() : 0;
}

bool QVBaseModelScreen::muted() const { return m_muted && m_muted->value(); }

void QVBaseModelScreen::setMusic(const std::shared_ptr<QVModelSound>& sound) {
    if (!m_music || m_music->model() == sound) return;
    m_music->setModel(sound);
    m_music->valueChanged(QVBaseAttribute::kChangeValue);
}

void QVBaseModelScreen::setMuted(bool muted) {
    if (m_muted) m_muted->setValue(muted);
}

bool QVBaseModelScreen::shouldShowBanner() {
    if (QVPSettingsController::shared()->removeAds()) return false;
    // Saturates: a screen left open for ever must not overflow.
    if (m_bannerCounter < std::numeric_limits<int32_t>::max()) ++m_bannerCounter;
    if (adBannerFreq() > m_bannerCounter) return false;
    if (adBanner() == kNoAds) return false;
    logMessage("[QVBaseModelScreen] banner will show for: %s", key().c_str());
    return true;
}

bool QVBaseModelScreen::contains(const std::shared_ptr<QVModel>& model) const { return hasChild(model); }

std::vector<std::shared_ptr<QVModelObject>> QVBaseModelScreen::objects() const { return m_objects.items(); }

void QVBaseModelScreen::childAdded(const std::shared_ptr<QVModel>& child) {
    QVModelCompound::childAdded(child);
    m_objects.added(child);
}

void QVBaseModelScreen::childRemoved(const std::shared_ptr<QVModel>& child) {
    QVModelCompound::childRemoved(child);
    m_objects.removed(child);
}

void QVBaseModelScreen::childrenCleared() {
    QVModelCompound::childrenCleared();
    m_objects.clear();
}

std::shared_ptr<QVBaseModelScreen> QVBaseModelScreen::forKey(uint32_t classTypeId, const std::string& key,
                                                             std::shared_ptr<QVBaseModelScreen> (*create)(),
                                                             const char* tag, const char* function, const char* noun) {
    QVModelController* controller = QVModelController::shared();
    for (const std::shared_ptr<QVModel>& model : controller->getModels(classTypeId)) {
        // Exactly that class, which is a screen class.
        auto screen = std::static_pointer_cast<QVBaseModelScreen>(model);
        if (screen->key() == key) return screen;
    }
    // The runtime needs a model, but a mistyped key must not pass unseen.
    std::shared_ptr<QVBaseModelScreen> screen = create();
    if (screen->m_key) screen->m_key->setValue(key, true);
    controller->addModel(screen, -1);
    logMessage("[%s] %s: no %s with key '%s', created an empty one", tag, function, noun, key.c_str());
    return screen;
}

QVModelScreen::QVModelScreen(const std::string& name) : QVBaseModelScreen(name) {}

QVModelScreen::QVModelScreen(const QVModelScreen& source) : QVBaseModelScreen(source) {}

std::shared_ptr<QVModelScreen> QVModelScreen::screenOf(const std::shared_ptr<QVModel>& model) {
    if (!model) return nullptr;
    for (const std::shared_ptr<QVModelScreen>& screen : QVModelController::shared()->getModels<QVModelScreen>()) {
        if (screen->hasChild(model)) return screen;
    }
    return nullptr;
}

std::shared_ptr<QVModelScreen> QVModelScreen::screenForKey(const std::string& key) {
    auto create = []() -> std::shared_ptr<QVBaseModelScreen> { return QVModelScreen::create(); };
    return std::static_pointer_cast<QVModelScreen>(
        forKey(typeId<QVModelScreen>(), key, create, "QVModelScreen", "screenForKey", "screen"));
}
