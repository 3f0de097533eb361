// The motor family: positions, speeds and speed codes of every stage, with factors other
// than 1 so that a factor applied twice or skipped shows, and the keys of each class.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include "TestSupport.h"
#include "zel/core/ClbTestSupport.h"
#include "zel/core/Clb_motor.h"
#include "zel/core/Clbmath.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// Speed code of a motor speed in motor revolutions per minute (default motor).
double MotorCode(double MotorRevPerMin)
{
    TMotor motor;
    return motor.SpeedToCode(MotorRevPerMin);
}

}  // namespace

TEST(Motor, DefaultSpeedCodes)
{
    TMotor motor;
    EXPECT_EQ(motor.SpeedToCode(60), 65248);
    EXPECT_EQ(motor.CodeToSpeed(65248), 60);
    EXPECT_EQ(motor.GetMinSpeedCode(), 36736);
    EXPECT_EQ(motor.GetMaxSpeedCode(), 65392);
    EXPECT_EQ(motor.GetMinSpeed(), 0.6);
    EXPECT_EQ(motor.GetMaxSpeed(), 120);
    EXPECT_EQ(motor.RevPerSecToCode(1), 65248);
    EXPECT_EQ(motor.CodeToRevPerSec(65248), 1);
    EXPECT_EQ(motor.MotorRevPerMinToCode(60), 65248);
    EXPECT_EQ(motor.CodeToMotorRevPerMin(65248), 60);
    EXPECT_EQ(motor.MotorRevPerSecToCode(2), 65392);
    EXPECT_EQ(motor.CodeToMotorRevPerSec(65392), 2);
}

