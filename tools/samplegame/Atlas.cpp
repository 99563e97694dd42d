#include "Atlas.h"

#include <algorithm>
#include <map>

namespace samplegame {

bool packShelves(const std::vector<Placement>& sizes, int sheetWidth, int sheetHeight, int padding,
                 std::vector<Placement>* out, std::string* error) {
    out->clear();
    std::vector<Placement> order = sizes;
    std::sort(order.begin(), order.end(), [](const Placement& a, const Placement& b) {
        return a.height != b.height ? a.height > b.height : a.id < b.id;
    });
    int x = padding, y = padding, shelfHeight = 0;
    for (Placement p : order) {
        if (p.width < 1 || p.height < 1 || p.width > sheetWidth - 2 * padding) {
            *error = "sprite " + std::to_string(p.id) + " (" + std::to_string(p.width) + "x" +
                     std::to_string(p.height) + ") does not fit a " + std::to_string(sheetWidth) + "x" +
                     std::to_string(sheetHeight) + " sheet";
            out->clear();
            return false;
        }
        if (x + p.width + padding > sheetWidth) {
            x = padding;
            y += shelfHeight + padding;
            shelfHeight = 0;
        }
        if (y + p.height + padding > sheetHeight) {
            *error = "sprite " + std::to_string(p.id) + " does not fit on the " + std::to_string(sheetWidth) + "x" +
                     std::to_string(sheetHeight) + " sheet";
            out->clear();
            return false;
        }
        p.x = x;
        p.y = y;
        x += p.width + padding;
        shelfHeight = std::max(shelfHeight, p.height);
        out->push_back(p);
    }
    std::sort(out->begin(), out->end(), [](const Placement& a, const Placement& b) { return a.id < b.id; });
    return true;
}

namespace {

// Copies a frame's border one pixel out into its padding: a filtered draw
// that samples just past the frame then reads the edge's own colour, not the
// transparent gap, so tiles laid edge to edge show no seam.
void extrudeEdges(Image& sheet, const Placement& p) {
    for (int y = p.y - 1; y <= p.y + p.height; ++y) {
        for (int x = p.x - 1; x <= p.x + p.width; ++x) {
            const bool inside = x >= p.x && x < p.x + p.width && y >= p.y && y < p.y + p.height;
            if (inside || x < 0 || y < 0 || x >= sheet.width || y >= sheet.height) continue;
            const int sx = std::clamp(x, p.x, p.x + p.width - 1), sy = std::clamp(y, p.y, p.y + p.height - 1);
            std::copy_n(sheet.pixel(sx, sy), 4, sheet.pixel(x, y));
        }
    }
}

std::string pair(int a, int b) { return "{" + std::to_string(a) + "," + std::to_string(b) + "}"; }
std::string key(const std::string& k) { return "\t\t\t<key>" + k + "</key>\n"; }
std::string str(const std::string& v) { return "\t\t\t<string>" + v + "</string>\n"; }

}  // namespace

std::string atlasPlist(uint32_t atlasId, int sheetWidth, int sheetHeight, const std::vector<Placement>& frames) {
    const std::string texture = "atlas_ID" + std::to_string(atlasId) + ".png";
    std::string s =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<dict>\n\t<key>frames</key>\n\t<dict>\n";
    for (const Placement& f : frames) {
        s += "\t\t<key>QVModelSprite_ID" + std::to_string(f.id) + "</key>\n\t\t<dict>\n";
        s += key("frame") + str("{" + pair(f.x, f.y) + "," + pair(f.width, f.height) + "}");
        s += key("offset") + str("{0,0}");
        s += key("rotated") + "\t\t\t<false/>\n";
        s += key("sourceColorRect") + str("{{0,0}," + pair(f.width, f.height) + "}");
        s += key("sourceSize") + str(pair(f.width, f.height));
        s += "\t\t</dict>\n";
    }
    s += "\t</dict>\n\t<key>metadata</key>\n\t<dict>\n";
    s += "\t\t<key>format</key>\n\t\t<integer>2</integer>\n";
    s += "\t\t<key>realTextureFileName</key>\n\t\t<string>" + texture + "</string>\n";
    s += "\t\t<key>size</key>\n\t\t<string>" + pair(sheetWidth, sheetHeight) + "</string>\n";
    s += "\t\t<key>textureFileName</key>\n\t\t<string>" + texture + "</string>\n";
    s += "\t</dict>\n</dict>\n</plist>\n";
    return s;
}

bool writeSpriteImage(const std::string& dataDir, const AtlasSprite& sprite, std::string* error) {
    return writePng(sprite.image, dataDir + "/images/QVModelSprite_ID" + std::to_string(sprite.id) + ".png", error);
}

bool writeAtlas(const std::string& dataDir, uint32_t atlasId, int sheetWidth, int sheetHeight, int padding,
                const std::vector<AtlasSprite>& sprites, std::vector<Placement>* placed, std::string* error) {
    std::vector<Placement> sizes;
    std::map<uint32_t, const Image*> images;
    for (const AtlasSprite& s : sprites) {
        if (!images.emplace(s.id, &s.image).second) {
            *error = "sprite " + std::to_string(s.id) + " is twice in atlas " + std::to_string(atlasId);
            return false;
        }
        sizes.push_back(Placement{s.id, 0, 0, s.image.width, s.image.height});
    }
    if (!packShelves(sizes, sheetWidth, sheetHeight, padding, placed, error)) return false;
    Image sheet(sheetWidth, sheetHeight);
    for (const Placement& p : *placed) {
        sheet.paste(*images[p.id], p.x, p.y);
        if (padding >= 2) extrudeEdges(sheet, p);
    }
    const std::string base = dataDir + "/atlases/atlas_ID" + std::to_string(atlasId);
    if (!writePng(sheet, base + ".png", error)) return false;
    if (!writeFile(base + ".plist", atlasPlist(atlasId, sheetWidth, sheetHeight, *placed), error)) return false;
    for (const AtlasSprite& s : sprites)
        if (!writeSpriteImage(dataDir, s, error)) return false;
    return true;
}

}  // namespace samplegame
