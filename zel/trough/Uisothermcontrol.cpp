#include "zel/trough/Uisothermcontrol.h"
#include "platform/ui/ControlBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "hwzel/hwzel.h"
#include "platform/kvcls/kvcls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Graphics.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/Notices.h"
#include "zel/experiment/Uexpsetup.h"

TFIsothermCtrl* FIsothermCtrl = nullptr;

namespace {

constexpr const char* Section = "IsothermControl";
// The longest pause of a compression step.
constexpr int MaxDelay = 100000;

const char* const RecOptionItems[] = {"From Start to Target", "From Start to Stop", "From Target to Stop",
                                      "From Target to Time", "Manual"};
const char* const TargetItems[] = {"Surface Pressure", "Trough Area", "Barrier Position"};
const char* const ModeItems[] = {"Constant compression", "Stepwise compression"};

// The record options and targets by their index in the lists.
enum TRecOption { recStartToTarget, recStartToStop, recTargetToStop, recTargetToTime, recManual };
enum TTarget { targetPressure, targetArea, targetPosition };
constexpr int RecOptionCount = recManual + 1, TargetCount = targetPosition + 1;
enum { modeConstant = 0, modeStepwise = 1 };

// The isotherm types the instrument knows ("IstType="): a manual run; a run between two
// barrier positions; a run from the start up to a pressure; a hold at a position for a
// time; a run from a pressure to the stop; a hold at a pressure for a time.
enum TIstType : std::uint8_t {
    istManual = 1,
    istPositions = 2,
    istToPressure = 3,
    istPositionForTime = 4,
    istPressureToStop = 5,
    istPressureForTime = 6,
};

// The type by record option (rows) and target (columns).
const TIstType IstTypeTable[RecOptionCount * TargetCount] = {
    istToPressure,      istPositions,       istPositions,        // From Start to Target
    istPositions,       istPositions,       istPositions,        // From Start to Stop
    istPressureToStop,  istPositions,       istPositions,        // From Target to Stop
    istPressureForTime, istPositionForTime, istPositionForTime,  // From Target to Time
    istManual,          istManual,          istManual,           // Manual
};

// The columns of the isotherm's table; the bullet of the last is UTF-8, like every text.
const std::vector<TRunColumn> IsothermColumns = {
    {"Barrier Position (BPos)", "BPos", "mm"},
    {"Trough Area (TA)", "TA", "cm2"},
    {"Trough Area Increment (dTA)", "dTA", "cm2"},
    {"Area Per Molecule (MA)", "MA", "nm2"},
    {"Surface pressure (SP)", "SP", "mN/m"},
    {"Time (t)", "t", "s"},
    {"Pressure\xE2\x80\xA2"
     "Area Per Molecule (PS)",
     "PS",
     "mN/m\xE2\x80\xA2"
     "nm2"},
};
enum { colBPos, colTA, colDTA, colMA, colSP, colTime, colPS };

// A stored float: "." or "," as separator; a text that is no number reads as 0.
double ReadFloatText(const char* Key)
{
    try {
        return ConvertString2Float(IniFile->ReadString(Section, Key, "0"));
    } catch (const EConvertError&) {
        return 0;
    }
}

}  // namespace

std::unique_ptr<TPTableData> CreateIsothermTable(ISXDataSet* DataSet, const std::string& Name)
{
    return CreateRunTable(DataSet, Name, IsothermColumns, colMA, colSP);
}

TFIsothermCtrl::TFIsothermCtrl(TComponent* Owner)
    : TProcessWindow(Owner, TToolWindowKind::Isotherm, pkIsotherm, "Isotherm", 3)
{
    Name = "FIsothermCtrl";
    HandleNotice(hlnIsothermPoint, [this](LPARAM P) { AddDataRow(NoticeRecord<TIsothermPoint>(P)); });
    HandleNotice(hlnIsothermCycle, [this](LPARAM P) { ProcessStarted(NoticeWord(P)); });
    HandleNotice(hlnIsothermCompleted, [this](LPARAM P) { ProcessFinished(NoticeWord(P)); });
    SetCaption("Isotherm");
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsToolWindow);
    BuildGeneral();
    BuildCompression();
    BuildCollect();
    BBGo = MakeControl<TButton>(this, this, "BBGo", "START", 8, 470, 100, 25);
    BBStop = MakeControl<TButton>(this, this, "BBStop", "Stop", 8, 470, 100, 25);
    // START lies in front of Stop: hiding START uncovers Stop.
    BBGo->BringToFront();
    BBGo->OnClick = [this](TObject* Sender) { BBGoClick(Sender); };
    BBStop->OnClick = [this](TObject* Sender) { BBStopClick(Sender); };
    SetBounds(0, 0, 288, 505);
    // The enablement rules follow once the stored values are in.
    TNotifyEvent patternCreate = OnCreate;
    OnCreate = [this, patternCreate](TObject* Sender) {
        patternCreate(Sender);
        IsothermParamChanged(Sender);
    };
    FIsothermCtrl = this;
}

