#include "zel/accessories/Utdarctrl.h"

#include <cmath>

#include "hwzel/hwzel.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Graphics.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Notices.h"
#include "zel/manual/Umanualcontrol.h"

TFTDARCtrl* FTDARCtrl = nullptr;

namespace {

const TAccessoryProcess TdarProcess = {
    TToolWindowKind::TDAR,
    pkTDAR,
    "FTDARCtrl",
    "TD&R",
    "Tape Deposition and Rinse",
    "TDAR",
    "Tape deposition and rinse",
    "Tape deposition and rinse parameters",
    "TapeDepositionAndRinse",
    CreateTDARTable,
    true,
    hlnTdarStarted,
    hlnTdarFinished,
};

constexpr int Row = 25, FirstRow = 18, GroupWidth = 260, ColumnGap = 4;
constexpr int ReadingLeft = 150, ReadingWidth = 70, ZeroLeft = 222;

int GroupHeight(int Rows) { return FirstRow + Rows * Row + 6; }

TGroupBox* Group(TComponent* Owner, const char* Name, const char* Caption, TColor Colour, int Left, int Top, int Rows)
{
    auto* group = MakeControl<TGroupBox>(Owner, static_cast<TWinControl*>(Owner), Name, Caption, Left, Top, GroupWidth,
                                         GroupHeight(Rows));
    group->Font()->SetColor(Colour);
    return group;
}

TLabel* Reading(TComponent* Owner, TWinControl* Parent, const char* Name, int Top)
{
    auto* reading = MakeControl<TLabel>(Owner, Parent, Name, "0.0", ReadingLeft, Top + 3, ReadingWidth, 16);
    reading->Font()->SetStyle(TFontStyles() << fsBold);
    return reading;
}

}  // namespace

std::unique_ptr<TPTableData> CreateTDARTable(ISXDataSet* DataSet, const std::string& Name)
{
    return CreateAccessoryTable(DataSet, Name, true, true);
}

TFTDARCtrl::TFTDARCtrl(TComponent* Owner) : TAccessoryWindow(Owner, TdarProcess)
{
    HandleNotice(hlnTdarPoint, [this](LPARAM P) { AddDataRow(NoticeRecord<TTdarPoint>(P)); });
    HandleNotice(hlnMotionState, [this](LPARAM P) { ShowMotionState(NoticeNumber(P)); });

    int left = 4, top = 4;
    top += BuildHorizontalBarrier(left, top)->GetHeight() + 4;
    top += BuildDoser1(left, top)->GetHeight() + 4;
    top += BuildDoser2(left, top)->GetHeight() + 4;
    const int right = left + GroupWidth + ColumnGap;
    const TDriveGroup rotbar = BuildDrive("Rotbar", " Rotating barrier ", "rev.", "Rate (rpm)", right, 4);
    grpRotbar = rotbar.Group, txtRotbarCurPos = rotbar.Position, cbbRotbarMode = rotbar.Mode,
    cbbRotbarDir = rotbar.Direction, edRotbarSpeed = rotbar.Rate, edRotbarPressureStart = rotbar.PressureStart,
    edRotbarPressureStop = rotbar.PressureStop;
    const TDriveGroup tape =
        BuildDrive("Tape", " Tape ", "mm", "Rate (mm/s)", right, 4 + grpRotbar->GetHeight() + ColumnGap);
    grpTape = tape.Group, txtTapeCurPos = tape.Position, cbbTapeMode = tape.Mode, cbbTapeDir = tape.Direction,
    edTapeSpeed = tape.Rate, edTapePressureStart = tape.PressureStart, edTapePressureStop = tape.PressureStop;
    BuildStartStop(top);
    SetBounds(GetLeft(), GetTop(), right + GroupWidth + 8, GetHeight());

    FReadings = {{txtHBPos, TReading::Barrier1, 1},
                 {txtDoserSensor, TReading::DoserPressure, 0},
                 {txtDipperSensor, TReading::DipperPressure, 0},
                 {txtRotbarCurPos, TReading::RotatingBarrier, 1},
                 {txtTapeCurPos, TReading::Tape, 1}};
    FTDARCtrl = this;
}

