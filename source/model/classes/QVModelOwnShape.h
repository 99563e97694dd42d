// The collision box some object models own: made with the model, never an
// attribute, never packed and never registered. A copy that does not name
// the box in its initialisers gets a fresh one from the member's default.
#pragma once

#include <memory>
#include <utility>

#include "math/CCGeometry.h"
#include "model/classes/QVModelPolygon.h"

class QVOwnBox {
public:
    // side × side, centred on the origin.
    explicit QVOwnBox(float side) : m_shape(QVModelPolygon::create()) {
        m_shape->initAsBox(cocos2d::CCSize(side, side), cocos2d::CCPoint(0.0f, 0.0f), true);
    }
    // Shares another model's polygon.
    explicit QVOwnBox(std::shared_ptr<QVModelPolygon> shared) : m_shape(std::move(shared)) {}
    QVOwnBox(const QVOwnBox&) = delete;
    QVOwnBox& operator=(const QVOwnBox&) = delete;

    const std::shared_ptr<QVModelPolygon>& shape() const { return m_shape; }

private:
    std::shared_ptr<QVModelPolygon> m_shape;
};

// In a class body: the object's placeholder size, side × side.
#define QV_PLACEHOLDER_SIZE(side) \
    cocos2d::CCSize placeholderSize(float /*time*/) const override { return cocos2d::CCSize(side, side); }

// In a class body: an own side × side box as the collision shape, with the
// 60 × 60 placeholder every owner of a box shows. Leaves the body public.
#define QV_OWN_BOX(side)                                                                         \
public:                                                                                          \
    std::shared_ptr<QVModelPolygon> collisionShape() const override { return m_ownBox.shape(); } \
    QV_PLACEHOLDER_SIZE(60.0f)                                                                   \
                                                                                                 \
protected:                                                                                       \
    QVOwnBox m_ownBox{side};                                                                     \
                                                                                                 \
public:
