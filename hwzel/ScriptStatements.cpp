#include "hwzel/ScriptStatements.h"

#include <algorithm>
#include <cmath>
#include "hwzel/CommandEncoding.h"
#include "hwzel/LinkTexts.h"
#include "hwzel/ScriptPrognosis.h"
#include "hwzel/ZelComPacketSenderThread.h"
#include "hwzel/ZelCommandSet.h"
#include "platform/ui/Timers.h"

namespace {

constexpr std::uint8_t Clockwise = 1;
constexpr std::uint8_t CounterClockwise = 2;
// How often a pause looks at the abort.
constexpr unsigned LookMs = 10;

LPARAM Address(const void* Value) { return reinterpret_cast<LPARAM>(Value); }

}  // namespace

TScriptStatements::TScriptStatements(TZelComPacketSenderThread& Thread, TZelCommandSet& Set,
                                     TScriptPrognosis& Prognosis)
    : FThread(Thread), FSet(Set), FPrognosis(Prognosis)
{
}

void TScriptStatements::Install(const std::shared_ptr<TScriptStatements>& Self)
{
    using TMember = bool (TScriptStatements::*)(const std::string&, int, const TZelWord&);
    struct TBinding {
        const char* Word;
        TMember Handler;
    };
    static const TBinding Bindings[] = {
        {"Pause", &TScriptStatements::Pause},
        {"Delay", &TScriptStatements::Delay},
        {"MechActivaton", &TScriptStatements::MechActivaton},
        {"PlateArea=", &TScriptStatements::PlateArea},
        {"DipperHeight=", &TScriptStatements::DipperHeight},
        {"Info", &TScriptStatements::Info},
        {"Label", &TScriptStatements::Label},
    };
    for (const TBinding& B : Bindings) {
        const TMember Handler = B.Handler;
        FSet.SetStatement(B.Word, [Self, Handler](const std::string& Line, int Position, const TZelWord& Word) {
            return ((*Self).*Handler)(Line, Position, Word);
        });
    }
    // The statements that only tell the script window something.
    struct TNotice {
        const char* Word;
        THlNotifyCode Code;
        LPARAM Payload;
    };
    static const TNotice Notices[] = {
        {"DipperZero", hlnScriptDipperZero, 0},
        {"NewLayer", hlnScriptNewLayer, 0},
        {"RecordOn", hlnScriptRecord, 1},
        {"RecordOff", hlnScriptRecord, 0},
    };
    for (const TNotice& N : Notices) {
        const TNotice* Notice = &N;
        FSet.SetStatement(N.Word, [Self, Notice](const std::string&, int, const TZelWord&) {
            Self->Post(Notice->Code, Notice->Payload);
            return true;
        });
    }
}

// ----- pauses and delays --------------------------------------------------------------

bool TScriptStatements::ReadSeconds(const std::string& Line, int Position, const TZelWord& Word, std::int32_t& Seconds)
{
    if (ReadIntegerValue(GetValueText(Line, Position, Word.Word), Seconds)) return true;
    PostDecodeError();
    return false;
}

bool TScriptStatements::Pause(const std::string& Line, int Position, const TZelWord& Word)
{
    std::int32_t Seconds = 0;
    if (!ReadSeconds(Line, Position, Word, Seconds)) return false;
    if (FSet.ExecuteCommands) {
        if (FActivationSteps > 0)
            Rock(Seconds);
        else
            CountDown(Seconds);
    }
    Post(hlnScriptPause, 0);
    FPrognosis.Step(TPrognosisEffect::Pause, TScriptPrognosis::Seconds(Seconds));
    return true;
}

bool TScriptStatements::Delay(const std::string& Line, int Position, const TZelWord& Word)
{
    std::int32_t Seconds = 0;
    if (!ReadSeconds(Line, Position, Word, Seconds)) return false;
    if (FSet.ExecuteCommands) {
        const std::uint32_t Start = GetTickCount();
        std::uint32_t Passed = 0;
        // A negative count runs for as long as the script is not aborted.
        for (std::uint32_t Left = static_cast<std::uint32_t>(Seconds); Left != 0 && MayGoOn(); --Left)
            if (!SleepUntil(Start + ++Passed * 1000u)) break;
    }
    FPrognosis.Step(TPrognosisEffect::Delay, TScriptPrognosis::Seconds(Seconds));
    return true;
}

void TScriptStatements::CountDown(std::int32_t Seconds)
{
    const std::uint32_t Start = GetTickCount();
    std::uint32_t Passed = 0;
    // A negative count goes on below zero until the script is aborted.
    for (std::int64_t Left = Seconds; Left != 0 && MayGoOn(); --Left) {
        Post(hlnScriptPause, static_cast<LPARAM>(Left));
        if (!SleepUntil(Start + ++Passed * 1000u)) break;
    }
}

