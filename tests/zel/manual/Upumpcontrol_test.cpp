// The pump control window with the recording link and the real layer-by-layer manual
// control window beside it: the pump's lines (start with and without a target, the
// direction from the calibration window, stop, reset, speeds), the target volume kept in
// zel.ini, and the doser half carried out by the other window and kept in step with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "kvc/KvMultiLang.h"
#include "kvc/WidgetInput.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/base/IniFiles.h"
#include "support_link/RecordingLink.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Common.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/ProgramFixture.h"
#include "zel/core/MainWindowFixture.h"
#include "zel/manual/Ucalibratedevice.h"
#include "zel/manual/Umanualcontrol2.h"
#include "zel/manual/Upumpcontrol.h"

namespace {

using Lines = std::vector<std::string>;

std::string Fixed(double Value, int Decimals) { return FloatToStrF(Value, ffFixed, 10, Decimals); }

class TPumpCtrlTest : public TToolWindowFixture<TFPumpCtrl> {
protected:
    // zel.ini's text before the windows are created (empty: no file); the layer-by-layer
    // manual window is created first, as at start-up, unless told otherwise.
    void Start(const std::string& Ini) override { Start(Ini, true); }
    void Start(const std::string& Ini, bool WithDoserWindow)
    {
        StartLinked(Ini);
        if (WithDoserWindow) Doser = CreateForm<TFManualCtrl2>(nullptr);
        Link().ClearCalls();
        Window = CreateForm<TFPumpCtrl>(nullptr);
    }
    TPeristalticPump& Pump() { return CalibrateParam.perilstaticPump; }

    TFManualCtrl2* Doser = nullptr;
};

TEST_F(TPumpCtrlTest, StartSendsTheStoredSpeedClampedToTheSlider)
{
    Start("[PumpControl]\nPumpSpeed=99999999\nPumpVolume=2,5\n");
    const int max = DoubleToInt32(Pump().GetMaxSpeedCode());
    const int min = DoubleToInt32(Pump().GetMinSpeedCode());
    EXPECT_EQ(Window->sldrPumpSpeed->GetMax(), max);
    EXPECT_EQ(Window->sldrPumpSpeed->GetMin(), min);
    EXPECT_EQ(Window->sldrPumpSpeed->GetFrequency(), (max - min) / 32);
    EXPECT_EQ(Window->sldrPumpSpeed->LineSize, static_cast<int>((max - min) * 0.01));
    EXPECT_EQ(Window->sldrPumpSpeed->PageSize, static_cast<int>((max - min) * 0.1));
    EXPECT_EQ(Window->sldrPumpSpeed->GetPos(), max);
    EXPECT_EQ(Sent(), Lines{Valued("PeristalticPumpSpeed=", max)});
    EXPECT_EQ(Window->edPumpSpeed->GetValueFloat(), Window->edPumpSpeed->GetValueFloat());
    EXPECT_EQ(Window->edPumpSpeed->GetText(), Fixed(Pump().CodeToSpeed(max), 3));
    // A comma or a point: the same target.
    EXPECT_DOUBLE_EQ(Window->edTargetPumpVolume->GetValueFloat(), 2.5);
    EXPECT_EQ(Window->edPumpSpeed->Max, Pump().GetMaxSpeed());
    EXPECT_EQ(Window->edTargetPumpVolume->Max, Pump().GetShMax());
    EXPECT_EQ(Window->edCurrentPumpVolume->Min, Pump().GetShMin());
    EXPECT_FALSE(Window->edCurrentPumpVolume->GetEnabled());

    Window->edTargetPumpVolume->SetValueFloat(2.25);
    WidgetInput::PressKey(Window->sldrPumpSpeed, Qt::Key_Home);
    Sent();
    Restart();
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadString("PumpControl", "PumpVolume", ""), "2.25");
    EXPECT_EQ(ini.ReadInteger("PumpControl", "PumpSpeed", -1), min);
    EXPECT_DOUBLE_EQ(Window->edTargetPumpVolume->GetValueFloat(), 2.25);
    EXPECT_EQ(Sent(), Lines{Valued("PeristalticPumpSpeed=", min)});
}

