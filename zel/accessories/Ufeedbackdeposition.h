// The design of the roll, disk and cylinder-membrane deposition windows: a drive turning
// in a direction at a speed while barrier 1 holds the dipper balance's pressure within a
// range, with its feedback and approach speeds, which the operator may change while the
// process runs. The windows differ in their identity and in the words they send.
#pragma once
#include "zel/accessories/Uaccessorywindow.h"

class THlProvider;

// The setters of one process's parameter group and its start word, in sending order.
struct TFeedbackWords {
    void (THlProvider::*Direction)(int);
    void (THlProvider::*Speed)(int);
    void (THlProvider::*Pressure)(int);
    void (THlProvider::*RangePressure)(int);
    void (THlProvider::*FeedbackSpeed)(int);
    void (THlProvider::*ApproachSpeed)(int);
    void (THlProvider::*Start)();
};

class TFeedbackDepositionWindow : public TAccessoryWindow {
public:
    TFeedbackDepositionWindow(TComponent* Owner, const TAccessoryProcess& Process, const TFeedbackWords& Words,
                              const char* GroupName);

    TGroupBox* grpParams;
    TLabel *lblDirection, *lblSpeed, *lblPressure, *lblRangePressure, *lblSpeedFeedback, *lblSpeedApproach;
    TComboBox* cbbDirection;
    TRxSpinEdit *edSpeed, *edPressure, *edRangePressure, *edSpeedFeedback, *edSpeedApproach;
    TGroupBox* grpRotbar;
    TShape* shpRotbarIndicator;

    void edSpeedExit(TObject* Sender);
    void edSpeedTopClick(TObject* Sender);
    void edSpeedBottomClick(TObject* Sender);
    void edSpeedFeedbackTopClick(TObject* Sender);
    void edSpeedFeedbackBottomClick(TObject* Sender);
    void edPressureExit(TObject* Sender);
    void edPressureKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
    // Sends a feedback or approach speed while this window's process runs.
    void UpdateRunningSpeed(TRxSpinEdit* Edit);

protected:
    // The top of the part below the parameter group.
    int BelowParameters() const;
    void PrepareWindow() override;
    void ApplyRules() override;
    std::vector<TStoredValue> StoredValues() override;
    void ParameterLines(std::string& Text) override;
    void SendParameters() override;
    // The start word, after every parameter.
    void SendStart();

private:
    const TFeedbackWords& FWords;
};
