#include "mainwin/zoom_view.h"
#include "model/reading.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

struct Zoom : ::testing::Test {
    ScriptedDesktop desk;
    Reading r{&desk};
    ZoomView z{r};
};

} // namespace

TEST_F(Zoom, InitPlacesCrossHairAndCircle)
{
    z.Init_Zoom();
    EXPECT_EQ(z.line1(), QLineF(0, 0.5, 1, 0.5));
    EXPECT_EQ(z.line2(), QLineF(0.5, 0, 0.5, 1));
    const ZoomRect c = z.circle();
    EXPECT_DOUBLE_EQ(c.left, 0.5 - c.width / 2 + 0.005);
    EXPECT_DOUBLE_EQ(c.top, 0.5 + c.height / 2 - 0.005);
    // A taller area: the circle keeps its size on screen.
    z.setAreaTwips(ZoomView::kDesignWidthTwips, 2 * ZoomView::kDesignHeightTwips);
    z.Init_Zoom();
    EXPECT_DOUBLE_EQ(z.circle().height, c.height / 2);
    EXPECT_DOUBLE_EQ(z.circle().width, c.width);
}

TEST_F(Zoom, SizeAndMoveFollowThePointer)
{
    r.Pic_Height = 2.5;
    r.Pic_Width = 2;
    r.settings.zoom.setText(QStringLiteral("5"));
    z.Size_ZoomImage();
    EXPECT_DOUBLE_EQ(z.image().height, 12.5);
    EXPECT_DOUBLE_EQ(z.image().width, 10);
    z.Move_ZoomImage(0.3, 0);
    EXPECT_DOUBLE_EQ(z.image().top, 13.0); // the bottom edge under the cross-hair
    EXPECT_DOUBLE_EQ(z.image().left, 0.5 - 3);
    z.Move_ZoomImage(0, 1);
    EXPECT_DOUBLE_EQ(z.image().top, 0.5);
    EXPECT_DOUBLE_EQ(z.image().left, 0.5);

    int changes = 0;
    QObject::connect(&z, &ZoomView::changed, [&] { ++changes; });
    z.Move_ZoomImage(0, 1);
    EXPECT_EQ(changes, 0); // unchanged: nothing to repaint

    // Factor 20 after 5: four times larger, re-centred by the next move.
    r.settings.zoom.setText(QStringLiteral("20"));
    z.Size_ZoomImage();
    EXPECT_DOUBLE_EQ(z.image().height, 50);
    EXPECT_DOUBLE_EQ(z.image().top, 0.5);
    z.Move_ZoomImage(0.5, 0.5);
    EXPECT_DOUBLE_EQ(z.image().top, 25.5);
    EXPECT_DOUBLE_EQ(z.image().left, 0.5 - 20);
}

TEST_F(Zoom, PictureSizeInAreaUnitsAndStableOnResize)
{
    QImage pic(651, 346, QImage::Format_RGB32); // 3 x 2 design areas
    z.takePicture(pic);
    EXPECT_NEAR(r.Pic_Width, 3, 1e-9);
    EXPECT_NEAR(r.Pic_Height, 2, 1e-9);
    EXPECT_EQ(z.picture().constBits(), pic.constBits()); // shared, not copied
    // Before the pointer moves, the picture's upper-left corner is in view.
    EXPECT_EQ(z.image().left, 0);
    EXPECT_EQ(z.image().top, 1);
    r.settings.zoom.setText(QStringLiteral("2"));
    z.Size_ZoomImage();
    z.Move_ZoomImage(0.25, 0.75);
    const QSizeF designPx(217, 173);
    const QRectF before = z.imageRectPx(designPx);
    EXPECT_NEAR(before.width(), 651 * 2, 1e-6);
    EXPECT_NEAR(before.height(), 346 * 2, 1e-6);

    // The area grows by 60 pixels: the picture keeps its size and place on
    // screen, and a later factor change keeps its proportions.
    z.setAreaTwips(ZoomView::kDesignWidthTwips, ZoomView::kDesignHeightTwips + 900);
    const QRectF after = z.imageRectPx(QSizeF(217, 233));
    EXPECT_NEAR(after.width(), before.width(), 1e-6);
    EXPECT_NEAR(after.height(), before.height(), 1e-6);
    EXPECT_NEAR(after.left(), before.left(), 1e-6);
    EXPECT_NEAR(after.top(), before.top(), 1e-6);
    r.settings.zoom.setText(QStringLiteral("4"));
    z.Size_ZoomImage();
    const QRectF bigger = z.imageRectPx(QSizeF(217, 233));
    EXPECT_NEAR(bigger.width() / bigger.height(), 651.0 / 346.0, 1e-9);
}
