// The axis image: layout of bevels, margins and titles, axis labels for ranges, tick and
// grid positions in the picture, the value mapping and zooming and panning by mouse.
#include <gtest/gtest.h>

#include <memory>
#include "WidgetInput.h"
#include "kvc/KvAxisImage.h"
#include "platform/ui/Application.h"
#include "platform/base/FloatFormat.h"
#include "platform/ui/Forms.h"

using namespace KVC;
using WidgetInput::Mouse;
using WidgetInput::PlainMove;

namespace {

struct TAxisImageFixture : ::testing::Test {
    void SetUp() override
    {
        SetDecimalSeparator('.');
        Image = std::make_unique<TKvAxisImage>(nullptr);
        Image->SetColor(clWhite);
        Image->EndLoading();
    }
    TColor Pixel(int X, int Y) const { return Image->Buffer().Canvas()->GetPixel(X, Y); }
    // Whether any pixel of R has the colour.
    bool Has(const TRect& R, TColor Color) const
    {
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                if (Pixel(x, y) == Color) return true;
        return false;
    }
    // Whether R holds dark text pixels (smoothed text has few pure black ones).
    bool HasText(const TRect& R) const
    {
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x) {
                const TColor c = Pixel(x, y);
                if (GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100) return true;
            }
        return false;
    }
    std::vector<std::string> Texts(const TKvChartAxis& Axis, bool Vertical = false)
    {
        std::vector<std::string> texts;
        for (const auto& l : Image->MeasureLabels(Image->Buffer().Canvas(), Axis, Vertical)) texts.push_back(l.Text);
        return texts;
    }
    std::unique_ptr<TKvAxisImage> Image;
};

