// The owner-drawn slider on a real widget (offscreen): event sequences of keys, wheel,
// drag and band clicks, the picture of band, thumb and ticks, and the orientation swap.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WidgetInput.h"
#include "kvc/KvSlider.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

using namespace KVC;

namespace {

using namespace WidgetInput;

struct TSliderFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(30, 30, 300, 200);
        Slider = WidgetInput::PlaceOn<TKvSlider>(Form, 10, 10, 150, 45);
        WidgetInput::ShowLoaded(Form);
        Slider->OnChanging = [this](TObject* Sender) {
            EXPECT_EQ(Sender, Slider);
            Events.push_back("changing " + std::to_string(Slider->GetPos()));
        };
        Slider->OnChanged = [this](TObject*) { Events.push_back("changed " + std::to_string(Slider->GetPos())); };
    }
    void TearDown() override { FreeForm(Form); }
    TColor Pixel(int X, int Y) const { return Slider->Picture().Canvas()->GetPixel(X, Y); }
    std::vector<std::string> Take()
    {
        std::vector<std::string> events;
        events.swap(Events);
        return events;
    }
    TForm* Form = nullptr;
    TKvSlider* Slider = nullptr;
    std::vector<std::string> Events;
};

using TEvents = std::vector<std::string>;

TEST_F(TSliderFixture, SetPosReportsAndClamps)
{
    Slider->SetPos(0);
    EXPECT_EQ(Take(), (TEvents{"changed 0"}));
    Slider->SetPos(150);
    EXPECT_EQ(Take(), (TEvents{"changing 100", "changed 100"}));
    Slider->SetPos(-5);
    EXPECT_EQ(Take(), (TEvents{"changing 0", "changed 0"}));
    Slider->SetInternalPos(40);
    EXPECT_EQ(Take(), (TEvents{"changing 40"}));
    // A new range does not move the position.
    Slider->SetMax(20);
    EXPECT_EQ(Slider->GetPos(), 40);
    EXPECT_TRUE(Take().empty());
    // Min above Max: Max wins.
    Slider->SetMin(30);
    Slider->SetPos(25);
    EXPECT_EQ(Slider->GetPos(), 20);
}

TEST_F(TSliderFixture, KeysStepOncePerChange)
{
    Slider->PageSize = 10;
    Slider->LineSize = 2;
    Slider->SetInternalPos(50);
    Take();
    struct Case {
        int QtKey;
        TEvents Events;
    } cases[] = {
        {Qt::Key_Up, {"changing 52", "changed 52"}},     {Qt::Key_Right, {"changing 54", "changed 54"}},
        {Qt::Key_Left, {"changing 52", "changed 52"}},   {Qt::Key_Down, {"changing 50", "changed 50"}},
        {Qt::Key_PageUp, {"changing 60", "changed 60"}}, {Qt::Key_PageDown, {"changing 50", "changed 50"}},
        {Qt::Key_End, {"changing 100", "changed 100"}},  {Qt::Key_End, {"changed 100"}},
        {Qt::Key_Home, {"changing 0", "changed 0"}},     {Qt::Key_A, {}},
    };
    for (const Case& c : cases) {
        Key(Slider, QEvent::KeyPress, c.QtKey);
        Key(Slider, QEvent::KeyRelease, c.QtKey);
        EXPECT_EQ(Take(), c.Events) << c.QtKey;
    }
}

TEST_F(TSliderFixture, WheelStepsByLineSize)
{
    Slider->LineSize = 3;
    Slider->SetInternalPos(10);
    Take();
    Wheel(Slider, 120);
    EXPECT_EQ(Take(), (TEvents{"changing 13", "changed 13"}));
    Wheel(Slider, -120);
    Wheel(Slider, -120);
    EXPECT_EQ(Take(), (TEvents{"changing 10", "changed 10", "changing 7", "changed 7"}));
}

