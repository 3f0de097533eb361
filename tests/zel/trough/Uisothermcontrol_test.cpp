// The isotherm window on real widgets beside the real main window and register window:
// the exact parameter lines START sends through the recording link, the stroke, point
// and stroke-end notices posted by the link and routed by the main window, the tables
// and their row values, the graph, the register, the .mps file, and the window's checks,
// enablement rules, settings and Stop.
#include "zel/trough/Uisothermcontrol.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "ProcessTestSupport.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/experiment/Sxproperty.h"

namespace {

class Isotherm : public TProcessFixture {
protected:
    void Open(const std::string& IsothermSection = "")
    {
        StartProgram();
        // The balance reads 0.01 mN/m per count over 0..80 mN/m tension.
        SetBalance(0, 80, 0, 8000);
        for (const std::string& line : Split(IsothermSection)) {
            const auto eq = line.find('=');
            IniFile->WriteString("IsothermControl", line.substr(0, eq), line.substr(eq + 1));
        }
        // 1 mg of a 1000 g/mol compound in 10 ml, 0.05 ml spread: 3.01e15 molecules.
        ExpSetup->EDCompositionCount->SetValueInt(1);
        ExpSetup->SGNodes->SetCells(2, 1, "1000");
        ExpSetup->SGNodes->SetCells(3, 1, "0.001");
        ExpSetup->EDVolumeOfSolvent->SetText("10");
        ExpSetup->EDAliquot->SetText("0.05");
        Window = CreateForm<TFIsothermCtrl>(nullptr);
        Link()->ClearCalls();
    }
    static std::vector<std::string> Split(const std::string& Text)
    {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < Text.size()) {
            size_t end = Text.find('\n', start);
            if (end == std::string::npos) end = Text.size();
            if (end > start) lines.push_back(Text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }
    void Notify(THlNotifyCode Code, LPARAM Payload)
    {
        ASSERT_TRUE(Link()->PostNotify(Code, Payload));
        Application->ProcessMessages();
    }
    // A point at barrier positions of Mm1 and Mm2 millimetres.
    void Point(double Mm1, double Mm2, std::uint32_t Balance, std::uint32_t Tenths)
    {
        TIsothermPoint point{};
        point.barrier1Pos = static_cast<std::uint32_t>(DoubleToInt32(CalibrateParam.barrier1.ShToHw(Mm1)));
        point.barrier2Pos = static_cast<std::uint32_t>(DoubleToInt32(CalibrateParam.barrier2.ShToHw(Mm2)));
        point.balance = Balance;
        point.time = Tenths;
        Notify(hlnIsothermPoint, reinterpret_cast<LPARAM>(&point));
    }
    std::vector<std::string> TableNames(ISXDataSet* Set) const
    {
        TStringList names;
        Set->GetFieldNames(ZelTableCategory, &names);
        return names.Lines();
    }

    TFIsothermCtrl* Window = nullptr;
};

TEST_F(Isotherm, StartSendsTheParametersInOrderAfterSettingTheProcess)
{
    struct Case {
        int RecOption, Target, Cycles;
        bool Backward;
        int Type, Strokes;
        bool ByTravel;
        const char* Begin;  // "C" current, "A" area position, or a hex value
        const char* End;
        int BeginPressure, EndPressure;  // device counts; SP 30 at 0.01 per count of tension
    };
    const Case cases[] = {
        {0, 0, 1, true, 3, 2, true, "C", "00000000", 0, 5000},
        {3, 1, 4, true, 4, 1, false, "A", "00000000", 0, 0},
        {2, 0, 1, false, 5, 1, true, "00000000", "M", 5000, 0},
        {4, 2, 1, false, 1, 1, false, "00000000", "00000000", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.RecOption);
        Open();
        DeviceState.barrier1Pos = 12345;
        // Options other than "From Start to Target" force one stroke without way back.
        Window->SENumCycles->SetValue(c.Cycles);
        Window->CBBackward->SetChecked(c.Backward);
        Window->cbbRecOptions->SetItemIndex(c.RecOption);
        Window->cbbTargetOptions->SetItemIndex(c.Target);
        Window->IsothermParamChanged(nullptr);
        Window->SEPressure->SetValue(30);
        Window->SETroughArea->SetValue(60);
        Window->SETime->SetValue(42);
        Window->SEProcBarrierStep->SetValue(0.4);
        Window->SEProcTimeInterval->SetValue(250);
        Window->SERate->SetValue(Window->SERate->GetMinValue());
        TProcessKind kindAtFirstLine = pkNone;
        Link()->OnSendCommand = [&](const std::string& Line, void*, int) {
            if (Line.rfind("IstType=", 0) == 0) kindAtFirstLine = Main->ProcessKind;
        };
        Window->BBGo->Click();
        Link()->OnSendCommand = nullptr;

        TCalibrateParam& clb = CalibrateParam;
        auto position = [&](const char* Code) {
            if (std::string(Code) == "C") return Hex8(12345);
            if (std::string(Code) == "A") return Hex8(DoubleToInt32(clb.surface.AreaToPosition(60)));
            if (std::string(Code) == "M") return Hex8(DoubleToInt32(clb.barrier1.GetHwMax()));
            return std::string(Code);
        };
        const std::string dataStep = c.ByTravel ? Hex8(DoubleToInt32(clb.barrier1.ShToHwDelta(0.2))) : Hex8(250);
        std::vector<std::string> lines = Link()->Lines();
        // The instrument's name, version, maker and date are asked first for the record.
        while (!lines.empty() && lines.front().rfind("Ist", 0) != 0) lines.erase(lines.begin());
        const std::vector<std::string> expected = {
            "IstType= " + Hex8(c.Type),
            "IstNumCycles= " + Hex8(c.Strokes),
            "IstBackwardData= " + Hex8(c.RecOption == 0 && c.Backward ? 1 : 0),
            "IstDataStep= " + dataStep,
            "IstBarrierSpeed= " + Hex8(DoubleToInt32(clb.barrier1.SpeedToCode(Window->SERate->GetValue() / 2))),
            "IstProcessTime= " + Hex8(42),
            "IstBeginPos= " + position(c.Begin),
            "IstEndPos= " + position(c.End),
            "IstBeginPressure= " + Hex8(c.BeginPressure),
            "IstEndPressure= " + Hex8(c.EndPressure),
            "IstStpCompPause= 00000000",
            "IstStpCompStep= 00000000",
            "StartIsotherm",
        };
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(kindAtFirstLine, pkIsotherm);
        EXPECT_EQ(Main->ProcessKind, pkIsotherm);
        EXPECT_FALSE(Window->BBGo->GetVisible());
        EXPECT_EQ(Window->StrokeCount, c.Strokes);
        TProcessFixture::TearDown();
        Window = nullptr;
    }
}

TEST_F(Isotherm, StepwiseModeSendsPauseAndStepAndChecksTheStepFirst)
{
    Open();
    Window->CBCompressionMethod->SetItemIndex(1);
    Window->IsothermParamChanged(nullptr);
    Window->SEProcBarrierStep->SetValue(0.4);
    Window->SEStep->SetValue(0.2);
    Window->BBGo->Click();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Compression step should be bigger than barrier step"});
    EXPECT_TRUE(Link()->Lines().empty());
    EXPECT_EQ(Window->DataSet, nullptr);

    Window->SEStep->SetValue(1.0);
    Window->SEDelay->SetValue(7);
    Window->BBGo->Click();
    const std::vector<std::string> lines = Link()->Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "IstStpCompPause= 00000007");
    EXPECT_EQ(lines[lines.size() - 2],
              "IstStpCompStep= " + Hex8(DoubleToInt32(CalibrateParam.barrier1.ShToHwDelta(0.5))));

