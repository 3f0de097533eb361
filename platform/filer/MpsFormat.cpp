// Set file (.mps) layout. Every integer is little-endian; texts carry no zero byte.
//
//   offset  size  field
//   0       8     magic "ZELMPS" 0x1A 0x00
//   8       4     u32 format version (1)
//   12      4     u32 property count P
//   16      4     u32 table count T
//   then P properties, in the set's order:
//           4     u32 name length N, then N bytes of name
//           4     u32 data size S, then S bytes: the property's bytes exactly
//   then T tables, in the set's order:
//           4     u32 category length, then the category ("ZelTable")
//           4     u32 name length, then the name (unique within the category)
//           4     u32 display-name length, then the display name
//           4     u32 column count C (at least 1)
//           4     u32 row count R
//           12    3 x i32 default axis columns: X, left, right (-1 when unset)
//           C*151 the column records (flags, name[50], short name[50], unit[50]) as stored
//           C*R*4 the cells as IEEE single floats, column after column
//   last 4        u32 CRC-32 of every byte before it
//
// A reader trusts nothing: every length and count is checked against the bytes that
// remain before anything is allocated from it, the whole file must be used up exactly,
// and the set is filled only after the entire file has passed.
#include "platform/filer/MpsFormat.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/tabrix/SXDataSet.h"

namespace Mps {
namespace {

constexpr std::uint8_t Magic[8] = {'Z', 'E', 'L', 'M', 'P', 'S', 0x1A, 0x00};
constexpr std::uint32_t FormatVersion = 1;
constexpr std::size_t HeaderSize = 8 + 4 + 4 + 4;
constexpr std::size_t ChecksumSize = 4;
constexpr std::size_t ColumnRecordSize = sizeof(TSXColumnInfo);
static_assert(ColumnRecordSize == 151, "column records are stored as 151 bytes");

static_assert(sizeof(float) == 4, "cells are stored as 4-byte floats");

// Slicing-by-8 tables: the checksum runs over every byte of large files.
const std::array<std::array<std::uint32_t, 256>, 8>& CrcTables() {
    static const auto Tables = [] {
        std::array<std::array<std::uint32_t, 256>, 8> T{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            T[0][i] = c;
        }
        for (std::uint32_t i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s) T[s][i] = (T[s - 1][i] >> 8) ^ T[0][T[s - 1][i] & 0xFF];
        return T;
    }();
    return Tables;
}

std::uint32_t ReadU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

std::string ErrnoText(int Error) { return std::strerror(Error); }

// ---------------------------------------------------------------------------------------
// Writing

// Buffered writer into an open file that keeps the checksum of everything written and
// remembers the first failure.
class TWriter {
public:
    explicit TWriter(int Handle) : FHandle(Handle), FBuffer(new std::uint8_t[BufferSize]) {}

    void Bytes(const void* Data, std::size_t Size) {
        if (Failed() || Size == 0) return;
        FCrc = Crc32(FCrc, Data, Size);
        if (FUsed + Size > BufferSize) Flush();
        if (Size >= BufferSize) {
            WriteAll(static_cast<const std::uint8_t*>(Data), Size);
            return;
        }
        std::memcpy(FBuffer.get() + FUsed, Data, Size);
        FUsed += Size;
    }
    void U32(std::uint32_t Value) {
        std::uint8_t b[4];
        PutU32(b, Value);
        Bytes(b, 4);
    }
    void Text(const std::string& Value) {
        U32(static_cast<std::uint32_t>(Value.size()));
        Bytes(Value.data(), Value.size());
    }
    // The checksum covers itself out, so it is written last and outside the sum.
    void Finish() {
        std::uint8_t b[4];
        PutU32(b, FCrc);
        if (FUsed + 4 > BufferSize) Flush();
        std::memcpy(FBuffer.get() + FUsed, b, 4);
        FUsed += 4;
        Flush();
    }
    bool Failed() const { return FError != 0; }
    int Error() const { return FError; }

private:
    static constexpr std::size_t BufferSize = 1 << 20;

