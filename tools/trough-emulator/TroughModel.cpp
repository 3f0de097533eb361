#include "TroughModel.h"
#include "HexText.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double AvogadroPerMol = 6.02214076e23;
constexpr double SquareAngstromPerSquareCentimetre = 1e16;
// How often the model looks at its drives while something moves, in model time, so that
// a pressure target or a point is met on time however fast the model runs.
constexpr std::int64_t SliceUs = 20000;
// How often the model wakes while something moves, in real time; it works through the
// slices since its last look at once.
constexpr std::int64_t LookUs = 20000;

std::uint32_t Counts(double Value) { return static_cast<std::uint32_t>(std::lround(std::max(0.0, Value))); }

// Types that record a point per barrier travel; the others per time interval.
bool RecordsByTravel(std::uint32_t Type) { return Type == 2 || Type == 3 || Type == 5; }

}  // namespace

TTroughModel::TTroughModel(TTroughModelOptions Options, std::int64_t NowUs) : O(Options), FLastUs(NowUs)
{
    if (!(O.SpeedUp > 0)) O.SpeedUp = 1;
    const double grams = O.SpreadMicrolitres * 1e-3 * O.ConcentrationMgPerMl * 1e-3;
    FSpreadMolecules = O.MolarMassGPerMol > 0 ? grams / O.MolarMassGPerMol * AvogadroPerMol : 0;
    FMolecules = FSpreadMolecules;
    FDrives[Dipper].Position = DipperTravelSteps / 2;
}

double TTroughModel::Isotherm(double A)
{
    // Gas: a faint pressure far out; liquid-expanded: a soft rise from the lift-off at
    // 32 Å²; solid: the steep condensed branch from 24 Å²; collapse below 20 Å², where the
    // film buckles and the pressure sags.
    if (!(A > 0)) return 45;
    if (A > 32) return 0.3 * std::exp(-(A - 32) / 4);
    if (A > 24) return 0.3 + (32 - A) * (7.7 / 8);
    if (A > 20) return 8 + (24 - A) * (47.0 / 4);
    return std::max(45.0, 55 - (20 - A) * 2);
}

double TTroughModel::AreaCm2() const
{
    const double travelMm = (FDrives[Barrier1].Position + FDrives[Barrier2].Position) / StepsPerMm;
    return OpenAreaCm2 - travelMm * 0.1 * TroughWidthCm;
}

double TTroughModel::AreaPerMoleculeA2() const
{
    return FMolecules > 0 ? AreaCm2() * SquareAngstromPerSquareCentimetre / FMolecules : 1e9;
}

double TTroughModel::SurfacePressure() const { return FMolecules > 0 ? Isotherm(AreaPerMoleculeA2()) : 0; }

std::uint32_t TTroughModel::BalanceCounts() const
{
    return Counts(CleanSurfaceCounts - SurfacePressure() * CountsPerMilliNewton);
}

double TTroughModel::TravelLow(int Drive) const { return Drive <= Doser ? 0 : -1e9; }

double TTroughModel::TravelHigh(int Drive) const
{
    if (Drive == Barrier1 || Drive == Barrier2) return BarrierTravelSteps;
    if (Drive == Dipper) return DipperTravelSteps;
    return 1e9;
}

std::uint32_t TTroughModel::Param(int Group, int Item, std::uint32_t Default) const
{
    const auto found = FParams.find(Group << 8 | Item);
    return found == FParams.end() ? Default : found->second;
}

// Points of the processes come at the data flow interval of model time (01 09, ms).
double TTroughModel::PointIntervalUs() const { return std::max<std::uint32_t>(100, Param(0x01, 0x09, 1000)) * 1000.0; }

double TTroughModel::ModelSeconds(std::int64_t FromUs, std::int64_t ToUs) const
{
    return static_cast<double>(ToUs - FromUs) * 1e-6 * O.SpeedUp;
}

