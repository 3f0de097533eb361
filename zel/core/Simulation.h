// Device reports invented while the program simulates (Simulate=1) and a process runs:
// random balance readings, barriers and dipper stepping through their ranges, and the
// started and finished notices of each stroke, all passed to the main window's notice
// entry as the link would post them.
#pragma once
#include <cstdint>
#include <functional>
#include "hwzel/hwzel.h"
#include "zel/core/Common.h"

class TSimulation {
public:
    // The main window's notice entry.
    using TNotify = std::function<std::int32_t(WPARAM Code, LPARAM Payload)>;
    explicit TSimulation(TNotify Notify) : FNotify(std::move(Notify)) {}

    // The first reports of a process that has just begun.
    void Start(TProcessKind Process);
    // One tick of the simulation timer of the given interval.
    void Tick(TProcessKind Process, unsigned IntervalMs);

private:
    void IsothermStroke();
    void DepositionStroke();
    TNotify FNotify;
    bool FBackward = false;
    std::uint32_t FTicks = 0;
    std::uint16_t FBarrierPos = 0;
    std::uint16_t FDipperPos = 0;
    std::uint16_t FStroke = 0;
};
