// The selector base: value geometry (the persistent point and rectangle, pixel and value
// conversions, clamping), attaching to a control's window-procedure chain beside other
// overlays, the draw-buffer chain of a buffered image, and drawing on a plain control.
#include <QImage>
#include <QWidget>
#include <cmath>
#include <limits>
#include <vector>
#include "ImageSelectorFixture.h"
#include "kvc/KvImage.h"
#include "kvc/KvLineSelector.h"

using namespace KVC;

namespace {

TKvRect MakeRect(double Left, double Right, double Top, double Bottom)
{
    TKvRect r;
    r.Left = Left;
    r.Right = Right;
    r.Top = Top;
    r.Bottom = Bottom;
    return r;
}

void ExpectRect(const TKvRect& R, double Left, double Right, double Top, double Bottom)
{
    EXPECT_DOUBLE_EQ(R.Left, Left);
    EXPECT_DOUBLE_EQ(R.Right, Right);
    EXPECT_DOUBLE_EQ(R.Top, Top);
    EXPECT_DOUBLE_EQ(R.Bottom, Bottom);
}

// ---- Value types ------------------------------------------------------------------------

TEST(KvValueGeometry, RectOperations)
{
    const TKvRect r = MakeRect(-1.7, 5.9, 2.5, -3.2);
    EXPECT_EQ(r.GetRect(), Rect(-1, 2, 5, -3));  // truncated toward zero
    EXPECT_DOUBLE_EQ(r.Width(), 7.6);
    EXPECT_DOUBLE_EQ(r.Height(), 5.7);

    TKvRect c = MakeRect(5.7, 1.2, 3, 3);
    c.Correct();
    ExpectRect(c, 1.2, 5.7, 3, 3);
    TKvRect v = MakeRect(0, 1, 9, 2);
    v.Correct();
    ExpectRect(v, 0, 1, 2, 9);

    const TKvRect box = MakeRect(0, 10, 0, 5);
    struct Case {
        double x, y;
        bool in;
    } cases[] = {{0, 0, true}, {10, 5, true}, {10.0001, 5, false}, {-0.1, 2, false}, {5, 5.01, false}, {3, 2, true}};
    for (const Case& k : cases) EXPECT_EQ(box.PtInRect(TDPoint{k.x, k.y}), k.in) << k.x << "," << k.y;
}

TEST(KvValueGeometry, AssignCopiesOnlyFromItsOwnKind)
{
    TKvRect target = MakeRect(1, 2, 3, 4);
    const TKvRect source = MakeRect(5, 6, 7, 8);
    target.Assign(&source);
    ExpectRect(target, 5, 6, 7, 8);
    TKvPoint point;
    point.x = 9;
    target.Assign(&point);   // another kind: ignored
    target.Assign(nullptr);  // none: ignored
    ExpectRect(target, 5, 6, 7, 8);

    TKvPoint p;
    p = TDPoint{1.5, -2.5};
    EXPECT_DOUBLE_EQ(p.GetDPoint().x, 1.5);
    EXPECT_DOUBLE_EQ(p.GetDPoint().y, -2.5);
    TKvPoint q;
    q.Assign(&p);
    EXPECT_DOUBLE_EQ(q.x, 1.5);
    EXPECT_DOUBLE_EQ(q.y, -2.5);
    q.Assign(&source);
    q.Assign(nullptr);
    EXPECT_DOUBLE_EQ(q.x, 1.5);
}

// ---- Conversions --------------------------------------------------------------------------

struct TGeometryFixture : ::testing::Test {
    void SetUp() override
    {
        Control.SetBounds(0, 0, 101, 51);
        Selector.SetWinControl(&Control);
    }
    TKvImage Control{nullptr};
    TKvCustomImageSelector Selector{nullptr};
};

TEST_F(TGeometryFixture, GraphRectangleRelativeAndAbsolute)
{
    EXPECT_EQ(Selector.GetGraphBounds(), Rect(0, 0, 102, 52));
    const TKvRect relative = MakeRect(5, 1, 4, 2);
    Selector.SetGraphBounds(&relative);
    EXPECT_EQ(Selector.GetGraphBounds(), Rect(5, 4, 101, 50));
    Selector.SetGraphBoundsRelatively(false);
    const TKvRect absolute = MakeRect(10, 100, 20, 70);
    Selector.SetGraphBounds(&absolute);
    EXPECT_EQ(Selector.GetGraphBounds(), Rect(10, 20, 101, 71));
}

TEST_F(TGeometryFixture, PixelsAndValuesConvertBothWays)
{
    Selector.SetGraphBoundsRelatively(false);
    TKvRect bounds = MakeRect(10, 100, 20, 70);
    Selector.SetGraphBounds(&bounds);
    TKvRect values = MakeRect(0, 45, 0, 25);
    Selector.SetValueBounds(&values);
    // Changing the source afterwards does not move the selector.
    values.Right = 90;
    EXPECT_DOUBLE_EQ(Selector.ValueBounds()->Right, 45);

    struct G2VCase {
        int px, py;
        bool ok;
        double x, y;
    } toValue[] = {{10, 20, true, 0, 0}, {100, 70, true, 45, 25}, {11, 21, true, 0.5, 0.5}, {55, 45, true, 22.5, 12.5}};
    for (const G2VCase& c : toValue) {
        TDPoint v;
        EXPECT_EQ(Selector.G2V(Point(c.px, c.py), v), c.ok);
        EXPECT_DOUBLE_EQ(v.x, c.x);
        EXPECT_DOUBLE_EQ(v.y, c.y);
    }
    for (TPoint outside : {Point(101, 70), Point(9, 20), Point(10, 71), Point(10, 19)}) {
        TDPoint v;
        EXPECT_FALSE(Selector.G2V(outside, v)) << outside.x << "," << outside.y;
    }

    struct V2GCase {
        double x, y;
        bool ok;
        int px, py;
    } toPixel[] = {{4.5, 2.5, true, 19, 25}, {0, 0, true, 10, 20}, {45, 25, true, 100, 70}, {4.9, 2.9, true, 19, 25}};
    for (const V2GCase& c : toPixel) {
        TPoint p;
        EXPECT_EQ(Selector.V2G(TDPoint{c.x, c.y}, p), c.ok);
        EXPECT_EQ(p, Point(c.px, c.py)) << c.x << "," << c.y;
    }
    TPoint p;
    EXPECT_FALSE(Selector.V2G(TDPoint{45.5, 0}, p));
    EXPECT_FALSE(Selector.V2G(TDPoint{0, -0.1}, p));

    // The object overloads: none gives false; a failed point keeps its values.
    TKvPoint point;
    EXPECT_FALSE(Selector.G2V(Point(10, 20), static_cast<TKvPoint*>(nullptr)));
    EXPECT_TRUE(Selector.G2V(Point(30, 40), &point));
    EXPECT_DOUBLE_EQ(point.x, 10);
    EXPECT_DOUBLE_EQ(point.y, 10);
    EXPECT_FALSE(Selector.G2V(Point(0, 0), &point));
    EXPECT_DOUBLE_EQ(point.x, 10);
    EXPECT_TRUE(Selector.V2G(&point, p));
    EXPECT_EQ(p, Point(30, 40));
    EXPECT_FALSE(Selector.V2G(static_cast<const TKvPoint*>(nullptr), p));
}

TEST_F(TGeometryFixture, RectangleConversions)
{
    Selector.SetGraphBoundsRelatively(false);
    TKvRect bounds = MakeRect(10, 100, 20, 70);
    Selector.SetGraphBounds(&bounds);
    TKvRect values = MakeRect(0, 45, 0, 25);
    Selector.SetValueBounds(&values);

    // Pixels to values: corners taken as given, then corrected.
    TKvRect r;
    EXPECT_TRUE(Selector.G2V(Rect(50, 60, 20, 30), &r));
    ExpectRect(r, 5, 20, 5, 20);
    TDRect d;
    EXPECT_TRUE(Selector.G2V(Rect(50, 60, 20, 30), d));
    EXPECT_DOUBLE_EQ(d.left, 20);
    EXPECT_DOUBLE_EQ(d.top, 20);
    EXPECT_DOUBLE_EQ(d.right, 5);
    EXPECT_DOUBLE_EQ(d.bottom, 5);
    EXPECT_FALSE(Selector.G2V(Rect(50, 60, 200, 30), &r));
    EXPECT_FALSE(Selector.G2V(Rect(0, 0, 20, 30), static_cast<TKvRect*>(nullptr)));

    // Values to pixels: the caller's rectangle is corrected first.
    TKvRect reversed = MakeRect(20, 5, 5, 20);
    TRect pixels;
    EXPECT_TRUE(Selector.V2G(&reversed, pixels));
    ExpectRect(reversed, 5, 20, 5, 20);
    EXPECT_EQ(pixels, Rect(20, 30, 50, 60));
    // The plain record is converted as it is.
    EXPECT_TRUE(Selector.V2G(TDRect{20, 20, 5, 5}, pixels));
    EXPECT_EQ(pixels, Rect(50, 60, 20, 30));
    EXPECT_FALSE(Selector.V2G(TDRect{20, 20, 50, 5}, pixels));
}

TEST_F(TGeometryFixture, EmptyOrTinyBoundsNeverDivideByZero)
{
    Selector.SetGraphBoundsRelatively(false);
    TDPoint v;
    TPoint p;
    // No value width or height: nothing converts.
    EXPECT_FALSE(Selector.G2V(Point(0, 0), v));
    EXPECT_FALSE(Selector.V2G(TDPoint{0, 0}, p));

    // Half a value wide and high is usable.
    TKvRect half = MakeRect(0, 0.5, 0, 0.5);
    Selector.SetValueBounds(&half);
    TKvRect graph = MakeRect(0, 10, 0, 10);
    Selector.SetGraphBounds(&graph);
    EXPECT_TRUE(Selector.G2V(Point(10, 10), v));
    EXPECT_DOUBLE_EQ(v.x, 0.5);
    EXPECT_DOUBLE_EQ(v.y, 0.5);

    // A graph one pixel wide and high: its one pixel is the first value, both ways.
    TKvRect dot = MakeRect(7, 7, 3, 3);
    Selector.SetGraphBounds(&dot);
    EXPECT_TRUE(Selector.G2V(Point(7, 3), v));
    EXPECT_DOUBLE_EQ(v.x, 0);
    EXPECT_DOUBLE_EQ(v.y, 0);
    EXPECT_TRUE(Selector.V2G(TDPoint{0.25, 0.5}, p));
    EXPECT_EQ(p, Point(7, 3));
}

TEST_F(TGeometryFixture, ClampingIntoBoundsAndConstraints)
{
    const TKvRect values = MakeRect(0, 45, 0, 25);
    Selector.SetValueBounds(&values);
    TKvPoint p;
    p.x = -3;
    p.y = std::numeric_limits<double>::quiet_NaN();
    Selector.CheckBoundsPoint(&p);
    EXPECT_DOUBLE_EQ(p.x, 0);
    EXPECT_DOUBLE_EQ(p.y, 0);
    p.x = 50;
    p.y = 30;
    Selector.CheckBoundsPoint(&p);
    EXPECT_DOUBLE_EQ(p.x, 45);
    EXPECT_DOUBLE_EQ(p.y, 25);
    Selector.CheckBoundsPoint(nullptr);

    const TKvRect constraints = MakeRect(10, 20, 5, 8);
    Selector.SetValueConstraints(&constraints);
    Selector.CheckBoundsPoint(&p);
    EXPECT_DOUBLE_EQ(p.x, 45);  // constraints are off
    Selector.SetValueConstraintsEnabled(true);
    Selector.CheckBoundsPoint(&p);
    EXPECT_DOUBLE_EQ(p.x, 20);
    EXPECT_DOUBLE_EQ(p.y, 8);

    TKvRect r = MakeRect(30, -5, 100, 6);
    Selector.CheckBoundsRect(&r);
    ExpectRect(r, 10, 20, 6, 8);
    Selector.CheckBoundsRect(nullptr);
}

// ---- Attachment -------------------------------------------------------------------------

TEST(KvImageSelector, ControlRemovedFromItsFormDetachesTheSelector)
{
    TForm* form = new TForm(nullptr);
    auto* control = new TKvBufferedImage(form);
    control->SetParent(form);
    auto* selector = new TKvLineSelector(form);
    selector->SetWinControl(control);
    auto* other = new TKvLineSelector(form);
    other->SetWinControl(control);
    form->EndLoading();
    delete control;
    EXPECT_EQ(selector->GetWinControl(), nullptr);
    EXPECT_EQ(other->GetWinControl(), nullptr);
    // The selector can be attached anew and goes with its form.
    auto* next = new TKvBufferedImage(form);
    next->SetParent(form);
    selector->SetWinControl(next);
    EXPECT_EQ(selector->GetWinControl(), next);
    FreeForm(form);
}

struct TOverlayFixture : TImageSelectorFixture<TKvLineSelector> {
    void SetUp() override
    {
        TImageSelectorFixture::SetUp();
        Selector->Point1()->x = 5;
        Selector->Point1()->y = 5;
        Selector->Point2()->x = 25;
        Selector->Point2()->y = 15;  // ends at pixels (20, 30) and (60, 50)
        Selector->SetShiftState(ssLeft);
    }
    // Another overlay on the same control that records what passes it.
    THookId AttachRecorder()
    {
        TMessageHook hook;
        hook.Before = [this](TMessage& M) {
            if (M.Msg == WM_LBUTTONDOWN || M.Msg == WM_MOUSEMOVE || M.Msg == WM_LBUTTONUP) Seen.push_back(M.Msg);
            return false;
        };
        return Image->AttachHook(std::move(hook));
    }
    std::vector<UINT> Seen;
};

TEST_F(TOverlayFixture, OverlaysAttachAndDetachInAnyOrder)
{
    // A recorder attached after the selector sees every message first.
    const THookId outer = AttachRecorder();
    Drag(Point(60, 50), Point(70, 52));
    EXPECT_EQ(Seen, (std::vector<UINT>{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}));
    EXPECT_DOUBLE_EQ(Selector->Point2()->x, 30);
    EXPECT_EQ(ControlDowns, 0);
    EXPECT_EQ(ControlUps, 1);

    // The selector leaves first: the recorder stays and the control gets everything.
    Selector->SetWinControl(nullptr);
    Seen.clear();
    Drag(Point(70, 52), Point(80, 52));
    EXPECT_EQ(Seen.size(), 3u);
    EXPECT_EQ(ControlDowns, 1);
    EXPECT_DOUBLE_EQ(Selector->Point2()->x, 30);

    // Back on, inside the recorder this time, so the recorder misses the messages
    // the selector consumes.
    Image->DetachHook(outer);
    const THookId inner = AttachRecorder();
    Selector->SetWinControl(Image);
    Seen.clear();
    Drag(Point(70, 52), Point(80, 52));
    EXPECT_EQ(Seen, (std::vector<UINT>{WM_LBUTTONUP}));
    EXPECT_DOUBLE_EQ(Selector->Point2()->x, 35);
    // The recorder leaves before the selector: the selector goes on working.
    Image->DetachHook(inner);
    Drag(Point(80, 52), Point(90, 52));
    EXPECT_DOUBLE_EQ(Selector->Point2()->x, 40);
    EXPECT_EQ(Changed, 3);
}

TEST_F(TOverlayFixture, UnconsumedMessagesReachTheControl)
{
    // A hover and a click away from the line go on to the control.
    Move(90, 20);
    Press(90, 20);
    Release(90, 20);
    EXPECT_EQ(ControlMoves, 1);
    EXPECT_EQ(ControlDowns, 1);
    EXPECT_EQ(ControlUps, 1);
    // Double clicks are never offered to the selector.
    WidgetInput::Mouse(Image, QEvent::MouseButtonDblClick, 60, 50);
    EXPECT_EQ(ControlDowns, 2);
    EXPECT_EQ(Changing + Changed, 0);
}

TEST_F(TOverlayFixture, SelectorsOnOneImageDrawInHookOrderAndLeaveInAnyOrder)
{
    std::vector<std::string> calls;
    Image->OnDrawBuffer = [&](TObject*, TCanvas*) { calls.push_back("image"); };
    Selector->SetWinControl(nullptr);  // hooked again below, after the image's handler
    Selector->SetWinControl(Image);
    Selector->OnDrawKvLine = [&](TCanvas*, TPoint, TPoint) { calls.push_back("first"); };
    auto* second = new TKvLineSelector(Form);
    second->EndLoading();
    second->SetWinControl(Image);
    *second->ValueBounds() = *Selector->ValueBounds();
    second->SetGraphBounds(Selector->GraphBounds());
    second->SetValueBounds(Selector->ValueBounds());
    second->SetGraphBoundsRelatively(false);
    second->OnDrawKvLine = [&](TCanvas*, TPoint, TPoint) { calls.push_back("second"); };
    auto* third = new TKvLineSelector(Form);
    third->EndLoading();
    third->SetWinControl(Image);
    third->SetGraphBoundsRelatively(false);
    third->SetGraphBounds(Selector->GraphBounds());
    third->SetValueBounds(Selector->ValueBounds());
    third->OnDrawKvLine = [&](TCanvas*, TPoint, TPoint) { calls.push_back("third"); };

    Image->Display();
    EXPECT_EQ(calls, (std::vector<std::string>{"image", "first", "second", "third"}));

    // The middle one leaves first, then the first: the chain stays whole.
    delete second;
    calls.clear();
    Image->Display();
    EXPECT_EQ(calls, (std::vector<std::string>{"image", "first", "third"}));
    Selector->SetWinControl(nullptr);
    calls.clear();
    Image->Display();
    EXPECT_EQ(calls, (std::vector<std::string>{"image", "third"}));
    delete third;
    calls.clear();
    Image->Display();
    EXPECT_EQ(calls, (std::vector<std::string>{"image"}));
}

TEST_F(TOverlayFixture, NextSelectorIsDrawnRightAfterWithoutFollowingItsChain)
{
    std::vector<std::string> calls;
    TKvLineSelector next(nullptr), last(nullptr);
    for (TKvLineSelector* s : {&next, &last}) {
        s->SetGraphBoundsRelatively(false);
        s->SetGraphBounds(Selector->GraphBounds());
        s->SetValueBounds(Selector->ValueBounds());
        s->Point2()->x = 1;
    }
    next.OnDrawKvLine = [&](TCanvas*, TPoint, TPoint) { calls.push_back("next"); };
    last.OnDrawKvLine = [&](TCanvas*, TPoint, TPoint) { calls.push_back("last"); };
    Selector->OnDrawKvLine = [&](TCanvas*, TPoint, TPoint) { calls.push_back("own"); };
    next.SetNextSelector(&last);
    Selector->SetNextSelector(&next);
    Image->Display();
    EXPECT_EQ(calls, (std::vector<std::string>{"own", "next"}));
    // A hidden next selector is left out.
    next.SetVisible(false);
    calls.clear();
    Image->Display();
    EXPECT_EQ(calls, (std::vector<std::string>{"own"}));
    Selector->SetNextSelector(nullptr);
}

TEST(KvImageSelector, DrawsOnAPlainControlAfterItsPaint)
{
    // An image that is not buffered: the overlay is drawn on its window after each paint.
    TForm* form = new TForm(nullptr);
    form->SetBounds(20, 20, 200, 150);
    auto* image = new TKvImage(form);
    image->SetParent(form);
    image->SetBounds(0, 0, 120, 80);
    TBitmap back;
    back.SetSize(120, 80);
    back.Canvas()->Brush()->SetColor(clWhite);
    back.Canvas()->FillRect(Rect(0, 0, 120, 80));
    image->SetBackground(&back);
    auto* selector = new TKvLineSelector(form);
    selector->SetGraphBoundsRelatively(false);
    TKvRect graph;
    graph.Right = 100;
    graph.Bottom = 50;
    selector->SetGraphBounds(&graph);
    selector->SetValueBounds(&graph);
    selector->Point1()->x = 10;
    selector->Point1()->y = 40;
    selector->Point2()->x = 90;
    selector->Point2()->y = 40;
    selector->Pen()->SetColor(clBlue);
    selector->SetWinControl(image);
    WidgetInput::ShowLoaded(form);
    const QImage screen = image->Widget()->grab().toImage();
    EXPECT_EQ(screen.pixelColor(50, 40), QColor(0, 0, 255));
    EXPECT_EQ(screen.pixelColor(10, 40), QColor(255, 0, 0));  // marker
    EXPECT_EQ(screen.pixelColor(50, 30), QColor(255, 255, 255));
    selector->SetVisible(false);
    const QImage hidden = image->Widget()->grab().toImage();
    EXPECT_EQ(hidden.pixelColor(50, 40), QColor(255, 255, 255));
    FreeForm(form);
}

}  // namespace
