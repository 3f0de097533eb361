// The manual control window with the recording link: the exact lines of every move, stop,
// speed and limit, the latching buttons following the device's motion codes, the
// track-bar positions kept in zel.ini across a restart, the readings and the device-type
// layout.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "kvc/KvMultiLang.h"
#include "kvc/WidgetInput.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/base/IniFiles.h"
#include "platform/ui/RxSpin.h"
#include "support_link/RecordingLink.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Common.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/ProgramFixture.h"
#include "zel/core/MainWindowFixture.h"
#include "zel/manual/Ucalibratedevice.h"
#include "zel/manual/Umanualcontrol.h"
#include "zel/trough/Udippingcontrol.h"

namespace {

using Lines = std::vector<std::string>;

std::uint32_t CodeOf(TMotor& Unit, double Speed)
{
    return static_cast<std::uint32_t>(DoubleToInt32(Unit.SpeedToCode(Speed)));
}

// The speed a bar of 0 to 1000 positions stands for.
double SpeedAt(TMotor& Unit, int Position)
{
    return Unit.GetMinSpeed() + (Unit.GetMaxSpeed() - Unit.GetMinSpeed()) * Position / 1000.0;
}

std::string Fixed(double Value, int Decimals) { return FloatToStrF(Value, ffFixed, 10, Decimals); }

// A stand-in for the dipping window: only the two limit fields the manual window writes.
class TManualCtrlTest : public TToolWindowFixture<TFManualCtrl> {
protected:
    void SetUp() override
    {
        TToolWindowFixture::SetUp();
        SavedZero = CalibrateParam.dipper.GetZeroHw();
    }
    void TearDown() override
    {
        TToolWindowFixture::TearDown();
        CalibrateParam.dipper.SetZeroHw(SavedZero);
    }

