#include "FontBaker.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <memory>

#include "Atlas.h"

namespace samplegame {

const char* defaultFontFile() { return QV_SAMPLEGAME_FONT_FILE; }

namespace {

struct LibraryCloser {
    void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryCloser>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceCloser>;

int pixels26(FT_Pos v) { return static_cast<int>(std::lround(static_cast<double>(v) / 64.0)); }

// White coverage over a dark rim: the rim is the coverage dilated by a disc.
Image outlined(const FT_Bitmap& bitmap) {
    const int w = static_cast<int>(bitmap.width), h = static_cast<int>(bitmap.rows);
    if (w == 0 || h == 0) return Image();
    const int o = kFontOutline;
    Image out(w + 2 * o, h + 2 * o);
    auto coverage = [&](int x, int y) -> int {
        if (x < 0 || y < 0 || x >= w || y >= h) return 0;
        return bitmap.buffer[static_cast<size_t>(y) * static_cast<size_t>(std::abs(bitmap.pitch)) + x];
    };
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            int rim = 0;
            for (int dy = -o; dy <= o; ++dy)
                for (int dx = -o; dx <= o; ++dx)
                    if (dx * dx + dy * dy <= o * o) rim = std::max(rim, coverage(x - o + dx, y - o + dy));
            if (rim) out.blend(x, y, Colour{20, 16, 28, 255}, rim / 255.0f);
            const int ink = coverage(x - o, y - o);
            if (ink) out.blend(x, y, Colour{255, 255, 255, 255}, ink / 255.0f);
        }
    }
    return out;
}

}  // namespace

bool bakeFont(const std::string& fontFile, int pixelSize, BakedFont* out, std::string* error) {
    *out = BakedFont();
    FT_Library raw = nullptr;
    if (FT_Init_FreeType(&raw) != 0) {
        *error = "FreeType does not start";
        return false;
    }
    LibraryPtr library(raw);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(library.get(), fontFile.c_str(), 0, &rawFace) != 0) {
        *error = "cannot open the font " + fontFile;
        return false;
    }
    FacePtr face(rawFace);
    if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        *error = "the font has no " + std::to_string(pixelSize) + " px size";
        return false;
    }
    out->face = face->family_name ? face->family_name : "";
    out->size = pixelSize;
    out->bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    out->lineHeight = pixels26(face->size->metrics.height);
    out->base = pixels26(face->size->metrics.ascender);
    std::vector<Placement> sizes;
    for (uint32_t id = 32; id <= 126; ++id) {
        // Outlines only: an embedded bitmap strike could be 1-bit or colour.
        if (FT_Load_Char(face.get(), id, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP) != 0 ||
            (face->glyph->bitmap.rows > 0 && face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)) {
            *error = "the font cannot render " + std::to_string(id) + " as grey levels";
            return false;
        }
        const FT_GlyphSlot slot = face->glyph;
        BakedGlyph g;
        g.id = id;
        g.image = outlined(slot->bitmap);
        g.xoffset = slot->bitmap_left - kFontOutline;
        g.yoffset = out->base - slot->bitmap_top - kFontOutline;
        g.xadvance = pixels26(slot->advance.x);
        if (g.image.width == 0)
            g.xoffset = g.yoffset = 0;
        else
            sizes.push_back(Placement{id, 0, 0, g.image.width, g.image.height});
        out->glyphs.push_back(std::move(g));
    }
    std::vector<Placement> placed;
    std::string why;
    for (int side = 32; side <= 4096 && out->pageSize == 0; side *= 2)
        if (packShelves(sizes, side, side, kFontSpacing, &placed, &why)) out->pageSize = side;
    if (out->pageSize == 0) {
        *error = "the glyphs do not fit a 4096 px page: " + why;
        return false;
    }
    out->page = Image(out->pageSize, out->pageSize);
    for (const Placement& p : placed) {
        BakedGlyph& g = out->glyphs[p.id - 32];
        g.x = p.x;
        g.y = p.y;
        out->page.paste(g.image, p.x, p.y);
    }
    if (FT_HAS_KERNING(face.get())) {
        for (uint32_t a = 32; a <= 126; ++a) {
            for (uint32_t b = 32; b <= 126; ++b) {
                FT_Vector k{};
                if (FT_Get_Kerning(face.get(), FT_Get_Char_Index(face.get(), a), FT_Get_Char_Index(face.get(), b),
                                   FT_KERNING_DEFAULT, &k) != 0)
                    continue;
                const int amount = pixels26(k.x);
                if (amount != 0) out->kernings.push_back(Kerning{a, b, amount});
            }
        }
    }
    return true;
}

