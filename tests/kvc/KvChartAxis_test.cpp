// Settings of axes, titles, ticks and labels: defaults, what a setter reports, angle
// normalisation, the user range, and copying between objects of one kind.
#include <gtest/gtest.h>

#include "kvc/KvChartAxis.h"

using namespace KVC;

namespace {

TEST(ChartAxis, DefaultsAfterConstruction)
{
    TKvChartAxis axis;
    EXPECT_FALSE(axis.GetVisible());
    EXPECT_EQ(axis.GetMin(), 0);
    EXPECT_EQ(axis.GetMax(), 100);
    EXPECT_EQ(axis.GetFrequency(), 10);
    EXPECT_EQ(axis.MaxPrecision, 5);
    EXPECT_EQ(axis.Title()->GetIndent(), 3);
    EXPECT_EQ(axis.Title()->Font()->GetName(), "Tahoma");
    EXPECT_EQ(axis.Title()->GetAlignment(), taCenter);
    EXPECT_EQ(axis.Ticks()->GetType(), cttOuter);
    EXPECT_EQ(axis.Ticks()->GetLength(), 5);
    EXPECT_EQ(axis.Ticks()->GetMinorTickCount(), 4);
    EXPECT_EQ(axis.Ticks()->GetMinotTickLength(), 3);
    EXPECT_TRUE(axis.Labels()->GetRoundFirstLabel());
    EXPECT_EQ(axis.Labels()->GetIndent(), 2);
    EXPECT_EQ(axis.Labels()->Font()->GetSize(), 7);
}

TEST(ChartAxis, SettersReportOnlyChanges)
{
    TKvChartAxis axis;
    std::vector<TObject*> senders;
    axis.OnChange = [&](TObject* Sender) { senders.push_back(Sender); };
    axis.SetVisible(false);
    axis.SetFrequency(10);
    EXPECT_TRUE(senders.empty());
    axis.SetVisible(true);
    axis.SetGridVisible(true);
    axis.SetCountLabels(3);
    EXPECT_EQ(senders.size(), 3u);
    // Parts and pens report through the axis, which names itself.
    axis.GridPen()->SetColor(clRed);
    axis.Title()->SetText("Time");
    axis.Labels()->Font()->SetSize(9);
    EXPECT_EQ(senders.size(), 6u);
    for (TObject* s : senders) EXPECT_EQ(s, &axis);

    // Switching autoscaling off is stored without a report.
    axis.SetAutoScale(true);
    EXPECT_EQ(senders.size(), 7u);
    axis.SetAutoScale(false);
    EXPECT_EQ(senders.size(), 7u);
    EXPECT_FALSE(axis.GetAutoScale());
}

TEST(ChartAxis, UserRangeFollowsSetMinAndSetMaxOnly)
{
    TKvChartAxis axis;
    int changes = 0;
    axis.OnChange = [&](TObject*) { ++changes; };
    axis.SetMin(-5);
    axis.SetMax(50);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(axis.GetUserMin(), -5);
    EXPECT_EQ(axis.GetUserMax(), 50);
    axis.SetRange(1, 2);  // a zoom
    EXPECT_EQ(axis.GetUserMin(), -5);
    // Setting the current value again leaves the user range as it is.
    axis.SetMin(1);
    EXPECT_EQ(axis.GetUserMin(), -5);
    EXPECT_EQ(changes, 2);
    axis.RestoreUserRange();
    EXPECT_EQ(axis.GetMin(), -5);
    EXPECT_EQ(axis.GetMax(), 50);
}

TEST(ChartAxis, AnglesAreKeptWithinOneTurn)
{
    struct Case {
        int Angle;
        int Stored;
    } cases[] = {{-90, 270}, {720, 360}, {360, 360}, {45, 45}, {-450, 270}, {361, 1}};
    for (const Case& c : cases) {
        TKvChartTitle title;
        title.SetAngle(c.Angle);
        EXPECT_EQ(title.GetAngle(), c.Stored) << c.Angle;
        TKvChartLabels labels;
        labels.SetAngle(c.Angle);
        EXPECT_EQ(labels.GetAngle(), c.Stored) << c.Angle;
    }
}

TEST(ChartAxis, AssignCopiesItsOwnKindAndRefusesOthers)
{
    TKvChartAxis source;
    source.SetMin(-1);
    source.SetMax(1);
    source.SetRange(-0.5, 0.5);
    source.SetVisible(true);
    source.SetAutoScale(true);
    source.SetCountPixelsBetweenLabels(40);
    source.Title()->SetText("Pressure");
    source.Title()->SetIndent(9);
    source.Ticks()->SetLength(8);
    source.Labels()->SetPrecision(2);
    source.AxisPen()->SetWidth(3);

    TKvChartAxis target;
    int changes = 0;
    target.OnChange = [&](TObject*) { ++changes; };
    target.Assign(&source);
    EXPECT_GT(changes, 0);
    EXPECT_EQ(target.GetMin(), -0.5);
    EXPECT_EQ(target.GetUserMin(), -1);
    EXPECT_EQ(target.GetUserMax(), 1);
    EXPECT_TRUE(target.GetVisible());
    EXPECT_TRUE(target.GetAutoScale());
    EXPECT_EQ(target.GetCountPixelsBetweenLabels(), 0);  // not copied
    EXPECT_EQ(target.Title()->GetText(), "Pressure");
    EXPECT_EQ(target.Title()->GetIndent(), 3);  // not copied
    EXPECT_EQ(target.Ticks()->GetLength(), 8);
    EXPECT_EQ(target.Labels()->GetPrecision(), 2);
    EXPECT_EQ(target.AxisPen()->GetWidth(), 3);

    TKvChartTitle title;
    title.SetText("kept");
    title.Assign(&title);
    EXPECT_EQ(title.GetText(), "kept");

    TKvChartTicks ticks;
    TKvChartLabels labels;
    struct Case {
        TPersistent* Target;
        const TPersistent* Source;
        const char* Message;
    } cases[] = {
        {&title, &ticks, "Can'not assign to TKvChartTitle"},
        {&ticks, &labels, "Can'not assign to TKvChartTicks"},
        {&labels, nullptr, "Can'not assign to TKvChartLabels"},
        {&target, &title, "Can'not assign to TKvChartAxis"},
    };
    for (const Case& c : cases) {
        try {
            c.Target->Assign(c.Source);
            ADD_FAILURE() << c.Message;
        } catch (const EAssignError& e) {
            EXPECT_STREQ(e.what(), c.Message);
        }
    }
}

}  // namespace
