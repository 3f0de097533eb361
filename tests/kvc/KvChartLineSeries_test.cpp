// Line series data: ordering of added points, bounds, interpolation, deleting, limits of
// the settings, extents, copying, and what reaches the chart as a change.
#include <gtest/gtest.h>

#include <memory>
#include "kvc/KvChart.h"

using namespace KVC;

namespace {

struct TSeriesFixture : ::testing::Test {
    void SetUp() override
    {
        Chart = std::make_unique<TKvChart>(nullptr);
        Chart->EndLoading();
        Chart->OnPaint = [this](TObject*) { ++Paints; };
        Series = Chart->LineSeries()->Add();
    }
    std::vector<double> Ys() const
    {
        std::vector<double> ys;
        for (const TDPoint& p : Series->Points()) ys.push_back(p.y);
        return ys;
    }
    std::unique_ptr<TKvChart> Chart;
    TKvLineSeries* Series = nullptr;
    int Paints = 0;
};

TEST_F(TSeriesFixture, DefaultsAndNames)
{
    EXPECT_TRUE(Chart->GetAutoRefresh());
    EXPECT_EQ(Series->GetName(), "LineSeries1");
    EXPECT_EQ(Chart->LineSeries()->Add()->GetName(), "LineSeries2");
    EXPECT_EQ(Series->GetDisplayName(), "LineSeries1");
    EXPECT_EQ(Series->Pen()->GetColor(), clRed);
    EXPECT_EQ(Series->ShapeBrush()->GetColor(), clRed);
    EXPECT_EQ(Series->GetShapeSize(), 5);
    EXPECT_EQ(Series->GetSplineStep(), 0.1);
    EXPECT_EQ(Series->GetSplineOrder(), 0);
    EXPECT_EQ(Series->GetTypeDependence(), tdLinear);
    EXPECT_TRUE(Series->GetJoinPoints());
    EXPECT_TRUE(Series->GetAutoUpdate());
    EXPECT_EQ(Paints, 0);  // adding a series repaints nothing
}

TEST_F(TSeriesFixture, SettingsAreKeptWithinLimits)
{
    Series->SetSplineOrder(1);
    EXPECT_EQ(Series->GetSplineOrder(), 2);
    Series->SetShapeSize(-3);
    EXPECT_EQ(Series->GetShapeSize(), 0);
    Series->SetSplineStep(0);
    EXPECT_EQ(Series->GetSplineStep(), 0.1);
    Series->SetSplineStep(-1);
    EXPECT_EQ(Series->GetSplineStep(), 0.1);
}

TEST_F(TSeriesFixture, LinearSeriesKeepsXOrderNewBeforeEqual)
{
    const double xs[] = {3, 1, 2, 2};
    for (int i = 0; i < 4; ++i) Series->AddXY(xs[i], i);
    // y holds the order of adding: 1 (y 1), then the second 2 (y 3), the first 2 (y 2), 3 (y 0).
    EXPECT_EQ(Ys(), (std::vector<double>{1, 3, 2, 0}));

    Series->Clear();
    Series->SetTypeDependence(tdPoints);
    for (int i = 0; i < 4; ++i) Series->AddXY(xs[i], i);
    EXPECT_EQ(Ys(), (std::vector<double>{0, 1, 2, 3}));
}

// After a view of a whole day-long run a clear gives the room back: the short view that
// follows holds no more than a short series needs, not the long run's 14 MB.
TEST_F(TSeriesFixture, ClearAfterALongSeriesGivesItsRoomBack)
{
    Series->SetAutoUpdate(false);
    for (int i = 0; i < 864000; ++i) Series->AddXY(i, i % 7);
    Series->Clear();
    for (int i = 0; i < 1000; ++i) Series->AddXY(i, i);
    EXPECT_EQ(Series->GetCount(), 1000);
    EXPECT_LT(Series->Points().capacity() * sizeof(TDPoint), std::size_t(2) << 20);
}

TEST_F(TSeriesFixture, BoundsAndInterpolation)
{
    EXPECT_EQ(Series->X2Y(5), 0);
    for (TDPoint p : {TDPoint{0, 10}, TDPoint{10, 20}, TDPoint{20, 0}}) Series->AddXY(p.x, p.y);
    TDPoint found;
    EXPECT_TRUE(Series->GetLowerBound(TDPoint{15, 0}, found));
    EXPECT_EQ(found.x, 10);
    EXPECT_TRUE(Series->GetUpperBound(TDPoint{15, 0}, found));
    EXPECT_EQ(found.x, 20);
    int at = -1;
    EXPECT_TRUE(Series->GetUpperBound(TDPoint{10, 0}, at));
    EXPECT_EQ(at, 1);
    EXPECT_FALSE(Series->GetLowerBound(TDPoint{-1, 0}, at));
    EXPECT_FALSE(Series->GetUpperBound(TDPoint{21, 0}, at));

    struct Case {
        double X, Y;
    } cases[] = {{-5, 10}, {0, 10}, {5, 15}, {10, 20}, {15, 10}, {20, 0}, {99, 0}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(Series->X2Y(c.X), c.Y) << c.X;

    // Points in the order added: the neighbours are found by x all the same.
    TKvLineSeries* loose = Chart->LineSeries()->Add();
    loose->SetTypeDependence(tdPoints);
    for (TDPoint p : {TDPoint{20, 0}, TDPoint{0, 10}, TDPoint{10, 20}}) loose->AddXY(p.x, p.y);
    EXPECT_DOUBLE_EQ(loose->X2Y(15), 10);
    EXPECT_DOUBLE_EQ(loose->X2Y(5), 15);
    EXPECT_TRUE(loose->GetLowerBound(TDPoint{12, 0}, found));
    EXPECT_EQ(found.x, 10);
}

TEST_F(TSeriesFixture, FindDeleteAndIndexErrors)
{
    for (int i = 0; i < 6; ++i) Series->AddXY(i, i * i);
    int at = -1;
    EXPECT_TRUE(Series->Find(TDPoint{3, 9}, at));
    EXPECT_EQ(at, 3);
    EXPECT_FALSE(Series->Find(TDPoint{3, 8}, at));
    EXPECT_TRUE(Series->Delete(TDPoint{3, 9}));
    EXPECT_FALSE(Series->Delete(TDPoint{3, 9}));
    EXPECT_TRUE(Series->Delete(0));
    EXPECT_FALSE(Series->Delete(7));
    EXPECT_FALSE(Series->Delete(-1));
    EXPECT_EQ(Ys(), (std::vector<double>{1, 4, 16, 25}));
    Series->Delete(1, 2);
    EXPECT_EQ(Ys(), (std::vector<double>{1, 25}));
    Series->Delete(1, 100);
    EXPECT_EQ(Ys(), (std::vector<double>{1}));

    TDPoint p;
    Series->GetData(0, p);
    EXPECT_EQ(p.y, 1);
    for (int index : {1, -1}) {
        try {
            Series->GetData(index, p);
            ADD_FAILURE() << index;
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "Series index out of range");
        }
    }
    EXPECT_THROW(Chart->LineSeries()->GetItem(5), std::out_of_range);
}

TEST_F(TSeriesFixture, ChangesRepaintUnlessAutoUpdateIsOff)
{
    Series->AddXY(1, 1);
    EXPECT_EQ(Paints, 1);
    Series->SetAutoUpdate(false);
    Series->AddXY(2, 5);
    Series->Pen()->SetColor(clBlue);
    EXPECT_EQ(Paints, 1);
    // The extents still see the new point.
    TDPoint min, max;
    ASSERT_TRUE(Series->SearchMinMax(min, max));
    EXPECT_EQ(max.x, 2);
    EXPECT_EQ(max.y, 5);
    Series->SetAutoUpdate(true);
    EXPECT_EQ(Paints, 2);
    // Changing the order of storing reports nothing.
    Series->SetTypeDependence(tdPoints);
    EXPECT_EQ(Paints, 2);
    TDPoint none;
    EXPECT_FALSE(Chart->LineSeries()->Add()->SearchMinMax(none, none));
}

TEST_F(TSeriesFixture, AssignCopiesTheLookOnly)
{
    TKvLineSeries* source = Chart->LineSeries()->Add();
    source->AddXY(1, 1);
    source->SetTypePoints(tpStar);
    source->SetShapeSize(9);
    source->SetTypeDependence(tdPoints);
    source->Pen()->SetWidth(3);
    source->ShapeBrush()->SetColor(clLime);
    const int before = Paints;
    Chart->LineSeries()->SetItem(0, source);
    EXPECT_EQ(Paints, before + 1);  // one repaint for the whole copy
    EXPECT_EQ(Series->GetTypePoints(), tpStar);
    EXPECT_EQ(Series->GetShapeSize(), 9);
    EXPECT_EQ(Series->GetTypeDependence(), tdPoints);
    EXPECT_EQ(Series->Pen()->GetWidth(), 3);
    EXPECT_EQ(Series->ShapeBrush()->GetColor(), clLime);
    EXPECT_EQ(Series->GetCount(), 0);
    EXPECT_EQ(Series->GetName(), "LineSeries1");

    // A copy joins the source's collection under a new name.
    TKvLineSeries* copy = TKvLineSeries::CreateCopy(*source);
    ASSERT_EQ(Chart->LineSeries()->Count(), 3);
    EXPECT_EQ(Chart->LineSeries()->GetItem(2), copy);
    EXPECT_EQ(copy->GetName(), "LineSeries3");
    EXPECT_EQ(copy->GetTypePoints(), tpStar);
    EXPECT_EQ(copy->GetCount(), 0);
    try {
        Series->Assign(Chart->Title());
        ADD_FAILURE();
    } catch (const EAssignError& e) {
        EXPECT_STREQ(e.what(), "Can'not assign to TKvLineSeries");
    }
}

}  // namespace
