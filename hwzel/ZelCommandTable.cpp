#include "hwzel/ZelCommandTable.h"

#include <cstdio>
#include "hwzel/hwzel.h"

namespace {

using A = TWordAction;
using F = TValueForm;
using S = TSpeedStore;
using P = TPrognosisEffect;

constexpr TZelWord Cycle(const char* W) { return {W, A::Cycle, 0, 0, F::None, 0, wfNone, S::None, P::None}; }
constexpr TZelWord HexSet(const char* W, std::uint8_t G, std::uint8_t I)
{
    return {W, A::Setter, G, I, F::Hex, 0, wfNone, S::None, P::None};
}
constexpr TZelWord IntSet(const char* W, std::uint8_t G, std::uint8_t I)
{
    return {W, A::Setter, G, I, F::Integer, 0, wfNone, S::None, P::None};
}
constexpr TZelWord ConvSet(const char* W, std::uint8_t G, std::uint8_t I, std::uint32_t Code, S Speed = S::None,
                           std::uint8_t Flags = wfNone)
{
    return {W, A::Setter, G, I, F::Converted, Code, Flags, Speed, P::None};
}
constexpr TZelWord ValueQuery(const char* W, std::uint8_t I, std::uint8_t Flags = wfNone)
{
    return {W, A::ValueQuery, ZelPacket::GroupQuery, I, F::None, 0, Flags, S::None, P::None};
}
constexpr TZelWord TextQuery(const char* W, std::uint8_t I)
{
    return {W, A::TextQuery, ZelPacket::GroupQuery, I, F::None, 0, wfSentInDryRun, S::None, P::None};
}
constexpr TZelWord Move(const char* W, std::uint8_t G, std::uint8_t I, std::uint32_t Code, P Effect,
                        std::uint8_t Flags = wfNone)
{
    return {W, A::Move, G, I, F::Converted, Code, Flags, S::None, Effect};
}
constexpr TZelWord Bare(const char* W, std::uint8_t G, std::uint8_t I, std::uint8_t Flags = wfNone)
{
    return {W, A::Bare, G, I, F::None, 0, Flags, S::None, P::None};
}
constexpr TZelWord Proc(const char* W, std::uint8_t I)
{
    return {W, A::Process, ZelPacket::GroupProcess, I, F::None, 0, wfSentInDryRun, S::None, P::None};
}
constexpr TZelWord Stmt(const char* W, F Form = F::None, P Effect = P::None)
{
    return {W, A::Statement, 0, 0, Form, 0, wfNone, S::None, Effect};
}

constexpr std::uint8_t Sent = wfSentInDryRun;
constexpr std::uint8_t Alias = wfAlias;

}  // namespace

