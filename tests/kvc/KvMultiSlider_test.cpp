// The multi slider on a real widget (offscreen): thumbs and their events, drags and
// creating clicks with real mouse events, the geometry of every orientation and the
// picture of band, range stretch, ticks and thumbs.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WidgetInput.h"
#include "kvc/KvMultiSlider.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

using namespace KVC;

namespace {

using namespace WidgetInput;
using TEvents = std::vector<std::string>;

std::string Number(double Value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", Value);
    return text;
}

struct TMultiSliderFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(30, 30, 300, 250);
        Slider = new TKvMultiSlider(Form);
        Slider->SetParent(Form);
        Slider->SetOrientation(msoTop);
        Slider->SetBounds(10, 10, 150, 45);
        WidgetInput::ShowLoaded(Form);
        Record(Slider);
    }
    void TearDown() override { FreeForm(Form); }

    void Record(TKvMultiSlider* Control)
    {
        Control->OnChanging = [this, Control](TObject* Sender) {
            EXPECT_EQ(Sender, Control);
            Events.push_back("changing " + Number(Control->GetPos()));
        };
        Control->OnChanged = [this, Control](TObject*) { Events.push_back("changed " + Number(Control->GetPos())); };
        Control->OnSliderChanging = [this, Control](TObject* Sender, int Index) {
            EXPECT_EQ(Sender, Control);
            Events.push_back("slider changing " + std::to_string(Index) + " " +
                             Number(Control->Sliders()->GetItem(Index)->GetPos()));
        };
        Control->OnSliderChanged = [this, Control](TObject*, int Index) {
            Events.push_back("slider changed " + std::to_string(Index) + " " +
                             Number(Control->Sliders()->GetItem(Index)->GetPos()));
        };
        Control->OnAutoCreateSlider = [this, Control](TObject*, int Index) {
            Events.push_back("created " + std::to_string(Index) + " " +
                             Number(Control->Sliders()->GetItem(Index)->GetPos()));
        };
    }
    TKvMultiSliderItem* AddThumb(double Pos)
    {
        TKvMultiSliderItem* item = Slider->Sliders()->Add();
        item->SetInternalPos(Pos);
        return item;
    }
    TColor Pixel(int X, int Y) const { return Slider->Picture().Canvas()->GetPixel(X, Y); }
    TEvents Take()
    {
        TEvents events;
        events.swap(Events);
        return events;
    }
    TForm* Form = nullptr;
    TKvMultiSlider* Slider = nullptr;
    TEvents Events;
};

TEST_F(TMultiSliderFixture, PublishedDefaults)
{
    TKvMultiSlider* fresh = new TKvMultiSlider(Form);
    EXPECT_EQ(fresh->GetMin(), 0);
    EXPECT_EQ(fresh->GetMax(), 100);
    EXPECT_EQ(fresh->GetFrequency(), 10);
    EXPECT_EQ(fresh->GetOrientation(), msoLeft);
    const int extents[] = {10, 10, 10, 3};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(fresh->GetExtent(i), extents[i]) << i;
    EXPECT_FALSE(fresh->GetOption(0));
    EXPECT_TRUE(fresh->GetOption(1));
    EXPECT_FALSE(fresh->GetOption(2));
    const TColor colors[] = {RGB(160, 150, 131), clBtnFace,          RGB(247, 222, 156), RGB(160, 150, 131),
                             RGB(128, 128, 128), RGB(160, 150, 131), clBtnFace};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(fresh->GetSliderColor(i), colors[i]) << i;
    EXPECT_EQ(fresh->Sliders()->Count(), 0);

    TKvMultiSliderItem* first = fresh->Sliders()->Add();
    TKvMultiSliderItem* second = fresh->Sliders()->Add();
    EXPECT_EQ(first->Name, "Slider1");
    EXPECT_EQ(second->GetDisplayName(), "Slider2");
    EXPECT_TRUE(first->GetParentColor());
    EXPECT_EQ(first->GetPos(), 0);
    EXPECT_EQ(first->Tag, 0);
    EXPECT_EQ(first->GetItemColor(0), RGB(128, 128, 128));
    EXPECT_EQ(first->GetItemColor(1), RGB(160, 150, 131));
    EXPECT_EQ(first->GetItemColor(2), RGB(247, 222, 156));
}

