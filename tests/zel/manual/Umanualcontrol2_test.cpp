// The layer-by-layer manual control window against the recording link: the exact command
// lines of every drive it moves, the speed track bars and edits on both scales, the
// latching buttons following the device's motion codes, readings from DeviceState,
// injector presets, the settings round trip through zel.ini on disk and the hiding of
// the rotation group for a trough.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "zel/core/MainWindowFixture.h"
#include "kvc/WidgetInput.h"
#include "platform/ui/Application.h"
#include "platform/base/FloatFormat.h"
#include "platform/ui/Forms.h"
#include "platform/base/IniFiles.h"
#include "support_link/RecordingLink.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Common.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/ProgramFixture.h"
#include "zel/manual/Ucalibratedevice.h"
#include "zel/manual/Umanualcontrol2.h"
#include "zel/manual/Upumpcontrol.h"

namespace {

using Lines = std::vector<std::string>;

void OperatorClick(TSpeedButton* Button) { static_cast<QAbstractButton*>(Button->Widget())->click(); }

// A program folder with its zel.ini, the recording link bound to the provider and the
// window created as the program creates it.
class ManualCtrl2Test : public TToolWindowFixture<TFManualCtrl2> {
protected:
    void SetUp() override
    {
        SavedDoser = CalibrateParam.doser;
        SavedTape = CalibrateParam.tape;
        SavedSeparator = GetDecimalSeparator();
        TToolWindowFixture::SetUp();
    }
    // Ends the window (it saves its settings) and the settings file.
    void Stop()
    {
        EndCommon();
        Window = nullptr;
    }
    void TearDown() override
    {
        TToolWindowFixture::TearDown();
        CalibrateParam.doser = SavedDoser;
        CalibrateParam.tape = SavedTape;
        SetDecimalSeparator(SavedSeparator);
    }

