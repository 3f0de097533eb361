// The process window pattern on a small window of its own: the run table factory, the
// data set and graph made at START, tables opened on started notices, throttled rows-added
// announcements, the elapsed-time line, and the end of a run with the set saved to disk.
#include "zel/trough/Uprocesswindow.h"

#include <sys/resource.h>

#include "ProcessTestSupport.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/StdCtrls.h"
#include "zel/experiment/Sxproperty.h"

namespace {

// A process window with two columns per table; what the window's Part would add.
class TProbeProcess : public TProcessWindow {
public:
    explicit TProbeProcess(TComponent* Owner)
        : TProcessWindow(Owner, TToolWindowKind::Deposition, pkDeposition, "Probe", 4)
    {
        BBGo = new TButton(this);
        BBGo->SetParent(this);
    }
    TButton* BBGo;
    bool SaveData = false;
    bool FailTables = false;

    bool Start()
    {
        if (!PrepareRun("Probe")) return false;
        if (FMain) FMain->SetProcess(pkDeposition);
        return true;
    }
    void ProcessStarted(int Index) override
    {
        if (!NoticeIsOurs(false)) return;
        if (!OpenTable("Run " + std::to_string(Index))) return;
        BindGraph("X value", "Y value", nullptr);
    }
    void Row(float X, float Y, double Seconds) { AppendRow({X, Y}, Seconds); }
    void ProcessFinished(int) override
    {
        if (!NoticeIsOurs(true)) return;
        CloseTable();
        FinishRun();
    }
    void GetParametersText(std::string& Text) override { Text = "Probe parameters\r\n"; }
    TControl* StartButton() const override { return BBGo; }

protected:
    std::unique_ptr<TPTableData> CreateTable(const std::string& Name) override
    {
        if (FailTables) return nullptr;
        return CreateRunTable(DataSet, Name, {{"X value", "X", "mm"}, {"Y value", "Y", "s"}}, 0, 1);
    }
    bool EntersRegister() const override { return SaveData; }
};

class ProcessWindow : public TProcessFixture {
protected:
    void SetUp() override
    {
        StartProgram();
        Probe = CreateForm<TProbeProcess>(nullptr);
    }
    // The uses of a set now (the graph holds its own through the lines it shows).
    static int Uses(ISXDataSet* Set)
    {
        const int count = UseDataSetManager.AddRef(Set) - 1;
        UseDataSetManager.Release(Set);
        return count;
    }
    TProbeProcess* Probe = nullptr;
};

TEST(RunTable, FactoryFillsColumnsAxesAndRefusesWhatCannotBeMade)
{
    TSXDataSet set;
    auto table = CreateRunTable(&set, "Run", {{"Barrier Position (BPos)", "BPos", "mm"}, {"Time (t)", "t", "s"}}, 1, 0);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(std::string(table->GetTableName()), "Run");
    EXPECT_EQ(table->GetNumColumns(), 2);
    EXPECT_EQ(table->GetNumRows(), 0);
    EXPECT_EQ(table->GetDefAxisIdx(0), 1);
    EXPECT_EQ(table->GetDefAxisIdx(1), 0);
    EXPECT_EQ(table->GetColumnInfo(0)->Flags, 0);
    EXPECT_EQ(ReadFixedText(table->GetColumnInfo(0)->Name), "Barrier Position (BPos)");
    EXPECT_EQ(ReadFixedText(table->GetColumnInfo(1)->ShortName), "t");
    EXPECT_EQ(ReadFixedText(table->GetColumnInfo(1)->Unit), "s");
    EXPECT_NE(set.FindField(ZelTableCategory, "Run"), nullptr);
    // A name already taken, or no set at all, gives no table.
    EXPECT_EQ(CreateRunTable(&set, "Run", {{"A", "A", ""}}, 0, 0), nullptr);
    EXPECT_EQ(CreateRunTable(nullptr, "Other", {{"A", "A", ""}}, 0, 0), nullptr);
}

TEST_F(ProcessWindow, StartMakesTheSetWithItsPropertiesAndATitledGraph)
{
    ASSERT_TRUE(Probe->Start());
    ISXDataSet* set = Probe->DataSet;
    ASSERT_NE(set, nullptr);
    EXPECT_TRUE(UseDataSetManager.IsKnown(set));
    const std::string fileName = set->GetFileName();
    EXPECT_EQ(fileName.rfind(AppPath, 0), 0u) << fileName;
    EXPECT_EQ(fileName.substr(fileName.size() - 4), ".mps");
    TSXPropertyStr info(set, PropExperimentInfoStr);
    EXPECT_NE(info.AsString().find("Probe parameters\r\n"), std::string::npos);
    EXPECT_NE(info.AsString().find("DPPC"), std::string::npos);
    TSXPropertyRef<TZelExperimentInfo> record(set, PropExperimentInfo, false);
    ASSERT_NE(record.Get(), nullptr);
    EXPECT_EQ(ReadFixedText(record.Get()->UserName), "Ann");
    EXPECT_EQ(ReadFixedText(record.Get()->CompoundName), "DPPC");
    TSXPropertyRef<TSXDateTime> date(set, PropDateTime, false);
    ASSERT_NE(date.Get(), nullptr);
    EXPECT_GE(date.Get()->Year, 2020);
    ASSERT_NE(Probe->Graph, nullptr);
    EXPECT_EQ(Probe->Graph, LastGraph());
    EXPECT_EQ(Probe->Graph->GraphProp.TitleText, "Probe of DPPC");
    EXPECT_EQ(Probe->Graph->GetCaption(), "Probe of DPPC");
    EXPECT_EQ(Probe->StatusLines->Lines(), (std::vector<std::string>{"Probe", "", "", ""}));
    EXPECT_EQ(Main->ProcessNames->Lines(), (std::vector<std::string>{"Probe", "", "", ""}));

    // A second START lets go of the first set before it makes a new one.
    Probe->Graph = nullptr;
    ASSERT_TRUE(Probe->Start());
    EXPECT_NE(Probe->DataSet, nullptr);
    EXPECT_EQ(Uses(set), 0);
}

TEST_F(ProcessWindow, EveryRowIsAnnouncedAtMostOncePerIntervalAndTheRestAtTheClose)
{
    AppSettings.UpdateReceivedDataInterval = 500;
    ASSERT_TRUE(Probe->Start());
    Main->SetProcess(pkDeposition);
    Probe->ProcessStarted(0);
    ASSERT_NE(Probe->Table, nullptr);
    ISXDataField* field = Probe->Table->Field;
    EXPECT_EQ(Probe->Graph->Table, field);
    auto toGraph = std::make_unique<TRowsAddedRecorder>(Probe->Graph);
    TRowsAddedRecorder toRegister(ExpSetup);

    Probe->Row(1.5f, 2.5f, 3725.9);  // first point: announced at once
    Tick += 499;
    Probe->Row(2.5f, 3.5f, 3726.0);  // too soon
    Tick += 1;
    Probe->Row(3.5f, 4.5f, 3727.0);  // interval reached
    Application->ProcessMessages();

    EXPECT_EQ(Probe->Table->GetNumRows(), 3);
    EXPECT_FLOAT_EQ(Probe->Table->GetData(0, 1), 2.5f);
    EXPECT_FLOAT_EQ(Probe->Table->GetData(1, 2), 4.5f);
    for (const auto* recorder : {toGraph.get(), &toRegister}) {
        ASSERT_EQ(recorder->Entries.size(), 2u);
        EXPECT_EQ(recorder->Entries[0].Table, field);
        EXPECT_EQ(recorder->Entries[0].First, 0u);
        EXPECT_EQ(recorder->Entries[0].Last, 0u);
        // The row that came too soon travels with the next announcement.
        EXPECT_EQ(recorder->Entries[1].First, 1u);
        EXPECT_EQ(recorder->Entries[1].Last, 2u);
    }
    EXPECT_EQ((*Probe->StatusLines)[2], "Time: 01:02:07");

    // The operator closes the graph: rows are still recorded and the register still told.
    toGraph.reset();
    FreeForm(Probe->Graph);
    Tick += 1000;
    Probe->Row(5.f, 6.f, 1.0);
    Application->ProcessMessages();
    EXPECT_EQ(Probe->Graph, nullptr);
    EXPECT_EQ(Probe->Table->GetNumRows(), 4);
    EXPECT_EQ(toRegister.Entries.size(), 3u);

    // Rows that came too soon are told when the table closes, before it goes.
    Tick += 1;
    Probe->Row(6.f, 7.f, 1.1);
    Tick += 1;
    Probe->Row(7.f, 8.f, 1.2);
    EXPECT_EQ(toRegister.Entries.size(), 3u);
    Probe->CloseTable();
    ASSERT_EQ(toRegister.Entries.size(), 4u);
    EXPECT_EQ(toRegister.Entries[3].Table, field);
    EXPECT_EQ(toRegister.Entries[3].First, 4u);
    EXPECT_EQ(toRegister.Entries[3].Last, 5u);
    Application->ProcessMessages();
    EXPECT_EQ(toRegister.Entries.size(), 4u);
}

// A run on a busy machine takes seconds of real time in which the link reports nothing;
// the watchdog's question must not break into a test that is not about it.
TEST_F(ProcessWindow, LongRunWithoutReportsMeetsNoWatchdogQuestion)
{
    ASSERT_TRUE(Link()->IsConnected());
    ASSERT_TRUE(Probe->Start());
    Probe->ProcessStarted(0);
    Tick += 60000;
    // Longer than the main window's timer interval.
    Application->ProcessMessagesUntil([] { return false; }, 1300);
    for (const std::string& text : Shown()) EXPECT_NE(text, "Device not responding! Do you want to reconnect?");
}

TEST_F(ProcessWindow, FinishSavesTheSetToDiskLetsGoAndSaysCompleted)
{
    ASSERT_TRUE(Probe->Start());
    Main->SetProcess(pkDeposition);
    EXPECT_FALSE(Probe->BBGo->GetVisible());
    Probe->ProcessStarted(0);
    Probe->Row(1.f, 2.f, 0.5);
    ISXDataSet* set = Probe->DataSet;
    const std::string fileName = set->GetFileName();
    const int usesBefore = Uses(set);

    Probe->ProcessFinished(0);
    EXPECT_EQ(Probe->DataSet, nullptr);
    EXPECT_EQ(Probe->Table, nullptr);
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Probe->BBGo->GetVisible());
    EXPECT_EQ(Uses(set), usesBefore - 1);
    EXPECT_EQ(Probe->StatusLines->Lines(), (std::vector<std::string>{"Probe", "Completed!", "", ""}));
    Application->ProcessMessages();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Process completed!"});
    EXPECT_EQ(Dialogs.Requests.back().Type, mtInformation);

