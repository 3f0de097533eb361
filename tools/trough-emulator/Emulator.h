// The trough instrument: it reads framed command packets, checks every frame strictly,
// acknowledges, answers queries, and hands drives and processes to the trough model, which
// runs them in model time and sends the reports a real instrument sends. The protocol core
// is free of I/O: it takes received bytes and the time, and hands out what to write.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <map>
#include <queue>
#include <string>
#include <vector>

#include "TroughModel.h"

struct TEmulatorOptions {
    int NakFirst = 0;             // answer the first N frames with a negative acknowledgement (-1: all)
    int SilentFirst = 0;          // leave the first N frames unanswered (-1: all)
    int BadChecksumFirst = 0;     // acknowledge the first N frames with a wrong checksum (-1: all)
    int CutAfter = -1;            // cut the line on receiving frame N (1-based), -1 never
    bool Garbage = false;         // stray bytes before every packet
    bool Split = false;           // write packets a few bytes at a time
    bool AckBeforeReply = false;  // a bare acknowledgement before a query's reply
    int AckDelayMs = 0;
    int InfoIntervalMs = 0;  // periodic device-state packets, 0 off
    std::string DeviceName = "Trough Emulator";
    // Simulated seconds of the trough model per real second.
    double SpeedUp = 1;
};

class TTroughEmulator {
public:
    explicit TTroughEmulator(TEmulatorOptions Options);

    // Where framed output goes (already cut into write chunks); report lines go to Log.
    std::function<void(const std::string& Bytes)> Write;
    std::function<void(const std::string& Line)> Log;
    std::function<void()> CutLine;

    void Received(const char* Data, std::size_t Count, std::int64_t NowUs);
    // Runs what is due; returns the time of the next due action or -1.
    std::int64_t Tick(std::int64_t NowUs);
    // Sends one body framed with its checksum.
    void SendBody(const std::string& Body);

    static std::string Escape(const std::string& Bytes);
    static std::uint8_t Sum(const std::string& Text);

private:
    void Frame(const std::string& Frame, std::int64_t NowUs);
    void Bad(const std::string& Reason, const std::string& Frame, std::int64_t NowUs);
    void Command(const std::string& Payload, std::int64_t NowUs);
    void Acknowledge(const std::string& Data, std::int64_t NowUs);
    void Later(std::int64_t AtUs, std::function<void()> Action);
    void Drive(int Item, std::uint32_t Value, std::int64_t NowUs);
    std::string DeviceStateBody() const;
    // The trough model (made at the first moment known).
    TTroughModel& Model(std::int64_t NowUs);
    std::unique_ptr<TTroughModel> FModel;

    TEmulatorOptions O;
    std::string FInput;
    bool FInFrame = false;
    bool FWantZero = false;
    std::string FCurrent;
    int FFrames = 0;
    int FAcks = 0;
    std::int64_t FNow = 0;
    std::int64_t FNextInfo = -1;
    std::map<int, std::uint32_t> FParams;  // item -> value of group 01
    // The stored balance calibration (counts and tenths of mN/m at both ends of its line):
    // the demonstration trough's, so taking it from the device changes no reading.
    std::uint32_t FClb[4] = {4096, 0, 11296, 720};
    struct TTimed {
        std::int64_t At;
        std::uint64_t Order;
        std::function<void()> Action;
        bool operator>(const TTimed& Other) const { return At != Other.At ? At > Other.At : Order > Other.Order; }
    };
    std::priority_queue<TTimed, std::vector<TTimed>, std::greater<TTimed>> FTimers;
    std::uint64_t FOrder = 0;
};
