// Runs the instrument emulator as a child process on its own pseudo-terminal and reads
// its report lines, so tests can drive the real link against it. It is the emulator the
// operator starts, sped up.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "TestSupport.h"

class TEmulatorProcess {
public:
    // The trough model runs this many times faster than real time unless the options say
    // "--speed-up" themselves.
    static constexpr const char* SpeedUp = "50";
    explicit TEmulatorProcess(const std::vector<std::string>& Options = {});
    ~TEmulatorProcess();
    TEmulatorProcess(const TEmulatorProcess&) = delete;
    TEmulatorProcess& operator=(const TEmulatorProcess&) = delete;

    // The pseudo-terminal's device path (empty when the emulator did not start).
    const std::string& Device() const { return FDevice; }

    // Sends the emulator a signal: SIGKILL ends it at once, SIGSTOP freezes it. False when
    // it does not run.
    bool Signal(int Number) const;

    // Sends one control line ("send IINF ...", "raw ...", "cut") and waits until done.
    bool Control(const std::string& Line, unsigned TimeoutMs = ConditionWaitMs);

    struct TFrame {
        std::int64_t Us;
        std::string Bytes;  // "<00>" for the zero byte
    };
    std::vector<TFrame> Frames() const;
    // The bytes of every frame received so far.
    std::vector<std::string> FrameTexts() const;
    // The log trails the link, which has already seen the answers: waits, handling the
    // program's messages, until Count frames are logged, then gives them all.
    std::vector<std::string> FrameTexts(std::size_t Count) const;
    std::vector<std::string> Lines() const;
    std::size_t CountLines(const std::string& Prefix) const;
    // Waits until Done holds for the report lines.
    bool WaitFor(const std::function<bool(const std::vector<std::string>&)>& Done, unsigned TimeoutMs);
    bool WaitForFrames(std::size_t Count, unsigned TimeoutMs);

private:
    void ReadLoop();
    int FPid = -1;
    int FIn = -1;
    int FOut = -1;
    std::string FDevice;
    mutable std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<std::string> FLines;
    std::thread FReader;
};
