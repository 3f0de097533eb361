#include "zel/core/Hlprovider.h"
#include <cstdio>
#include <cstring>
#include "zel/core/Clb_unit.h"

THlProvider HlProvider;

namespace {
// A text query's reply buffer; the instrument's texts are shorter.
constexpr int TextReplySize = 100;
}  // namespace

void THlProvider::SendCommand(const char* Line, void* Result, int ResultSize)
{
    // The link always answers 1 and reports failures as notifications, so the result
    // carries nothing for the caller.
    Link->SendCommand(std::string(Line), Result, ResultSize);
}

void THlProvider::SendValue(const char* Word, std::uint32_t Value)
{
    if (!Link) return;
    std::snprintf(Command, sizeof Command, "%s %08X", Word, Value);
    SendCommand(Command, nullptr, 0);
}

void THlProvider::SendVerb(const char* Verb)
{
    if (!Link) return;
    SendCommand(Verb, nullptr, 0);
}

void THlProvider::QueryText(const char* Word, std::string& Text)
{
    Text.clear();
    if (!Link) return;
    char Reply[TextReplySize] = {};
    std::snprintf(Command, sizeof Command, "%s", Word);
    SendCommand(Command, Reply, sizeof Reply);
    // A reply that fills the whole buffer has no terminator of its own.
    Text.assign(Reply, strnlen(Reply, sizeof Reply));
}

// Feedback

void THlProvider::SetFBSensetivity(int Value) { SendValue("FBSensetivity=", Value); }
void THlProvider::SetFBLimitUp(int Value) { SendValue("FBLimitUp=", Value); }
void THlProvider::SetFBLimitDown(int Value) { SendValue("FBLimitDown=", Value); }
void THlProvider::SetFBPCoeff(int Value) { SendValue("FBPCoeff=", Value); }

// Manual drives

void THlProvider::SetDipperSpeed(int Value) { SendValue("DipperSpeed=", Value); }
void THlProvider::SetBarrier1Speed(int Value) { SendValue("Barrier1Speed=", Value); }
void THlProvider::SetBarrier2Speed(int Value) { SendValue("Barrier2Speed=", Value); }
void THlProvider::SetDipTopLevel(int Value) { SendValue("DipTopLevel=", Value); }
void THlProvider::SetLblDipTopLevel(int Value) { SendValue("LblDipTopLevel=", Value); }
void THlProvider::SetDipBottomLevel(int Value) { SendValue("DipBottomLevel=", Value); }
void THlProvider::SetLblDipBottomLevel(int Value) { SendValue("LblDipBottomLevel=", Value); }
void THlProvider::Barrier1MoveLeft(int Value) { SendValue("Barrier1MoveLeft", Value); }
void THlProvider::Barrier1MoveRight(int Value) { SendValue("Barrier1MoveRight", Value); }
void THlProvider::Barrier1Stop() { SendVerb("Barrier1Stop"); }
void THlProvider::Barrier2MoveLeft(int Value) { SendValue("Barrier2MoveLeft", Value); }
void THlProvider::Barrier2MoveRight(int Value) { SendValue("Barrier2MoveRight", Value); }
void THlProvider::Barrier2Stop() { SendVerb("Barrier2Stop"); }
void THlProvider::DipperMoveUp(int Value) { SendValue("DipperMoveUp", Value); }
void THlProvider::DipperMoveDown(int Value) { SendValue("DipperMoveDown", Value); }
void THlProvider::DipperStop() { SendVerb("DipperStop"); }

// General

void THlProvider::SetInputFlowInterval(int Value) { SendValue("InputFlowInterval=", Value); }
void THlProvider::SetKeyboardBlock(int Value) { SendValue("KeyboardBlock=", Value); }

void THlProvider::SetCLBCoeff(const TClbCoeff& Coeff)
{
    if (!Link) return;
    std::snprintf(Command, sizeof Command, "%s %08X %08X %08X %08X", "CLBCoeff=", Coeff.hwMin, Coeff.shMin, Coeff.hwMax,
                  Coeff.shMax);
    SendCommand(Command, nullptr, 0);
}

TClbCoeff THlProvider::GetCLBCoeff()
{
    TClbCoeff Coeff{};
    if (!Link) return Coeff;
    std::snprintf(Command, sizeof Command, "%s", "=CLBCoeff");
    SendCommand(Command, &Coeff, sizeof Coeff);
    return Coeff;
}

