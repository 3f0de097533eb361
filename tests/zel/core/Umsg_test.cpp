// The deposition confirmation box: its texts, its buttons reaching the handler attached
// by the deposition window, and the frame's close acting as Cancel.
#include "MainWindowFixture.h"
#include "zel/core/Umsg.h"

namespace {

using TConfirmationBox = TMainWindowFixture;

TEST_F(TConfirmationBox, FrameCloseActsAsCancelAndBothButtonsReachTheAttachedHandler)
{
    Start("");
    auto* box = CreateForm<TFMsg>(nullptr);
    EXPECT_EQ(FMsg, box);
    EXPECT_FALSE(box->GetVisible());
    EXPECT_EQ(box->GetCaption(), "Deposition control");
    EXPECT_EQ(box->GetFormStyle(), fsStayOnTop);
    EXPECT_EQ(box->lblMessage->GetCaption(),
              "Wait the completions of the moving the barrier and add the substance. Continue?");
    // The question is longer than the box is wide: it wraps instead of being cut off.
    EXPECT_TRUE(box->lblMessage->GetWordWrap());
    EXPECT_EQ(box->btnOk->GetCaption(), "OK");
    EXPECT_EQ(box->btnCancel->GetCaption(), "Cancel");

    // As the deposition window wires it: one handler on both buttons, OK disabled at first.
    std::vector<std::string> clicks;
    const TNotifyEvent handler = [&](TObject* Sender) {
        clicks.push_back(Sender == box->btnOk ? "ok" : "cancel");
        box->Hide();
    };
    box->btnOk->OnClick = handler;
    box->btnCancel->OnClick = handler;
    box->btnOk->SetEnabled(false);
    box->Show();
    box->Close();
    EXPECT_EQ(clicks, std::vector<std::string>{"cancel"});
    EXPECT_FALSE(box->GetVisible());

    box->Show();
    box->btnOk->SetEnabled(true);
    box->btnOk->Click();
    EXPECT_EQ(clicks, (std::vector<std::string>{"cancel", "ok"}));
    EXPECT_FALSE(box->GetVisible());

    // Without a handler the frame still closes the box.
    box->btnOk->OnClick = nullptr;
    box->btnCancel->OnClick = nullptr;
    box->Show();
    box->Close();
    EXPECT_FALSE(box->GetVisible());
    FreeForm(box);
    EXPECT_EQ(FMsg, nullptr);
}

}  // namespace
