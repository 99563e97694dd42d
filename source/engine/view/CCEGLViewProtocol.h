// The design-resolution maths shared by every view back-end: the game asks
// for a design size and a policy, the view maps it onto the frame (the
// window's drawable size) and reports the scales, viewport and visible area.
#pragma once

#include <functional>
#include <string>

#include "math/CCGeometry.h"

namespace cocos2d {

enum ResolutionPolicy {
    kResolutionExactFit = 0,
    kResolutionNoBorder = 1,
    kResolutionShowAll = 2,
    kResolutionFixedHeight = 3,
    kResolutionFixedWidth = 4,
    kResolutionUnKnown = 5,
};

class CCEGLViewProtocol {
public:
    CCEGLViewProtocol();
    virtual ~CCEGLViewProtocol();

    CCEGLViewProtocol(const CCEGLViewProtocol&) = delete;
    CCEGLViewProtocol& operator=(const CCEGLViewProtocol&) = delete;

    // Zero, negative or non-finite sizes are ignored with a log line; the
    // requested design size and policy are re-applied to the new frame.
    virtual void setFrameSize(float width, float height);
    virtual const CCSize& getFrameSize() const;
    virtual void setFrameZoomFactor(float zoomFactor);
    float getFrameZoomFactor() const { return m_fFrameZoomFactor; }
    virtual void setViewName(const char* viewName);
    const char* getViewName() const { return m_strViewName.c_str(); }

    // Until this is first called the design size follows the frame size.
    // `resolutionPolicy` is an int so that any value the game passes is
    // accepted; unknown values behave like exact fit.
    virtual void setDesignResolutionSize(float width, float height, int resolutionPolicy);
    void setDesignResolutionSize(float width, float height, ResolutionPolicy resolutionPolicy) {
        setDesignResolutionSize(width, height, static_cast<int>(resolutionPolicy));
    }
    // The effective design size, which is the director's window size. Fixed
    // height and fixed width stretch one axis of the requested size.
    virtual const CCSize& getDesignResolutionSize() const;
    // (ours) The size last passed to setDesignResolutionSize (the frame size before that).
    const CCSize& getRequestedDesignResolutionSize() const { return m_obRequestedDesignSize; }
    // The requested policy value, as given (initially kResolutionUnKnown).
    int getResolutionPolicy() const { return m_nRequestedPolicy; }
    // (ours) True once the game has set a design size.
    bool isDesignResolutionSet() const { return m_bDesignSet; }

    float getScaleX() const { return m_fScaleX; }
    float getScaleY() const { return m_fScaleY; }
    virtual CCSize getVisibleSize() const;
    virtual CCPoint getVisibleOrigin() const;
    // In frame pixels; may reach outside the frame (no border crops).
    const CCRect& getViewPortRect() const { return m_obViewPortRect; }

    // (ours) Called whenever the effective design size changes, so that the
    // director can load a matching projection.
    void setDesignSizeListener(std::function<void()> listener) { m_designSizeListener = std::move(listener); }

protected:
    // Recomputes scales, window size, viewport and visible area from the frame
    // and the requested design size and policy.
    void applyPolicy();

    CCSize m_obScreenSize;            // the frame
    CCSize m_obRequestedDesignSize;   // what the game asked for
    CCSize m_obDesignResolutionSize;  // the effective design size (window size)
    CCRect m_obViewPortRect;
    CCSize m_obVisibleSize;
    CCPoint m_obVisibleOrigin;
    float m_fScaleX = 1.0f;
    float m_fScaleY = 1.0f;
    float m_fFrameZoomFactor = 1.0f;
    int m_nRequestedPolicy = kResolutionUnKnown;
    bool m_bDesignSet = false;
    std::string m_strViewName;
    std::function<void()> m_designSizeListener;
};

}  // namespace cocos2d
