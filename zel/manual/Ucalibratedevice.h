// TFCalibrateDevice: the window in which the operator calibrates the instrument: the main
// and doser balances (sent to the instrument), the trough area through an automatic run of
// both barriers, the dipper levels and platform positions of the layer-by-layer accessory,
// and the peristaltic pump. Its changes act on the calibration units at once and reach the
// settings file on "Store calibrate".
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include "kvc/KvEdit.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Timers.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"

class TFWait;

// The calibration log of ring positions: "log.txt" in the program folder, started anew by
// each run of the program. Without the file the window works on, without a log.
class LogFileCtrl {
public:
    LogFileCtrl();
    ~LogFileCtrl();
    LogFileCtrl(const LogFileCtrl&) = delete;
    LogFileCtrl& operator=(const LogFileCtrl&) = delete;

    bool IsOpen() const { return FFile != nullptr; }
    // One line of a ring and its position (Format takes the ring as %d and the position
    // as %X), written through to the file at once.
    void RingLine(const char* Format, int Ring, int Position);

private:
    std::FILE* FFile = nullptr;
};

class TFCalibrateDevice : public TToolWindow, public IReadingsWindow, public IAutoCalibration, public IRotationMirror {
public:
    explicit TFCalibrateDevice(TComponent* Owner);
    ~TFCalibrateDevice() override;

    TPageControl* PageControl;
    TTabSheet *tsLB, *tsLBL, *tsDoser, *tsPump;
    TButton* SBStoreCalibrate;

    // Page "LB": current status.
    TGroupBox* GBCurrentStatus;
    TLabel *lblSensorADC, *txtSensorADC, *lblDriveStep, *txtDriveStep;
    TLabel *lblPlateA, *txtPlateA, *lblPlateB, *txtPlateB;
    // Page "LB": balance.
    TGroupBox* GBBallance;
    TButton *BBBalanceTopLevel, *BBBalanceBottomLevel;
    KVC::TKvEdit *EDBalanceTopLevel, *EDBalanceBottomLevel;
    TLabel *lblBalanceTopUnit, *lblBalanceBottomUnit;
    TLabel *lblBalanceTopADC, *txtBalanceTopADC, *lblBalanceBottomADC, *txtBalanceBottomADC;
    // Page "LB": square.
    TGroupBox* GBSquare;
    TButton *BBSquareMax, *BBSquareMin;
    KVC::TKvEdit *EDSquareMax, *EDSquareMin;
    TLabel *lblSquareMaxUnit, *lblSquareMinUnit;
    TLabel *lblSquareMaxSteps, *txtSquareMaxSteps, *lblSquareMinSteps, *txtSquareMinSteps;
    TButton* btnBarAutoCalibrate;
    TButton* SBGetCalibrate;

    // Page "LBL": platforms.
    TGroupBox* GBVesselPlatform;
    TLabel *lblVesselSteps, *txtVesselSteps, *lblVesselDegrees, *txtVesselDegrees;
    TButton* btnInitRevolver;
    TGroupBox* GBDipperPlatform;
    TLabel *lblDipperRotatorSteps, *txtDipperRotatorSteps, *lblDipperRotatorDegrees, *txtDipperRotatorDegrees;
    TButton* btnInitDipperRotator;
    TButton *btnDipperRotatorPosLB, *btnDipperRotatorPosRing1, *btnDipperRotatorPosRing2;
    TLabel *txtRingPosLB, *txtRingPos1, *txtRingPos2;
    // Page "LBL": dipper levels.
    TGroupBox* GBDipperLevels;
    TButton *btnDipperLevelLiquid, *btnDipperLevelRotation;
    TLabel *txtDipperLevelLiquid, *txtDipperLevelRotation;
    TSpeedButton *btnDipperMoveUp, *btnDipperMoveDown;
    TButton* btnStop2;
    // Page "LBL": drives.
    TGroupBox* GBDrivesControl;
    TLabel *lblRotateToCell, *lblVessels, *lblDipper;
    TRxSpinEdit* edCell;
    TButton* btnCellGo;
    TSpeedButton *btnVesselCW, *btnVesselCCW, *btnDipperCW, *btnDipperCCW;

    // Page "Doser".
    TGroupBox* GBDoserBallance;
    TButton *btnDoserBallanceTop, *btnDoserBallanceBottom;
    KVC::TKvEdit *edDoserBallanceTop, *edDoserBallanceBottom;
    TLabel *lblDoserBallanceTopUnit, *lblDoserBallanceBottomUnit;
    TLabel *lblDoserBallanceTopADC, *txtDoserBallanceTopADC, *lblDoserBallanceBottomADC, *txtDoserBallanceBottomADC;
    TGroupBox* GBDoserCurrentStatus;
    TLabel *lblDoserSensorADC, *txtDoserSensorADC;
    TLabel *lblDoserPlateA, *txtDoserPlateA, *lblDoserPlateB, *txtDoserPlateB;

