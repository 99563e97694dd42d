// --scene policy (with --design, --frame, --policy): the window size filled
// with (0,128,255) and 54-point red bands at its top and bottom, drawn with
// the primitives in design points.
#include "demo_registry.h"

using namespace cocos2d;

namespace {

class PolicyDemo : public DemoScene {
public:
    unsigned int defaultFrames() const override { return 3; }
    CCScene* createScene() override {
        CCScene* scene = CCScene::create();
        scene->addChild(demoDrawNode([] {
            const CCSize win = CCDirector::sharedDirector()->getWinSize();
            ccDrawSolidRect(CCPoint(0, 0), CCPoint(win.width, win.height), ccc4f(0, 128.0f / 255.0f, 1, 1));
            ccDrawSolidRect(CCPoint(0, 0), CCPoint(win.width, 54), ccc4f(1, 0, 0, 1));
            ccDrawSolidRect(CCPoint(0, win.height - 54), CCPoint(win.width, win.height), ccc4f(1, 0, 0, 1));
        }));
        return scene;
    }
};
ENGINE_DEMO_SCENE("policy", PolicyDemo);

}  // namespace
