// The script window against the recording link, which records exactly what the real link
// receives and plays the script engine's side: its start notice, one synchronous step
// notice per predicted step (the record filled first), and its end notice. Covered: the
// lines around a dry run and a run, when a dry run happens, the notices and the status
// lines, the recording of the "Dipping" table, Stop, the refusals while busy, and files.
#include "zel/trough/Uscriptctrl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <future>
#include <thread>

#include "ProcessTestSupport.h"
#include "kvc/KvChart.h"
#include "platform/ui/TabVisibility.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Uprogress.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/trough/Udepositioncontrol.h"
#include "zel/trough/Uisothermcontrol.h"

namespace {

std::string AddressLine(const void* Address)
{
    char text[64];
    std::snprintf(text, sizeof text, "CalcScriptPrognosis= %016llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(Address)));
    return text;
}

struct TStep {
    double Time, Dipper;
};

class ScriptWindow : public TProcessFixture {
protected:
    void SetUp() override
    {
        StartProgram("DeviceType=ZEL\n");
        FProgress = CreateForm<TFProgress>(nullptr);
        Window = CreateForm<TFScriptCtrl>(nullptr);
        // The engine: a dry run predicts Steps, a real run only starts; both end when
        // the test (or the dry run itself) says so.
        Link()->OnRunScript = [this](const TScriptStrings&) {
            ++Runs;
            const bool dryRun = LastExecuteLine() == "ExecuteCommand= 0";
            Engine = std::async(std::launch::async, [this, dryRun] {
                Link()->PostNotify(hlnScriptStarted, 0);
                if (!dryRun) return;
                for (const TStep& step : Steps) {
                    Window->PrognosisStatus.time = step.Time;
                    Window->PrognosisStatus.dipperPos = step.Dipper;
                    SendMessage(Main->Handle(), WM_LINKNOTIFY, hlnScriptPrognosis, 0);
                }
                Link()->PostNotify(hlnScriptFinished, 0);
            });
        };
    }
    void TearDown() override
    {
        if (Engine.valid()) Engine.wait();
        TProcessFixture::TearDown();
    }
    std::string LastExecuteLine() const
    {
        std::string last;
        for (const std::string& line : Link()->Lines())
            if (line.rfind("ExecuteCommand=", 0) == 0) last = line;
        return last;
    }
    // The link operations since the last ClearCalls, as short texts.
    std::vector<std::string> Trace() const
    {
        std::vector<std::string> trace;
        for (const TLinkCall& call : Link()->Calls()) {
            if (call.Operation == TLinkOperation::AbortScript) trace.push_back("abort");
            if (call.Operation == TLinkOperation::RunScript)
                trace.push_back("run " + std::to_string(call.Script.size()));
            if (call.Operation == TLinkOperation::SendCommand) trace.push_back(call.Text);
        }
        return trace;
    }
    void SetText(std::initializer_list<const char*> Lines)
    {
        TStringList list;
        for (const char* line : Lines) list.Add(line);
        Window->SetScript(&list);
    }
    // The run's end as the link reports it.
    void FinishRun()
    {
        if (Engine.valid()) Engine.wait();
        Link()->PostNotify(hlnScriptFinished, 0);
        ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, 10000));
        Application->ProcessMessages();
    }
    std::string Status(int Line) const { return (*Window->StatusLines)[Line]; }

    TFScriptCtrl* Window = nullptr;
    std::vector<TStep> Steps{{0, 5}, {4, 25}, {6.5, 25}, {10.9, 5}};
    std::future<void> Engine;
    int Runs = 0;
};

