// TFFilmPreparation: film preparation. The instrument spreads the substance over a chosen
// area of the trough with the syringe doser or the peristaltic pump, in steps of a volume
// with a wait between them, and moves the barriers at their opening and closing speeds.
// The window sends the parameters and the start word and offers Stop; it records nothing,
// and the instrument's notices of the process change nothing in the program.
#pragma once
#include "zel/accessories/Uaccessorywindow.h"

struct TFilmPrepPoint;
class TMotor;

class TFFilmPreparation : public TToolWindow, public IProcessWindow {
public:
    explicit TFFilmPreparation(TComponent* Owner);
    ~TFFilmPreparation() override;

    TGroupBox* grpGeneral;
    TLabel *lblSquare, *lblPressure;
    TRxSpinEdit *edSquare, *edPressure;
    TGroupBox* grpBarrierSpeed;
    TLabel *lblOpenningBarrierSpeed, *lblClosingBarrierSpeed;
    TRxSpinEdit *edOpenningBarrierSpeed, *edClosingBarrierSpeed;
    TGroupBox* grpPump;
    TComboBox* cbbPumpType;
    TLabel *lblInjectorVolume, *lblInjectorStep, *lblPause, *lblRate;
    TRxSpinEdit *edInjectorVolume, *edInjectorStep, *edPause, *edRate;
    // START lies in front of Stop: hiding START uncovers Stop.
    TButton *btnGo, *btnStop;

    // The volume, step and rate entries take the ranges of the chosen pump.
    void UpdatePumpRanges();
    void cbbPumpTypeChange(TObject* Sender);
    void btnGoClick(TObject* Sender);
    void btnStopClick(TObject* Sender);

    void ProcessStarted(int) override {}
    void ProcessFinished(int) override {}
    void AddDataRow(const TFilmPrepPoint*) {}
    TControl* StartButton() const override { return btnGo; }

protected:
    void PrepareWindow() override;
    std::vector<TCaptionTarget> CaptionTargets() override;
    void LoadValues() override;
    void SaveValues() override;

private:
    // The doser for the first pump type, the peristaltic pump otherwise.
    TMotor& PumpUnit() const;
    // The settings up to the pump type, and those that depend on the pump's ranges.
    std::vector<TStoredSetting> GeneralValues();
    std::vector<TStoredSetting> PumpValues();
};

extern TFFilmPreparation* FFilmPreparation;
