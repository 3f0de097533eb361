// Fuzz entry for the settings file reader: every section and key of any text reads
// without harm, and the number readers agree with themselves.
#include <cstdint>
#include <cstdlib>
#include <string>
#include "FuzzFile.h"
#include "platform/base/IniFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    if (const auto Value = ParseIniInteger(Text)) {
        if (ParseIniInteger(std::to_string(*Value)) != Value) std::abort();
    }
    if (const auto Value = ParseIniFloat(Text)) {
        if (!(*Value == *Value)) std::abort();
    }
    const TIniFile Ini(FuzzFile("zel_fuzz.ini", Data, Size));
    for (const std::string& Section : Ini.ReadSections()) {
        for (const std::string& Key : Ini.ReadSection(Section)) {
            if (!Ini.ValueExists(Section, Key)) std::abort();
            Ini.ReadInteger(Section, Key, 0);
            Ini.ReadIntegerInRange(Section, Key, 1, 0, 3);
            Ini.ReadFloat(Section, Key, 0);
            Ini.ReadBool(Section, Key, false);
        }
    }
    return 0;
}
