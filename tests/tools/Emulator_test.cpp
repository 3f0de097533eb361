// The emulator's protocol core in memory: strict frame checks, acknowledgements, query
// answers, drive reports and fault modes.
#include <gtest/gtest.h>

#include <algorithm>

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
    R.Out.clear();
    R.Frame("02 FF");
    EXPECT_NE(R.Out.find("KOK!Trough Emulator$"), std::string::npos);
}

TEST(TroughEmulator, MovesADriveAndReportsItsStop)
{
    TRun R;
    R.Frame("03 07 00000064");  // dipper up by 100 steps
    EXPECT_NE(R.Out.find("M03 0007$"), std::string::npos);
    R.Out.clear();
    R.Advance(400000);
    EXPECT_NE(R.Out.find("M03 0009$"), std::string::npos);
    EXPECT_NE(R.Out.find("M04 00$"), std::string::npos);
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

TEST(TroughEmulator, RunsProcessesWithStartPointsAndFinish)
{
    struct TCase {
        const char* Start;
        std::vector<std::string> Bodies;  // in the order they must appear
    };
    const std::vector<TCase> Cases = {
        {"06 01", {"M01 0000", "IIZT ", "M02 0000"}},
        {"06 02", {"M07", "M05 0000", "IDEP ", "M06 0000"}},
        {"06 06", {"M10", "IRDP ", "M11"}},
        {"06 0C", {"M21", "IIFP ", "M22"}},
    };
    for (const TCase& C : Cases) {
        TRun R;
        R.Frame(C.Start);
        R.Advance(1000000);
        std::size_t At = 0;
        for (const std::string& Body : C.Bodies) {
            At = R.Out.find(Body, At);
            EXPECT_NE(At, std::string::npos) << C.Start << ": " << Body << " in " << R.Out;
        }
    }
}

namespace {

// The packet bodies the emulator wrote, in order.
std::vector<std::string> Bodies(const std::string& Out)
{
    std::vector<std::string> Result;
    for (std::size_t At = Out.find('@'); At != std::string::npos; At = Out.find('@', At + 1)) {
        const std::size_t End = Out.find('$', At);
        if (End == std::string::npos) break;
        Result.push_back(Out.substr(At + 3, End - At - 3));
    }
    return Result;
}

// The deposition reports of a run: notices as they are, points as "P<phase>:<dipper>".
std::vector<std::string> DepositionReports(const std::string& Out)
{
    std::vector<std::string> Result;
    for (const std::string& Body : Bodies(Out)) {
        if (Body.rfind("IDEP ", 0) == 0) {
            // barrier 1, dipper, balance, time, pause left, phase, barrier 2
            const std::uint32_t Dipper = std::strtoul(Body.substr(14, 8).c_str(), nullptr, 16);
            const std::uint32_t Phase = std::strtoul(Body.substr(50, 8).c_str(), nullptr, 16);
            Result.push_back("P" + std::to_string(Phase) + ":" + std::to_string(Dipper));
        } else if (Body.rfind("M0", 0) == 0 && Body != "M04 00" && Body.rfind("M03", 0) != 0) {
            Result.push_back(Body);
        }
    }
    return Result;
}

void SetUpDeposition(TRun& R, int Type, int Strokes)
{
    R.Frame("07 01 " + Hex8(Type));
    R.Frame("07 07 " + Hex8(Strokes));
    R.Frame("07 06 00000007");  // pause below
    R.Frame("07 05 00000009");  // pause above
    R.Frame("01 06 00000064");  // upper level 100
    R.Frame("01 07 0000012C");  // lower level 300
    R.Out.clear();
}

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

}  // namespace

TEST(TroughEmulator, DepositionRunsItsStrokesByType)
{
    struct TCase {
        int Type, Strokes;
        std::vector<std::string> Reports;
    };
    const std::vector<std::string> Down = {"P1:100", "P1:166", "P1:233", "P1:300"};
    const std::vector<std::string> Up = {"P2:300", "P2:233", "P2:166", "P2:100"};
    auto Join = [](std::initializer_list<std::vector<std::string>> Parts) {
        std::vector<std::string> All;
        for (const auto& Part : Parts) All.insert(All.end(), Part.begin(), Part.end());
        return All;
    };
    const std::vector<TCase> Cases = {
        {0, 2, Join({{"M07", "M05 0000"}, Down, {"P3:300", "M06 0000", "M05 0001"}, Up, {"P4:100", "M06 0001"}})},
        {2, 1, Join({{"M07", "M05 0000"}, Up, {"P4:100", "M06 0000"}})},
        {3, 5, Join({{"M07", "M05 0000"}, Down, {"M06 0000"}})},
        {4, 5, Join({{"M07", "M05 0000"}, Down, {"P2:250", "P2:200", "P2:150", "P2:100", "M06 0000"}})},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Type);
        TRun R;
        SetUpDeposition(R, C.Type, C.Strokes);
        R.Frame("06 02");
        R.Advance(2000000);
        EXPECT_EQ(DepositionReports(R.Out), C.Reports);
    }
    // The pause point tells the pause; the barriers close with every moving point.
    TRun R;
    SetUpDeposition(R, 1, 2);
    R.Frame("06 02");
    R.Advance(2000000);
    std::vector<std::string> Points;
    for (const std::string& Body : Bodies(R.Out))
        if (Body.rfind("IDEP ", 0) == 0) Points.push_back(Body);
    ASSERT_EQ(Points.size(), 10u);
    EXPECT_EQ(Points[0].substr(5, 8), "000003FC");   // 1000 + 20
    EXPECT_EQ(Points[4].substr(41, 8), "00000007");  // pause below
    EXPECT_EQ(Points[9].substr(41, 8), "00000009");  // pause above
    EXPECT_EQ(Points[9].substr(59, 8), "00000488");  // barrier 2: 1000 + 8 * 20
}

