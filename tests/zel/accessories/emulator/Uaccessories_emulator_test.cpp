// End to end: START in the roll, disk and tape-and-rinse windows goes through the real
// link module to the instrument emulator, which runs the process on the demonstration
// trough in model time and reports its start, points and end; each run ends with a saved
// set, a graph and "Process completed!". A roll run whose barrier cannot reach its
// pressure ends at the limit switch. The EUD and film preparation
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
        ASSERT_NO_FATAL_FAILURE(StartLinked(Options, "", DemoTroughSettings()));
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
        EXPECT_TRUE(Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, ConditionWaitMs));
        Application->ProcessMessagesUntil([&] { return !Dialogs.Requests.empty(); }, 2000);
        Application->ProcessMessages();
        EXPECT_EQ(Window->DataSet, nullptr);
        return LoadDataSet(fileName);
    }
    // Both balances weigh the demonstration film, in its gas phase: about 0 mN/m, and never
    // outside what the calibration shows; the time runs on.
    static void ExpectReadings(TPTableData& Table)
    {
        ASSERT_GT(Table.GetNumRows(), 5);
        EXPECT_EQ(Table.GetData(0, 0), 0);
        for (int r = 0; r < Table.GetNumRows(); ++r) {
            SCOPED_TRACE(r);
            EXPECT_NEAR(Table.GetData(1, r), 0, 0.05);
            EXPECT_NEAR(Table.GetData(2, r), 0, 0.05);
            if (r > 0) {
                EXPECT_GE(Table.GetData(0, r), Table.GetData(0, r - 1));
            }
        }
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
    ExpectReadings(table);
    // The rotating barrier carries the substrate on.
    for (int r = 1; r < table.GetNumRows(); ++r) EXPECT_GE(table.GetData(3, r), table.GetData(3, r - 1)) << r;
    EXPECT_GT(table.GetData(3, table.GetNumRows() - 1), table.GetData(3, 0));
    EXPECT_EQ(table.GetData(0, 0), 0);
    EXPECT_NE(Graph->Table, nullptr);
    UseDataSetManager.Release(loaded);
}

TEST_F(TLinkedAccessories, ARollRunEndedByTheLimitSwitchIsSavedAndReported)
{
    Connect({});
    auto* window = CreateForm<TFRollDepositionCtrl>(nullptr);
    // Barrier 1 alone cannot compress the film to 40 mN/m: it runs to the end of its travel.
    window->edPressure->SetValue(40);
    window->edSpeedApproach->SetValue(window->edSpeedApproach->GetMaxValue());
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
    EXPECT_EQ(Graph->GraphProp.TitleText, "Disk deposition of Stearic acid");
    TPTableData table(loaded->FindField(ZelTableCategory, "DiskDeposition"));
    ASSERT_TRUE(table.Valid);
    ASSERT_EQ(table.GetNumColumns(), 3);
    ExpectReadings(table);
    // The window is idle again.
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
    EXPECT_EQ(Graph->GraphProp.TitleText, "Tape deposition and rinse of Stearic acid");
    TPTableData table(loaded->FindField(ZelTableCategory, "TapeDepositionAndRinse"));
    ASSERT_TRUE(table.Valid);
    ASSERT_EQ(table.GetNumColumns(), 5);
    ExpectReadings(table);
    // The tape carries the substrate on.
    for (int r = 1; r < table.GetNumRows(); ++r) EXPECT_GE(table.GetData(4, r), table.GetData(4, r - 1)) << r;
    EXPECT_GT(table.GetData(4, table.GetNumRows() - 1), table.GetData(4, 0));
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
    // The barriers close to 230 cm² at full speed.
    window->edSquare->SetValue(230);
    window->edClosingBarrierSpeed->SetValue(window->edClosingBarrierSpeed->GetMaxValue());
    bool finished = false;
    const THookId hook = Main->AttachHook({nullptr, [&](TMessage& M) {
                                               if (M.Msg == WM_LINKNOTIFY && M.WParam == hlnFilmPrepFinished)
                                                   finished = true;
                                           }});
    window->btnGo->Click();
    EXPECT_TRUE(Application->ProcessMessagesUntil([&] { return finished; }, ConditionWaitMs));
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
