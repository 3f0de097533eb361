// TFDepFB: the deposition feedback window. It holds the values with which the instrument
// keeps the surface pressure during a deposition by moving the barriers (sensitivity, the
// highest and lowest closing speed of the barriers, the proportional coefficient) and the
// two raw dipper levels between which the deposition strokes run, and sends them to the
// instrument: each slider when released, all of them at creation and at deposition START.
#pragma once
#include <vector>
#include "kvc/KvRotateLabel.h"
#include "kvc/KvTrackBar.h"
#include "platform/ui/StdCtrls.h"
#include "zel/core/Toolwindow.h"

class TFDepFB : public TToolWindow {
public:
    explicit TFDepFB(TComponent* Owner);
    ~TFDepFB() override;

    TGroupBox* GBFeedBack;
    KVC::TKvRotateLabel *RLSensetivity, *RLPCoeff, *RLLimitSpeedUp, *RLLimitSpeedDown;
    TLabel *STSens, *STPCoeff, *STLimitUp, *STLimitDown;
    KVC::TKvTrackBar *TBSensetivityFB, *TBPCoeff, *TBLimitUp, *TBLimitDown;
    TGroupBox* GBDeposition;
    TButton *BDipZero, *BDipUp, *BDipDown;
    TLabel *STDipUpLevel, *STDipDownLevel;

    // Raw dipper steps of the deposition strokes' upper and lower ends.
    int DipperUpLimit = 0;
    int DipperDownLimit = 0;

    // Sends sensitivity, both speed limits and the P coefficient (deposition START).
    void SendFeedbackParameters();
    // Sets a level in raw steps, shows it in mm and sends it.
    void SetDipperUpLimit(int Steps);
    void SetDipperDownLimit(int Steps);

    // The speed range (mm/min) both barriers can run: the larger of their least speeds
    // and the smaller of their greatest speeds.
    double GetMinBarriersSpeed();
    double GetMaxBarriersSpeed();

    // The window opens the settings file on its own for each load and save.
    void LoadSettings() override;
    void SaveSettings() override;

    // Handlers.
    void TBSensetivityFBChange(TObject* Sender);
    void TBSensetivityFBChanged(TObject* Sender);
    void TBLimitUpChange(TObject* Sender);
    void TBLimitUpChanged(TObject* Sender);
    void TBLimitDownChange(TObject* Sender);
    void TBLimitDownChanged(TObject* Sender);
    void TBPCoeffChange(TObject* Sender);
    void TBPCoeffChanged(TObject* Sender);
    void BDipZeroClick(TObject* Sender);
    void BDipUpClick(TObject* Sender);
    void BDipDownClick(TObject* Sender);

protected:
    void PrepareWindow() override;
    std::vector<TCaptionTarget> CaptionTargets() override;

private:
    int Sensitivity() const;
    // A speed limit slider's closing speed of both barriers together (mm/min).
    double LimitSpeed(const KVC::TKvTrackBar* Bar);
    // Shows a limit and sends half of it, the speed of one barrier.
    int ShowLimit(KVC::TKvTrackBar* Bar, TLabel* Text);
    void ShowSensitivity();
    void ShowLevels();
};

extern TFDepFB* FDepFB;