TFTDARCtrl::~TFTDARCtrl()
{
    if (FTDARCtrl == this) FTDARCtrl = nullptr;
}

// ---- Building ----

TCheckBox* TFTDARCtrl::ActiveBox(TWinControl* Parent, const char* Name, int Top)
{
    return MakeControl<TCheckBox>(this, Parent, Name, "Active", 8, Top, 120, 20);
}

void TFTDARCtrl::PressurePair(TWinControl* Parent, const char* Prefix, int Top, TRxSpinEdit*& Start, TRxSpinEdit*& Stop)
{
    const std::string prefix = Prefix;
    MakeControl<TLabel>(this, Parent, ("lbl" + prefix + "Pressure").c_str(), "Pressure (mN/m)", 8, Top + 3, 100, 16);
    MakeControl<TLabel>(this, Parent, ("lbl" + prefix + "PressureStart").c_str(), "start", 110, Top + 3, 36, 16);
    MakeControl<TLabel>(this, Parent, ("lbl" + prefix + "PressureStop").c_str(), "stop", 110, Top + Row + 3, 36, 16);
    Start = AccessoryRows.Entry(this, Parent, ("ed" + prefix + "PressureStart").c_str(), Top, 1, 0.1);
    Stop = AccessoryRows.Entry(this, Parent, ("ed" + prefix + "PressureStop").c_str(), Top + Row, 1, 0.1);
    SetSpinRange(Start, 0, 100, 0);
    SetSpinRange(Stop, 0, 100, 0);
}

TGroupBox* TFTDARCtrl::BuildHorizontalBarrier(int Left, int Top)
{
    grpHorizBarrier = Group(this, "grpHorizBarrier", " Horizontal barrier ", clRed, Left, Top, 9);
    grpHorizBarrier->Font()->SetStyle(TFontStyles() << fsBold);
    TGroupBox* g = grpHorizBarrier;
    int y = FirstRow;
    chkHBActive = ActiveBox(g, "chkHBActive", y);
    y += Row;
    lblHBPos = AccessoryRows.Label(this, g, "lblHBPos", "position (mm)", y);
    txtHBPos = Reading(this, g, "txtHBPos", y);
    y += Row;
    const struct {
        TLabel** Label;
        TRxSpinEdit** Edit;
        const char *LabelName, *EditName, *Text;
        int Decimals;
        double Increment, Min, Max, Value;
    } rows[] = {
        {&lblBarrierSpeed, &edBarrierSpeed, "lblBarrierSpeed", "edBarrierSpeed", "Speed (mm/s)", 3, 0.001, 0, 100000,
         0},
        {&lblBarrierStep, &edBarrierStep, "lblBarrierStep", "edBarrierStep", "Step (mm)", 1, 0.1, 0, 100000, 0},
        {&lblBarrierPressure, &edBarrierPressure, "lblBarrierPressure", "edBarrierPressure", "Pressure (mN/m)", 1, 0.1,
         0.1, 100, 0.1},
        {&lblBarrierDelay, &edBarrierDelay, "lblBarrierDelay", "edBarrierDelay", "Del. (s)", 1, 0.1, 0.1, 100, 0.1},
        {&lblWP, &edWP, "lblWP", "edWP", "W/P mm2", 1, 0.1, 0.1, 1000, 0.1},
    };
    for (const auto& r : rows) {
        *r.Label = AccessoryRows.Label(this, g, r.LabelName, r.Text, y);
        *r.Edit = AccessoryRows.Entry(this, g, r.EditName, y, r.Decimals, r.Increment);
        SetSpinRange(*r.Edit, r.Min, r.Max, r.Value);
        y += Row;
    }
    lblDoserSensor = AccessoryRows.Label(this, g, "lblDoserSensor", "current pressure", y);
    txtDoserSensor = Reading(this, g, "txtDoserSensor", y);
    SpeedButton1 = MakeControl<TSpeedButton>(this, g, "SpeedButton1", ">0<", ZeroLeft, y, 32, 21);
    y += Row;
    btnBarrierMoveLeft = MakeControl<TSpeedButton>(this, g, "btnBarrierMoveLeft", "<<<<", 8, y, 70, 22);
    FlatButton2 = MakeControl<TButton>(this, g, "FlatButton2", "II", 94, y, 70, 22);
    btnBarrierMoveRight = MakeControl<TSpeedButton>(this, g, "btnBarrierMoveRight", ">>>>", 180, y, 70, 22);
    // The two move buttons latch as one group that may have none down.
    for (TSpeedButton* move : {btnBarrierMoveLeft, btnBarrierMoveRight}) {
        move->SetGroupIndex(1);
        move->AllowAllUp = true;
    }
    btnBarrierMoveLeft->OnClick = [this](TObject* Sender) { btnBarrierMoveLeftClick(Sender); };
    FlatButton2->OnClick = [this](TObject* Sender) { FlatButton2Click(Sender); };
    btnBarrierMoveRight->OnClick = [this](TObject* Sender) { btnBarrierMoveRightClick(Sender); };
    return g;
}

