// The point selector over a buffered image: its items, grabbing the topmost point,
// dragging a point through real mouse messages, starting a drag from code, and the
// markers on the picture.
#include "ImageSelectorFixture.h"
#include <vector>
#include "kvc/KvPointSelector.h"

using namespace KVC;

namespace {

struct TPointFixture : TImageSelectorFixture<TKvPointSelector> {
    void SetUp() override
    {
        TImageSelectorFixture::SetUp();
        AddPoint(5, 5);    // pixel (20, 30)
        AddPoint(25, 15);  // pixel (60, 50)
        Selector->SetShiftState(ssLeft);
        Image->Display();
    }
    TKvSelectorPointsItem* AddPoint(double X, double Y)
    {
        TKvSelectorPointsItem* item = Selector->Points()->Add();
        item->Point()->x = X;
        item->Point()->y = Y;
        return item;
    }
    TKvPoint* At(int Index) const { return Selector->Points()->GetItem(Index)->Point(); }
};

TEST_F(TPointFixture, ItemsNamesDefaultsAndAssign)
{
    TKvSelectorPointsItem* third = AddPoint(1, 2);
    EXPECT_EQ(third->GetDisplayName(), "Point3");
    EXPECT_TRUE(third->ParentMarker);
    EXPECT_TRUE(third->MarkerShow);
    EXPECT_EQ(third->MarkerColor, clRed);
    EXPECT_EQ(third->MarkerBorder, clBlack);
    EXPECT_EQ(third->MarkerSize, 3);
    EXPECT_EQ(third->Tag, 0);

    third->ParentMarker = false;
    third->MarkerColor = clLime;
    third->MarkerSize = 6;
    third->Tag = 7;
    TKvSelectorPointsItem* first = Selector->Points()->GetItem(0);
    first->Assign(third);
    EXPECT_FALSE(first->ParentMarker);
    EXPECT_EQ(first->MarkerColor, clLime);
    EXPECT_EQ(first->MarkerSize, 6);
    EXPECT_DOUBLE_EQ(first->Point()->x, 1);
    EXPECT_DOUBLE_EQ(first->Point()->y, 2);
    EXPECT_EQ(first->Tag, 0);  // neither tag nor name is copied
    EXPECT_EQ(first->Name, "Point1");
    first->Assign(first);

    try {
        first->Assign(first->Point());
        ADD_FAILURE() << "a point is not an item";
    } catch (const EAssignError& e) {
        EXPECT_STREQ(e.what(), "Can'not assign to TKvSelectorPointsItem");
    }
    EXPECT_THROW(first->Assign(nullptr), EAssignError);

    // A copy joins the same collection with a name of its own.
    auto* copy = new TKvSelectorPointsItem(third);
    EXPECT_EQ(copy->GetCollection(), Selector->Points());
    EXPECT_EQ(copy->Name, "Point4");
    EXPECT_EQ(copy->MarkerColor, clLime);
    EXPECT_DOUBLE_EQ(copy->Point()->y, 2);
}

TEST_F(TPointFixture, DraggingAPointGivesExactValuesAndEvents)
{
    Hover(90, 20);
    EXPECT_EQ(GetControlCursor(Image), crDefault);
    Hover(61, 49);
    EXPECT_EQ(GetControlCursor(Image), crHandPoint);
    EXPECT_EQ(ControlMoves, 2);  // hovering is left to the control

    Press(61, 49);
    EXPECT_EQ(Selector->CurrentIndex(), 1);
    EXPECT_EQ(ControlDowns, 0);
    Move(71, 55);
    Move(100, 20);
    Move(101, 20);  // right of the graph: ignored
    Release(101, 20);
    EXPECT_DOUBLE_EQ(At(1)->x, 45);
    EXPECT_DOUBLE_EQ(At(1)->y, 0);
    EXPECT_DOUBLE_EQ(At(0)->x, 5);
    EXPECT_EQ(Changing, 3);
    EXPECT_EQ(Changed, 1);
    EXPECT_EQ(ControlUps, 1);
    EXPECT_EQ(ControlMoves, 2);
}

TEST_F(TPointFixture, PressMustMatchTheShiftState)
{
    Selector->SetShiftState(0);
    Drag(Point(20, 30), Point(40, 40));
    EXPECT_DOUBLE_EQ(At(0)->x, 5);
    EXPECT_EQ(ControlDowns, 1);
    Selector->SetShiftState(ssLeft);
    Press(20, 30, Qt::MiddleButton);
    Move(40, 40);
    Release(40, 40, Qt::MiddleButton);
    EXPECT_DOUBLE_EQ(At(0)->x, 5);
    EXPECT_EQ(Changing + Changed, 0);
}

TEST_F(TPointFixture, SamePixelHigherIndexIsGrabbedLowerIsDrawnOnTop)
{
    At(1)->x = 5;
    At(1)->y = 5;
    TKvSelectorPointsItem* first = Selector->Points()->GetItem(0);
    first->ParentMarker = false;
    first->MarkerColor = clLime;
    Image->Display();
    EXPECT_EQ(Pixel(20, 30), clLime);
    EXPECT_EQ(Selector->CheckMouseCapture(21, 29), 1);
    EXPECT_EQ(Selector->CurrentIndex(), 1);
    Drag(Point(20, 30), Point(30, 30));
    EXPECT_DOUBLE_EQ(At(1)->x, 10);
    EXPECT_DOUBLE_EQ(At(0)->x, 5);
    // The item's own marker settings: hidden means not drawn.
    first->MarkerShow = false;
    Image->Display();
    EXPECT_EQ(Pixel(20, 30), clWhite);
    EXPECT_EQ(Pixel(30, 30), clRed);
}

TEST_F(TPointFixture, NewPointPosStartsADragFromCode)
{
    Selector->NewPointPos(2, 30, 40);  // index equal to the count: nothing
    Selector->NewPointPos(-1, 30, 40);
    EXPECT_DOUBLE_EQ(At(0)->x, 5);
    EXPECT_DOUBLE_EQ(At(1)->x, 25);
    Selector->NewPointPos(0, 30, 40);
    EXPECT_DOUBLE_EQ(At(0)->x, 10);
    EXPECT_DOUBLE_EQ(At(0)->y, 10);
    EXPECT_EQ(GetControlCursor(Image), crHandPoint);
    Move(40, 44);
    Release(40, 44);
    EXPECT_DOUBLE_EQ(At(0)->x, 15);
    EXPECT_DOUBLE_EQ(At(0)->y, 12);
    EXPECT_EQ(Changed, 1);
}

TEST_F(TPointFixture, ConstraintsAndBoundsClampPoints)
{
    SetRect(Selector->ValueConstraints(), 2, 30, 2, 20);
    Selector->SetValueConstraintsEnabled(true);
    Drag(Point(60, 50), Point(100, 70));
    EXPECT_DOUBLE_EQ(At(1)->x, 30);
    EXPECT_DOUBLE_EQ(At(1)->y, 20);
    At(0)->x = -4;
    Selector->CheckBounds();
    EXPECT_DOUBLE_EQ(At(0)->x, 2);
}

TEST_F(TPointFixture, MarkersOnThePictureAndOwnDrawing)
{
    EXPECT_EQ(Pixel(20, 30), clRed);
    EXPECT_EQ(Pixel(60, 50), clRed);
    EXPECT_EQ(Pixel(17, 30), clBlack);
    std::vector<int> order;
    Selector->OnDrawKvPoint = [&](TCanvas*, int Index, TPoint P) {
        order.push_back(Index);
        EXPECT_EQ(P, Index == 0 ? Point(20, 30) : Point(60, 50));
    };
    Image->Display();
    EXPECT_EQ(order, (std::vector<int>{1, 0}));
    EXPECT_EQ(Pixel(20, 30), clWhite);
}

}  // namespace
