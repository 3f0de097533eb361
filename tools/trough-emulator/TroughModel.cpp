#include "TroughModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double AvogadroPerMol = 6.02214076e23;
constexpr double SquareAngstromPerSquareCentimetre = 1e16;
// How often the model looks at its drives while something moves (simulated time scales
// the distances covered, not this interval).
constexpr std::int64_t StepUs = 20000;

std::string Hex8(std::uint32_t V)
{
    char T[16];
    std::snprintf(T, sizeof T, "%08X", V);
    return T;
}
std::string Hex4(std::uint32_t V)
{
    char T[16];
    std::snprintf(T, sizeof T, "%04X", V);
    return T;
}
std::uint32_t Counts(double Value) { return static_cast<std::uint32_t>(std::lround(std::max(0.0, Value))); }

// Types that record a point per barrier travel; the others per time interval.
bool RecordsByTravel(std::uint32_t Type) { return Type == 2 || Type == 3 || Type == 5; }

// The width of the substrate the dipper carries through the film (both faces take film).
constexpr double SubstrateWidthCm = 2.5;

}  // namespace

TTroughModel::TTroughModel(TTroughModelOptions Options, std::int64_t NowUs) : O(Options), FLastUs(NowUs)
{
    if (!(O.SpeedUp > 0)) O.SpeedUp = 1;
    const double grams = O.SpreadMicrolitres * 1e-3 * O.ConcentrationMgPerMl * 1e-3;
    FMolecules = O.MolarMassGPerMol > 0 ? grams / O.MolarMassGPerMol * AvogadroPerMol : 0;
    for (int d = 0; d < DriveCount; ++d) FDrives[d].StopCode = d * 3 + 3;
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

double TTroughModel::PressureToCounts(double Pressure) const
{
    return CleanSurfaceCounts - Pressure * CountsPerMilliNewton;
}

std::uint32_t TTroughModel::BalanceCounts() const { return Counts(PressureToCounts(SurfacePressure())); }

double TTroughModel::TravelLimit(int Drive) const
{
    return Drive == Dipper ? DipperTravelSteps : Drive <= Barrier2 ? BarrierTravelSteps : 1e9;
}

std::uint32_t TTroughModel::Param(int Group, int Item, std::uint32_t Default) const
{
    const auto found = FParams.find(Group << 8 | Item);
    return found == FParams.end() ? Default : found->second;
}

void TTroughModel::SetParameter(int Group, int Item, std::uint32_t Value)
{
    FParams[Group << 8 | Item] = Value;
    // The drive speeds of group 01: barrier 1, dipper, barrier 2.
    if (Group == 0x01 && Value > 0) {
        if (Item == 0x01) FDrives[Barrier1].StepsPerSecond = Value;
        if (Item == 0x0B) FDrives[Barrier2].StepsPerSecond = Value;
        if (Item == 0x02) FDrives[Dipper].StepsPerSecond = Value;
    }
}

void TTroughModel::StartDrive(int Drive, double Target, double StepsPerSecond)
{
    TDrive_& d = FDrives[Drive];
    d.Target = std::clamp(Target, 0.0, TravelLimit(Drive));
    if (StepsPerSecond > 0) d.StepsPerSecond = StepsPerSecond;
    d.Active = true;
    d.Reported = false;
}

void TTroughModel::Move(int Drive, bool Forward, std::uint32_t Steps, std::int64_t NowUs)
{
    if (Drive < 0 || Drive >= DriveCount) return;
    Advance(NowUs);
    const double distance = Steps == 0 ? TravelLimit(Drive) : static_cast<double>(static_cast<std::int32_t>(Steps));
    StartDrive(Drive, FDrives[Drive].Position + (Forward ? distance : -distance), 0);
}

void TTroughModel::Stop(int Drive, std::int64_t NowUs)
{
    Advance(NowUs);
    for (int d = 0; d < DriveCount; ++d)
        if (Drive < 0 || d == Drive) {
            FDrives[d].Active = false;
            FDrives[d].Reported = true;
        }
}

void TTroughModel::Integrate(double Seconds)
{
    for (int i = 0; i < DriveCount; ++i) {
        TDrive_& d = FDrives[i];
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

void TTroughModel::SendPoint(const char* Kind, std::int64_t NowUs)
{
    const auto tenths = static_cast<std::uint32_t>((NowUs - FProcessStartUs) * O.SpeedUp / 100000);
    const std::string b1 = Hex8(Counts(FDrives[Barrier1].Position));
    const std::string b2 = Hex8(Counts(FDrives[Barrier2].Position));
    const std::string dip = Hex8(Counts(FDrives[Dipper].Position));
    const std::string balance = Hex8(BalanceCounts());
    if (std::string(Kind) == "IZT") {
        Send("IIZT " + b1 + " " + dip + " " + balance + " " + Hex8(tenths) + " " + b2);
        return;
    }
    const std::uint32_t phase = FPauseUntilUs > NowUs ? (FDipperDown ? 4 : 3) : (FDipperDown ? 1 : 2);
    const auto pauseLeft =
        static_cast<std::uint32_t>(std::max<std::int64_t>(0, FPauseUntilUs - NowUs) * O.SpeedUp / 1000000);
    Send("IDEP " + b1 + " " + dip + " " + balance + " " + Hex8(tenths) + " " + Hex8(pauseLeft) + " " + Hex8(phase) +
         " " + b2);
}

void TTroughModel::RunProcess(int Item, std::int64_t NowUs)
{
    Advance(NowUs);
    if (Item == 0x00) {
        Stop(-1, NowUs);
        FProcess = TProcess::None;
        Send("M04 00");
        return;
    }
    FProcessStartUs = NowUs;
    if (Item == 0x01) {
        FProcess = TProcess::Isotherm;
        FStroke = 0;
        FStrokes = static_cast<int>(std::max<std::uint32_t>(1, Param(0x05, 0x08, 1)));
        StartStroke(NowUs);
    } else if (Item == 0x02) {
        FProcess = TProcess::Deposition;
        FLayer = 0;
        FDipperDown = true;
        FPauseUntilUs = 0;
        FNextPointAt = static_cast<double>(NowUs);
        const double speed = Param(0x07, 0x04, 0);
        StartDrive(Dipper, Param(0x01, 0x07, 0), speed);
        Send("M05 " + Hex4(1));
    } else if (Item == 0x03) {
        FProcess = TProcess::ToPressure;
        StartDrive(Barrier1, BarrierTravelSteps, 0);
        StartDrive(Barrier2, BarrierTravelSteps, 0);
    }
}

void TTroughModel::StartStroke(std::int64_t NowUs)
{
    const bool back = FStroke % 2 == 1;
    // An end position of 0 sets no limit: the stroke runs until its pressure or time is met.
    const double end = Param(0x05, 0x03, 0);
    const double target = back ? Param(0x05, 0x02, 0) : end > 0 ? end : BarrierTravelSteps;
    const double speed = Param(0x05, 0x05, 0);
    StartDrive(Barrier1, target, speed);
    StartDrive(Barrier2, target, speed);
    Send("M01 " + Hex4(static_cast<std::uint32_t>(FStroke)));
    SendPoint("IZT", NowUs);
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
            SendPoint("IZT", NowUs);
            FNextPointAt += (back ? -1.0 : 1.0) * step;
        }
    } else if (NowUs >= FNextPointAt) {
        SendPoint("IZT", NowUs);
        FNextPointAt = static_cast<double>(NowUs) + std::max<std::uint32_t>(step, 100) * 1000.0 / O.SpeedUp;
    }
    const std::uint32_t endPressure = Param(0x05, 0x0B, 0);
    const std::uint32_t seconds = Param(0x05, 0x0C, 0);
    // Pressure lightens the plate: the target is met once the reading falls to it.
    const bool pressureReached = !back && endPressure > 0 && BalanceCounts() <= endPressure;
    const bool timeOver = (type == 4 || type == 6) && seconds > 0 &&
                          (NowUs - FProcessStartUs) * O.SpeedUp >= static_cast<double>(seconds) * 1e6;
    const bool arrived = !FDrives[Barrier1].Active && !FDrives[Barrier2].Active;
    if (type == 1 || !(pressureReached || timeOver || arrived)) return;
    FDrives[Barrier1].Active = FDrives[Barrier2].Active = false;
    FDrives[Barrier1].Reported = FDrives[Barrier2].Reported = true;
    // The stroke's last point is where the barriers stopped.
    SendPoint("IZT", NowUs);
    Send("M02 " + Hex4(static_cast<std::uint32_t>(FStroke)));
    if (++FStroke < FStrokes && !timeOver && !(pressureReached && type == 3 && FStrokes == 1)) {
        StartStroke(NowUs);
        return;
    }
    FProcess = TProcess::None;
    Send("M04 00");
}

void TTroughModel::StepDeposition(std::int64_t NowUs)
{
    // The barriers hold the set pressure: they close while the pressure is below it.
    const double set = (CleanSurfaceCounts - static_cast<double>(Param(0x07, 0x02, 0))) / CountsPerMilliNewton;
    if (set > 0) {
        const bool low = SurfacePressure() < set;
        const double speed = Param(0x07, 0x0C, 0);
        for (int b : {Barrier1, Barrier2}) {
            if (low && !FDrives[b].Active) StartDrive(b, BarrierTravelSteps, speed);
            if (!low && FDrives[b].Active) FDrives[b].Active = false;
            FDrives[b].Reported = true;
        }
    }
    if (NowUs >= FNextPointAt) {
        SendPoint("DEP", NowUs);
        FNextPointAt = static_cast<double>(NowUs) + 200000;
    }
    if (FDrives[Dipper].Active || NowUs < FPauseUntilUs) return;
    FDrives[Dipper].Reported = true;
    if (FPauseUntilUs == 0) {
        const std::uint32_t pause = Param(0x07, FDipperDown ? 0x06 : 0x05, 0);
        FPauseUntilUs = NowUs + static_cast<std::int64_t>(pause * 1e6 / O.SpeedUp);
        if (pause > 0) return;
    }
    FPauseUntilUs = 0;
    if (!FDipperDown) {
        Send("M05 " + Hex4(static_cast<std::uint32_t>(++FLayer + 1)));
        if (FLayer >= static_cast<int>(std::max<std::uint32_t>(1, Param(0x07, 0x07, 1)))) {
            FProcess = TProcess::None;
            for (int b : {Barrier1, Barrier2}) FDrives[b].Active = false;
            Send("M06 " + Hex4(static_cast<std::uint32_t>(FLayer)));
            return;
        }
    }
    FDipperDown = !FDipperDown;
    StartDrive(Dipper, Param(0x01, FDipperDown ? 0x07 : 0x06, 0), Param(0x07, FDipperDown ? 0x04 : 0x03, 0));
}

void TTroughModel::StepToPressure()
{
    // Feedback on the set pressure of group 01 item 03: the barriers stop once it is met.
    const std::uint32_t target = Param(0x05, 0x0A, 0);
    const bool reached = target > 0 && BalanceCounts() <= target;
    if (!reached && (FDrives[Barrier1].Active || FDrives[Barrier2].Active)) return;
    FDrives[Barrier1].Active = FDrives[Barrier2].Active = false;
    FDrives[Barrier1].Reported = FDrives[Barrier2].Reported = true;
    FProcess = TProcess::None;
    Send("M03 0003");
    Send("M04 00");
}

std::int64_t TTroughModel::Advance(std::int64_t NowUs)
{
    // Integrate in slices of at most StepUs of simulated time, so that a pressure target or
    // a point is met on time however fast the model runs.
    const std::int64_t longest = std::max<std::int64_t>(1, static_cast<std::int64_t>(StepUs / O.SpeedUp));
    while (FLastUs < NowUs) {
        const std::int64_t slice = std::min<std::int64_t>(longest, NowUs - FLastUs);
        const double before = FDrives[Dipper].Position;
        Integrate(slice * 1e-6 * O.SpeedUp);
        FLastUs += slice;
        // The substrate takes film on both faces as it passes through the surface; that film
        // is gone from the trough, so the pressure falls until the barriers close up.
        const double passedMm = std::fabs(FDrives[Dipper].Position - before) / StepsPerMm;
        if (FProcess == TProcess::Deposition && passedMm > 0 && FMolecules > 0) {
            const double takenCm2 = 2 * SubstrateWidthCm * passedMm * 0.1;
            FMolecules = std::max(
                0.0, FMolecules - takenCm2 * SquareAngstromPerSquareCentimetre / std::max(1.0, AreaPerMoleculeA2()));
        }
        if (FProcess == TProcess::Isotherm) StepIsotherm(FLastUs);
        if (FProcess == TProcess::Deposition) StepDeposition(FLastUs);
        if (FProcess == TProcess::ToPressure) StepToPressure();
    }
    bool anyActive = FProcess != TProcess::None;
    for (TDrive_& d : FDrives) {
        if (!d.Active && !d.Reported) {
            d.Reported = true;
            Send("M03 " + Hex4(static_cast<std::uint32_t>(d.StopCode)));
            Send("M04 00");
        }
        anyActive = anyActive || d.Active;
    }
    return anyActive ? NowUs + StepUs : -1;
}
