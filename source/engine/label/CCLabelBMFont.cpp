#include "label/CCLabelBMFont.h"

#include <algorithm>
#include <cstring>

#include "gl/QuadBatcher.h"
#include "label/CCBMFontConfiguration.h"
#include "platform/CCCommon.h"
#include "textures/CCTexture2D.h"

namespace cocos2d {

CCLabelBMFont::CCLabelBMFont() { setAnchorPoint(CCPoint(0.5f, 0.5f)); }

CCLabelBMFont::~CCLabelBMFont() { CC_SAFE_RELEASE(m_pConfiguration); }

CCLabelBMFont* CCLabelBMFont::create() {
    auto* label = new CCLabelBMFont();
    if (!label->init()) {
        delete label;
        return nullptr;
    }
    label->autorelease();
    return label;
}

CCLabelBMFont* CCLabelBMFont::create(const char* str, const char* fntFile, float width, CCTextAlignment alignment,
                                     CCPoint imageOffset) {
    auto* label = new CCLabelBMFont();
    if (!label->initWithString(str, fntFile, width, alignment, imageOffset)) {
        delete label;
        return nullptr;
    }
    label->autorelease();
    return label;
}

bool CCLabelBMFont::init() { return CCNode::init(); }

bool CCLabelBMFont::initWithString(const char* str, const char* fntFile, float width, CCTextAlignment alignment,
                                   CCPoint imageOffset) {
    (void)width;
    (void)imageOffset;
    if (!CCNode::init()) return false;
    CCBMFontConfiguration* config = FNTConfigLoadFile(fntFile);
    if (!config) {
        CCLog("[CCLabelBMFont] cannot use font \"%s\"", fntFile ? fntFile : "(null)");
        return false;
    }
    config->retain();
    CC_SAFE_RELEASE(m_pConfiguration);
    m_pConfiguration = config;
    m_alignment = alignment;
    m_string = str ? str : "";
    layout();
    return true;
}

void CCLabelBMFont::setString(const char* str) {
    const char* text = str ? str : "";
    // Scores are written every frame; only a real change lays out again.
    const size_t length = std::strlen(text);
    if (length == m_string.size() && std::memcmp(m_string.data(), text, length) == 0) return;
    m_string.assign(text, length);
    layout();
}

void CCLabelBMFont::setAlignment(CCTextAlignment alignment) {
    if (alignment == m_alignment) return;
    m_alignment = alignment;
    layout();
}

void CCLabelBMFont::setTracking(int tracking) {
    if (tracking == m_tracking) return;
    m_tracking = tracking;
    layout();
}

void CCLabelBMFont::setColor(const ccColor3B& color) {
    m_color = color;
    updateColors();
}

void CCLabelBMFont::setOpacity(GLubyte opacity) {
    m_opacity = opacity;
    updateColors();
}

void CCLabelBMFont::layout() {
    ++m_layoutCount;
    m_lineSpans.clear();
    if (!m_pConfiguration) {
        m_quads.clear();
        m_pages.clear();
        setContentSize(CCSizeZero);
        return;
    }
    const bmfont::Font& font = m_pConfiguration->font();
    const bool kerned = !font.kernings.empty();
    // Counted first, so each glyph goes straight to its line's final height;
    // only a centred or right-aligned text needs a second pass.
    const size_t lineCount = 1 + static_cast<size_t>(std::count(m_string.begin(), m_string.end(), '\n'));
    const float lineHeight = static_cast<float>(font.lineHeight);
    const float height = lineHeight * static_cast<float>(lineCount);
    const bool aligned = m_alignment == kCCTextAlignmentCenter || m_alignment == kCCTextAlignmentRight;
    // Room for a glyph per byte, cut to the glyphs placed at the end; every
    // entry below that is overwritten, so a text of the old length (a score)
    // clears nothing.
    m_quads.resize(m_string.size());
    m_pages.resize(m_string.size());
    size_t placed = 0;

    // The page last used, with its glyph colour.
    unsigned int pageId = 0;
    bool havePage = false;
    ccColor4B colour;
    CCBMFontConfiguration::Placement scratch;

    size_t line = 0;
    size_t lineStart = 0;
    float top = height;
    float widest = 0;
    float pen = 0;
    bool havePrevious = false;
    uint32_t previous = 0;
    size_t pos = 0;
    const size_t size = m_string.size();
    while (pos < size) {
        const unsigned char byte = static_cast<unsigned char>(m_string[pos]);
        uint32_t cp = byte;
        if (byte < 0x80) {
            ++pos;
        } else {
            cp = bmfont::decodeUtf8(m_string, &pos);
        }
        if (cp == '\n') {
            widest = std::max(widest, pen);
            if (aligned) m_lineSpans.push_back(LineSpan{lineStart, pen});
            lineStart = placed;
            ++line;
            top = height - lineHeight * static_cast<float>(line);
            pen = 0;
            havePrevious = false;
            continue;
        }
        const CCBMFontConfiguration::Placement* g = m_pConfiguration->placement(cp, &scratch);
        if (!g) {
            CCLogOnce("[CCLabelBMFont] %s has no glyph for U+%04X; skipped", m_pConfiguration->fullPath().c_str(), cp);
            continue;
        }
        if (havePrevious) {
            if (kerned) pen += static_cast<float>(font.kerning(previous, cp));
            pen += static_cast<float>(m_tracking);
        }
        if (!havePage || g->page != pageId) {
            havePage = true;
            pageId = g->page;
            colour = glyphColour(m_pConfiguration->pageTexture(pageId));
        }
        // Placed relative to the line top first, then moved down to it.
        const float x0 = pen + g->xoffset;
        const float y1 = g->top;
        const float x1 = x0 + g->width;
        const float y0 = y1 - g->height;

        // Written in place: a quad assembled elsewhere and copied in costs a
        // stall per glyph.
        ccV3F_C4B_T2F_Quad& q = m_quads[placed];
        q.tl.vertices = {x0, y1 + top, 0};
        q.tl.colors = colour;
        q.tl.texCoords = {g->u0, g->v0};
        q.bl.vertices = {x0, y0 + top, 0};
        q.bl.colors = colour;
        q.bl.texCoords = {g->u0, g->v1};
        q.tr.vertices = {x1, y1 + top, 0};
        q.tr.colors = colour;
        q.tr.texCoords = {g->u1, g->v0};
        q.br.vertices = {x1, y0 + top, 0};
        q.br.colors = colour;
        q.br.texCoords = {g->u1, g->v1};
        m_pages[placed] = g->page;
        ++placed;

        pen += g->advance;
        previous = cp;
        havePrevious = true;
    }
    widest = std::max(widest, pen);
    m_quads.resize(placed);
    m_pages.resize(placed);

    if (aligned) {
        m_lineSpans.push_back(LineSpan{lineStart, pen});
        for (size_t i = 0; i < m_lineSpans.size(); ++i) {
            const size_t end = i + 1 < m_lineSpans.size() ? m_lineSpans[i + 1].firstQuad : m_quads.size();
            const float shift = m_alignment == kCCTextAlignmentCenter ? (widest - m_lineSpans[i].width) / 2
                                                                      : widest - m_lineSpans[i].width;
            for (size_t k = m_lineSpans[i].firstQuad; k < end; ++k) {
                m_quads[k].tl.vertices.x += shift;
                m_quads[k].bl.vertices.x += shift;
                m_quads[k].tr.vertices.x += shift;
                m_quads[k].br.vertices.x += shift;
            }
        }
    }
    setContentSize(CCSize(widest, height));
}

ccColor4B CCLabelBMFont::glyphColour(const CCTexture2D* page) const {
    ccColor4B c;
    if (!page || page->hasPremultipliedAlpha()) {
        c.r = static_cast<GLubyte>(m_color.r * m_opacity / 255);
        c.g = static_cast<GLubyte>(m_color.g * m_opacity / 255);
        c.b = static_cast<GLubyte>(m_color.b * m_opacity / 255);
    } else {
        c.r = m_color.r;
        c.g = m_color.g;
        c.b = m_color.b;
    }
    c.a = m_opacity;
    return c;
}

void CCLabelBMFont::updateColors() {
    for (size_t i = 0; i < m_quads.size(); ++i) {
        const ccColor4B c = glyphColour(m_pConfiguration ? m_pConfiguration->pageTexture(m_pages[i]) : nullptr);
        m_quads[i].tl.colors = c;
        m_quads[i].bl.colors = c;
        m_quads[i].tr.colors = c;
        m_quads[i].br.colors = c;
    }
}

ccBlendFunc CCLabelBMFont::blendForPage(unsigned int page) const {
    const CCTexture2D* texture = m_pConfiguration ? m_pConfiguration->pageTexture(page) : nullptr;
    if (texture && !texture->hasPremultipliedAlpha()) return ccBlendFuncMake(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    return ccBlendFuncMake(CC_BLEND_SRC, CC_BLEND_DST);
}

void CCLabelBMFont::draw() {
    if (m_quads.empty() || !m_pConfiguration) return;
    QuadBatcher* batcher = QuadBatcher::sharedBatcher();
    // Runs of glyphs on one page go in one call; the batcher joins them
    // further with whatever was drawn before.
    size_t start = 0;
    while (start < m_quads.size()) {
        const unsigned int page = m_pages[start];
        size_t end = start + 1;
        while (end < m_quads.size() && m_pages[end] == page) ++end;
        batcher->addQuads(m_pConfiguration->pageTexture(page), nullptr, blendForPage(page), &m_quads[start],
                          end - start);
        start = end;
    }
}

}  // namespace cocos2d
