// TFTapeDepositionCtrl: tape deposition. The syringe doser, the rotating barrier and the
// tape each run in mode "Continuous" or "Automatic" at a speed, between a start and a
// stop pressure; the window checks the pressures' order before it starts.
#pragma once
#include "zel/accessories/Uaccessorywindow.h"

struct TTapePoint;

// The tape run's table: time, both pressures, the rotating barrier's position.
std::unique_ptr<TPTableData> CreateTapeDepositionTable(ISXDataSet* DataSet, const std::string& Name);

class TFTapeDepositionCtrl : public TAccessoryWindow {
public:
    explicit TFTapeDepositionCtrl(TComponent* Owner);
    ~TFTapeDepositionCtrl() override;

    TGroupBox* grpRotbar;
    TLabel *lblRotbarMode, *lblRotbarDirection, *lblRotbarSpeed, *lblRotbarPressureStart, *lblRotbarPressureStop;
    TComboBox *cbbRotbarMode, *cbbRotbarDirection;
    TRxSpinEdit *edRotbarSpeed, *edRotbarPressureStart, *edRotbarPressureStop;
    TShape* shpRotbarIndicator;
    TGroupBox* grpTape;
    TLabel *lblTapeMode, *lblTapeDirection, *lblTapeSpeed, *lblTapePressureStart, *lblTapePressureStop;
    TComboBox *cbbTapeMode, *cbbTapeDirection;
    TRxSpinEdit *edTapeSpeed, *edTapePressureStart, *edTapePressureStop;
    TShape* shpTapeIndicator;

    void edTapeSpeedExit(TObject* Sender);
    void edRotbarSpeedExit(TObject* Sender);
    void edDoserPressureStartExit(TObject* Sender);
    void edDoserPressureStopExit(TObject* Sender);
    void edRotbarPressureStartExit(TObject* Sender);
    void edRotbarPressureStopExit(TObject* Sender);
    void edTapePressureStartExit(TObject* Sender);
    void edTapePressureStopExit(TObject* Sender);
    void edRotbarPressureStartKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
    void edDoserSpeedTopClick(TObject* Sender);
    void edDoserSpeedBottomClick(TObject* Sender);
    void ModeChange(TObject* Sender);

    void AddDataRow(const TTapePoint* Point);

protected:
    void PrepareWindow() override;
    void ApplyRules() override;
    bool CheckParameters() override;
    std::vector<TStoredValue> StoredValues() override;
    void ParameterLines(std::string& Text) override;
    void SendParameters() override;

private:
    // The three groups by their tag: 0 doser, 1 rotating barrier, 2 tape.
    enum { tagDoser, tagRotbar, tagTape };
    TMotor& SpeedUnit(const TObject* Sender) const;
    // The rotating barrier's group and the tape's have the same rows; their controls are
    // named after the drive ("Rotbar", "Tape").
    struct TDriveGroup {
        const char* Drive;
        const char* Caption;
        const char* SpeedCaption;
        TGroupBox*& Group;
        TLabel *&ModeLabel, *&DirectionLabel, *&SpeedLabel, *&StartLabel, *&StopLabel;
        TComboBox *&Mode, *&Direction;
        TRxSpinEdit *&Speed, *&Start, *&Stop;
        TShape*& Lamp;
    };
    void BuildDriveGroup(const TDriveGroup& Drive, int Top);
};

extern TFTapeDepositionCtrl* FTapeDepositionCtrl;
