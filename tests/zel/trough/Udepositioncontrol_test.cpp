// The deposition window's module: its table factory, shared with the script window.
#include "zel/trough/Udepositioncontrol.h"

#include <gtest/gtest.h>

#include "platform/tabrix/SXDataSet.h"

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

}  // namespace
