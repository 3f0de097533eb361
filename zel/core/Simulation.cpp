#include "zel/core/Simulation.h"

#include <algorithm>
#include <cstdlib>

#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Instrument.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"

namespace {

// A balance reading drawn evenly from the unit's device range, upper end excluded.
std::uint32_t RandomReading(IClbLineUnit& Unit)
{
    const std::int64_t a = DoubleToInt32(Unit.GetHwMin()), b = DoubleToInt32(Unit.GetHwMax());
    const std::int64_t low = std::min(a, b), span = std::max(a, b) - low;
    if (span == 0) return static_cast<std::uint32_t>(low);
    const std::int64_t draw =
        (static_cast<std::int64_t>(std::rand()) * (static_cast<std::int64_t>(RAND_MAX) + 1) + std::rand()) % span;
    return static_cast<std::uint32_t>(low + draw);
}

// One step of 4 per cent of the barrier's device range.
std::uint16_t NextBarrierPos(std::uint16_t Position)
{
    return static_cast<std::uint16_t>(DoubleToInt32(CalibrateParam.barrier1.GetHwRange() * 0.04 + Position));
}

// First tick of an accessory process: the window opens its table as on the device's notice.
void StartAccessoryWindow(TToolWindowKind Kind, bool First)
{
    if (!First) return;
    if (auto* window = FindRole<IProcessWindow>(Kind)) window->ProcessStarted(0);
}

// A point of an accessory process: the two balances, the rest left at zero.
template <class TRecord>
void SimulateAccessoryPoint(const TSimulation::TNotify& Notify, TToolWindowKind Kind, THlNotifyCode Code, bool First)
{
    TRecord point{};
    point.balance = RandomReading(CalibrateParam.ballance);
    point.doserBalance = RandomReading(CalibrateParam.doserBallance);
    StartAccessoryWindow(Kind, First);
    Notify(Code, reinterpret_cast<LPARAM>(&point));
}

int WindowCycles(TToolWindowKind Kind)
{
    const auto* window = FindRole<IProcessWindow>(Kind);
    return window ? window->NumCycles() : 0;
}

}  // namespace

void TSimulation::Start(TProcessKind Process)
{
    FTicks = 0;
    FStroke = 0;
    switch (Process) {
    case pkIsotherm: {
        FBarrierPos = static_cast<std::uint16_t>(DoubleToInt32(CalibrateParam.barrier1.GetHwMin()));
        const auto* isotherm = FindRole<IProcessWindow>(TToolWindowKind::Isotherm);
        FBackward = isotherm && isotherm->RecordsBackward();
        FNotify(hlnIsothermCycle, 0);
        break;
    }
    case pkDeposition:
        FDipperPos = static_cast<std::uint16_t>(CalibrateParam.dipper.GetZeroHw());
        FNotify(hlnDepositionStroke, 0);
        break;
    case pkScript:
        FDipperPos = static_cast<std::uint16_t>(CalibrateParam.dipper.GetZeroHw());
        break;
    default:
        break;
    }
}

void TSimulation::Tick(TProcessKind Process, unsigned IntervalMs)
{
    const bool first = FTicks == 0;
    FTicks += IntervalMs / 100;
    TCalibrateParam& clb = CalibrateParam;
    switch (Process) {
    case pkIsotherm: {
        TIsothermPoint point{};
        point.barrier1Pos = FBarrierPos;
        point.balance = RandomReading(clb.ballance);
        point.time = FTicks;
        FNotify(hlnIsothermPoint, reinterpret_cast<LPARAM>(&point));
        IsothermStroke();
        break;
    }
    case pkDeposition: {
        TDepositionPoint point{};
        point.dipperPos = FDipperPos;
        point.balance = RandomReading(clb.ballance);
        point.time = FTicks;
        point.phase = (FTicks / 5) % 4 + 1;
        FNotify(hlnDepositionPoint, reinterpret_cast<LPARAM>(&point));
        DepositionStroke();
        break;
    }
    case pkScript:
        DeviceState.balance = RandomReading(clb.ballance);
        DeviceState.dipperPos = FDipperPos;
        FNotify(hlnDeviceState, reinterpret_cast<LPARAM>(&DeviceState));
        FDipperPos = static_cast<std::uint16_t>(FDipperPos + 25);
        break;
    case pkTapeDeposition:
        SimulateAccessoryPoint<TTapePoint>(FNotify, TToolWindowKind::Tape, hlnTapePoint, first);
        break;
    case pkRollDeposition:
        SimulateAccessoryPoint<TRollPoint>(FNotify, TToolWindowKind::Roll, hlnRollPoint, first);
        break;
    case pkDiskDeposition:
        SimulateAccessoryPoint<TDiskPoint>(FNotify, TToolWindowKind::Disk, hlnDiskPoint, first);
        break;
    case pkCylinderMembraneDeposition:
        SimulateAccessoryPoint<TCylPoint>(FNotify, TToolWindowKind::CylinderMembrane, hlnCylPoint, first);
        break;
    case pkTDAR: {
        TTdarPoint point{};
        point.value0 = FBarrierPos;
        point.rotBarrierPos = FDipperPos;
        point.tapePos = FDipperPos;
        point.balance = RandomReading(clb.ballance);
        point.doserBalance = RandomReading(clb.doserBallance);
        StartAccessoryWindow(TToolWindowKind::TDAR, first);
        FNotify(hlnTdarPoint, reinterpret_cast<LPARAM>(&point));
        FDipperPos = static_cast<std::uint16_t>(FDipperPos + 25);
        FBarrierPos = NextBarrierPos(FBarrierPos);
        break;
    }
    default:
        break;
    }
}

void TSimulation::IsothermStroke()
{
    FBarrierPos = NextBarrierPos(FBarrierPos);
    if (FBarrierPos <= CalibrateParam.barrier1.GetHwMax()) return;
    FBarrierPos = static_cast<std::uint16_t>(DoubleToInt32(CalibrateParam.barrier1.GetHwMin()));
    FNotify(hlnIsothermCompleted, FStroke);
    if (!FBackward) {
        // The way back is not recorded: its half cycle starts and ends at once.
        ++FStroke;
        FNotify(hlnIsothermCycle, FStroke);
        FNotify(hlnIsothermCompleted, FStroke);
    }
    if (2 * WindowCycles(TToolWindowKind::Isotherm) - 1 > FStroke) {
        ++FStroke;
        FNotify(hlnIsothermCycle, FStroke);
    }
}

void TSimulation::DepositionStroke()
{
    FDipperPos = static_cast<std::uint16_t>(FStroke % 2 == 0 ? FDipperPos + 25 : FDipperPos - 25);
    const int zero = CalibrateParam.dipper.GetZeroHw();
    if (zero <= FDipperPos && FDipperPos <= zero + 625) return;
    FNotify(hlnDepositionCompleted, FStroke);
    if (2 * WindowCycles(TToolWindowKind::Deposition) - 1 > FStroke) {
        ++FStroke;
        FNotify(hlnDepositionStroke, FStroke);
    }
}
