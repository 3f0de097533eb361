#include "zel/accessories/Utapedepositionctrl.h"

#include <algorithm>

#include "hwzel/hwzel.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlBuilder.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Notices.h"

TFTapeDepositionCtrl* FTapeDepositionCtrl = nullptr;

namespace {

const TAccessoryProcess TapeProcess = {
    TToolWindowKind::Tape,
    pkTapeDeposition,
    "FTapeDepositionCtrl",
    "Tape",
    "Tape Deposition",
    "Tape deposition",
    "Tape deposition",
    "Tape deposition parameters",
    "TapeDeposition",
    CreateTapeDepositionTable,
    false,
    hlnTapeStarted,
    hlnTapeFinished,
};

const TDoserWords TapeDoserWords = {&THlProvider::SetTdDoserMode, &THlProvider::SetTdDoserSpeed,
                                    &THlProvider::SetTdDoserPresStart, &THlProvider::SetTdDoserPresStop};

constexpr int GroupHeight = 5 * 26 + 26;

}  // namespace

std::unique_ptr<TPTableData> CreateTapeDepositionTable(ISXDataSet* DataSet, const std::string& Name)
{
    return CreateAccessoryTable(DataSet, Name, true);
}

TFTapeDepositionCtrl::TFTapeDepositionCtrl(TComponent* Owner) : TAccessoryWindow(Owner, TapeProcess)
{
    HandleNotice(hlnTapePoint, [this](LPARAM P) { AddDataRow(NoticeRecord<TTapePoint>(P)); });
    int top = 4;
    BuildDoserGroup(top);
    top += GroupHeight + 4;

    BuildDriveGroup({"Rotbar", " Rotating barrier", "Speed (rpm)", grpRotbar, lblRotbarMode, lblRotbarDirection,
                     lblRotbarSpeed, lblRotbarPressureStart, lblRotbarPressureStop, cbbRotbarMode, cbbRotbarDirection,
                     edRotbarSpeed, edRotbarPressureStart, edRotbarPressureStop, shpRotbarIndicator},
                    top);
    top += GroupHeight + 4;
    BuildDriveGroup({"Tape", " Tape ", "Speed (mm/s)", grpTape, lblTapeMode, lblTapeDirection, lblTapeSpeed,
                     lblTapePressureStart, lblTapePressureStop, cbbTapeMode, cbbTapeDirection, edTapeSpeed,
                     edTapePressureStart, edTapePressureStop, shpTapeIndicator},
                    top);
    top += GroupHeight + 4;

    BuildSensorGroup(top);
    top += 84;
    top += BuildPositionGroup(top, true)->GetHeight() + 8;
    BuildStartStop(top);

    FLamps = {{shpDoserIndicator, 0}, {shpRotbarIndicator, 1}, {shpTapeIndicator, 2}};
    // The tag of a group's lists and entries names the group in the shared handlers.
    const std::pair<int, std::vector<TControl*>> tagged[] = {
        {tagDoser, {cbbDoserMode, edDoserSpeed, edDoserPressureStart, edDoserPressureStop}},
        {tagRotbar, {cbbRotbarMode, cbbRotbarDirection, edRotbarSpeed, edRotbarPressureStart, edRotbarPressureStop}},
        {tagTape, {cbbTapeMode, cbbTapeDirection, edTapeSpeed, edTapePressureStart, edTapePressureStop}},
    };
    for (const auto& [tag, controls] : tagged)
        for (TControl* control : controls) control->Tag = tag;

    edTapeSpeed->OnExit = [this](TObject* Sender) { edTapeSpeedExit(Sender); };
    edRotbarSpeed->OnExit = [this](TObject* Sender) { edRotbarSpeedExit(Sender); };
    const std::pair<TRxSpinEdit*, void (TFTapeDepositionCtrl::*)(TObject*)> pressures[] = {
        {edDoserPressureStart, &TFTapeDepositionCtrl::edDoserPressureStartExit},
        {edDoserPressureStop, &TFTapeDepositionCtrl::edDoserPressureStopExit},
        {edRotbarPressureStart, &TFTapeDepositionCtrl::edRotbarPressureStartExit},
        {edRotbarPressureStop, &TFTapeDepositionCtrl::edRotbarPressureStopExit},
        {edTapePressureStart, &TFTapeDepositionCtrl::edTapePressureStartExit},
        {edTapePressureStop, &TFTapeDepositionCtrl::edTapePressureStopExit},
    };
    for (const auto& [edit, handler] : pressures) {
        edit->OnExit = [this, handler = handler](TObject* Sender) { (this->*handler)(Sender); };
        edit->OnKeyUp = [this](TObject* Sender, WORD& Key, TShiftState Shift) {
            edRotbarPressureStartKeyUp(Sender, Key, Shift);
        };
    }
    for (TRxSpinEdit* edit : {edDoserSpeed, edRotbarSpeed, edTapeSpeed}) {
        edit->OnTopClick = [this](TObject* Sender) { edDoserSpeedTopClick(Sender); };
        edit->OnBottomClick = [this](TObject* Sender) { edDoserSpeedBottomClick(Sender); };
    }
    for (TComboBox* mode : {cbbDoserMode, cbbRotbarMode, cbbTapeMode})
        mode->OnChange = [this](TObject* Sender) { ModeChange(Sender); };
    FTapeDepositionCtrl = this;
}

