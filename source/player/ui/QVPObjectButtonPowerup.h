// QVPObjectButtonPowerup: the HUD button that uses one powerup of the
// player's inventory. It shows the amount left and, for a powerup that
// refills over time, the time to the next refill.
#pragma once

#include <memory>

#include "player/ui/QVPObjectButton.h"

namespace cocos2d {
class CCLabelBMFont;
}

class QVModelAssetPowerup;
class QVModelObjectButtonPowerup;

class QVPObjectButtonPowerup : public QVPObjectButton {
public:
    // Autoreleased, without images or model.
    static QVPObjectButtonPowerup* create();

    // The labels use the model's first font; without one there are none.
    void setModel(std::shared_ptr<QVModelObjectButton> model) override;
    // Nothing here when "Force Action on Press": the press acted already.
    void activate() override;
    void selected() override;
    void update(float dt) override;

    std::shared_ptr<QVModelAssetPowerup> getPowerupModel() const { return m_powerup; }
    // Starts the inventory's refill timer when the model refills.
    void startRefillTimer();

    cocos2d::CCLabelBMFont* quantityLabel() const { return m_quantityLabel; }
    cocos2d::CCLabelBMFont* refillLabel() const { return m_refillLabel; }

private:
    std::shared_ptr<QVModelObjectButtonPowerup> powerupModel() const;
    cocos2d::CCLabelBMFont* addLabel(const QVModelObjectButtonPowerup& model, float raise);
    void removeLabels();

    std::shared_ptr<QVModelAssetPowerup> m_powerup;
    cocos2d::CCLabelBMFont* m_quantityLabel = nullptr;  // child
    cocos2d::CCLabelBMFont* m_refillLabel = nullptr;    // child
    bool m_refresh = false;
};
