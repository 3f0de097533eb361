// What the windows of the accessory processes share beyond the process window pattern:
// the run table with its time column taken from the program's millisecond tick, the
// "Time" and "Status" lines, status bits shown as lamps, the live readings of the
// balances and drives, the sensor zero buttons, START that may lock the window first,
// Stop, the finish, the settings kept as a table of keys, and the rules that keep a
// speed entry on speeds the device can run.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/RxSpin.h"
#include "platform/ui/Shape.h"
#include "platform/ui/StdCtrls.h"
#include "zel/core/Windowroles.h"
#include "zel/manual/Umanualcontrol2.h"
#include "zel/trough/Uprocesswindow.h"

class TMotor;
class THlProvider;

// The run table of an accessory process: time, dipper pressure and doser pressure, then
// the rotating barrier's and the tape's positions when the process records them. Null
// when the table cannot be made.
std::unique_ptr<TPTableData> CreateAccessoryTable(ISXDataSet* DataSet, const std::string& Name, bool RotbarColumn,
                                                  bool TapeColumn = false);

// One key of an accessory window's settings section: a check box, a list's index, an
// entry kept as a whole number, or a float entry.
struct TStoredSetting {
    const char* Key;
    TRxSpinEdit* Edit;
    TComboBox* List;
    TCheckBox* Check = nullptr;
    bool Whole = false;
};
// A missing key, or one that does not convert, keeps the control's value (an entry's
// brought into its range); a list index the list does not have keeps the choice.
void LoadStoredSettings(const std::string& Section, const std::vector<TStoredSetting>& Values);
void SaveStoredSettings(const std::string& Section, const std::vector<TStoredSetting>& Values);

// The rows of the accessory windows: a caption at the left, its entry or list beside it.
constexpr TEntryColumns AccessoryRows{
    .LabelLeft = 8, .LabelWidth = 138, .EntryLeft = 150, .EntryWidth = 90, .LabelDrop = 3};

// Group boxes stacked down a window, each holding captioned rows.
class TRowForm {
public:
    TRowForm(TComponent* Owner, TWinControl* Parent) : FOwner(Owner), FParent(Parent) {}
    // The next group below the previous one, with room for its rows.
    TGroupBox* Group(const char* Name, const char* Caption, int Rows);
    // The top of a row of a group.
    static int RowTop(int Row);
    // A caption and its entry in a row: decimals, a step of one in the last decimal, and
    // the design value.
    TRxSpinEdit* Entry(TGroupBox* Group, TLabel*& Label, const char* LabelName, const char* Text, const char* EditName,
                       int Row, int Decimals, double Value);
    // START at the foot, the window sized around the groups.
    TButton* StartButton(TForm* Window);
    int Bottom() const { return FTop; }

private:
    TComponent* FOwner;
    TWinControl* FParent;
    int FTop = 4;
};

// The doser speed range of the accessory manual window, copied into a doser speed entry.
void CopyDoserLimits(TRxSpinEdit* DoserSpeed);

// The nearest speed code of a speed (halves round up), as the device's speed entries
// round it.
double NearestSpeedCode(TMotor& Unit, double Speed);
// Leaving a speed entry: the value clamped to the unit's speed range and put on the speed
// of the nearest code; the entry changes only when that differs.
void KeepOnDeviceSpeed(TRxSpinEdit* Edit, TMotor& Unit);
// After the entry's own step by its increment: back to the device speed nearest to the
// value before the step, a code past the unit's range moved one code back in.
void StepToNearestDeviceSpeed(TRxSpinEdit* Edit, TMotor& Unit, bool Up);
// After the entry's own step: one more increment the same way, then the speed of the
// nearest code, held within the unit's code range.
void StepPastDeviceSpeed(TRxSpinEdit* Edit, TMotor& Unit, bool Up);
// Leaving the syringe diameter entry with a new diameter: the doser keeps its speed code,
// so the entry of the doser speed takes the unit's new range and the code's new speed.
void ChangeSyringeDiameter(TRxSpinEdit* Diameter, TRxSpinEdit* DoserSpeed);

// The setters of a doser group, in sending order.
struct TDoserWords {
    void (THlProvider::*Mode)(int);
    void (THlProvider::*Speed)(int);
    void (THlProvider::*PressureStart)(int);
    void (THlProvider::*PressureStop)(int);
};

// The identity of one accessory recording window.
struct TAccessoryProcess {
    TToolWindowKind Kind;
    TProcessKind Process;
    const char* FormName;
    const char* Caption;
    const char* Hint;
    const char* StatusName;         // line 0 of the status lines, through the language file
    const char* GraphTitle;         // through the language file, then " of <compound>"
    const char* ParametersHeading;  // first line of the parameters text
    const char* TableName;
    std::unique_ptr<TPTableData> (*CreateTable)(ISXDataSet* DataSet, const std::string& Name);
    bool LocksOnStart;  // START locks the window first; Stop acts only while START is locked
    THlNotifyCode Started, Finished;
};

