// The instrument's sender thread: the command words of the instrument in its command
// table, the payload builders that frame them, and the flags that drive waits watch.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
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

protected:
    // Value text of a line: after a setter's "=", or after a word and one separator.
    static std::string GetValueText(const std::string& Line, int Position, const std::string& Word);
    // A converted value: decimal with a conversion request in a script line, hex in a
    // direct line. False (and the decode notice) when the text does not read.
    bool ParseValue(const std::string& Line, int Position, double& Value, std::int32_t& DeviceValue,
                    std::uint32_t Code, const std::string& Word);
    bool ConvertValue(const std::string& Text, std::uint32_t Code, double& Value, std::int32_t& DeviceValue);

    bool SendValuePayload(std::uint8_t Group, std::uint8_t Item, std::uint32_t Value);
    bool SendProcess(std::uint8_t Item);
    bool QueryParam(std::uint8_t Item, std::uint32_t& Value);
    bool QueryText(std::uint8_t Item, std::string& Text);

    bool ExecuteCommands = true;

private:
    void RegisterWords();
    bool SetConverted(const std::string& Line, int Position, const std::string& Word, std::uint8_t Item,
                      std::uint32_t Code);
    bool NumericQuery(std::uint8_t Item);
    bool TextQuery(std::uint8_t Item);
    bool DriveAllStop();
    char FPayload[100] = {};
};
