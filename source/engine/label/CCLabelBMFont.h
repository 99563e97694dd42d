// A text label drawn from a bitmap font: one quad per glyph, handed to the
// quad batcher. It is a plain node with the colour/opacity interface (so
// fades reach it), not a sprite, and it has no children of its own.
//
// Layout, per line: the pen starts at 0; before a glyph it moves by the
// kerning of the previous glyph and this one, and by the tracking when the
// glyph is not the line's first; the quad sits at (pen + xoffset,
// lineTop - yoffset - height); then the pen moves by the xadvance. A line's
// width is the pen after its last glyph, "\n" starts a line lineHeight lower,
// the content size is (widest line, lines * lineHeight) and the alignment
// places each line within the widest one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gl/ccGLTypes.h"
#include "math/CCGeometry.h"
#include "scene/CCNode.h"
#include "scene/CCProtocols.h"

namespace cocos2d {

class CCBMFontConfiguration;
class CCTexture2D;

enum CCTextAlignment {
    kCCTextAlignmentLeft = 0,
    kCCTextAlignmentCenter = 1,
    kCCTextAlignmentRight = 2,
};

class CCLabelBMFont : public CCNode, public CCRGBAProtocol {
public:
    CCLabelBMFont();
    ~CCLabelBMFont() override;

    static CCLabelBMFont* create();
    // Null when the font cannot be loaded. Autoreleased.
    static CCLabelBMFont* create(const char* str, const char* fntFile, float width = -1,
                                 CCTextAlignment alignment = kCCTextAlignmentLeft, CCPoint imageOffset = CCPointZero);

    bool init() override;
    // False when the font cannot be loaded; the label may then be deleted
    // directly. There is no wrapping: the width and the image offset are
    // accepted and ignored.
    bool initWithString(const char* str, const char* fntFile, float width = -1,
                        CCTextAlignment alignment = kCCTextAlignmentLeft, CCPoint imageOffset = CCPointZero);

    // UTF-8. Unchanged text does not lay out again. Code points the font
    // lacks are skipped without advance (logged once per font and code point).
    void setString(const char* str);
    void setString(const std::string& str) { setString(str.c_str()); }
    const char* getString() const { return m_string.c_str(); }

    void setAlignment(CCTextAlignment alignment);
    CCTextAlignment getAlignment() const { return m_alignment; }
    // Extra space between consecutive glyphs of a line, never after the last;
    // negative values pull glyphs together.
    void setTracking(int tracking);
    int getTracking() const { return m_tracking; }
    void setWidth(float width) { (void)width; }

    // Colour and opacity of every glyph.
    void setColor(const ccColor3B& color) override;
    const ccColor3B& getColor() override { return m_color; }
    void setOpacity(GLubyte opacity) override;
    GLubyte getOpacity() override { return m_opacity; }

    void draw() override;

    // (ours) For callers that inspect the label.
    CCBMFontConfiguration* getConfiguration() const { return m_pConfiguration; }
    // Layouts done so far (an unchanged setString must not add one).
    unsigned int getLayoutCount() const { return m_layoutCount; }
    // The glyph quads in node space, in drawing order, and the page of each.
    const std::vector<ccV3F_C4B_T2F_Quad>& getGlyphQuads() const { return m_quads; }
    const std::vector<unsigned int>& getGlyphPages() const { return m_pages; }

private:
    void layout();
    void updateColors();
    ccColor4B glyphColour(const CCTexture2D* page) const;
    ccBlendFunc blendForPage(unsigned int page) const;

    CCBMFontConfiguration* m_pConfiguration = nullptr;  // retained
    std::string m_string;
    CCTextAlignment m_alignment = kCCTextAlignmentLeft;
    int m_tracking = 0;
    ccColor3B m_color = ccWHITE;
    GLubyte m_opacity = 255;
    unsigned int m_layoutCount = 0;
    std::vector<ccV3F_C4B_T2F_Quad> m_quads;
    std::vector<unsigned int> m_pages;
    // Where each line starts and how wide it is, for centring (kept between
    // layouts so a score rewritten every frame allocates nothing).
    struct LineSpan {
        std::size_t firstQuad;
        float width;
    };
    std::vector<LineSpan> m_lineSpans;
};

}  // namespace cocos2d
