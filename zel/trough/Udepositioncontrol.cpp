#include "zel/trough/Udepositioncontrol.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <iterator>

#include "hwzel/hwzel.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Dialogs.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/Notices.h"
#include "zel/core/Umsg.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Ugraph.h"
#include "zel/trough/Udepfb.h"
#include "zel/trough/Udepposinfo.h"
#include "zel/trough/Uisothermcontrol.h"

TFDepositionCtrl* FDepositionCtrl = nullptr;

namespace {

constexpr const char* Section = "DepositionControl";
// The longest pause of a step, as long as the longest wait.
constexpr int MaxDelay = 100000;
constexpr int DefaultWarningDeltaSquare = 15;

const std::vector<TRunColumn> DepositionColumns = {
    {"Barrier Position (BPos)", "BPos", "mm"},
    {"Trough Area (TA)", "TA", "cm2"},
    {"Trough Area Increment (dTA)", "dTA", "cm2"},
    {"Area Per Molecule (MA)", "MA", "nm^2"},
    {"Surface pressure (SP)", "SP", "mN/m"},
    {"Time (t)", "t", "s"},
    {"Length of a way of immersing (l)", "l", "mm"},
    {"Transfer (R)", "R", ""},
    {"Layer number (Z)", "Z", ""},
    {"R/Z", "R/Z", ""},
};
enum { colBPos, colTA, colDTA, colMA, colSP, colTime, colLength, colTransfer, colLayer, colTransferPerLayer };

const char* const TypeItems[] = {"X - type", "Y - type", "Z - type", "HP - type", "Manual"};
constexpr int TypeCount = 5;
const char* const MethodItems[] = {"Constant deposition", "Stepwise deposition"};
enum { methodConstant = 0, methodStepwise = 1 };

// Phase names by the point's phase, the last while the run waits for compound.
const char* const PhaseNames[] = {"Positioning", "Move down",   "Move up",
                                  "Pause below", "Pause above", "The substance was over"};
constexpr std::uint32_t phasePauseBelow = 3, phasePauseAbove = 4, phaseSubstanceOver = 5;

std::string Translated(const char* Text) { return GetResString(Text, Text); }

float Cell(double Value) { return static_cast<float>(Value); }

}  // namespace

std::unique_ptr<TPTableData> CreateDepositionTable(ISXDataSet* DataSet, const std::string& Name)
{
    return CreateRunTable(DataSet, Name, DepositionColumns, colLayer, colTransfer, colTransferPerLayer);
}

TFDepositionCtrl::TFDepositionCtrl(TComponent* Owner)
    : TProcessWindow(Owner, TToolWindowKind::Deposition, pkDeposition, "Deposition", 4),
      DepTable(Table),
      DepGraph(Graph)
{
    Name = "FDepositionCtrl";
    HandleNotice(hlnDepositionPoint, [this](LPARAM P) { AddDataRow(NoticeRecord<TDepositionPoint>(P)); });
    HandleNotice(hlnDepositionStroke, [this](LPARAM P) { ProcessStarted(NoticeNumber(P)); });
    HandleNotice(hlnDepositionCompleted, [this](LPARAM P) { ProcessFinished(NoticeNumber(P)); });
    HandleNotice(hlnPressureControl, [this](LPARAM P) { PressureControlStarted(NoticeNumber(P)); });
    HandleNotice(hlnSubstanceOver, [this](LPARAM P) { SubstanceOver(NoticeNumber(P)); });
    HandleNotice(hlnContinueAllowed, [this](LPARAM) { EnableContinue(); });
    SetCaption("Deposition");
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsToolWindow);
    BuildGeneral();
    BuildDipper();
    chkRec = MakeControl<TCheckBox>(this, this, "chkRec", "Save data", 8, 400, 95, 17);
    CBIsotermControl = MakeControl<TCheckBox>(this, this, "CBIsotermControl", "Show isotherm plot", 8, 420, 95, 26);
    BBGo = MakeControl<TButton>(this, this, "BBGo", "START", 108, 408, 88, 25);
    BBStop = MakeControl<TButton>(this, this, "BBStop", "Stop", 108, 408, 88, 25);
    // START lies in front of Stop: hiding START uncovers Stop.
    BBGo->BringToFront();
    BBGo->OnClick = [this](TObject* Sender) { BBGoClick(Sender); };
    BBStop->OnClick = [this](TObject* Sender) { BBStopClick(Sender); };
    SetBounds(0, 0, 201, 450);
    // The enablement rules follow once the stored values are in.
    TNotifyEvent patternCreate = OnCreate;
    OnCreate = [this, patternCreate](TObject* Sender) {
        patternCreate(Sender);
        CBDepositionMethodClick(Sender);
        cbbDepositionTypeClick(Sender);
    };
    FDepositionCtrl = this;
}

TFDepositionCtrl::~TFDepositionCtrl()
{
    ClosePressureControlTable();
    if (FDepPosInfo) FDepPosInfo->WarningDeltaSquareSource = nullptr;
    if (FDepositionCtrl == this) FDepositionCtrl = nullptr;
}

