#include "platform/regtable/RegTable.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <csignal>
#include <sys/resource.h>

#include "support/TestSupport.h"

namespace {

TRegRecord MakeRecord(const std::string& Name, int Day, const std::string& User)
{
    TRegRecord R;
    R.FileName = "/data/" + Name;
    R.Date = TRegDate{2006, 12, Day, 12, 30, 15, 231};
    R.User = User;
    R.Compound = "Stearic acid";
    R.Substance = "Glass";
    R.Subphase = "Water";
    R.Temperature = "21";
    R.SXDataSet = 7;
    R.StrTables = "zel1.Isotherm,\"zel1.Table 2\"";
    return R;
}

std::vector<std::string> Users(const TRegTable& Table)
{
    std::vector<std::string> Out;
    for (int i = 0; i < Table.Count(); ++i) Out.push_back(Table.Record(i).User);
    return Out;
}

TEST(RegTable, RoundTripKeepsEveryFieldAndTheDateOrder)
{
    TTempDir Dir;
    const std::string File = Dir.File("exp.d");
    {
        TRegTable Table;
        ASSERT_TRUE(Table.Open(File));
        EXPECT_EQ(Table.Count(), 0);
        Table.Append(MakeRecord("b.mps", 3, "bob"));
        Table.Append(MakeRecord("a.mps", 1, "amy"));
        Table.Append(MakeRecord("c.mps", 2, "cid"));
        EXPECT_FALSE(Table.WriteFailed());
    }
    TRegTable Again;
    ASSERT_TRUE(Again.Open(File)) << Again.Error();
    ASSERT_EQ(Again.Count(), 3);
    EXPECT_EQ(Users(Again), (std::vector<std::string>{"amy", "cid", "bob"}));
    EXPECT_EQ(Again.Record(0), MakeRecord("a.mps", 1, "amy"));
    EXPECT_EQ(Again.Record(0).DataName(), "a.mps");
    EXPECT_TRUE(Again.Record(0).Loaded());
}

TEST(RegTable, DescriptionTextsAreCutToTheirFieldsButPathsStayWhole)
{
    TRegRecord R = MakeRecord(std::string(300, 'p') + ".mps", 1, std::string(60, 'u'));
    R.Temperature = std::string(30, '9');
    std::vector<TRegRecord> Back;
    std::string Error;
    ASSERT_TRUE(TRegTable::Decode(TRegTable::Encode({R}), Back, Error)) << Error;
    EXPECT_EQ(Back[0].User, std::string(50, 'u'));
    EXPECT_EQ(Back[0].Temperature, std::string(20, '9'));
    EXPECT_EQ(Back[0].FileName, R.FileName);
}

TEST(RegTable, SortsTextsWithoutRegardToCaseAndPlacesChangedRecords)
{
    TTempDir Dir;
    TRegTable Table;
    ASSERT_TRUE(Table.Open(Dir.File("exp.d")));
    Table.Append(MakeRecord("1.mps", 1, "bob"));
    Table.Append(MakeRecord("2.mps", 2, "Amy"));
    Table.Append(MakeRecord("3.mps", 3, "carl"));
    Table.Append(MakeRecord("4.mps", 4, "alan"));
    Table.SortBy(TRegField::User);
    EXPECT_EQ(Users(Table), (std::vector<std::string>{"alan", "Amy", "bob", "carl"}));
    // A changed record moves to its place under the order in force.
    TRegRecord Changed = Table.Record(0);
    Changed.User = "Zed";
    EXPECT_EQ(Table.Update(0, Changed), 3);
    EXPECT_EQ(Users(Table), (std::vector<std::string>{"Amy", "bob", "carl", "Zed"}));
    // Back on the date index, an appended record with an early date goes first.
    Table.SortBy(TRegField::Date);
    EXPECT_EQ(Users(Table), (std::vector<std::string>{"bob", "Amy", "carl", "Zed"}));
    TRegRecord Early = MakeRecord("0.mps", 1, "early");
    Early.Date.Hour = 1;
    EXPECT_EQ(Table.Append(Early), 0);
    // Equal dates keep the order they came in.
    EXPECT_EQ(Table.Append(MakeRecord("5.mps", 1, "same")), 2);
    // A changed record whose key equals its neighbours' stays where it is, so a walk that
    // posts each record in turn meets every record once.
    EXPECT_EQ(Users(Table), (std::vector<std::string>{"early", "bob", "same", "Amy", "carl", "Zed"}));
    for (int i = 0; i < 3; ++i) {
        TRegRecord Same = Table.Record(i);
        Same.Compound = "posted";
        EXPECT_EQ(Table.Update(i, Same), i);
    }
    EXPECT_EQ(Users(Table), (std::vector<std::string>{"early", "bob", "same", "Amy", "carl", "Zed"}));
}

TEST(RegTable, EveryCutPointOfAFileGivesAClearError)
{
    const std::string Bytes = TRegTable::Encode({MakeRecord("a.mps", 1, "amy"), MakeRecord("b.mps", 2, "bob")});
    for (std::size_t Cut = 0; Cut < Bytes.size(); ++Cut) {
        std::vector<TRegRecord> Records;
        std::string Error;
        EXPECT_FALSE(TRegTable::Decode(Bytes.substr(0, Cut), Records, Error)) << "cut at " << Cut;
        EXPECT_FALSE(Error.empty()) << "cut at " << Cut;
        EXPECT_TRUE(Records.empty());
    }
}

TEST(RegTable, DamagedFieldsAreRefused)
{
    const std::string Good = TRegTable::Encode({MakeRecord("a.mps", 1, "amy")});
    struct Case {
        const char* What;
        std::size_t Offset;
        std::string Bytes;
        const char* Expected;
    };
    // Offsets: header 14 bytes, record length at 14, file name length at 18.
    const Case Cases[] = {
        {"magic", 0, "X", "not a register file"},
        {"version", 8, std::string("\x02\x00", 2), "version 2"},
        {"huge count", 10, std::string("\xff\xff\xff\x7f", 4), "does not fit"},
        {"record length too long", 14, std::string("\xff\xff\x00\x00", 4), "does not fit"},
        {"file name longer than the record", 18, std::string("\xff\x00", 2), "cut off"},
        {"user longer than its field", 18 + 2 + 12, std::string("\x33\x00", 2), "longer than its field"},
    };
    for (const Case& C : Cases) {
        std::string Bytes = Good;
        Bytes.replace(C.Offset, C.Bytes.size(), C.Bytes);
        std::vector<TRegRecord> Records;
        std::string Error;
        EXPECT_FALSE(TRegTable::Decode(Bytes, Records, Error)) << C.What;
        EXPECT_NE(Error.find(C.Expected), std::string::npos) << C.What << ": " << Error;
    }
    std::vector<TRegRecord> Records;
    std::string Error;
    EXPECT_FALSE(TRegTable::Decode(Good + "x", Records, Error));
    EXPECT_NE(Error.find("follow the last record"), std::string::npos) << Error;
}

TEST(RegTable, ADamagedFileIsKeptAsideAndTheRegisterStartsEmpty)
{
    TTempDir Dir;
    const std::string File = Dir.File("exp.d");
    const std::string Bytes = TRegTable::Encode({MakeRecord("a.mps", 1, "amy")});
    WriteFileText(File, Bytes.substr(0, Bytes.size() - 3));
    TRegTable Table;
    EXPECT_FALSE(Table.Open(File));
    EXPECT_NE(Table.Error().find("is damaged"), std::string::npos) << Table.Error();
    EXPECT_NE(Table.Error().find("exp.d.damaged"), std::string::npos) << Table.Error();
    EXPECT_TRUE(Table.Active());
    EXPECT_EQ(Table.Count(), 0);
    EXPECT_EQ(ReadFileText(File + ".damaged"), Bytes.substr(0, Bytes.size() - 3));
    Table.Append(MakeRecord("b.mps", 2, "bob"));
    EXPECT_EQ(ReadFileText(File + ".damaged"), Bytes.substr(0, Bytes.size() - 3));
    TRegTable Again;
    ASSERT_TRUE(Again.Open(File));
    EXPECT_EQ(Users(Again), std::vector<std::string>{"bob"});
}

TEST(RegTable, AFailedWriteLeavesThePreviousFile)
{
    TTempDir Dir;
    const std::string File = Dir.File("exp.d");
    TRegTable Table;
    ASSERT_TRUE(Table.Open(File));
    Table.Append(MakeRecord("a.mps", 1, "amy"));
    const std::string Before = ReadFileText(File);
    // A file-size limit below the new image makes the write fail as a full disk would.
    rlimit Old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &Old), 0);
    const auto OldSignal = signal(SIGXFSZ, SIG_IGN);
    rlimit Small = Old;
    Small.rlim_cur = Before.size() + 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &Small), 0);
    Table.Append(MakeRecord("b.mps", 2, "bob"));
    setrlimit(RLIMIT_FSIZE, &Old);
    signal(SIGXFSZ, OldSignal);
    EXPECT_TRUE(Table.WriteFailed());
    EXPECT_NE(Table.Error().find("cannot be written"), std::string::npos) << Table.Error();
    EXPECT_EQ(ReadFileText(File), Before);
    EXPECT_EQ(Table.Count(), 2);
    // The next change that can be written brings the file up to date.
    Table.Delete(0);
    EXPECT_FALSE(Table.WriteFailed());
    TRegTable Again;
    ASSERT_TRUE(Again.Open(File));
    EXPECT_EQ(Users(Again), std::vector<std::string>{"bob"});
}

