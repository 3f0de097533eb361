// The sender thread inside the process: word matching, the script runner with its
// cycles, aborts, direct lines between script lines, and the receive side's flags.
#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <mutex>
#include "EmulatorProcess.h"
#include "NotifyRecorder.h"
#include "TestSupport.h"
#include "hwzel/CustomComLink.h"
#include "hwzel/ZelComLink.h"
#include "platform/serial/ComPort.h"
#include "platform/serial/SetupDialog.h"
#include "platform/base/IniFiles.h"

namespace {

// A thread whose words record how they were called.
class TRecordingThread : public TCustomComPacketSenderThread {
public:
    explicit TRecordingThread(TCustomComLink* Owner) : TCustomComPacketSenderThread(Owner) {}
    void AddWords(const std::vector<std::string>& Words)
    {
        RegisterCycleStatements();
        for (const std::string& W : Words)
            RegisterCommand(W, [this, W](const std::string& Line, int Position) {
                Calls.push_back(W + "@" + std::to_string(Position) + ":" + Line);
                return true;
            });
    }
    std::vector<std::string> Calls;
};

struct TMatchCase {
    const char* Line;
    const char* Call;  // "" when no word matches
};

const TMatchCase MatchCases[] = {
    {"DipperMoveUp 10", "DipperMoveUp@1:DipperMoveUp 10"},
    {"dippermoveup 10", "DipperMoveUp@1:dippermoveup 10"},
    {"DepPressure=5", "DepPressure=@1:DepPressure=5"},
    {"DepPressure= 5", "DepPressure=@1:DepPressure= 5"},
    {"=DepPressure", "=DepPressure@1:=DepPressure"},
    {"  DipperMoveUp", "DipperMoveUp@3:  DipperMoveUp"},
    {"\tDipperMoveUp 3", "DipperMoveUp@2:\tDipperMoveUp 3"},
    {"DipperMoveUpX 3", ""},
    {"XDipperMoveUp 3", ""},
    // Only the first occurrence of a word is tried.
    {"XDipperMoveUp DipperMoveUp", ""},
    {"BarrierMoveLeft 10", "BarrierMoveLeft@1:BarrierMoveLeft 10"},
    {"Barrier1MoveLeft 10", "Barrier1MoveLeft@1:Barrier1MoveLeft 10"},
    {"nothing here", ""},
    {"", ""},
};

}  // namespace

TEST(SenderThread, MatchesWholeWordsInRegistrationOrder)
{
    TCustomComLink Link;
    TRecordingThread Thread(&Link);
    Thread.AddWords({"DepPressure=", "=DepPressure", "DipperMoveUp", "BarrierMoveLeft", "Barrier1MoveLeft"});
    for (const TMatchCase& C : MatchCases) {
        Thread.Calls.clear();
        const bool Matched = Thread.ExecuteLine(C.Line);
        EXPECT_EQ(Matched, *C.Call != 0) << C.Line;
        if (*C.Call) {
            ASSERT_EQ(Thread.Calls.size(), 1u) << C.Line;
            EXPECT_EQ(Thread.Calls[0], C.Call);
        } else {
            EXPECT_TRUE(Thread.Calls.empty()) << C.Line;
        }
    }
}

TEST(SenderThread, EmptyTableMatchesNothingAndPostsNothing)
{
    TCustomComLink Link;
    TNotifyRecorder Notes;
    TRecordingThread Thread(&Link);
    Thread.SetNotifyTarget(Notes.Handle(), WM_LINKNOTIFY);
    EXPECT_FALSE(Thread.ExecuteLine("REPEAT 3"));
    Application->ProcessMessages();
    EXPECT_TRUE(Notes.Notes.empty());
}

// ----- scripts on the instrument's link, without a port -----------------------------------

class ScriptFixture : public ::testing::Test {
protected:
    void SetUp() override { Link.SetNotifyTarget(Notes.Handle(), WM_LINKNOTIFY); }