    TDoser SavedDoser;
    TTape SavedTape;
    char SavedSeparator = '.';
};

// ---- Start-up, speeds and scales ----

TEST_F(ManualCtrl2Test, StartSendsTheStoredTrackBarPositionsAsOldScaleCodes)
{
    // Old scale: position p stands for Max + Min - p; a stored 0 is raised to the minimum 1.
    Start("[ManualControl2]\nDocked=0\nDoserSpeed=1\nRotBarrierinderSpeed=0\nTapeSpeed=200\n");
    EXPECT_EQ(Link().Lines(), (Lines{"DoserSpeed= 000003E8", "RotBarrierSpeed= 000000FF", "TapeSpeed= 00000038"}));
    EXPECT_EQ(FManualCtrl2, Window);
    EXPECT_TRUE(Window->OldSpeedScale);
    EXPECT_EQ(Window->DoserSpeedCode, 1000u);
    EXPECT_EQ(Window->RotBarrierSpeedCode, 255u);
    EXPECT_EQ(Window->TapeSpeedCode, 56u);
    EXPECT_EQ(Window->trbRotBarrierSpeed->GetPosition(), 1);
    EXPECT_EQ(Window->edTapeSpeed->GetText(), FloatToStrF(CalibrateParam.tape.CodeToSpeed(56), ffFixed, 12, 1));
    // The speed entries are limited to the units' speed ranges; the doser's move length
    // to its volume range.
    EXPECT_DOUBLE_EQ(Window->edDoserSpeed->Min, CalibrateParam.doser.GetMinSpeed());
    EXPECT_DOUBLE_EQ(Window->edDoserSpeed->Max, CalibrateParam.doser.GetMaxSpeed());
    EXPECT_DOUBLE_EQ(Window->edTapeSpeed->Max, CalibrateParam.tape.GetMaxSpeed());
    EXPECT_DOUBLE_EQ(Window->edRotBarrierSpeed->Max, CalibrateParam.rotatingBarrier.GetMaxSpeed());
    EXPECT_DOUBLE_EQ(Window->edDoserMoveLen->Max, CalibrateParam.doser.GetShMax());
    EXPECT_EQ(Window->edtCell->GetMaxValue(), CalibrateParam.revolver.GetTotalCells());
}

TEST_F(ManualCtrl2Test, OldScaleMapsPositionsToCodesAndStepsFollowTheSpeedRange)
{
    Start("[ManualControl2]\nDocked=0\n");
    const struct {
        int Position;
        int Code;
    } cases[] = {{1, 1000}, {1000, 1}, {128, 873}, {500, 501}};
    for (const auto& c : cases) {
        Window->trbDoserSpeed->SetPosition(c.Position);
        EXPECT_EQ(Window->TrackBarToSpeedCode(Window->trbDoserSpeed), c.Code) << c.Position;
    }
    Window->trbTapeSpeed->SetPosition(200);
    EXPECT_EQ(Window->TrackBarToSpeedCode(Window->trbTapeSpeed), 56);
    EXPECT_EQ(Window->TrackBarToSpeedCode(nullptr), 0);

    // Line step 1 %, page step 10 % of the bar per unit of the speed range; never below
    // one position.
    const auto expected = [](double Range, double Fraction, TMotor& Unit) {
        const int step = static_cast<int>(Range * Fraction / (Unit.GetMaxSpeed() - Unit.GetMinSpeed()));
        return step < 1 ? 1 : step;
    };
    EXPECT_EQ(Window->trbDoserSpeed->GetLineSize(), expected(999, 0.01, CalibrateParam.doser));
    EXPECT_EQ(Window->trbDoserSpeed->GetPageSize(), expected(999, 0.1, CalibrateParam.doser));
    EXPECT_EQ(Window->trbRotBarrierSpeed->GetPageSize(), expected(254, 0.1, CalibrateParam.rotatingBarrier));
    EXPECT_EQ(Window->trbTapeSpeed->GetPageSize(), expected(254, 0.1, CalibrateParam.tape));
    EXPECT_EQ(Window->trbDoserSpeed->GetMin(), 1);
    EXPECT_EQ(Window->trbDoserSpeed->GetMax(), 1000);
}

TEST_F(ManualCtrl2Test, TrackBarShowsWhileMovingAndSendsOnRelease)
{
    Start("[ManualControl2]\nDocked=0\nDoserSpeed=100\n");
    Window->Show();
    Link().ClearCalls();
    const int step = Window->trbDoserSpeed->GetLineSize();
    ASSERT_GE(step, 1);
    WidgetInput::Key(Window->trbDoserSpeed, QEvent::KeyPress, Qt::Key_Right);
    ASSERT_EQ(Window->trbDoserSpeed->GetPosition(), 100 + step);
    const int code = 1000 + 1 - (100 + step);
    // The edit shows the code's speed, kept within the doser's speed range.
    const double speed =
        std::clamp(CalibrateParam.doser.CodeToSpeed(code), Window->edDoserSpeed->Min, Window->edDoserSpeed->Max);
    EXPECT_EQ(Window->edDoserSpeed->GetText(), FloatToStrF(speed, ffFixed, 12, 3));
    EXPECT_TRUE(Link().Lines().empty());  // moving only shows the speed
    WidgetInput::Key(Window->trbDoserSpeed, QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_EQ(Link().Lines(), Lines{"DoserSpeed= " + Hex8(code)});
    EXPECT_EQ(Window->DoserSpeedCode, static_cast<std::uint32_t>(code));

    Link().ClearCalls();
    WidgetInput::PressKey(Window->trbTapeSpeed, Qt::Key_Right);
    WidgetInput::PressKey(Window->trbRotBarrierSpeed, Qt::Key_Right);
    ASSERT_GT(Window->trbTapeSpeed->GetPosition(), 1);
    const int tapeCode = 255 + 1 - Window->trbTapeSpeed->GetPosition();
    const int rotCode = 255 + 1 - Window->trbRotBarrierSpeed->GetPosition();
    EXPECT_EQ(Link().Lines(), (Lines{"TapeSpeed= " + Hex8(tapeCode), "RotBarrierSpeed= " + Hex8(rotCode)}));
}

TEST_F(ManualCtrl2Test, NewScaleUsesTheUnitsSpeedCodesAsPositions)
{
    TMotor& doser = CalibrateParam.doser;
    const int minCode = DoubleToInt32(doser.GetMinSpeedCode()), maxCode = DoubleToInt32(doser.GetMaxSpeedCode());
    ASSERT_LT(minCode, maxCode);
    const int stored = (minCode + maxCode) / 2;
    Start("[ManualControl2]\nDocked=0\nold=0\nDoserSpeed=" + std::to_string(stored) + "\nTapeSpeed=99999999\n");
    EXPECT_FALSE(Window->OldSpeedScale);
    EXPECT_EQ(Window->trbDoserSpeed->GetMin(), minCode);
    EXPECT_EQ(Window->trbDoserSpeed->GetMax(), maxCode);
    EXPECT_EQ(Window->trbDoserSpeed->GetFrequency(), (maxCode - minCode) / 32);
    // Steps that would come out below one position still move the bar.
    EXPECT_GE(Window->trbDoserSpeed->GetLineSize(), 1);
    EXPECT_GE(Window->trbDoserSpeed->GetPageSize(), 1);
    const int tapeMax = DoubleToInt32(CalibrateParam.tape.GetMaxSpeedCode());
    const Lines sent = Link().Lines();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], "DoserSpeed= " + Hex8(stored));  // the position is the code
    EXPECT_EQ(sent[2], "TapeSpeed= " + Hex8(tapeMax));  // clamped to the tape's top code

    Window->Show();
    Link().ClearCalls();
    WidgetInput::PressKey(Window->trbDoserSpeed, Qt::Key_Right);
    EXPECT_EQ(Link().Lines(), Lines{"DoserSpeed= " + Hex8(Window->trbDoserSpeed->GetPosition())});
}

