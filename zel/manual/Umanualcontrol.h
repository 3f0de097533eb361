// TFManualCtrl: the operator's hand control of the trough drives: the two barriers, both
// barriers together, the dipper with its travel limits, and the zero buttons of the
// balances; it shows the drives' positions and speeds and the surface tension.
#pragma once
#include <cstdint>
#include <string>
#include "kvc/KvEdit.h"
#include "kvc/KvTrackBar.h"
#include "platform/ui/StdCtrls.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"

class TMotor;

class TFManualCtrl : public TToolWindow, public IReadingsWindow {
public:
    explicit TFManualCtrl(TComponent* Owner);
    ~TFManualCtrl() override;

    // Barrier 1 ("Barrier Right").
    TGroupBox* grpBarrier1;
    TLabel *lblTrBar1Pos, *txtTrBar1Pos, *lblTrBar1Spd, *txtTrBar1Spd, *lblTrBar1Speed;
    TSpeedButton *btnBarrier1MoveLeft, *btnBarrier1MoveRight;
    TButton* btnBarrier1Stop;
    KVC::TKvTrackBar* trbTrBar1Speed;
    KVC::TKvEdit* edTrBar1Speed;
    // Barrier 2 ("Barrier Left").
    TGroupBox* grpBarrier2;
    TLabel *lblTrBar2Pos, *txtTrBar2Pos, *lblTrBar2Spd, *txtTrBar2Spd, *lblTrBar2Speed;
    TSpeedButton *btnBarrier2MoveLeft, *btnBarrier2MoveRight;
    TButton* btnBarrier2Stop;
    KVC::TKvTrackBar* trbTrBar2Speed;
    KVC::TKvEdit* edTrBar2Speed;
    // Both barriers.
    TGroupBox* grpBarriers;
    TButton *btnCloseBarriers, *btnStopBarriers, *btnOpenBarriers;
    // Dipper.
    TGroupBox* grpDipper;
    TLabel *LBDipPos, *STDipPos, *LBSpeed, *STSpeed, *lblDipSpeed;
    TSpeedButton *SBDipperMoveUp, *SBDipperMoveDown;
    TButton *btnDipperStop, *btnBDipZero, *btnBDipUp, *btnBDipDown;
    KVC::TKvTrackBar* TBDipSpeed;
    KVC::TKvEdit* edDipSpeed;
    TButton* btnHomePosition;
    // Surface tension.
    TGroupBox* grpST;
    TLabel *lblST, *txtST, *txtDoserADC;
    TButton *btnBBalZero, *btnDoserZero;
    // Temperature (hidden and disabled).
    TGroupBox* grpTemperature;
    TLabel *LBTemCarrier, *STTemAir, *LBTemTrough, *STTemTrough;

    // Raw dipper positions in steps.
    int DipperUpLimit = 0;
    int DipperDownLimit = 0;
    int LblDipperUpLimit = 0;
    int LblDipperDownLimit = 0;
    // The speed codes last sent.
    std::uint32_t DipperSpeedCode = 0;
    std::uint32_t Barrier1SpeedCode = 0;
    std::uint32_t Barrier2SpeedCode = 0;
    // Base texts of the dipper limit buttons.
    std::string UpCaption;
    std::string DownCaption;

    void SetDipperUpLimit(int Steps);
    void SetDipperDownLimit(int Steps);
    void SetLblDipperUpLimit(int Steps);
    void SetLblDipperDownLimit(int Steps);
    void SetDipperSpeed(std::uint32_t Code);
    void SetBarrier1Speed(std::uint32_t Code);
    void SetBarrier2Speed(std::uint32_t Code);
    std::string FormatLimitCaption(const std::string& Base, int Steps);

    void ShowMotionState(int MotionCode);
    void RefreshIndicators() override;

    // Handlers.
    void MoveButtonClick(TObject* Sender);
    void btnBarrier1StopClick(TObject* Sender);
    void btnBarrier2StopClick(TObject* Sender);
    void btnDipperStopClick(TObject* Sender);
    void btnCloseBarriersClick(TObject* Sender);
    void btnOpenBarriersClick(TObject* Sender);
    void btnStopBarriersClick(TObject* Sender);
    void btnHomePositionClick(TObject* Sender);
    void btnBDipUpClick(TObject* Sender);
    void btnBDipDownClick(TObject* Sender);
    void btnBDipZeroClick(TObject* Sender);
    void btnBBalZeroClick(TObject* Sender);
    void btnDoserZeroClick(TObject* Sender);

protected:
    void PrepareWindow() override;
    std::vector<TCaptionTarget> CaptionTargets() override;
    void LoadValues() override;
    void SaveValues() override;

private:
    // One drive's speed controls: its unit, track bar, edit, speed text and setter.
    struct TSpeedDrive {
        TMotor* Unit;
        KVC::TKvTrackBar* TrackBar;
        KVC::TKvEdit* Edit;
        TLabel* Text;
        void (TFManualCtrl::*Setter)(std::uint32_t Code);
    };
    TSpeedDrive Barrier1Drive() const;
    TSpeedDrive Barrier2Drive() const;
    TSpeedDrive DipperDrive() const;
    void BuildBarrierGroup(int Index);
    void BuildDipperGroup();
    void BuildOtherGroups();
    void HideForDeviceType();
    void BindSpeedControls(TSpeedDrive (TFManualCtrl::*Drive)() const);
    void TrackBarChange(const TSpeedDrive& Drive);
    void TrackBarChanged(const TSpeedDrive& Drive);
    void EditEnterValue(const TSpeedDrive& Drive);
    void SetTrackBarSteps(const TSpeedDrive& Drive);
    void ShowSpeedCode(const TSpeedDrive& Drive, std::uint32_t Code, int Decimals);
    void SetDippingLimits();
    void FinishCreate();
};

extern TFManualCtrl* FManualCtrl;
