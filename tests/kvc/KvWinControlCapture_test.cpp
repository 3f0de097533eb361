// The window capture: both handlers around the control's own handling, keeping a message
// from the control, inactive pass-through, and attaching beside other overlays.
#include <string>
#include <vector>
#include "TestSupport.h"
#include "WidgetInput.h"
#include <gtest/gtest.h>
#include "kvc/KvImage.h"
#include "kvc/KvWinControlCapture.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

using namespace KVC;

namespace {

struct TCaptureFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(20, 20, 200, 150);
        Image = WidgetInput::PlaceOn<TKvImage>(Form, 0, 0, 100, 80);
        Image->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { Log.push_back("control down"); };
        Image->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { Log.push_back("control up"); };
        Capture = new TKvWinControlCapture(Form);
        WidgetInput::ShowLoaded(Form);
    }
    void TearDown() override { FreeForm(Form); }
    void Record(bool KeepDowns)
    {
        Capture->OnBeforeMessage = [this, KeepDowns](TObject* Sender, TMessage& M, bool& Handled) {
            EXPECT_EQ(Sender, Capture);
            if (M.Msg != WM_LBUTTONDOWN && M.Msg != WM_LBUTTONUP) return;
            Log.push_back(M.Msg == WM_LBUTTONDOWN ? "before down" : "before up");
            if (KeepDowns && M.Msg == WM_LBUTTONDOWN) Handled = true;
        };
        Capture->OnAfterMessage = [this](TObject*, TMessage& M, bool& Handled) {
            if (M.Msg != WM_LBUTTONDOWN && M.Msg != WM_LBUTTONUP) return;
            Log.push_back(std::string(M.Msg == WM_LBUTTONDOWN ? "after down" : "after up") +
                          (Handled ? " handled" : ""));
        };
    }
    TForm* Form = nullptr;
    TKvImage* Image = nullptr;
    TKvWinControlCapture* Capture = nullptr;
    std::vector<std::string> Log;
};

TEST_F(TCaptureFixture, PresetToItsWindowedOwnerAndInactiveByDefault)
{
    EXPECT_EQ(Capture->GetWinControl(), Form);
    EXPECT_FALSE(Capture->GetActive());
    TKvWinControlCapture loose(nullptr);
    EXPECT_EQ(loose.GetWinControl(), nullptr);
}

TEST_F(TCaptureFixture, HandlersSeeEachMessageAroundTheControl)
{
    Capture->SetWinControl(Image);
    Record(false);
    WidgetInput::Click(Image, 10, 10);
    EXPECT_EQ(Log, (std::vector<std::string>{"control down", "control up"}));  // inactive: no handler
    Log.clear();
    Capture->SetActive(true);
    WidgetInput::Click(Image, 10, 10);
    EXPECT_EQ(Log, (std::vector<std::string>{"before down", "control down", "after down", "before up", "control up",
                                             "after up"}));
}

TEST_F(TCaptureFixture, HandledMessageIsKeptFromTheControlAndStillSeenAfter)
{
    Capture->SetWinControl(Image);
    Capture->SetActive(true);
    Record(true);
    WidgetInput::Click(Image, 10, 10);
    EXPECT_EQ(Log,
              (std::vector<std::string>{"before down", "after down handled", "before up", "control up", "after up"}));
}

TEST_F(TCaptureFixture, TwoCapturesLeaveInAnyOrderAndGoWithTheControl)
{
    auto* second = new TKvWinControlCapture(Form);
    Capture->SetWinControl(Image);
    second->SetWinControl(Image);
    Capture->SetActive(true);
    second->SetActive(true);
    int firstSeen = 0, secondSeen = 0;
    Capture->OnBeforeMessage = [&](TObject*, TMessage& M, bool&) { firstSeen += M.Msg == WM_LBUTTONDOWN; };
    second->OnBeforeMessage = [&](TObject*, TMessage& M, bool&) { secondSeen += M.Msg == WM_LBUTTONDOWN; };
    WidgetInput::Click(Image, 10, 10);
    Capture->SetWinControl(nullptr);  // the first attached leaves first
    WidgetInput::Click(Image, 10, 10);
    EXPECT_EQ(firstSeen, 1);
    EXPECT_EQ(secondSeen, 2);
    delete Image;
    Image = nullptr;
    EXPECT_EQ(second->GetWinControl(), nullptr);
    delete second;
}

}  // namespace
