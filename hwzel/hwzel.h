// Public face of the device link library: the one interface the program holds, the
// notification message with its codes, and the records the link fills from the
// instrument's reports. The program includes this header; the library implements it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "platform/base/Types.h"

// A script as the program hands it over: one command line per element.
using TScriptStrings = std::vector<std::string>;

// The device link. The program calls every operation from its GUI thread, through the
// object's table, so the order of the operations is fixed between program and library.
// The link lives for the whole run; the program never deletes it through this interface.
class IHardwareLink {
public:
    virtual bool Connect() = 0;
    virtual void Disconnect() = 0;
    virtual bool IsConnected() = 0;
    virtual void SetNotifyTarget(HWND Wnd, UINT Msg) = 0;
    virtual void SetSettingsFile(int Reserved, const char* FileName) = 0;
    virtual void LoadSettings() = 0;
    virtual void SaveSettings() = 0;
    // Queues one command line; with a result buffer it waits (at most 10 s) for the
    // instrument's reply. Always returns 1: failures arrive as notifications.
    virtual int SendCommand(std::string Line, void* Result, int ResultSize) = 0;
    // Queues a copy of the lines; false when there is nothing to run.
    virtual bool RunScript(const TScriptStrings* Script) = 0;
    virtual void AbortScript() = 0;

protected:
    ~IHardwareLink() = default;
};

// The one message from the link to the program's main window.
constexpr UINT WM_LINKNOTIFY = WM_USER + 2000;  // 3024

// First parameter of WM_LINKNOTIFY. Codes 104 and 1000 to 1032 are sent and answered,
// all others are posted. The second parameter is a record or text address, or a number.
enum THlNotifyCode : std::uint32_t {
    hlnErrorText = 0,
    hlnTypeMismatch = 10,

    hlnScriptStarted = 100,
    hlnScriptFinished = 101,
    hlnScriptLine = 102,
    hlnScriptStatus = 103,
    hlnRepeatContinue = 104,
    hlnRepeatBegin = 105,
    hlnRepeatEnd = 106,
    hlnRepeatNext = 107,
    hlnScriptLineFailed = 108,
    hlnScriptLabel = 191,
    hlnScriptInfo = 192,
    hlnScriptRecord = 193,
    hlnScriptNewLayer = 194,
    hlnScriptDipperZero = 195,
    hlnScriptDipperHeight = 196,
    hlnScriptPlateArea = 197,
    hlnScriptPause = 198,
    hlnScriptPrognosis = 199,

    hlnDeviceState = 200,
    hlnIsothermPoint = 201,
    hlnDepositionPoint = 202,
    hlnDeviceStateChanged = 203,
    hlnIsothermCycle = 205,
    hlnIsothermCompleted = 206,
    hlnDepositionStroke = 207,
    hlnDepositionCompleted = 208,
    hlnMotionState = 209,
    hlnDrivesStopped = 210,
    hlnPressureControl = 211,
    hlnSubstanceOver = 212,
    hlnContinueAllowed = 213,
    hlnDipperRotatorStopped = 214,
    hlnRevolverStopped = 215,
    hlnRollStarted = 220,
    hlnRollFinished = 221,
    hlnTapeStarted = 222,
    hlnTapeFinished = 223,
    hlnTapePoint = 224,
    hlnRollPoint = 225,
    hlnRollLimitSwitch = 226,
    hlnDiskPoint = 227,
    hlnDiskStarted = 228,
    hlnDiskFinished = 229,
    hlnCylStarted = 230,
    hlnCylFinished = 231,
    hlnCylPoint = 232,
    hlnTdarStarted = 233,
    hlnTdarFinished = 234,
    hlnTdarPoint = 235,
    hlnFilmPrepStarted = 236,
    hlnFilmPrepFinished = 237,
    hlnFilmPrepPoint = 238,

    // Conversion requests: the second parameter is the address of a double holding the
    // user value; the answer is the device value as a signed 32-bit integer.
    hlnConvFBSensetivity = 1000,
    hlnConvFBLimitUp = 1001,
    hlnConvFBLimitDown = 1002,
    hlnConvBarrierSpeed = 1003,
    hlnConvDipperSpeed = 1004,
    hlnConvDipperDistance = 1005,
    hlnConvBarrierPosition = 1006,
    hlnConvTroughArea = 1007,
    hlnConvPressure = 1008,
    hlnConvDipperRotatorAngle = 1009,
    hlnConvRevolverAngle = 1010,
    hlnConvCellToRotator = 1011,
    hlnConvCellToRevolver = 1012,
    hlnConvRotationSpeed = 1013,
    hlnConvClosingBarrierSpeed = 1014,
    hlnConvDoserDistance = 1016,
    hlnConvTapeSpeed = 1017,
    hlnConvDoserSpeed = 1018,
    hlnConvDoserPressure = 1019,
    hlnConvRotBarrierSpeed = 1020,
    hlnConvDipPressure = 1021,
    hlnConvDipPressureRange = 1022,
    hlnConvDosPressure = 1023,
    hlnConvDosPressureRange = 1024,
    hlnConvDiskSpeed = 1025,
    hlnConvCylinderSpeed = 1026,
    hlnConvDoser2Distance = 1027,
    hlnConvDoser2Speed = 1028,
    hlnConvDoser2Pressure = 1029,
    hlnConvFBPCoeff = 1030,
    hlnConvPumpVolume = 1031,
    hlnConvPumpSpeed = 1032,
};

