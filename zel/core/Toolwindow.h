// The window pattern every tool window of the program follows: its values and docked
// state in a settings section, its position in a placement section, its captions from a
// numbered language section, hidden for device types it does not serve, and (for the
// control windows) living floating or docked in the main window's dock area. Each kind
// of window is declared once, in the table of Toolwindow.cpp; the main window reads that
// declaration for its view actions, docking, refreshes, languages, START and notices.
#pragma once
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>
#include "hwzel/hwzel.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Placement.h"
#include "platform/ui/StdCtrls.h"
#include "zel/core/Common.h"

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

// What a process window does with its START when a process begins or ends.
enum class TStartHandling {
    None,
    ShowStart,          // START shows only while no process runs
    EnableStart,        // START is enabled only while no process runs
    EnableRun,          // the window enables its own run controls
    EnableStartAndRun,  // both of the two above
    // START shows only while no process runs, and the run controls come back when none
    // runs: a run ended by another window's Stop leaves the window unlocked.
    ShowStartAndRunWhenIdle,
};

// A device notice a window kind receives. With a process kind the notice reaches the
// window only while that process runs; either way the code counts as routed.
struct TNoticeRoute {
    THlNotifyCode Code;
    TProcessKind OnlyWhile = pkNone;
};

// The declaration of one window kind: everything the rest of the program knows of it.
struct TWindowPattern {
    TToolWindowKind Kind;
    const char* SettingsSection = "";   // "" when the window keeps no values
    const char* PlacementSection = "";  // "" when it keeps no position
    unsigned PlacementOptions = 0;      // fpState, fpPosition, fpActiveControl
    const char* LanguageSection = "";   // "" when it has no captions to translate
    const char* ViewAction = "";        // the name of the main window's action that shows it
    // Device types the window serves (else it and its view action hide); null: every type.
    bool (*Serves)(TDeviceType Type) = nullptr;
    bool Dockable = false;                             // the operator can drag it to dock
    bool DockHandlers = false;                         // its dock handlers switch placement and dock area
    bool FillPage = false;                             // docked, it fills its page (else keeps its size)
    bool PullBack = false;                             // a restored position off screen is pulled back
    bool (*DocksAtStart)(TDeviceType Type) = nullptr;  // device types for which Docked is honoured
    bool DragsIntoDockArea = false;                    // the dock area accepts it when dragged there
    bool RefreshesReadings = false;                    // refreshed with each device state while shown
    bool TranslatesOnLanguageChange = false;           // takes its captions again for a new language
    TStartHandling Start = TStartHandling::None;
    std::vector<TNoticeRoute> Notices = {};
};

// Every kind in the order of the table: notices, process changes and refreshes reach
// the windows in this order.
const std::vector<TWindowPattern>& WindowPatterns();
const TWindowPattern& WindowPattern(TToolWindowKind Kind);
// The kind whose view action has this name; null when none has.
const TWindowPattern* WindowPatternOfViewAction(const std::string& ActionName);

// Sets captions from the numbered items of a language section: item i goes to target i
// when it exists and is not empty; the list ends at the first missing number. Nothing
// changes while no language file can be read.
using TCaptionTarget = std::function<void(const std::string& Caption)>;
void ApplyNumberedCaptions(const std::string& Section, const std::vector<TCaptionTarget>& Targets);
// Hears every numbered item a window asks for that the language file does not give: a
// number past the end of the section's list, or an empty text for a caption. A language
// file can so be checked against the windows that read it. Empty: nobody listens.
using TMissingCaptionObserver = std::function<void(const std::string& Section, size_t Item)>;
void SetMissingCaptionObserver(TMissingCaptionObserver Observer);
// The caption of a control as a target.
TCaptionTarget CaptionOf(TControl* Control);
// One caption shared by several controls, set in their order.
TCaptionTarget CaptionOf(std::initializer_list<TControl*> Controls);
// The hint of a control, or one hint shared by several controls.
TCaptionTarget HintOf(TControl* Control);
TCaptionTarget HintOf(std::initializer_list<TControl*> Controls);
// One item of a list as a target; the selection stays, so a translation never leaves a
// list without a valid choice.
TCaptionTarget ItemText(TComboBox* Combo, int Index);
// Enables or disables a control, its text grey while disabled.
void SetEnabledWithColour(TControl* Control, bool Enabled);

// A window's part of one notice; the payload is read during the call and never kept
// (records belong to the link).
using TNoticeHandler = std::function<void(LPARAM Payload)>;

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
    void FormStartDock(TObject* Sender);
    void FormEndDock(TObject* Sender, TObject* Target, int X, int Y);
    void FormUnDock(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow);
    void FormPlacementRestorePlacement(TObject* Sender);

    // The window of a kind, when it exists.
    static TToolWindow* Find(TToolWindowKind Kind);

protected:
    // Registers the window's part of a notice its kind declares; dropped with the window.
    void HandleNotice(THlNotifyCode Code, TNoticeHandler Handler);
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

// The window of a kind when it exists and has the role.
template <class TRole>
TRole* FindRole(TToolWindowKind Kind)
{
    return dynamic_cast<TRole*>(TToolWindow::Find(Kind));
}