void THlProvider::GetDeviceName(std::string& Text) { QueryText("=DeviceName", Text); }
void THlProvider::GetDeviceVersion(std::string& Text) { QueryText("=DeviceVersion", Text); }
void THlProvider::GetManufacturer(std::string& Text) { QueryText("=Manufacturer", Text); }
void THlProvider::GetDeviceDate(std::string& Text) { QueryText("=DeviceDate", Text); }

// Isotherm

void THlProvider::SetIstType(int Value) { SendValue("IstType=", Value); }
void THlProvider::SetIstBeginPos(int Value) { SendValue("IstBeginPos=", Value); }
void THlProvider::SetIstEndPos(int Value) { SendValue("IstEndPos=", Value); }
void THlProvider::SetIstDataStep(int Value) { SendValue("IstDataStep=", Value); }
void THlProvider::SetIstBarrierSpeed(int Value) { SendValue("IstBarrierSpeed=", Value); }
void THlProvider::SetIstStpCompPause(int Value) { SendValue("IstStpCompPause=", Value); }
void THlProvider::SetIstStpCompStep(int Value) { SendValue("IstStpCompStep=", Value); }
void THlProvider::SetIstNumCycles(int Value) { SendValue("IstNumCycles=", Value); }
void THlProvider::SetIstBackwardData(int Value) { SendValue("IstBackwardData=", Value); }
void THlProvider::SetIstBeginPressure(int Value) { SendValue("IstBeginPressure=", Value); }
void THlProvider::SetIstEndPressure(int Value) { SendValue("IstEndPressure=", Value); }
void THlProvider::SetIstProcessTime(int Value) { SendValue("IstProcessTime=", Value); }
void THlProvider::StartIsotherm() { SendVerb("StartIsotherm"); }

// Deposition

void THlProvider::SetDepType(int Value) { SendValue("DepType=", Value); }
void THlProvider::SetDepPressure(int Value) { SendValue("DepPressure=", Value); }
void THlProvider::SetDepSpeedUp(int Value) { SendValue("DepSpeedUp=", Value); }
void THlProvider::SetDepSpeedDown(int Value) { SendValue("DepSpeedDown=", Value); }
void THlProvider::SetDepPauseUp(int Value) { SendValue("DepPauseUp=", Value); }
void THlProvider::SetDepPauseDown(int Value) { SendValue("DepPauseDown=", Value); }
void THlProvider::SetDepNumLayers(int Value) { SendValue("DepNumLayers=", Value); }
void THlProvider::SetDepStpCompPause(int Value) { SendValue("DepStpCompPause=", Value); }
void THlProvider::SetDepStpCompStep(int Value) { SendValue("DepStpCompStep=", Value); }
void THlProvider::SetDepKeepPressureControl(int Value) { SendValue("DepKeepPressureControl=", Value); }
void THlProvider::SetDepMaxBarrierStep(int Value) { SendValue("DepMaxBarrierStep=", Value); }
void THlProvider::SetDepBarriersSpeed(std::uint16_t Value) { SendValue("DepBarriersSpeed=", Value); }
void THlProvider::SetDepKeepDipperAfterSubstanceEnd(std::uint16_t Value)
{
    SendValue("DepKeepDipperAfterSubstanceEnd=", Value);
}
void THlProvider::SetDepKeepPressureBetweenDeposition(std::uint16_t Value)
{
    SendValue("DepKeepPressureBetweenDeposition=", Value);
}
void THlProvider::SetDepOpenPressure(std::uint16_t Value) { SendValue("DepOpenPressure=", Value); }
void THlProvider::StartDeposition() { SendVerb("StartDeposition"); }
void THlProvider::ContinueDeposition() { SendVerb("ContinueDeposition"); }

// Process and script

void THlProvider::ProcessStop() { SendVerb("ProcessStop"); }

void THlProvider::SetCalcScriptPrognosis(TScriptPrognosisStatus* Status)
{
    if (!Link) return;
    // An address is wider than the eight digits of other values: all of it is written.
    std::snprintf(Command, sizeof Command, "%s %016llX",
                  "CalcScriptPrognosis=", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(Status)));
    SendCommand(Command, nullptr, 0);
}

void THlProvider::SetExecuteCommand(bool Execute)
{
    if (!Link) return;
    std::snprintf(Command, sizeof Command, "%s %X", "ExecuteCommand=", static_cast<unsigned>(Execute));
    SendCommand(Command, nullptr, 0);
}