void TFDepositionCtrl::BuildGeneral()
{
    GBGeneral = MakeControl<TGroupBox>(this, this, "GBGeneral", "General", 4, 2, 193, 200);
    TWinControl* g = GBGeneral;
    lblMethod = MakeControl<TLabel>(this, g, "lblMethod", "Method", 8, 18, 60, 16);
    cbbDepositionType =
        MakeDropDownList(this, g, "cbbDepositionType", 70, 16, 115, {TypeItems, TypeItems + TypeCount}, 0);
    cbbDepositionType->OnChange = [this](TObject* Sender) { cbbDepositionTypeClick(Sender); };
    LBPlateArea = MakeControl<TLabel>(this, g, "LBPlateArea", "Substrate Area, sq.mm", 8, 44, 110, 16);
    SEPlateArea = MakeSpinEdit(this, g, "SEPlateArea", 120, 42, 65, 0);
    SetSpinRange(SEPlateArea, 1, 1000000, 1);
    LBNumOfCycles = MakeControl<TLabel>(this, g, "LBNumOfCycles", "Number of cycles", 8, 68, 110, 16);
    SENumCycles = MakeSpinEdit(this, g, "SENumCycles", 120, 66, 65, 0);
    SetSpinRange(SENumCycles, 1, 1000, 1);
    LBPressure = MakeControl<TLabel>(this, g, "LBPressure", "Pressure, mN/m", 8, 92, 110, 16);
    SEPressure = MakeSpinEdit(this, g, "SEPressure", 120, 90, 65, 1, 0.1);
    LBBarrierSpeed = MakeControl<TLabel>(this, g, "LBBarrierSpeed", "Barrier Speed, mm/min", 8, 116, 110, 16);
    SEBarrierSpeed = MakeSpinEdit(this, g, "SEBarrierSpeed", 120, 114, 65, 1, 0.1);
    CBKeepPressureControl =
        MakeControl<TCheckBox>(this, g, "CBKeepPressureControl", "Keep pressure after stop", 8, 138, 180, 17);
    lblBetweenLayers = MakeControl<TLabel>(this, g, "lblBetweenLayers", "Between layers", 8, 158, 110, 16);
    CBKeepPressureBetweenDeposition =
        MakeControl<TCheckBox>(this, g, "CBKeepPressureBetweenDeposition", "Adjust SP, mN/m", 8, 176, 110, 17);
    CBKeepPressureBetweenDeposition->OnClick = [this](TObject* Sender) {
        CBKeepPressureBetweenDepositionClick(Sender);
    };
    SEOpenPressure = MakeSpinEdit(this, g, "SEOpenPressure", 120, 174, 65, 1, 0.1);
    SEOpenPressure->SetEnabled(false);
}

void TFDepositionCtrl::BuildDipper()
{
    grpDipper = MakeControl<TGroupBox>(this, this, "grpDipper", " Dipper ", 4, 204, 193, 194);
    TWinControl* g = grpDipper;
    lblDipperPos = MakeControl<TLabel>(this, g, "lblDipperPos", "Position", 40, 14, 52, 14);
    lblDipperPosUnit = MakeControl<TLabel>(this, g, "lblDipperPosUnit", "mm", 40, 28, 52, 14);
    lblDipperSpeed = MakeControl<TLabel>(this, g, "lblDipperSpeed", "Speed", 95, 14, 52, 14);
    lblDipperSpeedUnit = MakeControl<TLabel>(this, g, "lblDipperSpeedUnit", "mm/min", 95, 28, 52, 14);
    lblDipperWaitWhenUp = MakeControl<TLabel>(this, g, "lblDipperWaitWhenUp", "Wait", 150, 14, 38, 14);
    lblDipperWaitWhenUpUnit = MakeControl<TLabel>(this, g, "lblDipperWaitWhenUpUnit", "s", 150, 28, 38, 14);
    auto position = [this, g](const char* Name, int Top, double Value) {
        TRxSpinEdit* edit = MakeSpinEdit(this, g, Name, 40, Top, 52, 1, 0.1);
        SetSpinRange(edit, -100000, 100000, Value);
        return edit;
    };
    lblUp = MakeControl<TLabel>(this, g, "lblUp", "Up", 8, 48, 30, 16);
    SEUpperLimit = position("SEUpperLimit", 46, 324.5);
    SESpeedUp = MakeSpinEdit(this, g, "SESpeedUp", 95, 46, 52, 1, 0.1);
    SEWaitWhenUp = MakeSpinEdit(this, g, "SEWaitWhenUp", 150, 46, 38, 0);
    SetSpinRange(SEWaitWhenUp, 0, 100000, 999);
    lblDown = MakeControl<TLabel>(this, g, "lblDown", "Down", 8, 74, 30, 16);
    SELowerLimit = position("SELowerLimit", 72, 0);
    SESpeedDown = MakeSpinEdit(this, g, "SESpeedDown", 95, 72, 52, 1, 0.1);
    SEWaitWhenDown = MakeSpinEdit(this, g, "SEWaitWhenDown", 150, 72, 38, 0);
    SetSpinRange(SEWaitWhenDown, 0, 100000, 0);
    SESpeedUp->OnChange = [this](TObject* Sender) { SESpeedUpChange(Sender); };
    SESpeedDown->OnChange = [this](TObject* Sender) { SESpeedDownChange(Sender); };
    lblDipperMode = MakeControl<TLabel>(this, g, "lblDipperMode", "Mode", 8, 100, 40, 16);
    CBDepositionMethod = MakeDropDownList(this, g, "CBDepositionMethod", 50, 98, 135,
                                          {std::begin(MethodItems), std::end(MethodItems)}, 0);
    CBDepositionMethod->OnChange = [this](TObject* Sender) { CBDepositionMethodClick(Sender); };
    LBStep = MakeControl<TLabel>(this, g, "LBStep", "Step, mm", 8, 124, 110, 16);
    SEStep = MakeSpinEdit(this, g, "SEStep", 120, 122, 65, 1, 0.1);
    SEStep->SetMinValue(0.1);
    SEStep->SetMaxValue(0.1);
    SEStep->SetValue(0.1);
    LBDelay = MakeControl<TLabel>(this, g, "LBDelay", "Delay ,s", 8, 148, 110, 16);
    // A step's pause is held as long as a wait may: a negative one has no meaning.
    SEDelay = MakeSpinEdit(this, g, "SEDelay", 120, 146, 65, 0);
    SetSpinRange(SEDelay, 0, MaxDelay, 0);
    CBKeepDipperAfterSubstanceEnd = MakeControl<TCheckBox>(this, g, "CBKeepDipperAfterSubstanceEnd",
                                                           "Stop dipper if substance run out", 8, 170, 180, 17);
}

