// The hardware provider against the recording link, loaded the way the program loads its
// link library: every command word's exact line, the result buffers of the queries, the
// replies they return, and silence while there is no link.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "support_link/RecordingLink.h"
#include "zel/core/Clb_unit.h"
#include "zel/core/Hlprovider.h"

namespace {

// Stands for a record high in a 64-bit address space: the provider passes it on and never
// touches it.
TScriptPrognosisStatus* const FarAddress =
    reinterpret_cast<TScriptPrognosisStatus*>(std::uintptr_t{0x00007F12345678A0});

struct TProviderCase {
    const char* Method;
    void (*Call)();
    const char* Line;
    int ResultSize;  // 0: no result buffer
};

// Every method of the provider, in its declaration order, with a value of its own.
const TProviderCase ProviderCases[] = {
    // Feedback
    {"SetFBSensetivity", [] { HlProvider.SetFBSensetivity(0x00010101); }, "FBSensetivity= 00010101", 0},
    {"SetFBLimitUp", [] { HlProvider.SetFBLimitUp(0x00020202); }, "FBLimitUp= 00020202", 0},
    {"SetFBLimitDown", [] { HlProvider.SetFBLimitDown(-10); }, "FBLimitDown= FFFFFFF6", 0},
    {"SetFBPCoeff", [] { HlProvider.SetFBPCoeff(0x00040404); }, "FBPCoeff= 00040404", 0},
    // Manual drives
    {"SetDipperSpeed", [] { HlProvider.SetDipperSpeed(0x00050505); }, "DipperSpeed= 00050505", 0},
    {"SetBarrier1Speed", [] { HlProvider.SetBarrier1Speed(-1); }, "Barrier1Speed= FFFFFFFF", 0},
    {"SetBarrier2Speed", [] { HlProvider.SetBarrier2Speed(-22); }, "Barrier2Speed= FFFFFFEA", 0},
    {"SetDipTopLevel", [] { HlProvider.SetDipTopLevel(0x00080808); }, "DipTopLevel= 00080808", 0},
    {"SetLblDipTopLevel", [] { HlProvider.SetLblDipTopLevel(0x00090909); }, "LblDipTopLevel= 00090909", 0},
    {"SetDipBottomLevel", [] { HlProvider.SetDipBottomLevel(0x000A0A0A); }, "DipBottomLevel= 000A0A0A", 0},
    {"SetLblDipBottomLevel", [] { HlProvider.SetLblDipBottomLevel(-34); }, "LblDipBottomLevel= FFFFFFDE", 0},
    {"Barrier1MoveLeft", [] { HlProvider.Barrier1MoveLeft(0x000C0C0C); }, "Barrier1MoveLeft 000C0C0C", 0},
    {"Barrier1MoveRight", [] { HlProvider.Barrier1MoveRight(0x000D0D0D); }, "Barrier1MoveRight 000D0D0D", 0},
    {"Barrier1Stop", [] { HlProvider.Barrier1Stop(); }, "Barrier1Stop", 0},
    {"Barrier2MoveLeft", [] { HlProvider.Barrier2MoveLeft(-46); }, "Barrier2MoveLeft FFFFFFD2", 0},
    {"Barrier2MoveRight", [] { HlProvider.Barrier2MoveRight(0x00101010); }, "Barrier2MoveRight 00101010", 0},
    {"Barrier2Stop", [] { HlProvider.Barrier2Stop(); }, "Barrier2Stop", 0},
    {"DipperMoveUp", [] { HlProvider.DipperMoveUp(0x00121212); }, "DipperMoveUp 00121212", 0},
    {"DipperMoveDown", [] { HlProvider.DipperMoveDown(-58); }, "DipperMoveDown FFFFFFC6", 0},
    {"DipperStop", [] { HlProvider.DipperStop(); }, "DipperStop", 0},
    // General
    {"SetInputFlowInterval", [] { HlProvider.SetInputFlowInterval(0x00151515); }, "InputFlowInterval= 00151515", 0},
    {"SetKeyboardBlock", [] { HlProvider.SetKeyboardBlock(0x00161616); }, "KeyboardBlock= 00161616", 0},
    {"SetCLBCoeff",
     [] {
         HlProvider.SetCLBCoeff(TClbCoeff{0x00001234, 0x000003E8, 0xFFFFFFFF, 0x00000BB8});
     },
     "CLBCoeff= 00001234 000003E8 FFFFFFFF 00000BB8", 0},
    {"GetCLBCoeff", [] { HlProvider.GetCLBCoeff(); }, "=CLBCoeff", 16},
    {"GetDeviceName",
     [] {
         std::string Text;
         HlProvider.GetDeviceName(Text);
     },
     "=DeviceName", 100},
    {"GetDeviceVersion",
     [] {
         std::string Text;
         HlProvider.GetDeviceVersion(Text);
     },
     "=DeviceVersion", 100},
    {"GetManufacturer",
     [] {
         std::string Text;
         HlProvider.GetManufacturer(Text);
     },
     "=Manufacturer", 100},
    {"GetDeviceDate",
     [] {
         std::string Text;
         HlProvider.GetDeviceDate(Text);
     },
     "=DeviceDate", 100},
    // Isotherm
    {"SetIstType", [] { HlProvider.SetIstType(0x001D1D1D); }, "IstType= 001D1D1D", 0},
    {"SetIstBeginPos", [] { HlProvider.SetIstBeginPos(0x001E1E1E); }, "IstBeginPos= 001E1E1E", 0},
    {"SetIstEndPos", [] { HlProvider.SetIstEndPos(-94); }, "IstEndPos= FFFFFFA2", 0},
    {"SetIstDataStep", [] { HlProvider.SetIstDataStep(0x00202020); }, "IstDataStep= 00202020", 0},
    {"SetIstBarrierSpeed", [] { HlProvider.SetIstBarrierSpeed(0x00212121); }, "IstBarrierSpeed= 00212121", 0},
    {"SetIstStpCompPause", [] { HlProvider.SetIstStpCompPause(0x00222222); }, "IstStpCompPause= 00222222", 0},
    {"SetIstStpCompStep", [] { HlProvider.SetIstStpCompStep(-106); }, "IstStpCompStep= FFFFFF96", 0},
    {"SetIstNumCycles", [] { HlProvider.SetIstNumCycles(0x00242424); }, "IstNumCycles= 00242424", 0},
    {"SetIstBackwardData", [] { HlProvider.SetIstBackwardData(0x00252525); }, "IstBackwardData= 00252525", 0},
    {"SetIstBeginPressure", [] { HlProvider.SetIstBeginPressure(0x00262626); }, "IstBeginPressure= 00262626", 0},
    {"SetIstEndPressure", [] { HlProvider.SetIstEndPressure(-118); }, "IstEndPressure= FFFFFF8A", 0},
    {"SetIstProcessTime", [] { HlProvider.SetIstProcessTime(0x00282828); }, "IstProcessTime= 00282828", 0},
    {"StartIsotherm", [] { HlProvider.StartIsotherm(); }, "StartIsotherm", 0},
    // Deposition
    {"SetDepType", [] { HlProvider.SetDepType(0x002A2A2A); }, "DepType= 002A2A2A", 0},
    {"SetDepPressure", [] { HlProvider.SetDepPressure(-130); }, "DepPressure= FFFFFF7E", 0},
    {"SetDepSpeedUp", [] { HlProvider.SetDepSpeedUp(0x002C2C2C); }, "DepSpeedUp= 002C2C2C", 0},
    {"SetDepSpeedDown", [] { HlProvider.SetDepSpeedDown(0x002D2D2D); }, "DepSpeedDown= 002D2D2D", 0},
    {"SetDepPauseUp", [] { HlProvider.SetDepPauseUp(0x002E2E2E); }, "DepPauseUp= 002E2E2E", 0},
    {"SetDepPauseDown", [] { HlProvider.SetDepPauseDown(-142); }, "DepPauseDown= FFFFFF72", 0},
    {"SetDepNumLayers", [] { HlProvider.SetDepNumLayers(0x00303030); }, "DepNumLayers= 00303030", 0},
    {"SetDepStpCompPause", [] { HlProvider.SetDepStpCompPause(0x00313131); }, "DepStpCompPause= 00313131", 0},
    {"SetDepStpCompStep", [] { HlProvider.SetDepStpCompStep(0x00323232); }, "DepStpCompStep= 00323232", 0},
    {"SetDepKeepPressureControl", [] { HlProvider.SetDepKeepPressureControl(-154); },
     "DepKeepPressureControl= FFFFFF66", 0},
    {"SetDepMaxBarrierStep", [] { HlProvider.SetDepMaxBarrierStep(0x00343434); }, "DepMaxBarrierStep= 00343434", 0},
    {"SetDepBarriersSpeed", [] { HlProvider.SetDepBarriersSpeed(0xA385); }, "DepBarriersSpeed= 0000A385", 0},
    {"SetDepKeepDipperAfterSubstanceEnd", [] { HlProvider.SetDepKeepDipperAfterSubstanceEnd(0xA396); },
     "DepKeepDipperAfterSubstanceEnd= 0000A396", 0},
    {"SetDepKeepPressureBetweenDeposition", [] { HlProvider.SetDepKeepPressureBetweenDeposition(0xA3A7); },
     "DepKeepPressureBetweenDeposition= 0000A3A7", 0},
    {"SetDepOpenPressure", [] { HlProvider.SetDepOpenPressure(0xA3B8); }, "DepOpenPressure= 0000A3B8", 0},
    {"StartDeposition", [] { HlProvider.StartDeposition(); }, "StartDeposition", 0},
    {"ContinueDeposition", [] { HlProvider.ContinueDeposition(); }, "ContinueDeposition", 0},
    // Process and script
    {"ProcessStop", [] { HlProvider.ProcessStop(); }, "ProcessStop", 0},
    {"SetCalcScriptPrognosis", [] { HlProvider.SetCalcScriptPrognosis(FarAddress); },
     "CalcScriptPrognosis= 00007F12345678A0", 0},
    {"SetCalcScriptPrognosis", [] { HlProvider.SetCalcScriptPrognosis(nullptr); },
     "CalcScriptPrognosis= 0000000000000000", 0},
    {"SetExecuteCommand", [] { HlProvider.SetExecuteCommand(true); }, "ExecuteCommand= 1", 0},
    {"SetExecuteCommand", [] { HlProvider.SetExecuteCommand(false); }, "ExecuteCommand= 0", 0},
    // Dipper rotator and revolver
    {"InitDipperRotator", [] { HlProvider.InitDipperRotator(); }, "InitDipperRotator", 0},
    {"StopDipperRotator", [] { HlProvider.StopDipperRotator(); }, "StopDipperRotator", 0},
    {"RotateDipperCW", [] { HlProvider.RotateDipperCW(0x00404040); }, "RotateDipperCW 00404040", 0},
    {"RotateDipperCCW", [] { HlProvider.RotateDipperCCW(0x00414141); }, "RotateDipperCCW 00414141", 0},
    {"InitRevolver", [] { HlProvider.InitRevolver(); }, "InitRevolver", 0},
    {"StopRevolver", [] { HlProvider.StopRevolver(); }, "StopRevolver", 0},
    {"RotateRevolverCW", [] { HlProvider.RotateRevolverCW(0x00444444); }, "RotateRevolverCW 00444444", 0},
    {"RotateRevolverCCW", [] { HlProvider.RotateRevolverCCW(0x00454545); }, "RotateRevolverCCW 00454545", 0},
    {"MoveDipperToCell", [] { HlProvider.MoveDipperToCell(12); }, "MoveDipperToCell 12", 0},
    {"MoveDipperToCell", [] { HlProvider.MoveDipperToCell(-3); }, "MoveDipperToCell -3", 0},
    // Doser, rotating barrier and tape
    {"DoserMoveUp", [] { HlProvider.DoserMoveUp(-214); }, "DoserMoveUp FFFFFF2A", 0},
    {"DoserMoveDown", [] { HlProvider.DoserMoveDown(0x00484848); }, "DoserMoveDown 00484848", 0},
    {"DoserStop", [] { HlProvider.DoserStop(); }, "DoserStop", 0},
    {"SetDoserSpeed", [] { HlProvider.SetDoserSpeed(0x004A4A4A); }, "DoserSpeed= 004A4A4A", 0},
    {"SetRotBarrierSpeed", [] { HlProvider.SetRotBarrierSpeed(-226); }, "RotBarrierSpeed= FFFFFF1E", 0},
    {"SetTapeSpeed", [] { HlProvider.SetTapeSpeed(0x004C4C4C); }, "TapeSpeed= 004C4C4C", 0},
    {"RotBarrierMoveLeft", [] { HlProvider.RotBarrierMoveLeft(); }, "RotBarrierMoveLeft", 0},
    {"RotBarrierMoveRight", [] { HlProvider.RotBarrierMoveRight(); }, "RotBarrierMoveRight", 0},
    {"RotBarrierStop", [] { HlProvider.RotBarrierStop(); }, "RotBarrierStop", 0},
    {"TapeMoveLeft", [] { HlProvider.TapeMoveLeft(); }, "TapeMoveLeft", 0},
    {"TapeMoveRight", [] { HlProvider.TapeMoveRight(); }, "TapeMoveRight", 0},
    {"TapeStop", [] { HlProvider.TapeStop(); }, "TapeStop", 0},
    {"SetDoserAutoPressure", [] { HlProvider.SetDoserAutoPressure(-250); }, "DoserAutoPressure= FFFFFF06", 0},
    {"SetDoserKeepPressure", [] { HlProvider.SetDoserKeepPressure(0x00545454); }, "DoserKeepPressure= 00545454", 0},
    // Peristaltic pump
    {"PeristalticPumpReset", [] { HlProvider.PeristalticPumpReset(); }, "PeristalticPumpReset", 0},
    {"SetPeristalticPumpSpeed", [] { HlProvider.SetPeristalticPumpSpeed(0x00565656); },
     "PeristalticPumpSpeed= 00565656", 0},
    {"PeristalticPumpMoveCW", [] { HlProvider.PeristalticPumpMoveCW(-262); }, "PeristalticPumpMoveCW FFFFFEFA", 0},
    {"PeristalticPumpMoveCCW", [] { HlProvider.PeristalticPumpMoveCCW(0x00585858); }, "PeristalticPumpMoveCCW 00585858",
     0},
    {"PeristalticPumpStop", [] { HlProvider.PeristalticPumpStop(); }, "PeristalticPumpStop", 0},
    {"DriveAllStop", [] { HlProvider.DriveAllStop(); }, "DriveAllStop", 0},
    // Roll deposition
    {"SetRdDirection", [] { HlProvider.SetRdDirection(-274); }, "RdDirection= FFFFFEEE", 0},
    {"SetRdSpeed", [] { HlProvider.SetRdSpeed(0x005C5C5C); }, "RdSpeed= 005C5C5C", 0},
    {"SetRdPressureDip", [] { HlProvider.SetRdPressureDip(0x005D5D5D); }, "RdPressureDip= 005D5D5D", 0},
    {"SetRdRangePressureDip", [] { HlProvider.SetRdRangePressureDip(0x005E5E5E); }, "RdRangePressureDip= 005E5E5E", 0},
    {"SetRdFeedbackSpeed", [] { HlProvider.SetRdFeedbackSpeed(-286); }, "RdFeedbackSpeed= FFFFFEE2", 0},
    {"SetRdApproachSpeed", [] { HlProvider.SetRdApproachSpeed(0x00606060); }, "RdApproachSpeed= 00606060", 0},
    {"StartRollDeposition", [] { HlProvider.StartRollDeposition(); }, "StartRollDeposition", 0},
    // Tape deposition
    {"SetTdDoserMode", [] { HlProvider.SetTdDoserMode(0x00626262); }, "TdDoserMode= 00626262", 0},
    {"SetTdDoserSpeed", [] { HlProvider.SetTdDoserSpeed(-298); }, "TdDoserSpeed= FFFFFED6", 0},
    {"SetTdDoserPresStart", [] { HlProvider.SetTdDoserPresStart(0x00646464); }, "TdDoserPresStart= 00646464", 0},
    {"SetTdDoserPresStop", [] { HlProvider.SetTdDoserPresStop(0x00656565); }, "TdDoserPresStop= 00656565", 0},
    {"SetTdRotbarMode", [] { HlProvider.SetTdRotbarMode(0x00666666); }, "TdRotbarMode= 00666666", 0},
    {"SetTdRotbarDir", [] { HlProvider.SetTdRotbarDir(-310); }, "TdRotbarDir= FFFFFECA", 0},
    {"SetTdRotbarSpeed", [] { HlProvider.SetTdRotbarSpeed(0x00686868); }, "TdRotbarSpeed= 00686868", 0},
    {"SetTdRotbarPresStart", [] { HlProvider.SetTdRotbarPresStart(0x00696969); }, "TdRotbarPresStart= 00696969", 0},
    {"SetTdRotbarPresStop", [] { HlProvider.SetTdRotbarPresStop(0x006A6A6A); }, "TdRotbarPresStop= 006A6A6A", 0},
    {"SetTdTapeMode", [] { HlProvider.SetTdTapeMode(-322); }, "TdTapeMode= FFFFFEBE", 0},
    {"SetTdTapeDir", [] { HlProvider.SetTdTapeDir(0x006C6C6C); }, "TdTapeDir= 006C6C6C", 0},
    {"SetTdTapeSpeed", [] { HlProvider.SetTdTapeSpeed(0x006D6D6D); }, "TdTapeSpeed= 006D6D6D", 0},
    {"SetTdTapePresStart", [] { HlProvider.SetTdTapePresStart(0x006E6E6E); }, "TdTapePresStart= 006E6E6E", 0},
    {"SetTdTapePresStop", [] { HlProvider.SetTdTapePresStop(-334); }, "TdTapePresStop= FFFFFEB2", 0},
    {"StartTapeDeposition", [] { HlProvider.StartTapeDeposition(); }, "StartTapeDeposition", 0},
    // Disk deposition
    {"SetDdDirection", [] { HlProvider.SetDdDirection(0x00717171); }, "DdDirection= 00717171", 0},
    {"SetDdSpeed", [] { HlProvider.SetDdSpeed(0x00727272); }, "DdSpeed= 00727272", 0},
    {"SetDdPressure", [] { HlProvider.SetDdPressure(-346); }, "DdPressure= FFFFFEA6", 0},
    {"SetDdRangePressure", [] { HlProvider.SetDdRangePressure(0x00747474); }, "DdRangePressure= 00747474", 0},
    {"SetDdFeedbackSpeed", [] { HlProvider.SetDdFeedbackSpeed(0x00757575); }, "DdFeedbackSpeed= 00757575", 0},
    {"SetDdApproachSpeed", [] { HlProvider.SetDdApproachSpeed(0x00767676); }, "DdApproachSpeed= 00767676", 0},
    {"SetDdDoserMode", [] { HlProvider.SetDdDoserMode(-358); }, "DdDoserMode= FFFFFE9A", 0},
    {"SetDdDoserSpeed", [] { HlProvider.SetDdDoserSpeed(0x00787878); }, "DdDoserSpeed= 00787878", 0},
    {"SetDdDoserPresStart", [] { HlProvider.SetDdDoserPresStart(0x00797979); }, "DdDoserPresStart= 00797979", 0},
    {"SetDdDoserPresStop", [] { HlProvider.SetDdDoserPresStop(0x007A7A7A); }, "DdDoserPresStop= 007A7A7A", 0},
    {"StartDiskDeposition", [] { HlProvider.StartDiskDeposition(); }, "StartDiskDeposition", 0},
    // Cylinder membrane deposition
    {"SetCdDirection", [] { HlProvider.SetCdDirection(0x007C7C7C); }, "CdDirection= 007C7C7C", 0},
    {"SetCdSpeed", [] { HlProvider.SetCdSpeed(0x007D7D7D); }, "CdSpeed= 007D7D7D", 0},
    {"SetCdPressure", [] { HlProvider.SetCdPressure(0x007E7E7E); }, "CdPressure= 007E7E7E", 0},
    {"SetCdRangePressure", [] { HlProvider.SetCdRangePressure(-382); }, "CdRangePressure= FFFFFE82", 0},
    {"SetCdFeedbackSpeed", [] { HlProvider.SetCdFeedbackSpeed(0x00808080); }, "CdFeedbackSpeed= 00808080", 0},
    {"SetCdApproachSpeed", [] { HlProvider.SetCdApproachSpeed(0x00818181); }, "CdApproachSpeed= 00818181", 0},
    {"SetCdDoserMode", [] { HlProvider.SetCdDoserMode(0x00828282); }, "CdDoserMode= 00828282", 0},
    {"SetCdDoserSpeed", [] { HlProvider.SetCdDoserSpeed(-394); }, "CdDoserSpeed= FFFFFE76", 0},
    {"SetCdDoserPresStart", [] { HlProvider.SetCdDoserPresStart(0x00848484); }, "CdDoserPresStart= 00848484", 0},
    {"SetCdDoserPresStop", [] { HlProvider.SetCdDoserPresStop(0x00858585); }, "CdDoserPresStop= 00858585", 0},
    {"StartCylDeposition", [] { HlProvider.StartCylDeposition(); }, "StartCylDeposition", 0},
    // Tape deposition and rinse
    {"SetTdarBarrierActive", [] { HlProvider.SetTdarBarrierActive(-406); }, "TdarBarrierActive= FFFFFE6A", 0},
    {"SetTdarBarrierSpeed", [] { HlProvider.SetTdarBarrierSpeed(0x00888888); }, "TdarBarrierSpeed= 00888888", 0},
    {"SetTdarBarrierStep", [] { HlProvider.SetTdarBarrierStep(0x00898989); }, "TdarBarrierStep= 00898989", 0},
    {"SetTdarBarrierPressure", [] { HlProvider.SetTdarBarrierPressure(0x008A8A8A); }, "TdarBarrierPressure= 008A8A8A",
     0},
    {"SetTdarBarrierDelay", [] { HlProvider.SetTdarBarrierDelay(-418); }, "TdarBarrierDelay= FFFFFE5E", 0},
    {"SetTdarDoser1Active", [] { HlProvider.SetTdarDoser1Active(0x008C8C8C); }, "TdarDoser1Active= 008C8C8C", 0},
    {"SetTdarDoser1Mode", [] { HlProvider.SetTdarDoser1Mode(0x008D8D8D); }, "TdarDoser1Mode= 008D8D8D", 0},
    {"SetTdarDoser1Speed", [] { HlProvider.SetTdarDoser1Speed(0x008E8E8E); }, "TdarDoser1Speed= 008E8E8E", 0},
    {"SetTdarDoser2Active", [] { HlProvider.SetTdarDoser2Active(-430); }, "TdarDoser2Active= FFFFFE52", 0},
    {"SetTdarDoser2Mode", [] { HlProvider.SetTdarDoser2Mode(0x00909090); }, "TdarDoser2Mode= 00909090", 0},
    {"SetTdarDoser2Speed", [] { HlProvider.SetTdarDoser2Speed(0x00919191); }, "TdarDoser2Speed= 00919191", 0},
    {"SetTdarDoser2PresStart", [] { HlProvider.SetTdarDoser2PresStart(0x00929292); }, "TdarDoser2PresStart= 00929292",
     0},
    {"SetTdarDoser2PresStop", [] { HlProvider.SetTdarDoser2PresStop(-442); }, "TdarDoser2PresStop= FFFFFE46", 0},
    {"SetTdarRotbarMode", [] { HlProvider.SetTdarRotbarMode(0x00949494); }, "TdarRotbarMode= 00949494", 0},
    {"SetTdarRotbarDir", [] { HlProvider.SetTdarRotbarDir(0x00959595); }, "TdarRotbarDir= 00959595", 0},
    {"SetTdarRotbarSpeed", [] { HlProvider.SetTdarRotbarSpeed(0x00969696); }, "TdarRotbarSpeed= 00969696", 0},
    {"SetTdarRotbarPresStart", [] { HlProvider.SetTdarRotbarPresStart(-454); }, "TdarRotbarPresStart= FFFFFE3A", 0},
    {"SetTdarRotbarPresStop", [] { HlProvider.SetTdarRotbarPresStop(0x00989898); }, "TdarRotbarPresStop= 00989898", 0},
    {"SetTdarTapeMode", [] { HlProvider.SetTdarTapeMode(0x00999999); }, "TdarTapeMode= 00999999", 0},
    {"SetTdarTapeDir", [] { HlProvider.SetTdarTapeDir(0x009A9A9A); }, "TdarTapeDir= 009A9A9A", 0},
    {"SetTdarTapeSpeed", [] { HlProvider.SetTdarTapeSpeed(-466); }, "TdarTapeSpeed= FFFFFE2E", 0},
    {"SetTdarTapePresStart", [] { HlProvider.SetTdarTapePresStart(0x009C9C9C); }, "TdarTapePresStart= 009C9C9C", 0},
    {"SetTdarTapePresStop", [] { HlProvider.SetTdarTapePresStop(0x009D9D9D); }, "TdarTapePresStop= 009D9D9D", 0},
    {"StartTDAR", [] { HlProvider.StartTDAR(); }, "StartTDAR", 0},
    // EUD
    {"SetEudPrePressure", [] { HlProvider.SetEudPrePressure(-478); }, "EudPrePressure= FFFFFE22", 0},
    {"SetEudOperatingPressure", [] { HlProvider.SetEudOperatingPressure(0x00A0A0A0); },
     "EudOperatingPressure= 00A0A0A0", 0},
    {"SetEudUseDoser", [] { HlProvider.SetEudUseDoser(0x00A1A1A1); }, "EudUseDoser= 00A1A1A1", 0},
    {"SetEudDoserSpeed", [] { HlProvider.SetEudDoserSpeed(0x00A2A2A2); }, "EudDoserSpeed= 00A2A2A2", 0},
    {"SetEudDoserLimit", [] { HlProvider.SetEudDoserLimit(-490); }, "EudDoserLimit= FFFFFE16", 0},
    {"SetEudBarrierStartPosition", [] { HlProvider.SetEudBarrierStartPosition(0x00A4A4A4); },
     "EudBarrierStartPosition= 00A4A4A4", 0},
    {"SetEudBarrierSpeed", [] { HlProvider.SetEudBarrierSpeed(0x00A5A5A5); }, "EudBarrierSpeed= 00A5A5A5", 0},
    {"SetEudBarrierLimit", [] { HlProvider.SetEudBarrierLimit(0x00A6A6A6); }, "EudBarrierLimit= 00A6A6A6", 0},
    {"SetEudTapeDir", [] { HlProvider.SetEudTapeDir(-502); }, "EudTapeDir= FFFFFE0A", 0},
    {"SetEudTapeSpeed", [] { HlProvider.SetEudTapeSpeed(0x00A8A8A8); }, "EudTapeSpeed= 00A8A8A8", 0},
    {"SetEudTapeLimit", [] { HlProvider.SetEudTapeLimit(0x00A9A9A9); }, "EudTapeLimit= 00A9A9A9", 0},
    {"StartEUD", [] { HlProvider.StartEUD(); }, "StartEUD", 0},
    // Film preparation
    {"SetFpArea", [] { HlProvider.SetFpArea(-514); }, "FpArea= FFFFFDFE", 0},
    {"SetFpPressure", [] { HlProvider.SetFpPressure(0x00ACACAC); }, "FpPressure= 00ACACAC", 0},
    {"SetFpOpenningBarrierSpeed", [] { HlProvider.SetFpOpenningBarrierSpeed(0x00ADADAD); },
     "FpOpenningBarrierSpeed= 00ADADAD", 0},
    {"SetFpClosingBarrierSpeed", [] { HlProvider.SetFpClosingBarrierSpeed(0x00AEAEAE); },
     "FpClosingBarrierSpeed= 00AEAEAE", 0},
    {"SetFpPumpType", [] { HlProvider.SetFpPumpType(-526); }, "FpPumpType= FFFFFDF2", 0},
    {"SetFpDelay", [] { HlProvider.SetFpDelay(0x00B0B0B0); }, "FpDelay= 00B0B0B0", 0},
    {"SetFpInjectionVolume", [] { HlProvider.SetFpInjectionVolume(0x00B1B1B1); }, "FpInjectionVolume= 00B1B1B1", 0},
    {"SetFpInjectionVolumeStep", [] { HlProvider.SetFpInjectionVolumeStep(0x00B2B2B2); },
     "FpInjectionVolumeStep= 00B2B2B2", 0},
    {"SetFpPumpSpeed", [] { HlProvider.SetFpPumpSpeed(-538); }, "FpPumpSpeed= FFFFFDE6", 0},
    {"StartFilmPreparation", [] { HlProvider.StartFilmPreparation(); }, "StartFilmPreparation", 0},
};

class HlProviderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Library.Link, nullptr) << Library.Library.LoadError();
        HlProvider.Link = Library.Link;
    }
    void TearDown() override { HlProvider.Link = nullptr; }

    TRecordingLinkLibrary Library;
};

