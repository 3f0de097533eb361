#include "zel/manual/Umanualcontrol.h"
#include "platform/ui/ControlBuilder.h"

#include "platform/ui/RxSpin.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/Notices.h"
#include "zel/core/Ustatus.h"
#include "zel/core/Windowroles.h"
#include "zel/manual/Ucalibratedevice.h"

TFManualCtrl* FManualCtrl = nullptr;

namespace {

constexpr int Margin = 4, GroupWidth = 216, BarrierGroupHeight = 112, DipperGroupHeight = 140;
constexpr int TrackBarPositions = 1000;
// Motion codes of the instrument's drives.
enum TMotionCode {
    mcAllStopped = 0,
    mcBarrier1Left = 1,
    mcBarrier1Right = 2,
    mcBarrier1Stopped = 3,
    mcBarrier2Left = 4,
    mcBarrier2Right = 5,
    mcBarrier2Stopped = 6,
    mcDipperUp = 7,
    mcDipperDown = 8,
    mcDipperStopped = 9,
};
// Tags of the move buttons: they choose the command in the one move handler.
enum TMoveTag {
    tagBarrier1Left = 1,
    tagBarrier1Right = 2,
    tagDipperUp = 3,
    tagDipperDown = 4,
    tagBarrier2Left = 5,
    tagBarrier2Right = 6
};

KVC::TKvEdit* SpeedEdit(TComponent* Owner, TWinControl* Parent, const char* Name, int Left, int Top)
{
    auto* edit = MakeControl<KVC::TKvEdit>(Owner, Parent, Name, "", Left, Top, 64, 21);
    edit->SetTypeValue(KVC::tvFloat);
    edit->FloatDigits = 1;
    return edit;
}

KVC::TKvTrackBar* SpeedTrackBar(TComponent* Owner, TWinControl* Parent, const char* Name, int Top)
{
    auto* bar = MakeControl<KVC::TKvTrackBar>(Owner, Parent, Name, "", 6, Top, GroupWidth - 12, 24);
    bar->SetMin(0);
    bar->SetMax(TrackBarPositions);
    return bar;
}

// The calibration window, which mirrors this one's dipper moves; null when closed.
TFCalibrateDevice* CalibrationWindow()
{
    return dynamic_cast<TFCalibrateDevice*>(TToolWindow::Find(TToolWindowKind::Calibration));
}

IDipperLimitsWindow* DippingWindow() { return FindRole<IDipperLimitsWindow>(TToolWindowKind::Dipping); }

// A move button the device reports as moving goes down; one already down stays as it is.
void Press(TSpeedButton* Button)
{
    if (!Button->GetDown()) Button->SetDown(true);
}

void ReleaseBoth(TSpeedButton* A, TSpeedButton* B)
{
    A->SetDown(false);
    B->SetDown(false);
}

std::uint32_t CodeOfSpeed(TMotor* Unit, double Speed)
{
    return static_cast<std::uint32_t>(DoubleToInt32(Unit->SpeedToCode(Speed)));
}

}  // namespace

TFManualCtrl::TFManualCtrl(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::Manual)
{
    Name = "FManualCtrl";
    HandleNotice(hlnMotionState, [this](LPARAM P) { ShowMotionState(NoticeNumber(P)); });
    HandleNotice(hlnDrivesStopped, [this](LPARAM) { ShowMotionState(0); });
    SetCaption("LB Ctrl");
    SetHint("LB Manual Control");
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsToolWindow);
    BuildBarrierGroup(1);
    BuildBarrierGroup(2);
    BuildOtherGroups();
    BuildDipperGroup();
    grpST->SetTop(grpDipper->GetTop() + DipperGroupHeight + 30);
    grpTemperature->SetTop(grpST->GetTop() + grpST->GetHeight() + Margin);
    SetBounds(0, 0, GroupWidth + 2 * Margin, grpTemperature->GetTop() + grpTemperature->GetHeight() + Margin);
    HideForDeviceType();

    BindSpeedControls(&TFManualCtrl::Barrier1Drive);
    BindSpeedControls(&TFManualCtrl::Barrier2Drive);
    BindSpeedControls(&TFManualCtrl::DipperDrive);
    // The speed commit and the track-bar steps follow the pattern's creation (ranges,
    // captions, settings).
    TNotifyEvent patternCreate = OnCreate;
    OnCreate = [this, patternCreate](TObject* Sender) {
        patternCreate(Sender);
        FinishCreate();
    };
    FManualCtrl = this;
}