// Rocks the revolver about its place for the length of the pause: half a swing out,
// full swings from side to side, and half a swing back when no full swing fits in the
// time left.
void TScriptStatements::Rock(std::int32_t Seconds)
{
    const std::int64_t Total = std::int64_t{Seconds} * 1000;
    const std::uint32_t Start = GetTickCount();
    int Swings = 0;
    bool Done = false;
    while (!Done && MayGoOn()) {
        const std::int64_t Elapsed = static_cast<std::uint32_t>(GetTickCount() - Start);
        const std::int64_t Remaining = Elapsed > Total ? 0 : Total - Elapsed;
        Post(hlnScriptPause, static_cast<LPARAM>(Remaining / 1000));
        if (Swings > 0) {
            const double Swing = std::max(static_cast<double>(Elapsed) / (Swings - 0.5), 0.000001);
            Done = std::floor(static_cast<double>(Remaining) / Swing) == 0;
        }
        MechActivationStep(Done);
        ++Swings;
    }
    FActivationSteps = 0;
    FActivationSide = 0;
}

void TScriptStatements::MechActivationStep(bool Done)
{
    const std::int32_t Amplitude = FActivationSteps;
    if (Amplitude <= 0) return;
    const std::uint32_t Half = static_cast<std::uint32_t>(Amplitude);
    const std::uint32_t Full = 2 * Half;
    if (!Done) {
        if (FActivationSide == 0) {
            TurnRevolver(Clockwise, Half);
            FActivationSide = -1;
        } else if (FActivationSide == -1) {
            TurnRevolver(CounterClockwise, Full);
            FActivationSide = 1;
        } else {
            TurnRevolver(Clockwise, Full);
            FActivationSide = -1;
        }
        return;
    }
    // Back to the centre; the pause resets the side afterwards.
    if (FActivationSide == -1)
        TurnRevolver(CounterClockwise, Half);
    else if (FActivationSide == 1)
        TurnRevolver(Clockwise, Half);
}

bool TScriptStatements::TurnRevolver(std::uint8_t Direction, std::uint32_t Steps)
{
    return FSet.SendTurn(ZelPacket::GroupRevolver, Direction, Steps);
}

void TScriptStatements::Post(std::uint32_t Code, LPARAM Payload)
{
    static_cast<TCustomComPacketSenderThread&>(FThread).PostNotify(Code, Payload);
}

bool TScriptStatements::MayGoOn()
{
    const TCustomComPacketSenderThread& Base = FThread;
    return Base.MayContinue() && Base.LastPacketConfirmed();
}

bool TScriptStatements::SleepUntil(std::uint32_t Until)
{
    const TCustomComPacketSenderThread& Base = FThread;
    for (;;) {
        if (!Base.MayContinue()) return false;
        const std::int32_t Left = static_cast<std::int32_t>(Until - GetTickCount());
        if (Left <= 0) return true;
        Sleep(std::min<unsigned>(static_cast<unsigned>(Left), LookMs));
    }
}

// ----- values and texts for the script window ---------------------------------------

bool TScriptStatements::MechActivaton(const std::string& Line, int Position, const TZelWord& Word)
{
    std::int32_t Steps = 0;
    if (ReadIntegerValue(GetValueText(Line, Position, Word.Word), Steps)) {
        FActivationSteps = Steps;
    } else {
        // Without a readable amplitude the configured one is armed.
        PostDecodeError();
        FActivationSteps = FThread.MechActivationSteps;
    }
    return true;
}

bool TScriptStatements::PostNumber(std::uint32_t Code, TPayloadRing<double>& Ring, const std::string& Text)
{
    double Value = 0;
    if (!ReadNumberValue(Text, Value)) return false;
    Post(Code, Address(Ring.Put(Value)));
    return true;
}

bool TScriptStatements::PlateArea(const std::string& Line, int Position, const TZelWord& Word)
{
    return PostNumber(hlnScriptPlateArea, FPlateArea, GetValueText(Line, Position, Word.Word));
}

bool TScriptStatements::DipperHeight(const std::string& Line, int Position, const TZelWord& Word)
{
    return PostNumber(hlnScriptDipperHeight, FDipperHeight, GetValueText(Line, Position, Word.Word));
}

bool TScriptStatements::Info(const std::string& Line, int Position, const TZelWord& Word)
{
    const std::string* Text = FInfoText.Put(GetValueText(Line, Position, Word.Word));
    Post(hlnScriptInfo, Address(Text->c_str()));
    return true;
}

bool TScriptStatements::Label(const std::string& Line, int Position, const TZelWord& Word)
{
    const std::string* Text = FLabelText.Put(GetValueText(Line, Position, Word.Word));
    Post(hlnScriptLabel, Address(Text->c_str()));
    return true;
}

void TScriptStatements::PostDecodeError() { Post(hlnScriptStatus, Address(LinkTexts::DecodeError)); }

void InstallScriptStatements(TZelComPacketSenderThread& Thread)
{
    TZelCommandSet& Set = *Thread.CommandSet;
    auto Prognosis = std::make_shared<TScriptPrognosis>(Thread, Set);
    auto Statements = std::make_shared<TScriptStatements>(Thread, Set, *Prognosis);
    Statements->Install(Statements);
    Set.OnPrognosisStep = [Prognosis](TPrognosisEffect Effect, double First, double Second) {
        Prognosis->Step(Effect, First, Second);
    };
}
