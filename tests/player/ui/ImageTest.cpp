// Images and the loading bar: the bar's rectangles in its parent's
// coordinates whatever the node's transform or visibility, the image's
// opacity factor, autohide timing, and a finished one-shot animation that
// restart plays again from its first frame.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "frames/CCSpriteFrame.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelObjectLoadingBar.h"
#include "player/ui/QVPObjectImage.h"
#include "player/ui/QVPObjectLoadingBar.h"
#include "sprite/CCSprite.h"
#include "ui_test_support.h"

using namespace cocos2d;
using namespace uitest;

namespace {

class Images : public UiTest {
protected:
    std::shared_ptr<QVModelObjectImage> imageModel(unsigned frames) {
        auto model = registered<QVModelObjectImage>();
        if (frames > 0) attributeOf<QVAttributeSprite>(*model, "Image")->setValue(spriteContainer(frames));
        return model;
    }
    static CCSprite* spriteOf(QVPObjectImage* image) {
        return image->getChildrenCount() ? dynamic_cast<CCSprite*>(image->getChildren()->objectAtIndex(0)) : nullptr;
    }
};

void expectPoint(const CCPoint& actual, float x, float y) {
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
}

}  // namespace

// 400 x 4 around the node's position; the fill grows from the left edge.
// The node's rotation and scale do not reach the rectangles, and a hidden
// bar keeps them (and is still drawn). Progress outside 0..1 is clamped.
TEST_F(Images, BarRectanglesAreInTheParentsCoordinates) {
    auto model = registered<QVModelObjectLoadingBar>();
    model->setPosition(CCPoint(568.0f, 320.0f));
    model->setScale(CCPoint(2.0f, 3.0f));
    attributeOf<QVAttributeFloat>(*model, "Rotation")->setValue(30.0f);
    QVPObjectLoadingBar* bar = QVPObjectLoadingBar::create(model);
    EXPECT_EQ(bar->getRotation(), 30.0f);
    struct Row {
        float progress;
        float fillEnd;
    };
    for (bool hidden : {false, true}) {
        bar->setVisible(!hidden);
        for (const Row& row : {Row{0.0f, 368.0f}, Row{0.5f, 568.0f}, Row{1.0f, 768.0f}, Row{1.5f, 768.0f},
                               Row{-1.0f, 368.0f}, Row{std::nanf(""), 368.0f}}) {
            SCOPED_TRACE(testing::Message() << row.progress << (hidden ? " hidden" : ""));
            const QVPObjectLoadingBar::BarRectangles r = bar->barRectangles(row.progress);
            expectPoint(r.outline.origin, 368.0f, 318.0f);
            expectPoint(r.outline.destination, 768.0f, 322.0f);
            expectPoint(r.fill.origin, 368.0f, 318.0f);
            expectPoint(r.fill.destination, row.fillEnd, 322.0f);
        }
        bar->visit();
    }

    // The position follows the model's curve at each update.
    model->attribute("Position")->setAnimationCurves({curve({{0.0f, 0.0f}, {1.0f, 100.0f}}), nullptr}, 0);
    bar->update(0.5f);
    expectPoint(bar->barRectangles(0.25f).fill.destination, 518.0f, 322.0f);
    QVPObjectLoadingBar::create(nullptr)->update(1.0f);
}

// The factor multiplies the curve's opacity and only the product is
// clamped: 1.5 x 0.5 shows 191.
TEST_F(Images, OpacityFactorScalesTheModelsOpacity) {
    struct Row {
        float curveAdds;
        float factor;
        int expected;
    };
    for (const Row& row : {Row{0.0f, 1.0f, 255}, Row{0.0f, 0.5f, 127}, Row{0.5f, 0.5f, 191}, Row{0.5f, 1.0f, 255},
                           Row{-0.5f, 0.0f, 0}, Row{-0.75f, 1.0f, 63}}) {
        SCOPED_TRACE(testing::Message() << "1 + " << row.curveAdds << " x " << row.factor);
        auto model = imageModel(1);
        model->attribute("Opacity")->setAnimationCurves({curve({{0.0f, row.curveAdds}, {1.0f, row.curveAdds}})}, 0);
        QVPObjectImage* image = QVPObjectImage::create(model, 1.0f, true);
        image->setOpacityFactor(row.factor);
        image->update(0.1f);
        ASSERT_NE(spriteOf(image), nullptr);
        EXPECT_EQ(spriteOf(image)->getOpacity(), row.expected);
    }
}

// "Autohide" 2.5 starts the fade on the first update at which 2.5 s have
// passed; 2 s later the sprite is transparent, and the curve no longer
// sets it. "Autohide" 0 never fades.
TEST_F(Images, AutohideFadesAfterItsDelay) {
    for (float delay : {2.5f, 0.0f}) {
        SCOPED_TRACE(delay);
        auto model = imageModel(1);
        attributeOf<QVAttributeFloat>(*model, "Autohide")->setValue(delay);
        QVPObjectImage* image = QVPObjectImage::create(model, 1.0f, true);
        image->retain();
        image->onEnter();
        for (int i = 0; i < 4; ++i) image->update(0.6f);
        EXPECT_FALSE(image->isFadedOut());
        image->update(0.1f);  // 2.5 s
        EXPECT_EQ(image->isFadedOut(), delay > 0.0f);
        step(119);
        EXPECT_GT(spriteOf(image)->getOpacity(), delay > 0.0f ? 0 : 254);
        step(2);
        image->update(0.1f);
        EXPECT_EQ(spriteOf(image)->getOpacity(), delay > 0.0f ? 0 : 255);
        image->onExit();
        image->release();
    }
}

// A one-shot animation that has finished plays again from its first frame
// after restart, and finishes on its last frame again.
TEST_F(Images, RestartReplaysAFinishedOneShotAnimation) {
    auto model = imageModel(3);
    QVPObjectImage* image = QVPObjectImage::create(model, 1.0f, false);
    image->retain();
    image->onEnter();
    CCSprite* sprite = spriteOf(image);
    ASSERT_NE(sprite, nullptr);
    const auto container = model->visualModel();
    step(30);
    EXPECT_EQ(sprite->getActionByTag(kQVSpriteFrameActionTag), nullptr);
    EXPECT_TRUE(sprite->isFrameDisplayed(container->getSpriteFrame(2)));

    image->restart();
    EXPECT_NE(sprite->getActionByTag(kQVSpriteFrameActionTag), nullptr);
    step(1);
    EXPECT_TRUE(sprite->isFrameDisplayed(container->getSpriteFrame(0)));
    step(30);
    EXPECT_TRUE(sprite->isFrameDisplayed(container->getSpriteFrame(2)));

    image->setFrame(4);
    EXPECT_TRUE(sprite->isFrameDisplayed(container->getSpriteFrame(1)));
    image->onExit();
    image->release();

    QVPObjectImage* bare = QVPObjectImage::create(imageModel(0), 1.0f, true);
    EXPECT_EQ(bare->getChildrenCount(), 0u);
    EXPECT_EQ(bare->getContentSize(), CCSize(100, 100));
    bare->restart();
    bare->update(1.0f);
}
