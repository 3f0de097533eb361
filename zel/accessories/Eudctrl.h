// TFEudCtrl: the EUD process, run by the instrument with the main balance, the syringe
// doser, barrier 1 and the tape. The instrument reports nothing of it: START makes a data
// set with the experiment record and an empty graph, sends the parameters and marks the
// process as running; the window has no Stop, and its START comes back when another
// window's Stop or finished notice ends the process.
#pragma once
#include "zel/accessories/Uaccessorywindow.h"

class TFEudCtrl : public TProcessWindow, public TDoserLimitsFollower {
public:
    explicit TFEudCtrl(TComponent* Owner);
    ~TFEudCtrl() override;

    TGroupBox* grpGeneral;
    TLabel* lblNumCycles;
    TRxSpinEdit* edNumCycles;  // kept, but no command carries it
    TGroupBox* grpPressure;
    TLabel *lblPrePressure, *lblOperatingPressure;
    TRxSpinEdit *edPrePressure, *edOperatingPressure;
    TGroupBox* grpDoser;
    TCheckBox* chkUsingDoser;
    TLabel *lblDoserSpeed, *lblDoserLimit;
    TRxSpinEdit *edDoserSpeed, *edDoserLimit;
    TGroupBox* grpBarrier;
    TLabel *lblBarrierStartPos, *lblBarrierSpeed, *lblBarrierLimit;
    TRxSpinEdit *edBarrierStartPos, *edBarrierSpeed, *edBarrierLimit;
    TGroupBox* grpTape;
    TLabel *lblTapeDirection, *lblTapeSpeed, *lblTapeLimit;
    TComboBox* cbbTapeDirection;
    TRxSpinEdit *edTapeSpeed, *edTapeLimit;
    TButton* btnGo;

    void btnGoClick(TObject* Sender);
    void EnableRun(bool Enable) override;
    void UpdateDoserLimits() override;
    void GetParametersText(std::string& Text) override { Text.clear(); }
    TControl* StartButton() const override { return btnGo; }

protected:
    void PrepareWindow() override;
    std::vector<TCaptionTarget> CaptionTargets() override;
    void LoadValues() override;
    void SaveValues() override;
    // The run has no table.
    std::unique_ptr<TPTableData> CreateTable(const std::string&) override { return nullptr; }

private:
    std::vector<TStoredSetting> StoredValues();
};

extern TFEudCtrl* FEudCtrl;
