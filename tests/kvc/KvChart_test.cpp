// The chart's picture: autoscaling, series drawn through exact pixels and clipped to the
// graph area, series order, point shapes, the B-spline curve, the legend, the saved
// bitmap, and a 100,000-point series.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include "TestSupport.h"
#include "kvc/KvChart.h"

using namespace KVC;

namespace {

// A chart whose graph area is exactly 100 x 100 pixels at (1, 1): no bevels, no margins,
// no axes, a 1-pixel frame; both axes from 0 to 100.
struct TChartFixture : ::testing::Test {
    void SetUp() override
    {
        Chart = std::make_unique<TKvChart>(nullptr);
        Chart->SetBounds(0, 0, 102, 102);
        Chart->SetColor(clWhite);
        Chart->SetBevelOuter(bvNone);
        Chart->SetBevelInner(bvNone);
        Chart->SetLeftMargin(0);
        Chart->SetTopMargin(0);
        Chart->SetRightMargin(0);
        Chart->SetBottomMargin(0);
        Chart->EndLoading();
        Series = Chart->LineSeries()->Add();
    }
    TColor Pixel(int X, int Y) const { return Chart->Buffer().Canvas()->GetPixel(X, Y); }
    // Pixel of the graph area.
    TColor GraphPixel(int X, int Y) const { return Pixel(X + 1, Y + 1); }
    std::unique_ptr<TKvChart> Chart;
    TKvLineSeries* Series = nullptr;
};

TEST_F(TChartFixture, GraphAreaIsTheFramedSquare)
{
    Chart->Display();
    ASSERT_EQ(Chart->GraphRect(), Rect(1, 1, 101, 101));
    EXPECT_EQ(Pixel(0, 50), clBlack);
    EXPECT_EQ(Pixel(50, 0), clBlack);
}

TEST_F(TChartFixture, AutoScaleFromTheSeries)
{
    for (TKvChartAxis* axis : {Chart->LeftAxis(), Chart->BottomAxis(), Chart->RightAxis()}) axis->SetAutoScale(true);
    Series->AddXY(5, 7);
    Chart->Display();
    EXPECT_EQ(Chart->LeftAxis()->GetMin(), 6);
    EXPECT_EQ(Chart->LeftAxis()->GetMax(), 8);
    EXPECT_EQ(Chart->LeftAxis()->GetUserMin(), 6);
    EXPECT_EQ(Chart->BottomAxis()->GetMin(), 5);
    EXPECT_EQ(Chart->BottomAxis()->GetMax(), 5);
    // No series on the right axis: it keeps its range.
    EXPECT_EQ(Chart->RightAxis()->GetMax(), 100);

    TKvLineSeries* right = Chart->LineSeries()->Add();
    right->UseRightAxis = true;
    right->AddXY(-1, 40);
    right->AddXY(2, 50);
    Chart->OnCorrectAxisRange = [&](TKvChartAxis* Axis, double& Min, double& Max) {
        if (Axis == Chart->RightAxis()) {
            Min = 0;
            Max *= 2;
        }
    };
    Chart->Display();
    EXPECT_EQ(Chart->BottomAxis()->GetMin(), -1);
    EXPECT_EQ(Chart->BottomAxis()->GetMax(), 5);
    EXPECT_EQ(Chart->RightAxis()->GetMin(), 0);
    EXPECT_EQ(Chart->RightAxis()->GetMax(), 100);
    EXPECT_EQ(Chart->LeftAxis()->GetMax(), 8);
    // The top axis is never scaled.
    Chart->TopAxis()->SetAutoScale(true);
    Chart->Display();
    EXPECT_EQ(Chart->TopAxis()->GetMax(), 100);
}

TEST_F(TChartFixture, PolylineThroughExactPixels)
{
    // (10,10) -> (10,90) in pixels, then right, up and diagonally down.
    Series->SetTypeDependence(tdPoints);
    for (TDPoint p : {TDPoint{10, 10}, TDPoint{30, 10}, TDPoint{30, 50}, TDPoint{70, 10}}) Series->AddXY(p.x, p.y);
    Chart->Display();
    for (int x = 10; x < 30; ++x) EXPECT_EQ(GraphPixel(x, 90), clRed) << x;
    EXPECT_EQ(GraphPixel(9, 90), clWhite);
    for (int y = 51; y <= 90; ++y) EXPECT_EQ(GraphPixel(30, y), clRed) << y;
    EXPECT_EQ(GraphPixel(30, 49), clWhite);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(GraphPixel(30 + i, 50 + i), clRed) << i;
    EXPECT_EQ(GraphPixel(70, 90), clWhite);  // a line leaves out its end pixel
    EXPECT_EQ(GraphPixel(31, 50), clWhite);
    int red = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) red += GraphPixel(x, y) == clRed;
    EXPECT_EQ(red, 20 + 40 + 40);
}

