// TFDippingCtrl: a dipping run: the dipper moves a substrate between an upper and a lower
// limit a number of times, in one go or in steps with delays, pausing at each end. The
// window runs nothing itself: START writes a script of dipper statements into the script
// window and presses its START; Stop presses the script window's Stop.
#pragma once
#include <string>
#include <vector>
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"

// What a dipping script is made of: the operator's values and where the dipper stands.
struct TDippingProgram {
    int NumCycles = 1;
    double PlateArea = 1;
    double UpperLimit = 0, LowerLimit = 0;  // mm
    double SpeedUp = 0, SpeedDown = 0;      // mm/min
    int WaitWhenUp = 0, WaitWhenDown = 0;   // s
    bool Stepwise = false;                  // "Dipping with delay"
    double Step = 0.1;                      // mm
    int Delay = 0;                          // s before each step
    double DipperPosition = 0;              // mm, where the dipper stands now
};

// The script lines of a dipping run. Distances are worked in hundredths of a millimetre,
// the unit the lines are written in, so that no move of 0.00 is ever written: the
// instrument runs a move of 0 until it is stopped.
std::vector<std::string> MakeDippingScript(const TDippingProgram& Program);

class TFDippingCtrl : public TToolWindow, public IProcessWindow, public IDipperLimitsWindow {
public:
    explicit TFDippingCtrl(TComponent* Owner);
    ~TFDippingCtrl() override;

    TGroupBox *GBGeneral, *GBUpperLimit, *GBLowerLimit, *GBDippingMethod, *GBParam;
    TLabel *lblNumCycles, *lblPlateArea, *lblUpperLimit, *lblSpeedUp, *lblWaitWhenUp, *lblLowerLimit, *lblSpeedDown,
        *lblWaitWhenDown, *lblStep, *lblDelay;
    TRxSpinEdit *SENumCycles, *SEPlateArea, *SEUpperLimit, *SESpeedUp, *SEWaitWhenUp, *SELowerLimit, *SESpeedDown,
        *SEWaitWhenDown, *SEStep, *SEDelay;
    TComboBox* CBDippingMethod;
    TButton* BBGo;
    TButton* BBStop;

    // The program the fields describe, with the dipper where it stands now.
    TDippingProgram Program() const;

    void CBDippingMethodClick(TObject* Sender);
    void BBGoClick(TObject* Sender);
    void BBStopClick(TObject* Sender);

    TControl* StartButton() const override { return BBGo; }
    void SetDipperUpLimit(double Mm) override { SEUpperLimit->SetValue(Mm); }
    void SetDipperDownLimit(double Mm) override { SELowerLimit->SetValue(Mm); }

protected:
    void PrepareWindow() override;
    std::vector<TCaptionTarget> CaptionTargets() override;
    void LoadValues() override;
    void SaveValues() override;
};

extern TFDippingCtrl* FDippingCtrl;
