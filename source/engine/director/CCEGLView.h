// The platform view. One class for every back-end: the window system sits
// behind CCViewBackend, so the game only ever sees CCEGLView.
#pragma once

#include <functional>
#include <memory>

#include "director/CCEGLViewProtocol.h"

namespace cocos2d {

class CCEGLView;

// (ours) What a window system provides to the view. The headless back-end
// has no window and no context; a windowed back-end registers a factory with
// CCEGLView::setBackendFactory before the view is first used.
class CCViewBackend {
public:
    virtual ~CCViewBackend() = default;
    virtual const char* getName() const = 0;
    // True once a GL context exists and is current.
    virtual bool isOpenGLReady() const = 0;
    // Handles pending window events (resize, close, input) once per loop.
    virtual void pollEvents(CCEGLView* view) = 0;
    virtual void swapBuffers() = 0;
    // Asks the window to close; isClosed() turns true.
    virtual void close() = 0;
    virtual bool isClosed() const = 0;
    // The view's frame size changed (the window follows it where it can).
    virtual void frameSizeChanged(float width, float height) { (void)width; (void)height; }
};

class CCEGLView : public CCEGLViewProtocol {
public:
    // Created on first use: the registered back-end, or the headless one when
    // none is registered or ENGINE_HEADLESS is set. The frame starts at 960 x 640.
    static CCEGLView* sharedOpenGLView();
    // (ours) Drops the view so the next sharedOpenGLView() starts afresh; the
    // director must not hold it (CCDirector::resetForTest takes care of that).
    static void purgeSharedOpenGLView();

    typedef std::function<std::unique_ptr<CCViewBackend>()> BackendFactory;
    // (ours) An empty factory, or one returning null, means headless.
    static void setBackendFactory(BackendFactory factory);

    virtual bool isOpenGLReady();
    // Closes the window; run() ends at its next poll.
    virtual void end();
    virtual void swapBuffers();
    void setFrameSize(float width, float height) override;

    // (ours)
    void pollEvents();
    bool windowShouldClose() const;
    bool isHeadless() const { return m_bHeadless; }
    CCViewBackend* getBackend() { return m_backend.get(); }

    ~CCEGLView() override;

private:
    CCEGLView(std::unique_ptr<CCViewBackend> backend, bool headless);
    std::unique_ptr<CCViewBackend> m_backend;
    bool m_bHeadless;
};

}  // namespace cocos2d
