#include "Clb_motor.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include "Clbmath.h"

namespace {

constexpr double SecondsPerMinute = 60;

// A zero factor would make every conversion of the unit meaningless, so it stands for
// the factor's default.
void ReplaceZero(double& Factor, double Default)
{
    if (Factor == 0) Factor = Default;
}

// The timer reload form of a speed code: the step timer counts Fclk / FclkDivide and
// overflows once per microstep, so the code is the 16-bit reload value -ticks. Tick
// counts outside the timer's range are held at its ends (a rate too fast for the timer
// gets the fastest code, one too slow the slowest) instead of wrapping round to an
// unrelated speed: a slow move must never run at full speed.
double TicksToReloadCode(double Ticks)
{
    const std::int32_t ticks = std::clamp<std::int32_t>(DoubleToInt32(Ticks), 1, 65535);
    return static_cast<double>(65536 - ticks);
}

}  // namespace

// ---- TMotor ----

void TMotor::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit*)
{
    if (!Ini) return;
    // Missing keys keep the class defaults: the module's line-unit default does not
    // describe a motor.
    ReadClbFloat(Ini, Section, name + ".FclkDivide", FclkDivide);
    ReadClbFloat(Ini, Section, name + ".Fclk", Fclk);
    ReadClbFloat(Ini, Section, name + ".numStepsPerOborot", numStepsPerOborot);
    ReadClbFloat(Ini, Section, name + ".uSteps", uSteps);
    ReadClbFloat(Ini, Section, name + ".hwMin", hwMin);
    ReadClbFloat(Ini, Section, name + ".hwMax", hwMax);
    ReadClbFloat(Ini, Section, name + ".minSpeed", minSpeed);
    ReadClbFloat(Ini, Section, name + ".maxSpeed", maxSpeed);
    ReadClbFloat(Ini, Section, name + ".zeroHw", zeroHw);
    int oldForm = old ? 1 : 0;
    ReadClbInteger(Ini, Section, name + ".old", oldForm);
    old = oldForm != 0;
    // Every position divides by the steps per revolution.
    ReplaceZero(numStepsPerOborot, 400);
}

void TMotor::Save(TIniFile* Ini, const std::string& Section)
{
    if (!Ini) return;
    Ini->WriteFloat(Section, name + ".hwMin", hwMin);
    Ini->WriteFloat(Section, name + ".hwMax", hwMax);
    Ini->WriteFloat(Section, name + ".zeroHw", zeroHw);
}

double TMotor::ShToHw(double Sh) { return TMotor::RevToHw(Sh) + zeroHw; }
double TMotor::HwToSh(double Hw) { return TMotor::HwToRev(Hw - zeroHw); }
double TMotor::ShToHwDelta(double Sh) { return TMotor::RevToHw(Sh); }
double TMotor::HwToShDelta(double Hw) { return TMotor::HwToRev(Hw); }
double TMotor::GetShMin() { return TMotor::GetRevMin(); }
void TMotor::SetShMin(double Value) { TMotor::SetRevMin(Value); }
double TMotor::GetShMax() { return TMotor::GetRevMax(); }
void TMotor::SetShMax(double Value) { TMotor::SetRevMax(Value); }
double TMotor::GetShRange() { return TMotor::GetRevMax() - TMotor::GetRevMin(); }

double TMotor::GetRevMin() { return DivideOr(hwMin, numStepsPerOborot, 0); }
double TMotor::GetRevMax() { return DivideOr(hwMax, numStepsPerOborot, 0); }
void TMotor::SetRevMin(double Rev) { hwMin = numStepsPerOborot * Rev; }
void TMotor::SetRevMax(double Rev) { hwMax = numStepsPerOborot * Rev; }
double TMotor::StepsToRev(double Steps) { return DivideOr(Steps, numStepsPerOborot, 0); }
double TMotor::RevToSteps(double Rev) { return numStepsPerOborot * Rev; }
double TMotor::RevToHw(double Rev) { return TMotor::RevToSteps(Rev); }
double TMotor::HwToRev(double Hw) { return TMotor::StepsToRev(Hw); }
double TMotor::GetMinRevPerMin() { return minSpeed * SecondsPerMinute; }
double TMotor::GetMaxRevPerMin() { return maxSpeed * SecondsPerMinute; }
double TMotor::RevPerMinToCode(double RevPerMin) { return TMotor::RevPerSecToCode(RevPerMin * (1 / SecondsPerMinute)); }
double TMotor::CodeToRevPerMin(double Code) { return TMotor::CodeToRevPerSec(Code) * SecondsPerMinute; }
double TMotor::GetMinRevPerSec() { return minSpeed; }
double TMotor::GetMaxRevPerSec() { return maxSpeed; }
double TMotor::RevPerSecToCode(double RevPerSec) { return StepsPerSecToCode(TMotor::RevToSteps(RevPerSec)); }
double TMotor::CodeToRevPerSec(double Code) { return TMotor::StepsToRev(CodeToStepsPerSec(Code)); }
double TMotor::SpeedToCode(double Speed) { return TMotor::RevPerMinToCode(Speed); }
double TMotor::CodeToSpeed(double Code) { return TMotor::CodeToRevPerMin(Code); }

