#include "hwzel/ScriptPrognosis.h"

#include <cmath>

#include "hwzel/ZelComPacketSenderThread.h"
#include "hwzel/ZelCommandSet.h"

namespace {

// Which field a word moves, in which sense, and which prognosis speed its time uses.
enum class TField { None, Barrier1, Barrier2, Dipper, Doser, Rotator, Revolver };

struct TMoveRule {
    TPrognosisEffect Effect;
    TField Field;
    int Sense;
    double TZelCommandSet::*Speed;
    // Seconds per unit of the speed's time: the drives' speeds are per minute, as the
    // program's calibration converts them; a rotation speed has no time unit of its own.
    double SecondsPerSpeedUnit;
};

constexpr double PerMinute = 60, Unscaled = 1;

const TMoveRule MoveRules[] = {
    {TPrognosisEffect::Barrier1Plus, TField::Barrier1, 1, &TZelCommandSet::PrognosisBarrier1Speed, PerMinute},
    {TPrognosisEffect::Barrier1Minus, TField::Barrier1, -1, &TZelCommandSet::PrognosisBarrier1Speed, PerMinute},
    {TPrognosisEffect::Barrier2Plus, TField::Barrier2, 1, &TZelCommandSet::PrognosisBarrier2Speed, PerMinute},
    {TPrognosisEffect::Barrier2Minus, TField::Barrier2, -1, &TZelCommandSet::PrognosisBarrier2Speed, PerMinute},
    {TPrognosisEffect::DipperPlus, TField::Dipper, 1, &TZelCommandSet::PrognosisDipperSpeed, PerMinute},
    {TPrognosisEffect::DipperMinus, TField::Dipper, -1, &TZelCommandSet::PrognosisDipperSpeed, PerMinute},
    {TPrognosisEffect::DoserPlus, TField::Doser, 1, &TZelCommandSet::PrognosisDoserSpeed, PerMinute},
    {TPrognosisEffect::DoserMinus, TField::Doser, -1, &TZelCommandSet::PrognosisDoserSpeed, PerMinute},
    {TPrognosisEffect::RotatorPlus, TField::Rotator, 1, &TZelCommandSet::PrognosisRotationSpeed, Unscaled},
    {TPrognosisEffect::RotatorMinus, TField::Rotator, -1, &TZelCommandSet::PrognosisRotationSpeed, Unscaled},
    {TPrognosisEffect::RevolverPlus, TField::Revolver, 1, &TZelCommandSet::PrognosisRotationSpeed, Unscaled},
    {TPrognosisEffect::RevolverMinus, TField::Revolver, -1, &TZelCommandSet::PrognosisRotationSpeed, Unscaled},
};

double& FieldOf(TScriptPrognosisStatus& Record, TField Field)
{
    switch (Field) {
    case TField::Barrier1:
        return Record.barrier1Pos;
    case TField::Barrier2:
        return Record.barrier2Pos;
    case TField::Dipper:
        return Record.dipperPos;
    case TField::Doser:
        return Record.doserPos;
    case TField::Rotator:
        return Record.dipperRotatorAngle;
    case TField::Revolver:
        return Record.revolverAngle;
    case TField::None:
        break;
    }
    return Record.time;
}

}  // namespace

TScriptPrognosis::TScriptPrognosis(TZelComPacketSenderThread& Thread, TZelCommandSet& Set) : FThread(Thread), FSet(Set)
{
}

void TScriptPrognosis::Step(TPrognosisEffect Effect, double First, double Second)
{
    TCustomComPacketSenderThread& Base = FThread;
    if (!Base.ScriptMode() || !FSet.PrognosisOn || !FSet.Prognosis) return;
    TScriptPrognosisStatus& Record = *FSet.Prognosis;
    switch (Effect) {
    case TPrognosisEffect::Pause:
    case TPrognosisEffect::Delay:
        Record.time += First;
        break;
    case TPrognosisEffect::Cell: {
        const double Speed = FSet.PrognosisRotationSpeed;
        if (Speed == 0) return;
        Record.dipperRotatorAngle = First;
        Record.revolverAngle = Second;
        Record.time += Second / Speed + First / Speed;
        break;
    }
    case TPrognosisEffect::None:
        return;
    default: {
        const TMoveRule* Rule = nullptr;
        for (const TMoveRule& R : MoveRules)
            if (R.Effect == Effect) Rule = &R;
        if (!Rule) return;
        const double Speed = FSet.*(Rule->Speed);
        // A speed of 0 (not set, or set by a direct line) leaves the move unpredicted.
        if (Speed == 0) return;
        FieldOf(Record, Rule->Field) += Rule->Sense * First;
        // Time passes whichever way a move goes.
        Record.time += Rule->SecondsPerSpeedUnit * std::fabs(First / Speed);
        break;
    }
    }
    // A dry run races through its lines: each step waits until the window has copied
    // the record, so no step is lost or read half-written. A real run moves at the
    // drives' pace and only tells.
    if (FSet.ExecuteCommands)
        Base.PostNotify(hlnScriptPrognosis, 0);
    else
        Base.SendNotify(hlnScriptPrognosis, 0);
}