TEST_F(TMultiSliderFixture, WithoutThumbsPosReadsZeroAndWritesNothing)
{
    Slider->SetPos(40);
    Slider->SetInternalPos(30);
    EXPECT_EQ(Slider->GetPos(), 0);
    EXPECT_EQ(Slider->GetInternalPos(), 0);
    EXPECT_TRUE(Take().empty());
}

TEST_F(TMultiSliderFixture, PositionEventsOfFirstAndOtherThumbs)
{
    AddThumb(10);
    AddThumb(20);
    Take();
    Slider->SetPos(30);
    EXPECT_EQ(Take(), (TEvents{"slider changing 0 30", "changing 30", "slider changed 0 30", "changed 30"}));
    // The same value again: the change is reported complete, nothing moves.
    Slider->SetPos(30);
    EXPECT_EQ(Take(), (TEvents{"slider changed 0 30", "changed 30"}));
    Slider->SetInternalPos(35);
    EXPECT_EQ(Take(), (TEvents{"slider changing 0 35", "changing 35"}));
    Slider->SetInternalPos(35);
    EXPECT_TRUE(Take().empty());
    Slider->Sliders()->GetItem(1)->SetPos(70);
    EXPECT_EQ(Take(), (TEvents{"slider changing 1 70", "slider changed 1 70"}));
    // Setters accept values out of range; the next paint corrects them.
    Slider->Sliders()->GetItem(1)->SetPos(170);
    EXPECT_EQ(Slider->Sliders()->GetItem(1)->GetPos(), 170);
}

TEST_F(TMultiSliderFixture, NoEventsWhileTheFormLoads)
{
    TForm* form = new TForm(nullptr);
    auto* loading = new TKvMultiSlider(form);
    loading->SetParent(form);
    Record(loading);
    loading->Sliders()->Add();
    loading->SetPos(25);
    loading->Sliders()->GetItem(0)->SetInternalPos(26);
    EXPECT_EQ(loading->GetPos(), 26);
    EXPECT_TRUE(Take().empty());
    form->EndLoading();
    loading->SetPos(27);
    EXPECT_EQ(Take(), (TEvents{"slider changing 0 27", "changing 27", "slider changed 0 27", "changed 27"}));
    FreeForm(form);
}

TEST_F(TMultiSliderFixture, AssignCopiesColoursAndPositionAndRefusesOtherClasses)
{
    TKvMultiSliderItem* source = AddThumb(42);
    source->SetParentColor(false);
    source->SetItemColor(0, clBlue);
    source->SetItemColor(1, clRed);
    source->SetItemColor(2, clLime);
    source->Tag = 7;
    TKvMultiSliderItem* target = Slider->Sliders()->Add();
    Take();
    target->Assign(source);
    EXPECT_EQ(target->GetPos(), 42);
    EXPECT_FALSE(target->GetParentColor());
    EXPECT_EQ(target->GetItemColor(0), clBlue);
    EXPECT_EQ(target->GetItemColor(1), clRed);
    EXPECT_EQ(target->GetItemColor(2), clLime);
    EXPECT_EQ(target->Tag, 0);
    EXPECT_EQ(target->Name, "Slider2");
    // Assign moves the thumb without position events.
    EXPECT_TRUE(Take().empty());

    // The copy joins the collection under a name of its own.
    auto* copy = new TKvMultiSliderItem(*source);
    EXPECT_EQ(copy->GetCollection(), Slider->Sliders());
    EXPECT_EQ(copy->Name, "Slider3");
    EXPECT_EQ(copy->GetPos(), 42);
    EXPECT_EQ(copy->GetItemColor(0), clBlue);

    target->Assign(target);
    EXPECT_EQ(target->GetPos(), 42);
    TKvMultiSliderCollection other(nullptr);
    try {
        target->Assign(&other);
        FAIL() << "no exception";
    } catch (const EAssignError& error) {
        EXPECT_STREQ(error.what(), "Can'not assign to TKvMultiSliderItem");
    }
    EXPECT_THROW(target->Assign(nullptr), EAssignError);

    // The control's thumbs are copied, never taken over.
    TKvMultiSliderCollection otherSliders(nullptr);
    otherSliders.Add()->SetPos(5);
    otherSliders.Add()->SetPos(6);
    Slider->SetSliders(&otherSliders);
    ASSERT_EQ(Slider->Sliders()->Count(), 2);
    EXPECT_NE(Slider->Sliders(), &otherSliders);
    EXPECT_EQ(Slider->Sliders()->GetItem(1)->GetPos(), 6);
    EXPECT_EQ(otherSliders.Count(), 2);
}