TEST_F(TPumpCtrlTest, BrokenStoredVolumeMeansNoTarget)
{
    Start("[PumpControl]\nPumpVolume=two\nPumpSpeed=x\n");
    EXPECT_DOUBLE_EQ(Window->edTargetPumpVolume->GetValueFloat(), 0);
    EXPECT_EQ(Window->sldrPumpSpeed->GetPos(), std::max(0, Window->sldrPumpSpeed->GetMin()));
}

TEST_F(TPumpCtrlTest, StartRunsToTheTargetOrUntilStopped)
{
    Start("");
    Sent();
    Window->edTargetPumpVolume->SetValueFloat(0);
    Window->btnPumpStart->Click();
    EXPECT_FALSE(Window->btnPumpStart->GetVisible());
    EXPECT_TRUE(Window->btnPumpStop->GetVisible());
    EXPECT_EQ(Sent(), Lines{"PeristalticPumpMoveCW 00000000"});
    Window->btnPumpStop->Click();
    EXPECT_TRUE(Window->btnPumpStart->GetVisible());
    EXPECT_FALSE(Window->btnPumpStop->GetVisible());
    EXPECT_EQ(Sent(), Lines{"PeristalticPumpStop"});

    const double target = std::min(1.5, Pump().GetShMax());
    Window->edTargetPumpVolume->SetValueFloat(target);
    Window->btnPumpStart->Click();
    const std::int32_t steps = DoubleToInt32(Pump().ShToHw(Window->edTargetPumpVolume->GetValueFloat()));
    EXPECT_NE(steps, 0);
    EXPECT_EQ(Sent(), Lines{Valued("PeristalticPumpMoveCW", steps)});
    // The pump reaching its target changes nothing here: Stop stays until pressed.
    Window->ShowMotionState(20);
    EXPECT_TRUE(Window->btnPumpStop->GetVisible());
    Window->btnPumpVolumeReset->Click();
    EXPECT_EQ(Sent(), Lines{"PeristalticPumpReset"});
}

TEST_F(TPumpCtrlTest, DirectionComesFromTheCalibrationWindow)
{
    StartCommon("");
    auto* calibration = CreateForm<TFCalibrateDevice>(nullptr);
    DoneCommon();
    Start("");
    ASSERT_EQ(FCalibrateDevice, calibration);
    calibration->cbbPerilstaticPumpDirection->SetItemIndex(1);
    Sent();
    Window->btnPumpStart->Click();
    EXPECT_EQ(Sent(), Lines{"PeristalticPumpMoveCCW 00000000"});
    calibration->cbbPerilstaticPumpDirection->SetItemIndex(0);
    Window->btnPumpStop->Click();
    Window->btnPumpStart->Click();
    EXPECT_EQ(Sent(), (Lines{"PeristalticPumpStop", "PeristalticPumpMoveCW 00000000"}));
}

TEST_F(TPumpCtrlTest, TypedPumpSpeedIsSentThenTheSliderSendsItsPosition)
{
    Start("");
    Window->Show();
    Sent();
    // A speed the edit shows as it is (3 decimals).
    const double speed = StrToFloat(Fixed((Pump().GetMinSpeed() + Pump().GetMaxSpeed()) / 2, 3));
    Window->edPumpSpeed->SetValueFloat(speed);
    const std::int32_t code = DoubleToInt32(Pump().SpeedToCode(speed));
    EXPECT_EQ(Sent(), (Lines{Valued("PeristalticPumpSpeed=", code), Valued("PeristalticPumpSpeed=", code)}));
    EXPECT_EQ(Window->sldrPumpSpeed->GetPos(), code);

    // The slider shows the speed of its position while it moves and sends it when done.
    WidgetInput::PressKey(Window->sldrPumpSpeed, Qt::Key_End);
    const int max = Window->sldrPumpSpeed->GetMax();
    EXPECT_EQ(Window->edPumpSpeed->GetText(), Fixed(Pump().CodeToSpeed(max), 3));
    EXPECT_EQ(Sent(), Lines{Valued("PeristalticPumpSpeed=", max)});
}

