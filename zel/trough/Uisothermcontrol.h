// TFIsothermCtrl: the compression isotherm. The operator chooses what is recorded and
// towards which target, the compression speed and mode, how often points are taken and
// how many cycles run; the window sends the instrument its isotherm parameters and start,
// and records each recorded stroke (compression, or the way back) as a table of its own.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"
#include "zel/trough/Uprocesswindow.h"

struct TIsothermPoint;

// The isotherm's table: barrier position, trough area and its change, area per molecule,
// surface pressure, time, and pressure times area per molecule. The deposition window
// makes its pressure-control table with it too. Null when the table cannot be made.
std::unique_ptr<TPTableData> CreateIsothermTable(ISXDataSet* DataSet, const std::string& Name);

class TFIsothermCtrl : public TProcessWindow {
public:
    explicit TFIsothermCtrl(TComponent* Owner);
    ~TFIsothermCtrl() override;

    // General.
    TGroupBox* GBGeneral;
    TLabel* lblNumCycles;
    TRxSpinEdit* SENumCycles;
    TLabel* lblMeasure;
    TComboBox* cbbRecOptions;
    TCheckBox* chkRec;
    TLabel* lblTarget;
    TComboBox* cbbTargetOptions;
    // Compression settings.
    TGroupBox* GBCompressionParam;
    TLabel *lblRate, *lblPressure, *lblTroughArea, *lblBarrierPosition, *lblTime, *lblStep, *lblDelay;
    TRxSpinEdit *SERate, *SEPressure, *SETroughArea, *SEBarrierPosition, *SETime, *SEStep, *SEDelay;
    TLabel* lblCompressionMethod;
    TComboBox* CBCompressionMethod;
    // Collect data.
    TGroupBox* GBCollect;
    TLabel* lblProcBarrierStep;
    TRxSpinEdit* SEProcBarrierStep;
    TLabel* lblProcTimeInterval;
    TRxSpinEdit* SEProcTimeInterval;
    TCheckBox* CBBackward;
    TButton* BBGo;
    TButton* BBStop;

    // Taken at START.
    bool Backward = false;
    std::uint16_t StrokeCount = 0;
    int RecOption = 0;

    int GetRecOption() const;
    int GetTargetOption() const;
    int GetIstType() const;
    bool IsRecordChecked() const { return chkRec->GetChecked(); }

    // Handlers.
    void IsothermParamChanged(TObject* Sender);
    void BBGoClick(TObject* Sender);
    void BBStopClick(TObject* Sender);

    // The device's notices.
    void ProcessStarted(int Index) override;
    void AddDataRow(const TIsothermPoint* Point);
    void ProcessFinished(int Index) override;

    void GetParametersText(std::string& Text) override;
    TControl* StartButton() const override { return BBGo; }
    int NumCycles() const override { return SENumCycles->AsInteger(); }
    bool RecordsBackward() const override { return CBBackward->GetChecked(); }

protected:
    void PrepareWindow() override;
    std::vector<TCaptionTarget> CaptionTargets() override;
    void LoadValues() override;
    void SaveValues() override;
    std::unique_ptr<TPTableData> CreateTable(const std::string& Name) override;
    bool EntersRegister() const override { return IsRecordChecked(); }

private:
    void BuildGeneral();
    void BuildCompression();
    void BuildCollect();
    // The data interval check: false when the operator declines the enlarged step.
    bool CheckDataInterval();
    void SendParameters();
};

extern TFIsothermCtrl* FIsothermCtrl;
