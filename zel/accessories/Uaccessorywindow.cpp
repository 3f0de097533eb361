#include "zel/accessories/Uaccessorywindow.h"

#include <cmath>
#include <cstdio>

#include "platform/kvcls/kvcls.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Timers.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/Notices.h"
#include "zel/core/Ustatus.h"
#include "zel/manual/Ucalibratedevice.h"

namespace {

const std::vector<TRunColumn> PressureColumns = {
    {"Time (t)", "t", "s"},
    {"Dipper pressure (Dip-P)", "Dip-P", "mN/m"},
    {"Doser pressure (Dos-P)", "Dos-P", "mN/m"},
};
const TRunColumn RotbarColumn = {"Rotbar position (Rotbar-P)", "Rotbar-P", "rev"};
const TRunColumn TapeColumn = {"Tape position (Tape-P)", "Tape-P", "mm"};

constexpr int RowHeight = 26;
constexpr int WindowWidth = 272, GroupWidth = 260;

}  // namespace

std::unique_ptr<TPTableData> CreateAccessoryTable(ISXDataSet* DataSet, const std::string& Name, bool WithRotbar,
                                                  bool WithTape)
{
    std::vector<TRunColumn> columns = PressureColumns;
    if (WithRotbar) columns.push_back(RotbarColumn);
    if (WithTape) columns.push_back(TapeColumn);
    return CreateRunTable(DataSet, Name, columns, 0, 1);
}

void LoadStoredSettings(const std::string& Section, const std::vector<TStoredSetting>& Values)
{
    for (const TStoredSetting& value : Values) {
        if (value.Check) {
            value.Check->SetChecked(IniFile->ReadBool(Section, value.Key, value.Check->GetChecked()));
        } else if (value.List) {
            const int index = IniFile->ReadInteger(Section, value.Key, value.List->GetItemIndex());
            if (index >= 0 && index < value.List->Items().Count()) value.List->SetItemIndex(index);
        } else if (value.Whole) {
            value.Edit->SetValue(IniFile->ReadInteger(Section, value.Key, value.Edit->AsInteger()));
        } else {
            double number = value.Edit->GetValue();
            const std::string text = IniFile->ReadString(Section, value.Key, "");
            if (!text.empty()) try {
                    number = ConvertString2Float(text);
                } catch (const EConvertError&) {
                }
            value.Edit->SetValue(number);
        }
    }
}

void SaveStoredSettings(const std::string& Section, const std::vector<TStoredSetting>& Values)
{
    for (const TStoredSetting& value : Values) {
        if (value.Check)
            IniFile->WriteBool(Section, value.Key, value.Check->GetChecked());
        else if (value.List)
            IniFile->WriteInteger(Section, value.Key, value.List->GetItemIndex());
        else if (value.Whole)
            IniFile->WriteInteger(Section, value.Key, value.Edit->AsInteger());
        else
            IniFile->WriteFloat(Section, value.Key, value.Edit->GetValue());
    }
}

TGroupBox* TRowForm::Group(const char* Name, const char* Caption, int Rows)
{
    auto* group = MakeControl<TGroupBox>(FOwner, FParent, Name, Caption, 4, FTop, GroupWidth, RowTop(Rows) + 6);
    FTop += group->GetHeight() + 4;
    return group;
}

int TRowForm::RowTop(int Row) { return 18 + Row * 25; }

TRxSpinEdit* TRowForm::Entry(TGroupBox* Group, TLabel*& Label, const char* LabelName, const char* Text,
                             const char* EditName, int Row, int Decimals, double Value)
{
    Label = AccessoryRows.Label(FOwner, Group, LabelName, Text, RowTop(Row));
    auto* edit = AccessoryRows.Entry(FOwner, Group, EditName, RowTop(Row), Decimals, LastDecimalStep(Decimals));
    edit->SetValue(Value);
    return edit;
}

TButton* TRowForm::StartButton(TForm* Window)
{
    auto* start = MakeControl<TButton>(FOwner, FParent, "btnGo", "START", 8, FTop + 4, 100, 25);
    Window->SetBounds(Window->GetLeft(), Window->GetTop(), WindowWidth, FTop + 40);
    return start;
}

void CopyDoserLimits(TRxSpinEdit* DoserSpeed)
{
    if (!DoserSpeed || !FManualCtrl2) return;
    DoserSpeed->SetMinValue(FManualCtrl2->edDoserSpeed->Min);
    DoserSpeed->SetMaxValue(FManualCtrl2->edDoserSpeed->Max);
}

