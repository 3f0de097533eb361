// The instrument's words on the wire: the real link module sends each word's line to the
// emulator over a pseudo-terminal; script values are converted by a window through real
// sent messages; queries come back to the asking caller.
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>
#include "TestSupport.h"
#include "WordCases.h"
#include "hwzel/LinkFixture.h"

namespace {

// The bytes a payload goes out as: "@", the 8-bit sum of the payload in hex, a blank,
// the payload, "$" and the zero byte.
std::string Packet(const std::string& Payload) { return "@" + SumDigits(Payload) + " " + Payload + "$<00>"; }

std::vector<std::string> Packets(const std::string& Payloads)
{
    std::vector<std::string> Result;
    std::size_t Start = 0;
    for (;;) {
        const std::size_t Bar = Payloads.find('|', Start);
        Result.push_back(Packet(Payloads.substr(Start, Bar == std::string::npos ? std::string::npos : Bar - Start)));
        if (Bar == std::string::npos) return Result;
        Start = Bar + 1;
    }
}

bool IsQuery(const TWordCase& Case) { return Case.Line[0] == '='; }

// Drive words without a travel run until stopped, and the pressure move waits for the
// target pressure: in a carried-out script each waits for a report of its own.
bool WaitsForAStopReport(const TWordCase& Case)
{
    static const std::set<std::string> Words = {"RotBarrierMoveLeft", "RotBarrierMoveRight", "TapeMoveLeft",
                                                "TapeMoveRight"};
    const std::string Line = Case.Line;
    return Words.count(Line) || Line.rfind("BarrierMoveToPressure", 0) == 0;
}

class CommandSetLink : public LinkFixture {
protected:
    // The program's side of the conversion requests: the test answer for every code.
    void AnswerConversions()
    {
        Notes.Answer = [this](std::uint32_t Code, LPARAM Payload) -> LRESULT {
            if (Code < hlnConvFBSensetivity || Code > hlnConvPumpSpeed) return 0;
            const double Value = *reinterpret_cast<const double*>(Payload);
            Requests.push_back({Code, Value});
            return TestConversion(Code, Value);
        };
    }
    bool RunAndWait(const TScriptStrings& Script, unsigned TimeoutMs = ConditionWaitMs)
    {
        const std::size_t Finished = Notes.WithCode(hlnScriptFinished).size();
        if (!Link->RunScript(&Script)) return false;
        return Notes.WaitForCode(hlnScriptFinished, Finished + 1, TimeoutMs);
    }
    // Waits for frames while serving the link's sent questions, as the program's message
    // loop does.
    bool PumpUntilFrames(std::size_t Count, unsigned TimeoutMs = ConditionWaitMs)
    {
        return Application->ProcessMessagesUntil([&] { return Emulator->Frames().size() >= Count; }, TimeoutMs);
    }
    std::vector<std::string> StatusTexts() const
    {
        std::vector<std::string> R;
        for (const TNote& N : Notes.WithCode(hlnScriptStatus)) R.push_back(N.Text);
        return R;
    }
    std::vector<LPARAM> FailedLines() const
    {
        std::vector<LPARAM> R;
        for (const TNote& N : Notes.WithCode(hlnScriptLineFailed)) R.push_back(N.Payload);
        return R;
    }
    struct TRequest {
        std::uint32_t Code;
        double Value;
    };
    std::vector<TRequest> Requests;
};

}  // namespace

TEST_F(CommandSetLink, EveryWordInADirectLineReachesTheWireAsItsPacket)
{
    Start();
    std::vector<std::string> Expected;
    for (const TWordCase& Case : WordCases) {
        if (!Case.Direct || !*Case.Direct) continue;
        Link->SendCommand(Case.Line, nullptr, 0);
        for (const std::string& P : Packets(Case.Direct)) Expected.push_back(P);
    }
    ASSERT_TRUE(Emulator->WaitForFrames(Expected.size(), ConditionWaitMs));
    Settle(300);
    EXPECT_EQ(FrameTexts(), Expected);
    EXPECT_EQ(Emulator->CountLines("bad"), 0u);
    EXPECT_TRUE(ErrorTexts().empty());
    EXPECT_TRUE(Notes.WithCode(hlnScriptStatus).empty()) << "no value failed to decode";
}

