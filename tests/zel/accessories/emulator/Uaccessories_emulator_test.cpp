// End to end: START in the roll and disk windows goes through the real link module to the
// instrument emulator, which runs the process and reports its start, points and end; each
// run ends with a saved set, a graph and "Process completed!". The roll run may also end
// at the emulator's limit switch.
#include "zel/core/MainWindowFixture.h"
#include "hwzel/EmulatorProcess.h"
#include "zel/accessories/Udiskdepositionctrl.h"
#include "zel/accessories/Urolldepositionctrl.h"
#include "zel/core/Calibrateparam.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Usedatasetmanager.h"

namespace {

class TLinkedAccessories : public TMainWindowFixture {
protected:
    void TearDown() override
    {
        TMainWindowFixture::TearDown();
        UseDataSetManager.Collect();
        CalibrateParam.SaveAtExit();
        Emulator.reset();
        DeviceState = TDeviceState{};
    }
    void Connect(std::vector<std::string> Options)
    {
        // Device states every 200 ms keep the device heard on a busy machine.
        Options.insert(Options.end(), {"--info-ms", "200"});
        Emulator = std::make_unique<TEmulatorProcess>(Options);
        ASSERT_FALSE(Emulator->Device().empty()) << "the emulator did not start";
        // Both balances read 100 mN/m less 0.1 mN/m per count.
        Start("[Common]\nHLFileName=" + RecordingLinkFolder() + "hwzel.so\nFilerDllFileName=" + RecordingLinkFolder() +
              "zelfiler.so\n[PortSettings]\nPort=" + Emulator->Device() +
              "\nBaudRate=13\n[CalibrateParam]\nballance.shMin=0\nballance.shMax=100\nballance.hwMin=0\n"
              "ballance.hwMax=1000\ndoserBallance.shMin=0\ndoserBallance.shMax=100\ndoserBallance.hwMin=0\n"
              "doserBallance.hwMax=1000\n");
        ASSERT_TRUE(Dialogs.Requests.empty()) << Dialogs.Requests[0].Text;
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
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const TDialogRequest& r : Dialogs.Requests) texts.push_back(r.Text);
        return texts;
    }
    std::unique_ptr<TEmulatorProcess> Emulator;
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
    // The emulator's balance reads 0x200 rising by 16, the doser balance 0x300 falling by 8,
    // the rotating barrier 100 steps a point.
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        EXPECT_NEAR(table.GetData(1, r), 100 - 0.1 * (0x200 + 16 * r), 1e-3);
        EXPECT_NEAR(table.GetData(2, r), 100 - 0.1 * (0x300 - 8 * r), 1e-3);
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
    for (int r = 0; r < 5; ++r) {
        EXPECT_NEAR(table.GetData(1, r), 100 - 0.1 * (0x200 + 16 * r), 1e-3) << r;
        EXPECT_NEAR(table.GetData(2, r), 100 - 0.1 * (0x300 - 8 * r), 1e-3) << r;
    }
    // The last point's status word 0 hid the lamp; the window is idle again.
    EXPECT_FALSE(window->shpRotbarIndicator->GetVisible());
    EXPECT_TRUE(window->btnGo->GetVisible());
    EXPECT_TRUE(window->edSpeed->GetEnabled());
    UseDataSetManager.Release(loaded);
}

}  // namespace
