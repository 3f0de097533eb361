// The process window pattern on a small window of its own: the run table factory, the
// data set and graph made at START, tables opened on started notices, throttled rows-added
// announcements, the elapsed-time line, and the end of a run with the set saved to disk.
#include "zel/trough/Uprocesswindow.h"

#include "ProcessTestSupport.h"
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

TEST_F(ProcessWindow, RowsAreRecordedAndAnnouncedAtMostOncePerInterval)
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
        EXPECT_EQ(recorder->Entries[1].First, 2u);
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
}  // namespace
