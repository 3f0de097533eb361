#include <gtest/gtest.h>
#include <chrono>
#include <condition_variable>
#include <unistd.h>
#include <filesystem>
#include <mutex>
#include "platform/filer/FilerTestSets.h"
#include "platform/ui/Messages.h"
#include "platform/base/FileDates.h"
#include "platform/ui/Timers.h"
#include "zel/core/Common.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Usedatasetmanager.h"

namespace {

// Points Filer at the real module and AppPath at a fresh folder for one test.
class CommonDataSet : public ::testing::Test {
protected:
    void SetUp() override
    {
        Module = LoadFilerModule();
        ASSERT_NE(Module, nullptr);
        SavedFiler = Filer;
        SavedAppPath = AppPath;
        Filer = Module;
        AppPath = Dir.Path();
    }
    void TearDown() override
    {
        Filer = SavedFiler;
        AppPath = SavedAppPath;
    }
    // A set made as the process windows make them, counted by the global keeper.
    ISXDataSet* NewSampleSet()
    {
        ISXDataSet* Set = UseDataSetManager.Create();
        FillSampleSet(Set, 50);
        return Set;
    }
    void Forget(ISXDataSet* Set)
    {
        UseDataSetManager.Release(Set);
        dynamic_cast<TSXDataSet*>(Set)->SetModified(false);
        UseDataSetManager.Collect();
    }

