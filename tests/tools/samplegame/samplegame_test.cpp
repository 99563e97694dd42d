// The game in build/samplegame, read by the player's own loader, and the
// tool that writes it: the listing and flow goldens, the start-up set, and
// byte-identical runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../../model/core/support/loader_fixture.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelControls.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelObjectPath.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/classes/QVModelSprite.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVNode.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModel.h"
#include "player/app/QVPAppDelegate.h"
#include "view/CCEGLView.h"

namespace {

const std::string kGame = std::string(QV_BINARY_DIR) + "/samplegame";
const std::string kGoldens = std::string(QV_SOURCE_DIR) + "/tests/fixtures/samplegame";

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The shell's exit status of a command line.
int run(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string tool() { return std::string(QV_BINARY_DIR) + "/bin/qvsamplegame"; }

std::string scratchDir() {
    char pattern[] = "/tmp/samplegame-test-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    return dir ? dir : "";
}

class Load : public modeltest::LoaderFixture {
protected:
    void loadGame(bool archive) {
        resetController({});
        loadAll(kGame, archive);
        ASSERT_EQ(controller()->lastError(), "");
    }
    // "models N" and one "<id> <class> <name>" line per model, as qvloadcheck prints.
    std::string listing() const {
        const auto models = controller()->modelsById();
        std::string out = "models " + std::to_string(models.size()) + "\n";
        for (const auto& model : models) {
            out += std::to_string(model->id()) + " " + model->className() + " " + model->name() + "\n";
        }
        return out;
    }
};

TEST_F(Load, FolderAndArchiveGiveTheGoldenModelsWithNoError) {
    const std::string expected = readText(kGoldens + "/models.expected");
    ASSERT_FALSE(expected.empty());
    for (const bool archive : {false, true}) {
        SCOPED_TRACE(archive ? "archive" : "folder");
        resetController({});
        const std::vector<int> percent = loadAll(kGame, archive);
        EXPECT_EQ(controller()->lastError(), "");
        ASSERT_FALSE(percent.empty());
        EXPECT_EQ(percent.back(), 100);
        EXPECT_EQ(listing(), expected);
        for (const auto& model : controller()->modelsById()) {
            EXPECT_GE(model->id(), 1001u);
            EXPECT_LE(model->id(), 1999u);
        }
    }
}

TEST_F(Load, StartUpReadRegistersOnlyTheLoadingScreenSet) {
    for (const bool archive : {false, true}) {
        SCOPED_TRACE(archive ? "archive" : "folder");
        resetController({});
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(kGame);
        controller()->archiveMode = archive;
        controller()->loadInitialData("data/data.pkg", qvformat::kStoredArchivePassword);
        EXPECT_EQ(controller()->lastError(), "");
        std::set<uint32_t> ids;
        for (const auto& model : controller()->modelsById()) ids.insert(model->id());
        EXPECT_EQ(ids, (std::set<uint32_t>{1001, 1020, 1500, 1501, 1502, 1503}));
    }
}

// Every "link" line of flow.expected resolves in the loaded game.
TEST_F(Load, EveryFlowLinkResolvesAsTheGolden) {
    resetController({});
    loadAll(kGame, true);
    ASSERT_EQ(controller()->lastError(), "");
    std::istringstream expected(readText(kGoldens + "/flow.expected"));
    size_t links = 0;
    for (std::string line; std::getline(expected, line);) {
        if (line.rfind("link ", 0) != 0) continue;
        SCOPED_TRACE(line);
        const size_t q1 = line.find('"'), q2 = line.find('"', q1 + 1);
        const std::string name = line.substr(q1 + 1, q2 - q1 - 1), rest = line.substr(q2 + 5);
        const auto node = modelKindCast<QVNode>(controller()->getModel(std::stoul(line.substr(5))));
        ASSERT_TRUE(node);
        const auto target = node->linkTarget(name);
        ASSERT_TRUE(target);
        EXPECT_EQ(target->id(), std::stoul(rest));
        ASSERT_TRUE(target->screenModel());
        EXPECT_EQ(target->screenModel()->id(), std::stoul(rest.substr(rest.find(" screen ") + 8)));
        ++links;
    }
    EXPECT_EQ(links, 11u);
}

// Every class of the schema and the settings have a model; the characters
// come in plan order; the components that make their own polygon keep the
// planned one; every label names the font; every plan link survives.
TEST_F(Load, EveryClassIsPresentAndThePlannedLinksAreBound) {
    resetController({});
    loadAll(kGame, false);
    ASSERT_EQ(controller()->lastError(), "");
    std::set<std::string> present;
    for (const auto& model : controller()->modelsById()) present.insert(model->className());
    std::istringstream classes(readText(std::string(QV_SOURCE_DIR) + "/tests/fixtures/classes/schema.classes"));
    size_t listed = 0;
    for (std::string name; std::getline(classes, name);) {
        if (name.empty()) continue;
        SCOPED_TRACE(name);
        EXPECT_EQ(present.count(name), 1u);
        ++listed;
    }
    EXPECT_EQ(listed, 71u);
    EXPECT_EQ(present.count("QVModelGeneralSettings"), 1u);

    std::vector<std::string> characters;
    for (const auto& c : controller()->getModels<QVModelAssetCharacter>()) characters.push_back(c->name());
    EXPECT_EQ(characters, (std::vector<std::string>{"Runner", "Dasher"}));

    // Component -> the polygon its "Collision Shape" must hold after loading.
    const std::pair<uint32_t, uint32_t> ownShapes[] = {{1858, 1859}, {1875, 1876}};
    for (const auto& row : ownShapes) {
        SCOPED_TRACE(row.first);
        const auto component = controller()->getModel(row.first);
        ASSERT_TRUE(component);
        const auto* shape = dynamic_cast<const QVAttributeModelLink*>(component->attribute("Collision Shape"));
        ASSERT_TRUE(shape && shape->linkedModel());
        EXPECT_EQ(shape->linkedModel()->id(), row.second);
        const auto polygon = modelKindCast<QVModelPolygon>(shape->linkedModel());
        ASSERT_TRUE(polygon);
        EXPECT_EQ(controller()->getModel(row.second), shape->linkedModel());
    }

    // Boxes are centred on their body; the ledge lets the runner jump through.
    for (const uint32_t id : {1300u, 1301u, 1302u, 1305u, 1306u}) {
        SCOPED_TRACE(id);
        const auto box = controller()->getModel<QVModelPolygon>(id);
        ASSERT_TRUE(box);
        ASSERT_EQ(box->points().size(), 4u);
        EXPECT_EQ(box->points()[0].x, -box->points()[2].x);
        EXPECT_EQ(box->points()[0].y, -box->points()[2].y);
        EXPECT_EQ(box->oneWayCollisionVector().y, id == 1302 ? 1.0f : 0.0f);
    }

    for (const auto& label : controller()->getModels<QVModelObjectLabel>()) {
        SCOPED_TRACE(label->id());
        EXPECT_EQ(label->fontId(), 1020);
        // Score texts grow to the right from their place; titles stay centred.
        EXPECT_EQ(label->textAlignment(),
                  label->action() == "kScoreVector" ? cocos2d::kCCTextAlignmentLeft : cocos2d::kCCTextAlignmentCenter);
        EXPECT_TRUE(controller()->getModel(static_cast<uint32_t>(label->fontId())));
    }
}

// One planned link of each reference kind, read back from the package.
TEST_F(Load, PlannedReferencesOfEveryKindAreBound) {
    ASSERT_NO_FATAL_FAILURE(loadGame(true));
    struct Row {
        uint32_t model;
        const char* attribute;
        uint32_t target;
    };
    const Row rows[] = {
        {1514, "Image", 1208},
        {1515, "Sound is OFF", 1216},
        {1510, "Music", 1035},
        {1516, "Unlock Button", 1289},
        {1516, "Unlock Yes", 1032},
        {1516, "Unlock No", 1033},
        {1320, "Default Animation", 1280},
        {1322, "Collision Shape", 1301},
        {1421, "Asset", 1322},
        {1912, "Reference", 1909},
        {1904, "Object A", 1901},
        {1904, "Object B", 1903},
        {1735, "Image", 1830},
        {1735, "Image Selected", 1829},
        {1974, "Asset", 1950},
        {1742, "Image", 1204},
        {1448, "Texture", 1219},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.model) + " " + row.attribute);
        const auto model = controller()->getModel(row.model);
        ASSERT_TRUE(model);
        const QVAttribute* attribute = model->attribute(row.attribute);
        ASSERT_TRUE(attribute);
        std::shared_ptr<QVModel> target;
        if (const auto* link = dynamic_cast<const QVAttributeModelLink*>(attribute)) {
            target = link->linkedModel();
        } else if (const auto* sprite = dynamic_cast<const QVAttributeSprite*>(attribute)) {
            target = sprite->valueModel();
        }
        ASSERT_TRUE(target);
        EXPECT_EQ(target->id(), row.target);
    }
}

