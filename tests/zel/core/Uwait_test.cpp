// The calibration wait box: Cancel or the frame ends the automatic calibration and the
// box frees itself.
#include "MainWindowFixture.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Uwait.h"
#include "zel/core/Windowroles.h"

namespace {

class TCalibrationProbe : public TToolWindow, public IAutoCalibration {
public:
    explicit TCalibrationProbe(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::Calibration) {}
    void CancelAutoCalibration() override { ++Cancels; }
    int Cancels = 0;
};

using TWaitBox = TMainWindowFixture;

TEST_F(TWaitBox, CancelEndsTheCalibrationAndFreesTheBox)
{
    Start("");
    auto* calibration = CreateForm<TCalibrationProbe>(nullptr);
    for (bool byFrame : {false, true}) {
        SCOPED_TRACE(byFrame ? "frame" : "Cancel");
        auto* box = CreateForm<TFWait>(nullptr);
        EXPECT_EQ(FWait, box);
        EXPECT_EQ(box->GetCaption(), "Device calibrate");
        EXPECT_EQ(box->lblWait->GetCaption(), "Please, wait...");
        EXPECT_EQ(box->btnCancel->GetCaption(), "Cancel");
        box->Show();
        const int before = calibration->Cancels;
        if (byFrame)
            box->Close();
        else
            box->btnCancel->Click();
        EXPECT_EQ(calibration->Cancels, before + 1);
        Application->ProcessMessages();
        EXPECT_EQ(FWait, nullptr);
    }
}

TEST_F(TWaitBox, WithoutTheCalibrationWindowClosingIsSafe)
{
    Start("");
    auto* box = CreateForm<TFWait>(nullptr);
    box->Show();
    EXPECT_EQ(WindowFrame(box), "dialog, titled, on top, fixed");
    box->btnCancel->Click();
    Application->ProcessMessages();
    EXPECT_EQ(FWait, nullptr);
}

}  // namespace
