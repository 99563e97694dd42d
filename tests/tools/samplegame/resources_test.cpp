// The files of build/samplegame as the player reads them: every media path a
// model names, the font's coverage of the game's texts, and the package entry
// by entry. The fixed files are checked beside their writer (media_test.cpp).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "../../model/core/archive/ZipBytes.h"
#include "../../model/core/support/loader_fixture.h"
#include "audio/AudioInternal.h"
#include "label/BMFontParser.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelSprite.h"
#include "model/core/QVArchiveReader.h"
#include "model/core/QVAttributeValue.h"
#include "textures/CCImage.h"

namespace {

const std::string kGame = std::string(QV_BINARY_DIR) + "/samplegame";

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path) { return std::ifstream(path, std::ios::binary).good(); }

// Decodes a PNG of the game (a path below it); its size, or (0, 0).
std::pair<int, int> pngSize(const std::string& rel) {
    const std::vector<unsigned char> bytes = readBytes(kGame + "/" + rel);
    cocos2d::CCImage image;
    if (bytes.empty() || !image.decodePng(bytes.data(), bytes.size(), false)) {
        ADD_FAILURE() << rel << ": " << image.lastError();
        return {0, 0};
    }
    return {image.getWidth(), image.getHeight()};
}

class GameFiles : public modeltest::LoaderFixture {
protected:
    void SetUp() override {
        resetController({});
        loadAll(kGame, false);
        ASSERT_EQ(controller()->lastError(), "");
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(kGame);
    }
};
class Resources : public GameFiles {};
class Font : public GameFiles {};
class Package : public GameFiles {};

}  // namespace

TEST_F(Resources, EveryMediaPathAModelNamesExistsAndDecodes) {
    const auto sprites = controller()->getModels<QVModelSprite>();
    ASSERT_FALSE(sprites.empty());
    for (const auto& sprite : sprites) {
        SCOPED_TRACE(sprite->imagePath());
        const auto size = pngSize(sprite->imagePath());
        EXPECT_EQ(size.first, static_cast<int>(sprite->size().width));
        EXPECT_EQ(size.second, static_cast<int>(sprite->size().height));
    }
    const auto sounds = controller()->getModels<QVModelSound>();
    ASSERT_EQ(sounds.size(), 6u);
    for (const auto& sound : sounds) {
        SCOPED_TRACE(sound->filePath());
        std::string error;
        const auto pcm = cocos2d::audio::decodeMp3(readBytes(kGame + "/" + sound->filePath()),
                                                   cocos2d::audio::kMaxSoundBytes, &error);
        ASSERT_TRUE(pcm) << error;
        EXPECT_EQ(pcm->rate, 44100);
        EXPECT_GT(pcm->frames(), 0u);
    }
}

// Every letter a label or the character selector shows, and the digits and
// minus of score and price texts, has a glyph in the game's font.
TEST_F(Font, HasEveryCharacterTheGameShows) {
    std::string shown = "0123456789-";
    for (const auto& label : controller()->getModels<QVModelObjectLabel>()) {
        if (label->action() != "kCustomVector") continue;
        const auto* text = dynamic_cast<const QVAttributeString*>(label->attribute("Text"));
        ASSERT_TRUE(text);
        shown += text->value();
    }
    for (const auto& character : controller()->getModels<QVModelAssetCharacter>()) shown += character->name();
    ASSERT_NE(shown.find("SAMPLE RUNNER"), std::string::npos);
    ASSERT_NE(shown.find("Dasher"), std::string::npos);

    const auto fonts = controller()->getModels<QVModelFont>();
    ASSERT_EQ(fonts.size(), 1u);
    const std::vector<unsigned char> fnt = readBytes(kGame + "/" + fonts[0]->filePath());
    cocos2d::bmfont::Font font;
    std::string error;
    ASSERT_TRUE(cocos2d::bmfont::parse(reinterpret_cast<const char*>(fnt.data()), fnt.size(), fonts[0]->filePath(),
                                       &font, &error))
        << error;
    ASSERT_EQ(font.pages.size(), 1u);
    EXPECT_TRUE(fileExists(kGame + "/data/fonts/" + font.pages[0])) << font.pages[0];
    for (const unsigned char c : std::set<unsigned char>(shown.begin(), shown.end())) {
        SCOPED_TRACE(std::string("character '") + static_cast<char>(c) + "'");
        const cocos2d::bmfont::Glyph* glyph = font.glyph(c);
        ASSERT_NE(glyph, nullptr);
        EXPECT_GT(glyph->xadvance, 0);
        if (c != ' ') {
            EXPECT_GT(glyph->width, 0);
        }
    }
}