    // In constant mode a small compression step does not matter.
    TProcessFixture::TearDown();
    Open();
    Window->SEProcBarrierStep->SetValue(0.4);
    Window->SEStep->SetValue(0.2);
    Window->BBGo->Click();
    EXPECT_EQ(Main->ProcessKind, pkIsotherm);
}

// A stored step pause outside its field reads as the default 0: START never sends a
// negative or endless one.
TEST_F(Isotherm, AStoredStepPauseOutsideItsFieldIsNotSent)
{
    const std::pair<const char*, const char*> cases[] = {
        {"12", "IstStpCompPause= 0000000C"},         {"100000", "IstStpCompPause= 000186A0"},
        {"-5", "IstStpCompPause= 00000000"},         {"100001", "IstStpCompPause= 00000000"},
        {"2147483647", "IstStpCompPause= 00000000"},
    };
    for (const auto& [stored, sent] : cases) {
        SCOPED_TRACE(stored);
        Open(std::string("CompressionMethod=1\nStep=1\nProcBarrierStep=0.1\nDelay=") + stored + "\n");
        Window->BBGo->Click();
        ASSERT_EQ(Main->ProcessKind, pkIsotherm);
        const std::vector<std::string> lines = Link()->Lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), sent), lines.end()) << ::testing::PrintToString(lines);
        TProcessFixture::TearDown();
        Window = nullptr;
    }
}

