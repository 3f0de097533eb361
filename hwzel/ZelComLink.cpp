#include "hwzel/ZelComLink.h"

#include "hwzel/Ushowbuffer.h"
#include "platform/serial/ComPort.h"
#include "platform/base/IniFiles.h"

namespace {

// How a message packet turns into a notification.
enum class TMessageRule {
    NeedsField,    // posted with field 0; nothing without a field
    DrivesStop,    // sets the drive flag; field 0 or 0
    RotatorStop,   // sets the rotator flag; 0
    RevolverStop,  // sets the revolver flag; 0
    Plain          // posted with 0 whatever the fields
};

struct TMessageEntry {
    const char* Code;
    THlNotifyCode Notify;
    TMessageRule Rule;
};

const TMessageEntry MessageTable[] = {
    {"01", hlnIsothermCycle, TMessageRule::NeedsField},
    {"02", hlnIsothermCompleted, TMessageRule::NeedsField},
    {"03", hlnMotionState, TMessageRule::NeedsField},
    {"04", hlnDrivesStopped, TMessageRule::DrivesStop},
    {"05", hlnDepositionStroke, TMessageRule::NeedsField},
    {"06", hlnDepositionCompleted, TMessageRule::NeedsField},
    {"07", hlnPressureControl, TMessageRule::Plain},
    {"08", hlnSubstanceOver, TMessageRule::NeedsField},
    {"09", hlnContinueAllowed, TMessageRule::Plain},
    {"0A", hlnDipperRotatorStopped, TMessageRule::RotatorStop},
    {"0B", hlnRevolverStopped, TMessageRule::RevolverStop},
    {"10", hlnRollStarted, TMessageRule::Plain},
    {"11", hlnRollFinished, TMessageRule::Plain},
    {"12", hlnTapeStarted, TMessageRule::Plain},
    {"13", hlnTapeFinished, TMessageRule::Plain},
    {"14", hlnRollLimitSwitch, TMessageRule::Plain},
    {"15", hlnDiskStarted, TMessageRule::Plain},
    {"16", hlnDiskFinished, TMessageRule::Plain},
    {"17", hlnCylStarted, TMessageRule::Plain},
    {"18", hlnCylFinished, TMessageRule::Plain},
    {"19", hlnTdarStarted, TMessageRule::Plain},
    {"20", hlnTdarFinished, TMessageRule::Plain},
    {"21", hlnFilmPrepStarted, TMessageRule::Plain},
    {"22", hlnFilmPrepFinished, TMessageRule::Plain},
};

// Motion state codes come in threes per drive (moving one way, the other, stopped);
// 0 means every drive stopped.
bool IsStopCode(std::uint32_t Code) { return Code <= 21 && Code % 3 == 0; }

std::uint8_t HighByte(std::uint32_t Value) { return static_cast<std::uint8_t>((Value >> 8) & 0xFF); }
std::uint8_t LowByte(std::uint32_t Value) { return static_cast<std::uint8_t>(Value & 0xFF); }

LPARAM Address(const void* Record) { return reinterpret_cast<LPARAM>(Record); }

}  // namespace

TZelComLink::TZelComLink()
{
    auto Thread = std::make_unique<TZelComPacketSenderThread>(this);
    FThread = Thread.get();
    SetSenderThread(std::move(Thread));
    FThread->Start();
    // The instrument needs a pause between two packets.
    FThread->SetMinSendInterval(50);
    RegisterReceiveHandlers();
}

TZelComLink::~TZelComLink()
{
    ReleaseTrafficMonitorOf(this);
    Shutdown();
}