TGroupBox* TFTDARCtrl::BuildDoser1(int Left, int Top)
{
    grpDoser = Group(this, "grpDoser", " Doser / Rinse 1 ", clBlue, Left, Top, 4);
    int y = FirstRow;
    chkDoserActive = ActiveBox(grpDoser, "chkDoserActive", y);
    y += Row;
    lblDoserMode = AccessoryRows.Label(this, grpDoser, "lblDoserMode", "Mode", y);
    cbbDoserMode = AccessoryRows.List(this, grpDoser, "cbbDoserMode", y, {"Continuous", "Automatic"});
    cbbDoserMode->SetItemIndex(1);
    y += Row;
    lblDoserSpeed = AccessoryRows.Label(this, grpDoser, "lblDoserSpeed", "Rate (ml/min)", y);
    edDoserSpeed = AccessoryRows.Entry(this, grpDoser, "edDoserSpeed", y, 5, 0.00001);
    SetSpinRange(edDoserSpeed, 0, 255, 0);
    y += Row;
    lblSyringeDiameter = AccessoryRows.Label(this, grpDoser, "lblDoserSrngDiam", "Srng diam", y);
    edDoserSrngDiam = AccessoryRows.Entry(this, grpDoser, "edDoserSrngDiam", y, 1, 0.1);
    SetSpinRange(edDoserSrngDiam, 0, 100000, 0);
    return grpDoser;
}

TGroupBox* TFTDARCtrl::BuildDoser2(int Left, int Top)
{
    grpDoser2 = Group(this, "grpDoser2", " Doser / Dep. 2 ", clGreen, Left, Top, 8);
    TGroupBox* g = grpDoser2;
    int y = FirstRow;
    chkDoser2Active = ActiveBox(g, "chkDoser2Active", y);
    y += Row;
    AccessoryRows.Label(this, g, "lblDoser2Mode", "Mode", y);
    cbbDoser2Mode = AccessoryRows.List(this, g, "cbbDoser2Mode", y, {"Continuous", "Automatic"});
    cbbDoser2Mode->SetItemIndex(1);
    y += Row;
    AccessoryRows.Label(this, g, "lblDoser2Speed", "Rate (ml/min)", y);
    edDoser2Speed = AccessoryRows.Entry(this, g, "edDoser2Speed", y, 5, 0.00001);
    SetSpinRange(edDoser2Speed, 0, 255, 0);
    y += Row;
    AccessoryRows.Label(this, g, "lblDoser2SrngDiam", "Srng diam", y);
    edDoser2SrngDiam = AccessoryRows.Entry(this, g, "edDoser2SrngDiam", y, 1, 0.1);
    SetSpinRange(edDoser2SrngDiam, 0, 100000, 0);
    y += Row;
    PressurePair(g, "Doser2", y, edDoser2PressureStart, edDoser2PressureStop);
    y += 2 * Row;
    AccessoryRows.Label(this, g, "lblDoser2WP", "W/P mm2", y);
    edDoser2WP = AccessoryRows.Entry(this, g, "edDoser2WP", y, 1, 0.1);
    SetSpinRange(edDoser2WP, 0.1, 1000, 0.1);
    y += Row;
    lblDipperSensor = AccessoryRows.Label(this, g, "lblDipperSensor", "current pressure", y);
    txtDipperSensor = Reading(this, g, "txtDipperSensor", y);
    SpeedButton2 = MakeControl<TSpeedButton>(this, g, "SpeedButton2", ">0<", ZeroLeft, y, 32, 21);
    return g;
}