    // Runs the script and waits for its end.
    void Run(const TScriptStrings& Script, unsigned TimeoutMs = ConditionWaitMs)
    {
        const std::size_t Before = Notes.WithCode(hlnScriptFinished).size();
        ASSERT_TRUE(Link.RunScript(&Script));
        ASSERT_TRUE(Notes.WaitForCode(hlnScriptFinished, Before + 1, TimeoutMs));
    }
    std::vector<std::string> Trace() const
    {
        std::vector<std::string> R;
        for (const TNote& N : Notes.Notes) {
            std::string S = std::to_string(N.Code);
            if (!N.Text.empty())
                S += " " + N.Text;
            else if (N.Code != hlnScriptStarted && N.Code != hlnScriptFinished)
                S += " " + std::to_string(N.Payload);
            R.push_back(S);
        }
        return R;
    }
    std::size_t LinesRun(int Index) const
    {
        std::size_t Count = 0;
        for (const TNote& N : Notes.WithCode(hlnScriptLine)) Count += N.Payload == Index;
        return Count;
    }

    TNotifyRecorder Notes;
    TZelComLink Link;
};

TEST_F(ScriptFixture, ReportsEveryLineAndFailedLinesInOrder)
{
    Run({"TITLE first", "bogus line", "TITLE last"});
    EXPECT_EQ(Trace(), (std::vector<std::string>{"100", "103 Script running!", "102 0", "102 1", "108 1", "102 2",
                                                 "103 Script finished!", "101"}));
}

TEST_F(ScriptFixture, ScriptWhoseLinesAllFailStillRunsToTheEnd)
{
    Run({"x", "y"});
    EXPECT_EQ(Trace(), (std::vector<std::string>{"100", "103 Script running!", "102 0", "108 0", "102 1", "108 1",
                                                 "103 Script finished!", "101"}));
}

TEST_F(ScriptFixture, RepeatRunsTheBodyAsOftenAsTheWindowAllows)
{
    Notes.Answer = [](std::uint32_t Code, LPARAM) { return Code == hlnRepeatContinue ? 1 : 0; };
    Run({"REPEAT 3", "TITLE body", "endrepeat", "TITLE after"});
    EXPECT_EQ(LinesRun(1), 3u);
    EXPECT_EQ(LinesRun(3), 1u);
    std::vector<LPARAM> Asked;
    for (const TNote& N : Notes.WithCode(hlnRepeatContinue)) Asked.push_back(N.Payload);
    EXPECT_EQ(Asked, (std::vector<LPARAM>{2, 1}));
    EXPECT_EQ(Notes.WithCode(hlnRepeatBegin).at(0).Payload, 3);
    ASSERT_EQ(Notes.WithCode(hlnRepeatNext).size(), 2u);
    EXPECT_EQ(Notes.WithCode(hlnRepeatNext)[1].Payload, 1);
    EXPECT_TRUE(Notes.WithCode(hlnScriptLineFailed).empty());
}

TEST_F(ScriptFixture, RepeatOnceAsksNothingAndWindowThatSaysNoEndsTheCycle)
{
    Run({"REPEAT 1", "TITLE body", "ENDREPEAT"});
    EXPECT_TRUE(Notes.WithCode(hlnRepeatContinue).empty());
    EXPECT_EQ(LinesRun(1), 1u);
    Notes.Notes.clear();
    Run({"REPEAT 5", "TITLE body", "ENDREPEAT"});  // the window answers 0
    EXPECT_EQ(Notes.WithCode(hlnRepeatContinue).size(), 1u);
    EXPECT_EQ(LinesRun(1), 1u);
}

