#include "zel/trough/Udippingcontrol.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/kvcls/kvcls.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Dialogs.h"
#include "platform/base/Strings.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Common.h"
#include "zel/core/Instrument.h"
#include "zel/manual/Umanualcontrol.h"
#include "zel/trough/Scripttext.h"
#include "zel/trough/Uscriptctrl.h"

TFDippingCtrl* FDippingCtrl = nullptr;

namespace {

constexpr const char* Section = "DippingControl";
const char* const MethodItems[] = {"Constant dipping", "Dipping with delay"};
enum { methodConstant = 0, methodWithDelay = 1 };

// ---------------------------------------------------------------------------------------
// The script

using TLines = std::vector<std::string>;

std::string Line(const char* Word, double Value) { return ScriptLine(Word, Hundredths(Value)); }
std::string Line(const char* Word, int Value) { return ScriptCountLine(Word, Value); }

// A move over Distance hundredths: in one line, or stepwise with the remainder first and
// then one delayed step per full step.
void WriteMove(TLines& Lines, const char* Word, std::int64_t Distance, const TDippingProgram& P)
{
    if (!P.Stepwise) {
        if (Distance > 0) Lines.push_back(ScriptLine(Word, Distance));
        return;
    }
    const std::int64_t step = std::max<std::int64_t>(1, Hundredths(P.Step));
    const std::int64_t count = Distance / step;
    const std::int64_t remainder = Distance % step;
    if (remainder > 0) Lines.push_back(ScriptLine(Word, remainder));
    if (count > 0) {
        Lines.push_back(Line("repeat", static_cast<int>(count)));
        Lines.push_back(Line("Delay", P.Delay));
        Lines.push_back(ScriptLine(Word, step));
        Lines.push_back("endrepeat");
    }
}

}  // namespace

std::vector<std::string> MakeDippingScript(const TDippingProgram& P)
{
    TLines lines;
    lines.push_back(Line("PlateArea=", P.PlateArea));
    const std::int64_t upper = Hundredths(P.UpperLimit);
    const std::int64_t present = Hundredths(P.DipperPosition);
    if (upper != present) {
        // The dipper goes to the upper limit before recording starts.
        const bool down = upper < present;
        lines.push_back("info Positioning...");
        lines.push_back("RecordOff");
        lines.push_back(Line("DipperSpeed=", down ? P.SpeedDown : P.SpeedUp));
        WriteMove(lines, down ? "DipperMoveDown" : "DipperMoveUp", std::llabs(present - upper), P);
        lines.push_back(Line("Pause", down ? P.WaitWhenDown : P.WaitWhenUp));
    }
    const std::int64_t height = std::llabs(Hundredths(P.LowerLimit) - upper);
    lines.push_back("RecordOn");
    lines.push_back("DipperZero");
    lines.push_back(ScriptLine("DipperHeight=", height));
    if (P.NumCycles > 1) lines.push_back(Line("repeat", P.NumCycles));
    lines.push_back("info Move down");
    lines.push_back(Line("DipperSpeed=", P.SpeedDown));
    WriteMove(lines, "DipperMoveDown", height, P);
    lines.push_back(Line("Pause", P.WaitWhenDown));
    lines.push_back("NewLayer");
    lines.push_back("info Move up");
    lines.push_back(Line("DipperSpeed=", P.SpeedUp));
    WriteMove(lines, "DipperMoveUp", height, P);
    lines.push_back(Line("Pause", P.WaitWhenUp));
    lines.push_back("NewLayer");
    if (P.NumCycles > 1) lines.push_back("endrepeat");
    return lines;
}

// ---------------------------------------------------------------------------------------
// The window

