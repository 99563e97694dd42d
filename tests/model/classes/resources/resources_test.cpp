// Resource models against small media written for each test under a
// scratch resource root: paths, textures, frames from an atlas, animated
// sprites, frame choice at a time, labels, the child lists, and animations
// rebuilt from a sprite container.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "../../../engine/textures/PngTestUtil.h"
#include "../../core/support/model_test_support.h"
#include "actions/CCActionInterval.h"
#include "base/CCAutoreleasePool.h"
#include "frames/CCSpriteFrame.h"
#include "frames/CCSpriteFrameCache.h"
#include "label/CCBMFontConfiguration.h"
#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelSprite.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelListener.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"
#include "textures/CCTextureCache.h"

using namespace cocos2d;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// A subclass of the sprite, which the exact-class lists must leave out.
class DerivedSprite : public QVModelSprite {
    QV_MODEL_GLUE(DerivedSprite, "", QVModelSprite, QVModel)
public:
    explicit DerivedSprite(const std::string& name) : QVModelSprite(name) {}
    DerivedSprite(const DerivedSprite& source) : QVModelSprite(source) {}
};

struct ValueCounter : QVModelListener {
    void attributeChanged(QVAttribute*, int kind) override { values += kind == 0; }
    int values = 0;
};

class Resources : public ::testing::Test {
protected:
    Resources()
        : root(std::string("classes_resources_") + testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    ~Resources() override {
        CCSpriteFrameCache::purgeSharedSpriteFrameCache();
        CCTextureCache::purgeSharedTextureCache();
        FNTConfigRemoveCache();
        QVModelController::shared()->clear();
        CCPoolManager::sharedPoolManager()->finalize();
    }

    static std::shared_ptr<QVModelSprite> sprite(float sourceW, float sourceH) {
        auto s = QVModelSprite::create();
        static_cast<QVAttributeSize*>(s->attribute("Size"))->setValue(CCSize(sourceW / 2, sourceH / 2));
        static_cast<QVAttributeSize*>(s->attribute("SourceSize"))->setValue(CCSize(sourceW, sourceH));
        return s;
    }
    // A container of `count` sprites; sprite i has source size (i+1)*10.
    static std::shared_ptr<QVModelSpriteContainer> container(unsigned count, float speed = 1.0f) {
        auto c = QVModelSpriteContainer::create();
        static_cast<QVAttributeFloat*>(c->attribute("Animation Speed"))->setValue(speed);
        for (unsigned i = 0; i < count; ++i) c->addChild(sprite(10.0f * (i + 1), 10.0f * (i + 1)));
        return c;
    }
    // An atlas of the container's sprites, 8 x 8 each along the top row of a
    // 128 x 128 sheet, loaded into the frame cache as the player does.
    void loadAtlas(const QVModelSpriteContainer& c) {
        auto atlas = QVModelAtlas::create();
        std::string frames;
        int x = 0;
        for (const auto& s : c.sprites()) {
            frames += "<key>" + s->frameName() + "</key><dict><key>frame</key><string>{{" + std::to_string(x) +
                      ",0},{8,8}}</string><key>offset</key><string>{0,0}</string><key>sourceSize</key><string>{8,8}"
                      "</string></dict>";
            x += 8;
        }
        const std::string plist =
            "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>frames</key><dict>" + frames +
            "</dict><key>metadata</key><dict><key>format</key><integer>2</integer><key>textureFileName</key><string>"
            "atlas_ID" +
            std::to_string(atlas->id()) + ".png</string></dict></dict></plist>\n";
        pngtest::writeFile(root.path(atlas->plistPath()), plist);
        pngtest::writeFile(root.path(atlas->imagePath()), pngtest::solid(128, 128, 255, 255, 255, 255));
        CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFramesWithFile(atlas->plistPath().c_str());
    }
    static float delayOf(CCAction* action) {
        CCActionInterval* inner = nullptr;
        if (auto* forever = dynamic_cast<CCRepeatForever*>(action)) inner = forever->getInnerAction();
        if (auto* repeat = dynamic_cast<CCRepeat*>(action))
            inner = static_cast<CCActionInterval*>(repeat->getInnerAction());
        auto* animate = dynamic_cast<CCAnimate*>(inner);
        return animate ? animate->getAnimation()->getDelayPerUnit() : kNaN;
    }

    pngtest::ScratchRoot root;
};

TEST_F(Resources, PathsUseTheDataPathAndUnsignedIds) {
    auto s = QVModelSprite::create();
    auto sound = QVModelSound::create();
    auto font = QVModelFont::create();
    auto atlas = QVModelAtlas::create();
    s->setId(3000000000u);
    sound->setId(4294967294u);
    font->setId(2147483648u);
    atlas->setId(12);
    EXPECT_EQ(s->imagePath(), "data/images/QVModelSprite_ID3000000000.png");
    EXPECT_EQ(s->effectsPath(), "data/effects/QVModelSprite_ID3000000000.png");
    EXPECT_EQ(s->frameName(), "QVModelSprite_ID3000000000");
    EXPECT_EQ(sound->filePath(), "data/sounds/QVModelSound_ID4294967294.mp3");
    EXPECT_EQ(font->filePath(), "data/fonts/QVModelFont_ID2147483648.fnt");
    EXPECT_EQ(atlas->imagePath(), "data/atlases/atlas_ID12.png");
    EXPECT_EQ(atlas->plistPath(), "data/atlases/atlas_ID12.plist");
}

// The effects file wins over the image; a missing file is looked for again
// next time; nothing at all gives null.
TEST_F(Resources, TextureTakesTheEffectsFileFirst) {
    auto s = QVModelSprite::create();
    EXPECT_EQ(s->texture(), nullptr);
    pngtest::writeFile(root.path(s->imagePath()), pngtest::solid(2, 2, 1, 2, 3, 255));
    CCTexture2D* image = s->texture();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->getPixelsWide(), 2u);
    pngtest::writeFile(root.path(s->effectsPath()), pngtest::solid(4, 4, 1, 2, 3, 255));
    CCTexture2D* effects = s->texture();
    ASSERT_NE(effects, nullptr);
    EXPECT_EQ(effects->getPixelsWide(), 4u);
    EXPECT_EQ(s->texture(), effects);
}