TFManualCtrl::~TFManualCtrl()
{
    if (FManualCtrl == this) FManualCtrl = nullptr;
}

void TFManualCtrl::BuildBarrierGroup(int Index)
{
    const bool first = Index == 1;
    auto* group = MakeControl<TGroupBox>(
        this, this, first ? "grpBarrier1" : "grpBarrier2", first ? "Barrier Right" : "Barrier Left", Margin,
        Margin + (Index - 1) * (BarrierGroupHeight + Margin), GroupWidth, BarrierGroupHeight);
    const std::string n = std::to_string(Index);
    auto name = [&n](const char* Prefix, const char* Suffix) { return std::string(Prefix) + n + Suffix; };
    auto* lblPos = MakeControl<TLabel>(this, group, name("lblTrBar", "Pos").c_str(), "Position, mm", 8, 18, 90, 16);
    auto* txtPos = MakeControl<TLabel>(this, group, name("txtTrBar", "Pos").c_str(), "0.0", 100, 18, 60, 16);
    auto* lblSpd = MakeControl<TLabel>(this, group, name("lblTrBar", "Spd").c_str(), "Speed, mm/min", 8, 36, 90, 16);
    auto* txtSpd = MakeControl<TLabel>(this, group, name("txtTrBar", "Spd").c_str(), "0.000", 100, 36, 60, 16);
    const int left = first ? tagBarrier1Left : tagBarrier2Left;
    auto* moveLeft =
        MakeLatchingButton(this, group, name("btnBarrier", "MoveLeft").c_str(), "<<", left, 10 + Index, 8, 58, 40, 22);
    auto* stop = MakeControl<TButton>(this, group, name("btnBarrier", "Stop").c_str(), "Stop", 50, 58, 50, 22);
    auto* moveRight = MakeLatchingButton(this, group, name("btnBarrier", "MoveRight").c_str(), ">>", left + 1,
                                         10 + Index, 102, 58, 40, 22);
    auto* lblSpeed = MakeControl<TLabel>(this, group, name("lblTrBar", "Speed").c_str(), "mm/min", 146, 44, 60, 14);
    auto* edit = SpeedEdit(this, group, name("edTrBar", "Speed").c_str(), 146, 58);
    auto* bar = SpeedTrackBar(this, group, name("trbTrBar", "Speed").c_str(), 84);
    moveLeft->OnClick = [this](TObject* Sender) { MoveButtonClick(Sender); };
    moveRight->OnClick = [this](TObject* Sender) { MoveButtonClick(Sender); };
    if (first) {
        grpBarrier1 = group;
        lblTrBar1Pos = lblPos, txtTrBar1Pos = txtPos, lblTrBar1Spd = lblSpd, txtTrBar1Spd = txtSpd,
        lblTrBar1Speed = lblSpeed;
        btnBarrier1MoveLeft = moveLeft, btnBarrier1MoveRight = moveRight, btnBarrier1Stop = stop;
        trbTrBar1Speed = bar, edTrBar1Speed = edit;
        stop->OnClick = [this](TObject* Sender) { btnBarrier1StopClick(Sender); };
    } else {
        grpBarrier2 = group;
        lblTrBar2Pos = lblPos, txtTrBar2Pos = txtPos, lblTrBar2Spd = lblSpd, txtTrBar2Spd = txtSpd,
        lblTrBar2Speed = lblSpeed;
        btnBarrier2MoveLeft = moveLeft, btnBarrier2MoveRight = moveRight, btnBarrier2Stop = stop;
        trbTrBar2Speed = bar, edTrBar2Speed = edit;
        stop->OnClick = [this](TObject* Sender) { btnBarrier2StopClick(Sender); };
    }
}

