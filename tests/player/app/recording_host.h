// A host fake for game tests: records every call in order. Install it with
// QVHost::install(&host) and install(nullptr) before it goes away.
#pragma once

#include <string>
#include <vector>

#include "player/app/QVHost.h"

struct RecordingHost : QVHost {
    void setFullscreen(bool on, bool force) override {
        calls.push_back("setFullscreen " + std::to_string(on + 2 * force));
    }
    bool isFullscreenMode() const override { return calls.push_back("isFullscreenMode"), fullscreenMode; }
    void postWindowModeRequest(bool on) override { calls.push_back("postWindowModeRequest " + std::to_string(on)); }
    void postCloseRequest() override { calls.push_back("postCloseRequest"); }

    bool fullscreenMode = true;
    mutable std::vector<std::string> calls;
};