void TFTapeDepositionCtrl::BuildDriveGroup(const TDriveGroup& Drive, int Top)
{
    const std::string drive = Drive.Drive;
    const auto name = [&drive](const char* Kind, const char* Part) { return Kind + drive + Part; };
    TGroupBox* g = Drive.Group =
        MakeControl<TGroupBox>(this, this, name("grp", "").c_str(), Drive.Caption, 4, Top, 260, GroupHeight);
    Drive.ModeLabel = AccessoryRows.Label(this, g, name("lbl", "Mode").c_str(), "Mode", 18);
    Drive.Mode = AccessoryRows.List(this, g, name("cbb", "Mode").c_str(), 18, {"Continuous", "Automatic"});
    Drive.DirectionLabel = AccessoryRows.Label(this, g, name("lbl", "Direction").c_str(), "Direction", 44);
    Drive.Direction = AccessoryRows.List(this, g, name("cbb", "Direction").c_str(), 44, {"CW", "CCW"});
    Drive.SpeedLabel = AccessoryRows.Label(this, g, name("lbl", "Speed").c_str(), Drive.SpeedCaption, 70);
    Drive.Speed = AccessoryRows.Entry(this, g, name("ed", "Speed").c_str(), 70, 5, 1);
    Drive.StartLabel = AccessoryRows.Label(this, g, name("lbl", "PressureStart").c_str(), "Pressure start (mN/m)", 96);
    Drive.Start = AccessoryRows.Entry(this, g, name("ed", "PressureStart").c_str(), 96, 1, 0.1);
    Drive.StopLabel = AccessoryRows.Label(this, g, name("lbl", "PressureStop").c_str(), "Pressure stop (mN/m)", 122);
    Drive.Stop = AccessoryRows.Entry(this, g, name("ed", "PressureStop").c_str(), 122, 1, 0.1);
    Drive.Lamp = Lamp(g, name("shp", "Indicator").c_str(), 244, 21);
}

TFTapeDepositionCtrl::~TFTapeDepositionCtrl()
{
    if (FTapeDepositionCtrl == this) FTapeDepositionCtrl = nullptr;
}

void TFTapeDepositionCtrl::PrepareWindow()
{
    TCalibrateParam& c = CalibrateParam;
    PrepareDoserGroup();
    edDoserSpeed->Increment = (c.doser.GetMaxSpeed() - c.doser.GetMinSpeed()) * 0.001;
    edRotbarSpeed->SetMinValue(c.rotatingBarrier.GetMinSpeed());
    edRotbarSpeed->SetMaxValue(c.rotatingBarrier.GetMaxSpeed());
    edRotbarSpeed->Increment = c.rotatingBarrier.CodeToSpeed(c.rotatingBarrier.GetMinSpeedCode());
    edTapeSpeed->SetMinValue(c.tape.GetMinSpeed());
    edTapeSpeed->SetMaxValue(c.tape.GetMaxSpeed());
    edTapeSpeed->Increment = (c.tape.GetMaxSpeed() - c.tape.GetMinSpeed()) * 0.001;
    for (TRxSpinEdit* edit : {edRotbarPressureStart, edRotbarPressureStop, edTapePressureStart, edTapePressureStop}) {
        edit->SetMinValue(c.ballance.GetShMin());
        edit->SetMaxValue(c.ballance.GetShMax());
    }
}

void TFTapeDepositionCtrl::ApplyRules()
{
    edDoserPressureStartExit(edDoserPressureStart);
    edDoserPressureStopExit(edDoserPressureStop);
    edRotbarPressureStartExit(edRotbarPressureStart);
    edRotbarPressureStopExit(edRotbarPressureStop);
    edTapePressureStartExit(edTapePressureStart);
    edTapePressureStopExit(edTapePressureStop);
    for (TComboBox* mode : {cbbDoserMode, cbbRotbarMode, cbbTapeMode}) ModeChange(mode);
}

