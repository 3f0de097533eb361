// Test helpers for data sets and set files: the filer module loaded as the program
// loads it, sample sets, and a full description of a set for byte-exact comparison.
#pragma once
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>
#include "platform/filer/SXFiler.h"
#include "platform/kvcls/kvcls.h"
#include "platform/tabrix/SXDataSet.h"
#include "TestSupport.h"

// The filer of the module "zelfiler.so" in the program folder, through TCustomDLL and
// its export; the module stays loaded for the whole test program.
inline std::string FilerProgramDir() { return ProgramDir(); }

inline ISXFiler* LoadFilerModule()
{
    static TCustomDLL Library;
    if (!Library.GetLoaded()) Library.SetFileName(FilerProgramDir() + "zelfiler.so");
    if (!Library.GetLoaded()) return nullptr;
    auto Get = reinterpret_cast<TGetSXFiler>(GetProcAddress(Library.Handle, "_GetSXFiler"));
    return Get ? Get() : nullptr;
}

inline void FillColumn(TSXColumnInfo* Info, const std::string& Name, const std::string& ShortName,
                       const std::string& Unit)
{
    Info->Flags = 0;
    WriteFixedText(Info->Name, Name);
    WriteFixedText(Info->ShortName, ShortName);
    WriteFixedText(Info->Unit, Unit);
}

inline void AddBytesProperty(ISXDataSet* Set, const char* Name, const std::vector<unsigned char>& Bytes)
{
    IH<ISXDataProperty> Property = Set->AddProperty(Name, static_cast<int>(Bytes.size()));
    if (!Bytes.empty()) std::memcpy(Property->GetData(), Bytes.data(), Bytes.size());
}

// A table filled with values that depend on table, column and row.
inline void AddTable(ISXDataSet* Set, const char* Name, const char* DisplayName, int Columns, int Rows, int AxisX,
                     int AxisLeft, int AxisRight)
{
    TPTableData Table(TPTableData::CreateSXTableData(Set, "ZelTable", Name, Columns, 100));
    Table.SetTableName(DisplayName);
    Table.SetDefAxisIdx(0, AxisX);
    Table.SetDefAxisIdx(1, AxisLeft);
    Table.SetDefAxisIdx(2, AxisRight);
    for (int c = 0; c < Columns; ++c)
        FillColumn(Table.GetColumnInfo(c), "Column " + std::to_string(c) + " of " + Name, "C" + std::to_string(c),
                   c % 2 ? "mN/m" : "");
    for (int r = 0; r < Rows; ++r) {
        Table.AddRows(1);
        for (int c = 0; c < Columns; ++c)
            Table.SetData(c, r, static_cast<float>(r) * 0.25f + static_cast<float>(c) * 1000.5f);
    }
    Table.Pack();
}

// Three experiment properties, one the program does not know, and four tables: one
// with a 50-character column name, one without rows, one with special float values.
inline void FillSampleSet(ISXDataSet* Set, int Rows = 200)
{
    AddBytesProperty(Set, "ZelExperimentInfoStr", {'U', 's', 'e', 'r', '\n', 'x', 0});
    std::vector<unsigned char> Info(250, 0);
    for (int i = 0; i < 50; ++i) Info[i] = static_cast<unsigned char>('a' + i % 26);  // no terminating zero
    std::memcpy(&Info[50], "Stearic acid", 12);
    AddBytesProperty(Set, "ZelExperimentInfo", Info);
    AddBytesProperty(Set, "DateTime", {0xD6, 0x07, 12, 31, 23, 59, 59, 231});
    AddBytesProperty(Set, "Unknown", {0, 1, 2, 0xFF, 0, 0x80});
    AddBytesProperty(Set, "EmptyProperty", {});

    AddTable(Set, "Isotherm", "Isotherm", 7, Rows, 0, 1, -1);
    AddTable(Set, "Nothing yet", "Nothing yet", 3, 0, -1, -1, -1);
    AddTable(Set, "Isotherm (bw)", "Isotherm back", 2, 5, 1, 0, 1);
    {
        TPTableData Table(Set->FindField("ZelTable", "Isotherm (bw)"));
        Table.SetData(0, 0, std::numeric_limits<float>::quiet_NaN());
        Table.SetData(0, 1, std::numeric_limits<float>::infinity());
        Table.SetData(0, 2, -0.0f);
        Table.SetData(1, 4, std::numeric_limits<float>::denorm_min());
        FillColumn(Table.GetColumnInfo(1), std::string(50, 'N'), std::string(50, 'S'), std::string(60, 'U'));
    }
    AddTable(Set, "Deposition", "Deposition", 10, 3, 8, 7, 9);
}

