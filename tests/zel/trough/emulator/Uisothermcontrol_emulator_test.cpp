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

// The demonstration trough with an isotherm to 40 mN/m.
std::string IsothermSettings()
{
    return TEmulatorProgramFixture::DemoTroughSettings() +
           "[IsothermControl]\nRecOptions=0\nTargetOptions=0\nPressure=40\nRate=200\nProcBarrierStep=2\n";
}

TEST_F(TLinkedIsotherm, OneStrokeFromTheEmulatorBecomesASavedTable)
{
    ASSERT_NO_FATAL_FAILURE(StartLinked({}, "DeviceType=ZEL\n", IsothermSettings()));
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
    const int rows = table.GetNumRows();
    ASSERT_GT(rows, 20);
    // The barriers close to the end: the area falls and the pressure rises row by row, in
    // model time, until the film collapses below 0.2 nm² per molecule.
    for (int r = 1; r < rows; ++r) {
        EXPECT_LE(table.GetData(1, r), table.GetData(1, r - 1)) << r;
        if (table.GetData(3, r) > 0.2) {
            EXPECT_GE(table.GetData(4, r), table.GetData(4, r - 1) - 0.01) << r;
        }
        EXPECT_GE(table.GetData(5, r), table.GetData(5, r - 1)) << r;
    }
    // From the open trough to the barriers' end; 145 mm each at 200 mm/min for both.
    EXPECT_NEAR(table.GetData(1, 0), 240, 0.1);
    EXPECT_NEAR(table.GetData(1, rows - 1), 22.5, 0.1);
    EXPECT_NEAR(table.GetData(5, rows - 1), 87, 1);
    EXPECT_GT(table.GetData(4, rows - 1), 44);
    UseDataSetManager.Release(loaded);
}

TEST_F(TLinkedIsotherm, OnThePhysicalTroughTheGraphEndsWithTheTablesLastRow)
{
    ASSERT_NO_FATAL_FAILURE(StartLinked({}, "DeviceType=ZEL\n", IsothermSettings()));
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
