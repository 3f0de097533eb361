// The Langmuir-Blodgett deposition of the trough model. START positions the dipper at the
// first stroke's level while the barriers compress the film to the set pressure; once it
// holds, the run reports pressure control and runs its strokes: each stroke is announced
// with its index from 0, the dipper passes to the other level (in steps with pauses when
// stepwise), waits there for the level's pause and the stroke's end is reported. The
// barriers hold the pressure throughout, closing as the substrate takes film, but never
// beyond the maximum barrier step: when they reach it below the set pressure the compound
// is consumed. The first "go on" then returns the barriers to the open trough and reports
// that the run may continue; the second (the operator has spread compound again) positions
// anew and runs the interrupted stroke again.
#include "HexText.h"
#include "TroughModel.h"

#include <algorithm>
#include <cmath>

namespace {

enum { typeX, typeY, typeZ, typeHP, typeManual };
enum { phasePositioning, phaseDown, phaseUp, phasePauseBelow, phasePauseAbove };
// Within this much of the set pressure the barriers stand; positioning ends within the
// wider band.
constexpr double HoldBand = 0.02;
constexpr double ReachedBand = 0.2;
// Below this error (mN/m) the barriers slow down in proportion.
constexpr double SlowBand = 0.5;

}  // namespace

bool TTroughModel::StrokeGoesDown(int Stroke) const
{
    // Z deposits on the way up: its even strokes start at the lower level.
    return (Stroke % 2 == 0) != (Param(0x07, 0x01, typeY) == typeZ);
}

bool TTroughModel::StrokeTakesFilm() const
{
    if (FDeposition != TDeposition::Stroke) return false;
    const bool down = FDrives[Dipper].Target < FDrives[Dipper].Position;
    switch (Param(0x07, 0x01, typeY)) {
    case typeX:
        return down;
    case typeZ:
        return !down;
    default:
        return true;
    }
}

void TTroughModel::StartDeposition(std::int64_t NowUs)
{
    FProcess = TProcess::Deposition;
    FStroke = 0;
    FDeposition = TDeposition::Positioning;
    FPressureHeld = false;
    FLeavingLevel = false;
    FPauseUntilUs = 0;
    FNextPointUs = NowUs;
    const double level = StrokeGoesDown(0) ? Param(0x01, 0x06, 0) : Param(0x01, 0x07, 0);
    const bool up = level > FDrives[Dipper].Position;
    StartDrive(Dipper, level, Param(0x07, up ? 0x03 : 0x04, 0), true);
}

// Moves the barriers toward Target (mN/m), never closing beyond MaxStep; false when they
// stand there and the pressure is still below it.
bool TTroughModel::HoldPressure(double Target, double MaxStep)
{
    const double error = Target - SurfacePressure();
    const double full = Param(0x07, 0x0C, 0) > 0 ? Param(0x07, 0x0C, 0) : 400;
    const double speed = full * std::clamp(std::fabs(error) / SlowBand, 0.02, 1.0);
    if (error > HoldBand) {
        if (FDrives[Barrier1].Position >= MaxStep - 0.5 && FDrives[Barrier2].Position >= MaxStep - 0.5) {
            Halt(Barrier1);
            Halt(Barrier2);
            return false;
        }
        StartDrive(Barrier1, MaxStep, speed, true);
        StartDrive(Barrier2, MaxStep, speed, true);
    } else if (error < -HoldBand) {
        StartDrive(Barrier1, 0, speed, true);
        StartDrive(Barrier2, 0, speed, true);
    } else {
        Halt(Barrier1);
        Halt(Barrier2);
    }
    return true;
}

void TTroughModel::MoveDipperOn()
{
    const double position = FDrives[Dipper].Position;
    const double step = Param(0x07, 0x09, 0);
    const double left = FStrokeEnd - position;
    FStepEnd = step > 0 && std::fabs(left) > step ? position + (left > 0 ? step : -step) : FStrokeEnd;
    StartDrive(Dipper, FStepEnd, Param(0x07, FStepEnd > position ? 0x03 : 0x04, 0), true);
}

void TTroughModel::BeginDepositionStroke()
{
    Send("M05 " + Hex4(static_cast<std::uint32_t>(FStroke)));
    FDeposition = TDeposition::Stroke;
    FLeavingLevel = false;
    FPauseUntilUs = 0;
    FStrokeEnd = StrokeGoesDown(FStroke) ? Param(0x01, 0x07, 0) : Param(0x01, 0x06, 0);
    MoveDipperOn();
}

void TTroughModel::EndDeposition()
{
    FProcess = TProcess::None;
    Halt(Barrier1);
    Halt(Barrier2);
    Halt(Dipper);
}

void TTroughModel::ContinueDeposition(std::int64_t NowUs)
{
    if (FDeposition == TDeposition::Consumed) {
        FDeposition = TDeposition::Returning;
        const double speed = Param(0x07, 0x0C, 0);
        StartDrive(Barrier1, 0, speed, true);
        StartDrive(Barrier2, 0, speed, true);
    } else if (FDeposition == TDeposition::WaitingCompound) {
        // The operator has spread the compound again: the interrupted stroke starts anew
        // from its first level once the pressure holds.
        FMolecules += FSpreadMolecules;
        FDeposition = TDeposition::Positioning;
        FPressureHeld = false;
        FLeavingLevel = false;
        FNextPointUs = NowUs;
        const double level = StrokeGoesDown(FStroke) ? Param(0x01, 0x06, 0) : Param(0x01, 0x07, 0);
        StartDrive(Dipper, level, Param(0x07, level > FDrives[Dipper].Position ? 0x03 : 0x04, 0), true);
    }
}

