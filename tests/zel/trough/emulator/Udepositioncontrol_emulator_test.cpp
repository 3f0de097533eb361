// End to end: START in the deposition window goes through the real link module to the
// instrument emulator (the demonstration trough, sped up), which compresses the film to
// the set pressure, runs the strokes and reports their points; the window fills the
// deposition and pressure-control tables, enters the run in the register, drives both
// graphs and writes the data set to its file. A second run lets the compound run out
// against the maximum barrier step and goes on after the operator's two answers.
#include <cmath>

#include "zel/core/EmulatorProgramFixture.h"
#include "kvc/KvChart.h"
#include "kvc/KvChartLineSeries.h"
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
    // The program against the emulator, with the deposition window set as an operator sets
    // it: one cycle of Y deposition at 35 mN/m between 50 and 20 mm, dipper and barriers
    // at full speed, with the isotherm plot, recorded in the register. The reserve of area
    // the barriers keep decides where the compound runs out.
    void Open(int WarningDeltaSquare = 15)
    {
        // A run that waits for the operator is no silent device: the watchdog stays out.
        ASSERT_NO_FATAL_FAILURE(StartLinked({}, "DeviceType=ZEL\n",
                                            "[Settings]\nDeviceResponseMaxTimeInterval=2000000000\n"
                                            "[DepositionControl]\nWarningDeltaSquare=" +
                                                std::to_string(WarningDeltaSquare) + "\n" + DemoTroughSettings()));
        ExpSetup = CreateForm<TFExpSetup>(nullptr);
        FExpSetup = ExpSetup;
        FDepFB = CreateForm<TFDepFB>(nullptr);
        CreateForm<TFMsg>(nullptr);
        Window = CreateForm<TFDepositionCtrl>(nullptr);
        FDepPosInfo = CreateForm<TFDepPosInfo>(nullptr);
        Window->cbbDepositionType->SetItemIndex(1);
        Window->cbbDepositionTypeClick(nullptr);
        Window->SENumCycles->SetValue(1);
        Window->SEPressure->SetValue(35);
        Window->SEBarrierSpeed->SetValue(Window->SEBarrierSpeed->GetMaxValue());
        Window->SEUpperLimit->SetValue(50);
        Window->SELowerLimit->SetValue(20);
        Window->SESpeedUp->SetValue(Window->SESpeedUp->GetMaxValue());
        Window->SESpeedDown->SetValue(Window->SESpeedDown->GetMaxValue());
        Window->SEWaitWhenUp->SetValue(2);
        Window->SEWaitWhenDown->SetValue(2);
        Window->CBIsotermControl->SetChecked(true);
        Window->chkRec->SetChecked(true);
    }
    bool WaitIdle()
    {
        return Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, ConditionWaitMs);
    }
    // The barrier position the window allows: the calibrated least area and the reserve.
    static double MaxBarrierStep(int WarningDeltaSquare)
    {
        TCalibrateParam& c = CalibrateParam;
        return c.surface.AreaToPosition(c.surface.GetSquareMin() + WarningDeltaSquare);
    }
    TFExpSetup* ExpSetup = nullptr;
    TFDepositionCtrl* Window = nullptr;
};

