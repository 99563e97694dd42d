// DesktopHost: the game's host interface over the desktop window functions
// (HostWindow.h). The player's main installs one for the whole run:
//     static DesktopHost host;
//     QVHost::install(&host);
#pragma once

#include "player/app/QVHost.h"

class DesktopHost : public QVHost {
public:
    void setFullscreen(bool fullscreen, bool force) override;
    bool isFullscreenMode() const override;
    void postWindowModeRequest(bool fullscreen) override;
    void postCloseRequest() override;
};