TEST(Motor, TimerReloadCodesAtTheEndsAndAcrossThe16BitWrap)
{
    // 115200 / steps-per-second timer ticks per microstep with the default clock
    TMotor motor;
    struct Case {
        double stepsPerSec;
        double code;
    };
    const Case cases[] = {
        {0, 0},     // standing still
        {-400, 0},  // no such speed
        {NaN, 0},
        {400, 65248},     // 288 ticks
        {115200, 65535},  // 1 tick: the fastest code
        {230400, 65535},  // half a tick: held at the fastest, not 0
        {1e300, 65535},
        {Inf, 0},               // no finite tick count
        {115200.0 / 65535, 1},  // 65535 ticks: the slowest code
        {115200.0 / 65536, 1},  // 65536 ticks would wrap to 0: held at the slowest
        {115200.0 / 65537, 1},  // would wrap to 65535, the fastest: held at the slowest
        {1e-300, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(motor.StepsPerSecToCode(c.stepsPerSec), c.code) << c.stepsPerSec;

    struct Back {
        double code;
        double stepsPerSec;
    };
    const Back back[] = {{0, 0}, {65248, 400}, {65535, 115200}, {1, 115200.0 / 65535}, {NaN, 0}, {65536, 0}};
    for (const Back& b : back) EXPECT_DOUBLE_EQ(motor.CodeToStepsPerSec(b.code), b.stepsPerSec) << b.code;
}

TEST(Motor, DirectCodesWithoutTheOldForm)
{
    TMotor motor;
    LoadUnit(motor, "m", "m.old=0\n");
    struct Case {
        double stepsPerSec;
        double code;
    };
    const Case cases[] = {
        {0, 0},
        {-5, 0},
        {NaN, 0},
        {400, 0},
        {115199, 0},
        {115200, 1},
        {230400 + 1, 2},
        {115200.0 * 65535, 65535},
        {115200.0 * 65536, 65535},
        {1e300, 65535},
    };
    for (const Case& c : cases) EXPECT_EQ(motor.StepsPerSecToCode(c.stepsPerSec), c.code) << c.stepsPerSec;
    EXPECT_EQ(motor.CodeToStepsPerSec(0), 0);
    EXPECT_EQ(motor.CodeToStepsPerSec(3), 345600);
    EXPECT_EQ(motor.CodeToStepsPerSec(NaN), 0);
}

TEST(Motor, ZeroClockFactorsGiveCodeZeroBothWays)
{
    for (const char* keys : {"m.Fclk=0\n", "m.FclkDivide=0\n", "m.uSteps=0\n", "m.Fclk=0\nm.old=0\n",
                             "m.FclkDivide=0\nm.old=0\n", "m.uSteps=0\nm.old=0\n"}) {
        TMotor motor;
        LoadUnit(motor, "m", keys);
        EXPECT_EQ(motor.StepsPerSecToCode(400), 0) << keys;
        EXPECT_EQ(motor.SpeedToCode(60), 0) << keys;
        EXPECT_EQ(motor.CodeToSpeed(65248), 0) << keys;
        EXPECT_EQ(motor.CodeToSpeed(3), 0) << keys;
    }
}

TEST(Motor, ZeroStepsPerRevolutionStandsForTheDefault)
{
    TMotor motor;
    LoadUnit(motor, "m", "m.numStepsPerOborot=0\n");
    EXPECT_EQ(motor.GetNumStepsPerOborot(), 400);
    EXPECT_EQ(motor.HwToSh(800), 2);
}

TEST(Motor, NormalizeSpeedBringsTheSpeedOntoARunnableCode)
{
    TMotor motor;
    struct Case {
        double speed;
        double normal;
        bool changed;
    };
    const Case cases[] = {{150, 120, true}, {120, 120, false}, {0, 0.6, true},    {-7, 0.6, true},
                          {NaN, 120, true}, {60, 60, false},   {1e300, 120, true}};
    for (const Case& c : cases) {
        double speed = c.speed;
        EXPECT_EQ(motor.NormalizeSpeed(&speed), c.changed) << c.speed;
        EXPECT_DOUBLE_EQ(speed, c.normal) << c.speed;
    }
    // a speed between two codes moves to the code's speed
    double speed = 61;
    EXPECT_TRUE(motor.NormalizeSpeed(&speed));
    EXPECT_DOUBLE_EQ(speed, motor.CodeToSpeed(std::floor(motor.SpeedToCode(61) + 0.5)));
    EXPECT_NE(speed, 61);
    EXPECT_FALSE(motor.NormalizeSpeed(nullptr));
}

TEST(Motor, ZeroOffsetMovesPositionsButNotDeltasOrLimits)
{
    TMotor motor;
    motor.SetZeroHw(1000);
    EXPECT_EQ(motor.GetZeroHw(), 1000);
    EXPECT_EQ(motor.ShToHw(1), 1400);
    EXPECT_EQ(motor.HwToSh(1400), 1);
    EXPECT_EQ(motor.ShToHwDelta(1), 400);
    EXPECT_EQ(motor.HwToShDelta(400), 1);
    motor.SetHwMin(400);
    motor.SetHwMax(4000);
    EXPECT_EQ(motor.GetShMin(), 1);
    EXPECT_EQ(motor.GetShMax(), 10);
    EXPECT_EQ(motor.GetShRange(), 9);
    EXPECT_EQ(motor.GetHwRange(), 3600);
    EXPECT_EQ(motor.GetK(), 0);
    motor.SetShMax(5);
    EXPECT_EQ(motor.GetHwMax(), 2000);
}

TEST(Motor, GearMultipliesRevolutionsOnce)
{
    TGear gear;
    LoadUnit(gear, "g", "g.gear=2\n");
    EXPECT_EQ(gear.GetGear(), 2);
    EXPECT_EQ(gear.GetMaxSpeed(), 240);
    EXPECT_EQ(gear.GetMinSpeed(), 1.2);
    EXPECT_EQ(gear.SpeedToCode(240), MotorCode(120));
    EXPECT_EQ(gear.CodeToSpeed(MotorCode(60)), 120);
    EXPECT_EQ(gear.ShToHw(1), 200);
    EXPECT_EQ(gear.HwToSh(200), 1);
    // the revolution level is in output revolutions too, and scaled once
    EXPECT_EQ(gear.RevToSteps(1), 200);
    EXPECT_EQ(gear.StepsToRev(200), 1);
    EXPECT_EQ(gear.RevToHw(1), 200);
    EXPECT_EQ(gear.HwToRev(200), 1);
    EXPECT_EQ(gear.GetMaxRevPerMin(), 240);
    EXPECT_EQ(gear.GetMaxRevPerSec(), 4);
    EXPECT_EQ(gear.RevPerSecToCode(2), 65248);
    EXPECT_EQ(gear.CodeToRevPerSec(65248), 2);
    EXPECT_EQ(gear.RevPerMinToCode(120), 65248);
    EXPECT_EQ(gear.CodeToRevPerMin(65248), 120);
    // the motor-level operations stay at the motor
    EXPECT_EQ(gear.MotorRevPerMinToCode(60), 65248);
    EXPECT_EQ(gear.CodeToMotorRevPerMin(65248), 60);
    EXPECT_EQ(gear.GetMaxSpeedCode(), 65392);
    double speed = 300;
    EXPECT_TRUE(gear.NormalizeSpeed(&speed));
    EXPECT_DOUBLE_EQ(speed, 240);
}

TEST(Motor, LinearMotionExamples)
{
    TLinearMotion motion;
    LoadUnit(motion, "barrier1", "barrier1.zeroHw=1000\n");
    EXPECT_EQ(motion.ShToHw(1), 1400);
    EXPECT_EQ(motion.HwToSh(1400), 1);
    EXPECT_EQ(motion.ShToHwDelta(1), 400);
    EXPECT_EQ(motion.HwToShDelta(400), 1);

    TLinearMotion screw;
    LoadUnit(screw, "dipper", "dipper.vintStep=2\n");
    const double hwMin = screw.GetHwMin();
    screw.SetShMax(100);
    EXPECT_EQ(screw.GetHwMax(), 20000);
    EXPECT_EQ(screw.GetHwMin(), hwMin);
    EXPECT_EQ(screw.GetShMax(), 100);
}

// Each stage with gear 2 and its own factor F: one physical unit is N / (2 F) steps and a
// speed v is the motor speed v / (2 F). Called through the base pointer, as every window
// does.
TEST(Motor, EveryStageAppliesEachFactorExactlyOnce)
{
    struct Case {
        const char* name;
        std::function<std::unique_ptr<TMotor>()> make;
        std::string keys;
        double factor;  // physical units per output revolution
    };
    const double pi = std::numbers::pi;
    const Case cases[] = {
        {"gear", [] { return std::make_unique<TGear>(); }, "", 1},
        {"screw", [] { return std::make_unique<TLinearMotion>(); }, "u.vintStep=3\n", 3},
        {"doser", [] { return std::make_unique<TDoser>(); }, "u.vintStep=3\nu.syringeDiameter=10\n",
         3 * (10 * pi * 10 * 0.25) / 1000},
        {"tape", [] { return std::make_unique<TTape>(); }, "u.spindleDiameter=20\n", 20 * pi},
        {"pump", [] { return std::make_unique<TPeristalticPump>(); }, "u.flowCoeff=0.5\n", 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TMotor> unit = c.make();
        LoadUnit(*unit, "u", "u.gear=2\nu.zeroHw=-50\nu.hwMin=40\nu.hwMax=8000\n" + c.keys);
        const double perUnit = 400 / (2 * c.factor);  // steps per physical unit
        EXPECT_NEAR(unit->ShToHw(1.5), 1.5 * perUnit - 50, 1e-9);
        EXPECT_NEAR(unit->HwToSh(1.5 * perUnit - 50), 1.5, 1e-12);
        EXPECT_NEAR(unit->ShToHwDelta(1.5), 1.5 * perUnit, 1e-9);
        EXPECT_NEAR(unit->HwToShDelta(perUnit), 1, 1e-12);
        EXPECT_NEAR(unit->GetShMin(), 40 / perUnit, 1e-12);
        EXPECT_NEAR(unit->GetShMax(), 8000 / perUnit, 1e-9);
        EXPECT_NEAR(unit->GetShRange(), 7960 / perUnit, 1e-9);
        EXPECT_NEAR(unit->GetMaxSpeed(), 120 * 2 * c.factor, 1e-9);
        EXPECT_NEAR(unit->GetMinSpeed(), 0.6 * 2 * c.factor, 1e-12);
        // one motor revolution per second in the stage's units per minute
        const double oneMotorRevPerSec = 60 * 2 * c.factor;
        EXPECT_EQ(unit->SpeedToCode(oneMotorRevPerSec), 65248);
        EXPECT_NEAR(unit->CodeToSpeed(65248), oneMotorRevPerSec, 1e-9);
        EXPECT_EQ(unit->SpeedToCode(0), 0);
        double speed = 1e9;
        EXPECT_TRUE(unit->NormalizeSpeed(&speed));
        EXPECT_NEAR(speed, 120 * 2 * c.factor, 1e-9);
        unit->SetShMax(1);
        EXPECT_NEAR(unit->GetHwMax(), perUnit, 1e-9);
        unit->SetShMin(0.5);
        EXPECT_NEAR(unit->GetHwMin(), perUnit / 2, 1e-9);
        unit->SetShRange(99);  // fixed by the limits: nothing changes
        EXPECT_NEAR(unit->GetShRange(), 0.5, 1e-12);
    }
}

TEST(Motor, DoserSyringeArea)
{
    TDoser doser;
    EXPECT_NEAR(doser.GetSyringeArea(), 186.27, 0.005);
    EXPECT_NEAR(doser.ShToHwDelta(1) / 400, 5.37, 0.005);  // mm of plunger per ml
    doser.SetSyringeDiameter(0);
    EXPECT_EQ(doser.GetSyringeDiameter(), 15.4);
    doser.SetSyringeDiameter(10);
    EXPECT_EQ(doser.GetSyringeDiameter(), 10);
    TPeristalticPump pump;
    pump.SetFlowCoeff(0);
    EXPECT_EQ(pump.GetFlowCoeff(), 1);
    pump.SetFlowCoeff(0.25);
    EXPECT_EQ(pump.ShToHwDelta(1), 1600);
    TTape tape;
    EXPECT_DOUBLE_EQ(tape.GetSpindleCircumference(), 25 * std::numbers::pi);
}

TEST(Motor, ZeroFactorsInTheFileStandForTheClassDefaults)
{
    TDoser doser;
    LoadUnit(doser, "d", "d.gear=0\nd.vintStep=0\nd.syringeDiameter=0\n");
    EXPECT_EQ(doser.GetGear(), 1);
    EXPECT_EQ(doser.GetVintStep(), 1);
    EXPECT_EQ(doser.GetSyringeDiameter(), 15.4);
    TTape tape;
    LoadUnit(tape, "t", "t.spindleDiameter=0\n");
    EXPECT_EQ(tape.GetSpindleDiameter(), 25);
    TPeristalticPump pump;
    LoadUnit(pump, "p", "p.flowCoeff=0\n");
    EXPECT_EQ(pump.GetFlowCoeff(), 1);
}

TEST(Motor, LoadReadsHardwareKeysAndKeepsClassDefaultsForMissingOnes)
{
    TDoser doser;
    TClbLineUnit moduleDefault(0, 65535, 0, 65535);
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    WriteFileText(file,
                  "[CalibrateParam]\n"
                  "d.Fclk=11059200\nd.FclkDivide=6\nd.numStepsPerOborot=200\nd.uSteps=8\n"
                  "d.minSpeed=0,02\nd.maxSpeed=junk\nd.hwMax=5000\n");
    TIniFile ini(file);
    doser.SetName("d");
    doser.Load(&ini, "CalibrateParam", &moduleDefault);  // the line default does not apply
    EXPECT_EQ(doser.GetNumStepsPerOborot(), 200);
    EXPECT_EQ(doser.GetUSteps(), 8);
    EXPECT_EQ(doser.GetHwMin(), 0);
    EXPECT_EQ(doser.GetHwMax(), 5000);
    // 11059200 / (8 * 200 * 6) = 1152 ticks for one revolution per second
    EXPECT_EQ(doser.MotorRevPerSecToCode(1), 65536 - 1152);
    EXPECT_EQ(doser.GetMinSpeedCode(), 65536 - 57600);
    EXPECT_EQ(doser.GetMaxSpeedCode(), 65536 - 576);  // bad maxSpeed kept its 2
}

TEST(Motor, BadKeysAreNotedAndKeepTheirValues)
{
    std::vector<std::string> bad;
    TClbBadKeyScope scope(bad);
    TGear gear;
    LoadUnit(gear, "g", "g.old=yes\ng.gear=2x\ng.zeroHw=5\n");
    EXPECT_EQ(bad, (std::vector<std::string>{"CalibrateParam/g.old", "CalibrateParam/g.gear"}));
    EXPECT_EQ(gear.SpeedToCode(60), 65248);  // still the timer reload form
    EXPECT_EQ(gear.GetGear(), 1);
    EXPECT_EQ(gear.GetZeroHw(), 5);
}

TEST(Motor, SaveWritesOnlyTheChangeableKeysInClassOrder)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    TIniFile ini(file);
    TDoser doser;
    doser.SetName("doser");
    doser.Save(&ini, "CalibrateParam");
    EXPECT_EQ(ReadFileText(file),
              "[CalibrateParam]\n"
              "doser.syringeDiameter=15.4\n"
              "doser.vintStep=1\n"
              "doser.gear=1\n"
              "doser.hwMin=0\n"
              "doser.hwMax=2147483647\n"
              "doser.zeroHw=0\n");

    TTempDir other;
    TIniFile second(other.File("zel.ini"));
    TTape tape;
    tape.SetName("tape");
    tape.SetZeroHw(-12);
    tape.Save(&second, "S");
    TPeristalticPump pump;
    pump.SetName("pump");
    pump.SetFlowCoeff(0.75);
    pump.Save(&second, "S");
    TMotor motor;
    motor.SetName("motor");
    motor.Save(&second, "S");
    EXPECT_EQ(second.ReadSection("S"),
              (std::vector<std::string>{"tape.spindleDiameter", "tape.gear", "tape.hwMin", "tape.hwMax", "tape.zeroHw",
                                        "pump.flowCoeff", "pump.gear", "pump.hwMin", "pump.hwMax", "pump.zeroHw",
                                        "motor.hwMin", "motor.hwMax", "motor.zeroHw"}));
    EXPECT_EQ(second.ReadString("S", "tape.zeroHw", ""), "-12");
    EXPECT_EQ(second.ReadString("S", "pump.flowCoeff", ""), "0.75");
}

TEST(Motor, EveryOperationStaysDefinedForZeroNegativeHugeAndNaNInputs)
{
    std::vector<std::unique_ptr<TMotor>> units;
    units.push_back(std::make_unique<TMotor>());
    units.push_back(std::make_unique<TGear>());
    units.push_back(std::make_unique<TLinearMotion>());
    units.push_back(std::make_unique<TDoser>());
    units.push_back(std::make_unique<TTape>());
    units.push_back(std::make_unique<TPeristalticPump>());
    for (auto& unit : units) {
        for (double v : {0.0, -1.0, 1e308, -1e308, Inf, -Inf, NaN, 65535.0, 65536.0, -65536.0}) {
            const double code = unit->SpeedToCode(v);
            EXPECT_TRUE(code >= 0 && code <= 65535 && code == std::floor(code)) << v;
            EXPECT_TRUE(std::isfinite(unit->CodeToSpeed(v)) || std::isnan(v) || std::isinf(v)) << v;
            DoubleToInt32(unit->ShToHw(v));
            DoubleToInt32(unit->HwToSh(v));
            DoubleToInt32(unit->ShToHwDelta(v));
            DoubleToInt32(unit->HwToShDelta(v));
            double speed = v;
            unit->NormalizeSpeed(&speed);
            EXPECT_TRUE(speed >= unit->GetMinSpeed() - 1e-9 && speed <= unit->GetMaxSpeed() + 1e-9) << v;
            unit->SetZeroHw(DoubleToInt32(v));
        }
    }
}
