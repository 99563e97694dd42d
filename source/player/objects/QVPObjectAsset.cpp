#include "player/objects/QVPObjectAsset.h"

#include <utility>

QVPObjectAsset::QVPObjectAsset(std::shared_ptr<QVModelObject> model) : QVPObject(std::move(model)) {}

QVPObjectAsset::~QVPObjectAsset() = default;

void QVPObjectAsset::setDirection(float x, float y) { m_direction = cocos2d::CCPoint(x, y); }

void QVPObjectAsset::setActionPressed(bool pressed) { m_actionPressed = pressed; }
