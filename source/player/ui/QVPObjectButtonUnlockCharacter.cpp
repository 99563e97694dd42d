#include "player/ui/QVPObjectButtonUnlockCharacter.h"

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "player/app/QVAdController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVServices.h"
#include "player/app/QVUtilities.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/screens/QVPScreenUi.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/CoinPayment.h"
#include "player/ui/QVPObjectCharacterSelector.h"
#include "sprite/CCSprite.h"

using cocos2d::CCSprite;

namespace {

// The current UI screen's selector's current index; -1 without one.
int currentSelectorIndex() {
    auto* ui = dynamic_cast<QVPScreenUi*>(ScreenManager::shared()->getCurrentUi());
    QVPObjectCharacterSelector* selector = ui ? ui->characterSelector() : nullptr;
    return selector ? selector->currentIndex() : -1;
}

}  // namespace

QVPObjectButtonUnlockCharacter* QVPObjectButtonUnlockCharacter::create() {
    auto* button = new QVPObjectButtonUnlockCharacter();
    button->autorelease();
    return button;
}

std::shared_ptr<QVModelAssetCharacter> QVPObjectButtonUnlockCharacter::characterAt(int index) const {
    const auto characters = QVModelController::shared()->getModels<QVModelAssetCharacter>();
    if (index < 0 || static_cast<size_t>(index) >= characters.size()) return nullptr;
    return characters[static_cast<size_t>(index)];
}

QVPAnimationObject* QVPObjectButtonUnlockCharacter::addIcon(const std::shared_ptr<QVModelAnimation>& animation) {
    if (!animation || animation->children().empty()) return nullptr;
    QVPAnimationObject* icon = QVPAnimationObject::create(animation, true);
    // A button over a running world: its icon's effects stay in the icon.
    icon->setGameLayer(nullptr);
    icon->setVisible(false);
    const cocos2d::CCSize size = getNormalImage() ? getNormalImage()->getContentSize() : cocos2d::CCSize();
    icon->setPosition(cocos2d::CCPoint(size.width / 2, size.height / 2));
    addChild(icon);
    return icon;
}

void QVPObjectButtonUnlockCharacter::clearIcons() {
    for (QVPAnimationObject** icon : {&m_regularIcon, &m_lockedIcon, &m_selectedIcon}) {
        if (*icon) (*icon)->removeFromParentAndCleanup(true);
        *icon = nullptr;
    }
    m_imageSprite = nullptr;
    m_index = -1;
    m_mode = kModeNone;
}

void QVPObjectButtonUnlockCharacter::setModel(std::shared_ptr<QVModelObjectButton> model) {
    QVPObjectButton::setModel(std::move(model));
    clearIcons();
    const auto button = modelCast<QVModelObjectButtonCharacterUnlock>(getModel());
    if (!button) return;
    QVModelController* controller = QVModelController::shared();
    const auto character = controller->getModel<QVModelAssetCharacter>(parseDecimal<uint32_t>(button->character()));
    if (!character) {
        // Left without images, the button would take touches unseen.
        logMessage("[QVPObjectButtonUnlockCharacter] \"Character\" %s of %s names no character model",
                   button->character().c_str(), button->name().c_str());
        return;
    }

    const std::shared_ptr<QVModelSpriteContainer> image = button->image();
    m_imageSprite = image ? image->getSprite(1.0f, true) : nullptr;
    CCSprite* normal = m_imageSprite;
    if (!normal) {
        normal = createColorSprite(cocos2d::CCSize(100.0f, 100.0f), cocos2d::ccColor4B{0, 0, 0, 255});
        normal->retain();
    }
    initWithNormalSprite(normal, nullptr, nullptr, getTarget(), getSelector());
    normal->release();

    const auto icons = character->child<QVModelComponentCharacterIcon>();
    std::shared_ptr<QVModelAnimation> regular = icons ? qvread::linked(icons->regularIconAttribute()) : nullptr;
    if (!regular) regular = character->defaultAnimation();
    m_regularIcon = addIcon(regular);
    if (icons && !m_imageSprite) m_lockedIcon = addIcon(qvread::linked(icons->lockedIconAttribute()));
    if (icons) m_selectedIcon = addIcon(icons->selectedIcon());

    const auto characters = controller->getModels<QVModelAssetCharacter>();
    for (size_t i = 0; i < characters.size(); ++i) {
        if (characters[i]->id() == character->id()) m_index = static_cast<int>(i);
    }
}

