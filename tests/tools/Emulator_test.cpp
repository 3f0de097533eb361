// The emulator's protocol core in memory: strict frame checks, acknowledgements, query
// answers, drive reports and fault modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "Emulator.h"
#include "TestSupport.h"

namespace {

struct TRun {
    explicit TRun(TEmulatorOptions Options = {}) : Emulator(Options)
    {
        Emulator.Write = [this](const std::string& B) { Out += B; };
        Emulator.Log = [this](const std::string& L) { Log.push_back(L); };
        Emulator.CutLine = [this] { Cut = true; };
    }
    void Feed(const std::string& Bytes) { Emulator.Received(Bytes.data(), Bytes.size(), Now); }
    void Frame(const std::string& Payload)
    {
        Feed("@" + SumDigits(Payload) + " " + Payload + "$" + std::string(1, '\0'));
    }
    void Advance(std::int64_t Us)
    {
        Now += Us;
        Emulator.Tick(Now);
    }
    std::size_t Bad() const
    {
        std::size_t N = 0;
        for (const auto& L : Log) N += L.rfind("bad", 0) == 0;
        return N;
    }
    TTroughEmulator Emulator;
    std::string Out;
    std::vector<std::string> Log;
    bool Cut = false;
    std::int64_t Now = 1000000;
};

}  // namespace

TEST(TroughEmulator, AcknowledgesWellFormedFramesAndRefusesBadOnes)
{
    struct TCase {
        const char* Name;
        std::string Bytes;
        const char* Reply;
        bool Bad;
    };
    const std::string Z(1, '\0');
    const std::vector<TCase> Cases = {
        {"good setter", "@95 01 03 0000000A$" + Z, "@06KOK!$", false},
        {"wrong checksum", "@96 01 03 0000000A$" + Z, "@34KERR$", true},
        {"lower-case digits", "@e6 06 00$" + Z, "@34KERR$", true},
        {"no blank after checksum", "@E606 00$" + Z, "@34KERR$", true},
        {"short value", "@27 01 03 0A$" + Z, "@34KERR$", true},
    };
    for (const TCase& C : Cases) {
        TRun R;
        R.Feed(C.Bytes);
        EXPECT_EQ(R.Out, C.Reply) << C.Name;
        EXPECT_EQ(R.Bad() > 0, C.Bad) << C.Name;
    }
}

TEST(TroughEmulator, InsistsOnTheZeroByteAfterEachFrame)
{
    TRun R;
    R.Feed("@E6 06 00$@E6 06 00$");
    EXPECT_EQ(R.Bad(), 1u);
}

TEST(TroughEmulator, AnswersQueriesWithStoredValuesAndTexts)
{
    TRun R;
    R.Frame("01 03 0000002A");
    R.Out.clear();
    R.Frame("02 03");
    EXPECT_EQ(R.Out, "@99KOK!0000002A$");
    // The device information is text; the stored balance calibration is the demonstration
    // trough's (4096 to 11296 counts for 0 to 72 mN/m in tenths).
    const struct {
        const char* Query;
        const char* Answer;
    } cases[] = {
        {"02 FF", "KOK!Trough Emulator$"},
        {"02 FE", "KOK!1.0$"},
        {"02 FD", "KOK!Trough Emulator Works$"},
        {"02 FC", "KOK!2024-03-01$"},
        {"02 08", "KOK!00001000 00000000 00002C20 000002D0$"},
    };
    for (const auto& c : cases) {
        R.Out.clear();
        R.Frame(c.Query);
        EXPECT_NE(R.Out.find(c.Answer), std::string::npos) << c.Query << ": " << R.Out;
    }
}

TEST(TroughEmulator, FaultModesAffectTheFirstFramesOnly)
{
    TEmulatorOptions Nak;
    Nak.NakFirst = 1;
    TRun R(Nak);
    R.Frame("06 00");
    R.Frame("06 00");
    EXPECT_EQ(R.Out.substr(0, 16), "@34KERR$@06KOK!$");

    TEmulatorOptions Silent;
    Silent.SilentFirst = 2;
    TRun S(Silent);
    S.Frame("01 03 00000001");
    S.Frame("01 03 00000001");
    EXPECT_EQ(S.Out, "");
    S.Frame("01 03 00000001");
    EXPECT_EQ(S.Out, "@06KOK!$");

    TEmulatorOptions Cut;
    Cut.CutAfter = 1;
    TRun C(Cut);
    C.Frame("06 00");
    EXPECT_TRUE(C.Cut);
    EXPECT_EQ(C.Out, "");
}