void TFManualCtrl::BuildOtherGroups()
{
    const int top = Margin + 2 * (BarrierGroupHeight + Margin);
    grpBarriers = MakeControl<TGroupBox>(this, this, "grpBarriers", "Barriers", Margin, top, GroupWidth, 48);
    btnCloseBarriers = MakeControl<TButton>(this, grpBarriers, "btnCloseBarriers", "Close", 8, 18, 62, 22);
    btnStopBarriers = MakeControl<TButton>(this, grpBarriers, "btnStopBarriers", "Stop", 77, 18, 62, 22);
    btnOpenBarriers = MakeControl<TButton>(this, grpBarriers, "btnOpenBarriers", "Open", 146, 18, 62, 22);
    btnCloseBarriers->OnClick = [this](TObject* Sender) { btnCloseBarriersClick(Sender); };
    btnStopBarriers->OnClick = [this](TObject* Sender) { btnStopBarriersClick(Sender); };
    btnOpenBarriers->OnClick = [this](TObject* Sender) { btnOpenBarriersClick(Sender); };

    grpST = MakeControl<TGroupBox>(this, this, "grpST", "Surface tension", Margin, 0, GroupWidth, 48);
    lblST = MakeControl<TLabel>(this, grpST, "lblST", "mN/m", 8, 20, 40, 16);
    txtST = MakeControl<TLabel>(this, grpST, "txtST", "0", 50, 20, 70, 16);
    txtDoserADC = MakeControl<TLabel>(this, grpST, "txtDoserADC", "0", 50, 20, 70, 16);
    btnBBalZero = MakeControl<TButton>(this, grpST, "btnBBalZero", "Zero", 146, 18, 62, 22);
    btnDoserZero = MakeControl<TButton>(this, grpST, "btnDoserZero", "Zero", 146, 18, 62, 22);
    txtDoserADC->Hide();
    btnDoserZero->Hide();
    btnBBalZero->OnClick = [this](TObject* Sender) { btnBBalZeroClick(Sender); };
    btnDoserZero->OnClick = [this](TObject* Sender) { btnDoserZeroClick(Sender); };

    grpTemperature = MakeControl<TGroupBox>(this, this, "grpTemperature", "Temperature", Margin, 0, GroupWidth, 48);
    LBTemCarrier = MakeControl<TLabel>(this, grpTemperature, "LBTemCarrier", "Air", 8, 20, 40, 16);
    STTemAir = MakeControl<TLabel>(this, grpTemperature, "STTemAir", "0.0", 50, 20, 50, 16);
    LBTemTrough = MakeControl<TLabel>(this, grpTemperature, "LBTemTrough", "Trough", 108, 20, 46, 16);
    STTemTrough = MakeControl<TLabel>(this, grpTemperature, "STTemTrough", "0.0", 156, 20, 50, 16);
    STTemTrough->Hide();
    grpTemperature->Hide();
    grpTemperature->SetEnabled(false);
}

void TFManualCtrl::BuildDipperGroup()
{
    const int top = grpBarriers->GetTop() + grpBarriers->GetHeight() + Margin;
    grpDipper = MakeControl<TGroupBox>(this, this, "grpDipper", "Dipper", Margin, top, GroupWidth, DipperGroupHeight);
    LBDipPos = MakeControl<TLabel>(this, grpDipper, "LBDipPos", "Position, mm", 8, 18, 90, 16);
    STDipPos = MakeControl<TLabel>(this, grpDipper, "STDipPos", "0.0", 100, 18, 60, 16);
    LBSpeed = MakeControl<TLabel>(this, grpDipper, "LBSpeed", "Speed, mm/min", 8, 36, 90, 16);
    STSpeed = MakeControl<TLabel>(this, grpDipper, "STSpeed", "0.0", 100, 36, 60, 16);
    SBDipperMoveUp = MakeLatchingButton(this, grpDipper, "SBDipperMoveUp", "Up", tagDipperUp, 10, 8, 58, 40, 22);
    btnDipperStop = MakeControl<TButton>(this, grpDipper, "btnDipperStop", "Stop", 50, 58, 50, 22);
    SBDipperMoveDown =
        MakeLatchingButton(this, grpDipper, "SBDipperMoveDown", "Down", tagDipperDown, 10, 102, 58, 40, 22);
    lblDipSpeed = MakeControl<TLabel>(this, grpDipper, "lblDipSpeed", "mm/min", 146, 44, 60, 14);
    edDipSpeed = SpeedEdit(this, grpDipper, "edDipSpeed", 146, 58);
    TBDipSpeed = SpeedTrackBar(this, grpDipper, "TBDipSpeed", 84);
    btnBDipZero = MakeControl<TButton>(this, grpDipper, "btnBDipZero", "Zero", 8, 112, 50, 22);
    btnBDipUp = MakeControl<TButton>(this, grpDipper, "btnBDipUp", "Up", 62, 112, 72, 22);
    btnBDipDown = MakeControl<TButton>(this, grpDipper, "btnBDipDown", "Down", 138, 112, 72, 22);
    SBDipperMoveUp->OnClick = [this](TObject* Sender) { MoveButtonClick(Sender); };
    SBDipperMoveDown->OnClick = [this](TObject* Sender) { MoveButtonClick(Sender); };
    btnDipperStop->OnClick = [this](TObject* Sender) { btnDipperStopClick(Sender); };
    btnBDipZero->OnClick = [this](TObject* Sender) { btnBDipZeroClick(Sender); };
    btnBDipUp->OnClick = [this](TObject* Sender) { btnBDipUpClick(Sender); };
    btnBDipDown->OnClick = [this](TObject* Sender) { btnBDipDownClick(Sender); };

    btnHomePosition = MakeControl<TButton>(this, this, "btnHomePosition", "Return to home position", Margin,
                                           top + DipperGroupHeight + Margin, GroupWidth, 24);
    btnHomePosition->OnClick = [this](TObject* Sender) { btnHomePositionClick(Sender); };
}