TEST_F(ManualCtrl2Test, TypedSpeedIsSentAndTheTrackBarKeepsItsPosition)
{
    Start("[ManualControl2]\nDocked=0\nDoserSpeed=500\nRotBarrierinderSpeed=17\nTapeSpeed=30\n");
    Link().ClearCalls();
    struct Case {
        KVC::TKvEdit* Edit;
        TMotor* Unit;
        const char* Word;
    };
    const Case cases[] = {{Window->edDoserSpeed, &CalibrateParam.doser, "DoserSpeed= "},
                          {Window->edRotBarrierSpeed, &CalibrateParam.rotatingBarrier, "RotBarrierSpeed= "},
                          {Window->edTapeSpeed, &CalibrateParam.tape, "TapeSpeed= "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Word);
        Link().ClearCalls();
        const double speed = (c.Edit->Min + c.Edit->Max) / 3;
        // The entry is converted as shown, rounded to the edit's decimals.
        const double entered = StrToFloat(FloatToStrF(speed, ffFixed, 12, c.Edit->FloatDigits));
        c.Edit->SetValueFloat(speed);
        EXPECT_EQ(Link().Lines(), Lines{c.Word + Hex8(DoubleToInt32(c.Unit->SpeedToCode(entered)))});
        EXPECT_EQ(c.Edit->GetText(), FloatToStrF(c.Unit->CodeToSpeed(DoubleToInt32(c.Unit->SpeedToCode(entered))),
                                                 ffFixed, 12, c.Edit->FloatDigits));
    }
    EXPECT_EQ(Window->trbDoserSpeed->GetPosition(), 500);
    Stop();
    // Saving keeps track-bar positions, not the typed speeds.
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadString("ManualControl2", "DoserSpeed", ""), "500");
    EXPECT_EQ(ini.ReadString("ManualControl2", "RotBarrierinderSpeed", ""), "17");
    EXPECT_EQ(ini.ReadString("ManualControl2", "TapeSpeed", ""), "30");
}

// ---- Rotation control ----

TEST_F(ManualCtrl2Test, RotatorAndRevolverTurnByTheAngleAndStopOnTheSecondClick)
{
    Start("[ManualControl2]\nDocked=0\n");
    Window->Show();
    Link().ClearCalls();
    const int full = DoubleToInt32(CalibrateParam.dipperRotator.ShToHwDelta(360));
    OperatorClick(Window->btnRotateDipperClockwise);
    EXPECT_TRUE(Window->btnRotateDipperClockwise->GetDown());
    OperatorClick(Window->btnRotateDipperClockwise);  // released by the operator: stop, no angle
    EXPECT_EQ(Link().Lines(), (Lines{"RotateDipperCW " + Hex8(full), "StopDipperRotator"}));

    // "Manual" takes the angle from the edit, truncated to whole degrees.
    Window->chkRotateManual->SetChecked(true);
    EXPECT_TRUE(Window->edtRotateRevolver->GetEnabled());
    Window->edtRotateRevolver->SetValue(45.9);
    Window->edtRotateDipper->SetValue(10.5);
    Link().ClearCalls();
    OperatorClick(Window->btnRotateRevolverAntiClockwise);
    OperatorClick(Window->btnRotateDipperAntiClockwise);
    Window->btnRotateRevolverClockwise->Click();  // from code while up: a stop
    Window->edtCell->SetValue(3);
    Window->btnCellGo->Click();
    EXPECT_EQ(Link().Lines(),
              (Lines{"RotateRevolverCCW " + Hex8(DoubleToInt32(CalibrateParam.revolver.ShToHwDelta(45))),
                     "RotateDipperCCW " + Hex8(DoubleToInt32(CalibrateParam.dipperRotator.ShToHwDelta(10))),
                     "StopRevolver", "MoveDipperToCell 3"}));
    Window->chkRotateManual->SetChecked(false);
    EXPECT_FALSE(Window->edtRotateDipper->GetEnabled());

    // Only the rotation notices release the rotation buttons.
    Window->btnRotateRevolverClockwise->SetDown(true);
    Window->ShowMotionState(0);
    EXPECT_TRUE(Window->btnRotateDipperAntiClockwise->GetDown());
    EXPECT_TRUE(Window->btnRotateRevolverClockwise->GetDown());
    Window->OnDipperRotatorStopped();
    EXPECT_FALSE(Window->btnRotateDipperAntiClockwise->GetDown());
    EXPECT_TRUE(Window->btnRotateRevolverClockwise->GetDown());
    Window->OnRevolverStopped();
    EXPECT_FALSE(Window->btnRotateRevolverClockwise->GetDown());
}

TEST_F(ManualCtrl2Test, TroughHidesTheRotationGroupOnly)
{
    Start("[Common]\nDeviceType=ZEL\n[ManualControl2]\nDocked=0\n");
    EXPECT_FALSE(Window->GBDrives->GetVisible());
    for (TControl* group :
         {static_cast<TControl*>(Window->grpDoser), static_cast<TControl*>(Window->grpDoserST),
          static_cast<TControl*>(Window->grpRotBarrierinder), static_cast<TControl*>(Window->grpTape)})
        EXPECT_TRUE(group->GetVisible()) << group->Name;
    Stop();
    Start("[Common]\nDeviceType=LBL\n[ManualControl2]\nDocked=0\n");
    EXPECT_TRUE(Window->GBDrives->GetVisible());
}

// ---- Doser, rotating barrier and tape ----

