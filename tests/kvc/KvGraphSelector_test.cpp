// Cursor lines of an axis image: positions kept inside the graph area, the axis a
// horizontal line follows, finding the line under the mouse, drawing, copies and the
// change reports.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "kvc/KvAxisImage.h"
#include "kvc/KvGraphSelector.h"

using namespace KVC;

namespace {

struct TGraphSelectorFixture : ::testing::Test {
    void SetUp() override
    {
        Image.SetBounds(0, 0, 400, 250);
        Image.EndLoading();
        Image.BottomAxis()->SetMin(0);
        Image.BottomAxis()->SetMax(100);
        Image.LeftAxis()->SetMin(0);
        Image.LeftAxis()->SetMax(50);
        Image.RightAxis()->SetMin(0);
        Image.RightAxis()->SetMax(10);
        Image.RightAxis()->SetVisible(true);
        Image.Display();
        G = Image.GraphRect();
        ASSERT_GT(G.Width(), 50);
        ASSERT_GT(G.Height(), 50);
    }
    TColor Pixel(int X, int Y) const { return Image.Buffer().Canvas()->GetPixel(X, Y); }
    TKvAxisImage Image{nullptr};
    TKvGraphSelectors Selectors{&Image};
    TRect G;
};

TEST_F(TGraphSelectorFixture, DefaultsAndNames)
{
    TKvGraphSelector* first = Selectors.Add();
    TKvGraphSelector* second = Selectors.Add();
    EXPECT_EQ(first->GetDisplayName(), "Selector1");
    EXPECT_EQ(second->GetDisplayName(), "Selector2");
    EXPECT_EQ(first->GetOrientation(), gsoVertical);
    EXPECT_DOUBLE_EQ(first->GetPos(), 0);
    EXPECT_EQ(first->MouseSensetivity, 3);
    EXPECT_EQ(first->GetBackLineColor(), clBlack);
    EXPECT_TRUE(first->LeftAxis);
    EXPECT_TRUE(first->Visible);
    EXPECT_FALSE(first->AutoUpdate);
    EXPECT_EQ(first->Cursor, crDefault);
}

TEST_F(TGraphSelectorFixture, PositionBeyondTheAxisReturnsToTheGraphEdge)
{
    TKvGraphSelector* s = Selectors.Add();
    s->SetPos(150);
    TDPoint edge;
    Image.GraphPointToValue(Point(G.Right, 0), edge);
    EXPECT_DOUBLE_EQ(s->GetPos(), edge.x);
    EXPECT_NEAR(s->GetPos(), 100, 1e-9);
    EXPECT_EQ(s->GetWinPos(), G.Right);
    s->SetPos(-20);
    EXPECT_NEAR(s->GetPos(), 0, 1e-9);
    EXPECT_EQ(s->GetWinPos(), G.Left);
    // Inside the range a position stays as given.
    s->SetPos(37.25);
    EXPECT_DOUBLE_EQ(s->GetPos(), 37.25);
}

TEST_F(TGraphSelectorFixture, HorizontalLineOnTheRightAxis)
{
    TKvGraphSelector* s = Selectors.Add();
    s->SetOrientation(gsoHorizontal);
    s->LeftAxis = false;
    s->SetPos(5);  // the middle of the right axis, a tenth of the left one
    TPoint right, left;
    Image.ValueToGraphPoint(TDPoint{0, 5}, right, false);
    Image.ValueToGraphPoint(TDPoint{0, 5}, left, true);
    EXPECT_EQ(s->GetWinPos(), right.y);
    EXPECT_NE(right.y, left.y);
    s->SetPos(30);  // beyond the right axis: back to the top edge
    EXPECT_NEAR(s->GetPos(), 10, 1e-9);
    EXPECT_EQ(s->GetWinPos(), G.Top);
}

TEST_F(TGraphSelectorFixture, MouseOverWithinTheSensitivity)
{
    TKvGraphSelector* s = Selectors.Add();
    s->SetPos(50);
    const int x = s->GetWinPos();
    const int y = (G.Top + G.Bottom) / 2;
    for (int dx = -5; dx <= 5; ++dx) EXPECT_EQ(s->IsMouseOver(Point(x + dx, y)), std::abs(dx) <= 3) << dx;
    EXPECT_FALSE(s->IsMouseOver(Point(x, G.Bottom)));  // outside the graph area
    // Two lines under the mouse: the lower index wins.
    TKvGraphSelector* other = Selectors.Add();
    other->SetPos(50);
    EXPECT_EQ(Selectors.IsMouseOver(x + 1, y), 0);
    s->Visible = false;
    EXPECT_FALSE(s->IsMouseOver(Point(x, y)));
    EXPECT_EQ(Selectors.IsMouseOver(x + 1, y), 1);
    EXPECT_EQ(Selectors.IsMouseOver(G.Left - 5, y), -1);
    TKvGraphSelectors loose(nullptr);
    loose.Add();
    EXPECT_EQ(loose.IsMouseOver(x, y), -1);
}

TEST_F(TGraphSelectorFixture, DrawnAcrossTheGraphUnlessHiddenOrRefused)
{
    TKvGraphSelector* s = Selectors.Add();
    s->SetPos(25);
    s->Pen()->SetColor(clRed);
    const int x = s->GetWinPos();
    const int y = (G.Top + G.Bottom) / 2;
    const TColor before = Pixel(x, y);
    ASSERT_NE(before, clRed);
    TCanvas* canvas = Image.Buffer().Canvas();

    s->Visible = false;
    Selectors.DoPaint(canvas);
    EXPECT_EQ(Pixel(x, y), before);
    s->Visible = true;
    int asked = 0;
    s->OnDrawSelector = [&](TObject* Sender, TCanvas*, int Position, bool& Draw) {
        EXPECT_EQ(Sender, s);
        EXPECT_EQ(Position, x);
        ++asked;
        Draw = false;
    };
    Selectors.DoPaint(canvas);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Pixel(x, y), before);
    s->OnDrawSelector = nullptr;
    Selectors.DoPaint(canvas);
    EXPECT_EQ(Pixel(x, y), clRed);
    EXPECT_EQ(Pixel(x, G.Top), clRed);
}