TEST_F(TAxisImageFixture, DefaultLayoutLeavesBevelsAndMargins)
{
    Image->Display();
    EXPECT_EQ(Image->Buffer().GetWidth(), 400);
    EXPECT_EQ(Image->Buffer().GetHeight(), 250);
    EXPECT_EQ(Image->WorkRect(), Rect(6, 10, 395, 244));
    // Border pen 1: the graph area lies inside the frame line.
    EXPECT_EQ(Image->GraphRect(), Rect(7, 11, 394, 243));
    // Outer lowered bevel: shadow top-left, highlight bottom-right.
    EXPECT_EQ(Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(Pixel(399, 249), ColorToRGB(clBtnHighlight));
    // Frame line in the border pen, framed area filled with the brush.
    EXPECT_EQ(Pixel(6, 100), clBlack);
    EXPECT_EQ(Pixel(100, 10), clBlack);
    EXPECT_EQ(Pixel(100, 100), clWhite);

    Image->SetBevelOuter(bvNone);
    Image->SetBevelInner(bvNone);
    Image->SetLeftMargin(0);
    Image->Display();
    EXPECT_EQ(Image->WorkRect(), Rect(0, 7, 398, 247));
}

// The framed area shows the brush over whatever the paint drew there before: another
// colour, a hatch, or a title that a negative indent pulls into the frame.
TEST_F(TAxisImageFixture, FramedAreaShowsTheBrushOverEverythingBeforeIt)
{
    struct Case {
        const char* What;
        TColor Control, Brush;
        TBrushStyle Style;
        int TitleIndent;  // the chart title "Isotherm" with this indent; 0: no title
    };
    const Case cases[] = {
        {"same colour", clWhite, clWhite, bsSolid, 0},
        {"other colour", clWhite, clSilver, bsSolid, 0},
        {"white brush on a silver control", clSilver, clWhite, bsSolid, 0},
        {"hatch", clWhite, clRed, bsCross, 0},
        {"title pulled into the frame", clWhite, clWhite, bsSolid, -10},
        {"title above the frame", clWhite, clWhite, bsSolid, 3},
    };
    for (const Case& k : cases) {
        Image = std::make_unique<TKvAxisImage>(nullptr);
        Image->SetColor(k.Control);
        Image->Brush()->SetColor(k.Brush);
        Image->Brush()->SetStyle(k.Style);
        if (k.TitleIndent != 0) {
            Image->Title()->SetText("Isotherm");
            Image->Title()->SetIndent(k.TitleIndent);
        }
        Image->EndLoading();
        Image->Display();
        const TRect g = Image->GraphRect();
        ASSERT_FALSE(g.IsEmpty()) << k.What;
        bool brush = false, other = false;
        for (int y = g.Top; y < g.Bottom; ++y)
            for (int x = g.Left; x < g.Right; ++x) (Pixel(x, y) == ColorToRGB(k.Brush) ? brush : other) = true;
        EXPECT_TRUE(brush) << k.What;
        // A hatch leaves the control's colour between its lines.
        EXPECT_EQ(other, k.Style != bsSolid) << k.What;
        if (k.TitleIndent > 0) {
            EXPECT_TRUE(Has(Rect(150, 10, 250, g.Top), clBlue)) << k.What;
        }
    }
}

TEST_F(TAxisImageFixture, TitlesTakeTheirSpaceAndTurn)
{
    Image->Title()->SetText("Isotherm");
    Image->Display();
    const int top = Image->WorkRect().Top;
    EXPECT_GT(top, 10 + 3 + 5);
    // Bold blue title text centred in its band above the plotting area.
    EXPECT_TRUE(Has(Rect(150, 10, 250, top - 3), clBlue));
    EXPECT_FALSE(Has(Rect(6, 10, 120, top - 3), clBlue));

    // An empty title takes no space; an axis title of an invisible axis neither.
    Image->Title()->SetText("");
    Image->LeftAxis()->Title()->SetText("Pressure");
    Image->Display();
    EXPECT_EQ(Image->WorkRect(), Rect(6, 10, 395, 244));

    // A visible left axis's title is turned by 90 degrees: a narrow column of text,
    // taller than wide, on the left of the work area.
    Image->LeftAxis()->SetVisible(true);
    Image->LeftAxis()->Labels()->SetVisible(false);
    Image->LeftAxis()->Ticks()->SetVisible(false);
    Image->Display();
    const int left = Image->WorkRect().Left;
    EXPECT_GT(left, 6 + 3 + 5);
    const int columnWidth = left - 3 - 6;
    int firstRow = -1, lastRow = -1;
    for (int y = 10; y < 244; ++y)
        if (Has(Rect(6, y, 6 + columnWidth, y + 1), ColorToRGB(clWindowText))) {
            if (firstRow < 0) firstRow = y;
            lastRow = y;
        }
    ASSERT_GE(firstRow, 0);
    EXPECT_GT(lastRow - firstRow, 2 * columnWidth);
    // Centred along the side.
    EXPECT_NEAR((firstRow + lastRow) / 2, (10 + 244) / 2, 6);
}

TEST_F(TAxisImageFixture, LabelsForRanges)
{
    TKvChartAxis axis;
    struct Case {
        double Min, Max, Frequency;
        int CountLabels, Precision;
        bool RoundFirst;
        int MaxPrecision;
        std::vector<std::string> Labels;
    } cases[] = {
        {0, 100, 10, 5, 0, true, 5, {"0", "25", "50", "75", "100"}},
        {0.05, 1.04, 1, 0, 0, true, 5, {"1"}},
        {0.05, 1.04, 1, 0, 0, false, 5, {"0"}},
        {0, 100, 20, 0, 0, true, 5, {"0", "20", "40", "60", "80", "100"}},
        {100, 0, 25, 0, 0, true, 5, {"100", "75", "50", "25", "0"}},
        {-1, 1, 0.5, 0, 0, true, 5, {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
        {0, 0.001, 0.0004, 0, 0, true, 5, {"0.0000", "0.0004", "0.0008"}},
        // Beyond MaxPrecision decimals values below 1 switch to exponent notation.
        {0, 0.001, 0.0004, 0, 0, true, 2, {"0.000E+0", "4.000E-4", "8.000E-4"}},
        {0, 0.3, 0.1, 0, 2, true, 5, {"0.00", "0.10", "0.20", "0.30"}},
        {0.001, 0.3, 0.1, 0, 2, true, 5, {"0.01", "0.11", "0.21"}},
        {5, 5, 1, 0, 0, true, 5, {}},
        {0, 10, 0, 0, 0, true, 5, {}},
    };
    for (const Case& c : cases) {
        axis.SetRange(c.Min, c.Max);
        axis.SetFrequency(c.Frequency);
        axis.SetCountLabels(c.CountLabels);
        axis.Labels()->SetPrecision(c.Precision);
        axis.Labels()->SetRoundFirstLabel(c.RoundFirst);
        axis.MaxPrecision = c.MaxPrecision;
        EXPECT_EQ(Texts(axis), c.Labels) << c.Min << ".." << c.Max << " / " << c.Frequency;
    }
}

TEST_F(TAxisImageFixture, LabelMeasuringEndsForAnyStep)
{
    TKvChartAxis axis;
    axis.SetRange(0, 1e6);
    axis.SetFrequency(1e-300);  // no number of decimals reaches it
    EXPECT_TRUE(Texts(axis).empty());
    axis.SetFrequency(1e-3);  // a billion labels: bounded
    EXPECT_LE(Texts(axis).size(), 10000u);
    axis.SetRange(1e17, 1e17 + 1000);
    axis.SetFrequency(1);  // the step no longer changes the value
    EXPECT_LE(Texts(axis).size(), 10000u);
    // Spacing in pixels, and a whole power of ten when the spacing truncates to nothing.
    Image->Display();
    axis.SetRange(0, 1);
    axis.SetFrequency(1);
    axis.SetCountPixelsBetweenLabels(100);
    axis.Labels()->SetRoundFirstLabel(false);
    EXPECT_EQ(Texts(axis, true), (std::vector<std::string>{"0.0", "0.4", "0.8"}));
    axis.SetCountPixelsCanBeMore(true);
    EXPECT_EQ(Texts(axis, true), (std::vector<std::string>{"0", "1"}));
}

TEST_F(TAxisImageFixture, TicksGridAndLabelsSitAtTheirValues)
{
    TKvChartAxis& bottom = *Image->BottomAxis();
    TKvChartAxis& left = *Image->LeftAxis();
    for (TKvChartAxis* axis : {&bottom, &left}) {
        axis->SetVisible(true);
        axis->Ticks()->SetMinorTickCount(0);
        axis->Ticks()->Pen()->SetColor(clRed);
        axis->SetFrequency(25);
    }
    left.SetGridVisible(true);
    left.GridPen()->SetStyle(psSolid);
    left.GridPen()->SetColor(clLime);
    Image->Display();
    const TRect g = Image->GraphRect();
    const TRect w = Image->WorkRect();
    ASSERT_GT(g.Width(), 100);

    // Bottom ticks: five pixels below the frame line at left + (v - min) * (width - 1) / range.
    for (double v : {0.0, 25.0, 50.0, 75.0, 100.0}) {
        const int x = int(g.Left + v * (g.Width() - 1) / 100);
        for (int y = g.Bottom + 1; y <= g.Bottom + 5; ++y) EXPECT_EQ(Pixel(x, y), clRed) << v << " " << y;
        EXPECT_NE(Pixel(x, g.Bottom + 6), clRed) << v;
        // The label's text sits centred below the tick.
        EXPECT_TRUE(HasText(Rect(x - 8, g.Bottom + 7, x + 9, w.Bottom))) << v;
    }
    // Left ticks: five pixels left of the frame at bottom - (v - min) * height / range - 1;
    // grid lines across the graph area at the same rows.
    for (double v : {0.0, 25.0, 50.0, 75.0, 100.0}) {
        const int y = int(g.Bottom - (v * g.Height() / 100 + 1));
        const int frame = g.Left - 1;
        for (int x = frame - 5; x < frame; ++x) EXPECT_EQ(Pixel(x, y), clRed) << v << " " << x;
        EXPECT_NE(Pixel(frame - 6, y), clRed) << v;
        if (v < 100) {  // 100 lies under the frame line
            EXPECT_EQ(Pixel(g.Left + 40, y), clLime) << v;
        }
        EXPECT_TRUE(HasText(Rect(w.Left, y - 4, frame - 6, y + 5))) << v;
    }
    // The widest label, its indent and the tick length make room on the left.
    EXPECT_GT(g.Left - 1, w.Left + 2 + 5 + 10);

    // A negative frequency turns the labels: 0 at the top.
    left.SetFrequency(-25);
    left.SetGridVisible(false);
    Image->Display();
    const int yTop = g.Top - 1;
    for (int x = g.Left - 6; x < g.Left - 1; ++x) EXPECT_EQ(Pixel(x, yTop), clRed) << x;
}

// Inked stretches of the picture along one direction inside R: begin and end of each run
// of columns (Vertical: rows) holding text pixels.
std::vector<std::pair<int, int>> InkRuns(const TAxisImageFixture& F, const TRect& R, bool Vertical)
{
    std::vector<std::pair<int, int>> runs;
    const int from = Vertical ? R.Top : R.Left, to = Vertical ? R.Bottom : R.Right;
    bool inside = false;
    for (int a = from; a < to; ++a) {
        const bool ink = F.HasText(Vertical ? Rect(R.Left, a, R.Right, a + 1) : Rect(a, R.Top, a + 1, R.Bottom));
        if (ink && !inside) runs.push_back({a, a + 1});
        if (ink) runs.back().second = a + 1;
        inside = ink;
    }
    return runs;
}

TEST_F(TAxisImageFixture, LabelsOfACrowdedAxisNeverOverlap)
{
    const struct {
        bool Vertical;
        int Width, Height;
        double Max, Frequency;
    } cases[] = {
        {false, 150, 250, 100000, 10000},  // eleven six-digit labels on a narrow graph
        {false, 400, 250, 1000000, 20000},
        {true, 400, 90, 100, 10},  // eleven labels on a low graph
        {true, 400, 70, 1, 0.05},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Width * 1000 + c.Height);
        Image = std::make_unique<TKvAxisImage>(nullptr);
        Image->SetColor(clWhite);
        Image->SetBounds(0, 0, c.Width, c.Height);
        Image->EndLoading();
        TKvChartAxis& axis = c.Vertical ? *Image->LeftAxis() : *Image->BottomAxis();
        axis.SetVisible(true);
        axis.SetRange(0, c.Max);
        axis.SetFrequency(c.Frequency);
        Image->Display();
        const auto labels = Image->MeasureLabels(Image->Buffer().Canvas(), axis, c.Vertical);
        ASSERT_GE(labels.size(), 11u);
        int widest = 0;
        for (const auto& l : labels) widest = std::max(widest, c.Vertical ? l.Height : l.Width);
        const TRect g = Image->GraphRect();
        const TRect w = Image->WorkRect();
        // The labels' strip beside the ticks; each inked run is one label, never two run together.
        const TRect strip =
            c.Vertical ? Rect(w.Left, w.Top, g.Left - 7, w.Bottom) : Rect(w.Left, g.Bottom + 7, w.Right, w.Bottom);
        const auto runs = InkRuns(*this, strip, c.Vertical);
        ASSERT_GE(runs.size(), 2u);
        for (const auto& [begin, end] : runs) EXPECT_LE(end - begin, widest) << begin << ".." << end;
        // The first label is always written, at the axis' start.
        if (c.Vertical)
            EXPECT_GE(runs.back().second, g.Bottom - 3);
        else
            EXPECT_LE(runs.front().first, g.Left + 3);
    }
}

TEST_F(TAxisImageFixture, RightAndTopAxesMirrorTheirTicks)
{
    TKvChartAxis& right = *Image->RightAxis();
    TKvChartAxis& top = *Image->TopAxis();
    for (TKvChartAxis* axis : {&right, &top}) {
        axis->SetVisible(true);
        axis->SetFrequency(50);
        axis->Ticks()->SetMinorTickCount(0);
        axis->Ticks()->Pen()->SetColor(clRed);
    }
    Image->Display();
    const TRect g = Image->GraphRect();
    const TRect w = Image->WorkRect();
    // Room for labels on the right and above.
    EXPECT_LT(g.Right + 1, w.Right - 2 - 5 - 10);
    EXPECT_GT(g.Top - 1, w.Top + 2 + 5 + 5);
    for (double v : {0.0, 50.0, 100.0}) {
        const int y = int(g.Bottom - (v * g.Height() / 100 + 1));
        for (int x = g.Right + 1; x <= g.Right + 5; ++x) EXPECT_EQ(Pixel(x, y), clRed) << v << " " << x;
        EXPECT_NE(Pixel(g.Right + 6, y), clRed) << v;
        EXPECT_TRUE(HasText(Rect(g.Right + 8, y - 4, w.Right, y + 5))) << v;
        const int x = int(g.Left + v * (g.Width() - 1) / 100);
        for (int ty = g.Top - 6; ty <= g.Top - 2; ++ty) EXPECT_EQ(Pixel(x, ty), clRed) << v << " " << ty;
        EXPECT_NE(Pixel(x, g.Top - 7), clRed) << v;
        EXPECT_TRUE(HasText(Rect(x - 8, w.Top, x + 9, g.Top - 8))) << v;
    }
    // Inner ticks point into the graph area.
    right.Ticks()->SetType(cttInner);
    Image->Display();
    const TRect inner = Image->GraphRect();
    const int y = int(inner.Bottom - (50 * inner.Height() / 100.0 + 1));
    for (int x = inner.Right - 4; x < inner.Right; ++x) EXPECT_EQ(Pixel(x, y), clRed) << x;
}

TEST_F(TAxisImageFixture, MinorTicksDivideEachStepAndContinuePastTheLast)
{
    TKvChartAxis& bottom = *Image->BottomAxis();
    bottom.SetVisible(true);
    bottom.SetMax(90);
    bottom.SetFrequency(40);  // labels 0, 40, 80; minor ticks every 8
    bottom.Ticks()->Pen()->SetColor(clRed);
    Image->Display();
    const TRect g = Image->GraphRect();
    const double k = (g.Width() - 1) / 90.0;
    auto isTick = [&](double Value, int Length) {
        const int x = int(g.Left + Value * k);
        for (int y = g.Bottom + 1; y <= g.Bottom + Length; ++y)
            if (Pixel(x, y) != clRed) return false;
        return Pixel(x, g.Bottom + Length + 1) != clRed;
    };
    for (double v : {0.0, 40.0, 80.0}) EXPECT_TRUE(isTick(v, 5)) << v;
    for (double v : {8.0, 16.0, 24.0, 32.0, 48.0, 56.0, 64.0, 72.0, 88.0}) EXPECT_TRUE(isTick(v, 3)) << v;
    // Past the last label only while inside the graph area: nothing at 96, beyond 90.
    for (int x = int(g.Left + 88 * k) + 1; x < Image->GetWidth(); ++x)
        for (int y = g.Bottom + 1; y <= g.Bottom + 3; ++y) EXPECT_NE(Pixel(x, y), clRed) << x;
}

// A caller shows a small range with a unit prefix: the range is rescaled first, and
// the axis labels the rescaled numbers.
TEST_F(TAxisImageFixture, LabelsOfARangeRescaledToAUnitPrefix)
{
    double min = 0, max = 0.002;
    std::string unit;
    const double factor = CorrectAxisData(min, max, "V", unit);
    EXPECT_EQ(unit, "mV");
    EXPECT_DOUBLE_EQ(factor, 1000);
    TKvChartAxis axis;
    axis.SetRange(min, max);
    axis.SetFrequency(0.5);
    EXPECT_EQ(Texts(axis), (std::vector<std::string>{"0.0", "0.5", "1.0", "1.5", "2.0"}));
}

TEST_F(TAxisImageFixture, ValueMappingBothWays)
{
    Image->Display();
    const TRect g = Image->GraphRect();
    Image->BottomAxis()->SetMin(-50);
    Image->BottomAxis()->SetMax(50);
    Image->RightAxis()->SetMin(0);
    Image->RightAxis()->SetMax(1);
    TPoint p;
    EXPECT_TRUE(Image->ValueToGraphPoint(TDPoint{0, 50}, p, true));
    EXPECT_EQ(p, Point(int(g.Left + 50 * g.Width() / 100.0), int(g.Bottom - 50 * g.Height() / 100.0)));
    EXPECT_TRUE(Image->ValueToGraphPoint(TDPoint{50, 0}, p, true));
    EXPECT_EQ(p, Point(g.Right, g.Bottom));
    EXPECT_FALSE(Image->ValueToGraphPoint(TDPoint{60, 0}, p, true));
    EXPECT_TRUE(Image->ValueToGraphPoint(TDPoint{-50, 0.5}, p, false));
    EXPECT_EQ(p.y, int(g.Bottom - 0.5 * g.Height()));
    EXPECT_FALSE(Image->ValueToGraphPoint(TDPoint{1e300, 1e300}, p, true));  // no overflow

    TDPoint v;
    EXPECT_TRUE(Image->GraphPointToValue(Point(g.Left, g.Bottom), v, true));
    EXPECT_DOUBLE_EQ(v.x, -50);
    EXPECT_DOUBLE_EQ(v.y, 0);
    EXPECT_TRUE(Image->GraphPointToValue(Point(g.Right, g.Top), v, false));
    EXPECT_DOUBLE_EQ(v.x, 50);
    EXPECT_DOUBLE_EQ(v.y, 1);
    EXPECT_FALSE(Image->GraphPointToValue(Point(g.Right + 1, g.Top), v, false));

    struct Case {
        double Value;
        int Max, Precision;
    } cases[] = {{3, 5, 0}, {2.5, 5, 1}, {0.125, 5, 3}, {1.0 / 3, 4, 4}, {-0.75, 5, 2}};
    for (const Case& c : cases) EXPECT_EQ(TKvAxisImage::CalcPrecision(c.Value, c.Max), c.Precision) << c.Value;
}

struct TAxisImageMouseFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(0, 0, 500, 300);
        Image = WidgetInput::PlaceOn<TKvAxisImage>(Form, 0, 0, 400, 250);
        WidgetInput::ShowLoaded(Form);
        Image->Display();
        G = Image->GraphRect();
    }
    void TearDown() override { FreeForm(Form); }
    TForm* Form = nullptr;
    TKvAxisImage* Image = nullptr;
    TRect G;
};

