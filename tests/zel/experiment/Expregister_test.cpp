// The register's model without its window: the texts of its grid, the table lists it
// keeps and reads back, the run-local ids of loaded sets, and the description a record
// shares with its set.
#include "zel/experiment/Expregister.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/tabrix/SXDataSet.h"
#include "platform/base/Strings.h"
#include "TestSupport.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Timers.h"
#include "zel/experiment/Sxproperty.h"

namespace {

TRegRecord SampleRecord()
{
    TRegRecord R;
    R.FileName = "/data/runs/zel0612011230.mps";
    R.Date = TRegDate{2006, 12, 1, 9, 5, 7, 0};
    R.User = "Ann";
    R.Compound = "Stearic acid";
    R.Substance = "Mica";
    R.Subphase = "Water";
    R.Temperature = "21.5";
    return R;
}

TEST(ExpRegister, GridTextsFollowTheColumns)
{
    TRegRecord R = SampleRecord();
    const char* Expected[] = {
        "zel0612011230.mps",           "01/12/2006 9:05", "Ann", "Stearic acid", "Mica", "Water", "21.5", "No",
        "/data/runs/zel0612011230.mps"};
    ASSERT_EQ(std::size(Expected), static_cast<std::size_t>(RegColumnCount));
    for (int c = 0; c < RegColumnCount; ++c) EXPECT_EQ(TExpRegister::CellText(R, c), Expected[c]) << c;
    R.SXDataSet = 3;
    EXPECT_EQ(TExpRegister::CellText(R, 7), "Yes");
    EXPECT_EQ(TExpRegister::CellText(R, RegColumnCount), "");
}

TEST(ExpRegister, TableListsAreCommaTextThatListTablesReadsBack)
{
    TSXDataSet Set;
    for (const char* Name : {"Isotherm", "Pressure area", "Say \"hi\""})
        ASSERT_NE(TPTableData::CreateSXTableData(&Set, ZelTableCategory, Name, 2, 100), nullptr);
    TExpRegister Register;
    TRegRecord R = SampleRecord();
    R.StrTables = TExpRegister::TableList(R, &Set);
    EXPECT_EQ(R.StrTables, "zel0612011230.Isotherm,\"zel0612011230.Pressure area\",\"zel0612011230.Say \"\"hi\"\"\"");
    EXPECT_EQ(TExpRegister::TableList(R, nullptr), "");
    Register.Append(R);
    TRegRecord Other = SampleRecord();
    Other.FileName = "other.mps";
    Other.StrTables = "other.Isotherm";
    Register.Append(Other);

    TStringList Items;
    EXPECT_EQ(Register.ListTables(&Items), 4);
    EXPECT_EQ(Items.Lines(), (std::vector<std::string>{"zel0612011230.Isotherm", "zel0612011230.Pressure area",
                                                       "zel0612011230.Say \"hi\"", "other.Isotherm"}));
    EXPECT_EQ(Register.FindByDataName("other.mps"), Register.Record(0).FileName == "other.mps" ? 0 : 1);
    EXPECT_EQ(Register.FindByDataName("Other.mps"), -1);
}

TEST(ExpRegister, RecordsNameOnlySetsOfThisRun)
{
    TSXDataSet First, Second;
    TExpRegister Register;
    TRegRecord R = SampleRecord();
    // An id left in the file from an earlier run names no set.
    R.SXDataSet = 7;
    EXPECT_EQ(Register.RecordSet(R), nullptr);
    Register.SetRecordSet(R, &First);
    const std::int64_t FirstId = R.SXDataSet;
    EXPECT_NE(FirstId, 0);
    EXPECT_EQ(Register.RecordSet(R), &First);
    // The same set keeps its id; another set gets a new one and the old id is dropped.
    Register.SetRecordSet(R, &First);
    EXPECT_EQ(R.SXDataSet, FirstId);
    TRegRecord Old = R;
    Register.SetRecordSet(R, &Second);
    EXPECT_NE(R.SXDataSet, FirstId);
    EXPECT_EQ(Register.RecordSet(Old), nullptr);
    Register.Append(R);
    EXPECT_EQ(Register.FindBySet(&Second), 0);
    EXPECT_EQ(Register.FindBySet(&First), -1);
    EXPECT_EQ(Register.FindBySet(nullptr), -1);
    Register.SetRecordSet(R, nullptr);
    EXPECT_EQ(R.SXDataSet, 0);
    EXPECT_EQ(Register.RecordSet(Register.Record(0)), nullptr);
}

TEST(ExpRegister, OnlyChangedDescriptionTextsGoIntoTheSet)
{
    TSXDataSet Set;
    {
        TSXPropertyRef<TZelExperimentInfo> Info(&Set, PropExperimentInfo, true);
        WriteFixedText(Info.Get()->UserName, "Set user");
        WriteFixedText(Info.Get()->CompoundName, "Set compound");
        TSXPropertyRef<TSXDateTime> Date(&Set, PropDateTime, true);
        *Date.Get() = TSXDateTime{2006, 12, 1, 12, 30, 5, 231};
    }
    TRegRecord Read;
    TExpRegister::FillFromSet(Read, &Set);
    EXPECT_EQ(Read.User, "Set user");
    EXPECT_EQ(Read.Compound, "Set compound");
    EXPECT_EQ(Read.Temperature, "");
    EXPECT_EQ((Read.Date == TRegDate{2006, 12, 1, 12, 30, 5, 231}), true);

    const TRegRecord Before = SampleRecord();
    // A new table list or file name is no change of the description.
    TRegRecord After = Before;
    After.StrTables = "x.Isotherm";
    After.FileName = "moved.mps";
    EXPECT_FALSE(TExpRegister::DescriptionDiffers(Before, After));
    EXPECT_FALSE(TExpRegister::WriteDescription(&Set, Before, After));

    After.Compound = std::string(60, 'c');
    After.Temperature = "22";
    EXPECT_TRUE(TExpRegister::DescriptionDiffers(Before, After));
    EXPECT_TRUE(TExpRegister::WriteDescription(&Set, Before, After));
    TSXPropertyRef<TZelExperimentInfo> Info(&Set, PropExperimentInfo, false);
    ASSERT_NE(Info.Get(), nullptr);
    // The set's user stays its own: the record's user did not change.
    EXPECT_EQ(ReadFixedText(Info.Get()->UserName), "Set user");
    EXPECT_EQ(ReadFixedText(Info.Get()->CompoundName), std::string(50, 'c'));
    EXPECT_EQ(ReadFixedText(Info.Get()->Temperature), "22");
    EXPECT_EQ(ReadFixedText(Info.Get()->Substrate), "");

    // A set without a description gets one.
    TSXDataSet Bare;
    EXPECT_TRUE(TExpRegister::WriteDescription(&Bare, Before, After));
    EXPECT_TRUE(Bare.HasProperty(PropExperimentInfo));
}

TEST(ExpRegister, TheRegisterFileIsWrittenAsideAndEndsAsTheNewestChangeLeftIt)
{
    TTempDir Dir;
    const std::string File = Dir.File("exp.d");
    // The first write waits until a handler on the window thread opens the gate: that
    // handler can run only while the write is under way.
    std::mutex Lock;
    std::condition_variable Changed;
    bool Started = false, Open = false, Waited = false, OnWindowThread = true;
    const TFileImageWriter Gated = [&](const std::string& Name, const std::string& Image, std::string& Error) {
        {
            std::unique_lock<std::mutex> Hold(Lock);
            Started = true;
            Changed.notify_all();
            Waited = Changed.wait_for(Hold, std::chrono::milliseconds(ConditionWaitMs), [&] { return Open; });
            OnWindowThread = IsGuiThread();
        }
        return WriteFileAtomically(Name, Image, &Error);
    };
    TTimer Handler;
    bool NewerWritten = false;
    std::string NewerError;
    Handler.SetInterval(1);
    Handler.OnTimer = [&](TObject*) {
        Handler.SetEnabled(false);
        {
            // The first write is under way before the newer one comes.
            std::unique_lock<std::mutex> Hold(Lock);
            Changed.wait_for(Hold, std::chrono::milliseconds(ConditionWaitMs), [&] { return Started; });
            Open = true;
        }
        Changed.notify_all();
        // A change handled meanwhile writes its newer image.
        NewerWritten = WriteFileAside(File, "newer", NewerError);
    };
    Handler.SetEnabled(true);
    std::string Error;
    EXPECT_TRUE(WriteFileAside(File, "older", Error, Gated)) << Error;
    EXPECT_TRUE(Waited);
    EXPECT_FALSE(OnWindowThread);
    EXPECT_TRUE(NewerWritten) << NewerError;
    EXPECT_EQ(ReadFileText(File), "newer");

    // A failure comes back with its reason, the file kept.
    const TFileImageWriter Refusing = [](const std::string&, const std::string&, std::string& Why) {
        Why = "disk full";
        return false;
    };
    EXPECT_FALSE(WriteFileAside(File, "lost", Error, Refusing));
    EXPECT_EQ(Error, "disk full");
    EXPECT_EQ(ReadFileText(File), "newer");
}

}  // namespace