// One sprite runs no action; three run the frames under tag 76, for ever or
// once, with the delay from both speeds. The caller holds one reference
// beside the pool's.
TEST_F(Resources, GetSpriteAnimatesSeveralSprites) {
    const struct {
        unsigned count;
        float animationSpeed, factor;
        bool loop;
        double delay;
    } rows[] = {
        {1, 1.0f, 1.0f, true, 0.0},         {3, 1.0f, 1.0f, true, 1.0 / 30.0},  {3, 2.0f, 1.0f, true, 1.0 / 60.0},
        {3, 2.0f, 1.0f, false, 1.0 / 60.0}, {3, 1.0f, 0.2f, false, 5.0 / 30.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.count << " at " << row.animationSpeed << " x " << row.factor);
        auto c = container(row.count, row.animationSpeed);
        loadAtlas(*c);
        CCSprite* shown = c->getSprite(row.factor, row.loop);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->retainCount(), 2u);
        EXPECT_EQ(shown->getAnchorPoint().x, 0.5f);
        CCAction* action = shown->getActionByTag(kQVSpriteFrameActionTag);
        EXPECT_EQ(shown->numberOfRunningActions(), row.count > 1 ? 1u : 0u);
        if (row.count > 1) {
            ASSERT_NE(action, nullptr);
            EXPECT_EQ(dynamic_cast<CCRepeatForever*>(action) != nullptr, row.loop);
            EXPECT_EQ(dynamic_cast<CCRepeat*>(action) != nullptr, !row.loop);
            EXPECT_NEAR(delayOf(action), row.delay, 1e-7);
        }
        shown->release();
    }
}

// Speeds that make the delay zero, negative or NaN still give a sprite whose
// action steps without hanging.
TEST_F(Resources, GetSpriteWithDegenerateSpeedsReturns) {
    for (float speed : {0.0f, -1.0f, kNaN}) {
        SCOPED_TRACE(speed);
        auto c = container(3, speed);
        loadAtlas(*c);
        for (bool loop : {true, false}) {
            CCSprite* shown = c->getSprite(1.0f, loop);
            ASSERT_NE(shown, nullptr);
            CCAction* action = shown->getActionByTag(kQVSpriteFrameActionTag);
            ASSERT_NE(action, nullptr);
            for (int i = 0; i < 5; ++i) action->step(1.0f / 60.0f);
            shown->release();
        }
    }
}