// Dipper rotator and revolver

void THlProvider::InitDipperRotator() { SendVerb("InitDipperRotator"); }
void THlProvider::StopDipperRotator() { SendVerb("StopDipperRotator"); }
void THlProvider::RotateDipperCW(int Value) { SendValue("RotateDipperCW", Value); }
void THlProvider::RotateDipperCCW(int Value) { SendValue("RotateDipperCCW", Value); }
void THlProvider::InitRevolver() { SendVerb("InitRevolver"); }
void THlProvider::StopRevolver() { SendVerb("StopRevolver"); }
void THlProvider::RotateRevolverCW(int Value) { SendValue("RotateRevolverCW", Value); }
void THlProvider::RotateRevolverCCW(int Value) { SendValue("RotateRevolverCCW", Value); }

void THlProvider::MoveDipperToCell(int Cell)
{
    if (!Link) return;
    // The cell number is decimal: the link converts it into both drives' positions.
    std::snprintf(Command, sizeof Command, "%s %d", "MoveDipperToCell", Cell);
    SendCommand(Command, nullptr, 0);
}

// Doser, rotating barrier and tape

void THlProvider::DoserMoveUp(int Value) { SendValue("DoserMoveUp", Value); }
void THlProvider::DoserMoveDown(int Value) { SendValue("DoserMoveDown", Value); }
void THlProvider::DoserStop() { SendVerb("DoserStop"); }
void THlProvider::SetDoserSpeed(int Value) { SendValue("DoserSpeed=", Value); }
void THlProvider::SetRotBarrierSpeed(int Value) { SendValue("RotBarrierSpeed=", Value); }
void THlProvider::SetTapeSpeed(int Value) { SendValue("TapeSpeed=", Value); }
void THlProvider::RotBarrierMoveLeft() { SendVerb("RotBarrierMoveLeft"); }
void THlProvider::RotBarrierMoveRight() { SendVerb("RotBarrierMoveRight"); }
void THlProvider::RotBarrierStop() { SendVerb("RotBarrierStop"); }
void THlProvider::TapeMoveLeft() { SendVerb("TapeMoveLeft"); }
void THlProvider::TapeMoveRight() { SendVerb("TapeMoveRight"); }
void THlProvider::TapeStop() { SendVerb("TapeStop"); }
void THlProvider::SetDoserAutoPressure(int Value) { SendValue("DoserAutoPressure=", Value); }
void THlProvider::SetDoserKeepPressure(int Value) { SendValue("DoserKeepPressure=", Value); }

// Peristaltic pump

void THlProvider::PeristalticPumpReset() { SendVerb("PeristalticPumpReset"); }
void THlProvider::SetPeristalticPumpSpeed(int Value) { SendValue("PeristalticPumpSpeed=", Value); }
void THlProvider::PeristalticPumpMoveCW(int Value) { SendValue("PeristalticPumpMoveCW", Value); }
void THlProvider::PeristalticPumpMoveCCW(int Value) { SendValue("PeristalticPumpMoveCCW", Value); }
void THlProvider::PeristalticPumpStop() { SendVerb("PeristalticPumpStop"); }
void THlProvider::DriveAllStop() { SendVerb("DriveAllStop"); }

// Roll deposition

void THlProvider::SetRdDirection(int Value) { SendValue("RdDirection=", Value); }
void THlProvider::SetRdSpeed(int Value) { SendValue("RdSpeed=", Value); }
void THlProvider::SetRdPressureDip(int Value) { SendValue("RdPressureDip=", Value); }
void THlProvider::SetRdRangePressureDip(int Value) { SendValue("RdRangePressureDip=", Value); }
void THlProvider::SetRdFeedbackSpeed(int Value) { SendValue("RdFeedbackSpeed=", Value); }
void THlProvider::SetRdApproachSpeed(int Value) { SendValue("RdApproachSpeed=", Value); }
void THlProvider::StartRollDeposition() { SendVerb("StartRollDeposition"); }

// Tape deposition

