// The data-set library: data sets holding named byte properties and tables of float
// cells, seen by the program through the interfaces below. Only the GUI thread uses it,
// apart from a snapshot of a set, which another thread may read (see Snapshot).
//
// Ownership: a data set owns its properties and tables and holds one reference on each.
// A holder (IH) or a table accessor (TPTableData) adds its own reference, so a property
// or table stays valid while it is held even after its set is gone; a table whose set
// was deleted answers GetDataSet() with null. Data sets themselves are deleted only
// through the virtual destructor of ISXDataSet (the program's use counts decide when).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStringList;

// Holder of one counted interface: adds a reference while it holds a pointer and gives
// it back when it lets go.
template <class I>
class IH {
public:
    IH() = default;
    IH(I* Pointer) : FPointer(Pointer)
    {  // NOLINT: implicit on purpose, like a plain pointer
        if (FPointer) FPointer->AddRef();
    }
    IH(const IH& Other) : IH(Other.FPointer) {}
    IH(IH&& Other) noexcept : FPointer(Other.FPointer) { Other.FPointer = nullptr; }
    ~IH()
    {
        if (FPointer) FPointer->Release();
    }
    IH& operator=(const IH& Other)
    {
        Assign(Other.FPointer);
        return *this;
    }
    IH& operator=(IH&& Other) noexcept
    {
        if (this != &Other) {
            I* Old = FPointer;
            FPointer = Other.FPointer;
            Other.FPointer = nullptr;
            if (Old) Old->Release();
        }
        return *this;
    }
    IH& operator=(I* Pointer)
    {
        Assign(Pointer);
        return *this;
    }
    I* Get() const { return FPointer; }
    bool IsAssigned() const { return FPointer != nullptr; }
    I* operator->() const { return FPointer; }

private:
    void Assign(I* Pointer)
    {
        if (Pointer == FPointer) return;
        // The new one is counted before the old one goes, so releasing the old can never
        // free what is about to be held.
        if (Pointer) Pointer->AddRef();
        I* Old = FPointer;
        FPointer = Pointer;
        if (Old) Old->Release();
    }
    I* FPointer = nullptr;
};

// Counted object: AddRef and Release return the new count.
class IRefCounter {
public:
    virtual int AddRef() = 0;
    virtual int Release() = 0;

protected:
    virtual ~IRefCounter() = default;
};

// One named block of bytes of a data set.
class ISXDataProperty : public IRefCounter {
public:
    virtual int GetSize() = 0;
    // Keeps the first bytes, fills new bytes with zeros; the data may move, so callers
    // fetch GetData() again afterwards. A negative size is refused.
    virtual void SetSize(int Size) = 0;
    virtual char* GetData() = 0;
};

class ISXDataProperties {
public:
    // A property of that name with that size (an existing one is resized); empty holder
    // for an empty name or a negative size.
    virtual IH<ISXDataProperty> AddProperty(const char* Name, int Size) = 0;
    // Empty holder when the set has no such property.
    virtual IH<ISXDataProperty> FindProperty(const char* Name) = 0;
    virtual bool HasProperty(const char* Name) = 0;

protected:
    virtual ~ISXDataProperties() = default;
};

// Listeners of a data set; nothing in the program listens.
class ISXClients {
protected:
    virtual ~ISXClients() = default;
};

class ISXDataSet;

// One table of a data set.
class ISXDataField : public IRefCounter {
public:
    virtual ISXDataSet* GetDataSet() = 0;  // null once the set is gone
    virtual const char* GetName() = 0;     // the name given at creation
};

class ISXDataSet : public IRefCounter, public ISXDataProperties, public ISXClients {
public:
    ~ISXDataSet() override = default;
    virtual int GetFieldCount(const char* Category) = 0;
    virtual ISXDataField* GetField(const char* Category, int Index) = 0;  // null out of range
    virtual ISXDataField* FindField(const char* Category, const char* Name) = 0;
    // Appends the names of the category's tables in the set's order.
    virtual void GetFieldNames(const char* Category, TStringList* Names) = 0;
    virtual void SetFileName(const char* FileName) = 0;
    virtual const char* GetFileName() = 0;  // "" when never set
};

// Text fields of the stored records are 50 bytes: at most 50 characters, the rest zeros,
// no terminating zero when the text fills the field.
constexpr int SXFixedTextSize = 50;
void WriteFixedText(char (&Field)[SXFixedTextSize], const std::string& Text);
std::string ReadFixedText(const char (&Field)[SXFixedTextSize]);

#pragma pack(push, 1)
// The record kept for each column of a table; stored as these 151 bytes.
struct TSXColumnInfo {
    std::uint8_t Flags;               // always written 0
    char Name[SXFixedTextSize];       // full name, identifies the column
    char ShortName[SXFixedTextSize];  // heading of grids and reports
    char Unit[SXFixedTextSize];       // empty for values without a unit
};
#pragma pack(pop)
static_assert(sizeof(TSXColumnInfo) == 151, "the column record is stored as 151 bytes");

