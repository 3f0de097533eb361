// The palette bar: one line per pixel of the scale in the handler's colour, from the
// bottom (vertical) or the left (horizontal), the axis that labels it, and repainting on
// a new orientation.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>
#include "kvc/KvPaletteBar.h"
#include "platform/base/FloatFormat.h"

using namespace KVC;

namespace {

struct TPaletteBarFixture : ::testing::Test {
    void SetUp() override
    {
        SetDecimalSeparator('.');
        Bar = std::make_unique<TKvPaletteBar>(nullptr);
        Bar->SetColor(clWhite);
        Bar->OnPaint = [this](TObject*) { ++Paints; };
        Bar->EndLoading();
    }
    // No bevels and no margins: the graph area is the control less its one-pixel frame.
    void Plain(int Width, int Height)
    {
        Bar->SetBevelOuter(bvNone);
        Bar->SetBevelInner(bvNone);
        Bar->SetLeftMargin(0);
        Bar->SetTopMargin(0);
        Bar->SetRightMargin(0);
        Bar->SetBottomMargin(0);
        Bar->SetBounds(0, 0, Width, Height);
    }
    // Red grows with the position along the scale, in hundredths.
    void RedScale()
    {
        Bar->OnGetBarColor = [this](TObject* Sender, double Relative, std::uint8_t& r, std::uint8_t& g,
                                    std::uint8_t& b) {
            EXPECT_EQ(Sender, Bar.get());
            Relatives.push_back(Relative);
            r = static_cast<std::uint8_t>(Relative * 100 + 0.5);
            g = 10;
            b = 20;
        };
    }
    TColor Pixel(int X, int Y) const { return Bar->Buffer().Canvas()->GetPixel(X, Y); }
    bool HasDarkPixels(const TRect& R) const
    {
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x) {
                const TColor c = Pixel(x, y);
                if (GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100) return true;
            }
        return false;
    }
    std::unique_ptr<TKvPaletteBar> Bar;
    std::vector<double> Relatives;
    int Paints = 0;
};

TEST_F(TPaletteBarFixture, Defaults)
{
    EXPECT_EQ(Bar->GetOrientation(), pboVertical);
    EXPECT_EQ(Bar->GetWidth(), 70);
    EXPECT_EQ(Bar->GetHeight(), 200);
    EXPECT_FALSE(static_cast<bool>(Bar->OnGetBarColor));
    for (TKvChartAxis* axis : {Bar->LeftAxis(), Bar->TopAxis(), Bar->RightAxis(), Bar->BottomAxis()})
        EXPECT_FALSE(axis->GetGridVisible());
    // A new bar keeps its place.
    TKvPaletteBar placed(nullptr);
    EXPECT_EQ(placed.GetLeft(), 0);
    EXPECT_EQ(placed.GetTop(), 0);
}

TEST_F(TPaletteBarFixture, VerticalScaleRunsFromBottomToTop)
{
    Plain(40, 103);
    RedScale();
    Bar->Display();
    const TRect g = Bar->GraphRect();
    ASSERT_EQ(g, Rect(1, 1, 39, 102));
    ASSERT_EQ(Relatives.size(), 101u);
    for (int i = 0; i <= 100; ++i) EXPECT_DOUBLE_EQ(Relatives[static_cast<size_t>(i)], i / 100.0);
    // Each row of the graph area in its colour, edge to edge; the frame stays.
    for (int i = 0; i <= 100; ++i) {
        const int y = g.Bottom - 1 - i;
        EXPECT_EQ(Pixel(g.Left, y), RGB(i, 10, 20)) << i;
        EXPECT_EQ(Pixel(g.Right - 1, y), RGB(i, 10, 20)) << i;
    }
    EXPECT_EQ(Pixel(g.Right, 50), clBlack);
    EXPECT_EQ(Pixel(20, g.Top - 1), clBlack);
    EXPECT_EQ(Pixel(20, g.Bottom), clBlack);
}

TEST_F(TPaletteBarFixture, HorizontalScaleRunsFromLeftToRight)
{
    Plain(53, 30);
    RedScale();
    Bar->SetOrientation(pboHorizontal);
    const TRect g = Bar->GraphRect();
    ASSERT_EQ(g.Width(), 51);
    ASSERT_EQ(Relatives.size(), 51u);
    for (int i = 0; i < 51; ++i) {
        EXPECT_EQ(Pixel(g.Left + i, g.Top), RGB(2 * i, 10, 20)) << i;
        EXPECT_EQ(Pixel(g.Left + i, g.Bottom - 1), RGB(2 * i, 10, 20)) << i;
    }
    EXPECT_EQ(Pixel(g.Left + 10, g.Bottom), clBlack);
}