TEST_F(TChartFixture, SeriesStayInsideTheGraphAreaAndFirstLiesOnTop)
{
    Series->AddXY(50, 50);
    Series->AddXY(1e12, 50);  // far beyond the range: cut, no overflow
    TKvLineSeries* second = Chart->LineSeries()->Add();
    second->Pen()->SetColor(clBlue);
    second->AddXY(60, 0.5);
    second->AddXY(60, 99);
    Chart->Display();
    for (int x = 50; x < 100; ++x) EXPECT_EQ(GraphPixel(x, 50), clRed) << x;  // over the blue line at 60
    EXPECT_EQ(GraphPixel(60, 60), clBlue);
    EXPECT_EQ(Pixel(101, 51), clBlack);  // the frame, not the line
    EXPECT_EQ(Pixel(0, 51), clBlack);
}

// Many points in few pixel columns draw exactly what a line to every point draws.
TEST_F(TChartFixture, DensePointsDrawAsEveryLineWould)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(0, 100), y(0, 99.9);
    Series->SetTypeDependence(tdPoints);
    Series->SetAutoUpdate(false);
    std::vector<TDPoint> points;
    for (int i = 0; i < 3000; ++i) {
        const TDPoint p{std::floor(i / 100.0) * 3 + x(random) / 50, y(random)};
        points.push_back(p);
        Series->AddXY(p.x, p.y);
    }
    Chart->Display();
    TBitmap reference;
    reference.SetPixelFormat(pf24bit);
    reference.SetSize(100, 100);
    TCanvas* canvas = reference.Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(Rect(0, 0, 100, 100));
    canvas->Pen()->SetColor(clRed);
    canvas->MoveTo(int(points[0].x), int(100 - points[0].y));
    for (const TDPoint& p : points) canvas->LineTo(int(p.x), int(100 - p.y));
    int differ = 0;
    for (int py = 0; py < 100; ++py)
        for (int px = 0; px < 100; ++px) differ += canvas->GetPixel(px, py) != GraphPixel(px, py);
    EXPECT_EQ(differ, 0);
}

TEST_F(TChartFixture, PointsWithoutAFiniteValueBreakTheLine)
{
    Series->SetTypeDependence(tdPoints);
    const double nan = std::nan(""), inf = HUGE_VAL;
    for (TDPoint p :
         {TDPoint{10, 10}, TDPoint{40, 10}, TDPoint{nan, 50}, TDPoint{50, 30}, TDPoint{80, 30}, TDPoint{90, inf}})
        Series->AddXY(p.x, p.y);
    Chart->Display();
    for (int x = 10; x < 40; ++x) EXPECT_EQ(GraphPixel(x, 90), clRed) << x;
    for (int x = 50; x < 80; ++x) EXPECT_EQ(GraphPixel(x, 70), clRed) << x;
    EXPECT_EQ(GraphPixel(45, 80), clWhite);  // no line through the missing value
    EXPECT_EQ(GraphPixel(85, 50), clWhite);
    Series->SetTypePoints(tpCross);
    Chart->Display();
    EXPECT_EQ(GraphPixel(50, 68), clBlack);  // shapes of the finite points only
    TPoint p;
    EXPECT_FALSE(Chart->ValueToGraphPoint(TDPoint{nan, nan}, p));
}