TFIsothermCtrl::~TFIsothermCtrl()
{
    if (FIsothermCtrl == this) FIsothermCtrl = nullptr;
}

void TFIsothermCtrl::BuildGeneral()
{
    GBGeneral = MakeControl<TGroupBox>(this, this, "GBGeneral", "General", 4, 4, 272, 130);
    lblNumCycles = MakeControl<TLabel>(this, GBGeneral, "lblNumCycles", "Number of cycles", 8, 20, 140, 16);
    SENumCycles = MakeSpinEdit(this, GBGeneral, "SENumCycles", 150, 18, 80, 0);
    SetSpinRange(SENumCycles, 1, 1000, 1);
    lblMeasure = MakeControl<TLabel>(this, GBGeneral, "lblMeasure", "Measure", 8, 46, 100, 16);
    cbbRecOptions = MakeDropDownList(this, GBGeneral, "cbbRecOptions", 110, 44, 150,
                                     {RecOptionItems, RecOptionItems + RecOptionCount}, 0);
    chkRec = MakeControl<TCheckBox>(this, GBGeneral, "chkRec", "Save Data", 8, 72, 120, 17);
    lblTarget = MakeControl<TLabel>(this, GBGeneral, "lblTarget", "Target", 8, 100, 100, 16);
    cbbTargetOptions = MakeDropDownList(this, GBGeneral, "cbbTargetOptions", 110, 98, 150,
                                        {TargetItems, TargetItems + TargetCount}, 0);
    for (TComboBox* combo : {cbbRecOptions, cbbTargetOptions})
        combo->OnChange = [this](TObject* Sender) { IsothermParamChanged(Sender); };
}

void TFIsothermCtrl::BuildCompression()
{
    GBCompressionParam =
        MakeControl<TGroupBox>(this, this, "GBCompressionParam", "Compression Settings", 4, 138, 272, 220);
    TWinControl* g = GBCompressionParam;
    lblRate = MakeControl<TLabel>(this, g, "lblRate", "Speed, mm/min", 8, 20, 140, 16);
    SERate = MakeSpinEdit(this, g, "SERate", 150, 18, 80, 1, 0.1);
    lblPressure = MakeControl<TLabel>(this, g, "lblPressure", "Pressure, mN/m", 8, 46, 140, 16);
    SEPressure = MakeSpinEdit(this, g, "SEPressure", 150, 44, 80, 1, 0.1);
    lblTroughArea = MakeControl<TLabel>(this, g, "lblTroughArea", "Trough Area, sq.cm", 8, 72, 140, 16);
    SETroughArea = MakeSpinEdit(this, g, "SETroughArea", 150, 70, 80, 1, 0.1);
    lblBarrierPosition = MakeControl<TLabel>(this, g, "lblBarrierPosition", "Abs barrier pos,sum, mm", 8, 98, 140, 16);
    SEBarrierPosition = MakeSpinEdit(this, g, "SEBarrierPosition", 150, 96, 80, 1, 0.1);
    lblTime = MakeControl<TLabel>(this, g, "lblTime", "Process time, s", 8, 124, 140, 16);
    SETime = MakeSpinEdit(this, g, "SETime", 150, 122, 80, 0);
    SetSpinRange(SETime, 1, 1000000, 1);
    lblCompressionMethod = MakeControl<TLabel>(this, g, "lblCompressionMethod", "Mode", 8, 150, 100, 16);
    CBCompressionMethod = MakeDropDownList(this, g, "CBCompressionMethod", 110, 148, 150,
                                           {std::begin(ModeItems), std::end(ModeItems)}, 0);
    CBCompressionMethod->OnChange = [this](TObject* Sender) { IsothermParamChanged(Sender); };
    lblDelay = MakeControl<TLabel>(this, g, "lblDelay", "Delay, s", 8, 176, 140, 16);
    // A step's pause: a negative one has no meaning.
    SEDelay = MakeSpinEdit(this, g, "SEDelay", 150, 174, 80, 0);
    SetSpinRange(SEDelay, 0, MaxDelay, 0);
    lblStep = MakeControl<TLabel>(this, g, "lblStep", "Step, mm", 8, 200, 140, 16);
    SEStep = MakeSpinEdit(this, g, "SEStep", 150, 198, 80, 1, 0.1);
    SEStep->SetMinValue(0.1);
    SEStep->SetMaxValue(0.1);
    SEStep->SetValue(0.1);
    GBCompressionParam->SetHeight(226);
}

