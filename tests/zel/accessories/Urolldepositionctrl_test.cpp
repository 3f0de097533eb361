// The roll deposition window on real widgets beside the real main window: the exact
// parameter lines of START, the live feedback and approach speeds, Stop and its guard,
// the limit switch, the pressure tie, the settings, the language and the sensor zero.
#include "zel/accessories/Urolldepositionctrl.h"

#include "AccessoryTestSupport.h"
#include "kvc/WidgetInput.h"
#include "zel/accessories/Utapedepositionctrl.h"
#include "zel/manual/Ucalibratedevice.h"

namespace {

class Roll : public TAccessoryFixture {
protected:
    void Open(const std::vector<std::string>& Section = {}, const std::string& MoreIni = "")
    {
        StartAccessories(MoreIni);
        WriteSection("RollDepositionCtrl", Section);
        Window = CreateForm<TFRollDepositionCtrl>(nullptr);
        Link()->ClearCalls();
    }
    TFRollDepositionCtrl* Window = nullptr;
};

TEST_F(Roll, StartLocksTheWindowSendsTheSixParametersAndTheStartWordThenSetsTheProcess)
{
    Open();
    TCalibrateParam& c = CalibrateParam;
    Window->cbbDirection->SetItemIndex(1);
    const double speed = c.rotatingBarrier.GetMinSpeed() * 3;
    Window->edSpeed->SetValue(speed);
    Window->edPressure->SetValue(30);
    Window->edRangePressure->SetMaxValue(30);
    Window->edRangePressure->SetValue(5);
    const double feedback = c.barrier1.GetMinSpeed() * 2, approach = c.barrier1.GetMinSpeed() * 4;
    Window->edSpeedFeedback->SetValue(feedback);
    Window->edSpeedApproach->SetValue(approach);
    TProcessKind kindAtStartWord = pkIsotherm;
    Link()->OnSendCommand = [&](const std::string& Line, void*, int) {
        if (Line == "StartRollDeposition") kindAtStartWord = Main->ProcessKind;
    };
    Window->btnGo->Click();
    Link()->OnSendCommand = nullptr;

    // Pressure 30 mN/m is 50 mN/m of tension, 5000 counts; a range of 5 mN/m is 500 counts.
    const std::vector<std::string> expected = {
        "RdDirection= 00000001",
        "RdSpeed= " + Hex8(DoubleToInt32(c.rotatingBarrier.SpeedToCode(Window->edSpeed->GetValue()))),
        "RdPressureDip= 00001388",
        "RdRangePressureDip= 000001F4",
        "RdFeedbackSpeed= " + Hex8(DoubleToInt32(c.barrier1.SpeedToCode(Window->edSpeedFeedback->GetValue()))),
        "RdApproachSpeed= " + Hex8(DoubleToInt32(c.barrier1.SpeedToCode(Window->edSpeedApproach->GetValue()))),
        "StartRollDeposition",
    };
    EXPECT_EQ(StartLines("RdDirection="), expected);
    EXPECT_EQ(kindAtStartWord, pkNone);
    EXPECT_EQ(Main->ProcessKind, pkRollDeposition);
    EXPECT_FALSE(Window->btnGo->GetVisible());
    EXPECT_FALSE(Window->btnGo->GetEnabled());
    for (TControl* locked : std::initializer_list<TControl*>{Window->cbbDirection, Window->edSpeed, Window->edPressure,
                                                             Window->edRangePressure, Window->btnDoserSensorZero,
                                                             Window->btnDipperSensorZero})
        EXPECT_FALSE(locked->GetEnabled()) << locked->Name;
    EXPECT_TRUE(Window->edSpeedFeedback->GetEnabled());
    EXPECT_TRUE(Window->edSpeedApproach->GetEnabled());
    ASSERT_NE(Window->Graph, nullptr);
    EXPECT_EQ(Window->Graph->GraphProp.TitleText, "Roll deposition of DPPC");
    EXPECT_EQ(Window->StatusLines->Lines(), (std::vector<std::string>{"Roll deposition", "", "", ""}));
}

TEST_F(Roll, FeedbackAndApproachSpeedsReachTheInstrumentOnlyDuringTheRollRun)
{
    Open();
    TCalibrateParam& c = CalibrateParam;
    auto code = [&](TRxSpinEdit* Edit) { return Hex8(DoubleToInt32(c.barrier1.SpeedToCode(Edit->GetValue()))); };
    // Idle: leaving or stepping sends nothing.
    Window->edSpeedFeedback->SetValue(c.barrier1.GetMinSpeed() * 2);
    Window->edSpeedExit(Window->edSpeedFeedback);
    Window->edSpeedFeedback->UpClick();
    EXPECT_TRUE(Link()->Lines().empty());

    // Another window's run: still nothing.
    Main->SetProcess(pkTapeDeposition);
    Window->edSpeedApproach->UpClick();
    EXPECT_TRUE(Link()->Lines().empty());
    Main->SetProcess(pkNone);

    Window->btnGo->Click();
    Link()->ClearCalls();
    std::vector<std::string> expected;
    Window->edSpeedFeedback->UpClick();
    expected.push_back("RdFeedbackSpeed= " + code(Window->edSpeedFeedback));
    Window->edSpeedApproach->DownClick();
    expected.push_back("RdApproachSpeed= " + code(Window->edSpeedApproach));
    Window->edSpeedApproach->SetValue(c.barrier1.GetMinSpeed() * 3);
    Window->edSpeedExit(Window->edSpeedApproach);
    expected.push_back("RdApproachSpeed= " + code(Window->edSpeedApproach));
    EXPECT_EQ(Link()->Lines(), expected);
    EXPECT_NE(expected[1], expected[2]);
    // Enter in the feedback speed sends it at once.
    Link()->ClearCalls();
    Window->edSpeedFeedback->SetFocus();
    WidgetInput::PressKey(Window->edSpeedFeedback, Qt::Key_Return);
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"RdFeedbackSpeed= " + code(Window->edSpeedFeedback)});
}

