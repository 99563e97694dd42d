#include "player/app/QVHost.h"

#include "platform/QVLog.h"

namespace {

// Stands in until the player's main installs the real host: a call that
// reaches it means game code ran without one, which the log says once.
class InertHost : public QVHost {
public:
    void setFullscreen(bool, bool) override { once(m_fullscreen, "setFullscreen"); }
    bool isFullscreenMode() const override {
        once(m_query, "isFullscreenMode");
        return false;
    }
    void postWindowModeRequest(bool) override { once(m_modeRequest, "postWindowModeRequest"); }
    void postCloseRequest() override { once(m_close, "postCloseRequest"); }

private:
    static void once(bool& logged, const char* operation) {
        if (logged) return;
        logged = true;
        logMessage("[QVHost] no host installed: %s ignored", operation);
    }
    mutable bool m_fullscreen = false, m_query = false, m_modeRequest = false, m_close = false;
};

InertHost g_inert;
QVHost* g_host = nullptr;

}  // namespace

void QVHost::install(QVHost* host) { g_host = host; }

QVHost& QVHost::current() { return g_host ? *g_host : g_inert; }