// Keys.pack, every attributes pack, then every connections pack, in the
// registry's class order and by pack number; each entry encrypted, deflated,
// stamped with the writer's fixed date, and equal to its folder file.
TEST_F(Package, EntriesAreTheFolderPacksInLoadOrder) {
    std::vector<std::string> expected = {"Keys.pack"};
    for (const char* kind : {"attributes", "connections"}) {
        for (const std::string& className : QVModelController::classNames()) {
            for (int n = 0;; ++n) {
                const std::string name = className + "." + std::to_string(n) + "." + kind + ".pack";
                if (!fileExists(kGame + "/data/" + name)) break;
                expected.push_back(name);
            }
        }
    }
    ASSERT_GT(expected.size(), 100u);
    const std::string pkg = kGame + "/data/data.pkg";
    const zipbytes::Bytes bytes = readBytes(pkg);
    std::vector<std::string> names;
    for (const zipbytes::Entry& e : zipbytes::entries(bytes)) {
        SCOPED_TRACE(e.name);
        names.push_back(e.name);
        EXPECT_EQ(zipbytes::get16(bytes, e.central + 8) & 0x9u, 0x1u) << "encrypted, no data descriptor";
        EXPECT_EQ(zipbytes::get16(bytes, e.central + 10), 8u) << "deflated";
        // 2025-04-06 13:33:20 as DOS time and date.
        EXPECT_EQ(zipbytes::get16(bytes, e.central + 12), (13u << 11) | (33u << 5) | (20u / 2));
        EXPECT_EQ(zipbytes::get16(bytes, e.central + 14), ((2025u - 1980u) << 9) | (4u << 5) | 6u);
    }
    EXPECT_EQ(names, expected);

    const std::string password = QVModelController::decodeArchivePassword(qvformat::kStoredArchivePassword);
    QVArchiveReader reader(pkg);
    for (const std::string& name : expected) {
        SCOPED_TRACE(name);
        std::vector<unsigned char> out;
        ASSERT_TRUE(reader.readFile(name, out, password));
        EXPECT_EQ(out, readBytes(kGame + "/data/" + name));
    }
}

// The check byte lets a wrong password through once in 256 entries; the
// read then fails on the data instead.
TEST_F(Package, AWrongPasswordFailsEveryPackageEntry) {
    QVArchiveReader reader(kGame + "/data/data.pkg");
    size_t entries = 0;
    for (const zipbytes::Entry& e : zipbytes::entries(readBytes(kGame + "/data/data.pkg"))) {
        SCOPED_TRACE(e.name);
        ++entries;
        std::vector<unsigned char> out;
        std::string error = "no error";
        try {
            reader.readFile(e.name, out, "rzQKcR5azqXhHMi");
        } catch (const std::exception& x) {
            error = x.what();
        }
        const bool wrongPassword = error.size() > 10 && error.compare(error.size() - 10, 10, " Error P17") == 0;
        const bool badArchive = error.size() > 12 && error.compare(error.size() - 12, 12, " Bad archive") == 0;
        EXPECT_TRUE(wrongPassword || badArchive) << error;
        EXPECT_TRUE(out.empty());
    }
    EXPECT_GT(entries, 100u);
}
