#include "Deposition.h"
#include "HexText.h"

#include <cstdio>

namespace {

constexpr std::int64_t StepUs = 20000;
constexpr std::int64_t BarrierStep = 20;  // steps each barrier closes per moving point
constexpr std::int64_t BarrierStart = 1000;
// Items of the deposition parameter group.
constexpr int itemType = 0x01, itemPauseUp = 0x05, itemPauseDown = 0x06, itemStrokes = 0x07;
enum { typeX, typeY, typeZ, typeHP, typeManual };
enum { phaseDown = 1, phaseUp = 2, phasePauseBelow = 3, phasePauseAbove = 4 };

}  // namespace

TDepositionRun::TDepositionRun(TSend Send, TLater Later, std::int64_t* Positions)
    : FSend(std::move(Send)), FLater(std::move(Later)), FPos(Positions)
{
}

std::uint32_t TDepositionRun::Param(int Item) const
{
    const auto Found = FParams.find(Item);
    return Found == FParams.end() ? 0 : Found->second;
}

int TDepositionRun::Type() const { return static_cast<int>(Param(itemType)); }

// HP and manual runs end at their first stroke's end.
int TDepositionRun::Strokes() const
{
    if (Type() == typeHP || Type() == typeManual) return 1;
    return Param(itemStrokes) > 0 ? static_cast<int>(Param(itemStrokes)) : 1;
}

// A manual run goes down and comes back up within its one stroke.
int TDepositionRun::MovingPoints() const { return Type() == typeManual ? 8 : 4; }

void TDepositionRun::Start(std::int64_t NowUs, std::int32_t Top, std::int32_t Bottom)
{
    FTop = Top;
    FBottom = Bottom;
    FStroke = 0;
    FStartUs = NowUs;
    FWaiting = false;
    const int Serial = ++FSerial;
    FLater(NowUs + StepUs, [this, Serial, NowUs] {
        if (Serial != FSerial) return;
        FSend("M07");
        BeginStroke(Serial, NowUs + StepUs);
    });
}

void TDepositionRun::Stop()
{
    ++FSerial;
    FWaiting = false;
}

void TDepositionRun::Continue(std::int64_t NowUs)
{
    if (!FWaiting) return;
    if (!FBarriersBack) {
        FBarriersBack = true;
        FPos[0] = BarrierStart;
        FPos[1] = BarrierStart;
        const int Serial = FSerial;
        FLater(NowUs + 5 * StepUs, [this, Serial] {
            if (Serial == FSerial) FSend("M09");
        });
        return;
    }
    FWaiting = false;
    const int Serial = ++FSerial;
    FLater(NowUs + StepUs, [this, Serial, NowUs] { BeginStroke(Serial, NowUs + StepUs); });
}

void TDepositionRun::BeginStroke(int Serial, std::int64_t AtUs)
{
    if (Serial != FSerial) return;
    FSend("M05 " + Hex4(static_cast<std::uint32_t>(FStroke)));
    FPoint = 0;
    FLater(AtUs + StepUs, [this, Serial, AtUs] { NextPoint(Serial, AtUs + StepUs); });
}

bool TDepositionRun::CompoundRunsOut()
{
    if (FConsumeNext) {
        FConsumeNext = false;
        return true;
    }
    if (ConsumeAtStroke == FStroke && FPoint == 2) {
        ConsumeAtStroke = -1;
        return true;
    }
    return false;
}

void TDepositionRun::NextPoint(int Serial, std::int64_t AtUs)
{
    if (Serial != FSerial) return;
    if (CompoundRunsOut()) {
        ++FSerial;
        FWaiting = true;
        FBarriersBack = false;
        FSend("M08 0000");
        return;
    }
    // Z deposits on the way up: its even strokes start at the lower level.
    const bool Down = (FStroke % 2 == 0) != (Type() == typeZ);
    const int Moving = MovingPoints();
    std::uint32_t Phase = 0, PauseLeft = 0;
    if (FPoint < Moving) {
        // The manual run turns in the middle of its points.
        const int Half = Type() == typeManual ? Moving / 2 : Moving;
        const int Leg = FPoint < Half ? FPoint : FPoint - Half;
        const bool Downwards = Type() == typeManual ? FPoint < Half : Down;
        const double Part = FPoint < Half ? Leg / (Half - 1.0) : (Leg + 1.0) / Half;
        const double From = Downwards ? FTop : FBottom, To = Downwards ? FBottom : FTop;
        FPos[2] = static_cast<std::int64_t>(From + (To - From) * Part);
        FPos[0] += BarrierStep;
        FPos[1] += BarrierStep;
        Phase = Downwards ? phaseDown : phaseUp;
    } else {
        Phase = Down ? phasePauseBelow : phasePauseAbove;
        PauseLeft = Param(Down ? itemPauseDown : itemPauseUp);
    }
    const auto Tenths = static_cast<std::uint32_t>((AtUs - FStartUs) / 100000);
    FSend("IDEP " + Hex8(static_cast<std::uint32_t>(FPos[0])) + " " + Hex8(static_cast<std::uint32_t>(FPos[2])) +
          " 00000300 " + Hex8(Tenths) + " " + Hex8(PauseLeft) + " " + Hex8(Phase) + " " +
          Hex8(static_cast<std::uint32_t>(FPos[1])));
    ++FPoint;
    // HP and manual runs have no pause at the end.
    const bool Pauses = Type() != typeHP && Type() != typeManual;
    if (FPoint < Moving + (Pauses ? 1 : 0))
        FLater(AtUs + StepUs, [this, Serial, AtUs] { NextPoint(Serial, AtUs + StepUs); });
    else
        FLater(AtUs + StepUs, [this, Serial, AtUs] { EndStroke(Serial, AtUs + StepUs); });
}

void TDepositionRun::EndStroke(int Serial, std::int64_t AtUs)
{
    if (Serial != FSerial) return;
    FSend("M06 " + Hex4(static_cast<std::uint32_t>(FStroke)));
    if (++FStroke >= Strokes()) {
        ++FSerial;
        return;
    }
    FLater(AtUs + StepUs, [this, Serial, AtUs] { BeginStroke(Serial, AtUs + StepUs); });
}
