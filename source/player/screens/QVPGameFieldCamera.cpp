#include "player/screens/QVPGameFieldCamera.h"

#include <algorithm>
#include <cmath>

#include "director/CCDirector.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVAttributeEnum.h"
#include "platform/QVLog.h"
#include "player/app/QVPInputController.h"
#include "player/objects/QVFieldUnits.h"
#include "player/screens/QVPGameFieldSettings.h"

using cocos2d::CCPoint;
using cocos2d::CCRect;

namespace {

// Frame edges in the order they are tested: which axis of the target's
// distance from the rectangle, which sign, which "Object Frame State".
struct EdgeRule {
    bool vertical;
    float sign;
    unsigned edge;
};
constexpr EdgeRule kEdgeRules[] = {
    {true, -1.0f, 2},   // below: "Object Frame State 3"
    {false, 1.0f, 1},   // right: "Object Frame State 2"
    {true, 1.0f, 0},    // above: "Object Frame State 1"
    {false, -1.0f, 3},  // left: "Object Frame State 4"
};

bool isFinite(const CCRect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

}  // namespace

QVPGameFieldCamera* QVPGameFieldCamera::create() {
    auto* camera = new QVPGameFieldCamera();
    if (!camera->init()) {
        delete camera;
        return nullptr;
    }
    camera->autorelease();
    return camera;
}

void QVPGameFieldCamera::setModel(std::shared_ptr<QVModelScreenScene> model) {
    m_model = std::move(model);
    reset();
}

void QVPGameFieldCamera::reset() {
    if (!m_model) return;
    CCRect frame = m_model->objectFrameRect();
    if (!isFinite(frame)) {
        logMessage("[QVPGameFieldCamera] object frame rect is not finite; using the window");
        frame = CCRect(0.0f, 0.0f, 1.0f, 1.0f);
    }
    const cocos2d::CCSize window = cocos2d::CCDirector::sharedDirector()->getWinSize();
    m_screenRect = CCRect(frame.origin.x * window.width, frame.origin.y * window.height,
                          frame.size.width * window.width, frame.size.height * window.height);
    m_lastMove = CCPoint();
    m_targetOffset = CCPoint();
}

void QVPGameFieldCamera::setTargetOffset(const CCPoint& target) {
    // (0, 0) is what the input controller reports before it knows a position.
    if (target.x == 0.0f && target.y == 0.0f) return;
    m_targetOffset = target;
}

CCPoint QVPGameFieldCamera::clampPoint(const CCPoint& point, const CCRect& rect) {
    return CCPoint(std::max(rect.getMinX(), std::min(point.x, rect.getMaxX())),
                   std::max(rect.getMinY(), std::min(point.y, rect.getMaxY())));
}

void QVPGameFieldCamera::update(float dt) {
    const CCPoint start = getPosition();
    const QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();

    // Scroll against the gameplay direction, the game speed per 1/60 s.
    const CCPoint direction = settings->gameplayDirection();
    const float speed = settings->gameSpeed();
    setPosition(CCPoint(start.x - speed * direction.x * dt * 60.0f, start.y - speed * direction.y * dt * 60.0f));

    const CCPoint p = getPosition();
    const CCPoint offset = cocos2d::CCDirector::sharedDirector()->getContentOffset();
    const CCRect visible(m_screenRect.origin.x - p.x - offset.x, m_screenRect.origin.y - p.y + kAdMargin - offset.y,
                         m_screenRect.size.width, m_screenRect.size.height - kAdMargin);
    CCPoint delta = m_targetOffset - clampPoint(m_targetOffset, visible);

    if (m_model) {
        CCPoint shift;
        QVPInputController* controller = QVPInputController::current();
        for (const EdgeRule& rule : kEdgeRules) {
            float& axis = rule.vertical ? delta.y : delta.x;
            if (!(axis * rule.sign > 0.0f)) continue;
            const int state = m_model->objectFrameState(rule.edge);
            if (state == kQVObjectFrameEdgePush) {
                // The characters go back inside; the camera stays.
                (rule.vertical ? shift.y : shift.x) -= axis;
                axis = 0.0f;
            } else if (state == kQVObjectFrameEdgeKill) {
                if (controller) controller->killAllCharacters();
                delta = CCPoint();
            }
        }
        if (shift.getLength() > 0.0f && controller) controller->moveCharactersBy(shift.x, shift.y);
        if (m_model->alignCameraBorders()) {
            delta = delta.rotateByAngle(CCPoint(), -(settings->gameplayAngleDirection() * kDegreesToRadians));
        }
    }

    const CCPoint q = getPosition();
    setPosition(CCPoint(q.x - m_smoothing * delta.x, q.y - m_smoothing * delta.y));
    m_lastMove = start - getPosition();
}
