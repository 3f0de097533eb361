// The tape deposition and rinse window on real widgets beside the real main window: the
// twenty-three START lines with each word's own units, a run fed through the main
// window's routing into its five-column table and saved set, Stop and its guard, the
// barrier buttons driving and mirroring the trough manual window, the readings, the
// settings with either decimal separator, the language and the device types it serves.
#include "zel/accessories/Utdarctrl.h"

#include <cmath>

#include "AccessoryTestSupport.h"
#include "zel/accessories/Udiskdepositionctrl.h"
#include "zel/manual/Umanualcontrol.h"

namespace {

class Tdar : public TAccessoryFixture {
protected:
    void Open(const std::vector<std::string>& Section = {}, const std::string& MoreIni = "")
    {
        StartAccessories(MoreIni);
        WriteSection("TDARCtrl", Section);
        Window = CreateForm<TFTDARCtrl>(nullptr);
        Link()->ClearCalls();
    }
    void TearDown() override
    {
        CalibrateParam.doser2.SetSyringeDiameter(FDoser2Diameter);
        CalibrateParam.barrier1.SetZeroHw(FBarrierZero);
        TAccessoryFixture::TearDown();
    }
    TFTDARCtrl* Window = nullptr;
    double FDoser2Diameter = CalibrateParam.doser2.GetSyringeDiameter();
    int FBarrierZero = CalibrateParam.barrier1.GetZeroHw();
};

TEST_F(Tdar, StartSendsTheTwentyThreeSettersInTheirUnitsThenTheStartWordThenSetsTheProcess)
{
    Open();
    TCalibrateParam& c = CalibrateParam;
    // The second doser's own calibration differs, so a rate sent through it would show;
    // barrier 1's zero lies off step 0, so a position sent for the step would show.
    c.doser2.SetSyringeDiameter(c.doser.GetSyringeDiameter() * 2);
    c.barrier1.SetZeroHw(1000);
    Window->chkHBActive->SetChecked(true);
    Window->edBarrierSpeed->SetValue(c.barrier1.GetMaxSpeed() / 2);
    Window->edBarrierStep->SetValue(12.5);
    Window->edBarrierPressure->SetValue(20);
    Window->edBarrierDelay->SetValue(32.3);
    Window->cbbDoserMode->SetItemIndex(0);
    Window->edDoserSpeed->SetValue(1.5);
    Window->chkDoser2Active->SetChecked(true);
    Window->edDoser2Speed->SetValue(3.25);
    Window->edDoser2PressureStart->SetValue(10);
    Window->edDoser2PressureStop->SetValue(20);
    Window->cbbRotbarMode->SetItemIndex(1);
    Window->cbbRotbarDir->SetItemIndex(1);
    Window->edRotbarSpeed->SetValue(12.75);
    Window->edRotbarPressureStart->SetValue(30);
    Window->edRotbarPressureStop->SetValue(40);
    Window->cbbTapeDir->SetItemIndex(1);
    Window->edTapeSpeed->SetValue(7.9);
    Window->edTapePressureStart->SetValue(15);
    Window->edTapePressureStop->SetValue(25);
    // The W/P and syringe fields are kept, never sent.
    Window->edWP->SetValue(55);
    Window->edDoserSrngDiam->SetValue(21);
    TProcessKind kindAtStartWord = pkIsotherm;
    Link()->OnSendCommand = [&](const std::string& Line, void*, int) {
        if (Line == "StartTDAR") kindAtStartWord = Main->ProcessKind;
    };
    Window->btnGo->Click();
    Link()->OnSendCommand = nullptr;

    const std::string doser2Rate = Hex8(DoubleToInt32(c.doser.SpeedToCode(3.25)));
    ASSERT_NE(doser2Rate, Hex8(DoubleToInt32(c.doser2.SpeedToCode(3.25))));
    // Balance: 80 mN/m less 0.01 per count; doser balance: 40 mN/m less 0.01 per count.
    const std::vector<std::string> expected = {
        "TdarBarrierActive= 00000001",
        "TdarBarrierSpeed= " + Hex8(DoubleToInt32(c.barrier1.SpeedToCode(Window->edBarrierSpeed->GetValue()))),
        "TdarBarrierStep= " + Hex8(DoubleToInt32(c.barrier1.ShToHwDelta(12.5))),
        "TdarBarrierPressure= 00001770",
        "TdarBarrierDelay= 00007E2C",
        "TdarDoser1Active= 00000000",
        "TdarDoser1Mode= 00000000",
        "TdarDoser1Speed= " + Hex8(DoubleToInt32(c.doser.SpeedToCode(1.5))),
        "TdarDoser2Active= 00000001",
        "TdarDoser2Mode= 00000001",
        "TdarDoser2Speed= " + doser2Rate,
        "TdarDoser2PresStart= 00000BB8",
        "TdarDoser2PresStop= 000007D0",
        "TdarRotbarMode= 00000001",
        "TdarRotbarDir= 00000001",
        "TdarRotbarSpeed= 0000000C",
        "TdarRotbarPresStart= 00001388",
        "TdarRotbarPresStop= 00000FA0",
        "TdarTapeMode= 00000000",
        "TdarTapeDir= 00000001",
        "TdarTapeSpeed= 00000007",
        "TdarTapePresStart= 000009C4",
        "TdarTapePresStop= 000005DC",
        "StartTDAR",
    };
    EXPECT_EQ(StartLines("TdarBarrierActive="), expected);
    EXPECT_NE(c.barrier1.ShToHwDelta(12.5), c.barrier1.ShToHw(12.5));
    EXPECT_EQ(kindAtStartWord, pkNone);
    EXPECT_EQ(Main->ProcessKind, pkTDAR);
    EXPECT_FALSE(Window->btnGo->GetVisible());
    EXPECT_FALSE(Window->btnGo->GetEnabled());
    ASSERT_NE(Window->Graph, nullptr);
    EXPECT_EQ(Window->Graph->GraphProp.TitleText, "Tape deposition and rinse of DPPC");
    EXPECT_EQ(Window->Graph->GetCaption(), "Tape deposition and rinse of DPPC");
    EXPECT_EQ(Window->StatusLines->Lines(), (std::vector<std::string>{"TDAR", "", "", ""}));
    std::string parameters;
    Window->GetParametersText(parameters);
    EXPECT_EQ(parameters, "Tape deposition and rinse parameters\r\n\r\n");
}

TEST_F(Tdar, DelaysBecomeWholeMillisecondsAndZeroRatesGiveCodeZero)
{
    struct Case {
        double Delay;
        const char* Line;
    };
    const Case cases[] = {{0.1, "TdarBarrierDelay= 00000064"},
                          {32.3, "TdarBarrierDelay= 00007E2C"},
                          {64.6, "TdarBarrierDelay= 0000FC58"},
                          {100, "TdarBarrierDelay= 000186A0"}};
    for (const Case& d : cases) {
        SCOPED_TRACE(d.Delay);
        Open();
        Window->edBarrierDelay->SetValue(d.Delay);
        Window->btnGo->Click();
        const std::vector<std::string> lines = Link()->Lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), d.Line), lines.end());
        // Every rate at its design value 0.
        for (const char* zero : {"TdarBarrierSpeed= 00000000", "TdarDoser1Speed= 00000000", "TdarDoser2Speed= 00000000",
                                 "TdarRotbarSpeed= 00000000", "TdarTapeSpeed= 00000000"})
            EXPECT_NE(std::find(lines.begin(), lines.end(), zero), lines.end()) << zero;
        TProcessFixture::TearDown();
    }
}

