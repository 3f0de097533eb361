// Start-up globals, shared enumerations and records, and the small routines every
// window calls.
#pragma once
#include <cstdint>
#include <string>
#include "platform/base/IniFiles.h"
#include "platform/base/Strings.h"

class ISXFiler;
class ISXDataSet;
struct TSXDateTime;
namespace KVC {
class TKvMultiLang;
}

enum TDeviceType : std::uint8_t { dtTrough = 0, dtLbl = 1, dtCombined = 2 };

enum TProcessKind : std::int32_t {
    pkNone = 0,
    pkIsotherm = 1,
    pkDeposition = 2,
    pkScript = 4,
    pkTapeDeposition = 5,
    pkRollDeposition = 6,
    pkDiskDeposition = 7,
    pkCylinderMembraneDeposition = 8,
    pkTDAR = 9,
    pkEUD = 10,
    pkFilmPreparation = 11,
};

struct TAppSettings {
    std::uint32_t UpdateStatusInterval = 500;        // ms between status refreshes
    std::uint32_t UpdateReceivedDataInterval = 500;  // ms between rows-added messages
    std::uint8_t ADCDataAccuracy = 3;                // decimals of surface pressure
};

extern std::string AppPath;           // program folder, ends with "/"
extern std::string SettingsFileName;  // AppPath + "zel.ini"
extern TIniFile* IniFile;             // open from InitCommon to DoneCommon
extern TDeviceType DeviceType;
extern std::string HelpPath;
extern TStringList* ResourceStrings;  // "name=value" lines of language section Resource
extern TAppSettings AppSettings;
extern ISXFiler* Filer;               // from the filer library; null without it
extern KVC::TKvMultiLang* MultiLang;  // the main window's language component

// Maps the settings text of key DeviceType to the device type.
TDeviceType DeviceTypeFromText(const std::string& Text);

void InitCommon();
void DoneCommon();
void ShowHelp();

std::string GetResString(const std::string& Name, const std::string& Default);
std::string ReplaceFirst(const std::string& Text, const std::string& Find, const std::string& Replacement);

// Data-set files through the filer (implemented with the data sets).
// False, with the reason (file name included) in Error when given, when the set did not
// reach the disk.
bool SaveDataSet(const std::string& FileName, ISXDataSet* DataSet, std::string* Error = nullptr);
// The same save for a large set on the window thread: the file is written from a
// snapshot of the set on a worker thread while the window thread goes on handling
// events (the operator's input waits until the file is complete), so the window never
// stalls however long the write and its flushes take. Returns when the file is complete
// or has failed; the set counts as saved only when it did not change meanwhile.
bool SaveDataSetAside(const std::string& FileName, ISXDataSet* DataSet, std::string* Error = nullptr);
// A file the filer cannot read gives an empty set (or none, when not even that could be
// made) and, when Error is given, the reason; Error stays empty after a clean load.
ISXDataSet* LoadDataSet(const std::string& FileName, std::string* Error = nullptr);
void GetNowRecord(TSXDateTime& Record);