    int SavedZero = 0;
};

TEST_F(TManualCtrlTest, StartSendsStoredLimitsThenTheSpeedsOfTheTrackBars)
{
    Start(
        "[ManualControl]\nDipperUpLimit=100\nDipperDownLimit=-200\nLblDipperUpLimit=300\nLblDipperDownLimit=400\n"
        "DipperSpeed=1500\nBarrier1Speed=500\nBarrier2Speed=-7\n");
    TCalibrateParam& clb = CalibrateParam;
    // Stored positions outside the bar's range are clamped before a speed is derived.
    EXPECT_EQ(Window->TBDipSpeed->GetPosition(), 1000);
    EXPECT_EQ(Window->trbTrBar2Speed->GetPosition(), 0);
    EXPECT_EQ(Window->trbTrBar1Speed->GetPosition(), 500);
    const std::uint32_t barrier1 = CodeOf(clb.barrier1, SpeedAt(clb.barrier1, 500));
    const std::uint32_t barrier2 = CodeOf(clb.barrier2, clb.barrier2.GetMinSpeed());
    const std::uint32_t dipper = CodeOf(clb.dipper, clb.dipper.GetMaxSpeed());
    EXPECT_EQ(Sent(), (Lines{"DipTopLevel= 00000064", "DipBottomLevel= FFFFFF38", "LblDipTopLevel= 0000012C",
                             "LblDipBottomLevel= 00000190", Valued("Barrier1Speed=", barrier1),
                             Valued("Barrier2Speed=", barrier2), Valued("DipperSpeed=", dipper)}));
    EXPECT_NE(barrier1, barrier2);
    EXPECT_EQ(Window->Barrier1SpeedCode, barrier1);
    EXPECT_EQ(Window->DipperSpeedCode, dipper);
    EXPECT_EQ(Window->DipperUpLimit, 100);
    EXPECT_EQ(Window->LblDipperDownLimit, 400);
    // The setters show the speed the code really stands for.
    EXPECT_EQ(Window->txtTrBar1Spd->GetCaption(), Fixed(clb.barrier1.CodeToSpeed(barrier1), 3));
    EXPECT_EQ(Window->edTrBar1Speed->GetText(), Window->txtTrBar1Spd->GetCaption());
    EXPECT_EQ(Window->STSpeed->GetCaption(), Fixed(clb.dipper.CodeToSpeed(dipper), 1));
    // Without language items the limit buttons read only the bracketed position.
    EXPECT_EQ(Window->btnBDipUp->GetCaption(), "[" + Fixed(clb.dipper.HwToSh(100), 1) + "]");
    EXPECT_EQ(Window->btnBDipDown->GetCaption(), "[" + Fixed(clb.dipper.HwToSh(-200), 1) + "]");
    // The edits take their ranges from the drives' speed ranges.
    EXPECT_EQ(Window->edTrBar2Speed->Min, clb.barrier2.GetMinSpeed());
    EXPECT_EQ(Window->edDipSpeed->Max, clb.dipper.GetMaxSpeed());
}

TEST_F(TManualCtrlTest, WithoutLinkNothingIsSentButTheWindowFollowsTheOperator)
{
    Start("");
    HlProvider.Link = nullptr;
    Window->btnCloseBarriers->Click();
    EXPECT_TRUE(Window->btnBarrier1MoveLeft->GetDown());
    EXPECT_TRUE(Window->btnBarrier2MoveRight->GetDown());
    Window->SetDipperUpLimit(50);
    EXPECT_EQ(Window->DipperUpLimit, 50);
    HlProvider.Link = Library.Link;
    EXPECT_EQ(Sent(), (Lines{"DipTopLevel= 00000000", "DipBottomLevel= 00000000", "LblDipTopLevel= 00000000",
                             "LblDipBottomLevel= 00000000", Valued("Barrier1Speed=", Window->Barrier1SpeedCode),
                             Valued("Barrier2Speed=", Window->Barrier2SpeedCode),
                             Valued("DipperSpeed=", Window->DipperSpeedCode)}));
}

TEST_F(TManualCtrlTest, MoveButtonsGoDownAndSendTheirMoveUntilStopped)
{
    Start("");
    struct Case {
        TSpeedButton* TFManualCtrl::*Button;
        TSpeedButton* TFManualCtrl::*Other;
        const char* Line;
    };
    const Case cases[] = {
        {&TFManualCtrl::btnBarrier1MoveLeft, &TFManualCtrl::btnBarrier1MoveRight, "Barrier1MoveLeft 00000000"},
        {&TFManualCtrl::btnBarrier1MoveRight, &TFManualCtrl::btnBarrier1MoveLeft, "Barrier1MoveRight 00000000"},
        {&TFManualCtrl::btnBarrier2MoveLeft, &TFManualCtrl::btnBarrier2MoveRight, "Barrier2MoveLeft 00000000"},
        {&TFManualCtrl::btnBarrier2MoveRight, &TFManualCtrl::btnBarrier2MoveLeft, "Barrier2MoveRight 00000000"},
        {&TFManualCtrl::SBDipperMoveUp, &TFManualCtrl::SBDipperMoveDown, "DipperMoveUp 00000000"},
        {&TFManualCtrl::SBDipperMoveDown, &TFManualCtrl::SBDipperMoveUp, "DipperMoveDown 00000000"},
    };
    Sent();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        (Window->*c.Other)->SetDown(true);
        (Window->*c.Button)->Click();
        EXPECT_TRUE((Window->*c.Button)->GetDown());
        EXPECT_FALSE((Window->*c.Other)->GetDown());
        EXPECT_EQ(Sent(), Lines{c.Line});
    }
    // A click of the operator on a button that is already down leaves it down.
    WidgetInput::Click(Window->SBDipperMoveDown, 5, 5);
    EXPECT_TRUE(Window->SBDipperMoveDown->GetDown());
    EXPECT_EQ(Sent(), Lines{"DipperMoveDown 00000000"});