TEST_F(TMultiSliderFixture, ThumbGeometryOfEveryOrientation)
{
    AddThumb(50);
    struct Case {
        TKvMultiSliderOrientation Orientation;
        int Width, Height;
        double Pos;
        TRect Band, Thumb;
    } cases[] = {
        // Horizontal bands run left to right: track 5..145, thumb 11 wide about its marker.
        {msoTop, 150, 45, 50, Rect(0, 0, 150, 10), Rect(70, 0, 81, 10)},
        {msoTop, 150, 45, 0, Rect(0, 0, 150, 10), Rect(0, 0, 11, 10)},
        {msoBottom, 150, 45, 100, Rect(0, 35, 150, 45), Rect(140, 35, 151, 45)},
        // Vertical bands run bottom to top.
        {msoLeft, 45, 150, 0, Rect(0, 0, 10, 150), Rect(0, 140, 10, 151)},
        {msoLeft, 45, 150, 100, Rect(0, 0, 10, 150), Rect(0, 0, 10, 11)},
        {msoRight, 45, 150, 25, Rect(35, 0, 45, 150), Rect(35, 105, 45, 116)},
    };
    for (const Case& c : cases) {
        Slider->SetOrientation(c.Orientation);
        Slider->SetBounds(10, 10, c.Width, c.Height);
        Slider->SetInternalPos(c.Pos);
        Slider->Repaint();
        EXPECT_EQ(Slider->BandRect(), c.Band) << c.Orientation << " " << c.Pos;
        EXPECT_EQ(Slider->Sliders()->GetItem(0)->SliderRect(), c.Thumb) << c.Orientation << " " << c.Pos;
    }
    // A thumb wider than the band centres the band in the thumb; a short band spans the track.
    Slider->SetOrientation(msoTop);
    Slider->SetBounds(10, 10, 150, 45);
    Slider->SetExtent(1, 16);
    Slider->SetExtent(0, 6);
    Slider->SetOption(0, true);
    Slider->Repaint();
    EXPECT_EQ(Slider->BandRect(), Rect(5, 5, 145, 11));
    EXPECT_EQ(Slider->Sliders()->GetItem(0)->SliderRect(), Rect(35, 0, 46, 16));  // at 25
}

TEST_F(TMultiSliderFixture, PaintBringsThumbsIntoRangeWithTheirEvents)
{
    AddThumb(-5);
    AddThumb(130);
    Take();
    Slider->Repaint();
    // The last thumb is painted first.
    EXPECT_EQ(Take(), (TEvents{"slider changing 1 100", "slider changing 0 0", "changing 0"}));
    EXPECT_EQ(Slider->Sliders()->GetItem(0)->GetPos(), 0);
    EXPECT_EQ(Slider->Sliders()->GetItem(1)->GetPos(), 100);

    // With a stretch colour of its own, the first two thumbs are corrected first, in order.
    Slider->SetSliderColor(6, clRed);
    Slider->Sliders()->GetItem(0)->SetInternalPos(-1);
    Slider->Sliders()->GetItem(1)->SetInternalPos(101);
    Take();
    Slider->Repaint();
    EXPECT_EQ(Take(), (TEvents{"slider changing 0 0", "changing 0", "slider changing 1 100"}));
    // Nothing left to correct: a second paint is silent.
    Slider->Repaint();
    EXPECT_TRUE(Take().empty());
}