// The colour bytes arrive as the previous line left them.
TEST_F(TPaletteBarFixture, HandlerSeesThePreviousColour)
{
    Plain(20, 5);
    std::vector<int> incoming;
    Bar->OnGetBarColor = [&](TObject*, double, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) {
        incoming.push_back(r);
        r = static_cast<std::uint8_t>(r + 40);
        g = b = 0;
    };
    Bar->Display();
    EXPECT_EQ(incoming, (std::vector<int>{0, 40, 80}));
    EXPECT_EQ(Pixel(5, 1), RGB(120, 0, 0));
}

TEST_F(TPaletteBarFixture, WithoutHandlerOnlyTheBackgroundShows)
{
    Plain(40, 103);
    Bar->Display();
    const TRect g = Bar->GraphRect();
    for (int y = g.Top; y < g.Bottom; y += 10)
        for (int x = g.Left; x < g.Right; x += 5) EXPECT_EQ(Pixel(x, y), clWhite) << x << "," << y;
}

// A scale one pixel long shows the colour of its start; a scale without pixels calls
// nothing.
TEST_F(TPaletteBarFixture, ShortScales)
{
    Plain(40, 3);
    RedScale();
    Bar->Display();
    EXPECT_EQ(Relatives, (std::vector<double>{0.0}));
    EXPECT_EQ(Pixel(10, 1), RGB(0, 10, 20));
    Relatives.clear();
    Plain(40, 2);
    Bar->Display();
    EXPECT_TRUE(Relatives.empty());
}

TEST_F(TPaletteBarFixture, RightAxisLabelsTheScale)
{
    Plain(70, 200);
    RedScale();
    Bar->Display();
    const TRect bare = Bar->GraphRect();
    Bar->RightAxis()->SetVisible(true);
    Bar->RightAxis()->SetMin(0);
    Bar->RightAxis()->SetMax(1);
    Bar->RightAxis()->SetFrequency(0.5);
    Bar->Display();
    const TRect g = Bar->GraphRect();
    // The scale gives way to the labels on its right and still runs bottom to top.
    EXPECT_EQ(g.Left, bare.Left);
    EXPECT_LT(g.Right, bare.Right - 10);
    EXPECT_TRUE(HasDarkPixels(Rect(g.Right + 2, g.Top, 70, g.Bottom + 1)));
    EXPECT_EQ(Pixel(g.Left, g.Bottom - 1), RGB(0, 10, 20));
    EXPECT_EQ(Pixel(g.Left, g.Top), RGB(100, 10, 20));
    // The labels sit at the scale's ends and middle: "0.0" low, "1.0" high.
    const std::vector<TKvAxisImage::TKvChartLabelsInfo> labels =
        Bar->MeasureLabels(Bar->Buffer().Canvas(), *Bar->RightAxis(), true);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels.front().Text, "0.0");
    EXPECT_EQ(labels.back().Text, "1.0");
    EXPECT_TRUE(HasDarkPixels(Rect(g.Right + 2, g.Bottom - 12, 70, g.Bottom + 4)));
    EXPECT_TRUE(HasDarkPixels(Rect(g.Right + 2, g.Top - 4, 70, g.Top + 12)));
}

TEST_F(TPaletteBarFixture, NewOrientationRepaintsAndKeepsTheAxes)
{
    Plain(60, 60);
    RedScale();
    Bar->RightAxis()->SetVisible(true);
    Bar->Display();
    const int before = Paints;
    const TRect g = Bar->GraphRect();
    EXPECT_EQ(Pixel(g.Left, g.Top), RGB(100, 10, 20));
    Bar->SetOrientation(pboHorizontal);
    EXPECT_EQ(Paints, before + 1);
    EXPECT_EQ(Pixel(g.Left, g.Top), RGB(0, 10, 20));
    EXPECT_EQ(Pixel(g.Right - 1, g.Bottom - 1), RGB(100, 10, 20));
    EXPECT_TRUE(Bar->RightAxis()->GetVisible());
    EXPECT_FALSE(Bar->BottomAxis()->GetVisible());
    // The same orientation again changes nothing.
    Bar->SetOrientation(pboHorizontal);
    EXPECT_EQ(Paints, before + 1);
}

}  // namespace