TEST_F(TGraphSelectorFixture, AssignCopiesAndReportsOnlyWithAutoUpdate)
{
    int changes = 0;
    Selectors.OnChange = [&](TObject*) { ++changes; };
    TKvGraphSelector* s = Selectors.Add();
    s->SetPos(10);
    s->Pen()->SetColor(clBlue);
    EXPECT_EQ(changes, 0);
    s->AutoUpdate = true;
    s->SetPos(20);
    s->Pen()->SetColor(clLime);
    EXPECT_EQ(changes, 2);

    s->SetOrientation(gsoHorizontal);
    s->Tag = 4;
    s->MouseSensetivity = 9;
    auto* copy = new TKvGraphSelector(s);
    EXPECT_EQ(copy->GetCollection(), &Selectors);
    EXPECT_EQ(copy->Name, "Selector2");
    EXPECT_EQ(copy->GetOrientation(), gsoHorizontal);
    EXPECT_EQ(copy->Tag, 4);
    EXPECT_EQ(copy->Pen()->GetColor(), clLime);
    EXPECT_TRUE(copy->AutoUpdate);
    EXPECT_EQ(copy->MouseSensetivity, 3);  // not copied: the copy keeps the default

    try {
        s->Assign(&Selectors);
        ADD_FAILURE() << "a collection is not a selector";
    } catch (const EAssignError& e) {
        EXPECT_STREQ(e.what(), "Can'not assign to TKvGraphSelector");
    }
    EXPECT_THROW(s->Assign(nullptr), EAssignError);
}

}  // namespace
