// The instrument's sender thread: its command table holds the cycle statements, the
// instrument's words with the script statements, and it keeps the flags that drive
// waits watch. The words themselves live in the command set (ZelCommandSet).
#pragma once
#include <atomic>
#include <memory>
#include "hwzel/CustomComPacketSenderThread.h"

class TZelCommandSet;

class TZelComPacketSenderThread : public TCustomComPacketSenderThread {
public:
    explicit TZelComPacketSenderThread(TCustomComLink* Owner);

    // Ends the running script and stops the instrument's process.
    void Abort() override;

    // Set by the receive side when the drives, the dipper rotator or the revolver stop.
    std::atomic<bool> DriveDone{false};
    std::atomic<bool> RotatorDone{false};
    std::atomic<bool> RevolverDone{false};
    // Step count of the mechanical activation (settings key LBL/MechActivationSteps).
    std::atomic<int> MechActivationSteps{0};
    // The instrument's words and the state they share (dry run, prognosis).
    std::shared_ptr<TZelCommandSet> CommandSet;
};