std::vector<TAccessoryWindow::TStoredValue> TFTapeDepositionCtrl::StoredValues()
{
    std::vector<TStoredValue> values = DoserStoredValues();
    const TStoredValue more[] = {
        {"Rotbar.Mode", nullptr, cbbRotbarMode},
        {"Rotbar.Direction", nullptr, cbbRotbarDirection},
        {"Rotbar.Speed", edRotbarSpeed, nullptr},
        {"Rotbar.PressureStart", edRotbarPressureStart, nullptr},
        {"Rotbar.PressureStop", edRotbarPressureStop, nullptr},
        {"Tape.Mode", nullptr, cbbTapeMode},
        {"Tape.Direction", nullptr, cbbTapeDirection},
        {"Tape.Speed", edTapeSpeed, nullptr},
        {"Tape.PressureStart", edTapePressureStart, nullptr},
        {"Tape.PressureStop", edTapePressureStop, nullptr},
    };
    values.insert(values.end(), std::begin(more), std::end(more));
    return values;
}

void TFTapeDepositionCtrl::ParameterLines(std::string& Text)
{
    DoserLines(Text);
    struct TGroupLines {
        TGroupBox* Group;
        TLabel *Mode, *Direction, *Speed, *Start, *Stop;
        TComboBox *ModeList, *DirectionList;
        TRxSpinEdit *SpeedEdit, *StartEdit, *StopEdit;
    };
    const TGroupLines groups[] = {
        {grpRotbar, lblRotbarMode, lblRotbarDirection, lblRotbarSpeed, lblRotbarPressureStart, lblRotbarPressureStop,
         cbbRotbarMode, cbbRotbarDirection, edRotbarSpeed, edRotbarPressureStart, edRotbarPressureStop},
        {grpTape, lblTapeMode, lblTapeDirection, lblTapeSpeed, lblTapePressureStart, lblTapePressureStop, cbbTapeMode,
         cbbTapeDirection, edTapeSpeed, edTapePressureStart, edTapePressureStop},
    };
    for (const TGroupLines& g : groups) {
        Text += GroupedLine(g.Group, g.Mode, Shown(g.ModeList));
        Text += GroupedLine(g.Group, g.Direction, Shown(g.DirectionList));
        Text += GroupedLine(g.Group, g.Speed, g.SpeedEdit->GetText());
        Text += GroupedLine(g.Group, g.Start, g.StartEdit->GetText());
        Text += GroupedLine(g.Group, g.Stop, g.StopEdit->GetText());
    }
}

