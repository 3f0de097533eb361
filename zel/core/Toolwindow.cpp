#include "zel/core/Toolwindow.h"

#include <algorithm>

#include "kvc/KvMultiLang.h"
#include "platform/ui/Menus.h"
#include "zel/core/Notices.h"
#include "zel/core/Mainservices.h"

namespace {

bool Always(TDeviceType) { return true; }
bool NotLbl(TDeviceType Type) { return Type != dtLbl; }
bool NotTrough(TDeviceType Type) { return Type != dtTrough; }
bool CombinedOnly(TDeviceType Type) { return Type == dtCombined; }

constexpr unsigned StatePosActive = fpState | fpPosition | fpActiveControl;
constexpr unsigned StatePos = fpState | fpPosition;
constexpr unsigned Pos = fpPosition;

using K = TToolWindowKind;

const std::vector<TWindowPattern>& Patterns()
{
    // Three windows (deposition, tape, EUD) share the placement section "DepositionControl"
    // and so one remembered position. The EUD row comes last: its run is given back after
    // the script's and the layer-by-layer window's.
    static const std::vector<TWindowPattern> patterns = {
        {.Kind = K::Manual,
         .SettingsSection = "ManualControl",
         .PlacementSection = "ManualControl",
         .PlacementOptions = StatePosActive,
         .LanguageSection = "ManualCtrl",
         .ViewAction = "AViewManualControl",
         .Dockable = true,
         .DockHandlers = true,
         .FillPage = true,
         .DocksAtStart = Always,
         .DragsIntoDockArea = true,
         .RefreshesReadings = true,
         .TranslatesOnLanguageChange = true,
         .Notices = {{hlnMotionState}, {hlnDrivesStopped}}},
        {.Kind = K::Manual2,
         .SettingsSection = "ManualControl2",
         .PlacementSection = "ManualControl2",
         .PlacementOptions = StatePosActive,
         .LanguageSection = "ManualCtrl2",
         .ViewAction = "actViewManualControl2",
         .Dockable = true,
         .DockHandlers = true,
         .FillPage = true,
         .DocksAtStart = Always,
         .RefreshesReadings = true,
         .TranslatesOnLanguageChange = true,
         .Notices = {{hlnMotionState}, {hlnDrivesStopped}, {hlnDipperRotatorStopped}, {hlnRevolverStopped}}},
        {.Kind = K::Pump,
         .SettingsSection = "PumpControl",
         .PlacementSection = "PumpControl",
         .PlacementOptions = StatePosActive,
         .LanguageSection = "PumpControl",
         .ViewAction = "actViewPumpControl",
         .Dockable = true,
         .DockHandlers = true,
         .FillPage = true,
         .DocksAtStart = Always,
         .RefreshesReadings = true,
         .TranslatesOnLanguageChange = true,
         .Notices = {{hlnMotionState}, {hlnDrivesStopped}}},
        {.Kind = K::Isotherm,
         .SettingsSection = "IsothermControl",
         .PlacementSection = "IsothermControl",
         .PlacementOptions = StatePos,
         .LanguageSection = "IsothermCtrl",
         .ViewAction = "AViewIsothermCtrl",
         .Serves = NotLbl,
         .Dockable = true,
         .DockHandlers = true,
         .PullBack = true,
         .DocksAtStart = NotLbl,
         .DragsIntoDockArea = true,
         .TranslatesOnLanguageChange = true,
         .Start = TStartHandling::ShowStart,
         .Notices = {{hlnIsothermPoint, pkIsotherm}, {hlnIsothermCycle}, {hlnIsothermCompleted}}},
        {.Kind = K::Deposition,
         .SettingsSection = "DepositionControl",
         .PlacementSection = "DepositionControl",
         .PlacementOptions = Pos,
         .LanguageSection = "DepositionCtrl",
         .ViewAction = "AViewDepositionCtrl",
         .Serves = NotLbl,
         .Dockable = true,
         .DockHandlers = true,
         .PullBack = true,
         .DocksAtStart = NotLbl,
         .DragsIntoDockArea = true,
         .TranslatesOnLanguageChange = true,
         .Start = TStartHandling::ShowStart,
         .Notices = {{hlnDepositionPoint, pkDeposition},
                     {hlnDepositionStroke},
                     {hlnDepositionCompleted},
                     {hlnPressureControl},
                     {hlnSubstanceOver},
                     {hlnContinueAllowed}}},
        {.Kind = K::Dipping,
         .SettingsSection = "DippingControl",
         .PlacementSection = "DippingControl",
         .PlacementOptions = Pos,
         .LanguageSection = "DippingCtrl",
         .ViewAction = "AViewDippingCtrl",
         .Serves = NotLbl,
         .Dockable = true,
         .DockHandlers = true,
         .PullBack = true,
         .DocksAtStart = NotLbl,
         .DragsIntoDockArea = true,
         .TranslatesOnLanguageChange = true,
         .Start = TStartHandling::ShowStart},
        {.Kind = K::Roll,
         .SettingsSection = "RollDepositionCtrl",
         .PlacementSection = "RollDepositionControl",
         .PlacementOptions = Pos,
         .LanguageSection = "RollDepositionCtrl",
         .ViewAction = "actViewRollDepositionCtrl",
         .Serves = NotTrough,
         .Dockable = true,
         .DockHandlers = true,
         .DocksAtStart = NotTrough,
         .DragsIntoDockArea = true,
         .RefreshesReadings = true,
         .TranslatesOnLanguageChange = true,
         .Start = TStartHandling::ShowStartAndRunWhenIdle,
         .Notices = {{hlnRollPoint, pkRollDeposition}, {hlnRollStarted}, {hlnRollFinished}, {hlnRollLimitSwitch}}},
        {.Kind = K::Tape,
         .SettingsSection = "TapeDepositionCtrl",
         .PlacementSection = "DepositionControl",
         .PlacementOptions = Pos,
         .LanguageSection = "ContTapeCtrl",
         .ViewAction = "actViewTapeDepositionCtrl",
         .Serves = CombinedOnly,
         .Dockable = true,
         .DocksAtStart = CombinedOnly,
         .DragsIntoDockArea = true,
         .RefreshesReadings = true,
         .TranslatesOnLanguageChange = true,
         .Start = TStartHandling::ShowStart,
         .Notices = {{hlnTapePoint, pkTapeDeposition}, {hlnTapeStarted}, {hlnTapeFinished}}},
        {.Kind = K::Disk,
         .SettingsSection = "DiskDepositionCtrl",
         .PlacementSection = "DiskDepositionControl",
         .PlacementOptions = Pos,
         .LanguageSection = "DiskDepositionCtrl",
         .ViewAction = "actViewDiskDepositionCtrl",
         .Serves = NotTrough,
         .Dockable = true,
         .DockHandlers = true,
         .DocksAtStart = NotTrough,
         .RefreshesReadings = true,
         .Start = TStartHandling::EnableRun,
         .Notices = {{hlnDiskPoint, pkDiskDeposition}, {hlnDiskStarted}, {hlnDiskFinished}}},
        {.Kind = K::CylinderMembrane,
         .SettingsSection = "CylinderMembraneDepositionCtrl",
         .PlacementSection = "CylMemDepControl",
         .PlacementOptions = Pos,
         .LanguageSection = "CylinderMembraneDepositionCtrl",
         .ViewAction = "actViewCylinderMembraneDepositionCtrl",
         .Serves = NotTrough,
         .Dockable = true,
         .DockHandlers = true,
         .DocksAtStart = NotTrough,
         .RefreshesReadings = true,
         .Start = TStartHandling::EnableRun,
         .Notices = {{hlnCylPoint, pkCylinderMembraneDeposition}, {hlnCylStarted}, {hlnCylFinished}}},
        {.Kind = K::TDAR,
         .SettingsSection = "TDARCtrl",
         .PlacementSection = "TDARControl",
         .PlacementOptions = Pos,
         .LanguageSection = "TDARCtrl",
         .ViewAction = "actViewTDARCtrl",
         .Serves = NotTrough,
         .Dockable = true,
         .DockHandlers = true,
         .DocksAtStart = NotTrough,
         .RefreshesReadings = true,
         .Start = TStartHandling::EnableRun,
         .Notices = {{hlnTdarPoint, pkTDAR}, {hlnMotionState}, {hlnTdarStarted}, {hlnTdarFinished}}},
        {.Kind = K::FilmPreparation,
         .SettingsSection = "FilmPreparationControl",
         .PlacementSection = "FilmPreparationControl",
         .PlacementOptions = Pos,
         .LanguageSection = "FilmPreparationControl",
         .ViewAction = "actViewFilmPreparation",
         .Serves = NotLbl,
         .Dockable = true,
         .DockHandlers = true,
         .PullBack = true,
         .DocksAtStart = NotLbl,
         .Start = TStartHandling::ShowStart,
         .Notices = {{hlnFilmPrepPoint, pkFilmPreparation}, {hlnFilmPrepStarted}, {hlnFilmPrepFinished}}},
        {.Kind = K::Calibration,
         .PlacementSection = "CalibrateDevice",
         .PlacementOptions = StatePosActive,
         .LanguageSection = "CalibrateDevice",
         .ViewAction = "AViewCalibrate",
         .RefreshesReadings = true,
         .TranslatesOnLanguageChange = true,
         .Notices = {{hlnDrivesStopped}}},
        {.Kind = K::DepositionFB,
         .SettingsSection = "DepositionFB",
         .PlacementSection = "DepositionFB",
         .PlacementOptions = StatePosActive,
         .LanguageSection = "DepositionFB",
         .ViewAction = "actViewDepositionFB",
         .TranslatesOnLanguageChange = true},
        {.Kind = K::ExpSetup,
         .SettingsSection = "ExpSetupForm",
         .PlacementSection = "ExpSetupForm",
         .PlacementOptions = StatePosActive,
         .LanguageSection = "ExpSetup",
         .ViewAction = "AViewExperimentalSetup",
         .TranslatesOnLanguageChange = true},
        {.Kind = K::DepPosInfo, .PlacementSection = "DepPosInfo", .PlacementOptions = Pos},
        // The script recorder takes one row from each device state report while a script
        // runs (not from state changes).
        {.Kind = K::Script,
         .PlacementSection = "ScriptControl",
         .PlacementOptions = Pos,
         .LanguageSection = "ScriptCtrl",
         .ViewAction = "AViewScriptCtrl",
         .TranslatesOnLanguageChange = true,
         .Start = TStartHandling::EnableStartAndRun,
         .Notices = {{hlnDeviceState, pkScript}}},
        // The status window is refreshed by the main window with every status update,
        // shown or not.
        {.Kind = K::Status, .PlacementSection = "StatusWindow", .PlacementOptions = Pos, .PullBack = true},
        {.Kind = K::Lbl,
         .SettingsSection = "LBL",
         .LanguageSection = "Lbl",
         .ViewAction = "actViewLBL",
         .TranslatesOnLanguageChange = true,
         .Start = TStartHandling::EnableRun},
        // The EUD window's START stays hidden after its run unless it is given back here.
        {.Kind = K::Eud,
         .SettingsSection = "EudControl",
         .PlacementSection = "DepositionControl",
         .PlacementOptions = Pos,
         .LanguageSection = "EudControl",
         .ViewAction = "actViewEUD",
         .Serves = NotLbl,
         .Dockable = true,
         .DockHandlers = true,
         .PullBack = true,
         .DocksAtStart = NotLbl,
         .Start = TStartHandling::EnableRun},
    };
    return patterns;
}

std::vector<TToolWindow*>& LiveWindows()
{
    static std::vector<TToolWindow*> windows;
    return windows;
}

// Pixels of a window that stay on screen when its stored position lies beyond the edge.
constexpr int OnScreenCorner = 20;

}  // namespace