TEST_F(Tdar, ARunRoutedThroughTheMainWindowFillsTheFiveColumnTableAndEndsWithASavedSet)
{
    Open();
    TCalibrateParam& c = CalibrateParam;
    Window->btnGo->Click();
    const std::string fileName = Window->DataSet->GetFileName();
    // Another process's start is not this window's.
    Main->ProcessKind = pkEUD;
    Notify(hlnTdarStarted);
    EXPECT_EQ(Window->Table, nullptr);
    Main->ProcessKind = pkTDAR;
    Notify(hlnTdarStarted);
    ASSERT_NE(Window->Table, nullptr);
    EXPECT_EQ(std::string(Window->Table->GetTableName()), "TapeDepositionAndRinse");
    EXPECT_EQ(Window->Graph->Table, Window->Table->Field);
    const std::vector<std::vector<std::string>> columns = {{"Time (t)", "t", "s"},
                                                           {"Dipper pressure (Dip-P)", "Dip-P", "mN/m"},
                                                           {"Doser pressure (Dos-P)", "Dos-P", "mN/m"},
                                                           {"Rotbar position (Rotbar-P)", "Rotbar-P", "rev"},
                                                           {"Tape position (Tape-P)", "Tape-P", "mm"}};
    ASSERT_EQ(Window->Table->GetNumColumns(), 5);
    for (int i = 0; i < 5; ++i) {
        const TSXColumnInfo* info = Window->Table->GetColumnInfo(i);
        EXPECT_EQ(ReadFixedText(info->Name), columns[i][0]);
        EXPECT_EQ(ReadFixedText(info->ShortName), columns[i][1]);
        EXPECT_EQ(ReadFixedText(info->Unit), columns[i][2]);
    }

    struct Step {
        DWORD After;
        std::uint32_t Balance, DoserBalance, Rotbar, Tape, Status;
        double Seconds, DipP, DosP;
    };
    const Step steps[] = {
        {0, 3000, 1000, 400, 250, 5, 0, 50, 30},
        {1500, 2000, 500, 800, 900, 2, 1.5, 60, 35},
    };
    for (const Step& s : steps) {
        Advance(s.After);
        TTdarPoint point{};
        point.balance = s.Balance;
        point.doserBalance = s.DoserBalance;
        point.rotBarrierPos = s.Rotbar;
        point.tapePos = s.Tape;
        point.status = s.Status;
        Point(hlnTdarPoint, point);
        EXPECT_EQ((*Window->StatusLines)[3], "Status: " + std::to_string(s.Status));
    }
    // A point while another process runs is not recorded.
    Main->ProcessKind = pkEUD;
    Point(hlnTdarPoint, TTdarPoint{});
    Main->ProcessKind = pkTDAR;
    ASSERT_EQ(Window->Table->GetNumRows(), 2);
    for (int r = 0; r < 2; ++r) {
        SCOPED_TRACE(r);
        const Step& s = steps[r];
        EXPECT_NEAR(Window->Table->GetData(0, r), s.Seconds, 1e-6);
        EXPECT_NEAR(Window->Table->GetData(1, r), s.DipP, 1e-4);
        EXPECT_NEAR(Window->Table->GetData(2, r), s.DosP, 1e-4);
        EXPECT_NEAR(Window->Table->GetData(3, r), c.rotatingBarrier.HwToSh(s.Rotbar), 1e-4);
        EXPECT_NEAR(Window->Table->GetData(4, r), c.tape.HwToSh(s.Tape), 1e-4);
    }
    EXPECT_NE(c.tape.HwToSh(250), c.rotatingBarrier.HwToSh(250));

    // The finish is acted on during another process too, and ends that process.
    Main->SetProcess(pkDiskDeposition);
    Notify(hlnTdarFinished);
    Application->ProcessMessages();
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_EQ(Window->DataSet, nullptr);
    EXPECT_EQ(Window->Table, nullptr);
    EXPECT_TRUE(Window->btnGo->GetVisible());
    EXPECT_EQ((*Window->StatusLines)[1], "Completed!");
    EXPECT_EQ(Shown(), std::vector<std::string>{"Process completed!"});
    ISXDataSet* loaded = LoadDataSet(fileName);
    ASSERT_NE(loaded, nullptr);
    TPTableData saved(loaded->FindField(ZelTableCategory, "TapeDepositionAndRinse"));
    ASSERT_TRUE(saved.Valid);
    EXPECT_EQ(saved.GetNumRows(), 2);
    EXPECT_NEAR(saved.GetData(4, 1), c.tape.HwToSh(900), 1e-4);
    // Accessory sets are not entered in the register.
    EXPECT_EQ(ExpSetup->ExpTable.Count(), 0);
    UseDataSetManager.Release(loaded);
}

