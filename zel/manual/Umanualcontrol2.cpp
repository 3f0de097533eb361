#include "zel/manual/Umanualcontrol2.h"

#include <cmath>

#include "platform/ui/Application.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Dialogs.h"
#include "platform/base/FloatFormat.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/Notices.h"
#include "zel/core/Ustatus.h"
#include "zel/core/Windowroles.h"

using KVC::TKvEdit;
using KVC::TKvTrackBar;

TFManualCtrl2* FManualCtrl2 = nullptr;

namespace {

constexpr const char* Section = "ManualControl2";
constexpr const char* PresetKeyPrefix = "InjectorPresets.";
constexpr const char* PresetSelectedKey = "InjectorPresets.Selected";

// Each drive's latching buttons form one group; all of a group may be up.
enum TButtonGroup { grDipper = 1, grRevolver, grDoser, grRotBarrier, grTape, grKeepST };

TKvEdit* FloatEdit(TComponent* Owner, TWinControl* Parent, const char* Name, int Decimals, int Left, int Top, int Width)
{
    auto* edit = MakeControl<TKvEdit>(Owner, Parent, Name, "", Left, Top, Width, 22);
    edit->SetTypeValue(KVC::tvFloat);
    edit->FloatFormat = ffFixed;
    edit->FloatDigits = Decimals;
    edit->InitFloat(0);
    return edit;
}

TKvTrackBar* SpeedTrackBar(TComponent* Owner, TWinControl* Parent, const char* Name, int Max, int Top)
{
    auto* bar = MakeControl<TKvTrackBar>(Owner, Parent, Name, "", 4, Top, 120, 26);
    bar->SetMin(1);
    bar->SetMax(Max);
    return bar;
}

void SetTrackBarRange(TTrackBar* Bar, int Min, int Max)
{
    if (Min > Bar->GetMax()) {
        Bar->SetMax(Max);
        Bar->SetMin(Min);
    } else {
        Bar->SetMin(Min);
        Bar->SetMax(Max);
    }
}

// The neighbouring windows this one mirrors its moves in; null when closed.
IRotationMirror* CalibrationWindow() { return FindRole<IRotationMirror>(TToolWindowKind::Calibration); }

IDoserMirror* PumpWindow() { return FindRole<IDoserMirror>(TToolWindowKind::Pump); }

TDoserLimitsFollower* Follower(TToolWindowKind Kind)
{
    return dynamic_cast<TDoserLimitsFollower*>(TToolWindow::Find(Kind));
}

void ReleasePair(TSpeedButton* First, TSpeedButton* Second)
{
    First->SetDown(false);
    Second->SetDown(false);
}

// A motion code presses one move button (when it is up) or releases a drive's pair.
struct TMotionRule {
    int Code;
    TSpeedButton* TFManualCtrl2::*First;
    TSpeedButton* TFManualCtrl2::*Second;  // null: press First only
};

const TMotionRule MotionRules[] = {
    {0, &TFManualCtrl2::btnDoserUp, &TFManualCtrl2::btnDoserDown},
    {0, &TFManualCtrl2::btnRotBarrierLeft, &TFManualCtrl2::btnRotBarrierRight},
    {0, &TFManualCtrl2::btnTapeLeft, &TFManualCtrl2::btnTapeRight},
    {10, &TFManualCtrl2::btnDoserUp, nullptr},
    {11, &TFManualCtrl2::btnDoserDown, nullptr},
    {12, &TFManualCtrl2::btnDoserUp, &TFManualCtrl2::btnDoserDown},
    {13, &TFManualCtrl2::btnRotBarrierLeft, nullptr},
    {14, &TFManualCtrl2::btnRotBarrierRight, nullptr},
    {15, &TFManualCtrl2::btnRotBarrierLeft, &TFManualCtrl2::btnRotBarrierRight},
    {16, &TFManualCtrl2::btnTapeLeft, nullptr},
    {17, &TFManualCtrl2::btnTapeRight, nullptr},
    {18, &TFManualCtrl2::btnTapeLeft, &TFManualCtrl2::btnTapeRight},
};

// Windows whose doser speed entries follow this window's doser limits, in the order they
// are told.
const TToolWindowKind DoserLimitFollowers[] = {TToolWindowKind::Pump, TToolWindowKind::Tape,
                                               TToolWindowKind::Disk, TToolWindowKind::CylinderMembrane,
                                               TToolWindowKind::TDAR, TToolWindowKind::Eud};

std::uint32_t SpeedCodeOf(TMotor& Unit, double Speed)
{
    return static_cast<std::uint32_t>(DoubleToInt32(Unit.SpeedToCode(Speed)));
}

constexpr int GroupWidth = 224;

}  // namespace

