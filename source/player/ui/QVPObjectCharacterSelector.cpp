#include "player/ui/QVPObjectCharacterSelector.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

#include "director/CCDirector.h"
#include "input/CCTouch.h"
#include "input/CCTouchDispatcher.h"
#include "label/CCLabelBMFont.h"
#include "menu/CCMenu.h"
#include "menu/CCMenuItem.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelUIObjects.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVAdController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVServices.h"
#include "player/app/QVSound.h"
#include "player/app/QVUtilities.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/ui/CoinPayment.h"
#include "player/ui/QVPObjectButton.h"
#include "sprite/CCSprite.h"

using cocos2d::CCMenuItemSprite;
using cocos2d::CCPoint;
using cocos2d::CCSize;

namespace {

constexpr float kTouchBoxSide = 100.0f;
constexpr float kDragFactor = 1.2f;
constexpr float kMaxVelocity = 50.0f;
constexpr float kMovingVelocity = 2.0f;
constexpr float kVelocityDecay = 0.94f;
constexpr float kEndDecay = 0.7f;

// -INT_MIN does not exist.
int menuPriority(int zDepth) { return zDepth == INT_MIN ? INT_MAX : -zDepth; }

bool isCoinPriced(const QVModelAssetCharacter& character) {
    return character.price() != 0.0f && character.purchaseMethod() == "kInGameCurrency";
}

float coinBalance() {
    const ScoreRecord* global = findScoreRecord("");
    return global ? static_cast<float>(global->coins.total) : 0.0f;
}

}  // namespace

QVPObjectCharacterSelector* QVPObjectCharacterSelector::create(
    const std::shared_ptr<QVModelObjectCharacterSelector>& model) {
    if (!model) return nullptr;
    auto* selector = new QVPObjectCharacterSelector();
    selector->initWithModel(model);
    selector->autorelease();
    selector->setPosition(model->randomPosition());
    selector->setRotation(model->randomRotation());
    return selector;
}

QVPObjectCharacterSelector::QVPObjectCharacterSelector() = default;
// The touch delegate base leaves the dispatcher.
QVPObjectCharacterSelector::~QVPObjectCharacterSelector() = default;

bool QVPObjectCharacterSelector::initWithModel(std::shared_ptr<QVModelObjectCharacterSelector> model) {
    if (!CCNode::init() || !model) return false;
    m_model = std::move(model);
    m_characters = QVModelController::shared()->getModels<QVModelAssetCharacter>();
    m_currentIndex = m_selectedIndex = storedIndex();
    makeLabels();

    for (const auto& character : m_characters) {
        Icon icon;
        if (const auto component = character->findComponent<QVModelComponentCharacterIcon>()) {
            icon.regular = createIconObject(qvread::linked(component->regularIconAttribute()));
            icon.selected = createIconObject(component->selectedIcon());
            icon.locked = createIconObject(qvread::linked(component->lockedIconAttribute()));
        }
        if (!icon.regular) icon.regular = createIconObject(character->defaultAnimation());
        m_icons.push_back(icon);
    }

    showCharacter(m_currentIndex);
    makeSuggestionButton();
    makeUnlockButton();
    if (m_model->unlockYes()) m_unlockYes = std::make_unique<QVSound>(m_model->unlockYes(), 0);
    if (m_model->unlockNo()) m_unlockNo = std::make_unique<QVSound>(m_model->unlockNo(), 0);
    refreshIcons();
    updateSuggestion(0.0f);
    update(0.0f);
    return true;
}

void QVPObjectCharacterSelector::makeLabels() {
    const auto font =
        modelCast<QVModelFont>(QVModelController::shared()->getModel(static_cast<uint32_t>(m_model->labelFontId())));
    if (!font) return;
    const float spacing = m_model->labelVerticalSpacing();
    auto makeLabel = [&](float scale, const CCPoint& position) {
        cocos2d::CCLabelBMFont* label = font->createLabel();
        if (!label) return label;
        label->setAlignment(cocos2d::kCCTextAlignmentCenter);
        label->setAnchorPoint(CCPoint(0.5f, 0.5f));
        label->setScale(scale);
        label->setPosition(position);
        addChild(label);
        label->release();
        return label;
    };
    m_priceLabel = makeLabel(0.9f, CCPoint(0.0f, -30.0f - spacing));
    if (m_model->labelVisibility()) m_nameLabel = makeLabel(1.0f, CCPoint(0.0f, spacing + 20.0f));
}