TEST_F(ScriptFixture, RepeatWithoutCountIsEndless)
{
    int Asked = 0;
    Notes.Answer = [&](std::uint32_t Code, LPARAM) { return Code == hlnRepeatContinue && ++Asked < 4 ? 1 : 0; };
    Run({"REPEAT", "ENDREPEAT"});
    EXPECT_EQ(Notes.WithCode(hlnRepeatBegin).at(0).Payload, 536870911);
    EXPECT_EQ(Notes.WithCode(hlnRepeatContinue).at(0).Payload, 536870910);
}

TEST_F(ScriptFixture, InnerCycleEndsAndTheOuterGoesOn)
{
    Notes.Answer = [](std::uint32_t Code, LPARAM) { return Code == hlnRepeatContinue ? 1 : 0; };
    Run({"REPEAT 2", "REPEAT 3", "TITLE inner", "ENDREPEAT", "ENDREPEAT"});
    EXPECT_EQ(LinesRun(2), 6u);
    // The inner cycle starts with one saved cycle: (1 << 29) | 3.
    EXPECT_EQ(Notes.WithCode(hlnRepeatBegin).at(1).Payload, (1 << 29) | 3);
    ASSERT_EQ(Notes.WithCode(hlnRepeatEnd).size(), 2u);
    EXPECT_EQ(Notes.WithCode(hlnRepeatEnd)[0].Payload, 1 << 29);
}

TEST_F(ScriptFixture, EightNestedCyclesRunAndTheNinthAbortsTheScript)
{
    TScriptStrings Eight, Nine;
    for (int i = 0; i < 8; ++i) Eight.push_back("REPEAT 2");
    Eight.push_back("TITLE core");
    for (int i = 0; i < 8; ++i) Eight.push_back("ENDREPEAT");
    Run(Eight);
    EXPECT_TRUE(Notes.WithCode(hlnErrorText).empty());
    EXPECT_EQ(LinesRun(8), 1u);

    Notes.Notes.clear();
    for (int i = 0; i < 9; ++i) Nine.push_back("REPEAT 2");
    Nine.push_back("TITLE never");
    Run(Nine);
    const auto T = Trace();
    const std::vector<std::string> Tail(T.end() - 5, T.end());
    EXPECT_EQ(Tail,
              (std::vector<std::string>{"0 Error! Many the enclosed cycles.", "103 Process aborted",
                                        "105 " + std::to_string((7u << 29) | 2u), "103 Script finished!", "101"}));
    EXPECT_EQ(LinesRun(9), 0u);
}

TEST_F(ScriptFixture, BadRepeatCountIsACommandError)
{
    Run({"REPEAT abc", "TITLE next"});
    EXPECT_EQ(Trace(), (std::vector<std::string>{"100", "103 Script running!", "102 0", "0 Command error!", "108 0",
                                                 "102 1", "103 Script finished!", "101"}));
}

TEST_F(ScriptFixture, EndRepeatWithoutRepeatFailsInsteadOfJumping)
{
    Notes.Answer = [](std::uint32_t, LPARAM) { return 1; };
    Run({"TITLE a", "ENDREPEAT", "TITLE b"});
    EXPECT_EQ(LinesRun(0), 1u);
    EXPECT_EQ(Notes.WithCode(hlnScriptLineFailed).at(0).Payload, 1);
    EXPECT_TRUE(Notes.WithCode(hlnRepeatContinue).empty());
}

TEST_F(ScriptFixture, AbortEndsOnlyTheRunningScript)
{
    int Asked = 0;
    Notes.Answer = [&](std::uint32_t Code, LPARAM) {
        if (Code == hlnRepeatContinue && ++Asked == 3) Link.AbortScript();
        return 1;
    };
    TScriptStrings Endless{"REPEAT", "TITLE loop", "ENDREPEAT"};
    ASSERT_TRUE(Link.RunScript(&Endless));
    TScriptStrings Next{"TITLE next"};
    ASSERT_TRUE(Link.RunScript(&Next));
    ASSERT_TRUE(Notes.WaitForCode(hlnScriptFinished, 2));
    EXPECT_EQ(Notes.WithCode(hlnScriptStarted).size(), 2u);
    const auto Statuses = Notes.WithCode(hlnScriptStatus);
    EXPECT_EQ(
        std::count_if(Statuses.begin(), Statuses.end(), [](const TNote& N) { return N.Text == "Process aborted"; }), 1);
    // The second script ran its line: the abort did not carry over.
    EXPECT_EQ(Notes.WithCode(hlnScriptLine).back().Payload, 0);
    EXPECT_TRUE(Notes.WithCode(hlnScriptLineFailed).empty());
}