TFManualCtrl2::TFManualCtrl2(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::Manual2)
{
    Name = "FManualCtrl2";
    HandleNotice(hlnMotionState, [this](LPARAM P) { ShowMotionState(NoticeNumber(P)); });
    HandleNotice(hlnDrivesStopped, [this](LPARAM) { ShowMotionState(0); });
    HandleNotice(hlnDipperRotatorStopped, [this](LPARAM) { OnDipperRotatorStopped(); });
    HandleNotice(hlnRevolverStopped, [this](LPARAM) { OnRevolverStopped(); });
    SetCaption("LbL Ctrl");
    SetBorderStyle(bsToolWindow);
    SetFormStyle(fsStayOnTop);
    SetHint("LbL Manual Control");
    BuildRotationGroup();
    BuildDoserGroup();
    BuildInjectorPresets();
    BuildDoserTensionGroup();
    BuildRotBarrierGroup();
    BuildTapeGroup();
    SetBounds(0, 0, GroupWidth + 8, 640);
    // A trough without accessories has no rotator or revolver.
    if (DeviceType == dtTrough) GBDrives->Hide();
    WireHandlers();
    FManualCtrl2 = this;
}

TFManualCtrl2::~TFManualCtrl2()
{
    if (FManualCtrl2 == this) FManualCtrl2 = nullptr;
}

void TFManualCtrl2::BuildRotationGroup()
{
    GBDrives = MakeControl<TGroupBox>(this, this, "GBDrives", "Rotation control", 4, 4, GroupWidth, 132);
    lblDipperRotator = MakeControl<TLabel>(this, GBDrives, "lblDipperRotator", "Dipper rotator", 8, 20, 80, 16);
    btnRotateDipperClockwise =
        MakeLatchingButton(this, GBDrives, "btnRotateDipperClockwise", "CW", 1, grDipper, 92, 16, 40, 24);
    btnRotateDipperAntiClockwise =
        MakeLatchingButton(this, GBDrives, "btnRotateDipperAntiClockwise", "CCW", -1, grDipper, 134, 16, 40, 24);
    lblRevolver = MakeControl<TLabel>(this, GBDrives, "lblRevolver", "Revolver", 8, 48, 80, 16);
    btnRotateRevolverClockwise =
        MakeLatchingButton(this, GBDrives, "btnRotateRevolverClockwise", "CW", 1, grRevolver, 92, 44, 40, 24);
    btnRotateRevolverAntiClockwise =
        MakeLatchingButton(this, GBDrives, "btnRotateRevolverAntiClockwise", "CCW", -1, grRevolver, 134, 44, 40, 24);
    chkRotateManual = MakeControl<TCheckBox>(this, GBDrives, "chkRotateManual", "Manual", 8, 74, 70, 20);
    for (TRxSpinEdit** edit : {&edtRotateDipper, &edtRotateRevolver}) {
        const bool dipper = edit == &edtRotateDipper;
        *edit = MakeControl<TRxSpinEdit>(this, GBDrives, dipper ? "edtRotateDipper" : "edtRotateRevolver", "",
                                         dipper ? 80 : 150, 72, 64, 22);
        (*edit)->SetValueType(vtFloat);
        (*edit)->SetDecimal(1);
        (*edit)->SetMinValue(0);
        (*edit)->SetMaxValue(360);
        (*edit)->SetValue(45);
        (*edit)->SetEnabled(false);
    }
    lblRotateToCell = MakeControl<TLabel>(this, GBDrives, "lblRotateToCell", "Rotate to cell", 8, 104, 80, 16);
    edtCell = MakeControl<TRxSpinEdit>(this, GBDrives, "edtCell", "", 92, 100, 60, 22);
    edtCell->SetValueType(vtInteger);
    edtCell->SetMinValue(0);
    edtCell->SetMaxValue(0);
    btnCellGo = MakeControl<TButton>(this, GBDrives, "btnCellGo", "Go", 158, 100, 50, 24);
}

