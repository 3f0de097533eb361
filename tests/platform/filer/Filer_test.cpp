#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include "platform/filer/FilerTestSets.h"
#include "platform/filer/MpsFormat.h"

namespace {

std::string ReadBytes(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), {});
}

void WriteBytes(const std::string& Path, const std::string& Bytes)
{
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

std::uint32_t U32At(const std::string& Bytes, size_t Offset)
{
    std::uint32_t v;
    std::memcpy(&v, Bytes.data() + Offset, 4);
    return v;
}

void PutU32At(std::string& Bytes, size_t Offset, std::uint32_t Value) { std::memcpy(Bytes.data() + Offset, &Value, 4); }

// Recomputes the trailing checksum so that the parser itself meets the damage.
void Reseal(std::string& Bytes) { PutU32At(Bytes, Bytes.size() - 4, Mps::Crc32(0, Bytes.data(), Bytes.size() - 4)); }

std::vector<std::string> FilesIn(const std::string& Folder)
{
    std::vector<std::string> Names;
    for (const auto& Entry : std::filesystem::directory_iterator(Folder)) Names.push_back(Entry.path().filename());
    std::sort(Names.begin(), Names.end());
    return Names;
}

class FilerModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        Filer = LoadFilerModule();
        ASSERT_NE(Filer, nullptr) << "zelfiler.so or its export _GetSXFiler is missing from " << ProgramDir();
    }

    // The bytes of a saved small sample set.
    std::string SampleFileBytes(int Rows = 3)
    {
        TSXDataSet Set;
        FillSampleSet(&Set, Rows);
        std::string Path = Dir.File("sample.mps");
        EXPECT_TRUE(Filer->Save(Path.c_str(), &Set, 0)) << Filer->GetLastError();
        return ReadBytes(Path);
    }

    // Loads the bytes through the module into a fresh set: the result, the reason and
    // whether the set stayed empty.
    struct TLoadResult {
        bool Ok;
        std::string Reason;
        bool Empty;
    };
    TLoadResult LoadBytes(const std::string& Bytes)
    {
        std::string Path = Dir.File("damaged.mps");
        WriteBytes(Path, Bytes);
        TSXDataSet Set;
        bool Ok = Filer->Load(Path.c_str(), &Set, 0, 1);
        return {Ok, Filer->GetLastError(), IsEmptySet(Set)};
    }

    ISXFiler* Filer = nullptr;
    TTempDir Dir;
};

