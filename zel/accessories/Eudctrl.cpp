#include "zel/accessories/Eudctrl.h"

#include "platform/ui/ControlBuilder.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"

TFEudCtrl* FEudCtrl = nullptr;

TFEudCtrl::TFEudCtrl(TComponent* Owner) : TProcessWindow(Owner, TToolWindowKind::Eud, pkEUD, "EUD", 4)
{
    Name = "FEudCtrl";
    SetCaption("EUD");
    TRowForm form(this, this);
    grpGeneral = form.Group("grpGeneral", "General", 1);
    edNumCycles = form.Entry(grpGeneral, lblNumCycles, "lblNumCycles", "Number of cycles", "edNumCycles", 0, 0, 1);
    SetSpinRange(edNumCycles, 1, 1000, 1);

    grpPressure = form.Group("grpPressure", "Pressure (mN/m)", 2);
    edPrePressure = form.Entry(grpPressure, lblPrePressure, "lblPrePressure", "Pre-pressure", "edPrePressure", 0, 2, 0);
    edOperatingPressure = form.Entry(grpPressure, lblOperatingPressure, "lblOperatingPressure", "Operating Pressure",
                                     "edOperatingPressure", 1, 2, 0);

    grpDoser = form.Group("grpDoser", "Doser", 3);
    chkUsingDoser =
        MakeControl<TCheckBox>(this, grpDoser, "chkUsingDoser", "Using Doser", 8, TRowForm::RowTop(0), 150, 20);
    chkUsingDoser->SetChecked(true);
    edDoserSpeed =
        form.Entry(grpDoser, lblDoserSpeed, "lblDoserSpeed", "Doser Speed (ml/min)", "edDoserSpeed", 1, 4, 0);
    edDoserLimit = form.Entry(grpDoser, lblDoserLimit, "lblDoserLimit", "Doser Limit", "edDoserLimit", 2, 2, 0);
    SetSpinRange(edDoserLimit, 0, 100, 0);

    grpBarrier = form.Group("grpBarrier", "Barrier", 3);
    edBarrierStartPos = form.Entry(grpBarrier, lblBarrierStartPos, "lblBarrierStartPos", "Start Position, mm",
                                   "edBarrierStartPos", 0, 2, 0);
    edBarrierSpeed =
        form.Entry(grpBarrier, lblBarrierSpeed, "lblBarrierSpeed", "Barrier Speed (mm/s)", "edBarrierSpeed", 1, 3, 0);
    edBarrierLimit =
        form.Entry(grpBarrier, lblBarrierLimit, "lblBarrierLimit", "Barrier Limit", "edBarrierLimit", 2, 2, 0);

    grpTape = form.Group("grpTape", " Tape ", 3);
    lblTapeDirection = AccessoryRows.Label(this, grpTape, "lblTapeDirection", "Direction", TRowForm::RowTop(0));
    cbbTapeDirection = AccessoryRows.List(this, grpTape, "cbbTapeDirection", TRowForm::RowTop(0), {"CW", "CCW"});
    edTapeSpeed = form.Entry(grpTape, lblTapeSpeed, "lblTapeSpeed", "Speed (mm/s)", "edTapeSpeed", 1, 4, 0);
    edTapeLimit = form.Entry(grpTape, lblTapeLimit, "lblTapeLimit", "Tape Limit", "edTapeLimit", 2, 2, 0);
    SetSpinRange(edTapeLimit, 0, 100, 0);

    btnGo = form.StartButton(this);
    btnGo->OnClick = [this](TObject* Sender) { btnGoClick(Sender); };
    FEudCtrl = this;
}

TFEudCtrl::~TFEudCtrl()
{
    if (FEudCtrl == this) FEudCtrl = nullptr;
}

// The bounds the calibration gives; the values are brought into them when the settings
// are read.
void TFEudCtrl::PrepareWindow()
{
    TCalibrateParam& c = CalibrateParam;
    const struct {
        TRxSpinEdit* Edit;
        double Min, Max;
    } bounds[] = {
        {edPrePressure, c.ballance.GetShMin(), c.ballance.GetShMax()},
        {edOperatingPressure, c.ballance.GetShMin(), c.ballance.GetShMax()},
        {edDoserSpeed, c.doser.GetMinSpeed(), c.doser.GetMaxSpeed()},
        {edBarrierStartPos, c.barrier1.GetShMin(), c.barrier1.GetShMax()},
        {edBarrierSpeed, c.barrier1.GetMinSpeed(), c.barrier1.GetMaxSpeed()},
        {edBarrierLimit, c.barrier1.GetShMin(), c.barrier1.GetShMax()},
        {edTapeSpeed, c.tape.GetMinSpeed(), c.tape.GetMaxSpeed()},
    };
    for (const auto& b : bounds) {
        b.Edit->SetMinValue(b.Min);
        b.Edit->SetMaxValue(b.Max);
    }
}