void TFManualCtrl::HideForDeviceType()
{
    if (DeviceType != dtLbl) return;
    // The layer-by-layer instrument has neither barriers nor balance: the dipper goes to
    // the top, and its dipping limits belong to the layer-by-layer programs.
    for (TGroupBox* group : {grpST, grpBarrier1, grpBarrier2, grpTemperature}) group->Hide();
    grpDipper->SetTop(Margin);
    grpBarriers->SetTop(grpDipper->GetTop() + DipperGroupHeight + Margin);
    btnHomePosition->SetTop(grpBarriers->GetTop() + grpBarriers->GetHeight() + Margin);
    btnBDipUp->SetEnabled(false);
    btnBDipDown->SetEnabled(false);
}

TFManualCtrl::TSpeedDrive TFManualCtrl::Barrier1Drive() const
{
    return {&CalibrateParam.barrier1, trbTrBar1Speed, edTrBar1Speed, txtTrBar1Spd, &TFManualCtrl::SetBarrier1Speed};
}

TFManualCtrl::TSpeedDrive TFManualCtrl::Barrier2Drive() const
{
    return {&CalibrateParam.barrier2, trbTrBar2Speed, edTrBar2Speed, txtTrBar2Spd, &TFManualCtrl::SetBarrier2Speed};
}

TFManualCtrl::TSpeedDrive TFManualCtrl::DipperDrive() const
{
    return {&CalibrateParam.dipper, TBDipSpeed, edDipSpeed, STSpeed, &TFManualCtrl::SetDipperSpeed};
}

void TFManualCtrl::BindSpeedControls(TSpeedDrive (TFManualCtrl::*Drive)() const)
{
    const TSpeedDrive drive = (this->*Drive)();
    drive.TrackBar->OnChange = [this, Drive](TObject*) { TrackBarChange((this->*Drive)()); };
    drive.TrackBar->OnChanged = [this, Drive](TObject*) { TrackBarChanged((this->*Drive)()); };
    drive.Edit->OnEnterValue = [this, Drive](TObject*) { EditEnterValue((this->*Drive)()); };
}

namespace {

// The speed a track-bar position stands for, spread evenly over the drive's speed range.
double TrackBarSpeed(KVC::TKvTrackBar* Bar, TMotor* Unit)
{
    const double fraction = DivideOr(Bar->GetPosition() - Bar->GetMin(), Bar->GetMax() - Bar->GetMin(), 0);
    return Unit->GetMinSpeed() + (Unit->GetMaxSpeed() - Unit->GetMinSpeed()) * fraction;
}

}  // namespace

void TFManualCtrl::TrackBarChange(const TSpeedDrive& Drive)
{
    const double speed = TrackBarSpeed(Drive.TrackBar, Drive.Unit);
    const std::string text = FixedText(speed, 1);
    Drive.Text->SetCaption(text);
    if (Drive.TrackBar == TBDipSpeed)
        Drive.Edit->InitFloat(speed);
    else
        Drive.Edit->SetText(text);
}

void TFManualCtrl::TrackBarChanged(const TSpeedDrive& Drive)
{
    (this->*Drive.Setter)(CodeOfSpeed(Drive.Unit, TrackBarSpeed(Drive.TrackBar, Drive.Unit)));
}

void TFManualCtrl::EditEnterValue(const TSpeedDrive& Drive)
{
    (this->*Drive.Setter)(CodeOfSpeed(Drive.Unit, Drive.Edit->GetValueFloat()));
}

