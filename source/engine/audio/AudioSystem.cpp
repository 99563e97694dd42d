#include "audio/AudioSystem.h"

#include <cstdlib>
#include <cstring>

#include "audio/AudioInternal.h"
#include "platform/CCCommon.h"

namespace cocos2d {
namespace audio {

namespace {

struct Choice {
    bool viewHeadless = true;  // no view known yet: stay silent
    bool forced = false;       // a test chose the back-end
    BackendKind forcedKind = BackendKind::Null;
};

Choice& choice() {
    static Choice c;
    return c;
}

// ENGINE_AUDIO, read and logged once.
const BackendKind* hookedBackend() {
    static BackendKind kind = BackendKind::Null;
    static const bool set = parseBackendHook(std::getenv("ENGINE_AUDIO"), &kind);
    return set ? &kind : nullptr;
}

}  // namespace

bool parseBackendHook(const char* value, BackendKind* kind) {
    if (!value || !*value) return false;
    if (std::strcmp(value, "openal") == 0) {
        *kind = BackendKind::OpenAL;
        return true;
    }
    if (std::strcmp(value, "null") == 0) {
        *kind = BackendKind::Null;
        return true;
    }
    CCLog("[Audio] ENGINE_AUDIO=\"%s\" is neither openal nor null; ignored", value);
    return false;
}

void setViewHeadless(bool headless) { choice().viewHeadless = headless; }

BackendKind chosenBackend() {
    const Choice& c = choice();
    if (c.forced) return c.forcedKind;
    if (const BackendKind* hooked = hookedBackend()) return *hooked;
    return c.viewHeadless ? BackendKind::Null : BackendKind::OpenAL;
}

void tick(float dt) {
    if (!(dt >= 0.0f)) dt = 0.0f;  // also catches NaN
    effectsTick(dt);
    musicTick(dt);
}

void resetForTest(BackendKind kind) {
    effectsResetForTest();
    musicResetForTest();
    openalResetForTest();
    choice().forced = true;
    choice().forcedKind = kind;
}

unsigned long effectDecodeCountForTest() { return effectsDecodeCount(); }
const char* effectsBackendNameForTest() { return effectsBackendName(); }
const char* musicBackendNameForTest() { return musicBackendName(); }
bool musicSourcePlayingForTest() { return musicProducingSound(); }

}  // namespace audio
}  // namespace cocos2d