double NearestSpeedCode(TMotor& Unit, double Speed) { return std::trunc(Unit.SpeedToCode(Speed) + 0.5); }

void KeepOnDeviceSpeed(TRxSpinEdit* Edit, TMotor& Unit)
{
    double speed = Edit->GetValue();
    if (Unit.NormalizeSpeed(&speed)) Edit->SetValue(speed);
}

void StepToNearestDeviceSpeed(TRxSpinEdit* Edit, TMotor& Unit, bool Up)
{
    const double before = Up ? Edit->GetValue() - Edit->Increment : Edit->GetValue() + Edit->Increment;
    double code = NearestSpeedCode(Unit, before);
    if (Up && code > Unit.GetMaxSpeedCode()) code -= 1;
    if (!Up && code < Unit.GetMinSpeedCode()) code += 1;
    Edit->SetValue(Unit.CodeToSpeed(code));
}

void StepPastDeviceSpeed(TRxSpinEdit* Edit, TMotor& Unit, bool Up)
{
    const double value = Up ? Edit->GetValue() + Edit->Increment : Edit->GetValue() - Edit->Increment;
    double code = NearestSpeedCode(Unit, value);
    if (Up && code > Unit.GetMaxSpeedCode()) code = Unit.GetMaxSpeedCode();
    if (!Up && code < Unit.GetMinSpeedCode()) code = Unit.GetMinSpeedCode();
    Edit->SetValue(Unit.CodeToSpeed(code));
}

void ChangeSyringeDiameter(TRxSpinEdit* Diameter, TRxSpinEdit* DoserSpeed)
{
    TDoser& doser = CalibrateParam.doser;
    if (Diameter->GetValue() == doser.GetSyringeDiameter()) return;
    const double code = NearestSpeedCode(doser, DoserSpeed->GetValue());
    doser.SetSyringeDiameter(Diameter->GetValue());
    DoserSpeed->SetMinValue(doser.GetMinSpeed());
    DoserSpeed->SetMaxValue(doser.GetMaxSpeed());
    DoserSpeed->SetValue(doser.CodeToSpeed(code));
}

TAccessoryWindow::TAccessoryWindow(TComponent* Owner, const TAccessoryProcess& Process)
    : TProcessWindow(Owner, Process.Kind, Process.Process, Process.StatusName, 4), FProcessInfo(Process)
{
    Name = Process.FormName;
    SetCaption(Process.Caption);
    SetHint(Process.Hint);
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsToolWindow);
    HandleNotice(Process.Started, [this](LPARAM P) { ProcessStarted(NoticeNumber(P)); });
    HandleNotice(Process.Finished, [this](LPARAM P) { ProcessFinished(NoticeNumber(P)); });
}

// ---- Building ----

TShape* TAccessoryWindow::Lamp(TWinControl* Parent, const char* Name, int Left, int Top)
{
    auto* lamp = MakeControl<TShape>(this, Parent, Name, "", Left, Top, 12, 12);
    lamp->SetBrushColor(clRed);
    lamp->SetPenColor(clYellow);
    lamp->Hide();
    return lamp;
}

TGroupBox* TAccessoryWindow::BuildSensorGroup(int Top)
{
    grpSensors = MakeControl<TGroupBox>(this, this, "grpSensors", " Current pressure, mN/m ", 4, Top, GroupWidth, 76);
    lblDoserSensor = AccessoryRows.Label(this, grpSensors, "lblDoserSensor", "Doser sensor", 18);
    lblDipperSensor = AccessoryRows.Label(this, grpSensors, "lblDipperSensor", "Dipper sensor", 46);
    txtDoserSensor = MakeControl<TLabel>(this, grpSensors, "txtDoserSensor", "0.0", 110, 21, 80, 16);
    txtDipperSensor = MakeControl<TLabel>(this, grpSensors, "txtDipperSensor", "0.0", 110, 49, 80, 16);
    for (TLabel* reading : {txtDoserSensor, txtDipperSensor}) {
        reading->SetAlignment(taCenter);
        reading->Font()->SetStyle(TFontStyles() << fsBold);
    }
    btnDoserSensorZero = MakeControl<TButton>(this, grpSensors, "btnDoserSensorZero", ">0<", 200, 18, 50, 22);
    btnDipperSensorZero = MakeControl<TButton>(this, grpSensors, "btnDipperSensorZero", ">0<", 200, 46, 50, 22);
    btnDoserSensorZero->OnClick = [this](TObject* Sender) { btnDoserSensorZeroClick(Sender); };
    btnDipperSensorZero->OnClick = [this](TObject* Sender) { btnDipperSensorZeroClick(Sender); };
    FReadings.push_back({txtDoserSensor, TReading::DoserPressure, 0});
    FReadings.push_back({txtDipperSensor, TReading::DipperPressure, 0});
    return grpSensors;
}

