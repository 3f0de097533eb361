// Scripts run by the link against the emulator: the exact notices and packets of cycles,
// pauses, rocking, drive waits, direct lines between script lines, aborts and failures.
#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <vector>
#include "ScriptFixture.h"
#include "TestSupport.h"

namespace {

std::string CycleWord(unsigned Saved, unsigned Count)
{
    return std::to_string((static_cast<std::uint64_t>(Saved) << 29) | Count);
}

// The payload of a revolver turn.
std::string RevolverTurn(int Direction, unsigned Steps)
{
    return "0B " + HexDigits(static_cast<unsigned>(Direction), 2) + " " + Hex8(Steps);
}

}  // namespace

using ScriptRun = ScriptFixture;

TEST_F(ScriptRun, NestedCyclesRunTheirBodiesAndReportEachPass)
{
    Start();
    RepeatAnswers = {1, 1, 1, 1, 1, 1};
    RunScript({"REPEAT 2", "Info outer", "REPEAT 3", "DipperMoveUp 1.5", "ENDREPEAT", "ENDREPEAT"});
    ASSERT_TRUE(WaitFinished());
    const std::vector<std::string> Inner = {
        "102 2", "105 " + CycleWord(1, 3), "102 3", "102 4", "107 " + CycleWord(1, 2), "102 3",
        "102 4", "107 " + CycleWord(1, 1), "102 3", "102 4", "106 " + CycleWord(1, 0)};
    std::vector<std::string> Body = {"102 0", "105 2", "102 1", "192 outer"};
    Body.insert(Body.end(), Inner.begin(), Inner.end());
    for (const char* E : {"102 5", "107 1", "102 1", "192 outer"}) Body.push_back(E);
    Body.insert(Body.end(), Inner.begin(), Inner.end());
    Body.push_back("102 5");
    EXPECT_EQ(Trace, ScriptTrace(Body));
    const std::vector<std::string> InnerQuestions = {"1005 1.5", "104 2", "1005 1.5", "104 1", "1005 1.5"};
    std::vector<std::string> Asked = InnerQuestions;
    Asked.push_back("104 1");
    Asked.insert(Asked.end(), InnerQuestions.begin(), InnerQuestions.end());
    EXPECT_EQ(Questions, Asked);
    EXPECT_EQ(Payloads(6), std::vector<std::string>(6, "03 07 0000000F"));
}

TEST_F(ScriptRun, NinthNestedCycleAbortsTheScript)
{
    Start();
    TScriptStrings Lines(9, "REPEAT 2");
    Lines.push_back("Info never");
    Lines.insert(Lines.end(), 9, "ENDREPEAT");
    RunScript(Lines);
    ASSERT_TRUE(WaitFinished());
    std::vector<std::string> Body;
    for (unsigned i = 0; i < 8; ++i) {
        Body.push_back("102 " + std::to_string(i));
        Body.push_back("105 " + CycleWord(i, 2));
    }
    for (const std::string E : {"102 8", "0 Error! Many the enclosed cycles.", "103 Process aborted"})
        Body.push_back(E);
    Body.push_back("105 " + CycleWord(7, 2));
    EXPECT_EQ(Trace, ScriptTrace(Body));
    // The abort stops the instrument's process.
    ASSERT_TRUE(WaitFrames(1));
    EXPECT_EQ(Payloads(), std::vector<std::string>{"06 00"});
}

TEST_F(ScriptRun, PauseCountsDownOncePerSecond)
{
    Start();
    RunScript({"Pause 3"});
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "198 3", "198 2", "198 1", "198 0"}));
    ASSERT_EQ(PauseTimes.size(), 4u);
    // Notices are timed when the window handles them, so a busy machine blurs each step;
    // the steps still come at least about a second apart and the whole takes three seconds
    // (a slow machine only stretches it).
    for (std::size_t i = 1; i < PauseTimes.size(); ++i) EXPECT_GE(PauseTimes[i] - PauseTimes[i - 1], 500) << i;
    EXPECT_GE(PauseTimes.back() - PauseTimes.front(), 2800);
    EXPECT_TRUE(Payloads().empty());
}