    Window->btnBarrier1MoveLeft->SetDown(true);
    Window->btnBarrier1Stop->Click();
    Window->btnBarrier2Stop->Click();
    Window->btnDipperStop->Click();
    EXPECT_EQ(Sent(), (Lines{"Barrier1Stop", "Barrier2Stop", "DipperStop"}));
    for (TSpeedButton* b : {Window->btnBarrier1MoveLeft, Window->btnBarrier1MoveRight, Window->btnBarrier2MoveLeft,
                            Window->btnBarrier2MoveRight, Window->SBDipperMoveUp, Window->SBDipperMoveDown})
        EXPECT_FALSE(b->GetDown()) << b->Name;
    // Without a sender the move handler does nothing.
    Window->MoveButtonClick(nullptr);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(TManualCtrlTest, BarrierGroupAndHomeClickTheSingleDrivesInOrder)
{
    Start("");
    Sent();
    // Closing while barrier 1 moves right turns it round.
    Window->btnBarrier1MoveRight->SetDown(true);
    Window->btnCloseBarriers->Click();
    EXPECT_TRUE(Window->btnBarrier1MoveLeft->GetDown());
    EXPECT_FALSE(Window->btnBarrier1MoveRight->GetDown());
    EXPECT_TRUE(Window->btnBarrier2MoveRight->GetDown());
    EXPECT_EQ(Sent(), (Lines{"Barrier1MoveLeft 00000000", "Barrier2MoveRight 00000000"}));

    Window->btnOpenBarriers->Click();
    EXPECT_EQ(Sent(), (Lines{"Barrier1MoveRight 00000000", "Barrier2MoveLeft 00000000"}));
    Window->btnStopBarriers->Click();
    EXPECT_EQ(Sent(), (Lines{"Barrier1Stop", "Barrier2Stop"}));
    EXPECT_FALSE(Window->btnBarrier1MoveRight->GetDown());
    EXPECT_FALSE(Window->btnBarrier2MoveLeft->GetDown());

    Window->btnHomePosition->Click();
    EXPECT_EQ(Sent(), (Lines{"Barrier1MoveRight 00000000", "Barrier2MoveLeft 00000000", "DipperMoveUp 00000000"}));
    EXPECT_TRUE(Window->SBDipperMoveUp->GetDown());
}

TEST_F(TManualCtrlTest, MoveButtonsFollowTheMotionCodes)
{
    Start("");
    TSpeedButton* const b[] = {Window->btnBarrier1MoveLeft,  Window->btnBarrier1MoveRight, Window->btnBarrier2MoveLeft,
                               Window->btnBarrier2MoveRight, Window->SBDipperMoveUp,       Window->SBDipperMoveDown};
    struct Case {
        int Code;
        const char* Before;  // down state of the six buttons, '1' down
        const char* After;
    };
    const Case cases[] = {
        {1, "010000", "100000"},  {2, "100000", "010000"},  {3, "100000", "000000"},  {3, "010000", "000000"},
        {4, "000100", "001000"},  {5, "001000", "000100"},  {6, "001000", "000000"},  {7, "000001", "000010"},
        {8, "000000", "000001"},  {9, "000010", "000000"},  {0, "101010", "000000"},  {1, "100000", "100000"},
        {10, "101001", "101001"}, {12, "010101", "010101"}, {-1, "100000", "100000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("code " + std::to_string(c.Code) + " from " + c.Before);
        for (int i = 0; i < 6; ++i) b[i]->SetDown(c.Before[i] == '1');
        Window->ShowMotionState(c.Code);
        std::string after;
        for (TSpeedButton* button : b) after += button->GetDown() ? '1' : '0';
        EXPECT_EQ(after, c.After);
    }
    Sent();
    Window->ShowMotionState(2);
    EXPECT_TRUE(Sent().empty());  // the device's report sends nothing back
}

TEST_F(TManualCtrlTest, TrackBarShowsWhileMovingAndSendsOnRelease)
{
    Start("");
    TCalibrateParam& clb = CalibrateParam;
    Window->Show();
    Sent();
    WidgetInput::Key(Window->trbTrBar1Speed, QEvent::KeyPress, Qt::Key_End);
    EXPECT_EQ(Window->trbTrBar1Speed->GetPosition(), 1000);
    EXPECT_EQ(Window->txtTrBar1Spd->GetCaption(), Fixed(clb.barrier1.GetMaxSpeed(), 1));
    EXPECT_EQ(Window->edTrBar1Speed->GetText(), Fixed(clb.barrier1.GetMaxSpeed(), 1));
    EXPECT_TRUE(Sent().empty());
    WidgetInput::Key(Window->trbTrBar1Speed, QEvent::KeyRelease, Qt::Key_End);
    const std::uint32_t code = CodeOf(clb.barrier1, clb.barrier1.GetMaxSpeed());
    EXPECT_EQ(Sent(), Lines{Valued("Barrier1Speed=", code)});
    EXPECT_EQ(Window->Barrier1SpeedCode, code);
    EXPECT_EQ(Window->txtTrBar1Spd->GetCaption(), Fixed(clb.barrier1.CodeToSpeed(code), 3));

    WidgetInput::PressKey(Window->TBDipSpeed, Qt::Key_End);
    const std::uint32_t dipper = CodeOf(clb.dipper, clb.dipper.GetMaxSpeed());
    EXPECT_EQ(Sent(), Lines{Valued("DipperSpeed=", dipper)});
    EXPECT_EQ(Window->STSpeed->GetCaption(), Fixed(clb.dipper.CodeToSpeed(dipper), 1));
    WidgetInput::PressKey(Window->trbTrBar2Speed, Qt::Key_End);
    EXPECT_EQ(Sent(), Lines{Valued("Barrier2Speed=", CodeOf(clb.barrier2, clb.barrier2.GetMaxSpeed()))});

    // The settings keep the bars' positions, and the next start sends their speeds again.
    WidgetInput::PressKey(Window->trbTrBar2Speed, Qt::Key_Home);
    Sent();
    Restart();
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadString("ManualControl", "Barrier1Speed", ""), "1000");
    EXPECT_EQ(ini.ReadString("ManualControl", "Barrier2Speed", ""), "0");
    EXPECT_EQ(ini.ReadString("ManualControl", "DipperSpeed", ""), "1000");
    EXPECT_EQ(Window->trbTrBar1Speed->GetPosition(), 1000);
    const Lines lines = Sent();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[4], Valued("Barrier1Speed=", code));
    EXPECT_EQ(lines[6], Valued("DipperSpeed=", dipper));
}