const std::vector<TWindowPattern>& WindowPatterns() { return Patterns(); }

const TWindowPattern& WindowPattern(TToolWindowKind Kind)
{
    for (const TWindowPattern& p : Patterns())
        if (p.Kind == Kind) return p;
    return Patterns().front();
}

const TWindowPattern* WindowPatternOfViewAction(const std::string& ActionName)
{
    for (const TWindowPattern& p : Patterns())
        if (ActionName == p.ViewAction) return &p;
    return nullptr;
}

namespace {

TMissingCaptionObserver& MissingCaptionObserver()
{
    static TMissingCaptionObserver observer;
    return observer;
}

}  // namespace

void SetMissingCaptionObserver(TMissingCaptionObserver Observer) { MissingCaptionObserver() = std::move(Observer); }

void ApplyNumberedCaptions(const std::string& Section, const std::vector<TCaptionTarget>& Targets)
{
    if (!MultiLang || Section.empty()) return;
    TStringList items;
    if (!MultiLang->GetLangNumericItems(Section.c_str(), "", &items)) return;
    const TMissingCaptionObserver& missing = MissingCaptionObserver();
    for (size_t i = 0; i < Targets.size(); ++i) {
        if (!Targets[i]) continue;
        const bool given = i < static_cast<size_t>(items.Count()) && !items[static_cast<int>(i)].empty();
        if (given)
            Targets[i](items[static_cast<int>(i)]);
        else if (missing)
            missing(Section, i);
    }
}

