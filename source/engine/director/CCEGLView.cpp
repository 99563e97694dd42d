#include "director/CCEGLView.h"

#include "director/CCEngineHooks.h"
#include "platform/CCCommon.h"

namespace cocos2d {

namespace {

// No window and no context: every traversal still runs, GL work is skipped.
class HeadlessBackend : public CCViewBackend {
public:
    const char* getName() const override { return "headless"; }
    bool isOpenGLReady() const override { return false; }
    void pollEvents(CCEGLView* view) override { (void)view; }
    void swapBuffers() override {}
    void close() override { m_closed = true; }
    bool isClosed() const override { return m_closed; }

private:
    bool m_closed = false;
};

CCEGLView* s_sharedView = nullptr;

CCEGLView::BackendFactory& backendFactory() {
    static CCEGLView::BackendFactory* factory = new CCEGLView::BackendFactory();
    return *factory;
}

}  // namespace

CCEGLView::CCEGLView(std::unique_ptr<CCViewBackend> backend, bool headless)
    : m_backend(std::move(backend)), m_bHeadless(headless) {
    setViewName("qvplayer");
    CCEGLViewProtocol::setFrameSize(960.0f, 640.0f);
}

CCEGLView::~CCEGLView() = default;

CCEGLView* CCEGLView::sharedOpenGLView() {
    if (!s_sharedView) {
        std::unique_ptr<CCViewBackend> backend;
        const bool forceHeadless = engineHooks().headless;
        if (!forceHeadless && backendFactory()) backend = backendFactory()();
        const bool headless = !backend;
        if (headless) backend.reset(new HeadlessBackend());
        s_sharedView = new CCEGLView(std::move(backend), headless);
    }
    return s_sharedView;
}

void CCEGLView::purgeSharedOpenGLView() {
    delete s_sharedView;
    s_sharedView = nullptr;
}

void CCEGLView::setBackendFactory(BackendFactory factory) { backendFactory() = std::move(factory); }

bool CCEGLView::isOpenGLReady() { return m_backend->isOpenGLReady(); }

void CCEGLView::end() { m_backend->close(); }

void CCEGLView::swapBuffers() { m_backend->swapBuffers(); }

void CCEGLView::setFrameSize(float width, float height) {
    const CCSize before = getFrameSize();
    CCEGLViewProtocol::setFrameSize(width, height);
    if (getFrameSize() != before) m_backend->frameSizeChanged(width, height);
}

void CCEGLView::pollEvents() { m_backend->pollEvents(this); }

bool CCEGLView::windowShouldClose() const { return m_backend->isClosed(); }

}  // namespace cocos2d
