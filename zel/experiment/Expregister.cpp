#include "zel/experiment/Expregister.h"

#include <utility>
#include <vector>

#include "platform/base/Strings.h"
#include "zel/experiment/Sxproperty.h"

namespace {

// The description texts in the order of the set's description record.
constexpr TRegField DescriptionFields[] = {TRegField::User, TRegField::Compound, TRegField::Substance,
                                           TRegField::Subphase, TRegField::Temperature};

char (&DescriptionText(TZelExperimentInfo& Info, TRegField Field))[SXFixedTextSize]
{
    switch (Field) {
    case TRegField::Compound:
        return Info.CompoundName;
    case TRegField::Substance:
        return Info.Substrate;
    case TRegField::Subphase:
        return Info.Subphase;
    case TRegField::Temperature:
        return Info.Temperature;
    default:
        return Info.UserName;
    }
}

// Comma text: items with blanks, commas or quotes are quoted, inner quotes doubled.
std::string CommaText(const std::vector<std::string>& Items)
{
    std::string Out;
    for (std::size_t i = 0; i < Items.size(); ++i) {
        const std::string& Item = Items[i];
        if (i > 0) Out += ",";
        if (Item.find_first_of(" ,\"") == std::string::npos) {
            Out += Item;
            continue;
        }
        Out += '"';
        for (char C : Item) Out += C == '"' ? std::string("\"\"") : std::string(1, C);
        Out += '"';
    }
    return Out;
}

std::vector<std::string> SplitCommaText(const std::string& Text)
{
    std::vector<std::string> Out;
    std::size_t i = 0;
    while (i < Text.size()) {
        std::string Item;
        if (Text[i] == '"') {
            ++i;
            while (i < Text.size()) {
                if (Text[i] == '"' && i + 1 < Text.size() && Text[i + 1] == '"') {
                    Item += '"';
                    i += 2;
                } else if (Text[i] == '"') {
                    ++i;
                    break;
                } else
                    Item += Text[i++];
            }
        } else {
            while (i < Text.size() && Text[i] != ',') Item += Text[i++];
        }
        Out.push_back(Item);
        if (i < Text.size() && Text[i] == ',') ++i;
    }
    return Out;
}

TRegDate RegDateOf(const TSXDateTime& Value)
{
    return TRegDate{Value.Year, Value.Month, Value.Day, Value.Hour, Value.Minute, Value.Second, Value.MSec};
}

TRegDate RegDateNow()
{
    const TLocalDateTime Now = LocalNow();
    return TRegDate{Now.Year, Now.Month, Now.Day, Now.Hour, Now.Minute, Now.Second, Now.Millisecond};
}

}  // namespace

std::string TExpRegister::CellText(const TRegRecord& Record, int Column)
{
    if (Column < 0 || Column >= RegColumnCount) return {};
    if (Column == 0) return Record.DataName();
    const TRegColumn& Shown = RegColumns[Column];
    if (!Shown.Sorts) return Record.Loaded() ? "Yes" : "No";
    if (Shown.Field == TRegField::Date) return RegDateText(Record.Date);
    return Record.Text(Shown.Field);
}

ISXDataSet* TExpRegister::RecordSet(const TRegRecord& Record) const
{
    const auto Found = FSets.find(Record.SXDataSet);
    return Found == FSets.end() ? nullptr : Found->second;
}

void TExpRegister::SetRecordSet(TRegRecord& Record, ISXDataSet* DataSet)
{
    if (Record.SXDataSet != 0 && RecordSet(Record) != DataSet) FSets.erase(Record.SXDataSet);
    if (!DataSet) {
        Record.SXDataSet = 0;
        return;
    }
    if (RecordSet(Record) == DataSet) return;
    Record.SXDataSet = FNextSetId++;
    FSets[Record.SXDataSet] = DataSet;
}

int TExpRegister::FindByDataName(const std::string& DataName) const
{
    for (int i = 0; i < Count(); ++i)
        if (Record(i).DataName() == DataName) return i;
    return -1;
}

int TExpRegister::FindBySet(ISXDataSet* DataSet) const
{
    if (!DataSet) return -1;
    for (int i = 0; i < Count(); ++i)
        if (RecordSet(Record(i)) == DataSet) return i;
    return -1;
}

int TExpRegister::ListTables(TStringList* List) const
{
    int Added = 0;
    for (int i = 0; i < Count(); ++i)
        for (const std::string& Item : SplitCommaText(Record(i).StrTables)) {
            List->Add(Item);
            ++Added;
        }
    return Added;
}

void TExpRegister::FillFromSet(TRegRecord& Record, ISXDataSet* DataSet)
{
    TSXPropertyRef<TSXDateTime> Date(DataSet, PropDateTime, false);
    Record.Date = Date.Get() ? RegDateOf(*Date.Get()) : RegDateNow();
    TSXPropertyRef<TZelExperimentInfo> Info(DataSet, PropExperimentInfo, false);
    if (TZelExperimentInfo* I = Info.Get())
        for (TRegField Field : DescriptionFields) Record.Text(Field) = ReadFixedText(DescriptionText(*I, Field));
}

std::string TExpRegister::TableList(const TRegRecord& Record, ISXDataSet* DataSet)
{
    if (!DataSet) return {};
    std::string Stem = Record.DataName();
    const std::size_t Ext = Stem.find(".mps");
    if (Ext != std::string::npos) Stem.erase(Ext, 4);
    TStringList Names;
    DataSet->GetFieldNames(ZelTableCategory, &Names);
    std::vector<std::string> Items;
    for (const std::string& Name : Names.Lines()) Items.push_back(Stem + "." + Name);
    return CommaText(Items);
}

bool TExpRegister::DescriptionDiffers(const TRegRecord& Before, const TRegRecord& After)
{
    for (TRegField Field : DescriptionFields)
        if (Before.Text(Field) != After.Text(Field)) return true;
    return false;
}

bool TExpRegister::WriteDescription(ISXDataSet* DataSet, const TRegRecord& Before, const TRegRecord& After)
{
    TSXPropertyRef<TZelExperimentInfo> Info(DataSet, PropExperimentInfo, true);
    TZelExperimentInfo* I = Info.Get();
    if (!I) return false;
    bool Changed = false;
    for (TRegField Field : DescriptionFields) {
        if (After.Text(Field) == Before.Text(Field)) continue;
        WriteFixedText(DescriptionText(*I, Field), After.Text(Field));
        Changed = true;
    }
    return Changed;
}
