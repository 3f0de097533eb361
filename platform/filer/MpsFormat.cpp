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
//   last 4        u32 CRC-32C (Castagnoli) of every byte before it
//
// A reader trusts nothing: every length and count is checked against the bytes that
// remain, and what they make it allocate against the computer's memory, before anything
// is allocated from it; the whole file must be used up exactly, and the set is filled
// only after the entire file has passed.
#include "platform/filer/MpsFormat.h"

#include <fcntl.h>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <set>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/tabrix/SXDataSet.h"
#include "platform/base/Strings.h"

namespace Mps {
namespace {

constexpr std::uint8_t Magic[8] = {'Z', 'E', 'L', 'M', 'P', 'S', 0x1A, 0x00};
constexpr std::uint32_t FormatVersion = 1;
constexpr std::size_t HeaderSize = 8 + 4 + 4 + 4;
constexpr std::size_t ChecksumSize = 4;
constexpr std::size_t ColumnRecordSize = sizeof(TSXColumnInfo);
static_assert(ColumnRecordSize == 151, "column records are stored as 151 bytes");

static_assert(sizeof(float) == 4, "cells are stored as 4-byte floats");

// Slicing-by-8 tables of CRC-32C, for processors without its instruction.
const std::array<std::array<std::uint32_t, 256>, 8>& CrcTables()
{
    static const auto Tables = [] {
        std::array<std::array<std::uint32_t, 256>, 8> T{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0x82F63B78u ^ (c >> 1) : c >> 1;
            T[0][i] = c;
        }
        for (std::uint32_t i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s) T[s][i] = (T[s - 1][i] >> 8) ^ T[0][T[s - 1][i] & 0xFF];
        return T;
    }();
    return Tables;
}

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void PutU32(std::uint8_t* p, std::uint32_t v)
{
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

    void Bytes(const void* Data, std::size_t Size)
    {
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
    void U32(std::uint32_t Value)
    {
        std::uint8_t b[4];
        PutU32(b, Value);
        Bytes(b, 4);
    }
    void Text(const std::string& Value)
    {
        U32(static_cast<std::uint32_t>(Value.size()));
        Bytes(Value.data(), Value.size());
    }
    // The checksum covers itself out, so it is written last and outside the sum.
    void Finish()
    {
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

    void Flush()
    {
        if (FUsed && !Failed()) WriteAll(FBuffer.get(), FUsed);
        FUsed = 0;
    }
    void WriteAll(const std::uint8_t* Data, std::size_t Size)
    {
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

void WriteSet(TWriter& Out, TSXDataSet& Set)
{
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
            for (int Row = 0; Row < Rows;) {
                int Count = 0;
                const float* Cells = std::as_const(Table).GetCellRun(c, Row, Count);
                if constexpr (std::endian::native == std::endian::little) {
                    Out.Bytes(Cells, static_cast<std::size_t>(Count) * 4);
                } else {
                    for (int r = 0; r < Count; ++r) {
                        std::uint32_t Bits;
                        std::memcpy(&Bits, &Cells[r], 4);
                        Out.U32(Bits);
                    }
                }
                Row += Count;
            }
        }
    }
    Out.Finish();
}

// ---------------------------------------------------------------------------------------
// Reading

// Where the bytes of a set file come from: memory, or an open file read in order.
class TSource {
public:
    virtual ~TSource() = default;
    // Exactly Size bytes, or false with Error set.
    virtual bool Read(void* Target, std::size_t Size, std::string& Error) = 0;
    // The same, with the bytes' sum continued in Crc.
    virtual bool ReadSummed(std::uint8_t* Target, std::size_t Size, std::uint32_t& Crc, std::string& Error)
    {
        if (!Read(Target, Size, Error)) return false;
        Crc = Crc32(Crc, Target, Size);
        return true;
    }
};

class TMemorySource final : public TSource {
public:
    TMemorySource(const std::uint8_t* Bytes, std::size_t Size) : FPos(Bytes), FLeft(Size) {}
    bool Read(void* Target, std::size_t Size, std::string& Error) override
    {
        if (Size > FLeft) {
            Error = "read past the end";
            return false;
        }
        if (Size) std::memcpy(Target, FPos, Size);
        FPos += Size;
        FLeft -= Size;
        return true;
    }

private:
    const std::uint8_t* FPos;
    std::size_t FLeft;
};

// The sum of bytes A then B from the sums of each: Crc of A moved on over Bytes zero
// bytes (the length of B), joined with the sum of B.
std::uint32_t JoinCrc(std::uint32_t Crc, std::uint32_t Next, std::size_t Bytes);

// Reads through a small buffer; large blocks (the cells) go straight to their place.
class TFileSource final : public TSource {
public:
    explicit TFileSource(int Handle) : FHandle(Handle), FBuffer(new std::uint8_t[BufferSize]) {}
    bool Read(void* Target, std::size_t Size, std::string& Error) override
    {
        auto* Out = static_cast<std::uint8_t*>(Target);
        const std::size_t Buffered = TakeBuffered(Out, Size);
        Out += Buffered;
        Size -= Buffered;
        if (Size >= BufferSize) return ReadAt(Out, Size, Error);
        if (Size == 0) return true;
        FPos = FEnd = 0;
        while (FEnd < Size) {
            const std::size_t Got = ReadSome(FBuffer.get() + FEnd, BufferSize - FEnd, FOffset, Error);
            if (Got == 0) return false;
            FEnd += Got;
            FOffset += Got;
        }
        std::memcpy(Out, FBuffer.get(), Size);
        FPos = Size;
        return true;
    }

    // A large block (a table's cells) is summed a slice at a time, each still in the cache
    // its read left it in, so the sum costs no pass over memory of its own. The copy out
    // of the system's cache is bound by one core, so a very large block is read in pieces
    // by several threads side by side, each summing its own, the sums joined in order.
    bool ReadSummed(std::uint8_t* Target, std::size_t Size, std::uint32_t& Crc, std::string& Error) override
    {
        if (Size < BufferSize) return TSource::ReadSummed(Target, Size, Crc, Error);
        const std::size_t Buffered = TakeBuffered(Target, Size);
        Crc = Crc32(Crc, Target, Buffered);
        Target += Buffered;
        Size -= Buffered;
        static const std::size_t Cores = std::thread::hardware_concurrency();
        const std::size_t Threads = std::min({MaxThreads, Size / PieceSize, Cores});
        if (Threads < 2) {
            TPiece Whole{Target, Size, FOffset, Crc, {}, false};
            ReadPiece(Whole);
            if (!Whole.Ok(Error)) return false;
            FOffset += Size;
            Crc = Whole.Crc;
            return true;
        }
        std::vector<TPiece> Pieces;
        for (std::size_t Done = 0; Done < Size; Done += PieceSize)
            Pieces.push_back({Target + Done, std::min(PieceSize, Size - Done), FOffset + Done, 0, {}, false});
        // Pieces go to whichever thread asks first, so a helper that starts late, on a
        // busy machine, takes less and holds nothing up. Nothing a piece meets leaves its
        // thread as an exception: every helper is joined whatever happens.
        std::atomic<std::size_t> Next{0};
        const auto Work = [&]() noexcept {
            for (std::size_t i = Next++; i < Pieces.size(); i = Next++) {
                try {
                    ReadPiece(Pieces[i]);
                } catch (...) {
                    Pieces[i].Failed = true;
                }
            }
        };
        std::vector<std::thread> Helpers;
        Helpers.reserve(Threads);
        try {
            for (std::size_t i = 1; i < Threads; ++i) Helpers.emplace_back(Work);
        } catch (...) {
            // No thread to be had: the ones there are, or this one alone, read it all.
        }
        Work();
        for (std::thread& Helper : Helpers) Helper.join();
        for (const TPiece& Piece : Pieces) {
            if (!Piece.Ok(Error)) return false;
            Crc = JoinCrc(Crc, Piece.Crc, Piece.Size);
        }
        FOffset += Size;
        return true;
    }

private:
    static constexpr std::size_t BufferSize = 1 << 16;
    static constexpr std::size_t SliceSize = 256 * 1024;
    static constexpr std::size_t PieceSize = 8 * SliceSize;
    // Three threads copy about as fast as the memory takes it; a fourth costs more to
    // start than it brings.
    static constexpr std::size_t MaxThreads = 3;

    // A stretch of the file read into place on its own, with the sum of its bytes.
    struct TPiece {
        std::uint8_t* Target;
        std::size_t Size;
        std::size_t Offset;
        std::uint32_t Crc;  // continued over the piece
        std::string Error;
        bool Failed = false;  // without a reason: not even its text could be had
        bool Ok(std::string& Reason) const
        {
            if (Failed) Reason = "not enough memory to load the set";
            if (!Error.empty()) Reason = Error;
            return Error.empty() && !Failed;
        }
    };

    void ReadPiece(TPiece& Piece) const
    {
        for (std::size_t Done = 0; Done < Piece.Size;) {
            const std::size_t Slice = std::min(Piece.Size - Done, SliceSize);
            if (!ReadAt(Piece.Target + Done, Slice, Piece.Offset + Done, Piece.Error)) return;
            Piece.Crc = Crc32(Piece.Crc, Piece.Target + Done, Slice);
            Done += Slice;
        }
    }

    std::size_t TakeBuffered(std::uint8_t* Out, std::size_t Size)
    {
        const std::size_t Buffered = std::min(Size, FEnd - FPos);
        if (Buffered) std::memcpy(Out, FBuffer.get() + FPos, Buffered);
        FPos += Buffered;
        return Buffered;
    }
    bool ReadAt(std::uint8_t* Out, std::size_t Size, std::string& Error)
    {
        if (!ReadAt(Out, Size, FOffset, Error)) return false;
        FOffset += Size;
        return true;
    }
    bool ReadAt(std::uint8_t* Out, std::size_t Size, std::size_t Offset, std::string& Error) const
    {
        while (Size) {
            const std::size_t Got = ReadSome(Out, Size, Offset, Error);
            if (Got == 0) return false;
            Out += Got;
            Offset += Got;
            Size -= Got;
        }
        return true;
    }
    // Some bytes at Offset, or none with Error set.
    std::size_t ReadSome(std::uint8_t* Out, std::size_t Size, std::size_t Offset, std::string& Error) const
    {
        for (;;) {
            const ssize_t Got = ::pread(FHandle, Out, Size, static_cast<off_t>(Offset));
            if (Got > 0) return static_cast<std::size_t>(Got);
            if (Got < 0 && errno == EINTR) continue;
            Error = "cannot read the file: " + (Got < 0 ? ErrnoText(errno) : std::string("it became shorter"));
            return 0;
        }
    }
    int FHandle;
    std::unique_ptr<std::uint8_t[]> FBuffer;
    std::size_t FPos = 0, FEnd = 0;
    std::size_t FOffset = 0;  // where the buffer's bytes end in the file
};

// The most memory the sets read from files may take: the computer's memory, or less
// where the process is held to less.
std::uint64_t MemoryForSets()
{
    std::uint64_t Bytes = std::numeric_limits<std::uint64_t>::max();
    const long Pages = ::sysconf(_SC_PHYS_PAGES), PageSize = ::sysconf(_SC_PAGESIZE);
    if (Pages > 0 && PageSize > 0) Bytes = std::uint64_t(Pages) * std::uint64_t(PageSize);
    for (int Resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit Limit{};
        if (::getrlimit(Resource, &Limit) == 0 && Limit.rlim_cur != RLIM_INFINITY)
            Bytes = std::min<std::uint64_t>(Bytes, Limit.rlim_cur);
    }
    return Bytes;
}

// Reads the body of a set file with a bound: every length and count is checked against
// the bytes that remain before it is used, and everything read joins the checksum. What
// the file makes the reader allocate is counted as well: a file's size says nothing of
// what it holds (a sparse file claims any size it likes without taking room on the
// disk), so a claim beyond the computer's memory is refused before it is allocated.
class TReader {
public:
    TReader(TSource& Source, std::size_t BodySize, std::uint32_t Crc)
        : FSource(Source), FLeft(BodySize), FCrc(Crc), FMemory(MemoryForSets())
    {
    }

    std::size_t Left() const { return FLeft; }
    std::uint32_t Crc() const { return FCrc; }

    // Counts Bytes more of memory for What; false with a reason when the set would need
    // more than there is.
    bool Claim(std::uint64_t Bytes, const std::string& What, std::string& Error)
    {
        FClaimed += Bytes;
        if (FClaimed <= FMemory) return true;
        Error = "too large to load: " + What + " needs " + std::to_string(Bytes) + " bytes of memory, and the set " +
                std::to_string(FClaimed) + " bytes, more than this computer has (" + std::to_string(FMemory) +
                " bytes)";
        return false;
    }

    bool Bytes(void* Target, std::uint64_t Size, const std::string& What, std::string& Error)
    {
        if (Size > FLeft) {
            Error = "damaged or truncated file: " + What + " needs " + std::to_string(Size) + " bytes but only " +
                    std::to_string(FLeft) + " remain";
            return false;
        }
        if (!FSource.ReadSummed(static_cast<std::uint8_t*>(Target), static_cast<std::size_t>(Size), FCrc, Error))
            return false;
        FLeft -= Size;
        return true;
    }
    bool U32(std::uint32_t& Value, const std::string& What, std::string& Error)
    {
        std::uint8_t b[4];
        if (!Bytes(b, 4, What, Error)) return false;
        Value = ReadU32(b);
        return true;
    }
    bool Text(std::string& Value, const std::string& What, std::string& Error)
    {
        std::uint32_t Length = 0;
        if (!U32(Length, What, Error)) return false;
        if (Length > FLeft) return Bytes(nullptr, Length, What, Error);  // reports the shortage
        Value.resize(Length);
        if (!Bytes(Value.data(), Length, What, Error)) return false;
        if (Value.find('\0') != std::string::npos) {
            Error = "damaged file: " + What + " contains a zero byte";
            return false;
        }
        return true;
    }

private:
    TSource& FSource;
    std::size_t FLeft;
    std::uint32_t FCrc;
    std::uint64_t FMemory;
    std::uint64_t FClaimed = 0;
};

bool ReadProperty(TReader& In, TSXDataSet& Set, std::string& Error)
{
    std::string Name;
    std::uint32_t Size = 0;
    if (!In.Text(Name, "a property name", Error) || !In.U32(Size, "the size of property \"" + Name + "\"", Error))
        return false;
    if (Name.empty() || Set.HasProperty(Name.c_str())) {
        Error = "damaged file: an empty or repeated property name \"" + Name + "\"";
        return false;
    }
    if (Size > In.Left()) return In.Bytes(nullptr, Size, "property \"" + Name + "\"", Error);
    if (!In.Claim(Size, "property \"" + Name + "\"", Error)) return false;
    IH<ISXDataProperty> Property = Set.AddProperty(Name.c_str(), static_cast<int>(Size));
    return In.Bytes(Property->GetData(), Size, "property \"" + Name + "\"", Error);
}

bool ReadTable(TReader& In, TSXDataSet& Set, std::string& Error)
{
    std::string Category, Name, DisplayName;
    std::uint32_t Columns = 0, Rows = 0, AxisBits[3] = {0, 0, 0};
    if (!In.Text(Category, "a table category", Error) || !In.Text(Name, "a table name", Error)) return false;
    const std::string Where = " of table \"" + Name + "\"";
    if (!In.Text(DisplayName, "the display name" + Where, Error) ||
        !In.U32(Columns, "the column count" + Where, Error) || !In.U32(Rows, "the row count" + Where, Error) ||
        !In.U32(AxisBits[0], "the default axes" + Where, Error) ||
        !In.U32(AxisBits[1], "the default axes" + Where, Error) ||
        !In.U32(AxisBits[2], "the default axes" + Where, Error))
        return false;
    if (Category.empty() || Name.empty() || Set.FindField(Category.c_str(), Name.c_str())) {
        Error = "damaged file: a table without category or name, or a repeated table \"" + Name + "\"";
        return false;
    }
    if (Columns < 1 || Columns > 0x7FFFFFFFu || Rows > 0x7FFFFFFFu) {
        Error = "damaged file: impossible column or row count" + Where;
        return false;
    }
    for (std::uint32_t Bits : AxisBits) {
        auto Axis = static_cast<std::int32_t>(Bits);
        if (Axis < -1 || Axis >= static_cast<std::int64_t>(Columns)) {
            Error = "damaged file: default axis column out of range" + Where;
            return false;
        }
    }
    // Nothing is allocated for the table before its whole size is known to be in the
    // file; both products fit in 64 bits since the counts are below 2^31.
    const std::uint64_t RecordBytes = std::uint64_t(Columns) * ColumnRecordSize;
    const std::uint64_t CellBytes = std::uint64_t(Columns) * Rows * 4;
    if (RecordBytes + CellBytes > In.Left())
        return In.Bytes(nullptr, RecordBytes + CellBytes, "the column records and cells" + Where, Error);
    if (!In.Claim(RecordBytes + CellBytes,
                  "table \"" + Name + "\" of " + std::to_string(Columns) + " x " + std::to_string(Rows) + " cells",
                  Error))
        return false;

    TPTableData Table(TPTableData::CreateSXTableData(&Set, Category.c_str(), Name.c_str(), int(Columns), 0));
    Table.SetTableName(DisplayName.c_str());
    for (int Axis = 0; Axis < 3; ++Axis) Table.SetDefAxisIdx(Axis, static_cast<std::int32_t>(AxisBits[Axis]));
    for (int c = 0; c < int(Columns); ++c)
        if (!In.Bytes(Table.GetColumnInfo(c), ColumnRecordSize, "a column record" + Where, Error)) return false;
    if (Rows == 0) return true;
    // The table's cells lie column after column as in the file: one read puts them in
    // place, with nothing cleared first.
    float* Cells = Table.FillRows(int(Rows));
    if (!In.Bytes(Cells, CellBytes, "the cells" + Where, Error)) return false;
    if constexpr (std::endian::native != std::endian::little) {
        for (std::uint64_t i = 0; i < std::uint64_t(Columns) * Rows; ++i) {
            std::uint8_t b[4];
            std::memcpy(b, &Cells[i], 4);
            std::uint32_t Bits = ReadU32(b);
            std::memcpy(&Cells[i], &Bits, 4);
        }
    }
    return true;
}

// Reads a whole set file of Size bytes into the empty staging set.
bool ReadSet(TSource& Source, std::size_t Size, bool VerifyChecksum, TSXDataSet& Staging, std::string& Error)
{
    std::uint8_t Header[HeaderSize];
    if (Size < sizeof Magic) {
        Error = "not a set file (unknown file signature)";
        return false;
    }
    if (!Source.Read(Header, std::min(Size, HeaderSize), Error)) return false;
    if (std::memcmp(Header, Magic, sizeof Magic) != 0) {
        Error = "not a set file (unknown file signature)";
        return false;
    }
    if (Size < HeaderSize + ChecksumSize) {
        Error = "truncated file: " + std::to_string(Size) + " bytes are fewer than a set file's header";
        return false;
    }
    const std::uint32_t Version = ReadU32(Header + 8);
    if (Version != FormatVersion) {
        Error = "unsupported set file version " + std::to_string(Version);
        return false;
    }
    TReader In(Source, Size - HeaderSize - ChecksumSize, Crc32(0, Header, HeaderSize));
    const std::uint32_t PropertyCount = ReadU32(Header + 12), TableCount = ReadU32(Header + 16);
    // A property takes at least 9 bytes and a table more than 40, so counts that the
    // file cannot hold are refused at once.
    if (PropertyCount > In.Left() / 8 || TableCount > In.Left() / 40) {
        Error = "damaged file: the property or table count exceeds what the file can hold";
        return false;
    }
    for (std::uint32_t i = 0; i < PropertyCount; ++i)
        if (!ReadProperty(In, Staging, Error)) return false;
    for (std::uint32_t i = 0; i < TableCount; ++i)
        if (!ReadTable(In, Staging, Error)) return false;
    if (In.Left() != 0) {
        Error = "damaged file: " + std::to_string(In.Left()) + " unexpected bytes after the last table";
        return false;
    }
    std::uint8_t Stored[4];
    if (!Source.Read(Stored, 4, Error)) return false;
    if (VerifyChecksum && In.Crc() != ReadU32(Stored)) {
        Error = "damaged file: checksum mismatch";
        return false;
    }
    return true;
}

// Reads into a staging set and moves the result over only when the whole file passed,
// so a damaged file never leaves part of itself in the caller's set.
// Runs a step of reading a file: memory that cannot be had is a reason like any other,
// and no exception leaves the reader.
template <typename TStep>
bool Guarded(std::string& Error, TStep&& Step)
{
    try {
        return Step();
    } catch (const std::bad_alloc&) {
        Error = "not enough memory to load the set";
    } catch (const std::exception& Failure) {
        Error = Failure.what();
    }
    return false;
}

bool Decode(TSource& Source, std::size_t Size, bool VerifyChecksum, TSXDataSet& Set, std::string& Error)
{
    Error.clear();
    return Guarded(Error, [&] {
        TSXDataSet Staging;
        if (!ReadSet(Source, Size, VerifyChecksum, Staging, Error)) return false;
        if (!Set.TakeOver(Staging)) {
            Error = "the data set already holds a property or table of the file";
            return false;
        }
        return true;
    });
}

class TFileHandle {
public:
    explicit TFileHandle(int Handle) : FHandle(Handle) {}
    ~TFileHandle()
    {
        if (FHandle >= 0) ::close(FHandle);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    int Get() const { return FHandle; }
    int Close()
    {
        int Result = ::close(FHandle);
        FHandle = -1;
        return Result;
    }

private:
    int FHandle;
};

}  // namespace

namespace {

std::uint32_t Crc32cTables(std::uint32_t c, const std::uint8_t* p, std::size_t Size)
{
    const auto& T = CrcTables();
    while (Size >= 8) {
        std::uint32_t Low = c ^ ReadU32(p);
        std::uint32_t High = ReadU32(p + 4);
        c = T[7][Low & 0xFF] ^ T[6][(Low >> 8) & 0xFF] ^ T[5][(Low >> 16) & 0xFF] ^ T[4][Low >> 24] ^
            T[3][High & 0xFF] ^ T[2][(High >> 8) & 0xFF] ^ T[1][(High >> 16) & 0xFF] ^ T[0][High >> 24];
        p += 8;
        Size -= 8;
    }
    while (Size--) c = T[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return c;
}

// A sum moves on over zero bytes as a product modulo the polynomial, taken in the sum's
// own bit order (the top bit stands for x^0, the lowest for x^31).
std::uint32_t MultiplyModP(std::uint32_t a, std::uint32_t b)
{
    std::uint32_t Product = 0;
    for (std::uint32_t Bit = std::uint32_t(1) << 31; Bit; Bit >>= 1) {
        if (a & Bit) Product ^= b;
        b = (b & 1) ? 0x82F63B78u ^ (b >> 1) : b >> 1;
    }
    return Product;
}

// x^(8 Bytes) modulo the polynomial, made of the powers x^(8 2^k) by repeated squaring.
std::uint32_t ZeroBytesFactor(std::size_t Bytes)
{
    static const auto Squares = [] {
        std::array<std::uint32_t, 64> Power{};
        Power[0] = std::uint32_t(1) << (31 - 8);
        for (std::size_t k = 1; k < Power.size(); ++k) Power[k] = MultiplyModP(Power[k - 1], Power[k - 1]);
        return Power;
    }();
    std::uint32_t Factor = std::uint32_t(1) << 31;
    for (std::size_t k = 0; Bytes; ++k, Bytes >>= 1)
        if (Bytes & 1) Factor = MultiplyModP(Squares[k], Factor);
    return Factor;
}

std::uint32_t JoinCrc(std::uint32_t Crc, std::uint32_t Next, std::size_t Bytes)
{
    return MultiplyModP(ZeroBytesFactor(Bytes), Crc) ^ Next;
}

#if defined(__x86_64__)
// The sum's state after Bytes zero bytes, as a linear map of the state before: four
// tables of a byte each, for sums of pieces joined in a tight loop.
class TZeroShift {
public:
    explicit TZeroShift(std::size_t Bytes)
    {
        const std::uint32_t Factor = ZeroBytesFactor(Bytes);
        std::uint32_t Image[32];
        for (int Bit = 0; Bit < 32; ++Bit) Image[Bit] = MultiplyModP(Factor, std::uint32_t(1) << Bit);
        for (int Part = 0; Part < 4; ++Part)
            for (int Value = 0; Value < 256; ++Value) {
                std::uint32_t c = 0;
                for (int Bit = 0; Bit < 8; ++Bit)
                    if (Value >> Bit & 1) c ^= Image[8 * Part + Bit];
                FTable[Part][Value] = c;
            }
    }
    std::uint32_t operator()(std::uint32_t c) const
    {
        return FTable[0][c & 0xFF] ^ FTable[1][(c >> 8) & 0xFF] ^ FTable[2][(c >> 16) & 0xFF] ^ FTable[3][c >> 24];
    }

private:
    std::uint32_t FTable[4][256];
};

// Wide carry-less multiplies fold 256 bytes at a time, about twice as fast as the CRC-32C
// instruction sums, so a table's cells are summed in a fraction of their read.
//
// Bytes are polynomials over GF(2) with the first bit read as the highest power, 64 bits
// to a word as the instructions take them (bit i the coefficient of x^(63-i)). What has
// been read is kept as 128-bit pieces whose sum has the same remainder modulo the
// polynomial as the bytes; a piece that moves on by d bits is multiplied by x^d through
// its two halves times the remainders of x^(d+63) and x^(d-1): the multiply itself adds
// the missing power of x. The last piece, summed as 16 bytes by the instruction, is the
// sum of everything.
namespace Fold {

constexpr std::size_t Block = 256;
// Shorter runs keep to the instruction: some processors slow down for a while after wide
// vector work, which only pays for itself over a long run.
constexpr std::size_t From = 64 * 1024;

// The remainder of x^Power as a word of the instructions' bit order.
constexpr std::uint64_t Remainder(int Power)
{
    std::uint64_t r = 1;
    for (int i = 0; i < Power; ++i) {
        r <<= 1;
        if (r >> 32 & 1) r ^= 0x11EDC6F41u;
    }
    std::uint64_t Word = 0;
    for (int d = 0; d < 32; ++d)
        if (r >> d & 1) Word |= std::uint64_t(1) << (63 - d);
    return Word;
}

// The pair that moves a piece on by Bits, for each distance the fold uses: a block, the
// three quarters of the last block, and the lanes within a quarter.
struct TMove {
    std::uint64_t High, Low;
};
constexpr TMove Move(int Bits) { return {Remainder(Bits + 63), Remainder(Bits - 1)}; }
constexpr TMove ByBlock = Move(8 * Block), ByThreeQuarters = Move(6 * Block), ByHalf = Move(4 * Block),
                ByQuarter = Move(2 * Block), ByThreeLanes = Move(384), ByTwoLanes = Move(256), ByLane = Move(128);

// A move for each of the four lanes, or the same move in every lane.
__attribute__((target("avx512f,vpclmulqdq"))) inline __m512i Moves(TMove First, TMove Second, TMove Third, TMove Fourth)
{
    const auto Word = [](std::uint64_t Value) { return static_cast<long long>(Value); };
    return _mm512_set_epi64(Word(Fourth.Low), Word(Fourth.High), Word(Third.Low), Word(Third.High), Word(Second.Low),
                            Word(Second.High), Word(First.Low), Word(First.High));
}
__attribute__((target("avx512f,vpclmulqdq"))) inline __m512i Moves(TMove M) { return Moves(M, M, M, M); }

__attribute__((target("avx512f,vpclmulqdq"))) inline __m512i Times(__m512i Pieces, __m512i By)
{
    return _mm512_xor_si512(_mm512_clmulepi64_epi128(Pieces, By, 0x00), _mm512_clmulepi64_epi128(Pieces, By, 0x11));
}

// The sum continued from c over Size bytes, Size a multiple of Block.
__attribute__((target("avx512f,vpclmulqdq,sse4.2"))) std::uint32_t Sum(std::uint32_t c, const std::uint8_t* p,
                                                                       std::size_t Size)
{
    __m512i A = _mm512_loadu_si512(p), B = _mm512_loadu_si512(p + 64), C = _mm512_loadu_si512(p + 128),
            D = _mm512_loadu_si512(p + 192);
    // The state so far joins the first four bytes.
    A = _mm512_xor_si512(A, _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(c))));
    const __m512i Step = Moves(ByBlock);
    for (std::size_t i = Block; i < Size; i += Block) {
        A = _mm512_xor_si512(Times(A, Step), _mm512_loadu_si512(p + i));
        B = _mm512_xor_si512(Times(B, Step), _mm512_loadu_si512(p + i + 64));
        C = _mm512_xor_si512(Times(C, Step), _mm512_loadu_si512(p + i + 128));
        D = _mm512_xor_si512(Times(D, Step), _mm512_loadu_si512(p + i + 192));
    }
    const __m512i Lanes =
        _mm512_xor_si512(_mm512_ternarylogic_epi64(Times(A, Moves(ByThreeQuarters)), Times(B, Moves(ByHalf)),
                                                   Times(C, Moves(ByQuarter)), 0x96),
                         D);
    // Each lane moves on to the end of the last one, which stays as it is.
    const __m512i Moved =
        _mm512_mask_mov_epi64(Times(Lanes, Moves(ByThreeLanes, ByTwoLanes, ByLane, {0, 0})), 0xC0, Lanes);
    alignas(64) std::uint64_t Words[8];
    _mm512_store_si512(Words, Moved);
    const std::uint64_t First = __builtin_ia32_crc32di(0, Words[0] ^ Words[2] ^ Words[4] ^ Words[6]);
    return static_cast<std::uint32_t>(__builtin_ia32_crc32di(First, Words[1] ^ Words[3] ^ Words[5] ^ Words[7]));
}

}  // namespace Fold

// The processor's CRC-32C instruction: the checksum runs over every byte of large files.
// One instruction waits for the one before, so three stretches are summed side by side
// and joined, which keeps the unit busy; long runs fold where the processor can.
__attribute__((target("sse4.2"))) std::uint32_t Crc32cInstruction(std::uint32_t c, const std::uint8_t* p,
                                                                  std::size_t Size)
{
    static const bool CanFold = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
    if (CanFold && Size >= Fold::From) {
        const std::size_t Folded = Size & ~(Fold::Block - 1);
        c = Fold::Sum(c, p, Folded);
        p += Folded;
        Size -= Folded;
    }
    constexpr std::size_t Stretch = 4096;
    static const TZeroShift OneStretch(Stretch), TwoStretches(2 * Stretch);
    std::uint64_t Wide = c;
    while (Size >= 3 * Stretch) {
        std::uint64_t A = Wide, B = 0, C = 0;
        for (std::size_t i = 0; i < Stretch; i += 8) {
            std::uint64_t Word;
            std::memcpy(&Word, p + i, 8);
            A = __builtin_ia32_crc32di(A, Word);
            std::memcpy(&Word, p + Stretch + i, 8);
            B = __builtin_ia32_crc32di(B, Word);
            std::memcpy(&Word, p + 2 * Stretch + i, 8);
            C = __builtin_ia32_crc32di(C, Word);
        }
        Wide = TwoStretches(static_cast<std::uint32_t>(A)) ^ OneStretch(static_cast<std::uint32_t>(B)) ^
               static_cast<std::uint32_t>(C);
        p += 3 * Stretch;
        Size -= 3 * Stretch;
    }
    while (Size >= 8) {
        std::uint64_t Word;
        std::memcpy(&Word, p, 8);
        Wide = __builtin_ia32_crc32di(Wide, Word);
        p += 8;
        Size -= 8;
    }
    c = static_cast<std::uint32_t>(Wide);
    while (Size--) c = __builtin_ia32_crc32qi(c, *p++);
    return c;
}
#endif

}  // namespace

std::uint32_t Crc32(std::uint32_t Crc, const void* Bytes, std::size_t Size)
{
    const auto* p = static_cast<const std::uint8_t*>(Bytes);
#if defined(__x86_64__)
    static const bool HasInstruction = __builtin_cpu_supports("sse4.2");
    if (HasInstruction) return ~Crc32cInstruction(~Crc, p, Size);
#endif
    return ~Crc32cTables(~Crc, p, Size);
}

bool DecodeSetImage(const std::uint8_t* Bytes, std::size_t Size, bool VerifyChecksum, TSXDataSet& Set,
                    std::string& Error)
{
    TMemorySource Source(Bytes, Size);
    return Decode(Source, Size, VerifyChecksum, Set, Error);
}

namespace {

// An opened file that is a regular one, with its size on disk; otherwise says why not.
// errno must still be that of the open.
bool CheckRegularFile(const TFileHandle& File, const std::string& FileName, std::size_t& Size, std::string& Error)
{
    if (File.Get() < 0) {
        Error = "cannot open " + FileName + ": " + ErrnoText(errno);
        return false;
    }
    struct stat Info;
    if (::fstat(File.Get(), &Info) != 0 || !S_ISREG(Info.st_mode)) {
        Error = FileName + " is not a readable file";
        return false;
    }
    Size = static_cast<std::size_t>(Info.st_size);
    return true;
}

}  // namespace

bool LoadSetFile(const std::string& FileName, TSXDataSet& Set, std::string& Error)
{
    TFileHandle File(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
    std::size_t Size = 0;
    if (!CheckRegularFile(File, FileName, Size, Error)) return false;
    if (!ReadSetFile(File.Get(), Size, Set, Error)) {
        Error = FileName + ": " + Error;
        return false;
    }
    return true;
}

bool ReadSetFile(int Handle, std::size_t Size, TSXDataSet& Set, std::string& Error)
{
    // Every length in the file is checked against the size the file had when opened.
    TFileSource Source(Handle);
    if (!Decode(Source, Size, true, Set, Error)) return false;
    Set.SetModified(false);
    return true;
}

namespace {

// Writes a new file through Body into a temporary file in the target's folder, flushed
// to disk and then renamed over the target, so a failure at any point leaves the previous
// file as it was. Body may refuse (false, with Error set) after it has written. The
// temporary file is locked while it is written, so a remover of stale temporary files in
// another program sharing the folder leaves it alone, and it is removed on every failure.
bool ReplaceFile(const std::string& FileName, const std::function<bool(TWriter&, std::string&)>& Body,
                 std::string& Error)
{
    if (FileName.empty()) {
        Error = "no file name";
        return false;
    }
    TReplacementFile File(FileName);
    if (File.Handle() < 0) {
        Error = "cannot create a temporary file beside " + FileName + ": " + ErrnoText(errno);
        return false;
    }
    auto Fail = [&](const std::string& What, int Code) {
        Error = What + " " + FileName + ": " + ErrnoText(Code) + "; the previous file is kept";
        return false;
    };
    try {
        TWriter Out(File.Handle());
        std::string Refused;
        if (!Body(Out, Refused)) {
            Error = FileName + ": " + Refused + "; the file is kept as it was";
            return false;
        }
        if (Out.Failed()) return Fail("cannot write", Out.Error());
    } catch (const std::bad_alloc&) {
        return Fail("cannot write", ENOMEM);
    } catch (const std::exception& Failure) {
        Error = FileName + ": " + Failure.what() + "; the previous file is kept";
        return false;
    }
    std::string Step;
    int Code = 0;
    if (!File.Replace(Step, Code)) return Fail("cannot " + Step, Code);
    Error.clear();
    return true;
}

// An open set file whose header has been read and checked, its body to be read in order.
struct TOpenSetFile {
    explicit TOpenSetFile(int Handle) : File(Handle), Source(Handle) {}
    TFileHandle File;
    TFileSource Source;
    std::size_t Size = 0;
    std::uint32_t PropertyCount = 0, TableCount = 0;
    std::uint8_t Header[HeaderSize] = {};

    bool Open(const std::string& FileName, std::string& Error)
    {
        if (!CheckRegularFile(File, FileName, Size, Error)) return false;
        if (Size < HeaderSize + ChecksumSize || !Source.Read(Header, HeaderSize, Error) ||
            std::memcmp(Header, Magic, sizeof Magic) != 0) {
            Error = FileName + ": not a set file (unknown file signature or too short)";
            return false;
        }
        if (ReadU32(Header + 8) != FormatVersion) {
            Error = FileName + ": unsupported set file version " + std::to_string(ReadU32(Header + 8));
            return false;
        }
        PropertyCount = ReadU32(Header + 12);
        TableCount = ReadU32(Header + 16);
        return true;
    }
};

}  // namespace

bool SaveSetFile(const std::string& FileName, TSXDataSet& Set, std::string& Error)
{
    const bool Saved = ReplaceFile(
        FileName,
        [&](TWriter& Out, std::string&) {
            WriteSet(Out, Set);
            return true;
        },
        Error);
    if (Saved) Set.SetModified(false);
    return Saved;
}

bool LoadSetProperties(const std::string& FileName, TSXDataSet& Set, std::string& Error)
{
    TOpenSetFile In(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (!In.Open(FileName, Error)) return false;
    return Guarded(Error, [&] {
        TReader Body(In.Source, In.Size - HeaderSize - ChecksumSize, 0);
        TSXDataSet Staging;
        for (std::uint32_t i = 0; i < In.PropertyCount; ++i) {
            if (!ReadProperty(Body, Staging, Error)) {
                Error = FileName + ": " + Error;
                return false;
            }
        }
        if (!Set.TakeOver(Staging)) {
            Error = "the data set already holds a property of the file";
            return false;
        }
        Set.SetModified(false);
        Error.clear();
        return true;
    });
}

bool SaveSetProperties(const std::string& FileName, TSXDataSet& Properties, std::string& Error)
{
    TOpenSetFile In(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (!In.Open(FileName, Error)) return false;
    TReader Body(In.Source, In.Size - HeaderSize - ChecksumSize, Crc32(0, In.Header, HeaderSize));
    TSXDataSet Old;
    const bool Read = Guarded(Error, [&] {
        for (std::uint32_t i = 0; i < In.PropertyCount; ++i)
            if (!ReadProperty(Body, Old, Error)) return false;
        return true;
    });
    if (!Read) {
        Error = FileName + ": " + Error;
        return false;
    }
    // The file's properties in their order, each with the new bytes where there are any,
    // then the new ones.
    std::vector<std::pair<std::string, IH<ISXDataProperty>>> Written;
    for (int i = 0; i < Old.GetPropertyCount(); ++i) {
        const char* Name = Old.GetPropertyName(i);
        IH<ISXDataProperty> New = Properties.FindProperty(Name);
        Written.emplace_back(Name, New.IsAssigned() ? New : Old.GetProperty(i));
    }
    for (int i = 0; i < Properties.GetPropertyCount(); ++i)
        if (!Old.HasProperty(Properties.GetPropertyName(i)))
            Written.emplace_back(Properties.GetPropertyName(i), Properties.GetProperty(i));
    return ReplaceFile(
        FileName,
        [&](TWriter& Out, std::string& Refused) {
            Out.Bytes(Magic, sizeof Magic);
            Out.U32(FormatVersion);
            Out.U32(static_cast<std::uint32_t>(Written.size()));
            Out.U32(In.TableCount);
            for (const auto& [Name, Property] : Written) {
                Out.Text(Name);
                Out.U32(static_cast<std::uint32_t>(Property->GetSize()));
                Out.Bytes(Property->GetData(), static_cast<std::size_t>(Property->GetSize()));
            }
            // The tables go over as bytes; the old checksum runs along, so a damaged file
            // is never sealed as whole.
            std::vector<std::uint8_t> Buffer(std::min<std::size_t>(Body.Left(), std::size_t(1) << 20));
            while (Body.Left() > 0 && !Out.Failed()) {
                const std::size_t Piece = std::min(Body.Left(), Buffer.size());
                if (!Body.Bytes(Buffer.data(), Piece, "the tables", Refused)) return false;
                Out.Bytes(Buffer.data(), Piece);
            }
            std::uint8_t Stored[4];
            if (!In.Source.Read(Stored, 4, Refused)) return false;
            if (Body.Crc() != ReadU32(Stored)) {
                Refused = "damaged file: checksum mismatch";
                return false;
            }
            Out.Finish();
            return true;
        },
        Error);
}

}  // namespace Mps