TEST_F(Tdar, StopActsWhileStartIsLockedAndAlsoEndsAnotherWindowsProcess)
{
    Open();
    Window->btnStopClick(nullptr);
    EXPECT_TRUE(Link()->Lines().empty());

    Window->btnGo->Click();
    ISXDataSet* set = Window->DataSet;
    Notify(hlnTdarStarted);
    Link()->ClearCalls();
    Window->btnStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_EQ(Main->ProcessNames->Lines(), std::vector<std::string>{"cancelled"});
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Window->btnGo->GetVisible());
    EXPECT_TRUE(Window->btnGo->GetEnabled());
    // The table and the set wait for the finished notice or the next START.
    EXPECT_EQ(Window->DataSet, set);
    EXPECT_NE(Window->Table, nullptr);

    auto* disk = CreateForm<TFDiskDepositionCtrl>(nullptr);
    disk->btnGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkDiskDeposition);
    EXPECT_FALSE(Window->btnGo->GetVisible());
    Link()->ClearCalls();
    Window->btnStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(disk->btnGo->GetVisible());
}

TEST_F(Tdar, BarrierButtonsDriveTheManualWindowAndMirrorItsMoveButtons)
{
    Open();
    // Without the trough manual window the buttons do nothing.
    Window->btnBarrierMoveLeft->Click();
    EXPECT_TRUE(Link()->Lines().empty());
    EXPECT_FALSE(Window->btnBarrierMoveLeft->GetDown());

    auto* manual = CreateForm<TFManualCtrl>(nullptr);
    Link()->ClearCalls();
    struct Case {
        TControl* Button;
        const char* Line;
        bool Left, Right;
    };
    const Case cases[] = {
        {Window->btnBarrierMoveLeft, "Barrier1MoveLeft 00000000", true, false},
        {Window->FlatButton2, "Barrier1Stop", false, false},
        {Window->btnBarrierMoveRight, "Barrier1MoveRight 00000000", false, true},
    };
    for (const Case& b : cases) {
        SCOPED_TRACE(b.Line);
        Link()->ClearCalls();
        b.Button->Click();
        EXPECT_EQ(Link()->Lines(), std::vector<std::string>{b.Line});
        EXPECT_EQ(manual->btnBarrier1MoveLeft->GetDown(), b.Left);
        EXPECT_EQ(Window->btnBarrierMoveLeft->GetDown(), b.Left);
        EXPECT_EQ(Window->btnBarrierMoveRight->GetDown(), b.Right);
    }

    // The device's motion notices reach the manual window first; this window follows it.
    // The instrument's motion codes: 3 barrier 1 stopped, 1 barrier 1 moving left, 0 all
    // drives stopped.
    struct Motion {
        int Code;
        bool Left, Right;
    };
    const Motion motions[] = {{3, false, false}, {1, true, false}, {0, false, false}};
    for (const Motion& m : motions) {
        SCOPED_TRACE(m.Code);
        Notify(hlnMotionState, m.Code);
        EXPECT_EQ(Window->btnBarrierMoveLeft->GetDown(), m.Left);
        EXPECT_EQ(Window->btnBarrierMoveRight->GetDown(), m.Right);
    }
    // The zero buttons beside the readings do nothing here.
    Link()->ClearCalls();
    Window->SpeedButton1->Click();
    Window->SpeedButton2->Click();
    EXPECT_TRUE(Link()->Lines().empty());
}