TEST_F(ManualCtrl2Test, DoserMovesByVolumeOrUntilStopped)
{
    Start("[ManualControl2]\nDocked=0\n");
    Window->Show();
    struct Case {
        double Volume;
        TSpeedButton* TFManualCtrl2::*Button;
        const char* Word;
    };
    const Case cases[] = {{0.5, &TFManualCtrl2::btnDoserUp, "DoserMoveUp "},
                          {0, &TFManualCtrl2::btnDoserDown, "DoserMoveDown "},
                          {-1, &TFManualCtrl2::btnDoserUp, "DoserMoveUp "}};
    Window->edDoserMoveLen->Min = Window->edDoserMoveLen->Max = 0;  // no clamping for the table
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Volume);
        Link().ClearCalls();
        Window->edDoserMoveLen->InitFloat(c.Volume);
        OperatorClick(Window->*c.Button);
        const int steps = c.Volume > 0 ? DoubleToInt32(CalibrateParam.doser.ShToHwDelta(c.Volume)) : 0;
        EXPECT_EQ(Link().Lines(), Lines{c.Word + Hex8(steps)});
        EXPECT_TRUE((Window->*c.Button)->GetDown());
    }
    ASSERT_GT(DoubleToInt32(CalibrateParam.doser.ShToHwDelta(0.5)), 0);
    Link().ClearCalls();
    Window->btnDoserUpClick(nullptr);  // no sender: nothing
    Window->btnDoserStop->Click();
    EXPECT_EQ(Link().Lines(), Lines{"DoserStop"});
    EXPECT_FALSE(Window->btnDoserUp->GetDown());
    EXPECT_FALSE(Window->btnDoserDown->GetDown());
}

TEST_F(ManualCtrl2Test, RotatingBarrierAndTapeButtonsSendTheirWords)
{
    Start("[ManualControl2]\nDocked=0\n");
    Window->Show();
    Link().ClearCalls();
    Window->btnRotBarrierLeft->Click();
    EXPECT_TRUE(Window->btnRotBarrierLeft->GetDown());
    OperatorClick(Window->btnRotBarrierRight);
    EXPECT_TRUE(Window->btnRotBarrierRight->GetDown());
    Window->btnRotBarrierStop->Click();
    EXPECT_FALSE(Window->btnRotBarrierRight->GetDown());
    Window->btnTapeRight->Click();
    Window->btnTapeLeft->Click();
    EXPECT_TRUE(Window->btnTapeLeft->GetDown());
    EXPECT_FALSE(Window->btnTapeRight->GetDown());
    Window->btnTapeStop->Click();
    EXPECT_FALSE(Window->btnTapeLeft->GetDown());
    EXPECT_EQ(Link().Lines(), (Lines{"RotBarrierMoveLeft", "RotBarrierMoveRight", "RotBarrierStop", "TapeMoveRight",
                                     "TapeMoveLeft", "TapeStop"}));
}

TEST_F(ManualCtrl2Test, KeepSurfaceTensionSendsTheSetPointWhileDown)
{
    Start("[ManualControl2]\nDocked=0\n");
    Window->Show();
    Window->edDoserKeepST->InitFloat(35.5);
    Link().ClearCalls();
    OperatorClick(Window->btnDoserKeepST);
    EXPECT_FALSE(Window->edDoserMoveLen->GetEnabled());
    OperatorClick(Window->btnDoserKeepST);
    EXPECT_TRUE(Window->edDoserMoveLen->GetEnabled());
    EXPECT_EQ(Link().Lines(),
              (Lines{"DoserAutoPressure= " + Hex8(DoubleToInt32(CalibrateParam.doserBallance.SPToHw(35.5))),
                     "DoserKeepPressure= 00000001", "DoserKeepPressure= 00000000"}));
}

TEST_F(ManualCtrl2Test, MoveButtonsFollowTheMotionCodes)
{
    Start("[ManualControl2]\nDocked=0\n");
    TSpeedButton* const up = Window->btnDoserUp;
    TSpeedButton* const down = Window->btnDoserDown;
    TSpeedButton* const left = Window->btnRotBarrierLeft;
    TSpeedButton* const right = Window->btnRotBarrierRight;
    TSpeedButton* const tapeLeft = Window->btnTapeLeft;
    TSpeedButton* const tapeRight = Window->btnTapeRight;
    const std::vector<TSpeedButton*> all{up, down, left, right, tapeLeft, tapeRight};
    const auto downs = [&] {
        std::vector<bool> state;
        for (TSpeedButton* b : all) state.push_back(b->GetDown());
        return state;
    };
    struct Step {
        int Code;
        std::vector<bool> After;  // up, down, left, right, tape left, tape right
    };
    const Step steps[] = {
        {10, {1, 0, 0, 0, 0, 0}}, {13, {1, 0, 1, 0, 0, 0}}, {17, {1, 0, 1, 0, 0, 1}}, {11, {0, 1, 1, 0, 0, 1}},
        {5, {0, 1, 1, 0, 0, 1}},  {19, {0, 1, 1, 0, 0, 1}}, {12, {0, 0, 1, 0, 0, 1}}, {14, {0, 0, 0, 1, 0, 1}},
        {15, {0, 0, 0, 0, 0, 1}}, {16, {0, 0, 0, 0, 1, 0}}, {18, {0, 0, 0, 0, 0, 0}}, {10, {1, 0, 0, 0, 0, 0}},
        {14, {1, 0, 0, 1, 0, 0}}, {16, {1, 0, 0, 1, 1, 0}}, {0, {0, 0, 0, 0, 0, 0}},
    };
    Link().ClearCalls();
    for (const Step& s : steps) {
        Window->ShowMotionState(s.Code);
        EXPECT_EQ(downs(), s.After) << "after code " << s.Code;
    }
    EXPECT_TRUE(Link().Lines().empty());  // following the device sends nothing
}