void TZelComLink::RegisterReceiveHandlers()
{
    struct TInfoEntry {
        const char* Kind;
        bool (TZelComLink::*Handler)(const TRCmdEventDetails&);
    };
    static const TInfoEntry InfoTable[] = {
        {"INF", &TZelComLink::InfoDeviceState}, {"IZT", &TZelComLink::InfoIsotherm},
        {"DEP", &TZelComLink::InfoDeposition},  {"INR", &TZelComLink::InfoDeviceStateRotator},
        {"CYL", &TZelComLink::InfoCylBalance},  {"TDP", &TZelComLink::InfoTape},
        {"RDP", &TZelComLink::InfoRoll},        {"DDP", &TZelComLink::InfoDisk},
        {"CDP", &TZelComLink::InfoCyl},         {"TDR", &TZelComLink::InfoTdar},
        {"IFP", &TZelComLink::InfoFilmPrep},
    };
    for (const TInfoEntry& Entry : InfoTable) {
        const auto Handler = Entry.Handler;
        RegisterInfoHandler(Entry.Kind, [this, Handler](const TRCmdEventDetails& D) { return (this->*Handler)(D); });
    }
    for (const TMessageEntry& Entry : MessageTable) {
        const TMessageEntry* E = &Entry;
        RegisterMessageHandler(Entry.Code, [this, E](const TRCmdEventDetails& D) {
            switch (E->Rule) {
            // Each report is posted before the wait it ends is released, so the program
            // hears of the stop before anything the released script line sends.
            case TMessageRule::NeedsField:
                if (D.Count() == 0) return false;
                PostNotify(E->Notify, static_cast<LPARAM>(D.Hex(0)));
                if (E->Notify == hlnMotionState && IsStopCode(D.Hex(0))) FThread->DriveDone = true;
                return true;
            case TMessageRule::DrivesStop:
                PostNotify(E->Notify, static_cast<LPARAM>(D.Hex(0)));
                FThread->DriveDone = true;
                return true;
            case TMessageRule::RotatorStop:
                PostNotify(E->Notify, 0);
                FThread->RotatorDone = true;
                return true;
            case TMessageRule::RevolverStop:
                PostNotify(E->Notify, 0);
                FThread->RevolverDone = true;
                return true;
            case TMessageRule::Plain:
                PostNotify(E->Notify, 0);
                return true;
            }
            return false;
        });
    }
}

void TZelComLink::LoadSettings()
{
    if (SettingsFile().empty()) return;
    TCustomComLink::LoadSettings();
    TIniFile Ini(SettingsFile());
    FThread->MechActivationSteps = Ini.ReadInteger("LBL", "MechActivationSteps", 0);
    // Attempts and their wait are positive and bounded, so a damaged file can neither
    // silence the link nor hang it for hours on one packet.
    FThread->SetNumRepeatCommand(Ini.ReadIntegerInRange("PortSettings", "NumRepeatCommand", 4, 1, 100));
    FThread->SetComfirmationCmdTimeout(
        Ini.ReadIntegerInRange("PortSettings", "ComfirmationCmdTimeout", 1000, 1, 60000));
}

int TZelComLink::SendCommand(std::string Line, void* Result, int ResultSize)
{
    if (Line == "ShowSetup") {
        Port()->ShowSetupDialog();
        return 1;
    }
    if (Line == "ShowBuffer") {
        ShowTrafficMonitor();
        return 1;
    }
    return TCustomComLink::SendCommand(std::move(Line), Result, ResultSize);
}

void TZelComLink::ShowTrafficMonitor() { ShowTrafficMonitorFor(this); }

// ----- info packets -----------------------------------------------------------------

bool TZelComLink::InfoDeviceState(const TRCmdEventDetails& D)
{
    if (D.Count() < 5) return false;
    TDeviceState& S = FDeviceState.Next();
    S.barrier1Pos = D.Hex(0);
    S.dipperPos = D.Hex(1);
    S.balance = D.Hex(2);
    S.airTemp = D.Hex(3);
    S.troughTemp = D.Hex(4);
    if (D.Count() >= 7) {
        S.barrier2Pos = D.Hex(5);
        S.plateA = HighByte(D.Hex(6));
        S.plateB = LowByte(D.Hex(6));
        S.doserBalance = D.Hex(7);
        S.doserPlateA = HighByte(D.Hex(8));
        S.doserPlateB = LowByte(D.Hex(8));
        S.doserPos = D.Hex(9);
        S.rotBarrierPos = D.Hex(10);
        S.tapePos = D.Hex(11);
        S.revolverPos = D.Hex(12);
        S.dipperRotatorPos = D.Hex(13);
        if (D.Count() >= 14) S.pumpPos = D.Hex(14);
    }
    const TDeviceState* Record = FDeviceState.Commit();
    PostNotify(hlnDeviceState, Address(Record));
    PostNotify(hlnDeviceStateChanged, Address(Record));
    return true;
}

bool TZelComLink::InfoDeviceStateRotator(const TRCmdEventDetails& D)
{
    if (D.Count() < 5) return false;
    TDeviceState& S = FDeviceState.Next();
    S.dipperRotatorPos = D.Hex(0);
    S.revolverPos = D.Hex(1);
    S.doserPos = D.Hex(2);
    S.doserBalance = D.Hex(3);
    S.doserPlateA = HighByte(D.Hex(4));
    S.doserPlateB = LowByte(D.Hex(4));
    PostNotify(hlnDeviceStateChanged, Address(FDeviceState.Commit()));
    return true;
}