TEST(TroughEmulator, DepositionWaitsForCompoundAndGoesOnAfterTwoContinues)
{
    TEmulatorOptions Options;
    Options.SubstanceOverAt = 1;
    TRun R(Options);
    SetUpDeposition(R, 1, 2);
    R.Frame("06 02");
    R.Advance(2000000);
    const std::vector<std::string> UntilOut = {"M07",    "M05 0000", "P1:100",   "P1:166", "P1:233", "P1:300",
                                               "P3:300", "M06 0000", "M05 0001", "P2:300", "P2:233", "M08 0000"};
    EXPECT_EQ(DepositionReports(R.Out), UntilOut);

    // The first "go on" returns the barriers and allows the run to continue.
    R.Out.clear();
    R.Frame("06 04");
    R.Advance(2000000);
    EXPECT_EQ(DepositionReports(R.Out), std::vector<std::string>{"M09"});
    // The second starts the interrupted stroke again, from the barriers' start.
    R.Out.clear();
    R.Frame("06 04");
    R.Advance(2000000);
    const std::vector<std::string> Rest = {"M05 0001", "P2:300", "P2:233", "P2:166", "P2:100", "P4:100", "M06 0001"};
    EXPECT_EQ(DepositionReports(R.Out), Rest);
    EXPECT_NE(R.Out.find("IDEP 000003FC "), std::string::npos);

    // On request the compound runs out at the next point; a stop ends the run.
    TRun S;
    SetUpDeposition(S, 0, 4);
    S.Frame("06 02");
    S.Advance(50000);
    S.Emulator.ConsumeCompound();
    S.Advance(2000000);
    EXPECT_EQ(DepositionReports(S.Out), (std::vector<std::string>{"M07", "M05 0000", "P1:100", "M08 0000"}));
    S.Out.clear();
    S.Frame("06 04");
    S.Frame("06 00");
    S.Advance(2000000);
    EXPECT_EQ(DepositionReports(S.Out), std::vector<std::string>{});
}

TEST(TroughEmulator, AccessoryRunsReportBalancesStatusBitsAndTheirEnd)
{
    // Balance 0x200 rising by 16, doser balance 0x300 falling by 8, the rotating barrier
    // 100 steps a point, and status words that switch the accessories' bits.
    const std::vector<std::string> roll = {
        "M10",
        "IRDP 00000000 00000000 00000000 00000200 00000300 00000002",
        "IRDP 00000064 00000000 00000000 00000210 000002F8 00000003",
        "IRDP 000000C8 00000000 00000000 00000220 000002F0 00000007",
        "IRDP 0000012C 00000000 00000000 00000230 000002E8 00000005",
        "IRDP 00000190 00000000 00000000 00000240 000002E0 00000000",
        "M11",
    };
    TRun R;
    R.Frame("06 06");
    R.Advance(1000000);
    EXPECT_EQ(Reports(R.Out), roll);

    struct TCase {
        const char* Start;
        bool LimitSwitch;
        const char* Started;
        const char* SecondPoint;
        const char* Finished;
    };
    const TCase cases[] = {
        {"06 06", true, "M10", "IRDP 00000064 00000000 00000000 00000210 000002F8 00000003", "M14"},
        {"06 07", true, "M12", "ITDP 00000064 00000000 00000000 00000210 000002F8 00000003", "M13"},
        {"06 08", false, "M15", "IDDP 00000000 00000210 000002F8 00000003", "M16"},
        {"06 09", false, "M17", "ICDP 00000000 00000210 000002F8 00000003", "M18"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Start);
        TEmulatorOptions options;
        options.RollLimitSwitch = c.LimitSwitch;
        TRun run(options);
        run.Frame(c.Start);
        run.Advance(1000000);
        const std::vector<std::string> reports = Reports(run.Out);
        ASSERT_EQ(reports.size(), 7u);
        EXPECT_EQ(reports[0], c.Started);
        EXPECT_EQ(reports[2], c.SecondPoint);
        EXPECT_EQ(reports[6], c.Finished);
    }
}

TEST(TroughEmulator, ProcessStopEndsAnAccessoryRunWithItsFinishedReport)
{
    TRun R;
    R.Frame("06 08");
    R.Advance(50000);  // started and one point
    R.Frame("06 00");
    R.Advance(1000000);
    const std::vector<std::string> reports = Reports(R.Out);
    ASSERT_GE(reports.size(), 3u);
    EXPECT_EQ(reports[0], "M15");
    EXPECT_EQ(std::count(reports.begin(), reports.end(), "M16"), 1);
    // Nothing of the run after its end.
    const auto end = std::find(reports.begin(), reports.end(), "M16");
    for (auto it = end; it != reports.end(); ++it) EXPECT_EQ(it->rfind("IDDP", 0), std::string::npos) << *it;
    EXPECT_LT(
        std::count_if(reports.begin(), reports.end(), [](const std::string& B) { return B.rfind("IDDP", 0) == 0; }), 5);
}