void TTroughModel::SetParameter(int Group, int Item, std::uint32_t Value)
{
    FParams[Group << 8 | Item] = Value;
    if (Value == 0) return;
    // The drive speeds: barrier 1, dipper, barrier 2, tape and pump of group 01; the doser
    // (08), the rotating barrier (09) and the turning drives (0C).
    const std::map<int, int> speeds = {{0x0101, Barrier1}, {0x0102, Dipper}, {0x010B, Barrier2},       {0x010C, Tape},
                                       {0x010D, Pump},     {0x0802, Doser},  {0x0902, RotatingBarrier}};
    if (const auto found = speeds.find(Group << 8 | Item); found != speeds.end())
        FDrives[found->second].StepsPerSecond = Value;
    if (Group == 0x0C && Item == 0x00) FDrives[DipperRotator].StepsPerSecond = FDrives[Revolver].StepsPerSecond = Value;
}

void TTroughModel::StartDrive(int Drive, double Target, double StepsPerSecond, bool Quiet)
{
    TDrive_& d = FDrives[Drive];
    d.Target = std::clamp(Target, TravelLow(Drive), TravelHigh(Drive));
    if (StepsPerSecond > 0) d.StepsPerSecond = StepsPerSecond;
    d.Active = true;
    d.Reported = Quiet;
}

void TTroughModel::Halt(int Drive)
{
    FDrives[Drive].Active = false;
    FDrives[Drive].Reported = true;
}

void TTroughModel::Move(int Drive, bool Increase, std::uint32_t Steps, std::int64_t NowUs)
{
    if (Drive < 0 || Drive >= DipperRotator) return;
    Advance(NowUs);
    const double distance = Steps == 0 ? 2e9 : static_cast<double>(static_cast<std::int32_t>(Steps));
    StartDrive(Drive, FDrives[Drive].Position + (Increase ? distance : -distance), 0, false);
}

void TTroughModel::Stop(int Drive, std::int64_t NowUs)
{
    Advance(NowUs);
    for (int d = 0; d < DriveCount; ++d)
        if (Drive < 0 || d == Drive) Halt(d);
}

void TTroughModel::Turn(int Drive, int Item, std::uint32_t Steps, std::int64_t NowUs)
{
    if (Drive != DipperRotator && Drive != Revolver) return;
    Advance(NowUs);
    const double steps = static_cast<std::int32_t>(Steps);
    if (Item == 0x00)
        StartDrive(Drive, 0, 0, false);
    else if (Item == 0x01 && Steps == 0) {
        // A stop ends the turn where it is; its end is reported at once.
        FDrives[Drive].Active = false;
        FDrives[Drive].Reported = false;
    } else
        StartDrive(Drive, FDrives[Drive].Position + (Item == 0x02 ? -steps : steps), 0, false);
}

void TTroughModel::Integrate(double Seconds)
{
    for (TDrive_& d : FDrives) {
        if (!d.Active) continue;
        const double reach = d.StepsPerSecond * Seconds;
        const double left = d.Target - d.Position;
        if (std::fabs(left) <= reach) {
            d.Position = d.Target;
            d.Active = false;
        } else {
            d.Position += left > 0 ? reach : -reach;
        }
    }
}

void TTroughModel::SendIsothermPoint(std::int64_t NowUs)
{
    const auto tenths = static_cast<std::uint32_t>(ModelSeconds(FProcessStartUs, NowUs) * 10);
    Send("IIZT " + Hex8(Counts(FDrives[Barrier1].Position)) + " " + Hex8(Counts(FDrives[Dipper].Position)) + " " +
         Hex8(BalanceCounts()) + " " + Hex8(tenths) + " " + Hex8(Counts(FDrives[Barrier2].Position)));
}

