#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <vector>
#include "TestSupport.h"
#include "platform/filer/FilerTestSets.h"
#include "platform/ui/Timers.h"
#include "zel/core/Common.h"
#include "zel/experiment/Usedatasetmanager.h"

namespace {

// Catches the debug-output lines while it lives.
class TTraceCapture {
public:
    TTraceCapture()
    {
        SetDebugOutputSink([this](const std::string& Line) { Lines.push_back(Line); });
    }
    ~TTraceCapture() { SetDebugOutputSink({}); }
    std::vector<std::string> Lines;
};

std::string SourceLine(const std::string& Path, int Number)
{
    std::ifstream In(Path);
    std::string Line;
    for (int i = 1; i <= Number && std::getline(In, Line); ++i) {}
    return Line;
}

// A trace line is "Trace: <this module's source path> <line> <message>", and the line
// number points at the statement of the module that wrote it.
void ExpectTrace(const std::string& Line, const std::string& Message)
{
    static const std::regex Form(R"(Trace: (\S+) (\d+) (.*))");
    std::smatch Match;
    ASSERT_TRUE(std::regex_match(Line, Match, Form)) << Line;
    EXPECT_EQ(Match[3].str(), Message);
    const std::string Path = Match[1].str();
    const std::string Module = "zel/experiment/Usedatasetmanager.cpp";
    EXPECT_TRUE(Path.ends_with("/" + Module)) << Path;
    // A build may name its sources relative to the folder it compiles in (a compiler
    // cache shared between checkouts does), so the line is read from the source tree.
    const std::string Source = std::filesystem::path(Path).is_absolute() ? Path : SourceDir() + Module;
    EXPECT_NE(SourceLine(Source, std::stoi(Match[2].str())).find("TRACE("), std::string::npos) << Line;
}

TEST(UseDataSetManager, CountsTraceAndAnswerMinusOneForUnknownSets)
{
    TUseDataSetManager Manager;
    TTraceCapture Trace;
    ISXDataSet* Set = Manager.Create();
    ASSERT_NE(Set, nullptr);
    ASSERT_EQ(Trace.Lines.size(), 1u);
    ExpectTrace(Trace.Lines[0], "Create data = 1");
    EXPECT_TRUE(Manager.IsKnown(Set));
    EXPECT_EQ(Set->GetFieldCount("ZelTable"), 0);

    EXPECT_EQ(Manager.AddRef(Set), 2);
    ExpectTrace(Trace.Lines[1], " = 2");  // a set without a file name
    Set->SetFileName("/data/zel2601011200.mps");
    ISXDataField* Table = TPTableData::CreateSXTableData(Set, "ZelTable", "Isotherm", 2, 100);
    EXPECT_EQ(Manager.AddRef(Table), 3);
    ExpectTrace(Trace.Lines[2], "/data/zel2601011200.mps = 3");
    EXPECT_EQ(Manager.Release(Table), 2);
    EXPECT_EQ(Manager.Release(Set), 1);
    ExpectTrace(Trace.Lines[4], "/data/zel2601011200.mps = 1");
    ASSERT_EQ(Trace.Lines.size(), 5u);

    // Unknown sets and null are answered with -1 and leave no trace.
    TSXDataSet Stranger;
    EXPECT_EQ(Manager.AddRef(&Stranger), -1);
    EXPECT_EQ(Manager.Release(&Stranger), -1);
    EXPECT_EQ(Manager.AddRef(static_cast<ISXDataSet*>(nullptr)), -1);
    EXPECT_EQ(Manager.Release(static_cast<ISXDataField*>(nullptr)), -1);
    EXPECT_FALSE(Manager.IsKnown(&Stranger));
    EXPECT_FALSE(Manager.IsKnown(nullptr));
    EXPECT_EQ(Trace.Lines.size(), 5u);
}

TEST(UseDataSetManager, IdleSetStaysUsableUntilCollectDeletesIt)
{
    TUseDataSetManager Manager;
    ISXDataSet* Set = Manager.Create();
    TPTableData Table(TPTableData::CreateSXTableData(Set, "ZelTable", "T", 1, 10));
    EXPECT_EQ(Manager.Release(Set), 0);
    EXPECT_TRUE(Manager.IsKnown(Set));
    EXPECT_EQ(Table.Field->GetDataSet(), Set);  // still valid while idle
    EXPECT_EQ(Manager.Release(Set), 0);         // an unpaired release does not wrap around
    EXPECT_EQ(Manager.AddRef(Set), 1);          // held again before the collect run
    Manager.Collect();
    EXPECT_TRUE(Manager.IsKnown(Set));
    EXPECT_EQ(Manager.Release(Set), 0);
    Manager.Collect();
    EXPECT_FALSE(Manager.IsKnown(Set));
    EXPECT_EQ(Table.Field->GetDataSet(), nullptr);  // the set was deleted
    EXPECT_EQ(Manager.AddRef(Set), -1);
    EXPECT_EQ(Manager.Release(Table.Field), -1);
}

TEST(UseDataSetManager, OneCollectRunDeletesEveryIdleSetAndKeepsHeldOnes)
{
    TUseDataSetManager Manager;
    std::vector<ISXDataSet*> Sets;
    for (int i = 0; i < 6; ++i) Sets.push_back(Manager.Create());
    std::sort(Sets.begin(), Sets.end());  // the map's order
    // Idle neighbours at the front, one held set between idle ones, idle ones at the end.
    const bool Held[6] = {false, false, true, false, false, true};
    std::vector<std::unique_ptr<TPTableData>> Probes;
    for (int i = 0; i < 6; ++i) {
        Probes.push_back(std::make_unique<TPTableData>(TPTableData::CreateSXTableData(Sets[i], "ZelTable", "T", 1, 1)));
        if (!Held[i]) Manager.Release(Sets[i]);
    }
    Manager.Collect();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Manager.IsKnown(Sets[i]), Held[i]) << i;
        EXPECT_EQ(Probes[i]->Field->GetDataSet() != nullptr, Held[i]) << i;
    }
    Manager.Release(Sets[2]);
    Manager.Release(Sets[5]);
    Manager.Collect();
    EXPECT_FALSE(Manager.IsKnown(Sets[2]));
    EXPECT_FALSE(Manager.IsKnown(Sets[5]));
    EXPECT_EQ(Probes[2]->Field->GetDataSet(), nullptr);
}