TEST_F(Tdar, ReadingsShowBarrierBalancesRotatingBarrierAndTapeWithTheirDecimals)
{
    Open();
    AppSettings.ADCDataAccuracy = 2;
    TCalibrateParam& c = CalibrateParam;
    DeviceState.balance = 2500;       // 55 mN/m
    DeviceState.doserBalance = 1234;  // 27.66 mN/m
    DeviceState.barrier1Pos = 3000;
    DeviceState.rotBarrierPos = 5000;
    DeviceState.tapePos = 777;
    Window->RefreshIndicators();
    EXPECT_EQ(Window->txtDipperSensor->GetCaption(), "55.00");
    EXPECT_EQ(Window->txtDoserSensor->GetCaption(), "27.66");
    const std::pair<TLabel*, double> positions[] = {{Window->txtHBPos, c.barrier1.HwToSh(3000)},
                                                    {Window->txtRotbarCurPos, c.rotatingBarrier.HwToSh(5000)},
                                                    {Window->txtTapeCurPos, c.tape.HwToSh(777)}};
    for (const auto& [label, value] : positions) {
        SCOPED_TRACE(label->Name);
        const std::string text = label->GetCaption();
        ASSERT_NE(text.find('.'), std::string::npos);
        EXPECT_EQ(text.size() - text.find('.'), 2u);  // one decimal
        EXPECT_NEAR(std::stod(text), value, 0.05);
    }
    AppSettings.ADCDataAccuracy = 3;
}

