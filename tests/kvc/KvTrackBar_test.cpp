// The track bar's completion event on a real widget (offscreen): a key, a click on the
// bar and a drag each report once at the release; a key that moves nothing reports nothing.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WidgetInput.h"
#include "kvc/KvTrackBar.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

using namespace KVC;

namespace {

// The groove of the bar lies near the top of the control (ticks below it).
constexpr int GrooveY = 10;

using namespace WidgetInput;

struct TTrackBarFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(30, 30, 300, 200);
        Bar = WidgetInput::PlaceOn<TKvTrackBar>(Form, 10, 10, 200, 30);
        Bar->SetMax(100);
        Bar->SetPageSize(10);
        WidgetInput::ShowLoaded(Form);
        Bar->OnChange = [this](TObject*) { ++Changes; };
        Bar->OnChanged = [this](TObject* Sender) {
            EXPECT_EQ(Sender, Bar);
            Changed.push_back(Bar->GetPosition());
        };
    }
    void TearDown() override { FreeForm(Form); }
    TForm* Form = nullptr;
    TKvTrackBar* Bar = nullptr;
    int Changes = 0;
    std::vector<int> Changed;
};

TEST_F(TTrackBarFixture, ArrowKeyReportsItsValueAtRelease)
{
    Bar->SetPosition(5);
    Changes = 0;
    Key(Bar, QEvent::KeyPress, Qt::Key_Right);
    EXPECT_EQ(Bar->GetPosition(), 6);
    EXPECT_EQ(Changes, 1);
    EXPECT_TRUE(Changed.empty());
    Key(Bar, QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_EQ(Changed, (std::vector<int>{6}));

    // Held down: the repeats move it on, the one release reports the end.
    Key(Bar, QEvent::KeyPress, Qt::Key_Left);
    Key(Bar, QEvent::KeyPress, Qt::Key_Left, QString(), Qt::NoModifier, true);
    Key(Bar, QEvent::KeyRelease, Qt::Key_Left);
    EXPECT_EQ(Changed, (std::vector<int>{6, 4}));
}

TEST_F(TTrackBarFixture, KeyThatMovesNothingReportsNothing)
{
    Bar->SetPosition(0);
    Key(Bar, QEvent::KeyPress, Qt::Key_Left);
    Key(Bar, QEvent::KeyRelease, Qt::Key_Left);
    Key(Bar, QEvent::KeyPress, Qt::Key_A);
    Key(Bar, QEvent::KeyRelease, Qt::Key_A);
    EXPECT_TRUE(Changed.empty());
    // A position set from code is no move of the operator's.
    Bar->SetPosition(30);
    EXPECT_TRUE(Changed.empty());
    EXPECT_EQ(Changes, 1);
}

TEST_F(TTrackBarFixture, ClickOnTheBarReportsOnceAtRelease)
{
    Bar->SetPosition(0);
    Mouse(Bar, QEvent::MouseButtonPress, 190, GrooveY);
    const int moved = Bar->GetPosition();
    EXPECT_EQ(moved, 10);
    EXPECT_TRUE(Changed.empty());
    Mouse(Bar, QEvent::MouseButtonRelease, 190, GrooveY);
    EXPECT_EQ(Changed, (std::vector<int>{moved}));
}

TEST_F(TTrackBarFixture, DragReportsOnceAtRelease)
{
    Bar->SetPosition(0);
    Changes = 0;
    Mouse(Bar, QEvent::MouseButtonPress, 4, GrooveY);
    Mouse(Bar, QEvent::MouseMove, 60, GrooveY);
    Mouse(Bar, QEvent::MouseMove, 120, GrooveY);
    EXPECT_GE(Changes, 2);
    EXPECT_TRUE(Changed.empty());
    Mouse(Bar, QEvent::MouseButtonRelease, 120, GrooveY);
    ASSERT_EQ(Changed.size(), 1u);
    EXPECT_EQ(Changed[0], Bar->GetPosition());
    EXPECT_GT(Bar->GetPosition(), 30);
}

TEST_F(TTrackBarFixture, OrientationSwapsTheBoundsAtRunTime)
{
    Bar->SetOrientation(trVertical);
    EXPECT_EQ(Bar->GetWidth(), 30);
    EXPECT_EQ(Bar->GetHeight(), 200);
    TKvTrackBar loading(nullptr);
    loading.SetBounds(0, 0, 200, 30);
    loading.SetOrientation(trVertical);
    EXPECT_EQ(loading.GetWidth(), 200);
}

TEST_F(TTrackBarFixture, AVerticalBarHasItsMinimumAtTheTopAndDownMovesTowardsTheMaximum)
{
    Bar->SetOrientation(trVertical);
    Application->ProcessMessages();
    PressKey(Bar, Qt::Key_Down);
    EXPECT_EQ(Bar->GetPosition(), 1);
    PressKey(Bar, Qt::Key_Up);
    EXPECT_EQ(Bar->GetPosition(), 0);
    // A click low on the bar pages towards the maximum.
    Click(Bar, GrooveY, Bar->GetHeight() - 15);
    EXPECT_GT(Bar->GetPosition(), 0);
}

}  // namespace
