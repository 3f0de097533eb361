// End to end: START in the roll, disk and tape-and-rinse windows goes through the real
// link module to the instrument emulator, which runs the process and reports its start,
// points and end; each run ends with a saved set, a graph and "Process completed!". The
// roll run may also end at the emulator's limit switch. The EUD and film preparation
// windows start their processes on the same line: the instrument's reports of a film
// change nothing until Stop.
#include "zel/core/EmulatorProgramFixture.h"
#include "zel/accessories/Eudctrl.h"
#include "zel/accessories/Udiskdepositionctrl.h"
#include "zel/accessories/Ufilmpreparation.h"
#include "zel/accessories/Urolldepositionctrl.h"
#include "zel/accessories/Utdarctrl.h"
#include "zel/core/Calibrateparam.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Usedatasetmanager.h"

namespace {

class TLinkedAccessories : public TEmulatorProgramFixture {
protected:
    void Connect(std::vector<std::string> Options)
    {
        // Device states every 200 ms keep the device heard on a busy machine.
        Options.insert(Options.end(), {"--info-ms", "200"});
        // The doser balance reads as the balance does.
        ASSERT_NO_FATAL_FAILURE(StartLinked(
            Options, "",
            std::string(BalanceIni) + "doserBallance.shMin=0\ndoserBallance.shMax=100\ndoserBallance.hwMin=0\n"
                                      "doserBallance.hwMax=1000\n"));
        FExpSetup = CreateForm<TFExpSetup>(nullptr);
    }
    // Runs the window's START and waits for the run's end; returns the saved set.
    ISXDataSet* Run(TAccessoryWindow* Window, TProcessKind Kind)
    {
        Window->btnGo->Click();
        EXPECT_EQ(Main->ProcessKind, Kind);
        if (!Window->DataSet) return nullptr;
        const std::string fileName = Window->DataSet->GetFileName();
        Graph = Window->Graph;
        EXPECT_TRUE(Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, 10000));
        Application->ProcessMessagesUntil([&] { return !Dialogs.Requests.empty(); }, 2000);
        Application->ProcessMessages();
        EXPECT_EQ(Window->DataSet, nullptr);
        return LoadDataSet(fileName);
    }
    // The emulator's balance reads 0x200 rising by 16 a point, the doser balance 0x300
    // falling by 8.
    static void ExpectBalances(TPTableData& Table, int Row)
    {
        SCOPED_TRACE(Row);
        EXPECT_NEAR(Table.GetData(1, Row), 100 - 0.1 * (0x200 + 16 * Row), 1e-3);
        EXPECT_NEAR(Table.GetData(2, Row), 100 - 0.1 * (0x300 - 8 * Row), 1e-3);
    }
    // Waits until the instrument has read the frame of a payload ("06 0B").
    bool Received(const std::string& Payload) const
    {
        return Emulator->WaitFor(
            [&](const std::vector<std::string>& Lines) {
                for (const std::string& line : Lines)
                    if (line.rfind("frame ", 0) == 0 && line.find(" " + Payload + "$") != std::string::npos)
                        return true;
                return false;
            },
            ConditionWaitMs);
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const TDialogRequest& r : Dialogs.Requests) texts.push_back(r.Text);
        return texts;
    }
    TFGraph* Graph = nullptr;
};

TEST_F(TLinkedAccessories, ARollRunEndsWithASavedSetAGraphAndProcessCompleted)
{
    Connect({});
    auto* window = CreateForm<TFRollDepositionCtrl>(nullptr);
    ISXDataSet* loaded = Run(window, pkRollDeposition);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Process completed!"});
    ASSERT_TRUE(GraphManager.IsAlive(Graph));
    TPTableData table(loaded->FindField(ZelTableCategory, "RollDeposition"));
    ASSERT_TRUE(table.Valid);
    ASSERT_EQ(table.GetNumRows(), 5);
    // The rotating barrier moves 100 steps a point.
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        ExpectBalances(table, r);
        EXPECT_NEAR(table.GetData(3, r), CalibrateParam.rotatingBarrier.HwToSh(100.0 * r), 1e-4);
        if (r > 0) {
            EXPECT_GE(table.GetData(0, r), table.GetData(0, r - 1));
        }
    }
    EXPECT_EQ(table.GetData(0, 0), 0);
    EXPECT_NE(Graph->Table, nullptr);
    UseDataSetManager.Release(loaded);
}

