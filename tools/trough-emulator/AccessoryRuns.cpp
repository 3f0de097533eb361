// The processes the instrument runs on its accessories (roll, tape, disk and
// cylinder-membrane deposition, tape deposition and rinse, film preparation), in model
// time on the trough model's drives and film. Each run carries its substrate a fixed
// length on its carrying drive at the commanded speed and direction; meanwhile the
// rotating barrier, the tape and the doser run at their commanded speeds, and barrier 1
// holds the commanded pressure where the process has one (approaching at the approach
// speed, then at the feedback speed). A roll run whose barrier 1 reaches the end of its
// travel below the pressure stops at the limit switch. Film preparation moves both
// barriers to the commanded area. Every point reports both balances (the film's pressure
// in counts), the drives' positions and a status word whose bits say which accessory
// works (0 doser, 1 rotating barrier, 2 tape); the run ends with its finished report, also
// on "ProcessStop".
#include "HexText.h"
#include "TroughModel.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

enum class TPointLayout {
    Rotbar,    // rotating barrier, two values, balance, doser balance, status
    Balances,  // substrate position, balance, doser balance, status
    Tdar,      // barrier 1, two values, rotating barrier, tape, balance, doser balance, status
    FilmPrep,  // barrier 1, barrier 2, balance, doser balance, pump, time, status
};

// A setting of the instrument: group and item (group 0: none).
struct TSetting {
    int Group = 0;
    int Item = 0;
};

// The length of substrate one accessory run carries, in steps of its carrying drive.
constexpr double SubstrateSteps = 4000;

}  // namespace

struct TTroughModel::TAccessoryRun {
    int Item;
    const char* Started;
    const char* Point;
    TPointLayout Layout;
    const char* Finished;
    int Drive;  // the carrying drive
    TSetting Speed, Direction;
    TSetting Pressure, FeedbackSpeed, ApproachSpeed;  // barrier 1's pressure hold
    TSetting RotbarSpeed, RotbarDirection, TapeSpeed, TapeDirection, DoserSpeed;
    TSetting BarrierActive, BarrierSpeed, BarrierStep;  // a move of barrier 1
    const char* LimitSwitch;
};

const TTroughModel::TAccessoryRun* TTroughModel::AccessoryRunOf(int Item)
{
    using D = TTroughModel;
    static const TTroughModel::TAccessoryRun Runs[] = {
        // roll: the rotating barrier carries the substrate
        {0x06,         "M10",
         "IRDP",       TPointLayout::Rotbar,
         "M11",        D::RotatingBarrier,
         {0x0E, 0x02}, {0x0E, 0x01},
         {0x0E, 0x03}, {0x0E, 0x07},
         {0x0E, 0x08}, {},
         {},           {},
         {},           {},
         {},           {},
         {},           "M14"},
        // tape: the tape carries it past the rotating barrier and the doser
        {0x07, "M12",  "ITDP",       TPointLayout::Rotbar, "M13", D::Tape, {0x0D, 0x0C}, {0x0D, 0x0B}, {},
         {},   {},     {0x0D, 0x07}, {0x0D, 0x06},         {},    {},      {0x0D, 0x02}, {},           {},
         {},   nullptr},
        // disk and cylinder membrane: their own spindle turns
        {0x08,         "M15",        "IDDP",       TPointLayout::Balances, "M16",        D::Spindle,
         {0x0F, 0x02}, {0x0F, 0x01}, {0x0F, 0x03}, {0x0F, 0x05},           {0x0F, 0x06}, {},
         {},           {},           {},           {0x0F, 0x08},           {},           {},
         {},           nullptr},
        {0x09,         "M17",        "ICDP",       TPointLayout::Balances, "M18",        D::Spindle,
         {0x10, 0x02}, {0x10, 0x01}, {0x10, 0x03}, {0x10, 0x05},           {0x10, 0x06}, {},
         {},           {},           {},           {0x10, 0x08},           {},           {},
         {},           nullptr},
        // tape deposition and rinse: the tape, with barrier 1's step
        {0x0A,         "M19",        "ITDR",       TPointLayout::Tdar,
         "M20",        D::Tape,      {0x11, 0x15}, {0x11, 0x14},
         {},           {},           {},           {0x11, 0x10},
         {0x11, 0x0F}, {},           {},           {0x11, 0x08},
         {0x11, 0x01}, {0x11, 0x02}, {0x11, 0x03}, nullptr},
        // film preparation: both barriers to the commanded area
        {0x0C,  "M21",       "IIFP",       TPointLayout::FilmPrep,
         "M22", D::Barrier1, {0x13, 0x04}, {},
         {},    {},          {},           {},
         {},    {},          {},           {},
         {},    {},          {},           nullptr},
    };
    for (const auto& run : Runs)
        if (run.Item == Item) return &run;
    return nullptr;
}