void TFManualCtrl2::BuildDoserGroup()
{
    grpDoser = MakeControl<TGroupBox>(this, this, "grpDoser", "Doser", 4, 140, GroupWidth, 196);
    lblDoserPos = MakeControl<TLabel>(this, grpDoser, "lblDoserPos", "Volume, ml", 8, 20, 70, 16);
    txtDoserPos = MakeControl<TLabel>(this, grpDoser, "txtDoserPos", "0.000", 80, 20, 70, 16);
    btnDoserZero = MakeControl<TButton>(this, grpDoser, "btnDoserZero", "> 0 <", 160, 16, 50, 24);
    btnDoserUp = MakeLatchingButton(this, grpDoser, "btnDoserUp", "Up", 1, grDoser, 8, 44, 40, 24);
    btnDoserStop = MakeControl<TButton>(this, grpDoser, "btnDoserStop", "Stop", 52, 44, 44, 24);
    btnDoserDown = MakeLatchingButton(this, grpDoser, "btnDoserDown", "Down", 2, grDoser, 100, 44, 40, 24);
    lblDoserMoveLen = MakeControl<TLabel>(this, grpDoser, "lblDoserMoveLen", "Move, ml", 8, 76, 70, 16);
    edDoserMoveLen = FloatEdit(this, grpDoser, "edDoserMoveLen", 3, 80, 72, 70);
    edDoserKeepST = FloatEdit(this, grpDoser, "edDoserKeepST", 3, 8, 102, 70);
    btnDoserKeepST =
        MakeLatchingButton(this, grpDoser, "btnDoserKeepST", "Keep ST (test)", 0, grKeepST, 84, 100, 40, 24);
    btnDoserKeepST->SetWidth(110);
    trbDoserSpeed = SpeedTrackBar(this, grpDoser, "trbDoserSpeed", 1000, 130);
    trbDoserSpeed->SetPosition(128);
    edDoserSpeed = FloatEdit(this, grpDoser, "edDoserSpeed", 3, 128, 132, 60);
    lblDoserSpeedUnits = MakeControl<TLabel>(this, grpDoser, "lblDoserSpeedUnits", "ml/min", 190, 136, 32, 16);
    btnDoserInjectorPresets = MakeControl<TButton>(this, grpDoser, "btnDoserInjectorPresets", "Sel", 8, 162, 50, 24);
}

void TFManualCtrl2::BuildInjectorPresets()
{
    grpInjectorPresets =
        MakeControl<TGroupBox>(this, grpDoser, "grpInjectorPresets", "Injector Presets", 4, 40, GroupWidth - 8, 150);
    cbbInjectorPresets = MakeControl<TComboBox>(this, grpInjectorPresets, "cbbInjectorPresets", "", 8, 20, 196, 22);
    cbbInjectorPresets->SetStyle(csDropDownList);
    edtInjectorVolume = FloatEdit(this, grpInjectorPresets, "edtInjectorVolume", 3, 8, 50, 70);
    edtInjectorVolume->SetHint("Volume");
    cbbInjectorUnits = MakeControl<TComboBox>(this, grpInjectorPresets, "cbbInjectorUnits", "", 82, 50, 50, 22);
    cbbInjectorUnits->SetStyle(csDropDownList);
    TStringList units;
    for (const char* unit : {"L", "ml", "ul"}) units.Add(unit);
    cbbInjectorUnits->SetItems(units);
    cbbInjectorUnits->SetItemIndex(1);
    edtInjectorDiameter = FloatEdit(this, grpInjectorPresets, "edtInjectorDiameter", 3, 136, 50, 70);
    edtInjectorDiameter->SetHint("Diameter");
    btnInjectorPresetsCancel =
        MakeControl<TButton>(this, grpInjectorPresets, "btnInjectorPresetsCancel", "Cancel", 8, 84, 80, 24);
    btnInjectorPresetsApply =
        MakeControl<TButton>(this, grpInjectorPresets, "btnInjectorPresetsApply", "Apply", 96, 84, 80, 24);
    grpInjectorPresets->Hide();
}

void TFManualCtrl2::BuildDoserTensionGroup()
{
    grpDoserST = MakeControl<TGroupBox>(this, this, "grpDoserST", "Doser tension", 4, 340, GroupWidth, 48);
    txtDoserST = MakeControl<TLabel>(this, grpDoserST, "txtDoserST", "0.0", 8, 22, 80, 16);
    btnBBalZero = MakeControl<TButton>(this, grpDoserST, "btnBBalZero", "Zero", 150, 16, 60, 24);
}

void TFManualCtrl2::BuildRotBarrierGroup()
{
    grpRotBarrierinder =
        MakeControl<TGroupBox>(this, this, "grpRotBarrierinder", "Rotating Barrier", 4, 392, GroupWidth, 110);
    txtRotbarPos = MakeControl<TLabel>(this, grpRotBarrierinder, "txtRotbarPos", "0.0", 8, 20, 80, 16);
    btnRotBarrierLeft =
        MakeLatchingButton(this, grpRotBarrierinder, "btnRotBarrierLeft", "<<", 1, grRotBarrier, 8, 42, 40, 24);
    btnRotBarrierStop = MakeControl<TButton>(this, grpRotBarrierinder, "btnRotBarrierStop", "Stop", 52, 42, 44, 24);
    btnRotBarrierRight =
        MakeLatchingButton(this, grpRotBarrierinder, "btnRotBarrierRight", ">>", 2, grRotBarrier, 100, 42, 40, 24);
    trbRotBarrierSpeed = SpeedTrackBar(this, grpRotBarrierinder, "trbRotBarrierSpeed", 255, 72);
    edRotBarrierSpeed = FloatEdit(this, grpRotBarrierinder, "edRotBarrierSpeed", 1, 128, 74, 60);
    lblRotBarrierSpeedUnits =
        MakeControl<TLabel>(this, grpRotBarrierinder, "lblRotBarrierSpeedUnits", "rpm", 190, 78, 32, 16);
}

