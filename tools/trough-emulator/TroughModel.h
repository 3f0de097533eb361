// The demonstration trough: a small physical model behind the emulator's protocol. The
// barriers and the dipper travel at their commanded speeds in real time (optionally sped
// up), the film area follows the barriers, and the surface pressure follows the isotherm
// of a fatty-acid monolayer (gas, liquid and solid phases, then collapse) from the area
// per molecule of the spread amount. The balance reports that pressure in counts.
//
// The instrument's fixed numbers, which the program's calibration must describe (the
// start script writes them into a fresh settings file):
// - barriers and dipper: 400 steps per mm, position 0 = barriers fully open / dipper at
//   its lowest; a barrier travels 0 to 58000 steps, the dipper 0 to 40000;
// - speed codes are steps per second;
// - the film is 7.5 cm wide, 240 cm² with both barriers open;
// - the balance weighs the pull of the surface on its plate: 11296 counts on a clean
//   surface and 100 counts fewer per mN/m of surface pressure.
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
    enum TDrive { Barrier1 = 0, Barrier2 = 1, Dipper = 2, DriveCount = 7 };

    TTroughModel(TTroughModelOptions Options, std::int64_t NowUs);

    // Where the model's reports go (bodies of info and message packets).
    std::function<void(const std::string& Body)> Send;

    // Group 01 and group 05/07 settings as the instrument stores them.
    void SetParameter(int Group, int Item, std::uint32_t Value);
    // A manual move of Steps (0: until stopped); Forward closes barriers and raises the dipper.
    void Move(int Drive, bool Forward, std::uint32_t Steps, std::int64_t NowUs);
    void Stop(int Drive, std::int64_t NowUs);
    // Starts (Item 1 isotherm, 2 deposition, 3 move to the set pressure) or stops (0) a process.
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
    // The isotherm of the monolayer: surface pressure (mN/m) at an area per molecule (Å²).
    static double Isotherm(double AreaPerMolecule);

private:
    struct TDrive_ {
        double Position = 0;
        double Target = 0;
        double StepsPerSecond = 400;
        bool Active = false;
        bool Reported = true;  // its stop was reported
        int StopCode = 0;
    };
    enum class TProcess { None, Isotherm, Deposition, ToPressure };

    void StartDrive(int Drive, double Target, double StepsPerSecond);
    void Integrate(double Seconds);
    void StepIsotherm(std::int64_t NowUs);
    void StepDeposition(std::int64_t NowUs);
    void StepToPressure();
    void StartStroke(std::int64_t NowUs);
    void SendPoint(const char* Kind, std::int64_t NowUs);
    double TravelLimit(int Drive) const;
    std::uint32_t Param(int Group, int Item, std::uint32_t Default) const;
    double PressureToCounts(double Pressure) const;

    TTroughModelOptions O;
    std::int64_t FLastUs;
    double FMolecules;
    TDrive_ FDrives[DriveCount];
    std::map<int, std::uint32_t> FParams;  // group << 8 | item
    TProcess FProcess = TProcess::None;
    std::int64_t FProcessStartUs = 0;
    int FStroke = 0;
    int FStrokes = 1;
    double FNextPointAt = 0;  // barrier travel (steps) or process time (µs) of the next point
    int FLayer = 0;
    bool FDipperDown = true;
    std::int64_t FPauseUntilUs = 0;
};