TEST_F(TMultiSliderFixture, PictureOfBandRangeTicksAndThumbs)
{
    AddThumb(20);
    AddThumb(60)->SetParentColor(false);
    Slider->Sliders()->GetItem(1)->SetItemColor(0, clBlue);
    Slider->SetSliderColor(6, clRed);
    Slider->Repaint();
    const TColor frame = RGB(160, 150, 131);
    // Band 0..150 x 0..10; thumbs at x 33 and 89; the stretch between them in ColorBandDiff,
    // one pixel in from the band's sides.
    EXPECT_EQ(Pixel(0, 0), frame);
    EXPECT_EQ(Pixel(20, 5), ColorToRGB(clBtnFace));
    EXPECT_EQ(Pixel(60, 5), clRed);
    EXPECT_EQ(Pixel(60, 1), clRed);
    EXPECT_EQ(Pixel(60, 0), frame);
    EXPECT_EQ(Pixel(60, 9), frame);
    // Thumb 0 in the control's colours with its marker, thumb 1 in its own fill.
    EXPECT_EQ(Pixel(28, 5), frame);
    EXPECT_EQ(Pixel(30, 5), RGB(128, 128, 128));
    EXPECT_EQ(Pixel(33, 5), RGB(247, 222, 156));
    EXPECT_EQ(Pixel(92, 5), clBlue);
    EXPECT_EQ(Pixel(89, 5), RGB(247, 222, 156));
    // Ticks of a top band hang below it, 2 pixels off, 3 long, from the track's left.
    EXPECT_EQ(Pixel(5, 12), frame);
    EXPECT_EQ(Pixel(5, 14), frame);
    EXPECT_EQ(Pixel(5, 15), ColorToRGB(clBtnFace));
    EXPECT_EQ(Pixel(5, 11), ColorToRGB(clBtnFace));
    EXPECT_EQ(Pixel(18, 12), frame);  // 5 + 13.9
    EXPECT_EQ(Pixel(12, 12), ColorToRGB(clBtnFace));

    // Equal band colours: no stretch. No band at all: background only under the thumbs.
    Slider->SetSliderColor(6, clBtnFace);
    Slider->Repaint();
    EXPECT_EQ(Pixel(60, 5), ColorToRGB(clBtnFace));
    Slider->SetOption(1, false);
    Slider->SetColor(clWhite);
    Slider->Repaint();
    EXPECT_EQ(Pixel(60, 0), clWhite);
    EXPECT_EQ(Pixel(30, 5), RGB(128, 128, 128));
}

TEST_F(TMultiSliderFixture, DrawingHooksGetTrackAndBand)
{
    AddThumb(50);
    TEvents hooks;
    auto text = [](const TRect& R) {
        return std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) + "," +
               std::to_string(R.Bottom);
    };
    Slider->OnDrawBandBack = [&](TCanvas*, const TRect& R) { hooks.push_back("back " + text(R)); };
    Slider->OnBeforeDrawSliders = [&](TCanvas*, const TRect& R) { hooks.push_back("before " + text(R)); };
    Slider->OnAfterDrawCtrl = [&](TCanvas* Canvas, const TRect& R) {
        hooks.push_back("after " + text(R));
        Canvas->SetPixel(0, 44, clRed);
    };
    Slider->Repaint();
    EXPECT_EQ(hooks, (TEvents{"back 5,0,145,10", "before 5,0,145,10", "after 0,0,150,10"}));
}