// PUSH and the booster act along x only, a swipe up along y only: the other
// axis is marked empty, and the planned axis is not.
TEST_F(Load, OneAxisVelocitiesKeepTheOtherAxisEmpty) {
    ASSERT_NO_FATAL_FAILURE(loadGame(false));
    struct Row {
        uint32_t model;
        const char* attribute;
        bool xEmpty, yEmpty;
        float x, y;
    };
    for (const Row& row :
         {Row{1875, "Linear Velocity", true, false, 0, 4}, Row{1940, "Linear Velocity", false, true, 4, 0},
          Row{1930, "Linear Velocity Modifier", false, true, 6, 0}}) {
        SCOPED_TRACE(row.attribute);
        const auto model = controller()->getModel(row.model);
        ASSERT_TRUE(model);
        const auto* point = dynamic_cast<const QVBaseAttributePoint*>(model->attribute(row.attribute));
        ASSERT_TRUE(point && point->allowEmpty());
        EXPECT_EQ(point->isXEmpty(), row.xEmpty);
        EXPECT_EQ(point->isYEmpty(), row.yEmpty);
        EXPECT_EQ(point->value().x, row.x);
        EXPECT_EQ(point->value().y, row.y);
    }
}

// The view scrolls its game speed in points per 1/60 s; a character runs at
// most "Max Speed" metres (20 points) per second. A view faster than the
// slowest character leaves it on the frame's left edge, which pushes it,
// and an ended character with it.
TEST_F(Load, NoWorldScrollsFasterThanTheSlowestCharacterRuns) {
    ASSERT_NO_FATAL_FAILURE(loadGame(false));
    float slowest = 1e9f;
    for (const auto& character : controller()->getModels<QVModelAssetCharacter>()) {
        const auto gameplay = character->findComponent<QVModelComponentCharacterGameplaySettings>();
        ASSERT_TRUE(gameplay);
        slowest = std::min(slowest, gameplay->maxSpeed().x * 20 / 60);
    }
    const auto worlds = controller()->getModels<QVModelScreenScene>();
    ASSERT_EQ(worlds.size(), 2u);
    for (const auto& world : worlds) {
        SCOPED_TRACE(world->name());
        EXPECT_LE(world->gameSpeedMax(), slowest);
    }
}