bool TFTapeDepositionCtrl::CheckParameters()
{
    const double doserStart = edDoserPressureStart->GetValue(), doserStop = edDoserPressureStop->GetValue();
    const double rotbarStart = edRotbarPressureStart->GetValue(), rotbarStop = edRotbarPressureStop->GetValue();
    const double tapeStart = edTapePressureStart->GetValue(), tapeStop = edTapePressureStop->GetValue();
    const struct {
        bool Fails;
        const char* Text;
    } checks[] = {
        {doserStart > doserStop,
         "Doser start pressure must be less than stop pressure. Please, correct values and try again."},
        {rotbarStart > rotbarStop,
         "Rotation barrier start pressure must be less than stop pressure. Please, correct values and try again."},
        {tapeStart < tapeStop,
         "Tape start pressure must be greater than stop pressure. Please, correct values and try again."},
        {tapeStart > rotbarStop,
         "Tape start pressure must be less than rotating barrier stop pressure. Please, correct values and try "
         "again."},
    };
    for (const auto& check : checks) {
        if (!check.Fails) continue;
        Application->MessageBox(check.Text, Application->Title, MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

void TFTapeDepositionCtrl::SendParameters()
{
    TCalibrateParam& c = CalibrateParam;
    THlProvider& p = HlProvider;
    SendDoser(TapeDoserWords);
    p.SetTdRotbarMode(cbbRotbarMode->GetItemIndex());
    p.SetTdRotbarDir(cbbRotbarDirection->GetItemIndex());
    p.SetTdRotbarSpeed(DoubleToInt32(c.rotatingBarrier.SpeedToCode(edRotbarSpeed->GetValue())));
    p.SetTdRotbarPresStart(DoubleToInt32(c.ballance.SPToHw(edRotbarPressureStart->GetValue())));
    p.SetTdRotbarPresStop(DoubleToInt32(c.ballance.SPToHw(edRotbarPressureStop->GetValue())));
    p.SetTdTapeMode(cbbTapeMode->GetItemIndex());
    p.SetTdTapeDir(cbbTapeDirection->GetItemIndex());
    p.SetTdTapeSpeed(DoubleToInt32(c.tape.SpeedToCode(edTapeSpeed->GetValue())));
    p.SetTdTapePresStart(DoubleToInt32(c.ballance.SPToHw(edTapePressureStart->GetValue())));
    p.SetTdTapePresStop(DoubleToInt32(c.ballance.SPToHw(edTapePressureStop->GetValue())));
    p.StartTapeDeposition();
}

// ---- Entries ----

TMotor& TFTapeDepositionCtrl::SpeedUnit(const TObject* Sender) const
{
    TCalibrateParam& c = CalibrateParam;
    const auto* control = dynamic_cast<const TControl*>(Sender);
    switch (control ? control->Tag : static_cast<std::intptr_t>(tagDoser)) {
    case tagRotbar:
        return c.rotatingBarrier;
    case tagTape:
        return c.tape;
    default:
        return c.doser;
    }
}

void TFTapeDepositionCtrl::edDoserSpeedTopClick(TObject* Sender)
{
    if (auto* edit = dynamic_cast<TRxSpinEdit*>(Sender)) StepPastDeviceSpeed(edit, SpeedUnit(Sender), true);
}

void TFTapeDepositionCtrl::edDoserSpeedBottomClick(TObject* Sender)
{
    if (auto* edit = dynamic_cast<TRxSpinEdit*>(Sender)) StepPastDeviceSpeed(edit, SpeedUnit(Sender), false);
}

void TFTapeDepositionCtrl::edTapeSpeedExit(TObject*) { KeepOnDeviceSpeed(edTapeSpeed, CalibrateParam.tape); }

void TFTapeDepositionCtrl::edRotbarSpeedExit(TObject*)
{
    KeepOnDeviceSpeed(edRotbarSpeed, CalibrateParam.rotatingBarrier);
}

void TFTapeDepositionCtrl::ModeChange(TObject* Sender)
{
    const auto* control = dynamic_cast<const TControl*>(Sender);
    switch (control ? control->Tag : static_cast<std::intptr_t>(tagDoser)) {
    case tagRotbar:
        FollowMode(cbbRotbarMode, edRotbarPressureStart, edRotbarPressureStop);
        break;
    case tagTape:
        FollowMode(cbbTapeMode, edTapePressureStart, edTapePressureStop);
        break;
    default:
        cbbDoserModeChange(Sender);
        break;
    }
}

// The pressure ties: the doser and the rotating barrier start at or below their stop
// pressure, the tape at or above its stop pressure and not above the rotating barrier's
// stop pressure.
void TFTapeDepositionCtrl::edDoserPressureStartExit(TObject*)
{
    edDoserPressureStop->SetMinValue(
        std::max(edDoserPressureStart->GetValue(), CalibrateParam.doserBallance.GetShMin()));
}

void TFTapeDepositionCtrl::edDoserPressureStopExit(TObject*)
{
    edDoserPressureStart->SetMaxValue(
        std::min(edDoserPressureStop->GetValue(), CalibrateParam.doserBallance.GetShMax()));
}

void TFTapeDepositionCtrl::edRotbarPressureStartExit(TObject*)
{
    edRotbarPressureStop->SetMinValue(std::max(edRotbarPressureStart->GetValue(), CalibrateParam.ballance.GetShMin()));
}

void TFTapeDepositionCtrl::edRotbarPressureStopExit(TObject*)
{
    const double bound = std::min(edRotbarPressureStop->GetValue(), CalibrateParam.ballance.GetShMax());
    edRotbarPressureStart->SetMaxValue(bound);
    edTapePressureStart->SetMaxValue(bound);
    if (edTapePressureStart->GetValue() > bound) edTapePressureStart->SetValue(bound);
}

void TFTapeDepositionCtrl::edTapePressureStartExit(TObject*)
{
    edTapePressureStop->SetMaxValue(std::min(edTapePressureStart->GetValue(), CalibrateParam.ballance.GetShMax()));
}

void TFTapeDepositionCtrl::edTapePressureStopExit(TObject*)
{
    edTapePressureStart->SetMinValue(std::max(edTapePressureStop->GetValue(), CalibrateParam.ballance.GetShMin()));
}

void TFTapeDepositionCtrl::edRotbarPressureStartKeyUp(TObject* Sender, WORD& Key, TShiftState)
{
    if (Key != VK_RETURN) return;
    if (auto* edit = dynamic_cast<TRxSpinEdit*>(Sender); edit && edit->OnExit) edit->OnExit(Sender);
}

void TFTapeDepositionCtrl::AddDataRow(const TTapePoint* Point)
{
    if (Point) RecordPoint(Point->balance, Point->doserBalance, Point->rotBarrierPos, Point->status);
}
