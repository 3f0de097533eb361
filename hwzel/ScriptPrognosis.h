// The dry-run prognosis: while the program has a prognosis record attached, every move,
// rotation, cell move, pause and delay of a script line adds its effect to the record
// and tells the program with one notice, so the program can copy it step by step. Its
// time is in seconds: a pause or delay adds its seconds, a barrier, dipper or doser move
// 60 x travel / speed, since those speeds are per minute.
#pragma once
#include <cstdint>
#include "hwzel/ZelCommandTable.h"

class TZelComPacketSenderThread;
class TZelCommandSet;

class TScriptPrognosis {
public:
    TScriptPrognosis(TZelComPacketSenderThread& Thread, TZelCommandSet& Set);

    // One word's effect: the travel or angle of a move (signed as written), the cell
    // values of a cell move (rotator, revolver), or the seconds of a pause or delay.
    // Does nothing outside a script line or while no record is attached.
    void Step(TPrognosisEffect Effect, double First, double Second = 0);

    // Pauses and delays count their seconds as an unsigned 32-bit number.
    static double Seconds(std::int32_t Count) { return static_cast<double>(static_cast<std::uint32_t>(Count)); }

private:
    TZelComPacketSenderThread& FThread;
    TZelCommandSet& FSet;
};