namespace {

// The report bodies written so far, without acknowledgements.
std::vector<std::string> Reports(const std::string& Out)
{
    std::vector<std::string> bodies;
    for (std::size_t at = Out.find('@'); at != std::string::npos; at = Out.find('@', at + 1)) {
        const std::size_t end = Out.find('$', at);
        if (end == std::string::npos) break;
        const std::string body = Out.substr(at + 3, end - at - 3);
        if (body.rfind("KOK", 0) != 0) bodies.push_back(body);
    }
    return bodies;
}

std::vector<std::uint32_t> Fields(const std::string& Body)
{
    std::vector<std::uint32_t> out;
    for (std::size_t at = Body.find(' '); at != std::string::npos; at = Body.find(' ', at + 1))
        out.push_back(static_cast<std::uint32_t>(std::strtoul(Body.c_str() + at + 1, nullptr, 16)));
    return out;
}

// Runs the emulator in steps of 20 ms until Done holds for its reports or Limit
// microseconds have passed; true when Done held.
bool RunUntil(TRun& R, const std::function<bool(const std::vector<std::string>&)>& Done, std::int64_t LimitUs)
{
    for (std::int64_t spent = 0; spent < LimitUs; spent += 20000) {
        R.Advance(20000);
        if (Done(Reports(R.Out))) return true;
    }
    return false;
}

bool Contains(const std::vector<std::string>& Reports, const std::string& Body)
{
    return std::find(Reports.begin(), Reports.end(), Body) != Reports.end();
}

// The last device-state report's field.
std::uint32_t StateField(const TRun& R, std::size_t Field)
{
    const std::vector<std::string> reports = Reports(R.Out);
    for (auto it = reports.rbegin(); it != reports.rend(); ++it)
        if (it->rfind("IINF ", 0) == 0) return Fields(*it).at(Field);
    ADD_FAILURE() << "no device state";
    return 0;
}

TEmulatorOptions Fast(int InfoMs = 0)
{
    TEmulatorOptions options;
    options.SpeedUp = 100;
    options.InfoIntervalMs = InfoMs;
    return options;
}

}  // namespace

TEST(TroughEmulator, DrivesMoveTheirWayAtTheirSpeedAndReportTheirStop)
{
    // Barrier 1 closes (its position grows) moving left, barrier 2 moving right; the dipper
    // rises moving up. INF fields: barrier 1, dipper, barrier 2.
    struct TCase {
        const char* Move;
        std::size_t Field;
        std::int64_t Change;
        const char* Stopped;
    };
    const TCase cases[] = {
        {"03 01 00000FA0", 0, 4000, "M03 0003"},  {"03 05 00000FA0", 5, 4000, "M03 0006"},
        {"03 07 00000FA0", 1, 4000, "M03 0009"},  {"03 08 00000FA0", 1, -4000, "M03 0009"},
        {"03 02 00000FA0", 0, -4000, "M03 0003"}, {"03 04 00000FA0", 5, -4000, "M03 0006"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Move);
        TEmulatorOptions options;
        options.InfoIntervalMs = 100;
        TRun R(options);
        R.Frame("01 01 00000190");  // both barriers and the dipper at 400 steps/s
        R.Frame("01 0B 00000190");
        R.Frame("01 02 00000190");
        // Start with both barriers half closed; the dipper stands half way up.
        for (const char* item : {"01", "05"}) R.Frame(std::string("03 ") + item + " 00004E20");
        ASSERT_TRUE(RunUntil(
            R, [](const auto& Reports) { return std::count(Reports.begin(), Reports.end(), "M04 00") == 2; },
            120000000));
        R.Advance(100000);
        const std::int64_t before = StateField(R, c.Field);
        R.Out.clear();
        R.Frame(c.Move);
        EXPECT_EQ(Reports(R.Out).at(0), "M03 " + std::string(c.Move).substr(3, 2).insert(0, "00"));
        // 4000 steps at 400 steps/s: ten seconds.
        R.Advance(9000000);
        EXPECT_FALSE(Contains(Reports(R.Out), c.Stopped));
        ASSERT_TRUE(RunUntil(
            R, [&](const auto& Reports) { return Contains(Reports, c.Stopped); }, 2000000));
        R.Advance(100000);
        EXPECT_EQ(static_cast<std::int64_t>(StateField(R, c.Field)) - before, c.Change);
    }
}