TEST_F(HlProviderTest, EveryMethodSendsItsExactLine)
{
    for (const TProviderCase& Case : ProviderCases) {
        SCOPED_TRACE(std::string(Case.Method) + " -> " + Case.Line);
        Library.Link->ClearCalls();
        Case.Call();
        const std::vector<TLinkCall> Calls = Library.Link->Calls();
        ASSERT_EQ(Calls.size(), 1u);
        EXPECT_EQ(Calls[0].Operation, TLinkOperation::SendCommand);
        EXPECT_EQ(Calls[0].Text, Case.Line);
        EXPECT_EQ(Calls[0].HasResult, Case.ResultSize != 0);
        EXPECT_EQ(Calls[0].ResultSize, Case.ResultSize);
        EXPECT_LT(std::strlen(Case.Line), sizeof HlProvider.Command);
    }
}

TEST_F(HlProviderTest, WithoutLinkNothingIsSentOrWritten)
{
    HlProvider.Link = nullptr;
    std::memset(HlProvider.Command, '#', sizeof HlProvider.Command);
    for (const TProviderCase& Case : ProviderCases) {
        SCOPED_TRACE(Case.Method);
        Case.Call();
    }
    EXPECT_TRUE(Library.Link->Calls().empty());
    for (char Character : HlProvider.Command) ASSERT_EQ(Character, '#');
}

