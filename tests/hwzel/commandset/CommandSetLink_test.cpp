// The instrument's words on the wire: the real link module sends each word's line to the
// emulator over a pseudo-terminal; script values are converted by a window through real
// sent messages; queries come back to the asking caller.
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>
#include "WordCases.h"
#include "hwzel/LinkFixture.h"

namespace {

// The bytes a payload goes out as: "@", the 8-bit sum of the payload in hex, a blank,
// the payload, "$" and the zero byte.
std::string Packet(const std::string& Payload) {
    unsigned Sum = 0;
    for (unsigned char C : Payload) Sum += C;
    char Digits[3];
    std::snprintf(Digits, sizeof Digits, "%02X", Sum & 0xFF);
    return "@" + std::string(Digits) + " " + Payload + "$<00>";
}

std::vector<std::string> Packets(const std::string& Payloads) {
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
bool WaitsForAStopReport(const TWordCase& Case) {
    static const std::set<std::string> Words = {"RotBarrierMoveLeft", "RotBarrierMoveRight", "TapeMoveLeft",
                                                "TapeMoveRight"};
    const std::string Line = Case.Line;
    return Words.count(Line) || Line.rfind("BarrierMoveToPressure", 0) == 0;
}

class CommandSetLink : public LinkFixture {
protected:
    // The program's side of the conversion requests: the test answer for every code.
    void AnswerConversions() {
        Notes.Answer = [this](std::uint32_t Code, LPARAM Payload) -> LRESULT {
            if (Code < hlnConvFBSensetivity || Code > hlnConvPumpSpeed) return 0;
            const double Value = *reinterpret_cast<const double*>(Payload);
            Requests.push_back({Code, Value});
            return TestConversion(Code, Value);
        };
    }
    bool RunAndWait(const TScriptStrings& Script, unsigned TimeoutMs = 10000) {
        const std::size_t Finished = Notes.WithCode(hlnScriptFinished).size();
        if (!Link->RunScript(&Script)) return false;
        return Notes.WaitForCode(hlnScriptFinished, Finished + 1, TimeoutMs);
    }
    std::vector<std::string> StatusTexts() const {
        std::vector<std::string> R;
        for (const TNote& N : Notes.WithCode(hlnScriptStatus)) R.push_back(N.Text);
        return R;
    }
    std::vector<LPARAM> FailedLines() const {
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

TEST_F(CommandSetLink, EveryWordInADirectLineReachesTheWireAsItsPacket) {
    Start();
    std::vector<std::string> Expected;
    for (const TWordCase& Case : WordCases) {
        if (!Case.Direct || !*Case.Direct) continue;
        Link->SendCommand(Case.Line, nullptr, 0);
        for (const std::string& P : Packets(Case.Direct)) Expected.push_back(P);
    }
    ASSERT_TRUE(Emulator->WaitForFrames(Expected.size(), 60000));
    Settle(300);
    EXPECT_EQ(FrameTexts(), Expected);
    EXPECT_EQ(Emulator->CountLines("bad"), 0u);
    EXPECT_TRUE(ErrorTexts().empty());
    EXPECT_TRUE(Notes.WithCode(hlnScriptStatus).empty()) << "no value failed to decode";
}

TEST_F(CommandSetLink, EveryWordInAScriptLineSendsTheProgramsConvertedValue) {
    Start();
    AnswerConversions();
    TScriptStrings Script;
    std::vector<std::string> Expected;
    std::size_t Converted = 0;
    for (const TWordCase& Case : WordCases) {
        if (!Case.Script || !*Case.Script || IsQuery(Case) || WaitsForAStopReport(Case)) continue;
        Script.push_back(Case.Line);
        for (const std::string& P : Packets(Case.Script)) Expected.push_back(P);
        if (std::string(Case.Script) != Case.Direct) ++Converted;
    }
    ASSERT_TRUE(RunAndWait(Script, 60000));
    Settle(200);
    EXPECT_EQ(FrameTexts(), Expected);
    EXPECT_TRUE(FailedLines().empty());
    // Each converted word asked once, for the number as written.
    ASSERT_EQ(Requests.size(), Converted);
    for (const TRequest& R : Requests) EXPECT_DOUBLE_EQ(R.Value, 12.0);
}

TEST_F(CommandSetLink, ScriptPressureMoveWaitsForTheInstrumentsReport) {
    Start();
    AnswerConversions();
    ASSERT_TRUE(Link->RunScript(new TScriptStrings{"BarrierMoveToPressure 12", "DipperStop"}) || true);
    ASSERT_TRUE(Emulator->WaitForFrames(2, 5000));
    Settle(300);
    EXPECT_EQ(FrameTexts(), Packets("05 0A 03F00078|06 03")) << "the next line waits for the drives' report";
    ASSERT_TRUE(Emulator->Control("send M04 00"));
    ASSERT_TRUE(Notes.WaitForCode(hlnScriptFinished, 1, 5000));
    EXPECT_EQ(FrameTexts().size(), 3u);
}