TEST_F(TManualCtrlTest, TypedSpeedIsClampedSentAndLeavesTheTrackBar)
{
    Start("[ManualControl]\nBarrier1Speed=250\n");
    TCalibrateParam& clb = CalibrateParam;
    Window->Show();
    Sent();
    Window->edTrBar1Speed->SetText("");
    for (char c : std::string("99999")) WidgetInput::PressKey(Window->edTrBar1Speed, Qt::Key_0 + (c - '0'), QString(c));
    WidgetInput::PressKey(Window->edTrBar1Speed, Qt::Key_Return);
    const std::uint32_t code = CodeOf(clb.barrier1, clb.barrier1.GetMaxSpeed());
    EXPECT_EQ(Sent(), Lines{Valued("Barrier1Speed=", code)});
    EXPECT_EQ(Window->Barrier1SpeedCode, code);
    EXPECT_EQ(Window->trbTrBar1Speed->GetPosition(), 250);

    Window->edDipSpeed->SetValueFloat(clb.dipper.GetMinSpeed());
    EXPECT_EQ(Sent(), Lines{Valued("DipperSpeed=", CodeOf(clb.dipper, clb.dipper.GetMinSpeed()))});

    Restart();
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadString("ManualControl", "Barrier1Speed", ""), "250");
}