void TFIsothermCtrl::BuildCollect()
{
    GBCollect = MakeControl<TGroupBox>(this, this, "GBCollect", "Collect Data", 4, 368, 272, 96);
    lblProcBarrierStep = MakeControl<TLabel>(this, GBCollect, "lblProcBarrierStep", "Barrier Step, mm", 8, 20, 140, 16);
    SEProcBarrierStep = MakeSpinEdit(this, GBCollect, "SEProcBarrierStep", 150, 18, 80, 1, 0.1);
    SEProcBarrierStep->SetMinValue(0.1);
    SEProcBarrierStep->SetMaxValue(100000);
    SEProcBarrierStep->SetValue(0.1);
    lblProcTimeInterval =
        MakeControl<TLabel>(this, GBCollect, "lblProcTimeInterval", "Time Interval, ms", 8, 46, 140, 16);
    SEProcTimeInterval = MakeSpinEdit(this, GBCollect, "SEProcTimeInterval", 150, 44, 80, 0);
    SetSpinRange(SEProcTimeInterval, 100, 1000000, 100);
    CBBackward = MakeControl<TCheckBox>(this, GBCollect, "CBBackward", "Collect data on way back", 8, 72, 200, 17);
    GBCollect->OnClick = [this](TObject* Sender) { IsothermParamChanged(Sender); };
}

void TFIsothermCtrl::PrepareWindow()
{
    TCalibrateParam& c = CalibrateParam;
    SERate->SetMinValue(2 * std::max(c.barrier1.GetMinSpeed(), c.barrier2.GetMinSpeed()));
    SERate->SetMaxValue(2 * std::min(c.barrier1.GetMaxSpeed(), c.barrier2.GetMaxSpeed()));
    SEPressure->SetMinValue(c.ballance.GetShMin());
    SEPressure->SetMaxValue(c.ballance.GetShMax());
    SETroughArea->SetMinValue(c.surface.GetSquareMin());
    SETroughArea->SetMaxValue(c.surface.GetSquareMax());
    SEBarrierPosition->SetMinValue(2 * std::max(c.barrier1.GetShMin(), c.barrier2.GetShMin()));
    SEBarrierPosition->SetMaxValue(2 * std::min(c.barrier1.GetShMax(), c.barrier2.GetShMax()));
    SEStep->SetMaxValue((c.barrier1.GetShMax() - c.barrier1.GetShMin()) * 2 * 0.2);
    SEProcTimeInterval->SetMinValue(c.InputFlowMinInterval);
}

std::vector<TCaptionTarget> TFIsothermCtrl::CaptionTargets()
{
    std::vector<TCaptionTarget> targets = TProcessWindow::CaptionTargets();
    for (TControl* c : std::initializer_list<TControl*>{GBGeneral, lblNumCycles, CBBackward, lblMeasure})
        targets.push_back(CaptionOf(c));
    for (int i = 0; i < RecOptionCount; ++i) targets.push_back(ItemText(cbbRecOptions, i));
    targets.push_back(CaptionOf(chkRec));
    targets.push_back(CaptionOf(lblTarget));
    for (int i = 0; i < TargetCount; ++i) targets.push_back(ItemText(cbbTargetOptions, i));
    for (TControl* c :
         std::initializer_list<TControl*>{GBCollect, lblProcBarrierStep, lblProcTimeInterval, lblCompressionMethod})
        targets.push_back(CaptionOf(c));
    for (int i = 0; i < 2; ++i) targets.push_back(ItemText(CBCompressionMethod, i));
    for (TControl* c : std::initializer_list<TControl*>{GBCompressionParam, lblRate, lblPressure, lblTroughArea,
                                                        lblBarrierPosition, lblTime, lblStep, lblDelay, BBGo, BBStop})
        targets.push_back(CaptionOf(c));
    return targets;
}

