// QVPObjectBackgroundLayer: a row of identical tiles cut from a background
// model's image, long enough to cover the screen along the layer's axis,
// drifting at the model's "Speed" and scrolling with the camera.
// Guarantees: construction always ends (a row stops after its first tile
// when tiles do not advance, and at kMaxTiles); a layer without tiles never
// moves them.
#pragma once

#include <memory>

#include "math/CCGeometry.h"
#include "player/objects/QVPObject.h"

class CCParallaxScrollNode;
class QVModelObjectBackground;

class QVPObjectBackgroundLayer : public QVPObject {
public:
    static constexpr int kMaxTiles = 4096;

    // Autoreleased; null without a model.
    static QVPObjectBackgroundLayer* create(const std::shared_ptr<QVModelObjectBackground>& model);
    ~QVPObjectBackgroundLayer() override;

    // The constant drift.
    void update(float dt) override;
    // Moves the tiles with the camera's last movement (x plus y).
    void scroll(float movement, float dt);
    void reset() override;

    // Null only when it could not be made.
    CCParallaxScrollNode* parallaxNode() const { return m_parallax; }
    const cocos2d::CCPoint& initialPosition() const { return m_initialPosition; }

private:
    explicit QVPObjectBackgroundLayer(const std::shared_ptr<QVModelObjectBackground>& model);
    void buildTiles(const QVModelObjectBackground& model);
    // How far the screen reaches from the layer's position along its axis,
    // towards `direction` (-1 or +1); 0 when the axis misses the screen.
    float edgeDistance(const QVModelObjectBackground& model, float direction) const;
    bool hasTiles() const;

    CCParallaxScrollNode* m_parallax = nullptr;  // retained
    cocos2d::CCPoint m_initialPosition;
};