// CRC-32C bit by bit, the way its definition reads.
std::uint32_t BitwiseCrc32c(const std::uint8_t* Bytes, std::size_t Size)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < Size; ++i) {
        c ^= Bytes[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0x82F63B78u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

TEST(SetFileChecksum, AgreesWithTheDefinitionAtEveryLengthAndStart)
{
    EXPECT_EQ(Mps::Crc32(0, "123456789", 9), 0xE3069283u);
    std::mt19937 Random(7);
    std::vector<std::uint8_t> Bytes(100000);
    for (auto& Byte : Bytes) Byte = static_cast<std::uint8_t>(Random());
    // Lengths around the stretches the sum runs side by side, around the run where it
    // starts to fold 256 bytes at a time and the bytes that remain after the folding, at
    // odd starts, and one sum continued over pieces of uneven length.
    for (std::size_t Size :
         {0, 1, 7, 8, 4095, 12287, 12288, 12289, 24583, 36864, 65535, 65536, 65791, 65792, 78079, 99990})
        for (std::size_t Start : {0, 1, 5}) {
            SCOPED_TRACE(std::to_string(Size) + " from " + std::to_string(Start));
            EXPECT_EQ(Mps::Crc32(0, Bytes.data() + Start, Size), BitwiseCrc32c(Bytes.data() + Start, Size));
        }
    std::uint32_t Continued = 0;
    for (std::size_t From = 0, Piece = 13; From < Bytes.size(); From += Piece, Piece = Piece * 3 + 1)
        Continued = Mps::Crc32(Continued, Bytes.data() + From, std::min(Piece, Bytes.size() - From));
    EXPECT_EQ(Continued, BitwiseCrc32c(Bytes.data(), Bytes.size()));
}

TEST_F(FilerModule, RoundTripKeepsEveryPropertyTableAndCellExactly)
{
    TSXDataSet Original;
    FillSampleSet(&Original, 1000);
    std::string Path = Dir.File("run.mps");
    ASSERT_TRUE(Filer->Save(Path.c_str(), &Original, 0)) << Filer->GetLastError();
    EXPECT_STREQ(Filer->GetLastError(), "");
    EXPECT_FALSE(Original.GetModified());

    TSXDataSet Loaded;
    ASSERT_TRUE(Filer->Load(Path.c_str(), &Loaded, 0, 1)) << Filer->GetLastError();
    EXPECT_EQ(DescribeSet(Loaded), DescribeSet(Original));
    EXPECT_FALSE(Loaded.GetModified());

    // What the program looks at: order of tables, default axes, the 50-character name.
    ASSERT_EQ(Loaded.GetFieldCount("ZelTable"), 4);
    EXPECT_STREQ(Loaded.GetField("ZelTable", 0)->GetName(), "Isotherm");
    EXPECT_STREQ(Loaded.GetField("ZelTable", 1)->GetName(), "Nothing yet");
    EXPECT_STREQ(Loaded.GetField("ZelTable", 2)->GetName(), "Isotherm (bw)");
    EXPECT_STREQ(Loaded.GetField("ZelTable", 3)->GetName(), "Deposition");
    TPTableData Back(Loaded.FindField("ZelTable", "Isotherm (bw)"));
    EXPECT_STREQ(Back.GetTableName(), "Isotherm back");
    EXPECT_EQ(Back.GetDefAxisIdx(0), 1);
    EXPECT_EQ(Back.GetDefAxisIdx(2), 1);
    EXPECT_EQ(ReadFixedText(Back.GetColumnInfo(1)->Name), std::string(50, 'N'));
    EXPECT_TRUE(std::isnan(Back.GetData(0, 0)));
    EXPECT_TRUE(std::signbit(Back.GetData(0, 2)));
    TPTableData Empty(Loaded.FindField("ZelTable", "Nothing yet"));
    EXPECT_EQ(Empty.GetNumRows(), 0);
    EXPECT_EQ(Empty.GetNumColumns(), 3);
    TPTableData Deposition(Loaded.FindField("ZelTable", "Deposition"));
    EXPECT_EQ(Deposition.GetDefAxisIdx(0), 8);
    EXPECT_EQ(Deposition.GetDefAxisIdx(1), 7);
    EXPECT_EQ(Deposition.GetDefAxisIdx(2), 9);

    // Saving what was loaded gives the same bytes: nothing is added or reordered.
    std::string Again = Dir.File("again.mps");
    ASSERT_TRUE(Filer->Save(Again.c_str(), &Loaded, 0));
    EXPECT_EQ(ReadBytes(Again), ReadBytes(Path));
}

TEST_F(FilerModule, ALongTableComesBackCellForCell)
{
    // Several storage pieces per column and a block large enough to be mapped on its own.
    TSXDataSet Original;
    FillSampleSet(&Original, 200001);
    const std::string Path = Dir.File("long.mps"), Again = Dir.File("again.mps");
    ASSERT_TRUE(Filer->Save(Path.c_str(), &Original, 0)) << Filer->GetLastError();
    TSXDataSet Loaded;
    ASSERT_TRUE(Filer->Load(Path.c_str(), &Loaded, 0, 1)) << Filer->GetLastError();
    TPTableData Before(Original.FindField("ZelTable", "Isotherm")), After(Loaded.FindField("ZelTable", "Isotherm"));
    ASSERT_EQ(After.GetNumRows(), 200001);
    for (int c = 0; c < 7; ++c) {
        std::vector<float> Expected(200001), Got(200001);
        Before.CopyColumn(c, 0, 200001, Expected.data());
        ASSERT_EQ(After.CopyColumn(c, 0, 200001, Got.data()), 200001);
        EXPECT_EQ(std::memcmp(Expected.data(), Got.data(), Got.size() * sizeof(float)), 0) << c;
    }
    ASSERT_TRUE(Filer->Save(Again.c_str(), &Loaded, 0));
    EXPECT_EQ(ReadBytes(Again), ReadBytes(Path));
}

// A block of several megabytes is read in pieces side by side: damage in any one piece,
// or a file that changed after its size was taken, gives an empty set and the reason.
TEST_F(FilerModule, DamageInAnyPieceOfALargeBlockGivesAnEmptySetAndAReason)
{
    constexpr int Rows = 200001;
    TSXDataSet Original;
    FillSampleSet(&Original, Rows);
    const std::string Path = Dir.File("long.mps");
    ASSERT_TRUE(Filer->Save(Path.c_str(), &Original, 0)) << Filer->GetLastError();
    const std::string Good = ReadBytes(Path);
    // The first table's cells end where the next table's category length starts.
    const size_t CellsEnd = Good.find("ZelTable", Good.find("ZelTable") + 8) - 4;
    const size_t CellsBegin = CellsEnd - size_t(7) * Rows * 4;
    ASSERT_GT(CellsBegin, Good.find("ZelTable"));
    // The row count comes before the three default axes and the column records.
    ASSERT_EQ(U32At(Good, CellsBegin - 7 * 151 - 3 * 4 - 4), static_cast<std::uint32_t>(Rows));

    for (size_t At : {CellsBegin, (CellsBegin + CellsEnd) / 2, CellsEnd - 1}) {
        std::string Bytes = Good;
        Bytes[At] ^= 0x10;
        TLoadResult Result = LoadBytes(Bytes);
        EXPECT_FALSE(Result.Ok) << At;
        EXPECT_TRUE(Result.Empty) << At;
        EXPECT_NE(Result.Reason.find("checksum mismatch"), std::string::npos) << At << ": " << Result.Reason;
    }

    // The file opened and its size taken, then changed under the reader: cut in the first
    // piece, in the last one, in the checksum; written over by a longer file. Unchanged,
    // the same file reads whole.
    TSXDataSet Longer;
    FillSampleSet(&Longer, Rows + 1000);
    const std::string LongerPath = Dir.File("longer.mps");
    ASSERT_TRUE(Filer->Save(LongerPath.c_str(), &Longer, 0)) << Filer->GetLastError();
    struct Case {
        const char* Name;
        std::function<void(int)> Change;
        const char* Reason;
    };
    const Case Cases[] = {
        {"unchanged", [](int) {}, ""},
        {"cut in the first piece", [&](int File) { ASSERT_EQ(::ftruncate(File, off_t(CellsBegin + (1 << 20))), 0); },
         "cannot read the file: it became shorter"},
        {"cut in the last piece", [&](int File) { ASSERT_EQ(::ftruncate(File, off_t(CellsEnd - 1000)), 0); },
         "cannot read the file: it became shorter"},
        {"cut in the checksum", [&](int File) { ASSERT_EQ(::ftruncate(File, off_t(Good.size() - 2)), 0); },
         "cannot read the file: it became shorter"},
        {"written over by a longer file", [&](int) { WriteBytes(Path, ReadBytes(LongerPath)); }, "damaged"},
    };
    for (const Case& C : Cases) {
        WriteBytes(Path, Good);
        const int File = ::open(Path.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(File, 0);
        C.Change(File);
        TSXDataSet Set;
        std::string Error;
        const bool Ok = Mps::ReadSetFile(File, Good.size(), Set, Error);
        ::close(File);
        if (*C.Reason == 0) {
            EXPECT_TRUE(Ok) << C.Name << ": " << Error;
            EXPECT_EQ(DescribeSet(Set), DescribeSet(Original)) << C.Name;
            continue;
        }
        EXPECT_FALSE(Ok) << C.Name;
        EXPECT_TRUE(IsEmptySet(Set)) << C.Name;
        EXPECT_NE(Error.find(C.Reason), std::string::npos) << C.Name << ": " << Error;
    }
}

TEST_F(FilerModule, PropertiesAreRewrittenWithTheTablesBytesAsTheyWere)
{
    TSXDataSet Original;
    FillSampleSet(&Original, 70000);
    const std::string Path = Dir.File("run.mps");
    ASSERT_TRUE(Filer->Save(Path.c_str(), &Original, 0)) << Filer->GetLastError();
    const std::string Before = ReadBytes(Path);

    // Properties alone: no table comes with them.
    TSXDataSet Read;
    ASSERT_TRUE(Filer->LoadProperties(Path.c_str(), &Read)) << Filer->GetLastError();
    EXPECT_EQ(Read.GetPropertyCount(), Original.GetPropertyCount());
    EXPECT_EQ(Read.GetAllFieldCount(), 0);
    EXPECT_EQ(std::string(Read.FindProperty("Unknown")->GetData(), 6), std::string("\0\1\2\xFF\0\x80", 6));

    // One replaced with another size, one new; the rest kept in their places.
    TSXDataSet Changes;
    AddBytesProperty(&Changes, "DateTime", {1, 2, 3});
    AddBytesProperty(&Changes, "Added", {9, 8});
    ASSERT_TRUE(Filer->SaveProperties(Path.c_str(), &Changes)) << Filer->GetLastError();
    IH<ISXDataProperty> Date = Original.FindProperty("DateTime");
    Date->SetSize(3);
    std::memcpy(Date->GetData(), "\1\2\3", 3);
    AddBytesProperty(&Original, "Added", {9, 8});
    TSXDataSet Loaded;
    ASSERT_TRUE(Filer->Load(Path.c_str(), &Loaded, 0, 1)) << Filer->GetLastError();
    EXPECT_EQ(DescribeSet(Loaded), DescribeSet(Original));
    // Every byte after the properties is the old file's, up to the new checksum.
    const std::string After = ReadBytes(Path);
    const std::size_t Tables = Before.size() - 4 - (Before.find("ZelTable") - 4);
    EXPECT_EQ(After.substr(After.size() - 4 - Tables, Tables), Before.substr(Before.size() - 4 - Tables, Tables));

    // A damaged file is neither read nor sealed again.
    std::string Damaged = After;
    Damaged[Damaged.size() - 9] ^= 1;
    WriteBytes(Path, Damaged);
    EXPECT_FALSE(Filer->SaveProperties(Path.c_str(), &Changes));
    EXPECT_NE(std::string(Filer->GetLastError()).find("checksum"), std::string::npos) << Filer->GetLastError();
    EXPECT_EQ(ReadBytes(Path), Damaged);
    WriteBytes(Path, "ZELMPS");
    TSXDataSet None;
    EXPECT_FALSE(Filer->LoadProperties(Path.c_str(), &None));
    EXPECT_FALSE(Filer->SaveProperties(Path.c_str(), &Changes));
    EXPECT_EQ(ReadBytes(Path), "ZELMPS");
}

TEST_F(FilerModule, FileStartsWithMagicAndVersionAndEndsWithChecksum)
{
    std::string Bytes = SampleFileBytes();
    ASSERT_GT(Bytes.size(), 24u);
    EXPECT_EQ(Bytes.substr(0, 8), std::string("ZELMPS\x1A\0", 8));
    EXPECT_EQ(U32At(Bytes, 8), 1u);
    EXPECT_EQ(U32At(Bytes, 12), 5u);  // properties
    EXPECT_EQ(U32At(Bytes, 16), 4u);  // tables
    EXPECT_EQ(U32At(Bytes, Bytes.size() - 4), Mps::Crc32(0, Bytes.data(), Bytes.size() - 4));
}

TEST_F(FilerModule, DamagedFilesGiveAnEmptySetAndAReason)
{
    const std::string Good = SampleFileBytes();
    // Offset of the first table's row count: header, then the five properties.
    size_t Offset = 20;
    for (int i = 0; i < 5; ++i) {
        Offset += 4 + U32At(Good, Offset);
        Offset += 4 + U32At(Good, Offset);
    }
    Offset += 4 + U32At(Good, Offset);  // category
    Offset += 4 + U32At(Good, Offset);  // name
    Offset += 4 + U32At(Good, Offset);  // display name
    const size_t ColumnsAt = Offset, RowsAt = Offset + 4;
    ASSERT_EQ(U32At(Good, ColumnsAt), 7u);
    ASSERT_EQ(U32At(Good, RowsAt), 3u);

    struct Case {
        const char* Name;
        std::function<std::string(std::string)> Damage;
        const char* Reason;
    };
    std::mt19937 Random(7);
    const Case Cases[] = {
        {"empty file", [](std::string) { return std::string(); }, "not a set file"},
        {"truncated to half", [](std::string b) { return b.substr(0, b.size() / 2); }, "truncated"},
        {"last byte missing", [](std::string b) { return b.substr(0, b.size() - 1); }, "truncated"},
        {"wrong magic",
         [](std::string b) {
             b[0] = 'X';
             return b;
         },
         "not a set file"},
        {"newer version",
         [](std::string b) {
             PutU32At(b, 8, 2);
             return b;
         },
         "unsupported set file version 2"},
        {"flipped row count",
         [&](std::string b) {
             b[RowsAt + 3] ^= 0x40;
             return b;
         },
         "needs"},
        {"flipped column name byte",
         [&](std::string b) {
             b[RowsAt + 20] ^= 0x01;
             return b;
         },
         "checksum"},
        {"flipped cell bit",
         [](std::string b) {
             b[b.size() - 10] ^= 1;
             return b;
         },
         "checksum"},
        {"huge row count, resealed",
         [&](std::string b) {
             PutU32At(b, RowsAt, 0x7FFFFFFF);
             Reseal(b);
             return b;
         },
         "needs"},
        {"huge column count, resealed",
         [&](std::string b) {
             PutU32At(b, ColumnsAt, 0xFFFFFFF0);
             Reseal(b);
             return b;
         },
         "impossible column or row count"},
        {"huge property count, resealed",
         [](std::string b) {
             PutU32At(b, 12, 0xFFFFFFFF);
             Reseal(b);
             return b;
         },
         "exceeds"},
        {"huge name length, resealed",
         [](std::string b) {
             PutU32At(b, 20, 0x7FFFFFF0);
             Reseal(b);
             return b;
         },
         "needs"},
        {"extra bytes, resealed",
         [](std::string b) {
             b.insert(b.size() - 4, "junk");
             Reseal(b);
             return b;
         },
         "unexpected bytes"},
        {"random bytes",
         [&](std::string b) {
             for (auto& c : b) c = char(Random());
             return b;
         },
         "not a set file"},
        {"random body behind a good header",
         [&](std::string b) {
             for (size_t i = 12; i < b.size(); ++i) b[i] = char(Random());
             return b;
         },
         "damaged"},
    };
    for (const Case& C : Cases) {
        TLoadResult Result = LoadBytes(C.Damage(Good));
        EXPECT_FALSE(Result.Ok) << C.Name;
        EXPECT_TRUE(Result.Empty) << C.Name;
        EXPECT_NE(Result.Reason.find(C.Reason), std::string::npos) << C.Name << ": " << Result.Reason;
        EXPECT_NE(Result.Reason.find("damaged.mps"), std::string::npos) << C.Name << ": " << Result.Reason;
    }
}

TEST_F(FilerModule, EveryCutPointOfASmallFileGivesAnEmptySetAndAReason)
{
    const std::string Good = SampleFileBytes(2);
    for (size_t Length = 0; Length < Good.size(); ++Length) {
        TLoadResult Result = LoadBytes(Good.substr(0, Length));
        ASSERT_FALSE(Result.Ok) << "cut at " << Length;
        ASSERT_TRUE(Result.Empty) << "cut at " << Length;
        ASSERT_FALSE(Result.Reason.empty()) << "cut at " << Length;
    }
    // The parser's own checks catch every cut as well, without the checksum's help.
    for (size_t Length = 0; Length < Good.size(); ++Length) {
        TSXDataSet Set;
        std::string Error;
        ASSERT_FALSE(Mps::DecodeSetImage(reinterpret_cast<const std::uint8_t*>(Good.data()), Length, false, Set, Error))
            << "cut at " << Length;
        ASSERT_TRUE(IsEmptySet(Set)) << "cut at " << Length;
        ASSERT_FALSE(Error.empty()) << "cut at " << Length;
    }
}

// A header may claim more cells than the computer has memory for, in a file whose size
// agrees with the claim but which holds almost nothing (sparse). The claim is refused
// before anything is allocated, with a reason, and the set stays empty; the same file
// with a claim that fits is read to its end and refused by its checksum.
TEST_F(FilerModule, AClaimBeyondTheComputersMemoryIsRefusedBeforeAnythingIsAllocated)
{
    const std::string Path = Dir.File("sparse.mps");
    const std::uint64_t Claimed = WriteSparseSetFile(Path, 8, 2147483647);
    ASSERT_GT(Claimed, 0u) << "no sparse file of that size could be made";
    const std::uint64_t Memory = std::uint64_t(sysconf(_SC_PHYS_PAGES)) * std::uint64_t(sysconf(_SC_PAGESIZE));
    if (Memory >= Claimed) GTEST_SKIP() << "this computer has memory for the whole claim";
    {
        TSXDataSet Set;
        EXPECT_FALSE(Filer->Load(Path.c_str(), &Set, 0, 1));
        const std::string Reason = Filer->GetLastError();
        EXPECT_NE(Reason.find("too large to load"), std::string::npos) << Reason;
        EXPECT_NE(Reason.find("8 x 2147483647 cells"), std::string::npos) << Reason;
        EXPECT_NE(Reason.find("sparse.mps"), std::string::npos) << Reason;
        EXPECT_TRUE(IsEmptySet(Set));
    }

    ASSERT_GT(WriteSparseSetFile(Path, 8, 300000), 0u);
    TSXDataSet Set;
    EXPECT_FALSE(Filer->Load(Path.c_str(), &Set, 0, 1));
    EXPECT_NE(std::string(Filer->GetLastError()).find("checksum mismatch"), std::string::npos) << Filer->GetLastError();
    EXPECT_TRUE(IsEmptySet(Set));
}

TEST_F(FilerModule, MissingFileAndMissingSetAreRefusedWithAReason)
{
    TSXDataSet Set;
    EXPECT_FALSE(Filer->Load(Dir.File("none.mps").c_str(), &Set, 0, 1));
    EXPECT_NE(std::string(Filer->GetLastError()).find("none.mps"), std::string::npos);
    EXPECT_FALSE(Filer->Save(Dir.File("x.mps").c_str(), nullptr, 0));
    EXPECT_STREQ(Filer->GetLastError(), "no data set");
    EXPECT_FALSE(Filer->Save("", &Set, 0));
    EXPECT_FALSE(Filer->Load(nullptr, &Set, 0, 1));
    EXPECT_TRUE(IsEmptySet(Set));
}

// A save that fails half-way (the file-size limit cuts the write short, as a full disk
// would) reports failure and leaves the previous file and the folder exactly as they were.
TEST_F(FilerModule, FailedWriteKeepsThePreviousFile)
{
    std::string Path = Dir.File("keep.mps");
    TSXDataSet Small;
    FillSampleSet(&Small, 3);
    ASSERT_TRUE(Filer->Save(Path.c_str(), &Small, 0));
    const std::string Previous = ReadBytes(Path);
    const auto FolderBefore = FilesIn(Dir.Path());

    TSXDataSet Large;
    FillSampleSet(&Large, 100000);  // about 2.8 MB
    rlimit Saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &Saved), 0);
    auto PreviousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit Limited = Saved;
    Limited.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &Limited), 0);
    bool Saved2 = Filer->Save(Path.c_str(), &Large, 0);
    std::string Reason = Filer->GetLastError();
    setrlimit(RLIMIT_FSIZE, &Saved);
    std::signal(SIGXFSZ, PreviousHandler);

    EXPECT_FALSE(Saved2);
    EXPECT_NE(Reason.find("cannot write"), std::string::npos) << Reason;
    EXPECT_NE(Reason.find("previous file is kept"), std::string::npos) << Reason;
    EXPECT_TRUE(Large.GetModified());
    EXPECT_EQ(ReadBytes(Path), Previous);
    EXPECT_EQ(FilesIn(Dir.Path()), FolderBefore);  // no temporary file left behind

    // The same save succeeds once the disk has room, replacing the file whole.
    ASSERT_TRUE(Filer->Save(Path.c_str(), &Large, 0)) << Filer->GetLastError();
    TSXDataSet Loaded;
    ASSERT_TRUE(Filer->Load(Path.c_str(), &Loaded, 0, 1));
    EXPECT_EQ(DescribeSet(Loaded), DescribeSet(Large));
}