void TFIsothermCtrl::LoadValues()
{
    SENumCycles->SetValue(IniFile->ReadInteger(Section, "NumCycles", 1));
    CBBackward->SetChecked(IniFile->ReadBool(Section, "Backward", false));
    cbbRecOptions->SetItemIndex(ValidIndex(IniFile->ReadInteger(Section, "RecOptions", 0), RecOptionCount));
    cbbTargetOptions->SetItemIndex(ValidIndex(IniFile->ReadInteger(Section, "TargetOptions", 0), TargetCount));
    SEProcBarrierStep->SetValue(ReadFloatText("ProcBarrierStep"));
    SEProcTimeInterval->SetValue(IniFile->ReadInteger(Section, "ProcTimeInterval", 0));
    CBCompressionMethod->SetItemIndex(ValidIndex(IniFile->ReadInteger(Section, "CompressionMethod", 0), 2));
    SERate->SetValue(ReadFloatText("Rate"));
    SEPressure->SetValue(ReadFloatText("Pressure"));
    SETroughArea->SetValue(ReadFloatText("TroughArea"));
    SEBarrierPosition->SetValue(ReadFloatText("BarrierPosition"));
    SETime->SetValue(IniFile->ReadInteger(Section, "Time", 0));
    SEStep->SetValue(ReadFloatText("Step"));
    SEDelay->SetValue(IniFile->ReadIntegerInRange(Section, "Delay", 0, 0, MaxDelay));
}

void TFIsothermCtrl::SaveValues()
{
    IniFile->WriteInteger(Section, "NumCycles", SENumCycles->AsInteger());
    IniFile->WriteBool(Section, "Backward", CBBackward->GetChecked());
    IniFile->WriteInteger(Section, "RecOptions", cbbRecOptions->GetItemIndex());
    IniFile->WriteInteger(Section, "TargetOptions", cbbTargetOptions->GetItemIndex());
    IniFile->WriteFloat(Section, "ProcBarrierStep", SEProcBarrierStep->GetValue());
    IniFile->WriteInteger(Section, "ProcTimeInterval", SEProcTimeInterval->AsInteger());
    IniFile->WriteInteger(Section, "CompressionMethod", CBCompressionMethod->GetItemIndex());
    IniFile->WriteFloat(Section, "Rate", SERate->GetValue());
    IniFile->WriteFloat(Section, "Pressure", SEPressure->GetValue());
    IniFile->WriteFloat(Section, "TroughArea", SETroughArea->GetValue());
    IniFile->WriteFloat(Section, "BarrierPosition", SEBarrierPosition->GetValue());
    IniFile->WriteInteger(Section, "Time", SETime->AsInteger());
    IniFile->WriteFloat(Section, "Step", SEStep->GetValue());
    IniFile->WriteInteger(Section, "Delay", SEDelay->AsInteger());
}

int TFIsothermCtrl::GetRecOption() const { return ValidIndex(cbbRecOptions->GetItemIndex(), RecOptionCount); }
int TFIsothermCtrl::GetTargetOption() const { return ValidIndex(cbbTargetOptions->GetItemIndex(), TargetCount); }
int TFIsothermCtrl::GetIstType() const { return IstTypeTable[GetRecOption() * TargetCount + GetTargetOption()]; }

void TFIsothermCtrl::IsothermParamChanged(TObject*)
{
    const int rec = GetRecOption(), target = GetTargetOption();
    const bool targeted = rec == recStartToTarget || rec == recTargetToStop || rec == recTargetToTime;
    const bool stepwise = CBCompressionMethod->GetItemIndex() == modeStepwise;
    const int type = GetIstType();
    const bool byTravel = type == istPositions || type == istToPressure || type == istPressureToStop;
    SetEnabledWithColour(cbbTargetOptions, targeted);
    SetEnabledWithColour(SEPressure, targeted && target == targetPressure);
    SetEnabledWithColour(SETroughArea, targeted && target == targetArea);
    SetEnabledWithColour(SEBarrierPosition, targeted && target == targetPosition);
    SetEnabledWithColour(SETime, rec == recTargetToTime);
    SetEnabledWithColour(SEStep, stepwise);
    SetEnabledWithColour(SEDelay, stepwise);
    SetEnabledWithColour(SERate, true);
    SEProcBarrierStep->SetEnabled(byTravel);
    SEProcTimeInterval->SetEnabled(!byTravel);
    // Only "From Start to Target" runs more than one stroke.
    SetEnabledWithColour(SENumCycles, rec == recStartToTarget);
    SetEnabledWithColour(CBBackward, rec == recStartToTarget);
    if (rec != 0) {
        SENumCycles->SetValue(1);
        CBBackward->SetChecked(false);
    }
}