TEST_F(TLinkedAccessories, ARollRunEndedByTheLimitSwitchIsSavedAndReported)
{
    Connect({"--roll-limit-switch"});
    auto* window = CreateForm<TFRollDepositionCtrl>(nullptr);
    ISXDataSet* loaded = Run(window, pkRollDeposition);
    ASSERT_NE(loaded, nullptr);
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Dialogs.Requests.size() >= 2; }, 2000));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Limit switch activated. Process Roll Deposition was stoped",
                                                 "Process completed!"}));
    EXPECT_TRUE(window->btnGo->GetVisible());
    UseDataSetManager.Release(loaded);
}

TEST_F(TLinkedAccessories, ADiskRunEndsWithASavedSetAGraphAndProcessCompleted)
{
    Connect({});
    auto* window = CreateForm<TFDiskDepositionCtrl>(nullptr);
    ISXDataSet* loaded = Run(window, pkDiskDeposition);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Process completed!"});
    ASSERT_TRUE(GraphManager.IsAlive(Graph));
    EXPECT_EQ(Graph->GraphProp.TitleText, "Disk deposition of ");
    TPTableData table(loaded->FindField(ZelTableCategory, "DiskDeposition"));
    ASSERT_TRUE(table.Valid);
    ASSERT_EQ(table.GetNumColumns(), 3);
    ASSERT_EQ(table.GetNumRows(), 5);
    for (int r = 0; r < 5; ++r) ExpectBalances(table, r);
    // The last point's status word 0 hid the lamp; the window is idle again.
    EXPECT_FALSE(window->shpRotbarIndicator->GetVisible());
    EXPECT_TRUE(window->btnGo->GetVisible());
    EXPECT_TRUE(window->edSpeed->GetEnabled());
    UseDataSetManager.Release(loaded);
}

TEST_F(TLinkedAccessories, ATapeAndRinseRunEndsWithASavedSetOfFiveColumns)
{
    Connect({});
    auto* window = CreateForm<TFTDARCtrl>(nullptr);
    ISXDataSet* loaded = Run(window, pkTDAR);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Process completed!"});
    ASSERT_TRUE(GraphManager.IsAlive(Graph));
    EXPECT_EQ(Graph->GraphProp.TitleText, "Tape deposition and rinse of ");
    TPTableData table(loaded->FindField(ZelTableCategory, "TapeDepositionAndRinse"));
    ASSERT_TRUE(table.Valid);
    ASSERT_EQ(table.GetNumColumns(), 5);
    ASSERT_EQ(table.GetNumRows(), 5);
    // The emulator's tape rises 40 steps a point, its rotating barrier 100.
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        ExpectBalances(table, r);
        EXPECT_NEAR(table.GetData(3, r), CalibrateParam.rotatingBarrier.HwToSh(100.0 * r), 1e-4);
        EXPECT_NEAR(table.GetData(4, r), CalibrateParam.tape.HwToSh(40.0 * r), 1e-4);
    }
    EXPECT_TRUE(window->btnGo->GetVisible());
    EXPECT_EQ((*window->StatusLines)[1], "Completed!");
    UseDataSetManager.Release(loaded);
}

TEST_F(TLinkedAccessories, AnEudStartReachesTheInstrumentAndTheRunWaitsForAnotherWindow)
{
    Connect({});
    auto* window = CreateForm<TFEudCtrl>(nullptr);
    window->btnGo->Click();
    EXPECT_EQ(Main->ProcessKind, pkEUD);
    // The start word (process 0B) reaches the instrument, the link stays connected, and
    // nothing reports back.
    EXPECT_TRUE(Received("06 0B"));
    Application->ProcessMessages();
    EXPECT_TRUE(HlProvider.Link->IsConnected());
    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(Main->ProcessKind, pkEUD);
    EXPECT_FALSE(window->btnGo->GetVisible());
}

TEST_F(TLinkedAccessories, AFilmPreparationRunsOnTheInstrumentUntilStop)
{
    Connect({});
    auto* window = CreateForm<TFFilmPreparation>(nullptr);
    bool finished = false;
    const THookId hook = Main->AttachHook({nullptr, [&](TMessage& M) {
                                               if (M.Msg == WM_LINKNOTIFY && M.WParam == hlnFilmPrepFinished)
                                                   finished = true;
                                           }});
    window->btnGo->Click();
    EXPECT_TRUE(Application->ProcessMessagesUntil([&] { return finished; }, 10000));
    Main->DetachHook(hook);
    Application->ProcessMessages();
    // The instrument's end of the film changes nothing in the program.
    EXPECT_EQ(Main->ProcessKind, pkFilmPreparation);
    EXPECT_FALSE(window->btnGo->GetVisible());
    EXPECT_TRUE(Texts().empty());
    window->btnStop->Click();
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(window->btnGo->GetVisible());
    EXPECT_TRUE(Received("06 00"));
}

}  // namespace