QVPAnimationObject* QVPObjectCharacterSelector::createIconObject(
    const std::shared_ptr<QVBaseModelAnimation>& animation) {
    if (!animation || animation->objects().empty()) return nullptr;
    QVPAnimationObject* object = QVPAnimationObject::create(animation);
    object->setSpeed(m_model->opacity(0.0f, 0));
    // Over a running world (pause, game over) the effects stay in the icon.
    object->setGameLayer(nullptr);
    addChild(object, getZOrder());
    return object;
}

CCMenuItemSprite* QVPObjectCharacterSelector::addSingleObjectButton(
    const std::shared_ptr<QVBaseModelAnimation>& animation, cocos2d::SEL_MenuHandler handler) {
    const std::shared_ptr<QVModelObject> object = animation->objectAt(0);
    cocos2d::CCMenu* menu = cocos2d::CCMenu::create();
    menu->setAnchorPoint(CCPoint(0.0f, 0.0f));
    menu->setPosition(CCPoint(0.0f, 0.0f));
    menu->setTouchPriority(menuPriority(m_model->zDepth()));
    addChild(menu);
    auto* item = CCMenuItemSprite::create(nullptr, nullptr, nullptr, this, handler);
    setButtonImages(item, object->visualModel(), nullptr);
    menu->addChild(item);
    item->setPosition(object->position(0.0f, 0));
    item->setRotation(object->rotation(0.0f, 0));
    const CCPoint scale = object->scale(0.0f, 0);
    item->setScaleX(scale.x);
    item->setScaleY(scale.y);
    return item;
}

void QVPObjectCharacterSelector::makeSuggestionButton() {
    const std::shared_ptr<QVModelAnimation> animation = m_model->unlockSuggestion();
    if (!animation || animation->objects().empty()) return;
    m_suggestionButton =
        addSingleObjectButton(animation, menu_selector(QVPObjectCharacterSelector::onSuggestionButton));
    m_suggestionBaseScale = animation->objectAt(0)->scale(0.0f, 0);
}

void QVPObjectCharacterSelector::makeUnlockButton() {
    const std::shared_ptr<QVModelAnimation> animation = m_model->unlockButton();
    if (!animation || animation->objects().empty()) return;
    if (animation->objects().size() == 1) {
        m_unlockButton = addSingleObjectButton(animation, menu_selector(QVPObjectCharacterSelector::onUnlockButton));
        return;
    }
    m_unlockButtonAnimation = QVPAnimationObject::create(animation);
    addChild(m_unlockButtonAnimation);
    const cocos2d::CCRect bounds = m_unlockButtonAnimation->boundingRect();
    cocos2d::CCMenu* menu = cocos2d::CCMenu::create();
    menu->setPosition(bounds.origin);
    menu->setTouchPriority(menuPriority(m_model->zDepth()));
    addChild(menu);
    const cocos2d::ccColor4B clear = {0, 0, 0, 0};
    m_unlockButton =
        CCMenuItemSprite::create(createColorSprite(bounds.size, clear), createColorSprite(bounds.size, clear), this,
                                 menu_selector(QVPObjectCharacterSelector::onUnlockButton));
    menu->addChild(m_unlockButton);
    // The deepest object (the first on ties) is the one to press.
    std::shared_ptr<QVModelObject> top;
    for (const auto& object : animation->objects()) {
        if (!top || object->zDepth() > top->zDepth()) top = object;
    }
    m_unlockButton->setContentSize(top->placeholderSize(0.0f));
    m_unlockButton->setPosition(top->position(0.0f, 0) - bounds.origin);
}

