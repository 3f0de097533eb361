// The emulator's protocol core in memory: strict frame checks, acknowledgements, query
// answers, drive reports and fault modes.
#include <gtest/gtest.h>
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