TEST_F(Resources, GetSpriteLogsWhatIsMissing) {
    modeltest::LogCapture log;
    EXPECT_EQ(container(0)->getSprite(1.0f, true), nullptr);
    EXPECT_TRUE(log.has("QVBaseModelSpriteContainer::getSprite - no sprites are contained"));
    EXPECT_EQ(container(2)->getSprite(1.0f, true), nullptr);  // no atlas loaded
    EXPECT_TRUE(log.has("QVBaseModelSpriteContainer::getSprite - a sprite model does not contain a sprite"));
    EXPECT_EQ(container(0)->getSpriteFrame(0), nullptr);
    EXPECT_TRUE(log.has("QVBaseModelSpriteContainer::getSpriteFrame - no sprites are contained"));
}

// The frame shown at a time; products that are negative, not finite or past
// 2^32 pick a defined frame.
TEST_F(Resources, FrameAtATime) {
    const struct {
        unsigned count;
        float speed, time;
        unsigned index;
    } rows[] = {
        {3, 1.0f, 0.0f, 0},
        {3, 1.0f, 0.05f, 1},
        {3, 1.0f, 0.25f, 1},
        {3, 2.0f, 0.05f, 0},
        {3, -1.0f, 1.0f, 0},
        {3, 1.0f, -0.5f, 0},
        {3, kNaN, 1.0f, 0},
        {3, kInf, 1.0f, 0},
        {3, 1.0f, kInf, 0},
        {3, -kInf, 1.0f, 0},
        // 2^40 x 30 frames: 2^40 = 2 and 30 = 2 (mod 7).
        {7, 1099511627776.0f, 1.0f, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.count << " sprites, speed " << row.speed << ", t " << row.time);
        auto c = container(row.count, row.speed);
        const float side = 10.0f * (row.index + 1);
        EXPECT_EQ(c->spriteSize(row.time).width, side);
        EXPECT_EQ(c->sizeAt(row.time).height, side / 2);
    }
    EXPECT_EQ(container(0)->spriteSize(1.0f).width, 0.0f);
    EXPECT_EQ(container(0)->sizeAt(1.0f).width, 0.0f);
}

TEST_F(Resources, FramesWrapAndTexturesDoNot) {
    auto c = container(3);
    loadAtlas(*c);
    pngtest::writeFile(root.path(c->sprites()[2]->imagePath()), pngtest::solid(2, 2, 1, 2, 3, 255));
    ASSERT_NE(c->sprites()[2]->spriteFrame(), nullptr);
    EXPECT_EQ(c->getSpriteFrame(5), c->sprites()[2]->spriteFrame());
    EXPECT_EQ(c->getSpriteFrame(1), c->sprites()[1]->spriteFrame());
    EXPECT_NE(c->getTexture(2), nullptr);
    EXPECT_EQ(c->getTexture(5), nullptr);
    EXPECT_EQ(c->getTexture(0), nullptr);  // no file of its own
}

TEST_F(Resources, LabelOfTheFontFileIsTheCallers) {
    auto font = QVModelFont::create();
    EXPECT_EQ(font->createLabel(), nullptr);  // no file: deleted, not leaked
    pngtest::writeFile(root.path(font->filePath()),
                       std::string("info face=\"T\" size=10\ncommon lineHeight=12 base=10 scaleW=16 scaleH=16 pages=1\n"
                                   "page id=0 file=\"page.png\"\nchars count=1\n"
                                   "char id=48 x=0 y=0 width=8 height=10 xoffset=0 yoffset=0 xadvance=8 page=0\n"));
    pngtest::writeFile(root.path("data/fonts/page.png"), pngtest::solid(16, 16, 255, 255, 255, 255));
    CCLabelBMFont* label = font->createLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->retainCount(), 1u);
    CCPoolManager::sharedPoolManager()->finalize();  // not autoreleased: survives
    EXPECT_STREQ(label->getString(), "0");
    EXPECT_EQ(label->getAnchorPoint().x, 0.0f);
    EXPECT_EQ(label->getAnchorPoint().y, 0.5f);
    EXPECT_EQ(label->getAlignment(), kCCTextAlignmentLeft);
    label->release();
}

