#include "zel/accessories/Ufeedbackdeposition.h"

#include "platform/ui/ControlBuilder.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"

namespace {
constexpr int ParamsTop = 4, ParamsHeight = 6 * 26 + 28, SensorsHeight = 80;
}

TFeedbackDepositionWindow::TFeedbackDepositionWindow(TComponent* Owner, const TAccessoryProcess& Process,
                                                     const TFeedbackWords& Words, const char* GroupName)
    : TAccessoryWindow(Owner, Process), FWords(Words)
{
    grpParams = MakeControl<TGroupBox>(this, this, GroupName, " Parameters ", 4, ParamsTop, 260, ParamsHeight);
    lblDirection = AccessoryRows.Label(this, grpParams, "lblDirection", "Direction", 18);
    cbbDirection = AccessoryRows.List(this, grpParams, "cbbDirection", 18, {"CW", "CCW"});
    lblSpeed = AccessoryRows.Label(this, grpParams, "lblSpeed", "Speed (rpm)", 44);
    edSpeed = AccessoryRows.Entry(this, grpParams, "edSpeed", 44, 5, 0.00001);
    lblPressure = AccessoryRows.Label(this, grpParams, "lblPressure", "Pressure (mN/m)", 70);
    edPressure = AccessoryRows.Entry(this, grpParams, "edPressure", 70, 1, 0.1);
    edPressure->SetValue(0.1);
    lblRangePressure = AccessoryRows.Label(this, grpParams, "lblRangePressure", "Range pressure(mN/m)", 96);
    edRangePressure = AccessoryRows.Entry(this, grpParams, "edRangePressure", 96, 1, 0.1);
    lblSpeedFeedback = AccessoryRows.Label(this, grpParams, "lblSpeedFeedback", "Speed feedback(mm/s)", 122);
    edSpeedFeedback = AccessoryRows.Entry(this, grpParams, "edSpeedFeedback", 122, 3, 0.001);
    lblSpeedApproach = AccessoryRows.Label(this, grpParams, "lblSpeedApproach", "Speed approach(mm/s)", 148);
    edSpeedApproach = AccessoryRows.Entry(this, grpParams, "edSpeedApproach", 148, 3, 0.01);

    for (TRxSpinEdit* edit : {edSpeed, edSpeedFeedback, edSpeedApproach})
        edit->OnExit = [this](TObject* Sender) { edSpeedExit(Sender); };
    edSpeed->OnTopClick = [this](TObject* Sender) { edSpeedTopClick(Sender); };
    edSpeed->OnBottomClick = [this](TObject* Sender) { edSpeedBottomClick(Sender); };
    for (TRxSpinEdit* edit : {edSpeedFeedback, edSpeedApproach}) {
        edit->OnTopClick = [this](TObject* Sender) { edSpeedFeedbackTopClick(Sender); };
        edit->OnBottomClick = [this](TObject* Sender) { edSpeedFeedbackBottomClick(Sender); };
    }
    edPressure->OnExit = [this](TObject* Sender) { edPressureExit(Sender); };
    for (TRxSpinEdit* edit : {edPressure, edSpeedFeedback, edSpeedApproach})
        edit->OnKeyUp = [this](TObject* Sender, WORD& Key, TShiftState Shift) { edPressureKeyUp(Sender, Key, Shift); };

    BuildSensorGroup(ParamsTop + ParamsHeight + 4);
    grpRotbar = BuildPositionGroup(BelowParameters(), false);
    shpRotbarIndicator = Lamp(grpRotbar, "shpRotbarIndicator", 236, 21);
    FLamps.push_back({shpRotbarIndicator, 1});
    // The feedback and approach speeds stay free during a run.
    FLocked = {cbbDirection, edSpeed, edPressure, edRangePressure, btnDoserSensorZero, btnDipperSensorZero};
}

int TFeedbackDepositionWindow::BelowParameters() const { return ParamsTop + ParamsHeight + 4 + SensorsHeight + 4; }

void TFeedbackDepositionWindow::PrepareWindow()
{
    TCalibrateParam& c = CalibrateParam;
    edSpeed->SetMinValue(c.rotatingBarrier.GetMinSpeed());
    edSpeed->SetMaxValue(c.rotatingBarrier.GetMaxSpeed());
    for (TRxSpinEdit* edit : {edPressure, edRangePressure}) {
        edit->SetMinValue(c.ballance.GetShMin());
        edit->SetMaxValue(c.ballance.GetShMax());
    }
    for (TRxSpinEdit* edit : {edSpeedFeedback, edSpeedApproach}) {
        edit->SetMinValue(c.barrier1.GetMinSpeed());
        edit->SetMaxValue(c.barrier1.GetMaxSpeed());
    }
}