TEST_F(TSliderFixture, DragReportsChangingThenOneChanged)
{
    Slider->SetInternalPos(50);
    Slider->Repaint();
    Take();
    const TRect thumb = Slider->ThumbRect();
    ASSERT_FALSE(thumb.IsEmpty());
    const int y = (thumb.Top + thumb.Bottom) / 2;
    Mouse(Slider, QEvent::MouseButtonPress, (thumb.Left + thumb.Right) / 2, y);
    EXPECT_TRUE(Take().empty());
    // The band runs over the whole width of 150: x 120 is value trunc(120 * 100 / 150).
    Mouse(Slider, QEvent::MouseMove, 120, y);
    Mouse(Slider, QEvent::MouseMove, 30, y);
    EXPECT_EQ(Take(), (TEvents{"changing 80", "changing 20"}));
    Mouse(Slider, QEvent::MouseButtonRelease, 30, y);
    EXPECT_EQ(Take(), (TEvents{"changed 20"}));
    // After the release moves do nothing; a drag back to the start reports no change.
    Mouse(Slider, QEvent::MouseMove, 90, y);
    EXPECT_TRUE(Take().empty());
    Slider->Repaint();
    const TRect again = Slider->ThumbRect();
    Mouse(Slider, QEvent::MouseButtonPress, (again.Left + again.Right) / 2, y);
    Mouse(Slider, QEvent::MouseMove, 90, y);
    Mouse(Slider, QEvent::MouseMove, 30, y);
    Mouse(Slider, QEvent::MouseButtonRelease, 30, y);
    EXPECT_EQ(Take(), (TEvents{"changing 60", "changing 20"}));
}

TEST_F(TSliderFixture, BandClickStepsByPageOnce)
{
    Slider->SetInternalPos(50);
    Slider->Repaint();
    Take();
    Mouse(Slider, QEvent::MouseButtonPress, 140, 5);
    Mouse(Slider, QEvent::MouseButtonRelease, 140, 5);
    EXPECT_EQ(Take(), (TEvents{"changing 60", "changed 60"}));
    Slider->Repaint();
    Mouse(Slider, QEvent::MouseButtonPress, 3, 5);
    Mouse(Slider, QEvent::MouseButtonRelease, 3, 5);
    EXPECT_EQ(Take(), (TEvents{"changing 50", "changed 50"}));
    // Where the value at the point equals the position, the step goes down: a thin thumb
    // (rows 4 and 5) leaves the band free above and below it.
    Slider->SetSliderWidth(2);
    Slider->Repaint();
    ASSERT_EQ(Slider->ThumbRect(), Rect(70, 4, 81, 6));
    Take();
    Mouse(Slider, QEvent::MouseButtonPress, 75, 8);
    Mouse(Slider, QEvent::MouseButtonRelease, 75, 8);
    EXPECT_EQ(Take(), (TEvents{"changing 40", "changed 40"}));
    // The right button and clicks off the band do nothing.
    Mouse(Slider, QEvent::MouseButtonPress, 140, 5, Qt::RightButton);
    Mouse(Slider, QEvent::MouseButtonRelease, 140, 5, Qt::RightButton);
    Mouse(Slider, QEvent::MouseButtonPress, 140, 30);
    Mouse(Slider, QEvent::MouseButtonRelease, 140, 30);
    EXPECT_TRUE(Take().empty());
}

