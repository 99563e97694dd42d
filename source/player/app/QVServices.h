// What the screens ask of the platform: leaving the game, the window mode,
// screen hooks, game-services reporting, confirmations, web pages and store
// purchases. On the desktop no game-services provider exists, and
// confirmations and purchases succeed at once.
#pragma once

#include <string>

#include "base/CCObject.h"
#include "player/app/OneShotCallback.h"

class QVServices {
public:
    typedef void (cocos2d::CCObject::*Callback)(bool confirmed);

    static QVServices* shared();

    // Prints "Doing exit..." and asks the host to close the window; the main
    // loop ends at the host's next delivery of posted messages.
    void exitGame();
    // The host saves the player state, then switches, one frame later.
    void requestFullscreen(bool fullscreen);
    void screenOnEnter(const std::string& name);
    void screenOnExit(const std::string& name);

    // Whether a game-services provider is present: never on the desktop.
    bool isAvailable() const { return m_available; }
    // Would report scoreValue of the general settings' "Score Type".
    void submitScore();
    // The value a "Score Type" names ("Session Coins", "Best Distance" ...):
    // session sums over the worlds, best and total from the current world's
    // record; 0 for any other name or a world without a record.
    static float scoreValue(const std::string& scoreType);
    void showGameServices() {}
    bool wantsImmediateHighlight() const { return false; }
    void requestReview();

    // A request that needs the player's confirmation; answered yes at once.
    // A null target or callback only shows the request.
    void setCallback(const std::string& request, cocos2d::CCObject* target, Callback callback);

    void openSocialPage(const std::string& id, const std::string& url);
    // Opens an http or https address with the desktop's handler (xdg-open,
    // started without a shell); anything else is refused and logged.
    void openUrl(const std::string& url);

private:
    QVServices() = default;

    bool m_available = false;
    OneShotCallback<Callback> m_callback;
};

class PurchaseService : public cocos2d::CCObject {
public:
    typedef void (cocos2d::CCObject::*Callback)(const std::string& product);

    static PurchaseService* shared();

    void setCallback(cocos2d::CCObject* target, Callback callback);
    // Succeeds at once when a callback is stored: it gets the product once.
    void purchase(const std::string& product);
    // A menu handler: the desktop store has nothing to restore.
    void restore(cocos2d::CCObject* sender);

private:
    PurchaseService() = default;

    OneShotCallback<Callback> m_callback;
};