TEST_F(TChartFixture, PointShapes)
{
    Series->AddXY(50, 50);
    Series->SetTypePoints(tpSquare);
    Series->ShapePen()->SetColor(clBlue);
    Series->ShapeBrush()->SetColor(clLime);
    Chart->Display();
    // Size 5 at (50, 50): rectangle (48, 48, 53, 53), outline blue, inside green.
    EXPECT_EQ(GraphPixel(48, 48), clBlue);
    EXPECT_EQ(GraphPixel(52, 52), clBlue);
    EXPECT_EQ(GraphPixel(50, 50), clLime);
    EXPECT_EQ(GraphPixel(53, 50), clWhite);
    EXPECT_EQ(GraphPixel(47, 50), clWhite);

    Series->SetTypePoints(tpCross);
    Chart->Display();
    for (int d = -2; d <= 2; ++d) {
        EXPECT_EQ(GraphPixel(50, 50 + d), clBlue) << d;
        EXPECT_EQ(GraphPixel(50 + d, 50), clBlue) << d;
    }
    EXPECT_EQ(GraphPixel(49, 49), clWhite);

    std::vector<int> seen;
    Series->OnDrawPoint = [&](TKvLineSeries* Sender, TCanvas*, const TRect& R, int Index, const TDPoint& Value,
                              const TPoint& Pixel) {
        EXPECT_EQ(Sender, Series);
        EXPECT_EQ(R, Rect(0, 0, 100, 100));
        EXPECT_EQ(Value.x, 50);
        EXPECT_EQ(Pixel, Point(50, 50));
        seen.push_back(Index);
    };
    Chart->Display();
    EXPECT_EQ(seen, std::vector<int>{0});
}

TEST_F(TChartFixture, SplineCurveFromTheBSpline)
{
    for (TDPoint p : {TDPoint{10, 10}, TDPoint{50, 90}, TDPoint{90, 10}}) Series->AddXY(p.x, p.y);
    Series->SetSplineOrder(3);
    Series->SetSplineStep(0.25);
    Series->SetUseSplines(true);
    Chart->Display();
    // Three points of order 3: one quadratic piece from the first to the last point.
    ASSERT_EQ(Series->GetSplineCount(), GetCountBSplinePoints(3, 3, 0.25f));
    ASSERT_EQ(Series->GetSplineCount(), 5);
    const double expected[][2] = {{10, 10}, {30, 40}, {50, 50}, {70, 40}, {90, 10}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(Series->GetSplinePoint(i).x, expected[i][0], 1e-4) << i;
        EXPECT_NEAR(Series->GetSplinePoint(i).y, expected[i][1], 1e-4) << i;
        // The curve at a parameter lies on the drawn curve.
        EXPECT_NEAR(Series->GetSplinePoint(i * 0.25).y, expected[i][1], 1e-4) << i;
    }
    EXPECT_EQ(Series->GetSplinePoint(5).x, 0);
    // The curve, not the polyline: (50, 50) is drawn, the control point (50, 90) is not.
    EXPECT_EQ(GraphPixel(50, 50), clRed);
    EXPECT_EQ(GraphPixel(50, 10), clWhite);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(GraphPixel(10 + i, 90 - int(i * 1.5)), clRed) << i;
    // y by the curve.
    EXPECT_NEAR(Series->X2Y(40), 45, 1e-4);
    EXPECT_NEAR(Series->X2Y(0), 10, 1e-4);
    EXPECT_NEAR(Series->X2Y(1000), 10, 1e-4);

    // Fewer points than the order: no curve.
    Series->SetSplineOrder(4);
    Chart->Display();
    EXPECT_EQ(Series->GetSplineCount(), 0);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(GraphPixel(x, y), clWhite) << x << "," << y;
}

