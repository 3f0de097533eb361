// The single-line calibration units and the calibration module, against settings files
// written to disk.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include "TestSupport.h"
#include "zel/core/Clb_unit.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Common.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// A module whose units the test registers itself.
class TTestModule : public TClbModule {
public:
    explicit TTestModule(const std::string& Section) { section = Section; }
};

// Restores the shown pressure accuracy after a test changed it.
class TAccuracyGuard {
public:
    explicit TAccuracyGuard(std::uint8_t Decimals) : FSaved(AppSettings.ADCDataAccuracy)
    {
        AppSettings.ADCDataAccuracy = Decimals;
    }
    ~TAccuracyGuard() { AppSettings.ADCDataAccuracy = FSaved; }

private:
    std::uint8_t FSaved;
};

}  // namespace

TEST(ClbMath, DoubleToInt32SaturatesAndCutsTowardZero)
{
    struct Case {
        double value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {0, 0},
        {1.9, 1},
        {-1.9, -1},
        {2147483646.7, 2147483646},
        {2147483647.0, 2147483647},
        {3e9, 2147483647},
        {-3e9, -2147483647 - 1},
        {Inf, 2147483647},
        {-Inf, -2147483647 - 1},
        {NaN, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(DoubleToInt32(c.value), c.expected) << c.value;
}

TEST(ClbMath, DivideOrGivesFallbackForZeroDivisorAndNonFiniteQuotient)
{
    EXPECT_EQ(DivideOr(6, 3, -1), 2);
    EXPECT_EQ(DivideOr(6, 0, -1), -1);
    EXPECT_EQ(DivideOr(0, 0, -1), -1);
    EXPECT_EQ(DivideOr(1e308, 1e-308, -1), -1);
    EXPECT_EQ(DivideOr(NaN, 2, -1), -1);
}

TEST(ClbLineUnit, ConvertsThroughBothCalibrationPoints)
{
    struct Case {
        double shMin, shMax, hwMin, hwMax, sh, hw, delta, hwDelta;
    };
    const Case cases[] = {
        // the constructor's 0..100 line is the identity
        {0, 100, 0, 100, 42, 42, 5, 5},
        // 20 units over 400 counts: slope 0.05
        {10, 30, 100, 500, 20, 300, 1, 20},
        // a falling line (negative slope)
        {100, 0, 0, 1000, 25, 750, 10, -100},
    };
    for (const Case& c : cases) {
        TClbLineUnit unit(c.shMin, c.shMax, c.hwMin, c.hwMax);
        EXPECT_DOUBLE_EQ(unit.ShToHw(c.sh), c.hw);
        EXPECT_DOUBLE_EQ(unit.HwToSh(c.hw), c.sh);
        EXPECT_DOUBLE_EQ(unit.ShToHwDelta(c.delta), c.hwDelta);
        EXPECT_DOUBLE_EQ(unit.HwToShDelta(c.hwDelta), c.delta);
        EXPECT_DOUBLE_EQ(unit.HwToSh(unit.ShToHw(-3.25)), -3.25);
        EXPECT_DOUBLE_EQ(unit.GetShRange(), c.shMax - c.shMin);
        EXPECT_DOUBLE_EQ(unit.GetHwRange(), c.hwMax - c.hwMin);
    }
}

TEST(ClbLineUnit, RecalcKeepsSlopeForZeroDeviceRangeAndFallsBackToOneForZeroPhysicalRange)
{
    TClbLineUnit unit(0, 10, 0, 100);
    EXPECT_DOUBLE_EQ(unit.GetK(), 0.1);
    unit.SetHwMax(0);  // device range 0: the slope stays
    EXPECT_DOUBLE_EQ(unit.GetK(), 0.1);
    EXPECT_EQ(unit.ShToHwDelta(1), 10);

    TClbLineUnit flat(5, 5, 0, 100);  // physical range 0
    EXPECT_EQ(flat.GetK(), 1);

    TClbLineUnit fresh(0, 10, 7, 7);  // a fresh unit keeps its initial slope 1
    EXPECT_EQ(fresh.GetK(), 1);
    EXPECT_TRUE(std::isfinite(fresh.ShToHw(3)));
}

TEST(ClbLineUnit, SettersRecalcOnlyWithAutoRecalc)
{
    TClbLineUnit unit(0, 100, 0, 100);
    unit.SetShMax(50);
    EXPECT_DOUBLE_EQ(unit.GetK(), 0.5);
    unit.SetShRange(200);
    EXPECT_DOUBLE_EQ(unit.GetShMax(), 200);
    EXPECT_DOUBLE_EQ(unit.GetK(), 2);
    unit.SetAutoRecalc(false);
    unit.SetHwRange(400);
    EXPECT_DOUBLE_EQ(unit.GetHwMax(), 400);
    EXPECT_DOUBLE_EQ(unit.GetK(), 2);
    unit.Recalc();
    EXPECT_DOUBLE_EQ(unit.GetK(), 0.5);
}

TEST(ClbLineUnit, AssignCopiesOnlyFromLineUnitsAndKeepsTheName)
{
    TClbLineUnit target(0, 1, 0, 1);
    target.SetName("target");
    TClbBallance source(1, 3, 10, 30);  // a derived class counts as a line unit
    source.SetName("source");
    target.Assign(&source);
    EXPECT_EQ(target.GetName(), "target");
    EXPECT_DOUBLE_EQ(target.GetShMin(), 1);
    EXPECT_DOUBLE_EQ(target.GetHwMax(), 30);
    EXPECT_DOUBLE_EQ(target.GetK(), 0.1);

    TClbSimpleLineUnit simple;
    simple.SetK(7);
    target.Assign(&simple);
    target.Assign(nullptr);
    EXPECT_DOUBLE_EQ(target.GetK(), 0.1);
    EXPECT_DOUBLE_EQ(target.GetShMax(), 3);
}

TEST(ClbSimpleLineUnit, DividesByItsFactorAndGivesZeroForFactorZero)
{
    TClbSimpleLineUnit unit;
    EXPECT_EQ(unit.ShToHw(5), 5);
    unit.SetK(0.25);
    EXPECT_EQ(unit.ShToHw(5), 20);
    EXPECT_EQ(unit.ShToHwDelta(5), 20);
    EXPECT_EQ(unit.HwToSh(20), 5);
    EXPECT_EQ(unit.HwToShDelta(20), 5);
    unit.SetK(0);
    EXPECT_EQ(unit.GetK(), 0);
    EXPECT_EQ(unit.ShToHw(5), 0);
    EXPECT_EQ(unit.ShToHwDelta(5), 0);

    TClbLineUnit line(0, 10, 0, 100);
    unit.Assign(&line);  // a line unit never changes a simple one
    EXPECT_EQ(unit.GetK(), 0);
    TClbSimpleLineUnit other;
    other.SetK(3);
    unit.SetName("mine");
    unit.Assign(&other);
    EXPECT_EQ(unit.GetK(), 3);
    EXPECT_EQ(unit.GetName(), "mine");
}

TEST(ClbTemperature, ConvertsDegreesOverALineInTenths)
{
    TClbTemperature unit(0, 1000, 0, 1000);
    EXPECT_DOUBLE_EQ(unit.HwToSh(250), 25.0);
    EXPECT_DOUBLE_EQ(unit.ShToHw(25), 250);
    EXPECT_DOUBLE_EQ(unit.ShToHwDelta(2), 20);
    EXPECT_DOUBLE_EQ(unit.HwToShDelta(20), 2);

    // 0.5 tenths per count from 100 tenths at 1000 counts
    TClbTemperature offset(100, 600, 1000, 2000);
    EXPECT_DOUBLE_EQ(offset.ShToHw(20), 1200);
    EXPECT_DOUBLE_EQ(offset.HwToSh(1200), 20);
    EXPECT_DOUBLE_EQ(offset.ShToHwDelta(1), 20);
    EXPECT_DOUBLE_EQ(offset.HwToShDelta(20), 1);
}

TEST(ClbBallance, PressureIsTopTensionMinusLineValue)
{
    TClbBallance balance;
    balance.SetFromDeviceRecord(100, 0, 3000, 728);
    EXPECT_EQ(balance.GetHwMin(), 100);
    EXPECT_EQ(balance.GetShMin(), 0);
    EXPECT_EQ(balance.GetHwMax(), 3000);
    EXPECT_DOUBLE_EQ(balance.GetShMax(), 72.8);
    EXPECT_DOUBLE_EQ(balance.GetK(), 728 * 0.1 / 2900);
    // a reading at hwMax is pressure 0, one at hwMin the full span
    EXPECT_NEAR(balance.HwToSP(3000, false), 0, 1e-12);
    EXPECT_NEAR(balance.HwToSP(100, false), 72.8, 1e-12);
    EXPECT_NEAR(balance.SPToHw(0), 3000, 1e-9);
    EXPECT_NEAR(balance.SPToHw(72.8), 100, 1e-9);
    EXPECT_NEAR(balance.HwToSP(balance.SPToHw(30), false), 30, 1e-9);
}

TEST(ClbBallance, HwToSPRoundsToTheShownDecimals)
{
    TAccuracyGuard accuracy(3);
    // identity line: the pressure is shMax - reading
    TClbBallance balance(0, 100, 0, 100);
    struct Case {
        double pressure, shown;
    };
    const Case cases[] = {{72.1234, 72.123}, {72.1236, 72.124}, {-1.2344, -1.233}, {-1.2346, -1.234}, {0, 0}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(balance.HwToSP(100 - c.pressure, true), c.shown) << c.pressure;
        EXPECT_DOUBLE_EQ(balance.HwToSP(100 - c.pressure, false), 100 - (100 - c.pressure)) << c.pressure;
    }
    TAccuracyGuard none(0);
    EXPECT_DOUBLE_EQ(balance.HwToSP(100 - 12.6, true), 13);
}

TEST(ClbBallance, HwToSPStaysDefinedForHugeAndNaNReadings)
{
    TAccuracyGuard accuracy(255);  // 10^255: every product overflows the 32-bit cut
    TClbBallance balance(0, 100, 0, 100);
    EXPECT_TRUE(std::isfinite(balance.HwToSP(50, true)));
    TAccuracyGuard three(3);
    EXPECT_DOUBLE_EQ(balance.HwToSP(-1e12, true), 2147483.647);
    EXPECT_DOUBLE_EQ(balance.HwToSP(NaN, true), 0);
    EXPECT_DOUBLE_EQ(balance.HwToSP(Inf, true), -2147483.648);
}

TEST(ClbBallance, DeviceRecordHoldsCountsAndTenths)
{
    TClbBallance balance(0.04, 72.86, 120, 3100.9);
    const TClbCoeff record = balance.GetDeviceRecord();
    EXPECT_EQ(record.hwMin, 120u);
    EXPECT_EQ(record.shMin, 0u);
    EXPECT_EQ(record.hwMax, 3100u);
    EXPECT_EQ(record.shMax, 729u);

    TClbBallance wild(NaN, 1e300, -5, 3e9);
    const TClbCoeff saturated = wild.GetDeviceRecord();
    EXPECT_EQ(saturated.shMin, 0u);
    EXPECT_EQ(saturated.shMax, 2147483647u);
    EXPECT_EQ(saturated.hwMin, static_cast<std::uint32_t>(-5));
    EXPECT_EQ(saturated.hwMax, 2147483647u);
}

TEST(ClbModule, RegistersInOrderAndUnregistersTheFirstMatch)
{
    TTestModule module("Calibrate");
    TClbLineUnit a, b;
    module.RegisterUnit(&a);
    module.RegisterUnit(nullptr);
    module.RegisterUnit(&b);
    module.RegisterUnit(&a);
    ASSERT_EQ(module.Units(), (TClbUnits{&a, &b, &a}));
    TClbLineUnit stranger;
    module.UnregisterUnit(&stranger);
    module.UnregisterUnit(nullptr);
    EXPECT_EQ(module.Units(), (TClbUnits{&a, &b, &a}));
    module.UnregisterUnit(&a);
    EXPECT_EQ(module.Units(), (TClbUnits{&b, &a}));
}

TEST(ClbModule, MissingKeysTakeTheModuleDefaultLine)
{
    TTempDir dir;
    TTestModule module("Calibrate");
    TClbLineUnit line;  // the constructor's 0..100
    line.SetName("line");
    TClbSimpleLineUnit simple;
    simple.SetName("simple");
    module.RegisterUnit(&line);
    module.RegisterUnit(&simple);
    module.Load(dir.File("absent.ini"));  // no file: every key is missing
    EXPECT_EQ(line.GetShMax(), 65535);
    EXPECT_EQ(line.GetHwMax(), 65535);
    EXPECT_EQ(line.GetK(), 1);
    EXPECT_EQ(line.ShToHw(123), 123);
    EXPECT_EQ(simple.GetK(), 1);  // a simple unit keeps its own factor
    EXPECT_TRUE(module.BadKeys().empty());
}

TEST(ClbModule, LoadReadsPointAndCommaAndTreatsABadKeyAsMissingForThatKeyAlone)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    WriteFileText(file,
                  "[Other]\r\n"
                  "first.shMin=999\r\n"
                  "[calibrate]\r\n"
                  "FIRST.shMin=12.5\r\n"
                  "first.shMax=112,5\r\n"
                  "first.hwMin=\r\n"
                  "first.hwMax=not a number\r\n"
                  "second.shMin=-3\r\n"
                  "second.shMax=7\r\n"
                  "second.hwMin=0,5\r\n"
                  "second.hwMax=1e3\r\n"
                  "plate.k=0.004\r\n");
    TTestModule module("Calibrate");
    TClbLineUnit first, second;
    TClbSimpleLineUnit plate;
    first.SetName("first");
    second.SetName("second");
    plate.SetName("plate");
    module.RegisterUnit(&first);
    module.RegisterUnit(&second);
    module.RegisterUnit(&plate);
    module.Load(file);

    EXPECT_DOUBLE_EQ(first.GetShMin(), 12.5);
    EXPECT_DOUBLE_EQ(first.GetShMax(), 112.5);
    EXPECT_DOUBLE_EQ(first.GetHwMin(), 0);      // empty: the default
    EXPECT_DOUBLE_EQ(first.GetHwMax(), 65535);  // bad: the default, for this key alone
    EXPECT_DOUBLE_EQ(first.GetK(), 100.0 / 65535);
    // the units after the bad key still load
    EXPECT_DOUBLE_EQ(second.GetShMin(), -3);
    EXPECT_DOUBLE_EQ(second.GetShMax(), 7);
    EXPECT_DOUBLE_EQ(second.GetHwMin(), 0.5);
    EXPECT_DOUBLE_EQ(second.GetHwMax(), 1000);
    EXPECT_DOUBLE_EQ(plate.GetK(), 0.004);
    EXPECT_EQ(module.BadKeys(), std::vector<std::string>{"Calibrate/first.hwMax"});

    // a later clean load forgets the bad key
    WriteFileText(file, "[Calibrate]\nfirst.hwMax=10\n");
    module.Load(file);
    EXPECT_TRUE(module.BadKeys().empty());
    EXPECT_DOUBLE_EQ(first.GetHwMax(), 10);
}

TEST(ClbModule, SaveWritesEachUnitsKeysInRegistrationOrder)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    TTestModule module("Calibrate");
    TClbBallance balance(0.5, 72.8, 120, 3000);
    balance.SetName("ballance");
    TClbSimpleLineUnit plate;
    plate.SetName("ADCPlate");
    plate.SetK(0.0125);
    TClbTemperature temperature(0, 1000, 0, 2147483647);
    temperature.SetName("tempAir");
    module.RegisterUnit(&balance);
    module.RegisterUnit(&plate);
    module.RegisterUnit(&temperature);
    module.Save(file);
    EXPECT_EQ(ReadFileText(file),
              "[Calibrate]\n"
              "ballance.shMin=0.5\n"
              "ballance.shMax=72.8\n"
              "ballance.hwMin=120\n"
              "ballance.hwMax=3000\n"
              "ADCPlate.k=0.0125\n"
              "tempAir.shMin=0\n"
              "tempAir.shMax=1000\n"
              "tempAir.hwMin=0\n"
              "tempAir.hwMax=2147483647\n");

    // and the values come back
    TClbBallance copy;
    copy.SetName("ballance");
    TTestModule reader("Calibrate");
    reader.RegisterUnit(&copy);
    reader.Load(file);
    EXPECT_DOUBLE_EQ(copy.GetShMax(), 72.8);
    EXPECT_DOUBLE_EQ(copy.GetK(), balance.GetK());
}