// Registration order is match order: a line is taken as the first of these words that
// it contains as a whole word.
const TZelWord ZelWords[ZelWordCount] = {
    Cycle("TITLE"),
    Cycle("REPEAT"),
    Cycle("ENDREPEAT"),
    ConvSet("FBSensetivity=", 0x01, 0x03, hlnConvFBSensetivity),
    ValueQuery("=FBSensetivity", 0x03),
    ConvSet("FBLimitUp=", 0x01, 0x04, hlnConvFBLimitUp),
    ValueQuery("=FBLimitUp", 0x04),
    ConvSet("FBLimitDown=", 0x01, 0x05, hlnConvFBLimitDown),
    ValueQuery("=FBLimitDown", 0x05),
    ConvSet("FBPCoeff=", 0x01, 0x0F, hlnConvFBPCoeff),
    ValueQuery("=FBPCoeff", 0x0F),
    ConvSet("BarrierSpeed=", 0x01, 0x01, hlnConvBarrierSpeed, S::Barrier1, Alias),
    ValueQuery("=BarrierSpeed", 0x01, Alias),
    ConvSet("Barrier1Speed=", 0x01, 0x01, hlnConvBarrierSpeed, S::Barrier1),
    ValueQuery("=Barrier1Speed", 0x01),
    ConvSet("Barrier2Speed=", 0x01, 0x0B, hlnConvBarrierSpeed, S::Barrier2),
    ValueQuery("=Barrier2Speed", 0x0B),
    ConvSet("DipperSpeed=", 0x01, 0x02, hlnConvDipperSpeed, S::Dipper),
    ValueQuery("=DipperSpeed", 0x02),
    ConvSet("TapeSpeed=", 0x01, 0x0C, hlnConvTapeSpeed),
    ConvSet("DipTopLevel=", 0x01, 0x06, hlnConvDipperDistance),
    ValueQuery("=DipTopLevel", 0x06),
    ConvSet("DipBottomLevel=", 0x01, 0x07, hlnConvDipperDistance),
    ValueQuery("=DipBottomLevel", 0x07),
    {"LblDipTopLevel=", A::LevelOnly, 0, 0, F::Converted, hlnConvDipperDistance, wfNone, S::None, P::None},
    {"LblDipBottomLevel=", A::LevelOnly, 0, 0, F::Converted, hlnConvDipperDistance, wfNone, S::None, P::None},
    {"CLBCoeff=", A::ClbCoeff, 0x01, 0x08, F::Hex, 0, Sent, S::None, P::None},
    {"=CLBCoeff", A::FourQuery, ZelPacket::GroupQuery, 0x08, F::None, 0, Sent, S::None, P::None},
    HexSet("InputFlowInterval=", 0x01, 0x09),
    ValueQuery("=InputFlowInterval", 0x09),
    HexSet("KeyboardBlock=", 0x01, 0x0A),
    ValueQuery("=KeyboardBlock", 0x0A),
    TextQuery("=DeviceName", 0xFF),
    TextQuery("=DeviceVersion", 0xFE),
    TextQuery("=Manufacturer", 0xFD),
    TextQuery("=DeviceDate", 0xFC),
    HexSet("IstType=", 0x05, 0x01),
    ConvSet("IstBeginPos=", 0x05, 0x02, hlnConvBarrierPosition),
    ConvSet("IstEndPos=", 0x05, 0x03, hlnConvBarrierPosition),
    ConvSet("IstDataStep=", 0x05, 0x04, hlnConvBarrierPosition),
    ConvSet("IstBarrierSpeed=", 0x05, 0x05, hlnConvBarrierSpeed),
    HexSet("IstStpCompPause=", 0x05, 0x06),
    ConvSet("IstStpCompStep=", 0x05, 0x07, hlnConvBarrierPosition),
    HexSet("IstNumCycles=", 0x05, 0x08),
    HexSet("IstBackwardData=", 0x05, 0x09),
    ConvSet("IstBeginPressure=", 0x05, 0x0A, hlnConvPressure),
    ConvSet("IstEndPressure=", 0x05, 0x0B, hlnConvPressure),
    HexSet("IstProcessTime=", 0x05, 0x0C),
    HexSet("DepType=", 0x07, 0x01),
    ConvSet("DepPressure=", 0x07, 0x02, hlnConvPressure),
    ConvSet("DepSpeedUp=", 0x07, 0x03, hlnConvDipperSpeed),
    ConvSet("DepSpeedDown=", 0x07, 0x04, hlnConvDipperSpeed),
    HexSet("DepPauseUp=", 0x07, 0x05),
    HexSet("DepPauseDown=", 0x07, 0x06),
    HexSet("DepNumLayers=", 0x07, 0x07),
    HexSet("DepStpCompPause=", 0x07, 0x08),
    ConvSet("DepStpCompStep=", 0x07, 0x09, hlnConvDipperDistance),
    HexSet("DepKeepPressureControl=", 0x07, 0x0A),
    HexSet("DepMaxBarrierStep=", 0x07, 0x0B),
    ConvSet("DepBarriersSpeed=", 0x07, 0x0C, hlnConvBarrierSpeed),
    HexSet("DepKeepDipperAfterSubstanceEnd=", 0x07, 0x0D),
    HexSet("DepKeepPressureBetweenDeposition=", 0x07, 0x0E),
    ConvSet("DepOpenPressure=", 0x07, 0x0F, hlnConvPressure),
    Proc("ProcessStop", 0x00),
    Proc("StartIsotherm", 0x01),
    Proc("StartDeposition", 0x02),
    Proc("ContinueDeposition", 0x04),
    Proc("StartTapeDeposition", 0x07),
    Proc("StartRollDeposition", 0x06),
    Proc("StartDiskDeposition", 0x08),
    Proc("StartCylDeposition", 0x09),
    Proc("StartTDAR", 0x0A),
    Proc("StartEUD", 0x0B),
    Proc("StartFilmPreparation", 0x0C),
    {"BarrierMoveToPressure", A::MoveToPressure, ZelPacket::GroupIsotherm, ZelPacket::ItemPressureTarget, F::Converted,
     hlnConvPressure, Sent, S::None, P::None},
    Move("BarrierMoveLeft", 0x03, 0x01, hlnConvBarrierPosition, P::Barrier1Plus, Alias),
    Move("BarrierMoveRight", 0x03, 0x02, hlnConvBarrierPosition, P::Barrier1Minus, Alias),
    Move("Barrier1MoveLeft", 0x03, 0x01, hlnConvBarrierPosition, P::Barrier1Plus),
    Move("Barrier1MoveRight", 0x03, 0x02, hlnConvBarrierPosition, P::Barrier1Minus),
    Move("Barrier2MoveLeft", 0x03, 0x04, hlnConvBarrierPosition, P::Barrier2Plus),
    Move("Barrier2MoveRight", 0x03, 0x05, hlnConvBarrierPosition, P::Barrier2Minus),
    Move("DipperMoveUp", 0x03, 0x07, hlnConvDipperDistance, P::DipperPlus),
    Move("DipperMoveDown", 0x03, 0x08, hlnConvDipperDistance, P::DipperMinus),
    Move("DoserMoveUp", 0x03, 0x0A, hlnConvDoserDistance, P::DoserPlus),
    Move("DoserMoveDown", 0x03, 0x0B, hlnConvDoserDistance, P::DoserMinus),
    Bare("RotBarrierMoveLeft", 0x03, 0x0D),
    Bare("RotBarrierMoveRight", 0x03, 0x0E),
    Bare("TapeMoveLeft", 0x03, 0x10),
    Bare("TapeMoveRight", 0x03, 0x11),
    Bare("Barrier1Stop", 0x03, 0x03, Sent),
    Bare("Barrier2Stop", 0x03, 0x06, Sent),
    Bare("DipperStop", 0x03, 0x09, Sent),
    Bare("DoserStop", 0x03, 0x0C, Sent),
    Bare("RotBarrierStop", 0x03, 0x0F, Sent),
    Bare("TapeStop", 0x03, 0x12, Sent),
    Bare("DriveAllStop", 0x03, 0x00, Sent),
    Move("PeristalticPumpMoveCCW", 0x03, 0x13, hlnConvPumpVolume, P::None),
    Move("PeristalticPumpMoveCW", 0x03, 0x14, hlnConvPumpVolume, P::None),
    Bare("PeristalticPumpStop", 0x03, 0x15, Sent),
    Bare("PeristalticPumpReset", 0x01, 0x0E, Sent),
    ConvSet("PeristalticPumpSpeed=", 0x01, 0x0D, hlnConvPumpSpeed),
    Bare("InitDipperRotator", 0x0A, 0x00, Sent),
    Bare("StopDipperRotator", 0x0A, 0x01, Sent),
    Move("RotateDipperCW", 0x0A, 0x01, hlnConvDipperRotatorAngle, P::RotatorPlus),
    Move("RotateDipperCCW", 0x0A, 0x02, hlnConvDipperRotatorAngle, P::RotatorMinus),
    Bare("InitRevolver", 0x0B, 0x00, Sent),
    Bare("StopRevolver", 0x0B, 0x01, Sent),
    Move("RotateRevolverCW", 0x0B, 0x01, hlnConvRevolverAngle, P::RevolverPlus),
    Move("RotateRevolverCCW", 0x0B, 0x02, hlnConvRevolverAngle, P::RevolverMinus),
    {"MoveDipperToCell", A::MoveToCell, 0, 0, F::Number, hlnConvCellToRotator, wfNone, S::None, P::Cell},
    ConvSet("RotationSpeed=", 0x0C, 0x00, hlnConvRotationSpeed, S::Rotation, Sent),
    Stmt("MechActivaton", F::Integer),
    Stmt("Pause", F::Integer, P::Pause),
    Stmt("Delay", F::Integer, P::Delay),
    {"ExecuteCommand=", A::ExecuteCommand, 0, 0, F::Integer, 0, wfNone, S::None, P::None},
    {"CalcScriptPrognosis=", A::CalcPrognosis, 0, 0, F::Hex, 0, wfNone, S::None, P::None},
    Stmt("PlateArea=", F::Number),
    Stmt("DipperHeight=", F::Number),
    Stmt("DipperZero"),
    Stmt("NewLayer"),
    Stmt("RecordOn"),
    Stmt("RecordOff"),
    Stmt("Info", F::Text),
    Stmt("Label", F::Text),
    ConvSet("DoserSpeed=", 0x08, 0x02, hlnConvDoserSpeed, S::Doser),
    HexSet("DoserKeepPressure=", 0x08, 0x03),
    ConvSet("DoserAutoPressure=", 0x08, 0x01, hlnConvDoserPressure),
    ConvSet("RotBarrierSpeed=", 0x09, 0x02, hlnConvRotBarrierSpeed),
    ConvSet("RotBarrierSpeedUpLimit=", 0x09, 0x03, hlnConvRotBarrierSpeed),
    ConvSet("RotBarrierSpeedDownLimit=", 0x09, 0x04, hlnConvRotBarrierSpeed),
    ConvSet("RotBarrierPressure=", 0x09, 0x01, hlnConvPressure),
    IntSet("TdDoserMode=", 0x0D, 0x01),
    ConvSet("TdDoserSpeed=", 0x0D, 0x02, hlnConvDoserSpeed),
    ConvSet("TdDoserPresStart=", 0x0D, 0x03, hlnConvDoserPressure),
    ConvSet("TdDoserPresStop=", 0x0D, 0x04, hlnConvDoserPressure),
    IntSet("TdRotbarMode=", 0x0D, 0x05),
    IntSet("TdRotbarDir=", 0x0D, 0x06),
    ConvSet("TdRotbarSpeed=", 0x0D, 0x07, hlnConvRotBarrierSpeed),
    ConvSet("TdRotbarPresStart=", 0x0D, 0x08, hlnConvPressure),
    ConvSet("TdRotbarPresStop=", 0x0D, 0x09, hlnConvPressure),
    IntSet("TdTapeMode=", 0x0D, 0x0A),
    IntSet("TdTapeDir=", 0x0D, 0x0B),
    ConvSet("TdTapeSpeed=", 0x0D, 0x0C, hlnConvTapeSpeed),
    ConvSet("TdTapePresStart=", 0x0D, 0x0D, hlnConvPressure),
    ConvSet("TdTapePresStop=", 0x0D, 0x0E, hlnConvPressure),
    IntSet("RdDirection=", 0x0E, 0x01),
    ConvSet("RdSpeed=", 0x0E, 0x02, hlnConvRotBarrierSpeed),
    ConvSet("RdPressureDip=", 0x0E, 0x03, hlnConvDipPressure),
    ConvSet("RdRangePressureDip=", 0x0E, 0x04, hlnConvDipPressureRange),
    ConvSet("RdPressureDos=", 0x0E, 0x05, hlnConvDosPressure),
    ConvSet("RdRangePressureDos=", 0x0E, 0x06, hlnConvDosPressureRange),
    ConvSet("RdFeedbackSpeed=", 0x0E, 0x07, hlnConvBarrierSpeed),
    ConvSet("RdApproachSpeed=", 0x0E, 0x08, hlnConvBarrierSpeed),
    HexSet("DdDirection=", 0x0F, 0x01),
    ConvSet("DdSpeed=", 0x0F, 0x02, hlnConvDiskSpeed),
    ConvSet("DdPressure=", 0x0F, 0x03, hlnConvDipPressure),
    ConvSet("DdRangePressure=", 0x0F, 0x04, hlnConvDipPressureRange),
    ConvSet("DdFeedbackSpeed=", 0x0F, 0x05, hlnConvBarrierSpeed),
    ConvSet("DdApproachSpeed=", 0x0F, 0x06, hlnConvBarrierSpeed),
    HexSet("DdDoserMode=", 0x0F, 0x07),
    ConvSet("DdDoserSpeed=", 0x0F, 0x08, hlnConvDoserSpeed),
    ConvSet("DdDoserPresStart=", 0x0F, 0x09, hlnConvDoserPressure),
    ConvSet("DdDoserPresStop=", 0x0F, 0x0A, hlnConvDoserPressure),
    HexSet("CdDirection=", 0x10, 0x01),
    ConvSet("CdSpeed=", 0x10, 0x02, hlnConvCylinderSpeed),
    ConvSet("CdPressure=", 0x10, 0x03, hlnConvDipPressure),
    ConvSet("CdRangePressure=", 0x10, 0x04, hlnConvDipPressureRange),
    ConvSet("CdFeedbackSpeed=", 0x10, 0x05, hlnConvBarrierSpeed),
    ConvSet("CdApproachSpeed=", 0x10, 0x06, hlnConvBarrierSpeed),
    HexSet("CdDoserMode=", 0x10, 0x07),
    ConvSet("CdDoserSpeed=", 0x10, 0x08, hlnConvDoserSpeed),
    ConvSet("CdDoserPresStart=", 0x10, 0x09, hlnConvDoserPressure),
    ConvSet("CdDoserPresStop=", 0x10, 0x0A, hlnConvDoserPressure),
    HexSet("TdarBarrierActive=", 0x11, 0x01),
    ConvSet("TdarBarrierSpeed=", 0x11, 0x02, hlnConvBarrierSpeed),
    ConvSet("TdarBarrierStep=", 0x11, 0x03, hlnConvBarrierPosition),
    ConvSet("TdarBarrierPressure=", 0x11, 0x04, hlnConvPressure),
    HexSet("TdarBarrierDelay=", 0x11, 0x05),
    HexSet("TdarDoser1Active=", 0x11, 0x06),
    HexSet("TdarDoser1Mode=", 0x11, 0x07),
    ConvSet("TdarDoser1Speed=", 0x11, 0x08, hlnConvDoserSpeed),
    HexSet("TdarDoser2Active=", 0x11, 0x09),
    HexSet("TdarDoser2Mode=", 0x11, 0x0A),
    ConvSet("TdarDoser2Speed=", 0x11, 0x0B, hlnConvDoser2Speed),
    ConvSet("TdarDoser2PresStart=", 0x11, 0x0C, hlnConvDoser2Pressure),
    ConvSet("TdarDoser2PresStop=", 0x11, 0x0D, hlnConvDoser2Pressure),
    HexSet("TdarRotbarMode=", 0x11, 0x0E),
    HexSet("TdarRotbarDir=", 0x11, 0x0F),
    ConvSet("TdarRotbarSpeed=", 0x11, 0x10, hlnConvRotBarrierSpeed),
    ConvSet("TdarRotbarPresStart=", 0x11, 0x11, hlnConvPressure),
    ConvSet("TdarRotbarPresStop=", 0x11, 0x12, hlnConvPressure),
    HexSet("TdarTapeMode=", 0x11, 0x13),
    HexSet("TdarTapeDir=", 0x11, 0x14),
    ConvSet("TdarTapeSpeed=", 0x11, 0x15, hlnConvTapeSpeed),
    ConvSet("TdarTapePresStart=", 0x11, 0x16, hlnConvPressure),
    ConvSet("TdarTapePresStop=", 0x11, 0x17, hlnConvPressure),
    ConvSet("EudPrePressure=", 0x12, 0x01, hlnConvPressure),
    ConvSet("EudOperatingPressure=", 0x12, 0x02, hlnConvPressure),
    HexSet("EudUseDoser=", 0x12, 0x03),
    ConvSet("EudDoserSpeed=", 0x12, 0x04, hlnConvDoserSpeed),
    ConvSet("EudDoserLimit=", 0x12, 0x05, hlnConvDoserDistance),
    ConvSet("EudBarrierStartPosition=", 0x12, 0x06, hlnConvBarrierPosition),
    ConvSet("EudBarrierSpeed=", 0x12, 0x07, hlnConvBarrierSpeed),
    ConvSet("EudBarrierLimit=", 0x12, 0x08, hlnConvBarrierPosition),
    HexSet("EudTapeDir=", 0x12, 0x09),
    ConvSet("EudTapeSpeed=", 0x12, 0x0A, hlnConvTapeSpeed),
    HexSet("EudTapeLimit=", 0x12, 0x0B),
    HexSet("EudCycles=", 0x12, 0x0C),
    ConvSet("FpPressure=", 0x13, 0x01, hlnConvPressure),
    ConvSet("FpArea=", 0x13, 0x02, hlnConvTroughArea),
    ConvSet("FpOpenningBarrierSpeed=", 0x13, 0x03, hlnConvBarrierSpeed),
    ConvSet("FpClosingBarrierSpeed=", 0x13, 0x04, hlnConvClosingBarrierSpeed),
    HexSet("FpPumpType=", 0x13, 0x05),
    ConvSet("FpInjectionVolume=", 0x13, 0x08, hlnConvPumpVolume),
    ConvSet("FpInjectionVolumeStep=", 0x13, 0x09, hlnConvPumpVolume),
    HexSet("FpDelay=", 0x13, 0x0A),
    ConvSet("FpPumpSpeed=", 0x13, 0x0B, hlnConvPumpSpeed),
};

