#include "player/objects/QVPObjectAssetMirror.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

#include "gl/CCGLProgram.h"
#include "gl/ccShaders.h"
#include "math/kazmath.h"
#include "model/classes/QVModelEffects.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "platform/CCFileUtils.h"
#include "platform/QVLog.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"
#include "rendertexture/CCRenderTexture.h"
#include "sprite/CCSprite.h"

using cocos2d::CCPoint;

namespace {
constexpr float kDegreesToRadiansExact = 0.01745329238474369f;
}  // namespace

QVPObjectAssetMirror::QVPObjectAssetMirror(std::shared_ptr<QVModelObject> model) : QVPObjectAsset(std::move(model)) {
    m_collisionType = kNoCollision;
    m_movesLinearly = true;
    m_typeFlags = kTypeMirror;
}

QVPObjectAssetMirror::~QVPObjectAssetMirror() {
    if (QVPScreenScene* scene = ScreenManager::shared()->getGameScene()) scene->removeMirror(this);
    if (m_renderTexture) {
        if (m_renderTexture->isCapturing()) m_renderTexture->end();
        m_renderTexture->release();
        m_renderTexture = nullptr;
    }
}

QVPObjectAsset* QVPObjectAssetMirror::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetMirror(model);
}

CCPoint QVPObjectAssetMirror::mirrorScale() const { return m_model ? m_model->scale(0.0f, 0) : CCPoint(1.0f, 1.0f); }

void QVPObjectAssetMirror::initialise() {
    m_initialised = true;
    const CCPoint s = mirrorScale();
    m_renderTexture = cocos2d::CCRenderTexture::create(truncToInt(s.x * 100.0f), truncToInt(s.y * 100.0f));
    if (!m_renderTexture) return;
    m_renderTexture->retain();

    const std::string path = QVModelController::shared()->dataPath() + kShaderFile;
    unsigned long size = 0;
    unsigned char* text = cocos2d::CCFileUtils::sharedFileUtils()->getFileData(path, "rt", &size);
    auto* program = new cocos2d::CCGLProgram();
    bool usable = false;
    if (text) {
        usable = program->initWithVertexShaderByteArray(cocos2d::ccPositionTextureA8Color_vert,
                                                        reinterpret_cast<const char*>(text));
        std::free(text);
        if (usable) {
            program->addAttribute(kCCAttributeNamePosition, 0);
            program->addAttribute(kCCAttributeNameTexCoord, 2);
            usable = program->link();
        }
    }
    if (!usable) {
        // The capture still shows, untinted, with the sprite's own program.
        logMessage("[QVPObjectAssetMirror] no usable shader %s", path.c_str());
        program->release();
        return;
    }
    program->updateUniforms();
    program->use();
    m_renderTexture->getSprite()->setShaderProgram(program);
    program->release();
    m_shadeColorLocation = program->getUniformLocationForName("u_shadeColor");
    cocos2d::ccColor4F color{1.0f, 1.0f, 1.0f, 1.0f};
    if (auto mirror = std::dynamic_pointer_cast<QVModelObjectMirror>(m_model)) {
        const cocos2d::ccColor4F& c = mirror->color();
        color = cocos2d::ccColor4F{c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, c.a / 255.0f};
    }
    program->setUniformLocationWith4f(m_shadeColorLocation, color.r, color.g, color.b, color.a);
}

void QVPObjectAssetMirror::beginCapture() {
    if (!m_initialised) initialise();
    setVisible(false);
    if (!m_renderTexture) return;
    m_renderTexture->beginWithClear(0.0f, 0.0f, 0.0f, 0.0f);
    if (!m_renderTexture->isCapturing()) return;

    const CCPoint s = mirrorScale();
    const CCPoint layer = m_gameLayer ? m_gameLayer->getPosition() : CCPoint();
    const float r = getRotation();
    cocos2d::kmGLTranslatef(s.x * 50.0f, s.y * 50.0f, 0.0f);
    cocos2d::kmGLRotatef(r, 0.0f, 0.0f, 1.0f);
    cocos2d::kmGLTranslatef(s.x * -50.0f, s.y * -50.0f, 0.0f);
    // Up along the mirror: the band one mirror height above it.
    const float angle = (90.0f - r) * kDegreesToRadiansExact;
    const CCPoint up(std::cos(angle), std::sin(angle));
    const CCPoint& position = getPosition();
    const CCPoint q(s.x * 50.0f - s.y * 100.0f * up.x - position.x, s.y * 50.0f - s.y * 100.0f * up.y - position.y);
    cocos2d::kmGLTranslatef(q.x - layer.x, q.y - layer.y, 0.0f);
}

void QVPObjectAssetMirror::endCapture() {
    if (m_renderTexture && m_renderTexture->isCapturing()) m_renderTexture->end();
    setVisible(true);
}

void QVPObjectAssetMirror::visit() {
    QVPObjectAsset::visit();
    if (!isVisible() || !m_renderTexture) return;
    m_renderTexture->setPosition(getPosition());
    m_renderTexture->setRotation(getRotation());
    m_renderTexture->setScaleY(-1.0f);
    m_renderTexture->visit();
}
