// The prognosis of a script: a dry run fills the program's record step by step, one
// notice per step, and sends only what goes out in a dry run; a real run follows the
// record too; a detached record is left alone.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "ScriptFixture.h"

namespace {

struct TStep {
    double barrier1Pos, barrier2Pos, dipperPos, time, dipperRotatorAngle, revolverAngle, doserPos;
};

void ExpectRecord(const TScriptPrognosisStatus& R, const TStep& E)
{
    EXPECT_DOUBLE_EQ(R.barrier1Pos, E.barrier1Pos);
    EXPECT_DOUBLE_EQ(R.barrier2Pos, E.barrier2Pos);
    EXPECT_DOUBLE_EQ(R.dipperPos, E.dipperPos);
    EXPECT_DOUBLE_EQ(R.time, E.time);
    EXPECT_DOUBLE_EQ(R.dipperRotatorAngle, E.dipperRotatorAngle);
    EXPECT_DOUBLE_EQ(R.revolverAngle, E.revolverAngle);
    EXPECT_DOUBLE_EQ(R.doserPos, E.doserPos);
}

}  // namespace

class Prognosis : public ScriptFixture {
protected:
    // As the script window does before a run: time 0, dipper and barrier where they stand.
    TScriptPrognosisStatus Status{100, 0, 50, 0, 0, 0, 0};

    void Attach(bool DryRun)
    {
        Record = &Status;
        Link->SendCommand("CalcScriptPrognosis= " + AddressText(&Status), nullptr, 0);
        Link->SendCommand(DryRun ? "ExecuteCommand= 0" : "ExecuteCommand= 1", nullptr, 0);
    }
};

TEST_F(Prognosis, DryRunPredictsEveryStepAndSendsOnlyTheRotationSpeed)
{
    Start();
    Attach(true);
    RunScript({"DipperSpeed= 2", "Barrier1Speed= 4", "DipperMoveDown 10", "Barrier1MoveLeft 8", "Barrier1MoveRight 2",
               "Pause 30", "RotationSpeed= 0.5", "RotateRevolverCW 3", "MoveDipperToCell 2", "DoserMoveUp 1", "Delay 5",
               "Barrier2MoveLeft 4", "DipperStop"});
    ASSERT_TRUE(WaitFinished(ConditionWaitMs));
    // Worked by hand in seconds: a drive's speed is per minute, so a move takes 60 x travel
    // over speed (the doser at its default speed 1, barrier 2 without a speed left out);
    // the pause and the delay add their seconds; a rotation and the cell move, whose speed
    // has no time unit, add the angle or both cell values over the rotation speed.
    const TStep Expected[] = {
        {100, 0, 40, 300, 0, 0, 0},  // DipperMoveDown 10 at 2 mm/min
        {108, 0, 40, 420, 0, 0, 0},  // Barrier1MoveLeft 8 at 4 mm/min
        {106, 0, 40, 450, 0, 0, 0},  // Barrier1MoveRight 2 at 4 mm/min
        {106, 0, 40, 480, 0, 0, 0},  // Pause 30
        {106, 0, 40, 486, 0, 3, 0},  // RotateRevolverCW 3 at 0.5
        {106, 0, 40, 494, 2, 2, 0},  // MoveDipperToCell 2: 2 / 0.5 + 2 / 0.5
        {106, 0, 40, 554, 2, 2, 1},  // DoserMoveUp 1 at 1 ml/min
        {106, 0, 40, 559, 2, 2, 1},  // Delay 5
    };
    ASSERT_EQ(Steps.size(), std::size(Expected));
    for (std::size_t i = 0; i < Steps.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectRecord(Steps[i], Expected[i]);
    }
    ExpectRecord(Status, Expected[std::size(Expected) - 1]);
    // In a dry run only the rotation speed and the stop go out (0.5 is 5 for this window).
    ASSERT_TRUE(WaitFrames(2));
    EXPECT_EQ(Payloads(), (std::vector<std::string>{"0C 00 00000005", "03 09 00000000"}));
    EXPECT_EQ(Questions, (std::vector<std::string>{"1004 2", "1003 4", "1005 10", "1006 8", "1006 2", "1013 0.5",
                                                   "1010 3", "1011 2", "1012 2", "1016 1", "1006 4"}));
    // No countdown in a dry run.
    std::vector<std::string> Pauses;
    for (const std::string& E : Trace)
        if (E.rfind("198", 0) == 0) Pauses.push_back(E);
    EXPECT_EQ(Pauses, std::vector<std::string>{"198 0"});
}

TEST_F(Prognosis, RealRunFollowsTheRecordAfterEachWait)
{
    Start();
    Attach(false);
    RunScript({"DipperSpeed= 2", "DipperMoveUp 4", "Pause 1"});
    ASSERT_TRUE(WaitFinished());
    Settle(100);
    ASSERT_EQ(Steps.size(), 2u);
    ExpectRecord(Steps[0], {100, 0, 54, 120, 0, 0, 0});  // 4 mm at 2 mm/min
    ExpectRecord(Status, {100, 0, 54, 121, 0, 0, 0});
    EXPECT_EQ(Payloads(2), (std::vector<std::string>{"01 02 00000014", "03 07 00000028"}));
}

TEST_F(Prognosis, DetachedRecordAndDirectLinesLeaveTheRecordAlone)
{
    Start();
    Attach(true);
    // A direct line reads its speed in hex: the prognosis speed becomes 0.
    Link->SendCommand("DipperSpeed= 00000002", nullptr, 0);
    Link->SendCommand("DipperMoveUp 00000010", nullptr, 0);
    RunScript({"DipperMoveUp 4", "RotateDipperCW 2"});
    ASSERT_TRUE(WaitFinished());
    ASSERT_EQ(Steps.size(), 1u);  // only the rotation, at its default speed 1
    ExpectRecord(Status, {100, 0, 50, 2, 2, 0, 0});

    Link->SendCommand("CalcScriptPrognosis= 0000000000000000", nullptr, 0);
    RunScript({"RotateDipperCW 2", "Pause 3"});
    ASSERT_TRUE(WaitFinished(ConditionWaitMs, 2));
    EXPECT_EQ(Steps.size(), 1u);
    ExpectRecord(Status, {100, 0, 50, 2, 2, 0, 0});
}

TEST_F(Prognosis, AnAddressInScriptTextIsRefused)
{
    Start();
    RunScript({"CalcScriptPrognosis= " + AddressText(&Status), "DipperSpeed= 1", "DipperMoveUp 1"});
    ASSERT_TRUE(WaitFinished());
    EXPECT_TRUE(Steps.empty());
    EXPECT_EQ(Trace, ScriptTrace({"102 0", "108 0", "102 1", "102 2"}));
    ExpectRecord(Status, {100, 0, 50, 0, 0, 0, 0});
}
