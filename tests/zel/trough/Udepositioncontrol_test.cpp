// The deposition window on real widgets beside the real main window, the feedback and
// position windows, the confirmation box and the register window: the exact lines START
// sends through the recording link, the stroke, point, pressure-control, compound and
// completion notices posted by the link and routed by the main window, the two tables
// and their row values, the continuation after the compound ran out, the .mps file, and
// the window's enablement rules, settings, captions and parameter text.
#include "zel/trough/Udepositioncontrol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "ProcessTestSupport.h"
#include "platform/tabrix/SXDataSet.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Umsg.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/trough/Udepfb.h"
#include "zel/trough/Udepposinfo.h"

namespace {

TEST(DepositionTable, TenColumnsWithTheirNamesUnitsAndAxes)
{
    struct Column {
        const char* Name;
        const char* ShortName;
        const char* Unit;
    };
    const Column expected[] = {
        {"Barrier Position (BPos)", "BPos", "mm"},
        {"Trough Area (TA)", "TA", "cm2"},
        {"Trough Area Increment (dTA)", "dTA", "cm2"},
        {"Area Per Molecule (MA)", "MA", "nm^2"},
        {"Surface pressure (SP)", "SP", "mN/m"},
        {"Time (t)", "t", "s"},
        {"Length of a way of immersing (l)", "l", "mm"},
        {"Transfer (R)", "R", ""},
        {"Layer number (Z)", "Z", ""},
        {"R/Z", "R/Z", ""},
    };
    TSXDataSet set;
    auto table = CreateDepositionTable(&set, "Deposition");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(std::string(table->GetTableName()), "Deposition");
    ASSERT_EQ(table->GetNumColumns(), 10);
    for (int i = 0; i < 10; ++i) {
        const TSXColumnInfo* info = table->GetColumnInfo(i);
        EXPECT_EQ(info->Flags, 0) << i;
        EXPECT_EQ(ReadFixedText(info->Name), expected[i].Name) << i;
        EXPECT_EQ(ReadFixedText(info->ShortName), expected[i].ShortName) << i;
        EXPECT_EQ(ReadFixedText(info->Unit), expected[i].Unit) << i;
    }
    EXPECT_EQ(table->GetDefAxisIdx(0), 8);
    EXPECT_EQ(table->GetDefAxisIdx(1), 7);
    EXPECT_EQ(table->GetDefAxisIdx(2), 9);
    // The script window's "Dipping" table lives beside it; a taken name gives none.
    EXPECT_NE(CreateDepositionTable(&set, "Dipping"), nullptr);
    EXPECT_EQ(CreateDepositionTable(&set, "Dipping"), nullptr);
    EXPECT_EQ(CreateDepositionTable(nullptr, "Deposition"), nullptr);
}

enum { colBPos, colTA, colDTA, colMA, colSP, colTime, colLength, colTransfer, colLayer, colTransferPerLayer };

class Deposition : public TProcessFixture {
protected:
    void TearDown() override
    {
        TProcessFixture::TearDown();
        FDepFB = nullptr;
        FDepPosInfo = nullptr;
    }
    // The program with the deposition window and its neighbours; Section holds lines of
    // the settings section "DepositionControl", Molecules whether the experiment names a
    // compound amount.
    void Open(const std::string& Section = "", bool Molecules = true)
    {
        StartProgram();
        // The balance reads 0.01 mN/m per count over 0..80 mN/m tension.
        SetBalance(0, 80, 0, 8000);
        size_t start = 0;
        while (start < Section.size()) {
            size_t end = Section.find('\n', start);
            if (end == std::string::npos) end = Section.size();
            const std::string line = Section.substr(start, end - start);
            const auto eq = line.find('=');
            if (eq != std::string::npos)
                IniFile->WriteString("DepositionControl", line.substr(0, eq), line.substr(eq + 1));
            start = end + 1;
        }
        if (Molecules) {
            // 1 mg of a 1000 g/mol compound in 10 ml, 0.05 ml spread: 3.01e15 molecules.
            ExpSetup->EDCompositionCount->SetValueInt(1);
            ExpSetup->SGNodes->SetCells(2, 1, "1000");
            ExpSetup->SGNodes->SetCells(3, 1, "0.001");
            ExpSetup->EDVolumeOfSolvent->SetText("10");
            ExpSetup->EDAliquot->SetText("0.05");
        }
        FDepFB = CreateForm<TFDepFB>(nullptr);
        CreateForm<TFMsg>(nullptr);
        Window = CreateForm<TFDepositionCtrl>(nullptr);
        FDepPosInfo = CreateForm<TFDepPosInfo>(nullptr);
        Link()->ClearCalls();
    }
    void Notify(THlNotifyCode Code, LPARAM Payload)
    {
        ASSERT_TRUE(Link()->PostNotify(Code, Payload));
        Application->ProcessMessages();
    }
    // A point at barrier positions of Mm1 and Mm2 millimetres.
    void Point(double Mm1, double Mm2, std::uint32_t Dipper, std::uint32_t Balance, std::uint32_t Tenths,
               std::uint32_t Phase = 1, std::uint32_t PauseLeft = 0)
    {
        TDepositionPoint point{};
        point.barrier1Pos = static_cast<std::uint32_t>(DoubleToInt32(CalibrateParam.barrier1.ShToHw(Mm1)));
        point.barrier2Pos = static_cast<std::uint32_t>(DoubleToInt32(CalibrateParam.barrier2.ShToHw(Mm2)));
        point.dipperPos = Mirror ? 4000 - Dipper : Dipper;
        point.balance = Balance;
        point.time = Tenths;
        point.phase = Phase;
        point.pauseLeft = PauseLeft;
        Notify(hlnDepositionPoint, reinterpret_cast<LPARAM>(&point));
    }
    // START of one cycle on 100 mm² of substrate, then the dipper levels at 1000 and 3000 steps.
    // Mirror: a dipper whose counts grow upward, the same levels and points seen from 4000 down.
    bool Mirror = false;
    void StartRun(int Type, bool IsothermPlot = false, bool Record = false)
    {
        Window->cbbDepositionType->SetItemIndex(Type);
        Window->cbbDepositionTypeClick(nullptr);
        Window->SEPlateArea->SetValue(100);
        Window->SENumCycles->SetValue(1);
        Window->SEUpperLimit->SetValue(10);
        Window->SELowerLimit->SetValue(20);
        Window->CBIsotermControl->SetChecked(IsothermPlot);
        Window->chkRec->SetChecked(Record);
        Window->BBGo->Click();
        ASSERT_EQ(Main->ProcessKind, pkDeposition);
        FDepFB->DipperUpLimit = Mirror ? 3000 : 1000;
        FDepFB->DipperDownLimit = Mirror ? 1000 : 3000;
        Link()->ClearCalls();
    }
    // Five points: two down the first stroke to the lower level and beyond, then (after
    // the second stroke's notice unless Manual) two up, the last above the upper level.
    // The barriers close 10 mm together at every point: 95, 94, 93, 92 and 91 cm².
    void FeedRun(bool SecondStrokeNotice)
    {
        Point(20, 30, 1000, 2800, 10);
        Point(25, 35, 2000, 2800, 20);
        Point(30, 40, 3500, 2700, 30);
        if (SecondStrokeNotice) Notify(hlnDepositionStroke, 1);
        Point(35, 45, 2500, 2700, 40, 2);
        Point(40, 50, 500, 2600, 36610, 2);
    }
    std::vector<std::string> TableNames(ISXDataSet* Set) const
    {
        TStringList names;
        Set->GetFieldNames(ZelTableCategory, &names);
        return names.Lines();
    }
    std::vector<float> Column(const TPTableData& Table, int Index) const
    {
        std::vector<float> values;
        for (int r = 0; r < Table.GetNumRows(); ++r) values.push_back(Table.GetData(Index, r));
        return values;
    }
    std::vector<std::string> LinesFrom(const char* First) const
    {
        std::vector<std::string> lines = Link()->Lines();
        while (!lines.empty() && lines.front().rfind(First, 0) != 0) lines.erase(lines.begin());
        return lines;
    }