TEST_F(TManualCtrlTest, TrackBarStepsFollowTheSpeedRange)
{
    Start("");
    for (auto [bar, unit] : {std::pair{Window->trbTrBar1Speed, &CalibrateParam.barrier1},
                             std::pair{Window->TBDipSpeed, &CalibrateParam.dipper}}) {
        const double range = unit->GetMaxSpeed() - unit->GetMinSpeed();
        EXPECT_EQ(bar->GetLineSize(), static_cast<int>(1000 * 0.01 / range)) << bar->Name;
        EXPECT_EQ(bar->GetPageSize(), static_cast<int>(1000 * 0.1 / range)) << bar->Name;
    }
}

TEST_F(TManualCtrlTest, ReadingsComeFromTheDeviceState)
{
    Start("");
    TCalibrateParam& clb = CalibrateParam;
    DeviceState.balance = 0x8000;
    DeviceState.doserBalance = 0x9000;
    DeviceState.barrier1Pos = 12000;
    DeviceState.barrier2Pos = 0xFFFFFFF0u;  // raw values are unsigned
    DeviceState.dipperPos = 54321;
    DeviceState.troughTemp = 0x700;
    DeviceState.airTemp = 0x600;
    AppSettings.ADCDataAccuracy = 2;
    Window->RefreshIndicators();
    EXPECT_EQ(Window->txtST->GetCaption(), Fixed(clb.ballance.HwToSh(0x8000), 2));
    EXPECT_EQ(Window->txtDoserADC->GetCaption(), Fixed(clb.doserBallance.HwToSh(0x9000), 2));
    EXPECT_EQ(Window->txtTrBar1Pos->GetCaption(), Fixed(clb.barrier1.HwToSh(12000), 1));
    EXPECT_EQ(Window->txtTrBar2Pos->GetCaption(), Fixed(clb.barrier2.HwToSh(4294967280.0), 1));
    EXPECT_EQ(Window->STDipPos->GetCaption(), Fixed(clb.dipper.HwToSh(54321), 1));
    EXPECT_EQ(Window->STTemTrough->GetCaption(), Fixed(clb.tempWater.HwToSh(0x700), 1));
    EXPECT_EQ(Window->STTemAir->GetCaption(), Fixed(clb.tempAir.HwToSh(0x600), 1));
    EXPECT_NE(Window->txtTrBar1Pos->GetCaption(), "0.0");
    AppSettings.ADCDataAccuracy = 3;
}

TEST_F(TManualCtrlTest, DipperLimitsGoToTheDippingWindowAndSurviveZeroing)
{
    Start("[ManualControl]\nDipperUpLimit=3200\nDipperDownLimit=-6400\n");
    auto* dipping = CreateForm<TFDippingCtrl>(nullptr);
    TMotor& dipper = CalibrateParam.dipper;
    Sent();
    DeviceState.dipperPos = 16000;
    Window->btnBDipUp->Click();
    EXPECT_EQ(Window->DipperUpLimit, 16000);
    EXPECT_NEAR(dipping->SEUpperLimit->GetValue(), dipper.HwToSh(16000), 0.05);
    DeviceState.dipperPos = 1600;
    Window->btnBDipDown->Click();
    EXPECT_EQ(Sent(), (Lines{"DipTopLevel= 00003E80", "DipBottomLevel= 00000640"}));
    EXPECT_EQ(Window->btnBDipDown->GetCaption(), "[" + Fixed(dipper.HwToSh(1600), 1) + "]");

    // Zero at the dipper's position: the steps stay, their millimetres move; nothing is sent.
    DeviceState.dipperPos = 8000;
    const double before = dipper.HwToSh(16000);
    Window->btnBDipZero->Click();
    EXPECT_EQ(dipper.GetZeroHw(), 8000);
    EXPECT_NE(dipper.HwToSh(16000), before);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Window->DipperUpLimit, 16000);
    EXPECT_EQ(Window->btnBDipUp->GetCaption(), "[" + Fixed(dipper.HwToSh(16000), 1) + "]");
    EXPECT_NEAR(dipping->SEUpperLimit->GetValue(), dipper.HwToSh(16000), 0.05);
    EXPECT_NEAR(dipping->SELowerLimit->GetValue(), dipper.HwToSh(1600), 0.05);

    // The layer-by-layer levels are set by the calibration window.
    Window->SetLblDipperUpLimit(-1);
    Window->SetLblDipperDownLimit(77);
    EXPECT_EQ(Sent(), (Lines{"LblDipTopLevel= FFFFFFFF", "LblDipBottomLevel= 0000004D"}));
    Restart();
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadInteger("ManualControl", "DipperUpLimit", 0), 16000);
    EXPECT_EQ(ini.ReadInteger("ManualControl", "DipperDownLimit", 0), 1600);
    EXPECT_EQ(ini.ReadInteger("ManualControl", "LblDipperUpLimit", 0), -1);
    EXPECT_EQ(ini.ReadInteger("ManualControl", "LblDipperDownLimit", 0), 77);
    EXPECT_EQ(Sent()[0], "DipTopLevel= 00003E80");
}

