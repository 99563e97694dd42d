#include "director/CCDirector.h"

#include <cmath>

#include "actions/CCActionManager.h"
#include "actions/CCScheduler.h"
#include "audio/AudioSystem.h"
#include "base/CCAutoreleasePool.h"
#include "director/EngineHooks.h"
#include "gl/ccGLStateCache.h"
#include "input/CCAccelerometer.h"
#include "input/CCKeypadDispatcher.h"
#include "input/CCTouchDispatcher.h"
#include "math/kazmath.h"
#include "platform/CCCommon.h"
#include "platform/RandomAndClock.h"
#include "scene/CCScene.h"
#include "view/CCEGLView.h"

namespace cocos2d {

CCDirector* CCDirector::sharedDirector() {
    static CCDirector* director = new CCDirector();
    return director;
}

CCDirector::CCDirector() { applyHooks(engineHooks()); }

// The shared input objects: layers, menus and the window delivery all use
// these same instances.
CCTouchDispatcher* CCDirector::getTouchDispatcher() { return CCTouchDispatcher::sharedDispatcher(); }

CCKeypadDispatcher* CCDirector::getKeypadDispatcher() { return CCKeypadDispatcher::sharedDispatcher(); }

CCAccelerometer* CCDirector::getAccelerometer() { return CCAccelerometer::sharedAccelerometer(); }

void CCDirector::applyHooks(const EngineHooks& hooks) {
    m_bFixedDeltaTime = hooks.fixedDeltaTime;
    compat::setFrameClock(m_bFixedDeltaTime);
    m_uFrameLimit = hooks.maxFrames;
}

// ---- view and sizes

void CCDirector::setOpenGLView(CCEGLView* view) {
    if (view == m_pView) return;
    if (m_pView) m_pView->setDesignSizeListener(nullptr);
    m_pView = view;
    m_obProjectedSize = CCSizeZero;
    if (m_pView) {
        audio::setViewHeadless(m_pView->isHeadless());
        m_pView->setDesignSizeListener([this] { loadProjection(); });
        loadProjection();
    }
}

CCEGLView* CCDirector::getOpenGLView() {
    if (!m_pView) setOpenGLView(CCEGLView::sharedOpenGLView());
    return m_pView;
}

CCSize CCDirector::getWinSize() { return getOpenGLView()->getDesignResolutionSize(); }

CCSize CCDirector::getVisibleSize() { return getOpenGLView()->getVisibleSize(); }

CCPoint CCDirector::getVisibleOrigin() { return getOpenGLView()->getVisibleOrigin(); }

void CCDirector::loadProjection() {
    const CCSize size = m_pView->getDesignResolutionSize();
    if (size == m_obProjectedSize) return;
    m_obProjectedSize = size;
    kmMat4 ortho;
    kmMat4OrthographicProjection(&ortho, 0, size.width, 0, size.height, -1024, 1024);
    kmGLMatrixMode(KM_GL_PROJECTION);
    kmGLLoadMatrix(&ortho);
    // Drawing code expects the model-view stack to be current.
    kmGLMatrixMode(KM_GL_MODELVIEW);
    // The GL viewport (from the view's viewport rectangle) is set by the GL
    // back-end; headless there is none.
}

unsigned int CCDirector::getDrawCalls() const { return ccGLDrawCallsLastFrame(); }

CCScheduler* CCDirector::getScheduler() { return CCScheduler::sharedScheduler(); }

CCActionManager* CCDirector::getActionManager() { return CCActionManager::sharedManager(); }

// ---- scenes

void CCDirector::runWithScene(CCScene* scene) {
    if (m_pRunningScene) CCLog("[CCDirector] runWithScene while a scene runs; replacing it");
    replaceScene(scene);
}

void CCDirector::replaceScene(CCScene* scene) {
    if (!scene) {
        CCLog("[CCDirector] replaceScene(null) ignored");
        return;
    }
    // Switching to the running scene would exit, clean up and release it,
    // then enter the freed object.
    if (scene == m_pRunningScene) {
        CCLog("[CCDirector] replaceScene with the running scene ignored");
        return;
    }
    if (scene == m_pNextScene) return;
    scene->retain();
    CCScene* dropped = m_pNextScene;
    m_pNextScene = scene;
    // A scene dropped before its switch never entered, so it only loses our
    // reference.
    if (dropped) dropped->release();
}

void CCDirector::setNextScene() {
    CCScene* old = m_pRunningScene;
    CCScene* next = m_pNextScene;
    m_pNextScene = nullptr;
    if (old) {
        if (old->isRunning()) old->onExit();
        old->cleanup();
    }
    m_pRunningScene = next;
    if (old) old->release();
    if (next && !next->isRunning()) {
        next->onEnter();
        next->onEnterTransitionDidFinish();
    }
}

void CCDirector::visitRunningScene() {
    kmGLMatrixMode(KM_GL_MODELVIEW);
    kmGLResetStackDepth(KM_GL_MODELVIEW);
    kmGLLoadIdentity();
    if (m_pRunningScene) {
        // Held for the walk: a draw may replace the scene, and a replace
        // during the switch step of a nested frame must not free it under us.
        CCScene* scene = m_pRunningScene;
        scene->retain();
        scene->visit();
        scene->release();
    }
    // Drawing code with an unbalanced push would otherwise grow the stack
    // every frame.
    kmGLMatrixMode(KM_GL_MODELVIEW);
    kmGLResetStackDepth(KM_GL_MODELVIEW);
}

// ---- the frame

void CCDirector::setAnimationInterval(double interval) {
    if (!std::isfinite(interval) || interval <= 0) {
        CCLog("[CCDirector] ignoring animation interval %g", interval);
        return;
    }
    m_dAnimationInterval = interval;
}

void CCDirector::startAnimation() {
    m_bAnimating = true;
    m_bNextDeltaTimeZero = true;
}

void CCDirector::stopAnimation() { m_bAnimating = false; }

void CCDirector::end() { m_bEndRequested = true; }

float CCDirector::computeDeltaTime() {
    if (m_bFixedDeltaTime) {
        m_bHasLastTime = false;
        m_bNextDeltaTimeZero = false;
        compat::advanceFrameClock(m_dAnimationInterval);
        return static_cast<float>(m_dAnimationInterval);
    }
    // Monotonic: frame time must not follow wall-clock steps.
    const double now = compat::monotonicSeconds();
    if (m_bNextDeltaTimeZero || !m_bHasLastTime) {
        // After a stop (or at the start) the gap is not game time.
        m_bNextDeltaTimeZero = false;
        m_bHasLastTime = true;
        m_dLastTime = now;
        return 0.0f;
    }
    double dt = now - m_dLastTime;
    m_dLastTime = now;
    if (!(dt > 0)) dt = 0;
    return static_cast<float>(dt);
}

void CCDirector::mainLoop() {
    if (!m_bAnimating) {
        // Nothing runs, but objects autoreleased by event handling still die,
        // and sounds still end and music still streams.
        audio::tick(0.0f);
        CCPoolManager::sharedPoolManager()->drain();
        // Frame numbers count loop iterations, stopped ones included, so the
        // frame limit, screenshots and the input script agree on them.
        ++m_uTotalFrames;
        return;
    }
    stepFrame(computeDeltaTime());
}

void CCDirector::stepFrame(float dt) {
    if (m_bInFrame) {
        CCLog("[CCDirector] stepFrame called from inside a frame; ignored");
        return;
    }
    if (!std::isfinite(dt) || dt < 0) dt = 0;
    m_bInFrame = true;
    getOpenGLView();  // make sure a view and its projection exist

    getScheduler()->update(dt);
    if (m_pNextScene) setNextScene();
    m_pView->beginFrameDraw();
    visitRunningScene();
    // The last batch is drawn before the frame's hooks (screenshots) run, and
    // the frame's draw count is settled.
    ccGLEndFrame();

    const unsigned int frame = m_uTotalFrames + 1;
    if (!m_hooks.empty()) {
        // A hook may add or remove hooks; removed ones are not called.
        std::vector<int> ids;
        ids.reserve(m_hooks.size());
        for (const HookEntry& entry : m_hooks) ids.push_back(entry.id);
        for (int id : ids) {
            for (HookEntry& entry : m_hooks) {
                if (entry.id != id) continue;
                FrameHook hook = entry.hook;  // the entry may go away during the call
                hook(frame);
                break;
            }
        }
    }

    // After everything that may start a sound this frame, so it counts.
    audio::tick(dt);

    CCPoolManager::sharedPoolManager()->drain();
    m_uTotalFrames = frame;
    m_bInFrame = false;
}

int CCDirector::addFrameHook(FrameHook hook) {
    if (!hook) return 0;
    const int id = m_nNextHookId++;
    m_hooks.push_back(HookEntry{id, std::move(hook)});
    return id;
}

void CCDirector::removeFrameHook(int id) {
    for (auto it = m_hooks.begin(); it != m_hooks.end(); ++it) {
        if (it->id == id) {
            m_hooks.erase(it);
            return;
        }
    }
}

// ---- run and tear-down

void CCDirector::beginRun() {
    m_bNextDeltaTimeZero = true;
    m_bHasLastTime = false;
}

void CCDirector::shutdown() {
    CCScene* running = m_pRunningScene;
    m_pRunningScene = nullptr;
    if (running) {
        if (running->isRunning()) running->onExit();
        running->cleanup();
        running->release();
    }
    CCScene* pending = m_pNextScene;
    m_pNextScene = nullptr;
    if (pending) pending->release();
    getScheduler()->unscheduleAll();
    CCPoolManager::sharedPoolManager()->drain();
    m_bEndRequested = false;
}

void CCDirector::resetForTest() {
    CCDirector* director = sharedDirector();
    director->shutdown();
    director->getActionManager()->removeAllActions();
    director->m_hooks.clear();
    director->m_dAnimationInterval = 1.0 / 60.0;
    director->m_bAnimating = true;
    director->m_bNextDeltaTimeZero = true;
    director->m_bHasLastTime = false;
    director->m_uTotalFrames = 0;
    director->applyHooks(readEngineHooks());
    director->setOpenGLView(nullptr);
    CCEGLView::purgeSharedOpenGLView();
    kmGLFreeAll();
}

}  // namespace cocos2d