void QVPObjectCharacterSelector::onEnter() {
    CCNode::onEnter();
    cocos2d::CCTouchDispatcher* dispatcher = cocos2d::CCDirector::sharedDirector()->getTouchDispatcher();
    if (!dispatcher->hasDelegate(this) && !dispatcher->hasPendingDelegate(this)) {
        dispatcher->addTargetedDelegate(this, 0, false);
    }
}

void QVPObjectCharacterSelector::onExit() {
    cocos2d::CCDirector::sharedDirector()->getTouchDispatcher()->removeDelegate(this);
    // A claimed touch is forgotten without an end.
    m_dragging = false;
    CCNode::onExit();
}

void QVPObjectCharacterSelector::setAnimationState(int state) {
    m_animationState = state;
    m_elapsedTime = 0.0f;
}

// ---- touches

bool QVPObjectCharacterSelector::inTouchBox(cocos2d::CCTouch* touch) {
    const CCPoint scale = m_model->scale(0.0f, 0);
    const CCPoint local = convertToNodeSpace(touch->getLocation());
    return std::fabs(local.x) <= kTouchBoxSide * 0.5f * std::fabs(scale.x) &&
           std::fabs(local.y) <= kTouchBoxSide * 0.5f * std::fabs(scale.y);
}

bool QVPObjectCharacterSelector::ccTouchBegan(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) {
    (void)event;
    if (m_characters.empty() || !isVisibleInTree(this)) return false;
    m_rowVelocity = 0.0f;
    return inTouchBox(touch);
}

void QVPObjectCharacterSelector::ccTouchMoved(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) {
    (void)event;
    if (!isVisibleInTree(this)) return;
    if (inTouchBox(touch)) m_dragging = true;
    if (m_dragging) {
        const float dx = (touch->getLocation().x - touch->getPreviousLocation().x) * kDragFactor;
        m_rowTarget += dx;
        m_rowVelocity = std::clamp(dx, -kMaxVelocity, kMaxVelocity);
    }
    refreshIcons();
}

void QVPObjectCharacterSelector::ccTouchEnded(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) {
    (void)event;
    const float spread = iconSpread();
    if (!m_dragging && spread > 0.0f && isVisibleInTree(this)) {
        const float x = convertToNodeSpace(touch->getLocation()).x;
        const float shifted = x > 0.0f ? x + spread / 2.0f : x - spread / 2.0f;
        // Wide: a tiny spread makes the step as large as an int goes.
        const int64_t n = int64_t{m_currentIndex} + truncToInt(shifted / spread);
        if (n >= 0 && n < characterCount()) setCurrentCharacter(static_cast<int>(n));
    }
    // Also when hidden, so the row settles once shown again.
    m_dragging = false;
    refreshIcons();
}

void QVPObjectCharacterSelector::ccTouchCancelled(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) {
    (void)touch;
    (void)event;
    m_dragging = false;
}

// ---- frame