    ISXDataSet* loaded = LoadDataSet(fileName);
    ASSERT_NE(loaded, nullptr);
    TPTableData table(loaded->FindField(ZelTableCategory, "Run 0"));
    ASSERT_TRUE(table.Valid);
    EXPECT_EQ(table.GetNumRows(), 1);
    EXPECT_FLOAT_EQ(table.GetData(1, 0), 2.f);
    UseDataSetManager.Release(loaded);
}
TEST_F(ProcessWindow, ATableThatCannotBeMadeIsToldAndTheRunGoesOnUnrecorded)
{
    ASSERT_TRUE(Probe->Start());
    Main->SetProcess(pkDeposition);
    const std::string fileName = Probe->DataSet->GetFileName();
    Probe->FailTables = true;
    Probe->ProcessStarted(0);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Cannot create the data table!"});
    EXPECT_EQ(Dialogs.Requests.back().Type, mtError);
    EXPECT_EQ(Probe->DataSet, nullptr);
    EXPECT_EQ(Probe->Table, nullptr);
    Probe->Row(1.f, 2.f, 1.0);  // nothing to record into
    Probe->ProcessFinished(0);
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_FALSE(FileExists(fileName));
}

TEST_F(ProcessWindow, NoticesOfAnotherWindowsRunAreNotOurs)
{
    Main->SetProcess(pkIsotherm);
    Probe->ProcessStarted(0);
    EXPECT_EQ(Probe->Table, nullptr);
    EXPECT_TRUE(Dialogs.Requests.empty());
    // A finished notice does not end the other window's run.
    Probe->ProcessFinished(0);
    EXPECT_EQ(Main->ProcessKind, pkIsotherm);
    Application->ProcessMessages();
    EXPECT_TRUE(Dialogs.Requests.empty());
    // With no process running a late finished notice still ends idle and says so.
    Main->SetProcess(pkNone);
    Probe->ProcessFinished(0);
    Application->ProcessMessages();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Process completed!"});
}
// Limits how large a file this process may write, as a full disk would, while it lives.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes)
    {
        getrlimit(RLIMIT_FSIZE, &FSaved);
        rlimit limit = FSaved;
        limit.rlim_cur = Bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &FSaved); }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FSaved{};
};