    TFDepositionCtrl* Window = nullptr;
};

TEST_F(Deposition, StartSendsTheParametersInOrderForEveryType)
{
    struct Case {
        int Type;
        bool AdjustSP, KeepPressure, StopDipper, Stepwise;
        double BalanceCounts;  // counts over 80 mN/m of tension
        std::int64_t OpenPressure;
    };
    const Case cases[] = {
        {0, false, false, true, false, 8000, 6750},
        {1, true, false, false, true, 8000, 6750},
        {2, true, true, true, false, 8000, 6750},
        // A large balance range: the 16-bit value is held at its greatest, not wrapped.
        {3, false, false, false, false, 8000000, 65535},
        {4, true, true, false, true, 8000, 6750},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Type);
        Open("WarningDeltaSquare=20\n");
        SetBalance(0, 80, 0, c.BalanceCounts);
        Window->cbbDepositionType->SetItemIndex(c.Type);
        Window->cbbDepositionTypeClick(nullptr);
        Window->CBKeepPressureBetweenDeposition->SetChecked(c.AdjustSP);
        if (c.KeepPressure || c.Type < 3) Window->CBKeepPressureControl->SetChecked(c.KeepPressure);
        Window->CBKeepDipperAfterSubstanceEnd->SetChecked(c.StopDipper);
        Window->CBDepositionMethod->SetItemIndex(c.Stepwise ? 1 : 0);
        Window->CBDepositionMethodClick(nullptr);
        Window->SENumCycles->SetValue(3);
        Window->SEWaitWhenDown->SetValue(4);
        Window->SEWaitWhenUp->SetValue(6);
        Window->SESpeedUp->SetValue(Window->SESpeedUp->GetMaxValue());
        Window->SESpeedDown->SetValue(Window->SESpeedDown->GetMinValue());
        Window->SEBarrierSpeed->SetValue(Window->SEBarrierSpeed->GetMaxValue());
        Window->SEUpperLimit->SetValue(30);
        Window->SELowerLimit->SetValue(5);
        Window->SEStep->SetValue(0.5);
        Window->SEDelay->SetValue(9);
        Window->SEPressure->SetValue(30);
        Window->SEOpenPressure->SetValue(12.5);
        TProcessKind kindAtFirstLine = pkNone;
        Link()->OnSendCommand = [&](const std::string& Line, void*, int) {
            if (Line.rfind("DepBarriersSpeed=", 0) == 0) kindAtFirstLine = Main->ProcessKind;
        };
        Window->BBGo->Click();
        Link()->OnSendCommand = nullptr;

        TCalibrateParam& clb = CalibrateParam;
        const std::int64_t barrierCode =
            DoubleToInt32(clb.barrier1.SpeedToCode(Window->SEBarrierSpeed->GetValue() / 2));
        const std::int64_t upper = DoubleToInt32(clb.dipper.ShToHw(30));
        const std::int64_t lower = DoubleToInt32(clb.dipper.ShToHw(5));
        const std::int64_t pressure = DoubleToInt32(clb.ballance.SPToHw(30));
        const std::vector<std::string> expected = {
            "DepBarriersSpeed= " + Hex8(std::min<std::int64_t>(barrierCode, 65535)),
            "FBSensetivity=",
            "FBLimitUp=",
            "FBLimitDown=",
            "FBPCoeff=",
            "DipBottomLevel= " + Hex8(lower),
            "DipTopLevel= " + Hex8(upper),
            "DepKeepPressureControl= " + Hex8(c.KeepPressure || c.Type >= 3 ? 1 : 0),
            "DepKeepDipperAfterSubstanceEnd= " + Hex8(c.StopDipper ? 1 : 0),
            "DepNumLayers= " + Hex8(6),
            "DepPauseDown= " + Hex8(4),
            "DepPauseUp= " + Hex8(6),
            "DepSpeedDown= " + Hex8(DoubleToInt32(clb.dipper.SpeedToCode(Window->SESpeedDown->GetValue()))),
            "DepSpeedUp= " + Hex8(DoubleToInt32(clb.dipper.SpeedToCode(Window->SESpeedUp->GetValue()))),
            "DepStpCompPause= " + Hex8(c.Stepwise ? 9 : 0),
            "DepStpCompStep= " + Hex8(c.Stepwise ? DoubleToInt32(clb.dipper.ShToHwDelta(0.5)) : 0),
            "DepPressure= " + Hex8(pressure),
            "DepKeepPressureBetweenDeposition= " + Hex8(c.AdjustSP ? 0 : 1),
            "DepOpenPressure= " + Hex8(c.OpenPressure),
            "DepType= " + Hex8(c.Type),
            "DepMaxBarrierStep= " + Hex8(DoubleToInt32(clb.surface.AreaToPosition(clb.surface.GetSquareMin() + 20))),
            "StartDeposition",
        };
        std::vector<std::string> lines = LinesFrom("DepBarriersSpeed=");
        ASSERT_EQ(lines.size(), expected.size());
        // The feedback window's own four lines carry its values.
        for (int i = 1; i <= 4; ++i) lines[i] = lines[i].substr(0, lines[i].find('=') + 1);
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(kindAtFirstLine, pkDeposition);
        EXPECT_FALSE(Window->BBGo->GetVisible());
        EXPECT_EQ(Window->NumStrokes, 6);
        EXPECT_EQ(FDepFB->DipperUpLimit, upper);
        EXPECT_EQ(FDepFB->DipperDownLimit, lower);
        EXPECT_EQ(FDepPosInfo->DipUpPos, upper);
        EXPECT_EQ(FDepPosInfo->LayerCount, 6);
        EXPECT_TRUE(FDepPosInfo->GetVisible());
        // No deposition graph for "HP - type".
        EXPECT_EQ(Window->DepGraph == nullptr, c.Type == 3);
        EXPECT_EQ(Window->IsoGraph, nullptr);
        TProcessFixture::TearDown();
        Window = nullptr;
    }
}