TCaptionTarget CaptionOf(TControl* Control)
{
    return [Control](const std::string& Text) { Control->SetCaption(Text); };
}

TCaptionTarget CaptionOf(std::initializer_list<TControl*> Controls)
{
    return [Controls = std::vector<TControl*>(Controls)](const std::string& Text) {
        for (TControl* control : Controls) control->SetCaption(Text);
    };
}

TCaptionTarget HintOf(TControl* Control)
{
    return [Control](const std::string& Text) { Control->SetHint(Text); };
}

TCaptionTarget HintOf(std::initializer_list<TControl*> Controls)
{
    return [Controls = std::vector<TControl*>(Controls)](const std::string& Text) {
        for (TControl* control : Controls) control->SetHint(Text);
    };
}

TCaptionTarget ItemText(TComboBox* Combo, int Index)
{
    return [Combo, Index](const std::string& Text) {
        TStringList items = Combo->Items();
        if (Index >= items.Count()) return;
        const int selected = Combo->GetItemIndex();
        items[Index] = Text;
        Combo->SetItems(items);
        Combo->SetItemIndex(selected);
    };
}

void SetEnabledWithColour(TControl* Control, bool Enabled)
{
    Control->SetEnabled(Enabled);
    Control->Font()->SetColor(Enabled ? clWindowText : RGB(128, 128, 128));
}

