#include "view/CCEGLViewProtocol.h"

#include <algorithm>
#include <cmath>

#include "platform/CCCommon.h"

namespace cocos2d {

namespace {
bool usableSize(float width, float height) {
    return std::isfinite(width) && std::isfinite(height) && width > 0.0f && height > 0.0f;
}
}  // namespace

CCEGLViewProtocol::CCEGLViewProtocol() = default;
CCEGLViewProtocol::~CCEGLViewProtocol() = default;

void CCEGLViewProtocol::setFrameSize(float width, float height) {
    // A minimised window reports 0 in a dimension; dividing by it would give
    // infinite scales and NaN layout, so the previous frame stays.
    if (!usableSize(width, height)) {
        CCLog("[CCEGLView] ignoring frame size %g x %g", width, height);
        return;
    }
    m_obScreenSize = CCSize(width, height);
    if (!m_bDesignSet) m_obRequestedDesignSize = m_obScreenSize;
    applyPolicy();
}

const CCSize& CCEGLViewProtocol::getFrameSize() const { return m_obScreenSize; }

void CCEGLViewProtocol::setFrameZoomFactor(float zoomFactor) {
    if (!std::isfinite(zoomFactor) || zoomFactor <= 0.0f) {
        CCLog("[CCEGLView] ignoring frame zoom factor %g", zoomFactor);
        return;
    }
    m_fFrameZoomFactor = zoomFactor;
}

void CCEGLViewProtocol::setViewName(const char* viewName) { m_strViewName = viewName ? viewName : ""; }

void CCEGLViewProtocol::setDesignResolutionSize(float width, float height, int resolutionPolicy) {
    if (!usableSize(width, height)) {
        CCLog("[CCEGLView] ignoring design resolution %g x %g", width, height);
        return;
    }
    m_obRequestedDesignSize = CCSize(width, height);
    m_nRequestedPolicy = resolutionPolicy;
    m_bDesignSet = true;
    applyPolicy();
}

const CCSize& CCEGLViewProtocol::getDesignResolutionSize() const { return m_obDesignResolutionSize; }

CCSize CCEGLViewProtocol::getVisibleSize() const { return m_obVisibleSize; }

CCPoint CCEGLViewProtocol::getVisibleOrigin() const { return m_obVisibleOrigin; }

void CCEGLViewProtocol::applyPolicy() {
    const CCSize frame = m_obScreenSize;
    const CCSize design = m_obRequestedDesignSize;
    if (!usableSize(frame.width, frame.height) || !usableSize(design.width, design.height)) return;

    // Doubles keep the ratios exact enough that a round trip through the
    // scale lands on the frame edge.
    const double sx = static_cast<double>(frame.width) / design.width;
    const double sy = static_cast<double>(frame.height) / design.height;
    double scaleX = sx, scaleY = sy;
    double winW = design.width, winH = design.height;
    double vpX = 0, vpY = 0, vpW = frame.width, vpH = frame.height;
    double visW = design.width, visH = design.height, visX = 0, visY = 0;

    switch (m_nRequestedPolicy) {
    case kResolutionNoBorder: {
        const double s = std::max(sx, sy);
        scaleX = scaleY = s;
        vpW = design.width * s;
        vpH = design.height * s;
        vpX = (frame.width - vpW) / 2;
        vpY = (frame.height - vpH) / 2;
        visW = frame.width / s;
        visH = frame.height / s;
        visX = (design.width - visW) / 2;
        visY = (design.height - visH) / 2;
        break;
    }
    case kResolutionShowAll: {
        const double s = std::min(sx, sy);
        scaleX = scaleY = s;
        vpW = design.width * s;
        vpH = design.height * s;
        vpX = (frame.width - vpW) / 2;
        vpY = (frame.height - vpH) / 2;
        break;
    }
    case kResolutionFixedHeight:
        scaleX = scaleY = sy;
        winW = frame.width / sy;
        visW = winW;
        visH = winH;
        break;
    case kResolutionFixedWidth:
        scaleX = scaleY = sx;
        winH = frame.height / sx;
        visW = winW;
        visH = winH;
        break;
    default:  // exact fit, unknown and any other value
        break;
    }

    const CCSize oldWindow = m_obDesignResolutionSize;
    m_fScaleX = static_cast<float>(scaleX);
    m_fScaleY = static_cast<float>(scaleY);
    m_obDesignResolutionSize = CCSize(static_cast<float>(winW), static_cast<float>(winH));
    m_obViewPortRect = CCRect(static_cast<float>(vpX), static_cast<float>(vpY), static_cast<float>(vpW),
                              static_cast<float>(vpH));
    m_obVisibleSize = CCSize(static_cast<float>(visW), static_cast<float>(visH));
    m_obVisibleOrigin = CCPoint(static_cast<float>(visX), static_cast<float>(visY));
    if (oldWindow != m_obDesignResolutionSize && m_designSizeListener) m_designSizeListener();
}

}  // namespace cocos2d