TEST_F(ScriptFixture, RunScriptRefusesNothingToRunAndCopiesTheLines)
{
    TScriptStrings Empty;
    EXPECT_FALSE(Link.RunScript(&Empty));
    EXPECT_FALSE(Link.RunScript(nullptr));
    {
        TScriptStrings Gone{"TITLE one\r", "bogus\r"};
        ASSERT_TRUE(Link.RunScript(&Gone));
    }
    ASSERT_TRUE(Notes.WaitForCode(hlnScriptFinished));
    EXPECT_EQ(Notes.WithCode(hlnScriptLineFailed).size(), 1u);
}

TEST(ReceiveSide, MotionReportsSetTheDriveFlags)
{
    TZelComLink Link;
    auto* Thread = Link.Thread();
    struct TCase {
        const char* Packet;
        bool Drive, Rotator, Revolver;
    };
    const TCase Cases[] = {
        {"M03 0005", false, false, false}, {"M03 0006", true, false, false},  {"M03 0000", true, false, false},
        {"M03 0015", true, false, false},  {"M03 0016", false, false, false}, {"M04", true, false, false},
        {"M0A", false, true, false},       {"M0B", false, false, true},
    };
    for (const TCase& C : Cases) {
        Thread->DriveDone = Thread->RotatorDone = Thread->RevolverDone = false;
        const std::string Body = C.Packet;
        Link.DispatchPacket(Body.c_str(), Body.size());
        EXPECT_EQ(Thread->DriveDone.load(), C.Drive) << C.Packet;
        EXPECT_EQ(Thread->RotatorDone.load(), C.Rotator) << C.Packet;
        EXPECT_EQ(Thread->RevolverDone.load(), C.Revolver) << C.Packet;
    }
}

TEST(ReceiveSide, MonitorSeesReceivedAndSpoiledPackets)
{
    TZelComLink Link;
    std::vector<std::string> Lines;
    Link.SetMonitorSink([&](const std::string& Prefix, const std::string& Text) { Lines.push_back(Prefix + Text); });
    Link.PacketReceived(nullptr, "06KOK!");
    Link.PacketReceived(nullptr, "06KOk!");
    EXPECT_EQ(Lines, (std::vector<std::string>{"received: 06KOK!", "received: 06KOk!", "Err CheckSum: 06KOk!"}));
}

// ----- settings ----------------------------------------------------------------------