// The main menu's title fades in over 1 s and drops 60 points into place
// over 0.8 s, both straight in time, in the idle state only.
TEST_F(Load, TheTitleFadesInAndDropsIntoPlace) {
    ASSERT_NO_FATAL_FAILURE(loadGame(true));
    const auto title = controller()->getModel<QVModelObjectLabel>(1511);
    ASSERT_TRUE(title);
    struct Row {
        float time, opacity, y;
    };
    for (const Row& row : {Row{0, 0, 620}, Row{0.2f, 0.2f, 605}, Row{0.4f, 0.4f, 590}, Row{0.8f, 0.8f, 560},
                           Row{1, 1, 560}, Row{3, 1, 560}}) {
        SCOPED_TRACE(row.time);
        EXPECT_NEAR(title->opacity(row.time, 0), row.opacity, 1e-5);
        EXPECT_NEAR(title->position(row.time, 0).y, row.y, 1e-3);
        EXPECT_EQ(title->position(row.time, 0).x, 568);
        EXPECT_EQ(title->opacity(row.time, 1), 1);
        EXPECT_EQ(title->position(row.time, 1).y, 560);
    }
}

// Every sprite of a container not excluded from atlases is on exactly one
// sheet, its frame inside the sheet, apart from the others by the padding,
// and the size the packs store equals the frame.
TEST_F(Load, AtlasFramesFitTheirSheetAndMatchTheSprites) {
    resetController({});
    loadAll(kGame, false);
    ASSERT_EQ(controller()->lastError(), "");
    std::map<uint32_t, int> sheetsOf;
    for (const auto& atlas : controller()->getModels<QVModelAtlas>()) {
        SCOPED_TRACE(atlas->id());
        std::vector<cocos2d::CCRect> frames;
        for (const auto& sprite : atlas->sprites()) {
            SCOPED_TRACE(sprite->id());
            ++sheetsOf[sprite->id()];
            const auto* rect = dynamic_cast<const QVAttributeRect*>(sprite->attribute("Source Rect"));
            ASSERT_TRUE(rect);
            const cocos2d::CCRect frame = rect->value();
            EXPECT_GT(frame.size.width, 0);
            EXPECT_GE(frame.origin.x, 0);
            EXPECT_GE(frame.origin.y, 0);
            EXPECT_LE(frame.origin.x + frame.size.width, atlas->width());
            EXPECT_LE(frame.origin.y + frame.size.height, atlas->height());
            EXPECT_EQ(sprite->size().width, frame.size.width);
            EXPECT_EQ(sprite->size().height, frame.size.height);
            EXPECT_EQ(sprite->sourceSize().width, frame.size.width);
            const float pad = atlas->padding();
            for (const cocos2d::CCRect& other : frames) {
                const bool apart = frame.origin.x >= other.origin.x + other.size.width + pad ||
                                   other.origin.x >= frame.origin.x + frame.size.width + pad ||
                                   frame.origin.y >= other.origin.y + other.size.height + pad ||
                                   other.origin.y >= frame.origin.y + frame.size.height + pad;
                EXPECT_TRUE(apart);
            }
            frames.push_back(frame);
        }
    }
    for (const auto& container : controller()->getModels<QVModelSpriteContainer>()) {
        const auto* excluded = dynamic_cast<const QVAttributeBool*>(container->attribute("Excluded From Atlas"));
        ASSERT_TRUE(excluded);
        for (const auto& child : container->children()) {
            SCOPED_TRACE(child->id());
            EXPECT_EQ(sheetsOf[child->id()], excluded->value() ? 0 : 1);
        }
    }
}