void TFDepositionCtrl::PrepareWindow()
{
    TCalibrateParam& c = CalibrateParam;
    // The feedback window, made before this one, holds the dipper levels in steps.
    if (FDepFB) {
        SEUpperLimit->SetValue(c.dipper.HwToSh(FDepFB->DipperUpLimit));
        SELowerLimit->SetValue(c.dipper.HwToSh(FDepFB->DipperDownLimit));
    }
    for (TRxSpinEdit* speed : {SESpeedUp, SESpeedDown}) {
        speed->SetMinValue(c.dipper.GetMinSpeed());
        speed->SetMaxValue(c.dipper.GetMaxSpeed());
    }
    // The closing speed of both barriers together.
    SEBarrierSpeed->SetMinValue(2 * c.barrier1.GetMinSpeed());
    SEBarrierSpeed->SetMaxValue(2 * c.barrier1.GetMaxSpeed());
    for (TRxSpinEdit* pressure : {SEPressure, SEOpenPressure}) {
        pressure->SetMinValue(c.ballance.GetShMin());
        pressure->SetMaxValue(c.ballance.GetShMax());
    }
    SEStep->SetMaxValue(0.2 * (c.barrier1.GetShMax() - c.barrier1.GetShMin()));
}

std::vector<TCaptionTarget> TFDepositionCtrl::CaptionTargets()
{
    std::vector<TCaptionTarget> targets = TProcessWindow::CaptionTargets();
    targets.push_back(CaptionOf(GBGeneral));
    targets.push_back(CaptionOf(lblMethod));
    for (int i = 0; i < TypeCount; ++i) targets.push_back(ItemText(cbbDepositionType, i));
    for (TControl* c : std::initializer_list<TControl*>{
             LBPlateArea, LBNumOfCycles, LBPressure, LBBarrierSpeed, CBKeepPressureControl, lblBetweenLayers,
             CBKeepPressureBetweenDeposition, grpDipper, lblDipperPos, lblDipperPosUnit, lblDipperSpeed,
             lblDipperSpeedUnit, lblDipperWaitWhenUp, lblDipperWaitWhenUpUnit, lblUp, lblDown, lblDipperMode})
        targets.push_back(CaptionOf(c));
    for (int i = 0; i < 2; ++i) targets.push_back(ItemText(CBDepositionMethod, i));
    for (TControl* c : std::initializer_list<TControl*>{LBStep, LBDelay, CBKeepDipperAfterSubstanceEnd, chkRec,
                                                        CBIsotermControl, BBGo, BBStop})
        targets.push_back(CaptionOf(c));
    return targets;
}

void TFDepositionCtrl::LoadValues()
{
    TLinearMotion& dipper = CalibrateParam.dipper;
    auto number = [](const char* Key, double Default) { return IniFile->ReadFloat(Section, Key, Default); };
    auto flag = [](const char* Key, TCheckBox* Box) {
        Box->SetChecked(IniFile->ReadBool(Section, Key, Box->GetChecked()));
    };
    auto entry = [&number](const char* Key, TRxSpinEdit* Edit) { Edit->SetValue(number(Key, Edit->GetValue())); };
    auto whole = [](const char* Key, TRxSpinEdit* Edit) {
        Edit->SetValue(IniFile->ReadInteger(Section, Key, Edit->AsInteger()));
    };
    auto index = [](const char* Key, TComboBox* Combo, int Count) {
        Combo->SetItemIndex(ValidIndex(IniFile->ReadInteger(Section, Key, Combo->GetItemIndex()), Count));
    };
    xSpeedUp = number("xSpeedUp", dipper.GetMaxSpeed());
    xSpeedDown = number("xSpeedDown", dipper.GetMinSpeed());
    ySpeedUp = number("ySpeedUp", dipper.GetMinSpeed());
    ySpeedDown = number("ySpeedDown", dipper.GetMinSpeed());
    zSpeedUp = number("zSpeedUp", dipper.GetMinSpeed());
    zSpeedDown = number("zSpeedDown", dipper.GetMaxSpeed());
    whole("NumCycles", SENumCycles);
    whole("PlateArea", SEPlateArea);
    flag("KeepPressureControl", CBKeepPressureControl);
    index("DepositionType", cbbDepositionType, TypeCount);
    entry("UpperLimit", SEUpperLimit);
    whole("WaitWhenUp", SEWaitWhenUp);
    entry("LowerLimit", SELowerLimit);
    whole("WaitWhenDown", SEWaitWhenDown);
    index("DepositionMethod", CBDepositionMethod, 2);
    entry("BarrierSpeed", SEBarrierSpeed);
    entry("Pressure", SEPressure);
    entry("Step", SEStep);
    SEDelay->SetValue(IniFile->ReadIntegerInRange(Section, "Delay", SEDelay->AsInteger(), 0, MaxDelay));
    flag("IsotermControl", CBIsotermControl);
    // A reserve is part of the trough's area range, or the default.
    const TClbSurface& surface = CalibrateParam.surface;
    const double areaRange = surface.GetSquareMax() - surface.GetSquareMin();
    WarningDeltaSquare = IniFile->ReadIntegerInRange(Section, "WarningDeltaSquare", DefaultWarningDeltaSquare, 0,
                                                     DoubleToInt32(std::floor(areaRange)));
    flag("KeepDipperAfterSubstanceEnd", CBKeepDipperAfterSubstanceEnd);
    flag("KeepPressureBetweenDeposition", CBKeepPressureBetweenDeposition);
    entry("OpenPressure", SEOpenPressure);
}

