#include "zel/core/Common.h"

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

std::string AppPath;
std::string SettingsFileName;
TIniFile* IniFile = nullptr;
TDeviceType DeviceType = dtCombined;
std::string HelpPath;
TStringList* ResourceStrings = new TStringList;  // lives for the whole run
TAppSettings AppSettings;
ISXFiler* Filer = nullptr;
KVC::TKvMultiLang* MultiLang = nullptr;

TDeviceType DeviceTypeFromText(const std::string& Text)
{
    const std::string upper = UpperCase(Text);
    if (upper == "ZEL") return dtTrough;
    if (upper == "LBL") return dtLbl;
    return dtCombined;
}

void InitCommon()
{
    const std::string exe = Application ? Application->ExeName() : std::string();
    AppPath = exe.substr(0, exe.rfind('/') + 1);
    SettingsFileName = AppPath + "zel.ini";
    // Settings and the register live here; what a crash left half written goes first.
    RemoveStaleTemporaryFiles(AppPath);
    delete IniFile;
    IniFile = new TIniFile(SettingsFileName);
    DeviceType = DeviceTypeFromText(IniFile->ReadString("Common", "DeviceType", ""));
    HelpPath = AppPath + "Help/" + IniFile->ReadString("Common", "HelpFileName", "help.chm");
}

void DoneCommon()
{
    delete IniFile;
    IniFile = nullptr;
    HtmlHelp(0, std::string(), HH_CLOSE_ALL, 0);
}

void ShowHelp() { HtmlHelp(0, HelpPath + "::/index.htm", HH_DISPLAY_TOPIC, 0); }

std::string GetResString(const std::string& Name, const std::string& Default)
{
    if (!ResourceStrings) return Default;
    const std::string value = ResourceStrings->Values(Name);
    return value.empty() ? Default : value;
}

std::string ReplaceFirst(const std::string& Text, const std::string& Find, const std::string& Replacement)
{
    if (Find.empty()) return Text;
    const size_t at = Text.find(Find);
    if (at == std::string::npos) return Text;
    std::string result = Text;
    result.replace(at, Find.size(), Replacement);
    return result;
}