void TFManualCtrl::SetTrackBarSteps(const TSpeedDrive& Drive)
{
    KVC::TKvTrackBar* bar = Drive.TrackBar;
    const double positions = bar->GetMax() - bar->GetMin();
    const double speedRange = Drive.Unit->GetMaxSpeed() - Drive.Unit->GetMinSpeed();
    // A drive with a single speed has no speed per position: the bar then steps by one.
    bar->SetLineSize(DoubleToInt32(DivideOr(positions * 0.01, speedRange, 1)));
    bar->SetPageSize(DoubleToInt32(DivideOr(positions * 0.1, speedRange, 1)));
}

void TFManualCtrl::ShowSpeedCode(const TSpeedDrive& Drive, std::uint32_t Code, int Decimals)
{
    const std::string text = FixedText(Drive.Unit->CodeToSpeed(static_cast<double>(Code)), Decimals);
    Drive.Text->SetCaption(text);
    Drive.Edit->SetText(text);
}

void TFManualCtrl::SetDipperSpeed(std::uint32_t Code)
{
    DipperSpeedCode = Code;
    ShowSpeedCode(DipperDrive(), Code, 1);
    HlProvider.SetDipperSpeed(static_cast<int>(Code));
}

void TFManualCtrl::SetBarrier1Speed(std::uint32_t Code)
{
    Barrier1SpeedCode = Code;
    ShowSpeedCode(Barrier1Drive(), Code, 3);
    HlProvider.SetBarrier1Speed(static_cast<int>(Code));
}

void TFManualCtrl::SetBarrier2Speed(std::uint32_t Code)
{
    Barrier2SpeedCode = Code;
    ShowSpeedCode(Barrier2Drive(), Code, 3);
    HlProvider.SetBarrier2Speed(static_cast<int>(Code));
}

std::string TFManualCtrl::FormatLimitCaption(const std::string& Base, int Steps)
{
    return Base + "[" + FixedText(CalibrateParam.dipper.HwToSh(Steps), 1) + "]";
}

void TFManualCtrl::SetDipperUpLimit(int Steps)
{
    DipperUpLimit = Steps;
    HlProvider.SetDipTopLevel(Steps);
    btnBDipUp->SetCaption(FormatLimitCaption(UpCaption, Steps));
}

void TFManualCtrl::SetDipperDownLimit(int Steps)
{
    DipperDownLimit = Steps;
    HlProvider.SetDipBottomLevel(Steps);
    btnBDipDown->SetCaption(FormatLimitCaption(DownCaption, Steps));
}

void TFManualCtrl::SetLblDipperUpLimit(int Steps)
{
    LblDipperUpLimit = Steps;
    HlProvider.SetLblDipTopLevel(Steps);
}

void TFManualCtrl::SetLblDipperDownLimit(int Steps)
{
    LblDipperDownLimit = Steps;
    HlProvider.SetLblDipBottomLevel(Steps);
}

void TFManualCtrl::MoveButtonClick(TObject* Sender)
{
    auto* button = dynamic_cast<TSpeedButton*>(Sender);
    if (!button) return;
    button->SetDown(true);
    switch (button->Tag) {
    case tagBarrier1Left:
        HlProvider.Barrier1MoveLeft(0);
        break;
    case tagBarrier1Right:
        HlProvider.Barrier1MoveRight(0);
        break;
    case tagDipperUp:
        HlProvider.DipperMoveUp(0);
        if (auto* calibration = CalibrationWindow()) calibration->ShowDipperMove(true);
        break;
    case tagDipperDown:
        HlProvider.DipperMoveDown(0);
        if (auto* calibration = CalibrationWindow()) calibration->ShowDipperMove(false);
        break;
    case tagBarrier2Left:
        HlProvider.Barrier2MoveLeft(0);
        break;
    case tagBarrier2Right:
        HlProvider.Barrier2MoveRight(0);
        break;
    default:
        break;
    }
}

void TFManualCtrl::btnBarrier1StopClick(TObject*)
{
    ReleaseBoth(btnBarrier1MoveLeft, btnBarrier1MoveRight);
    HlProvider.Barrier1Stop();
}

void TFManualCtrl::btnBarrier2StopClick(TObject*)
{
    ReleaseBoth(btnBarrier2MoveLeft, btnBarrier2MoveRight);
    HlProvider.Barrier2Stop();
}

