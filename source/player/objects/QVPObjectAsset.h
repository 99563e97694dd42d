// QVPObjectAsset: the runtime object of a placed asset, the base of every
// game-field object that may have a physics body.
#pragma once

#include <memory>

#include "math/CCGeometry.h"
#include "player/objects/QVPObject.h"

class QVPObjectAsset : public QVPObject {
public:
    explicit QVPObjectAsset(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAsset() override;

    virtual void setDirection(float x, float y);
    // The input action bound to the object is held.
    virtual void setActionPressed(bool pressed);

    const cocos2d::CCPoint& direction() const { return m_direction; }
    bool isActionPressed() const { return m_actionPressed; }

protected:
    cocos2d::CCPoint m_direction;
    bool m_actionPressed = false;
};