TEST_F(TChartFixture, LegendListsSeriesWithPoints)
{
    Chart->SetBounds(0, 0, 300, 200);
    Chart->Legend()->SetVisible(true);
    Series->SetName("Pressure");
    Series->AddXY(1, 1);
    TKvLineSeries* empty = Chart->LineSeries()->Add();
    empty->SetName("A much longer name of an empty series");
    TKvLineSeries* third = Chart->LineSeries()->Add();
    third->Pen()->SetColor(clBlue);
    third->AddXY(1, 2);
    Chart->Legend()->SetLineBoxWidth(1, 3);
    Chart->Display();

    TCanvas* canvas = Chart->Buffer().Canvas();
    canvas->Font()->Assign(*Chart->Legend()->Font());
    const int h = canvas->TextHeight("0");
    const int w = canvas->TextWidth(empty->GetName());
    const TRect box = Chart->Legend()->BoxRect();
    EXPECT_EQ(box, Rect(300 - (10 + w + 15), 0, 300, (h + 5) * 2 + 5));
    EXPECT_EQ(Pixel(box.Left, 5), clBlack);
    // Samples: 10 x 3 at (left + 5, top + 5 + k * (h + 5) + h / 2 - 1).
    const int first = 5 + h / 2 - 1;
    for (int x = box.Left + 5; x < box.Left + 15; ++x) {
        EXPECT_EQ(Pixel(x, first), clRed) << x;
        EXPECT_EQ(Pixel(x, first + 2), clRed) << x;
        EXPECT_EQ(Pixel(x, first + h + 5), clBlue) << x;
    }
    EXPECT_EQ(Pixel(box.Left + 5, first + 3), clWhite);

    // All series empty: a box 5 pixels high and no rows; in the bottom left corner.
    Series->Clear();
    third->Clear();
    Chart->Legend()->SetPosition(clpLeftBottom);
    Chart->Display();
    EXPECT_EQ(Chart->Legend()->BoxRect().Height(), 5);
    EXPECT_EQ(Chart->Legend()->BoxRect().Left, 0);
    EXPECT_EQ(Chart->Legend()->BoxRect().Bottom, 200);
}

TEST_F(TChartFixture, SavedBitmapHoldsTheSeries)
{
    TTempDir dir;
    for (TDPoint p : {TDPoint{10, 10}, TDPoint{90, 10}}) Series->AddXY(p.x, p.y);
    Chart->Display();
    Chart->SaveToBitmapFile(dir.File("graph.bmp"));
    TBitmap read;
    read.LoadFromFile(dir.File("graph.bmp"));
    ASSERT_EQ(read.GetWidth(), 102);
    ASSERT_EQ(read.GetHeight(), 102);
    for (int x = 11; x < 91; ++x) EXPECT_EQ(read.Canvas()->GetPixel(x, 91), clRed) << x;
    EXPECT_EQ(read.Canvas()->GetPixel(91, 91), clWhite);
}

TEST_F(TChartFixture, GridOverDataOnlyWhenAsked)
{
    TKvChartAxis& left = *Chart->LeftAxis();
    left.SetVisible(true);
    left.Labels()->SetVisible(false);
    left.Ticks()->SetVisible(false);
    left.SetFrequency(50);
    left.SetGridVisible(true);
    left.GridPen()->SetStyle(psSolid);
    left.GridPen()->SetColor(clLime);
    // The grid line of 50 lies on graph row 49, as does a series at 51.
    Series->AddXY(0, 51);
    Series->AddXY(100, 51);
    std::vector<TRect> framed;
    Chart->OnBeforeDrawGraphic = [&](TCanvas*, const TRect& R) { framed.push_back(R); };
    Chart->Display();
    ASSERT_EQ(Chart->GraphRect(), Rect(1, 1, 101, 101));
    EXPECT_EQ(framed, std::vector<TRect>{Rect(0, 0, 102, 102)});
    EXPECT_EQ(GraphPixel(40, 49), clRed);
    Chart->SetDrawGridAfterData(true);
    Chart->Display();
    EXPECT_EQ(GraphPixel(40, 49), clLime);
}

