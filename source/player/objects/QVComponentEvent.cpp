#include "player/objects/QVComponentEvent.h"

#include "model/classes/QVModelControls.h"
#include "model/classes/QVModelObjectButton.h"
#include "player/app/QVPInputController.h"
#include "player/ui/QVObjectModelHolder.h"
#include "scene/CCNode.h"

namespace {

QVComponentEvent::Kind kindOf(const std::string& text, const std::string& head) {
    using Kind = QVComponentEvent::Kind;
    if (text == "kEventCollision") return Kind::kCollision;
    if (text == "kEventStart") return Kind::kStart;
    if (head == "kButton") return Kind::kButton;
    if (head == "kSwitch") return Kind::kSwitch;
    if (head == "kSwipe") return Kind::kSwipe;
    return Kind::kNone;
}

}  // namespace

QVComponentEvent QVComponentEvent::parse(const std::string& text) {
    QVComponentEvent event;
    const std::string::size_type first = text.find('-');
    event.m_kind = kindOf(text, text.substr(0, first));
    if (first == std::string::npos) return event;
    const std::string::size_type last = text.rfind('-');
    if (last == first) {
        event.m_controlName = text.substr(first + 1);
    } else {
        event.m_controlName = text.substr(first + 1, last - first - 1);
        event.m_parameter = text.substr(last + 1);
    }
    return event;
}

void QVComponentEvent::subscribe(cocos2d::CCObject* target, cocos2d::SEL_CallFuncO pressed,
                                 cocos2d::SEL_CallFuncO released) const {
    if (!target) return;
    switch (m_kind) {
        case Kind::kButton:
        case Kind::kSwitch: {
            QVPInputController* input = QVPInputController::shared();
            const bool straight = m_parameter == "0";
            input->subscribeAction(kControlPressed, target, straight ? pressed : released, 0);
            input->subscribeAction(kControlReleased, target, straight ? released : pressed, 0);
            break;
        }
        case Kind::kSwipe: {
            const char direction = m_parameter.empty() ? '\0' : m_parameter[0];
            if (direction < '0' || direction > '3') break;
            QVPInputController::shared()->subscribeAction(kFirstSwipe + (direction - '0'), target, pressed, 0);
            break;
        }
        default:
            break;
    }
}

bool QVComponentEvent::isControl(cocos2d::CCObject* source) const {
    const auto model = QVObjectModelHolder::modelOf(dynamic_cast<cocos2d::CCNode*>(source));
    if (!model) return false;
    const bool control = modelCast<QVModelObjectButtonControl>(model) || modelCast<QVModelObjectButtonSwitch>(model) ||
                         modelCast<QVModelObjectSwipeControl>(model);
    return control && model->name() == m_controlName;
}
