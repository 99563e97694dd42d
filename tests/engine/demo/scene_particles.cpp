// `engine_demo --scene particles`: one emitter seeded with 1 at (480, 320):
// total 500, rate 200, life 1, speed 60 +- 20, angle 90 +- 180, red, size 8,
// with an 8x8 white texture. Prints the particle count at frame 59, which a
// seeded run repeats exactly, headless or not.
#include <cstdio>
#include <cstring>
#include <vector>

#include "demo_registry.h"
#include "text_fx_assets.h"

using namespace cocos2d;

namespace {

constexpr unsigned int kReportFrame = 59;

class ParticlesDemo : public DemoScene {
public:
    unsigned int defaultFrames() const override { return 60; }
    CCScene* createScene() override {
        CCDirector* director = CCDirector::sharedDirector();
        if (!m_assets.writePng("particle.png", 8, 8, std::vector<uint8_t>(8 * 8 * 4, 255))) return nullptr;
        CCTexture2D* texture = CCTextureCache::sharedTextureCache()->addImage(m_assets.path("particle.png").c_str());
        if (!texture) return nullptr;

        compat::srand(1);
        CCParticleSystemQuad* emitter = CCParticleSystemQuad::create();
        emitter->initWithTotalParticles(500);
        emitter->setEmitterMode(kCCParticleModeGravity);
        emitter->setDuration(-1);
        emitter->setTexture(texture);
        emitter->setEmissionRate(200);
        emitter->setLife(1);
        emitter->setSpeed(60);
        emitter->setSpeedVar(20);
        emitter->setAngle(90);
        emitter->setAngleVar(180);
        emitter->setStartSize(8);
        emitter->setStartColor(ccc4f(1, 0, 0, 1));
        emitter->setEndColor(ccc4f(1, 0, 0, 1));
        emitter->setPosition(ccp(480, 320));

        CCScene* scene = CCScene::create();
        scene->addChild(emitter);
        director->addFrameHook([emitter](unsigned int frame) {
            if (frame != kReportFrame) return;
            std::printf("frame %u particles %u\n", frame, emitter->getParticleCount());
            std::fflush(stdout);
        });
        return scene;
    }

private:
    TextFxAssets m_assets;
};

ENGINE_DEMO_SCENE("particles", ParticlesDemo);

}  // namespace