TEST_F(FilerModule, SaveIntoMissingFolderOrOverAFolderFailsWithAReason)
{
    TSXDataSet Set;
    FillSampleSet(&Set, 1);
    EXPECT_FALSE(Filer->Save(Dir.File("no/such/folder/x.mps").c_str(), &Set, 0));
    EXPECT_NE(std::string(Filer->GetLastError()).find("cannot create"), std::string::npos);

    std::filesystem::create_directory(Dir.File("occupied.mps"));
    const auto FolderBefore = FilesIn(Dir.Path());
    EXPECT_FALSE(Filer->Save(Dir.File("occupied.mps").c_str(), &Set, 0));
    EXPECT_NE(std::string(Filer->GetLastError()).find("cannot replace"), std::string::npos);
    EXPECT_EQ(FilesIn(Dir.Path()), FolderBefore);
}

// The fuzz target's input run for a fixed number of mutated images of a valid file,
// with the checksum test off so every mutation reaches the parser.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size);

TEST_F(FilerModule, MutatedFilesNeverCrashTheReader)
{
    const std::string Good = SampleFileBytes(2);
    std::mt19937 Random(12345);
    int Accepted = 0;
    for (int Round = 0; Round < 20000; ++Round) {
        std::string Bytes = Good;
        int Mutations = 1 + static_cast<int>(Random() % 4);
        for (int m = 0; m < Mutations && !Bytes.empty(); ++m) {
            size_t At = Random() % Bytes.size();
            switch (Random() % 5) {
            case 0:
                Bytes[At] = char(Bytes[At] ^ (1 << (Random() % 8)));
                break;
            case 1:
                if (At + 4 <= Bytes.size()) PutU32At(Bytes, At, static_cast<std::uint32_t>(Random()));
                break;
            case 2:
                if (At + 4 <= Bytes.size()) PutU32At(Bytes, At, 0xFFFFFFFFu - Random() % 16);
                break;
            case 3:
                Bytes.resize(At);
                break;
            default:
                Bytes.insert(At, 1 + Random() % 8, char(Random()));
                break;
            }
        }
        TSXDataSet Set;
        std::string Error;
        bool Ok =
            Mps::DecodeSetImage(reinterpret_cast<const std::uint8_t*>(Bytes.data()), Bytes.size(), false, Set, Error);
        ASSERT_EQ(Ok, Error.empty()) << Error;
        ASSERT_TRUE(Ok || IsEmptySet(Set)) << Error;
        Accepted += Ok;
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(Bytes.data()), Bytes.size());
    }
    // Some mutations only touch cells or texts and still form a valid file.
    EXPECT_GT(Accepted, 0);
}

}  // namespace