void TTroughModel::RunProcess(int Item, std::int64_t NowUs)
{
    Advance(NowUs);
    if (Item == 0x04) {
        if (FProcess == TProcess::Deposition) ContinueDeposition(NowUs);
        return;
    }
    if (FProcess == TProcess::Accessory) EndAccessory(nullptr);
    if (Item == 0x00) {
        for (int d = 0; d < DriveCount; ++d) Halt(d);
        FProcess = TProcess::None;
        Send("M04 00");
        return;
    }
    FProcessStartUs = NowUs;
    FNextPointUs = NowUs;
    if (Item == 0x01) {
        FProcess = TProcess::Isotherm;
        FStroke = 0;
        FStrokes = static_cast<int>(std::max<std::uint32_t>(1, Param(0x05, 0x08, 1)));
        StartStroke(NowUs);
    } else if (Item == 0x02) {
        StartDeposition(NowUs);
    } else if (Item == 0x03) {
        // To the pressure of 05 0A: both barriers close while the pressure is below it and
        // open while it is above.
        FProcess = TProcess::ToPressure;
        const double target = CountsToPressure(Param(0x05, 0x0A, static_cast<std::uint32_t>(CleanSurfaceCounts)));
        const double end = SurfacePressure() < target ? BarrierTravelSteps : 0;
        StartDrive(Barrier1, end, 0, true);
        StartDrive(Barrier2, end, 0, true);
    } else {
        StartAccessory(Item, NowUs);
    }
}

void TTroughModel::StartStroke(std::int64_t NowUs)
{
    const bool back = FStroke % 2 == 1;
    // An end position of 0 sets no limit: the stroke runs until its pressure or time is met.
    const double end = Param(0x05, 0x03, 0);
    const double target = back ? Param(0x05, 0x02, 0) : end > 0 ? end : BarrierTravelSteps;
    const double speed = Param(0x05, 0x05, 0);
    StartDrive(Barrier1, target, speed, true);
    StartDrive(Barrier2, target, speed, true);
    Send("M01 " + Hex4(static_cast<std::uint32_t>(FStroke)));
    SendIsothermPoint(NowUs);
    const std::uint32_t step = std::max<std::uint32_t>(1, Param(0x05, 0x04, 400));
    FNextPointAt = RecordsByTravel(Param(0x05, 0x01, 2))
                       ? FDrives[Barrier1].Position + (back ? -1.0 : 1.0) * step
                       : static_cast<double>(NowUs) + std::max<std::uint32_t>(step, 100) * 1000.0 / O.SpeedUp;
}

void TTroughModel::StepIsotherm(std::int64_t NowUs)
{
    const bool back = FStroke % 2 == 1;
    const std::uint32_t type = Param(0x05, 0x01, 2);
    const std::uint32_t step = std::max<std::uint32_t>(1, Param(0x05, 0x04, 400));
    const double position = FDrives[Barrier1].Position;
    if (RecordsByTravel(type)) {
        while (back ? position <= FNextPointAt : position >= FNextPointAt) {
            SendIsothermPoint(NowUs);
            FNextPointAt += (back ? -1.0 : 1.0) * step;
        }
    } else if (NowUs >= FNextPointAt) {
        SendIsothermPoint(NowUs);
        FNextPointAt = static_cast<double>(NowUs) + std::max<std::uint32_t>(step, 100) * 1000.0 / O.SpeedUp;
    }
    const std::uint32_t endPressure = Param(0x05, 0x0B, 0);
    const std::uint32_t seconds = Param(0x05, 0x0C, 0);
    // Pressure lightens the plate: the target is met once the reading falls to it.
    const bool pressureReached = !back && endPressure > 0 && BalanceCounts() <= endPressure;
    const bool timeOver =
        (type == 4 || type == 6) && seconds > 0 && ModelSeconds(FProcessStartUs, NowUs) >= static_cast<double>(seconds);
    const bool arrived = !FDrives[Barrier1].Active && !FDrives[Barrier2].Active;
    if (type == 1 || !(pressureReached || timeOver || arrived)) return;
    Halt(Barrier1);
    Halt(Barrier2);
    // The stroke's last point is where the barriers stopped.
    SendIsothermPoint(NowUs);
    Send("M02 " + Hex4(static_cast<std::uint32_t>(FStroke)));
    if (++FStroke < FStrokes && !timeOver && !(pressureReached && type == 3 && FStrokes == 1)) {
        StartStroke(NowUs);
        return;
    }
    FProcess = TProcess::None;
    Send("M04 00");
}