TEST_F(ScriptWindow, ChangedTextIsPredictedOnceThenRunAndUnchangedTextRunsAtOnce)
{
    SetText({"DipperMoveDown 20", "Pause 2", "DipperMoveUp 20"});
    Link()->ClearCalls();
    Window->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkScript);
    const std::string attach = AddressLine(&Window->PrognosisStatus);
    EXPECT_EQ(Trace(), (std::vector<std::string>{"abort", attach, "ExecuteCommand= 0", "run 3",
                                                 "CalcScriptPrognosis= 0000000000000000", "ExecuteCommand= 1", "abort",
                                                 attach, "ExecuteCommand= 1", "KeyboardBlock= 00000001", "run 3"}));
    // The predicted course: the start state, then one point per step.
    ASSERT_EQ(Window->PrognosisPoints.size(), Steps.size() + 1);
    EXPECT_DOUBLE_EQ(Window->PrognosisPoints.back().time, 10.9);
    EXPECT_EQ(Window->TotalTime, 10);
    EXPECT_FALSE(Window->ScriptTextChanged());
    EXPECT_TRUE(Window->Memo->GetReadOnly());
    EXPECT_EQ(Main->ScriptWindow, Window);
    EXPECT_FALSE(FProgress->GetVisible());
    EXPECT_TRUE(GetTabVisible(Window->TSTimeGraph));
    FinishRun();
    EXPECT_EQ(Shown().back(), "Process completed!");

    Link()->ClearCalls();
    Window->BBGo->Click();
    EXPECT_EQ(Trace(),
              (std::vector<std::string>{"abort", attach, "ExecuteCommand= 1", "KeyboardBlock= 00000001", "run 3"}));
    FinishRun();
    EXPECT_EQ(Runs, 3);
}

TEST_F(ScriptWindow, WithoutDipperHeightTheStrokeIsTheSpanOfThePredictedDipper)
{
    SetText({"DipperMoveDown 20"});
    Window->BBGo->Click();
    // The start state (the dipper where it stands) is part of the span.
    const double start = Window->PrognosisPoints.front().dipperPos;
    ASSERT_LE(start, 5);
    EXPECT_DOUBLE_EQ(Window->DipperHeight, 25 - start);
    FinishRun();
    // A script that predicts no movement and no time: stroke 1, no progress.
    Steps = {{0, start}};
    SetText({"Info nothing"});
    Window->BBGo->Click();
    EXPECT_DOUBLE_EQ(Window->DipperHeight, 1.0);
    EXPECT_EQ(Window->TotalTime, 0);
    Window->PrognosisStatus.time = 3;
    Link()->PostNotify(hlnScriptPrognosis, 0);
    Application->ProcessMessages();
    EXPECT_EQ(Window->Progress, 0);
    FinishRun();
}

