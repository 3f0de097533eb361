// The instrument's Langmuir-Blodgett deposition as the emulator plays it. START reports
// that the barriers hold the pressure, then runs the strokes: each stroke is announced,
// the dipper passes between its two levels in a few measured points while the barriers
// close a little, a pause point follows at the stroke's end, and the stroke's end is
// reported. When the spread compound runs out (at a stroke chosen by option, or at the
// next point on request) the run halts and reports it; the first "go on" returns the
// barriers and reports that the run may continue, the second starts the interrupted
// stroke again.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

class TDepositionRun {
public:
    using TSend = std::function<void(const std::string& Body)>;
    using TLater = std::function<void(std::int64_t AtUs, std::function<void()> Action)>;
    // Positions: the emulator's drive positions in steps (barrier 1, barrier 2, dipper).
    TDepositionRun(TSend Send, TLater Later, std::int64_t* Positions);

    // A value of the deposition parameter group (type, strokes, pauses...).
    void SetParameter(int Item, std::uint32_t Value) { FParams[Item] = Value; }
    // Top and Bottom: the dipper levels in steps.
    void Start(std::int64_t NowUs, std::int32_t Top, std::int32_t Bottom);
    void Continue(std::int64_t NowUs);
    void Stop();
    // The compound runs out at the next point.
    void ConsumeCompound() { FConsumeNext = true; }
    // The compound runs out in the middle of this stroke (once), -1 never.
    int ConsumeAtStroke = -1;

private:
    void BeginStroke(int Serial, std::int64_t AtUs);
    void NextPoint(int Serial, std::int64_t AtUs);
    void EndStroke(int Serial, std::int64_t AtUs);
    bool CompoundRunsOut();
    int Type() const;
    int Strokes() const;
    int MovingPoints() const;
    std::uint32_t Param(int Item) const;

    TSend FSend;
    TLater FLater;
    std::int64_t* FPos;
    std::map<int, std::uint32_t> FParams;
    std::int32_t FTop = 0, FBottom = 0;
    std::int64_t FStartUs = 0;
    int FStroke = 0;
    int FPoint = 0;
    int FSerial = 0;  // a newer run, a stop or a halt cancels what an older one scheduled
    bool FWaiting = false;
    bool FBarriersBack = false;
    bool FConsumeNext = false;
};