void TFManualCtrl2::BuildTapeGroup()
{
    grpTape = MakeControl<TGroupBox>(this, this, "grpTape", "Tape control", 4, 506, GroupWidth, 110);
    txtTapePos = MakeControl<TLabel>(this, grpTape, "txtTapePos", "0.0", 8, 20, 80, 16);
    btnTapeLeft = MakeLatchingButton(this, grpTape, "btnTapeLeft", "<<", 1, grTape, 8, 42, 40, 24);
    btnTapeStop = MakeControl<TButton>(this, grpTape, "btnTapeStop", "Stop", 52, 42, 44, 24);
    btnTapeRight = MakeLatchingButton(this, grpTape, "btnTapeRight", ">>", 2, grTape, 100, 42, 40, 24);
    btnTapeZero = MakeControl<TButton>(this, grpTape, "btnTapeZero", ">0<", 150, 42, 50, 24);
    btnTapeZero->Hide();
    trbTapeSpeed = SpeedTrackBar(this, grpTape, "trbTapeSpeed", 255, 72);
    edTapeSpeed = FloatEdit(this, grpTape, "edTapeSpeed", 1, 128, 74, 60);
    lblTapeSpeedUnits = MakeControl<TLabel>(this, grpTape, "lblTapeSpeedUnits", "mm/min", 190, 78, 32, 16);
}

void TFManualCtrl2::WireHandlers()
{
    for (TSpeedButton* button : {btnRotateDipperClockwise, btnRotateDipperAntiClockwise})
        button->OnClick = [this](TObject* Sender) { RotateClick(Sender, false); };
    for (TSpeedButton* button : {btnRotateRevolverClockwise, btnRotateRevolverAntiClockwise})
        button->OnClick = [this](TObject* Sender) { RotateClick(Sender, true); };
    chkRotateManual->OnClick = [this](TObject*) {
        edtRotateDipper->SetEnabled(chkRotateManual->GetChecked());
        edtRotateRevolver->SetEnabled(chkRotateManual->GetChecked());
    };
    btnCellGo->OnClick = [this](TObject* Sender) { btnCellGoClick(Sender); };

    btnDoserUp->OnClick = btnDoserDown->OnClick = [this](TObject* Sender) { btnDoserUpClick(Sender); };
    btnDoserStop->OnClick = [this](TObject* Sender) { btnDoserStopClick(Sender); };
    btnDoserZero->OnClick = [this](TObject* Sender) { btnDoserZeroClick(Sender); };
    btnTapeZero->OnClick = [this](TObject* Sender) { btnTapeZeroClick(Sender); };
    btnBBalZero->OnClick = [this](TObject* Sender) { btnBBalZeroClick(Sender); };
    btnDoserKeepST->OnClick = [this](TObject* Sender) { btnDoserKeepSTClick(Sender); };

    btnRotBarrierLeft->OnClick = btnRotBarrierRight->OnClick = [](TObject* Sender) {
        auto* button = dynamic_cast<TSpeedButton*>(Sender);
        if (!button) return;
        button->SetDown(true);
        if (button->Tag == 1) HlProvider.RotBarrierMoveLeft();
        if (button->Tag == 2) HlProvider.RotBarrierMoveRight();
    };
    btnRotBarrierStop->OnClick = [this](TObject*) {
        ReleasePair(btnRotBarrierLeft, btnRotBarrierRight);
        HlProvider.RotBarrierStop();
    };
    btnTapeLeft->OnClick = btnTapeRight->OnClick = [](TObject* Sender) {
        auto* button = dynamic_cast<TSpeedButton*>(Sender);
        if (!button) return;
        button->SetDown(true);
        if (button->Tag == 1) HlProvider.TapeMoveLeft();
        if (button->Tag == 2) HlProvider.TapeMoveRight();
    };
    btnTapeStop->OnClick = [this](TObject*) {
        ReleasePair(btnTapeLeft, btnTapeRight);
        HlProvider.TapeStop();
    };

    // A moving track bar only shows the speed; its release sends it.
    trbDoserSpeed->OnChange = [this](TObject*) {
        edDoserSpeed->InitFloat(CalibrateParam.doser.CodeToSpeed(TrackBarToSpeedCode(trbDoserSpeed)));
    };
    trbRotBarrierSpeed->OnChange = [this](TObject*) {
        edRotBarrierSpeed->InitFloat(
            CalibrateParam.rotatingBarrier.CodeToSpeed(TrackBarToSpeedCode(trbRotBarrierSpeed)));
    };
    trbTapeSpeed->OnChange = [this](TObject*) {
        edTapeSpeed->InitFloat(CalibrateParam.tape.CodeToSpeed(TrackBarToSpeedCode(trbTapeSpeed)));
    };
    trbDoserSpeed->OnChanged = [this](TObject*) { SetDoserSpeed(TrackBarToSpeedCode(trbDoserSpeed)); };
    trbRotBarrierSpeed->OnChanged = [this](TObject*) { SetRotBarrierSpeed(TrackBarToSpeedCode(trbRotBarrierSpeed)); };
    trbTapeSpeed->OnChanged = [this](TObject*) { SetTapeSpeed(TrackBarToSpeedCode(trbTapeSpeed)); };
    // A typed speed is sent; the track bar stays where it is.
    edDoserSpeed->OnEnterValue = [this](TObject*) {
        SetDoserSpeed(SpeedCodeOf(CalibrateParam.doser, edDoserSpeed->GetValueFloat()));
    };
    edRotBarrierSpeed->OnEnterValue = [this](TObject*) {
        SetRotBarrierSpeed(SpeedCodeOf(CalibrateParam.rotatingBarrier, edRotBarrierSpeed->GetValueFloat()));
    };
    edTapeSpeed->OnEnterValue = [this](TObject*) {
        SetTapeSpeed(SpeedCodeOf(CalibrateParam.tape, edTapeSpeed->GetValueFloat()));
    };

    btnDoserInjectorPresets->OnClick = [this](TObject* Sender) { btnDoserInjectorPresetsClick(Sender); };
    btnInjectorPresetsApply->OnClick = [this](TObject*) { CloseInjectorPresets(true); };
    btnInjectorPresetsCancel->OnClick = [this](TObject*) { CloseInjectorPresets(false); };
    cbbInjectorPresets->OnChange = [this](TObject* Sender) { cbbInjectorPresetsChange(Sender); };
}