TEST(ClbModule, SavesBesideAnotherObjectHoldingTheSameFile)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    TIniFile program(file);  // the program's own settings object, open all the time
    program.WriteString("Common", "DeviceType", "ZEL");
    TTestModule module("Calibrate");
    TClbLineUnit line(1, 2, 3, 4);
    line.SetName("line");
    module.RegisterUnit(&line);
    module.Save(file);
    program.WriteInteger("Common", "Later", 5);
    EXPECT_EQ(program.ReadString("Calibrate", "line.hwMax", ""), "4");
    EXPECT_EQ(program.ReadString("Common", "DeviceType", ""), "ZEL");
    TClbLineUnit reread;
    reread.SetName("line");
    TTestModule reader("Calibrate");
    reader.RegisterUnit(&reread);
    reader.Load(file);
    EXPECT_DOUBLE_EQ(reread.GetHwMin(), 3);
    EXPECT_EQ(TIniFile(file).ReadInteger("Common", "Later", 0), 5);
}

TEST(ClbUnits, LoadAndSaveWithoutSettingsObjectDoNothing)
{
    TClbLineUnit line(1, 2, 3, 4);
    TClbLineUnit defaults(0, 65535, 0, 65535);
    line.Load(nullptr, "Calibrate", &defaults);
    line.Save(nullptr, "Calibrate");
    EXPECT_EQ(line.GetShMin(), 1);
    TClbSimpleLineUnit simple;
    simple.SetK(2);
    simple.Load(nullptr, "Calibrate", nullptr);
    simple.Save(nullptr, "Calibrate");
    EXPECT_EQ(simple.GetK(), 2);
}

TEST(ClbUnits, ConversionsStayDefinedForZeroNegativeHugeAndNaNInputs)
{
    TClbLineUnit line(0, 10, 0, 100);
    TClbTemperature temperature(0, 1000, 0, 1000);
    TClbSimpleLineUnit simple;
    simple.SetK(0);
    TClbBallance balance(0, 72, 0, 3000);
    std::vector<ICalibrateUnit*> units{&line, &temperature, &simple, &balance};
    for (ICalibrateUnit* unit : units) {
        for (double value : {0.0, -1.0, 1e308, -1e308, Inf, NaN}) {
            // each result reaches the device only through the saturating cut
            DoubleToInt32(unit->ShToHw(value));
            DoubleToInt32(unit->HwToSh(value));
            DoubleToInt32(unit->ShToHwDelta(value));
            DoubleToInt32(unit->HwToShDelta(value));
        }
    }
    EXPECT_EQ(simple.ShToHw(1e308), 0);
    EXPECT_EQ(line.ShToHwDelta(NaN), 0);
    EXPECT_EQ(temperature.ShToHwDelta(Inf), 0);
}
