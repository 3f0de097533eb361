#include <gtest/gtest.h>
#include <cstring>
#include <memory>
#include "platform/tabrix/SXDataSet.h"
#include "platform/base/Strings.h"

namespace {

TEST(SXDataSet, TablesAreMadeFoundAndListedInTheSetsOrder)
{
    std::unique_ptr<ISXDataSet> Set(new TSXDataSet());
    EXPECT_STREQ(Set->GetFileName(), "");
    ASSERT_NE(TPTableData::CreateSXTableData(Set.get(), "ZelTable", "B", 3, 100), nullptr);
    ASSERT_NE(TPTableData::CreateSXTableData(Set.get(), "ZelTable", "A", 2, 100), nullptr);

    struct Case {
        const char* Category;
        const char* Name;
        int Columns;
        int Rows;
    };
    // A repeated name, no name, no columns and a negative reserve are all refused.
    for (const Case& C : {Case{"ZelTable", "A", 2, 100}, Case{"ZelTable", "", 2, 100}, Case{"ZelTable", "C", 0, 100},
                          Case{"ZelTable", "C", 2, -1}, Case{"", "C", 2, 100}})
        EXPECT_EQ(TPTableData::CreateSXTableData(Set.get(), C.Category, C.Name, C.Columns, C.Rows), nullptr)
            << C.Name << "/" << C.Columns << "/" << C.Rows;
    EXPECT_EQ(TPTableData::CreateSXTableData(nullptr, "ZelTable", "C", 2, 100), nullptr);

    EXPECT_EQ(Set->GetFieldCount("ZelTable"), 2);
    EXPECT_EQ(Set->GetFieldCount("Other"), 0);
    EXPECT_STREQ(Set->GetField("ZelTable", 0)->GetName(), "B");
    EXPECT_EQ(Set->GetField("ZelTable", 2), nullptr);
    EXPECT_EQ(Set->FindField("ZelTable", "missing"), nullptr);
    EXPECT_EQ(Set->FindField("ZelTable", "A")->GetDataSet(), Set.get());

    TStringList Names;
    Names.Add("kept");
    Set->GetFieldNames("ZelTable", &Names);
    EXPECT_EQ(Names.Text(), "kept\nB\nA\n");

    Set->SetFileName("/data/zel2601011200.mps");
    EXPECT_STREQ(Set->GetFileName(), "/data/zel2601011200.mps");
}

TEST(SXDataSet, TableAccessorAddsSetsCutsAndClearsRows)
{
    TSXDataSet Set;
    TPTableData Table(TPTableData::CreateSXTableData(&Set, "ZelTable", "Isotherm", 3, 100));
    ASSERT_TRUE(Table.Valid);
    EXPECT_EQ(Table.GetNumColumns(), 3);
    EXPECT_EQ(Table.GetNumRows(), 0);
    EXPECT_STREQ(Table.GetTableName(), "Isotherm");
    for (int r = 0; r < 250; ++r) {  // beyond the reserve
        Table.AddRows(1);
        for (int c = 0; c < 3; ++c) Table.SetData(c, r, float(r * 10 + c));
    }
    EXPECT_EQ(Table.GetNumRows(), 250);
    EXPECT_EQ(Table.GetData(2, 249), 2492.0f);
    // Out of range cells are ignored and read as 0.
    Table.SetData(3, 0, 5.0f);
    Table.SetData(0, 250, 5.0f);
    EXPECT_EQ(Table.GetData(3, 0), 0.0f);
    EXPECT_EQ(Table.GetData(-1, 0), 0.0f);
    EXPECT_EQ(Table.GetData(0, 250), 0.0f);

    Table.SetNumRows(100);
    EXPECT_EQ(Table.GetNumRows(), 100);
    EXPECT_EQ(Table.GetData(1, 99), 991.0f);
    Table.AddRows(2);
    EXPECT_EQ(Table.GetData(1, 101), 0.0f);  // new rows start at zero
    Table.Pack();
    EXPECT_EQ(Table.GetData(1, 99), 991.0f);
    Table.Clear();
    EXPECT_EQ(Table.GetNumRows(), 0);

    EXPECT_EQ(Table.GetDefAxisIdx(0), -1);
    Table.SetDefAxisIdx(0, 2);
    Table.SetDefAxisIdx(1, 3);  // no such column: unchanged
    Table.SetDefAxisIdx(3, 0);  // no such axis
    EXPECT_EQ(Table.GetDefAxisIdx(0), 2);
    EXPECT_EQ(Table.GetDefAxisIdx(1), -1);
    EXPECT_EQ(Table.GetDefAxisIdx(3), -1);
    Table.SetTableName("Shown name");
    EXPECT_STREQ(Table.GetTableName(), "Shown name");
    EXPECT_STREQ(Table.Field->GetName(), "Isotherm");

    ASSERT_NE(Table.GetColumnInfo(2), nullptr);
    EXPECT_EQ(Table.GetColumnInfo(3), nullptr);
    EXPECT_EQ(Table.GetColumnInfo(2)->Flags, 0);
    EXPECT_EQ(ReadFixedText(Table.GetColumnInfo(2)->Name), "");

    TPTableData Invalid(nullptr);
    EXPECT_FALSE(Invalid.Valid);
    EXPECT_EQ(Invalid.GetNumRows(), 0);
    Invalid.AddRows(1);
    EXPECT_EQ(Invalid.GetColumnInfo(0), nullptr);
}

TEST(SXDataSet, FixedTextKeepsAtMostFiftyBytesWithoutRunningOn)
{
    struct Case {
        std::string Text;
        std::string Read;
        bool Terminated;
    };
    for (const Case& C :
         {Case{"", "", true}, Case{"SP", "SP", true}, Case{std::string(49, 'x'), std::string(49, 'x'), true},
          Case{std::string(50, 'y'), std::string(50, 'y'), false},
          Case{std::string(70, 'z'), std::string(50, 'z'), false}}) {
        TSXColumnInfo Info;
        std::memset(&Info, 0x55, sizeof Info);
        WriteFixedText(Info.Name, C.Text);
        EXPECT_EQ(ReadFixedText(Info.Name), C.Read);
        EXPECT_EQ(Info.Name[49] == 0, C.Terminated) << C.Text.size();
        for (size_t i = C.Read.size(); i < 50; ++i) EXPECT_EQ(Info.Name[i], 0) << i;
        EXPECT_EQ(static_cast<unsigned char>(Info.ShortName[0]), 0x55);  // the neighbour is untouched
    }
}

TEST(SXDataSet, PropertiesAreAddedFoundAndResized)
{
    TSXDataSet Set;
    EXPECT_FALSE(Set.HasProperty("DateTime"));
    EXPECT_FALSE(Set.FindProperty("DateTime").IsAssigned());
    EXPECT_FALSE(Set.AddProperty("", 4).IsAssigned());
    EXPECT_FALSE(Set.AddProperty("X", -1).IsAssigned());

    IH<ISXDataProperty> Property = Set.AddProperty("DateTime", 8);
    ASSERT_TRUE(Property.IsAssigned());
    EXPECT_EQ(Property->GetSize(), 8);
    std::memcpy(Property->GetData(), "12345678", 8);
    Property->SetSize(10);
    EXPECT_EQ(std::string(Property->GetData(), 10), std::string("12345678\0\0", 10));
    Property->SetSize(3);
    EXPECT_EQ(Set.FindProperty("DateTime")->GetSize(), 3);
    // Adding an existing name gives that property, not a second one.
    EXPECT_EQ(Set.AddProperty("DateTime", 8).Get(), Property.Get());
    EXPECT_EQ(Set.GetPropertyCount(), 1);
    EXPECT_TRUE(Set.HasProperty("DateTime"));
    EXPECT_FALSE(Set.HasProperty("datetime"));
}

// Reference counting of the holder and of tables and properties that outlive their set.
struct TCounted {
    int Count = 0;
    int AddRef() { return ++Count; }
    int Release() { return --Count; }
};

TEST(SXDataSet, HolderCountsOncePerPointerAndLetsGo)
{
    TCounted A, B;
    {
        IH<TCounted> First(&A);
        EXPECT_EQ(A.Count, 1);
        IH<TCounted> Second(First);
        EXPECT_EQ(A.Count, 2);
        Second = First;  // the same pointer: nothing changes
        EXPECT_EQ(A.Count, 2);
        Second = &B;
        EXPECT_EQ(A.Count, 1);
        EXPECT_EQ(B.Count, 1);
        Second = Second;
        EXPECT_EQ(B.Count, 1);
        IH<TCounted> Moved(std::move(Second));
        EXPECT_EQ(B.Count, 1);
        EXPECT_FALSE(Second.IsAssigned());
        IH<TCounted> Empty(nullptr);
        EXPECT_FALSE(Empty.IsAssigned());
    }
    EXPECT_EQ(A.Count, 0);
    EXPECT_EQ(B.Count, 0);
}

TEST(SXDataSet, HeldTableAndPropertyOutliveTheirSet)
{
    auto* Set = new TSXDataSet();
    auto Table = std::make_unique<TPTableData>(TPTableData::CreateSXTableData(Set, "ZelTable", "T", 1, 10));
    IH<ISXDataProperty> Property = Set->AddProperty("P", 4);
    Table->AddRows(1);
    Table->SetData(0, 0, 1.5f);
    delete static_cast<ISXDataSet*>(Set);
    // Under the address sanitizer any use of freed memory here fails the test.
    EXPECT_EQ(Table->Field->GetDataSet(), nullptr);
    EXPECT_EQ(Table->GetData(0, 0), 1.5f);
    Property->SetSize(8);
    EXPECT_EQ(Property->GetSize(), 8);
}

TEST(SXDataSet, ChangesMarkTheSetModified)
{
    TSXDataSet Set;
    EXPECT_FALSE(Set.GetModified());
    Set.AddProperty("P", 1);
    EXPECT_TRUE(Set.GetModified());
    TPTableData Table(TPTableData::CreateSXTableData(&Set, "ZelTable", "T", 1, 10));
    Set.SetModified(false);
    Table.GetData(0, 0);
    Table.GetColumnInfo(0);
    EXPECT_FALSE(Set.GetModified());  // reading is no change
    Table.AddRows(1);
    EXPECT_TRUE(Set.GetModified());
}

}  // namespace