void TFDepositionCtrl::SaveSettings()
{
    if (!IniFile) return;
    auto integer = [](const char* Key, int Value) { IniFile->WriteInteger(Section, Key, Value); };
    auto number = [](const char* Key, double Value) { IniFile->WriteFloat(Section, Key, Value); };
    auto flag = [](const char* Key, bool Value) { IniFile->WriteBool(Section, Key, Value); };
    integer("NumCycles", SENumCycles->AsInteger());
    integer("PlateArea", SEPlateArea->AsInteger());
    flag("KeepPressureControl", CBKeepPressureControl->GetChecked());
    integer("DepositionType", cbbDepositionType->GetItemIndex());
    number("UpperLimit", SEUpperLimit->GetValue());
    number("SpeedUp", SESpeedUp->GetValue());
    integer("WaitWhenUp", SEWaitWhenUp->AsInteger());
    number("LowerLimit", SELowerLimit->GetValue());
    number("SpeedDown", SESpeedDown->GetValue());
    integer("WaitWhenDown", SEWaitWhenDown->AsInteger());
    integer("DepositionMethod", CBDepositionMethod->GetItemIndex());
    number("BarrierSpeed", SEBarrierSpeed->GetValue());
    number("Pressure", SEPressure->GetValue());
    number("Step", SEStep->GetValue());
    integer("Delay", SEDelay->AsInteger());
    flag("IsotermControl", CBIsotermControl->GetChecked());
    flag("Docked", !Floating());
    flag("KeepDipperAfterSubstanceEnd", CBKeepDipperAfterSubstanceEnd->GetChecked());
    flag("KeepPressureBetweenDeposition", CBKeepPressureBetweenDeposition->GetChecked());
    number("OpenPressure", SEOpenPressure->GetValue());
    number("xSpeedUp", xSpeedUp);
    number("xSpeedDown", xSpeedDown);
    number("ySpeedUp", ySpeedUp);
    number("ySpeedDown", ySpeedDown);
    number("zSpeedUp", zSpeedUp);
    number("zSpeedDown", zSpeedDown);
}

int TFDepositionCtrl::DepositionType() const { return ValidIndex(cbbDepositionType->GetItemIndex(), TypeCount); }

// ---------------------------------------------------------------------------------------
// Enablement

void TFDepositionCtrl::CBDepositionMethodClick(TObject*)
{
    const bool stepwise = CBDepositionMethod->GetItemIndex() == methodStepwise;
    SetEnabledWithColour(SEStep, stepwise);
    SetEnabledWithColour(SEDelay, stepwise);
}

void TFDepositionCtrl::CBKeepPressureBetweenDepositionClick(TObject*)
{
    SEOpenPressure->SetEnabled(CBKeepPressureBetweenDeposition->GetChecked());
}

void TFDepositionCtrl::cbbDepositionTypeClick(TObject*)
{
    const int type = DepositionType();
    const bool strokes = type == dtpX || type == dtpY || type == dtpZ;
    const bool adjustsPressure = type == dtpX || type == dtpZ;
    // Each of the stroke types keeps its own pair of dipper speeds.
    if (strokes) {
        const double up[] = {xSpeedUp, ySpeedUp, zSpeedUp};
        const double down[] = {xSpeedDown, ySpeedDown, zSpeedDown};
        SESpeedUp->SetValue(up[type]);
        SESpeedDown->SetValue(down[type]);
    }
    CBKeepPressureBetweenDeposition->SetEnabled(adjustsPressure);
    SEOpenPressure->SetEnabled(adjustsPressure && CBKeepPressureBetweenDeposition->GetChecked());
    CBKeepDipperAfterSubstanceEnd->SetEnabled(strokes);
    SEUpperLimit->SetEnabled(true);
    SELowerLimit->SetEnabled(true);
    for (TRxSpinEdit* edit : {SESpeedUp, SESpeedDown, SEWaitWhenUp, SEWaitWhenDown})
        edit->SetEnabled(type != dtpManual);
    if (!strokes) CBKeepPressureControl->SetChecked(true);
    CBKeepPressureControl->SetEnabled(strokes);
}

void TFDepositionCtrl::SESpeedUpChange(TObject*)
{
    double* stored[] = {&xSpeedUp, &ySpeedUp, &zSpeedUp};
    const int type = DepositionType();
    if (type <= dtpZ) *stored[type] = SESpeedUp->GetValue();
}

void TFDepositionCtrl::SESpeedDownChange(TObject*)
{
    double* stored[] = {&xSpeedDown, &ySpeedDown, &zSpeedDown};
    const int type = DepositionType();
    if (type <= dtpZ) *stored[type] = SESpeedDown->GetValue();
}

