// The demonstration trough's physical model: the isotherm's phases, drives that travel
// at their speeds in (sped-up) real time, the film area and the balance, and the isotherm
// and deposition processes as the emulator runs them over its protocol.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include "Emulator.h"
#include "TestSupport.h"
#include "TroughModel.h"

namespace {

struct TModelRun {
    explicit TModelRun(double SpeedUp = 1) : Model(Options(SpeedUp), Now)
    {
        Model.Send = [this](const std::string& Body) { Sent.push_back(Body); };
    }
    static TTroughModelOptions Options(double SpeedUp)
    {
        TTroughModelOptions o;
        o.SpeedUp = SpeedUp;
        return o;
    }
    void AdvanceMs(std::int64_t Ms)
    {
        Now += Ms * 1000;
        Model.Advance(Now);
    }
    int Count(const std::string& Body) const
    {
        int n = 0;
        for (const std::string& s : Sent) n += s == Body;
        return n;
    }
    std::int64_t Now = 5000000;
    TTroughModel Model;
    std::vector<std::string> Sent;
};

std::vector<std::uint32_t> Fields(const std::string& Body)
{
    std::vector<std::uint32_t> out;
    for (std::size_t at = Body.find(' '); at != std::string::npos; at = Body.find(' ', at + 1))
        out.push_back(static_cast<std::uint32_t>(std::strtoul(Body.c_str() + at + 1, nullptr, 16)));
    return out;
}

}  // namespace

TEST(TroughModel, IsothermHasGasLiquidSolidAndCollapse)
{
    struct TCase {
        double Area;  // Å² per molecule
        double Low, High;
    };
    const TCase cases[] = {
        {80, 0, 0.01},                       // gas: practically a clean surface
        {32, 0.29, 0.31},                    // lift-off
        {28, 4.0, 4.2},                      // liquid-expanded: 0.3 + 4 * 7.7 / 8
        {24, 7.9, 8.1},                      // onset of the solid branch
        {22, 31.4, 31.6}, {20, 54.9, 55.1},  // collapse pressure
        {15, 44.9, 45.1},                    // the collapsed film sags to its floor
    };
    for (const TCase& c : cases) {
        const double p = TTroughModel::Isotherm(c.Area);
        EXPECT_GE(p, c.Low) << c.Area;
        EXPECT_LE(p, c.High) << c.Area;
    }
    // Compression never lowers the pressure before the collapse.
    for (double a = 100; a > 20.05; a -= 0.1)
        EXPECT_LE(TTroughModel::Isotherm(a), TTroughModel::Isotherm(a - 0.1)) << a;
}

TEST(TroughModel, OpenTroughReadsACleanSurfaceAndAreaFollowsTheBarriers)
{
    TModelRun r(100);
    EXPECT_DOUBLE_EQ(r.Model.AreaCm2(), 240);
    // 20 µL of 1 mg/mL of a 284.48 g/mol acid: 4.23e16 molecules, 56.7 Å² each when open.
    EXPECT_NEAR(r.Model.AreaPerMoleculeA2(), 56.7, 0.1);
    EXPECT_NEAR(r.Model.BalanceCounts(), 11296, 1);  // a clean surface
    // 4000 steps each = 10 mm each: 2 cm of 7.5 cm wide film gone.
    r.Model.Move(TTroughModel::Barrier1, true, 4000, r.Now);
    r.Model.Move(TTroughModel::Barrier2, true, 4000, r.Now);
    r.AdvanceMs(2000);
    EXPECT_DOUBLE_EQ(r.Model.AreaCm2(), 225);
}

TEST(TroughModel, DrivesTravelAtTheirSpeedsAndReportTheirEndOnce)
{
    TModelRun r(10);                        // ten simulated seconds per second
    r.Model.SetParameter(0x01, 0x01, 400);  // barrier 1: 400 steps/s = 1 mm/s
    r.Model.Move(TTroughModel::Barrier1, true, 4000, r.Now);
    r.AdvanceMs(500);  // 5 simulated seconds
    EXPECT_NEAR(r.Model.Position(TTroughModel::Barrier1), 2000, 1);
    EXPECT_TRUE(r.Model.Moving(TTroughModel::Barrier1));
    EXPECT_EQ(r.Count("M03 0003"), 0);
    r.AdvanceMs(600);
    EXPECT_DOUBLE_EQ(r.Model.Position(TTroughModel::Barrier1), 4000);
    r.AdvanceMs(100);
    EXPECT_EQ(r.Count("M03 0003"), 1);
    EXPECT_EQ(r.Count("M04 00"), 1);

    // Back by more than it went: held at the end of its travel. A stop ends a move at once.
    r.Model.Move(TTroughModel::Barrier1, false, 10000, r.Now);
    r.AdvanceMs(2000);
    EXPECT_DOUBLE_EQ(r.Model.Position(TTroughModel::Barrier1), 0);
    r.Model.SetParameter(0x01, 0x02, 800);
    r.Model.Move(TTroughModel::Dipper, false, 0, r.Now);  // until stopped
    r.AdvanceMs(100);
    r.Model.Stop(TTroughModel::Dipper, r.Now);
    const double stopped = r.Model.Position(TTroughModel::Dipper);
    r.AdvanceMs(1000);
    EXPECT_DOUBLE_EQ(r.Model.Position(TTroughModel::Dipper), stopped);
    EXPECT_NEAR(stopped, 20000 - 800, 1);
}