TEST(LinkSettings, LoadBeforeSettingsFileChangesNothingAndSaveWritesThePortKeys)
{
    TTempDir Dir;
    const std::string File = Dir.File("zel.ini");
    {
        TIniFile Ini(File);
        Ini.WriteString("PortSettings", "Port", "/dev/null-port");
        Ini.WriteInteger("PortSettings", "BaudRate", 13);
        Ini.WriteInteger("PortSettings", "NumRepeatCommand", 2);
        Ini.WriteInteger("PortSettings", "ComfirmationCmdTimeout", 250);
        Ini.WriteInteger("LBL", "MechActivationSteps", 40);
    }
    TZelComLink Link;
    Link.LoadSettings();
    EXPECT_EQ(Link.Port()->GetPort(), "COM1");
    EXPECT_EQ(Link.Port()->BaudRate, 7);
    EXPECT_EQ(Link.Thread()->NumRepeatCommand(), 4);
    EXPECT_EQ(Link.Thread()->ComfirmationCmdTimeout(), 1000);
    EXPECT_EQ(Link.Thread()->MinSendInterval(), 50u);

    Link.SetSettingsFile(0, File.c_str());
    Link.LoadSettings();
    EXPECT_EQ(Link.Port()->GetPort(), "/dev/null-port");
    EXPECT_EQ(Link.Port()->BaudRate, 13);
    EXPECT_EQ(Link.Port()->DataBits, 3);
    EXPECT_EQ(Link.Thread()->NumRepeatCommand(), 2);
    EXPECT_EQ(Link.Thread()->ComfirmationCmdTimeout(), 250);
    EXPECT_EQ(Link.Thread()->MechActivationSteps.load(), 40);

    Link.Port()->SetPort("/dev/other");
    Link.Port()->StopBits = 2;
    Link.SaveSettings();
    TIniFile Ini(File);
    EXPECT_EQ(Ini.ReadString("PortSettings", "Port", ""), "/dev/other");
    EXPECT_EQ(Ini.ReadInteger("PortSettings", "StopBits", -1), 2);
    EXPECT_EQ(Ini.ReadInteger("PortSettings", "DataBits", -1), 3);
    EXPECT_EQ(Ini.ReadInteger("PortSettings", "NumRepeatCommand", -1), 2) << "read-only for the link";
}

TEST(LinkSettings, AttemptsAndTheirWaitOutsideTheirRangeAreTheDefaults)
{
    struct TCase {
        const char* Repeats;
        const char* Timeout;
        int ExpectedRepeats, ExpectedTimeout;
    };
    const TCase Cases[] = {
        {"0", "0", 4, 1000},          {"-3", "-1000", 4, 1000},  {"1", "1", 1, 1},
        {"100", "60000", 100, 60000}, {"101", "60001", 4, 1000}, {"2147483647", "2147483647", 4, 1000},
    };
    TTempDir Dir;
    const std::string File = Dir.File("zel.ini");
    for (const TCase& C : Cases) {
        WriteFileText(File, std::string("[PortSettings]\nNumRepeatCommand=") + C.Repeats +
                                "\nComfirmationCmdTimeout=" + C.Timeout + "\n");
        TZelComLink Link;
        Link.SetSettingsFile(0, File.c_str());
        Link.LoadSettings();
        EXPECT_EQ(Link.Thread()->NumRepeatCommand(), C.ExpectedRepeats) << C.Repeats;
        EXPECT_EQ(Link.Thread()->ComfirmationCmdTimeout(), C.ExpectedTimeout) << C.Timeout;
    }
}

// ----- direct lines between script lines, and script values -----------------------------

class ScriptOnLineFixture : public ScriptFixture {
protected:
    void Open(const std::vector<std::string>& Options = {})
    {
        Emulator = std::make_unique<TEmulatorProcess>(Options);
        ASSERT_FALSE(Emulator->Device().empty());
        Link.Port()->SetPort(Emulator->Device());
        ASSERT_TRUE(Link.Connect());
    }
    void TearDown() override { Link.Disconnect(); }
    std::vector<std::string> FrameTexts() const { return Emulator->FrameTexts(); }
    std::vector<std::string> FrameTexts(std::size_t Count) const { return Emulator->FrameTexts(Count); }
    std::unique_ptr<TEmulatorProcess> Emulator;
};

