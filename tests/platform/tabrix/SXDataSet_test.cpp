#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>
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

// Cell values that tell every column and row apart.
float CellValue(int Column, int Row) { return float(Row) * 4.0f + float(Column) + 0.25f; }

void FillRows(TPTableData& Table, int From, int To)
{
    for (int r = From; r < To; ++r)
        for (int c = 0; c < Table.GetNumColumns(); ++c) Table.SetData(c, r, CellValue(c, r));
}

// Every cell read three ways (one by one, run by run, copied in bulk) against the values
// written, up to Rows.
void ExpectCells(const TPTableData& Table, int Rows)
{
    ASSERT_EQ(Table.GetNumRows(), Rows);
    for (int c = 0; c < Table.GetNumColumns(); ++c) {
        std::vector<float> Copied(static_cast<size_t>(Rows) + 1, -1.0f);
        EXPECT_EQ(Table.CopyColumn(c, 0, Rows + 1, Copied.data()), Rows);
        EXPECT_EQ(Copied[static_cast<size_t>(Rows)], -1.0f);  // nothing beyond the rows
        int Row = 0;
        while (Row < Rows) {
            int Count = 0;
            const float* Cells = Table.GetCellRun(c, Row, Count);
            ASSERT_NE(Cells, nullptr);
            ASSERT_GE(Count, 1);
            ASSERT_LE(Row + Count, Rows);
            for (int i = 0; i < Count; ++i, ++Row) {
                ASSERT_EQ(Cells[i], CellValue(c, Row)) << c << "," << Row;
                ASSERT_EQ(Table.GetData(c, Row), CellValue(c, Row));
                ASSERT_EQ(Copied[static_cast<size_t>(Row)], CellValue(c, Row));
            }
        }
        int Count = 7;
        EXPECT_EQ(Table.GetCellRun(c, Rows, Count), nullptr);
        EXPECT_EQ(Count, 0);
    }
}

TEST(SXDataSet, LongTablesKeepEveryCellThroughGrowthCutsAndPacks)
{
    // Sizes around the storage pieces of 65,536 rows; grown in steps of Step rows, packed
    // at PackAt rows, cut to CutTo and grown again to the end.
    struct Case {
        int Reserve, Rows, Step, PackAt, CutTo;
    };
    const Case Cases[] = {
        {0, 1, 1, 1, 0},
        {100, 250, 1, 100, 99},
        {100, 65536, 997, 65536, 65535},
        {0, 65537, 65537, 65537, 1},
        {10, 140000, 3001, 70000, 65536},  // packed inside the second piece, then grown on
        {200000, 131073, 50000, 131072, 131071},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Rows);
        TSXDataSet Set;
        TPTableData Table(TPTableData::CreateSXTableData(&Set, "ZelTable", "T", 3, C.Reserve));
        bool Packed = false;
        for (int Rows = 0; Rows < C.Rows;) {
            const int Step = std::min(C.Step, C.Rows - Rows);
            Table.AddRows(Step);
            EXPECT_EQ(Table.GetData(2, Rows + Step - 1), 0.0f);  // new rows start at zero
            FillRows(Table, Rows, Rows + Step);
            Rows += Step;
            if (!Packed && Rows >= C.PackAt) {
                Table.Pack();
                Packed = true;
                ExpectCells(Table, Rows);
            }
        }
        ExpectCells(Table, C.Rows);
        // Rows cut and added again start at zero, not at their old values.
        Table.SetNumRows(C.CutTo);
        Table.AddRows(C.Rows - C.CutTo);
        for (int r = C.CutTo; r < C.Rows; r += std::max(1, (C.Rows - C.CutTo) / 7))
            EXPECT_EQ(Table.GetData(1, r), 0.0f) << r;
        FillRows(Table, C.CutTo, C.Rows);
        Table.Pack();
        ExpectCells(Table, C.Rows);
    }
}

TEST(SXDataSet, FullStoragePiecesStayInPlaceAsTheTableGrows)
{
    TSXDataSet Set;
    TPTableData Table(TPTableData::CreateSXTableData(&Set, "ZelTable", "T", 2, 100));
    Table.AddRows(65536);
    FillRows(Table, 0, 65536);
    int Count = 0;
    const float* First = std::as_const(Table).GetCellRun(1, 0, Count);
    EXPECT_EQ(Count, 65536);
    // A long run adds storage beside what it holds: the rows already there never move,
    // not while growing and not when the table is packed at the end.
    for (int Rows = 65536; Rows < 300536; Rows += 1000) {
        Table.AddRows(1000);
        FillRows(Table, Rows, Rows + 1000);
    }
    Table.Pack();
    EXPECT_EQ(std::as_const(Table).GetCellRun(1, 0, Count), First);
    ExpectCells(Table, 300536);
}