// ---- Rotation control ----

void TFManualCtrl2::RotateClick(TObject* Sender, bool Revolver)
{
    auto* button = dynamic_cast<TSpeedButton*>(Sender);
    if (!button || !button->GetDown()) {
        // The second click on a turning drive's button stops it.
        if (Revolver)
            HlProvider.StopRevolver();
        else
            HlProvider.StopDipperRotator();
        return;
    }
    TRxSpinEdit* angleEdit = Revolver ? edtRotateRevolver : edtRotateDipper;
    const double angle = std::trunc(chkRotateManual->GetChecked() ? angleEdit->GetValue() : 360.0);
    ICalibrateUnit& unit = Revolver ? static_cast<ICalibrateUnit&>(CalibrateParam.revolver)
                                    : static_cast<ICalibrateUnit&>(CalibrateParam.dipperRotator);
    const int steps = DoubleToInt32(unit.ShToHwDelta(angle));
    const bool clockwise = button->Tag >= 1;
    if (Revolver) {
        clockwise ? HlProvider.RotateRevolverCW(steps) : HlProvider.RotateRevolverCCW(steps);
    } else {
        clockwise ? HlProvider.RotateDipperCW(steps) : HlProvider.RotateDipperCCW(steps);
    }
    if (auto* calibration = CalibrationWindow()) calibration->ShowRotation(Revolver, clockwise);
}

void TFManualCtrl2::btnCellGoClick(TObject*) { HlProvider.MoveDipperToCell(DoubleToInt32(edtCell->GetValue())); }

void TFManualCtrl2::OnDipperRotatorStopped()
{
    ReleasePair(btnRotateDipperClockwise, btnRotateDipperAntiClockwise);
    if (auto* calibration = CalibrationWindow()) calibration->ReleaseRotationButtons(false);
}

void TFManualCtrl2::OnRevolverStopped()
{
    ReleasePair(btnRotateRevolverClockwise, btnRotateRevolverAntiClockwise);
    if (auto* calibration = CalibrationWindow()) calibration->ReleaseRotationButtons(true);
}

// ---- Doser ----

void TFManualCtrl2::btnDoserUpClick(TObject* Sender)
{
    auto* component = dynamic_cast<TComponent*>(Sender);
    if (!component) return;
    const double volume = edDoserMoveLen->GetValueFloat();
    // The instrument treats a move of 0 as "until stopped".
    const int steps = volume > 0 ? DoubleToInt32(CalibrateParam.doser.ShToHwDelta(volume)) : 0;
    const int tag = static_cast<int>(component->Tag);
    if (tag == 1) HlProvider.DoserMoveUp(steps);
    if (tag == 2) HlProvider.DoserMoveDown(steps);
    SetDoserMoveButtonsDown(tag);
}