// ---------------------------------------------------------------------------------------
// START and Stop

void TFDepositionCtrl::BBGoClick(TObject*)
{
    if (SEUpperLimit->GetText() == SELowerLimit->GetText()) {
        MessageDlg(Translated("Error: Lower limit equal Upper limit!"), mtError, mbOK);
        return;
    }
    PlateArea = SEPlateArea->GetValue();
    NumStrokes = static_cast<std::uint16_t>(SENumCycles->AsInteger() * 2);
    if (FDepPosInfo) FDepPosInfo->SetLayerStep(0, NumStrokes);
    StrokeStartRow = 0;
    StrokeIndex = 0;
    if (!CreateData()) {
        ShowError("Create data error");
        return;
    }
    if (!MakeGraphs()) return;
    Continuing = false;
    for (int line = 1; line <= 3; ++line) (*StatusLines)[line] = "";
    SetProcessList(StatusLines.get());
    TransferBefore = 0;
    StartArea = 0;
    SetProcess(pkDeposition);
    SendParameters();
    if (FDepPosInfo) {
        FDepPosInfo->WarningDeltaSquareSource = [this] { return WarningDeltaSquare; };
        FDepPosInfo->Show();
    }
}

bool TFDepositionCtrl::MakeGraphs()
{
    DepGraph = nullptr;
    IsoGraph = nullptr;
    const bool wantDeposition = DepositionType() != dtpHP;
    const bool wantIsotherm = CBIsotermControl->GetChecked();
    if (wantIsotherm) IsoGraph = NewTitledGraph(Translated("Isotherm"));
    if (wantDeposition && (IsoGraph || !wantIsotherm)) DepGraph = NewTitledGraph(Translated("Deposition"));
    if ((wantDeposition && !DepGraph) || (wantIsotherm && !IsoGraph)) {
        // A run goes with all its graphs or not at all.
        for (TFGraph* made : {DepGraph, IsoGraph})
            if (made && GraphManager.IsAlive(made)) made->Close();
        DepGraph = nullptr;
        IsoGraph = nullptr;
        CloseTable();
        ClosePressureControlTable();
        ReleaseDataSet();
        ShowError("Create graph error");
        return false;
    }
    if (DepGraph && IsoGraph) {
        DepGraph->SetTop(IsoGraph->GetTop() + IsoGraph->GetHeight());
        DepGraph->SetLeft(IsoGraph->GetLeft());
    }
    return true;
}

void TFDepositionCtrl::SendParameters()
{
    TCalibrateParam& c = CalibrateParam;
    const bool stepwise = CBDepositionMethod->GetItemIndex() == methodStepwise;
    // One barrier runs half the closing speed of the pair.
    HlProvider.SetDepBarriersSpeed(DoubleToUInt16(c.barrier1.SpeedToCode(SEBarrierSpeed->GetValue() * 0.5)));
    if (FDepFB) {
        FDepFB->SendFeedbackParameters();
        FDepFB->SetDipperDownLimit(DoubleToInt32(c.dipper.ShToHw(SELowerLimit->GetValue())));
        FDepFB->SetDipperUpLimit(DoubleToInt32(c.dipper.ShToHw(SEUpperLimit->GetValue())));
        if (FDepPosInfo) {
            FDepPosInfo->SetDipPos(0, FDepFB->DipperUpLimit);
            FDepPosInfo->SetDipPos(1, FDepFB->DipperDownLimit);
        }
    }
    HlProvider.SetDepKeepPressureControl(CBKeepPressureControl->GetChecked() ? 1 : 0);
    HlProvider.SetDepKeepDipperAfterSubstanceEnd(CBKeepDipperAfterSubstanceEnd->GetChecked() ? 1 : 0);
    HlProvider.SetDepNumLayers(NumStrokes);
    HlProvider.SetDepPauseDown(SEWaitWhenDown->AsInteger());
    HlProvider.SetDepPauseUp(SEWaitWhenUp->AsInteger());
    HlProvider.SetDepSpeedDown(DoubleToInt32(c.dipper.SpeedToCode(SESpeedDown->GetValue())));
    HlProvider.SetDepSpeedUp(DoubleToInt32(c.dipper.SpeedToCode(SESpeedUp->GetValue())));
    HlProvider.SetDepStpCompPause(stepwise ? SEDelay->AsInteger() : 0);
    HlProvider.SetDepStpCompStep(stepwise ? DoubleToInt32(c.dipper.ShToHwDelta(SEStep->GetValue())) : 0);
    HlProvider.SetDepPressure(DoubleToInt32(c.ballance.SPToHw(SEPressure->GetValue())));
    // The instrument's flag means "keep the set pressure": it is the opposite of "Adjust SP".
    HlProvider.SetDepKeepPressureBetweenDeposition(CBKeepPressureBetweenDeposition->GetChecked() ? 0 : 1);
    HlProvider.SetDepOpenPressure(DoubleToUInt16(c.ballance.SPToHw(SEOpenPressure->GetValue())));
    HlProvider.SetDepType(DepositionType());
    // The furthest barrier step lies within the barrier's travel, whatever the calibration.
    const double travelFrom = std::min(c.barrier1.GetHwMin(), c.barrier1.GetHwMax());
    const double travelTo = std::max(c.barrier1.GetHwMin(), c.barrier1.GetHwMax());
    const double maxStep = c.surface.AreaToPosition(c.surface.GetSquareMin() + WarningDeltaSquare);
    HlProvider.SetDepMaxBarrierStep(DoubleToInt32(std::min(std::max(maxStep, travelFrom), travelTo)));
    HlProvider.StartDeposition();
}

