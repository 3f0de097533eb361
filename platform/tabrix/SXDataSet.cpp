#include "platform/tabrix/SXDataSet.h"
#include <sys/mman.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include "platform/base/Strings.h"

namespace {

std::string Text(const char* Value) { return Value ? std::string(Value) : std::string(); }

}  // namespace

void WriteFixedText(char (&Field)[SXFixedTextSize], const std::string& Text)
{
    std::memset(Field, 0, SXFixedTextSize);
    std::memcpy(Field, Text.data(), std::min<size_t>(Text.size(), SXFixedTextSize));
}

std::string ReadFixedText(const char (&Field)[SXFixedTextSize])
{
    const void* Zero = std::memchr(Field, 0, SXFixedTextSize);
    size_t Length = Zero ? static_cast<size_t>(static_cast<const char*>(Zero) - Field) : SXFixedTextSize;
    return std::string(Field, Length);
}

// ---------------------------------------------------------------------------------------
// Properties

struct TSXDataSet::TProperty final : ISXDataProperty {
    TProperty(TSXDataSet* Owner, std::string Name, int Size)
        : Owner(Owner), Name(std::move(Name)), Bytes(static_cast<size_t>(Size), '\0')
    {
    }

    int AddRef() override { return ++RefCount; }
    int Release() override
    {
        int Count = --RefCount;
        if (Count == 0) delete this;
        return Count;
    }
    int GetSize() override { return static_cast<int>(Bytes.size()); }
    void SetSize(int Size) override
    {
        if (Size < 0) return;
        Bytes.resize(static_cast<size_t>(Size), '\0');
        if (Owner) Owner->Touch();
    }
    char* GetData() override { return Bytes.data(); }

    TSXDataSet* Owner;  // null once the set is gone
    std::string Name;
    std::vector<char> Bytes;
    int RefCount = 1;  // the set's own reference
};

// ---------------------------------------------------------------------------------------
// Tables

// The cells of a column live in chunks of ChunkRows rows, so a growing table never
// copies what it holds: it only adds chunks. Only the first chunk starts small and
// doubles up to the full size, which keeps short tables small. Chunks are shared with
// snapshots of the set and copied by whichever side writes to a shared one first.
constexpr int ChunkShift = 16;
constexpr int ChunkRows = 1 << ChunkShift;
constexpr int ChunkMask = ChunkRows - 1;

using TChunk = std::shared_ptr<float[]>;

TChunk NewChunk(int Rows) { return TChunk(new float[static_cast<size_t>(Rows)]); }

// Cells of a whole table filled at once (a table read from a file). A large block is
// mapped on its own, aligned to and asking for huge pages: touching a new page costs
// far more than the bytes it holds, and a day-long table fills tens of thousands of
// small pages but only a dozen huge ones. Its cells are left as the system gives them:
// the caller writes every one.
constexpr std::size_t HugePage = std::size_t(2) << 20;
constexpr std::size_t MappedBlockBytes = 2 * HugePage;

// The last large block let go is kept for the next one of about its size (a set read
// again, or the next of a series), so reading it in does not pay for new pages again,
// as the allocator keeps freed memory of the heap. One block at most is kept, so what
// stays held is never more than the largest table let go of.
class TBlockCache {
public:
    float* Take(std::size_t Size, std::size_t& Mapped)
    {
        const std::lock_guard<std::mutex> Lock(FLock);
        if (!FKept || FKeptSize < Size || FKeptSize > 2 * Size) return nullptr;
        float* Block = FKept;
        Mapped = FKeptSize;
        FKept = nullptr;
        return Block;
    }
    void Give(float* Block, std::size_t Size)
    {
        float* Old = nullptr;
        std::size_t OldSize = 0;
        {
            const std::lock_guard<std::mutex> Lock(FLock);
            Old = FKept;
            OldSize = FKeptSize;
            FKept = Block;
            FKeptSize = Size;
        }
        if (Old) ::munmap(Old, OldSize);
    }

private:
    std::mutex FLock;
    float* FKept = nullptr;
    std::size_t FKeptSize = 0;
};

// Never destroyed: a table may let go of its block while the program exits.
TBlockCache& BlockCache()
{
    static auto* Cache = new TBlockCache();
    return *Cache;
}