TEST_F(Roll, StopActsOnlyOnItsOwnRunAndAnotherWindowsStopGivesTheWindowBack)
{
    Open();
    // Idle: Stop does nothing.
    Window->btnStopClick(nullptr);
    EXPECT_TRUE(Link()->Lines().empty());

    // Another window's run shows Stop here, which then does nothing.
    Main->SetProcess(pkDiskDeposition);
    EXPECT_FALSE(Window->btnGo->GetVisible());
    Window->btnStop->Click();
    EXPECT_TRUE(Link()->Lines().empty());
    EXPECT_EQ(Main->ProcessKind, pkDiskDeposition);
    Main->SetProcess(pkNone);

    Window->btnGo->Click();
    ISXDataSet* set = Window->DataSet;
    Notify(hlnRollStarted);
    TRollPoint point{};
    point.status = 2;
    Point(hlnRollPoint, point);
    EXPECT_TRUE(Window->shpRotbarIndicator->GetVisible());
    Link()->ClearCalls();
    Window->btnStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_EQ(Main->ProcessNames->Lines(), std::vector<std::string>{"cancelled"});
    EXPECT_TRUE(Window->btnGo->GetVisible());
    EXPECT_TRUE(Window->edSpeed->GetEnabled());
    EXPECT_FALSE(Window->shpRotbarIndicator->GetVisible());
    // The table and the set wait for the finished notice, which saves them.
    EXPECT_EQ(Window->DataSet, set);
    ASSERT_NE(Window->Table, nullptr);
    const std::string fileName = set->GetFileName();
    Notify(hlnRollFinished);
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_TRUE(FileExists(fileName));

    // A roll run ended by the tape window's Stop leaves no locked roll window behind.
    auto* tape = CreateForm<TFTapeDepositionCtrl>(nullptr);
    Window->btnGo->Click();
    ASSERT_FALSE(Window->edSpeed->GetEnabled());
    tape->btnStop->Click();
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Window->btnGo->GetVisible());
    EXPECT_TRUE(Window->btnGo->GetEnabled());
    EXPECT_TRUE(Window->edSpeed->GetEnabled());
    EXPECT_TRUE(Window->cbbDirection->GetEnabled());
}