void TFeedbackDepositionWindow::ApplyRules() { edPressureExit(edPressure); }

std::vector<TAccessoryWindow::TStoredValue> TFeedbackDepositionWindow::StoredValues()
{
    return {
        {"Direction", nullptr, cbbDirection},        {"Speed", edSpeed, nullptr},
        {"Pressure", edPressure, nullptr},           {"RangePressure", edRangePressure, nullptr},
        {"SpeedFeedback", edSpeedFeedback, nullptr}, {"SpeedApproach", edSpeedApproach, nullptr},
    };
}

void TFeedbackDepositionWindow::ParameterLines(std::string& Text)
{
    Text += ParameterLine(lblDirection, Shown(cbbDirection));
    const std::pair<TLabel*, TRxSpinEdit*> fields[] = {{lblSpeed, edSpeed},
                                                       {lblPressure, edPressure},
                                                       {lblRangePressure, edRangePressure},
                                                       {lblSpeedFeedback, edSpeedFeedback},
                                                       {lblSpeedApproach, edSpeedApproach}};
    for (const auto& [label, edit] : fields) Text += ParameterLine(label, edit->GetText());
}

void TFeedbackDepositionWindow::SendParameters()
{
    TCalibrateParam& c = CalibrateParam;
    THlProvider& p = HlProvider;
    (p.*FWords.Direction)(cbbDirection->GetItemIndex());
    (p.*FWords.Speed)(DoubleToInt32(c.rotatingBarrier.SpeedToCode(edSpeed->GetValue())));
    (p.*FWords.Pressure)(DoubleToInt32(c.ballance.SPToHw(edPressure->GetValue())));
    (p.*FWords.RangePressure)(DoubleToInt32(c.ballance.ShToHwDelta(edRangePressure->GetValue())));
    (p.*FWords.FeedbackSpeed)(DoubleToInt32(c.barrier1.SpeedToCode(edSpeedFeedback->GetValue())));
    (p.*FWords.ApproachSpeed)(DoubleToInt32(c.barrier1.SpeedToCode(edSpeedApproach->GetValue())));
}

void TFeedbackDepositionWindow::SendStart() { (HlProvider.*FWords.Start)(); }

void TFeedbackDepositionWindow::edSpeedExit(TObject* Sender)
{
    if (Sender == edSpeed) {
        KeepOnDeviceSpeed(edSpeed, CalibrateParam.rotatingBarrier);
        return;
    }
    auto* edit = dynamic_cast<TRxSpinEdit*>(Sender);
    if (edit != edSpeedFeedback && edit != edSpeedApproach) return;
    KeepOnDeviceSpeed(edit, CalibrateParam.barrier1);
    UpdateRunningSpeed(edit);
}

void TFeedbackDepositionWindow::edSpeedTopClick(TObject*)
{
    StepToNearestDeviceSpeed(edSpeed, CalibrateParam.rotatingBarrier, true);
}

void TFeedbackDepositionWindow::edSpeedBottomClick(TObject*)
{
    StepToNearestDeviceSpeed(edSpeed, CalibrateParam.rotatingBarrier, false);
}

void TFeedbackDepositionWindow::edSpeedFeedbackTopClick(TObject* Sender)
{
    UpdateRunningSpeed(dynamic_cast<TRxSpinEdit*>(Sender));
}

void TFeedbackDepositionWindow::edSpeedFeedbackBottomClick(TObject* Sender)
{
    UpdateRunningSpeed(dynamic_cast<TRxSpinEdit*>(Sender));
}

void TFeedbackDepositionWindow::UpdateRunningSpeed(TRxSpinEdit* Edit)
{
    if (!Edit || RunningProcess() != ProcessKind()) return;
    const int code = DoubleToInt32(CalibrateParam.barrier1.SpeedToCode(Edit->GetValue()));
    if (Edit == edSpeedFeedback) (HlProvider.*FWords.FeedbackSpeed)(code);
    if (Edit == edSpeedApproach) (HlProvider.*FWords.ApproachSpeed)(code);
}

void TFeedbackDepositionWindow::edPressureExit(TObject*)
{
    const double pressure = edPressure->GetValue();
    if (edRangePressure->GetValue() > pressure) edRangePressure->SetValue(pressure);
    edRangePressure->SetMaxValue(pressure);
}

void TFeedbackDepositionWindow::edPressureKeyUp(TObject* Sender, WORD& Key, TShiftState)
{
    if (Key != VK_RETURN) return;
    if (Sender == edPressure)
        edPressureExit(Sender);
    else
        edSpeedExit(Sender);
}