bool TZelComLink::InfoCylBalance(const TRCmdEventDetails& D)
{
    if (D.Count() < 2) return false;
    FDeviceState.Next().balance = D.Hex(1);
    PostNotify(hlnDeviceStateChanged, Address(FDeviceState.Commit()));
    return true;
}

bool TZelComLink::InfoIsotherm(const TRCmdEventDetails& D)
{
    if (D.Count() < 4) return false;
    TIsothermPoint& P = FIsothermPoint.Next();
    P.barrier1Pos = D.Hex(0);
    if (D.Count() >= 5) P.barrier2Pos = D.Hex(4);
    P.dipperPos = D.Hex(1);
    P.balance = D.Hex(2);
    P.time = D.Hex(3);
    PostNotify(hlnIsothermPoint, Address(FIsothermPoint.Commit()));
    return true;
}

bool TZelComLink::InfoDeposition(const TRCmdEventDetails& D)
{
    if (D.Count() < 5) return false;
    TDepositionPoint& P = FDepositionPoint.Next();
    P.barrier1Pos = D.Hex(0);
    if (D.Count() >= 7) P.barrier2Pos = D.Hex(6);
    P.dipperPos = D.Hex(1);
    P.balance = D.Hex(2);
    P.time = D.Hex(3);
    P.pauseLeft = D.Hex(4);
    P.phase = D.Hex(5);
    PostNotify(hlnDepositionPoint, Address(FDepositionPoint.Commit()));
    return true;
}

namespace {
template <typename T>
void FillAccessoryPoint(T& P, const TRCmdEventDetails& D)
{
    P.rotBarrierPos = D.Hex(0);
    P.value1 = D.Hex(1);
    P.value2 = D.Hex(2);
    P.doserBalance = D.Hex(4);
    P.balance = D.Hex(3);
    P.status = D.Hex(5);
}
template <typename T>
void FillDipPoint(T& P, const TRCmdEventDetails& D)
{
    P.value0 = D.Hex(0);
    P.doserBalance = D.Hex(2);
    P.balance = D.Hex(1);
    P.status = D.Hex(3);
}
}  // namespace

bool TZelComLink::InfoTape(const TRCmdEventDetails& D)
{
    if (D.Count() < 6) return false;
    FillAccessoryPoint(FTapePoint.Next(), D);
    PostNotify(hlnTapePoint, Address(FTapePoint.Commit()));
    return true;
}

bool TZelComLink::InfoRoll(const TRCmdEventDetails& D)
{
    if (D.Count() < 6) return false;
    FillAccessoryPoint(FRollPoint.Next(), D);
    PostNotify(hlnRollPoint, Address(FRollPoint.Commit()));
    return true;
}

bool TZelComLink::InfoDisk(const TRCmdEventDetails& D)
{
    if (D.Count() < 4) return false;
    FillDipPoint(FDiskPoint.Next(), D);
    PostNotify(hlnDiskPoint, Address(FDiskPoint.Commit()));
    return true;
}

bool TZelComLink::InfoCyl(const TRCmdEventDetails& D)
{
    if (D.Count() < 4) return false;
    FillDipPoint(FCylPoint.Next(), D);
    PostNotify(hlnCylPoint, Address(FCylPoint.Commit()));
    return true;
}

bool TZelComLink::InfoTdar(const TRCmdEventDetails& D)
{
    if (D.Count() < 8) return false;
    TTdarPoint& P = FTdarPoint.Next();
    P.value0 = D.Hex(0);
    P.value2 = D.Hex(2);
    P.rotBarrierPos = D.Hex(3);
    P.tapePos = D.Hex(4);
    P.balance = D.Hex(5);
    P.doserBalance = D.Hex(6);
    P.status = D.Hex(7);
    PostNotify(hlnTdarPoint, Address(FTdarPoint.Commit()));
    return true;
}

bool TZelComLink::InfoFilmPrep(const TRCmdEventDetails& D)
{
    if (D.Count() < 7) return false;
    TFilmPrepPoint& P = FFilmPrepPoint.Next();
    P.value0 = D.Hex(0);
    P.value1 = D.Hex(1);
    P.value2 = D.Hex(2);
    P.value3 = D.Hex(3);
    P.value4 = D.Hex(4);
    P.value5 = D.Hex(5);
    P.value6 = D.Hex(6);
    PostNotify(hlnFilmPrepPoint, Address(FFilmPrepPoint.Commit()));
    return true;
}