TEST(UseDataSetManager, ProgramEndDeletesHeldSetsToo)
{
    std::unique_ptr<TPTableData> Probe;
    {
        TUseDataSetManager Manager;
        ISXDataSet* Set = Manager.Create();
        Manager.AddRef(Set);  // count 2
        Probe = std::make_unique<TPTableData>(TPTableData::CreateSXTableData(Set, "ZelTable", "T", 1, 1));
        ISXDataSet* Idle = Manager.Create();
        Manager.Release(Idle);
    }
    EXPECT_EQ(Probe->Field->GetDataSet(), nullptr);
}

// A run whose set was given back without being saved (no finished notice came) is
// written to its file before the collect run deletes it; saved or loaded sets are not
// written again.
TEST(UseDataSetManager, CollectSavesAChangedNamedSetBeforeDeletingIt)
{
    ISXFiler* Module = LoadFilerModule();
    ASSERT_NE(Module, nullptr);
    ISXFiler* PreviousFiler = Filer;
    Filer = Module;
    TTempDir Dir;
    TUseDataSetManager Manager;

    ISXDataSet* Unsaved = Manager.Create();
    Unsaved->SetFileName(Dir.File("unsaved.mps").c_str());
    FillSampleSet(Unsaved, 20);
    const std::string Expected = DescribeSet(*dynamic_cast<TSXDataSet*>(Unsaved));

    ISXDataSet* Saved = Manager.Create();
    Saved->SetFileName(Dir.File("saved.mps").c_str());
    FillSampleSet(Saved, 2);
    ASSERT_TRUE(SaveDataSet(Saved->GetFileName(), Saved));
    WriteFileText(Dir.File("saved.mps"), "replaced by the operator");

    ISXDataSet* Unnamed = Manager.Create();
    FillSampleSet(Unnamed, 2);

    Manager.Release(Unsaved);
    Manager.Release(Saved);
    Manager.Release(Unnamed);
    Manager.Collect();
    EXPECT_FALSE(Manager.IsKnown(Unsaved));

    TSXDataSet Loaded;
    ASSERT_TRUE(Module->Load(Dir.File("unsaved.mps").c_str(), &Loaded, 0, 1)) << Module->GetLastError();
    EXPECT_EQ(DescribeSet(Loaded), Expected);
    EXPECT_EQ(ReadFileText(Dir.File("saved.mps")), "replaced by the operator");

    // A set whose file cannot be written now stays idle until a later run can write it.
    ISXDataSet* Blocked = Manager.Create();
    Blocked->SetFileName(Dir.File("blocked.mps").c_str());
    FillSampleSet(Blocked, 2);
    std::filesystem::create_directory(Dir.File("blocked.mps"));
    Manager.Release(Blocked);
    Manager.Collect();
    EXPECT_TRUE(Manager.IsKnown(Blocked));
    std::filesystem::remove(Dir.File("blocked.mps"));
    Manager.Collect();
    EXPECT_FALSE(Manager.IsKnown(Blocked));
    EXPECT_TRUE(FileExists(Dir.File("blocked.mps")));
    Filer = PreviousFiler;
}

}  // namespace