TEST_F(ScriptOnLineFixture, AbortCutsShortOnlyTheAbortedScriptsExchange)
{
    Open({"--silent", "-1"});
    Link.Thread()->SetComfirmationCmdTimeout(400);
    Link.Thread()->SetNumRepeatCommand(3);
    TScriptStrings Script{"FBSensetivity= 1", "TITLE never"};
    Notes.Answer = [](std::uint32_t Code, LPARAM) { return Code == hlnConvFBSensetivity ? 1 : 0; };
    ASSERT_TRUE(Link.RunScript(&Script));
    // Keep answering the conversion question while the packet goes out.
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return !Emulator->Frames().empty(); }, ConditionWaitMs));
    Link.AbortScript();
    ASSERT_TRUE(Notes.WaitForCode(hlnScriptFinished));
    // The script's packet counted as confirmed after its first attempt; the stop packet
    // went out once; the link stays up and nothing says the device is gone.
    EXPECT_EQ(FrameTexts(2), (std::vector<std::string>{"@85 01 03 00000001$<00>", "@E6 06 00$<00>"}));
    EXPECT_TRUE(Link.IsConnected());
    EXPECT_TRUE(Notes.WithCode(hlnErrorText).empty());
    EXPECT_EQ(LinesRun(1), 0u);

    // A direct line afterwards gets no shortcut: every attempt, then the port closes.
    Link.SendCommand("DriveAllStop", nullptr, 0);
    ASSERT_TRUE(Notes.WaitForCode(hlnErrorText, 1, ConditionWaitMs));
    EXPECT_EQ(FrameTexts(5).size(), 5u);
    EXPECT_FALSE(Link.IsConnected());
}

// With a send interval far longer than any stall of a busy machine, the attempt after a
// refusal still comes well before the interval is over.
TEST_F(ScriptOnLineFixture, RepeatedAttemptDoesNotWaitForTheSendInterval)
{
    Open({"--nak", "1"});
    Link.Thread()->SetMinSendInterval(20000);
    Link.SendCommand("DriveAllStop", nullptr, 0);
    const std::vector<std::string> Frames = FrameTexts(2);
    ASSERT_EQ(Frames.size(), 2u);
    EXPECT_EQ(Frames[0], Frames[1]);
    const auto Logged = Emulator->Frames();
    EXPECT_LT(Logged[1].Us - Logged[0].Us, 10000000);
}

TEST_F(ScriptOnLineFixture, AbortWithoutScriptSendsTheStopPacketAndTheNextScriptRuns)
{
    Open();
    Link.AbortScript();
    ASSERT_TRUE(Emulator->WaitForFrames(1, ConditionWaitMs));
    EXPECT_EQ(FrameTexts()[0], "@E6 06 00$<00>");
    Run({"TITLE a", "TITLE b"});
    EXPECT_EQ(LinesRun(1), 1u);
    EXPECT_TRUE(Notes.WithCode(hlnScriptLineFailed).empty());
}

TEST_F(ScriptOnLineFixture, LocalLinesAreRecognisedOnlyAsWritten)
{
    Open();
    std::vector<TComSetupChoice> Shown;
    auto Previous = SetComSetupInterceptor([&](TComSetupChoice& C) {
        Shown.push_back(C);
        return false;
    });
    EXPECT_EQ(Link.SendCommand("ShowSetup", nullptr, 0), 1);
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Shown[0].Port, Emulator->Device());
    for (const char* Line : {"showsetup", "ShowBuffer ", "showbuffer"})
        EXPECT_EQ(Link.SendCommand(Line, nullptr, 0), 1);
    Link.SendCommand("DriveAllStop", nullptr, 0);
    ASSERT_TRUE(Emulator->WaitForFrames(1, ConditionWaitMs));
    Application->ProcessMessagesUntil([] { return false; }, 100);
    EXPECT_EQ(Shown.size(), 1u);
    EXPECT_EQ(Emulator->Frames().size(), 1u) << "lines without a command word send nothing";
    EXPECT_TRUE(Notes.WithCode(hlnErrorText).empty());
    SetComSetupInterceptor(Previous);
}