TEST_F(ScriptWindow, NoticesFillTheStatusLines)
{
    SetText({"Pause 100"});
    Window->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkScript);
    struct Case {
        std::uint32_t Code;
        const char* Text;  // payload text, or null for the number
        LPARAM Number;
        int Line;
        const char* Expected;
    } cases[] = {
        {hlnScriptLabel, "LBL-1", 0, 2, "LBL-1"},      {hlnScriptInfo, "Prepare to start", 0, 3, "Prepare to start"},
        {hlnScriptNewLayer, nullptr, 0, 2, "Layer 1"}, {hlnScriptNewLayer, nullptr, 0, 2, "Layer 1"},
        {hlnScriptNewLayer, nullptr, 0, 2, "Layer 2"}, {hlnScriptPause, nullptr, 75, 3, "Pause 01:15"},
        {hlnScriptInfo, "Move up", 0, 2, "Layer 2"},   {hlnScriptPause, nullptr, 0, 3, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Code) + " " + c.Expected);
        Link()->PostNotify(c.Code, c.Text ? reinterpret_cast<LPARAM>(c.Text) : c.Number);
        Application->ProcessMessages();
        EXPECT_EQ(Status(c.Line), c.Expected);
    }
    // The cycle question is answered through the main window while the window runs.
    auto answer = Link()->SendNotifyFromThread(hlnRepeatContinue, 0);
    ASSERT_TRUE(Application->ProcessMessagesUntil(
        [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
    EXPECT_EQ(answer.get(), 1);
    // The current line is selected, each line end counted as two characters.
    SetText({"x"});  // refused while running
    EXPECT_EQ(Window->Memo->GetLines().Lines(), std::vector<std::string>{"Pause 100"});
    FinishRun();
    auto after = Link()->SendNotifyFromThread(hlnRepeatContinue, 0);
    ASSERT_TRUE(Application->ProcessMessagesUntil(
        [&] { return after.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
    EXPECT_EQ(after.get(), 0);
    EXPECT_EQ(Status(0), "Completed!");
}

TEST_F(ScriptWindow, RunningLineIsSelected)
{
    SetText({"Info a", "DipperMoveUp 1.5", "Pause 3"});
    Window->BBGo->Click();
    for (int line : {1, 2, 0}) {
        Link()->PostNotify(hlnScriptLine, line);
        Application->ProcessMessages();
        const int starts[] = {0, 8, 26};
        // The last line has no line end to select.
        const int lengths[] = {8, 18, 7};
        EXPECT_EQ(Window->Memo->GetSelStart(), starts[line]) << line;
        EXPECT_EQ(Window->Memo->GetSelLength(), lengths[line]) << line;
    }
    FinishRun();
    EXPECT_EQ(Window->Memo->GetSelLength(), 0);
    EXPECT_FALSE(Window->Memo->GetReadOnly());
}

TEST_F(ScriptWindow, RecordsTheDippingTableAndSavesItWhenTheOperatorStops)
{
    TCalibrateParam& c = CalibrateParam;
    SetText({"PlateArea= 4", "DipperHeight= 10", "DipperMoveDown 10"});
    DeviceState = TDeviceState{};
    DeviceState.dipperPos = static_cast<std::uint32_t>(DoubleToInt32(c.dipper.ShToHw(30)));
    Window->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkScript);
    ASSERT_NE(Window->DataSet, nullptr);
    const std::string fileName = Window->DataSet->GetFileName();
    // The run's statements arrive as notices.
    const double plateArea = 4, dipperHeight = 10;
    Link()->PostNotify(hlnScriptPlateArea, reinterpret_cast<LPARAM>(&plateArea));
    Link()->PostNotify(hlnScriptDipperHeight, reinterpret_cast<LPARAM>(&dipperHeight));
    Application->ProcessMessages();

    // Three device states: the dipper 0, 4 and (after a layer) 8 mm below its zero, the
    // barriers closing.
    const std::uint32_t barrier[] = {20000, 18000, 15000};
    const double below[] = {0, 4, 8};
    std::vector<double> areas;
    for (int i = 0; i < 3; ++i) {
        if (i == 2) {
            Link()->PostNotify(hlnScriptNewLayer, 0);
            Application->ProcessMessages();
        }
        DeviceState.barrier1Pos = DeviceState.barrier2Pos = barrier[i];
        DeviceState.dipperPos = static_cast<std::uint32_t>(DoubleToInt32(c.dipper.ShToHw(30 - below[i])));
        Tick += 500;
        Link()->PostNotify(hlnDeviceState, reinterpret_cast<LPARAM>(&DeviceState));
        Application->ProcessMessages();
        areas.push_back(c.surface.PositionToArea(barrier[i], barrier[i]));
    }
    ASSERT_NE(Window->Table, nullptr);
    TPTableData& table = *Window->Table;
    ASSERT_EQ(table.GetNumRows(), 3);
    const double expectedLayer[] = {0, 0.4, 1 + std::fabs(10 - 8) / 10};
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        EXPECT_FLOAT_EQ(table.GetData(1, r), static_cast<float>(areas[r]));
        // The first two rows have no change and no transfer.
        EXPECT_FLOAT_EQ(table.GetData(2, r), r >= 2 ? static_cast<float>(areas[1] - areas[2]) : 0.f);
        EXPECT_FLOAT_EQ(table.GetData(7, r), r >= 2 ? static_cast<float>((areas[0] - areas[2]) * 100 / 8) : 0.f);
        EXPECT_NEAR(table.GetData(6, r), 30 - below[r], 1e-3);
        EXPECT_NEAR(table.GetData(8, r), expectedLayer[r], 1e-3);
    }
    EXPECT_EQ(Status(1), "Time: 00:00:01");

    // RecordOff stops the rows, not the status lines.
    Link()->PostNotify(hlnScriptRecord, 0);
    Tick += 1000;
    Link()->PostNotify(hlnDeviceState, reinterpret_cast<LPARAM>(&DeviceState));
    Application->ProcessMessages();
    EXPECT_EQ(table.GetNumRows(), 3);
    EXPECT_EQ(Status(1), "Time: 00:00:02");

    Link()->ClearCalls();
    Window->BBStop->Click();
    EXPECT_EQ(Trace(), (std::vector<std::string>{"abort", "DriveAllStop", "KeyboardBlock= 00000000"}));
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_EQ(Main->ScriptWindow, nullptr);
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_EQ(Status(0), "Completed!");
    Application->ProcessMessages();
    EXPECT_EQ(Shown().back(), "Process completed!");
    ISXDataSet* saved = LoadDataSet(fileName);
    ASSERT_NE(saved, nullptr);
    TPTableData loaded(saved->FindField(ZelTableCategory, "Dipping"));
    ASSERT_TRUE(loaded.Valid);
    EXPECT_EQ(loaded.GetNumRows(), 3);
    UseDataSetManager.Release(saved);
    // The end notice of the aborted script finds no registered window.
    Link()->PostNotify(hlnScriptFinished, 0);
    Application->ProcessMessages();
    const std::vector<std::string> shown = Shown();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "Process completed!"), 1);
}

TEST_F(ScriptWindow, ALostLinkAbortsTheScriptAndEndsItsRunAsFailedWithTheTableSaved)
{
    SetText({"DipperMoveDown 10"});
    DeviceState = TDeviceState{};
    Window->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkScript);
    const std::string fileName = Window->DataSet->GetFileName();
    Tick += 500;
    Link()->PostNotify(hlnDeviceState, reinterpret_cast<LPARAM>(&DeviceState));
    Application->ProcessMessages();
    ASSERT_NE(Window->Table, nullptr);
    ASSERT_EQ(Window->Table->GetNumRows(), 1);
    Link()->ClearCalls();
    LoseLink();
    // The link's runner is stopped, so nothing of the script goes out once the line is back.
    const std::vector<std::string> trace = Trace();
    EXPECT_NE(std::find(trace.begin(), trace.end(), "abort"), trace.end());
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_FALSE(Window->Busy());
    EXPECT_FALSE(Window->Memo->GetReadOnly());
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_EQ(Status(0), "Failed!");
    EXPECT_EQ(Shown(), LostLinkTexts());
    EXPECT_EQ(RowsIn(fileName, "Dipping"), 1);
    // The end notice of the abandoned script completes nothing.
    if (Engine.valid()) Engine.wait();
    Link()->PostNotify(hlnScriptFinished, 0);
    Application->ProcessMessages();
    EXPECT_EQ(Shown().size(), 2u);
    EXPECT_EQ(Status(0), "Failed!");
}