TEST_F(TSliderFixture, PictureOfBandThumbAndTicks)
{
    // The window may have given the slider its focus: the resting look is wanted first.
    Slider->Perform(WM_KILLFOCUS);
    Slider->SetInternalPos(50);
    Slider->Repaint();
    ASSERT_EQ(Slider->Picture().GetWidth(), 150);
    // Track (5, 0, 145, 10); band over the whole width; thumb around x = 75.
    EXPECT_EQ(Slider->BandRect(), Rect(0, 0, 150, 10));
    EXPECT_EQ(Slider->ThumbRect(), Rect(70, 0, 81, 10));
    const TColor border = RGB(160, 150, 131);
    EXPECT_EQ(Pixel(0, 5), border);
    EXPECT_EQ(Pixel(149, 9), border);
    EXPECT_EQ(Pixel(3, 5), ColorToRGB(clBtnFace));
    EXPECT_EQ(Pixel(72, 5), RGB(128, 128, 128));
    EXPECT_EQ(Pixel(75, 3), RGB(247, 222, 156));
    EXPECT_EQ(Pixel(75, 0), border);
    // Ticks every (140 - 1) * 10 / 100 = 13.9 pixels from x = 5, 3 pixels long from y = 12.
    for (int x : {5, 18, 32, 46, 144}) {
        EXPECT_EQ(Pixel(x, 12), border) << x;
        EXPECT_EQ(Pixel(x, 14), border) << x;
        EXPECT_EQ(Pixel(x, 15), ColorToRGB(clBtnFace)) << x;
    }
    EXPECT_EQ(Pixel(6, 12), ColorToRGB(clBtnFace));

    // Under the mouse (no button held) the band takes the active colour.
    PlainMove(Slider, 20, 5);
    Slider->Repaint();
    EXPECT_EQ(Pixel(3, 5), clWhite);
    PlainMove(Slider, 20, 30);
    Slider->Repaint();
    EXPECT_EQ(Pixel(3, 5), ColorToRGB(clBtnFace));
    // And so it does with the focus.
    Slider->Perform(WM_SETFOCUS);
    Slider->Repaint();
    EXPECT_EQ(Pixel(3, 5), clWhite);
}

TEST_F(TSliderFixture, AutoFocusTakesTheFocusWhenTheMouseComesOverTheBand)
{
    auto* other = new TEdit(Form);
    other->SetParent(Form);
    other->SetBounds(0, 100, 60, 20);
    other->SetFocus();
    Application->ProcessMessages();
    ASSERT_TRUE(other->Focused());
    PlainMove(Slider, 20, 30);  // below the band: nothing
    Application->ProcessMessages();
    EXPECT_TRUE(other->Focused());
    Slider->AutoFocus = true;
    PlainMove(Slider, 20, 5);
    Application->ProcessMessages();
    EXPECT_TRUE(Slider->Focused());
}

TEST_F(TSliderFixture, OffsetsOfThumbTicksAndShortBand)
{
    Slider->SetSliderWidth(20);
    Slider->SetTickMarks(tmBoth);
    Slider->SetShortBand(true);
    Slider->Repaint();
    // o = (20 - 10) / 2 + 3 + 4; the short band is the track only.
    EXPECT_EQ(Slider->BandRect(), Rect(5, 12, 145, 22));
    EXPECT_EQ(Slider->ThumbRect(), Rect(0, 7, 11, 27));
    EXPECT_EQ(Pixel(5, 24), RGB(160, 150, 131));
    EXPECT_EQ(Pixel(5, 8), RGB(160, 150, 131));
    EXPECT_EQ(Pixel(5, 7), RGB(160, 150, 131));

    // A caption pushes the band down below its text.
    Slider->SetCaption("Speed");
    Slider->Repaint();
    EXPECT_GT(Slider->BandRect().Top, 12 + 5);
}

TEST_F(TSliderFixture, VerticalSliderAndOrientationSwap)
{
    Slider->SetOrientation(trVertical);
    EXPECT_EQ(Slider->GetWidth(), 45);
    EXPECT_EQ(Slider->GetHeight(), 150);
    Slider->SetInternalPos(25);
    Slider->Repaint();
    // Track (0, 5, 10, 145): y = trunc(145 - 140 * 0.25) = 110.
    EXPECT_EQ(Slider->BandRect(), Rect(0, 0, 10, 150));
    EXPECT_EQ(Slider->ThumbRect(), Rect(0, 105, 10, 116));
    EXPECT_EQ(Pixel(3, 110), RGB(247, 222, 156));
    EXPECT_EQ(Pixel(12, 145), RGB(160, 150, 131));
    // A click above the thumb on a vertical band steps up.
    Take();
    Mouse(Slider, QEvent::MouseButtonPress, 5, 20);
    EXPECT_EQ(Take(), (TEvents{"changing 35", "changed 35"}));
    Mouse(Slider, QEvent::MouseButtonRelease, 5, 20);

    TKvSlider loading(nullptr);
    loading.SetBounds(0, 0, 150, 45);
    loading.SetOrientation(trVertical);
    EXPECT_EQ(loading.GetWidth(), 150);
    EXPECT_EQ(loading.GetHeight(), 45);
}

}  // namespace
