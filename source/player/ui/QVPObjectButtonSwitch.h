// QVPObjectButtonSwitch: an on/off switch. Each press flips it and tells
// the input controller (12 turned off, 11 turned on); its state is kept per
// model for the run, so a rebuilt screen's switch goes on from there.
#pragma once

#include "player/ui/QVPObjectButton.h"

class QVPObjectButtonSwitch : public QVPObjectButton {
public:
    static constexpr int kActionOn = 11;
    static constexpr int kActionOff = 12;

    static QVPObjectButtonSwitch* create();

    void setModel(std::shared_ptr<QVModelObjectButton> model) override;
    void selected() override;
    void unselected() override;
    // A switch acts on the press only.
    void activate() override {}

    bool state() const { return m_state; }

private:
    bool m_state = true;
};