void TFManualCtrl2::SetDoserMoveButtonsDown(int Tag)
{
    for (TSpeedButton* button : {btnDoserUp, btnDoserDown})
        if (button->Tag == Tag) button->SetDown(true);
    if (auto* pump = PumpWindow()) pump->ShowDoserMove(Tag);
}

void TFManualCtrl2::ReleaseDoserMoveButtons()
{
    ReleasePair(btnDoserUp, btnDoserDown);
    if (auto* pump = PumpWindow()) pump->ReleaseDoserMoveButtons();
}

void TFManualCtrl2::btnDoserStopClick(TObject*)
{
    ReleaseDoserMoveButtons();
    HlProvider.DoserStop();
}

void TFManualCtrl2::btnDoserZeroClick(TObject*)
{
    CalibrateParam.doser.SetZeroHw(static_cast<std::int32_t>(DeviceState.doserPos));
    RefreshIndicators();
}

void TFManualCtrl2::btnTapeZeroClick(TObject*)
{
    CalibrateParam.tape.SetZeroHw(static_cast<std::int32_t>(DeviceState.tapePos));
}

void TFManualCtrl2::btnBBalZeroClick(TObject*)
{
    if (auto* calibration = CalibrationWindow()) calibration->TakeDoserBalanceBottomLevel();
}

void TFManualCtrl2::btnDoserKeepSTClick(TObject*)
{
    const bool keep = btnDoserKeepST->GetDown();
    edDoserMoveLen->SetEnabled(!keep);
    if (keep)
        HlProvider.SetDoserAutoPressure(
            DoubleToInt32(CalibrateParam.doserBallance.SPToHw(edDoserKeepST->GetValueFloat())));
    HlProvider.SetDoserKeepPressure(keep ? 1 : 0);
}

// ---- Speeds ----

int TFManualCtrl2::TrackBarToSpeedCode(const TTrackBar* TrackBar) const
{
    if (!TrackBar) return 0;
    return OldSpeedScale ? TrackBar->GetMax() + TrackBar->GetMin() - TrackBar->GetPosition() : TrackBar->GetPosition();
}

void TFManualCtrl2::SetDoserSpeed(std::uint32_t Code)
{
    DoserSpeedCode = Code;
    edDoserSpeed->InitFloat(CalibrateParam.doser.CodeToSpeed(Code));
    if (TDoserLimitsFollower* pump = Follower(TToolWindowKind::Pump)) pump->SyncDoserSpeed();
    HlProvider.SetDoserSpeed(static_cast<int>(Code));
}

void TFManualCtrl2::SetRotBarrierSpeed(std::uint32_t Code)
{
    RotBarrierSpeedCode = Code;
    edRotBarrierSpeed->InitFloat(CalibrateParam.rotatingBarrier.CodeToSpeed(Code));
    HlProvider.SetRotBarrierSpeed(static_cast<int>(Code));
}

void TFManualCtrl2::SetTapeSpeed(std::uint32_t Code)
{
    TapeSpeedCode = Code;
    edTapeSpeed->InitFloat(CalibrateParam.tape.CodeToSpeed(Code));
    HlProvider.SetTapeSpeed(static_cast<int>(Code));
}

// Line step 1 % and page step 10 % of the unit's span, in track-bar positions. A step
// that comes out below one position (the new scale, or a unit whose limits are equal)
// becomes one position, so the keys always move the bar.
void TFManualCtrl2::SetTrackBarSteps(TKvTrackBar* TrackBar, double Low, double High)
{
    const double range = TrackBar->GetMax() - TrackBar->GetMin();
    const auto step = [&](double Fraction) {
        const int value = DoubleToInt32(DivideOr(range * Fraction, High - Low, 1));
        return value < 1 ? 1 : value;
    };
    TrackBar->SetLineSize(step(0.01));
    TrackBar->SetPageSize(step(0.1));
}

void TFManualCtrl2::ApplySpeedScale(TKvTrackBar* TrackBar, TMotor& Unit)
{
    if (OldSpeedScale) return;
    SetTrackBarRange(TrackBar, DoubleToInt32(Unit.GetMinSpeedCode()), DoubleToInt32(Unit.GetMaxSpeedCode()));
    TrackBar->SetFrequency((TrackBar->GetMax() - TrackBar->GetMin()) / 32);
}

