// QVPObjectAssetMirror: a water reflection. The game-field scene asks each
// listed mirror to capture: the mirror hides itself, the scene draws into the
// mirror's render texture the 100 x 100 x "Scale" band just above it (along
// its rotated up direction), and the mirror's visit draws that capture
// flipped at its own position and rotation, through the reflection shader
// tinted by "Color".
//
// Guarantees:
//  - the texture is made at the first capture, (int)(s.x * 100) by
//    (int)(s.y * 100) pixels (the engine clamps degenerate sizes);
//  - a shader file that is missing or that does not build leaves the
//    capture drawn untinted with the standard program, logged once;
//  - the destructor takes the mirror off the running scene's list.
#pragma once

#include <memory>

#include "gl/CCGL.h"
#include "math/CCGeometry.h"
#include "player/objects/QVPObjectAsset.h"

namespace cocos2d {
class CCRenderTexture;
}

class QVPObjectAssetMirror : public QVPObjectAsset {
public:
    // Under the model controller's data path.
    static constexpr const char* kShaderFile = "/shaders/WaterReflection.fsh";

    explicit QVPObjectAssetMirror(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAssetMirror() override;

    // The factory's builder: a new object with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    // Hides the mirror and redirects drawing into its texture, with the
    // model-view set so the band above the mirror fills it.
    void beginCapture();
    // Ends the redirection and shows the mirror again.
    void endCapture();
    void visit() override;

    // Null before the first capture.
    cocos2d::CCRenderTexture* renderTexture() const { return m_renderTexture; }
    // The model's "Scale" at time 0, state 0.
    cocos2d::CCPoint mirrorScale() const;

private:
    void initialise();

    cocos2d::CCRenderTexture* m_renderTexture = nullptr;  // retained
    GLint m_shadeColorLocation = -1;
    bool m_initialised = false;
};