TEST_F(ProcessWindow, ASaveThatFailsIsToldWithFileAndReasonAndTheSetIsSavedLater)
{
    ASSERT_TRUE(Probe->Start());
    Probe->ProcessStarted(0);
    for (int i = 0; i < 50; ++i) Probe->Row(float(i), 2.f * float(i), 0.5 * i);
    const std::string fileName = Probe->DataSet->GetFileName();
    {
        TFileSizeLimit limit(256);
        Probe->ProcessFinished(0);
        Application->ProcessMessages();
    }
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_EQ(Probe->DataSet, nullptr);
    EXPECT_FALSE(FileExists(fileName));
    ASSERT_EQ(Shown().size(), 1u) << "no \"Process completed!\" for data that were not saved";
    EXPECT_NE(Shown()[0].find(fileName), std::string::npos) << Shown()[0];
    EXPECT_NE(Shown()[0].find("File too large"), std::string::npos) << Shown()[0];
    EXPECT_EQ(Dialogs.Requests[0].Type, mtError);
    EXPECT_EQ((*Probe->StatusLines)[1], "Data not saved!");

    // The set is kept, though its graph still shows it, and written once the disk lets it.
    ASSERT_NE(LastGraph(), nullptr);
    UseDataSetManager.Collect();
    EXPECT_EQ(RowsIn(fileName, "Run 0"), 50);
}