TEST_F(HlProviderTest, WithoutLinkQueriesGiveEmptyResults)
{
    Library.Link->SetReply("=DeviceName", "Trough");
    Library.Link->SetReplyRecord("=CLBCoeff", TClbCoeff{1, 2, 3, 4});
    HlProvider.Link = nullptr;
    void (THlProvider::*const TextQueries[])(std::string&) = {
        &THlProvider::GetDeviceName, &THlProvider::GetDeviceVersion, &THlProvider::GetManufacturer,
        &THlProvider::GetDeviceDate};
    for (auto Query : TextQueries) {
        std::string Text = "from an earlier call";
        (HlProvider.*Query)(Text);
        EXPECT_EQ(Text, "");
    }
    const TClbCoeff Coeff = HlProvider.GetCLBCoeff();
    EXPECT_EQ(Coeff.hwMin, 0u);
    EXPECT_EQ(Coeff.shMin, 0u);
    EXPECT_EQ(Coeff.hwMax, 0u);
    EXPECT_EQ(Coeff.shMax, 0u);
}

TEST_F(HlProviderTest, TextQueriesReturnTheDevicesTexts)
{
    Library.Link->SetReply("=DeviceName", "Film trough 2");
    Library.Link->SetReply("=DeviceVersion", "4.07");
    Library.Link->SetReply("=Manufacturer", "Laboratory works");
    Library.Link->SetReply("=DeviceDate", "2026-03-14");
    std::string Name = "old", Version = "old", Manufacturer = "old", Date = "old";
    HlProvider.GetDeviceName(Name);
    HlProvider.GetDeviceVersion(Version);
    HlProvider.GetManufacturer(Manufacturer);
    HlProvider.GetDeviceDate(Date);
    EXPECT_EQ(Name, "Film trough 2");
    EXPECT_EQ(Version, "4.07");
    EXPECT_EQ(Manufacturer, "Laboratory works");
    EXPECT_EQ(Date, "2026-03-14");
}

