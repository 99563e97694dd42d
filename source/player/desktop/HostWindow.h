// The host's window glue: fullscreen and windowed modes on the window's
// monitor, fitting the engine's frame to the client area, and the window hook
// that handles posted mode and close requests.
#pragma once

#include <functional>

namespace cocos2d {
struct ViewEvent;
}

// The game's "Orientation" setting (1 is landscape); 1 when no provider is set.
void setOrientationProvider(std::function<int()> provider);
// Runs before a requested mode switch (the player state's save); none by default.
void setBeforeSwitchHook(std::function<void()> hook);

// The current mode as the host knows it (windowed at start).
bool isFullscreenMode();
// Back to the start state: windowed, no hooks, nothing pending.
void resetHostWindow();

// Switches the window mode. Unforced, a request for the current mode does
// nothing. Fullscreen covers the window's monitor; windowed is half the
// monitor (swapped for portrait), centred on it.
void setFullscreen(bool fullscreen, bool force);
// Fits the frame to a new client area: frame size, zoom 1, and the design
// resolution of the orientation with the view's policy kept.
void resizeView(int width, int height);

// The view's event hook: a posted mode message saves and switches, window
// resizes are fitted once per frame.
void windowProcHook(const cocos2d::ViewEvent& event);
// Installs windowProcHook on the shared view.
void installWindowProcHook();

// Stand-ins for posting WM_USER (1 fullscreen, 0 windowed) and WM_CLOSE to
// the window: handled by the hook at the start of the next frame, never inside
// the caller, so a button handler never switches the window under itself.
void postWindowModeRequest(bool fullscreen);
void postCloseRequest();