void TFManualCtrl::btnDipperStopClick(TObject*)
{
    ReleaseBoth(SBDipperMoveUp, SBDipperMoveDown);
    if (auto* calibration = CalibrationWindow()) calibration->ReleaseDipperMoveButtons();
    HlProvider.DipperStop();
}

void TFManualCtrl::btnCloseBarriersClick(TObject*)
{
    btnBarrier1MoveLeft->Click();
    btnBarrier2MoveRight->Click();
}

void TFManualCtrl::btnOpenBarriersClick(TObject*)
{
    btnBarrier1MoveRight->Click();
    btnBarrier2MoveLeft->Click();
}

void TFManualCtrl::btnStopBarriersClick(TObject*)
{
    btnBarrier1Stop->Click();
    btnBarrier2Stop->Click();
}

void TFManualCtrl::btnHomePositionClick(TObject*)
{
    btnBarrier1MoveRight->Click();
    btnBarrier2MoveLeft->Click();
    SBDipperMoveUp->Click();
}

void TFManualCtrl::btnBDipUpClick(TObject*)
{
    const int position = static_cast<int>(DeviceState.dipperPos);
    if (auto* dipping = DippingWindow()) dipping->SetDipperUpLimit(CalibrateParam.dipper.HwToSh(position));
    SetDipperUpLimit(position);
}

void TFManualCtrl::btnBDipDownClick(TObject*)
{
    const int position = static_cast<int>(DeviceState.dipperPos);
    if (auto* dipping = DippingWindow()) dipping->SetDipperDownLimit(CalibrateParam.dipper.HwToSh(position));
    SetDipperDownLimit(position);
}

void TFManualCtrl::SetDippingLimits()
{
    if (auto* dipping = DippingWindow()) {
        dipping->SetDipperUpLimit(CalibrateParam.dipper.HwToSh(DipperUpLimit));
        dipping->SetDipperDownLimit(CalibrateParam.dipper.HwToSh(DipperDownLimit));
    }
}

void TFManualCtrl::btnBDipZeroClick(TObject*)
{
    // The limits stay in steps: only their millimetre readings move with the new zero.
    CalibrateParam.dipper.SetZeroHw(static_cast<int>(DeviceState.dipperPos));
    btnBDipUp->SetCaption(FormatLimitCaption(UpCaption, DipperUpLimit));
    btnBDipDown->SetCaption(FormatLimitCaption(DownCaption, DipperDownLimit));
    SetDippingLimits();
}

void TFManualCtrl::btnBBalZeroClick(TObject*)
{
    if (auto* calibration = CalibrationWindow()) calibration->TakeBalanceBottomLevel();
}

void TFManualCtrl::btnDoserZeroClick(TObject*)
{
    if (auto* calibration = CalibrationWindow()) calibration->TakeDoserBalanceBottomLevel();
}

void TFManualCtrl::ShowMotionState(int MotionCode)
{
    switch (MotionCode) {
    case mcAllStopped:
        ReleaseBoth(btnBarrier1MoveLeft, btnBarrier1MoveRight);
        ReleaseBoth(btnBarrier2MoveLeft, btnBarrier2MoveRight);
        ReleaseBoth(SBDipperMoveUp, SBDipperMoveDown);
        break;
    case mcBarrier1Left:
        Press(btnBarrier1MoveLeft);
        break;
    case mcBarrier1Right:
        Press(btnBarrier1MoveRight);
        break;
    case mcBarrier1Stopped:
        ReleaseBoth(btnBarrier1MoveLeft, btnBarrier1MoveRight);
        break;
    case mcBarrier2Left:
        Press(btnBarrier2MoveLeft);
        break;
    case mcBarrier2Right:
        Press(btnBarrier2MoveRight);
        break;
    case mcBarrier2Stopped:
        ReleaseBoth(btnBarrier2MoveLeft, btnBarrier2MoveRight);
        break;
    case mcDipperUp:
        Press(SBDipperMoveUp);
        break;
    case mcDipperDown:
        Press(SBDipperMoveDown);
        break;
    case mcDipperStopped:
        ReleaseBoth(SBDipperMoveUp, SBDipperMoveDown);
        break;
    default:
        break;
    }
}