namespace {

// A deposition on the demonstration film: levels 50 and 20 mm, speeds 10 mm/s, pauses
// 3 s below and 2 s above, barriers at 5 mm/s, the pressure and the maximum step given.
void SetUpDeposition(TRun& R, int Type, int Strokes, double Pressure, std::uint32_t MaxStep)
{
    R.Frame("01 06 00004E20");
    R.Frame("01 07 00001F40");
    R.Frame("07 01 " + Hex8(Type));
    R.Frame("07 02 " + Hex8(static_cast<std::int64_t>(11296 - Pressure * 100)));
    R.Frame("07 03 00000FA0");
    R.Frame("07 04 00000FA0");
    R.Frame("07 05 00000002");
    R.Frame("07 06 00000003");
    R.Frame("07 07 " + Hex8(Strokes));
    R.Frame("07 0B " + Hex8(MaxStep));
    R.Frame("07 0C 000007D0");
    R.Out.clear();
}

// The deposition notices in order, with the phases of the points between them
// ("P1" for a run of points of phase 1).
std::vector<std::string> DepositionTrace(const std::vector<std::string>& Reports)
{
    std::vector<std::string> trace;
    for (const std::string& body : Reports) {
        if (body.rfind("IDEP ", 0) == 0) {
            const std::string phase = "P" + std::to_string(Fields(body).at(5));
            if (trace.empty() || trace.back() != phase) trace.push_back(phase);
        } else if (body.rfind("M0", 0) == 0 && body.rfind("M03", 0) != 0 && body != "M04 00") {
            trace.push_back(body);
        }
    }
    return trace;
}

bool Ended(const std::vector<std::string>& Reports, const std::string& Last)
{
    return !Reports.empty() && Contains(Reports, Last);
}

}  // namespace

