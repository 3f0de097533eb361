#include "kvc/KvMultiLang.h"

#include <unordered_map>

namespace KVC {

TKvMultiLang::TKvMultiLang(TComponent* Owner) : TComponent(Owner) {}

TKvMultiLang::~TKvMultiLang() = default;

bool TKvMultiLang::CheckLangFile()
{
    if (!FReader) {
        if (LangFileName.empty()) return false;
        FReader = std::make_unique<TIniFile>(LangFileName);
        return true;
    }
    // Emptying the name keeps the last file in use.
    if (!LangFileName.empty() && FReader->FileName() != LangFileName)
        FReader = std::make_unique<TIniFile>(LangFileName);
    return true;
}

bool TKvMultiLang::GetLangItem(const char* Section, const char* Key, std::string* Text)
{
    if (!CheckLangFile() || !Section || !Key || !Text) return false;
    *Text = FReader->ReadString(Section, Key, *Text);
    return true;
}

bool TKvMultiLang::GetLangItems(const char* Section, TStringList* Items)
{
    if (!CheckLangFile() || !Section || !Items) return false;
    Items->Clear();
    for (const std::string& line : FReader->ReadSectionValues(Section)) Items->Add(line);
    return true;
}

namespace {

// The section's values by upper-cased key, from one reading of the file: a request for
// many keys then costs one pass over the file, not one per key.
std::unordered_map<std::string, std::string> SectionValues(const TIniFile& Reader, const char* Section)
{
    std::unordered_map<std::string, std::string> values;
    for (const std::string& line : Reader.ReadSectionValues(Section)) {
        const std::size_t equals = line.find('=');
        values.emplace(UpperCase(line.substr(0, equals)), line.substr(equals + 1));
    }
    return values;
}

}  // namespace

bool TKvMultiLang::GetLangItems(const char* Section, TStringList* Keys, TStringList* Values)
{
    if (!CheckLangFile() || !Section || !Keys || !Values) return false;
    Values->Clear();
    const auto values = SectionValues(*FReader, Section);
    for (int i = 0; i < Keys->Count(); ++i) {
        const auto found = values.find(UpperCase((*Keys)[i]));
        Values->Add(found == values.end() ? std::string() : found->second);
    }
    return true;
}

bool TKvMultiLang::GetLangNumericItems(const char* Section, const char* Prefix, TStringList* Items)
{
    if (!CheckLangFile() || !Section || !Items) return false;
    const std::string prefix = Prefix ? Prefix : "";
    Items->Clear();
    const auto values = SectionValues(*FReader, Section);
    // A gap in the numbering ends the list.
    for (int i = 0;; ++i) {
        const auto found = values.find(UpperCase(prefix + std::to_string(i)));
        if (found == values.end()) break;
        Items->Add(found->second);
    }
    return true;
}

}  // namespace KVC