// Stored settings out of their range read as their defaults, and the barrier's furthest
// step stays within its travel: what START sends is always something the instrument can do.
TEST_F(Deposition, SettingsOutOfRangeAndTheBarrierTravelBoundWhatStartSends)
{
    struct Case {
        const char* Settings;
        double BarrierHwMax;  // steps of the barrier's travel
        std::int64_t Pause;   // the step pause sent, s
        int Reserve;          // the area reserve, cm²
        bool AtTravelEnd;     // the furthest step is the end of the travel
    };
    const Case cases[] = {
        {"Delay=9\nWarningDeltaSquare=20\n", 2147483647, 9, 20, false},
        {"Delay=-5\nWarningDeltaSquare=-2147483648\n", 2147483647, 0, 15, false},
        {"Delay=2147483647\nWarningDeltaSquare=2147483647\n", 2147483647, 0, 15, false},
        {"Delay=100001\nWarningDeltaSquare=101\n", 2147483647, 0, 15, false},
        {"Delay=100000\nWarningDeltaSquare=100\n", 2147483647, 100000, 100, false},
        // A short barrier: the reserve's position lies beyond its end.
        {"WarningDeltaSquare=0\n", 150000, 0, 0, true},
    };
    TLinearMotion& barrier = CalibrateParam.barrier1;
    const double savedHwMax = barrier.GetHwMax();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Settings);
        Open(std::string("DepositionMethod=1\n") + c.Settings);
        barrier.SetHwMax(c.BarrierHwMax);
        EXPECT_EQ(Window->WarningDeltaSquare, c.Reserve);
        Window->SEUpperLimit->SetValue(30);
        Window->SELowerLimit->SetValue(5);
        Window->BBGo->Click();
        ASSERT_EQ(Main->ProcessKind, pkDeposition);
        TClbSurface& surface = CalibrateParam.surface;
        const double position = surface.AreaToPosition(surface.GetSquareMin() + c.Reserve);
        const std::int64_t furthest = c.AtTravelEnd ? DoubleToInt32(c.BarrierHwMax) : DoubleToInt32(position);
        EXPECT_EQ(position > c.BarrierHwMax, c.AtTravelEnd) << position;
        std::vector<std::string> sent;
        for (const std::string& line : Link()->Lines())
            if (line.rfind("DepStpCompPause=", 0) == 0 || line.rfind("DepMaxBarrierStep=", 0) == 0)
                sent.push_back(line);
        EXPECT_EQ(sent, (std::vector<std::string>{"DepStpCompPause= " + Hex8(c.Pause),
                                                  "DepMaxBarrierStep= " + Hex8(furthest)}));
        barrier.SetHwMax(savedHwMax);
        TProcessFixture::TearDown();
        Window = nullptr;
    }
}

TEST_F(Deposition, EqualLimitsRefuseToStart)
{
    Open();
    Window->SEUpperLimit->SetValue(12.3);
    Window->SELowerLimit->SetValue(12.3);
    Window->BBGo->Click();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Error: Lower limit equal Upper limit!"});
    EXPECT_EQ(Dialogs.Requests[0].Type, mtError);
    EXPECT_TRUE(Link()->Lines().empty());
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_EQ(Main->ProcessKind, pkNone);
}

TEST_F(Deposition, TwoGraphsAreTitledAndTheDepositionGraphSitsBelowTheIsothermGraph)
{
    Open();
    StartRun(1, true);
    ASSERT_NE(Window->IsoGraph, nullptr);
    ASSERT_NE(Window->DepGraph, nullptr);
    EXPECT_EQ(Window->IsoGraph->GraphProp.TitleText, "Isotherm of DPPC");
    EXPECT_EQ(Window->DepGraph->GraphProp.TitleText, "Deposition of DPPC");
    EXPECT_EQ(Window->DepGraph->GetCaption(), "Deposition of DPPC");
    EXPECT_EQ(Window->DepGraph->GetTop(), Window->IsoGraph->GetTop() + Window->IsoGraph->GetHeight());
    EXPECT_EQ(Window->DepGraph->GetLeft(), Window->IsoGraph->GetLeft());
}