    ISXFiler* Module = nullptr;
    ISXFiler* SavedFiler = nullptr;
    std::string SavedAppPath;
    TTempDir Dir;
};

TEST_F(CommonDataSet, SaveAndLoadRoundTripThroughTheFiler)
{
    ISXDataSet* Set = NewSampleSet();
    const std::string Path = Dir.File("runs/2026/zel2612311200.mps");  // folders are made
    ASSERT_TRUE(SaveDataSet(Path, Set));
    ASSERT_TRUE(IsExistingFile(Path));

    ISXDataSet* Loaded = LoadDataSet(Path);
    ASSERT_NE(Loaded, nullptr);
    EXPECT_TRUE(UseDataSetManager.IsKnown(Loaded));
    EXPECT_STREQ(Loaded->GetFileName(), Path.c_str());
    EXPECT_EQ(DescribeSet(*dynamic_cast<TSXDataSet*>(Loaded)), DescribeSet(*dynamic_cast<TSXDataSet*>(Set)));
    EXPECT_EQ(UseDataSetManager.Release(Loaded), 0);  // the one use belongs to the caller
    Forget(Loaded);
    Forget(Set);
}

TEST_F(CommonDataSet, RefusalsWriteNothingAndCreateNoSet)
{
    ISXDataSet* Set = NewSampleSet();
    EXPECT_FALSE(SaveDataSet(Dir.File("x.mps"), nullptr));
    EXPECT_FALSE(SaveDataSet("", Set));
    Filer = nullptr;
    EXPECT_FALSE(SaveDataSet(Dir.File("x.mps"), Set));
    EXPECT_FALSE(IsExistingFile(Dir.File("x.mps")));

    std::vector<std::string> Trace;
    SetDebugOutputSink([&](const std::string& Line) { Trace.push_back(Line); });
    EXPECT_EQ(LoadDataSet(Dir.File("x.mps")), nullptr);  // no filer
    Filer = Module;
    EXPECT_EQ(LoadDataSet(Dir.File("missing.mps")), nullptr);
    EXPECT_EQ(LoadDataSet(""), nullptr);
    SetDebugOutputSink({});
    EXPECT_TRUE(Trace.empty());  // no set was created
    Forget(Set);
}

// A name without a folder means the program folder, wherever the process runs.
TEST_F(CommonDataSet, NameWithoutFolderMeansTheProgramFolder)
{
    ISXDataSet* Set = NewSampleSet();
    ASSERT_TRUE(SaveDataSet("plain.mps", Set));
    EXPECT_TRUE(IsExistingFile(Dir.File("plain.mps")));
    ISXDataSet* Loaded = LoadDataSet("plain.mps");
    ASSERT_NE(Loaded, nullptr);
    EXPECT_EQ(std::string(Loaded->GetFileName()), Dir.File("plain.mps"));
    Forget(Loaded);
    Forget(Set);
}

TEST_F(CommonDataSet, DamagedFileLoadsAsAnEmptyNamedSet)
{
    WriteFileText(Dir.File("broken.mps"), "ZELMPS but not really a set file");
    ISXDataSet* Loaded = LoadDataSet(Dir.File("broken.mps"));
    ASSERT_NE(Loaded, nullptr);
    EXPECT_EQ(Loaded->GetFieldCount("ZelTable"), 0);
    EXPECT_FALSE(Loaded->HasProperty("DateTime"));
    EXPECT_STREQ(Loaded->GetFileName(), Dir.File("broken.mps").c_str());
    EXPECT_STRNE(Module->GetLastError(), "");
    // Giving it back never writes the empty set over the damaged file.
    UseDataSetManager.Release(Loaded);
    UseDataSetManager.Collect();
    EXPECT_EQ(ReadFileText(Dir.File("broken.mps")), "ZELMPS but not really a set file");
}

// A header that claims more cells than the computer has memory for, in a sparse file
// whose size agrees with the claim: the set comes back empty and named, the filer says
// why, and nothing is thrown.
TEST_F(CommonDataSet, ASetClaimingMoreThanTheMemoryLoadsEmptyWithAReason)
{
    const std::string Path = Dir.File("sparse.mps");
    const std::uint64_t Claimed = WriteSparseSetFile(Path, 8, 2147483647);
    ASSERT_GT(Claimed, 0u) << "no sparse file of that size could be made";
    if (std::uint64_t(sysconf(_SC_PHYS_PAGES)) * std::uint64_t(sysconf(_SC_PAGESIZE)) >= Claimed)
        GTEST_SKIP() << "this computer has memory for the whole claim";
    const auto Size = std::filesystem::file_size(Path);
    ISXDataSet* Loaded = nullptr;
    EXPECT_NO_THROW(Loaded = LoadDataSet(Path));
    ASSERT_NE(Loaded, nullptr);
    EXPECT_EQ(Loaded->GetFieldCount("ZelTable"), 0);
    EXPECT_STREQ(Loaded->GetFileName(), Path.c_str());
    const std::string Reason = Module->GetLastError();
    EXPECT_NE(Reason.find("too large to load"), std::string::npos) << Reason;
    EXPECT_EQ(Reason.find("bad_alloc"), std::string::npos) << Reason;
    EXPECT_EQ(UseDataSetManager.Release(Loaded), 0);
    UseDataSetManager.Collect();
    EXPECT_EQ(std::filesystem::file_size(Path), Size);  // never written over
}

// A filer that fails by throwing, half-way through filling the set.
class TThrowingFiler final : public ISXFiler {
public:
    const char* GetLastError() override { return ""; }
    bool Save(const char*, ISXDataSet*, int) override { return false; }
    bool Load(const char*, ISXDataSet* DataSet, int, int) override
    {
        Given = DataSet;
        DataSet->AddProperty("DateTime", 8);
        throw std::bad_alloc();
    }
    bool LoadProperties(const char*, ISXDataSet*) override { return false; }
    bool SaveProperties(const char*, ISXDataSet*) override { return false; }
    ISXDataSet* Given = nullptr;
};

// Nothing thrown by the filer leaves LoadDataSet, and the set it made is given back
// without a name, so the keeper deletes it without writing it over the file.
TEST_F(CommonDataSet, AFilerThatThrowsGivesNoSetAndLeavesNoneBehind)
{
    WriteFileText(Dir.File("kept.mps"), "the operator's file");
    TThrowingFiler Throwing;
    Filer = &Throwing;
    ISXDataSet* Loaded = nullptr;
    EXPECT_NO_THROW(Loaded = LoadDataSet(Dir.File("kept.mps")));
    Filer = Module;
    EXPECT_EQ(Loaded, nullptr);
    ASSERT_NE(Throwing.Given, nullptr);
    ASSERT_TRUE(UseDataSetManager.IsKnown(Throwing.Given));
    EXPECT_EQ(UseDataSetManager.AddRef(Throwing.Given), 1);  // no use was left with it
    EXPECT_STREQ(Throwing.Given->GetFileName(), "");
    UseDataSetManager.Release(Throwing.Given);
    UseDataSetManager.Collect();
    EXPECT_FALSE(UseDataSetManager.IsKnown(Throwing.Given));
    EXPECT_EQ(ReadFileText(Dir.File("kept.mps")), "the operator's file");
}

// A save the filer could not complete is reported as failed, never as done.
TEST_F(CommonDataSet, SaveReportsTheFilersFailure)
{
    ISXDataSet* Set = NewSampleSet();
    std::filesystem::create_directory(Dir.File("taken.mps"));
    EXPECT_FALSE(SaveDataSet(Dir.File("taken.mps"), Set));
    EXPECT_NE(std::string(Module->GetLastError()).find("cannot replace"), std::string::npos);
    Forget(Set);
}

TEST(CommonNowRecord, TakesThePresentLocalTime)
{
    TLocalDateTime Before = LocalNow();
    TSXDateTime Record;
    GetNowRecord(Record);
    TLocalDateTime After = LocalNow();
    EXPECT_TRUE(Record.Year == Before.Year || Record.Year == After.Year);
    EXPECT_TRUE(Record.Day == Before.Day || Record.Day == After.Day);
    EXPECT_TRUE(Record.Minute == Before.Minute || Record.Minute == After.Minute);
    EXPECT_GE(Record.Month, 1);
    EXPECT_LE(Record.Month, 12);
}

// The real filer whose saves wait until the window thread opens the gate, so that a
// handler is sure to run while a save is under way.
class TGatedFiler final : public ISXFiler {
public:
    explicit TGatedFiler(ISXFiler* Real) : FReal(Real) {}
    const char* GetLastError() override { return FReal->GetLastError(); }
    bool Save(const char* FileName, ISXDataSet* DataSet, int Flags) override
    {
        {
            std::unique_lock<std::mutex> Lock(FMutex);
            Opened = FChanged.wait_for(Lock, std::chrono::milliseconds(ConditionWaitMs), [&] { return FOpen; });
            OnWindowThread = IsGuiThread();
        }
        return FReal->Save(FileName, DataSet, Flags);
    }
    bool Load(const char* FileName, ISXDataSet* DataSet, int Flags, int Mode) override
    {
        return FReal->Load(FileName, DataSet, Flags, Mode);
    }
    bool LoadProperties(const char* FileName, ISXDataSet* DataSet) override
    {
        return FReal->LoadProperties(FileName, DataSet);
    }
    bool SaveProperties(const char* FileName, ISXDataSet* DataSet) override
    {
        return FReal->SaveProperties(FileName, DataSet);
    }
    void Open()
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FOpen = true;
        FChanged.notify_all();
    }
    bool Opened = false;
    bool OnWindowThread = true;

private:
    ISXFiler* FReal;
    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FOpen = false;
};