bool TFIsothermCtrl::CheckDataInterval()
{
    if (!SEProcBarrierStep->GetEnabled()) return true;
    const double h = SEProcBarrierStep->GetValue() / 2;  // mm per barrier
    const double v = SERate->GetValue() / 2 / 60000;     // mm per ms per barrier
    // At no speed points never come too fast.
    double n = std::trunc(DivideOr(h, v, SEProcTimeInterval->GetMinValue()));
    const double minimum = SEProcTimeInterval->GetMinValue();
    if (minimum <= n) return true;
    n = std::trunc(minimum);
    SEProcBarrierStep->SetValue(n * v * 2);
    const char* question = "The step is changed, because speed of a stream of given very big. Continue?";
    return MessageDlg(GetResString(question, question), mtWarning, mbYes | mbNo) == mrYes;
}

void TFIsothermCtrl::BBGoClick(TObject*)
{
    const bool stepwise = CBCompressionMethod->GetItemIndex() == modeStepwise;
    if (stepwise && SEStep->GetValue() / 2 < SEProcBarrierStep->GetValue() / 2) {
        MessageDlg("Compression step should be bigger than barrier step", mtError, mbOK);
        return;
    }
    Backward = CBBackward->GetChecked();
    StrokeCount = static_cast<std::uint16_t>(2 * SENumCycles->AsInteger() - (Backward ? 0 : 1));
    RecOption = GetRecOption();
    if (!CheckDataInterval()) return;
    if (!PrepareRun(GetResString("Isotherm", "Isotherm"))) return;
    SetProcess(pkIsotherm);
    SendParameters();
}

void TFIsothermCtrl::SendParameters()
{
    TCalibrateParam& c = CalibrateParam;
    const int rec = GetRecOption(), target = GetTargetOption();
    const bool stepwise = CBCompressionMethod->GetItemIndex() == modeStepwise;
    const double pressure = c.ballance.SPToHw(SEPressure->GetValue());

    // Begin and end positions (raw barrier 1) by record option and target.
    const double current = DeviceState.barrier1Pos;
    const double top = c.barrier1.GetHwMax();
    const double targets[TargetCount] = {0, c.surface.AreaToPosition(SETroughArea->GetValue()),
                                         c.barrier1.ShToHw(SEBarrierPosition->GetValue() / 2)};
    double begin = 0, end = 0;
    switch (rec) {
    case recStartToTarget:
        begin = current;
        end = targets[target];
        break;
    case recStartToStop:
        begin = current;
        end = top;
        break;
    case recTargetToStop:
        begin = targets[target];
        end = top;
        break;
    case recTargetToTime:
        begin = targets[target];
        end = 0;
        break;
    default:
        break;
    }

    HlProvider.SetIstType(GetIstType());
    HlProvider.SetIstNumCycles(StrokeCount);
    HlProvider.SetIstBackwardData(Backward ? 1 : 0);
    HlProvider.SetIstDataStep(SEProcBarrierStep->GetEnabled()
                                  ? DoubleToInt32(c.barrier1.ShToHwDelta(SEProcBarrierStep->GetValue() / 2))
                                  : SEProcTimeInterval->AsInteger());
    HlProvider.SetIstBarrierSpeed(DoubleToInt32(c.barrier1.SpeedToCode(SERate->GetValue() / 2)));
    HlProvider.SetIstProcessTime(SETime->AsInteger());
    HlProvider.SetIstBeginPos(DoubleToInt32(begin));
    HlProvider.SetIstEndPos(DoubleToInt32(end));
    const bool toPressure = target == targetPressure;
    HlProvider.SetIstBeginPressure(
        toPressure && (rec == recTargetToStop || rec == recTargetToTime) ? DoubleToInt32(pressure) : 0);
    HlProvider.SetIstEndPressure(toPressure && rec == recStartToTarget ? DoubleToInt32(pressure) : 0);
    HlProvider.SetIstStpCompPause(stepwise ? SEDelay->AsInteger() : 0);
    HlProvider.SetIstStpCompStep(stepwise ? DoubleToInt32(c.barrier1.ShToHwDelta(SEStep->GetValue() / 2)) : 0);
    HlProvider.StartIsotherm();
}