TEST_F(TChartFixture, GraphicBitmapFillsTheGraphAreaLeavingItsTransparentColour)
{
    TKvAxisImage image(nullptr);
    image.SetBounds(0, 0, 102, 102);
    image.SetBevelOuter(bvNone);
    image.SetBevelInner(bvNone);
    image.SetLeftMargin(0);
    image.SetTopMargin(0);
    image.SetRightMargin(0);
    image.SetBottomMargin(0);
    image.Brush()->SetColor(clYellow);
    image.EndLoading();
    TBitmap picture;
    picture.SetSize(2, 2);
    picture.Canvas()->SetPixel(0, 0, clBlue);
    picture.Canvas()->SetPixel(1, 0, clWhite);
    picture.Canvas()->SetPixel(0, 1, clWhite);
    picture.Canvas()->SetPixel(1, 1, clRed);
    int prepared = 0;
    image.OnPrepareGraphicBitmap = [&](TObject*) {
        ++prepared;
        picture.Canvas()->SetPixel(1, 1, clGreen);  // drawing here is part of the paint
    };
    image.SetAutoRefresh(true);
    image.SetGraphicBitmap(&picture);
    EXPECT_EQ(prepared, 1);
    TCanvas* canvas = image.Buffer().Canvas();
    EXPECT_EQ(canvas->GetPixel(1, 1), clBlue);
    EXPECT_EQ(canvas->GetPixel(50, 50), clBlue);
    EXPECT_EQ(canvas->GetPixel(75, 25), clYellow);  // white is transparent
    EXPECT_EQ(canvas->GetPixel(100, 100), clGreen);
    image.SetGraphicTransparentColor(clBlue);
    EXPECT_EQ(prepared, 2);
    EXPECT_EQ(canvas->GetPixel(50, 50), clYellow);
    EXPECT_EQ(canvas->GetPixel(75, 25), clWhite);
}

// Columns of the graph area in which the picture shows the colour.
int ColumnsShowing(const TKvChart& Chart, TColor Color)
{
    const TRect g = Chart.GraphRect();
    const TCanvas* canvas = Chart.Buffer().Canvas();
    int columns = 0;
    for (int x = g.Left; x < g.Right; ++x) {
        bool found = false;
        for (int y = g.Top; y < g.Bottom && !found; ++y) found = canvas->GetPixel(x, y) == Color;
        columns += found;
    }
    return columns;
}

// A live graph's long series: joined points leave no gap along the graph area, a point
// added per tick shows at once, and the smoothed curve covers the whole series. Its speed
// is measured by the chart benchmark.
TEST(ChartLongSeries, HundredThousandPointsLeaveNoGapAndSmoothAsAWhole)
{
    TKvChart chart(nullptr);
    chart.SetBounds(0, 0, 800, 400);
    chart.SetColor(clWhite);
    chart.EndLoading();
    for (TKvChartAxis* axis : {chart.LeftAxis(), chart.BottomAxis()}) {
        axis->SetVisible(true);
        axis->SetAutoScale(true);
        axis->SetGridVisible(false);
    }
    TKvLineSeries* series = chart.LineSeries()->Add();
    series->SetAutoUpdate(false);
    series->SetTypeDependence(tdPoints);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0, 0.5);
    for (int i = 0; i < 100000; ++i) series->AddXY(i * 0.01, 20 * std::sin(i * 0.0005) + noise(random));

    chart.Display();
    const int width = chart.GraphRect().Width();
    ASSERT_GT(width, 600);
    EXPECT_EQ(ColumnsShowing(chart, clRed), width);

    // As a live graph: a point far to the right widens the range and shows at once.
    series->AddXY(2000, 0);
    chart.Display();
    EXPECT_EQ(chart.BottomAxis()->GetMax(), 2000);
    EXPECT_EQ(ColumnsShowing(chart, clRed), chart.GraphRect().Width());

    series->SetSplineOrder(3);
    series->SetSplineStep(1);
    series->SetUseSplines(true);
    chart.Display();
    EXPECT_GT(series->GetSplineCount(), 99000);
    EXPECT_EQ(ColumnsShowing(chart, clRed), chart.GraphRect().Width());
}

}  // namespace
