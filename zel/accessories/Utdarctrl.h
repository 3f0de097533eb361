// TFTDARCtrl: tape deposition and rinse. The instrument runs barrier 1, two syringe
// dosers, the rotating barrier and the tape at once, each with its own group of values;
// the window also drives barrier 1 by hand through the trough manual window. The values
// keep the units the instrument expects of each word: some go through a calibration
// unit, the delay in milliseconds, the rotating barrier's and the tape's rates as the
// whole numbers typed.
#pragma once
#include "zel/accessories/Uaccessorywindow.h"

struct TTdarPoint;

// The run table: time, both pressures, the rotating barrier's and the tape's positions.
std::unique_ptr<TPTableData> CreateTDARTable(ISXDataSet* DataSet, const std::string& Name);

class TFTDARCtrl : public TAccessoryWindow {
public:
    explicit TFTDARCtrl(TComponent* Owner);
    ~TFTDARCtrl() override;

    // " Horizontal barrier "
    TGroupBox* grpHorizBarrier;
    TCheckBox* chkHBActive;
    TLabel *lblHBPos, *txtHBPos, *lblBarrierSpeed, *lblBarrierStep, *lblBarrierPressure, *lblBarrierDelay, *lblWP;
    TRxSpinEdit *edBarrierSpeed, *edBarrierStep, *edBarrierPressure, *edBarrierDelay, *edWP;
    TSpeedButton* SpeedButton1;  // beside the doser balance's reading; no action here
    TSpeedButton *btnBarrierMoveLeft, *btnBarrierMoveRight;
    TButton* FlatButton2;
    // " Doser / Rinse 1 " (its mode list and rate are the shared doser members)
    TCheckBox* chkDoserActive;
    TRxSpinEdit* edDoserSrngDiam;
    // " Doser / Dep. 2 "
    TGroupBox* grpDoser2;
    TCheckBox* chkDoser2Active;
    TComboBox* cbbDoser2Mode;
    TRxSpinEdit *edDoser2Speed, *edDoser2SrngDiam, *edDoser2PressureStart, *edDoser2PressureStop, *edDoser2WP;
    TSpeedButton* SpeedButton2;  // beside the main balance's reading; no action here
    // " Rotating barrier "
    TGroupBox* grpRotbar;
    TLabel* txtRotbarCurPos;
    TComboBox *cbbRotbarMode, *cbbRotbarDir;
    TRxSpinEdit *edRotbarSpeed, *edRotbarPressureStart, *edRotbarPressureStop;
    // " Tape "
    TGroupBox* grpTape;
    TLabel* txtTapeCurPos;
    TComboBox *cbbTapeMode, *cbbTapeDir;
    TRxSpinEdit *edTapeSpeed, *edTapePressureStart, *edTapePressureStop;

    // Barrier 1 by hand: the trough manual window's own buttons do the work.
    void btnBarrierMoveLeftClick(TObject* Sender);
    void FlatButton2Click(TObject* Sender);
    void btnBarrierMoveRightClick(TObject* Sender);
    // The move buttons show what the trough manual window's barrier 1 buttons show.
    void ShowMotionState(int MotionCode);

    void AddDataRow(const TTdarPoint* Point);

protected:
    std::vector<TStoredValue> StoredValues() override;
    void ParameterLines(std::string&) override {}
    void SendParameters() override;

private:
    TGroupBox* BuildHorizontalBarrier(int Left, int Top);
    TGroupBox* BuildDoser1(int Left, int Top);
    TGroupBox* BuildDoser2(int Left, int Top);
    // The rotating barrier's and the tape's groups are alike.
    struct TDriveGroup {
        TGroupBox* Group;
        TLabel* Position;
        TComboBox *Mode, *Direction;
        TRxSpinEdit *Rate, *PressureStart, *PressureStop;
    };
    TDriveGroup BuildDrive(const char* Prefix, const char* Caption, const char* PositionCaption,
                           const char* RateCaption, int Left, int Top);
    // A pair of start and stop pressures under one caption.
    void PressurePair(TWinControl* Group, const char* Prefix, int Top, TRxSpinEdit*& Start, TRxSpinEdit*& Stop);
    TCheckBox* ActiveBox(TWinControl* Group, const char* Name, int Top);
};

extern TFTDARCtrl* FTDARCtrl;
