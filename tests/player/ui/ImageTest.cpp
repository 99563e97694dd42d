// Images and the loading bar: the bar's rectangles in its parent's
// coordinates whatever its transform or visibility, the opacity factor,
// autohide timing, and restart of a finished one-shot animation.
#include <cmath>

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
    // Retained and running (actions run only on running nodes).
    QVPObjectImage* image(unsigned frames, bool loop = true, float autohide = 0.0f) {
        auto model = registered<QVModelObjectImage>();
        if (frames) attr<QVAttributeSprite>(*model, "Image")->setValue(spriteContainer(frames));
        attr(*model, "Autohide")->setValue(autohide);
        QVPObjectImage* made = QVPObjectImage::create(model, 1.0f, loop);
        made->retain();
        made->onEnter();
        return made;
    }
    static void done(QVPObjectImage* made) { made->onExit(), made->release(); }
    static CCSprite* sprite(QVPObjectImage* made) {
        return static_cast<CCSprite*>(made->getChildren()->objectAtIndex(0));
    }
};

}  // namespace

TEST_F(Images, BarRectanglesAreInTheParentsCoordinates) {
    auto model = registered<QVModelObjectLoadingBar>();
    model->setPosition(CCPoint(568.0f, 320.0f));
    model->setScale(CCPoint(2.0f, 3.0f));
    attr(*model, "Rotation")->setValue(30.0f);
    QVPObjectLoadingBar* bar = QVPObjectLoadingBar::create(model);
    // Progress, and where the fill then ends.
    const std::pair<float, float> rows[] = {{0.0f, 368.0f}, {0.5f, 568.0f},  {1.0f, 768.0f},
                                            {1.5f, 768.0f}, {-1.0f, 368.0f}, {std::nanf(""), 368.0f}};
    for (bool visible : {true, false}) {
        bar->setVisible(visible);
        for (const auto& [progress, fillEnd] : rows) {
            SCOPED_TRACE(testing::Message() << progress << visible);
            const auto r = bar->barRectangles(progress);
            EXPECT_EQ(r.outline.origin, CCPoint(368.0f, 318.0f));
            EXPECT_EQ(r.outline.destination, CCPoint(768.0f, 322.0f));
            EXPECT_EQ(r.fill.origin, CCPoint(368.0f, 318.0f));
            EXPECT_EQ(r.fill.destination, CCPoint(fillEnd, 322.0f));
        }
        bar->visit();
    }
    model->attribute("Position")->setAnimationCurves({curve({{0.0f, 0.0f}, {1.0f, 100.0f}}), nullptr}, 0);
    bar->update(0.5f);  // the node follows the curve
    EXPECT_EQ(bar->barRectangles(0.25f).fill.destination, CCPoint(518.0f, 322.0f));
}

// Only the product is clamped: 1.5 x 0.5 shows 191.
TEST_F(Images, OpacityFactorScalesTheModelsOpacity) {
    for (const auto& [added, factor, expected] :
         {std::tuple{0.0f, 0.5f, 127}, {0.5f, 0.5f, 191}, {0.5f, 1.0f, 255}, {-0.75f, 1.0f, 63}, {-0.5f, 0.0f, 0}}) {
        SCOPED_TRACE(testing::Message() << added << ' ' << factor);
        QVPObjectImage* made = image(1);
        made->getModel()->attribute("Opacity")->setAnimationCurves({curve({{0.0f, added}, {1.0f, added}})}, 0);
        made->setOpacityFactor(factor);
        made->update(0.1f);
        EXPECT_EQ(sprite(made)->getOpacity(), expected);
        done(made);
    }
}

// 2.5: the fade starts with the first update at 2.5 s and ends 2 s later;
// 0 never fades.
TEST_F(Images, AutohideFadesAfterItsDelay) {
    for (float delay : {2.5f, 0.0f}) {
        SCOPED_TRACE(delay);
        QVPObjectImage* made = image(1, true, delay);
        for (int i = 0; i < 4; ++i) made->update(0.6f);
        EXPECT_FALSE(made->isFadedOut());
        made->update(0.1f);
        EXPECT_EQ(made->isFadedOut(), delay > 0.0f);
        step(119);
        EXPECT_GT(sprite(made)->getOpacity(), delay > 0.0f ? 0 : 254);
        step(2);
        made->update(0.1f);
        EXPECT_EQ(sprite(made)->getOpacity(), delay > 0.0f ? 0 : 255);
        done(made);
    }
}

TEST_F(Images, RestartReplaysAFinishedOneShotAnimation) {
    QVPObjectImage* made = image(3, false);
    const auto container = made->getModel()->visualModel();
    step(30);
    EXPECT_EQ(sprite(made)->getActionByTag(kQVSpriteFrameActionTag), nullptr);
    EXPECT_TRUE(sprite(made)->isFrameDisplayed(container->getSpriteFrame(2)));
    made->restart();
    step(1);
    EXPECT_TRUE(sprite(made)->isFrameDisplayed(container->getSpriteFrame(0)));
    step(30);
    EXPECT_TRUE(sprite(made)->isFrameDisplayed(container->getSpriteFrame(2)));
    made->setFrame(4);
    EXPECT_TRUE(sprite(made)->isFrameDisplayed(container->getSpriteFrame(1)));
    done(made);

    QVPObjectImage* bare = image(0);  // placed and updated, showing nothing
    EXPECT_EQ(bare->getChildrenCount(), 0u);
    bare->restart();
    bare->update(1.0f);
    done(bare);
}