TEST_F(ManualCtrl2Test, ReadingsComeFromDeviceStateAndZeroUsesThem)
{
    Start("[ManualControl2]\nDocked=0\n");
    DeviceState.doserBalance = 1234;
    DeviceState.doserPos = 80000;
    DeviceState.rotBarrierPos = 6400;
    DeviceState.tapePos = 0xFFFFFF00u;  // shown as an unsigned count
    Window->RefreshIndicators();
    const auto fixed = [](double Value, int Decimals) { return FloatToStrF(Value, ffFixed, 10, Decimals); };
    EXPECT_EQ(Window->txtDoserST->GetCaption(), fixed(CalibrateParam.doserBallance.HwToSh(1234), 1));
    EXPECT_EQ(Window->txtDoserPos->GetCaption(), fixed(CalibrateParam.doser.HwToSh(80000), 3));
    EXPECT_EQ(Window->txtRotbarPos->GetCaption(), fixed(CalibrateParam.rotatingBarrier.HwToSh(6400), 1));
    EXPECT_EQ(Window->txtTapePos->GetCaption(), fixed(CalibrateParam.tape.HwToSh(4294967040.0), 1));
    EXPECT_NE(Window->txtDoserPos->GetCaption(), fixed(0, 3));

    // "> 0 <" makes the present doser position the zero and shows it at once.
    Window->btnDoserZero->Click();
    EXPECT_EQ(CalibrateParam.doser.GetZeroHw(), 80000);
    EXPECT_EQ(Window->txtDoserPos->GetCaption(), fixed(0, 3));
    Window->btnTapeZero->Click();
    EXPECT_EQ(CalibrateParam.tape.GetZeroHw(), -256);
    EXPECT_FALSE(Window->btnTapeZero->GetVisible());
}

// ---- Injector presets ----

TEST_F(ManualCtrl2Test, PresetsParseWithTheProcessSeparatorAndRefuseBadText)
{
    Start(
        "[ManualControl2]\nDocked=0\nInjectorPresets.1=2.5;ml;7.3\nInjectorPresets.2=2.5;mL;7.3\n"
        "InjectorPresets.3=2.5;ml\nInjectorPresets.4=0;ml;7.3\nInjectorPresets.5=1;ul;4.6\n"
        "InjectorPresets.6=\nInjectorPresets.7=9;ml;9\nInjectorPresets.Selected=0\n");
    SetDecimalSeparator(',');  // the operator's system writes decimal commas
    Window->cbbInjectorPresets->OnChange(Window->cbbInjectorPresets);
    ASSERT_EQ(Window->cbbInjectorPresets->Items().Count(), 5);  // reading stops at the first empty key
    EXPECT_EQ(Window->cbbInjectorPresets->GetItemIndex(), 0);

    Window->btnDoserInjectorPresets->Click();
    EXPECT_TRUE(Window->grpInjectorPresets->GetVisible());
    EXPECT_FALSE(Window->btnDoserUp->GetEnabled());
    EXPECT_TRUE(Dialogs.Requests.empty());
    EXPECT_DOUBLE_EQ(Window->edtInjectorVolume->GetValueFloat(), 2.5);
    EXPECT_DOUBLE_EQ(Window->edtInjectorDiameter->GetValueFloat(), 7.3);
    EXPECT_EQ(Window->cbbInjectorUnits->GetItemIndex(), 1);

    struct Case {
        int Index;
        const char* Shown;  // the text in the error box, after the separator change
    };
    const Case bad[] = {{1, "2,5;mL;7,3"}, {2, "2,5;ml"}, {3, "0;ml;7,3"}};
    for (const Case& c : bad) {
        SCOPED_TRACE(c.Shown);
        Dialogs.Requests.clear();
        Window->cbbInjectorPresets->SetItemIndex(c.Index);
        Window->cbbInjectorPresets->OnChange(Window->cbbInjectorPresets);
        ASSERT_EQ(Dialogs.Requests.size(), 1u);
        EXPECT_EQ(Dialogs.Requests[0].Text, c.Shown);
        EXPECT_EQ(Dialogs.Requests[0].Caption, "Incorrect Injector preset");
        EXPECT_EQ(Dialogs.Requests[0].Flags & MB_ICONERROR, MB_ICONERROR);
        EXPECT_DOUBLE_EQ(Window->edtInjectorVolume->GetValueFloat(), 2.5);  // editors unchanged
    }
    Dialogs.Requests.clear();
    Window->cbbInjectorPresets->SetItemIndex(4);
    Window->cbbInjectorPresets->OnChange(Window->cbbInjectorPresets);
    EXPECT_TRUE(Dialogs.Requests.empty());
    EXPECT_EQ(Window->cbbInjectorUnits->GetItemIndex(), 2);

    // No selection gives an empty text, which is refused too.
    Window->cbbInjectorPresets->SetItemIndex(-1);
    Window->btnDoserInjectorPresets->Click();
    ASSERT_EQ(Dialogs.Requests.size(), 1u);
    EXPECT_EQ(Dialogs.Requests[0].Text, "");
    Window->btnInjectorPresetsCancel->Click();
    EXPECT_FALSE(Window->grpInjectorPresets->GetVisible());
    EXPECT_TRUE(Window->btnDoserUp->GetEnabled());
}