    void Flush() {
        if (FUsed && !Failed()) WriteAll(FBuffer.get(), FUsed);
        FUsed = 0;
    }
    void WriteAll(const std::uint8_t* Data, std::size_t Size) {
        while (Size && !Failed()) {
            ssize_t Written = ::write(FHandle, Data, Size);
            if (Written < 0) {
                if (errno == EINTR) continue;
                FError = errno;
            } else if (Written == 0) {
                FError = EIO;
            } else {
                Data += Written;
                Size -= static_cast<std::size_t>(Written);
            }
        }
    }

    int FHandle;
    std::unique_ptr<std::uint8_t[]> FBuffer;
    std::size_t FUsed = 0;
    std::uint32_t FCrc = 0;
    int FError = 0;
};

void WriteSet(TWriter& Out, TSXDataSet& Set) {
    Out.Bytes(Magic, sizeof Magic);
    Out.U32(FormatVersion);
    Out.U32(static_cast<std::uint32_t>(Set.GetPropertyCount()));
    Out.U32(static_cast<std::uint32_t>(Set.GetAllFieldCount()));
    for (int i = 0; i < Set.GetPropertyCount(); ++i) {
        IH<ISXDataProperty> Property = Set.GetProperty(i);
        Out.Text(Set.GetPropertyName(i));
        Out.U32(static_cast<std::uint32_t>(Property->GetSize()));
        Out.Bytes(Property->GetData(), static_cast<std::size_t>(Property->GetSize()));
    }
    for (int i = 0; i < Set.GetAllFieldCount(); ++i) {
        TPTableData Table(Set.GetAllField(i));
        Out.Text(Set.GetFieldCategory(i));
        Out.Text(Table.Field->GetName());
        Out.Text(Table.GetTableName());
        int Columns = Table.GetNumColumns(), Rows = Table.GetNumRows();
        Out.U32(static_cast<std::uint32_t>(Columns));
        Out.U32(static_cast<std::uint32_t>(Rows));
        for (int Axis = 0; Axis < 3; ++Axis) Out.U32(static_cast<std::uint32_t>(Table.GetDefAxisIdx(Axis)));
        for (int c = 0; c < Columns; ++c) Out.Bytes(Table.GetColumnInfo(c), ColumnRecordSize);
        for (int c = 0; c < Columns; ++c) {
            const float* Cells = static_cast<const TPTableData&>(Table).GetColumnData(c);
            if (Rows == 0) continue;
            if constexpr (std::endian::native == std::endian::little) {
                Out.Bytes(Cells, static_cast<std::size_t>(Rows) * 4);
            } else {
                for (int r = 0; r < Rows; ++r) {
                    std::uint32_t Bits;
                    std::memcpy(&Bits, &Cells[r], 4);
                    Out.U32(Bits);
                }
            }
        }
    }
    Out.Finish();
}

std::string FolderOf(const std::string& FileName) {
    auto Slash = FileName.find_last_of('/');
    if (Slash == std::string::npos) return ".";
    return Slash == 0 ? "/" : FileName.substr(0, Slash);
}

// The new file gets the old file's permissions, or the usual ones for a new file.
mode_t ModeFor(const std::string& FileName) {
    struct stat Info;
    if (::stat(FileName.c_str(), &Info) == 0) return Info.st_mode & 07777;
    mode_t Mask = ::umask(0);
    ::umask(Mask);
    return 0666 & ~Mask;
}

// ---------------------------------------------------------------------------------------
// Reading

struct TPropertyView {
    std::string Name;
    const std::uint8_t* Data;
    std::uint32_t Size;
};

struct TTableView {
    std::string Category, Name, DisplayName;
    std::uint32_t Columns, Rows;
    std::int32_t Axis[3];
    const std::uint8_t* ColumnRecords;
    const std::uint8_t* Cells;
};

// Walks the bytes with a bound; every step says what it was reading when bytes ran out.
class TReader {
public:
    TReader(const std::uint8_t* Bytes, std::size_t Size) : FPos(Bytes), FEnd(Bytes + Size) {}

