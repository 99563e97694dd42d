// Outline and filled rectangles in the current model-view, with the
// "ShaderPosition_uColor" program. Colours are used as given (callers pass
// premultiplied values).
#pragma once

#include "math/CCGeometry.h"
#include "math/ccTypes.h"

namespace cocos2d {

// The colour of the following ccDrawRect calls.
void ccDrawColor4F(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void ccDrawColor4B(GLubyte r, GLubyte g, GLubyte b, GLubyte a);
// The outline of the axis-aligned rectangle with corners origin and destination.
void ccDrawRect(CCPoint origin, CCPoint destination);
void ccDrawSolidRect(CCPoint origin, CCPoint destination, ccColor4F color);
// (ours) Forgets the cached program (the shader cache was purged).
void ccDrawFree();

}  // namespace cocos2d