TEST_F(ManualCtrl2Test, AppliedPresetSetsTheSyringeAndTheDoserLimits)
{
    Start("[ManualControl2]\nDocked=0\nInjectorPresets.1=2.5;ml;7.3\n");
    Window->btnDoserInjectorPresets->Click();
    Link().ClearCalls();
    Window->btnInjectorPresetsApply->Click();
    EXPECT_FALSE(Window->grpInjectorPresets->GetVisible());
    EXPECT_DOUBLE_EQ(CalibrateParam.doser.GetSyringeDiameter(), 7.3);
    // The maximum reads back as the preset's volume, with the preset's own syringe.
    EXPECT_NEAR(CalibrateParam.doser.GetShMax(), 2.5, 1e-9);
    EXPECT_NEAR(Window->edDoserMoveLen->Max, 2.5, 1e-9);
    EXPECT_DOUBLE_EQ(Window->edDoserSpeed->Max, CalibrateParam.doser.GetMaxSpeed());
    EXPECT_TRUE(Link().Lines().empty());

    // A volume typed as 0 leaves the doser's range as it was.
    Window->edtInjectorVolume->InitFloat(0);
    Window->btnInjectorPresetsApply->Click();
    EXPECT_NEAR(CalibrateParam.doser.GetShMax(), 2.5, 1e-9);
}

// ---- Settings ----

TEST_F(ManualCtrl2Test, SettingsRoundTripThroughTheFile)
{
    Start(
        "[ManualControl2]\nDocked=0\nold=1\nDoserSpeed=300\nInjectorPresets.1=2.5;ml;7.3\n"
        "InjectorPresets.2=1;ul;4.6\nInjectorPresets.Selected=1\n");
    EXPECT_EQ(Window->cbbInjectorPresets->GetItemIndex(), 1);
    Window->trbDoserSpeed->SetPosition(640);
    Window->trbRotBarrierSpeed->SetPosition(33);
    Window->trbTapeSpeed->SetPosition(44);
    Window->cbbInjectorPresets->SetItemIndex(-1);
    Stop();
    const std::string text = ReadFileText(Dir.File("zel.ini"));
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadString("ManualControl2", "DoserSpeed", ""), "640");
    EXPECT_EQ(ini.ReadString("ManualControl2", "RotBarrierinderSpeed", ""), "33");
    EXPECT_EQ(ini.ReadString("ManualControl2", "TapeSpeed", ""), "44");
    EXPECT_EQ(ini.ReadString("ManualControl2", "InjectorPresets.Selected", ""), "-1");
    EXPECT_EQ(ini.ReadString("ManualControl2", "Docked", ""), "0");
    // The scale and the presets are never written.
    EXPECT_EQ(ini.ReadString("ManualControl2", "old", ""), "1");
    EXPECT_EQ(ini.ReadString("ManualControl2", "InjectorPresets.1", ""), "2.5;ml;7.3");

    Link().ClearCalls();
    Start("");
    EXPECT_EQ(Window->trbDoserSpeed->GetPosition(), 640);
    EXPECT_EQ(Window->trbTapeSpeed->GetPosition(), 44);
    EXPECT_EQ(Window->cbbInjectorPresets->GetItemIndex(), -1);
    EXPECT_EQ(Link().Lines(), (Lines{"DoserSpeed= " + Hex8(1000 + 1 - 640), "RotBarrierSpeed= " + Hex8(255 + 1 - 33),
                                     "TapeSpeed= " + Hex8(255 + 1 - 44)}));
}

// ---- Neighbouring windows ----

// Stands for the pump window and the accessory windows: it keeps a log of what the
// manual window asks of it.
class TProbeFollower : public TToolWindow, public TDoserLimitsFollower {
public:
    TProbeFollower(TComponent* Owner, TToolWindowKind Kind, std::vector<std::string>* Log)
        : TToolWindow(Owner, Kind), FLog(Log)
    {
    }
    void UpdateDoserLimits() override { FLog->push_back(std::string(Pattern().SettingsSection) + " limits"); }
    void SyncDoserSpeed() override
    {
        FLog->push_back(std::string(Pattern().SettingsSection) + " sync " +
                        std::to_string(FManualCtrl2->DoserSpeedCode));
    }

private:
    std::vector<std::string>* FLog;
};