TEST_F(HlProviderTest, TextQueryWithoutReplyGivesEmptyText)
{
    std::string Name = "from an earlier call";
    HlProvider.GetDeviceName(Name);
    EXPECT_EQ(Name, "");
    EXPECT_EQ(Library.Link->Lines(), std::vector<std::string>{"=DeviceName"});
}

TEST_F(HlProviderTest, TextReplyEndsAtTheFirstZeroOrAtTheBufferEnd)
{
    struct TCase {
        std::string Reply;
        std::string Text;
    };
    const TCase Cases[] = {
        {std::string("Name\0rest of buffer", 19), "Name"},
        {std::string(99, 'N'), std::string(99, 'N')},
        // A reply that fills the buffer has no terminator: the text stops at the buffer.
        {std::string(100, 'F'), std::string(100, 'F')},
        {std::string(150, 'L'), std::string(100, 'L')},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Reply.size());
        Library.Link->SetReply("=DeviceVersion", Case.Reply);
        std::string Text;
        HlProvider.GetDeviceVersion(Text);
        EXPECT_EQ(Text, Case.Text);
    }
}

TEST_F(HlProviderTest, BalanceQueryReturnsTheReplyRecord)
{
    Library.Link->SetReplyRecord("=CLBCoeff", TClbCoeff{0x00000100, 0x000002D8, 0xFFFFFFF0, 0x00000000});
    const TClbCoeff Coeff = HlProvider.GetCLBCoeff();
    EXPECT_EQ(Coeff.hwMin, 0x00000100u);
    EXPECT_EQ(Coeff.shMin, 0x000002D8u);
    EXPECT_EQ(Coeff.hwMax, 0xFFFFFFF0u);
    EXPECT_EQ(Coeff.shMax, 0x00000000u);
}