TEST_F(TPumpCtrlTest, DoserSpeedFollowsTheOtherWindowOnItsScale)
{
    Start("[ManualControl2]\nold=1\n");
    ASSERT_TRUE(Doser->OldSpeedScale);
    EXPECT_EQ(Window->trbDoserSpeed->GetMin(), Doser->trbDoserSpeed->GetMin());
    EXPECT_EQ(Window->trbDoserSpeed->GetMax(), Doser->trbDoserSpeed->GetMax());
    EXPECT_EQ(Window->trbDoserSpeed->GetLineSize(), Doser->trbDoserSpeed->GetLineSize());
    // At start the pump window stands where the other window's code puts it.
    EXPECT_EQ(Doser->TrackBarToSpeedCode(Window->trbDoserSpeed), static_cast<int>(Doser->DoserSpeedCode));
    Sent();
    Doser->SetDoserSpeed(900);
    EXPECT_EQ(Window->trbDoserSpeed->GetMin(), 1);
    EXPECT_EQ(Window->trbDoserSpeed->GetMax(), 1000);
    EXPECT_EQ(Window->trbDoserSpeed->GetPosition(), 101);
    // Shown as the other window shows it (both clamp into the doser's speed range).
    EXPECT_EQ(Window->edDoserSpeed->GetText(), Doser->edDoserSpeed->GetText());
    EXPECT_NEAR(Window->edDoserSpeed->GetValueFloat(),
                std::clamp(CalibrateParam.doser.CodeToSpeed(900), Doser->edDoserSpeed->Min, Doser->edDoserSpeed->Max),
                0.0005);
    EXPECT_EQ(Sent(), Lines{"DoserSpeed= 00000384"});

    // Moving and releasing this window's bar sets the speed through the other window.
    Window->Show();
    WidgetInput::Key(Window->trbDoserSpeed, QEvent::KeyPress, Qt::Key_End);
    EXPECT_EQ(Window->trbDoserSpeed->GetPosition(), 1000);
    const std::string shown = Window->edDoserSpeed->GetText();
    Window->edDoserSpeed->InitFloat(CalibrateParam.doser.CodeToSpeed(1));
    EXPECT_EQ(shown, Window->edDoserSpeed->GetText());
    EXPECT_TRUE(Sent().empty());
    WidgetInput::Key(Window->trbDoserSpeed, QEvent::KeyRelease, Qt::Key_End);
    EXPECT_EQ(Doser->trbDoserSpeed->GetPosition(), 1000);
    EXPECT_EQ(Doser->DoserSpeedCode, 1u);
    EXPECT_EQ(Sent(), Lines{"DoserSpeed= 00000001"});
    EXPECT_EQ(Window->trbDoserSpeed->GetPosition(), 1000);
}

TEST_F(TPumpCtrlTest, TypedDoserSpeedGoesThroughTheOtherWindowsEntry)
{
    Start("");
    Sent();
    const double speed = Doser->edDoserSpeed->Max;
    Window->edDoserSpeed->SetValueFloat(speed * 10);  // clamped by this window's range first
    const std::uint32_t code =
        static_cast<std::uint32_t>(DoubleToInt32(CalibrateParam.doser.SpeedToCode(StrToFloat(Fixed(speed, 3)))));
    EXPECT_EQ(Sent(), Lines{Valued("DoserSpeed=", code)});
    EXPECT_EQ(Doser->DoserSpeedCode, code);
    EXPECT_EQ(Window->edDoserSpeed->Max, Doser->edDoserSpeed->Max);
    EXPECT_EQ(Window->edDoserMoveLen->Max, Doser->edDoserMoveLen->Max);
}