TEST_F(TManualCtrlTest, LayerByLayerDeviceShowsOnlyTheDipperAndStillSendsTheLimits)
{
    Start("[Common]\nDeviceType=LBL\n[ManualControl]\nDipperUpLimit=5\n");
    for (TControl* hidden :
         {static_cast<TControl*>(Window->grpST), static_cast<TControl*>(Window->grpBarrier1),
          static_cast<TControl*>(Window->grpBarrier2), static_cast<TControl*>(Window->grpTemperature)})
        EXPECT_FALSE(hidden->GetVisible()) << hidden->Name;
    EXPECT_TRUE(Window->grpDipper->GetVisible());
    EXPECT_TRUE(Window->grpBarriers->GetVisible());
    EXPECT_TRUE(Window->btnHomePosition->GetVisible());
    EXPECT_LT(Window->grpDipper->GetTop(), Window->grpBarriers->GetTop());
    EXPECT_FALSE(Window->btnBDipUp->GetEnabled());
    EXPECT_FALSE(Window->btnBDipDown->GetEnabled());
    EXPECT_EQ(Sent()[0], "DipTopLevel= 00000005");

    TearDown();
    Start("[Common]\nDeviceType=ZEL\n");
    EXPECT_TRUE(Window->grpBarrier1->GetVisible());
    EXPECT_TRUE(Window->grpST->GetVisible());
    EXPECT_FALSE(Window->grpTemperature->GetVisible());
    EXPECT_FALSE(Window->txtDoserADC->GetVisible());
    EXPECT_TRUE(Window->btnBDipUp->GetEnabled());
}

TEST_F(TManualCtrlTest, CaptionsFromTheLanguageSection)
{
    UseLanguage(
        "[ManualCtrl]\n0=Handsteuerung\n1=Barriere rechts\n2=\n3=Lage\n4=Tempo\n5=Tauchkopf\n6=\n7=\n8=Null\n"
        "9=Oben\n10=Unten\n11=\n12=\n13=\n14=\n15=\n16=Tara\n17=mm/Min\n18=Handsteuerung LB\n19=Heim\n");
    Start("[ManualControl]\nDipperUpLimit=10\n");
    EXPECT_EQ(Window->GetCaption(), "Handsteuerung");
    EXPECT_EQ(Window->grpBarrier1->GetCaption(), "Barriere rechts");
    EXPECT_EQ(Window->grpBarrier2->GetCaption(), "Barrier Left");  // empty item
    EXPECT_EQ(Window->lblTrBar2Pos->GetCaption(), "Lage");
    EXPECT_EQ(Window->lblTrBar1Pos->GetCaption(), "Lage");
    EXPECT_EQ(Window->lblTrBar1Spd->GetCaption(), "Tempo");
    EXPECT_EQ(Window->grpDipper->GetCaption(), "Tauchkopf");
    EXPECT_EQ(Window->btnBDipZero->GetCaption(), "Null");
    EXPECT_EQ(Window->btnDoserZero->GetCaption(), "Tara");
    EXPECT_EQ(Window->lblDipSpeed->GetCaption(), "mm/Min");
    EXPECT_EQ(Window->lblTrBar1Speed->GetCaption(), "mm/Min");
    EXPECT_EQ(Window->GetHint(), "Handsteuerung LB");
    EXPECT_EQ(Window->btnHomePosition->GetCaption(), "Heim");
    EXPECT_EQ(Window->grpBarriers->GetCaption(), "Barriers");
    // The base texts were in place before the stored limits were set.
    EXPECT_EQ(Window->btnBDipUp->GetCaption(), "Oben[" + Fixed(CalibrateParam.dipper.HwToSh(10), 1) + "]");
    EXPECT_EQ(Window->FormatLimitCaption("Unten", 0), "Unten[" + Fixed(CalibrateParam.dipper.HwToSh(0), 1) + "]");
}