TGroupBox* TAccessoryWindow::BuildPositionGroup(int Top, bool WithTape)
{
    auto* group =
        MakeControl<TGroupBox>(this, this, "grpRotbar", " Current position ", 4, Top, GroupWidth, WithTape ? 76 : 48);
    AccessoryRows.Label(this, group, "lblRotbarCurPos", "Rotating barrier, rev", 18);
    auto* rotbar = MakeControl<TLabel>(this, group, "txtRotbarCurPos", "0.0", 150, 21, 80, 16);
    FReadings.push_back({rotbar, TReading::RotatingBarrier, 3});
    if (WithTape) {
        AccessoryRows.Label(this, group, "lblTapeCurPos", "Tape, mm", 46);
        auto* tape = MakeControl<TLabel>(this, group, "txtTapeCurPos", "0.0", 150, 49, 80, 16);
        FReadings.push_back({tape, TReading::Tape, 1});
    }
    return group;
}

void TAccessoryWindow::BuildStartStop(int Top)
{
    btnGo = MakeControl<TButton>(this, this, "btnGo", "START", 8, Top, 100, 25);
    btnStop = MakeControl<TButton>(this, this, "btnStop", "Stop", 8, Top, 100, 25);
    btnGo->BringToFront();
    btnGo->OnClick = [this](TObject* Sender) { btnGoClick(Sender); };
    btnStop->OnClick = [this](TObject* Sender) { btnStopClick(Sender); };
    SetBounds(GetLeft(), GetTop(), WindowWidth, Top + 64);
}

TGroupBox* TAccessoryWindow::BuildDoserGroup(int Top)
{
    grpDoser = MakeControl<TGroupBox>(this, this, "grpDoser", " Doser ", 4, Top, GroupWidth, 5 * RowHeight + 26);
    lblDoserMode = AccessoryRows.Label(this, grpDoser, "lblDoserMode", "Mode", 18);
    cbbDoserMode = AccessoryRows.List(this, grpDoser, "cbbDoserMode", 18, {"Continuous", "Automatic"});
    lblDoserSpeed = AccessoryRows.Label(this, grpDoser, "lblDoserSpeed", "Speed (ml/min)", 18 + RowHeight);
    edDoserSpeed = AccessoryRows.Entry(this, grpDoser, "edDoserSpeed", 18 + RowHeight, 5, 0.00001);
    lblDoserPressureStart =
        AccessoryRows.Label(this, grpDoser, "lblDoserPressureStart", "Pressure start (mN/m)", 18 + 2 * RowHeight);
    edDoserPressureStart = AccessoryRows.Entry(this, grpDoser, "edDoserPressureStart", 18 + 2 * RowHeight, 1, 0.1);
    lblDoserPressureStop =
        AccessoryRows.Label(this, grpDoser, "lblDoserPressureStop", "Pressure stop (mN/m)", 18 + 3 * RowHeight);
    edDoserPressureStop = AccessoryRows.Entry(this, grpDoser, "edDoserPressureStop", 18 + 3 * RowHeight, 1, 0.1);
    lblSyringeDiameter =
        AccessoryRows.Label(this, grpDoser, "lblSyringeDiameter", "Syringe diameter (mm)", 18 + 4 * RowHeight);
    edSyringeDiameter = AccessoryRows.Entry(this, grpDoser, "edSyringeDiameter", 18 + 4 * RowHeight, 1, 0.1);
    edSyringeDiameter->SetMinValue(0.1);
    edSyringeDiameter->SetMaxValue(100);
    edSyringeDiameter->SetValue(0.1);
    shpDoserIndicator = Lamp(grpDoser, "shpDoserIndicator", 244, 21);
    cbbDoserMode->OnChange = [this](TObject* Sender) { cbbDoserModeChange(Sender); };
    edSyringeDiameter->OnExit = [this](TObject* Sender) { edSyringeDiameterExit(Sender); };
    // The diameter belongs to the shared calibration: another window may have changed it.
    OnShow = [this](TObject*) { edSyringeDiameter->SetValue(CalibrateParam.doser.GetSyringeDiameter()); };
    return grpDoser;
}