namespace {

TRxSpinEdit* Entry(TComponent* Owner, TWinControl* Parent, const char* Name, int Top, TValueType Type, int Decimals)
{
    auto* edit = MakeControl<TRxSpinEdit>(Owner, Parent, Name, "", 130, Top, 80, 21);
    edit->SetValueType(Type);
    if (Type == vtFloat) {
        edit->SetDecimal(Decimals);
        edit->Increment = Decimals == 1 ? 0.1 : 0.01;
    }
    return edit;
}

void SetRange(TRxSpinEdit* Edit, double Min, double Max, double Value)
{
    Edit->SetMinValue(Min);
    Edit->SetMaxValue(Max);
    Edit->SetValue(Value);
}

TLabel* Caption(TComponent* Owner, TWinControl* Parent, const char* Name, const char* Text, int Top)
{
    return MakeControl<TLabel>(Owner, Parent, Name, Text, 8, Top + 2, 120, 16);
}

// A stored value; a missing key, or a text that is no number, leaves the field as it is.
void ReadFloatInto(TRxSpinEdit* Edit, const char* Key)
{
    const std::string text = IniFile->ReadString(Section, Key, "");
    if (text.empty()) return;
    try {
        Edit->SetValue(ConvertString2Float(text));
    } catch (const EConvertError&) {
    }
}

void ReadIntegerInto(TRxSpinEdit* Edit, const char* Key)
{
    Edit->SetValue(IniFile->ReadInteger(Section, Key, Edit->AsInteger()));
}

}  // namespace

TFDippingCtrl::TFDippingCtrl(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::Dipping)
{
    Name = "FDippingCtrl";
    SetCaption("Dipping");
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsToolWindow);

    GBGeneral = MakeControl<TGroupBox>(this, this, "GBGeneral", "General", 4, 4, 232, 72);
    lblNumCycles = Caption(this, GBGeneral, "lblNumCycles", "Number of cycles", 18);
    SENumCycles = Entry(this, GBGeneral, "SENumCycles", 18, vtInteger, 0);
    SetRange(SENumCycles, 1, 1000, 1);
    lblPlateArea = Caption(this, GBGeneral, "lblPlateArea", "Plate Area (mm^2)", 44);
    SEPlateArea = Entry(this, GBGeneral, "SEPlateArea", 44, vtInteger, 0);
    SetRange(SEPlateArea, 1, 1000000, 1);

    GBUpperLimit = MakeControl<TGroupBox>(this, this, "GBUpperLimit", "Upper Limit", 4, 80, 232, 98);
    lblUpperLimit = Caption(this, GBUpperLimit, "lblUpperLimit", "Upper Limit (mm)", 18);
    SEUpperLimit = Entry(this, GBUpperLimit, "SEUpperLimit", 18, vtFloat, 1);
    SetRange(SEUpperLimit, -100000, 100000, 0);
    lblSpeedUp = Caption(this, GBUpperLimit, "lblSpeedUp", "Speed Up (mm/s)", 44);
    SESpeedUp = Entry(this, GBUpperLimit, "SESpeedUp", 44, vtFloat, 2);
    lblWaitWhenUp = Caption(this, GBUpperLimit, "lblWaitWhenUp", "Wait When Up (s)", 70);
    SEWaitWhenUp = Entry(this, GBUpperLimit, "SEWaitWhenUp", 70, vtInteger, 0);
    SetRange(SEWaitWhenUp, 0, 100000, 0);

    GBLowerLimit = MakeControl<TGroupBox>(this, this, "GBLowerLimit", "Lower Limit", 4, 182, 232, 98);
    lblLowerLimit = Caption(this, GBLowerLimit, "lblLowerLimit", "Lower Limit (mm)", 18);
    SELowerLimit = Entry(this, GBLowerLimit, "SELowerLimit", 18, vtFloat, 1);
    SetRange(SELowerLimit, -100000, 100000, 0);
    lblSpeedDown = Caption(this, GBLowerLimit, "lblSpeedDown", "Speed Down (mm/s)", 44);
    SESpeedDown = Entry(this, GBLowerLimit, "SESpeedDown", 44, vtFloat, 2);
    lblWaitWhenDown = Caption(this, GBLowerLimit, "lblWaitWhenDown", "Wait When Down (s)", 70);
    SEWaitWhenDown = Entry(this, GBLowerLimit, "SEWaitWhenDown", 70, vtInteger, 0);
    SetRange(SEWaitWhenDown, 0, 100000, 0);

    GBDippingMethod = MakeControl<TGroupBox>(this, this, "GBDippingMethod", "Dipping Method", 4, 284, 232, 48);
    CBDippingMethod = MakeControl<TComboBox>(this, GBDippingMethod, "CBDippingMethod", "", 8, 18, 200, 21);
    CBDippingMethod->SetStyle(csDropDownList);
    for (const char* item : MethodItems) CBDippingMethod->AddItem(item);
    CBDippingMethod->SetItemIndex(methodConstant);
    CBDippingMethod->OnChange = [this](TObject* Sender) { CBDippingMethodClick(Sender); };

    GBParam = MakeControl<TGroupBox>(this, this, "GBParam", "Dipping Parameters", 4, 336, 232, 72);
    lblStep = Caption(this, GBParam, "lblStep", "Step (mm)", 18);
    SEStep = Entry(this, GBParam, "SEStep", 18, vtFloat, 1);
    SetRange(SEStep, 0.1, 0.1, 0.1);
    lblDelay = Caption(this, GBParam, "lblDelay", "Delay (s)", 44);
    // Equal bounds: the delay is not clamped.
    SEDelay = Entry(this, GBParam, "SEDelay", 44, vtInteger, 0);

    BBGo = MakeControl<TButton>(this, this, "BBGo", "START", 8, 416, 100, 25);
    BBStop = MakeControl<TButton>(this, this, "BBStop", "Stop", 8, 416, 100, 25);
    // START lies in front of Stop: hiding START uncovers Stop.
    BBGo->BringToFront();
    BBGo->OnClick = [this](TObject* Sender) { BBGoClick(Sender); };
    BBStop->OnClick = [this](TObject* Sender) { BBStopClick(Sender); };
    SetBounds(0, 0, 248, 452);

    // The method rule follows once the stored values are in.
    TNotifyEvent patternCreate = OnCreate;
    OnCreate = [this, patternCreate](TObject* Sender) {
        patternCreate(Sender);
        CBDippingMethodClick(Sender);
    };
    FDippingCtrl = this;
}