TEST(Deterministic, TwoRunsAndTheBuiltGameAreIdentical) {
    const std::string dir = scratchDir();
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(run(tool() + " " + dir + "/a >/dev/null"), 0);
    ASSERT_EQ(run(tool() + " " + dir + "/b >/dev/null"), 0);
    EXPECT_EQ(run("diff -r " + dir + "/a " + dir + "/b"), 0);
    EXPECT_EQ(run("diff -r " + dir + "/a " + kGame), 0);
    // A previous output is replaced in place.
    EXPECT_EQ(run(tool() + " " + dir + "/a >/dev/null"), 0);
    EXPECT_EQ(run("diff -r " + dir + "/a " + kGame), 0);
    run("rm -rf " + dir);
}

TEST(Deterministic, AForeignFolderIsRefusedAndLeftIntact) {
    const std::string dir = scratchDir();
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(run("mkdir " + dir + "/x && echo keep > " + dir + "/x/f"), 0);
    EXPECT_EQ(run(tool() + " " + dir + "/x 2>/dev/null"), 1);
    EXPECT_EQ(readText(dir + "/x/f"), "keep\n");
    EXPECT_EQ(run("test \"$(ls -A " + dir + "/x)\" = f && test \"$(ls -A " + dir + ")\" = x"), 0);
    EXPECT_EQ(run(tool() + " 2>/dev/null"), 2);
    run("rm -rf " + dir);
}