std::vector<TCaptionTarget> TFEudCtrl::CaptionTargets()
{
    std::vector<TCaptionTarget> targets = TProcessWindow::CaptionTargets();
    for (TControl* control : std::initializer_list<TControl*>{
             grpGeneral, lblNumCycles, grpPressure, lblPrePressure, lblOperatingPressure, grpDoser, chkUsingDoser,
             lblDoserSpeed, lblDoserLimit, grpBarrier, lblBarrierStartPos, lblBarrierSpeed, lblBarrierLimit, grpTape,
             lblTapeDirection, lblTapeSpeed, lblTapeLimit, btnGo})
        targets.push_back(CaptionOf(control));
    return targets;
}

std::vector<TStoredSetting> TFEudCtrl::StoredValues()
{
    return {
        {"NumCycles", edNumCycles, nullptr, nullptr, true},
        {"PrePressure", edPrePressure, nullptr},
        {"OperatingPressure", edOperatingPressure, nullptr},
        {"UsingDoser", nullptr, nullptr, chkUsingDoser},
        {"DoserSpeed", edDoserSpeed, nullptr},
        {"DoserLimit", edDoserLimit, nullptr},
        {"BarrierStartPos", edBarrierStartPos, nullptr},
        {"BarrierSpeed", edBarrierSpeed, nullptr},
        {"BarrierLimit", edBarrierLimit, nullptr},
        {"TapeDirection", nullptr, cbbTapeDirection},
        {"TapeSpeed", edTapeSpeed, nullptr},
        {"TapeLimit", edTapeLimit, nullptr},
    };
}

void TFEudCtrl::LoadValues() { LoadStoredSettings(Pattern().SettingsSection, StoredValues()); }

void TFEudCtrl::SaveValues() { SaveStoredSettings(Pattern().SettingsSection, StoredValues()); }

void TFEudCtrl::EnableRun(bool Enable)
{
    btnGo->SetEnabled(Enable);
    btnGo->SetVisible(Enable);
}

void TFEudCtrl::UpdateDoserLimits() { CopyDoserLimits(edDoserSpeed); }

// The doser's speed and limit go out whether or not the doser is used; the limits are
// absolute positions of their drives.
void TFEudCtrl::btnGoClick(TObject*)
{
    EnableRun(false);
    if (!PrepareRun(GetResString("EUD", "EUD"))) return;
    TCalibrateParam& c = CalibrateParam;
    THlProvider& p = HlProvider;
    const auto counts = [](double Value) { return DoubleToInt32(Value); };
    p.SetEudPrePressure(counts(c.ballance.SPToHw(edPrePressure->GetValue())));
    p.SetEudOperatingPressure(counts(c.ballance.SPToHw(edOperatingPressure->GetValue())));
    p.SetEudUseDoser(chkUsingDoser->GetChecked() ? 1 : 0);
    p.SetEudDoserSpeed(counts(c.doser.SpeedToCode(edDoserSpeed->GetValue())));
    p.SetEudDoserLimit(counts(c.doser.ShToHw(edDoserLimit->GetValue())));
    p.SetEudBarrierStartPosition(counts(c.barrier1.ShToHw(edBarrierStartPos->GetValue())));
    p.SetEudBarrierSpeed(counts(c.barrier1.SpeedToCode(edBarrierSpeed->GetValue())));
    p.SetEudBarrierLimit(counts(c.barrier1.ShToHw(edBarrierLimit->GetValue())));
    p.SetEudTapeDir(cbbTapeDirection->GetItemIndex());
    p.SetEudTapeSpeed(counts(c.tape.SpeedToCode(edTapeSpeed->GetValue())));
    p.SetEudTapeLimit(counts(c.tape.ShToHw(edTapeLimit->GetValue())));
    p.StartEUD();
    SetProcess(pkEUD);
}