void QVPObjectCharacterSelector::update(float dt) {
    m_elapsedTime += dt;
    if (!m_characters.empty()) {
        if (m_linkUnlockPending && --m_linkUnlockCountdown <= 0) {
            m_linkUnlockPending = false;
            completeUnlock();
            refreshIcons();
        }
        if (storedIndex() != m_selectedIndex) {
            m_currentIndex = m_selectedIndex = storedIndex();
            refreshIcons();
        }

        const float spread = iconSpread();
        const bool moving = std::fabs(m_rowVelocity) > kMovingVelocity;
        if (!m_dragging) {
            if (moving) {
                m_rowVelocity *= kVelocityDecay;
                m_rowTarget += m_rowVelocity;
                if (m_currentIndex == 0 || m_currentIndex == characterCount() - 1) m_rowVelocity *= kEndDecay;
            } else {
                m_rowTarget = 0.7f * m_rowPosition - 0.3f * spread * static_cast<float>(m_currentIndex);
            }
        }
        m_rowPosition = 0.25f * m_rowTarget + 0.75f * m_rowPosition;

        const float opacity = m_model->opacity(m_elapsedTime, m_animationState);
        const float half = std::trunc(spread * 0.5f);
        for (int i = 0; i < characterCount(); ++i) {
            const CCPoint p(spread * static_cast<float>(i) + m_rowPosition, 0.0f);
            for (QVPAnimationObject* object : {m_icons[i].regular, m_icons[i].selected, m_icons[i].locked}) {
                if (!object) continue;
                object->setSpeed(opacity);
                object->setPosition(p);
                object->update(dt);
            }
            if (-half < p.x && p.x < half && (m_dragging || moving)) {
                m_currentIndex = i;
                showCharacter(i);
                refreshIcons();
            }
        }

        const QVModelAssetCharacter& current = *m_characters[m_currentIndex];
        const bool locked = !isUnlocked(m_currentIndex);
        if (m_priceLabel) m_priceLabel->setVisible(locked && isCoinPriced(current));
        if (m_unlockButton) m_unlockButton->setVisible(locked);
        if (m_unlockButtonAnimation) m_unlockButtonAnimation->setVisible(locked);
        updateSuggestion(dt);
    }
    setPosition(m_model->position(m_elapsedTime, m_animationState));
}

void QVPObjectCharacterSelector::updateSuggestion(float dt) {
    if (m_suggestedIndex >= 0 && isUnlocked(m_suggestedIndex)) m_suggestedIndex = -1;
    if (m_suggestedIndex == -1) {
        std::vector<int> candidates;
        const float balance = coinBalance();
        for (int i = 0; i < characterCount(); ++i) {
            const QVModelAssetCharacter& character = *m_characters[i];
            if (character.purchaseMethod() == "kInGameCurrency" && !isUnlocked(i) && character.price() <= balance) {
                candidates.push_back(i);
            }
        }
        if (!candidates.empty()) {
            m_suggestedIndex = candidates[static_cast<unsigned>(compat::rand()) % candidates.size()];
        }
    }
    if (!m_suggestionButton) return;
    if (m_suggestedIndex >= 0) {
        m_suggestionPhase += 3.0f * dt;
        const float s = std::sin(m_suggestionPhase) / 20.0f;
        m_suggestionButton->setVisible(true);
        m_suggestionButton->setScaleX(m_suggestionBaseScale.x * (1.0f + s));
        m_suggestionButton->setScaleY(m_suggestionBaseScale.y * (1.0f + s));
    } else {
        m_suggestionButton->setVisible(false);
    }
}

// ---- characters

bool QVPObjectCharacterSelector::isUnlocked(int index) const {
    return index >= 0 && QVPSettingsController::shared()->isCharacterUnlocked(static_cast<uint32_t>(index));
}

float QVPObjectCharacterSelector::iconSpread() const {
    // A row at infinity or NaN would place every icon nowhere.
    const float spread = m_model->spread();
    return std::isfinite(spread) ? spread : 0.0f;
}

int QVPObjectCharacterSelector::storedIndex() const {
    const int stored = QVPSettingsController::shared()->selectedCharacter();
    return hasCharacter(stored) ? stored : 0;
}

void QVPObjectCharacterSelector::setCurrentCharacter(int index) {
    if (!hasCharacter(index)) return;
    m_currentIndex = index;
    showCharacter(index);
}

void QVPObjectCharacterSelector::showCharacter(int index) {
    if (!hasCharacter(index)) return;
    const QVModelAssetCharacter& character = *m_characters[index];
    if (m_priceLabel) {
        m_priceLabel->setVisible(isCoinPriced(character));
        m_priceLabel->setString(std::to_string(truncToInt(character.price())).c_str());
    }
    if (m_nameLabel) m_nameLabel->setString(character.name().c_str());
    if (isUnlocked(index)) {
        QVPSettingsController::shared()->setSelectedCharacter(index);
        m_selectedIndex = storedIndex();
    }
}