inline std::string HexBytes(const void* Data, size_t Size)
{
    std::string Text;
    char Buffer[4];
    for (size_t i = 0; i < Size; ++i) {
        std::snprintf(Buffer, sizeof Buffer, "%02x", static_cast<const unsigned char*>(Data)[i]);
        Text += Buffer;
    }
    return Text;
}

// Everything the set holds, in its order, with every byte and every cell's bits.
inline std::string DescribeSet(TSXDataSet& Set)
{
    std::string Text;
    for (int i = 0; i < Set.GetPropertyCount(); ++i) {
        IH<ISXDataProperty> Property = Set.GetProperty(i);
        Text += std::string("property ") + Set.GetPropertyName(i) + " " + std::to_string(Property->GetSize()) + " " +
                HexBytes(Property->GetData(), static_cast<size_t>(Property->GetSize())) + "\n";
    }
    for (int i = 0; i < Set.GetAllFieldCount(); ++i) {
        TPTableData Table(Set.GetAllField(i));
        Text += std::string("table ") + Set.GetFieldCategory(i) + "/" + Table.Field->GetName() + " shown as " +
                Table.GetTableName() + " " + std::to_string(Table.GetNumColumns()) + "x" +
                std::to_string(Table.GetNumRows()) + " axes " + std::to_string(Table.GetDefAxisIdx(0)) + "," +
                std::to_string(Table.GetDefAxisIdx(1)) + "," + std::to_string(Table.GetDefAxisIdx(2)) + "\n";
        for (int c = 0; c < Table.GetNumColumns(); ++c) {
            std::vector<float> Cells(static_cast<size_t>(Table.GetNumRows()));
            Table.CopyColumn(c, 0, Table.GetNumRows(), Cells.data());
            Text += "  column " + HexBytes(Table.GetColumnInfo(c), sizeof(TSXColumnInfo)) + "\n  cells " +
                    HexBytes(Cells.data(), Cells.size() * sizeof(float)) + "\n";
        }
    }
    return Text;
}

inline bool IsEmptySet(TSXDataSet& Set) { return Set.GetPropertyCount() == 0 && Set.GetAllFieldCount() == 0; }

// A set file of one table whose header claims Columns x Rows cells, its size on the disk
// as large as the claim but sparse: the first 4 KiB are written, the rest is a hole, as
// a damaged or crafted file can be. The checksum is left zero. The bytes it claims.
inline std::uint64_t WriteSparseSetFile(const std::string& Path, std::uint32_t Columns, std::uint32_t Rows)
{
    std::string Bytes("ZELMPS\x1A\0", 8);
    auto U32 = [&](std::uint32_t Value) {
        for (int i = 0; i < 4; ++i) Bytes += static_cast<char>(Value >> (8 * i) & 0xFF);
    };
    auto Text = [&](const std::string& Value) {
        U32(static_cast<std::uint32_t>(Value.size()));
        Bytes += Value;
    };
    U32(1);  // version
    U32(0);  // properties
    U32(1);  // tables
    Text("ZelTable");
    Text("Isotherm");
    Text("Isotherm");
    U32(Columns);
    U32(Rows);
    for (int Axis = 0; Axis < 3; ++Axis) U32(0xFFFFFFFFu);
    Bytes.append(std::size_t(Columns) * sizeof(TSXColumnInfo), '\0');
    const std::uint64_t Claimed = std::uint64_t(Columns) * Rows * 4;
    const std::uint64_t Size = Bytes.size() + Claimed + 4;
    Bytes.resize(std::max<std::size_t>(Bytes.size(), 4096), '\0');
    std::FILE* File = std::fopen(Path.c_str(), "wb");
    if (!File) return 0;
    const bool Written = std::fwrite(Bytes.data(), 1, Bytes.size(), File) == Bytes.size() && std::fflush(File) == 0 &&
                         ::ftruncate(::fileno(File), static_cast<off_t>(Size)) == 0;
    std::fclose(File);
    return Written ? Claimed : 0;
}
