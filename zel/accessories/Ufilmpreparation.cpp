#include "zel/accessories/Ufilmpreparation.h"

#include "hwzel/hwzel.h"
#include "platform/ui/ControlBuilder.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/Notices.h"

TFFilmPreparation* FFilmPreparation = nullptr;

namespace {

// The area to fill stays within four fifths of the calibrated span above its minimum.
constexpr double FillableShare = 0.8;

}  // namespace

TFFilmPreparation::TFFilmPreparation(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::FilmPreparation)
{
    SetUpForm(this, "FFilmPreparation", "Film Preparation", fsStayOnTop, bsToolWindow);
    HandleNotice(hlnFilmPrepStarted, [this](LPARAM P) { ProcessStarted(NoticeNumber(P)); });
    HandleNotice(hlnFilmPrepFinished, [this](LPARAM P) { ProcessFinished(NoticeNumber(P)); });
    HandleNotice(hlnFilmPrepPoint, [this](LPARAM P) { AddDataRow(NoticeRecord<TFilmPrepPoint>(P)); });

    TRowForm form(this, this);
    grpGeneral = form.Group("grpGeneral", "General", 2);
    edSquare = form.Entry(grpGeneral, lblSquare, "lblSquare", "Square to fill, sq.cm", "edSquare", 0, 0, 0);
    edPressure = form.Entry(grpGeneral, lblPressure, "lblPressure", "Pressure, mN/m", "edPressure", 1, 1, 0);

    grpBarrierSpeed = form.Group("grpBarrierSpeed", "Barrier Speed", 2);
    edOpenningBarrierSpeed = form.Entry(grpBarrierSpeed, lblOpenningBarrierSpeed, "lblOpenningBarrierSpeed",
                                        "Openning, mm/min", "edOpenningBarrierSpeed", 0, 1, 0);
    edClosingBarrierSpeed = form.Entry(grpBarrierSpeed, lblClosingBarrierSpeed, "lblClosingBarrierSpeed",
                                       "Closing, mm/min", "edClosingBarrierSpeed", 1, 1, 0);

    grpPump = form.Group("grpPump", "Pump", 5);
    cbbPumpType = AccessoryRows.List(this, grpPump, "cbbPumpType", TRowForm::RowTop(0), {"Doser", "Peristaltic"});
    cbbPumpType->OnChange = [this](TObject* Sender) { cbbPumpTypeChange(Sender); };
    edInjectorVolume = form.Entry(grpPump, lblInjectorVolume, "lblInjectorVolume", "Injection volume, ml",
                                  "edInjectorVolume", 1, 3, 0.001);
    edInjectorStep =
        form.Entry(grpPump, lblInjectorStep, "lblInjectorStep", "Injection step, ml", "edInjectorStep", 2, 3, 1);
    edPause = form.Entry(grpPump, lblPause, "lblPause", "Wait beetween steps, s", "edPause", 3, 0, 0);
    SetSpinRange(edPause, 0, 100000, 0);
    edRate = form.Entry(grpPump, lblRate, "lblRate", "Rate, ml/min", "edRate", 4, 3, 0);

    btnGo = form.StartButton(this);
    // START lies in front of Stop.
    btnStop = MakeControl<TButton>(this, this, "btnStop", "Stop", btnGo->GetLeft(), btnGo->GetTop(), btnGo->GetWidth(),
                                   btnGo->GetHeight());
    btnGo->BringToFront();
    btnGo->OnClick = [this](TObject* Sender) { btnGoClick(Sender); };
    btnStop->OnClick = [this](TObject* Sender) { btnStopClick(Sender); };
    FFilmPreparation = this;
}

TFFilmPreparation::~TFFilmPreparation()
{
    if (FFilmPreparation == this) FFilmPreparation = nullptr;
}

// The bounds of the area, the pressure and the barrier speeds come from the calibration
// and leave the values as they are until the settings are read.
void TFFilmPreparation::PrepareWindow()
{
    TCalibrateParam& c = CalibrateParam;
    const double squareMin = c.surface.GetSquareMin();
    edSquare->SetMinValue(squareMin);
    edSquare->SetMaxValue(squareMin + FillableShare * (c.surface.GetSquareMax() - squareMin));
    edPressure->SetMinValue(c.ballance.GetShMin());
    edPressure->SetMaxValue(c.ballance.GetShMax());
    edOpenningBarrierSpeed->SetMinValue(c.barrier1.GetMinSpeed());
    edOpenningBarrierSpeed->SetMaxValue(c.barrier1.GetMaxSpeed());
    edClosingBarrierSpeed->SetMinValue(c.barrier2.GetMinSpeed());
    edClosingBarrierSpeed->SetMaxValue(c.barrier2.GetMaxSpeed());
    UpdatePumpRanges();
}