    std::size_t Left() const { return static_cast<std::size_t>(FEnd - FPos); }
    bool U32(std::uint32_t& Value, const char* What, std::string& Error) {
        if (Left() < 4) return CutShort(What, 4, Error);
        Value = ReadU32(FPos);
        FPos += 4;
        return true;
    }
    bool Block(std::uint64_t Size, const std::uint8_t*& Data, const char* What, std::string& Error) {
        if (Size > Left()) return CutShort(What, Size, Error);
        Data = FPos;
        FPos += Size;
        return true;
    }
    bool Text(std::string& Value, const char* What, std::string& Error) {
        std::uint32_t Length;
        const std::uint8_t* Data;
        if (!U32(Length, What, Error) || !Block(Length, Data, What, Error)) return false;
        if (std::memchr(Data, 0, Length)) {
            Error = std::string("damaged file: ") + What + " contains a zero byte";
            return false;
        }
        Value.assign(reinterpret_cast<const char*>(Data), Length);
        return true;
    }

private:
    bool CutShort(const char* What, std::uint64_t Needed, std::string& Error) {
        Error = std::string("damaged or truncated file: ") + What + " needs " + std::to_string(Needed) +
                " bytes but only " + std::to_string(Left()) + " remain";
        return false;
    }
    const std::uint8_t* FPos;
    const std::uint8_t* FEnd;
};

bool ParseTable(TReader& In, TTableView& Table, std::string& Error) {
    std::uint32_t AxisBits[3];
    if (!In.Text(Table.Category, "a table category", Error) || !In.Text(Table.Name, "a table name", Error) ||
        !In.Text(Table.DisplayName, "a table display name", Error) ||
        !In.U32(Table.Columns, "a column count", Error) || !In.U32(Table.Rows, "a row count", Error) ||
        !In.U32(AxisBits[0], "the default axes", Error) || !In.U32(AxisBits[1], "the default axes", Error) ||
        !In.U32(AxisBits[2], "the default axes", Error))
        return false;
    const std::string Where = " of table \"" + Table.Name + "\"";
    if (Table.Category.empty() || Table.Name.empty()) {
        Error = "damaged file: a table without category or name";
        return false;
    }
    if (Table.Columns < 1 || Table.Columns > 0x7FFFFFFFu || Table.Rows > 0x7FFFFFFFu) {
        Error = "damaged file: impossible column or row count" + Where;
        return false;
    }
    for (int Axis = 0; Axis < 3; ++Axis) {
        Table.Axis[Axis] = static_cast<std::int32_t>(AxisBits[Axis]);
        if (Table.Axis[Axis] < -1 || Table.Axis[Axis] >= static_cast<std::int64_t>(Table.Columns)) {
            Error = "damaged file: default axis column out of range" + Where;
            return false;
        }
    }
    // Both sizes fit in 64 bits: counts are below 2^31.
    std::uint64_t RecordBytes = std::uint64_t(Table.Columns) * ColumnRecordSize;
    std::uint64_t CellBytes = std::uint64_t(Table.Columns) * Table.Rows * 4;
    return In.Block(RecordBytes, Table.ColumnRecords, ("the column records" + Where).c_str(), Error) &&
           In.Block(CellBytes, Table.Cells, ("the cells" + Where).c_str(), Error);
}

bool Parse(const std::uint8_t* Bytes, std::size_t Size, bool VerifyChecksum, std::vector<TPropertyView>& Properties,
           std::vector<TTableView>& Tables, std::string& Error) {
    if (Size < sizeof Magic || std::memcmp(Bytes, Magic, sizeof Magic) != 0) {
        Error = "not a set file (unknown file signature)";
        return false;
    }
    if (Size < HeaderSize + ChecksumSize) {
        Error = "truncated file: " + std::to_string(Size) + " bytes are fewer than a set file's header";
        return false;
    }
    std::uint32_t Version = ReadU32(Bytes + 8);
    if (Version != FormatVersion) {
        Error = "unsupported set file version " + std::to_string(Version);
        return false;
    }
    std::size_t Body = Size - ChecksumSize;
    if (VerifyChecksum && Crc32(0, Bytes, Body) != ReadU32(Bytes + Body)) {
        Error = "damaged or truncated file: checksum mismatch";
        return false;
    }
    TReader In(Bytes + 12, Body - 12);
    std::uint32_t PropertyCount, TableCount;
    In.U32(PropertyCount, "the property count", Error);
    In.U32(TableCount, "the table count", Error);
    // Each property takes at least 8 bytes and each table at least 40, so the counts are
    // bounded by the file before anything is reserved for them.
    if (PropertyCount > In.Left() / 8 || TableCount > In.Left() / 40) {
        Error = "damaged file: the property or table count exceeds what the file can hold";
        return false;
    }
    std::set<std::string> PropertyNames;
    Properties.reserve(PropertyCount);
    for (std::uint32_t i = 0; i < PropertyCount; ++i) {
        TPropertyView Property;
        if (!In.Text(Property.Name, "a property name", Error) || !In.U32(Property.Size, "a property size", Error) ||
            !In.Block(Property.Size, Property.Data, "a property's data", Error))
            return false;
        if (Property.Name.empty() || Property.Size > 0x7FFFFFFFu || !PropertyNames.insert(Property.Name).second) {
            Error = "damaged file: empty, oversized or repeated property \"" + Property.Name + "\"";
            return false;
        }
        Properties.push_back(std::move(Property));
    }
    std::set<std::pair<std::string, std::string>> TableNames;
    Tables.reserve(TableCount);
    for (std::uint32_t i = 0; i < TableCount; ++i) {
        TTableView Table;
        if (!ParseTable(In, Table, Error)) return false;
        if (!TableNames.insert({Table.Category, Table.Name}).second) {
            Error = "damaged file: table \"" + Table.Name + "\" appears twice";
            return false;
        }
        Tables.push_back(std::move(Table));
    }
    if (In.Left() != 0) {
        Error = "damaged file: " + std::to_string(In.Left()) + " unexpected bytes after the last table";
        return false;
    }
    return true;
}

bool Fill(TSXDataSet& Set, const std::vector<TPropertyView>& Properties, const std::vector<TTableView>& Tables,
          std::string& Error) {
    for (const TPropertyView& Property : Properties) {
        IH<ISXDataProperty> Target = Set.AddProperty(Property.Name.c_str(), static_cast<int>(Property.Size));
        if (!Target.IsAssigned()) {
            Error = "could not add property \"" + Property.Name + "\"";
            return false;
        }
        if (Property.Size) std::memcpy(Target->GetData(), Property.Data, Property.Size);
    }
    for (const TTableView& View : Tables) {
        int Columns = static_cast<int>(View.Columns), Rows = static_cast<int>(View.Rows);
        TPTableData Table(TPTableData::CreateSXTableData(&Set, View.Category.c_str(), View.Name.c_str(), Columns, 0));
        if (!Table.Valid) {
            Error = "could not add table \"" + View.Name + "\" (the set already has one of that name)";
            return false;
        }
        Table.SetTableName(View.DisplayName.c_str());
        for (int Axis = 0; Axis < 3; ++Axis) Table.SetDefAxisIdx(Axis, View.Axis[Axis]);
        for (int c = 0; c < Columns; ++c)
            std::memcpy(Table.GetColumnInfo(c), View.ColumnRecords + std::size_t(c) * ColumnRecordSize,
                        ColumnRecordSize);
        Table.AddRows(Rows);
        for (int c = 0; c < Columns && Rows > 0; ++c) {
            const std::uint8_t* Source = View.Cells + std::size_t(c) * std::size_t(Rows) * 4;
            float* Cells = Table.GetColumnData(c);
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(Cells, Source, std::size_t(Rows) * 4);
            } else {
                for (int r = 0; r < Rows; ++r) {
                    std::uint32_t Bits = ReadU32(Source + std::size_t(r) * 4);
                    std::memcpy(&Cells[r], &Bits, 4);
                }
            }
        }
    }
    return true;
}

class TFileHandle {
public:
    explicit TFileHandle(int Handle) : FHandle(Handle) {}
    ~TFileHandle() {
        if (FHandle >= 0) ::close(FHandle);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    int Get() const { return FHandle; }
    int Close() {
        int Result = ::close(FHandle);
        FHandle = -1;
        return Result;
    }

private:
    int FHandle;
};

}  // namespace

std::uint32_t Crc32(std::uint32_t Crc, const void* Bytes, std::size_t Size) {
    const auto& T = CrcTables();
    const auto* p = static_cast<const std::uint8_t*>(Bytes);
    std::uint32_t c = ~Crc;
    while (Size >= 8) {
        std::uint32_t Low = c ^ ReadU32(p);
        std::uint32_t High = ReadU32(p + 4);
        c = T[7][Low & 0xFF] ^ T[6][(Low >> 8) & 0xFF] ^ T[5][(Low >> 16) & 0xFF] ^ T[4][Low >> 24] ^
            T[3][High & 0xFF] ^ T[2][(High >> 8) & 0xFF] ^ T[1][(High >> 16) & 0xFF] ^ T[0][High >> 24];
        p += 8;
        Size -= 8;
    }
    while (Size--) c = T[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}

bool DecodeSetImage(const std::uint8_t* Bytes, std::size_t Size, bool VerifyChecksum, TSXDataSet& Set,
                    std::string& Error) {
    std::vector<TPropertyView> Properties;
    std::vector<TTableView> Tables;
    Error.clear();
    if (!Parse(Bytes, Size, VerifyChecksum, Properties, Tables, Error)) return false;
    return Fill(Set, Properties, Tables, Error);
}

bool LoadSetFile(const std::string& FileName, TSXDataSet& Set, std::string& Error) {
    TFileHandle File(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (File.Get() < 0) {
        Error = "cannot open " + FileName + ": " + ErrnoText(errno);
        return false;
    }
    struct stat Info;
    if (::fstat(File.Get(), &Info) != 0 || !S_ISREG(Info.st_mode)) {
        Error = FileName + " is not a readable file";
        return false;
    }
    // The buffer is exactly the size the file has on disk, never a size read from it.
    std::size_t Size = static_cast<std::size_t>(Info.st_size);
    std::unique_ptr<std::uint8_t[]> Bytes(new std::uint8_t[Size ? Size : 1]);
    std::size_t Done = 0;
    while (Done < Size) {
        ssize_t Got = ::read(File.Get(), Bytes.get() + Done, Size - Done);
        if (Got < 0 && errno == EINTR) continue;
        if (Got <= 0) {
            Error = "cannot read " + FileName + ": " + (Got < 0 ? ErrnoText(errno) : std::string("file shrank"));
            return false;
        }
        Done += static_cast<std::size_t>(Got);
    }
    if (!DecodeSetImage(Bytes.get(), Size, true, Set, Error)) {
        Error = FileName + ": " + Error;
        return false;
    }
    Set.SetModified(false);
    return true;
}

bool SaveSetFile(const std::string& FileName, TSXDataSet& Set, std::string& Error) {
    if (FileName.empty()) {
        Error = "no file name";
        return false;
    }
    std::string Temporary = FileName + ".XXXXXX";
    TFileHandle File(::mkostemp(Temporary.data(), O_CLOEXEC));
    if (File.Get() < 0) {
        Error = "cannot create a temporary file beside " + FileName + ": " + ErrnoText(errno);
        return false;
    }
    auto Fail = [&](const std::string& What, int Code) {
        Error = What + " " + FileName + ": " + ErrnoText(Code) + "; the previous file is kept";
        ::unlink(Temporary.c_str());
        return false;
    };
    ::fchmod(File.Get(), ModeFor(FileName));
    TWriter Out(File.Get());
    WriteSet(Out, Set);
    if (Out.Failed()) return Fail("cannot write", Out.Error());
    if (::fsync(File.Get()) != 0) return Fail("cannot flush", errno);
    if (File.Close() != 0) return Fail("cannot close", errno);
    if (::rename(Temporary.c_str(), FileName.c_str()) != 0) return Fail("cannot replace", errno);
    // The rename itself reaches the disk with the folder.
    TFileHandle Folder(::open(FolderOf(FileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (Folder.Get() >= 0) ::fsync(Folder.Get());
    Error.clear();
    Set.SetModified(false);
    return true;
}

}  // namespace Mps