TEST_F(CommonDataSet, SaveAsideWritesTheSetAsCalledWhileTheWindowThreadGoesOn)
{
    ISXDataSet* Set = NewSampleSet();
    auto* Own = dynamic_cast<TSXDataSet*>(Set);
    const std::string Path = Dir.File("runs/aside.mps");
    ASSERT_TRUE(SaveDataSetAside(Path, Set));
    EXPECT_FALSE(Own->GetModified());
    const std::string AsCalled = DescribeSet(*Own);

    // A handler run during the save changes the set and lets go of the caller's use.
    TGatedFiler Gate(Module);
    Filer = &Gate;
    TPTableData Table(Set->FindField("ZelTable", "Isotherm"));
    Table.SetData(2, 3, 99.5f);
    const std::string Before = DescribeSet(*Own);
    TTimer Handler;
    bool Ran = false;
    Handler.SetInterval(1);
    Handler.OnTimer = [&](TObject*) {
        Handler.SetEnabled(false);
        Ran = true;
        Table.SetData(2, 3, -7.0f);
        Table.AddRows(1);
        UseDataSetManager.Release(Set);
        UseDataSetManager.Collect();
        Gate.Open();
    };
    Handler.SetEnabled(true);
    ASSERT_TRUE(SaveDataSetAside(Path, Set));
    EXPECT_TRUE(Ran);
    EXPECT_TRUE(Gate.Opened);
    EXPECT_FALSE(Gate.OnWindowThread);
    Filer = Module;

    // The file holds the set as it was at the call; the change made meanwhile is not
    // taken as saved, and the set is still there for the keeper to write.
    ISXDataSet* Loaded = LoadDataSet(Path);
    ASSERT_NE(Loaded, nullptr);
    EXPECT_EQ(DescribeSet(*dynamic_cast<TSXDataSet*>(Loaded)), Before);
    EXPECT_NE(Before, AsCalled);
    ASSERT_TRUE(UseDataSetManager.IsKnown(Set));
    EXPECT_TRUE(Own->GetModified());
    UseDataSetManager.AddRef(Set);
    Forget(Set);
    Forget(Loaded);
}

}  // namespace
