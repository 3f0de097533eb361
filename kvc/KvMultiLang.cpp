#include "kvc/KvMultiLang.h"

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

bool TKvMultiLang::GetLangItems(const char* Section, TStringList* Keys, TStringList* Values)
{
    if (!CheckLangFile() || !Section || !Keys || !Values) return false;
    Values->Clear();
    for (int i = 0; i < Keys->Count(); ++i) Values->Add(FReader->ReadString(Section, (*Keys)[i], ""));
    return true;
}

bool TKvMultiLang::GetLangNumericItems(const char* Section, const char* Prefix, TStringList* Items)
{
    if (!CheckLangFile() || !Section || !Items) return false;
    const std::string prefix = Prefix ? Prefix : "";
    Items->Clear();
    // A gap in the numbering ends the list.
    for (int i = 0;; ++i) {
        const std::string key = prefix + std::to_string(i);
        if (!FReader->ValueExists(Section, key)) break;
        Items->Add(FReader->ReadString(Section, key, ""));
    }
    return true;
}

}  // namespace KVC