void THlProvider::SetTdDoserMode(int Value) { SendValue("TdDoserMode=", Value); }
void THlProvider::SetTdDoserSpeed(int Value) { SendValue("TdDoserSpeed=", Value); }
void THlProvider::SetTdDoserPresStart(int Value) { SendValue("TdDoserPresStart=", Value); }
void THlProvider::SetTdDoserPresStop(int Value) { SendValue("TdDoserPresStop=", Value); }
void THlProvider::SetTdRotbarMode(int Value) { SendValue("TdRotbarMode=", Value); }
void THlProvider::SetTdRotbarDir(int Value) { SendValue("TdRotbarDir=", Value); }
void THlProvider::SetTdRotbarSpeed(int Value) { SendValue("TdRotbarSpeed=", Value); }
void THlProvider::SetTdRotbarPresStart(int Value) { SendValue("TdRotbarPresStart=", Value); }
void THlProvider::SetTdRotbarPresStop(int Value) { SendValue("TdRotbarPresStop=", Value); }
void THlProvider::SetTdTapeMode(int Value) { SendValue("TdTapeMode=", Value); }
void THlProvider::SetTdTapeDir(int Value) { SendValue("TdTapeDir=", Value); }
void THlProvider::SetTdTapeSpeed(int Value) { SendValue("TdTapeSpeed=", Value); }
void THlProvider::SetTdTapePresStart(int Value) { SendValue("TdTapePresStart=", Value); }
void THlProvider::SetTdTapePresStop(int Value) { SendValue("TdTapePresStop=", Value); }
void THlProvider::StartTapeDeposition() { SendVerb("StartTapeDeposition"); }

// Disk deposition

void THlProvider::SetDdDirection(int Value) { SendValue("DdDirection=", Value); }
void THlProvider::SetDdSpeed(int Value) { SendValue("DdSpeed=", Value); }
void THlProvider::SetDdPressure(int Value) { SendValue("DdPressure=", Value); }
void THlProvider::SetDdRangePressure(int Value) { SendValue("DdRangePressure=", Value); }
void THlProvider::SetDdFeedbackSpeed(int Value) { SendValue("DdFeedbackSpeed=", Value); }
void THlProvider::SetDdApproachSpeed(int Value) { SendValue("DdApproachSpeed=", Value); }
void THlProvider::SetDdDoserMode(int Value) { SendValue("DdDoserMode=", Value); }
void THlProvider::SetDdDoserSpeed(int Value) { SendValue("DdDoserSpeed=", Value); }
void THlProvider::SetDdDoserPresStart(int Value) { SendValue("DdDoserPresStart=", Value); }
void THlProvider::SetDdDoserPresStop(int Value) { SendValue("DdDoserPresStop=", Value); }
void THlProvider::StartDiskDeposition() { SendVerb("StartDiskDeposition"); }

// Cylinder membrane deposition

void THlProvider::SetCdDirection(int Value) { SendValue("CdDirection=", Value); }
void THlProvider::SetCdSpeed(int Value) { SendValue("CdSpeed=", Value); }
void THlProvider::SetCdPressure(int Value) { SendValue("CdPressure=", Value); }
void THlProvider::SetCdRangePressure(int Value) { SendValue("CdRangePressure=", Value); }
void THlProvider::SetCdFeedbackSpeed(int Value) { SendValue("CdFeedbackSpeed=", Value); }
void THlProvider::SetCdApproachSpeed(int Value) { SendValue("CdApproachSpeed=", Value); }
void THlProvider::SetCdDoserMode(int Value) { SendValue("CdDoserMode=", Value); }
void THlProvider::SetCdDoserSpeed(int Value) { SendValue("CdDoserSpeed=", Value); }
void THlProvider::SetCdDoserPresStart(int Value) { SendValue("CdDoserPresStart=", Value); }
void THlProvider::SetCdDoserPresStop(int Value) { SendValue("CdDoserPresStop=", Value); }
void THlProvider::StartCylDeposition() { SendVerb("StartCylDeposition"); }

// Tape deposition and rinse

