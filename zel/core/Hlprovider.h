// The program's one way of commanding the instrument: one method per command word of
// the instrument's language, each writing its command line and handing it to the device
// link. Values arrive as device values (the windows convert them through the calibration
// units), so the provider neither converts nor checks them. While there is no link every
// method does nothing, and the queries give their empty results.
#pragma once
#include <cstdint>
#include <string>
#include "hwzel/hwzel.h"

struct TClbCoeff;

// Valued words go out as the word, a blank and eight upper-case hexadecimal digits of the
// 32-bit value (a negative value as its two's complement); bare words as the word alone;
// queries as the word alone with a result buffer, waiting for the instrument's reply.
// Used from the GUI thread only.
class THlProvider {
public:
    // The line being written; shared by all methods.
    char Command[100];
    // The device link; null until the main window has bound the link library, and for
    // the whole run when that fails.
    IHardwareLink* Link;

    // Feedback
    void SetFBSensetivity(int Value);
    void SetFBLimitUp(int Value);
    void SetFBLimitDown(int Value);
    void SetFBPCoeff(int Value);
    // Manual drives
    void SetDipperSpeed(int Value);
    void SetBarrier1Speed(int Value);
    void SetBarrier2Speed(int Value);
    void SetDipTopLevel(int Value);
    void SetLblDipTopLevel(int Value);
    void SetDipBottomLevel(int Value);
    void SetLblDipBottomLevel(int Value);
    void Barrier1MoveLeft(int Value);
    void Barrier1MoveRight(int Value);
    void Barrier1Stop();
    void Barrier2MoveLeft(int Value);
    void Barrier2MoveRight(int Value);
    void Barrier2Stop();
    void DipperMoveUp(int Value);
    void DipperMoveDown(int Value);
    void DipperStop();
    // General
    void SetInputFlowInterval(int Value);
    void SetKeyboardBlock(int Value);
    // The balance calibration as the instrument stores it, four values in one line.
    void SetCLBCoeff(const TClbCoeff& Coeff);
    // The balance calibration stored in the instrument; all zero without a reply.
    TClbCoeff GetCLBCoeff();
    // The instrument's own texts; empty without a reply.
    void GetDeviceName(std::string& Text);
    void GetDeviceVersion(std::string& Text);
    void GetManufacturer(std::string& Text);
    void GetDeviceDate(std::string& Text);
    // Isotherm
    void SetIstType(int Value);
    void SetIstBeginPos(int Value);
    void SetIstEndPos(int Value);
    void SetIstDataStep(int Value);
    void SetIstBarrierSpeed(int Value);
    void SetIstStpCompPause(int Value);
    void SetIstStpCompStep(int Value);
    void SetIstNumCycles(int Value);
    void SetIstBackwardData(int Value);
    void SetIstBeginPressure(int Value);
    void SetIstEndPressure(int Value);
    void SetIstProcessTime(int Value);
    void StartIsotherm();
    // Deposition
    void SetDepType(int Value);
    void SetDepPressure(int Value);
    void SetDepSpeedUp(int Value);
    void SetDepSpeedDown(int Value);
    void SetDepPauseUp(int Value);
    void SetDepPauseDown(int Value);
    void SetDepNumLayers(int Value);
    void SetDepStpCompPause(int Value);
    void SetDepStpCompStep(int Value);
    void SetDepKeepPressureControl(int Value);
    void SetDepMaxBarrierStep(int Value);
    // The instrument takes the next four as 16-bit values: the parameter cuts them.
    void SetDepBarriersSpeed(std::uint16_t Value);
    void SetDepKeepDipperAfterSubstanceEnd(std::uint16_t Value);
    void SetDepKeepPressureBetweenDeposition(std::uint16_t Value);
    void SetDepOpenPressure(std::uint16_t Value);
    void StartDeposition();
    void ContinueDeposition();
    // Process and script
    void ProcessStop();
    // Attaches the record the link fills while a script is dry-run (null detaches it).
    // The address travels in full, as 16 hexadecimal digits.
    void SetCalcScriptPrognosis(TScriptPrognosisStatus* Status);
    // False makes the link dry-run the following script lines.
    void SetExecuteCommand(bool Execute);
    // Dipper rotator and revolver
    void InitDipperRotator();
    void StopDipperRotator();
    void RotateDipperCW(int Value);
    void RotateDipperCCW(int Value);
    void InitRevolver();
    void StopRevolver();
    void RotateRevolverCW(int Value);
    void RotateRevolverCCW(int Value);
    // The link turns both the rotator and the revolver to the cell.
    void MoveDipperToCell(int Cell);
    // Doser, rotating barrier and tape
    void DoserMoveUp(int Value);
    void DoserMoveDown(int Value);
    void DoserStop();
    void SetDoserSpeed(int Value);
    void SetRotBarrierSpeed(int Value);
    void SetTapeSpeed(int Value);
    void RotBarrierMoveLeft();
    void RotBarrierMoveRight();
    void RotBarrierStop();
    void TapeMoveLeft();
    void TapeMoveRight();
    void TapeStop();
    void SetDoserAutoPressure(int Value);
    void SetDoserKeepPressure(int Value);
    // Peristaltic pump
    void PeristalticPumpReset();
    void SetPeristalticPumpSpeed(int Value);
    void PeristalticPumpMoveCW(int Value);
    void PeristalticPumpMoveCCW(int Value);
    void PeristalticPumpStop();
    void DriveAllStop();
    // Roll deposition
    void SetRdDirection(int Value);
    void SetRdSpeed(int Value);
    void SetRdPressureDip(int Value);
    void SetRdRangePressureDip(int Value);
    void SetRdFeedbackSpeed(int Value);
    void SetRdApproachSpeed(int Value);
    void StartRollDeposition();
    // Tape deposition
    void SetTdDoserMode(int Value);
    void SetTdDoserSpeed(int Value);
    void SetTdDoserPresStart(int Value);
    void SetTdDoserPresStop(int Value);
    void SetTdRotbarMode(int Value);
    void SetTdRotbarDir(int Value);
    void SetTdRotbarSpeed(int Value);
    void SetTdRotbarPresStart(int Value);
    void SetTdRotbarPresStop(int Value);
    void SetTdTapeMode(int Value);
    void SetTdTapeDir(int Value);
    void SetTdTapeSpeed(int Value);
    void SetTdTapePresStart(int Value);
    void SetTdTapePresStop(int Value);
    void StartTapeDeposition();
    // Disk deposition
    void SetDdDirection(int Value);
    void SetDdSpeed(int Value);
    void SetDdPressure(int Value);
    void SetDdRangePressure(int Value);
    void SetDdFeedbackSpeed(int Value);
    void SetDdApproachSpeed(int Value);
    void SetDdDoserMode(int Value);
    void SetDdDoserSpeed(int Value);
    void SetDdDoserPresStart(int Value);
    void SetDdDoserPresStop(int Value);
    void StartDiskDeposition();
    // Cylinder membrane deposition
    void SetCdDirection(int Value);
    void SetCdSpeed(int Value);
    void SetCdPressure(int Value);
    void SetCdRangePressure(int Value);
    void SetCdFeedbackSpeed(int Value);
    void SetCdApproachSpeed(int Value);
    void SetCdDoserMode(int Value);
    void SetCdDoserSpeed(int Value);
    void SetCdDoserPresStart(int Value);
    void SetCdDoserPresStop(int Value);
    void StartCylDeposition();
    // Tape deposition and rinse
    void SetTdarBarrierActive(int Value);
    void SetTdarBarrierSpeed(int Value);
    void SetTdarBarrierStep(int Value);
    void SetTdarBarrierPressure(int Value);
    void SetTdarBarrierDelay(int Value);
    void SetTdarDoser1Active(int Value);
    void SetTdarDoser1Mode(int Value);
    void SetTdarDoser1Speed(int Value);
    void SetTdarDoser2Active(int Value);
    void SetTdarDoser2Mode(int Value);
    void SetTdarDoser2Speed(int Value);
    void SetTdarDoser2PresStart(int Value);
    void SetTdarDoser2PresStop(int Value);
    void SetTdarRotbarMode(int Value);
    void SetTdarRotbarDir(int Value);
    void SetTdarRotbarSpeed(int Value);
    void SetTdarRotbarPresStart(int Value);
    void SetTdarRotbarPresStop(int Value);
    void SetTdarTapeMode(int Value);
    void SetTdarTapeDir(int Value);
    void SetTdarTapeSpeed(int Value);
    void SetTdarTapePresStart(int Value);
    void SetTdarTapePresStop(int Value);
    void StartTDAR();
    // EUD
    void SetEudPrePressure(int Value);
    void SetEudOperatingPressure(int Value);
    void SetEudUseDoser(int Value);
    void SetEudDoserSpeed(int Value);
    void SetEudDoserLimit(int Value);
    void SetEudBarrierStartPosition(int Value);
    void SetEudBarrierSpeed(int Value);
    void SetEudBarrierLimit(int Value);
    void SetEudTapeDir(int Value);
    void SetEudTapeSpeed(int Value);
    void SetEudTapeLimit(int Value);
    void StartEUD();
    // Film preparation
    void SetFpArea(int Value);
    void SetFpPressure(int Value);
    void SetFpOpenningBarrierSpeed(int Value);
    void SetFpClosingBarrierSpeed(int Value);
    void SetFpPumpType(int Value);
    void SetFpDelay(int Value);
    void SetFpInjectionVolume(int Value);
    void SetFpInjectionVolumeStep(int Value);
    void SetFpPumpSpeed(int Value);
    void StartFilmPreparation();

private:
    void SendValue(const char* Word, std::uint32_t Value);
    void SendVerb(const char* Verb);
    void QueryText(const char* Word, std::string& Text);
    void SendCommand(const char* Line, void* Result, int ResultSize);
};

// Lives in static storage and starts zero-filled: no link until one is bound.
extern THlProvider HlProvider;
