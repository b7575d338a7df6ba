#include "graphwin/view_scale.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

using namespace orv;

TEST(ViewScale, OpensAtHundredWhenThePictureFitsAndWholeWhenNot)
{
    ViewScale s;
    s.setRoom(QSize(1000, 700));
    s.setPictureSize(QSize(1000, 700)); // exactly the room
    s.chooseOpeningEntry();
    EXPECT_EQ(s.entry(), ViewScale::kHundred);
    EXPECT_EQ(s.viewSize(), QSize(1000, 700));
    s.setPictureSize(QSize(6000, 4000));
    s.chooseOpeningEntry();
    EXPECT_EQ(s.entry(), ViewScale::kFit);
    // Bound by the width: 1000 / 6000 of the picture, never past the room.
    EXPECT_DOUBLE_EQ(s.factor(), 1000.0 / 6000.0);
    EXPECT_EQ(s.viewSize(), QSize(1000, 666));
    s.setRoom(QSize(1200, 500)); // now bound by the height, the factor follows
    EXPECT_DOUBLE_EQ(s.factor(), 500.0 / 4000.0);
    EXPECT_EQ(s.viewSize(), QSize(750, 500));
}

TEST(ViewScale, StepsFromTheFittedFactorToTheNeighbouringPercentages)
{
    ViewScale s;
    s.setPictureSize(QSize(4000, 3000));
    s.setRoom(QSize(1200, 900)); // fitted at 30 %
    s.setEntry(ViewScale::kFit);
    s.stepIn();
    EXPECT_EQ(ViewScale::kPercents[s.entry()], 50);
    s.setEntry(ViewScale::kFit);
    s.stepOut();
    EXPECT_EQ(ViewScale::kPercents[s.entry()], 25);
    s.stepOut(); // nothing below 25 %
    EXPECT_EQ(ViewScale::kPercents[s.entry()], 25);
    s.setEntry(5);
    s.stepIn(); // nothing above 400 %
    EXPECT_EQ(ViewScale::kPercents[s.entry()], 400);
}

TEST(ViewScale, AClickMeansThePicturePixelUnderTheMiddleOfTheViewPixel)
{
    ViewScale s;
    s.setPictureSize(QSize(1000, 800));
    // At 100 %: the pixel clicked, as without a scale.
    s.setEntry(ViewScale::kHundred);
    EXPECT_EQ(s.clickPosition(QPointF(613.9, 287.2)), QPointF(613.5 / 1000, 1 - 287.5 / 800));
    // Every view pixel covering picture pixel 613 at 400 % and 200 % means it.
    for (int entry : {4, 5}) {
        s.setEntry(entry);
        const double f = s.factor();
        for (int v = int(613 * f); v < int(614 * f); ++v)
            EXPECT_EQ(s.clickPosition(QPointF(v + 0.7, 287 * f)).x(), 613.5 / 1000) << f << " " << v;
    }
    // At 25 % a view pixel's middle lies in the third of its four pixels.
    s.setEntry(1);
    EXPECT_EQ(s.clickPosition(QPointF(153, 71)), QPointF(614.5 / 1000, 1 - 286.5 / 800));
    // And the way back lands on that view pixel.
    const QPointF back = s.normalisedToView(614.5 / 1000, 1 - 286.5 / 800);
    EXPECT_EQ(QPoint(int(back.x()), int(back.y())), QPoint(153, 71));
}

TEST(ScaledPictureCache, TilesAreSmoothAndSeamless)
{
    // One-pixel black and white columns: a smooth half-size copy is grey
    // everywhere, a sampled one black or white.
    QImage stripes(1100, 700, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, (x % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    ScaledPictureCache cache;
    cache.setSource(stripes, stripes.size());
    cache.setFactor(0.5);
    QImage view(550, 350, QImage::Format_RGB32);
    view.fill(Qt::red);
    {
        QPainter p(&view);
        cache.forEachTile(view.rect(), [&](QPoint at, const QImage &tile) { p.drawImage(at, tile); });
    }
    EXPECT_EQ(cache.cachedTiles(), 3 * 2);
    for (int y = 0; y < view.height(); y += 7)
        for (int x = 0; x < view.width(); ++x) {
            const QColor c = view.pixelColor(x, y);
            ASSERT_NEAR(c.red(), 128, 20) << x << "," << y; // no red gap, no seam, no aliasing
            ASSERT_EQ(c.red(), c.blue());
        }
    // Only what is asked for is made, and made once per factor.
    cache.setFactor(0.25);
    EXPECT_EQ(cache.cachedTiles(), 0);
    cache.tile(0, 0);
    cache.tile(0, 0);
    EXPECT_EQ(cache.cachedTiles(), 1);
}

TEST(ScaledPictureCache, AReducedDecodeStandsForTheWholePicture)
{
    // A 4000 x 2000 picture seen through its quarter-size decode: the left
    // half dark, the right half light, split at natural x = 2000.
    QImage reduced(1000, 500, QImage::Format_RGB32);
    for (int x = 0; x < 1000; ++x)
        for (int y = 0; y < 500; ++y)
            reduced.setPixel(x, y, x < 500 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    ScaledPictureCache cache;
    cache.setSource(reduced, QSize(4000, 2000));
    cache.setFactor(0.2); // an 800 x 400 view
    QImage view(800, 400, QImage::Format_RGB32);
    QPainter p(&view);
    cache.forEachTile(view.rect(), [&](QPoint at, const QImage &tile) { p.drawImage(at, tile); });
    p.end();
    EXPECT_LT(view.pixelColor(395, 200).red(), 30);
    EXPECT_GT(view.pixelColor(405, 200).red(), 225);
    EXPECT_GT(view.pixelColor(799, 399).red(), 225);
}