TFTDARCtrl::TDriveGroup TFTDARCtrl::BuildDrive(const char* Prefix, const char* GroupCaption,
                                               const char* PositionCaption, const char* RateCaption, int Left, int Top)
{
    const std::string p = Prefix;
    TDriveGroup d{};
    d.Group = Group(this, ("grp" + p).c_str(), GroupCaption, clGreen, Left, Top, 6);
    int y = FirstRow;
    AccessoryRows.Label(this, d.Group, ("lbl" + p + "CurPos").c_str(), PositionCaption, y);
    d.Position = Reading(this, d.Group, ("txt" + p + "CurPos").c_str(), y);
    y += Row;
    AccessoryRows.Label(this, d.Group, ("lbl" + p + "Mode").c_str(), "Mode", y);
    d.Mode = AccessoryRows.List(this, d.Group, ("cbb" + p + "Mode").c_str(), y, {"Continuous", "Automatic"});
    y += Row;
    AccessoryRows.Label(this, d.Group, ("lbl" + p + "Dir").c_str(), "Dir.", y);
    d.Direction = AccessoryRows.List(this, d.Group, ("cbb" + p + "Dir").c_str(), y, {"CW", "CCW"});
    y += Row;
    AccessoryRows.Label(this, d.Group, ("lbl" + p + "Speed").c_str(), RateCaption, y);
    d.Rate = AccessoryRows.Entry(this, d.Group, ("ed" + p + "Speed").c_str(), y, 5, 0.00001);
    SetSpinRange(d.Rate, 0, 255, 0);
    y += Row;
    PressurePair(d.Group, Prefix, y, d.PressureStart, d.PressureStop);
    return d;
}

// ---- Settings and START ----

std::vector<TAccessoryWindow::TStoredValue> TFTDARCtrl::StoredValues()
{
    return {
        {"horizbarrier.active", nullptr, nullptr, chkHBActive},
        {"horizbarrier.speed", edBarrierSpeed, nullptr},
        {"horizbarrier.step", edBarrierStep, nullptr},
        {"horizbarrier.pressure", edBarrierPressure, nullptr},
        {"horizbarrier.delay", edBarrierDelay, nullptr},
        {"horizbarrier.wp", edWP, nullptr},
        {"doser1.active", nullptr, nullptr, chkDoserActive},
        {"doser1.mode", nullptr, cbbDoserMode},
        {"doser1.speed", edDoserSpeed, nullptr},
        {"doser1.srngdiam", edDoserSrngDiam, nullptr},
        {"doser2.active", nullptr, nullptr, chkDoser2Active},
        {"doser2.mode", nullptr, cbbDoser2Mode},
        {"doser2.speed", edDoser2Speed, nullptr},
        {"doser2.srngdiam", edDoser2SrngDiam, nullptr},
        {"doser2.pressure.start", edDoser2PressureStart, nullptr},
        {"doser2.pressure.stop", edDoser2PressureStop, nullptr},
        {"doser2.wp", edDoser2WP, nullptr},
        {"rotbar.mode", nullptr, cbbRotbarMode},
        {"rotbar.direction", nullptr, cbbRotbarDir},
        {"rotbar.speed", edRotbarSpeed, nullptr},
        {"rotbar.pressure.start", edRotbarPressureStart, nullptr},
        {"rotbar.pressure.stop", edRotbarPressureStop, nullptr},
        {"tape.mode", nullptr, cbbTapeMode},
        {"tape.direction", nullptr, cbbTapeDir},
        {"tape.speed", edTapeSpeed, nullptr},
        {"tape.pressure.start", edTapePressureStart, nullptr},
        {"tape.pressure.stop", edTapePressureStop, nullptr},
    };
}