namespace {

bool SameWord(const char* A, const std::string& B)
{
    std::size_t i = 0;
    for (; A[i] != 0; ++i) {
        if (i >= B.size()) return false;
        char X = A[i], Y = B[i];
        if (X >= 'a' && X <= 'z') X = static_cast<char>(X - 'a' + 'A');
        if (Y >= 'a' && Y <= 'z') Y = static_cast<char>(Y - 'a' + 'A');
        if (X != Y) return false;
    }
    return i == B.size();
}

bool SendsPacket(TWordAction Action)
{
    switch (Action) {
    case A::Setter:
    case A::ValueQuery:
    case A::FourQuery:
    case A::TextQuery:
    case A::Move:
    case A::Bare:
    case A::Process:
    case A::ClbCoeff:
    case A::MoveToPressure:
        return true;
    default:
        return false;
    }
}

}  // namespace

const TZelWord* FindZelWord(const std::string& Word)
{
    for (const TZelWord& Entry : ZelWords)
        if (SameWord(Entry.Word, Word)) return &Entry;
    return nullptr;
}

const TZelWord* FindZelWordByPacket(std::uint8_t Group, std::uint8_t Item, bool HasValue, std::uint32_t Value)
{
    // The second packet of BarrierMoveToPressure has no word of its own.
    if (Group == ZelPacket::GroupProcess && Item == ZelPacket::ItemMoveToPressure && !HasValue)
        return FindZelWord("BarrierMoveToPressure");
    const bool IsTurn = Group == ZelPacket::GroupRotator || Group == ZelPacket::GroupRevolver;
    const bool IsStopTurn = IsTurn && Item == 0x01 && Value == 0;
    const TZelWord* Found = nullptr;
    for (const TZelWord& Entry : ZelWords) {
        if (!SendsPacket(Entry.Action) || Entry.Group != Group || Entry.Item != Item) continue;
        if (Entry.Flags & wfAlias) continue;
        const bool EntryHasValue = Entry.Action != A::ValueQuery && Entry.Action != A::FourQuery &&
                                   Entry.Action != A::TextQuery && Entry.Action != A::Process;
        if (EntryHasValue != HasValue) continue;
        if (Entry.Action == A::Bare && IsTurn && Item == 0x01 && !IsStopTurn) continue;
        if (!Found) Found = &Entry;
        if (IsStopTurn && Entry.Action == A::Bare) return &Entry;
    }
    return Found;
}

int FormatValuePayload(char* Out, std::size_t Size, std::uint8_t Group, std::uint8_t Item, std::uint32_t Value)
{
    return std::snprintf(Out, Size, "%02X %02X %08X", Group, Item, Value);
}

int FormatBarePayload(char* Out, std::size_t Size, std::uint8_t Group, std::uint8_t Item)
{
    return std::snprintf(Out, Size, "%02X %02X", Group, Item);
}

int FormatFourPayload(char* Out, std::size_t Size, std::uint8_t Group, std::uint8_t Item, const std::uint32_t Values[4])
{
    return std::snprintf(Out, Size, "%02X %02X %08X %08X %08X %08X", Group, Item, Values[0], Values[1], Values[2],
                         Values[3]);
}
