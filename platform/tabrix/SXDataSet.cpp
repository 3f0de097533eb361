#include "platform/tabrix/SXDataSet.h"
#include <algorithm>
#include <cstring>
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
        if (Owner) Owner->FModified = true;
    }
    char* GetData() override { return Bytes.data(); }

    TSXDataSet* Owner;  // null once the set is gone
    std::string Name;
    std::vector<char> Bytes;
    int RefCount = 1;  // the set's own reference
};

// ---------------------------------------------------------------------------------------
// Tables

class TSXDataField final : public ISXDataField {
public:
    TSXDataField(TSXDataSet* Owner, std::string Category, std::string Name, int Columns, int ReservedRows)
        : Owner(Owner),
          Category(std::move(Category)),
          Name(std::move(Name)),
          TableName(this->Name),
          ColumnInfo(static_cast<size_t>(Columns)),
          Cells(static_cast<size_t>(Columns))
    {
        std::memset(ColumnInfo.data(), 0, ColumnInfo.size() * sizeof(TSXColumnInfo));
        for (auto& Column : Cells) Column.reserve(static_cast<size_t>(ReservedRows));
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
        if (Owner) Owner->FModified = true;
    }
    bool HasCell(int Column, int Row) const
    {
        return Column >= 0 && Column < static_cast<int>(Cells.size()) && Row >= 0 && Row < Rows;
    }
    void Resize(int Count)
    {
        if (Count < 0) return;
        for (auto& Column : Cells) Column.resize(static_cast<size_t>(Count), 0.0f);
        Rows = Count;
        Changed();
    }

    TSXDataSet* Owner;
    std::string Category;
    std::string Name;
    std::string TableName;
    std::vector<TSXColumnInfo> ColumnInfo;
    std::vector<std::vector<float>> Cells;  // one vector per column
    int Rows = 0;
    int DefAxis[3] = {-1, -1, -1};
    int RefCount = 1;  // the set's own reference
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
    FModified = true;
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
    FModified = true;
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
    FModified = true;
    return true;
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

int TPTableData::GetNumColumns() const { return FImpl ? static_cast<int>(FImpl->Cells.size()) : 0; }
int TPTableData::GetNumRows() const { return FImpl ? FImpl->Rows : 0; }

void TPTableData::AddRows(int Count)
{
    if (FImpl && Count > 0) FImpl->Resize(FImpl->Rows + Count);
}

void TPTableData::SetData(int Column, int Row, float Value)
{
    if (!FImpl || !FImpl->HasCell(Column, Row)) return;
    FImpl->Cells[static_cast<size_t>(Column)][static_cast<size_t>(Row)] = Value;
    FImpl->Changed();
}

float TPTableData::GetData(int Column, int Row) const
{
    if (!FImpl || !FImpl->HasCell(Column, Row)) return 0.0f;
    return FImpl->Cells[static_cast<size_t>(Column)][static_cast<size_t>(Row)];
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
    if (!FImpl) return;
    for (auto& Column : FImpl->Cells) Column.shrink_to_fit();
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

const float* TPTableData::GetColumnData(int Column) const
{
    if (!FImpl || Column < 0 || Column >= GetNumColumns()) return nullptr;
    return FImpl->Cells[static_cast<size_t>(Column)].data();
}

float* TPTableData::GetColumnData(int Column)
{
    if (!FImpl || Column < 0 || Column >= GetNumColumns()) return nullptr;
    return FImpl->Cells[static_cast<size_t>(Column)].data();
}