TEST_F(ScriptWindow, AnotherWindowsStopEndsTheScriptsRunWithItsTableSaved)
{
    auto* isotherm = CreateForm<TFIsothermCtrl>(nullptr);
    SetText({"DipperMoveDown 10"});
    DeviceState = TDeviceState{};
    Window->BBGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkScript);
    const std::string fileName = Window->DataSet->GetFileName();
    Tick += 500;
    Link()->PostNotify(hlnDeviceState, reinterpret_cast<LPARAM>(&DeviceState));
    Application->ProcessMessages();
    ASSERT_EQ(Window->Table->GetNumRows(), 1);
    Link()->ClearCalls();
    isotherm->BBStop->Click();
    // The link's runner is stopped with the instrument's process.
    const std::vector<std::string> trace = Trace();
    EXPECT_NE(std::find(trace.begin(), trace.end(), "abort"), trace.end());
    EXPECT_NE(std::find(trace.begin(), trace.end(), "ProcessStop"), trace.end());
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_FALSE(Window->Busy());
    EXPECT_TRUE(Window->BBGo->GetVisible());
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_EQ(RowsIn(fileName, "Dipping"), 1);
    // The end notice of the stopped script ends nothing more.
    FinishRun();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Process completed!"});
}

TEST_F(ScriptWindow, WithoutAScriptEngineStartEndsAtOnce)
{
    SetText({"DipperMoveUp 1"});
    Link()->RefuseScripts = true;
    Window->BBGo->Click();
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_FALSE(Window->Busy());
    EXPECT_FALSE(Window->Memo->GetReadOnly());
    EXPECT_EQ(Main->ScriptWindow, nullptr);
    EXPECT_EQ(Window->DataSet, nullptr);
    Application->ProcessMessages();
    const std::vector<std::string> shown = Shown();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "Process completed!"), 0);
}

