// The gauge bar: frame, bar from the zero line to the value in its two colours, the zero
// band, both orientations, the indexed setters and the off-screen bitmap on resizing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include "WidgetInput.h"
#include "kvc/KvGaugeBar.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include <QImage>
#include <QWidget>

namespace {

struct TGaugeBarFixture : ::testing::Test {
    void SetUp() override
    {
        Gauge = std::make_unique<TKvGaugeBar>(nullptr);
        Gauge->SetBounds(0, 0, 20, 102);
        Gauge->OnPaint = [this](TObject*) { ++Paints; };
        Gauge->EndLoading();
    }
    TColor Pixel(int X, int Y) const { return Gauge->Buffer().Canvas()->GetPixel(X, Y); }
    // The smallest rectangle holding every pixel of the colour (empty when none).
    TRect Extent(TColor Color) const
    {
        TRect r{1 << 20, 1 << 20, -1, -1};
        const TBitmap& b = Gauge->Buffer();
        for (int y = 0; y < b.GetHeight(); ++y)
            for (int x = 0; x < b.GetWidth(); ++x)
                if (Pixel(x, y) == Color) {
                    r.Left = std::min(r.Left, x);
                    r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1);
                    r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r.Right < 0 ? TRect{} : r;
    }
    // Whether every pixel of R has the colour.
    bool Filled(const TRect& R, TColor Color) const
    {
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                if (Pixel(x, y) != Color) return false;
        return true;
    }
    std::unique_ptr<TKvGaugeBar> Gauge;
    int Paints = 0;
};

TEST_F(TGaugeBarFixture, Defaults)
{
    TKvGaugeBar fresh(nullptr);
    EXPECT_EQ(fresh.GetWidth(), 20);
    EXPECT_EQ(fresh.GetOrientation(), gboVertical);
    EXPECT_EQ(fresh.GetColorBack(), 16776960);
    EXPECT_EQ(fresh.GetColorBorder(), 0);
    EXPECT_EQ(fresh.GetColorBar(), 16711680);
    EXPECT_EQ(fresh.GetColorDown(), 16711680);
    EXPECT_EQ(fresh.GetColorZero(), 32768);
    EXPECT_EQ(fresh.GetZero(), 0);
    EXPECT_EQ(fresh.GetMin(), 0);
    EXPECT_EQ(fresh.GetMax(), 100);
    EXPECT_EQ(fresh.GetPos(), 50);
    EXPECT_EQ(fresh.GetGaugeMargin(), 1);
    EXPECT_EQ(fresh.GetBorderWidth(), 2);
}

TEST_F(TGaugeBarFixture, DefaultBarFromZeroToPos)
{
    Gauge->Display();
    ASSERT_EQ(Gauge->Buffer().GetWidth(), 20);
    ASSERT_EQ(Gauge->Buffer().GetHeight(), 102);
    EXPECT_EQ(Extent(clBlue), Rect(3, 50, 17, 100));
    EXPECT_TRUE(Filled(Rect(3, 50, 17, 100), clBlue));
    // Zero equals Min: no zero band.
    EXPECT_EQ(Extent(clGreen), TRect{});
    // Inside of the frame in ColorBack, the frame's outer line in ColorBorder.
    EXPECT_TRUE(Filled(Rect(3, 3, 17, 49), clAqua));
    EXPECT_TRUE(Filled(Rect(1, 1, 20, 2), clBlack));
    EXPECT_TRUE(Filled(Rect(1, 101, 20, 102), clBlack));
    EXPECT_TRUE(Filled(Rect(1, 1, 2, 102), clBlack));
    EXPECT_TRUE(Filled(Rect(19, 1, 20, 102), clBlack));
}

TEST_F(TGaugeBarFixture, BarColourFollowsTheSideOfZero)
{
    Gauge->SetColorBack(3, clRed);  // ColorDown
    Gauge->SetZero(1, -50);         // Min
    Gauge->SetZero(2, 50);          // Max
    struct Case {
        double Pos;
        TRect Up, Down;
    } cases[] = {
        // Scale 1 per pixel, zero at 100 - 50 = 50.
        {25, Rect(3, 25, 17, 49), TRect{}},
        {-20, TRect{}, Rect(3, 51, 17, 70)},
        {0, TRect{}, TRect{}},
    };
    for (const Case& c : cases) {
        Gauge->SetZero(3, c.Pos);
        EXPECT_EQ(Extent(clBlue), c.Up) << c.Pos;
        // The zero band (rows 49 and 50) is drawn over the bar's end at the zero line.
        EXPECT_EQ(Extent(clRed), c.Down) << c.Pos;
        EXPECT_EQ(Extent(clGreen), Rect(2, 49, 18, 51)) << c.Pos;
    }
}

TEST_F(TGaugeBarFixture, HorizontalBarGrowsToTheRight)
{
    Gauge->SetBounds(0, 0, 102, 20);
    Gauge->SetOrientation(gboHorizontal);
    // Scale 1 per pixel from b = 2: zero at 2, Pos 50 at 52.
    EXPECT_EQ(Extent(clBlue), Rect(2, 3, 52, 17));
    EXPECT_EQ(Extent(clGreen), TRect{});
    Gauge->SetZero(1, -50);
    Gauge->SetZero(2, 50);
    Gauge->SetColorBack(3, clRed);
    Gauge->SetZero(3, -30);
    // Zero at 52, Pos at 22: below zero, so ColorDown; band from 51 to 53.
    EXPECT_EQ(Extent(clRed), Rect(22, 3, 51, 17));
    EXPECT_EQ(Extent(clGreen), Rect(51, 2, 53, 18));
    EXPECT_EQ(Extent(clBlue), TRect{});
}

TEST_F(TGaugeBarFixture, SettersStoreAndRepaintEveryTime)
{
    Gauge->Display();
    const int before = Paints;
    Gauge->SetZero(3, 75);
    EXPECT_EQ(Paints, before + 1);
    EXPECT_EQ(Extent(clBlue), Rect(3, 25, 17, 100));
    Gauge->SetColorBack(2, clYellow);  // ColorBar
    EXPECT_EQ(Extent(clYellow), Rect(3, 25, 17, 100));
    Gauge->SetGaugeMargin(0, 4);
    EXPECT_EQ(Extent(clYellow), Rect(6, 25, 14, 100));
    Gauge->SetColorBack(1, clMaroon);  // ColorBorder
    EXPECT_EQ(Pixel(1, 1), clMaroon);
    Gauge->SetColorBack(0, clWhite);  // ColorBack
    EXPECT_EQ(Pixel(10, 10), clWhite);
    Gauge->SetGaugeMargin(1, 4);  // BorderWidth
    EXPECT_EQ(Pixel(3, 3), clMaroon);
    const int afterAll = Paints;
    EXPECT_EQ(afterAll, before + 6);
    // A setter does not compare: a value held already repaints again.
    Gauge->SetZero(3, 75);
    Gauge->SetColorBack(2, clYellow);
    Gauge->SetGaugeMargin(0, 4);
    Gauge->SetOrientation(gboVertical);
    EXPECT_EQ(Paints, afterAll + 4);
    // Indexes that name nothing store and repaint nothing.
    Gauge->SetZero(7, 1);
    Gauge->SetColorBack(-1, clRed);
    Gauge->SetGaugeMargin(2, 9);
    EXPECT_EQ(Paints, afterAll + 4);
    EXPECT_EQ(Gauge->GetPos(), 75);
}

TEST_F(TGaugeBarFixture, SimpleBackgroundModeLastsUntilThePaint)
{
    Gauge->SetBackDrawMode(KVC::bdmSimple);
    EXPECT_EQ(Gauge->GetBackDrawMode(), KVC::bdmSimple);
    Gauge->Display();
    EXPECT_EQ(Gauge->GetBackDrawMode(), KVC::bdmTiled);
    EXPECT_EQ(Gauge->Buffer().GetWidth(), 20);
}

TEST(GaugeBarOnScreen, ResizingSizesTheOffScreenBitmap)
{
    TForm* form = new TForm(nullptr);
    form->SetBounds(0, 0, 200, 200);
    auto* gauge = new TKvGaugeBar(form);
    gauge->SetParent(form);
    gauge->SetBounds(0, 0, 20, 102);
    WidgetInput::ShowLoaded(form);
    gauge->Display();
    ASSERT_EQ(gauge->Buffer().GetHeight(), 102);
    int paints = 0;
    gauge->OnPaint = [&](TObject*) { ++paints; };
    gauge->SetBounds(0, 0, 30, 60);
    Application->ProcessMessages();
    EXPECT_EQ(gauge->Buffer().GetWidth(), 30);
    EXPECT_EQ(gauge->Buffer().GetHeight(), 60);
    // Shown again, the picture is composed at the new size: scale 100 / 58, Pos 50 at
    // 58 - 29 (a hair below 29 in doubles, so row 28).
    const QImage screen = gauge->Widget()->grab().toImage();
    EXPECT_GE(paints, 1);
    EXPECT_EQ(screen.pixelColor(15, 40), QColor(0, 0, 255));
    EXPECT_EQ(screen.pixelColor(15, 20), QColor(0, 255, 255));
    gauge->Display();
    const TBitmap& b = gauge->Buffer();
    EXPECT_EQ(b.Canvas()->GetPixel(3, 28), clBlue);
    EXPECT_EQ(b.Canvas()->GetPixel(26, 57), clBlue);
    EXPECT_EQ(b.Canvas()->GetPixel(3, 27), clAqua);
    EXPECT_EQ(b.Canvas()->GetPixel(27, 40), clAqua);
    FreeForm(form);
}

// Without a range or room for the scale the bar is left out; values far beyond the range
// are drawn to the picture's edge, values without a value not at all.
TEST_F(TGaugeBarFixture, DegenerateScalesDrawOnlyTheFrame)
{
    Gauge->SetZero(2, 0);  // Max equals Min
    EXPECT_EQ(Extent(clBlue), TRect{});
    EXPECT_EQ(Pixel(10, 10), clAqua);
    Gauge->SetZero(2, 100);
    Gauge->SetZero(3, 1e300);
    EXPECT_EQ(Extent(clBlue), Rect(3, 0, 17, 100));
    Gauge->SetZero(3, std::nan(""));
    EXPECT_EQ(Extent(clBlue), TRect{});
    // Far below: from the zero line down to the picture's edge, under the frame.
    Gauge->SetZero(3, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(Extent(clBlue), Rect(3, 100, 17, 101));
    Gauge->SetZero(3, 50);
    Gauge->SetBounds(0, 0, 20, 2);  // height equals the border width
    Gauge->Display();
    EXPECT_EQ(Extent(clBlue), TRect{});
    Gauge->SetBounds(0, 0, 0, 0);
    Gauge->Display();
    EXPECT_TRUE(Gauge->Buffer().Empty());
}

}  // namespace
