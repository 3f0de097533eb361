#include "zel/trough/Udippingcontrol.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>

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
        Lines.push_back(ScriptCountLine("repeat", count));
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

constexpr TEntryColumns DippingRows{
    .LabelLeft = 8, .LabelWidth = 120, .EntryLeft = 130, .EntryWidth = 80, .LabelDrop = 2};
constexpr int RowHeight = 26, GroupWidth = 232;

// The bounds and first value of an entry.
struct TEntryRange {
    double Min, Max, Value;
};

// One row of a group: a caption and its entry, which steps by its last decimal. An entry
// without a range takes any value.
struct TDippingRow {
    TLabel*& Label;
    const char* LabelName;
    const char* Text;
    TRxSpinEdit*& Edit;
    const char* EditName;
    int Decimals;
    std::optional<TEntryRange> Range;
};

// A stored value; a missing key, a text that is no number or a number outside the
// field's bounds leaves the field as it is: what the file holds reaches a script only
// when the field itself could hold it.
bool WithinBounds(const TRxSpinEdit* Edit, double Value)
{
    return Value >= Edit->GetMinValue() && Value <= Edit->GetMaxValue();
}

void ReadFloatInto(TRxSpinEdit* Edit, const char* Key)
{
    const std::string text = IniFile->ReadString(Section, Key, "");
    if (text.empty()) return;
    try {
        const double value = ConvertString2Float(text);
        if (WithinBounds(Edit, value)) Edit->SetValue(value);
    } catch (const EConvertError&) {
    }
}

void ReadIntegerInto(TRxSpinEdit* Edit, const char* Key)
{
    // Every whole-number field's bounds lie within an int's.
    Edit->SetValue(IniFile->ReadIntegerInRange(Section, Key, Edit->AsInteger(), static_cast<int>(Edit->GetMinValue()),
                                               static_cast<int>(Edit->GetMaxValue())));
}

}  // namespace

TFDippingCtrl::TFDippingCtrl(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::Dipping)
{
    SetUpForm(this, "FDippingCtrl", "Dipping", fsStayOnTop, bsToolWindow);

    const auto group = [this](TGroupBox*& Group, const char* Name, const char* Caption, int Top,
                              std::initializer_list<TDippingRow> Rows) {
        Group = MakeControl<TGroupBox>(this, this, Name, Caption, 4, Top, GroupWidth,
                                       20 + RowHeight * static_cast<int>(Rows.size()));
        int top = 18;
        for (const TDippingRow& row : Rows) {
            row.Label = DippingRows.Label(this, Group, row.LabelName, row.Text, top);
            row.Edit = DippingRows.Entry(this, Group, row.EditName, top, row.Decimals, LastDecimalStep(row.Decimals));
            if (row.Range) SetSpinRange(row.Edit, row.Range->Min, row.Range->Max, row.Range->Value);
            top += RowHeight;
        }
    };
    constexpr TEntryRange limitRange{-100000, 100000, 0}, waitRange{0, 100000, 0};
    group(GBGeneral, "GBGeneral", "General", 4,
          {{lblNumCycles, "lblNumCycles", "Number of cycles", SENumCycles, "SENumCycles", 0, TEntryRange{1, 1000, 1}},
           {lblPlateArea, "lblPlateArea", "Plate Area (mm^2)", SEPlateArea, "SEPlateArea", 0,
            TEntryRange{1, 1000000, 1}}});
    group(GBUpperLimit, "GBUpperLimit", "Upper Limit", 80,
          {{lblUpperLimit, "lblUpperLimit", "Upper Limit (mm)", SEUpperLimit, "SEUpperLimit", 1, limitRange},
           {lblSpeedUp, "lblSpeedUp", "Speed Up (mm/min)", SESpeedUp, "SESpeedUp", 2, std::nullopt},
           {lblWaitWhenUp, "lblWaitWhenUp", "Wait When Up (s)", SEWaitWhenUp, "SEWaitWhenUp", 0, waitRange}});
    group(GBLowerLimit, "GBLowerLimit", "Lower Limit", 182,
          {{lblLowerLimit, "lblLowerLimit", "Lower Limit (mm)", SELowerLimit, "SELowerLimit", 1, limitRange},
           {lblSpeedDown, "lblSpeedDown", "Speed Down (mm/min)", SESpeedDown, "SESpeedDown", 2, std::nullopt},
           {lblWaitWhenDown, "lblWaitWhenDown", "Wait When Down (s)", SEWaitWhenDown, "SEWaitWhenDown", 0, waitRange}});

    GBDippingMethod = MakeControl<TGroupBox>(this, this, "GBDippingMethod", "Dipping Method", 4, 284, GroupWidth, 48);
    CBDippingMethod = MakeDropDownList(this, GBDippingMethod, "CBDippingMethod", 8, 18, 200,
                                       {std::begin(MethodItems), std::end(MethodItems)}, methodConstant);
    CBDippingMethod->OnChange = [this](TObject* Sender) { CBDippingMethodClick(Sender); };

    // A delay holds the dipper as long as a wait may: a negative one has no meaning.
    group(GBParam, "GBParam", "Dipping Parameters", 336,
          {{lblStep, "lblStep", "Step (mm)", SEStep, "SEStep", 1, TEntryRange{0.1, 0.1, 0.1}},
           {lblDelay, "lblDelay", "Delay (s)", SEDelay, "SEDelay", 0, waitRange}});

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
    // A speed starts inside the dipper's speeds: a fresh field's 0 would stand the dipper.
    for (TRxSpinEdit* speed : {SESpeedUp, SESpeedDown})
        SetSpinRange(speed, c.dipper.GetMinSpeed(), c.dipper.GetMaxSpeed(), speed->GetValue());
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