TEST_F(CommandSetLink, EveryWordInAScriptLineSendsTheProgramsConvertedValue)
{
    Start();
    // The test's conversions give travels of millions of steps: the drives that have no
    // end to their travel first get speeds that cover that in moments.
    std::vector<std::string> Expected;
    for (const char* Speed : {"DoserSpeed= 00FFFFFF", "PeristalticPumpSpeed= 00FFFFFF", "RotationSpeed= 00FFFFFF"})
        ASSERT_TRUE(Link->SendCommand(Speed, nullptr, 0));
    for (const char* Packet : {"08 02 00FFFFFF", "01 0D 00FFFFFF", "0C 00 00FFFFFF"})
        for (const std::string& P : Packets(Packet)) Expected.push_back(P);
    AnswerConversions();
    TScriptStrings Script;
    std::size_t Converted = 0;
    for (const TWordCase& Case : WordCases) {
        if (!Case.Script || !*Case.Script || IsQuery(Case) || WaitsForAStopReport(Case)) continue;
        Script.push_back(Case.Line);
        for (const std::string& P : Packets(Case.Script)) Expected.push_back(P);
        if (std::string(Case.Script) != Case.Direct) ++Converted;
    }
    ASSERT_TRUE(RunAndWait(Script, ConditionWaitMs));
    Settle(200);
    EXPECT_EQ(FrameTexts(), Expected);
    EXPECT_TRUE(FailedLines().empty());
    // Each converted word asked once, for the number as written.
    ASSERT_EQ(Requests.size(), Converted);
    for (const TRequest& R : Requests) EXPECT_DOUBLE_EQ(R.Value, 12.0);
}

TEST_F(CommandSetLink, ScriptPressureMoveWaitsForTheInstrumentsReport)
{
    Start();
    // 40.96 mN/m of the demonstration film: the barriers close for a while to reach it.
    Notes.Answer = [](std::uint32_t Code, LPARAM) -> LRESULT { return Code == hlnConvPressure ? 7200 : 0; };
    const TScriptStrings Script = {"BarrierMoveToPressure 12", "DipperStop"};
    ASSERT_TRUE(Link->RunScript(&Script));
    ASSERT_TRUE(Notes.WaitForCode(hlnScriptFinished, 1, ConditionWaitMs));
    EXPECT_EQ(FrameTexts(3), Packets("05 0A 00001C20|06 03|03 09 00000000"));
    // The second line went out only after the instrument reported the barriers stopped.
    std::size_t Stopped = 0, SecondLine = 0;
    for (std::size_t i = 0; i < Notes.Notes.size(); ++i) {
        const TNote& N = Notes.Notes[i];
        if (N.Code == hlnDrivesStopped && !Stopped) Stopped = i + 1;
        if (N.Code == hlnScriptLine && N.Payload == 1) SecondLine = i + 1;
    }
    ASSERT_GT(Stopped, 0u);
    EXPECT_GT(SecondLine, Stopped);
}

TEST_F(CommandSetLink, DryRunSendsOnlyTheWordsThatGoOutRegardless)
{
    Start();
    Link->SendCommand("ExecuteCommand= 0", nullptr, 0);
    for (const TWordCase& Case : WordCases)
        if (Case.Direct && *Case.Direct) Link->SendCommand(Case.Line, nullptr, 0);
    Link->SendCommand("ExecuteCommand= 1", nullptr, 0);
    Link->SendCommand("IstType= 12", nullptr, 0);
    // Written down from the instrument's list: what a dry run still sends.
    const char* const Sent[] = {
        "01 08 00000001 0000000A 00000200 00003000",
        "02 08",
        "02 FF",
        "02 FE",
        "02 FD",
        "02 FC",
        "06 00",
        "06 01",
        "06 02",
        "06 04",
        "06 07",
        "06 06",
        "06 08",
        "06 09",
        "06 0A",
        "06 0B",
        "06 0C",
        "05 0A 00000012",
        "03 03 00000000",
        "03 06 00000000",
        "03 09 00000000",
        "03 0C 00000000",
        "03 0F 00000000",
        "03 12 00000000",
        "03 00 00000000",
        "03 15 00000000",
        "01 0E 00000000",
        "0A 00 00000000",
        "0A 01 00000000",
        "0B 00 00000000",
        "0B 01 00000000",
        "0C 00 00000012",
        "05 01 00000012",  // after the dry run, carried out again
    };
    std::vector<std::string> Expected;
    for (const char* P : Sent) Expected.push_back(Packet(P));
    ASSERT_TRUE(Emulator->WaitForFrames(Expected.size(), ConditionWaitMs));
    Settle(300);
    EXPECT_EQ(FrameTexts(), Expected);
}