TEST_F(ScriptOnLineFixture, LateAcknowledgementOfAnAbandonedAttemptIsNeverTakenForTheNextPacket)
{
    // The instrument answers every attempt, each later than the time-out: the first
    // attempt's answer ends the second attempt's wait, and the second attempt's answer
    // comes while the next packet is due.
    Open({"--ack-delay", "450"});
    Link.Thread()->SetComfirmationCmdTimeout(300);
    Link.Thread()->SetNumRepeatCommand(4);
    std::mutex Lock;
    std::vector<std::string> Monitor;
    Link.SetMonitorSink([&](const std::string& Prefix, const std::string& Text) {
        std::lock_guard<std::mutex> Guard(Lock);
        Monitor.push_back(Prefix + Text);
    });
    char Version[100] = {};
    char Name[100] = {};
    Link.SendCommand("=DeviceVersion", Version, sizeof Version);
    Link.SendCommand("=DeviceName", Name, sizeof Name);
    EXPECT_STREQ(Version, "1.0");
    EXPECT_STREQ(Name, "Trough Emulator");
    Link.SendCommand("DriveAllStop", nullptr, 0);
    ASSERT_TRUE(Emulator->WaitForFrames(6, 5000));
    Application->ProcessMessagesUntil([] { return false; }, 700);
    // Every packet went out twice, none more often.
    const std::vector<std::string> Frames = FrameTexts();
    for (const std::string& Frame : Frames) EXPECT_EQ(std::count(Frames.begin(), Frames.end(), Frame), 2) << Frame;
    EXPECT_EQ(Frames.size(), 6u);
    // The sink goes first: the link's monitor lock is never taken under the test's lock.
    Link.SetMonitorSink(nullptr);
    std::lock_guard<std::mutex> Guard(Lock);
    EXPECT_NE(std::find(Monitor.begin(), Monitor.end(), "late reply dropped: OK!1.0"), Monitor.end());
    EXPECT_NE(std::find(Monitor.begin(), Monitor.end(), "late reply dropped: OK!Trough Emulator"), Monitor.end());
    EXPECT_TRUE(Link.IsConnected());
}

TEST(LinkLifetime, EndsWhileTheScriptWaitsForTheWindowsAnswer)
{
    TNotifyRecorder Notes;
    bool Asked = false;
    Notes.Answer = [&](std::uint32_t Code, LPARAM) {
        Asked = Asked || Code == hlnRepeatContinue;
        return 1;
    };
    auto Link = std::make_unique<TZelComLink>();
    Link->SetNotifyTarget(Notes.Handle(), WM_LINKNOTIFY);
    TScriptStrings Endless{"REPEAT", "ENDREPEAT"};
    ASSERT_TRUE(Link->RunScript(&Endless));
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Asked; }, ConditionWaitMs));
    // Ending the link must not wait for ever on the question in flight.
    const auto Begin = std::chrono::steady_clock::now();
    Link.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - Begin, std::chrono::milliseconds(ConditionWaitMs));
}

TEST_F(ScriptOnLineFixture, ScriptValuesAreConvertedAndDirectLinesStayHexadecimal)
{
    Open();
    bool Interleaved = false;
    Notes.Answer = [&](std::uint32_t Code, LPARAM Payload) -> LRESULT {
        if (Code == hlnConvFBSensetivity) return static_cast<LRESULT>(*reinterpret_cast<const double*>(Payload) * 7);
        if (Code == hlnRepeatContinue && !Interleaved) {
            Interleaved = true;
            Link.SendCommand("FBSensetivity= 00000010", nullptr, 0);
        }
        return Code == hlnRepeatContinue ? 1 : 0;
    };
    Run({"REPEAT 3", "FBSensetivity= 10\r", "ENDREPEAT"});
    const std::vector<std::string> Frames = FrameTexts(4);
    // 10 converted to 70 (0x46) in each pass; the direct line in between keeps its hex value.
    ASSERT_EQ(Frames.size(), 4u);
    EXPECT_EQ(Frames[0], "@8E 01 03 00000046$<00>");
    EXPECT_EQ(Frames[1], "@85 01 03 00000010$<00>");
    EXPECT_EQ(Frames[2], Frames[0]);
    EXPECT_TRUE(Notes.WithCode(hlnScriptLineFailed).empty());
}
