// The status window on real widgets: connection colour, readings per device type, the
// process lines and its refusal to close.
#include "MainWindowFixture.h"
#include "platform/base/FloatFormat.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Ustatus.h"

namespace {

class TStatusWindow : public TMainWindowFixture {
protected:
    void StartStatus(const std::string& Common, const std::string& Extra = "")
    {
        Start("[Common]\n" + Common + Libraries() + Extra);
        Status = CreateForm<TFStatus>(nullptr);
    }
    void TearDown() override
    {
        DeviceState = TDeviceState{};
        TMainWindowFixture::TearDown();
    }
    std::vector<std::string> Lines() const { return Status->mmoStatus->GetLines().Lines(); }
    TFStatus* Status = nullptr;
};

const char* const RingCalibration =
    "[CalibrateParam]\nballance.shMin=0\nballance.shMax=100\nballance.hwMin=0\nballance.hwMax=1000\n"
    "barrier1.hwMin=0\nbarrier1.hwMax=20000\n"
    "revolver.countRings=1\nrevolver.ring1.countCells=4\n"
    "dipperRotator.countRings=1\ndipperRotator.ring0.ringPos=0\ndipperRotator.ring1.ringPos=500\n";

TEST_F(TStatusWindow, StartsVisibleAndFollowsTheConnectionInNavyOrGrey)
{
    StartStatus("");
    EXPECT_EQ(FStatus, Status);
    EXPECT_TRUE(Status->GetVisible());
    EXPECT_EQ(Status->GetFormStyle(), fsStayOnTop);
    EXPECT_EQ(Status->GetWidth(), 2 * Status->grpStatus->GetLeft() + Status->grpStatus->GetWidth());
    EXPECT_EQ(Status->GBProcess->GetCaption(), " Process ");
    EXPECT_TRUE(Status->mmoStatus->GetReadOnly());
    EXPECT_TRUE(Status->Memo->GetReadOnly());
    EXPECT_TRUE(Lines().empty());
    // The recording link connected at start.
    EXPECT_EQ(Status->mmoStatus->Font()->GetColor(), RGB(0, 0, 128));
    Main->ADisconnect->Execute();
    EXPECT_EQ(Status->mmoStatus->Font()->GetColor(), RGB(128, 128, 128));
    Main->AConnect->Execute();
    EXPECT_EQ(Status->mmoStatus->Font()->GetColor(), RGB(0, 0, 128));
    Link()->SetConnected(false);
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Status->mmoStatus->Font()->GetColor(), RGB(128, 128, 128));

    // The operator cannot close it.
    Status->Close();
    EXPECT_TRUE(Status->GetVisible());
}

TEST_F(TStatusWindow, StartsGreyWithoutALink)
{
    Start("");
    Status = CreateForm<TFStatus>(nullptr);
    EXPECT_EQ(Status->mmoStatus->Font()->GetColor(), RGB(128, 128, 128));
}

TEST_F(TStatusWindow, ReadingsPerDeviceType)
{
    struct Case {
        const char* Type;
        std::vector<std::string> Lines;
    };
    const Case cases[] = {
        {"ZEL", {"SP: 75.00", "BPos: ", "Square: ", "DPos: "}},
        {"LBL", {"DPos: ", "DRot: ", "Rev: ", "Cell: 1"}},
        {"COMBINED", {"SP: 75.00", "BPos: ", "Square: ", "DPos: ", "DRot: ", "Rev: ", "Cell: 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Type);
        StartStatus(std::string("DeviceType=") + c.Type + "\n", RingCalibration);
        AppSettings.ADCDataAccuracy = 2;
        DeviceState.balance = 250;
        DeviceState.barrier1Pos = 3000;
        DeviceState.barrier2Pos = 1000;
        DeviceState.dipperRotatorPos = 500;
        Status->RefreshIndicators();
        const std::vector<std::string> lines = Lines();
        ASSERT_EQ(lines.size(), c.Lines.size());
        for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind(c.Lines[i], 0), 0u) << lines[i];
        if (std::string(c.Type) != "LBL") {
            EXPECT_EQ(lines[1], "BPos: " + FloatToStrF(CalibrateParam.barrier1.HwToSh(4000), ffFixed, 10, 1));
        }
        TearDown();
    }
}

TEST_F(TStatusWindow, CellIsMinusOneWhenTheDipperRotatorStandsAtNoRing)
{
    StartStatus("DeviceType=LBL\n", RingCalibration);
    DeviceState.dipperRotatorPos = 250;
    Status->RefreshIndicators();
    EXPECT_EQ(Lines().back(), "Cell: -1");
    // The main window's refresh reaches the status window.
    DeviceState.dipperRotatorPos = 500;
    AppSettings.UpdateStatusInterval = 0;
    Main->UpdateStatus();
    EXPECT_EQ(Lines().back(), "Cell: 1");
}

TEST_F(TStatusWindow, ProcessLinesComeFromTheMainWindowWhenTheyChanged)
{
    StartStatus("");
    TStringList lines;
    lines.SetText("Cycle 1\n\nSubstance\n");
    Main->SetProcessList(&lines);
    EXPECT_TRUE(Status->Memo->GetLines().Lines().empty());
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Status->Memo->GetLines().Lines(), (std::vector<std::string>{"Cycle 1", "Substance"}));
}

}  // namespace
