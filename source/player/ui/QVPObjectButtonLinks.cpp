#include "player/ui/QVPObjectButtonLinks.h"

#include "model/classes/QVModelObjectButton.h"
#include "platform/QVLog.h"
#include "player/app/QVServices.h"

QVPObjectButtonUrl* QVPObjectButtonUrl::create() {
    auto* button = new QVPObjectButtonUrl();
    button->autorelease();
    return button;
}

void QVPObjectButtonUrl::activate() {
    const auto model = modelKindCast<QVModelObjectButtonUrl>(getModel());
    if (model && !model->url().empty()) {
        QVServices::shared()->openUrl(model->url());
    } else {
        logMessage("Button URL is empty");
    }
}

QVPObjectButtonFacebook* QVPObjectButtonFacebook::create() {
    auto* button = new QVPObjectButtonFacebook();
    button->autorelease();
    return button;
}

void QVPObjectButtonFacebook::activate() {
    const auto model = modelCast<QVModelObjectButtonFacebook>(getModel());
    if (model && !model->facebookId().empty() && !model->url().empty()) {
        QVServices::shared()->openSocialPage(model->facebookId(), model->url());
    } else {
        logMessage("Facebook button URL and ID is empty");
    }
}