TEST_F(Isotherm, PointsTooFastEnlargeTheBarrierStepAndAsk)
{
    Open();
    CalibrateParam.InputFlowMinInterval = 100;
    Window->SEProcTimeInterval->SetMinValue(100);
    Window->SERate->SetMaxValue(1000);
    Window->SERate->SetValue(120);
    Window->SEProcBarrierStep->SetValue(0.1);
    Dialogs.Answer(mrNo);
    Window->BBGo->Click();
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0], "The step is changed, because speed of a stream of given very big. Continue?");
    EXPECT_EQ(Dialogs.Requests[0].Type, mtWarning);
    EXPECT_DOUBLE_EQ(Window->SEProcBarrierStep->GetValue(), 0.2);
    EXPECT_TRUE(Link()->Lines().empty());
    EXPECT_EQ(Main->ProcessKind, pkNone);

    Dialogs.Answer(mrYes);
    Window->BBGo->Click();  // 0.2 mm now gives a point every 100 ms: no question
    EXPECT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Main->ProcessKind, pkIsotherm);
}

TEST_F(Isotherm, ARunRecordsEachStrokeAsATableRegistersSavesAndCompletes)
{
    Open();
    AppSettings.UpdateReceivedDataInterval = 500;
    Window->SENumCycles->SetValue(2);
    Window->CBBackward->SetChecked(true);
    Window->chkRec->SetChecked(true);
    Window->BBGo->Click();
    ASSERT_EQ(Window->StrokeCount, 4);
    ISXDataSet* set = Window->DataSet;
    ASSERT_NE(set, nullptr);
    const std::string fileName = set->GetFileName();
    TFGraph* graph = Window->Graph;
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->GraphProp.TitleText, "Isotherm of DPPC");

    const char* names[] = {"Isotherm 1", "Isotherm 1 (bw)", "Isotherm 2", "Isotherm 2 (bw)"};
    const char* status[] = {"Cycle: 1", "Cycle: 1(bw)", "Cycle: 2", "Cycle: 2(bw)"};
    for (int stroke = 0; stroke < 4; ++stroke) {
        SCOPED_TRACE(stroke);
        Notify(hlnIsothermCycle, stroke);
        EXPECT_EQ((*Window->StatusLines)[1], status[stroke]);
        ASSERT_NE(Window->Table, nullptr);
        EXPECT_EQ(std::string(Window->Table->GetTableName()), names[stroke]);
        EXPECT_EQ(graph->Table, Window->Table->Field);
        EXPECT_EQ(ExpSetup->ExpTable.Count(), 1);
        // Barriers at 20 + 30 mm, then 25 + 35 mm.
        Point(20, 30, 2800, 125);
        Point(25, 35, 2000, 36610);
        Notify(hlnIsothermCompleted, stroke);
        EXPECT_EQ(Window->Table, nullptr);
        if (stroke < 3) {
            EXPECT_EQ(Window->DataSet, set);
        }
    }
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Window->BBGo->GetVisible());
    EXPECT_EQ(Window->StatusLines->Lines(), (std::vector<std::string>{"Isotherm", "Completed!", ""}));
    Application->ProcessMessages();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Process completed!"});

    ISXDataSet* loaded = LoadDataSet(fileName);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(TableNames(loaded), (std::vector<std::string>(std::begin(names), std::end(names))));
    TPTableData table(loaded->FindField(ZelTableCategory, "Isotherm 2 (bw)"));
    ASSERT_TRUE(table.Valid);
    ASSERT_EQ(table.GetNumRows(), 2);
    EXPECT_EQ(table.GetDefAxisIdx(0), 3);
    EXPECT_EQ(table.GetDefAxisIdx(1), 4);
    EXPECT_EQ(ReadFixedText(table.GetColumnInfo(6)->Name),
              "Pressure\xE2\x80\xA2"
              "Area Per Molecule (PS)");
    EXPECT_EQ(ReadFixedText(table.GetColumnInfo(6)->Unit),
              "mN/m\xE2\x80\xA2"
              "nm2");
    // Trough of 100 cm2 and 1 cm2 per cm of travel: 50 mm of travel leave 95 cm2,
    // 60 mm leave 94 cm2; 3.01e15 molecules: 95e14 / 3.01e15 nm2 per molecule.
    const double rows[2][7] = {
        {50, 95, 0, 95 / 30.1, 80 - 28.0, 12.5, (80 - 28.0) * 95 / 30.1},
        {60, 94, 1, 94 / 30.1, 80 - 20.0, 3661, (80 - 20.0) * 94 / 30.1},
    };
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 7; ++c) EXPECT_NEAR(table.GetData(c, r), rows[r][c], 2e-3) << r << "," << c;
    UseDataSetManager.Release(loaded);
}