TEST_F(TPumpCtrlTest, DoserMovesAreCarriedOutByTheOtherWindow)
{
    Start("");
    Sent();
    const double length = std::min(0.5, CalibrateParam.doser.GetShMax());
    Window->edDoserMoveLen->InitFloat(length);
    Window->btnDoserDown->Click();
    const std::int32_t steps = DoubleToInt32(CalibrateParam.doser.ShToHwDelta(Window->edDoserMoveLen->GetValueFloat()));
    EXPECT_EQ(Sent(), Lines{Valued("DoserMoveDown", steps)});
    EXPECT_DOUBLE_EQ(Doser->edDoserMoveLen->GetValueFloat(), Window->edDoserMoveLen->GetValueFloat());
    EXPECT_TRUE(Window->btnDoserDown->GetDown());
    EXPECT_TRUE(Doser->btnDoserDown->GetDown());

    Window->btnDoserStop->Click();
    EXPECT_EQ(Sent(), Lines{"DoserStop"});
    EXPECT_FALSE(Window->btnDoserDown->GetDown());
    EXPECT_FALSE(Doser->btnDoserDown->GetDown());

    Window->edDoserMoveLen->InitFloat(0);
    Window->btnDoserUp->Click();
    EXPECT_EQ(Sent(), Lines{"DoserMoveUp 00000000"});
    EXPECT_TRUE(Window->btnDoserUp->GetDown());
}

TEST_F(TPumpCtrlTest, DoserButtonsFollowTheMotionCodes)
{
    Start("");
    struct Case {
        int Code;
        bool UpBefore, DownBefore, UpAfter, DownAfter;
    };
    const Case cases[] = {
        {10, false, false, true, false}, {11, true, false, false, true}, {12, true, false, false, false},
        {0, false, true, false, false},  {9, true, false, true, false},  {21, false, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Code);
        Window->btnDoserUp->SetDown(c.UpBefore);
        Window->btnDoserDown->SetDown(c.DownBefore);
        Window->ShowMotionState(c.Code);
        EXPECT_EQ(Window->btnDoserUp->GetDown(), c.UpAfter);
        EXPECT_EQ(Window->btnDoserDown->GetDown(), c.DownAfter);
    }
}

TEST_F(TPumpCtrlTest, ReadingsComeFromTheDeviceState)
{
    Start("");
    DeviceState.doserPos = 4000;
    DeviceState.pumpPos = 0x80000000u;  // raw values are unsigned
    Window->RefreshIndicators();
    EXPECT_EQ(Window->txtDoserPos->GetCaption(), Fixed(CalibrateParam.doser.HwToSh(4000), 3));
    EXPECT_EQ(Window->edCurrentPumpVolume->GetText(), Fixed(Pump().HwToSh(2147483648.0), 3));
}

TEST_F(TPumpCtrlTest, WithoutTheDoserWindowThePumpStillRuns)
{
    Start("", false);
    ASSERT_EQ(FManualCtrl2, nullptr);
    Sent();
    Window->btnDoserUp->Click();
    Window->btnDoserStop->Click();
    Window->btnDoserZero->Click();
    Window->edDoserSpeed->SetValueFloat(1);
    Window->btnDoserInjectorPresets->Click();
    Window->btnInjectorPresetsApply->Click();
    EXPECT_TRUE(Sent().empty());
    Window->btnPumpStart->Click();
    EXPECT_EQ(Sent(), Lines{"PeristalticPumpMoveCW 00000000"});
}