// Every group goes out whether it is active or not; "Active" and the lists only say what
// the instrument does with it. Both doser rates go through the first doser's unit; the
// tape's pressures are the doser balance's, the rotating barrier's the main balance's.
void TFTDARCtrl::SendParameters()
{
    TCalibrateParam& c = CalibrateParam;
    THlProvider& p = HlProvider;
    const auto flag = [](const TCheckBox* Box) { return Box->GetChecked() ? 1 : 0; };
    const auto speed = [](TMotor& Unit, const TRxSpinEdit* Edit) {
        return DoubleToInt32(Unit.SpeedToCode(Edit->GetValue()));
    };
    const auto pressure = [](TClbBallance& Balance, const TRxSpinEdit* Edit) {
        return DoubleToInt32(Balance.SPToHw(Edit->GetValue()));
    };
    // The rotating barrier's and the tape's rates go out as typed, in whole units.
    const auto whole = [](const TRxSpinEdit* Edit) { return DoubleToInt32(Edit->GetValue()); };

    p.SetTdarBarrierActive(flag(chkHBActive));
    p.SetTdarBarrierSpeed(speed(c.barrier1, edBarrierSpeed));
    p.SetTdarBarrierStep(DoubleToInt32(c.barrier1.ShToHwDelta(edBarrierStep->GetValue())));
    p.SetTdarBarrierPressure(pressure(c.ballance, edBarrierPressure));
    // Whole milliseconds of a delay shown with one decimal: 32.3 s is 32300 ms, never the
    // 32299 that a product just below it would truncate to.
    p.SetTdarBarrierDelay(DoubleToInt32(std::round(edBarrierDelay->GetValue() * 1000)));
    p.SetTdarDoser1Active(flag(chkDoserActive));
    p.SetTdarDoser1Mode(cbbDoserMode->GetItemIndex());
    p.SetTdarDoser1Speed(speed(c.doser, edDoserSpeed));
    p.SetTdarDoser2Active(flag(chkDoser2Active));
    p.SetTdarDoser2Mode(cbbDoser2Mode->GetItemIndex());
    p.SetTdarDoser2Speed(speed(c.doser, edDoser2Speed));
    p.SetTdarDoser2PresStart(pressure(c.doserBallance, edDoser2PressureStart));
    p.SetTdarDoser2PresStop(pressure(c.doserBallance, edDoser2PressureStop));
    p.SetTdarRotbarMode(cbbRotbarMode->GetItemIndex());
    p.SetTdarRotbarDir(cbbRotbarDir->GetItemIndex());
    p.SetTdarRotbarSpeed(whole(edRotbarSpeed));
    p.SetTdarRotbarPresStart(pressure(c.ballance, edRotbarPressureStart));
    p.SetTdarRotbarPresStop(pressure(c.ballance, edRotbarPressureStop));
    p.SetTdarTapeMode(cbbTapeMode->GetItemIndex());
    p.SetTdarTapeDir(cbbTapeDir->GetItemIndex());
    p.SetTdarTapeSpeed(whole(edTapeSpeed));
    p.SetTdarTapePresStart(pressure(c.doserBallance, edTapePressureStart));
    p.SetTdarTapePresStop(pressure(c.doserBallance, edTapePressureStop));
    p.StartTDAR();
}

// ---- Barrier 1 by hand ----

void TFTDARCtrl::btnBarrierMoveLeftClick(TObject*)
{
    if (FManualCtrl) FManualCtrl->btnBarrier1MoveLeft->Click();
    ShowMotionState(0);
}

void TFTDARCtrl::FlatButton2Click(TObject*)
{
    if (FManualCtrl) FManualCtrl->btnBarrier1Stop->Click();
    ShowMotionState(0);
}

void TFTDARCtrl::btnBarrierMoveRightClick(TObject*)
{
    if (FManualCtrl) FManualCtrl->btnBarrier1MoveRight->Click();
    ShowMotionState(0);
}

void TFTDARCtrl::ShowMotionState(int)
{
    if (!FManualCtrl) return;
    btnBarrierMoveLeft->SetDown(FManualCtrl->btnBarrier1MoveLeft->GetDown());
    btnBarrierMoveRight->SetDown(FManualCtrl->btnBarrier1MoveRight->GetDown());
}

void TFTDARCtrl::AddDataRow(const TTdarPoint* Point)
{
    if (Point) RecordPoint(Point->balance, Point->doserBalance, Point->rotBarrierPos, Point->status, Point->tapePos);
}