TEST(SXDataSet, SnapshotStaysAsTakenWhileEitherSideChanges)
{
    TSXDataSet Set;
    Set.SetFileName("/data/run.mps");
    {
        IH<ISXDataProperty> Info = Set.AddProperty("Info", 3);
        std::memcpy(Info->GetData(), "abc", 3);
    }
    TPTableData Table(TPTableData::CreateSXTableData(&Set, "ZelTable", "T", 2, 10));
    Table.SetTableName("Shown");
    Table.SetDefAxisIdx(0, 1);
    Table.AddRows(70000);
    FillRows(Table, 0, 70000);

    const std::uint64_t Before = Set.GetChangeCount();
    std::unique_ptr<TSXDataSet> Copy = Set.Snapshot();
    EXPECT_EQ(Set.GetChangeCount(), Before);  // taking a snapshot is no change
    EXPECT_STREQ(Copy->GetFileName(), "/data/run.mps");

    // The set goes on: a cell in a shared piece, rows added, a property changed.
    Table.SetData(0, 5, -1.0f);
    Table.SetData(1, 69999, -2.0f);
    Table.AddRows(10);
    {
        IH<ISXDataProperty> Info = Set.FindProperty("Info");
        Info->GetData()[0] = 'X';
        Info->SetSize(1);
    }
    EXPECT_GT(Set.GetChangeCount(), Before);

    TPTableData Taken(Copy->FindField("ZelTable", "T"));
    ASSERT_TRUE(Taken.Valid);
    EXPECT_EQ(Taken.Field->GetDataSet(), Copy.get());
    EXPECT_STREQ(Taken.GetTableName(), "Shown");
    EXPECT_EQ(Taken.GetDefAxisIdx(0), 1);
    ExpectCells(Taken, 70000);
    IH<ISXDataProperty> TakenInfo = Copy->FindProperty("Info");
    ASSERT_TRUE(TakenInfo.IsAssigned());
    EXPECT_EQ(std::string(TakenInfo->GetData(), 3), "abc");

    // And the other way round: writing to the snapshot leaves the set alone.
    Taken.SetData(1, 6, -3.0f);
    int Count = 0;
    Taken.GetCellRun(0, 65536, Count)[0] = -4.0f;
    EXPECT_EQ(Table.GetData(1, 6), CellValue(1, 6));
    EXPECT_EQ(Table.GetData(0, 65536), CellValue(0, 65536));
    EXPECT_EQ(Table.GetData(0, 5), -1.0f);
    EXPECT_EQ(Table.GetData(1, 69999), -2.0f);
    EXPECT_EQ(Table.GetNumRows(), 70010);
}

TEST(SXDataSet, FilledTablesActLikeGrownOnes)
{
    // A table filled in one block: small (plain memory) and large enough for its own
    // mapping, each over several storage pieces or inside one; the large ones again, in
    // the block the one before let go of.
    struct Case {
        int Columns, Rows;
    };
    const Case Cases[] = {{3, 1}, {3, 70000}, {7, 200001}, {7, 200001}, {5, 230000}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Rows);
        TSXDataSet Set;
        TPTableData Table(TPTableData::CreateSXTableData(&Set, "ZelTable", "T", C.Columns, 100));
        Set.SetModified(false);
        float* Cells = Table.FillRows(C.Rows);
        ASSERT_NE(Cells, nullptr);
        EXPECT_TRUE(Set.GetModified());
        for (int c = 0; c < C.Columns; ++c)
            for (int r = 0; r < C.Rows; ++r)
                Cells[std::size_t(c) * std::size_t(C.Rows) + std::size_t(r)] = CellValue(c, r);
        ExpectCells(Table, C.Rows);
        // Only an empty table is filled.
        EXPECT_EQ(Table.FillRows(5), nullptr);
        EXPECT_EQ(Table.GetNumRows(), C.Rows);

        // A snapshot shares the block; a write on either side reaches that side only.
        std::unique_ptr<TSXDataSet> Copy = Set.Snapshot();
        TPTableData Taken(Copy->FindField("ZelTable", "T"));
        Table.SetData(0, C.Rows - 1, -1.0f);
        Taken.SetData(C.Columns - 1, 0, -2.0f);
        EXPECT_EQ(Taken.GetData(0, C.Rows - 1), CellValue(0, C.Rows - 1));
        EXPECT_EQ(Table.GetData(C.Columns - 1, 0), CellValue(C.Columns - 1, 0));
        Copy.reset();
        EXPECT_EQ(Taken.GetData(C.Columns - 1, 0), -2.0f);  // the held table outlives its set
        Table.SetData(0, C.Rows - 1, CellValue(0, C.Rows - 1));

        // Packing keeps every cell; growing on adds zero rows after them.
        Table.Pack();
        ExpectCells(Table, C.Rows);
        Table.AddRows(70000);
        EXPECT_EQ(Table.GetData(1, C.Rows), 0.0f);
        EXPECT_EQ(Table.GetData(2, C.Rows + 69999), 0.0f);
        FillRows(Table, C.Rows, C.Rows + 70000);
        ExpectCells(Table, C.Rows + 70000);
    }
    TSXDataSet Set;
    TPTableData Table(TPTableData::CreateSXTableData(&Set, "ZelTable", "T", 2, 0));
    EXPECT_EQ(Table.FillRows(0), nullptr);
    EXPECT_EQ(Table.FillRows(-3), nullptr);
    EXPECT_EQ(Table.GetNumRows(), 0);
}

}  // namespace