TEST_F(CommandSetLink, QueriesDeliverTheirResultToTheCaller)
{
    Start();
    char Name[100];
    std::memset(Name, 'x', sizeof Name);
    Link->SendCommand("=DeviceName", Name, sizeof Name);
    EXPECT_STREQ(Name, "Trough Emulator");
    EXPECT_EQ(Name[99], 0) << "the rest of the buffer is zero-filled";

    Link->SendCommand("FBSensetivity= 0000002A", nullptr, 0);
    std::uint32_t Value = 7;
    Link->SendCommand("=FBSensetivity", &Value, sizeof Value);
    EXPECT_EQ(Value, 0x2Au);

    Link->SendCommand("CLBCoeff= 00000001 0000000A 00000200 00003000", nullptr, 0);
    std::uint32_t Coeff[4] = {};
    Link->SendCommand("=CLBCoeff", Coeff, sizeof Coeff);
    EXPECT_EQ(Coeff[0], 1u);
    EXPECT_EQ(Coeff[1], 0xAu);
    EXPECT_EQ(Coeff[2], 0x200u);
    EXPECT_EQ(Coeff[3], 0x3000u);

    // A text cut to a short buffer fills it completely, without a terminator.
    char Short[6];
    Link->SendCommand("=DeviceName", Short, sizeof Short);
    EXPECT_EQ(std::string(Short, sizeof Short), "Trough");
    Settle(100);
    EXPECT_TRUE(ErrorTexts().empty());
    EXPECT_TRUE(Notes.WithCode(hlnTypeMismatch).empty());
}