TEST_F(TAxisImageMouseFixture, ZoomBandAppliesAndDragBackRestores)
{
    Image->Zoom()->ZoomEnabled = true;
    Image->Zoom()->ZoomShiftState = ssLeft;
    Image->LeftAxis()->SetVisible(true);
    Image->Display();
    G = Image->GraphRect();
    Image->RightAxis()->SetMin(0);
    Image->RightAxis()->SetMax(10);
    int zooms = 0;
    Image->OnZoom = [&](TObject* Sender) {
        EXPECT_EQ(Sender, Image->Zoom());
        ++zooms;
    };
    const TPoint a = Point(G.Left + 10, G.Top + 20), b = Point(G.Left + 110, G.Top + 70);
    TDPoint va, vb;
    Image->GraphPointToValue(a, va);
    Image->GraphPointToValue(b, vb);

    // A press and release on one spot applies nothing.
    Mouse(Image, QEvent::MouseButtonPress, a.x, a.y);
    Mouse(Image, QEvent::MouseButtonRelease, a.x, a.y);
    EXPECT_EQ(zooms, 0);
    EXPECT_EQ(Image->BottomAxis()->GetMax(), 100);

    Mouse(Image, QEvent::MouseButtonPress, a.x, a.y);
    Mouse(Image, QEvent::MouseMove, b.x, b.y);
    EXPECT_TRUE(Image->Zoom()->Zooming);
    EXPECT_EQ(Image->Buffer().Canvas()->GetPixel(b.x - 1, a.y), ColorToRGB(clBlack));  // the band
    Mouse(Image, QEvent::MouseButtonRelease, b.x, b.y);
    EXPECT_EQ(zooms, 1);
    EXPECT_FALSE(Image->Zoom()->Zooming);
    EXPECT_DOUBLE_EQ(Image->BottomAxis()->GetMin(), va.x);
    EXPECT_DOUBLE_EQ(Image->BottomAxis()->GetMax(), vb.x);
    EXPECT_DOUBLE_EQ(Image->LeftAxis()->GetMin(), vb.y);
    EXPECT_DOUBLE_EQ(Image->LeftAxis()->GetMax(), va.y);
    // The invisible right axis keeps its range; the user ranges stay.
    EXPECT_EQ(Image->RightAxis()->GetMax(), 10);
    EXPECT_EQ(Image->BottomAxis()->GetUserMax(), 100);

    // Up and to the left: back to the ranges the caller set.
    Mouse(Image, QEvent::MouseButtonPress, b.x, b.y);
    Mouse(Image, QEvent::MouseMove, a.x, a.y);
    Mouse(Image, QEvent::MouseButtonRelease, a.x, a.y);
    EXPECT_EQ(zooms, 2);
    EXPECT_EQ(Image->BottomAxis()->GetMin(), 0);
    EXPECT_EQ(Image->BottomAxis()->GetMax(), 100);
    EXPECT_EQ(Image->LeftAxis()->GetMax(), 100);
}