TEST_F(HlProviderTest, BalanceQueryWithoutReplyIsAllZero)
{
    const TClbCoeff Coeff = HlProvider.GetCLBCoeff();
    EXPECT_EQ(Coeff.hwMin, 0u);
    EXPECT_EQ(Coeff.shMin, 0u);
    EXPECT_EQ(Coeff.hwMax, 0u);
    EXPECT_EQ(Coeff.shMax, 0u);
    EXPECT_EQ(Library.Link->Lines(), std::vector<std::string>{"=CLBCoeff"});
}

TEST_F(HlProviderTest, SixteenBitSettersKeepTheLowSixteenBits)
{
    struct TCase {
        void (THlProvider::*Method)(std::uint16_t);
        const char* Word;
    };
    const TCase Cases[] = {
        {&THlProvider::SetDepBarriersSpeed, "DepBarriersSpeed="},
        {&THlProvider::SetDepKeepDipperAfterSubstanceEnd, "DepKeepDipperAfterSubstanceEnd="},
        {&THlProvider::SetDepKeepPressureBetweenDeposition, "DepKeepPressureBetweenDeposition="},
        {&THlProvider::SetDepOpenPressure, "DepOpenPressure="},
    };
    // Values as the windows hold them, wider than the instrument takes.
    const int Wide[] = {70000, -1};
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Word);
        Library.Link->ClearCalls();
        for (int Value : Wide) (HlProvider.*Case.Method)(static_cast<std::uint16_t>(Value));
        EXPECT_EQ(Library.Link->Lines(), (std::vector<std::string>{std::string(Case.Word) + " 00001170",
                                                                   std::string(Case.Word) + " 0000FFFF"}));
    }
}

TEST_F(HlProviderTest, CountsWidenedWithoutSign)
{
    const std::uint16_t Count = 0xFFFE;
    HlProvider.SetIstNumCycles(Count);
    HlProvider.SetDepNumLayers(Count);
    EXPECT_EQ(Library.Link->Lines(), (std::vector<std::string>{"IstNumCycles= 0000FFFE", "DepNumLayers= 0000FFFE"}));
}

TEST_F(HlProviderTest, LinesKeepTheOrderOfTheCalls)
{
    HlProvider.SetExecuteCommand(false);
    HlProvider.SetBarrier1Speed(0x40);
    HlProvider.Barrier1MoveLeft(0x1000);
    HlProvider.Barrier1Stop();
    EXPECT_EQ(Library.Link->Lines(), (std::vector<std::string>{"ExecuteCommand= 0", "Barrier1Speed= 00000040",
                                                               "Barrier1MoveLeft 00001000", "Barrier1Stop"}));
}

}  // namespace
