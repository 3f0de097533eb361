// End to end: the instrument emulator, started as the operator starts it, goes away in the
// middle of a run (ended, or frozen so that it says nothing more) while the program sends
// nothing. Each run ends as failed with the rows it had saved, the operator is told so and
// never that it completed, and one Connect to the instrument that comes back is enough
// for the next run to complete.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "zel/core/EmulatorProgramFixture.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Umsg.h"
#include "zel/core/Uprogress.h"
#include "platform/ui/Timers.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Usedatasetmanager.h"
#include "zel/trough/Udepfb.h"
#include "zel/trough/Udepositioncontrol.h"
#include "zel/trough/Udepposinfo.h"
#include "zel/trough/Udippingcontrol.h"
#include "zel/trough/Uisothermcontrol.h"
#include "zel/trough/Uscriptctrl.h"

namespace {

const char FailedText[] = "Process failed: the connection to the device was lost.";

enum class TLoss { Ended, Frozen };

class TLostLine : public TEmulatorProgramFixture {
protected:
    void TearDown() override
    {
        if (Emulator) Emulator->Signal(SIGKILL);
        TEmulatorProgramFixture::TearDown();
        FDepFB = nullptr;
        FDepPosInfo = nullptr;
        std::remove(PortPath.c_str());
    }

    // The emulator as the operator's start script runs it, behind a fixed port path, so
    // that the instrument can go and come back on a new terminal under the same name.
    void StartEmulator()
    {
        Emulator = std::make_unique<TEmulatorProcess>(std::vector<std::string>{"--info-ms", "100", "--speed-up", "20"});
        ASSERT_FALSE(Emulator->Device().empty()) << "the emulator did not start";
        std::remove(PortPath.c_str());
        ASSERT_EQ(::symlink(Emulator->Device().c_str(), PortPath.c_str()), 0);
    }

    // The demonstration trough: 400 steps per mm, a 7.5 cm wide film of 240 cm², the
    // balance at 11296 counts on a clean surface and 100 counts fewer per mN/m.
    void StartProgram()
    {
        PortPath = ::testing::TempDir() + "zel_lost_line_" + std::to_string(::getpid());
        ASSERT_NO_FATAL_FAILURE(StartEmulator());
        std::string ini = "[Common]\nDeviceType=ZEL\nHLFileName=" + RecordingLinkFolder() +
                          "hwzel.so\nFilerDllFileName=" + RecordingLinkFolder() +
                          "zelfiler.so\n[PortSettings]\nPort=" + PortPath + "\nBaudRate=13\n[CalibrateParam]\n";
        for (const char* drive : {"barrier1", "barrier2", "dipper"}) {
            const std::string name = drive;
            for (const char* pair : {"Fclk=1", "FclkDivide=1", "uSteps=1", "numStepsPerOborot=400", "gear=1",
                                     "vintStep=1", "hwMin=0", "zeroHw=0", "minSpeed=0.01", "maxSpeed=2", "old=0"})
                ini += name + "." + pair + "\n";
            ini += name + ".hwMax=" + (name == "dipper" ? "40000" : "58000") + "\n";
        }
        ini +=
            "ballance.shMin=0\nballance.shMax=72\nballance.hwMin=4096\nballance.hwMax=11296\n"
            "surface.length=7.5\nsurface.squareMin=22.5\nsurface.squareMax=240\n"
            "[ExpSetupForm]\nCompoundName=Stearic acid\nAliquot=0.02\nCompositionCount=1\n"
            "SolName0=Stearic acid\nM_ind0=284.48\nm_par0=0.001\n"
            "[IsothermControl]\nRecOptions=0\nTargetOptions=0\nPressure=40\nRate=200\nProcBarrierStep=2\n";
        Start(ini);
        ASSERT_TRUE(Dialogs.Requests.empty()) << Dialogs.Requests[0].Text;
        ASSERT_TRUE(HlProvider.Link && HlProvider.Link->IsConnected());
        FExpSetup = CreateForm<TFExpSetup>(nullptr);
        CreateForm<TFProgress>(nullptr);
        CreateForm<TFMsg>(nullptr);
        FDepFB = CreateForm<TFDepFB>(nullptr);
        Script = CreateForm<TFScriptCtrl>(nullptr);
        Dipping = CreateForm<TFDippingCtrl>(nullptr);
        Isotherm = CreateForm<TFIsothermCtrl>(nullptr);
        Deposition = CreateForm<TFDepositionCtrl>(nullptr);
        FDepPosInfo = CreateForm<TFDepPosInfo>(nullptr);
        // The watchdog runs only when a test calls it; its bound is short for the frozen
        // instrument's sake.
        Main->ResponseTimeout = 500;
        // A short dipping run: 1 mm down and up again at full speed.
        Dipping->SENumCycles->SetValue(1);
        Dipping->SEUpperLimit->SetValue(0);
        Dipping->SELowerLimit->SetValue(-1);
        Dipping->SESpeedDown->SetValue(Dipping->SESpeedDown->GetMaxValue());
        Dipping->SESpeedUp->SetValue(Dipping->SESpeedUp->GetMaxValue());
        Dipping->SEWaitWhenUp->SetValue(0);
        Dipping->SEWaitWhenDown->SetValue(0);
    }