TEST_F(CommandSetLink, ResultOfTheWrongSizeIsReportedAndReleasesTheCaller)
{
    Start();
    std::uint64_t Wide = 0x1111111111111111ull;
    const auto Begin = std::chrono::steady_clock::now();
    Link->SendCommand("=DipperSpeed", &Wide, sizeof Wide);
    Link->SendCommand("=FBPCoeff", &Wide, sizeof Wide);
    std::uint32_t Narrow[2] = {5, 5};
    Link->SendCommand("=CLBCoeff", Narrow, sizeof Narrow);
    // Had any caller waited for its reply's time-out, the three would take 30 s.
    EXPECT_LT(std::chrono::steady_clock::now() - Begin, std::chrono::seconds(10)) << "nobody waited for the time-out";
    EXPECT_EQ(Wide, 0x1111111111111111ull);
    EXPECT_EQ(Narrow[0], 5u);
    ASSERT_TRUE(Notes.WaitForCode(hlnTypeMismatch, 3, ConditionWaitMs));
    std::vector<std::string> Texts;
    for (const TNote& N : Notes.WithCode(hlnTypeMismatch)) Texts.push_back(N.Text);
    EXPECT_EQ(Texts,
              (std::vector<std::string>{"Different data types for ParamCode=2", "Different data types for ParamCode=15",
                                        "Different data types for ParamCode=8"}));
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(CommandSetLink, DryRunAnswersOneValueQueriesWithZeroWithoutAsking)
{
    Start();
    Link->SendCommand("FBSensetivity= 0000002A", nullptr, 0);
    Link->SendCommand("ExecuteCommand= 0", nullptr, 0);
    std::uint32_t Value = 7;
    Link->SendCommand("=FBSensetivity", &Value, sizeof Value);
    EXPECT_EQ(Value, 0u);
    char Name[100] = {};
    Link->SendCommand("=DeviceName", Name, sizeof Name);
    EXPECT_STREQ(Name, "Trough Emulator") << "texts are asked also in a dry run";
    Link->SendCommand("ExecuteCommand= 1", nullptr, 0);
    EXPECT_EQ(FrameTexts(2), (std::vector<std::string>{Packet("01 03 0000002A"), Packet("02 FF")}));
}

TEST_F(CommandSetLink, QueriesInScriptLinesFailWithoutAPacket)
{
    Start();
    const TScriptStrings Script = {"=DeviceName",  "=CLBCoeff",      "=DipperSpeed",     "ExecuteCommand= 0",
                                   "=DipperSpeed", "=DeviceVersion", "ExecuteCommand= 1"};
    ASSERT_TRUE(RunAndWait(Script));
    EXPECT_EQ(FailedLines(), (std::vector<LPARAM>{0, 1, 2, 5})) << "one-value queries of a dry run succeed with 0";
    EXPECT_TRUE(Emulator->Frames().empty());
}

TEST_F(CommandSetLink, ValueThatDoesNotDecodeSendsNothingAndSaysSo)
{
    Start();
    Link->SendCommand("FBSensetivity=", nullptr, 0);
    Link->SendCommand("TdDoserMode= 0000000A", nullptr, 0);
    Link->SendCommand("Barrier1MoveLeft", nullptr, 0);
    Link->SendCommand("CLBCoeff= 00000001 0000000A 00000200", nullptr, 0);
    Link->SendCommand("TdDoserMode= 00000012", nullptr, 0);
    ASSERT_TRUE(Emulator->WaitForFrames(1, ConditionWaitMs));
    ASSERT_TRUE(Notes.WaitForCode(hlnTypeMismatch, 1, ConditionWaitMs));
    Settle(200);
    EXPECT_EQ(FrameTexts(), std::vector<std::string>{Packet("0D 01 0000000C")});
    EXPECT_EQ(StatusTexts(), std::vector<std::string>(4, "Error of decode value!"));
    ASSERT_EQ(Notes.WithCode(hlnTypeMismatch).size(), 1u);
    EXPECT_EQ(Notes.WithCode(hlnTypeMismatch)[0].Text, "Different data types for ParamCode=8");
    // The decode notice comes before the type-mismatch notice.
    std::vector<std::uint32_t> Codes;
    for (const TNote& N : Notes.Notes)
        if (N.Code == hlnScriptStatus || N.Code == hlnTypeMismatch) Codes.push_back(N.Code);
    EXPECT_EQ(Codes, (std::vector<std::uint32_t>{hlnScriptStatus, hlnScriptStatus, hlnScriptStatus, hlnScriptStatus,
                                                 hlnTypeMismatch}));
}

TEST_F(CommandSetLink, LinesAreTakenAsTheirOwnWholeWord)
{
    Start();
    AnswerConversions();
    Link->SendCommand("IstBarrierSpeed= 12", nullptr, 0);
    Link->SendCommand("RotBarrierSpeed= 12", nullptr, 0);
    Link->SendCommand("TdarBarrierSpeed=12", nullptr, 0);
    const TScriptStrings Script = {"BarrierMoveLeft 10", "Barrier1MoveLeft 10", "barrierspeed= 1.5"};
    ASSERT_TRUE(RunAndWait(Script));
    EXPECT_EQ(FrameTexts(6),
              (std::vector<std::string>{Packet("05 05 00000012"), Packet("09 02 00000012"), Packet("11 02 00000012"),
                                        Packet("03 01 03EE0064"), Packet("03 01 03EE0064"), Packet("01 01 03EB000F")}));
}

TEST_F(CommandSetLink, DipperGoesToACellBySignedTurnsConvertedAlsoInDirectLines)
{
    Start();
    Notes.Answer = [this](std::uint32_t Code, LPARAM Payload) -> LRESULT {
        if (Code != hlnConvCellToRotator && Code != hlnConvCellToRevolver) return 0;
        Requests.push_back({Code, *reinterpret_cast<const double*>(Payload)});
        return Code == hlnConvCellToRotator ? 5 : -2;
    };
    // The instrument tells where its turning drives stand when their turns end.
    const auto turned = [&](std::size_t Turns) {
        return Notes.WaitForCode(hlnDipperRotatorStopped, Turns, ConditionWaitMs) &&
               Notes.WaitForCode(hlnRevolverStopped, Turns, ConditionWaitMs);
    };
    Link->SendCommand("MoveDipperToCell 3", nullptr, 0);
    ASSERT_TRUE(PumpUntilFrames(2));
    ASSERT_TRUE(turned(1));
    // Rotator on to 8 and revolver to 1: both turn back.
    Link->SendCommand("RotateDipperCW 00000003", nullptr, 0);
    Link->SendCommand("RotateRevolverCW 00000003", nullptr, 0);
    ASSERT_TRUE(turned(2));
    Link->SendCommand("MoveDipperToCell 3", nullptr, 0);
    ASSERT_TRUE(PumpUntilFrames(6));
    // Standing at the targets: asked, but nothing to turn.
    ASSERT_TRUE(turned(3));
    Link->SendCommand("MoveDipperToCell 3", nullptr, 0);
    Link->SendCommand("MoveDipperToCell", nullptr, 0);
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Requests.size() >= 6; }, ConditionWaitMs));
    Settle(200);
    EXPECT_EQ(FrameTexts(),
              (std::vector<std::string>{Packet("0A 01 00000005"), Packet("0B 02 00000002"), Packet("0A 01 00000003"),
                                        Packet("0B 01 00000003"), Packet("0A 02 00000003"), Packet("0B 02 00000003")}));
    ASSERT_EQ(Requests.size(), 6u);
    for (std::size_t i = 0; i < Requests.size(); ++i) {
        EXPECT_EQ(Requests[i].Code, i % 2 ? hlnConvCellToRevolver : hlnConvCellToRotator);
        EXPECT_DOUBLE_EQ(Requests[i].Value, 3.0);
    }
    EXPECT_EQ(StatusTexts(), std::vector<std::string>{"Error of decode value!"});
}

TEST_F(CommandSetLink, TextOfNinetyNineCharactersFitsAHundredByteBuffer)
{
    const std::string LongName(99, 'N');
    Start({"--name", LongName});
    char Name[100];
    std::memset(Name, 'x', sizeof Name);
    Link->SendCommand("=DeviceName", Name, sizeof Name);
    EXPECT_EQ(std::string(Name), LongName);
}