TEST_F(Deposition, RowsCarryAreaTransferAndLayerForEveryType)
{
    // Common to every type: barriers 20+30 .. 40+50 mm leave 95 .. 91 cm² of a 100 cm²
    // trough; 3.01e15 molecules; dTA counts from the first area from the third row on;
    // R = (95 - TA) * 100 / (2 * 100 mm²); l from the upper level, never negative.
    const double mmPerStep = CalibrateParam.dipper.HwToShDelta(1000) / 1000;
    const double area[] = {95, 94, 93, 92, 91};
    const double change[] = {0, 0, 2, 3, 4};
    const double transfer[] = {0, 0.5, 1, 1.5, 2};
    const double length[] = {0, 1000 * mmPerStep, 2500 * mmPerStep, 1500 * mmPerStep, 0};
    const double pressure[] = {52, 52, 53, 53, 54};
    const double seconds[] = {1, 2, 3, 4, 3661};
    struct Case {
        int Type;
        bool StrokeNotice;
        double Layer[5];
        double PerLayer[5];
    };
    const Case cases[] = {
        // Down from the upper level on stroke 0, up from the lower level on stroke 1.
        {0, true, {0, 0.5, 1, 1.25, 2}, {0, 1, 1, 1.2, 1}},
        {1, true, {0, 0.5, 1, 1.25, 2}, {0, 1, 1, 1.2, 1}},
        {3, true, {0, 0.5, 1, 1.25, 2}, {0, 1, 1, 1.2, 1}},
        // Z measures from the lower level on even strokes, from the upper on odd ones.
        {2, true, {1, 0.5, 0, 1.75, 1}, {0, 1, 0, 1.5 / 1.75, 2}},
        // Manual counts its own strokes: the turn at the fourth point starts stroke 1, and
        // the rows of each running stroke spread evenly with their R/Z rewritten.
        {4, false, {0, 1, 1, 2, 2}, {0, 0.5, 1, 0.75, 1}},
    };
    for (const bool mirror : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(c.Type);
            SCOPED_TRACE(mirror ? "counts grow upward" : "counts grow downward");
            Mirror = mirror;
            Open();
            StartRun(c.Type, true);
            Notify(hlnPressureControl, 0);
            Notify(hlnDepositionStroke, 0);
            ASSERT_NE(Window->DepTable, nullptr);
            ASSERT_NE(Window->PressureTable, nullptr);
            FeedRun(c.StrokeNotice);
            const TPTableData& table = *Window->DepTable;
            ASSERT_EQ(table.GetNumRows(), 5);
            for (int r = 0; r < 5; ++r) {
                SCOPED_TRACE(r);
                EXPECT_NEAR(table.GetData(colBPos, r), 50 + 10 * r, 1e-3);
                EXPECT_NEAR(table.GetData(colTA, r), area[r], 1e-4);
                EXPECT_NEAR(table.GetData(colDTA, r), change[r], 1e-4);
                EXPECT_NEAR(table.GetData(colMA, r), area[r] / 30.1, 1e-4);
                EXPECT_NEAR(table.GetData(colSP, r), pressure[r], 1e-4);
                EXPECT_NEAR(table.GetData(colTime, r), seconds[r], 1e-3);
                EXPECT_NEAR(table.GetData(colLength, r), std::max(0.0, length[r]), 1e-4);
                EXPECT_NEAR(table.GetData(colTransfer, r), transfer[r], 1e-5);
                EXPECT_NEAR(table.GetData(colLayer, r), c.Layer[r], 1e-5);
                EXPECT_NEAR(table.GetData(colTransferPerLayer, r), c.PerLayer[r], 1e-5);
            }
            // The pressure-control table: the area change from row to row.
            const TPTableData& control = *Window->PressureTable;
            ASSERT_EQ(control.GetNumRows(), 5);
            EXPECT_EQ(Column(control, colDTA), (std::vector<float>{0, 1, 1, 1, 1}));
            EXPECT_NEAR(control.GetData(colSP, 4), 54, 1e-4);
            EXPECT_EQ(control.GetData(6, 4), 0);
            TProcessFixture::TearDown();
            Window = nullptr;
        }
}

TEST_F(Deposition, WithoutAMoleculeCountRowsKeepAZeroAreaPerMolecule)
{
    Open("", false);
    // A compound of no mass: no molecules.
    ExpSetup->EDCompositionCount->SetValueInt(1);
    ExpSetup->SGNodes->SetCells(2, 1, "1000");
    ExpSetup->SGNodes->SetCells(3, 1, "0");
    StartRun(0, true);
    Notify(hlnPressureControl, 0);
    Notify(hlnDepositionStroke, 0);
    Point(20, 30, 1000, 2800, 10);
    ASSERT_EQ(Window->DepTable->GetNumRows(), 1);
    EXPECT_EQ(Window->DepTable->GetData(colMA, 0), 0);
    EXPECT_EQ(Window->PressureTable->GetData(colMA, 0), 0);
    EXPECT_NEAR(Window->DepTable->GetData(colTA, 0), 95, 1e-4);
}

TEST_F(Deposition, RowsAreAnnouncedOnOneClockForBothTables)
{
    Open();
    AppSettings.UpdateReceivedDataInterval = 500;
    StartRun(4, true);
    Notify(hlnPressureControl, 0);
    Notify(hlnDepositionStroke, 0);
    TRowsAddedRecorder depGraph(Window->DepGraph);
    TRowsAddedRecorder isoGraph(Window->IsoGraph);
    TRowsAddedRecorder registerWindow(ExpSetup);
    Tick += 1000;
    Point(20, 30, 1000, 2800, 10);
    Point(25, 35, 2000, 2800, 20);  // within the interval: no announcement
    Tick += 1000;
    Point(30, 40, 3500, 2700, 30);  // rewrites Z of rows 0 and 1
    Application->ProcessMessages();
    ASSERT_EQ(depGraph.Entries.size(), 2u);
    EXPECT_EQ(depGraph.Entries[0].Table, Window->DepTable->Field);
    EXPECT_EQ(depGraph.Entries[0].First, 0u);
    EXPECT_EQ(depGraph.Entries[0].Last, 0u);
    // The rewritten rows of the running stroke are announced with the new one.
    EXPECT_EQ(depGraph.Entries[1].First, 0u);
    EXPECT_EQ(depGraph.Entries[1].Last, 2u);
    ASSERT_EQ(isoGraph.Entries.size(), 2u);
    EXPECT_EQ(isoGraph.Entries[1].Table, Window->PressureTable->Field);
    EXPECT_EQ(isoGraph.Entries[1].First, 1u);
    EXPECT_EQ(isoGraph.Entries[1].Last, 2u);
    EXPECT_EQ(registerWindow.Entries.size(), 4u);
}

