#include "zel/experiment/Expregister.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/base/Strings.h"
#include "platform/filer/SXFiler.h"
#include "platform/tabrix/SXDataSet.h"
#include "platform/ui/Application.h"
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

bool WriteFileAside(const std::string& FileName, const std::string& Image, std::string& Error,
                    const TFileImageWriter& Write)
{
    static std::mutex Turn;
    static std::map<std::string, std::uint64_t> Written;
    static std::atomic<std::uint64_t> Issued{0};
    const std::uint64_t Mine = ++Issued;
    bool Ok = false;
    std::string Why;
    RunAside([&] {
        const std::lock_guard<std::mutex> Lock(Turn);
        std::uint64_t& Last = Written[FileName];
        Ok = Last > Mine || (Write ? Write(FileName, Image, Why) : WriteFileAtomically(FileName, Image, &Why));
        if (Ok && Last < Mine) Last = Mine;
    });
    if (!Ok) Error = Why;
    return Ok;
}

TExpRegister::TExpRegister()
{
    WriteFile = [](const std::string& FileName, const std::string& Image, std::string& Error) {
        return WriteFileAside(FileName, Image, Error);
    };
}

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

bool TExpRegister::WriteDescriptionToFile(ISXFiler* Filer, const std::string& FileName, const TRegRecord& Before,
                                          const TRegRecord& After, std::string& Error)
{
    if (!Filer) {
        Error = "no filer is loaded";
        return false;
    }
    // The file is read and rewritten aside, as the register file is: a day-long set's
    // tables are copied over without holding the window.
    bool Ok = false;
    RunAside([&] {
        // The filer keeps each thread's reason apart: it is asked on the thread that failed.
        const auto Failed = [&] {
            const char* Reason = Filer->GetLastError();
            Error = Reason && *Reason ? Reason : "unknown error";
            return false;
        };
        TSXDataSet Properties;
        if (!Filer->LoadProperties(FileName.c_str(), &Properties)) {
            Ok = Failed();
            return;
        }
        if (!WriteDescription(&Properties, Before, After)) {
            Ok = true;
            return;
        }
        // Only the description goes back, all its bytes: the file keeps every other
        // property as it has it.
        IH<ISXDataProperty> Changed = Properties.FindProperty(PropExperimentInfo);
        TSXDataSet Description;
        IH<ISXDataProperty> Written = Description.AddProperty(PropExperimentInfo, Changed->GetSize());
        std::memcpy(Written->GetData(), Changed->GetData(), static_cast<std::size_t>(Changed->GetSize()));
        Ok = Filer->SaveProperties(FileName.c_str(), &Description) || Failed();
    });
    return Ok;
}
