// TFManualCtrl2: the layer-by-layer manual control window. It drives the accessories by
// hand (dipper rotator and revolver, syringe doser, doser balance, rotating barrier and
// tape) and owns the doser's speed and limits for the whole program: the windows that
// show a doser speed of their own follow it.
#pragma once
#include <cstdint>
#include <string>
#include "kvc/KvEdit.h"
#include "kvc/KvTrackBar.h"
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"

class TMotor;

// A window that keeps a doser speed entry of its own within the doser limits of the
// layer-by-layer manual control window (the pump window and the accessory process
// windows). This window finds them by their kind, so a window that does not exist is
// skipped.
class TDoserLimitsFollower {
public:
    // Copies the range of the doser speed entry (and, for the pump window, more) from
    // FManualCtrl2.
    virtual void UpdateDoserLimits() = 0;
    // Shows FManualCtrl2's last doser speed code on the follower's own doser track bar
    // and speed entry; only the pump window has them.
    virtual void SyncDoserSpeed() {}

protected:
    ~TDoserLimitsFollower() = default;
};

class TFManualCtrl2 : public TToolWindow, public IReadingsWindow {
public:
    explicit TFManualCtrl2(TComponent* Owner);
    ~TFManualCtrl2() override;

    // Last speed codes sent.
    std::uint32_t DoserSpeedCode = 0;
    std::uint32_t RotBarrierSpeedCode = 0;
    std::uint32_t TapeSpeedCode = 0;
    // Old scale: track-bar position p stands for code Max + Min - p; new scale: for p.
    bool OldSpeedScale = true;

    // Rotation control
    TGroupBox* GBDrives;
    TLabel* lblDipperRotator;
    TSpeedButton* btnRotateDipperClockwise;
    TSpeedButton* btnRotateDipperAntiClockwise;
    TLabel* lblRevolver;
    TSpeedButton* btnRotateRevolverClockwise;
    TSpeedButton* btnRotateRevolverAntiClockwise;
    TCheckBox* chkRotateManual;
    TRxSpinEdit* edtRotateDipper;
    TRxSpinEdit* edtRotateRevolver;
    TLabel* lblRotateToCell;
    TRxSpinEdit* edtCell;
    TButton* btnCellGo;
    // Doser
    TGroupBox* grpDoser;
    TLabel* lblDoserPos;
    TLabel* txtDoserPos;
    TButton* btnDoserZero;
    TSpeedButton* btnDoserUp;
    TButton* btnDoserStop;
    TSpeedButton* btnDoserDown;
    TLabel* lblDoserMoveLen;
    KVC::TKvEdit* edDoserMoveLen;
    KVC::TKvEdit* edDoserKeepST;
    TSpeedButton* btnDoserKeepST;
    KVC::TKvTrackBar* trbDoserSpeed;
    KVC::TKvEdit* edDoserSpeed;
    TLabel* lblDoserSpeedUnits;
    TButton* btnDoserInjectorPresets;
    TGroupBox* grpInjectorPresets;
    TComboBox* cbbInjectorPresets;
    KVC::TKvEdit* edtInjectorVolume;
    TComboBox* cbbInjectorUnits;
    KVC::TKvEdit* edtInjectorDiameter;
    TButton* btnInjectorPresetsCancel;
    TButton* btnInjectorPresetsApply;
    // Doser tension
    TGroupBox* grpDoserST;
    TLabel* txtDoserST;
    TButton* btnBBalZero;
    // Rotating barrier
    TGroupBox* grpRotBarrierinder;
    TLabel* txtRotbarPos;
    TSpeedButton* btnRotBarrierLeft;
    TButton* btnRotBarrierStop;
    TSpeedButton* btnRotBarrierRight;
    KVC::TKvTrackBar* trbRotBarrierSpeed;
    KVC::TKvEdit* edRotBarrierSpeed;
    TLabel* lblRotBarrierSpeedUnits;
    // Tape
    TGroupBox* grpTape;
    TLabel* txtTapePos;
    TSpeedButton* btnTapeLeft;
    TButton* btnTapeStop;
    TSpeedButton* btnTapeRight;
    TButton* btnTapeZero;
    KVC::TKvTrackBar* trbTapeSpeed;
    KVC::TKvEdit* edTapeSpeed;
    TLabel* lblTapeSpeedUnits;

    void SetDoserSpeed(std::uint32_t Code);
    void SetRotBarrierSpeed(std::uint32_t Code);
    void SetTapeSpeed(std::uint32_t Code);
    int TrackBarToSpeedCode(const TTrackBar* TrackBar) const;
    void UpdateDoserLimits();
    void SetInjector(KVC::TKvEdit* MoveLen, TComboBox* Units, KVC::TKvEdit* Volume, KVC::TKvEdit* Diameter);
    void ParseInjectorPreset(std::string Text, TComboBox* Units, KVC::TKvEdit* Volume, KVC::TKvEdit* Diameter);

    void ShowMotionState(int MotionCode);
    void OnDipperRotatorStopped();
    void OnRevolverStopped();
    // Presses the rotation button of the revolver or the dipper rotator the calibration
    // window started.
    void ShowRotation(bool Revolver, bool Clockwise);
    void RefreshIndicators() override;
    void LoadSettings() override;

    // Handlers the pump window calls with its own buttons as senders.
    void btnDoserUpClick(TObject* Sender);
    void btnDoserZeroClick(TObject* Sender);

protected:
    std::vector<TCaptionTarget> CaptionTargets() override;
    void LoadValues() override;
    void SaveValues() override;

private:
    void BuildRotationGroup();
    void BuildDoserGroup();
    void BuildInjectorPresets();
    void BuildDoserTensionGroup();
    void BuildRotBarrierGroup();
    void BuildTapeGroup();
    void WireHandlers();

    void RotateClick(TObject* Sender, bool Revolver);
    void btnCellGoClick(TObject* Sender);
    void btnDoserStopClick(TObject* Sender);
    void btnTapeZeroClick(TObject* Sender);
    void btnBBalZeroClick(TObject* Sender);
    void btnDoserKeepSTClick(TObject* Sender);
    void btnDoserInjectorPresetsClick(TObject* Sender);
    void CloseInjectorPresets(bool Apply);
    void cbbInjectorPresetsChange(TObject* Sender);

    // The speed scale of the three track bars, set up after `old` was read.
    void ApplySpeedScale(KVC::TKvTrackBar* TrackBar, TMotor& Unit);
    void SetTrackBarSteps(KVC::TKvTrackBar* TrackBar, double Low, double High);
    void SetDoserMoveButtonsDown(int Tag);
    void ReleaseDoserMoveButtons();
};

extern TFManualCtrl2* FManualCtrl2;
