// End to end: START in the isotherm window goes through the real link module to the
// instrument emulator, which runs one stroke and reports its points; the run's table is
// filled from those reports and the data set is written to its file.
#include "zel/core/EmulatorProgramFixture.h"
#include "zel/core/Calibrateparam.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Ugraph.h"
#include "kvc/KvChart.h"
#include "zel/experiment/Usedatasetmanager.h"
#include "zel/trough/Uisothermcontrol.h"

namespace {

using TLinkedIsotherm = TEmulatorProgramFixture;

TEST_F(TLinkedIsotherm, OneStrokeFromTheEmulatorBecomesASavedTable)
{
    ASSERT_NO_FATAL_FAILURE(StartLinked({}, "DeviceType=ZEL\n", BalanceIni));
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

// The demonstration trough the start script describes: 400 steps per mm, speed codes in
// steps per second, a 7.5 cm wide film of 240 cm², the balance at 11296 counts on a clean
// surface and 100 counts fewer per mN/m, and 20 µL of 1 mg/mL stearic acid spread.
std::string DemoTroughSettings()
{
    std::string ini = "[CalibrateParam]\n";
    for (const char* drive : {"barrier1", "barrier2", "dipper"}) {
        const std::string name = drive;
        for (const char* pair : {"Fclk=1", "FclkDivide=1", "uSteps=1", "numStepsPerOborot=400", "gear=1", "vintStep=1",
                                 "hwMin=0", "zeroHw=0", "minSpeed=0.01", "maxSpeed=2", "old=0"})
            ini += name + "." + pair + "\n";
        ini += name + ".hwMax=" + (name == "dipper" ? "40000" : "58000") + "\n";
    }
    ini +=
        "ballance.shMin=0\nballance.shMax=72\nballance.hwMin=4096\nballance.hwMax=11296\n"
        "surface.length=7.5\nsurface.squareMin=22.5\nsurface.squareMax=240\n"
        "[ExpSetupForm]\nCompoundName=Stearic acid\nAliquot=0.02\nCompositionCount=1\n"
        "SolName0=Stearic acid\nM_ind0=284.48\nm_par0=0.001\n"
        "[IsothermControl]\nRecOptions=0\nTargetOptions=0\nPressure=40\nRate=200\nProcBarrierStep=2\n";
    return ini;
}

TEST_F(TLinkedIsotherm, OnThePhysicalTroughTheGraphEndsWithTheTablesLastRow)
{
    ASSERT_NO_FATAL_FAILURE(StartLinked({"--speed-up", "40"}, "DeviceType=ZEL\n", DemoTroughSettings()));
    FExpSetup = CreateForm<TFExpSetup>(nullptr);
    auto* window = CreateForm<TFIsothermCtrl>(nullptr);
    // The rows come faster than the graph is told of them.
    AppSettings.UpdateReceivedDataInterval = 1000;
    window->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkIsotherm);
    TFGraph* graph = window->Graph;
    ASSERT_NE(graph, nullptr);
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, 60000));
    Application->ProcessMessages();

    ASSERT_NE(graph->Table, nullptr);
    TPTableData table(graph->Table);
    ASSERT_TRUE(table.Valid);
    const int rows = table.GetNumRows();
    // From the clean surface to the target of 40 mN/m, through the phases of the film.
    ASSERT_GT(rows, 20);
    EXPECT_NEAR(table.GetData(4, 0), 0, 0.05);
    EXPECT_GE(table.GetData(4, rows - 1), 40);
    EXPECT_LT(table.GetData(4, rows - 1), 42);
    EXPECT_NEAR(table.GetData(3, 0), 0.567, 0.01);  // nm² per molecule on the open trough
    ASSERT_FALSE(graph->AxisLeft.Lines.empty());
    KVC::TKvLineSeries* series = graph->Chart->LineSeries()->GetItem(graph->AxisLeft.Lines[0].SeriesIndex);
    ASSERT_NE(series, nullptr);
    ASSERT_EQ(series->GetCount(), rows);
    const auto& last = series->Points().back();
    EXPECT_FLOAT_EQ(static_cast<float>(last.x), table.GetData(3, rows - 1));
    EXPECT_FLOAT_EQ(static_cast<float>(last.y), table.GetData(4, rows - 1));
}

}  // namespace