TEST_F(TAxisImageMouseFixture, DragPansTheRanges)
{
    Image->Zoom()->MoveEnabled = true;
    Image->Zoom()->MoveShiftState = ssRight;
    Image->TopAxis()->SetMin(0);
    int moving = 0, moved = 0;
    Image->OnMoving = [&](TObject*) { ++moving; };
    Image->OnMoved = [&](TObject*) { ++moved; };
    const int x = G.Left + 50, y = G.Top + 50;
    Mouse(Image, QEvent::MouseButtonPress, x, y, Qt::RightButton);
    Mouse(Image, QEvent::MouseMove, x + G.Width() / 4, y - G.Height() / 2, Qt::RightButton);
    Mouse(Image, QEvent::MouseButtonRelease, x + G.Width() / 4, y - G.Height() / 2, Qt::RightButton);
    EXPECT_EQ(moving, 1);
    EXPECT_EQ(moved, 1);
    // Dragging right shows smaller x, dragging up larger y.
    EXPECT_DOUBLE_EQ(Image->BottomAxis()->GetMin(), -100.0 * (G.Width() / 4) / G.Width());
    EXPECT_DOUBLE_EQ(Image->LeftAxis()->GetMin(), -100.0 * (G.Height() / 2) / G.Height());
    EXPECT_EQ(Image->TopAxis()->GetMin(), 0);
    EXPECT_EQ(Image->BottomAxis()->GetUserMin(), 0);
}

