#include "DesktopHost.h"

#include "HostWindow.h"

void DesktopHost::setFullscreen(bool fullscreen, bool force) { ::setFullscreen(fullscreen, force); }

bool DesktopHost::isFullscreenMode() const { return ::isFullscreenMode(); }

void DesktopHost::postWindowModeRequest(bool fullscreen) { ::postWindowModeRequest(fullscreen); }

void DesktopHost::postCloseRequest() { ::postCloseRequest(); }