bool TMotor::NormalizeSpeed(double* Speed)
{
    if (!Speed) return false;
    const double before = *Speed;
    double speed = before;
    if (!(speed <= TMotor::GetMaxRevPerMin())) speed = maxSpeed * SecondsPerMinute;
    if (TMotor::GetMinRevPerMin() > speed) speed = minSpeed * SecondsPerMinute;
    const std::int32_t code = DoubleToInt32(TMotor::SpeedToCode(speed) + 0.5);
    speed = TMotor::CodeToSpeed(code);
    *Speed = speed;
    return speed != before;
}

double TMotor::CodeToMotorRevPerMin(double Code) { return TMotor::CodeToRevPerMin(Code); }
double TMotor::MotorRevPerMinToCode(double RevPerMin) { return TMotor::RevPerMinToCode(RevPerMin); }
double TMotor::CodeToMotorRevPerSec(double Code) { return TMotor::CodeToRevPerSec(Code); }
double TMotor::MotorRevPerSecToCode(double RevPerSec) { return TMotor::RevPerSecToCode(RevPerSec); }
double TMotor::GetMinSpeed() { return TMotor::GetMinRevPerMin(); }
double TMotor::GetMaxSpeed() { return TMotor::GetMaxRevPerMin(); }
double TMotor::GetMinSpeedCode() { return TMotor::RevPerMinToCode(minSpeed * SecondsPerMinute); }
double TMotor::GetMaxSpeedCode() { return TMotor::RevPerMinToCode(maxSpeed * SecondsPerMinute); }

double TMotor::StepsPerSecToCode(double StepsPerSec)
{
    // A standing drive (or a rate that is not a number) is code 0, never the code of an
    // unbounded tick count.
    if (!(StepsPerSec > 0)) return 0;
    if (old) {
        const double ticks = DivideOr(Fclk, (uSteps * StepsPerSec) * FclkDivide, 0);
        return ticks > 0 ? TicksToReloadCode(ticks) : 0;
    }
    const double code = DivideOr(uSteps * FclkDivide * StepsPerSec, Fclk, 0);
    return static_cast<double>(std::clamp<std::int32_t>(DoubleToInt32(code), 0, 65535));
}

double TMotor::CodeToStepsPerSec(double Code)
{
    if (old) {
        const auto ticks = static_cast<std::uint16_t>(-static_cast<std::uint32_t>(DoubleToInt32(Code)));
        return DivideOr(Fclk, (uSteps * ticks) * FclkDivide, 0);
    }
    return DivideOr(Fclk * Code, uSteps * FclkDivide, 0);
}

int TMotor::GetZeroHw() const { return DoubleToInt32(zeroHw); }
void TMotor::SetZeroHw(int Steps) { zeroHw = Steps; }

// ---- TGear ----

void TGear::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults)
{
    if (!Ini) return;
    TMotor::Load(Ini, Section, Defaults);
    ReadClbFloat(Ini, Section, name + ".gear", gear);
    ReplaceZero(gear, 1);
}

void TGear::Save(TIniFile* Ini, const std::string& Section)
{
    if (!Ini) return;
    Ini->WriteFloat(Section, name + ".gear", gear);
    TMotor::Save(Ini, Section);
}