std::string fntText(const BakedFont& font, uint32_t fontId) {
    auto n = [](int v) { return std::to_string(v); };
    std::string s =
        "info face=\"" + font.face + "\" size=" + n(font.size) + " bold=" + n(font.bold ? 1 : 0) +
        " italic=0 charset=\"\" unicode=1 stretchH=100 smooth=1 aa=1 padding=0,0,0,0 spacing=" + n(kFontSpacing) + "," +
        n(kFontSpacing) + " outline=" + n(kFontOutline) + "\n";
    s += "common lineHeight=" + n(font.lineHeight) + " base=" + n(font.base) + " scaleW=" + n(font.pageSize) +
         " scaleH=" + n(font.pageSize) + " pages=1 packed=0\n";
    s += "page id=0 file=\"QVModelFont_ID" + std::to_string(fontId) + ".png\"\n";
    s += "chars count=" + std::to_string(font.glyphs.size()) + "\n";
    for (const BakedGlyph& g : font.glyphs)
        s += "char id=" + std::to_string(g.id) + " x=" + n(g.x) + " y=" + n(g.y) + " width=" + n(g.image.width) +
             " height=" + n(g.image.height) + " xoffset=" + n(g.xoffset) + " yoffset=" + n(g.yoffset) +
             " xadvance=" + n(g.xadvance) + " page=0 chnl=15\n";
    if (!font.kernings.empty()) {
        s += "kernings count=" + std::to_string(font.kernings.size()) + "\n";
        for (const Kerning& k : font.kernings)
            s += "kerning first=" + std::to_string(k.first) + " second=" + std::to_string(k.second) +
                 " amount=" + n(k.amount) + "\n";
    }
    return s;
}

bool writeFont(const std::string& dataDir, uint32_t fontId, const BakedFont& font, std::string* error) {
    const std::string base = dataDir + "/fonts/QVModelFont_ID" + std::to_string(fontId);
    return writePng(font.page, base + ".png", error) && writeFile(base + ".fnt", fntText(font, fontId), error);
}

namespace {

const BakedGlyph* findGlyph(const BakedFont& font, char c) {
    const auto id = static_cast<uint32_t>(static_cast<unsigned char>(c));
    if (id < 32 || id > 126 || font.glyphs.size() != 95) return nullptr;
    return &font.glyphs[id - 32];
}

}  // namespace

int textWidth(const BakedFont& font, const std::string& text) {
    int width = 0;
    for (char c : text)
        if (const BakedGlyph* g = findGlyph(font, c)) width += g->xadvance;
    return width;
}

void drawText(Image& image, const BakedFont& font, const std::string& text, int x, int top) {
    for (char c : text) {
        const BakedGlyph* g = findGlyph(font, c);
        if (!g) continue;
        for (int y = 0; y < g->image.height; ++y)
            for (int gx = 0; gx < g->image.width; ++gx) {
                const uint8_t* p = g->image.pixel(gx, y);
                image.blend(x + g->xoffset + gx, top + g->yoffset + y, Colour{p[0], p[1], p[2], 255}, p[3] / 255.0f);
            }
        x += g->xadvance;
    }
}

Image drawCaptioned(const Look& look, const BakedFont& font, const std::string& caption) {
    Image out = drawLook(look);
    // A disc's caption keeps inside the square the disc holds; any caption
    // keeps 4 px from the edges. Wider text is drawn full size, then shrunk.
    const int room = (look.shape == LookShape::Circle ? out.width * 7 / 10 : out.width) - 8;
    const int width = textWidth(font, caption);
    if (width <= room || room < 1) {
        drawText(out, font, caption, (out.width - width) / 2, (out.height - font.lineHeight) / 2);
        return out;
    }
    Image text(width + 2 * kFontOutline, font.lineHeight);
    drawText(text, font, caption, kFontOutline, 0);
    const float scale = static_cast<float>(room) / static_cast<float>(text.width);
    const int w = room, h = std::max(1, static_cast<int>(std::lround(text.height * scale)));
    const int left = (out.width - w) / 2, top = (out.height - h) / 2;
    // Box filter over premultiplied colour.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int x0 = x * text.width / w, x1 = std::max(x0 + 1, (x + 1) * text.width / w);
            const int y0 = y * text.height / h, y1 = std::max(y0 + 1, (y + 1) * text.height / h);
            float sum[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < std::min(y1, text.height); ++sy) {
                for (int sx = x0; sx < std::min(x1, text.width); ++sx) {
                    const uint8_t* p = text.pixel(sx, sy);
                    const float a = p[3] / 255.0f;
                    for (int i = 0; i < 3; ++i) sum[i] += p[i] * a;
                    sum[3] += a;
                }
            }
            const float n = static_cast<float>((x1 - x0) * (y1 - y0));
            if (sum[3] <= 0.0f) continue;
            const Colour c{static_cast<uint8_t>(std::lround(sum[0] / sum[3])),
                           static_cast<uint8_t>(std::lround(sum[1] / sum[3])),
                           static_cast<uint8_t>(std::lround(sum[2] / sum[3])), 255};
            out.blend(left + x, top + y, c, sum[3] / n);
        }
    }
    return out;
}

}  // namespace samplegame
