#include "player/ui/QVPObjectButtonPowerup.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/ScoreTable.h"
#include "player/screens/QVPScreenUi.h"
#include "player/screens/ScreenManager.h"

using cocos2d::CCLabelBMFont;

namespace {

constexpr float kRefillLabelRaise = 30.0f;

void showAmount(CCLabelBMFont* label, int amount) {
    if (label) label->setString(std::to_string(amount).c_str());
}

}  // namespace

QVPObjectButtonPowerup* QVPObjectButtonPowerup::create() {
    auto* button = new QVPObjectButtonPowerup();
    button->autorelease();
    return button;
}

std::shared_ptr<QVModelObjectButtonPowerup> QVPObjectButtonPowerup::powerupModel() const {
    return modelCast<QVModelObjectButtonPowerup>(getModel());
}

CCLabelBMFont* QVPObjectButtonPowerup::addLabel(const QVModelObjectButtonPowerup& model, float raise) {
    const std::shared_ptr<QVModelFont> font = model.child<QVModelFont>();
    CCLabelBMFont* label = font ? font->createLabel() : nullptr;
    if (!label) return nullptr;
    const cocos2d::CCSize size = getContentSize();
    const cocos2d::CCPoint& offset = model.labelOffset();
    label->setAnchorPoint(cocos2d::CCPoint(0.5f, 0.0f));
    label->setScale(model.labelScale());
    label->setPosition(
        cocos2d::CCPoint(size.width / 2 + offset.x, size.height / 2 + offset.y + raise - model.labelVerticalSpacing()));
    addChild(label);
    label->release();  // the button holds it
    return label;
}

void QVPObjectButtonPowerup::removeLabels() {
    for (CCLabelBMFont** label : {&m_quantityLabel, &m_refillLabel}) {
        if (*label) (*label)->removeFromParentAndCleanup(true);
        *label = nullptr;
    }
}

void QVPObjectButtonPowerup::setModel(std::shared_ptr<QVModelObjectButton> model) {
    QVPObjectButton::setModel(std::move(model));
    removeLabels();
    m_powerup = nullptr;
    const auto button = powerupModel();
    if (!button) return;
    if (!button->unlimitedUse()) m_quantityLabel = addLabel(*button, 0.0f);
    m_powerup =
        QVModelController::shared()->getModel<QVModelAssetPowerup>(static_cast<uint32_t>(button->powerupSelectionId()));
    QVPSettingsController* settings = QVPSettingsController::shared();
    if (m_powerup) showAmount(m_quantityLabel, settings->inventoryAmount(m_powerup));
    m_refresh = true;
    if (truncToInt(button->refillTimeout()) > 0) {
        m_refillLabel = addLabel(*button, kRefillLabelRaise);
        if (m_powerup && static_cast<float>(settings->inventoryAmount(m_powerup)) < button->maxRefill()) {
            startRefillTimer();
        }
    }
    update(0.0f);
}

void QVPObjectButtonPowerup::activate() {
    const auto button = powerupModel();
    if (!button || !button->forceActionOnPress()) QVPObjectButton::activate();
}

void QVPObjectButtonPowerup::selected() {
    QVPObjectButton::selected();
    const auto button = powerupModel();
    if (button && button->forceActionOnPress()) QVPObjectButton::activate();
}

void QVPObjectButtonPowerup::startRefillTimer() {
    const auto button = powerupModel();
    if (!button || !m_powerup) return;
    const int timeout = truncToInt(button->refillTimeout());
    if (timeout > 0)
        QVPSettingsController::shared()->startRefill(m_powerup->id(), timeout, truncToInt(button->maxRefill()));
}

void QVPObjectButtonPowerup::update(float dt) {
    QVPObjectButton::update(dt);
    const auto button = powerupModel();
    if (!button) return;
    if (button->visibilityThreshold() > 0.0f && ScreenManager::shared()->getGameScene()) {
        const ScoreCounter<float>& distance = currentScoreRecord().distance;
        if (!(distance.current >= button->visibilityThreshold() / 100.0f * distance.best)) {
            setVisible(false);
            return;
        }
    }
    setVisible(true);
    if (!m_powerup) return;

    QVPSettingsController* settings = QVPSettingsController::shared();
    const int amount = settings->inventoryAmount(m_powerup);
    if (amount < 1 && !button->unlimitedUse()) {
        setEnabled(false);
    } else {
        auto* ui = dynamic_cast<QVPScreenUi*>(ScreenManager::shared()->getCurrentUi());
        if (!ScreenManager::shared()->getCurrentUi() || (ui && ui->isEnabled())) setEnabled(true);
    }
    showAmount(m_quantityLabel, amount);
    if (!m_refillLabel) return;
    if (static_cast<float>(amount) < button->maxRefill()) {
        // Due timers read 0 or less until the once-a-second refill runs.
        const int seconds = std::max(0, settings->refillSecondsLeft(m_powerup->id()));
        char text[40];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds % 3600 / 60, seconds % 60);
        m_refillLabel->setString(text);
        m_refillLabel->setVisible(true);
    } else {
        m_refillLabel->setVisible(false);
    }
}