void TFDepositionCtrl::BBStopClick(TObject*)
{
    if (BBGo->GetVisible()) return;
    Continuing = false;
    StopRun();
}

// ---------------------------------------------------------------------------------------
// Notices

void TFDepositionCtrl::ProcessStarted(int Stroke)
{
    if (!NoticeIsOurs(false)) return;
    StrokeIndex = static_cast<std::uint16_t>(Stroke);
    char text[200];
    std::snprintf(text, sizeof text, "%s: %d", Translated("Stroke").c_str(), StrokeIndex + 1);
    SetStatusLine(1, text);
    if (FDepPosInfo) FDepPosInfo->SetLayerStep(1, StrokeIndex);
    // A continued run goes on in the tables it has.
    if (Continuing) {
        Continuing = false;
        return;
    }
    if (StrokeIndex != 0) return;
    OpenDepositionTable();
    CheckGraph();
    if (DepGraph && DepTable) ShowTableInGraph(DepGraph, *DepTable, "Layer number (Z)", "Transfer (R)", "R/Z");
}

void TFDepositionCtrl::OpenDepositionTable()
{
    CloseTable();
    FDepositionFirstNew = 0;
    DepTable = CreateTable(Translated("Deposition"));
    // Without it the run goes on: the pressure-control rows, the position window and the
    // status lines still follow the points, so the data set stays held.
    if (!DepTable) {
        PostShowMessage("Cannot create the data table!", mtError);
        return;
    }
    EnterInRegister(*DepTable);
}

void TFDepositionCtrl::PressureControlStarted(int)
{
    if (!NoticeIsOurs(false) || Continuing) return;
    CheckGraph();
    if (!IsoGraph) return;
    OpenPressureControlTable();
    if (IsoGraph && PressureTable)
        ShowTableInGraph(IsoGraph, *PressureTable, "Time (t)", "Surface pressure (SP)", nullptr);
}

void TFDepositionCtrl::OpenPressureControlTable()
{
    ClosePressureControlTable();
    FPressureFirstNew = 0;
    // The set keeps every earlier table under its name: a later one is numbered.
    std::string name = "Pressure control";
    for (int number = 2; DataSet && DataSet->FindField(ZelTableCategory, name.c_str()); ++number)
        name = "Pressure control " + std::to_string(number);
    PressureTable = CreateIsothermTable(DataSet, name);
    if (PressureTable) EnterInRegister(*PressureTable);
}

void TFDepositionCtrl::ClosePressureControlTable()
{
    if (!PressureTable) return;
    PressureTable->Pack();
    PressureTable.reset();
}

std::unique_ptr<TPTableData> TFDepositionCtrl::CreateTable(const std::string& Name)
{
    return CreateDepositionTable(DataSet, Name);
}

bool TFDepositionCtrl::CheckGraph()
{
    if (IsoGraph && !GraphManager.IsAlive(IsoGraph)) IsoGraph = nullptr;
    return TProcessWindow::CheckGraph();
}

void TFDepositionCtrl::AddDataRow(const TDepositionPoint* Point)
{
    if (!Point) return;
    TCalibrateParam& c = CalibrateParam;
    const double position = c.barrier1.HwToSh(static_cast<std::uint32_t>(Point->barrier1Pos + Point->barrier2Pos));
    const double area = c.surface.PositionToArea(Point->barrier1Pos, Point->barrier2Pos);
    const double perMolecule = RowAreaPerMolecule(area);
    const double pressure = c.ballance.HwToSP(Point->balance, true);
    const double seconds = Point->time * 0.1;

    bool pressureRow = false, depositionRow = false;
    if (PressureTable) {
        const int rows = PressureTable->GetNumRows();
        const double change = rows > 0 ? PressureTable->GetData(colTA, rows - 1) - area : 0;
        const std::uint32_t row = AddRow(*PressureTable, {Cell(position), Cell(area), Cell(change), Cell(perMolecule),
                                                          Cell(pressure), Cell(seconds)});
        FPressureFirstNew = std::min(FPressureFirstNew, row);
        pressureRow = true;
    }
    if (DepTable && !Continuing) {
        const std::uint32_t changed = AddDepositionRow(
            *Point, {Cell(position), Cell(area), 0, Cell(perMolecule), Cell(pressure), Cell(seconds)}, area);
        FDepositionFirstNew = std::min(FDepositionFirstNew, changed);
        depositionRow = true;
    }

    CheckGraph();
    if (RowsAddedDue()) {
        if (depositionRow) {
            const auto last = static_cast<std::uint32_t>(DepTable->GetNumRows() - 1);
            AnnounceRows(*DepTable, DepGraph, std::min(FDepositionFirstNew, last), last);
            FDepositionFirstNew = last + 1;
        }
        if (pressureRow) {
            const auto last = static_cast<std::uint32_t>(PressureTable->GetNumRows() - 1);
            AnnounceRows(*PressureTable, IsoGraph, std::min(FPressureFirstNew, last), last);
            FPressureFirstNew = last + 1;
        }
    }
    ShowPointStatus(*Point, seconds);
}