void TAccessoryWindow::PrepareDoserGroup()
{
    TCalibrateParam& c = CalibrateParam;
    edDoserSpeed->SetMinValue(c.doser.GetMinSpeed());
    edDoserSpeed->SetMaxValue(c.doser.GetMaxSpeed());
    for (TRxSpinEdit* edit : {edDoserPressureStart, edDoserPressureStop}) {
        edit->SetMinValue(c.doserBallance.GetShMin());
        edit->SetMaxValue(c.doserBallance.GetShMax());
    }
    edSyringeDiameter->SetValue(c.doser.GetSyringeDiameter());
}

std::vector<TAccessoryWindow::TStoredValue> TAccessoryWindow::DoserStoredValues()
{
    return {{"Doser.Mode", nullptr, cbbDoserMode},
            {"Doser.Speed", edDoserSpeed, nullptr},
            {"Doser.PressureStart", edDoserPressureStart, nullptr},
            {"Doser.PressureStop", edDoserPressureStop, nullptr}};
}

void TAccessoryWindow::DoserLines(std::string& Text)
{
    Text += GroupedLine(grpDoser, lblDoserMode, Shown(cbbDoserMode));
    Text += GroupedLine(grpDoser, lblDoserSpeed, edDoserSpeed->GetText());
    Text += GroupedLine(grpDoser, lblDoserPressureStart, edDoserPressureStart->GetText());
    Text += GroupedLine(grpDoser, lblDoserPressureStop, edDoserPressureStop->GetText());
}

void TAccessoryWindow::SendDoser(const TDoserWords& Words)
{
    TCalibrateParam& c = CalibrateParam;
    THlProvider& p = HlProvider;
    // Both pressures go out in either mode.
    (p.*Words.Mode)(cbbDoserMode->GetItemIndex());
    (p.*Words.Speed)(DoubleToInt32(c.doser.SpeedToCode(edDoserSpeed->GetValue())));
    (p.*Words.PressureStart)(DoubleToInt32(c.doserBallance.SPToHw(edDoserPressureStart->GetValue())));
    (p.*Words.PressureStop)(DoubleToInt32(c.doserBallance.SPToHw(edDoserPressureStop->GetValue())));
}

void TAccessoryWindow::FollowMode(const TComboBox* Mode, TRxSpinEdit* Start, TRxSpinEdit* Stop)
{
    const bool automatic = Mode->GetItemIndex() == 1;
    Start->SetEnabled(automatic);
    Stop->SetEnabled(automatic);
}

void TAccessoryWindow::cbbDoserModeChange(TObject*)
{
    if (cbbDoserMode) FollowMode(cbbDoserMode, edDoserPressureStart, edDoserPressureStop);
}

void TAccessoryWindow::edSyringeDiameterExit(TObject*)
{
    if (edSyringeDiameter) ChangeSyringeDiameter(edSyringeDiameter, edDoserSpeed);
}

// ---- Texts ----

std::string TAccessoryWindow::ParameterLine(const TLabel* Label, const std::string& Value)
{
    return Label->GetCaption() + ": " + Value + "\r\n";
}

std::string TAccessoryWindow::GroupedLine(const TGroupBox* Group, const TLabel* Label, const std::string& Value)
{
    return Trim(Group->GetCaption()) + "." + Label->GetCaption() + ": " + Value + "\r\n";
}

std::string TAccessoryWindow::Shown(const TComboBox* List)
{
    const int index = List->GetItemIndex();
    return index >= 0 && index < List->Items().Count() ? List->Items()[index] : std::string();
}

void TAccessoryWindow::GetParametersText(std::string& Text)
{
    Text = std::string(FProcessInfo.ParametersHeading) + "\r\n";
    ParameterLines(Text);
    Text += "\r\n";
}

// ---- Settings ----

void TAccessoryWindow::LoadValues()
{
    LoadStoredSettings(Pattern().SettingsSection, StoredValues());
    ApplyRules();
}

void TAccessoryWindow::SaveValues() { SaveStoredSettings(Pattern().SettingsSection, StoredValues()); }

// ---- Readings and the balances' zero ----

void TAccessoryWindow::RefreshIndicators()
{
    TCalibrateParam& c = CalibrateParam;
    const int accuracy = AppSettings.ADCDataAccuracy;
    for (const TReadingLabel& reading : FReadings) {
        switch (reading.Reading) {
        case TReading::DipperPressure:
            reading.Label->SetCaption(FixedText(c.ballance.HwToSP(DeviceState.balance, true), accuracy));
            break;
        case TReading::DoserPressure:
            reading.Label->SetCaption(FixedText(c.doserBallance.HwToSP(DeviceState.doserBalance, true), accuracy));
            break;
        case TReading::RotatingBarrier:
            reading.Label->SetCaption(FixedText(c.rotatingBarrier.HwToSh(DeviceState.rotBarrierPos), reading.Decimals));
            break;
        case TReading::Tape:
            reading.Label->SetCaption(FixedText(c.tape.HwToSh(DeviceState.tapePos), reading.Decimals));
            break;
        case TReading::Barrier1:
            reading.Label->SetCaption(FixedText(c.barrier1.HwToSh(DeviceState.barrier1Pos), reading.Decimals));
            break;
        }
    }
}

