// The rectangle selector over a buffered image: its nine handles, their cursors, dragging
// corners, sides and the whole rectangle through real mouse messages, one-sided limits,
// and the rectangle on the picture.
#include "ImageSelectorFixture.h"
#include "kvc/KvRectSelector.h"

using namespace KVC;

namespace {

struct TRectFixture : TImageSelectorFixture<TKvRectSelector> {
    void SetUp() override
    {
        TImageSelectorFixture::SetUp();
        // Pixels: left 20, top 30, right 60, bottom 50.
        SetRect(Selector->Value(), 5, 25, 5, 15);
        Selector->SetShiftState(ssLeft);
        Selector->SetShiftStateMove(ssLeft | ssCtrl);
        Image->Display();
    }
    void ExpectValue(double Left, double Right, double Top, double Bottom)
    {
        EXPECT_DOUBLE_EQ(Selector->Value()->Left, Left);
        EXPECT_DOUBLE_EQ(Selector->Value()->Right, Right);
        EXPECT_DOUBLE_EQ(Selector->Value()->Top, Top);
        EXPECT_DOUBLE_EQ(Selector->Value()->Bottom, Bottom);
    }
};

TEST_F(TRectFixture, HandlesAndTheirCursors)
{
    struct Case {
        int X, Y, Kind;
        TCursor Cursor;
    } cases[] = {
        {20, 30, 1, crSizeNWSE}, {62, 28, 2, crSizeNESW}, {60, 50, 3, crSizeNWSE}, {17, 53, 4, crSizeNESW},
        {23, 40, 5, crSizeWE},   {40, 27, 6, crSizeNS},   {57, 40, 7, crSizeWE},   {40, 53, 8, crSizeNS},
        {40, 40, 9, crDefault},  {16, 40, 0, crDefault},  {70, 40, 0, crDefault},
    };
    Selector->SetMarkerShow(false);
    for (const Case& c : cases) {
        EXPECT_EQ(Selector->CheckMouseCapture(c.X, c.Y), c.Kind) << c.X << "," << c.Y;
        Hover(c.X, c.Y);
        EXPECT_EQ(GetControlCursor(Image), c.Cursor) << c.X << "," << c.Y;
    }
    // The body shows its cursor only while the move keys are held; corners with markers
    // show the hand.
    HoldCtrl(true);
    Hover(40, 40);
    EXPECT_EQ(GetControlCursor(Image), crSizeAll);
    HoldCtrl(false);
    Selector->SetMarkerShow(true);
    Hover(60, 50);
    EXPECT_EQ(GetControlCursor(Image), crHandPoint);
    Hover(57, 40);
    EXPECT_EQ(GetControlCursor(Image), crSizeWE);
    EXPECT_EQ(Changing + Changed, 0);
}

TEST_F(TRectFixture, DraggingACornerAndASide)
{
    Press(60, 50);
    Move(70, 56);
    Move(80, 60);
    Release(80, 60);
    ExpectValue(5, 35, 5, 20);
    EXPECT_EQ(Changing, 2);
    EXPECT_EQ(Changed, 1);
    EXPECT_EQ(ControlDowns, 0);
    EXPECT_EQ(ControlUps, 1);

    Drag(Point(40, 30), Point(44, 24));  // the top side
    ExpectValue(5, 35, 2, 20);
    EXPECT_EQ(Changed, 2);
    // A move off the graph is ignored.
    Drag(Point(20, 40), Point(5, 40));
    ExpectValue(5, 35, 2, 20);
    EXPECT_EQ(Changed, 3);
}

TEST_F(TRectFixture, LeftSidePastTheRightStaysReversedUntilTheNextConversion)
{
    TKvRectSelector free(nullptr);
    free.SetGraphBoundsRelatively(false);
    free.SetGraphBounds(Selector->GraphBounds());
    free.SetValueBounds(Selector->ValueBounds());
    free.SetValue(Selector->Value());
    free.SetNewValueCoord(5, 70, 40);
    EXPECT_DOUBLE_EQ(free.Value()->Left, 30);
    EXPECT_DOUBLE_EQ(free.Value()->Right, 25);
    TRect pixels;
    EXPECT_TRUE(free.V2G(free.Value(), pixels));
    EXPECT_DOUBLE_EQ(free.Value()->Left, 25);
    EXPECT_DOUBLE_EQ(free.Value()->Right, 30);
}

TEST_F(TRectFixture, WholeRectangleMovesWithTheMoveKeysAndShrinksAtTheBounds)
{
    Drag(Point(40, 40), Point(46, 44));  // plain left on the body: nothing
    ExpectValue(5, 25, 5, 15);
    EXPECT_EQ(Changed, 0);

    HoldCtrl(true);
    Press(40, 40);
    Move(46, 44);  // +3, +2
    Release(46, 44);
    ExpectValue(8, 28, 7, 17);
    // Against the left edge: Left stays there, Right goes on.
    Press(40, 40);
    Move(10, 40);  // -15
    Release(10, 40);
    ExpectValue(0, 13, 7, 17);
    EXPECT_EQ(Changed, 2);
}

TEST_F(TRectFixture, ConstraintsLimitTheMovedEdgesFromOneSide)
{
    SetRect(Selector->ValueConstraints(), 2, 30, 2, 20);
    Selector->SetValueConstraintsEnabled(true);
    Drag(Point(60, 50), Point(100, 70));
    ExpectValue(5, 30, 5, 20);
    Drag(Point(20, 30), Point(10, 20));
    ExpectValue(2, 30, 2, 20);
}

TEST_F(TRectFixture, NewCapturedRectGrowsFromThePixel)
{
    Selector->NewCapturedRect(30, 40);
    ExpectValue(10, 10, 10, 10);
    EXPECT_EQ(GetControlCursor(Image), crHandPoint);
    Move(50, 50);
    Release(50, 50);
    ExpectValue(10, 20, 10, 15);
    EXPECT_EQ(Changing, 1);
    EXPECT_EQ(Changed, 1);
    Selector->SetMarkerShow(false);
    Selector->NewCapturedRect(30, 40);
    EXPECT_EQ(GetControlCursor(Image), crSizeNWSE);
    Release(30, 40);
    Selector->NewCapturedRect(0, 0);  // outside the graph: nothing
    ExpectValue(10, 10, 10, 10);
}

TEST_F(TRectFixture, RectangleAndMarkersOnThePicture)
{
    Selector->Pen()->SetColor(clBlue);
    Image->Display();
    EXPECT_EQ(Pixel(40, 30), clBlue);  // top
    EXPECT_EQ(Pixel(20, 40), clBlue);  // left
    EXPECT_EQ(Pixel(60, 40), clBlue);  // right
    EXPECT_EQ(Pixel(40, 50), clBlue);  // bottom
    for (TPoint corner : {Point(20, 30), Point(60, 30), Point(60, 50), Point(20, 50)})
        EXPECT_EQ(Pixel(corner.x, corner.y), clRed);
    EXPECT_EQ(Pixel(40, 40), clWhite);

    int calls = 0;
    Selector->OnDrawKvRect = [&](TCanvas*, TRect Border) {
        ++calls;
        EXPECT_EQ(Border, Rect(20, 30, 60, 50));
    };
    Image->Display();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Pixel(40, 30), clWhite);

    Selector->OnDrawKvRect = nullptr;
    Selector->SetPenStripy(true);
    Selector->SetPenBackColor(clLime);
    Selector->SetMarkerShow(false);
    Image->Display();
    int blue = 0, lime = 0;
    for (int x = 20; x < 60; ++x) {
        blue += Pixel(x, 30) == clBlue;
        lime += Pixel(x, 30) == clLime;
    }
    EXPECT_GT(blue, 10);
    EXPECT_GT(lime, 10);
}

}  // namespace