TEST_F(Isotherm, TableNamesFollowTheStrokeCountAndUnrecordedWayBacksOnlyUpdateTheStatus)
{
    struct Case {
        int Cycles;
        bool Backward;
        std::vector<std::string> Tables;
    };
    const Case cases[] = {
        {2, false, {"Isotherm 1", "Isotherm 2"}},
        {1, true, {"Isotherm", "Isotherm (bw)"}},
        {1, false, {"Isotherm"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Cycles * 10 + c.Backward);
        Open();
        Window->SENumCycles->SetValue(c.Cycles);
        Window->CBBackward->SetChecked(c.Backward);
        Window->BBGo->Click();
        ISXDataSet* set = Window->DataSet;
        std::vector<std::string> opened;
        for (int stroke = 0; stroke < Window->StrokeCount; ++stroke) {
            Notify(hlnIsothermCycle, stroke);
            if (Window->Table) opened.push_back(Window->Table->GetTableName());
            Notify(hlnIsothermCompleted, stroke);
        }
        EXPECT_EQ(opened, c.Tables);
        EXPECT_EQ(TableNames(set), c.Tables);
        EXPECT_EQ(Main->ProcessKind, pkNone);
        TProcessFixture::TearDown();
    }
}

TEST_F(Isotherm, OptionsOtherThanStartToTargetEndAtTheFirstStrokeEnd)
{
    Open();
    Window->cbbRecOptions->SetItemIndex(1);
    Window->IsothermParamChanged(nullptr);
    Window->BBGo->Click();
    const std::string fileName = Window->DataSet->GetFileName();
    Notify(hlnIsothermCycle, 0);
    Point(20, 30, 2800, 1);
    Notify(hlnIsothermCompleted, 0);
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(FileExists(fileName));
    // Not ticked "Save Data": the set never entered the register.
    EXPECT_EQ(ExpSetup->ExpTable.Count(), 0);
}

TEST_F(Isotherm, WithoutMoleculesARowKeepsZeroAreaPerMoleculeAndProduct)
{
    Open();
    ExpSetup->SGNodes->SetCells(3, 1, "0");  // a compound of no mass: no molecules
    Window->BBGo->Click();
    Notify(hlnIsothermCycle, 0);
    Point(20, 30, 2800, 1);
    ASSERT_NE(Window->Table, nullptr);
    ASSERT_EQ(Window->Table->GetNumRows(), 1);
    EXPECT_NEAR(Window->Table->GetData(1, 0), 95, 1e-4);
    EXPECT_EQ(Window->Table->GetData(3, 0), 0);
    EXPECT_EQ(Window->Table->GetData(6, 0), 0);
}

TEST_F(Isotherm, StopEndsTheRunAtOnceOnlyWhileItRuns)
{
    Open();
    Window->BBStop->Click();
    EXPECT_TRUE(Link()->Lines().empty());
    Application->ProcessMessages();
    EXPECT_TRUE(Dialogs.Requests.empty());

    Window->SENumCycles->SetValue(3);
    Window->BBGo->Click();
    Notify(hlnIsothermCycle, 0);
    Point(20, 30, 2800, 1);
    const std::string fileName = Window->DataSet->GetFileName();
    Link()->ClearCalls();
    Window->BBStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_TRUE(FileExists(fileName));
    Application->ProcessMessages();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Process completed!"});
}

TEST_F(Isotherm, PointsAreRecordedOnlyWhileTheIsothermRuns)
{
    Open();
    Window->SENumCycles->SetValue(2);
    Window->BBGo->Click();
    Notify(hlnIsothermCycle, 0);
    Point(20, 30, 2800, 1);
    // A stroke end of 0 of 3 only closes the table; the set stays held.
    Notify(hlnIsothermCompleted, 0);
    EXPECT_NE(Window->DataSet, nullptr);
    EXPECT_EQ(Main->ProcessKind, pkIsotherm);
    Notify(hlnIsothermCycle, 2);
    Main->SetProcess(pkNone);
    Point(20, 30, 2800, 2);
    EXPECT_EQ(Window->Table->GetNumRows(), 0);
}

TEST_F(Isotherm, EnablementFollowsTheOptions)
{
    Open();
    struct Case {
        int Rec, Target, Mode;
        bool Target_, Pressure, Area, Position, Time, Step, ByTravel, Cycles;
    };
    const Case cases[] = {
        {0, 0, 0, true, true, false, false, false, false, true, true},
        {1, 0, 1, false, false, false, false, false, true, true, false},
        {3, 1, 0, true, false, true, false, true, false, false, false},
        {2, 2, 0, true, false, false, true, false, false, true, false},
        {4, 0, 0, false, false, false, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Rec);
        Window->SENumCycles->SetValue(5);
        Window->CBBackward->SetChecked(true);
        Window->cbbRecOptions->SetItemIndex(c.Rec);
        Window->cbbTargetOptions->SetItemIndex(c.Target);
        Window->CBCompressionMethod->SetItemIndex(c.Mode);
        Window->IsothermParamChanged(nullptr);
        EXPECT_EQ(Window->cbbTargetOptions->GetEnabled(), c.Target_);
        EXPECT_EQ(Window->SEPressure->GetEnabled(), c.Pressure);
        EXPECT_EQ(Window->SETroughArea->GetEnabled(), c.Area);
        EXPECT_EQ(Window->SEBarrierPosition->GetEnabled(), c.Position);
        EXPECT_EQ(Window->SETime->GetEnabled(), c.Time);
        EXPECT_EQ(Window->SEStep->GetEnabled(), c.Step);
        EXPECT_EQ(Window->SEDelay->GetEnabled(), c.Step);
        EXPECT_EQ(Window->SEProcBarrierStep->GetEnabled(), c.ByTravel);
        EXPECT_EQ(Window->SEProcTimeInterval->GetEnabled(), !c.ByTravel);
        EXPECT_EQ(Window->SENumCycles->GetEnabled(), c.Cycles);
        EXPECT_EQ(Window->SENumCycles->AsInteger(), c.Cycles ? 5 : 1);
        EXPECT_EQ(Window->CBBackward->GetChecked(), c.Cycles);
        EXPECT_EQ(Window->SEPressure->Font()->GetColor(), c.Pressure ? clWindowText : RGB(128, 128, 128));
    }
}

TEST_F(Isotherm, SettingsAreReadWithEitherSeparatorAndWrittenBack)
{
    Open(
        "NumCycles=3\nBackward=1\nRecOptions=9\nTargetOptions=2\nProcBarrierStep=0,5\nProcTimeInterval=300\n"
        "CompressionMethod=1\nPressure=12,5\nTroughArea=oops\nTime=20\nStep=2.5\nDelay=4\nDocked=0\n");
    EXPECT_EQ(Window->SENumCycles->AsInteger(), 3);
    EXPECT_TRUE(Window->CBBackward->GetChecked());
    EXPECT_EQ(Window->GetRecOption(), 0);  // a stored index outside the list
    EXPECT_EQ(Window->GetTargetOption(), 2);
    EXPECT_EQ(Window->GetIstType(), 2);
    EXPECT_DOUBLE_EQ(Window->SEProcBarrierStep->GetValue(), 0.5);
    EXPECT_EQ(Window->SEProcTimeInterval->AsInteger(), 300);
    EXPECT_EQ(Window->CBCompressionMethod->GetItemIndex(), 1);
    EXPECT_DOUBLE_EQ(Window->SEPressure->GetValue(), 12.5);
    EXPECT_DOUBLE_EQ(Window->SETroughArea->GetValue(), std::max(0.0, CalibrateParam.surface.GetSquareMin()));
    EXPECT_EQ(Window->SEDelay->AsInteger(), 4);
    EXPECT_DOUBLE_EQ(Window->SEStep->GetValue(), 2.5);

    Window->SEPressure->SetValue(17.5);
    FreeForm(Window);
    Window = nullptr;
    EXPECT_EQ(IniFile->ReadString("IsothermControl", "Pressure", ""), "17.5");
    EXPECT_EQ(IniFile->ReadInteger("IsothermControl", "RecOptions", -1), 0);
    EXPECT_EQ(IniFile->ReadInteger("IsothermControl", "NumCycles", -1), 3);
    EXPECT_EQ(IniFile->ReadString("IsothermControl", "Docked", ""), "0");
}

TEST_F(Isotherm, ParametersTextNamesOnlyTheEnabledFields)
{
    Open();
    Window->cbbRecOptions->SetItemIndex(3);
    Window->cbbTargetOptions->SetItemIndex(1);
    Window->IsothermParamChanged(nullptr);
    Window->SETroughArea->SetValue(60);
    Window->SETime->SetValue(42);
    Window->SEProcTimeInterval->SetValue(250);
    std::string text;
    Window->GetParametersText(text);
    const std::string expected =
        "Isotherm parameters\r\n"
        "Number of cycles: 1\r\nCollect data on way back: no\r\nMeasure: From Target to Time\r\n"
        "Target: Trough Area\r\nMode: Constant compression\r\n"
        "Speed, mm/min: " +
        Window->SERate->GetText() +
        "\r\n"
        "Trough Area, sq.cm: " +
        Window->SETroughArea->GetText() +
        "\r\n"
        "Process time, s: 42\r\nTime Interval, ms: 250\r\n\r\n";
    EXPECT_EQ(text, expected);
}

}  // namespace

