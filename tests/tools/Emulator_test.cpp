// The emulator's protocol core in memory: strict frame checks, acknowledgements, query
// answers, drive reports and fault modes.
#include <gtest/gtest.h>

#include <algorithm>

#include "Emulator.h"

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
        char Digits[4];
        std::snprintf(Digits, sizeof Digits, "%02X", TTroughEmulator::Sum(Payload));
        Feed("@" + std::string(Digits) + " " + Payload + "$" + std::string(1, '\0'));
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
        {"06 02", {"M05 0001", "IDEP ", "M06 0001"}},
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
