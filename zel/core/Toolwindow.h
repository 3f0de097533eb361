// The window pattern every tool window of the program follows: its values and docked
// state in a settings section, its position in a placement section, its captions from a
// numbered language section, hidden for device types it does not serve, and (for the
// control windows) living floating or docked in the main window's dock area.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "platform/ui/Forms.h"
#include "platform/ui/Placement.h"
#include "zel/core/Common.h"

struct TIsothermPoint;
struct TDepositionPoint;
struct TTapePoint;
struct TRollPoint;
struct TDiskPoint;
struct TCylPoint;
struct TTdarPoint;
struct TFilmPrepPoint;

// The windows that follow the pattern.
enum class TToolWindowKind {
    Manual,
    Manual2,
    Pump,
    Isotherm,
    Deposition,
    Dipping,
    Roll,
    Tape,
    Disk,
    CylinderMembrane,
    TDAR,
    Eud,
    FilmPreparation,
    Calibration,
    DepositionFB,
    ExpSetup,
    DepPosInfo,
    Script,
    Status,
    Lbl,
};

// The sections and docking rules of one kind of window.
struct TWindowPattern {
    TToolWindowKind Kind;
    const char* SettingsSection;             // "" when the window keeps no values
    const char* PlacementSection;            // "" when it keeps no position
    unsigned PlacementOptions;               // fpState, fpPosition, fpActiveControl
    const char* LanguageSection;             // "" when it has no captions to translate
    bool Dockable;                           // the operator can drag it to dock
    bool DockHandlers;                       // its dock handlers switch the placement and the dock area
    bool FillPage;                           // docked, it fills its page (else keeps its own size)
    bool PullBack;                           // a restored position off screen is pulled back
    bool (*DocksAtStart)(TDeviceType Type);  // device types for which Docked is honoured
};

const TWindowPattern& WindowPattern(TToolWindowKind Kind);

// Sets captions from the numbered items of a language section: item i goes to target i
// when it exists and is not empty; the list ends at the first missing number. Nothing
// changes while no language file can be read.
using TCaptionTarget = std::function<void(const std::string& Caption)>;
void ApplyNumberedCaptions(const std::string& Section, const std::vector<TCaptionTarget>& Targets);

class TToolWindow : public TForm {
public:
    TToolWindow(TComponent* Owner, TToolWindowKind Kind);
    ~TToolWindow() override;

    TToolWindowKind Kind() const { return FKind; }
    const TWindowPattern& Pattern() const { return WindowPattern(FKind); }
    TFormPlacement* FormPlacement;

    // The operations with one name in every window.
    virtual void LoadSettings();
    virtual void SaveSettings();
    virtual void ApplyLanguage();
    virtual void RefreshIndicators() {}
    virtual void EnableRun(bool /*Enable*/) {}
    virtual void ShowMotionState(int /*MotionCode*/) {}
    void FormStartDock(TObject* Sender);
    void FormEndDock(TObject* Sender, TObject* Target, int X, int Y);
    void FormUnDock(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow);
    void FormPlacementRestorePlacement(TObject* Sender);

    // Operations the main window asks of particular windows; each window that has one
    // overrides it.
    virtual void ShowConnected(bool /*Connected*/) {}
    virtual void RunRegisterInsert() {}

    // The device's notices, routed by the main window to the window that owns them. The
    // records belong to the link: a window reads them during the call and keeps no pointer.
    virtual void ProcessStarted(int /*Payload*/) {}
    virtual void ProcessFinished(int /*Payload*/) {}
    // The device link went down: a run under way in this window ends as failed.
    virtual void LinkLost() {}
    virtual void AddDataRow() {}  // the script recorder: one row from DeviceState
    virtual void AddDataRow(const TIsothermPoint* /*Point*/) {}
    virtual void AddDataRow(const TDepositionPoint* /*Point*/) {}
    virtual void AddDataRow(const TTapePoint* /*Point*/) {}
    virtual void AddDataRow(const TRollPoint* /*Point*/) {}
    virtual void AddDataRow(const TDiskPoint* /*Point*/) {}
    virtual void AddDataRow(const TCylPoint* /*Point*/) {}
    virtual void AddDataRow(const TTdarPoint* /*Point*/) {}
    virtual void AddDataRow(const TFilmPrepPoint* /*Point*/) {}
    virtual void PressureControlStarted(int /*Payload*/) {}
    virtual void SubstanceOver(int /*Payload*/) {}
    virtual void EnableContinue() {}
    virtual void OnDrivesStopped() {}
    virtual void OnDipperRotatorStopped() {}
    virtual void OnRevolverStopped() {}
    // The calibration window's automatic calibration, ended from its wait box.
    virtual void CancelAutoCalibration() {}

    // What the main window reads of a process window: its START button (null when it has
    // none), its number of cycles and whether it records the way back of each cycle.
    virtual TControl* StartButton() const { return nullptr; }
    virtual int NumCycles() const { return 0; }
    virtual bool RecordsBackward() const { return false; }

    // The window of a kind, when it exists.
    static TToolWindow* Find(TToolWindowKind Kind);

protected:
    // Whether the window serves the current device type (else it and its view action hide).
    virtual bool ServesDeviceType() const { return true; }
    // Window-specific preparation before the captions and the settings (entry ranges).
    virtual void PrepareWindow() {}
    // The window's captions in their fixed order, its own caption first.
    virtual std::vector<TCaptionTarget> CaptionTargets();
    // The window's own values in its settings section (besides Docked).
    virtual void LoadValues() {}
    virtual void SaveValues() {}

private:
    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    TToolWindowKind FKind;
};