TToolWindow::TToolWindow(TComponent* Owner, TToolWindowKind Kind) : TForm(Owner), FKind(Kind)
{
    // Without a stored place each window opens a step beside the one opened before it.
    Position = poDefault;
    FormPlacement = new TFormPlacement(this);
    FormPlacement->IniSection = Pattern().PlacementSection;
    FormPlacement->Options = Pattern().PlacementOptions;
    FormPlacement->SetActive(*Pattern().PlacementSection != 0);
    if (Pattern().PullBack)
        FormPlacement->OnRestorePlacement = [this](TObject* Sender) { FormPlacementRestorePlacement(Sender); };
    if (Pattern().Dockable) DragKind = dkDock;
    if (Pattern().DockHandlers) {
        OnStartDock = [this](TObject* Sender) { FormStartDock(Sender); };
        OnEndDock = [this](TObject* Sender, TObject* Target, int X, int Y) { FormEndDock(Sender, Target, X, Y); };
        OnUnDock = [this](TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow) {
            FormUnDock(Sender, Client, NewTarget, Allow);
        };
    }
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
    LiveWindows().push_back(this);
}

TToolWindow::~TToolWindow()
{
    NoticeDispatcher().Unregister(this);
    auto& windows = LiveWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

TToolWindow* TToolWindow::Find(TToolWindowKind Kind)
{
    for (TToolWindow* w : LiveWindows())
        if (w->FKind == Kind) return w;
    return nullptr;
}

void TToolWindow::FormCreate(TObject*)
{
    FormPlacement->IniFileName = SettingsFileName;
    if (Pattern().Serves && !Pattern().Serves(DeviceType)) {
        HideViewAction(FKind);
        Hide();
    }
    PrepareWindow();
    ApplyLanguage();
    LoadSettings();
}

void TToolWindow::FormDestroy(TObject*) { SaveSettings(); }

void TToolWindow::HandleNotice(THlNotifyCode Code, TNoticeHandler Handler)
{
    NoticeDispatcher().Register(this, Code, std::move(Handler));
}

std::vector<TCaptionTarget> TToolWindow::CaptionTargets() { return {CaptionOf(this)}; }

void TToolWindow::ApplyLanguage() { ApplyNumberedCaptions(Pattern().LanguageSection, CaptionTargets()); }

void TToolWindow::LoadSettings()
{
    const TWindowPattern& pattern = Pattern();
    if (!IniFile || *pattern.SettingsSection == 0) return;
    if (pattern.Dockable) {
        const bool docked = IniFile->ReadBool(pattern.SettingsSection, "Docked", true);
        TDockSite* dockArea = MainDockArea();
        if (docked && pattern.DocksAtStart && pattern.DocksAtStart(DeviceType) && dockArea) {
            // A docked window neither restores nor stores a position.
            ManualDock(dockArea, pattern.FillPage);
            FormPlacement->SetActive(false);
            SetVisible(true);
        }
    }
    LoadValues();
}

void TToolWindow::SaveSettings()
{
    const TWindowPattern& pattern = Pattern();
    if (!IniFile || *pattern.SettingsSection == 0) return;
    SaveValues();
    if (pattern.Dockable) IniFile->WriteBool(pattern.SettingsSection, "Docked", !Floating());
}

void TToolWindow::FormStartDock(TObject*) { ShowMainDockPanel(); }

void TToolWindow::FormEndDock(TObject*, TObject*, int, int)
{
    FormPlacement->SetActive(Floating());
    UpdateMainDockPanel();
}

void TToolWindow::FormUnDock(TObject*, TControl*, TWinControl*, bool&)
{
    UpdateMainDockPanel();
    FormPlacement->SetActive(true);
}

void TToolWindow::FormPlacementRestorePlacement(TObject*)
{
    // Only the left and top edges are tested: a corner of the window stays on screen.
    const int maxLeft = Screen->Width() - OnScreenCorner;
    const int maxTop = Screen->Height() - OnScreenCorner;
    if (GetLeft() > maxLeft) SetLeft(maxLeft);
    if (GetTop() > maxTop) SetTop(maxTop);
}