namespace {

TEST_F(Isotherm, CaptionsAndListItemsComeFromTheLanguageSectionAndSelectionsStay)
{
    // Items are read up to the first missing number; an empty item keeps the design text.
    const std::map<int, std::string> items = {{0, "Isotherme"},        {2, "Zyklen"},   {6, "Start bis Stopp"},
                                              {10, "Speichern"},       {13, "Flaeche"}, {20, "Stufen"},
                                              {22, "Geschwindigkeit"}, {29, "LOS"},     {30, "Halt"}};
    std::string language = "[IsothermCtrl]\n";
    for (int i = 0; i <= 30; ++i) language += std::to_string(i) + "=" + (items.count(i) ? items.at(i) : "") + "\n";
    ForceDirectories(Dir.File("Language"));
    WriteFileText(Dir.File("Language/english.lng"),
                  language + "[Resource]\nIsotherm=Isotherme\nCycle=Zyklus\nCompleted!=Fertig!\n");
    Open("RecOptions=1\nTargetOptions=1\nCompressionMethod=1\n");
    EXPECT_EQ(Window->GetCaption(), "Isotherme");
    EXPECT_EQ(Window->lblNumCycles->GetCaption(), "Zyklen");
    EXPECT_EQ(Window->GBGeneral->GetCaption(), "General");  // no item: unchanged
    EXPECT_EQ(Window->chkRec->GetCaption(), "Speichern");
    EXPECT_EQ(Window->lblRate->GetCaption(), "Geschwindigkeit");
    EXPECT_EQ(Window->BBGo->GetCaption(), "LOS");
    EXPECT_EQ(Window->BBStop->GetCaption(), "Halt");
    EXPECT_EQ(Window->cbbRecOptions->Items()[1], "Start bis Stopp");
    EXPECT_EQ(Window->cbbTargetOptions->Items()[1], "Flaeche");
    EXPECT_EQ(Window->CBCompressionMethod->Items()[1], "Stufen");
    EXPECT_EQ(Window->GetRecOption(), 1);
    EXPECT_EQ(Window->GetTargetOption(), 1);
    EXPECT_EQ(Window->CBCompressionMethod->GetItemIndex(), 1);
    EXPECT_EQ((*Window->StatusLines)[0], "Isotherme");
    // A change of language keeps what is chosen.
    Window->cbbTargetOptions->SetItemIndex(2);
    Window->ApplyLanguage();
    EXPECT_EQ(Window->cbbTargetOptions->GetItemIndex(), 2);
    EXPECT_EQ(Window->GetRecOption(), 1);

    Window->CBCompressionMethod->SetItemIndex(0);
    Window->BBGo->Click();
    ASSERT_NE(Window->Graph, nullptr);
    EXPECT_EQ(Window->Graph->GraphProp.TitleText, "Isotherme of DPPC");
    std::string text;
    Window->GetParametersText(text);
    EXPECT_NE(text.find("Zyklen: 1\r\n"), std::string::npos);
    EXPECT_NE(text.find("Measure: Start bis Stopp\r\n"), std::string::npos);
    Notify(hlnIsothermCycle, 0);
    EXPECT_EQ((*Window->StatusLines)[1], "Zyklus: 1");
    Notify(hlnIsothermCompleted, 0);
    EXPECT_EQ((*Window->StatusLines)[1], "Fertig!");
}

}  // namespace