TEST_F(Tdar, SettingsComeBackWithEitherSeparatorAndEachKeyRestoresItsOwnField)
{
    Open({"horizbarrier.active=1", "horizbarrier.delay=2,5", "horizbarrier.wp=7.5", "doser2.wp=12,5", "doser1.mode=0",
          "doser2.mode=5", "rotbar.speed=oops", "tape.direction=1", "doser2.pressure.stop=150", "Docked=0"});
    EXPECT_TRUE(Window->chkHBActive->GetChecked());
    EXPECT_FALSE(Window->chkDoserActive->GetChecked());
    EXPECT_DOUBLE_EQ(Window->edBarrierDelay->GetValue(), 2.5);
    EXPECT_DOUBLE_EQ(Window->edWP->GetValue(), 7.5);
    EXPECT_DOUBLE_EQ(Window->edDoser2WP->GetValue(), 12.5);
    EXPECT_EQ(Window->cbbDoserMode->GetItemIndex(), 0);
    EXPECT_EQ(Window->cbbDoser2Mode->GetItemIndex(), 1);  // design choice kept
    EXPECT_DOUBLE_EQ(Window->edRotbarSpeed->GetValue(), 0);
    EXPECT_EQ(Window->cbbTapeDir->GetItemIndex(), 1);
    EXPECT_DOUBLE_EQ(Window->edDoser2PressureStop->GetValue(), 100);  // held to the field's range
    EXPECT_DOUBLE_EQ(Window->edBarrierPressure->GetValue(), 0.1);
    EXPECT_TRUE(Window->Floating());

    Window->chkDoser2Active->SetChecked(true);
    Window->edDoser2SrngDiam->SetValue(14.5);
    Window->edTapePressureStart->SetValue(33.3);
    Window->cbbRotbarMode->SetItemIndex(1);
    FreeForm(Window);
    const struct {
        const char* Key;
        const char* Value;
    } stored[] = {
        {"doser2.active", "1"},     {"doser2.srngdiam", "14.5"}, {"tape.pressure.start", "33.3"}, {"rotbar.mode", "1"},
        {"horizbarrier.wp", "7.5"}, {"doser2.wp", "12.5"},       {"horizbarrier.delay", "2.5"},   {"Docked", "0"}};
    for (const auto& s : stored) EXPECT_EQ(IniFile->ReadString("TDARCtrl", s.Key, ""), s.Value) << s.Key;

    Window = CreateForm<TFTDARCtrl>(nullptr);
    EXPECT_TRUE(Window->chkDoser2Active->GetChecked());
    EXPECT_DOUBLE_EQ(Window->edDoser2SrngDiam->GetValue(), 14.5);
    EXPECT_DOUBLE_EQ(Window->edTapePressureStart->GetValue(), 33.3);
    EXPECT_EQ(Window->cbbRotbarMode->GetItemIndex(), 1);
}

TEST_F(Tdar, CaptionFromTheLanguageFileAndHiddenForTheTroughDevice)
{
    ForceDirectories(Dir.File("Language"));
    WriteFileText(Dir.File("Language/english.lng"),
                  "[TDARCtrl]\n0=Band und Spülen\n1=Waagerecht\n[Resource]\nTDAR=BuS\n");
    Open();
    EXPECT_EQ(Window->GetCaption(), "Band und Spülen");
    EXPECT_EQ(Window->grpHorizBarrier->GetCaption(), " Horizontal barrier ");
    EXPECT_EQ((*Window->StatusLines)[0], "BuS");
    EXPECT_TRUE(Window->GetVisible());
    TProcessFixture::TearDown();

    Open({}, "DeviceType=ZEL\n");
    EXPECT_FALSE(Window->GetVisible());
    EXPECT_FALSE(Main->actViewTDARCtrl->GetVisible());
    EXPECT_TRUE(Window->Floating());
}

}  // namespace
