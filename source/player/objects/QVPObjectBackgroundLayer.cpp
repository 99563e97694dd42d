#include "player/objects/QVPObjectBackgroundLayer.h"

#include "base/CCArray.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "player/objects/CCParallaxScrollNode.h"
#include "player/objects/QVFieldUnits.h"
#include "sprite/CCSprite.h"

using namespace cocos2d;

namespace {
// The axis is followed this far each way when looking for the screen edges.
constexpr float kFarLeft = -1000.0f;
constexpr float kFarRight = 2136.0f;
// Drift speed, in the scroll node's units of 32 points per second.
constexpr float kDriftScale = 0.03125f;
}  // namespace

QVPObjectBackgroundLayer* QVPObjectBackgroundLayer::create(const std::shared_ptr<QVModelObjectBackground>& model) {
    if (!model) return nullptr;
    auto* layer = new QVPObjectBackgroundLayer(model);
    layer->autorelease();
    return layer;
}

QVPObjectBackgroundLayer::QVPObjectBackgroundLayer(const std::shared_ptr<QVModelObjectBackground>& model)
    : QVPObject(model) {
    setTypeFlags(kTypeBackground);
    m_parallax = CCParallaxScrollNode::create();
    if (m_parallax) {
        m_parallax->retain();
        m_parallax->setAnchorPoint(CCPoint(0.5f, 0.5f));
        buildTiles(*model);
    }
}

QVPObjectBackgroundLayer::~QVPObjectBackgroundLayer() { CC_SAFE_RELEASE(m_parallax); }

void QVPObjectBackgroundLayer::buildTiles(const QVModelObjectBackground& model) {
    const std::shared_ptr<QVModelSpriteContainer> image = model.visualModel();
    if (!image) return;

    const float left = edgeDistance(model, -1.0f);
    const float right = edgeDistance(model, 1.0f);
    const CCPoint p = model.position(0.0f, 0);
    const float r = model.rotation(0.0f, 0);
    const CCPoint s = model.scale(0.0f, 0);
    const CCSize size = image->spriteSize(0.0f);
    const float w = size.width * s.x;

    m_initialPosition = CCPoint(p.x - (w + left), p.y).rotateByAngle(p, -r * kDegreesToRadians);
    setPosition(m_initialPosition);
    setRotation(r);

    const float needed = w * 3.0f + (right + left);
    const float tilingOffset = model.tilingOffset();
    const auto opacity = static_cast<GLubyte>(truncToInt(model.opacity(0.0f, 0) * 255.0f) & 0xFF);
    CCArray* tiles = CCArray::create();
    float accumulated = 0.0f;
    while (needed >= 0.0f && needed >= accumulated) {
        CCSprite* sprite = image->getSprite(1.0f, true);
        if (!sprite) return;
        const bool empty = sprite->getContentSize().width == 0.0f;
        if (!empty) {
            sprite->setAnchorPoint(CCPoint(0.5f, 0.5f));
            sprite->setScaleX(s.x);
            sprite->setScaleY(s.y);
            sprite->setContentSize(size);
            sprite->setOpacity(opacity);
            tiles->addObject(sprite);
        }
        const float advance = tilingOffset + sprite->getContentSize().width * sprite->getScaleX();
        sprite->release();  // getSprite's extra reference
        if (empty) return;
        accumulated += advance;
        // Tiles that do not advance, or too many of them, would never cover
        // the range: one row of what was made has to do.
        if (!(advance > 0.0f) || tiles->count() >= static_cast<unsigned>(kMaxTiles)) {
            if (needed >= accumulated) {
                logMessage("[QVPObjectBackgroundLayer] tiling stopped after %d tiles",
                           static_cast<int>(tiles->count()));
            }
            break;
        }
    }

    if (model.fixedRotation()) m_parallax->setChildRotation(-getRotation());
    m_parallax->addTiledChildren(tiles, 0, CCPoint(model.speed(), 0.0f), CCPoint(0.0f, -size.height * 0.5f * s.y),
                                 CCPoint(1.0f, 0.0f), CCPointZero, CCPoint(tilingOffset * s.x - 1.0f, 0.0f));
    m_parallax->setRange(CCSize(needed, 0.0f));
    addChild(m_parallax);
}

float QVPObjectBackgroundLayer::edgeDistance(const QVModelObjectBackground& model, float direction) const {
    const CCPoint start = model.position(0.0f, 0);
    const CCPoint far = CCPoint(direction < 0.0f ? kFarLeft : kFarRight, start.y)
                            .rotateByAngle(start, -model.rotation(0.0f, 0) * kDegreesToRadians);
    const auto settings = QVModelGeneralSettings::shared();
    const CCSize screen = settings ? settings->designSize() : CCSize();
    const CCPoint corners[5] = {CCPoint(0.0f, 0.0f), CCPoint(0.0f, screen.height), CCPoint(screen.width, screen.height),
                                CCPoint(screen.width, 0.0f), CCPoint(0.0f, 0.0f)};
    for (int i = 0; i < 4; ++i) {
        if (ccpSegmentIntersect(start, far, corners[i], corners[i + 1])) {
            return start.getDistance(ccpIntersectPoint(start, far, corners[i], corners[i + 1]));
        }
    }
    return 0.0f;
}

bool QVPObjectBackgroundLayer::hasTiles() const { return m_parallax && m_parallax->getChildrenCount() > 0; }

void QVPObjectBackgroundLayer::update(float dt) {
    if (hasTiles()) m_parallax->scrollWithVelocity(CCPoint(-1.0f, -1.0f), dt * kDriftScale);
}

void QVPObjectBackgroundLayer::scroll(float movement, float dt) {
    if (hasTiles()) m_parallax->scrollWithVelocity(CCPoint(-movement, -movement), dt);
}

void QVPObjectBackgroundLayer::reset() { setPosition(m_initialPosition); }