TEST_F(ScriptRun, PauseInADryRunOnlyEnds)
{
    Start();
    Link->SendCommand("ExecuteCommand= 0", nullptr, 0);
    RunScript({"Pause 3"});
    ASSERT_TRUE(WaitFinished());
    // A pause that waited would have counted down 3, 2, 1 first.
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "198 0"}));
}

TEST_F(ScriptRun, RockingWithoutTimeSwingsOutAndBack)
{
    Start();
    RunScript({"MechActivaton 100", "Pause 0"});
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "102 1", "198 0", "198 0", "198 0"}));
    EXPECT_EQ(Payloads(2), (std::vector<std::string>{RevolverTurn(1, 100), RevolverTurn(2, 100)}));
}

TEST_F(ScriptRun, RockingPauseSwingsSideToSideAndEndsInTheCentre)
{
    Start();
    RunScript({"MechActivaton 100", "Pause 2", "MechActivaton 100", "Pause 0"});
    ASSERT_TRUE(WaitFinished(ConditionWaitMs));
    // The emulator answers a control line after logging every frame it received before.
    ASSERT_TRUE(Emulator->Control("sync"));
    const std::vector<std::string> P = Payloads();
    ASSERT_GE(P.size(), 6u);
    // Half a swing out, full swings from side to side, half a swing back.
    const std::size_t First = P.size() - 2;  // the second pause's two moves
    EXPECT_EQ(P[0], RevolverTurn(1, 100));
    for (std::size_t i = 1; i + 1 < First; ++i) EXPECT_EQ(P[i], RevolverTurn(i % 2 ? 2 : 1, 200)) << i;
    EXPECT_EQ(P[First - 1], RevolverTurn(First % 2 ? 1 : 2, 100));
    // The next pause starts from the centre again.
    EXPECT_EQ(P[First], RevolverTurn(1, 100));
    EXPECT_EQ(P[First + 1], RevolverTurn(2, 100));
    // One countdown notice before each move and one at the end, counting down from 2 s.
    std::vector<std::string> Pause;
    for (const std::string& E : Trace)
        if (E.rfind("198 ", 0) == 0) Pause.push_back(E);
    ASSERT_EQ(Pause.size(), First + 1 + 3);
    // Whole seconds left, falling: 2 at the start (1 when the clock ticked in between).
    EXPECT_TRUE(Pause.front() == "198 2" || Pause.front() == "198 1") << Pause.front();
    for (std::size_t i = 1; i <= First; ++i) EXPECT_LE(Pause[i], Pause[i - 1]) << i;
    EXPECT_EQ(Pause[First], "198 0");
    EXPECT_GE(PauseTimes[First - 1] - PauseTimes[0], 1500);
}

TEST_F(ScriptRun, RockingStaysArmedThroughADryRunPause)
{
    Start();
    RunScript({"MechActivaton 100", "ExecuteCommand= 0", "Pause 0", "ExecuteCommand= 1", "Pause 0"});
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "102 1", "102 2", "198 0", "102 3", "102 4", "198 0", "198 0", "198 0"}));
    EXPECT_EQ(Payloads(2), (std::vector<std::string>{RevolverTurn(1, 100), RevolverTurn(2, 100)}));
}

TEST_F(ScriptRun, RockingWithoutANumberArmsTheConfiguredAmplitude)
{
    TIniFile(Dir.File("zel.ini")).WriteInteger("LBL", "MechActivationSteps", 50);
    Start();
    RunScript({"MechActivaton", "Pause 0"});
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "103 Error of decode value!", "102 1", "198 0", "198 0", "198 0"}));
    EXPECT_EQ(Payloads(2), (std::vector<std::string>{RevolverTurn(1, 50), RevolverTurn(2, 50)}));
}