void TFManualCtrl2::UpdateDoserLimits()
{
    TDoser& doser = CalibrateParam.doser;
    edDoserSpeed->Min = doser.GetMinSpeed();
    edDoserSpeed->Max = doser.GetMaxSpeed();
    edDoserSpeed->InitFloat(doser.CodeToSpeed(TrackBarToSpeedCode(trbDoserSpeed)));
    edDoserMoveLen->Min = doser.GetShMin();
    edDoserMoveLen->Max = doser.GetShMax();
    for (TToolWindowKind kind : DoserLimitFollowers)
        if (TDoserLimitsFollower* follower = Follower(kind)) follower->UpdateDoserLimits();
}

// ---- Injector presets ----

void TFManualCtrl2::btnDoserInjectorPresetsClick(TObject* Sender)
{
    grpInjectorPresets->Show();
    grpInjectorPresets->BringToFront();
    btnDoserUp->SetEnabled(false);
    btnDoserDown->SetEnabled(false);
    cbbInjectorPresetsChange(Sender);
}

void TFManualCtrl2::CloseInjectorPresets(bool Apply)
{
    grpInjectorPresets->Hide();
    btnDoserUp->SetEnabled(true);
    btnDoserDown->SetEnabled(true);
    if (Apply) SetInjector(edDoserMoveLen, cbbInjectorUnits, edtInjectorVolume, edtInjectorDiameter);
}

void TFManualCtrl2::cbbInjectorPresetsChange(TObject*)
{
    const int index = cbbInjectorPresets->GetItemIndex();
    const std::string text = index >= 0 ? cbbInjectorPresets->Items()[index] : std::string();
    ParseInjectorPreset(text, cbbInjectorUnits, edtInjectorVolume, edtInjectorDiameter);
    if (auto* pump = PumpWindow()) pump->SelectInjectorPreset(index);
}

void TFManualCtrl2::ParseInjectorPreset(std::string Text, TComboBox* Units, TKvEdit* Volume, TKvEdit* Diameter)
{
    // Presets are written with "."; the operator's numbers use the process separator.
    const char separator = GetDecimalSeparator();
    if (separator != '.')
        for (char& c : Text)
            if (c == '.') c = separator;

    const auto fail = [&] {
        Application->MessageBox(Text, GetResString("Incorrect Injector preset", "Incorrect Injector preset"),
                                MB_OK | MB_ICONERROR);
    };
    const size_t first = Text.find(';');
    if (first == std::string::npos) return fail();
    const double volume = StrToFloatDef(Text.substr(0, first), 0);
    if (!(volume > 0)) return fail();
    const std::string rest = Text.substr(first + 1);
    const size_t second = rest.find(';');
    if (second == std::string::npos) return fail();
    const std::string unit = rest.substr(0, second);
    const double diameter = StrToFloatDef(rest.substr(second + 1), 0);
    if (!(diameter > 0)) return fail();
    const TStringList& items = Units->Items();
    for (int i = 0; i < items.Count(); ++i) {
        if (items[i] != unit) continue;
        Units->SetItemIndex(i);
        Volume->SetValueFloat(volume);
        Diameter->SetValueFloat(diameter);
        return;
    }
    fail();
}

void TFManualCtrl2::SetInjector(TKvEdit*, TComboBox*, TKvEdit* Volume, TKvEdit* Diameter)
{
    // The syringe's diameter decides how a volume becomes drive steps, so it is set
    // before the volume: the maximum then reads back as the preset's volume.
    CalibrateParam.doser.SetSyringeDiameter(Diameter->GetValueFloat());
    const double volume = Volume->GetValueFloat();
    // A maximum of nothing would leave the doser without a range to move in.
    if (volume > 0) CalibrateParam.doser.SetShMax(volume);
    UpdateDoserLimits();
}

// ---- Device reports ----

void TFManualCtrl2::ShowMotionState(int MotionCode)
{
    for (const TMotionRule& rule : MotionRules) {
        if (rule.Code != MotionCode) continue;
        if (rule.Second)
            ReleasePair(this->*rule.First, this->*rule.Second);
        else if (!(this->*rule.First)->GetDown())
            (this->*rule.First)->SetDown(true);
    }
}

void TFManualCtrl2::RefreshIndicators()
{
    const TDeviceState& state = DeviceState;
    txtDoserST->SetCaption(FixedText(CalibrateParam.doserBallance.HwToSh(state.doserBalance), 1));
    txtDoserPos->SetCaption(FixedText(CalibrateParam.doser.HwToSh(state.doserPos), 3));
    txtRotbarPos->SetCaption(FixedText(CalibrateParam.rotatingBarrier.HwToSh(state.rotBarrierPos), 1));
    txtTapePos->SetCaption(FixedText(CalibrateParam.tape.HwToSh(state.tapePos), 1));
}

// ---- Window pattern ----