TEST_F(Deposition, StatusLinesShowStrokeTimePhaseAndPause)
{
    struct Case {
        int Type;
        std::uint32_t Phase, PauseLeft;
        const char* Line3;
    };
    const Case cases[] = {
        {0, 0, 0, "Positioning "},       {1, 1, 75, "Move down "},       {2, 2, 0, "Move up "},
        {0, 3, 75, "Pause below 01:15"}, {1, 4, 5, "Pause above 00:05"}, {0, 9, 5, "Positioning "},
        {3, 1, 0, "HP - type"},          {4, 3, 75, "Manual"},
    };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line3);
        StartRun(c.Type);
        Notify(hlnDepositionStroke, 0);
        EXPECT_EQ((*Window->StatusLines)[1], "Stroke: 1");
        Point(20, 30, 1000, 2800, 36610, c.Phase, c.PauseLeft);
        EXPECT_EQ(Window->StatusLines->Lines(),
                  (std::vector<std::string>{"Deposition", "Stroke: 1", "Time: 01:01:01", c.Line3}));
        Window->BBStop->Click();
        EXPECT_EQ(Window->StatusLines->Lines(), (std::vector<std::string>{"Deposition", "Completed!", "", ""}));
    }
    EXPECT_FALSE(FDepPosInfo->GetVisible());
}

TEST_F(Deposition, CompletionFollowsTheTypeAndSavesBothTablesInTheRegister)
{
    struct Case {
        int Type;
        int EndsAtStroke;
    };
    for (const Case& c : {Case{0, 1}, Case{1, 1}, Case{2, 1}, Case{3, 0}, Case{4, 0}}) {
        SCOPED_TRACE(c.Type);
        Open();
        const int registered = ExpSetup->ExpTable.Count();
        Dialogs.Requests.clear();
        StartRun(c.Type, true, true);
        const std::string fileName = Window->DataSet->GetFileName();
        Notify(hlnPressureControl, 0);
        Notify(hlnDepositionStroke, 0);
        Point(20, 30, 1000, 2800, 10);
        Notify(hlnDepositionCompleted, 0);
        EXPECT_EQ(Main->ProcessKind, c.EndsAtStroke == 0 ? pkNone : pkDeposition);
        if (c.EndsAtStroke == 1) {
            Notify(hlnDepositionStroke, 1);
            Point(25, 35, 2000, 2800, 20);
            Notify(hlnDepositionCompleted, 1);
        }
        EXPECT_EQ(Main->ProcessKind, pkNone);
        EXPECT_TRUE(Window->BBGo->GetVisible());
        EXPECT_EQ(Window->DataSet, nullptr);
        EXPECT_EQ(Window->DepTable, nullptr);
        EXPECT_EQ(Window->PressureTable, nullptr);
        Application->ProcessMessages();
        EXPECT_EQ(Shown(), std::vector<std::string>{"Process completed!"});
        EXPECT_EQ(ExpSetup->ExpTable.Count(), registered + 1);

        ISXDataSet* loaded = LoadDataSet(fileName);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(TableNames(loaded), (std::vector<std::string>{"Pressure control", "Deposition"}));
        TPTableData table(loaded->FindField(ZelTableCategory, "Deposition"));
        ASSERT_TRUE(table.Valid);
        EXPECT_EQ(table.GetNumRows(), c.EndsAtStroke + 1);
        TSXPropertyStr info(loaded, PropExperimentInfoStr);
        ASSERT_NE(info.GetData(), nullptr);
        EXPECT_NE(std::string(info.GetData()).find("Deposition parameters\r\n"), std::string::npos);
        UseDataSetManager.Release(loaded);
        TProcessFixture::TearDown();
        Window = nullptr;
    }
}

TEST_F(Deposition, NoticesOutsideADepositionAndWithoutIsothermPlotMakeNothing)
{
    Open();
    // Idle: a stroke, a completion or a compound notice is not this window's.
    Notify(hlnDepositionStroke, 0);
    Notify(hlnDepositionCompleted, 0);
    Notify(hlnSubstanceOver, 1);
    Application->ProcessMessages();
    EXPECT_TRUE(Dialogs.Requests.empty());
    EXPECT_EQ(Window->DepTable, nullptr);

    // Without "Show isotherm plot" no pressure-control table exists.
    StartRun(0);
    Notify(hlnPressureControl, 0);
    Notify(hlnDepositionStroke, 0);
    EXPECT_EQ(Window->PressureTable, nullptr);
    EXPECT_NE(Window->DepTable, nullptr);
    // Every pressure-control report starts a new table; the earlier ones stay in the set.
    TProcessFixture::TearDown();
    Open();
    StartRun(0, true);
    Notify(hlnPressureControl, 0);
    Point(20, 30, 1000, 2800, 10);
    Notify(hlnPressureControl, 0);
    ASSERT_NE(Window->PressureTable, nullptr);
    EXPECT_EQ(Window->PressureTable->GetNumRows(), 0);
    EXPECT_EQ(Window->IsoGraph->Table, Window->PressureTable->Field);
    EXPECT_EQ(TableNames(Window->DataSet), (std::vector<std::string>{"Pressure control", "Pressure control 2"}));
}