class TAccessoryWindow : public TProcessWindow, public IReadingsWindow, public TDoserLimitsFollower {
public:
    TAccessoryWindow(TComponent* Owner, const TAccessoryProcess& Process);

    // Readings and their zero buttons.
    TGroupBox* grpSensors = nullptr;
    TLabel *lblDoserSensor = nullptr, *txtDoserSensor = nullptr, *lblDipperSensor = nullptr, *txtDipperSensor = nullptr;
    TButton *btnDoserSensorZero = nullptr, *btnDipperSensorZero = nullptr;
    // The doser group of the windows that run the syringe doser (else null).
    TGroupBox* grpDoser = nullptr;
    TLabel *lblDoserMode = nullptr, *lblDoserSpeed = nullptr, *lblDoserPressureStart = nullptr,
           *lblDoserPressureStop = nullptr, *lblSyringeDiameter = nullptr;
    TComboBox* cbbDoserMode = nullptr;
    TRxSpinEdit *edDoserSpeed = nullptr, *edDoserPressureStart = nullptr, *edDoserPressureStop = nullptr,
                *edSyringeDiameter = nullptr;
    TShape* shpDoserIndicator = nullptr;
    // START lies in front of Stop: hiding START uncovers Stop.
    TButton* btnGo;
    TButton* btnStop;

    // When the table's first point came (ms ticks).
    std::uint32_t FirstRowTick = 0;

    const TAccessoryProcess& Process() const { return FProcessInfo; }

    void btnGoClick(TObject* Sender);
    void btnStopClick(TObject* Sender);
    void btnDoserSensorZeroClick(TObject* Sender);
    void btnDipperSensorZeroClick(TObject* Sender);
    void edSyringeDiameterExit(TObject* Sender);
    // The doser's start and stop pressures count only in mode "Automatic".
    void cbbDoserModeChange(TObject* Sender);

    void EnableRun(bool Enable) override;
    void RefreshIndicators() override;
    void ProcessStarted(int Index) override;
    void ProcessFinished(int Index) override;
    void UpdateDoserLimits() override;
    void GetParametersText(std::string& Text) override;
    TControl* StartButton() const override { return btnGo; }

protected:
    // The table closed, START offered again, the lamps out.
    void CloseRun() override;
    using TStoredValue = TStoredSetting;
    enum class TReading { DipperPressure, DoserPressure, RotatingBarrier, Tape, Barrier1 };
    struct TReadingLabel {
        TLabel* Label;
        TReading Reading;
        int Decimals;  // for the drive positions
    };
    struct TStatusLamp {
        TShape* Lamp;
        int Bit;
    };

    // The window's parts, in the order the window builds them.
    TGroupBox* BuildSensorGroup(int Top);
    TGroupBox* BuildPositionGroup(int Top, bool WithTape);
    void BuildStartStop(int Top);
    // The doser group: mode, speed, start and stop pressures at the doser balance and the
    // syringe diameter, with their ranges set before the settings are read.
    TGroupBox* BuildDoserGroup(int Top);
    void PrepareDoserGroup();
    std::vector<TStoredValue> DoserStoredValues();
    void DoserLines(std::string& Text);
    void SendDoser(const TDoserWords& Words);
    static void FollowMode(const TComboBox* Mode, TRxSpinEdit* Start, TRxSpinEdit* Stop);
    TShape* Lamp(TWinControl* Parent, const char* Name, int Left, int Top);

    // The parameter lines: "<label>: <value>" and "<group>.<label>: <value>".
    static std::string ParameterLine(const TLabel* Label, const std::string& Value);
    static std::string GroupedLine(const TGroupBox* Group, const TLabel* Label, const std::string& Value);
    static std::string Shown(const TComboBox* List);

    // One point: a row of the table, the time and status lines, the lamps.
    void RecordPoint(std::uint32_t Balance, std::uint32_t DoserBalance, std::uint32_t RotbarPos, std::uint32_t Status,
                     std::uint32_t TapePos = 0);
    void HideLamps();

    // What the windows add.
    virtual std::vector<TStoredValue> StoredValues() = 0;
    virtual void ParameterLines(std::string& Text) = 0;
    virtual void SendParameters() = 0;
    // The window's own checks before START; false after its message.
    virtual bool CheckParameters() { return true; }
    // The rules that tie the entries, run once after the settings are read.
    virtual void ApplyRules() {}

    void LoadValues() override;
    void SaveValues() override;
    std::unique_ptr<TPTableData> CreateTable(const std::string& Name) override;
    bool AnnouncesToRegister() const override { return false; }

    std::vector<TReadingLabel> FReadings;
    std::vector<TStatusLamp> FLamps;
    std::vector<TControl*> FLocked;  // controls EnableRun locks besides START

private:
    const TAccessoryProcess& FProcessInfo;
};