// The layout as windows from 4:3 to 21:9 show it, through the game's own
// screen adjustment and edge anchoring: every button, image and touch area
// of every screen lies whole in the visible area, and the Lab's controls
// keep off the Runner's lane (its frame's width, widened by half the
// Runner's placeholder) and, ahead of it, above every gadget (everything
// its sections place scrolls across the whole width, a path's unit along
// its points).
TEST_F(Load, EveryControlFitsEveryWindowShapeAndTheLabsKeepOffThePlay) {
    ASSERT_NO_FATAL_FAILURE(loadGame(false));
    const auto settings = QVModelGeneralSettings::shared();
    cocos2d::CCEGLView* view = cocos2d::CCDirector::sharedDirector()->getOpenGLView();
    const auto area = [](const QVModel& model) -> std::optional<cocos2d::CCRect> {
        cocos2d::CCPoint at;
        cocos2d::CCSize size(100, 100);
        if (const auto* image = dynamic_cast<const QVModelObjectImage*>(&model)) {
            at = image->stickToEdge() ? image->anchoredPosition(0, 0) : image->position(0, 0);
            size = image->placeholderSize(0);
        } else if (dynamic_cast<const QVModelObjectSwipeControl*>(&model) ||
                   model.type() == typeId<QVModelObjectManipulator>()) {
            at = static_cast<const QVBaseModelObject&>(model).position(0, 0);
        } else {
            return std::nullopt;
        }
        const cocos2d::CCPoint scale = static_cast<const QVBaseModelObject&>(model).scale(0, 0);
        size = cocos2d::CCSize(size.width * scale.x, size.height * scale.y);
        return cocos2d::CCRect(at.x - size.width / 2, at.y - size.height / 2, size.width, size.height);
    };
    const auto lab = controller()->getModel<QVModelScreenScene>(1760);
    const auto* runner = dynamic_cast<const QVModelObject*>(controller()->findModel(1900));
    ASSERT_TRUE(lab && runner);
    // Half the height of an object's shape (an instance's: its reference's),
    // else of its placeholder.
    const auto halfHeight = [](const QVModelObject& object) {
        const auto* instance = dynamic_cast<const QVBaseModelObjectInstance*>(&object);
        const auto shape =
            instance && instance->reference() ? instance->reference()->collisionShape() : object.collisionShape();
        if (!shape) return object.placeholderSize(0).height / 2;
        if (const auto* circle = dynamic_cast<const QVModelCircle*>(shape.get())) return circle->radius();
        float half = 0;
        for (const cocos2d::CCPoint& point : shape->points()) half = std::max(half, std::fabs(point.y));
        return half;
    };
    float gadgetsTop = 0;
    std::function<void(const QVModel&)> reach = [&](const QVModel& parent) {
        for (const auto& child : parent.children()) {
            const auto* object = dynamic_cast<const QVModelObject*>(child.get());
            if (!object || object == runner) continue;
            float rise = 0;
            for (const auto& sibling : parent.children()) {
                const auto* path = dynamic_cast<const QVBaseModelObjectPath*>(sibling.get());
                if (!path || path == object || !(path->position(0, 0) == object->position(0, 0))) continue;
                for (const cocos2d::CCPoint& point : path->points()) rise = std::max(rise, point.y);
            }
            gadgetsTop =
                std::max(gadgetsTop, object->position(0, 0).y + rise + halfHeight(*object) * object->scale(0, 0).y);
            reach(*child);
        }
    };
    for (const auto& section : lab->children()) {
        if (dynamic_cast<const QVModelLevelSection*>(section.get())) reach(*section);
    }
    for (const cocos2d::CCSize& window : {cocos2d::CCSize(800, 600), cocos2d::CCSize(1440, 900),
                                          cocos2d::CCSize(1136, 640), cocos2d::CCSize(1280, 540)}) {
        SCOPED_TRACE(testing::Message() << window.width << "x" << window.height);
        view->setFrameSize(window.width, window.height);
        view->setDesignResolutionSize(
            1136, 640,
            QVPAppDelegate::resolutionPolicy(static_cast<int>(settings->screenAdjustment()),
                                             static_cast<int>(settings->orientation()), window));
        const cocos2d::CCRect visible(view->getVisibleOrigin().x, view->getVisibleOrigin().y,
                                      view->getVisibleSize().width, view->getVisibleSize().height);
        for (const auto& screen : controller()->getModels<QVModelScreen>()) {
            for (const auto& child : screen->children()) {
                const auto rect = area(*child);
                if (!rect) continue;
                SCOPED_TRACE(screen->name() + ": " + child->name());
                EXPECT_GE(rect->getMinX(), visible.getMinX());
                EXPECT_GE(rect->getMinY(), visible.getMinY());
                EXPECT_LE(rect->getMaxX(), visible.getMaxX());
                EXPECT_LE(rect->getMaxY(), visible.getMaxY());
                if (screen->id() != 1730 || !dynamic_cast<const QVModelObject*>(child.get()) ||
                    child->type() == typeId<QVModelObjectImage>()) {
                    continue;
                }
                const float half = runner->placeholderSize(0).width / 2, frameX = lab->objectFrameRect().origin.x;
                const float laneLeft = frameX * visible.size.width - half;
                const float laneRight = (frameX + lab->objectFrameRect().size.width) * visible.size.width + half;
                // Left of the lane only what the Runner has passed goes by.
                EXPECT_TRUE(rect->getMaxX() < laneLeft || rect->getMinX() > laneRight)
                    << "the Runner's lane is x " << laneLeft << " to " << laneRight;
                if (rect->getMinX() > laneRight) {
                    EXPECT_GT(rect->getMinY(), gadgetsTop);
                }
            }
        }
    }
}

}  // namespace