    // The line goes: the emulator ends, or freezes until the watchdog finds it silent (the
    // operator then declines to reconnect to it).
    void Lose(TLoss Loss)
    {
        if (Loss == TLoss::Ended) {
            ASSERT_TRUE(Emulator->Signal(SIGKILL));
            ASSERT_TRUE(
                Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, ConditionWaitMs));
        } else {
            ASSERT_TRUE(Emulator->Signal(SIGSTOP));
            ASSERT_TRUE(Application->ProcessMessagesUntil(
                [&] {
                    return static_cast<DWORD>(GetTickCount() - Main->LastResponseTick) >
                           static_cast<DWORD>(Main->ResponseTimeout);
                },
                ConditionWaitMs));
            Dialogs.Answer(IDNO);
            Main->UpdateProcessTimerTimer(nullptr);
            EXPECT_EQ(Count("Device not responding! Do you want to reconnect?"), 1);
        }
        // The posted messages are shown.
        Application->ProcessMessagesUntil([&] { return Count(FailedText) > 0; }, ConditionWaitMs);
        Main->UpdateProcessTimerTimer(nullptr);
    }

    // The instrument comes back on a new terminal behind the same port name; the operator
    // connects once, and the next run completes.
    void ReconnectAndRunAgain()
    {
        Emulator->Signal(SIGKILL);
        Emulator.reset();
        ASSERT_NO_FATAL_FAILURE(StartEmulator());
        Dialogs.Requests.clear();
        Main->AConnect->Execute();
        ASSERT_TRUE(HlProvider.Link->IsConnected());
        Main->UpdateProcessTimerTimer(nullptr);
        EXPECT_EQ(Main->StatusBar->Panels(0)->GetText(), "Connected");

        Dipping->BBGo->Click();
        ASSERT_EQ(Main->ProcessKind, pkScript);
        ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, ConditionWaitMs));
        ASSERT_TRUE(
            Application->ProcessMessagesUntil([&] { return Count("Process completed!") == 1; }, ConditionWaitMs));
        EXPECT_EQ(Count(FailedText), 0);
        EXPECT_EQ(Count("Device not responding"), 0);
    }

    int Count(const std::string& Text) const
    {
        const auto& shown = Dialogs.Requests;
        return static_cast<int>(
            std::count_if(shown.begin(), shown.end(), [&](const TDialogRequest& r) { return r.Text == Text; }));
    }
    // The rows of every table of the set file on disk; -1 when it cannot be read.
    static int SavedRows(const std::string& FileName)
    {
        ISXDataSet* saved = LoadDataSet(FileName);
        if (!saved) return -1;
        int rows = 0;
        for (int i = 0; i < saved->GetFieldCount(ZelTableCategory); ++i) {
            TPTableData table(saved->GetField(ZelTableCategory, i));
            if (table.Valid) rows += table.GetNumRows();
        }
        UseDataSetManager.Release(saved);
        return rows;
    }
    // What every run cut off by the lost line shows once it has ended.
    void ExpectFailedEnd(TProcessWindow* Window, int StatusLine, const std::string& FileName, int RowsBefore)
    {
        EXPECT_EQ(Main->ProcessKind, pkNone);
        EXPECT_FALSE(HlProvider.Link->IsConnected());
        EXPECT_EQ(Main->StatusBar->Panels(0)->GetText(), "Disconnected");
        EXPECT_EQ(Window->DataSet, nullptr);
        EXPECT_EQ(Count(FailedText), 1);
        EXPECT_EQ(Count("Process completed!"), 0);
        EXPECT_EQ((*Window->StatusLines)[StatusLine], "Failed!");
        // The run's clock stops: no elapsed time, and the panel names no process.
        EXPECT_EQ((*Window->StatusLines)[StatusLine + 1], "");
        EXPECT_EQ(Main->StatusBar->Panels(5)->GetText(), "Process: None");
        // The set was written, with every row the run had.
        EXPECT_GE(SavedRows(FileName), std::max(RowsBefore, 0));
    }

    std::string PortPath;
    TFScriptCtrl* Script = nullptr;
    TFDippingCtrl* Dipping = nullptr;
    TFIsothermCtrl* Isotherm = nullptr;
    TFDepositionCtrl* Deposition = nullptr;
};