// The calibration window's "Liquid" button of a balance takes the present reading as the
// balance's zero tension; it belongs to that window, which may not exist.
void TAccessoryWindow::btnDoserSensorZeroClick(TObject*)
{
    if (FCalibrateDevice) FCalibrateDevice->btnDoserBallanceBottom->Click();
}

void TAccessoryWindow::btnDipperSensorZeroClick(TObject*)
{
    if (FCalibrateDevice) FCalibrateDevice->BBBalanceBottomLevel->Click();
}

void TAccessoryWindow::UpdateDoserLimits() { CopyDoserLimits(edDoserSpeed); }

// ---- The run ----

void TAccessoryWindow::EnableRun(bool Enable)
{
    btnGo->SetEnabled(Enable);
    btnGo->SetVisible(Enable);
    for (TControl* control : FLocked) control->SetEnabled(Enable);
}

void TAccessoryWindow::btnGoClick(TObject*)
{
    if (!CheckParameters()) return;
    if (FProcessInfo.LocksOnStart) EnableRun(false);
    if (!PrepareRun(GetResString(FProcessInfo.GraphTitle, FProcessInfo.GraphTitle))) return;
    SendParameters();
    // The kind is set once every command is on its way.
    SetProcess(FProcessInfo.Process);
}

void TAccessoryWindow::btnStopClick(TObject*)
{
    // Locked by its own START or by another window's run: a Stop to act on.
    if (FProcessInfo.LocksOnStart && btnGo->GetEnabled()) return;
    HlProvider.ProcessStop();
    SetProcess(pkNone);
    // After the kind, which clears the process panel: the panel then says what happened.
    if (FProcessInfo.LocksOnStart) SetProcessText("cancelled");
    EnableRun(true);
    HideLamps();
}

void TAccessoryWindow::ProcessStarted(int)
{
    if (!NoticeIsOurs(false)) return;
    SetProcessList(StatusLines.get());
    if (!OpenTable(FProcessInfo.TableName)) return;
    BindGraph("Time (t)", "Dipper pressure (Dip-P)", "Doser pressure (Dos-P)");
}

void TAccessoryWindow::RecordPoint(std::uint32_t Balance, std::uint32_t DoserBalance, std::uint32_t RotbarPos,
                                   std::uint32_t Status, std::uint32_t TapePos)
{
    const std::uint32_t now = GetTickCount();
    if (!Table) return;
    TCalibrateParam& c = CalibrateParam;
    std::uint32_t elapsed = 0;
    if (Table->GetNumRows() > 0)
        elapsed = now - FirstRowTick;
    else
        FirstRowTick = now;
    const double seconds = elapsed * 0.001;
    std::vector<float> row = {static_cast<float>(seconds), static_cast<float>(c.ballance.HwToSP(Balance, true)),
                              static_cast<float>(c.doserBallance.HwToSP(DoserBalance, true))};
    if (Table->GetNumColumns() > static_cast<int>(row.size()))
        row.push_back(static_cast<float>(c.rotatingBarrier.HwToSh(RotbarPos)));
    if (Table->GetNumColumns() > static_cast<int>(row.size()))
        row.push_back(static_cast<float>(c.tape.HwToSh(TapePos)));
    AppendRow(row, seconds);

    char text[160];
    std::snprintf(text, sizeof text, "%s: %d", GetResString("Status", "Status").c_str(),
                  static_cast<std::int32_t>(Status));
    SetStatusLine(3, text);
    for (const TStatusLamp& lamp : FLamps) lamp.Lamp->SetVisible((Status >> lamp.Bit) & 1);
}

void TAccessoryWindow::HideLamps()
{
    for (const TStatusLamp& lamp : FLamps) lamp.Lamp->Hide();
}

void TAccessoryWindow::ProcessFinished(int)
{
    CloseRun();
    FinishRun();
}

void TAccessoryWindow::CloseRun()
{
    CloseTable();
    EnableRun(true);
    HideLamps();
}

std::unique_ptr<TPTableData> TAccessoryWindow::CreateTable(const std::string& Name)
{
    return FProcessInfo.CreateTable(DataSet, Name);
}
