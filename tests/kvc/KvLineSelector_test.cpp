// The line selector over a buffered image: grabbing and dragging its ends and its body
// through real mouse messages, the values reached through the pixel mapping, the events of
// a drag, the cursors, the messages left to the control, and the line on the picture.
#include "ImageSelectorFixture.h"
#include "kvc/KvLineSelector.h"

using namespace KVC;

namespace {

struct TLineFixture : TImageSelectorFixture<TKvLineSelector> {
    void SetUp() override
    {
        TImageSelectorFixture::SetUp();
        // Ends at pixels (20, 30) and (60, 50).
        Selector->Point1()->x = 5;
        Selector->Point1()->y = 5;
        Selector->Point2()->x = 25;
        Selector->Point2()->y = 15;
        Selector->SetShiftState(ssLeft);
        Selector->SetShiftStateMove(ssLeft | ssCtrl);
        Image->Display();
    }
    void ExpectPoints(double X1, double Y1, double X2, double Y2)
    {
        EXPECT_DOUBLE_EQ(Selector->Point1()->x, X1);
        EXPECT_DOUBLE_EQ(Selector->Point1()->y, Y1);
        EXPECT_DOUBLE_EQ(Selector->Point2()->x, X2);
        EXPECT_DOUBLE_EQ(Selector->Point2()->y, Y2);
    }
};

TEST_F(TLineFixture, DefaultsOfANewLine)
{
    TKvLineSelector line(nullptr);
    EXPECT_EQ(line.GetPenBackColor(), clWhite);
    EXPECT_FALSE(line.GetPenStripy());
    EXPECT_EQ(line.GetShiftStateMove(), 0u);
    EXPECT_EQ(line.GetPenStripyLineWidth(), 2);
    EXPECT_EQ(line.GetPenStripyTickLen(), 5);
    EXPECT_EQ(line.GetShiftState(), 0u);
    EXPECT_TRUE(line.GetActive());
    EXPECT_TRUE(line.GetVisible());
    EXPECT_TRUE(line.GetMarkerShow());
    EXPECT_EQ(line.GetMarkerColor(), clRed);
    EXPECT_EQ(line.GetMarkerBorder(), clBlack);
    EXPECT_EQ(line.GetMarkerSize(), 3);
    EXPECT_TRUE(line.GetGraphBoundsRelatively());
    EXPECT_FALSE(line.GetValueConstraintsEnabled());
    EXPECT_EQ(line.GetDefaultCursor(), crDefault);
    EXPECT_EQ(line.GetWinControl(), nullptr);
}

TEST_F(TLineFixture, HitTestPrefersTheSecondEndAndFollowsTheBody)
{
    struct Case {
        int X, Y, Kind;
    } cases[] = {
        {20, 30, 1}, {23, 33, 1}, {24, 34, 3},
        {60, 50, 2}, {57, 47, 2}, {40, 40, 3},  // on the segment, and a little beside it
        {40, 44, 3}, {40, 50, 0},               // beside it
        {30, 45, 0}, {70, 55, 0},               // beyond the second end, outside the span
    };
    for (const Case& c : cases) EXPECT_EQ(Selector->CheckMouseCapture(c.X, c.Y), c.Kind) << c.X << "," << c.Y;
    // Both ends within reach: the second wins.
    Selector->Point2()->x = 6;
    Selector->Point2()->y = 6;
    EXPECT_EQ(Selector->CheckMouseCapture(21, 31), 2);
}

TEST_F(TLineFixture, LevelLineIsGrabbedOnlyAtItsEnds)
{
    Selector->Point2()->y = 5;  // (60, 30): same row as the first end
    EXPECT_EQ(Selector->CheckMouseCapture(40, 30), 0);
    EXPECT_EQ(Selector->CheckMouseCapture(60, 30), 2);
    EXPECT_EQ(Selector->CheckMouseCapture(20, 30), 1);
}

TEST_F(TLineFixture, DraggingAnEndGivesExactValuesAndEvents)
{
    Press(60, 50);
    EXPECT_EQ(ControlDowns, 0);  // the press that starts a drag is the selector's
    Move(81, 63);
    Move(90, 66);
    EXPECT_EQ(Changing, 2);
    EXPECT_EQ(Changed, 0);
    EXPECT_EQ(ControlMoves, 0);
    Release(90, 66);
    EXPECT_EQ(Changed, 1);
    EXPECT_EQ(ControlUps, 1);  // the release goes on to the control
    ExpectPoints(5, 5, 40, 23);

    // A move after the drag changes nothing and reaches the control.
    Move(30, 30);
    EXPECT_EQ(Changing, 2);
    EXPECT_EQ(ControlMoves, 1);
    ExpectPoints(5, 5, 40, 23);
}

TEST_F(TLineFixture, MovesOutsideTheGraphAreIgnoredButStillReported)
{
    Press(20, 30);
    Move(22, 34);   // (6, 7)
    Move(110, 34);  // right of the graph: the end stays
    Move(5, 5);     // above and left of it
    Release(5, 5);
    ExpectPoints(6, 7, 25, 15);
    EXPECT_EQ(Changing, 3);
    EXPECT_EQ(Changed, 1);
}

TEST_F(TLineFixture, PressMustMatchTheShiftStateExactly)
{
    // The default empty shift state matches no press.
    Selector->SetShiftState(0);
    Drag(Point(60, 50), Point(80, 60));
    ExpectPoints(5, 5, 25, 15);
    EXPECT_EQ(Changing + Changed, 0);
    EXPECT_EQ(ControlDowns, 1);

    // The right button is not the left one.
    Selector->SetShiftState(ssLeft);
    Press(60, 50, Qt::RightButton);
    Move(80, 60);
    Release(80, 60, Qt::RightButton);
    ExpectPoints(5, 5, 25, 15);

    // With Ctrl held the press is Ctrl+left, which is not the plain left.
    HoldCtrl(true);
    Drag(Point(60, 50), Point(80, 60));
    ExpectPoints(5, 5, 25, 15);
    EXPECT_EQ(Changing + Changed, 0);
}

TEST_F(TLineFixture, BodyMovesWithCtrlOnlyAndCursorFollowsTheKeys)
{
    // Plain left on the body captures nothing.
    Drag(Point(40, 40), Point(50, 44));
    ExpectPoints(5, 5, 25, 15);
    EXPECT_EQ(Changed, 0);

    Hover(40, 40);
    EXPECT_EQ(GetControlCursor(Image), crDefault);
    Hover(20, 30);
    EXPECT_EQ(GetControlCursor(Image), crHandPoint);
    HoldCtrl(true);
    Hover(40, 40);
    EXPECT_EQ(GetControlCursor(Image), crSizeAll);

    Press(40, 40);
    Move(46, 44);  // (+3, +2)
    Move(50, 40);  // (+2, -2)
    Release(50, 40);
    ExpectPoints(10, 5, 30, 15);
    EXPECT_EQ(Changing, 2);
    EXPECT_EQ(Changed, 1);
    HoldCtrl(false);
}

TEST_F(TLineFixture, BodyPushedAgainstTheBoundsKeepsEachEndInside)
{
    HoldCtrl(true);
    Press(40, 40);
    Move(10, 40);  // -15 values: the first end stops at 0
    Release(10, 40);
    ExpectPoints(0, 5, 10, 15);
}

TEST_F(TLineFixture, ConstraintsClampBothEnds)
{
    SetRect(Selector->ValueConstraints(), 2, 30, 2, 20);
    Selector->SetValueConstraintsEnabled(true);
    Drag(Point(60, 50), Point(100, 70));
    ExpectPoints(5, 5, 30, 20);
    Drag(Point(20, 30), Point(10, 20));
    ExpectPoints(2, 2, 30, 20);
}

TEST_F(TLineFixture, NewCapturedLineFollowsTheMouse)
{
    Selector->NewCapturedLine(30, 40);
    ExpectPoints(10, 10, 10, 10);
    EXPECT_EQ(GetControlCursor(Image), crHandPoint);
    Move(50, 44);
    Release(50, 44);
    ExpectPoints(10, 10, 20, 12);
    EXPECT_EQ(Changed, 1);
    // Outside the graph nothing starts.
    Selector->NewCapturedLine(5, 5);
    ExpectPoints(10, 10, 20, 12);
}

TEST_F(TLineFixture, InactiveOrHiddenSelectorLeavesEveryMessageToTheControl)
{
    for (int step = 0; step < 2; ++step) {
        Selector->SetActive(step != 0);
        Selector->SetVisible(step == 0);
        const int downs = ControlDowns;
        Drag(Point(60, 50), Point(80, 60));
        EXPECT_EQ(ControlDowns, downs + 1);
        ExpectPoints(5, 5, 25, 15);
    }
    EXPECT_EQ(Changing + Changed, 0);
}

TEST_F(TLineFixture, LineAndMarkersAreDrawnOnThePicture)
{
    Selector->Pen()->SetColor(clBlue);
    Image->Display();
    EXPECT_EQ(Pixel(40, 40), clBlue);  // on the segment
    EXPECT_EQ(Pixel(20, 30), clRed);   // marker fill at the first end
    EXPECT_EQ(Pixel(60, 50), clRed);
    EXPECT_EQ(Pixel(17, 30), clBlack);  // marker outline
    EXPECT_EQ(Pixel(40, 45), clWhite);

    // After a drag the picture shows the new line.
    Drag(Point(60, 50), Point(60, 70));
    EXPECT_EQ(Pixel(60, 70), clRed);
    EXPECT_EQ(Pixel(60, 50), clWhite);

    // A handler of its own replaces the selector's drawing.
    int calls = 0;
    Selector->OnDrawKvLine = [&](TCanvas*, TPoint a, TPoint b) {
        ++calls;
        EXPECT_EQ(a, Point(20, 30));
        EXPECT_EQ(b, Point(60, 70));
    };
    Image->Display();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Pixel(60, 70), clWhite);

    // Hidden: not drawn at all.
    Selector->SetVisible(false);
    Image->Display();
    EXPECT_EQ(calls, 1);
}

TEST_F(TLineFixture, StripyLineUsesBothColours)
{
    Selector->SetMarkerShow(false);
    Selector->SetPenStripy(true);
    Selector->Pen()->SetColor(clBlue);
    Selector->SetPenBackColor(clLime);
    Selector->Point2()->y = 5;  // level line from (20, 30) to (60, 30)
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