TEST_F(Deposition, ConsumedCompoundTrimsTheTableAndContinuesAfterTwoContinues)
{
    struct Case {
        int Type;
        int Stroke;                 // the stroke at which the compound runs out
        std::vector<float> Layers;  // Z of the rows kept
        double TransferBefore;
    };
    const Case cases[] = {
        {0, 1, {0, 0.5, 1}, 1.0}, {1, 0, {}, 0}, {4, 0, {0, 1, 1, 2, 2}, 2.0},  // Manual keeps every row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Type);
        Open();
        StartRun(c.Type, true);
        Notify(hlnPressureControl, 0);
        Notify(hlnDepositionStroke, 0);
        Point(20, 30, 1000, 2800, 10);
        Point(25, 35, 2000, 2800, 20);
        Point(30, 40, 3500, 2700, 30);
        if (c.Stroke == 1 || c.Type == 4) {
            if (c.Type != 4) Notify(hlnDepositionStroke, 1);
            Point(35, 45, 2500, 2700, 40, 2);
            Point(40, 50, 500, 2600, 50, 2);
        }
        Dialogs.Requests.clear();
        Dialogs.Answer(mrYes);
        {
            TRowsAddedRecorder graphMessages(Window->DepGraph);
            Notify(hlnSubstanceOver, 0);
            Application->ProcessMessages();
            // The graph loads the shortened table again from its first row.
            ASSERT_FALSE(graphMessages.Entries.empty());
            EXPECT_EQ(graphMessages.Entries.back().First, 0u);
        }
        ASSERT_EQ(Shown(), std::vector<std::string>{"Compound is consumed.\nReturn barrier to start position?"});
        EXPECT_EQ(Dialogs.Requests[0].Buttons, mbYes | mbNo);
        EXPECT_TRUE(Window->Continuing);
        EXPECT_EQ(Column(*Window->DepTable, colLayer), c.Layers);
        EXPECT_DOUBLE_EQ(Window->TransferBefore, c.TransferBefore);
        EXPECT_EQ(Window->StartArea, 0);
        EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ContinueDeposition"});
        ASSERT_TRUE(FMsg->GetVisible());
        EXPECT_FALSE(FMsg->btnOk->GetEnabled());
        FMsg->btnOk->Click();  // disabled: nothing
        EXPECT_EQ(Link()->Lines().size(), 1u);

        // While the barriers return only the pressure-control table grows.
        const int controlRows = Window->PressureTable->GetNumRows();
        Point(20, 30, 1000, 2800, 60, 1);
        EXPECT_EQ(Window->DepTable->GetNumRows(), static_cast<int>(c.Layers.size()));
        EXPECT_EQ(Window->PressureTable->GetNumRows(), controlRows + 1);
        EXPECT_EQ((*Window->StatusLines)[3], c.Type == 4 ? "Manual" : "The substance was over ");
        Notify(hlnPressureControl, 0);  // ignored while continuing
        EXPECT_EQ(Window->PressureTable->GetNumRows(), controlRows + 1);

        Notify(hlnContinueAllowed, 0);
        EXPECT_TRUE(FMsg->btnOk->GetEnabled());
        FMsg->btnOk->Click();
        EXPECT_FALSE(FMsg->GetVisible());
        EXPECT_EQ(Link()->Lines(), (std::vector<std::string>{"ContinueDeposition", "ContinueDeposition"}));
        EXPECT_EQ(Main->ProcessKind, pkDeposition);

        // The next stroke notice goes on in the same table from the area then.
        ISXDataField* field = Window->DepTable->Field;
        Notify(hlnDepositionStroke, c.Stroke);
        EXPECT_FALSE(Window->Continuing);
        EXPECT_EQ(Window->DepTable->Field, field);
        Point(20, 30, 1000, 2800, 70);
        Point(25, 35, 2000, 2800, 80);
        const int rows = Window->DepTable->GetNumRows();
        EXPECT_NEAR(Window->DepTable->GetData(colTransfer, rows - 2), c.TransferBefore, 1e-5);
        EXPECT_NEAR(Window->DepTable->GetData(colTransfer, rows - 1), c.TransferBefore + 0.5, 1e-5);
        TProcessFixture::TearDown();
        Window = nullptr;
    }
}

TEST_F(Deposition, NoCancelClosingAndMissingCompoundStopTheRun)
{
    enum How { AnswerNo, Cancel, CloseBox, NoCompound };
    for (How how : {AnswerNo, Cancel, CloseBox, NoCompound}) {
        SCOPED_TRACE(how);
        Open();
        Dialogs.Requests.clear();
        StartRun(1);
        Notify(hlnDepositionStroke, 0);
        Point(20, 30, 1000, 2800, 10);
        const std::string fileName = Window->DataSet->GetFileName();
        Dialogs.Answer(how == AnswerNo ? mrNo : mrYes);
        Notify(hlnSubstanceOver, how == NoCompound ? 1 : 0);
        if (how == Cancel) FMsg->btnCancel->Click();
        if (how == CloseBox) FMsg->Close();
        Application->ProcessMessages();
        EXPECT_EQ(Main->ProcessKind, pkNone);
        EXPECT_FALSE(Window->Continuing);
        EXPECT_FALSE(FMsg->GetVisible());
        EXPECT_EQ(FMsg->btnOk->OnClick, nullptr);
        const std::vector<std::string> lines = Link()->Lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "ProcessStop");
        EXPECT_TRUE(FileExists(fileName));
        const std::string first = how == NoCompound
                                      ? "No substance. Please, add the substance\nand start process again."
                                      : "Compound is consumed.\nReturn barrier to start position?";
        EXPECT_EQ(Shown(), (std::vector<std::string>{first, "Process completed!"}));
        TProcessFixture::TearDown();
        Window = nullptr;
    }
}

TEST_F(Deposition, ALostLinkEndsTheRunAsFailedWithBothTablesSavedAndNoConfirmationLeft)
{
    Open();
    StartRun(0, true, true);
    const std::string fileName = Window->DataSet->GetFileName();
    Notify(hlnPressureControl, 0);
    Notify(hlnDepositionStroke, 0);
    Point(20, 30, 1000, 2800, 10);
    Point(25, 35, 2000, 2800, 20);
    Notify(hlnDepositionStroke, 1);
    Point(35, 45, 2500, 2700, 40, 2);
    // The consumed compound's confirmation waits for the operator when the line goes.
    Dialogs.Answer(mrYes);
    Notify(hlnSubstanceOver, 0);
    ASSERT_TRUE(FMsg->GetVisible());
    ASSERT_NE(Window->DepTable, nullptr);
    const int rows = Window->DepTable->GetNumRows();
    ASSERT_GT(rows, 0);
    Dialogs.Requests.clear();
    LoseLink();
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_EQ(Window->DepTable, nullptr);
    EXPECT_EQ(Window->PressureTable, nullptr);
    EXPECT_FALSE(Window->Continuing);
    EXPECT_FALSE(FMsg->GetVisible());
    EXPECT_EQ(FMsg->btnOk->OnClick, nullptr);
    EXPECT_EQ((*Window->StatusLines)[1], "Failed!");
    EXPECT_EQ(Shown(), LostLinkTexts());
    EXPECT_EQ(RowsIn(fileName, "Deposition"), rows);
    EXPECT_GE(RowsIn(fileName, "Pressure control"), 0);
}

TEST_F(Deposition, StopOnlyActsWhileARunIsGoing)
{
    Open();
    Window->BBStop->Click();
    EXPECT_TRUE(Link()->Lines().empty());
    StartRun(0);
    Notify(hlnDepositionStroke, 0);
    Window->BBStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_EQ(Main->ProcessKind, pkNone);
}