// Each drive word of a carried-out script line holds the script until the instrument
// reports that very drive stopped; other reports pass it by.
TEST_F(ScriptRun, EachDriveWaitIsReleasedOnlyByItsOwnStopReport)
{
    struct TCase {
        const char* Line;
        std::vector<const char*> Others;
        const char* Own;
    };
    const TCase Cases[] = {
        {"Barrier1MoveLeft 5000", {"M0A", "M0B", "M03 0001"}, "M03 0003"},
        {"DipperMoveDown 1000", {"M0A", "M0B", "M03 0008"}, "M04 00"},
        {"RotateDipperCW 5000", {"M04 00", "M0B", "M03 0000"}, "M0A"},
        {"RotateRevolverCCW 5000", {"M04 00", "M0A"}, "M0B"},
    };
    Start();
    // At a step a second the drives take hours over these moves: only the reports the
    // test sends can end the waits.
    for (const char* Speed : {"BarrierSpeed= 00000001", "DipperSpeed= 00000001", "RotationSpeed= 00000001"})
        Link->SendCommand(Speed, nullptr, 0);
    ASSERT_TRUE(WaitFrames(3));
    TScriptStrings Lines;
    for (std::size_t i = 0; i < std::size(Cases); ++i) {
        Lines.push_back(Cases[i].Line);
        Lines.push_back("Info " + std::to_string(i));
    }
    RunScript(Lines);
    for (std::size_t i = 0; i < std::size(Cases); ++i) {
        SCOPED_TRACE(Cases[i].Line);
        ASSERT_TRUE(WaitFrames(i + 4));
        for (const char* Other : Cases[i].Others) ASSERT_TRUE(Emulator->Control(std::string("send ") + Other));
        Settle(300);
        EXPECT_FALSE(WaitTrace("192 " + std::to_string(i), 0));
        ASSERT_TRUE(Emulator->Control(std::string("send ") + Cases[i].Own));
        EXPECT_TRUE(WaitTrace("192 " + std::to_string(i), ConditionWaitMs));
    }
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Payloads(7),
              (std::vector<std::string>{"01 01 00000001", "01 02 00000001", "0C 00 00000001", "03 01 0000C350",
                                        "03 08 00002710", "0A 01 0000C350", "0B 02 0000C350"}));
}

TEST_F(ScriptRun, PressureMoveHoldsTheScriptUntilTheBarriersStop)
{
    Start();
    // 7200 counts: 40.96 mN/m of the demonstration film, a while of closing away.
    RunScript({"BarrierMoveToPressure 720", "Info reached"});
    ASSERT_TRUE(WaitFinished(ConditionWaitMs));
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "102 1", "192 reached"}));
    EXPECT_EQ(Payloads(2), (std::vector<std::string>{"05 0A 00001C20", "06 03"}));
}

TEST_F(ScriptRun, DirectLineRunsBeforeTheNextScriptLine)
{
    Start();
    RunScript({"Info start", "Pause 1", "DipperMoveUp 2"});
    ASSERT_TRUE(WaitTrace("198 1"));
    // A direct line reads its value in hex and asks nothing of the window.
    Link->SendCommand("DipperSpeed= 00000010", nullptr, 0);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "192 start", "102 1", "198 1", "198 0", "102 2"}));
    EXPECT_EQ(Questions, std::vector<std::string>{"1005 2"});
    EXPECT_EQ(Payloads(2), (std::vector<std::string>{"01 02 00000010", "03 07 00000014"}));
}

// A pause or delay ends at the abort, also one that counts below zero and would never
// end by itself.
TEST_F(ScriptRun, AbortEndsAPauseOrDelayAtOnce)
{
    struct TCase {
        const char* Line;
        const char* AbortAfter;  // the notice the abort waits for; null: abort after a second
        std::vector<std::string> Pause;
    };
    const TCase Cases[] = {
        {"Pause 30", "198 30", {"198 30"}},
        {"Pause -1", "198 -2", {"198 -1", "198 -2"}},
        {"Delay -1", nullptr, {}},
    };
    Start();
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Line);
        Trace.clear();
        const std::size_t Before = Finished;
        RunScript({C.Line, "Info never"});
        if (C.AbortAfter)
            ASSERT_TRUE(WaitTrace(C.AbortAfter, ConditionWaitMs));
        else
            Settle(1200);
        Link->AbortScript();
        // Uncut, the first pause runs half a minute and the others for ever.
        ASSERT_TRUE(WaitFinished(20000, Before + 1));
        std::vector<std::string> Body = {"102 0"};
        Body.insert(Body.end(), C.Pause.begin(), C.Pause.end());
        Body.push_back("103 Process aborted");
        if (std::string(C.Line).rfind("Pause", 0) == 0) Body.push_back("198 0");
        EXPECT_EQ(Trace, ScriptTrace(Body));
    }
    ASSERT_TRUE(WaitFrames(3));
    EXPECT_EQ(Payloads(), std::vector<std::string>(3, "06 00"));
}

