// TFPumpCtrl: the peristaltic pump by hand (target volume, speed, start and stop) and a
// second face of the doser controls of the layer-by-layer manual control window, which
// carries out every doser action and keeps this window in step.
#pragma once
#include "kvc/KvEdit.h"
#include "kvc/KvSlider.h"
#include "kvc/KvTrackBar.h"
#include "platform/ui/StdCtrls.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"
#include "zel/manual/Umanualcontrol2.h"

class TFPumpCtrl : public TToolWindow, public TDoserLimitsFollower, public IReadingsWindow, public IDoserMirror {
public:
    explicit TFPumpCtrl(TComponent* Owner);
    ~TFPumpCtrl() override;

    // Pump.
    TGroupBox* grpPump;
    TLabel* lblCurrentPumpVolume;
    KVC::TKvEdit* edCurrentPumpVolume;
    TButton* btnPumpVolumeReset;
    TLabel* lblTargetPumpVolume;
    KVC::TKvEdit* edTargetPumpVolume;
    TLabel* lblPumpSpeed;
    KVC::TKvSlider* sldrPumpSpeed;
    KVC::TKvEdit* edPumpSpeed;
    TButton* btnPumpStart;
    TButton* btnPumpStop;
    // Doser (the layer-by-layer manual control window's doser, mirrored). The controls
    // carry the manual window's names but are this window's own, laid out for its narrower
    // frame; the manual window's set stays the one that acts, so the two are kept apart.
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

    // True only while SyncDoserSpeed runs: the doser speed controls' handlers then rest.
    bool Syncing = false;

    void SyncDoserSpeed() override;
    void UpdateDoserLimits() override;
    void SetPumpRanges();
    void ShowMotionState(int MotionCode);
    void ShowDoserMove(int Tag) override;
    void ReleaseDoserMoveButtons() override;
    void SelectInjectorPreset(int Index) override { cbbInjectorPresets->SetItemIndex(Index); }
    void RefreshIndicators() override;
    void ApplyLanguage() override;

    // Handlers.
    void btnPumpStartClick(TObject* Sender);
    void btnPumpStopClick(TObject* Sender);
    void btnPumpVolumeResetClick(TObject* Sender);
    void sldrPumpSpeedChanging(TObject* Sender);
    void sldrPumpSpeedChanged(TObject* Sender);
    void edPumpSpeedEnterValue(TObject* Sender);
    void btnDoserUpClick(TObject* Sender);
    void btnDoserStopClick(TObject* Sender);
    void btnDoserZeroClick(TObject* Sender);
    void trbDoserSpeedChange(TObject* Sender);
    void trbDoserSpeedChanged(TObject* Sender);
    void edDoserSpeedEnterValue(TObject* Sender);
    void btnDoserInjectorPresetsClick(TObject* Sender);
    void btnInjectorPresetsApplyClick(TObject* Sender);
    void btnInjectorPresetsCancelClick(TObject* Sender);
    void cbbInjectorPresetsChange(TObject* Sender);

protected:
    void PrepareWindow() override;
    std::vector<TCaptionTarget> CaptionTargets() override;
    void LoadValues() override;
    void SaveValues() override;

private:
    void BuildPumpGroup();
    void BuildDoserGroup();
    void BuildInjectorPresets();
    void CopyDoserTrackBar();
    void SetUpPumpSlider();
    void CopyPresets();
    void CopyTextsOfDoserWindow();
    void CloseInjectorPresets(bool Apply);
    void SetDoserMoveButtonsEnabled(bool Enabled);
};

extern TFPumpCtrl* FPumpCtrl;