    // Page "Peristaltic Pump".
    TLabel *lblPumpSpeed, *lblPumpDirection, *lblPumpType, *lblPumpRevs, *lblPumpDuration, *lblPumpVolume;
    TLabel *lblPumpCurrentRevs, *txtPumpCurrentRevs;
    TRxSpinEdit *edPerilstaticPumpSpeed, *edPerilstaticPumpRevs, *edPerilstaticPumpDuration;
    TRxSpinEdit* edPerilstaticPumpVolume;
    TComboBox *cbbPerilstaticPumpDirection, *cbbPerilstaticPumpCalibrationType, *cbbPerilstaticPumpVolumeUnit;
    TButton* btnPerilstaticPumpStartStop;
    TLabel *txtPumpVolumePerRev, *txtPumpMinSpeed, *txtPumpMaxSpeed;
    TTimer* tmrPeristalticPump;

    // Barrier auto calibration: 0 idle, 1 opening, 2 closing.
    int AutoCalState = 0;
    std::uint32_t Barrier1MaxPos = 0, Barrier2MaxPos = 0;
    std::uint32_t SavedBarrier1SpeedCode = 0, SavedBarrier2SpeedCode = 0;
    // The wait box of a running auto or pump calibration; it frees itself when closed.
    TFWait* WaitBox = nullptr;
    LogFileCtrl LogFile;
    bool PumpCalRunning = false;
    int PumpCalibrationType = 0;
    // Measured ml per pump revolution; 0 when no measurement applies.
    double PumpVolumePerRev = 1.0;

    void RefreshIndicators() override;
    void ApplyLanguage() override;
    void OnDrivesStopped();
    void CancelAutoCalibration() override;
    int GetPumpDirection() const;
    void ShowCalibration();
    void UpdatePumpCalibration();
    void StopPumpCalibration();
    void StorePumpCalibration();

    // What the manual window mirrors here: the dipper's move buttons and the two
    // bottom-level buttons it repeats.
    void ShowDipperMove(bool Up);
    void ReleaseDipperMoveButtons();
    void TakeBalanceBottomLevel() { BBBalanceBottomLevel->Click(); }
    void TakeDoserBalanceBottomLevel() override { btnDoserBallanceBottom->Click(); }
    void ShowRotation(bool Revolver, bool Clockwise) override;
    void ReleaseRotationButtons(bool Revolver) override;

    // Handlers.
    void BBBalanceTopLevelClick(TObject* Sender);
    void BBBalanceBottomLevelClick(TObject* Sender);
    void EDBalanceTopLevelEnterValue(TObject* Sender);
    void EDBalanceBottomLevelEnterValue(TObject* Sender);
    void SBGetCalibrateClick(TObject* Sender);
    void EDSquareMaxEnterValue(TObject* Sender);
    void EDSquareMinEnterValue(TObject* Sender);
    void BBSquareMinClick(TObject* Sender);
    void btnBarAutoCalibrateClick(TObject* Sender);
    void btnInitRevolverClick(TObject* Sender);
    void btnInitDipperRotatorClick(TObject* Sender);
    void btnDipperRotatorPosLBClick(TObject* Sender);
    void btnDipperLevelLiquidClick(TObject* Sender);
    void btnDipperLevelRotationClick(TObject* Sender);
    void btnDipperMoveUpClick(TObject* Sender);
    void btnDipperMoveDownClick(TObject* Sender);
    void btnStop2Click(TObject* Sender);
    void btnCellGoClick(TObject* Sender);
    void btnVesselCWClick(TObject* Sender);
    void btnVesselCCWClick(TObject* Sender);
    void btnDipperCWClick(TObject* Sender);
    void btnDipperCCWClick(TObject* Sender);
    void btnDoserBallanceTopClick(TObject* Sender);
    void btnDoserBallanceBottomClick(TObject* Sender);
    void edDoserBallanceTopEnterValue(TObject* Sender);
    void edDoserBallanceBottomEnterValue(TObject* Sender);
    void cbbPerilstaticPumpCalibrationTypeChange(TObject* Sender);
    void btnPerilstaticPumpStartStopClick(TObject* Sender);
    void tmrPeristalticPumpTimer(TObject* Sender);
    void edPerilstaticPumpVolumeChange(TObject* Sender);
    void SBStoreCalibrateClick(TObject* Sender);

protected:
    void PrepareWindow() override;
    std::vector<TCaptionTarget> CaptionTargets() override;

private:
    void BuildPageLB();
    void BuildPageLBL();
    void BuildPageDoser();
    void BuildPagePump();
    void HideForDeviceType();
    // A calibration step changed the units: the operator may store it.
    void CalibrationChanged();
    // The main balance's line went to the instrument as its "CLBCoeff=" record.
    void SendBalanceCalibration();
    void StartAutoCalibration();
    void StartPumpCalibration();
    void ShowWaitBox();
    void CloseWaitBox();
    void RestoreBarrierSpeeds();
    // What this window reads of and does through the manual windows; nothing while the
    // window concerned does not exist.
    std::uint32_t ManualBarrierSpeedCode(int Barrier) const;
    void SetManualBarrierSpeed(int Barrier, std::uint32_t Code);
    int ManualRotationLevel() const;
    // The pump windows take their entry ranges from the stored pump calibration.
    void UpdateNeighbourPumpRanges();
    // The pump calibration measured since the last volume change, or none (0).
    bool PumpMeasured() const { return PumpVolumePerRev != 0; }
};

extern TFCalibrateDevice* FCalibrateDevice;