float* MapBlock(std::size_t Size)
{
    void* Mapped = ::mmap(nullptr, Size + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (Mapped == MAP_FAILED) return nullptr;
    const auto Start = reinterpret_cast<std::uintptr_t>(Mapped);
    const std::uintptr_t Aligned = (Start + HugePage - 1) & ~std::uintptr_t(HugePage - 1);
    // What lies before and after the aligned block goes back at once.
    if (Aligned > Start) ::munmap(Mapped, Aligned - Start);
    const std::size_t After = Start + Size + HugePage - (Aligned + Size);
    if (After) ::munmap(reinterpret_cast<void*>(Aligned + Size), After);
    auto* Block = reinterpret_cast<float*>(Aligned);
    ::madvise(Block, Size, MADV_HUGEPAGE);
    return Block;
}

std::shared_ptr<float[]> NewBlock(std::size_t Cells)
{
    const std::size_t Bytes = Cells * sizeof(float);
    if (Bytes >= MappedBlockBytes) {
        std::size_t Size = (Bytes + HugePage - 1) & ~(HugePage - 1);
        float* Block = BlockCache().Take(Size, Size);
        if (!Block) Block = MapBlock(Size);
        if (Block) return std::shared_ptr<float[]>(Block, [Size](float* Cells) { BlockCache().Give(Cells, Size); });
    }
    return std::shared_ptr<float[]>(new float[Cells]);
}

class TSXDataField final : public ISXDataField {
public:
    TSXDataField(TSXDataSet* Owner, std::string Category, std::string Name, int Columns, int ReservedRows)
        : Owner(Owner),
          Category(std::move(Category)),
          Name(std::move(Name)),
          TableName(this->Name),
          ColumnInfo(static_cast<size_t>(Columns)),
          Chunks(static_cast<size_t>(Columns))
    {
        std::memset(ColumnInfo.data(), 0, ColumnInfo.size() * sizeof(TSXColumnInfo));
        Reserve(ReservedRows);
    }

    // The same table over the same cells, for a snapshot: no cell is copied.
    TSXDataField(TSXDataSet* Owner, const TSXDataField& Other)
        : Owner(Owner),
          Category(Other.Category),
          Name(Other.Name),
          TableName(Other.TableName),
          ColumnInfo(Other.ColumnInfo),
          Chunks(Other.Chunks),
          Rows(Other.Rows),
          Capacity(Other.Capacity)
    {
        std::copy(std::begin(Other.DefAxis), std::end(Other.DefAxis), std::begin(DefAxis));
    }

    int AddRef() override { return ++RefCount; }
    int Release() override
    {
        int Count = --RefCount;
        if (Count == 0) delete this;
        return Count;
    }
    ISXDataSet* GetDataSet() override { return Owner; }
    const char* GetName() override { return Name.c_str(); }

    void Changed()
    {
        if (Owner) Owner->Touch();
    }
    int Columns() const { return static_cast<int>(Chunks.size()); }
    bool HasCell(int Column, int Row) const { return Column >= 0 && Column < Columns() && Row >= 0 && Row < Rows; }

    float Cell(int Column, int Row) const
    {
        return Chunks[static_cast<size_t>(Column)][static_cast<size_t>(Row >> ChunkShift)][Row & ChunkMask];
    }

    // The cells of Column from Row to the end of its chunk or of the rows, made the
    // table's own first when a snapshot still shares them.
    float* WritableRun(int Column, int Row, int& Count)
    {
        TChunk& Chunk = Chunks[static_cast<size_t>(Column)][static_cast<size_t>(Row >> ChunkShift)];
        if (Chunk.use_count() > 1) {
            const int Size = ChunkSize(Row >> ChunkShift);
            TChunk Own = NewChunk(Size);
            std::copy_n(Chunk.get(), Size, Own.get());
            Chunk = std::move(Own);
        }
        Count = RunLength(Row);
        return Chunk.get() + (Row & ChunkMask);
    }
    const float* Run(int Column, int Row, int& Count) const
    {
        Count = RunLength(Row);
        return Chunks[static_cast<size_t>(Column)][static_cast<size_t>(Row >> ChunkShift)].get() + (Row & ChunkMask);
    }

    void Resize(int Count)
    {
        if (Count < 0) return;
        Reserve(Count);
        const int Old = Rows;
        Rows = Count;
        // New rows start at zero; rows cut and added again must not show old values.
        for (int c = 0; c < Columns(); ++c) {
            for (int Row = Old; Row < Count;) {
                int Length = 0;
                float* Cells = WritableRun(c, Row, Length);
                std::fill_n(Cells, Length, 0.0f);
                Row += Length;
            }
        }
        Changed();
    }

    // Lets go of whole chunks beyond the rows and trims the last one, unless it holds
    // just the rows already.
    void Pack()
    {
        const size_t Needed = static_cast<size_t>((Rows + ChunkMask) >> ChunkShift);
        const int LastSize = Needed == Chunks[0].size() && Needed > 0
                                 ? Capacity - (static_cast<int>(Needed) - 1) * ChunkRows
                                 : ChunkRows;
        for (auto& Column : Chunks) Column.resize(Needed);
        Capacity = 0;
        if (Needed == 0) return;
        const int Last = static_cast<int>(Needed) - 1;
        const int Used = Rows - Last * ChunkRows;
        Capacity = Last * ChunkRows + LastSize;
        if (Used < LastSize) Reallocate(Last, Used);
    }

    // Count rows for an empty table, in one block laid out as a set file stores them:
    // column after column, Count cells each. Every chunk is a window on the block with a
    // count of its own, so sharing with snapshots and copying on write work chunk by
    // chunk as for chunks made one by one; the block goes once no chunk uses it.
    float* Fill(int Count)
    {
        if (Rows != 0 || Count <= 0) return nullptr;
        const auto Height = static_cast<std::size_t>(Count);
        std::shared_ptr<float[]> Block = NewBlock(Height * static_cast<std::size_t>(Columns()));
        for (int c = 0; c < Columns(); ++c) {
            std::vector<TChunk> Pieces;
            for (int Row = 0; Row < Count; Row += ChunkRows)
                Pieces.emplace_back(Block.get() + static_cast<std::size_t>(c) * Height + static_cast<std::size_t>(Row),
                                    [Block](float*) {});
            Chunks[static_cast<size_t>(c)] = std::move(Pieces);
        }
        Rows = Capacity = Count;
        Changed();
        return Block.get();
    }

    TSXDataSet* Owner;
    std::string Category;
    std::string Name;
    std::string TableName;
    std::vector<TSXColumnInfo> ColumnInfo;
    std::vector<std::vector<TChunk>> Chunks;  // per column, ChunkRows rows each
    int Rows = 0;
    int Capacity = 0;  // rows the chunks hold room for
    int DefAxis[3] = {-1, -1, -1};
    int RefCount = 1;  // the set's own reference

private:
    int ChunkSize(int Index) const
    {
        return Index + 1 == static_cast<int>(Chunks[0].size()) ? Capacity - Index * ChunkRows : ChunkRows;
    }
    int RunLength(int Row) const { return std::min(ChunkRows - (Row & ChunkMask), Rows - Row); }

    // Room for Count rows. A short last chunk (a young first chunk, or one trimmed by a
    // pack) is brought to full size before chunks are added, since every chunk but the
    // last holds ChunkRows rows; the first grows by doubling while the table is short.
    void Reserve(int Count)
    {
        if (Count <= Capacity) return;
        const int Last = static_cast<int>(Chunks[0].size()) - 1;
        if (Last >= 0 && Capacity - Last * ChunkRows < ChunkRows) {
            const int Size =
                Last == 0 && Count < ChunkRows ? std::max(Count, std::min(2 * Capacity, ChunkRows)) : ChunkRows;
            Reallocate(Last, Size);
        }
        while (Capacity < Count) {
            const int Size = Capacity == 0 ? std::min(Count, ChunkRows) : ChunkRows;
            for (auto& Column : Chunks) Column.push_back(NewChunk(Size));
            Capacity += Size;
        }
    }

    // Gives the last chunk Index a new size, keeping the rows it holds.
    void Reallocate(int Index, int Size)
    {
        const int Kept = std::min(std::max(Rows - Index * ChunkRows, 0), Size);
        for (auto& Column : Chunks) {
            TChunk Chunk = NewChunk(Size);
            std::copy_n(Column[static_cast<size_t>(Index)].get(), Kept, Chunk.get());
            Column[static_cast<size_t>(Index)] = std::move(Chunk);
        }
        Capacity = Index * ChunkRows + Size;
    }
};

// ---------------------------------------------------------------------------------------
// Data set

TSXDataSet::TSXDataSet() = default;

TSXDataSet::~TSXDataSet()
{
    for (TProperty* Property : FProperties) {
        Property->Owner = nullptr;
        Property->Release();
    }
    for (TSXDataField* Field : FFields) {
        Field->Owner = nullptr;
        Field->Release();
    }
}

int TSXDataSet::AddRef() { return ++FRefCount; }
int TSXDataSet::Release() { return FRefCount > 0 ? --FRefCount : 0; }

IH<ISXDataProperty> TSXDataSet::AddProperty(const char* Name, int Size)
{
    std::string Key = Text(Name);
    if (Key.empty() || Size < 0) return {};
    for (TProperty* Property : FProperties) {
        if (Property->Name == Key) {
            Property->SetSize(Size);
            return IH<ISXDataProperty>(Property);
        }
    }
    FProperties.push_back(new TProperty(this, Key, Size));
    Touch();
    return IH<ISXDataProperty>(FProperties.back());
}

IH<ISXDataProperty> TSXDataSet::FindProperty(const char* Name)
{
    std::string Key = Text(Name);
    for (TProperty* Property : FProperties)
        if (Property->Name == Key) return IH<ISXDataProperty>(Property);
    return {};
}

bool TSXDataSet::HasProperty(const char* Name) { return FindProperty(Name).IsAssigned(); }

int TSXDataSet::GetFieldCount(const char* Category)
{
    std::string Key = Text(Category);
    return static_cast<int>(std::count_if(FFields.begin(), FFields.end(),
                                          [&](const TSXDataField* Field) { return Field->Category == Key; }));
}

ISXDataField* TSXDataSet::GetField(const char* Category, int Index)
{
    std::string Key = Text(Category);
    for (TSXDataField* Field : FFields) {
        if (Field->Category != Key) continue;
        if (Index == 0) return Field;
        --Index;
    }
    return nullptr;
}

ISXDataField* TSXDataSet::FindField(const char* Category, const char* Name)
{
    std::string Key = Text(Category), FieldName = Text(Name);
    for (TSXDataField* Field : FFields)
        if (Field->Category == Key && Field->Name == FieldName) return Field;
    return nullptr;
}

void TSXDataSet::GetFieldNames(const char* Category, TStringList* Names)
{
    if (!Names) return;
    std::string Key = Text(Category);
    for (TSXDataField* Field : FFields)
        if (Field->Category == Key) Names->Add(Field->Name);
}

void TSXDataSet::SetFileName(const char* FileName) { FFileName = Text(FileName); }
const char* TSXDataSet::GetFileName() { return FFileName.c_str(); }

int TSXDataSet::GetPropertyCount() const { return static_cast<int>(FProperties.size()); }

const char* TSXDataSet::GetPropertyName(int Index) const
{
    if (Index < 0 || Index >= GetPropertyCount()) return "";
    return FProperties[static_cast<size_t>(Index)]->Name.c_str();
}

IH<ISXDataProperty> TSXDataSet::GetProperty(int Index)
{
    if (Index < 0 || Index >= GetPropertyCount()) return {};
    return IH<ISXDataProperty>(FProperties[static_cast<size_t>(Index)]);
}

int TSXDataSet::GetAllFieldCount() const { return static_cast<int>(FFields.size()); }

ISXDataField* TSXDataSet::GetAllField(int Index)
{
    if (Index < 0 || Index >= GetAllFieldCount()) return nullptr;
    return FFields[static_cast<size_t>(Index)];
}

const char* TSXDataSet::GetFieldCategory(int Index) const
{
    if (Index < 0 || Index >= GetAllFieldCount()) return "";
    return FFields[static_cast<size_t>(Index)]->Category.c_str();
}

ISXDataField* TSXDataSet::AddField(const char* Category, const char* Name, int Columns, int ReservedRows)
{
    std::string Key = Text(Category), FieldName = Text(Name);
    if (Key.empty() || FieldName.empty() || Columns < 1 || ReservedRows < 0) return nullptr;
    if (FindField(Category, Name)) return nullptr;
    FFields.push_back(new TSXDataField(this, Key, FieldName, Columns, ReservedRows));
    Touch();
    return FFields.back();
}

bool TSXDataSet::TakeOver(TSXDataSet& Other)
{
    for (TProperty* Property : Other.FProperties)
        if (HasProperty(Property->Name.c_str())) return false;
    for (TSXDataField* Field : Other.FFields)
        if (FindField(Field->Category.c_str(), Field->Name.c_str())) return false;
    for (TProperty* Property : Other.FProperties) {
        Property->Owner = this;
        FProperties.push_back(Property);
    }
    for (TSXDataField* Field : Other.FFields) {
        Field->Owner = this;
        FFields.push_back(Field);
    }
    Other.FProperties.clear();
    Other.FFields.clear();
    Touch();
    return true;
}

void TSXDataSet::Touch()
{
    FModified = true;
    ++FChangeCount;
}

std::unique_ptr<TSXDataSet> TSXDataSet::Snapshot() const
{
    auto Copy = std::make_unique<TSXDataSet>();
    Copy->FFileName = FFileName;
    for (const TProperty* Property : FProperties) {
        auto* Own = new TProperty(Copy.get(), Property->Name, 0);
        Own->Bytes = Property->Bytes;
        Copy->FProperties.push_back(Own);
    }
    for (const TSXDataField* Field : FFields) Copy->FFields.push_back(new TSXDataField(Copy.get(), *Field));
    Copy->FModified = FModified;
    return Copy;
}

// ---------------------------------------------------------------------------------------
// Table accessor

TPTableData::TPTableData(ISXDataField* Field) : Field(Field)
{
    FImpl = dynamic_cast<TSXDataField*>(Field);
    Valid = FImpl != nullptr;
    if (FImpl) FImpl->AddRef();
}

TPTableData::~TPTableData()
{
    if (FImpl) FImpl->Release();
}

ISXDataField* TPTableData::CreateSXTableData(ISXDataSet* DataSet, const char* Category, const char* Name, int Columns,
                                             int ReservedRows)
{
    auto* Set = dynamic_cast<TSXDataSet*>(DataSet);
    return Set ? Set->AddField(Category, Name, Columns, ReservedRows) : nullptr;
}

int TPTableData::GetNumColumns() const { return FImpl ? FImpl->Columns() : 0; }
int TPTableData::GetNumRows() const { return FImpl ? FImpl->Rows : 0; }

void TPTableData::AddRows(int Count)
{
    if (FImpl && Count > 0) FImpl->Resize(FImpl->Rows + Count);
}

void TPTableData::SetData(int Column, int Row, float Value)
{
    if (!FImpl || !FImpl->HasCell(Column, Row)) return;
    int Length = 0;
    *FImpl->WritableRun(Column, Row, Length) = Value;
    FImpl->Changed();
}

float TPTableData::GetData(int Column, int Row) const
{
    if (!FImpl || !FImpl->HasCell(Column, Row)) return 0.0f;
    return FImpl->Cell(Column, Row);
}

void TPTableData::SetNumRows(int Count)
{
    if (FImpl) FImpl->Resize(Count);
}

void TPTableData::Clear()
{
    if (FImpl) FImpl->Resize(0);
}

void TPTableData::Pack()
{
    if (FImpl) FImpl->Pack();
}

TSXColumnInfo* TPTableData::GetColumnInfo(int Column)
{
    if (!FImpl || Column < 0 || Column >= GetNumColumns()) return nullptr;
    return &FImpl->ColumnInfo[static_cast<size_t>(Column)];
}

void TPTableData::SetDefAxisIdx(int Axis, int Column)
{
    if (!FImpl || Axis < 0 || Axis > 2 || Column < -1 || Column >= GetNumColumns()) return;
    FImpl->DefAxis[Axis] = Column;
    FImpl->Changed();
}

int TPTableData::GetDefAxisIdx(int Axis) const
{
    if (!FImpl || Axis < 0 || Axis > 2) return -1;
    return FImpl->DefAxis[Axis];
}

void TPTableData::SetTableName(const char* Name)
{
    if (!FImpl) return;
    FImpl->TableName = Text(Name);
    FImpl->Changed();
}

const char* TPTableData::GetTableName() const { return FImpl ? FImpl->TableName.c_str() : ""; }

const float* TPTableData::GetCellRun(int Column, int Row, int& Count) const
{
    Count = 0;
    if (!FImpl || !FImpl->HasCell(Column, Row)) return nullptr;
    return FImpl->Run(Column, Row, Count);
}

float* TPTableData::GetCellRun(int Column, int Row, int& Count)
{
    Count = 0;
    if (!FImpl || !FImpl->HasCell(Column, Row)) return nullptr;
    FImpl->Changed();
    return FImpl->WritableRun(Column, Row, Count);
}

float* TPTableData::FillRows(int Count) { return FImpl ? FImpl->Fill(Count) : nullptr; }

int TPTableData::CopyColumn(int Column, int FirstRow, int Count, float* Target) const
{
    int Copied = 0;
    while (Copied < Count) {
        int Length = 0;
        const float* Cells = GetCellRun(Column, FirstRow + Copied, Length);
        if (!Cells) break;
        Length = std::min(Length, Count - Copied);
        std::copy_n(Cells, Length, Target + Copied);
        Copied += Length;
    }
    return Copied;
}
