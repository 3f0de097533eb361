// TFScriptCtrl: the window through which every script reaches the instrument. The
// operator types, loads or saves script text; the dipping and layer-by-layer windows put
// their generated scripts in and press START. START first predicts a changed text by a
// dry run of the link's script engine (the time graph of the dipper and the predicted
// total time), then hands the lines to the link, shows the running line, labels, pauses
// and layers, and (except on the layer-by-layer instrument) records a "Dipping" table.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "hwzel/hwzel.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/SaveDialog.h"
#include "platform/ui/StdCtrls.h"
#include "zel/trough/Uprocesswindow.h"

namespace KVC {
class TKvChart;
}

using TScriptPrognosis = std::vector<TScriptPrognosisStatus>;

class TFScriptCtrl : public TProcessWindow {
public:
    explicit TFScriptCtrl(TComponent* Owner);
    ~TFScriptCtrl() override;

    TPageControl* PC;
    TTabSheet* TSScript;
    TTabSheet* TSTimeGraph;
    TMemo* Memo;
    KVC::TKvChart* CHTimeGraph;
    TButton *BBLoad, *BBSave, *BBClear, *BBGo, *BBStop;
    TOpenDialog OpenDialog;
    TSaveDialog SaveDialog;

    // The predicted state, written by the link while a script with it attached runs.
    TScriptPrognosisStatus PrognosisStatus{};
    // One copy of the record per step of the last dry run, the start state first.
    TScriptPrognosis PrognosisPoints;
    bool PrognosisRunning = false;
    bool RecordData = false;
    bool RecordingOn = false;
    double PlateArea = 1.0;
    double DipperHeight = 0;
    double DipperZero = 0;
    std::uint32_t StrokeCount = 0;
    std::uint32_t StartTick = 0;
    // Predicted duration of the last dry run, in the record's time unit (s).
    std::int32_t TotalTime = 0;
    double Progress = 0;

    // Replaces the script text (a changed text); refused while a script waits or runs.
    void SetScript(const TStringList* Lines);
    // Whether the text changed since the last dry run.
    bool ScriptTextChanged() const { return FTextChanged; }
    // A dry run, START's wait for it or a run is going on.
    bool Busy() const { return FWaiting || FRunning || PrognosisRunning; }

    void BBGoClick(TObject* Sender);
    // With a sender (the operator, or another window) the script is aborted and the
    // drives stopped first; the link's end-of-script notice comes without one.
    void BBStopClick(TObject* Sender);
    void BBLoadClick(TObject* Sender);
    void BBSaveClick(TObject* Sender);
    void BBClearClick(TObject* Sender);
    void PCChange(TObject* Sender);

    void EnableRun(bool Enable) override;
    // The link went down: a running script is aborted and its run ends as failed.
    void LinkLost() override;
    void ProcessEnded(TProcessKind Kind) override;
    // One row of the "Dipping" table from the device state.
    void AddDataRow();
    void GetParametersText(std::string& Text) override { Text.clear(); }
    TControl* StartButton() const override { return BBGo; }

protected:
    void WndProc(TMessage& Message) override;
    std::vector<TCaptionTarget> CaptionTargets() override;
    std::unique_ptr<TPTableData> CreateTable(const std::string& Name) override;
    bool WritesDescription() const override { return false; }

private:
    struct TNoticeHandling;
    static const TNoticeHandling NoticeHandlings[];

    void BuildControls();
    void StartScript();
    bool CalcPrognosis();
    void PrognosisFinished();
    void UpdateProgress();
    void ShowCurrentLine(int Index);
    // The end of a run or a dry run, told to the operator as End says.
    void StopScript(bool Abort, TRunEnd End);
    // The present positions into the prognosis record, its time to 0.
    void ResetPrognosisStatus();
    LRESULT LinkNotify(WPARAM Code, LPARAM Payload);
    void DrawProgressBand(TCanvas* Canvas, const TRect& Rect);
    void ShowPrognosis();

    bool FTextChanged = false;
    bool FWaiting = false;
    bool FRunning = false;
    // Set by a Stop while START waits for its dry run: START then ends there.
    bool FStartCancelled = false;
    // The link's notices of a script begin with its start notice; an end notice before
    // it belongs to a script aborted earlier.
    bool FScriptStarted = false;
};

extern TFScriptCtrl* FScriptCtrl;