TEST_F(Deposition, EnablementFollowsTypeMethodAndAdjustSP)
{
    Open();
    struct Case {
        int Type;
        bool AdjustTicked;
        bool AdjustBox, OpenPressure, StopDipper, SpeedsAndWaits, KeepPressureEnabled, KeepPressureTicked;
    };
    const Case cases[] = {
        {0, true, true, true, true, true, true, false},    {0, false, true, false, true, true, true, false},
        {1, true, false, false, true, true, true, false},  {2, true, true, true, true, true, true, false},
        {3, true, false, false, false, true, false, true}, {4, true, false, false, false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Type);
        Window->CBKeepPressureControl->SetEnabled(true);
        Window->CBKeepPressureControl->SetChecked(false);
        Window->CBKeepPressureBetweenDeposition->SetChecked(c.AdjustTicked);
        Window->cbbDepositionType->SetItemIndex(c.Type);
        Window->cbbDepositionTypeClick(nullptr);
        EXPECT_EQ(Window->CBKeepPressureBetweenDeposition->GetEnabled(), c.AdjustBox);
        EXPECT_EQ(Window->SEOpenPressure->GetEnabled(), c.OpenPressure);
        EXPECT_EQ(Window->CBKeepDipperAfterSubstanceEnd->GetEnabled(), c.StopDipper);
        EXPECT_TRUE(Window->SEUpperLimit->GetEnabled());
        EXPECT_TRUE(Window->SELowerLimit->GetEnabled());
        for (TRxSpinEdit* edit : {Window->SESpeedUp, Window->SESpeedDown, Window->SEWaitWhenUp, Window->SEWaitWhenDown})
            EXPECT_EQ(edit->GetEnabled(), c.SpeedsAndWaits);
        EXPECT_EQ(Window->CBKeepPressureControl->GetEnabled(), c.KeepPressureEnabled);
        EXPECT_EQ(Window->CBKeepPressureControl->GetChecked(), c.KeepPressureTicked);
    }
    // Back from Manual the box stays ticked but can be changed again.
    Window->cbbDepositionType->SetItemIndex(0);
    Window->cbbDepositionTypeClick(nullptr);
    EXPECT_TRUE(Window->CBKeepPressureControl->GetChecked());
    EXPECT_TRUE(Window->CBKeepPressureControl->GetEnabled());

    for (int method : {1, 0}) {
        Window->CBDepositionMethod->SetItemIndex(method);
        Window->CBDepositionMethodClick(nullptr);
        EXPECT_EQ(Window->SEStep->GetEnabled(), method == 1);
        EXPECT_EQ(Window->SEDelay->GetEnabled(), method == 1);
        EXPECT_EQ(Window->SEStep->Font()->GetColor(), method == 1 ? clWindowText : RGB(128, 128, 128));
    }
}

TEST_F(Deposition, EachStrokeTypeKeepsItsOwnDipperSpeeds)
{
    Open();
    const double low = Window->SESpeedUp->GetMinValue(), high = Window->SESpeedUp->GetMaxValue();
    ASSERT_LT(low + 0.2, high);
    // The stored defaults: X up fast and down slow, Y slow both ways, Z up slow and down fast.
    const double defaults[3][2] = {{high, low}, {low, low}, {low, high}};
    for (int type = 0; type < 3; ++type) {
        Window->cbbDepositionType->SetItemIndex(type);
        Window->cbbDepositionTypeClick(nullptr);
        EXPECT_NEAR(Window->SESpeedUp->GetValue(), defaults[type][0], 0.051) << type;
        EXPECT_NEAR(Window->SESpeedDown->GetValue(), defaults[type][1], 0.051) << type;
    }
    Window->cbbDepositionType->SetItemIndex(1);
    Window->cbbDepositionTypeClick(nullptr);
    Window->SESpeedUp->SetValue(low + 0.2);
    Window->SESpeedUpChange(nullptr);
    Window->cbbDepositionType->SetItemIndex(4);  // Manual stores nothing and changes nothing
    Window->cbbDepositionTypeClick(nullptr);
    Window->SESpeedUp->SetValue(high);
    Window->SESpeedUpChange(nullptr);
    Window->cbbDepositionType->SetItemIndex(0);
    Window->cbbDepositionTypeClick(nullptr);
    EXPECT_NEAR(Window->SESpeedUp->GetValue(), high, 0.051);
    Window->cbbDepositionType->SetItemIndex(1);
    Window->cbbDepositionTypeClick(nullptr);
    EXPECT_NEAR(Window->SESpeedUp->GetValue(), low + 0.2, 1e-9);
    EXPECT_NEAR(Window->ySpeedUp, low + 0.2, 1e-9);
}

