#include "view/headless/HeadlessBackend.h"

namespace cocos2d {

namespace {

class HeadlessBackend : public ViewBackend {
public:
    const char* getName() const override { return "headless"; }
    bool isOpenGLReady() const override { return false; }
    bool hasNativeWindow() const override { return false; }
    void pollEvents(CCEGLView* view) override { (void)view; }
    void swapBuffers() override {}

    CCRect monitorRect() const override { return CCRect(0, 0, 1920, 1080); }
    CCSize setFullscreen(bool fullscreen) override {
        m_fullscreen = fullscreen;
        return CCSize();
    }
    bool isFullscreen() const override { return m_fullscreen; }
    void setWindowRect(int x, int y, int width, int height) override {
        m_rect = CCRect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                        static_cast<float>(height));
    }
    CCRect windowRect() const override { return m_rect; }

private:
    bool m_fullscreen = false;
    CCRect m_rect;
};

class InertBackend : public ViewBackend {
public:
    const char* getName() const override { return "none"; }
    bool isOpenGLReady() const override { return false; }
    bool hasNativeWindow() const override { return false; }
    void pollEvents(CCEGLView* view) override { (void)view; }
    void swapBuffers() override {}
};

}  // namespace

std::unique_ptr<ViewBackend> createHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

std::unique_ptr<ViewBackend> createInertBackend() { return std::make_unique<InertBackend>(); }

}  // namespace cocos2d