TEST_F(ScriptRun, AbortEndsADriveWaitAndTheNextScriptRuns)
{
    Start();
    // At a step a second the move takes half a day.
    Link->SendCommand("BarrierSpeed= 00000001", nullptr, 0);
    RunScript({"Barrier1MoveLeft 5000", "Info never"});
    ASSERT_TRUE(WaitFrames(2));
    Settle(100);
    Link->AbortScript();
    ASSERT_TRUE(WaitFinished(ConditionWaitMs));
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "103 Process aborted"}));
    EXPECT_EQ(Questions, std::vector<std::string>{"1006 5000"});
    ASSERT_TRUE(WaitFrames(3));
    EXPECT_EQ(Payloads(), (std::vector<std::string>{"01 01 00000001", "03 01 0000C350", "06 00"}));

    Trace.clear();
    RunScript({"Info again"});
    ASSERT_TRUE(WaitFinished(ConditionWaitMs, 2));
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "192 again"}));
}

TEST_F(ScriptRun, FailuresInTheMiddleLetTheScriptGoOn)
{
    // Four refusals: the first move fails every attempt and the link disconnects.
    Start({"--nak", "4"}, TSettings{4, 300, false});
    RunScript({"Info a", "Pause x", "DipperMoveUp 1", "Info b", "DipperMoveDown 1", "Pause 1"});
    ASSERT_TRUE(WaitFinished(ConditionWaitMs));
    EXPECT_EQ(Trace,
              ScriptTrace({"102 0", "192 a", "102 1", "103 Error of decode value!", "108 1", "102 2",
                           "0 Device not responding", "108 2", "102 3", "192 b", "102 4", "108 4", "102 5", "198 0"}));
    EXPECT_EQ(Questions, (std::vector<std::string>{"1005 1", "1005 1"}));
    ASSERT_TRUE(WaitFrames(4));
    EXPECT_EQ(Payloads(), std::vector<std::string>(4, "03 07 0000000A"));
    EXPECT_FALSE(Link->IsConnected());
}

TEST_F(ScriptRun, StatementsHandTheirValuesToTheWindow)
{
    Start();
    const auto Begin = std::chrono::steady_clock::now();
    RunScript({"Label first", "Info", "RecordOn", "RecordOff", "NewLayer", "DipperZero", "DipperHeight= 12.5",
               "PlateArea= 3,5", "PlateArea= abc", "Delay 1", "Info done"});
    ASSERT_TRUE(WaitFinished());
    EXPECT_GE(std::chrono::steady_clock::now() - Begin, std::chrono::milliseconds(950));
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "191 first", "102 1", "192 ",  "102 2", "193 1",  "102 3",
                                  "193 0", "102 4",     "194 0", "102 5", "195 0", "102 6",  "196 12.5",
                                  "102 7", "197 3.5",   "102 8", "108 8", "102 9", "102 10", "192 done"}));
    EXPECT_TRUE(Payloads().empty());
}

TEST_F(ScriptRun, StatementsWorkInDirectLinesToo)
{
    Start();
    for (const char* Line : {"Label direct", "PlateArea= 2.5", "Pause 1", "Info end"})
        Link->SendCommand(Line, nullptr, 0);
    ASSERT_TRUE(WaitTrace("192 end", ConditionWaitMs));
    EXPECT_EQ(Trace, (std::vector<std::string>{"191 direct", "197 2.5", "198 1", "198 0", "192 end"}));
    EXPECT_TRUE(Payloads().empty());
}

TEST_F(ScriptRun, MoveDipperToCellTurnsFromWhereTheDrivesStand)
{
    Start();
    RunScript({"MoveDipperToCell 3", "MoveDipperToCell 1", "MoveDipperToCell 1"});
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "102 1", "102 2"}));
    EXPECT_EQ(Questions, (std::vector<std::string>{"1011 3", "1012 3", "1011 1", "1012 1", "1011 1", "1012 1"}));
    // The window puts cell 3 at 30 steps of each drive, cell 1 at 10; the last line
    // finds both drives in place and turns nothing.
    EXPECT_EQ(Payloads(4),
              (std::vector<std::string>{"0A 01 0000001E", "0B 01 0000001E", "0A 02 00000014", "0B 02 00000014"}));
}
