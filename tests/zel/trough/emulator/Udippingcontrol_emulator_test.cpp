// End to end: START in the dipping window writes its script into the script window, which
// predicts it with the real link module, runs it on the instrument emulator and records
// the device states into its "Dipping" table; the run ends by the link's end notice or by
// Stop in the dipping window, and either way the set is saved.
#include <cstdlib>

#include "zel/core/EmulatorProgramFixture.h"
#include "kvc/KvChart.h"
#include "kvc/KvChartLineSeries.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Uprogress.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Usedatasetmanager.h"
#include "zel/trough/Scripttext.h"
#include "zel/trough/Udippingcontrol.h"
#include "zel/trough/Uscriptctrl.h"

namespace {

class TLinkedDipping : public TEmulatorProgramFixture {
protected:
    void StartLinked()
    {
        ASSERT_NO_FATAL_FAILURE(
            TEmulatorProgramFixture::StartLinked({"--info-ms", "50"}, "DeviceType=ZEL\n", DemoTroughSettings()));
        FExpSetup = CreateForm<TFExpSetup>(nullptr);
        CreateForm<TFProgress>(nullptr);
        Script = CreateForm<TFScriptCtrl>(nullptr);
        Dipping = CreateForm<TFDippingCtrl>(nullptr);
        Dipping->SEUpperLimit->SetValue(0);
        Dipping->SELowerLimit->SetValue(-2);
        Dipping->SESpeedDown->SetValue(Dipping->SESpeedDown->GetMaxValue());
        Dipping->SESpeedUp->SetValue(Dipping->SESpeedUp->GetMaxValue());
    }
    // The payloads the emulator received ("03 00").
    std::vector<std::string> Payloads() const
    {
        std::vector<std::string> payloads;
        for (const auto& frame : Emulator->Frames()) {
            const std::size_t end = frame.Bytes.find('$');
            if (frame.Bytes.size() > 4 && end != std::string::npos) payloads.push_back(frame.Bytes.substr(4, end - 4));
        }
        return payloads;
    }
    int Count(const std::string& Text) const
    {
        const auto& shown = Dialogs.Requests;
        return static_cast<int>(
            std::count_if(shown.begin(), shown.end(), [&](const TDialogRequest& r) { return r.Text == Text; }));
    }
    // The saved "Dipping" table's row count, -1 without one.
    static int SavedRows(const std::string& FileName)
    {
        ISXDataSet* saved = LoadDataSet(FileName);
        if (!saved) return -1;
        TPTableData table(saved->FindField(ZelTableCategory, "Dipping"));
        const int rows = table.Valid ? table.GetNumRows() : -1;
        UseDataSetManager.Release(saved);
        return rows;
    }

    TFScriptCtrl* Script = nullptr;
    TFDippingCtrl* Dipping = nullptr;
};

TEST_F(TLinkedDipping, RunFromTheWindowIsPredictedRunRecordedAndCompleted)
{
    StartLinked();
    Dipping->SENumCycles->SetValue(2);
    Dipping->SEWaitWhenUp->SetValue(1);
    const TDippingProgram program = Dipping->Program();
    const std::vector<std::string> script = MakeDippingScript(program);
    // The run in seconds, worked from the fields: each move takes 60 x travel / speed
    // (mm at mm/min, both speeds at the dipper's greatest, written to a hundredth), each
    // pause its seconds. First the positioning to the upper limit 0 with its pause, then
    // two cycles of 2 mm down, no pause, 2 mm up and 1 s.
    const double speed = static_cast<double>(Hundredths(program.SpeedDown)) / 100;
    ASSERT_EQ(Hundredths(program.SpeedUp), Hundredths(program.SpeedDown));
    const std::int64_t position = Hundredths(program.DipperPosition);
    const double positioning = static_cast<double>(std::llabs(position)) / 100;
    const double positioningPause = position == 0 ? 0 : position > 0 ? program.WaitWhenDown : program.WaitWhenUp;
    const double seconds = 60 * (positioning + 2 * (2 + 2)) / speed + positioningPause + 2 * (0 + 1);
    Dipping->BBGo->Click();
    // START returns once the dry run is over and the real run is on its way.
    ASSERT_EQ(Main->ProcessKind, pkScript);
    EXPECT_EQ(Script->Memo->GetLines().Lines(), script);
    // Down 2 mm and up again, twice: the predicted dipper leaves its start and returns.
    ASSERT_GT(Script->PrognosisPoints.size(), 4u);
    EXPECT_NEAR(Script->PrognosisPoints.back().time, seconds, 1e-9);
    EXPECT_EQ(Script->TotalTime, static_cast<int>(seconds));
    // The time graph shows the same seconds.
    const auto& graph = Script->CHTimeGraph->LineSeries()->GetItem(0)->Points();
    ASSERT_EQ(graph.size(), Script->PrognosisPoints.size());
    EXPECT_NEAR(graph.back().x, seconds, 1e-9);
    EXPECT_DOUBLE_EQ(Script->DipperHeight, 2);
    ASSERT_NE(Script->DataSet, nullptr);
    const std::string fileName = Script->DataSet->GetFileName();

    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, 30000));
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Count("Process completed!") == 1; }, 5000));
    EXPECT_EQ(Script->DataSet, nullptr);
    EXPECT_EQ((*Script->StatusLines)[0], "Completed!");
    EXPECT_GT(SavedRows(fileName), 0);
    // The keyboard was blocked for the run and released at its end.
    const std::vector<std::string> payloads = Payloads();
    EXPECT_NE(std::find(payloads.begin(), payloads.end(), "01 0A 00000001"), payloads.end());
    EXPECT_EQ(payloads.back(), "01 0A 00000000");
}

TEST_F(TLinkedDipping, StopInTheDippingWindowAbortsStopsTheDrivesAndSaves)
{
    StartLinked();
    Dipping->SEWaitWhenDown->SetValue(60);
    Dipping->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkScript);
    const std::string fileName = Script->DataSet->GetFileName();
    // The pause at the lower limit counts down in status line 3.
    ASSERT_TRUE(Application->ProcessMessagesUntil(
        [&] { return (*Script->StatusLines)[3].rfind("Pause", 0) == 0 && Script->Table->GetNumRows() > 0; }, 30000));
    Dipping->BBStop->Click();
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Dipping->BBGo->GetVisible());
    ASSERT_TRUE(Application->ProcessMessagesUntil(
        [&] {
            const std::vector<std::string> p = Payloads();
            return std::find(p.begin(), p.end(), "03 00 00000000") != p.end() &&
                   std::find(p.begin(), p.end(), "01 0A 00000000") != p.end();
        },
        10000))
        << ::testing::PrintToString(Payloads());
    EXPECT_GT(SavedRows(fileName), 0);
    // The aborted script's end notice ends nothing a second time.
    Application->ProcessMessagesUntil([] { return false; }, 300);
    EXPECT_EQ(Count("Process completed!"), 1);
}

}  // namespace
