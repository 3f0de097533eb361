// End to end: START in the deposition window goes through the real link module to the
// instrument emulator, which holds the pressure, runs the strokes and reports their
// points; the window fills the deposition and pressure-control tables, enters the run in
// the register, drives both graphs and writes the data set to its file. A second run lets
// the compound run out in its second stroke and goes on after the operator's two answers.
#include "zel/core/EmulatorProgramFixture.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Umsg.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Usedatasetmanager.h"
#include "zel/trough/Udepfb.h"
#include "zel/trough/Udepositioncontrol.h"
#include "zel/trough/Udepposinfo.h"

namespace {

class TLinkedDeposition : public TEmulatorProgramFixture {
protected:
    void TearDown() override
    {
        TEmulatorProgramFixture::TearDown();
        FDepFB = nullptr;
        FDepPosInfo = nullptr;
    }
    // The program against the emulator, with the deposition window set for two layers
    // of Y deposition with the isotherm plot, recorded in the register.
    void Open(const std::vector<std::string>& EmulatorOptions)
    {
        // A run that waits for the operator is no silent device: the watchdog stays out.
        ASSERT_NO_FATAL_FAILURE(
            StartLinked(EmulatorOptions, "DeviceType=ZEL\n",
                        std::string("[Settings]\nDeviceResponseMaxTimeInterval=2000000000\n") + BalanceIni));
        ExpSetup = CreateForm<TFExpSetup>(nullptr);
        FExpSetup = ExpSetup;
        FDepFB = CreateForm<TFDepFB>(nullptr);
        CreateForm<TFMsg>(nullptr);
        Window = CreateForm<TFDepositionCtrl>(nullptr);
        FDepPosInfo = CreateForm<TFDepPosInfo>(nullptr);
        Window->cbbDepositionType->SetItemIndex(1);
        Window->cbbDepositionTypeClick(nullptr);
        Window->SENumCycles->SetValue(1);
        Window->SEWaitWhenUp->SetValue(0);
        Window->SEUpperLimit->SetValue(10);
        Window->SELowerLimit->SetValue(20);
        Window->CBIsotermControl->SetChecked(true);
        Window->chkRec->SetChecked(true);
    }
    bool WaitIdle()
    {
        return Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, 20000);
    }
    TFExpSetup* ExpSetup = nullptr;
    TFDepositionCtrl* Window = nullptr;
};

TEST_F(TLinkedDeposition, TwoLayersOfYDepositionBecomeASavedRunWithBothTables)
{
    Open({});
    Window->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkDeposition);
    ASSERT_NE(Window->DataSet, nullptr);
    const std::string fileName = Window->DataSet->GetFileName();
    TFGraph* depositionGraph = Window->DepGraph;
    TFGraph* isothermGraph = Window->IsoGraph;
    ASSERT_NE(depositionGraph, nullptr);
    ASSERT_NE(isothermGraph, nullptr);

    ASSERT_TRUE(WaitIdle());
    Application->ProcessMessages();
    ASSERT_FALSE(Dialogs.Requests.empty());
    EXPECT_EQ(Dialogs.Requests.back().Text, "Process completed!");
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_EQ(ExpSetup->ExpTable.Count(), 1);
    EXPECT_EQ((*Window->StatusLines)[1], "Completed!");

    ISXDataSet* loaded = LoadDataSet(fileName);
    ASSERT_NE(loaded, nullptr);
    TPTableData deposition(loaded->FindField(ZelTableCategory, "Deposition"));
    TPTableData control(loaded->FindField(ZelTableCategory, "Pressure control"));
    ASSERT_TRUE(deposition.Valid);
    ASSERT_TRUE(control.Valid);
    ASSERT_EQ(deposition.GetNumRows(), 10);
    EXPECT_EQ(control.GetNumRows(), 10);
    // The barriers close with every moving point, so the transfer grows; the layer number
    // runs from 0 to 2 over the two strokes.
    EXPECT_EQ(deposition.GetData(7, 0), 0);
    EXPECT_GT(deposition.GetData(7, 9), deposition.GetData(7, 4));
    EXPECT_GT(deposition.GetData(7, 4), 0);
    EXPECT_NEAR(deposition.GetData(8, 3), 1, 1e-6);
    EXPECT_NEAR(deposition.GetData(8, 8), 2, 1e-6);
    // The balance reads 0x300 counts: 100 - 76.8 mN/m.
    EXPECT_NEAR(control.GetData(4, 5), 100 - 76.8, 1e-3);
    UseDataSetManager.Release(loaded);
    // Both graphs were bound to the run's tables.
    ASSERT_TRUE(GraphManager.IsAlive(depositionGraph));
    ASSERT_TRUE(GraphManager.IsAlive(isothermGraph));
    EXPECT_NE(depositionGraph->Table, nullptr);
    EXPECT_NE(isothermGraph->Table, nullptr);
    EXPECT_NE(depositionGraph->Table, isothermGraph->Table);
}

TEST_F(TLinkedDeposition, ConsumedCompoundReturnsTheBarriersAndTheRunGoesOn)
{
    Open({"--substance-over-at", "1"});
    Dialogs.Answer(mrYes);
    Window->BBGo->Click();
    const std::string fileName = Window->DataSet->GetFileName();
    // The box waits for the instrument's word that the barriers are back.
    ASSERT_TRUE(
        Application->ProcessMessagesUntil([] { return FMsg->btnOk->GetEnabled() && FMsg->GetVisible(); }, 20000));
    EXPECT_EQ(Dialogs.Requests.at(0).Text, "Compound is consumed.\nReturn barrier to start position?");
    EXPECT_TRUE(Window->Continuing);
    EXPECT_EQ(Window->TransferBefore, Window->DepTable->GetData(7, Window->DepTable->GetNumRows() - 1));
    FMsg->btnOk->Click();
    ASSERT_TRUE(WaitIdle());

    ISXDataSet* loaded = LoadDataSet(fileName);
    ASSERT_NE(loaded, nullptr);
    TPTableData deposition(loaded->FindField(ZelTableCategory, "Deposition"));
    ASSERT_TRUE(deposition.Valid);
    // The first stroke's five rows stay, and of the interrupted stroke the row at its
    // start (layer 1); the stroke run again adds its five.
    ASSERT_EQ(deposition.GetNumRows(), 11);
    EXPECT_NEAR(deposition.GetData(8, 5), 1, 1e-6);
    EXPECT_NEAR(deposition.GetData(8, 10), 2, 1e-6);
    // The transfer goes on from where it stood.
    EXPECT_NEAR(deposition.GetData(7, 6), deposition.GetData(7, 5), 1e-6);
    EXPECT_GT(deposition.GetData(7, 10), deposition.GetData(7, 6));
    UseDataSetManager.Release(loaded);
}

}  // namespace
