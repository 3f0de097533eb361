// The demonstration trough: the physical model behind the emulator's protocol. The
// barriers, the dipper and the accessory drives travel at their commanded speeds in model
// time (real time, or faster with a speed-up), the film area follows the barriers, and the
// surface pressure follows the isotherm of a fatty-acid monolayer (gas, liquid and solid
// phases, then collapse) from the area per molecule of the spread amount. Both balances
// report that pressure in counts. The processes (isotherm, deposition, move to a pressure,
// the accessory processes) run on the same drives and film and send their reports.
//
// The instrument's fixed numbers, which the program's calibration must describe (the
// start script writes them into a fresh settings file):
// - barriers and dipper: 400 steps per mm, position 0 = barriers fully open / dipper at
//   its lowest; a barrier travels 0 to 58000 steps, the dipper 0 to 40000; barrier 1
//   closes with "move left", barrier 2 with "move right";
// - speed codes are steps per second; a code of 0 leaves a drive at its present speed;
// - the film is 7.5 cm wide, 240 cm² with both barriers open;
// - the balances weigh the pull of the surface on their plates: 11296 counts on a clean
//   surface and 100 counts fewer per mN/m of surface pressure;
// - the thermometers report tenths of a degree.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

struct TTroughModelOptions {
    double SpeedUp = 1;                // simulated seconds per real second
    double SpreadMicrolitres = 20;     // spread solution
    double ConcentrationMgPerMl = 1;   // of the fatty acid in it
    double MolarMassGPerMol = 284.48;  // the fatty acid's
};

class TTroughModel {
public:
    static constexpr double StepsPerMm = 400;
    static constexpr double TroughWidthCm = 7.5;
    static constexpr double OpenAreaCm2 = 240;
    static constexpr double BarrierTravelSteps = 58000;
    static constexpr double DipperTravelSteps = 40000;
    static constexpr double CleanSurfaceCounts = 11296;
    static constexpr double CountsPerMilliNewton = 100;
    // The drives in the order of the instrument's motion codes (three per drive), then the
    // two turning drives of the dipper and the accessories' spindle.
    enum TDrive {
        Barrier1 = 0,
        Barrier2 = 1,
        Dipper = 2,
        Doser = 3,
        RotatingBarrier = 4,
        Tape = 5,
        Pump = 6,
        DipperRotator = 7,
        Revolver = 8,
        Spindle = 9,  // the disk's or cylinder's own, not reported
        DriveCount = 10
    };

    TTroughModel(TTroughModelOptions Options, std::int64_t NowUs);

    // Where the model's reports go (bodies of info and message packets).
    std::function<void(const std::string& Body)> Send;

    // A setting of the parameter groups as the instrument stores them.
    void SetParameter(int Group, int Item, std::uint32_t Value);
    // A manual move of Steps (0: until stopped) toward higher positions (Increase: closing a
    // barrier, raising the dipper) or lower ones.
    void Move(int Drive, bool Increase, std::uint32_t Steps, std::int64_t NowUs);
    // Stops one drive (-1: every drive) without a report.
    void Stop(int Drive, std::int64_t NowUs);
    // A turn of the dipper rotator or the revolver: item 00 to the zero position, 01 by
    // Steps clockwise (0 stops), 02 counter-clockwise. Its end reports both positions.
    void Turn(int Drive, int Item, std::uint32_t Steps, std::int64_t NowUs);
    // Group 06: starts a process, continues a deposition (04) or stops everything (00).
    void RunProcess(int Item, std::int64_t NowUs);
    // Moves everything on to NowUs and sends what happened meanwhile; returns when it wants
    // to run next (-1: nothing moves).
    std::int64_t Advance(std::int64_t NowUs);

    double Position(int Drive) const { return FDrives[Drive].Position; }
    double AreaCm2() const;
    double AreaPerMoleculeA2() const;  // Å² per molecule
    double SurfacePressure() const;    // mN/m
    std::uint32_t BalanceCounts() const;
    bool Moving(int Drive) const { return FDrives[Drive].Active; }
    bool Running() const { return FProcess != TProcess::None; }
    // The isotherm of the monolayer: surface pressure (mN/m) at an area per molecule (Å²).
    static double Isotherm(double AreaPerMolecule);
    static double CountsToPressure(double Counts) { return (CleanSurfaceCounts - Counts) / CountsPerMilliNewton; }

private:
    struct TDrive_ {
        double Position = 0;
        double Target = 0;
        double StepsPerSecond = 400;
        bool Active = false;
        bool Reported = true;  // its end was reported, or is not to be
    };
    enum class TProcess { None, Isotherm, Deposition, ToPressure, Accessory };
    // Where a deposition stands.
    enum class TDeposition {
        Positioning,     // dipper to the stroke's first level, barriers to the set pressure
        Stroke,          // the dipper passes from one level to the other
        Pause,           // the dipper waits at the level it reached
        Consumed,        // out of compound: waits for the first "go on"
        Returning,       // the barriers go back to the open trough
        WaitingCompound  // the operator adds compound: waits for the second "go on"
    };
    struct TAccessoryRun;

    void StartDrive(int Drive, double Target, double StepsPerSecond, bool Quiet);
    void Halt(int Drive);
    void Integrate(double Seconds);
    void StepIsotherm(std::int64_t NowUs);
    void StartStroke(std::int64_t NowUs);
    void StepToPressure();
    void SendIsothermPoint(std::int64_t NowUs);
    // The deposition (TroughDeposition.cpp).
    void StartDeposition(std::int64_t NowUs);
    void ContinueDeposition(std::int64_t NowUs);
    void StepDeposition(std::int64_t NowUs);
    bool HoldPressure(double Target, double MaxStep);
    void BeginDepositionStroke();
    void MoveDipperOn();
    void EndDeposition();
    bool StrokeGoesDown(int Stroke) const;
    bool StrokeTakesFilm() const;
    void SendDepositionPoint(std::int64_t NowUs);
    // The accessory processes (AccessoryRuns.cpp).
    void StartAccessory(int Item, std::int64_t NowUs);
    void StepAccessory(std::int64_t NowUs);
    void EndAccessory(const char* Report);
    void SendAccessoryPoint(std::int64_t NowUs);
    static const TAccessoryRun* AccessoryRunOf(int Item);

    double TravelLow(int Drive) const;
    double TravelHigh(int Drive) const;
    std::uint32_t Param(int Group, int Item, std::uint32_t Default) const;
    double PointIntervalUs() const;
    double ModelSeconds(std::int64_t FromUs, std::int64_t ToUs) const;

    TTroughModelOptions O;
    std::int64_t FLastUs;
    double FSpreadMolecules;
    double FMolecules;
    TDrive_ FDrives[DriveCount];
    std::map<int, std::uint32_t> FParams;  // group << 8 | item
    TProcess FProcess = TProcess::None;
    std::int64_t FProcessStartUs = 0;
    std::int64_t FNextPointUs = 0;
    // Isotherm.
    int FStroke = 0;
    int FStrokes = 1;
    double FNextPointAt = 0;  // barrier travel (steps) or process time (µs) of the next point
    // Deposition.
    TDeposition FDeposition = TDeposition::Positioning;
    bool FPressureHeld = false;  // the set pressure was reached since the last positioning
    bool FLeavingLevel = false;  // a manual run's second leg
    double FStrokeEnd = 0;       // the level the running stroke goes to
    double FStepEnd = 0;         // stepwise: where the running step ends
    std::int64_t FPauseUntilUs = 0;
    // Accessory processes.
    const TAccessoryRun* FAccessory = nullptr;
};
