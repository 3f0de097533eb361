// The tape deposition window on real widgets: the fifteen START lines, the pressure checks
// with their texts and order, the pressure ties, the modes, the three lamps, the unguarded
// Stop, the second form of the spin buttons, the settings and the device types it serves.
#include "zel/accessories/Utapedepositionctrl.h"

#include <cmath>

#include "AccessoryTestSupport.h"
#include "zel/accessories/Urolldepositionctrl.h"

namespace {

class Tape : public TAccessoryFixture {
protected:
    void Open(const std::vector<std::string>& Section = {}, const std::string& MoreIni = "")
    {
        StartAccessories(MoreIni);
        WriteSection("TapeDepositionCtrl", Section);
        Window = CreateForm<TFTapeDepositionCtrl>(nullptr);
        Link()->ClearCalls();
    }
    // Sets the six pressures, widening every bound first.
    void Pressures(double DoserStart, double DoserStop, double RotbarStart, double RotbarStop, double TapeStart,
                   double TapeStop)
    {
        const std::pair<TRxSpinEdit*, double> values[] = {
            {Window->edDoserPressureStart, DoserStart},   {Window->edDoserPressureStop, DoserStop},
            {Window->edRotbarPressureStart, RotbarStart}, {Window->edRotbarPressureStop, RotbarStop},
            {Window->edTapePressureStart, TapeStart},     {Window->edTapePressureStop, TapeStop},
        };
        for (const auto& [edit, value] : values) {
            edit->SetMinValue(0);
            edit->SetMaxValue(80);
            edit->SetValue(value);
        }
    }
    TFTapeDepositionCtrl* Window = nullptr;
};

TEST_F(Tape, StartSendsTheFifteenLinesAndLocksNothing)
{
    Open();
    TCalibrateParam& c = CalibrateParam;
    Window->cbbDoserMode->SetItemIndex(1);
    Window->cbbRotbarDirection->SetItemIndex(1);
    Window->cbbTapeMode->SetItemIndex(1);
    Window->edTapeSpeed->SetValue(c.tape.GetMinSpeed() * 4);
    Pressures(10, 20, 30, 40, 35, 25);
    Window->btnGo->Click();
    // Doser balance: 40 mN/m less 0.01 per count; balance: 80 less 0.01 per count.
    const std::vector<std::string> expected = {
        "TdDoserMode= 00000001",
        "TdDoserSpeed= " + Hex8(DoubleToInt32(c.doser.SpeedToCode(Window->edDoserSpeed->GetValue()))),
        "TdDoserPresStart= 00000BB8",
        "TdDoserPresStop= 000007D0",
        "TdRotbarMode= 00000000",
        "TdRotbarDir= 00000001",
        "TdRotbarSpeed= " + Hex8(DoubleToInt32(c.rotatingBarrier.SpeedToCode(Window->edRotbarSpeed->GetValue()))),
        "TdRotbarPresStart= 00001388",
        "TdRotbarPresStop= 00000FA0",
        "TdTapeMode= 00000001",
        "TdTapeDir= 00000000",
        "TdTapeSpeed= " + Hex8(DoubleToInt32(c.tape.SpeedToCode(Window->edTapeSpeed->GetValue()))),
        "TdTapePresStart= 00001194",
        "TdTapePresStop= 0000157C",
        "StartTapeDeposition",
    };
    EXPECT_EQ(StartLines("TdDoserMode="), expected);
    EXPECT_EQ(Main->ProcessKind, pkTapeDeposition);
    EXPECT_FALSE(Window->btnGo->GetVisible());
    EXPECT_TRUE(Window->btnGo->GetEnabled());
    EXPECT_TRUE(Window->edDoserSpeed->GetEnabled());
    EXPECT_TRUE(Window->cbbRotbarDirection->GetEnabled());
    EXPECT_EQ(Window->Graph->GraphProp.TitleText, "Tape deposition of DPPC");
}

TEST_F(Tape, ChecksReportOnlyTheFirstFailingPressureOrderAndEqualValuesPass)
{
    struct Case {
        double Values[6];
        const char* Message;  // null: START goes on
    };
    const Case cases[] = {
        {{5, 5, 10, 10, 10, 10}, nullptr},
        {{5.1, 5, 20, 10, 5, 10},
         "Doser start pressure must be less than stop pressure. Please, correct values and try again."},
        {{5, 6, 20, 10, 5, 10},
         "Rotation barrier start pressure must be less than stop pressure. Please, correct values and try again."},
        {{5, 6, 10, 20, 5, 10},
         "Tape start pressure must be greater than stop pressure. Please, correct values and try again."},
        {{5, 6, 10, 15, 20, 10},
         "Tape start pressure must be less than rotating barrier stop pressure. Please, correct values and try "
         "again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Message ? c.Message : "passes");
        Open();
        Pressures(c.Values[0], c.Values[1], c.Values[2], c.Values[3], c.Values[4], c.Values[5]);
        Window->btnGo->Click();
        if (c.Message) {
            ASSERT_EQ(Dialogs.Requests.size(), 1u);
            EXPECT_EQ(Dialogs.Requests[0].Text, c.Message);
            EXPECT_EQ(Dialogs.Requests[0].Flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
            EXPECT_EQ(Dialogs.Requests[0].Caption, Application->Title);
            EXPECT_EQ(Window->DataSet, nullptr);
            EXPECT_TRUE(Link()->Lines().empty());
            EXPECT_EQ(Main->ProcessKind, pkNone);
        } else {
            EXPECT_EQ(Main->ProcessKind, pkTapeDeposition);
        }
        TProcessFixture::TearDown();
        Dialogs.Requests.clear();
    }
}

TEST_F(Tape, PressureTiesKeepTheOrderAndModesFreeThePressuresOfAutomaticOnly)
{
    Open();
    Pressures(5, 30, 5, 30, 20, 10);
    // The rotating barrier's stop at 15 lowers the tape's start to 15 and its maximum.
    Window->edRotbarPressureStop->SetValue(15);
    Window->edRotbarPressureStopExit(Window->edRotbarPressureStop);
    EXPECT_DOUBLE_EQ(Window->edTapePressureStart->GetValue(), 15);
    EXPECT_DOUBLE_EQ(Window->edTapePressureStart->GetMaxValue(), 15);
    EXPECT_DOUBLE_EQ(Window->edRotbarPressureStart->GetMaxValue(), 15);
    struct Tie {
        TRxSpinEdit* Left;
        TRxSpinEdit* Bound;
        bool Minimum;
        double Expected;
    };
    const Tie ties[] = {
        {Window->edDoserPressureStart, Window->edDoserPressureStop, true, 5},
        {Window->edDoserPressureStop, Window->edDoserPressureStart, false, 30},
        {Window->edRotbarPressureStart, Window->edRotbarPressureStop, true, 5},
        {Window->edTapePressureStart, Window->edTapePressureStop, false, 15},
        {Window->edTapePressureStop, Window->edTapePressureStart, true, 10},
    };
    for (const Tie& t : ties) {
        SCOPED_TRACE(t.Left->Name);
        t.Left->OnExit(t.Left);
        EXPECT_DOUBLE_EQ(t.Minimum ? t.Bound->GetMinValue() : t.Bound->GetMaxValue(), t.Expected);
    }

    struct ModeCase {
        TComboBox* Mode;
        TRxSpinEdit *Start, *Stop;
    };
    const ModeCase modes[] = {
        {Window->cbbDoserMode, Window->edDoserPressureStart, Window->edDoserPressureStop},
        {Window->cbbRotbarMode, Window->edRotbarPressureStart, Window->edRotbarPressureStop},
        {Window->cbbTapeMode, Window->edTapePressureStart, Window->edTapePressureStop},
    };
    for (const ModeCase& m : modes) {
        SCOPED_TRACE(m.Mode->Name);
        EXPECT_FALSE(m.Start->GetEnabled());  // "Continuous" at creation
        m.Mode->SetItemIndex(1);
        m.Mode->OnChange(m.Mode);
        EXPECT_TRUE(m.Start->GetEnabled());
        EXPECT_TRUE(m.Stop->GetEnabled());
        m.Mode->SetItemIndex(0);
        m.Mode->OnChange(m.Mode);
        EXPECT_FALSE(m.Stop->GetEnabled());
    }
}

TEST_F(Tape, LampsFollowTheStatusBitsAndAnUnguardedStopEndsAnyRun)
{
    Open();
    Window->btnGo->Click();
    Notify(hlnTapeStarted);
    ASSERT_NE(Window->Table, nullptr);
    EXPECT_EQ(Window->Table->GetNumColumns(), 4);
    struct Case {
        std::uint32_t Status;
        bool Doser, Rotbar, Tape;
    };
    const Case cases[] = {
        {2, false, true, false}, {7, true, true, true}, {5, true, false, true}, {0, false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Status);
        TTapePoint point{};
        point.status = c.Status;
        Point(hlnTapePoint, point);
        EXPECT_EQ(Window->shpDoserIndicator->GetVisible(), c.Doser);
        EXPECT_EQ(Window->shpRotbarIndicator->GetVisible(), c.Rotbar);
        EXPECT_EQ(Window->shpTapeIndicator->GetVisible(), c.Tape);
    }
    TTapePoint all{};
    all.status = 7;
    Point(hlnTapePoint, all);
    Link()->ClearCalls();
    Window->btnStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_FALSE(Window->shpTapeIndicator->GetVisible());
    EXPECT_TRUE(Window->btnGo->GetVisible());
    // No "cancelled" from the tape window.
    EXPECT_NE(Main->ProcessNames->Lines(), std::vector<std::string>{"cancelled"});

    // Stop while the roll window's process runs stops that process too.
    auto* roll = CreateForm<TFRollDepositionCtrl>(nullptr);
    roll->btnGo->Click();
    EXPECT_FALSE(Window->btnGo->GetVisible());
    Link()->ClearCalls();
    Window->btnStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(roll->edSpeed->GetEnabled());
}

TEST_F(Tape, SpinButtonsMoveOnPastTheStepWithTheUnitOfTheirGroup)
{
    Open();
    TCalibrateParam& c = CalibrateParam;
    const std::pair<TRxSpinEdit*, TMotor*> entries[] = {
        {Window->edDoserSpeed, &c.doser}, {Window->edRotbarSpeed, &c.rotatingBarrier}, {Window->edTapeSpeed, &c.tape}};
    for (const auto& [edit, unit] : entries) {
        SCOPED_TRACE(edit->Name);
        EXPECT_GT(edit->Increment, 0);
        const double start = unit->GetMinSpeed() + 50 * edit->Increment;
        edit->SetValue(start);
        edit->UpClick();
        // Two increments on, then a speed of a code of this unit.
        EXPECT_GT(edit->GetValue(), start + edit->Increment);
        const double code = std::round(unit->SpeedToCode(edit->GetValue()));
        double nearest = 1e9;
        for (double k : {code - 1, code, code + 1})
            nearest = std::min(nearest, std::fabs(unit->CodeToSpeed(k) - edit->GetValue()));
        EXPECT_LT(nearest, 1e-5);
    }
}

TEST_F(Tape, MissingSettingsGiveTheDesignValuesAndOnlyTheCombinedDeviceShowsTheWindow)
{
    Open();
    TCalibrateParam& c = CalibrateParam;
    for (TComboBox* list : {Window->cbbDoserMode, Window->cbbRotbarMode, Window->cbbRotbarDirection,
                            Window->cbbTapeMode, Window->cbbTapeDirection})
        EXPECT_EQ(list->GetItemIndex(), 0) << list->Name;
    EXPECT_NEAR(Window->edDoserSpeed->GetValue(), c.doser.GetMinSpeed(), 1e-5);
    EXPECT_NEAR(Window->edRotbarSpeed->GetValue(), c.rotatingBarrier.GetMinSpeed(), 1e-5);
    EXPECT_NEAR(Window->edTapeSpeed->GetValue(), c.tape.GetMinSpeed(), 1e-5);
    EXPECT_DOUBLE_EQ(Window->edRotbarPressureStart->GetValue(), 0);
    Window->cbbTapeDirection->SetItemIndex(1);
    Window->edTapePressureStop->SetValue(7.5);
    FreeForm(Window);
    EXPECT_EQ(IniFile->ReadInteger("TapeDepositionCtrl", "Tape.Direction", -1), 1);
    EXPECT_EQ(IniFile->ReadString("TapeDepositionCtrl", "Tape.PressureStop", ""), "7.5");
    TProcessFixture::TearDown();

    for (const char* type : {"ZEL", "LBL"}) {
        SCOPED_TRACE(type);
        Open({}, std::string("DeviceType=") + type + "\n");
        EXPECT_FALSE(Window->GetVisible());
        EXPECT_TRUE(Window->Floating());
        EXPECT_FALSE(Main->actViewTapeDepositionCtrl->GetVisible());
        TProcessFixture::TearDown();
    }
}

TEST_F(Tape, ParametersTextNamesEachGroupAndLabel)
{
    Open();
    std::string text;
    Window->GetParametersText(text);
    const std::string start = "Tape deposition parameters\r\nDoser.Mode: Continuous\r\nDoser.Speed (ml/min): " +
                              Window->edDoserSpeed->GetText() + "\r\n";
    EXPECT_EQ(text.rfind(start, 0), 0u) << text;
    EXPECT_NE(text.find("\r\nRotating barrier.Direction: CW\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nTape.Pressure stop (mN/m): " + Window->edTapePressureStop->GetText() + "\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Syringe"), std::string::npos);
}

}  // namespace