void TFIsothermCtrl::BBStopClick(TObject*)
{
    if (BBGo->GetVisible()) return;
    StopRun();
}

void TFIsothermCtrl::ProcessStarted(int Index)
{
    if (!NoticeIsOurs(false)) return;
    const auto stroke = static_cast<std::uint16_t>(Index);
    const bool wayBack = stroke % 2 == 1;
    const int cycle = stroke / 2 + 1;
    char text[200];
    std::snprintf(text, sizeof text, "%s: %d", GetResString("Cycle", "Cycle").c_str(), cycle);
    SetStatusLine(1, std::string(text) + (wayBack ? "(bw)" : ""));
    if (wayBack && !Backward) return;

    const char* suffix = wayBack ? " (bw)" : "";
    if (StrokeCount <= 2)
        std::snprintf(text, sizeof text, "Isotherm%s", suffix);
    else
        std::snprintf(text, sizeof text, "Isotherm %d%s", cycle, suffix);
    if (!OpenTable(text)) return;
    BindGraph("Area Per Molecule (MA)", "Surface pressure (SP)", nullptr);
}

void TFIsothermCtrl::AddDataRow(const TIsothermPoint* Point)
{
    if (!Table || !Point) return;
    TCalibrateParam& c = CalibrateParam;
    const std::uint32_t sum = Point->barrier1Pos + Point->barrier2Pos;
    const double area = c.surface.PositionToArea(Point->barrier1Pos, Point->barrier2Pos);
    const int rows = Table->GetNumRows();
    const double change = rows > 0 ? Table->GetData(colTA, rows - 1) - area : 0;
    const double perMolecule = RowAreaPerMolecule(area);
    const double pressure = c.ballance.HwToSP(Point->balance, true);
    const double seconds = Point->time * 0.1;
    AppendRow({static_cast<float>(c.barrier1.HwToSh(sum)), static_cast<float>(area), static_cast<float>(change),
               static_cast<float>(perMolecule), static_cast<float>(pressure), static_cast<float>(seconds),
               static_cast<float>(pressure * perMolecule)},
              seconds);
}

void TFIsothermCtrl::ProcessFinished(int Index)
{
    if (!NoticeIsOurs(true)) return;
    CloseTable();
    // "From Start to Target" runs every stroke; the other options end at the first end.
    if (Index < static_cast<int>(StrokeCount) - 1 && RecOption == recStartToTarget) return;
    FinishRun();
}

void TFIsothermCtrl::GetParametersText(std::string& Text)
{
    auto pair = [](const std::string& Caption, const std::string& Value) { return Caption + ": " + Value + "\r\n"; };
    Text = "Isotherm parameters\r\n";
    Text += pair(lblNumCycles->GetCaption(), SENumCycles->GetText());
    Text += pair(CBBackward->GetCaption(), CBBackward->GetChecked() ? "yes" : "no");
    Text += pair(lblMeasure->GetCaption(), SelectedText(cbbRecOptions));
    Text += pair(lblTarget->GetCaption(), SelectedText(cbbTargetOptions));
    Text += pair(lblCompressionMethod->GetCaption(), SelectedText(CBCompressionMethod));
    const std::pair<TLabel*, TRxSpinEdit*> fields[] = {
        {lblStep, SEStep},
        {lblDelay, SEDelay},
        {lblRate, SERate},
        {lblPressure, SEPressure},
        {lblTroughArea, SETroughArea},
        {lblBarrierPosition, SEBarrierPosition},
        {lblTime, SETime},
        {lblProcBarrierStep, SEProcBarrierStep},
        {lblProcTimeInterval, SEProcTimeInterval},
    };
    for (const auto& [label, field] : fields)
        if (field->GetEnabled()) Text += pair(label->GetCaption(), field->GetText());
    Text += "\r\n";
}

std::unique_ptr<TPTableData> TFIsothermCtrl::CreateTable(const std::string& Name)
{
    return CreateIsothermTable(DataSet, Name);
}