class TSXDataField;

// The library's data set.
class TSXDataSet : public ISXDataSet {
public:
    TSXDataSet();
    ~TSXDataSet() override;
    TSXDataSet(const TSXDataSet&) = delete;
    TSXDataSet& operator=(const TSXDataSet&) = delete;

    // The set's own counter is informative only: its life is decided by its owner.
    int AddRef() override;
    int Release() override;

    IH<ISXDataProperty> AddProperty(const char* Name, int Size) override;
    IH<ISXDataProperty> FindProperty(const char* Name) override;
    bool HasProperty(const char* Name) override;

    int GetFieldCount(const char* Category) override;
    ISXDataField* GetField(const char* Category, int Index) override;
    ISXDataField* FindField(const char* Category, const char* Name) override;
    void GetFieldNames(const char* Category, TStringList* Names) override;
    void SetFileName(const char* FileName) override;
    const char* GetFileName() override;

    // Every property and table in the set's order, for the set files.
    int GetPropertyCount() const;
    const char* GetPropertyName(int Index) const;
    IH<ISXDataProperty> GetProperty(int Index);
    int GetAllFieldCount() const;
    ISXDataField* GetAllField(int Index);
    const char* GetFieldCategory(int Index) const;

    // A new table, or null when the name is empty or already taken in the category, the
    // column count is below 1 or the reserve is negative.
    ISXDataField* AddField(const char* Category, const char* Name, int Columns, int ReservedRows);

    // Moves every property and table of Other to the end of this set, keeping their
    // order; nothing moves, and false, when one of the names is already taken here.
    bool TakeOver(TSXDataSet& Other);

    // True after any change since the set was made empty, loaded or saved.
    bool GetModified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    // Goes up with every change, so a caller can tell whether the set changed since a
    // moment it remembers.
    std::uint64_t GetChangeCount() const { return FChangeCount; }

    // A copy of the set as it is now, with its file name. The tables' cells are shared
    // with this set until either side writes to them, so the copy costs next to nothing
    // whatever the rows. The copy may be read on another thread while this set goes on
    // being used here, provided both are made, written and deleted on this thread.
    std::unique_ptr<TSXDataSet> Snapshot() const;

private:
    struct TProperty;
    friend class TSXDataField;
    void Touch();
    int FRefCount = 0;
    bool FModified = false;
    std::uint64_t FChangeCount = 0;
    std::string FFileName;
    std::vector<TProperty*> FProperties;
    std::vector<TSXDataField*> FFields;
};

// Accessor over one table. Callers skip every access while Valid is false.
class TPTableData {
public:
    explicit TPTableData(ISXDataField* Field);
    ~TPTableData();
    TPTableData(const TPTableData&) = delete;
    TPTableData& operator=(const TPTableData&) = delete;

    // A new table of 0 rows with room for ReservedRows, or null.
    static ISXDataField* CreateSXTableData(ISXDataSet* DataSet, const char* Category, const char* Name, int Columns,
                                           int ReservedRows);

    bool Valid = false;
    ISXDataField* Field = nullptr;

    int GetNumColumns() const;
    int GetNumRows() const;
    void AddRows(int Count);                         // zero cells after the last row
    void SetData(int Column, int Row, float Value);  // ignored out of range
    float GetData(int Column, int Row) const;        // 0 out of range
    void SetNumRows(int Count);                      // cuts, or adds zero rows
    void Clear();                                    // no rows
    void Pack();                                     // gives back unused reserve
    TSXColumnInfo* GetColumnInfo(int Column);        // null out of range
    void SetDefAxisIdx(int Axis, int Column);        // axis 0 X, 1 left, 2 right
    int GetDefAxisIdx(int Axis) const;               // -1 when unset
    void SetTableName(const char* Name);
    const char* GetTableName() const;

    // The cells of Column from Row on that lie together in memory: Count of them (at
    // least 1) up to the end of the rows or of the storage piece they sit in; null and
    // Count 0 out of range. A table's cells are not one block, so bulk readers and
    // writers walk these runs. The writable run may be taken for writing only.
    const float* GetCellRun(int Column, int Row, int& Count) const;
    float* GetCellRun(int Column, int Row, int& Count);
    // For a reader filling a table of 0 rows: gives it Count rows whose cells are one
    // block, column after column, Count cells each, and returns the block. The cells are
    // not cleared: the caller writes every one before anything reads them. Null (and no
    // change) when the table has rows or Count is below 1.
    float* FillRows(int Count);
    // Copies up to Count cells of Column from FirstRow on into Target; returns how many
    // there were.
    int CopyColumn(int Column, int FirstRow, int Count, float* Target) const;

private:
    TSXDataField* FImpl = nullptr;
};