TEST(TroughModel, IsothermRunThroughTheEmulatorDrawsTheCurveAndEndsWithTheLastPoint)
{
    TEmulatorOptions options;
    options.SpeedUp = 1000;
    TTroughEmulator emulator(options);
    std::vector<std::string> bodies;
    std::string pending;
    emulator.Write = [&](const std::string& Bytes) {
        pending += Bytes;
        for (std::size_t end; (end = pending.find('$')) != std::string::npos; pending.erase(0, end + 1))
            bodies.push_back(pending.substr(pending.find('@') + 3, end - pending.find('@') - 3));
    };
    emulator.Log = [](const std::string&) {};
    std::int64_t now = 1000000;
    auto frame = [&](const std::string& Payload) {
        const std::string bytes = "@" + SumDigits(Payload) + " " + Payload + "$" + std::string(1, '\0');
        emulator.Received(bytes.data(), bytes.size(), now);
    };
    frame("05 01 00000002");  // by travel
    frame("05 02 00000000");
    frame("05 03 0000DAC0");  // to 56000 steps per barrier
    frame("05 04 00000320");  // a point every 800 steps
    frame("05 05 00000190");  // 400 steps/s
    frame("05 08 00000001");
    frame("06 01");
    for (int i = 0; i < 400; ++i) {
        now += 20000;
        emulator.Tick(now);
    }
    std::vector<std::vector<std::uint32_t>> points;
    int started = 0, finished = 0, ended = 0;
    bool pointAfterFinish = false;
    for (const std::string& b : bodies) {
        if (b.rfind("IIZT", 0) == 0) {
            points.push_back(Fields(b));
            pointAfterFinish = pointAfterFinish || finished > 0;
        }
        started += b == "M01 0000";
        finished += b == "M02 0000";
        ended += b == "M04 00";
    }
    EXPECT_EQ(started, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(pointAfterFinish);
    ASSERT_GE(points.size(), 60u);  // 56000 / 800 points and the ends
    EXPECT_EQ(points.front()[0], 0u);
    EXPECT_EQ(points.back()[0], 56000u);
    EXPECT_EQ(points.back()[4], 56000u);
    // From a clean surface through the phases into the collapse.
    // The balance reads 100 counts less per mN/m: from 0 up into the collapse near 55 mN/m
    // (the points fall at either side of its peak), where the film gives way.
    EXPECT_NEAR(points.front()[2], 11296u, 1);
    std::uint32_t lowest = 1u << 31;
    for (const auto& p : points) lowest = std::min(lowest, p[2]);
    EXPECT_LE(lowest, 11296u - 4500);
    EXPECT_GE(lowest, 11296u - 5500);
    EXPECT_NEAR(points.back()[2], 11296u - 4500, 1);
    // Time runs at the model's pace: 140 s for 56000 steps at 400 steps/s, in tenths.
    EXPECT_NEAR(points.back()[3], 1400u, 2);
}

TEST(TroughModel, DepositionHoldsThePressureWhileTheSubstrateTakesFilm)
{
    TModelRun r(100);
    r.Model.SetParameter(0x01, 0x06, 24000);  // top level
    r.Model.SetParameter(0x01, 0x07, 16000);  // bottom level
    r.Model.SetParameter(0x07, 0x01, 1);      // Y
    r.Model.SetParameter(0x07, 0x02, 11296 - 2500);
    r.Model.SetParameter(0x07, 0x03, 2000);  // up and down speeds
    r.Model.SetParameter(0x07, 0x04, 2000);
    r.Model.SetParameter(0x07, 0x05, 1);  // a second's pause at either level
    r.Model.SetParameter(0x07, 0x06, 1);
    r.Model.SetParameter(0x07, 0x07, 2);  // strokes
    r.Model.SetParameter(0x07, 0x0C, 2000);
    r.Model.RunProcess(0x02, r.Now);
    double lowest = 1e9, highest = 0, closedAtFirstStroke = 0;
    for (int i = 0; i < 3000 && r.Count("M06 0001") == 0; ++i) {
        r.AdvanceMs(20);
        lowest = std::min(lowest, r.Model.Position(TTroughModel::Dipper));
        highest = std::max(highest, r.Model.Position(TTroughModel::Dipper));
        if (closedAtFirstStroke == 0 && r.Count("M05 0000") == 1)
            closedAtFirstStroke = r.Model.Position(TTroughModel::Barrier1);
    }
    EXPECT_EQ(r.Count("M06 0001"), 1);
    EXPECT_DOUBLE_EQ(lowest, 16000);
    EXPECT_DOUBLE_EQ(highest, 24000);
    // The film went onto the substrate: the barriers closed further to hold 25 mN/m.
    EXPECT_NEAR(r.Model.SurfacePressure(), 25, 0.5);
    EXPECT_GT(r.Model.Position(TTroughModel::Barrier1), closedAtFirstStroke + 1000);
    EXPECT_FALSE(r.Model.Running());
}

TEST(TroughModel, IsothermToATargetPressureStopsThere)
{
    TModelRun r(1000);
    r.Model.SetParameter(0x05, 0x01, 3);     // by travel, to a pressure
    r.Model.SetParameter(0x05, 0x03, 0);     // no end position
    r.Model.SetParameter(0x05, 0x04, 400);   // a point per mm
    r.Model.SetParameter(0x05, 0x05, 400);   // 1 mm/s
    r.Model.SetParameter(0x05, 0x08, 1);     // one stroke
    r.Model.SetParameter(0x05, 0x0B, 7296);  // 40 mN/m
    r.Model.RunProcess(0x01, r.Now);
    for (int i = 0; i < 1000 && r.Count("M04 00") == 0; ++i) r.AdvanceMs(20);
    EXPECT_EQ(r.Count("M02 0000"), 1);
    EXPECT_EQ(r.Count("M04 00"), 1);
    EXPECT_NEAR(r.Model.SurfacePressure(), 40, 0.5);
    EXPECT_FALSE(r.Model.Moving(TTroughModel::Barrier1));
}
