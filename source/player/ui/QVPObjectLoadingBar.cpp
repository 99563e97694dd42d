#include "player/ui/QVPObjectLoadingBar.h"

#include <cmath>
#include <utility>

#include "gl/CCDrawingPrimitives.h"
#include "model/classes/QVModelObjectLoadingBar.h"
#include "model/core/QVModelController.h"
#include "player/ui/QVUiAnimation.h"

using cocos2d::CCPoint;

namespace {

constexpr float kHalfWidth = 200.0f;
constexpr float kHalfHeight = 2.0f;
constexpr float kShade = 0.75f;

}  // namespace

QVPObjectLoadingBar* QVPObjectLoadingBar::create(std::shared_ptr<QVModelObjectLoadingBar> model) {
    auto* bar = new QVPObjectLoadingBar();
    bar->init();
    bar->autorelease();
    bar->m_model = std::move(model);
    if (bar->m_model) {
        bar->placeAt(0.0f);
        bar->setUserData(bar->m_model.get());
        bar->setContentSize(bar->m_model->placeholderSize(0.0f));
    }
    return bar;
}

QVPObjectLoadingBar::~QVPObjectLoadingBar() = default;

QVPObjectLoadingBar::BarRectangles QVPObjectLoadingBar::barRectangles(float progress) const {
    if (!(progress > 0.0f)) progress = 0.0f;
    if (progress > 1.0f) progress = 1.0f;
    const CCPoint& at = m_obPosition;
    const CCPoint origin(at.x - kHalfWidth, at.y - kHalfHeight);
    BarRectangles bar;
    bar.outline = {origin, CCPoint(at.x + kHalfWidth, at.y + kHalfHeight)};
    bar.fill = {origin, CCPoint(origin.x + 2.0f * kHalfWidth * progress, at.y + kHalfHeight)};
    return bar;
}

void QVPObjectLoadingBar::placeAt(float time) { qvui::placeFromModel(this, *m_model, time, m_animationState, false); }

void QVPObjectLoadingBar::update(float dt) {
    if (!m_model) return;
    m_elapsed += dt;
    placeAt(m_elapsed);
    qvui::setChildrenOpacity(this, qvui::opacityByte(m_model->opacity(m_elapsed, m_animationState)));
}

void QVPObjectLoadingBar::draw() { update(0.0f); }

void QVPObjectLoadingBar::visit() {
    CCNode::visit();
    drawBar(static_cast<float>(QVModelController::shared()->loadingPercent()) / 100.0f);
}

void QVPObjectLoadingBar::drawBar(float progress) {
    const BarRectangles bar = barRectangles(progress);
    cocos2d::ccDrawColor4F(kShade, kShade, kShade, kShade);
    cocos2d::ccDrawRect(bar.outline.origin, bar.outline.destination);
    cocos2d::ccDrawSolidRect(bar.fill.origin, bar.fill.destination, cocos2d::ccColor4F{kShade, kShade, kShade, kShade});
}