TEST_F(Deposition, SettingsAreReadInTheirBoundsAndWrittenInOrder)
{
    Open(
        "NumCycles=4\nPlateArea=250\nKeepPressureControl=1\nDepositionType=7\nUpperLimit=55,5\nWaitWhenUp=12\n"
        "LowerLimit=2.5\nWaitWhenDown=3\nDepositionMethod=1\nPressure=500\nStep=0,3\nDelay=8\nIsotermControl=1\n"
        "WarningDeltaSquare=22\nKeepDipperAfterSubstanceEnd=1\nKeepPressureBetweenDeposition=1\nOpenPressure=7,5\n"
        "ySpeedUp=oops\nDocked=0\n");
    EXPECT_EQ(Window->SENumCycles->AsInteger(), 4);
    EXPECT_EQ(Window->SEPlateArea->AsInteger(), 250);
    EXPECT_TRUE(Window->CBKeepPressureControl->GetChecked());
    EXPECT_EQ(Window->DepositionType(), 0);  // a stored index outside the list
    EXPECT_EQ(Window->cbbDepositionType->GetItemIndex(), 0);
    EXPECT_DOUBLE_EQ(Window->SEUpperLimit->GetValue(), 55.5);
    EXPECT_EQ(Window->SEWaitWhenUp->AsInteger(), 12);
    EXPECT_DOUBLE_EQ(Window->SELowerLimit->GetValue(), 2.5);
    EXPECT_EQ(Window->CBDepositionMethod->GetItemIndex(), 1);
    EXPECT_TRUE(Window->SEStep->GetEnabled());
    EXPECT_DOUBLE_EQ(Window->SEPressure->GetValue(), 80);  // held at the balance's top
    EXPECT_DOUBLE_EQ(Window->SEStep->GetValue(), 0.3);
    EXPECT_EQ(Window->SEDelay->AsInteger(), 8);
    EXPECT_TRUE(Window->CBIsotermControl->GetChecked());
    EXPECT_EQ(Window->WarningDeltaSquare, 22);
    EXPECT_TRUE(Window->CBKeepDipperAfterSubstanceEnd->GetChecked());
    EXPECT_TRUE(Window->CBKeepPressureBetweenDeposition->GetChecked());
    EXPECT_TRUE(Window->SEOpenPressure->GetEnabled());
    EXPECT_DOUBLE_EQ(Window->SEOpenPressure->GetValue(), 7.5);
    EXPECT_DOUBLE_EQ(Window->ySpeedUp, CalibrateParam.dipper.GetMinSpeed());  // not a number: the default

    IniFile->EraseSection("DepositionControl");
    Window->SEPressure->SetValue(17.5);
    FreeForm(Window);
    Window = nullptr;
    const std::vector<std::string> order = {
        "NumCycles",
        "PlateArea",
        "KeepPressureControl",
        "DepositionType",
        "UpperLimit",
        "SpeedUp",
        "WaitWhenUp",
        "LowerLimit",
        "SpeedDown",
        "WaitWhenDown",
        "DepositionMethod",
        "BarrierSpeed",
        "Pressure",
        "Step",
        "Delay",
        "IsotermControl",
        "Docked",
        "KeepDipperAfterSubstanceEnd",
        "KeepPressureBetweenDeposition",
        "OpenPressure",
        "xSpeedUp",
        "xSpeedDown",
        "ySpeedUp",
        "ySpeedDown",
        "zSpeedUp",
        "zSpeedDown",
    };
    // The section also keeps the window's placement.
    std::vector<std::string> written = IniFile->ReadSection("DepositionControl");
    std::erase_if(written,
                  [&](const std::string& Key) { return std::find(order.begin(), order.end(), Key) == order.end(); });
    EXPECT_EQ(written, order);
    EXPECT_EQ(IniFile->ReadString("DepositionControl", "Pressure", ""), "17.5");
    EXPECT_EQ(IniFile->ReadString("DepositionControl", "UpperLimit", ""), "55.5");
    EXPECT_EQ(IniFile->ReadInteger("DepositionControl", "PlateArea", -1), 250);
    EXPECT_EQ(IniFile->ReadString("DepositionControl", "Docked", ""), "0");
    EXPECT_EQ(IniFile->ReadString("DepositionControl", "KeepPressureBetweenDeposition", ""), "1");
}

TEST_F(Deposition, CaptionsAndListItemsComeFromTheLanguageSectionAndSelectionsStay)
{
    const std::map<int, std::string> items = {{0, "Beschichtung"}, {4, "Y-Typ"}, {9, "Zyklen"}, {26, "Stufen"},
                                              {30, "Speichern"},   {32, "LOS"},  {33, "Halt"}};
    std::string language = "[DepositionCtrl]\n";
    for (int i = 0; i <= 33; ++i) language += std::to_string(i) + "=" + (items.count(i) ? items.at(i) : "") + "\n";
    ForceDirectories(Dir.File("Language"));
    WriteFileText(Dir.File("Language/english.lng"),
                  language + "[Resource]\nDeposition=Beschichtung\nStroke=Hub\nMove down=Abwaerts\n");
    Open("DepositionType=1\nDepositionMethod=1\n");
    EXPECT_EQ(Window->GetCaption(), "Beschichtung");
    EXPECT_EQ(Window->LBNumOfCycles->GetCaption(), "Zyklen");
    EXPECT_EQ(Window->GBGeneral->GetCaption(), "General");  // empty item: unchanged
    EXPECT_EQ(Window->chkRec->GetCaption(), "Speichern");
    EXPECT_EQ(Window->BBGo->GetCaption(), "LOS");
    EXPECT_EQ(Window->BBStop->GetCaption(), "Halt");
    EXPECT_EQ(Window->cbbDepositionType->Items()[1], "Y-Typ");
    EXPECT_EQ(Window->CBDepositionMethod->Items()[1], "Stufen");
    EXPECT_EQ(Window->cbbDepositionType->GetItemIndex(), 1);
    EXPECT_EQ(Window->CBDepositionMethod->GetItemIndex(), 1);
    EXPECT_EQ((*Window->StatusLines)[0], "Beschichtung");
    Window->cbbDepositionType->SetItemIndex(2);
    Window->ApplyLanguage();
    EXPECT_EQ(Window->cbbDepositionType->GetItemIndex(), 2);

    StartRun(1);
    Notify(hlnDepositionStroke, 0);
    EXPECT_EQ((*Window->StatusLines)[1], "Hub: 1");
    Point(20, 30, 1000, 2800, 10, 1);
    EXPECT_EQ((*Window->StatusLines)[3], "Abwaerts ");
}

TEST_F(Deposition, ParametersTextNamesOnlyTheEnabledFields)
{
    Open();
    Window->cbbDepositionType->SetItemIndex(1);
    Window->cbbDepositionTypeClick(nullptr);
    Window->SENumCycles->SetValue(2);
    Window->SEPlateArea->SetValue(150);
    Window->SEUpperLimit->SetValue(30);
    Window->SELowerLimit->SetValue(5);
    Window->SEWaitWhenUp->SetValue(6);
    Window->SEWaitWhenDown->SetValue(4);
    Window->SEPressure->SetValue(30);
    std::string text;
    Window->GetParametersText(text);
    const std::string expected =
        "Deposition parameters\r\nNumber of cycles: 2\r\nSubstrate Area, sq.mm: 150\r\n"
        "Keep pressure after stop: no\r\nMethod: Y - type\r\nUp Pos: 30.0\r\n"
        "Up Speed: " +
        Window->SESpeedUp->GetText() +
        "\r\nUp Wait: 6\r\nDown Pos: 5.0\r\nDown Speed: " + Window->SESpeedDown->GetText() +
        "\r\nDown Wait: 4\r\nMode: Constant deposition\r\n"
        "Barrier Speed, mm/min: " +
        Window->SEBarrierSpeed->GetText() + "\r\nPressure, mN/m: 30.0\r\n\r\n";
    EXPECT_EQ(text, expected);
    Window->CBDepositionMethod->SetItemIndex(1);
    Window->CBDepositionMethodClick(nullptr);
    Window->GetParametersText(text);
    EXPECT_NE(text.find("Mode: Stepwise deposition\r\nStep, mm: 0.1\r\nDelay ,s: 0\r\nBarrier Speed"),
              std::string::npos);
}

}  // namespace