// The instrument's state: raw device readings (steps and ADC counts) as the last info
// packets carried them.
struct TDeviceState {
    std::uint32_t barrier1Pos;
    std::uint32_t barrier2Pos;
    std::uint32_t dipperPos;
    std::uint32_t balance;
    std::uint32_t airTemp;
    std::uint32_t troughTemp;
    std::uint32_t dipperRotatorPos;
    std::uint32_t revolverPos;
    std::uint32_t doserPos;
    std::uint32_t doserBalance;
    std::uint32_t rotBarrierPos;
    std::uint32_t tapePos;
    std::uint32_t pumpPos;
    std::uint8_t plateA;
    std::uint8_t plateB;
    std::uint8_t doserPlateA;
    std::uint8_t doserPlateB;
};

// One measured point of each process, raw device values.
struct TIsothermPoint {
    std::uint32_t barrier1Pos;
    std::uint32_t barrier2Pos;
    std::uint32_t dipperPos;
    std::uint32_t balance;
    std::uint32_t time;  // tenths of a second
};

struct TDepositionPoint {
    std::uint32_t barrier1Pos;
    std::uint32_t barrier2Pos;
    std::uint32_t dipperPos;
    std::uint32_t balance;
    std::uint32_t time;       // tenths of a second
    std::uint32_t pauseLeft;  // seconds
    std::uint32_t phase;      // 0 positioning, 1 down, 2 up, 3 pause below, 4 pause above
};

// Accessory points: status carries the drives' activity bits
// (bit 0 doser, bit 1 rotating barrier, bit 2 tape).
struct TTapePoint {
    std::uint32_t rotBarrierPos;
    std::uint32_t value1;
    std::uint32_t value2;
    std::uint32_t doserBalance;
    std::uint32_t balance;
    std::uint32_t status;
};

struct TRollPoint {
    std::uint32_t rotBarrierPos;
    std::uint32_t value1;
    std::uint32_t value2;
    std::uint32_t doserBalance;
    std::uint32_t balance;
    std::uint32_t status;
};

struct TDiskPoint {
    std::uint32_t value0;
    std::uint32_t doserBalance;
    std::uint32_t balance;
    std::uint32_t status;
};

struct TCylPoint {
    std::uint32_t value0;
    std::uint32_t doserBalance;
    std::uint32_t balance;
    std::uint32_t status;
};

struct TTdarPoint {
    std::uint32_t value0;
    std::uint32_t value2;
    std::uint32_t rotBarrierPos;
    std::uint32_t tapePos;
    std::uint32_t balance;
    std::uint32_t doserBalance;
    std::uint32_t status;
};

struct TFilmPrepPoint {
    std::uint32_t value0;
    std::uint32_t value1;
    std::uint32_t value2;
    std::uint32_t value3;
    std::uint32_t value4;
    std::uint32_t value5;
    std::uint32_t value6;
};

// Predicted course of a script, in the user units of its lines. Owned by the script
// window; the link writes into it while a prognosis is attached.
struct TScriptPrognosisStatus {
    double barrier1Pos;
    double barrier2Pos;
    double dipperPos;
    double time;
    double dipperRotatorAngle;
    double revolverAngle;
    double doserPos;
};

// Exports of the library, looked up by these names.
extern "C" {
using TCreateHardwareLinkFunc = IHardwareLink* (*)();
// Ends a link made by _CreateHardwareLink in order: stops its threads, closes the port
// and the log. For an orderly exit; the program may also let the process end.
using TDestroyHardwareLinkFunc = void (*)(IHardwareLink*);
}
constexpr const char* CreateHardwareLinkName = "_CreateHardwareLink";
constexpr const char* DestroyHardwareLinkName = "_DestroyHardwareLink";
// Data export: the address of the traffic monitor window's pointer (null while none).
constexpr const char* ShowBufferName = "_FShowBuffer";