void QVPObjectCharacterSelector::unlockCharacter(int index) {
    if (!hasCharacter(index)) return;
    const QVModelAssetCharacter& character = *m_characters[index];
    const std::string& method = character.purchaseMethod();
    if (method == "kInGameCurrency") {
        if (CoinPayment::tryPay(character.price(), character.price())) {
            grantCharacter(index);
        } else {
            playSound(m_unlockNo.get());
            logMessage("not enought coins to unlock");
            QVServices::shared()->setCallback(QVModelGeneralSettings::shared()->notEnoughCurrencyText(), nullptr,
                                              nullptr);
        }
    } else if (method == "kInAppPurchase") {
        if (!character.storeIdentifier().empty()) {
            m_pendingUnlock = index;
            PurchaseService::shared()->setCallback(
                this, static_cast<PurchaseService::Callback>(&QVPObjectCharacterSelector::onPurchaseComplete));
            PurchaseService::shared()->purchase(character.storeIdentifier());
        }
    } else if (method == "kRewardedVideos") {
        m_pendingUnlock = index;
        QVAdController::shared()->setRewardedVideoCallback(
            this, callfunc_selector(QVPObjectCharacterSelector::completeUnlock));
        QVAdController::shared()->showRewardedVideo(character.adNetwork());
    } else if (method == "kWebLink") {
        if (!character.webLink().empty()) QVServices::shared()->openUrl(character.webLink());
        m_pendingUnlock = index;
        m_linkUnlockPending = true;
        m_linkUnlockCountdown = kLinkUnlockUpdates;
    }
    refreshIcons();
}

void QVPObjectCharacterSelector::grantCharacter(int index) {
    QVPSettingsController* settings = QVPSettingsController::shared();
    settings->unlockCharacter(static_cast<uint32_t>(index));
    settings->setSelectedCharacter(index);
    m_selectedIndex = storedIndex();
    playSound(m_unlockYes.get());
    settings->save();
}

void QVPObjectCharacterSelector::completeUnlock() {
    const int index = std::exchange(m_pendingUnlock, -1);
    if (hasCharacter(index)) grantCharacter(index);
    refreshIcons();
}

void QVPObjectCharacterSelector::onPurchaseComplete(const std::string& product) {
    logMessage("[QVPObjectButtonPurchase] purchase did complete: %s", product.c_str());
    const int index = m_pendingUnlock;
    if (hasCharacter(index) && m_characters[index]->purchaseMethod() == "kInAppPurchase" &&
        m_characters[index]->storeIdentifier() == product) {
        m_pendingUnlock = -1;
        grantCharacter(index);
    }
    refreshIcons();
}

void QVPObjectCharacterSelector::onSuggestionButton(cocos2d::CCObject* sender) {
    (void)sender;
    if (!hasCharacter(m_suggestedIndex)) return;
    m_currentIndex = m_suggestedIndex;
    unlockCharacter(m_currentIndex);
    m_suggestedIndex = -2;
    showCharacter(m_currentIndex);
}

void QVPObjectCharacterSelector::onUnlockButton(cocos2d::CCObject* sender) {
    (void)sender;
    unlockCharacter(m_currentIndex);
}

void QVPObjectCharacterSelector::refreshIcons() {
    for (int i = 0; i < static_cast<int>(m_icons.size()); ++i) {
        const Icon& icon = m_icons[i];
        if (!isUnlocked(i)) {
            if (icon.selected) icon.selected->setVisible(false);
            if (icon.regular) icon.regular->setVisible(!icon.locked);
            if (icon.locked) icon.locked->setVisible(true);
            continue;
        }
        const bool showSelected = icon.selected && i == m_currentIndex;
        if (icon.selected) icon.selected->setVisible(showSelected);
        if (icon.regular) icon.regular->setVisible(!showSelected);
        if (icon.locked) icon.locked->setVisible(false);
    }
}

void QVPObjectCharacterSelector::playSound(QVSound* sound) {
    if (sound) sound->play(false, false);
}
