// The mirror: its capture size, the model-view that puts the band above it
// into its texture, the shader fallbacks, and the scene's mirror passes.
#include <cmath>
#include <string>

#include "gl/CCGLProgram.h"
#include "gl/CCShaderCache.h"
#include "gl_effects_test_support.h"
#include "math/kazmath.h"
#include "player/objects/QVPObjectAssetMirror.h"
#include "rendertexture/CCRenderTexture.h"
#include "sprite/CCSprite.h"

namespace {

using namespace gleffectstest;

const char* const kShader =
    "varying vec2 v_texCoord; uniform sampler2D CC_Texture0; uniform vec4 u_shadeColor;\n"
    "void main() { gl_FragColor = texture2D(CC_Texture0, v_texCoord) * u_shadeColor; }\n";

CCPoint apply(const cocos2d::kmMat4& m, const CCPoint& p) {
    return CCPoint(m.mat[0] * p.x + m.mat[4] * p.y + m.mat[12], m.mat[1] * p.x + m.mat[5] * p.y + m.mat[13]);
}

class Mirror : public GlEffectsTest {
protected:
    QVPObjectAssetMirror* mirror(const CCPoint& position, const CCPoint& scale, float rotation = 0.0f) {
        auto* made = inLayer(new QVPObjectAssetMirror(ff::mirrorPlacement(position, scale)));
        made->setRotation(rotation);
        return made;
    }
    void writeShader(const std::string& text) {
        pngtest::writeFile(root.path("data/shaders/WaterReflection.fsh"), text);
    }
};

TEST_F(Mirror, CapturesIntoItsScaledSize) {
    writeShader(kShader);
    struct Row {
        CCPoint scale;
        int w, h;
    };
    for (const Row& row : {Row{{2, 0.5f}, 200, 50}, Row{{1, 1}, 100, 100}, Row{{0.001f, 0.001f}, 1, 1}}) {
        SCOPED_TRACE(row.w);
        QVPObjectAssetMirror* m = mirror(CCPoint(300, 200), row.scale);
        EXPECT_EQ(m->renderTexture(), nullptr);
        m->beginCapture();
        EXPECT_FALSE(m->isVisible());  // never reflects itself
        m->endCapture();
        EXPECT_TRUE(m->isVisible());
        ASSERT_NE(m->renderTexture(), nullptr);
        EXPECT_EQ(m->renderTexture()->getPixelsWide(), row.w);
        EXPECT_EQ(m->renderTexture()->getPixelsHigh(), row.h);
        m->visit();
        EXPECT_EQ(m->renderTexture()->getScaleY(), -1.0f);
        EXPECT_TRUE(m->renderTexture()->getPosition().equals(m->getPosition()));
    }
}

// The band one mirror height above the mirror, along its rotated up vector,
// fills the texture: its centre lands in the texture's centre.
TEST_F(Mirror, ModelViewPutsTheBandAboveIntoTheTexture) {
    const CCPoint layerPosition(-40, 25);
    layer->setPosition(layerPosition);
    const CCPoint s(2, 0.5f);
    for (float rotation : {0.0f, 30.0f, 90.0f, -120.0f}) {
        SCOPED_TRACE(rotation);
        QVPObjectAssetMirror* m = mirror(CCPoint(300, 200), s, rotation);
        m->beginCapture();
        const cocos2d::kmMat4 mv = cocos2d::kmGLModelViewMatrix();
        m->endCapture();
        const float a = (90.0f - rotation) * 0.0174532924f;
        const CCPoint up(std::cos(a), std::sin(a));
        const CCPoint centre = m->getPosition() + up * (100.0f * s.y);
        const CCPoint texel = apply(mv, layerPosition + centre);
        EXPECT_NEAR(texel.x, 100.0f, 1e-3f);
        EXPECT_NEAR(texel.y, 25.0f, 1e-3f);
        const CCPoint higher = apply(mv, layerPosition + centre + up * 10.0f);
        EXPECT_NEAR(higher.x, 100.0f, 1e-3f);
        EXPECT_NEAR(higher.y, 35.0f, 1e-3f);
    }
}

TEST_F(Mirror, UnusableShaderLeavesTheTextureUntinted) {
    struct Row {
        const char* name;
        std::string text;  // "" writes no file
        bool tinted;
    };
    const std::vector<Row> rows = {{"good", kShader, true},
                                   {"missing", "", false},
                                   {"refused (over the size cap)", std::string(300 * 1024, ' '), false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::remove(root.path("data/shaders/WaterReflection.fsh").c_str());
        if (!row.text.empty()) writeShader(row.text);
        LogCapture::lines().clear();
        QVPObjectAssetMirror* m = mirror(CCPoint(300, 200), CCPoint(1, 1));
        m->beginCapture();
        m->endCapture();
        m->beginCapture();
        m->endCapture();
        cocos2d::CCGLProgram* program = m->renderTexture()->getSprite()->getShaderProgram();
        cocos2d::CCGLProgram* standard = cocos2d::CCShaderCache::sharedShaderCache()->positionTextureColorProgram();
        const bool own = program && program != standard;
        EXPECT_EQ(own, row.tinted);
        EXPECT_EQ(fieldtest::linesWith("[QVPObjectAssetMirror] no usable shader"), row.tinted ? 0 : 1);
        if (own) {
            const auto& bindings = program->getAttributeBindings();
            EXPECT_NE(std::find(bindings.begin(), bindings.end(), std::make_pair(std::string("a_texCoord"), 2u)),
                      bindings.end());
        }
    }
}

// The running scene lists its mirror and captures it every frame; a mirror
// destroyed outside the tick leaves the list.
TEST_F(Mirror, SceneCapturesAndForgetsDestroyedMirrors) {
    writeShader(kShader);
    auto model = ff::mirrorPlacement(CCPoint(568, 330), CCPoint(1, 1));
    runningScene(model);
    auto* m = dynamic_cast<QVPObjectAssetMirror*>(objectOf(model));
    ASSERT_NE(m, nullptr);
    scene->visit();
    EXPECT_NE(m->renderTexture(), nullptr);
    EXPECT_TRUE(m->isVisible());
    m->removeFromParent();  // the camera held the last reference
    scene->visit();
    scene->update(QVPScreenScene::kStep);
    scene->visit();
}

}  // namespace
