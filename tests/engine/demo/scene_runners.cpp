// Scenes that bring their own application and parse their own arguments:
//   --scene beep FILE, --scene music FILE --seconds S   (audio_scenes.cpp)
#include "audio_scenes.h"
#include "demo_registry.h"

namespace {

typedef bool (*SceneRunner)(int argc, char** argv, int* status);

template <SceneRunner runner>
class RunnerDemo : public DemoScene {
public:
    bool parseArgs(const std::vector<std::string>&) override { return true; }
    cocos2d::CCScene* createScene() override { return nullptr; }
    int run(const DemoOptions& options) override {
        int status = 2;
        if (!runner(options.argc, options.argv, &status)) return 2;
        return status;
    }
};

typedef RunnerDemo<runAudioScene> AudioDemo;

ENGINE_DEMO_SCENE("beep", AudioDemo);
ENGINE_DEMO_SCENE("music", AudioDemo);

}  // namespace
