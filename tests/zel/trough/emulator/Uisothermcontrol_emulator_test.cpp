// End to end: START in the isotherm window goes through the real link module to the
// instrument emulator, which runs one stroke and reports its points; the run's table is
// filled from those reports and the data set is written to its file.
#include "zel/core/MainWindowFixture.h"
#include "hwzel/EmulatorProcess.h"
#include "zel/core/Calibrateparam.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Usedatasetmanager.h"
#include "zel/trough/Uisothermcontrol.h"

namespace {

class TLinkedIsotherm : public TMainWindowFixture {
protected:
    void TearDown() override
    {
        TMainWindowFixture::TearDown();
        UseDataSetManager.Collect();
        CalibrateParam.SaveAtExit();
        Emulator.reset();
        DeviceState = TDeviceState{};
    }
    std::unique_ptr<TEmulatorProcess> Emulator;
};

TEST_F(TLinkedIsotherm, OneStrokeFromTheEmulatorBecomesASavedTable)
{
    Emulator = std::make_unique<TEmulatorProcess>(std::vector<std::string>{});
    ASSERT_FALSE(Emulator->Device().empty()) << "the emulator did not start";
    Start("[Common]\nDeviceType=ZEL\nHLFileName=" + RecordingLinkFolder() +
          "hwzel.so\nFilerDllFileName=" + RecordingLinkFolder() +
          "zelfiler.so\n"
          "[PortSettings]\nPort=" +
          Emulator->Device() +
          "\nBaudRate=13\n"
          "[CalibrateParam]\nballance.shMin=0\nballance.shMax=100\nballance.hwMin=0\nballance.hwMax=1000\n");
    ASSERT_TRUE(Dialogs.Requests.empty()) << Dialogs.Requests[0].Text;
    FExpSetup = CreateForm<TFExpSetup>(nullptr);
    auto* window = CreateForm<TFIsothermCtrl>(nullptr);
    window->cbbRecOptions->SetItemIndex(1);  // from start to stop: one stroke
    window->IsothermParamChanged(nullptr);
    window->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkIsotherm);
    ASSERT_NE(window->DataSet, nullptr);
    const std::string fileName = window->DataSet->GetFileName();

    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, ConditionWaitMs));
    Application->ProcessMessages();
    ASSERT_FALSE(Dialogs.Requests.empty());
    EXPECT_EQ(Dialogs.Requests.back().Text, "Process completed!");
    EXPECT_EQ(window->DataSet, nullptr);

    ISXDataSet* loaded = LoadDataSet(fileName);
    ASSERT_NE(loaded, nullptr);
    TPTableData table(loaded->FindField(ZelTableCategory, "Isotherm"));
    ASSERT_TRUE(table.Valid);
    ASSERT_EQ(table.GetNumRows(), 5);
    // The emulator's balance reads 0x200, then 16 counts more per point, every 0.2 s;
    // the balance line runs 0.1 mN/m per count under 100 mN/m.
    for (int r = 0; r < 5; ++r) {
        EXPECT_NEAR(table.GetData(4, r), 100 - 0.1 * (0x200 + 16 * r), 1e-3) << r;
        EXPECT_NEAR(table.GetData(5, r), 0.2 * r, 1e-5) << r;
    }
    UseDataSetManager.Release(loaded);
}

}  // namespace