TEST(RegTable, ARewriteKeepsTheModeOfTheFileItReplaces)
{
    TTempDir Dir;
    const std::string File = Dir.File("exp.d");
    TRegTable Table;
    ASSERT_TRUE(Table.Open(File));
    Table.Append(MakeRecord("a.mps", 1, "amy"));
    for (mode_t Mode : {mode_t(0600), mode_t(0640), mode_t(0664)}) {
        ASSERT_EQ(chmod(File.c_str(), Mode), 0);
        Table.Append(MakeRecord("b.mps", 2, "bob"));
        ASSERT_FALSE(Table.WriteFailed()) << Table.Error();
        struct stat Info {};
        ASSERT_EQ(stat(File.c_str(), &Info), 0);
        EXPECT_EQ(Info.st_mode & 07777, Mode);
    }
}

TEST(RegTable, AFailedWriteIsToldOnceUntilAWriteWorksAgain)
{
    TTempDir Dir;
    const std::string File = Dir.File("exp.d");
    TRegTable Table;
    ASSERT_TRUE(Table.Open(File));
    std::vector<std::string> Told;
    Table.OnWriteFailed = [&](const std::string& Error) { Told.push_back(Error); };
    Table.Append(MakeRecord("a.mps", 1, "amy"));
    rlimit Old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &Old), 0);
    const auto OldSignal = signal(SIGXFSZ, SIG_IGN);
    rlimit Small = Old;
    Small.rlim_cur = ReadFileText(File).size() + 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &Small), 0);
    Table.Append(MakeRecord("b.mps", 2, "bob"));
    Table.Append(MakeRecord("c.mps", 3, "cid"));
    setrlimit(RLIMIT_FSIZE, &Old);
    signal(SIGXFSZ, OldSignal);
    ASSERT_EQ(Told.size(), 1u);
    EXPECT_NE(Told[0].find(File), std::string::npos) << Told[0];
    EXPECT_NE(Told[0].find("File too large"), std::string::npos) << Told[0];
    Table.Delete(0);
    EXPECT_FALSE(Table.WriteFailed());
    EXPECT_EQ(Told.size(), 1u);
}

}  // namespace