double TGear::GetRevMin() { return TMotor::GetRevMin() * gear; }
double TGear::GetRevMax() { return TMotor::GetRevMax() * gear; }
void TGear::SetRevMin(double Rev) { TMotor::SetRevMin(Rev / gear); }
void TGear::SetRevMax(double Rev) { TMotor::SetRevMax(Rev / gear); }
double TGear::StepsToRev(double Steps) { return TMotor::StepsToRev(Steps) * gear; }
double TGear::RevToSteps(double Rev) { return TMotor::RevToSteps(Rev / gear); }
double TGear::RevToHw(double Rev) { return TMotor::RevToHw(Rev / gear); }
double TGear::HwToRev(double Hw) { return TMotor::HwToRev(Hw) * gear; }
double TGear::GetMinRevPerMin() { return TMotor::GetMinRevPerMin() * gear; }
double TGear::GetMaxRevPerMin() { return TMotor::GetMaxRevPerMin() * gear; }
double TGear::RevPerMinToCode(double RevPerMin) { return TMotor::RevPerMinToCode(RevPerMin / gear); }
double TGear::CodeToRevPerMin(double Code) { return TMotor::CodeToRevPerMin(Code) * gear; }
double TGear::GetMinRevPerSec() { return TMotor::GetMinRevPerSec() * gear; }
double TGear::GetMaxRevPerSec() { return TMotor::GetMaxRevPerSec() * gear; }
double TGear::RevPerSecToCode(double RevPerSec) { return TMotor::RevPerSecToCode(RevPerSec / gear); }
double TGear::CodeToRevPerSec(double Code) { return TMotor::CodeToRevPerSec(Code) * gear; }

// ---- TLinearMotion ----

void TLinearMotion::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults)
{
    if (!Ini) return;
    TGear::Load(Ini, Section, Defaults);
    ReadClbFloat(Ini, Section, name + ".vintStep", vintStep);
    ReplaceZero(vintStep, 1);
}

void TLinearMotion::Save(TIniFile* Ini, const std::string& Section)
{
    if (!Ini) return;
    Ini->WriteFloat(Section, name + ".vintStep", vintStep);
    TGear::Save(Ini, Section);
}

// ---- TDoser ----

void TDoser::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults)
{
    if (!Ini) return;
    TLinearMotion::Load(Ini, Section, Defaults);
    ReadClbFloat(Ini, Section, name + ".syringeDiameter", syringeDiameter);
    ReplaceZero(syringeDiameter, 15.4);
}

void TDoser::Save(TIniFile* Ini, const std::string& Section)
{
    if (!Ini) return;
    Ini->WriteFloat(Section, name + ".syringeDiameter", syringeDiameter);
    TLinearMotion::Save(Ini, Section);
}

double TDoser::GetSyringeArea() const { return syringeDiameter * std::numbers::pi * syringeDiameter * 0.25; }

void TDoser::SetSyringeDiameter(double Value)
{
    syringeDiameter = Value;
    ReplaceZero(syringeDiameter, 15.4);
}

// ---- TTape ----

void TTape::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults)
{
    if (!Ini) return;
    TGear::Load(Ini, Section, Defaults);
    ReadClbFloat(Ini, Section, name + ".spindleDiameter", spindleDiameter);
    ReplaceZero(spindleDiameter, 25);
}

void TTape::Save(TIniFile* Ini, const std::string& Section)
{
    if (!Ini) return;
    Ini->WriteFloat(Section, name + ".spindleDiameter", spindleDiameter);
    TGear::Save(Ini, Section);
}

double TTape::GetSpindleCircumference() const { return spindleDiameter * std::numbers::pi; }

// ---- TPeristalticPump ----

void TPeristalticPump::Load(TIniFile* Ini, const std::string& Section, const ICalibrateUnit* Defaults)
{
    if (!Ini) return;
    TGear::Load(Ini, Section, Defaults);
    ReadClbFloat(Ini, Section, name + ".flowCoeff", flowCoeff);
    ReplaceZero(flowCoeff, 1);
}

void TPeristalticPump::Save(TIniFile* Ini, const std::string& Section)
{
    if (!Ini) return;
    Ini->WriteFloat(Section, name + ".flowCoeff", flowCoeff);
    TGear::Save(Ini, Section);
}

void TPeristalticPump::SetFlowCoeff(double Value)
{
    flowCoeff = Value;
    ReplaceZero(flowCoeff, 1);
}