TEST_F(TLinkedDeposition, OneCycleOfYDepositionEndsByItselfWithEveryRowSaved)
{
    Open();
    // The graph hears of rows less often than they come.
    AppSettings.UpdateReceivedDataInterval = 1000;
    Window->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkDeposition);
    ASSERT_NE(Window->DataSet, nullptr);
    const std::string fileName = Window->DataSet->GetFileName();
    TFGraph* depositionGraph = Window->DepGraph;
    TFGraph* isothermGraph = Window->IsoGraph;
    ASSERT_NE(depositionGraph, nullptr);
    ASSERT_NE(isothermGraph, nullptr);

    // Both strokes announced from 0; the run ends by itself after the second one's end.
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Window->StrokeIndex == 1; }, ConditionWaitMs));
    EXPECT_EQ((*Window->StatusLines)[1], "Stroke: 2");
    ASSERT_TRUE(WaitIdle());
    Application->ProcessMessages();
    ASSERT_FALSE(Dialogs.Requests.empty());
    EXPECT_EQ(Dialogs.Requests.back().Text, "Process completed!");
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_EQ((*Window->StatusLines)[1], "Completed!");
    // The register lists the run.
    EXPECT_EQ(ExpSetup->ExpTable.Count(), 1);

    ISXDataSet* loaded = LoadDataSet(fileName);
    ASSERT_NE(loaded, nullptr);
    TPTableData deposition(loaded->FindField(ZelTableCategory, "Deposition"));
    TPTableData control(loaded->FindField(ZelTableCategory, "Pressure control"));
    ASSERT_TRUE(deposition.Valid);
    ASSERT_TRUE(control.Valid);
    const int rows = deposition.GetNumRows();
    // Two strokes of 30 mm at 120 mm/min and two pauses of 2 s: 34 s with a point a second.
    ASSERT_GE(rows, 30);
    EXPECT_GE(control.GetNumRows(), rows);
    const double maxArea = CalibrateParam.surface.PositionToArea(MaxBarrierStep(15), MaxBarrierStep(15));
    for (int r = 0; r < rows; ++r) {
        SCOPED_TRACE(r);
        // The barriers held the pressure and kept within their allowed step.
        EXPECT_NEAR(deposition.GetData(4, r), 35, 0.5);
        EXPECT_GT(deposition.GetData(1, r), maxArea - 0.01);
        if (r > 0) {
            EXPECT_GT(deposition.GetData(5, r), deposition.GetData(5, r - 1));
        }
    }
    // The substrate took film: the trough area fell and the transfer grew.
    EXPECT_LT(deposition.GetData(1, rows - 1), deposition.GetData(1, 0) - 10);
    EXPECT_GT(deposition.GetData(7, rows - 1), deposition.GetData(7, 2));
    // The layer coordinate runs from the first stroke's start through both strokes: it
    // never falls, and rows inside a stroke lie between its whole numbers.
    EXPECT_NEAR(deposition.GetData(8, 0), 0, 0.1);
    EXPECT_GE(deposition.GetData(8, rows - 1), 1);
    int inside = 0;
    for (int r = 1; r < rows; ++r) {
        EXPECT_GE(deposition.GetData(8, r), deposition.GetData(8, r - 1) - 1e-6) << r;
        const double z = deposition.GetData(8, r);
        if (z - std::floor(z) > 0.1 && z - std::floor(z) < 0.9) ++inside;
    }
    EXPECT_GE(inside, rows / 4);
    // The graph shows every row of the table it was bound to.
    ASSERT_TRUE(GraphManager.IsAlive(depositionGraph));
    ASSERT_TRUE(GraphManager.IsAlive(isothermGraph));
    ASSERT_NE(depositionGraph->Table, nullptr);
    ASSERT_FALSE(depositionGraph->AxisLeft.Lines.empty());
    KVC::TKvLineSeries* series =
        depositionGraph->Chart->LineSeries()->GetItem(depositionGraph->AxisLeft.Lines[0].SeriesIndex);
    ASSERT_NE(series, nullptr);
    EXPECT_EQ(series->GetCount(), rows);
    UseDataSetManager.Release(loaded);
}

TEST_F(TLinkedDeposition, ConsumedCompoundReturnsTheBarriersAndTheRunGoesOn)
{
    // 47 cm² of reserve: the first stroke's film is there, the second runs out of it.
    Open(47);
    Dialogs.Answer(mrYes);
    Window->BBGo->Click();
    const std::string fileName = Window->DataSet->GetFileName();
    // The box waits for the instrument's word that the barriers are back.
    ASSERT_TRUE(Application->ProcessMessagesUntil([] { return FMsg->btnOk->GetEnabled() && FMsg->GetVisible(); },
                                                  ConditionWaitMs));
    EXPECT_EQ(Dialogs.Requests.at(0).Text, "Compound is consumed.\nReturn barrier to start position?");
    EXPECT_TRUE(Window->Continuing);
    EXPECT_EQ(Window->StrokeIndex, 1);
    const int kept = Window->DepTable->GetNumRows();
    ASSERT_GT(kept, 0);
    EXPECT_EQ(Window->TransferBefore, Window->DepTable->GetData(7, kept - 1));
    // The operator has spread compound again: the interrupted stroke runs to the end.
    FMsg->btnOk->Click();
    ASSERT_TRUE(WaitIdle());
    Application->ProcessMessages();
    EXPECT_EQ(Dialogs.Requests.back().Text, "Process completed!");

    ISXDataSet* loaded = LoadDataSet(fileName);
    ASSERT_NE(loaded, nullptr);
    TPTableData deposition(loaded->FindField(ZelTableCategory, "Deposition"));
    ASSERT_TRUE(deposition.Valid);
    const int rows = deposition.GetNumRows();
    ASSERT_GT(rows, kept + 10);
    // The barriers never closed beyond the step the reserve allows.
    const double leastArea = CalibrateParam.surface.PositionToArea(MaxBarrierStep(47), MaxBarrierStep(47));
    for (int r = 0; r < rows; ++r) EXPECT_GT(deposition.GetData(1, r), leastArea - 0.01) << r;
    // The transfer goes on from where it stood.
    EXPECT_NEAR(deposition.GetData(7, kept), deposition.GetData(7, kept - 1), 0.05);
    EXPECT_GT(deposition.GetData(7, rows - 1), deposition.GetData(7, kept - 1));
    UseDataSetManager.Release(loaded);
}

}  // namespace