void TFManualCtrl::RefreshIndicators()
{
    TCalibrateParam& clb = CalibrateParam;
    const TDeviceState& state = DeviceState;
    const int accuracy = AppSettings.ADCDataAccuracy;
    txtST->SetCaption(FixedText(clb.ballance.HwToSh(state.balance), accuracy));
    txtDoserADC->SetCaption(FixedText(clb.doserBallance.HwToSh(state.doserBalance), accuracy));
    txtTrBar1Pos->SetCaption(FixedText(clb.barrier1.HwToSh(state.barrier1Pos), 1));
    txtTrBar2Pos->SetCaption(FixedText(clb.barrier2.HwToSh(state.barrier2Pos), 1));
    STDipPos->SetCaption(FixedText(clb.dipper.HwToSh(state.dipperPos), 1));
    STTemTrough->SetCaption(FixedText(clb.tempWater.HwToSh(state.troughTemp), 1));
    STTemAir->SetCaption(FixedText(clb.tempAir.HwToSh(state.airTemp), 1));
}

void TFManualCtrl::PrepareWindow()
{
    // The operator's hand control is there from the start, docked or floating.
    SetVisible(true);
    for (const TSpeedDrive& drive : {Barrier1Drive(), Barrier2Drive(), DipperDrive()}) {
        drive.Edit->Min = drive.Unit->GetMinSpeed();
        drive.Edit->Max = drive.Unit->GetMaxSpeed();
    }
}

std::vector<TCaptionTarget> TFManualCtrl::CaptionTargets()
{
    // The second barrier's labels carry the texts; the first barrier's (and the dipper's
    // speed unit) show the same.
    return {
        CaptionOf(this),
        CaptionOf(grpBarrier1),
        CaptionOf(grpBarrier2),
        CaptionOf({lblTrBar2Pos, lblTrBar1Pos}),
        CaptionOf({lblTrBar2Spd, lblTrBar1Spd}),
        CaptionOf(grpDipper),
        CaptionOf(LBDipPos),
        CaptionOf(LBSpeed),
        CaptionOf(btnBDipZero),
        [this](const std::string& Text) { UpCaption = Text; },
        [this](const std::string& Text) { DownCaption = Text; },
        CaptionOf(grpTemperature),
        CaptionOf(LBTemTrough),
        CaptionOf(LBTemCarrier),
        CaptionOf(grpST),
        CaptionOf(lblST),
        CaptionOf({btnBBalZero, btnDoserZero}),
        CaptionOf({lblTrBar2Speed, lblTrBar1Speed, lblDipSpeed}),
        HintOf(this),
        CaptionOf(btnHomePosition),
    };
}

void TFManualCtrl::LoadValues()
{
    const char* section = Pattern().SettingsSection;
    SetDipperUpLimit(IniFile->ReadInteger(section, "DipperUpLimit", 0));
    SetDipperDownLimit(IniFile->ReadInteger(section, "DipperDownLimit", 0));
    SetLblDipperUpLimit(IniFile->ReadInteger(section, "LblDipperUpLimit", 0));
    SetLblDipperDownLimit(IniFile->ReadInteger(section, "LblDipperDownLimit", 0));
    TBDipSpeed->SetPosition(IniFile->ReadInteger(section, "DipperSpeed", 0));
    trbTrBar1Speed->SetPosition(IniFile->ReadInteger(section, "Barrier1Speed", 0));
    trbTrBar2Speed->SetPosition(IniFile->ReadInteger(section, "Barrier2Speed", 0));
}

void TFManualCtrl::SaveValues()
{
    const char* section = Pattern().SettingsSection;
    IniFile->WriteInteger(section, "DipperUpLimit", DipperUpLimit);
    IniFile->WriteInteger(section, "DipperDownLimit", DipperDownLimit);
    IniFile->WriteInteger(section, "LblDipperUpLimit", LblDipperUpLimit);
    IniFile->WriteInteger(section, "LblDipperDownLimit", LblDipperDownLimit);
    IniFile->WriteInteger(section, "DipperSpeed", TBDipSpeed->GetPosition());
    IniFile->WriteInteger(section, "Barrier1Speed", trbTrBar1Speed->GetPosition());
    IniFile->WriteInteger(section, "Barrier2Speed", trbTrBar2Speed->GetPosition());
}

void TFManualCtrl::FinishCreate()
{
    // Every start tells the instrument the speeds the track bars stand at.
    for (const TSpeedDrive& drive : {Barrier1Drive(), Barrier2Drive(), DipperDrive()}) TrackBarChanged(drive);
    for (const TSpeedDrive& drive : {Barrier1Drive(), Barrier2Drive(), DipperDrive()}) SetTrackBarSteps(drive);
}