TFDippingCtrl::~TFDippingCtrl()
{
    if (FDippingCtrl == this) FDippingCtrl = nullptr;
}

void TFDippingCtrl::PrepareWindow()
{
    TCalibrateParam& c = CalibrateParam;
    if (FManualCtrl) {
        SEUpperLimit->SetValue(c.dipper.HwToSh(FManualCtrl->DipperUpLimit));
        SELowerLimit->SetValue(c.dipper.HwToSh(FManualCtrl->DipperDownLimit));
    }
    for (TRxSpinEdit* speed : {SESpeedUp, SESpeedDown}) {
        speed->SetMinValue(c.dipper.GetMinSpeed());
        speed->SetMaxValue(c.dipper.GetMaxSpeed());
    }
    // A fifth of the barrier's travel.
    SEStep->SetMaxValue(0.2 * (c.barrier1.GetShMax() - c.barrier1.GetShMin()));
}

std::vector<TCaptionTarget> TFDippingCtrl::CaptionTargets()
{
    std::vector<TCaptionTarget> targets = TToolWindow::CaptionTargets();
    for (TControl* c : std::initializer_list<TControl*>{GBGeneral, lblNumCycles, lblPlateArea, GBUpperLimit,
                                                        lblUpperLimit, lblSpeedUp, lblWaitWhenUp, GBLowerLimit,
                                                        lblLowerLimit, lblSpeedDown, lblWaitWhenDown, GBDippingMethod})
        targets.push_back(CaptionOf(c));
    targets.push_back(ItemText(CBDippingMethod, 0));
    targets.push_back(ItemText(CBDippingMethod, 1));
    for (TControl* c : std::initializer_list<TControl*>{GBParam, lblStep, lblDelay, BBGo, BBStop})
        targets.push_back(CaptionOf(c));
    return targets;
}