// Container and atlas list children of exactly class QVModelSprite; the
// animation lists object models of any class.
TEST_F(Resources, ChildListsTakeTheirClassesOnly) {
    auto c = QVModelSpriteContainer::create();
    auto atlas = QVModelAtlas::create();
    auto animation = QVModelAnimation::create();
    auto a = QVModelSprite::create();
    auto b = QVModelSprite::create();
    auto derived = DerivedSprite::create();
    auto sound = QVModelSound::create();
    auto object = QVModelObject::create();
    auto image = QVModelObjectImage::create();
    for (const std::shared_ptr<QVModel>& child : std::vector<std::shared_ptr<QVModel>>{a, derived, sound, b, object}) {
        c->addChild(child);
        atlas->addChild(child);
    }
    for (const std::shared_ptr<QVModel>& child : std::vector<std::shared_ptr<QVModel>>{a, object, sound, image}) {
        animation->addChild(child);
    }
    const std::vector<std::shared_ptr<QVModelSprite>> sprites{a, b};
    EXPECT_EQ(c->sprites(), sprites);
    EXPECT_EQ(atlas->sprites(), sprites);
    EXPECT_EQ(animation->objects(), (std::vector<std::shared_ptr<QVModelObject>>{object, image}));
    EXPECT_EQ(animation->objectAt(1), image);
    EXPECT_EQ(animation->objectAt(2), nullptr);

    c->removeChild(a);
    atlas->removeChild(derived);
    EXPECT_EQ(c->sprites(), (std::vector<std::shared_ptr<QVModelSprite>>{b}));
    EXPECT_EQ(atlas->sprites(), sprites);
    atlas->removeAllChildren();
    EXPECT_TRUE(atlas->sprites().empty());

    animation->removeAllObjects();
    EXPECT_TRUE(animation->objects().empty());
    EXPECT_EQ(animation->children().size(), 2u);  // the sprite and the sound stay

    ValueCounter counter;
    animation->addListener(&counter);
    animation->setDuration(2.0f);
    animation->setDuration(2.0f);
    EXPECT_EQ(counter.values, 1);
    animation->removeListener(&counter);
}

// 45 frames last 1.5 s, no container leaves the 3 s default; a second call
// replaces the frames; every model made is registered.
TEST_F(Resources, SetAnimationBuildsRegisteredFrames) {
    QVModelController* controller = QVModelController::shared();
    auto owner = QVModelObject::create();
    QVAttributeAnimation attribute("Animation", owner.get());
    attribute.setLoop(false);
    attribute.setAnimation(nullptr);
    std::shared_ptr<QVModelAnimation> animation = attribute.model();
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(controller->getModel(animation->id()), animation);
    EXPECT_FLOAT_EQ(animation->duration(), 3.0f);
    EXPECT_FALSE(animation->loop());
    EXPECT_TRUE(animation->objects().empty());

    auto many = container(45);
    attribute.setAnimation(many);
    EXPECT_EQ(attribute.model(), animation);
    EXPECT_EQ(attribute.sprite(), many);
    EXPECT_FLOAT_EQ(animation->duration(), 1.5f);
    ASSERT_EQ(animation->objects().size(), 1u);
    auto first = modelCast<QVModelObjectImage>(animation->objectAt(0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->image(), many);
    EXPECT_EQ(first->visualModel(), many);
    EXPECT_EQ(controller->getModel(first->id()), first);

    auto few = container(3);
    attribute.setAnimation(few);
    ASSERT_EQ(animation->objects().size(), 1u);
    EXPECT_FALSE(animation->hasChild(first));
    EXPECT_EQ(modelCast<QVModelObjectImage>(animation->objectAt(0))->image(), few);
    EXPECT_FLOAT_EQ(animation->duration(), 0.1f);
}

// The image shows its container, sizes its placeholder by it, and hands its
// name on to it.
TEST_F(Resources, ImageNamesAndSizesItsContainer) {
    auto image = QVModelObjectImage::create();
    EXPECT_TRUE(image->stickToEdge());
    EXPECT_EQ(image->placeholderSize(0.0f).width, 100.0f);
    auto c = container(2);
    image->setImage(c);
    EXPECT_EQ(image->placeholderSize(0.05f).width, 20.0f);
    image->setName("Logo");
    EXPECT_EQ(c->name(), "Logo");
    ValueCounter counter;
    image->addListener(&counter);
    image->setStickToEdge(true);
    image->setStickToEdge(false);
    EXPECT_EQ(counter.values, 1);
    image->removeListener(&counter);
    auto copy = std::static_pointer_cast<QVModelObjectImage>(image->clone(false, false));
    EXPECT_EQ(copy->image(), c);
    EXPECT_FALSE(copy->stickToEdge());
}

}  // namespace