void QVPObjectButtonUnlockCharacter::showIcons(int mode) {
    m_mode = mode;
    CCSprite* lockedImage = m_imageSprite;
    auto show = [](cocos2d::CCNode* node, bool visible) {
        if (node) node->setVisible(visible);
    };
    show(lockedImage, mode == kModeLocked);
    show(m_lockedIcon, mode == kModeLocked);
    show(m_selectedIcon, mode == kModeSelected);
    bool regular = mode == kModeUnlocked;
    if (mode == kModeLocked) regular = !m_imageSprite && !m_lockedIcon;
    if (mode == kModeSelected) regular = !m_selectedIcon;
    show(m_regularIcon, regular);
}

void QVPObjectButtonUnlockCharacter::update(float dt) {
    QVPObjectButton::update(dt);
    const auto button = modelCast<QVModelObjectButtonCharacterUnlock>(getModel());
    if (!button || m_index < 0) return;
    QVPSettingsController* settings = QVPSettingsController::shared();
    if (!settings->isCharacterUnlocked(static_cast<uint32_t>(m_index))) {
        showIcons(kModeLocked);
    } else {
        showIcons(settings->selectedCharacter() == m_index ? kModeSelected : kModeUnlocked);
    }
    if (m_webLinkPending && --m_webLinkCountdown <= 0) {
        m_webLinkPending = false;
        onUnlockCompleted();
    }
    const float speed = button->opacity(animationTime(), animationState());
    for (QVPAnimationObject* icon : {m_regularIcon, m_lockedIcon, m_selectedIcon}) {
        if (icon) icon->setSpeed(speed);
    }
    if (button->showWhenSelected() && m_imageSprite) {
        const int selectorIndex = currentSelectorIndex();
        setVisible(m_mode == kModeLocked && selectorIndex >= 0 && selectorIndex == m_index);
    }
}

void QVPObjectButtonUnlockCharacter::activate() {
    if (m_mode == kModeLocked) {
        unlockCharacter(m_index);
    } else if (m_mode == kModeUnlocked && characterAt(m_index)) {
        QVPSettingsController::shared()->setSelectedCharacter(m_index);
        showIcons(kModeSelected);
    }
    QVPObjectButton::activate();
}

void QVPObjectButtonUnlockCharacter::unlockCharacter(int index) {
    const auto character = characterAt(index);
    if (!character) return;
    const std::string& method = character->purchaseMethod();
    if (method == "kInGameCurrency") {
        if (CoinPayment::tryPay(character->price(), character->price())) {
            QVPSettingsController* settings = QVPSettingsController::shared();
            settings->unlockCharacter(static_cast<uint32_t>(index));
            settings->setSelectedCharacter(index);
            settings->save();
        } else {
            logMessage("not enought coins to unlock");
            QVServices::shared()->setCallback(QVModelGeneralSettings::shared()->notEnoughCurrencyText(), nullptr,
                                              nullptr);
        }
    } else if (method == "kInAppPurchase") {
        if (!character->storeIdentifier().empty()) {
            PurchaseService::shared()->setCallback(
                this, static_cast<PurchaseService::Callback>(&QVPObjectButtonUnlockCharacter::onStoreUnlockCompleted));
            PurchaseService::shared()->purchase(character->storeIdentifier());
        }
    } else if (method == "kRewardedVideos") {
        QVAdController::shared()->setRewardedVideoCallback(
            this, static_cast<cocos2d::SEL_CallFunc>(&QVPObjectButtonUnlockCharacter::onUnlockCompleted));
        QVAdController::shared()->showRewardedVideo(character->adNetwork());
    } else if (method == "kWebLink") {
        if (!character->webLink().empty()) QVServices::shared()->openUrl(character->webLink());
        m_webLinkPending = true;
        m_webLinkCountdown = kWebLinkUpdates;
    }
}

void QVPObjectButtonUnlockCharacter::onUnlockCompleted() {
    if (!characterAt(m_index)) return;
    QVPSettingsController* settings = QVPSettingsController::shared();
    settings->unlockCharacter(static_cast<uint32_t>(m_index));
    settings->setSelectedCharacter(m_index);
    settings->save();
    showIcons(kModeSelected);
}

void QVPObjectButtonUnlockCharacter::onStoreUnlockCompleted(const std::string& product) {
    (void)product;
    onUnlockCompleted();
}