void TTroughModel::StepToPressure()
{
    const double target = CountsToPressure(Param(0x05, 0x0A, static_cast<std::uint32_t>(CleanSurfaceCounts)));
    const bool closing =
        FDrives[Barrier1].Target > FDrives[Barrier1].Position || FDrives[Barrier2].Target > FDrives[Barrier2].Position;
    const bool reached = closing ? SurfacePressure() >= target : SurfacePressure() <= target;
    if (!reached && (FDrives[Barrier1].Active || FDrives[Barrier2].Active)) return;
    Halt(Barrier1);
    Halt(Barrier2);
    FProcess = TProcess::None;
    Send("M03 0003");
    Send("M04 00");
}

std::int64_t TTroughModel::Advance(std::int64_t NowUs)
{
    const std::int64_t longest = std::max<std::int64_t>(1, static_cast<std::int64_t>(SliceUs / O.SpeedUp));
    while (FLastUs < NowUs) {
        const std::int64_t slice = std::min<std::int64_t>(longest, NowUs - FLastUs);
        const double before = FDrives[Dipper].Position;
        Integrate(slice * 1e-6 * O.SpeedUp);
        FLastUs += slice;
        // The substrate takes film on both faces as it passes through the surface in the
        // direction that deposits; that film is gone from the trough, so the pressure falls
        // until the barriers close up.
        const double passedMm = std::fabs(FDrives[Dipper].Position - before) / StepsPerMm;
        if (FProcess == TProcess::Deposition && passedMm > 0 && FMolecules > 0 && StrokeTakesFilm()) {
            constexpr double SubstrateWidthCm = 2.5;
            const double takenCm2 = 2 * SubstrateWidthCm * passedMm * 0.1;
            FMolecules = std::max(
                0.0, FMolecules - takenCm2 * SquareAngstromPerSquareCentimetre / std::max(1.0, AreaPerMoleculeA2()));
        }
        if (FProcess == TProcess::Isotherm) StepIsotherm(FLastUs);
        if (FProcess == TProcess::Deposition) StepDeposition(FLastUs);
        if (FProcess == TProcess::ToPressure) StepToPressure();
        if (FProcess == TProcess::Accessory) StepAccessory(FLastUs);
    }
    bool anyActive = FProcess != TProcess::None;
    for (int i = 0; i < DriveCount; ++i) {
        TDrive_& d = FDrives[i];
        if (!d.Active && !d.Reported) {
            d.Reported = true;
            if (i == Spindle) continue;
            if (i == DipperRotator || i == Revolver) {
                // The turning drives tell where both stand, then that the turn ended.
                Send("IINR " + Hex8(static_cast<std::uint32_t>(std::lround(FDrives[DipperRotator].Position))) + " " +
                     Hex8(static_cast<std::uint32_t>(std::lround(FDrives[Revolver].Position))) + " " +
                     Hex8(static_cast<std::uint32_t>(std::lround(FDrives[Doser].Position))) + " " +
                     Hex8(BalanceCounts()) + " 00000304");
                Send(i == DipperRotator ? "M0A" : "M0B");
            } else {
                Send("M03 " + Hex4(static_cast<std::uint32_t>(i * 3 + 3)));
                Send("M04 00");
            }
        }
        anyActive = anyActive || d.Active;
    }
    return anyActive ? NowUs + LookUs : -1;
}