TEST_F(ProcessWindow, AHeldSetOfARunThatEndedWithoutItsFinishedNoticeIsSaved)
{
    ASSERT_TRUE(Probe->Start());
    Probe->ProcessStarted(0);
    Probe->Row(1.f, 2.f, 0.5);
    Probe->Row(3.f, 4.f, 1.0);
    const std::string fileName = Probe->DataSet->GetFileName();
    ASSERT_NE(LastGraph(), nullptr);
    // The window goes away in the middle of its run; its graph stays open.
    Main->SetProcess(pkNone);
    FreeForm(Probe);
    Probe = nullptr;
    EXPECT_FALSE(FileExists(fileName));
    UseDataSetManager.Collect();
    EXPECT_EQ(RowsIn(fileName, "Run 0"), 2);
    ASSERT_NE(LastGraph(), nullptr);
    EXPECT_NE(LastGraph()->Table, nullptr) << "the graph keeps its data";
}

TEST_F(ProcessWindow, ALostLinkEndsTheRunAsFailedWithItsDataSaved)
{
    ASSERT_TRUE(Probe->Start());
    Probe->ProcessStarted(0);
    Probe->Row(1.f, 2.f, 0.5);
    const std::string fileName = Probe->DataSet->GetFileName();
    LoseLink();
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_EQ(Probe->DataSet, nullptr);
    EXPECT_TRUE(Probe->BBGo->GetVisible());
    EXPECT_EQ(RowsIn(fileName, "Run 0"), 1);
    EXPECT_EQ(Shown(), LostLinkTexts());
    EXPECT_EQ((*Probe->StatusLines)[1], "Failed!");
}

TEST_F(ProcessWindow, StartAsksASilentInstrumentOnceAndShowsTheWaitCursorMeanwhile)
{
    std::vector<std::string> asked;
    std::vector<bool> waiting;
    Link()->OnSendCommand = [&](const std::string& Line, void*, int) {
        asked.push_back(Line);
        waiting.push_back(WaitCursorShown());
    };
    ASSERT_TRUE(Probe->Start());
    EXPECT_EQ(asked, std::vector<std::string>{"=DeviceName"});
    EXPECT_EQ(waiting, std::vector<bool>{true});
    EXPECT_FALSE(WaitCursorShown());
    Main->SetProcess(pkNone);
    Probe->ReleaseDataSet();

    // An instrument that answers is asked all four questions.
    for (const char* Line : {"=DeviceName", "=DeviceVersion", "=Manufacturer", "=DeviceDate"})
        Link()->SetReply(Line, std::string(Line + 1) + " text");
    asked.clear();
    waiting.clear();
    ASSERT_TRUE(Probe->Start());
    EXPECT_EQ(asked, (std::vector<std::string>{"=DeviceName", "=DeviceVersion", "=Manufacturer", "=DeviceDate"}));
    EXPECT_EQ(waiting, std::vector<bool>(4, true));
    EXPECT_FALSE(WaitCursorShown());
    Link()->OnSendCommand = nullptr;
}

}  // namespace