std::uint32_t TFDepositionCtrl::AddDepositionRow(const TDepositionPoint& Point, const std::vector<float>& Common,
                                                 double Area)
{
    TCalibrateParam& c = CalibrateParam;
    const int rows = DepTable->GetNumRows();
    const int upLimit = FDepFB ? FDepFB->DipperUpLimit : 0;
    const int sense = DownwardSense();
    if (StartArea == 0) StartArea = Area;
    const double change = rows >= 2 ? StartArea - Area : 0;
    // Device positions are signed counts carried in 32 bits.
    const auto depth = static_cast<std::int32_t>(Point.dipperPos - static_cast<std::uint32_t>(upLimit));
    const double length = std::max(0.0, sense * c.dipper.HwToShDelta(depth));
    // The area taken off the trough (cm² to mm²) over both faces of the substrate.
    const double transfer =
        StartArea > 0 ? TransferBefore + (StartArea - Area) * 100 / (2 * PlateArea) : TransferBefore;
    std::uint32_t firstChanged = static_cast<std::uint32_t>(rows);
    double layer = 0;
    if (DepositionType() != dtpManual) {
        layer = LayerOf(Point);
    } else if (rows >= 2) {
        layer = StrokeIndex + 1;
        const bool down = StrokeIndex % 2 == 0;
        const double moved = sense * (static_cast<double>(static_cast<std::int32_t>(Point.dipperPos)) -
                                      static_cast<std::int32_t>(LastDipperPos));
        const bool turned = down ? moved < 0 : moved > 0;
        const auto last = static_cast<std::uint32_t>(rows - 1);
        if (turned) {
            ++StrokeIndex;
            StrokeStartRow = last;
        } else if (StrokeStartRow < last) {
            // The rows of the running stroke spread evenly from StrokeIndex to StrokeIndex + 1.
            const double span = last - StrokeStartRow;
            for (std::uint32_t i = StrokeStartRow; i <= last; ++i) {
                const double z = StrokeIndex + (i - StrokeStartRow) / span;
                const int r = static_cast<int>(i);
                DepTable->SetData(colLayer, r, Cell(z));
                DepTable->SetData(colTransferPerLayer, r, Cell(z != 0 ? DepTable->GetData(colTransfer, r) / z : 0));
            }
            firstChanged = StrokeStartRow;
        }
    }
    LastDipperPos = Point.dipperPos;
    std::vector<float> values = Common;
    values[colDTA] = Cell(change);
    values.insert(values.end(), {Cell(length), Cell(transfer), Cell(layer), Cell(layer != 0 ? transfer / layer : 0)});
    AddRow(*DepTable, values);
    return firstChanged;
}

// +1 when the dipper's counts grow downward, -1 when they grow upward. Which way they run
// depends on the drive's mounting, so it is read off the two levels: the lower one lies
// further down. Equal levels keep counts growing downward.
int TFDepositionCtrl::DownwardSense() const
{
    const int up = FDepFB ? FDepFB->DipperUpLimit : 0;
    const int down = FDepFB ? FDepFB->DipperDownLimit : 0;
    return down >= up ? 1 : -1;
}

// The stroke number plus the part of the stroke's span the dipper has passed; X, Y and HP
// go down on even strokes from the upper level, Z the other way round.
double TFDepositionCtrl::LayerOf(const TDepositionPoint& Point)
{
    const int up = FDepFB ? FDepFB->DipperUpLimit : 0;
    const int down = FDepFB ? FDepFB->DipperDownLimit : 0;
    const double span = std::abs(static_cast<double>(down) - up);
    if (span == 0) return StrokeIndex;
    const bool even = StrokeIndex % 2 == 0;
    const bool fromUpper = (DepositionType() == dtpZ) != even;
    const auto position = static_cast<std::int32_t>(Point.dipperPos);
    const double depth =
        DownwardSense() * (fromUpper ? static_cast<double>(position) - up : static_cast<double>(down) - position);
    return StrokeIndex + std::clamp(depth, 0.0, span) / span;
}

void TFDepositionCtrl::ShowPointStatus(const TDepositionPoint& Point, double Seconds)
{
    if (FDepPosInfo) {
        FDepPosInfo->SetDipPos(2, static_cast<int>(Point.dipperPos));
        FDepPosInfo->SetWorkArea(CalibrateParam.surface.PositionToArea(Point.barrier1Pos, Point.barrier2Pos));
    }
    (*StatusLines)[2] = ElapsedTimeText(Seconds);
    const int type = DepositionType();
    if (type == dtpHP || type == dtpManual) {
        StatusText = cbbDepositionType->Items()[type];
    } else {
        const std::uint32_t phase = Continuing ? phaseSubstanceOver : (Point.phase > phasePauseAbove ? 0 : Point.phase);
        std::string pause = " ";
        if (!Continuing && (phase == phasePauseBelow || phase == phasePauseAbove)) {
            char text[32];
            std::snprintf(text, sizeof text, " %02u:%02u", Point.pauseLeft / 60, Point.pauseLeft % 60);
            pause = text;
        }
        StatusText = Translated(PhaseNames[phase]) + pause;
    }
    SetStatusLine(3, StatusText);
}

void TFDepositionCtrl::ProcessFinished(int Stroke)
{
    if (!NoticeIsOurs(false)) return;
    const int type = DepositionType();
    // The stroke types report every finished stroke; HP and Manual end at the first report.
    const bool strokes = type == dtpX || type == dtpY || type == dtpZ;
    if (strokes && static_cast<std::uint16_t>(Stroke) < NumStrokes - 1) return;
    CloseRun();
    FinishRun();
}