std::vector<TCaptionTarget> TFManualCtrl2::CaptionTargets()
{
    return {CaptionOf(this),
            CaptionOf(GBDrives),
            CaptionOf(lblDipperRotator),
            CaptionOf(lblRevolver),
            CaptionOf(chkRotateManual),
            CaptionOf(lblRotateToCell),
            CaptionOf(btnCellGo),
            CaptionOf(grpDoser),
            CaptionOf(lblDoserPos),
            CaptionOf(lblDoserMoveLen),
            CaptionOf(btnDoserKeepST),
            HintOf(this),
            CaptionOf(grpInjectorPresets),
            CaptionOf(btnInjectorPresetsCancel),
            CaptionOf(btnInjectorPresetsApply),
            HintOf(edtInjectorVolume),
            HintOf(edtInjectorDiameter),
            ItemText(cbbInjectorUnits, 0),
            ItemText(cbbInjectorUnits, 1),
            ItemText(cbbInjectorUnits, 2),
            CaptionOf(lblRotBarrierSpeedUnits),
            CaptionOf(lblTapeSpeedUnits),
            CaptionOf(lblDoserSpeedUnits)};
}

void TFManualCtrl2::LoadValues()
{
    OldSpeedScale = IniFile->ReadBool(Section, "old", true);
    ApplySpeedScale(trbDoserSpeed, CalibrateParam.doser);
    ApplySpeedScale(trbRotBarrierSpeed, CalibrateParam.rotatingBarrier);
    ApplySpeedScale(trbTapeSpeed, CalibrateParam.tape);
    for (auto [bar, unit] : {std::pair<TKvTrackBar*, TMotor*>{trbDoserSpeed, &CalibrateParam.doser},
                             std::pair<TKvTrackBar*, TMotor*>{trbRotBarrierSpeed, &CalibrateParam.rotatingBarrier}}) {
        if (OldSpeedScale)
            SetTrackBarSteps(bar, unit->GetMinSpeed(), unit->GetMaxSpeed());
        else
            SetTrackBarSteps(bar, unit->GetMinSpeedCode(), unit->GetMaxSpeedCode());
    }
    trbDoserSpeed->SetPosition(IniFile->ReadInteger(Section, "DoserSpeed", 0));
    trbRotBarrierSpeed->SetPosition(IniFile->ReadInteger(Section, "RotBarrierinderSpeed", 0));
    trbTapeSpeed->SetPosition(IniFile->ReadInteger(Section, "TapeSpeed", 0));
    for (int i = 1;; ++i) {
        const std::string preset = IniFile->ReadString(Section, PresetKeyPrefix + std::to_string(i), "");
        if (preset.empty()) break;
        cbbInjectorPresets->AddItem(preset);
    }
    cbbInjectorPresets->SetItemIndex(IniFile->ReadInteger(Section, PresetSelectedKey, 0));
}

void TFManualCtrl2::SaveValues()
{
    IniFile->WriteInteger(Section, "DoserSpeed", trbDoserSpeed->GetPosition());
    IniFile->WriteInteger(Section, "RotBarrierinderSpeed", trbRotBarrierSpeed->GetPosition());
    IniFile->WriteInteger(Section, "TapeSpeed", trbTapeSpeed->GetPosition());
    IniFile->WriteInteger(Section, PresetSelectedKey, cbbInjectorPresets->GetItemIndex());
}

// The values read, the window sends the three speeds and sets the ranges that depend on
// the calibration; created at start-up, this runs once, before the later windows exist.
void TFManualCtrl2::LoadSettings()
{
    TToolWindow::LoadSettings();
    SetDoserSpeed(TrackBarToSpeedCode(trbDoserSpeed));
    SetRotBarrierSpeed(TrackBarToSpeedCode(trbRotBarrierSpeed));
    SetTapeSpeed(TrackBarToSpeedCode(trbTapeSpeed));
    SetTrackBarSteps(trbTapeSpeed, CalibrateParam.tape.GetMinSpeed(), CalibrateParam.tape.GetMaxSpeed());
    edtCell->SetMaxValue(CalibrateParam.revolver.GetTotalCells());
    UpdateDoserLimits();
    edRotBarrierSpeed->Min = CalibrateParam.rotatingBarrier.GetMinSpeed();
    edRotBarrierSpeed->Max = CalibrateParam.rotatingBarrier.GetMaxSpeed();
    edTapeSpeed->Min = CalibrateParam.tape.GetMinSpeed();
    edTapeSpeed->Max = CalibrateParam.tape.GetMaxSpeed();
}

void TFManualCtrl2::ShowRotation(bool Revolver, bool Clockwise)
{
    if (Revolver)
        (Clockwise ? btnRotateRevolverClockwise : btnRotateRevolverAntiClockwise)->SetDown(true);
    else
        (Clockwise ? btnRotateDipperClockwise : btnRotateDipperAntiClockwise)->SetDown(true);
}