TEST(TroughEmulator, DepositionAnnouncesAndEndsEveryStrokeFromZero)
{
    struct TCase {
        int Type, Strokes;
        std::vector<std::string> Trace;
    };
    const std::vector<std::string> downUp = {"P0",       "M07",      "M05 0000", "P1", "P3",
                                             "M06 0000", "M05 0001", "P2",       "P4", "M06 0001"};
    const TCase cases[] = {
        {0, 2, downUp},
        {1, 2, downUp},
        {2, 2, {"P0", "M07", "M05 0000", "P2", "P4", "M06 0000", "M05 0001", "P1", "P3", "M06 0001"}},
        // HP and manual runs end with their first stroke; a manual one comes back up in it.
        {3, 4, {"P0", "M07", "M05 0000", "P1", "M06 0000"}},
        {4, 4, {"P0", "M07", "M05 0000", "P1", "P2", "M06 0000"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Type);
        TRun R(Fast());
        SetUpDeposition(R, c.Type, c.Strokes, 20, 54000);
        R.Frame("06 02");
        const std::string last = c.Trace.back();
        ASSERT_TRUE(RunUntil(
            R, [&](const auto& Reports) { return Ended(Reports, last); }, 60000000));
        R.Advance(2000000);
        const std::vector<std::string> reports = Reports(R.Out);
        EXPECT_EQ(DepositionTrace(reports), c.Trace);
        // The points run in model time, their time in tenths of a second; the barriers held
        // the pressure while the substrate took film.
        std::vector<std::uint32_t> lastPoint;
        for (const std::string& body : reports)
            if (body.rfind("IDEP ", 0) == 0) lastPoint = Fields(body);
        ASSERT_EQ(lastPoint.size(), 7u);
        EXPECT_NEAR((11296.0 - lastPoint[2]) / 100, 20, 1.5);
        EXPECT_GT(lastPoint[3], 30u);
    }
}

TEST(TroughEmulator, DepositionKeepsTheBarriersWithinTheMaximumStepAndWaitsForCompound)
{
    // 30 mN/m needs about 38900 steps of each barrier; a maximum of 40000 leaves too little
    // for a stroke of 30 mm.
    TRun R(Fast());
    SetUpDeposition(R, 1, 2, 30, 40000);
    R.Frame("06 02");
    ASSERT_TRUE(RunUntil(
        R, [](const auto& Reports) { return Contains(Reports, "M08 0000"); }, 120000000));
    R.Advance(2000000);
    EXPECT_EQ(DepositionTrace(Reports(R.Out)),
              (std::vector<std::string>{"P0", "M07", "M05 0000", "P1", "M08 0000", "P0"}));
    for (const std::string& body : Reports(R.Out)) {
        if (body.rfind("IDEP ", 0) != 0) continue;
        EXPECT_LE(Fields(body)[0], 40000u) << body;
        EXPECT_LE(Fields(body)[6], 40000u) << body;
    }
    // The first "go on" opens the trough and allows the run to continue.
    R.Out.clear();
    R.Frame("06 04");
    ASSERT_TRUE(RunUntil(
        R, [](const auto& Reports) { return Contains(Reports, "M09"); }, 120000000));
    R.Advance(50000);
    std::vector<std::uint32_t> lastPoint;
    for (const std::string& body : Reports(R.Out))
        if (body.rfind("IDEP ", 0) == 0) lastPoint = Fields(body);
    EXPECT_EQ(lastPoint.at(0), 0u);
    EXPECT_EQ(lastPoint.at(6), 0u);
    EXPECT_FALSE(Contains(Reports(R.Out), "M05 0000"));
    // The second (compound spread again) runs the interrupted stroke again, and the rest.
    R.Out.clear();
    R.Frame("06 04");
    ASSERT_TRUE(RunUntil(
        R, [](const auto& Reports) { return Contains(Reports, "M06 0001"); }, 120000000));
    EXPECT_EQ(DepositionTrace(Reports(R.Out)),
              (std::vector<std::string>{"P0", "M07", "M05 0000", "P1", "P3", "M06 0000", "M05 0001", "P2", "P4",
                                        "M06 0001"}));

    // Without film enough to reach the pressure within the step there is no compound at all.
    TRun S(Fast());
    SetUpDeposition(S, 1, 2, 30, 10000);
    S.Frame("06 02");
    ASSERT_TRUE(RunUntil(
        S, [](const auto& Reports) { return Contains(Reports, "M08 0001"); }, 120000000));
    S.Out.clear();
    S.Advance(5000000);
    EXPECT_TRUE(DepositionTrace(Reports(S.Out)).empty());
}

TEST(TroughEmulator, AccessoryRunsCarryTheirSubstrateAtTheCommandedSpeed)
{
    // Each run carries 4000 steps at 400 steps/s: ten seconds of model time, with a point a
    // second; readings stay those of the film (a clean surface here).
    struct TCase {
        const char* Start;
        std::vector<const char*> Setup;
        const char* Started;
        const char* Point;
        const char* Finished;
    };
    const TCase cases[] = {
        {"06 06", {"0E 02 00000190", "0E 03 00002C20"}, "M10", "IRDP", "M11"},
        {"06 07", {"0D 0C 00000190", "0D 07 00000064"}, "M12", "ITDP", "M13"},
        {"06 08", {"0F 02 00000190", "0F 03 00002C20"}, "M15", "IDDP", "M16"},
        {"06 09", {"10 02 00000190", "10 03 00002C20"}, "M17", "ICDP", "M18"},
        {"06 0A", {"11 15 00000190"}, "M19", "ITDR", "M20"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Start);
        TRun R(Fast());
        R.Frame("01 09 000003E8");
        for (const char* setting : c.Setup) R.Frame(setting);
        R.Out.clear();
        R.Frame(c.Start);
        R.Advance(9500000 / 100);
        EXPECT_EQ(Reports(R.Out).at(0), c.Started);
        EXPECT_FALSE(Contains(Reports(R.Out), c.Finished));
        ASSERT_TRUE(RunUntil(
            R, [&](const auto& Reports) { return Contains(Reports, c.Finished); }, 1000000));
        const std::vector<std::string> reports = Reports(R.Out);
        int points = 0;
        for (const std::string& body : reports) {
            if (body.rfind(c.Point, 0) != 0) continue;
            ++points;
            const std::vector<std::uint32_t> f = Fields(body);
            // Balance and doser balance: the clean surface.
            const std::size_t balance = f.size() == 8 ? 5 : f.size() == 6 ? 3 : 1;
            EXPECT_EQ(f[balance], 11296u) << body;
            EXPECT_EQ(f[balance + 1], 11296u) << body;
        }
        EXPECT_GE(points, 10);
        EXPECT_LE(points, 13);
        EXPECT_EQ(reports.back(), c.Finished);
    }
}

TEST(TroughEmulator, RollRunStopsAtTheLimitSwitchAndStopEndsARun)
{
    // 40 mN/m is out of reach of barrier 1 alone: it runs to the end of its travel.
    TRun R(Fast());
    R.Frame("0E 02 00000001");
    R.Frame("0E 03 00001CA0");
    R.Frame("0E 08 00000FA0");
    R.Frame("06 06");
    ASSERT_TRUE(RunUntil(
        R, [](const auto& Reports) { return Contains(Reports, "M14"); }, 60000000));
    EXPECT_FALSE(Contains(Reports(R.Out), "M11"));

    TRun S(Fast());
    S.Frame("06 08");
    S.Advance(20000);
    S.Frame("06 00");
    S.Advance(1000000);
    const std::vector<std::string> reports = Reports(S.Out);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), "M15");
    EXPECT_EQ(std::count(reports.begin(), reports.end(), "M16"), 1);
    const auto end = std::find(reports.begin(), reports.end(), "M16");
    for (auto it = end; it != reports.end(); ++it) EXPECT_EQ(it->rfind("IDDP", 0), std::string::npos) << *it;
}