TEST_F(ManualCtrl2Test, NeighbourWindowsFollowTheDoserLimitsInOrder)
{
    Start("");
    std::vector<std::string> log;
    for (TToolWindowKind kind : {TToolWindowKind::Pump, TToolWindowKind::Eud, TToolWindowKind::TDAR,
                                 TToolWindowKind::CylinderMembrane, TToolWindowKind::Disk, TToolWindowKind::Tape})
        CreateForm<TProbeFollower>(nullptr, kind, &log);
    Window->Show();
    Link().ClearCalls();

    // Doser limits go to the pump window first, then to the accessory windows in order.
    Window->UpdateDoserLimits();
    EXPECT_EQ(log, (Lines{"PumpControl limits", "TapeDepositionCtrl limits", "DiskDepositionCtrl limits",
                          "CylinderMembraneDepositionCtrl limits", "TDARCtrl limits", "EudControl limits"}));
    log.clear();
    Window->SetDoserSpeed(321);
    EXPECT_EQ(log, Lines{"PumpControl sync 321"});
    EXPECT_EQ(Link().Lines(), Lines{"DoserSpeed= 00000141"});
}

TEST_F(ManualCtrl2Test, PumpAndCalibrationWindowsMirrorTheDoserAndTheRotation)
{
    // Created in the program's order: the calibration window before this one, the pump
    // window after it.
    StartCommon("");
    auto* calibration = CreateForm<TFCalibrateDevice>(nullptr);
    Window = CreateForm<TFManualCtrl2>(nullptr);
    Window->cbbInjectorPresets->AddItem("2.5;ml;7.3");
    Window->cbbInjectorPresets->AddItem("1;ml;4.6");
    auto* pump = CreateForm<TFPumpCtrl>(nullptr);
    Window->Show();
    int rotationClicks = 0;
    for (TSpeedButton* button :
         {calibration->btnDipperCW, calibration->btnDipperCCW, calibration->btnVesselCW, calibration->btnVesselCCW})
        button->OnClick = [&rotationClicks](TObject*) { ++rotationClicks; };
    int liquidClicks = 0;
    calibration->btnDoserBallanceBottom->OnClick = [&liquidClicks](TObject*) { ++liquidClicks; };
    int presetHandlerCalls = 0;
    pump->cbbInjectorPresets->OnChange = [&presetHandlerCalls](TObject*) { ++presetHandlerCalls; };
    Link().ClearCalls();

    // The pump window's doser buttons: its own button as the sender decides the direction,
    // and both windows' buttons of that direction go down; stop releases both windows.
    Window->edDoserMoveLen->InitFloat(0);
    Window->btnDoserUpClick(pump->btnDoserDown);
    EXPECT_EQ(Link().Lines(), Lines{"DoserMoveDown 00000000"});
    EXPECT_TRUE(Window->btnDoserDown->GetDown());
    EXPECT_TRUE(pump->btnDoserDown->GetDown());
    EXPECT_FALSE(pump->btnDoserUp->GetDown());
    OperatorClick(Window->btnDoserUp);
    EXPECT_TRUE(pump->btnDoserUp->GetDown());
    EXPECT_FALSE(pump->btnDoserDown->GetDown());
    Window->btnDoserStop->Click();
    EXPECT_FALSE(pump->btnDoserUp->GetDown());
    EXPECT_FALSE(Window->btnDoserUp->GetDown());

    // A preset picked here is selected on the pump window, without its handler.
    Window->cbbInjectorPresets->SetItemIndex(1);
    Window->cbbInjectorPresets->OnChange(Window->cbbInjectorPresets);
    EXPECT_EQ(pump->cbbInjectorPresets->GetItemIndex(), 1);
    EXPECT_EQ(presetHandlerCalls, 0);

    // Rotation buttons press the calibration window's matching button (no click there);
    // the stop notices release both windows' buttons of that drive.
    OperatorClick(Window->btnRotateDipperAntiClockwise);
    OperatorClick(Window->btnRotateRevolverClockwise);
    EXPECT_TRUE(calibration->btnDipperCCW->GetDown());
    EXPECT_FALSE(calibration->btnDipperCW->GetDown());
    EXPECT_TRUE(calibration->btnVesselCW->GetDown());
    EXPECT_EQ(rotationClicks, 0);
    Window->OnDipperRotatorStopped();
    EXPECT_FALSE(calibration->btnDipperCCW->GetDown());
    EXPECT_TRUE(calibration->btnVesselCW->GetDown());
    Window->OnRevolverStopped();
    EXPECT_FALSE(calibration->btnVesselCW->GetDown());

    // "Zero" of the doser balance is the calibration window's "Liquid".
    Link().ClearCalls();
    Window->btnBBalZero->Click();
    EXPECT_EQ(liquidClicks, 1);
    EXPECT_TRUE(Link().Lines().empty());
}