class TLostLineEach : public TLostLine, public ::testing::WithParamInterface<TLoss> {};

TEST_P(TLostLineEach, DuringAnIsothermEndsItAsFailed)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Isotherm->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkIsotherm);
    const std::string fileName = Isotherm->DataSet->GetFileName();
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Isotherm->Table && Isotherm->Table->GetNumRows() >= 3; },
                                                  ConditionWaitMs));
    const int rows = Isotherm->Table->GetNumRows();
    ASSERT_GT(rows, 0);
    ASSERT_NO_FATAL_FAILURE(Lose(GetParam()));
    ExpectFailedEnd(Isotherm, 1, fileName, rows);
    // Stop is out of reach again, and does nothing.
    EXPECT_TRUE(Isotherm->BBGo->GetVisible());
    Isotherm->BBStop->Click();
    Application->ProcessMessages();
    EXPECT_EQ(Count("Process completed!"), 0);
    ReconnectAndRunAgain();
}

TEST_P(TLostLineEach, DuringADippingPauseEndsItAsFailed)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Dipping->SEWaitWhenDown->SetValue(600);
    Dipping->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkScript);
    const std::string fileName = Script->DataSet->GetFileName();
    ASSERT_TRUE(Application->ProcessMessagesUntil(
        [&] { return (*Script->StatusLines)[3].rfind("Pause", 0) == 0 && Script->Table->GetNumRows() > 0; },
        ConditionWaitMs));
    const int rows = Script->Table->GetNumRows();
    ASSERT_GT(rows, 0);
    ASSERT_NO_FATAL_FAILURE(Lose(GetParam()));
    ExpectFailedEnd(Script, 0, fileName, rows);
    EXPECT_TRUE(Dipping->BBGo->GetVisible());
    Dipping->SEWaitWhenDown->SetValue(0);
    ReconnectAndRunAgain();
}

TEST_P(TLostLineEach, DuringADepositionEndsItAsFailed)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Deposition->cbbDepositionType->SetItemIndex(1);
    Deposition->cbbDepositionTypeClick(nullptr);
    Deposition->SENumCycles->SetValue(1);
    // The demonstration trough's dipper counts upward: the upper level lies above the lower.
    Deposition->SEUpperLimit->SetValue(11);
    Deposition->SELowerLimit->SetValue(10);
    Deposition->SESpeedDown->SetValue(Deposition->SESpeedDown->GetMaxValue());
    Deposition->SESpeedUp->SetValue(Deposition->SESpeedUp->GetMaxValue());
    Deposition->SEPressure->SetValue(5);
    Deposition->SEBarrierSpeed->SetValue(Deposition->SEBarrierSpeed->GetMaxValue());
    Deposition->SEWaitWhenDown->SetValue(600);
    Deposition->CBIsotermControl->SetChecked(true);
    Deposition->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkDeposition);
    const std::string fileName = Deposition->DataSet->GetFileName();
    // The pause at the lower level counts down in status line 3.
    ASSERT_TRUE(Application->ProcessMessagesUntil(
        [&] { return (*Deposition->StatusLines)[3].find(':') != std::string::npos; }, ConditionWaitMs));
    const int before = (Deposition->DepTable ? Deposition->DepTable->GetNumRows() : 0) +
                       (Deposition->PressureTable ? Deposition->PressureTable->GetNumRows() : 0);
    ASSERT_NO_FATAL_FAILURE(Lose(GetParam()));
    ExpectFailedEnd(Deposition, 1, fileName, before);
    ReconnectAndRunAgain();
}

INSTANTIATE_TEST_SUITE_P(Loss, TLostLineEach, ::testing::Values(TLoss::Ended, TLoss::Frozen),
                         [](const ::testing::TestParamInfo<TLoss>& Info) {
                             return Info.param == TLoss::Ended ? "EmulatorEnded" : "EmulatorFrozen";
                         });

}  // namespace