TEST_F(TPumpCtrlTest, InjectorPresetsPanelMirrorsTheOtherWindow)
{
    Start("[ManualControl2]\nInjectorPresets.1=10 ml 14.5\nInjectorPresets.2=5 ml 12\nInjectorPresets.Selected=1\n");
    ASSERT_EQ(Window->cbbInjectorPresets->Items().Count(), Doser->cbbInjectorPresets->Items().Count());
    EXPECT_EQ(Window->cbbInjectorPresets->GetItemIndex(), Doser->cbbInjectorPresets->GetItemIndex());
    Window->btnDoserInjectorPresets->Click();
    EXPECT_TRUE(Window->grpInjectorPresets->GetVisible());
    EXPECT_FALSE(Window->btnDoserUp->GetEnabled());
    EXPECT_FALSE(Window->btnDoserDown->GetEnabled());
    Window->btnInjectorPresetsCancel->Click();
    EXPECT_FALSE(Window->grpInjectorPresets->GetVisible());
    EXPECT_TRUE(Window->btnDoserUp->GetEnabled());
    ASSERT_EQ(Window->cbbInjectorPresets->Items().Count(), 2);
    EXPECT_EQ(Window->cbbInjectorPresets->GetItemIndex(), 1);
    Window->cbbInjectorPresets->SetItemIndex(0);
    Window->cbbInjectorPresetsChange(Window->cbbInjectorPresets);
    EXPECT_EQ(Doser->cbbInjectorPresets->GetItemIndex(), 0);
    EXPECT_EQ(Window->cbbInjectorPresets->GetText(), Window->cbbInjectorPresets->Items()[0]);
}

TEST_F(TPumpCtrlTest, CaptionsFromTheOtherWindowAndTheLanguageSection)
{
    UseLanguage("[PumpControl]\n0=Pumpe\n1=\n2=Jetzt\n3=Ziel\n4=\n5=Los\n6=Halt\n7=ml/Min\n");
    Start("");
    EXPECT_EQ(Window->GetCaption(), "Pumpe");
    EXPECT_EQ(Window->grpPump->GetCaption(), "Pump");
    EXPECT_EQ(Window->lblCurrentPumpVolume->GetCaption(), "Jetzt");
    EXPECT_EQ(Window->lblTargetPumpVolume->GetCaption(), "Ziel");
    EXPECT_EQ(Window->btnPumpStart->GetCaption(), "Los");
    EXPECT_EQ(Window->btnPumpStop->GetCaption(), "Halt");
    EXPECT_EQ(Window->lblDoserSpeedUnits->GetCaption(), "ml/Min");

    Doser->grpDoser->SetCaption("Dosierer");
    Doser->lblDoserMoveLen->SetCaption("Hub");
    Doser->SetHint("Handsteuerung");
    Window->ApplyLanguage();
    EXPECT_EQ(Window->grpDoser->GetCaption(), "Dosierer");
    EXPECT_EQ(Window->lblDoserMoveLen->GetCaption(), "Hub");
    EXPECT_EQ(Window->GetHint(), "Handsteuerung");
    EXPECT_EQ(Window->cbbInjectorUnits->Items()[1], Doser->cbbInjectorUnits->Items()[1]);
}

using TPumpCtrlInProgramTest = TMainWindowFixture;

TEST_F(TPumpCtrlInProgramTest, DocksAtStartAndFollowsTheDosersMotionReports)
{
    Start("[Common]\n" + Libraries());
    auto* doser = CreateForm<TFManualCtrl2>(nullptr);
    auto* window = CreateForm<TFPumpCtrl>(nullptr);
    Main->Show();
    EXPECT_FALSE(window->Floating());
    EXPECT_TRUE(window->GetVisible());
    Link()->SendNotify(hlnMotionState, 10);
    EXPECT_TRUE(window->btnDoserUp->GetDown());
    EXPECT_TRUE(doser->btnDoserUp->GetDown());
    Link()->SendNotify(hlnDrivesStopped, 0);
    EXPECT_FALSE(window->btnDoserUp->GetDown());
    window->edTargetPumpVolume->SetValueFloat(0.75);
    DestroyForms();
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadString("PumpControl", "Docked", ""), "1");
    EXPECT_EQ(ini.ReadString("PumpControl", "PumpVolume", ""), "0.75");
}

}  // namespace