void TFDepositionCtrl::CloseRun()
{
    // The rows since the last announcement reach the register and the graphs before the
    // tables close: a run's last rows are never left out of its graphs.
    CheckGraph();
    if (DepTable && FDepositionFirstNew < static_cast<std::uint32_t>(DepTable->GetNumRows()))
        AnnounceRows(*DepTable, DepGraph, FDepositionFirstNew, static_cast<std::uint32_t>(DepTable->GetNumRows() - 1),
                     true);
    if (PressureTable && FPressureFirstNew < static_cast<std::uint32_t>(PressureTable->GetNumRows()))
        AnnounceRows(*PressureTable, IsoGraph, FPressureFirstNew,
                     static_cast<std::uint32_t>(PressureTable->GetNumRows() - 1), true);
    ClosePressureControlTable();
    CloseTable();
    Continuing = false;
    // A confirmation box left open would send "go on" to a run that has ended.
    if (FMsg && FMsg->btnOk->OnClick) {
        FMsg->Hide();
        FMsg->btnOk->OnClick = nullptr;
        FMsg->btnCancel->OnClick = nullptr;
    }
    SetStatusLine(3, "");
    if (FDepPosInfo) FDepPosInfo->Hide();
}

void TFDepositionCtrl::SubstanceOver(int Value)
{
    if (!NoticeIsOurs(false)) return;
    if (Value != 0) {
        BBStopClick(nullptr);
        MessageDlg(Translated("No substance. Please, add the substance\nand start process again."), mtInformation,
                   mbOK);
        return;
    }
    Continuing = true;
    const int answer =
        MessageDlg(Translated("Compound is consumed.\nReturn barrier to start position?"), mtInformation, mbYes | mbNo);
    // The box kept messages flowing: the run may have ended meanwhile.
    if (!NoticeIsOurs(false)) return;
    if (answer != mrYes) {
        BBStopClick(nullptr);
        return;
    }
    TrimForContinuation();
    HlProvider.ContinueDeposition();
    if (!FMsg) return;
    FMsg->btnOk->SetEnabled(false);
    FMsg->btnOk->OnClick = [this](TObject* Sender) { MsgButtonClick(Sender); };
    FMsg->btnCancel->OnClick = [this](TObject* Sender) { MsgButtonClick(Sender); };
    FMsg->Show();
}

void TFDepositionCtrl::TrimForContinuation()
{
    // Manual runs keep every row: the window counts their strokes itself.
    if (DepTable && DepositionType() != dtpManual) {
        int rows = DepTable->GetNumRows();
        if (StrokeIndex == 0) {
            rows = 0;
        } else {
            if (rows > 0) --rows;
            while (rows > 0 && DepTable->GetData(colLayer, rows - 1) > StrokeIndex) --rows;
        }
        DepTable->SetNumRows(rows);
    }
    const int rows = DepTable ? DepTable->GetNumRows() : 0;
    TransferBefore = rows > 0 ? DepTable->GetData(colTransfer, rows - 1) : 0;
    StartArea = 0;
    if (!DepTable) return;
    // The graph loads the shortened table again.
    CheckGraph();
    AnnounceRows(*DepTable, DepGraph, 0, static_cast<std::uint32_t>(std::max(rows - 1, 0)));
    FDepositionFirstNew = static_cast<std::uint32_t>(rows);
}

void TFDepositionCtrl::EnableContinue()
{
    if (FMsg) FMsg->btnOk->SetEnabled(true);
}

void TFDepositionCtrl::MsgButtonClick(TObject* Sender)
{
    if (!FMsg) return;
    const bool ok = Sender == FMsg->btnOk;
    FMsg->Hide();
    FMsg->btnOk->OnClick = nullptr;
    FMsg->btnCancel->OnClick = nullptr;
    if (ok)
        HlProvider.ContinueDeposition();
    else
        BBStopClick(nullptr);
}

// ---------------------------------------------------------------------------------------

void TFDepositionCtrl::GetParametersText(std::string& Text)
{
    auto pair = [](const std::string& Caption, const std::string& Value) { return Caption + ": " + Value + "\r\n"; };
    Text = "Deposition parameters\r\n";
    Text += pair(LBNumOfCycles->GetCaption(), SENumCycles->GetText());
    Text += pair(LBPlateArea->GetCaption(), SEPlateArea->GetText());
    Text += pair(CBKeepPressureControl->GetCaption(), CBKeepPressureControl->GetChecked() ? "yes" : "no");
    Text += pair(lblMethod->GetCaption(), SelectedText(cbbDepositionType));
    Text += pair("Up Pos", SEUpperLimit->GetText());
    Text += pair("Up Speed", SESpeedUp->GetText());
    Text += pair("Up Wait", SEWaitWhenUp->GetText());
    Text += pair("Down Pos", SELowerLimit->GetText());
    Text += pair("Down Speed", SESpeedDown->GetText());
    Text += pair("Down Wait", SEWaitWhenDown->GetText());
    Text += pair(lblDipperMode->GetCaption(), SelectedText(CBDepositionMethod));
    const std::pair<TLabel*, TRxSpinEdit*> fields[] = {
        {LBStep, SEStep},
        {LBDelay, SEDelay},
        {LBBarrierSpeed, SEBarrierSpeed},
        {LBPressure, SEPressure},
    };
    for (const auto& [label, field] : fields)
        if (field->GetEnabled()) Text += pair(label->GetCaption(), field->GetText());
    Text += "\r\n";
}
