// The web-address and social-page buttons: they only open their link
// through the platform services; a press never runs the button's action.
#pragma once

#include "player/ui/QVPObjectButton.h"

class QVPObjectButtonUrl : public QVPObjectButton {
public:
    static QVPObjectButtonUrl* create();
    // Opens "URL"; an empty one is logged.
    void activate() override;
};

class QVPObjectButtonFacebook : public QVPObjectButton {
public:
    static QVPObjectButtonFacebook* create();
    // Opens the page of "Facebook ID" and "Facebook URL"; both are needed.
    void activate() override;
};