void TFDippingCtrl::LoadValues()
{
    ReadIntegerInto(SENumCycles, "NumCycles");
    ReadIntegerInto(SEPlateArea, "PlateArea");
    ReadFloatInto(SEUpperLimit, "UpperLimit");
    ReadFloatInto(SESpeedUp, "SpeedUp");
    ReadIntegerInto(SEWaitWhenUp, "WaitWhenUp");
    ReadFloatInto(SELowerLimit, "LowerLimit");
    ReadFloatInto(SESpeedDown, "SpeedDown");
    ReadIntegerInto(SEWaitWhenDown, "WaitWhenDown");
    const int method = IniFile->ReadInteger(Section, "DippingMethod", CBDippingMethod->GetItemIndex());
    if (method == methodConstant || method == methodWithDelay) CBDippingMethod->SetItemIndex(method);
    ReadFloatInto(SEStep, "Step");
    ReadIntegerInto(SEDelay, "Delay");
}

void TFDippingCtrl::SaveValues()
{
    IniFile->WriteInteger(Section, "NumCycles", SENumCycles->AsInteger());
    IniFile->WriteInteger(Section, "PlateArea", SEPlateArea->AsInteger());
    IniFile->WriteFloat(Section, "UpperLimit", SEUpperLimit->GetValue());
    IniFile->WriteFloat(Section, "SpeedUp", SESpeedUp->GetValue());
    IniFile->WriteInteger(Section, "WaitWhenUp", SEWaitWhenUp->AsInteger());
    IniFile->WriteFloat(Section, "LowerLimit", SELowerLimit->GetValue());
    IniFile->WriteFloat(Section, "SpeedDown", SESpeedDown->GetValue());
    IniFile->WriteInteger(Section, "WaitWhenDown", SEWaitWhenDown->AsInteger());
    IniFile->WriteInteger(Section, "DippingMethod", CBDippingMethod->GetItemIndex());
    IniFile->WriteFloat(Section, "Step", SEStep->GetValue());
    IniFile->WriteInteger(Section, "Delay", SEDelay->AsInteger());
}

void TFDippingCtrl::CBDippingMethodClick(TObject*)
{
    const bool withDelay = CBDippingMethod->GetItemIndex() == methodWithDelay;
    SetEnabledWithColour(SEStep, withDelay);
    SetEnabledWithColour(SEDelay, withDelay);
}

TDippingProgram TFDippingCtrl::Program() const
{
    TDippingProgram p;
    p.NumCycles = SENumCycles->AsInteger();
    p.PlateArea = SEPlateArea->GetValue();
    p.UpperLimit = SEUpperLimit->GetValue();
    p.LowerLimit = SELowerLimit->GetValue();
    p.SpeedUp = SESpeedUp->GetValue();
    p.SpeedDown = SESpeedDown->GetValue();
    p.WaitWhenUp = SEWaitWhenUp->AsInteger();
    p.WaitWhenDown = SEWaitWhenDown->AsInteger();
    p.Stepwise = CBDippingMethod->GetItemIndex() == methodWithDelay;
    p.Step = SEStep->GetValue();
    p.Delay = SEDelay->AsInteger();
    p.DipperPosition = CalibrateParam.dipper.HwToSh(static_cast<int>(DeviceState.dipperPos));
    return p;
}

void TFDippingCtrl::BBGoClick(TObject*)
{
    if (SEUpperLimit->GetText() == SELowerLimit->GetText()) {
        const char* text = "Error: Lower limit equal Upper limit!";
        MessageDlg(GetResString(text, text), mtError, mbOK);
        return;
    }
    if (!FScriptCtrl) return;
    TStringList lines;
    for (const std::string& line : MakeDippingScript(Program())) lines.Add(line);
    FScriptCtrl->SetScript(&lines);
    FScriptCtrl->BBGo->Click();
}

void TFDippingCtrl::BBStopClick(TObject*)
{
    if (FScriptCtrl) FScriptCtrl->BBStop->Click();
}
