#include <gtest/gtest.h>
#include <cstring>
#include "platform/tabrix/SXDataSet.h"
#include "zel/experiment/Sxproperty.h"

namespace {

TEST(Sxproperty, FiftyCharacterUserNameIsStoredWithoutZeroAndReadBackAlone)
{
    TSXDataSet Set;
    {
        TSXPropertyRef<TZelExperimentInfo> Info(&Set, PropExperimentInfo, true);
        ASSERT_NE(Info.Get(), nullptr);
        WriteFixedText(Info.Get()->UserName, std::string(50, 'u'));
        WriteFixedText(Info.Get()->CompoundName, "Stearic acid");
        WriteFixedText(Info.Get()->Temperature, std::string(80, 't'));
    }
    IH<ISXDataProperty> Stored = Set.FindProperty("ZelExperimentInfo");
    ASSERT_TRUE(Stored.IsAssigned());
    EXPECT_EQ(Stored->GetSize(), 250);
    EXPECT_EQ(Stored->GetData()[49], 'u');
    EXPECT_EQ(std::string(Stored->GetData() + 50, 13), std::string("Stearic acid\0", 13));

    TSXPropertyRef<TZelExperimentInfo> Info(&Set, PropExperimentInfo, false);
    ASSERT_NE(Info.Get(), nullptr);
    EXPECT_EQ(ReadFixedText(Info.Get()->UserName), std::string(50, 'u'));
    EXPECT_EQ(ReadFixedText(Info.Get()->CompoundName), "Stearic acid");
    EXPECT_EQ(ReadFixedText(Info.Get()->Substrate), "");
    EXPECT_EQ(ReadFixedText(Info.Get()->Temperature), std::string(50, 't'));
}

TEST(Sxproperty, MissingPropertiesReadAsAbsent)
{
    TSXDataSet Set;
    TSXPropertyRef<TSXDateTime> Date(&Set, PropDateTime, false);
    EXPECT_EQ(Date.Get(), nullptr);
    EXPECT_FALSE(Set.HasProperty("DateTime"));  // not created by a reader

    TSXPropertyA<char> Text(&Set, PropExperimentInfoStr);
    EXPECT_EQ(Text.GetData(), nullptr);
    EXPECT_EQ(Text.Size, 0);
    EXPECT_EQ(Text.AsString(), "");

    // No set, or no name: nothing is looked up and nothing can be stored.
    TSXPropertyRef<TSXDateTime> NoOwner(nullptr, PropDateTime, true);
    EXPECT_EQ(NoOwner.Get(), nullptr);
    TSXPropertyRef<TSXDateTime> NoName(&Set, "", true);
    EXPECT_EQ(NoName.Owner, nullptr);
    EXPECT_EQ(NoName.Get(), nullptr);
    TSXPropertyStr Orphan(nullptr, PropExperimentInfoStr);
    Orphan.SetText("lost");
    EXPECT_EQ(Orphan.GetData(), nullptr);
    EXPECT_EQ(Orphan.Size, 0);
}

TEST(Sxproperty, DateTimeIsCreatedWithEightBytes)
{
    TSXDataSet Set;
    {
        TSXPropertyRef<TSXDateTime> Date(&Set, PropDateTime, true);
        ASSERT_NE(Date.Get(), nullptr);
        *Date.Get() = MakeSXDateTime({2026, 12, 31, 23, 59, 59, 999});
    }
    IH<ISXDataProperty> Stored = Set.FindProperty("DateTime");
    ASSERT_EQ(Stored->GetSize(), 8);
    const unsigned char Expected[8] = {0xEA, 0x07, 12, 31, 23, 59, 59, 231};
    EXPECT_EQ(std::memcmp(Stored->GetData(), Expected, 8), 0);
    TSXPropertyRef<TSXDateTime> Date(&Set, PropDateTime, false);
    EXPECT_EQ(DateTimeText(*Date.Get()), "31/12/2026 23:59");
}

// A property stored shorter than its record (a foreign file) is never read past its end.
TEST(Sxproperty, ShortStoredRecordIsNotReadPastItsEnd)
{
    TSXDataSet Set;
    IH<ISXDataProperty> Short = Set.AddProperty("DateTime", 4);
    std::memcpy(Short->GetData(), "\xD6\x07\x05\x06", 4);
    TSXPropertyRef<TSXDateTime> Reader(&Set, PropDateTime, false);
    EXPECT_EQ(Reader.Get(), nullptr);
    TSXPropertyRef<TSXDateTime> Writer(&Set, PropDateTime, true);
    ASSERT_NE(Writer.Get(), nullptr);
    EXPECT_EQ(Short->GetSize(), 8);
    EXPECT_EQ(Writer.Get()->Year, 2006);
    EXPECT_EQ(Writer.Get()->Day, 6);
    EXPECT_EQ(Writer.Get()->MSec, 0);
}

TEST(Sxproperty, TextPropertyGrowsShrinksAndStopsAtItsEnd)
{
    TSXDataSet Set;
    {
        TSXPropertyStr Text(&Set, PropExperimentInfoStr);
        Text.SetText("short");
        EXPECT_EQ(Text.Size, 6);
        EXPECT_EQ(Text.Separator, "=");
        EXPECT_EQ(Text.LineEnd, "\n");
    }
    EXPECT_EQ(Set.FindProperty("ZelExperimentInfoStr")->GetSize(), 6);
    const std::string Long = "User: operator\nCompound: stearic acid\nBarrier speed: 10 mm/min\n";
    {
        TSXPropertyStr Text(&Set, PropExperimentInfoStr);
        EXPECT_EQ(Text.AsString(), "short");
        Text.SetText(Long);
        EXPECT_EQ(Text.AsString(), Long);
    }
    EXPECT_EQ(Set.FindProperty("ZelExperimentInfoStr")->GetSize(), static_cast<int>(Long.size() + 1));
    TSXPropertyA<char> Back(&Set, PropExperimentInfoStr);
    EXPECT_EQ(Back.AsString(), Long);
    {
        TSXPropertyStr Text(&Set, PropExperimentInfoStr);
        Text.SetText("");
    }
    EXPECT_EQ(TSXPropertyA<char>(&Set, PropExperimentInfoStr).AsString(), "");

    // A stored text without its zero byte ends with the property.
    IH<ISXDataProperty> Raw = Set.AddProperty("Raw", 3);
    std::memcpy(Raw->GetData(), "abc", 3);
    EXPECT_EQ(TSXPropertyA<char>(&Set, "Raw").AsString(), "abc");
}

TEST(Sxproperty, DateTimeRecordKeepsLowByteOfMilliseconds)
{
    struct Case {
        TLocalDateTime Time;
        unsigned Hour, Minute, Second, MSec;
    };
    for (const Case& C :
         {Case{{2026, 1, 2, 23, 59, 59, 999}, 23, 59, 59, 231}, Case{{2026, 1, 2, 14, 5, 9, 789}, 14, 5, 9, 21},
          Case{{2006, 7, 8, 0, 0, 0, 0}, 0, 0, 0, 0}, Case{{2006, 7, 8, 1, 2, 3, 256}, 1, 2, 3, 0}}) {
        TSXDateTime Record = MakeSXDateTime(C.Time);
        EXPECT_EQ(Record.Year, C.Time.Year);
        EXPECT_EQ(Record.Month, C.Time.Month);
        EXPECT_EQ(Record.Day, C.Time.Day);
        EXPECT_EQ(Record.Hour, C.Hour);
        EXPECT_EQ(Record.Minute, C.Minute);
        EXPECT_EQ(Record.Second, C.Second);
        EXPECT_EQ(Record.MSec, C.MSec) << C.Time.Millisecond;
    }
}

}  // namespace