TEST_F(ScriptWindow, TimeGraphPagePredictsAChangedTextOnlyAndEndEndsTheWait)
{
    SetText({"DipperMoveDown 20"});
    Link()->ClearCalls();
    Window->PC->SetActivePage(Window->TSTimeGraph);
    ASSERT_TRUE(Window->PrognosisRunning);
    // While it predicts, nothing else starts and the text stays.
    Window->BBGo->Click();
    Window->BBClear->Click();
    EXPECT_EQ(Window->Memo->GetLines().Count(), 1);
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return !Window->PrognosisRunning; }, 10000));
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_EQ(Window->PrognosisPoints.size(), Steps.size() + 1);
    EXPECT_EQ(Runs, 1);

    // The predicted course shows on a scale: both axes drawn, their ranges holding every
    // predicted point, their labels beside the plotting area.
    KVC::TKvChart* graph = Window->CHTimeGraph;
    graph->Display();
    for (const TScriptPrognosisStatus& point : Window->PrognosisPoints) {
        EXPECT_LE(graph->BottomAxis()->GetMin(), point.time);
        EXPECT_GE(graph->BottomAxis()->GetMax(), point.time);
        EXPECT_LE(graph->LeftAxis()->GetMin(), point.dipperPos);
        EXPECT_GE(graph->LeftAxis()->GetMax(), point.dipperPos);
    }
    struct Side {
        KVC::TKvChartAxis* Axis;
        bool Vertical;
    };
    for (const Side& side : {Side{graph->LeftAxis(), true}, Side{graph->BottomAxis(), false}}) {
        EXPECT_TRUE(side.Axis->GetVisible());
        EXPECT_GE(graph->MeasureLabels(graph->Buffer().Canvas(), *side.Axis, side.Vertical).size(), 2u);
    }
    const TRect area = graph->GraphRect();
    EXPECT_GT(area.Left, 20);                                  // the dipper positions' labels and title
    EXPECT_GT(graph->Buffer().GetHeight() - area.Bottom, 20);  // the times' labels and title

    Window->PC->SetActivePage(Window->TSScript);
    Window->PC->SetActivePage(Window->TSTimeGraph);
    EXPECT_FALSE(Window->PrognosisRunning);
    EXPECT_EQ(Runs, 1);
}

TEST_F(ScriptWindow, FilesKeepTheirLinesAndLoadingCountsAsAChange)
{
    const std::string file = Dir.File("run.zds");
    SetText({"DipperMoveDown 2", "Pause 1"});
    Dialogs.Answers.push_back({mrOk, Dir.File("run"), 0});
    Window->BBSave->Click();
    ASSERT_FALSE(Dialogs.Requests.empty());
    EXPECT_EQ(Dialogs.Requests.back().Filter, "ZEL Device Script (*.zds)|*.zds|Any file (*.*)|*.*");
    EXPECT_EQ(ReadFileText(file), "DipperMoveDown 2\r\nPause 1\r\n");

    Window->BBGo->Click();
    FinishRun();
    ASSERT_FALSE(Window->ScriptTextChanged());
    Dialogs.Answers.push_back({mrOk, file, 0});
    Window->BBClear->Click();
    Window->BBLoad->Click();
    EXPECT_EQ(Dialogs.Requests.back().Kind, TDialogKind::OpenFile);
    EXPECT_EQ(Window->Memo->GetLines().Lines(), (std::vector<std::string>{"DipperMoveDown 2", "Pause 1"}));
    EXPECT_TRUE(Window->ScriptTextChanged());
}

}  // namespace
