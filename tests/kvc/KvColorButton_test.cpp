// The colour button on a real widget (offscreen) with the colour dialog intercepted:
// order of OnChange and OnClick, nothing on cancel or an unchanged colour, the pressed look.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WidgetInput.h"
#include "kvc/KvColorButton.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

using namespace KVC;
using namespace WidgetInput;

namespace {

struct TColorButtonFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(30, 30, 200, 100);
        Button = WidgetInput::PlaceOn<TKvColorButton>(Form, 10, 10, 23, 22);
        WidgetInput::ShowLoaded(Form);
        Button->OnChange = [this](TObject* Sender) {
            EXPECT_EQ(Sender, Button);
            Events.push_back("change");
        };
        Button->OnClick = [this](TObject*) { Events.push_back("click"); };
    }
    void TearDown() override { FreeForm(Form); }
    TColor Pixel(int X, int Y) const { return Button->Picture().Canvas()->GetPixel(X, Y); }
    TForm* Form = nullptr;
    TKvColorButton* Button = nullptr;
    std::vector<std::string> Events;
};

using TEvents = std::vector<std::string>;

TEST_F(TColorButtonFixture, ChosenColourChangesBeforeTheClick)
{
    Button->ShowColorDialog = true;
    Button->SetColor(RGB(10, 20, 30));
    TDialogRecorder dialogs;
    dialogs.Answers.push_back(TDialogAnswer{mrOk, {}, static_cast<std::uint32_t>(RGB(200, 100, 50))});
    Click(Button, 5, 5);
    ASSERT_EQ(dialogs.Requests.size(), 1u);
    EXPECT_EQ(dialogs.Requests[0].Kind, TDialogKind::Color);
    EXPECT_EQ(dialogs.Requests[0].Color, static_cast<std::uint32_t>(RGB(10, 20, 30)));
    EXPECT_EQ(Events, (TEvents{"change", "click"}));
    EXPECT_EQ(Button->GetColor(), RGB(200, 100, 50));
    Button->Repaint();
    EXPECT_EQ(Pixel(11, 11), RGB(200, 100, 50));
    EXPECT_EQ(Pixel(0, 0), RGB(160, 150, 131));
}

TEST_F(TColorButtonFixture, CancelOrSameColourFiresNoChange)
{
    Button->ShowColorDialog = true;
    Button->SetColor(RGB(10, 20, 30));
    TDialogRecorder dialogs;
    dialogs.Answers.push_back(TDialogAnswer{mrCancel, {}, static_cast<std::uint32_t>(RGB(1, 1, 1))});
    dialogs.Answers.push_back(TDialogAnswer{mrOk, {}, static_cast<std::uint32_t>(RGB(10, 20, 30))});
    Button->Execute();
    Click(Button, 5, 5);
    EXPECT_EQ(dialogs.Requests.size(), 2u);
    EXPECT_EQ(Events, (TEvents{"click", "click"}));
    EXPECT_EQ(Button->GetColor(), RGB(10, 20, 30));
}

TEST_F(TColorButtonFixture, WithoutTheDialogAClickOnlyClicks)
{
    // The test program fails on any dialog it did not expect.
    Click(Button, 5, 5);
    Click(Button, 5, 5, Qt::RightButton);
    EXPECT_EQ(Events, (TEvents{"click"}));
    Button->SetVersion("2.0");
    EXPECT_EQ(Button->GetVersion(), "1.0");
}

TEST_F(TColorButtonFixture, PressedLookOfTheRaisedButton)
{
    Button->SetFlat(false);
    Button->SetColor(RGB(0, 128, 0));
    int painted = 0;
    Button->OnPaint = [&](TObject*) { ++painted; };
    Button->Repaint();
    EXPECT_EQ(Pixel(0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(Pixel(22, 21), ColorToRGB(clBtnShadow));
    EXPECT_EQ(Pixel(2, 2), clBlack);
    EXPECT_EQ(Pixel(10, 10), RGB(0, 128, 0));
    Mouse(Button, QEvent::MouseButtonPress, 5, 5);
    EXPECT_TRUE(Button->Pressed());
    EXPECT_EQ(Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(Pixel(22, 21), ColorToRGB(clBtnHighlight));
    Mouse(Button, QEvent::MouseButtonRelease, 5, 5);
    EXPECT_FALSE(Button->Pressed());
    EXPECT_EQ(Pixel(0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_GE(painted, 3);
    EXPECT_EQ(Events, (TEvents{"click"}));
}

}  // namespace