void TTroughModel::SendDepositionPoint(std::int64_t NowUs)
{
    std::uint32_t phase = phasePositioning, pauseLeft = 0;
    const bool wentDown = Param(0x07, 0x01, typeY) == typeManual ? !FLeavingLevel : StrokeGoesDown(FStroke);
    if (FDeposition == TDeposition::Stroke) {
        phase = wentDown ? phaseDown : phaseUp;
    } else if (FDeposition == TDeposition::Pause) {
        phase = wentDown ? phasePauseBelow : phasePauseAbove;
        pauseLeft = static_cast<std::uint32_t>(std::ceil(std::max(0.0, ModelSeconds(NowUs, FPauseUntilUs))));
    }
    const auto tenths = static_cast<std::uint32_t>(ModelSeconds(FProcessStartUs, NowUs) * 10);
    auto position = [this](int Drive) { return Hex8(static_cast<std::uint32_t>(std::lround(Position(Drive)))); };
    Send("IDEP " + position(Barrier1) + " " + position(Dipper) + " " + Hex8(BalanceCounts()) + " " + Hex8(tenths) +
         " " + Hex8(pauseLeft) + " " + Hex8(phase) + " " + position(Barrier2));
}

void TTroughModel::StepDeposition(std::int64_t NowUs)
{
    if (NowUs >= FNextPointUs) {
        SendDepositionPoint(NowUs);
        FNextPointUs = NowUs + static_cast<std::int64_t>(PointIntervalUs() / O.SpeedUp);
    }
    const std::uint32_t type = Param(0x07, 0x01, typeY);
    const double maxStep =
        std::min<double>(BarrierTravelSteps, Param(0x07, 0x0B, 0) > 0 ? Param(0x07, 0x0B, 0)
                                                                      : static_cast<std::uint32_t>(BarrierTravelSteps));
    double target = CountsToPressure(Param(0x07, 0x02, static_cast<std::uint32_t>(CleanSurfaceCounts)));
    // "Adjust SP": X and Z hold the pressure between layers (while the dipper passes the
    // other way) at the open pressure.
    const bool betweenLayers =
        (type == typeX && !StrokeGoesDown(FStroke)) || (type == typeZ && StrokeGoesDown(FStroke));
    if (betweenLayers && Param(0x07, 0x0E, 1) == 0 && FDeposition != TDeposition::Positioning)
        target = CountsToPressure(Param(0x07, 0x0F, static_cast<std::uint32_t>(CleanSurfaceCounts)));

    switch (FDeposition) {
    case TDeposition::Positioning:
        if (!HoldPressure(target, maxStep)) {
            // The barriers are closed as far as they may go and the film is too thin to
            // reach the pressure at all: there is no compound to deposit.
            Send("M08 0001");
            EndDeposition();
            return;
        }
        if (std::fabs(target - SurfacePressure()) <= ReachedBand && !FDrives[Dipper].Active) {
            Send("M07");
            BeginDepositionStroke();
        }
        return;
    case TDeposition::Stroke:
    case TDeposition::Pause:
        if (!HoldPressure(target, maxStep)) {
            Send("M08 0000");
            FDeposition = TDeposition::Consumed;
            if (Param(0x07, 0x0D, 0) != 0) Halt(Dipper);
            return;
        }
        break;
    default:
        if (FDeposition == TDeposition::Returning && !FDrives[Barrier1].Active && !FDrives[Barrier2].Active) {
            FDeposition = TDeposition::WaitingCompound;
            Send("M09");
        }
        return;
    }

    if (FDeposition == TDeposition::Stroke) {
        if (FDrives[Dipper].Active) return;
        if (FStepEnd != FStrokeEnd) {
            // Stepwise: a pause after each step.
            if (FPauseUntilUs == 0)
                FPauseUntilUs = NowUs + static_cast<std::int64_t>(Param(0x07, 0x08, 0) * 1e6 / O.SpeedUp);
            if (NowUs < FPauseUntilUs) return;
            FPauseUntilUs = 0;
            MoveDipperOn();
            return;
        }
        if (type == typeManual && !FLeavingLevel) {
            // A manual run comes back up within its one stroke.
            FLeavingLevel = true;
            FStrokeEnd = Param(0x01, 0x06, 0);
            MoveDipperOn();
            return;
        }
        const bool below = StrokeGoesDown(FStroke);
        const std::uint32_t pause = type == typeHP || type == typeManual ? 0 : Param(0x07, below ? 0x06 : 0x05, 0);
        FDeposition = TDeposition::Pause;
        FPauseUntilUs = NowUs + static_cast<std::int64_t>(pause * 1e6 / O.SpeedUp);
    }
    // A stroke without a pause ends where the dipper arrives.
    if (NowUs < FPauseUntilUs) return;
    Send("M06 " + Hex4(static_cast<std::uint32_t>(FStroke)));
    const int strokes = static_cast<int>(std::max<std::uint32_t>(1, Param(0x07, 0x07, 1)));
    if (++FStroke >= strokes || type == typeHP || type == typeManual) {
        EndDeposition();
        return;
    }
    BeginDepositionStroke();
}