void TTroughModel::StartAccessory(int Item, std::int64_t NowUs)
{
    const TAccessoryRun* run = AccessoryRunOf(Item);
    if (!run) return;  // a process this trough does not run
    FProcess = TProcess::Accessory;
    FAccessory = run;
    FPressureHeld = false;
    FNextPointUs = NowUs;
    auto value = [this](TSetting S) { return S.Group ? Param(S.Group, S.Item, 0) : 0u; };
    // Direction 0 turns or runs one way, 1 the other.
    auto sign = [&](TSetting S) { return value(S) == 1 ? -1.0 : 1.0; };
    if (run->Layout == TPointLayout::FilmPrep) {
        const double target = Param(0x13, 0x02, 0);
        const double speed = value(target < Position(Barrier1) ? TSetting{0x13, 0x03} : run->Speed);
        StartDrive(Barrier1, target, speed, true);
        StartDrive(Barrier2, target, speed, true);
    } else {
        StartDrive(run->Drive, Position(run->Drive) + sign(run->Direction) * SubstrateSteps, value(run->Speed), true);
    }
    if (run->RotbarSpeed.Group)
        StartDrive(RotatingBarrier, sign(run->RotbarDirection) * 2e9, value(run->RotbarSpeed), true);
    if (run->DoserSpeed.Group && value(run->DoserSpeed) > 0)
        StartDrive(Doser, TravelHigh(Doser), value(run->DoserSpeed), true);
    if (run->BarrierActive.Group && value(run->BarrierActive) != 0)
        StartDrive(Barrier1, Position(Barrier1) + static_cast<std::int32_t>(value(run->BarrierStep)),
                   value(run->BarrierSpeed), true);
    Send(run->Started);
}

void TTroughModel::EndAccessory(const char* Report)
{
    const TAccessoryRun* run = FAccessory;
    FAccessory = nullptr;
    FProcess = TProcess::None;
    for (int d : {Barrier1, Barrier2, Doser, RotatingBarrier, Tape, Pump, Spindle}) Halt(d);
    if (run) Send(Report ? Report : run->Finished);
}

void TTroughModel::SendAccessoryPoint(std::int64_t NowUs)
{
    const TAccessoryRun& run = *FAccessory;
    auto at = [this](int Drive) { return static_cast<std::uint32_t>(std::lround(Position(Drive))); };
    const std::uint32_t status =
        (Moving(Doser) ? 1u : 0u) | (Moving(RotatingBarrier) ? 2u : 0u) | (Moving(Tape) ? 4u : 0u);
    // The doser's balance weighs the same film as the main balance.
    const std::uint32_t balance = BalanceCounts(), doserBalance = BalanceCounts();
    std::vector<std::uint32_t> fields;
    switch (run.Layout) {
    case TPointLayout::Rotbar:
        fields = {at(RotatingBarrier), 0, 0, balance, doserBalance, status};
        break;
    case TPointLayout::Balances:
        fields = {at(Spindle), balance, doserBalance, status};
        break;
    case TPointLayout::Tdar:
        fields = {at(Barrier1), 0, 0, at(RotatingBarrier), at(Tape), balance, doserBalance, status};
        break;
    case TPointLayout::FilmPrep:
        fields = {at(Barrier1), at(Barrier2), balance,
                  doserBalance, at(Pump),     static_cast<std::uint32_t>(ModelSeconds(FProcessStartUs, NowUs) * 10),
                  status};
        break;
    }
    std::string body = run.Point;
    for (std::uint32_t field : fields) body += " " + Hex8(field);
    Send(body);
}

void TTroughModel::StepAccessory(std::int64_t NowUs)
{
    const TAccessoryRun& run = *FAccessory;
    if (NowUs >= FNextPointUs) {
        SendAccessoryPoint(NowUs);
        FNextPointUs = NowUs + static_cast<std::int64_t>(PointIntervalUs() / O.SpeedUp);
    }
    auto value = [this](TSetting S) { return S.Group ? Param(S.Group, S.Item, 0) : 0u; };
    if (run.Pressure.Group) {
        // Barrier 1 holds the pressure: it approaches until the pressure is first met, then
        // follows it at the feedback speed.
        const double error = CountsToPressure(value(run.Pressure)) - SurfacePressure();
        FPressureHeld = FPressureHeld || error <= 0;
        const double speed = value(FPressureHeld ? run.FeedbackSpeed : run.ApproachSpeed);
        if (error > 0.02) {
            if (Position(Barrier1) >= BarrierTravelSteps - 0.5 && run.LimitSwitch) {
                EndAccessory(run.LimitSwitch);
                return;
            }
            StartDrive(Barrier1, BarrierTravelSteps, speed, true);
        } else if (error < -0.02) {
            StartDrive(Barrier1, 0, speed, true);
        } else {
            Halt(Barrier1);
        }
    }
    const bool carried =
        run.Layout == TPointLayout::FilmPrep ? !Moving(Barrier1) && !Moving(Barrier2) : !Moving(run.Drive);
    const bool barrierDone = run.BarrierActive.Group == 0 || !Moving(Barrier1);
    if (carried && barrierDone) {
        SendAccessoryPoint(NowUs);
        EndAccessory(nullptr);
    }
}
