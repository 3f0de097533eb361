// The state the instrument's words share, on a link that is not connected (every packet
// fails at once, nothing waits): the dry-run switch, the prognosis record's address, the
// prognosis speeds and the prognosis steps of the moves.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>
#include "hwzel/NotifyRecorder.h"
#include "hwzel/ZelComLink.h"
#include "hwzel/ZelCommandSet.h"
#include "platform/ui/Application.h"

namespace {

class CommandSetState : public ::testing::Test {
protected:
    void SetUp() override
    {
        Link.SetNotifyTarget(Notes.Handle(), WM_LINKNOTIFY);
        // Script values come back as ten times the number.
        Notes.Answer = [](std::uint32_t Code, LPARAM Payload) -> LRESULT {
            if (Code < hlnConvFBSensetivity) return 0;
            return static_cast<LRESULT>(*reinterpret_cast<const double*>(Payload) * 10);
        };
    }
    TZelCommandSet& Set() { return *Link.Thread()->CommandSet; }
    // A direct line, run here while the sender thread is idle.
    bool Direct(const std::string& Line) { return Link.Thread()->ExecuteLine(Line); }
    void Run(const TScriptStrings& Script)
    {
        const std::size_t Finished = Notes.WithCode(hlnScriptFinished).size();
        ASSERT_TRUE(Link.RunScript(&Script));
        ASSERT_TRUE(Notes.WaitForCode(hlnScriptFinished, Finished + 1, ConditionWaitMs));
    }
    std::vector<LPARAM> FailedLines() const
    {
        std::vector<LPARAM> R;
        for (const TNote& N : Notes.WithCode(hlnScriptLineFailed)) R.push_back(N.Payload);
        return R;
    }
    static std::string AttachLine(const void* Record)
    {
        char Line[64];
        std::snprintf(Line, sizeof Line, "%s %016llX", "CalcScriptPrognosis=",
                      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(Record)));
        return Line;
    }

    TNotifyRecorder Notes;
    TZelComLink Link;
};

}  // namespace

TEST_F(CommandSetState, PrognosisRecordIsAttachedByItsFullAddress)
{
    TScriptPrognosisStatus Record{};
    EXPECT_TRUE(Direct(AttachLine(&Record)));
    EXPECT_EQ(Set().Prognosis, &Record);
    EXPECT_TRUE(Set().PrognosisOn);

    EXPECT_TRUE(Direct("CalcScriptPrognosis= 0000000000000000"));
    EXPECT_EQ(Set().Prognosis, nullptr);
    EXPECT_FALSE(Set().PrognosisOn);
    // The short form of a null address detaches as well.
    EXPECT_TRUE(Direct(AttachLine(&Record)));
    EXPECT_TRUE(Direct("CalcScriptPrognosis= 00000000"));
    EXPECT_FALSE(Set().PrognosisOn);

    // Too short: the prognosis goes off, the address stays.
    EXPECT_TRUE(Direct(AttachLine(&Record)));
    EXPECT_FALSE(Direct("CalcScriptPrognosis= 1234"));
    EXPECT_FALSE(Set().PrognosisOn);
    EXPECT_EQ(Set().Prognosis, &Record);
}

TEST_F(CommandSetState, ScriptTextCannotChooseThePrognosisAddress)
{
    TScriptPrognosisStatus Record{};
    ASSERT_TRUE(Direct("CalcScriptPrognosis= 0000000000000000"));
    Run({AttachLine(&Record), "CalcScriptPrognosis= 00000000"});
    EXPECT_EQ(FailedLines(), (std::vector<LPARAM>{0, 1}));
    EXPECT_EQ(Set().Prognosis, nullptr);
    EXPECT_FALSE(Set().PrognosisOn);
}

TEST_F(CommandSetState, SpeedSettersStoreThePrognosisSpeeds)
{
    EXPECT_DOUBLE_EQ(Set().PrognosisDoserSpeed, 1.0);
    EXPECT_DOUBLE_EQ(Set().PrognosisRotationSpeed, 1.0);
    Run({"DipperSpeed= 2", "Barrier1Speed= 3", "Barrier2Speed= 4", "DoserSpeed= 5", "RotationSpeed= 6"});
    EXPECT_DOUBLE_EQ(Set().PrognosisDipperSpeed, 2);
    EXPECT_DOUBLE_EQ(Set().PrognosisBarrier1Speed, 3);
    EXPECT_DOUBLE_EQ(Set().PrognosisBarrier2Speed, 4);
    EXPECT_DOUBLE_EQ(Set().PrognosisDoserSpeed, 5);
    EXPECT_DOUBLE_EQ(Set().PrognosisRotationSpeed, 6);

    // A failed reading stores 0, except for the rotation speed, which keeps its value.
    Run({"BarrierSpeed= 7", "DipperSpeed= fast", "RotationSpeed= fast"});
    EXPECT_DOUBLE_EQ(Set().PrognosisBarrier1Speed, 7);
    EXPECT_DOUBLE_EQ(Set().PrognosisDipperSpeed, 0);
    EXPECT_DOUBLE_EQ(Set().PrognosisRotationSpeed, 6);

    // A direct line reads hex and stores no number.
    Direct("Barrier1Speed= 00000100");
    EXPECT_DOUBLE_EQ(Set().PrognosisBarrier1Speed, 0);
}

TEST_F(CommandSetState, ExecuteCommandSwitchesTheDryRun)
{
    EXPECT_TRUE(Direct("ExecuteCommand= 0"));
    EXPECT_FALSE(Set().ExecuteCommands);
    EXPECT_FALSE(Direct("ExecuteCommand= yes"));
    EXPECT_FALSE(Set().ExecuteCommands);
    EXPECT_TRUE(Direct("ExecuteCommand= 1"));
    EXPECT_TRUE(Set().ExecuteCommands);
    Application->ProcessMessagesUntil([] { return false; }, 100);
    EXPECT_TRUE(Notes.WithCode(hlnScriptStatus).empty()) << "a bad switch posts nothing";
}

TEST_F(CommandSetState, MovesOfAScriptReportTheirPrognosisStep)
{
    struct TStep {
        TPrognosisEffect Effect;
        double First, Second;
    };
    std::vector<TStep> Steps;
    Set().OnPrognosisStep = [&Steps](TPrognosisEffect Effect, double First, double Second) {
        Steps.push_back({Effect, First, Second});
    };
    Direct("DipperMoveUp 00000010");
    Run({"ExecuteCommand= 0", "DipperMoveDown 10", "RotateDipperCCW 4", "BarrierMoveLeft 2.5", "MoveDipperToCell 3",
         "PeristalticPumpMoveCW 5", "TapeMoveLeft", "ExecuteCommand= 1"});
    ASSERT_EQ(Steps.size(), 4u);
    EXPECT_EQ(Steps[0].Effect, TPrognosisEffect::DipperMinus);
    EXPECT_DOUBLE_EQ(Steps[0].First, 10);
    EXPECT_EQ(Steps[1].Effect, TPrognosisEffect::RotatorMinus);
    EXPECT_DOUBLE_EQ(Steps[1].First, 4);
    EXPECT_EQ(Steps[2].Effect, TPrognosisEffect::Barrier1Plus);
    EXPECT_DOUBLE_EQ(Steps[2].First, 2.5);
    EXPECT_EQ(Steps[3].Effect, TPrognosisEffect::Cell);
    EXPECT_DOUBLE_EQ(Steps[3].First, 3);
    EXPECT_DOUBLE_EQ(Steps[3].Second, 3);
    EXPECT_TRUE(FailedLines().empty()) << "a dry run sends nothing that could fail";
}