void THlProvider::SetTdarBarrierActive(int Value) { SendValue("TdarBarrierActive=", Value); }
void THlProvider::SetTdarBarrierSpeed(int Value) { SendValue("TdarBarrierSpeed=", Value); }
void THlProvider::SetTdarBarrierStep(int Value) { SendValue("TdarBarrierStep=", Value); }
void THlProvider::SetTdarBarrierPressure(int Value) { SendValue("TdarBarrierPressure=", Value); }
void THlProvider::SetTdarBarrierDelay(int Value) { SendValue("TdarBarrierDelay=", Value); }
void THlProvider::SetTdarDoser1Active(int Value) { SendValue("TdarDoser1Active=", Value); }
void THlProvider::SetTdarDoser1Mode(int Value) { SendValue("TdarDoser1Mode=", Value); }
void THlProvider::SetTdarDoser1Speed(int Value) { SendValue("TdarDoser1Speed=", Value); }
void THlProvider::SetTdarDoser2Active(int Value) { SendValue("TdarDoser2Active=", Value); }
void THlProvider::SetTdarDoser2Mode(int Value) { SendValue("TdarDoser2Mode=", Value); }
void THlProvider::SetTdarDoser2Speed(int Value) { SendValue("TdarDoser2Speed=", Value); }
void THlProvider::SetTdarDoser2PresStart(int Value) { SendValue("TdarDoser2PresStart=", Value); }
void THlProvider::SetTdarDoser2PresStop(int Value) { SendValue("TdarDoser2PresStop=", Value); }
void THlProvider::SetTdarRotbarMode(int Value) { SendValue("TdarRotbarMode=", Value); }
void THlProvider::SetTdarRotbarDir(int Value) { SendValue("TdarRotbarDir=", Value); }
void THlProvider::SetTdarRotbarSpeed(int Value) { SendValue("TdarRotbarSpeed=", Value); }
void THlProvider::SetTdarRotbarPresStart(int Value) { SendValue("TdarRotbarPresStart=", Value); }
void THlProvider::SetTdarRotbarPresStop(int Value) { SendValue("TdarRotbarPresStop=", Value); }
void THlProvider::SetTdarTapeMode(int Value) { SendValue("TdarTapeMode=", Value); }
void THlProvider::SetTdarTapeDir(int Value) { SendValue("TdarTapeDir=", Value); }
void THlProvider::SetTdarTapeSpeed(int Value) { SendValue("TdarTapeSpeed=", Value); }
void THlProvider::SetTdarTapePresStart(int Value) { SendValue("TdarTapePresStart=", Value); }
void THlProvider::SetTdarTapePresStop(int Value) { SendValue("TdarTapePresStop=", Value); }
void THlProvider::StartTDAR() { SendVerb("StartTDAR"); }

// EUD

void THlProvider::SetEudPrePressure(int Value) { SendValue("EudPrePressure=", Value); }
void THlProvider::SetEudOperatingPressure(int Value) { SendValue("EudOperatingPressure=", Value); }
void THlProvider::SetEudUseDoser(int Value) { SendValue("EudUseDoser=", Value); }
void THlProvider::SetEudDoserSpeed(int Value) { SendValue("EudDoserSpeed=", Value); }
void THlProvider::SetEudDoserLimit(int Value) { SendValue("EudDoserLimit=", Value); }
void THlProvider::SetEudBarrierStartPosition(int Value) { SendValue("EudBarrierStartPosition=", Value); }
void THlProvider::SetEudBarrierSpeed(int Value) { SendValue("EudBarrierSpeed=", Value); }
void THlProvider::SetEudBarrierLimit(int Value) { SendValue("EudBarrierLimit=", Value); }
void THlProvider::SetEudTapeDir(int Value) { SendValue("EudTapeDir=", Value); }
void THlProvider::SetEudTapeSpeed(int Value) { SendValue("EudTapeSpeed=", Value); }
void THlProvider::SetEudTapeLimit(int Value) { SendValue("EudTapeLimit=", Value); }
void THlProvider::StartEUD() { SendVerb("StartEUD"); }

// Film preparation

void THlProvider::SetFpArea(int Value) { SendValue("FpArea=", Value); }
void THlProvider::SetFpPressure(int Value) { SendValue("FpPressure=", Value); }
void THlProvider::SetFpOpenningBarrierSpeed(int Value) { SendValue("FpOpenningBarrierSpeed=", Value); }
void THlProvider::SetFpClosingBarrierSpeed(int Value) { SendValue("FpClosingBarrierSpeed=", Value); }
void THlProvider::SetFpPumpType(int Value) { SendValue("FpPumpType=", Value); }
void THlProvider::SetFpDelay(int Value) { SendValue("FpDelay=", Value); }
void THlProvider::SetFpInjectionVolume(int Value) { SendValue("FpInjectionVolume=", Value); }
void THlProvider::SetFpInjectionVolumeStep(int Value) { SendValue("FpInjectionVolumeStep=", Value); }
void THlProvider::SetFpPumpSpeed(int Value) { SendValue("FpPumpSpeed=", Value); }
void THlProvider::StartFilmPreparation() { SendVerb("StartFilmPreparation"); }