TEST_F(ManualCtrl2Test, WithoutNeighbourWindowsEveryCallIsSafe)
{
    Start("[ManualControl2]\nDocked=0\n");
    Link().ClearCalls();
    Window->btnBBalZero->Click();
    Window->UpdateDoserLimits();
    Window->SetDoserSpeed(7);
    OperatorClick(Window->btnRotateDipperClockwise);
    Window->OnDipperRotatorStopped();
    Window->OnRevolverStopped();
    ASSERT_EQ(Link().Lines().size(), 2u);
    EXPECT_EQ(Link().Lines()[0], "DoserSpeed= 00000007");
}

// ---- With the main window: docking, notices and language ----

using ManualCtrl2InMainWindow = TMainWindowFixture;

TEST_F(ManualCtrl2InMainWindow, DocksAtStartAndFollowsTheRoutedNotices)
{
    Start("[Common]\n" + Libraries());
    auto* window = CreateForm<TFManualCtrl2>(nullptr);
    Main->Show();
    ASSERT_FALSE(window->Floating());
    EXPECT_TRUE(window->GetVisible());
    EXPECT_EQ(Main->pgcDock->Pages(0)->DockedForm(), window);

    ASSERT_NE(Link(), nullptr);
    Link()->ClearCalls();
    window->btnTapeRight->Click();
    window->btnRotateDipperClockwise->SetDown(true);
    Link()->SendNotify(hlnMotionState, 10);
    Link()->SendNotify(hlnMotionState, 13);
    EXPECT_TRUE(window->btnDoserUp->GetDown());
    EXPECT_TRUE(window->btnRotBarrierLeft->GetDown());
    Link()->SendNotify(hlnDrivesStopped, 0);
    for (TSpeedButton* b : {window->btnDoserUp, window->btnRotBarrierLeft, window->btnTapeRight})
        EXPECT_FALSE(b->GetDown());
    EXPECT_TRUE(window->btnRotateDipperClockwise->GetDown());
    Link()->SendNotify(hlnDipperRotatorStopped, 0);
    EXPECT_FALSE(window->btnRotateDipperClockwise->GetDown());
    EXPECT_EQ(Link()->Lines(), Lines{"TapeMoveRight"});

    // Readings arrive with the device state and reach the visible window.
    TDeviceState state{};
    state.doserPos = 123456;
    Link()->SendNotify(hlnDeviceState, reinterpret_cast<LPARAM>(&state));
    Application->ProcessMessagesUntil([&] { return window->txtDoserPos->GetCaption() != "0.000"; }, ConditionWaitMs);
    EXPECT_EQ(window->txtDoserPos->GetCaption(), FloatToStrF(CalibrateParam.doser.HwToSh(123456), ffFixed, 10, 3));
}

TEST_F(ManualCtrl2InMainWindow, LanguageItemsReplaceCaptionsHintsAndUnitTexts)
{
    ForceDirectories(Dir.File("Language"));
    WriteFileText(Dir.File("Language/english.lng"),
                  "[ManualCtrl2]\n0=LbL Steuerung\n1=Drehung\n2=\n3=Revolver B\n4=\n5=\n6=\n7=Dosierer\n8=\n9=\n10=\n"
                  "11=Hinweis\n12=\n13=\n14=\n15=Volumen\n16=\n17=Liter\n18=mL\n19=\n20=\n21=\n22=ml/Min\n");
    Start("[Common]\n" + Libraries() +
          "[ManualControl2]\nDocked=0\nInjectorPresets.1=2.5;mL;7.3\n"
          "InjectorPresets.2=2.5;ml;7.3\n");
    auto* window = CreateForm<TFManualCtrl2>(nullptr);
    EXPECT_EQ(window->GetCaption(), "LbL Steuerung");
    EXPECT_EQ(window->GBDrives->GetCaption(), "Drehung");
    EXPECT_EQ(window->lblDipperRotator->GetCaption(), "Dipper rotator");  // empty item: unchanged
    EXPECT_EQ(window->lblRevolver->GetCaption(), "Revolver B");
    EXPECT_EQ(window->grpDoser->GetCaption(), "Dosierer");
    EXPECT_EQ(window->GetHint(), "Hinweis");
    EXPECT_EQ(window->edtInjectorVolume->GetHint(), "Volumen");
    EXPECT_EQ(window->edtInjectorDiameter->GetHint(), "Diameter");
    EXPECT_EQ(window->lblDoserSpeedUnits->GetCaption(), "ml/Min");
    EXPECT_EQ(window->cbbInjectorUnits->Items().Lines(), (std::vector<std::string>{"Liter", "mL", "ul"}));
    EXPECT_EQ(window->cbbInjectorUnits->GetItemIndex(), 1);

    // The translated unit is the text a preset's unit must equal.
    window->cbbInjectorPresets->SetItemIndex(0);
    window->btnDoserInjectorPresets->Click();
    EXPECT_TRUE(Dialogs.Requests.empty());
    window->cbbInjectorPresets->SetItemIndex(1);
    window->cbbInjectorPresets->OnChange(window->cbbInjectorPresets);
    ASSERT_EQ(Dialogs.Requests.size(), 1u);
    EXPECT_EQ(Dialogs.Requests[0].Caption, "Incorrect Injector preset");
}

}  // namespace
