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
    // (The text never holds a NUL, so one strcmp decides.)
    if (std::strcmp(m_string.c_str(), text) == 0) return;
    m_string = text;
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
    m_quads.clear();
    m_pages.clear();
    if (!m_pConfiguration) {
        setContentSize(CCSizeZero);
        return;
    }
    const bmfont::Font& font = m_pConfiguration->font();

    struct Line {
        size_t firstQuad;
        float width;
    };
    std::vector<Line> lines;
    lines.push_back(Line{0, 0});
    // Glyphs are placed relative to their line's top-left corner first; the
    // line tops and the alignment shift need every line's width.
    float pen = 0;
    bool havePrevious = false;
    uint32_t previous = 0;
    size_t pos = 0;
    while (pos < m_string.size()) {
        uint32_t cp = bmfont::decodeUtf8(m_string, &pos);
        if (cp == '\n') {
            lines.back().width = pen;
            lines.push_back(Line{m_quads.size(), 0});
            pen = 0;
            havePrevious = false;
            continue;
        }
        const bmfont::Glyph* g = font.glyph(cp);
        if (!g) {
            CCLogOnce("[CCLabelBMFont] %s has no glyph for U+%04X; skipped", m_pConfiguration->fullPath().c_str(),
                      cp);
            continue;
        }
        if (havePrevious) {
            pen += static_cast<float>(font.kerning(previous, cp));
            pen += static_cast<float>(m_tracking);
        }
        CCTexture2D* page = m_pConfiguration->pageTexture(g->page);
        const float texW = page && page->getPixelsWide() ? static_cast<float>(page->getPixelsWide()) : 1.0f;
        const float texH = page && page->getPixelsHigh() ? static_cast<float>(page->getPixelsHigh()) : 1.0f;
        const float x0 = pen + static_cast<float>(g->xoffset);
        const float y1 = -static_cast<float>(g->yoffset);
        const float x1 = x0 + static_cast<float>(g->width);
        const float y0 = y1 - static_cast<float>(g->height);
        const float u0 = static_cast<float>(g->x) / texW;
        const float u1 = static_cast<float>(g->x + g->width) / texW;
        const float v0 = static_cast<float>(g->y) / texH;  // texture row 0 is the image's top row
        const float v1 = static_cast<float>(g->y + g->height) / texH;

        ccV3F_C4B_T2F_Quad q;
        q.tl.vertices = {x0, y1, 0};
        q.tl.texCoords = {u0, v0};
        q.bl.vertices = {x0, y0, 0};
        q.bl.texCoords = {u0, v1};
        q.tr.vertices = {x1, y1, 0};
        q.tr.texCoords = {u1, v0};
        q.br.vertices = {x1, y0, 0};
        q.br.texCoords = {u1, v1};
        m_quads.push_back(q);
        m_pages.push_back(g->page);

        pen += static_cast<float>(g->xadvance);
        previous = cp;
        havePrevious = true;
    }
    lines.back().width = pen;

    float widest = 0;
    for (const Line& line : lines) widest = std::max(widest, line.width);
    const float lineHeight = static_cast<float>(font.lineHeight);
    const float height = lineHeight * static_cast<float>(lines.size());

    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t end = i + 1 < lines.size() ? lines[i + 1].firstQuad : m_quads.size();
        float shift = 0;
        if (m_alignment == kCCTextAlignmentCenter) {
            shift = (widest - lines[i].width) / 2;
        } else if (m_alignment == kCCTextAlignmentRight) {
            shift = widest - lines[i].width;
        }
        const float top = height - lineHeight * static_cast<float>(i);
        for (size_t k = lines[i].firstQuad; k < end; ++k) {
            for (ccV3F_C4B_T2F* v : {&m_quads[k].tl, &m_quads[k].bl, &m_quads[k].tr, &m_quads[k].br}) {
                v->vertices.x += shift;
                v->vertices.y += top;
            }
        }
    }
    setContentSize(CCSize(widest, height));
    updateColors();
}

void CCLabelBMFont::updateColors() {
    for (size_t i = 0; i < m_quads.size(); ++i) {
        const CCTexture2D* page = m_pConfiguration ? m_pConfiguration->pageTexture(m_pages[i]) : nullptr;
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