TMotor& TFFilmPreparation::PumpUnit() const
{
    TCalibrateParam& c = CalibrateParam;
    if (cbbPumpType->GetItemIndex() == 0) return c.doser;
    return c.perilstaticPump;
}

void TFFilmPreparation::UpdatePumpRanges()
{
    edInjectorVolume->SetMinValue(0.001);
    edInjectorStep->SetMinValue(0.001);
    const int type = cbbPumpType->GetItemIndex();
    if (type != 0 && type != 1) return;
    TMotor& pump = PumpUnit();
    edInjectorVolume->SetMaxValue(pump.GetShMax());
    edInjectorStep->SetMaxValue(pump.GetShMax());
    edRate->SetMinValue(pump.GetMinSpeed());
    edRate->SetMaxValue(pump.GetMaxSpeed());
}

void TFFilmPreparation::cbbPumpTypeChange(TObject*) { UpdatePumpRanges(); }

std::vector<TCaptionTarget> TFFilmPreparation::CaptionTargets()
{
    std::vector<TCaptionTarget> targets = TToolWindow::CaptionTargets();
    for (TControl* control : std::initializer_list<TControl*>{grpGeneral, lblSquare, lblPressure, grpBarrierSpeed,
                                                              lblOpenningBarrierSpeed, lblClosingBarrierSpeed, grpPump})
        targets.push_back(CaptionOf(control));
    targets.push_back(ItemText(cbbPumpType, 0));
    targets.push_back(ItemText(cbbPumpType, 1));
    for (TControl* control :
         std::initializer_list<TControl*>{lblInjectorVolume, lblInjectorStep, lblPause, lblRate, btnGo, btnStop})
        targets.push_back(CaptionOf(control));
    return targets;
}

std::vector<TStoredSetting> TFFilmPreparation::GeneralValues()
{
    return {
        {"Square", edSquare, nullptr, nullptr, true},
        {"Pressure", edPressure, nullptr},
        {"OpenningBarrierSpeed", edOpenningBarrierSpeed, nullptr},
        {"ClosingBarrierSpeed", edClosingBarrierSpeed, nullptr},
        {"PumpType", nullptr, cbbPumpType},
    };
}

std::vector<TStoredSetting> TFFilmPreparation::PumpValues()
{
    return {
        {"InjectorVolume", edInjectorVolume, nullptr},
        {"InjectorStep", edInjectorStep, nullptr},
        {"Pause", edPause, nullptr, nullptr, true},
        {"Rate", edRate, nullptr},
    };
}

// The stored pump type sets the ranges before the pump's values are read, so that a
// peristaltic set-up is not clamped into the doser's ranges.
void TFFilmPreparation::LoadValues()
{
    const std::string section = Pattern().SettingsSection;
    LoadStoredSettings(section, GeneralValues());
    UpdatePumpRanges();
    LoadStoredSettings(section, PumpValues());
}

void TFFilmPreparation::SaveValues()
{
    const std::string section = Pattern().SettingsSection;
    SaveStoredSettings(section, GeneralValues());
    SaveStoredSettings(section, PumpValues());
}

// The instrument takes the area as the position of barrier 1 that encloses it, and the
// pause in whole seconds.
void TFFilmPreparation::btnGoClick(TObject*)
{
    TCalibrateParam& c = CalibrateParam;
    THlProvider& p = HlProvider;
    p.SetFpArea(DoubleToInt32(c.surface.AreaToPosition(edSquare->AsInteger())));
    p.SetFpPressure(DoubleToInt32(c.ballance.SPToHw(edPressure->GetValue())));
    p.SetFpOpenningBarrierSpeed(DoubleToInt32(c.barrier1.SpeedToCode(edOpenningBarrierSpeed->GetValue())));
    p.SetFpClosingBarrierSpeed(DoubleToInt32(c.barrier2.SpeedToCode(edClosingBarrierSpeed->GetValue())));
    p.SetFpPumpType(cbbPumpType->GetItemIndex());
    p.SetFpDelay(edPause->AsInteger());
    TMotor& pump = PumpUnit();
    p.SetFpInjectionVolume(DoubleToInt32(pump.ShToHw(edInjectorVolume->GetValue())));
    p.SetFpInjectionVolumeStep(DoubleToInt32(pump.ShToHwDelta(edInjectorStep->GetValue())));
    p.SetFpPumpSpeed(DoubleToInt32(pump.SpeedToCode(edRate->GetValue())));
    p.StartFilmPreparation();
    // The process kind hides START here and in every process window, which shows Stop.
    SetProcess(pkFilmPreparation);
}

// Only the instrument's process is stopped: START hidden means a process runs.
void TFFilmPreparation::btnStopClick(TObject*)
{
    if (btnGo->GetVisible()) return;
    HlProvider.ProcessStop();
    SetProcess(pkNone);
}
