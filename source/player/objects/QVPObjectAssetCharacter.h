// QVPObjectAssetCharacter: the player's character. Until its movement and
// animations exist, the operations the input controller calls do nothing;
// tests derive from it to record them.
#pragma once

#include <memory>

#include "player/objects/QVPObjectAsset.h"

class QVPObjectAssetCharacter : public QVPObjectAsset {
public:
    explicit QVPObjectAssetCharacter(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAssetCharacter() override;

    void setDirection(float x, float y) override;
    virtual void setDirectionX(float x);
    virtual void setDirectionY(float y);
    virtual void jump();
    virtual void releaseJump();
    virtual void startRotateLeft();
    virtual void stopRotateLeft();
    virtual void startRotateRight();
    virtual void stopRotateRight();
    virtual void setShooting(bool shooting);
    // The joystick's vector.
    virtual void move(float dx, float dy);
    // Ends the running powerups and forgets pending contacts.
    virtual void clearPowerups();
    // A protected character deals 99 by contact and takes nothing.
    virtual bool isInvincible() const;
};
