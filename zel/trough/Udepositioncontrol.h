// TFDepositionCtrl: Langmuir-Blodgett deposition. The instrument holds the monolayer at
// a set surface pressure while the dipper carries the substrate down through it and up
// again, stroke after stroke. The window sends the run's parameters and start, records
// every point as a row of the deposition table (trough area taken off, transfer ratio,
// layer number) and, on request, of a pressure-control table, drives a graph of each,
// feeds the dipper position window, and lets the operator add compound and go on when the
// instrument reports the spread compound used up. The module's table factory is shared
// with the script window, which records its dipping runs in the same layout.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"
#include "zel/core/Windowroles.h"
#include "zel/trough/Uprocesswindow.h"

struct TDepositionPoint;

// The deposition table: barrier position, trough area and its change, area per molecule,
// surface pressure, time, immersion length, transfer ratio, layer number and their ratio;
// layer number on X, transfer on the left axis, R/Z on the right. Null when the table
// cannot be made.
std::unique_ptr<TPTableData> CreateDepositionTable(ISXDataSet* DataSet, const std::string& Name);

// The deposition types by their index, which is what the instrument receives.
enum TDepositionType { dtpX = 0, dtpY = 1, dtpZ = 2, dtpHP = 3, dtpManual = 4 };

class TFDepositionCtrl : public TProcessWindow, public IDipperLimitsWindow {
public:
    explicit TFDepositionCtrl(TComponent* Owner);
    ~TFDepositionCtrl() override;

    void SetDipperUpLimit(double Mm) override { SEUpperLimit->SetValue(Mm); }
    void SetDipperDownLimit(double Mm) override { SELowerLimit->SetValue(Mm); }

    // General.
    TGroupBox* GBGeneral;
    TLabel* lblMethod;
    TComboBox* cbbDepositionType;
    TLabel *LBPlateArea, *LBNumOfCycles, *LBPressure, *LBBarrierSpeed;
    TRxSpinEdit *SEPlateArea, *SENumCycles, *SEPressure, *SEBarrierSpeed;
    TCheckBox* CBKeepPressureControl;
    TLabel* lblBetweenLayers;
    TCheckBox* CBKeepPressureBetweenDeposition;
    TRxSpinEdit* SEOpenPressure;
    // Dipper.
    TGroupBox* grpDipper;
    TLabel *lblDipperPos, *lblDipperPosUnit, *lblDipperSpeed, *lblDipperSpeedUnit, *lblDipperWaitWhenUp,
        *lblDipperWaitWhenUpUnit;
    TLabel* lblUp;
    TRxSpinEdit *SEUpperLimit, *SESpeedUp, *SEWaitWhenUp;
    TLabel* lblDown;
    TRxSpinEdit *SELowerLimit, *SESpeedDown, *SEWaitWhenDown;
    TLabel* lblDipperMode;
    TComboBox* CBDepositionMethod;
    TLabel *LBStep, *LBDelay;
    TRxSpinEdit *SEStep, *SEDelay;
    TCheckBox* CBKeepDipperAfterSubstanceEnd;
    TCheckBox* chkRec;
    TCheckBox* CBIsotermControl;
    TButton* BBGo;
    TButton* BBStop;

    // The pattern's table and graph are the deposition table and its graph (no graph for
    // "HP - type", none once the operator closed it); the pressure-control table and its
    // graph come only with "Show isotherm plot".
    std::unique_ptr<TPTableData>& DepTable;
    TFGraph*& DepGraph;
    std::unique_ptr<TPTableData> PressureTable;
    TFGraph* IsoGraph = nullptr;  // not owned

    double PlateArea = 1;              // mm², taken at START
    std::uint16_t NumStrokes = 0;      // cycles times two
    std::uint16_t StrokeIndex = 0;     // the running stroke, 0 first
    bool Continuing = false;           // the compound ran out and the run waits to go on
    double TransferBefore = 0;         // transfer reached before the present continuation
    double StartArea = 0;              // cm² at the first point of the run or continuation; 0 not yet
    std::uint32_t LastDipperPos = 0;   // raw dipper position of the previous deposition row
    std::uint32_t StrokeStartRow = 0;  // row at which the running manual stroke began
    int WarningDeltaSquare = 15;       // cm² of trough area kept above the least area
    // Dipper speeds (mm/min) kept for each of the types X, Y and Z.
    double xSpeedUp = 0, xSpeedDown = 0, ySpeedUp = 0, ySpeedDown = 0, zSpeedUp = 0, zSpeedDown = 0;

    int DepositionType() const;
    bool IsRecordChecked() const { return chkRec->GetChecked(); }

    // Handlers.
    void BBGoClick(TObject* Sender);
    void BBStopClick(TObject* Sender);
    void cbbDepositionTypeClick(TObject* Sender);
    void CBDepositionMethodClick(TObject* Sender);
    void CBKeepPressureBetweenDepositionClick(TObject* Sender);
    void SESpeedUpChange(TObject* Sender);
    void SESpeedDownChange(TObject* Sender);
    // The confirmation box's OK (compound added: go on) and Cancel (stop).
    void MsgButtonClick(TObject* Sender);

    // The device's notices.
    void ProcessStarted(int Stroke) override;
    void AddDataRow(const TDepositionPoint* Point);
    void ProcessFinished(int Stroke) override;
    void PressureControlStarted(int Payload);
    void SubstanceOver(int Value);
    void EnableContinue();

    void GetParametersText(std::string& Text) override;
    void SaveSettings() override;
    // Forgets either graph once the operator closed it; true while the deposition graph lives.
    bool CheckGraph();
    TControl* StartButton() const override { return BBGo; }
    int NumCycles() const override { return SENumCycles->AsInteger(); }

protected:
    void PrepareWindow() override;
    std::vector<TCaptionTarget> CaptionTargets() override;
    void LoadValues() override;
    std::unique_ptr<TPTableData> CreateTable(const std::string& Name) override;
    bool EntersRegister() const override { return IsRecordChecked(); }

private:
    void BuildGeneral();
    void BuildDipper();
    // Makes the run's graphs with their titles; false, after the error box, when one
    // that the run needs cannot be made (then no graph and no data set is held).
    bool MakeGraphs();
    void SendParameters();
    void OpenDepositionTable();
    void OpenPressureControlTable();
    void ClosePressureControlTable();
    // Appends the deposition row of a point; returns the first row whose cells changed.
    std::uint32_t AddDepositionRow(const TDepositionPoint& Point, const std::vector<float>& Common, double Area);
    double LayerOf(const TDepositionPoint& Point);
    int DownwardSense() const;
    // Takes the deposition table back to the last completed stroke for a continuation.
    void TrimForContinuation();
    void ShowPointStatus(const TDepositionPoint& Point, double Seconds);
    // Both tables closed, a confirmation box still open put away, the position window hidden.
    void CloseRun() override;
    // The first deposition and pressure-control rows not yet announced.
    std::uint32_t FDepositionFirstNew = 0;
    std::uint32_t FPressureFirstNew = 0;
};

extern TFDepositionCtrl* FDepositionCtrl;