TEST_F(Roll, LimitSwitchEndsTheRunSavesAndTellsTheOperatorAfterTheWindowIsIdle)
{
    Open();
    Window->btnGo->Click();
    const std::string fileName = Window->DataSet->GetFileName();
    Notify(hlnRollStarted);
    Point(hlnRollPoint, TRollPoint{});
    bool idleAtMessage = false;
    Dialogs.OnShow = [&](const TDialogRequest& Request) {
        if (Request.Kind == TDialogKind::MessageBox) idleAtMessage = Window->btnGo->GetVisible() && !Window->DataSet;
    };
    Notify(hlnRollLimitSwitch);
    Application->ProcessMessages();
    EXPECT_TRUE(idleAtMessage);
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(FileExists(fileName));
    ASSERT_FALSE(Dialogs.Requests.empty());
    const TDialogRequest& box = Dialogs.Requests.front();
    EXPECT_EQ(box.Kind, TDialogKind::MessageBox);
    EXPECT_EQ(box.Text, "Limit switch activated. Process Roll Deposition was stoped");
    EXPECT_EQ(box.Flags, static_cast<unsigned>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(Shown().back(), "Process completed!");
}

TEST_F(Roll, LeavingThePressureTiesTheRangeAndEnterDoesItAtOnce)
{
    Open();
    Window->edRangePressure->SetMaxValue(80);
    Window->edRangePressure->SetValue(15);
    Window->edPressure->SetValue(10);
    Window->edPressure->SetFocus();
    WidgetInput::PressKey(Window->edPressure, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(Window->edRangePressure->GetValue(), 10);
    EXPECT_DOUBLE_EQ(Window->edRangePressure->GetMaxValue(), 10);
    // A smaller range stays; the maximum follows the pressure.
    Window->edRangePressure->SetValue(4);
    Window->edPressure->SetValue(20);
    Window->edPressureExit(Window->edPressure);
    EXPECT_DOUBLE_EQ(Window->edRangePressure->GetValue(), 4);
    EXPECT_DOUBLE_EQ(Window->edRangePressure->GetMaxValue(), 20);
}

TEST_F(Roll, SettingsMissingBadAndStoredComeBackAsTheOperatorLeftThem)
{
    // A missing section: the design values brought into the ranges.
    Open();
    TCalibrateParam& c = CalibrateParam;
    EXPECT_EQ(Window->cbbDirection->GetItemIndex(), 0);
    EXPECT_DOUBLE_EQ(Window->edSpeed->GetValue(), Window->edSpeed->GetMinValue());
    EXPECT_NEAR(Window->edSpeed->GetMinValue(), c.rotatingBarrier.GetMinSpeed(), 1e-12);
    EXPECT_DOUBLE_EQ(Window->edPressure->GetValue(), 0.1);
    EXPECT_DOUBLE_EQ(Window->edRangePressure->GetValue(), 0);
    EXPECT_NEAR(Window->edSpeedFeedback->GetValue(), c.barrier1.GetMinSpeed(), 1e-3);
    EXPECT_NEAR(Window->edSpeedApproach->GetValue(), c.barrier1.GetMinSpeed(), 1e-3);
    TProcessFixture::TearDown();

    // A comma, a text that is no number and an index outside the list.
    Open({"Direction=7", "Pressure=12,5", "RangePressure=oops", "Docked=0"});
    EXPECT_EQ(Window->cbbDirection->GetItemIndex(), 0);
    EXPECT_DOUBLE_EQ(Window->edPressure->GetValue(), 12.5);
    EXPECT_DOUBLE_EQ(Window->edRangePressure->GetValue(), 0);
    Window->cbbDirection->SetItemIndex(1);
    Window->edPressure->SetValue(17.5);
    Window->edRangePressure->SetValue(2.5);
    FreeForm(Window);
    Window = nullptr;
    EXPECT_EQ(IniFile->ReadInteger("RollDepositionCtrl", "Direction", -1), 1);
    EXPECT_EQ(IniFile->ReadString("RollDepositionCtrl", "Pressure", ""), "17.5");
    EXPECT_EQ(IniFile->ReadString("RollDepositionCtrl", "RangePressure", ""), "2.5");
    EXPECT_EQ(IniFile->ReadString("RollDepositionCtrl", "Docked", ""), "0");

    Window = CreateForm<TFRollDepositionCtrl>(nullptr);
    EXPECT_EQ(Window->cbbDirection->GetItemIndex(), 1);
    EXPECT_DOUBLE_EQ(Window->edPressure->GetValue(), 17.5);
    EXPECT_DOUBLE_EQ(Window->edRangePressure->GetValue(), 2.5);
}

TEST_F(Roll, CaptionAndProcessNamesComeFromTheLanguageFile)
{
    ForceDirectories(Dir.File("Language"));
    WriteFileText(Dir.File("Language/english.lng"),
                  "[RollDepositionCtrl]\n0=Walze\n1=Richtung\n"
                  "[Resource]\nRoll deposition=Walzenbeschichtung\nTime=Zeit\nStatus=Zustand\n");
    Open();
    EXPECT_EQ(Window->GetCaption(), "Walze");
    // Only the caption is translated.
    EXPECT_EQ(Window->lblDirection->GetCaption(), "Direction");
    EXPECT_EQ((*Window->StatusLines)[0], "Walzenbeschichtung");
    Window->btnGo->Click();
    EXPECT_EQ(Window->Graph->GraphProp.TitleText, "Walzenbeschichtung of DPPC");
    Notify(hlnRollStarted);
    TRollPoint point{};
    point.status = 3;
    Point(hlnRollPoint, point);
    EXPECT_EQ((*Window->StatusLines)[2], "Zeit: 00:00:00");
    EXPECT_EQ((*Window->StatusLines)[3], "Zustand: 3");
}

TEST_F(Roll, SensorZeroButtonsZeroTheBalancesThroughTheHiddenCalibrationWindow)
{
    Open();
    auto* calibration = CreateForm<TFCalibrateDevice>(nullptr);
    calibration->Hide();
    Link()->ClearCalls();
    DeviceState.balance = 1234;
    DeviceState.doserBalance = 2345;
    Window->btnDipperSensorZero->Click();
    EXPECT_DOUBLE_EQ(CalibrateParam.ballance.GetHwMax(), 1234);
    EXPECT_NEAR(CalibrateParam.ballance.HwToSP(1234, true), 0, 1e-9);
    EXPECT_EQ(Link()->Lines().size(), 1u);
    EXPECT_EQ(Link()->Lines().front().rfind("CLBCoeff=", 0), 0u);
    Window->btnDoserSensorZero->Click();
    EXPECT_DOUBLE_EQ(CalibrateParam.doserBallance.GetHwMax(), 2345);
    EXPECT_TRUE(calibration->SBStoreCalibrate->GetEnabled());
    // Without the calibration window the buttons do nothing.
    FreeForm(calibration);
    DeviceState.balance = 99;
    Window->btnDipperSensorZero->Click();
    EXPECT_DOUBLE_EQ(CalibrateParam.ballance.GetHwMax(), 1234);
}

TEST_F(Roll, ParametersTextListsEachLabelWithTheValueAsShown)
{
    Open();
    Window->edPressure->SetValue(25);
    std::string text;
    Window->GetParametersText(text);
    const std::string expected =
        "Roll deposition parameters\r\nDirection: CW\r\nSpeed (rpm): " + Window->edSpeed->GetText() +
        "\r\nPressure (mN/m): " + Window->edPressure->GetText() +
        "\r\nRange pressure(mN/m): " + Window->edRangePressure->GetText() +
        "\r\nSpeed feedback(mm/s): " + Window->edSpeedFeedback->GetText() +
        "\r\nSpeed approach(mm/s): " + Window->edSpeedApproach->GetText() + "\r\n\r\n";
    EXPECT_EQ(text, expected);
    EXPECT_NE(Window->edPressure->GetText().find("25"), std::string::npos);
}

TEST_F(Roll, TroughDeviceHidesTheWindowAndItsViewAction)
{
    Open({}, "DeviceType=ZEL\n");
    EXPECT_FALSE(Window->GetVisible());
    EXPECT_FALSE(Main->actViewRollDepositionCtrl->GetVisible());
    EXPECT_TRUE(Window->Floating());
}

}  // namespace
