// Fuzz entry for the language file reader: single texts, whole sections and numbered
// lists of any file read without harm.
#include <cstdint>
#include <cstdlib>
#include <string>
#include "FuzzFile.h"
#include "platform/ui/Application.h"
#include "kvc/KvMultiLang.h"

// Bitmaps and components expect the program's application object, as in the program.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static TApplication Program(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    KVC::TKvMultiLang Lang(nullptr);
    Lang.LangFileName = FuzzFile("zel_fuzz.lng", Data, Size);
    TIniFile Reader(Lang.LangFileName);
    for (const std::string& Section : Reader.ReadSections()) {
        TStringList Items, Keys, Values;
        Lang.GetLangItems(Section.c_str(), &Items);
        Lang.GetLangNumericItems(Section.c_str(), "", &Items);
        for (const std::string& Key : Reader.ReadSection(Section)) Keys.Add(Key);
        Lang.GetLangItems(Section.c_str(), &Keys, &Values);
        if (Values.Count() != Keys.Count()) std::abort();
        std::string Text;
        if (Keys.Count() > 0) Lang.GetLangItem(Section.c_str(), Keys[0].c_str(), &Text);
    }
    return 0;
}