TEST_F(TAxisImageMouseFixture, SelectorsAreDrawnOverTheDataAndRepaintWithAutoUpdate)
{
    Image->SetAutoRefresh(true);
    TKvGraphSelector* s = Image->Selectors()->Add();
    s->Pen()->SetColor(clRed);
    s->SetPos(50);
    const int y = (G.Top + G.Bottom) / 2;
    const int x = s->GetWinPos();
    EXPECT_NE(Image->Buffer().Canvas()->GetPixel(x, y), clRed) << "no repaint without AutoUpdate";
    Image->Display();
    EXPECT_EQ(Image->Buffer().Canvas()->GetPixel(x, y), clRed);
    EXPECT_EQ(Image->Buffer().Canvas()->GetPixel(x, G.Top), clRed);

    s->AutoUpdate = true;
    s->SetPos(20);
    const int moved = s->GetWinPos();
    ASSERT_NE(moved, x);
    EXPECT_EQ(Image->Buffer().Canvas()->GetPixel(moved, y), clRed);
    EXPECT_NE(Image->Buffer().Canvas()->GetPixel(x, y), clRed);
}

// A vertical line on the bottom axis and a horizontal one on the right axis: the hover
// cursor, then a drag that reports each step and the release.
TEST_F(TAxisImageMouseFixture, SelectorsShowTheirCursorAndFollowTheDrag)
{
    Image->RightAxis()->SetMin(0);
    Image->RightAxis()->SetMax(10);
    TKvGraphSelector* vertical = Image->Selectors()->Add();
    vertical->SetPos(50);
    vertical->Cursor = crSizeWE;
    TKvGraphSelector* horizontal = Image->Selectors()->Add();
    horizontal->SetOrientation(gsoHorizontal);
    horizontal->LeftAxis = false;
    horizontal->SetPos(5);
    horizontal->Cursor = crSizeNS;
    Image->Display();
    std::vector<std::string> events;
    Image->OnSelectorChanging = [&](TObject* Sender, int Index) {
        EXPECT_EQ(Sender, Image);
        events.push_back("changing " + std::to_string(Index));
    };
    Image->OnSelectorChanged = [&](TObject* Sender, int Index) {
        EXPECT_EQ(Sender, Image);
        events.push_back("changed " + std::to_string(Index));
    };

    struct TCase {
        TKvGraphSelector* Selector;
        TPoint On, Off, To;
    };
    const int vx = vertical->GetWinPos(), hy = horizontal->GetWinPos();
    const TCase cases[] = {
        {vertical, Point(vx + 2, G.Top + 20), Point(vx + 10, G.Top + 20), Point(vx + 60, G.Top + 30)},
        {horizontal, Point(G.Left + 20, hy - 3), Point(G.Left + 20, hy - 10), Point(G.Left + 30, hy + 40)},
    };
    for (int i = 0; i < 2; ++i) {
        const TCase& c = cases[i];
        SCOPED_TRACE(i);
        events.clear();
        PlainMove(Image, c.Off.x, c.Off.y);
        EXPECT_EQ(GetControlCursor(Image), crDefault);
        PlainMove(Image, c.On.x, c.On.y);
        EXPECT_EQ(GetControlCursor(Image), c.Selector->Cursor);
        PlainMove(Image, c.Off.x, c.Off.y);
        EXPECT_EQ(GetControlCursor(Image), crDefault);
        EXPECT_TRUE(events.empty()) << "hovering drags nothing";

        Mouse(Image, QEvent::MouseButtonPress, c.On.x, c.On.y);
        Mouse(Image, QEvent::MouseMove, c.To.x, c.To.y);
        TDPoint value;
        Image->GraphPointToValue(c.To, value, c.Selector->LeftAxis);
        EXPECT_DOUBLE_EQ(c.Selector->GetPos(), i == 0 ? value.x : value.y);
        const TPoint drawn = i == 0 ? Point(c.To.x, G.Top + 5) : Point(G.Left + 5, c.To.y);
        EXPECT_EQ(Image->Buffer().Canvas()->GetPixel(drawn.x, drawn.y), clBlack) << "repainted at the new place";
        Mouse(Image, QEvent::MouseButtonRelease, c.To.x, c.To.y);
        EXPECT_EQ(events, (std::vector<std::string>{"changing " + std::to_string(i), "changed " + std::to_string(i)}));
        // After the release the mouse drags nothing.
        const double kept = c.Selector->GetPos();
        PlainMove(Image, c.On.x, c.On.y);
        EXPECT_EQ(c.Selector->GetPos(), kept);
    }
    // A press beside the lines drags none of them.
    events.clear();
    Mouse(Image, QEvent::MouseButtonPress, G.Left + 100, G.Top + 100);
    Mouse(Image, QEvent::MouseMove, G.Left + 120, G.Top + 110);
    Mouse(Image, QEvent::MouseButtonRelease, G.Left + 120, G.Top + 110);
    EXPECT_TRUE(events.empty());
}

TEST(AxisImageZoom, AssignCopiesSettingsAndRefusesOthers)
{
    TKvAxisImage image(nullptr);
    TKvAxisImageZoom zoom(&image);
    zoom.ZoomEnabled = true;
    zoom.MoveShiftState = ssCtrl | ssLeft;
    zoom.Pen()->SetColor(clRed);
    image.SetZoom(zoom);
    EXPECT_TRUE(image.Zoom()->ZoomEnabled);
    EXPECT_EQ(image.Zoom()->MoveShiftState, ssCtrl | ssLeft);
    EXPECT_EQ(image.Zoom()->Pen()->GetColor(), clRed);
    try {
        image.Zoom()->Assign(image.Title());
        ADD_FAILURE();
    } catch (const EAssignError& e) {
        EXPECT_STREQ(e.what(), "Can'not assign to TKvAxisImageZoom");
    }
}

}  // namespace
