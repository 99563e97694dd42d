// QVPObjectAssetPowerup: a collectable. A character's touch picks it up at
// the next update; it then runs its effect (magnet, strike, invincibility,
// kill all, checkpoints, gameplay values, end of game, or only a reward),
// shows its start animation and reward labels, and after its "Duration"
// ends the effect and finishes, or finishes once its labels have flown.
//
// Guarantees:
//  - contact hooks only record the holder and request state 1;
//  - an effect ends at most once per start, whoever ends it (duration, a
//    newer powerup of its type, the scene, the destructor);
//  - a powerup with a flying reward label finishes when the flight ends;
//  - the holder is forgotten when it finishes, and the destructor unlinks
//    from it and takes the start animation off it;
//  - the field is reached only while the game field the powerup lives in
//    runs: never one left behind, never one being torn down.
#pragma once

#include <memory>
#include <string>

#include "math/CCGeometry.h"
#include "player/objects/QVPObjectAsset.h"

namespace cocos2d {
class CCLabelBMFont;
}
class QVModelObjectAssetPowerup;

class QVPObjectAssetPowerup : public QVPObjectAsset {
public:
    // What a powerup asks of the running game field (the game scene, or a
    // test's recording stand-in).
    class Field {
    public:
        virtual ~Field() = default;
        // The node the field's objects live in.
        virtual cocos2d::CCNode* gameLayer() = 0;
        virtual b2World* world() = 0;
        virtual void setMagnetActive(bool on) = 0;
        virtual void killAllEnemies() = 0;
        virtual void saveCheckpoint(const cocos2d::CCPoint& point, int sectionId) = 0;
        virtual void requestPendingActions(int bits) = 0;
        virtual void activateCheckpointPowerup() = 0;
        virtual void showEndScreen() = 0;
        virtual QVPObject* findActivePowerup(const std::string& powerupType, QVPObject* except) = 0;
        virtual void setFlash(float duration) = 0;
        virtual void setShake(float duration) = 0;
    };
    // Replaces the game scene as the field for tests; null puts it back.
    static void setFieldForTest(Field* field);

    explicit QVPObjectAssetPowerup(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAssetPowerup() override;

    // The factory's builder: a new object with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    void update(float dt) override;
    void setVisible(bool visible) override;
    void setState(int32_t state) override;
    cocos2d::CCRect getBoundingRect() override;
    void activate() override;
    bool castsShadow() override;
    void setControllable(bool controllable) override;
    void createBody(b2World* world, bool skipStill) override;
    // The pick-up: a live character that is not a spawned copy becomes the
    // holder; state 1 follows at the next update.
    void beginContact(QVPObject* other, b2Contact* contact, bool flag) override;

    bool isActivated() const { return m_activated; }
    const std::string& powerupType() const { return m_powerupType; }
    QVPObjectAsset* holder() const { return m_holder; }
    QVPAnimationObject* idleAnimation() const { return m_idleAnimation; }
    QVPAnimationObject* startAnimation() const { return m_startAnimation; }
    cocos2d::CCLabelBMFont* coinLabel() const { return m_coins.label; }
    cocos2d::CCLabelBMFont* pointsLabel() const { return m_points.label; }
    float durationLeft() const { return m_durationLeft; }

private:
    struct RewardLabel {
        cocos2d::CCLabelBMFont* label = nullptr;  // retained
        bool shown = false;
        float time = 0.0f;
        bool flying() const { return label && shown; }
    };

    void onHolderFinished();
    void onStartAnimationEnded();
    void startEffect();
    void endEffect();
    void startTypeEffect(Field* field);
    void endTypeEffect(Field* field);
    // Every character of the running world, when one runs.
    template <class Call>
    void forEachCharacter(Call call);
    // The running field this powerup lives in; null when none.
    Field* field() const;
    void unlinkHolder();
    void takeStartAnimationOffHolder();
    // Off the holder, stopped and out of the tree.
    void dropStartAnimation();
    void updateLabel(RewardLabel& reward, float dt);
    void updatePlacement();
    void showLabel(RewardLabel& reward, int amount);
    void fadeSound(float dt);
    void forgetSound();

    std::shared_ptr<QVModelObjectAssetPowerup> m_placed;
    QVPAnimationObject* m_idleAnimation = nullptr;   // retained
    QVPAnimationObject* m_startAnimation = nullptr;  // retained
    RewardLabel m_coins;
    RewardLabel m_points;
    bool m_characterConstraint = false;
    bool m_screenConstraint = false;
    bool m_replaceBehaviour = false;
    bool m_overlayBehaviour = false;
    bool m_nextCheckpointPending = false;
    bool m_endGamePending = false;
    float m_durationLeft = 0.0f;
    bool m_hasEffect = false;
    bool m_activated = false;
    std::string m_powerupType;
    QVPObjectAsset* m_holder = nullptr;
    QVSound* m_sound = nullptr;  // auto-release; clears itself when it goes
    // Zero until first asked for (then computed once, while non-zero).
    cocos2d::CCRect m_bounds;
    // Set while the destructor runs: the field may be going away too.
    bool m_dying = false;
};