TEST_F(TManualCtrlTest, DipperButtonsAndBalanceZeroReachTheCalibrationWindow)
{
    StartCommon("");
    auto* calibration = CreateForm<TFCalibrateDevice>(nullptr);
    DoneCommon();
    Start("");
    ASSERT_EQ(FCalibrateDevice, calibration);
    Sent();
    Window->SBDipperMoveUp->Click();
    EXPECT_TRUE(calibration->btnDipperMoveUp->GetDown());
    Window->SBDipperMoveDown->Click();
    EXPECT_TRUE(calibration->btnDipperMoveDown->GetDown());
    EXPECT_FALSE(calibration->btnDipperMoveUp->GetDown());
    Window->btnDipperStop->Click();
    EXPECT_FALSE(calibration->btnDipperMoveDown->GetDown());
    EXPECT_EQ(Sent(), (Lines{"DipperMoveUp 00000000", "DipperMoveDown 00000000", "DipperStop"}));

    // Zeroing the balance is the calibration window's "Liquid" level at the present reading.
    const double savedMax = CalibrateParam.ballance.GetHwMax();
    DeviceState.balance = 0x1234;
    Window->btnBBalZero->Click();
    EXPECT_EQ(CalibrateParam.ballance.GetHwMax(), 0x1234);
    CalibrateParam.ballance.SetHwMax(savedMax);
}

// The window inside the program: docked at start, fed by the main window's routing of
// the device's motion reports and its status refresh.
using TManualCtrlInProgramTest = TMainWindowFixture;

TEST_F(TManualCtrlInProgramTest, MotionReportsAndStatusRefreshReachTheWindow)
{
    Start("[Common]\n" + Libraries());
    auto* window = CreateForm<TFManualCtrl>(nullptr);
    Main->Show();
    EXPECT_FALSE(window->Floating());
    EXPECT_TRUE(window->GetVisible());
    ASSERT_NE(Link(), nullptr);
    EXPECT_EQ(Link()->Lines().at(0), "DipTopLevel= 00000000");

    Link()->SendNotify(hlnMotionState, 2);
    EXPECT_TRUE(window->btnBarrier1MoveRight->GetDown());
    Link()->SendNotify(hlnMotionState, 8);
    EXPECT_TRUE(window->SBDipperMoveDown->GetDown());
    Link()->SendNotify(hlnDrivesStopped, 0);
    EXPECT_FALSE(window->btnBarrier1MoveRight->GetDown());
    EXPECT_FALSE(window->SBDipperMoveDown->GetDown());

    DeviceState.dipperPos = 40000;
    const std::uint32_t savedInterval = AppSettings.UpdateStatusInterval;
    AppSettings.UpdateStatusInterval = 0;
    Main->UpdateStatus();
    AppSettings.UpdateStatusInterval = savedInterval;
    EXPECT_EQ(window->STDipPos->GetCaption(), Fixed(CalibrateParam.dipper.HwToSh(40000), 1));

    DestroyForms();
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadString("ManualControl", "Docked", ""), "1");
}

}  // namespace
