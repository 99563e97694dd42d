// QVHost: the host as the game sees it. Game code (app, screens, objects, UI)
// reaches the window and the process only through QVHost::current().
// Guarantees: current() never returns null. With no host installed it is an
// inert host that does nothing and logs each operation once. install() does
// not take ownership; the installed host must outlive its use (the player's
// main installs its host for the whole run, tests install a recording fake
// and install(nullptr) afterwards).
#pragma once

class QVHost {
public:
    virtual ~QVHost() = default;

    // Switches the window mode; unforced, a request for the current mode
    // does nothing.
    virtual void setFullscreen(bool fullscreen, bool force) = 0;
    virtual bool isFullscreenMode() const = 0;
    // Handled by the host at the start of the next frame, never inside the
    // caller.
    virtual void postWindowModeRequest(bool fullscreen) = 0;
    virtual void postCloseRequest() = 0;

    // Null restores the inert host.
    static void install(QVHost* host);
    static QVHost& current();
};