TEST_F(TMultiSliderFixture, DragMovesFractionallyAndReportsOnRelease)
{
    AddThumb(50);
    AddThumb(80);
    Slider->Repaint();
    Take();
    Mouse(Slider, QEvent::MouseButtonPress, 75, 5);
    EXPECT_EQ(Slider->DraggedIndex(), 0);
    Mouse(Slider, QEvent::MouseMove, 76, 5);
    Mouse(Slider, QEvent::MouseMove, 30, 20);
    Mouse(Slider, QEvent::MouseButtonRelease, 30, 20);
    EXPECT_EQ(Take(), (TEvents{"slider changing 0 50.6667", "changing 50.6667", "slider changing 0 20", "changing 20",
                               "slider changed 0 20", "changed 20"}));
    EXPECT_EQ(Slider->DraggedIndex(), -1);

    // A drag back to where it began reports no completed change; nor does a move without a press.
    Slider->Repaint();
    Take();
    Mouse(Slider, QEvent::MouseButtonPress, 33, 5);
    Mouse(Slider, QEvent::MouseMove, 60, 5);
    Mouse(Slider, QEvent::MouseMove, 30, 5);
    Mouse(Slider, QEvent::MouseButtonRelease, 30, 5);
    EXPECT_EQ(Take(), (TEvents{"slider changing 0 40", "changing 40", "slider changing 0 20", "changing 20"}));
    Mouse(Slider, QEvent::MouseMove, 90, 5);
    EXPECT_TRUE(Take().empty());

    // Another thumb than the first reports only its own events; the right button drags nothing.
    Mouse(Slider, QEvent::MouseButtonPress, 117, 5, Qt::RightButton);
    EXPECT_EQ(Slider->DraggedIndex(), -1);
    Mouse(Slider, QEvent::MouseButtonRelease, 117, 5, Qt::RightButton);
    Mouse(Slider, QEvent::MouseButtonPress, 117, 5);
    Mouse(Slider, QEvent::MouseMove, 135, 5);
    Mouse(Slider, QEvent::MouseButtonRelease, 135, 5, Qt::RightButton);
    EXPECT_EQ(Take(), (TEvents{"slider changing 1 90", "slider changed 1 90"}));
}

TEST_F(TMultiSliderFixture, OverlappingThumbsPressSelectsTheHigherIndex)
{
    AddThumb(50);
    AddThumb(50);
    AddThumb(52);
    Slider->Repaint();
    // Thumbs 0 and 1 lie at 70..81, thumb 2 at 72..83: all three hold (75, 5).
    Mouse(Slider, QEvent::MouseButtonPress, 75, 5);
    EXPECT_EQ(Slider->DraggedIndex(), 2);
    Mouse(Slider, QEvent::MouseButtonRelease, 75, 5);
    Mouse(Slider, QEvent::MouseButtonPress, 71, 5);
    EXPECT_EQ(Slider->DraggedIndex(), 1);
    Mouse(Slider, QEvent::MouseButtonRelease, 71, 5);
}

TEST_F(TMultiSliderFixture, ClickOnFreeBandCreatesWholeNumberThumb)
{
    AddThumb(50);
    Slider->Repaint();
    Take();
    // Without AutoCreate the free band does nothing.
    Click(Slider, 20, 5);
    EXPECT_EQ(Slider->Sliders()->Count(), 1);
    Slider->SetOption(2, true);
    // Off the band nothing is created either.
    Click(Slider, 20, 30);
    EXPECT_EQ(Slider->Sliders()->Count(), 1);
    Mouse(Slider, QEvent::MouseButtonPress, 20, 5);
    ASSERT_EQ(Slider->Sliders()->Count(), 2);
    // 20 * 100 / 150 = 13.33 truncated.
    EXPECT_EQ(Slider->Sliders()->GetItem(1)->GetPos(), 13);
    EXPECT_EQ(Slider->DraggedIndex(), 1);
    EXPECT_EQ(Take(), (TEvents{"created 1 13"}));
    // The new thumb follows the mouse at once.
    Mouse(Slider, QEvent::MouseMove, 31, 5);
    Mouse(Slider, QEvent::MouseButtonRelease, 31, 5);
    EXPECT_EQ(Take(), (TEvents{"slider changing 1 20.6667", "slider changed 1 20.6667"}));
    // A click that leaves the new thumb where it was made reports no completed change.
    Click(Slider, 140, 5);
    EXPECT_EQ(Slider->Sliders()->GetItem(2)->GetPos(), 93);
    EXPECT_EQ(Take(), (TEvents{"created 2 93"}));
}

TEST_F(TMultiSliderFixture, ThumbRemovedDuringDragEndsQuietly)
{
    AddThumb(50);
    Slider->Repaint();
    Take();
    Mouse(Slider, QEvent::MouseButtonPress, 75, 5);
    Slider->Sliders()->Clear();
    Mouse(Slider, QEvent::MouseMove, 90, 5);
    Mouse(Slider, QEvent::MouseButtonRelease, 90, 5);
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(Slider->DraggedIndex(), -1);
}

}  // namespace
